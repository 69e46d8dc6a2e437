#include "engine/ui/CorvaneComboBox.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"

namespace {

constexpr char kLabelFace[] = "宋体";
constexpr int kLabelWeight = 400;
constexpr double kFlatDepth = 0.1;
constexpr double kInputDepth = 0.2;
constexpr uint32_t kButtonFaceExact = 4;

int TextBytes(const char* text) {
    return text != nullptr ? static_cast<int>(std::min<size_t>(std::strlen(text), INT_MAX / 512))
                           : 0;
}

// A canvas side from a computed value: at least one pixel.
int Side(long long value) {
    return static_cast<int>(std::clamp<long long>(value, 1, kRichMaxElementSide));
}

}  // namespace

// ---------------------------------------------------------------------------
// CCorvaneComboEdit

void CCorvaneComboEdit::Create(int width, int height, int multiLine) {
    CCorvaneEdit::Create(width - 10, height - 6, multiLine == 0 ? kRichSingleLine : 0);
    SetTopmost();
    SetBackgroundSize(width, height);
    SetColors(frameColor_, hoverFrameColor_, 0);
    if (CCorvaneCanvas* text = GetTextCanvas()) {
        for (int event : {kEventMouseEnter, kEventMouseLeave, kEventPressEnd}) {
            text->BindEvent(event, GetId(), event, 0, 0);
        }
    }
    BindEvent(kEventFocusLost, GetId(), kEventComboFocusLost, 0, 0);
    BindEventToSelf(kEventFocusGained);
    ShowInactive();
}

void CCorvaneComboEdit::SetText(const char* text) {
    committed_ = text != nullptr ? text : "";
    Reset();
    const std::string shown = committed_;  // InsertText may commit again
    InsertText(shown.c_str());
}

void CCorvaneComboEdit::SetColors(uint32_t frame, uint32_t hoverFrame, uint32_t caret) {
    frameColor_ = frame;
    hoverFrameColor_ = hoverFrame;
    SetBackgroundColor(backgroundColor_);
    SetTextColor(inactiveTextColor_);
    SetCaretColor(caret);
    DrawFrame(frameColor_);
}

void CCorvaneComboEdit::DrawFrame(uint32_t color) {
    CCorvaneCanvas* base = GetBaseCanvas();
    if (color == kComboNoFrame || base == nullptr) {
        return;
    }
    base->DrawBorder(1, color);
    base->Invalidate();
}

void CCorvaneComboEdit::ShowActive() {
    ChangeStyle(kRichFollow, true);
    SetTextColor(0);
    const std::string text = committed_;
    SetText(text.c_str());
}

void CCorvaneComboEdit::ShowInactive() {
    ChangeStyle(kRichFollow, false);
    SetTextColor(inactiveTextColor_);
    const std::string text = committed_;
    SetText(text.c_str());
}

void CCorvaneComboEdit::Commit() {
    if (char* text = GetText()) {
        committed_ = text;
        FreeEventBlock(text);
    }
}

void CCorvaneComboEdit::SetBackgroundImage(const char* name) {
    frameColor_ = kComboNoFrame;
    hoverFrameColor_ = kComboNoFrame;
    CCorvaneEdit::SetBackgroundImage(name);
}

void CCorvaneComboEdit::OnDeactivate() {
    Commit();
    CCorvaneEdit::OnDeactivate();
    ShowInactive();
}

void CCorvaneComboEdit::OnEnter() {
    Commit();
    CCorvaneEdit::OnEnter();
    ShowInactive();
}

void CCorvaneComboEdit::OnTab() {
    Commit();
    ShowInactive();
    CCorvaneEdit::OnTab();
}

void CCorvaneComboEdit::TakeFocus() {
    ChangeStyle(kRichFollow, true);
    ShowActive();
    CCorvaneEdit::TakeFocus();
}

int CCorvaneComboEdit::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventMouseEnter:
        case kEventMouseLeave: {
            const uint32_t color =
                record.event == kEventMouseEnter ? hoverFrameColor_ : frameColor_;
            if (color != kComboNoFrame) {
                DrawFrame(color);
                Invalidate();
            }
            return 1;
        }
        case kEventFocusGained:
            ChangeStyle(kRichFollow, true);
            Commit();
            ShowActive();
            SelectAll();
            return 1;
        case kEventComboFocusLost:
            return 1;
        default:
            return CCorvaneEdit::OnEvent(record);
    }
}

// ---------------------------------------------------------------------------
// CCorvaneComboItem

int CCorvaneComboItem::OnEvent(const EventRecord& record) {
    if (record.event == kEventLButtonDown) {
        Select();
        return 1;
    }
    return CCorvaneCheckBox::OnEvent(record);
}

void CCorvaneComboItem::Select() {
    if (GetState() != 0) {
        return;
    }
    StoreState(1);
    ShowFrame(1);
    PostNotify(GetOnNotify());
}

// ---------------------------------------------------------------------------
// CCorvaneComboBox: adding parts

void CCorvaneComboBox::Place(int key, CCorvaneObject* part, int x, int y, int width, int height,
                             double dz) {
    CCorvaneObject* base = GetPeerOrSelf();
    part->SetPos(base->GetLeft() + width / 2 + x, base->GetTop() + height / 2 + y);
    part->SetZ(GetZ() + dz);
    if (dz == kInputDepth) {
        part->Invalidate();
    }
    AttachChild(part, kComboPartLink);
    parts_.emplace(key, part->GetId());
}

CCorvaneCanvas* CCorvaneComboBox::AddLabel(int key, int x, int y, const char* text, int fontSize,
                                           uint32_t color) {
    const char* shown = text != nullptr ? text : "";
    const int size = std::clamp(fontSize, 1, kRichMaxElementSide);
    CCorvaneCanvas* canvas = CreateCanvas(Side(static_cast<long long>(TextBytes(shown)) * size / 2),
                                          size, kComboNoFrame);
    if (canvas == nullptr) {
        return nullptr;
    }
    canvas->SetFont(size, kLabelWeight, kLabelFace);
    canvas->SetPenColor(color, 1.0);
    canvas->DrawText(0, 0, shown);
    Place(key, canvas, x, y, static_cast<int>(canvas->GetWidth()),
          static_cast<int>(canvas->GetHeight()), kFlatDepth);
    if (IsVisible() != 0) {
        canvas->Show();
    }
    return canvas;
}

CCorvanePicture* CCorvaneComboBox::AddPicture(int key, int x, int y, const FrameRecord& frame) {
    CCorvanePicture* picture = CreatePicture(frame);
    if (picture == nullptr) {
        return nullptr;
    }
    Place(key, picture, x, y, static_cast<int>(picture->GetWidth()),
          static_cast<int>(picture->GetHeight()), kFlatDepth);
    return picture;
}

CCorvaneComboEdit* CCorvaneComboBox::AddEdit(int key, int x, int y, int width, int height) {
    auto* edit = new CCorvaneComboEdit;
    Register(edit);
    edit->Create(width, height, 0);
    Place(key, edit, x, y, width, height, kInputDepth);
    RelinkTabRing();
    return edit;
}

CCorvaneCheckBox* CCorvaneComboBox::AddCheckBox(int key, int x, int y, const FrameRecord& frame,
                                                int state) {
    auto* box = new CCorvaneCheckBox;
    Register(box);
    box->Create(frame, state);
    Place(key, box, x, y, static_cast<int>(box->GetWidth()), static_cast<int>(box->GetHeight()),
          kInputDepth);
    return box;
}

CCorvaneComboItem* CCorvaneComboBox::AddRadioItem(int key, int x, int y, const FrameRecord& frame,
                                                  int state) {
    auto* item = new CCorvaneComboItem;
    Register(item);
    item->Create(frame, state);
    Place(key, item, x, y, static_cast<int>(item->GetWidth()), static_cast<int>(item->GetHeight()),
          kInputDepth);
    return item;
}

CCorvaneButton* CCorvaneComboBox::AddButton(int key, int x, int y, const FrameRecord& frame,
                                            const EventRecord* notify) {
    auto* button = new CCorvaneButton;
    Register(button);
    button->Create(frame, notify, kButtonKeyboard, kButtonFaceExact);
    Place(key, button, x, y, static_cast<int>(button->GetWidth()),
          static_cast<int>(button->GetHeight()), kInputDepth);
    return button;
}

CCorvaneCanvas* CCorvaneComboBox::CreateImageChild(int width, int height,
                                                   CCorvanePicture* picture) {
    CCorvaneCanvas* canvas = CreateCanvas(Side(width), Side(height), kComboNoFrame);
    if (canvas == nullptr) {
        return nullptr;
    }
    if (picture != nullptr) {
        canvas->DrawImage(picture->GetFrameInfo(), 0, 0, -1, -1, 0.0, 1.0);
    }
    AttachChild(canvas, kComboPartLink);
    return canvas;
}

void CCorvaneComboBox::RelinkTabRing() {
    CCorvaneComboEdit* first = nullptr;
    CCorvaneComboEdit* previous = nullptr;
    for (const auto& entry : parts_) {
        CCorvaneComboEdit* edit = EditOf(entry.first);
        if (edit == nullptr) {
            continue;
        }
        if (previous != nullptr) {
            previous->SetNextField(edit);
        } else {
            first = edit;
        }
        previous = edit;
    }
    if (previous != nullptr) {
        previous->SetNextField(first);
    }
}

// ---------------------------------------------------------------------------
// CCorvaneComboBox: keyed operations

CCorvaneObject* CCorvaneComboBox::GetPart(int key) {
    const auto found = parts_.find(key);
    return found != parts_.end() ? FindObjectById(found->second) : nullptr;
}

CCorvaneObject* CCorvaneComboBox::PartOfKind(int key, int kind) {
    CCorvaneObject* part = GetPart(key);
    return part != nullptr && part->GetType() == kind ? part : nullptr;
}

CCorvaneCanvas* CCorvaneComboBox::LabelOf(int key) {
    return dynamic_cast<CCorvaneCanvas*>(PartOfKind(key, kKindCanvas));
}

CCorvaneComboEdit* CCorvaneComboBox::EditOf(int key) {
    return dynamic_cast<CCorvaneComboEdit*>(PartOfKind(key, kKindComboEdit));
}

CCorvaneCheckBox* CCorvaneComboBox::CheckOf(int key) {
    return dynamic_cast<CCorvaneCheckBox*>(PartOfKind(key, kKindCheckBox));
}

void CCorvaneComboBox::SetLabel(int key, const char* text, int fontSize, uint32_t color) {
    CCorvaneCanvas* canvas = LabelOf(key);
    if (canvas == nullptr) {
        return;
    }
    canvas->SetPenColor(color, 1.0);
    canvas->SetFont(std::clamp(fontSize, 1, kRichMaxElementSide), kLabelWeight, kLabelFace);
    SetLabelText(key, text);
}

void CCorvaneComboBox::SetLabelText(int key, const char* text) {
    CCorvaneCanvas* canvas = LabelOf(key);
    if (canvas == nullptr) {
        return;
    }
    const char* shown = text != nullptr ? text : "";
    const int size = std::clamp(canvas->GetFontDesc().height, 1, kRichMaxElementSide);
    const int width = Side((static_cast<long long>(size) + 1) * TextBytes(shown) / 2);
    const double left = canvas->GetLeft();
    const double top = canvas->GetTop();
    canvas->Resize(width, size);
    canvas->CCorvaneObject::Resize(static_cast<double>(width), static_cast<double>(size));
    canvas->SetPos(left + width / 2.0, top + size / 2.0);
    canvas->Clear();
    canvas->DrawText(0, 0, shown);
    canvas->Invalidate();
}

void CCorvaneComboBox::SetEditNumber(int key, int value) {
    if (CCorvaneComboEdit* edit = EditOf(key)) {
        edit->SetText(std::to_string(value).c_str());
    }
}

void CCorvaneComboBox::SetEditText(int key, const char* text) {
    if (CCorvaneComboEdit* edit = EditOf(key)) {
        edit->SetText(text);
        edit->Invalidate();
    }
}

void CCorvaneComboBox::SetCheck(int key, int state) {
    if (CCorvaneCheckBox* box = CheckOf(key)) {
        box->SetCheck(state);
    }
}

void CCorvaneComboBox::SetPicture(int key, const FrameRecord& frame) {
    if (auto* picture = dynamic_cast<CCorvanePicture*>(PartOfKind(key, kKindPicture))) {
        picture->SetFrame(frame, 1);
        picture->Invalidate();
    }
}

void CCorvaneComboBox::ShowPart(int key) {
    if (CCorvaneObject* part = GetPart(key)) {
        SetChildLinkFlags(part->GetId(), GetChildLinkFlags(part->GetId()) | kComboShownLink);
        part->Show();
        part->Invalidate();
    }
}

void CCorvaneComboBox::HidePart(int key) {
    if (CCorvaneObject* part = GetPart(key)) {
        SetChildLinkFlags(part->GetId(), GetChildLinkFlags(part->GetId()) & ~kComboShownLink);
        part->Hide();
        part->Invalidate();
    }
}

void CCorvaneComboBox::RemovePart(int key) {
    CCorvaneObject* part = GetPart(key);
    parts_.erase(key);
    if (part == nullptr) {
        return;
    }
    // The part lingers, hidden, until its deferred destroy: nothing may
    // lead to it or type into it meanwhile.
    if (auto* edit = dynamic_cast<CCorvaneComboEdit*>(part)) {
        edit->SetNextField(nullptr);
        RelinkTabRing();
    }
    if (part->HasFocus() != 0) {
        SetFocus(0);
    }
    DestroyObject(part, 1);
}

void CCorvaneComboBox::ClearEdits(int key) {
    if (key >= 0) {
        if (CCorvaneComboEdit* edit = EditOf(key)) {
            edit->SetText("");
        }
        return;
    }
    for (const auto& entry : parts_) {
        if (CCorvaneComboEdit* edit = EditOf(entry.first)) {
            edit->SetText("");
        }
    }
}

void CCorvaneComboBox::ClearChecks(int key) {
    if (key >= 0) {
        SetCheck(key, 0);
        return;
    }
    for (const auto& entry : parts_) {
        SetCheck(entry.first, 0);
    }
}
