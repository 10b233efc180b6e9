// The program's four icons, drawn with plain GDI shapes when the window is
// made, so the program carries no artwork files. Each is drawn on a key
// colour that no shape uses; the mask is then made from where the key is left.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/PopupWindow.h"
#include "platform/DibCanvas_win.h"

namespace pellumo {

namespace {

// The shapes are designed on a 16 x 16 grid.
const int kSize = kProgramIconSize;
const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kOutline = RGB(64, 64, 64);

// An icon-sized canvas with the drawing helpers the images need. Shapes are
// given on the 16 x 16 grid and drawn at the canvas's size: as sharp at the
// larger icons of 120 and 144 DPI as at 16, where nothing is transformed.
class TIconCanvas : public TDibCanvas {
public:
    explicit TIconCanvas(int size) : TDibCanvas(size, size), size_(size) {
        if (size_ == kSize || !SetGraphicsMode(Dc(), GM_ADVANCED)) return;
        XFORM scale {};
        scale.eM11 = scale.eM22 = static_cast<FLOAT>(size_) / kSize;
        SetWorldTransform(Dc(), &scale);
    }
    int Size() const { return size_; }

    // Runs Draw in device pixels, untransformed.
    template <typename Fn>
    void InPixels(Fn draw) {
        XFORM kept {};
        const bool transformed = size_ != kSize && GetWorldTransform(Dc(), &kept);
        if (transformed) ModifyWorldTransform(Dc(), nullptr, MWT_IDENTITY);
        draw();
        if (transformed) SetWorldTransform(Dc(), &kept);
    }

    void Fill(COLORREF color) {
        RECT r {0, 0, size_, size_};
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
        const TGdi<HBITMAP> maskBitmap = CreateKeyMask(bits, size_, size_, keyDib);
        if (!maskBitmap) return nullptr;
        for (int i = 0; i < size_ * size_; ++i) {
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
    int size_;
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

// Digits and "+" in 3 x 5 dots, one string of five rows each: sharp at any
// icon size (a dot is a whole number of pixels), whatever fonts the system
// has.
const char* Glyph(char ch) {
    switch (ch) {
        case '0': return "XXX" "X.X" "X.X" "X.X" "XXX";
        case '1': return ".X." "XX." ".X." ".X." "XXX";
        case '2': return "XXX" "..X" "XXX" "X.." "XXX";
        case '3': return "XXX" "..X" ".XX" "..X" "XXX";
        case '4': return "X.X" "X.X" "XXX" "..X" "..X";
        case '5': return "XXX" "X.." "XXX" "..X" "XXX";
        case '6': return "XXX" "X.." "XXX" "X.X" "XXX";
        case '7': return "XXX" "..X" ".X." ".X." ".X.";
        case '8': return "XXX" "X.X" "XXX" "X.X" "XXX";
        case '9': return "XXX" "X.X" "XXX" "..X" "XXX";
        case '+': return "..." ".X." "XXX" ".X." "...";
    }
    return nullptr;
}

// The count in white on a red badge in the bottom right corner, drawn in
// device pixels: dots of a whole number of pixels, as many as still fit.
void CountBadge(TIconCanvas& c, const std::string& count) {
    const int size = c.Size();
    int dot = std::max(1, size / kSize);
    while (dot > 1 && (static_cast<int>(count.size()) * 4 + 1) * dot > size) --dot;
    const int width = (static_cast<int>(count.size()) * 4 + 1) * dot, height = 7 * dot;
    const int left = size - width, top = size - height;
    c.InPixels([&] {
        c.Shape(RGB(128, 0, 0), RGB(208, 0, 0), [&] { Rectangle(c.Dc(), left, top, size, size); });
        const TGdi<HBRUSH> white(CreateSolidBrush(RGB(255, 255, 255)));
        for (size_t i = 0; i < count.size(); ++i) {
            const char* glyph = Glyph(count[i]);
            if (!glyph) continue;
            for (int row = 0; row < 5; ++row)
                for (int column = 0; column < 3; ++column) {
                    if (glyph[row * 3 + column] != 'X') continue;
                    const int x = left + (1 + static_cast<int>(i) * 4 + column) * dot, y = top + (1 + row) * dot;
                    const RECT pixel {x, y, x + dot, y + dot};
                    FillRect(c.Dc(), &pixel, white.Get());
                }
        }
    });
}

// Two bars on white in the bottom left corner: the alerts are paused.
void PauseSign(TIconCanvas& c) {
    c.Shape(RGB(0, 0, 128), RGB(255, 255, 255), [&] { Rectangle(c.Dc(), 0, 8, 8, 16); });
    c.Shape(RGB(0, 0, 128), RGB(0, 0, 160), [&] {
        Rectangle(c.Dc(), 2, 10, 4, 14);
        Rectangle(c.Dc(), 5, 10, 7, 14);
    });
}

}  // namespace

void* DrawTrayIcon(bool greyed, bool paused, const std::string& count, int size) {
    TIconCanvas canvas(size);
    if (!canvas.Ok()) return nullptr;
    canvas.Fill(kKey);
    Envelope(canvas, 0, 5, 13, 15);
    LightningFlash(canvas);
    if (paused) PauseSign(canvas);
    if (!count.empty()) CountBadge(canvas, count);
    return canvas.MakeIcon(greyed);
}

void* DrawProgramIcon(int index, bool greyed, int size) {
    if (index < 0 || index >= kProgramIconCount) return nullptr;
    TIconCanvas canvas(size);
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
