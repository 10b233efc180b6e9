#include "platform/DibCanvas_win.h"

#include <vector>

namespace pellumo {

TGdi<HBITMAP> CreateTopDownDib(int width, int height, uint32_t** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* raw = nullptr;
    TGdi<HBITMAP> bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0));
    *bits = bitmap ? static_cast<uint32_t*>(raw) : nullptr;
    return bitmap;
}

TGdi<HBITMAP> CreateKeyMask(const uint32_t* pixels, int width, int height, uint32_t key) {
    // Rows of a monochrome bitmap are padded to 16 bits.
    const size_t stride = ((size_t(width) + 15) / 16) * 2;
    std::vector<uint8_t> mask(stride * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixels[size_t(y) * width + x] & 0xFFFFFF) == key) mask[y * stride + x / 8] |= uint8_t(0x80 >> (x % 8));
    return TGdi<HBITMAP>(CreateBitmap(width, height, 1, 1, mask.data()));
}

TDibCanvas::TDibCanvas(int width, int height) : width_(width), height_(height) {
    dc_.Reset(CreateCompatibleDC(nullptr));
    if (dc_) bitmap_ = CreateTopDownDib(width, height, &bits_);
    if (bitmap_) old_ = SelectObject(dc_.Get(), bitmap_.Get());
}

TDibCanvas::~TDibCanvas() {
    if (old_) SelectObject(dc_.Get(), old_);
}

}  // namespace pellumo
