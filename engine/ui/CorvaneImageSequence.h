#pragma once
// A line of text drawn with pictures instead of a font: each character code
// (one byte, or lead byte x 256 + trail byte for a double-byte GBK
// character) maps to a frame state of a skin image, and the line is
// composed on a canvas (the peer) that takes the size of the text.
//
// Rules:
//  - The control's own centre is the anchor of the text: with style 0x1 it
//    is the left end, else with 0x4 the right end, else the centre. The
//    canvas is placed from it after every text change and every move; it
//    never moves the anchor.
//  - A byte above 0x80 followed by another byte starts a double-byte
//    character; a lead byte that ends the text counts as a single byte, so
//    nothing is ever read past the text's end.
//  - Fixed cells (style 0x10 clear): a double-byte character takes the cell
//    width, a single-byte one half of it, with the spacing (halved after a
//    single-byte character) between characters. Proportional (0x10): each
//    glyph advances by its own width plus the spacing. A character without
//    a glyph leaves a gap of the same advance.
//  - The measured width is held to the canvas limit (0..65535), so the
//    canvas pixels and the canvas object always agree.
//  - Glyphs are added, replaced or all cleared at once; they go with the
//    control. The line keeps the text it shows, so RefreshText draws it
//    again after the glyphs or the spacing changed.
//  - UI thread only.

#include <cstdint>
#include <map>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneControl.h"
#include "engine/ImageRecord.h"

// Style flags of an image text line.
inline constexpr uint32_t kSequenceAnchorLeft = 0x1;
inline constexpr uint32_t kSequenceAnchorRight = 0x4;
inline constexpr uint32_t kSequenceShowSuffix = 0x8;
inline constexpr uint32_t kSequenceProportional = 0x10;

// Modes of DrawGlyphs: 0x1 the pen starts at x; otherwise it starts left of
// x by half (0x2: a quarter) of the text's cells.
inline constexpr int kGlyphsFromPen = 0x1;
inline constexpr int kGlyphsQuarterShift = 0x2;

class CCorvaneImageSequence : public CCorvaneControl {
public:
    CCorvaneImageSequence() = default;
    ~CCorvaneImageSequence() override = default;

    using CCorvaneObject::Create;
    // Stores the sizes and style and makes the canvas (cellWidth x
    // lineHeight, colour key 0xFF00FF), the peer. 1 when the canvas was
    // made, 0 otherwise (no object module).
    virtual int Create(int cellWidth, int lineHeight, uint32_t styleFlags);
    // Stores a copy of the frame state under the code of the first one or
    // two bytes of `character` (two when it is at least two bytes long),
    // replacing any glyph of that code. A null or empty character stores
    // nothing.
    virtual void AddGlyph(const char* character, const FrameRecord& state);
    // The n-th character of `characters` (a double-byte character counting
    // once) gets frame n of the named image, until either runs out. A
    // single-byte character's glyph is half the frame wide unless the line
    // is proportional. An image the resources do not hold stores nothing.
    virtual void AddGlyphStrip(const char* characters, const char* imageName);
    // Sizes the canvas to the text, draws it from the left and places it.
    virtual void SetText(const char* text);
    // Draws the text's glyphs onto canvas from (x, y) (the top of the line);
    // see the mode constants.
    virtual void DrawGlyphs(CCorvaneCanvas* canvas, double x, double y, const char* text, int mode);
    // Places the canvas from the anchor and invalidates.
    virtual void Align();
    virtual void SetSpacing(int pixels);
    // Forgets every glyph; the shown text keeps its look until the next
    // refresh.
    virtual void ClearGlyphs();
    // Draws the line's text again; derived lines compose their text here.
    virtual void RefreshText();

    // Moves the anchor (and the canvas with it), then places the canvas.
    void MoveBy(double dx, double dy) override;

    // The width the text takes on the line, held to 0..65535.
    int MeasureWidth(const char* text) const;
    // The glyph of a code, or null.
    const FrameRecord* FindGlyph(uint32_t code) const;
    size_t GetGlyphCount() const { return glyphs_.size(); }
    // The canvas (the peer), or null before Create.
    CCorvaneCanvas* GetCanvas();
    int GetCellWidth() const { return cellWidth_; }
    int GetLineHeight() const { return lineHeight_; }
    int GetSpacing() const { return spacing_; }
    uint32_t GetStyle() const { return style_; }
    // The text last given to SetText.
    const std::string& GetText() const { return text_; }

    // Other names callers use.
    void MapGlyphs(const char* characters, const char* imageName) {
        AddGlyphStrip(characters, imageName);
    }

protected:
    void SetStyleBits(uint32_t bits) { style_ |= bits; }
    void ClearStyleBits(uint32_t bits) { style_ &= ~bits; }
    // New cell width and line height for lines that load other glyphs;
    // the canvas is the caller's to resize.
    void SetCellMetrics(int cellWidth, int lineHeight) {
        cellWidth_ = cellWidth;
        lineHeight_ = lineHeight;
    }

private:
    bool IsProportional() const { return (style_ & kSequenceProportional) != 0; }

    std::map<uint32_t, FrameRecord> glyphs_;
    std::string text_;
    uint32_t style_ = 0;
    int cellWidth_ = 0;
    int lineHeight_ = 0;
    int spacing_ = 0;
};
