// The colour combo box's window: a standard combo box that the control draws
// itself. Its parent receives the drawing requests and selection changes
// and passes them on through ParentMessage, as Win32 owner drawing asks.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "controls/ColorCombo.h"
#include "controls/GradientPanelPaint.h"
#include "platform/Exception.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"

namespace pellumo {

namespace {

const int kDropDownCount = 8;

// List entries a little taller than the text, so the swatches read.
int ItemHeightIn(HWND window, HFONT font) {
    const int text = MeasureText(window, font, "Ag", SIZE {0, 13}).cy;
    return text + (text + 2) / 4;
}

RECT ToRECT(const TRect& r) { return RECT {r.Left, r.Top, r.Right, r.Bottom}; }
TRect ToRect(const RECT& r) { return TRect(r.left, r.top, r.right, r.bottom); }

void Fill(HDC dc, const TRect& r, COLORREF color) {
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    const RECT rect = ToRECT(r);
    SetBkColor(dc, color);
    // Fills with the background colour without making a brush.
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

}  // namespace

// The combo box window is this object's from its creation until it or its
// parent is destroyed; Hwnd() is null afterwards.
class TColorCombo::TImpl : public TWindow {
public:
    TImpl(TColorCombo& owner, HWND parent, int id, int left, int top, int width, int height, HFONT font);
    ~TImpl() override;

    TColorList list;

    // Entries and selection of the window as the list has them.
    void SyncItems();
    void SyncSelection();
    bool ParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void DrawItem(const DRAWITEMSTRUCT& item);
    void Changed();

    TColorCombo& owner_;
    int id_;
    HFONT font_;
    int itemHeight_;
};

namespace {
// The width of a combo showing the widest of those entries.
int32_t WidthFor(HWND window, HFONT font, bool systemColors) {
    TColorList list;
    list.BuildItems();
    // Every entry a combo may hold: "Default" and "Custom" too.
    list.SetDefaultEntry(0);
    list.SetUseCustomColor(true);
    int widest = 0;
    for (const TColorListItem& item : list.Items())
        if (systemColors || !IsSystemColor(item.Color))
            widest = std::max<int>(widest, MeasureText(window, font, item.Text, SIZE {0, 0}).cx);
    // The text starts 2 px into its part (DrawItem); the frame and the
    // button are the system's.
    return ColorSwatchAreaWidth(TColorCombo::ItemHeight(window, font)) + 2 + widest + 2 +
           GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXEDGE);
}
}  // namespace

TColorCombo::TImpl::TImpl(TColorCombo& owner, HWND parent, int id, int left, int top, int width, int height,
                            HFONT font)
    : owner_(owner), id_(id), font_(font), itemHeight_(ItemHeightIn(parent, font)) {
    // For a drop-down list the window's height is the opened height; the
    // closed height follows the field's item height, set below.
    const int openHeight = height + kDropDownCount * itemHeight_ + 2;
    // Unicode, like the dialog it sits on.
    CreateControl(L"COMBOBOX", 0, L"",
                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED |
                      CBS_HASSTRINGS,
                  left, top, width, openHeight, parent, id, TText::CannotCreateColorCombo);
    const HWND hwnd = Hwnd();
    if (font_) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(hwnd, CB_SETITEMHEIGHT, 0, itemHeight_);
    // Common controls 6 size the drop-down by entries (older ones ignore this).
    SendMessageW(hwnd, CB_SETMINVISIBLE, kDropDownCount, 0);
    // The list shows every name whole, however narrow the field.
    SendMessageW(hwnd, CB_SETDROPPEDWIDTH, WidthFor(parent, font_, true), 0);
    // The frame around the field is the system's; the field takes the rest
    // of the height asked for. Systems differ in what the field's height
    // includes, so the closed height is measured after each try.
    LRESULT field = SendMessageW(hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 3 && field != CB_ERR; ++attempt) {
        RECT closed {};
        GetWindowRect(hwnd, &closed);
        const int off = height - (closed.bottom - closed.top);
        if (off == 0 || field + off <= 0) break;
        field += off;
        SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    list.OnChange = [this] { Changed(); };
    // The entries are made with the window, as the list expects.
    list.BuildItems();
    SyncItems();
}

TColorCombo::TImpl::~TImpl() {
    list.OnChange = nullptr;
    // Unless its parent has destroyed it already.
    Destroy();
}

void TColorCombo::TImpl::SyncItems() {
    if (!Hwnd()) return;
    SendMessageW(Hwnd(), CB_RESETCONTENT, 0, 0);
    for (const TColorListItem& item : list.Items())
        SendMessageW(Hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(item.Text).c_str()));
    SyncSelection();
}

void TColorCombo::TImpl::SyncSelection() {
    if (!Hwnd() || !IsWindow(Hwnd())) return;
    const int index = list.ItemIndex();
    if (SendMessageW(Hwnd(), CB_GETCURSEL, 0, 0) != index) SendMessageW(Hwnd(), CB_SETCURSEL, index, 0);
    // The "Custom" entry may carry a new colour under the same selection.
    InvalidateRect(Hwnd(), nullptr, FALSE);
}

void TColorCombo::TImpl::Changed() {
    // Entries come and go only with UseCustomColor; the count tells.
    if (Hwnd() && SendMessageW(Hwnd(), CB_GETCOUNT, 0, 0) != static_cast<LRESULT>(list.Items().size()))
        SyncItems();
    else
        SyncSelection();
    if (owner_.OnChange) owner_.OnChange();
}

bool TColorCombo::TImpl::ParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (!item || item->CtlType != ODT_COMBOBOX || item->hwndItem != Hwnd()) return false;
            DrawItem(*item);
            result = TRUE;
            return true;
        }
        case WM_MEASUREITEM: {
            // Asked while the window is being made, before its handle is
            // known here: recognised by its identifier.
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (!item || item->CtlType != ODT_COMBOBOX || static_cast<int>(item->CtlID) != id_) return false;
            item->itemHeight = itemHeight_;
            result = TRUE;
            return true;
        }
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) != Hwnd() || !Hwnd()) return false;
            if (HIWORD(wParam) == CBN_SELCHANGE)
                list.SelectItem(static_cast<int>(SendMessageW(Hwnd(), CB_GETCURSEL, 0, 0)));
            result = 0;
            return HIWORD(wParam) == CBN_SELCHANGE;
    }
    return false;
}

void TColorCombo::TImpl::DrawItem(const DRAWITEMSTRUCT& item) {
    const HDC dc = item.hDC;
    const bool closed = (item.itemState & ODS_COMBOBOXEDIT) != 0;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool enabled = !(item.itemState & ODS_DISABLED) && IsWindowEnabled(Hwnd());
    const TColorEntryLayout layout =
        LayoutColorEntry(ToRect(item.rcItem), closed, ColorSwatchAreaWidth(itemHeight_));
    const auto& items = list.Items();
    const int index = static_cast<int>(item.itemID);
    const TColorListItem* entry = index >= 0 && index < static_cast<int>(items.size()) ? &items[index] : nullptr;

    const int savedDc = SaveDC(dc);
    if (font_) SelectObject(dc, font_);
    // The closed control's insets show the field's own background.
    if (closed) Fill(dc, ToRect(item.rcItem), GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));

    const COLORREF background =
        !enabled ? GetSysColor(COLOR_BTNFACE) : GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    const COLORREF text =
        !enabled ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    Fill(dc, layout.SwatchArea, GetSysColor(COLOR_WINDOW));
    Fill(dc, layout.Text, background);

    if (entry) {
        const TRect& s = layout.Swatch;
        if (s.Right > s.Left && s.Bottom > s.Top) {
            // The frame, then the colour inside it; system colours as the
            // system shows them now.
            Fill(dc, s, GetSysColor(COLOR_WINDOWTEXT));
            Fill(dc, TRect(s.Left + 1, s.Top + 1, s.Right - 1, s.Bottom - 1),
                 ColorToRGB(entry->Color, SystemColorRGB));
        }
        RECT textRect = ToRECT(layout.Text);
        textRect.left += 2;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, text);
        const std::wstring name = WideFromUtf8(entry->Text);
        DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &textRect,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    RestoreDC(dc, savedDc);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        const RECT focus = ToRECT(layout.Text);
        SetBkColor(dc, background);
        SetTextColor(dc, text);
        DrawFocusRect(dc, &focus);
    }
}

TColorCombo::TColorCombo(void* parent, int id, int left, int top, int width, int height, void* font)
    : impl_(new TImpl(*this, static_cast<HWND>(parent), id, left, top, width, height, static_cast<HFONT>(font))) {}

TColorCombo::~TColorCombo() = default;

int32_t TColorCombo::ItemHeight(void* window, void* font) {
    return ItemHeightIn(static_cast<HWND>(window), static_cast<HFONT>(font));
}


int32_t TColorCombo::NeededWidth(void* window, void* font) {
    return WidthFor(static_cast<HWND>(window), static_cast<HFONT>(font), false);
}

TColor TColorCombo::SelectedColor() const { return impl_->list.SelectedColor(); }
TColor TColorCombo::CustomColor() const { return impl_->list.CustomColor(); }
bool TColorCombo::UseCustomColor() const { return impl_->list.UseCustomColor(); }
void TColorCombo::SetSelectedColor(TColor color) { impl_->list.SetSelectedColor(color); }
void TColorCombo::SetCustomColor(TColor color) { impl_->list.SetCustomColor(color); }
void TColorCombo::SetUseCustomColor(bool use) {
    impl_->list.SetUseCustomColor(use);
    // Adding the entry changes no selection, so no change told the window.
    if (SendMessageW(impl_->Hwnd(), CB_GETCOUNT, 0, 0) != static_cast<LRESULT>(impl_->list.Items().size()))
        impl_->SyncItems();
}
void TColorCombo::SetDefaultEntry(TColor shown) {
    impl_->list.SetDefaultEntry(shown);
    // A new entry, or the same one in another colour: the window follows.
    impl_->SyncItems();
}
const TColorList& TColorCombo::List() const { return impl_->list; }
void* TColorCombo::Handle() const { return impl_->Hwnd(); }

bool TColorCombo::ParentMessage(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
    LRESULT r = 0;
    if (!impl_->ParentMessage(message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam), r)) return false;
    result = static_cast<intptr_t>(r);
    return true;
}

}  // namespace pellumo
