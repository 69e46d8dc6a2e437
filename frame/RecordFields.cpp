#include "frame/RecordFields.h"

#include <algorithm>

bool ReadWordAt(std::span<const uint8_t> bytes, size_t offset, int32_t& out) {
    if (offset > bytes.size()) {
        return false;
    }
    ZepWireReader reader(bytes.subspan(offset));
    return reader.ReadI32(out);
}

int32_t WordAt(std::span<const uint8_t> bytes, size_t offset, int32_t fallback) {
    int32_t value = fallback;
    return ReadWordAt(bytes, offset, value) ? value : fallback;
}

std::string RecordTextAt(std::span<const uint8_t> bytes, size_t offset, size_t width) {
    if (offset >= bytes.size()) {
        return {};
    }
    const auto field = bytes.subspan(offset, std::min(width, bytes.size() - offset));
    const auto end = std::find(field.begin(), field.end(), uint8_t{0});
    return std::string(field.begin(), end);
}
