#pragma once
// A horizontal progress bar: a track picture (the peer), a fill canvas that
// shows the fill image up to the current value, an optional thumb picture at
// the end of the fill that the user can drag, and an optional caption
// centred on the bar. The value is a fraction from 0.0 to 1.0; it is set at
// once, animated towards a target in timed steps (with a completion notice),
// or changed by the user, who then tells the notify target with engine
// events.
//
// Rules:
//  - UpdateLayout holds the value in [0.0, 1.0]; SetValue is ignored while
//    the thumb is dragged and refuses NaN.
//  - An animation runs until it reaches its target (held in [0.0, 1.0]);
//    starting another cancels it: its step events carry a serial that then
//    no longer matches. The completion record is sent once, at the end.
//  - The user's changes reach the notify target at once: a drag as 19840362
//    (param1 -> {offset along the fill, 0.0, fill width}), a press and the
//    end of a drag as 19840374 (param1 -> the value). A drag ends when the
//    button comes up, over the thumb or not.
//  - Track, fill, thumb and caption are kept as ids and looked up, kind
//    checked, on every access; all of them die with the bar.
//  - Everything runs on the UI thread.

#include <cstdint>

#include "engine/CorvaneControl.h"
#include "engine/EventRecord.h"
#include "engine/ImageRecord.h"

class CCorvaneCanvas;
class CCorvanePicture;

// The bar's own events.
inline constexpr int kProgressThumbDragged = 80000001;
inline constexpr int kProgressAnimationStep = 80000002;  // param1: the serial
inline constexpr int kProgressThumbReleased = 80000003;
inline constexpr int kProgressPressed = 80000004;
inline constexpr int kProgressThumbButtonUp = 80000005;

inline constexpr double kDefaultProgressStep = 0.01;
inline constexpr uint32_t kDefaultProgressInterval = 100;
// The integer setting that gives the caption's font height.
inline constexpr int kSettingCaptionFontHeight = 5;

class CCorvaneProgressBar : public CCorvaneControl {
public:
    using CCorvaneObject::Create;

    CCorvaneProgressBar() = default;
    ~CCorvaneProgressBar() override = default;

    // Show also starts the thumb's looping animation; Hide stops it.
    void Show() override;
    void Hide() override;
    int OnEvent(const EventRecord& record) override;

    // The track picture, the fill canvas (the fill image's size, over the
    // track) and the value. A bar is made once.
    virtual void Create(const FrameRecord& trackState, const FrameRecord& fillState, double value);
    // The thumb at the end of the fill (a new image for an existing one);
    // notifyTarget receives the user's changes.
    virtual void SetThumb(const FrameRecord& thumbState, int notifyTarget);
    // Above 1.0 becomes 1.0; ignored while dragging. Clears the completion
    // record (the animation goes on).
    virtual void SetValue(double value);
    // Moves by |step| (0: 0.01) every `interval` ms towards the target; at
    // the end the completion record (may be null) is sent.
    virtual void AnimateTo(double target, double step, uint32_t interval,
                           const EventRecord* completion);
    // Holds the value in [0, 1], redraws the fill and places the thumb.
    virtual void UpdateLayout();
    // The caption canvas, made on first use.
    virtual CCorvaneCanvas* GetCaption();
    // Draws the text centred on the caption in the colour, at fontHeight
    // when it is not 0; the caption's own font height stays.
    virtual void SetCaption(uint32_t colour, int fontHeight, const char* text);
    // Lets the user drag the thumb and press the track, or stops it.
    virtual void EnableThumbInput(int on);
    virtual double GetValue() { return value_; }
    // The caption canvas over the fill (made once).
    virtual CCorvaneCanvas* CreateCaption();

    // The parts, or null.
    CCorvanePicture* GetTrack();
    CCorvaneCanvas* GetFill();
    CCorvanePicture* GetThumb();

    int IsDragging() const { return dragging_; }
    int GetNotifyTarget() const { return notifyTarget_; }
    double GetAnimationTarget() const { return target_; }
    double GetAnimationStep() const { return step_; }
    uint32_t GetAnimationInterval() const { return interval_; }
    const EventRecord& GetCompletion() const { return completion_; }

private:
    // The value of a point along the fill, held to the fill's span; the
    // offset from the fill's left edge goes to *offset.
    double ValueAt(double x, double* offset);
    void NotifyValue();
    void EndDrag();
    void StartStepTimer();
    void AnimationStep(intptr_t serial);
    void StartThumbLoop(CCorvanePicture& thumb);

    int trackId_ = 0;
    FrameRecord fillState_;
    int fillId_ = 0;
    int thumbId_ = 0;
    int captionId_ = 0;
    int notifyTarget_ = 0;
    double value_ = 0.0;
    int dragging_ = 0;
    double target_ = 0.0;
    double step_ = kDefaultProgressStep;
    uint32_t interval_ = kDefaultProgressInterval;
    uint64_t serial_ = 0;
    EventRecord completion_;
};
