// The colour combo box's entries and selection rules, without a window.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "controls/ColorList.h"

namespace pellumo {
namespace test {
namespace {

constexpr TColor kUnnamed = 0x00EBB170;  // the settings' fallback BeginColor: no name

// A list whose window exists, counting its change notifications; each
// notification also records the SelectedColor it saw.
struct Counted {
    TColorList list;
    int changes = 0;
    std::vector<TColor> seen;
    explicit Counted(bool build = true) {
        list.OnChange = [this] {
            ++changes;
            seen.push_back(list.SelectedColor());
        };
        if (build) list.BuildItems();
    }
    std::string SelectedText() const {
        return list.ItemIndex() < 0 ? "(none)" : list.Items()[list.ItemIndex()].Text;
    }
};

TEST(TColorList_Items, NamedColoursInOrderThenCustom) {
    struct Row {
        const char* text;
        TColor value;
    };
    const Row rows[] = {
        {"Black", 0x000000}, {"Maroon", 0x000080}, {"Green", 0x008000}, {"Olive", 0x008080},
        {"Navy", 0x800000}, {"Purple", 0x800080}, {"Teal", 0x808000}, {"Gray", 0x808080},
        {"Silver", 0xC0C0C0}, {"Red", 0x0000FF}, {"Lime", 0x00FF00}, {"Yellow", 0x00FFFF},
        {"Blue", 0xFF0000}, {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00}, {"White", 0xFFFFFF},
        {"MoneyGreen", 0xC0DCC0}, {"SkyBlue", 0xF0CAA6}, {"Cream", 0xF0FBFF}, {"MedGray", 0xA4A0A0},
        {"ActiveBorder", 0x8000000A}, {"ActiveCaption", 0x80000002}, {"AppWorkSpace", 0x8000000C},
        {"Background", 0x80000001}, {"BtnFace", 0x8000000F}, {"BtnHighlight", 0x80000014},
        {"BtnShadow", 0x80000010}, {"BtnText", 0x80000012}, {"CaptionText", 0x80000009},
        {"Default", 0x20000000}, {"GradientActiveCaption", 0x8000001B},
        {"GradientInactiveCaption", 0x8000001C}, {"GrayText", 0x80000011}, {"Highlight", 0x8000000D},
        {"HighlightText", 0x8000000E}, {"InactiveBorder", 0x8000000B}, {"InactiveCaption", 0x80000003},
        {"InactiveCaptionText", 0x80000013}, {"InfoBk", 0x80000018}, {"InfoText", 0x80000017},
        {"Menu", 0x80000004}, {"MenuText", 0x80000007}, {"None", 0x1FFFFFFF}, {"ScrollBar", 0x80000000},
        {"3DDkShadow", 0x80000015}, {"3DLight", 0x80000016}, {"Window", 0x80000005},
        {"WindowFrame", 0x80000006}, {"WindowText", 0x80000008},
    };
    static_assert(sizeof rows / sizeof rows[0] == kNamedColorCount, "49 named colours");
    TColorList list;
    list.SetCustomColor(0x123456);
    list.BuildItems();
    ASSERT_EQ(list.Items().size(), kNamedColorCount + 1);
    for (size_t i = 0; i < kNamedColorCount; ++i) {
        EXPECT_EQ(list.Items()[i].Text, rows[i].text) << i;
        EXPECT_EQ(list.Items()[i].Color, rows[i].value) << rows[i].text;
        EXPECT_EQ(rows[i].text, English().Text(kNamedColors[i].Name));
    }
    EXPECT_EQ(list.Items().back().Text, "Custom");
    EXPECT_EQ(list.Items().back().Color, 0x123456u);
}

TEST(TColorList_Items, NamedMeansAnExactMatchOfTheValue) {
    std::set<TColor> values;
    for (const TNamedColor& named : kNamedColors) {
        EXPECT_TRUE(IsNamedColor(named.Value)) << KeyName(named.Name);
        values.insert(named.Value);
    }
    EXPECT_EQ(values.size(), kNamedColorCount);  // so "the first entry" of a colour is its only one
    for (TColor other : {kUnnamed, 0x00000001u, 0x01000000u, 0x8000001Du, 0x80000017u | 0x100u, kNoSelectedColor})
        EXPECT_FALSE(IsNamedColor(other)) << std::hex << other;
}

TEST(TColorList_Items, WithoutTheCustomEntryTheListEndsWithTheNamedColours) {
    TColorList list;
    list.SetUseCustomColor(false);
    list.BuildItems();
    EXPECT_EQ(list.Items().size(), kNamedColorCount);
    EXPECT_EQ(list.Items().back().Text, "WindowText");
}

TEST(TColorList_SelectedColor, NamedColoursSelectTheirEntry) {
    struct Case {
        TColor color;
        int index;
        const char* text;
    };
    const Case cases[] = {
        {0x8000001B, 30, "GradientActiveCaption"}, {0x00FFFFFF, 15, "White"}, {0x00C0DCC0, 16, "MoneyGreen"},
        {0x80000008, 48, "WindowText"},           {0x1FFFFFFF, 42, "None"},  {0x20000000, 29, "Default"},
        {0x80000000, 43, "ScrollBar"},
    };
    for (bool builtFirst : {true, false}) {
        for (const Case& c : cases) {
            Counted list(builtFirst);
            list.list.SetSelectedColor(c.color);
            if (!builtFirst) list.list.BuildItems();
            EXPECT_EQ(list.list.SelectedColor(), c.color) << c.text;
            EXPECT_EQ(list.list.ItemIndex(), c.index) << c.text;
            EXPECT_EQ(list.SelectedText(), c.text);
            EXPECT_EQ(list.list.CustomColor(), 0u) << "a named colour leaves Custom alone: " << c.text;
        }
    }
}

TEST(TColorList_SelectedColor, StartsOnBlack) {
    Counted list;
    EXPECT_EQ(list.list.SelectedColor(), 0u);
    EXPECT_EQ(list.SelectedText(), "Black");
}

TEST(TColorList_Custom, AnUnnamedColourGoesToTheCustomEntry) {
    for (bool builtFirst : {true, false}) {
        Counted list(builtFirst);
        list.list.SetSelectedColor(kUnnamed);
        if (!builtFirst) list.list.BuildItems();
        EXPECT_EQ(list.list.SelectedColor(), kUnnamed);
        EXPECT_EQ(list.list.CustomColor(), kUnnamed);
        EXPECT_EQ(list.SelectedText(), "Custom");
        EXPECT_EQ(list.list.Items().back().Color, kUnnamed) << "its swatch shows the colour";
    }
}

TEST(TColorList_Custom, PickingWhiteThenCustomGivesTheCustomColourBack) {
    Counted list;
    list.list.SetSelectedColor(kUnnamed);
    list.list.SelectItem(15);
    EXPECT_EQ(list.list.SelectedColor(), 0x00FFFFFFu);
    list.list.SelectItem(static_cast<int>(kNamedColorCount));
    EXPECT_EQ(list.list.SelectedColor(), kUnnamed);
    EXPECT_EQ(list.SelectedText(), "Custom");
}

TEST(TColorList_Custom, CustomNeverSetGivesBlack) {
    Counted list;
    list.list.SetSelectedColor(0x8000001B);
    list.list.SelectItem(static_cast<int>(kNamedColorCount));
    EXPECT_EQ(list.list.SelectedColor(), 0u);
    EXPECT_EQ(list.SelectedText(), "Custom");
}

TEST(TColorList_Custom, ANewCustomColourReplacesTheOldOne) {
    Counted list;
    list.list.SetSelectedColor(kUnnamed);
    list.list.SetSelectedColor(0x00010203);
    EXPECT_EQ(list.list.SelectedColor(), 0x00010203u);
    EXPECT_EQ(list.list.Items().back().Color, 0x00010203u);
    list.list.SetSelectedColor(0x0000FF);  // Red
    EXPECT_EQ(list.list.CustomColor(), 0x00010203u) << "kept for a later pick of Custom";
}

TEST(TColorList_Custom, SettingCustomColorSelectsIt) {
    Counted list;
    list.list.SetCustomColor(0x00FFFFFF);  // even a named value: Custom carries it
    EXPECT_EQ(list.SelectedText(), "Custom");
    EXPECT_EQ(list.list.SelectedColor(), 0x00FFFFFFu);
}

TEST(TColorList_Custom, NoneAndDefaultAreOrdinaryEntries) {
    struct Case {
        int index;
        TColor color;
    };
    for (const Case& c : {Case{42, 0x1FFFFFFF}, Case{29, 0x20000000}}) {
        Counted list;
        list.list.SetSelectedColor(kUnnamed);
        list.list.SelectItem(c.index);
        EXPECT_EQ(list.list.SelectedColor(), c.color);
        EXPECT_EQ(list.list.CustomColor(), kUnnamed);
        list.list.SetSelectedColor(0);
        list.list.SetSelectedColor(c.color);
        EXPECT_EQ(list.list.ItemIndex(), c.index);
    }
}

// A folder's colour: "Default" first, standing for no colour of its own and
// drawn in what the default is; the other entries as ever, one further down.
TEST(TColorList_DefaultEntry, StandsForNoColourAndShiftsTheOthers) {
    Counted list;
    list.list.SetSelectedColor(0x00FF0000);  // blue
    list.list.SetDefaultEntry(kUnnamed);
    ASSERT_EQ(list.list.Items().size(), kNamedColorCount + 2);
    EXPECT_EQ(list.list.Items()[0].Text, "Default");
    EXPECT_EQ(list.list.Items()[0].Color, kUnnamed);
    EXPECT_EQ(list.SelectedText(), "Blue");
    list.list.SetSelectedColor(kDefaultColor);
    EXPECT_EQ(list.list.ItemIndex(), 0);
    list.list.SelectItem(1);
    EXPECT_EQ(list.list.SelectedColor(), 0u);  // black, not the default
    list.list.SelectItem(0);
    EXPECT_EQ(list.list.SelectedColor(), kDefaultColor);
    list.list.SetSelectedColor(kUnnamed);  // the default's own value is still a colour of its own
    EXPECT_EQ(list.SelectedText(), "Custom");
    list.list.SetDefaultEntry(0x00FFFFFF);  // the Start colour changed
    EXPECT_EQ(list.list.Items()[0].Color, 0x00FFFFFFu);
    EXPECT_EQ(list.list.Items().size(), kNamedColorCount + 2);

    Counted later(false);  // asked for before the window exists
    later.list.SetDefaultEntry(kUnnamed);
    later.list.SetSelectedColor(kDefaultColor);
    later.list.BuildItems();
    EXPECT_EQ(later.SelectedText(), "Default");
}

TEST(TColorList_NoCustomEntry, AnUnnamedColourSelectsNothing) {
    Counted list;
    list.list.SetUseCustomColor(false);
    list.list.SetSelectedColor(kUnnamed);
    EXPECT_EQ(list.list.SelectedColor(), kNoSelectedColor);
    EXPECT_EQ(list.list.ItemIndex(), -1);
    EXPECT_EQ(list.list.CustomColor(), 0u);
    list.list.SetCustomColor(kUnnamed);  // stored, but there is no entry for it
    EXPECT_EQ(list.list.CustomColor(), kUnnamed);
    EXPECT_EQ(list.list.SelectedColor(), kNoSelectedColor);
}

TEST(TColorList_NoCustomEntry, RemovingASelectedCustomEntrySelectsTheFirst) {
    Counted list;
    list.list.SetSelectedColor(kUnnamed);
    list.list.SetUseCustomColor(false);
    EXPECT_EQ(list.list.Items().size(), kNamedColorCount);
    EXPECT_EQ(list.SelectedText(), "Black");
    EXPECT_EQ(list.list.SelectedColor(), 0u);
}

TEST(TColorList_NoCustomEntry, RemovingAnUnselectedCustomEntryKeepsTheSelection) {
    Counted list;
    list.list.SetSelectedColor(0x00FFFFFF);
    list.list.SetUseCustomColor(false);
    EXPECT_EQ(list.SelectedText(), "White");
    list.list.SetUseCustomColor(true);
    EXPECT_EQ(list.list.Items().size(), kNamedColorCount + 1);
    EXPECT_EQ(list.list.Items().back().Text, "Custom");
    list.list.SetUseCustomColor(true);
    EXPECT_EQ(list.list.Items().size(), kNamedColorCount + 1) << "never a second Custom entry";
}

// How many notifications each step gives, from a built list showing Black.
TEST(TColorList_Notification, OnceForEveryChangeOfTheSelectedEntry) {
    struct Step {
        const char* what;
        std::function<void(TColorList&)> run;
        int changes;
        const char* selected;
    };
    const Step steps[] = {
        {"same value", [](TColorList& l) { l.SetSelectedColor(0); }, 0, "Black"},
        {"named", [](TColorList& l) { l.SetSelectedColor(0x00FFFFFF); }, 1, "White"},
        {"same named again", [](TColorList& l) { l.SetSelectedColor(0x00FFFFFF); }, 0, "White"},
        {"unnamed: cleared, then Custom", [](TColorList& l) { l.SetSelectedColor(kUnnamed); }, 2, "Custom"},
        {"same unnamed again", [](TColorList& l) { l.SetSelectedColor(kUnnamed); }, 0, "Custom"},
        {"another unnamed while on Custom", [](TColorList& l) { l.SetSelectedColor(0x010203); }, 2, "Custom"},
        {"CustomColor to its own value", [](TColorList& l) { l.SetCustomColor(0x010203); }, 2, "Custom"},
        {"picked the same entry", [](TColorList& l) { l.SelectItem(49); }, 0, "Custom"},
        {"picked None", [](TColorList& l) { l.SelectItem(42); }, 1, "None"},
        {"picked out of range", [](TColorList& l) { l.SelectItem(50); }, 0, "None"},
        {"custom entry removed", [](TColorList& l) { l.SetUseCustomColor(false); }, 0, "None"},
        {"unnamed without Custom", [](TColorList& l) { l.SetSelectedColor(kUnnamed); }, 1, "(none)"},
        {"picked Default", [](TColorList& l) { l.SelectItem(29); }, 1, "Default"},
    };
    Counted list;
    for (const Step& step : steps) {
        list.changes = 0;
        list.seen.clear();
        step.run(list.list);
        EXPECT_EQ(list.changes, step.changes) << step.what;
        EXPECT_EQ(list.SelectedText(), step.selected) << step.what;
        // A notification always sees SelectedColor already following the entry.
        if (list.list.ItemIndex() >= 0 && !list.seen.empty()) {
            EXPECT_EQ(list.seen.back(), list.list.Items()[list.list.ItemIndex()].Color) << step.what;
        }
    }
}

TEST(TColorList_Notification, NoneBeforeTheEntriesExistThenOneWhenTheyAreMade) {
    Counted list(false);
    list.list.SetSelectedColor(0x8000001B);
    list.list.SetSelectedColor(kUnnamed);
    list.list.SetCustomColor(0x00112233);
    EXPECT_EQ(list.changes, 0);
    list.list.BuildItems();
    EXPECT_EQ(list.changes, 1);
    EXPECT_EQ(list.SelectedText(), "Custom");
    EXPECT_EQ(list.list.SelectedColor(), 0x00112233u);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
