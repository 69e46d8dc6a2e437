#include "frame/panels/PopupMenu.h"

CCorvaneCanvas* CPopupMenuItem::Create(const char* caption, int width, int height, int fontSize,
                                       uint32_t colourKey, uint32_t borderColour,
                                       const EventRecord* notify) {
    itemFontSize_ = fontSize;
    return CCorvaneStatic::Create(caption, width, height, fontSize, colourKey, borderColour,
                                  notify);
}
void CPopupMenuItem::Draw(int look) {
    CCorvaneTextItem::Draw(look);
}
void CPopupMenuItem::SetTextColour(uint32_t colour) {
    textColour_ = colour;
}
void CPopupMenuItem::SetIconFrame(const FrameRecord& frame) {
    icon_ = frame;
}
void CPopupMenuItem::SetSeparator(int on) {
    separator_ = on;
}
void CPopupMenuItem::SetTextX(int x) {
    textX_ = x;
}
void CPopupMenuItem::SetBold(int on) {
    bold_ = on;
}
void CPopupMenuItem::SetBackColours(uint32_t normal, uint32_t hovered, uint32_t pressed) {
    normalBack_ = normal;
    hoverBack_ = hovered;
    pressedBack_ = pressed;
}
void CPopupMenuItem::SetSeparatorColours(uint32_t upper, uint32_t lower) {
    separatorUpper_ = upper;
    separatorLower_ = lower;
}
void CPopupMenuItem::SetSeparatorIndent(int x) {
    separatorIndent_ = x;
}
int CPopupMenuItem::GetIconSize() {
    return kLargestIcon;
}

int CPopupMenu::Create(int itemWidth, int itemHeight, int fontSize, uint32_t colour) {
    return CCorvaneTextList::Create(itemWidth, itemHeight, fontSize, colour);
}
CCorvaneTextItem* CPopupMenu::AddItem(const char* caption, const EventRecord* notify,
                                      uint32_t textColour, int bold) {
    return CCorvaneTextList::AddItem(caption, notify, textColour, bold);
}
int CPopupMenu::AddSeparator() {
    return 0;
}
void CPopupMenu::SetItemEnabled(int targetId, int eventId, int enabled) {
    EnableItemByNotify(targetId, eventId, enabled);
}
void CPopupMenu::Layout() {
    CCorvaneTextList::Layout();
}
CCorvaneTextItem* CPopupMenu::GetItem(int index) {
    return CCorvaneTextList::GetItem(index);
}
CCorvaneTextItem* CPopupMenu::FindItem(const char* caption) {
    return CCorvaneTextList::FindItem(caption);
}
void CPopupMenu::SetItemBackColours(uint32_t, uint32_t, uint32_t) {}
void CPopupMenu::SetBackground(uint32_t colour) {
    background_ = colour;
}
void CPopupMenu::SetItemSeparatorColours(uint32_t, uint32_t) {}
void CPopupMenu::SetItemSeparatorIndent(int) {}
void CPopupMenu::CenterCaptions() {}
CPopupMenuItem* CPopupMenu::GetMenuItem(int index) {
    return dynamic_cast<CPopupMenuItem*>(GetItem(index));
}
