#pragma once
// The painter of the engine: the one implementation of PaintModule. It owns
// the back buffers of the scene size, composes each frame into them with the
// software blitter, converts the finished frame to the display's depth into
// its back bitmap and copies that bitmap to the engine window on paint.
//
// Buffers (32-bit, bytes blue, green, red, alpha, rows from the top):
//  - background: what every frame starts from inside its dirty rectangles;
//    kept between frames;
//  - compose: where the frame is drawn;
//  - output: the finished frame, the source of the back bitmap;
//  - converted: the output at 24 or 16 bits when the display has that depth.
//
// Rules:
//  - Only the dirty rectangles, clamped to the buffer, are recomposed,
//    uploaded and invalidated; everything else keeps the last frame. A
//    paint copies only the window's area waiting for paint, so a small
//    change costs a small copy and an uncovered window is copied whole.
//  - A frame handed over with 1033 is released here, drawn or not.
//  - A display depth other than 16, 24 or 32 uploads nothing and sends
//    failure notice 1006 on every frame.

#include <cstdint>
#include <memory>

#include "engine/PaintModule.h"
#include "platform/Display.h"

// The GameCore integer setting that tells which painter is loaded.
inline constexpr int kPainterSetting = 18;

class GdiPaintModule : public PaintModule {
public:
    GdiPaintModule() = default;
    ~GdiPaintModule() override = default;

    int Init() override;
    int Uninit() override;
    // Adds 1034 (p: a platform::WindowSurface to paint into, or null for the
    // engine window) to the base's messages; answers 0.
    int HandleMessage(int id, void* p, int n) override;

    bool SetBufferSize(int width, int height) override;
    void DrawFrame(FrameDrawRecord* frame) override;
    void DrawItem(const DrawRecord& node, Drawable* drawable) override;
    int LoadImageResource(const ResKey& key) override;
    int DrawImageToBackground(const FrameRecord& state, int x, int y, int width, int height,
                              double angle) override;
    uint32_t FillBackground(uint32_t color) override;
    TargetSurface GetBackgroundSurface() const override;
    void CopyImageRecord(ImageRecord& destination, const ImageRecord& source) override;
    void FreeImageRecord(ImageRecord* record) override;

    virtual void DrawNode(const DrawRecord& node, const CImageFrameView& view);
    // Copies the whole back bitmap to the surface; with null, copies to the
    // engine window the part of it that waits for paint.
    virtual void Present(platform::WindowSurface* target);
    // Converts the whole output buffer into the back bitmap; 1, or the
    // notice's answer when the depth is not supported.
    virtual int UploadBackBuffer();

    // For checks: the 32-bit buffers (null before SetBufferSize) and the
    // back bitmap.
    const uint8_t* GetBackgroundPixels() const { return background_.get(); }
    const uint8_t* GetComposePixels() const { return compose_.get(); }
    const uint8_t* GetOutputPixels() const { return output_.get(); }
    const platform::DisplayBitmap& GetBackBitmap() const { return backBitmap_; }

private:
    using Buffer = std::unique_ptr<uint8_t[]>;

    void FreeBuffers();
    // Clamps the rectangle to the buffer in place, then copies its rows.
    void CopyRect(IntRect& rect, const uint8_t* from, uint8_t* to) const;
    // UploadBackBuffer for the rectangles only (clamped to the buffer).
    int UploadRects(const IntRect* rects, int count);
    TargetSurface SurfaceOf(uint8_t* pixels, int depthWord) const;
    // Draws a frame state's picture, frame grids through a one-frame copy.
    void DrawFrameState(const TargetSurface& target, SpriteParams& params, const FrameRecord& state,
                        double alpha) const;

    Buffer background_;
    Buffer compose_;
    Buffer output_;
    Buffer converted_;
    platform::DisplayBitmap backBitmap_;
};
