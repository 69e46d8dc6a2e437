// Pictures of every format the decoder takes, as resource packs and
// downloaded files carry them. Each input is offered as every format (the
// format comes from the file's name, not its bytes, so any bytes may arrive
// as any format). A picture that decodes describes its frames truthfully.

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
        picture.height > platform::kMaxPictureSide || picture.frames.empty()) {
        FuzzFail("a decoded picture has no frames or a size out of range");
    }
    const bool indexed = picture.layout == platform::PictureLayout::Indexed8;
    const size_t frameBytes =
        static_cast<size_t>(picture.width) * picture.height * (indexed ? 1 : 4);
    for (const platform::DecodedFrame& frame : picture.frames) {
        if (frame.pixels.size() != frameBytes || frame.delayCs < 0) {
            FuzzFail("a decoded frame's pixels do not match the picture's size");
        }
    }
    if (indexed) {
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
            if (error.empty() || !picture.frames.empty()) {
                FuzzFail("a refused picture gave no reason or kept frames");
            }
            FuzzNote(error.substr(0, error.find_first_of("0123456789")), code);
            continue;
        }
        FuzzNote("decoded", code * 4 + picture.frames.size() % 4);
        CheckPicture(picture);
    }
    return 0;
}
