#pragma once
// The software blitter: draws one frame of an ImageRecord into a 32-bit
// surface (bytes blue, green, red, alpha; the row stride is the width), with
// colour keys, object and per-pixel alpha, tint, invert mode, nearest or
// smooth scaling and rotation by any angle, clipped to a rectangle.
//
// Rules:
//  - Blends divide by 256 with a shift: (s * k + d * (255 - k)) >> 8 with
//    k = truncate(alpha * 255); alpha 0 (or less) draws nothing, alpha 1 or
//    more takes the unblended path.
//  - The source rectangle maps onto the destination size; the parts of it
//    that lie outside the picture (on any side) draw nothing, the rest is
//    drawn where it would be. Nothing is read or written outside the
//    picture's pixel buffer, its palette entries or the surface.
//  - A record with fewer pixel bytes than its frames need, an indexed
//    picture without palette (logged), an empty source rectangle, a
//    non-positive destination size or a non-finite angle draws nothing.

#include <cstdint>
#include <memory>

#include "engine/ImageRecord.h"

// A 32-bit pixel surface owned by the caller.
struct TargetSurface {
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;  // bytes or bits per pixel of the display; not used here
    uint32_t colorKey = kDefaultColorKey;
};

// Draw flags of a sprite.
constexpr uint32_t kDrawClip = 0x2;               // clip to the record's clip rectangle
constexpr uint32_t kDrawOntoOpaque = 0x8;         // per-pixel alpha only onto alpha 255
constexpr uint32_t kDrawFilteredRotation = 0x20;  // bilinear sampling when rotated
constexpr uint32_t kDrawInvert = 0x800;           // invert the target through a keyed shape
constexpr uint32_t kDrawSmoothScale = 0x4000;     // bilinear scaling of 32-bit pictures

// Tint value meaning no tint (a tint is 0xTTBBGGRR: threshold T, colour BGR).
constexpr uint32_t kNoTint = 0xFF00FF;

// Where and how one sprite is drawn.
struct SpriteParams {
    double angle = 0.0;   // degrees, counter-clockwise on the screen
    int32_t centreX = 0;  // centre of the destination rectangle on the target
    int32_t centreY = 0;
    int32_t objectX = 0;  // the object's position, for the clip rectangle
    int32_t objectY = 0;
    int32_t width = 0;  // destination size
    int32_t height = 0;
    int32_t radius = 0;  // half the diagonal; below 1 the blitter computes it
    uint32_t flags = 0;
    int32_t clipLeft = 0;
    int32_t clipTop = 0;
    int32_t clipRight = 0;
    int32_t clipBottom = 0;
};

// Draws the source rectangle (in the full picture, frames one under the
// other) of the record into the target. A 32-bit picture drawn rotated
// without a radius gets the computed radius stored back into params.
void DrawSprite(const TargetSurface& target, SpriteParams& params, const ImageRecord& source,
                int sourceX, int sourceY, int sourceWidth, int sourceHeight, double alpha,
                uint32_t tint);

// A new width * height buffer of 32-bit pixels holding the source rectangle
// of a buffer with `stride` pixels a row, scaled by nearest neighbour. The
// buffer must hold sourceY + sourceHeight rows. Null for a size that is not
// positive or above 65535, or a rectangle outside the row.
std::unique_ptr<uint8_t[]> ScaleImage32(const uint8_t* pixels, int stride, int sourceX, int sourceY,
                                        int sourceWidth, int sourceHeight, int width, int height);
