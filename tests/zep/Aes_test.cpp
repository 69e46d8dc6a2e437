#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "zep/ZepAes.h"

namespace {

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::vector<uint8_t> Counting(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<uint8_t>(i);
    }
    return bytes;
}

constexpr uint32_t kEncipher = 0x101;
constexpr uint32_t kDecipher = 0x102;

std::vector<uint8_t> Codec(const std::vector<uint8_t>& key, const std::vector<uint8_t>& data,
                           uint32_t flags) {
    uint32_t size = 0;
    EXPECT_EQ(ZepAesCodec::Process(key.data(), 128, data.data(), uint32_t(data.size()), nullptr,
                                   &size, flags),
              1);
    std::vector<uint8_t> out(size);
    EXPECT_EQ(ZepAesCodec::Process(key.data(), 128, data.data(), uint32_t(data.size()), out.data(),
                                   &size, flags),
              1);
    EXPECT_EQ(size, out.size());
    return out;
}

struct BlockVector {
    const char* name;
    uint32_t bits;
    std::string key;
    std::string plain;
    std::string cipher;
};

// The engines this processor can run: the tables always, the instructions
// when present.
std::vector<ZepAes::Engine> Engines() {
    std::vector<ZepAes::Engine> engines{ZepAes::Engine::Table};
    if (ZepAes::HasInstructions()) {
        engines.push_back(ZepAes::Engine::Instructions);
    }
    return engines;
}

template <typename T, size_t N>
std::vector<std::pair<T, ZepAes::Engine>> EveryEngine(const T (&items)[N]) {
    std::vector<std::pair<T, ZepAes::Engine>> pairs;
    for (const ZepAes::Engine engine : Engines()) {
        for (const T& item : items) {
            pairs.emplace_back(item, engine);
        }
    }
    return pairs;
}

}  // namespace

TEST(AesBlock, PublishedVectorsBothWays) {
    const BlockVector vectors[] = {
        {"FIPS-197 B", 128, "2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734",
         "3925841d02dc09fbdc118597196a0b32"},
        {"FIPS-197 C.1", 128, "000102030405060708090a0b0c0d0e0f",
         "00112233445566778899aabbccddeeff", "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {"FIPS-197 C.2", 192, "000102030405060708090a0b0c0d0e0f1011121314151617",
         "00112233445566778899aabbccddeeff", "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {"FIPS-197 C.3", 256, "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
         "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089"},
    };
    for (const auto& [v, engine] : EveryEngine(vectors)) {
        SCOPED_TRACE(v.name);
        ZepAes aes(engine);
        ASSERT_TRUE(aes.SetKey(FromHex(v.key).data(), v.bits));
        const std::vector<uint8_t> plain = FromHex(v.plain);
        const std::vector<uint8_t> cipher = FromHex(v.cipher);
        uint8_t block[16];
        aes.EncryptBlock(plain.data(), block);
        EXPECT_EQ(std::vector<uint8_t>(block, block + 16), cipher);
        aes.DecryptBlock(block, block);  // in place
        EXPECT_EQ(std::vector<uint8_t>(block, block + 16), plain);
    }
}

TEST(AesCodec, EcbMatchesTheBlockCipherBlockByBlock) {
    // NIST SP 800-38A F.1.1, ECB-AES128: each block is enciphered by itself,
    // and a fourth block of zero padding follows.
    const std::vector<uint8_t> key = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
    const std::vector<uint8_t> plain = FromHex(
        "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
        "30c81c46a35ce411e5fbc1191a0a52ef");
    const std::vector<uint8_t> expected = FromHex(
        "3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"
        "43b1cd7f598ece23881b00e3ed030688");
    const std::vector<uint8_t> cipher = Codec(key, plain, kEncipher);
    ASSERT_EQ(cipher.size(), 64u);
    EXPECT_EQ(std::vector<uint8_t>(cipher.begin(), cipher.begin() + 48), expected);
}

TEST(AesCodec, EncipheredSizeAndZeroPadding) {
    const std::vector<uint8_t> key = Counting(16);
    const std::pair<uint32_t, uint32_t> sizes[] = {{0, 16}, {15, 16}, {16, 32}, {17, 32}, {32, 48}};
    for (auto [in, out] : sizes) {
        SCOPED_TRACE(in);
        const std::vector<uint8_t> plain(in, 0xA5);
        const std::vector<uint8_t> cipher = Codec(key, plain, kEncipher);
        ASSERT_EQ(cipher.size(), out);

        // Deciphering gives the data, then zeros up to the end of the blocks.
        const std::vector<uint8_t> back = Codec(key, cipher, kDecipher);
        ASSERT_EQ(back.size(), out);
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), back.begin()));
        for (size_t i = in; i < out; ++i) {
            EXPECT_EQ(back[i], 0) << i;
        }
    }
}

TEST(AesCodec, DecipherWritesOnlyTheInputBlocks) {
    // A caller deciphers 64 bytes into a 64-byte block of its own.
    const std::vector<uint8_t> key = Counting(128);  // a key block: the first 16 bytes are used
    const std::vector<uint8_t> text = Counting(64);
    const std::vector<uint8_t> cipher = Codec(key, text, kEncipher);
    auto exact = std::make_unique<uint8_t[]>(64);
    uint32_t size = 0;
    ASSERT_EQ(
        ZepAesCodec::Process(key.data(), 128, cipher.data(), 64, exact.get(), &size, kDecipher), 1);
    EXPECT_EQ(size, 64u);
    EXPECT_TRUE(std::equal(text.begin(), text.end(), exact.get()));
}

TEST(AesCodec, RefusesOtherKeysBadCallsAndPartialCipherText) {
    const std::vector<uint8_t> key = Counting(64);
    const std::vector<uint8_t> data(48, 1);
    uint8_t out[64];
    uint32_t size = 12345;
    ZepAes aes;
    for (uint32_t bits : {0u, 64u, 127u, 129u, 224u, 512u}) {
        EXPECT_FALSE(aes.SetKey(key.data(), bits)) << bits;
        EXPECT_EQ(ZepAesCodec::Process(key.data(), bits, data.data(), 16, out, &size, kEncipher),
                  0);
    }
    EXPECT_EQ(ZepAesCodec::Process(nullptr, 128, data.data(), 16, out, &size, kEncipher), 0);
    // Cipher text must be a non-empty whole number of blocks.
    for (uint32_t n : {0u, 15u, 17u, 47u}) {
        EXPECT_EQ(ZepAesCodec::Process(key.data(), 128, data.data(), n, out, &size, kDecipher), 0)
            << n;
    }
    // The step flag and exactly one direction bit.
    for (uint32_t flags : {0x001u, 0x100u, 0x103u, 0x401u}) {
        EXPECT_EQ(ZepAesCodec::Process(key.data(), 128, data.data(), 16, out, &size, flags), 0)
            << flags;
    }
    EXPECT_EQ(size, 12345u);
    EXPECT_EQ(ZepAesCodec::Process(key.data(), 128, data.data(), 16, out, nullptr, kEncipher), 0);
}

TEST(AesBlock, EcbVectorsOfEveryKeyLengthOnEveryEngine) {
    // NIST SP 800-38A F.1.1, F.1.3 and F.1.5: four blocks each way.
    const std::string plain =
        "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
        "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710";
    const BlockVector vectors[] = {
        {"ECB-AES128", 128, "2b7e151628aed2a6abf7158809cf4f3c", plain,
         "3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"
         "43b1cd7f598ece23881b00e3ed0306887b0c785e27e8ad3f8223207104725dd4"},
        {"ECB-AES192", 192, "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b", plain,
         "bd334f1d6e45f25ff712a214571fa5cc974104846d0ad3ad7734ecb3ecee4eef"
         "ef7afd2270e2e60adce0ba2face6444e9a4b41ba738d6c72fb16691603c18e0e"},
        {"ECB-AES256", 256, "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4",
         plain,
         "f3eed1bdb5d2a03c064b5a7e3db181f8591ccb10d410ed26dc5ba74a31362870"
         "b6ed21b99ca6f4f9f153e7b1beafed1d23304b7a39f9f3ff067d8d8f9e24ecc7"},
    };
    for (const auto& [v, engine] : EveryEngine(vectors)) {
        SCOPED_TRACE(v.name);
        ZepAes aes(engine);
        ASSERT_TRUE(aes.SetKey(FromHex(v.key).data(), v.bits));
        const std::vector<uint8_t> clear = FromHex(v.plain);
        std::vector<uint8_t> out(clear.size());
        aes.EncryptBlocks(clear.data(), out.data(), 4);
        EXPECT_EQ(out, FromHex(v.cipher));
        aes.DecryptBlocks(out.data(), out.data(), 4);  // in place
        EXPECT_EQ(out, clear);
    }
}

// The instructions against the tables on random keys and runs of blocks, so
// the runs taken several at a time and the ones left over are both met.
TEST(AesBlock, InstructionsAndTablesAgreeOnRandomInput) {
    if (!ZepAes::HasInstructions()) {
        GTEST_SKIP() << "the processor has no AES instructions";
    }
    std::mt19937 random(197);
    for (int round = 0; round < 300; ++round) {
        const uint32_t bits = 128 + 64 * static_cast<uint32_t>(round % 3);
        std::vector<uint8_t> key(bits / 8);
        for (uint8_t& b : key) {
            b = static_cast<uint8_t>(random());
        }
        const size_t blocks = 1 + random() % 40;
        std::vector<uint8_t> data(blocks * ZepAes::kBlockSize);
        for (uint8_t& b : data) {
            b = static_cast<uint8_t>(random());
        }
        ZepAes table(ZepAes::Engine::Table);
        ZepAes instructions(ZepAes::Engine::Instructions);
        ASSERT_TRUE(table.SetKey(key.data(), bits));
        ASSERT_TRUE(instructions.SetKey(key.data(), bits));
        ASSERT_FALSE(table.UsesInstructions());
        ASSERT_TRUE(instructions.UsesInstructions());
        std::vector<uint8_t> bySoftware(data.size());
        std::vector<uint8_t> byHardware(data.size());
        table.EncryptBlocks(data.data(), bySoftware.data(), blocks);
        instructions.EncryptBlocks(data.data(), byHardware.data(), blocks);
        ASSERT_EQ(bySoftware, byHardware) << round;
        table.DecryptBlocks(data.data(), bySoftware.data(), blocks);
        instructions.DecryptBlocks(data.data(), byHardware.data(), blocks);
        ASSERT_EQ(bySoftware, byHardware) << round;
        // Back again, in place.
        instructions.EncryptBlocks(byHardware.data(), byHardware.data(), blocks);
        table.EncryptBlocks(bySoftware.data(), bySoftware.data(), blocks);
        ASSERT_EQ(byHardware, bySoftware);
        ASSERT_EQ(byHardware, data);
    }
}
