#include "platform/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/PictureHeader.h"

namespace platform::detail {

namespace {

// The bytes giflib reads from, through ReadGifBytes.
struct GifSource {
    std::span<const uint8_t> bytes;
    size_t position = 0;
};

int ReadGifBytes(GifFileType* gif, GifByteType* out, int wanted) {
    auto* source = static_cast<GifSource*>(gif->UserData);
    if (wanted <= 0) {
        return 0;
    }
    const size_t n = std::min(static_cast<size_t>(wanted), source->bytes.size() - source->position);
    std::memcpy(out, source->bytes.data() + source->position, n);
    source->position += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

std::string GifError(const char* what, int code) {
    std::string text = what;
    if (const char* reason = GifErrorString(code)) {
        text += ": ";
        text += reason;
    }
    return text;
}

// One image of the stream as stored: its place on the screen, its indices
// (rows in display order), its colour table and the graphic control block
// that came before it.
struct GifImage {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;
    std::vector<uint8_t> colours;  // red, green, blue of each entry
    int transparent = -1;
    int disposal = DISPOSAL_UNSPECIFIED;
    int delayCs = 0;
};

struct GifStream {
    int width = 0;  // the logical screen, which every frame fills
    int height = 0;
    std::vector<GifImage> images;
};

GraphicsControlBlock NoControlBlock() {
    GraphicsControlBlock block{};
    block.DisposalMode = DISPOSAL_UNSPECIFIED;
    block.TransparentColor = NO_TRANSPARENT_COLOR;
    return block;
}

// Reads an extension; a graphic control block replaces `control`.
bool ReadExtension(GifFileType* gif, GraphicsControlBlock& control) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) {
        return false;
    }
    GraphicsControlBlock read{};
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr &&
        DGifExtensionToGCB(block[0], block + 1, &read) == GIF_OK) {
        control = read;
    }
    while (block != nullptr) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
            return false;
        }
    }
    return true;
}

// Reads the image's rows into display order (interlaced images are stored
// in four passes). An image without pixels only has its codes skipped.
bool ReadImageRows(GifFileType* gif, GifImage& image) {
    if (image.width == 0 || image.height == 0) {
        int codeSize = 0;
        GifByteType* block = nullptr;
        if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR) {
            return false;
        }
        while (block != nullptr) {
            if (DGifGetCodeNext(gif, &block) == GIF_ERROR) {
                return false;
            }
        }
        return true;
    }
    image.indices.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    auto readRow = [&](int y) {
        return DGifGetLine(gif, image.indices.data() + static_cast<size_t>(y) * image.width,
                           image.width) != GIF_ERROR;
    };
    if (!gif->Image.Interlace) {
        for (int y = 0; y < image.height; ++y) {
            if (!readRow(y)) {
                return false;
            }
        }
        return true;
    }
    static constexpr int kPassStart[4] = {0, 4, 2, 1};
    static constexpr int kPassStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = kPassStart[pass]; y < image.height; y += kPassStep[pass]) {
            if (!readRow(y)) {
                return false;
            }
        }
    }
    return true;
}

// Reads the image at the stream's place, its descriptor first, so that the
// size caps are applied before a pixel is decoded. `pixelsSoFar` is the
// running total; each frame counts at least the screen's area.
enum class ImageRead { Read, Damaged, Refused };

ImageRead ReadImage(GifFileType* gif, GifStream& stream, const GraphicsControlBlock& control,
                    int64_t& pixelsSoFar, std::string& error) {
    if (DGifGetImageHeader(gif) == GIF_ERROR) {
        return ImageRead::Damaged;
    }
    const GifImageDesc& desc = gif->Image;
    GifImage image;
    image.left = desc.Left;
    image.top = desc.Top;
    image.width = desc.Width;
    image.height = desc.Height;
    if (stream.images.empty() && (stream.width == 0 || stream.height == 0)) {
        // An empty screen takes the first frame's extent.
        const int64_t width = int64_t{image.left} + image.width;
        const int64_t height = int64_t{image.top} + image.height;
        if (!PictureSizeFits(width, height, 1, error)) {
            return ImageRead::Refused;
        }
        stream.width = static_cast<int>(width);
        stream.height = static_cast<int>(height);
    }
    const int64_t area =
        std::max(int64_t{stream.width} * stream.height, int64_t{image.width} * image.height);
    const int64_t frames = static_cast<int64_t>(stream.images.size()) + 1;
    pixelsSoFar += area;
    if (frames > kMaxPictureFrames) {
        error = "the picture has more than " + std::to_string(kMaxPictureFrames) + " frames";
        return ImageRead::Refused;
    }
    if (pixelsSoFar > kMaxPicturePixels) {
        error = "the GIF picture is too large: its frames pass " +
                std::to_string(kMaxPicturePixels) + " pixels in all";
        return ImageRead::Refused;
    }
    const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    if (map == nullptr || map->Colors == nullptr) {
        return ImageRead::Damaged;  // no colours to show the frame with
    }
    const int colourCount = std::clamp(map->ColorCount, 0, kMaxPaletteEntries);
    for (int i = 0; i < colourCount; ++i) {
        image.colours.insert(image.colours.end(),
                             {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    }
    image.transparent = control.TransparentColor;
    image.disposal = control.DisposalMode;
    image.delayCs = control.DelayTime;
    if (!ReadImageRows(gif, image)) {
        return ImageRead::Damaged;
    }
    stream.images.push_back(std::move(image));
    return ImageRead::Read;
}

// Every image up to the trailer. Damage ends the stream quietly after the
// images already read; a picture past the caps is refused.
bool ReadGifStream(GifFileType* gif, GifStream& stream, std::string& error) {
    stream.width = gif->SWidth;
    stream.height = gif->SHeight;
    if (stream.width > 0 && stream.height > 0 &&
        !PictureSizeFits(stream.width, stream.height, 1, error)) {
        return false;
    }
    GraphicsControlBlock control = NoControlBlock();
    int64_t pixelsSoFar = 0;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) {
            break;
        }
        if (type == EXTENSION_RECORD_TYPE) {
            if (!ReadExtension(gif, control)) {
                break;
            }
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            const ImageRead read = ReadImage(gif, stream, control, pixelsSoFar, error);
            if (read == ImageRead::Refused) {
                return false;
            }
            if (read == ImageRead::Damaged) {
                break;
            }
            control = NoControlBlock();  // a control block governs one image
        } else {
            break;  // the trailer
        }
    }
    if (stream.images.empty()) {
        error = GifError("cannot decode the GIF picture", gif->Error);
        return false;
    }
    return true;
}

// --- composing the frames ---

// What a frame's colour index draws: a canvas value, nothing (its
// transparent index) or a colour the canvas cannot hold.
template <class Pixel>
struct Ink {
    enum Kind : uint8_t { Draw, Skip, Unfit } kind = Unfit;
    Pixel value{};
};
template <class Pixel>
using InkTable = std::array<Ink<Pixel>, 256>;

// Draws the images one over the other on a canvas of the screen's size, as
// their disposal says, and hands the canvas to `emit` after each. False as
// soon as a drawn index is unfit or `emit` refuses.
template <class Pixel, class InksOf, class Emit>
bool ComposeFrames(const GifStream& stream, Pixel clear, InksOf inksOf, Emit emit) {
    const size_t width = static_cast<size_t>(stream.width);
    std::vector<Pixel> canvas(width * static_cast<size_t>(stream.height), clear);
    std::vector<Pixel> saved;
    for (size_t f = 0; f < stream.images.size(); ++f) {
        const GifImage& image = stream.images[f];
        const InkTable<Pixel> inks = inksOf(image);
        // The part of the image that lies on the screen.
        const int x0 = std::min(image.left, stream.width);
        const int y0 = std::min(image.top, stream.height);
        const int x1 = std::min(image.left + image.width, stream.width);
        const int y1 = std::min(image.top + image.height, stream.height);
        if (image.disposal == DISPOSE_PREVIOUS) {
            saved = canvas;
        }
        for (int y = y0; y < y1; ++y) {
            const uint8_t* row =
                image.indices.data() + static_cast<size_t>(y - image.top) * image.width;
            Pixel* out = canvas.data() + static_cast<size_t>(y) * width;
            for (int x = x0; x < x1; ++x) {
                const Ink<Pixel>& ink = inks[row[x - image.left]];
                if (ink.kind == Ink<Pixel>::Unfit) {
                    return false;
                }
                if (ink.kind == Ink<Pixel>::Draw) {
                    out[x] = ink.value;
                }
            }
        }
        if (!emit(f, canvas)) {
            return false;
        }
        if (image.disposal == DISPOSE_BACKGROUND) {
            for (int y = y0; y < y1; ++y) {
                std::fill_n(canvas.data() + static_cast<size_t>(y) * width + x0, x1 - x0, clear);
            }
        } else if (image.disposal == DISPOSE_PREVIOUS) {
            canvas.swap(saved);
        }
    }
    return true;
}

constexpr uint16_t kClearIndex = 0xFFFF;

// The frames as indices of the first frame's colour table: another table's
// colours are looked up by value; uncovered pixels take the first frame's
// transparent index. False when a colour or an uncovered pixel has no index.
bool ComposeIndexed(const GifStream& stream, DecodedPicture& out, std::string& error) {
    const GifImage& first = stream.images.front();
    const std::vector<uint8_t>& palette = first.colours;
    // A transparent index past the table cannot stand for uncovered pixels.
    const int key =
        first.transparent < static_cast<int>(palette.size() / 3) ? first.transparent : -1;
    std::unordered_map<uint32_t, uint16_t> indexOfColour;
    for (int i = static_cast<int>(palette.size() / 3) - 1; i >= 0; --i) {  // the first wins
        if (i != key) {
            const uint8_t* rgb = &palette[static_cast<size_t>(i) * 3];
            indexOfColour[uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2]] =
                static_cast<uint16_t>(i);
        }
    }
    auto inksOf = [&](const GifImage& image) {
        InkTable<uint16_t> inks;
        const bool samePalette = image.colours == palette;
        for (int i = 0; i < 256; ++i) {
            Ink<uint16_t>& ink = inks[static_cast<size_t>(i)];
            if (i == image.transparent) {
                ink.kind = Ink<uint16_t>::Skip;
            } else if (static_cast<size_t>(i) * 3 >= image.colours.size()) {
                ink.kind = Ink<uint16_t>::Unfit;
            } else if (samePalette && i != key) {
                ink = {Ink<uint16_t>::Draw, static_cast<uint16_t>(i)};
            } else {
                const uint8_t* rgb = &image.colours[static_cast<size_t>(i) * 3];
                const auto found =
                    indexOfColour.find(uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2]);
                ink.kind =
                    found != indexOfColour.end() ? Ink<uint16_t>::Draw : Ink<uint16_t>::Unfit;
                ink.value = found != indexOfColour.end() ? found->second : 0;
            }
        }
        return inks;
    };
    if (!AllocatePicturePixels(out, stream.width, stream.height, PictureLayout::Indexed8,
                               static_cast<int>(stream.images.size()), error)) {
        return false;
    }
    auto emit = [&](size_t f, const std::vector<uint16_t>& canvas) {
        uint8_t* frame = out.pixels.get() + out.FrameBytes() * f;
        for (size_t p = 0; p < canvas.size(); ++p) {
            if (canvas[p] == kClearIndex && key < 0) {
                return false;
            }
            frame[p] = static_cast<uint8_t>(canvas[p] == kClearIndex ? key : canvas[p]);
        }
        return true;
    };
    if (!ComposeFrames<uint16_t>(stream, kClearIndex, inksOf, emit)) {
        out.pixels.reset();
        return false;
    }
    out.palette = palette;
    out.transparentIndex = key;
    return true;
}

// The frames as 32-bit pixels with alpha; uncovered pixels are transparent
// black, indices past a frame's table opaque black.
bool ComposeTrueColour(const GifStream& stream, DecodedPicture& out, std::string& error) {
    auto inksOf = [](const GifImage& image) {
        InkTable<uint32_t> inks;
        for (size_t i = 0; i < inks.size(); ++i) {
            if (static_cast<int>(i) == image.transparent) {
                inks[i].kind = Ink<uint32_t>::Skip;
                continue;
            }
            uint32_t rgb = 0;
            if (i * 3 < image.colours.size()) {
                const uint8_t* c = &image.colours[i * 3];
                rgb = uint32_t{c[0]} << 16 | uint32_t{c[1]} << 8 | c[2];
            }
            inks[i] = {Ink<uint32_t>::Draw, 0xFF000000u | rgb};
        }
        return inks;
    };
    if (!AllocatePicturePixels(out, stream.width, stream.height, PictureLayout::Bgra32,
                               static_cast<int>(stream.images.size()), error)) {
        return false;
    }
    auto emit = [&](size_t f, const std::vector<uint32_t>& canvas) {
        uint8_t* frame = out.pixels.get() + out.FrameBytes() * f;
        for (uint32_t argb : canvas) {
            *frame++ = static_cast<uint8_t>(argb);
            *frame++ = static_cast<uint8_t>(argb >> 8);
            *frame++ = static_cast<uint8_t>(argb >> 16);
            *frame++ = static_cast<uint8_t>(argb >> 24);
        }
        return true;
    };
    ComposeFrames<uint32_t>(stream, 0, inksOf, emit);
    out.hasAlpha = true;
    return true;
}

bool HasGifSignature(std::span<const uint8_t> bytes) {
    return bytes.size() >= 6 && (std::memcmp(bytes.data(), "GIF87a", 6) == 0 ||
                                 std::memcmp(bytes.data(), "GIF89a", 6) == 0);
}

}  // namespace

bool DecodeGif(std::span<const uint8_t> bytes, DecodedPicture& out, std::string& error) {
    if (!HasGifSignature(bytes)) {
        error = "not a GIF picture";
        return false;
    }
    GifSource source{bytes, 0};
    int openError = 0;
    GifPtr gif(DGifOpen(&source, ReadGifBytes, &openError));
    if (!gif) {
        error = GifError("cannot read the GIF picture", openError);
        return false;
    }
    GifStream stream;
    if (!ReadGifStream(gif.get(), stream, error)) {
        return false;
    }
    gif.reset();
    if (!ComposeIndexed(stream, out, error)) {
        if (!error.empty()) {
            return false;  // out of memory, not a colour that does not fit
        }
        out = DecodedPicture{};
        if (!ComposeTrueColour(stream, out, error)) {
            return false;
        }
    }
    for (const GifImage& image : stream.images) {
        out.delaysCs.push_back(image.delayCs);
    }
    return true;
}

}  // namespace platform::detail
