// The setup dialog's "Alerts" page: summaries, sound, full-screen quiet,
// the icon's count, the show-again hotkey with its warning, the away time,
// and the start with Windows box (which the dialog fills and applies: it is
// no value of the settings).
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>

#include "platform/Window_win.h"
#include "settings/AwayField_win.h"
#include "settings/Hotkey.h"
#include "settings/SetupDialog.h"
#include "settings/SetupPages_win.h"

namespace pellumo {

namespace {

using Setup = TSetupDialog;

// What "Summarize bursts" stores when switched on.
const int32_t kSummarizeAfterOn = kSummarizeAfterValue.FirstRun;
// The dialog tries a hotkey on itself to learn whether another program has it.
const int kProbeHotkeyId = 1;

class TAlertsPage : public TSetupPage {
public:
    explicit TAlertsPage(const TSetupControls& controls);

    void Fill(const TNotifierSettings& settings) override;
    void Read(TUserSettings& values) const override;
    void Shown() override { UpdateHotkeyTaken(); }
    bool Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    HWND Hotkey() const { return controls_.Control(Setup::idShowAgainHotkey); }
    // Shows whether another program has the hotkey the control holds.
    void UpdateHotkeyTaken() const;

    const TSetupControls& controls_;
    std::unique_ptr<TAwayField> away_;
    // As the dialog found it: a summary limit other than the box's two is
    // kept while the box is left alone.
    int32_t summarizeAfterFound_ = 0;
};

TAlertsPage::TAlertsPage(const TSetupControls& controls) : controls_(controls) {
    const DWORD tab = WS_TABSTOP | WS_GROUP;
    for (int id : {Setup::idSummarizeBursts, Setup::idPlaySound, Setup::idQuietFullScreen, Setup::idStartWithWindows,
                   Setup::idShowUnreadCount})
        controls.CheckBox(id);
    controls.Make(L"STATIC", SS_LEFT, Setup::idShowAgainLabel);
    const HWND hotkey = controls.Make(HOTKEY_CLASSW, "", tab, WS_EX_CLIENTEDGE, Setup::idShowAgainHotkey);
    // Keys that would take a letter or a key from every program get Ctrl+Shift:
    // a key alone, Shift alone, and Ctrl+Alt (AltGr, with or without Shift).
    SendMessageW(hotkey, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S | HKCOMB_CA | HKCOMB_SCA,
                 MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_SHIFT, 0));
    ShowWindow(controls.Make(L"STATIC", SS_LEFT, Setup::idShowAgainTaken), SW_HIDE);
    controls.CheckBox(Setup::idHoldWhileAway);
    const HWND minutes = controls.Make(L"EDIT", "", ES_NUMBER | tab, WS_EX_CLIENTEDGE, Setup::idAwayMinutesEdit);
    if (InitCommonControlClasses())
        SendMessageW(controls.Make(UPDOWN_CLASSW, "", UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_HOTTRACK,
                                   0, Setup::idAwayMinutesUpDown),
                     UDM_SETBUDDY, reinterpret_cast<WPARAM>(minutes), 0);
    away_.reset(new TAwayField(controls.Dialog(), Setup::idHoldWhileAway, Setup::idAwayMinutesEdit,
                               Setup::idAwayMinutesUpDown));
    controls.GroupBox(Setup::idAlertsGroup);
}

void TAlertsPage::Fill(const TNotifierSettings& settings) {
    summarizeAfterFound_ = settings.SummarizeAfter;
    controls_.Check(Setup::idSummarizeBursts, settings.SummarizeAfter != 0);
    controls_.Check(Setup::idPlaySound, settings.PlaySound);
    controls_.Check(Setup::idQuietFullScreen, settings.QuietFullScreen);
    controls_.Check(Setup::idShowUnreadCount, settings.ShowUnreadCount);
    SendMessageW(Hotkey(), HKM_SETHOTKEY, settings.ShowAgainHotkey & 0xFFFF, 0);
    away_->Set(settings.AwayMinutes);
    UpdateHotkeyTaken();
}

void TAlertsPage::Read(TUserSettings& values) const {
    const bool summarize = controls_.Checked(Setup::idSummarizeBursts);
    values.SummarizeAfter = summarize == (summarizeAfterFound_ != 0) ? summarizeAfterFound_
                            : summarize                              ? kSummarizeAfterOn
                                                                     : 0;
    values.PlaySound = controls_.Checked(Setup::idPlaySound);
    values.QuietFullScreen = controls_.Checked(Setup::idQuietFullScreen);
    values.ShowUnreadCount = controls_.Checked(Setup::idShowUnreadCount);
    values.ShowAgainHotkey = LOWORD(SendMessageW(Hotkey(), HKM_GETHOTKEY, 0, 0));
    values.AwayMinutes = away_->Get();
}

void TAlertsPage::UpdateHotkeyTaken() const {
    const auto stored = static_cast<uint32_t>(LOWORD(SendMessageW(Hotkey(), HKM_GETHOTKEY, 0, 0)));
    const std::optional<THotkeyRegistration> hotkey = HotkeyRegistration(stored);
    bool taken = false;
    if (hotkey) {
        // The program lets its own go while the dialog is open, so what
        // holds it now is another program.
        taken = !RegisterHotKey(controls_.Dialog(), kProbeHotkeyId, hotkey->Modifiers, hotkey->VirtualKey);
        if (!taken) UnregisterHotKey(controls_.Dialog(), kProbeHotkeyId);
    }
    // Told only on its page.
    const bool onPage = (GetWindowLongPtrW(Hotkey(), GWL_STYLE) & WS_VISIBLE) != 0;
    ShowWindow(controls_.Control(Setup::idShowAgainTaken), taken && onPage ? SW_SHOWNA : SW_HIDE);
}

bool TAlertsPage::Message(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_COMMAND) return false;
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    result = 0;
    if (id == Setup::idHoldWhileAway && code == BN_CLICKED) {
        away_->BoxClicked();
        return true;
    }
    if (id == Setup::idShowAgainHotkey && code == EN_CHANGE) {
        UpdateHotkeyTaken();
        return true;
    }
    return false;
}

}  // namespace

std::unique_ptr<TSetupPage> MakeAlertsPage(const TSetupControls& controls) {
    return std::make_unique<TAlertsPage>(controls);
}

}  // namespace pellumo
