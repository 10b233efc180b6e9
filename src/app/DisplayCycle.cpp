#include "app/DisplayCycle.h"

#include <algorithm>
#include <limits>

#include "controls/GradientPanel.h"
#include "settings/EdgeSnapping.h"
#include "settings/NotifierSettings.h"
#include "platform/Utf8Text.h"
#include "texts/Language.h"

namespace pellumo {


namespace {

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

// The first `length` bytes without their trailing blanks, and the ellipsis.
std::string CutAt(const std::string& text, size_t length) {
    while (length > 0 && IsBlank(text[length - 1])) --length;
    return text.substr(0, length) + kEllipsis;
}

}  // namespace

std::string FitWithEllipsis(const std::string& text, const std::function<bool(const std::string&)>& fits) {
    if (text.empty()) return text;
    // Starts of doubling length until one does not fit, so a long body is
    // never measured whole; then halving between the longest that fitted
    // (`fitting`) and the shortest that did not (`over`).
    const size_t kFirstTry = 64;
    size_t fitting = 0, over = 0;
    for (size_t tryLength = kFirstTry;; tryLength *= 2) {
        if (tryLength >= text.size()) {
            if (fits(text)) return text;
            over = text.size();
            break;
        }
        const size_t cut = Utf8CharacterStart(text, tryLength);
        if (!fits(CutAt(text, cut))) {
            over = cut;
            break;
        }
        fitting = cut;
    }
    while (over - fitting > 1) {
        const size_t middle = Utf8CharacterStart(text, fitting + (over - fitting) / 2);
        if (middle <= fitting) break;  // no character starts between the two
        if (fits(CutAt(text, middle)))
            fitting = middle;
        else
            over = middle;
    }
    // A word cut in two reads worse than one left out, unless that word is
    // so long that most of the room would stay empty.
    if (fitting > 0 && fitting < text.size() && !IsBlank(text[fitting])) {
        size_t blank = fitting;
        while (blank > 0 && !IsBlank(text[blank - 1])) --blank;
        if (blank > 0 && blank < fitting && blank >= fitting / 2) {
            const std::string atWord = CutAt(text, blank);
            if (fits(atWord)) return atWord;
        }
    }
    return CutAt(text, fitting);
}

std::string FitLinesWithEllipsis(const std::string& text, const std::function<bool(const std::string&)>& fits) {
    if (text.empty()) return text;
    // Where each line but the last ends, before its line break.
    std::vector<size_t> lineEnds;
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        lineEnds.push_back(at > 0 && text[at - 1] == '\r' ? at - 1 : at);
    auto firstLines = [&](size_t count) { return text.substr(0, lineEnds[count - 1]) + "\r\n" + kEllipsis; };
    // As FitWithEllipsis, in whole lines: doubling, then halving, so a long
    // list is never measured whole.
    size_t fitting = 0, over = 0;
    for (size_t count = 1;; count *= 2) {
        if (count > lineEnds.size()) {
            if (fits(text)) return text;
            over = lineEnds.size() + 1;
            break;
        }
        if (!fits(firstLines(count))) {
            over = count;
            break;
        }
        fitting = count;
    }
    while (over - fitting > 1) {
        const size_t middle = fitting + (over - fitting) / 2;
        if (fits(firstLines(middle)))
            fitting = middle;
        else
            over = middle;
    }
    return fitting > 0 ? firstLines(fitting) : FitWithEllipsis(text, fits);
}

TPopupSettings AdjustedFor(TPopupSettings settings, const TSystemPreferences& system) {
    // A fade is a change a screen reader cannot tell and high contrast
    // does without.
    if (system.ScreenReader || system.HighContrast) settings.UseFading = false;
    // Only a hint that goes by itself; a negative one is held for good.
    if (settings.HintTime > 0 && system.MessageDuration > settings.HintTime) settings.HintTime = system.MessageDuration;
    return settings;
}

TPopupColors PopupColors(const TPopupSettings& settings, std::optional<uint32_t> folderColor, bool highContrast) {
    TPopupColors colors;
    if (highContrast) {
        colors.Begin = colors.End = clInfoBk;
        colors.Text = colors.Subject = clInfoText;
        return colors;
    }
    // A folder with a colour of its own starts its popups' gradient with it.
    colors.Begin = folderColor.value_or(settings.BeginColor);
    colors.End = settings.EndColor;
    colors.Text = clWindowText;
    colors.Subject = clBlue;
    return colors;
}

int32_t TPopupCycle::TickLimit(int32_t hintTime) {
    // A hint time typed past the dialog's range must not overflow; beyond
    // 2^31 ticks (three years) the popup is held anyway.
    const int64_t ticks = int64_t(hintTime) * 1000 / kTimerInterval;
    return int32_t(std::clamp<int64_t>(ticks, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

TPopupCycle::TPopupCycle(IPopupView& view, TNotificationQueue& queue, TInputs inputs)
    : view_(view), queue_(queue), inputs_(std::move(inputs)) {
    hideTickLimit_ = TickLimit(Settings().HintTime);
}

TPopupSettings TPopupCycle::Settings() const {
    if (Showing() && shownKind_ == TShownKind::Sample) return Adjusted(sampleSettings_);
    return Adjusted(inputs_.Settings ? inputs_.Settings() : TPopupSettings());
}

TPopupSettings TPopupCycle::Adjusted(const TPopupSettings& settings) const {
    return inputs_.System ? AdjustedFor(settings, inputs_.System()) : settings;
}

void TPopupCycle::SetTimer(bool enabled, int32_t interval) {
    const int32_t wanted = enabled ? interval : 0;
    if (wanted == timerInterval_) return;
    timerInterval_ = wanted;
    if (enabled)
        view_.StartTimer(interval);
    else
        view_.StopTimer();
}

bool TPopupCycle::Showing() const {
    switch (phase_) {
        case TPhase::Pending:
        case TPhase::FadingIn:
        case TPhase::CountingDown:
        case TPhase::Held:
        case TPhase::MenuOpen:
        case TPhase::FadingOut: return true;
        case TPhase::Idle:
        case TPhase::Waiting:
        case TPhase::Next: break;
    }
    return false;
}

bool TPopupCycle::Visible() const { return Showing() && phase_ != TPhase::Pending; }

void TPopupCycle::SetAlpha(uint8_t alpha) {
    alpha_ = alpha;
    view_.SetAlpha(alpha);
}

void TPopupCycle::BringOnScreen() {
    if (!inputs_.WorkAreas) return;
    const std::vector<TRect> areas = inputs_.WorkAreas();
    // Knowing no monitor at all is no reason to move the user's placement.
    if (areas.empty()) return;
    if (IntersectsAnyWorkArea(view_.Bounds(), areas)) return;
    // After a monitor was unplugged or the resolution dropped, nobody would
    // see the popup where it was last placed.
    view_.SetBounds(inputs_.DefaultRect ? inputs_.DefaultRect() : TNotifierSettings::DefaultRect());
}

bool TPopupCycle::Summarizes(const TPopupSettings& settings, size_t count) const {
    return !inputs_.ShowEachOnItsOwn && settings.SummarizeAfter > 0 &&
           count > static_cast<size_t>(settings.SummarizeAfter);
}

void TPopupCycle::ShowNextNotification() {
    if (queue_.Closed()) return;
    if (Showing()) {
        ShowWaitingCount();
        return;
    }
    // Nothing waiting: nothing to look at, and no timer; nothing that held
    // mail before has anything left to tell.
    if (queue_.Count() == 0) {
        heldBy_ = THeldBy::Nothing;
        return;
    }
    const TPopupSettings settings = Settings();
    // Over a presentation or a film the queue waits, looked at again now
    // and then; what arrives meanwhile joins it. What the user always wants
    // told passes a pause and a full-screen program, never an absence
    // (nobody would see it) or the setup dialog.
    const THeldBy holder = HolderNow(settings);
    const bool always = queue_.FrontIsAlways();
    // An absence under a pause still keeps the user from seeing it.
    const bool passes = always && (holder == THeldBy::Nothing || (holder == THeldBy::PauseOrFullScreen && !Away()));
    if (holder != THeldBy::Nothing && !passes) {
        WaitFor(holder);
        return;
    }
    std::vector<std::unique_ptr<TNotification>> items;
    TShownKind kind = TShownKind::Taken;
    if (always) {
        // On its own; the rest waits on for what held it, and once back at
        // the desk is still told as what came meanwhile.
        kind = TShownKind::Always;
        if (holder != THeldBy::Nothing) heldBy_ = holder;
        if (std::unique_ptr<TNotification> info = queue_.Take()) items.push_back(std::move(info));
    } else {
        // Back at the desk: what came meanwhile, at once and as one.
        const bool whileAway = heldBy_ == THeldBy::Absence && !inputs_.ShowEachOnItsOwn && queue_.Count() > 1;
        if (whileAway) kind = TShownKind::WhileAway;
        heldBy_ = THeldBy::Nothing;
        if (whileAway || Summarizes(settings, queue_.Count())) {
            items = queue_.TakeAll();
        } else if (std::unique_ptr<TNotification> info = queue_.Take()) {
            items.push_back(std::move(info));
        }
    }
    if (items.empty()) return;
    // The user does not want to be told while the mail client is in front:
    // this one is dropped, and the next is looked at one tick later.
    if (HeldBack(settings.DisplayWhenOEActive, inputs_.OutlookExpressActive)) {
        ShowNextAfterATick();
        return;
    }
    Take(std::move(items), kind, settings);
}

TPopupCycle::THeldBy TPopupCycle::HolderNow(const TPopupSettings& settings) const {
    if (inputs_.SetupOpen && inputs_.SetupOpen()) return THeldBy::SetupDialog;
    // A pause wins over an absence: what waits for its end is told as a
    // pause's end tells it.
    if (inputs_.Paused && inputs_.Paused()) return THeldBy::PauseOrFullScreen;
    if (Away()) return THeldBy::Absence;
    if (settings.QuietFullScreen && inputs_.FullScreenInFront && inputs_.FullScreenInFront())
        return THeldBy::PauseOrFullScreen;
    return THeldBy::Nothing;
}

void TPopupCycle::ShowAgain(std::unique_ptr<TNotification> info) {
    if (queue_.Closed() || !info) return;
    // What was taken to be shown next is shown after this one.
    ReturnPending();
    HideNotification();
    std::vector<std::unique_ptr<TNotification>> items;
    items.push_back(std::move(info));
    Take(std::move(items), TShownKind::Again, Settings());
}

void TPopupCycle::ShowSample(std::unique_ptr<TNotification> info, const TPopupSettings& settings) {
    if (queue_.Closed() || !info) return;
    ReturnPending();
    HideNotification();
    sampleSettings_ = settings;
    std::vector<std::unique_ptr<TNotification>> items;
    items.push_back(std::move(info));
    Take(std::move(items), TShownKind::Sample, Adjusted(settings));
}

void TPopupCycle::Take(std::vector<std::unique_ptr<TNotification>> items, TShownKind kind,
                       const TPopupSettings& settings) {
    // Before the layout, which depends on the window's width.
    BringOnScreen();
    shownKind_ = kind;
    pending_ = std::move(items);
    Present(settings);
    fadeStep_ = 0;
    SetAlpha(0);
    phase_ = TPhase::Pending;
    SetTimer(true);
}

void TPopupCycle::WaitFor(THeldBy holder) {
    heldBy_ = holder;
    phase_ = TPhase::Waiting;
    SetTimer(true, kQuietCheckInterval);
}

void TPopupCycle::Present(const TPopupSettings& settings) {
    const bool summary = pending_.size() > 1;
    TNotification summaryOfAll;
    if (summary)
        summaryOfAll = shownKind_ == TShownKind::WhileAway ? SummaryWhileAway(pending_) : SummaryOf(pending_);
    const TNotification& shown = summary ? summaryOfAll : *pending_.front();
    // What is told always wears the high-priority icon, whatever its own.
    const TSubjectLayout layout = SubjectLayout(shown.Always ? mpHigh : shown.Priority, view_.PanelWidth(), view_.Metrics());
    view_.SetSubjectBounds(layout.Left, layout.Width);
    view_.SetPriorityIcon(layout.ImageIndex);
    folderLine_ = Text(TText::FolderLine, {shown.Folder});
    shownWaiting_ = queue_.Count();
    // A summary's subject line is its count, not a subject.
    view_.SetTexts(FolderLineWithWaiting(), Text(TText::SenderLine, {shown.Sender}),
                   summary ? shown.Subject : Text(TText::SubjectLine, {shown.Subject}), shown.Body, summary);
    folderColor_ = shown.Color;
    folderSound_ = shown.Sound;
    // A rule is about one sender: a summary has many, a sample none.
    shownAddress_ = summary || shownKind_ == TShownKind::Sample ? std::string() : shown.SenderAddress;
    view_.SetColors(PopupColors(settings, folderColor_, System().HighContrast));
    alertName_ = AlertName(pending_);
    alertDescription_ = AlertDescription(shown.Body);
}

void TPopupCycle::SystemPreferencesChanged() {
    if (Showing()) view_.SetColors(PopupColors(Settings(), folderColor_, System().HighContrast));
}

std::string TPopupCycle::FolderLineWithWaiting() const {
    return shownWaiting_ > 0 ? Text(TText::FolderLineWaiting, {folderLine_, std::to_string(shownWaiting_)}) : folderLine_;
}

void TPopupCycle::ShowWaitingCount() {
    if (!Showing()) return;
    const size_t waiting = queue_.Count();
    if (waiting == shownWaiting_) return;
    shownWaiting_ = waiting;
    view_.SetFolderLine(FolderLineWithWaiting());
}

void TPopupCycle::ShowNextAfterATick() {
    phase_ = TPhase::Next;
    SetTimer(true);
}

void TPopupCycle::ReturnPending() {
    // A notification shown again is a copy of one told already; a sample is no mail.
    if (phase_ != TPhase::Pending || OnItsOwn() || pending_.empty()) return;
    queue_.PutBack(std::move(pending_));
    pending_.clear();
}

void TPopupCycle::HoldNotifications() {
    ReturnPending();
    HideNotification();
}

void TPopupCycle::HideNotification() {
    SetTimer(false);
    pending_.clear();
    if (Visible()) view_.Hide();
    phase_ = TPhase::Idle;
}

void TPopupCycle::StartAutoHide() {
    hideTicks_ = 0;
    const TPopupSettings settings = Settings();
    hideTickLimit_ = TickLimit(settings.HintTime);
    // Without auto-hide the timer stays off and the popup stays up, opaque.
    if (settings.AutoHideHint) {
        phase_ = TPhase::CountingDown;
        SetTimer(true);
    } else {
        phase_ = TPhase::Held;
    }
}

void TPopupCycle::StartFadeOut() {
    phase_ = TPhase::FadingOut;
    SetTimer(true);
}

void TPopupCycle::TimerTick() {
    if (timerInterval_ == 0) return;
    ShowWaitingCount();
    switch (phase_) {
        case TPhase::Pending:
        case TPhase::FadingIn: FadeInTick(); break;
        case TPhase::CountingDown: AutoHideTick(); break;
        case TPhase::FadingOut: FadeOutTick(); break;
        case TPhase::Next:
        case TPhase::Waiting:
            SetTimer(false);
            phase_ = TPhase::Idle;
            ShowNextNotification();
            break;
        case TPhase::Held:
        case TPhase::MenuOpen:
        case TPhase::Idle: break;
    }
}

void TPopupCycle::FadeInTick() {
    if (phase_ == TPhase::Pending) {
        const TPopupSettings settings = Settings();
        // Mail that came in since it was taken still joins it: a burst whose
        // first message freed the popup is shown as one all the same. What
        // is told always joins nothing, and nothing joins it.
        const size_t waiting = queue_.Count();
        const bool joins = (shownKind_ == TShownKind::Taken || shownKind_ == TShownKind::WhileAway) &&
                           waiting > 0 && !queue_.FrontIsAlways();
        if (joins && (shownKind_ == TShownKind::WhileAway || Summarizes(settings, pending_.size() + waiting))) {
            for (std::unique_ptr<TNotification>& item : queue_.TakeAll()) pending_.push_back(std::move(item));
            Present(settings);
        }
        pending_.clear();
        view_.ShowNoActivate();
        phase_ = TPhase::FadingIn;
        view_.Announce(alertName_, alertDescription_);
        if (settings.PlaySound) view_.PlayNewMailSound(folderSound_);
    }
    if (fadeStep_ != kFadeSteps && Settings().UseFading) {
        ++fadeStep_;
        SetAlpha(uint8_t(alpha_ + uint8_t(FadeDelta)));
        return;
    }
    SetAlpha(255);
    SetTimer(false);
    StartAutoHide();
}

void TPopupCycle::AutoHideTick() {
    // Nobody there to read it: it stays, and counts down from the start
    // once someone is.
    if (Away()) {
        hideTicks_ = 0;
        // What waits behind it waited for the user's return too.
        if (queue_.Count() > 0) heldBy_ = THeldBy::Absence;
        return;
    }
    if (hideTicks_ != hideTickLimit_) {
        // Saturates: a negative limit (negative hint time) is never reached
        // and holds the popup, without the counter overflowing.
        if (hideTicks_ != std::numeric_limits<int32_t>::max()) ++hideTicks_;
        return;
    }
    // Only where the pointer is at the moment of the test counts.
    if (view_.PointerInside()) {
        hideTicks_ = 0;
        return;
    }
    SetTimer(false);
    StartFadeOut();
}

void TPopupCycle::FadeOutTick() {
    if (fadeStep_ != 0 && Settings().UseFading) {
        --fadeStep_;
        SetAlpha(uint8_t(alpha_ - uint8_t(FadeDelta)));
        return;
    }
    SetAlpha(0);
    HideNotification();
    ShowNextNotification();
}

void TPopupCycle::CloseRequested() {
    HideNotification();
    // What the user asked always to be told is not thrown away with a
    // popup they closed.
    queue_.RemoveIf([](const TNotification& item) { return !item.Always; });
    heldBy_ = THeldBy::Nothing;
    if (queue_.Count() > 0) ShowNextAfterATick();
}

void TPopupCycle::MouseEnter() {
    // A fade-in is cut short; a fade-out is taken back, so the popup does
    // not vanish under the pointer; one held up starts counting down if
    // auto-hide has been turned on since. A hidden window cannot have the
    // pointer enter it.
    if (phase_ != TPhase::FadingIn && phase_ != TPhase::FadingOut && phase_ != TPhase::Held) return;
    StopOpaque();
    StartAutoHide();
}

void TPopupCycle::StopOpaque() {
    SetTimer(false);
    fadeStep_ = kFadeSteps;
    SetAlpha(255);
}

std::string TPopupCycle::ShownSenderAddress() const {
    return Visible() ? shownAddress_ : std::string();
}

void TPopupCycle::MenuOpened() {
    if (!Visible()) return;
    StopOpaque();
    phase_ = TPhase::MenuOpen;
}

void TPopupCycle::MenuClosed(bool takeAway) {
    if (phase_ != TPhase::MenuOpen) return;
    if (!takeAway) {
        StartAutoHide();
        return;
    }
    // What waits follows as after a fade-out.
    HideNotification();
    ShowNextAfterATick();
}

void TPopupCycle::MessageBodyClick() {
    if (!view_.FindOutlookExpress()) return;
    HideNotification();
    view_.ForegroundOutlookExpress();
    // What waits follows as after a fade-out.
    ShowNextAfterATick();
}

void TPopupCycle::WindowPosChanging(TRect& proposed) {
    if (moving_ && inputs_.Snap) proposed = inputs_.Snap(proposed);
}

void TPopupCycle::WindowPosChanged(const TRect& bounds) {
    if (inputs_.StoreWindowRect) inputs_.StoreWindowRect(bounds);
}

}  // namespace pellumo
