#pragma once
// The program's error box.
#include <windows.h>

#include "texts/Message.h"

namespace pellumo {

// Stop icon, OK, captioned with the application title, over `owner`; the
// message in the user's language as ErrorBoxText gives it. Returns when the
// user has closed it.
void ShowErrorBox(HWND owner, const TMessage& message);

}  // namespace pellumo
