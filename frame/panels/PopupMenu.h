#pragma once
// A small vertical menu drawn by the engine: a column of items of equal
// height, each with a caption, an optional icon, an optional separator under
// it, a look for each mouse state and the record it sends when clicked. The
// user list's per-user menu and the input bar's quick deposit amounts use it.
//
// Rules:
//  - The menu is the toolkit's text list; its items are CPopupMenuItem rows
//    the list owns, kept in the order added.
//  - Layout sizes the menu to its items plus the border on each side; a
//    menu without items hides itself.
//  - Look setters of the menu apply to every item and redraw it normal.
//  - Colours are 0x00BBGGRR.

#include <cstdint>
#include <vector>

#include "engine/ImageRecord.h"
#include "engine/ui/CorvaneTextItem.h"
#include "engine/ui/CorvaneTextList.h"

// A line of the menu: caption, icon, separator and its own looks.
class CPopupMenuItem : public CCorvaneTextItem {
public:
    static constexpr uint32_t kNormalBack = 0xf0f0f0;
    static constexpr uint32_t kHoverBack = 0xcbdadc;
    static constexpr uint32_t kSeparatorUpper = 0xa0a0a0;
    static constexpr uint32_t kSeparatorLower = 0xffffff;
    static constexpr int kLargestIcon = 24;

    CPopupMenuItem() = default;
    ~CPopupMenuItem() override = default;

    using CCorvaneStatic::Create;
    // Keeps the font size, then the captioned item's own make.
    CCorvaneCanvas* Create(const char* caption, int width, int height, int fontSize,
                           uint32_t colourKey, uint32_t borderColour,
                           const EventRecord* notify) override;
    // 0 normal, 1 hovered, 2 pressed, 3 disabled; then separator and icon.
    void Draw(int look) override;

    // --- the item's own operations, in this order ---
    void SetTextColour(uint32_t colour) override;
    virtual void SetIconFrame(const FrameRecord& frame);
    virtual void SetSeparator(int on);
    virtual void SetTextX(int x);
    virtual void SetBold(int on);
    virtual void SetBackColours(uint32_t normal, uint32_t hovered, uint32_t pressed);
    virtual void SetSeparatorColours(uint32_t upper, uint32_t lower);
    virtual void SetSeparatorIndent(int x);
    // The icon's drawn size: its height when 1..23, else 24.
    virtual int GetIconSize();

    int GetTextX() const { return textX_; }
    int HasSeparator() const { return separator_; }
    int IsBold() const { return bold_; }
    uint32_t GetItemTextColour() const { return textColour_; }
    uint32_t GetNormalBack() const { return normalBack_; }
    uint32_t GetHoverBack() const { return hoverBack_; }
    uint32_t GetPressedBack() const { return pressedBack_; }
    uint32_t GetSeparatorUpper() const { return separatorUpper_; }
    uint32_t GetSeparatorLower() const { return separatorLower_; }
    int GetSeparatorIndent() const { return separatorIndent_; }
    int GetItemFontSize() const { return itemFontSize_; }
    const FrameRecord& GetIconFrame() const { return icon_; }

private:
    void DrawCaption(CCorvaneCanvas& canvas, uint32_t colour, int weight);
    void DrawSeparator(CCorvaneCanvas& canvas);
    void DrawIcon(CCorvaneCanvas& canvas);

    int itemFontSize_ = 12;
    int separatorIndent_ = 4;
    uint32_t textColour_ = 0;
    uint32_t normalBack_ = kNormalBack;
    uint32_t hoverBack_ = kHoverBack;
    uint32_t pressedBack_ = 0;
    uint32_t separatorUpper_ = kSeparatorUpper;
    uint32_t separatorLower_ = kSeparatorLower;
    int separator_ = 0;
    FrameRecord icon_;
    int textX_ = 40;
    int bold_ = 0;
};

class CPopupMenu : public CCorvaneTextList {
public:
    static constexpr int kBorder = 2;

    CPopupMenu() = default;
    ~CPopupMenu() override = default;

    using CCorvaneTextList::Create;
    // Item width and height, caption font size, and the colour the menu's
    // canvas is made with.
    int Create(int itemWidth, int itemHeight, int fontSize, uint32_t colour) override;
    // A CPopupMenuItem with the caption, click record (may be null), text
    // colour and bold flag, appended and laid out; null when none was made.
    CCorvaneTextItem* AddItem(const char* caption, const EventRecord* notify, uint32_t textColour,
                              int bold) override;
    // --- the menu's own operations, in this order ---
    // Puts a separator under the last item; 0 when there is none.
    virtual int AddSeparator();
    // Every item whose click record names that target and event.
    virtual void SetItemEnabled(int targetId, int eventId, int enabled);
    void Layout() override;
    CCorvaneTextItem* GetItem(int index) override;
    // The first item whose caption equals the text, or null.
    CCorvaneTextItem* FindItem(const char* caption) override;
    virtual void SetItemBackColours(uint32_t normal, uint32_t hovered, uint32_t pressed);
    // Fills the menu's canvas.
    virtual void SetBackground(uint32_t colour);
    virtual void SetItemSeparatorColours(uint32_t upper, uint32_t lower);
    virtual void SetItemSeparatorIndent(int x);
    // Each caption centred on its item by its byte length.
    virtual void CenterCaptions();

    // The item at index as a menu item, or null.
    CPopupMenuItem* GetMenuItem(int index);
    int GetBorder() const { return kBorder; }

private:
    CCorvaneTextItem* NewRow() override;
    std::vector<CPopupMenuItem*> MenuItems();
};
