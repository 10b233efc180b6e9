#pragma once
// The popup's display cycle without a window: which notification is up, the
// phase it is in, its alpha and tick counters, all driven by one 50 ms timer.
// The window (TPopupWindow) implements IPopupView, forwards its timer ticks
// and messages here and does what the cycle tells it; everything that decides
// what the user sees lives in this class, so it runs in a native test.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Away.h"
#include "app/Notification.h"
#include "app/PopupLayout.h"
#include "platform/Geometry.h"
#include "platform/Utf8Text.h"
#include "settings/NotifierSettings.h"

namespace pellumo {

// The popup's colours, in the shared colour encoding (controls/GradientPanel.h).
struct TPopupColors {
    uint32_t Begin = 0, End = 0;  // the panel's gradient, top to bottom
    uint32_t Text = 0;            // the labels
    uint32_t Subject = 0;         // the subject label
};

// What the cycle needs of the window. Calls come only from the main thread.
class IPopupView {
public:
    virtual ~IPopupView() = default;

    // Layered alpha, 0 transparent to 255 opaque; the first call turns
    // alpha blending on.
    virtual void SetAlpha(uint8_t alpha) = 0;
    // Shows the window without activating it or taking the focus.
    virtual void ShowNoActivate() = 0;
    virtual void Hide() = 0;

    // The labels: folder, sender, subject (made bold) and body. A body that
    // is a list is cut between its lines (FitLinesWithEllipsis).
    virtual void SetTexts(const std::string& folderLine, const std::string& senderLine, const std::string& subjectLine,
                          const std::string& body, bool bodyIsList) = 0;
    // The folder label alone, while the rest stays.
    virtual void SetFolderLine(const std::string& folderLine) = 0;
    // The priority icon: an index into the program's icons, or -1 to hide it.
    virtual void SetPriorityIcon(int imageIndex) = 0;
    // The subject label's left edge and width, in panel pixels.
    virtual void SetSubjectBounds(int32_t left, int32_t width) = 0;
    virtual void SetColors(const TPopupColors& colors) = 0;
    // The popup has become visible with a notification: what a screen reader
    // is to say of it (its accessible name and description), and the alert
    // that makes it say so.
    virtual void Announce(const std::string& name, const std::string& description) = 0;
    // The font's line and the icons' size the window lays its labels out with.
    virtual TPopupMetrics Metrics() { return TPopupMetrics(); }
    // The gradient panel's width: the window's client width.
    virtual int32_t PanelWidth() = 0;

    // The window's outer rectangle on the screen.
    virtual TRect Bounds() = 0;
    virtual void SetBounds(const TRect& bounds) = 0;
    // Whether the mouse pointer lies in the outer rectangle (right and bottom
    // edges excluded).
    virtual bool PointerInside() = 0;

    // The display timer, `interval` ms (TPopupCycle::kTimerInterval, or
    // kQuietCheckInterval while a full-screen program keeps it waiting); each
    // tick is to reach TPopupCycle::TimerTick. Starting it again restarts it.
    virtual void StartTimer(int32_t interval) = 0;
    virtual void StopTimer() = 0;

    // Looks for the Outlook Express main window ("Outlook Express Browser
    // Class"); ForegroundOutlookExpress brings the one found to the front.
    virtual bool FindOutlookExpress() = 0;
    virtual void ForegroundOutlookExpress() = 0;

    // The new-mail sound of a notification whose folder asks for
    // `folderSound` (TFolderChoice::Sound), not waited for: the user's own
    // (nothing when the sound scheme has none), none, or the folder's file.
    virtual void PlayNewMailSound(const std::string& folderSound) = 0;
};

// The settings the cycle reads, taken afresh at every use so that a change in
// the setup dialog applies from the next notification (UseFading even to a
// fade in progress).
using TPopupSettings = TUserSettings;

// What the user's system asks of every program, asked afresh at every use so
// that a change applies at once.
struct TSystemPreferences {
    bool ScreenReader = false;    // a screen reader runs
    bool HighContrast = false;    // the user reads in high contrast
    int32_t MessageDuration = 0;  // seconds a notification is to stay at least; 0: the system does not say
};

// The user's settings as the system's preferences bend them: no fading
// (appearing and leaving at once) while a screen reader runs or in high
// contrast, and a hint time no shorter than the system's notification
// duration.
TPopupSettings AdjustedFor(TPopupSettings settings, const TSystemPreferences& system);

// The colours a notification is shown in: the gradient from its folder's
// colour (else the Start colour) to the End colour, black text and a blue
// subject; in high contrast the system's tooltip colours alone, no gradient,
// no folder colour (the priority stays shown by its icon).
TPopupColors PopupColors(const TPopupSettings& settings, std::optional<uint32_t> folderColor, bool highContrast);

// The body as it fits the body label, `fits` telling whether a text does:
// the text itself when it fits whole, else its longest start that fits with
// kEllipsis appended. The cut falls between UTF-8 characters, at the last
// blank when that keeps most of the text, and drops the blanks and line ends
// before it; kEllipsis alone when nothing fits. `fits` is asked a few dozen
// times at most, on texts little longer than what fits, and is expected to
// say no to a longer start when a shorter one did not fit.
std::string FitWithEllipsis(const std::string& text, const std::function<bool(const std::string&)>& fits);
// The same for a list of lines: as many whole lines as fit followed by a
// line of kEllipsis alone, or the text itself when it fits whole; cut as
// FitWithEllipsis cuts when not even the first line fits that way.
std::string FitLinesWithEllipsis(const std::string& text, const std::function<bool(const std::string&)>& fits);

class TPopupCycle {
public:
    static constexpr int32_t kTimerInterval = 50;  // ms
    // How often a full-screen program in front is looked at again while
    // notifications wait for it to go.
    static constexpr int32_t kQuietCheckInterval = 1000;  // ms
    static constexpr int32_t kFadeSteps = 12;

    // Where the popup is in its cycle; the display timer's tick runs the
    // phase's own step.
    enum class TPhase {
        Idle,          // nothing up, the timer off
        Waiting,       // nothing up while mail waits for what holds it (a full-screen
                       // program, a pause, the user's absence): looked at every kQuietCheckInterval
        Next,          // nothing up; the next notification is taken at the tick
        Pending,       // taken, shown at the tick; mail arriving meanwhile may join it
        FadingIn,
        CountingDown,  // up and opaque; held at the countdown's start while the user is away
        Held,          // up and opaque with auto-hide off: it stays until closed
        MenuOpen,      // up and opaque while its context menu is open
        FadingOut,
    };

    struct TInputs {
        std::function<TPopupSettings()> Settings;
        // Receives the window's bounds after every change (settings' WindowRect).
        std::function<void(const TRect&)> StoreWindowRect;
        // Whether the Outlook Express main window is in front.
        std::function<bool()> OutlookExpressActive;
        // The monitors' work areas, asked whenever a notification is about to
        // be shown. Not set: the window is never moved.
        std::function<std::vector<TRect>()> WorkAreas;
        // Where a window that is off every work area goes (not set: the
        // settings' default rectangle).
        std::function<TRect()> DefaultRect;
        // Edge snapping while the user drags or resizes (not set: none).
        std::function<TRect(const TRect&)> Snap;
        // Whether a full-screen program is in front (not set: never).
        std::function<bool()> FullScreenInFront;
        // Whether the user has paused the alerts (not set: never).
        std::function<bool()> Paused;
        // Whether the setup dialog is open, which nothing shows over, not
        // even what is told always (not set: never).
        std::function<bool()> SetupOpen;
        // The system's preferences (not set: none of them).
        std::function<TSystemPreferences()> System;
        // Whether the user is at the desk (not set: always).
        std::function<TPresence()> Presence;
        // Every notification on its own, never a summary (the test run,
        // which exists to see each one).
        bool ShowEachOnItsOwn = false;
    };

    // Reads HintTime once for the first HideTickLimit, as the window's creation does.
    TPopupCycle(IPopupView& view, TNotificationQueue& queue, TInputs inputs);
    TPopupCycle(const TPopupCycle&) = delete;
    TPopupCycle& operator=(const TPopupCycle&) = delete;

    // Starts the oldest queued notification, or a summary of all when more
    // than SummarizeAfter wait, unless one is up, a full-screen program is
    // in front (QuietFullScreen), the alerts are paused, the user is away,
    // the setup dialog is open or the program is shutting down; held back,
    // the queue is looked at again every kQuietCheckInterval. On the user's
    // return, several that waited for it are told as one summary that says
    // so. One told always (they stand first in the queue) is shown on its
    // own, never in a summary, over a pause or a full-screen program; what
    // waits behind it is told afterwards as it would have been. While one is
    // up, brings its count of those waiting up to date; while the user is
    // away, one that is up stays, its countdown held.
    void ShowNextNotification();
    // Shows Info at once, on its own, ahead of everything waiting: what is
    // up gives way. The user asked for it, so no pause or full-screen
    // program holds it back.
    void ShowAgain(std::unique_ptr<TNotification> info);
    // Shows Info at once, on its own, as ShowAgain does, in `settings`
    // rather than the stored ones for as long as it is up: the setup
    // dialog's sample of values not yet saved.
    void ShowSample(std::unique_ptr<TNotification> info, const TPopupSettings& settings);
    // Stops the timer, hides the window; the queue is left alone.
    void HideNotification();
    // Hides the window and keeps every notification not yet shown: those
    // taken for the window go back to the front of the queue. What waits is
    // shown at the next ShowNextNotification that Paused does not hold.
    void HoldNotifications();

    // One tick of the display timer: runs the installed routine. Nothing while the
    // timer is off, so a tick already on its way after a stop is harmless.
    void TimerTick();
    // Turns the display timer off (also the first step of StopWatching).
    void DisableTimer() { SetTimer(false); }

    // The system's colours or preferences changed: what is up is shown in
    // the colours they now ask for.
    void SystemPreferencesChanged();
    // The caption's close button: hides and discards every pending
    // notification but those told always, which follow at the next tick.
    void CloseRequested();
    // The pointer entered the window or one of its controls: a fade in or
    // out ends at full opacity and the countdown starts again.
    void MouseEnter();
    // A click on the body text (ActivateOutlookExpress).
    void MessageBodyClick();
    // The sender's address of the one message up, for the context menu's
    // rules; empty while nothing is up, for a summary and for a sample.
    std::string ShownSenderAddress() const;
    // The context menu opened: what is up stays, opaque, until it closes,
    // since the user's choice is about it.
    void MenuOpened();
    // The context menu closed. TakeAway: the user chose never to be told
    // of its sender, and what is up goes (what waits follows a tick later);
    // otherwise its countdown starts again. Nothing when something else has
    // taken its place meanwhile.
    void MenuClosed(bool takeAway);

    // WM_ENTERSIZEMOVE / WM_EXITSIZEMOVE.
    void EnterSizeMove() { moving_ = true; }
    void ExitSizeMove() { moving_ = false; }
    // WM_WINDOWPOSCHANGING: the proposed rectangle, snapped while moving.
    void WindowPosChanging(TRect& proposed);
    // WM_WINDOWPOSCHANGED with the window's new bounds.
    void WindowPosChanged(const TRect& bounds);

    // HintTime seconds in timer ticks (computed wide, so no hint time overflows).
    static int32_t TickLimit(int32_t hintTime);

    TPhase Phase() const { return phase_; }
    // A notification is taken for the window or on it.
    bool Showing() const;
    // The window is on the screen.
    bool Visible() const;
    bool TimerEnabled() const { return timerInterval_ != 0; }
    bool Moving() const { return moving_; }
    uint8_t Alpha() const { return alpha_; }
    int32_t FadeStep() const { return fadeStep_; }
    int32_t HideTicks() const { return hideTicks_; }
    int32_t HideTickLimit() const { return hideTickLimit_; }

    // Alpha change per fade step; only its low byte counts.
    int32_t FadeDelta = 21;

private:
    // What the window shows: notifications taken from the queue (more may
    // join them before they are shown), one the user asked to see again (on
    // its own), a sample in settings of its own (on its own), what came while
    // the user was away (all that waits joins), or one told always (on its
    // own, over what holds the rest).
    enum class TShownKind { Taken, Again, Sample, WhileAway, Always };
    // What held the notifications now waiting in the queue: several that
    // waited for the user's return are told as one, those that waited for a
    // pause, a full-screen program or the setup dialog one by one. Only the
    // setup dialog and the user's absence hold what is told always.
    enum class THeldBy { Nothing, Absence, PauseOrFullScreen, SetupDialog };

    // The transitions into Pending, Waiting, CountingDown or Held, and FadingOut.
    void Take(std::vector<std::unique_ptr<TNotification>> items, TShownKind kind, const TPopupSettings& settings);
    void WaitFor(THeldBy holder);
    // What holds the queue now: the setup dialog, else a pause, else the
    // user's absence, else a full-screen program (QuietFullScreen).
    THeldBy HolderNow(const TPopupSettings& settings) const;
    void StartAutoHide();
    void StartFadeOut();
    // What is up stops fading or counting down and shows opaque; the caller
    // says which phase follows.
    void StopOpaque();
    void FadeInTick();
    void AutoHideTick();
    void FadeOutTick();
    void ShowNextAfterATick();
    // Notifications taken from the queue and not yet on screen go back to it.
    void ReturnPending();
    bool Summarizes(const TPopupSettings& settings, size_t count) const;
    // Fills the window from pending_: the one notification, or their summary.
    void Present(const TPopupSettings& settings);
    void ShowWaitingCount();
    std::string FolderLineWithWaiting() const;
    // Shown alone, at the user's asking: nothing joins it, and it is no mail to give back.
    bool OnItsOwn() const { return shownKind_ == TShownKind::Again || shownKind_ == TShownKind::Sample; }
    // The stored settings, or the sample's while it is up.
    TPopupSettings Adjusted(const TPopupSettings& settings) const;

    TPopupSettings Settings() const;
    TSystemPreferences System() const { return inputs_.System ? inputs_.System() : TSystemPreferences(); }
    bool Away() const { return inputs_.Presence && IsAway(inputs_.Presence(), Settings().AwayMinutes); }
    void SetTimer(bool enabled, int32_t interval = kTimerInterval);
    void SetAlpha(uint8_t alpha);
    void BringOnScreen();

    IPopupView& view_;
    TNotificationQueue& queue_;
    TInputs inputs_;

    TPhase phase_ = TPhase::Idle;
    THeldBy heldBy_ = THeldBy::Nothing;
    // The interval the view's timer runs at; 0: off.
    int32_t timerInterval_ = 0;
    // What the window shows until it is visible.
    std::vector<std::unique_ptr<TNotification>> pending_;
    TShownKind shownKind_ = TShownKind::Taken;
    TPopupSettings sampleSettings_;  // while shownKind_ is Sample
    std::string folderLine_;  // without the count of those waiting
    std::optional<uint32_t> folderColor_;  // of what is shown
    std::string folderSound_;              // of what is shown
    std::string shownAddress_;             // ShownSenderAddress while it is up
    std::string alertName_, alertDescription_;  // of what is shown
    size_t shownWaiting_ = 0;
    bool moving_ = false;
    uint8_t alpha_ = 255;
    int32_t fadeStep_ = 0;
    int32_t hideTicks_ = 0;
    int32_t hideTickLimit_ = 0;
};

}  // namespace pellumo
