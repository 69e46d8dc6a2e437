#pragma once
// The engine's message box: a panel canvas of a given size with an optional
// OK button "确定", an optional cancel button "取消" and an optional
// countdown of up to 99 seconds beside the OK button. The panel can be
// dragged; closing it fades it out and then destroys it. The facade's
// message box and system details are built on it (InstallMessagePanelMaker).
//
// Rules:
//  - The panel canvas is the peer; the buttons and the countdown are owned
//    decorations of it. Parts are kept by id and looked up on every access.
//  - OK posts the OK notification, cancel and the end of the countdown post
//    the cancel notification; each closes the panel. The countdown shows
//    n, n - 1, ..., 0 a second apart and ends as a cancel a second after 0.
//  - A panel closes once: after Close, clicks and countdown ticks are
//    ignored, so no notification goes out twice and OK and cancel never
//    both go out. Close also stops the fade-in that may still run, so the
//    fade-out always reaches 0 and the panel is always destroyed.
//  - The caller places the buttons (GetOkButton, GetCancelButton).
//  - UI thread only; ticks are engine events delivered by the object
//    module.

#include <cstdint>

#include "engine/CorvaneControl.h"
#include "engine/CorvaneVisual.h"
#include "engine/EventRecord.h"

class CCorvaneCanvas;
class CCorvaneStatic;

// The longest countdown, in seconds.
inline constexpr int kMaxPanelCountdown = 99;
// The integer setting holding the colour key of the panel's buttons.
inline constexpr int kSettingPanelButtonKey = 11;

class CCorvaneMessagePanel : public CCorvaneControl {
public:
    CCorvaneMessagePanel() = default;
    ~CCorvaneMessagePanel() override = default;

    int OnEvent(const EventRecord& record) override;

    // Makes the width x height panel canvas, an OK button when okNotify is
    // given, a cancel button when cancelNotify is given, and a countdown
    // when seconds > 0 (at most 99); makes the panel draggable and topmost.
    // The panel canvas, or null when it could not be made.
    using CCorvaneObject::Create;
    virtual CCorvaneCanvas* Create(int width, int height, const EventRecord* okNotify,
                                   const EventRecord* cancelNotify, int seconds);
    virtual CCorvaneCanvas* GetCanvas();
    virtual CCorvaneStatic* GetOkButton();
    virtual CCorvaneStatic* GetCancelButton();
    // A further child of derived panels; none in this class.
    virtual CCorvaneObject* GetExtraChild() { return nullptr; }
    // Null without a countdown.
    virtual CCorvaneCanvas* GetCountdownCanvas();
    // Draws the seconds left on the countdown canvas.
    virtual void DrawCountdown();
    // Fades the panel out and then destroys it; once.
    virtual void Close();

    int GetSecondsLeft() const { return secondsLeft_; }
    bool IsClosing() const { return closing_; }

private:
    // A button with the caption whose click reaches the panel as `event`;
    // attached to the panel. Its id, or 0.
    int MakeButton(const char* caption, int event, uint32_t colourKey);
    void MakeCountdown(int seconds);
    void ScheduleTick();
    int OnCountdownTick();
    void Finish(const EventRecord& notification);

    int okButtonId_ = 0;
    int cancelButtonId_ = 0;
    int countdownId_ = 0;
    int secondsLeft_ = 0;
    EventRecord okNotify_;
    EventRecord cancelNotify_;
    uint64_t tickAction_ = 0;
    bool closing_ = false;
};

// The facade's message panel maker: makes a panel registered under the
// owner and created with the size, notifications and seconds.
bool MakeMessagePanel(CCorvaneVisual& owner, int width, int height, const EventRecord* okNotify,
                      const EventRecord* cancelNotify, int seconds, MessagePanelParts& parts);
// Gives the facade the maker above, so ShowMessageBox and ShowSystemDetails
// show panels. The program calls it once at start-up.
void InstallMessagePanelMaker();
