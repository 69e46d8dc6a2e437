#pragma once
// The engine's scroll bar, vertical or horizontal. A track canvas (the peer)
// carries a thumb canvas whose length is the visible share of the content, an
// optional grip picture on the middle of the thumb and two optional arrow
// buttons just outside the ends of the track. The bar scrolls nothing
// itself: it holds a position, a page (the visible extent) and a total (the
// content extent), tells its target the new position when the user drags
// the thumb or presses the track, and its arrow buttons send their own
// events straight to the target, which scrolls by its own step.
//
// Rules:
//  - The position runs from 0 to total - page. A total of 0 stores the
//    values and moves nothing; values that are not finite are refused.
//  - The thumb is at least the minimum thumb length and at most the track
//    long, and always lies inside the track.
//  - The bar changes its position by itself only in answer to the user's
//    drag or press, and then always notifies the target at once
//    (19840362, param1 pointing to position, page and total). A thumb that
//    fills its track (nothing beyond the page, or a track no longer than
//    the thumb) has nowhere to go: drag and press do nothing.
//  - The arrow buttons stand outside the track ends whatever the total.
//  - Thumb, track, grip and arrow buttons are kept as ids and looked up,
//    kind checked, on every access; all of them die with the bar.
//  - Everything runs on the UI thread.

#include <cstdint>

#include "engine/CorvaneControl.h"
#include "engine/EventRecord.h"
#include "engine/ImageRecord.h"

class CCorvaneButton;
class CCorvaneCanvas;
class CCorvanePicture;

// Orientation of a bar.
inline constexpr int kScrollHorizontal = 0;
inline constexpr int kScrollVertical = 1;

// The bar's own events: its thumb and track re-send their input to it as
// these.
inline constexpr int kScrollThumbEntered = 80000002;
inline constexpr int kScrollThumbLeft = 80000003;
inline constexpr int kScrollThumbPressed = 80000004;
inline constexpr int kScrollThumbReleased = 80000005;
inline constexpr int kScrollThumbDragged = 80000006;
inline constexpr int kScrollTrackPressed = 80000007;

// Colour keys the parts get when the bar is made, so that without skin
// images Clear paints them in these colours.
inline constexpr uint32_t kScrollThumbFill = 0x808080;
inline constexpr uint32_t kScrollTrackFill = 0x808040;

inline constexpr double kDefaultMinThumbLength = 15.0;

class CCorvaneScrollBar : public CCorvaneControl {
public:
    using CCorvaneObject::Create;

    CCorvaneScrollBar() = default;
    ~CCorvaneScrollBar() override = default;

    int OnEvent(const EventRecord& record) override;
    // The length along the bar, less the arrow buttons, becomes the track's
    // length (the cross size is taken as given); nothing for a length left
    // of 0 or less.
    void Resize(double width, double height) override;

    // Makes thumb and track of width x height; targetId receives the scroll
    // events. orientation 1 is vertical, anything else horizontal; spare is
    // stored and never read. A bar is made once.
    virtual void Create(int targetId, int width, int height, int orientation, int spare);
    // The picture on the middle of the thumb; later calls give it the new
    // frame state (resized to it).
    virtual void SetGrip(const FrameRecord& frameState);
    // The arrow buttons: up and down only on a vertical bar, left and right
    // only on a horizontal one. A second call replaces the button.
    virtual void CreateUpButton(const FrameRecord& frameState);
    virtual void CreateDownButton(const FrameRecord& frameState);
    virtual void CreateLeftButton(const FrameRecord& frameState);
    virtual void CreateRightButton(const FrameRecord& frameState);
    // Skins: the track image is stretched over the track, the thumb image
    // (frame 0 normal, 1 hover, 2 pressed) over the thumb, whose cross size
    // becomes the image's width.
    virtual void SetTrackImage(const FrameRecord& frameState);
    virtual void SetThumbImage(const FrameRecord& frameState);
    // The track plus the arrow buttons along the bar, in whole pixels.
    virtual int GetTotalLength();
    // The thumb's length along the bar, in whole pixels.
    virtual int GetThumbLength();
    // Taken only when above 0; the bar itself does not use it.
    virtual void SetStep(double step);
    // Stores the values, sizes and places the thumb and places the arrow
    // buttons; a step of -1.0 (anything not above 0) keeps the step.
    virtual void SetScrollInfo(double position, double page, double total, double step);
    // Sends the target 19840362 with a pointer to {position, page, total}
    // that lives only during the call.
    virtual void NotifyTarget();
    // Repaints track and thumb from their images, or as plain bordered
    // areas without them.
    virtual void Refresh();
    virtual void SetMinThumbLength(double length);

    int GetOrientation() const { return orientation_; }
    int IsVertical() const { return orientation_ == kScrollVertical ? 1 : 0; }
    int GetTargetId() const { return targetId_; }
    double GetPosition() const { return position_; }
    double GetPage() const { return page_; }
    double GetTotal() const { return total_; }
    double GetStep() const { return step_; }
    double GetMinThumbLength() const { return minThumbLength_; }
    // The thumb's start (top or left edge) along the bar, in whole pixels.
    int GetThumbPos();

    // The parts, or null.
    CCorvaneCanvas* GetThumb();
    CCorvaneCanvas* GetTrack();
    CCorvanePicture* GetGrip();
    CCorvaneButton* GetFirstButton();   // up or left
    CCorvaneButton* GetSecondButton();  // down or right

    // Other names callers use.
    void SetPatternFrame(const FrameRecord& frameState) { SetGrip(frameState); }
    void SetRange(double position, double page, double total, double step) {
        SetScrollInfo(position, page, total, step);
    }

private:
    CCorvaneButton* FindButton(int id);
    // Makes the arrow button of slot (first or second) sending `event`.
    void MakeArrowButton(const FrameRecord& frameState, int event, bool first);
    void PlaceArrowButtons();
    void ShowThumbLook(int look);
    // True when the content does not exceed the page or the thumb is as
    // long as the track: there is nowhere to scroll, so the user's drag and
    // press neither move anything nor notify.
    bool ThumbFillsTrack();
    void DragThumb(const InputState& input);
    void PressTrack(const InputState& input);
    // Geometry along the bar's axis.
    double StartOf(CCorvaneObject& object);
    double LengthOf(CCorvaneObject& object);
    double MouseAlong(const InputState& input) const;

    int thumbId_ = 0;
    int orientation_ = kScrollVertical;
    int spare_ = 0;
    int targetId_ = 0;
    double position_ = 0.0;
    double page_ = 0.0;
    double total_ = 0.0;
    double minThumbLength_ = kDefaultMinThumbLength;
    double step_ = 0.0;
    int firstButtonId_ = 0;
    int secondButtonId_ = 0;
    FrameRecord thumbImage_;
    FrameRecord trackImage_;
    int trackId_ = 0;
    int gripId_ = 0;
};
