// The rich-text box's layout, line limit, scrolling, hit tests and drawing.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneInlineObject.h"
#include "engine/ui/CorvaneScrollBar.h"
#include "engine/ui/RichText.h"

namespace {

// A refresh deferred by Redraw runs this many ms later, so that everything
// appended in one engine frame costs one refresh.
constexpr uint32_t kRefreshDelay = 5;
constexpr int kLinesPerScrollStep = 3;
constexpr double kEmbeddedDepthAbove = 0.001;
constexpr double kScrollBarDepthAbove = 0.2;
// Embedded objects follow the text canvas's position, alpha, visibility and
// redraws; the box places, clips and destroys them itself.
constexpr uint32_t kEmbeddedLink =
    kLinkAlpha | kLinkInvalidate | kLinkPosition | kLinkShow | kLinkHide;

int ToInt(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    return static_cast<int>(
        std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

// Whether (y1, x1) comes after (y2, x2) in reading order.
bool IsPast(int x1, int y1, int x2, int y2) {
    return y1 > y2 || (y1 == y2 && x1 > x2);
}

}  // namespace

// The state of one multi-line layout pass.
struct CCorvaneRichText::LineCursor {
    int x = 0;             // where the next element goes
    int top = 0;           // top of the line being filled
    int height = 0;        // its height so far
    int segmentStart = 0;  // x where this pass began filling the line
    int heightBefore = 0;  // the line's height before this pass
    bool counted = false;  // the line holds a visible element
    RichTextElement* segmentFirst = nullptr;
};

// ---------------------------------------------------------------------------
// Lines

int CCorvaneRichText::NextLineTop(int top, int lineHeight) const {
    double next = 0.0;
    if (lineSpacing_ >= 0.0) {
        next = top + lineHeight * (1.0 + lineSpacing_);
    } else {
        next = top + static_cast<double>(lineHeight) - lineSpacing_;
    }
    // Every line advances, whatever its height: lines never share a top.
    next = std::max(std::trunc(next), static_cast<double>(top) + 1.0);
    return ToInt(std::min(next, static_cast<double>(kRichMaxPosition)));
}

int CCorvaneRichText::LineAdvance(int lineHeight) const {
    return NextLineTop(0, lineHeight);
}

int CCorvaneRichText::LineGrowth(int lineHeight) const {
    if (lineSpacing_ >= 0.0) {
        return ToInt(lineHeight * lineSpacing_);
    }
    return ToInt(-lineSpacing_);
}

void CCorvaneRichText::PlaceLine(LineCursor& cursor, RichTextElement* end, bool finished) {
    RichTextElement* from = cursor.segmentFirst;
    int x = cursor.segmentStart;
    // A line begun by an earlier append that grew taller is placed again
    // whole, so that its old elements sit on the new bottom.
    if (cursor.segmentStart > 0 && cursor.height > cursor.heightBefore) {
        if (RichTextElement* lineStart = FirstOfLine(cursor.top)) {
            from = lineStart;
            x = 0;
            if (IsPast(lastDrawnX_, lastDrawnY_, 0, cursor.top - 1)) {
                lastDrawnX_ = 0;
                lastDrawnY_ = cursor.top - 1;
            }
        }
    }
    const RichTextElement* previous = nullptr;
    for (RichTextElement* e = from; e != nullptr && e != end; e = e->next) {
        e->x = x;
        e->lineTop = cursor.top;
        if (e->IsHidden()) {
            e->y = previous != nullptr ? previous->y : cursor.top;
            continue;
        }
        e->y = cursor.top + cursor.height - e->height;
        x += e->Advance();
        contentWidth_ = std::max(contentWidth_, e->Right());
        previous = e;
    }
    if (finished) {
        cursor.top = NextLineTop(cursor.top, cursor.height);
        cursor.x = 0;
        cursor.segmentStart = 0;
        cursor.height = 0;
        cursor.heightBefore = 0;
        cursor.counted = false;
        cursor.segmentFirst = end;
    }
}

RichPoint CCorvaneRichText::LayoutElements(int x, int y, RichTextElement* first, int count) {
    if ((style_ & kRichSingleLine) != 0) {
        return LayoutSingleLine(x, y, first, count);
    }
    LineCursor cursor;
    cursor.x = x;
    cursor.top = y;
    cursor.height = x > 0 ? lineHeight_ : 0;
    cursor.heightBefore = cursor.height;
    cursor.segmentStart = x;
    cursor.counted = x > 0 && openLineCounted_;
    cursor.segmentFirst = first;
    RichTextElement* e = first;
    for (int i = 0; i < count && e != nullptr; ++i, e = e->next) {
        if (e->IsHidden()) {
            continue;
        }
        const int advance = e->Advance();
        if (cursor.x > 0 && cursor.x + advance > viewWidth_) {
            PlaceLine(cursor, e, true);
        }
        cursor.height = std::max(cursor.height, static_cast<int>(e->height));
        cursor.x += advance;
        if (!cursor.counted) {
            cursor.counted = true;
            ++lineCount_;
        }
        // An element wider than the view gets a line of its own.
        if (e->IsLineEnd() || advance > viewWidth_) {
            PlaceLine(cursor, e->next, true);
        }
    }
    PlaceLine(cursor, e, false);
    lineHeight_ = cursor.height;
    openLineCounted_ = cursor.counted;
    return RichPoint{cursor.x, cursor.top};
}

RichPoint CCorvaneRichText::LayoutSingleLine(int x, int y, RichTextElement* first, int count) {
    lineHeight_ = viewHeight_;
    const RichTextElement* previous = nullptr;
    RichTextElement* e = first;
    for (int i = 0; i < count && e != nullptr; ++i, e = e->next) {
        e->x = x;
        e->lineTop = y;
        if (e->IsHidden()) {
            e->y = previous != nullptr ? previous->y : y;
            continue;
        }
        e->y = std::max(0, y + viewHeight_ - 1 - e->height);
        x = static_cast<int>(
            std::min<int64_t>(static_cast<int64_t>(x) + e->Advance(), kRichMaxPosition));
        contentWidth_ = std::max(contentWidth_, e->Right());
        if (!openLineCounted_) {
            openLineCounted_ = true;
            ++lineCount_;
        }
        previous = e;
    }
    return RichPoint{x, y};
}

void CCorvaneRichText::RelayoutAll() {
    ForbidReuse();
    penX_ = 0;
    penY_ = contentTop_;
    lineHeight_ = 0;
    lineCount_ = 0;
    openLineCounted_ = false;
    contentWidth_ = 0;
    if (first_ == nullptr) {
        contentHeight_ = 0;
        scrollX_ = 0;
        scrollY_ = contentTop_;
        return;
    }
    const RichPoint pen = LayoutElements(0, contentTop_, first_, INT_MAX);
    penX_ = pen.x;
    penY_ = pen.y;
    contentHeight_ = last_->Bottom() - contentTop_;
    TrimLines();
    scrollX_ = std::clamp(scrollX_, 0, MaxScrollX());
    scrollY_ = std::clamp(scrollY_, contentTop_, MaxScrollY());
}

void CCorvaneRichText::RecountContent() {
    elementCount_ = 0;
    lineCount_ = 0;
    contentWidth_ = 0;
    bool anyLine = false;
    int lastTop = 0;
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        ++elementCount_;
        if (e->IsHidden()) {
            continue;
        }
        if (!anyLine || e->lineTop != lastTop) {
            ++lineCount_;
            lastTop = e->lineTop;
            anyLine = true;
        }
        contentWidth_ = std::max(contentWidth_, e->Right());
    }
    MeasureContentHeight();
    scrollX_ = std::clamp(scrollX_, 0, MaxScrollX());
    scrollY_ = std::clamp(scrollY_, contentTop_, MaxScrollY());
}

// ---------------------------------------------------------------------------
// Line limit

int CCorvaneRichText::RemoveFirstLine() {
    const int top = first_->lineTop;
    int bottom = first_->Bottom();
    bool selectionLost = false;
    bool visible = false;
    while (first_ != nullptr && first_->lineTop == top) {
        RichTextElement* e = first_;
        first_ = e->next;
        bottom = std::max(bottom, e->Bottom());
        visible = visible || !e->IsHidden();
        selectionLost = selectionLost || e == selectionFirst_ || e == selectionLast_;
        if (insertion_ == e) {
            insertion_ = first_;
        }
        FreeElement(e);
        --elementCount_;
    }
    if (first_ == nullptr) {
        last_ = nullptr;
    }
    if (selectionLost) {
        ClearSelection();
    }
    contentHeight_ -= bottom - contentTop_;
    contentTop_ = bottom;
    scrollY_ = std::max(scrollY_, contentTop_);
    return visible ? 1 : 0;
}

void CCorvaneRichText::RebaseContent() {
    const int shift = contentTop_;
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        e->y -= shift;
        e->lineTop -= shift;
    }
    contentTop_ = 0;
    penY_ -= shift;
    scrollY_ -= shift;
    // Drag points come from the pointer and may lie anywhere.
    for (int* y : {&anchorY_, &endY_}) {
        *y = static_cast<int>(std::max<int64_t>(static_cast<int64_t>(*y) - shift, INT_MIN));
    }
    ForbidReuse();
}

void CCorvaneRichText::TrimLines() {
    while (lineCount_ > maxLines_ && lineCount_ >= 2 && first_ != nullptr) {
        lineCount_ -= RemoveFirstLine();
    }
    if (first_ == nullptr) {
        lineCount_ = 0;
        openLineCounted_ = false;
    }
    if (contentTop_ > kRichRebaseTop) {
        RebaseContent();
    }
    MeasureContentHeight();
}

void CCorvaneRichText::MeasureContentHeight() {
    if (last_ == nullptr) {
        contentHeight_ = 0;
        scrollY_ = contentTop_;
        return;
    }
    contentHeight_ = std::max(0, last_->Bottom() - contentTop_);
    if (contentHeight_ > viewHeight_) {
        if ((style_ & kRichEditable) != 0) {
            const int lastLine = last_->Bottom() - last_->lineTop;
            contentHeight_ += std::max(bottomMargin_, LineAdvance(lastLine));
        } else {
            contentHeight_ += bottomMargin_;
        }
    } else {
        scrollY_ = contentTop_;
    }
}

// ---------------------------------------------------------------------------
// View size and parts

IntRect CCorvaneRichText::TextArea() {
    CCorvaneCanvas* text = GetTextCanvas();
    if (text == nullptr) {
        return IntRect{};
    }
    return IntRect{ToInt(text->GetLeft()), ToInt(text->GetTop()), ToInt(text->GetRight()),
                   ToInt(text->GetBottom())};
}

void CCorvaneRichText::SetViewSize(int width, int height) {
    CCorvaneCanvas* text = GetTextCanvas();
    if (width < 1 || height < 1 || !created_ || text == nullptr) {
        return;
    }
    CCorvaneScrollBar* vertical = GetVertScrollBar();
    CCorvaneScrollBar* horizontal = GetHorzScrollBar();
    viewAreaWidth_ = width;
    viewAreaHeight_ = height;
    viewWidth_ = width;
    viewHeight_ = height;
    if ((style_ & kRichScrollBars) != 0 && vertBarShown_ && vertical != nullptr) {
        viewWidth_ = std::max(1, width - ToInt(vertical->GetWidth()));
    } else if ((style_ & kRichScrollBars) != 0 && horzBarShown_ && horizontal != nullptr) {
        viewHeight_ = std::max(1, height - ToInt(horizontal->GetHeight()));
    }
    PlaceScrollBars();

    text->Resize(viewWidth_, viewHeight_);
    text->CCorvaneObject::Resize(viewWidth_, viewHeight_);
    const double left = GetLeft() + textOffsetX_;
    const double top = GetTop() + textOffsetY_;
    text->SetPos(left + viewWidth_ / 2.0, top + viewHeight_ / 2.0);
    text->Clear();
    if (CCorvaneCanvas* selection = CanvasById(selectionCanvasId_)) {
        selection->Resize(viewWidth_, viewHeight_);
        selection->CCorvaneObject::Resize(viewWidth_, viewHeight_);
        selection->SetPos(text->GetX(), text->GetY());
        selection->Clear();
    }
    UpdateInlineObjects();
    Relayout();
    previousFrame_.assign(static_cast<size_t>(viewWidth_) * viewHeight_ * 4, 0);
    ForbidReuse();

    if (first_ != nullptr) {
        RichTextElement* remembered = ElementFromY(scrollY_);
        RelayoutAll();
        if (remembered != nullptr) {
            scrollY_ = std::clamp(remembered->lineTop, contentTop_, MaxScrollY());
        }
        FollowContent();
    } else {
        contentWidth_ = 0;
        contentHeight_ = 0;
        scrollY_ = contentTop_;
    }
    Relayout();
    Refresh(0);
}

void CCorvaneRichText::PlaceScrollBars() {
    // Along the area last given to the view (SetViewSize): the size the box
    // was made with may be long gone, a chat pane made before its panel was
    // laid out (1 x 1) has its real size only from there.
    if (CCorvaneScrollBar* bar = GetVertScrollBar()) {
        const double thickness = bar->GetWidth();
        bar->Resize(thickness, viewAreaHeight_);
        bar->SetPos(GetRight() - thickness / 2.0, GetTop() + viewAreaHeight_ / 2.0);
    }
    if (CCorvaneScrollBar* bar = GetHorzScrollBar()) {
        const double thickness = bar->GetHeight();
        bar->Resize(viewAreaWidth_, thickness);
        bar->SetPos(GetLeft() + viewAreaWidth_ / 2.0, GetBottom() - thickness / 2.0);
    }
}

void CCorvaneRichText::Relayout() {
    CCorvaneCanvas* text = GetTextCanvas();
    if (text == nullptr) {
        return;
    }
    const IntRect area = TextArea();
    text->SetClipRect(area);
    for (int id : {selectionCanvasId_, caretCanvasId_}) {
        if (CCorvaneObject* part = CanvasById(id)) {
            part->SetClipRect(area);
        }
    }
    for (int id : drawnObjects_) {
        if (CCorvaneObject* object = FindObjectById(id)) {
            object->SetClipRect(area);
        }
    }
}

void CCorvaneRichText::UpdateInlineObjects() {
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        CCorvaneObject* object = ObjectOf(e);
        if (object == nullptr) {
            continue;
        }
        SendEvent(MakeEventRecord(object->GetId(), kEventInlineLayout, viewWidth_, viewHeight_));
        e->width =
            static_cast<uint16_t>(std::clamp(ToInt(object->GetWidth()), 0, kRichMaxElementSide));
        e->height =
            static_cast<uint16_t>(std::clamp(ToInt(object->GetHeight()), 0, kRichMaxElementSide));
    }
}

void CCorvaneRichText::UpdateScrollBars() {
    if ((style_ & kRichScrollBars) == 0 || updatingBars_) {
        return;
    }
    updatingBars_ = true;
    CCorvaneCanvas* base = GetBaseCanvas();
    if (CCorvaneScrollBar* bar = GetVertScrollBar()) {
        const int wanted = viewHeight_ < contentHeight_ ? 1 : 0;
        if (wanted != vertBarShown_) {
            vertBarShown_ = wanted;
            if (wanted) {
                bar->SetZ((base != nullptr ? base->GetZ() : GetZ()) + kScrollBarDepthAbove);
                bar->Show();
            } else {
                bar->Hide();
            }
            bar->Invalidate();
            SetViewSize(viewAreaWidth_, viewAreaHeight_);
        }
        bar->SetScrollInfo(scrollY_ - contentTop_, std::min(viewHeight_, contentHeight_),
                           contentHeight_, fontSize_);
    }
    if (CCorvaneScrollBar* bar = GetHorzScrollBar()) {
        const int wanted = viewWidth_ < contentWidth_ ? 1 : 0;
        if (wanted != horzBarShown_) {
            horzBarShown_ = wanted;
            if (wanted) {
                bar->SetZ((base != nullptr ? base->GetZ() : GetZ()) + kScrollBarDepthAbove);
                bar->Show();
            } else {
                bar->Hide();
            }
            bar->Invalidate();
            SetViewSize(viewAreaWidth_, viewAreaHeight_);
        }
        bar->SetScrollInfo(scrollX_, std::min(viewWidth_, contentWidth_), contentWidth_,
                           fontSize_ / 2);
    }
    updatingBars_ = false;
}

// ---------------------------------------------------------------------------
// Following and scrolling

int CCorvaneRichText::MaxScrollY() const {
    return contentTop_ + std::max(0, contentHeight_ - viewHeight_);
}

int CCorvaneRichText::MaxScrollX() const {
    return std::max(0, contentWidth_ - viewWidth_);
}

void CCorvaneRichText::FollowContent() {
    if ((style_ & kRichAutoHeight) != 0 && contentHeight_ > 0) {
        const int limit = GetBufferHeight() > 0 ? GetBufferHeight() : contentHeight_ + 1;
        if (contentHeight_ < limit && contentHeight_ != viewHeight_) {
            const double top = GetTop();
            height_ = contentHeight_;
            CCorvaneControl::Resize(width_, height_);
            SetBackgroundSize(width_, height_);
            CCorvaneControl::SetPos(GetX(), top + height_ / 2.0);
            SetViewSize(width_, height_);
        }
    }
    if ((style_ & kRichFollow) == 0) {
        return;
    }
    if ((style_ & kRichSingleLine) != 0) {
        const int edge = insertion_ != nullptr ? insertion_->Right() : contentWidth_;
        if (edge - scrollX_ >= viewWidth_) {
            scrollX_ = std::clamp(edge - viewWidth_ + 2, 0, std::max(MaxScrollX(), 0) + 2);
            Redraw();
        }
        return;
    }
    if (insertion_ == nullptr) {
        ScrollToBottom();
        return;
    }
    const int lineBottom = insertion_->Bottom();
    if (insertion_->lineTop < scrollY_ || lineBottom > scrollY_ + viewHeight_) {
        ScrollTo(insertion_->lineTop);
    }
}

void CCorvaneRichText::ScrollTo(int position) {
    if ((style_ & kRichSingleLine) != 0) {
        scrollX_ = std::clamp(position, 0, MaxScrollX());
    } else {
        scrollY_ = std::clamp(position, contentTop_, MaxScrollY());
    }
    Redraw();
    if (selectionFirst_ != nullptr) {
        MarkSelection(selectionFirst_, selectionLast_);
    }
}

void CCorvaneRichText::ScrollToTop() {
    if (scrollY_ != contentTop_) {
        scrollY_ = contentTop_;
        Redraw();
    }
}

void CCorvaneRichText::ScrollToBottom() {
    if ((style_ & kRichSingleLine) != 0) {
        if (contentWidth_ >= viewWidth_) {
            scrollX_ = contentWidth_ - viewWidth_;
        }
    } else if (contentHeight_ >= viewHeight_) {
        scrollY_ = MaxScrollY();
    }
    Redraw();
}

void CCorvaneRichText::ScrollLineUp() {
    if ((style_ & kRichSingleLine) != 0) {
        if (scrollX_ > 0) {
            ScrollTo(scrollX_ - viewWidth_);
        }
        return;
    }
    if (scrollY_ <= contentTop_) {
        return;
    }
    const RichTextElement* e = ElementFromY(scrollY_);
    const int line = e != nullptr ? e->Bottom() - e->lineTop : fontSize_;
    ScrollTo(std::max(contentTop_, scrollY_ - kLinesPerScrollStep * line));
}

void CCorvaneRichText::ScrollLineDown() {
    if ((style_ & kRichSingleLine) != 0) {
        if (contentWidth_ >= viewWidth_) {
            ScrollTo(scrollX_ + viewWidth_);
        }
        return;
    }
    if (contentHeight_ < viewHeight_) {
        return;
    }
    const RichTextElement* e = ElementFromY(scrollY_);
    const int line = e != nullptr ? e->Bottom() - e->lineTop : fontSize_;
    ScrollTo(std::min(MaxScrollY(), scrollY_ + kLinesPerScrollStep * line));
}

// ---------------------------------------------------------------------------
// Queries

RichTextElement* CCorvaneRichText::ElementFromY(int y) {
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        if (!e->IsHidden() && e->Bottom() > y) {
            return e;
        }
    }
    return nullptr;
}

bool CCorvaneRichText::ElementHitsLine(const RichTextElement& e, int y) const {
    const int growth = LineGrowth(e.Bottom() - e.lineTop);
    return y >= e.lineTop && y < e.Bottom() + growth;
}

RichTextElement* CCorvaneRichText::ElementFromPoint(int x, int y) {
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        if (e->IsHidden() || e->lineTop > y) {
            if (e->lineTop > y) {
                break;
            }
            continue;
        }
        if (x >= e->x && x < e->x + e->Advance() && ElementHitsLine(*e, y)) {
            return e;
        }
    }
    return nullptr;
}

RichTextElement* CCorvaneRichText::CaretElementAt(int x, int y) {
    const bool multiLine = (style_ & kRichSingleLine) == 0;
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        if (e->IsHidden() || !ElementHitsLine(*e, y)) {
            continue;
        }
        if (x >= e->x && x < e->x + e->width / 2) {
            return e;
        }
        if (x >= e->x + e->width / 2 && x < e->x + e->Advance()) {
            return e->IsLineEnd() ? e : NextVisibleElement(e);
        }
        if (multiLine && e->IsLineEnd() && x >= e->x) {
            return e;
        }
    }
    return nullptr;
}

RichTextElement* CCorvaneRichText::SelectionEndAt(int x, int y) {
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        if (e->IsHidden()) {
            continue;
        }
        if (e->lineTop > y) {
            return e;
        }
        if (!ElementHitsLine(*e, y)) {
            continue;
        }
        if (x >= e->x && x < e->x + e->width / 2) {
            return e;
        }
        if (x >= e->x + e->width / 2 && x < e->x + e->Advance()) {
            return NextVisibleElement(e);
        }
        if (e->IsLineEnd() && x >= e->x) {
            return e;
        }
    }
    return nullptr;
}

RichTextElement* CCorvaneRichText::LastOfLine(RichTextElement* element) {
    if (element == nullptr) {
        return nullptr;
    }
    RichTextElement* lastOfLine = element;
    for (RichTextElement* e = element->next; e != nullptr && e->lineTop == element->lineTop;
         e = e->next) {
        lastOfLine = e;
    }
    return lastOfLine;
}

RichTextElement* CCorvaneRichText::NextVisibleElement(RichTextElement* element) {
    RichTextElement* e = element != nullptr ? element->next : nullptr;
    while (e != nullptr && e->IsHidden()) {
        e = e->next;
    }
    return e;
}

// ---------------------------------------------------------------------------
// Drawing

void CCorvaneRichText::Redraw() {
    if ((style_ & kRichImmediateRedraw) != 0) {
        Refresh(1);
        return;
    }
    if (redrawPending_ != 0) {
        return;
    }
    const EventRecord done = MakeEventRecord(GetId(), kEventRichRefresh, 0, 0);
    redrawPending_ = DelayAction(kRefreshDelay, &done) != 0 ? 1 : 0;
}

void CCorvaneRichText::DetachDrawnObjects() {
    CCorvaneCanvas* text = GetTextCanvas();
    for (int id : drawnObjects_) {
        CCorvaneObject* object = FindObjectById(id);
        if (object == nullptr) {
            continue;
        }
        object->Hide();
        object->Invalidate();
        if (text != nullptr) {
            text->RemoveChild(id);
        }
    }
    drawnObjects_.clear();
}

void CCorvaneRichText::Refresh(int reuse) {
    redrawPending_ = 0;
    if ((style_ & kRichEditable) != 0) {
        reuse = 0;
    }
    lastRefreshTime_ = GetTime();
    if (IsCaretVisible()) {
        PlaceCaret(insertion_);
    }
    CCorvaneCanvas* text = GetTextCanvas();
    if (text == nullptr) {
        return;
    }
    const size_t frameBytes = static_cast<size_t>(viewWidth_) * viewHeight_ * 4;
    const bool canReuse =
        reuse != 0 && lastDrawnScrollY_ != kRichNoReuse &&
        std::abs(static_cast<int64_t>(scrollY_) - lastDrawnScrollY_) < viewHeight_ &&
        scrollX_ == lastDrawnScrollX_ && text->GetPixels() != nullptr &&
        text->GetCanvasWidth() == viewWidth_ && text->GetCanvasHeight() == viewHeight_ &&
        previousFrame_.size() == frameBytes;
    if (canReuse) {
        std::memcpy(previousFrame_.data(), text->GetPixels(), frameBytes);
    }
    DetachDrawnObjects();
    text->Clear();
    text->Invalidate();

    bool visited = false;
    int lastX = 0;
    int lastY = 0;
    for (RichTextElement* e = ElementFromY(scrollY_);
         e != nullptr && e->lineTop < scrollY_ + viewHeight_; e = e->next) {
        if (e->x < scrollX_ + viewWidth_ && e->x + std::max<int>(e->width, 1) > scrollX_) {
            DrawElement(*text, e, canReuse);
        }
        visited = true;
        lastX = e->x;
        lastY = e->y;
    }
    lastDrawnX_ = visited ? lastX : INT_MIN;
    lastDrawnY_ = visited ? lastY : INT_MIN;
    Invalidate();
    lastDrawnScrollY_ = scrollY_;
    lastDrawnScrollX_ = scrollX_;
    if (selectionFirst_ != nullptr) {
        MarkSelection(selectionFirst_, selectionLast_);
    }
    UpdateScrollBars();
}

void CCorvaneRichText::DrawElement(CCorvaneCanvas& canvas, RichTextElement* element, bool reuse) {
    if ((element->flags & (kElementHidden | kElementNotDrawn)) != 0) {
        return;
    }
    if (element->IsObject()) {
        DrawObject(canvas, *element);
        return;
    }
    if (reuse && CopyFromPreviousFrame(canvas, *element)) {
        return;
    }
    DrawCharacter(canvas, *element);
}

bool CCorvaneRichText::CopyFromPreviousFrame(CCorvaneCanvas& canvas, const RichTextElement& e) {
    if (IsPast(e.x, e.y, lastDrawnX_, lastDrawnY_)) {
        return false;
    }
    if (e.y < lastDrawnScrollY_ || e.Bottom() > lastDrawnScrollY_ + viewHeight_ || e.y < scrollY_ ||
        e.Bottom() > scrollY_ + viewHeight_) {
        return false;
    }
    uint8_t* pixels = canvas.GetPixels();
    const int left = std::max(0, e.x - scrollX_);
    const int right = std::min(viewWidth_, e.x - scrollX_ + static_cast<int>(e.width));
    if (pixels == nullptr || left >= right) {
        return true;  // nothing of it shows
    }
    const size_t rowBytes = static_cast<size_t>(viewWidth_) * 4;
    const size_t spanBytes = static_cast<size_t>(right - left) * 4;
    for (int row = 0; row < e.height; ++row) {
        const size_t from = static_cast<size_t>(e.y + row - lastDrawnScrollY_) * rowBytes +
                            static_cast<size_t>(left) * 4;
        const size_t to =
            static_cast<size_t>(e.y + row - scrollY_) * rowBytes + static_cast<size_t>(left) * 4;
        std::memcpy(pixels + to, previousFrame_.data() + from, spanBytes);
    }
    return true;
}

void CCorvaneRichText::DrawCharacter(CCorvaneCanvas& canvas, const RichTextElement& e) {
    char bytes[3] = {};
    const int count = e.CharBytes(bytes);
    if (count == 0 || (count == 1 && static_cast<unsigned char>(bytes[0]) < 0x20)) {
        return;  // line ends and control bytes show nothing
    }
    if ((style_ & kRichPassword) != 0) {
        bytes[0] = '*';
        bytes[1] = count == 2 ? '*' : '\0';
        bytes[2] = '\0';
    }
    canvas.SetItalic((e.flags & kElementItalic) != 0 ? 1 : 0);
    canvas.SetFont(e.height, (e.flags & kElementBold) != 0 ? 700 : 400, e.face);
    canvas.SetUnderline((e.flags & kElementUnderline) != 0 ? 1 : 0);
    canvas.SetPenColor(e.color, 1.0);
    canvas.DrawText(e.x - scrollX_, e.y - scrollY_, bytes);
}

void CCorvaneRichText::DrawObject(CCorvaneCanvas& canvas, const RichTextElement& e) {
    CCorvaneObject* object = ObjectOf(&e);
    if (object == nullptr) {
        return;
    }
    const double x = canvas.GetLeft() + e.x - scrollX_ + (e.width + 1) / 2;
    const double y = canvas.GetTop() + e.y - scrollY_ + (e.height + 1) / 2;
    object->SetPos(std::trunc(x), std::trunc(y));
    object->SetClipRect(TextArea());
    if (IsVisible()) {
        if (auto* control = dynamic_cast<CCorvaneControl*>(object)) {
            if (auto* picture = dynamic_cast<CCorvanePicture*>(control->GetPeerOrSelf())) {
                picture->GetFrameView().SetRefreshTime(lastRefreshTime_);
            }
        }
        object->Show();
    }
    object->SetZ(canvas.GetZ() + kEmbeddedDepthAbove);
    object->Invalidate();
    canvas.AttachChild(object, kEmbeddedLink);
    drawnObjects_.push_back(object->GetId());
}
