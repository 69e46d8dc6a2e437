#include "platform/Cursors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/platform/CursorBytes.h"
#include "tests/platform/TempFolder.h"

namespace {

using namespace cursor_bytes;

// The pixel at (x, y) as 0xAARRGGBB.
uint32_t PixelAt(const platform::CursorImage& image, int x, int y) {
    const uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
    return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[1]) << 8 | p[0];
}

bool Decode(const Bytes& bytes, platform::CursorImage& image, std::string& error) {
    return platform::DecodeCursorImage(bytes.data(), bytes.size(), image, error);
}

TEST(Cursors, MonochromeCursorTakesColoursMaskAndHotSpot) {
    platform::CursorImage image;
    std::string error;
    ASSERT_TRUE(Decode(SmallCursor(1, 2), image, error)) << error;
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 4);
    EXPECT_EQ(image.hotX, 1);
    EXPECT_EQ(image.hotY, 2);
    EXPECT_EQ(PixelAt(image, 0, 0), 0xFFFFFFFFu);  // top row: rows are stored bottom-up
    EXPECT_EQ(PixelAt(image, 1, 0), 0xFF000000u);
    EXPECT_EQ(PixelAt(image, 0, 3), 0xFF000000u);
    EXPECT_EQ(PixelAt(image, 2, 1), 0x00000000u);
}

TEST(Cursors, PalettedTrueColourAndPngEntriesDecode) {
    // 4-bit: two pixels a byte, high nibble first; an inverting pixel (masked
    // but coloured) shows black.
    {
        std::vector<uint32_t> values = {1, 2, 0, 1};
        Bytes file = IconFile(
            2, {{2, 2, 0, 0, Dib(2, 2, 4, {0x000000, 0xFF0000, 0x00FF00}, values, {0, 0, 1, 1})}});
        platform::CursorImage image;
        std::string error;
        ASSERT_TRUE(Decode(file, image, error)) << error;
        EXPECT_EQ(PixelAt(image, 0, 0), 0xFFFF0000u);
        EXPECT_EQ(PixelAt(image, 1, 0), 0xFF00FF00u);
        EXPECT_EQ(PixelAt(image, 0, 1), 0x00000000u);
        EXPECT_EQ(PixelAt(image, 1, 1), 0xFF000000u);
    }
    // 32-bit with its own alpha and no mask rows.
    {
        Bytes file = IconFile(
            2, {{2, 1, 0, 0, Dib(2, 1, 32, {}, {0x80123456, 0xFF00FF00}, {}, /*withMask=*/false)}});
        platform::CursorImage image;
        std::string error;
        ASSERT_TRUE(Decode(file, image, error)) << error;
        EXPECT_EQ(PixelAt(image, 0, 0), 0x80123456u);
        EXPECT_EQ(PixelAt(image, 1, 0), 0xFF00FF00u);
    }
    // 32-bit whose alpha is all zero: the mask decides.
    {
        Bytes file = IconFile(2, {{2, 1, 0, 0, Dib(2, 1, 32, {}, {0x00123456, 0}, {0, 1})}});
        platform::CursorImage image;
        std::string error;
        ASSERT_TRUE(Decode(file, image, error)) << error;
        EXPECT_EQ(PixelAt(image, 0, 0), 0xFF123456u);
        EXPECT_EQ(PixelAt(image, 1, 0), 0x00000000u);
    }
    // An icon entry stored as a PNG; icons point with their centre.
    {
        const Bytes png = picture_bytes::Png(2, 2, 6,
                                             {255, 0, 0, 255, 0, 0, 255, 0,  //
                                              0, 255, 0, 255, 1, 2, 3, 128});
        platform::CursorImage image;
        std::string error;
        ASSERT_TRUE(Decode(IconFile(1, {{2, 2, 0, 0, png}}), image, error)) << error;
        EXPECT_EQ(PixelAt(image, 0, 0), 0xFFFF0000u);
        EXPECT_EQ(PixelAt(image, 1, 0), 0x000000FFu);
        EXPECT_EQ(PixelAt(image, 1, 1), 0x80010203u);
        EXPECT_EQ(image.hotX, 1);
        EXPECT_EQ(image.hotY, 1);
    }
}

TEST(Cursors, EntryNearest32IsChosenAndAnimatedCursorsGiveTheirFirstFrame) {
    const std::vector<uint32_t> mask64(64, 0);
    Bytes file =
        IconFile(2, {{4, 4, 0, 0, Dib(4, 4, 8, {0x111111}, std::vector<uint32_t>(16), {}, false)},
                     {8, 8, 5, 6, Dib(8, 8, 8, {0x222222}, std::vector<uint32_t>(64), mask64)}});
    // The first entry has no mask rows at 8 bits: choosing it would fail.
    platform::CursorImage image;
    std::string error;
    ASSERT_TRUE(Decode(file, image, error)) << error;
    EXPECT_EQ(image.width, 8);
    EXPECT_EQ(image.hotX, 5);
    EXPECT_EQ(PixelAt(image, 7, 7), 0xFF222222u);

    ASSERT_TRUE(Decode(Ani({SmallCursor(3, 0), file}), image, error)) << error;
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.hotX, 3);
    EXPECT_FALSE(Decode(Ani({SmallCursor()}, /*flags=*/0), image, error));
    EXPECT_FALSE(Decode(Ani({}), image, error));
}

TEST(Cursors, DamagedFilesAreRefusedWithAReason) {
    const Bytes good = SmallCursor();
    struct Case {
        const char* what;
        Bytes bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"header only", Bytes(good.begin(), good.begin() + 6)});
    for (size_t cut : {good.size() - 1, good.size() - 9, size_t{30}}) {
        cases.push_back({"cut short", Bytes(good.begin(), good.begin() + static_cast<long>(cut))});
    }
    Bytes wrongType = good;
    wrongType[2] = 3;
    cases.push_back({"wrong type", wrongType});
    Bytes entryOutside = good;
    entryOutside[18] = 0xFF;  // offset far past the end
    entryOutside[19] = 0xFF;
    cases.push_back({"entry outside", entryOutside});
    Bytes hugeSize = good;
    hugeSize[14] = hugeSize[15] = hugeSize[16] = hugeSize[17] = 0xFF;
    cases.push_back({"entry size overflows", hugeSize});
    Bytes manyEntries = good;
    manyEntries[4] = manyEntries[5] = 0xFF;
    cases.push_back({"directory past the end", manyEntries});
    Bytes badDepth = good;
    badDepth[22 + 14] = 16;
    cases.push_back({"16-bit", badDepth});
    Bytes compressed = good;
    compressed[22 + 16] = 1;
    cases.push_back({"compressed", compressed});
    Bytes negative = good;
    negative[22 + 8] = negative[22 + 9] = negative[22 + 10] = negative[22 + 11] = 0xF8;
    cases.push_back({"negative height", negative});
    Bytes wide = good;
    wide[22 + 5] = 0x10;  // 4096 pixels wide
    cases.push_back({"too wide", wide});
    Bytes bigPalette = good;
    bigPalette[22 + 32] = 3;
    cases.push_back({"palette larger than the depth", bigPalette});
    Bytes bigPng = picture_bytes::Png(1, 1, 6, {0, 0, 0, 0});
    bigPng[16 + 2] = 0x10;
    cases.push_back({"png too large", IconFile(1, {{0, 0, 0, 0, bigPng}})});
    Bytes ani = Ani({good});
    ani[ani.size() - good.size() - 4] = 0xFF;  // the icon chunk's size
    cases.push_back({"ani frame outside", ani});
    Bytes aniChunk = Ani({good});
    aniChunk[16] = 0xFF;  // the anih chunk's size
    cases.push_back({"ani chunk outside", aniChunk});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::CursorImage image;
        std::string error;
        EXPECT_FALSE(Decode(c.bytes, image, error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(image.pixels.empty());
    }
}

TEST(Cursors, LoadedCursorsGetHandlesOfTheirOwnAndResourcesKeepOne) {
    TempFolder folder;
    folder.Write("hand.cur", AsString(SmallCursor()));
    folder.Write("bad.cur", "not a cursor");

    const platform::CursorHandle first = platform::LoadCursorFromFile(folder / "hand.cur");
    const platform::CursorHandle second = platform::LoadCursorFromFile(folder / "HAND.CUR");
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, first);
    EXPECT_GT(first, static_cast<platform::CursorHandle>(platform::kCursorHand));
    ASSERT_NE(platform::FindLoadedCursor(first), nullptr);
    EXPECT_EQ(platform::FindLoadedCursor(first)->hotY, 2);
    EXPECT_EQ(platform::FindLoadedCursor(platform::SystemCursor(platform::kCursorArrow)), nullptr);

    std::string error;
    EXPECT_EQ(platform::LoadCursorFromFile(folder / "bad.cur", &error), 0u);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(platform::LoadCursorFromFile(folder / "missing.cur", &error), 0u);
    EXPECT_EQ(platform::LoadCursorFromFile(folder.Path(), &error), 0u);

    const Bytes bytes = SmallCursor();
    EXPECT_EQ(platform::LoadCursorResource(9101), 0u);
    ASSERT_TRUE(platform::AddCursorResource(9101, bytes.data(), bytes.size()));
    const platform::CursorHandle resource = platform::LoadCursorResource(9101);
    EXPECT_NE(resource, 0u);
    EXPECT_EQ(platform::LoadCursorResource(9101), resource);
    EXPECT_FALSE(platform::AddCursorResource(9101, bytes.data(), bytes.size(), &error));
    EXPECT_FALSE(platform::AddCursorResource(9102, bytes.data(), 10, &error));
    EXPECT_EQ(platform::LoadCursorResource(9102), 0u);
}

TEST(CursorResources, PicturesDrawnByTheProgramAreCheckedBeforeTheyAreKept) {
    auto picture = [](int width, int height, int hotX, int hotY) {
        platform::CursorImage image;
        image.width = width;
        image.height = height;
        image.hotX = hotX;
        image.hotY = hotY;
        image.pixels.assign(static_cast<size_t>(std::max(width * height, 0)) * 4, 0xFF);
        return image;
    };
    std::string error;
    EXPECT_FALSE(platform::AddCursorResource(9111, picture(0, 4, 0, 0), &error));
    EXPECT_FALSE(
        platform::AddCursorResource(9111, picture(4, platform::kMaxCursorSide + 1, 0, 0), &error));
    EXPECT_FALSE(platform::AddCursorResource(9111, picture(4, 4, 4, 0), &error));
    EXPECT_FALSE(platform::AddCursorResource(9111, picture(4, 4, 0, -1), &error));
    platform::CursorImage shortRow = picture(4, 4, 1, 1);
    shortRow.pixels.pop_back();
    EXPECT_FALSE(platform::AddCursorResource(9111, shortRow, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(platform::LoadCursorResource(9111), 0u);

    ASSERT_TRUE(platform::AddCursorResource(9111, picture(4, 3, 3, 2)));
    const auto kept = platform::FindLoadedCursor(platform::LoadCursorResource(9111));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(std::vector<int>({kept->width, kept->height, kept->hotX, kept->hotY}),
              std::vector<int>({4, 3, 3, 2}));
    EXPECT_FALSE(platform::AddCursorResource(9111, picture(4, 3, 0, 0), &error));
}

}  // namespace
