// The program entry's work: a background utility with no taskbar button and
// no window at start, the main window, the message loop, and the teardown in
// its order (window first, then the settings, which write themselves).
#include <windows.h>

#include <exception>
#include <memory>

#include "app/MainWindow.h"
#include "app/ProgramStart.h"
#include "platform/WideText_win.h"
#include "settings/NotifierSettings.h"

namespace pellumo {

namespace {

const wchar_t kApplicationClass[] = L"TApplication";

// The application's own top-level window: never shown, a tool window so the
// program has no taskbar button, the owner of the error boxes.
class TApplicationWindow {
public:
    TApplicationWindow() {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSW windowClass {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kApplicationClass;
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, kApplicationClass, WideFromUtf8(kApplicationTitle).c_str(),
                                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
        if (window_) {
            ShowWindow(window_, SW_HIDE);
            SetWindowLongW(window_, GWL_EXSTYLE, GetWindowLongW(window_, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
        }
    }
    ~TApplicationWindow() {
        if (window_) DestroyWindow(window_);
    }
    TApplicationWindow(const TApplicationWindow&) = delete;
    TApplicationWindow& operator=(const TApplicationWindow&) = delete;
    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
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
    errorBoxOwner = application.Handle();

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
