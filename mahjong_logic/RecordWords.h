#pragma once
// Writes the flat records of the table logic (snapshots, result records):
// little-endian 32-bit words and byte texts at byte offsets of a buffer. A
// value that would not fit in the buffer is not written, so a record is only
// ever filled within its bounds.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>

#include "zep/ZepWire.h"

class RecordWords {
public:
    explicit RecordWords(std::span<uint8_t> bytes) : bytes_(bytes) {}

    void At(size_t offset, int32_t value) {
        if (offset > bytes_.size() || bytes_.size() - offset < 4) {
            return;
        }
        ZepWireWriter writer(bytes_.subspan(offset, 4));
        writer.WriteI32(value);
    }
    void Word(size_t index, int32_t value) { At(index * 4, value); }
    void Words(size_t index, std::span<const int32_t> values) {
        for (const int32_t v : values) {
            Word(index++, v);
        }
    }
    // A list of ids into a fixed number of places, -1 where empty.
    void IdList(size_t index, std::span<const int32_t> ids, size_t places) {
        for (size_t k = 0; k < places; ++k) {
            Word(index + k, k < ids.size() ? ids[k] : -1);
        }
    }
    // A text cut to places - 1 bytes and ended by a zero byte.
    void Text(size_t offset, std::string_view text, size_t places) {
        if (places == 0 || offset > bytes_.size() || bytes_.size() - offset < places) {
            return;
        }
        const size_t n = std::min(text.size(), places - 1);
        std::copy_n(text.begin(), n, bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
        bytes_[offset + n] = 0;
    }

private:
    std::span<uint8_t> bytes_;
};

// Zeroes a buffer that holds a record of the given size; false (nothing
// written) for a shorter buffer.
inline bool ZeroRecord(std::span<uint8_t> buffer, size_t bytes) {
    if (buffer.size() < bytes) {
        return false;
    }
    std::fill(buffer.begin(), buffer.end(), 0);
    return true;
}
