// The application: its hidden window with the tray icon and menu, the
// wiring of the scan, the popup and the watcher over the settings, the
// message loop, and the teardown in its order.
#include "app/Application_win.h"

#include <windows.h>
#include <dbt.h>
#include <shellapi.h>

#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/AlertPause.h"
#include "app/DesktopState_win.h"
#include "app/ErrorBox_win.h"
#include "app/MailScan.h"
#include "app/PopupWindow.h"
#include "app/ProgramStart.h"
#include "app/RunningCopy_win.h"
#include "app/StoreWatch.h"
#include "app/StoreWatcherThread.h"
#include "app/TrayIcon_win.h"
#include "app/TrayTip.h"
#include "platform/ComApartment_win.h"
#include "platform/DateTime.h"
#include "platform/Log.h"
#include "platform/OutlookExpress.h"
#include "platform/UniqueHandle_win.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"
#include "settings/FolderChoices.h"
#include "settings/Hotkey.h"
#include "settings/NotifierSettings.h"
#include "settings/StartWithWindows.h"
#include "store/StoreLocation.h"
#include "texts/Language.h"

namespace pellumo {

namespace {

const wchar_t kApplicationClass[] = L"TApplication";

// WM_WTSSESSION_CHANGE: the session locked, unlocked, switched away from or back.
const UINT kSessionChangeMessage = 0x02B1;

// While paused, how often the pause's end is looked for.
const UINT_PTR kPauseTimer = 2;
const UINT kPauseCheckInterval = 15000;  // ms
// A watcher that ended is started again after this: soon, but never in a
// busy loop should it keep ending.
const UINT_PTR kWatcherRestartTimer = 3;
const UINT kWatcherRestartDelay = 3000;  // ms
// The session's lock and switch asked for again, while the system is not
// ready to report them.
const UINT_PTR kSessionWatchTimer = 4;
const UINT kSessionWatchRetryDelay = 5000;  // ms
// The hidden window's one hotkey.
const int kShowAgainHotkeyId = 1;

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
        RegisterWindowClass(kApplicationClass, TWindowKind::Plain, nullptr, TText::CannotRegisterApplicationClass);
        Create(kApplicationClass, TWindowKind::Plain, 0, WideFromUtf8(kApplicationTitle),
               WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr, nullptr,
               TText::CannotCreateApplicationWindow);
        ShowWindow(Hwnd(), SW_HIDE);
        SetWindowLongW(Hwnd(), GWL_EXSTYLE, GetWindowLongW(Hwnd(), GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        // A start asks whether this copy runs on; from the teardown on it does not.
        if (message == TRunningCopy::RunningQueryMessage())
            return application_.wired_ ? TRunningCopy::kRunningAnswer : 0;
        if (application_.HandleMessage(message, wParam, lParam)) return 0;
        return Default(message, wParam, lParam);
    }

private:
    TApplication& application_;
};

TApplication::TApplication(const std::string& commandLine, std::optional<bool> startWithWindowsToStore)
    : commandLine_(commandLine), startWithWindowsToStore_(startWithWindowsToStore) {
    window_.reset(new THiddenWindow(*this));
}

TApplication::~TApplication() {
    wired_ = false;
    if (window_) StopWatchingSessionChanges(window_->Hwnd());
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
        ShowErrorBox(window_->Hwnd(), UserMessageOf(error));
        return 1;
    }
    ApplyLanguage();
    StoreStartWithWindows();
    try {
        Wire();
    } catch (const std::exception& error) {
        LogLine(std::string("The program could not be wired: ") + error.what());
        ShowErrorBox(window_->Hwnd(), UserMessageOf(error));
        return 1;
    }
    try {
        Start();
    } catch (const std::exception& error) {
        // The icon, once added, stays; nothing is watched this run.
        LogLine(std::string("The start failed: ") + error.what());
        ShowErrorBox(window_->Hwnd(), UserMessageOf(error));
    }
    // Told once, with everything running: the bad value has been repaired
    // and the program goes on with all the others the user set.
    if (!settings_->LoadError.Empty()) ShowErrorBox(window_->Hwnd(), settings_->LoadError);
    RunMessageLoop();
    return 0;
}

void TApplication::ApplyLanguage() {
    const std::string& setting = settings_->Language;
    if (!setting.empty() && !MatchLanguage(setting))
        LogLine("Setting " + std::string(kLanguageValue) + ": '" + setting + "' is none of the program's languages; the user's own is used");
    const std::string tag = ChooseLanguage(setting, GetUserDefaultUILanguage());
    if (tag == UserLanguage().Tag() && languageApplied_) return;
    languageApplied_ = true;
    LogLine("Language: " + tag);
    SetUserLanguage(tag);
    // What is on screen already speaks it too; menus and the tip are made afresh.
    if (popup_) SetWindowTextUtf8(static_cast<HWND>(popup_->Handle()), Text(TText::PopupCaption));
}

void TApplication::StoreStartWithWindows() {
    // Kept at once, so that the next logon goes by it; only now, since a
    // settings key made before the settings were read would not read as a
    // first run's.
    if (!startWithWindowsToStore_ || settings_->StartWithWindows) return;
    settings_->StartWithWindows = startWithWindowsToStore_;
    SaveSettingsNow();
}

void TApplication::SaveSettingsNow() {
    try {
        settings_->Save();
    } catch (const std::exception& error) {
        // In force all the same, and written again at the exit.
        LogLine(std::string("The settings could not be saved: ") + error.what());
    }
}

void TApplication::Wire() {
    TNotifierSettings& settings = *settings_;
    scan_.reset(new TMailScan(settings.FolderList()));
    TPopupCycle::TInputs popupInputs = TPopupWindow::DefaultInputs(settings);
    // The test run exists to see each notification.
    popupInputs.ShowEachOnItsOwn = IsTestRun(commandLine_);
    // While the setup dialog is open what comes waits for it to close. The
    // test run exists to announce everything: no pause holds it.
    const bool testRun = IsTestRun(commandLine_);
    popupInputs.Paused = [this, testRun] { return !testRun && AlertsPaused(); };
    // Nothing shows over the open dialog, not even what is told always.
    popupInputs.SetupOpen = [this] { return settingsPhase_ == TSettingsPhase::Open; };
    // Nor does anybody's absence.
    if (!testRun) popupInputs.Presence = [this] { return ReadPresence(sessionAway_); };
    popup_.reset(new TPopupWindow(scan_->Queue, std::move(popupInputs), settings.WindowRect));
    popup_->Cycle().FadeDelta = 21;
    scan_->ShowNextNotification = [this] { popup_->ShowNextNotification(); };
    scan_->HoldBack = [&settings] { return HeldBack(settings.DisplayWhenOEActive, IsOutlookExpressActive); };
    scan_->UseRules(settings.NeverAnnounce, settings.AlwaysAnnounce);
    popup_->OnRuleChosen([this](const TRuleChoice& choice) { KeepRuleChoice(choice); });
    tray_.reset(new TTrayIcon(window_->Hwnd(), kTrayIconMessage, kApplicationTitle));
    wired_ = true;
}

void TApplication::Start() {
    tray_->Add();
    WatchSession(true);
    RegisterShowAgainHotkey();
    const TMessage startError = StartWatching();
    const TRect bounds = settings_->WindowRect;
    SetWindowPos(static_cast<HWND>(popup_->Handle()), nullptr, bounds.Left, bounds.Top, bounds.Right - bounds.Left,
                 bounds.Bottom - bounds.Top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Told once; the folder is read again whenever its file changes.
    if (!startError.Empty()) ShowErrorBox(window_->Hwnd(), startError);
}

TMessage TApplication::StartWatching() {
    TNotifierSettings& settings = *settings_;
    storeWatch_.reset(new TStoreWatch(*scan_, settings.FolderTree, settings.FolderList(),
                                      {LookUpStoreRoot, GetIdentityName, [] { return LoadFolderChoices(GetIdentityId()); }}));
    storeWatch_->OnStateChange = [this](TWatchState) { UpdateTray(); };
    const std::vector<TSkippedFolder> skipped = storeWatch_->Start(IsTestRun(commandLine_));
    watcherKeeper_.Start();
    // A pause stored by an earlier run goes on.
    if (AlertsPaused()) SetTimer(window_->Hwnd(), kPauseTimer, kPauseCheckInterval, nullptr);
    UpdateTray();
    return skipped.empty() ? TMessage() : skipped.front().Message;
}

void TApplication::StartWatcher() {
    watcher_.reset(new TStoreWatcherThread);
    watcher_->StoreRoot = LookUpStoreRoot;
    watcher_->OnChange = [this](const TStoreProbe& probe) {
        storeWatch_->Refresh(probe);
        watcher_->SetDirectory(storeWatch_->Directory());
        UpdateTray();
    };
    watcher_->OnEnded = [this](const std::string&) {
        // Never deaf for good: the tip says so, and another watcher starts.
        watcherKeeper_.Ended();
        UpdateTray();
        SetTimer(window_->Hwnd(), kWatcherRestartTimer, kWatcherRestartDelay, nullptr);
    };
    watcher_->SetDirectory(storeWatch_->Directory());
    watcher_->Resume();
}

void TApplication::RestartWatcher() {
    KillTimer(window_->Hwnd(), kWatcherRestartTimer);
    if (watcherKeeper_.State() != TWatcherState::Ended) return;
    LogLine("The store watcher is started again");
    watcherKeeper_.Restart();
    // What changed while nobody watched is looked at now.
    watcher_->LookAgain();
    UpdateTray();
}

void TApplication::WatchSession(bool firstTime) {
    const TSessionWatch watch = WatchSessionChanges(window_->Hwnd());
    if (watch == TSessionWatch::NotYet) {
        if (firstTime) LogLine("The session's lock and switch are not reported yet: asked for again until they are");
        SetTimer(window_->Hwnd(), kSessionWatchTimer, kSessionWatchRetryDelay, nullptr);
        return;
    }
    KillTimer(window_->Hwnd(), kSessionWatchTimer);
    // Without it (no such service) an absence is known by the idle input and
    // the screen saver alone.
    if (watch == TSessionWatch::NotHere) LogLine("The session's lock and switch are not reported here");
    else if (!firstTime) LogLine("The session's lock and switch are reported from now on");
}

void TApplication::StopWatching() {
    popup_->Cycle().DisableTimer();
    // The scan stops before its next message and the popup shows no more.
    scan_->Queue.Close();
    // Releasing our hold signals the watcher and does not wait for it.
    watcherKeeper_.Stop();
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
            ShowErrorBox(window_->Hwnd(), UserMessageOf(error));
        }
        return true;
    }
    if (tray_->IsTaskbarCreated(message)) {
        if (tray_->Wanted()) tray_->Add();
        return true;
    }
    if (message == kSessionChangeMessage) {
        sessionAway_ = SessionAwayAfter(static_cast<unsigned>(wParam), sessionAway_);
        // Back: what came meanwhile, at once.
        if (!sessionAway_) popup_->ShowNextNotification();
        return true;
    }
    if (message == WM_DEVICECHANGE && wParam == DBT_DEVICEARRIVAL) {
        // Perhaps the store's drive, back: looked at now, not at the next retry.
        if (watcher_) watcher_->LookAgain();
        return false;
    }
    if (message == WM_TIMER && wParam == TTrayIcon::kRetryTimer) {
        tray_->Retry();
        return true;
    }
    if (message == WM_TIMER && wParam == kWatcherRestartTimer) {
        try {
            RestartWatcher();
        } catch (const std::exception& error) {
            // Still ended, as the tip says: tried again at the next tick.
            LogLine(std::string("The store watcher could not be started again: ") + error.what());
            SetTimer(window_->Hwnd(), kWatcherRestartTimer, kWatcherRestartDelay, nullptr);
        }
        return true;
    }
    if (message == WM_TIMER && wParam == kSessionWatchTimer) {
        WatchSession(false);
        return true;
    }
    if (message == WM_TIMER && wParam == kPauseTimer) {
        if (!AlertsPaused()) EndPause();
        UpdateTray();  // the tip's time, or the pause's end
        return true;
    }
    if (message == WM_HOTKEY && wParam == kShowAgainHotkeyId) {
        // A message on screen: the keyboard goes to it. Else as the tray
        // menu's first recent item; nothing before any mail.
        if (popup_->TakeKeyboard()) return true;
        if (!scan_->Recent.Items().empty()) ShowRecent(scan_->Recent.Items().front());
        return true;
    }
    if (message == TRunningCopy::OpenSettingsMessage()) {
        // Started again by the user: what they want is the settings.
        OpenSettings();
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
    // The menu opens when the right button comes up, as Windows menus do;
    // Enter on the icon does what a double click does.
    if (mouseMessage == WM_LBUTTONDBLCLK || mouseMessage == NIN_KEYSELECT)
        OpenSettings();
    else if (mouseMessage == WM_CONTEXTMENU || (mouseMessage == WM_RBUTTONUP && !tray_->ContextMenuMessages()))
        ShowTrayMenu();
}

void TApplication::ShowTrayMenu() {
    const POINT at = tray_->MenuPosition();
    TTrayMenuItems items;
    // The menu's loop lets scans run while it is open, and they change the
    // list: an item stands for the message it was made from.
    const std::deque<TNotification> recentShown = scan_->Recent.Items();
    for (const TNotification& recent : recentShown) items.Recent.push_back(RecentMenuText(recent));
    items.Paused = AlertsPaused();
    const UINT command = tray_->TrackMenu(at, items);
    switch (command) {
        case cmSettings: OnSettingsCommand(); break;
        case cmExit: OnExitCommand(); break;
        case cmPause30Minutes: PauseAlerts(TPauseChoice::ThirtyMinutes); break;
        case cmPauseOneHour: PauseAlerts(TPauseChoice::OneHour); break;
        case cmPauseUntilTomorrow: PauseAlerts(TPauseChoice::UntilTomorrow); break;
        case cmPauseUntilResumed: PauseAlerts(TPauseChoice::UntilResumed); break;
        case cmResume: EndPause(); break;
        default:
            if (command >= cmRecentFirst && command - cmRecentFirst < recentShown.size())
                ShowRecent(recentShown[command - cmRecentFirst]);
    }
}

void TApplication::KeepRuleChoice(const TRuleChoice& choice) {
    if (!AddRuleChoice(*settings_, choice)) return;
    // By its list alone: the address is the user's business.
    LogLine(std::string("Rule chosen from the popup for ") +
            (choice.List == TRuleList::Never ? kNeverAnnounceValue : kAlwaysAnnounceValue));
    scan_->UseRules(settings_->NeverAnnounce, settings_->AlwaysAnnounce);
    // Kept at once: what the user decided outlives a crash or a logoff.
    SaveSettingsNow();
}

bool TApplication::AlertsPaused() const { return settings_ && IsPaused(settings_->PausedUntil, NowFileTime()); }

void TApplication::PauseAlerts(TPauseChoice choice) {
    const uint64_t end = PauseEnd(choice, NowFileTime());
    if (end == 0) return;
    settings_->PausedUntil = end;
    LogLine("Alerts paused " + PausedUntilText(end, NowFileTime(), English()));
    // Kept at once: a restart or a logoff during the pause keeps it.
    settings_->Save();
    SetTimer(window_->Hwnd(), kPauseTimer, kPauseCheckInterval, nullptr);
    UpdateTray();
}

void TApplication::EndPause() {
    KillTimer(window_->Hwnd(), kPauseTimer);
    if (settings_->PausedUntil == 0) return;
    settings_->PausedUntil = 0;
    LogLine("Alerts resumed");
    settings_->Save();
    UpdateTray();
    // What came meanwhile, at once (a summary when there is much).
    popup_->ShowNextNotification();
}

void TApplication::ShowRecent(const TNotification& recent) {
    popup_->Cycle().ShowAgain(std::unique_ptr<TNotification>(new TNotification(recent)));
}

void TApplication::RegisterShowAgainHotkey() {
    UnregisterShowAgainHotkey();
    const uint32_t stored = settings_->ShowAgainHotkey;
    const std::optional<THotkeyRegistration> hotkey = HotkeyRegistration(stored);
    if (!hotkey) return;
    hotkeyRegistered_ = RegisterHotKey(window_->Hwnd(), kShowAgainHotkeyId, hotkey->Modifiers, hotkey->VirtualKey) != FALSE;
    if (!hotkeyRegistered_)
        LogLine("The hotkey " + HotkeyText(stored) + " (show the last message again) cannot be registered: " +
                "another program has it (error " + std::to_string(GetLastError()) + ")");
}

void TApplication::UnregisterShowAgainHotkey() {
    if (hotkeyRegistered_) UnregisterHotKey(window_->Hwnd(), kShowAgainHotkeyId);
    hotkeyRegistered_ = false;
}

void TApplication::UpdateTray() {
    if (!tray_ || !storeWatch_) return;
    const std::vector<TFolderUnread> unread = UnreadByFolder(settings_->FolderList());
    const bool paused = AlertsPaused();
    TTrayLook look;
    const TWatchState state = watcherKeeper_.TrayState(storeWatch_->State());
    const uint64_t now = NowFileTime();
    look.Tip = TrayTip(state, paused ? PausedUntilText(settings_->PausedUntil, now) : "", unread);
    look.TipInEnglish =
        TrayTip(state, paused ? PausedUntilText(settings_->PausedUntil, now, English()) : "", unread, English());
    look.Greyed = state != TWatchState::Watching;
    look.Paused = paused;
    if (settings_->ShowUnreadCount) look.Count = IconCount(TotalUnread(unread));
    tray_->SetLook(look);
}

void TApplication::OpenSettings() {
    // Asked again while open (the tray icon, the menu, a second start): the
    // open dialog comes forward and the phase stays with the first request.
    if (settingsPhase_ == TSettingsPhase::Open) {
        const TMessage writeError = ShowSettingsDialog();
        if (!writeError.Empty()) ShowErrorBox(window_->Hwnd(), writeError);
        return;
    }
    TMessage writeError;
    {
        // Every way out of the dialog, a failure to make it included, leaves
        // the phase Closed, the hotkey taken again and what waited shown.
        struct TLeave {
            TApplication& Self;
            ~TLeave() {
                CallAtBoundary("Closing the setup dialog", [this] { Self.LeaveSettings(); }, [] {});
            }
        } leave {*this};
        EnterSettings();
        writeError = ShowSettingsDialog();
    }
    // Told once all that could be written is in place and what waited is shown.
    if (!writeError.Empty()) ShowErrorBox(window_->Hwnd(), writeError);
}

TMessage TApplication::ShowSettingsDialog() {
    // The dialog's sample is shown as any popup, in the values the dialog
    // holds; held back by nothing, not even the dialog.
    setupDialog_.ShowSample = [this](const TUserSettings& values) {
        popup_->Cycle().ShowSample(std::make_unique<TNotification>(SampleNotification()), values);
    };
    const TSetupResult result = setupDialog_.ShowSetupDialog(*settings_);
    // OK (its writes made, a failed one told by the caller): the language
    // and the folders chosen take effect at once, and watching goes on with
    // them. Cancel, or a request that only brought the dialog forward:
    // nothing changes. The program began to end while the dialog was open
    // (the session's end stopped the watch; an exit's quit waits for the
    // main loop): the dialog closed as Cancel, and nothing is watched again.
    if (result.Ok && storeWatch_) {
        ApplyLanguage();
        scan_->UseRules(settings_->NeverAnnounce, settings_->AlwaysAnnounce);
        storeWatch_->FolderChoicesChanged();
        UpdateTray();
    }
    return result.WriteError;
}

void TApplication::EnterSettings() {
    settingsPhase_ = TSettingsPhase::Open;
    // The popup makes way for the dialog: what it had taken goes back to
    // the queue, and Paused holds what comes until LeaveSettings.
    popup_->Cycle().HoldNotifications();
    UnregisterShowAgainHotkey();
}

void TApplication::LeaveSettings() {
    settingsPhase_ = TSettingsPhase::Closed;
    // Taken again as the dialog left it, however it closed.
    RegisterShowAgainHotkey();
    // What waited, or came meanwhile, is shown now (or at the pause's end).
    popup_->ShowNextNotification();
}

void TApplication::OnExitCommand() { PostQuitMessage(0); }

int RunProgram(const std::string& commandLine) {
    // For the program's life: screen readers reach the popup's accessible
    // object from their own process, through COM on this thread.
    const TComApartment com;
    // The user's own language until the settings say otherwise.
    SetUserLanguage(ChooseLanguage("", GetUserDefaultUILanguage()));
    TStartFacts facts;
    try {
        facts = LookUpStartFacts();
    } catch (const std::exception& error) {
        // Nothing known about starting with Windows: an ordinary start.
        LogLine(std::string("The start with Windows could not be looked up: ") + error.what());
    }
    facts.Autostart = IsAutostart(commandLine);
    const TStartPlan plan = PlanStart(facts);
    if (plan.EndAtOnce) {
        LogLine("Started with Windows, which this user has turned off: ending");
        return 0;
    }
    // Before the single-copy check: at the logon that runs both the old and
    // the new start, this is often the second copy.
    if (plan.RemoveUserRun) RemoveUserRunValue();
    if (plan.UpdateUserRun) UpdateUserRunValue();
    // A second start, /test included, opens the running copy's settings:
    // two copies would announce every message twice.
    TRunningCopy copy;
    if (!copy.IsFirst() && copy.ReachOtherCopy(!plan.StartedByWindows) != TRunningCopy::TOtherCopy::Ended) {
        if (plan.StartedByWindows) LogLine("Started with Windows while a copy runs: ending");
        return 0;
    }
    TApplication application(commandLine, plan.SettingToStore);
    return application.Run();
}

}  // namespace pellumo
