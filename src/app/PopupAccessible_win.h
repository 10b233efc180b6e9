#pragma once
// What the popup is to assistive technology (MSAA, on XP and later): an
// alert with a name (what arrived) and a description (the start of the
// preview), its other members those of the system's standard object for a
// window's client area. Screen readers speak an alert only with this role
// and a name, when EVENT_SYSTEM_ALERT is raised for it.
#include <windows.h>

#include <string>

namespace pellumo {

class TPopupAccessible {
public:
    // The texts the next accessible object carries (UTF-8).
    void SetTexts(const std::string& name, const std::string& description);
    // Raises EVENT_SYSTEM_ALERT for the window's client area.
    static void RaiseAlert(HWND window);
    // WM_GETOBJECT: true and the result when asked for the client area's
    // object; false to leave the message to the default handling.
    bool GetObject(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

private:
    std::wstring name_, description_;
};

}  // namespace pellumo
