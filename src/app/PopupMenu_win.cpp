#include "app/PopupMenu_win.h"

#include "platform/UniqueHandle_win.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"

namespace pellumo {

std::optional<TRuleChoice> TrackRuleMenu(HWND owner, POINT at, const std::vector<TRuleChoice>& choices) {
    const TMenu menu(CreatePopupMenu());
    if (!menu) return std::nullopt;
    for (size_t i = 0; i < choices.size(); ++i)
        AppendMenuW(menu.Get(), MF_STRING, i + 1, WideFromUtf8(choices[i].Label).c_str());
    const HWND before = GetForegroundWindow();
    const UINT command = TrackMenuInFront(menu.Get(), at, owner);
    if (before && before != owner && IsWindow(before)) SetForegroundWindow(before);
    if (command == 0 || command > choices.size()) return std::nullopt;
    return choices[command - 1];
}

}  // namespace pellumo
