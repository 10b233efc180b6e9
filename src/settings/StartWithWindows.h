#pragma once
// Whether Windows starts Pellumo when the user logs on. A copy that the
// machine's Run value "Pellumo" starts (setup writes it, with "/autostart",
// when installing for every user) goes by the user's own setting,
// StartWithWindows in the settings key, which needs no rights to change. Any
// other copy (a portable one) goes by the user's own Run value "Pellumo",
// holding the program's quoted full path.
#include <optional>
#include <string>

namespace pellumo {

class TNotifierSettings;

// Whether a Run value's command starts the program at ProgramPath: its first
// word (quoted, or up to a blank) names the same file, letter case ignored as
// Windows does.
bool RunCommandStarts(const std::string& command, const std::string& programPath);

// What a start finds about starting with Windows.
struct TStartFacts {
    std::string ProgramPath;
    // Started with "/autostart": by the machine's Run value.
    bool Autostart = false;
    // The machine's Run value starts this copy: it is installed for every
    // user, and each user's own setting says whether it starts.
    bool MachineRunStartsThis = false;
    // The user's own Run value, empty when missing: a portable copy's start
    // with Windows, or an earlier version's.
    std::string UserRunCommand;
    // The program UserRunCommand names is gone from a fixed disk (setup
    // moved it); not when it merely cannot be reached now.
    bool UserRunProgramGone = false;
    // The user's setting, when stored.
    std::optional<bool> Setting;
};

// What the start does about them.
struct TStartPlan {
    // Started with Windows by a user who turned that off: end at once, silently.
    bool EndAtOnce = false;
    // Windows started it, not the user: as a second copy it ends silently
    // instead of opening the running copy's settings.
    bool StartedByWindows = false;
    // The first start of an installed copy for this user: the setting to keep.
    std::optional<bool> SettingToStore;
    // The user's own Run value, an earlier version's, to remove.
    bool RemoveUserRun = false;
    // A portable copy's own Run value, written before it carried
    // "/autostart", to write again with it.
    bool UpdateUserRun = false;
};

// An installed copy's setting, until stored, is on unless the user's own Run
// value starts another copy (a portable one: what that user chose to start).
// An earlier version's Run value for this copy means on, and goes at the
// first start that value itself makes (one without "/autostart"), so that the
// logon that starts both ends with one copy and no dialog; one naming a
// program that is gone goes at once and means on.
TStartPlan PlanStart(const TStartFacts& facts);

// The Run values, the setting and the program's own path; Autostart is the
// caller's.
TStartFacts LookUpStartFacts();
// Removes the user's own Run value; logged when it cannot be.
void RemoveUserRunValue();
// Writes the user's own Run value again for the running program, with
// "/autostart"; logged when it cannot be.
void UpdateUserRunValue();

// What the setup dialog's check box shows.
bool StartsWithWindows(const TNotifierSettings& settings);
// Sets and saves the user's setting and removes an earlier
// version's Run value for this copy; or, for a copy the machine's Run value
// does not start, writes the user's Run value for the running program (its
// quoted path and "/autostart") or removes it. Throws Exception when the Run key cannot be changed.
void SetStartWithWindows(bool start, TNotifierSettings& settings);

}  // namespace pellumo
