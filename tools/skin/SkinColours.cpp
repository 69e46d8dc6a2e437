#include "tools/skin/SkinColours.h"

#include <algorithm>
#include <cstdlib>

namespace regional_skin {
namespace {

constexpr uint32_t kFaceBlue = 0xa0;
constexpr uint32_t kBackBlue = 0x10;
constexpr uint32_t kPlainBlueFrom = 0x60;
constexpr uint32_t kPlainGreen = 0x08;
constexpr uint32_t kGreenStep = 0x14;
// Plain colours lie on a grid of this step in red and blue, so a colour a
// canvas drew a little off (blending rounds by a unit or two) is still told
// apart from its neighbours.
constexpr uint32_t kGridStep = 6;
constexpr uint32_t kRedValues = (0xf6 - 0x10) / kGridStep;   // red 0x10 .. 0xf0
constexpr uint32_t kBlueValues = (0xf6 - 0x60) / kGridStep;  // blue 0x60 .. 0xf0
constexpr int kTolerance = 2;

int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xff);
}

}  // namespace

uint32_t PlainColour(uint32_t k) {
    // Red and blue on the grid, blue never within reach of the faces' blue.
    const uint32_t blueStep = k / kRedValues;
    uint32_t blue = kPlainBlueFrom + kGridStep * blueStep;
    while (blue + kGridStep > kFaceBlue && blue < kFaceBlue + kGridStep) {
        blue += kGridStep;
    }
    return Rgb(0x10 + kGridStep * (k % kRedValues), kPlainGreen, blue);
}

uint32_t PlainColourCount() {
    return kRedValues * (kBlueValues - 2);
}

uint32_t FaceColour(int frame) {
    const int f = std::clamp(frame, 0, kFaceFrames - 1);
    return Rgb(0x20 + 0x18 * static_cast<uint32_t>(f % 7),
               0x30 + 0x20 * static_cast<uint32_t>(f / 7), kFaceBlue);
}

uint32_t BackColour(Look look) {
    return look == Look::BackSides ? Rgb(0xe0, 0x40, kBackBlue) : Rgb(0x40, 0xe0, kBackBlue);
}

uint32_t FrameColour(const Picture& picture, int frame) {
    switch (picture.look) {
        case Look::Faces:
            return FaceColour(frame);
        case Look::BackSides:
        case Look::BackEnds:
            return BackColour(picture.look);
        case Look::Plain:
            break;
    }
    const uint32_t green = kPlainGreen + kGreenStep * static_cast<uint32_t>(std::max(frame, 0));
    return (picture.colour & 0xff00ff) | ((green & 0xff) << 8);
}

bool ColourNear(uint32_t seen, uint32_t drawn) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(Channel(seen, shift) - Channel(drawn, shift)) > kTolerance) {
            return false;
        }
    }
    return true;
}

bool IsTileKeyColour(uint32_t colour) {
    if (ColourNear(colour, BackColour(Look::BackSides)) ||
        ColourNear(colour, BackColour(Look::BackEnds))) {
        return true;
    }
    // Every face colour has the faces' blue; the rest of the test is the grid.
    if (std::abs(Channel(colour, 16) - static_cast<int>(kFaceBlue)) > kTolerance) {
        return false;
    }
    for (int f = 0; f < kFaceFrames; ++f) {
        if (ColourNear(colour, FaceColour(f))) {
            return true;
        }
    }
    return false;
}

Seen ClassifyColour(const Skin& skin, uint32_t colour) {
    if (ColourNear(colour, BackColour(Look::BackSides))) {
        return {Seen::Kind::BackSides, -1, nullptr};
    }
    if (ColourNear(colour, BackColour(Look::BackEnds))) {
        return {Seen::Kind::BackEnds, -1, nullptr};
    }
    for (int f = 0; f < kFaceFrames; ++f) {
        if (ColourNear(colour, FaceColour(f))) {
            return {Seen::Kind::Face, f, nullptr};
        }
    }
    for (const Picture& picture : skin.pictures) {
        if (picture.look != Look::Plain) {
            continue;
        }
        for (int f = 0; f < picture.frames; ++f) {
            if (ColourNear(colour, FrameColour(picture, f))) {
                return {Seen::Kind::Plain, f, &picture};
            }
        }
    }
    return {};
}

uint32_t Mix(uint32_t under, uint32_t over, int alpha) {
    uint32_t mixed = 0;
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((under >> shift) & 0xff);
        const int b = static_cast<int>((over >> shift) & 0xff);
        mixed |= static_cast<uint32_t>((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
    }
    return mixed;
}

}  // namespace regional_skin
