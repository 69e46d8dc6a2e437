#include "platform/ImageDecoder.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/AsciiCase.h"
#include "platform/Files.h"

namespace platform {

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

struct AnimationDeleter {
    void operator()(IMG_Animation* animation) const { IMG_FreeAnimation(animation); }
};
using AnimationPtr = std::unique_ptr<IMG_Animation, AnimationDeleter>;

struct RwDeleter {
    void operator()(SDL_RWops* rw) const { SDL_RWclose(rw); }
};
using RwPtr = std::unique_ptr<SDL_RWops, RwDeleter>;

// What the library offers for one format: a signature test (null when the
// format has none) and the loader.
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
        case PictureFormat::Gif:
            return LibraryFormat{"GIF", IMG_isGIF, IMG_LoadGIF_RW, false};
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

bool SizeIsUsable(int width, int height, std::string& error) {
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
        error = "picture size " + std::to_string(width) + "x" + std::to_string(height) +
                " is not supported";
        return false;
    }
    return true;
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

std::vector<uint8_t> IndexedPixels(SDL_Surface& surface) {
    const uint32_t f = surface.format->format;
    const int bits = SDL_BITSPERPIXEL(f);
    const bool lsbFirst = SDL_PIXELORDER(f) == SDL_BITMAPORDER_4321;
    std::vector<uint8_t> pixels(static_cast<size_t>(surface.w) * static_cast<size_t>(surface.h));
    SDL_LockSurface(&surface);
    const auto* base = static_cast<const uint8_t*>(surface.pixels);
    for (int y = 0; y < surface.h; ++y) {
        const uint8_t* row = base + static_cast<size_t>(y) * static_cast<size_t>(surface.pitch);
        for (int x = 0; x < surface.w; ++x) {
            pixels[static_cast<size_t>(y) * static_cast<size_t>(surface.w) +
                   static_cast<size_t>(x)] = IndexAt(row, x, bits, lsbFirst);
        }
    }
    SDL_UnlockSurface(&surface);
    return pixels;
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

// The surface as packed 32-bit pixels (blue, green, red, alpha), copied
// without blending or colour keying. Empty when the conversion fails.
std::vector<uint8_t> BgraPixels(SDL_Surface& surface) {
    SDL_SetColorKey(&surface, SDL_FALSE, 0);
    SDL_SetSurfaceBlendMode(&surface, SDL_BLENDMODE_NONE);
    SurfacePtr converted(SDL_ConvertSurfaceFormat(&surface, SDL_PIXELFORMAT_BGRA32, 0));
    if (!converted) {
        return {};
    }
    const size_t rowBytes = static_cast<size_t>(converted->w) * 4;
    std::vector<uint8_t> pixels(rowBytes * static_cast<size_t>(converted->h));
    SDL_LockSurface(converted.get());
    const auto* base = static_cast<const uint8_t*>(converted->pixels);
    for (int y = 0; y < converted->h; ++y) {
        std::copy_n(base + static_cast<size_t>(y) * static_cast<size_t>(converted->pitch), rowBytes,
                    pixels.begin() + static_cast<ptrdiff_t>(rowBytes * y));
    }
    SDL_UnlockSurface(converted.get());
    return pixels;
}

bool AnyAlphaBelowOpaque(const std::vector<uint8_t>& bgra) {
    for (size_t i = 3; i < bgra.size(); i += 4) {
        if (bgra[i] != 255) {
            return true;
        }
    }
    return false;
}

bool PictureFromSurface(SDL_Surface& surface, const LibraryFormat& format, DecodedPicture& out,
                        std::string& error) {
    if (!SizeIsUsable(surface.w, surface.h, error)) {
        return false;
    }
    out.width = surface.w;
    out.height = surface.h;
    uint32_t key = 0;
    const bool keyed = SDL_GetColorKey(&surface, &key) == 0;
    DecodedFrame frame;
    if (IsIndexedSurface(surface)) {
        out.layout = PictureLayout::Indexed8;
        out.palette = PaletteOf(surface);
        if (keyed && key < static_cast<uint32_t>(kMaxPaletteEntries)) {
            out.transparentIndex = static_cast<int>(key);
        }
        frame.pixels = IndexedPixels(surface);
    } else {
        out.layout = PictureLayout::Bgra32;
        if (keyed) {
            uint8_t r = 0, g = 0, b = 0;
            SDL_GetRGB(key, surface.format, &r, &g, &b);
            out.transparentColor = static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 |
                                   static_cast<uint32_t>(b) << 16;
        }
        const bool alphaChannel = surface.format->Amask != 0;
        frame.pixels = BgraPixels(surface);
        if (frame.pixels.empty()) {
            error = LibraryError("cannot convert the picture's pixels");
            return false;
        }
        out.hasAlpha =
            alphaChannel && (!format.alphaAlwaysAdded || AnyAlphaBelowOpaque(frame.pixels));
    }
    out.frames.push_back(std::move(frame));
    return true;
}

// --- GIF frames ---

// The images of a GIF stream, in order, with the delay that the graphic
// control block before each gives (0 without one). Stops quietly at the
// trailer or where the stream is damaged or cut short.
std::vector<int> GifFrameDelays(const uint8_t* data, size_t size) {
    std::vector<int> delays;
    if (size < 13) {
        return delays;
    }
    auto tableBytes = [](uint8_t packed) -> size_t {
        return (packed & 0x80) != 0 ? size_t{3} << ((packed & 7) + 1) : 0;
    };
    size_t pos = 13 + tableBytes(data[10]);
    auto skipSubBlocks = [&] {
        while (pos < size) {
            const uint8_t n = data[pos++];
            if (n == 0) {
                return;
            }
            pos += n;
        }
    };
    int pendingDelay = 0;
    while (pos < size) {
        const uint8_t introducer = data[pos++];
        if (introducer == 0x21) {
            if (pos >= size) {
                break;
            }
            const uint8_t label = data[pos++];
            if (label == 0xF9 && pos + 4 < size && data[pos] >= 4) {
                pendingDelay = data[pos + 2] | data[pos + 3] << 8;
            }
            skipSubBlocks();
        } else if (introducer == 0x2C) {
            if (pos + 9 > size) {
                break;
            }
            const uint8_t packed = data[pos + 8];
            pos += 9 + tableBytes(packed) + 1;  // descriptor, local table, code size
            skipSubBlocks();
            delays.push_back(pendingDelay);
            pendingDelay = 0;
        } else {
            break;  // the trailer, or damage
        }
    }
    return delays;
}

// Maps composed 32-bit frames back onto the first frame's palette. False
// when a pixel is half transparent, transparent without a transparent
// entry, or of a colour the palette lacks.
bool IndexComposedFrames(const std::vector<std::vector<uint8_t>>& bgraFrames,
                         DecodedPicture& picture) {
    std::unordered_map<uint32_t, uint8_t> indexOf;
    for (int i = picture.PaletteCount() - 1; i >= 0; --i) {  // the first entry wins
        if (i == picture.transparentIndex) {
            continue;
        }
        const uint8_t* rgb = &picture.palette[static_cast<size_t>(i) * 3];
        indexOf[static_cast<uint32_t>(rgb[0]) << 16 | static_cast<uint32_t>(rgb[1]) << 8 | rgb[2]] =
            static_cast<uint8_t>(i);
    }
    std::vector<DecodedFrame> frames(bgraFrames.size());
    for (size_t f = 0; f < bgraFrames.size(); ++f) {
        const std::vector<uint8_t>& bgra = bgraFrames[f];
        frames[f].pixels.resize(bgra.size() / 4);
        for (size_t p = 0; p < bgra.size() / 4; ++p) {
            const uint8_t* px = &bgra[p * 4];
            if (px[3] == 0 && picture.transparentIndex >= 0) {
                frames[f].pixels[p] = static_cast<uint8_t>(picture.transparentIndex);
                continue;
            }
            if (px[3] != 255) {
                return false;
            }
            auto it = indexOf.find(static_cast<uint32_t>(px[2]) << 16 |
                                   static_cast<uint32_t>(px[1]) << 8 | px[0]);
            if (it == indexOf.end()) {
                return false;
            }
            frames[f].pixels[p] = it->second;
        }
    }
    picture.frames = std::move(frames);
    return true;
}

// Replaces the first frame with all of them; false, with the picture
// unchanged, when the frames cannot be read.
bool DecodeGifFrames(const uint8_t* data, size_t size, DecodedPicture& picture) {
    RwPtr rw(SDL_RWFromConstMem(data, static_cast<int>(size)));
    AnimationPtr animation(rw ? IMG_LoadGIFAnimation_RW(rw.get()) : nullptr);
    std::string sizeError;
    if (!animation || animation->count < 1 ||
        !SizeIsUsable(animation->w, animation->h, sizeError)) {
        return false;
    }
    std::vector<std::vector<uint8_t>> bgraFrames;
    for (int f = 0; f < animation->count; ++f) {
        SDL_Surface* frame = animation->frames[f];
        if (frame == nullptr || frame->w != animation->w || frame->h != animation->h) {
            return false;
        }
        bgraFrames.push_back(BgraPixels(*frame));
        if (bgraFrames.back().empty()) {
            return false;
        }
    }
    picture.width = animation->w;
    picture.height = animation->h;
    const std::vector<int> delays = GifFrameDelays(data, size);
    const bool ownDelays = delays.size() == static_cast<size_t>(animation->count);
    if (picture.layout != PictureLayout::Indexed8 || !IndexComposedFrames(bgraFrames, picture)) {
        picture.layout = PictureLayout::Bgra32;
        picture.hasAlpha = true;
        picture.palette.clear();
        picture.transparentIndex = -1;
        picture.frames.clear();
        for (auto& bgra : bgraFrames) {
            picture.frames.push_back(DecodedFrame{std::move(bgra), 0});
        }
    }
    for (int f = 0; f < animation->count; ++f) {
        picture.frames[static_cast<size_t>(f)].delayCs =
            ownDelays ? delays[static_cast<size_t>(f)] : animation->delays[f] / 10;
    }
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
    if (!SizeIsUsable(static_cast<int>(std::min<uint32_t>(width, INT_MAX)),
                      static_cast<int>(std::min<uint32_t>(height, INT_MAX)), error)) {
        return false;
    }
    const size_t rowBytes = (width + 7) / 8;
    if (rowBytes * height > size - pos) {
        error = "the WBMP picture is cut short";
        return false;
    }
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.layout = PictureLayout::Indexed8;
    out.palette = {0, 0, 0, 255, 255, 255};
    DecodedFrame frame;
    frame.pixels.resize(static_cast<size_t>(width) * height);
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* row = data + pos + y * rowBytes;
        for (size_t x = 0; x < width; ++x) {
            frame.pixels[y * width + x] = (row[x / 8] >> (7 - x % 8)) & 1;
        }
    }
    out.frames.push_back(std::move(frame));
    return true;
}

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
    SurfacePtr surface(library.load(rw.get()));
    if (!surface) {
        error =
            LibraryError((std::string("cannot decode the ") + library.name + " picture").c_str());
        return false;
    }
    if (!PictureFromSurface(*surface, library, out, error)) {
        return false;
    }
    if (format == PictureFormat::Gif && GifFrameDelays(data, size).size() > 1) {
        // Frames that cannot be read leave the first one, already decoded.
        DecodeGifFrames(data, size, out);
    }
    return true;
}

}  // namespace

bool DecodePicture(const uint8_t* data, size_t size, PictureFormat format, DecodedPicture& out,
                   std::string& error) {
    out = DecodedPicture{};
    error.clear();
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
