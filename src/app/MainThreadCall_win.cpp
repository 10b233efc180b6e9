// The request travels as a message sent to a message-only window: SendMessage
// blocks the caller until the owning thread has run the window procedure, and
// any message retrieval on that thread, modal loops included, serves it.
#include "app/MainThreadCall.h"

#include <windows.h>

#include "platform/Exception.h"

namespace pellumo {

namespace {

const wchar_t kClassName[] = L"PellumoMainThreadCall";
const UINT kCallMessage = WM_APP + 1;
const LRESULT kCallDone = 1;  // SendMessage itself gives 0 when it fails

LRESULT CALLBACK CallerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallMessage) {
        const auto* fn = reinterpret_cast<const std::function<void()>*>(lParam);
        // No exception may unwind through the system's code.
        try {
            (*fn)();
            return kCallDone;
        } catch (...) {
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass {};
    windowClass.lpfnWndProc = CallerWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    // Another thread may have registered it first; that is as good.
    if (!RegisterClassW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw Exception("Cannot register the main thread call window class");
    const HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (!window) throw Exception("Cannot create the main thread call window");
    return window;
}

}  // namespace

TMainThreadCall TMainThreadCall::OfThisThread() {
    // A window belongs to the thread that made it and goes when that thread
    // ends, so one per thread, never destroyed by us.
    thread_local HWND window = nullptr;
    if (!window) window = MakeWindow();
    return TMainThreadCall(window);
}

bool TMainThreadCall::Call(const std::function<void()>& fn) const {
    return SendMessageW(static_cast<HWND>(window_), kCallMessage, 0, reinterpret_cast<LPARAM>(&fn)) == kCallDone;
}

}  // namespace pellumo
