#pragma once
// Whether a Windows test can show windows: under Wine it needs an X display
// (see the scripts beside this file, which start a private Xvfb), and on
// Windows an interactive desktop.
#include <windows.h>

#include <cstdlib>

#include "texts/Language.h"

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

// For a test that holds its window on screen to be photographed
// (window-tests.sh): the marker file PELLUMO_SHOT names, which the test
// writes once its window is ready; null when no screenshot is asked for or
// no display can show one. The window speaks the language PELLUMO_LANGUAGE
// names (English without), and the pointer is moved out of its way.
inline const char* ScreenshotMarker() {
    const char* marker = std::getenv("PELLUMO_SHOT");
    if (!marker || !*marker || !DisplayUsable()) return nullptr;
    const char* language = std::getenv("PELLUMO_LANGUAGE");
    SetUserLanguage(language ? language : "en");
    SetCursorPos(1, 1);
    return marker;
}

}  // namespace test
}  // namespace pellumo
