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

}  // namespace pellumo
