// The application: its hidden window with the tray icon and menu, the
// wiring of the scan, the popup and the watcher over the settings, the
// message loop, and the teardown in its order.
#include "app/Application_win.h"

#include <windows.h>
#include <dbt.h>
#include <shellapi.h>

#include <cstring>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "app/ErrorBox_win.h"
#include "app/MailScan.h"
#include "app/PopupWindow.h"
#include "app/ProgramStart.h"
#include "app/StoreWatch.h"
#include "app/StoreWatcherThread.h"
#include "platform/Log.h"
#include "platform/OutlookExpress.h"
#include "platform/UniqueHandle_win.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"
#include "settings/FolderChoices.h"
#include "settings/NotifierSettings.h"
#include "store/StoreLocation.h"

namespace pellumo {

namespace {

const wchar_t kApplicationClass[] = L"TApplication";

// NOTIFYICONDATA in its Windows 2000 layout: what XP and later all accept.
const DWORD kTrayIconDataSize = NOTIFYICONDATAW_V2_SIZE;
static_assert(NOTIFYICONDATAW_V2_SIZE == 936, "the Windows 2000 layout of NOTIFYICONDATAW");

// The tip as the icon's fixed field holds it, cut short rather than
// overrun, and never between the two halves of a surrogate pair.
void CopyTip(WCHAR (&tip)[128], const std::string& text) {
    const std::wstring wide = WideFromUtf8(text);
    size_t length = wide.size() < 127 ? wide.size() : 127;
    if (length < wide.size() && length > 0 && wide[length - 1] >= 0xD800 && wide[length - 1] <= 0xDBFF) --length;
    std::memset(tip, 0, sizeof tip);
    std::memcpy(tip, wide.data(), length * sizeof(WCHAR));
}

enum TMenuCommand : UINT { cmSettings = 1, cmExit = 2 };

// Unicode, as the windows are: typed characters arrive as UTF-16.
void RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

// The application's own top-level window: never shown, a tool window so the
// program has no taskbar button. Being top-level, it hears the shell's
// "TaskbarCreated" and the session's end.
class TApplication::THiddenWindow : public TWindow {
public:
    explicit THiddenWindow(TApplication& application) : application_(application) {
        RegisterWindowClass(kApplicationClass, TWindowKind::Plain, nullptr, "Cannot register the application window class");
        Create(kApplicationClass, TWindowKind::Plain, 0, WideFromUtf8(kApplicationTitle),
               WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr, nullptr,
               "Cannot create the application window");
        ShowWindow(Hwnd(), SW_HIDE);
        SetWindowLongW(Hwnd(), GWL_EXSTYLE, GetWindowLongW(Hwnd(), GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (application_.HandleMessage(message, wParam, lParam)) return 0;
        return Default(message, wParam, lParam);
    }

private:
    TApplication& application_;
};

// The icon in the notification area and its menu. The shell may refuse the
// icon (at logon, while Explorer is still busy) or lose it: the icon is then
// added again on a timer, a bounded number of times, and whenever a new
// taskbar announces itself.
class TApplication::TTray {
public:
    static const UINT_PTR kRetryTimer = 1;
    static const UINT kRetryInterval = 2000;  // ms
    static const int kMaxRetries = 60;

    explicit TTray(HWND window) {
        std::memset(&data_, 0, sizeof data_);
        data_.cbSize = kTrayIconDataSize;
        data_.hWnd = window;
        data_.uID = 0;
        data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data_.uCallbackMessage = kTrayIconMessage;
        CopyTip(data_.szTip, kApplicationTitle);
        taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    }
    ~TTray() { Remove(); }

    void Add() {
        wanted_ = true;
        failures_ = 0;
        Place();
    }
    // The tip, and the icon drawn in full or greyed (not watching).
    void SetState(const std::string& tip, bool greyed) {
        CopyTip(data_.szTip, tip);
        greyed_ = greyed;
        if (wanted_ && !Notify(NIM_MODIFY)) {
            LogLine("The tray icon was gone; adding it again");
            Place();
        }
    }
    void Remove() {
        KillTimer(data_.hWnd, kRetryTimer);
        if (!wanted_) return;
        Shell_NotifyIconW(NIM_DELETE, &data_);
        wanted_ = false;
    }
    // The retry timer fired.
    void Retry() {
        KillTimer(data_.hWnd, kRetryTimer);
        if (wanted_) Place();
    }
    // A new taskbar (the shell restarted) knows no icons: ours goes back in.
    bool IsTaskbarCreated(UINT message) const { return taskbarCreated_ && message == taskbarCreated_; }
    bool Wanted() const { return wanted_; }

    // "Settings..." (the default item, bold), a separator, "E&xit"; the
    // command picked, or 0.
    UINT TrackMenu(POINT at) {
        const TMenu menu(CreatePopupMenu());
        if (!menu) return 0;
        AppendMenuW(menu.Get(), MF_STRING, cmSettings, L"Settings...");
        AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu.Get(), MF_STRING, cmExit, L"E&xit");
        SetMenuDefaultItem(menu.Get(), cmSettings, FALSE);
        return static_cast<UINT>(TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                                at.x, at.y, 0, data_.hWnd, nullptr));
    }

private:
    // True when the shell took it.
    bool Notify(DWORD action) {
        // The shell keeps its own copy of the icon.
        const TIcon icon(static_cast<HICON>(DrawProgramIcon(0, greyed_)));
        data_.hIcon = icon.Get();
        const bool done = Shell_NotifyIconW(action, &data_) != FALSE;
        data_.hIcon = nullptr;
        return done;
    }

    // Puts the icon in the shell's area (an icon the shell still has counts
    // as put), or tries again shortly.
    void Place() {
        if (Notify(NIM_ADD) || Notify(NIM_MODIFY)) {
            if (failures_ > 0) LogLine("The tray icon is in place after " + std::to_string(failures_ + 1) + " tries");
            failures_ = 0;
            return;
        }
        if (failures_ == 0)
            LogLine("The shell refused the tray icon (error " + std::to_string(GetLastError()) + "); trying again");
        if (++failures_ > kMaxRetries) {
            LogLine("The tray icon could not be added; it comes back when the taskbar starts again");
            return;
        }
        SetTimer(data_.hWnd, kRetryTimer, kRetryInterval, nullptr);
    }

    NOTIFYICONDATAW data_;
    UINT taskbarCreated_ = 0;
    bool wanted_ = false;
    bool greyed_ = false;
    int failures_ = 0;
};

TApplication::TApplication(const std::string& commandLine) : commandLine_(commandLine) {
    window_.reset(new THiddenWindow(*this));
}

TApplication::~TApplication() {
    wired_ = false;
    if (popup_) StopWatching();
    if (tray_) tray_->Remove();
    popup_.reset();
    scan_.reset();
    tray_.reset();
    window_.reset();
    settings_.reset();
}

int TApplication::Run() {
    // The settings' construction: the registry values, then the folder list
    // from Folders.dbx. A bad value or an unreadable folder list does not
    // fail it; only what leaves no program to run does.
    try {
        settings_.reset(new TNotifierSettings);
    } catch (const std::exception& error) {
        LogLine(std::string("The settings could not be made: ") + error.what());
        ShowErrorBox(window_->Hwnd(), error.what());
        return 1;
    }
    try {
        Wire();
    } catch (const std::exception& error) {
        LogLine(std::string("The program could not be wired: ") + error.what());
        ShowErrorBox(window_->Hwnd(), error.what());
        return 1;
    }
    try {
        Start();
    } catch (const std::exception& error) {
        // The icon, once added, stays; nothing is watched this run.
        LogLine(std::string("The start failed: ") + error.what());
        ShowErrorBox(window_->Hwnd(), error.what());
    }
    // Told once, with everything running: the bad value has been repaired
    // and the program goes on with all the others the user set.
    if (!settings_->LoadError.empty()) ShowErrorBox(window_->Hwnd(), settings_->LoadError);
    RunMessageLoop();
    return 0;
}

void TApplication::Wire() {
    TNotifierSettings& settings = *settings_;
    scan_.reset(new TMailScan(settings.FolderList()));
    TPopupCycle::TInputs popupInputs = TPopupWindow::DefaultInputs(settings);
    // The test run exists to see each notification.
    popupInputs.ShowEachOnItsOwn = IsTestRun(commandLine_);
    popup_.reset(new TPopupWindow(scan_->Queue, std::move(popupInputs), settings.WindowRect));
    popup_->Cycle().FadeDelta = 21;
    scan_->ShowNextNotification = [this] { popup_->ShowNextNotification(); };
    scan_->HoldBack = [&settings] { return HeldBack(settings.DisplayWhenOEActive, IsOutlookExpressActive); };
    tray_.reset(new TTray(window_->Hwnd()));
    wired_ = true;
}

void TApplication::Start() {
    tray_->Add();
    const std::string startError = StartWatching();
    const TRect bounds = settings_->WindowRect;
    SetWindowPos(static_cast<HWND>(popup_->Handle()), nullptr, bounds.Left, bounds.Top, bounds.Right - bounds.Left,
                 bounds.Bottom - bounds.Top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Told once; the folder is read again whenever its file changes.
    if (!startError.empty()) ShowErrorBox(window_->Hwnd(), startError);
}

std::string TApplication::StartWatching() {
    TNotifierSettings& settings = *settings_;
    storeWatch_.reset(new TStoreWatch(*scan_, settings.FolderTree, settings.FolderList(),
                                      {LookUpStoreRoot, GetIdentityName, [] { return LoadFolderChoices(GetIdentityId()); }}));
    storeWatch_->OnStateChange = [this](TWatchState state) {
        tray_->SetState(WatchStateTip(state), state != TWatchState::Watching);
    };
    watcher_.reset(new TStoreWatcherThread);
    watcher_->StoreRoot = LookUpStoreRoot;
    watcher_->OnChange = [this](const TStoreProbe& probe) {
        storeWatch_->Refresh(probe);
        watcher_->SetDirectory(storeWatch_->Directory());
    };
    const std::vector<TSkippedFolder> skipped = storeWatch_->Start(IsTestRun(commandLine_));
    watcher_->SetDirectory(storeWatch_->Directory());
    watcher_->Resume();
    return skipped.empty() ? std::string() : skipped.front().Message;
}

void TApplication::StopWatching() {
    popup_->Cycle().DisableTimer();
    // The scan stops before its next message and the popup shows no more.
    scan_->Queue.Close();
    // Releasing our hold signals the watcher and does not wait for it.
    watcher_.reset();
    storeWatch_.reset();
    scan_->Queue.Clear();
}

bool TApplication::HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (!wired_) return false;
    if (message == kTrayIconMessage) {
        // The boundary of the icon's handlers: an error is told, not lost.
        try {
            OnTrayIcon(static_cast<unsigned>(lParam));
        } catch (const std::exception& error) {
            LogLine(std::string("The tray icon's command failed: ") + error.what());
            ShowErrorBox(window_->Hwnd(), error.what());
        }
        return true;
    }
    if (tray_->IsTaskbarCreated(message)) {
        if (tray_->Wanted()) tray_->Add();
        return true;
    }
    if (message == WM_DEVICECHANGE && wParam == DBT_DEVICEARRIVAL) {
        // Perhaps the store's drive, back: looked at now, not at the next retry.
        if (watcher_) watcher_->LookAgain();
        return false;
    }
    if (message == WM_TIMER && wParam == TTray::kRetryTimer) {
        tray_->Retry();
        return true;
    }
    if (message == WM_CLOSE) {
        // How an installer or uninstaller asks the running copy to end: the
        // same ordered exit as the menu's, never a window destroyed under a
        // program that keeps running without its tray icon.
        OnExitCommand();
        return true;
    }
    if (message == WM_ENDSESSION && wParam) {
        // The session may end the process as soon as this returns: what the
        // settings hold is written now; the ordered teardown follows if the
        // process gets that far.
        StopWatching();
        settings_->Save();
        PostQuitMessage(0);
        return true;
    }
    return false;
}

void TApplication::OnTrayIcon(unsigned mouseMessage) {
    if (mouseMessage == WM_LBUTTONDBLCLK)
        OpenSettings();
    else if (mouseMessage == WM_RBUTTONDOWN)
        ShowTrayMenu();
}

void TApplication::ShowTrayMenu() {
    const HWND window = window_->Hwnd();
    // Without being in front, the menu would not close when the user
    // clicks elsewhere; WM_NULL afterwards lets the shell see it closed.
    SetForegroundWindow(window);
    POINT cursor {};
    GetCursorPos(&cursor);
    const UINT command = tray_->TrackMenu(cursor);
    PostMessageW(window, WM_NULL, 0, 0);
    if (command == cmSettings)
        OnSettingsCommand();
    else if (command == cmExit)
        OnExitCommand();
}

void TApplication::OpenSettings() {
    scan_->Queue.Clear();
    // The folders chosen take effect at once; the program may have begun to
    // end while the dialog was open.
    if (setupDialog_.ShowSetupDialog(*settings_) && storeWatch_) storeWatch_->FolderChoicesChanged();
}

void TApplication::OnExitCommand() { PostQuitMessage(0); }

int RunProgram(const std::string& commandLine) {
    TApplication application(commandLine);
    return application.Run();
}

}  // namespace pellumo
