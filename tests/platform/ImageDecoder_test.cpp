#include "platform/ImageDecoder.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>
#include <vector>

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

// The bytes of frame f; empty when the picture has no such frame.
Bytes FrameOf(const DecodedPicture& picture, int f = 0) {
    if (f < 0 || f >= picture.frameCount || !picture.pixels) {
        return {};
    }
    const uint8_t* begin = picture.FramePixels(f);
    return Bytes(begin, begin + picture.FrameBytes());
}

// Pixel p of frame f as blue, green, red, alpha.
std::array<uint8_t, 4> Bgra(const DecodedPicture& picture, size_t p, int f = 0) {
    const Bytes frame = FrameOf(picture, f);
    if (picture.layout != PictureLayout::Bgra32 || frame.size() < p * 4 + 4) {
        ADD_FAILURE() << "no 32-bit pixel " << p << " in frame " << f;
        return {};
    }
    return {frame[p * 4], frame[p * 4 + 1], frame[p * 4 + 2], frame[p * 4 + 3]};
}

const Bytes kPalette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

Bytes FromHex(const std::string& hex) {
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

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
    EXPECT_EQ(FrameOf(indexed.picture, 0), (Bytes{0, 1, 2}));
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
    ASSERT_EQ(three.picture.frameCount, 3);
    EXPECT_EQ(FrameOf(three.picture, 1), (Bytes{2, 2, 1, 1}));
    EXPECT_EQ(FrameOf(three.picture, 2), (Bytes{1, 2, 1, 2}));
    EXPECT_EQ(three.picture.delaysCs, (std::vector<int>{0, 5, 7}));

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
    EXPECT_EQ(FrameOf(wbmp.picture, 0), (Bytes{1, 0, 1, 0, 0, 0, 0, 0, 0, 1}));
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

    EXPECT_FALSE(Decode(Bytes(png.begin(), png.end() - 13), PictureFormat::Png).ok);
    EXPECT_FALSE(Decode({}, PictureFormat::Png).ok);
    EXPECT_FALSE(Decode({0, 0, 10, 9, 0xFF}, PictureFormat::Wbmp).ok);          // rows missing
    EXPECT_FALSE(Decode({0, 0, 0x84, 0xA2, 0x70, 1}, PictureFormat::Wbmp).ok);  // 70000 wide
    // A PCX line length the library would take as negative.
    Bytes pcx = {0x0A, 5, 1, 8, 0, 0, 0, 0, 3, 0, 2, 0};
    pcx.resize(128, 0);
    pcx[65] = 1, pcx[66] = 0x01, pcx[67] = 0xE4;
    pcx.resize(200, 0x11);
    d = Decode(pcx, PictureFormat::Pcx);
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(Contains(d.error, "layout")) << d.error;
    d = Decode({1, 2, 3, 4, 5, 6, 7}, PictureFormat::Tga);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.picture.frameCount, 0);
    EXPECT_EQ(d.picture.pixels, nullptr);
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
    EXPECT_EQ(FrameOf(picture, 0), (Bytes{2, 1}));
    EXPECT_FALSE(DecodePictureFile(folder / "missing.png", picture, error));
    EXPECT_FALSE(DecodePictureFile(folder / "Face.dat", picture, error));
}

TEST(ImageDecoderTest, GifFramesOfAnySizePlaceAndPaletteAreComposed) {
    // Screen 3 x 2. A smaller frame with a local palette whose colours are
    // all in the first palette, a frame cleared after showing (disposal 2)
    // and a frame of nothing but its transparent index.
    GifFrame cleared = Placed(Frame({1, 1, 1}, 0, -1), 0, 1, 3, 1);
    cleared.disposal = 2;
    const std::vector<GifFrame> frames = {
        Frame({0, 0, 0, 0, 0, 0}, 1, 3),
        Placed(Frame({0, 1}, 2, -1, {0, 0, 255, 255, 0, 0}), 1, 0, 2, 1),
        cleared,
        Placed(Frame({3}, 4, 3), 2, 0, 1, 1),
    };
    Decoded indexed = Decode(Gif(3, 2, kPalette, frames), PictureFormat::Gif);
    ASSERT_TRUE(indexed.ok) << indexed.error;
    EXPECT_EQ(indexed.picture.layout, PictureLayout::Indexed8);
    EXPECT_EQ(indexed.picture.width, 3);
    EXPECT_EQ(indexed.picture.height, 2);
    EXPECT_EQ(indexed.picture.transparentIndex, 3);
    EXPECT_EQ(indexed.picture.palette, kPalette);
    EXPECT_EQ(FrameOf(indexed.picture, 1), (Bytes{0, 2, 0, 0, 0, 0}));
    EXPECT_EQ(FrameOf(indexed.picture, 2), (Bytes{0, 2, 0, 1, 1, 1}));
    EXPECT_EQ(FrameOf(indexed.picture, 3), (Bytes{0, 2, 0, 3, 3, 3}));
    EXPECT_EQ(indexed.picture.delaysCs, (std::vector<int>{1, 2, 0, 4}));

    // Without a transparent index in the first frame the cleared row has no
    // index to take: 32-bit, the row transparent.
    std::vector<GifFrame> opaqueFirst = frames;
    opaqueFirst[0].transparent = -1;
    Decoded bgra = Decode(Gif(3, 2, kPalette, opaqueFirst), PictureFormat::Gif);
    ASSERT_TRUE(bgra.ok) << bgra.error;
    EXPECT_EQ(bgra.picture.layout, PictureLayout::Bgra32);
    EXPECT_EQ(Bgra(bgra.picture, 1, 1), (std::array<uint8_t, 4>{255, 0, 0, 255}));
    EXPECT_EQ(Bgra(bgra.picture, 4, 2), (std::array<uint8_t, 4>{0, 255, 0, 255}));
    EXPECT_EQ(Bgra(bgra.picture, 4, 3), (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(Bgra(bgra.picture, 0, 3), (std::array<uint8_t, 4>{0, 0, 255, 255}));
}

TEST(ImageDecoderTest, GifDisposalInterlaceAndEmptyScreen) {
    // Disposal 3 puts back what was under the frame; a frame reaching past
    // the screen is cut at its edge.
    GifFrame restored = Frame({2, 2}, 0, -1);
    restored.disposal = 3;
    Decoded d =
        Decode(Gif(2, 1, kPalette,
                   {Frame({0, 1}, 0, -1), restored, Placed(Frame({2, 3, 3}, 0, -1), 1, 0, 3, 1)}),
               PictureFormat::Gif);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(FrameOf(d.picture, 1), (Bytes{2, 2}));
    EXPECT_EQ(FrameOf(d.picture, 2), (Bytes{0, 2}));

    // Interlaced rows come back in display order.
    GifFrame interlaced = Frame({0, 0, 1, 1, 2, 2, 3, 3, 0, 1}, 0, -1);
    interlaced.interlaced = true;
    d = Decode(Gif(2, 5, kPalette, {interlaced}), PictureFormat::Gif);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(FrameOf(d.picture), (Bytes{0, 0, 1, 1, 2, 2, 3, 3, 0, 1}));

    // An empty screen takes the first frame's extent; the uncovered pixel
    // is transparent.
    d = Decode(Gif(0, 0, kPalette, {Placed(Frame({1, 2}, 0, 3), 1, 0, 2, 1)}), PictureFormat::Gif);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.picture.width, 3);
    EXPECT_EQ(FrameOf(d.picture), (Bytes{3, 1, 2}));

    // A transparent index past the table is no key: a picture that needs
    // one for uncovered pixels becomes 32-bit.
    d = Decode(Gif(2, 1, kPalette, {Frame({1, 2}, 0, 200)}), PictureFormat::Gif);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.picture.layout, PictureLayout::Indexed8);
    EXPECT_EQ(d.picture.transparentIndex, -1);
    d = Decode(Gif(3, 1, kPalette, {Placed(Frame({1, 2}, 0, 200), 0, 0, 2, 1)}),
               PictureFormat::Gif);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.picture.layout, PictureLayout::Bgra32);
    EXPECT_EQ(Bgra(d.picture, 2), (std::array<uint8_t, 4>{0, 0, 0, 0}));
}

TEST(ImageDecoderTest, EveryPrefixOfAPictureDecodesOrIsRefusedCleanly) {
    GifFrame local = Frame({3, 2, 1, 0}, 5, 1, {9, 9, 9, 8, 8, 8});
    local.interlaced = true;
    const Bytes gif = Gif(2, 2, kPalette, {Frame({0, 1, 2, 3}, 5, -1), local});
    const Bytes png = Png(3, 2, 3, {0, 1, 2, 2, 1, 0}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {255, 0});
    for (const auto& [whole, format] :
         {std::pair{&gif, PictureFormat::Gif}, std::pair{&png, PictureFormat::Png}}) {
        for (size_t cut = 0; cut <= whole->size(); ++cut) {
            SCOPED_TRACE(cut);
            const Decoded d =
                Decode(Bytes(whole->begin(), whole->begin() + static_cast<ptrdiff_t>(cut)), format);
            if (d.ok) {
                EXPECT_GE(d.picture.frameCount, 1);
                EXPECT_NE(d.picture.pixels, nullptr);
                EXPECT_EQ(d.picture.delaysCs.size(), static_cast<size_t>(d.picture.frameCount));
            } else {
                EXPECT_FALSE(d.error.empty());
                EXPECT_EQ(d.picture.pixels, nullptr);
            }
        }
    }
    // A GIF cut inside its second frame keeps the first.
    const Decoded firstOnly = Decode(Bytes(gif.begin(), gif.end() - 6), PictureFormat::Gif);
    ASSERT_TRUE(firstOnly.ok) << firstOnly.error;
    EXPECT_EQ(firstOnly.picture.frameCount, 1);
    EXPECT_EQ(FrameOf(firstOnly.picture), (Bytes{0, 1, 2, 3}));
}

TEST(ImageDecoderTest, HostileGifWithARunawayLzwStreamIsReadSafely) {
    Bytes hostile = FromHex(
        "474946383961000000000000002c000000000005000500050500000000000500000000000500000000000500"
        "0000000004000000000800000008000000004700000000000000000000000000000000000047000000000000"
        "d7d7d700000000d7d7");
    hostile.resize(hostile.size() + 46, 0);
    for (size_t cut = 0; cut <= hostile.size(); ++cut) {
        const Decoded d =
            Decode(Bytes(hostile.begin(), hostile.begin() + static_cast<ptrdiff_t>(cut)),
                   PictureFormat::Gif);
        EXPECT_EQ(d.ok, d.picture.pixels != nullptr);
    }
}

TEST(ImageDecoderTest, PicturesPastTheSizeCapAreRefusedFromTheirHeaders) {
    // Each side is allowed, the area is not: 20000 x 20000 is 400 megapixels.
    const Bytes bigPng = Png(20000, 20000, 2, {});
    const Bytes bigJpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xC0, 0x00, 0x0B,
                           0x08, 0x4E, 0x20, 0x4E, 0x20, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xD9};
    Bytes bigBmp = {'B', 'M'};
    bigBmp.resize(14, 0);
    for (uint32_t v : {40u, 20000u, 20000u}) {
        Le32(bigBmp, v);
    }
    Le16(bigBmp, 1), Le16(bigBmp, 24);
    bigBmp.resize(54, 0);
    Bytes bigIco = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0};
    Le32(bigIco, 40), Le32(bigIco, 22);
    for (uint32_t v : {40u, 20000u, 40000u}) {
        Le32(bigIco, v);
    }
    Le16(bigIco, 1), Le16(bigIco, 32);
    bigIco.resize(62, 0);
    Bytes bigTga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Le16(bigTga, 20000), Le16(bigTga, 20000);
    bigTga.insert(bigTga.end(), {24, 0});
    Bytes bigPcx = {0x0A, 5, 1, 8, 0, 0, 0, 0};
    Le16(bigPcx, 19999), Le16(bigPcx, 19999);
    bigPcx.resize(128, 0);
    bigPcx[65] = 3;
    bigPcx[66] = 0x20, bigPcx[67] = 0x4E;  // 20000 bytes a line
    Bytes bigTiff = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 2};
    bigTiff.insert(bigTiff.end(), {1, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0x4E, 0x20});  // width
    bigTiff.insert(bigTiff.end(), {1, 1, 0, 3, 0, 0, 0, 1, 0x4E, 0x20, 0, 0});  // length
    const Bytes bigWbmp = {0, 0, 0x81, 0x9C, 0x20, 0x81, 0x9C, 0x20};
    for (const auto& [bytes, format] : std::initializer_list<std::pair<Bytes, PictureFormat>>{
             {bigPng, PictureFormat::Png},
             {bigJpeg, PictureFormat::Jpeg},
             {bigBmp, PictureFormat::Bmp},
             {bigIco, PictureFormat::Ico},
             {bigTga, PictureFormat::Tga},
             {bigPcx, PictureFormat::Pcx},
             {bigTiff, PictureFormat::Tiff},
             {bigWbmp, PictureFormat::Wbmp},
         }) {
        const Decoded d = Decode(bytes, format);
        EXPECT_FALSE(d.ok);
        EXPECT_TRUE(Contains(d.error, "20000x20000 pixels is too large")) << d.error;
    }

    // A TIFF naming its width twice (a small one, then a huge one) or as a
    // BYTE has no size that decoders agree on: refused before decoding.
    for (const Bytes& entries :
         {Bytes{1, 0, 0, 3, 0, 0, 0, 1, 0, 4, 0, 0, 1, 0, 0, 3, 0, 0, 0, 1, 0xFF, 4, 0, 0},
          Bytes{1, 0, 0, 1, 0, 0, 0, 1, 4, 0, 0, 0, 1, 0, 0, 3, 0, 0, 0, 1, 0, 4, 0, 0}}) {
        Bytes twice = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 3};
        twice.insert(twice.end(), entries.begin(), entries.end());
        twice.insert(twice.end(), {1, 1, 0, 3, 0, 0, 0, 1, 0x4F, 0x0A, 0, 0});  // length
        const Decoded d = Decode(twice, PictureFormat::Tiff);
        EXPECT_FALSE(d.ok);
        EXPECT_TRUE(Contains(d.error, "no readable size")) << d.error;
    }

    // A TGA header of 25700 x 25424 pixels and a GIF whose first frame
    // makes its empty screen 72474 pixels a side.
    Decoded tga = Decode(FromHex("000002000000250063642863646450632021"), PictureFormat::Tga);
    EXPECT_FALSE(tga.ok);
    EXPECT_TRUE(Contains(tga.error, "25700x25424 pixels is too large")) << tga.error;
    Decoded gif =
        Decode(FromHex("474946383961040100000001002c8d8d8d8d8d8d8d8d0400"), PictureFormat::Gif);
    EXPECT_FALSE(gif.ok);
    EXPECT_TRUE(Contains(gif.error, "72474x72474 is not supported")) << gif.error;
}

TEST(ImageDecoderTest, GifFramesCountTowardsTheCapAsTheyAreRead) {
    // Every frame counts at least the screen: 4096 x 4096 is 16 megapixels,
    // so the fifth 1 x 1 frame passes 64 megapixels.
    std::vector<GifFrame> tiny(5, Placed(Frame({1}, 0, -1), 0, 0, 1, 1));
    Decoded d = Decode(Gif(4096, 4096, kPalette, tiny), PictureFormat::Gif);
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(Contains(d.error, "too large")) << d.error;

    // A small screen is held to a frame count instead.
    std::vector<GifFrame> many(kMaxPictureFrames + 1, Frame({1}, 0, -1));
    d = Decode(Gif(1, 1, kPalette, many), PictureFormat::Gif);
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(Contains(d.error, "frames")) << d.error;
    many.pop_back();
    d = Decode(Gif(1, 1, kPalette, many), PictureFormat::Gif);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.picture.frameCount, kMaxPictureFrames);
}

TEST(ImageDecoderTest, TwoThreadsDecodeAtOnceAndBothGetWholePictures) {
    ASSERT_TRUE(StartPictureCodecs());
    const Bytes png = Png(2, 1, 6, {10, 20, 30, 40, 50, 60, 70, 255});
    const Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 0x28, 1, 2, 3, 128};
    constexpr int kRounds = 200;
    auto decodeMany = [](const Bytes& bytes, PictureFormat format, int& good) {
        for (int i = 0; i < kRounds; ++i) {
            Decoded d = Decode(bytes, format);
            good += d.ok && d.picture.width >= 1 ? 1 : 0;
        }
    };
    int goodPng = 0;
    int goodTga = 0;
    std::thread other([&] { decodeMany(tga, PictureFormat::Tga, goodTga); });
    decodeMany(png, PictureFormat::Png, goodPng);
    other.join();
    EXPECT_EQ(goodPng, kRounds);
    EXPECT_EQ(goodTga, kRounds);
    Decoded last = Decode(png, PictureFormat::Png);
    EXPECT_EQ(Bgra(last.picture, 0), (std::array<uint8_t, 4>{30, 20, 10, 40}));
}
