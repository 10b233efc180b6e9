#pragma once
// Where the setup dialog's controls go, computed from what they need: the
// dialog font's units and each control's measured size. Windows-free, so
// that the arrangement is tested natively at any font size and text length;
// the window side measures and places.
#include <cstdint>
#include <map>
#include <vector>

#include "platform/Geometry.h"

namespace pellumo {

struct TLayoutSize {
    int32_t Width = 0, Height = 0;
};

// Dialog units of a font: a quarter of its average character width across,
// an eighth of its height down, as Windows sizes its own dialogs. Spacing
// in these units grows with the font, and so with the screen's DPI.
struct TLayoutUnits {
    int32_t CharWidth = 6;
    int32_t LineHeight = 13;
    int32_t X(int32_t units) const { return (units * CharWidth + 2) / 4; }
    int32_t Y(int32_t units) const { return (units * LineHeight + 4) / 8; }
};

// Rows and columns of controls: a column is as wide as its widest cell, a row
// as high as its highest; a cell sits at its row's vertical middle, so that a
// label lines up with the field beside it. A cell may span columns.
struct TGridCell {
    int Id = 0;
    int Row = 0, Column = 0, ColumnSpan = 1;
    TLayoutSize Need;
    bool FillWidth = false;  // as wide as its columns (fields), else its own width
};

struct TGrid {
    std::vector<TGridCell> Cells;
    int32_t ColumnGap = 0, RowGap = 0;

    TLayoutSize Need() const;
    // Each cell's rectangle with the grid's top left at (left, top), `width`
    // wide (at least Need().Width; the last column takes what is left over).
    std::map<int, TRect> Place(int32_t left, int32_t top, int32_t width) const;
};

// What the window side measured: for every control of TSetupDialog by id,
// the size its text (with its box, frame or arrow) needs (idPages: the row
// of tabs, all of them side by side); the logo's picture; the up-down
// buttons' width beside the hint-time field (whose need includes them);
// what the tab control's frame and row of tabs take from each side of it
// (Left, Top, Right, Bottom).
struct TSetupMeasures {
    TLayoutUnits Units;
    std::map<int, TLayoutSize> Needs;
    TLayoutSize Logo;
    int32_t UpDownWidth = 0;
    TRect PageFrame;
};

struct TSetupLayout {
    TLayoutSize Client;
    // Every control and group box, in the dialog's client coordinates.
    std::map<int, TRect> Rects;
    // The group box that frames each control; the logo, the sample button,
    // the language, the buttons and the tab control stand alone.
    std::map<int, int> GroupOf;
    // The page (TSetupDialog::TPage) of each control on one; the tab
    // control, the language and the buttons are on every page.
    std::map<int, int> PageOf;
};

// One page's controls, laid out from (0, 0).
struct TPageContent {
    TLayoutSize Size;
    std::map<int, TRect> Rects;
    std::map<int, int> GroupOf;
};
// Lays out one page in `area` (at least the page's need; 0 x 0: as small as
// it may be). One for each TSetupDialog::TPage, in their order.
using TPageLayout = TPageContent (*)(const TSetupMeasures& measures, TLayoutSize area);
TPageContent LayoutPopupPage(const TSetupMeasures& measures, TLayoutSize area);
TPageContent LayoutAlertsPage(const TSetupMeasures& measures, TLayoutSize area);
TPageContent LayoutFoldersPage(const TSetupMeasures& measures, TLayoutSize area);
TPageContent LayoutRulesPage(const TSetupMeasures& measures, TLayoutSize area);

// The dialog: the pages one over another in a tab control as large as the
// largest, the language at the bottom left under it, OK and Cancel at the
// bottom right. Nothing overlaps and nothing is smaller than it needs: the
// dialog grows with its texts instead.
TSetupLayout LayoutSetupDialog(const TSetupMeasures& measures);

// Where a window of `outer` size goes: centred on `workArea`; one larger
// than the area keeps its top left corner (caption and close box) on it.
TRect CentredOn(const TRect& workArea, TLayoutSize outer);

}  // namespace pellumo
