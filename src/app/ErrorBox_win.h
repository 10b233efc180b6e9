#pragma once
// The program's error box.
#include <windows.h>

#include <string>

namespace pellumo {

// Stop icon, OK, captioned with the application title, over `owner`; the
// text as ErrorBoxText gives it. Returns when the user has closed it.
void ShowErrorBox(HWND owner, const std::string& message);

}  // namespace pellumo
