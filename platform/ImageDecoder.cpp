#include "platform/ImageDecoder.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "platform/AsciiCase.h"
#include "platform/Files.h"
#include "platform/GifDecoder.h"
#include "platform/PictureHeader.h"

namespace platform {

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

struct RwDeleter {
    void operator()(SDL_RWops* rw) const { SDL_RWclose(rw); }
};
using RwPtr = std::unique_ptr<SDL_RWops, RwDeleter>;

// What SDL2_image offers for one format (GIF is read with giflib instead): a signature test (null
// when the format has none) and the loader.
struct LibraryFormat {
    const char* name;
    int (*isFormat)(SDL_RWops*);
    SDL_Surface* (*load)(SDL_RWops*);
    // The loader always adds an alpha channel, so alpha counts only where it
    // is below 255 somewhere.
    bool alphaAlwaysAdded;
};

std::optional<LibraryFormat> LibraryFormatOf(PictureFormat format) {
    switch (format) {
        case PictureFormat::Bmp:
            return LibraryFormat{"BMP", IMG_isBMP, IMG_LoadBMP_RW, false};
        case PictureFormat::Jpeg:
            return LibraryFormat{"JPEG", IMG_isJPG, IMG_LoadJPG_RW, false};
        case PictureFormat::Png:
            return LibraryFormat{"PNG", IMG_isPNG, IMG_LoadPNG_RW, false};
        case PictureFormat::Ico:
            return LibraryFormat{"ICO", IMG_isICO, IMG_LoadICO_RW, false};
        case PictureFormat::Tiff:
            return LibraryFormat{"TIFF", IMG_isTIF, IMG_LoadTIF_RW, true};
        case PictureFormat::Tga:
            return LibraryFormat{"TGA", nullptr, IMG_LoadTGA_RW, false};
        case PictureFormat::Pcx:
            return LibraryFormat{"PCX", IMG_isPCX, IMG_LoadPCX_RW, false};
        default:
            return std::nullopt;
    }
}

std::string LibraryError(const char* what) {
    std::string text = what;
    const char* reason = SDL_GetError();
    if (reason != nullptr && reason[0] != '\0') {
        text += ": ";
        text += reason;
    }
    return text;
}

// --- surfaces to decoded frames ---

// The index of pixel x in a row of an indexed surface of 1, 2, 4 or 8 bits.
uint8_t IndexAt(const uint8_t* row, int x, int bits, bool lsbFirst) {
    if (bits == 8) {
        return row[x];
    }
    const int perByte = 8 / bits;
    const int slot = x % perByte;
    const int shift = lsbFirst ? slot * bits : 8 - bits - slot * bits;
    return static_cast<uint8_t>((row[x / perByte] >> shift) & ((1 << bits) - 1));
}

bool IsIndexedSurface(const SDL_Surface& surface) {
    const uint32_t f = surface.format->format;
    if (!SDL_ISPIXELFORMAT_INDEXED(f) || surface.format->palette == nullptr) {
        return false;
    }
    const int bits = SDL_BITSPERPIXEL(f);
    return bits == 1 || bits == 2 || bits == 4 || bits == 8;
}

void CopyIndexedPixels(SDL_Surface& surface, uint8_t* pixels) {
    const uint32_t f = surface.format->format;
    const int bits = SDL_BITSPERPIXEL(f);
    const bool lsbFirst = SDL_PIXELORDER(f) == SDL_BITMAPORDER_4321;
    SDL_LockSurface(&surface);
    const auto* base = static_cast<const uint8_t*>(surface.pixels);
    for (int y = 0; y < surface.h; ++y) {
        const uint8_t* row = base + static_cast<size_t>(y) * static_cast<size_t>(surface.pitch);
        uint8_t* out = pixels + static_cast<size_t>(y) * static_cast<size_t>(surface.w);
        for (int x = 0; x < surface.w; ++x) {
            out[x] = IndexAt(row, x, bits, lsbFirst);
        }
    }
    SDL_UnlockSurface(&surface);
}

std::vector<uint8_t> PaletteOf(const SDL_Surface& surface) {
    const SDL_Palette& palette = *surface.format->palette;
    const int count = std::min(palette.ncolors, kMaxPaletteEntries);
    std::vector<uint8_t> rgb;
    rgb.reserve(static_cast<size_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
        rgb.push_back(palette.colors[i].r);
        rgb.push_back(palette.colors[i].g);
        rgb.push_back(palette.colors[i].b);
    }
    return rgb;
}

// Copies the surface into `pixels` as packed 32-bit pixels (blue, green,
// red, alpha), without blending or colour keying: the library converts
// straight into the buffer. False when it cannot.
bool CopyBgraPixels(SDL_Surface& surface, uint8_t* pixels) {
    SDL_SetColorKey(&surface, SDL_FALSE, 0);
    SDL_SetSurfaceBlendMode(&surface, SDL_BLENDMODE_NONE);
    SurfacePtr target(SDL_CreateRGBSurfaceWithFormatFrom(pixels, surface.w, surface.h, 32,
                                                         surface.w * 4, SDL_PIXELFORMAT_BGRA32));
    return target && SDL_BlitSurface(&surface, nullptr, target.get(), nullptr) == 0;
}

bool AnyAlphaBelowOpaque(const uint8_t* bgra, size_t bytes) {
    for (size_t i = 3; i < bytes; i += 4) {
        if (bgra[i] != 255) {
            return true;
        }
    }
    return false;
}

bool PictureFromSurface(SDL_Surface& surface, const LibraryFormat& format, DecodedPicture& out,
                        std::string& error) {
    const bool indexed = IsIndexedSurface(surface);
    if (!detail::AllocatePicturePixels(out, surface.w, surface.h,
                                       indexed ? PictureLayout::Indexed8 : PictureLayout::Bgra32, 1,
                                       error)) {
        return false;
    }
    out.delaysCs = {0};
    uint32_t key = 0;
    const bool keyed = SDL_GetColorKey(&surface, &key) == 0;
    if (indexed) {
        out.palette = PaletteOf(surface);
        if (keyed && key < static_cast<uint32_t>(kMaxPaletteEntries)) {
            out.transparentIndex = static_cast<int>(key);
        }
        CopyIndexedPixels(surface, out.pixels.get());
        return true;
    }
    if (keyed) {
        uint8_t r = 0, g = 0, b = 0;
        SDL_GetRGB(key, surface.format, &r, &g, &b);
        out.transparentColor = static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 |
                               static_cast<uint32_t>(b) << 16;
    }
    const bool alphaChannel = surface.format->Amask != 0;
    if (!CopyBgraPixels(surface, out.pixels.get())) {
        error = LibraryError("cannot convert the picture's pixels");
        return false;
    }
    out.hasAlpha = alphaChannel && (!format.alphaAlwaysAdded ||
                                    AnyAlphaBelowOpaque(out.pixels.get(), out.PixelBytes()));
    return true;
}

// --- WBMP (type 0: one bit a pixel, 1 is white), read here ---

bool ReadWbmpNumber(const uint8_t* data, size_t size, size_t& pos, uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4 && pos < size; ++i) {
        const uint8_t b = data[pos++];
        value = value << 7 | (b & 0x7Fu);
        if ((b & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

bool DecodeWbmp(const uint8_t* data, size_t size, DecodedPicture& out, std::string& error) {
    size_t pos = 0;
    uint32_t type = 0, width = 0, height = 0;
    if (!ReadWbmpNumber(data, size, pos, type) || type != 0 || pos >= size || data[pos++] != 0 ||
        !ReadWbmpNumber(data, size, pos, width) || !ReadWbmpNumber(data, size, pos, height)) {
        error = "not a WBMP picture";
        return false;
    }
    if (!detail::PictureSizeFits(width, height, 1, error)) {
        return false;
    }
    const size_t rowBytes = (width + 7) / 8;
    if (rowBytes * height > size - pos) {
        error = "the WBMP picture is cut short";
        return false;
    }
    if (!detail::AllocatePicturePixels(out, static_cast<int>(width), static_cast<int>(height),
                                       PictureLayout::Indexed8, 1, error)) {
        return false;
    }
    out.delaysCs = {0};
    out.palette = {0, 0, 0, 255, 255, 255};
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* row = data + pos + y * rowBytes;
        uint8_t* outRow = out.pixels.get() + y * width;
        for (size_t x = 0; x < width; ++x) {
            outRow[x] = (row[x / 8] >> (7 - x % 8)) & 1;
        }
    }
    return true;
}

// --- true-colour PCX (8 bits in 3 or 4 planes), read here: the library
// only reads palette pictures and 3 planes ---

constexpr size_t kPcxHeaderSize = 128;

// The header's plane count when the picture is 8-bit true colour.
std::optional<int> TrueColourPcxPlanes(const uint8_t* data, size_t size) {
    if (size < kPcxHeaderSize || data[0] != 0x0A || data[3] != 8) {
        return std::nullopt;
    }
    const int planes = data[65];
    return planes == 3 || planes == 4 ? std::optional<int>(planes) : std::nullopt;
}

// Rows of planes, each plane a run of bytesPerLine bytes, run-length coded
// (a byte of 0xC0 or above repeats the next byte its low 6 bits times)
// when the header's encoding is 1.
bool DecodeTrueColourPcx(const uint8_t* data, size_t size, int planes, DecodedPicture& out,
                         std::string& error) {
    detail::PictureSize declared;
    if (!detail::ReadPictureSize({data, size}, PictureFormat::Pcx, declared, error) ||
        !detail::AllocatePicturePixels(out, static_cast<int>(std::max<int64_t>(declared.width, 0)),
                                       static_cast<int>(std::max<int64_t>(declared.height, 0)),
                                       PictureLayout::Bgra32, 1, error)) {
        return false;
    }
    const bool encoded = data[2] == 1;
    const size_t bytesPerLine = static_cast<size_t>(data[66] | data[67] << 8);
    const size_t width = static_cast<size_t>(out.width);
    if (bytesPerLine < width) {
        error = "the PCX picture's lines are shorter than its width";
        return false;
    }
    std::vector<uint8_t> line(bytesPerLine * static_cast<size_t>(planes));
    size_t pos = kPcxHeaderSize;
    uint8_t runValue = 0;
    size_t runLeft = 0;
    auto next = [&](uint8_t& value) {
        while (runLeft == 0) {  // a run of 0 repeats nothing
            if (pos >= size) {
                return false;
            }
            runValue = data[pos++];
            runLeft = 1;
            if (encoded && runValue >= 0xC0) {
                runLeft = runValue & 0x3Fu;
                if (pos >= size) {
                    return false;
                }
                runValue = data[pos++];
            }
        }
        --runLeft;
        value = runValue;
        return true;
    };
    for (int y = 0; y < out.height; ++y) {
        for (uint8_t& value : line) {
            if (!next(value)) {
                error = "the PCX picture is cut short";
                return false;
            }
        }
        uint8_t* row = out.pixels.get() + static_cast<size_t>(y) * width * 4;
        for (size_t x = 0; x < width; ++x) {
            row[x * 4] = line[2 * bytesPerLine + x];
            row[x * 4 + 1] = line[bytesPerLine + x];
            row[x * 4 + 2] = line[x];
            row[x * 4 + 3] = planes == 4 ? line[3 * bytesPerLine + x] : 255;
        }
    }
    out.delaysCs = {0};
    out.hasAlpha = planes == 4 && AnyAlphaBelowOpaque(out.pixels.get(), out.PixelBytes());
    return true;
}

// The header's size is checked first, so the library never decodes a
// picture too large to hold.
bool DecodeWithLibrary(const uint8_t* data, size_t size, PictureFormat format, DecodedPicture& out,
                       std::string& error) {
    const LibraryFormat library = *LibraryFormatOf(format);
    SDL_ClearError();
    RwPtr rw(SDL_RWFromConstMem(data, static_cast<int>(size)));
    if (!rw) {
        error = LibraryError("cannot read the picture");
        return false;
    }
    if (library.isFormat != nullptr && library.isFormat(rw.get()) == 0) {
        error = std::string("not a ") + library.name + " picture";
        return false;
    }
    detail::PictureSize declared;
    if (!detail::ReadPictureSize({data, size}, format, declared, error) ||
        !detail::PictureSizeFits(declared.width, declared.height, 1, error)) {
        return false;
    }
    SurfacePtr surface(library.load(rw.get()));
    if (!surface) {
        error =
            LibraryError((std::string("cannot decode the ") + library.name + " picture").c_str());
        return false;
    }
    return PictureFromSurface(*surface, library, out, error);
}

// Held for each decode and while the codecs start.
std::mutex& CodecMutex() {
    static auto* mutex = new std::mutex;  // outlives static objects decoding at exit
    return *mutex;
}

constexpr int kAllCodecs = IMG_INIT_JPG | IMG_INIT_PNG | IMG_INIT_TIF;

// SDL keeps its error text per thread and frees it only for threads it
// started itself: a decoding thread frees it as it ends.
struct SdlThreadData {
    ~SdlThreadData() { SDL_TLSCleanup(); }
};
thread_local SdlThreadData t_sdlThreadData;

}  // namespace

bool StartPictureCodecs() {
    std::lock_guard lock(CodecMutex());
    return (IMG_Init(kAllCodecs) & kAllCodecs) == kAllCodecs;
}

bool DecodePicture(const uint8_t* data, size_t size, PictureFormat format, DecodedPicture& out,
                   std::string& error) {
    out = DecodedPicture{};
    error.clear();
    (void)&t_sdlThreadData;  // the first use makes it: the thread's end frees SDL's data
    std::lock_guard lock(CodecMutex());
    bool ok = false;
    if (data == nullptr || size == 0) {
        error = "no picture data";
    } else if (size > static_cast<size_t>(INT_MAX)) {
        error = "the picture data is too large";
    } else if (format == PictureFormat::Mng) {
        error = "MNG pictures are not supported";
    } else if (format == PictureFormat::Wmf) {
        error = "WMF pictures are not supported";
    } else if (format == PictureFormat::Wbmp) {
        ok = DecodeWbmp(data, size, out, error);
    } else if (format == PictureFormat::Gif) {
        ok = detail::DecodeGif({data, size}, out, error);
    } else if (const auto planes =
                   format == PictureFormat::Pcx ? TrueColourPcxPlanes(data, size) : std::nullopt) {
        ok = DecodeTrueColourPcx(data, size, *planes, out, error);
    } else {
        ok = DecodeWithLibrary(data, size, format, out, error);
    }
    if (!ok) {
        out = DecodedPicture{};
    }
    return ok;
}

bool DecodePictureFile(std::string_view path, DecodedPicture& out, std::string& error) {
    out = DecodedPicture{};
    const std::optional<PictureFormat> format = PictureFormatOfExtension(SplitPath(path).extension);
    if (!format) {
        error = "the file's extension names no picture format";
        return false;
    }
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path);
    if (!bytes) {
        error = "cannot read the file";
        return false;
    }
    return DecodePicture(bytes->data(), bytes->size(), *format, out, error);
}

std::optional<PictureFormat> PictureFormatOfExtension(std::string_view extension) {
    static constexpr std::array<std::pair<std::string_view, PictureFormat>, 13> kExtensions = {{
        {".bmp", PictureFormat::Bmp},
        {".gif", PictureFormat::Gif},
        {".jpg", PictureFormat::Jpeg},
        {".jpeg", PictureFormat::Jpeg},
        {".png", PictureFormat::Png},
        {".ico", PictureFormat::Ico},
        {".tif", PictureFormat::Tiff},
        {".tiff", PictureFormat::Tiff},
        {".tga", PictureFormat::Tga},
        {".mng", PictureFormat::Mng},
        {".pcx", PictureFormat::Pcx},
        {".wbmp", PictureFormat::Wbmp},
        {".wmf", PictureFormat::Wmf},
    }};
    for (const auto& [name, format] : kExtensions) {
        if (detail::EqualsIgnoringAsciiCase(name, extension)) {
            return format;
        }
    }
    return std::nullopt;
}

}  // namespace platform
