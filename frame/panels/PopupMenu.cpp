#include "frame/panels/PopupMenu.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/CorvaneCanvas.h"
#include "engine/SceneGeometry.h"

namespace {

constexpr char kMenuFace[] = "宋体";
constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 600;
constexpr uint32_t kPressedText = 0xffffff;
constexpr double kDisabledOpacity = 0.3;

}  // namespace

// ---------------------------------------------------------------------------
// CPopupMenuItem

CCorvaneCanvas* CPopupMenuItem::Create(const char* caption, int width, int height, int fontSize,
                                       uint32_t colourKey, uint32_t borderColour,
                                       const EventRecord* notify) {
    itemFontSize_ = fontSize;
    return CCorvaneTextItem::Create(caption, width, height, fontSize, colourKey, borderColour,
                                    notify);
}

void CPopupMenuItem::DrawCaption(CCorvaneCanvas& canvas, uint32_t colour, int weight) {
    canvas.SetPenColor(colour, 1.0);
    canvas.SetFont(itemFontSize_, weight, kMenuFace);
    // The caption's top: half the item less half the font size.
    const int y = TruncToInt(canvas.GetCanvasHeight() * 0.5 - itemFontSize_ / 2);
    canvas.DrawText(textX_, y, Caption().c_str());
}

void CPopupMenuItem::Draw(int look) {
    CCorvaneCanvas* canvas = GetCanvas();
    if (canvas == nullptr) {
        return;
    }
    const int weight = bold_ != 0 ? kBoldWeight : kNormalWeight;
    switch (look) {
        case 0:
            canvas->SetColorKey(normalBack_);
            canvas->Clear();
            canvas->SetAlpha(1.0);
            DrawCaption(*canvas, textColour_, weight);
            break;
        case 1:
            canvas->SetColorKey(hoverBack_);
            canvas->Clear();
            canvas->SetAlpha(1.0);
            DrawCaption(*canvas, textColour_, weight);
            break;
        case 2:
            canvas->SetAlpha(1.0);
            if (pressedBack_ == 0) {
                // No pressed colour: the hovered look turned over, no caption.
                canvas->InvertRect(0, 0, canvas->GetCanvasWidth(), canvas->GetCanvasHeight());
            } else {
                canvas->SetColorKey(pressedBack_);
                canvas->Clear();
                DrawCaption(*canvas, kPressedText, weight);
            }
            break;
        case 3:
            canvas->SetColorKey(normalBack_);
            canvas->Clear();
            canvas->SetAlpha(kDisabledOpacity);
            DrawCaption(*canvas, textColour_, kNormalWeight);
            break;
        default:
            canvas->Invalidate();
            return;
    }
    if (separator_ != 0) {
        DrawSeparator(*canvas);
    }
    if (icon_.height > 0) {
        DrawIcon(*canvas);
    }
    canvas->Invalidate();
}

void CPopupMenuItem::DrawSeparator(CCorvaneCanvas& canvas) {
    const int right = canvas.GetCanvasWidth() - 1;
    const int bottom = canvas.GetCanvasHeight() - 1;
    if (bottom < 1 || right < separatorIndent_) {
        return;
    }
    canvas.SetPenColor(separatorUpper_, 1.0);
    canvas.DrawLine(separatorIndent_, bottom - 1, right, bottom - 1);
    canvas.SetPenColor(separatorLower_, 1.0);
    canvas.DrawLine(separatorIndent_, bottom, right, bottom);
}

void CPopupMenuItem::DrawIcon(CCorvaneCanvas& canvas) {
    const int size = GetIconSize();
    canvas.DrawImage(icon_, (textX_ - size) / 2, (canvas.GetCanvasHeight() - size) / 2, size, size,
                     0.0, 1.0);
}

void CPopupMenuItem::SetTextColour(uint32_t colour) {
    textColour_ = colour;
    CCorvaneTextItem::SetTextColour(colour);
}

void CPopupMenuItem::SetIconFrame(const FrameRecord& frame) {
    icon_ = frame;
    Draw(0);
}

void CPopupMenuItem::SetSeparator(int on) {
    separator_ = on;
    Draw(0);
}

void CPopupMenuItem::SetTextX(int x) {
    textX_ = x;
    Draw(0);
}

void CPopupMenuItem::SetBold(int on) {
    bold_ = on;
    Draw(0);
}

void CPopupMenuItem::SetBackColours(uint32_t normal, uint32_t hovered, uint32_t pressed) {
    normalBack_ = normal;
    hoverBack_ = hovered;
    pressedBack_ = pressed;
    Draw(0);
}

void CPopupMenuItem::SetSeparatorColours(uint32_t upper, uint32_t lower) {
    separatorUpper_ = upper;
    separatorLower_ = lower;
    Draw(0);
}

void CPopupMenuItem::SetSeparatorIndent(int x) {
    separatorIndent_ = x;
    Draw(0);
}

int CPopupMenuItem::GetIconSize() {
    return icon_.height >= 1 && icon_.height < kLargestIcon ? icon_.height : kLargestIcon;
}

// ---------------------------------------------------------------------------
// CPopupMenu

CCorvaneTextItem* CPopupMenu::NewRow() {
    return new CPopupMenuItem;
}

std::vector<CPopupMenuItem*> CPopupMenu::MenuItems() {
    std::vector<CPopupMenuItem*> items;
    for (int i = 0;; ++i) {
        CCorvaneTextItem* row = CCorvaneTextList::GetItem(i);
        if (row == nullptr) {
            break;
        }
        if (auto* item = dynamic_cast<CPopupMenuItem*>(row)) {
            items.push_back(item);
        }
    }
    return items;
}

int CPopupMenu::Create(int itemWidth, int itemHeight, int fontSize, uint32_t colour) {
    return CCorvaneTextList::Create(itemWidth, itemHeight, fontSize, colour);
}

CCorvaneTextItem* CPopupMenu::AddItem(const char* caption, const EventRecord* notify,
                                      uint32_t textColour, int bold) {
    CCorvaneTextItem* row = CCorvaneTextList::AddItem(caption, notify, textColour, bold);
    if (auto* item = dynamic_cast<CPopupMenuItem*>(row)) {
        item->SetBold(bold);
    }
    return row;
}

int CPopupMenu::AddSeparator() {
    const std::vector<CPopupMenuItem*> items = MenuItems();
    if (items.empty()) {
        return 0;
    }
    items.back()->SetSeparator(1);
    return 1;
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

CPopupMenuItem* CPopupMenu::GetMenuItem(int index) {
    return dynamic_cast<CPopupMenuItem*>(GetItem(index));
}

void CPopupMenu::SetItemBackColours(uint32_t normal, uint32_t hovered, uint32_t pressed) {
    for (CPopupMenuItem* item : MenuItems()) {
        item->SetBackColours(normal, hovered, pressed);
    }
}

void CPopupMenu::SetBackground(uint32_t colour) {
    if (CCorvaneCanvas* canvas = GetCanvas()) {
        // Clear paints the canvas colour, so a later Layout keeps it.
        canvas->SetColorKey(colour);
        canvas->Clear();
        canvas->DrawBorder(1, 0);
    }
}

void CPopupMenu::SetItemSeparatorColours(uint32_t upper, uint32_t lower) {
    for (CPopupMenuItem* item : MenuItems()) {
        item->SetSeparatorColours(upper, lower);
    }
}

void CPopupMenu::SetItemSeparatorIndent(int x) {
    for (CPopupMenuItem* item : MenuItems()) {
        item->SetSeparatorIndent(x);
    }
}

void CPopupMenu::CenterCaptions() {
    for (CPopupMenuItem* item : MenuItems()) {
        const double captionWidth =
            GetFontSize() * static_cast<double>(item->GetCaption().size()) * 0.5;
        item->SetTextX(TruncToInt((GetItemWidth() - captionWidth) * 0.5));
    }
}
