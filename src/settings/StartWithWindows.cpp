#include "settings/StartWithWindows.h"

#include "platform/AsciiText.h"
#include "platform/CommandLine.h"

namespace pellumo {

bool RunCommandStarts(const std::string& command, const std::string& programPath) {
    return !programPath.empty() && asciitext::EqualsI(ParamStr(command, 0), programPath);
}

namespace {
// What setup's value and the program's own carry: Windows started it.
bool RunCommandIsAutostart(const std::string& command) {
    return asciitext::EqualsI(ParamStr(command, 1), "/autostart");
}
}  // namespace

TStartPlan PlanStart(const TStartFacts& facts) {
    const bool userRunStartsThis = RunCommandStarts(facts.UserRunCommand, facts.ProgramPath);
    const bool earlierVersionsValue = facts.MachineRunStartsThis && userRunStartsThis;
    // An earlier version's value for a program setup has since moved: it
    // starts nothing, and stood for this user's wish to start with Windows.
    const bool movedProgramsValue = facts.MachineRunStartsThis && !facts.UserRunCommand.empty() && facts.UserRunProgramGone;
    const bool setting =
        facts.Setting.value_or(facts.UserRunCommand.empty() || userRunStartsThis || movedProgramsValue);
    TStartPlan plan;
    // A portable copy goes by its own Run value, which is what started it.
    plan.EndAtOnce = facts.Autostart && facts.MachineRunStartsThis && !setting;
    plan.StartedByWindows = facts.Autostart || earlierVersionsValue;
    if (facts.MachineRunStartsThis && !facts.Setting) plan.SettingToStore = setting;
    plan.RemoveUserRun = (earlierVersionsValue && !facts.Autostart) || movedProgramsValue;
    // Without "/autostart" its start at logon would pass for the user's own,
    // and open a running copy's setup dialog every time.
    plan.UpdateUserRun = !facts.MachineRunStartsThis && userRunStartsThis && !RunCommandIsAutostart(facts.UserRunCommand);
    return plan;
}

}  // namespace pellumo
