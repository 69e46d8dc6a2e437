// The rich-text box's markup: the scan of a run of text, the tags that
// change the style, links, and the tags that embed pictures, animations and
// buttons. Runs come from other players: nothing here trusts a length, a
// number or a terminator it has not checked.

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/AttrValue.h"
#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneFont.h"
#include "engine/EngineLog.h"
#include "engine/ui/CorvaneInlineObject.h"
#include "engine/ui/RichText.h"
#include "platform/Browser.h"

namespace {

// A '<' whose '>' lies further than this is ordinary text: no writer makes
// tags this long, and the bound keeps hostile runs of '<' linear.
constexpr size_t kMaxTagContent = 1024;
// The bytes a '#' escape offers to BuildElements ('#' and four more).
constexpr size_t kHashObjectBytes = 5;
// Embedded objects are never made larger than this, whatever a tag asks.
constexpr int kMaxInlineSide = 2048;
constexpr uint32_t kLinkColor = 0xFF0000;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return 0;
}

// The colour of a colour letter, or false for a byte that is none.
bool ColorOfLetter(char letter, uint32_t* color) {
    switch (letter) {
        case 'w':
        case 'W':
            *color = 0xFFFFFF;
            return true;
        case 'b':
        case 'B':
            *color = 0xFF0000;
            return true;
        case 'k':
        case 'K':
            *color = 0x000000;
            return true;
        case 'r':
        case 'R':
            *color = 0x0000FF;
            return true;
        case 'g':
        case 'G':
            *color = 0x00FF00;
            return true;
        case 'y':
        case 'Y':
            *color = 0x00FFFF;
            return true;
        default:
            return false;
    }
}

// The text value of a key: from after the key to the first ';' at or after
// the key, or to the end.
std::string TextValue(std::string_view content, size_t keyPos, size_t keyLength) {
    const size_t start = keyPos + keyLength;
    const size_t end = content.find(';', keyPos);
    if (end == std::string_view::npos) {
        return std::string(content.substr(start));
    }
    return end <= start ? std::string() : std::string(content.substr(start, end - start));
}

// The decimal number right after the key, read as atoi does.
int NumberAfter(std::string_view content, size_t keyPos, size_t keyLength) {
    return CAttrValue(content.substr(keyPos + keyLength)).GetInt();
}

int ClampInlineSide(int value) {
    return std::clamp(value, 0, kMaxInlineSide);
}

}  // namespace

// ---------------------------------------------------------------------------
// The scan

CCorvaneRichText::TextStyle CCorvaneRichText::CurrentStyle() const {
    TextStyle style;
    style.fontSize = fontSize_;
    std::memcpy(style.face, face_, sizeof(face_));
    style.color = textColor_;
    style.flags = textFlags_;
    return style;
}

void CCorvaneRichText::RestoreStyle(const TextStyle& style) {
    fontSize_ = style.fontSize;
    std::memcpy(face_, style.face, sizeof(face_));
    textColor_ = style.color;
    textFlags_ = style.flags;
}

void CCorvaneRichText::ParseText(const char* text) {
    if (text == nullptr) {
        return;
    }
    for (RichTextElement* e = pendingHead_; e != nullptr;) {
        RichTextElement* next = e->next;
        FreeElement(e);
        e = next;
    }
    pendingHead_ = pendingTail_ = nullptr;
    pendingCount_ = 0;
    const TextStyle saved = CurrentStyle();
    runStyle_ = saved;
    size_t pos = 0;
    while (text[pos] != '\0') {
        switch (text[pos]) {
            case '#':
                ScanHash(text, pos);
                break;
            case '<':
                ScanTag(text, pos);
                break;
            case '\r':
                ++pos;
                break;
            default:
                pos += std::max(1, AddChar(text + pos));
                break;
        }
    }
    FlushElements();
    RestoreStyle(saved);
}

void CCorvaneRichText::ScanHash(const char* text, size_t& pos) {
    static const char kHash[] = "#";
    const char next = text[pos + 1];
    if (next == '#' || next == '<' || next == '>' || next == '/') {
        ++pos;
        pos += std::max(1, AddChar(text + pos));
        return;
    }
    if (IsDigit(next) && IsDigit(text[pos + 2])) {
        pos += AddChar(kHash);
        return;
    }
    if (IsAsciiLetter(next)) {
        if (ParseTag(std::string(text + pos, 2)) != 0) {
            pos += 2;
        } else {
            pos += AddChar(kHash);
        }
        return;
    }
    // Five bytes from the '#' must be there before any is offered.
    if (next != '\0' && strnlen(text + pos, kHashObjectBytes) == kHashObjectBytes &&
        BuildElements(std::string(text + pos, kHashObjectBytes)) != 0) {
        pos += kHashObjectBytes;
        return;
    }
    pos += AddChar(kHash);
}

void CCorvaneRichText::ScanTag(const char* text, size_t& pos) {
    static const char kOpen[] = "<";
    const char* inside = text + pos + 1;
    const size_t limit = strnlen(inside, kMaxTagContent + 1);
    const void* close = std::memchr(inside, '>', limit);
    if (close == nullptr) {
        pos += AddChar(kOpen);
        return;
    }
    const size_t length = static_cast<const char*>(close) - inside;
    if (length == 0) {
        RestoreStyle(runStyle_);
        pos += 2;
        return;
    }
    const std::string content(inside, length);
    if (ParseTag(content) != 0 || BuildElements(content) != 0) {
        pos += length + 2;
        return;
    }
    pos += AddChar(kOpen);
}

// ---------------------------------------------------------------------------
// Tags

int CCorvaneRichText::ParseTag(const std::string& content) {
    const std::string_view tag(content);
    if (tag.find("notify") != std::string_view::npos) {
        return 1;
    }
    int applied = 0;
    static const struct {
        const char* key;
        uint32_t flag;
    } kEffects[] = {{"e=b", kElementBold}, {"e=u", kElementUnderline}, {"e=i", kElementItalic}};
    for (const auto& effect : kEffects) {
        if (tag.find(effect.key) != std::string_view::npos) {
            textFlags_ |= effect.flag;
            applied = 1;
        }
    }
    if (size_t at = tag.find("c="); at != std::string_view::npos) {
        textColor_ = static_cast<uint32_t>(NumberAfter(tag, at, 2));
        applied = 1;
    }
    if (size_t at = tag.find("color="); at != std::string_view::npos) {
        int digits[6] = {};
        for (size_t i = 0; i < 6 && at + 6 + i < tag.size(); ++i) {
            digits[i] = HexDigit(tag[at + 6 + i]);
        }
        const uint32_t red = digits[0] * 16 + digits[1];
        const uint32_t green = digits[2] * 16 + digits[3];
        const uint32_t blue = digits[4] * 16 + digits[5];
        textColor_ = red | green << 8 | blue << 16;
        applied = 1;
    }
    if (size_t at = tag.find('#'); at != std::string_view::npos && at + 1 < tag.size()) {
        uint32_t color = 0;
        if (ColorOfLetter(tag[at + 1], &color)) {
            textColor_ = color;
            applied = 1;
        }
    }
    if (size_t at = tag.find("size="); at != std::string_view::npos) {
        fontSize_ = std::clamp(NumberAfter(tag, at, 5), kRichMinFontSize,
                               std::max(kRichMinFontSize, sizeLimit_));
        applied = 1;
    }
    if (size_t at = tag.find("face="); at != std::string_view::npos) {
        const std::string face = TextValue(tag, at, 5);
        FontDesc desc;
        SetFontDescFace(desc, face);
        std::memcpy(face_, desc.faceName, sizeof(face_));
        applied = 1;
    }
    if (size_t at = tag.find("url="); at != std::string_view::npos) {
        const std::string target = TextValue(tag, at, 4);
        AddLink(target, target, std::string());
        applied = 1;
    }
    if (size_t at = tag.find("url_text="); at != std::string_view::npos) {
        std::vector<CAttrValue> pieces;
        if (SplitAttrValues(TextValue(tag, at, 9), pieces) >= 2) {
            AddLink(pieces[0].GetText(), pieces[1].GetText(),
                    pieces.size() >= 3 ? pieces[2].GetText() : std::string());
            applied = 1;
        }
    }
    if (size_t at = tag.find("url_load=");
        at != std::string_view::npos && (style_ & kRichUrlLoad) != 0) {
        std::vector<CAttrValue> pieces;
        if (SplitAttrValues(TextValue(tag, at, 9), pieces) >= 2) {
            const std::string first = pieces[0].GetText();
            const std::string second = pieces[1].GetText();
            const int flag = pieces.size() >= 3 ? pieces[2].GetBool() : 0;
            const std::string fourth = pieces.size() >= 4 ? pieces[3].GetText() : std::string();
            return LoadUrl(second.c_str(), first.c_str(), flag,
                           pieces.size() >= 4 ? fourth.c_str() : nullptr);
        }
    }
    return applied;
}

void CCorvaneRichText::AddLink(const std::string& target, const std::string& visible,
                               const std::string& picture) {
    const uint32_t savedColor = textColor_;
    const uint32_t savedFlags = textFlags_;
    CCorvaneRichTextElement* record = nullptr;
    if ((style_ & kRichLiveLinks) != 0 && !visible.empty()) {
        textColor_ = kLinkColor;
        textFlags_ |= kElementUnderline | kElementLinkText;
        record = new CCorvaneRichTextElement;
        Register(record);
        if (!record->IsRegistered()) {
            delete record;
            record = nullptr;
        } else {
            record->SetLink(target.c_str(), picture.c_str(), GetId());
        }
    }
    RichTextElement* before = pendingTail_;
    RichTextElement* firstMade = nullptr;
    for (size_t pos = 0; pos < visible.size();) {
        if (visible[pos] == '\r') {
            ++pos;
            continue;
        }
        pos += std::max(1, AddChar(visible.c_str() + pos));
        if (firstMade == nullptr && pendingTail_ != before) {
            firstMade = pendingTail_;
        }
    }
    if (record != nullptr) {
        if (firstMade != nullptr) {
            firstMade->flags |= kElementLinkStart;
            pendingTail_->flags |= kElementLinkEnd;
            MapLinkElement(firstMade, record->GetId());
        } else {
            DestroyObject(record, 0);
        }
    }
    textColor_ = savedColor;
    textFlags_ = savedFlags;
}

// ---------------------------------------------------------------------------
// Embedded objects

int CCorvaneRichText::BuildElements(const std::string& content) {
    const std::string_view tag(content);
    if (size_t at = tag.find("z="); at != std::string_view::npos) {
        return BuildInlineObject("z=", TextValue(tag, at, 2));
    }
    if (size_t at = tag.find("m="); at != std::string_view::npos) {
        return BuildInlineObject("m=", TextValue(tag, at, 2));
    }
    if (size_t at = tag.find("url_btn="); at != std::string_view::npos) {
        if ((style_ & kRichLiveLinks) == 0) {
            return 0;
        }
        return BuildLinkButton(TextValue(tag, at, 8));
    }
    return 0;
}

int CCorvaneRichText::BuildInlineObject(const std::string& key, const std::string& value) {
    std::vector<CAttrValue> pieces;
    const int count = SplitAttrValues(value, pieces);
    if (count == 0) {
        return 0;
    }
    const bool animation = key == "m=";
    const std::string name = pieces[0].GetText();
    const int frameIndex = (!animation && count >= 2) ? pieces[1].GetInt() : 0;
    const int width = count == 4 ? ClampInlineSide(pieces[2].GetInt()) : 0;
    const int height = count == 4 ? ClampInlineSide(pieces[3].GetInt()) : 0;
    const FrameRecord frame = GetResourceFrame(name.c_str(), frameIndex);
    if (frame.record == nullptr) {
        return 1;  // a missing picture removes the tag silently
    }
    auto* object = new CCorvaneInlineObject;
    Register(object);
    if (!object->IsRegistered()) {
        delete object;
        return 1;
    }
    if (animation) {
        object->MakeAnimation(name.c_str(), width, height);
    } else {
        object->MakePicture(frame, width, height);
    }
    object->SetTypeName(kInlinePictureName);
    RichTextElement* element = NewElement(object);
    if (element == nullptr) {
        DestroyObject(object, 0);
        return 1;
    }
    QueueElement(element);
    return 1;
}

int CCorvaneRichText::BuildLinkButton(const std::string& value) {
    std::vector<CAttrValue> pieces;
    const int count = SplitAttrValues(value, pieces);
    if (count < 2) {
        return 0;
    }
    const std::string target = pieces[0].GetText();
    const std::string image = pieces[1].GetText();
    const int width = count == 4 ? ClampInlineSide(pieces[2].GetInt()) : 0;
    const int height = count == 4 ? ClampInlineSide(pieces[3].GetInt()) : 0;
    if (GetResourceFrame(image.c_str(), 0).record == nullptr) {
        return 1;
    }
    RichTextElement* element = AllocElement();
    if (element == nullptr) {
        return 1;
    }
    auto* button = new CCorvaneInlineObject;
    Register(button);
    if (!button->IsRegistered()) {
        delete button;
        FreeElement(element);
        return 1;
    }
    element->flags = kElementObject | kElementButton;
    button->MakeButton(image.c_str(), GetId(), width, height);
    button->SetText(target.c_str());
    button->SetTypeName(target.c_str());
    if (CCorvaneCanvas* text = GetTextCanvas()) {
        IntRect area;
        text->GetClipRect(&area);
        button->SetClipRect(area);
        button->SetZ(text->GetZ() + 0.01);
    }
    element->width = static_cast<uint16_t>(
        std::clamp(static_cast<int>(button->GetWidth()), 0, kRichMaxElementSide));
    element->height = static_cast<uint16_t>(
        std::clamp(static_cast<int>(button->GetHeight()), 0, kRichMaxElementSide));
    element->code = static_cast<uint32_t>(button->GetId());
    QueueElement(element);
    return 1;
}

// ---------------------------------------------------------------------------
// Opening links

void CCorvaneRichText::OpenUrl(const char* target) {
    if (target == nullptr || target[0] == '\0') {
        return;
    }
    // Web addresses and local folders (the screenshot notice links to one).
    if (!platform::NormaliseWebAddress(target).empty()) {
        platform::OpenWebAddress(target);
    } else if (!platform::OpenFolder(target)) {
        EngineLog("link target refused: neither a web address nor a folder (%zu bytes)",
                  std::strlen(target));
    }
}
