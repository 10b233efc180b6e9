#pragma once
// One new-mail notification, the queue that holds them from the scan until
// the popup shows them, and the rule that holds them back.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Lock.h"

namespace pellumo {

enum TMailPriority : uint8_t { mpHigh = 0, mpNormal = 1, mpLow = 2 };

// One queued notification; its texts are UTF-8.
struct TNotification {
    std::string Folder;
    std::string Sender;
    std::string Subject;
    std::string Body;
    TMailPriority Priority = mpNormal;
};

// Notifications waiting to be shown, oldest first. Each add, take and clear
// holds the lock for that operation only; the queue owns its entries.
// Closed at shutdown: the scan then stops before its next message and the
// popup shows nothing more.
class TNotificationQueue {
public:
    void Add(std::unique_ptr<TNotification> info);
    // The oldest entry, now the caller's; null when empty.
    std::unique_ptr<TNotification> Take();
    // Every entry, oldest first, now the caller's.
    std::vector<std::unique_ptr<TNotification>> TakeAll();
    void Clear();
    size_t Count();
    void Close() { closed_ = true; }
    bool Closed() const { return closed_; }

private:
    TLock lock_;
    std::deque<std::unique_ptr<TNotification>> items_;
    std::atomic<bool> closed_{false};
};

// One notification standing for several (at least two): subject "N new
// messages"; folder and sender the one all share, else "N folders" and "N
// senders"; the body one "Sender: Subject" line each, oldest first; high
// priority when any is, low when all are.
TNotification SummaryOf(const std::vector<std::unique_ptr<TNotification>>& items);

// Whether a notification is dropped instead of shown: the user does not want
// to be told while the mail client is in front, and it is.
// The mail client is only looked for when it matters.
inline bool HeldBack(bool displayWhenMailClientActive, const std::function<bool()>& mailClientActive) {
    return !displayWhenMailClientActive && mailClientActive && mailClientActive();
}

}  // namespace pellumo
