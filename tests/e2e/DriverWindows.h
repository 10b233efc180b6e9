#pragma once
// The driver's look at other programs' windows: finding them, their text
// across processes, the popup's labels and alpha, and the screen itself.
#include <windows.h>

#include <string>
#include <vector>

DWORD ProcessOf(HWND window);
std::string ClassOf(HWND window);
// The text of any window, across processes, as UTF-8: read as UTF-16, so
// text outside the system's code page comes through.
std::string TextOf(HWND window);
std::vector<HWND> TopLevelWindows();
// A visible top-level window with this title (and class, when given).
HWND FindVisible(const std::string& title, const char* className = nullptr);
int CountVisible(const std::string& title);
// The whole screen as a 24-bit BMP file.
bool Screenshot(const std::string& path);
// What the popup shows: folder | sender | subject | body, the body's line
// breaks as spaces.
std::string PopupLine(HWND popup);
// The line without the count of those waiting at the end of the folder
// label ("(Inbox) +2"): it changes while one popup stays up.
std::string WithoutWaitingCount(const std::string& line);
// The window's layered alpha; 255 for one that is not layered.
int Alpha(HWND window);
