#pragma once
// Input as the user gives it: through the system's input queue (SendInput),
// so it counts as real keyboard and mouse activity, hotkeys and idleness
// included.
#include <string>
#include <vector>

// The mouse moved a pixel and back: the user is at the desk.
bool NudgeMouse();
// The keys named ("ctrl", "shift", "f9", "f10", "apps", "esc") pressed in
// their order and released in the other, wherever the focus is; false for
// a name not known.
bool PressKeys(const std::vector<std::string>& names);
