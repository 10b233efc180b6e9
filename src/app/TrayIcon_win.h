#pragma once
// The icon in the notification area and its menu. The shell may refuse the
// icon (at logon, while Explorer is still busy) or lose it: the icon is then
// added again on a timer, a bounded number of times, and whenever a new
// taskbar announces itself.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace pellumo {

// What the icon shows.
struct TTrayLook {
    std::string Tip;    // UTF-8
    std::string TipInEnglish;  // for the log
    bool Greyed = false;  // nothing is watched
    bool Paused = false;  // the alerts are paused
    std::string Count;    // drawn on it; empty: none
    bool operator==(const TTrayLook& o) const {
        return Tip == o.Tip && Greyed == o.Greyed && Paused == o.Paused && Count == o.Count;
    }
};

// What the menu offers beside "Settings..." and "E&xit".
struct TTrayMenuItems {
    std::vector<std::string> Recent;  // RecentMenuText's, newest first
    bool Paused = false;
};

enum TTrayCommand : UINT {
    cmNone = 0,
    cmSettings = 1,
    cmExit = 2,
    cmPause30Minutes,
    cmPauseOneHour,
    cmPauseUntilTomorrow,
    cmPauseUntilResumed,
    cmResume,
    cmRecentFirst = 100,  // + the item's place in the list
};

class TTrayIcon {
public:
    static const UINT_PTR kRetryTimer = 1;
    static const UINT kRetryInterval = 2000;  // ms
    static const int kMaxRetries = 60;

    // The icon's callback message goes to Window.
    TTrayIcon(HWND window, UINT callbackMessage, const std::string& tip);
    ~TTrayIcon() { Remove(); }
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    void Add();
    // Shows Look; a tip that changes is logged, so a quiet notifier's log
    // says what it showed.
    void SetLook(const TTrayLook& look);
    void Remove();
    // The retry timer fired.
    void Retry();
    // A new taskbar (the shell restarted) knows no icons: ours goes back in.
    bool IsTaskbarCreated(UINT message) const { return taskbarCreated_ && message == taskbarCreated_; }
    bool Wanted() const { return wanted_; }
    // The shell speaks the Windows 2000 way to the icon (NOTIFYICON_VERSION):
    // WM_CONTEXTMENU for the menu, from the mouse or the keyboard, and
    // NIN_KEYSELECT for Enter. Otherwise the menu comes on WM_RBUTTONUP.
    bool ContextMenuMessages() const { return versioned_; }
    // Where the menu opens: at the pointer when it is on the icon (or where
    // the system cannot tell where the icon is), else at the icon.
    POINT MenuPosition() const;

    // "&Settings..." (the default item, bold), "&Recent mail" with Items'
    // messages ("(none)" greyed when there are none), "&Pause alerts" with
    // its four lengths or, while paused, "Res&ume alerts", a separator and
    // "E&xit", at At, the icon's window in front (TrackMenuInFront); the
    // command picked, or cmNone.
    UINT TrackMenu(POINT at, const TTrayMenuItems& items);

private:
    bool Notify(DWORD action);
    void Place();

    NOTIFYICONDATAW data_;
    TTrayLook look_;
    UINT taskbarCreated_ = 0;
    bool wanted_ = false;
    bool versioned_ = false;
    int failures_ = 0;
};

}  // namespace pellumo
