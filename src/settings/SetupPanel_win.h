#pragma once
// The setup dialog's background, painted like a tab page (through the visual
// theme where there is one), kept as a bitmap of the client area, and the
// logo drawn transparently over it.
#include <windows.h>

#include "platform/UniqueHandle_win.h"

namespace pellumo {

class TSetupPanel {
public:
    // Paints the panel afresh into its bitmap, as large as the window's
    // client area: at start and whenever the theme or the system colours change.
    void Rebuild(HWND window);
    // The panel into `dc`, from the bitmap when there is one.
    void Erase(HWND window, HDC dc) const;
    bool HasBrush() const { return panelBrush_.Get() != nullptr; }
    // The brush a control on the panel fills its background with, lined up
    // with the panel wherever the control is.
    HBRUSH BrushFor(HWND control, HDC dc) const;

    // The size of the logo in RCDATA `resourceId`, from its header; 0 x 0
    // when there is none.
    static SIZE LogoSize(WORD resourceId);
    // Decodes the logo from RCDATA `resourceId`, blended over the panel's
    // colour at the centre of `designArea`. False when there is none; else
    // `size` is its picture's.
    bool LoadLogo(WORD resourceId, const RECT& designArea, SIZE& size);
    // The logo control's owner drawing: the panel under it, the logo over.
    void DrawLogo(const DRAWITEMSTRUCT& item) const;

private:
    void Paint(HWND window, HDC dc) const;
    COLORREF LogoBackground(const RECT& designArea) const;

    int width_ = 0, height_ = 0;
    TGdi<HBITMAP> panelBitmap_;
    TGdi<HBRUSH> panelBrush_;
    TGdi<HBITMAP> logo_, logoMask_;
    int logoWidth_ = 0, logoHeight_ = 0;
};

}  // namespace pellumo
