// The request travels as a message sent to a message-only window: SendMessage
// blocks the caller until the owning thread has run the window procedure, and
// any message retrieval on that thread, modal loops included, serves it.
#include "app/MainThreadCall.h"

#include <windows.h>

#include "platform/Window_win.h"

namespace pellumo {

namespace {

const wchar_t kClassName[] = L"PellumoMainThreadCall";
const UINT kCallMessage = WM_APP + 1;
const LRESULT kCallDone = 1;  // SendMessage itself gives 0 when it fails

// The message-only window that runs the calls. An error a call throws is
// stopped and logged at the window's boundary, which then answers 0.
class TCallerWindow : public TWindow {
public:
    TCallerWindow() {
        // Another thread may have registered the class first; that is as good.
        RegisterWindowClass(kClassName, TWindowKind::Plain, nullptr,
                            TText::CannotRegisterMainThreadCallClass);
        Create(kClassName, TWindowKind::Plain, 0, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
               TText::CannotCreateMainThreadCallWindow);
    }

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != kCallMessage) return Default(message, wParam, lParam);
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return kCallDone;
    }
};

}  // namespace

TMainThreadCall TMainThreadCall::OfThisThread() {
    // A window belongs to the thread that made it and goes when that thread
    // ends, so one per thread, never destroyed by us: its small object is
    // kept for the thread's life as well.
    thread_local TCallerWindow* window = nullptr;
    if (!window) window = new TCallerWindow;
    return TMainThreadCall(window->Hwnd());
}

bool TMainThreadCall::Call(const std::function<void()>& fn) const {
    return SendMessageW(static_cast<HWND>(window_), kCallMessage, 0, reinterpret_cast<LPARAM>(&fn)) == kCallDone;
}

}  // namespace pellumo
