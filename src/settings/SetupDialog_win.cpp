// The setup dialog as a window: a private dialog class (DefDlgProc gives the
// dialog keyboard: Tab, Enter for OK, Esc for Cancel) with plain Win32
// controls laid out in pixels, on a background painted like a tab page. The
// controls sit directly on the dialog; the group boxes are frames around
// them, which keeps their notifications and drawing requests with the dialog.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "controls/ColorCombo.h"
#include "controls/GradientPanelPaint.h"
#include "platform/DibCanvas_win.h"
#include "platform/Exception.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"
#include "settings/HintTimeValue.h"
#include "settings/Logo.h"
#include "settings/NotifierSettings.h"
#include "settings/SetupDialog.h"

namespace pellumo {

const char* const TSetupDialog::kCaption = "Pellumo Setup";
const char* const TSetupDialog::kClassName = "TfrmMornelleSetup";

namespace {

// The design, in pixels: not scaled with the screen's font size.
const int kDesignLeft = 357;
const int kDesignTop = 291;
const int kClientWidth = 420;
const int kClientHeight = 247;
const POINT kHintGroupOrigin = {16, 8};
const POINT kColorsGroupOrigin = {16, 104};
const int kLogoLeft = 223;
const int kLogoTop = 8;
// The logo's rectangle in the design, whose centre gives the logo's background.
const int kLogoDesignWidth = 192;
const int kLogoDesignHeight = 56;
const WORD kLogoResourceId = 777;
const int kTabPane = 9;  // TABP_PANE of the "TAB" theme class

// A DLL from the system directory by full path, so one lying beside the
// program or in the current directory is never loaded instead. Kept loaded.
HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(name) + 1 > MAX_PATH) return nullptr;
    lstrcpyA(path + length, "\\");
    lstrcatA(path, name);
    return LoadLibraryA(path);
}

template <typename F>
F Proc(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The visual-theme services, absent before Windows XP: looked up once.
struct TThemeApi {
    BOOL(WINAPI* IsThemeActive)() = nullptr;
    BOOL(WINAPI* IsAppThemed)() = nullptr;
    HANDLE(WINAPI* OpenThemeData)(HWND, LPCWSTR) = nullptr;
    HRESULT(WINAPI* CloseThemeData)(HANDLE) = nullptr;
    HRESULT(WINAPI* DrawThemeBackground)(HANDLE, HDC, int, int, const RECT*, const RECT*) = nullptr;

    bool Active() const {
        return IsThemeActive && IsAppThemed && OpenThemeData && CloseThemeData && DrawThemeBackground &&
               IsThemeActive() && IsAppThemed();
    }
};

const TThemeApi& ThemeApi() {
    static const TThemeApi api = [] {
        TThemeApi a;
        const HMODULE module = LoadSystemLibrary("uxtheme.dll");
        a.IsThemeActive = Proc<decltype(a.IsThemeActive)>(module, "IsThemeActive");
        a.IsAppThemed = Proc<decltype(a.IsAppThemed)>(module, "IsAppThemed");
        a.OpenThemeData = Proc<decltype(a.OpenThemeData)>(module, "OpenThemeData");
        a.CloseThemeData = Proc<decltype(a.CloseThemeData)>(module, "CloseThemeData");
        a.DrawThemeBackground = Proc<decltype(a.DrawThemeBackground)>(module, "DrawThemeBackground");
        return a;
    }();
    return api;
}

// Registers the up-down class. By name, not by path: the manifest's common
// controls 6 must be the ones loaded. False when the system has none.
bool InitUpDownClass() {
    static const bool ready = [] {
        const HMODULE module = LoadLibraryA("comctl32.dll");
        const auto init = Proc<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(module, "InitCommonControlsEx");
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

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The hint-time field's keys and wheel; false for what the field handles itself.
    bool EditMessage(UINT message, WPARAM wParam);

    HWND Control(int id) const { return GetDlgItem(Hwnd(), id); }
    HWND Make(const wchar_t* windowClass, const std::string& text, DWORD style, DWORD exStyle, int left, int top, int width,
              int height, int id);
    HWND MakeLabel(const std::string& text, int left, int top, int id);
    void CreateControls();

    void SettingsToControls(const TNotifierSettings& settings);
    TValues ReadControls() const;
    void UpdateHintTimeEnabled();
    void OnAutoHideHintClicked() { UpdateHintTimeEnabled(); }

    // The hint-time field's text and value.
    std::string HintTimeText() const;
    void ShowHintTime();
    void StepHintTime(int delta);
    void HintTimeLostFocus();

    // The gradient panel: the background, kept as a bitmap of the client area.
    void PaintPanel(HDC dc) const;
    void RebuildPanel();
    bool OnPanel(HWND control) const;
    HBRUSH PanelBrushFor(HWND control, HDC dc) const;

    void LoadLogo();
    COLORREF LogoBackground() const;
    void DrawLogo(const DRAWITEMSTRUCT& item) const;

    TWindowHandle owner_;  // hidden: an owned dialog gets no taskbar button
    HWND edit_ = nullptr;
    std::unique_ptr<TControlHook> editHook_;
    TFont font_;
    std::unique_ptr<TColorCombo> beginColor_, endColor_;
    THintTimeValue hintTime_;
    char decimalSeparator_ = '.';

    TGdi<HBITMAP> panelBitmap_;
    TGdi<HBRUSH> panelBrush_;
    TGdi<HBITMAP> logo_, logoMask_;
    int logoWidth_ = 0, logoHeight_ = 0;

    bool closed_ = false;
    bool ok_ = false;
    TValues okValues_;
};

namespace {
// At most one dialog is open; a second request finds it here.
TSetupDialog::TImpl* openDialog = nullptr;
}  // namespace

TSetupDialog::TImpl::TImpl(const TNotifierSettings& settings) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // Unicode windows throughout, the edit's typed characters included.
    const std::wstring className = WideFromUtf8(kClassName);
    RegisterWindowClass(className.c_str(), TWindowKind::Dialog, LoadCursor(nullptr, IDC_ARROW),
                        "Cannot register the setup dialog's window class");

    decimalSeparator_ = DecimalSeparator();
    // "MS Sans Serif" 8 point in pixels, as designed.
    font_ = CreatePixelFont(L"MS Sans Serif");

    owner_.Reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr));
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT bounds {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
    Create(className.c_str(), TWindowKind::Dialog, exStyle, WideFromUtf8(kCaption), style, kDesignLeft, kDesignTop,
           bounds.right - bounds.left, bounds.bottom - bounds.top, owner_.Get(), nullptr,
           "Cannot create the setup dialog");
    // No destructor runs for a half-made object: should a step below throw,
    // the window goes first, unbound, before the members it reads.
    struct TUndo {
        TImpl* Self;
        ~TUndo() {
            if (Self) Self->Destroy();
        }
    } undo {this};
    RebuildPanel();
    CreateControls();
    SettingsToControls(settings);
    LoadLogo();
    undo.Self = nullptr;
}

TSetupDialog::TImpl::~TImpl() {
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

// Labels are as large as their text.
HWND TSetupDialog::TImpl::MakeLabel(const std::string& text, int left, int top, int id) {
    const SIZE size = MeasureText(Hwnd(), font_.Get(), text, SIZE {0, 13});
    return Make(L"STATIC", text, SS_LEFT | SS_NOPREFIX, 0, left, top, size.cx, size.cy, id);
}

void TSetupDialog::TImpl::CreateControls() {
    // Creation order is the tab order. Every control is a group of its own,
    // so the arrow keys do not wander between check boxes.
    const DWORD tab = WS_TABSTOP | WS_GROUP;
    const int hx = kHintGroupOrigin.x, hy = kHintGroupOrigin.y, cx = kColorsGroupOrigin.x, cy = kColorsGroupOrigin.y;
    Make(L"BUTTON", "Auto hide hint", BS_AUTOCHECKBOX | tab, 0, hx + 8, hy + 16, 89, 17, idAutoHideHint);
    MakeLabel("Hint time (seconds):", hx + 97, hy + 18, idHintTimeLabel);
    Make(L"BUTTON", "Use fading", BS_AUTOCHECKBOX | tab, 0, hx + 8, hy + 40, 81, 17, idUseFading);

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
    Make(L"BUTTON", "Display when OE is active", BS_AUTOCHECKBOX | tab, 0, hx + 8, hy + 64, 177, 17,
         idDisplayWhenOEActive);

    MakeLabel("Start", cx + 8, cy + 19, idBeginColorLabel);
    beginColor_.reset(new TColorCombo(Hwnd(), idBeginColor, cx + 40, cy + 16, 145, 21, font_.Get()));
    MakeLabel("End", cx + 8, cy + 51, idEndColorLabel);
    endColor_.reset(new TColorCombo(Hwnd(), idEndColor, cx + 40, cy + 48, 145, 21, font_.Get()));
    SetWindowLongPtrW(static_cast<HWND>(beginColor_->Handle()), GWL_STYLE,
                      GetWindowLongPtrW(static_cast<HWND>(beginColor_->Handle()), GWL_STYLE) | WS_GROUP);
    SetWindowLongPtrW(static_cast<HWND>(endColor_->Handle()), GWL_STYLE,
                      GetWindowLongPtrW(static_cast<HWND>(endColor_->Handle()), GWL_STYLE) | WS_GROUP);

    // Shown and sized once the logo is loaded.
    HWND image = Make(L"STATIC", "", SS_OWNERDRAW, 0, kLogoLeft, kLogoTop, kLogoDesignWidth,
                      kLogoDesignHeight, idLogo);
    ShowWindow(image, SW_HIDE);

    Make(L"BUTTON", "OK", BS_DEFPUSHBUTTON | tab, 0, 256, 216, 75, 25, IDOK);
    Make(L"BUTTON", "Cancel", BS_PUSHBUTTON | tab, 0, 336, 216, 75, 25, IDCANCEL);
    SendMessageW(Hwnd(), DM_SETDEFID, IDOK, 0);

    // The group boxes last, beneath the controls they frame, and clipped by
    // them: a group box may paint its whole rectangle.
    Make(L"BUTTON", "Hint", BS_GROUPBOX | WS_CLIPSIBLINGS, 0, hx, hy, 193, 89, idHintGroup);
    Make(L"BUTTON", "Colors", BS_GROUPBOX | WS_CLIPSIBLINGS, 0, cx, cy, 193, 81, idColorsGroup);
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
    return values;
}

void TSetupDialog::TImpl::ControlsToSettings(TNotifierSettings& settings) const {
    // What the controls held when OK was given; hiding the dialog afterwards
    // takes the focus from the hint-time field, which must not count.
    ApplyUserSettings(settings, okValues_);
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

void TSetupDialog::TImpl::PaintPanel(HDC dc) const {
    const RECT r {0, 0, kClientWidth, kClientHeight};
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const TThemeApi& theme = ThemeApi();
    if (theme.Active()) {
        if (HANDLE data = theme.OpenThemeData(Hwnd(), L"TAB")) {
            const HRESULT painted = theme.DrawThemeBackground(data, dc, kTabPane, 0, &r, nullptr);
            theme.CloseThemeData(data);
            if (SUCCEEDED(painted)) return;
        }
    }
    // Without themes: the flat face in a raised frame of fixed greys.
    auto line = [dc](int left, int top, int right, int bottom, COLORREF color) {
        const RECT l {left, top, right, bottom};
        SetBkColor(dc, color);
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &l, nullptr, 0, nullptr);
    };
    const int w = kClientWidth, h = kClientHeight;
    line(0, 0, w - 1, 1, RGB(0xE0, 0xE0, 0xE0));
    line(0, 0, 1, h - 1, RGB(0xE0, 0xE0, 0xE0));
    line(1, 1, w - 2, 2, RGB(0xFF, 0xFF, 0xFF));
    line(1, 1, 2, h - 2, RGB(0xFF, 0xFF, 0xFF));
    line(w - 1, 0, w, h, RGB(0x40, 0x40, 0x40));
    line(0, h - 1, w, h, RGB(0x40, 0x40, 0x40));
    line(w - 2, 1, w - 1, h - 1, RGB(0x80, 0x80, 0x80));
    line(1, h - 2, w - 1, h - 1, RGB(0x80, 0x80, 0x80));
}

void TSetupDialog::TImpl::RebuildPanel() {
    TGdi<HBITMAP> bitmap;
    {
        const TWindowDC screen(nullptr);
        if (!screen.Get()) return;
        bitmap.Reset(CreateCompatibleBitmap(screen.Get(), kClientWidth, kClientHeight));
        if (bitmap) {
            const TMemoryDC dc(screen.Get(), bitmap.Get());
            if (dc.Get()) PaintPanel(dc.Get());
        }
    }
    if (!bitmap.Get()) return;
    // The controls on the panel fill their backgrounds with the matching
    // part of it, which makes them look transparent and lets them repaint
    // alone (greying a label must not leave the old text showing).
    panelBrush_.Reset(CreatePatternBrush(bitmap.Get()));
    panelBitmap_ = std::move(bitmap);
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
        case IDOK:
        case IDCANCEL:
            return true;
    }
    return false;
}

HBRUSH TSetupDialog::TImpl::PanelBrushFor(HWND control, HDC dc) const {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    // The pattern starts where the panel starts, wherever the control is.
    const RECT r = ChildRect(control);
    const int x = ((-r.left) % kClientWidth + kClientWidth) % kClientWidth;
    const int y = ((-r.top) % kClientHeight + kClientHeight) % kClientHeight;
    SetBrushOrgEx(dc, x, y, nullptr);
    return panelBrush_.Get();
}

COLORREF TSetupDialog::TImpl::LogoBackground() const {
    if (ThemeApi().Active() && panelBitmap_.Get()) {
        const TWindowDC screen(nullptr);
        COLORREF pixel = CLR_INVALID;
        {
            const TMemoryDC dc(screen.Get(), panelBitmap_.Get());
            if (dc.Get())
                pixel = GetPixel(dc.Get(), kLogoLeft + kLogoDesignWidth / 2, kLogoTop + kLogoDesignHeight / 2);
        }
        if (pixel != CLR_INVALID) return pixel;
    }
    return ColorToRGB(clBtnFace, SystemColorRGB);
}

void TSetupDialog::TImpl::LoadLogo() {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(kLogoResourceId), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!resource) return;
    const HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, resource);
    if (!data || size == 0) return;
    const std::optional<TLogoPicture> picture = DecodeLogo(static_cast<const uint8_t*>(data), size);
    if (!picture) return;
    const int w = picture->Width, h = picture->Height;
    const std::vector<uint32_t> pixels = BlendLogo(*picture, LogoBackground());

    uint32_t* bits = nullptr;
    TGdi<HBITMAP> logo = CreateTopDownDib(w, h, &bits);
    if (!logo.Get() || !bits) return;
    CopyMemory(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
    GdiFlush();

    // Drawn transparently: the colour of the bottom-left pixel is left out.
    TGdi<HBITMAP> mask = CreateKeyMask(pixels.data(), w, h, pixels[size_t(h - 1) * w] & 0xFFFFFF);
    if (!mask.Get()) return;

    logo_ = std::move(logo);
    logoMask_ = std::move(mask);
    logoWidth_ = w;
    logoHeight_ = h;
    // The logo sizes itself to its picture.
    SetWindowPos(Control(idLogo), nullptr, kLogoLeft, kLogoTop, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(Control(idLogo), SW_SHOWNA);
}

void TSetupDialog::TImpl::DrawLogo(const DRAWITEMSTRUCT& item) const {
    if (!logo_.Get() || !panelBitmap_.Get()) return;
    const int w = logoWidth_, h = logoHeight_;
    const HDC target = item.hDC;
    // Composed off-screen, then put up at once.
    TGdi<HBITMAP> buffer(CreateCompatibleBitmap(target, w, h));
    if (!buffer.Get()) return;
    TMemoryDC out(target, buffer.Get());
    {
        // The panel under the logo ...
        TMemoryDC panel(target, panelBitmap_.Get());
        const RECT at = ChildRect(item.hwndItem);
        BitBlt(out.Get(), 0, 0, w, h, panel.Get(), at.left, at.top, SRCCOPY);
    }
    {
        // ... and the logo over it where the mask has no bit: the logo is
        // XORed in, the masked places cleared back to the panel by a second
        // XOR after the AND has kept them and zeroed the rest.
        TMemoryDC logo(target, logo_.Get());
        TMemoryDC mask(target, logoMask_.Get());
        SetBkColor(out.Get(), RGB(255, 255, 255));
        SetTextColor(out.Get(), RGB(0, 0, 0));
        BitBlt(out.Get(), 0, 0, w, h, logo.Get(), 0, 0, SRCINVERT);
        BitBlt(out.Get(), 0, 0, w, h, mask.Get(), 0, 0, SRCAND);
        BitBlt(out.Get(), 0, 0, w, h, logo.Get(), 0, 0, SRCINVERT);
    }
    BitBlt(target, item.rcItem.left, item.rcItem.top, w, h, out.Get(), 0, 0, SRCCOPY);
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

    switch (message) {
        case WM_ERASEBKGND:
        case WM_PRINTCLIENT: {
            // Also how themed controls ask for the background behind them.
            const HDC dc = reinterpret_cast<HDC>(wParam);
            if (!panelBitmap_.Get()) {
                PaintPanel(dc);
                return 1;
            }
            TMemoryDC panel(dc, panelBitmap_.Get());
            BitBlt(dc, 0, 0, kClientWidth, kClientHeight, panel.Get(), 0, 0, SRCCOPY);
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
            if (!OnPanel(control) || !panelBrush_.Get()) break;
            return reinterpret_cast<LRESULT>(PanelBrushFor(control, reinterpret_cast<HDC>(wParam)));
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item && item->CtlID == idLogo) {
                DrawLogo(*item);
                return TRUE;
            }
            break;
        }
        case WM_THEMECHANGED:
        case WM_SYSCOLORCHANGE:
            RebuildPanel();
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

void ShowSetupDialog() {
    if (openDialog) {
        openDialog->BringToFront();
        return;
    }
    std::unique_ptr<TSetupDialog::TImpl> dialog(new TSetupDialog::TImpl(NotifierSettings()));
    struct TOpen {
        explicit TOpen(TSetupDialog::TImpl* d) { openDialog = d; }
        ~TOpen() { openDialog = nullptr; }
    } open(dialog.get());
    if (dialog->ShowModal()) dialog->ControlsToSettings(NotifierSettings());
}

void* SetupDialogHandle() { return openDialog ? openDialog->Hwnd() : nullptr; }

}  // namespace pellumo
