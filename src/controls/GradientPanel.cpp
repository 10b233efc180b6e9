#include "controls/GradientPanel.h"

namespace pellumo {

uint32_t ColorToRGB(TColor color, const TSysColorResolver& resolveSystemColor) {
    if (IsSystemColor(color)) {
        const uint32_t rgb = resolveSystemColor ? resolveSystemColor(color & 0x00FFFFFFu) : 0;
        return rgb & 0x00FFFFFFu;
    }
    return color & 0x00FFFFFFu;
}

int64_t DivRoundHalfEven(int64_t a, int64_t b) {
    // Floor division first, so the remainder is never negative.
    int64_t q = a / b;
    int64_t r = a % b;
    if (r < 0) {
        q -= 1;
        r += b;
    }
    const int64_t twice = 2 * r;
    if (twice > b || (twice == b && (q & 1) != 0)) q += 1;
    return q;
}

uint32_t GradientLineColor(uint32_t beginRGB, uint32_t endRGB, int64_t index, int64_t count) {
    if (count <= 1 || index <= 0) return beginRGB & 0x00FFFFFFu;
    if (index >= count - 1) return endRGB & 0x00FFFFFFu;
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int64_t b = (beginRGB >> shift) & 0xFF;
        const int64_t e = (endRGB >> shift) & 0xFF;
        const int64_t c = b + DivRoundHalfEven(index * (e - b), count - 1);
        out |= static_cast<uint32_t>(c & 0xFF) << shift;
    }
    return out;
}

bool TGradientPanel::SetKind(TPanelKind kind) {
    if (kind == kind_) return false;
    kind_ = kind;
    return true;
}

bool TGradientPanel::SetBeginColor(TColor color) {
    if (color == beginColor_) return false;
    beginColor_ = color;
    return kind_ == pkGradient;
}

bool TGradientPanel::SetEndColor(TColor color) {
    if (color == endColor_) return false;
    endColor_ = color;
    return kind_ == pkGradient;
}

bool TGradientPanel::SetGradientStyle(TGradientPanelStyle style) {
    if (style == gradientStyle_) return false;
    gradientStyle_ = style;
    return kind_ == pkGradient;
}

}  // namespace pellumo
