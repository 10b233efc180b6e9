#pragma once
// Painting TGradientPanel's gradient into a device context. The window that owns
// the panel calls this from WM_ERASEBKGND and WM_PAINT; nothing is cached.
#include "controls/GradientPanel.h"
#include "platform/Geometry.h"

namespace pellumo {

enum class TGradientMethod {
    Auto,        // GradientFill when msimg32 has it, else Computed
    SystemFill,  // msimg32's GradientFill
    Computed,    // our own line colours, one FillRect per run of equal lines
};

// The system's current RGB for a system colour index.
uint32_t SystemColorRGB(uint32_t index);

// Whether msimg32.dll offers GradientFill; looked up on first use, once.
bool GradientFillAvailable();

// Fills `rect` of the device context `dc` (an HDC) with the gradient from
// `begin` to `end`, system colours resolved now. The first line is exactly
// the begin colour and the last exactly the end colour whichever way it is
// painted. Returns the way used (SystemFill falls back to Computed when the
// system cannot do it); an empty rectangle paints nothing.
TGradientMethod PaintGradient(void* dc, const TRect& rect, TColor begin, TColor end, TGradientPanelStyle style,
                              TGradientMethod method = TGradientMethod::Auto);

// The same with the panel's colours and style.
TGradientMethod PaintGradient(void* dc, const TRect& rect, const TGradientPanel& panel,
                              TGradientMethod method = TGradientMethod::Auto);

}  // namespace pellumo
