#pragma once
// The program's one wiring place. The application object owns the settings,
// the scan with its queue, the popup window, the store watch and its watcher
// thread, and its own hidden window, which carries the tray icon, owns the
// error boxes and takes the shell's and the session's messages. Each part is
// handed what it needs by reference; none reaches back.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/AlertPause.h"
#include "app/RuleChoices.h"
#include "app/StoreWatch.h"
#include "settings/SetupDialog.h"
#include "texts/Message.h"

namespace pellumo {

class TNotifierSettings;
struct TNotification;
class TMailScan;
class TPopupWindow;
class TStoreWatcherThread;
class TTrayIcon;

class TApplication {
public:
    // The tray icon's callback message (WM_USER + 1).
    static const unsigned kTrayIconMessage = 0x0401;

    // Makes the hidden application window. Throws Exception when the system
    // cannot. StartWithWindowsToStore: the user's start-with-Windows setting
    // to keep when none is stored yet (a copy installed for every user).
    explicit TApplication(const std::string& commandLine, std::optional<bool> startWithWindowsToStore = std::nullopt);
    // StopWatching and the tray icon's removal, then the windows go, and
    // only then the settings, which save themselves.
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // The settings, the wiring, the start and the message loop; the
    // process's exit code. A failure before the message loop is told in an
    // error box.
    int Run();

private:
    class THiddenWindow;

    void StoreStartWithWindows();
    // Writes the settings now; a failure is logged, and they are written
    // again at the exit.
    void SaveSettingsNow();
    // The scan, the popup (hidden, over an empty queue) and the tray icon,
    // over the settings.
    void Wire();
    // The rest of the start, in order: the tray icon, StartWatching, the
    // popup's bounds from the settings, the error box for a folder file
    // passed over. Throws what a step threw; the steps after it do not run
    // and what was made stays (the icon above all).
    void Start();
    // The start-up scan and the watcher; the message of the first folder
    // file the scan passed over (empty when none), for the error box.
    TMessage StartWatching();
    // Speaks the language the settings ask for, else the user's own.
    void ApplyLanguage();
    // A new watcher thread over the store watch.
    void StartWatcher();
    // The watcher ended on an error: another takes its place. Throws when it
    // cannot be started; the keeper then still waits for one.
    void RestartWatcher();
    void StopWatching();
    // The session's lock and switch, reported to the hidden window; asked for
    // again every few seconds while the system is not ready to (at logon).
    void WatchSession(bool firstTime);

    // The hidden window's messages; true when taken.
    bool HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);
    // The icon's mouse message: double click (or Enter) opens the setup
    // dialog, the right button's release (or the context key) the menu;
    // everything else is ignored.
    void OnTrayIcon(unsigned mouseMessage);
    void ShowTrayMenu();
    // Shows (or brings forward) the setup dialog; the popup is held meanwhile.
    void OpenSettings();
    // The setup dialog's own part of OpenSettings: shows it, applies an OK;
    // what of the OK could not be written.
    TMessage ShowSettingsDialog();
    // Closed to Open: the popup makes way, the hotkey is let go.
    void EnterSettings();
    // Open to Closed, whichever way the dialog went: the hotkey is taken
    // again and the popup shows what waited.
    void LeaveSettings();
    void OnSettingsCommand() { OpenSettings(); }
    // Ends the message loop; the teardown follows it.
    void OnExitCommand();

    // The alerts held back (no popup, no sound) until the pause ends; the
    // scan, the counts and the recent list go on.
    bool AlertsPaused() const;
    void PauseAlerts(TPauseChoice choice);
    // Resumed, or over: what came meanwhile is told.
    void EndPause();
    // A message of the recent list, shown again at once.
    void ShowRecent(const TNotification& recent);
    // A choice from the popup's menu: added to its list, saved at once and
    // used from the next message on (and for what waits).
    void KeepRuleChoice(const TRuleChoice& choice);
    // The settings' hotkey on the hidden window: its WM_HOTKEY shows the
    // newest recent message again. One another program holds is logged,
    // and the program runs on without it.
    void RegisterShowAgainHotkey();
    void UnregisterShowAgainHotkey();
    // The tray icon's tip and look after a scan, a change of state, a pause
    // or new settings.
    void UpdateTray();

    std::string commandLine_;
    std::optional<bool> startWithWindowsToStore_;
    // Messages are taken only between the wiring and the teardown.
    bool wired_ = false;
    // Whether the setup dialog is open; changed by EnterSettings and
    // LeaveSettings alone.
    enum class TSettingsPhase {
        Closed,  // no dialog: the popup shows what comes, the hotkey is ours
        Open,    // the dialog is up, or its OK is being applied: what comes
                 // waits, and the hotkey is let go, so that what the dialog
                 // finds holding it is another program; a second request
                 // only brings the dialog forward
    };
    TSettingsPhase settingsPhase_ = TSettingsPhase::Closed;
    bool languageApplied_ = false;  // ApplyLanguage has run once
    // The session is locked, or switched away from the console.
    bool sessionAway_ = false;
    bool hotkeyRegistered_ = false;
    std::unique_ptr<TNotifierSettings> settings_;
    std::unique_ptr<THiddenWindow> window_;
    TSetupDialogHolder setupDialog_;
    std::unique_ptr<TMailScan> scan_;
    std::unique_ptr<TPopupWindow> popup_;
    std::unique_ptr<TTrayIcon> tray_;
    std::unique_ptr<TStoreWatch> storeWatch_;
    // The store watcher; its thread frees itself, this is only our hold on it.
    std::unique_ptr<TStoreWatcherThread> watcher_;
    // Whether a watcher runs, or one that ended waits to be started again.
    TWatcherKeeper watcherKeeper_ {[this] { StartWatcher(); }};
};

// The whole program: a background utility with no taskbar button and no
// window at start. Returns the process's exit code.
int RunProgram(const std::string& commandLine);

}  // namespace pellumo
