#pragma once
// Input as the user gives it: through the system's input queue (SendInput),
// so it counts as real keyboard and mouse activity, hotkeys and idleness
// included.

// The mouse moved a pixel and back: the user is at the desk.
bool NudgeMouse();
// Ctrl+Shift+F9 pressed and released, wherever the focus is.
bool PressControlShiftF9();
