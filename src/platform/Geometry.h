#pragma once
// Screen rectangles: Right and Bottom exclusive, in pixels.
#include <cstdint>

namespace pellumo {

struct TRect {
    TRect() = default;
    TRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
        : Left(left), Top(top), Right(right), Bottom(bottom) {}
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TRect& o) const {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
    bool operator!=(const TRect& o) const { return !(*this == o); }
};

// The primary monitor's work area (the desktop less the taskbar).
TRect PrimaryWorkArea();

// The screen's dots per inch (96 at the usual font size, 120 and 144 at the
// larger ones): what a size designed at 96 grows by.
int ScreenDpi();
inline int32_t ScaledToScreen(int32_t designedAt96) { return (designedAt96 * ScreenDpi() + 48) / 96; }

}  // namespace pellumo
