// The web helper's link as the client reads it (and the helper reads the
// client): a stream of messages cut into pieces of any size. Whatever the
// bytes, every message taken has its kind's fields, all UTF-8, and encodes
// back to exactly the bytes it came from; a bad stream stays bad; every
// field makes a plain-ASCII script literal.
//
// Input: byte 0 is the size of the pieces fed (0 means all at once); the
// rest is the stream.

#include <string>

#include "platform/WebProtocol.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

void CheckLiteral(const std::string& field) {
    const std::string literal = platform::JavaScriptStringLiteral(field);
    if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"') {
        FuzzFail("script literal without its quotes");
    }
    for (size_t i = 1; i + 1 < literal.size(); ++i) {
        const auto c = static_cast<unsigned char>(literal[i]);
        if (c >= 0x80 || c < 0x20 || c == '"' || (c == '\\' && literal[i + 1] != 'u')) {
            FuzzFail("script literal with a raw character");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const size_t piece = data[0] == 0 ? size : data[0];
    const uint8_t* stream = data + 1;
    const size_t length = size - 1;
    platform::WebMessageReader reader;
    size_t fed = 0;
    size_t consumed = 0;
    bool bad = false;
    while (fed < length && !bad) {
        const size_t n = std::min(piece, length - fed);
        reader.Feed({stream + fed, n});
        fed += n;
        platform::WebMessage message;
        for (;;) {
            const auto result = reader.Next(message);
            if (result == platform::WebMessageReader::Result::kNeedMore) {
                break;
            }
            if (result == platform::WebMessageReader::Result::kBad) {
                FuzzNote(reader.Error().substr(0, reader.Error().find_first_of("0123456789")));
                if (reader.Next(message) != platform::WebMessageReader::Result::kBad) {
                    FuzzFail("a bad stream read on");
                }
                bad = true;
                break;
            }
            const auto count = platform::WebMessageFieldCount(static_cast<uint32_t>(message.kind));
            if (!count || *count != message.fields.size()) {
                FuzzFail("a message with the wrong fields");
            }
            const std::optional<std::string> again = platform::EncodeWebMessage(message);
            if (!again || again->size() > length - consumed ||
                again->compare(0, again->size(), reinterpret_cast<const char*>(stream + consumed),
                               again->size()) != 0) {
                FuzzFail("a message that does not encode back to its bytes");
            }
            consumed += again->size();
            for (const std::string& field : message.fields) {
                CheckLiteral(field);
            }
            FuzzNote("kind", static_cast<uint64_t>(message.kind));
        }
    }
    return 0;
}
