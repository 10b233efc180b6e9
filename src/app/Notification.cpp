#include "app/Notification.h"

#include <set>

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

std::vector<std::unique_ptr<TNotification>> TNotificationQueue::TakeAll() {
    TLockGuard guard(lock_);
    std::vector<std::unique_ptr<TNotification>> all;
    all.reserve(items_.size());
    for (auto& item : items_) all.push_back(std::move(item));
    items_.clear();
    return all;
}

void TNotificationQueue::Clear() {
    TLockGuard guard(lock_);
    items_.clear();
}

size_t TNotificationQueue::Count() {
    TLockGuard guard(lock_);
    return items_.size();
}

namespace {

// The one text all share, else how many different ones there are.
std::string SharedOrCount(const std::set<std::string>& texts, const char* noun) {
    if (texts.size() == 1) return *texts.begin();
    return std::to_string(texts.size()) + " " + noun;
}

}  // namespace

TNotification SummaryOf(const std::vector<std::unique_ptr<TNotification>>& items) {
    std::set<std::string> folders, senders;
    TNotification summary;
    bool anyHigh = false, allLow = true;
    for (const auto& item : items) {
        folders.insert(item->Folder);
        senders.insert(item->Sender);
        anyHigh = anyHigh || item->Priority == mpHigh;
        allLow = allLow && item->Priority == mpLow;
        if (!summary.Body.empty()) summary.Body += "\r\n";
        summary.Body += item->Sender + ": " + item->Subject;
    }
    summary.Priority = anyHigh ? mpHigh : allLow ? mpLow : mpNormal;
    summary.Folder = SharedOrCount(folders, "folders");
    summary.Sender = SharedOrCount(senders, "senders");
    summary.Subject = std::to_string(items.size()) + " new messages";
    return summary;
}

}  // namespace pellumo
