#pragma once
// The pieces a rich-text box is made of: the element record (one per
// character or embedded object, kept in a singly linked list in text order)
// and the link record, the engine object behind the visible text of a link.
//
// Rules:
//  - Element records come from the box's pool and go back to it; they are
//    plain data, never deleted on their own.
//  - A character's code holds its one byte, or its two GBK bytes with the
//    lead byte in the low byte (the lead byte first in memory). An embedded
//    object's code is the object's id; the object is looked up by id on
//    every access.
//  - Coordinates are content pixels; elements sit on their line's bottom.
//  - A link record keeps its owner as an id and reports only to a live box.

#include <cstdint>
#include <string>

#include "engine/CorvaneControl.h"
#include "engine/ImageRecord.h"

// Element flags.
inline constexpr uint32_t kElementSingleByte = 0x1;
inline constexpr uint32_t kElementDoubleByte = 0x2;
inline constexpr uint32_t kElementObject = 0x8;
inline constexpr uint32_t kElementItalic = 0x10;
inline constexpr uint32_t kElementUnderline = 0x20;
inline constexpr uint32_t kElementBold = 0x80;
inline constexpr uint32_t kElementButton = 0x200;
inline constexpr uint32_t kElementLinkStart = 0x400;
inline constexpr uint32_t kElementLinkEnd = 0x800;
inline constexpr uint32_t kElementLineEnd = 0x1000;
inline constexpr uint32_t kElementLinkText = 0x2000;
inline constexpr uint32_t kElementNotDrawn = 0x4000;
inline constexpr uint32_t kElementHidden = 0x8000;

// The flags of the text style that elements copy.
inline constexpr uint32_t kElementStyleFlags =
    kElementItalic | kElementUnderline | kElementBold | kElementLinkText;

struct RichTextElement {
    int32_t x = 0;
    int32_t y = 0;  // top of the element's box
    uint16_t width = 0;
    uint16_t height = 0;
    int32_t lineTop = 0;
    int32_t spacing = 0;  // gap after the element
    uint32_t flags = 0;
    uint32_t code = 0;
    uint32_t color = 0;          // 0x00BBGGRR
    const char* face = nullptr;  // an entry of the box's face table, or null
    RichTextElement* next = nullptr;

    bool IsHidden() const { return (flags & kElementHidden) != 0; }
    bool IsObject() const { return (flags & kElementObject) != 0; }
    bool IsDoubleByte() const { return (flags & kElementDoubleByte) != 0; }
    bool IsLineEnd() const { return (flags & kElementLineEnd) != 0; }
    int Bottom() const { return y + height; }
    int Right() const { return x + width; }
    // The horizontal room the element takes: its width and the gap after it.
    int Advance() const { return width + spacing; }
    // The object's id for an embedded object, else 0.
    int ObjectId() const { return IsObject() ? static_cast<int>(code) : 0; }
    // The character's bytes (one or two) into out, zero-terminated; the count.
    int CharBytes(char out[3]) const;
};

// The engine object behind a link of a rich-text box: its target, the hover
// picture shown while the pointer is over the link's text, and the box that
// owns it. Activating it tells the box to open the target.
class CCorvaneRichTextElement : public CCorvaneControl {
public:
    CCorvaneRichTextElement() = default;
    ~CCorvaneRichTextElement() override;

    // Stores the target and the owner; with a picture name, makes the hover
    // picture from frame 0 of that image (none when the image is missing).
    virtual void SetLink(const char* target, const char* pictureName, int ownerId);
    // Sends the owner event 80000007 with the target text (param1) and the
    // record's own id (param2) when there is a target.
    virtual void Activate();
    // Fades the hover picture in, centred on the owner's text area.
    virtual void ShowHoverPicture();
    virtual void HideHoverPicture();
    virtual void ShowHandCursor();

    const std::string& GetTarget() const { return target_; }
    int GetOwnerId() const { return ownerId_; }
    // The hover picture's id, 0 without one.
    int GetHoverPictureId() const { return hoverPictureId_; }

private:
    std::string target_;
    int hoverPictureId_ = 0;
    int ownerId_ = 0;
};

// The event a link record (and a link button) sends its box: param1 points
// to the zero-terminated target text, param2 is the sender's id.
inline constexpr int kEventLinkActivated = 80000007;
