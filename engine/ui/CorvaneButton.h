#pragma once
// The engine's image button: a control whose face is a picture whose frames
// are its looks (0 normal, 1 hover, 2 pressed, 3 disabled). It follows the
// mouse, clicks on Enter when made focusable, plays a sound per look, can
// show the hand cursor while hovered and carries an optional caption canvas
// over its face. A click sends one EventRecord chosen by its owner.
//
// Rules:
//  - The face is the button's peer, made by Create; geometry, visibility and
//    input of the button act on it. Without a face every operation does
//    nothing and answers none or 0.
//  - Face and caption canvas are kept as ids and looked up on every access,
//    so a part destroyed on its own is never touched.
//  - Input events count only while input is enabled; a latched button keeps
//    its pressed look through mouse enter and leave.
//  - A click or key event counts only with the input snapshot that bound
//    input events carry; a bare event (param2 0) is ignored.
//  - The notification goes out at once (SendEvent), on the click or, with
//    the notify-on-press flag, on the button down; one whose event id is 0
//    is never sent by the mouse. With the no-notify flag the mouse and the
//    Enter key send nothing at all, while the looks and sounds go on;
//    SendNotify still sends.
//  - Everything runs on the UI thread.

#include <cstdint>
#include <string>

#include "engine/CorvaneControl.h"
#include "engine/EventRecord.h"
#include "engine/ImageRecord.h"

class CCorvaneCanvas;
class CCorvanePicture;

// Behaviour flags of a button.
inline constexpr uint32_t kButtonLatched = 0x1;
inline constexpr uint32_t kButtonNotifyOnPress = 0x2;
inline constexpr uint32_t kButtonKeyboard = 0x4;
inline constexpr uint32_t kButtonNoNotify = 0x8;

// Looks: the face's frames.
inline constexpr int kButtonLookNormal = 0;
inline constexpr int kButtonLookHover = 1;
inline constexpr int kButtonLookPressed = 2;
inline constexpr int kButtonLookDisabled = 3;

// Sound slots, one per look; the disabled slot is kept but never played.
inline constexpr int kButtonSoundSlots = 4;

class CCorvaneButton : public CCorvaneControl {
public:
    using CCorvaneObject::Create;

    CCorvaneButton() = default;
    ~CCorvaneButton() override = default;

    int GetType() override { return kKindButton; }
    int OnEvent(const EventRecord& record) override;
    // The face's hit test; 0 without a face.
    int HitTest(int x, int y) override;

    // Makes the face from the frame state (shown at frame 0, topmost, with
    // faceFlags added: 4 is the pixel-exact hit test) and binds its mouse
    // events to the button. flags are behaviour flags; 0x4 makes the button
    // focusable and lets Enter click it. notify may be null.
    virtual void Create(const FrameRecord& frameState, const EventRecord* notify, uint32_t flags,
                        uint32_t faceFlags);
    virtual void SetNotify(const EventRecord& record);
    // A new face picture; with resize nonzero the face takes its size.
    virtual void SetFaceImage(const FrameRecord& frameState, int resize);
    // The canvas over the face, made on first call (face size, colour key
    // 0xFF00FF, just above the face); null without a face.
    virtual CCorvaneCanvas* GetCaptionCanvas();
    // Look index 0..3; other indices are ignored. Null or "" plays nothing.
    virtual void SetSound(int index, const char* name);
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnMouseDown();
    virtual void OnClick();
    virtual void ShowPressed();
    virtual void ShowNormal();
    // Shows frame n (modulo the face's frame count).
    virtual void SetFrame(int n);
    // The face's frame; 0 without a face.
    virtual int GetFrame();
    // Sends the notification at once, whatever its contents.
    virtual void SendNotify();
    // Draws the text centred on the caption canvas in "宋体" of that size.
    virtual void DrawCaption(const char* text, uint32_t colour, int size);
    virtual void SetNotifyOnPress();
    virtual void ClearNotifyOnPress();
    // On: held in the pressed look. Off: hover or normal look by where the
    // mouse is.
    virtual void SetLatched(int on);
    virtual int IsLatched();
    virtual int GetHandCursorFlag() { return handCursor_; }
    virtual void SetHandCursorFlag(int value) { handCursor_ = value; }
    virtual void SetHoverCursor();
    virtual void RestoreCursor();

    uint32_t GetBehaviourFlags() const { return flags_; }
    const EventRecord& GetNotify() const { return notify_; }
    // The face picture, or null.
    CCorvanePicture* GetFace();

    // Other names callers use.
    void SetFace(const FrameRecord& frameState) { SetFaceImage(frameState, 0); }
    void SetStateSound(int index, const char* name) { SetSound(index, name); }

    // Silences the notification of clicks and presses; the looks stay.
    void SetNoNotify() { flags_ |= kButtonNoNotify; }
    void ClearNoNotify() { flags_ &= ~kButtonNoNotify; }

private:
    // Shows frame n on the face and invalidates it.
    void ShowLook(int n);
    void PlayLookSound(int index);
    bool IsOverFace(const EventRecord& record);
    // The look that input enabled again shows: hover when the mouse is over
    // the face.
    int LookForMouse();
    // Sends the notification when it has an event id, the press is the
    // moment the flags choose and the button is not silenced.
    void NotifyOn(bool press);

    int captionId_ = 0;
    int faceId_ = 0;
    EventRecord notify_;
    std::string sounds_[kButtonSoundSlots];
    uint32_t flags_ = 0;
    int handCursor_ = 0;
};
