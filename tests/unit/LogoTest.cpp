// The logo payload: decoding good and damaged data, and blending it over the
// dialog's background.
#include <gtest/gtest.h>
#include <lzo/lzo1x.h>

#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "settings/Logo.h"

namespace pellumo {
namespace test {
namespace {

using Bytes = std::vector<uint8_t>;

// A picture with every channel varying, so a misplaced byte shows.
Bytes Pattern(int width, int height) {
    Bytes rgba(size_t(width) * height * 4);
    for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>((i * 7 + i / 13) ^ (i >> 5));
    return rgba;
}

Bytes Packed(const Bytes& raw) {
    EXPECT_EQ(lzo_init(), LZO_E_OK);
    Bytes out(raw.size() + raw.size() / 16 + 64 + 3);
    Bytes work(LZO1X_1_MEM_COMPRESS);
    lzo_uint size = 0;
    EXPECT_EQ(lzo1x_1_compress(raw.data(), raw.size(), out.data(), &size, work.data()), LZO_E_OK);
    out.resize(size);
    return out;
}

Bytes Payload(int width, int height, const Bytes& packed) {
    Bytes out(kLogoHeaderSize + packed.size());
    out[0] = uint8_t(width & 0xFF);
    out[1] = uint8_t(width >> 8);
    out[2] = uint8_t(height & 0xFF);
    out[3] = uint8_t(height >> 8);
    std::copy(packed.begin(), packed.end(), out.begin() + kLogoHeaderSize);
    return out;
}

Bytes Payload(int width, int height, int packedWidth, int packedHeight) {
    return Payload(width, height, Packed(Pattern(packedWidth, packedHeight)));
}

TEST(DecodeLogo_Good, UnpacksToThePixelsThatWerePacked) {
    struct Case {
        int width, height;
        bool blank;  // all zero: the most the data can shrink
    };
    const Case cases[] = {{192, 56, false}, {192, 56, true}, {1, 1, false}, {3, 2, false},
                          {1, 300, false},  {300, 1, true},  {640, 480, true}};
    for (const Case& c : cases) {
        const Bytes raw = c.blank ? Bytes(size_t(c.width) * c.height * 4) : Pattern(c.width, c.height);
        const auto picture = DecodeLogo(Payload(c.width, c.height, Packed(raw)));
        ASSERT_TRUE(picture) << c.width << " x " << c.height;
        EXPECT_EQ(picture->Width, c.width);
        EXPECT_EQ(picture->Height, c.height);
        EXPECT_EQ(picture->Rgba, raw) << c.width << " x " << c.height;
    }
}

TEST(DecodeLogo_Good, BytesAfterTheEndOfTheDataAreIgnored) {
    Bytes payload = Payload(4, 3, 4, 3);
    payload.insert(payload.end(), {1, 2, 3});
    const auto picture = DecodeLogo(payload);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Rgba, Pattern(4, 3));
}

TEST(DecodeLogo_Damaged, MissingEmptyOrShortGivesNoPicture) {
    const Bytes payload = Payload(16, 8, 16, 8);
    EXPECT_FALSE(DecodeLogo(nullptr, 0));
    EXPECT_FALSE(DecodeLogo(nullptr, 100));
    for (size_t size = 0; size < payload.size(); ++size)
        EXPECT_FALSE(DecodeLogo(payload.data(), size)) << "cut to " << size << " of " << payload.size();
    EXPECT_TRUE(DecodeLogo(payload.data(), payload.size()));
}

TEST(DecodeLogo_Damaged, SizesThatDoNotMatchTheDataGiveNoPicture) {
    struct Case {
        int width, height;
    };
    // The data holds 192 x 56 pixels.
    const Case cases[] = {{193, 56}, {191, 56}, {192, 57}, {192, 55}, {1, 1},
                          {96, 56},  {384, 56}, {65535, 65535}, {65535, 1}};
    const Bytes packed = Packed(Pattern(192, 56));
    for (const Case& c : cases) EXPECT_FALSE(DecodeLogo(Payload(c.width, c.height, packed))) << c.width << " x " << c.height;
    // Only the product matters to the data, so the transposed size unpacks too.
    EXPECT_TRUE(DecodeLogo(Payload(56, 192, packed)));
}

TEST(DecodeLogo_Damaged, ZeroSidesGiveNoPicture) {
    const Bytes empty = Packed(Bytes());
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 56}, std::pair{192, 0}}) {
        EXPECT_FALSE(DecodeLogo(Payload(w, h, empty))) << w << " x " << h;
        EXPECT_FALSE(DecodeLogo(Payload(w, h, Packed(Pattern(192, 56))))) << w << " x " << h;
    }
}

TEST(DecodeLogo_Damaged, CorruptLzoDataGivesNoPicture) {
    struct Case {
        const char* what;
        Bytes data;
    };
    const Bytes good = Packed(Pattern(8, 8));
    Bytes noEnd = good;
    noEnd.resize(good.size() - 3);  // the end marker is the last three bytes
    Bytes badEnd = good;
    badEnd[badEnd.size() - 2] = 0x04;  // now a match 16 KiB back instead of the end
    const Case cases[] = {
        {"end marker only", {0x11, 0x00, 0x00}},
        {"no end marker", noEnd},
        {"damaged end marker", badEnd},
        {"a match reaching before the start", {0x12, 'A', 0xFC, 0xFF, 0x11, 0x00, 0x00}},
        {"literal run longer than the data", {0xFF, 1, 2, 3}},
        {"all ones", Bytes(200, 0xFF)},
        {"all zeros", Bytes(200, 0x00)},
    };
    for (const Case& c : cases) EXPECT_FALSE(DecodeLogo(Payload(8, 8, c.data))) << c.what;
    EXPECT_TRUE(DecodeLogo(Payload(8, 8, good))) << "the undamaged data";
}

TEST(BlendChannel, BackgroundPlusAlphaTimesDifferenceOver255Truncated) {
    struct Case {
        int background, pixel, alpha, expected;
    };
    const Case cases[] = {
        // alpha 0: the background
        {0, 255, 0, 0}, {255, 0, 0, 255}, {77, 200, 0, 77},
        // alpha 255: the pixel
        {0, 255, 255, 255}, {255, 0, 255, 0}, {77, 200, 255, 200},
        // alpha 128: the quotient is cut towards zero, whichever way the pixel lies
        {0, 255, 128, 128}, {255, 0, 128, 127}, {10, 20, 128, 15}, {20, 10, 128, 15},
        {0, 1, 128, 0}, {1, 0, 128, 1}, {100, 100, 128, 100}, {236, 16, 128, 126},
        // the smallest and largest weights
        {200, 0, 1, 200}, {0, 255, 1, 1}, {255, 0, 254, 1}, {0, 255, 254, 254},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BlendChannel(uint8_t(c.background), uint8_t(c.pixel), uint8_t(c.alpha)), c.expected)
            << c.background << " " << c.pixel << " " << c.alpha;
}

TEST(BlendLogo, OpaqueDibPixelsInRowOrder) {
    TLogoPicture picture;
    picture.Width = 2;
    picture.Height = 2;
    picture.Rgba = {
        0x01, 0x02, 0x03, 255,  // opaque: the pixel itself
        0x90, 0xA0, 0xB0, 0,    // transparent: the background
        0xFF, 0x00, 0x80, 128,  // half
        0x00, 0xFF, 0x00, 64,
    };
    const uint32_t background = 0x00332211;  // 0x00BBGGRR: red 0x11, green 0x22, blue 0x33
    // Worked by hand; the negative differences show the cut towards zero
    // (blue of the last pixel: 51 + 64 * -51 / 255 = 51 - 12, not 51 - 13).
    const std::vector<uint32_t> expected = {0xFF010203u, 0xFF112233u, 0xFF881159u, 0xFF0D5927u};
    EXPECT_EQ(BlendLogo(picture, background), expected);
}

// Made smaller, each pixel averages the area under it, colours weighed by
// their alpha; never larger. At 120 and 144 DPI the logo grows with the
// screen up to the large drawing, which is then taken as drawn.
TEST(ShrinkLogo, AveragesTheAreaUnderEachPixelAndLendsNoColourFromSeeThroughOnes) {
    TLogoPicture source;
    source.Width = 4, source.Height = 2;
    source.Rgba = {
        200, 0, 0, 255,  100, 0, 0, 255,  0, 0, 0, 0,  0, 90, 0, 255,  //
        200, 0, 0, 255,  100, 0, 0, 255,  0, 0, 0, 0,  0, 90, 0, 255,
    };
    const TLogoPicture half = ShrinkLogo(source, 2, 1);
    ASSERT_EQ(2, half.Width);
    ASSERT_EQ(1, half.Height);
    EXPECT_EQ((Bytes {150, 0, 0, 255, 0, 90, 0, 128}), half.Rgba);
    EXPECT_EQ(source.Rgba, ShrinkLogo(source, 4, 2).Rgba) << "the same size, the same pixels";
    EXPECT_EQ(0, ShrinkLogo(source, 8, 4).Width) << "never stretched";
    const TLogoPicture third = ShrinkLogo(source, 3, 1);  // a pixel and a third each
    EXPECT_EQ(175, third.Rgba[0]) << "(200 + 100 / 3) / (4 / 3)";

    const TLogoSize small {192, 56}, large {384, 112};
    const struct {
        int Dpi;
        TLogoSize Expected;
    } sizes[] = {{96, small}, {72, small}, {120, {240, 70}}, {144, {288, 84}}, {192, large}, {240, large}};
    for (const auto& c : sizes) EXPECT_EQ(c.Expected, LogoSizeAt(c.Dpi, small, large)) << c.Dpi;
    EXPECT_EQ(small, LogoSizeAt(144, small, {})) << "without the large drawing, the small one";
}

// The payload this build drew and packed for the resource.
TEST(DecodeLogo_Built, TheBuildsPayloadIsA192By56PictureWithSoftEdges) {
    std::ifstream file(PELLUMO_LOGO_PAYLOAD, std::ios::binary);
    ASSERT_TRUE(file) << PELLUMO_LOGO_PAYLOAD;
    const Bytes payload((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto picture = DecodeLogo(payload);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width, 192);
    EXPECT_EQ(picture->Height, 56);
    int opaque = 0, clear = 0, soft = 0;
    for (size_t i = 3; i < picture->Rgba.size(); i += 4) {
        const uint8_t alpha = picture->Rgba[i];
        (alpha == 255 ? opaque : alpha == 0 ? clear : soft) += 1;
    }
    EXPECT_GT(opaque, 500);
    EXPECT_GT(clear, 500) << "the background shows through around the drawing";
    EXPECT_GT(soft, 100) << "anti-aliased edges";
    // The bottom-left pixel is the colour drawn transparently: it must be background.
    EXPECT_EQ(picture->Rgba[(55 * 192) * 4 + 3], 0);

    // The large drawing is the same picture twice the size: made as small,
    // it differs from the small one only in the finer sampling of its edges.
    std::ifstream largeFile(PELLUMO_LOGO_LARGE_PAYLOAD, std::ios::binary);
    ASSERT_TRUE(largeFile) << PELLUMO_LOGO_LARGE_PAYLOAD;
    const auto large = DecodeLogo(Bytes((std::istreambuf_iterator<char>(largeFile)), std::istreambuf_iterator<char>()));
    ASSERT_TRUE(large);
    EXPECT_EQ(384, large->Width);
    EXPECT_EQ(112, large->Height);
    const TLogoPicture shrunk = ShrinkLogo(*large, 192, 56);
    double difference = 0;
    for (size_t i = 3; i < shrunk.Rgba.size(); i += 4) difference += std::abs(shrunk.Rgba[i] - picture->Rgba[i]);
    EXPECT_LT(difference / (192 * 56), 4.0) << "mean difference of alpha";
}

}  // namespace
}  // namespace test
}  // namespace pellumo
