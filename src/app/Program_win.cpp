// The program entry's work: a background utility with no taskbar button and
// no window at start, the main window, the message loop, and the teardown in
// its order (window first, then the settings, which write themselves).
#include <windows.h>

#include <exception>
#include <memory>

#include "app/MainWindow.h"
#include "app/ProgramStart.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"
#include "settings/NotifierSettings.h"

namespace pellumo {

namespace {

const wchar_t kApplicationClass[] = L"TApplication";

// The application's own top-level window: never shown, a tool window so the
// program has no taskbar button, the owner of the error boxes.
class TApplicationWindow : public TWindow {
public:
    TApplicationWindow() {
        RegisterWindowClass(kApplicationClass, TWindowKind::Plain, nullptr, "Cannot register the application window class");
        Create(kApplicationClass, TWindowKind::Plain, 0, WideFromUtf8(kApplicationTitle),
               WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr, nullptr,
               "Cannot create the application window");
        ShowWindow(Hwnd(), SW_HIDE);
        SetWindowLongW(Hwnd(), GWL_EXSTYLE, GetWindowLongW(Hwnd(), GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    }
};

// Unicode, as the windows are: typed characters arrive as UTF-16.
void RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The owner of the error boxes, while the program runs.
HWND errorBoxOwner = nullptr;

}  // namespace

void ShowErrorBox(const std::string& message) {
    MessageBoxW(errorBoxOwner, WideFromUtf8(ErrorBoxText(message)).c_str(), WideFromUtf8(kApplicationTitle).c_str(),
                MB_ICONSTOP | MB_OK);
}

int RunProgram(const std::string& commandLine) {
    TApplicationWindow application;
    errorBoxOwner = application.Hwnd();

    // The settings' first use constructs them: the registry values, then
    // the folder list from Folders.dbx. When that fails there is nothing to
    // watch and no icon to reach the program by, so it ends after saying why
    // (a wrongly typed value has been repaired for the next start).
    try {
        NotifierSettings();
    } catch (const std::exception& error) {
        ShowErrorBox(error.what());
        return 1;
    }

    {
        std::unique_ptr<TMainWindow> mainWindow;
        try {
            mainWindow.reset(new TMainWindow(commandLine));
            mainWindow->Start();
        } catch (const std::exception& error) {
            // The icon, once added, stays; nothing is watched this run.
            ShowErrorBox(error.what());
            if (!mainWindow) {
                FreeNotifierSettings();
                return 1;
            }
        }
        RunMessageLoop();
    }
    FreeNotifierSettings();
    return 0;
}

}  // namespace pellumo
