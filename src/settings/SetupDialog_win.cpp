// The setup dialog as a window: a private dialog class (DefDlgProc gives the
// dialog keyboard: Tab, Enter for OK, Esc for Cancel) with plain Win32
// controls laid out in pixels, on a background painted like a tab page. The
// controls sit directly on the dialog; the group boxes are frames around
// them, which keeps their notifications and drawing requests with the dialog.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "controls/ColorCombo.h"
#include "platform/Exception.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"
#include "settings/FolderChoices.h"
#include "settings/FolderPane_win.h"
#include "settings/HintTimeValue.h"
#include "settings/NotifierSettings.h"
#include "settings/SetupDialog.h"
#include "settings/SetupPanel_win.h"
#include "settings/StartWithWindows.h"
#include "store/StoreLocation.h"

namespace pellumo {

const char* const TSetupDialog::kCaption = "Pellumo Setup";
const char* const TSetupDialog::kClassName = "TfrmMornelleSetup";

namespace {

// The design, in pixels: not scaled with the screen's font size.
const int kDesignLeft = 357;
const int kDesignTop = 291;
const int kClientWidth = 636;
const int kClientHeight = 247;
const POINT kHintGroupOrigin = {16, 8};
const POINT kColorsGroupOrigin = {16, 104};
// Below the logo, its bottom level with the colours' group.
const POINT kAlertsGroupOrigin = {218, 72};
// At the right, from the logo's top down to the alerts' bottom.
const RECT kFoldersGroup = {420, 8, 628, 208};
// The alerts reach below the colours: they have one check box more.
const int kAlertsGroupBottom = 208;
// What "Summarize bursts" stores when switched on.
const int32_t kSummarizeAfterOn = kSummarizeAfterValue.FirstRun;
const int kLogoLeft = 223;
const int kLogoTop = 8;
// The logo's rectangle in the design, whose centre gives the logo's background.
const int kLogoDesignWidth = 192;
const int kLogoDesignHeight = 56;
const WORD kLogoResourceId = 777;

// Registers the up-down class. By name, not by path: the manifest's common
// controls 6 must be the ones loaded. False when the system has none.
bool InitUpDownClass() {
    static const bool ready = [] {
        const HMODULE module = LoadLibraryA("comctl32.dll");
        const auto init = module ? reinterpret_cast<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(
                                       reinterpret_cast<void*>(GetProcAddress(module, "InitCommonControlsEx")))
                                 : nullptr;
        if (!init) return false;
        INITCOMMONCONTROLSEX icc {sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
        return init(&icc) != FALSE;
    }();
    return ready;
}

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
    HWND Make(const wchar_t* windowClass, const std::string& text, DWORD style, DWORD exStyle, int left, int top, int width,
              int height, int id);
    HWND MakeLabel(const std::string& text, int left, int top, int id);
    void CreateControls(const TNotifierSettings& settings);

    void SettingsToControls(const TNotifierSettings& settings);
    TValues ReadControls() const;
    void UpdateHintTimeEnabled();
    void OnAutoHideHintClicked() { UpdateHintTimeEnabled(); }

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
    // The identity whose folders are shown, and their choices as found.
    std::string identityId_;
    TFolderChoices foundChoices_;
    TFolderChoices okChoices_;
    THintTimeValue hintTime_;
    char decimalSeparator_ = '.';

    TSetupPanel panel_ {kClientWidth, kClientHeight};

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
                        "Cannot register the setup dialog's window class");

    decimalSeparator_ = DecimalSeparator();
    identityId_ = GetIdentityId();
    foundChoices_ = LoadFolderChoices(identityId_);
    // "MS Sans Serif" 8 point in pixels, as designed.
    font_ = CreatePixelFont(L"MS Sans Serif");

    owner_.Reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr));
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT bounds {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    // Where it was designed to be, unless that runs off a small screen.
    RECT area {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int left = std::max<int>(area.left, std::min<int>(kDesignLeft, area.right - width));
    const int top = std::max<int>(area.top, std::min<int>(kDesignTop, area.bottom - height));
    Create(className.c_str(), TWindowKind::Dialog, exStyle, WideFromUtf8(kCaption), style, left, top, width, height,
           owner_.Get(), nullptr, "Cannot create the setup dialog");
    // No destructor runs for a half-made object: should a step below throw,
    // the window goes first, unbound, before the members it reads.
    struct TUndo {
        TImpl* Self;
        ~TUndo() {
            if (Self) Self->Destroy();
        }
    } undo {this};
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
                                    int left, int top, int width, int height, int id) {
    HWND control = CreateWindowExW(exStyle, windowClass, WideFromUtf8(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                   left, top, width, height, Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (!control) throw Exception("Cannot create the setup dialog's controls");
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return control;
}

// Labels are as large as their text; the letter after "&" is the access key
// of the control made next.
HWND TSetupDialog::TImpl::MakeLabel(const std::string& text, int left, int top, int id) {
    const SIZE size = MeasureText(Hwnd(), font_.Get(), WithoutAccessKeys(text), SIZE {0, 13});
    return Make(L"STATIC", text, SS_LEFT, 0, left, top, size.cx, size.cy, id);
}

void TSetupDialog::TImpl::CreateControls(const TNotifierSettings& settings) {
    // Creation order is the tab order. Every control is a group of its own,
    // so the arrow keys do not wander between check boxes.
    const DWORD tab = WS_TABSTOP | WS_GROUP;
    const int hx = kHintGroupOrigin.x, hy = kHintGroupOrigin.y, cx = kColorsGroupOrigin.x, cy = kColorsGroupOrigin.y;
    Make(L"BUTTON", "&Auto hide hint", BS_AUTOCHECKBOX | tab, 0, hx + 8, hy + 16, 89, 17, idAutoHideHint);
    Make(L"BUTTON", "Use &fading", BS_AUTOCHECKBOX | tab, 0, hx + 8, hy + 40, 81, 17, idUseFading);

    // Made just before the field, so that its access key reaches the field.
    MakeLabel("Hint &time (seconds):", hx + 97, hy + 18, idHintTimeLabel);
    // The spin edit: an edit and, at its right, the up-down buttons, the
    // two filling the designed 89 pixels together.
    const int upDownWidth = GetSystemMetrics(SM_CXVSCROLL);
    edit_ = Make(L"EDIT", hintTime_.Text().c_str(), ES_AUTOHSCROLL | tab, WS_EX_CLIENTEDGE, hx + 96, hy + 40,
                 89 - upDownWidth, 21, idHintTimeEdit);
    if (InitUpDownClass()) {
        // No UDS_SETBUDDYINT: the field's text is THintTimeValue's, and the
        // buttons only ask for a step (UDN_DELTAPOS).
        HWND upDown = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | UDS_NOTHOUSANDS | UDS_HOTTRACK,
                                      hx + 96 + 89 - upDownWidth, hy + 40, upDownWidth, 21, Hwnd(),
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(idHintTimeUpDown)),
                                      GetModuleHandleW(nullptr), nullptr);
        if (upDown) {
            SendMessageW(upDown, UDM_SETRANGE32, kHintTimeMin, kHintTimeMax);
            // Held down, the buttons keep stepping by one.
            UDACCEL accel {0, 1};
            SendMessageW(upDown, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
            SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
            // Taking a buddy may resize the control; the design's box wins.
            SetWindowPos(upDown, nullptr, hx + 96 + 89 - upDownWidth, hy + 40, upDownWidth, 21,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    // Subclassed last, so the field's own handling of keys and the wheel
    // comes first and is the only one: some up-down controls step on the
    // wheel over their buddy too. Through the W call, so the field stays a
    // Unicode window.
    editHook_ = std::make_unique<TControlHook>(edit_, [this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        result = 0;
        return EditMessage(message, wParam);
    });
    Make(L"BUTTON", "&Display when OE is active", BS_AUTOCHECKBOX | tab, 0, hx + 8, hy + 64, 177, 17,
         idDisplayWhenOEActive);

    MakeLabel("&Start", cx + 8, cy + 19, idBeginColorLabel);
    beginColor_.reset(new TColorCombo(Hwnd(), idBeginColor, cx + 40, cy + 16, 145, 21, font_.Get()));
    MakeLabel("&End", cx + 8, cy + 51, idEndColorLabel);
    endColor_.reset(new TColorCombo(Hwnd(), idEndColor, cx + 40, cy + 48, 145, 21, font_.Get()));
    SetWindowLongPtrW(static_cast<HWND>(beginColor_->Handle()), GWL_STYLE,
                      GetWindowLongPtrW(static_cast<HWND>(beginColor_->Handle()), GWL_STYLE) | WS_GROUP);
    SetWindowLongPtrW(static_cast<HWND>(endColor_->Handle()), GWL_STYLE,
                      GetWindowLongPtrW(static_cast<HWND>(endColor_->Handle()), GWL_STYLE) | WS_GROUP);

    const int ax = kAlertsGroupOrigin.x, ay = kAlertsGroupOrigin.y;
    Make(L"BUTTON", "Su&mmarize bursts", BS_AUTOCHECKBOX | tab, 0, ax + 8, ay + 14, 177, 17, idSummarizeBursts);
    Make(L"BUTTON", "&Play sound", BS_AUTOCHECKBOX | tab, 0, ax + 8, ay + 36, 177, 17, idPlaySound);
    // Two lines' room: its text is wider than the group in this font.
    Make(L"BUTTON", "&Quiet during full-screen programs", BS_AUTOCHECKBOX | BS_MULTILINE | tab, 0, ax + 8, ay + 58,
         177, 26, idQuietFullScreen);
    Make(L"BUTTON", "Start with &Windows", BS_AUTOCHECKBOX | tab, 0, ax + 8, ay + 88, 177, 17, idStartWithWindows);
    // Two lines' room, as the quiet box above.
    Make(L"BUTTON", "Show unread &count on the icon", BS_AUTOCHECKBOX | BS_MULTILINE | tab, 0, ax + 8, ay + 108, 177,
         26, idShowUnreadCount);

    folders_.reset(new TFolderPane(Hwnd(), font_.Get(), kFoldersGroup, settings.FolderTree.get(), foundChoices_,
                                   settings.BeginColor));
    // "Default" shows the Start colour as it is picked.
    beginColor_->OnChange = [this] {
        if (folders_ && beginColor_->SelectedColor() != kNoSelectedColor) folders_->SetStartColor(beginColor_->SelectedColor());
    };

    // Shown and sized once the logo is loaded.
    HWND image = Make(L"STATIC", "", SS_OWNERDRAW, 0, kLogoLeft, kLogoTop, kLogoDesignWidth,
                      kLogoDesignHeight, idLogo);
    ShowWindow(image, SW_HIDE);

    // At the bottom right.
    Make(L"BUTTON", "OK", BS_DEFPUSHBUTTON | tab, 0, kClientWidth - 164, 216, 75, 25, IDOK);
    Make(L"BUTTON", "Cancel", BS_PUSHBUTTON | tab, 0, kClientWidth - 84, 216, 75, 25, IDCANCEL);
    SendMessageW(Hwnd(), DM_SETDEFID, IDOK, 0);

    // The group boxes last, beneath the controls they frame, and clipped by
    // them: a group box may paint its whole rectangle.
    Make(L"BUTTON", "Hint", BS_GROUPBOX | WS_CLIPSIBLINGS, 0, hx, hy, 193, 89, idHintGroup);
    Make(L"BUTTON", "Colors", BS_GROUPBOX | WS_CLIPSIBLINGS, 0, cx, cy, 193, 81, idColorsGroup);
    Make(L"BUTTON", "Alerts", BS_GROUPBOX | WS_CLIPSIBLINGS, 0, ax, ay, 193, kAlertsGroupBottom - ay, idAlertsGroup);
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
    switch (GetDlgCtrlID(control)) {
        case idHintGroup:
        case idAutoHideHint:
        case idHintTimeLabel:
        case idUseFading:
        case idDisplayWhenOEActive:
        case idColorsGroup:
        case idBeginColorLabel:
        case idEndColorLabel:
        case idLogo:
        case idAlertsGroup:
        case idSummarizeBursts:
        case idPlaySound:
        case idQuietFullScreen:
        case idStartWithWindows:
        case idShowUnreadCount:
        case idFoldersGroup:
        case idFolderColorLabel:
        case IDOK:
        case IDCANCEL:
            return true;
    }
    return false;
}

void TSetupDialog::TImpl::LoadLogo() {
    const RECT designArea {kLogoLeft, kLogoTop, kLogoLeft + kLogoDesignWidth, kLogoTop + kLogoDesignHeight};
    SIZE size {};
    if (!panel_.LoadLogo(kLogoResourceId, designArea, size)) return;
    // The logo sizes itself to its picture.
    SetWindowPos(Control(idLogo), nullptr, kLogoLeft, kLogoTop, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(Control(idLogo), SW_SHOWNA);
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

bool TSetupDialogHolder::ShowSetupDialog(TNotifierSettings& settings) {
    if (open_) {
        open_->BringToFront();
        return false;
    }
    std::unique_ptr<TSetupDialog::TImpl> dialog(new TSetupDialog::TImpl(settings));
    struct TOpen {
        TOpen(TSetupDialog::TImpl*& slot, TSetupDialog::TImpl* d) : Slot(slot) { Slot = d; }
        ~TOpen() { Slot = nullptr; }
        TSetupDialog::TImpl*& Slot;
    } open(open_, dialog.get());
    if (!dialog->ShowModal()) return false;
    dialog->ControlsToSettings(settings);
    // Written now: a crash, a kill or a power cut must not undo an OK.
    settings.Save();
    dialog->SaveFolderChoices(settings);
    dialog->ApplyStartWithWindows(settings);
    return true;
}

void* TSetupDialogHolder::DialogHandle() const { return open_ ? open_->Hwnd() : nullptr; }

}  // namespace pellumo
