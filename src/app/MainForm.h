#pragma once
// The main form as the program holds it: the popup window (TfrmMornelle) is
// its face; behind it sit the tray icon and its menu, the scan with its seen
// list, queue and message object, and the store watcher. Windows-free, so the
// program entry needs nothing but this and the settings.
#include <cstdint>
#include <memory>
#include <string>

namespace pellumo {

class TfrmMornelle;
class TMailNotificationThread;
class TMailScan;
class TStoreWatch;

class TMainForm {
public:
    // The tray icon's callback message (WM_USER + 1).
    static const unsigned kTrayIconMessage = 0x0401;

    // Makes the popup window, hidden, over an empty queue. The settings
    // are used here first, so their construction has run (or raised) before.
    explicit TMainForm(const std::string& commandLine);
    // FormDestroy: StopWatching, RemoveTrayIcon, then the window and the
    // message object go.
    ~TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // The rest of the form's creation, in order: the tray icon, StartWatching,
    // the bounds from the settings. Raises what a step raised; the steps after
    // it do not run and what was made stays (the icon above all).
    void FormCreate();

    void AddTrayIcon();
    void RemoveTrayIcon();
    // The start-up scan and the watcher; the message of the first folder
    // file the scan passed over (empty when none), for the error box.
    std::string StartWatching();
    void StopWatching();

    // The icon's mouse message: double click opens the setup dialog, the
    // right button the menu; everything else is ignored.
    void WMTrayIcon(unsigned mouseMessage);
    void ShowTrayMenu();
    // Empties the queue, then shows (or brings forward) the setup dialog.
    void OpenSettings();
    void Settings1Click() { OpenSettings(); }
    // Ends the message loop; the teardown follows it.
    void Exit1Click();

    TfrmMornelle& Popup() { return *popup_; }
    TMailScan& Scan() { return *scan_; }

private:
    class TTray;

    bool HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);

    std::string commandLine_;
    std::unique_ptr<TMailScan> scan_;
    std::unique_ptr<TfrmMornelle> popup_;
    std::unique_ptr<TTray> tray_;
    std::unique_ptr<TStoreWatch> storeWatch_;
    // The store watcher; its thread frees itself, this is only our hold on it.
    std::unique_ptr<TMailNotificationThread> watcher_;
};

// The whole program: the hidden application window, the main form, the
// message loop and the ordered shutdown. Returns the process's exit code.
int RunProgram(const std::string& commandLine);

}  // namespace pellumo
