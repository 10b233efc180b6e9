#include <windows.h>

#include "controls/GradientPanelPaint.h"
#include "platform/UniqueHandle_win.h"

namespace pellumo {

namespace {

using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

GradientFillFn LookUpGradientFill() {
    // From the system directory by full path, so a msimg32.dll lying beside
    // the program or in the current directory is never loaded instead.
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    static const char kName[] = "\\msimg32.dll";
    if (length == 0 || length + sizeof kName > MAX_PATH) return nullptr;
    lstrcpyA(path + length, kName);
    // Kept loaded for the life of the process.
    HMODULE module = LoadLibraryA(path);
    if (!module) return nullptr;
    FARPROC proc = GetProcAddress(module, "GradientFill");
    return reinterpret_cast<GradientFillFn>(reinterpret_cast<void*>(proc));
}

GradientFillFn GradientFillProc() {
    static const GradientFillFn proc = LookUpGradientFill();
    return proc;
}

void FillSolid(HDC dc, const RECT& r, uint32_t rgb) {
    const TGdi<HBRUSH> brush(CreateSolidBrush(rgb));
    if (brush) FillRect(dc, &r, brush.Get());
}

// Line i of n as its own colour; equal neighbouring lines share one fill, so
// a flat gradient is a single FillRect.
void PaintComputed(HDC dc, const TRect& rect, uint32_t begin, uint32_t end, bool horizontal) {
    const int64_t count = horizontal ? int64_t(rect.Right) - rect.Left : int64_t(rect.Bottom) - rect.Top;
    int64_t runStart = 0;
    uint32_t runColor = GradientLineColor(begin, end, 0, count);
    for (int64_t i = 1; i <= count; ++i) {
        const uint32_t color = i < count ? GradientLineColor(begin, end, i, count) : ~0u;
        if (color == runColor) continue;
        RECT r {rect.Left, rect.Top, rect.Right, rect.Bottom};
        if (horizontal) {
            r.left = static_cast<LONG>(rect.Left + runStart);
            r.right = static_cast<LONG>(rect.Left + i);
        } else {
            r.top = static_cast<LONG>(rect.Top + runStart);
            r.bottom = static_cast<LONG>(rect.Top + i);
        }
        FillSolid(dc, r, runColor);
        runStart = i;
        runColor = color;
    }
}

TRIVERTEX Vertex(LONG x, LONG y, uint32_t rgb) {
    TRIVERTEX v;
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>((rgb & 0xFF) << 8);
    v.Green = static_cast<COLOR16>(((rgb >> 8) & 0xFF) << 8);
    v.Blue = static_cast<COLOR16>(((rgb >> 16) & 0xFF) << 8);
    v.Alpha = 0;
    return v;
}

// GradientFill reaches its second vertex's colour only on the line past the
// rectangle, so it is given every line but the last, and the last is filled
// with the end colour itself: both ways then agree on the two end lines.
bool PaintSystemFill(HDC dc, const TRect& rect, uint32_t begin, uint32_t end, bool horizontal) {
    const GradientFillFn gradientFill = GradientFillProc();
    if (!gradientFill) return false;
    const int64_t count = horizontal ? int64_t(rect.Right) - rect.Left : int64_t(rect.Bottom) - rect.Top;
    RECT last {rect.Left, rect.Top, rect.Right, rect.Bottom};
    if (count == 1) {
        FillSolid(dc, last, begin);
        return true;
    }
    const LONG right = horizontal ? rect.Right - 1 : rect.Right, bottom = horizontal ? rect.Bottom : rect.Bottom - 1;
    TRIVERTEX vertices[2] = {Vertex(rect.Left, rect.Top, begin), Vertex(right, bottom, end)};
    GRADIENT_RECT joined {0, 1};
    if (!gradientFill(dc, vertices, 2, &joined, 1, horizontal ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V))
        return false;
    if (horizontal)
        last.left = rect.Right - 1;
    else
        last.top = rect.Bottom - 1;
    FillSolid(dc, last, end);
    return true;
}

}  // namespace

uint32_t SystemColorRGB(uint32_t index) { return GetSysColor(static_cast<int>(index)); }

bool GradientFillAvailable() { return GradientFillProc() != nullptr; }

TGradientMethod PaintGradient(void* dc, const TRect& rect, TColor begin, TColor end, TGradientPanelStyle style,
                              TGradientMethod method) {
    HDC hdc = static_cast<HDC>(dc);
    const bool horizontal = IsHorizontal(style);
    const uint32_t from = ColorToRGB(begin, SystemColorRGB);
    const uint32_t to = ColorToRGB(end, SystemColorRGB);
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top)
        return method != TGradientMethod::Computed && GradientFillAvailable() ? TGradientMethod::SystemFill
                                                                               : TGradientMethod::Computed;
    if (method != TGradientMethod::Computed && PaintSystemFill(hdc, rect, from, to, horizontal))
        return TGradientMethod::SystemFill;
    PaintComputed(hdc, rect, from, to, horizontal);
    return TGradientMethod::Computed;
}

TGradientMethod PaintGradient(void* dc, const TRect& rect, const TGradientPanel& panel, TGradientMethod method) {
    return PaintGradient(dc, rect, panel.BeginColor(), panel.EndColor(), panel.GradientStyle(), method);
}

}  // namespace pellumo
