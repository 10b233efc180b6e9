// Painting the panel's gradient into a real device context, through msimg32's
// GradientFill and through our own line colours, read back pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "controls/GradientPanelPaint.h"
#include "win/TestWindows.h"

namespace pellumo {
namespace {


const uint32_t kUntouched = 0x5A5A5A;

// A canvas whose untouched pixels are known.
class Canvas : public test::TCanvas {
public:
    Canvas(int width, int height) : TCanvas(width, height, kUntouched) {}
};

bool Near(uint32_t a, uint32_t b) {
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 1) return false;
    return true;
}

std::string Hex(uint32_t v) {
    char text[16];
    wsprintfA(text, "%06lX", static_cast<unsigned long>(v));
    return text;
}

const TGradientMethod kMethods[] = {TGradientMethod::SystemFill, TGradientMethod::Computed};
const char* Name(TGradientMethod m) { return m == TGradientMethod::SystemFill ? "GradientFill" : "computed"; }

TEST(PaintGradient_Methods, GradientFillIsFoundInMsimg32) { EXPECT_TRUE(GradientFillAvailable()); }

TEST(PaintGradient_Methods, AutoUsesGradientFillWhenItIsThere) {
    Canvas canvas(4, 4);
    ASSERT_TRUE(canvas.Ok());
    EXPECT_EQ(PaintGradient(canvas.Dc(), TRect(0, 0, 4, 4), 0x000000, 0xFFFFFF, gsTopToBottom),
              GradientFillAvailable() ? TGradientMethod::SystemFill : TGradientMethod::Computed);
    EXPECT_EQ(PaintGradient(canvas.Dc(), TRect(0, 0, 4, 4), 0x000000, 0xFFFFFF, gsTopToBottom, TGradientMethod::Computed),
              TGradientMethod::Computed);
}

TEST(PaintGradient_TopToBottom, EndRowsAreExactAndRowsFollowTheLineColours) {
    const uint32_t pairs[][2] = {{0x000000, 0xFFFFFF}, {0xB9D1EA, 0xFFFFFF}, {0xFFFFFF, 0x123456}};
    for (TGradientMethod method : kMethods) {
        for (const auto& p : pairs) {
            for (int height : {1, 2, 3, 41, 200, 257}) {
                Canvas canvas(7, height);
                ASSERT_TRUE(canvas.Ok());
                ASSERT_EQ(PaintGradient(canvas.Dc(), TRect(0, 0, 7, height), p[0], p[1], gsTopToBottom, method), method);
                const std::string what = std::string(Name(method)) + " " + Hex(p[0]) + ".." + Hex(p[1]) + " height " +
                                         std::to_string(height);
                EXPECT_EQ(Hex(canvas.Pixel(0, 0)), Hex(p[0])) << what;
                EXPECT_EQ(Hex(canvas.Pixel(6, height - 1)), Hex(height == 1 ? p[0] : p[1])) << what;
                for (int y = 0; y < height; ++y) {
                    const uint32_t expected = GradientLineColor(p[0], p[1], y, height);
                    const uint32_t left = canvas.Pixel(0, y);
                    ASSERT_EQ(canvas.Pixel(6, y), left) << what << " row " << y;
                    if (method == TGradientMethod::Computed)
                        ASSERT_EQ(Hex(left), Hex(expected)) << what << " row " << y;
                    else
                        ASSERT_TRUE(Near(left, expected)) << what << " row " << y << ": " << Hex(left);
                }
            }
        }
    }
}

TEST(PaintGradient_LeftToRight, EndColumnsAreExactAndColumnsFollowTheLineColours) {
    for (TGradientMethod method : kMethods) {
        for (int width : {1, 2, 3, 256}) {
            Canvas canvas(width, 5);
            ASSERT_TRUE(canvas.Ok());
            PaintGradient(canvas.Dc(), TRect(0, 0, width, 5), 0x0000FF, 0xFF8000, gsLeftToRight, method);
            const std::string what = std::string(Name(method)) + " width " + std::to_string(width);
            EXPECT_EQ(Hex(canvas.Pixel(0, 4)), Hex(0x0000FF)) << what;
            EXPECT_EQ(Hex(canvas.Pixel(width - 1, 0)), Hex(width == 1 ? 0x0000FF : 0xFF8000)) << what;
            for (int x = 0; x < width; ++x) {
                const uint32_t expected = GradientLineColor(0x0000FF, 0xFF8000, x, width);
                ASSERT_EQ(canvas.Pixel(x, 4), canvas.Pixel(x, 0)) << what << " column " << x;
                ASSERT_TRUE(Near(canvas.Pixel(x, 2), expected)) << what << " column " << x;
            }
        }
    }
}

TEST(PaintGradient_Colours, SystemColoursAreTheSystemsCurrentOnes) {
    const uint32_t caption = GetSysColor(COLOR_GRADIENTACTIVECAPTION) & 0xFFFFFF;
    for (TGradientMethod method : kMethods) {
        Canvas canvas(10, 120);
        ASSERT_TRUE(canvas.Ok());
        PaintGradient(canvas.Dc(), TRect(0, 0, 10, 120), clGradientActiveCaption, clWhite, gsTopToBottom, method);
        EXPECT_EQ(Hex(canvas.Pixel(5, 0)), Hex(caption)) << Name(method);
        EXPECT_EQ(Hex(canvas.Pixel(5, 119)), Hex(0xFFFFFF)) << Name(method);
    }
    EXPECT_EQ(SystemColorRGB(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE));
}

TEST(PaintGradient_Colours, EqualColoursGiveAFlatFill) {
    for (TGradientMethod method : kMethods) {
        Canvas canvas(6, 50);
        ASSERT_TRUE(canvas.Ok());
        PaintGradient(canvas.Dc(), TRect(0, 0, 6, 50), 0x3366CC, 0x3366CC, gsTopToBottom, method);
        for (int y = 0; y < 50; ++y) ASSERT_EQ(Hex(canvas.Pixel(y % 6, y)), Hex(0x3366CC)) << Name(method) << " row " << y;
    }
}

TEST(PaintGradient_Area, PaintsOnlyInsideTheRectangle) {
    for (TGradientMethod method : kMethods) {
        Canvas canvas(20, 30);
        ASSERT_TRUE(canvas.Ok());
        PaintGradient(canvas.Dc(), TRect(3, 5, 17, 25), 0x000000, 0xFFFFFF, gsTopToBottom, method);
        EXPECT_EQ(Hex(canvas.Pixel(3, 5)), Hex(0x000000)) << Name(method);
        EXPECT_EQ(Hex(canvas.Pixel(16, 24)), Hex(0xFFFFFF)) << Name(method);
        for (const auto& outside : {std::make_pair(2, 5), std::make_pair(17, 5), std::make_pair(3, 4), std::make_pair(16, 25)})
            EXPECT_EQ(Hex(canvas.Pixel(outside.first, outside.second)), Hex(kUntouched))
                << Name(method) << " at " << outside.first << "," << outside.second;
    }
}

TEST(PaintGradient_Area, EmptyRectanglePaintsNothing) {
    for (TGradientMethod method : kMethods) {
        Canvas canvas(8, 8);
        ASSERT_TRUE(canvas.Ok());
        PaintGradient(canvas.Dc(), TRect(2, 2, 2, 8), 0x000000, 0xFFFFFF, gsTopToBottom, method);
        PaintGradient(canvas.Dc(), TRect(2, 6, 8, 3), 0x000000, 0xFFFFFF, gsLeftToRight, method);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) ASSERT_EQ(canvas.Pixel(x, y), kUntouched) << Name(method) << " " << x << "," << y;
    }
}

TEST(PaintGradient_Panel, UsesThePanelsColoursAndStyle) {
    TGradientPanel panel;
    panel.SetKind(pkGradient);
    panel.SetBeginColor(0x0000FF);
    panel.SetEndColor(0x00FF00);
    panel.SetGradientStyle(gsLeftToRight);
    Canvas canvas(30, 4);
    ASSERT_TRUE(canvas.Ok());
    PaintGradient(canvas.Dc(), TRect(0, 0, 30, 4), panel);
    EXPECT_EQ(Hex(canvas.Pixel(0, 3)), Hex(0x0000FF));
    EXPECT_EQ(Hex(canvas.Pixel(29, 0)), Hex(0x00FF00));
}

}  // namespace
}  // namespace pellumo
