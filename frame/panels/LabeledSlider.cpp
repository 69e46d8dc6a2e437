#include "frame/panels/LabeledSlider.h"

#include <algorithm>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/SceneGeometry.h"

namespace {

constexpr uint32_t kColourKey = 0xff00ff;
constexpr uint32_t kLabelBack = 0xf7f2f1;
constexpr uint32_t kLabelText = 0x575757;
constexpr char kLabelFace[] = "宋体";
constexpr int kLabelFontSize = 12;
constexpr int kLabelWidth = 24;
constexpr int kLabelHeight = 19;
constexpr int kVerticalLabelOffset = 18;
constexpr int kHorizontalLabelOffset = 20;
constexpr double kThumbAbove = 0.1;
constexpr double kLabelAbove = 0.2;
// The looks: a disabled slider is greyed, a hovered thumb lightened.
constexpr uint32_t kDisabledTint = 0x808080;
constexpr uint32_t kHoverTint = 0xffffff;
constexpr double kTintStrength = 0.2;
// Thumb and label follow their parent's position, depth, visibility and
// redraws and die with it; they keep their own size.
constexpr uint32_t kPartLink =
    kLinkOwned | kLinkAlpha | kLinkInvalidate | kLinkZ | kLinkPosition | kLinkShow | kLinkHide;

int PositiveOr(int value, int fallback) {
    return value > 0 ? value : fallback;
}

}  // namespace

CCorvaneCanvas* CLabeledSlider::GetTrack() {
    return FindCanvasById(trackId_);
}

CCorvaneCanvas* CLabeledSlider::GetThumb() {
    return FindCanvasById(thumbId_);
}

CCorvaneCanvas* CLabeledSlider::GetLabel() {
    return FindCanvasById(labelId_);
}

void CLabeledSlider::Create(const FrameRecord& trackFrame, const FrameRecord& thumbFrame,
                            int orientation, const EventRecord* notify, int value, int enabled) {
    trackFrame_ = trackFrame;
    thumbFrame_ = thumbFrame;
    orientation_ = orientation;
    notify_ = notify != nullptr ? *notify : EventRecord{};
    value_ = std::clamp(value, 0, 100);
    enabled_ = enabled;
    if (GetTrack() != nullptr) {
        Redraw();
        return;
    }
    CCorvaneCanvas* track =
        CreateCanvas(PositiveOr(trackFrame.width, 1), PositiveOr(trackFrame.height, 1), kColourKey);
    CCorvaneCanvas* thumb =
        CreateCanvas(PositiveOr(thumbFrame.width, 1), PositiveOr(thumbFrame.height, 1), kColourKey);
    CCorvaneCanvas* label = CreateCanvas(kLabelWidth, kLabelHeight, kLabelBack);
    if (track == nullptr || thumb == nullptr || label == nullptr) {
        DestroyObject(track, 0);
        DestroyObject(thumb, 0);
        DestroyObject(label, 0);
        return;
    }
    trackId_ = track->GetId();
    thumbId_ = thumb->GetId();
    labelId_ = label->GetId();
    PeerSetUp(track, kPeerLinkFlags);

    const int thumbEvents[][2] = {{kEventMouseEnter, kSliderThumbEnter},
                                  {kEventMouseLeave, kSliderThumbLeave},
                                  {kEventLButtonDown, kSliderThumbDown},
                                  {kEventClick, kSliderThumbUp},
                                  {kEventDrag, kSliderThumbDrag}};
    for (const auto& [incoming, outgoing] : thumbEvents) {
        thumb->AddEventBinding(incoming, MakeEventRecord(GetId(), outgoing, 0, 0));
    }
    track->AddEventBinding(kEventLButtonDown, MakeEventRecord(GetId(), kSliderTrackPress, 0, 0));
    thumb->SetZ(track->GetZ() + kThumbAbove);
    thumb->SetPos(track->GetX(), track->GetY());
    thumb->Show();
    track->AttachChild(thumb, kPartLink);

    label->SetFont(kLabelFontSize, 400, kLabelFace);
    label->SetPenColor(kLabelText, 1.0);
    label->SetZ(track->GetZ() + kLabelAbove);
    label->Hide();
    thumb->AttachChild(label, kPartLink & ~kLinkShow);
    Redraw();
}

void CLabeledSlider::PlaceThumb() {
    CCorvaneCanvas* track = GetTrack();
    CCorvaneCanvas* thumb = GetThumb();
    if (track == nullptr || thumb == nullptr) {
        return;
    }
    const double share = value_ * 0.01;
    double x = track->GetX();
    double y = track->GetY();
    if (orientation_ == 1) {
        y = track->GetBottom() - share * trackFrame_.height;
    } else {
        x = track->GetLeft() + share * trackFrame_.width;
    }
    thumb->MoveBy(x - thumb->GetX(), y - thumb->GetY());
    if (CCorvaneCanvas* label = GetLabel()) {
        const double labelX = orientation_ == 1 ? x + kVerticalLabelOffset : x;
        const double labelY = orientation_ == 1 ? y : y - kHorizontalLabelOffset;
        label->SetPos(labelX, labelY);
    }
}

void CLabeledSlider::DrawLabel() {
    CCorvaneCanvas* label = GetLabel();
    if (label == nullptr) {
        return;
    }
    label->Clear();
    label->SetPenColor(kLabelText, 1.0);
    label->DrawRect(1, 1, 23, 18, 0);
    label->SetFont(kLabelFontSize, 400, kLabelFace);
    label->DrawTextCentered(12, 10, std::to_string(value_).c_str());
}

void CLabeledSlider::Redraw() {
    if (CCorvaneCanvas* track = GetTrack()) {
        track->Clear();
        if (trackFrame_.height != 0) {
            track->DrawImage(trackFrame_, 0, 0, track->GetCanvasWidth(), track->GetCanvasHeight(),
                             0.0, 1.0);
        }
        if (enabled_ == 0) {
            track->BlendColor(kDisabledTint, kTintStrength);
        }
    }
    if (CCorvaneCanvas* thumb = GetThumb()) {
        thumb->Clear();
        if (thumbFrame_.height != 0) {
            thumb->DrawImage(thumbFrame_, 0, 0, thumb->GetCanvasWidth(), thumb->GetCanvasHeight(),
                             0.0, 1.0);
        }
        if (enabled_ == 0) {
            thumb->BlendColor(kDisabledTint, kTintStrength);
        } else if (hovered_ != 0) {
            thumb->BlendColor(kHoverTint, kTintStrength);
        }
    }
    PlaceThumb();
    if (CCorvaneCanvas* label = GetLabel()) {
        if (enabled_ == 0) {
            label->Hide();
        } else if (label->IsVisible() != 0) {
            DrawLabel();
        }
    }
}

int CLabeledSlider::SetValue(int value) {
    if (value < 0 || value > 100) {
        return value;
    }
    value_ = value;
    Redraw();
    return value;
}

void CLabeledSlider::SetSliderEnabled(int enabled) {
    enabled_ = enabled;
    Redraw();
}

void CLabeledSlider::SendNotify() {
    if (notify_.target == 0) {
        return;
    }
    EventRecord record = notify_;
    record.param2 = EventParam(&value_);
    SendEvent(record);
}

void CLabeledSlider::ApplyUserValue(int value) {
    value = std::clamp(value, 0, 100);
    if (value == value_) {
        return;
    }
    value_ = value;
    Redraw();
    SendNotify();
}

void CLabeledSlider::DragTo(const InputState& input) {
    CCorvaneCanvas* track = GetTrack();
    CCorvaneCanvas* thumb = GetThumb();
    if (track == nullptr || thumb == nullptr) {
        return;
    }
    const bool vertical = orientation_ == 1;
    const double thumbAt = vertical ? thumb->GetY() : thumb->GetX();
    const double start = vertical ? track->GetTop() : track->GetLeft();
    const double end = vertical ? track->GetBottom() : track->GetRight();
    const int length = TruncToInt(vertical ? track->GetHeight() : track->GetWidth());
    if (thumbAt < start || thumbAt > end || length <= 0) {
        return;
    }
    const int64_t moved = vertical ? int64_t{TruncToInt(track->GetBottom())} - input.mouseY
                                   : int64_t{input.mouseX} - TruncToInt(track->GetLeft());
    ApplyUserValue(static_cast<int>(std::clamp<int64_t>(moved * 100 / length, -1, 101)));
}

void CLabeledSlider::PressTrack(const InputState& input) {
    CCorvaneCanvas* thumb = GetThumb();
    if (thumb == nullptr) {
        return;
    }
    int change = 0;
    if (orientation_ == 1) {
        if (input.mouseY < thumb->GetTop()) {
            change = kTrackPressStep;
        } else if (input.mouseY > thumb->GetBottom()) {
            change = -kTrackPressStep;
        }
    } else {
        if (input.mouseX < thumb->GetLeft()) {
            change = -kTrackPressStep;
        } else if (input.mouseX > thumb->GetRight()) {
            change = kTrackPressStep;
        }
    }
    if (change != 0) {
        ApplyUserValue(value_ + change);
    }
}

int CLabeledSlider::OnEvent(const EventRecord& record) {
    if (record.event < kSliderThumbEnter || record.event > kSliderTrackPress) {
        return CCorvaneControl::OnEvent(record);
    }
    CCorvaneCanvas* label = GetLabel();
    if (record.event == kSliderThumbUp) {
        if (label != nullptr) {
            label->Hide();
        }
        return 1;
    }
    if (enabled_ == 0) {
        return 1;
    }
    switch (record.event) {
        case kSliderThumbEnter:
            hovered_ = 1;
            if (label != nullptr) {
                label->Show();
            }
            Redraw();
            break;
        case kSliderThumbLeave:
            hovered_ = 0;
            if (label != nullptr) {
                label->Hide();
            }
            Redraw();
            break;
        case kSliderThumbDown:
            if (label != nullptr) {
                label->Show();
                DrawLabel();
            }
            break;
        case kSliderThumbDrag:
            if (const InputState* input = InputStateOf(record)) {
                DragTo(*input);
            }
            break;
        case kSliderTrackPress:
            if (const InputState* input = InputStateOf(record)) {
                PressTrack(*input);
            }
            break;
        default:
            break;
    }
    return 1;
}
