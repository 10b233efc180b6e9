#pragma once
// The one window base of the shell, its class registration, and the small
// helpers every window shares (the pixel font, text measuring, a child's
// rectangle). A window object is bound to its HWND when the window is made
// (WM_NCCREATE for our classes, at once for a system control it takes over)
// and unbound at WM_NCDESTROY; no exception from a handler ever unwinds
// through the system's code.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <utility>

#include "texts/TextKeys.h"

#include "platform/UniqueHandle_win.h"

namespace pellumo {

using TFont = TGdi<HFONT>;

// What a window class's unhandled messages go to.
enum class TWindowKind {
    Plain,   // DefWindowProc
    Dialog,  // DefDlgProc, with the dialog's extra window bytes
};

// Registers the window class `name` for TWindow objects, unless this module
// has one of that name already. Throws Exception(`failure`) when the system
// refuses.
void RegisterWindowClass(const wchar_t* name, TWindowKind kind, HCURSOR cursor, TText failure);

// Writes one log line for an exception stopped at a boundary to Win32.
void LogStoppedException(const char* where, const std::exception* error);

// Runs `handler` at a boundary to Win32: an exception it throws ends here,
// logged, and `fallback` gives the result instead.
template <typename Handler, typename Fallback>
auto CallAtBoundary(const char* where, Handler&& handler, Fallback&& fallback) noexcept -> decltype(fallback()) {
    try {
        return handler();
    } catch (const std::exception& error) {
        LogStoppedException(where, &error);
    } catch (...) {
        LogStoppedException(where, nullptr);
    }
    return fallback();
}

class TWindow {
public:
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    // Unbinds first (no handler of a half-destroyed object runs), then
    // destroys the window unless the system has already done so.
    virtual ~TWindow();

    // Null before the window is made and after it is destroyed.
    HWND Hwnd() const { return hwnd_; }

protected:
    TWindow() = default;

    // Makes a window of a class registered with RegisterWindowClass, bound to
    // this object from its WM_NCCREATE on. Throws Exception(`failure`).
    void Create(const wchar_t* className, TWindowKind kind, DWORD exStyle, const std::wstring& caption, DWORD style,
                int left, int top, int width, int height, HWND parent, HMENU menuOrId, TText failure);
    // Makes a system control (a combo box, an edit...) and takes its
    // messages over: the control's own procedure becomes Default.
    void CreateControl(const wchar_t* className, DWORD exStyle, const std::wstring& text, DWORD style, int left,
                       int top, int width, int height, HWND parent, int id, TText failure);
    // Takes over the messages of a system control made elsewhere: its own
    // procedure becomes Default. Last in line: whatever took it over before
    // (a buddy up-down, say) sees each message after this object.
    void TakeOver(HWND control);
    // Unbinds and destroys the window now; nothing when there is none.
    void Destroy();

    // Every message of the bound window; what it leaves goes to Default.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
        return Default(message, wParam, lParam);
    }
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    template <LRESULT(WINAPI* Unbound)(HWND, UINT, WPARAM, LPARAM)>
    static LRESULT CALLBACK ClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT Dispatch(TWindow* self, UINT message, WPARAM wParam, LPARAM lParam);
    void Bind(HWND hwnd);
    void Unbind();

    HWND hwnd_ = nullptr;
    WNDPROC defaultProc_ = DefWindowProcW;
    WNDPROC controlProc_ = nullptr;  // a taken-over control's own procedure
    friend void RegisterWindowClass(const wchar_t*, TWindowKind, HCURSOR, TText);
};

// A system control made elsewhere whose messages pass `handler` first; the
// handler returns true when it took one, with the result in `result`.
class TControlHook : public TWindow {
public:
    using THandler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    TControlHook(HWND control, THandler handler) : handler_(std::move(handler)) { TakeOver(control); }

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = 0;
        return handler_ && handler_(message, wParam, lParam, result) ? result : Default(message, wParam, lParam);
    }

    THandler handler_;
};

// 8 point at the screen's usual 96 dots per inch, in pixels as designed (not
// scaled with the system's font size), in the face given.
TFont CreatePixelFont(const wchar_t* face, bool bold = false, bool underline = false);
// Registers the common controls' up-down and hotkey classes. By name, not
// by path: the manifest's common controls 6 must be the ones loaded. False
// when the system has none.
bool InitCommonControlClasses();

// `points` point at the screen's DPI, in the face given: as large as the
// system's own text at any font size.
TFont CreatePointFont(const wchar_t* face, int points, bool bold = false, bool underline = false);

// The font Windows shows its own message boxes and dialogs in (the user's
// "message box" font), at the size the screen's DPI gives it: grows at 120
// and 144 DPI. Falls back to 8 point "MS Shell Dlg" at the screen's DPI.
TFont CreateMessageFont();

// The size of `text` (UTF-8) in `font` on the window's DC; `fallback` when
// the system gives no DC.
SIZE MeasureText(HWND window, HFONT font, const std::string& text, SIZE fallback);

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child);

// Opens `menu` at `at` (screen pixels) for `owner` and gives the command
// chosen, 0 for none. The owner comes to the front first: a menu whose
// owner is behind does not close when the user clicks elsewhere; WM_NULL
// afterwards lets the system see it closed.
UINT TrackMenuInFront(HMENU menu, POINT at, HWND owner);

// A control's text as it shows: each "&" that marks an access key gone,
// "&&" standing for one.
std::string WithoutAccessKeys(const std::string& text);

}  // namespace pellumo
