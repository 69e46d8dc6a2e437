// GBK text from outside (chat, settings, the hall) converted to UTF-8 and
// back: whatever the bytes, the UTF-8 is well formed, and converting it back
// and forth again changes nothing.

#include <string>
#include <string_view>

#include "platform/TextCodec.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

// The length of the well-formed UTF-8 sequence at the front, 0 for none.
size_t Utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<uint8_t>(text[0]);
    size_t length = 0;
    uint32_t smallest = 0;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        smallest = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    uint32_t code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<uint8_t>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < smallest || code > 0x10FFFF || surrogate ? 0 : length;
}

bool IsUtf8(std::string_view text) {
    while (!text.empty()) {
        const size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            return false;
        }
        text.remove_prefix(length);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = platform::GbkToUtf8(bytes);
    if (!IsUtf8(utf8)) {
        FuzzFail("GbkToUtf8 gave malformed UTF-8");
    }
    const std::string gbk = platform::Utf8ToGbk(utf8);
    if (platform::GbkToUtf8(gbk) != utf8) {
        FuzzFail("GBK -> UTF-8 -> GBK -> UTF-8 changed the text");
    }
    FuzzNote("unconverted", gbk == bytes ? 0 : 1);

    // The same bytes read as UTF-8 (file names, typed text).
    const std::string fromUtf8 = platform::Utf8ToGbk(bytes);
    FuzzNote("utf8 valid", IsUtf8(bytes) ? 1 : 0);
    FuzzNote("utf8 shrink", fromUtf8.size() < size ? 1 : 0);
    return 0;
}
