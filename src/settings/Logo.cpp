#include "settings/Logo.h"

#include <lzo/lzo1x.h>

namespace pellumo {
namespace {

bool LzoReady() {
    // Checks once that the library was built for this compiler's type sizes.
    static const bool ready = lzo_init() == LZO_E_OK;
    return ready;
}

// Each byte of LZO1X data unpacks to at most 255 bytes (a zero length byte
// adds 255), so a size beyond this bound cannot be what the data holds; it
// is turned away before anything that large is allocated.
constexpr uint64_t kMaxUnpackRatio = 256;

}  // namespace

std::optional<TLogoPicture> DecodeLogo(const uint8_t* data, size_t size) {
    if (data == nullptr || size <= kLogoHeaderSize) return std::nullopt;
    const int width = data[0] | (data[1] << 8);
    const int height = data[2] | (data[3] << 8);
    if (width == 0 || height == 0) return std::nullopt;
    const uint64_t expected = uint64_t(width) * uint64_t(height) * 4;
    const uint64_t packed = size - kLogoHeaderSize;
    if (expected > packed * kMaxUnpackRatio || expected > SIZE_MAX) return std::nullopt;
    if (!LzoReady()) return std::nullopt;

    TLogoPicture picture;
    picture.Width = width;
    picture.Height = height;
    picture.Rgba.resize(static_cast<size_t>(expected));
    lzo_uint unpacked = static_cast<lzo_uint>(expected);
    const int result = lzo1x_decompress_safe(data + kLogoHeaderSize, static_cast<lzo_uint>(packed),
                                             picture.Rgba.data(), &unpacked, nullptr);
    // Bytes after the end of the LZO data do not spoil a complete picture.
    if (result != LZO_E_OK && result != LZO_E_INPUT_NOT_CONSUMED) return std::nullopt;
    if (unpacked != expected) return std::nullopt;
    return picture;
}

std::vector<uint32_t> BlendLogo(const TLogoPicture& picture, uint32_t backgroundRGB) {
    const uint8_t bgRed = backgroundRGB & 0xFF;
    const uint8_t bgGreen = (backgroundRGB >> 8) & 0xFF;
    const uint8_t bgBlue = (backgroundRGB >> 16) & 0xFF;
    const size_t count = picture.Rgba.size() / 4;
    std::vector<uint32_t> pixels(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &picture.Rgba[i * 4];
        const uint32_t red = BlendChannel(bgRed, p[0], p[3]);
        const uint32_t green = BlendChannel(bgGreen, p[1], p[3]);
        const uint32_t blue = BlendChannel(bgBlue, p[2], p[3]);
        pixels[i] = 0xFF000000u | (red << 16) | (green << 8) | blue;
    }
    return pixels;
}

}  // namespace pellumo
