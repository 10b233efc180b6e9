// Local time on Windows, with the system's own file-time conversions.
#include <windows.h>

#include "platform/DateTime.h"

namespace pellumo {

bool FileTimeToLocalCalendar(uint64_t fileTime, TCalendarTime& out) {
    FILETIME utc, local;
    utc.dwLowDateTime = static_cast<DWORD>(fileTime);
    utc.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return false;
    out = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
    return true;
}

}  // namespace pellumo
