#include "engine/Blitter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/engine/ImageRecordFactory.h"
#include "tests/engine/TempProgramFolder.h"

namespace {

// ---------------------------------------------------------------------------
// A 32-bit target held as words (blue low, alpha high).

struct Canvas {
    int width;
    int height;
    std::vector<uint8_t> bytes;

    Canvas(int w, int h, uint32_t fill = 0xFF000000u) : width(w), height(h), bytes(w * h * 4) {
        for (int i = 0; i < w * h; ++i) {
            Set(i % w, i / w, fill);
        }
    }
    uint32_t At(int x, int y) const {
        uint32_t v;
        std::memcpy(&v, &bytes[(y * width + x) * 4], 4);
        return v;
    }
    void Set(int x, int y, uint32_t v) { std::memcpy(&bytes[(y * width + x) * 4], &v, 4); }
    TargetSurface Surface() { return TargetSurface{bytes.data(), width, height, 32, 0xFF00FF}; }
    bool operator==(const Canvas& o) const { return bytes == o.bytes; }
};

std::string Dump(const Canvas& c) {
    std::string out;
    char cell[12];
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            std::snprintf(cell, sizeof cell, "%08x ", c.At(x, y));
            out += cell;
        }
        out += "\n";
    }
    return out;
}

uint32_t Channel(uint32_t pixel, int c) {
    return (pixel >> (8 * c)) & 0xFF;
}

uint32_t Pack(uint32_t b, uint32_t g, uint32_t r, uint32_t a) {
    return b | g << 8 | r << 16 | a << 24;
}

// ---------------------------------------------------------------------------
// The reference: every target pixel computed on its own, straight from the
// rules of the format, with plain integer arithmetic.

struct Draw {
    SpriteParams params;
    int sourceX = 0;
    int sourceY = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    double alpha = 1.0;
    uint32_t tint = kNoTint;
};

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

class Reference {
public:
    Reference(const ImageRecord& r, const Draw& d) : r_(r), d_(d) {
        indexed_ = (r.flags & (kImagePpsBlock | kImagePalette)) != 0;
        bpp_ = indexed_ ? ((r.flags & kImageAlpha) ? 2 : 1) : 4;
        fullHeight_ = r.frameCount > 1 ? int64_t{r.height} * r.frameCount : r.height;
        dw_ = d.params.width;
        dh_ = d.params.height;
        scaled_ = dw_ != d.sourceWidth || dh_ != d.sourceHeight;
        smooth_ = !indexed_ && (d.params.flags & kDrawSmoothScale);
    }

    void Run(Canvas& target) {
        const SpriteParams& p = d_.params;
        if (!(d_.alpha > 0) || r_.pixels == nullptr || r_.frameCount < 1 ||
            uint64_t{r_.width} * fullHeight_ * bpp_ > r_.byteSize || d_.sourceWidth <= 0 ||
            d_.sourceHeight <= 0 || (indexed_ && r_.palette == nullptr) || dw_ <= 0 || dh_ <= 0) {
            return;
        }
        int64_t left = 0, top = 0, right = target.width, bottom = target.height;
        if (p.flags & kDrawClip) {
            const int64_t l = int64_t{p.objectX} - p.centreX + p.clipLeft;
            const int64_t t = int64_t{p.objectY} - p.centreY + p.clipTop;
            left = std::max<int64_t>(l, 0);
            top = std::max<int64_t>(t, 0);
            right = std::min<int64_t>(l + p.clipRight - p.clipLeft, target.width);
            bottom = std::min<int64_t>(t + p.clipBottom - p.clipTop, target.height);
        }
        const bool rotated = p.angle != 0.0;
        int64_t radius = p.radius;
        if (rotated && radius < 1) {
            radius = static_cast<int64_t>(std::sqrt(dw_ * 0.5 * dw_ * 0.5 + dh_ * 0.5 * dh_ * 0.5));
        }
        for (int64_t y = top; y < bottom; ++y) {
            for (int64_t x = left; x < right; ++x) {
                std::optional<uint32_t> s;
                if (!rotated) {
                    const int64_t vx = x - (p.centreX - (dw_ + 1) / 2);
                    const int64_t vy = y - (p.centreY - (dh_ + 1) / 2);
                    if (vx >= 0 && vy >= 0 && vx < dw_ && vy < dh_) {
                        s = Virtual(vx, vy);
                    }
                } else {
                    s = Rotated(x - p.centreX, y - p.centreY, radius);
                }
                if (s) {
                    uint32_t pixel = target.At(static_cast<int>(x), static_cast<int>(y));
                    Apply(pixel, *s);
                    target.Set(static_cast<int>(x), static_cast<int>(y), pixel);
                }
            }
        }
    }

private:
    bool Filtered() const { return (d_.params.flags & kDrawFilteredRotation) && !Invert(); }
    bool Invert() const { return (d_.params.flags & kDrawInvert) && (r_.flags & kImageHasKey); }
    bool PerPixelAlpha() const { return bpp_ == 2 || (bpp_ == 4 && (r_.flags & kImageAlpha)); }

    // The picture's pixel; alpha 0 where transparent.
    std::optional<uint32_t> Pixel(int64_t px, int64_t py) const {
        if (px < 0 || py < 0 || px >= r_.width || py >= fullHeight_) {
            return std::nullopt;
        }
        const uint8_t* p = r_.pixels + (py * r_.width + px) * bpp_;
        if (bpp_ == 4) {
            return Pack(p[0], p[1], p[2], p[3]);
        }
        const int index = p[0];
        uint32_t colour = 0;
        if (index < r_.paletteCount) {
            const uint8_t* e = r_.palette + index * 3;
            colour = Pack(e[2], e[1], e[0], 0);
        }
        uint32_t alpha = bpp_ == 1 ? 255 : p[1];
        if (static_cast<uint32_t>(index) == r_.colorKey) {
            alpha = 0;
        }
        return colour | alpha << 24;
    }

    static uint32_t Mix(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t fx,
                        uint32_t fy) {
        const uint32_t w11 = fx * fy / 256;
        const uint32_t w10 = fx - w11;
        const uint32_t w01 = fy - w11;
        const uint32_t w00 = 256 - fx - fy + w11;
        uint32_t out = 0;
        for (int c = 0; c < 4; ++c) {
            const uint32_t v = (w00 * Channel(p00, c) + w10 * Channel(p10, c) +
                                w01 * Channel(p01, c) + w11 * Channel(p11, c)) /
                               256;
            out |= v << (8 * c);
        }
        return out;
    }

    // Nearest-neighbour index of destination position v on one axis.
    int64_t Nearest(int64_t v, int64_t source, int64_t destination) const {
        int64_t index;
        if (indexed_) {
            index = v * (source * 1024 / destination) / 1024;
        } else {
            const int64_t step =
                source > 1 && destination > 1 ? (source * 1024 - 1024) / (destination - 1) : 0;
            index = (512 + v * step) / 1024;
        }
        return std::min(index, source - 1);
    }

    // The scaled picture's pixel at (vx, vy) of the destination size.
    std::optional<uint32_t> Virtual(int64_t vx, int64_t vy) const {
        if (!scaled_) {
            return Pixel(d_.sourceX + vx, d_.sourceY + vy);
        }
        if (!smooth_) {
            return Pixel(d_.sourceX + Nearest(vx, d_.sourceWidth, dw_),
                         d_.sourceY + Nearest(vy, d_.sourceHeight, dh_));
        }
        auto step = [](int64_t source, int64_t destination) -> int64_t {
            return source >= 2 && destination >= 2 ? (source * 65536 - 65536) / (destination - 1)
                                                   : 0;
        };
        const int64_t x = vx * step(d_.sourceWidth, dw_);
        const int64_t y = vy * step(d_.sourceHeight, dh_);
        const int64_t xi = x / 65536;
        const int64_t yi = y / 65536;
        const int64_t px = d_.sourceX + xi;
        const int64_t py = d_.sourceY + yi;
        auto p00 = Pixel(px, py);
        if (!p00 || xi == 0 || yi == 0 || xi >= d_.sourceWidth - 1 || yi >= d_.sourceHeight - 1) {
            return p00;
        }
        auto p10 = Pixel(px + 1, py);
        auto p01 = Pixel(px, py + 1);
        auto p11 = Pixel(px + 1, py + 1);
        if (!p10 || !p01 || !p11) {
            return p00;
        }
        return Mix(*p00, *p10, *p01, *p11, (x / 256) % 256, (y / 256) % 256);
    }

    std::optional<uint32_t> Rotated(int64_t dx, int64_t dy, int64_t radius) const {
        if (dx < -radius || dy < -radius || dx >= radius || dy >= radius) {
            return std::nullopt;
        }
        const int64_t f = Filtered() ? 65536 : 1024;
        const double a = d_.params.angle;
        int64_t cs, sn;
        if (a == 90.0) {
            cs = 0, sn = f;
        } else if (a == 180.0) {
            cs = -f, sn = 0;
        } else if (a == 270.0) {
            cs = 0, sn = -f;
        } else {
            cs = static_cast<int64_t>(std::cos(a * 0.01745327777777778) * f);
            sn = static_cast<int64_t>(std::sin(a * 0.01745327777777778) * f);
        }
        const int64_t x = (dw_ + 1) / 2 * f + dx * cs - dy * sn;
        const int64_t y = (dh_ + 1) / 2 * f + dx * sn + dy * cs;
        const int64_t xi = FloorDiv(x, f);
        const int64_t yi = FloorDiv(y, f);
        if (xi < 0 || yi < 0 || xi >= dw_ || yi >= dh_) {
            return std::nullopt;
        }
        auto p00 = Virtual(xi, yi);
        if (!Filtered() || !p00 || xi == 0 || yi == 0 || xi == dw_ - 1 || yi == dh_ - 1) {
            return p00;
        }
        auto p10 = Virtual(xi + 1, yi);
        auto p01 = Virtual(xi, yi + 1);
        auto p11 = Virtual(xi + 1, yi + 1);
        if (!p10 || !p01 || !p11) {
            return p00;
        }
        return Mix(*p00, *p10, *p01, *p11, static_cast<uint32_t>(FloorDiv(x, 256) & 255),
                   static_cast<uint32_t>(FloorDiv(y, 256) & 255));
    }

    static uint32_t BlendColour(uint32_t s, uint32_t d, uint32_t k) {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
            out |= ((Channel(s, c) * k + Channel(d, c) * (255 - k)) / 256) << (8 * c);
        }
        return out;
    }

    bool TintPasses(uint32_t alpha) const {
        if (d_.tint == kNoTint) {
            return false;
        }
        const uint32_t threshold = d_.tint >> 24;
        return indexed_ ? alpha >= threshold : alpha > threshold;
    }

    uint32_t TintColour() const {
        return Pack((d_.tint >> 16) & 0xFF, (d_.tint >> 8) & 0xFF, d_.tint & 0xFF, 0);
    }

    void Apply(uint32_t& d, uint32_t s) const {
        const uint32_t sa = s >> 24;
        const uint32_t da = d >> 24;
        const bool below = d_.alpha < 1.0;
        const uint32_t a8 = below ? static_cast<uint32_t>(d_.alpha * 255.0) : 255;
        const bool rotated = d_.params.angle != 0.0;
        if (Invert()) {
            if (sa != 0) {
                d = (~d & 0xFFFFFF) | 0xFF000000u;
            }
            return;
        }
        if (rotated && Filtered() && bpp_ != 2) {
            const uint32_t k = sa * a8 / 256;
            if (k == 0) {
                return;
            }
            d = da == 0 ? (s & 0xFFFFFF) | k << 24 : BlendColour(s, d, k) | std::max(da, k) << 24;
            return;
        }
        if (PerPixelAlpha()) {
            if (sa == 0) {
                return;
            }
            const bool onto = !rotated && (d_.params.flags & kDrawOntoOpaque);
            if (onto && da != 255) {
                return;
            }
            const uint32_t k = below ? sa * a8 / 256 : sa;
            if (TintPasses(sa)) {
                d = BlendColour(s, TintColour(), k) | 0xFF000000u;
            } else if (da == 0) {
                d = (s & 0xFFFFFF) | k << 24;
            } else {
                d = BlendColour(s, d, k) | (onto ? da : std::max(da, k)) << 24;
            }
            return;
        }
        const bool keyed = indexed_ || (r_.flags & kImageHasKey);
        if (!below && !keyed && !rotated) {
            d = s;  // opaque row copy
            return;
        }
        if (sa == 0) {
            return;
        }
        if (!below) {
            d = s;
            return;
        }
        d = BlendColour(s, TintPasses(sa) ? TintColour() : d, a8) | 0xFF000000u;
    }

    const ImageRecord& r_;
    const Draw& d_;
    bool indexed_;
    int bpp_;
    int64_t fullHeight_;
    int64_t dw_;
    int64_t dh_;
    bool scaled_;
    bool smooth_;
};

// Draws with the blitter and with the reference onto the same start and
// compares every pixel; answers whether the draw changed anything.
bool ExpectLikeReference(const ImageRecord& record, const Draw& draw, const Canvas& start) {
    Canvas actual = start;
    Canvas expected = start;
    SpriteParams params = draw.params;
    TargetSurface surface = actual.Surface();
    DrawSprite(surface, params, record, draw.sourceX, draw.sourceY, draw.sourceWidth,
               draw.sourceHeight, draw.alpha, draw.tint);
    Reference(record, draw).Run(expected);
    EXPECT_TRUE(actual == expected) << "blitter:\n"
                                    << Dump(actual) << "reference:\n"
                                    << Dump(expected);
    return !(actual == start);
}

Draw At(int centreX, int centreY, int width, int height, int sourceWidth, int sourceHeight) {
    Draw d;
    d.params.centreX = centreX;
    d.params.centreY = centreY;
    d.params.width = width;
    d.params.height = height;
    d.sourceWidth = sourceWidth;
    d.sourceHeight = sourceHeight;
    return d;
}

// A draw whose destination rectangle starts at (left, top).
Draw TopLeftAt(int left, int top, int width, int height, int sourceWidth, int sourceHeight) {
    return At(left + (width + 1) / 2, top + (height + 1) / 2, width, height, sourceWidth,
              sourceHeight);
}

void DrawOnto(Canvas& canvas, const ImageRecord& record, Draw draw) {
    TargetSurface surface = canvas.Surface();
    DrawSprite(surface, draw.params, record, draw.sourceX, draw.sourceY, draw.sourceWidth,
               draw.sourceHeight, draw.alpha, draw.tint);
}

// Pixel (x, y) of a test picture: blue x * 40, green y * 40, red 200, alpha
// varying, zero on one corner.
uint32_t Gradient(int x, int y) {
    const uint32_t alpha = (x == 0 && y == 0) ? 0 : static_cast<uint32_t>(80 + x * 30 + y * 7);
    return Pack((x * 40) & 0xFF, (y * 40) & 0xFF, 200, std::min<uint32_t>(alpha, 255));
}

// ---------------------------------------------------------------------------
// Hand-computed values

TEST(BlitterTest, BlendsDivideByShifting) {
    OwnedRecord white;
    Make32(*white, 1, 1, 1, 0, [](int, int) { return 0xFFFFFFFFu; });
    Canvas canvas(1, 1, 0xFF000000u);
    Draw draw = TopLeftAt(0, 0, 1, 1, 1, 1);
    draw.alpha = 0.5;
    DrawOnto(canvas, *white, draw);
    EXPECT_EQ(canvas.At(0, 0), 0xFF7E7E7Eu);  // (255 * 127) >> 8 = 126

    white->flags = kImageAlpha;
    canvas.Set(0, 0, 0xFF000000u);
    draw.alpha = 1.0;
    DrawOnto(canvas, *white, draw);
    EXPECT_EQ(canvas.At(0, 0), 0xFFFEFEFEu);  // white at alpha 255 stays 254

    canvas.Set(0, 0, 0x00123456u);  // transparent destination: colour copied
    white->pixels[3] = 128;
    DrawOnto(canvas, *white, draw);
    EXPECT_EQ(canvas.At(0, 0), 0x80FFFFFFu);

    draw.alpha = 0.0;
    canvas.Set(0, 0, 0x11223344u);
    DrawOnto(canvas, *white, draw);
    EXPECT_EQ(canvas.At(0, 0), 0x11223344u);  // alpha 0 draws nothing

    white->flags = 0;
    white->pixels[3] = 0;  // no key: even alpha 0 is copied whole
    draw.alpha = 1.5;
    DrawOnto(canvas, *white, draw);
    EXPECT_EQ(canvas.At(0, 0), 0x00FFFFFFu);
}

TEST(BlitterTest, TransparencyFollowsEachFormat) {
    Canvas start(4, 1, 0xFF101010u);
    OwnedRecord noKey;  // key 256: every index drawn
    MakeIndexed(*noKey, 4, 1, 1, false, kNoColorKeyIndex, 4, [](int x, int) { return x; });
    Canvas canvas = start;
    DrawOnto(canvas, *noKey, TopLeftAt(0, 0, 4, 1, 4, 1));
    for (int x = 0; x < 4; ++x) {
        const uint32_t c = FactoryPaletteColor(x);
        EXPECT_EQ(canvas.At(x, 0), Pack(c >> 16, (c >> 8) & 0xFF, c & 0xFF, 255));
    }

    OwnedRecord keyed;
    MakeIndexed(*keyed, 4, 1, 1, false, 2, 4, [](int x, int) { return x; });
    canvas = start;
    DrawOnto(canvas, *keyed, TopLeftAt(0, 0, 4, 1, 4, 1));
    EXPECT_EQ(canvas.At(2, 0), 0xFF101010u);
    EXPECT_NE(canvas.At(3, 0), 0xFF101010u);

    OwnedRecord twoBytes;  // index 1 is the key, index 3 has alpha 0
    MakeIndexed(*twoBytes, 4, 1, 1, true, 1, 4,
                [](int x, int) { return static_cast<uint32_t>(x) | (x == 3 ? 0u : 255u) << 8; });
    canvas = start;
    DrawOnto(canvas, *twoBytes, TopLeftAt(0, 0, 4, 1, 4, 1));
    EXPECT_NE(canvas.At(0, 0), 0xFF101010u);
    EXPECT_EQ(canvas.At(1, 0), 0xFF101010u);
    EXPECT_NE(canvas.At(2, 0), 0xFF101010u);
    EXPECT_EQ(canvas.At(3, 0), 0xFF101010u);

    OwnedRecord keyed32;
    Make32(*keyed32, 4, 1, 1, kImageHasKey,
           [](int x, int) { return x == 1 ? 0x00FF00FFu : 0xFF0000FFu; });
    canvas = start;
    DrawOnto(canvas, *keyed32, TopLeftAt(0, 0, 4, 1, 4, 1));
    EXPECT_EQ(canvas.At(0, 0), 0xFF0000FFu);
    EXPECT_EQ(canvas.At(1, 0), 0xFF101010u);
}

TEST(BlitterTest, TintIgnoresTheDestinationAndTestsItsThreshold) {
    OwnedRecord picture;  // alphas 99, 100, 101, 255
    Make32(*picture, 4, 1, 1, kImageAlpha, [](int x, int) {
        const uint32_t alpha[] = {99, 100, 101, 255};
        return Pack(200, 100, 50, alpha[x]);
    });
    const uint32_t tint = 100u << 24 | 0x0000FF;  // threshold 100, pure red
    Draw draw = TopLeftAt(0, 0, 4, 1, 4, 1);
    draw.tint = tint;
    Canvas dark(4, 1, 0xFF000000u);
    Canvas light(4, 1, 0xFFFFFFFFu);
    DrawOnto(dark, *picture, draw);
    DrawOnto(light, *picture, draw);
    EXPECT_NE(dark.At(1, 0), light.At(1, 0));  // alpha 100 is not above 100
    EXPECT_EQ(dark.At(2, 0), light.At(2, 0));  // tinted: destination unread
    // k = 101: blue (200*101 + 0*154) >> 8, red (50*101 + 255*154) >> 8.
    EXPECT_EQ(dark.At(2, 0), Pack(78, 39, 173, 255));

    OwnedRecord indexed;  // indexed pictures tint from the threshold on
    MakeIndexed(*indexed, 2, 1, 1, true, kNoColorKeyIndex, 2,
                [](int x, int) { return static_cast<uint32_t>(x) | (x == 0 ? 99u : 100u) << 8; });
    dark = Canvas(2, 1, 0xFF000000u);
    light = Canvas(2, 1, 0xFFFFFFFFu);
    draw = TopLeftAt(0, 0, 2, 1, 2, 1);
    draw.tint = tint;
    DrawOnto(dark, *indexed, draw);
    DrawOnto(light, *indexed, draw);
    EXPECT_NE(dark.At(0, 0), light.At(0, 0));
    EXPECT_EQ(dark.At(1, 0), light.At(1, 0));
}

TEST(BlitterTest, NearestScalingPositions) {
    // 32-bit: start at half a pixel, step ((s << 10) - 1024) / (d - 1).
    OwnedRecord row;
    Make32(*row, 4, 1, 1, 0, [](int x, int) { return 0xFF000000u | x; });
    Canvas canvas(5, 1, 0);
    DrawOnto(canvas, *row, TopLeftAt(0, 0, 5, 1, 3, 1));  // 3 -> 5: 0 1 1 2 2
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(canvas.At(x, 0) & 0xFF, static_cast<uint32_t>((x + 1) / 2)) << x;
    }
    DrawOnto(canvas, *row, TopLeftAt(0, 0, 2, 1, 4, 1));  // 4 -> 2: 0 3
    EXPECT_EQ(canvas.At(0, 0) & 0xFF, 0u);
    EXPECT_EQ(canvas.At(1, 0) & 0xFF, 3u);

    // Indexed: positions from 0, step (s << 10) / d.
    OwnedRecord indices;
    MakeIndexed(*indices, 4, 1, 1, false, kNoColorKeyIndex, 4, [](int x, int) { return x; });
    DrawOnto(canvas, *indices, TopLeftAt(0, 0, 2, 1, 4, 1));  // 4 -> 2: 0 2
    EXPECT_EQ((canvas.At(0, 0) >> 16) & 0xFF, 0u);            // red = index
    EXPECT_EQ((canvas.At(1, 0) >> 16) & 0xFF, 2u);

    std::unique_ptr<uint8_t[]> scaled = ScaleImage32(row->pixels, 4, 1, 0, 3, 1, 5, 1);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled[0], 1);
    EXPECT_EQ(scaled[4 * 4], 3);
    EXPECT_FALSE(ScaleImage32(row->pixels, 4, 0, 0, 4, 1, 0, 1));
    EXPECT_FALSE(ScaleImage32(row->pixels, 4, 1, 0, 4, 1, 2, 1));  // past the row
    scaled = ScaleImage32(row->pixels, 4, 0, 0, 4, 1, 4, 1);
    EXPECT_EQ(std::memcmp(scaled.get(), row->pixels, 16), 0);
}

TEST(BlitterTest, SmoothScalingKeepsEndPointsAndEqualSizes) {
    OwnedRecord picture;
    Make32(*picture, 3, 3, 1, 0, [](int x, int y) { return Pack(x * 100, y * 100, 7, 255); });
    Canvas canvas(5, 5, 0);
    Draw draw = TopLeftAt(0, 0, 5, 5, 3, 3);  // step exactly half a pixel
    draw.params.flags = kDrawSmoothScale;
    DrawOnto(canvas, *picture, draw);
    EXPECT_EQ(canvas.At(0, 0), Pack(0, 0, 7, 255));
    EXPECT_EQ(canvas.At(4, 4), Pack(200, 200, 7, 255));
    EXPECT_EQ(canvas.At(4, 0), Pack(200, 0, 7, 255));
    EXPECT_EQ(canvas.At(2, 2), Pack(100, 100, 7, 255));  // on a source pixel
    // Half-way between columns 1 and 2 of row 1: weights 128 and 128.
    EXPECT_EQ(canvas.At(3, 2), Pack(150, 100, 7, 255));
    ExpectLikeReference(*picture, draw, Canvas(5, 5, 0));

    Canvas same(3, 3, 0);
    draw = TopLeftAt(0, 0, 3, 3, 3, 3);
    draw.params.flags = kDrawSmoothScale;
    DrawOnto(same, *picture, draw);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(same.At(x, y), Pack(x * 100, y * 100, 7, 255));
        }
    }
}

TEST(BlitterTest, RotationFollowsTheFormulaNotAnIdealTurn) {
    OwnedRecord picture;  // blue = column, green = row
    Make32(*picture, 4, 4, 1, 0, [](int x, int y) { return Pack(x, y, 0, 255); });
    const uint32_t untouched = 0xFF808080u;

    Canvas half(6, 6, untouched);
    Draw draw = At(3, 3, 4, 4, 4, 4);
    draw.params.angle = 180.0;
    DrawOnto(half, *picture, draw);
    // Square from 1 to 4; offset -2 maps to column 4 (outside), -1 to 3, 0 to
    // 2, 1 to 1: the first row and column of the square stay untouched.
    for (int y = 1; y < 5; ++y) {
        for (int x = 1; x < 5; ++x) {
            const uint32_t expected =
                (x == 1 || y == 1) ? untouched : Pack(2 - (x - 3), 2 - (y - 3), 0, 255);
            EXPECT_EQ(half.At(x, y), expected) << x << "," << y;
        }
    }

    Canvas quarter(6, 6, untouched);
    draw.params.angle = 90.0;
    DrawOnto(quarter, *picture, draw);
    // Source (2 - dy, 2 + dx): the picture's top row turns to the left side.
    EXPECT_EQ(quarter.At(1, 3), Pack(2, 0, 0, 255));  // dx -2, dy 0
    EXPECT_EQ(quarter.At(3, 1), untouched);           // source column 4
    EXPECT_EQ(quarter.At(4, 2), Pack(3, 3, 0, 255));  // dx 1, dy -1

    SpriteParams params = draw.params;  // the computed radius is stored back
    TargetSurface surface = quarter.Surface();
    DrawSprite(surface, params, *picture, 0, 0, 4, 4, 1.0, kNoTint);
    EXPECT_EQ(params.radius, 2);
}

TEST(BlitterTest, SourceRectanglesPastThePictureDrawOnlyTheValidPart) {
    OwnedRecord picture;
    Make32(*picture, 3, 3, 1, 0, [](int x, int y) { return Pack(x, y, 1, 255); });
    const uint32_t untouched = 0xFF808080u;
    Canvas canvas(6, 6, untouched);
    Draw draw = At(3, 3, 5, 5, 5, 5);  // destination from (0, 0) to (5, 5)
    draw.sourceX = -1;
    draw.sourceY = -2;
    DrawOnto(canvas, *picture, draw);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const int sx = x - 1;
            const int sy = y - 2;
            const bool inside = x < 5 && y < 5 && sx >= 0 && sy >= 0 && sx < 3 && sy < 3;
            EXPECT_EQ(canvas.At(x, y), inside ? Pack(sx, sy, 1, 255) : untouched) << x << "," << y;
        }
    }
    ExpectLikeReference(*picture, draw, Canvas(6, 6, untouched));
    draw.sourceX = 2;  // over-long on the right and bottom
    draw.sourceY = 1;
    ExpectLikeReference(*picture, draw, Canvas(6, 6, untouched));
    draw.sourceX = -9;  // nothing of it inside the picture
    Canvas unchanged(6, 6, untouched);
    DrawOnto(unchanged, *picture, draw);
    EXPECT_TRUE(unchanged == Canvas(6, 6, untouched));
}

TEST(BlitterTest, ClipRectangleIsRelativeToTheObject) {
    OwnedRecord picture;
    Make32(*picture, 6, 6, 1, 0, [](int x, int y) { return Pack(x, y, 9, 255); });
    const uint32_t untouched = 0xFF808080u;
    Canvas canvas(8, 8, untouched);
    Draw draw = At(4, 4, 6, 6, 6, 6);
    draw.params.flags = kDrawClip;
    draw.params.objectX = 10;  // clip left = 10 - 4 + (-7) = -1, top = 10 - 4 - 3 = 3
    draw.params.objectY = 10;
    draw.params.clipLeft = -7;
    draw.params.clipTop = -3;
    draw.params.clipRight = -4;   // width 3
    draw.params.clipBottom = -1;  // height 2
    DrawOnto(canvas, *picture, draw);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 1 && x < 2 && y >= 3 && y < 5;
            EXPECT_EQ(canvas.At(x, y), inside ? Pack(x - 1, y - 1, 9, 255) : untouched)
                << x << "," << y;
        }
    }
}

TEST(BlitterTest, DamagedRecordsAndArgumentsDrawNothing) {
    TempProgramFolder folder;
    OwnedRecord picture;
    MakeIndexed(*picture, 2, 2, 2, false, kNoColorKeyIndex, 2, [](int, int) { return 1u; });
    const Canvas start(4, 4, 0xFF808080u);
    auto unchanged = [&](const Draw& draw) {
        Canvas canvas = start;
        DrawOnto(canvas, *picture, draw);
        return canvas == start;
    };
    const Draw good = At(1, 1, 2, 2, 2, 2);
    EXPECT_FALSE(unchanged(good));

    Draw draw = good;
    draw.params.width = -2;
    EXPECT_TRUE(unchanged(draw));
    draw = good;
    draw.sourceHeight = 0;
    EXPECT_TRUE(unchanged(draw));
    draw = good;
    draw.params.angle = std::nan("");
    EXPECT_TRUE(unchanged(draw));
    draw = good;
    draw.params.flags = kDrawClip;  // an empty clip rectangle
    EXPECT_TRUE(unchanged(draw));

    picture->byteSize = 7;  // two frames need 8 bytes
    EXPECT_TRUE(unchanged(good));
    picture->byteSize = 8;
    uint8_t* palette = picture->palette;
    picture->palette = nullptr;
    EXPECT_TRUE(unchanged(good));
    EXPECT_TRUE(unchanged(good));
    picture->palette = palette;
    const std::string log = folder.Read("Game20240305.log");
    size_t lines = 0;
    for (size_t at = log.find("256color pic without rgbquad!"); at != std::string::npos;
         at = log.find("256color pic without rgbquad!", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 2u);  // one line per draw
}

// ---------------------------------------------------------------------------
// Against the reference

struct Format {
    const char* name;
    std::function<void(ImageRecord&)> make;
};

std::vector<Format> Formats() {
    return {
        {"opaque", [](ImageRecord& r) { Make32(r, 5, 4, 2, 0, Gradient); }},
        {"keyed", [](ImageRecord& r) { Make32(r, 5, 4, 2, kImageHasKey, Gradient); }},
        {"alpha", [](ImageRecord& r) { Make32(r, 5, 4, 2, kImageAlpha | kImageHasKey, Gradient); }},
        {"one byte",
         [](ImageRecord& r) {
             MakeIndexed(r, 5, 4, 2, false, 3, 6, [](int x, int y) { return (x + 2 * y) % 8; });
         }},
        {"two bytes",
         [](ImageRecord& r) {
             MakeIndexed(r, 5, 4, 2, true, 2, 7, [](int x, int y) {
                 return static_cast<uint32_t>((x * 3 + y) % 9) | ((x * 70 + y * 20) & 0xFF) << 8;
             });
         }},
    };
}

struct Variant {
    const char* name;
    uint32_t flags;
    double angle;
    double alpha;
    uint32_t tint;
    int width;  // destination size for a 4x3 source rectangle
    int height;
};

TEST(BlitterTest, EveryRoutineMatchesTheReferenceAcrossEveryEdge) {
    const Variant variants[] = {
        {"plain", 0, 0, 1.0, kNoTint, 4, 3},
        {"half alpha", 0, 0, 0.5, kNoTint, 4, 3},
        {"tint", 0, 0, 0.7, 0x40336699u, 4, 3},
        {"tint full alpha", 0, 0, 1.0, 0x00336699u, 4, 3},
        {"onto opaque", kDrawOntoOpaque, 0, 0.8, kNoTint, 4, 3},
        {"invert", kDrawInvert, 0, 1.0, kNoTint, 4, 3},
        {"nearest up", 0, 0, 1.0, kNoTint, 7, 5},
        {"nearest down", 0, 0, 0.6, kNoTint, 2, 2},
        {"smooth", kDrawSmoothScale, 0, 1.0, kNoTint, 9, 7},
        {"rotate 90", 0, 90, 1.0, kNoTint, 4, 3},
        {"rotate 30", 0, 30, 0.5, 0x10FF0000u, 4, 3},
        {"rotate -77 scaled", 0, -77, 1.0, kNoTint, 6, 5},
        {"filtered 45", kDrawFilteredRotation, 45, 1.0, kNoTint, 4, 3},
        {"filtered 200 smooth", kDrawFilteredRotation | kDrawSmoothScale, 200, 0.7, kNoTint, 7, 6},
        {"invert rotated", kDrawInvert | kDrawFilteredRotation, 270, 1.0, kNoTint, 4, 3},
        {"tiny angle", 0, 0.4, 1.0, kNoTint, 4, 3},
    };
    // Centres that put the sprite across each edge and corner of a 6x5 target.
    const int centres[][2] = {{3, 2}, {0, 2}, {5, 2}, {3, 0}, {3, 4}, {0, 0}, {6, 5}, {-1, 6}};
    Canvas start(6, 5, 0);
    for (int i = 0; i < 30; ++i) {
        const uint32_t alpha = i % 5 == 0 ? 0 : i % 3 == 0 ? 255 : 128 + i * 4;
        start.Set(i % 6, i / 6, Pack(i * 8, 255 - i * 8, i * 3, alpha));
    }
    for (const Format& format : Formats()) {
        OwnedRecord record;
        format.make(*record);
        for (const Variant& v : variants) {
            for (const auto& centre : centres) {
                SCOPED_TRACE(testing::Message() << format.name << " / " << v.name << " at "
                                                << centre[0] << "," << centre[1]);
                Draw draw = At(centre[0], centre[1], v.width, v.height, 4, 3);
                draw.sourceX = 1;
                draw.sourceY = 4;  // the second frame's first row
                draw.params.flags = v.flags;
                draw.params.angle = v.angle;
                draw.alpha = v.alpha;
                draw.tint = v.tint;
                const bool changed = ExpectLikeReference(*record, draw, start);
                if (centre[0] == 3 && centre[1] == 2) {
                    EXPECT_TRUE(changed);
                }
            }
        }
    }
}

TEST(BlitterTest, WideRowsMatchTheReference) {
    // Rows long enough for the four-pixel path and its tail.
    OwnedRecord alpha;
    Make32(*alpha, 37, 3, 1, kImageAlpha, [](int x, int y) {
        return Pack(x * 7, y * 50, 255 - x, x % 9 == 0 ? 0 : (x * 37 + y * 91) % 256);
    });
    Canvas start(40, 3, 0);
    for (int x = 0; x < 40; ++x) {
        for (int y = 0; y < 3; ++y) {
            start.Set(x, y, Pack(x, 90, y * 80, x % 7 == 0 ? 0 : (x * 23) % 256));
        }
    }
    for (double objectAlpha : {1.0, 0.6, 0.01}) {
        for (int left : {0, 1, 3}) {
            Draw draw = TopLeftAt(left, 0, 37, 3, 37, 3);
            draw.alpha = objectAlpha;
            ExpectLikeReference(*alpha, draw, start);
        }
    }
}

TEST(BlitterTest, RandomDrawsMatchTheReference) {
    std::mt19937 random(77);
    auto pick = [&](int lo, int hi) { return lo + static_cast<int>(random() % (hi - lo + 1)); };
    const std::vector<Format> formats = Formats();
    const double angles[] = {0, 0, 0, 90, 180, 270, 0.5, -0.5, 33.3, -45, 359, 1000};
    const double alphas[] = {1.0, 1.0, 0.5, 0.25, 0.0, 1.5, 0.999};
    const uint32_t flagBits[] = {kDrawClip, kDrawOntoOpaque, kDrawFilteredRotation, kDrawInvert,
                                 kDrawSmoothScale};
    // Mostly sizes and places that draw something, now and then one that
    // must not.
    auto size = [&](int hi) { return random() % 12 == 0 ? pick(-2, 0) : pick(1, hi); };
    int changedRounds = 0;
    for (int round = 0; round < 4000; ++round) {
        OwnedRecord record;
        formats[random() % formats.size()].make(*record);
        Canvas start(pick(2, 9), pick(2, 8), 0);
        for (int y = 0; y < start.height; ++y) {
            for (int x = 0; x < start.width; ++x) {
                start.Set(x, y, static_cast<uint32_t>(random()) | (random() % 2 ? 0xFF000000u : 0));
            }
        }
        const int centreX = pick(-1, start.width + 1);
        const int centreY = pick(-1, start.height + 1);
        const int width = size(9);
        const int height = size(8);
        const int sourceWidth = size(7);
        const int sourceHeight = size(9);
        Draw draw = At(centreX, centreY, width, height, sourceWidth, sourceHeight);
        draw.sourceX = pick(-3, 4);
        draw.sourceY = pick(-3, 7);
        draw.params.angle = angles[random() % std::size(angles)];
        draw.params.radius = random() % 4 == 0 ? pick(0, 8) : 0;
        for (uint32_t bit : flagBits) {
            if (random() % 4 == 0) {
                draw.params.flags |= bit;
            }
        }
        draw.params.objectX = pick(-5, 5);
        draw.params.objectY = pick(-5, 5);
        draw.params.clipLeft = pick(-8, 8);
        draw.params.clipTop = pick(-8, 8);
        draw.params.clipRight = draw.params.clipLeft + pick(-2, 12);
        draw.params.clipBottom = draw.params.clipTop + pick(-2, 12);
        draw.alpha = alphas[random() % std::size(alphas)];
        draw.tint = random() % 3 == 0 ? static_cast<uint32_t>(random()) : kNoTint;
        SCOPED_TRACE(testing::Message() << "round " << round);
        changedRounds += ExpectLikeReference(*record, draw, start) ? 1 : 0;
        if (HasFailure()) {
            break;
        }
    }
    EXPECT_GT(changedRounds, 700) << changedRounds;  // the draws are not all empty
}

}  // namespace
