// The setup dialog as a window: a private dialog class (DefDlgProc gives the
// dialog keyboard: Tab, Enter for OK, Esc for Cancel) with plain Win32
// controls in the system's message font, laid out from their measured texts
// (SetupLayout), on a background painted like a tab page. The
// controls sit directly on the dialog; the group boxes are frames around
// them, which keeps their notifications and drawing requests with the dialog.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "controls/ColorCombo.h"
#include "platform/Exception.h"
#include "platform/Log.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"
#include "settings/AwayField_win.h"
#include "settings/FolderChoices.h"
#include "settings/FolderPane_win.h"
#include "settings/HintTimeValue.h"
#include "settings/NotifierSettings.h"
#include "settings/Hotkey.h"
#include "settings/SetupDialog.h"
#include "settings/SetupLayout.h"
#include "settings/SetupMeasures_win.h"
#include "settings/SetupPanel_win.h"
#include "settings/LanguageField_win.h"
#include "settings/SetupTexts.h"
#include "settings/StartWithWindows.h"
#include "store/StoreLocation.h"

namespace pellumo {

const char* const TSetupDialog::kClassName = "TfrmMornelleSetup";

namespace {

// Where the dialog first appears, unless that runs off a small screen.
const int kDesignLeft = 357;
const int kDesignTop = 291;
// What "Summarize bursts" stores when switched on.
const int32_t kSummarizeAfterOn = kSummarizeAfterValue.FirstRun;
const WORD kLogoResourceId = 777;
// The dialog tries a hotkey on itself to learn whether another program has it.
const int kProbeHotkeyId = 1;

RECT ToRECT(const TRect& r) { return RECT {r.Left, r.Top, r.Right, r.Bottom}; }

// The field takes single-byte characters only, so a separator outside ASCII
// stands as "." (the number reads the same either way).
char DecimalSeparator() {
    wchar_t separator[8] = {};
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 1 && separator[0] > 0 &&
                   separator[0] < 0x80
               ? static_cast<char>(separator[0])
               : '.';
}

}  // namespace

class TSetupDialog::TImpl : public TWindow {
public:
    // What OK takes from the controls.
    using TValues = TUserSettings;

    // Makes the window and its controls, hidden, filled from `settings`,
    // with the logo. Throws Exception when the window cannot be made.
    explicit TImpl(const TNotifierSettings& settings);
    ~TImpl();
    TImpl(const TImpl&) = delete;
    TImpl& operator=(const TImpl&) = delete;

    // Shows the dialog and serves the thread's messages until it is closed;
    // true for OK.
    bool ShowModal();
    void BringToFront();
    void ControlsToSettings(TNotifierSettings& settings) const;
    // Sets the user's start-with-Windows setting, or writes or removes the
    // user's Run value, when OK found its box changed.
    void ApplyStartWithWindows(TNotifierSettings& settings) const;
    // Writes the folder choices OK found changed, for the identity whose
    // choices the dialog showed.
    void SaveFolderChoices(const TNotifierSettings& settings) const;

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The hint-time field's keys and wheel; false for what the field handles itself.
    bool EditMessage(UINT message, WPARAM wParam);

    HWND Control(int id) const { return GetDlgItem(Hwnd(), id); }
    HWND Make(const wchar_t* windowClass, const std::string& text, DWORD style, DWORD exStyle, const TRect& at, int id);
    // Labels and check boxes: their text is the table's.
    HWND Make(const wchar_t* windowClass, DWORD style, int id) {
        return Make(windowClass, SetupText(id), style, 0, layout_.Rects.at(id), id);
    }
    void CreateControls(const TNotifierSettings& settings);

    void SettingsToControls(const TNotifierSettings& settings);
    TValues ReadControls() const;
    void UpdateHintTimeEnabled();
    void OnAutoHideHintClicked() { UpdateHintTimeEnabled(); }
    // Shows whether another program has the hotkey the control holds.
    void UpdateHotkeyTaken();

    // The hint-time field's text and value.
    std::string HintTimeText() const;
    void ShowHintTime();
    void StepHintTime(int delta);
    void HintTimeLostFocus();

    // Whether the control stands on the panel and takes its background.
    bool OnPanel(HWND control) const;
    void LoadLogo();

    TWindowHandle owner_;  // hidden: an owned dialog gets no taskbar button
    HWND edit_ = nullptr;
    std::unique_ptr<TControlHook> editHook_;
    TFont font_;
    std::unique_ptr<TColorCombo> beginColor_, endColor_;
    std::unique_ptr<TFolderPane> folders_;
    std::unique_ptr<TAwayField> away_;
    std::unique_ptr<TLanguageField> language_;
    // The identity whose folders are shown, and their choices as found.
    std::string identityId_;
    TFolderChoices foundChoices_;
    TFolderChoices okChoices_;
    THintTimeValue hintTime_;
    char decimalSeparator_ = '.';

    TSetupLayout layout_;
    TSetupPanel panel_;

    bool closed_ = false;
    bool ok_ = false;
    TValues okValues_;
    // As the dialog found them: a summary limit other than the box's two is
    // kept while the box is left alone.
    int32_t summarizeAfterFound_ = 0;
    bool startsWithWindowsFound_ = false;
    bool okStartsWithWindows_ = false;
};

TSetupDialog::TImpl::TImpl(const TNotifierSettings& settings) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // Unicode windows throughout, the edit's typed characters included.
    const std::wstring className = WideFromUtf8(kClassName);
    RegisterWindowClass(className.c_str(), TWindowKind::Dialog, LoadCursor(nullptr, IDC_ARROW),
                        TText::CannotRegisterSetupClass);

    decimalSeparator_ = DecimalSeparator();
    identityId_ = GetIdentityId();
    foundChoices_ = LoadFolderChoices(identityId_);
    // The user's message font, which grows with the screen's DPI.
    font_ = CreateMessageFont();

    owner_.Reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr));
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    Create(className.c_str(), TWindowKind::Dialog, exStyle, WideFromUtf8(Text(TText::SetupCaption)), style, kDesignLeft, kDesignTop, 0, 0,
           owner_.Get(), nullptr, TText::CannotCreateSetupDialog);
    // No destructor runs for a half-made object: should a step below throw,
    // the window goes first, unbound, before the members it reads.
    struct TUndo {
        TImpl* Self;
        ~TUndo() {
            if (Self) Self->Destroy();
        }
    } undo {this};
    // As large as its texts in this font need.
    layout_ = LayoutSetupDialog(MeasureSetupDialog(Hwnd(), font_.Get(), SetupText, kLogoResourceId));
    RECT bounds {0, 0, layout_.Client.Width, layout_.Client.Height};
    AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    RECT area {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int left = std::max<int>(area.left, std::min<int>(kDesignLeft, area.right - width));
    const int top = std::max<int>(area.top, std::min<int>(kDesignTop, area.bottom - height));
    SetWindowPos(Hwnd(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    panel_.Rebuild(Hwnd());
    CreateControls(settings);
    SettingsToControls(settings);
    LoadLogo();
    undo.Self = nullptr;
}

TSetupDialog::TImpl::~TImpl() {
    folders_.reset();
    beginColor_.reset();
    endColor_.reset();
    Destroy();
}

HWND TSetupDialog::TImpl::Make(const wchar_t* windowClass, const std::string& text, DWORD style, DWORD exStyle,
                               const TRect& at, int id) {
    HWND control = CreateWindowExW(exStyle, windowClass, WideFromUtf8(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                   at.Left, at.Top, at.Right - at.Left, at.Bottom - at.Top, Hwnd(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!control) throw Exception(TText::CannotCreateSetupControls);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return control;
}

void TSetupDialog::TImpl::CreateControls(const TNotifierSettings& settings) {
    // Creation order is the tab order. Every control is a group of its own,
    // so the arrow keys do not wander between check boxes. A label's access
    // key reaches the control made after it.
    const DWORD tab = WS_TABSTOP | WS_GROUP;
    const auto& at = layout_.Rects;
    Make(L"BUTTON", BS_AUTOCHECKBOX | tab, idAutoHideHint);
    Make(L"BUTTON", BS_AUTOCHECKBOX | tab, idUseFading);

    Make(L"STATIC", SS_LEFT, idHintTimeLabel);
    // The spin edit: an edit and, at its right, the up-down buttons.
    edit_ = Make(L"EDIT", hintTime_.Text(), ES_AUTOHSCROLL | tab, WS_EX_CLIENTEDGE, at.at(idHintTimeEdit), idHintTimeEdit);
    if (InitCommonControlClasses()) {
        // No UDS_SETBUDDYINT: the field's text is THintTimeValue's, and the
        // buttons only ask for a step (UDN_DELTAPOS).
        const TRect& r = at.at(idHintTimeUpDown);
        HWND upDown = Make(UPDOWN_CLASSW, "", UDS_NOTHOUSANDS | UDS_HOTTRACK, 0, r, idHintTimeUpDown);
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
    Make(L"BUTTON", BS_AUTOCHECKBOX | tab, idDisplayWhenOEActive);

    auto combo = [&](int id) {
        const TRect& r = at.at(id);
        std::unique_ptr<TColorCombo> made(
            new TColorCombo(Hwnd(), id, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top, font_.Get()));
        const HWND handle = static_cast<HWND>(made->Handle());
        SetWindowLongPtrW(handle, GWL_STYLE, GetWindowLongPtrW(handle, GWL_STYLE) | WS_GROUP);
        return made;
    };
    Make(L"STATIC", SS_LEFT, idBeginColorLabel);
    beginColor_ = combo(idBeginColor);
    Make(L"STATIC", SS_LEFT, idEndColorLabel);
    endColor_ = combo(idEndColor);

    for (int id : {idSummarizeBursts, idPlaySound, idQuietFullScreen, idStartWithWindows, idShowUnreadCount})
        Make(L"BUTTON", BS_AUTOCHECKBOX | tab, id);
    Make(L"STATIC", SS_LEFT, idShowAgainLabel);
    const HWND hotkey = Make(HOTKEY_CLASSW, "", tab, WS_EX_CLIENTEDGE, at.at(idShowAgainHotkey), idShowAgainHotkey);
    // Keys that would take a letter or a key from every program get Ctrl+Shift:
    // a key alone, Shift alone, and Ctrl+Alt (AltGr, with or without Shift).
    SendMessageW(hotkey, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S | HKCOMB_CA | HKCOMB_SCA,
                 MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_SHIFT, 0));
    ShowWindow(Make(L"STATIC", SS_LEFT, idShowAgainTaken), SW_HIDE);
    Make(L"BUTTON", BS_AUTOCHECKBOX | tab, idHoldWhileAway);
    const HWND minutes = Make(L"EDIT", "", ES_NUMBER | tab, WS_EX_CLIENTEDGE, at.at(idAwayMinutesEdit), idAwayMinutesEdit);
    if (InitCommonControlClasses())
        SendMessageW(Make(UPDOWN_CLASSW, "", UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_HOTTRACK, 0,
                          at.at(idAwayMinutesUpDown), idAwayMinutesUpDown),
                     UDM_SETBUDDY, reinterpret_cast<WPARAM>(minutes), 0);
    away_.reset(new TAwayField(Hwnd(), idHoldWhileAway, idAwayMinutesEdit, idAwayMinutesUpDown));

    auto place = [&](int id) { return ToRECT(at.at(id)); };
    folders_.reset(new TFolderPane(Hwnd(), font_.Get(),
                                   {place(idFoldersGroup), place(idFolderTree), place(idFolderColorLabel),
                                    place(idFolderColor), place(idFolderSoundLabel), place(idFolderSound)},
                                   settings.FolderTree.get(), foundChoices_, settings.BeginColor));
    // "Default" shows the Start colour as it is picked.
    beginColor_->OnChange = [this] {
        if (folders_ && beginColor_->SelectedColor() != kNoSelectedColor) folders_->SetStartColor(beginColor_->SelectedColor());
    };

    // Shown once the logo is loaded.
    ShowWindow(Make(L"STATIC", "", SS_OWNERDRAW, 0, at.at(idLogo), idLogo), SW_HIDE);

    Make(L"STATIC", SS_LEFT, idLanguageLabel);
    TRect dropped = at.at(idLanguage);
    dropped.Bottom += 12 * (dropped.Bottom - dropped.Top);  // the list dropped down, every language at once
    Make(WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | tab, 0, dropped, idLanguage);
    language_.reset(new TLanguageField(Hwnd(), idLanguage));

    Make(L"BUTTON", BS_DEFPUSHBUTTON | tab, idOk);
    Make(L"BUTTON", BS_PUSHBUTTON | tab, idCancel);
    SendMessageW(Hwnd(), DM_SETDEFID, IDOK, 0);

    // The group boxes last, beneath the controls they frame, and clipped by
    // them: a group box may paint its whole rectangle.
    for (int id : {idHintGroup, idColorsGroup, idAlertsGroup}) Make(L"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, id);
}

void TSetupDialog::TImpl::SettingsToControls(const TNotifierSettings& settings) {
    CheckDlgButton(Hwnd(), idAutoHideHint, settings.AutoHideHint ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Hwnd(), idUseFading, settings.UseFading ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Hwnd(), idDisplayWhenOEActive, settings.DisplayWhenOEActive ? BST_CHECKED : BST_UNCHECKED);
    hintTime_.SetText(HintTimeText());
    hintTime_.SetValue(settings.HintTime);
    ShowHintTime();
    beginColor_->SetSelectedColor(settings.BeginColor);
    endColor_->SetSelectedColor(settings.EndColor);
    UpdateHintTimeEnabled();
    summarizeAfterFound_ = settings.SummarizeAfter;
    CheckDlgButton(Hwnd(), idSummarizeBursts, settings.SummarizeAfter != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Hwnd(), idPlaySound, settings.PlaySound ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Hwnd(), idQuietFullScreen, settings.QuietFullScreen ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Hwnd(), idShowUnreadCount, settings.ShowUnreadCount ? BST_CHECKED : BST_UNCHECKED);
    SendMessageW(Control(idShowAgainHotkey), HKM_SETHOTKEY, settings.ShowAgainHotkey & 0xFFFF, 0);
    away_->Set(settings.AwayMinutes);
    language_->Set(settings.Language);
    UpdateHotkeyTaken();
    startsWithWindowsFound_ = StartsWithWindows(settings);
    CheckDlgButton(Hwnd(), idStartWithWindows, startsWithWindowsFound_ ? BST_CHECKED : BST_UNCHECKED);
}

TSetupDialog::TImpl::TValues TSetupDialog::TImpl::ReadControls() const {
    TValues values;
    values.AutoHideHint = IsDlgButtonChecked(Hwnd(), idAutoHideHint) == BST_CHECKED;
    values.UseFading = IsDlgButtonChecked(Hwnd(), idUseFading) == BST_CHECKED;
    values.DisplayWhenOEActive = IsDlgButtonChecked(Hwnd(), idDisplayWhenOEActive) == BST_CHECKED;
    // As it reads now, within the field's range: Enter confirms a value
    // without the field losing the focus that would clamp it.
    values.HintTime = ClampHintTime(ReadHintTime(HintTimeText()));
    values.BeginColor = beginColor_->SelectedColor();
    values.EndColor = endColor_->SelectedColor();
    const bool summarize = IsDlgButtonChecked(Hwnd(), idSummarizeBursts) == BST_CHECKED;
    values.SummarizeAfter = summarize == (summarizeAfterFound_ != 0) ? summarizeAfterFound_
                            : summarize                              ? kSummarizeAfterOn
                                                                     : 0;
    values.PlaySound = IsDlgButtonChecked(Hwnd(), idPlaySound) == BST_CHECKED;
    values.QuietFullScreen = IsDlgButtonChecked(Hwnd(), idQuietFullScreen) == BST_CHECKED;
    values.ShowUnreadCount = IsDlgButtonChecked(Hwnd(), idShowUnreadCount) == BST_CHECKED;
    values.ShowAgainHotkey = LOWORD(SendMessageW(Control(idShowAgainHotkey), HKM_GETHOTKEY, 0, 0));
    values.AwayMinutes = away_->Get();
    values.Language = language_->Get();
    return values;
}

void TSetupDialog::TImpl::ControlsToSettings(TNotifierSettings& settings) const {
    // What the controls held when OK was given; hiding the dialog afterwards
    // takes the focus from the hint-time field, which must not count.
    ApplyUserSettings(settings, okValues_);
}

void TSetupDialog::TImpl::SaveFolderChoices(const TNotifierSettings& settings) const {
    SaveFolderChoiceChanges(identityId_, foundChoices_, okChoices_, settings.FolderTree.get());
}

void TSetupDialog::TImpl::ApplyStartWithWindows(TNotifierSettings& settings) const {
    if (okStartsWithWindows_ != startsWithWindowsFound_) SetStartWithWindows(okStartsWithWindows_, settings);
}

void TSetupDialog::TImpl::UpdateHintTimeEnabled() {
    const BOOL enabled = IsDlgButtonChecked(Hwnd(), idAutoHideHint) == BST_CHECKED;
    EnableWindow(edit_, enabled);
    EnableWindow(Control(idHintTimeUpDown), enabled);
    EnableWindow(Control(idHintTimeLabel), enabled);
}

std::string TSetupDialog::TImpl::HintTimeText() const { return WindowTextUtf8(edit_); }

void TSetupDialog::TImpl::ShowHintTime() {
    if (HintTimeText() != hintTime_.Text()) SetWindowTextUtf8(edit_, hintTime_.Text());
}

void TSetupDialog::TImpl::StepHintTime(int delta) {
    if (delta == 0 || !IsWindowEnabled(edit_)) return;
    hintTime_.SetText(HintTimeText());
    hintTime_.Step(delta);
    ShowHintTime();
    SendMessageW(edit_, EM_SETSEL, 0, -1);
}

void TSetupDialog::TImpl::HintTimeLostFocus() {
    hintTime_.SetText(HintTimeText());
    hintTime_.LoseFocus();
    ShowHintTime();
}

bool TSetupDialog::TImpl::OnPanel(HWND control) const {
    // Labels, the logo, check boxes, group boxes and buttons; fields, lists,
    // the tree and the hotkey keep their own background.
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    return GetParent(control) == Hwnd() && (lstrcmpiW(name, L"Static") == 0 || lstrcmpiW(name, L"Button") == 0);
}

void TSetupDialog::TImpl::LoadLogo() {
    const RECT area = ToRECT(layout_.Rects.at(idLogo));
    SIZE size {};
    if (!panel_.LoadLogo(kLogoResourceId, area, size)) return;
    // The logo sizes itself to its picture.
    SetWindowPos(Control(idLogo), nullptr, area.left, area.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(Control(idLogo), SW_SHOWNA);
}

void TSetupDialog::TImpl::UpdateHotkeyTaken() {
    const auto stored = static_cast<uint32_t>(LOWORD(SendMessageW(Control(idShowAgainHotkey), HKM_GETHOTKEY, 0, 0)));
    const std::optional<THotkeyRegistration> hotkey = HotkeyRegistration(stored);
    bool taken = false;
    if (hotkey) {
        // The program lets its own go while the dialog is open, so what
        // holds it now is another program.
        taken = !RegisterHotKey(Hwnd(), kProbeHotkeyId, hotkey->Modifiers, hotkey->VirtualKey);
        if (!taken) UnregisterHotKey(Hwnd(), kProbeHotkeyId);
    }
    ShowWindow(Control(idShowAgainTaken), taken ? SW_SHOWNA : SW_HIDE);
}

bool TSetupDialog::TImpl::ShowModal() {
    ShowWindow(Hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(Hwnd());
    // The first control in the tab order has the focus, as designed.
    SendMessageW(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(idAutoHideHint)), TRUE);
    // Every message of the thread is served here, so the popup's timer and
    // the tray icon carry on while the dialog is open; only the dialog's own
    // keyboard goes through the dialog manager first.
    while (!closed_) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // The program is ending: close as Cancel and leave the quit
            // request for the loop that waits for it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            ok_ = false;
            break;
        }
        if (IsDialogMessageW(Hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ShowWindow(Hwnd(), SW_HIDE);
    return ok_;
}

void TSetupDialog::TImpl::BringToFront() {
    if (IsIconic(Hwnd())) ShowWindow(Hwnd(), SW_RESTORE);
    SetForegroundWindow(Hwnd());
    BringWindowToTop(Hwnd());
}

bool TSetupDialog::TImpl::EditMessage(UINT message, WPARAM wParam) {
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

LRESULT TSetupDialog::TImpl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    intptr_t result = 0;
    for (TColorCombo* combo : {beginColor_.get(), endColor_.get()})
        if (combo && combo->ParentMessage(message, wParam, lParam, result)) return result;
    LRESULT paneResult = 0;
    if (folders_ && folders_->ParentMessage(message, wParam, lParam, paneResult)) return paneResult;

    switch (message) {
        case WM_ERASEBKGND:
        case WM_PRINTCLIENT: {
            // Also how themed controls ask for the background behind them.
            panel_.Erase(Hwnd(), reinterpret_cast<HDC>(wParam));
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC dc = BeginPaint(Hwnd(), &ps);
            if (dc && ps.fErase) WindowProc(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            EndPaint(Hwnd(), &ps);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const HWND control = reinterpret_cast<HWND>(lParam);
            if (!OnPanel(control) || !panel_.HasBrush()) break;
            return reinterpret_cast<LRESULT>(panel_.BrushFor(control, reinterpret_cast<HDC>(wParam)));
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item && item->CtlID == idLogo) {
                panel_.DrawLogo(*item);
                return TRUE;
            }
            break;
        }
        case WM_THEMECHANGED:
        case WM_SYSCOLORCHANGE:
            panel_.Rebuild(Hwnd());
            RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            break;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header && header->idFrom == idHintTimeUpDown && header->code == UDN_DELTAPOS) {
                const auto* upDown = reinterpret_cast<const NMUPDOWN*>(lParam);
                StepHintTime(upDown->iDelta > 0 ? 1 : upDown->iDelta < 0 ? -1 : 0);
                return TRUE;  // the up-down keeps no value of its own
            }
            break;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == IDOK && code == BN_CLICKED) {
                okValues_ = ReadControls();
                okChoices_ = folders_->Choices();
                okStartsWithWindows_ = IsDlgButtonChecked(Hwnd(), idStartWithWindows) == BST_CHECKED;
                ok_ = true;
                closed_ = true;
                return 0;
            }
            if (id == IDCANCEL && code == BN_CLICKED) {
                closed_ = true;
                return 0;
            }
            if (id == idAutoHideHint && code == BN_CLICKED) {
                OnAutoHideHintClicked();
                return 0;
            }
            if (id == idHoldWhileAway && code == BN_CLICKED) {
                away_->BoxClicked();
                return 0;
            }
            if (id == idShowAgainHotkey && code == EN_CHANGE) {
                UpdateHotkeyTaken();
                return 0;
            }
            if (id == idHintTimeEdit && code == EN_KILLFOCUS) {
                HintTimeLostFocus();
                return 0;
            }
            break;
        }
        case WM_CLOSE:
            // The close box: as Cancel.
            closed_ = true;
            return 0;
    }
    return Default(message, wParam, lParam);
}

TSetupResult TSetupDialogHolder::ShowSetupDialog(TNotifierSettings& settings) {
    TSetupResult result;
    if (open_) {
        open_->BringToFront();
        return result;
    }
    std::unique_ptr<TSetupDialog::TImpl> dialog(new TSetupDialog::TImpl(settings));
    struct TOpen {
        TOpen(TSetupDialog::TImpl*& slot, TSetupDialog::TImpl* d) : Slot(slot) { Slot = d; }
        ~TOpen() { Slot = nullptr; }
        TSetupDialog::TImpl*& Slot;
    } open(open_, dialog.get());
    if (!dialog->ShowModal()) return result;
    result.Ok = true;
    dialog->ControlsToSettings(settings);
    // Each write is made whatever became of the one before; the first
    // failure is told once all are done.
    const auto write = [&result](const char* what, const std::function<void()>& step) {
        try {
            step();
        } catch (const std::exception& error) {
            LogLine(std::string(what) + " could not be written: " + error.what());
            if (result.WriteError.Empty()) result.WriteError = UserMessageOf(error);
        }
    };
    // Written now: a crash, a kill or a power cut must not undo an OK.
    write("The settings", [&] { settings.Save(); });
    write("The folder choices", [&] { dialog->SaveFolderChoices(settings); });
    write("The start with Windows", [&] { dialog->ApplyStartWithWindows(settings); });
    return result;
}

void* TSetupDialogHolder::DialogHandle() const { return open_ ? open_->Hwnd() : nullptr; }

}  // namespace pellumo
