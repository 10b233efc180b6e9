#include <windows.h>

#include "platform/Lock.h"

namespace pellumo {

struct TLock::Impl {
    CRITICAL_SECTION section;
    Impl() { InitializeCriticalSection(&section); }
    ~Impl() { DeleteCriticalSection(&section); }
};

TLock::TLock() : impl_(new Impl) {}
TLock::~TLock() = default;
void TLock::Acquire() { EnterCriticalSection(&impl_->section); }
void TLock::Release() { LeaveCriticalSection(&impl_->section); }

}  // namespace pellumo
