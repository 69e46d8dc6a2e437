#pragma once
// Pixels on the screen: the display's colour depth, off-screen bitmaps in
// the display's format, and the surface that shows a window's client area.
//
// Pixel formats by depth (rows from the top, packed without padding):
//  - 32: blue, green, red and an unused byte;
//  - 24: blue, green, red;
//  - 16: one little-endian word, red 5 bits << 11, green 6 bits << 5, blue 5.
//
// Rules:
//  - A window shows what was last copied into its surface; copies are
//    clipped to the bitmap and to the surface, so nothing is read or written
//    outside either.
//  - Invalidating part of a window adds it (clipped to the client area) to
//    the area waiting for paint and asks its thread for one kMsgPaint; the
//    paint handler takes the area with TakeInvalidArea.
//  - A surface is made, used and destroyed on the thread that owns its
//    window; InvalidateRect may be called from any thread.
//  - A surface shows its pixels through its back end: an SDL window when a
//    video driver is available, none in headless runs (the surface then only
//    keeps the pixels, which tests read back).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/Messages.h"

namespace platform {

// Bits per pixel of the screen: 32, unless a test pretends otherwise.
int DisplayDepth();
// 0 restores the real answer.
void SetDisplayDepthForTesting(int bitsPerPixel);

// True for the depths that bitmaps and surfaces hold: 16, 24 and 32.
bool IsSupportedDepth(int bitsPerPixel);

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool IsEmpty() const { return left >= right || top >= bottom; }
    bool operator==(const PixelRect&) const = default;
};

// An off-screen picture in a display format: what a window's content is
// copied from.
class DisplayBitmap {
public:
    DisplayBitmap() = default;

    // width x height zeroed pixels of the depth. False, with no bitmap left,
    // for a negative size, an unsupported depth or too little memory.
    bool Create(int width, int height, int bitsPerPixel);
    void Reset();

    bool IsValid() const { return depth_ != 0; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Depth() const { return depth_; }
    size_t RowBytes() const;
    size_t ByteSize() const { return bits_.size(); }
    const uint8_t* Bits() const { return bits_.data(); }

    // Copies the first min(size, ByteSize()) bytes in; answers how many.
    size_t SetBits(const void* bits, size_t size);
    // Copies the area (clipped to the bitmap) from pixels laid out as the
    // bitmap's but `sourceRowBytes` apart; a null source copies nothing.
    void SetBitsInRect(const uint8_t* source, size_t sourceRowBytes, const PixelRect& area);

private:
    std::vector<uint8_t> bits_;
    int width_ = 0;
    int height_ = 0;
    int depth_ = 0;
};

class WindowSurface;

// What shows a surface's pixels to the user.
class SurfaceBackend {
public:
    virtual ~SurfaceBackend() = default;
    // The client area's new size.
    virtual void Resize(int width, int height) = 0;
    // The surface's pixels changed inside the rectangle (within its size).
    virtual void Show(const WindowSurface& surface, const PixelRect& changed) = 0;
    // The colour the screen shows at a client point, 0x00BBGGRR (0 outside).
    virtual uint32_t ShownColorAt(int x, int y) const = 0;
};

// An SDL window titled with the GBK title, shown from its first picture on;
// null when SDL video cannot start.
std::unique_ptr<SurfaceBackend> MakeSdlSurfaceBackend(std::string_view title);
// The SDL back end when a video driver other than SDL's dummy one runs, else
// null (headless).
std::unique_ptr<SurfaceBackend> MakeDefaultSurfaceBackend();

// The client area of one window: the pixels it shows and the area waiting
// for paint. A window object owns one; InvalidateRect and BlitToWindow find
// it by window id (the last surface made for a window is the one found).
class WindowSurface {
public:
    // Of the current display depth, empty until Resize; a null back end
    // keeps the pixels only.
    explicit WindowSurface(WindowId window, std::unique_ptr<SurfaceBackend> backend = nullptr);
    ~WindowSurface();
    WindowSurface(const WindowSurface&) = delete;
    WindowSurface& operator=(const WindowSurface&) = delete;

    WindowId Window() const { return window_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Depth() const { return depth_; }
    size_t RowBytes() const;
    const std::vector<uint8_t>& Pixels() const { return pixels_; }
    // The colour of a client pixel as 0x00BBGGRR; 0 outside.
    uint32_t ColorAt(int x, int y) const;
    // How many copies have reached the surface, the last one's area and
    // the pixels copied in all.
    int PresentCount() const { return presentCount_; }
    PixelRect LastPresentedArea() const { return lastPresented_; }
    int64_t PresentedPixels() const { return presentedPixels_; }
    SurfaceBackend* Backend() const { return backend_.get(); }

    // New client size (negative counts as 0): pixels keep their place where
    // the areas overlap, new ones are black; the waiting area is clipped.
    void Resize(int width, int height);

    // Copies width x height pixels of the bitmap from (sourceX, sourceY) to
    // (x, y) of the client area, both clipped. False when nothing was copied.
    bool Blit(const DisplayBitmap& bitmap, int x, int y, int width, int height, int sourceX,
              int sourceY);

    // The area waiting for paint (the bounding box of what was invalidated),
    // empty when none; TakeInvalidArea also clears it.
    PixelRect InvalidArea() const;
    PixelRect TakeInvalidArea();

private:
    friend bool InvalidateRect(WindowId window, const PixelRect* rect);

    WindowId window_;
    std::unique_ptr<SurfaceBackend> backend_;
    int width_ = 0;
    int height_ = 0;
    int depth_ = 32;
    std::vector<uint8_t> pixels_;
    int presentCount_ = 0;
    PixelRect lastPresented_;
    int64_t presentedPixels_ = 0;
    PixelRect invalid_;  // guarded by the surface registry's lock
};

// Marks the rectangle of the window's client area (null: all of it) as
// waiting for paint and requests kMsgPaint when anything is waiting. False
// when the window does not exist.
bool InvalidateRect(WindowId window, const PixelRect* rect);

// The area of the window waiting for paint; empty when none is waiting or
// the window has no surface.
PixelRect InvalidAreaOf(WindowId window);

// WindowSurface::Blit on the window's surface; false without one.
bool BlitToWindow(WindowId window, const DisplayBitmap& bitmap, int x, int y, int width, int height,
                  int sourceX, int sourceY);

}  // namespace platform
