// pellumo.exe: the new-mail notifier for Outlook Express.
#include <windows.h>

#include "app/MainWindow.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return pellumo::RunProgram(GetCommandLineA()); }

