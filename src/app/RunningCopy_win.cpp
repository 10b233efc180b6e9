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
// How long a start waits for the running copy's window, or its end.
const DWORD kAttemptInterval = 100;  // ms
const int kAttempts = 300;
}  // namespace

TRunningCopy::TRunningCopy() {
    // Owned by this thread, the program's main one, until the process ends:
    // a copy's end, however it comes, releases it to a start that waits.
    mutex_.Reset(CreateMutexW(nullptr, TRUE, kMutexName));
    // Without the mutex there is nothing to go by: running is better than not.
    first_ = !mutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
}

TRunningCopy::~TRunningCopy() {
    if (first_ && mutex_) ReleaseMutex(mutex_.Get());
}

UINT TRunningCopy::OpenSettingsMessage() {
    static const UINT message = RegisterWindowMessageW(L"Ostrivane.Pellumo.OpenSettings");
    return message;
}

UINT TRunningCopy::RunningQueryMessage() {
    static const UINT message = RegisterWindowMessageW(L"Ostrivane.Pellumo.Running");
    return message;
}

namespace {
void AskForSettings(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    // Its dialog may then come to the front: the user asked for it here.
    AllowSetForegroundWindow(process);
    if (!PostMessageW(window, TRunningCopy::OpenSettingsMessage(), 0, 0))
        LogLine("The running copy could not be asked for its settings");
}

// Whether the copy whose window this is runs on. An ending copy's window
// outlives its message loop for a moment: a start that took it for a
// running copy would end, and then nothing would run.
bool Answers(HWND window) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, TRunningCopy::RunningQueryMessage(), 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                               kAttemptInterval, &answer) &&
           static_cast<LRESULT>(answer) == TRunningCopy::kRunningAnswer;
}
}  // namespace

TRunningCopy::TOtherCopy TRunningCopy::ReachOtherCopy(bool askForSettings) {
    // The first copy may have taken the mutex a moment before its window
    // exists, or be ending: whichever comes first.
    const std::wstring title = WideFromUtf8(kApplicationTitle);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const HWND window = FindWindowW(kApplicationClass, title.c_str());
        if (window && Answers(window)) {
            if (askForSettings) AskForSettings(window);
            return TOtherCopy::Running;
        }
        const DWORD waited = mutex_ ? WaitForSingleObject(mutex_.Get(), kAttemptInterval) : WAIT_FAILED;
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            LogLine("The copy that was ending has ended: this one runs in its place");
            first_ = true;
            return TOtherCopy::Ended;
        }
        if (waited != WAIT_TIMEOUT) Sleep(kAttemptInterval);
    }
    // Busy for long (a slow start-up scan), or hung: asked all the same,
    // should it come round to it.
    const HWND window = FindWindowW(kApplicationClass, title.c_str());
    if (window && askForSettings) AskForSettings(window);
    LogLine(window ? "Another copy runs, but its window does not answer" : "Another copy runs, but its window was not found");
    return TOtherCopy::Unknown;
}

}  // namespace pellumo
