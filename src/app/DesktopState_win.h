#pragma once
// What the desktop and the user's system say, as the popup asks it afresh at
// every use: whether a full-screen program is in front, and the user's
// preferences for every program (screen reader, high contrast, how long a
// notification stays).
#include "app/DisplayCycle.h"

namespace pellumo {

bool FullScreenProgramInFront();
TSystemPreferences ReadSystemPreferences();
// The input's idleness and the screen saver as the system says them; Locked
// as the caller heard of it (the session's notifications).
TPresence ReadPresence(bool locked);

enum class TSessionWatch {
    Watching,
    NotYet,   // the system's session service refused: at logon it may not be ready yet
    NotHere,  // the system has no such service
};
// The session's lock and switch notifications (WM_WTSSESSION_CHANGE) for a
// window, where the system has them (looked up at run time).
TSessionWatch WatchSessionChanges(void* window);
void StopWatchingSessionChanges(void* window);
// Whether a WM_WTSSESSION_CHANGE event leaves the session locked or switched
// away from (true), back (false), or says nothing of it (unchanged).
bool SessionAwayAfter(unsigned event, bool before);

}  // namespace pellumo
