#include "engine/ui/CorvaneButton.h"

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "engine/ImageRecord.h"
#include "engine/ui/HandCursor.h"
#include "platform/Input.h"

namespace {

constexpr double kCaptionAboveFace = 0.01;
constexpr int kCaptionWeight = 400;
constexpr char kCaptionFace[] = "宋体";

}  // namespace

CCorvanePicture* CCorvaneButton::GetFace() {
    return FindPictureById(faceId_);
}

void CCorvaneButton::Create(const FrameRecord& frameState, const EventRecord* notify,
                            uint32_t flags, uint32_t faceFlags) {
    CCorvanePicture* face = CreatePicture(frameState);
    if (face == nullptr) {
        return;
    }
    faceId_ = face->GetId();
    face->SetFrame(kButtonLookNormal);
    face->SetTopmost();
    face->AddFlags(faceFlags);
    PeerSetUp(face, kLinkDecoration);
    for (int event : {kEventMouseEnter, kEventMouseLeave, kEventLButtonDown, kEventClick}) {
        face->AddEventBinding(event, MakeEventRecord(GetId(), event, 0, 0));
    }
    if ((flags & kButtonKeyboard) != 0) {
        SetFocusable(1);
        BindEventToSelf(kEventKeyDown);
    }
    flags_ |= flags;
    if (notify != nullptr) {
        notify_ = *notify;
    }
}

void CCorvaneButton::SetNotify(const EventRecord& record) {
    notify_ = record;
}

void CCorvaneButton::SetFaceImage(const FrameRecord& frameState, int resize) {
    if (CCorvanePicture* face = GetFace()) {
        face->SetImage(frameState, resize);
    }
}

CCorvaneCanvas* CCorvaneButton::GetCaptionCanvas() {
    if (captionId_ != 0) {
        CCorvaneObject* made = FindObjectById(captionId_);
        if (made != nullptr && made->GetType() == kKindCanvas) {
            return static_cast<CCorvaneCanvas*>(made);
        }
        captionId_ = 0;  // destroyed on its own: make a new one
    }
    CCorvanePicture* face = GetFace();
    if (face == nullptr) {
        return nullptr;
    }
    CCorvaneCanvas* canvas = CreateCanvas(static_cast<int>(face->GetWidth()),
                                          static_cast<int>(face->GetHeight()), kDefaultColorKey);
    if (canvas == nullptr) {
        return nullptr;
    }
    canvas->SetTopmost();
    canvas->SetPos(face->GetX(), face->GetY());
    canvas->SetZ(face->GetZ() + kCaptionAboveFace);
    face->AttachChild(canvas, kLinkDecoration);
    // It follows the face's show and hide from now on; a face already shown
    // shows its caption at once.
    if (face->IsVisible() != 0) {
        canvas->Show();
    }
    canvas->Invalidate();
    captionId_ = canvas->GetId();
    return canvas;
}

void CCorvaneButton::SetSound(int index, const char* name) {
    if (index < 0 || index >= kButtonSoundSlots) {
        return;
    }
    sounds_[index] = name != nullptr ? name : "";
}

void CCorvaneButton::PlayLookSound(int index) {
    if (!sounds_[index].empty()) {
        PlaySound(sounds_[index].c_str(), 1, nullptr);
    }
}

void CCorvaneButton::ShowLook(int n) {
    if (CCorvanePicture* face = GetFace()) {
        face->SetFrame(n);
        face->Invalidate();
    }
}

void CCorvaneButton::OnMouseEnter() {
    if (!IsInputEnabled() || (flags_ & kButtonLatched) != 0) {
        return;
    }
    ShowLook(kButtonLookHover);
    PlayLookSound(kButtonLookHover);
    if (handCursor_ != 0) {
        SetHoverCursor();
    }
}

void CCorvaneButton::OnMouseLeave() {
    if (!IsInputEnabled() || (flags_ & kButtonLatched) != 0) {
        return;
    }
    ShowLook(kButtonLookNormal);
    PlayLookSound(kButtonLookNormal);
    if (handCursor_ != 0) {
        RestoreCursor();
    }
}

void CCorvaneButton::OnMouseDown() {
    if (!IsInputEnabled()) {
        return;
    }
    ShowLook(kButtonLookPressed);
    PlayLookSound(kButtonLookPressed);
    NotifyOn(true);
}

void CCorvaneButton::OnClick() {
    ShowLook(kButtonLookHover);
    NotifyOn(false);
}

void CCorvaneButton::NotifyOn(bool press) {
    const bool onPress = (flags_ & kButtonNotifyOnPress) != 0;
    if (onPress == press && (flags_ & kButtonNoNotify) == 0 && notify_.event != 0) {
        SendEvent(notify_);
    }
}

void CCorvaneButton::ShowPressed() {
    ShowLook(kButtonLookPressed);
}

void CCorvaneButton::ShowNormal() {
    ShowLook(kButtonLookNormal);
}

int CCorvaneButton::HitTest(int x, int y) {
    CCorvanePicture* face = GetFace();
    return face != nullptr ? face->HitTest(x, y) : 0;
}

void CCorvaneButton::SetFrame(int n) {
    ShowLook(n);
}

int CCorvaneButton::GetFrame() {
    CCorvanePicture* face = GetFace();
    return face != nullptr ? face->GetFrame() : 0;
}

void CCorvaneButton::SendNotify() {
    SendEvent(notify_);
}

void CCorvaneButton::DrawCaption(const char* text, uint32_t colour, int size) {
    CCorvaneCanvas* canvas = GetCaptionCanvas();
    if (canvas == nullptr) {
        return;
    }
    canvas->SetPenColor(colour, 1.0);
    canvas->SetFont(size, kCaptionWeight, kCaptionFace);
    canvas->DrawTextCentered(static_cast<int>(canvas->GetCanvasWidth() * 0.5),
                             static_cast<int>(canvas->GetCanvasHeight() * 0.5), text);
}

void CCorvaneButton::SetNotifyOnPress() {
    flags_ |= kButtonNotifyOnPress;
}

void CCorvaneButton::ClearNotifyOnPress() {
    flags_ &= ~kButtonNotifyOnPress;
}

void CCorvaneButton::SetLatched(int on) {
    if (on != 0) {
        flags_ |= kButtonLatched;
        ShowLook(kButtonLookPressed);
        return;
    }
    flags_ &= ~kButtonLatched;
    InputState state;
    GetInputState(&state);
    ShowLook(HitTest(state.mouseX, state.mouseY) != 0 ? kButtonLookHover : kButtonLookNormal);
}

int CCorvaneButton::IsLatched() {
    return (flags_ & kButtonLatched) != 0 ? 1 : 0;
}

void CCorvaneButton::SetHoverCursor() {
    ShowHandCursor(*this);
}

void CCorvaneButton::RestoreCursor() {
    ShowArrowCursor(*this);
}

bool CCorvaneButton::IsOverFace(const EventRecord& record) {
    const InputState* state = InputStateOf(record);
    return state != nullptr && HitTest(state->mouseX, state->mouseY) != 0;
}

int CCorvaneButton::LookForMouse() {
    InputState state;
    GetInputState(&state);
    return state.mouseTarget != 0 && state.mouseTarget == faceId_ ? kButtonLookHover
                                                                  : kButtonLookNormal;
}

int CCorvaneButton::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventMouseEnter:
            OnMouseEnter();
            return 0;
        case kEventMouseLeave:
            OnMouseLeave();
            return 0;
        case kEventLButtonDown:
            OnMouseDown();
            return 0;
        case kEventClick:
            if (IsOverFace(record) && IsInputEnabled()) {
                OnClick();
            }
            return 0;
        case kEventKeyDown: {
            const InputState* state = InputStateOf(record);
            if (state != nullptr && state->lastKeyDown == platform::kKeyReturn &&
                IsInputEnabled()) {
                OnClick();
            }
            return 0;
        }
        case kEventInputEnabled:
            if (CCorvanePicture* face = GetFace()) {
                face->EnableInput(1);
                ShowLook(LookForMouse());
            }
            return 0;
        case kEventInputDisabled:
            if (CCorvanePicture* face = GetFace()) {
                face->EnableInput(0);
                ShowLook(kButtonLookDisabled);
            }
            return 0;
        default:
            return CCorvaneControl::OnEvent(record);
    }
}
