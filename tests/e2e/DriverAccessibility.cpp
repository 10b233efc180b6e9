#include "DriverAccessibility.h"

#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstring>

namespace {

const char* watchedClass = nullptr;
std::string heard;

std::string Utf8(BSTR text) {
    if (!text) return std::string();
    const int length = static_cast<int>(SysStringLen(text));
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, &utf8[0], size, nullptr, nullptr);
    SysFreeString(text);
    return utf8;
}

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (!heard.empty() || event != EVENT_SYSTEM_ALERT || !window) return;
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, watchedClass) != 0) return;
    IAccessible* accessible = nullptr;
    VARIANT self;
    VariantInit(&self);
    const HRESULT got = AccessibleObjectFromEvent(window, object, child, &accessible, &self);
    if (FAILED(got) || !accessible) {
        char text[64];
        std::snprintf(text, sizeof text, "no accessible object (0x%08lx)", static_cast<unsigned long>(got));
        heard = text;
        return;
    }
    VARIANT role;
    VariantInit(&role);
    accessible->get_accRole(self, &role);
    BSTR text = nullptr, description = nullptr;
    accessible->get_accName(self, &text);
    accessible->get_accDescription(self, &description);
    const std::string roleText =
        role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_ALERT ? "alert" : "role " + std::to_string(role.lVal);
    heard = roleText + " | " + Utf8(text) + " | " + Utf8(description);
    accessible->Release();
}

}  // namespace

std::string FirstAlert(const char* windowClass, double seconds) {
    watchedClass = windowClass;
    CoInitialize(nullptr);
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, OnEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    if (!hook) return "no hook";
    std::printf("up\n");
    std::fflush(stdout);
    // Out-of-context events come as messages to this thread.
    const DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    MSG msg;
    while (heard.empty() && static_cast<LONG>(GetTickCount() - end) < 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    UnhookWinEvent(hook);
    CoUninitialize();
    return heard.empty() ? "no alert" : heard;
}
