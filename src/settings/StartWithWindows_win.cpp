#include "settings/StartWithWindows.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/Environment.h"
#include "platform/Exception.h"
#include "platform/Log.h"
#include "platform/Registry.h"
#include "platform/UniqueHandle_win.h"
#include "platform/WideText_win.h"
#include "settings/NotifierSettings.h"

namespace pellumo {

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kValueName[] = L"Pellumo";

// In UTF-16 throughout: a path outside the system code page stays whole.
TRegistryKeyHandle OpenRunKey(HKEY root, REGSAM access) {
    HKEY key = nullptr;
    const LONG rc = access & KEY_SET_VALUE
                        ? RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, access, nullptr, &key, nullptr)
                        : RegOpenKeyExW(root, kRunKey, 0, access, &key);
    return TRegistryKeyHandle(rc == ERROR_SUCCESS ? key : nullptr);
}

// The command a Run key's value "Pellumo" holds, as Windows runs it at logon
// (an expandable value's %ProgramFiles% and the like expanded); empty when it
// has none.
std::string RunCommand(HKEY root) {
    const TRegistryKeyHandle key = OpenRunKey(root, KEY_QUERY_VALUE);
    if (!key) return std::string();
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key.Get(), kValueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1);
    if (RegQueryValueExW(key.Get(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
        ERROR_SUCCESS)
        return std::string();
    text.back() = 0;  // a value stored without its terminator
    const std::string command = Utf8FromWide(text.data());
    return type == REG_EXPAND_SZ ? ExpandEnvironment(command) : command;
}

std::wstring RunningProgramPath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) throw Exception(TText::CannotFindOwnPath);
        // XP fills the whole buffer without a terminator when it is too small.
        if (length < path.size()) return std::wstring(path.data(), length);
        path.resize(path.size() * 2);
    }
}

bool MachineRunStartsThis() {
    return RunCommandStarts(RunCommand(HKEY_LOCAL_MACHINE), Utf8FromWide(RunningProgramPath()));
}

void ChangeUserRunValue(bool start) {
    const TRegistryKeyHandle key = OpenRunKey(HKEY_CURRENT_USER, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key) throw Exception(TText::CannotChangeStartPrograms);
    if (!start) {
        const LONG rc = RegDeleteValueW(key.Get(), kValueName);
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) throw Exception(TText::CannotChangeStartPrograms);
        return;
    }
    // Quoted: the path may hold blanks ("Program Files"). The switch tells
    // the start at logon from one by the user.
    const std::wstring command = L"\"" + RunningProgramPath() + L"\" /autostart";
    const DWORD bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(key.Get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()), bytes) !=
        ERROR_SUCCESS)
        throw Exception(TText::CannotChangeStartPrograms);
}

// Whether the program a Run command names is gone: not found on a fixed
// disk. A removable or network drive may only be away for now.
bool ProgramGone(const std::string& command) {
    const std::wstring path = WideFromUtf8(ParamStr(command, 0));
    if (path.empty() || GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
    wchar_t root[MAX_PATH];
    return GetVolumePathNameW(path.c_str(), root, MAX_PATH) && GetDriveTypeW(root) == DRIVE_FIXED;
}

}  // namespace

TStartFacts LookUpStartFacts() {
    TStartFacts facts;
    facts.ProgramPath = Utf8FromWide(RunningProgramPath());
    facts.MachineRunStartsThis = RunCommandStarts(RunCommand(HKEY_LOCAL_MACHINE), facts.ProgramPath);
    facts.UserRunCommand = RunCommand(HKEY_CURRENT_USER);
    facts.UserRunProgramGone = ProgramGone(facts.UserRunCommand);
    if (const auto key = CurrentUserRegistry().OpenKey(TNotifierSettings::kKey, false, TKeyAccess::Read))
        facts.Setting = ReadStartWithWindows(*key);
    return facts;
}

namespace {
// A change made at the start, for this user's next logon: logged, never fatal.
void ChangeUserRunValueAtStart(bool start, const std::string& done, const std::string& failed) {
    try {
        ChangeUserRunValue(start);
        LogLine(done);
    } catch (const Exception& error) {
        LogLine(failed + ": " + error.Message());
    }
}
}  // namespace

void RemoveUserRunValue() {
    ChangeUserRunValueAtStart(false, "The earlier version's start with Windows for this user is now the StartWithWindows setting",
                              "The earlier version's start with Windows could not be removed");
}

void UpdateUserRunValue() {
    ChangeUserRunValueAtStart(true, "This copy's start with Windows now says it is one (/autostart)",
                              "This copy's start with Windows could not be brought up to date");
}

bool StartsWithWindows(const TNotifierSettings& settings) {
    if (MachineRunStartsThis()) return settings.StartWithWindows.value_or(true);
    // Whatever program the value names.
    return !RunCommand(HKEY_CURRENT_USER).empty();
}

void SetStartWithWindows(bool start, TNotifierSettings& settings) {
    if (!MachineRunStartsThis()) {
        ChangeUserRunValue(start);
        return;
    }
    settings.StartWithWindows = start;
    settings.Save();
    // Left by an earlier version, it would start this copy whatever the setting says.
    if (RunCommandStarts(RunCommand(HKEY_CURRENT_USER), Utf8FromWide(RunningProgramPath()))) ChangeUserRunValue(false);
}

}  // namespace pellumo
