#pragma once
// Test helper: cursor, icon and animated cursor files written byte by byte.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/platform/PictureBytes.h"

namespace cursor_bytes {

using picture_bytes::Bytes;
using picture_bytes::Le16;
using picture_bytes::Le32;

// Packs values of `bits` bits into rows padded to 32 bits, bottom row first.
inline Bytes PackRows(int w, int h, int bits, const std::vector<uint32_t>& values) {
    const size_t stride = (static_cast<size_t>(w) * bits + 31) / 32 * 4;
    Bytes out(stride * h, 0);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = out.data() + stride * (h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const uint32_t v = values[static_cast<size_t>(y) * w + x];
            if (bits >= 8) {
                for (int b = 0; b < bits / 8; ++b) {
                    row[x * bits / 8 + b] = static_cast<uint8_t>(v >> (8 * b));
                }
            } else {
                const int bit = x * bits;
                row[bit / 8] |= static_cast<uint8_t>(v << (8 - bits - bit % 8));
            }
        }
    }
    return out;
}

// A DIB entry of w x h pixels. `values` run from the top row: palette
// indices (bits up to 8) or 0xAARRGGBB colours. `palette` holds 0x00RRGGBB
// entries. `mask` is 1 for transparent pixels; withMask false leaves the mask
// rows out.
inline Bytes Dib(int w, int h, int bits, const std::vector<uint32_t>& palette,
                 const std::vector<uint32_t>& values, const std::vector<uint32_t>& mask,
                 bool withMask = true) {
    Bytes out;
    Le32(out, 40);
    Le32(out, static_cast<uint32_t>(w));
    Le32(out, static_cast<uint32_t>(h * 2));
    Le16(out, 1);
    Le16(out, static_cast<uint32_t>(bits));
    Le32(out, 0);  // uncompressed
    Le32(out, 0);
    Le32(out, 0);
    Le32(out, 0);
    Le32(out, static_cast<uint32_t>(palette.size()));
    Le32(out, 0);
    for (uint32_t colour : palette) {
        Le32(out, colour);
    }
    const Bytes colours = PackRows(w, h, bits, values);
    out.insert(out.end(), colours.begin(), colours.end());
    if (withMask) {
        const Bytes maskRows = PackRows(w, h, 1, mask);
        out.insert(out.end(), maskRows.begin(), maskRows.end());
    }
    return out;
}

struct Entry {
    int width;
    int height;
    uint16_t hotX;
    uint16_t hotY;
    Bytes image;
};

// A cursor (type 2) or icon (type 1) file of the entries, images in order.
inline Bytes IconFile(uint16_t type, const std::vector<Entry>& entries) {
    Bytes out;
    Le16(out, 0);
    Le16(out, type);
    Le16(out, static_cast<uint32_t>(entries.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
    for (const Entry& e : entries) {
        out.push_back(static_cast<uint8_t>(e.width));
        out.push_back(static_cast<uint8_t>(e.height));
        out.push_back(0);
        out.push_back(0);
        Le16(out, e.hotX);
        Le16(out, e.hotY);
        Le32(out, static_cast<uint32_t>(e.image.size()));
        Le32(out, offset);
        offset += static_cast<uint32_t>(e.image.size());
    }
    for (const Entry& e : entries) {
        out.insert(out.end(), e.image.begin(), e.image.end());
    }
    return out;
}

inline void Chunk(Bytes& out, const char* tag, const Bytes& data) {
    out.insert(out.end(), tag, tag + 4);
    Le32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) {
        out.push_back(0);
    }
}

// An animated cursor whose frames are the given cursor files.
inline Bytes Ani(const std::vector<Bytes>& frames, uint32_t flags = 1) {
    Bytes header;
    Le32(header, 36);
    Le32(header, static_cast<uint32_t>(frames.size()));
    Le32(header, static_cast<uint32_t>(frames.size()));
    for (int i = 0; i < 5; ++i) {
        Le32(header, 0);
    }
    Le32(header, flags);
    Bytes list = {'f', 'r', 'a', 'm'};
    for (const Bytes& frame : frames) {
        Chunk(list, "icon", frame);
    }
    Bytes body = {'A', 'C', 'O', 'N'};
    Chunk(body, "anih", header);
    Chunk(body, "LIST", list);
    Bytes out = {'R', 'I', 'F', 'F'};
    Le32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// A 4 x 4 one-bit cursor: the top-left pixel white, the rest black, the
// right half transparent; hot spot (hotX, hotY).
inline Bytes SmallCursor(uint16_t hotX = 1, uint16_t hotY = 2) {
    std::vector<uint32_t> values(16, 0);
    values[0] = 1;
    std::vector<uint32_t> mask(16, 0);
    for (int y = 0; y < 4; ++y) {
        mask[y * 4 + 2] = mask[y * 4 + 3] = 1;
    }
    return IconFile(2, {{4, 4, hotX, hotY, Dib(4, 4, 1, {0x000000, 0xFFFFFF}, values, mask)}});
}

inline std::string AsString(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace cursor_bytes
