#include "engine/ui/CorvaneScrollView.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneCaptionObject.h"
#include "engine/ui/CorvaneScrollBar.h"

namespace {

constexpr uint32_t kSingleLineStyle = kScrollViewStyle | kRichSingleLine;
constexpr uint32_t kDragPartLink = 0x1C0A3;
constexpr uint32_t kDragColorKey = 0xFF00FF;
constexpr int kMarkerInitialHeight = 15;
constexpr int kItemSpacing = 10;
// Depth steps between the items, the marker and the drag picture.
constexpr double kEmbeddedDepthStep = 0.001;

const char* const kHorzBarImages[5] = {"ScrollBar_HorzBack", "ScrollBar_HorzBtn",
                                       "ScrollBar_HorzPattern", "ScrollBar_HorzRightBtn",
                                       "ScrollBar_HorzLeftBtn"};
const char* const kVertBarImages[5] = {"ScrollBar_VertBack", "ScrollBar_VertBtn",
                                       "ScrollBar_VertPattern", "ScrollBar_VertUpBtn",
                                       "ScrollBar_VertDownBtn"};

}  // namespace

// ---------------------------------------------------------------------------
// Parts and lookups

CCorvaneCanvas* CCorvaneScrollView::CanvasPart(int id) {
    CCorvaneObject* object = id != 0 ? FindObjectById(id) : nullptr;
    return object != nullptr && object->GetType() == kKindCanvas
               ? static_cast<CCorvaneCanvas*>(object)
               : nullptr;
}

CCorvaneCanvas* CCorvaneScrollView::GetDragImage() {
    return CanvasPart(dragImageId_);
}

CCorvaneCanvas* CCorvaneScrollView::GetInsertionMarker() {
    return CanvasPart(markerId_);
}

CCorvaneCaptionObject* CCorvaneScrollView::AsCaption(CCorvaneObject* item) {
    return dynamic_cast<CCorvaneCaptionObject*>(item);
}

RichTextElement* CCorvaneScrollView::ElementOfId(int objectId) {
    if (objectId == 0) {
        return nullptr;
    }
    for (RichTextElement* e = GetFirstElement(); e != nullptr; e = e->next) {
        if (e->IsObject() && e->ObjectId() == objectId) {
            return e;
        }
    }
    return nullptr;
}

RichTextElement* CCorvaneScrollView::DraggedElement() {
    if (draggedId_ == 0) {
        return nullptr;
    }
    RichTextElement* element = ElementOfId(draggedId_);
    if (element == nullptr || FindObjectById(draggedId_) == nullptr) {
        AbandonDrag();
        return nullptr;
    }
    return element;
}

RichTextElement* CCorvaneScrollView::GetDropTarget() {
    RichTextElement* target = ElementOfId(dropTargetId_);
    if (target == nullptr) {
        dropTargetId_ = 0;
    }
    return target;
}

CCorvaneObject* CCorvaneScrollView::GetHoveredItem() {
    CCorvaneObject* item = hoveredId_ != 0 ? FindObjectById(hoveredId_) : nullptr;
    if (item == nullptr) {
        hoveredId_ = 0;
    }
    return item;
}

RichTextElement* CCorvaneScrollView::FindItemElement(CCorvaneObject* item) {
    if (item == nullptr) {
        return nullptr;
    }
    const int id = item->GetId();
    for (RichTextElement* e = GetFirstElement(); e != nullptr; e = e->next) {
        if (e->ObjectId() == id) {
            return e;
        }
    }
    return nullptr;
}

CCorvaneObject* CCorvaneScrollView::GetFirstItem() {
    return ObjectOf(GetFirstElement());
}

CCorvaneObject* CCorvaneScrollView::GetNextItem(CCorvaneObject* item) {
    RichTextElement* element = FindItemElement(item);
    return element != nullptr ? ObjectOf(element->next) : nullptr;
}

// ---------------------------------------------------------------------------
// Making and content

void CCorvaneScrollView::Create(int width, int height, int singleLine) {
    CCorvaneRichText::Create(width, height, singleLine != 0 ? kSingleLineStyle : kScrollViewStyle,
                             kScrollViewCreationTag);
    CCorvaneCanvas* text = GetTextCanvas();
    if (text == nullptr) {
        return;
    }
    // The view's clip rectangle, or the text area's while the view has none
    // (an empty rectangle would hide the drag picture altogether).
    IntRect clip;
    CCorvaneObject* clipSource = (GetFlags() & kObjectHasClipRect) != 0
                                     ? static_cast<CCorvaneObject*>(this)
                                     : static_cast<CCorvaneObject*>(text);
    clipSource->GetClipRect(&clip);
    const bool clipped = (clipSource->GetFlags() & kObjectHasClipRect) != 0;
    if (GetDragImage() == nullptr) {
        if (CCorvaneCanvas* image =
                CreateCanvas(kScrollViewDragWidth, kScrollViewDragHeight, kDragColorKey)) {
            dragImageId_ = image->GetId();
            if (clipped) {
                image->SetClipRect(clip);
            }
            text->AttachChild(image, kDragPartLink);
            image->Hide();
        }
    }
    if (GetInsertionMarker() == nullptr) {
        if (CCorvaneCanvas* marker =
                CreateCanvas(kScrollViewMarkerWidth, kMarkerInitialHeight, kDragColorKey)) {
            markerId_ = marker->GetId();
            text->AttachChild(marker, kDragPartLink);
            marker->Hide();
        }
    }
    SetCharSpacing(kItemSpacing);
    SetTopmost();
}

void CCorvaneScrollView::CreateScrollBars() {
    CCorvaneRichText::CreateScrollBars();
    const bool horizontal = (GetStyle() & kRichSingleLine) != 0;
    CCorvaneScrollBar* bar = horizontal ? GetHorzScrollBar() : GetVertScrollBar();
    if (bar == nullptr) {
        return;
    }
    const char* const* names = horizontal ? kHorzBarImages : kVertBarImages;
    bar->SetTrackImage(GetResourceFrame(names[0], 0));
    bar->SetThumbImage(GetResourceFrame(names[1], 0));
    bar->SetGrip(GetResourceFrame(names[2], 0));
    if (horizontal) {
        bar->CreateRightButton(GetResourceFrame(names[3], 0));
        bar->CreateLeftButton(GetResourceFrame(names[4], 0));
    } else {
        bar->CreateUpButton(GetResourceFrame(names[3], 0));
        bar->CreateDownButton(GetResourceFrame(names[4], 0));
    }
}

void CCorvaneScrollView::AddItem(CCorvaneObject* item, int relayout) {
    // An object stands in the view once; an unregistered one has no id to
    // be found by.
    if (item == nullptr || !item->IsRegistered() || FindItemElement(item) != nullptr) {
        return;
    }
    const int view = GetId();
    const int id = item->GetId();
    item->AddEventBinding(kEventMouseEnter, MakeEventRecord(view, kEventScrollItemEnter, id, 0));
    item->AddEventBinding(kEventMouseLeave, MakeEventRecord(view, kEventScrollItemLeave, id, 0));
    item->AddEventBinding(kEventDrag, MakeEventRecord(view, kEventScrollItemDrag, id, 0));
    item->AddEventBinding(kEventLButtonUp, MakeEventRecord(view, kEventScrollItemDrop, id, 0));
    InsertObject(item);
    if (relayout != 0) {
        Relayout();
    }
}

void CCorvaneScrollView::RemoveItem(CCorvaneObject* item) {
    RichTextElement* element = FindItemElement(item);
    if (element == nullptr) {
        return;
    }
    if (item->GetId() == hoveredId_) {
        AbandonDrag();
        hoveredId_ = 0;
    }
    DeleteRange(element, element->next);
}

void CCorvaneScrollView::DeleteRange(RichTextElement* from, RichTextElement* to) {
    CCorvaneRichText::DeleteRange(from, to);
    ForgetVanishedItems();
    Relayout();
}

void CCorvaneScrollView::ForgetVanishedItems() {
    if (hoveredId_ != 0 && ElementOfId(hoveredId_) == nullptr) {
        // An item taken out of the box but kept alive loses its highlight.
        if (CCorvaneCaptionObject* caption = AsCaption(GetHoveredItem())) {
            caption->SetHighlight(0);
        }
        hoveredId_ = 0;
        AbandonDrag();
    }
    DraggedElement();
    if (dropTargetId_ != 0 && GetDropTarget() == nullptr) {
        if (CCorvaneCanvas* marker = GetInsertionMarker()) {
            marker->Hide();
            marker->Invalidate();
        }
    }
}

void CCorvaneScrollView::Relayout() {
    RelayoutAll();
    Redraw();
}

void CCorvaneScrollView::RefreshItems() {
    RelayoutAll();
    Refresh(0);
    if (CCorvaneObject* hovered = GetHoveredItem()) {
        OnItemLeave(hovered, 0);
    }
    AbandonDrag();
}

void CCorvaneScrollView::Reset() {
    hoveredId_ = 0;
    AbandonDrag();
    CCorvaneRichText::Reset();
}

// ---------------------------------------------------------------------------
// Hover and drag

void CCorvaneScrollView::OnItemEnter(CCorvaneObject* item) {
    if (item == nullptr) {
        return;
    }
    hoveredId_ = item->GetId();
    if (CCorvaneCaptionObject* caption = AsCaption(item)) {
        caption->SetHighlight(1);
    }
}

void CCorvaneScrollView::EndDrag() {
    draggedId_ = 0;
    dropTargetId_ = 0;
    dropAtEnd_ = false;
}

void CCorvaneScrollView::AbandonDrag() {
    EndDrag();
    HideDragParts();
}

void CCorvaneScrollView::HideDragParts() {
    for (CCorvaneCanvas* part : {GetInsertionMarker(), GetDragImage()}) {
        if (part != nullptr) {
            part->Hide();
            part->Invalidate();
        }
    }
}

void CCorvaneScrollView::OnItemLeave(CCorvaneObject* item, intptr_t) {
    if (item == nullptr || item->GetId() != hoveredId_) {
        return;
    }
    if (DraggedElement() != nullptr) {
        Relayout();
    }
    AbandonDrag();
    hoveredId_ = 0;
    if (CCorvaneCaptionObject* caption = AsCaption(item)) {
        caption->SetHighlight(0);
    }
}

bool CCorvaneScrollView::TargetAt(const RichPoint& local, RichTextElement** target, bool* atEnd) {
    *target = nullptr;
    *atEnd = false;
    if (RichTextElement* under = ElementFromPoint(local.x, local.y)) {
        CCorvaneObject* hovered = GetHoveredItem();
        const int halfItem = hovered != nullptr ? static_cast<int>(hovered->GetWidth()) / 2 : 0;
        if (under->x + under->width / 2 < local.x - halfItem) {
            *target = under->next;
            *atEnd = under->next == nullptr;
        } else {
            *target = under;
        }
        return true;
    }
    RichTextElement* last = GetLastElement();
    if (last == nullptr) {
        *atEnd = true;
        return true;
    }
    const bool below = local.y > last->y + last->height;
    const bool onLine = local.y >= last->lineTop && !below;
    if (below || (onLine && local.x > last->x + last->width)) {
        *atEnd = true;
        return true;
    }
    return false;
}

void CCorvaneScrollView::ShowMarker(RichTextElement* target, bool atEnd) {
    CCorvaneCanvas* marker = GetInsertionMarker();
    CCorvaneCanvas* text = GetTextCanvas();
    if (marker == nullptr || text == nullptr) {
        return;
    }
    int x = 0;
    int centreY = 0;
    int height = GetFontSize();
    if (!atEnd && target != nullptr) {
        x = target->x;
        height = target->height;
        centreY = target->y + target->height / 2;
    } else if (RichTextElement* last = GetLastElement()) {
        // Where the next element would go: behind the last one.
        x = last->x + last->Advance();
        height = last->height;
        centreY = last->y + last->height / 2;
    } else {
        centreY = GetContentTop() + height / 2;
    }
    height = std::clamp(height, 1, kRichMaxElementSide);
    marker->Resize(kScrollViewMarkerWidth, height);
    marker->CCorvaneObject::Resize(kScrollViewMarkerWidth, height);
    marker->SetColorKey(kScrollViewMarkerColour);
    marker->Clear();
    marker->SetPos(text->GetLeft() + x - GetScrollX(), text->GetTop() + centreY - GetScrollY());
    if (CCorvaneCanvas* image = GetDragImage()) {
        marker->SetZ(image->GetZ() - kEmbeddedDepthStep);
    }
    marker->Show();
    marker->Invalidate();
}

void CCorvaneScrollView::OnItemDrag(CCorvaneObject* item, int x, int y) {
    if (item == nullptr) {
        return;
    }
    CCorvaneCanvas* image = GetDragImage();
    if (DraggedElement() == nullptr) {
        // Only the item the view holds as hovered can be picked up: a drop
        // needs it to end the drag.
        if (GetHoveredItem() != item || FindItemElement(item) == nullptr) {
            return;
        }
        draggedId_ = item->GetId();
        if (CCorvaneCaptionObject* caption = AsCaption(item)) {
            if (image != nullptr) {
                caption->DrawInto(image);
            }
        }
        if (image != nullptr) {
            image->SetZ(item->GetZ() + 2 * kEmbeddedDepthStep);
            image->Show();
        }
    }
    if (image != nullptr) {
        image->SetPos(x, y);
        image->Invalidate();
    }
    RichTextElement* target = nullptr;
    bool atEnd = false;
    if (!TargetAt(ToLocal(x, y), &target, &atEnd)) {
        return;
    }
    ShowMarker(target, atEnd);
    dropTargetId_ = target != nullptr ? target->ObjectId() : 0;
    dropAtEnd_ = atEnd;
}

// ---------------------------------------------------------------------------
// Drop

void CCorvaneScrollView::MoveElement(RichTextElement* moved, RichTextElement* before) {
    std::vector<RichTextElement*> order;
    for (RichTextElement* e = GetFirstElement(); e != nullptr; e = e->next) {
        order.push_back(e);
    }
    const auto from = std::find(order.begin(), order.end(), moved);
    if (from == order.end()) {
        return;
    }
    // The element contents in their new order, then written back into the
    // list's records so the links stay as they are.
    std::vector<RichTextElement> contents;
    for (RichTextElement* e : order) {
        if (e != moved) {
            if (e == before) {
                contents.push_back(*moved);
            }
            contents.push_back(*e);
        }
    }
    if (before == nullptr) {
        contents.push_back(*moved);
    }
    if (contents.size() != order.size()) {
        return;  // the target is not one of ours
    }
    for (size_t i = 0; i < order.size(); ++i) {
        RichTextElement* next = order[i]->next;
        *order[i] = contents[i];
        order[i]->next = next;
    }
}

void CCorvaneScrollView::OnItemDrop(int x, int y) {
    RichTextElement* dragged = DraggedElement();
    if (dragged == nullptr) {
        return;
    }
    CCorvaneObject* hovered = GetHoveredItem();
    if (hovered == nullptr) {
        // Nothing to put back under the pointer: the drag just ends.
        AbandonDrag();
        Relayout();
        return;
    }
    if (CCorvaneCaptionObject* caption = AsCaption(hovered)) {
        caption->SetHighlight(0);
    }
    hovered->SetZ(GetObjectZ());
    hovered->Invalidate();

    const RichPoint local = ToLocal(x, y);
    RichTextElement* under = ElementFromPoint(local.x, local.y);
    RichTextElement* target = GetDropTarget();
    const bool atEnd = dropAtEnd_;
    const bool cancel =
        !atEnd && (target == nullptr || under == nullptr || under == dragged || target == dragged);
    if (cancel) {
        RelayoutAll();
        Refresh(0);
        OnItemEnter(hovered);
    } else {
        MoveElement(dragged, atEnd ? nullptr : target);
        Refresh(0);
        hoveredId_ = 0;
        if (CCorvaneCanvas* marker = GetInsertionMarker()) {
            marker->Hide();
            marker->Invalidate();
        }
        RefreshMouse();
    }
    if (CCorvaneCanvas* image = GetDragImage()) {
        image->Hide();
        image->Invalidate();
    }
    EndDrag();
    Relayout();
}

// ---------------------------------------------------------------------------
// Events

int CCorvaneScrollView::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventScrollItemEnter:
        case kEventScrollItemLeave:
        case kEventScrollItemDrag: {
            CCorvaneObject* item = FindObjectById(static_cast<int>(record.param1));
            if (item == nullptr || FindItemElement(item) == nullptr) {
                return 1;
            }
            if (record.event == kEventScrollItemEnter) {
                OnItemEnter(item);
            } else if (record.event == kEventScrollItemLeave) {
                OnItemLeave(item, record.param2);
            } else if (const InputState* pointer = InputStateOf(record)) {
                OnItemDrag(item, pointer->mouseX, pointer->mouseY);
            }
            return 1;
        }
        case kEventScrollItemDrop:
            if (const InputState* pointer = InputStateOf(record)) {
                OnItemDrop(pointer->mouseX, pointer->mouseY);
            }
            return 1;
        default:
            return CCorvaneRichText::OnEvent(record);
    }
}
