#pragma once
// What the desktop and the user's system say, as the popup asks it afresh at
// every use: whether a full-screen program is in front, and the user's
// preferences for every program (screen reader, high contrast, how long a
// notification stays).
#include "app/DisplayCycle.h"

namespace pellumo {

bool FullScreenProgramInFront();
TSystemPreferences ReadSystemPreferences();

}  // namespace pellumo
