#include "settings/Logo.h"

#include <lzo/lzo1x.h>

#include <algorithm>
#include <cmath>

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

TLogoPicture ShrinkLogo(const TLogoPicture& source, int width, int height) {
    TLogoPicture out;
    if (width <= 0 || height <= 0 || width > source.Width || height > source.Height) return out;
    out.Width = width, out.Height = height;
    out.Rgba.resize(size_t(width) * height * 4);
    const double sx = double(source.Width) / width, sy = double(source.Height) / height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double sum[4] = {0, 0, 0, 0}, area = 0;
            const double x0 = x * sx, x1 = x0 + sx, y0 = y * sy, y1 = y0 + sy;
            for (int v = int(y0); v < std::min(source.Height, int(std::ceil(y1))); ++v) {
                for (int u = int(x0); u < std::min(source.Width, int(std::ceil(x1))); ++u) {
                    const double w = (std::min<double>(u + 1, x1) - std::max<double>(u, x0)) *
                                     (std::min<double>(v + 1, y1) - std::max<double>(v, y0));
                    const uint8_t* p = &source.Rgba[(size_t(v) * source.Width + u) * 4];
                    for (int c = 0; c < 3; ++c) sum[c] += w * p[3] * p[c];
                    sum[3] += w * p[3];
                    area += w;
                }
            }
            uint8_t* q = &out.Rgba[(size_t(y) * width + x) * 4];
            for (int c = 0; c < 3; ++c) q[c] = sum[3] > 0 ? uint8_t(std::lround(std::min(255.0, sum[c] / sum[3]))) : 0;
            q[3] = area > 0 ? uint8_t(std::lround(std::min(255.0, sum[3] / area))) : 0;
        }
    }
    return out;
}

TLogoSize LogoSizeAt(int dpi, TLogoSize small, TLogoSize large) {
    if (dpi <= 96) return small;
    const TLogoSize grown {(small.Width * dpi + 48) / 96, (small.Height * dpi + 48) / 96};
    if (large.Width == 0 || grown.Width >= large.Width || grown.Height >= large.Height) return large.Width ? large : small;
    return grown;
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
