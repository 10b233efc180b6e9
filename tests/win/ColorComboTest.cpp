// The colour combo box as a window: its entries and selection follow the
// colour list, the user's picks come back as SelectedColor with a change
// notification, and its entries are drawn with the swatch where it belongs.
// Needs a display (under Wine: Xvfb, see window-tests.sh); skipped without one.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/ColorCombo.h"
#include "platform/Window_win.h"
#include "win/Display.h"
#include "win/MessagePump.h"
#include "win/TestWindows.h"

namespace pellumo {
namespace test {
namespace {

constexpr int kComboId = 42;
constexpr TColor kUnnamed = 0x00EBB170;

// The parent window hands the combo box what is the combo box's, as the
// setup dialog does.
TColorCombo* hosted = nullptr;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    intptr_t result = 0;
    if (hosted && hosted->ParentMessage(message, wParam, lParam, result)) return result;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}


class ColorComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!DisplayUsable()) GTEST_SKIP() << "no display to show windows on";
        WNDCLASSA wc {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PellumoColorComboHost";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        RegisterClassA(&wc);
        host = CreateWindowExA(0, wc.lpszClassName, "Colour combo", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 300,
                               120, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(host);
        // The setup dialog's font: at 96 DPI its entries are the design's 16 pixels.
        font = CreateMessageFont();
        combo.reset(new TColorCombo(host, kComboId, 10, 10, 145, 21, font.Get()));
        hosted = combo.get();
        combo->OnChange = [this] {
            ++changes;
            seen.push_back(combo->SelectedColor());
        };
        hwnd = static_cast<HWND>(combo->Handle());
        ASSERT_TRUE(hwnd);
    }
    void TearDown() override {
        hosted = nullptr;
        combo.reset();
        if (host) DestroyWindow(host);
    }

    int CurSel() const { return static_cast<int>(SendMessageA(hwnd, CB_GETCURSEL, 0, 0)); }
    std::string Text(int index) const {
        char buffer[64] = {};
        if (SendMessageA(hwnd, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer)) == CB_ERR) return "(none)";
        return buffer;
    }
    int Count() const { return static_cast<int>(SendMessageA(hwnd, CB_GETCOUNT, 0, 0)); }
    // A key on the focused, closed combo box: it moves the selection itself
    // and reports the change to its parent.
    void Key(UINT key) {
        SetFocus(hwnd);
        SendMessageA(hwnd, WM_KEYDOWN, key, 0);
        SendMessageA(hwnd, WM_KEYUP, key, 0xC0000001);
    }

    // One entry drawn into a fresh 32-bit bitmap of `width` x `height`
    // pre-filled with `fill`, as the combo box would ask its parent to.
    std::vector<uint32_t> Draw(int index, UINT state, int width = 120, int height = 16, uint32_t fill = 0x00FF00FF) {
        test::TCanvas canvas(width, height, fill);
        DRAWITEMSTRUCT item {};
        item.CtlType = ODT_COMBOBOX;
        item.CtlID = kComboId;
        item.itemID = static_cast<UINT>(index);
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = hwnd;
        item.hDC = canvas.Dc();
        item.rcItem = RECT {0, 0, width, height};
        intptr_t result = 0;
        EXPECT_TRUE(combo->ParentMessage(WM_DRAWITEM, kComboId, reinterpret_cast<intptr_t>(&item), result));
        return canvas.Pixels();
    }

    HWND host = nullptr;
    HWND hwnd = nullptr;
    TFont font;
    std::unique_ptr<TColorCombo> combo;
    int changes = 0;
    std::vector<TColor> seen;
};

TEST_F(ColorComboTest, MirrorsTheColourListsEntriesAndSelection) {
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    EXPECT_EQ(CBS_DROPDOWNLIST, style & 3);
    EXPECT_TRUE(style & CBS_OWNERDRAWFIXED);
    RECT r {};
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(145, r.right - r.left);
    EXPECT_EQ(21, r.bottom - r.top) << "the closed height asked for";

    ASSERT_EQ(50, Count());
    const auto& items = combo->List().Items();
    for (int i = 0; i < Count(); ++i) EXPECT_EQ(items[i].Text, Text(i)) << i;
    EXPECT_EQ("Black", Text(0));
    EXPECT_EQ("MoneyGreen", Text(16));
    EXPECT_EQ("Custom", Text(49));
    EXPECT_EQ(0, CurSel()) << "SelectedColor starts black";

    combo->SetSelectedColor(0x8000001B);
    EXPECT_EQ("GradientActiveCaption", Text(CurSel()));
    combo->SetSelectedColor(0x00FFFFFF);
    EXPECT_EQ("White", Text(CurSel()));
    combo->SetSelectedColor(kUnnamed);
    EXPECT_EQ(49, CurSel());
    EXPECT_EQ(kUnnamed, combo->CustomColor());
    EXPECT_EQ(kUnnamed, combo->SelectedColor());
}

TEST_F(ColorComboTest, EveryChangeIsSignalledAndNoneForTheSameValue) {
    combo->SetSelectedColor(0x00FFFFFF);
    EXPECT_EQ(1, changes);
    combo->SetSelectedColor(0x00FFFFFF);
    EXPECT_EQ(1, changes) << "the value it already has";
    combo->SetSelectedColor(kUnnamed);
    EXPECT_EQ(3, changes) << "Custom is cleared, then selected";
    EXPECT_EQ(kUnnamed, seen.back());
    combo->SetSelectedColor(kUnnamed);
    EXPECT_EQ(3, changes);
}

TEST_F(ColorComboTest, UsersPicksComeBackAsTheSelectedColour) {
    combo->SetSelectedColor(kUnnamed);
    changes = 0;
    seen.clear();
    // Home: Black; then down the list to White, one change a key.
    Key(VK_HOME);
    EXPECT_EQ(0, CurSel());
    EXPECT_EQ(0u, combo->SelectedColor());
    for (int i = 0; i < 15; ++i) Key(VK_DOWN);
    EXPECT_EQ("White", Text(CurSel()));
    EXPECT_EQ(0x00FFFFFFu, combo->SelectedColor());
    EXPECT_EQ(16, changes);
    EXPECT_EQ(0x00FFFFFFu, seen.back());
    // End: back on Custom, which still carries its colour.
    Key(VK_END);
    EXPECT_EQ(49, CurSel());
    EXPECT_EQ(kUnnamed, combo->SelectedColor());
    EXPECT_EQ(17, changes);
    EXPECT_EQ(kUnnamed, seen.back());
    // At the end already: no change, nothing signalled.
    Key(VK_END);
    EXPECT_EQ(17, changes);
}

TEST_F(ColorComboTest, TheCustomEntryComesAndGoes) {
    combo->SetSelectedColor(kUnnamed);
    combo->SetUseCustomColor(false);
    EXPECT_EQ(49, Count());
    EXPECT_EQ(0, CurSel()) << "its selection went with it";
    EXPECT_EQ(0u, combo->SelectedColor());
    combo->SetUseCustomColor(true);
    ASSERT_EQ(50, Count());
    EXPECT_EQ("Custom", Text(49));
    EXPECT_EQ(0, CurSel());
    // Picked again, it still carries the colour it had.
    combo->SetSelectedColor(0x00FFFFFF);
    Key(VK_END);
    EXPECT_EQ(kUnnamed, combo->SelectedColor());
}

// The drawing: in an entry 16 pixels high the swatch spans x 1..28 and y
// 1..14, framed in the window-text colour; the rest of the first 30 pixels
// shows the window colour; the text part shows the entry background.
TEST_F(ColorComboTest, DrawsTheSwatchFrameAndBackgrounds) {
    const uint32_t window = GetSysColor(COLOR_WINDOW), frame = GetSysColor(COLOR_WINDOWTEXT),
                   highlight = GetSysColor(COLOR_HIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(window, frame);
    ASSERT_NE(window, highlight);
    ASSERT_NE(window, face);
    const int w = 120;
    auto at = [w](const std::vector<uint32_t>& p, int x, int y) { return p[size_t(y) * w + x]; };
    ASSERT_EQ(16, TColorCombo::ItemHeight(host, font.Get())) << "the screen at 96 DPI";

    const int red = 9;  // 0x0000FF
    std::vector<uint32_t> p = Draw(red, 0);
    EXPECT_EQ(window, at(p, 0, 8));
    EXPECT_EQ(window, at(p, 14, 0)) << "one pixel free above";
    EXPECT_EQ(window, at(p, 14, 15)) << "one pixel free below";
    EXPECT_EQ(window, at(p, 29, 8));
    EXPECT_EQ(frame, at(p, 1, 8));
    EXPECT_EQ(frame, at(p, 28, 8));
    EXPECT_EQ(frame, at(p, 14, 1));
    EXPECT_EQ(frame, at(p, 14, 14));
    EXPECT_EQ(0x0000FFu, at(p, 2, 2));
    EXPECT_EQ(0x0000FFu, at(p, 27, 13));
    EXPECT_EQ(window, at(p, w - 1, 0)) << "an unselected entry on the window colour";
    // The text is in the text part, drawn in the window-text colour.
    int ink = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 30; x < w; ++x) ink += at(p, x, y) == frame;
    EXPECT_GT(ink, 10);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < w; ++x) ASSERT_NE(0x00FF00FFu, at(p, x, y)) << "left undrawn at " << x << "," << y;

    // Selected: the text part turns highlight, the swatch area stays.
    p = Draw(red, ODS_SELECTED);
    EXPECT_EQ(highlight, at(p, w - 1, 0));
    EXPECT_EQ(highlight, at(p, 30, 15));
    EXPECT_EQ(window, at(p, 29, 8));
    EXPECT_EQ(window, at(p, 0, 0));

    // A system colour as the system shows it now.
    const int highlightEntry = 33;  // clHighlight
    p = Draw(highlightEntry, 0);
    EXPECT_EQ(highlight, at(p, 14, 8));

    // Disabled: the text part on the face colour.
    p = Draw(red, ODS_DISABLED);
    EXPECT_EQ(face, at(p, w - 1, 0));
    EXPECT_EQ(0x0000FFu, at(p, 14, 8));

    // The closed control: two pixels less at top and bottom.
    p = Draw(red, ODS_COMBOBOXEDIT | ODS_SELECTED);
    EXPECT_EQ(window, at(p, 14, 2));
    EXPECT_EQ(frame, at(p, 14, 3));
    EXPECT_EQ(0x0000FFu, at(p, 14, 4));
    EXPECT_EQ(frame, at(p, 14, 12));
    EXPECT_EQ(window, at(p, 14, 13));
    EXPECT_EQ(window, at(p, w - 1, 1));
    EXPECT_EQ(highlight, at(p, w - 1, 2));
    EXPECT_EQ(highlight, at(p, w - 1, 13));
    EXPECT_EQ(window, at(p, w - 1, 14));

    // Focused: a dotted rectangle around the text part.
    const std::vector<uint32_t> plain = Draw(red, ODS_SELECTED);
    p = Draw(red, ODS_SELECTED | ODS_FOCUS);
    int dots = 0;
    for (int x = 30; x < w; ++x) dots += at(p, x, 0) != at(plain, x, 0);
    EXPECT_GT(dots, 20);
    for (int y = 0; y < 16; ++y) EXPECT_EQ(at(plain, 29, y), at(p, 29, y)) << "outside the text part";

    // The Custom entry shows the colour it carries.
    combo->SetCustomColor(kUnnamed);
    p = Draw(49, 0);
    EXPECT_EQ(kUnnamed, at(p, 14, 8));
}

}  // namespace
}  // namespace test
}  // namespace pellumo
