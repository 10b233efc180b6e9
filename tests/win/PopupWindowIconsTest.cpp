// The program's icons as the popup and the tray draw them, looked at pixel
// by pixel. Needs a display (under Wine: Xvfb, see window-tests.sh);
// skipped without one.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/PopupWindow.h"
#include "win/Display.h"

namespace pellumo {
namespace {

class PopupWindowIcons : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::DisplayUsable()) GTEST_SKIP() << "no display to draw on";
    }
};

// An icon drawn over green, its 16 x 16 pixels row by row.
std::vector<COLORREF> Render(void* handle, int size = 16) {
    std::vector<COLORREF> pixels;
    HICON icon = static_cast<HICON>(handle);
    EXPECT_TRUE(icon);
    if (!icon) return pixels;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT r {0, 0, size, size};
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    FillRect(dc, &r, green);
    DeleteObject(green);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DestroyIcon(icon);
    return pixels;
}

// The icons themselves, drawn into a bitmap: the high one is red, the low
// one blue, both leave their corners transparent.
TEST_F(PopupWindowIcons, PriorityIconsAreRedAndBlue) {
    struct TCount {
        int red = 0, blue = 0, yellow = 0, untouched = 0, coloured = 0;
    };
    auto look = [](int index, bool greyed = false) {
        TCount count;
        const std::vector<COLORREF> pixels = Render(DrawProgramIcon(index, greyed));
        if (pixels.empty()) return count;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const COLORREF c = pixels[y * 16 + x];
                const int R = GetRValue(c), G = GetGValue(c), B = GetBValue(c);
                if (c != RGB(0, 255, 0) && (R != G || G != B)) ++count.coloured;
                if (c == RGB(0, 255, 0)) ++count.untouched;
                else if (R > 150 && G < 60 && B < 60) ++count.red;
                else if (B > 150 && R < 60 && G < 120) ++count.blue;
                else if (R > 200 && G > 150 && B < 60) ++count.yellow;
            }
        return count;
    };
    const TCount high = look(2);
    EXPECT_GT(high.red, 20);
    EXPECT_EQ(0, high.blue);
    EXPECT_GT(high.untouched, 100);
    const TCount low = look(3);
    EXPECT_GT(low.blue, 20);
    EXPECT_EQ(0, low.red);
    EXPECT_GT(low.untouched, 60);
    const TCount tray = look(0);
    EXPECT_GT(tray.yellow, 5);  // the lightning flash
    // While nothing is watched: the same shape, in greys only.
    const TCount greyed = look(0, true);
    EXPECT_EQ(0, greyed.coloured);
    EXPECT_EQ(tray.untouched, greyed.untouched);
    EXPECT_EQ(nullptr, DrawProgramIcon(4));
    EXPECT_EQ(nullptr, DrawProgramIcon(-1));
}

// The tray's icon carries the unread count in white digits on a red badge at
// its bottom right, readable at 16 x 16, greyed or not; a pause shows as two
// bars at the bottom left.
TEST_F(PopupWindowIcons, TrayIconCarriesTheCountAndThePause) {
    // The white pixels of the badge's rows, as "X" and ".": the digits' shapes.
    auto digits = [](const std::vector<COLORREF>& pixels, int left) {
        std::string rows;
        for (int y = 10; y < 15; ++y)
            for (int x = left; x < 15; ++x) rows += pixels[y * 16 + x] == RGB(255, 255, 255) ? 'X' : '.';
        return rows;
    };
    const std::vector<COLORREF> three = Render(DrawTrayIcon(false, false, "3"));
    ASSERT_EQ(256u, three.size());
    EXPECT_EQ("XXX" "..X" ".XX" "..X" "XXX", digits(three, 12));
    EXPECT_EQ(RGB(208, 0, 0), three[12 * 16 + 12]);  // between the strokes: the badge
    const std::vector<COLORREF> many = Render(DrawTrayIcon(false, false, "99+"));
    EXPECT_EQ("XXX.XXX...." "X.X.X.X..X." "XXX.XXX.XXX" "..X...X..X." "XXX.XXX....", digits(many, 4));
    // Greyed, the digits stay the lightest of all.
    const std::vector<COLORREF> greyed = Render(DrawTrayIcon(true, false, "3"));
    EXPECT_EQ(GetRValue(greyed[10 * 16 + 12]), 255);
    EXPECT_LT(GetRValue(greyed[12 * 16 + 12]), 200);
    const std::vector<COLORREF> none = Render(DrawTrayIcon(false, false, ""));
    EXPECT_EQ(none, Render(DrawProgramIcon(0)));
    const std::vector<COLORREF> paused = Render(DrawTrayIcon(false, true, ""));
    EXPECT_EQ(RGB(0, 0, 128), paused[12 * 16 + 2]);
    EXPECT_EQ(RGB(0, 0, 128), paused[12 * 16 + 5]);
    EXPECT_EQ(RGB(255, 255, 255), paused[12 * 16 + 4]);
    EXPECT_NE(paused, none);
    // At a larger small-icon size (the system's, at a higher DPI) the count is
    // drawn at that size in dots of whole pixels: as sharp, and larger.
    const std::vector<COLORREF> large = Render(DrawTrayIcon(false, false, "3", 32), 32);
    ASSERT_EQ(32u * 32u, large.size());
    // A dot of the glyph: all four of its pixels white.
    auto dot = [&](int row, int column) {
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                if (large[(20 + 2 * row + dy) * 32 + 24 + 2 * column + dx] != RGB(255, 255, 255)) return '.';
        return 'X';
    };
    std::string rows;
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 3; ++column) rows += dot(row, column);
    EXPECT_EQ("XXX" "..X" ".XX" "..X" "XXX", rows);
}

}  // namespace
}  // namespace pellumo
