#pragma once
// The canvas object (kind 3): an engine object with its own 32-bit pixels
// (bytes blue, green, red, alpha; rows from the top, `width` pixels apart)
// and a small raster toolkit over them: pixels, lines, rectangles, colour
// effects, pictures drawn in with the blitter, and text through the shared
// text renderer with the canvas's own font description. Controls use
// canvases as their drawing surfaces; the paint module draws one like any
// picture, through its frame view.
//
// Rules:
//  - Colours are 0x00BBGGRR. A colour becomes a pixel as blue, green, red
//    with alpha 255, except the colour equal to the record's colour key,
//    which keeps its bytes with alpha 0 (transparent).
//  - Two keys: the record's colour key (0xFF00FF, what counts as
//    transparent) and the canvas's colour key (the colour that Clear and
//    ClearRect paint, given at Create). They differ for canvases with an
//    opaque background.
//  - Coordinates outside the canvas are ignored, rectangles are clamped to
//    it, a frame state without a picture draws nothing; nothing is ever read
//    or written outside the pixel buffer, and no input makes it crash.
//  - Every operation that changes pixels marks the record changed (0x200)
//    and invalidates the object.
//  - The canvas owns its record and pixels; at destruction the record goes
//    to the paint module (message 1035), which frees it, or is freed here
//    when no paint module is loaded.
//  - Text needs the text renderer handed in at Create; without one, text
//    operations draw nothing and measure 0. Each text call puts the
//    renderer's own description back afterwards.
//  - Made by the object module (CreateCanvas) and destroyed only through it.
//
// Names: the object's geometry getters keep their meaning (GetWidth and
// GetHeight are the object's size as doubles); the pixel size is
// GetCanvasWidth and GetCanvasHeight. Resize(int, int) resizes the pixels
// (the object keeps its size); the object's own Resize(double, double) is
// still there for callers that mean the object.

#include <cstdint>

#include "engine/CorvaneFont.h"
#include "engine/CorvaneObject.h"
#include "engine/ImageRecord.h"

class CCorvaneCanvas : public CCorvaneObject {
public:
    using CCorvaneObject::Create;
    using CCorvaneObject::GetAlpha;
    using CCorvaneObject::Resize;
    using CCorvaneObject::SetAlpha;

    CCorvaneCanvas();
    ~CCorvaneCanvas() override;

    int GetType() override { return kKindCanvas; }
    Drawable* GetDrawable() override { return &view_; }

    // Pixels of width x height (each side 0..65535, at most 2^26 pixels),
    // zeroed; keeps the font (may be null) and the canvas colour key; the
    // object takes the size. 1 when made; 0 (and an empty canvas) for a size
    // out of range or when memory runs out. A second Create replaces the
    // pixels.
    virtual int Create(int width, int height, uint32_t colorKey, CCorvaneFont* font);

    // The pixel (as blue | green << 8 | red << 16 | alpha << 24) of a
    // colour; alpha 0 when the colour equals key.
    static uint32_t ColorToPixel(uint32_t color, uint32_t key);

    // Rows y1 .. y2 - 1, columns x1 .. x2 - 1 (clamped) take the canvas
    // colour key, converted.
    virtual void ClearRect(int x1, int y1, int x2, int y2);
    // Every pixel becomes 0 when the canvas colour key is the record's,
    // else the converted canvas colour key.
    virtual void Clear();
    virtual void SetPixel(int x, int y, uint32_t color);
    // The pixel's alpha byte = truncate(alpha * 255), alpha held to [0, 1].
    virtual void SetAlpha(int x, int y, double alpha);
    // SetPixel over the outermost `thickness` rows and columns.
    virtual void DrawBorder(int thickness, uint32_t color);
    // Every second pixel (from 0) of the outermost rows and columns.
    virtual void DrawDottedBorder(uint32_t color);
    // A line of pen-colour pixels, both end points included.
    virtual void DrawLine(int x1, int y1, int x2, int y2);
    // Corners ordered and clamped to the canvas; nothing when left equals
    // right or top equals bottom. Filled, or the two rows and two columns of
    // the edge.
    virtual void DrawRect(int x1, int y1, int x2, int y2, int fill);
    // The outline with every second pixel.
    virtual void DrawDottedRect(int x1, int y1, int x2, int y2);
    // Draws the frame state's rectangle with its top-left corner at (x, y),
    // stretched to width x height: 0 means the canvas's, a negative value the
    // frame state's own. Angle in degrees, alpha 0..1.
    virtual void DrawImage(const FrameRecord& state, int x, int y, int width, int height,
                           double angle, double alpha);
    // Top at the top, bottom at the bottom, middle stretched between; a
    // canvas not taller than both ends gives each end half the height.
    virtual void DrawImageThreePart(const FrameRecord& top, const FrameRecord& middle,
                                    const FrameRecord& bottom);
    // The picture stretched over the canvas in three slices whose end pieces
    // keep their size (half the picture plus the record's slice value).
    virtual void DrawImageSlicedVertical(const FrameRecord& state);
    virtual void DrawImageSlicedHorizontal(const FrameRecord& state);
    // Inverts blue, green and red of every pixel with alpha in the rectangle
    // (clamped), then ApplyColorKey.
    virtual void InvertRect(int x1, int y1, int x2, int y2);
    // Height = MeasureTextHeight(text, width); the object and the pixels take
    // (width, height). Answers the height.
    virtual int FitHeightToText(const char* text, int width);
    // The pixels scaled (nearest neighbour) to the new size; sizes of 0 or
    // less (or above 65535) change nothing. 1 when resized.
    virtual int Resize(int width, int height);
    // Every pixel whose colour bytes equal the record's colour key gets
    // alpha 0.
    virtual void ApplyColorKey();
    // Each pixel with alpha moves toward the colour by alpha (0..1) with the
    // engine's >> 8 blend.
    virtual void BlendColor(uint32_t color, double alpha);
    // When the view's picture has the canvas's size: every pixel whose
    // picture pixel has alpha 0 gets alpha 0.
    virtual void MaskAlpha(const CImageFrameView& view);
    // Halves blue, green and red of every pixel with alpha.
    virtual void Darken();

    virtual void SetColorKey(uint32_t key);        // the canvas colour key
    virtual void SetKeyColor(uint32_t color);      // the frame state's tint
    virtual void SetRecordColorKey(uint32_t key);  // then ApplyColorKey
    // Pen (text and line) colour; its alpha = truncate(alpha * 255).
    virtual void SetPenColor(uint32_t color, double alpha);
    virtual void SetFont(int height, int weight, const char* face);
    // Each value is taken only when it is 0 or more.
    virtual void SetSpacing(int pitch, int rowSpace);
    virtual void SetItalic(int on);
    virtual void SetUnderline(int on);
    virtual void SetMargins(int left, int right);
    virtual void SetFontDesc(const FontDesc& desc);

    // Text with the font markup from (x, y), the top-left corner.
    virtual void DrawText(int x, int y, const char* text);
    // Centred on (cx, cy) by the estimated width of the text.
    virtual void DrawTextCentered(int cx, int cy, const char* text);
    // Lines filled to the canvas width between the margins, each centred
    // across the canvas, the first with its top at `top`; the last line that
    // fits ends in ".." or "..." when text remains. Answers the lines drawn.
    virtual int DrawTextCenteredLines(const char* text, int top);
    // Lays the caption out to fill the canvas (DrawTextToPixels) with the
    // margins and font size (0: chosen), keeps the layout's height, pitch,
    // row space and left margin and draws it.
    virtual void DrawTextFitted(const char* text, int xMargin, int yMargin, int fontSize);

    virtual uint32_t GetPenColor() const { return desc_.color; }
    // The height of the text wrapped at width with the canvas's font.
    virtual int MeasureTextHeight(const char* text, int width);
    // Width and height of the text laid out from (0, 0) with the canvas's
    // font (no wrap at the canvas edge unless the description wraps).
    virtual void MeasureText(const char* text, int* width, int* height);
    virtual uint32_t GetColorKey() const;  // the record's colour key
    virtual uint32_t GetCanvasColorKey() const { return canvasColorKey_; }
    virtual uint32_t GetKeyColor() const { return view_.GetKeyColor(); }
    // 0x00BBGGRR of the pixel; 0 outside.
    virtual uint32_t GetPixel(int x, int y) const;
    // The alpha byte; 0 outside.
    virtual int GetAlpha(int x, int y) const;
    virtual int GetCanvasWidth() const { return view_.GetWidth(); }
    virtual int GetCanvasHeight() const { return view_.GetHeight(); }
    virtual FrameRecord GetFrameInfo() const { return view_.GetFrameInfo(); }
    void GetFrameInfo(FrameRecord* out) const;
    // Canvas width x height pixels; null for an empty canvas.
    virtual uint8_t* GetPixels() { return pixels_; }
    virtual void GetFontDesc(FontDesc* out) const;
    const FontDesc& GetFontDesc() const { return desc_; }
    CCorvaneFont* GetFont() const { return font_; }

    const CImageFrameView& GetFrameView() const { return view_; }

    // Other names used for the operations above.
    int SetBufferSize(int width, int height) { return Resize(width, height); }
    int SetSurfaceSize(int width, int height) { return Resize(width, height); }
    void SetBackgroundColor(uint32_t color) { SetColorKey(color); }
    void Border(uint32_t color, int thickness) { DrawBorder(thickness, color); }
    void Tint(uint32_t color, double strength) { BlendColor(color, strength); }
    void DrawFrame(const FrameRecord& state, int x, int y, int width, int height, double angle,
                   double alpha) {
        DrawImage(state, x, y, width, height, angle, alpha);
    }
    void DrawThreeFrames(const FrameRecord& top, const FrameRecord& middle,
                         const FrameRecord& bottom) {
        DrawImageThreePart(top, middle, bottom);
    }
    void DrawTextCentred(int cx, int cy, const char* text) { DrawTextCentered(cx, cy, text); }

private:
    // Pixel (x, y), or null outside.
    uint8_t* PixelAt(int x, int y) const;
    void WritePixel(uint8_t* pixel, uint32_t value) const;
    // Puts a new record over the pixels; the old record is released.
    bool InstallPixels(uint8_t* pixels, int width, int height);
    void ReleaseRecord();
    void Changed();
    template <class PixelFn>
    void ForEachPixel(PixelFn&& fn);
    // The three-slice stretch along x (alongX) or y.
    void DrawSliced(const FrameRecord& state, bool alongX);
    // Runs fn with the font locked and carrying the canvas's description,
    // then restores the font's own description.
    template <class Fn>
    void WithCanvasFont(Fn&& fn);

    CImageFrameView view_;
    ImageRecord* record_ = nullptr;  // owned; owns pixels_
    uint8_t* pixels_ = nullptr;
    FontDesc desc_;
    CCorvaneFont* font_ = nullptr;  // the shared text renderer, not owned
    uint32_t canvasColorKey_ = kDefaultColorKey;
};
