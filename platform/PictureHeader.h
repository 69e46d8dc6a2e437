#pragma once
// Inside platform/ only: the size a picture's header declares, read without
// decoding anything, and the size rules every decoder keeps, so that a
// picture too large to hold is refused before a decoder allocates for it.

#include <cstdint>
#include <span>
#include <string>

#include "platform/ImageDecoder.h"

namespace platform::detail {

struct PictureSize {
    int64_t width = 0;
    int64_t height = 0;
};

// The size in the header of a PNG (IHDR), JPEG (the first SOFn), BMP, ICO
// (the largest width and the largest height of its entries' own headers),
// TGA, PCX or TIFF (the first IFD) picture. False, with a reason, when the
// header is missing, cut short or names no size, and for the formats read
// elsewhere (GIF, WBMP, MNG, WMF).
bool ReadPictureSize(std::span<const uint8_t> bytes, PictureFormat format, PictureSize& size,
                     std::string& error);

// True when a picture of that size and frame count may be decoded: each
// side from 1 to kMaxPictureSide, width x height x frames at most
// kMaxPicturePixels, frames at most kMaxPictureFrames. Else false with a
// reason.
bool PictureSizeFits(int64_t width, int64_t height, int64_t frames, std::string& error);

// Sets the picture's size, layout and frame count and gives it a pixel
// buffer for all frames; false, with a reason, when the size does not fit
// or memory runs out.
bool AllocatePicturePixels(DecodedPicture& picture, int width, int height, PictureLayout layout,
                           int frames, std::string& error);

}  // namespace platform::detail
