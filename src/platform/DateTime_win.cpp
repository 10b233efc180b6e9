// Local time on Windows, with the system's own file-time conversions.
#include <windows.h>

#include "platform/DateTime.h"
#include "platform/WideText_win.h"

namespace pellumo {

bool FileTimeToLocalCalendar(uint64_t fileTime, TCalendarTime& out) {
    FILETIME utc;
    utc.dwLowDateTime = static_cast<DWORD>(fileTime);
    utc.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    SYSTEMTIME utcTime, st;
    // The time zone's rules for that date (XP and later), not today's
    // offset: across a clock change the two are an hour apart.
    if (!FileTimeToSystemTime(&utc, &utcTime) || !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &st)) return false;
    out = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
    return true;
}

uint64_t NowFileTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime;
}

namespace {
SYSTEMTIME SystemTimeOf(const TCalendarTime& t) {
    SYSTEMTIME st {};
    st.wYear = static_cast<WORD>(t.Year), st.wMonth = static_cast<WORD>(t.Month), st.wDay = static_cast<WORD>(t.Day);
    st.wHour = static_cast<WORD>(t.Hour), st.wMinute = static_cast<WORD>(t.Minute);
    st.wSecond = static_cast<WORD>(t.Second), st.wMilliseconds = static_cast<WORD>(t.Millisecond);
    return st;
}

// A date or time as one of the locale's formatting calls writes it.
template <typename F>
std::string Formatted(const TCalendarTime& t, F format) {
    const SYSTEMTIME st = SystemTimeOf(t);
    wchar_t text[64] = {};
    return format(st, text) ? Utf8FromWide(text) : std::string();
}
}  // namespace

bool LocalCalendarToFileTime(const TCalendarTime& local, uint64_t& fileTime) {
    const SYSTEMTIME localTime = SystemTimeOf(local);
    SYSTEMTIME utc;
    FILETIME result;
    // The current time zone's rules for that day (XP and later).
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utc) || !SystemTimeToFileTime(&utc, &result)) return false;
    fileTime = uint64_t(result.dwHighDateTime) << 32 | result.dwLowDateTime;
    return true;
}

std::string LocalClockText(const TCalendarTime& t) {
    return Formatted(t, [](const SYSTEMTIME& st, wchar_t* text) {
        return GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, text, 64) != 0;
    });
}

std::string LocalDateText(const TCalendarTime& t) {
    return Formatted(t, [](const SYSTEMTIME& st, wchar_t* text) {
        return GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, 64) != 0;
    });
}

}  // namespace pellumo
