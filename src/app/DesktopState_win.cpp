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
