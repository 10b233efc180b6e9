// Where the colour combo box draws the parts of an entry: the swatch area,
// the framed swatch and the text, in list entries and in the closed control.
#include <gtest/gtest.h>

#include "controls/ColorCombo.h"

namespace pellumo {
namespace test {
namespace {

TEST(ColorEntryLayout, ListEntry) {
    const TColorEntryLayout l = LayoutColorEntry(TRect(0, 32, 141, 48), false);
    EXPECT_EQ(TRect(0, 32, 141, 48), l.Entry);
    EXPECT_EQ(TRect(0, 32, 30, 48), l.SwatchArea);
    EXPECT_EQ(TRect(1, 33, 29, 47), l.Swatch);
    EXPECT_EQ(28, l.Swatch.Right - l.Swatch.Left);
    EXPECT_EQ(TRect(30, 32, 141, 48), l.Text);
}

// In a larger font the entries are higher, and the swatch as much wider.
TEST(ColorEntryLayout, SwatchGrowsWithTheEntry) {
    EXPECT_EQ(30, ColorSwatchAreaWidth(16));
    const TColorEntryLayout l = LayoutColorEntry(TRect(0, 0, 200, 24), false, ColorSwatchAreaWidth(24));
    EXPECT_EQ(TRect(0, 0, 46, 24), l.SwatchArea);
    EXPECT_EQ(TRect(1, 1, 45, 23), l.Swatch);
    EXPECT_EQ(TRect(46, 0, 200, 24), l.Text);
}

TEST(ColorEntryLayout, ClosedControlIsInsetTwoPixelsTopAndBottom) {
    const TColorEntryLayout l = LayoutColorEntry(TRect(3, 3, 120, 18), true);
    EXPECT_EQ(TRect(3, 5, 120, 16), l.Entry);
    EXPECT_EQ(TRect(3, 5, 33, 16), l.SwatchArea);
    EXPECT_EQ(TRect(4, 6, 32, 15), l.Swatch);
    EXPECT_EQ(TRect(33, 5, 120, 16), l.Text);
}

// Entries too small for their parts: every part shrinks to nothing inside
// the entry, never turning inside out.
TEST(ColorEntryLayout, PartsThatDoNotFitComeOutEmpty) {
    auto inside = [](const TRect& part, const TRect& entry) {
        return part.Left <= part.Right && part.Top <= part.Bottom && part.Left >= entry.Left &&
               part.Right <= entry.Right && part.Top >= entry.Top && part.Bottom <= entry.Bottom;
    };
    const TRect items[] = {
        TRect(0, 0, 20, 16),  // narrower than the swatch area
        TRect(0, 0, 1, 16),   TRect(0, 0, 0, 0), TRect(0, 0, 100, 1), TRect(0, 0, 100, 2),
        TRect(5, 5, 100, 8),  // the closed inset eats it all
    };
    for (const TRect& item : items) {
        for (bool closed : {false, true}) {
            const TColorEntryLayout l = LayoutColorEntry(item, closed);
            SCOPED_TRACE(testing::Message() << item.Left << "," << item.Top << "," << item.Right << ","
                                            << item.Bottom << (closed ? " closed" : ""));
            EXPECT_TRUE(inside(l.Entry, item));
            EXPECT_TRUE(inside(l.SwatchArea, l.Entry));
            EXPECT_TRUE(inside(l.Swatch, l.SwatchArea));
            EXPECT_TRUE(inside(l.Text, l.Entry));
        }
    }
    const TColorEntryLayout narrow = LayoutColorEntry(TRect(0, 0, 20, 16), false);
    EXPECT_EQ(TRect(0, 0, 20, 16), narrow.SwatchArea);
    EXPECT_EQ(TRect(1, 1, 20, 15), narrow.Swatch);
    EXPECT_EQ(narrow.Text.Left, narrow.Text.Right);
    const TColorEntryLayout flat = LayoutColorEntry(TRect(0, 0, 100, 2), false);
    EXPECT_EQ(flat.Swatch.Top, flat.Swatch.Bottom);
    const TColorEntryLayout squashed = LayoutColorEntry(TRect(5, 5, 100, 8), true);
    EXPECT_EQ(squashed.Entry.Top, squashed.Entry.Bottom);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
