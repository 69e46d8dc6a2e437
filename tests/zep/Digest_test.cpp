#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "zep/ZepCrc32.h"
#include "zep/ZepMd5.h"

namespace {

std::string Hex(const uint8_t* bytes, size_t n) {
    std::string text;
    char pair[3];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(pair, sizeof(pair), "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

std::string Md5Hex(const std::string& text) {
    MD5_CTX context;
    MD5Init(&context);
    MD5Update(&context, text.data(), text.size());
    MD5Final(&context);
    return Hex(context.digest, sizeof(context.digest));
}

std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t n) {
    std::vector<uint8_t> bytes(n);
    for (uint8_t& b : bytes) {
        b = static_cast<uint8_t>(random());
    }
    return bytes;
}

}  // namespace

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(Md5Hex("1234567890123456789012345678901234567890123456789012345678901234567890"
                     "1234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, PiecewiseUpdatesAcrossBlockEdges) {
    std::mt19937 random(1321);
    for (size_t n : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 200u}) {
        SCOPED_TRACE(n);
        const std::vector<uint8_t> data = RandomBytes(random, n);
        MD5_CTX whole;
        MD5Init(&whole);
        MD5Update(&whole, data.data(), n);
        MD5Final(&whole);

        MD5_CTX pieces;
        MD5Init(&pieces);
        for (size_t at = 0; at < n;) {
            const size_t step = std::min<size_t>(1 + random() % 70, n - at);
            MD5Update(&pieces, data.data() + at, step);
            at += step;
        }
        MD5Update(&pieces, nullptr, 0);
        MD5Final(&pieces);
        EXPECT_EQ(Hex(pieces.digest, 16), Hex(whole.digest, 16));
    }
}

TEST(Md5, CustomInitialStateChainsFromIt) {
    // Hashing a block B and then M equals starting from the state B left,
    // with the bit count of B, and hashing M.
    const std::string block(64, 'B');
    const std::string message = "the rest of the message";
    MD5_CTX first;
    MD5Init(&first);
    MD5Update(&first, block.data(), block.size());

    MD5_CTX resumed;
    MD5Init(&resumed, first.state);
    EXPECT_EQ(resumed.count[0], 0u);
    EXPECT_EQ(resumed.count[1], 0u);
    EXPECT_EQ(std::vector<uint32_t>(resumed.state, resumed.state + 4),
              std::vector<uint32_t>(first.state, first.state + 4));
    resumed.count[0] = 512;
    MD5Update(&resumed, message.data(), message.size());
    MD5Final(&resumed);
    EXPECT_EQ(Hex(resumed.digest, 16), Md5Hex(block + message));
}

TEST(Crc32, KnownValuesAndEmptyInput) {
    EXPECT_EQ(ZepCrc32::Compute(nullptr, "abc", 3), 0x352441C2u);
    EXPECT_EQ(ZepCrc32::Compute(nullptr, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(ZepCrc32::Compute(nullptr, "", 0), 0u);
    EXPECT_EQ(ZepCrc32::Compute(nullptr, nullptr, 5), 0u);
}

TEST(Crc32, BuiltTableMatchesZlibAndDrivesTheSameSums) {
    uint32_t table[ZepCrc32::kTableSize];
    ZepCrc32::BuildTable(table);
    const z_crc_t* stock = get_crc_table();
    for (size_t i = 0; i < ZepCrc32::kTableSize; ++i) {
        ASSERT_EQ(table[i], stock[i]) << i;
        ASSERT_EQ(ZepCrc32::StandardTable()[i], stock[i]) << i;
    }

    std::mt19937 random(3309);
    for (size_t n : {1u, 2u, 3u, 7u, 64u, 1000u, 4096u, 65537u}) {
        SCOPED_TRACE(n);
        const std::vector<uint8_t> data = RandomBytes(random, n);
        const uint32_t expected = static_cast<uint32_t>(crc32(0, data.data(), uInt(n)));
        EXPECT_EQ(ZepCrc32::Compute(table, data.data(), n), expected);
        EXPECT_EQ(ZepCrc32::Compute(nullptr, data.data(), n), expected);

        // The running value carries over between pieces.
        const size_t cut = n / 3;
        uint32_t running = ZepCrc32::Update(table, data.data(), cut, 0xFFFFFFFFu);
        running = ZepCrc32::Update(table, data.data() + cut, n - cut, running);
        EXPECT_EQ(~running, expected);
    }
}

namespace {

// The register run a byte at a time through a table, as the checksum is
// defined; the quick path must give the same register for any start.
uint32_t ByteAtATime(const uint32_t* table, const uint8_t* p, size_t n, uint32_t crc) {
    for (size_t i = 0; i < n; ++i) {
        crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    }
    return crc;
}

}  // namespace

TEST(Crc32, QuickPathGivesTheByteRegisterAtAnyLengthAlignmentAndStart) {
    std::mt19937 random(1984);
    const std::vector<uint8_t> data = RandomBytes(random, 70000);
    std::uniform_int_distribution<size_t> offset(0, 63);
    std::uniform_int_distribution<size_t> shortLength(0, 300);
    std::uniform_int_distribution<size_t> longLength(0, 60000);
    for (int round = 0; round < 2000; ++round) {
        const size_t at = offset(random);
        const size_t n = round % 10 == 0 ? longLength(random) : shortLength(random);
        const uint32_t start = round % 3 == 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(random());
        const uint32_t expected = ByteAtATime(ZepCrc32::StandardTable(), &data[at], n, start);
        ASSERT_EQ(ZepCrc32::Update(nullptr, &data[at], n, start), expected) << round;
        ASSERT_EQ(ZepCrc32::Update(ZepCrc32::StandardTable(), &data[at], n, start), expected);
        if (n != 0) {
            ASSERT_EQ(ZepCrc32::Compute(nullptr, &data[at], n),
                      ~ByteAtATime(ZepCrc32::StandardTable(), &data[at], n, 0xFFFFFFFFu));
        }
    }
}

TEST(Crc32, AnotherTableStillDrivesTheRegister) {
    uint32_t table[ZepCrc32::kTableSize];
    for (uint32_t i = 0; i < ZepCrc32::kTableSize; ++i) {
        table[i] = i * 0x9E3779B1u;  // any table at all
    }
    std::mt19937 random(77);
    const std::vector<uint8_t> data = RandomBytes(random, 5000);
    EXPECT_EQ(ZepCrc32::Update(table, data.data(), data.size(), 0x12345678u),
              ByteAtATime(table, data.data(), data.size(), 0x12345678u));
    EXPECT_NE(ZepCrc32::Update(table, data.data(), data.size(), 0x12345678u),
              ZepCrc32::Update(nullptr, data.data(), data.size(), 0x12345678u));
}
