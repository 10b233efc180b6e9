// The setup dialog's panel and logo. The theme services are looked up at
// run time: Windows before XP has none.
#include "settings/SetupPanel_win.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "controls/GradientPanel.h"
#include "controls/GradientPanelPaint.h"
#include "platform/DibCanvas_win.h"
#include "platform/Window_win.h"
#include "settings/Logo.h"

namespace pellumo {

namespace {

// A DLL from the system directory by full path, so one lying beside the
// program or in the current directory is never loaded instead. Kept loaded.
HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(name) + 1 > MAX_PATH) return nullptr;
    lstrcpyA(path + length, "\\");
    lstrcatA(path, name);
    return LoadLibraryA(path);
}

template <typename F>
F Proc(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The visual-theme services, absent before Windows XP: looked up once.
struct TThemeApi {
    BOOL(WINAPI* IsThemeActive)() = nullptr;
    BOOL(WINAPI* IsAppThemed)() = nullptr;

    bool Active() const { return IsThemeActive && IsAppThemed && IsThemeActive() && IsAppThemed(); }
};

const TThemeApi& ThemeApi() {
    static const TThemeApi api = [] {
        TThemeApi a;
        const HMODULE module = LoadSystemLibrary("uxtheme.dll");
        a.IsThemeActive = Proc<decltype(a.IsThemeActive)>(module, "IsThemeActive");
        a.IsAppThemed = Proc<decltype(a.IsAppThemed)>(module, "IsAppThemed");
        return a;
    }();
    return api;
}

}  // namespace

void TSetupPanel::Paint(HWND, HDC dc) const {
    const RECT r {0, 0, width_, height_};
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (!pages_ || printing_) return;
    printing_ = true;
    const RECT at = ChildRect(pages_);
    POINT origin {};
    SetViewportOrgEx(dc, at.left, at.top, &origin);
    SendMessageW(pages_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    printing_ = false;
}

void TSetupPanel::Erase(HWND window, HDC dc) const {
    if (!panelBitmap_.Get() || printing_) {
        Paint(window, dc);
        return;
    }
    TMemoryDC panel(dc, panelBitmap_.Get());
    BitBlt(dc, 0, 0, width_, height_, panel.Get(), 0, 0, SRCCOPY);
}

void TSetupPanel::Rebuild(HWND window, HWND pages) {
    pages_ = pages;
    RECT client {};
    GetClientRect(window, &client);
    width_ = std::max<int>(1, client.right), height_ = std::max<int>(1, client.bottom);
    TGdi<HBITMAP> bitmap;
    {
        const TWindowDC screen(nullptr);
        if (!screen.Get()) return;
        bitmap.Reset(CreateCompatibleBitmap(screen.Get(), width_, height_));
        if (bitmap) {
            const TMemoryDC dc(screen.Get(), bitmap.Get());
            if (dc.Get()) Paint(window, dc.Get());
        }
    }
    if (!bitmap.Get()) return;
    // The controls on the panel fill their backgrounds with the matching
    // part of it, which makes them look transparent and lets them repaint
    // alone (greying a label must not leave the old text showing).
    panelBrush_.Reset(CreatePatternBrush(bitmap.Get()));
    panelBitmap_ = std::move(bitmap);
}

HBRUSH TSetupPanel::BrushFor(HWND control, HDC dc) const {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    // The pattern starts where the panel starts, wherever the control is.
    const RECT r = ChildRect(control);
    const int x = ((-r.left) % width_ + width_) % width_;
    const int y = ((-r.top) % height_ + height_) % height_;
    SetBrushOrgEx(dc, x, y, nullptr);
    return panelBrush_.Get();
}

COLORREF TSetupPanel::LogoBackground(const RECT& designArea) const {
    if (ThemeApi().Active() && panelBitmap_.Get()) {
        const TWindowDC screen(nullptr);
        COLORREF pixel = CLR_INVALID;
        {
            const TMemoryDC dc(screen.Get(), panelBitmap_.Get());
            if (dc.Get())
                pixel = GetPixel(dc.Get(), designArea.left + (designArea.right - designArea.left) / 2,
                                 designArea.top + (designArea.bottom - designArea.top) / 2);
        }
        if (pixel != CLR_INVALID) return pixel;
    }
    return ColorToRGB(clBtnFace, SystemColorRGB);
}

namespace {

// The logo's payload in the program's resources; empty when there is none.
std::pair<const uint8_t*, DWORD> LogoResource(WORD resourceId) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!resource) return {nullptr, 0};
    const HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return {static_cast<const uint8_t*>(data), data ? SizeofResource(module, resource) : 0};
}

}  // namespace

namespace {

TLogoSize ResourceLogoSize(WORD resourceId) {
    const auto [data, bytes] = LogoResource(resourceId);
    if (!data || bytes < kLogoHeaderSize) return TLogoSize {};
    return TLogoSize {data[0] | data[1] << 8, data[2] | data[3] << 8};
}

std::optional<TLogoPicture> DecodeResourceLogo(WORD resourceId) {
    const auto [data, bytes] = LogoResource(resourceId);
    if (!data || bytes == 0) return std::nullopt;
    return DecodeLogo(data, bytes);
}

}  // namespace

SIZE TSetupPanel::LogoSize(int dpi) {
    const TLogoSize size = LogoSizeAt(dpi, ResourceLogoSize(kLogoResource), ResourceLogoSize(kLargeLogoResource));
    return SIZE {size.Width, size.Height};
}

bool TSetupPanel::LoadLogo(int dpi, const RECT& designArea, SIZE& size) {
    const SIZE wanted = LogoSize(dpi);
    std::optional<TLogoPicture> picture;
    for (WORD resource : {kLogoResource, kLargeLogoResource}) {
        const TLogoSize drawn = ResourceLogoSize(resource);
        if (drawn.Width == wanted.cx && drawn.Height == wanted.cy) picture = DecodeResourceLogo(resource);
    }
    if (!picture && wanted.cx > 0) {
        if (const std::optional<TLogoPicture> large = DecodeResourceLogo(kLargeLogoResource)) {
            TLogoPicture shrunk = ShrinkLogo(*large, wanted.cx, wanted.cy);
            if (shrunk.Width > 0) picture = std::move(shrunk);
        }
    }
    if (!picture) return false;
    const int w = picture->Width, h = picture->Height;
    const std::vector<uint32_t> pixels = BlendLogo(*picture, LogoBackground(designArea));

    uint32_t* bits = nullptr;
    TGdi<HBITMAP> logo = CreateTopDownDib(w, h, &bits);
    if (!logo.Get() || !bits) return false;
    CopyMemory(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
    GdiFlush();

    // Drawn transparently: the colour of the bottom-left pixel is left out.
    TGdi<HBITMAP> mask = CreateKeyMask(pixels.data(), w, h, pixels[size_t(h - 1) * w] & 0xFFFFFF);
    if (!mask.Get()) return false;

    logo_ = std::move(logo);
    logoMask_ = std::move(mask);
    logoWidth_ = w;
    logoHeight_ = h;
    size = SIZE {w, h};
    return true;
}

void TSetupPanel::DrawLogo(const DRAWITEMSTRUCT& item) const {
    if (!logo_.Get() || !panelBitmap_.Get()) return;
    const int w = logoWidth_, h = logoHeight_;
    const HDC target = item.hDC;
    // Composed off-screen, then put up at once.
    TGdi<HBITMAP> buffer(CreateCompatibleBitmap(target, w, h));
    if (!buffer.Get()) return;
    TMemoryDC out(target, buffer.Get());
    {
        // The panel under the logo ...
        TMemoryDC panel(target, panelBitmap_.Get());
        const RECT at = ChildRect(item.hwndItem);
        BitBlt(out.Get(), 0, 0, w, h, panel.Get(), at.left, at.top, SRCCOPY);
    }
    {
        // ... and the logo over it where the mask has no bit: the logo is
        // XORed in, the masked places cleared back to the panel by a second
        // XOR after the AND has kept them and zeroed the rest.
        TMemoryDC logo(target, logo_.Get());
        TMemoryDC mask(target, logoMask_.Get());
        SetBkColor(out.Get(), RGB(255, 255, 255));
        SetTextColor(out.Get(), RGB(0, 0, 0));
        BitBlt(out.Get(), 0, 0, w, h, logo.Get(), 0, 0, SRCINVERT);
        BitBlt(out.Get(), 0, 0, w, h, mask.Get(), 0, 0, SRCAND);
        BitBlt(out.Get(), 0, 0, w, h, logo.Get(), 0, 0, SRCINVERT);
    }
    BitBlt(target, item.rcItem.left, item.rcItem.top, w, h, out.Get(), 0, 0, SRCCOPY);
}

}  // namespace pellumo
