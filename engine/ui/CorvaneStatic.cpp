#include "engine/ui/CorvaneStatic.h"

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/ui/HandCursor.h"

namespace {

constexpr double kPressedShade = 0.5;
constexpr double kDisabledShade = 0.2;
constexpr uint32_t kShadeColour = 0;

}  // namespace

CCorvaneCanvas* CCorvaneStatic::GetCanvas() {
    return FindCanvasById(canvasId_);
}

CCorvaneCanvas* CCorvaneStatic::Create(const char* caption, int width, int height, int fontSize,
                                       uint32_t colourKey, uint32_t borderColour,
                                       const EventRecord* notify) {
    caption_ = caption != nullptr ? caption : "";
    fontSize_ = fontSize;
    colourKey_ = colourKey;
    borderColour_ = borderColour;
    CCorvaneCanvas* canvas = CreateCanvas(width, height, colourKey);
    if (canvas == nullptr) {
        return nullptr;
    }
    canvasId_ = canvas->GetId();
    canvas->DrawBorder(1, borderColour);
    canvas->SetTopmost();
    canvas->EnableInput(1);
    canvas->Invalidate();
    PeerSetUp(canvas, kLinkDecoration);
    for (int event : {kEventMouseEnter, kEventMouseLeave, kEventLButtonDown, kEventClick}) {
        canvas->AddEventBinding(event, MakeEventRecord(GetId(), event, 0, 0));
    }
    if (notify != nullptr) {
        notify_ = *notify;
    }
    Draw(0);
    return canvas;
}

void CCorvaneStatic::OnMouseEnter() {
    if (!IsInputEnabled()) {
        return;
    }
    Draw(1);
    if (handCursor_ != 0) {
        SetHoverCursor();
    }
}

void CCorvaneStatic::OnMouseLeave() {
    if (!IsInputEnabled()) {
        return;
    }
    Draw(0);
    if (handCursor_ != 0) {
        RestoreCursor();
    }
}

void CCorvaneStatic::OnMouseDown() {
    if (IsInputEnabled()) {
        Draw(2);
    }
}

void CCorvaneStatic::OnClick() {
    Draw(1);
    if (notify_.event != 0) {
        SendEvent(notify_);
    }
}

void CCorvaneStatic::Draw(int look) {
    CCorvaneCanvas* canvas = GetCanvas();
    if (canvas == nullptr) {
        return;
    }
    const char* text = caption_.c_str();
    const uint32_t inverted = InvertedColour(borderColour_);
    switch (look) {
        case 0:
            canvas->Clear();
            canvas->DrawBorder(1, borderColour_);
            canvas->DrawTextFitted(text, 0, 0, fontSize_);
            break;
        case 1:
            canvas->Clear();
            canvas->DrawBorder(1, inverted);
            canvas->DrawTextFitted(text, 0, 0, fontSize_);
            break;
        case 2:
            canvas->Clear();
            canvas->DrawTextFitted(text, 0, 0, fontSize_);
            canvas->BlendColor(kShadeColour, kPressedShade);
            canvas->DrawBorder(1, inverted);
            break;
        case 3:
            canvas->Clear();
            canvas->DrawTextFitted(text, 0, 0, fontSize_);
            canvas->DrawBorder(1, borderColour_);
            canvas->BlendColor(kShadeColour, kDisabledShade);
            break;
        default:
            break;
    }
    canvas->Invalidate();
}

void CCorvaneStatic::SetNotify(const EventRecord& record) {
    notify_ = record;
}

int CCorvaneStatic::HitTest(int x, int y) {
    CCorvaneCanvas* canvas = GetCanvas();
    return canvas != nullptr ? canvas->HitTest(x, y) : 0;
}

void CCorvaneStatic::SetTextColour(uint32_t colour) {
    if (CCorvaneCanvas* canvas = GetCanvas()) {
        canvas->SetPenColor(colour, 1.0);
    }
    Draw(0);
}

std::string CCorvaneStatic::GetCaption() {
    return caption_;
}

void CCorvaneStatic::SetCaption(const char* text) {
    caption_ = text != nullptr ? text : "";
    Draw(0);
}

void CCorvaneStatic::SetHoverCursor() {
    ShowHandCursor(*this);
}

void CCorvaneStatic::RestoreCursor() {
    ShowArrowCursor(*this);
}

int CCorvaneStatic::OnEvent(const EventRecord& record) {
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
        case kEventClick: {
            const auto* state = InputStateOf(record);
            if (state != nullptr && HitTest(state->mouseX, state->mouseY) != 0 &&
                IsInputEnabled()) {
                OnClick();
            }
            return 0;
        }
        case kEventInputEnabled:
            if (CCorvaneCanvas* canvas = GetCanvas()) {
                canvas->EnableInput(1);
                InputState state;
                GetInputState(&state);
                Draw(state.mouseTarget != 0 && state.mouseTarget == canvasId_ ? 1 : 0);
                canvas->Invalidate();
            }
            return 0;
        case kEventInputDisabled:
            if (CCorvaneCanvas* canvas = GetCanvas()) {
                canvas->EnableInput(0);
                Draw(3);
                canvas->Invalidate();
            }
            return 0;
        default:
            return CCorvaneControl::OnEvent(record);
    }
}
