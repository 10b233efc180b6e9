#pragma once
// Where the popup's labels and priority icon go in its client area. The
// places were designed for 13-pixel lines and 16-pixel icons (96 DPI); at
// larger fonts every distance grows with the font's line, so nothing is
// clipped or overlaps at 120 or 144 DPI.
#include <cstdint>

#include "app/Notification.h"
#include "platform/Geometry.h"

namespace pellumo {

struct TPopupMetrics {
    int32_t LineHeight = 13;  // a label's line: the font's height with its leading
    int32_t IconSize = 16;    // the priority icon's side: the system's small icon
    // A distance designed for 13-pixel lines, at this font (rounded).
    int32_t Scaled(int32_t designed) const { return (designed * LineHeight + 6) / 13; }
};

// Where the subject label and the priority icon go for a priority.
struct TSubjectLayout {
    int ImageIndex;  // -1: no icon
    int32_t Left;
    int32_t Width;
};

TSubjectLayout SubjectLayout(TMailPriority priority, int32_t panelWidth, const TPopupMetrics& metrics = {});

struct TPopupLayout {
    TRect Folder, Sender, Subject, Icon, Body;
};

// The labels in a client area of that size: the folder label as wide as its
// text (at most FolderLineRoom) at the top right, the sender at the top left stopping short of it,
// the subject from SubjectLeft to SubjectRightMargin before the right edge,
// the icon left of the subject, the body filling the rest. No width or
// height is negative, however small the window.
TPopupLayout LayoutPopup(int32_t clientWidth, int32_t clientHeight, const TPopupMetrics& metrics,
                         int32_t folderTextWidth, int32_t subjectLeft, int32_t subjectRightMargin);

// The widest the folder label may be in a client area this wide: half the
// line, so that the sender always keeps the other half however many folders
// a summary counts. A longer folder line is cut to it.
int32_t FolderLineRoom(int32_t clientWidth, const TPopupMetrics& metrics);

// The popup's smallest height, and its first size, at this font.
int32_t MinimumPopupHeight(const TPopupMetrics& metrics);

}  // namespace pellumo
