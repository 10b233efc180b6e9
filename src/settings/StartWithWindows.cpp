#include "settings/StartWithWindows.h"

#include "content/AsciiText.h"

namespace pellumo {

namespace {

std::string FirstWord(const std::string& command) {
    size_t start = command.find_first_not_of(" \t");
    if (start == std::string::npos) return std::string();
    if (command[start] == '"') {
        ++start;
        return command.substr(start, command.find('"', start) - start);
    }
    return command.substr(start, command.find_first_of(" \t", start) - start);
}

}  // namespace

bool RunCommandStarts(const std::string& command, const std::string& programPath) {
    return !programPath.empty() && asciitext::EqualsI(FirstWord(command), programPath);
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
