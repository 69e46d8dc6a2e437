#pragma once
// Test helper: small pictures written byte by byte (PNG with stored deflate
// blocks, GIF with frames), so decoder tests need no files.

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace picture_bytes {

using Bytes = std::vector<uint8_t>;

inline void Le16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Le32(Bytes& out, uint32_t v) {
    Le16(out, v & 0xFFFF);
    Le16(out, v >> 16);
}
inline void Be32(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(v >> shift));
    }
}

inline uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// A zlib stream of stored (uncompressed) blocks.
inline Bytes StoredZlib(const Bytes& data) {
    Bytes out = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(65535, data.size() - pos);
        out.push_back(pos + n == data.size() ? 1 : 0);
        Le16(out, static_cast<uint32_t>(n));
        Le16(out, static_cast<uint32_t>(~n & 0xFFFF));
        out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(pos),
                   data.begin() + static_cast<ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < data.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    Be32(out, b << 16 | a);
    return out;
}

inline void PngChunk(Bytes& out, const char* type, const Bytes& data) {
    Be32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Be32(out, Crc32(out.data() + start, out.size() - start));
}

// An 8-bit PNG: colourType 2 RGB, 3 palette, 6 RGBA; `samples` of every
// row, top row first (each row gets filter byte 0).
inline Bytes Png(int width, int height, int colourType, const Bytes& samples,
                 const Bytes& palette = {}, const Bytes& transparency = {}) {
    Bytes out = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    Bytes header;
    Be32(header, static_cast<uint32_t>(width));
    Be32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, static_cast<uint8_t>(colourType), 0, 0, 0});
    PngChunk(out, "IHDR", header);
    if (!palette.empty()) {
        PngChunk(out, "PLTE", palette);
    }
    if (!transparency.empty()) {
        PngChunk(out, "tRNS", transparency);
    }
    const size_t rowBytes = samples.size() / static_cast<size_t>(height);
    Bytes raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), samples.begin() + static_cast<ptrdiff_t>(rowBytes * y),
                   samples.begin() + static_cast<ptrdiff_t>(rowBytes * (y + 1)));
    }
    PngChunk(out, "IDAT", StoredZlib(raw));
    PngChunk(out, "IEND", {});
    return out;
}

// A picture of one colour (0x00BBGGRR), RGB without alpha.
inline Bytes SolidRgbPng(int width, int height, uint32_t colour) {
    Bytes samples;
    for (int i = 0; i < width * height; ++i) {
        samples.push_back(static_cast<uint8_t>(colour & 0xff));
        samples.push_back(static_cast<uint8_t>((colour >> 8) & 0xff));
        samples.push_back(static_cast<uint8_t>((colour >> 16) & 0xff));
    }
    return Png(width, height, 2, samples);
}

struct GifFrame {
    Bytes indices;         // width * height, top row first
    int delayCs = 0;       // hundredths of a second
    int transparent = -1;  // transparent index, -1 none
    Bytes localPalette;    // red, green, blue; empty: the global one
    // The frame's place on the screen; a width of 0 fills the screen.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int disposal = 1;  // 1 stays under the next frame, 2 cleared, 3 restored
    bool interlaced = false;
};

// The frame's place and size on the screen.
inline GifFrame Placed(GifFrame frame, int left, int top, int width, int height) {
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    return frame;
}

// Rows in the four passes of an interlaced GIF image.
inline Bytes InterlacedRows(const Bytes& indices, int width, int height) {
    Bytes out;
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = kStart[pass]; y < height; y += kStep[pass]) {
            const auto row = indices.begin() + static_cast<ptrdiff_t>(y) * width;
            out.insert(out.end(), row, row + width);
        }
    }
    return out;
}

inline GifFrame Frame(Bytes indices, int delayCs, int transparent, Bytes localPalette = {}) {
    GifFrame frame;
    frame.indices = std::move(indices);
    frame.delayCs = delayCs;
    frame.transparent = transparent;
    frame.localPalette = std::move(localPalette);
    return frame;
}

// LZW codes that keep their first width: a clear code every 2^m - 2 literals.
inline Bytes GifLzw(const Bytes& indices, int minCodeSize) {
    Bytes out;
    uint32_t bits = 0;
    int count = 0;
    const int width = minCodeSize + 1;
    const int clear = 1 << minCodeSize;
    auto emit = [&](int code) {
        bits |= static_cast<uint32_t>(code) << count;
        count += width;
        while (count >= 8) {
            out.push_back(static_cast<uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    };
    emit(clear);
    int run = 0;
    for (uint8_t index : indices) {
        if (run == clear - 2) {
            emit(clear);
            run = 0;
        }
        emit(index);
        ++run;
    }
    emit(clear + 1);
    if (count > 0) {
        out.push_back(static_cast<uint8_t>(bits));
    }
    return out;
}

// Table size bits: entries = 2 << bits, so palette bytes pad to that.
inline int GifTableBits(const Bytes& palette) {
    int bits = 0;
    while ((size_t{3} << (bits + 1)) < palette.size()) {
        ++bits;
    }
    return bits;
}

inline void GifTable(Bytes& out, Bytes palette) {
    palette.resize(size_t{3} << (GifTableBits(palette) + 1), 0);
    out.insert(out.end(), palette.begin(), palette.end());
}

inline Bytes Gif(int width, int height, const Bytes& palette, const std::vector<GifFrame>& frames) {
    Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
    Le16(out, static_cast<uint32_t>(width));
    Le16(out, static_cast<uint32_t>(height));
    out.push_back(static_cast<uint8_t>(0xF0 | GifTableBits(palette)));
    out.push_back(0);
    out.push_back(0);
    GifTable(out, palette);
    for (const GifFrame& frame : frames) {
        const int frameWidth = frame.width > 0 ? frame.width : width;
        const int frameHeight = frame.width > 0 ? frame.height : height;
        out.insert(out.end(), {0x21, 0xF9, 4});
        out.push_back(static_cast<uint8_t>(frame.disposal << 2 | (frame.transparent >= 0 ? 1 : 0)));
        Le16(out, static_cast<uint32_t>(frame.delayCs));
        out.push_back(static_cast<uint8_t>(std::max(frame.transparent, 0)));
        out.push_back(0);
        out.push_back(0x2C);
        Le16(out, static_cast<uint32_t>(frame.left));
        Le16(out, static_cast<uint32_t>(frame.top));
        Le16(out, static_cast<uint32_t>(frameWidth));
        Le16(out, static_cast<uint32_t>(frameHeight));
        const uint8_t interlace = frame.interlaced ? 0x40 : 0;
        if (frame.localPalette.empty()) {
            out.push_back(interlace);
        } else {
            out.push_back(
                static_cast<uint8_t>(0x80 | interlace | GifTableBits(frame.localPalette)));
            GifTable(out, frame.localPalette);
        }
        const int minCodeSize = 8;
        out.push_back(minCodeSize);
        const Bytes data =
            GifLzw(frame.interlaced ? InterlacedRows(frame.indices, frameWidth, frameHeight)
                                    : frame.indices,
                   minCodeSize);
        for (size_t pos = 0; pos < data.size(); pos += 255) {
            const size_t n = std::min<size_t>(255, data.size() - pos);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(pos),
                       data.begin() + static_cast<ptrdiff_t>(pos + n));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

}  // namespace picture_bytes
