#include "engine/Compression.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <vector>

namespace {

// Text-like data that compresses, and a deterministic noise that does not.
std::vector<uint8_t> Sample(size_t size, bool noisy) {
    std::vector<uint8_t> data(size);
    uint32_t state = 12345;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        data[i] =
            noisy ? static_cast<uint8_t>(state >> 24) : static_cast<uint8_t>("mahjong "[i % 8]);
    }
    return data;
}

TEST(CompressionTest, OutputInflatesWithStockZlib) {
    for (bool noisy : {false, true}) {
        const std::vector<uint8_t> input = Sample(10000, noisy);
        size_t packedLength = 0;
        std::unique_ptr<uint8_t[]> packed =
            CompressBuffer(packedLength, input.data(), input.size());
        ASSERT_TRUE(packed);
        EXPECT_EQ(packedLength < input.size(), !noisy);

        std::vector<uint8_t> output(input.size());
        uLongf outputLength = output.size();
        ASSERT_EQ(uncompress(output.data(), &outputLength, packed.get(), packedLength), Z_OK);
        EXPECT_EQ(outputLength, input.size());
        EXPECT_EQ(output, input);
    }
}

TEST(CompressionTest, StockZlibStreamsInflate) {
    const std::vector<uint8_t> input = Sample(5000, false);
    std::vector<uint8_t> packed(compressBound(input.size()));
    uLongf packedLength = packed.size();
    ASSERT_EQ(compress(packed.data(), &packedLength, input.data(), input.size()), Z_OK);

    size_t length = input.size();
    std::unique_ptr<uint8_t[]> output = UncompressBuffer(length, packed.data(), packedLength);
    ASSERT_TRUE(output);
    EXPECT_EQ(length, input.size());
    EXPECT_EQ(std::memcmp(output.get(), input.data(), input.size()), 0);

    length = input.size() + 100;  // room to spare: the length says what came out
    EXPECT_TRUE(UncompressBuffer(length, packed.data(), packedLength));
    EXPECT_EQ(length, input.size());
}

TEST(CompressionTest, EmptyInputRoundTrips) {
    size_t packedLength = 0;
    std::unique_ptr<uint8_t[]> packed = CompressBuffer(packedLength, nullptr, 0);
    ASSERT_TRUE(packed);
    EXPECT_GT(packedLength, 0u);
    size_t length = 0;
    EXPECT_TRUE(UncompressBuffer(length, packed.get(), packedLength));
    EXPECT_EQ(length, 0u);
}

TEST(CompressionTest, BadStreamsGiveNullAndZeroLength) {
    const std::vector<uint8_t> input = Sample(4000, false);
    size_t packedLength = 0;
    std::unique_ptr<uint8_t[]> packed = CompressBuffer(packedLength, input.data(), input.size());
    ASSERT_TRUE(packed);

    size_t length = input.size();
    EXPECT_FALSE(UncompressBuffer(length, packed.get(), packedLength / 2));  // truncated
    EXPECT_EQ(length, 0u);

    length = input.size() - 1;  // the stream holds more than expected
    EXPECT_FALSE(UncompressBuffer(length, packed.get(), packedLength));
    EXPECT_EQ(length, 0u);

    std::vector<uint8_t> corrupt(packed.get(), packed.get() + packedLength);
    corrupt[packedLength - 2] ^= 0xFF;  // breaks the checksum
    length = input.size();
    EXPECT_FALSE(UncompressBuffer(length, corrupt.data(), corrupt.size()));
    EXPECT_EQ(length, 0u);

    const uint8_t garbage[] = {1, 2, 3, 4, 5, 6, 7, 8};
    length = 100;
    EXPECT_FALSE(UncompressBuffer(length, garbage, sizeof garbage));
    EXPECT_EQ(length, 0u);
    length = 100;
    EXPECT_FALSE(UncompressBuffer(length, nullptr, 10));
    EXPECT_EQ(length, 0u);
}

}  // namespace
