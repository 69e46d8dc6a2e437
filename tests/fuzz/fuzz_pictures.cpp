// Pictures of every format the decoder takes, as resource packs and
// downloaded files carry them. Each input is offered as every format (the
// format comes from the file's name, not its bytes, so any bytes may arrive
// as any format). A picture that decodes describes its frames truthfully.

#include <cstdint>
#include <string>

#include "platform/ImageDecoder.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

using platform::PictureFormat;

constexpr PictureFormat kFormats[] = {PictureFormat::Bmp,  PictureFormat::Gif, PictureFormat::Jpeg,
                                      PictureFormat::Png,  PictureFormat::Ico, PictureFormat::Tiff,
                                      PictureFormat::Tga,  PictureFormat::Mng, PictureFormat::Pcx,
                                      PictureFormat::Wbmp, PictureFormat::Wmf};

void CheckPicture(const platform::DecodedPicture& picture) {
    if (picture.width < 1 || picture.height < 1 || picture.width > platform::kMaxPictureSide ||
        picture.height > platform::kMaxPictureSide || picture.frameCount < 1 ||
        picture.frameCount > platform::kMaxPictureFrames || !picture.pixels) {
        FuzzFail("a decoded picture has no frames or a size out of range");
    }
    if (static_cast<int64_t>(picture.width) * picture.height * picture.frameCount >
        platform::kMaxPicturePixels) {
        FuzzFail("a decoded picture passes the pixel cap");
    }
    if (picture.delaysCs.size() != static_cast<size_t>(picture.frameCount)) {
        FuzzFail("a decoded picture's delays do not match its frames");
    }
    for (const int delay : picture.delaysCs) {
        if (delay < 0) {
            FuzzFail("a decoded frame has a negative delay");
        }
    }
    // Every pixel of every frame can be read.
    volatile uint8_t sum = 0;
    const uint8_t* pixels = picture.pixels.get();
    for (size_t i = 0; i < picture.PixelBytes(); i += 61) {
        sum = static_cast<uint8_t>(sum + pixels[i]);
    }
    if (picture.PixelBytes() > 0) {
        sum = static_cast<uint8_t>(sum + pixels[picture.PixelBytes() - 1]);
    }
    if (picture.layout == platform::PictureLayout::Indexed8) {
        const int colours = picture.PaletteCount();
        if (picture.palette.size() % 3 != 0 || colours > platform::kMaxPaletteEntries ||
            picture.transparentIndex >= colours) {
            FuzzFail("a decoded palette or its transparent index is out of range");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const PictureFormat format : kFormats) {
        platform::DecodedPicture picture;
        std::string error;
        const auto code = static_cast<uint64_t>(format);
        if (!platform::DecodePicture(data, size, format, picture, error)) {
            if (error.empty() || picture.frameCount != 0 || picture.pixels) {
                FuzzFail("a refused picture gave no reason or kept frames");
            }
            FuzzNote(error.substr(0, error.find_first_of("0123456789")), code);
            continue;
        }
        FuzzNote("decoded", code * 4 + static_cast<uint64_t>(picture.frameCount % 4));
        CheckPicture(picture);
    }
    return 0;
}
