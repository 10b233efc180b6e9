// The main window's tray icon, menu and watching. The popup window receives
// the tray icon's callback and the shell's broadcasts; this file takes them
// through the window's message handler.
#include "app/MainWindow.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <exception>
#include <utility>

#include "app/StoreWatcherThread.h"
#include "app/MailScan.h"
#include "app/PopupWindow.h"
#include "app/ProgramStart.h"
#include "app/StoreWatch.h"
#include "platform/Log.h"
#include "platform/OutlookExpress.h"
#include "platform/UniqueHandle_win.h"
#include "platform/WideText_win.h"
#include "settings/NotifierSettings.h"
#include "settings/SetupDialog.h"
#include "store/StoreLocation.h"

namespace pellumo {

namespace {

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

}  // namespace

// The icon in the notification area and its menu.
class TMainWindow::TTray {
public:
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
        Notify(NIM_ADD);
        added_ = true;
    }
    // The tip, and the icon drawn in full or greyed (not watching).
    void SetState(const std::string& tip, bool greyed) {
        CopyTip(data_.szTip, tip);
        greyed_ = greyed;
        if (added_) Notify(NIM_MODIFY);
    }
    void Remove() {
        if (!added_) return;
        Shell_NotifyIconW(NIM_DELETE, &data_);
        added_ = false;
    }
    // A new taskbar (the shell restarted) knows no icons: ours goes back in.
    bool IsTaskbarCreated(UINT message) const { return taskbarCreated_ && message == taskbarCreated_; }
    bool Added() const { return added_; }

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
    void Notify(DWORD action) {
        // The shell keeps its own copy of the icon.
        const TIcon icon(static_cast<HICON>(DrawProgramIcon(0, greyed_)));
        data_.hIcon = icon.Get();
        Shell_NotifyIconW(action, &data_);
        data_.hIcon = nullptr;
    }

    NOTIFYICONDATAW data_;
    UINT taskbarCreated_ = 0;
    bool added_ = false;
    bool greyed_ = false;
};

TMainWindow::TMainWindow(const std::string& commandLine) : commandLine_(commandLine) {
    TNotifierSettings& settings = NotifierSettings();
    scan_.reset(new TMailScan(settings.FolderList()));
    popup_.reset(new TPopupWindow(scan_->Queue, TPopupWindow::DefaultInputs(), settings.WindowRect));
    popup_->Cycle().FadeDelta = 21;
    scan_->ShowNextNotification = [this] { popup_->ShowNextNotification(); };
    scan_->HoldBack = [] { return HeldBack(NotifierSettings().DisplayWhenOEActive, IsOutlookExpressActive); };
    tray_.reset(new TTray(static_cast<HWND>(popup_->Handle())));
    popup_->SetMessageHandler(
        [this](unsigned message, uintptr_t wParam, intptr_t lParam) { return HandleMessage(message, wParam, lParam); });
}

TMainWindow::~TMainWindow() {
    popup_->SetMessageHandler(nullptr);
    StopWatching();
    RemoveTrayIcon();
    popup_.reset();
    scan_.reset();
}

void TMainWindow::Start() {
    AddTrayIcon();
    const std::string startError = StartWatching();
    const TRect bounds = NotifierSettings().WindowRect;
    SetWindowPos(static_cast<HWND>(popup_->Handle()), nullptr, bounds.Left, bounds.Top, bounds.Right - bounds.Left,
                 bounds.Bottom - bounds.Top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Told once; the folder is read again whenever its file changes.
    if (!startError.empty()) ShowErrorBox(startError);
}

void TMainWindow::AddTrayIcon() { tray_->Add(); }
void TMainWindow::RemoveTrayIcon() { tray_->Remove(); }

std::string TMainWindow::StartWatching() {
    TNotifierSettings& settings = NotifierSettings();
    storeWatch_.reset(new TStoreWatch(*scan_, settings.FolderTree, settings.FolderList(),
                                      {LookUpStoreRoot, GetIdentityName}));
    storeWatch_->OnStateChange = [this](TWatchState state) {
        tray_->SetState(WatchStateTip(state), state != TWatchState::Watching);
    };
    watcher_.reset(new TStoreWatcherThread);
    watcher_->OnChange = [this](bool armed) {
        storeWatch_->Refresh(armed);
        watcher_->SetDirectory(storeWatch_->Directory());
    };
    const std::vector<TSkippedFolder> skipped = storeWatch_->Start(IsTestRun(commandLine_));
    watcher_->SetDirectory(storeWatch_->Directory());
    watcher_->Resume();
    return skipped.empty() ? std::string() : skipped.front().Message;
}

void TMainWindow::StopWatching() {
    popup_->Cycle().DisableTimer();
    // The scan stops before its next message and the popup shows no more.
    scan_->Queue.Close();
    // Releasing our hold signals the watcher and does not wait for it.
    watcher_.reset();
    storeWatch_.reset();
    scan_->Queue.Clear();
}

void TMainWindow::OnTrayIcon(unsigned mouseMessage) {
    if (mouseMessage == WM_LBUTTONDBLCLK)
        OpenSettings();
    else if (mouseMessage == WM_RBUTTONDOWN)
        ShowTrayMenu();
}

void TMainWindow::ShowTrayMenu() {
    const HWND window = static_cast<HWND>(popup_->Handle());
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

void TMainWindow::OpenSettings() {
    scan_->Queue.Clear();
    ShowSetupDialog();
}

void TMainWindow::OnExitCommand() { PostQuitMessage(0); }

bool TMainWindow::HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (message == kTrayIconMessage) {
        // The boundary of the icon's handlers: an error is told, not lost.
        try {
            OnTrayIcon(static_cast<unsigned>(lParam));
        } catch (const std::exception& error) {
            LogLine(std::string("The tray icon's command failed: ") + error.what());
            ShowErrorBox(error.what());
        }
        return true;
    }
    if (tray_->IsTaskbarCreated(message)) {
        if (tray_->Added()) tray_->Add();
        return true;
    }
    if (message == WM_ENDSESSION && wParam) {
        // The session may end the process as soon as this returns: what the
        // settings hold is written now; the ordered teardown follows if the
        // process gets that far.
        StopWatching();
        NotifierSettings().Save();
        PostQuitMessage(0);
        return true;
    }
    return false;
}

}  // namespace pellumo
