#pragma once
// What the tray icon says: its tip (unread mail per folder, a pause, or why
// nothing is watched) and the count drawn on it.
#include <cstddef>
#include <string>
#include <vector>

#include "app/StoreWatch.h"
#include "store/WatchedFolders.h"
#include "texts/Language.h"

namespace pellumo {

struct TFolderUnread {
    std::string Name;  // UTF-8
    size_t Count;
};

// The watched folders holding unread mail, in watched order.
std::vector<TFolderUnread> UnreadByFolder(const TFolderList& folders);
size_t TotalUnread(const std::vector<TFolderUnread>& unread);

// The tip's longest text, in UTF-16 units (the shell's field holds 128 with
// its terminating zero).
constexpr size_t kTrayTipLength = 127;

// Not watching: the state's own words. Else "Pellumo: 3 unread — Inbox 2,
// Lists 1" or "Pellumo: no unread mail", after "Pellumo: alerts paused
// until 14:30; " while paused (PausedUntil, as PausedUntilText gives it;
// empty: not paused). Cut with "…" to kTrayTipLength. In Language.
std::string TrayTip(TWatchState state, const std::string& pausedUntil, const std::vector<TFolderUnread>& unread,
                    const TLanguage& language = UserLanguage());

// The count drawn on the icon: "" for none, "1" to "99", then "99+".
std::string IconCount(size_t unread);

}  // namespace pellumo
