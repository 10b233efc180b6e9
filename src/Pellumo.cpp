// pellumo.exe: the new-mail notifier for Outlook Express.
#include <windows.h>

#include "app/Application_win.h"
#include "platform/WideText_win.h"

// The command line as UTF-8, as all text inside the program is.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return pellumo::RunProgram(pellumo::Utf8FromWide(GetCommandLineW()));
}
