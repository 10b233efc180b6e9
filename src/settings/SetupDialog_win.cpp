// The setup dialog as a window: a private dialog class (DefDlgProc gives the
// dialog keyboard: Tab, Enter for OK, Esc for Cancel) with plain Win32
// controls in the system's message font, laid out from their measured texts
// (SetupLayout) on pages (SetupPages_win) under a tab control. The controls
// sit directly on the dialog over the tab control, which keeps their
// notifications and drawing requests with the dialog; a page's controls are
// shown while its tab is selected, and the dialog manager passes over hidden
// ones for Tab and access keys.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "platform/Exception.h"
#include "platform/Log.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"
#include "settings/FolderChoices.h"
#include "settings/FolderPane_win.h"
#include "settings/LanguageField_win.h"
#include "settings/NotifierSettings.h"
#include "settings/SetupDialog.h"
#include "settings/SetupLayout.h"
#include "settings/SetupMeasures_win.h"
#include "settings/SetupPages_win.h"
#include "settings/SetupPanel_win.h"
#include "settings/SetupTexts.h"
#include "settings/StartWithWindows.h"
#include "store/StoreLocation.h"

namespace pellumo {

const char* const TSetupDialog::kClassName = "TfrmMornelleSetup";

namespace {

// The work area of the monitor that holds the notification area, where the
// user looks for what the tray icon opens; the primary one without a taskbar.
TRect TrayWorkArea() {
    MONITORINFO info {};
    info.cbSize = sizeof info;
    const HMONITOR monitor = MonitorFromWindow(FindWindowW(L"Shell_TrayWnd", nullptr), MONITOR_DEFAULTTOPRIMARY);
    if (!monitor || !GetMonitorInfoW(monitor, &info)) return PrimaryWorkArea();
    return TRect(info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom);
}

}  // namespace

HWND TSetupControls::Make(const wchar_t* windowClass, const std::string& text, DWORD style, DWORD exStyle,
                          const TRect& at, int id) const {
    HWND control = CreateWindowExW(exStyle, windowClass, WideFromUtf8(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                   at.Left, at.Top, at.Right - at.Left, at.Bottom - at.Top, dialog_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!control) throw Exception(TText::CannotCreateSetupControls);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
}

HWND TSetupControls::Make(const wchar_t* windowClass, DWORD style, int id) const {
    return Make(windowClass, SetupText(id), style, 0, At(id), id);
}

class TSetupDialog::TImpl : public TWindow {
public:
    // Makes the window and its controls, hidden, filled from `settings`,
    // on the page last used, with the logo; `showSample` (may be empty)
    // shows a popup with the values the controls hold. Throws Exception
    // when the window cannot be made.
    TImpl(const TNotifierSettings& settings, std::function<void(const TUserSettings&)> showSample);
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
    // The page selected, however the dialog closed.
    int Page() const { return page_; }

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND Control(int id) const { return GetDlgItem(Hwnd(), id); }
    void CreateControls(const TNotifierSettings& settings);
    TUserSettings ReadControls() const;
    // Shows `page`'s controls and hides the others'; the focus, when it was
    // on a page, goes to the new page's first control.
    void SelectPage(int page);
    // Ctrl+Tab and Ctrl+Page Down to the next page, with Shift or Page Up
    // to the one before, wrapping round; true when `msg` was one of them.
    bool PageKey(const MSG& msg);
    void LoadLogo();
    // Whether the control stands on the panel and takes its background.
    bool OnPanel(HWND control) const;

    TWindowHandle owner_;  // hidden: an owned dialog gets no taskbar button
    TFont font_;
    std::function<void(const TUserSettings&)> showSample_;
    std::array<std::unique_ptr<TSetupPage>, kPageCount> pages_;
    TFolderPane* folders_ = nullptr;  // the Folders page's
    std::unique_ptr<TLanguageField> language_;
    // The identity whose folders are shown, and their choices as found.
    std::string identityId_;
    TFolderChoices foundChoices_;
    TFolderChoices okChoices_;

    TSetupLayout layout_;
    std::unique_ptr<TSetupControls> controls_;
    TSetupPanel panel_;
    int page_ = pagePopup;
    bool logoLoaded_ = false;

    bool closed_ = false;
    bool ok_ = false;
    TUserSettings okValues_;
    bool startsWithWindowsFound_ = false;
    bool okStartsWithWindows_ = false;
};

TSetupDialog::TImpl::TImpl(const TNotifierSettings& settings, std::function<void(const TUserSettings&)> showSample)
    : showSample_(std::move(showSample)) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // Unicode windows throughout, the edit's typed characters included.
    const std::wstring className = WideFromUtf8(kClassName);
    RegisterWindowClass(className.c_str(), TWindowKind::Dialog, LoadCursor(nullptr, IDC_ARROW),
                        TText::CannotRegisterSetupClass);

    identityId_ = GetIdentityId();
    foundChoices_ = LoadFolderChoices(identityId_);
    // The user's message font, which grows with the screen's DPI.
    font_ = CreateMessageFont();

    owner_.Reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr));
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    Create(className.c_str(), TWindowKind::Dialog, exStyle, WideFromUtf8(Text(TText::SetupCaption)), style, 0, 0, 0,
           0, owner_.Get(), nullptr, TText::CannotCreateSetupDialog);
    // No destructor runs for a half-made object: should a step below throw,
    // the window goes first, unbound, before the members it reads.
    struct TUndo {
        TImpl* Self;
        ~TUndo() {
            if (Self) Self->Destroy();
        }
    } undo {this};
    // The tab control first, for its measures; once the controls are made
    // it goes beneath them, to the end of the tab order, and its
    // WS_CLIPSIBLINGS keeps it from painting over them.
    InitCommonControlClasses();
    const HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0,
                                      0, 0, 0, Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(idPages)), instance,
                                      nullptr);
    if (!tabs) throw Exception(TText::CannotCreateSetupControls);
    SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    for (int page = 0; page < kPageCount; ++page) {
        std::wstring name = WideFromUtf8(SetupPageName(page));
        TCITEMW item {};
        item.mask = TCIF_TEXT;
        item.pszText = &name[0];
        SendMessageW(tabs, TCM_INSERTITEMW, page, reinterpret_cast<LPARAM>(&item));
    }
    // As large as its texts in this font need.
    layout_ = LayoutSetupDialog(
        MeasureSetupDialog(Hwnd(), font_.Get(), SetupText, tabs, TSetupPanel::LogoSize(ScreenDpi())));
    const TRect& at = layout_.Rects.at(idPages);
    SetWindowPos(tabs, nullptr, at.Left, at.Top, at.Right - at.Left, at.Bottom - at.Top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT bounds {0, 0, layout_.Client.Width, layout_.Client.Height};
    AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
    const TRect place = CentredOn(TrayWorkArea(), {bounds.right - bounds.left, bounds.bottom - bounds.top});
    SetWindowPos(Hwnd(), nullptr, place.Left, place.Top, place.Right - place.Left, place.Bottom - place.Top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    CreateControls(settings);
    SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    panel_.Rebuild(Hwnd(), tabs);
    LoadLogo();
    // A page that is no longer there, or a value nobody wrote: the first.
    SelectPage(settings.SetupPage >= 0 && settings.SetupPage < kPageCount ? settings.SetupPage : pagePopup);
    undo.Self = nullptr;
}

TSetupDialog::TImpl::~TImpl() {
    for (auto& page : pages_) page.reset();
    Destroy();
}

void TSetupDialog::TImpl::CreateControls(const TNotifierSettings& settings) {
    // Creation order is the tab order: the pages in turn, then the language
    // and the buttons.
    controls_.reset(new TSetupControls(Hwnd(), font_.Get(), layout_));
    const TSetupControls& controls = *controls_;
    pages_[pagePopup] = MakePopupPage(
        controls, showSample_ ? std::function<void()>([this] { showSample_(ReadControls()); }) : nullptr,
        [this](TColor color) {
            if (folders_) folders_->SetStartColor(color);
        });
    pages_[pageAlerts] = MakeAlertsPage(controls);
    pages_[pageFolders] = MakeFoldersPage(controls, settings, foundChoices_, folders_);
    pages_[pageRules] = MakeRulesPage(controls);

    const DWORD tab = WS_TABSTOP | WS_GROUP;
    controls.Make(L"STATIC", SS_LEFT, idLanguageLabel);
    TRect dropped = controls.At(idLanguage);
    dropped.Bottom += 12 * (dropped.Bottom - dropped.Top);  // the list dropped down, every language at once
    controls.Make(WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | tab, 0, dropped, idLanguage);
    language_.reset(new TLanguageField(Hwnd(), idLanguage));
    controls.Make(L"BUTTON", BS_DEFPUSHBUTTON | tab, idOk);
    controls.Make(L"BUTTON", BS_PUSHBUTTON | tab, idCancel);
    SendMessageW(Hwnd(), DM_SETDEFID, IDOK, 0);

    for (auto& page : pages_) page->Fill(settings);
    language_->Set(settings.Language);
    startsWithWindowsFound_ = StartsWithWindows(settings);
    controls.Check(idStartWithWindows, startsWithWindowsFound_);
}

TUserSettings TSetupDialog::TImpl::ReadControls() const {
    TUserSettings values;
    for (const auto& page : pages_) page->Read(values);
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

void TSetupDialog::TImpl::SelectPage(int page) {
    const HWND focus = GetFocus();
    const auto onPage = layout_.PageOf.find(focus && IsChild(Hwnd(), focus) ? GetDlgCtrlID(focus) : 0);
    const bool focusOnPage = onPage != layout_.PageOf.end() && onPage->second != page;
    page_ = page;
    SendMessageW(Control(idPages), TCM_SETCURSEL, page, 0);
    for (const auto& [id, on] : layout_.PageOf)
        if (const HWND control = Control(id)) ShowWindow(control, on == page ? SW_SHOWNA : SW_HIDE);
    pages_[page]->Shown();
    if (!logoLoaded_) ShowWindow(Control(idLogo), SW_HIDE);
    // The tab control is the last stop, so the next after it is the page's first.
    if (focusOnPage)
        SendMessageW(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetNextDlgTabItem(Hwnd(), Control(idPages), FALSE)), TRUE);
}

bool TSetupDialog::TImpl::PageKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0) return false;
    if (msg.hwnd != Hwnd() && !IsChild(Hwnd(), msg.hwnd)) return false;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    int step = 0;
    if (msg.wParam == VK_TAB) step = shift ? -1 : 1;
    else if (msg.wParam == VK_NEXT) step = 1;
    else if (msg.wParam == VK_PRIOR) step = -1;
    if (step == 0) return false;
    SelectPage((page_ + step + kPageCount) % kPageCount);
    return true;
}

bool TSetupDialog::TImpl::OnPanel(HWND control) const {
    // Labels, the logo, check boxes, group boxes and buttons; fields, lists,
    // the tree and the hotkey keep their own background.
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    return GetParent(control) == Hwnd() && (lstrcmpiW(name, L"Static") == 0 || lstrcmpiW(name, L"Button") == 0);
}

void TSetupDialog::TImpl::LoadLogo() {
    const TRect& at = layout_.Rects.at(idLogo);
    const RECT area {at.Left, at.Top, at.Right, at.Bottom};
    SIZE size {};
    if (!panel_.LoadLogo(ScreenDpi(), area, size)) return;
    // The logo sizes itself to its picture; SelectPage shows it with its page.
    SetWindowPos(Control(idLogo), nullptr, area.left, area.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    logoLoaded_ = true;
}

bool TSetupDialog::TImpl::ShowModal() {
    ShowWindow(Hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(Hwnd());
    // The page's first control has the focus.
    SendMessageW(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetNextDlgTabItem(Hwnd(), Control(idPages), FALSE)),
                 TRUE);
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
        if (PageKey(msg) || IsDialogMessageW(Hwnd(), &msg)) continue;
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

LRESULT TSetupDialog::TImpl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    for (const auto& page : pages_) {
        LRESULT result = 0;
        if (page && page->Message(message, wParam, lParam, result)) return result;
    }
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
            panel_.Rebuild(Hwnd(), Control(idPages));
            RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            break;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header && header->idFrom == idPages && header->code == TCN_SELCHANGE) {
                const auto selected = static_cast<int>(SendMessageW(Control(idPages), TCM_GETCURSEL, 0, 0));
                if (selected >= 0 && selected < kPageCount) SelectPage(selected);
                return 0;
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
    std::unique_ptr<TSetupDialog::TImpl> dialog(new TSetupDialog::TImpl(settings, ShowSample));
    struct TOpen {
        TOpen(TSetupDialog::TImpl*& slot, TSetupDialog::TImpl* d) : Slot(slot) { Slot = d; }
        ~TOpen() { Slot = nullptr; }
        TSetupDialog::TImpl*& Slot;
    } open(open_, dialog.get());
    const bool ok = dialog->ShowModal();
    // Kept however it closed, for the next opening; saved with the rest.
    settings.SetupPage = dialog->Page();
    if (!ok) return result;
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
