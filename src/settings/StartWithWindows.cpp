#include "settings/StartWithWindows.h"

#include "content/AsciiText.h"
#include "platform/CommandLine.h"

namespace pellumo {

bool RunCommandStarts(const std::string& command, const std::string& programPath) {
    return !programPath.empty() && asciitext::EqualsI(ParamStr(command, 0), programPath);
}

TStartPlan PlanStart(const TStartFacts& facts) {
    const bool userRunStartsThis = RunCommandStarts(facts.UserRunCommand, facts.ProgramPath);
    const bool earlierVersionsValue = facts.MachineRunStartsThis && userRunStartsThis;
    const bool setting = facts.Setting.value_or(facts.UserRunCommand.empty() || userRunStartsThis);
    TStartPlan plan;
    plan.EndAtOnce = facts.Autostart && !setting;
    plan.StartedByWindows = facts.Autostart || earlierVersionsValue;
    if (facts.MachineRunStartsThis && !facts.Setting) plan.SettingToStore = setting;
    plan.RemoveUserRun = earlierVersionsValue && !facts.Autostart;
    return plan;
}

}  // namespace pellumo
