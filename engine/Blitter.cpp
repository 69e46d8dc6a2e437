#include "engine/Blitter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "engine/EngineLog.h"

static_assert(std::endian::native == std::endian::little,
              "pixels are read as little-endian words: blue in the low byte");

namespace {

// π as the engine takes it (3.14159) over 180.
constexpr double kRadiansPerDegree = 0.01745327777777778;
constexpr int kMaxScaledSize = 65535;

// A 32-bit pixel as a word: blue | green << 8 | red << 16 | alpha << 24.
inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void Store32(uint8_t* p, uint32_t v) {
    std::memcpy(p, &v, 4);
}

inline uint32_t AlphaOf(uint32_t pixel) {
    return pixel >> 24;
}

// (s * k + d * (255 - k)) >> 8 for blue, green and red; alpha 0.
inline uint32_t Blend(uint32_t s, uint32_t d, uint32_t k) {
    const uint32_t inverse = 255 - k;
    const uint32_t redBlue = (((s & 0xFF00FF) * k + (d & 0xFF00FF) * inverse) >> 8) & 0xFF00FF;
    const uint32_t green = (((s & 0xFF00) * k + (d & 0xFF00) * inverse) >> 8) & 0xFF00;
    return redBlue | green;
}

// A per-pixel-alpha sample over a destination pixel with weight k: a
// transparent destination takes the colour with alpha k, any other is
// blended and keeps the larger of its alpha and k.
inline uint32_t AlphaOver(uint32_t s, uint32_t dp, uint32_t k) {
    const uint32_t da = AlphaOf(dp);
    if (da == 0) {
        return (s & 0xFFFFFF) | k << 24;
    }
    return Blend(s, dp, k) | std::max(da, k) << 24;
}

// Bilinear mix of four pixels, every channel (alpha included), with the
// 8-bit fractions of the position: p10 right of p00, p01 below it.
inline uint32_t Bilinear(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t fx,
                         uint32_t fy) {
    const uint32_t w11 = (fx * fy) >> 8;
    const uint32_t w10 = fx - w11;
    const uint32_t w01 = fy - w11;
    const uint32_t w00 = 256 - fx - fy + w11;
    auto lanes = [&](uint32_t shift) {
        const uint32_t sum = ((p00 >> shift) & 0xFF00FF) * w00 + ((p10 >> shift) & 0xFF00FF) * w10 +
                             ((p01 >> shift) & 0xFF00FF) * w01 + ((p11 >> shift) & 0xFF00FF) * w11;
        return (sum >> 8) & 0xFF00FF;
    };
    return lanes(0) | lanes(8) << 8;
}

struct Rect {
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = 0;
    int64_t bottom = 0;

    bool Empty() const { return left >= right || top >= bottom; }
    Rect Intersect(const Rect& o) const {
        return Rect{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
                    std::min(bottom, o.bottom)};
    }
};

// The tint: pixels whose alpha passes the threshold are blended towards the
// tint colour instead of the destination, and written opaque.
struct Tint {
    bool active = false;
    uint32_t colour = 0;  // as a pixel word
    uint32_t threshold = 0;
    bool strict = true;  // 32-bit pictures: alpha above T; indexed: at or above

    Tint(uint32_t tint, bool indexed) {
        active = tint != kNoTint;
        colour = ((tint >> 16) & 0xFF) | (tint & 0xFF00) | (tint & 0xFF) << 16;
        threshold = tint >> 24;
        strict = !indexed;
    }
    bool Passes(uint32_t alpha) const {
        return active && (strict ? alpha > threshold : alpha >= threshold);
    }
};

// ---------------------------------------------------------------------------
// Pixel writers: what one source sample (alpha 0 = transparent) does to one
// destination pixel.

struct OpaqueWriter {
    void operator()(uint8_t* d, uint32_t s) const { Store32(d, s); }
};

// Colour-keyed copy at full object alpha: visible pixels replace the target.
struct CopyWriter {
    void operator()(uint8_t* d, uint32_t s) const {
        if (AlphaOf(s) != 0) {
            Store32(d, s);
        }
    }
};

// Colour-keyed blend below full object alpha; the result is opaque.
struct KeyedBlendWriter {
    uint32_t a8;
    Tint tint;
    void operator()(uint8_t* d, uint32_t s) const {
        if (AlphaOf(s) == 0) {
            return;
        }
        const uint32_t base = tint.Passes(AlphaOf(s)) ? tint.colour : Load32(d);
        Store32(d, Blend(s, base, a8) | 0xFF000000u);
    }
};

// Per-pixel alpha, combined with the object alpha when below 1.
struct AlphaWriter {
    bool blended;
    uint32_t a8;
    Tint tint;
    bool ontoOpaque;
    void operator()(uint8_t* d, uint32_t s) const {
        const uint32_t sa = AlphaOf(s);
        if (sa == 0) {
            return;
        }
        const uint32_t k = blended ? (sa * a8) >> 8 : sa;
        const uint32_t dp = Load32(d);
        if (ontoOpaque && AlphaOf(dp) != 255) {
            return;  // onto opaque pixels only, whose alpha stays 255
        }
        if (tint.Passes(sa)) {
            Store32(d, Blend(s, tint.colour, k) | 0xFF000000u);
        } else {
            Store32(d, AlphaOver(s, dp, k));
        }
    }
};

// AlphaWriter without tint or the opaque-only rule. Whole rows of 32-bit
// pixels go four at a time: every product fits a 16-bit lane (at most
// 255 * 255), so blue and red, and green and alpha, are weighted in pairs of
// lanes exactly as the scalar formula does.
template <bool kBlended>
struct PlainAlphaWriter {
    uint32_t a8;

    void operator()(uint8_t* d, uint32_t s) const {
        const uint32_t sa = AlphaOf(s);
        if (sa == 0) {
            return;
        }
        const uint32_t k = kBlended ? (sa * a8) >> 8 : sa;
        Store32(d, AlphaOver(s, Load32(d), k));
    }

    void Row(uint8_t* d, const uint8_t* s, int64_t count) const {
        using U32x4 = uint32_t __attribute__((vector_size(16)));
        using U16x8 = uint16_t __attribute__((vector_size(16)));
        const U32x4 lowBytes = {0x00FF00FF, 0x00FF00FF, 0x00FF00FF, 0x00FF00FF};
        const U32x4 zero = {0, 0, 0, 0};
        int64_t i = 0;
        for (; i + 4 <= count; i += 4) {
            U32x4 src;
            U32x4 dst;
            std::memcpy(&src, s + i * 4, 16);
            std::memcpy(&dst, d + i * 4, 16);
            const U32x4 sa = src >> 24;
            const U32x4 da = dst >> 24;
            U32x4 k = sa;
            if constexpr (kBlended) {
                k = reinterpret_cast<U32x4>(reinterpret_cast<U16x8>(sa) *
                                            static_cast<uint16_t>(a8)) >>
                    8;
            }
            const U16x8 weight = reinterpret_cast<U16x8>(k | k << 16);
            const U16x8 inverse = static_cast<uint16_t>(255) - weight;
            const U16x8 redBlue = (reinterpret_cast<U16x8>(src & lowBytes) * weight +
                                   reinterpret_cast<U16x8>(dst & lowBytes) * inverse) >>
                                  8;
            const U16x8 greenAlpha = (reinterpret_cast<U16x8>((src >> 8) & lowBytes) * weight +
                                      reinterpret_cast<U16x8>((dst >> 8) & lowBytes) * inverse) >>
                                     8;
            const U32x4 colour = reinterpret_cast<U32x4>(redBlue) |
                                 (reinterpret_cast<U32x4>(greenAlpha) & 0xFF) << 8;
            const U32x4 larger = da > k ? da : k;
            const U32x4 blended = colour | larger << 24;
            const U32x4 copied = (src & 0xFFFFFF) | k << 24;
            const U32x4 drawn = da != zero ? blended : copied;
            const U32x4 result = sa != zero ? drawn : dst;
            std::memcpy(d + i * 4, &result, 16);
        }
        for (; i < count; ++i) {
            (*this)(d + i * 4, Load32(s + i * 4));
        }
    }
};

// The blend of the filtered rotation: the sample's alpha times the object's.
struct FilteredWriter {
    uint32_t a8;
    void operator()(uint8_t* d, uint32_t s) const {
        const uint32_t k = (AlphaOf(s) * a8) >> 8;
        if (k != 0) {
            Store32(d, AlphaOver(s, Load32(d), k));
        }
    }
};

// Inverts the target's colour wherever the source is visible.
struct InvertWriter {
    void operator()(uint8_t* d, uint32_t s) const {
        if (AlphaOf(s) != 0) {
            Store32(d, (~Load32(d) & 0xFFFFFF) | 0xFF000000u);
        }
    }
};

// ---------------------------------------------------------------------------
// The source: the picture's pixels seen through the scaling from the source
// rectangle to the destination size ("virtual" coordinates 0..size - 1).

// One byte an index, two bytes index and alpha, or four bytes a pixel, as a
// pixel word whose alpha is 0 for a transparent pixel.
template <int Bpp>
inline uint32_t FetchPixel(const uint8_t* p, const uint32_t* palette, uint32_t key) {
    if constexpr (Bpp == 4) {
        return Load32(p);
    } else if constexpr (Bpp == 1) {
        return palette[p[0]] | (p[0] == key ? 0u : 0xFF000000u);
    } else {
        return palette[p[0]] | (p[0] == key ? 0u : static_cast<uint32_t>(p[1]) << 24);
    }
}

struct AxisMap {
    enum Kind { kIdentity, kNearest32, kNearestIndexed, kSmooth };
    Kind kind = kIdentity;
    int64_t start = 0;  // the source rectangle's first column or row
    int64_t sourceSize = 0;
    int64_t step = 0;

    AxisMap(int64_t start_, int64_t source, int64_t destination, bool scaled, bool indexed,
            bool smooth)
        : start(start_), sourceSize(source) {
        if (!scaled) {
            kind = kIdentity;
        } else if (smooth) {
            kind = kSmooth;
            step = source >= 2 && destination >= 2 ? ((source << 16) - 0x10000) / (destination - 1)
                                                   : 0;
        } else if (indexed) {
            kind = kNearestIndexed;
            step = (source << 10) / destination;
        } else {
            kind = kNearest32;
            step = source > 1 && destination > 1 ? ((source << 10) - 1024) / (destination - 1) : 0;
        }
    }

    // The picture column (row) that virtual position v shows; not smooth.
    int64_t Map(int64_t v) const {
        switch (kind) {
            case kNearest32:
                return start + std::min((512 + v * step) >> 10, sourceSize - 1);
            case kNearestIndexed:
                return start + std::min((v * step) >> 10, sourceSize - 1);
            default:
                return start + v;
        }
    }
};

class SpriteSource {
public:
    SpriteSource(const ImageRecord& record, int64_t fullHeight, int64_t sourceX, int64_t sourceY,
                 int64_t sourceWidth, int64_t sourceHeight, int64_t width, int64_t height,
                 bool smooth)
        : m_pixels(record.pixels),
          m_width(record.width),
          m_height(fullHeight),
          m_bpp(GetBytesPerPixel(record)),
          m_key(record.colorKey),
          m_scaled(width != sourceWidth || height != sourceHeight),
          m_x(sourceX, sourceWidth, width, m_scaled, m_bpp < 4, smooth),
          m_y(sourceY, sourceHeight, height, m_scaled, m_bpp < 4, smooth) {
        if (m_bpp < 4) {
            const int count = std::clamp(record.paletteCount, 0, kPaletteEntries);
            for (int i = 0; i < count; ++i) {
                const uint8_t* entry = record.palette + i * 3;
                m_palette[i] = entry[2] | static_cast<uint32_t>(entry[1]) << 8 |
                               static_cast<uint32_t>(entry[0]) << 16;
            }
        }
    }

    int Bpp() const { return m_bpp; }
    bool Scaled() const { return m_scaled; }
    bool Smooth() const { return m_x.kind == AxisMap::kSmooth; }
    const AxisMap& XMap() const { return m_x; }
    const AxisMap& YMap() const { return m_y; }
    int64_t Width() const { return m_width; }
    int64_t Height() const { return m_height; }

    bool Inside(int64_t px, int64_t py) const {
        return px >= 0 && py >= 0 && px < m_width && py < m_height;
    }
    const uint8_t* Address(int64_t px, int64_t py) const {
        return m_pixels + (py * m_width + px) * m_bpp;
    }
    const uint32_t* Palette() const { return m_palette; }
    uint32_t Key() const { return m_key; }

    // The pixel at (px, py), which must lie inside the picture.
    uint32_t Fetch(int64_t px, int64_t py) const {
        const uint8_t* p = Address(px, py);
        switch (m_bpp) {
            case 1:
                return FetchPixel<1>(p, m_palette, m_key);
            case 2:
                return FetchPixel<2>(p, m_palette, m_key);
            default:
                return FetchPixel<4>(p, m_palette, m_key);
        }
    }

    // The pixel of the scaled picture at virtual (vx, vy); false where it
    // falls outside the picture.
    bool At(int64_t vx, int64_t vy, uint32_t& sample) const {
        if (Smooth()) {
            return SmoothAt(vx * m_x.step, vy * m_y.step, sample);
        }
        const int64_t px = m_x.Map(vx);
        const int64_t py = m_y.Map(vy);
        if (!Inside(px, py)) {
            return false;
        }
        sample = Fetch(px, py);
        return true;
    }

private:
    // Smooth scaling at a 16.16 position inside the source rectangle: on its
    // first or last row or column the nearest pixel, else bilinear.
    bool SmoothAt(int64_t x, int64_t y, uint32_t& sample) const {
        const int64_t xi = x >> 16;
        const int64_t yi = y >> 16;
        const int64_t px = m_x.start + xi;
        const int64_t py = m_y.start + yi;
        if (!Inside(px, py)) {
            return false;
        }
        const bool edge = xi == 0 || yi == 0 || xi >= m_x.sourceSize - 1 ||
                          yi >= m_y.sourceSize - 1 || !Inside(px + 1, py + 1);
        if (edge) {
            sample = Fetch(px, py);
        } else {
            sample = Bilinear(Fetch(px, py), Fetch(px + 1, py), Fetch(px, py + 1),
                              Fetch(px + 1, py + 1), static_cast<uint32_t>((x >> 8) & 255),
                              static_cast<uint32_t>((y >> 8) & 255));
        }
        return true;
    }

    const uint8_t* m_pixels;
    int64_t m_width;
    int64_t m_height;
    int m_bpp;
    uint32_t m_key;
    bool m_scaled;
    AxisMap m_x;
    AxisMap m_y;
    uint32_t m_palette[kPaletteEntries] = {};
};

// ---------------------------------------------------------------------------
// Unrotated drawing: the destination rectangle at (left, top) of the
// destination size, cut to the clip.

template <int Bpp, typename Writer>
void DrawRowsUnscaled(const TargetSurface& target, const SpriteSource& source, const Rect& area,
                      int64_t sourceDx, int64_t sourceDy, const Writer& write) {
    const int64_t count = area.right - area.left;
    for (int64_t y = area.top; y < area.bottom; ++y) {
        const uint8_t* s = source.Address(area.left + sourceDx, y + sourceDy);
        uint8_t* d = target.pixels + (y * target.width + area.left) * 4;
        if constexpr (Bpp == 4 && requires { write.Row(d, s, count); }) {
            write.Row(d, s, count);
        } else {
            for (int64_t i = 0; i < count; ++i) {
                write(d + i * 4, FetchPixel<Bpp>(s + i * Bpp, source.Palette(), source.Key()));
            }
        }
    }
}

template <typename Writer>
void DrawUnrotated(const TargetSurface& target, const Rect& clip, int64_t left, int64_t top,
                   int64_t width, int64_t height, const SpriteSource& source, const Writer& write) {
    Rect area = Rect{left, top, left + width, top + height}.Intersect(clip);
    if (!source.Scaled()) {
        // Only the part of the source rectangle inside the picture.
        const int64_t dx = source.XMap().start - left;
        const int64_t dy = source.YMap().start - top;
        area = area.Intersect(Rect{-dx, -dy, source.Width() - dx, source.Height() - dy});
        if (area.Empty()) {
            return;
        }
        switch (source.Bpp()) {
            case 1:
                DrawRowsUnscaled<1>(target, source, area, dx, dy, write);
                break;
            case 2:
                DrawRowsUnscaled<2>(target, source, area, dx, dy, write);
                break;
            default:
                DrawRowsUnscaled<4>(target, source, area, dx, dy, write);
                break;
        }
        return;
    }
    if (area.Empty()) {
        return;
    }
    for (int64_t y = area.top; y < area.bottom; ++y) {
        uint8_t* d = target.pixels + (y * target.width + area.left) * 4;
        for (int64_t x = area.left; x < area.right; ++x, d += 4) {
            uint32_t sample;
            if (source.At(x - left, y - top, sample)) {
                write(d, sample);
            }
        }
    }
}

// Opaque row copy: whole rows of the picture, or of its scaled form.
void DrawOpaque(const TargetSurface& target, const Rect& clip, int64_t left, int64_t top,
                int64_t width, int64_t height, const SpriteSource& source) {
    if (source.Scaled()) {
        DrawUnrotated(target, clip, left, top, width, height, source, OpaqueWriter{});
        return;
    }
    const int64_t dx = source.XMap().start - left;
    const int64_t dy = source.YMap().start - top;
    const Rect area = Rect{left, top, left + width, top + height}.Intersect(clip).Intersect(
        Rect{-dx, -dy, source.Width() - dx, source.Height() - dy});
    if (area.Empty()) {
        return;
    }
    const size_t rowBytes = static_cast<size_t>(area.right - area.left) * 4;
    for (int64_t y = area.top; y < area.bottom; ++y) {
        std::memcpy(target.pixels + (y * target.width + area.left) * 4,
                    source.Address(area.left + dx, y + dy), rowBytes);
    }
}

// ---------------------------------------------------------------------------
// Rotation: every target pixel of the square of side 2 * radius around the
// centre (cut to the clip) looks its source up by turning its offset from
// the centre, in fixed point with `scale` units.

struct Rotation {
    int64_t centreX;
    int64_t centreY;
    int64_t radius;
    int64_t cos;
    int64_t sin;
    int64_t scale;

    Rotation(double angle, int64_t cx, int64_t cy, int64_t r, int64_t fixedScale)
        : centreX(cx), centreY(cy), radius(r), scale(fixedScale) {
        if (angle == 0.0) {
            cos = scale, sin = 0;
        } else if (angle == 90.0) {
            cos = 0, sin = scale;
        } else if (angle == 180.0) {
            cos = -scale, sin = 0;
        } else if (angle == 270.0) {
            cos = 0, sin = -scale;
        } else {
            const double radians = angle * kRadiansPerDegree;
            cos = static_cast<int64_t>(std::cos(radians) * static_cast<double>(scale));
            sin = static_cast<int64_t>(std::sin(radians) * static_cast<double>(scale));
        }
    }
    Rect Square() const {
        return Rect{centreX - radius, centreY - radius, centreX + radius, centreY + radius};
    }
};

// Calls visit(x, y, position x, position y) for every target pixel of the
// square inside the clip, with the source position in `scale` units.
template <typename Visit>
void ForEachRotated(const Rotation& rotation, const Rect& clip, int64_t width, int64_t height,
                    const Visit& visit) {
    const Rect area = rotation.Square().Intersect(clip);
    if (area.Empty()) {
        return;
    }
    const int64_t sourceCentreX = (width + 1) / 2 * rotation.scale;
    const int64_t sourceCentreY = (height + 1) / 2 * rotation.scale;
    for (int64_t y = area.top; y < area.bottom; ++y) {
        const int64_t dy = y - rotation.centreY;
        for (int64_t x = area.left; x < area.right; ++x) {
            const int64_t dx = x - rotation.centreX;
            visit(x, y, sourceCentreX + dx * rotation.cos - dy * rotation.sin,
                  sourceCentreY + dx * rotation.sin + dy * rotation.cos);
        }
    }
}

template <typename Writer>
void DrawRotatedNearest(const TargetSurface& target, const Rect& clip, const Rotation& rotation,
                        int64_t width, int64_t height, const SpriteSource& source,
                        const Writer& write) {
    ForEachRotated(
        rotation, clip, width, height,
        [&](int64_t x, int64_t y, int64_t positionX, int64_t positionY) {
            const int64_t vx = positionX >> 10;
            const int64_t vy = positionY >> 10;
            uint32_t sample;
            if (vx >= 0 && vy >= 0 && vx < width && vy < height && source.At(vx, vy, sample)) {
                write(target.pixels + (y * target.width + x) * 4, sample);
            }
        });
}

template <typename Writer>
void DrawRotatedFiltered(const TargetSurface& target, const Rect& clip, const Rotation& rotation,
                         int64_t width, int64_t height, const SpriteSource& source,
                         const Writer& write) {
    ForEachRotated(rotation, clip, width, height,
                   [&](int64_t x, int64_t y, int64_t positionX, int64_t positionY) {
                       const int64_t xi = positionX >> 16;
                       const int64_t yi = positionY >> 16;
                       if (xi < 0 || yi < 0 || xi >= width || yi >= height) {
                           return;
                       }
                       uint32_t p00;
                       if (!source.At(xi, yi, p00)) {
                           return;
                       }
                       uint32_t sample = p00;
                       uint32_t p10;
                       uint32_t p01;
                       uint32_t p11;
                       const bool edge = xi == 0 || yi == 0 || xi == width - 1 || yi == height - 1;
                       if (!edge && source.At(xi + 1, yi, p10) && source.At(xi, yi + 1, p01) &&
                           source.At(xi + 1, yi + 1, p11)) {
                           sample = Bilinear(p00, p10, p01, p11,
                                             static_cast<uint32_t>((positionX >> 8) & 255),
                                             static_cast<uint32_t>((positionY >> 8) & 255));
                       }
                       write(target.pixels + (y * target.width + x) * 4, sample);
                   });
}

Rect ClipRect(const TargetSurface& target, const SpriteParams& params) {
    const Rect whole{0, 0, target.width, target.height};
    if ((params.flags & kDrawClip) == 0) {
        return whole;
    }
    const int64_t left = int64_t{params.objectX} - params.centreX + params.clipLeft;
    const int64_t top = int64_t{params.objectY} - params.centreY + params.clipTop;
    const Rect clip{left, top, left + (int64_t{params.clipRight} - params.clipLeft),
                    top + (int64_t{params.clipBottom} - params.clipTop)};
    return clip.Intersect(whole);
}

// Everything one draw needs besides the source and the target.
struct DrawContext {
    Rect clip;
    int64_t width;  // destination size
    int64_t height;
    bool blended;  // object alpha below 1
    uint32_t a8;
    Tint tint;
};

void DrawRotated(const TargetSurface& target, const SpriteParams& params, int64_t radius,
                 const SpriteSource& source, const DrawContext& c, uint32_t pictureFlags) {
    const bool indexed = source.Bpp() < 4;
    const bool perPixelAlpha = source.Bpp() == 2 || (!indexed && (pictureFlags & kImageAlpha));
    const bool invert = (params.flags & kDrawInvert) != 0 && (pictureFlags & kImageHasKey) != 0;
    const bool filtered = !invert && (params.flags & kDrawFilteredRotation) != 0;
    const Rotation rotation(params.angle, params.centreX, params.centreY, radius,
                            filtered ? 65536 : 1024);
    if (invert) {
        DrawRotatedNearest(target, c.clip, rotation, c.width, c.height, source, InvertWriter{});
    } else if (filtered && source.Bpp() == 2) {
        DrawRotatedFiltered(target, c.clip, rotation, c.width, c.height, source,
                            AlphaWriter{c.blended, c.a8, c.tint, false});
    } else if (filtered) {
        DrawRotatedFiltered(target, c.clip, rotation, c.width, c.height, source,
                            FilteredWriter{c.a8});
    } else if (perPixelAlpha) {
        DrawRotatedNearest(target, c.clip, rotation, c.width, c.height, source,
                           AlphaWriter{c.blended, c.a8, c.tint, false});
    } else if (c.blended) {
        DrawRotatedNearest(target, c.clip, rotation, c.width, c.height, source,
                           KeyedBlendWriter{c.a8, c.tint});
    } else {
        DrawRotatedNearest(target, c.clip, rotation, c.width, c.height, source, CopyWriter{});
    }
}

void DrawStraight(const TargetSurface& target, const SpriteParams& params,
                  const SpriteSource& source, const DrawContext& c, uint32_t pictureFlags) {
    const int64_t left = params.centreX - (c.width + 1) / 2;
    const int64_t top = params.centreY - (c.height + 1) / 2;
    const bool indexed = source.Bpp() < 4;
    const bool perPixelAlpha = source.Bpp() == 2 || (!indexed && (pictureFlags & kImageAlpha));
    const bool keyed = (pictureFlags & kImageHasKey) != 0;
    auto draw = [&](const auto& write) {
        DrawUnrotated(target, c.clip, left, top, c.width, c.height, source, write);
    };
    if ((params.flags & kDrawInvert) != 0 && keyed) {
        draw(InvertWriter{});
    } else if (perPixelAlpha && !c.tint.active && (params.flags & kDrawOntoOpaque) == 0) {
        if (c.blended) {
            draw(PlainAlphaWriter<true>{c.a8});
        } else {
            draw(PlainAlphaWriter<false>{c.a8});
        }
    } else if (perPixelAlpha) {
        draw(AlphaWriter{c.blended, c.a8, c.tint, (params.flags & kDrawOntoOpaque) != 0});
    } else if (c.blended) {
        draw(KeyedBlendWriter{c.a8, c.tint});
    } else if (indexed || keyed) {
        draw(CopyWriter{});
    } else {
        DrawOpaque(target, c.clip, left, top, c.width, c.height, source);
    }
}

}  // namespace

void DrawSprite(const TargetSurface& target, SpriteParams& params, const ImageRecord& source,
                int sourceX, int sourceY, int sourceWidth, int sourceHeight, double alpha,
                uint32_t tint) {
    if (target.pixels == nullptr || target.width <= 0 || target.height <= 0 ||
        !HasPicture(source) || source.width == 0 || source.height == 0 || !(alpha > 0.0) ||
        !std::isfinite(params.angle)) {
        return;
    }
    const bool indexed = IsIndexedImage(source);
    const int64_t fullHeight =
        source.frameCount > 1 ? int64_t{source.height} * source.frameCount : source.height;
    const uint64_t needed =
        uint64_t{source.width} * static_cast<uint64_t>(fullHeight) * GetBytesPerPixel(source);
    if (needed > source.byteSize) {
        return;
    }
    // The source rectangle must reach into the picture.
    if (sourceWidth <= 0 || sourceHeight <= 0 || sourceX >= source.width || sourceY >= fullHeight ||
        int64_t{sourceX} + sourceWidth <= 0 || int64_t{sourceY} + sourceHeight <= 0) {
        return;
    }
    if (indexed && source.palette == nullptr) {
        EngineLog("256color pic without rgbquad!");
        return;
    }
    if (params.width <= 0 || params.height <= 0) {
        return;
    }
    DrawContext context{ClipRect(target, params),
                        params.width,
                        params.height,
                        alpha < 1.0,
                        alpha < 1.0 ? static_cast<uint32_t>(alpha * 255.0) : 255u,
                        Tint(tint, indexed)};
    if (context.clip.Empty()) {
        return;
    }
    const bool smooth = !indexed && (params.flags & kDrawSmoothScale) != 0;
    const SpriteSource sprite(source, fullHeight, sourceX, sourceY, sourceWidth, sourceHeight,
                              params.width, params.height, smooth);
    if (params.angle == 0.0) {
        DrawStraight(target, params, sprite, context, source.flags);
        return;
    }
    int64_t radius = params.radius;
    if (radius < 1) {
        const double halfWidth = params.width * 0.5;
        const double halfHeight = params.height * 0.5;
        radius = static_cast<int64_t>(std::sqrt(halfWidth * halfWidth + halfHeight * halfHeight));
        if (!indexed) {
            params.radius = static_cast<int32_t>(radius);
        }
    }
    DrawRotated(target, params, radius, sprite, context, source.flags);
}

std::unique_ptr<uint8_t[]> ScaleImage32(const uint8_t* pixels, int stride, int sourceX, int sourceY,
                                        int sourceWidth, int sourceHeight, int width, int height) {
    if (pixels == nullptr || width <= 0 || height <= 0 || width > kMaxScaledSize ||
        height > kMaxScaledSize || sourceX < 0 || sourceY < 0 || sourceWidth <= 0 ||
        sourceHeight <= 0 || int64_t{sourceX} + sourceWidth > stride) {
        return nullptr;
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::unique_ptr<uint8_t[]> scaled(new (std::nothrow) uint8_t[count * 4]);
    if (!scaled) {
        return nullptr;
    }
    const bool resized = width != sourceWidth || height != sourceHeight;
    const AxisMap xMap(sourceX, sourceWidth, width, resized, false, false);
    const AxisMap yMap(sourceY, sourceHeight, height, resized, false, false);
    std::vector<int64_t> columns;
    try {
        columns.resize(static_cast<size_t>(width));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    for (int x = 0; x < width; ++x) {
        columns[x] = xMap.Map(x);
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(yMap.Map(y)) * stride * 4;
        uint8_t* out = scaled.get() + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            std::memcpy(out + x * 4, row + columns[x] * 4, 4);
        }
    }
    return scaled;
}
