#include "mahjong_client/panels/SliderBar.h"

#include <algorithm>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/SceneGeometry.h"

namespace {

constexpr int kVerticalLabelOffset = 18;
constexpr int kHorizontalLabelOffset = 20;
constexpr double kFillAbove = 0.05;
// The fill follows the track's position, depth, visibility and redraws and
// dies with it; it keeps its own size.
constexpr uint32_t kFillLink =
    kLinkOwned | kLinkAlpha | kLinkInvalidate | kLinkZ | kLinkPosition | kLinkShow | kLinkHide;

}  // namespace

CSliderBar::~CSliderBar() = default;

CCorvaneCanvas* CSliderBar::GetFill() {
    return FindCanvasById(fillId_);
}

int CSliderBar::GetFillHeight() const {
    return TruncToInt(GetValue() * 0.01 * GetTrackFrame().height);
}

void CSliderBar::Create(const FrameRecord& trackFrame, const FrameRecord& thumbFrame,
                        int orientation, const EventRecord* notify, int value, int enabled) {
    CLabeledSlider::Create(trackFrame, thumbFrame, orientation, notify, value, enabled);
    CCorvaneCanvas* track = GetTrack();
    if (track == nullptr || GetFill() != nullptr) {
        return;
    }
    if (CCorvaneCanvas* label = GetLabel()) {
        label->Resize(kLabelWidth, kLabelHeight);
        static_cast<CCorvaneObject*>(label)->Resize(kLabelWidth, kLabelHeight);
    }
    fillFrame_ = GetResourceFrame(kFillImage, 0);
    CCorvaneCanvas* fill = CreateCanvas(std::max(fillFrame_.width, 1),
                                        std::max(fillFrame_.height, 1), kDefaultColorKey);
    if (fill == nullptr) {
        return;
    }
    fillId_ = fill->GetId();
    fill->SetZ(track->GetZ() + kFillAbove);
    fill->Show();
    track->AttachChild(fill, kFillLink);
    Redraw();
}

void CSliderBar::DrawTrackAndThumb() {
    const bool disabled = IsSliderEnabled() == 0;
    if (CCorvaneCanvas* track = GetTrack()) {
        track->Clear();
        if (GetTrackFrame().height != 0) {
            track->DrawImage(GetTrackFrame(), 0, 0, track->GetCanvasWidth(),
                             track->GetCanvasHeight(), 0.0, 1.0);
        }
        if (disabled) {
            track->BlendColor(kTint, kTintAlpha);
        }
    }
    if (CCorvaneCanvas* thumb = GetThumb()) {
        thumb->Clear();
        if (GetThumbFrame().height != 0) {
            thumb->DrawImage(GetThumbFrame(), 0, 0, thumb->GetCanvasWidth(),
                             thumb->GetCanvasHeight(), 0.0, 1.0);
        }
        if (disabled || IsHovered() != 0) {
            thumb->BlendColor(kTint, kTintAlpha);
        }
    }
}

void CSliderBar::PlaceThumbAndLabel() {
    CCorvaneCanvas* track = GetTrack();
    CCorvaneCanvas* thumb = GetThumb();
    if (track == nullptr || thumb == nullptr) {
        return;
    }
    const double share = GetValue() * 0.01;
    double x = track->GetX();
    double y = track->GetY();
    if (GetOrientation() == 1) {
        y = track->GetBottom() - share * GetTrackFrame().height;
    } else {
        x = track->GetLeft() + share * GetTrackFrame().width;
    }
    thumb->MoveBy(x - thumb->GetX(), y - thumb->GetY());
    if (CCorvaneCanvas* label = GetLabel()) {
        if (GetOrientation() == 1) {
            label->SetPos(thumb->GetLeft() - kVerticalLabelOffset, thumb->GetY());
        } else {
            label->SetPos(thumb->GetX(), thumb->GetTop() - kHorizontalLabelOffset);
        }
    }
}

void CSliderBar::DrawFill() {
    CCorvaneCanvas* track = GetTrack();
    CCorvaneCanvas* fill = GetFill();
    if (track == nullptr || fill == nullptr) {
        return;
    }
    const int rows = GetFillHeight();
    const int width = std::max(fillFrame_.width, 1);
    // A canvas needs at least one row; an empty fill is a cleared one.
    fill->Resize(width, std::max(rows, 1));
    static_cast<CCorvaneObject*>(fill)->Resize(width, std::max(rows, 1));
    fill->Clear();
    // Source rows trackHeight - rows .. trackHeight, kept to the rows the
    // fill picture has.
    const int first = GetTrackFrame().height - rows;
    const int top = std::max(first, 0);
    const int bottom = std::min(first + rows, fillFrame_.height);
    if (rows > 0 && bottom > top && fillFrame_.width > 0) {
        FrameRecord part = fillFrame_;
        part.offsetY += top;
        part.height = bottom - top;
        fill->DrawImage(part, 0, top - first, fillFrame_.width, part.height, 0.0, 1.0);
    }
    fill->SetPos(track->GetX(), track->GetBottom() - rows / 2.0);
}

void CSliderBar::Redraw() {
    DrawTrackAndThumb();
    PlaceThumbAndLabel();
    DrawFill();
    if (CCorvaneCanvas* label = GetLabel()) {
        if (IsSliderEnabled() != 0 && label->IsVisible() != 0) {
            DrawLabel();
        }
        label->Hide();
    }
    Invalidate();
}

int CSliderBar::OnEvent(const EventRecord& record) {
    // The frame slider shows the label on a press; the table slider keeps
    // it hidden. Every other event is the frame slider's.
    if (record.event == kSliderThumbDown) {
        if (IsSliderEnabled() != 0) {
            if (CCorvaneCanvas* label = GetLabel()) {
                label->Hide();
            }
            Invalidate();
        }
        return 1;
    }
    const int handled = CLabeledSlider::OnEvent(record);
    if (record.event == kSliderThumbUp) {
        Invalidate();
    }
    return handled;
}
