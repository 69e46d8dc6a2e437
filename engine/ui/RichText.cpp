// The rich-text box's model: creation, style, faces, the element pool and
// the content operations (append, insert, delete, hide, reset).

#include "engine/ui/RichText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneFont.h"
#include "engine/ui/CorvaneInlineObject.h"
#include "engine/ui/CorvaneScrollBar.h"

namespace {

// Canvas parts follow the box's position, depth, alpha, visibility and
// redraws, and die with it; their sizes are the box's own business.
constexpr uint32_t kTextCanvasLink = kLinkOwned | kLinkAlpha | kLinkInvalidate | kLinkZ |
                                     kLinkPosition | kLinkBindings | kLinkShow | kLinkHide;
constexpr uint32_t kOverlayLink =
    kLinkOwned | kLinkAlpha | kLinkInvalidate | kLinkZ | kLinkPosition;
// The selection canvas carries this object flag (an overlay that takes no
// part in hit tests).
constexpr uint32_t kSelectionOverlayFlag = 0x800;
constexpr double kPartDepthStep = 0.01;
// The selection highlight lets the text under it show through.
constexpr double kSelectionAlpha = 0.5;
constexpr int kCaretHeight = 10;
constexpr int kFontSizeSetting = 5;
constexpr int kDefaultFontSize = 14;
constexpr int kFacesKeptByReset = 2;
// The skin images of the scroll bars: five string settings from these ids
// (track, thumb, grip, first and second arrow).
constexpr int kSettingScrollVertBack = 22;
constexpr int kSettingScrollHorzBack = 27;
constexpr int kScrollBarLength = 100;
constexpr double kScrollBarDepthAbove = 0.2;
constexpr uint32_t kScrollBarLink = 0x190A3;
const char* const kDefaultFaces[] = {"宋体", "黑体", "幼圆"};

int ClampSide(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, 0, kRichMaxElementSide));
}

// Copies a face name into a table entry: at most 31 bytes, never half of a
// double-byte character.
void CopyFaceName(char (&entry)[kRichFaceBytes], const char* name) {
    FontDesc desc;
    SetFontDescFace(desc, name != nullptr ? name : "");
    static_assert(sizeof(desc.faceName) == kRichFaceBytes);
    std::memcpy(entry, desc.faceName, kRichFaceBytes);
}

}  // namespace

CCorvaneRichText::CCorvaneRichText() {
    poolReady_ = pool_.Init(sizeof(RichTextElement), 1024);
}

CCorvaneRichText::~CCorvaneRichText() {
    // Link records and embedded objects are the box's: they go with it.
    DetachDrawnObjects();
    FreeAllElements();
    DestroyLinkRecords();
    if (CCorvaneObject* extra = FindObjectById(extraPartId_)) {
        DestroyObject(extra, 0);
    }
    pool_.Destroy();
}

// ---------------------------------------------------------------------------
// Creation and style

void CCorvaneRichText::Create(int width, int height, uint32_t style, int creationTag) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    Resize(width_, height_);
    CCorvaneCanvas* base =
        CreateCanvas(std::max(width_, 1), std::max(height_, 1), kDefaultColorKey);
    CCorvaneCanvas* text =
        CreateCanvas(std::max(width_, 1), std::max(height_, 1), kDefaultColorKey);
    if (base == nullptr || text == nullptr) {
        return;
    }
    baseCanvasId_ = base->GetId();
    textCanvasId_ = text->GetId();
    PeerSetUp(base, kPeerLinkFlags);
    text->SetZ(base->GetZ() + kPartDepthStep);
    base->AttachChild(text, kTextCanvasLink);
    created_ = true;
    creationTag_ = creationTag;
    SetStyle(style);
    SetViewSize(width_, height_);
    const int setting = GetIntSetting(kFontSizeSetting);
    SetFontSize(setting > 0 ? setting : kDefaultFontSize);
    Reset();
    // After the reset, which keeps only the first two faces.
    faceCount_ = 0;
    for (const char* face : kDefaultFaces) {
        AddFace(face);
    }
}

void CCorvaneRichText::SetStyle(uint32_t style) {
    style_ = style;
    SetFocusable(1);
    BindEventToSelf(kEventMouseMove);
    BindEventToSelf(kEventFocusLost);
    BindEventToSelf(kEventWheelForward);
    BindEventToSelf(kEventWheelBackward);
    if ((style & kRichSelectable) != 0) {
        EnableSelection(true);
        CCorvaneCanvas* text = GetTextCanvas();
        if (text != nullptr && CanvasById(selectionCanvasId_) == nullptr) {
            CCorvaneCanvas* selection =
                CreateCanvas(std::max(viewWidth_, 1), std::max(viewHeight_, 1), kDefaultColorKey);
            if (selection != nullptr) {
                selectionCanvasId_ = selection->GetId();
                selection->SetZ(text->GetZ() + kPartDepthStep);
                selection->SetPos(text->GetX(), text->GetY());
                selection->SetPenColor(kRichSelectionColor, 1.0);
                selection->SetAlpha(kSelectionAlpha);
                selection->AddFlags(kSelectionOverlayFlag);
                selection->Hide();
                text->AttachChild(selection, kOverlayLink);
            }
        }
        if ((style & kRichEditable) != 0) {
            CreateCaret();
        }
    }
    BindLinkClicks();
    if ((style & kRichScrollBars) != 0) {
        CreateScrollBars();
        UpdateScrollBars();
    } else {
        for (int* id : {&vertBarId_, &horzBarId_}) {
            if (CCorvaneObject* bar = FindObjectById(*id)) {
                DestroyObject(bar, 0);
            }
            *id = 0;
        }
        vertBarShown_ = 0;
        horzBarShown_ = 0;
    }
    if ((style & kRichExtraPart) != 0) {
        CreateExtraPart();
    } else if (CCorvaneObject* extra = FindObjectById(extraPartId_)) {
        DestroyObject(extra, 0);
        extraPartId_ = 0;
    }
}

void CCorvaneRichText::CreateScrollBars() {
    CCorvaneCanvas* base = GetBaseCanvas();
    if (base == nullptr) {
        return;
    }
    const bool horizontal = (style_ & kRichSingleLine) != 0;
    int& barId = horizontal ? horzBarId_ : vertBarId_;
    if (ScrollBarById(barId) != nullptr) {
        return;
    }
    const int first = horizontal ? kSettingScrollHorzBack : kSettingScrollVertBack;
    const char* names[5] = {};
    for (int i = 0; i < 5; ++i) {
        const char* name = GetStringSetting(first + i);
        names[i] = name != nullptr ? name : "";
    }
    const FrameRecord back = GetResourceFrame(names[0], 0);
    const int thickness = std::max(1, horizontal ? back.height : back.width);
    auto* bar = new CCorvaneScrollBar;
    Register(bar);
    if (!bar->IsRegistered()) {
        delete bar;
        return;
    }
    barId = bar->GetId();
    bar->Create(GetId(), horizontal ? kScrollBarLength : thickness,
                horizontal ? thickness : kScrollBarLength, horizontal ? 0 : 1, 0);
    bar->SetZ(base->GetZ() + kScrollBarDepthAbove);
    base->AttachChild(bar, kScrollBarLink);
    bar->SetTrackImage(back);
    bar->SetThumbImage(GetResourceFrame(names[1], 0));
    bar->SetGrip(GetResourceFrame(names[2], 0));
    if (horizontal) {
        bar->CreateLeftButton(GetResourceFrame(names[3], 0));
        bar->CreateRightButton(GetResourceFrame(names[4], 0));
    } else {
        bar->CreateUpButton(GetResourceFrame(names[3], 0));
        bar->CreateDownButton(GetResourceFrame(names[4], 0));
    }
    bar->Hide();
}

void CCorvaneRichText::RedrawBackground() {
    CCorvaneCanvas* base = GetBaseCanvas();
    if (base == nullptr) {
        return;
    }
    base->Clear();
    if ((style_ & kRichBackgroundImage) != 0 && !backgroundImage_.empty()) {
        base->DrawImage(GetResourceFrame(backgroundImage_.c_str(), 0), 0, 0, 0, 0, 0.0, 1.0);
    }
}

void CCorvaneRichText::Update() {
    Redraw();
}

void CCorvaneRichText::SetMaxLines(int lines) {
    maxLines_ = lines;
    TrimLines();
}

void CCorvaneRichText::SetBackgroundSize(int width, int height) {
    CCorvaneCanvas* base = GetBaseCanvas();
    if (base == nullptr || width < 1 || height < 1) {
        return;
    }
    base->Resize(width, height);
    base->CCorvaneObject::Resize(static_cast<double>(width), static_cast<double>(height));
    RedrawBackground();
}

void CCorvaneRichText::SetBackgroundColor(uint32_t color) {
    style_ = (style_ | kRichBackgroundColor) & ~kRichBackgroundImage;
    if (CCorvaneCanvas* base = GetBaseCanvas()) {
        base->SetColorKey(color);
    }
    RedrawBackground();
}

void CCorvaneRichText::SetBackgroundImage(const char* name) {
    style_ = (style_ | kRichBackgroundImage) & ~kRichBackgroundColor;
    if (CCorvaneCanvas* base = GetBaseCanvas()) {
        base->SetColorKey(kDefaultColorKey);
    }
    backgroundImage_ = name != nullptr ? name : "";
    RedrawBackground();
}

void CCorvaneRichText::DrawBackgroundFrame(const FrameRecord& frame, int x, int y, int width,
                                           int height) {
    if (CCorvaneCanvas* base = GetBaseCanvas()) {
        base->DrawImage(frame, x, y, width, height, 0.0, 1.0);
    }
}

// ---------------------------------------------------------------------------
// Inherited operations

void CCorvaneRichText::SetPos(double x, double y) {
    CCorvaneControl::SetPos(x, y);
    Relayout();
}

void CCorvaneRichText::MoveBy(double dx, double dy) {
    CCorvaneControl::MoveBy(dx, dy);
    Relayout();
}

void CCorvaneRichText::Scale(double fx, double fy) {
    CCorvaneControl::Scale(fx, fy);
    width_ = static_cast<int>(GetWidth());
    height_ = static_cast<int>(GetHeight());
    SetViewSize(width_, height_);
}

void CCorvaneRichText::EnableDrag(int on) {
    CCorvaneCanvas* base = GetBaseCanvas();
    if (base == nullptr) {
        return;
    }
    if (on) {
        base->BindEvent(kEventDrag, GetId(), kEventDragMove, 0, 0);
    } else {
        base->UnbindEvent(kEventDrag);
    }
}

// ---------------------------------------------------------------------------
// Parts and small accessors

CCorvaneCanvas* CCorvaneRichText::CanvasById(int id) {
    return id == 0 ? nullptr : dynamic_cast<CCorvaneCanvas*>(FindObjectById(id));
}

CCorvaneScrollBar* CCorvaneRichText::ScrollBarById(int id) {
    return id == 0 ? nullptr : dynamic_cast<CCorvaneScrollBar*>(FindObjectById(id));
}

CCorvaneCanvas* CCorvaneRichText::GetTextCanvas() {
    return CanvasById(textCanvasId_);
}

CCorvaneCanvas* CCorvaneRichText::GetBaseCanvas() {
    return CanvasById(baseCanvasId_);
}

CCorvaneScrollBar* CCorvaneRichText::GetVertScrollBar() {
    return ScrollBarById(vertBarId_);
}

CCorvaneScrollBar* CCorvaneRichText::GetHorzScrollBar() {
    return ScrollBarById(horzBarId_);
}

CCorvaneObject* CCorvaneRichText::ObjectOf(const RichTextElement* element) {
    if (element == nullptr || !element->IsObject() || element->code == 0) {
        return nullptr;
    }
    return FindObjectById(element->ObjectId());
}

double CCorvaneRichText::GetObjectZ() {
    CCorvaneCanvas* text = GetTextCanvas();
    return (text != nullptr ? text->GetZ() : GetZ()) + kPartDepthStep;
}

void CCorvaneRichText::SetTextOffset(int x, int y) {
    textOffsetX_ = x;
    textOffsetY_ = y;
    SetViewSize(width_, height_);
}

void CCorvaneRichText::EnableMarkup(bool on) {
    style_ = on ? (style_ | kRichLiveLinks) : (style_ & ~kRichLiveLinks);
    BindLinkClicks();
}

void CCorvaneRichText::BindLinkClicks() {
    CCorvaneCanvas* text = GetTextCanvas();
    if (text == nullptr) {
        return;
    }
    if ((style_ & (kRichLiveLinks | kRichSelectable)) != 0) {
        text->BindEvent(kEventLButtonDown, GetId(), kEventLButtonDown, 0, 0);
    } else {
        text->UnbindEvent(kEventLButtonDown);
    }
}

void CCorvaneRichText::SetCapacity(int sizeLimit) {
    sizeLimit_ = std::clamp(sizeLimit, kRichMinFontSize, kRichMaxElementSide);
}

void CCorvaneRichText::SetTextColor(uint32_t color) {
    textColor_ = color;
    SetCaretColor(color);
}

void CCorvaneRichText::SetCaretColor(uint32_t color) {
    if (CCorvaneCanvas* caret = CanvasById(caretCanvasId_)) {
        caret->SetColorKey(color);
        caret->Clear();
    }
}

void CCorvaneRichText::SetFontSize(int pixels) {
    fontSize_ = std::clamp(pixels, kRichMinFontSize, kRichMaxElementSide);
}

void CCorvaneRichText::SetLineSpacing(int pixels) {
    lineSpacing_ = -static_cast<double>(ClampSide(std::abs(static_cast<int64_t>(pixels))));
}

void CCorvaneRichText::SetCharSpacing(int pixels) {
    charSpacing_ = ClampSide(std::abs(static_cast<int64_t>(pixels)));
}

// ---------------------------------------------------------------------------
// Faces

int CCorvaneRichText::AddFace(const char* name) {
    if (faceCount_ >= kRichMaxFaces) {
        return faceCount_;
    }
    CopyFaceName(faces_[faceCount_], name);
    return ++faceCount_;
}

const char* CCorvaneRichText::GetFace(int index) const {
    return index >= 0 && index < faceCount_ ? faces_[index] : nullptr;
}

const char* CCorvaneRichText::FindFace(const char* name) {
    if (name == nullptr || name[0] == '\0') {
        return nullptr;
    }
    char wanted[kRichFaceBytes];
    CopyFaceName(wanted, name);
    for (int i = 0; i < faceCount_; ++i) {
        if (std::strncmp(faces_[i], wanted, kRichFaceBytes) == 0) {
            return faces_[i];
        }
    }
    if (faceCount_ >= kRichMaxFaces) {
        return nullptr;
    }
    AddFace(wanted);
    return faces_[faceCount_ - 1];
}

// ---------------------------------------------------------------------------
// Elements

RichTextElement* CCorvaneRichText::AllocElement() {
    void* memory = poolReady_ ? pool_.Alloc(sizeof(RichTextElement)) : nullptr;
    return memory != nullptr ? new (memory) RichTextElement() : nullptr;
}

int CCorvaneRichText::AddChar(const char* bytes) {
    if (bytes == nullptr || bytes[0] == '\0') {
        return 0;
    }
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const bool doubleByte = lead > 0x80;
    if (doubleByte && bytes[1] == '\0') {
        return 1;  // a lead byte without its trail byte is dropped
    }
    RichTextElement* element = AllocElement();
    const int used = doubleByte ? 2 : 1;
    if (element == nullptr) {
        return used;
    }
    element->flags =
        (textFlags_ & kElementStyleFlags) | (doubleByte ? kElementDoubleByte : kElementSingleByte);
    if (doubleByte) {
        element->code = lead | static_cast<uint32_t>(static_cast<unsigned char>(bytes[1])) << 8;
        element->width = static_cast<uint16_t>(fontSize_);
        element->spacing = 2 * charSpacing_;
    } else {
        element->code = lead;
        element->width = static_cast<uint16_t>(fontSize_ / 2);
        element->spacing = charSpacing_;
        if (lead == '\n') {
            element->flags |= kElementLineEnd;
        }
    }
    element->height = static_cast<uint16_t>(fontSize_);
    element->color = textColor_;
    element->face = FindFace(face_);
    QueueElement(element);
    return used;
}

RichTextElement* CCorvaneRichText::NewElement(CCorvaneObject* object) {
    if (object == nullptr) {
        return nullptr;
    }
    RichTextElement* element = AllocElement();
    if (element == nullptr) {
        return nullptr;
    }
    if ((GetFlags() & kObjectTopmost) != 0) {
        object->SetTopmost();
    }
    if (CCorvaneCanvas* text = GetTextCanvas()) {
        IntRect area;
        text->GetClipRect(&area);
        object->SetClipRect(area);
    }
    object->SetZ(GetObjectZ());
    object->Invalidate();
    element->flags = kElementObject;
    element->width = static_cast<uint16_t>(ClampSide(static_cast<int64_t>(object->GetWidth())));
    element->height = static_cast<uint16_t>(ClampSide(static_cast<int64_t>(object->GetHeight())));
    element->code = static_cast<uint32_t>(object->GetId());
    element->spacing = 2 * charSpacing_;
    element->color = textColor_;
    return element;
}

void CCorvaneRichText::QueueElement(RichTextElement* element) {
    if (element == nullptr) {
        return;
    }
    element->next = nullptr;
    if (pendingTail_ != nullptr) {
        pendingTail_->next = element;
    } else {
        pendingHead_ = element;
    }
    pendingTail_ = element;
    ++pendingCount_;
}

void CCorvaneRichText::FlushElements() {
    if (pendingHead_ == nullptr) {
        return;
    }
    if (insertion_ != nullptr && insertion_ != first_ && PreviousOf(insertion_) == nullptr) {
        insertion_ = nullptr;  // not an element of the list: append
    }
    if (insertion_ != nullptr && first_ != nullptr) {
        CommitAtInsertionPoint();
    } else {
        CommitAtEnd();
    }
    pendingHead_ = nullptr;
    pendingTail_ = nullptr;
    pendingCount_ = 0;
}

void CCorvaneRichText::CommitAtInsertionPoint() {
    RichTextElement* before = PreviousOf(insertion_);
    if (before != nullptr) {
        before->next = pendingHead_;
    } else {
        first_ = pendingHead_;
    }
    pendingTail_->next = insertion_;
    elementCount_ += pendingCount_;
    RelayoutAll();
}

void CCorvaneRichText::CommitAtEnd() {
    if (last_ != nullptr) {
        last_->next = pendingHead_;
    } else {
        first_ = pendingHead_;
    }
    last_ = pendingTail_;
    const RichPoint pen = LayoutElements(penX_, penY_, pendingHead_, pendingCount_);
    penX_ = pen.x;
    penY_ = pen.y;
    elementCount_ += pendingCount_;
    contentHeight_ = last_->Bottom() - contentTop_;
    TrimLines();
}

RichTextElement* CCorvaneRichText::GetElement(int index) {
    if (index < 0 || index >= elementCount_) {
        return nullptr;
    }
    RichTextElement* element = first_;
    for (int i = 0; i < index && element != nullptr; ++i) {
        element = element->next;
    }
    return element;
}

RichTextElement* CCorvaneRichText::PreviousOf(RichTextElement* element) {
    RichTextElement* before = nullptr;
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        if (e == element) {
            return before;
        }
        before = e;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Appending

void CCorvaneRichText::ApplySelectionBeforeAppend() {
    if (selectionFirst_ != nullptr) {
        if ((style_ & kRichEditable) != 0) {
            DeleteForward();  // the selection goes; the caret stays where it was
        } else {
            insertion_ = nullptr;
        }
    } else if ((style_ & kRichEditable) == 0) {
        insertion_ = nullptr;
    }
}

void CCorvaneRichText::AppendOwnedText(char* text) {
    AppendText(text);
    FreeEventBlock(text);
}

void CCorvaneRichText::AppendText(const char* text) {
    if (text == nullptr || text[0] == '\0' || !created_) {
        return;
    }
    ApplySelectionBeforeAppend();
    ParseText(text);
    FollowContent();
    Redraw();
}

void CCorvaneRichText::InsertObject(CCorvaneObject* object) {
    if (object == nullptr || !created_) {
        return;
    }
    if (object->GetWidth() > viewWidth_ || object->GetHeight() > viewHeight_) {
        SendEvent(MakeEventRecord(object->GetId(), kEventInlineLayout, viewWidth_, viewHeight_));
    }
    ApplySelectionBeforeAppend();
    // Elements left over from an interrupted run are dropped.
    for (RichTextElement* e = pendingHead_; e != nullptr;) {
        RichTextElement* next = e->next;
        FreeElement(e);
        e = next;
    }
    pendingHead_ = pendingTail_ = nullptr;
    pendingCount_ = 0;
    QueueElement(NewElement(object));
    FlushElements();
    FollowContent();
    Redraw();
}

// ---------------------------------------------------------------------------
// Deleting

void CCorvaneRichText::DeleteRange(RichTextElement* from, RichTextElement* to) {
    if (from == nullptr) {
        return;
    }
    RichTextElement* before = PreviousOf(from);
    if (before == nullptr && from != first_) {
        return;  // not an element of this box
    }
    if (to == from) {
        to = from->next;
    }
    // An end that does not follow `from` limits the range to `from` alone.
    bool toFollows = to == nullptr;
    for (RichTextElement* e = from->next; e != nullptr && !toFollows; e = e->next) {
        toFollows = e == to;
    }
    if (!toFollows) {
        to = from->next;
    }
    bool selectionLost = false;
    for (RichTextElement* e = from; e != to;) {
        RichTextElement* next = e->next;
        selectionLost = selectionLost || e == selectionFirst_ || e == selectionLast_;
        FreeElement(e);
        --elementCount_;
        e = next;
    }
    if (before != nullptr) {
        before->next = to;
    } else {
        first_ = to;
    }
    if (to == nullptr) {
        last_ = before;
    }
    insertion_ = to;
    if (insertion_ == nullptr && before == nullptr) {
        insertion_ = first_;
    }
    if (selectionLost) {
        ClearSelection();
    }
    RelayoutAll();
}

void CCorvaneRichText::DeleteElement(RichTextElement* element) {
    if (element != nullptr) {
        DeleteRange(element, element->next);
    }
}

void CCorvaneRichText::RemoveElementAt(int index) {
    DeleteElement(GetElement(index));
}

void CCorvaneRichText::DeleteSelectionContent() {
    RichTextElement* from = selectionFirst_;
    RichTextElement* to = selectionLast_;
    ClearSelection();
    DeleteRange(from, to);
}

void CCorvaneRichText::DeleteBackward() {
    if (first_ == nullptr) {
        return;
    }
    if (selectionFirst_ != nullptr) {
        DeleteSelectionContent();
        PlaceCaret(insertion_);
        RecountContent();
        Redraw();
        return;
    }
    if (!IsCaretVisible() || insertion_ == first_) {
        return;
    }
    RichTextElement* victim = insertion_ != nullptr ? PreviousOf(insertion_) : last_;
    if (victim == nullptr) {
        return;
    }
    const int width = victim->width;
    RichTextElement* after = victim->next;
    DeleteElement(victim);
    insertion_ = after;
    if ((style_ & kRichSingleLine) != 0 && scrollX_ > 0) {
        scrollX_ = std::max(0, scrollX_ - width);
    }
    Redraw();
}

void CCorvaneRichText::DeleteForward() {
    if (first_ == nullptr) {
        return;
    }
    if (selectionFirst_ != nullptr) {
        DeleteSelectionContent();
        PlaceCaret(insertion_);
        RecountContent();
        Redraw();
        return;
    }
    if (!IsCaretVisible() || insertion_ == nullptr) {
        return;
    }
    DeleteElement(insertion_);
    Redraw();
}

void CCorvaneRichText::RemoveObject(int objectId, int destroyObject) {
    if (objectId == 0) {
        return;
    }
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        if (!e->IsObject() || e->ObjectId() != objectId) {
            continue;
        }
        if (!destroyObject) {
            e->code = 0;  // the object outlives its element
            links_.erase(e);
        }
        DeleteElement(e);
        return;
    }
}

void CCorvaneRichText::HideElementAt(int index) {
    RichTextElement* element = GetElement(index);
    if (element == nullptr) {
        return;
    }
    element->flags |= kElementHidden;
    if (CCorvaneObject* object = ObjectOf(element)) {
        object->Hide();
        object->Invalidate();
    }
    RelayoutAll();
    Redraw();
}

RichTextElement* CCorvaneRichText::ShowElementAt(int index, int* indexOut) {
    RichTextElement* element = GetElement(index);
    if (indexOut != nullptr) {
        *indexOut = element != nullptr ? index : -1;
    }
    if (element != nullptr && element->IsHidden()) {
        element->flags &= ~kElementHidden;
        RelayoutAll();
        Redraw();
    }
    return element;
}

void CCorvaneRichText::ShowAllElements() {
    for (RichTextElement* e = first_; e != nullptr; e = e->next) {
        e->flags &= ~kElementHidden;
    }
    RelayoutAll();
    Redraw();
}

void CCorvaneRichText::FreeElement(RichTextElement* element) {
    if (element == nullptr) {
        return;
    }
    if (element->IsObject()) {
        if (CCorvaneObject* object = ObjectOf(element)) {
            DestroyObject(object, 0);
        }
    }
    auto link = links_.find(element);
    if (link != links_.end()) {
        if (CCorvaneObject* record = FindObjectById(link->second)) {
            if (record->GetId() == hoveredLinkId_) {
                hoveredLinkId_ = 0;
            }
            DestroyObject(record, 0);
        }
        links_.erase(link);
    }
    element->~RichTextElement();
    pool_.Free(element);
}

void CCorvaneRichText::FreeAllElements() {
    for (RichTextElement* e = first_; e != nullptr;) {
        RichTextElement* next = e->next;
        FreeElement(e);
        e = next;
    }
    for (RichTextElement* e = pendingHead_; e != nullptr;) {
        RichTextElement* next = e->next;
        FreeElement(e);
        e = next;
    }
    first_ = last_ = nullptr;
    pendingHead_ = pendingTail_ = nullptr;
    pendingCount_ = 0;
}

void CCorvaneRichText::DestroyLinkRecords() {
    for (const auto& [element, id] : links_) {
        if (CCorvaneObject* record = FindObjectById(id)) {
            DestroyObject(record, 0);
        }
    }
    links_.clear();
}

void CCorvaneRichText::Reset() {
    if (auto* hovered = dynamic_cast<CCorvaneRichTextElement*>(FindObjectById(hoveredLinkId_))) {
        hovered->HideHoverPicture();
    }
    hoveredLinkId_ = 0;
    const bool caretShown = IsCaretVisible();
    ClearSelection();
    DetachDrawnObjects();
    HideCaret();
    FreeAllElements();
    DestroyLinkRecords();
    if (poolReady_) {
        pool_.Reset();
    }
    penX_ = penY_ = 0;
    scrollX_ = scrollY_ = 0;
    contentTop_ = 0;
    ForbidReuse();
    contentHeight_ = contentWidth_ = 0;
    lineHeight_ = 0;
    openLineCounted_ = false;
    lineCount_ = 0;
    elementCount_ = 0;
    insertion_ = nullptr;
    faceCount_ = std::min(faceCount_, kFacesKeptByReset);
    if (CCorvaneCanvas* text = GetTextCanvas()) {
        text->Clear();
        text->Invalidate();
    }
    UpdateScrollBars();
    if (caretShown) {
        PlaceCaret(nullptr);
    }
}

// The caret canvas is created here; everything else about it is input.
void CCorvaneRichText::CreateCaret() {
    CCorvaneCanvas* selection = CanvasById(selectionCanvasId_);
    if (CanvasById(caretCanvasId_) != nullptr || selection == nullptr) {
        return;
    }
    CCorvaneCanvas* caret = CreateCanvas(1, kCaretHeight, textColor_);
    if (caret == nullptr) {
        return;
    }
    caretCanvasId_ = caret->GetId();
    caret->SetZ(selection->GetZ() + kPartDepthStep);
    if (CCorvaneCanvas* text = GetTextCanvas()) {
        IntRect area;
        text->GetClipRect(&area);
        caret->SetClipRect(area);
    }
    caret->Clear();
    caret->Hide();
    selection->AttachChild(caret, kOverlayLink);
}
