// wtsapi32.dll as it is at logon while the system's session service is not
// ready yet: the first two registrations are refused (RPC_S_INVALID_BINDING),
// the third is taken and leaves the file "session-registered" beside this
// library. Put beside a copy of the program, which is told to load it.
#include <windows.h>

namespace {
HMODULE self = nullptr;
LONG calls = 0;

void LeaveMark() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    wchar_t* slash = path + length;
    while (slash > path && slash[-1] != L'\\') --slash;
    lstrcpynW(slash, L"session-registered", static_cast<int>(MAX_PATH - (slash - path)));
    const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI WTSRegisterSessionNotification(HWND window, DWORD) {
    if (InterlockedIncrement(&calls) <= 2 || !IsWindow(window)) {
        SetLastError(RPC_S_INVALID_BINDING);
        return FALSE;
    }
    LeaveMark();
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI WTSUnRegisterSessionNotification(HWND) { return TRUE; }
