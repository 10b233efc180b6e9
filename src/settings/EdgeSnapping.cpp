#include "settings/EdgeSnapping.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace pellumo {

namespace {

bool Within(int64_t value, int64_t low, int64_t high) { return low <= value && value <= high; }

// Shifts a pair of coordinates, unless either would leave the 32-bit range
// (only a nonsense rectangle gets that far); then the axis stays.
void Shift(int32_t& a, int32_t& b, int64_t by) {
    const int64_t na = a + by, nb = b + by;
    constexpr int64_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    if (!Within(na, lo, hi) || !Within(nb, lo, hi)) return;
    a = static_cast<int32_t>(na);
    b = static_cast<int32_t>(nb);
}

}  // namespace

// Everything in 64 bits: edges are 32-bit and their differences need not fit.
void SnapAxis(int32_t targetEdge, int32_t windowEdge, int32_t s1, int32_t s2, int32_t w1, int32_t w2, int64_t& best) {
    const int64_t candidate = int64_t(targetEdge) - windowEdge;
    if (std::llabs(candidate) >= std::llabs(best)) return;
    const int64_t d = kSnapDistance;
    const bool near = Within(s1, w1 - d, w2 + d) || Within(s2, w1 - d, w2 + d) || Within(w1, s1 - d, s2 + d) ||
                      Within(w2, s1 - d, s2 + d);
    if (near) best = candidate;
}

void SnapToWorkAreas(TRect& r, const std::vector<TRect>& workAreas) {
    int64_t bestX = kSnapDistance + 1, bestY = kSnapDistance + 1;
    for (const TRect& w : workAreas) {
        SnapAxis(w.Right, r.Left, w.Top, w.Bottom, r.Top, r.Bottom, bestX);
        SnapAxis(w.Left, r.Left, w.Top, w.Bottom, r.Top, r.Bottom, bestX);
        SnapAxis(w.Left, r.Right, w.Top, w.Bottom, r.Top, r.Bottom, bestX);
        SnapAxis(w.Right, r.Right, w.Top, w.Bottom, r.Top, r.Bottom, bestX);
        SnapAxis(w.Bottom, r.Top, w.Left, w.Right, r.Left, r.Right, bestY);
        SnapAxis(w.Top, r.Top, w.Left, w.Right, r.Left, r.Right, bestY);
        SnapAxis(w.Top, r.Bottom, w.Left, w.Right, r.Left, r.Right, bestY);
        SnapAxis(w.Bottom, r.Bottom, w.Left, w.Right, r.Left, r.Right, bestY);
    }
    if (std::llabs(bestX) > kSnapDistance) bestX = 0;
    if (std::llabs(bestY) > kSnapDistance) bestY = 0;
    Shift(r.Left, r.Right, bestX);
    Shift(r.Top, r.Bottom, bestY);
}

void SnapToWorkAreas(TRect& rect) {
    std::vector<TRect> areas;
    GetWorkAreas(areas);
    SnapToWorkAreas(rect, areas);
}

bool IsFullScreenWindow(const TFrontWindow& window, const TRect& monitor) {
    if (window.Framed && window.Zoomed) return false;
    const TRect& c = window.Client;
    return c.Left <= monitor.Left && c.Top <= monitor.Top && c.Right >= monitor.Right && c.Bottom >= monitor.Bottom;
}

bool IntersectsAnyWorkArea(const TRect& r, const std::vector<TRect>& workAreas) {
    for (const TRect& w : workAreas) {
        if (std::max(r.Left, w.Left) < std::min(r.Right, w.Right) && std::max(r.Top, w.Top) < std::min(r.Bottom, w.Bottom))
            return true;
    }
    return false;
}

TRect RectOnScreen(const TRect& rect, const std::vector<TRect>& workAreas, const TRect& fallback) {
    return IntersectsAnyWorkArea(rect, workAreas) ? rect : fallback;
}

}  // namespace pellumo
