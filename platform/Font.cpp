#include "platform/Font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_SIZES_H

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/TextCodec.h"

namespace platform {

namespace detail {

// One loaded face file with what every size of it shares. Faces live as long
// as the process.
struct FontFace {
    FT_Face face = nullptr;
    std::string family;  // UTF-8
    // The vertical extent, in font units, that the cell must hold: the top of
    // the tallest and the bottom of the deepest reference glyph.
    int64_t top = 0;
    int64_t bottom = 0;
    int64_t unitsPerEm = 0;
};

}  // namespace detail

namespace {

constexpr uint32_t kReferenceIdeograph = 0x4E2D;  // 中: the face covers Chinese
constexpr int kRecentFonts = 64;
constexpr int kLeadBytes = 0xFE - 0x81 + 1;
constexpr int kTrailBytes = 0xFE - 0x40 + 1;
constexpr uint32_t kNotGbk = 0xFFFFFFFFu;
constexpr FT_Fixed kItalicShear = 0x3333;  // 0.2 in 16.16: x moves by a fifth of y

bool IsLeadByte(uint8_t byte) {
    return byte >= 0x81;
}

// The code point of the first UTF-8 sequence of a text that holds exactly
// one; 0 otherwise.
uint32_t SingleCodePoint(std::string_view utf8) {
    if (utf8.empty()) {
        return 0;
    }
    const auto lead = static_cast<uint8_t>(utf8[0]);
    size_t length = 1;
    uint32_t code = lead;
    if (lead >= 0xF0) {
        length = 4;
        code = lead & 0x07;
    } else if (lead >= 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xC0) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0x80) {
        return 0;
    }
    if (utf8.size() != length) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        code = (code << 6) | (static_cast<uint8_t>(utf8[i]) & 0x3F);
    }
    return code;
}

// Code points of the two-byte characters, converted once each on first use.
// 0 means not converted yet.
std::array<std::atomic<uint32_t>, kLeadBytes * kTrailBytes>& PairTable() {
    static std::array<std::atomic<uint32_t>, kLeadBytes * kTrailBytes> table{};
    return table;
}

uint32_t ConvertPair(uint8_t lead, uint8_t trail) {
    const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    const std::string utf8 = GbkToUtf8(std::string_view(pair, 2));
    const uint32_t code = SingleCodePoint(utf8);
    // A pair that does not convert comes back as '?' (and its trail byte).
    return (code == 0 || code == '?') ? kNotGbk : code;
}

// Everything of FreeType and fontconfig, behind one lock. Never destroyed, so
// fonts that outlive static destruction stay safe.
class FontSystem {
public:
    static FontSystem& Get() {
        static FontSystem* system = new FontSystem();
        return *system;
    }

    std::mutex& Lock() { return mutex_; }

    // The face for a request; null when no usable font file exists.
    // Called with the lock held.
    std::shared_ptr<detail::FontFace> FindFace(const FontRequest& want);

    // Recently opened fonts, most recent first. Called with the lock held.
    std::vector<std::shared_ptr<const Font>>& Recent() { return recent_; }

private:
    struct Location {
        std::string path;
        int index = 0;
        auto operator<=>(const Location&) const = default;
    };
    using LookupKey = std::tuple<std::string, bool, bool>;  // face, bold, italic

    FontSystem();
    std::optional<Location> Match(const std::string& familyUtf8, const FontRequest& want,
                                  bool needCjk);
    std::optional<Location> Resolve(const FontRequest& want);
    std::shared_ptr<detail::FontFace> Load(const Location& location);

    std::mutex mutex_;
    FT_Library library_ = nullptr;
    bool fontconfigReady_ = false;
    std::map<LookupKey, std::optional<Location>> lookups_;
    std::map<Location, std::shared_ptr<detail::FontFace>> faces_;
    std::vector<std::shared_ptr<const Font>> recent_;
};

FontSystem::FontSystem() {
    if (FT_Init_FreeType(&library_) != 0) {
        library_ = nullptr;
    }
    fontconfigReady_ = FcInit() == FcTrue;
    if (fontconfigReady_) {
        // fontconfig keeps some of its state behind encoded pointers that leak
        // checkers cannot follow: hand it back at exit. Look-ups made later
        // fall back to the faces already loaded or to boxes.
        std::atexit([] {
            FontSystem& system = Get();
            std::lock_guard<std::mutex> lock(system.mutex_);
            system.fontconfigReady_ = false;
            FcFini();
        });
    }
}

std::optional<FontSystem::Location> FontSystem::Match(const std::string& familyUtf8,
                                                      const FontRequest& want, bool needCjk) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return std::nullopt;
    }
    if (!familyUtf8.empty()) {
        FcPatternAddString(pattern, FC_FAMILY,
                           reinterpret_cast<const FcChar8*>(familyUtf8.c_str()));
    }
    // The program asks for the GB2312 character set, whose faces have
    // half-width Latin letters.
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcPatternAddDouble(pattern, FC_WEIGHT,
                       FcWeightFromOpenTypeDouble(want.weight >= 600 ? 700 : 400));
    FcPatternAddInteger(pattern, FC_SLANT, want.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return std::nullopt;
    }
    std::optional<Location> location;
    FcChar8* file = nullptr;
    int index = 0;
    FcCharSet* charset = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        const bool coversCjk =
            FcPatternGetCharSet(match, FC_CHARSET, 0, &charset) == FcResultMatch &&
            FcCharSetHasChar(charset, kReferenceIdeograph) == FcTrue;
        if (coversCjk || !needCjk) {
            location = Location{reinterpret_cast<const char*>(file), index};
        }
    }
    FcPatternDestroy(match);
    return location;
}

std::optional<FontSystem::Location> FontSystem::Resolve(const FontRequest& want) {
    if (!fontconfigReady_) {
        return std::nullopt;
    }
    const std::string family = GbkToUtf8(want.face);
    if (auto named = Match(family, want, true)) {
        return named;
    }
    if (auto anyCjk = Match("", want, true)) {
        return anyCjk;
    }
    return Match(family, want, false);
}

std::shared_ptr<detail::FontFace> FontSystem::Load(const Location& location) {
    if (auto found = faces_.find(location); found != faces_.end()) {
        return found->second;
    }
    FT_Face ftFace = nullptr;
    if (library_ == nullptr ||
        FT_New_Face(library_, location.path.c_str(), location.index, &ftFace) != 0) {
        return nullptr;
    }
    if (!FT_IS_SCALABLE(ftFace) || ftFace->units_per_EM == 0) {
        FT_Done_Face(ftFace);
        return nullptr;
    }
    auto face = std::make_shared<detail::FontFace>();
    face->face = ftFace;
    face->family = ftFace->family_name != nullptr ? ftFace->family_name : "";
    face->unitsPerEm = ftFace->units_per_EM;
    // Reference glyphs: ideographs with a high dot and a low stroke, a capital
    // and letters with descenders.
    face->top = ftFace->units_per_EM * 4 / 5;
    face->bottom = 0;
    for (uint32_t code :
         {0x4E2Du, 0x6C34u, 0x4E3Bu, uint32_t{'H'}, uint32_t{'j'}, uint32_t{'g'}, uint32_t{'y'}}) {
        const FT_UInt glyph = FT_Get_Char_Index(ftFace, code);
        if (glyph == 0 || FT_Load_Glyph(ftFace, glyph, FT_LOAD_NO_SCALE) != 0) {
            continue;
        }
        const FT_Glyph_Metrics& metrics = ftFace->glyph->metrics;
        face->top = std::max<int64_t>(face->top, metrics.horiBearingY);
        face->bottom = std::min<int64_t>(face->bottom, metrics.horiBearingY - metrics.height);
    }
    faces_[location] = face;
    return face;
}

std::shared_ptr<detail::FontFace> FontSystem::FindFace(const FontRequest& want) {
    const LookupKey key{detail::FoldAsciiCopy(want.face), want.weight >= 600, want.italic};
    auto found = lookups_.find(key);
    if (found == lookups_.end()) {
        found = lookups_.emplace(key, Resolve(want)).first;
    }
    return found->second ? Load(*found->second) : nullptr;
}

int64_t RoundDiv(int64_t numerator, int64_t denominator) {
    return (numerator + denominator / 2) / denominator;
}

// Copies a rendered FreeType bitmap into a cell buffer (rows cellWidth
// bytes apart), keeping the larger coverage. (left, top) is where the
// bitmap's top-left pixel falls.
void CopyCoverage(const FT_Bitmap& bitmap, int left, int top, int cellWidth, int cellHeight,
                  uint8_t* cell) {
    const int rows = static_cast<int>(bitmap.rows);
    const int columns = static_cast<int>(bitmap.width);
    const int stride = std::abs(bitmap.pitch);
    for (int r = 0; r < rows; ++r) {
        const int y = top + r;
        if (y < 0 || y >= cellHeight) {
            continue;
        }
        const int sourceRow = bitmap.pitch >= 0 ? r : rows - 1 - r;
        const uint8_t* source = bitmap.buffer + static_cast<size_t>(sourceRow) * stride;
        uint8_t* destination = cell + static_cast<size_t>(y) * cellWidth;
        for (int c = 0; c < columns; ++c) {
            const int x = left + c;
            if (x < 0 || x >= cellWidth) {
                continue;
            }
            uint8_t coverage = 0;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                coverage = (source[c >> 3] & (0x80 >> (c & 7))) != 0 ? 255 : 0;
            } else {
                coverage = source[c];
            }
            destination[x] = std::max(destination[x], coverage);
        }
    }
}

bool DrawsGlyph(uint32_t code) {
    return code > 0x20 && code != 0x7F && (code < 0x80 || code >= 0xA0) && code != 0x3000 &&
           code != kNotGbk;
}

}  // namespace

std::unique_ptr<GlyphBitmap> GlyphBitmap::Create(int width, int height) {
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[bytes]());
    if (!data) {
        return nullptr;
    }
    return std::unique_ptr<GlyphBitmap>(new GlyphBitmap(width, height, std::move(data)));
}

GlyphBitmap::GlyphBitmap(int width, int height, std::unique_ptr<uint8_t[]> data)
    : width_(width), height_(height), data_(std::move(data)) {}

uint8_t GlyphBitmap::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return 0;
    }
    return Row(y)[x];
}

void GlyphBitmap::Clear(int width, int height) {
    const int columns = std::clamp(width, 0, width_);
    const int rows = std::clamp(height, 0, height_);
    for (int y = 0; y < rows; ++y) {
        std::fill_n(Row(y), columns, uint8_t{0});
    }
}

uint32_t GbkCharToCodePoint(std::string_view character) {
    if (character.empty()) {
        return 0;
    }
    const auto lead = static_cast<uint8_t>(character[0]);
    if (!IsLeadByte(lead)) {
        return lead == 0x80 ? 0x20AC : lead;
    }
    if (character.size() < 2) {
        return 0;
    }
    const auto trail = static_cast<uint8_t>(character[1]);
    if (lead > 0xFE || trail < 0x40 || trail > 0xFE) {
        return 0;
    }
    std::atomic<uint32_t>& slot = PairTable()[(lead - 0x81) * kTrailBytes + (trail - 0x40)];
    uint32_t code = slot.load(std::memory_order_relaxed);
    if (code == 0) {
        code = ConvertPair(lead, trail);
        slot.store(code, std::memory_order_relaxed);
    }
    return code == kNotGbk ? 0 : code;
}

Font::Font(const FontRequest& want, std::shared_ptr<detail::FontFace> face)
    : request_(want), face_(std::move(face)) {
    const int height = request_.height;
    // Without a face: boxes on a baseline four fifths down the cell and an
    // underline on the row below it.
    baseline_ = height * 4 / 5;
    underlineTop_ = std::min(baseline_ + 1, height - 1);
    underlineRows_ = std::max(1, height / 16);
    if (face_ != nullptr && height > 0) {
        FT_Size size = nullptr;
        if (FT_New_Size(face_->face, &size) == 0) {
            size_ = size;
            const int64_t span = face_->top - face_->bottom;
            const int64_t unit = std::max(span, face_->unitsPerEm);
            pixelsPerEm_ = RoundDiv(int64_t{height} * 64 * face_->unitsPerEm, unit);
            baseline_ = static_cast<int>(
                RoundDiv(int64_t{height} * (face_->top + (unit - span) / 2), unit));
            baseline_ = std::clamp(baseline_, 0, height);
            FT_Activate_Size(size);
            FT_Set_Char_Size(face_->face, 0, static_cast<FT_F26Dot6>(pixelsPerEm_), 72, 72);

            const FT_Face ftFace = face_->face;
            const int64_t em = face_->unitsPerEm;
            const int64_t thickness = std::max<int64_t>(ftFace->underline_thickness, 1);
            underlineRows_ =
                std::max(1, static_cast<int>(RoundDiv(thickness * pixelsPerEm_, em * 64)));
            const int64_t below =
                RoundDiv(-int64_t{ftFace->underline_position} * pixelsPerEm_, em * 64);
            underlineTop_ = baseline_ + static_cast<int>(below) - underlineRows_ / 2;
        } else {
            face_.reset();
        }
    }
    underlineRows_ = std::min(underlineRows_, std::max(height, 1));
    underlineTop_ = std::clamp(underlineTop_, 0, std::max(height - underlineRows_, 0));
}

Font::~Font() {
    if (size_ != nullptr) {
        std::lock_guard<std::mutex> lock(FontSystem::Get().Lock());
        FT_Done_Size(static_cast<FT_Size>(size_));
    }
}

const std::string& Font::FamilyName() const {
    static const std::string kNone;
    return face_ != nullptr ? face_->family : kNone;
}

int Font::CellWidth(std::string_view character) const {
    if (character.empty()) {
        return 0;
    }
    const bool wide = IsLeadByte(static_cast<uint8_t>(character[0])) && character.size() >= 2;
    return wide ? request_.height : (request_.height + 1) / 2;
}

int Font::DrawChar(std::string_view character, GlyphBitmap& target) const {
    const int cellWidth = CellWidth(character);
    const int drawWidth = std::min(cellWidth, target.Width());
    const int drawHeight = std::min(request_.height, target.Height());
    if (drawWidth <= 0 || drawHeight <= 0) {
        return cellWidth;
    }
    if (request_.underline) {
        DrawUnderline(drawWidth, target);
    }
    const uint32_t code = GbkCharToCodePoint(character);
    if (!DrawsGlyph(code)) {
        return cellWidth;
    }
    if (face_ == nullptr) {
        DrawBox(drawWidth, target);
        return cellWidth;
    }

    std::lock_guard<std::mutex> lock(FontSystem::Get().Lock());
    // Cells are cached by the character's bytes, so equal code points of
    // different cell widths stay apart.
    const uint32_t key =
        character.size() >= 2 && IsLeadByte(static_cast<uint8_t>(character[0]))
            ? (static_cast<uint8_t>(character[0]) << 8 | static_cast<uint8_t>(character[1]))
            : static_cast<uint8_t>(character[0]);
    auto cached = glyphCache_.find(key);
    if (cached == glyphCache_.end()) {
        std::vector<uint8_t> cell;
        RenderGlyph(code, cellWidth, cell);
        if (glyphCacheBytes_ + cell.size() > kGlyphCacheBytes) {
            glyphCache_.clear();
            glyphCacheBytes_ = 0;
        }
        glyphCacheBytes_ += cell.size() + 1;
        cached = glyphCache_.emplace(key, std::move(cell)).first;
    }
    const std::vector<uint8_t>& cell = cached->second;
    if (cell.empty()) {
        DrawBox(drawWidth, target);  // the face has no such glyph
        return cellWidth;
    }
    for (int y = 0; y < drawHeight; ++y) {
        const uint8_t* source = cell.data() + static_cast<size_t>(y) * cellWidth;
        uint8_t* destination = target.Row(y);
        for (int x = 0; x < drawWidth; ++x) {
            destination[x] = std::max(destination[x], source[x]);
        }
    }
    return cellWidth;
}

void Font::RenderGlyph(uint32_t code, int cellWidth, std::vector<uint8_t>& cell) const {
    const FT_Face ftFace = face_->face;
    const FT_UInt glyph = FT_Get_Char_Index(ftFace, code);
    if (glyph == 0 || FT_Activate_Size(static_cast<FT_Size>(size_)) != 0) {
        return;  // empty: drawn as a box
    }
    cell.assign(static_cast<size_t>(cellWidth) * request_.height, 0);
    const FT_Int32 loadFlags = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
    FT_Fixed advance = 0;  // 16.16 pixels
    if (FT_Get_Advance(ftFace, glyph, loadFlags, &advance) != 0) {
        advance = FT_Fixed{cellWidth} << 16;
    }
    const int64_t cellAdvance = int64_t{cellWidth} << 16;
    FT_Matrix matrix{0x10000, 0, 0, 0x10000};
    int64_t natural = advance;
    if (advance > cellAdvance) {
        matrix.xx = static_cast<FT_Fixed>(cellAdvance * 0x10000 / advance);
        natural = cellAdvance;
    }
    // Centre the glyph's advance in the cell; a slanted glyph is moved left
    // by its mean slant so that it stays inside.
    int64_t shiftX = (cellAdvance - natural) / 2 >> 10;  // 26.6
    const bool slant = request_.italic && (ftFace->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
    if (slant) {
        matrix.xy = kItalicShear;
        const int64_t middle = (2 * int64_t{baseline_} - request_.height) * 32;  // 26.6, half of it
        shiftX -= middle * kItalicShear >> 16;
    }
    FT_Vector delta{static_cast<FT_Pos>(shiftX), 0};
    FT_Set_Transform(ftFace, &matrix, &delta);
    const bool embolden = IsBold() && (ftFace->style_flags & FT_STYLE_FLAG_BOLD) == 0;
    if (FT_Load_Glyph(ftFace, glyph, loadFlags) == 0) {
        FT_GlyphSlot slot = ftFace->glyph;
        if (embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            const FT_Pos strength = std::max<FT_Pos>(64, FT_Pos{request_.height} * 64 / 24);
            FT_Outline_Embolden(&slot->outline, strength);
        }
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
            CopyCoverage(slot->bitmap, slot->bitmap_left, baseline_ - slot->bitmap_top, cellWidth,
                         request_.height, cell.data());
        }
    }
    FT_Set_Transform(ftFace, nullptr, nullptr);
}

void Font::DrawBox(int cellWidth, GlyphBitmap& target) const {
    const int height = std::min(request_.height, target.Height());
    const int left = cellWidth > 2 ? 1 : 0;
    const int right = cellWidth > 2 ? cellWidth - 2 : cellWidth - 1;
    const int top = height > 2 ? 1 : 0;
    const int bottom = height > 2 ? std::min(baseline_, height - 1) : height - 1;
    for (int y = top; y <= bottom; ++y) {
        uint8_t* row = target.Row(y);
        for (int x = left; x <= right; ++x) {
            if (y == top || y == bottom || x == left || x == right) {
                row[x] = 255;
            }
        }
    }
}

void Font::DrawUnderline(int cellWidth, GlyphBitmap& target) const {
    const int last = std::min(underlineTop_ + underlineRows_, target.Height());
    for (int y = underlineTop_; y < last; ++y) {
        std::fill_n(target.Row(y), cellWidth, uint8_t{255});
    }
}

std::shared_ptr<const Font> OpenFont(const FontRequest& request) {
    FontRequest want = request;
    want.height = std::clamp(want.height, 0, kMaxFontHeight);

    std::shared_ptr<const Font> evicted;  // released after the lock
    FontSystem& system = FontSystem::Get();
    std::lock_guard<std::mutex> lock(system.Lock());
    auto& recent = system.Recent();
    auto found = std::find_if(recent.begin(), recent.end(),
                              [&](const auto& font) { return font->Request() == want; });
    if (found != recent.end()) {
        std::rotate(recent.begin(), found, found + 1);
        return recent.front();
    }
    std::shared_ptr<const Font> font(new Font(want, system.FindFace(want)));
    recent.insert(recent.begin(), font);
    if (static_cast<int>(recent.size()) > kRecentFonts) {
        evicted = std::move(recent.back());
        recent.pop_back();
    }
    return font;
}

}  // namespace platform
