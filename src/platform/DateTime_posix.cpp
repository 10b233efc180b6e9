// Local time on POSIX systems, from the C library's time-zone rules.
#include <ctime>

#include "platform/DateTime.h"

namespace pellumo {

bool FileTimeToLocalCalendar(uint64_t fileTime, TCalendarTime& out) {
    // The same range the Windows conversion accepts.
    if (fileTime >= 0x8000000000000000ull) return false;
    const int64_t kUnixEpochSeconds = 11644473600LL;
    const time_t seconds = static_cast<time_t>(static_cast<int64_t>(fileTime / 10000000) - kUnixEpochSeconds);
    struct tm local {};
    if (!localtime_r(&seconds, &local)) return false;
    out.Year = local.tm_year + 1900;
    out.Month = local.tm_mon + 1;
    out.Day = local.tm_mday;
    out.Hour = local.tm_hour;
    out.Minute = local.tm_min;
    out.Second = local.tm_sec;
    out.Millisecond = static_cast<int>((fileTime / 10000) % 1000);
    return true;
}

}  // namespace pellumo
