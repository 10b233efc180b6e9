// Snapping the popup's proposed rectangle onto work-area edges, and bringing
// a popup left off every monitor back into view.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "settings/EdgeSnapping.h"

namespace pellumo {
namespace test {
namespace {

using Areas = std::vector<TRect>;

TRect Rect(int32_t l, int32_t t, int32_t r, int32_t b) {
    TRect x;
    x.Left = l;
    x.Top = t;
    x.Right = r;
    x.Bottom = b;
    return x;
}

std::string Show(const TRect& r) {
    return "(" + std::to_string(r.Left) + ", " + std::to_string(r.Top) + ", " + std::to_string(r.Right) + ", " +
           std::to_string(r.Bottom) + ")";
}

const TRect kScreen = Rect(0, 0, 1280, 1000);
const TRect kRightOfScreen = Rect(1280, 0, 2560, 1000);
const TRect kBelowScreen = Rect(0, 1000, 1280, 2024);
const TRect kLeftOfScreen = Rect(-1280, 0, 0, 1000);

struct SnapCase {
    const char* what;
    Areas areas;
    TRect proposed;
    TRect expected;
};

void RunSnapCases(const std::vector<SnapCase>& cases) {
    for (const SnapCase& c : cases) {
        TRect r = c.proposed;
        SnapToWorkAreas(r, c.areas);
        EXPECT_EQ(r, c.expected) << c.what << ": got " << Show(r) << ", expected " << Show(c.expected);
    }
}

TEST(SnapAxis, AcceptsOnlyAStrictlySmallerMove) {
    struct Case {
        int32_t target, edge;
        int64_t best, expected;
    };
    const Case cases[] = {
        {110, 100, 16, 10},   // 10 beats the start
        {100, 116, 16, 16},   // -16: not smaller than 16
        {100, 115, 16, -15},  // -15 beats 16
        {105, 100, -5, -5},   // equal size, opposite sign: the earlier stays
        {95, 100, 5, 5},
        {104, 100, -5, 4},
        {100, 100, 3, 0},  // flush
        {100, 101, 0, 0},  // nothing beats 0
    };
    for (const Case& c : cases) {
        int64_t best = c.best;
        SnapAxis(c.target, c.edge, 0, 100, 0, 100, best);  // spans overlap fully
        EXPECT_EQ(best, c.expected) << c.target << " - " << c.edge << " against " << c.best;
    }
}

TEST(SnapAxis, SpansMustComeWithinTheSnapDistance) {
    struct Case {
        int32_t s1, s2, w1, w2;
        bool accepted;
    };
    const Case cases[] = {
        {0, 100, 0, 100, true},     // same span
        {0, 500, 100, 200, true},   // window inside the work area's span
        {100, 200, 0, 500, true},   // work area inside the window's span
        {0, 500, 515, 715, true},   // window starts 15 below: w1 in [s1 - 15, s2 + 15]
        {0, 500, 516, 716, false},  // 16 below
        {516, 1000, 300, 500, false},  // work area starts 16 below the window
        {515, 1000, 300, 500, true},   // s1 in [w1 - 15, w2 + 15]
        {-500, -16, 0, 200, false},    // ends 16 before
        {-500, -15, 0, 200, true},     // ends 15 before
    };
    for (const Case& c : cases) {
        int64_t best = 16;
        SnapAxis(10, 0, c.s1, c.s2, c.w1, c.w2, best);
        EXPECT_EQ(best, c.accepted ? 10 : 16) << "[" << c.s1 << ", " << c.s2 << "] vs [" << c.w1 << ", " << c.w2 << "]";
    }
}

TEST(SnapToWorkAreas, SingleMonitor) {
    RunSnapCases({
        {"right edge 20 beyond: too far", {kScreen}, Rect(1000, 700, 1300, 900), Rect(1000, 700, 1300, 900)},
        {"right edge 10 beyond: back to 1280", {kScreen}, Rect(1000, 700, 1290, 900), Rect(990, 700, 1280, 900)},
        {"right edge 15 inside", {kScreen}, Rect(965, 700, 1265, 900), Rect(980, 700, 1280, 900)},
        {"right edge 16 inside", {kScreen}, Rect(964, 700, 1264, 900), Rect(964, 700, 1264, 900)},
        {"left edge 7 inside", {kScreen}, Rect(7, 300, 307, 500), Rect(0, 300, 300, 500)},
        {"left edge 7 outside", {kScreen}, Rect(-7, 300, 293, 500), Rect(0, 300, 300, 500)},
        {"top edge 12 below the top", {kScreen}, Rect(400, 12, 700, 212), Rect(400, 0, 700, 200)},
        {"bottom edge 9 above the taskbar", {kScreen}, Rect(400, 791, 700, 991), Rect(400, 800, 700, 1000)},
        {"corner: both axes", {kScreen}, Rect(990, 795, 1290, 995), Rect(980, 800, 1280, 1000)},
        {"middle of the screen stays", {kScreen}, Rect(400, 300, 700, 500), Rect(400, 300, 700, 500)},
        {"no work areas: nothing moves", {}, Rect(5, 5, 305, 205), Rect(5, 5, 305, 205)},
    });
}

TEST(SnapToWorkAreas, FlushAxisStays) {
    RunSnapCases({
        {"flush right, 10 from bottom", {kScreen}, Rect(980, 790, 1280, 990), Rect(980, 800, 1280, 1000)},
        // Flush left (0); the right edge 3 short of 1280 does not beat 0.
        {"flush left, right edge near", {kScreen}, Rect(0, 300, 1277, 500), Rect(0, 300, 1277, 500)},
        {"flush on both", {kScreen}, Rect(0, 0, 300, 200), Rect(0, 0, 300, 200)},
    });
}

TEST(SnapToWorkAreas, EqualMovesOfOppositeSignTakeTheFirstFound) {
    RunSnapCases({
        // Left 5 right of 0 (candidate 2: -5), right 5 left of 1280 (candidate 4: +5).
        {"horizontal", {kScreen}, Rect(5, 300, 1275, 500), Rect(0, 300, 1270, 500)},
        // Top 5 below 0 (candidate 6: -5), bottom 5 above 1000 (candidate 8: +5).
        {"vertical", {kScreen}, Rect(300, 5, 500, 995), Rect(300, 0, 500, 990)},
        // Candidate 1 of the first area (-5) against candidate 2 of the second (+5).
        {"across areas", {Rect(0, 0, 100, 1000), Rect(110, 0, 400, 1000)}, Rect(105, 300, 200, 500),
         Rect(100, 300, 195, 500)},
        // The same areas listed the other way round: now +5 comes first.
        {"across areas, reversed", {Rect(110, 0, 400, 1000), Rect(0, 0, 100, 1000)}, Rect(105, 300, 200, 500),
         Rect(110, 300, 205, 500)},
    });
}

TEST(SnapToWorkAreas, TwoMonitorsSideBySide) {
    const Areas two = {kScreen, kRightOfScreen};
    RunSnapCases({
        {"left edge 10 past the border", two, Rect(1290, 300, 1590, 500), Rect(1280, 300, 1580, 500)},
        {"right edge 5 short of the border", two, Rect(975, 300, 1275, 500), Rect(980, 300, 1280, 500)},
        {"straddling, left edge 10 short", two, Rect(1270, 300, 1570, 500), Rect(1280, 300, 1580, 500)},
        {"far right edge of the second", two, Rect(2250, 300, 2550, 500), Rect(2260, 300, 2560, 500)},
        {"bottom of the second", two, Rect(1500, 788, 1800, 988), Rect(1500, 800, 1800, 1000)},
    });
}

TEST(SnapToWorkAreas, TwoMonitorsStacked) {
    const Areas two = {kScreen, kBelowScreen};
    RunSnapCases({
        {"bottom edge 10 past the border", two, Rect(100, 810, 400, 1010), Rect(100, 800, 400, 1000)},
        {"top edge 8 past the border", two, Rect(100, 1008, 400, 1208), Rect(100, 1000, 400, 1200)},
        {"bottom of the lower one", two, Rect(100, 1820, 400, 2020), Rect(100, 1824, 400, 2024)},
    });
}

TEST(SnapToWorkAreas, AreaThatDoesNotReachTheWindowDoesNotAttract) {
    // A shorter monitor on the right, 500 high: its left edge is 10 from the
    // window's left edge, but only counts while the window reaches down to 515.
    const Areas shortOne = {Rect(1280, 0, 2560, 500)};
    RunSnapCases({
        {"16 below its bottom", shortOne, Rect(1290, 516, 1590, 716), Rect(1290, 516, 1590, 716)},
        // Now it counts; the top, 15 below the area's bottom, is pulled up onto it too.
        {"15 below its bottom", shortOne, Rect(1290, 515, 1590, 715), Rect(1280, 500, 1580, 700)},
        {"well below", shortOne, Rect(1290, 800, 1590, 1000), Rect(1290, 800, 1590, 1000)},
        // Across: the window's horizontal span must reach the area's for its bottom to count.
        {"bottom 5 away, 16 beside", {kScreen}, Rect(1296, 1005, 1596, 1205), Rect(1296, 1005, 1596, 1205)},
        {"bottom 5 away, 15 beside", {kScreen}, Rect(1295, 1005, 1595, 1205), Rect(1280, 1000, 1580, 1200)},
    });
}

TEST(SnapToWorkAreas, NegativeCoordinates) {
    RunSnapCases({
        {"monitor on the left, right edge 10 short of 0", {kLeftOfScreen, kScreen}, Rect(-310, 100, -10, 300),
         Rect(-300, 100, 0, 300)},
        {"monitor on the left, left edge 6 inside", {kScreen, kLeftOfScreen}, Rect(-1274, 100, -974, 300),
         Rect(-1280, 100, -980, 300)},
        {"monitor above, top 4 below its top", {kScreen, Rect(0, -1024, 1280, -30)}, Rect(200, -1020, 500, -820),
         Rect(200, -1024, 500, -824)},
        {"monitor above, bottom 12 past its taskbar", {kScreen, Rect(0, -1024, 1280, -30)}, Rect(200, -218, 500, -18),
         Rect(200, -230, 500, -30)},
    });
}

TEST(SnapToWorkAreas, ResizingShiftsTheWholeRectangleKeepingItsSize) {
    RunSnapCases({
        // Right border dragged to 8 short of the edge: the whole window moves 8 right.
        {"right border 8 short", {kScreen}, Rect(900, 700, 1272, 900), Rect(908, 700, 1280, 900)},
        {"bottom border 3 short", {kScreen}, Rect(900, 600, 1200, 997), Rect(900, 603, 1200, 1000)},
        {"left border dragged 6 past", {kScreen}, Rect(-6, 600, 400, 800), Rect(0, 600, 406, 800)},
    });
}

TEST(SnapToWorkAreas, OnlyEverShiftsByAtMostTheSnapDistanceOntoAnEdge) {
    const Areas areas = {kScreen, kRightOfScreen, Rect(-1024, -200, 0, 568)};
    for (int32_t left = -1100; left <= 2700; left += 37) {
        for (int32_t top = -260; top <= 1100; top += 29) {
            const TRect proposed = Rect(left, top, left + 300, top + 173);
            TRect r = proposed;
            SnapToWorkAreas(r, areas);
            const int32_t dx = r.Left - proposed.Left, dy = r.Top - proposed.Top;
            ASSERT_EQ(r.Right - r.Left, 300) << Show(proposed);
            ASSERT_EQ(r.Bottom - r.Top, 173) << Show(proposed);
            ASSERT_LE(std::abs(dx), kSnapDistance) << Show(proposed);
            ASSERT_LE(std::abs(dy), kSnapDistance) << Show(proposed);
            auto onEdge = [&](int32_t a, int32_t b, bool horizontal) {
                for (const TRect& w : areas) {
                    const int32_t e1 = horizontal ? w.Left : w.Top, e2 = horizontal ? w.Right : w.Bottom;
                    if (a == e1 || a == e2 || b == e1 || b == e2) return true;
                }
                return false;
            };
            if (dx != 0) {
                ASSERT_TRUE(onEdge(r.Left, r.Right, true)) << Show(proposed);
            }
            if (dy != 0) {
                ASSERT_TRUE(onEdge(r.Top, r.Bottom, false)) << Show(proposed);
            }
        }
    }
}

TEST(SnapToWorkAreas, ExtremeRectanglesStayDefined) {
    constexpr int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    RunSnapCases({
        {"everything", {kScreen}, Rect(lo, lo, hi, hi), Rect(lo, lo, hi, hi)},
        // Left 10 right of the area's left edge, but moving would push Right past the range.
        {"a move that would overflow", {Rect(10, 0, 1280, 1000)}, Rect(0, 100, hi, 300), Rect(0, 100, hi, 300)},
        {"work area at the far corner", {Rect(hi - 100, hi - 100, hi, hi)}, Rect(hi - 310, hi - 210, hi - 10, hi - 10),
         Rect(hi - 300, hi - 200, hi, hi)},
    });
}

TEST(GetWorkAreas, AppendsAndIncludesThePrimaryWorkArea) {
    Areas list = {Rect(1, 2, 3, 4)};
    GetWorkAreas(list);
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list.front(), Rect(1, 2, 3, 4));
    EXPECT_NE(std::find(list.begin() + 1, list.end(), PrimaryWorkArea()), list.end());
}

TEST(IntersectsAnyWorkArea, NeedsOneSharedPixel) {
    const Areas two = {kScreen, kRightOfScreen};
    struct Case {
        const char* what;
        TRect rect;
        bool expected;
    };
    const Case cases[] = {
        {"inside the first", Rect(980, 800, 1280, 1000), true},
        {"inside the second", Rect(2000, 100, 2300, 300), true},
        {"across the border", Rect(1200, 100, 1500, 300), true},
        {"one pixel in the corner", Rect(-299, -199, 1, 1), true},
        {"touching the left edge from outside", Rect(-300, 100, 0, 300), false},
        {"touching the bottom from below", Rect(100, 1000, 400, 1200), false},
        {"beyond the right monitor", Rect(2560, 100, 2860, 300), false},
        {"where an unplugged monitor was", Rect(3000, 400, 3300, 600), false},
        {"far negative", Rect(-5000, -5000, -4700, -4800), false},
        {"empty", Rect(500, 500, 500, 700), false},
        {"inverted", Rect(700, 700, 400, 500), false},
    };
    for (const Case& c : cases) EXPECT_EQ(IntersectsAnyWorkArea(c.rect, two), c.expected) << c.what;
    EXPECT_FALSE(IntersectsAnyWorkArea(Rect(0, 0, 300, 200), {}));
}

TEST(RectOnScreen, KeepsAVisibleRectangleAndRecallsALostOne) {
    const TRect fallback = Rect(980, 800, 1280, 1000);
    const Areas one = {kScreen};
    EXPECT_EQ(RectOnScreen(Rect(1200, 900, 1500, 1100), one, fallback), Rect(1200, 900, 1500, 1100));  // partly on
    EXPECT_EQ(RectOnScreen(Rect(1300, 300, 1600, 500), one, fallback), fallback);  // monitor unplugged
    EXPECT_EQ(RectOnScreen(Rect(1300, 300, 1600, 500), {kScreen, kRightOfScreen}, fallback), Rect(1300, 300, 1600, 500));
    EXPECT_EQ(RectOnScreen(Rect(0, 0, 300, 200), {}, fallback), fallback);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
