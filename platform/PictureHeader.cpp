#include "platform/PictureHeader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/ByteReader.h"

namespace platform::detail {

namespace {

bool Fail(std::string& error, std::string reason) {
    error = std::move(reason);
    return false;
}

bool HasPrefix(std::span<const uint8_t> bytes, std::span<const uint8_t> prefix) {
    return bytes.size() >= prefix.size() &&
           std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Every chunk up to IEND lies whole inside the bytes. The PNG loader under
// the library does not see the end of its input (a short read leaves its
// buffer as it was), so a cut picture could keep it reading one chunk
// forever; a cut picture is refused here instead.
bool PngChunksAreWhole(ByteReader& r) {
    for (;;) {
        uint32_t length = 0;
        char tag[5] = {};
        if (!r.U32Be(length) || length > 0x7FFFFFFFu || !r.Tag(tag) ||
            !r.Skip(size_t{length} + 4)) {
            return false;
        }
        if (std::strcmp(tag, "IEND") == 0) {
            return true;
        }
    }
}

// The signature, then the IHDR chunk, which must come first.
bool ReadPngSize(std::span<const uint8_t> bytes, PictureSize& size, std::string& error) {
    ByteReader r(bytes);
    uint32_t length = 0, width = 0, height = 0;
    char tag[5] = {};
    if (!HasPrefix(bytes, kPngSignature) || !r.Skip(sizeof kPngSignature) || !r.U32Be(length) ||
        !r.Tag(tag) || std::strcmp(tag, "IHDR") != 0 || length < 8 || !r.U32Be(width) ||
        !r.U32Be(height)) {
        return Fail(error, "the PNG picture has no header");
    }
    r.Seek(sizeof kPngSignature);
    if (!PngChunksAreWhole(r)) {
        return Fail(error, "the PNG picture is cut short");
    }
    size = {width, height};
    return true;
}

bool IsJpegFrameMarker(uint8_t marker) {
    // SOF0 to SOF15, without DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the segments from SOI to the first frame header.
bool ReadJpegSize(std::span<const uint8_t> bytes, PictureSize& size, std::string& error) {
    ByteReader r(bytes);
    uint8_t a = 0, b = 0;
    if (!r.U8(a) || !r.U8(b) || a != 0xFF || b != 0xD8) {
        return Fail(error, "not a JPEG picture");
    }
    for (;;) {
        uint8_t marker = 0;
        if (!r.U8(marker) || marker != 0xFF) {
            return Fail(error, "the JPEG picture has no frame header");
        }
        while (marker == 0xFF) {  // fill bytes
            if (!r.U8(marker)) {
                return Fail(error, "the JPEG picture has no frame header");
            }
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            continue;  // markers without a segment
        }
        uint16_t length = 0;
        if (marker == 0xD9 || marker == 0xDA || !r.U16Be(length) || length < 2) {
            return Fail(error, "the JPEG picture has no frame header");
        }
        if (IsJpegFrameMarker(marker)) {
            uint8_t precision = 0;
            uint16_t height = 0, width = 0;
            if (!r.U8(precision) || !r.U16Be(height) || !r.U16Be(width)) {
                return Fail(error, "the JPEG frame header is cut short");
            }
            size = {width, height};
            return true;
        }
        if (!r.Skip(length - 2u)) {
            return Fail(error, "the JPEG picture has no frame header");
        }
    }
}

// A BITMAPINFOHEADER or the older BITMAPCOREHEADER at the reader's place.
// The height is taken without its sign (negative means top row first); an
// icon's DIB counts its mask's rows in the height too, so heightRows is 2
// there.
bool ReadDibSize(ByteReader& r, PictureSize& size, int heightRows = 1) {
    uint32_t headerSize = 0;
    if (!r.U32(headerSize)) {
        return false;
    }
    if (headerSize == 12) {
        uint16_t width = 0, height = 0;
        if (!r.U16(width) || !r.U16(height)) {
            return false;
        }
        size = {width, height / heightRows};
        return true;
    }
    int32_t width = 0, height = 0;
    if (headerSize < 16 || !r.I32(width) || !r.I32(height)) {
        return false;
    }
    size = {width, std::llabs(static_cast<int64_t>(height)) / heightRows};
    return true;
}

bool ReadBmpSize(std::span<const uint8_t> bytes, PictureSize& size, std::string& error) {
    ByteReader r(bytes);
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M' || !r.Skip(14) ||
        !ReadDibSize(r, size)) {
        return Fail(error, "the BMP picture has no header");
    }
    return true;
}

// Each directory entry's picture, a PNG or a DIB, says its own size.
bool ReadIcoSize(std::span<const uint8_t> bytes, PictureSize& size, std::string& error) {
    ByteReader r(bytes);
    uint16_t reserved = 0, type = 0, count = 0;
    if (!r.U16(reserved) || !r.U16(type) || !r.U16(count) || reserved != 0 ||
        (type != 1 && type != 2) || count == 0) {
        return Fail(error, "the ICO picture has no directory");
    }
    size = {};
    for (uint16_t i = 0; i < count; ++i) {
        uint32_t bytesInRes = 0, offset = 0;
        if (!r.Skip(8) || !r.U32(bytesInRes) || !r.U32(offset) || offset > bytes.size()) {
            return Fail(error, "the ICO directory is cut short");
        }
        PictureSize entry;
        const std::span<const uint8_t> data = bytes.subspan(offset);
        ByteReader dib(data);
        std::string entryError;
        if (!(HasPrefix(data, kPngSignature) ? ReadPngSize(data, entry, entryError)
                                             : ReadDibSize(dib, entry, 2))) {
            return Fail(error, "an ICO entry has no header");
        }
        size.width = std::max(size.width, entry.width);
        size.height = std::max(size.height, entry.height);
    }
    return true;
}

bool ReadTgaSize(std::span<const uint8_t> bytes, PictureSize& size, std::string& error) {
    ByteReader r(bytes);
    uint8_t idLength = 0, colourMapType = 0, imageType = 0;
    uint16_t width = 0, height = 0;
    if (!r.U8(idLength) || !r.U8(colourMapType) || !r.U8(imageType) || !r.Skip(9) ||
        !r.U16(width) || !r.U16(height)) {
        return Fail(error, "the TGA picture has no header");
    }
    size = {width, height};
    return true;
}

// Besides the size, the layout must be one a reader can hold: 1, 2, 4 or 8
// bits in 1 to 4 planes, each plane's line long enough for the width (the
// library reads the line length as a signed number and allocates by it).
bool ReadPcxSize(std::span<const uint8_t> bytes, PictureSize& size, std::string& error) {
    ByteReader r(bytes);
    uint8_t manufacturer = 0, bits = 0, planes = 0;
    int16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0, bytesPerLine = 0;
    if (!r.U8(manufacturer) || manufacturer != 0x0A || !r.Skip(2) || !r.U8(bits) || !r.I16(xMin) ||
        !r.I16(yMin) || !r.I16(xMax) || !r.I16(yMax) || !r.Seek(65) || !r.U8(planes) ||
        !r.I16(bytesPerLine)) {
        return Fail(error, "the PCX picture has no header");
    }
    size = {int64_t{xMax} - xMin + 1, int64_t{yMax} - yMin + 1};
    if ((bits != 1 && bits != 2 && bits != 4 && bits != 8) || planes < 1 || planes > 4 ||
        int64_t{bytesPerLine} * 8 < size.width * bits) {
        return Fail(error, "the PCX picture's layout is not supported");
    }
    return true;
}

// A TIFF of either byte order: the width and length tags of the first IFD.
// A directory that names a side twice, or gives it as anything but one
// SHORT or LONG, is refused: decoders differ on which entry they take, so
// the size checked here might not be the size decoded.
class TiffReader {
public:
    explicit TiffReader(std::span<const uint8_t> bytes) : r_(bytes) {}

    bool ReadSize(PictureSize& size) {
        uint8_t a = 0, b = 0;
        uint16_t magic = 0;
        uint32_t ifd = 0;
        if (!r_.U8(a) || !r_.U8(b) || a != b || (a != 'I' && a != 'M')) {
            return false;
        }
        bigEndian_ = a == 'M';
        uint16_t entries = 0;
        if (!U16(magic) || magic != 42 || !U32(ifd) || !r_.Seek(ifd) || !U16(entries)) {
            return false;
        }
        bool haveWidth = false, haveHeight = false;
        for (uint16_t i = 0; i < entries; ++i) {
            uint16_t tag = 0, type = 0;
            uint32_t count = 0, value = 0;
            if (!U16(tag) || !U16(type) || !U32(count) || !Value(type, value)) {
                return false;
            }
            if (tag != 256 && tag != 257) {
                continue;
            }
            bool& have = tag == 256 ? haveWidth : haveHeight;
            if (have || count != 1 || (type != 3 && type != 4)) {
                return false;
            }
            (tag == 256 ? size.width : size.height) = value;
            have = true;
        }
        return haveWidth && haveHeight;
    }

private:
    bool U16(uint16_t& out) { return bigEndian_ ? r_.U16Be(out) : r_.U16(out); }
    bool U32(uint32_t& out) { return bigEndian_ ? r_.U32Be(out) : r_.U32(out); }
    // The entry's 4-byte value field: a SHORT sits in its first two bytes.
    bool Value(uint16_t type, uint32_t& out) {
        if (type == 3) {
            uint16_t shortValue = 0;
            if (!U16(shortValue) || !r_.Skip(2)) {
                return false;
            }
            out = shortValue;
            return true;
        }
        return U32(out);
    }

    ByteReader r_;
    bool bigEndian_ = false;
};

bool ReadTiffSize(std::span<const uint8_t> bytes, PictureSize& size, std::string& error) {
    if (!TiffReader(bytes).ReadSize(size)) {
        return Fail(error, "the TIFF picture has no readable size");
    }
    return true;
}

}  // namespace

bool ReadPictureSize(std::span<const uint8_t> bytes, PictureFormat format, PictureSize& size,
                     std::string& error) {
    switch (format) {
        case PictureFormat::Png:
            return ReadPngSize(bytes, size, error);
        case PictureFormat::Jpeg:
            return ReadJpegSize(bytes, size, error);
        case PictureFormat::Bmp:
            return ReadBmpSize(bytes, size, error);
        case PictureFormat::Ico:
            return ReadIcoSize(bytes, size, error);
        case PictureFormat::Tga:
            return ReadTgaSize(bytes, size, error);
        case PictureFormat::Pcx:
            return ReadPcxSize(bytes, size, error);
        case PictureFormat::Tiff:
            return ReadTiffSize(bytes, size, error);
        default:
            return Fail(error, "no header reader for this format");
    }
}

bool PictureSizeFits(int64_t width, int64_t height, int64_t frames, std::string& error) {
    if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide) {
        return Fail(error, "picture size " + std::to_string(width) + "x" + std::to_string(height) +
                               " is not supported");
    }
    if (frames > kMaxPictureFrames) {
        return Fail(error,
                    "the picture has more than " + std::to_string(kMaxPictureFrames) + " frames");
    }
    // Both sides are at most 65535, so the product of three stays in range
    // for any frame count up to kMaxPictureFrames.
    if (width * height * std::max<int64_t>(frames, 1) > kMaxPicturePixels) {
        return Fail(error, "the picture of " + std::to_string(width) + "x" +
                               std::to_string(height) + " pixels" +
                               (frames > 1 ? " x " + std::to_string(frames) + " frames" : "") +
                               " is too large: at most " + std::to_string(kMaxPicturePixels) +
                               " pixels in all");
    }
    return true;
}

bool AllocatePicturePixels(DecodedPicture& picture, int width, int height, PictureLayout layout,
                           int frames, std::string& error) {
    if (!PictureSizeFits(width, height, frames, error)) {
        return false;
    }
    picture.width = width;
    picture.height = height;
    picture.layout = layout;
    picture.frameCount = frames;
    picture.pixels.reset(new (std::nothrow) uint8_t[picture.PixelBytes()]);
    if (!picture.pixels) {
        picture.frameCount = 0;
        return Fail(error, "no memory for the picture's pixels");
    }
    return true;
}

}  // namespace platform::detail
