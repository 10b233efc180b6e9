#include "controls/ColorList.h"

namespace pellumo {

const TNamedColor kNamedColors[kNamedColorCount] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clActiveBorder", 0x8000000A},
    {"clActiveCaption", 0x80000002},
    {"clAppWorkSpace", 0x8000000C},
    {"clBackground", 0x80000001},
    {"clBtnFace", 0x8000000F},
    {"clBtnHighlight", 0x80000014},
    {"clBtnShadow", 0x80000010},
    {"clBtnText", 0x80000012},
    {"clCaptionText", 0x80000009},
    {"clDefault", 0x20000000},
    {"clGradientActiveCaption", 0x8000001B},
    {"clGradientInactiveCaption", 0x8000001C},
    {"clGrayText", 0x80000011},
    {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E},
    {"clInactiveBorder", 0x8000000B},
    {"clInactiveCaption", 0x80000003},
    {"clInactiveCaptionText", 0x80000013},
    {"clInfoBk", 0x80000018},
    {"clInfoText", 0x80000017},
    {"clMenu", 0x80000004},
    {"clMenuText", 0x80000007},
    {"clNone", 0x1FFFFFFF},
    {"clScrollBar", 0x80000000},
    {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},
    {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},
    {"clWindowText", 0x80000008},
};

bool IsNamedColor(TColor color) {
    for (const TNamedColor& named : kNamedColors)
        if (named.Value == color) return true;
    return false;
}

void TColorList::SetSelectedColor(TColor color) {
    if (color == selectedColor_) return;
    if (color == kDefaultColor && hasDefault_) {
        selectedColor_ = color;
        if (built_) SetItemIndex(0);
    } else if (IsNamedColor(color)) {
        selectedColor_ = color;
        if (built_) SetItemIndex(FirstIndexOf(color));
    } else if (useCustomColor_) {
        SetCustomColor(color);
    } else {
        selectedColor_ = kNoSelectedColor;
        if (built_) SetItemIndex(-1);
    }
}

void TColorList::SetCustomColor(TColor color) {
    customColor_ = color;
    if (!useCustomColor_) return;
    selectedColor_ = color;
    if (!built_) return;  // BuildItems selects it: "Custom" then carries SelectedColor
    items_[CustomIndex()].Color = color;
    SetItemIndex(-1);
    SetItemIndex(CustomIndex());
}

void TColorList::SetUseCustomColor(bool use) {
    // Only a change adds or removes the entry; a second "Custom" would never do.
    if (use == useCustomColor_) return;
    useCustomColor_ = use;
    if (!built_) return;
    if (use) {
        items_.push_back({kCustomText, customColor_});
        return;
    }
    if (itemIndex_ == CustomIndex()) itemIndex_ = -1;  // the entry is gone, and its selection with it
    items_.pop_back();
    if (itemIndex_ < 0) SetItemIndex(0);
}

void TColorList::SetDefaultEntry(TColor shown) {
    const bool added = !hasDefault_;
    hasDefault_ = true;
    defaultShown_ = shown;
    if (!built_) return;
    if (!added) {
        items_[0].Color = shown;
        return;
    }
    const int kept = itemIndex_;
    items_.insert(items_.begin(), TColorListItem{kDefaultText, shown});
    // The same entry stays selected, one further down.
    itemIndex_ = kept >= 0 ? kept + 1 : kept;
}

void TColorList::BuildItems() {
    items_.clear();
    if (hasDefault_) items_.push_back({kDefaultText, defaultShown_});
    for (const TNamedColor& named : kNamedColors) items_.push_back({named.Identifier + 2, named.Value});
    if (useCustomColor_) items_.push_back({kCustomText, customColor_});
    built_ = true;
    itemIndex_ = -1;  // a new window starts without a selection
    SetItemIndex(FirstIndexOf(selectedColor_));
}

void TColorList::SelectItem(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) return;
    SetItemIndex(index);
}

void TColorList::SetItemIndex(int index) {
    if (index == itemIndex_) return;
    itemIndex_ = index;
    if (index >= 0) selectedColor_ = hasDefault_ && index == 0 ? kDefaultColor : items_[index].Color;
    if (OnChange) OnChange();
}

int TColorList::FirstIndexOf(TColor color) const {
    if (hasDefault_ && color == kDefaultColor) return 0;
    for (size_t i = NamedIndex(); i < items_.size(); ++i)
        if (items_[i].Color == color) return static_cast<int>(i);
    return -1;
}

}  // namespace pellumo
