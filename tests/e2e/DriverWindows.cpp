// The driver's look at other programs' windows: finding them, their text
// across processes, the popup's labels and alpha, and the screen itself.
#include "DriverWindows.h"

#include <cstdio>

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The text of any window, across processes, as UTF-8: read as UTF-16, so
// text outside the system's code page comes through.
std::string TextOf(HWND window) {
    wchar_t text[4096] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &copied) ||
        copied == 0)
        return std::string();
    const int length = static_cast<int>(copied);
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

namespace {
BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}
}  // namespace

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// A visible top-level window with this title (and class, when given).
HWND FindVisible(const std::string& title, const char* className) {
    for (HWND window : TopLevelWindows())
        if (IsWindowVisible(window) && TextOf(window) == title && (!className || ClassOf(window) == className))
            return window;
    return nullptr;
}

int CountVisible(const std::string& title) {
    int count = 0;
    for (HWND window : TopLevelWindows())
        if (IsWindowVisible(window) && TextOf(window) == title) ++count;
    return count;
}

// The whole screen as a 24-bit BMP file.
bool Screenshot(const std::string& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        SelectObject(memory, old);
        const DWORD stride = ((width * 3) + 3) & ~3u;
        BITMAPFILEHEADER file {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + stride * height;
        if (FILE* out = std::fopen(path.c_str(), "wb")) {
            ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                 std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                 std::fwrite(bits, stride, height, out) == static_cast<size_t>(height);
            ok = std::fclose(out) == 0 && ok;
        }
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

// What the popup shows: folder | sender | subject | body, the body's line
// breaks as spaces.
std::string PopupLine(HWND popup) {
    std::string line;
    const int ids[] = {102, 101, 103, 105};
    for (int i = 0; i < 4; ++i) {
        std::string text = TextOf(GetDlgItem(popup, ids[i]));
        for (char& ch : text)
            if (ch == '\r' || ch == '\n') ch = ' ';
        if (i) line += " | ";
        line += text;
    }
    return line;
}

// The line without the count of those waiting at the end of the folder
// label ("(Inbox) +2"): it changes while one popup stays up.
std::string WithoutWaitingCount(const std::string& line) {
    const size_t folderEnd = line.find(" | ");
    const std::string folder = line.substr(0, folderEnd);
    const size_t plus = folder.rfind(" +");
    if (plus == std::string::npos || plus + 2 == folder.size() ||
        folder.find_first_not_of("0123456789", plus + 2) != std::string::npos)
        return line;
    return folder.substr(0, plus) + (folderEnd == std::string::npos ? "" : line.substr(folderEnd));
}

int Alpha(HWND window) {
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (!GetLayeredWindowAttributes(window, &key, &alpha, &flags) || !(flags & LWA_ALPHA)) return 255;
    return alpha;
}

