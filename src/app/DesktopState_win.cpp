#include "app/DesktopState_win.h"

#include <windows.h>

#include <cwchar>

#include "settings/EdgeSnapping.h"

namespace pellumo {

namespace {

TRect ToRect(const RECT& r) { return TRect(r.left, r.top, r.right, r.bottom); }

// Windows Vista's notification duration; XP does not know it and says no.
const UINT kGetMessageDuration = 0x2016;  // SPI_GETMESSAGEDURATION

}  // namespace

// Whether the window in front is a full-screen program: a presentation, a
// film, a game. The desktop and the shell fill the monitor too, and do not
// count.
bool FullScreenProgramInFront() {
    const HWND front = GetForegroundWindow();
    if (!front || !IsWindowVisible(front) || IsIconic(front) || front == GetShellWindow() ||
        front == GetDesktopWindow())
        return false;
    wchar_t className[32] = {};
    GetClassNameW(front, className, 32);
    for (const wchar_t* shell : {L"Progman", L"WorkerW", L"Shell_TrayWnd"})
        if (std::wcscmp(className, shell) == 0) return false;
    RECT client {};
    const HMONITOR monitor = MonitorFromWindow(front, MONITOR_DEFAULTTONULL);
    MONITORINFO info {};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoW(monitor, &info) || !GetClientRect(front, &client)) return false;
    // The client area's corners on the screen.
    POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
    MapWindowPoints(front, nullptr, corners, 2);
    const LONG style = GetWindowLongW(front, GWL_STYLE);
    TFrontWindow facts;
    facts.Client = TRect(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
    facts.Framed = (style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME) != 0;
    facts.Zoomed = IsZoomed(front) != FALSE;
    return IsFullScreenWindow(facts, ToRect(info.rcMonitor));
}

TPresence ReadPresence(bool locked) {
    TPresence presence;
    presence.Locked = locked;
    LASTINPUTINFO input {};
    input.cbSize = sizeof input;
    // Tick counts wrap; the difference does not.
    if (GetLastInputInfo(&input)) presence.IdleMilliseconds = GetTickCount() - input.dwTime;
    BOOL running = FALSE;
    presence.ScreenSaver = SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) && running;
    return presence;
}

namespace {
using TRegisterSession = BOOL(WINAPI*)(HWND, DWORD);
using TUnregisterSession = BOOL(WINAPI*)(HWND);
const DWORD kThisSessionOnly = 0;  // NOTIFY_FOR_THIS_SESSION

template <typename F>
F SessionFunction(const char* name) {
    // Loaded once and kept: the notifications go on for the program's life.
    static const HMODULE module = LoadLibraryW(L"wtsapi32.dll");
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
}  // namespace

TSessionWatch WatchSessionChanges(void* window) {
    const auto watch = SessionFunction<TRegisterSession>("WTSRegisterSessionNotification");
    if (!watch) return TSessionWatch::NotHere;
    // Until the session service has started (RPC_S_INVALID_BINDING at logon)
    // it refuses; any refusal may be that.
    return watch(static_cast<HWND>(window), kThisSessionOnly) ? TSessionWatch::Watching : TSessionWatch::NotYet;
}

void StopWatchingSessionChanges(void* window) {
    const auto stop = SessionFunction<TUnregisterSession>("WTSUnRegisterSessionNotification");
    if (stop) stop(static_cast<HWND>(window));
}

bool SessionAwayAfter(unsigned event, bool before) {
    switch (event) {
        case 0x2:  // WTS_CONSOLE_DISCONNECT: another user's session came to the screen
        case 0x4:  // WTS_REMOTE_DISCONNECT
        case 0x7:  // WTS_SESSION_LOCK
            return true;
        case 0x1:  // WTS_CONSOLE_CONNECT
        case 0x3:  // WTS_REMOTE_CONNECT
        case 0x8:  // WTS_SESSION_UNLOCK
            return false;
    }
    return before;
}

TSystemPreferences ReadSystemPreferences() {
    TSystemPreferences system;
    BOOL screenReader = FALSE;
    system.ScreenReader = SystemParametersInfoW(SPI_GETSCREENREADER, 0, &screenReader, 0) && screenReader;
    HIGHCONTRASTW contrast {};
    contrast.cbSize = sizeof contrast;
    system.HighContrast =
        SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) && (contrast.dwFlags & HCF_HIGHCONTRASTON);
    ULONG seconds = 0;
    if (SystemParametersInfoW(kGetMessageDuration, 0, &seconds, 0) && seconds < 3600)
        system.MessageDuration = static_cast<int32_t>(seconds);
    return system;
}

}  // namespace pellumo
