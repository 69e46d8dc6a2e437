// Cursor, icon and animated cursor files (.cur, .ico, .ani) as a skin may
// carry them: a file that decodes gives a picture of the size it claims with
// its hot spot inside.

#include <string>

#include "platform/Cursors.h"
#include "tests/fuzz/FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::CursorImage image;
    std::string error;
    if (!platform::DecodeCursorImage(data, size, image, error)) {
        if (error.empty()) {
            FuzzFail("a refused cursor gave no reason");
        }
        FuzzNote(error.substr(0, error.find_first_of("0123456789")));
        return 0;
    }
    FuzzNote("decoded", static_cast<uint64_t>(image.width * 1000 + image.height));
    if (image.width < 1 || image.height < 1 || image.width > platform::kMaxCursorSide ||
        image.height > platform::kMaxCursorSide) {
        FuzzFail("a decoded cursor has a size out of range");
    }
    if (image.pixels.size() != static_cast<size_t>(image.width) * image.height * 4) {
        FuzzFail("a decoded cursor's pixels do not match its size");
    }
    if (image.hotX < 0 || image.hotY < 0 || image.hotX >= image.width ||
        image.hotY >= image.height) {
        FuzzFail("a decoded cursor's hot spot is outside the picture");
    }
    return 0;
}
