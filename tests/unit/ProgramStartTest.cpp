// The command line's "/test" and "/autostart" switches, what a start with
// Windows does, and the error box's full-stop rule.
#include <gtest/gtest.h>

#include "app/ProgramStart.h"
#include "settings/StartWithWindows.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/Registry.h"
#include "platform/WideText_win.h"
#endif

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

TEST(ProgramStartTest, AutostartSwitchIsTheFirstParameterInAnyCase) {
    EXPECT_TRUE(IsAutostart("\"C:\\Program Files\\Pellumo\\pellumo.exe\" /AutoStart"));
    EXPECT_FALSE(IsAutostart("pellumo.exe /test /autostart"));
    EXPECT_FALSE(IsTestRun("pellumo.exe /autostart"));
}

TEST(ProgramStartTest, RunCommandStartsTheProgramItsFirstWordNames) {
    const std::string program = "C:\\Program Files\\Pellumo\\pellumo.exe";
    const struct {
        const char* Command;
        bool Starts;
    } cases[] = {
        {"\"C:\\Program Files\\Pellumo\\pellumo.exe\" /autostart", true},
        {"  \"c:\\program files\\PELLUMO\\Pellumo.exe\"", true},
        {"C:\\Tools\\pellumo.exe", false},
        // Unquoted, the path ends at its first blank.
        {"C:\\Program Files\\Pellumo\\pellumo.exe", false},
        {"\"C:\\Program Files\\Pellumo\\pellumo.exe.bak\"", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.Starts, RunCommandStarts(c.Command, program)) << c.Command;
    EXPECT_FALSE(RunCommandStarts("\"\"", ""));
}

TEST(ProgramStartTest, StartWithWindowsPlan) {
    const std::string installed = "C:\\Program Files\\Pellumo\\pellumo.exe";
    const std::string valueForThis = "\"C:\\PROGRAM FILES\\Pellumo\\pellumo.exe\"";
    const std::string portableValue = "\"D:\\Tools\\pellumo.exe\"";
    const std::string ownValue = valueForThis + " /AUTOSTART";
    const std::optional<bool> none;
    const struct {
        const char* Name;
        bool Autostart, MachineRunStartsThis;
        std::string UserRunCommand;
        std::optional<bool> Setting;
        bool EndAtOnce, StartedByWindows;
        std::optional<bool> SettingToStore;
        bool RemoveUserRun;
        bool UserRunProgramGone = false, UpdateUserRun = false;
    } cases[] = {
        {"turned off", true, true, "", false, true, true, none, false},
        {"turned on", true, true, "", true, false, true, none, false},
        {"first start for a user", true, true, "", none, false, true, true, false},
        {"first start, a portable copy starts instead", true, true, portableValue, none, true, true, false, false},
        {"first start, the earlier version's value", true, true, valueForThis, none, false, true, true, false},
        {"the earlier version's value starts it", false, true, valueForThis, none, false, true, true, true},
        {"stored, the earlier version's value left", false, true, valueForThis, false, false, true, none, true},
        {"the user starts it, turned off", false, true, "", false, false, false, none, false},
        {"a portable copy's value from before /autostart", false, false, valueForThis, none, false, false, none, false,
         false, true},
        {"a portable copy started by its own value", true, false, ownValue, none, false, true, none, false},
        {"... which goes by that value, not the installed copy's setting", true, false, ownValue, false, false, true,
         none, false},
        {"moved by setup: the earlier version's value names a program gone", true, true, portableValue, none, false, true,
         true, true, true},
        {"a portable copy's program that cannot be reached now", true, true, portableValue, none, true, true, false,
         false, false},
    };
    for (const auto& c : cases) {
        TStartFacts facts;
        facts.ProgramPath = installed;
        facts.Autostart = c.Autostart;
        facts.MachineRunStartsThis = c.MachineRunStartsThis;
        facts.UserRunCommand = c.UserRunCommand;
        facts.Setting = c.Setting;
        facts.UserRunProgramGone = c.UserRunProgramGone;
        const TStartPlan plan = PlanStart(facts);
        EXPECT_EQ(c.EndAtOnce, plan.EndAtOnce) << c.Name;
        EXPECT_EQ(c.StartedByWindows, plan.StartedByWindows) << c.Name;
        EXPECT_EQ(c.SettingToStore, plan.SettingToStore) << c.Name;
        EXPECT_EQ(c.RemoveUserRun, plan.RemoveUserRun) << c.Name;
        EXPECT_EQ(c.UpdateUserRun, plan.UpdateUserRun) << c.Name;
    }
}

#ifdef _WIN32
// The user's Run value as Windows runs it at logon: an expandable one names
// its program through the environment, and is compared and looked for as
// it expands.
TEST(ProgramStartTest, AnExpandableRunValueIsReadAsItExpands) {
    const std::string runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string program = LookUpStartFacts().ProgramPath;
    const size_t slash = program.rfind('\\');
    ASSERT_NE(std::string::npos, slash);
    SetEnvironmentVariableW(L"PELLUMO_PROGRAM_DIR", WideFromUtf8(program.substr(0, slash)).c_str());
    const struct {
        std::string Value;
        bool Starts, Gone;
    } cases[] = {
        {"\"%PELLUMO_PROGRAM_DIR%" + program.substr(slash) + "\" /autostart", true, false},
        {"\"%PELLUMO_PROGRAM_DIR%\\no-such-program.exe\"", false, true},
    };
    for (const auto& c : cases) {
        const std::string data = c.Value + std::string(1, '\0');
        ASSERT_TRUE(CurrentUserRegistry()
                        .OpenKey(runKey, true, TKeyAccess::ReadWrite)
                        ->SetValue("Pellumo", rdExpandString, std::vector<uint8_t>(data.begin(), data.end())));
        const TStartFacts facts = LookUpStartFacts();
        CurrentUserRegistry().OpenKey(runKey, false, TKeyAccess::ReadWrite)->DeleteValue("Pellumo");
        EXPECT_EQ(c.Starts, RunCommandStarts(facts.UserRunCommand, facts.ProgramPath)) << facts.UserRunCommand;
        EXPECT_EQ(c.Gone, facts.UserRunProgramGone) << facts.UserRunCommand;
    }
}
#endif

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
    EXPECT_EQ("caf\u00e9.", ErrorBoxText("caf\u00e9"));
    EXPECT_EQ("\u0444\u0430\u0439\u043b.", ErrorBoxText("\u0444\u0430\u0439\u043b"));
    // East Asian text ends as it is, its own full stop or none.
    EXPECT_EQ("\u958b\u3051\u307e\u305b\u3093\u3002", ErrorBoxText("\u958b\u3051\u307e\u305b\u3093\u3002"));
    EXPECT_EQ("\u6587\u4ef6", ErrorBoxText("\u6587\u4ef6"));
}

}  // namespace
}  // namespace pellumo
