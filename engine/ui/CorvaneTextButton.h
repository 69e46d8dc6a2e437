#pragma once
// A hover hint: a small bordered text box that fades in above a target
// object while the mouse is over it and disappears at once when the mouse
// leaves. The system bar attaches hints to its buttons.
//
// Rules:
//  - The canvas is the hint's peer, made when the hint is registered (12
//    pixel "宋体" in black on white); it is kept as an id and looked up on
//    every access. Before it exists SetText does nothing.
//  - Attach binds the target's mouse enter and leave to the hint's show
//    (19840375) and hide (19840376) events. The show event carries the
//    target's id in param1 and is looked up on arrival: a target that is gone
//    by then shows nothing. A show without a target (param1 0) fades the
//    hint in where it stands.
//  - The box is as wide as the text at half the font height per byte, at
//    most maxWidth, plus 3 pixels on each side; longer texts wrap.
//  - Placed with its left edge on the target's centre and its bottom on the
//    target's top, then moved fully into the scene.
//  - Everything runs on the UI thread.

#include "engine/CorvaneControl.h"
#include "engine/EventRecord.h"

class CCorvaneCanvas;

// The text's inset inside the hint's border.
inline constexpr int kHintPadding = 3;
inline constexpr uint32_t kHintBorderColour = 0xE7BFC8;

class CCorvaneTextButton : public CCorvaneControl {
public:
    CCorvaneTextButton() = default;
    ~CCorvaneTextButton() override = default;

    // Makes the 10 x 10 canvas (colour key 0xFFFFFF) and makes it the peer.
    void Create() override;
    // 19840375 places the hint at the target of param1 and fades it in;
    // 19840376 hides it; both answer 1. Others go to the root.
    int OnEvent(const EventRecord& record) override;

    // Lays the text out at most maxWidth wide and draws it in the box.
    virtual void SetText(const char* text, int maxWidth);
    // Sets the text and shows the hint while the mouse is over the target;
    // nothing for a null target or an unregistered hint.
    virtual void Attach(CCorvaneObject* target, const char* text, int maxWidth);
    // Shows the hint (from transparent when it was hidden) and raises its
    // opacity by alphaStep every action step up to 1.0; with hideAfter
    // nonzero it hides itself once the fade has finished.
    virtual void FadeIn(double alphaStep, int hideAfter);
    // Stops the hint's actions and hides it.
    virtual void HideHint();
    // The white box with its one-pixel border.
    virtual void DrawBackground();
    virtual void PlaceNear(CCorvaneObject* target);
    // Sizes the canvas and the hint for the text; answers the padding, 3.
    virtual int Layout(const char* text, int maxWidth);
    // The canvas, or null.
    virtual CCorvaneCanvas* GetCanvas();

    // Other names callers use.
    void AttachToButton(CCorvaneObject* target, const char* text, int maxWidth) {
        Attach(target, text, maxWidth);
    }

private:
    int canvasId_ = 0;
};
