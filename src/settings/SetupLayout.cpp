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

// Spacing in dialog units, as Windows' own dialogs have it.
struct TSpacing {
    int32_t ColumnGap, RowGap, GroupGapX, GroupGapY;
    explicit TSpacing(const TLayoutUnits& u) : ColumnGap(u.X(6)), RowGap(u.Y(3)), GroupGapX(u.X(4)), GroupGapY(u.Y(4)) {}
};

TLayoutSize NeedOf(const TSetupMeasures& m, int id) {
    const auto found = m.Needs.find(id);
    return found == m.Needs.end() ? TLayoutSize {} : found->second;
}

TGridCell Cell(const TSetupMeasures& m, int id, int row, int column, bool fill = false, int span = 1) {
    TGridCell c;
    c.Id = id, c.Row = row, c.Column = column, c.ColumnSpan = span, c.Need = NeedOf(m, id), c.FillWidth = fill;
    return c;
}

// A group box at `frame` and its content inside.
void PlaceGroup(TPageContent& page, const TGroupInsets& insets, int id, const TGrid& content, const TRect& frame) {
    page.Rects[id] = frame;
    for (const auto& placed :
         content.Place(frame.Left + insets.Side, frame.Top + insets.Top, frame.Right - frame.Left - 2 * insets.Side)) {
        page.Rects[placed.first] = placed.second;
        page.GroupOf[placed.first] = id;
    }
}

// A spin edit: the up-down buttons take the right of the field's cell.
void SplitSpin(TPageContent& page, int32_t upDownWidth, int editId, int upDownId) {
    TRect& edit = page.Rects[editId];
    edit.Right -= upDownWidth;
    page.Rects[upDownId] = TRect(edit.Right, edit.Top, edit.Right + upDownWidth, edit.Bottom);
    page.GroupOf[upDownId] = page.GroupOf[editId];
}

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

TPageContent LayoutPopupPage(const TSetupMeasures& m, TLayoutSize area) {
    const TLayoutUnits& u = m.Units;
    const TSpacing gap(u);
    const TGroupInsets insets(u);
    // The hint time's label stands over its field, beside the check boxes.
    const TGrid hint {{Cell(m, Setup::idAutoHideHint, 0, 0), Cell(m, Setup::idHintTimeLabel, 0, 1),
                       Cell(m, Setup::idUseFading, 1, 0), Cell(m, Setup::idHintTimeEdit, 1, 1, true),
                       Cell(m, Setup::idDisplayWhenOEActive, 2, 0, false, 2)},
                      gap.ColumnGap, gap.RowGap};
    const TGrid colors {{Cell(m, Setup::idBeginColorLabel, 0, 0), Cell(m, Setup::idBeginColor, 0, 1, true),
                         Cell(m, Setup::idEndColorLabel, 1, 0), Cell(m, Setup::idEndColor, 1, 1, true)},
                        gap.ColumnGap, gap.RowGap};
    const TLayoutSize hintGroup = insets.Around(hint.Need()), colorsGroup = insets.Around(colors.Need());
    const TLayoutSize sample = NeedOf(m, Setup::idShowSample);
    // The groups at the left, the logo over the sample button at the right.
    const int32_t rightWidth = std::max(m.Logo.Width, sample.Width);
    const int32_t leftWidth = std::max(hintGroup.Width, colorsGroup.Width);
    TPageContent page;
    page.Size = {std::max(area.Width, leftWidth + gap.GroupGapX + rightWidth),
                 std::max({area.Height, hintGroup.Height + gap.GroupGapY + colorsGroup.Height,
                           m.Logo.Height + gap.GroupGapY + sample.Height})};
    const int32_t groupsRight = page.Size.Width - gap.GroupGapX - rightWidth;
    PlaceGroup(page, insets, Setup::idHintGroup, hint, TRect(0, 0, groupsRight, hintGroup.Height));
    const int32_t colorsTop = hintGroup.Height + gap.GroupGapY;
    PlaceGroup(page, insets, Setup::idColorsGroup, colors,
               TRect(0, colorsTop, groupsRight, colorsTop + colorsGroup.Height));
    SplitSpin(page, m.UpDownWidth, Setup::idHintTimeEdit, Setup::idHintTimeUpDown);
    const int32_t rightLeft = groupsRight + gap.GroupGapX;
    const int32_t logoLeft = rightLeft + (rightWidth - m.Logo.Width) / 2;
    page.Rects[Setup::idLogo] = TRect(logoLeft, 0, logoLeft + m.Logo.Width, m.Logo.Height);
    const int32_t sampleLeft = rightLeft + (rightWidth - sample.Width) / 2;
    const int32_t sampleTop = m.Logo.Height + gap.GroupGapY;
    page.Rects[Setup::idShowSample] = TRect(sampleLeft, sampleTop, sampleLeft + sample.Width, sampleTop + sample.Height);
    return page;
}

TPageContent LayoutAlertsPage(const TSetupMeasures& m, TLayoutSize area) {
    const TSpacing gap(m.Units);
    const TGroupInsets insets(m.Units);
    const TGrid alerts {{Cell(m, Setup::idSummarizeBursts, 0, 0), Cell(m, Setup::idPlaySound, 1, 0),
                         Cell(m, Setup::idQuietFullScreen, 2, 0), Cell(m, Setup::idStartWithWindows, 3, 0),
                         Cell(m, Setup::idShowUnreadCount, 4, 0), Cell(m, Setup::idShowAgainLabel, 5, 0),
                         Cell(m, Setup::idShowAgainHotkey, 6, 0, true), Cell(m, Setup::idShowAgainTaken, 7, 0),
                         Cell(m, Setup::idHoldWhileAway, 8, 0), Cell(m, Setup::idAwayMinutesEdit, 9, 0)},
                        gap.ColumnGap, gap.RowGap};
    const TLayoutSize group = insets.Around(alerts.Need());
    TPageContent page;
    page.Size = {std::max(area.Width, group.Width), std::max(area.Height, group.Height)};
    PlaceGroup(page, insets, Setup::idAlertsGroup, alerts, TRect(0, 0, page.Size.Width, group.Height));
    SplitSpin(page, m.UpDownWidth, Setup::idAwayMinutesEdit, Setup::idAwayMinutesUpDown);
    return page;
}

TPageContent LayoutFoldersPage(const TSetupMeasures& m, TLayoutSize area) {
    const TSpacing gap(m.Units);
    const TGroupInsets insets(m.Units);
    const TGrid looks {{Cell(m, Setup::idFolderColorLabel, 0, 0), Cell(m, Setup::idFolderColor, 0, 1, true),
                        Cell(m, Setup::idFolderSoundLabel, 1, 0), Cell(m, Setup::idFolderSound, 1, 1, true)},
                       gap.ColumnGap, gap.RowGap};
    const TLayoutSize tree = NeedOf(m, Setup::idFolderTree), looksNeed = looks.Need();
    const TLayoutSize group =
        insets.Around({std::max(tree.Width, looksNeed.Width), tree.Height + gap.RowGap + looksNeed.Height});
    TPageContent page;
    page.Size = {std::max(area.Width, group.Width), std::max(area.Height, group.Height)};
    // The folder's colour and sound at the bottom of the group, the tree
    // taking the height above them.
    const int32_t innerLeft = insets.Side, innerWidth = page.Size.Width - 2 * insets.Side;
    const int32_t looksTop = page.Size.Height - insets.Bottom - looksNeed.Height;
    page.Rects[Setup::idFoldersGroup] = TRect(0, 0, page.Size.Width, page.Size.Height);
    page.Rects[Setup::idFolderTree] = TRect(innerLeft, insets.Top, innerLeft + innerWidth, looksTop - gap.RowGap);
    page.GroupOf[Setup::idFolderTree] = Setup::idFoldersGroup;
    for (const auto& placed : looks.Place(innerLeft, looksTop, innerWidth)) {
        page.Rects[placed.first] = placed.second;
        page.GroupOf[placed.first] = Setup::idFoldersGroup;
    }
    return page;
}

TPageContent LayoutRulesPage(const TSetupMeasures& m, TLayoutSize area) {
    const TSpacing gap(m.Units);
    const TGroupInsets insets(m.Units);
    // The rule's field over what a rule may be; under it each list below
    // its label, with its buttons in a column at its right.
    const TGrid rule {{Cell(m, Setup::idRuleLabel, 0, 0), Cell(m, Setup::idRuleEdit, 0, 1, true),
                       Cell(m, Setup::idRuleHint, 1, 0, false, 2)},
                      gap.ColumnGap, gap.RowGap};
    struct TList {
        int Label, List, Buttons[3];
    };
    const TList lists[] = {
        {Setup::idNeverLabel, Setup::idNeverList, {Setup::idNeverAdd, Setup::idNeverChange, Setup::idNeverRemove}},
        {Setup::idAlwaysLabel, Setup::idAlwaysList, {Setup::idAlwaysAdd, Setup::idAlwaysChange, Setup::idAlwaysRemove}},
    };
    TLayoutSize button, label, list;
    for (const TList& l : lists) {
        for (int id : l.Buttons) {
            button = {std::max(button.Width, NeedOf(m, id).Width), std::max(button.Height, NeedOf(m, id).Height)};
        }
        label = {std::max(label.Width, NeedOf(m, l.Label).Width), std::max(label.Height, NeedOf(m, l.Label).Height)};
        list = {std::max(list.Width, NeedOf(m, l.List).Width), std::max(list.Height, NeedOf(m, l.List).Height)};
    }
    const int32_t listHeight = std::max(list.Height, 3 * button.Height + 2 * gap.RowGap);
    const int32_t sectionHeight = label.Height + gap.RowGap + listHeight;
    const TLayoutSize ruleNeed = rule.Need();
    const TLayoutSize group = insets.Around({std::max({ruleNeed.Width, label.Width, list.Width + gap.ColumnGap + button.Width}),
                                             ruleNeed.Height + 2 * (gap.GroupGapY + sectionHeight)});
    TPageContent page;
    page.Size = {std::max(area.Width, group.Width), std::max(area.Height, group.Height)};
    page.Rects[Setup::idRulesGroup] = TRect(0, 0, page.Size.Width, page.Size.Height);
    const int32_t innerLeft = insets.Side, innerRight = page.Size.Width - insets.Side;
    for (const auto& placed : rule.Place(innerLeft, insets.Top, innerRight - innerLeft))
        page.Rects[placed.first] = placed.second;
    // The lists share the height the page has beyond its need.
    const int32_t taller = listHeight + (page.Size.Height - group.Height) / 2;
    int32_t top = insets.Top + ruleNeed.Height + gap.GroupGapY;
    for (const TList& l : lists) {
        page.Rects[l.Label] = TRect(innerLeft, top, innerLeft + NeedOf(m, l.Label).Width, top + label.Height);
        top += label.Height + gap.RowGap;
        const int32_t buttonsLeft = innerRight - button.Width;
        page.Rects[l.List] = TRect(innerLeft, top, buttonsLeft - gap.ColumnGap, top + taller);
        for (int i = 0; i < 3; ++i) {
            const int32_t buttonTop = top + i * (button.Height + gap.RowGap);
            page.Rects[l.Buttons[i]] = TRect(buttonsLeft, buttonTop, innerRight, buttonTop + button.Height);
        }
        top += taller + gap.GroupGapY;
    }
    for (const auto& placed : page.Rects)
        if (placed.first != Setup::idRulesGroup) page.GroupOf[placed.first] = Setup::idRulesGroup;
    return page;
}

TSetupLayout LayoutSetupDialog(const TSetupMeasures& m) {
    static const TPageLayout kPages[Setup::kPageCount] = {LayoutPopupPage, LayoutAlertsPage, LayoutFoldersPage,
                                                          LayoutRulesPage};
    const TLayoutUnits& u = m.Units;
    const TSpacing gap(u);
    const int32_t marginX = u.X(7), marginY = u.Y(7), padX = u.X(7), padY = u.Y(7);
    const TRect& frame = m.PageFrame;
    const int32_t frameWidth = frame.Left + frame.Right + 2 * padX, frameHeight = frame.Top + frame.Bottom + 2 * padY;

    // Every page as large as the largest, and the tabs in a row above them.
    TLayoutSize area {NeedOf(m, Setup::idPages).Width - frameWidth, 0};
    for (TPageLayout page : kPages) {
        const TLayoutSize need = page(m, {}).Size;
        area = {std::max(area.Width, need.Width), std::max(area.Height, need.Height)};
    }
    TSetupLayout layout;
    TRect& pages = layout.Rects[Setup::idPages] =
        TRect(marginX, marginY, marginX + frameWidth + area.Width, marginY + frameHeight + area.Height);
    const int32_t pageLeft = pages.Left + frame.Left + padX, pageTop = pages.Top + frame.Top + padY;
    for (int index = 0; index < Setup::kPageCount; ++index) {
        const TPageContent page = kPages[index](m, area);
        for (const auto& [id, r] : page.Rects) {
            layout.Rects[id] = TRect(r.Left + pageLeft, r.Top + pageTop, r.Right + pageLeft, r.Bottom + pageTop);
            layout.PageOf[id] = index;
        }
        for (const auto& [id, group] : page.GroupOf) layout.GroupOf[id] = group;
    }

    // The language at the bottom left, OK and Cancel alike at the bottom
    // right, under the pages.
    const TLayoutSize ok = NeedOf(m, Setup::idOk), cancel = NeedOf(m, Setup::idCancel);
    const int32_t buttonWidth = std::max(ok.Width, cancel.Width);
    const int32_t buttonHeight = std::max(ok.Height, cancel.Height);
    const TGrid language {{Cell(m, Setup::idLanguageLabel, 0, 0), Cell(m, Setup::idLanguage, 0, 1)},
                          gap.ColumnGap, gap.RowGap};
    const TLayoutSize languageRow = language.Need();
    const int32_t rowHeight = std::max(buttonHeight, languageRow.Height), rowTop = pages.Bottom + u.Y(7);
    for (const auto& placed : language.Place(marginX, rowTop + (rowHeight - languageRow.Height) / 2, languageRow.Width))
        layout.Rects[placed.first] = placed.second;
    // Buttons and language never meet: the dialog widens rather.
    const int32_t buttonsWidth = 2 * buttonWidth + u.X(4);
    const int32_t right = std::max(pages.Right, marginX + languageRow.Width + u.X(12) + buttonsWidth);
    pages.Right = right;
    const int32_t buttonTop = rowTop + (rowHeight - buttonHeight) / 2;
    layout.Rects[Setup::idCancel] = TRect(right - buttonWidth, buttonTop, right, buttonTop + buttonHeight);
    layout.Rects[Setup::idOk] = TRect(right - buttonsWidth, buttonTop, right - buttonWidth - u.X(4), buttonTop + buttonHeight);
    layout.Client = {right + marginX, rowTop + rowHeight + marginY};
    return layout;
}

TRect CentredOn(const TRect& workArea, TLayoutSize outer) {
    const int32_t left = std::max(workArea.Left, workArea.Left + (workArea.Right - workArea.Left - outer.Width) / 2);
    const int32_t top = std::max(workArea.Top, workArea.Top + (workArea.Bottom - workArea.Top - outer.Height) / 2);
    return TRect(left, top, left + outer.Width, top + outer.Height);
}

}  // namespace pellumo
