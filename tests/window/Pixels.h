#pragma once
// Colours as the window tests compare them. The X server shows a pixel as
// 0x00RRGGBB; the engine's back buffer holds BGRA bytes and a skin colour
// is 0x00BBGGRR. A display may round a channel, so a near colour differs
// by at most kColourTolerance in each channel.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/CorvaneWnd.h"
#include "engine/GdiPaintModule.h"
#include "tests/window/XServer.h"

namespace window_test {

inline constexpr int kColourTolerance = 2;

// 0x00BBGGRR as the X server shows it, 0x00RRGGBB.
inline uint32_t AsShown(uint32_t colour) {
    return ((colour & 0xff) << 16) | (colour & 0xff00) | ((colour >> 16) & 0xff);
}

// Whether each channel of the two colours is within the tolerance.
inline bool NearColour(uint32_t a, uint32_t b, int tolerance = kColourTolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff);
        if (d > tolerance || d < -tolerance) {
            return false;
        }
    }
    return true;
}

// The captured pixel; 0 when there is no capture or the point lies outside.
inline uint32_t PixelAt(const std::optional<WindowImage>& image, int x, int y) {
    if (!image || x < 0 || y < 0 || x >= image->width || y >= image->height) {
        return 0;
    }
    return image->At(x, y);
}

// The engine window's back buffer (BGRA rows as wide as the window); null
// when it has none.
inline const uint8_t* BackBuffer(CCorvaneWnd& wnd) {
    auto* paint = dynamic_cast<GdiPaintModule*>(wnd.GetCore()->FindModule(kPaintModuleId));
    return paint != nullptr ? paint->GetOutputPixels() : nullptr;
}

// The back buffer's pixel as the X server shows it.
inline uint32_t BackBufferPixel(const uint8_t* bgra, int width, int x, int y) {
    const uint8_t* p = bgra + (static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 4;
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

// Pixels where the capture and the back buffer of the size differ; all of
// them when either is missing or the capture has another size.
inline int CountDifferences(const std::optional<WindowImage>& shown, const uint8_t* bgra, int width,
                            int height) {
    if (!shown || bgra == nullptr || shown->width != width || shown->height != height) {
        return width * height;
    }
    int differences = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            differences += shown->At(x, y) != BackBufferPixel(bgra, width, x, y) ? 1 : 0;
        }
    }
    return differences;
}

}  // namespace window_test
