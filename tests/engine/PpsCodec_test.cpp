#include "engine/PpsCodec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/engine/ImageRecordFactory.h"
#include "tests/engine/TempProgramFolder.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutU16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(Bytes& b, uint32_t v) {
    PutU16(b, v & 0xFFFF);
    PutU16(b, v >> 16);
}

uint32_t GetU32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

Bytes StockCompress(const Bytes& data) {
    uLongf length = compressBound(data.size());
    Bytes out(length);
    EXPECT_EQ(compress(out.data(), &length, data.data(), data.size()), Z_OK);
    out.resize(length);
    return out;
}

struct FramePlan {
    uint32_t flags;
    uint32_t delay;
    uint32_t decodedSize;
    Bytes streamA;
    Bytes streamB;
};

// A pps file written field by field from the format's tables.
Bytes BuildPps(uint8_t mode, uint32_t imageFlags, uint16_t width, uint16_t height,
               uint32_t colorKey, const Bytes& paletteBlock, uint16_t paletteCount,
               const std::vector<FramePlan>& frames, bool trailer = false,
               uint32_t trailerWord = 0) {
    uint32_t decoded = 0;
    uint32_t fileSize = 32 + static_cast<uint32_t>(paletteBlock.size()) + (trailer ? 4 : 0);
    for (const FramePlan& f : frames) {
        decoded += f.decodedSize;
        fileSize += 20 + static_cast<uint32_t>(f.streamA.size() + f.streamB.size());
    }
    Bytes b = {'p', 'p', 's', mode};
    PutU32(b, imageFlags);
    PutU16(b, static_cast<uint32_t>(frames.size()));
    PutU16(b, width);
    PutU16(b, height);
    PutU16(b, 0);
    PutU32(b, colorKey);
    PutU32(b, decoded);
    PutU32(b, fileSize);
    PutU16(b, paletteCount);
    PutU16(b, 0);
    b.insert(b.end(), paletteBlock.begin(), paletteBlock.end());
    for (const FramePlan& f : frames) {
        PutU32(b, f.flags);
        PutU32(b, f.delay);
        PutU32(b, static_cast<uint32_t>(f.streamA.size()));
        PutU32(b, static_cast<uint32_t>(f.streamB.size()));
        PutU32(b, f.decodedSize);
        b.insert(b.end(), f.streamA.begin(), f.streamA.end());
        b.insert(b.end(), f.streamB.begin(), f.streamB.end());
    }
    if (trailer) {
        PutU32(b, trailerWord);
    }
    return b;
}

Bytes Encode(const ImageRecord& record, int mode, const uint8_t* block = nullptr) {
    size_t size = 0;
    std::unique_ptr<uint8_t[]> file = EncodePps(record, block, mode, size);
    if (!file) {
        return {};
    }
    EXPECT_EQ(GetU32(Bytes(file.get(), file.get() + 32), 24), size);
    return Bytes(file.get(), file.get() + size);
}

uint32_t Decode(const Bytes& file, ImageRecord& record) {
    return DecodePpsImage(file.data(), file.size(), record);
}

Bytes PixelsOf(const ImageRecord& r) {
    return Bytes(r.pixels, r.pixels + r.byteSize);
}

// Offsets of the frame headers of a well-formed file.
std::vector<size_t> FrameOffsets(const Bytes& file) {
    const uint32_t flags = GetU32(file, 4);
    const uint16_t frames = file[8] | file[9] << 8;
    const uint16_t entries = file[28] | file[29] << 8;
    size_t at = 32 + ((flags & 2) ? 32 : (flags & 4) ? entries * 3u : 0);
    std::vector<size_t> offsets;
    for (int f = 0; f < frames; ++f) {
        offsets.push_back(at);
        at += 20 + GetU32(file, at + 8) + GetU32(file, at + 12);
    }
    return offsets;
}

// A picture with runs, noise and a repeated frame, so every coding is used.
uint32_t Busy(int x, int y) {
    const uint32_t v = static_cast<uint32_t>((x / 3) * 37 + (y % 5) * 11 + (x * y) % 7);
    return v * 0x01030507u;
}

void ExpectSamePicture(const ImageRecord& decoded, const ImageRecord& original) {
    EXPECT_EQ(decoded.width, original.width);
    EXPECT_EQ(decoded.height, original.height);
    EXPECT_EQ(decoded.frameCount, original.frameCount);
    EXPECT_EQ(decoded.flags, original.flags);
    EXPECT_EQ(decoded.colorKey, original.colorKey);
    EXPECT_EQ(PixelsOf(decoded), PixelsOf(original));
    EXPECT_EQ(decoded.paletteCount, original.paletteCount);
    if (original.palette != nullptr) {
        ASSERT_NE(decoded.palette, nullptr);
        EXPECT_EQ(std::memcmp(decoded.palette, original.palette, original.paletteCount * 3), 0);
    }
}

TEST(PpsCodecTest, PicturesRoundTripInEveryMode) {
    OwnedRecord paletted;
    MakeIndexed(*paletted, 13, 7, 2, false, 9, 40, [](int x, int y) { return Busy(x, y) % 40; });
    SetDelays(*paletted, {120, 80});
    OwnedRecord twoBytes;
    MakeIndexed(*twoBytes, 9, 6, 1, true, kNoColorKeyIndex, 256,
                [](int x, int y) { return Busy(x, y) & 0xFFFF; });
    OwnedRecord rgba;
    Make32(*rgba, 11, 5, 3, kImageAlpha, [](int x, int y) { return Busy(x, y % 5); });
    OwnedRecord rgb;  // 24-bit: no alpha plane is stored, alpha decodes as 255
    Make32(*rgb, 17, 4, 1, 0, [](int x, int y) { return Busy(x, y) | 0xFF000000u; });
    OwnedRecord keyed;  // keyed 32-bit keeps its transparent pixels
    Make32(*keyed, 6, 6, 1, kImageHasKey,
           [](int x, int y) { return x == y ? 0x00FF00FFu : Busy(x, y) | 0xFF000000u; });

    for (int mode : {1, 3, 4, 5, 6}) {
        for (ImageRecord* original : {&*paletted, &*twoBytes, &*rgba, &*rgb, &*keyed}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " flags " << original->flags);
            const Bytes file = Encode(*original, mode);
            ASSERT_FALSE(file.empty());
            OwnedRecord decoded;
            EXPECT_EQ(Decode(file, *decoded), original->byteSize);
            ExpectSamePicture(*decoded, *original);
            EXPECT_TRUE(decoded->ownsPixels);
            EXPECT_EQ(decoded->framesPerRow, 1);
        }
    }
    OwnedRecord decoded;
    Decode(Encode(*paletted, 6), *decoded);
    ASSERT_NE(decoded->delays, nullptr);
    EXPECT_EQ(decoded->delays[0], 120);
    EXPECT_EQ(decoded->delays[1], 80);
    // A 24-bit frame has plane A only.
    const Bytes rgbFile = Encode(*rgb, 6);
    EXPECT_EQ(GetU32(rgbFile, FrameOffsets(rgbFile)[0]) & kPpsFramePlanes, 0u);
    EXPECT_EQ(GetU32(rgbFile, FrameOffsets(rgbFile)[0] + 12), 0u);
}

TEST(PpsCodecTest, RepeatedFrameIsStoredAsXor) {
    OwnedRecord picture;
    Make32(*picture, 16, 16, 3, kImageAlpha, [](int x, int y) {
        const int frame = y / 16;
        return Busy(x, y % 16) + (frame == 2 ? 1u : 0u);
    });
    const Bytes file = Encode(*picture, 6);
    const std::vector<size_t> frames = FrameOffsets(file);
    EXPECT_EQ(GetU32(file, frames[0]) & kPpsFrameXor, 0u);
    EXPECT_NE(GetU32(file, frames[1]) & kPpsFrameXor, 0u);  // equal to frame 0
    EXPECT_LT(GetU32(file, frames[1] + 8) + GetU32(file, frames[1] + 12), 40u);

    OwnedRecord decoded;
    ASSERT_GT(Decode(file, *decoded), 0u);
    EXPECT_EQ(PixelsOf(*decoded), PixelsOf(*picture));
}

TEST(PpsCodecTest, TrailingWordCarriesTheSlices) {
    OwnedRecord picture;
    Make32(*picture, 4, 4, 1, kPpsImageTrailer, [](int x, int y) { return Busy(x, y); });
    picture->sliceX = -3;
    picture->sliceY = 7;
    const Bytes file = Encode(*picture, 6);
    EXPECT_EQ(GetU32(file, file.size() - 4), 0xFFFD0007u);
    OwnedRecord decoded;
    ASSERT_GT(Decode(file, *decoded), 0u);
    EXPECT_EQ(decoded->sliceX, -3);
    EXPECT_EQ(decoded->sliceY, 7);
}

TEST(PpsCodecTest, BlockPictureWithoutKeyFlagHasNoKey) {
    OwnedRecord picture;
    MakeIndexed(*picture, 5, 3, 1, false, 4, 20, [](int x, int) { return x; });
    picture->flags = kImagePpsBlock;
    Bytes block(32);
    for (size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<uint8_t>(i + 100);
    }
    Bytes file = Encode(*picture, 6, block.data());
    ASSERT_EQ(file.size(), GetU32(file, 24));
    OwnedRecord decoded;
    ASSERT_GT(Decode(file, *decoded), 0u);
    EXPECT_EQ(decoded->colorKey, kNoColorKeyIndex);
    EXPECT_EQ(std::memcmp(decoded->palette, block.data(), 32), 0);
    EXPECT_EQ(decoded->palette[32], 0);  // the rest of the 256 entries is zero

    file[4] |= kImageHasKey;  // with the key flag the stored key stays
    ASSERT_GT(Decode(file, *decoded), 0u);
    EXPECT_EQ(decoded->colorKey, 4u);
}

TEST(PpsCodecTest, HandBuiltModesDecode) {
    // Mode 1: raw 32-bit pixels.
    const Bytes raw = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    OwnedRecord decoded;
    EXPECT_EQ(Decode(BuildPps(1, 0, 2, 2, 0, {}, 0, {{0, 0, 16, raw, {}}}), *decoded), 16u);
    EXPECT_EQ(PixelsOf(*decoded), raw);

    // Mode 3: 32-bit planes, both run-length coded: a run of three pixels
    // then a literal pixel; alpha bytes as a literal of four.
    const Bytes colour = {3 << 2 | 0, 10, 20, 30, 1 << 2 | 1, 40, 50, 60};
    const Bytes alpha = {4 << 2 | 1, 0, 85, 170, 255};
    ASSERT_EQ(
        Decode(BuildPps(3, kImageAlpha, 4, 1, 0, {}, 0, {{4, 0, 16, colour, alpha}}), *decoded),
        16u);
    EXPECT_EQ(PixelsOf(*decoded),
              (Bytes{10, 20, 30, 0, 10, 20, 30, 85, 10, 20, 30, 170, 40, 50, 60, 255}));

    // Mode 4: two-byte indexed, indices run-length coded, alpha by zlib.
    const Bytes palette = {1, 2, 3, 4, 5, 6};
    const Bytes alphas = {9, 8, 7};
    ASSERT_EQ(Decode(BuildPps(4, kImagePalette | kImageAlpha, 3, 1, 256, palette, 2,
                              {{5, 0, 6, {3 << 2, 1}, StockCompress(alphas)}}),
                     *decoded),
              6u);
    EXPECT_EQ(PixelsOf(*decoded), (Bytes{1, 9, 1, 8, 1, 7}));
    EXPECT_EQ(decoded->paletteCount, 2);
    EXPECT_EQ(decoded->palette[5], 6);

    // Mode 5: one-byte indexed by zlib, two frames with delays.
    const Bytes f0 = {0, 1, 1, 0};
    const Bytes f1 = {1, 1, 1, 1};
    ASSERT_EQ(
        Decode(BuildPps(5, kImagePalette | kImageDelays, 2, 2, 0, palette, 2,
                        {{1, 30, 4, StockCompress(f0), {}}, {1, 40, 4, StockCompress(f1), {}}}),
               *decoded),
        8u);
    EXPECT_EQ(PixelsOf(*decoded), (Bytes{0, 1, 1, 0, 1, 1, 1, 1}));
    EXPECT_EQ(decoded->delays[1], 40);

    // Mode 6: zlib stream A, the second frame an XOR of the first.
    const Bytes xorBytes = {1, 0, 0, 1};
    ASSERT_EQ(Decode(BuildPps(6, kImagePalette, 2, 2, 0, palette, 2,
                              {{0x21, 0, 4, StockCompress(f0), {}},
                               {0x61, 0, 4, StockCompress(xorBytes), {}}}),
                     *decoded),
              8u);
    EXPECT_EQ(PixelsOf(*decoded), (Bytes{0, 1, 1, 0, 1, 1, 1, 1}));
}

TEST(PpsCodecTest, RunLengthFormsAtTheirBoundaries) {
    size_t length = 0;
    const Bytes run63(63, 7);
    std::unique_ptr<uint8_t[]> code = RleEncodeBytes(run63.data(), run63.size(), length);
    EXPECT_EQ(Bytes(code.get(), code.get() + length), (Bytes{63 << 2 | 0, 7}));

    const Bytes run64(64, 7);
    code = RleEncodeBytes(run64.data(), run64.size(), length);
    EXPECT_EQ(Bytes(code.get(), code.get() + length), (Bytes{0 << 2 | 2, 1, 7}));

    Bytes run16384(16384, 5);
    code = RleEncodeBytes(run16384.data(), run16384.size(), length);
    EXPECT_EQ(Bytes(code.get(), code.get() + length), (Bytes{63 << 2 | 2, 255, 5, 1 << 2 | 0, 5}));

    Bytes literal(64);
    for (size_t i = 0; i < literal.size(); ++i) {
        literal[i] = static_cast<uint8_t>(i);
    }
    literal.push_back(63);  // ends in a run of two
    code = RleEncodeBytes(literal.data(), literal.size(), length);
    ASSERT_EQ(length, 1u + 63 + 2);
    EXPECT_EQ(code[0], 63 << 2 | 1);
    EXPECT_EQ(code[64], 2 << 2 | 0);

    const Bytes pixels = {1, 2, 3, 1, 2, 3, 1, 2, 3, 9, 9, 9};
    code = RleEncodePixels(pixels.data(), pixels.size(), length);
    EXPECT_EQ(Bytes(code.get(), code.get() + length),
              (Bytes{3 << 2 | 0, 1, 2, 3, 1 << 2 | 1, 9, 9, 9}));
    Bytes back(12);
    EXPECT_TRUE(DecodePpsStream(code.get(), length, back.data(), back.size(), 0));
    EXPECT_EQ(back, pixels);

    // Both directions over longer mixed data, with byte and pixel units.
    Bytes mixed(50000);
    for (size_t i = 0; i < mixed.size(); ++i) {
        mixed[i] = static_cast<uint8_t>((i / 700) % 3 == 0 ? 42 : (i * 2654435761u) >> 13);
    }
    for (uint32_t flags : {kPpsFrameIndexed, 0u}) {
        code = flags ? RleEncodeBytes(mixed.data(), mixed.size() - 2, length)
                     : RleEncodePixels(mixed.data(), mixed.size() - 2, length);
        Bytes out(mixed.size() - 2);
        ASSERT_TRUE(DecodePpsStream(code.get(), length, out.data(), out.size(), flags));
        EXPECT_TRUE(std::equal(out.begin(), out.end(), mixed.begin()));
        EXPECT_FALSE(DecodePpsStream(code.get(), length, out.data(), out.size() - 1, flags));
        EXPECT_FALSE(DecodePpsStream(code.get(), length - 1, out.data(), out.size(), flags));
    }
    EXPECT_EQ(RleEncodePixels(pixels.data(), 10, length), nullptr);  // not whole pixels
}

TEST(PpsCodecTest, SavePpsWritesTheFileAndRefusesOtherData) {
    TempProgramFolder folder;
    OwnedRecord picture;
    MakeIndexed(*picture, 6, 6, 1, false, 2, 16, [](int x, int y) { return (x + y) % 16; });
    size_t size = 0;
    std::unique_ptr<uint8_t[]> file = EncodePps(*picture, nullptr, 6, size);
    ASSERT_TRUE(file);
    const std::string path = folder.Path() + "\\saved.pps";
    EXPECT_TRUE(SavePps(file.get(), size, path));
    const std::string saved = folder.Read("saved.pps");
    ASSERT_EQ(saved.size(), size);
    OwnedRecord decoded;
    ASSERT_GT(
        DecodePpsImage(reinterpret_cast<const uint8_t*>(saved.data()), saved.size(), *decoded), 0u);
    ExpectSamePicture(*decoded, *picture);

    EXPECT_FALSE(SavePps(file.get(), size - 1, folder.Path() + "/short.pps"));
    file[1] = 'q';
    EXPECT_FALSE(SavePps(file.get(), size, folder.Path() + "/bad.pps"));
    EXPECT_FALSE(folder.Exists("bad.pps"));
    EXPECT_EQ(DecodePpsImage(file.get(), size, *decoded), 0u);
    EXPECT_EQ(decoded->pixels, nullptr);
}

TEST(PpsCodecTest, EncoderRefusesWhatItCannotWrite) {
    OwnedRecord picture;
    Make32(*picture, 4, 4, 2, 0, [](int x, int y) { return Busy(x, y); });
    size_t size = 0;
    EXPECT_EQ(EncodePps(*picture, nullptr, 2, size), nullptr);
    EXPECT_EQ(EncodePps(*picture, nullptr, 7, size), nullptr);
    picture->byteSize -= 1;  // the second frame is short
    EXPECT_EQ(EncodePps(*picture, nullptr, 6, size), nullptr);
    picture->byteSize += 1;
    picture->framesPerRow = 2;
    EXPECT_EQ(EncodePps(*picture, nullptr, 6, size), nullptr);
    EXPECT_EQ(size, 0u);
    OwnedRecord empty;
    EXPECT_EQ(EncodePps(*empty, nullptr, 6, size), nullptr);
}

// A valid mode-6 two-frame 32-bit file with alpha plane and trailer.
Bytes SampleFile() {
    OwnedRecord picture;
    Make32(*picture, 7, 5, 2, kImageAlpha | kImageDelays | kPpsImageTrailer,
           [](int x, int y) { return Busy(x, y); });
    SetDelays(*picture, {10, 20});
    return Encode(*picture, 6);
}

TEST(PpsCodecTest, InconsistentHeadersAreRefused) {
    const Bytes good = SampleFile();
    OwnedRecord decoded;
    ASSERT_GT(Decode(good, *decoded), 0u);
    const size_t frame0 = FrameOffsets(good)[0];
    const size_t frame1 = FrameOffsets(good)[1];

    auto refused = [&](const char* what, auto change) {
        Bytes file = good;
        change(file);
        EXPECT_EQ(Decode(file, *decoded), 0u) << what;
        EXPECT_EQ(decoded->pixels, nullptr) << what;
    };
    auto setU32 = [](Bytes& b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            b[at + i] = static_cast<uint8_t>(v >> (8 * i));
        }
    };
    refused("mode 2", [](Bytes& b) { b[3] = 2; });
    refused("mode 9", [](Bytes& b) { b[3] = 9; });
    refused("no frames", [](Bytes& b) { b[8] = b[9] = 0; });
    refused("zero width", [](Bytes& b) { b[10] = b[11] = 0; });
    refused("more frames than stored", [](Bytes& b) { b[8] = 3; });
    refused("decoded size too small", [&](Bytes& b) { setU32(b, 20, GetU32(good, 20) - 4); });
    refused("decoded size too large", [&](Bytes& b) { setU32(b, 20, GetU32(good, 20) + 4); });
    refused("palette past 256", [](Bytes& b) {
        b[4] |= kImagePalette;
        b[28] = 1;
        b[29] = 1;
    });
    refused("frame size against flags", [&](Bytes& b) { setU32(b, frame0 + 16, 7 * 5 * 2); });
    refused("indexed frame in a 32-bit picture", [&](Bytes& b) { b[frame1] |= 1; });
    refused("stream A one byte short",
            [&](Bytes& b) { setU32(b, frame0 + 8, GetU32(good, frame0 + 8) - 1); });
    refused("wrong coding flag", [&](Bytes& b) { b[frame0] ^= kPpsFrameRle | kPpsFrameZlib; });
    refused("trailer cut off", [](Bytes& b) { b.resize(b.size() - 1); });
    refused("bad magic", [](Bytes& b) { b[0] = 'P'; });
}

TEST(PpsCodecTest, XorNeedsAPreviousFrameOfTheSameSize) {
    // One-byte indexed picture whose second frame holds 4-byte pixels: sizes
    // add up, so only the XOR rule decides.
    const Bytes palette = {1, 2, 3};
    OwnedRecord decoded;
    const Bytes plain = BuildPps(1, kImagePalette, 1, 1, 256, palette, 1,
                                 {{1, 0, 1, {5}, {}}, {0, 0, 4, {1, 2, 3, 4}, {}}});
    EXPECT_EQ(Decode(plain, *decoded), 5u);
    const Bytes xored = BuildPps(1, kImagePalette, 1, 1, 256, palette, 1,
                                 {{1, 0, 1, {5}, {}}, {0x40, 0, 4, {1, 2, 3, 4}, {}}});
    EXPECT_EQ(Decode(xored, *decoded), 0u);
    // The first frame's XOR flag has nothing to apply to.
    const Bytes first = BuildPps(1, kImagePalette, 1, 1, 256, palette, 1, {{0x41, 0, 1, {5}, {}}});
    EXPECT_EQ(Decode(first, *decoded), 1u);
    EXPECT_EQ(decoded->pixels[0], 5);
}

TEST(PpsCodecTest, LengthsPastTheEndAndTruncationsAreRefused) {
    const Bytes good = SampleFile();
    OwnedRecord decoded;
    std::vector<size_t> lengthFields = {20, 24};
    for (size_t frame : FrameOffsets(good)) {
        lengthFields.insert(lengthFields.end(), {frame + 8, frame + 12, frame + 16});
    }
    for (size_t at : lengthFields) {
        for (uint32_t value : {0xFFFFFFFFu, 0x80000000u, static_cast<uint32_t>(good.size())}) {
            Bytes file = good;
            for (int i = 0; i < 4; ++i) {
                file[at + i] = static_cast<uint8_t>(value >> (8 * i));
            }
            const uint32_t result = Decode(file, *decoded);
            if (at != 24) {  // the stored file size is not needed to decode
                EXPECT_EQ(result, 0u) << "field at " << at << " = " << value;
            }
        }
    }
    for (size_t size = 0; size < good.size(); ++size) {
        Bytes cut(good.begin(), good.begin() + size);
        EXPECT_EQ(Decode(cut, *decoded), 0u) << size;
    }
    EXPECT_EQ(DecodePpsImage(nullptr, 100, *decoded), 0u);
}

TEST(PpsCodecTest, RandomMutationsNeverReadOutsideTheInput) {
    std::mt19937 random(20240305);
    std::vector<Bytes> seeds = {SampleFile()};
    OwnedRecord paletted;
    MakeIndexed(*paletted, 9, 4, 3, true, 3, 30,
                [](int x, int y) { return Busy(x, y) % 30 | 0x4000; });
    for (int mode : {1, 3, 4, 5, 6}) {
        seeds.push_back(Encode(*paletted, mode));
    }
    int decodedCount = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes file = seeds[round % seeds.size()];
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c) {
            const size_t at = random() % file.size();
            switch (random() % 3) {
                case 0:
                    file[at] = static_cast<uint8_t>(random());
                    break;
                case 1:
                    file[at] ^= static_cast<uint8_t>(1u << (random() % 8));
                    break;
                default:
                    file.resize(at + 1);
                    break;
            }
        }
        // An exact-size copy, so that any read past the end is caught.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[file.size()]);
        std::memcpy(exact.get(), file.data(), file.size());
        OwnedRecord decoded;
        const uint32_t size = DecodePpsImage(exact.get(), file.size(), *decoded);
        if (size > 0) {
            ++decodedCount;
            ASSERT_EQ(decoded->byteSize, size);
            const uint64_t pixels = uint64_t{decoded->width} * decoded->height;
            EXPECT_GE(size, pixels * decoded->frameCount * GetBytesPerPixel(*decoded));
        }
    }
    EXPECT_GT(decodedCount, 0);  // some mutations leave a valid picture
}

}  // namespace
