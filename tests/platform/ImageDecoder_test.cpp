#include "platform/ImageDecoder.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/platform/PictureBytes.h"
#include "tests/platform/TempFolder.h"

using namespace platform;
using namespace picture_bytes;

namespace {

struct Decoded {
    bool ok = false;
    DecodedPicture picture;
    std::string error;
};

Decoded Decode(const Bytes& bytes, PictureFormat format) {
    Decoded d;
    d.ok = DecodePicture(bytes.data(), bytes.size(), format, d.picture, d.error);
    return d;
}

// Pixel p of frame f as blue, green, red, alpha.
std::array<uint8_t, 4> Bgra(const DecodedPicture& picture, size_t p, size_t f = 0) {
    const uint8_t* px = &picture.frames.at(f).pixels.at(p * 4);
    return {px[0], px[1], px[2], px[3]};
}

const Bytes kPalette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};

}  // namespace

TEST(ImageDecoderTest, PngKeepsAlphaPaletteAndColourKey) {
    Decoded rgba = Decode(Png(2, 1, 6, {10, 20, 30, 40, 50, 60, 70, 255}), PictureFormat::Png);
    ASSERT_TRUE(rgba.ok) << rgba.error;
    EXPECT_EQ(rgba.picture.layout, PictureLayout::Bgra32);
    EXPECT_TRUE(rgba.picture.hasAlpha);
    EXPECT_EQ(Bgra(rgba.picture, 0), (std::array<uint8_t, 4>{30, 20, 10, 40}));

    // A palette with one fully transparent entry stays indexed with that key.
    Decoded indexed =
        Decode(Png(3, 1, 3, {0, 1, 2}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {255, 0}), PictureFormat::Png);
    ASSERT_TRUE(indexed.ok) << indexed.error;
    EXPECT_EQ(indexed.picture.layout, PictureLayout::Indexed8);
    EXPECT_EQ(indexed.picture.transparentIndex, 1);
    EXPECT_EQ(indexed.picture.frames[0].pixels, (Bytes{0, 1, 2}));
    EXPECT_EQ(indexed.picture.palette, (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}));

    // RGB with a transparent colour: no alpha, the colour as 0x00BBGGRR.
    Decoded keyed =
        Decode(Png(2, 1, 2, {1, 2, 3, 4, 5, 6}, {}, {0, 4, 0, 5, 0, 6}), PictureFormat::Png);
    ASSERT_TRUE(keyed.ok) << keyed.error;
    EXPECT_FALSE(keyed.picture.hasAlpha);
    EXPECT_EQ(keyed.picture.transparentColor, 0x060504u);
    EXPECT_EQ(Bgra(keyed.picture, 0), (std::array<uint8_t, 4>{3, 2, 1, 255}));
}

TEST(ImageDecoderTest, GifFramesKeepTheirIndicesAndOwnDelays) {
    // The second frame is transparent at its bottom row and shows the first
    // frame there; delays are the file's hundredths, 0 kept as 0.
    const Bytes animated =
        Gif(2, 2, kPalette,
            {Frame({0, 0, 1, 1}, 0, 3), Frame({2, 2, 3, 3}, 5, 3), Frame({1, 2, 1, 2}, 7, 3)});
    Decoded three = Decode(animated, PictureFormat::Gif);
    ASSERT_TRUE(three.ok) << three.error;
    EXPECT_EQ(three.picture.layout, PictureLayout::Indexed8);
    EXPECT_EQ(three.picture.transparentIndex, 3);
    ASSERT_EQ(three.picture.frames.size(), 3u);
    EXPECT_EQ(three.picture.frames[1].pixels, (Bytes{2, 2, 1, 1}));
    EXPECT_EQ(three.picture.frames[2].pixels, (Bytes{1, 2, 1, 2}));
    EXPECT_EQ(three.picture.frames[0].delayCs, 0);
    EXPECT_EQ(three.picture.frames[1].delayCs, 5);
    EXPECT_EQ(three.picture.frames[2].delayCs, 7);

    // A frame with colours of its own cannot share the palette: 32-bit.
    Decoded mixed = Decode(
        Gif(2, 1, kPalette, {Frame({0, 1}, 10, 3), Frame({0, 0}, 10, -1, {9, 8, 7, 6, 5, 4})}),
        PictureFormat::Gif);
    ASSERT_TRUE(mixed.ok) << mixed.error;
    EXPECT_EQ(mixed.picture.layout, PictureLayout::Bgra32);
    EXPECT_TRUE(mixed.picture.hasAlpha);
    EXPECT_EQ(Bgra(mixed.picture, 0, 1), (std::array<uint8_t, 4>{7, 8, 9, 255}));
    EXPECT_EQ(Bgra(mixed.picture, 1, 0), (std::array<uint8_t, 4>{0, 255, 0, 255}));
}

TEST(ImageDecoderTest, TgaTiffAndWbmp) {
    Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 0x28, 1, 2, 3, 128};
    Decoded tga32 = Decode(tga, PictureFormat::Tga);
    ASSERT_TRUE(tga32.ok) << tga32.error;
    EXPECT_TRUE(tga32.picture.hasAlpha);
    EXPECT_EQ(Bgra(tga32.picture, 0), (std::array<uint8_t, 4>{1, 2, 3, 128}));

    // An uncompressed RGB TIFF: the library adds an opaque alpha channel,
    // which is not the picture's own.
    Bytes tif = {'I', 'I', 42, 0, 8, 0, 0, 0, 9, 0};
    const uint32_t data = 8 + 2 + 9 * 12 + 4;
    for (const std::array<uint32_t, 4>& e :
         std::initializer_list<std::array<uint32_t, 4>>{{256, 3, 1, 2},
                                                        {257, 3, 1, 1},
                                                        {258, 3, 3, data + 6},
                                                        {259, 3, 1, 1},
                                                        {262, 3, 1, 2},
                                                        {273, 4, 1, data},
                                                        {277, 3, 1, 3},
                                                        {278, 3, 1, 1},
                                                        {279, 4, 1, 6}}) {
        Le16(tif, e[0]), Le16(tif, e[1]), Le32(tif, e[2]), Le32(tif, e[3]);
    }
    Le32(tif, 0);
    tif.insert(tif.end(), {255, 0, 0, 0, 0, 255, 8, 0, 8, 0, 8, 0});
    Decoded tiff = Decode(tif, PictureFormat::Tiff);
    ASSERT_TRUE(tiff.ok) << tiff.error;
    EXPECT_FALSE(tiff.picture.hasAlpha);
    EXPECT_EQ(Bgra(tiff.picture, 0), (std::array<uint8_t, 4>{0, 0, 255, 255}));

    // WBMP, 10 pixels wide: a set bit is white.
    Decoded wbmp = Decode({0, 0, 10, 1, 0b10100000, 0b01000000}, PictureFormat::Wbmp);
    ASSERT_TRUE(wbmp.ok) << wbmp.error;
    EXPECT_EQ(wbmp.picture.frames[0].pixels, (Bytes{1, 0, 1, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(wbmp.picture.palette, (Bytes{0, 0, 0, 255, 255, 255}));
}

TEST(ImageDecoderTest, RefusesWhatItCannotOrMustNotRead) {
    const Bytes png = Png(1, 1, 2, {1, 2, 3});
    Decoded d = Decode(png, PictureFormat::Mng);
    EXPECT_NE(d.error.find("MNG pictures are not supported"), std::string::npos);
    EXPECT_NE(Decode(png, PictureFormat::Wmf).error.find("WMF"), std::string::npos);
    d = Decode(png, PictureFormat::Gif);  // the bytes must be of the named format
    EXPECT_FALSE(d.ok);
    EXPECT_NE(d.error.find("not a GIF"), std::string::npos);

    // Cut anywhere: refused or decoded from what is there, never read past.
    const Bytes gif = Gif(2, 2, kPalette, {Frame({0, 1, 2, 3}, 5, -1), Frame({3, 2, 1, 0}, 5, 1)});
    for (const Bytes* whole : {&png, &gif}) {
        for (size_t cut = 6; cut < whole->size(); cut += 5) {
            Decode(Bytes(whole->begin(), whole->begin() + static_cast<ptrdiff_t>(cut)),
                   whole == &png ? PictureFormat::Png : PictureFormat::Gif);
        }
    }
    EXPECT_FALSE(Decode(Bytes(png.begin(), png.end() - 13), PictureFormat::Png).ok);
    EXPECT_FALSE(Decode({}, PictureFormat::Png).ok);
    EXPECT_FALSE(Decode({0, 0, 10, 9, 0xFF}, PictureFormat::Wbmp).ok);          // rows missing
    EXPECT_FALSE(Decode({0, 0, 0x84, 0xA2, 0x70, 1}, PictureFormat::Wbmp).ok);  // 70000 wide
    d = Decode({1, 2, 3, 4, 5, 6, 7}, PictureFormat::Tga);
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(d.picture.frames.empty());
}

TEST(ImageDecoderTest, FilesAreDecodedByTheirExtension) {
    EXPECT_EQ(PictureFormatOfExtension(".JPEG"), PictureFormat::Jpeg);
    EXPECT_EQ(PictureFormatOfExtension(".pps"), std::nullopt);
    TempFolder folder;
    const Bytes gif = Gif(2, 1, kPalette, {Frame({2, 1}, 0, -1)});
    folder.Write("Face.GIF", std::string(gif.begin(), gif.end()));
    DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(DecodePictureFile(folder / "Face.GIF", picture, error)) << error;
    EXPECT_EQ(picture.frames[0].pixels, (Bytes{2, 1}));
    EXPECT_FALSE(DecodePictureFile(folder / "missing.png", picture, error));
    EXPECT_FALSE(DecodePictureFile(folder / "Face.dat", picture, error));
}
