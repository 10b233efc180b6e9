#pragma once
// Serving this thread's window messages while a Windows test waits: the
// watcher's requests and the popup's timer arrive as messages.
#include <windows.h>

#include <algorithm>
#include <functional>

namespace pellumo {
namespace test {

// Serves messages until Done holds or Ms milliseconds have passed; Each (if
// given) runs after every batch. Returns Done's last answer. Waits in short
// slices, since some of what Done looks at posts no message.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms, const std::function<void()>& each = nullptr) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (each) each();
        if (done()) return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(ms - elapsed, 5), QS_ALLINPUT);
    }
}

inline void Pump(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

}  // namespace test
}  // namespace pellumo
