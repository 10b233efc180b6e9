#pragma once
// Whether a Windows test can show windows: under Wine it needs an X display
// (see the scripts beside this file, which start a private Xvfb), and on
// Windows an interactive desktop.
#include <windows.h>

namespace pellumo {
namespace test {

inline bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

inline bool DisplayUsable() {
    if (RunningUnderWine()) {
        char display[256];
        if (!GetEnvironmentVariableA("DISPLAY", display, sizeof display)) return false;
    }
    HDESK desk = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    if (!desk) return false;
    CloseDesktop(desk);
    return GetSystemMetrics(SM_CXSCREEN) > 0;
}

}  // namespace test
}  // namespace pellumo
