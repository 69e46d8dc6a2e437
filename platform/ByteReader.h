#pragma once
// An ordered reader over a byte span for the file formats that platform/
// reads itself (cursor and icon files, picture headers).
//
// Rules:
//  - Every read is checked against the end; a failed read returns false,
//    leaves the output untouched and does not move the position.
//  - Integers are little-endian unless the name says Be (big-endian).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace platform {

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool U8(uint8_t& out) {
        return Take(1, [&](const uint8_t* p) { out = p[0]; });
    }
    bool U16(uint16_t& out) {
        return Take(2, [&](const uint8_t* p) { out = static_cast<uint16_t>(p[0] | p[1] << 8); });
    }
    bool U32(uint32_t& out) {
        return Take(4, [&](const uint8_t* p) {
            out = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                  static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
        });
    }
    bool I16(int16_t& out) {
        uint16_t raw = 0;
        if (!U16(raw)) {
            return false;
        }
        out = static_cast<int16_t>(raw);
        return true;
    }
    bool I32(int32_t& out) {
        uint32_t raw = 0;
        if (!U32(raw)) {
            return false;
        }
        out = static_cast<int32_t>(raw);
        return true;
    }
    bool U16Be(uint16_t& out) {
        return Take(2, [&](const uint8_t* p) { out = static_cast<uint16_t>(p[0] << 8 | p[1]); });
    }
    bool U32Be(uint32_t& out) {
        return Take(4, [&](const uint8_t* p) {
            out = static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                  static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
        });
    }
    bool Tag(char (&out)[5]) {
        return Take(4, [&](const uint8_t* p) {
            std::memcpy(out, p, 4);
            out[4] = '\0';
        });
    }
    bool Skip(size_t n) {
        return Take(n, [](const uint8_t*) {});
    }
    // Moves to an absolute position; false (position kept) past the end.
    bool Seek(size_t position) {
        if (position > bytes_.size()) {
            return false;
        }
        position_ = position;
        return true;
    }
    size_t Remaining() const { return bytes_.size() - position_; }
    size_t Position() const { return position_; }

private:
    template <class Use>
    bool Take(size_t n, Use&& use) {
        if (n > Remaining()) {
            return false;
        }
        use(bytes_.data() + position_);
        position_ += n;
        return true;
    }

    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
};

}  // namespace platform
