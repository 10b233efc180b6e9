#pragma once
// TColorCombo: the drop-down colour picker, an owner-drawn combo box whose
// entries and selection are a TColorList's. The window only mirrors the
// list (entries, selected entry) and hands the user's picks back to it.
// Windows-free, so dialogs and tests hold one without <windows.h>; handles
// travel as void*.
#include <cstdint>
#include <functional>
#include <memory>

#include "controls/ColorList.h"
#include "platform/Geometry.h"

namespace pellumo {

// Where one entry's parts go, in the entry's own coordinates.
struct TColorEntryLayout {
    TRect Entry;       // what is drawn: the closed control's field loses 2 px at top and bottom
    TRect SwatchArea;  // the first 30 px, in the control's background colour
    TRect Swatch;      // 28 px wide, 1 px in from the top and bottom, framed in the window-text colour
    TRect Text;        // from 30 px on: the entry's text on the entry background
};

constexpr int32_t kColorSwatchAreaWidth = 30;
constexpr int32_t kColorSwatchWidth = 28;
constexpr int32_t kColorClosedInset = 2;

// The parts of an entry drawn into `item`; `closedControl` for the selected
// entry shown in the closed control. The swatch area is `swatchAreaWidth`
// wide, the swatch 2 px narrower. Parts that do not fit come out empty
// (Right == Left or Bottom == Top), never inverted.
TColorEntryLayout LayoutColorEntry(const TRect& item, bool closedControl,
                                   int32_t swatchAreaWidth = kColorSwatchAreaWidth);

// The swatch area for entries `itemHeight` high: as wide for its height as
// the 30 x 16 of the design, so it grows with the font.
constexpr int32_t ColorSwatchAreaWidth(int32_t itemHeight) { return 2 * itemHeight - 2; }

class TColorCombo {
public:
    // A CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED combo box, child `id` of the
    // window `parent` (an HWND) at (left, top), `width` wide and `height` high
    // when closed, in `font` (an HFONT, or null for the system's). Its
    // entries are built at once with the first entry of SelectedColor (black)
    // selected. Throws Exception when the window cannot be made.
    TColorCombo(void* parent, int id, int left, int top, int width, int height, void* font);
    // Destroys the window unless its parent has already done so.
    ~TColorCombo();
    // How wide the closed control must be, in `font` (an HFONT) on
    // `window`, to show with its swatch and the drop-down button every
    // entry but the system colours; their longer names (in some languages
    // far longer) show whole in the list, which drops down as wide as the
    // widest, and cut with "…" in the closed field.
    static int32_t NeededWidth(void* window, void* font);
    // How high the entries are in `font`: the text with a little room.
    static int32_t ItemHeight(void* window, void* font);
    TColorCombo(const TColorCombo&) = delete;
    TColorCombo& operator=(const TColorCombo&) = delete;

    // After every change of the selected entry, by the user or by code;
    // SelectedColor already holds the new entry's colour.
    std::function<void()> OnChange;

    TColor SelectedColor() const;
    TColor CustomColor() const;
    bool UseCustomColor() const;
    // The list's rules (see TColorList); the window follows.
    void SetSelectedColor(TColor color);
    void SetCustomColor(TColor color);
    void SetUseCustomColor(bool use);
    // A first entry "Default" (kDefaultColor) drawn in Shown; see TColorList.
    void SetDefaultEntry(TColor shown);

    const TColorList& List() const;
    // The combo box's HWND.
    void* Handle() const;

    // The parent's window procedure offers it every message first: drawing
    // and measuring this control's entries and its selection changes are
    // this control's to answer. True when the message was taken, with the
    // window procedure's result in `result`.
    bool ParentMessage(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t& result);

private:
    class TImpl;
    std::unique_ptr<TImpl> impl_;
};

}  // namespace pellumo
