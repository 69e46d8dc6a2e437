#pragma once
// The key colours of the regional skin (0x00BBGGRR): what a drawing test
// reads from one pixel, and what tells tiles apart on a screen.
//
// Rules:
//  - Tile faces: frame f has the same key colour in every sheet, so a pixel
//    names the face whatever sheet drew it; the two backs have colours of
//    their own. Faces carry blue 0xa0, backs blue 0x10; no other picture
//    comes within reach of these colours (ColourNear).
//  - A plain picture's key colour steps green from frame to frame.
//  - Colours lie at least 6 apart in some channel, so a pixel a canvas drew
//    a unit or two off (blending rounds) is still told (ColourNear).
//  - No key colour is the colour key 0xff00ff.

#include <cstdint>

#include "tools/skin/SkinList.h"

namespace regional_skin {

// A colour of red, green and blue as 0x00BBGGRR.
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}

// The colour over the one under it at an opacity of alpha (0-255).
uint32_t Mix(uint32_t under, uint32_t over, int alpha);

uint32_t FaceColour(int frame);
uint32_t BackColour(Look look);
// The key colour of frame f of a picture: a face's frame, a back's fill, a
// plain picture's flat colour.
uint32_t FrameColour(const Picture& picture, int frame);
// The k-th plain picture's colour of frame 0.
uint32_t PlainColour(uint32_t k);
// How many plain pictures can have distinct colours.
uint32_t PlainColourCount();

// Whether a pixel shows a drawn colour, allowing the rounding of blended
// drawing (two units a channel).
bool ColourNear(uint32_t seen, uint32_t drawn);
// Whether a colour could be taken for a tile's key colour (a face's frame or
// a back's fill).
bool IsTileKeyColour(uint32_t colour);

// What a pixel colour is in a flat skin (within ColourNear).
struct Seen {
    enum class Kind { Face, BackSides, BackEnds, Plain, Unknown } kind = Kind::Unknown;
    int frame = -1;                    // the face frame, or the plain picture's frame
    const Picture* picture = nullptr;  // the plain picture
};
Seen ClassifyColour(const Skin& skin, uint32_t colour);

}  // namespace regional_skin
