#pragma once
// The setup dialog's background: the dialog's face with its tab control as
// the control paints itself (through the visual theme where there is one),
// kept as a bitmap of the client area, so that the controls over the tab
// control fill their backgrounds with what lies beneath them; and the logo
// drawn transparently over it.
#include <windows.h>

#include "platform/UniqueHandle_win.h"

namespace pellumo {

class TSetupPanel {
public:
    // Paints the panel afresh into its bitmap, as large as the window's
    // client area, `pages` (the tab control) in it: at start and whenever
    // the theme or the system colours change.
    void Rebuild(HWND window, HWND pages);
    // The panel into `dc`, from the bitmap when there is one.
    void Erase(HWND window, HDC dc) const;
    bool HasBrush() const { return panelBrush_.Get() != nullptr; }
    // The brush a control on the panel fills its background with, lined up
    // with the panel wherever the control is.
    HBRUSH BrushFor(HWND control, HDC dc) const;

    // The logo's resources: drawn for 96 DPI, and twice as large.
    static constexpr WORD kLogoResource = 777, kLargeLogoResource = 778;
    // The size the logo is shown at on a screen of `dpi` (LogoSizeAt), from
    // the resources' headers; 0 x 0 when there is none.
    static SIZE LogoSize(int dpi);
    // Decodes the logo for a screen of `dpi`: the resource of that size, or
    // the large one made smaller; blended over the panel's colour at the
    // centre of `designArea`. False when there is none; else `size` is its
    // picture's.
    bool LoadLogo(int dpi, const RECT& designArea, SIZE& size);
    // The logo control's owner drawing: the panel under it, the logo over.
    void DrawLogo(const DRAWITEMSTRUCT& item) const;

private:
    void Paint(HWND window, HDC dc) const;
    COLORREF LogoBackground(const RECT& designArea) const;

    HWND pages_ = nullptr;
    // The tab control asks its parent for the background while it prints
    // itself into the bitmap: then the face alone.
    mutable bool printing_ = false;
    int width_ = 0, height_ = 0;
    TGdi<HBITMAP> panelBitmap_;
    TGdi<HBRUSH> panelBrush_;
    TGdi<HBITMAP> logo_, logoMask_;
    int logoWidth_ = 0, logoHeight_ = 0;
};

}  // namespace pellumo
