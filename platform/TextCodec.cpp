#include "platform/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace platform {
namespace {

// One iconv descriptor per direction and thread, opened on first use and
// closed when the thread ends. iconv descriptors carry shift state, so they
// are never shared between threads.
class Converter {
public:
    Converter() : handle_(kClosed()) {}
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (IsOpen()) {
            iconv_close(handle_);
        }
    }
    Converter(Converter&& other) noexcept : handle_(other.handle_) { other.handle_ = kClosed(); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    Converter& operator=(Converter&&) = delete;

    bool IsOpen() const { return handle_ != kClosed(); }
    iconv_t Handle() const { return handle_; }

private:
    static iconv_t kClosed() { return reinterpret_cast<iconv_t>(-1); }
    iconv_t handle_;
};

// GBK is preferred; GB18030 is a superset that every GBK text converts with.
Converter OpenConverter(bool toUtf8) {
    for (const char* gbkName : {"GBK", "GB18030"}) {
        Converter converter(toUtf8 ? "UTF-8" : gbkName, toUtf8 ? gbkName : "UTF-8");
        if (converter.IsOpen()) {
            return converter;
        }
    }
    return Converter();  // closed: callers fall back to ASCII only
}

// Length of the UTF-8 sequence at text[0] when it is well formed, else 1, so
// a character that does not convert is replaced by one '?' and a stray byte
// by one '?' of its own.
size_t Utf8SequenceLength(const unsigned char* text, size_t available) {
    const unsigned char lead = text[0];
    size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (length > available) {
        return 1;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

// GBK characters are one byte below 0x80, else a lead byte and a trail byte.
size_t GbkSequenceLength(const unsigned char* text, size_t available) {
    const unsigned char lead = text[0];
    if (lead >= 0x81 && lead <= 0xFE && available >= 2) {
        const unsigned char trail = text[1];
        if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
            return 2;
        }
    }
    return 1;
}

// What takes the place of a character that does not convert.
struct Unmapped {
    std::string_view replacement = "?";
    size_t count = 0;
};

enum class InputKind { Utf8, Gbk, Utf16 };

size_t SequenceLength(InputKind kind, const unsigned char* text, size_t available) {
    switch (kind) {
        case InputKind::Utf8:
            return Utf8SequenceLength(text, available);
        case InputKind::Gbk:
            return GbkSequenceLength(text, available);
        case InputKind::Utf16:
            return available >= 2 ? 2 : available;
    }
    return 1;
}

std::string Convert(iconv_t handle, std::string_view input, InputKind kind, Unmapped& unmapped) {
    std::string output;
    output.reserve(input.size() * 2 + 4);
    iconv(handle, nullptr, nullptr, nullptr, nullptr);

    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof(buffer);
        const size_t result = iconv(handle, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (result != static_cast<size_t>(-1)) {
            continue;
        }
        if (error == E2BIG) {
            continue;  // the buffer was flushed; go on
        }
        // An invalid or unconvertible character, or an incomplete one at the
        // end: one replacement for it, then carry on after it.
        const auto* bytes = reinterpret_cast<const unsigned char*>(in);
        size_t skip = SequenceLength(kind, bytes, inLeft);
        if (error == EINVAL) {
            skip = inLeft;
        }
        output.append(unmapped.replacement);
        ++unmapped.count;
        in += skip;
        inLeft -= skip;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
    }
    char* out = buffer;
    size_t outLeft = sizeof(buffer);
    iconv(handle, nullptr, nullptr, &out, &outLeft);
    output.append(buffer, static_cast<size_t>(out - buffer));
    return output;
}

// Without a converter, ASCII passes and every other character is replaced.
std::string AsciiOnly(std::string_view input, bool inputIsUtf8, Unmapped& unmapped) {
    std::string output;
    const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
    size_t position = 0;
    while (position < input.size()) {
        if (bytes[position] < 0x80) {
            output.push_back(static_cast<char>(bytes[position]));
            ++position;
            continue;
        }
        const size_t left = input.size() - position;
        position += inputIsUtf8 ? Utf8SequenceLength(bytes + position, left)
                                : GbkSequenceLength(bytes + position, left);
        output.append(unmapped.replacement);
        ++unmapped.count;
    }
    return output;
}

std::string FromUtf8(std::string_view utf8, Unmapped& unmapped) {
    thread_local Converter converter = OpenConverter(false);
    if (!converter.IsOpen()) {
        return AsciiOnly(utf8, true, unmapped);
    }
    return Convert(converter.Handle(), utf8, InputKind::Utf8, unmapped);
}

// GBK and UTF-16 (little-endian, no byte-order mark), one descriptor per
// direction and thread.
Converter OpenUtf16Converter(bool toUtf16) {
    for (const char* gbkName : {"GBK", "GB18030"}) {
        Converter converter(toUtf16 ? "UTF-16LE" : gbkName, toUtf16 ? gbkName : "UTF-16LE");
        if (converter.IsOpen()) {
            return converter;
        }
    }
    return Converter();
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
    thread_local Converter converter = OpenUtf16Converter(true);
    Unmapped unmapped{std::string_view("?\0", 2)};
    std::string bytes;
    if (converter.IsOpen()) {
        bytes = Convert(converter.Handle(), gbk, InputKind::Gbk, unmapped);
    } else {
        Unmapped plain;
        for (const char c : AsciiOnly(gbk, false, plain)) {
            bytes.push_back(c);
            bytes.push_back('\0');
        }
    }
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                        static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    }
    return text;
}

std::string Utf16ToGbk(std::u16string_view utf16) {
    std::string bytes;
    bytes.reserve(utf16.size() * 2);
    for (const char16_t unit : utf16) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    thread_local Converter converter = OpenUtf16Converter(false);
    Unmapped unmapped;
    if (!converter.IsOpen()) {
        std::string ascii;
        for (const char16_t unit : utf16) {
            ascii.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
        }
        return ascii;
    }
    return Convert(converter.Handle(), bytes, InputKind::Utf16, unmapped);
}

std::string GbkToUtf8(std::string_view gbk) {
    thread_local Converter converter = OpenConverter(true);
    Unmapped unmapped;
    if (!converter.IsOpen()) {
        return AsciiOnly(gbk, false, unmapped);
    }
    return Convert(converter.Handle(), gbk, InputKind::Gbk, unmapped);
}

std::string Utf8ToGbk(std::string_view utf8) {
    Unmapped unmapped;
    return FromUtf8(utf8, unmapped);
}

std::string Utf8ToGbkDroppingUnmapped(std::string_view utf8, size_t* dropped) {
    Unmapped unmapped{""};
    std::string gbk = FromUtf8(utf8, unmapped);
    if (dropped != nullptr) {
        *dropped = unmapped.count;
    }
    return gbk;
}

}  // namespace platform
