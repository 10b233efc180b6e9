#include "platform/DateTime.h"

namespace pellumo {

namespace {
// Days from 0001-01-01 to the given date in the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    static const int kBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    const int64_t p = y - 1;
    return p * 365 + p / 4 - p / 100 + p / 400 + kBefore[m - 1] + (leap && m > 2 ? 1 : 0) + d - 1;
}
const int64_t kDay1899_12_30 = DaysFromCivil(1899, 12, 30);
}  // namespace

TDateTime EncodeDateTime(const TCalendarTime& t) {
    const double date = static_cast<double>(DaysFromCivil(t.Year, t.Month, t.Day) - kDay1899_12_30);
    const double time =
        ((t.Hour * 60.0 + t.Minute) * 60.0 * 1000.0 + t.Second * 1000.0 + t.Millisecond) / 86400000.0;
    return date >= 0 ? date + time : date - time;
}

TDateTime FileTimeToLocalDateTime(uint64_t fileTime) {
    TCalendarTime t {};
    if (!FileTimeToLocalCalendar(fileTime, t)) return 0;
    return EncodeDateTime(t);
}

}  // namespace pellumo
