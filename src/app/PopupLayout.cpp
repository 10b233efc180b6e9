#include "app/PopupLayout.h"

#include <algorithm>

namespace pellumo {

namespace {

// A rectangle from its left, top, right and bottom, never inside out.
TRect Box(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return TRect(left, top, std::max(left, right), std::max(top, bottom));
}

}  // namespace

TSubjectLayout SubjectLayout(TMailPriority priority, int32_t panelWidth, const TPopupMetrics& metrics) {
    TSubjectLayout layout;
    switch (priority) {
        case mpHigh: layout.ImageIndex = 2; break;
        case mpLow: layout.ImageIndex = 3; break;
        default: layout.ImageIndex = -1; break;
    }
    // The subject starts right of the icon when there is one.
    layout.Left = layout.ImageIndex >= 0 ? metrics.Scaled(2) + metrics.IconSize + metrics.Scaled(4) : metrics.Scaled(8);
    // A window dragged narrower than the margins gets an empty label, not a
    // negative width.
    layout.Width = std::max<int32_t>(0, panelWidth - layout.Left - metrics.Scaled(2));
    return layout;
}

TPopupLayout LayoutPopup(int32_t clientWidth, int32_t clientHeight, const TPopupMetrics& metrics,
                         int32_t folderTextWidth, int32_t subjectLeft, int32_t subjectRightMargin) {
    auto s = [&](int32_t designed) { return metrics.Scaled(designed); };
    const int32_t line = metrics.LineHeight;
    TPopupLayout layout;
    const int32_t folderRight = clientWidth - s(8);
    const int32_t folderWidth = std::min(folderTextWidth, FolderLineRoom(clientWidth, metrics));
    layout.Folder = Box(folderRight - folderWidth, s(4), folderRight, s(4) + line);
    // A long sender stops short of a long folder label (or its count of
    // those waiting) rather than running into it.
    const int32_t senderRight = std::min(clientWidth - s(56), layout.Folder.Left - s(4));
    layout.Sender = Box(s(8), s(4), senderRight, s(4) + line);
    layout.Subject = Box(subjectLeft, s(24), clientWidth - subjectRightMargin, s(24) + line);
    layout.Icon = TRect(s(2), s(22), s(2) + metrics.IconSize, s(22) + metrics.IconSize);
    layout.Body = Box(s(8), s(64), clientWidth - s(8), clientHeight - s(8));
    return layout;
}

int32_t FolderLineRoom(int32_t clientWidth, const TPopupMetrics& metrics) {
    // The line from the sender's left margin to the folder's right one, less
    // the gap between them.
    return std::max<int32_t>(0, (clientWidth - metrics.Scaled(20)) / 2);
}

int32_t MinimumPopupHeight(const TPopupMetrics& metrics) { return metrics.Scaled(160); }

}  // namespace pellumo
