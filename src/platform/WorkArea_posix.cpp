// Without a desktop, a fixed 1280 x 1024 screen at 96 DPI with a 30-pixel taskbar at the bottom.
#include "platform/Geometry.h"

namespace pellumo {

TRect PrimaryWorkArea() {
    TRect r;
    r.Right = 1280;
    r.Bottom = 994;
    return r;
}

int ScreenDpi() { return 96; }

}  // namespace pellumo
