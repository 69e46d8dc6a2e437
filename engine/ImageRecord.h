#pragma once
// ImageRecord: one decoded picture with all its frames, and the helpers that
// copy, duplicate, release and cut frames out of records.
//
// Pixel layout: 32-bit pixels are the bytes blue, green, red, alpha; indexed
// pixels are one byte (index) or, with kImageAlpha, two bytes (index, alpha).
// Rows run from the top. With framesPerRow of 1 (or 0) frame f occupies rows
// f * height .. f * height + height - 1; with n > 1 the full picture is
// n * width pixels wide and frame f lies at grid row f / n, column f % n.
//
// Ownership rules:
//  - pixels, palette and delays are new[] arrays; a record owns its palette
//    and its delays whenever they are non-null, and its pixels only while
//    ownsPixels is set (a shallow copy shares them and clears the mark).
//  - A palette holds 256 entries of red, green, blue, zeroed past
//    paletteCount, so an index read through any palette stays inside it.
//  - A record whose frameCount is 0 or whose pixels are null holds no
//    picture (a record released while views still point at it looks so).

#include <cstddef>
#include <cstdint>

#include "engine/Drawable.h"
#include "engine/ResKey.h"

// Record flags.
constexpr uint32_t kImageHasKey = 0x1;     // has transparent pixels
constexpr uint32_t kImagePpsBlock = 0x2;   // pps picture with a 32-byte block
constexpr uint32_t kImagePalette = 0x4;    // indexed with a palette
constexpr uint32_t kImageAlpha = 0x8;      // per-pixel alpha (indexed: 2 bytes a pixel)
constexpr uint32_t kImageDelays = 0x10;    // several frames with a delay array
constexpr uint32_t kImageChanged = 0x200;  // changed since last drawn

constexpr uint32_t kNoColorKeyIndex = 256;  // indexed pictures without a key
constexpr uint32_t kDefaultColorKey = 0xFF00FF;
constexpr int kPaletteEntries = 256;
constexpr size_t kPaletteBytes = kPaletteEntries * 3;

struct ImageRecord {
    uint32_t serial = 0;  // cache serial; 0 for a record never cached
    uint16_t width = 0;   // size of one frame
    uint16_t height = 0;
    uint8_t* pixels = nullptr;
    size_t byteSize = 0;  // bytes of the pixel buffer
    // Indexed: the transparent index (kNoColorKeyIndex for none); 32-bit:
    // the transparent colour 0x00BBGGRR; canvases kDefaultColorKey.
    uint32_t colorKey = 0;
    int32_t frameCount = 0;
    uint32_t flags = 0;
    uint8_t* palette = nullptr;  // kPaletteBytes bytes: red, green, blue
    int32_t paletteCount = 0;
    int32_t* delays = nullptr;  // frameCount entries, milliseconds
    int16_t sliceX = 0;         // extra size of the fixed end pieces in sliced draws
    int16_t sliceY = 0;
    int32_t framesPerRow = 0;  // above 1: the frames form a grid of that many columns
    uint32_t time = 0;         // module time when cached
    uint32_t reserved = 0;
    bool ownsPixels = false;
};

// True when the record holds a picture: frames and pixels.
bool HasPicture(const ImageRecord& record);
// Indexed pictures (palette or pps block) that are not frame grids.
bool IsIndexedImage(const ImageRecord& record);
// Bytes per pixel that picture flags describe: 1 or 2 indexed (palette or
// pps block, 2 with per-pixel alpha), else 4.
int GetBytesPerPixelOfFlags(uint32_t flags);
// Bytes per pixel of the record's format; frame grids are always 32-bit.
int GetBytesPerPixel(const ImageRecord& record);

// Frees the buffers the record owns and resets every field.
void ReleaseImageRecord(ImageRecord& record);
// The same for a record that may be null (ignored).
void FreeImageRecord(ImageRecord* record);

// Gives the record a new 256-entry palette holding count (clamped to 0..256)
// entries of rgb; the flags are left alone. False when memory runs out.
bool SetImagePalette(ImageRecord& record, const uint8_t* rgb, int count);

// Deep copy: releases the destination, copies every field and gives it its
// own delays and palette; the pixels are copied when copyPixels is set, else
// shared (the destination does not own them). False, with the destination
// released, when memory runs out.
bool CopyImageRecord(ImageRecord& destination, const ImageRecord& source, bool copyPixels);

// As CopyImageRecord, but without copyPixels the destination has no pixels
// and a byte size of 0; it always ends with one frame per row and time and
// reserved 0. Meant for records stored frame under frame.
bool DuplicateImageRecord(const ImageRecord& source, ImageRecord& destination, bool copyPixels);

// A new single-frame 32-bit record of frame `index` (reduced modulo the frame
// count) of a 32-bit picture, frame grids included. An indexed picture, a
// picture without pixels or a frame outside the pixel buffer gives an empty
// record and false.
bool ExtractImageFrame(ImageRecord& out, const ImageRecord& picture, int index);

// The frame state: which record a view shows, which rectangle of which frame,
// the tint handed to the blitter and the picture's cache key. Other parts of
// the program call it a frame record: word 1 is the record, words 2 to 5 the
// source x, y, width and height.
struct FrameRecord {
    uint32_t serial = 0;  // the record's serial when the state was made
    ImageRecord* record = nullptr;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t frame = 0;
    uint32_t keyColor = 0;  // tint 0xTTBBGGRR; kDefaultColorKey for none
    ResKey key;
};
using FrameState = FrameRecord;

// The drawable that a picture or canvas holds: it points at a record (which
// it does not own) and selects one frame and a rectangle of it.
//
// Rules:
//  - The view answers as having no record when the record is null, holds no
//    picture (released) or has another serial than the view (IsCurrent 0).
//  - Frame numbers are reduced with a non-negative modulo of the frame count.
//  - Pixel queries outside the record's frame answer 0; HitTest also answers
//    0 outside the frame state's size.
class CImageFrameView : public Drawable {
public:
    CImageFrameView() = default;
    ~CImageFrameView() override = default;

    int IsHidden() const override { return 0; }
    int HitTest(int x, int y) const override;
    int GetWidth() const override { return m_state.width; }
    int GetHeight() const override { return m_state.height; }
    int IsCurrent() const override;

    void SetFrameInfo(const FrameRecord& state) { m_state = state; }
    FrameRecord GetFrameInfo() const { return m_state; }
    ImageRecord* GetRecord() const { return m_state.record; }
    void SetRecord(ImageRecord* record) { m_state.record = record; }
    void MarkChanged();
    void ClearChanged();

    uint32_t GetColorKey() const;
    int GetOffsetX() const { return m_state.offsetX; }
    int GetOffsetY() const { return m_state.offsetY; }
    int GetFrame() const { return m_state.frame; }
    uint32_t GetKeyColor() const { return m_state.keyColor; }
    void SetKeyColor(uint32_t color) { m_state.keyColor = color; }
    ResKey GetKey() const { return m_state.key; }
    void SetSize(int width, int height);

    int GetFrameCount() const;
    int GetFrameDelay(int frame) const;
    int GetTotalDuration() const;
    int GetSliceX() const;
    int GetSliceY() const;

    // 0x00BBGGRR and 0..255 of pixel (x, y) of the current frame, without the
    // frame state's offsets.
    uint32_t GetPixelColor(int x, int y) const;
    int GetAlphaAt(int x, int y) const;

    // Shows frame `frame` (modulo the count); a change marks the record
    // changed. Answers the new frame's delay, or 0 (nothing done) without a
    // record or with fewer than 2 frames.
    int SetFrame(int frame);
    // The frame that `time` ms after the start frame falls on, walking the
    // delays round from `start`; shows it and answers it. Answers start when
    // nothing changes (no record, one frame, no delays, the frame already
    // shown).
    int SetFrameByTime(int time, int start);
    // Steps to the next frame without marking the record; answers its delay,
    // 0 with fewer than 2 frames.
    int NextFrame();

    uint32_t GetRefreshTime() const { return m_refreshTime; }
    void SetRefreshTime(uint32_t time) { m_refreshTime = time; }

private:
    // The record when the view may read it, else null.
    const ImageRecord* LiveRecord() const;
    // Frame state's frame reduced to the record's frame count.
    int CurrentFrame(const ImageRecord& record) const;
    // Pixel (x, y) of the current frame and the record it lies in; null
    // without a live record or outside the frame.
    const uint8_t* CurrentPixel(int x, int y, const ImageRecord*& record) const;

    uint32_t m_refreshTime = 0;
    FrameRecord m_state;
};
