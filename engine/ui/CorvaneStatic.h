#pragma once
// A captioned, clickable rectangle drawn entirely on a canvas: the caption in
// a font size, a one-pixel border and four looks (normal, hover, pressed,
// disabled) drawn by code. A click sends one EventRecord. The message panel's
// buttons and the frame's tabs are statics; text items derive from it and
// draw their own looks.
//
// Rules:
//  - The canvas is the static's peer, made by Create; it is kept as an id and
//    looked up on every access. Without it every operation does nothing.
//  - Looks follow the mouse as the image button's do (normal, hover on
//    enter, pressed on down, hover on click, normal on leave; 3 while input
//    is disabled); there is no latch and no sound.
//  - A click counts only with the input snapshot that bound input events
//    carry; a notification whose event id is 0 is never sent.
//  - SetCaption and SetTextColour always redraw the normal look.
//  - Everything runs on the UI thread.

#include <cstdint>
#include <string>

#include "engine/CorvaneControl.h"
#include "engine/EventRecord.h"

class CCorvaneCanvas;

class CCorvaneStatic : public CCorvaneControl {
public:
    using CCorvaneObject::Create;

    CCorvaneStatic() = default;
    ~CCorvaneStatic() override = default;

    int OnEvent(const EventRecord& record) override;
    // The canvas's hit test; 0 without a canvas.
    int HitTest(int x, int y) override;

    // Keeps the caption (null: empty), font size, canvas colour key and
    // border colour, makes the width x height canvas, binds its mouse events
    // to the static, keeps a copy of notify (may be null) and draws the
    // normal look. Answers the canvas (null when none could be made).
    virtual CCorvaneCanvas* Create(const char* caption, int width, int height, int fontSize,
                                   uint32_t colourKey, uint32_t borderColour,
                                   const EventRecord* notify);
    virtual CCorvaneCanvas* GetCanvas();
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnMouseDown();
    virtual void OnClick();
    // Looks 0..3; any other look only invalidates the canvas.
    virtual void Draw(int look);
    virtual void SetNotify(const EventRecord& record);
    // The pen (caption) colour; then the normal look.
    virtual void SetTextColour(uint32_t colour);
    virtual std::string GetCaption();
    // Null is taken as ""; then the normal look.
    virtual void SetCaption(const char* text);
    virtual int GetHandCursorFlag() { return handCursor_; }
    virtual void SetHandCursorFlag(int value) { handCursor_ = value; }
    virtual void SetHoverCursor();
    virtual void RestoreCursor();

    int GetFontSize() const { return fontSize_; }
    uint32_t GetBorderColour() const { return borderColour_; }
    uint32_t GetColourKey() const { return colourKey_; }
    const EventRecord& GetNotify() const { return notify_; }

    // Other names callers use.
    void SetTextColor(uint32_t colour) { SetTextColour(colour); }

    // The border colour of the hover and pressed looks: each colour byte
    // turned to 255 - c, the fourth byte 0.
    static uint32_t InvertedColour(uint32_t colour) { return ~colour & 0xFFFFFF; }

protected:
    const std::string& Caption() const { return caption_; }

private:
    int canvasId_ = 0;
    EventRecord notify_;
    uint32_t colourKey_ = 0;
    uint32_t borderColour_ = 0;
    std::string caption_;
    int fontSize_ = 0;
    int handCursor_ = 0;
};
