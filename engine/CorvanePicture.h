#pragma once
// The picture object (kind 2): an engine object that shows one frame of a
// picture through its image frame view. Buttons, animations and sprites
// switch its frames; the paint module draws it through GetDrawable.
//
// Rules:
//  - The picture never owns the record it shows: cached records belong to
//    the paint module. A record removed from the cache leaves the view
//    without a picture (the view checks the record's serial), never a
//    dangling read.
//  - Frame numbers given to SetFrame and GetFrameDelay keep their low 16
//    bits and are then reduced modulo the frame count by the view.
//  - Made by the object module (CreatePicture) and destroyed only through it.

#include <cstdint>

#include "engine/CorvaneObject.h"
#include "engine/ImageRecord.h"

class CCorvanePicture : public CCorvaneObject {
public:
    CCorvanePicture();
    ~CCorvanePicture() override;

    int GetType() override { return kKindPicture; }
    Drawable* GetDrawable() override { return &view_; }

    // Shows the frame state; with resize nonzero the object takes the frame
    // state's width and height. Invalidates the object.
    virtual void SetImage(const FrameRecord& state, int resize);
    // The frame state's key colour: the tint handed to the blitter
    // (0xFF00FF for none).
    virtual void SetKeyColor(uint32_t color);

    FrameRecord GetFrameInfo() const { return view_.GetFrameInfo(); }
    void GetFrameInfo(FrameRecord* out) const;
    int GetFrameCount() const { return view_.GetFrameCount(); }
    int GetFrame() const { return view_.GetFrame(); }
    int GetTotalDuration() const { return view_.GetTotalDuration(); }
    int GetFrameDelay(int frame) const;
    uint32_t GetKeyColor() const { return view_.GetKeyColor(); }
    // Shows frame (frame & 0xFFFF) modulo the count; answers its delay, 0
    // when nothing changed (no picture, fewer than 2 frames).
    int SetFrame(int frame);
    // The frame `time` ms after `start`, walking the delays round; answers
    // the frame shown (start when nothing changes).
    int SetFrameByTime(int time, int start);
    // The next frame, wrapping; answers its delay.
    int NextFrame();
    // The sum of the delays of frames from, from + 1, ... up to but not
    // including to; a `to` below `from` is first raised by the frame count.
    // 0 without a picture or delays.
    int GetDurationBetween(int from, int to) const;

    const CImageFrameView& GetFrameView() const { return view_; }
    CImageFrameView& GetFrameView() { return view_; }

    // Other names used for SetImage.
    void SetFrameRecord(const FrameRecord& state) { SetImage(state, 1); }
    void SetFrame(const FrameRecord& state, int resize) { SetImage(state, resize); }

private:
    CImageFrameView view_;
};
