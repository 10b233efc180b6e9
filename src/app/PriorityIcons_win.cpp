// ImageList1's four icons, drawn with plain GDI shapes when the window is
// made, so the program carries no artwork files. Each is drawn on a key
// colour that no shape uses; the mask is then made from where the key is left.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/PopupWindow.h"

namespace pellumo {

namespace {

const int kSize = kImageListSize;
const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kOutline = RGB(64, 64, 64);

// A 32-bit top-down DIB section selected into a memory DC for drawing.
class TIconCanvas {
public:
    TIconCanvas() {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kSize;
        info.bmiHeader.biHeight = -kSize;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        if (dc_) bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<uint32_t*>(bits);
        if (bitmap_) old_ = SelectObject(dc_, bitmap_);
    }
    ~TIconCanvas() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    TIconCanvas(const TIconCanvas&) = delete;
    TIconCanvas& operator=(const TIconCanvas&) = delete;

    bool Ok() const { return dc_ && bitmap_ && bits_ && old_; }
    HDC Dc() const { return dc_; }

    void Fill(COLORREF color) {
        RECT r {0, 0, kSize, kSize};
        Brush(color, [&] { FillRect(dc_, &r, static_cast<HBRUSH>(GetCurrentObject(dc_, OBJ_BRUSH))); });
    }
    // Runs Draw with a solid pen and brush of the given colours selected.
    template <typename Fn>
    void Shape(COLORREF pen, COLORREF brush, Fn draw) {
        HPEN p = CreatePen(PS_SOLID, 1, pen);
        HGDIOBJ oldPen = p ? SelectObject(dc_, p) : nullptr;
        Brush(brush, draw);
        if (oldPen) SelectObject(dc_, oldPen);
        if (p) DeleteObject(p);
    }

    // The colour bitmap (key pixels made black, as icons want under the mask)
    // and the mask (set where the key was). Null on failure.
    HICON MakeIcon() {
        GdiFlush();
        const COLORREF keyDib = (GetRValue(kKey) << 16) | (GetGValue(kKey) << 8) | GetBValue(kKey);
        // Rows of a monochrome bitmap are padded to 16 bits: 2 bytes for 16 pixels.
        std::vector<uint8_t> mask(kSize * 2, 0);
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                uint32_t& p = bits_[y * kSize + x];
                if ((p & 0xFFFFFF) == keyDib) {
                    p = 0;
                    mask[y * 2 + x / 8] |= uint8_t(0x80 >> (x % 8));
                } else {
                    p &= 0xFFFFFF;  // no alpha: the mask decides
                }
            }
        }
        HBITMAP maskBitmap = CreateBitmap(kSize, kSize, 1, 1, mask.data());
        if (!maskBitmap) return nullptr;
        // CreateIconIndirect copies both bitmaps, so they may go at once;
        // the colour one must not be selected into a DC meanwhile.
        SelectObject(dc_, old_);
        ICONINFO info = {};
        info.fIcon = TRUE;
        info.hbmMask = maskBitmap;
        info.hbmColor = bitmap_;
        HICON icon = CreateIconIndirect(&info);
        SelectObject(dc_, bitmap_);
        DeleteObject(maskBitmap);
        return icon;
    }

private:
    template <typename Fn>
    void Brush(COLORREF color, Fn draw) {
        HBRUSH b = CreateSolidBrush(color);
        HGDIOBJ oldBrush = b ? SelectObject(dc_, b) : nullptr;
        draw();
        if (oldBrush) SelectObject(dc_, oldBrush);
        if (b) DeleteObject(b);
    }

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

void Envelope(TIconCanvas& c, int left, int top, int right, int bottom) {
    c.Shape(kOutline, RGB(255, 255, 240), [&] { Rectangle(c.Dc(), left, top, right, bottom); });
    c.Shape(kOutline, RGB(255, 255, 240), [&] {
        // The flap: a V from the top corners to the middle.
        POINT flap[] = {{left, top}, {(left + right - 1) / 2, top + (bottom - top) / 2}, {right - 1, top}};
        Polyline(c.Dc(), flap, 3);
    });
}

void LightningFlash(TIconCanvas& c) {
    POINT bolt[] = {{11, 0}, {15, 0}, {13, 4}, {15, 4}, {9, 11}, {11, 6}, {9, 6}};
    c.Shape(RGB(128, 64, 0), RGB(255, 204, 0), [&] { Polygon(c.Dc(), bolt, 7); });
}

void ExclamationMark(TIconCanvas& c) {
    const COLORREF red = RGB(220, 0, 0);
    c.Shape(RGB(128, 0, 0), red, [&] {
        POINT bar[] = {{5, 1}, {10, 1}, {9, 10}, {6, 10}};
        Polygon(c.Dc(), bar, 4);
        Ellipse(c.Dc(), 5, 11, 11, 16);
    });
}

void DownArrow(TIconCanvas& c) {
    c.Shape(RGB(0, 0, 128), RGB(0, 64, 230), [&] {
        POINT arrow[] = {{6, 1}, {10, 1}, {10, 8}, {14, 8}, {8, 15}, {2, 8}, {6, 8}};
        Polygon(c.Dc(), arrow, 7);
    });
}

}  // namespace

void* CreateImageListIcon(int index) {
    if (index < 0 || index >= kImageListCount) return nullptr;
    TIconCanvas canvas;
    if (!canvas.Ok()) return nullptr;
    canvas.Fill(kKey);
    switch (index) {
        case 0:
            Envelope(canvas, 0, 5, 13, 15);
            LightningFlash(canvas);
            break;
        case 1: Envelope(canvas, 0, 3, 16, 13); break;
        case 2: ExclamationMark(canvas); break;
        case 3: DownArrow(canvas); break;
    }
    return canvas.MakeIcon();
}

}  // namespace pellumo
