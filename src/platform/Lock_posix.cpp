#include <mutex>

#include "platform/Lock.h"

namespace pellumo {

struct TLock::Impl {
    std::mutex mutex;
};

TLock::TLock() : impl_(new Impl) {}
TLock::~TLock() = default;
void TLock::Acquire() { impl_->mutex.lock(); }
void TLock::Release() { impl_->mutex.unlock(); }

}  // namespace pellumo
