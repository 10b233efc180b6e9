#pragma once
// Whether the user is at the desk. New alerts wait while nobody is there to
// see them (a popup playing out to an empty room is mail missed) and are
// told on the user's return.
#include <cstdint>

namespace pellumo {

struct TPresence {
    uint32_t IdleMilliseconds = 0;  // since the last keyboard or mouse input
    bool Locked = false;            // the workstation locked, or the session switched away from the console
    bool ScreenSaver = false;       // a screen saver runs
};

// Whether the user counts as away: AwayMinutes without input, the
// workstation locked or switched away from, or a screen saver running;
// never with AwayMinutes 0.
bool IsAway(const TPresence& presence, int32_t awayMinutes);

}  // namespace pellumo
