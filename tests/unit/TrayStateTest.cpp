// What the tray icon says and offers after the popups have gone: the tip
// with the unread mail, the count drawn on the icon, the pause's end and
// the recent mail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AlertPause.h"
#include "app/RecentMail.h"
#include "app/TrayTip.h"

namespace pellumo {
namespace test {
namespace {

TEST(TrayTip, SaysTheUnreadMailThePauseOrWhyNothingIsWatched) {
    const std::vector<TFolderUnread> two = {{"Inbox", 2}, {"Lists", 1}};
    const std::string many(40, 'x');
    const struct {
        TWatchState state;
        const char* paused;
        std::vector<TFolderUnread> unread;
        std::string tip;
    } cases[] = {
        {TWatchState::Watching, "", two, "Pellumo: 3 unread \u2014 Inbox 2, Lists 1"},
        {TWatchState::Watching, "", {}, "Pellumo: no unread mail"},
        {TWatchState::Watching, "until 14:30", two, "Pellumo: alerts paused until 14:30; 3 unread \u2014 Inbox 2, Lists 1"},
        {TWatchState::Watching, "until you resume", {}, "Pellumo: alerts paused until you resume; no unread mail"},
        // Not watching wins over the count and the pause.
        {TWatchState::StoreNotFound, "until 14:30", two, "Ostrivane Pellumo - not watching: store folder not found"},
        // Cut to the shell's 127 characters, the last one the ellipsis.
        {TWatchState::Watching, "", {{many, 1}, {many, 2}, {many, 3}, {many, 4}},
         "Pellumo: 10 unread \u2014 " + many + " 1, " + many + " 2, " + std::string(17, 'x') + "\u2026"},
        // Never between the two halves of a character beyond U+FFFF.
        {TWatchState::Watching, "", {{std::string(103, 'x') + "\U0001F600\U0001F600", 5}},
         "Pellumo: 5 unread \u2014 " + std::string(103, 'x') + "\U0001F600\u2026"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.tip, TrayTip(c.state, c.paused, c.unread));
}

TEST(TrayTip, IconCountStopsAtNinetyNinePlus) {
    const struct { size_t unread; const char* drawn; } cases[] = {{0, ""}, {1, "1"}, {99, "99"}, {100, "99+"}, {12345, "99+"}};
    for (const auto& c : cases) EXPECT_EQ(c.drawn, IconCount(c.unread)) << c.unread;
}

TEST(AlertPause, EndsAsChosenAndIsOverOnceItsTimeHasCome) {
    // The next 8:00: today before it, else tomorrow, across month and year ends.
    const struct { TCalendarTime now, morning; } mornings[] = {
        {{2026, 12, 8, 7, 59, 0, 0}, {2026, 12, 8, 8, 0, 0, 0}},
        {{2026, 12, 8, 8, 0, 0, 0}, {2026, 12, 9, 8, 0, 0, 0}},
        {{2026, 12, 8, 23, 30, 0, 0}, {2026, 12, 9, 8, 0, 0, 0}},
        {{2026, 11, 30, 14, 0, 0, 0}, {2026, 12, 1, 8, 0, 0, 0}},
        {{2026, 12, 31, 22, 0, 0, 0}, {2027, 1, 1, 8, 0, 0, 0}},
        {{2028, 2, 28, 9, 0, 0, 0}, {2028, 2, 29, 8, 0, 0, 0}},
        {{2027, 2, 28, 9, 0, 0, 0}, {2027, 3, 1, 8, 0, 0, 0}},
    };
    for (const auto& m : mornings) {
        const TCalendarTime got = NextMorning(m.now);
        EXPECT_EQ(std::vector<int>({m.morning.Year, m.morning.Month, m.morning.Day, m.morning.Hour, m.morning.Minute}),
                  std::vector<int>({got.Year, got.Month, got.Day, got.Hour, got.Minute}));
    }
    // The tests run in UTC: local time is the file time's own.
    uint64_t now = 0;
    ASSERT_TRUE(LocalCalendarToFileTime({2026, 12, 8, 14, 0, 0, 0}, now));
    const uint64_t minute = 600000000ull;
    EXPECT_EQ(now + 30 * minute, PauseEnd(TPauseChoice::ThirtyMinutes, now));
    EXPECT_EQ(now + 60 * minute, PauseEnd(TPauseChoice::OneHour, now));
    EXPECT_EQ(now + 18 * 60 * minute, PauseEnd(TPauseChoice::UntilTomorrow, now));
    EXPECT_EQ(kUntilResumed, PauseEnd(TPauseChoice::UntilResumed, now));
    // Times and dates as the user's locale writes them ("14:30" natively).
    const TCalendarTime at1430 {2026, 12, 8, 14, 30, 0, 0}, at0800 {2026, 12, 9, 8, 0, 0, 0};
    EXPECT_EQ("until " + LocalClockText(at1430), PausedUntilText(PauseEnd(TPauseChoice::ThirtyMinutes, now), now));
    EXPECT_EQ("until tomorrow " + LocalClockText(at0800),
              PausedUntilText(PauseEnd(TPauseChoice::UntilTomorrow, now), now));
    EXPECT_EQ("until " + LocalDateText({2026, 12, 24, 8, 0, 0, 0}) + " " + LocalClockText(at0800),
              PausedUntilText(now + (16 * 24 - 6) * 60 * minute, now));
    EXPECT_EQ("until you resume", PausedUntilText(kUntilResumed, now));
    // Stored ends: none, past, future, until resumed.
    EXPECT_FALSE(IsPaused(0, now));
    EXPECT_FALSE(IsPaused(now - minute, now));
    EXPECT_FALSE(IsPaused(now, now));
    EXPECT_TRUE(IsPaused(now + minute, now));
    EXPECT_TRUE(IsPaused(kUntilResumed, now));
}

// The evening before a clock change the next morning's 08:00 is shown as
// 08:00, in that day's time. Run in UTC (nothing changes) and again in a
// zone with clock changes (see tests/CMakeLists.txt).
TEST(AlertPause, AcrossAClockChangeTheEndIsShownInThatDaysTime) {
    for (const TCalendarTime& evening : {TCalendarTime{2027, 3, 27, 20, 0, 0, 0}, TCalendarTime{2027, 10, 30, 20, 0, 0, 0}}) {
        uint64_t now = 0;
        ASSERT_TRUE(LocalCalendarToFileTime(evening, now));
        EXPECT_EQ("until tomorrow " + LocalClockText({2027, 1, 1, 8, 0, 0, 0}),
                  PausedUntilText(PauseEnd(TPauseChoice::UntilTomorrow, now), now))
            << evening.Month;
    }
}

TEST(RecentMail, NewestFirstTheLastTenEachCutForAMenu) {
    TRecentMail recent;
    for (int i = 1; i <= 12; ++i) {
        TNotification info;
        info.Folder = "Inbox", info.Sender = "Ann & Bob", info.Subject = "m" + std::to_string(i);
        info.Body = std::string(100000, 'b');
        recent.Add(info);
    }
    ASSERT_EQ(TRecentMail::kLimit, recent.Items().size());
    EXPECT_EQ("m12", recent.Items().front().Subject);
    EXPECT_EQ("m3", recent.Items().back().Subject);
    EXPECT_EQ(TNotificationQueue::kMaxBodyBytes, recent.Items().front().Body.size());  // no more than a popup shows
    EXPECT_EQ("Ann && Bob: m12 (Inbox)", RecentMenuText(recent.Items().front()));
    TNotification longOne;
    longOne.Folder = "Lists", longOne.Sender = "S\u00e9bastien", longOne.Subject = std::string(80, 's') + "\r\nmore";
    const std::string text = RecentMenuText(longOne);
    EXPECT_EQ("S\u00e9bastien: " + std::string(48, 's') + "\u2026 (Lists)", text);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
