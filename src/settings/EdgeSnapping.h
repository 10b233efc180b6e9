#pragma once
// Pulling the popup's proposed rectangle onto nearby work-area edges while the
// user drags or resizes it. The maths takes the work areas as a list, so it is
// tested without monitors; GetWorkAreas supplies them from the system.
#include <cstdint>
#include <vector>

#include "platform/Geometry.h"

namespace pellumo {

// The largest move snapping makes, and the tolerance by which the window's
// extent must reach a work area's extent across the axis for its edges to count.
constexpr int32_t kSnapDistance = 15;

// Appends the work area of every display monitor in enumeration order; a
// monitor whose information cannot be queried is skipped.
void GetWorkAreas(std::vector<TRect>& list);

// One candidate: the move targetEdge - windowEdge replaces `best` when it is
// strictly smaller in size and the work-area span [s1, s2] and the window span
// [w1, w2] across the other axis come within kSnapDistance of each other.
void SnapAxis(int32_t targetEdge, int32_t windowEdge, int32_t s1, int32_t s2, int32_t w1, int32_t w2, int64_t& best);

// Shifts `rect` (never resizes it) by the smallest move of at most
// kSnapDistance per axis that lays one of its edges onto an edge of a work
// area reaching it; an axis without such a move stays.
void SnapToWorkAreas(TRect& rect, const std::vector<TRect>& workAreas);
// The same against the monitors as they are now.
void SnapToWorkAreas(TRect& rect);

// Whether `rect` shares at least one pixel with one of the work areas.
bool IntersectsAnyWorkArea(const TRect& rect, const std::vector<TRect>& workAreas);

// What the full-screen test looks at of the window in front.
struct TFrontWindow {
    TRect Client;     // its client area, in screen coordinates
    bool Framed;      // it has a caption or a sizing frame
    bool Zoomed;      // it is maximized
};

// Whether the window is a full-screen program (a presentation, a game, a
// film): its client area covers the whole monitor, and it is not merely a
// maximized window with a frame, whose outer edges stick out past a monitor
// that has no taskbar.
bool IsFullScreenWindow(const TFrontWindow& window, const TRect& monitor);

// Where to show the popup: `rect` when it meets a work area, otherwise
// `fallback`, so a popup left on an unplugged monitor comes back into view.
TRect RectOnScreen(const TRect& rect, const std::vector<TRect>& workAreas, const TRect& fallback);

}  // namespace pellumo
