// The hint-time field's value rules: what can be typed, how its text reads,
// and what the settings, the step controls and focus changes do to it.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "settings/HintTimeValue.h"

namespace pellumo {
namespace test {
namespace {

THintTimeValue Showing(const std::string& text) {
    THintTimeValue field;
    field.SetText(text);
    return field;
}

TEST(THintTimeValue_Typing, DigitsSignsTheSeparatorAndControlKeys) {
    struct Case {
        char ch;
        char separator;
        bool allowed;
    };
    const Case cases[] = {
        {'0', '.', true},   {'9', '.', true},   {'+', '.', true},    {'-', '.', true},   {'.', '.', true},
        {',', ',', true},   {'.', ',', false},  {',', '.', false},   {'a', '.', false},  {'e', '.', false},
        {' ', '.', false},  {'\b', '.', true},  {'\x16', '.', true}, {'\r', '.', true},  {'\x1B', '.', true},
        {'\x7F', '.', false}, {'\xE9', '.', false}, {'/', '.', false}, {':', '.', false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsHintTimeChar(c.ch, c.separator), c.allowed) << int(static_cast<unsigned char>(c.ch)) << " with "
                                                                << c.separator;
}

TEST(THintTimeValue_Reading, TextAsADecimalIntegerOrOne) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"", 1},           {"0", 0},           {"3", 3},
        {"5000", 5000},    {"+12", 12},        {"-5", -5},
        {"007", 7},        {"1.5", 1},         {"1,5", 1},
        {"+", 1},          {"-", 1},           {"--5", 1},
        {"+-5", 1},        {"5-", 1},          {" 5", 1},
        {"5 ", 1},         {"abc", 1},         {"12a", 1},
        {"2147483647", INT32_MAX},             {"-2147483648", INT32_MIN},
        {"2147483648", 1}, {"-2147483649", 1}, {"99999999999999999999", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadHintTime(c.text), c.value) << '"' << c.text << '"';
        EXPECT_EQ(Showing(c.text).Value(), c.value) << '"' << c.text << '"';
    }
}

TEST(THintTimeValue_FromSettings, ClampedUnlessEqualToTheValueShown) {
    struct Case {
        const char* shown;
        int32_t stored;
        const char* text;
    };
    const Case cases[] = {
        {"0", 0, "0"},  // a new field shows 0, so a stored 0 stays 0
        {"0", 3, "3"},          {"0", 1800, "1800"},        {"0", 5000, "1800"},
        {"0", -3, "1"},         {"0", INT32_MAX, "1800"},   {"0", INT32_MIN, "1"},
        {"3", 0, "1"},          {"3", 3, "3"},              {"5000", 5000, "5000"},
        {"", 1, ""},            {"", 2, "2"},
    };
    for (const Case& c : cases) {
        THintTimeValue field = Showing(c.shown);
        field.SetValue(c.stored);
        EXPECT_EQ(field.Text(), c.text) << c.shown << " <- " << c.stored;
    }
}

TEST(THintTimeValue_FromSettings, ANewFieldShowsZero) {
    THintTimeValue field;
    EXPECT_EQ(field.Text(), "0");
    EXPECT_EQ(field.Value(), 0);
}

TEST(THintTimeValue_FromSettings, AStoredZeroGoesBackUnchangedOnOk) {
    THintTimeValue field;
    field.SetValue(0);
    EXPECT_EQ(field.Value(), 0);
}

TEST(THintTimeValue_LosingFocus, ClampsAndShowsThePlainNumber) {
    struct Case {
        const char* typed;
        const char* text;
    };
    const Case cases[] = {
        {"5000", "1800"}, {"1801", "1800"}, {"1800", "1800"}, {"1", "1"},   {"42", "42"},
        {"+42", "42"},    {"042", "42"},    {"0", "1"},       {"-7", "1"},  {"", "1"},
        {"abc", "1"},     {"1.5", "1"},     {"2147483647", "1800"},         {"2147483648", "1"},
    };
    for (const Case& c : cases) {
        THintTimeValue field = Showing(c.typed);
        field.LoseFocus();
        EXPECT_EQ(field.Text(), c.text) << '"' << c.typed << '"';
        EXPECT_EQ(field.Value(), ReadHintTime(c.text));
    }
}

// Enter closes the dialog with OK while the field keeps the focus: the value
// is read from the text as typed, with no clamping.
TEST(THintTimeValue_Enter, TakesTheValueAsTyped) {
    struct Case {
        const char* typed;
        int32_t value;
    };
    const Case cases[] = {{"", 1}, {"5000", 5000}, {"0", 0}, {"-5", -5}, {"x", 1}, {"17", 17}};
    for (const Case& c : cases) {
        const THintTimeValue field = Showing(c.typed);
        EXPECT_EQ(field.Value(), c.value) << '"' << c.typed << '"';
        EXPECT_EQ(field.Text(), c.typed) << "the text is left as typed";
    }
}

TEST(THintTimeValue_Stepping, ByOneWithinTheRange) {
    struct Case {
        const char* shown;
        int delta;
        const char* text;
    };
    const Case cases[] = {
        {"3", +1, "4"},       {"3", -1, "2"},      {"1", -1, "1"},           {"2", -1, "1"},
        {"1799", +1, "1800"}, {"1800", +1, "1800"}, {"1800", -1, "1799"},   {"0", +1, "1"},
        {"0", -1, "1"},       {"", +1, "2"},        {"abc", -1, "1"},       {"5000", -1, "1800"},
        {"5000", +1, "1800"}, {"-9", +1, "1"},      {"2147483647", +1, "1800"}, {"-2147483648", -1, "1"},
    };
    for (const Case& c : cases) {
        THintTimeValue field = Showing(c.shown);
        field.Step(c.delta);
        EXPECT_EQ(field.Text(), c.text) << c.shown << (c.delta > 0 ? " up" : " down");
    }
}

TEST(THintTimeValue_Stepping, RepeatedStepsStopAtTheEnds) {
    THintTimeValue field;
    field.SetValue(1795);
    for (int i = 0; i < 10; ++i) field.Step(+1);
    EXPECT_EQ(field.Value(), kHintTimeMax);
    field.SetValue(4);
    for (int i = 0; i < 10; ++i) field.Step(-1);
    EXPECT_EQ(field.Value(), kHintTimeMin);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
