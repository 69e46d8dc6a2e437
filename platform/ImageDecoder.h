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
//  - MNG and WMF pictures, damaged data, and pictures wider or higher than
//    kMaxPictureSide are refused with a reason; nothing is read outside the
//    given bytes.
//  - Animated GIFs give every frame at the full picture size, each already
//    composed over the ones before it as the file says; they stay indexed
//    while every frame's colours are in the first frame's palette, else all
//    frames are 32-bit with alpha. Frame delays are the file's own values in
//    hundredths of a second (0 when it gives none). When the later frames
//    cannot be read, the first one is the picture.
//  - Decoding runs on the UI thread (the library starts its codecs lazily
//    and not thread-safely).

#include <cstddef>
#include <cstdint>
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
inline constexpr int kMaxPaletteEntries = 256;

struct DecodedFrame {
    std::vector<uint8_t> pixels;  // width * height pixels of the picture's layout
    int delayCs = 0;              // hundredths of a second; 0 when the file gives none
};

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
    std::vector<DecodedFrame> frames;  // at least one after a successful decode

    int PaletteCount() const { return static_cast<int>(palette.size() / 3); }
};

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
