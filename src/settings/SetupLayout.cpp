#include "settings/SetupLayout.h"

#include <algorithm>

#include "settings/SetupDialog.h"

namespace pellumo {

namespace {

using Setup = TSetupDialog;

struct TGridTracks {
    std::vector<int32_t> Widths, Heights;
};

TGridTracks Tracks(const TGrid& grid) {
    TGridTracks t;
    for (const TGridCell& c : grid.Cells) {
        t.Widths.resize(std::max<size_t>(t.Widths.size(), c.Column + c.ColumnSpan), 0);
        t.Heights.resize(std::max<size_t>(t.Heights.size(), c.Row + 1), 0);
        t.Heights[c.Row] = std::max(t.Heights[c.Row], c.Need.Height);
        if (c.ColumnSpan == 1) t.Widths[c.Column] = std::max(t.Widths[c.Column], c.Need.Width);
    }
    // A cell across columns widens the last of them when they are too narrow together.
    for (const TGridCell& c : grid.Cells) {
        if (c.ColumnSpan == 1) continue;
        int32_t spanned = grid.ColumnGap * (c.ColumnSpan - 1);
        for (int i = 0; i < c.ColumnSpan; ++i) spanned += t.Widths[c.Column + i];
        if (spanned < c.Need.Width) t.Widths[c.Column + c.ColumnSpan - 1] += c.Need.Width - spanned;
    }
    return t;
}

int32_t Total(const std::vector<int32_t>& tracks, int32_t gap) {
    int32_t total = 0;
    for (int32_t t : tracks) total += t;
    return tracks.empty() ? 0 : total + gap * static_cast<int32_t>(tracks.size() - 1);
}

// A group box around content: its caption takes a line at the top.
struct TGroupInsets {
    int32_t Side, Top, Bottom;
    explicit TGroupInsets(const TLayoutUnits& u) : Side(u.X(6)), Top(u.LineHeight + u.Y(3)), Bottom(u.Y(6)) {}
    TLayoutSize Around(TLayoutSize content) const {
        return {content.Width + 2 * Side, content.Height + Top + Bottom};
    }
};

}  // namespace

TLayoutSize TGrid::Need() const {
    const TGridTracks t = Tracks(*this);
    return {Total(t.Widths, ColumnGap), Total(t.Heights, RowGap)};
}

std::map<int, TRect> TGrid::Place(int32_t left, int32_t top, int32_t width) const {
    TGridTracks t = Tracks(*this);
    if (!t.Widths.empty()) t.Widths.back() += std::max(0, width - Total(t.Widths, ColumnGap));
    std::vector<int32_t> lefts, tops;
    for (int32_t w : t.Widths) {
        lefts.push_back(left);
        left += w + ColumnGap;
    }
    for (int32_t h : t.Heights) {
        tops.push_back(top);
        top += h + RowGap;
    }
    std::map<int, TRect> placed;
    for (const TGridCell& c : Cells) {
        int32_t spanned = ColumnGap * (c.ColumnSpan - 1);
        for (int i = 0; i < c.ColumnSpan; ++i) spanned += t.Widths[c.Column + i];
        const int32_t x = lefts[c.Column];
        const int32_t y = tops[c.Row] + (t.Heights[c.Row] - c.Need.Height) / 2;
        placed[c.Id] = TRect(x, y, x + (c.FillWidth ? spanned : c.Need.Width), y + c.Need.Height);
    }
    return placed;
}

TSetupLayout LayoutSetupDialog(const TSetupMeasures& m) {
    const TLayoutUnits& u = m.Units;
    auto need = [&m](int id) {
        const auto found = m.Needs.find(id);
        return found == m.Needs.end() ? TLayoutSize {} : found->second;
    };
    auto cell = [&need](int id, int row, int column, bool fill = false, int span = 1) {
        TGridCell c;
        c.Id = id, c.Row = row, c.Column = column, c.ColumnSpan = span, c.Need = need(id), c.FillWidth = fill;
        return c;
    };
    const int32_t columnGap = u.X(6), rowGap = u.Y(3);
    const int32_t marginX = u.X(7), marginY = u.Y(7), groupGapX = u.X(4), groupGapY = u.Y(4);
    const TGroupInsets insets(u);

    // The hint time's label stands over its field, beside the check boxes.
    const TGrid hint {{cell(Setup::idAutoHideHint, 0, 0), cell(Setup::idHintTimeLabel, 0, 1),
                       cell(Setup::idUseFading, 1, 0), cell(Setup::idHintTimeEdit, 1, 1, true),
                       cell(Setup::idDisplayWhenOEActive, 2, 0, false, 2)},
                      columnGap, rowGap};
    const TGrid colors {{cell(Setup::idBeginColorLabel, 0, 0), cell(Setup::idBeginColor, 0, 1, true),
                         cell(Setup::idEndColorLabel, 1, 0), cell(Setup::idEndColor, 1, 1, true)},
                        columnGap, rowGap};
    const TGrid alerts {{cell(Setup::idSummarizeBursts, 0, 0), cell(Setup::idPlaySound, 1, 0),
                         cell(Setup::idQuietFullScreen, 2, 0), cell(Setup::idStartWithWindows, 3, 0),
                         cell(Setup::idShowUnreadCount, 4, 0), cell(Setup::idShowAgainLabel, 5, 0),
                         cell(Setup::idShowAgainHotkey, 6, 0, true), cell(Setup::idShowAgainTaken, 7, 0),
                         cell(Setup::idHoldWhileAway, 8, 0), cell(Setup::idAwayMinutesEdit, 9, 0)},
                        columnGap, rowGap};
    const TGrid folderLooks {{cell(Setup::idFolderColorLabel, 0, 0), cell(Setup::idFolderColor, 0, 1, true),
                              cell(Setup::idFolderSoundLabel, 1, 0), cell(Setup::idFolderSound, 1, 1, true)},
                             columnGap, rowGap};

    const TLayoutSize hintGroup = insets.Around(hint.Need()), colorsGroup = insets.Around(colors.Need());
    const TLayoutSize alertsGroup = insets.Around(alerts.Need());
    const TLayoutSize tree = need(Setup::idFolderTree), looks = folderLooks.Need();
    const TLayoutSize foldersGroup = insets.Around(
        {std::max(tree.Width, looks.Width), tree.Height + rowGap + looks.Height});

    const int32_t width1 = std::max(hintGroup.Width, colorsGroup.Width);
    const int32_t width2 = std::max(m.Logo.Width, alertsGroup.Width);
    const int32_t width3 = foldersGroup.Width;
    const int32_t height = std::max({hintGroup.Height + groupGapY + colorsGroup.Height,
                                     m.Logo.Height + groupGapY + alertsGroup.Height, foldersGroup.Height});
    const int32_t left1 = marginX, left2 = left1 + width1 + groupGapX, left3 = left2 + width2 + groupGapX;
    const int32_t top = marginY, bottom = top + height;

    TSetupLayout layout;
    // A group box over its column, and its content inside; the last group
    // of a column reaches down to the others' bottom.
    auto group = [&](int id, const TGrid& content, int32_t left, int32_t width, int32_t groupTop, int32_t groupBottom) {
        layout.Rects[id] = TRect(left, groupTop, left + width, groupBottom);
        for (const auto& placed : content.Place(left + insets.Side, groupTop + insets.Top, width - 2 * insets.Side)) {
            layout.Rects[placed.first] = placed.second;
            layout.GroupOf[placed.first] = id;
        }
    };
    group(Setup::idHintGroup, hint, left1, width1, top, top + hintGroup.Height);
    group(Setup::idColorsGroup, colors, left1, width1, top + hintGroup.Height + groupGapY, bottom);
    const int32_t logoLeft = left2 + (width2 - m.Logo.Width) / 2;
    layout.Rects[Setup::idLogo] = TRect(logoLeft, top, logoLeft + m.Logo.Width, top + m.Logo.Height);
    group(Setup::idAlertsGroup, alerts, left2, width2, top + m.Logo.Height + groupGapY, bottom);

    // The folder's colour and sound at the bottom of its group, the tree taking the height above them.
    const int32_t innerLeft = left3 + insets.Side, innerWidth = width3 - 2 * insets.Side;
    const int32_t colorTop = bottom - insets.Bottom - looks.Height;
    layout.Rects[Setup::idFoldersGroup] = TRect(left3, top, left3 + width3, bottom);
    layout.Rects[Setup::idFolderTree] = TRect(innerLeft, top + insets.Top, innerLeft + innerWidth, colorTop - rowGap);
    layout.GroupOf[Setup::idFolderTree] = Setup::idFoldersGroup;
    for (const auto& placed : folderLooks.Place(innerLeft, colorTop, innerWidth)) {
        layout.Rects[placed.first] = placed.second;
        layout.GroupOf[placed.first] = Setup::idFoldersGroup;
    }

    // The spin edits: the up-down buttons take the right of the field's cell.
    for (const auto& spin : {std::make_pair(Setup::idHintTimeEdit, Setup::idHintTimeUpDown),
                             std::make_pair(Setup::idAwayMinutesEdit, Setup::idAwayMinutesUpDown)}) {
        TRect& edit = layout.Rects[spin.first];
        edit.Right -= m.UpDownWidth;
        layout.Rects[spin.second] = TRect(edit.Right, edit.Top, edit.Right + m.UpDownWidth, edit.Bottom);
        layout.GroupOf[spin.second] = layout.GroupOf[spin.first];
    }

    // OK and Cancel alike, at the bottom right under the groups.
    const TLayoutSize ok = need(Setup::idOk), cancel = need(Setup::idCancel);
    const int32_t buttonWidth = std::max(ok.Width, cancel.Width);
    const int32_t buttonHeight = std::max(ok.Height, cancel.Height);
    const int32_t right = left3 + width3, buttonTop = bottom + u.Y(7);
    layout.Rects[Setup::idCancel] = TRect(right - buttonWidth, buttonTop, right, buttonTop + buttonHeight);
    layout.Rects[Setup::idOk] =
        TRect(right - 2 * buttonWidth - u.X(4), buttonTop, right - buttonWidth - u.X(4), buttonTop + buttonHeight);
    // The language at the bottom left, in line with the buttons.
    const TGrid language {{cell(Setup::idLanguageLabel, 0, 0), cell(Setup::idLanguage, 0, 1)}, columnGap, rowGap};
    const TLayoutSize languageRow = language.Need();
    const int32_t rowHeight = std::max(buttonHeight, languageRow.Height);
    for (const auto& placed : language.Place(left1, buttonTop + (rowHeight - languageRow.Height) / 2, languageRow.Width))
        layout.Rects[placed.first] = placed.second;
    // Buttons and language never meet: the dialog widens rather.
    const int32_t buttonsLeft = left1 + languageRow.Width + u.X(12);
    const int32_t shift = std::max(0, buttonsLeft - layout.Rects[Setup::idOk].Left);
    for (int id : {Setup::idOk, Setup::idCancel}) layout.Rects[id].Left += shift, layout.Rects[id].Right += shift;
    layout.Client = {right + shift + marginX, buttonTop + rowHeight + marginY};
    return layout;
}

}  // namespace pellumo
