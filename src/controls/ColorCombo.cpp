#include "controls/ColorCombo.h"

#include <algorithm>

namespace pellumo {

namespace {

// A rectangle that does not fit shrinks to nothing at its own left or top
// edge instead of turning inside out.
TRect Normalised(TRect r) {
    r.Right = std::max(r.Right, r.Left);
    r.Bottom = std::max(r.Bottom, r.Top);
    return r;
}

}  // namespace

TColorEntryLayout LayoutColorEntry(const TRect& item, bool closedControl, int32_t swatchAreaWidth) {
    TColorEntryLayout layout;
    layout.Entry = item;
    layout.Entry = Normalised(layout.Entry);
    if (closedControl) {
        // A field lower than both insets keeps an empty line inside itself.
        layout.Entry.Top = std::min(layout.Entry.Top + kColorClosedInset, layout.Entry.Bottom);
        layout.Entry.Bottom = std::max(layout.Entry.Bottom - kColorClosedInset, layout.Entry.Top);
    }
    const TRect& e = layout.Entry;
    const int32_t areaRight = std::min(e.Right, e.Left + swatchAreaWidth);
    layout.SwatchArea = TRect(e.Left, e.Top, areaRight, e.Bottom);
    const int32_t swatchWidth = swatchAreaWidth - (kColorSwatchAreaWidth - kColorSwatchWidth);
    const int32_t swatchLeft = e.Left + (swatchAreaWidth - swatchWidth) / 2;
    layout.Swatch = Normalised(TRect(std::min(swatchLeft, areaRight), e.Top + 1,
                                     std::min(swatchLeft + swatchWidth, areaRight), e.Bottom - 1));
    if (layout.Swatch.Top > e.Bottom) layout.Swatch.Top = layout.Swatch.Bottom = e.Bottom;
    layout.Text = TRect(areaRight, e.Top, e.Right, e.Bottom);
    return layout;
}

}  // namespace pellumo
