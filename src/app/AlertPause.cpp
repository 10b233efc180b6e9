#include "app/AlertPause.h"

#include <cstdio>

namespace pellumo {

namespace {

const uint64_t kMinute = 600000000ull;  // in file-time units

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[(month - 1) % 12];
}

TCalendarTime NextDay(TCalendarTime t) {
    if (++t.Day > DaysInMonth(t.Year, t.Month)) {
        t.Day = 1;
        if (++t.Month > 12) t.Month = 1, ++t.Year;
    }
    return t;
}

std::string Clock(const TCalendarTime& t) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", t.Hour, t.Minute);
    return text;
}

bool SameDay(const TCalendarTime& a, const TCalendarTime& b) {
    return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day;
}

}  // namespace

TCalendarTime NextMorning(const TCalendarTime& now) {
    TCalendarTime morning = now.Hour < 8 ? now : NextDay(now);
    morning.Hour = 8, morning.Minute = 0, morning.Second = 0, morning.Millisecond = 0;
    return morning;
}

uint64_t PauseEnd(TPauseChoice choice, uint64_t now) {
    switch (choice) {
        case TPauseChoice::ThirtyMinutes: return now + 30 * kMinute;
        case TPauseChoice::OneHour: return now + 60 * kMinute;
        case TPauseChoice::UntilResumed: return kUntilResumed;
        case TPauseChoice::UntilTomorrow: break;
    }
    TCalendarTime local {};
    uint64_t end = 0;
    if (!FileTimeToLocalCalendar(now, local) || !LocalCalendarToFileTime(NextMorning(local), end)) return 0;
    return end;
}

std::string PausedUntilText(uint64_t pausedUntil, uint64_t now) {
    if (pausedUntil == kUntilResumed) return "until you resume";
    TCalendarTime end {}, today {};
    if (!FileTimeToLocalCalendar(pausedUntil, end) || !FileTimeToLocalCalendar(now, today)) return "for a while";
    if (SameDay(end, today)) return "until " + Clock(end);
    if (SameDay(end, NextDay(today))) return "until tomorrow " + Clock(end);
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", end.Year, end.Month, end.Day);
    return "until " + std::string(date) + " " + Clock(end);
}

}  // namespace pellumo
