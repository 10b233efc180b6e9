// Draws the setup dialog's logo (an envelope with a new-mail badge and the
// word "Pellumo" in strokes), packs it with LZO1X-1 and writes the resource
// payload: 16-bit little-endian width and height, then the LZO data.
//   mklogo PAYLOAD [--large PAYLOAD] [--rgba FILE] [--icon FILE.ico]
// --large: the same drawing at twice the size, for screens above 96 DPI, from
// which the dialog takes the size it needs without stretching pixels.
// Everything is drawn from distance functions and sampled 4 x 4 per pixel, so
// the edges are soft: the alpha channel carries them, and the dialog blends
// them over its own background.
#include <lzo/lzo1x.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

// The picture at 96 DPI; the drawing's coordinates are in its pixels.
constexpr int kWidth = 192;
constexpr int kHeight = 56;
constexpr int kSamples = 4;  // per axis
constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    double r, g, b;
};
Rgb Hex(uint32_t rrggbb) {
    return {((rrggbb >> 16) & 0xFF) / 255.0, ((rrggbb >> 8) & 0xFF) / 255.0, (rrggbb & 0xFF) / 255.0};
}

// Premultiplied while drawing; straight alpha only on the way out.
struct Canvas {
    int scale, width, height;
    std::vector<double> r, g, b, a;
    explicit Canvas(int s)
        : scale(s), width(kWidth * s), height(kHeight * s), r(size_t(width) * height), g(r.size()), b(r.size()),
          a(r.size()) {}

    // Lays a shape over what is there. `distance` is negative inside;
    // `softness` widens the edge (a shadow), 0 gives an anti-aliased edge.
    void Draw(const std::function<double(double, double)>& distance, const std::function<Rgb(double, double)>& paint,
              double opacity, double softness = 0) {
        // Each pixel's samples in the drawing's coordinates.
        const double unit = 1.0 / scale;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                double coverage = 0;
                if (softness > 0) {
                    const double d = distance((x + 0.5) * unit, (y + 0.5) * unit);
                    coverage = std::clamp(0.5 - d / softness, 0.0, 1.0);
                    coverage = coverage * coverage * (3 - 2 * coverage);
                } else {
                    for (int sy = 0; sy < kSamples; ++sy)
                        for (int sx = 0; sx < kSamples; ++sx)
                            if (distance((x + (sx + 0.5) / kSamples) * unit, (y + (sy + 0.5) / kSamples) * unit) <= 0)
                                coverage += 1;
                    coverage /= kSamples * kSamples;
                }
                const double alpha = coverage * opacity;
                if (alpha <= 0) continue;
                const Rgb c = paint((x + 0.5) * unit, (y + 0.5) * unit);
                const size_t i = size_t(y) * width + x;
                r[i] = c.r * alpha + r[i] * (1 - alpha);
                g[i] = c.g * alpha + g[i] * (1 - alpha);
                b[i] = c.b * alpha + b[i] * (1 - alpha);
                a[i] = alpha + a[i] * (1 - alpha);
            }
        }
    }

    std::vector<uint8_t> Rgba() const {
        std::vector<uint8_t> out(a.size() * 4);
        auto byte = [](double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
        for (size_t i = 0; i < a.size(); ++i) {
            const double alpha = a[i];
            out[i * 4 + 0] = alpha > 0 ? byte(r[i] / alpha) : 0;
            out[i * 4 + 1] = alpha > 0 ? byte(g[i] / alpha) : 0;
            out[i * 4 + 2] = alpha > 0 ? byte(b[i] / alpha) : 0;
            out[i * 4 + 3] = byte(alpha);
        }
        return out;
    }
};

std::function<Rgb(double, double)> Solid(uint32_t rrggbb) {
    const Rgb c = Hex(rrggbb);
    return [c](double, double) { return c; };
}

// Distance to a rounded rectangle (left, top, right, bottom, corner radius).
std::function<double(double, double)> RoundRect(double l, double t, double r, double b, double radius) {
    return [=](double x, double y) {
        const double cx = (l + r) / 2, cy = (t + b) / 2;
        const double qx = std::fabs(x - cx) - ((r - l) / 2 - radius);
        const double qy = std::fabs(y - cy) - ((b - t) / 2 - radius);
        const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
        return outside + std::min(std::max(qx, qy), 0.0) - radius;
    };
}

std::function<double(double, double)> Ring(std::function<double(double, double)> shape, double width) {
    return [=](double x, double y) { return std::fabs(shape(x, y) + width / 2) - width / 2; };
}

struct Point {
    double x, y;
};

// A pen drawing: polylines stroked with round caps and joins.
struct Strokes {
    std::vector<std::pair<Point, Point>> segments;
    double width = 1;

    void Line(Point a, Point b) { segments.push_back({a, b}); }
    void Polyline(std::initializer_list<Point> points) {
        for (auto p = points.begin(); p + 1 != points.end(); ++p) Line(*p, *(p + 1));
    }
    // Angles in degrees, clockwise on screen from the positive x axis.
    void Arc(Point c, double rx, double ry, double from, double to) {
        const int steps = 24;
        Point last{c.x + rx * std::cos(from * kPi / 180), c.y + ry * std::sin(from * kPi / 180)};
        for (int i = 1; i <= steps; ++i) {
            const double angle = (from + (to - from) * i / steps) * kPi / 180;
            const Point next{c.x + rx * std::cos(angle), c.y + ry * std::sin(angle)};
            Line(last, next);
            last = next;
        }
    }

    std::function<double(double, double)> Distance() const {
        return [s = *this](double x, double y) {
            double best = 1e9;
            for (const auto& [a, b] : s.segments) {
                const double dx = b.x - a.x, dy = b.y - a.y;
                const double len2 = dx * dx + dy * dy;
                const double t = len2 > 0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / len2, 0.0, 1.0) : 0;
                best = std::min(best, std::hypot(x - (a.x + t * dx), y - (a.y + t * dy)));
            }
            return best - s.width / 2;
        };
    }
};

// "Pellumo" in a rounded monoline hand: baseline, x-height and ascender
// measured from the top of the picture. Returns the pen, left edge at `x`.
Strokes Wordmark(double x) {
    const double base = 40, xTop = 25, capTop = 15, gap = 4.5;
    const double bowl = (base - xTop) / 2;  // radius of the round letters
    Strokes s;
    s.width = 3.4;
    // P
    s.Line({x, capTop}, {x, base});
    s.Polyline({{x, capTop}, {x + 6, capTop}});
    s.Arc({x + 6, capTop + 6.5}, 6.5, 6.5, -90, 90);
    s.Line({x + 6, capTop + 13}, {x, capTop + 13});
    x += 12.5 + gap;
    // e: a bar across the middle, the bowl open at the lower right
    {
        const Point c{x + bowl, xTop + bowl};
        s.Line({c.x - bowl, c.y}, {c.x + bowl, c.y});
        s.Arc(c, bowl, bowl, 0, -320);
        x += 2 * bowl + gap;
    }
    // l l
    for (int i = 0; i < 2; ++i) {
        s.Line({x, capTop - 1}, {x, base});
        x += gap + 1.5;
    }
    x += 1;
    // u
    {
        const double r = bowl;
        s.Line({x, xTop}, {x, base - r});
        s.Arc({x + r, base - r}, r, r, 180, 0);
        s.Line({x + 2 * r, xTop}, {x + 2 * r, base});
        x += 2 * r + gap;
    }
    // m: two narrower arches
    {
        const double r = 5;
        s.Line({x, xTop}, {x, base});
        s.Arc({x + r, xTop + r}, r, r, 180, 360);
        s.Line({x + 2 * r, xTop + r}, {x + 2 * r, base});
        s.Arc({x + 3 * r, xTop + r}, r, r, 180, 360);
        s.Line({x + 4 * r, xTop + r}, {x + 4 * r, base});
        x += 4 * r + gap;
    }
    // o
    s.Arc({x + bowl, xTop + bowl}, bowl, bowl, 0, 360);
    return s;
}

// The logo at `scale` times its 96-DPI size.
std::vector<uint8_t> DrawLogo(int scale) {
    Canvas canvas(scale);
    const double l = 7, t = 13, r = 61, b = 49;  // the envelope
    // A soft shadow below and to the right.
    canvas.Draw(RoundRect(l + 2, t + 3, r + 2, b + 3, 4), Solid(0x1B2A44), 0.35, 4);
    // Paper, lighter at the top.
    canvas.Draw(RoundRect(l, t, r, b, 4),
                [=](double, double y) {
                    const double f = std::clamp((y - t) / (b - t), 0.0, 1.0);
                    const Rgb top = Hex(0xFFFFFF), bottom = Hex(0xCFE0F5);
                    return Rgb{top.r + (bottom.r - top.r) * f, top.g + (bottom.g - top.g) * f,
                               top.b + (bottom.b - top.b) * f};
                },
                1.0);
    // Folds: the two lower ones faint, the flap strong.
    Strokes folds;
    folds.width = 1.3;
    folds.Line({l + 2, b - 2}, {(l + r) / 2 - 6, (t + b) / 2 + 3});
    folds.Line({r - 2, b - 2}, {(l + r) / 2 + 6, (t + b) / 2 + 3});
    canvas.Draw(folds.Distance(), Solid(0x2F6DB5), 0.45);
    Strokes flap;
    flap.width = 2.2;
    flap.Polyline({{l + 2.5, t + 2.5}, {(l + r) / 2, (t + b) / 2 + 2}, {r - 2.5, t + 2.5}});
    canvas.Draw(flap.Distance(), Solid(0x2F6DB5), 1.0);
    canvas.Draw(Ring(RoundRect(l, t, r, b, 4), 1.6), Solid(0x2F6DB5), 1.0);

    // The new-mail badge on the top right corner, with a white rim and a "1".
    const Point badge{r - 1, t + 1};
    auto circle = [badge](double radius) {
        return [=](double x, double y) { return std::hypot(x - badge.x, y - badge.y) - radius; };
    };
    canvas.Draw(circle(10), Solid(0x7A3A00), 0.30, 3);
    canvas.Draw(circle(9), Solid(0xFFFFFF), 1.0);
    canvas.Draw(circle(7.4), [=](double, double y) { return y < badge.y ? Hex(0xFFA640) : Hex(0xF07F1A); }, 1.0);
    Strokes one;
    one.width = 2.0;
    one.Polyline({{badge.x - 2.2, badge.y - 2.2}, {badge.x + 0.4, badge.y - 4.4}, {badge.x + 0.4, badge.y + 4.4}});
    canvas.Draw(one.Distance(), Solid(0xFFFFFF), 1.0);

    // The name, with a faint shadow of its own.
    const Strokes word = Wordmark(75);
    Strokes shadow = word;
    for (auto& [a, c] : shadow.segments) {
        a.x += 1, a.y += 1.5;
        c.x += 1, c.y += 1.5;
    }
    canvas.Draw(shadow.Distance(), Solid(0x1B2A44), 0.25, 2.5);
    canvas.Draw(word.Distance(),
                [](double, double y) {
                    const double f = std::clamp((y - 15) / 25, 0.0, 1.0);
                    const Rgb top = Hex(0x2F6DB5), bottom = Hex(0x173A6E);
                    return Rgb{top.r + (bottom.r - top.r) * f, top.g + (bottom.g - top.g) * f,
                               top.b + (bottom.b - top.b) * f};
                },
                1.0);
    return canvas.Rgba();
}

// The envelope with its badge, cut from the logo into a square of `size`
// pixels: each target pixel averages the source area it covers
// (premultiplied, so transparent pixels lend no colour). Straight RGBA out.
std::vector<uint8_t> IconPicture(const std::vector<uint8_t>& logo, int size) {
    const double left = 4, top = -6, side = 68;  // the square around envelope and badge
    std::vector<uint8_t> out(size_t(size) * size * 4);
    const double scale = side / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double sum[4] = {0, 0, 0, 0}, area = 0;
            const double x0 = left + x * scale, x1 = x0 + scale, y0 = top + y * scale, y1 = y0 + scale;
            for (int sy = int(std::floor(y0)); sy < int(std::ceil(y1)); ++sy) {
                for (int sx = int(std::floor(x0)); sx < int(std::ceil(x1)); ++sx) {
                    const double w = (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0)) *
                                     (std::min<double>(sy + 1, y1) - std::max<double>(sy, y0));
                    area += w;
                    if (sx < 0 || sy < 0 || sx >= kWidth || sy >= kHeight) continue;  // transparent
                    const uint8_t* p = &logo[(size_t(sy) * kWidth + sx) * 4];
                    const double alpha = p[3] / 255.0;
                    for (int c = 0; c < 3; ++c) sum[c] += w * alpha * p[c];
                    sum[3] += w * alpha;
                }
            }
            uint8_t* q = &out[(size_t(y) * size + x) * 4];
            const double alpha = sum[3] / area;
            for (int c = 0; c < 3; ++c) q[c] = alpha > 0 ? uint8_t(std::lround(std::clamp(sum[c] / sum[3], 0.0, 255.0))) : 0;
            q[3] = uint8_t(std::lround(std::clamp(alpha * 255, 0.0, 255.0)));
        }
    }
    return out;
}

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

// A Windows icon file with one 32-bit image per size (BGRA rows bottom-up,
// then the 1-bit mask, which 32-bit images still carry).
std::vector<uint8_t> IconFile(const std::vector<uint8_t>& logo, std::initializer_list<int> sizes) {
    std::vector<std::vector<uint8_t>> images;
    for (int size : sizes) {
        const std::vector<uint8_t> rgba = IconPicture(logo, size);
        std::vector<uint8_t> image;
        PutLe(image, 40, 4);
        PutLe(image, uint32_t(size), 4);
        PutLe(image, uint32_t(size * 2), 4);  // colour and mask together
        PutLe(image, 1, 2);
        PutLe(image, 32, 2);
        for (int i = 0; i < 6; ++i) PutLe(image, 0, 4);
        for (int y = size - 1; y >= 0; --y)
            for (int x = 0; x < size; ++x) {
                const uint8_t* p = &rgba[(size_t(y) * size + x) * 4];
                image.insert(image.end(), {p[2], p[1], p[0], p[3]});
            }
        const int maskStride = ((size + 31) / 32) * 4;
        for (int y = size - 1; y >= 0; --y) {
            std::vector<uint8_t> row(maskStride, 0);
            for (int x = 0; x < size; ++x)
                if (rgba[(size_t(y) * size + x) * 4 + 3] == 0) row[x / 8] |= uint8_t(0x80 >> (x % 8));
            image.insert(image.end(), row.begin(), row.end());
        }
        images.push_back(image);
    }
    std::vector<uint8_t> file;
    PutLe(file, 0, 2);
    PutLe(file, 1, 2);  // an icon
    PutLe(file, uint32_t(images.size()), 2);
    uint32_t offset = uint32_t(6 + 16 * images.size());
    auto size = sizes.begin();
    for (const auto& image : images) {
        file.push_back(uint8_t(*size));
        file.push_back(uint8_t(*size++));
        file.push_back(0);
        file.push_back(0);
        PutLe(file, 1, 2);
        PutLe(file, 32, 2);
        PutLe(file, uint32_t(image.size()), 4);
        PutLe(file, offset, 4);
        offset += uint32_t(image.size());
    }
    for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());
    return file;
}

// The resource payload of a picture drawn at `scale`: its size, then LZO1X-1.
bool Pack(const std::vector<uint8_t>& rgba, int scale, std::vector<uint8_t>& payload) {
    const int width = kWidth * scale, height = kHeight * scale;
    // LZO1X-1 may grow incompressible data by size / 16 + 67 bytes.
    payload.assign(4 + rgba.size() + rgba.size() / 16 + 64 + 3, 0);
    payload[0] = width & 0xFF;
    payload[1] = width >> 8;
    payload[2] = height & 0xFF;
    payload[3] = height >> 8;
    std::vector<uint8_t> work(LZO1X_1_MEM_COMPRESS);
    lzo_uint packed = 0;
    if (lzo1x_1_compress(rgba.data(), rgba.size(), payload.data() + 4, &packed, work.data()) != LZO_E_OK) return false;
    payload.resize(4 + packed);
    return true;
}

bool WriteFile(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    // PAYLOAD: the resource; --rgba: the unpacked picture; --icon: the
    // program's icon file, cut from the same drawing.
    const char* rgbaPath = nullptr;
    const char* iconPath = nullptr;
    const char* largePath = nullptr;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rgba") == 0) rgbaPath = argv[i + 1];
        else if (std::strcmp(argv[i], "--icon") == 0) iconPath = argv[i + 1];
        else if (std::strcmp(argv[i], "--large") == 0) largePath = argv[i + 1];
        else argc = 0;
    }
    if (argc < 2 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: mklogo PAYLOAD [--large PAYLOAD] [--rgba FILE] [--icon FILE.ico]\n");
        return 2;
    }
    if (lzo_init() != LZO_E_OK) {
        std::fprintf(stderr, "mklogo: lzo_init failed\n");
        return 1;
    }
    const std::vector<uint8_t> rgba = DrawLogo(1);
    std::vector<uint8_t> payload, large;
    if (!Pack(rgba, 1, payload) || (largePath && !Pack(DrawLogo(2), 2, large))) {
        std::fprintf(stderr, "mklogo: compression failed\n");
        return 1;
    }

    if (!WriteFile(argv[1], payload) || (largePath && !WriteFile(largePath, large)) ||
        (rgbaPath && !WriteFile(rgbaPath, rgba)) ||
        (iconPath && !WriteFile(iconPath, IconFile(rgba, {32, 16})))) {
        std::perror("mklogo");
        return 1;
    }
    return 0;
}
