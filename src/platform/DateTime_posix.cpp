// Local time on POSIX systems, from the C library's time-zone rules.
#include <cstdio>
#include <ctime>

#include "platform/DateTime.h"

namespace pellumo {

namespace {
const int64_t kUnixEpochSeconds = 11644473600LL;  // 1601-01-01 to 1970-01-01
}  // namespace


bool FileTimeToLocalCalendar(uint64_t fileTime, TCalendarTime& out) {
    // The same range the Windows conversion accepts.
    if (fileTime >= 0x8000000000000000ull) return false;
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

uint64_t NowFileTime() {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<uint64_t>(now.tv_sec + kUnixEpochSeconds) * 10000000u + static_cast<uint64_t>(now.tv_nsec / 100);
}

bool LocalCalendarToFileTime(const TCalendarTime& local, uint64_t& fileTime) {
    struct tm t {};
    t.tm_year = local.Year - 1900;
    t.tm_mon = local.Month - 1;
    t.tm_mday = local.Day;
    t.tm_hour = local.Hour;
    t.tm_min = local.Minute;
    t.tm_sec = local.Second;
    t.tm_isdst = -1;  // as the rules have it on that day
    const time_t seconds = mktime(&t);
    if (seconds == static_cast<time_t>(-1) || seconds < -kUnixEpochSeconds) return false;
    fileTime = static_cast<uint64_t>(seconds + kUnixEpochSeconds) * 10000000u + static_cast<uint64_t>(local.Millisecond) * 10000u;
    return true;
}

std::string LocalClockText(const TCalendarTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", t.Hour, t.Minute);
    return text;
}

std::string LocalDateText(const TCalendarTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.Year, t.Month, t.Day);
    return text;
}

}  // namespace pellumo
