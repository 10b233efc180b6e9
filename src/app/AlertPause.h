#pragma once
// Holding the alerts back for a while: the tray menu's choices, when each
// ends, and how the tip says it. A pause is kept as the moment it ends (a
// UTC file time), so that it outlives a restart or a logoff.
#include <cstdint>
#include <string>

#include "texts/Language.h"
#include "platform/DateTime.h"

namespace pellumo {

enum class TPauseChoice { ThirtyMinutes, OneHour, UntilTomorrow, UntilResumed };

// The end of a pause that only the user ends.
constexpr uint64_t kUntilResumed = ~0ull;

// Whether alerts are held back at Now (both UTC file times); 0 is no pause,
// and a pause that has ended is none.
inline bool IsPaused(uint64_t pausedUntil, uint64_t now) {
    return pausedUntil == kUntilResumed || (pausedUntil != 0 && now < pausedUntil);
}

// The next 8:00 after local time Now: today's before 8:00, else tomorrow's.
TCalendarTime NextMorning(const TCalendarTime& now);

// When a pause chosen at Now ends (UTC file times); 0 when the platform
// cannot tell the next morning's time.
uint64_t PauseEnd(TPauseChoice choice, uint64_t now);

// "until 14:30", "until tomorrow 08:00", "until 2026-12-24 08:00", or "until
// you resume", in local time as seen at Now, in Language with the time and
// date as the user's locale writes them.
std::string PausedUntilText(uint64_t pausedUntil, uint64_t now, const TLanguage& language = UserLanguage());

}  // namespace pellumo
