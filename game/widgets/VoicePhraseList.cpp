#include "game/widgets/VoicePhraseList.h"

#include <algorithm>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"

namespace {

constexpr char kItemFace[] = "宋体";
constexpr int kNormalWeight = 500;
constexpr int kHoverWeight = 700;
constexpr int kCaptionX = 2;
constexpr int kCaptionY = 4;
constexpr uint32_t kHoverTint = 0xFF0000;
constexpr double kHoverTintStrength = 0.2;
constexpr uint32_t kHoverBorder = 0xBB5B6C;
// Rows follow the list's visibility, place, depth, invalidation and alpha,
// and go with it.
constexpr uint32_t kPhraseRowLink = 0x198028 | kLinkOwned;

}  // namespace

// ---- CVoicePhraseItem ----

void CVoicePhraseItem::Draw(int state) {
    CCorvaneCanvas* canvas = GetCanvas();
    if (canvas == nullptr) {
        return;
    }
    switch (state) {
        case 0:
            canvas->Clear();
            canvas->SetAlpha(CVoicePhraseList::kRowAlpha);
            canvas->SetFont(GetFontSize(), kNormalWeight, kItemFace);
            canvas->DrawText(kCaptionX, kCaptionY, Caption().c_str());
            break;
        case 1:
            canvas->SetFont(GetFontSize(), kHoverWeight, kItemFace);
            canvas->Clear();
            canvas->SetAlpha(1.0);
            canvas->DrawText(kCaptionX, kCaptionY, Caption().c_str());
            canvas->Tint(kHoverTint, kHoverTintStrength);
            canvas->Border(kHoverBorder, 1);
            break;
        default:
            CCorvaneTextItem::Draw(state);
            break;
    }
    canvas->Invalidate();
}

// ---- CVoicePhraseList ----

int CVoicePhraseList::RowWidthFor(CCorvaneCanvas& canvas, const char* caption, int fontSize) {
    FontDesc own{};
    canvas.GetFontDesc(&own);
    int widest = 0;
    for (const int weight : {kNormalWeight, kHoverWeight}) {
        canvas.SetFont(fontSize, weight, kItemFace);
        int width = 0;
        canvas.MeasureText(caption, &width, nullptr);
        widest = std::max(widest, width);
    }
    canvas.SetFontDesc(own);
    return widest + 2 * kCaptionX;
}

int CVoicePhraseList::Create(int itemWidth, int itemHeight, int fontSize, uint32_t colourKey) {
    if (CCorvaneTextList::Create(itemWidth, itemHeight, fontSize, colourKey) == 0) {
        return 0;
    }
    // The voice box hides the list; losing the focus does not.
    UnbindEvent(kEventFocusLost);
    return 1;
}

CCorvaneTextItem* CVoicePhraseList::AddItem(const char* caption, const EventRecord* notify,
                                            uint32_t textColour, int /*unused*/) {
    auto* row = new CVoicePhraseItem;
    Register(row);
    if (row->IsRegistered() == 0) {
        delete row;
        return nullptr;
    }
    row->Create(caption, GetItemWidth(), GetItemHeight(), GetFontSize(), kRowColourKey,
                kRowBorderColour, notify);
    row->SetZ(GetZ());
    row->SetTextColour(textColour);
    row->SetAlpha(kRowAlpha);
    AttachChild(row, kPhraseRowLink);
    AppendRow(row);
    Layout();
    return row;
}

void CVoicePhraseList::Layout() {
    const std::vector<CCorvaneTextItem*> rows = LiveRows();
    CCorvaneCanvas* canvas = FitCanvasToRows(rows.size());
    if (canvas == nullptr) {
        return;
    }
    // Row k's top-left corner lies at the canvas's left edge, k rows down.
    const double left = canvas->GetLeft();
    const double top = canvas->GetTop();
    for (size_t k = 0; k < rows.size(); ++k) {
        CCorvaneTextItem* row = rows[k];
        row->SetPos(left + row->GetWidth() / 2,
                    top + static_cast<double>(GetItemHeight()) * static_cast<double>(k) +
                        row->GetHeight() / 2);
        row->Invalidate();
    }
}
