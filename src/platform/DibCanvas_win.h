#pragma once
// 32-bit top-down device-independent bitmaps: made directly, or selected into
// a memory DC to draw into with GDI and read back; and the monochrome mask
// that leaves out one key colour of such a picture.
#include <windows.h>

#include <cstdint>

#include "platform/UniqueHandle_win.h"

namespace pellumo {

// A 32-bit top-down DIB section of the size given; its pixels, 0x00RRGGBB,
// in *bits. Null when the system cannot make it.
TGdi<HBITMAP> CreateTopDownDib(int width, int height, uint32_t** bits);

// A monochrome bitmap with a set bit wherever the 32-bit picture's colour
// (0x00RRGGBB, alpha ignored) is `key`. Null when the system cannot make it.
TGdi<HBITMAP> CreateKeyMask(const uint32_t* pixels, int width, int height, uint32_t key);

// A top-down DIB section selected into a memory DC for its lifetime.
class TDibCanvas {
public:
    TDibCanvas(int width, int height);
    ~TDibCanvas();  // the bitmap is taken out of the DC before either goes
    TDibCanvas(const TDibCanvas&) = delete;
    TDibCanvas& operator=(const TDibCanvas&) = delete;

    bool Ok() const { return dc_ && bitmap_ && bits_ && old_; }
    HDC Dc() const { return dc_.Get(); }
    HBITMAP Bitmap() const { return bitmap_.Get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The pixels, row by row, 0x00RRGGBB; what GDI drew is flushed first.
    uint32_t* Bits() const {
        GdiFlush();
        return bits_;
    }
    // Runs Fn with the bitmap out of the DC: a bitmap selected into a DC
    // cannot be handed to the system meanwhile (an icon made of it, say).
    template <typename Fn>
    void Unselected(Fn fn) {
        SelectObject(dc_.Get(), old_);
        fn();
        SelectObject(dc_.Get(), bitmap_.Get());
    }

private:
    int width_, height_;
    TGdi<HBITMAP> bitmap_;
    TMemoryDCHandle dc_;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

}  // namespace pellumo
