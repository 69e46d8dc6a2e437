#include "frame/RecordFields.h"

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
