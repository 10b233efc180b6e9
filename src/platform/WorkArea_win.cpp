#include <windows.h>

#include "platform/Geometry.h"

namespace pellumo {

TRect PrimaryWorkArea() {
    RECT r {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    TRect out;
    out.Left = r.left;
    out.Top = r.top;
    out.Right = r.right;
    out.Bottom = r.bottom;
    return out;
}

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace pellumo
