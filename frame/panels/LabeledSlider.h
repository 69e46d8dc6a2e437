#pragma once
// A horizontal or vertical slider with a whole value from 0 to 100 and a
// small label that shows the value while the pointer is over the thumb or
// the button is held. Table views read the value as a fraction through
// GetPercent (volume settings); the mahjong table's slider panel derives
// from it.
//
// Rules:
//  - The value stays within 0..100; SetValue refuses anything else.
//  - The track picture's width and height are the thumb's travel.
//  - A change by the user (drag, track press) redraws and notifies once;
//    while disabled only the button-up event has an effect.

#include <cstdint>

#include "engine/CorvaneControl.h"
#include "engine/EventRecord.h"
#include "engine/ImageRecord.h"

class CCorvaneCanvas;

inline constexpr int kSliderThumbEnter = 80000002;
inline constexpr int kSliderThumbLeave = 80000003;
inline constexpr int kSliderThumbDown = 80000004;
inline constexpr int kSliderThumbUp = 80000005;
inline constexpr int kSliderThumbDrag = 80000006;
inline constexpr int kSliderTrackPress = 80000007;

class CLabeledSlider : public CCorvaneControl {
public:
    static constexpr int kTrackPressStep = 20;

    CLabeledSlider() = default;
    ~CLabeledSlider() override = default;

    int OnEvent(const EventRecord& record) override;

    // --- the slider's own operations, in this order ---
    using CCorvaneObject::Create;
    // orientation 1 vertical, 0 horizontal; notify may be null (no record).
    virtual void Create(const FrameRecord& trackFrame, const FrameRecord& thumbFrame,
                        int orientation, const EventRecord* notify, int value, int enabled);
    virtual void Redraw();
    // 0..100 becomes the value and redraws; anything else changes nothing
    // and is returned.
    virtual int SetValue(int value);
    // The record to its target with param2 pointing to the value.
    virtual void SendNotify();

    double GetPercent() const { return value_ * 0.01; }
    int GetValue() const { return value_; }
    int IsHovered() const { return hovered_; }
    int IsSliderEnabled() const { return enabled_; }
    int GetOrientation() const { return orientation_; }
    const FrameRecord& GetTrackFrame() const { return trackFrame_; }
    const FrameRecord& GetThumbFrame() const { return thumbFrame_; }
    void SetSliderEnabled(int enabled);
    CCorvaneCanvas* GetTrack();
    CCorvaneCanvas* GetThumb();
    CCorvaneCanvas* GetLabel();

protected:
    // The label's box and the value in it.
    void DrawLabel();

private:
    void PlaceThumb();
    void DragTo(const InputState& input);
    void PressTrack(const InputState& input);
    void ApplyUserValue(int value);

    int trackId_ = 0;
    int thumbId_ = 0;
    int hovered_ = 0;
    int enabled_ = 1;
    int value_ = 0;
    FrameRecord trackFrame_;
    FrameRecord thumbFrame_;
    EventRecord notify_{};
    int labelId_ = 0;
    int orientation_ = 1;
};
