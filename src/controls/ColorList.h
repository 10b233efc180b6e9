#pragma once
// TColorCombo's entries and selection, free of any window: the owner-drawn
// combo box only mirrors Items() and ItemIndex() and reports the user's picks.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "controls/GradientPanel.h"
#include "texts/Language.h"

namespace pellumo {

struct TNamedColor {
    TText Name;  // TText::ColorMoneyGreen: "MoneyGreen"
    TColor Value;
};

constexpr size_t kNamedColorCount = 49;
// The named colours in list order.
extern const TNamedColor kNamedColors[kNamedColorCount];

// A colour is named when its 32-bit value is exactly one of the table's.
bool IsNamedColor(TColor color);

// SelectedColor when no entry is selected (the control's -1).
constexpr TColor kNoSelectedColor = 0xFFFFFFFFu;
// SelectedColor of the "Default" entry: no colour of its own (never a colour
// value: neither 0x00BBGGRR nor a system colour).
constexpr TColor kDefaultColor = 0xFFFFFFFEu;

struct TColorListItem {
    std::string Text;
    TColor Color;
};

class TColorList {
public:

    // Called whenever the selected entry changes, by the user or by code;
    // clearing the selection is a change too. SelectedColor already follows.
    std::function<void()> OnChange;

    TColor SelectedColor() const { return selectedColor_; }
    TColor CustomColor() const { return customColor_; }
    bool UseCustomColor() const { return useCustomColor_; }

    // A named colour selects its first entry; any other colour goes to the
    // "Custom" entry, or, without one, selects nothing. Setting the value the
    // control already has does nothing at all.
    void SetSelectedColor(TColor color);
    // Stores the colour; with the "Custom" entry it becomes the selected
    // colour and that entry is selected afresh (cleared, then set), so the
    // change is signalled even when "Custom" was selected already.
    void SetCustomColor(TColor color);
    // Adds or removes the "Custom" entry; losing a selected "Custom" entry
    // selects the first entry.
    void SetUseCustomColor(bool use);

    // A first entry "Default" standing for no colour of its own
    // (kDefaultColor), drawn in Shown (what the default is); calling it again
    // changes only the colour it is drawn in. Entries already built are made
    // again, the selection kept.
    void SetDefaultEntry(TColor shown);
    bool HasDefaultEntry() const { return hasDefault_; }

    // The entries are made when the control's window is: "Default" when
    // asked for, the named colours, then "Custom" carrying CustomColor, with
    // the first entry of SelectedColor's colour selected. Until then the
    // setters only store.
    void BuildItems();
    bool ItemsBuilt() const { return built_; }
    const std::vector<TColorListItem>& Items() const { return items_; }
    // -1 when nothing is selected.
    int ItemIndex() const { return itemIndex_; }

    // An entry picked by mouse or keyboard (-1 clears the selection).
    void SelectItem(int index);

private:
    void SetItemIndex(int index);
    int FirstIndexOf(TColor color) const;
    int NamedIndex() const { return hasDefault_ ? 1 : 0; }
    int CustomIndex() const { return NamedIndex() + static_cast<int>(kNamedColorCount); }

    TColor selectedColor_ = 0;
    TColor customColor_ = 0;
    bool useCustomColor_ = true;
    bool hasDefault_ = false;
    TColor defaultShown_ = 0;
    bool built_ = false;
    std::vector<TColorListItem> items_;
    int itemIndex_ = -1;
};

}  // namespace pellumo
