#include "platform/WebProtocol.h"

#include <charconv>
#include <cstdio>

namespace platform {

namespace {

constexpr size_t kHeadBytes = 12;  // kind, view, token

void PutU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The code point at text[at] and its byte count; count 0 when the bytes there
// are not a well-formed UTF-8 sequence (no overlong forms, no surrogates).
struct CodePoint {
    uint32_t value = 0;
    size_t bytes = 0;
};

CodePoint DecodeUtf8(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(at);
    if (lead < 0x80) {
        return {lead, 1};
    }
    size_t count = 0;
    uint32_t value = 0;
    uint32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        count = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        count = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        count = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return {};
    }
    if (text.size() - at < count) {
        return {};
    }
    for (size_t i = 1; i < count; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return {};
        }
        value = value << 6 | (byte(at + i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return {};
    }
    return {value, count};
}

void AppendUnicodeEscape(std::string& out, uint32_t unit) {
    char text[8];
    std::snprintf(text, sizeof(text), "\\u%04X", static_cast<unsigned>(unit & 0xFFFF));
    out += text;
}

}  // namespace

std::optional<size_t> WebMessageFieldCount(uint32_t kind) {
    switch (static_cast<WebMessageKind>(kind)) {
        case WebMessageKind::kCreate:
            return 5;
        case WebMessageKind::kDestroy:
        case WebMessageKind::kHideScroll:
            return 0;
        case WebMessageKind::kNavigate:
            return 5;
        case WebMessageKind::kShow:
        case WebMessageKind::kClickLinks:
        case WebMessageKind::kDecide:
        case WebMessageKind::kDocumentComplete:
            return 1;
        case WebMessageKind::kMove:
            return 4;
        case WebMessageKind::kBeforeNavigate:
        case WebMessageKind::kNavigateError:
            return 3;
    }
    return std::nullopt;
}

std::optional<std::string> EncodeWebMessage(const WebMessage& message) {
    const std::optional<size_t> count = WebMessageFieldCount(static_cast<uint32_t>(message.kind));
    if (!count || *count != message.fields.size()) {
        return std::nullopt;
    }
    size_t length = kHeadBytes;
    for (const std::string& field : message.fields) {
        if (!IsUtf8(field)) {
            return std::nullopt;
        }
        length += 4 + field.size();
        if (length > kMaxWebMessageBytes) {
            return std::nullopt;
        }
    }
    std::string out;
    out.reserve(4 + length);
    PutU32(out, static_cast<uint32_t>(length));
    PutU32(out, static_cast<uint32_t>(message.kind));
    PutU32(out, message.view);
    PutU32(out, message.token);
    for (const std::string& field : message.fields) {
        PutU32(out, static_cast<uint32_t>(field.size()));
        out += field;
    }
    return out;
}

void WebMessageReader::Feed(std::span<const uint8_t> bytes) {
    if (!error_.empty()) {
        return;
    }
    // The bytes already taken go once they are half the buffer: the buffer
    // stays within twice what is waiting, wherever the reads end.
    if (start_ > 0 && start_ >= buffer_.size() - start_) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

WebMessageReader::Result WebMessageReader::Fail(std::string why) {
    error_ = std::move(why);
    buffer_.clear();
    start_ = 0;
    return Result::kBad;
}

WebMessageReader::Result WebMessageReader::Next(WebMessage& out) {
    if (!error_.empty()) {
        return Result::kBad;
    }
    const size_t available = buffer_.size() - start_;
    if (available < 4) {
        return Result::kNeedMore;
    }
    const uint8_t* p = buffer_.data() + start_;
    const uint32_t length = GetU32(p);
    if (length < kHeadBytes || length > kMaxWebMessageBytes) {
        return Fail("bad message length " + std::to_string(length));
    }
    if (available - 4 < length) {
        return Result::kNeedMore;
    }
    const uint8_t* body = p + 4;
    const uint32_t kind = GetU32(body);
    const std::optional<size_t> count = WebMessageFieldCount(kind);
    if (!count) {
        return Fail("unknown message kind " + std::to_string(kind));
    }
    WebMessage message;
    message.kind = static_cast<WebMessageKind>(kind);
    message.view = GetU32(body + 4);
    message.token = GetU32(body + 8);
    size_t at = kHeadBytes;
    while (at < length) {
        if (length - at < 4) {
            return Fail("field count cut short in kind " + std::to_string(kind));
        }
        const uint32_t size = GetU32(body + at);
        at += 4;
        if (size > length - at) {
            return Fail("field of " + std::to_string(size) + " bytes runs past its message");
        }
        if (message.fields.size() == *count) {
            return Fail("too many fields in kind " + std::to_string(kind));
        }
        std::string field(reinterpret_cast<const char*>(body + at), size);
        if (!IsUtf8(field)) {
            return Fail("field not UTF-8 in kind " + std::to_string(kind));
        }
        message.fields.push_back(std::move(field));
        at += size;
    }
    if (message.fields.size() != *count) {
        return Fail("kind " + std::to_string(kind) + " needs " + std::to_string(*count) +
                    " fields, has " + std::to_string(message.fields.size()));
    }
    start_ += 4 + length;
    out = std::move(message);
    return Result::kMessage;
}

bool IsUtf8(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        const CodePoint point = DecodeUtf8(text, at);
        if (point.bytes == 0) {
            return false;
        }
        at += point.bytes;
    }
    return true;
}

std::string WebInt(int64_t value) {
    return std::to_string(value);
}

std::optional<int32_t> ParseWebInt(std::string_view text) {
    const size_t digits = text.size() - (text.starts_with('-') ? 1 : 0);
    if (digits == 0 || digits > 10) {
        return std::nullopt;
    }
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < INT32_MIN ||
        value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

std::string JavaScriptStringLiteral(std::string_view utf8) {
    std::string out = "\"";
    for (size_t at = 0; at < utf8.size();) {
        CodePoint point = DecodeUtf8(utf8, at);
        if (point.bytes == 0) {
            point = {0xFFFD, 1};
        }
        at += point.bytes;
        const uint32_t c = point.value;
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == ' ' || c == '.' || c == ',' || c == '-' ||
                           c == '_';
        if (plain) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x10000) {
            AppendUnicodeEscape(out, c);
        } else {
            AppendUnicodeEscape(out, 0xD800 + ((c - 0x10000) >> 10));
            AppendUnicodeEscape(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    out.push_back('"');
    return out;
}

}  // namespace platform
