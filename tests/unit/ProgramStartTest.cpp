// The command line's "/test" switch and the error box's full-stop rule.
#include <gtest/gtest.h>

#include "app/ProgramStart.h"

namespace pellumo {
namespace {

TEST(ProgramStartTest, TestSwitchIsTheFirstParameterInAnyCase) {
    EXPECT_TRUE(IsTestRun("pellumo.exe /test"));
    EXPECT_TRUE(IsTestRun("\"C:\\Program Files\\Pellumo\\pellumo.exe\"  /TeSt"));
    EXPECT_TRUE(IsTestRun("pellumo.exe \"/test\" more"));
    EXPECT_TRUE(IsTestRun("pellumo.exe\t/Test"));
    EXPECT_FALSE(IsTestRun("pellumo.exe"));
    EXPECT_FALSE(IsTestRun("pellumo.exe other /test"));
    EXPECT_FALSE(IsTestRun("pellumo.exe /tests"));
    EXPECT_FALSE(IsTestRun("pellumo.exe -test"));
    // The program's own name is never a parameter, even when it reads "/test".
    EXPECT_FALSE(IsTestRun("/test"));
    EXPECT_FALSE(IsTestRun(""));
}

TEST(ProgramStartTest, ParametersSplitAtBlanksAndQuotesGroup) {
    const std::string line = "\"C:\\My Apps\\p.exe\" one \"two words\" th\"re\"e   ";
    EXPECT_EQ(3, ParamCount(line));
    EXPECT_EQ("C:\\My Apps\\p.exe", ParamStr(line, 0));
    EXPECT_EQ("one", ParamStr(line, 1));
    EXPECT_EQ("two words", ParamStr(line, 2));
    EXPECT_EQ("three", ParamStr(line, 3));
    EXPECT_EQ("", ParamStr(line, 4));
    EXPECT_EQ(0, ParamCount("   "));
}

TEST(ProgramStartTest, ErrorBoxAddsAFullStopOnlyWhereOneIsMissing) {
    EXPECT_EQ("Invalid dbx file.", ErrorBoxText("Invalid dbx file"));
    EXPECT_EQ("Cannot open file C:\\x.dbx.", ErrorBoxText("Cannot open file C:\\x.dbx"));
    EXPECT_EQ("Max line length exceeded.", ErrorBoxText("Max line length exceeded."));
    EXPECT_EQ("", ErrorBoxText(""));
    // Characters coded below the full stop end the text as they are.
    EXPECT_EQ("Stop!", ErrorBoxText("Stop!"));
    EXPECT_EQ("Invalid data type for 'HintTime' (x)", ErrorBoxText("Invalid data type for 'HintTime' (x)"));
    EXPECT_EQ("Invalid data type for 'HintTime'", ErrorBoxText("Invalid data type for 'HintTime'"));
    EXPECT_EQ("a,", ErrorBoxText("a,"));
    EXPECT_EQ("a ", ErrorBoxText("a "));
    // Characters above it, letters past ASCII included, get one.
    EXPECT_EQ("a/.", ErrorBoxText("a/"));
    EXPECT_EQ("caf\xE9.", ErrorBoxText("caf\xE9"));
}

}  // namespace
}  // namespace pellumo
