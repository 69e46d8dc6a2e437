#include "frame/panels/LabeledSlider.h"

#include "engine/CorvaneCanvas.h"

int CLabeledSlider::OnEvent(const EventRecord& record) {
    return CCorvaneControl::OnEvent(record);
}
void CLabeledSlider::Create(const FrameRecord& trackFrame, const FrameRecord& thumbFrame,
                            int orientation, const EventRecord* notify, int value, int enabled) {
    trackFrame_ = trackFrame;
    thumbFrame_ = thumbFrame;
    orientation_ = orientation;
    notify_ = notify != nullptr ? *notify : EventRecord{};
    value_ = value;
    enabled_ = enabled;
}
void CLabeledSlider::Redraw() {}
int CLabeledSlider::SetValue(int value) {
    if (value < 0 || value > 100) {
        return value;
    }
    value_ = value;
    return value;
}
void CLabeledSlider::SendNotify() {}
void CLabeledSlider::SetSliderEnabled(int enabled) {
    enabled_ = enabled;
}
CCorvaneCanvas* CLabeledSlider::GetTrack() {
    return FindCanvasById(trackId_);
}
CCorvaneCanvas* CLabeledSlider::GetThumb() {
    return FindCanvasById(thumbId_);
}
CCorvaneCanvas* CLabeledSlider::GetLabel() {
    return FindCanvasById(labelId_);
}
void CLabeledSlider::PlaceThumb() {}
void CLabeledSlider::DrawLabel() {}
void CLabeledSlider::DragTo(const InputState&) {}
void CLabeledSlider::PressTrack(const InputState&) {}
void CLabeledSlider::ApplyUserValue(int) {}
