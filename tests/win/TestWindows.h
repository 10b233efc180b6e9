#pragma once
// Windows the window tests draw into or put in the way: a 32-bit DIB canvas
// to read painted pixels back from, and a plain window of "the user's".
#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/DibCanvas_win.h"

namespace pellumo {
namespace test {

// A canvas to read painted pixels back from, every pixel first set to
// `fill` (0x00RRGGBB, as the DIB stores it).
class TCanvas : public TDibCanvas {
public:
    TCanvas(int width, int height, uint32_t fill = 0) : TDibCanvas(width, height) {
        if (Ok())
            for (int i = 0; i < width * height; ++i) Bits()[i] = fill;
    }

    // As 0x00BBGGRR, the program's colour encoding.
    uint32_t Pixel(int x, int y) const { return ToColor(RawPixel(x, y)); }
    // As the DIB holds it: 0x00RRGGBB.
    uint32_t RawPixel(int x, int y) const { return Bits()[y * Width() + x] & 0xFFFFFF; }
    // Every pixel, row by row, as 0x00BBGGRR.
    std::vector<uint32_t> Pixels() const {
        std::vector<uint32_t> pixels;
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) pixels.push_back(Pixel(x, y));
        return pixels;
    }
    static uint32_t ToColor(uint32_t rrggbb) { return (rrggbb >> 16) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16); }
};

// A plain, visible top-level window, as a user's application has one.
class TUserWindow {
public:
    TUserWindow(const char* className, int left, int top, int width, int height) {
        WNDCLASSA wc {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = className;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, className, "User's window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top, width,
                                height, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~TUserWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    TUserWindow(const TUserWindow&) = delete;
    TUserWindow& operator=(const TUserWindow&) = delete;
    HWND Hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

}  // namespace test
}  // namespace pellumo
