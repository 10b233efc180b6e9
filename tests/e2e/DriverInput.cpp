#include "DriverInput.h"

#include <windows.h>

bool NudgeMouse() {
    INPUT input[2] {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = input[1].mi.dwFlags = MOUSEEVENTF_MOVE;
    input[0].mi.dx = 1, input[1].mi.dx = -1;
    return SendInput(2, input, sizeof(INPUT)) == 2;
}

bool PressControlShiftF9() {
    const WORD keys[] = {VK_CONTROL, VK_SHIFT, VK_F9};
    INPUT input[6] {};
    for (int i = 0; i < 3; ++i) {
        input[i].type = input[5 - i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = input[5 - i].ki.wVk = keys[i];
        input[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    return SendInput(6, input, sizeof(INPUT)) == 6;
}
