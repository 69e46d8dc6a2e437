#include "engine/ui/CorvaneImageSequence.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/SceneGeometry.h"

namespace {

// The canvas limit on either side.
constexpr int64_t kMaxLineWidth = 65535;

// One character of a text: its code and its byte count.
struct TextChar {
    uint32_t code = 0;
    int bytes = 1;
};

// Walks the characters of a GBK text: a byte above 0x80 with a byte after
// it starts a double-byte character.
class CharWalker {
public:
    explicit CharWalker(std::string_view text) : text_(text) {}

    bool Next(TextChar* out) {
        if (pos_ >= text_.size()) {
            return false;
        }
        const auto lead = static_cast<unsigned char>(text_[pos_]);
        if (lead > 0x80 && pos_ + 1 < text_.size()) {
            const auto trail = static_cast<unsigned char>(text_[pos_ + 1]);
            *out = TextChar{static_cast<uint32_t>(lead) * 256 + trail, 2};
        } else {
            *out = TextChar{lead, 1};
        }
        pos_ += static_cast<size_t>(out->bytes);
        return true;
    }
    // True when no character follows the one last returned.
    bool AtEnd() const { return pos_ >= text_.size(); }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

std::string_view TextOf(const char* text) {
    return text != nullptr ? std::string_view(text) : std::string_view();
}

}  // namespace

int CCorvaneImageSequence::Create(int cellWidth, int lineHeight, uint32_t styleFlags) {
    cellWidth_ = cellWidth;
    lineHeight_ = lineHeight;
    style_ = styleFlags;
    CCorvaneCanvas* canvas = CreateCanvas(cellWidth, lineHeight, kDefaultColorKey);
    if (canvas == nullptr) {
        return 0;
    }
    PeerSetUp(canvas, kLinkDecoration);
    return 1;
}

void CCorvaneImageSequence::AddGlyph(const char* character, const FrameRecord& state) {
    const std::string_view text = TextOf(character);
    if (text.empty()) {
        return;
    }
    uint32_t code = static_cast<unsigned char>(text[0]);
    if (text.size() >= 2) {
        code = code * 256 + static_cast<unsigned char>(text[1]);
    }
    glyphs_.erase(code);
    glyphs_.emplace(code, state);
}

void CCorvaneImageSequence::AddGlyphStrip(const char* characters, const char* imageName) {
    const FrameRecord first = GetResourceFrame(imageName != nullptr ? imageName : "", 0);
    if (first.record == nullptr) {
        return;
    }
    const int frames = first.record->frameCount;
    CharWalker walker(TextOf(characters));
    TextChar c;
    for (int n = 0; n < frames && walker.Next(&c); ++n) {
        FrameRecord glyph = first;
        glyph.frame = n;
        if (c.bytes == 1 && !IsProportional()) {
            glyph.width /= 2;
        }
        char bytes[3] = {};
        if (c.bytes == 2) {
            bytes[0] = static_cast<char>(c.code >> 8);
            bytes[1] = static_cast<char>(c.code & 0xFF);
        } else {
            bytes[0] = static_cast<char>(c.code);
        }
        AddGlyph(bytes, glyph);
    }
}

const FrameRecord* CCorvaneImageSequence::FindGlyph(uint32_t code) const {
    auto it = glyphs_.find(code);
    return it == glyphs_.end() ? nullptr : &it->second;
}

int CCorvaneImageSequence::MeasureWidth(const char* text) const {
    CharWalker walker(TextOf(text));
    TextChar c;
    int64_t width = 0;
    while (walker.Next(&c)) {
        const bool last = walker.AtEnd();
        const bool wide = c.bytes == 2;
        if (IsProportional()) {
            const FrameRecord* glyph = FindGlyph(c.code);
            width += glyph != nullptr ? glyph->width : (wide ? cellWidth_ : cellWidth_ / 2);
            if (!last) {
                width += spacing_;
            }
        } else if (wide) {
            width += cellWidth_ + (last ? 0 : spacing_);
        } else {
            width += cellWidth_ / 2 + (last ? 0 : spacing_ / 2);
        }
    }
    return static_cast<int>(std::clamp<int64_t>(width, 0, kMaxLineWidth));
}

CCorvaneCanvas* CCorvaneImageSequence::GetCanvas() {
    return dynamic_cast<CCorvaneCanvas*>(GetPeer());
}

void CCorvaneImageSequence::SetText(const char* text) {
    text_ = TextOf(text);  // a copy first: text may be text_ itself
    CCorvaneCanvas* canvas = GetCanvas();
    if (canvas == nullptr) {
        return;
    }
    const int width = MeasureWidth(text_.c_str());
    canvas->Resize(width, lineHeight_);
    static_cast<CCorvaneObject*>(canvas)->Resize(width, lineHeight_);
    canvas->Clear();
    DrawGlyphs(canvas, 0.0, 0.0, text_.c_str(), kGlyphsFromPen);
    Align();
}

void CCorvaneImageSequence::RefreshText() {
    const std::string text = text_;
    SetText(text.c_str());
}

void CCorvaneImageSequence::ClearGlyphs() {
    glyphs_.clear();
}

void CCorvaneImageSequence::DrawGlyphs(CCorvaneCanvas* canvas, double x, double y, const char* text,
                                       int mode) {
    if (canvas == nullptr) {
        return;
    }
    const std::string_view line = TextOf(text);
    double pen = x;
    if ((mode & kGlyphsFromPen) == 0) {
        const int64_t cells = (int64_t{spacing_} + cellWidth_) * static_cast<int64_t>(line.size());
        pen -= static_cast<double>(cells / ((mode & kGlyphsQuarterShift) != 0 ? 4 : 2));
    }
    const int wideAdvance = cellWidth_ + spacing_;
    const int narrowAdvance = spacing_ / 2 + cellWidth_ / 2;
    CharWalker walker(line);
    TextChar c;
    while (walker.Next(&c)) {
        const bool wide = c.bytes == 2;
        const FrameRecord* glyph = FindGlyph(c.code);
        if (IsProportional()) {
            if (glyph == nullptr) {
                pen += wide ? wideAdvance : narrowAdvance;
                continue;
            }
            // A glyph without size would mean "the canvas's size" to the
            // canvas: it takes no room and draws nothing.
            if (glyph->width > 0 && glyph->height > 0) {
                const int top = TruncToInt(y + lineHeight_ / 2 - glyph->height / 2);
                canvas->DrawImage(*glyph, TruncToInt(pen), top, glyph->width, glyph->height, 0.0,
                                  1.0);
            }
            pen += glyph->width + spacing_;
            continue;
        }
        const int cell = wide ? cellWidth_ : cellWidth_ / 2;
        if (glyph != nullptr && cell > 0 && lineHeight_ > 0) {
            canvas->DrawImage(*glyph, TruncToInt(pen), TruncToInt(y), cell, lineHeight_, 0.0, 1.0);
        }
        pen += wide ? wideAdvance : narrowAdvance;
    }
}

void CCorvaneImageSequence::Align() {
    CCorvaneCanvas* canvas = GetCanvas();
    if (canvas == nullptr) {
        return;
    }
    const ObjectState& anchor = OwnState();
    const double halfWidth = static_cast<CCorvaneObject*>(canvas)->GetWidth() * 0.5;
    double x = anchor.x;
    if ((style_ & kSequenceAnchorLeft) != 0) {
        x += halfWidth;
    } else if ((style_ & kSequenceAnchorRight) != 0) {
        x -= halfWidth;
    }
    canvas->SetPos(x, anchor.y);
    Invalidate();
}

void CCorvaneImageSequence::SetSpacing(int pixels) {
    spacing_ = pixels;
}

void CCorvaneImageSequence::MoveBy(double dx, double dy) {
    CCorvaneControl::MoveBy(dx, dy);
    Align();
}
