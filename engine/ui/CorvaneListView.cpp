#include "engine/ui/CorvaneListView.h"

#include <algorithm>
#include <cmath>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneScrollBar.h"

namespace {

constexpr char kRowFace[] = "宋体";
constexpr int kRowFontWeight = 400;
constexpr int kSettingRowFontSize = 6;
constexpr int kDefaultRowFontSize = 12;
constexpr uint32_t kKeepPen = 0xFF00FF;
constexpr uint32_t kRowTextColorKey = 0xFF00FF;

const char* const kVertBarImages[5] = {"ScrollBar_VertBack", "ScrollBar_VertBtn",
                                       "ScrollBar_VertPattern", "ScrollBar_VertUpBtn",
                                       "ScrollBar_VertDownBtn"};

int ClampSide(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    return static_cast<int>(std::clamp(value, 0.0, static_cast<double>(kRichMaxElementSide)));
}

}  // namespace

// ---------------------------------------------------------------------------
// The row

CCorvaneCanvas* CCorvaneListItem::GetTextCanvas() {
    CCorvaneObject* object = FindObjectById(textCanvasId_);
    return object != nullptr && object->GetType() == kKindCanvas
               ? static_cast<CCorvaneCanvas*>(object)
               : nullptr;
}

CCorvaneObject* CCorvaneListItem::GetDetail() {
    return detailId_ != 0 ? FindObjectById(detailId_) : nullptr;
}

CCorvaneObject* CCorvaneListItem::ShownDetail() {
    return selected_ != 0 ? GetDetail() : nullptr;
}

int CCorvaneListItem::GetRowHeight() {
    return ClampSide(CCorvaneInlineObject::GetHeight());
}

double CCorvaneListItem::GetHeight() {
    const double row = CCorvaneInlineObject::GetHeight();
    CCorvaneObject* detail = ShownDetail();
    return detail != nullptr ? row + detail->GetHeight() : row;
}

int CCorvaneListItem::Create(int ownerId, const FrameRecord& frame, int width, int height) {
    ownerId_ = ownerId;
    width = std::clamp(width, 1, kRichMaxElementSide);
    height = std::clamp(height, 1, kRichMaxElementSide);
    MakePicture(frame, width, height);
    CCorvanePicture* picture = GetPicture();
    if (picture == nullptr) {
        return 0;
    }
    if (CCorvaneObject* old = GetTextCanvas()) {
        DestroyObject(old, 0);
    }
    textCanvasId_ = 0;
    if (CCorvaneCanvas* text = CreateCanvas(width, height, kRowTextColorKey)) {
        textCanvasId_ = text->GetId();
        text->SetPos(picture->GetX(), picture->GetY());
        // At the picture's depth, sorted just after it.
        text->SetZ(picture->GetSortZ());
        picture->AttachChild(text, kLinkDecoration);
    }
    picture->AddEventBinding(kEventMouseEnter, MakeEventRecord(GetId(), kEventMouseEnter, 0, 0));
    picture->AddEventBinding(kEventMouseLeave, MakeEventRecord(GetId(), kEventMouseLeave, 0, 0));
    picture->AddEventBinding(kEventLButtonDown,
                             MakeEventRecord(ownerId, kEventListItemClicked, EventParam(this), 0));
    SetIndex(index_);
    return 1;
}

void CCorvaneListItem::SetData(const void* data, int size) {
    data_.clear();
    data_.shrink_to_fit();
    if (data != nullptr && size > 0) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        data_.assign(bytes, bytes + size);
    }
}

void CCorvaneListItem::ShowLook(int frame) {
    if (CCorvanePicture* picture = GetPicture()) {
        picture->SetFrame(frame);
        picture->Invalidate();
    }
}

void CCorvaneListItem::OnHover() {
    if (selected_ == 0) {
        ShowLook(kListLookHover);
    }
}

void CCorvaneListItem::OnLeave() {
    if (selected_ == 0) {
        SetIndex(index_);
    }
}

void CCorvaneListItem::OnPress() {
    ShowLook(kListLookSelected);
}

void CCorvaneListItem::SetIndex(int index, int /*style*/) {
    index_ = index;
    ShowLook(selected_ != 0 ? kListLookSelected
                            : ((index & 1) != 0 ? kListLookOdd : kListLookEven));
    Invalidate();
}

void CCorvaneListItem::SetText(const char* text, uint32_t colour, int fontSize) {
    CCorvaneCanvas* canvas = GetTextCanvas();
    if (canvas == nullptr) {
        return;
    }
    if (fontSize == 0) {
        fontSize = GetIntSetting(kSettingRowFontSize);
        if (fontSize <= 0) {
            fontSize = kDefaultRowFontSize;
        }
    }
    if (colour != kKeepPen) {
        canvas->SetPenColor(colour, 1.0);
    }
    canvas->SetFont(fontSize, kRowFontWeight, kRowFace);
    canvas->Clear();
    canvas->DrawText(0, 0, text != nullptr ? text : "");
    canvas->Invalidate();
}

void CCorvaneListItem::SetSelected(int flag) {
    selected_ = flag != 0 ? 1 : 0;
    if (selected_ == 0) {
        if (CCorvaneObject* detail = GetDetail()) {
            detail->Hide();
            detail->Invalidate();
        }
        SetIndex(index_);
        return;
    }
    if (data_.empty()) {
        SetIndex(index_);
        return;
    }
    if (GetDetail() == nullptr) {
        CreateDetail();
    }
    CCorvaneObject* detail = GetDetail();
    CCorvanePicture* picture = GetPicture();
    if (detail != nullptr && picture != nullptr && picture->HasChild(detail->GetId()) == 0) {
        picture->AttachChild(detail, kListDetailLink);
    }
    SetIndex(index_);
    OnDetailShown();
    if (detail != nullptr) {
        detail->Show();
        detail->Invalidate();
    }
}

void CCorvaneListItem::SetPos(double x, double y) {
    CCorvaneObject* detail = ShownDetail();
    if (detail == nullptr) {
        CCorvaneInlineObject::SetPos(x, y);
        return;
    }
    const double row = CCorvaneInlineObject::GetHeight();
    const double top = y - (row + detail->GetHeight()) * 0.5;
    CCorvaneInlineObject::SetPos(x, top + row * 0.5);
    detail->SetZ(GetZ());
    detail->SetPos(x, top + row + detail->GetHeight() * 0.5);
}

void CCorvaneListItem::Show() {
    CCorvaneInlineObject::Show();
    if (CCorvaneObject* detail = ShownDetail()) {
        detail->Show();
        detail->Invalidate();
    }
}

void CCorvaneListItem::ShowObject(int arg) {
    CCorvaneInlineObject::ShowObject(arg);
    if (CCorvaneObject* detail = ShownDetail()) {
        detail->Show();
        detail->Invalidate();
    }
}

void CCorvaneListItem::OnLayout(int viewWidth, int) {
    CCorvanePicture* picture = GetPicture();
    if (picture == nullptr || viewWidth <= 0) {
        return;
    }
    const int row = GetRowHeight();
    picture->Resize(viewWidth, row);
    if (CCorvaneCanvas* text = GetTextCanvas()) {
        text->Resize(viewWidth, row);
    }
    SetIndex(index_);
    OnDetailShown();
}

int CCorvaneListItem::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventMouseEnter:
            OnHover();
            return 1;
        case kEventMouseLeave:
            OnLeave();
            return 1;
        case kEventClick:
            OnPress();
            return 1;
        default:
            return CCorvaneInlineObject::OnEvent(record);
    }
}

// ---------------------------------------------------------------------------
// The list

void CCorvaneListView::CreateScrollBars() {
    CCorvaneRichText::CreateScrollBars();
    CCorvaneScrollBar* bar = GetVertScrollBar();
    if (bar == nullptr) {
        return;
    }
    bar->SetTrackImage(GetResourceFrame(kVertBarImages[0], 0));
    bar->SetThumbImage(GetResourceFrame(kVertBarImages[1], 0));
    bar->SetGrip(GetResourceFrame(kVertBarImages[2], 0));
    bar->CreateUpButton(GetResourceFrame(kVertBarImages[3], 0));
    bar->CreateDownButton(GetResourceFrame(kVertBarImages[4], 0));
}

CCorvaneListItem* CCorvaneListView::ItemOf(const RichTextElement* element) {
    return dynamic_cast<CCorvaneListItem*>(ObjectOf(element));
}

CCorvaneListItem* CCorvaneListView::FindLiveItem(const void* candidate) {
    if (candidate == nullptr) {
        return nullptr;
    }
    for (RichTextElement* e = GetFirstElement(); e != nullptr; e = e->next) {
        CCorvaneObject* object = ObjectOf(e);
        if (object != nullptr && static_cast<const void*>(object) == candidate) {
            return dynamic_cast<CCorvaneListItem*>(object);
        }
    }
    return nullptr;
}

CCorvaneListItem* CCorvaneListView::GetItem(int position) {
    return ItemOf(GetElement(position));
}

CCorvaneListItem* CCorvaneListView::GetSelected() {
    CCorvaneListItem* item = dynamic_cast<CCorvaneListItem*>(FindObjectById(selectedId_));
    if (item == nullptr || FindLiveItem(item) == nullptr) {
        selectedId_ = 0;
        return nullptr;
    }
    return item;
}

CCorvaneListItem* CCorvaneListView::AddItem(CCorvaneListItem* item, const void* data, int dataSize,
                                            const FrameRecord& frame, int width, int height) {
    if (item == nullptr) {
        return nullptr;
    }
    if (FindLiveItem(item) != nullptr) {
        return item;  // already a row of this list
    }
    if (!item->IsRegistered()) {
        Register(item);
        if (!item->IsRegistered()) {
            delete item;
            return nullptr;
        }
    }
    width = std::min(width, GetViewWidth());
    if (item->Create(GetId(), frame, width, height) == 0) {
        DestroyObject(item, 0);
        return nullptr;
    }
    item->SetData(data, dataSize);
    item->SetIndex(GetElementCount());
    const int before = GetElementCount();
    InsertObject(item);
    if (GetElementCount() == before) {
        // The box had no room for another element.
        DestroyObject(item, 0);
        return nullptr;
    }
    return item;
}

void CCorvaneListView::Select(CCorvaneListItem* item) {
    if (item != nullptr && FindLiveItem(item) == nullptr) {
        return;
    }
    CCorvaneListItem* selected = GetSelected();
    if (item != nullptr && item == selected) {
        item->SetSelected(0);
        selectedId_ = 0;
        UpdateRows();
        return;
    }
    if (selected != nullptr) {
        selected->SetSelected(0);
    }
    selectedId_ = item != nullptr ? item->GetId() : 0;
    if (item != nullptr) {
        item->SetSelected(1);
    }
    UpdateRows();
}

void CCorvaneListView::UpdateRows() {
    RichTextElement* selectedRow = nullptr;
    for (RichTextElement* e = GetFirstElement(); e != nullptr; e = e->next) {
        CCorvaneListItem* item = ItemOf(e);
        if (item == nullptr) {
            continue;
        }
        e->height = static_cast<uint16_t>(ClampSide(item->GetHeight()));
        if (item->IsSelected() != 0) {
            selectedRow = e;
        }
    }
    RelayoutAll();
    if (selectedRow != nullptr) {
        const int top = selectedRow->y;
        const int bottom = selectedRow->Bottom();
        const int scroll = GetScrollY();
        const int view = GetViewHeight();
        if (bottom > scroll + view) {
            ScrollTo(bottom - view);
        } else if (top < scroll) {
            ScrollTo(top);
        }
    }
    Redraw();
}

void CCorvaneListView::RemoveItem(int position) {
    const int count = GetElementCount();
    if (position >= 0 && position < count) {
        CCorvaneListItem* selected = GetSelected();
        if (selected != nullptr && selected == GetItem(position)) {
            selectedId_ = 0;
        }
        RemoveElementAt(position);
    }
    int index = 0;
    for (RichTextElement* e = GetFirstElement(); e != nullptr; e = e->next, ++index) {
        if (CCorvaneListItem* item = ItemOf(e)) {
            item->SetIndex(index);
        }
    }
    Redraw();
}

int CCorvaneListView::OnEvent(const EventRecord& record) {
    if (record.event == kEventListItemClicked) {
        // The row rides in the record as a pointer: only a live row of this
        // list is taken.
        if (CCorvaneListItem* item = FindLiveItem(reinterpret_cast<const void*>(record.param1))) {
            Select(item);
        }
        return 1;
    }
    return CCorvaneRichText::OnEvent(record);
}

void CCorvaneListView::Reset() {
    selectedId_ = 0;
    CCorvaneRichText::Reset();
}
