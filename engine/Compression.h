#pragma once
// zlib helpers for whole buffers.
//
// Both return a buffer allocated with new[] (owned by the returned
// unique_ptr; call release() and delete[] it to hand it on), or null with the
// out length set to 0 on any failure.

#include <cstddef>
#include <cstdint>
#include <memory>

// Compresses length bytes of data (zlib format); outLength receives exactly
// the number of compressed bytes held by the result. Empty input is valid.
std::unique_ptr<uint8_t[]> CompressBuffer(size_t& outLength, const void* data, size_t length);

// Inflates a zlib stream into a new zeroed buffer of the expected size given
// in length; on success length becomes the number of bytes produced. A
// corrupt, truncated or oversized stream gives null and length 0.
std::unique_ptr<uint8_t[]> UncompressBuffer(size_t& length, const void* data, size_t dataLength);
