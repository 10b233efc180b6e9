#include "app/Away.h"

namespace pellumo {

bool IsAway(const TPresence& presence, int32_t awayMinutes) {
    if (awayMinutes <= 0) return false;
    return presence.Locked || presence.ScreenSaver || presence.IdleMilliseconds >= uint32_t(awayMinutes) * 60000u;
}

}  // namespace pellumo
