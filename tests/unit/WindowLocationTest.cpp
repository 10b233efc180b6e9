// The lenient reading of the "Window Location" text.
#include <gtest/gtest.h>

#include "settings/WindowLocation.h"

namespace pellumo {
namespace test {
namespace {

using Items = std::vector<std::string>;


TEST(SplitCommaText, CommasBlankRunsAndQuotes) {
    EXPECT_EQ(SplitCommaText("1060, 568, 1360, 768"), (Items{"1060", "568", "1360", "768"}));
    EXPECT_EQ(SplitCommaText("  10 20\t\r\n310   220 "), (Items{"10", "20", "310", "220"}));
    EXPECT_EQ(SplitCommaText("a,,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(SplitCommaText("a, ,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(SplitCommaText("a,"), (Items{"a", ""}));
    EXPECT_EQ(SplitCommaText("a, "), (Items{"a"}));  // the comma is not the last character
    EXPECT_EQ(SplitCommaText("\"x, \"\"y\"\"\",z"), (Items{"x, \"y\"", "z"}));
    EXPECT_EQ(SplitCommaText("\"open"), (Items{"open"}));
    EXPECT_EQ(SplitCommaText("\"ab\"cd"), (Items{"ab", "cd"}));
    EXPECT_EQ(SplitCommaText(""), Items{});
    EXPECT_EQ(SplitCommaText(std::string("1,2\0,3", 6)), (Items{"1", "2"}));
    EXPECT_EQ(SplitCommaText("\xE9t\xE9,x"), (Items{"\xE9t\xE9", "x"}));  // bytes above 127 are not blanks
}

TEST(ParseWindowLocation, ItemsReplaceCoordinatesOneByOne) {
    const TRect fallback = TRect(980, 794, 1280, 994);
    EXPECT_EQ(ParseWindowLocation("1060, 568, 1360, 768", fallback), TRect(1060, 568, 1360, 768));
    EXPECT_EQ(ParseWindowLocation("10, 20, 310", fallback), fallback);
    EXPECT_EQ(ParseWindowLocation("10, 20, x, 220", fallback), TRect(10, 20, 1280, 220));
    EXPECT_EQ(ParseWindowLocation("10 20 310 220", fallback), TRect(10, 20, 310, 220));
    EXPECT_EQ(ParseWindowLocation("-1280, 0, -980, 200, 7, 8", fallback), TRect(-1280, 0, -980, 200));
    EXPECT_EQ(ParseWindowLocation("+5, 1.5, 99999999999, -2147483648", fallback), TRect(5, 794, 1280, INT32_MIN));
    EXPECT_EQ(ParseWindowLocation("\"1\",\"2\",\"3\",\"4\"", fallback), TRect(1, 2, 3, 4));
    EXPECT_EQ(ParseWindowLocation("1,2,3,", fallback), TRect(1, 2, 3, 994));
    EXPECT_EQ(ParseWindowLocation("", fallback), fallback);
}

TEST(FormatWindowLocation, ReadsBackUnchanged) {
    for (const TRect& r : {TRect(1060, 568, 1360, 768), TRect(-1280, 0, -980, 200), TRect(INT32_MIN, -1, 0, INT32_MAX)})
        EXPECT_EQ(ParseWindowLocation(FormatWindowLocation(r), TRect()), r);
    EXPECT_EQ(FormatWindowLocation(TRect(-1280, 0, -980, 200)), "-1280, 0, -980, 200");
}

}  // namespace
}  // namespace test
}  // namespace pellumo
