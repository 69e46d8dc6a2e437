#include "engine/Compression.h"

#include <cstring>
#include <new>

#include <zlib.h>

std::unique_ptr<uint8_t[]> CompressBuffer(size_t& outLength, const void* data, size_t length) {
    outLength = 0;
    if (data == nullptr && length > 0) {
        return nullptr;
    }
    static const uint8_t kNothing = 0;
    const Bytef* source = length > 0 ? static_cast<const Bytef*>(data) : &kNothing;

    uLongf capacity = compressBound(length);
    std::unique_ptr<uint8_t[]> work(new (std::nothrow) uint8_t[capacity]);
    if (!work || compress(work.get(), &capacity, source, length) != Z_OK) {
        return nullptr;
    }
    std::unique_ptr<uint8_t[]> result(new (std::nothrow) uint8_t[capacity]);
    if (!result) {
        return nullptr;
    }
    std::memcpy(result.get(), work.get(), capacity);
    outLength = capacity;
    return result;
}

std::unique_ptr<uint8_t[]> UncompressBuffer(size_t& length, const void* data, size_t dataLength) {
    const size_t expected = length;
    length = 0;
    if (data == nullptr || dataLength == 0) {
        return nullptr;
    }
    // The expected size may come from a file; a size that cannot be
    // allocated is a failure, not a crash.
    std::unique_ptr<uint8_t[]> result(new (std::nothrow) uint8_t[expected > 0 ? expected : 1]());
    if (!result) {
        return nullptr;
    }
    uLongf produced = expected;
    if (uncompress(result.get(), &produced, static_cast<const Bytef*>(data), dataLength) != Z_OK) {
        return nullptr;
    }
    length = produced;
    return result;
}
