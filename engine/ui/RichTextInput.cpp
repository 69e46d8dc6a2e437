// The rich-text box's input: its event handler, link hovering and
// activation, the caret, mouse selection, word selection and the clipboard.

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/GameCore.h"
#include "engine/ui/CorvaneInlineObject.h"
#include "engine/ui/HandCursor.h"
#include "engine/ui/RichText.h"
#include "platform/Clipboard.h"
#include "platform/Input.h"
#include "platform/TextInputArea.h"

namespace {

constexpr uint32_t kCaretBlinkInterval = 500;
constexpr int kCopyKey = 'C';

int TruncateToInt(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    return static_cast<int>(
        std::clamp(std::trunc(value), static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

}  // namespace

// ---------------------------------------------------------------------------
// Events

int CCorvaneRichText::OnEvent(const EventRecord& record) {
    const InputState* input = IsInputEvent(record.event) ? InputStateOf(record) : nullptr;
    switch (record.event) {
        case kEventMouseMove:
            if (input != nullptr) {
                OnPointerMove(input->mouseX, input->mouseY);
            }
            return 1;
        case kEventLButtonDown:
            if (input != nullptr) {
                OnButtonDown(input->mouseX, input->mouseY);
            }
            return 1;
        case kEventLButtonUp:
            OnButtonUp(input != nullptr ? input->mouseX : 0, input != nullptr ? input->mouseY : 0);
            return 1;
        case kEventDrag:
            if (input != nullptr && (style_ & kRichSelectable) != 0) {
                OnDragSelect(input->mouseX, input->mouseY);
            }
            return 1;
        case kEventDoubleClick:
            if (input != nullptr) {
                OnDoubleClick(input->mouseX, input->mouseY);
            }
            return 1;
        case kEventWheelForward:
        case kEventScrollUp:
        case kEventScrollLeft:
            ScrollUp();
            return 1;
        case kEventWheelBackward:
        case kEventScrollDown:
        case kEventScrollRight:
            ScrollDown();
            return 1;
        case kEventKeyDown:
            if (input != nullptr) {
                OnKeyDown(input->lastKeyDown, static_cast<int>(input->keyFlags));
            }
            return 1;
        case kEventFocusLost:
            OnDeactivate();
            return 1;
        case kEventScrollChanged: {
            const auto* values = EventParamPointer<const double>(record.param1);
            if (values != nullptr && std::isfinite(values[0])) {
                const int position = TruncateToInt(values[0]);
                const bool singleLine = (style_ & kRichSingleLine) != 0;
                ScrollTo(singleLine ? position
                                    : static_cast<int>(std::clamp<int64_t>(
                                          static_cast<int64_t>(position) + contentTop_, INT_MIN,
                                          INT_MAX)));
            }
            return 0;
        }
        case kEventSettings:
        case kEventRichText:
            AppendOwnedText(EventParamPointer<char>(record.param1));
            return 1;
        case kEventRichRefresh:
            Refresh(1);
            return 1;
        case kEventRichCopy:
            CopySelection();
            return 1;
        case kEventRichNotify:
            OnNotify(record);
            return 1;
        case kEventRichClear:
            Reset();
            return 1;
        case kEventRichIgnored:
            return 0;
        case kEventLinkActivated:
            OpenActivatedLink(record);
            return 0;
        default:
            return CCorvaneControl::OnEvent(record);
    }
}

RichPoint CCorvaneRichText::ToLocal(double x, double y) {
    CCorvaneCanvas* text = GetTextCanvas();
    if (text == nullptr) {
        return RichPoint{};
    }
    return RichPoint{TruncateToInt(x - text->GetLeft() + scrollX_),
                     TruncateToInt(y - text->GetTop() + scrollY_)};
}

// ---------------------------------------------------------------------------
// Links and the pointer

void CCorvaneRichText::MapLinkElement(RichTextElement* element, int id) {
    if (element != nullptr && id != 0) {
        links_[element] = id;
    }
}

CCorvaneRichTextElement* CCorvaneRichText::FindLinkObject(RichTextElement* linkStart) {
    auto it = links_.find(linkStart);
    if (it == links_.end()) {
        return nullptr;
    }
    return dynamic_cast<CCorvaneRichTextElement*>(FindObjectById(it->second));
}

CCorvaneRichTextElement* CCorvaneRichText::GetLinkOfElement(RichTextElement* element) {
    if (element == nullptr || (element->flags & kElementLinkText) == 0) {
        return nullptr;
    }
    // The start must belong to the link that holds the element: a link end
    // met before the element closes any start remembered so far.
    RichTextElement* start = nullptr;
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        if ((e->flags & kElementLinkStart) != 0) {
            start = e;
        }
        if (e == element) {
            return start != nullptr ? FindLinkObject(start) : nullptr;
        }
        if ((e->flags & kElementLinkEnd) != 0) {
            start = nullptr;
        }
    }
    return nullptr;
}

void CCorvaneRichText::OpenActivatedLink(const EventRecord& record) {
    if (record.param2 <= 0 || record.param2 > INT_MAX) {
        return;
    }
    const int sender = static_cast<int>(record.param2);
    for (const auto& [start, id] : links_) {
        if (id != sender) {
            continue;
        }
        auto* link = dynamic_cast<CCorvaneRichTextElement*>(FindObjectById(id));
        if (link != nullptr && link->GetOwnerId() == GetId()) {
            OpenUrl(link->GetTarget().c_str());
        }
        return;
    }
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        if ((e->flags & kElementButton) == 0 || e->ObjectId() != sender) {
            continue;
        }
        auto* button = dynamic_cast<CCorvaneInlineObject*>(ObjectOf(e));
        if (button != nullptr && button->GetClickTarget() == GetId()) {
            OpenUrl(button->GetText());
        }
        return;
    }
}

void CCorvaneRichText::LeaveHoveredLink() {
    if (auto* link = dynamic_cast<CCorvaneRichTextElement*>(FindObjectById(hoveredLinkId_))) {
        link->HideHoverPicture();
    }
    hoveredLinkId_ = 0;
}

void CCorvaneRichText::OnPointerMove(int x, int y) {
    const RichPoint p = ToLocal(x, y);
    RichTextElement* element = ElementFromPoint(p.x, p.y);
    if (element == nullptr || (element->flags & kElementLinkText) == 0) {
        RestoreCursor();
        LeaveHoveredLink();
        return;
    }
    CCorvaneRichTextElement* link = GetLinkOfElement(element);
    if (link == nullptr) {
        return;
    }
    if (link->GetId() != hoveredLinkId_) {
        LeaveHoveredLink();
        link->ShowHoverPicture();
    }
    link->ShowHandCursor();
    hoveredLinkId_ = link->GetId();
}

void CCorvaneRichText::SetHoverCursor() {
    ShowHandCursor(*this);
}

void CCorvaneRichText::RestoreCursor() {
    ShowArrowCursor(*this);
}

void CCorvaneRichText::OnButtonDown(int x, int y) {
    SetFocus(GetId());
    const RichPoint p = ToLocal(x, y);
    // A click anywhere on a link's text opens it.
    RichTextElement* hit = ElementFromPoint(p.x, p.y);
    if (hit != nullptr && (hit->flags & kElementLinkText) != 0) {
        if (CCorvaneRichTextElement* link = GetLinkOfElement(hit)) {
            link->Activate();
        }
    }
    if ((style_ & kRichSelectable) == 0) {
        return;
    }
    if (selectionFirst_ != nullptr) {
        ClearSelection();
    }
    PlaceCaret(CaretElementAt(p.x, p.y));
    anchorX_ = endX_ = p.x;
    anchorY_ = endY_ = p.y;
    selecting_ = 1;
}

void CCorvaneRichText::OnButtonUp(int, int) {
    selecting_ = 0;
}

RichPoint CCorvaneRichText::ClampIntoTextArea(double x, double y) {
    const IntRect area = TextArea();
    if (area.IsEmpty()) {
        return RichPoint{TruncateToInt(x), TruncateToInt(y)};
    }
    if (y < area.top) {
        return RichPoint{area.left, area.top};
    }
    if (y >= area.bottom) {
        return RichPoint{area.right - 1, area.bottom - 1};
    }
    return RichPoint{std::clamp(TruncateToInt(x), area.left, area.right - 1), TruncateToInt(y)};
}

void CCorvaneRichText::OnDragSelect(int x, int y) {
    if (selecting_ == 0 || (style_ & kRichSelectable) == 0) {
        return;
    }
    const RichPoint clamped = ClampIntoTextArea(x, y);
    RichPoint p = ToLocal(clamped.x, clamped.y);
    if (p.y == scrollY_) {
        ScrollLineUp();
        p.y = scrollY_;
    } else if (p.y == scrollY_ + viewHeight_ - 1) {
        ScrollLineDown();
        p.y = scrollY_ + viewHeight_ - 1;
    }
    const int sideStep = std::max(1, fontSize_ / 2);
    if (p.x == scrollX_ && scrollX_ > 0) {
        scrollX_ = std::max(0, scrollX_ - sideStep);
        Redraw();
    } else if (p.x == scrollX_ + viewWidth_ - 1 && contentWidth_ > scrollX_ + viewWidth_) {
        scrollX_ = std::min(MaxScrollX(), scrollX_ + sideStep);
        Redraw();
    }
    endX_ = p.x;
    endY_ = p.y;
    UpdateSelection();
}

// ---------------------------------------------------------------------------
// Selection

void CCorvaneRichText::UpdateSelection() {
    if (selecting_ == 0) {
        return;
    }
    RichTextElement* anchor = CaretElementAt(anchorX_, anchorY_);
    RichTextElement* end = SelectionEndAt(endX_, endY_);
    // Null stands for the end of the list, after every element.
    RichTextElement* first = end;
    RichTextElement* last = anchor;
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        if (e == anchor) {
            first = anchor;
            last = end;
            break;
        }
        if (e == end) {
            break;
        }
    }
    MarkSelection(first, last);
}

void CCorvaneRichText::MarkSelection(RichTextElement* first, RichTextElement* last) {
    CCorvaneCanvas* canvas = CanvasById(selectionCanvasId_);
    if (first == nullptr || first == last) {
        // An empty range selects nothing.
        selectionFirst_ = selectionLast_ = nullptr;
        if (canvas != nullptr) {
            canvas->Hide();
            canvas->Clear();
            canvas->Invalidate();
        }
        return;
    }
    HideCaret();
    selectionFirst_ = first;
    selectionLast_ = last;
    if (canvas == nullptr) {
        return;
    }
    canvas->Show();
    canvas->Clear();
    for (RichTextElement* e = first; e != nullptr && e != last; e = e->next) {
        if (e->IsHidden() || e->Bottom() < scrollY_) {
            continue;
        }
        if (e->lineTop > scrollY_ + viewHeight_) {
            break;
        }
        const int growth = LineGrowth(e->Bottom() - e->lineTop);
        canvas->DrawRect(e->x - scrollX_, e->lineTop - scrollY_, e->x - scrollX_ + e->Advance(),
                         e->Bottom() - scrollY_ + growth, 1);
    }
    canvas->Invalidate();
}

void CCorvaneRichText::ClearSelection() {
    if (CCorvaneCanvas* canvas = CanvasById(selectionCanvasId_)) {
        canvas->Hide();
        canvas->Clear();
        canvas->Invalidate();
    }
    selectionFirst_ = selectionLast_ = nullptr;
    selecting_ = 0;
}

void CCorvaneRichText::OnDoubleClick(int x, int y) {
    if ((style_ & kRichSelectable) == 0) {
        return;
    }
    const RichPoint p = ToLocal(x, y);
    ClearSelection();
    RichTextElement* element = ElementFromPoint(p.x, p.y);
    if (element == nullptr) {
        return;
    }
    selecting_ = 1;
    if (element->IsDoubleByte()) {
        anchorX_ = element->x;
        anchorY_ = element->lineTop;
        endX_ = element->Right();
        endY_ = element->lineTop;
        MarkSelection(element, element->next);
    } else {
        SelectWordAt(p.x, p.y);
    }
    selecting_ = 0;
}

void CCorvaneRichText::SelectWordAt(int x, int y) {
    RichTextElement* element = ElementFromPoint(x, y);
    if (element == nullptr) {
        return;
    }
    auto isBoundary = [](const RichTextElement* e) {
        return e->IsLineEnd() || ((e->flags & kElementSingleByte) != 0 && e->code == ' ');
    };
    RichTextElement* start = nullptr;
    for (RichTextElement* e = first_; e != nullptr && e != element; e = e->next) {
        if (isBoundary(e)) {
            start = nullptr;
        } else if (start == nullptr) {
            start = e;
        }
    }
    if (isBoundary(element)) {
        return;
    }
    if (start == nullptr) {
        start = element;
    }
    RichTextElement* lastOfWord = element;
    RichTextElement* bound = element->next;
    while (bound != nullptr && !isBoundary(bound)) {
        lastOfWord = bound;
        bound = bound->next;
    }
    anchorX_ = start->x;
    anchorY_ = start->lineTop;
    endX_ = lastOfWord->Right();
    endY_ = lastOfWord->lineTop;
    MarkSelection(start, bound);
}

void CCorvaneRichText::SelectAll() {
    MarkSelection(first_, nullptr);
}

// ---------------------------------------------------------------------------
// Clipboard

std::string CCorvaneRichText::TextOfRange(RichTextElement* first, RichTextElement* end) {
    std::string text;
    for (RichTextElement* e = first; e != nullptr && e != end; e = e->next) {
        if (e->IsHidden()) {
            continue;
        }
        if (e->IsObject()) {
            auto* inline_ = dynamic_cast<CCorvaneInlineObject*>(ObjectOf(e));
            const char* name = inline_ != nullptr ? inline_->GetTypeName() : nullptr;
            text += name != nullptr ? name : kInlineUnknownName;
            continue;
        }
        char bytes[3];
        text.append(bytes, e->CharBytes(bytes));
    }
    return text;
}

void CCorvaneRichText::OnKeyDown(int key, int) {
    if (selecting_ == 0 && key == kCopyKey && platform::IsKeyDown(platform::kKeyControl)) {
        CopySelection();
    }
}

bool CCorvaneRichText::CopySelection() {
    if ((style_ & kRichPassword) != 0 || selecting_ != 0 || selectionFirst_ == nullptr) {
        return false;
    }
    const std::string text = TextOfRange(selectionFirst_, selectionLast_);
    if (text.empty()) {
        return false;
    }
    return platform::SetClipboardText(text);
}

void CCorvaneRichText::PasteText() {
    const std::optional<std::string> text = platform::GetClipboardText();
    if (text && !text->empty()) {
        AppendText(text->c_str());
    }
}

// ---------------------------------------------------------------------------
// Caret

bool CCorvaneRichText::IsCaretVisible() {
    CCorvaneCanvas* caret = CanvasById(caretCanvasId_);
    return caret != nullptr && caret->IsVisible() != 0;
}

void CCorvaneRichText::CaretGeometry(RichTextElement* element, int* left, int* top, int* height) {
    const bool singleLine = (style_ & kRichSingleLine) != 0;
    const int emptyHeight = singleLine ? viewHeight_ : fontSize_;
    if (element != nullptr) {
        *left = element->x;
        *top = element->lineTop;
        *height = element->Bottom() - element->lineTop;
        return;
    }
    RichTextElement* lastShown = nullptr;
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        if (!e->IsHidden()) {
            lastShown = e;
        }
    }
    if (lastShown == nullptr) {
        *left = 0;
        *top = contentTop_;
        *height = emptyHeight;
    } else if (lastShown->IsLineEnd() && !singleLine) {
        *left = 0;
        *top = penY_;
        *height = emptyHeight;
    } else {
        *left = lastShown->x + lastShown->Advance();
        *top = lastShown->lineTop;
        *height = lastShown->Bottom() - lastShown->lineTop;
    }
}

void CCorvaneRichText::PlaceCaret(RichTextElement* element) {
    insertion_ = element;
    CCorvaneCanvas* caret = CanvasById(caretCanvasId_);
    CCorvaneCanvas* text = GetTextCanvas();
    if (caret == nullptr || text == nullptr) {
        return;
    }
    int left = 0;
    int top = 0;
    int height = 0;
    CaretGeometry(element, &left, &top, &height);
    height = std::clamp(height, 1, std::max(1, viewHeight_));
    caret->Resize(1, height);
    caret->CCorvaneObject::Resize(1.0, height);
    caret->Clear();
    caret->Show();
    caret->SetPos(text->GetLeft() + (left - scrollX_) + 0.5,
                  text->GetTop() + (top - scrollY_) + height / 2.0);
    caret->Invalidate();
    StopObjectActions(caret->GetId());
    FadeAction(caret, 1.0, -1, kCaretBlinkInterval, 1.0, 0.0, nullptr);
    MoveInputMethodArea(caret->GetLeft(), caret->GetTop(), height);
}

void CCorvaneRichText::MoveInputMethodArea(double left, double top, int height) {
    GameCore* core = GetCore();
    const platform::WindowId window = core != nullptr ? core->GetWindowHandle() : 0;
    if (window == 0) {
        return;
    }
    // Scene pixels to the engine window's client pixels.
    IntRect scene;
    GetSceneViewRect(&scene);
    const int64_t x = static_cast<int64_t>(TruncateToInt(left)) - scene.left;
    const int64_t y = static_cast<int64_t>(TruncateToInt(top)) - scene.top;
    auto held = [](int64_t value) {
        return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
    };
    platform::SetTextInputArea(
        window, platform::PixelRect{held(x), held(y), held(x + 1), held(y + height)});
}

void CCorvaneRichText::HideCaret() {
    CCorvaneCanvas* caret = CanvasById(caretCanvasId_);
    if (caret == nullptr) {
        return;
    }
    StopObjectActions(caret->GetId());
    caret->Hide();
    caret->Invalidate();
}

RichTextElement* CCorvaneRichText::FirstOfLine(int lineTop) {
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        if (!e->IsHidden() && e->lineTop == lineTop) {
            return e;
        }
    }
    return nullptr;
}

void CCorvaneRichText::CaretLeft() {
    if (selecting_ != 0) {
        return;
    }
    if (selectionFirst_ != nullptr) {
        RichTextElement* target = selectionFirst_;
        ClearSelection();
        PlaceCaret(target);
        return;
    }
    if (!IsCaretVisible() || first_ == nullptr || insertion_ == first_) {
        return;
    }
    RichTextElement* previous = insertion_ != nullptr ? PreviousOf(insertion_) : last_;
    if (previous == nullptr) {
        return;
    }
    insertion_ = previous;
    if (previous->x < scrollX_) {
        scrollX_ = std::max(0, previous->x);
        Redraw();
    } else if (previous->lineTop < scrollY_) {
        ScrollLineUp();
    } else {
        PlaceCaret(previous);
    }
}

void CCorvaneRichText::CaretRight() {
    if (selecting_ != 0) {
        return;
    }
    if (selectionFirst_ != nullptr) {
        RichTextElement* target = selectionLast_;
        ClearSelection();
        PlaceCaret(target);
        return;
    }
    if (!IsCaretVisible() || insertion_ == nullptr) {
        return;
    }
    RichTextElement* next = insertion_->next;
    if (next == nullptr) {
        ScrollToBottom();
        PlaceCaret(nullptr);
        return;
    }
    insertion_ = next;
    if ((style_ & kRichSingleLine) == 0) {
        if (next->Bottom() > scrollY_ + viewHeight_) {
            ScrollLineDown();
        } else {
            PlaceCaret(next);
        }
        return;
    }
    if (next->Right() + 2 > scrollX_ + viewWidth_) {
        scrollX_ = std::clamp(next->Right() - viewWidth_ - 1, 0, MaxScrollX());
        Redraw();
    } else {
        PlaceCaret(next);
    }
}

void CCorvaneRichText::CaretUp() {
    if (first_ == nullptr || selecting_ != 0) {
        return;
    }
    if (selectionFirst_ != nullptr) {
        insertion_ = selectionFirst_;
        ClearSelection();
    }
    int x = 0;
    int top = 0;
    int height = 0;
    CaretGeometry(insertion_, &x, &top, &height);
    int lineAbove = INT_MIN;
    for (RichTextElement* e = first_; e != nullptr && e->lineTop < top; e = e->next) {
        if (!e->IsHidden()) {
            lineAbove = e->lineTop;
        }
    }
    if (lineAbove == INT_MIN) {
        return;  // on the first line
    }
    RichTextElement* target = CaretElementAt(x, lineAbove);
    if (target == nullptr || target->lineTop != lineAbove) {
        target = LastOfLine(FirstOfLine(lineAbove));
    }
    if (target != nullptr && target->lineTop < scrollY_) {
        ScrollLineUp();
    }
    PlaceCaret(target);
}

void CCorvaneRichText::CaretDown() {
    if (first_ == nullptr || selecting_ != 0) {
        return;
    }
    if (selectionFirst_ != nullptr) {
        insertion_ = selectionLast_;
        ClearSelection();
    }
    int x = 0;
    int top = 0;
    int height = 0;
    CaretGeometry(insertion_, &x, &top, &height);
    RichTextElement* below = nullptr;
    for (RichTextElement* e = insertion_ != nullptr ? insertion_ : first_; e != nullptr;
         e = e->next) {
        if (!e->IsHidden() && e->lineTop > top) {
            below = e;
            break;
        }
    }
    if (below == nullptr) {
        ScrollToBottom();
        PlaceCaret(nullptr);
        return;
    }
    RichTextElement* target = CaretElementAt(x, below->lineTop);
    if (target == nullptr || target->lineTop != below->lineTop) {
        target = LastOfLine(below);
    }
    if (target != nullptr && target->Bottom() > scrollY_ + viewHeight_) {
        ScrollLineDown();
    }
    PlaceCaret(target);
}

void CCorvaneRichText::OnDeactivate() {
    insertion_ = nullptr;
    HideCaret();
    if ((style_ & kRichHideOnDeactivate) != 0) {
        Hide();
        Invalidate();
    }
}

void CCorvaneRichText::EnableSelection(bool on) {
    CCorvaneCanvas* text = GetTextCanvas();
    static const int kTextCanvasEvents[] = {kEventLButtonDown, kEventLButtonUp, kEventDrag,
                                            kEventDoubleClick};
    if (on) {
        if (text != nullptr) {
            for (int event : kTextCanvasEvents) {
                text->BindEvent(event, GetId(), event, 0, 0);
            }
        }
        BindEventToSelf(kEventKeyDown);
        style_ |= kRichSelectable;
    } else {
        if (text != nullptr) {
            for (int event : kTextCanvasEvents) {
                text->UnbindEvent(event);
            }
        }
        UnbindEvent(kEventKeyDown);
        style_ &= ~kRichSelectable;
        BindLinkClicks();  // live links still take clicks
    }
}
