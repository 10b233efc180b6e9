#include "app/RunningCopy_win.h"

#include "app/ProgramStart.h"
#include "platform/Log.h"
#include "platform/WideText_win.h"

namespace pellumo {

namespace {
// "Local\": the user's own session, so other users on the machine (fast
// user switching, a terminal server) each run their own copy.
const wchar_t kMutexName[] = L"Local\\Ostrivane.Pellumo.Running";
const wchar_t kApplicationClass[] = L"TApplication";
}  // namespace

TRunningCopy::TRunningCopy() {
    mutex_.Reset(CreateMutexW(nullptr, FALSE, kMutexName));
    // Without the mutex there is nothing to go by: running is better than not.
    first_ = !mutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
}

UINT TRunningCopy::OpenSettingsMessage() {
    static const UINT message = RegisterWindowMessageW(L"Ostrivane.Pellumo.OpenSettings");
    return message;
}

bool TRunningCopy::AskToOpenSettings() const {
    // The first copy may have taken the mutex a moment before its window exists.
    const std::wstring title = WideFromUtf8(kApplicationTitle);
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (const HWND window = FindWindowW(kApplicationClass, title.c_str())) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            // Its dialog may then come to the front: the user asked for it here.
            AllowSetForegroundWindow(process);
            return PostMessageW(window, OpenSettingsMessage(), 0, 0) != FALSE;
        }
        Sleep(100);
    }
    LogLine("Another copy runs, but its window was not found");
    return false;
}

}  // namespace pellumo
