#include "controls/ColorList.h"

namespace pellumo {

const TNamedColor kNamedColors[kNamedColorCount] = {
    {TText::ColorBlack, 0x000000},
    {TText::ColorMaroon, 0x000080},
    {TText::ColorGreen, 0x008000},
    {TText::ColorOlive, 0x008080},
    {TText::ColorNavy, 0x800000},
    {TText::ColorPurple, 0x800080},
    {TText::ColorTeal, 0x808000},
    {TText::ColorGray, 0x808080},
    {TText::ColorSilver, 0xC0C0C0},
    {TText::ColorRed, 0x0000FF},
    {TText::ColorLime, 0x00FF00},
    {TText::ColorYellow, 0x00FFFF},
    {TText::ColorBlue, 0xFF0000},
    {TText::ColorFuchsia, 0xFF00FF},
    {TText::ColorAqua, 0xFFFF00},
    {TText::ColorWhite, 0xFFFFFF},
    {TText::ColorMoneyGreen, 0xC0DCC0},
    {TText::ColorSkyBlue, 0xF0CAA6},
    {TText::ColorCream, 0xF0FBFF},
    {TText::ColorMedGray, 0xA4A0A0},
    {TText::ColorActiveBorder, 0x8000000A},
    {TText::ColorActiveCaption, 0x80000002},
    {TText::ColorAppWorkSpace, 0x8000000C},
    {TText::ColorBackground, 0x80000001},
    {TText::ColorBtnFace, 0x8000000F},
    {TText::ColorBtnHighlight, 0x80000014},
    {TText::ColorBtnShadow, 0x80000010},
    {TText::ColorBtnText, 0x80000012},
    {TText::ColorCaptionText, 0x80000009},
    {TText::ColorSystemDefault, 0x20000000},
    {TText::ColorGradientActiveCaption, 0x8000001B},
    {TText::ColorGradientInactiveCaption, 0x8000001C},
    {TText::ColorGrayText, 0x80000011},
    {TText::ColorHighlight, 0x8000000D},
    {TText::ColorHighlightText, 0x8000000E},
    {TText::ColorInactiveBorder, 0x8000000B},
    {TText::ColorInactiveCaption, 0x80000003},
    {TText::ColorInactiveCaptionText, 0x80000013},
    {TText::ColorInfoBk, 0x80000018},
    {TText::ColorInfoText, 0x80000017},
    {TText::ColorMenu, 0x80000004},
    {TText::ColorMenuText, 0x80000007},
    {TText::ColorNone, 0x1FFFFFFF},
    {TText::ColorScrollBar, 0x80000000},
    {TText::Color3DDkShadow, 0x80000015},
    {TText::Color3DLight, 0x80000016},
    {TText::ColorWindow, 0x80000005},
    {TText::ColorWindowFrame, 0x80000006},
    {TText::ColorWindowText, 0x80000008},
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
        items_.push_back({Text(TText::ColorCustom), customColor_});
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
    items_.insert(items_.begin(), TColorListItem{Text(TText::ColorDefault), shown});
    // The same entry stays selected, one further down.
    itemIndex_ = kept >= 0 ? kept + 1 : kept;
}

void TColorList::BuildItems() {
    items_.clear();
    if (hasDefault_) items_.push_back({Text(TText::ColorDefault), defaultShown_});
    for (const TNamedColor& named : kNamedColors) items_.push_back({Text(named.Name), named.Value});
    if (useCustomColor_) items_.push_back({Text(TText::ColorCustom), customColor_});
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
