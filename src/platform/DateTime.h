#pragma once
// Date-time values as the program keeps them: days since 1899-12-30 as a
// double whose fraction is the time of day.
#include <cstdint>
#include <string>

namespace pellumo {

using TDateTime = double;

struct TCalendarTime {
    int Year, Month, Day, Hour, Minute, Second, Millisecond;
};

// Calendar fields to a date-time value; for days before 1899-12-30 the time
// of day counts away from zero, as the value's convention has it.
TDateTime EncodeDateTime(const TCalendarTime& t);

// A FILETIME (100-ns units since 1601-01-01 UTC) as local calendar time, through
// the platform's own conversions. False when the platform cannot convert it.
bool FileTimeToLocalCalendar(uint64_t fileTime, TCalendarTime& out);

// Both steps; 0 when the file time cannot be converted.
TDateTime FileTimeToLocalDateTime(uint64_t fileTime);

// The time now, as a FILETIME (UTC).
uint64_t NowFileTime();

// Local calendar time to a FILETIME (UTC), through the platform's time-zone
// rules. False when the platform cannot convert it.
bool LocalCalendarToFileTime(const TCalendarTime& local, uint64_t& fileTime);

// A local time of day ("14:30", "2:30 PM") and a date ("2026-12-24",
// "24.12.2026") as the user's locale writes them (the short forms, no
// seconds); natively always the first ones.
std::string LocalClockText(const TCalendarTime& t);
std::string LocalDateText(const TCalendarTime& t);

}  // namespace pellumo
