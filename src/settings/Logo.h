#pragma once
// The setup dialog's logo: its resource payload (16-bit little-endian width
// and height, then LZO1X data unpacking to width x height RGBA pixels, rows
// top to bottom, straight alpha) and its blending over the panel's colour.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace pellumo {

constexpr size_t kLogoHeaderSize = 4;

struct TLogoPicture {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Rgba;  // Width * Height * 4 bytes: red, green, blue, alpha
};

// The picture, or nothing for a payload that is missing, empty, short, has a
// zero side, or does not unpack to exactly the announced size. Never throws:
// a damaged logo only means a dialog without one.
std::optional<TLogoPicture> DecodeLogo(const uint8_t* data, size_t size);
inline std::optional<TLogoPicture> DecodeLogo(const std::vector<uint8_t>& data) {
    return DecodeLogo(data.data(), data.size());
}

// `source` made `width` x `height` (no larger than it) by averaging the
// source area under each pixel, the colours weighed by their alpha so that
// see-through pixels lend none: a smaller picture from a larger drawing,
// never one pixel stretched over several.
TLogoPicture ShrinkLogo(const TLogoPicture& source, int width, int height);

// The logo's size on a screen of `dpi`: `small` (drawn for 96 DPI) grown
// with the DPI, but never beyond `large` (the largest drawing), which is
// then taken as it is.
struct TLogoSize {
    int Width = 0, Height = 0;
    bool operator==(const TLogoSize& o) const { return Width == o.Width && Height == o.Height; }
};
TLogoSize LogoSizeAt(int dpi, TLogoSize small, TLogoSize large);

// One channel over the background: background + alpha * (pixel - background)
// / 255, the division truncating towards zero.
inline uint8_t BlendChannel(uint8_t background, uint8_t pixel, uint8_t alpha) {
    return static_cast<uint8_t>(background + alpha * (pixel - background) / 255);
}

// Every pixel blended over `backgroundRGB` (0x00BBGGRR, already resolved),
// as the opaque pixels of a 32-bit top-down DIB: 0xFFRRGGBB.
std::vector<uint32_t> BlendLogo(const TLogoPicture& picture, uint32_t backgroundRGB);

}  // namespace pellumo
