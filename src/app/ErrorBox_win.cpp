#include "app/ErrorBox_win.h"

#include "app/ProgramStart.h"
#include "platform/WideText_win.h"

namespace pellumo {

void ShowErrorBox(HWND owner, const TMessage& message) {
    MessageBoxW(owner, WideFromUtf8(ErrorBoxText(message.ForUser())).c_str(), WideFromUtf8(kApplicationTitle).c_str(),
                MB_ICONSTOP | MB_OK);
}

}  // namespace pellumo
