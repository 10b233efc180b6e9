#include "app/DisplayCycle.h"

#include <algorithm>
#include <limits>

#include "settings/EdgeSnapping.h"
#include "settings/NotifierSettings.h"

namespace pellumo {

const char kEllipsis[] = "\xE2\x80\xA6";

namespace {

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

// `at`, or the start of the UTF-8 character it falls inside. Only a
// character's three continuation bytes are stepped over: a longer run is no
// UTF-8, and may be cut anywhere.
size_t CharacterStart(const std::string& text, size_t at) {
    for (int i = 0; i < 3 && at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; ++i)
        --at;
    return at;
}

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
        const size_t cut = CharacterStart(text, tryLength);
        if (!fits(CutAt(text, cut))) {
            over = cut;
            break;
        }
        fitting = cut;
    }
    while (over - fitting > 1) {
        const size_t middle = CharacterStart(text, fitting + (over - fitting) / 2);
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

TSubjectLayout SubjectLayout(TMailPriority priority, int32_t panelWidth) {
    TSubjectLayout layout;
    switch (priority) {
        case mpHigh: layout.ImageIndex = TPopupCycle::kHighPriorityIcon; break;
        case mpLow: layout.ImageIndex = TPopupCycle::kLowPriorityIcon; break;
        default: layout.ImageIndex = -1; break;
    }
    // The subject starts right of the icon when there is one.
    layout.Left = layout.ImageIndex >= 0 ? TPopupCycle::kIconWidth + 6 : 8;
    // A window dragged narrower than the margins gets an empty label, not a
    // negative width.
    layout.Width = std::max<int32_t>(0, panelWidth - layout.Left - 2);
    return layout;
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

TPopupSettings TPopupCycle::Settings() const { return inputs_.Settings ? inputs_.Settings() : TPopupSettings(); }

void TPopupCycle::SetTimer(bool enabled) {
    if (enabled == timerEnabled_) return;
    timerEnabled_ = enabled;
    if (enabled)
        view_.StartTimer();
    else
        view_.StopTimer();
}

void TPopupCycle::SetAlpha(uint8_t alpha) {
    alpha_ = alpha;
    view_.SetAlpha(alpha);
}

void TPopupCycle::ShowWindow() {
    if (visible_) return;
    view_.ShowNoActivate();
    visible_ = true;
    Shown();
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

void TPopupCycle::ShowNextNotification() {
    if (showing_ || queue_.Closed()) return;
    std::unique_ptr<TNotification> info = queue_.Take();
    if (!info) return;
    const TPopupSettings settings = Settings();
    // The user does not want to be told while the mail client is in front:
    // this one is dropped, and the next is looked at one tick later.
    if (HeldBack(settings.DisplayWhenOEActive, inputs_.OutlookExpressActive)) {
        ShowNextAfterATick();
        return;
    }

    // Before the layout, which depends on the window's width.
    BringOnScreen();
    showing_ = true;

    const TSubjectLayout layout = SubjectLayout(info->Priority, view_.PanelWidth());
    view_.SetSubjectBounds(layout.Left, layout.Width);
    view_.SetPriorityIcon(layout.ImageIndex);
    view_.SetTexts("(" + info->Folder + ")", "From : " + info->Sender, "Subject : " + info->Subject, info->Body);
    view_.SetGradient(settings.BeginColor, settings.EndColor);
    info.reset();
    StartFadeIn(true);
}

void TPopupCycle::ShowNextAfterATick() {
    handler_ = THandler::Next;
    SetTimer(true);
}

void TPopupCycle::HideNotification() {
    SetTimer(false);
    if (visible_) {
        view_.Hide();
        visible_ = false;
    }
    showing_ = false;
}

void TPopupCycle::StartFadeIn(bool enable) {
    fadeStep_ = 0;
    SetAlpha(0);
    handler_ = THandler::FadeIn;
    if (enable) SetTimer(true);
}

void TPopupCycle::StartAutoHide(bool enable) {
    hideTicks_ = 0;
    const TPopupSettings settings = Settings();
    hideTickLimit_ = TickLimit(settings.HintTime);
    // Without auto-hide the timer stays off and the popup stays up, opaque.
    if (settings.AutoHideHint) {
        handler_ = THandler::AutoHide;
        SetTimer(enable);
    }
}

void TPopupCycle::StartFadeOut() {
    fadingOut_ = true;
    handler_ = THandler::FadeOut;
    SetTimer(true);
}

void TPopupCycle::TimerTick() {
    if (!timerEnabled_) return;
    switch (handler_) {
        case THandler::FadeIn: FadeInTick(); break;
        case THandler::AutoHide: AutoHideTick(); break;
        case THandler::FadeOut: FadeOutTick(); break;
        case THandler::Next:
            SetTimer(false);
            handler_ = THandler::None;
            ShowNextNotification();
            break;
        case THandler::None: break;
    }
}

void TPopupCycle::FadeInTick() {
    if (fadeStep_ == 0) ShowWindow();
    if (fadeStep_ != kFadeSteps && Settings().UseFading) {
        ++fadeStep_;
        SetAlpha(uint8_t(alpha_ + uint8_t(FadeDelta)));
        return;
    }
    SetAlpha(255);
    SetTimer(false);
    StartAutoHide(true);
}

void TPopupCycle::AutoHideTick() {
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

void TPopupCycle::Shown() { fadingOut_ = false; }

void TPopupCycle::CloseRequested() {
    SetTimer(false);
    HideNotification();
    queue_.Clear();
}

void TPopupCycle::MouseEnter() {
    // A fade-in is cut short; a fade-out is taken back, so the popup does
    // not vanish under the pointer. A hidden window cannot have the pointer
    // enter it.
    if ((handler_ != THandler::FadeIn && handler_ != THandler::FadeOut) || !visible_) return;
    SetTimer(false);
    fadingOut_ = false;
    fadeStep_ = kFadeSteps;
    SetAlpha(255);
    StartAutoHide(true);
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

TPopupCycle::TPhase TPopupCycle::Phase() const {
    if (!showing_) return TPhase::Idle;
    switch (handler_) {
        case THandler::FadeIn:
            if (!visible_) return TPhase::Pending;
            return timerEnabled_ ? TPhase::FadingIn : TPhase::Held;
        case THandler::AutoHide: return timerEnabled_ ? TPhase::CountingDown : TPhase::Held;
        case THandler::FadeOut: return TPhase::FadingOut;
        case THandler::Next:
        case THandler::None: break;
    }
    return TPhase::Idle;
}

}  // namespace pellumo
