#include "platform/Cursors.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <span>

#include "platform/ByteReader.h"
#include "platform/Files.h"
#include "platform/ImageDecoder.h"

namespace platform {

namespace {

// Loaded cursors take handles from here up; the system cursors' handles are
// their ids, all below it.
constexpr CursorHandle kFirstLoadedCursor = 0x10000;

// Cursor files larger than this are refused before they are read.
constexpr size_t kMaxCursorFileSize = 16u << 20;

bool Fail(std::string& error, const char* reason) {
    error = reason;
    return false;
}

bool HasPngSignature(std::span<const uint8_t> bytes) {
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= sizeof(kSignature) &&
           std::memcmp(bytes.data(), kSignature, sizeof(kSignature)) == 0;
}

bool SideInRange(int64_t side) {
    return side >= 1 && side <= kMaxCursorSide;
}

// A PNG entry of a cursor or icon file: the picture becomes 32-bit with alpha.
bool DecodePngEntry(std::span<const uint8_t> bytes, CursorImage& out, std::string& error) {
    // The size from the header chunk first, so a huge picture is never decoded.
    if (bytes.size() < 24) {
        return Fail(error, "cursor picture cut short");
    }
    const auto bigEndian = [&](size_t at) {
        return static_cast<int64_t>(bytes[at]) << 24 | static_cast<int64_t>(bytes[at + 1]) << 16 |
               static_cast<int64_t>(bytes[at + 2]) << 8 | static_cast<int64_t>(bytes[at + 3]);
    };
    if (!SideInRange(bigEndian(16)) || !SideInRange(bigEndian(20))) {
        return Fail(error, "cursor picture too large");
    }
    DecodedPicture picture;
    if (!DecodePicture(bytes.data(), bytes.size(), PictureFormat::Png, picture, error)) {
        return false;
    }
    if (!SideInRange(picture.width) || !SideInRange(picture.height)) {
        return Fail(error, "cursor picture too large");
    }
    const size_t count = static_cast<size_t>(picture.width) * picture.height;
    const uint8_t* source = picture.FramePixels(0);
    out.width = picture.width;
    out.height = picture.height;
    out.pixels.assign(count * 4, 0);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* d = &out.pixels[i * 4];
        if (picture.layout == PictureLayout::Indexed8) {
            const int index = source[i];
            if (index < picture.PaletteCount() && index != picture.transparentIndex) {
                d[0] = picture.palette[index * 3 + 2];
                d[1] = picture.palette[index * 3 + 1];
                d[2] = picture.palette[index * 3];
                d[3] = 255;
            }
            continue;
        }
        std::memcpy(d, &source[i * 4], 4);
        if (!picture.hasAlpha) {
            const uint32_t colour = static_cast<uint32_t>(d[2]) | static_cast<uint32_t>(d[1]) << 8 |
                                    static_cast<uint32_t>(d[0]) << 16;
            d[3] = picture.transparentColor == colour ? 0 : 255;
        }
    }
    return true;
}

// The bit at column x of a packed row, most significant bit first.
int BitAt(const uint8_t* row, int x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

// Row stride of a DIB row: padded to 32 bits.
size_t DibStride(int width, int bits) {
    return (static_cast<size_t>(width) * bits + 31) / 32 * 4;
}

// A DIB entry: a header, the palette, the colour rows and the mask rows, both
// bottom-up, the stored height twice the picture's. Pixels that the mask
// marks transparent but whose colour would invert the screen are shown black.
bool DecodeDibEntry(std::span<const uint8_t> bytes, CursorImage& out, std::string& error) {
    ByteReader r(bytes);
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t doubleHeight = 0;
    uint16_t planes = 0;
    uint16_t bits = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    if (!r.U32(headerSize) || !r.I32(width) || !r.I32(doubleHeight) || !r.U16(planes) ||
        !r.U16(bits) || !r.U32(compression) || !r.Skip(12) || !r.U32(colorsUsed) || !r.Skip(4)) {
        return Fail(error, "cursor bitmap header cut short");
    }
    if (headerSize < 40 || !r.Skip(headerSize - 40)) {
        return Fail(error, "bad cursor bitmap header size");
    }
    if (compression != 0) {
        return Fail(error, "compressed cursor bitmaps are not supported");
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        return Fail(error, "unsupported cursor bit depth");
    }
    const int64_t height = doubleHeight / 2;
    if (!SideInRange(width) || !SideInRange(height) || doubleHeight % 2 != 0) {
        return Fail(error, "bad cursor bitmap size");
    }
    std::vector<uint8_t> palette;  // blue, green, red, unused
    if (bits <= 8) {
        const uint32_t maxColors = 1u << bits;
        if (colorsUsed > maxColors) {
            return Fail(error, "bad cursor palette size");
        }
        const uint32_t colors = colorsUsed == 0 ? maxColors : colorsUsed;
        palette.resize(static_cast<size_t>(colors) * 4);
        for (uint8_t& b : palette) {
            if (!r.U8(b)) {
                return Fail(error, "cursor palette cut short");
            }
        }
    }
    const int w = width;
    const int h = static_cast<int>(height);
    const size_t colorStride = DibStride(w, bits);
    const size_t maskStride = DibStride(w, 1);
    const size_t colorSize = colorStride * h;
    if (r.Remaining() < colorSize) {
        return Fail(error, "cursor bitmap cut short");
    }
    const uint8_t* colorRows = bytes.data() + r.Position();
    r.Skip(colorSize);
    // 32-bit pictures may leave the mask out and carry alpha instead.
    const bool hasMask = r.Remaining() >= maskStride * h;
    if (!hasMask && bits != 32) {
        return Fail(error, "cursor mask cut short");
    }
    const uint8_t* maskRows = hasMask ? bytes.data() + r.Position() : nullptr;

    out.width = w;
    out.height = h;
    out.pixels.assign(static_cast<size_t>(w) * h * 4, 0);
    bool anyAlpha = false;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = colorRows + colorStride * (h - 1 - y);
        for (int x = 0; x < w; ++x) {
            uint8_t* d = &out.pixels[(static_cast<size_t>(y) * w + x) * 4];
            if (bits == 32) {
                std::memcpy(d, row + x * 4, 4);
                anyAlpha = anyAlpha || d[3] != 0;
                continue;
            }
            if (bits == 24) {
                std::memcpy(d, row + x * 3, 3);
                continue;
            }
            size_t index = 0;
            if (bits == 8) {
                index = row[x];
            } else if (bits == 4) {
                index = (row[x >> 1] >> ((x & 1) != 0 ? 0 : 4)) & 0xF;
            } else {
                index = static_cast<size_t>(BitAt(row, x));
            }
            if (index * 4 + 3 < palette.size()) {
                std::memcpy(d, &palette[index * 4], 3);
            }
        }
    }
    if (bits == 32 && anyAlpha) {
        return true;
    }
    for (int y = 0; y < h; ++y) {
        const uint8_t* mask = maskRows != nullptr ? maskRows + maskStride * (h - 1 - y) : nullptr;
        for (int x = 0; x < w; ++x) {
            uint8_t* d = &out.pixels[(static_cast<size_t>(y) * w + x) * 4];
            if (mask == nullptr || BitAt(mask, x) == 0) {
                d[3] = 255;
            } else if (d[0] != 0 || d[1] != 0 || d[2] != 0) {
                d[0] = d[1] = d[2] = 0;
                d[3] = 255;
            } else {
                d[3] = 0;
            }
        }
    }
    return true;
}

struct DirectoryEntry {
    int width = 0;
    int height = 0;
    uint16_t hotX = 0;
    uint16_t hotY = 0;
    uint32_t size = 0;
    uint32_t offset = 0;
};

// A cursor (type 2) or icon (type 1) file: the entry nearest to 32 x 32.
bool DecodeIconFile(std::span<const uint8_t> bytes, CursorImage& out, std::string& error) {
    ByteReader r(bytes);
    uint16_t reserved = 0;
    uint16_t type = 0;
    uint16_t count = 0;
    if (!r.U16(reserved) || !r.U16(type) || !r.U16(count)) {
        return Fail(error, "cursor file header cut short");
    }
    if (reserved != 0 || (type != 1 && type != 2) || count == 0) {
        return Fail(error, "not a cursor or icon file");
    }
    std::optional<DirectoryEntry> best;
    int bestDistance = 0;
    for (uint16_t i = 0; i < count; ++i) {
        uint8_t width = 0;
        uint8_t height = 0;
        DirectoryEntry entry;
        if (!r.U8(width) || !r.U8(height) || !r.Skip(2) || !r.U16(entry.hotX) ||
            !r.U16(entry.hotY) || !r.U32(entry.size) || !r.U32(entry.offset)) {
            return Fail(error, "cursor directory cut short");
        }
        entry.width = width == 0 ? 256 : width;
        entry.height = height == 0 ? 256 : height;
        const int distance = std::abs(std::max(entry.width, entry.height) - 32);
        if (!best || distance < bestDistance) {
            best = entry;
            bestDistance = distance;
        }
    }
    if (best->offset > bytes.size() || best->size > bytes.size() - best->offset) {
        return Fail(error, "cursor entry outside the file");
    }
    const std::span<const uint8_t> image = bytes.subspan(best->offset, best->size);
    const bool decoded = HasPngSignature(image) ? DecodePngEntry(image, out, error)
                                                : DecodeDibEntry(image, out, error);
    if (!decoded) {
        return false;
    }
    // Icons used as cursors point with their centre.
    const int hotX = type == 2 ? best->hotX : out.width / 2;
    const int hotY = type == 2 ? best->hotY : out.height / 2;
    out.hotX = std::min(hotX, out.width - 1);
    out.hotY = std::min(hotY, out.height - 1);
    return true;
}

// An animated cursor: a RIFF "ACON" whose "fram" list holds cursor files;
// the first one is the cursor.
bool DecodeAnimatedCursor(std::span<const uint8_t> bytes, CursorImage& out, std::string& error) {
    ByteReader r(bytes);
    char tag[5];
    uint32_t riffSize = 0;
    if (!r.Tag(tag) || std::strcmp(tag, "RIFF") != 0 || !r.U32(riffSize) || !r.Tag(tag) ||
        std::strcmp(tag, "ACON") != 0) {
        return Fail(error, "not an animated cursor");
    }
    // The chunks of the RIFF body, never past the bytes given.
    const size_t bodyEnd = std::min<size_t>(bytes.size(), static_cast<size_t>(riffSize) + 8);
    bool iconFrames = false;
    size_t position = r.Position();
    while (position + 8 <= bodyEnd) {
        ByteReader chunk(bytes.subspan(position, bodyEnd - position));
        uint32_t size = 0;
        chunk.Tag(tag);
        chunk.U32(size);
        if (size > chunk.Remaining()) {
            return Fail(error, "animated cursor chunk outside the file");
        }
        const std::span<const uint8_t> data = bytes.subspan(position + 8, size);
        if (std::strcmp(tag, "anih") == 0) {
            ByteReader header(data);
            uint32_t flags = 0;
            if (!header.Skip(32) || !header.U32(flags)) {
                return Fail(error, "animated cursor header cut short");
            }
            iconFrames = (flags & 0x1) != 0;
        } else if (std::strcmp(tag, "LIST") == 0 && size >= 4 &&
                   std::memcmp(data.data(), "fram", 4) == 0) {
            if (!iconFrames) {
                return Fail(error, "animated cursors of raw frames are not supported");
            }
            size_t inner = 4;
            while (inner + 8 <= data.size()) {
                ByteReader frame(data.subspan(inner));
                uint32_t frameSize = 0;
                frame.Tag(tag);
                frame.U32(frameSize);
                if (frameSize > frame.Remaining()) {
                    return Fail(error, "animated cursor frame outside the file");
                }
                if (std::strcmp(tag, "icon") == 0) {
                    return DecodeIconFile(data.subspan(inner + 8, frameSize), out, error);
                }
                inner += 8 + static_cast<size_t>(frameSize) + (frameSize & 1);
            }
            return Fail(error, "animated cursor without frames");
        }
        position += 8 + static_cast<size_t>(size) + (size & 1);
    }
    return Fail(error, "animated cursor without frames");
}

struct Registry {
    std::mutex mutex;
    std::map<CursorHandle, std::shared_ptr<const CursorImage>> loaded;
    std::map<int, CursorHandle> resources;
    CursorHandle next = kFirstLoadedCursor;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// Keeps the picture under a new handle. Caller holds the lock.
CursorHandle Keep(Registry& registry, CursorImage image) {
    const CursorHandle handle = registry.next++;
    registry.loaded.emplace(handle, std::make_shared<const CursorImage>(std::move(image)));
    return handle;
}

}  // namespace

bool DecodeCursorImage(const uint8_t* data, size_t size, CursorImage& out, std::string& error) {
    out = CursorImage{};
    if (data == nullptr || size == 0) {
        return Fail(error, "empty cursor data");
    }
    const std::span<const uint8_t> bytes(data, size);
    CursorImage image;
    const bool decoded = size >= 4 && std::memcmp(data, "RIFF", 4) == 0
                             ? DecodeAnimatedCursor(bytes, image, error)
                             : DecodeIconFile(bytes, image, error);
    if (decoded) {
        out = std::move(image);
    }
    return decoded;
}

CursorHandle LoadCursorFromFile(std::string_view path, std::string* error) {
    std::string reason;
    CursorImage image;
    const std::optional<std::vector<uint8_t>> bytes =
        GetPathKind(path) == PathKind::File ? ReadWholeFile(path) : std::nullopt;
    if (!bytes) {
        reason = "cannot read the cursor file";
    } else if (bytes->size() > kMaxCursorFileSize) {
        reason = "cursor file too large";
    } else if (DecodeCursorImage(bytes->data(), bytes->size(), image, reason)) {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        return Keep(registry, std::move(image));
    }
    if (error != nullptr) {
        *error = reason;
    }
    return 0;
}

bool AddCursorResource(int resourceId, const uint8_t* data, size_t size, std::string* error) {
    std::string reason;
    CursorImage image;
    if (!DecodeCursorImage(data, size, image, reason)) {
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    }
    return AddCursorResource(resourceId, std::move(image), error);
}

bool AddCursorResource(int resourceId, CursorImage image, std::string* error) {
    const char* reason = nullptr;
    if (!SideInRange(image.width) || !SideInRange(image.height)) {
        reason = "cursor picture size out of range";
    } else if (image.hotX < 0 || image.hotX >= image.width || image.hotY < 0 ||
               image.hotY >= image.height) {
        reason = "cursor hot spot outside the picture";
    } else if (image.pixels.size() != static_cast<size_t>(image.width) * image.height * 4) {
        reason = "cursor pixels do not match the size";
    } else {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        if (registry.resources.count(resourceId) == 0) {
            registry.resources.emplace(resourceId, Keep(registry, std::move(image)));
            return true;
        }
        reason = "cursor resource id already registered";
    }
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

CursorHandle LoadCursorResource(int resourceId) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto it = registry.resources.find(resourceId);
    return it != registry.resources.end() ? it->second : 0;
}

std::shared_ptr<const CursorImage> FindLoadedCursor(CursorHandle cursor) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto it = registry.loaded.find(cursor);
    return it != registry.loaded.end() ? it->second : nullptr;
}

}  // namespace platform
