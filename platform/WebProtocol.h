#pragma once
// The link between the client and its web helper program: messages in both
// directions over one stream socket.
//
// A message is: u32 length (of everything after it, at most
// kMaxWebMessageBytes, checked before the rest is read), u32 kind, u32 view,
// u32 token, then fields, each a u32 byte count and that many bytes of UTF-8.
// Integers are little-endian. Each kind has a fixed number of fields; numbers
// travel as decimal text fields.
//
// Rules:
//  - A message of an unknown kind, with the wrong number of fields, a field
//    running past its message, a field that is not UTF-8 or a length out of
//    bounds is bad: the reader stops for good and says why, and the side that
//    reads it closes the link.
//  - This file is shared with the helper program, which is built without the
//    GBK execution charset: it holds no text literal outside ASCII.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr uint32_t kMaxWebMessageBytes = 1u << 20;

enum class WebMessageKind : uint32_t {
    // client -> helper
    kCreate = 1,      // owner X11 window, left, top, width, height
    kDestroy = 2,     // -
    kNavigate = 3,    // url, flags, frame, headers, post body
    kShow = 4,        // "1" show, "0" hide
    kMove = 5,        // left, top, width, height
    kHideScroll = 6,  // -
    kClickLinks = 7,  // link text
    kDecide = 8,      // token: the navigation; "1" allow, "0" cancel
    // helper -> client
    kBeforeNavigate = 101,    // token; url, frame, "1" main frame / "0"
    kDocumentComplete = 102,  // url
    kNavigateError = 103,     // url, frame, status
};

struct WebMessage {
    WebMessageKind kind = WebMessageKind::kDestroy;
    uint32_t view = 0;
    uint32_t token = 0;
    std::vector<std::string> fields;
};

// The number of fields a kind carries; nothing for an unknown kind.
std::optional<size_t> WebMessageFieldCount(uint32_t kind);

// The message's bytes, ready to send. Nothing when it breaks the rules (field
// count, UTF-8, size).
std::optional<std::string> EncodeWebMessage(const WebMessage& message);

// Splits a byte stream into messages.
class WebMessageReader {
public:
    enum class Result { kMessage, kNeedMore, kBad };

    // Appends received bytes; ignored once the stream was found bad.
    void Feed(std::span<const uint8_t> bytes);
    // The next whole message, if there is one.
    Result Next(WebMessage& out);
    // Why the stream is bad (empty while it is not).
    const std::string& Error() const { return error_; }
    // The bytes the reader holds, taken ones not yet dropped included.
    size_t HeldBytes() const { return buffer_.size(); }

private:
    Result Fail(std::string why);

    std::vector<uint8_t> buffer_;
    size_t start_ = 0;
    std::string error_;
};

bool IsUtf8(std::string_view text);

// Decimal text of a number, and back. ParseWebInt takes an optional '-' and
// at most ten digits, within int32 range; nothing otherwise.
std::string WebInt(int64_t value);
std::optional<int32_t> ParseWebInt(std::string_view text);

// A JavaScript string literal (with its quotes) that evaluates to the UTF-8
// text: everything but ASCII letters, digits, blank, '.', ',', '-' and '_' is
// written as \uXXXX escapes, so the literal is plain ASCII and the text can
// never end it early. Invalid UTF-8 becomes U+FFFD.
std::string JavaScriptStringLiteral(std::string_view utf8);

}  // namespace platform
