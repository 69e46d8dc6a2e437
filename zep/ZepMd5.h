#pragma once
// MD5 message digest (RFC 1321), with an optional initial state of the
// caller's choosing.

#include <cstddef>
#include <cstdint>

// One digest in progress. count holds the number of bits hashed so far (low
// word first); buffer holds the bytes of an incomplete 64-byte block; digest is
// filled by MD5Final.
struct MD5_CTX {
    uint32_t count[2];
    uint32_t state[4];
    uint8_t buffer[64];
    uint8_t digest[16];
};

// Starts a digest with the standard initial state, or the four given words.
void MD5Init(MD5_CTX* context, const uint32_t* initialState = nullptr);
// Hashes n more bytes; a null pointer is taken only with n = 0.
void MD5Update(MD5_CTX* context, const void* input, size_t n);
// Pads, appends the bit count and leaves the 16-byte digest in the context.
void MD5Final(MD5_CTX* context);
