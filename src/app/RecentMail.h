#pragma once
// The last messages told, for the tray menu's "Recent mail": in memory only,
// newest first, each as its notification was made (the texts cut to what a
// popup shows), so that one can be shown again.
#include <cstddef>
#include <deque>
#include <string>

#include "app/Notification.h"

namespace pellumo {

class TRecentMail {
public:
    static constexpr size_t kLimit = 10;

    // In front; the oldest goes past the limit.
    void Add(const TNotification& info);
    const std::deque<TNotification>& Items() const { return items_; }

private:
    std::deque<TNotification> items_;
};

// A menu item's text: "Sender: Subject" cut with "…" to a menu's width,
// then " (Folder)"; an ampersand is doubled so it shows as itself.
std::string RecentMenuText(const TNotification& info);

}  // namespace pellumo
