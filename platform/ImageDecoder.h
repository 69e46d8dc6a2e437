#pragma once
// Picture decoding: bytes of a PNG, JPEG, GIF (with all its frames), BMP,
// ICO, TGA, PCX, TIFF or WBMP picture become a neutral decoded picture that
// the engine turns into its own image records.
//
// Rules:
//  - The caller names the format; the bytes must be a picture of that format
//    (a PNG named as a GIF is refused), never guessed from the content.
//  - A picture with at most 256 colours that the format stores with a
//    palette stays indexed: one byte a pixel and its palette. Everything else
//    is 32-bit, the bytes blue, green, red, alpha. Rows run from the top.
//  - Each format's header is read before anything is decoded: a picture
//    wider or higher than kMaxPictureSide, or whose width x height x frames
//    passes kMaxPicturePixels, is refused without decoding it. A GIF's
//    frames are counted as they are read (each at least the picture's area)
//    and it is refused once the running total passes the cap, or above
//    kMaxPictureFrames frames.
//  - MNG and WMF pictures and damaged data are refused with a reason;
//    nothing is read outside the given bytes.
//  - Animated GIFs give every frame at the full picture size (the logical
//    screen; the first frame's extent when that is empty), each already
//    composed over the ones before it as the file says (frames of any size
//    and place, local palettes, transparency, disposal). They stay indexed
//    while every drawn colour is in the first frame's palette and every
//    uncovered pixel can take its transparent index, else all frames are
//    32-bit with alpha. Frame delays are the file's own values in
//    hundredths of a second (0 when it gives none). A frame cut short ends
//    the picture: the frames before it stay; without any it is refused.
//  - Any thread may decode: decodes run one at a time under one lock, since
//    the library's codecs are not safe to enter from two threads at once.
//    StartPictureCodecs, called once at program start, starts them all, so
//    no decode has to start one.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class PictureFormat { Bmp, Gif, Jpeg, Png, Ico, Tiff, Tga, Mng, Pcx, Wbmp, Wmf };

enum class PictureLayout {
    Bgra32,   // 4 bytes a pixel: blue, green, red, alpha
    Indexed8  // 1 byte a pixel: the palette index
};

inline constexpr int kMaxPictureSide = 65535;
inline constexpr int64_t kMaxPicturePixels = int64_t{64} << 20;  // all frames together
inline constexpr int kMaxPictureFrames = 4096;
inline constexpr int kMaxPaletteEntries = 256;

struct DecodedPicture {
    int width = 0;
    int height = 0;
    PictureLayout layout = PictureLayout::Bgra32;
    // Bgra32 only: the alpha bytes are the picture's own; otherwise they are
    // 255 and mean nothing.
    bool hasAlpha = false;
    // Indexed8 only: red, green, blue of each entry, at most 256 entries.
    std::vector<uint8_t> palette;
    int transparentIndex = -1;  // Indexed8: the transparent entry, -1 for none
    // Bgra32: the transparent colour as 0x00BBGGRR, when the picture has one.
    std::optional<uint32_t> transparentColor;
    int frameCount = 0;  // at least one after a successful decode
    // Every frame's pixels in the picture's layout, frame under frame: frame
    // f starts at f * FrameBytes(). A new[] array, so an image record can
    // take it over as it is.
    std::unique_ptr<uint8_t[]> pixels;
    // One per frame: hundredths of a second; 0 when the file gives none.
    std::vector<int> delaysCs;

    int PaletteCount() const { return static_cast<int>(palette.size() / 3); }
    int BytesPerPixel() const { return layout == PictureLayout::Indexed8 ? 1 : 4; }
    size_t FrameBytes() const {
        return static_cast<size_t>(width) * static_cast<size_t>(height) *
               static_cast<size_t>(BytesPerPixel());
    }
    size_t PixelBytes() const { return FrameBytes() * static_cast<size_t>(frameCount); }
    const uint8_t* FramePixels(int frame) const {
        return pixels.get() + FrameBytes() * static_cast<size_t>(frame);
    }
};

// Starts the library's codecs (idempotent). False when one cannot start;
// decoding a format whose codec is missing then fails with a reason.
bool StartPictureCodecs();

// Decodes `size` bytes of a picture of the given format. False, with a
// reason in `error` and `out` emptied, when it cannot.
bool DecodePicture(const uint8_t* data, size_t size, PictureFormat format, DecodedPicture& out,
                   std::string& error);

// Reads the file (names as in Files.h) and decodes it as the format its
// extension names.
bool DecodePictureFile(std::string_view path, DecodedPicture& out, std::string& error);

// The format of a lower- or upper-case extension with its dot (".jpeg" and
// ".jpg" are JPEG, ".tif" and ".tiff" TIFF); none for any other.
std::optional<PictureFormat> PictureFormatOfExtension(std::string_view extension);

}  // namespace platform
