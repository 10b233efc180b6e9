// The popup's display cycle tick by tick against a fake window: alphas,
// countdown, pointer, close and body click, queue order and bounds, hold-back,
// layout and the placement of a popup found off every monitor.
#include <gtest/gtest.h>

#include <optional>

#include <algorithm>
#include <limits>
#include <optional>
#include <ostream>

#include "app/DisplayCycle.h"
#include "controls/GradientPanel.h"

namespace pellumo {

static void PrintTo(const TRect& r, std::ostream* os) { *os << "{" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "}"; }

namespace test {
namespace {

using TPhase = TPopupCycle::TPhase;

// A window that remembers what it was told; its panel is the window less an
// 8-pixel frame, and moving it reports back as WM_WINDOWPOSCHANGED does.
struct TFakeView : IPopupView {
    TPopupCycle* cycle = nullptr;
    std::vector<std::string> log;
    bool visible = false, pointerInside = false, oeFound = true, bodyIsList = false;
    std::string folder, sender, subject, body;
    int32_t interval = 0;
    int sounds = 0;
    std::string sound;  // the folder sound last played
    int icon = -2;
    int32_t subjectLeft = -1, subjectWidth = -1;
    uint32_t begin = 0, end = 0;
    TPopupColors colors;
    std::vector<std::string> alerts;  // what a screen reader was told, in order
    TRect bounds{100, 100, 400, 300};

    void SetAlpha(uint8_t) override {}
    void ShowNoActivate() override { visible = true, log.push_back("show"); }
    void Hide() override { visible = false, log.push_back("hide"); }
    void SetTexts(const std::string& f, const std::string& s, const std::string& j, const std::string& b,
                  bool list) override {
        folder = f, sender = s, subject = j, body = b, bodyIsList = list;
    }
    void SetFolderLine(const std::string& f) override { folder = f; }
    void SetPriorityIcon(int i) override { icon = i; }
    void SetSubjectBounds(int32_t l, int32_t w) override { subjectLeft = l, subjectWidth = w; }
    void SetColors(const TPopupColors& c) override { begin = c.Begin, end = c.End, colors = c; }
    void Announce(const std::string& name, const std::string& description) override {
        alerts.push_back(name + " | " + description);
    }
    int32_t PanelWidth() override { return bounds.Right - bounds.Left - 8; }
    TRect Bounds() override { return bounds; }
    void SetBounds(const TRect& r) override {
        bounds = r, log.push_back("move");
        cycle->WindowPosChanged(r);
    }
    bool PointerInside() override { return pointerInside; }
    void StartTimer(int32_t ms) override { interval = ms, log.push_back("start"); }
    void StopTimer() override { log.push_back("stop"); }
    bool FindOutlookExpress() override { return oeFound; }
    void ForegroundOutlookExpress() override { log.push_back("oe"); }
    void PlayNewMailSound(const std::string& folderSound) override { ++sounds, sound = folderSound; }
};

// A notification as the scan makes it.
std::unique_ptr<TNotification> Note(const std::string& folder, const std::string& sender, const std::string& subject,
                                    const std::string& body = "", TMailPriority priority = mpNormal,
                                    const std::string& folderId = "", std::optional<uint32_t> color = std::nullopt) {
    std::unique_ptr<TNotification> note(new TNotification);
    note->Folder = folder, note->Sender = sender, note->Subject = subject, note->Body = body;
    note->Priority = priority, note->FolderId = folderId, note->Color = color;
    return note;
}

template <typename... TNotes>
std::vector<std::unique_ptr<TNotification>> Items(TNotes... notes) {
    std::vector<std::unique_ptr<TNotification>> items;
    (items.push_back(std::move(notes)), ...);
    return items;
}

class DisplayCycle : public ::testing::Test {
protected:
    TPopupCycle& Cycle() {
        if (!cycle_) {
            TPopupCycle::TInputs in;
            in.Settings = [this] { return settings; };
            in.StoreWindowRect = [this](const TRect& r) { stored = r; };
            in.OutlookExpressActive = [this] { return oeActive; };
            in.WorkAreas = [this] { return areas; };
            in.DefaultRect = [] { return TRect{980, 794, 1280, 994}; };
            in.Snap = [](const TRect& r) { return TRect{0, r.Top, r.Right - r.Left, r.Bottom}; };
            in.FullScreenInFront = [this] { return ++fullScreenLooks, fullScreen; };
            in.ShowEachOnItsOwn = eachOnItsOwn;
            in.Paused = [this] { return paused; };
            in.System = [this] { return system; };
            in.Presence = [this] { return presence; };
            cycle_.reset(new TPopupCycle(view, queue, in));
            view.cycle = cycle_.get();
        }
        return *cycle_;
    }
    void Mail(const std::string& subject, TMailPriority priority = mpNormal) {
        auto note = Note("Inbox", "Ann", subject, "Body of " + subject, priority);
        note->Sound = inboxSound;
        queue.Add(std::move(note));
        Cycle().ShowNextNotification();
    }
    // The alpha after each of n ticks.
    std::vector<int> Alphas(int n) {
        std::vector<int> a;
        for (int i = 0; i < n; ++i) Cycle().TimerTick(), a.push_back(Cycle().Alpha());
        return a;
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) Cycle().TimerTick();
    }
    long Moves() const { return std::count(view.log.begin(), view.log.end(), "move"); }
    static std::vector<int> Steps(int from, int step, int count) {
        std::vector<int> v;
        for (int i = 0; i < count; ++i) v.push_back(from + i * step);
        return v;
    }

    TFakeView view;
    TNotificationQueue queue;
    TPopupSettings settings;
    TRect stored;
    bool oeActive = false;
    bool fullScreen = false, eachOnItsOwn = false, paused = false;
    std::string inboxSound;  // the Sound of the Inbox's mail
    TSystemPreferences system;
    TPresence presence;
    int fullScreenLooks = 0;
    std::vector<TRect> areas{{0, 0, 1280, 994}, {1280, 0, 2304, 738}};
    std::unique_ptr<TPopupCycle> cycle_;
};

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

TEST(Summary, NamesTheFolderAndSenderAllShareElseCountsThem) {
    const TNotification one =
        SummaryOf(Items(Note("Inbox", "Ann", "Hi", "x", mpNormal), Note("Inbox", "Ann", "Lunch", "y", mpHigh)));
    EXPECT_EQ("Inbox", one.Folder);
    EXPECT_EQ("Ann", one.Sender);
    EXPECT_EQ("2 new messages", one.Subject);
    EXPECT_EQ("Ann: Hi\r\nAnn: Lunch", one.Body);
    EXPECT_EQ(mpHigh, one.Priority);
    // The folder's colour and sound only when all are of one folder.
    auto inLists = [](const char* sender) {
        auto note = Note("Lists", sender, "a", "", mpNormal, "000012", 0x00336699);
        note->Sound = "-";
        return note;
    };
    const TNotification lists = SummaryOf(Items(inLists("Ann"), inLists("Bob")));
    EXPECT_EQ(0x00336699u, lists.Color.value_or(0));
    EXPECT_EQ("-", lists.Sound);
    const TNotification two = SummaryOf(Items(inLists("Ann"), Note("Inbox", "Bob", "b", "", mpNormal, "000004")));
    EXPECT_FALSE(two.Color);
    EXPECT_EQ("", two.Sound);
    const TNotification mixed = SummaryOf(Items(Note("Inbox", "Ann", "Hi", "", mpLow), Note("Lists", "Bob", "News", "", mpLow),
                                                Note("Inbox", "Cy", "Re: Hi", "", mpNormal)));
    EXPECT_EQ("2 folders", mixed.Folder);
    EXPECT_EQ("3 senders", mixed.Sender);
    EXPECT_EQ("3 new messages", mixed.Subject);
    EXPECT_EQ("Ann: Hi\r\nBob: News\r\nCy: Re: Hi", mixed.Body);
    EXPECT_EQ(mpNormal, mixed.Priority);
    // Ten thousand waiting list what a popup can show.
    std::vector<std::unique_ptr<TNotification>> many;
    for (int i = 0; i < 10000; ++i) many.push_back(Note("Inbox", "Ann", std::to_string(i)));
    const TNotification burst = SummaryOf(many);
    EXPECT_EQ("10000 new messages", burst.Subject);
    EXPECT_EQ(100, std::count(burst.Body.begin(), burst.Body.end(), '\n'));  // 100 lines and the ellipsis
    EXPECT_EQ("Ann: 99\r\n\xE2\x80\xA6", burst.Body.substr(burst.Body.size() - 12));
}

// Each entry is cut between characters to what the popup shows; past the
// waiting limit entries lose their body, never their place or summary line.
TEST(NotificationQueue, KeepsWhatThePopupShowsAndPastTheLimitWhatASummaryShows) {
    const struct { const char* what; int lead; std::string tail; int kept; } cases[] = {
        // `lead` and `kept` count from the limit: "a" * (limit + lead) + tail.
        {"at the limit", 0, "", 0},
        {"one over", 1, "", 0},
        {"a two-byte character across the limit", -1, "\u00e9", -1},
        {"a three-byte character across the limit", -2, "\u20ac", -2},
        {"a four-byte character across the limit", -3, "\U0001F600", -3},
        {"a character ending at the limit", -2, "\u00e9b", 0},
        {"a run of stray continuation bytes", -8, std::string(9, '\x80'), -3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto text = [&](size_t limit) { return std::string(limit + c.lead, 'a') + c.tail; };
        const size_t line = TNotificationQueue::kMaxLineBytes, body = TNotificationQueue::kMaxBodyBytes;
        TNotificationQueue queue;
        queue.Add(Note(text(line), text(line), text(line), text(body)));
        const std::unique_ptr<TNotification> taken = queue.Take();
        EXPECT_EQ(text(line).substr(0, line + c.kept), taken->Folder);
        EXPECT_EQ(text(line).substr(0, line + c.kept), taken->Sender);
        EXPECT_EQ(text(line).substr(0, line + c.kept), taken->Subject);
        EXPECT_EQ(text(body).substr(0, body + c.kept), taken->Body);
    }
    TNotificationQueue queue;
    const size_t limit = TNotificationQueue::kMaxWaitingWithBody, body = TNotificationQueue::kMaxBodyBytes;
    auto add = [&](size_t i) {
        queue.Add(Note("Inbox", "Ann", "m" + std::to_string(i), std::string(2 * body, 'x'), mpHigh));
    };
    for (size_t i = 0; i < limit + 2; ++i) add(i);
    const std::vector<std::unique_ptr<TNotification>> all = queue.TakeAll();
    ASSERT_EQ(limit + 2, all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(i < limit ? body : 0, all[i]->Body.size());
        EXPECT_LT(all[i]->Body.capacity(), 2 * body);  // the long text's memory is given back
        EXPECT_EQ("m" + std::to_string(i), all[i]->Subject);
        EXPECT_EQ("Ann", all[i]->Sender);
        EXPECT_EQ("Inbox", all[i]->Folder);
        EXPECT_EQ(mpHigh, all[i]->Priority);
    }
    add(0);  // the queue taken, bodies are kept again
    EXPECT_EQ(body, queue.Take()->Body.size());
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

// At 96, 120 and 144 DPI (the font's line and the small icon growing with
// them) and in a popup narrowed or lowered to its limits, no label overlaps
// another, the icon only sits beside the subject, and all stay inside; a
// folder line of any length (a summary's count per folder) leaves the sender
// half the line.
TEST(PopupLayoutTest, NothingOverlapsAtAnyFontSize) {
    const TPopupMetrics fonts[] = {{13, 16}, {16, 20}, {20, 24}, {16, 16}};
    for (const TPopupMetrics& m : fonts) {
        for (const int32_t width : {m.Scaled(292), m.Scaled(150)}) {
          for (const int32_t folderWidth : {m.Scaled(60), m.Scaled(5000)}) {
            SCOPED_TRACE(std::to_string(m.LineHeight) + " px lines, " + std::to_string(width) + " wide, folder " +
                         std::to_string(folderWidth));
            const int32_t height = MinimumPopupHeight(m) - m.Scaled(30);  // the client of the smallest window
            for (const TMailPriority priority : {mpHigh, mpNormal}) {
                const TSubjectLayout subject = SubjectLayout(priority, width, m);
                const TPopupLayout l = LayoutPopup(width, height, m, folderWidth, subject.Left,
                                                   width - subject.Left - subject.Width);
                EXPECT_GE(l.Sender.Right - l.Sender.Left, (width - m.Scaled(20)) / 2);
                EXPECT_LE(l.Folder.Right - l.Folder.Left, FolderLineRoom(width, m));
                auto overlap = [](const TRect& a, const TRect& b) {
                    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
                };
                const TRect labels[] = {l.Folder, l.Sender, l.Subject, l.Body};
                for (size_t i = 0; i < 4; ++i) {
                    EXPECT_GE(labels[i].Left, 0) << i;
                    EXPECT_LE(labels[i].Right, width) << i;
                    EXPECT_LE(labels[i].Bottom, height) << i;
                    EXPECT_GE(labels[i].Bottom - labels[i].Top, m.LineHeight) << i;
                    for (size_t j = i + 1; j < 4; ++j) EXPECT_FALSE(overlap(labels[i], labels[j])) << i << " " << j;
                }
                if (subject.ImageIndex >= 0) {
                    EXPECT_FALSE(overlap(l.Icon, l.Subject));
                    EXPECT_FALSE(overlap(l.Icon, l.Sender));
                    EXPECT_FALSE(overlap(l.Icon, l.Body));
                }
            }
          }
        }
    }
}

// The body label's fit, measured by a label that holds `room` characters.
TEST(BodyFit, LongestStartThatFitsEndsInAnEllipsisAtAWord) {
    const std::string kLongWord = "Supercalifragilisticexpialidocious";
    const struct {
        const char* what;
        std::string text;
        size_t room;
        std::string shown;
        bool list = false;  // cut between lines
    } cases[] = {
        {"fits whole", "Hello Bob", 100, "Hello Bob"},
        {"fits to the last character", "abc def", 7, "abc def"},
        {"empty", "", 0, ""},
        {"one over: cut at the last blank", "abc def", 6, "abc\u2026"},
        {"the word cut in two is left out", "The quick brown fox jumps", 12, "The quick\u2026"},
        {"a cut at a blank keeps its word", "The quick brown fox", 10, "The quick\u2026"},
        {"a word longer than half the room is cut inside", "To " + kLongWord, 12, "To Supercal\u2026"},
        {"no blank at all", kLongWord + " is long", 10, "Supercali\u2026"},
        {"blank lines before the cut go", "First line.\r\n\r\nSecond line here", 14, "First line.\u2026"},
        {"tabs before the cut go", "Total:\t\t\t\t12 apples and more", 9, "Total:\u2026"},
        {"Cyrillic cut between characters", "\u0414\u043e\u0441\u0442\u043e\u043f\u0440\u0438\u043c\u0435\u0447\u0430", 8,
         "\u0414\u043e\u0441\u0442\u043e\u043f\u0440\u2026"},
        {"Greek cut at a word", "\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5", 10,
         "\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1\u2026"},
        {"a four-byte character is never split", "ab\U0001F600\U0001F600\U0001F600cd", 4, "ab\U0001F600\u2026"},
        {"nothing fits: the ellipsis alone", "Hello", 0, "\u2026"},
        {"only blanks fit", "   \r\n   Hello world", 4, "\u2026"},
        {"a list that fits whole", "Ann: Hi\r\nBob: Lunch", 100, "Ann: Hi\r\nBob: Lunch", true},
        {"a list cut after its second line", "Ann: Hi\r\nBob: Lunch\r\nCy: Notes", 22, "Ann: Hi\r\nBob: Lunch\r\n\u2026", true},
        {"a list cut after its first line", "Ann: Hi\r\nBob: Lunch\r\nCy: Notes", 21, "Ann: Hi\r\n\u2026", true},
        {"not one line of a list fits", "Ann: Hello there\r\nBob: x", 8, "Ann:\u2026", true},
    };
    for (const auto& c : cases) {
        int asked = 0;
        const auto fit = c.list ? FitLinesWithEllipsis : FitWithEllipsis;
        const std::string shown = fit(c.text, [&](const std::string& text) {
            ++asked;
            // Characters, not bytes: a UTF-8 lead byte starts one.
            return size_t(std::count_if(text.begin(), text.end(), [](char ch) { return (ch & 0xC0) != 0x80; })) <=
                   c.room;
        });
        EXPECT_EQ(c.shown, shown) << c.what;
        EXPECT_LE(asked, 12) << c.what;
    }
}

// A long body is never measured whole, and only a few times.
TEST(BodyFit, LongBodyIsMeasuredInFewShortPieces) {
    std::string body;
    while (body.size() < 500000) body += "lorem ipsum dolor sit amet, ";
    int asked = 0;
    size_t longest = 0;
    const std::string shown = FitWithEllipsis(body, [&](const std::string& text) {
        ++asked;
        longest = std::max(longest, text.size());
        return text.size() <= 300;
    });
    // Three bytes of ellipsis after 297 of text, which end with a word.
    EXPECT_EQ(body.substr(0, 297) + kEllipsis, shown);
    EXPECT_EQ("dolor", body.substr(292, 5));
    EXPECT_LE(asked, 16);
    EXPECT_LE(longest, 600u);
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
