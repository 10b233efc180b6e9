#pragma once
// TGradientPanel's properties and its gradient arithmetic, free of any window so
// that the colours of every row can be checked without painting.
#include <cstdint>
#include <functional>

namespace pellumo {

// 0x00BBGGRR is an explicit colour; 0x80000000 + index names a system colour,
// resolved to RGB only when painting, so the panel follows theme changes.
using TColor = uint32_t;

constexpr TColor clWindowText = 0x80000008;
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor cl3DDkShadow = 0x80000015;
constexpr TColor clInfoText = 0x80000017;
constexpr TColor clInfoBk = 0x80000018;
constexpr TColor clGradientActiveCaption = 0x8000001B;
constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor clBlue = 0x00FF0000;

inline bool IsSystemColor(TColor color) { return (color & 0xFF000000u) == 0x80000000u; }

// Gives 0x00BBGGRR for a system colour index (GetSysColor on Windows).
using TSysColorResolver = std::function<uint32_t(uint32_t index)>;

// A system colour through the resolver, any other value by its low three bytes.
uint32_t ColorToRGB(TColor color, const TSysColorResolver& resolveSystemColor);

// Colour of line `index` of `count` lines between two RGB colours: per channel
// begin + i * (end - begin) / (count - 1), rounded half to even. Line 0 is
// exactly `begin`, line count - 1 exactly `end`; a single line is `begin`.
uint32_t GradientLineColor(uint32_t beginRGB, uint32_t endRGB, int64_t index, int64_t count);

// a / b rounded to the nearest integer, halves to the even one (b > 0).
int64_t DivRoundHalfEven(int64_t a, int64_t b);

enum TPanelKind { pkBackground, pkBitmap, pkGradient, pkSimple, pkMSMoney, pkWavy };
enum TGradientPanelStyle { gsLeftToRight, gsTopToBottom, gsTopShadow };

// The gradient runs along columns for gsLeftToRight and along rows otherwise
// (gsTopShadow is not used by the program and paints like gsTopToBottom).
inline bool IsHorizontal(TGradientPanelStyle style) { return style == gsLeftToRight; }

// What the panel paints. Each setter stores the value and answers whether the
// panel must be repainted: a value equal to the current one never repaints,
// so assigning the settings' colours for every notification costs nothing.
class TGradientPanel {
public:
    static constexpr int kDefaultWidth = 185;
    static constexpr int kDefaultHeight = 41;

    TPanelKind Kind() const { return kind_; }
    TColor BeginColor() const { return beginColor_; }
    TColor EndColor() const { return endColor_; }
    TGradientPanelStyle GradientStyle() const { return gradientStyle_; }

    // Another kind paints something else altogether, so any change repaints.
    bool SetKind(TPanelKind kind);
    // These repaint only while the panel paints a gradient.
    bool SetBeginColor(TColor color);
    bool SetEndColor(TColor color);
    bool SetGradientStyle(TGradientPanelStyle style);

private:
    TPanelKind kind_ = pkBackground;
    TColor beginColor_ = cl3DDkShadow;
    TColor endColor_ = clBtnFace;
    TGradientPanelStyle gradientStyle_ = gsTopShadow;
};

}  // namespace pellumo
