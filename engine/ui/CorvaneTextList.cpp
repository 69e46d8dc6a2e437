#include "engine/ui/CorvaneTextList.h"

#include <algorithm>
#include <climits>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/SceneGeometry.h"
#include "engine/ui/CorvaneTextItem.h"

namespace {

constexpr uint32_t kRowColourKey = 0xFFFFFF;
constexpr uint32_t kRowBorderColour = 0;
constexpr uint32_t kFrameColour = 0;
constexpr double kRowDepth = 0.01;

int ClampSize(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, 0, INT_MAX));
}

}  // namespace

int CCorvaneTextList::Create(int itemWidth, int itemHeight, int fontSize, uint32_t colourKey) {
    itemWidth_ = itemWidth;
    itemHeight_ = itemHeight;
    fontSize_ = fontSize;
    CCorvaneCanvas* canvas = CreateCanvas(itemWidth, itemHeight, colourKey);
    if (canvas == nullptr) {
        return 0;
    }
    PeerSetUp(canvas, kLinkDecoration);
    SetFocusable(1);
    BindEvent(kEventFocusLost, GetId(), kEventHide, 0, 0);
    SetTopmost();
    return 1;
}

CCorvaneCanvas* CCorvaneTextList::GetCanvas() {
    return dynamic_cast<CCorvaneCanvas*>(GetPeer());
}

std::vector<CCorvaneTextItem*> CCorvaneTextList::LiveRows() {
    std::vector<CCorvaneTextItem*> rows;
    std::vector<int> live;
    for (int id : rowIds_) {
        if (auto* row = dynamic_cast<CCorvaneTextItem*>(FindObjectById(id))) {
            rows.push_back(row);
            live.push_back(id);
        }
    }
    rowIds_ = std::move(live);
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i]->SetNext(i + 1 < rows.size() ? rows[i + 1] : nullptr);
    }
    return rows;
}

void CCorvaneTextList::AppendRow(CCorvaneTextItem* row) {
    if (row != nullptr) {
        rowIds_.push_back(row->GetId());
    }
}

CCorvaneTextItem* CCorvaneTextList::NewRow() {
    return new CCorvaneTextItem;
}

CCorvaneTextItem* CCorvaneTextList::AddItem(const char* caption, const EventRecord* notify,
                                            uint32_t textColour, int) {
    CCorvaneTextItem* row = NewRow();
    if (row == nullptr) {
        return nullptr;
    }
    Register(row);
    if (!row->IsRegistered()) {
        delete row;
        return nullptr;
    }
    row->Create(caption, itemWidth_, itemHeight_, fontSize_, kRowColourKey, kRowBorderColour,
                notify);
    row->SetZ(GetZ() + kRowDepth);
    row->SetTextColour(textColour);
    AttachChild(row, kTextListRowLink);
    AppendRow(row);
    Layout();
    return row;
}

void CCorvaneTextList::EnableItemByNotify(int targetId, int eventId, int enable) {
    for (CCorvaneTextItem* row : LiveRows()) {
        const EventRecord& notify = row->GetNotify();
        if (notify.target == targetId && notify.event == eventId) {
            row->SetInputEnabled(enable);
        }
    }
}

CCorvaneCanvas* CCorvaneTextList::FitCanvasToRows(size_t count) {
    if (count == 0) {
        Hide();
        Invalidate();
        return nullptr;
    }
    CCorvaneCanvas* canvas = GetCanvas();
    if (canvas == nullptr) {
        return nullptr;
    }
    const int width = ClampSize(int64_t{itemWidth_} + 2 * int64_t{margin_});
    const int height =
        ClampSize(int64_t{itemHeight_} * static_cast<int64_t>(count) + 2 * int64_t{margin_});
    canvas->Resize(width, height);
    static_cast<CCorvaneObject*>(canvas)->Resize(width, height);
    canvas->Clear();
    return canvas;
}

void CCorvaneTextList::Layout() {
    const std::vector<CCorvaneTextItem*> rows = LiveRows();
    CCorvaneCanvas* canvas = FitCanvasToRows(rows.size());
    if (canvas == nullptr) {
        return;
    }
    canvas->DrawBorder(1, kFrameColour);

    const int x = TruncToInt(canvas->GetLeft() + (itemWidth_ + 1) / 2 + margin_);
    const int firstY = TruncToInt(canvas->GetTop() + (itemHeight_ + 1) / 2 + margin_);
    for (size_t i = 0; i < rows.size(); ++i) {
        const double y = firstY + static_cast<double>(itemHeight_) * static_cast<double>(i);
        rows[i]->SetPos(x, y);
        rows[i]->Invalidate();
    }
}

CCorvaneTextItem* CCorvaneTextList::GetItem(int index) {
    const std::vector<CCorvaneTextItem*> rows = LiveRows();
    if (index < 0 || static_cast<size_t>(index) >= rows.size()) {
        return nullptr;
    }
    return rows[static_cast<size_t>(index)];
}

CCorvaneTextItem* CCorvaneTextList::FindItem(const char* caption) {
    if (caption == nullptr) {
        return nullptr;
    }
    for (CCorvaneTextItem* row : LiveRows()) {
        if (row->GetCaption() == caption) {
            return row;
        }
    }
    return nullptr;
}

int CCorvaneTextList::GetItemCount() {
    return static_cast<int>(LiveRows().size());
}
