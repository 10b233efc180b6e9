#include "app/AlertPause.h"


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

std::string PausedUntilText(uint64_t pausedUntil, uint64_t now, const TLanguage& language) {
    if (pausedUntil == kUntilResumed) return language.Text(TText::PausedUntilResumed);
    TCalendarTime end {}, today {};
    if (!FileTimeToLocalCalendar(pausedUntil, end) || !FileTimeToLocalCalendar(now, today))
        return language.Text(TText::PausedForAWhile);
    if (SameDay(end, today)) return language.Text(TText::PausedUntilTime, {LocalClockText(end)});
    if (SameDay(end, NextDay(today))) return language.Text(TText::PausedUntilTomorrow, {LocalClockText(end)});
    return language.Text(TText::PausedUntilDate, {LocalDateText(end), LocalClockText(end)});
}

}  // namespace pellumo
