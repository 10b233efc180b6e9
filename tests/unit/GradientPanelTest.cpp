// The gradient panel's arithmetic: line colours, system colours and the
// repaint rule of its properties.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <vector>

#include "controls/GradientPanel.h"

namespace pellumo {
namespace test {
namespace {

uint8_t Channel(uint32_t rgb, int shift) { return static_cast<uint8_t>((rgb >> shift) & 0xFF); }

// An independent reference: floating point rounded by nearbyint, which rounds
// halves to even in the default rounding mode. A true half only arises when it
// is exactly representable, so the double never lands on the wrong side.
uint32_t ReferenceLine(uint32_t begin, uint32_t end, int64_t i, int64_t n) {
    if (n <= 1) return begin;
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double b = Channel(begin, shift), e = Channel(end, shift);
        const double c = b + std::nearbyint(double(i) * (e - b) / double(n - 1));
        out |= static_cast<uint32_t>(c) << shift;
    }
    return out;
}

TEST(DivRoundHalfEven, RoundsToNearestAndHalvesToEven) {
    struct Case {
        int64_t a, b, expected;
    };
    const Case cases[] = {
        {0, 5, 0},   {4, 2, 2},    {1, 2, 0},   {3, 2, 2},    {5, 2, 2},  {7, 2, 4},   {-1, 2, 0},
        {-3, 2, -2}, {-5, 2, -2},  {-7, 2, -4}, {7, 3, 2},    {8, 3, 3},  {-7, 3, -2}, {-8, 3, -3},
    };
    for (const Case& c : cases) EXPECT_EQ(DivRoundHalfEven(c.a, c.b), c.expected) << c.a << " / " << c.b;
}

TEST(GradientLineColor, EndLinesAreExactlyTheTwoColours) {
    const uint32_t pairs[][2] = {{0x000000, 0xFFFFFF}, {0xFFFFFF, 0x000000}, {0x123456, 0xFEDCBA}, {0xB9D1EA, 0xFFFFFF}};
    for (const auto& p : pairs) {
        for (int64_t n : {2, 3, 7, 200, 256, 257, 4000}) {
            EXPECT_EQ(GradientLineColor(p[0], p[1], 0, n), p[0]) << n;
            EXPECT_EQ(GradientLineColor(p[0], p[1], n - 1, n), p[1]) << n;
        }
    }
}

TEST(GradientLineColor, SingleLineShowsTheBeginColour) {
    EXPECT_EQ(GradientLineColor(0x102030, 0xFFFFFF, 0, 1), 0x102030u);
    EXPECT_EQ(GradientLineColor(0xFFFFFF, 0x000000, 0, 1), 0xFFFFFFu);
}

TEST(GradientLineColor, MiddleOfThreeLinesRoundsHalvesToEven) {
    struct Case {
        uint8_t begin, end, middle;
    };
    // Red channel only; the offset begin + round((end - begin) / 2).
    const Case cases[] = {
        {0, 255, 128},  // 127.5 -> 128
        {0, 1, 0},      // 0.5 -> 0
        {1, 2, 1},      // 1 + round(0.5) = 1 + 0
        {0, 3, 2},      // 1.5 -> 2
        {0, 5, 2},      // 2.5 -> 2
        {255, 0, 127},  // 255 + round(-127.5) = 255 - 128
        {1, 0, 1},      // 1 + round(-0.5) = 1 - 0
        {3, 0, 1},      // 3 + round(-1.5) = 3 - 2
        {10, 20, 15},   // exact
    };
    for (const Case& c : cases)
        EXPECT_EQ(GradientLineColor(c.begin, c.end, 1, 3), c.middle) << int(c.begin) << ".." << int(c.end);
}

TEST(GradientLineColor, FullRangeOver256LinesStepsByOne) {
    for (int64_t i = 0; i < 256; ++i) {
        const uint32_t v = static_cast<uint32_t>(i);
        ASSERT_EQ(GradientLineColor(0x000000, 0xFFFFFF, i, 256), v | v << 8 | v << 16) << i;
        ASSERT_EQ(GradientLineColor(0xFFFFFF, 0x000000, i, 256), (255 - v) * 0x010101u) << i;
    }
}

TEST(GradientLineColor, FullRangeOver257LinesHasOneHalfInTheMiddle) {
    // i * 255 / 256 is a half only at i = 128 (127.5, even neighbour 128).
    EXPECT_EQ(GradientLineColor(0x000000, 0x0000FF, 128, 257), 128u);
    EXPECT_EQ(GradientLineColor(0x0000FF, 0x000000, 128, 257), 127u);
    EXPECT_EQ(GradientLineColor(0x000000, 0x0000FF, 1, 257), 1u);      // 0.996
    EXPECT_EQ(GradientLineColor(0x000000, 0x0000FF, 255, 257), 254u);  // 254.004
    EXPECT_EQ(GradientLineColor(0x000000, 0x0000FF, 256, 257), 255u);
}

TEST(GradientLineColor, MatchesTheReferenceForManyPanels) {
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    const uint32_t pairs[][2] = {{0x000000, 0xFFFFFF}, {0xFFFFFF, 0x000000}, {0x123456, 0xFEDCBA},
                                 {0xB9D1EA, 0xFFFFFF}, {0x7F8081, 0x817F80}, {0x00FF00, 0xFF00FF},
                                 {0x40FF00, 0x4000FF}, {0x3366CC, 0x3366CC}};
    for (const auto& p : pairs) {
        for (int64_t n : {1, 2, 3, 4, 5, 17, 41, 160, 200, 255, 256, 257, 511, 512, 1200}) {
            for (int64_t i = 0; i < n; ++i)
                ASSERT_EQ(GradientLineColor(p[0], p[1], i, n), ReferenceLine(p[0], p[1], i, n))
                    << std::hex << p[0] << ".." << p[1] << std::dec << " line " << i << " of " << n;
        }
    }
}

TEST(ColorToRGB, SystemColoursGoThroughTheResolver) {
    std::vector<uint32_t> asked;
    const TSysColorResolver fake = [&](uint32_t index) {
        asked.push_back(index);
        return 0xAB000000u | (index * 0x010203u);  // high byte set: must not leak out
    };
    struct Case {
        TColor color;
        uint32_t rgb;
        bool resolved;
    };
    const Case cases[] = {
        {clGradientActiveCaption, (0x1Bu * 0x010203u) & 0xFFFFFF, true},
        {clBtnFace, 0x0Fu * 0x010203u, true},
        {clInfoBk, 0x18u * 0x010203u, true},
        {0x80000000, 0, true},
        {clWhite, 0xFFFFFF, false},
        {0x00123456, 0x123456, false},
        {0x01123456, 0x123456, false},  // not a system colour: low three bytes
        {0xFF123456, 0x123456, false},
    };
    for (const Case& c : cases) {
        asked.clear();
        EXPECT_EQ(ColorToRGB(c.color, fake), c.rgb) << std::hex << c.color;
        if (c.resolved)
            EXPECT_EQ(asked, std::vector<uint32_t>{c.color & 0xFFFFFF}) << std::hex << c.color;
        else
            EXPECT_TRUE(asked.empty()) << std::hex << c.color;
    }
}

TEST(ColorToRGB, GradientCaptionToWhiteUsesTheSystemColourOnTop) {
    const TSysColorResolver fake = [](uint32_t index) { return index == 0x1B ? 0xEAD1B9u : 0u; };
    const uint32_t begin = ColorToRGB(clGradientActiveCaption, fake), end = ColorToRGB(clWhite, fake);
    EXPECT_EQ(GradientLineColor(begin, end, 0, 200), 0xEAD1B9u);
    EXPECT_EQ(GradientLineColor(begin, end, 199, 200), 0xFFFFFFu);
}

TEST(TGradientPanel, StartsAsTheControlIsConstructed) {
    const TGradientPanel panel;
    EXPECT_EQ(panel.Kind(), pkBackground);
    EXPECT_EQ(panel.BeginColor(), 0x80000015u);
    EXPECT_EQ(panel.EndColor(), 0x8000000Fu);
    EXPECT_EQ(panel.GradientStyle(), gsTopShadow);
    EXPECT_EQ(TGradientPanel::kDefaultWidth, 185);
    EXPECT_EQ(TGradientPanel::kDefaultHeight, 41);
}

TEST(TGradientPanel, RepaintsOnlyForANewValueWhilePaintingAGradient) {
    enum Prop { Begin, End, Style };
    struct Case {
        TPanelKind kind;
        Prop prop;
        uint32_t value;
        bool repaint;
    };
    const Case cases[] = {
        {pkGradient, Begin, clGradientActiveCaption, true},
        {pkGradient, Begin, cl3DDkShadow, false},  // the value it has
        {pkGradient, End, clWhite, true},
        {pkGradient, End, clBtnFace, false},
        {pkGradient, Style, gsTopToBottom, true},
        {pkGradient, Style, gsTopShadow, false},
        {pkBackground, Begin, clGradientActiveCaption, false},
        {pkBackground, End, clWhite, false},
        {pkSimple, Style, gsLeftToRight, false},
    };
    for (const Case& c : cases) {
        TGradientPanel panel;
        panel.SetKind(c.kind);
        bool repaint = false;
        switch (c.prop) {
        case Begin:
            repaint = panel.SetBeginColor(c.value);
            EXPECT_EQ(panel.BeginColor(), c.value);
            break;
        case End:
            repaint = panel.SetEndColor(c.value);
            EXPECT_EQ(panel.EndColor(), c.value);
            break;
        case Style:
            repaint = panel.SetGradientStyle(static_cast<TGradientPanelStyle>(c.value));
            EXPECT_EQ(panel.GradientStyle(), static_cast<TGradientPanelStyle>(c.value));
            break;
        }
        EXPECT_EQ(repaint, c.repaint) << "kind " << c.kind << " property " << c.prop << " value " << std::hex << c.value;
    }
}

TEST(TGradientPanel, PopupColourAssignmentRepaintsOnlyWhenTheSettingsChanged) {
    TGradientPanel panel;
    EXPECT_TRUE(panel.SetKind(pkGradient));
    EXPECT_FALSE(panel.SetKind(pkGradient));
    panel.SetGradientStyle(gsTopToBottom);
    // Each notification assigns the settings' colours again.
    EXPECT_TRUE(panel.SetBeginColor(0x8000001B));
    EXPECT_TRUE(panel.SetEndColor(0x00FFFFFF));
    EXPECT_FALSE(panel.SetBeginColor(0x8000001B));
    EXPECT_FALSE(panel.SetEndColor(0x00FFFFFF));
    EXPECT_TRUE(panel.SetEndColor(0x00FFFFFE));
}

}  // namespace
}  // namespace test
}  // namespace pellumo
