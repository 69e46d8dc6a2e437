#pragma once
// The engine's text renderer: draws GBK text into 32-bit pixel buffers
// (bytes blue, green, red, alpha; rows `width` pixels apart), measures text
// without drawing, and understands the font markup, tags between angle
// brackets that change colour, size, weight, face, underline, italic,
// spacing and margins in the middle of a text.
//
// Rules:
//  - Cells: a single-byte character advances half the font height, rounded
//    up; a byte of 0x81 or more and the byte after it form one double-byte
//    character that advances the full height. Pitch is added before every
//    character but the first of a line, twice before a double-byte one.
//  - Lines are laid out twice: once to learn their height, then drawn with
//    every glyph on the line's bottom. A measuring call advances at once.
//  - A glyph is blended into the pixels with its coverage a (scaled by the
//    description's alpha with >> 8): onto a pixel with alpha, each colour
//    byte becomes (colour * a + pixel * (255 - a)) >> 8 and the alpha the
//    larger of both; onto a pixel without alpha, the colour with alpha a.
//    Nothing is written outside the buffer.
//  - A call stops at an edge (the right one without wrap, the buffer's
//    bottom, or a character too wide for an empty line) after drawing the
//    line it is on, and restores the description it began with; a call that
//    lays the whole text out keeps what its tags left.
//  - Input is not trusted: a tag that is unknown, has a bad value count or is
//    not closed within 256 bytes is drawn as text and changes nothing; a lead
//    byte at the very end of a text ends it; heights are held to [0, 300],
//    alpha to [0, 255], numbers to the int range.
//  - Lock and Unlock serialise callers that share one font; the layout state
//    of a call is its own.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Font.h"
#include "platform/Sync.h"

inline constexpr int kMaxFontHeight = platform::kMaxFontHeight;  // also the glyph bitmap's side
inline constexpr int kMaxMarkupTagLength = 256;                  // bytes between '<' and '>'
inline constexpr uint32_t kFontCreateColor = 0xFF7D327D;
// The most "script" tag texts a font keeps; the oldest goes first.
inline constexpr size_t kMaxFontScripts = 64;

// A font description: 20 words, copied whole between a font and its users.
struct FontDesc {
    char faceName[32] = {};  // zero-terminated GBK
    uint32_t color = 0;      // 0x00BBGGRR
    int32_t height = 0;      // pixels, at most 300
    int32_t cellHeight = 0;  // the height of the font made: a double-byte advance
    int32_t weight = 0;      // 400 normal, 700 bold
    int32_t pitch = 0;       // extra pixels between characters
    int32_t rowSpace = 0;    // extra pixels between lines
    int32_t leftMargin = 0;  // smallest x of a line
    int32_t rightMargin = 0;
    int32_t wrap = 0;  // nonzero: continue on the next line at the right edge
    int32_t underline = 0;
    int32_t italic = 0;
    int32_t alpha = 0;  // 0-255, multiplies the coverage
};
static_assert(sizeof(FontDesc) == 80, "FontDesc is 20 words");

// Copies a face name into the description: at most 31 bytes, never half of
// a double-byte character, zero-terminated.
void SetFontDescFace(FontDesc& desc, std::string_view face);
// The face name of a description, read no further than its 32 bytes.
std::string_view GetFontDescFace(const FontDesc& desc);

class CCorvaneFont {
public:
    CCorvaneFont();
    ~CCorvaneFont();
    CCorvaneFont(const CCorvaneFont&) = delete;
    CCorvaneFont& operator=(const CCorvaneFont&) = delete;

    // (Re)makes the glyph bitmap and zeroes the description (colour
    // 0xFF7D327D). 0 when the bitmap cannot be made (logged and shown);
    // drawing then lays text out without glyphs.
    int Create();
    void Release();

    // Makes the font from height, weight, face, italic and underline, then
    // takes all 20 words; the cell height is that of the font made.
    void SetFontDesc(const FontDesc& desc);
    void GetFontDesc(FontDesc* out) const;
    const FontDesc& GetFontDesc() const { return desc_; }

    void Lock();
    void Unlock();

    // Lays the text out from (x, y) and draws it; nothing when the font is
    // 300 or more high or the buffer is missing.
    void DrawText(uint8_t* pixels, int width, int height, int x, int y, const char* text);
    // Width: the widest right edge (right margin included); height: the last
    // line's bottom (y + 1 for an empty text).
    void MeasureText(int x, int y, const char* text, int* width, int* height);
    // The last line's bottom of the text wrapped at the width from (0, 0).
    int MeasureHeight(int width, const char* text);

    // Applies one tag (the bytes between '<' and '>'); nonzero when the tag
    // was understood. An unknown tag changes nothing.
    int ParseMarkup(const char* tag, int length);
    // Whether ParseMarkup would understand the tag; changes nothing.
    bool IsMarkup(const char* tag, int length) const;

    int GetHalfWidth() const { return halfWidth_; }
    int GetCellHeight() const { return desc_.cellHeight; }
    // The texts of the "script" tags met since Create, each once, the latest
    // kMaxFontScripts of them in the order first met; and the script index
    // (-1 before the first).
    const std::vector<std::string>& GetScripts() const { return scripts_; }
    int GetScriptIndex() const { return scriptIndex_; }

private:
    struct Layout;
    enum class LineStep { Advanced, Rewound, Stopped };

    void MakeFont(int height, int weight, std::string_view face, int italic, int underline);
    void RestoreDesc(const FontDesc& desc);
    void SetColor(uint32_t color);
    bool ApplyTag(const char* tag, int length, Layout* layout);
    void KeepScript(std::string script);

    void Run(Layout& layout);
    bool PlaceChar(Layout& layout, int bytes);
    LineStep LineFull(Layout& layout, int advance);
    LineStep NewLine(Layout& layout, size_t nextPosition);
    void DrawGlyph(const Layout& layout, std::string_view character, int advance);

    int halfWidth_ = 0;
    FontDesc desc_;
    FontDesc saved_;  // the description when the current (or last) call began
    uint32_t rememberedColor_ = 0;
    std::shared_ptr<const platform::Font> font_;
    std::unique_ptr<platform::GlyphBitmap> glyphs_;
    uint8_t blue_ = 0;
    uint8_t green_ = 0;
    uint8_t red_ = 0;
    platform::Event lock_{platform::Event::Mode::AutoReset, true};
    std::vector<std::string> scripts_;
    int scriptIndex_ = -1;
    Layout* layout_ = nullptr;  // the call in progress, for the tags that move the pen
};

// Where a fitted caption starts.
struct TextStart {
    int x = 0;
    int y = 0;
};

// Lays a caption out to fill a box of boxWidth x boxHeight: chooses the font
// height (fontSize when above 0), the pitch that spreads the caption over the
// box, and one or two lines; writes height, pitch, row space and left margin
// into `layout` and shortens the caption with ".." when it cannot fit.
// Draws nothing. Margins of 0 or less are derived from the size.
TextStart DrawTextToPixels(int boxWidth, int boxHeight, std::string& caption, FontDesc& layout,
                           int xMargin, int yMargin, int fontSize);
