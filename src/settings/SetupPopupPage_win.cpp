// The setup dialog's "Popup" page: auto hide with its hint-time spin edit,
// fading, the mail client's rule, the two gradient colours, the sample
// button and the logo (drawn by the dialog's panel).
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <utility>

#include "controls/ColorCombo.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"
#include "settings/HintTimeValue.h"
#include "settings/SetupDialog.h"
#include "settings/SetupPages_win.h"

namespace pellumo {

namespace {

using Setup = TSetupDialog;

// The field takes single-byte characters only, so a separator outside ASCII
// stands as "." (the number reads the same either way).
char DecimalSeparator() {
    wchar_t separator[8] = {};
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 1 && separator[0] > 0 &&
                   separator[0] < 0x80
               ? static_cast<char>(separator[0])
               : '.';
}

class TPopupPage : public TSetupPage {
public:
    TPopupPage(const TSetupControls& controls, std::function<void()> showSample,
               std::function<void(TColor)> startColorPicked);

    void Fill(const TNotifierSettings& settings) override;
    void Read(TUserSettings& values) const override;
    bool Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::unique_ptr<TColorCombo> MakeCombo(int id) const;
    void UpdateHintTimeEnabled() const;
    // The hint-time field's keys and wheel; false for what the field handles itself.
    bool EditMessage(UINT message, WPARAM wParam);
    std::string HintTimeText() const { return WindowTextUtf8(edit_); }
    void ShowHintTime();
    void StepHintTime(int delta);
    void HintTimeLostFocus();

    const TSetupControls& controls_;
    std::function<void()> showSample_;
    HWND edit_ = nullptr;
    std::unique_ptr<TControlHook> editHook_;
    std::unique_ptr<TColorCombo> beginColor_, endColor_;
    THintTimeValue hintTime_;
    char decimalSeparator_ = DecimalSeparator();
};

TPopupPage::TPopupPage(const TSetupControls& controls, std::function<void()> showSample,
                       std::function<void(TColor)> startColorPicked)
    : controls_(controls), showSample_(std::move(showSample)) {
    // Creation order is the tab order. A label's access key reaches the
    // control made after it.
    const DWORD tab = WS_TABSTOP | WS_GROUP;
    controls.CheckBox(Setup::idAutoHideHint);
    controls.CheckBox(Setup::idUseFading);
    controls.Make(L"STATIC", SS_LEFT, Setup::idHintTimeLabel);
    // The spin edit: an edit and, at its right, the up-down buttons.
    edit_ = controls.Make(L"EDIT", hintTime_.Text(), ES_AUTOHSCROLL | tab, WS_EX_CLIENTEDGE, Setup::idHintTimeEdit);
    if (InitCommonControlClasses()) {
        // No UDS_SETBUDDYINT: the field's text is THintTimeValue's, and the
        // buttons only ask for a step (UDN_DELTAPOS).
        const TRect& r = controls.At(Setup::idHintTimeUpDown);
        HWND upDown = controls.Make(UPDOWN_CLASSW, "", UDS_NOTHOUSANDS | UDS_HOTTRACK, 0, Setup::idHintTimeUpDown);
        SendMessageW(upDown, UDM_SETRANGE32, kHintTimeMin, kHintTimeMax);
        // Held down, the buttons keep stepping by one.
        UDACCEL accel {0, 1};
        SendMessageW(upDown, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
        SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
        // Taking a buddy may resize the control; the layout's box wins.
        SetWindowPos(upDown, nullptr, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Subclassed last, so the field's own handling of keys and the wheel
    // comes first and is the only one: some up-down controls step on the
    // wheel over their buddy too. Through the W call, so the field stays a
    // Unicode window.
    editHook_ = std::make_unique<TControlHook>(edit_, [this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        result = 0;
        return EditMessage(message, wParam);
    });
    controls.CheckBox(Setup::idDisplayWhenOEActive);

    controls.Make(L"STATIC", SS_LEFT, Setup::idBeginColorLabel);
    beginColor_ = MakeCombo(Setup::idBeginColor);
    controls.Make(L"STATIC", SS_LEFT, Setup::idEndColorLabel);
    endColor_ = MakeCombo(Setup::idEndColor);
    // "Default" of a folder's colour shows the Start colour as it is picked.
    beginColor_->OnChange = [this, startColorPicked = std::move(startColorPicked)] {
        if (startColorPicked && beginColor_->SelectedColor() != kNoSelectedColor)
            startColorPicked(beginColor_->SelectedColor());
    };
    const HWND sample = controls.Make(L"BUTTON", BS_PUSHBUTTON | tab, Setup::idShowSample);
    EnableWindow(sample, showSample_ != nullptr);
    // Shown once the logo is loaded.
    ShowWindow(controls.Make(L"STATIC", "", SS_OWNERDRAW, 0, Setup::idLogo), SW_HIDE);

    controls.GroupBox(Setup::idHintGroup);
    controls.GroupBox(Setup::idColorsGroup);
}

std::unique_ptr<TColorCombo> TPopupPage::MakeCombo(int id) const {
    const TRect& r = controls_.At(id);
    std::unique_ptr<TColorCombo> made(
        new TColorCombo(controls_.Dialog(), id, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top, controls_.Font()));
    const HWND handle = static_cast<HWND>(made->Handle());
    SetWindowLongPtrW(handle, GWL_STYLE, GetWindowLongPtrW(handle, GWL_STYLE) | WS_GROUP);
    return made;
}

void TPopupPage::Fill(const TNotifierSettings& settings) {
    controls_.Check(Setup::idAutoHideHint, settings.AutoHideHint);
    controls_.Check(Setup::idUseFading, settings.UseFading);
    controls_.Check(Setup::idDisplayWhenOEActive, settings.DisplayWhenOEActive);
    hintTime_.SetText(HintTimeText());
    hintTime_.SetValue(settings.HintTime);
    ShowHintTime();
    beginColor_->SetSelectedColor(settings.BeginColor);
    endColor_->SetSelectedColor(settings.EndColor);
    UpdateHintTimeEnabled();
}

void TPopupPage::Read(TUserSettings& values) const {
    values.AutoHideHint = controls_.Checked(Setup::idAutoHideHint);
    values.UseFading = controls_.Checked(Setup::idUseFading);
    values.DisplayWhenOEActive = controls_.Checked(Setup::idDisplayWhenOEActive);
    // As it reads now, within the field's range: Enter confirms a value
    // without the field losing the focus that would clamp it.
    values.HintTime = ClampHintTime(ReadHintTime(HintTimeText()));
    values.BeginColor = beginColor_->SelectedColor();
    values.EndColor = endColor_->SelectedColor();
}

void TPopupPage::UpdateHintTimeEnabled() const {
    const BOOL enabled = controls_.Checked(Setup::idAutoHideHint);
    EnableWindow(edit_, enabled);
    EnableWindow(controls_.Control(Setup::idHintTimeUpDown), enabled);
    EnableWindow(controls_.Control(Setup::idHintTimeLabel), enabled);
}

void TPopupPage::ShowHintTime() {
    if (HintTimeText() != hintTime_.Text()) SetWindowTextUtf8(edit_, hintTime_.Text());
}

void TPopupPage::StepHintTime(int delta) {
    if (delta == 0 || !IsWindowEnabled(edit_)) return;
    hintTime_.SetText(HintTimeText());
    hintTime_.Step(delta);
    ShowHintTime();
    SendMessageW(edit_, EM_SETSEL, 0, -1);
}

void TPopupPage::HintTimeLostFocus() {
    hintTime_.SetText(HintTimeText());
    hintTime_.LoseFocus();
    ShowHintTime();
}

bool TPopupPage::EditMessage(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_CHAR:
            // Only what a number can hold gets in (and control keys). The
            // character is UTF-16: anything past ASCII is no digit, and must
            // not pass as the ASCII character its low byte happens to be.
            return wParam >= 0x80 || !IsHintTimeChar(static_cast<char>(wParam), decimalSeparator_);
        case WM_MOUSEWHEEL: {
            const short delta = static_cast<short>(HIWORD(wParam));
            StepHintTime(delta > 0 ? 1 : delta < 0 ? -1 : 0);
            return true;
        }
        case WM_KEYDOWN:
            if (wParam == VK_UP || wParam == VK_DOWN) {
                StepHintTime(wParam == VK_UP ? 1 : -1);
                return true;
            }
            break;
    }
    return false;
}

bool TPopupPage::Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    intptr_t comboResult = 0;
    for (TColorCombo* combo : {beginColor_.get(), endColor_.get()})
        if (combo->ParentMessage(message, wParam, lParam, comboResult)) {
            result = comboResult;
            return true;
        }
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->idFrom == Setup::idHintTimeUpDown && header->code == UDN_DELTAPOS) {
            const auto* upDown = reinterpret_cast<const NMUPDOWN*>(lParam);
            StepHintTime(upDown->iDelta > 0 ? 1 : upDown->iDelta < 0 ? -1 : 0);
            result = TRUE;  // the up-down keeps no value of its own
            return true;
        }
        return false;
    }
    if (message != WM_COMMAND) return false;
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    result = 0;
    if (id == Setup::idAutoHideHint && code == BN_CLICKED) {
        UpdateHintTimeEnabled();
        return true;
    }
    if (id == Setup::idHintTimeEdit && code == EN_KILLFOCUS) {
        HintTimeLostFocus();
        return true;
    }
    if (id == Setup::idShowSample && code == BN_CLICKED) {
        if (showSample_) showSample_();
        return true;
    }
    return false;
}

}  // namespace

std::unique_ptr<TSetupPage> MakePopupPage(const TSetupControls& controls, std::function<void()> showSample,
                                          std::function<void(TColor)> startColorPicked) {
    return std::make_unique<TPopupPage>(controls, std::move(showSample), std::move(startColorPicked));
}

}  // namespace pellumo
