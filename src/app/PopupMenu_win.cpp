#include "app/PopupMenu_win.h"

#include "platform/UniqueHandle_win.h"
#include "platform/WideText_win.h"

namespace pellumo {

std::optional<TRuleChoice> TrackRuleMenu(HWND owner, POINT at, const std::vector<TRuleChoice>& choices) {
    const TMenu menu(CreatePopupMenu());
    if (!menu || choices.empty()) return std::nullopt;
    for (size_t i = 0; i < choices.size(); ++i)
        AppendMenuW(menu.Get(), MF_STRING, i + 1, WideFromUtf8(choices[i].Label).c_str());
    const HWND before = GetForegroundWindow();
    SetForegroundWindow(owner);
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, owner, nullptr));
    // Lets the system see the menu closed before the owner goes behind.
    PostMessageW(owner, WM_NULL, 0, 0);
    if (before && before != owner && IsWindow(before)) SetForegroundWindow(before);
    if (command == 0 || command > choices.size()) return std::nullopt;
    return choices[command - 1];
}

}  // namespace pellumo
