#include "zep/ZepMd5.h"

#include <bit>
#include <cstring>

namespace {

// floor(abs(sin(i + 1)) * 2^32), the additive constants of the 64 steps.
constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// Left rotations, four per round.
constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

constexpr uint32_t kStandardState[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

uint32_t LoadLE(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void StoreLE(uint32_t value, uint8_t* p) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void TransformBlock(uint32_t state[4], const uint8_t block[64]) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) {
        x[i] = LoadLE(block + 4 * i);
    }
    uint32_t a = state[0];
    uint32_t b = state[1];
    uint32_t c = state[2];
    uint32_t d = state[3];
    for (int step = 0; step < 64; ++step) {
        const int round = step / 16;
        uint32_t f = 0;
        int word = 0;
        switch (round) {
            case 0:
                f = (b & c) | (~b & d);
                word = step;
                break;
            case 1:
                f = (b & d) | (c & ~d);
                word = (5 * step + 1) % 16;
                break;
            case 2:
                f = b ^ c ^ d;
                word = (3 * step + 5) % 16;
                break;
            default:
                f = c ^ (b | ~d);
                word = (7 * step) % 16;
                break;
        }
        const uint32_t rotated = std::rotl(a + f + x[word] + kSine[step], kShift[round][step % 4]);
        a = d;
        d = c;
        c = b;
        b = b + rotated;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

uint64_t BitCount(const MD5_CTX* context) {
    return uint64_t{context->count[0]} | (uint64_t{context->count[1]} << 32);
}

}  // namespace

void MD5Init(MD5_CTX* context, const uint32_t* initialState) {
    std::memset(context, 0, sizeof(*context));
    std::memcpy(context->state, initialState != nullptr ? initialState : kStandardState,
                sizeof(context->state));
}

void MD5Update(MD5_CTX* context, const void* input, size_t n) {
    if (input == nullptr || n == 0) {
        return;
    }
    const auto* bytes = static_cast<const uint8_t*>(input);
    const uint64_t bits = BitCount(context);
    size_t filled = static_cast<size_t>((bits / 8) % 64);
    const uint64_t newBits = bits + uint64_t{n} * 8;  // modulo 2^64, as RFC 1321 counts
    context->count[0] = static_cast<uint32_t>(newBits);
    context->count[1] = static_cast<uint32_t>(newBits >> 32);

    if (filled != 0) {
        const size_t take = n < 64 - filled ? n : 64 - filled;
        std::memcpy(context->buffer + filled, bytes, take);
        bytes += take;
        n -= take;
        filled += take;
        if (filled < 64) {
            return;
        }
        TransformBlock(context->state, context->buffer);
    }
    for (; n >= 64; bytes += 64, n -= 64) {
        TransformBlock(context->state, bytes);
    }
    std::memcpy(context->buffer, bytes, n);
}

void MD5Final(MD5_CTX* context) {
    uint8_t length[8];
    StoreLE(context->count[0], length);
    StoreLE(context->count[1], length + 4);

    const size_t filled = static_cast<size_t>((BitCount(context) / 8) % 64);
    const size_t padding = filled < 56 ? 56 - filled : 120 - filled;
    static constexpr uint8_t kPadding[64] = {0x80};
    MD5Update(context, kPadding, padding);
    MD5Update(context, length, sizeof(length));

    for (int i = 0; i < 4; ++i) {
        StoreLE(context->state[i], context->digest + 4 * i);
    }
    std::memset(context->buffer, 0, sizeof(context->buffer));
}
