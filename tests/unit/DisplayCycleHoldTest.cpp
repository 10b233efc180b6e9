// What holds the popup's mail back and how it is told once free: summaries,
// a full-screen program, a pause, the user's absence, a message shown again,
// and the popup held for the setup dialog.
#include <gtest/gtest.h>

#include "unit/DisplayCycleFixture.h"

namespace pellumo {
namespace test {
namespace {

TEST_F(DisplayCycle, MoreThanSummarizeAfterWaitingAreShownAsOneSummary) {
    const struct { const char* what; int32_t limit; bool eachOnItsOwn; int burst; const char* subject, *folder; } cases[] = {
        // The first of a burst frees the popup; what joins it before it shows counts with it.
        {"more than the limit", 5, false, 8, "8 new messages", "(Inbox)"},
        {"as many as the limit", 5, false, 5, "Subject : m1", "(Inbox) +4"},
        {"never", 0, false, 8, "Subject : m1", "(Inbox) +7"},
        {"the test run shows each", 5, true, 8, "Subject : m1", "(Inbox) +7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cycle_.reset(), queue.Clear(), view = TFakeView();
        settings.SummarizeAfter = c.limit, eachOnItsOwn = c.eachOnItsOwn;
        for (int i = 1; i <= c.burst; ++i) Mail("m" + std::to_string(i));
        Ticks(1);
        EXPECT_TRUE(view.visible);
        EXPECT_EQ(c.subject, view.subject);
        EXPECT_EQ(c.folder, view.folder);
        EXPECT_EQ(1, view.sounds);
    }
    // Six arriving while one is up are counted on it, and summarised when it goes.
    cycle_.reset(), queue.Clear(), view = TFakeView();
    settings.SummarizeAfter = 5, settings.UseFading = false, settings.HintTime = 0, eachOnItsOwn = false;
    Mail("a", mpLow);
    Ticks(1);
    for (const char* subject : {"b", "c", "d", "e", "f", "g"}) Mail(subject, mpLow);
    EXPECT_EQ("(Inbox) +6", view.folder);
    EXPECT_EQ("Subject : a", view.subject);
    Ticks(2);  // tested, gone, the rest taken at once
    EXPECT_EQ("6 new messages", view.subject);
    EXPECT_EQ("From : Ann", view.sender);
    EXPECT_EQ("(Inbox)", view.folder);
    EXPECT_EQ(3, view.icon);
    EXPECT_TRUE(view.bodyIsList);
    EXPECT_EQ(0u, queue.Count());
    settings.PlaySound = false;
    Ticks(1);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(1, view.sounds);  // the first one's only
}

TEST_F(DisplayCycle, FullScreenProgramInFrontKeepsTheQueueWaitingLookingOnceASecond) {
    fullScreen = true;
    Mail("a"), Mail("b");
    EXPECT_FALSE(Cycle().Showing());
    EXPECT_EQ(TPhase::Waiting, Cycle().Phase());
    EXPECT_EQ(2u, queue.Count());
    EXPECT_EQ(TPopupCycle::kQuietCheckInterval, view.interval);
    Ticks(3);
    EXPECT_FALSE(view.visible);
    fullScreen = false;
    Ticks(1);  // looked at again: it has gone
    EXPECT_EQ(TPhase::Pending, Cycle().Phase());
    EXPECT_EQ("Subject : a", view.subject);
    EXPECT_EQ(TPopupCycle::kTimerInterval, view.interval);
    // With the setting off it is not looked at; with nothing waiting, neither.
    cycle_.reset(), queue.Clear(), view = TFakeView();
    settings.QuietFullScreen = false, fullScreen = true, fullScreenLooks = 0;
    Mail("c");
    EXPECT_TRUE(Cycle().Showing());
    settings.QuietFullScreen = true;
    Cycle().CloseRequested();
    Cycle().ShowNextNotification();
    EXPECT_EQ(0, fullScreenLooks);
    EXPECT_FALSE(Cycle().TimerEnabled());
}

TEST_F(DisplayCycle, APauseHoldsEveryPopupAndWhatCameMeanwhileComesAsOneSummary) {
    paused = true, inboxSound = "C:\\Sounds\\inbox.wav";
    for (int i = 1; i <= 7; ++i) Mail("m" + std::to_string(i));
    Ticks(3);
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(0, view.sounds);
    EXPECT_EQ(7u, queue.Count());
    paused = false;
    Ticks(2);  // looked at again, then the first fade step shows it
    EXPECT_TRUE(view.visible);
    EXPECT_EQ("7 new messages", view.subject);
    EXPECT_EQ(1, view.sounds);
    EXPECT_EQ(inboxSound, view.sound);  // all of one folder: that folder's sound
}

TEST_F(DisplayCycle, ShownAgainAtOnceOnItsOwnAheadOfWhatWaits) {
    settings.SummarizeAfter = 2;
    Mail("up");
    Ticks(2);
    ASSERT_EQ("Subject : up", view.subject);
    paused = true;  // the user's own asking is not held back
    for (const char* waiting : {"w1", "w2", "w3"}) Mail(waiting);
    Cycle().ShowAgain(Note("Lists", "Bob", "once more", "again"));
    Ticks(2);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ("Subject : once more", view.subject);
    EXPECT_EQ("(Lists) +3", view.folder);
    EXPECT_EQ(3u, queue.Count());
}

// A notification taken from the queue but not yet on screen is never lost:
// not to one shown again, nor to the popup being held (the setup dialog).
TEST_F(DisplayCycle, NothingTakenIsDroppedByShowingAgainOrHolding) {
    for (const bool holding : {false, true}) {
        SCOPED_TRACE(holding ? "held" : "shown again");
        view = TFakeView(), cycle_.reset();
        paused = false;
        Mail("taken");
        Mail("waiting");
        ASSERT_EQ(TPhase::Pending, Cycle().Phase());
        if (holding) {
            Cycle().HoldNotifications();
            paused = true;
            Cycle().ShowNextNotification();
            Ticks(3);
            EXPECT_FALSE(view.visible);
        } else {
            Cycle().ShowAgain(Note("Lists", "Bob", "once more"));
            Ticks(1);
            EXPECT_EQ("Subject : once more", view.subject);
        }
        ASSERT_EQ(2u, queue.Count());
        EXPECT_EQ("taken", queue.Take()->Subject);
        queue.Clear();
    }
    // One on screen is hidden, and what waits shows once no longer held.
    view = TFakeView(), cycle_.reset();
    paused = false;
    Mail("on screen");
    Ticks(1);
    ASSERT_TRUE(view.visible);
    Mail("behind it");
    paused = true;
    Cycle().HoldNotifications();
    EXPECT_FALSE(view.visible);
    paused = false;
    Cycle().ShowNextNotification();
    Ticks(1);
    EXPECT_EQ("Subject : behind it", view.subject);
}

// Away: idle for the minutes set, locked, or behind a screen saver; never
// with the setting 0. A pause wins: what waits for it is told as a pause's
// end tells it.
TEST_F(DisplayCycle, NothingIsMissedWhileTheUserIsAway) {
    const uint32_t minute = 60000;
    const struct {
        const char* what;
        TPresence presence;
        int32_t minutes;
        bool away;
    } cases[] = {
        {"at the desk", {minute - 1, false, false}, 1, false},
        {"idle the minutes set", {minute, false, false}, 1, true},
        {"idle, but less than set", {9 * minute, false, false}, 10, false},
        {"locked", {0, true, false}, 10, true},
        {"screen saver", {0, false, true}, 10, true},
        {"never away", {100 * minute, true, true}, 0, false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.away, IsAway(c.presence, c.minutes)) << c.what;

    settings.UseFading = false, settings.HintTime = 1, settings.AwayMinutes = 1;
    Mail("up");
    Ticks(1);
    presence.Locked = true;  // the user leaves
    Ticks(100);              // five seconds: past the hint time
    EXPECT_TRUE(view.visible) << "the popup on screen stays";
    for (const char* waiting : {"a", "b", "c"}) Mail(waiting);
    queue.Add(Note("Lists", "Bob", "d"));
    Ticks(100);
    EXPECT_EQ("Subject : up", view.subject);
    EXPECT_EQ(4u, queue.Count());
    presence.Locked = false;  // back
    Ticks(25);                // the countdown from its start, the fade-free hide, a quiet check
    EXPECT_TRUE(view.visible);
    EXPECT_EQ("While you were away: 4 new messages", view.subject);
    EXPECT_EQ("(Inbox 3, Lists 1)", view.folder);
    EXPECT_EQ(0u, queue.Count());

    // Paused meanwhile: the pause's end tells what waited, as a pause does.
    Cycle().CloseRequested();
    presence.Locked = true, paused = true;
    Mail("e"), Mail("f");
    Ticks(30);
    presence.Locked = false, paused = false;
    Ticks(2);
    EXPECT_EQ("Subject : e", view.subject);

    // An absence that ended under a popup with nothing behind it leaves
    // nothing to tell: what later waits for a pause is told one by one.
    Cycle().CloseRequested();
    Mail("g");
    Ticks(1);
    presence.Locked = true;
    Ticks(100);
    presence.Locked = false;
    Ticks(30);  // the countdown, the hide
    EXPECT_FALSE(view.visible);
    paused = true;
    Mail("h"), Mail("i");
    Ticks(30);
    paused = false;
    Ticks(2);
    EXPECT_EQ("Subject : h", view.subject);
}

// What the user always wants told passes a pause and a full-screen program:
// shown at once, on its own, with the high-priority icon, while the rest
// waits on. Nobody would see it while the user is away, and nothing shows
// over the setup dialog: there it waits, and is told first once free.
TEST_F(DisplayCycle, ToldAlwaysOverAPauseOrAFullScreenProgramOnly) {
    const struct {
        const char* what;
        bool paused, fullScreen, away, setupOpen;
        bool atOnce;  // shown while held
    } cases[] = {
        {"nothing holds", false, false, false, false, true},
        {"paused", true, false, false, false, true},
        {"a full-screen program", false, true, false, false, true},
        {"away", false, false, true, false, false},
        {"paused and away", true, false, true, false, false},
        {"the setup dialog", false, false, false, true, false},
        {"the setup dialog and a pause", true, false, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cycle_.reset(), queue.Clear(), view = TFakeView();
        settings.UseFading = false, settings.HintTime = 1, settings.AwayMinutes = 1;
        paused = c.paused, fullScreen = c.fullScreen, setupOpen = c.setupOpen, presence.Locked = c.away;
        const bool held = c.paused || c.fullScreen || c.away || c.setupOpen;
        queue.Add(Note("Inbox", "Ann", "ordinary"));
        AlwaysMail("urgent");
        EXPECT_EQ(c.atOnce ? "Subject : urgent" : "", NextShown());
        if (c.atOnce) {
            EXPECT_EQ(2, view.icon) << "the high-priority icon";
            EXPECT_EQ("(Inbox) +1", view.folder);
        }
        if (held) {
            Ticks(60);
            EXPECT_FALSE(view.visible);
            EXPECT_EQ(c.atOnce ? 1u : 2u, queue.Count());
            paused = fullScreen = setupOpen = presence.Locked = false;
        }
        if (!c.atOnce) {
            EXPECT_EQ("Subject : urgent", NextShown());
        }
        EXPECT_EQ("Subject : ordinary", NextShown());
        EXPECT_EQ(-1, view.icon);
    }
}

// Told always goes ahead of all that waits, on its own: next after the
// popup that is up, before a burst (which is summarised after it), never
// joining one about to show; first on the user's return, the rest then told
// as what came meanwhile; and not thrown away when the user closes a popup.
TEST_F(DisplayCycle, ToldAlwaysGoesFirstAndOnItsOwn) {
    settings.UseFading = false, settings.HintTime = 1, settings.SummarizeAfter = 2, settings.AwayMinutes = 1;
    Mail("up");
    Ticks(1);
    Mail("a"), Mail("b"), Mail("c");
    AlwaysMail("urgent 1"), AlwaysMail("urgent 2");
    EXPECT_EQ("(Inbox) +5", view.folder);
    EXPECT_EQ("Subject : urgent 1", NextShown());
    EXPECT_EQ("Subject : urgent 2", NextShown());
    EXPECT_EQ("3 new messages", NextShown());

    presence.Locked = true;
    Mail("d"), AlwaysMail("urgent 3"), Mail("e");
    Ticks(100);
    EXPECT_EQ("3 new messages", view.subject) << "still up while nobody is there";
    presence.Locked = false;
    EXPECT_EQ("Subject : urgent 3", NextShown());
    EXPECT_EQ("While you were away: 2 new messages", NextShown());

    Cycle().CloseRequested();
    Mail("f");
    ASSERT_EQ(TPhase::Pending, Cycle().Phase());
    Mail("g"), Mail("h");  // would join f's popup as a summary of three
    AlwaysMail("urgent 4");
    EXPECT_EQ("Subject : f", NextShown());
    Cycle().CloseRequested();
    EXPECT_EQ(1u, queue.Count());
    EXPECT_EQ("Subject : urgent 4", NextShown());
    EXPECT_EQ(0u, queue.Count());
}

// The context menu keeps what is up on screen for as long as it is open; a
// Never choice takes it away and what waits follows, any other choice (or
// none) lets it count down again. Summaries and samples offer no sender.
TEST_F(DisplayCycle, TheContextMenuHoldsThePopupAndANeverChoiceTakesItAway) {
    settings.HintTime = 1, settings.SummarizeAfter = 2;
    auto fromNews = [this](const std::string& subject) {
        auto note = Note("Inbox", "News", subject);
        note->SenderAddress = "letters@news.example.org";
        queue.Add(std::move(note));
        Cycle().ShowNextNotification();
    };
    fromNews("n1");
    EXPECT_EQ("", Cycle().ShownSenderAddress()) << "not yet on screen";
    EXPECT_EQ("Subject : n1", NextShown());
    Mail("waits");
    EXPECT_EQ("letters@news.example.org", Cycle().ShownSenderAddress());
    Cycle().MenuOpened();
    Ticks(1000);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(255, Cycle().Alpha());
    Cycle().MenuClosed(true);
    EXPECT_FALSE(view.visible);
    EXPECT_EQ("Subject : waits", NextShown());

    Cycle().MenuOpened();
    Cycle().MenuClosed(false);
    EXPECT_EQ(TPhase::CountingDown, Cycle().Phase());
    Ticks(Cycle().HideTickLimit() + 2 * TPopupCycle::kFadeSteps);
    EXPECT_FALSE(view.visible) << "counted down as before the menu";

    fromNews("n2");
    EXPECT_EQ("Subject : n2", NextShown());
    Cycle().MenuOpened();
    Cycle().ShowAgain(Note("Inbox", "Ann", "again"));
    Cycle().MenuClosed(true);
    EXPECT_EQ("Subject : again", NextShown()) << "what took the menu's popup's place stays";

    Cycle().CloseRequested();
    Mail("a"), Mail("b"), Mail("c");
    EXPECT_EQ("3 new messages", NextShown());
    EXPECT_EQ("", Cycle().ShownSenderAddress());
}

}  // namespace
}  // namespace test
}  // namespace pellumo
