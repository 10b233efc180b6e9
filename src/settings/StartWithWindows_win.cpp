#include "settings/StartWithWindows.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/UniqueHandle_win.h"

namespace pellumo {

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kValueName[] = L"Pellumo";

// In UTF-16 throughout: a path outside the system code page stays whole.
TRegistryKeyHandle OpenRunKey(REGSAM access) {
    HKEY key = nullptr;
    const LONG rc = access & KEY_SET_VALUE
                        ? RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, access, nullptr, &key, nullptr)
                        : RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, access, &key);
    return TRegistryKeyHandle(rc == ERROR_SUCCESS ? key : nullptr);
}

std::wstring RunningProgramPath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) throw Exception("Cannot find the program's own path");
        // XP fills the whole buffer without a terminator when it is too small.
        if (length < path.size()) return std::wstring(path.data(), length);
        path.resize(path.size() * 2);
    }
}

}  // namespace

bool StartsWithWindows() {
    const TRegistryKeyHandle key = OpenRunKey(KEY_QUERY_VALUE);
    return key && RegQueryValueExW(key.Get(), kValueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void SetStartWithWindows(bool start) {
    const TRegistryKeyHandle key = OpenRunKey(KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key) throw Exception("Cannot change the programs Windows starts");
    if (!start) {
        const LONG rc = RegDeleteValueW(key.Get(), kValueName);
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) throw Exception("Cannot change the programs Windows starts");
        return;
    }
    // Quoted: the path may hold blanks ("Program Files").
    const std::wstring command = L"\"" + RunningProgramPath() + L"\"";
    const DWORD bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(key.Get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()), bytes) !=
        ERROR_SUCCESS)
        throw Exception("Cannot change the programs Windows starts");
}

}  // namespace pellumo
