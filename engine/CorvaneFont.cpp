#include "engine/CorvaneFont.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <utility>

#include "engine/EngineLog.h"
#include "engine/TextHelpers.h"

namespace {

// Bounds of the measuring calls.
constexpr int kMeasureWidth = 9999999;
constexpr int kMeasureHeight = 999999;

constexpr size_t kFaceBytes = sizeof(FontDesc::faceName) - 1;

bool IsLeadByte(char c) {
    return static_cast<uint8_t>(c) >= 0x81;
}

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// A decimal number as the C library's atoi reads it (leading blanks, a sign,
// digits), saturated to the int range instead of overflowing.
int ParseDecimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{INT_MAX} + 1);
    }
    return ClampToInt(negative ? -value : value);
}

// The length of the longest prefix of at most `limit` bytes that does not end
// inside a double-byte character.
size_t CharBoundary(std::string_view text, size_t limit) {
    size_t i = 0;
    while (i < text.size()) {
        const size_t width = IsLeadByte(text[i]) ? 2 : 1;
        if (i + width > limit || i + width > text.size()) {
            break;
        }
        i += width;
    }
    return i;
}

// ---- Markup ----

enum class TagKind { Script, Comment, Pairs };

struct MarkupPair {
    std::string name;
    std::string value;
};

struct MarkupTag {
    TagKind kind = TagKind::Pairs;
    std::vector<MarkupPair> pairs;
};

constexpr const char* kTagNames[] = {
    "color",       "c",         "rgb",   "/color",    "size",        "/size",        "fontname",
    "/fontname",   "bold",      "/bold", "underline", "/underline",  "italic",       "/italic",
    "rowspace",    "/rowspace", "pitch", "/pitch",    "rightmargin", "/rightmargin", "leftmargin",
    "/leftmargin", "break",
};

bool IsKnownPair(const MarkupPair& pair) {
    const bool named = std::any_of(std::begin(kTagNames), std::end(kTagNames),
                                   [&](const char* name) { return pair.name == name; });
    if (!named) {
        return false;
    }
    if (pair.name == "rgb") {
        std::vector<std::string> numbers;
        return SplitByComma(pair.value, numbers) == 3;
    }
    return true;
}

// Skips the bytes of `skip` from position i.
size_t SkipAny(std::string_view text, size_t i, std::string_view skip) {
    while (i < text.size() && skip.find(text[i]) != std::string_view::npos) {
        ++i;
    }
    return i;
}

// Reads the bytes between '<' and '>' into a tag; none when it is not one
// that the font understands.
std::optional<MarkupTag> ReadTag(const char* tag, int length) {
    if (tag == nullptr || length <= 0 || length > kMaxMarkupTagLength) {
        return std::nullopt;
    }
    std::string text(tag, static_cast<size_t>(length));
    ToLowerAscii(text);
    // Stop at a zero byte: the text ends there, as it would for the parser
    // of a zero-terminated copy.
    text.resize(std::strlen(text.c_str()));

    MarkupTag result;
    const size_t first = SkipAny(text, 0, " ");
    const size_t tokenEnd = std::min(text.find(':', first), text.size());
    const std::string_view token = std::string_view(text).substr(first, tokenEnd - first);
    if (token == "script") {
        result.kind = TagKind::Script;
        return result;
    }
    if (token.starts_with("//")) {
        result.kind = TagKind::Comment;
        return result;
    }
    for (size_t i = 0;;) {
        i = SkipAny(text, i, " ;");
        if (i >= text.size()) {
            break;
        }
        const size_t nameEnd = std::min(text.find_first_of("=;", i), text.size());
        MarkupPair pair{text.substr(i, nameEnd - i), {}};
        i = nameEnd;
        if (i < text.size() && text[i] == '=') {
            i = SkipAny(text, i, " =");
            const size_t valueEnd = std::min(text.find(';', i), text.size());
            pair.value = text.substr(i, valueEnd - i);
            i = valueEnd;
        }
        if (!IsKnownPair(pair)) {
            return std::nullopt;
        }
        result.pairs.push_back(std::move(pair));
    }
    if (result.pairs.empty()) {
        return std::nullopt;
    }
    return result;
}

// The position of the '>' that closes a tag opened at `open`: within the 256
// bytes after it and with at least one byte between. npos when none.
size_t FindTagEnd(std::string_view text, size_t open) {
    const size_t last = std::min(text.size(), open + 1 + kMaxMarkupTagLength);
    for (size_t i = open + 1; i < last; ++i) {
        if (text[i] == '>') {
            return i > open + 1 ? i : std::string_view::npos;
        }
    }
    return std::string_view::npos;
}

}  // namespace

void SetFontDescFace(FontDesc& desc, std::string_view face) {
    const std::string copy(face.substr(0, CharBoundary(face, kFaceBytes)));
    std::memset(desc.faceName, 0, sizeof(desc.faceName));
    std::memcpy(desc.faceName, copy.data(), copy.size());
}

std::string_view GetFontDescFace(const FontDesc& desc) {
    return std::string_view(desc.faceName, strnlen(desc.faceName, sizeof(desc.faceName)));
}

// ---- The layout state of one call ----

struct CCorvaneFont::Layout {
    uint8_t* pixels = nullptr;  // null: measuring
    int64_t width = 0;
    int64_t height = 0;
    std::string_view text;
    bool measureOnly = false;
    bool drawPass = false;
    bool placedOnLine = false;  // a character stands on the line
    int64_t penX = 0;
    int64_t lineStartX = 0;  // no pitch before a character here
    int64_t lineBeginX = 0;  // the pen where the line began, for the rewind
    int64_t lineTop = 0;
    int64_t lineHeight = 1;  // the tallest font on the line so far
    int64_t lineBottom = 1;
    size_t position = 0;
    size_t lineBeginPosition = 0;
    FontDesc lineDesc;  // the description at the line's beginning
    uint32_t lineRememberedColor = 0;
    int64_t widest = 0;
    int64_t lastBottom = 0;
};

// ---- Font object ----

CCorvaneFont::CCorvaneFont() {
    Create();
}

CCorvaneFont::~CCorvaneFont() {
    Release();
}

int CCorvaneFont::Create() {
    Release();
    glyphs_ = platform::GlyphBitmap::Create(kMaxFontHeight, kMaxFontHeight);
    desc_ = FontDesc{};
    saved_ = desc_;
    halfWidth_ = 0;
    SetColor(kFontCreateColor);
    rememberedColor_ = desc_.color;
    scripts_.clear();
    scriptIndex_ = -1;
    if (!glyphs_) {
        EngineLog("字体创建错误，m_hBitmap==NULL||m_data==NULL");
        ShowLastError("字体创建");
        return 0;
    }
    return 1;
}

void CCorvaneFont::Release() {
    font_.reset();
    glyphs_.reset();
}

void CCorvaneFont::SetColor(uint32_t color) {
    desc_.color = color;
    blue_ = static_cast<uint8_t>(color >> 16);
    green_ = static_cast<uint8_t>(color >> 8);
    red_ = static_cast<uint8_t>(color);
}

void CCorvaneFont::MakeFont(int height, int weight, std::string_view face, int italic,
                            int underline) {
    const std::string faceCopy(face);  // face may point into desc_
    const int made = std::clamp(height, 0, kMaxFontHeight);
    desc_.height = made;
    desc_.cellHeight = made;
    desc_.weight = weight;
    desc_.italic = italic;
    desc_.underline = underline;
    SetFontDescFace(desc_, faceCopy);
    halfWidth_ = (made + 1) / 2;

    const platform::FontRequest want{std::string(GetFontDescFace(desc_)), made, weight, italic != 0,
                                     underline != 0};
    if (font_ == nullptr || !(font_->Request() == want)) {
        font_ = platform::OpenFont(want);
    }
}

void CCorvaneFont::SetFontDesc(const FontDesc& desc) {
    FontDesc copy = desc;
    // The face may fill all 32 bytes: cut it at a whole character.
    const std::string face(desc.faceName, strnlen(desc.faceName, sizeof(desc.faceName)));
    SetFontDescFace(copy, face);
    MakeFont(copy.height, copy.weight, GetFontDescFace(copy), copy.italic, copy.underline);
    const int made = desc_.cellHeight;
    desc_ = copy;
    desc_.cellHeight = made;
    SetColor(copy.color);
}

void CCorvaneFont::RestoreDesc(const FontDesc& desc) {
    SetFontDesc(desc);
}

void CCorvaneFont::GetFontDesc(FontDesc* out) const {
    if (out != nullptr) {
        *out = desc_;
    }
}

void CCorvaneFont::Lock() {
    lock_.Wait();
}

void CCorvaneFont::Unlock() {
    lock_.Set();
}

// ---- Markup ----

int CCorvaneFont::ParseMarkup(const char* tag, int length) {
    return ApplyTag(tag, length, layout_) ? 1 : 0;
}

bool CCorvaneFont::IsMarkup(const char* tag, int length) const {
    return ReadTag(tag, length).has_value();
}

bool CCorvaneFont::ApplyTag(const char* tag, int length, Layout* layout) {
    const std::optional<MarkupTag> parsed = ReadTag(tag, length);
    if (!parsed) {
        return false;
    }
    if (parsed->kind == TagKind::Script) {
        // A drawing call reads each line twice; the script is kept once.
        if (layout == nullptr || !layout->drawPass) {
            KeepScript(std::string(tag, strnlen(tag, static_cast<size_t>(length))));
        }
        return true;
    }
    if (parsed->kind == TagKind::Comment) {
        return true;
    }
    for (const MarkupPair& pair : parsed->pairs) {
        const std::string& name = pair.name;
        const int value = ParseDecimal(pair.value);
        const std::string face(GetFontDescFace(desc_));
        if (name == "color" || name == "c") {
            rememberedColor_ = desc_.color;
            SetColor(static_cast<uint32_t>(value));
        } else if (name == "rgb") {
            std::vector<std::string> parts;
            SplitByComma(pair.value, parts);
            rememberedColor_ = desc_.color;
            SetColor(static_cast<uint32_t>(ParseDecimal(parts[0]) & 255) |
                     static_cast<uint32_t>(ParseDecimal(parts[1]) & 255) << 8 |
                     static_cast<uint32_t>(ParseDecimal(parts[2]) & 255) << 16);
        } else if (name == "/color") {
            SetColor(rememberedColor_);
        } else if (name == "size") {
            MakeFont(value, desc_.weight, face, 0, 0);
        } else if (name == "/size") {
            MakeFont(saved_.height, desc_.weight, face, 0, 0);
        } else if (name == "fontname") {
            MakeFont(desc_.height, desc_.weight, StripQuotes(pair.value), 0, 0);
        } else if (name == "/fontname") {
            MakeFont(desc_.height, desc_.weight, GetFontDescFace(saved_), 0, 0);
        } else if (name == "bold") {
            MakeFont(desc_.height, pair.value.empty() ? 700 : value, face, 0, 0);
        } else if (name == "/bold") {
            MakeFont(desc_.height, 400, face, 0, 0);
        } else if (name == "underline" || name == "/underline") {
            MakeFont(desc_.height, desc_.weight, face, desc_.italic, name == "underline");
        } else if (name == "italic" || name == "/italic") {
            MakeFont(desc_.height, desc_.weight, face, name == "italic", desc_.underline);
        } else if (name == "rowspace") {
            desc_.rowSpace = value;
        } else if (name == "/rowspace") {
            desc_.rowSpace = saved_.rowSpace;
        } else if (name == "pitch") {
            desc_.pitch = value;
        } else if (name == "/pitch") {
            desc_.pitch = saved_.pitch;
        } else if (name == "rightmargin") {
            desc_.rightMargin = value;
        } else if (name == "/rightmargin") {
            desc_.rightMargin = saved_.rightMargin;
        } else if (name == "leftmargin") {
            desc_.leftMargin = value;
            if (layout != nullptr && value > layout->lineStartX) {
                layout->lineStartX = value;
            }
        } else if (name == "/leftmargin") {
            desc_.leftMargin = saved_.leftMargin;
        } else if (name == "break") {
            if (layout != nullptr) {
                layout->penX = layout->width - desc_.rightMargin;
            }
        }
    }
    return true;
}

void CCorvaneFont::KeepScript(std::string script) {
    // The same text drawn again (a chat line redrawn, a measured caption)
    // reuses its entry; new texts push the oldest out.
    if (std::find(scripts_.begin(), scripts_.end(), script) == scripts_.end()) {
        if (scripts_.size() >= kMaxFontScripts) {
            scripts_.erase(scripts_.begin());
        }
        scripts_.push_back(std::move(script));
    }
    scriptIndex_ = 0;
}

// ---- Layout ----

void CCorvaneFont::DrawText(uint8_t* pixels, int width, int height, int x, int y,
                            const char* text) {
    if (pixels == nullptr || width <= 0 || height <= 0 || desc_.cellHeight >= kMaxFontHeight) {
        return;
    }
    Layout layout;
    layout.pixels = pixels;
    layout.width = width;
    layout.height = height;
    layout.text = text != nullptr ? std::string_view(text) : std::string_view();
    layout.penX = x;
    layout.lineTop = y;
    Run(layout);
}

void CCorvaneFont::MeasureText(int x, int y, const char* text, int* width, int* height) {
    Layout layout;
    layout.measureOnly = true;
    layout.width = kMeasureWidth;
    layout.height = kMeasureHeight;
    layout.text = text != nullptr ? std::string_view(text) : std::string_view();
    layout.penX = x;
    layout.lineTop = y;
    layout.lastBottom = int64_t{y} + 1;
    if (desc_.cellHeight < kMaxFontHeight) {
        Run(layout);
    }
    if (width != nullptr) {
        *width = ClampToInt(layout.widest);
    }
    if (height != nullptr) {
        *height = ClampToInt(layout.lastBottom);
    }
}

int CCorvaneFont::MeasureHeight(int width, const char* text) {
    Layout layout;
    layout.measureOnly = true;
    layout.width = width;
    layout.height = kMeasureHeight;
    layout.text = text != nullptr ? std::string_view(text) : std::string_view();
    layout.lastBottom = 1;
    if (desc_.cellHeight < kMaxFontHeight) {
        Run(layout);
    }
    return ClampToInt(layout.lastBottom);
}

void CCorvaneFont::Run(Layout& layout) {
    saved_ = desc_;
    rememberedColor_ = desc_.color;
    if (desc_.leftMargin >= 1 && desc_.leftMargin > layout.penX) {
        layout.penX = desc_.leftMargin;
    }
    layout.lineStartX = layout.penX;
    layout.lineBeginX = layout.penX;
    layout.lineHeight = 1;
    layout.lineBottom = layout.lineTop + 1;
    layout.lineDesc = desc_;
    layout.lineRememberedColor = rememberedColor_;
    layout_ = &layout;

    bool stopped = false;
    while (!stopped) {
        const std::string_view text = layout.text;
        if (layout.position >= text.size()) {
            // The last line of a drawing call still has to be drawn.
            if (!layout.measureOnly && !layout.drawPass &&
                NewLine(layout, layout.position) == LineStep::Rewound) {
                continue;
            }
            break;
        }
        const char byte = text[layout.position];
        if (byte == '\n') {
            NewLine(layout, layout.position + 1);
            continue;
        }
        if (byte == '<') {
            const size_t close = FindTagEnd(text, layout.position);
            if (close != std::string_view::npos &&
                ApplyTag(text.data() + layout.position + 1,
                         static_cast<int>(close - layout.position - 1), &layout)) {
                layout.position = close + 1;
                if (layout.penX >= layout.width - desc_.rightMargin) {
                    NewLine(layout, layout.position);
                }
                continue;
            }
        }
        stopped = !PlaceChar(layout, IsLeadByte(byte) ? 2 : 1);
    }
    layout.lastBottom = layout.lineBottom;
    layout_ = nullptr;
    if (stopped) {
        RestoreDesc(saved_);
    }
}

bool CCorvaneFont::PlaceChar(Layout& layout, int bytes) {
    if (bytes == 2 && layout.position + 1 >= layout.text.size()) {
        // A lead byte without its trail ends the text.
        layout.text = layout.text.substr(0, layout.position);
        return true;
    }
    const int64_t pitch = desc_.pitch;
    const int64_t room = layout.width - desc_.rightMargin;
    const int64_t advance = bytes == 2 ? desc_.cellHeight : halfWidth_;
    const bool fits = bytes == 2 ? layout.penX + 2 * pitch + advance <= room
                                 : layout.penX + pitch + advance <= room;
    if (!fits) {
        return LineFull(layout, advance) != LineStep::Stopped;
    }
    if (layout.penX != layout.lineStartX) {
        layout.penX += bytes == 2 ? 2 * pitch : pitch;
    }
    const int64_t fontHeight = desc_.cellHeight;
    if (fontHeight > layout.lineHeight) {
        layout.lineHeight = fontHeight;
        layout.lineBottom = layout.lineTop + fontHeight;
    }
    const std::string_view character = layout.text.substr(layout.position, bytes);
    const bool blank = character == " " && desc_.underline == 0;
    if (layout.drawPass && !blank) {
        DrawGlyph(layout, character, static_cast<int>(advance));
    }
    layout.penX += advance;
    layout.position += bytes;
    layout.placedOnLine = true;
    layout.widest = std::max(layout.widest, layout.penX + desc_.rightMargin);
    return true;
}

CCorvaneFont::LineStep CCorvaneFont::LineFull(Layout& layout, int advance) {
    // Without wrap the call ends here; a character that does not fit an
    // empty line fits no line. The line so far is still drawn: its draw
    // pass comes back to this point and ends the call.
    if (desc_.wrap == 0 || !layout.placedOnLine) {
        if (!layout.measureOnly && !layout.drawPass && layout.placedOnLine) {
            return NewLine(layout, layout.position);
        }
        return LineStep::Stopped;
    }
    if (layout.drawPass &&
        int64_t{desc_.rowSpace} + layout.lineTop + desc_.cellHeight + layout.lineHeight >
            layout.height) {
        return LineStep::Stopped;
    }
    const LineStep step = NewLine(layout, layout.position);
    if (step == LineStep::Advanced && layout.penX + advance > layout.width) {
        return LineStep::Stopped;
    }
    return step;
}

CCorvaneFont::LineStep CCorvaneFont::NewLine(Layout& layout, size_t nextPosition) {
    if (!layout.measureOnly && !layout.drawPass) {
        // The line's height is known: lay it out again, now drawing.
        layout.position = layout.lineBeginPosition;
        layout.penX = layout.lineBeginX;
        layout.lineStartX = layout.lineBeginX;
        RestoreDesc(layout.lineDesc);
        rememberedColor_ = layout.lineRememberedColor;
        layout.drawPass = true;
        layout.lineBottom = layout.lineTop + layout.lineHeight;
        layout.placedOnLine = false;
        return LineStep::Rewound;
    }
    layout.lineTop += int64_t{desc_.rowSpace} + layout.lineHeight;
    layout.penX = desc_.leftMargin;
    layout.lineStartX = desc_.leftMargin;
    layout.lineBeginX = desc_.leftMargin;
    layout.lineHeight = layout.measureOnly ? 1 : desc_.cellHeight;
    layout.lineBottom = layout.lineTop + layout.lineHeight;
    layout.drawPass = false;
    layout.lineDesc = desc_;
    layout.lineRememberedColor = rememberedColor_;
    layout.position = nextPosition;
    layout.lineBeginPosition = nextPosition;
    layout.placedOnLine = false;
    return LineStep::Advanced;
}

void CCorvaneFont::DrawGlyph(const Layout& layout, std::string_view character, int advance) {
    if (glyphs_ == nullptr || font_ == nullptr) {
        return;
    }
    const int fontHeight = desc_.cellHeight;
    font_->DrawChar(character, *glyphs_);

    const int64_t top = layout.lineBottom - fontHeight;
    const int64_t left = layout.penX;
    const int64_t firstRow = std::max<int64_t>(0, -top);
    const int64_t endRow = std::min<int64_t>(fontHeight, layout.height - top);
    const int64_t firstColumn = std::max<int64_t>(0, -left);
    const int64_t endColumn = std::min<int64_t>(advance, layout.width - left);
    const uint32_t alpha = static_cast<uint32_t>(std::clamp(desc_.alpha, 0, 255));
    for (int64_t r = firstRow; r < endRow; ++r) {
        const uint8_t* coverage = glyphs_->Row(static_cast<int>(r));
        const int64_t rowStart = (top + r) * layout.width + left;  // pixel index of column 0
        for (int64_t c = firstColumn; c < endColumn; ++c) {
            uint32_t a = coverage[c];
            if (a == 0) {
                continue;
            }
            if (alpha != 255) {
                a = (a * alpha) >> 8;
                if (a == 0) {
                    continue;
                }
            }
            uint8_t* pixel = layout.pixels + (rowStart + c) * 4;
            if (pixel[3] != 0) {
                const uint32_t keep = 255 - a;
                pixel[0] = static_cast<uint8_t>((blue_ * a + pixel[0] * keep) >> 8);
                pixel[1] = static_cast<uint8_t>((green_ * a + pixel[1] * keep) >> 8);
                pixel[2] = static_cast<uint8_t>((red_ * a + pixel[2] * keep) >> 8);
                pixel[3] = std::max<uint8_t>(pixel[3], static_cast<uint8_t>(a));
            } else {
                pixel[0] = blue_;
                pixel[1] = green_;
                pixel[2] = red_;
                pixel[3] = static_cast<uint8_t>(a);
            }
        }
    }
    glyphs_->Clear(advance, fontHeight);
}

// ---- Fitting a caption to a box ----

namespace {

struct CaptionFit {
    int64_t size = 0;
    int64_t pitch = 0;
    int64_t rowSpace = 0;
    int64_t x = 0;
    int64_t y = 0;
};

// The largest size a layout may end with: even, and below the height that
// draws nothing.
constexpr int64_t kLargestFittedSize = kMaxFontHeight - 2;

int64_t MakeEven(int64_t size) {
    return std::clamp<int64_t>(size / 2 * 2, 0, kLargestFittedSize);
}

// Pitch gaps of a one-line caption: every character but the first adds one
// pitch, a double-byte character two.
int64_t PitchGaps(std::string_view caption) {
    if (caption.empty()) {
        return 0;
    }
    const int64_t first = IsLeadByte(caption[0]) && caption.size() >= 2 ? 2 : 1;
    return static_cast<int64_t>(caption.size()) - first;
}

bool IsAllDoubleByte(std::string_view caption) {
    for (size_t i = 0; i < caption.size(); i += 2) {
        if (!IsLeadByte(caption[i]) || i + 1 >= caption.size()) {
            return false;
        }
    }
    return !caption.empty();
}

// Replaces the caption's end by "..": three bytes, or four when three would
// split a double-byte character. Fewer than three bytes leave nothing.
void ShortenCaption(std::string& caption) {
    if (caption.size() < 3) {
        caption.clear();
        return;
    }
    const size_t cut = CharBoundary(caption, caption.size() - 3);
    caption.resize(cut);
    caption += "..";
}

// Whether a line of double-byte characters of this size and pitch, drawn
// from x, holds `count` of them and pushes the next one to a new line, by the
// renderer's own fitting rule.
bool BreaksAfter(int64_t x, int64_t size, int64_t pitch, int64_t count, int64_t room) {
    int64_t pen = x;
    for (int64_t i = 0; i < count; ++i) {
        if (pen + 2 * pitch + size > room) {
            return false;
        }
        pen += (i > 0 ? 2 * pitch : 0) + size;
    }
    return pen + 2 * pitch + size > room;
}

CaptionFit FitCaption(int64_t w, int64_t h, std::string& caption, const FontDesc& layout,
                      int64_t xMargin, int64_t yMargin, int64_t fontSize) {
    const bool sizeGiven = fontSize > 0;
    int64_t n = static_cast<int64_t>(caption.size());
    int64_t size = xMargin > 0 ? 2 * (w - 2 * xMargin) / n : 2 * w / (n + 2);
    size = std::min(size, yMargin > 0 ? h - 2 * yMargin : h * 2 / 3);
    const int64_t xm = xMargin > 0 ? xMargin : size / 2;
    if (sizeGiven) {
        size = fontSize;
    }
    size = MakeEven(size);
    if (sizeGiven) {
        while (!caption.empty() && w - 2 * xm - size * n / 2 < 0) {
            ShortenCaption(caption);
            n = static_cast<int64_t>(caption.size());
        }
    }

    CaptionFit fit;
    fit.size = size;
    const int64_t gaps = PitchGaps(caption);
    if (n > 2 && gaps > 0) {
        fit.pitch = std::max<int64_t>(0, (w - 2 * xm - size * n / 2) / gaps);
    }
    const int64_t total = size * n / 2 + fit.pitch * gaps;
    fit.x = (w - total) / 2;
    fit.y = (h - size) / 2;

    // Two lines of half the characters each, when that allows a larger size.
    if (!sizeGiven && n % 4 == 0 && IsAllDoubleByte(caption) && layout.wrap != 0) {
        const int64_t lineBytes = n / 2;
        int64_t size2 = xMargin > 0 ? 2 * (w - 2 * xMargin) / lineBytes : 2 * w / (lineBytes + 2);
        size2 = MakeEven(std::min(size2, yMargin > 0 ? (h - 2 * yMargin) / 2 : h / 3));
        const int64_t xm2 = xMargin > 0 ? xMargin : size2 / 2;
        const int64_t gaps2 = lineBytes - 2;
        const int64_t pitch2 =
            gaps2 > 0 ? std::max<int64_t>(0, (w - 2 * xm2 - size2 * lineBytes / 2) / gaps2) : 0;
        const int64_t lineWidth = size2 * lineBytes / 2 + pitch2 * gaps2;
        const int64_t x2 = (w - lineWidth) / 2;
        if (size2 > size && BreaksAfter(x2, size2, pitch2, lineBytes / 2, w - layout.rightMargin)) {
            fit.size = size2;
            fit.pitch = pitch2;
            fit.rowSpace = std::max<int64_t>(0, (h - 2 * size2) / 3);
            fit.x = x2;
            fit.y = (h - 2 * size2 - fit.rowSpace) / 2;
        }
    }
    return fit;
}

}  // namespace

TextStart DrawTextToPixels(int boxWidth, int boxHeight, std::string& caption, FontDesc& layout,
                           int xMargin, int yMargin, int fontSize) {
    // A lead byte at the very end belongs to no character.
    caption.resize(CharBoundary(caption, caption.size()));
    if (caption.empty()) {
        return TextStart{};
    }
    const int64_t w = boxWidth;
    const int64_t h = boxHeight;
    const int64_t smallerSide = std::min(w, h);
    CaptionFit fit = FitCaption(w, h, caption, layout, xMargin, yMargin, fontSize);
    // Too small to read: shorten the caption and fit it again.
    while (fontSize <= 0 && caption.size() >= 5 &&
           fit.size < std::max<int64_t>(12, smallerSide / 5)) {
        ShortenCaption(caption);
        fit = FitCaption(w, h, caption, layout, xMargin, yMargin, fontSize);
    }
    layout.height = static_cast<int32_t>(fit.size);
    layout.cellHeight = static_cast<int32_t>(fit.size);
    layout.pitch = ClampToInt(fit.pitch);
    layout.rowSpace = ClampToInt(fit.rowSpace);
    layout.leftMargin = ClampToInt(fit.x);
    return TextStart{ClampToInt(fit.x), ClampToInt(fit.y)};
}
