#include "app/Notification.h"

namespace pellumo {

void TNotificationQueue::Add(std::unique_ptr<TNotification> info) {
    TLockGuard guard(lock_);
    items_.push_back(std::move(info));
}

std::unique_ptr<TNotification> TNotificationQueue::Take() {
    TLockGuard guard(lock_);
    if (items_.empty()) return nullptr;
    std::unique_ptr<TNotification> oldest = std::move(items_.front());
    items_.pop_front();
    return oldest;
}

void TNotificationQueue::Clear() {
    TLockGuard guard(lock_);
    items_.clear();
}

size_t TNotificationQueue::Count() {
    TLockGuard guard(lock_);
    return items_.size();
}

}  // namespace pellumo
