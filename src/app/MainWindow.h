#pragma once
// The main window as the program holds it: the popup window (TPopupWindow) is
// its face; behind it sit the tray icon and its menu, the scan with its seen
// list, queue and message object, and the store watcher. Windows-free, so the
// program entry needs nothing but this and the settings.
#include <cstdint>
#include <memory>
#include <string>

namespace pellumo {

class TPopupWindow;
class TStoreWatcherThread;
class TMailScan;
class TStoreWatch;

class TMainWindow {
public:
    // The tray icon's callback message (WM_USER + 1).
    static const unsigned kTrayIconMessage = 0x0401;

    // Makes the popup window, hidden, over an empty queue. The settings
    // are used here first, so their construction has run (or thrown) before.
    explicit TMainWindow(const std::string& commandLine);
    // StopWatching, RemoveTrayIcon, then the window and the message object go.
    ~TMainWindow();
    TMainWindow(const TMainWindow&) = delete;
    TMainWindow& operator=(const TMainWindow&) = delete;

    // The rest of the window's start, in order: the tray icon, StartWatching,
    // the bounds from the settings. Throws what a step threw; the steps after
    // it do not run and what was made stays (the icon above all).
    void Start();

    void AddTrayIcon();
    void RemoveTrayIcon();
    // The start-up scan and the watcher; the message of the first folder
    // file the scan passed over (empty when none), for the error box.
    std::string StartWatching();
    void StopWatching();

    // The icon's mouse message: double click opens the setup dialog, the
    // right button the menu; everything else is ignored.
    void OnTrayIcon(unsigned mouseMessage);
    void ShowTrayMenu();
    // Empties the queue, then shows (or brings forward) the setup dialog.
    void OpenSettings();
    void OnSettingsCommand() { OpenSettings(); }
    // Ends the message loop; the teardown follows it.
    void OnExitCommand();

    TPopupWindow& Popup() { return *popup_; }
    TMailScan& Scan() { return *scan_; }

private:
    class TTray;

    bool HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);

    std::string commandLine_;
    std::unique_ptr<TMailScan> scan_;
    std::unique_ptr<TPopupWindow> popup_;
    std::unique_ptr<TTray> tray_;
    std::unique_ptr<TStoreWatch> storeWatch_;
    // The store watcher; its thread frees itself, this is only our hold on it.
    std::unique_ptr<TStoreWatcherThread> watcher_;
};

// The whole program: the hidden application window, the main window, the
// message loop and the ordered shutdown. Returns the process's exit code.
int RunProgram(const std::string& commandLine);

}  // namespace pellumo
