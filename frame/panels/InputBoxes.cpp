#include "frame/panels/InputBoxes.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/SceneGeometry.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneTextItem.h"

namespace {

constexpr char kFrameImage[] = "InputBoxBkg";
constexpr char kDropImage[] = "btnQuickChat";
constexpr uint32_t kColourKey = 0xFF00FF;
constexpr uint32_t kEditStyle = 0x42000;
constexpr uint32_t kFaceLink = 0x1BC0EB;
constexpr uint32_t kPartLink = 0x1980A2 | kLinkOwned;
constexpr int kSingleLineHeight = 14;
constexpr uint32_t kMultiLine = 0x4;
constexpr uint32_t kEntryColour = 0xA40755;
constexpr uint32_t kListColour = 0x2E7412;
constexpr double kDropListDepth = 95000;

FrameRecord Piece(const FrameRecord& image, int x, int y, int width, int height) {
    FrameRecord piece = image;
    piece.offsetX = image.offsetX + x;
    piece.offsetY = image.offsetY + y;
    piece.width = width;
    piece.height = height;
    return piece;
}

void DrawPiece(CCorvaneCanvas& canvas, const FrameRecord& image, int sx, int sy, int sw, int sh,
               int dx, int dy, int dw, int dh) {
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) {
        return;
    }
    canvas.DrawImage(Piece(image, sx, sy, sw, sh), dx, dy, dw, dh, 0.0, 1.0);
}

// The picture as nine pieces: corners of a third of the smaller extent on
// each axis, edges stretched along, the centre both ways.
void DrawNinePieces(CCorvaneCanvas& canvas, const FrameRecord& image, int width, int height) {
    if (image.record == nullptr || image.width <= 0 || image.height <= 0) {
        return;
    }
    const int cw = std::min(width, image.width) / 3;
    const int ch = std::min(height, image.height) / 3;
    const int sxs[3] = {0, cw, image.width - cw};
    const int sws[3] = {cw, image.width - 2 * cw, cw};
    const int dxs[3] = {0, cw, width - cw};
    const int dws[3] = {cw, width - 2 * cw, cw};
    const int sys[3] = {0, ch, image.height - ch};
    const int shs[3] = {ch, image.height - 2 * ch, ch};
    const int dys[3] = {0, ch, height - ch};
    const int dhs[3] = {ch, height - 2 * ch, ch};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            DrawPiece(canvas, image, sxs[col], sys[row], sws[col], shs[row], dxs[col], dys[row],
                      dws[col], dhs[row]);
        }
    }
}

// Three pieces across: both ends from the picture, the middle stretched.
void DrawThreePieces(CCorvaneCanvas& canvas, const FrameRecord& image, int width, int height) {
    if (image.record == nullptr || image.width <= 0 || image.height <= 0) {
        return;
    }
    if (image.width < width) {
        const int half = image.width / 2;
        DrawPiece(canvas, image, 0, 0, half, image.height, 0, 0, half, height);
        DrawPiece(canvas, image, half, 0, 1, image.height, half, 0, width - 2 * half, height);
        DrawPiece(canvas, image, image.width - half, 0, half, image.height, width - half, 0, half,
                  height);
    } else {
        const int left = std::min((width + 1) / 2, image.width);
        const int right = width - left;
        DrawPiece(canvas, image, 0, 0, left, image.height, 0, 0, left, height);
        DrawPiece(canvas, image, image.width - right, 0, right, image.height, left, 0, right,
                  height);
    }
}

void ResizeCanvas(CCorvaneCanvas& canvas, int width, int height) {
    canvas.Resize(width, height);
    canvas.CCorvaneObject::Resize(width, height);
}

void MoveCentreTo(CCorvaneObject& object, double x, double y) {
    object.MoveBy(x - object.GetX(), y - object.GetY());
}

// Makes the face and frame canvases and the edit of a framed box; the ids
// of frame and edit, 0 where nothing was made.
struct FramedParts {
    int frameId = 0;
    int editId = 0;
};

FramedParts MakeFramedParts(CCorvaneControl& box, int width, int height) {
    FramedParts parts;
    CCorvaneCanvas* face = box.CreateCanvas(std::max(width, 1), std::max(height, 1), kColourKey);
    CCorvaneCanvas* frame = box.CreateCanvas(std::max(width, 1), std::max(height, 1), kColourKey);
    if (face == nullptr || frame == nullptr) {
        box.DestroyObject(face, 0);
        box.DestroyObject(frame, 0);
        return parts;
    }
    face->Show();
    box.PeerSetUp(face, kFaceLink);
    FrameRecord image;
    box.GetResourceFrame(&image, kFrameImage, 0);
    frame->DrawImage(image, 0, 0, frame->GetCanvasWidth(), frame->GetCanvasHeight(), 0.0, 1.0);
    frame->SetZ(box.GetZ() + 0.1);
    MoveCentreTo(*frame, box.GetX(), box.GetY());
    face->AttachChild(frame, kPartLink);
    parts.frameId = frame->GetId();

    auto* edit = new CInputEdit;
    box.Register(edit);
    if (edit->IsRegistered() == 0) {
        delete edit;
        return parts;
    }
    edit->Create(std::max(width - 4, 1), std::max(height - 4, 1), kEditStyle);
    edit->SetBackgroundColor(kInputEditBack);
    edit->SetTextColor(0);
    edit->SetZ(box.GetZ() + 0.2);
    MoveCentreTo(*edit, box.GetX(), box.GetY());
    edit->TakeFocus();
    face->AttachChild(edit, kPartLink);
    parts.editId = edit->GetId();
    return parts;
}

char* CopyOfEditText(CInputEdit* edit) {
    return edit != nullptr ? edit->GetText() : nullptr;
}

// The drop button: tells its box of a press before the press moves the
// focus away from the box's list.
class CDropButton : public CCorvaneButton {
public:
    explicit CDropButton(int boxId) : boxId_(boxId) {}
    void OnMouseDown() override {
        SendEvent(MakeEventRecord(boxId_, kEventDropButtonPressed, 0, 0));
        CCorvaneButton::OnMouseDown();
    }

private:
    int boxId_;
};

}  // namespace

// ---------------------------------------------------------------------------
// CInputEdit

void CInputEdit::InsertText(const char* text) {
    if (text == nullptr || text[0] == '\0') {
        return;
    }
    const int max = GetMaxLength();
    if (max > 0 && GetTextLength() >= max) {
        OnTextFull();
        return;
    }
    // Cut to the room left at a whole character, so the text never passes
    // the limit and a double-byte character is never split.
    const long long room = max > 0 ? static_cast<long long>(max) - GetTextLength() : -1;
    const std::string piece = EditLiteralText(text, room, true);
    if (piece.empty()) {
        return;
    }
    if ((flags_ & kInputBoldText) != 0) {
        CCorvaneRichText::AppendText(("<e=b>" + piece + "<>").c_str());
    } else {
        CCorvaneRichText::AppendText(piece.c_str());
    }
    Redraw();
}

void CInputEdit::OnChar(const InputState& input) {
    if ((flags_ & kInputKeyboardDigits) == 0) {
        return;
    }
    // Characters, not key codes: only the ten digits.
    const unsigned char c = input.character[0];
    if (c >= '0' && c <= '9') {
        CCorvaneEdit::OnChar(input);
    }
}

void CInputEdit::OnKeyDown(const InputState& input) {
    if ((flags_ & kInputKeyboardDigits) != 0) {
        CCorvaneEdit::OnKeyDown(input);
    }
}

void CInputEdit::TakeFocus() {
    SetFocus(GetId());
    PlaceCaret(GetInsertionPoint());
    ClearHint();
}

// ---------------------------------------------------------------------------
// CInputBox

CInputEdit* CInputBox::GetEdit() {
    return dynamic_cast<CInputEdit*>(FindObjectById(editId_));
}

CCorvaneCanvas* CInputBox::GetFrame() {
    return FindCanvasById(frameId_);
}

void CInputBox::Create() {
    FrameRecord image;
    GetResourceFrame(&image, kFrameImage, 0);
    const FramedParts parts = MakeFramedParts(*this, image.width, image.height);
    frameId_ = parts.frameId;
    editId_ = parts.editId;
    if (CCorvaneCanvas* frame = GetFrame()) {
        FillRect(2, 2, frame->GetCanvasWidth() - 2, frame->GetCanvasHeight() - 2, kInputEditBack);
    }
}

void CInputBox::SetSize(int width, int height) {
    if (width < 0 || height < 0) {
        return;
    }
    width_ = width;
    height_ = height;
    Layout();
}

void CInputBox::SetWidth(int width) {
    if (width < 0) {
        return;
    }
    width_ = width;
    Layout();
}

void CInputBox::SetHeight(int height) {
    if (height < 0) {
        return;
    }
    height_ = height;
    Layout();
}

void CInputBox::Layout() {
    FrameRecord image;
    GetResourceFrame(&image, kFrameImage, 0);
    const int width = width_ > 0 ? width_ : std::max(image.width, 1);
    const int height = height_ > 0 ? height_ : std::max(image.height, 1);
    if (CCorvaneCanvas* face = dynamic_cast<CCorvaneCanvas*>(GetPeer())) {
        ResizeCanvas(*face, width, height);
    }
    CCorvaneCanvas* frame = GetFrame();
    if (frame == nullptr) {
        return;
    }
    ResizeCanvas(*frame, width, height);
    frame->Clear();
    DrawNinePieces(*frame, image, width, height);
    MoveCentreTo(*frame, GetX(), GetY());
    frame->Show();
    if (CInputEdit* edit = GetEdit()) {
        const bool multiLine = (edit->CCorvaneObject::GetFlags() & kMultiLine) != 0;
        const int editHeight = multiLine ? height - 4 : kSingleLineHeight;
        edit->SetSize(width - 4, editHeight);
        edit->SetViewSize(width - 4, editHeight);
        MoveCentreTo(*edit, frame->GetX(), frame->GetY());
        edit->Show();
    }
    FillRect(2, 2, width - 2, height - 2, kInputEditBack);
}

void CInputBox::SetFocus() {
    if (CInputEdit* edit = GetEdit()) {
        edit->TakeFocus();
    }
}

void CInputBox::Clear() {
    if (CInputEdit* edit = GetEdit()) {
        edit->Reset();
    }
}

void CInputBox::SetText(const char* text) {
    if (CInputEdit* edit = GetEdit()) {
        edit->InsertText(text);
        edit->TakeFocus();
    }
}

char* CInputBox::GetText() {
    return CopyOfEditText(GetEdit());
}

void CInputBox::FillRect(int x0, int y0, int x1, int y1, uint32_t colour) {
    CCorvaneCanvas* frame = GetFrame();
    if (frame == nullptr || colour == kColourKey) {
        return;
    }
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, frame->GetCanvasWidth());
    y1 = std::min(y1, frame->GetCanvasHeight());
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            frame->SetPixel(x, y, colour);
        }
    }
}

void CInputBox::SetMaxLength(int bytes) {
    if (CInputEdit* edit = GetEdit()) {
        edit->SetMaxLength(bytes);
    }
}

void CInputBox::SetEditFlags(uint32_t flags) {
    if (CInputEdit* edit = GetEdit()) {
        edit->SetOptionFlags(flags);
    }
}

uint32_t CInputBox::GetEditFlags() {
    CInputEdit* edit = GetEdit();
    return edit != nullptr ? edit->GetOptionFlags() : 0;
}

// ---------------------------------------------------------------------------
// CDropList

void CDropList::RemoveItem(const char* caption) {
    if (CCorvaneTextItem* item = FindItem(caption)) {
        // The list forgets rows that are gone.
        RemoveChild(item->GetId());
        DestroyObject(item, 0);
    }
    Layout();
}

// ---------------------------------------------------------------------------
// CDropInputBox

CInputEdit* CDropInputBox::GetEdit() {
    return dynamic_cast<CInputEdit*>(FindObjectById(editId_));
}

CDropList* CDropInputBox::GetList() {
    return dynamic_cast<CDropList*>(FindObjectById(listId_));
}

CCorvaneButton* CDropInputBox::GetDropButton() {
    return dynamic_cast<CCorvaneButton*>(FindObjectById(buttonId_));
}

CCorvaneCanvas* CDropInputBox::GetFrame() {
    return FindCanvasById(frameId_);
}

void CDropInputBox::Create() {
    FrameRecord image;
    GetResourceFrame(&image, kFrameImage, 0);
    const FramedParts parts = MakeFramedParts(*this, image.width, image.height);
    frameId_ = parts.frameId;
    editId_ = parts.editId;
    CCorvaneObject* face = GetPeer();
    if (face == nullptr) {
        return;
    }
    FrameRecord drop;
    GetResourceFrame(&drop, kDropImage, 0);
    auto* button = new CDropButton(GetId());
    Register(button);
    if (button->IsRegistered() == 0) {
        delete button;
        return;
    }
    const EventRecord notify = MakeEventRecord(GetId(), kEventDropButton, 0, 0);
    button->Create(drop, &notify, 0, kObjectPixelHitTest);
    button->SetSound(kButtonLookHover, "SndTouchButton");
    button->SetSound(kButtonLookPressed, "SndHitButton");
    button->SetZ(GetZ() + 0.3);
    face->AttachChild(button, kPartLink);
    buttonId_ = button->GetId();
    Layout();
}

void CDropInputBox::Layout() {
    FrameRecord image;
    GetResourceFrame(&image, kFrameImage, 0);
    FrameRecord drop;
    GetResourceFrame(&drop, kDropImage, 0);
    const int width = width_ > 0 ? width_ : std::max(image.width, 1);
    const int height = std::max(image.height, 1);
    if (CCorvaneCanvas* face = dynamic_cast<CCorvaneCanvas*>(GetPeer())) {
        ResizeCanvas(*face, width, height);
    }
    CCorvaneCanvas* frame = GetFrame();
    if (frame == nullptr) {
        return;
    }
    ResizeCanvas(*frame, width, height);
    frame->Clear();
    DrawThreePieces(*frame, image, width, height);
    MoveCentreTo(*frame, GetX(), GetY());
    frame->Show();
    if (CInputEdit* edit = GetEdit()) {
        const int editWidth = std::max(width - std::max(drop.width, 0), 1);
        const int editHeight = std::max(TruncToInt(edit->GetHeight()), 1);
        edit->SetSize(editWidth, editHeight);
        edit->SetViewSize(editWidth, editHeight);
        MoveCentreTo(*edit, frame->GetLeft() + 3 + editWidth / 2.0, GetY());
        edit->Show();
    }
    if (CCorvaneButton* button = GetDropButton()) {
        const double right = frame->GetRight() + 1;
        MoveCentreTo(*button, right - button->GetWidth() / 2.0, GetY());
        button->Show();
    }
}

void CDropInputBox::SetWidth(int width) {
    if (width < 0) {
        return;
    }
    width_ = width;
    Layout();
}

void CDropInputBox::SetText(const char* text) {
    if (CInputEdit* edit = GetEdit()) {
        edit->InsertText(text);
        edit->TakeFocus();
    }
}

void CDropInputBox::Clear() {
    if (CInputEdit* edit = GetEdit()) {
        edit->Reset();
    }
}

void CDropInputBox::SetFocus() {
    if (CInputEdit* edit = GetEdit()) {
        edit->TakeFocus();
    }
}

char* CDropInputBox::GetText() {
    return CopyOfEditText(GetEdit());
}

void CDropInputBox::SetMaxLength(int bytes) {
    if (CInputEdit* edit = GetEdit()) {
        edit->SetMaxLength(bytes);
    }
}

void CDropInputBox::AddEntry(const char* text) {
    CDropList* list = GetList();
    if (list == nullptr) {
        auto* made = new CDropList;
        Register(made);
        if (made->IsRegistered() == 0) {
            delete made;
            return;
        }
        const int width = width_ > 0 ? width_ : TruncToInt(GetWidth());
        made->Create(std::max(width - 2, 1), 20, 12, kListColour);
        made->SetTopmost();
        made->SetFocusable(1);
        made->SetZ(kDropListDepth);
        listId_ = made->GetId();
        list = made;
    }
    if (entries_.size() >= static_cast<size_t>(kDropEntryLimit)) {
        list->RemoveItem(entries_.front().c_str());
        entries_.pop_front();
    }
    // A list node never moves: the item's record may point at its text.
    entries_.emplace_back(text != nullptr ? text : "");
    const EventRecord notify =
        MakeEventRecord(GetId(), kEventDropEntryChosen, EventParam(entries_.back().c_str()),
                        static_cast<intptr_t>(list->GetId()));
    list->AddItem(entries_.back().c_str(), &notify, kEntryColour, 0);
}

void CDropInputBox::ToggleList() {
    CDropList* list = GetList();
    if (list == nullptr) {
        return;
    }
    if (list->IsVisible() != 0) {
        list->Hide();
        return;
    }
    list->SetFocus(list->GetId());
    if (CCorvaneButton* button = GetDropButton()) {
        // Top-right corner at the drop button's bottom-right corner.
        MoveCentreTo(*list, button->GetRight() - list->GetWidth() / 2.0,
                     button->GetBottom() + list->GetHeight() / 2.0);
    }
    list->Show();
    list->Invalidate();
}

int CDropInputBox::OnEvent(const EventRecord& record) {
    if (record.event == kEventDropButtonPressed) {
        CDropList* list = GetList();
        listOpenAtPress_ = list != nullptr && list->IsVisible() != 0;
        return 1;
    }
    if (record.event == kEventDropButton) {
        // The press already closed an open list; the click leaves it so.
        if (!listOpenAtPress_) {
            ToggleList();
        } else if (CDropList* list = GetList()) {
            list->Hide();
        }
        listOpenAtPress_ = false;
    } else if (record.event == kEventDropEntryChosen) {
        // The entry's text is copied before the edit changes anything.
        const std::string chosen =
            record.param1 != 0 ? std::string(reinterpret_cast<const char*>(record.param1)) : "";
        Clear();
        SetText(chosen.c_str());
        if (CCorvaneObject* list = FindObjectById(static_cast<int>(record.param2))) {
            list->Hide();
        }
    }
    return CCorvaneControl::OnEvent(record);
}
