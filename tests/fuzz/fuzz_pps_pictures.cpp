// pps pictures from resource packs: a picture that decodes describes its
// pixels truthfully; a refused one leaves nothing behind.

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
    FuzzNote("flags", record.flags & 0xFF);
    CheckRecord(record, decodedSize);
    ReleaseImageRecord(record);
    return 0;
}
