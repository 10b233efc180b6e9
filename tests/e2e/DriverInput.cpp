#include "DriverInput.h"

#include <windows.h>

bool NudgeMouse() {
    INPUT input[2] {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = input[1].mi.dwFlags = MOUSEEVENTF_MOVE;
    input[0].mi.dx = 1, input[1].mi.dx = -1;
    return SendInput(2, input, sizeof(INPUT)) == 2;
}

bool PressKeys(const std::vector<std::string>& names) {
    static const struct {
        const char* Name;
        WORD Key;
    } kKeys[] = {{"ctrl", VK_CONTROL}, {"shift", VK_SHIFT}, {"f9", VK_F9},
                 {"f10", VK_F10},      {"apps", VK_APPS},   {"esc", VK_ESCAPE}};
    const size_t count = names.size();
    std::vector<INPUT> input(2 * count);
    for (size_t i = 0; i < count; ++i) {
        WORD key = 0;
        for (const auto& known : kKeys)
            if (names[i] == known.Name) key = known.Key;
        if (!key) return false;
        INPUT& down = input[i];
        INPUT& up = input[2 * count - 1 - i];
        down.type = up.type = INPUT_KEYBOARD;
        down.ki.wVk = up.ki.wVk = key;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
    }
    return SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) == input.size();
}
