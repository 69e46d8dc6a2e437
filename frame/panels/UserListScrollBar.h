#pragma once
// The scroll bar of the side panel's user list: the toolkit's scroll bar with
// the readers the list needs and the names the list uses. It moves nothing
// itself; every change goes to its owner as 19840362 and its arrow buttons
// send the owner their step events.
//
// Rules (on top of the toolkit bar's):
//  - A content no longer than the visible length has nowhere to scroll: the
//    position is 0, the thumb fills the track, drags and presses do nothing.
//  - The largest position is never below 0.

#include "engine/ui/CorvaneScrollBar.h"

class CUserListScrollBar : public CCorvaneScrollBar {
public:
    CUserListScrollBar() = default;
    ~CUserListScrollBar() override = default;

    // Keeps the position at 0 while the content fits the visible length.
    void SetScrollInfo(double position, double visible, double content, double step) override;

    // content - visible, truncated toward zero, never below 0.
    virtual int GetMaxPos();
    // The position, truncated toward zero.
    virtual int GetPos();

    // Other names callers use.
    void SetMetrics(double position, double visible, double content, double step) {
        SetScrollInfo(position, visible, content, step);
    }
    void PostScroll() { NotifyTarget(); }
    void Redraw() { Refresh(); }
    void SetBackFrame(const FrameRecord& frame) { SetTrackImage(frame); }
    void SetThumbFrame(const FrameRecord& frame) { SetThumbImage(frame); }
};
