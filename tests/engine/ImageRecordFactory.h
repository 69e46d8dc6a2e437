#pragma once
// Test helper: builds image records of every pixel format (32-bit, one-byte
// and two-byte indexed, frame grids) and releases them at the end of scope.

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/ImageRecord.h"

// An ImageRecord released when the holder goes away.
struct OwnedRecord {
    ImageRecord record;

    OwnedRecord() = default;
    OwnedRecord(const OwnedRecord&) = delete;
    OwnedRecord& operator=(const OwnedRecord&) = delete;
    ~OwnedRecord() { ReleaseImageRecord(record); }

    ImageRecord* operator->() { return &record; }
    ImageRecord& operator*() { return record; }
};

// Pixel value of (x, y) in the full picture (frames one under the other, or
// the whole grid): a 32-bit pixel word (blue low, alpha high), or for
// indexed pictures the index in the low byte and the alpha in the next.
using PixelFunction = std::function<uint32_t(int x, int y)>;

inline void FillPixels(ImageRecord& r, int fullWidth, int fullHeight, int bytesPerPixel,
                       const PixelFunction& pixel) {
    r.byteSize = static_cast<size_t>(fullWidth) * fullHeight * bytesPerPixel;
    r.pixels = new uint8_t[r.byteSize > 0 ? r.byteSize : 1];
    r.ownsPixels = true;
    for (int y = 0; y < fullHeight; ++y) {
        for (int x = 0; x < fullWidth; ++x) {
            const uint32_t v = pixel(x, y);
            std::memcpy(r.pixels + (static_cast<size_t>(y) * fullWidth + x) * bytesPerPixel, &v,
                        bytesPerPixel);
        }
    }
}

inline void SetDelays(ImageRecord& r, const std::vector<int>& delays) {
    r.delays = new int32_t[delays.size()];
    for (size_t i = 0; i < delays.size(); ++i) {
        r.delays[i] = delays[i];
    }
    r.flags |= kImageDelays;
}

// 32-bit picture of `frames` frames stored frame under frame.
inline void Make32(ImageRecord& r, int width, int height, int frames, uint32_t flags,
                   const PixelFunction& pixel) {
    ReleaseImageRecord(r);
    r.width = static_cast<uint16_t>(width);
    r.height = static_cast<uint16_t>(height);
    r.frameCount = frames;
    r.flags = flags;
    r.colorKey = kDefaultColorKey;
    r.framesPerRow = 1;
    FillPixels(r, width, height * frames, 4, pixel);
}

// Indexed picture with a palette of paletteCount entries, entry i being
// red i, green 255 - i, blue i * 7 (as bytes); two bytes a pixel with alpha.
inline void MakeIndexed(ImageRecord& r, int width, int height, int frames, bool withAlpha,
                        uint32_t colorKey, int paletteCount, const PixelFunction& pixel) {
    ReleaseImageRecord(r);
    r.width = static_cast<uint16_t>(width);
    r.height = static_cast<uint16_t>(height);
    r.frameCount = frames;
    r.flags = kImagePalette | (withAlpha ? kImageAlpha : 0) |
              (colorKey < kNoColorKeyIndex ? kImageHasKey : 0);
    r.colorKey = colorKey;
    r.framesPerRow = 1;
    std::vector<uint8_t> rgb(static_cast<size_t>(paletteCount) * 3);
    for (int i = 0; i < paletteCount; ++i) {
        rgb[i * 3] = static_cast<uint8_t>(i);
        rgb[i * 3 + 1] = static_cast<uint8_t>(255 - i);
        rgb[i * 3 + 2] = static_cast<uint8_t>(i * 7);
    }
    SetImagePalette(r, rgb.data(), paletteCount);
    FillPixels(r, width, height * frames, withAlpha ? 2 : 1, pixel);
}

// 32-bit frame grid of `perRow` columns.
inline void MakeGrid(ImageRecord& r, int width, int height, int frames, int perRow,
                     const PixelFunction& pixel) {
    ReleaseImageRecord(r);
    r.width = static_cast<uint16_t>(width);
    r.height = static_cast<uint16_t>(height);
    r.frameCount = frames;
    r.framesPerRow = perRow;
    const int rows = (frames + perRow - 1) / perRow;
    FillPixels(r, width * perRow, height * rows, 4, pixel);
}

// The palette colour of entry i of MakeIndexed as 0x00BBGGRR.
inline uint32_t FactoryPaletteColor(int i) {
    return static_cast<uint32_t>(i & 0xFF) | static_cast<uint32_t>((255 - i) & 0xFF) << 8 |
           static_cast<uint32_t>((i * 7) & 0xFF) << 16;
}

// A frame state showing the whole of frame 0 of a record.
inline FrameRecord WholeFrame(ImageRecord& r) {
    FrameRecord state;
    state.serial = r.serial;
    state.record = &r;
    state.width = r.width;
    state.height = r.height;
    state.keyColor = kDefaultColorKey;
    return state;
}
