#pragma once
// The window that hosts the engine: it owns one GameCore, makes and loads the
// engine's modules, runs one engine frame on every tick of its frame timer,
// hands mouse and keyboard messages to the input module, presents the back
// buffer on paint, keeps the scene the size of its client area and hands the
// data other programs send it (kMsgCopyData) to its root view. The game's
// main frame window derives from it.
//
// Rules:
//  - Create makes the window and its top-level window on the screen and
//    tells the window its client size at once. Initialize, once, loads the
//    resource (1001), object (1002), paint (1003), music (1004) and input
//    (1005) modules and the failure-notice receiver (1010), registers the
//    program's own cursors (EngineCursors.h) and the root view and starts
//    the frame timer (5 ms asked; the platform's
//    shortest interval applies). Load results are not checked: a module that
//    failed is simply not there.
//  - Derived windows handle their messages in OnMessage first and pass the
//    rest to CCorvaneWnd::OnMessage. The frame timer's tick never reaches
//    OnMessage: like a timer procedure, it runs the frame directly.
//  - Every input message looks the input module up anew and goes nowhere
//    when it is not loaded; the focus and the mouse capture still follow the
//    buttons, so a capture is always released.
//  - The scene and the back buffer follow the client size; a size with a
//    zero side (a minimised window) or the stored size changes nothing.
//  - The root view and a given resource module belong to the engine from
//    Initialize on: the object module destroys the view, the core the
//    module. A view that cannot be registered (no object module) is deleted.
//  - kMsgDestroy unloads every module (first loaded first), forgets the
//    root, stops the timer and closes the top-level window.
//  - Everything runs on the UI thread.

#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/GameCore.h"
#include "platform/Messages.h"
#include "platform/SdlWindow.h"

class CCorvaneView;
class EngineClock;
class GdiPaintModule;
class InputModule;
class ObjectModule;
class ResourceModule;

// The frame timer's interval as the engine asks for it.
inline constexpr uint32_t kFrameTimerIntervalMs = 5;

class CCorvaneWnd : public platform::Window {
public:
    CCorvaneWnd();
    // Uses the clock for its core (tests drive time by hand).
    explicit CCorvaneWnd(std::unique_ptr<EngineClock> clock);
    // Destroys the window (kMsgDestroy) while this class still handles it.
    ~CCorvaneWnd() override;

    // The class's name for creation by name.
    virtual const char* GetRuntimeClassName() const { return "CCorvaneWnd"; }

    // Makes the window, titled (GBK), with the style bits of SdlWindow.h and
    // its client area at the rectangle. The extended style has no meaning
    // here and the window is always top-level: the parent only owns it in
    // name. 1, or 0 when already created.
    virtual int Create(const char* title, uint32_t style, uint32_t extendedStyle,
                       const platform::ScreenRect& rect, platform::WindowId parent);
    // Loads the modules (the given resource module, or a new one), registers
    // the root view and starts the frame timer. 1; 0, with nothing taken,
    // before Create or when already initialised.
    virtual int Initialize(CCorvaneView* root, ResourceModule* resources = nullptr);
    // After a size change: the back buffer, the scene centre and size, the
    // root view's layout, a full redraw.
    virtual void OnResize();
    // One engine frame.
    virtual void RunFrame();
    // The client size as last told by kMsgSize.
    virtual int GetWidth() const { return width_; }
    virtual int GetHeight() const { return height_; }

    CCorvaneView* GetRootObject() const { return root_; }
    GameCore* GetCore() { return &core_; }
    // The frame timer's id among engine windows (0 for the process's first,
    // then 1, ...); -1 before Initialize.
    int GetFrameTimerId() const { return frameTimerId_; }
    // The top-level window on the screen; null before Create and after the
    // window is destroyed.
    platform::TopLevelWindow* GetTopLevel() const { return topLevel_.get(); }

    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) final;

protected:
    // The window's message handler.
    virtual platform::LResult OnMessage(uint32_t id, platform::WParam wParam,
                                        platform::LParam lParam);
    // Create with a window class of the derived window's own (for instance
    // one with double clicks in the options).
    int CreateTopLevel(std::string_view className, const platform::TopLevelOptions& options);

private:
    InputModule* Input() const;
    ObjectModule* Objects() const;
    GdiPaintModule* Painter() const;
    void AttachRoot(CCorvaneView* root);
    void FitSceneToClient(ObjectModule& objects) const;
    void OnSizeMessage(int width, int height);
    static bool IsInputMessage(uint32_t id);
    // The focus and the mouse capture follow the buttons.
    void FollowButtons(uint32_t id);
    void ForwardInput(InputModule& input, uint32_t id, platform::WParam wParam,
                      platform::LParam lParam);
    void OnDestroy();
    uint32_t PlatformTimerId() const;

    CCorvaneView* root_ = nullptr;
    int frameTimerId_ = -1;
    int width_ = 0;
    int height_ = 0;
    GameCore core_;
    std::unique_ptr<platform::TopLevelWindow> topLevel_;
};
