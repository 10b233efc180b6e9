// pellumo-driver COMMAND ARGS...: one step of an end-to-end test against the
// running program. Prints what it saw; exit code 0 when the step's
// expectation held, 1 when not, 2 for a usage error.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DriverAccessibility.h"
#include "DriverInput.h"
#include "DriverTreeView.h"
#include "DriverWindows.h"

namespace {

const char kPopupClass[] = "TfrmMornelle";
const char kApplicationClass[] = "TApplication";
const char kTitle[] = "Ostrivane Pellumo";
const UINT kTrayIconMessage = WM_USER + 1;
// The setup dialog's folder tree and folder colour (TSetupDialog's ids).
const int kFolderTreeId = 320;

HWND Popup() { return FindWindowA(kPopupClass, nullptr); }
// The program's hidden window: the tray icon's, and the one that hears the
// shell and the session.
HWND ApplicationWindow() { return FindWindowA(kApplicationClass, kTitle); }

template <typename Pred>
bool WaitFor(double seconds, Pred pred) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    for (;;) {
        if (pred()) return true;
        if (static_cast<LONG>(GetTickCount() - end) >= 0) return false;
        Sleep(20);
    }
}

// The program's tray icon, addressed as the shell knows it.
NOTIFYICONDATAA IconData(HWND application) {
    NOTIFYICONDATAA data {};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = application;
    data.uID = 0;
    return data;
}

UINT MouseMessage(const std::string& name) {
    if (name == "dblclk") return WM_LBUTTONDBLCLK;
    if (name == "lclick") return WM_LBUTTONDOWN;
    if (name == "ldown") return WM_LBUTTONDOWN;
    if (name == "lup") return WM_LBUTTONUP;
    if (name == "rdown") return WM_RBUTTONDOWN;
    if (name == "rup") return WM_RBUTTONUP;
    if (name == "move") return WM_MOUSEMOVE;
    if (name == "context") return WM_CONTEXTMENU;  // the right button's release, or the context key
    if (name == "enter") return NIN_KEYSELECT;
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: pellumo-driver COMMAND ...\n"
                 "  wait-start SECONDS         the popup window exists (the program is up)\n"
                 "  windows                    the program's visible windows and taskbar buttons\n"
                 "  tray dblclk|ldown|lup|rdown|rup|move|context|enter   a tray icon message\n"
                 "  icon                       whether the tray icon exists\n"
                 "  drop-icon                  removes the icon as a restarting shell loses it\n"
                 "  taskbar-created            broadcasts the shell's TaskbarCreated\n"
                 "  popups N SECONDS [PREFIX]  waits for N notifications to come and go;\n"
                 "                             screenshots PREFIX-k.bmp\n"
                 "  showing SECONDS            waits for a notification on screen\n"
                 "  count TITLE                visible windows with that title\n"
                 "  hotkey                     presses Ctrl+Shift+F9\n"
                 "  keys KEY...                presses keys together (ctrl shift f9 f10 apps esc)\n"
                 "  popup-click-right          the right button pressed and released on the popup's text\n"
                 "  hold-hotkey SECONDS        registers Ctrl+Shift+F9 as another program\n"
                 "  wait-title TITLE SECONDS   a visible window with that title appears\n"
                 "  foreground                 the title of the foreground window\n"
                 "  press TITLE ok|cancel|esc|enter   closes a dialog as a user would\n"
                 "  toggle TITLE TEXT          clicks the dialog's check box TEXT, prints its state\n"
                 "  tick TITLE FOLDER          space on FOLDER in the dialog's folder tree, prints its box\n"
                 "  pick TITLE ID TEXT         picks the entry TEXT of the dialog's combo box ID\n"
                 "  errorbox SECONDS           the program's error box: its text, then OK\n"
                 "  menu SECONDS               the tray menu opens (and its items, where readable)\n"
                 "  menu-key CHAR|esc|enter|down  types CHAR or presses a key in the open menu\n"
                 "  move X Y                   moves the popup window\n"
                 "  endsession                 tells the program the session ends\n"
                 "  wait-exit SECONDS          the program's windows are gone\n"
                 "  shot FILE.bmp              the whole screen\n"
                 "  mail-client SECONDS [DELAY]  a window of the mail client's class, in front after\n"
                 "                             DELAY seconds for SECONDS; prints a line once it exists\n"
                 "  fullscreen SECONDS         a window over the whole screen, in front for SECONDS\n"
                 "  maximized SECONDS          a framed window maximized, in front for SECONDS\n"
                 "  click-body                 clicks the popup's message text\n"
                 "  memory                     the program's private bytes\n"
                 "  nudge                      moves the mouse a pixel and back, as a user does\n"
                 "  alert SECONDS              the popup's first alert to screen readers: role | name | description\n"
                 "  close-key KEY | open-key KEY  HKCU\\KEY refuses writes (as a policy would), or\n"
                 "                             takes them again\n"
                 "  ending-copy SECONDS [window]  holds the one-copy lock, as a copy that is\n"
                 "                             ending; with \"window\", its window too for the first\n"
                 "                             half, answering nothing; prints a line once it holds them\n");
    return 2;
}

// A window of another program: made at once (saying "up"), brought to the
// front after `delay` seconds, kept `seconds` more, then destroyed.
int StandInWindow(const char* className, const char* title, DWORD style, RECT at, double delay, double seconds,
                  int show = SW_SHOW) {
    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, className, title, style, at.left, at.top, at.right - at.left, at.bottom - at.top,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return 1;
    std::printf("%s up\n", title);
    std::fflush(stdout);
    auto pump = [](double forSeconds) {
        const DWORD end = GetTickCount() + static_cast<DWORD>(forSeconds * 1000);
        MSG msg;
        while (static_cast<LONG>(GetTickCount() - end) < 0) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            Sleep(10);
        }
    };
    pump(delay);
    ShowWindow(window, show);
    SetForegroundWindow(window);
    if (show == SW_SHOWMAXIMIZED) {
        // Where its frame lies against the screen: past it, on a monitor
        // without a taskbar.
        RECT outer {};
        GetWindowRect(window, &outer);
        std::printf("outer %ld %ld %ld %ld\n", outer.left, outer.top, outer.right, outer.bottom);
        std::fflush(stdout);
    }
    pump(seconds);
    DestroyWindow(window);
    return 0;
}

// The arguments as UTF-8, whatever the code page: window titles in any
// language are compared with what TextOf reads.
std::vector<std::string> Utf8Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; wide && i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(size > 0 ? size - 1 : 0, '\0');
        if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &text[0], size, nullptr, nullptr);
        args.push_back(text);
    }
    LocalFree(wide);
    return args;
}

// Everyone may do all with HKCU\Key, or all but write to it.
bool KeyTakesWrites(const std::string& key, bool writes) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return false;
    alignas(DWORD) BYTE aclBytes[256];
    ACL* acl = reinterpret_cast<ACL*>(aclBytes);
    SECURITY_DESCRIPTOR descriptor;
    HKEY handle = nullptr;
    bool done = InitializeAcl(acl, sizeof aclBytes, ACL_REVISION) &&
                (writes || AddAccessDeniedAce(acl, ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, everyone)) &&
                AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone) &&
                InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) &&
                RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, WRITE_DAC, &handle) == ERROR_SUCCESS;
    if (done) done = RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
    if (handle) RegCloseKey(handle);
    FreeSid(everyone);
    return done;
}

}  // namespace

int main() {
    const std::vector<std::string> argv = Utf8Arguments();
    const int argc = static_cast<int>(argv.size());
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    auto arg = [&](int i) { return i < argc ? argv[i] : std::string(); };
    auto seconds = [&](int i) { return i < argc ? std::atof(argv[i].c_str()) : 10.0; };

    if (command == "wait-start") {
        // Up once its window exists and its main thread waits for input:
        // the start-up scan is over and the watcher has been started.
        bool up = WaitFor(seconds(2), [] { return Popup() != nullptr; });
        if (up) {
            HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, ProcessOf(Popup()));
            up = process && WaitForInputIdle(process, static_cast<DWORD>(seconds(2) * 1000)) == 0;
            if (process) CloseHandle(process);
        }
        std::printf("%s\n", up ? "started" : "not started");
        return up ? 0 : 1;
    }
    if (command == "wait-exit") {
        const bool gone = WaitFor(seconds(2), [] { return Popup() == nullptr; });
        std::printf("%s\n", gone ? "exited" : "still running");
        return gone ? 0 : 1;
    }
    if (command == "shot") return Screenshot(arg(2)) ? 0 : 1;
    if (command == "mail-client") {
        // Stands in for the mail client's main window: the program looks for
        // it by its class, and brings it forward on a click on the text. It
        // comes to the front after DELAY seconds and stays SECONDS.
        return StandInWindow("Outlook Express Browser Class", "Outlook Express", WS_OVERLAPPEDWINDOW,
                             RECT {10, 10, 410, 310}, argc > 3 ? seconds(3) : 0, seconds(2));
    }
    if (command == "alert") {
        const std::string heard = FirstAlert(kPopupClass, seconds(2));
        std::printf("%s\n", heard.c_str());
        return heard.compare(0, 5, "alert") == 0 ? 0 : 1;
    }
    if (command == "ending-copy") {
        // A copy of the program between its message loop's end and its
        // process's: its window goes first, the lock with the process.
        const HANDLE lock = CreateMutexW(nullptr, TRUE, L"Local\\Ostrivane.Pellumo.Running");
        if (!lock || GetLastError() == ERROR_ALREADY_EXISTS) return 1;
        HWND window = nullptr;
        if (arg(3) == "window") {
            WNDCLASSW windowClass {};
            windowClass.lpfnWndProc = DefWindowProcW;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"TApplication";
            RegisterClassW(&windowClass);
            window = CreateWindowExW(WS_EX_TOOLWINDOW, L"TApplication", L"Ostrivane Pellumo", WS_POPUP, 0, 0, 0, 0,
                                     nullptr, nullptr, windowClass.hInstance, nullptr);
            if (!window) return 1;
        }
        std::printf("up\n");
        std::fflush(stdout);
        // No messages taken meanwhile, as in a teardown.
        Sleep(static_cast<DWORD>(seconds(2) * 1000 / (window ? 2 : 1)));
        if (window) {
            DestroyWindow(window);
            Sleep(static_cast<DWORD>(seconds(2) * 1000 / 2));
        }
        CloseHandle(lock);  // the process's end releases it as well
        return 0;
    }
    if (command == "close-key" || command == "open-key") return KeyTakesWrites(arg(2), command == "open-key") ? 0 : 1;
    if (command == "nudge") return NudgeMouse() ? 0 : 1;
    if (command == "hotkey") return PressKeys({"ctrl", "shift", "f9"}) ? 0 : 1;
    if (command == "keys") return PressKeys(std::vector<std::string>(argv.begin() + 2, argv.end())) ? 0 : 1;
    if (command == "hold-hotkey") {
        // Another program that has Ctrl+Shift+F9, for SECONDS.
        if (!RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT, VK_F9)) return 1;
        std::printf("up\n");
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(seconds(2) * 1000));
        return 0;
    }
    if (command == "fullscreen") {
        // A presentation: a captionless window over the whole primary
        // monitor, in front for SECONDS.
        return StandInWindow("Pellumo Driver Full Screen", "Full screen", WS_POPUP,
                             RECT {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, 0, seconds(2));
    }
    if (command == "maximized") {
        // Someone at work: a window with a caption and a sizing frame,
        // maximized and in front for SECONDS.
        return StandInWindow("Pellumo Driver Maximized", "Maximized", WS_OVERLAPPEDWINDOW, RECT {50, 50, 450, 350}, 0,
                             seconds(2), SW_SHOWMAXIMIZED);
    }
    if (command == "count") {
        std::printf("%d\n", CountVisible(arg(2)));
        return 0;
    }
    if (command == "wait-title") {
        const std::string title = arg(2);
        const bool found = WaitFor(seconds(3), [&] { return FindVisible(title) != nullptr; });
        std::printf("%s\n", found ? "found" : "not found");
        return found ? 0 : 1;
    }
    if (command == "foreground") {
        std::printf("%s\n", TextOf(GetForegroundWindow()).c_str());
        return 0;
    }
    if (command == "toggle") {
        // Clicks a dialog's check box by its text; prints its state after.
        const HWND dialog = FindVisible(arg(2));
        HWND box = nullptr;
        for (HWND child = dialog ? GetWindow(dialog, GW_CHILD) : nullptr; child && !box;
             child = GetWindow(child, GW_HWNDNEXT))
            if (TextOf(child) == arg(3)) box = child;
        if (!box) return 1;
        SendMessageA(box, BM_CLICK, 0, 0);
        std::printf("%s\n", SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? "checked" : "unchecked");
        return 0;
    }
    if (command == "tick") {
        // Ticks or unticks a folder in the setup dialog's tree as the
        // keyboard does: selects it, then space; prints its box after.
        const HWND dialog = FindVisible(arg(2));
        const HWND tree = dialog ? GetDlgItem(dialog, kFolderTreeId) : nullptr;
        const HTREEITEM item = tree ? FindTreeItem(tree, arg(3)) : nullptr;
        if (!item) return 1;
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        const int before = TreeItemCheck(tree, item);
        PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 1);
        PostMessageW(tree, WM_KEYUP, VK_SPACE, 0xC0000001);
        // The program's loop takes the key when it gets to it.
        WaitFor(2, [&] { return TreeItemCheck(tree, item) != before; });
        const int check = TreeItemCheck(tree, item);
        std::printf("%s\n", check == 2 ? "checked" : check == 1 ? "unchecked" : "no box");
        return 0;
    }
    if (command == "pick") {
        // Picks an entry of a dialog's combo box by its text, as the mouse does.
        const HWND dialog = FindVisible(arg(2));
        const HWND combo = dialog ? GetDlgItem(dialog, std::atoi(arg(3).c_str())) : nullptr;
        if (!combo) return 1;
        const LRESULT index =
            SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(arg(4).c_str()));
        if (index == CB_ERR) return 1;
        SendMessageA(combo, CB_SETCURSEL, index, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        return 0;
    }
    if (command == "press") {
        const HWND dialog = FindVisible(arg(2));
        if (!dialog) return 1;
        const std::string how = arg(3);
        if (how == "ok" || how == "cancel") {
            const HWND button = GetDlgItem(dialog, how == "ok" ? IDOK : IDCANCEL);
            if (!button) return 1;
            PostMessageA(button, BM_CLICK, 0, 0);
        } else {
            // Keys go to whatever has the focus in the dialog.
            const WPARAM key = how == "esc" ? VK_ESCAPE : VK_RETURN;
            SetForegroundWindow(dialog);
            INPUT input[2] {};
            input[0].type = input[1].type = INPUT_KEYBOARD;
            input[0].ki.wVk = input[1].ki.wVk = static_cast<WORD>(key);
            input[1].ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(2, input, sizeof(INPUT));
        }
        return 0;
    }
    if (command == "errorbox") {
        HWND box = nullptr;
        WaitFor(seconds(2), [&] { return (box = FindVisible(kTitle, "#32770")) != nullptr; });
        if (!box) {
            std::printf("no error box\n");
            return 1;
        }
        // The message text is the box's static control that is not the icon.
        std::string text;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (ClassOf(child) == "Static" && !TextOf(child).empty()) text = TextOf(child);
        std::printf("%s\n", text.c_str());
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return 0;
    }

    const HWND popup = Popup();
    if (!popup) {
        std::printf("the program is not running\n");
        return 1;
    }
    if (command == "windows") {
        // A visible top-level window that is neither a tool window nor owned
        // has a taskbar button; so has any visible one marked as an app window.
        const DWORD pid = ProcessOf(popup);
        int visible = 0, buttons = 0;
        for (HWND window : TopLevelWindows()) {
            if (ProcessOf(window) != pid) continue;
            const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
            const bool shown = IsWindowVisible(window);
            const bool button = shown && ((exStyle & WS_EX_APPWINDOW) ||
                                          (!(exStyle & WS_EX_TOOLWINDOW) && !GetWindow(window, GW_OWNER)));
            std::printf("%s \"%s\"%s%s\n", ClassOf(window).c_str(), TextOf(window).c_str(), shown ? " visible" : "",
                        exStyle & WS_EX_TOOLWINDOW ? " toolwindow" : "");
            visible += shown;
            buttons += button;
        }
        std::printf("visible %d, taskbar buttons %d\n", visible, buttons);
        return 0;
    }
    if (command == "tray") {
        const UINT message = MouseMessage(arg(2));
        if (!message) return Usage();
        return PostMessageA(ApplicationWindow(), kTrayIconMessage, 0, message) ? 0 : 1;
    }
    if (command == "icon") {
        // Modifying nothing succeeds exactly when the shell has the icon.
        NOTIFYICONDATAA data = IconData(ApplicationWindow());
        const bool present = Shell_NotifyIconA(NIM_MODIFY, &data);
        std::printf("%s\n", present ? "icon present" : "icon absent");
        return present ? 0 : 1;
    }
    if (command == "drop-icon") {
        NOTIFYICONDATAA data = IconData(ApplicationWindow());
        return Shell_NotifyIconA(NIM_DELETE, &data) ? 0 : 1;
    }
    if (command == "taskbar-created") {
        const UINT message = RegisterWindowMessageA("TaskbarCreated");
        return PostMessageA(HWND_BROADCAST, message, 0, 0) ? 0 : 1;
    }
    if (command == "popups") {
        const int wanted = std::atoi(arg(2).c_str());
        const std::string prefix = arg(4);
        const DWORD end = GetTickCount() + static_cast<DWORD>(seconds(3) * 1000);
        int seen = 0;
        std::string last;
        bool wasVisible = false;
        // Until the N-th has come and gone, so the next step starts clean. A
        // showing begins where the window turns visible, or where its text
        // changes: the next notification follows the last within a tick.
        while (static_cast<LONG>(GetTickCount() - end) < 0 && (seen < wanted || wanted == 0 || wasVisible)) {
            if (!IsWindowVisible(popup)) {
                wasVisible = false;
                Sleep(15);
                continue;
            }
            // The labels are filled one after another, and the program fills
            // them for the next notification while the window is hidden: a
            // line counts once it reads the same twice with the window
            // visible before and after, or a hidden next one would count
            // once now and again when it shows.
            const std::string line = PopupLine(popup);
            Sleep(15);
            if (PopupLine(popup) != line || !IsWindowVisible(popup)) continue;
            if (!wasVisible || WithoutWaitingCount(line) != WithoutWaitingCount(last)) {
                ++seen;
                std::printf("popup: %s\n", line.c_str());
                std::fflush(stdout);
                if (!prefix.empty()) {
                    // Photographed once it has faded in.
                    WaitFor(3, [&] { return Alpha(popup) == 255; });
                    Sleep(100);
                    Screenshot(prefix + "-" + std::to_string(seen) + ".bmp");
                }
                last = line;
            }
            wasVisible = true;
            Sleep(15);
        }
        if (wanted == 0) return seen == 0 ? 0 : 1;
        return seen == wanted ? 0 : 1;
    }
    if (command == "click-body" || command == "popup-click-right") {
        // The middle of the message text, in the popup's client coordinates.
        const HWND body = GetDlgItem(popup, 105);
        RECT r {};
        if (!body || !GetWindowRect(body, &r)) return 1;
        POINT at {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ScreenToClient(popup, &at);
        const LPARAM where = MAKELPARAM(at.x, at.y);
        const bool left = command == "click-body";
        PostMessageA(popup, left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, left ? MK_LBUTTON : MK_RBUTTON, where);
        PostMessageA(popup, left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, where);
        return 0;
    }
    if (command == "memory") {
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ProcessOf(popup));
        PROCESS_MEMORY_COUNTERS_EX counters {};
        counters.cb = sizeof counters;
        const bool ok = process && GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                                        sizeof counters);
        if (process) CloseHandle(process);
        if (!ok) return 1;
        // On XP the commit charge counts as the private bytes; some systems
        // leave PrivateUsage itself empty.
        const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
        std::printf("%lu\n", static_cast<unsigned long>(bytes));
        return 0;
    }
    if (command == "showing") {
        const bool shown = WaitFor(seconds(2), [&] { return IsWindowVisible(popup) != FALSE; });
        if (!shown) return 1;
        Sleep(100);
        std::printf("popup: %s\n", PopupLine(popup).c_str());
        return 0;
    }
    if (command == "menu") {
        HWND menu = nullptr;
        WaitFor(seconds(2), [&] { return (menu = FindVisible("", "#32768")) != nullptr; });
        if (!menu) {
            std::printf("no menu\n");
            return 1;
        }
        std::printf("menu open\n");
        // Its items, where the system lets another process read them
        // (Wine keeps menus private to their process).
        HMENU items = reinterpret_cast<HMENU>(SendMessageA(menu, 0x01E1 /* MN_GETHMENU */, 0, 0));
        const int count = items ? GetMenuItemCount(items) : 0;
        const UINT defaultItem = items ? GetMenuDefaultItem(items, TRUE, 0) : static_cast<UINT>(-1);
        for (int i = 0; i < count; ++i) {
            char text[128] = {};
            GetMenuStringA(items, i, text, sizeof text, MF_BYPOSITION);
            std::printf("%s%s\n", text[0] ? text : "-", static_cast<UINT>(i) == defaultItem ? " (default)" : "");
        }
        return 0;
    }
    if (command == "menu-key") {
        const HWND menu = FindVisible("", "#32768");
        if (!menu) return 1;
        if (arg(2) == "esc")
            PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        else if (arg(2) == "enter")
            PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        else if (arg(2) == "down")
            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        else {
            // An access key in any script: its first character.
            wchar_t key[4] = {};
            MultiByteToWideChar(CP_UTF8, 0, arg(2).c_str(), -1, key, 4);
            PostMessageW(menu, WM_CHAR, key[0], 0);
        }
        return 0;
    }
    if (command == "move") {
        // As a program (or the user's drag) would place it.
        return SetWindowPos(popup, nullptr, std::atoi(arg(2).c_str()), std::atoi(arg(3).c_str()), 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    }
    if (command == "endsession") {
        // Windows tells every top-level window that the session ends.
        const bool told = PostMessageA(popup, WM_ENDSESSION, TRUE, 0) != FALSE;
        return PostMessageA(ApplicationWindow(), WM_ENDSESSION, TRUE, 0) && told ? 0 : 1;
    }
    return Usage();
}
