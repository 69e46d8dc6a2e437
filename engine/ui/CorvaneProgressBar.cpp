#include "engine/ui/CorvaneProgressBar.h"

#include <algorithm>
#include <cmath>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"

namespace {

constexpr double kThumbAboveFill = 0.01;
constexpr int kCaptionWeight = 400;
constexpr char kCaptionFace[] = "宋体";
constexpr int kSerialStride = 100;

void MoveCentreTo(CCorvaneObject& object, double x, double y) {
    object.MoveBy(x - object.GetX(), y - object.GetY());
}
void MoveDepthTo(CCorvaneObject& object, double z) {
    object.MoveZBy(z - object.GetZ());
}

int Truncate(double value) {
    if (!(value > -2147483648.0 && value < 2147483648.0)) {
        return 0;
    }
    return static_cast<int>(value);
}

}  // namespace

// ---------------------------------------------------------------------------
// Parts

CCorvanePicture* CCorvaneProgressBar::GetTrack() {
    return FindPictureById(trackId_);
}

CCorvaneCanvas* CCorvaneProgressBar::GetFill() {
    return FindCanvasById(fillId_);
}

CCorvanePicture* CCorvaneProgressBar::GetThumb() {
    return FindPictureById(thumbId_);
}

// ---------------------------------------------------------------------------
// Making

void CCorvaneProgressBar::Create(const FrameRecord& trackState, const FrameRecord& fillState,
                                 double value) {
    if (GetTrack() != nullptr) {
        SetValue(value);
        return;
    }
    CCorvanePicture* track = CreatePicture(trackState);
    if (track == nullptr) {
        return;
    }
    trackId_ = track->GetId();
    PeerSetUp(track, kLinkDecoration);
    fillState_ = fillState;
    CCorvaneCanvas* fill = CreateCanvas(fillState.width, fillState.height, kDefaultColorKey);
    if (fill != nullptr) {
        fillId_ = fill->GetId();
        MoveCentreTo(*fill, track->GetX(), track->GetY());
        MoveDepthTo(*fill, track->GetSortZ());
        track->AttachChild(fill, kLinkDecoration);
    }
    SetValue(value);
}

void CCorvaneProgressBar::SetThumb(const FrameRecord& thumbState, int notifyTarget) {
    CCorvanePicture* thumb = GetThumb();
    if (thumb != nullptr) {
        thumb->SetImage(thumbState, 1);
    } else {
        thumb = CreatePicture(thumbState);
        if (thumb == nullptr) {
            return;
        }
        thumbId_ = thumb->GetId();
    }
    if (CCorvaneCanvas* fill = GetFill()) {
        MoveDepthTo(*thumb, fill->GetZ() + kThumbAboveFill);
    }
    if (IsVisible() != 0) {
        thumb->Show();
        StartThumbLoop(*thumb);
    }
    thumb->Invalidate();
    if (CCorvanePicture* track = GetTrack()) {
        track->AttachChild(thumb, kLinkDecoration);
    }
    notifyTarget_ = notifyTarget;
    UpdateLayout();
}

void CCorvaneProgressBar::StartThumbLoop(CCorvanePicture& thumb) {
    // One loop at a time: a second one would fight the first over the frame.
    StopObjectActions(thumb.GetId());
    FrameAnimationAction(&thumb, 0, -1, 0, 0, nullptr);
}

void CCorvaneProgressBar::Show() {
    CCorvaneControl::Show();
    if (CCorvanePicture* thumb = GetThumb()) {
        StartThumbLoop(*thumb);
    }
}

void CCorvaneProgressBar::Hide() {
    CCorvaneControl::Hide();
    if (CCorvanePicture* thumb = GetThumb()) {
        StopObjectActions(thumb->GetId());
    }
}

// ---------------------------------------------------------------------------
// Value

void CCorvaneProgressBar::SetValue(double value) {
    if (dragging_ != 0 || std::isnan(value)) {
        return;
    }
    value_ = std::min(value, 1.0);
    UpdateLayout();
    completion_ = EventRecord{};
}

void CCorvaneProgressBar::UpdateLayout() {
    value_ = std::clamp(std::isnan(value_) ? 0.0 : value_, 0.0, 1.0);
    CCorvaneCanvas* fill = GetFill();
    if (fill == nullptr) {
        return;
    }
    fill->Clear();
    const int shown = Truncate(fillState_.width * value_);
    if (shown > 0) {
        FrameRecord part = fillState_;
        part.width = shown;
        fill->DrawImage(part, 0, 0, shown, 0, 0.0, 1.0);
    }
    if (CCorvanePicture* thumb = GetThumb()) {
        MoveCentreTo(*thumb, fill->GetLeft() + shown, fill->GetY());
        thumb->Invalidate();
    }
}

void CCorvaneProgressBar::AnimateTo(double target, double step, uint32_t interval,
                                    const EventRecord* completion) {
    completion_ = completion != nullptr ? *completion : EventRecord{};
    step = std::fabs(step);
    if (step == 0.0 || !std::isfinite(step)) {
        step = kDefaultProgressStep;
    }
    step_ = step;
    // A target outside the bar could never be reached: the value is held to
    // [0, 1] on every step.
    target_ = std::isnan(target) ? value_ : std::clamp(target, 0.0, 1.0);
    interval_ = interval;
    serial_ += kSerialStride;
    StartStepTimer();
}

void CCorvaneProgressBar::StartStepTimer() {
    const EventRecord step =
        MakeEventRecord(GetId(), kProgressAnimationStep, static_cast<intptr_t>(serial_), 0);
    TimerAction(interval_, &step);
}

void CCorvaneProgressBar::AnimationStep(intptr_t serial) {
    if (serial != static_cast<intptr_t>(serial_)) {
        return;  // a step of an animation that was replaced
    }
    if (std::fabs(value_ - target_) >= step_) {
        value_ += value_ < target_ ? step_ : -step_;
        UpdateLayout();
        ++serial_;
        StartStepTimer();
        return;
    }
    value_ = target_;
    UpdateLayout();
    // Cleared before it goes out: the receiver may start the next animation.
    const EventRecord done = completion_;
    completion_ = EventRecord{};
    SendEvent(done);
}

// ---------------------------------------------------------------------------
// The user's changes

double CCorvaneProgressBar::ValueAt(double x, double* offset) {
    CCorvaneCanvas* fill = GetFill();
    *offset = 0.0;
    if (fill == nullptr || fillState_.width <= 0) {
        return 0.0;
    }
    const double left = fill->GetLeft();
    x = std::clamp(x, left, std::max(left, fill->GetRight()));
    *offset = x - left;
    return *offset / fillState_.width;
}

void CCorvaneProgressBar::NotifyValue() {
    const double value = value_;
    SendEvent(MakeEventRecord(notifyTarget_, kEventProgressChanged, EventParam(&value), 0));
}

void CCorvaneProgressBar::EndDrag() {
    dragging_ = 0;
    NotifyValue();
}

void CCorvaneProgressBar::EnableThumbInput(int on) {
    CCorvanePicture* thumb = GetThumb();
    if (thumb == nullptr) {
        return;
    }
    CCorvanePicture* track = GetTrack();
    const int thumbEvents[][2] = {{kEventDrag, kProgressThumbDragged},
                                  {kEventClick, kProgressThumbReleased},
                                  {kEventLButtonDown, kProgressPressed},
                                  {kEventLButtonUp, kProgressThumbButtonUp}};
    if (on != 0) {
        for (const auto& [incoming, outgoing] : thumbEvents) {
            thumb->AddEventBinding(incoming, MakeEventRecord(GetId(), outgoing, 0, 0));
        }
        if (track != nullptr) {
            track->AddEventBinding(kEventLButtonDown,
                                   MakeEventRecord(GetId(), kProgressPressed, 0, 0));
        }
        return;
    }
    for (const auto& [incoming, outgoing] : thumbEvents) {
        thumb->UnbindEvent(incoming);
    }
    if (track != nullptr) {
        track->UnbindEvent(kEventLButtonDown);
    }
    dragging_ = 0;  // no release will come any more
}

// ---------------------------------------------------------------------------
// Caption

CCorvaneCanvas* CCorvaneProgressBar::CreateCaption() {
    if (CCorvaneCanvas* caption = FindCanvasById(captionId_)) {
        return caption;
    }
    CCorvaneCanvas* fill = GetFill();
    if (fill == nullptr) {
        return nullptr;
    }
    CCorvaneCanvas* caption =
        CreateCanvas(fill->GetCanvasWidth(), fill->GetCanvasHeight(), kDefaultColorKey);
    if (caption == nullptr) {
        return nullptr;
    }
    captionId_ = caption->GetId();
    MoveCentreTo(*caption, GetX(), GetY());
    MoveDepthTo(*caption, fill->GetSortZ());
    const int fitting = Truncate(caption->GetCanvasHeight() * 2.0 / 3.0);
    int height = GetIntSetting(kSettingCaptionFontHeight);
    if (height <= 0 || fitting < height) {
        height = fitting;
    }
    caption->SetFont(height, kCaptionWeight, kCaptionFace);
    if (fill->IsVisible() != 0) {
        caption->Show();
    }
    fill->AttachChild(caption, kLinkDecoration);
    return caption;
}

CCorvaneCanvas* CCorvaneProgressBar::GetCaption() {
    return CreateCaption();
}

void CCorvaneProgressBar::SetCaption(uint32_t colour, int fontHeight, const char* text) {
    CCorvaneCanvas* caption = GetCaption();
    if (caption == nullptr) {
        return;
    }
    const int remembered = caption->GetFontDesc().height;
    if (fontHeight != 0) {
        caption->SetFont(fontHeight, kCaptionWeight, kCaptionFace);
    }
    caption->SetPenColor(colour, 1.0);
    caption->Clear();
    caption->DrawTextCentered(Truncate(caption->GetCanvasWidth() * 0.5),
                              Truncate(caption->GetCanvasHeight() * 0.5),
                              text != nullptr ? text : "");
    FontDesc desc = caption->GetFontDesc();
    desc.height = remembered;
    caption->SetFontDesc(desc);
}

// ---------------------------------------------------------------------------
// Events

int CCorvaneProgressBar::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kProgressThumbDragged: {
            const InputState* input = InputStateOf(record);
            CCorvanePicture* thumb = GetThumb();
            if (input == nullptr || thumb == nullptr) {
                return 1;
            }
            dragging_ = 1;
            double offset = 0.0;
            value_ = ValueAt(thumb->GetX() + input->moveX, &offset);
            UpdateLayout();
            const double values[3] = {offset, 0.0, static_cast<double>(fillState_.width)};
            SendEvent(MakeEventRecord(notifyTarget_, kEventScrollChanged, EventParam(values), 0));
            return 1;
        }
        case kProgressAnimationStep:
            AnimationStep(record.param1);
            return 1;
        case kProgressThumbReleased:
            EndDrag();
            return 1;
        case kProgressThumbButtonUp: {
            // Released off the thumb: no click follows, so the drag ends
            // here. Over the thumb the click ends it.
            const InputState* input = InputStateOf(record);
            CCorvanePicture* thumb = GetThumb();
            if (dragging_ != 0 && input != nullptr &&
                (thumb == nullptr || thumb->HitTest(input->mouseX, input->mouseY) == 0)) {
                EndDrag();
            }
            return 1;
        }
        case kProgressPressed: {
            const InputState* input = InputStateOf(record);
            if (input == nullptr) {
                return 1;
            }
            double offset = 0.0;
            value_ = ValueAt(input->mouseX, &offset);
            UpdateLayout();
            NotifyValue();
            return 1;
        }
        default:
            return CCorvaneControl::OnEvent(record);
    }
}
