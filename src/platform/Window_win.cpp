#include "platform/Window_win.h"

#include <commctrl.h>

#include "platform/Exception.h"
#include "platform/Geometry.h"
#include "platform/Log.h"
#include "platform/WideText_win.h"

namespace pellumo {

void RegisterWindowClass(const wchar_t* name, TWindowKind kind, HCURSOR cursor, TText failure) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass {};
    if (GetClassInfoW(instance, name, &windowClass)) return;
    windowClass.lpfnWndProc = kind == TWindowKind::Dialog ? &TWindow::ClassProc<DefDlgProcW>
                                                          : &TWindow::ClassProc<DefWindowProcW>;
    // DefDlgProc keeps its state in these bytes.
    windowClass.cbWndExtra = kind == TWindowKind::Dialog ? DLGWINDOWEXTRA : 0;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor;
    windowClass.lpszClassName = name;
    // Another thread may have registered it meanwhile; that is as good.
    if (!RegisterClassW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw Exception(failure);
}

void LogStoppedException(const char* where, const std::exception* error) {
    LogLine(std::string(where) + " failed" + (error ? std::string(": ") + error->what() : std::string()));
}

TWindow::~TWindow() { Destroy(); }

void TWindow::Destroy() {
    const HWND hwnd = hwnd_;
    if (!hwnd) return;
    Unbind();
    DestroyWindow(hwnd);
}

void TWindow::Create(const wchar_t* className, TWindowKind kind, DWORD exStyle, const std::wstring& caption,
                     DWORD style, int left, int top, int width, int height, HWND parent, HMENU menuOrId,
                     TText failure) {
    defaultProc_ = kind == TWindowKind::Dialog ? DefDlgProcW : DefWindowProcW;
    CreateWindowExW(exStyle, className, caption.c_str(), style, left, top, width, height, parent, menuOrId,
                    GetModuleHandleW(nullptr), this);
    // A window that failed after its WM_NCCREATE has been unbound again.
    if (!hwnd_) throw Exception(failure);
}

void TWindow::CreateControl(const wchar_t* className, DWORD exStyle, const std::wstring& text, DWORD style, int left,
                            int top, int width, int height, HWND parent, int id, TText failure) {
    const HWND hwnd = CreateWindowExW(exStyle, className, text.c_str(), style, left, top, width, height, parent,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                      nullptr);
    if (!hwnd) throw Exception(failure);
    TakeOver(hwnd);
}

void TWindow::TakeOver(HWND control) {
    Bind(control);
    // Through the W call, so the control stays a Unicode window.
    controlProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWindow::ControlProc)));
}

void TWindow::Bind(HWND hwnd) {
    hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void TWindow::Unbind() {
    const HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    // A taken-over control gets its own procedure back for the rest of its life.
    if (controlProc_) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc_));
}

LRESULT TWindow::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(controlProc_ ? controlProc_ : defaultProc_, hwnd_, message, wParam, lParam);
}

LRESULT TWindow::Dispatch(TWindow* self, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallAtBoundary(
        "A window's message handler", [&] { return self->WindowProc(message, wParam, lParam); },
        [&] { return self->hwnd_ ? self->Default(message, wParam, lParam) : 0; });
}

template <LRESULT(WINAPI* Unbound)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK TWindow::ClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE && !self) {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) self->Bind(hwnd);
    }
    if (!self) return Unbound(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->Unbind();
        return Unbound(hwnd, message, wParam, lParam);
    }
    return Dispatch(self, message, wParam, lParam);
}

LRESULT CALLBACK TWindow::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        const WNDPROC own = self->controlProc_;
        self->Unbind();
        return CallWindowProcW(own, hwnd, message, wParam, lParam);
    }
    return Dispatch(self, message, wParam, lParam);
}

TFont CreatePixelFont(const wchar_t* face, bool bold, bool underline) {
    return TFont(CreateFontW(-11, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             face));
}

bool InitCommonControlClasses() {
    static const bool ready = [] {
        const HMODULE module = LoadLibraryA("comctl32.dll");
        const auto init = module ? reinterpret_cast<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(
                                       reinterpret_cast<void*>(GetProcAddress(module, "InitCommonControlsEx")))
                                 : nullptr;
        if (!init) return false;
        INITCOMMONCONTROLSEX icc {sizeof icc, ICC_UPDOWN_CLASS | ICC_HOTKEY_CLASS | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
        return init(&icc) != FALSE;
    }();
    return ready;
}

TFont CreatePointFont(const wchar_t* face, int points, bool bold, bool underline) {
    return TFont(CreateFontW(-MulDiv(points, ScreenDpi(), 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline,
                             FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, face));
}

TFont CreateMessageFont() {
    // Built for XP (WINVER 0x0501), the structure ends before
    // iPaddedBorderWidth: the size XP requires and every later Windows takes.
    NONCLIENTMETRICSW metrics {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        TFont font(CreateFontIndirectW(&metrics.lfMessageFont));
        if (font) return font;
    }
    return CreatePointFont(L"MS Shell Dlg", 8);
}

SIZE MeasureText(HWND window, HFONT font, const std::string& text, SIZE fallback) {
    const TWindowDC dc(window);
    if (!dc.Get()) return fallback;
    const TSelection selected(dc.Get(), font);
    const std::wstring wide = WideFromUtf8(text);
    SIZE size = fallback;
    GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

UINT TrackMenuInFront(HMENU menu, POINT at, HWND owner) {
    SetForegroundWindow(owner);
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    return command;
}

RECT ChildRect(HWND child) {
    RECT r {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string WithoutAccessKeys(const std::string& text) {
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown;
}

}  // namespace pellumo
