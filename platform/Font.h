#pragma once
// Fonts that draw GBK characters as 8-bit coverage, the way the program's
// text code expects the system's fonts to: a font is asked for by face
// name, pixel height, weight, italic and underline, and draws one character
// at a time into the top-left corner of a glyph bitmap.
//
// Cell model (what the text layout above relies on):
//  - A character is drawn into a cell whose top-left corner is the corner of
//    the glyph bitmap. The cell is Height() rows high; a single-byte
//    character's cell is (height + 1) / 2 wide, a double-byte character's is
//    height wide, as with the half-width and full-width cells of the classic
//    GB2312 faces. Nothing is drawn outside the cell.
//  - The baseline lies Baseline() rows below the cell's top. The face is
//    scaled so that its ideographs and its descenders fit the cell together
//    (at most the requested height per em).
//  - A glyph narrower than its cell is centred in it; a wider one is
//    condensed to the cell's width. Weight 600 or more draws bold and italic
//    draws slanted, synthesised when the face has no such style. Underline
//    fills the cell's width on the face's underline rows.
//  - Characters are GBK: a byte below 0x81 is one character (0x80 is the
//    euro sign), a byte of 0x81 or more leads a two-byte character. Control
//    characters, spaces, a lone lead byte and pairs that are not GBK draw no
//    glyph (only the underline, when on); a character the face lacks is
//    drawn as a hollow box.
//
// Face lookup: the name is looked up through fontconfig for a face that also
// covers simplified Chinese (preferring half-width Latin letters), as a
// request for the GB2312 character set would be answered; names of faces
// that are not installed ("宋体", "黑体") thus resolve to an installed CJK
// font. Without any CJK font the best face
// for the name is used; without any usable font file at all each character
// is drawn as a hollow box, so text stays visible and measurable.
//
// Threads: a font may be used from any thread; drawing is serialised inside.
// Faces, their look-ups, recently used fonts and the glyphs each font has
// drawn are cached for the process.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

namespace detail {
struct FontFace;  // platform-internal: one loaded face file
}

inline constexpr int kMaxFontHeight = 300;

struct FontRequest {
    std::string face;  // GBK, e.g. "宋体"
    int height = 0;    // character height in pixels, held to [0, kMaxFontHeight]
    int weight = 400;  // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;

    bool operator==(const FontRequest&) const = default;
};

// An 8-bit coverage bitmap that characters are drawn into (the glyph
// context). Rows are `Width()` bytes apart, top row first.
class GlyphBitmap {
public:
    // Null when a side is not positive or the memory cannot be had.
    static std::unique_ptr<GlyphBitmap> Create(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // 0 outside the bitmap.
    uint8_t At(int x, int y) const;
    const uint8_t* Row(int y) const { return data_.get() + static_cast<size_t>(y) * width_; }
    uint8_t* Row(int y) { return data_.get() + static_cast<size_t>(y) * width_; }
    // Zeroes the top-left width x height part (clamped to the bitmap).
    void Clear(int width, int height);

private:
    GlyphBitmap(int width, int height, std::unique_ptr<uint8_t[]> data);

    int width_;
    int height_;
    std::unique_ptr<uint8_t[]> data_;
};

class Font {
public:
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // The request, with the height held to [0, kMaxFontHeight].
    const FontRequest& Request() const { return request_; }
    int Height() const { return request_.height; }
    int Baseline() const { return baseline_; }
    // The cell width of the character at the start of `character`.
    int CellWidth(std::string_view character) const;
    // The family of the face in use (UTF-8); empty when boxes are drawn.
    const std::string& FamilyName() const;
    bool IsBold() const { return request_.weight >= 600; }

    // Draws the character at the start of `character` into its cell at the
    // top-left of the bitmap (clipped to the bitmap), keeping the larger
    // coverage where something is already drawn. Returns the cell width.
    int DrawChar(std::string_view character, GlyphBitmap& target) const;

private:
    friend std::shared_ptr<const Font> OpenFont(const FontRequest& want);
    Font(const FontRequest& want, std::shared_ptr<detail::FontFace> face);
    // The glyph's coverage in a cell of cellWidth x height bytes; left empty
    // when the face has no glyph for the code point. Called under the lock.
    void RenderGlyph(uint32_t code, int cellWidth, std::vector<uint8_t>& cell) const;
    void DrawBox(int cellWidth, GlyphBitmap& target) const;
    void DrawUnderline(int cellWidth, GlyphBitmap& target) const;

    FontRequest request_;
    std::shared_ptr<detail::FontFace> face_;  // null: boxes
    void* size_ = nullptr;                    // this font's size object of the face
    int baseline_ = 0;
    int64_t pixelsPerEm_ = 0;  // 26.6 fixed point
    int underlineTop_ = 0;
    int underlineRows_ = 1;
    // Rendered cells by character bytes, dropped whole when they pass the
    // budget. Guarded by the font lock.
    static constexpr size_t kGlyphCacheBytes = 512 * 1024;
    mutable std::unordered_map<uint32_t, std::vector<uint8_t>> glyphCache_;
    mutable size_t glyphCacheBytes_ = 0;
};

// The font for the request; equal requests share one font while it is in
// use or among the recently used. Never null.
std::shared_ptr<const Font> OpenFont(const FontRequest& want);

// The Unicode code point of a GBK character (one byte below 0x81, or a lead
// byte and its trail); 0 for a lone lead byte, an empty text or a pair that
// is not GBK.
uint32_t GbkCharToCodePoint(std::string_view character);

}  // namespace platform
