// The Win32 kit's promises where a fault could hide: a handle is released
// exactly once however it moves; a window object is bound from WM_NCCREATE
// to WM_NCDESTROY; an exception in a handler stops at the window's boundary,
// logged, and the system gets the default answer; the log keeps under its cap
// when it cannot be moved aside. No display needed.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Log.h"
#include "platform/UniqueHandle_win.h"
#include "platform/Window_win.h"

namespace pellumo {
namespace test {
namespace {

// A fake handle kind whose closes are counted, so a double close shows.
std::vector<int> closed;
struct TCountedTraits {
    using THandle = int;
    static int Invalid() { return 0; }
    static void Close(int handle) { closed.push_back(handle); }
};
using TCounted = TUniqueHandle<TCountedTraits>;

struct THandleCase {
    const char* name;
    std::function<void()> steps;
    std::vector<int> closedAfter;
};

TEST(UniqueHandle, EveryHandleIsClosedExactlyOnce) {
    const THandleCase cases[] = {
        {"goes out of scope", [] { TCounted h(1); }, {1}},
        {"moved into a new owner", [] { TCounted a(1); TCounted b(std::move(a)); }, {1}},
        {"moved over a held one",
         [] {
             TCounted a(1), b(2);
             b = std::move(a);
         },
         {2, 1}},
        {"moved onto itself",
         [] {
             TCounted a(1);
             TCounted& same = a;
             a = std::move(same);
         },
         {1}},
        {"reset to another", [] { TCounted a(1); a.Reset(2); }, {1, 2}},
        {"reset to nothing twice",
         [] {
             TCounted a(1);
             a.Reset();
             a.Reset();
         },
         {1}},
        {"released", [] { TCounted a(1); EXPECT_EQ(1, a.Release()); }, {}},
        {"never held", [] { TCounted a; }, {}},
    };
    for (const THandleCase& c : cases) {
        closed.clear();
        c.steps();
        EXPECT_EQ(c.closedAfter, closed) << c.name;
    }
}

TEST(UniqueHandle, FileHandleKnowsItsInvalidValue) {
    TFileHandle none(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(none);
    TKernelHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    EXPECT_TRUE(event);
    const HANDLE raw = event.Get();
    TKernelHandle moved(std::move(event));
    EXPECT_FALSE(event);
    EXPECT_EQ(raw, moved.Get());
}

const wchar_t kTestClass[] = L"PellumoWindowKitTest";

// Records which messages reached the object and throws on WM_USER.
class TProbeWindow : public TWindow {
public:
    explicit TProbeWindow(HWND parent = HWND_MESSAGE) {
        RegisterWindowClass(kTestClass, TWindowKind::Plain, nullptr, TText::CannotRegisterPopupClass);
        Create(kTestClass, TWindowKind::Plain, 0, L"", 0, 0, 0, 0, 0, parent, nullptr, TText::CannotCreatePopupWindow);
    }
    using TWindow::Destroy;
    std::vector<UINT> seen;

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(message);
        if (message == WM_USER) throw std::runtime_error("probe handler broke");
        if (message == WM_USER + 1) return 42;
        return Default(message, wParam, lParam);
    }
};

TEST(WindowBase, BindsAtCreationAndUnbindsWhenDestroyed) {
    TProbeWindow probe;
    const HWND hwnd = probe.Hwnd();
    ASSERT_NE(nullptr, hwnd);
    ASSERT_FALSE(probe.seen.empty());
    EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), probe.seen.front());
    EXPECT_EQ(42, SendMessageW(hwnd, WM_USER + 1, 0, 0));
    DestroyWindow(hwnd);
    EXPECT_EQ(nullptr, probe.Hwnd());
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowBase, DestroyingTheObjectDestroysItsWindowOnce) {
    HWND hwnd = nullptr;
    {
        TProbeWindow probe;
        hwnd = probe.Hwnd();
        probe.Destroy();
        EXPECT_EQ(nullptr, probe.Hwnd());
        probe.Destroy();
    }
    EXPECT_FALSE(IsWindow(hwnd));
    {
        TProbeWindow probe;
        hwnd = probe.Hwnd();
    }
    EXPECT_FALSE(IsWindow(hwnd));
}

std::string LogPath() {
    char appData[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData))) return "";
    return std::string(appData) + "\\Ostrivane\\Pellumo\\pellumo.log";
}

std::string LogTail() {
    std::ifstream log(LogPath(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    return text.size() > 400 ? text.substr(text.size() - 400) : text;
}

TEST(WindowBase, AnExceptionInAHandlerIsLoggedAndGetsTheDefaultAnswer) {
    TProbeWindow probe;
    // DefWindowProc answers 0 to a message it does not know.
    EXPECT_EQ(0, SendMessageW(probe.Hwnd(), WM_USER, 0, 0));
    EXPECT_NE(std::string::npos, LogTail().find("probe handler broke"));
    // The window goes on serving.
    EXPECT_EQ(42, SendMessageW(probe.Hwnd(), WM_USER + 1, 0, 0));
}

// A viewer holding the log or its older copy open without delete sharing
// stops the move to the older copy; the log must stay under 256 KB anyway.
TEST(Log, StaysUnderItsCapWhenItCannotBeMovedAside) {
    LogLine("the log's folder is made");
    const std::string log = LogPath();
    ASSERT_FALSE(log.empty());
    for (const std::string& held : {log + ".1", log}) {
        SCOPED_TRACE(held);
        const TFileHandle viewer(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(viewer);
        const std::string line(1000, 'x');
        for (int i = 0; i < 600; ++i) LogLine(line);  // more than twice the cap
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(GetFileAttributesExA(log.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(0u, data.nFileSizeHigh);
        EXPECT_LT(data.nFileSizeLow, 256u * 1024 + 1100);
        LogLine("still written");
        EXPECT_NE(std::string::npos, LogTail().find("still written"));
    }
}

TEST(WindowBase, ATakenOverWindowPassesOnWhatItLeavesAndLetsGoWhenDestroyed) {
    // A window of somebody else's procedure, as a system control is.
    WNDCLASSW foreign {};
    foreign.lpfnWndProc = DefWindowProcW;
    foreign.hInstance = GetModuleHandleW(nullptr);
    foreign.lpszClassName = L"PellumoWindowKitForeign";
    RegisterClassW(&foreign);
    const HWND label = CreateWindowExW(0, foreign.lpszClassName, L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, label);
    int refused = 0;
    TControlHook hook(label, [&](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        if (message != WM_SETTEXT || std::wstring(reinterpret_cast<const wchar_t*>(lParam)) != L"refused") return false;
        ++refused;
        result = FALSE;
        return true;
    });
    SetWindowTextW(label, L"refused");
    EXPECT_EQ(1, refused);
    EXPECT_EQ(0, GetWindowTextLengthW(label));
    // What the hook leaves goes to the control's own procedure.
    SetWindowTextW(label, L"kept");
    EXPECT_EQ(4, GetWindowTextLengthW(label));
    DestroyWindow(label);
    EXPECT_EQ(nullptr, hook.Hwnd());
}

}  // namespace
}  // namespace test
}  // namespace pellumo
