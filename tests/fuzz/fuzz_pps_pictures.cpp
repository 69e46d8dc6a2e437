// pps pictures from resource packs: a picture that decodes describes its
// pixels truthfully, and coding it again in each mode gives it back.

#include <cstring>
#include <memory>

#include "engine/ImageRecord.h"
#include "engine/PpsCodec.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

void CheckRecord(const ImageRecord& record, uint32_t decodedSize) {
    const size_t pixels = size_t{record.width} * record.height;
    const size_t needed =
        pixels * static_cast<size_t>(record.frameCount) * GetBytesPerPixel(record);
    if (record.frameCount < 1 || record.pixels == nullptr || record.byteSize < needed ||
        decodedSize < needed) {
        FuzzFail("a decoded pps picture has fewer pixel bytes than its size says");
    }
    if (record.paletteCount < 0 || record.paletteCount > kPaletteEntries) {
        FuzzFail("a decoded pps palette count is out of range");
    }
}

// Codes the picture in the mode and decodes it again: the same pixels.
void RoundTrip(const ImageRecord& record, int mode) {
    size_t fileSize = 0;
    const std::unique_ptr<uint8_t[]> file = EncodePps(record, nullptr, mode, fileSize);
    if (!file) {
        FuzzNote("encode refused", static_cast<uint64_t>(mode));
        return;
    }
    ImageRecord again;
    if (DecodePpsImage(file.get(), fileSize, again) == 0) {
        FuzzFail("a picture coded by EncodePps does not decode");
    }
    if (again.width != record.width || again.height != record.height ||
        again.frameCount != record.frameCount || again.byteSize != record.byteSize ||
        std::memcmp(again.pixels, record.pixels, record.byteSize) != 0) {
        FuzzFail("a picture coded by EncodePps decodes to other pixels");
    }
    ReleaseImageRecord(again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ImageRecord record;
    const uint32_t decodedSize = DecodePpsImage(data, size, record);
    FuzzNote("decoded", decodedSize == 0 ? 0 : 1);
    if (decodedSize == 0) {
        if (HasPicture(record)) {
            FuzzFail("a refused pps picture left pixels in the record");
        }
        return 0;
    }
    FuzzNote("flags", record.flags);
    CheckRecord(record, decodedSize);
    if (size_t{record.width} * record.height * static_cast<size_t>(record.frameCount) <= 65536) {
        for (const int mode : {1, 3, 4, 5, 6}) {
            RoundTrip(record, mode);
        }
    }
    ReleaseImageRecord(record);
    return 0;
}
