// The popup's display cycle tick by tick against a fake window: alphas,
// countdown, pointer, close and body click, queue order, hold-back, the
// system's preferences, labels and the placement of a popup found off every
// monitor.
#include <gtest/gtest.h>

#include <limits>

#include "controls/GradientPanel.h"
#include "unit/DisplayCycleFixture.h"

namespace pellumo {
namespace test {
namespace {

// --- Fading in and out -------------------------------------------------------

TEST_F(DisplayCycle, FadesInBy21FromTheFirstTickThenGoesOpaqueAndCountsDown) {
    Mail("a");
    EXPECT_EQ(TPhase::Pending, Cycle().Phase());
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(0, Cycle().Alpha());
    std::vector<int> expected = Steps(21, 21, 12);
    expected.push_back(255);
    EXPECT_EQ(expected, Alphas(13));
    EXPECT_EQ(1, std::count(view.log.begin(), view.log.end(), "show"));
    EXPECT_EQ(TPhase::CountingDown, Cycle().Phase());
}

TEST_F(DisplayCycle, FadesOutBy21FromOpaqueAndHidesOnTheThirteenthTick) {
    settings.HintTime = 0;
    Mail("a");
    Ticks(14);  // fade-in, then the test with the pointer away
    ASSERT_EQ(TPhase::FadingOut, Cycle().Phase());
    std::vector<int> expected = Steps(234, -21, 12);
    expected.push_back(0);
    EXPECT_EQ(expected, Alphas(13));
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(TPhase::Idle, Cycle().Phase());
    EXPECT_FALSE(Cycle().TimerEnabled());
}

TEST_F(DisplayCycle, WithoutFadingAppearsOpaqueAndVanishesOnOneTickEach) {
    settings.UseFading = false, settings.HintTime = 0;
    Mail("a");
    EXPECT_EQ(std::vector<int>({255, 255, 0}), Alphas(3));  // shown, tested, gone
    EXPECT_EQ(std::vector<std::string>({"start", "show", "stop", "start", "stop", "start", "stop", "hide"}), view.log);
}

TEST_F(DisplayCycle, FadingSwitchedOffDuringAFadeTakesEffectAtTheNextTick) {
    Mail("a");
    EXPECT_EQ(Steps(21, 21, 3), Alphas(3));
    settings.UseFading = false;
    EXPECT_EQ(std::vector<int>({255}), Alphas(1));
}

// --- Countdown ---------------------------------------------------------------

TEST_F(DisplayCycle, CountdownTestsThePointerOnTheTickAfterTheLimit) {
    const struct { int32_t hintTime, limit; } cases[] = {{3, 60}, {1800, 36000}, {1, 20}, {0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hintTime);
        cycle_.reset(), queue.Clear(), settings.HintTime = c.hintTime;
        Mail("a");
        Ticks(13 + c.limit);
        EXPECT_EQ(c.limit, Cycle().HideTickLimit());
        EXPECT_EQ(TPhase::CountingDown, Cycle().Phase());
        Ticks(1);
        EXPECT_EQ(TPhase::FadingOut, Cycle().Phase());
    }
}

TEST_F(DisplayCycle, TickLimitIsComputedWideAndAgainAtEveryCountdownStart) {
    EXPECT_EQ(60, TPopupCycle::TickLimit(3));
    EXPECT_EQ(-100, TPopupCycle::TickLimit(-5));
    EXPECT_EQ(60000000, TPopupCycle::TickLimit(3000000));  // 3e9 ms passes 32 bits
    EXPECT_EQ(std::numeric_limits<int32_t>::max(), TPopupCycle::TickLimit(std::numeric_limits<int32_t>::max()));
    EXPECT_EQ(std::numeric_limits<int32_t>::min(), TPopupCycle::TickLimit(std::numeric_limits<int32_t>::min()));
    Mail("a");
    EXPECT_EQ(60, Cycle().HideTickLimit());
    settings.HintTime = 1;
    Ticks(13);
    EXPECT_EQ(20, Cycle().HideTickLimit());
}

TEST_F(DisplayCycle, PointerInsideAtTheTestRestartsAFullCountdown) {
    settings.HintTime = 1;
    Mail("a");
    Ticks(13 + 20);
    view.pointerInside = true;
    Ticks(1);
    EXPECT_EQ(TPhase::CountingDown, Cycle().Phase());
    EXPECT_EQ(0, Cycle().HideTicks());
    view.pointerInside = false;
    Ticks(20);
    EXPECT_EQ(TPhase::CountingDown, Cycle().Phase());
    Ticks(1);
    EXPECT_EQ(TPhase::FadingOut, Cycle().Phase());
}

TEST_F(DisplayCycle, PointerPassingDuringTheCountdownChangesNothing) {
    settings.HintTime = 1;
    Mail("a");
    Ticks(13 + 10);
    view.pointerInside = true;
    Cycle().MouseEnter();
    Ticks(5);
    view.pointerInside = false;
    Ticks(5);
    EXPECT_EQ(20, Cycle().HideTicks());
    Ticks(1);
    EXPECT_EQ(TPhase::FadingOut, Cycle().Phase());
}

TEST_F(DisplayCycle, NegativeHintTimeHoldsThePopup) {
    settings.HintTime = -1;
    Mail("a");
    Ticks(13 + 5000);
    EXPECT_EQ(TPhase::CountingDown, Cycle().Phase());
    EXPECT_EQ(255, Cycle().Alpha());
}

TEST_F(DisplayCycle, AutoHideOffHoldsThePopupOpaqueWithTheTimerOff) {
    settings.AutoHideHint = false;
    Mail("a");
    Ticks(13 + 5000);
    EXPECT_EQ(TPhase::Held, Cycle().Phase());
    EXPECT_FALSE(Cycle().TimerEnabled());
    EXPECT_TRUE(view.visible);
    Mail("b");
    EXPECT_EQ(1u, queue.Count());
    EXPECT_EQ("Subject : a", view.subject);
}

// --- Pointer entering --------------------------------------------------------

TEST_F(DisplayCycle, PointerEnteringDuringFadeInMakesItOpaqueAndStartsTheCountdown) {
    settings.HintTime = 1;
    Mail("a");
    Cycle().MouseEnter();  // still hidden: the pointer cannot be on it
    EXPECT_EQ(TPhase::Pending, Cycle().Phase());
    EXPECT_EQ(Steps(21, 21, 4), Alphas(4));
    Cycle().MouseEnter();
    EXPECT_EQ(255, Cycle().Alpha());
    EXPECT_EQ(TPhase::CountingDown, Cycle().Phase());
    Ticks(20);
    EXPECT_EQ(TPhase::CountingDown, Cycle().Phase());
    Ticks(1);
    EXPECT_EQ(TPhase::FadingOut, Cycle().Phase());
}

TEST_F(DisplayCycle, PointerEnteringDuringAFadeOutBringsItBackAndCountsDownAgain) {
    settings.HintTime = 1;
    Mail("a");
    Ticks(14 + 20 + 3);
    ASSERT_EQ(TPhase::FadingOut, Cycle().Phase());
    Cycle().MouseEnter();
    EXPECT_EQ(255, Cycle().Alpha());
    EXPECT_EQ(TPhase::CountingDown, Cycle().Phase());
    EXPECT_TRUE(view.visible);
    Ticks(20);
    EXPECT_EQ(TPhase::CountingDown, Cycle().Phase());
    EXPECT_EQ(std::vector<int>({255, 234}), Alphas(2));  // the test, then the fade-out afresh
}

// --- Close, body click, queue order, shutdown, hold-back ---------------------

TEST_F(DisplayCycle, CloseHidesAndDiscardsThePendingNotifications) {
    Mail("a"), Mail("b"), Mail("c");
    Ticks(20);
    Cycle().CloseRequested();
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(TPhase::Idle, Cycle().Phase());
    EXPECT_EQ(0u, queue.Count());
    Ticks(100);
    EXPECT_FALSE(view.visible);
}

TEST_F(DisplayCycle, BodyClickHidesBringsOutlookExpressForwardAndKeepsTheQueue) {
    Mail("a"), Mail("b");
    Ticks(20);
    view.oeFound = false;
    Cycle().MessageBodyClick();  // no Outlook Express: the popup stays
    EXPECT_EQ(TPhase::CountingDown, Cycle().Phase());
    view.oeFound = true;
    Cycle().MessageBodyClick();
    EXPECT_EQ(std::vector<std::string>({"stop", "hide", "oe", "start"}),
              std::vector<std::string>(view.log.end() - 4, view.log.end()));
    EXPECT_EQ(TPhase::Next, Cycle().Phase());  // nothing up; the next at the tick
    EXPECT_EQ(1u, queue.Count());
    Ticks(1);  // what waited follows, as after a fade-out
    EXPECT_EQ("Subject : b", view.subject);
    EXPECT_EQ(TPhase::Pending, Cycle().Phase());
}

TEST_F(DisplayCycle, NextNotificationStartsOneTickAfterThePreviousHasGone) {
    settings.HintTime = 0;
    Mail("a"), Mail("b");
    EXPECT_EQ(1u, queue.Count());
    Ticks(14 + 12);
    EXPECT_EQ("Subject : a", view.subject);
    Ticks(1);  // the first one goes, the second is taken at once
    EXPECT_FALSE(view.visible);
    EXPECT_EQ("Subject : b", view.subject);
    EXPECT_EQ(TPhase::Pending, Cycle().Phase());
    EXPECT_EQ(std::vector<int>({21}), Alphas(1));
    EXPECT_TRUE(view.visible);
}

TEST_F(DisplayCycle, ShutdownStopsTheTimerAndStartsNothing) {
    settings.HintTime = 0;
    Mail("a"), Mail("b");
    queue.Close();
    Ticks(40);
    EXPECT_EQ(TPhase::Idle, Cycle().Phase());
    Mail("c");
    EXPECT_EQ(TPhase::Idle, Cycle().Phase());
    EXPECT_EQ(2u, queue.Count());
}

TEST_F(DisplayCycle, ATickOnItsWayWhenTheTimerIsDisabledChangesNothing) {
    settings.HintTime = 0;
    Mail("d");
    Ticks(3);
    Cycle().DisableTimer();
    EXPECT_EQ(std::vector<int>({63, 63}), Alphas(2));
}

TEST_F(DisplayCycle, HeldBackOnlyWhenTheSettingIsOffAndOutlookExpressIsInFront) {
    const struct { bool displayWhenActive, active, shown; } cases[] = {
        {false, true, false}, {false, false, true}, {true, true, true}, {true, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.displayWhenActive << c.active);
        cycle_.reset(), queue.Clear();
        settings.DisplayWhenOEActive = c.displayWhenActive, oeActive = c.active;
        queue.Add(Note("Inbox", "Ann", "b", "", mpNormal));
        Mail("a");
        EXPECT_EQ(c.shown, Cycle().Showing());
        EXPECT_EQ(1u, queue.Count());  // one taken, the other waits either way
        if (c.shown) continue;
        // The next is looked at one tick after a drop, not left waiting.
        oeActive = false;
        Ticks(1);
        EXPECT_TRUE(Cycle().Showing());
        EXPECT_EQ(0u, queue.Count());
    }
}

// The setup dialog's sample: shown at once in the dialog's values, not the
// stored ones, held back by nothing; it gives way to no mail and is none,
// and what follows it is shown in the stored values again.
TEST_F(DisplayCycle, ASampleIsShownInItsOwnSettingsAndLeavesTheStoredOnesAlone) {
    settings.BeginColor = 0x111111, settings.EndColor = 0x222222, settings.HintTime = 3;
    paused = true;  // as while the dialog is open
    Mail("waiting");
    TPopupSettings sample = settings;
    sample.BeginColor = 0x0000FF, sample.EndColor = 0x00FF00, sample.UseFading = false, sample.HintTime = 1;
    Cycle().ShowSample(Note("Inbox", "Pellumo", "sample"), sample);
    Ticks(1);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(255, Cycle().Alpha()) << "no fading, as the dialog says";
    EXPECT_EQ(0x0000FFu, view.begin);
    EXPECT_EQ(0x00FF00u, view.end);
    EXPECT_EQ(TPopupCycle::TickLimit(1), Cycle().HideTickLimit());
    // Counted down in the sample's second, gone in one tick without fading.
    Ticks(TPopupCycle::TickLimit(1) + 2);
    EXPECT_FALSE(view.visible);
    ASSERT_EQ(1u, queue.Count()) << "the sample is no mail";
    paused = false;
    Cycle().ShowNextNotification();
    Ticks(1);
    EXPECT_EQ("Subject : waiting", view.subject);
    EXPECT_EQ(0x111111u, view.begin);
    Ticks(TPopupCycle::kFadeSteps);
    EXPECT_EQ(TPopupCycle::TickLimit(3), Cycle().HideTickLimit());
}

// What the user's system asks: no fade under a screen reader or in high
// contrast, a hint no shorter than the system's notification duration, and
// in high contrast the system's colours alone.
TEST_F(DisplayCycle, FollowsTheSystemsPreferences) {
    const struct {
        const char* what;
        TSystemPreferences system;
        int32_t hintTime;
        bool useFading;
        int32_t hintTimeUsed;
    } cases[] = {
        {"none", {}, 3, true, 3},
        {"screen reader", {true, false, 0}, 3, false, 3},
        {"high contrast", {false, true, 0}, 3, false, 3},
        {"a longer notification duration", {false, false, 5}, 3, true, 5},
        {"a shorter one", {false, false, 2}, 3, true, 3},
        {"a hint held for good stays so", {false, false, 5}, -1, true, -1},
    };
    for (const auto& c : cases) {
        TPopupSettings settings;
        settings.HintTime = c.hintTime;
        const TPopupSettings used = AdjustedFor(settings, c.system);
        EXPECT_EQ(c.useFading, used.UseFading) << c.what;
        EXPECT_EQ(c.hintTimeUsed, used.HintTime) << c.what;
    }
    // Under a screen reader the popup is there at the first tick.
    system.ScreenReader = true;
    Mail("a");
    EXPECT_EQ(std::vector<int>{255}, Alphas(1));
    EXPECT_EQ(clBlue, view.colors.Subject);
    // High contrast, also for the one on screen: no gradient, no folder colour.
    system.HighContrast = true;
    Cycle().SystemPreferencesChanged();
    EXPECT_EQ(clInfoBk, view.colors.Begin);
    EXPECT_EQ(clInfoBk, view.colors.End);
    EXPECT_EQ(clInfoText, view.colors.Text);
    EXPECT_EQ(clInfoText, view.colors.Subject);
    const TPopupColors own = PopupColors(settings, 0x00336699u, false);
    EXPECT_EQ(0x00336699u, own.Begin);
    EXPECT_EQ(clInfoBk, PopupColors(settings, 0x00336699u, true).Begin);
}

// A screen reader is told each notification as it appears: one message by
// its sender and subject, several by their count and folders, with the start
// of what the popup shows below.
TEST_F(DisplayCycle, EachNotificationShownIsAnnouncedWithWhatItSays) {
    settings.UseFading = false;
    settings.SummarizeAfter = 2;
    Mail("Hi");
    Ticks(1);
    const std::string longBody(400, 'x');
    Cycle().ShowAgain(Note("Lists", "Bob", "Again", longBody));
    Ticks(1);
    Cycle().CloseRequested();
    for (const char* folder : {"Inbox", "Lists", "Inbox"}) queue.Add(Note(folder, "Cy", "m"));
    Cycle().ShowNextNotification();
    Ticks(1);
    EXPECT_EQ((std::vector<std::string>{"New mail from Ann: Hi | Body of Hi",
                                        "New mail from Bob: Again | " + std::string(300, 'x') + kEllipsis,
                                        "3 new messages: Inbox 2, Lists 1 | Cy: m\r\nCy: m\r\nCy: m"}),
              view.alerts);
}

// --- Content and layout ------------------------------------------------------

TEST_F(DisplayCycle, FillsTheLabelsAndTheGradientOfEachNotification) {
    settings.BeginColor = 0x00EBB170, settings.EndColor = 0x000000FF;
    queue.Add(Note("Work", "Bob <b@x>", "Hi", "Text", mpNormal));
    Cycle().ShowNextNotification();
    EXPECT_EQ("(Work)", view.folder);
    EXPECT_EQ("From : Bob <b@x>", view.sender);
    EXPECT_EQ("Subject : Hi", view.subject);
    EXPECT_EQ("Text", view.body);
    EXPECT_EQ(0x00EBB170u, view.begin);
    EXPECT_EQ(0x000000FFu, view.end);
    // A folder with a colour of its own starts the gradient with it.
    cycle_.reset(), queue.Clear(), view = TFakeView();
    queue.Add(Note("Lists", "Cy", "News", "", mpNormal, "000012", 0x00336699));
    Cycle().ShowNextNotification();
    EXPECT_EQ(0x00336699u, view.begin);
    EXPECT_EQ(0x000000FFu, view.end);
}

TEST_F(DisplayCycle, PriorityIconMovesTheSubjectAndSetsItsWidth) {
    const struct { TMailPriority priority; int icon; int32_t left; } cases[] = {
        {mpHigh, 2, 22}, {mpLow, 3, 22}, {mpNormal, -1, 8}, {mpHigh, 2, 22}};
    settings.UseFading = false, settings.HintTime = 0;
    for (const auto& c : cases) {  // one after the other in one popup
        Mail("a", c.priority);
        EXPECT_EQ(c.icon, view.icon);
        EXPECT_EQ(c.left, view.subjectLeft);
        EXPECT_EQ(292 - c.left - 2, view.subjectWidth);
        Ticks(3);
    }
    EXPECT_EQ(0, SubjectLayout(mpHigh, 20).Width);  // narrower than the margins
}

// --- Position ----------------------------------------------------------------

TEST_F(DisplayCycle, PopupOffEveryWorkAreaIsMovedToTheDefaultRectangleBeforeShowing) {
    const struct { TRect bounds; bool moved; } cases[] = {
        {{100, 100, 400, 300}, false},   // primary
        {{1500, 100, 1800, 300}, false}, // second monitor
        {{-299, 100, 1, 300}, false},    // one column on screen
        {{2304, 0, 2604, 200}, true},    // right of everything, edges touching
        {{1500, 738, 1800, 938}, true},  // below the second monitor's work area
        {{-1280, 0, -980, 200}, true},   // a monitor that was unplugged
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bounds.Left);
        cycle_.reset(), view.bounds = c.bounds, stored = TRect();
        Mail("a", mpHigh);
        const TRect expected = c.moved ? TRect{980, 794, 1280, 994} : c.bounds;
        EXPECT_EQ(expected, view.bounds);
        EXPECT_EQ(c.moved ? expected : TRect(), stored);
        EXPECT_EQ(expected.Right - expected.Left - 8 - 24, view.subjectWidth);  // laid out after the move
        Cycle().CloseRequested();
    }
}

TEST_F(DisplayCycle, OnlyANotificationAboutToBeShownMovesThePopup) {
    settings.HintTime = 0;
    Mail("a"), Mail("b");
    Ticks(14);
    view.bounds = {-1280, 0, -980, 200};  // its monitor unplugged during the fade-out
    Ticks(12);
    EXPECT_EQ(0, Moves());
    Ticks(1);  // a gone, b about to be shown
    EXPECT_EQ(1, Moves());
    Cycle().CloseRequested();
    view.bounds = {-1280, 0, -980, 200};
    oeActive = true, settings.DisplayWhenOEActive = false;
    Mail("c");  // held back: not shown, so not moved
    oeActive = false, areas.clear();
    Mail("d");  // shown, but with no monitor known there is nowhere better
    EXPECT_TRUE(Cycle().Showing());
    EXPECT_EQ(1, Moves());
}

TEST_F(DisplayCycle, SnapsOnlyWhileTheUserMovesAndStoresEveryNewRectangle) {
    TRect r{50, 60, 350, 260};
    Cycle().WindowPosChanging(r);
    EXPECT_EQ(TRect({50, 60, 350, 260}), r);
    Cycle().EnterSizeMove();
    Cycle().WindowPosChanging(r);
    EXPECT_EQ(TRect({0, 60, 300, 260}), r);
    Cycle().ExitSizeMove();
    r = {50, 60, 350, 260};
    Cycle().WindowPosChanging(r);
    EXPECT_EQ(50, r.Left);
    Cycle().WindowPosChanged(r);
    EXPECT_EQ(r, stored);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
