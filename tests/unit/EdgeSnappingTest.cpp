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


std::string Show(const TRect& r) {
    return "(" + std::to_string(r.Left) + ", " + std::to_string(r.Top) + ", " + std::to_string(r.Right) + ", " +
           std::to_string(r.Bottom) + ")";
}

const TRect kScreen = TRect(0, 0, 1280, 1000);
const TRect kRightOfScreen = TRect(1280, 0, 2560, 1000);
const TRect kBelowScreen = TRect(0, 1000, 1280, 2024);
const TRect kLeftOfScreen = TRect(-1280, 0, 0, 1000);

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
        {"right edge 20 beyond: too far", {kScreen}, TRect(1000, 700, 1300, 900), TRect(1000, 700, 1300, 900)},
        {"right edge 10 beyond: back to 1280", {kScreen}, TRect(1000, 700, 1290, 900), TRect(990, 700, 1280, 900)},
        {"right edge 15 inside", {kScreen}, TRect(965, 700, 1265, 900), TRect(980, 700, 1280, 900)},
        {"right edge 16 inside", {kScreen}, TRect(964, 700, 1264, 900), TRect(964, 700, 1264, 900)},
        {"left edge 7 inside", {kScreen}, TRect(7, 300, 307, 500), TRect(0, 300, 300, 500)},
        {"left edge 7 outside", {kScreen}, TRect(-7, 300, 293, 500), TRect(0, 300, 300, 500)},
        {"top edge 12 below the top", {kScreen}, TRect(400, 12, 700, 212), TRect(400, 0, 700, 200)},
        {"bottom edge 9 above the taskbar", {kScreen}, TRect(400, 791, 700, 991), TRect(400, 800, 700, 1000)},
        {"corner: both axes", {kScreen}, TRect(990, 795, 1290, 995), TRect(980, 800, 1280, 1000)},
        {"middle of the screen stays", {kScreen}, TRect(400, 300, 700, 500), TRect(400, 300, 700, 500)},
        {"no work areas: nothing moves", {}, TRect(5, 5, 305, 205), TRect(5, 5, 305, 205)},
    });
}

TEST(SnapToWorkAreas, FlushAxisStays) {
    RunSnapCases({
        {"flush right, 10 from bottom", {kScreen}, TRect(980, 790, 1280, 990), TRect(980, 800, 1280, 1000)},
        // Flush left (0); the right edge 3 short of 1280 does not beat 0.
        {"flush left, right edge near", {kScreen}, TRect(0, 300, 1277, 500), TRect(0, 300, 1277, 500)},
        {"flush on both", {kScreen}, TRect(0, 0, 300, 200), TRect(0, 0, 300, 200)},
    });
}

TEST(SnapToWorkAreas, EqualMovesOfOppositeSignTakeTheFirstFound) {
    RunSnapCases({
        // Left 5 right of 0 (candidate 2: -5), right 5 left of 1280 (candidate 4: +5).
        {"horizontal", {kScreen}, TRect(5, 300, 1275, 500), TRect(0, 300, 1270, 500)},
        // Top 5 below 0 (candidate 6: -5), bottom 5 above 1000 (candidate 8: +5).
        {"vertical", {kScreen}, TRect(300, 5, 500, 995), TRect(300, 0, 500, 990)},
        // Candidate 1 of the first area (-5) against candidate 2 of the second (+5).
        {"across areas", {TRect(0, 0, 100, 1000), TRect(110, 0, 400, 1000)}, TRect(105, 300, 200, 500),
         TRect(100, 300, 195, 500)},
        // The same areas listed the other way round: now +5 comes first.
        {"across areas, reversed", {TRect(110, 0, 400, 1000), TRect(0, 0, 100, 1000)}, TRect(105, 300, 200, 500),
         TRect(110, 300, 205, 500)},
    });
}

TEST(SnapToWorkAreas, TwoMonitorsSideBySide) {
    const Areas two = {kScreen, kRightOfScreen};
    RunSnapCases({
        {"left edge 10 past the border", two, TRect(1290, 300, 1590, 500), TRect(1280, 300, 1580, 500)},
        {"right edge 5 short of the border", two, TRect(975, 300, 1275, 500), TRect(980, 300, 1280, 500)},
        {"straddling, left edge 10 short", two, TRect(1270, 300, 1570, 500), TRect(1280, 300, 1580, 500)},
        {"far right edge of the second", two, TRect(2250, 300, 2550, 500), TRect(2260, 300, 2560, 500)},
        {"bottom of the second", two, TRect(1500, 788, 1800, 988), TRect(1500, 800, 1800, 1000)},
    });
}

TEST(SnapToWorkAreas, TwoMonitorsStacked) {
    const Areas two = {kScreen, kBelowScreen};
    RunSnapCases({
        {"bottom edge 10 past the border", two, TRect(100, 810, 400, 1010), TRect(100, 800, 400, 1000)},
        {"top edge 8 past the border", two, TRect(100, 1008, 400, 1208), TRect(100, 1000, 400, 1200)},
        {"bottom of the lower one", two, TRect(100, 1820, 400, 2020), TRect(100, 1824, 400, 2024)},
    });
}

TEST(SnapToWorkAreas, AreaThatDoesNotReachTheWindowDoesNotAttract) {
    // A shorter monitor on the right, 500 high: its left edge is 10 from the
    // window's left edge, but only counts while the window reaches down to 515.
    const Areas shortOne = {TRect(1280, 0, 2560, 500)};
    RunSnapCases({
        {"16 below its bottom", shortOne, TRect(1290, 516, 1590, 716), TRect(1290, 516, 1590, 716)},
        // Now it counts; the top, 15 below the area's bottom, is pulled up onto it too.
        {"15 below its bottom", shortOne, TRect(1290, 515, 1590, 715), TRect(1280, 500, 1580, 700)},
        {"well below", shortOne, TRect(1290, 800, 1590, 1000), TRect(1290, 800, 1590, 1000)},
        // Across: the window's horizontal span must reach the area's for its bottom to count.
        {"bottom 5 away, 16 beside", {kScreen}, TRect(1296, 1005, 1596, 1205), TRect(1296, 1005, 1596, 1205)},
        {"bottom 5 away, 15 beside", {kScreen}, TRect(1295, 1005, 1595, 1205), TRect(1280, 1000, 1580, 1200)},
    });
}

TEST(SnapToWorkAreas, NegativeCoordinates) {
    RunSnapCases({
        {"monitor on the left, right edge 10 short of 0", {kLeftOfScreen, kScreen}, TRect(-310, 100, -10, 300),
         TRect(-300, 100, 0, 300)},
        {"monitor on the left, left edge 6 inside", {kScreen, kLeftOfScreen}, TRect(-1274, 100, -974, 300),
         TRect(-1280, 100, -980, 300)},
        {"monitor above, top 4 below its top", {kScreen, TRect(0, -1024, 1280, -30)}, TRect(200, -1020, 500, -820),
         TRect(200, -1024, 500, -824)},
        {"monitor above, bottom 12 past its taskbar", {kScreen, TRect(0, -1024, 1280, -30)}, TRect(200, -218, 500, -18),
         TRect(200, -230, 500, -30)},
    });
}

TEST(SnapToWorkAreas, ResizingShiftsTheWholeRectangleKeepingItsSize) {
    RunSnapCases({
        // Right border dragged to 8 short of the edge: the whole window moves 8 right.
        {"right border 8 short", {kScreen}, TRect(900, 700, 1272, 900), TRect(908, 700, 1280, 900)},
        {"bottom border 3 short", {kScreen}, TRect(900, 600, 1200, 997), TRect(900, 603, 1200, 1000)},
        {"left border dragged 6 past", {kScreen}, TRect(-6, 600, 400, 800), TRect(0, 600, 406, 800)},
    });
}

TEST(SnapToWorkAreas, OnlyEverShiftsByAtMostTheSnapDistanceOntoAnEdge) {
    const Areas areas = {kScreen, kRightOfScreen, TRect(-1024, -200, 0, 568)};
    for (int32_t left = -1100; left <= 2700; left += 37) {
        for (int32_t top = -260; top <= 1100; top += 29) {
            const TRect proposed = TRect(left, top, left + 300, top + 173);
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
        {"everything", {kScreen}, TRect(lo, lo, hi, hi), TRect(lo, lo, hi, hi)},
        // Left 10 right of the area's left edge, but moving would push Right past the range.
        {"a move that would overflow", {TRect(10, 0, 1280, 1000)}, TRect(0, 100, hi, 300), TRect(0, 100, hi, 300)},
        {"work area at the far corner", {TRect(hi - 100, hi - 100, hi, hi)}, TRect(hi - 310, hi - 210, hi - 10, hi - 10),
         TRect(hi - 300, hi - 200, hi, hi)},
    });
}

TEST(GetWorkAreas, AppendsAndIncludesThePrimaryWorkArea) {
    Areas list = {TRect(1, 2, 3, 4)};
    GetWorkAreas(list);
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list.front(), TRect(1, 2, 3, 4));
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
        {"inside the first", TRect(980, 800, 1280, 1000), true},
        {"inside the second", TRect(2000, 100, 2300, 300), true},
        {"across the border", TRect(1200, 100, 1500, 300), true},
        {"one pixel in the corner", TRect(-299, -199, 1, 1), true},
        {"touching the left edge from outside", TRect(-300, 100, 0, 300), false},
        {"touching the bottom from below", TRect(100, 1000, 400, 1200), false},
        {"beyond the right monitor", TRect(2560, 100, 2860, 300), false},
        {"where an unplugged monitor was", TRect(3000, 400, 3300, 600), false},
        {"far negative", TRect(-5000, -5000, -4700, -4800), false},
        {"empty", TRect(500, 500, 500, 700), false},
        {"inverted", TRect(700, 700, 400, 500), false},
    };
    for (const Case& c : cases) EXPECT_EQ(IntersectsAnyWorkArea(c.rect, two), c.expected) << c.what;
    EXPECT_FALSE(IntersectsAnyWorkArea(TRect(0, 0, 300, 200), {}));
}

TEST(IsFullScreenWindow, OnlyAProgramWhoseClientAreaCoversTheMonitor) {
    const TRect second(1280, 0, 2304, 768);
    const struct {
        const char* what;
        TFrontWindow window;
        TRect monitor;
        bool expected;
    } cases[] = {
        {"a presentation: no frame, exactly the monitor", {kScreen, false, false}, kScreen, true},
        {"a game: frame pushed off, client over all", {TRect(-4, -30, 1284, 1004), true, false}, kScreen, true},
        {"a film maximized without a frame", {kScreen, false, true}, kScreen, true},
        // No taskbar on this monitor: the frame sticks out past it.
        {"maximized with a caption", {TRect(0, 22, 1280, 1000), true, true}, kScreen, false},
        {"maximized, caption scrolled off", {TRect(0, 0, 1280, 1000), true, true}, kScreen, false},
        {"a framed window the work area's size", {TRect(0, 22, 1280, 970), true, false}, kScreen, false},
        {"one pixel short on the left", {TRect(1, 0, 1280, 1000), false, false}, kScreen, false},
        {"the whole second monitor", {second, false, false}, second, true},
        {"the first monitor's size on the second", {kScreen, false, false}, second, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsFullScreenWindow(c.window, c.monitor), c.expected) << c.what;
}

TEST(RectOnScreen, KeepsAVisibleRectangleAndRecallsALostOne) {
    const TRect fallback = TRect(980, 800, 1280, 1000);
    const Areas one = {kScreen};
    EXPECT_EQ(RectOnScreen(TRect(1200, 900, 1500, 1100), one, fallback), TRect(1200, 900, 1500, 1100));  // partly on
    EXPECT_EQ(RectOnScreen(TRect(1300, 300, 1600, 500), one, fallback), fallback);  // monitor unplugged
    EXPECT_EQ(RectOnScreen(TRect(1300, 300, 1600, 500), {kScreen, kRightOfScreen}, fallback), TRect(1300, 300, 1600, 500));
    EXPECT_EQ(RectOnScreen(TRect(0, 0, 300, 200), {}, fallback), fallback);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
