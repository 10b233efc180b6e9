// The program's four icons, drawn with plain GDI shapes when the window is
// made, so the program carries no artwork files. Each is drawn on a key
// colour that no shape uses; the mask is then made from where the key is left.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/PopupWindow.h"
#include "platform/DibCanvas_win.h"

namespace pellumo {

namespace {

const int kSize = kProgramIconSize;
const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kOutline = RGB(64, 64, 64);

// An icon-sized canvas with the drawing helpers the images need.
class TIconCanvas : public TDibCanvas {
public:
    TIconCanvas() : TDibCanvas(kSize, kSize) {}

    void Fill(COLORREF color) {
        RECT r {0, 0, kSize, kSize};
        Brush(color, [&] { FillRect(Dc(), &r, static_cast<HBRUSH>(GetCurrentObject(Dc(), OBJ_BRUSH))); });
    }
    // Runs Draw with a solid pen and brush of the given colours selected.
    template <typename Fn>
    void Shape(COLORREF pen, COLORREF brush, Fn draw) {
        const TGdi<HPEN> p(CreatePen(PS_SOLID, 1, pen));
        const TSelection selected(Dc(), p.Get());
        Brush(brush, draw);
    }

    // The colour bitmap (key pixels made black, as icons want under the mask)
    // and the mask (set where the key was). Null on failure.
    // Greyed: every colour as a light grey of its brightness, as the system
    // shows what is switched off.
    HICON MakeIcon(bool greyed) {
        const COLORREF keyDib = (GetRValue(kKey) << 16) | (GetGValue(kKey) << 8) | GetBValue(kKey);
        uint32_t* bits = Bits();
        const TGdi<HBITMAP> maskBitmap = CreateKeyMask(bits, kSize, kSize, keyDib);
        if (!maskBitmap) return nullptr;
        for (int i = 0; i < kSize * kSize; ++i) {
            const uint32_t pixel = bits[i] & 0xFFFFFF;
            if (pixel == keyDib) {
                bits[i] = 0;
            } else if (greyed) {
                const uint32_t luma = ((pixel >> 16) * 30 + ((pixel >> 8) & 0xFF) * 59 + (pixel & 0xFF) * 11) / 100;
                const uint32_t grey = 96 + luma * 5 / 8;
                bits[i] = grey << 16 | grey << 8 | grey;
            } else {
                bits[i] = pixel;
            }
        }
        // CreateIconIndirect copies both bitmaps, so they may go at once.
        HICON icon = nullptr;
        Unselected([&] {
            ICONINFO info = {};
            info.fIcon = TRUE;
            info.hbmMask = maskBitmap.Get();
            info.hbmColor = Bitmap();
            icon = CreateIconIndirect(&info);
        });
        return icon;
    }

private:
    template <typename Fn>
    void Brush(COLORREF color, Fn draw) {
        const TGdi<HBRUSH> b(CreateSolidBrush(color));
        const TSelection selected(Dc(), b.Get());
        draw();
    }
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

void* DrawProgramIcon(int index, bool greyed) {
    if (index < 0 || index >= kProgramIconCount) return nullptr;
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
    return canvas.MakeIcon(greyed);
}

}  // namespace pellumo
