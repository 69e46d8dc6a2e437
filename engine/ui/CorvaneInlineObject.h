#pragma once
// An engine object that stands inside a rich text's flow: a still picture,
// an endlessly looping animation or a clickable picture button. It carries
// the type name that the rich text writes in its place when it copies text
// ("[图片]", "[动画]", "[按钮]"; "[未知物体]" before it is made) and a text
// that a button hands to its target when clicked. The caption object and the
// list item derive from it.
//
// Rules:
//  - The picture that a make operation creates is the peer; its frames are
//    the looks (0 normal, 1 hover, 2 pressed, 3 disabled), shown modulo the
//    picture's frame count. Making again replaces the picture.
//  - Mouse enter, leave, down and click change the look only while input is
//    enabled; leaving always brings the arrow cursor back.
//  - A click posts {click target, 80000007, the text, the object's id}: the
//    target can check the sender by id, and reads a copy of the text that
//    lives until its handler returns, even when the object is destroyed
//    before the event arrives. A target that keeps the text copies it.
//  - Everything runs on the UI thread.

#include <string>

#include "engine/CorvaneControl.h"
#include "engine/EventRecord.h"
#include "engine/ImageRecord.h"

class CCorvanePicture;

// Sent by the rich text with its view width and height as the parameters.
inline constexpr int kEventInlineLayout = 1050;
// What a clicked inline button posts to its target; param1 is its text.
inline constexpr int kEventInlineClick = 80000007;

// Type names (GBK at run time).
inline constexpr char kInlineUnknownName[] = "[未知物体]";
inline constexpr char kInlinePictureName[] = "[图片]";
inline constexpr char kInlineAnimationName[] = "[动画]";
inline constexpr char kInlineButtonName[] = "[按钮]";

class CCorvaneInlineObject : public CCorvaneControl {
public:
    using CCorvaneObject::SetClipRect;

    CCorvaneInlineObject() = default;
    ~CCorvaneInlineObject() override = default;

    int OnEvent(const EventRecord& record) override;
    // The clip rectangle, then a redraw.
    void SetClipRect(int left, int top, int right, int bottom) override;

    // A picture of the frame state, width x height (0: the frame state's
    // own). Each answers the object's id.
    virtual int MakePicture(const FrameRecord& frameState, int width, int height);
    // Frame 0 of the named image, looping endlessly through its frames.
    virtual int MakeAnimation(const char* imageName, int width, int height);
    // Frame 0 of the named image as a button whose click notifies targetId.
    virtual int MakeButton(const char* imageName, int targetId, int width, int height);
    // Lays the object out for the rich text's view; derived classes do it.
    virtual void OnLayout(int, int) {}
    virtual void SetText(const char* text);
    virtual void ShowObject(int);
    virtual void HideObject();
    virtual void SetTypeName(const char* text);
    virtual const char* GetTypeName();
    // The peer's id, or the object's own without one.
    virtual int GetPeerId();
    virtual int GetWidthInt();
    virtual int GetHeightInt();
    // An extension point; empty here.
    virtual void InlineHook() {}

    const char* GetText() const { return text_.c_str(); }
    int GetClickTarget() const { return clickTarget_; }
    // The picture made by a make operation, or null.
    CCorvanePicture* GetPicture();

private:
    // Replaces the picture by one of the frame state, sized and made the
    // peer; the new picture, or null.
    CCorvanePicture* InstallPicture(const FrameRecord& frameState, int width, int height);
    void ShowLook(int look);
    void PostClick();

    std::string typeName_ = kInlineUnknownName;
    std::string text_;
    int clickTarget_ = 0;
    int pictureId_ = 0;
};
