#pragma once
// Windows the window tests draw into or put in the way: a 32-bit DIB canvas
// to read painted pixels back from, and a plain window of "the user's".
#include <windows.h>

#include <cstdint>
#include <vector>

namespace pellumo {
namespace test {

// A top-down 32-bit DIB section selected into a memory DC, every pixel
// first set to `fill` (0x00RRGGBB, as the DIB stores it).
class TCanvas {
public:
    TCanvas(int width, int height, uint32_t fill = 0) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<uint32_t*>(bits);
        if (bitmap_) old_ = SelectObject(dc_, bitmap_);
        if (bits_)
            for (int i = 0; i < width * height; ++i) bits_[i] = fill;
    }
    ~TCanvas() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    bool Ok() const { return dc_ && bitmap_ && bits_ && old_; }
    HDC Dc() const { return dc_; }
    // As 0x00BBGGRR, the program's colour encoding.
    uint32_t Pixel(int x, int y) const { return ToColor(RawPixel(x, y)); }
    // As the DIB holds it: 0x00RRGGBB.
    uint32_t RawPixel(int x, int y) const {
        GdiFlush();
        return bits_[y * width_ + x] & 0xFFFFFF;
    }
    // Every pixel, row by row, as 0x00BBGGRR.
    std::vector<uint32_t> Pixels() const {
        std::vector<uint32_t> pixels;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) pixels.push_back(Pixel(x, y));
        return pixels;
    }
    static uint32_t ToColor(uint32_t rrggbb) { return (rrggbb >> 16) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16); }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
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
