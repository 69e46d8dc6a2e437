#pragma once
// Top-level windows on the screen: the window that shows a Window's client
// area, the messages the display sends it (mouse, keys, typed text, size,
// focus, close, paint), the keyboard focus and the mouse capture.
//
// Rules:
//  - A TopLevelWindow is made, used and destroyed on the thread that owns
//    its Window. While a thread has one open, that thread's message queue
//    also waits on the display's events and turns them into messages posted
//    to the right window (SdlEvents.h), and the display's input and cursor
//    back ends and its minimised query answer for the open windows.
//  - SDL reads its events on one thread: the thread that takes the display
//    (TakeDisplay, the UI thread at program start), else the first thread
//    that opens a top-level window, owns the display until it gives it back
//    or its last window closes. Its blocking waits keep the display
//    (Sync.h) and it shows the panel windows (PanelWindow.h). Without
//    the display (SDL video cannot start, or another thread owns it) a
//    top-level window still keeps its client area's pixels; it just shows
//    nothing and receives no input.
//  - SDL video runs on the driver the user names (SDL_VIDEODRIVER), else on
//    the session's display: x11 when DISPLAY is set, else wayland when
//    WAYLAND_DISPLAY is; never on a driver SDL falls back to that shows
//    nothing.
//  - Mouse messages carry client coordinates as signed 16-bit halves of
//    lParam and the key-state bits (Input.h) in wParam. Outside the client
//    area only the capture window hears the mouse.
//  - Key messages carry Windows virtual-key codes; typed text arrives as GBK
//    bytes, one kMsgChar per byte. Return, Backspace, Tab, Escape and
//    Control with a letter also give their control character as kMsgChar.
//  - Sizes, focus and the minimised state are what the display last said,
//    or what the program last asked for, whichever came later.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Cursor.h"
#include "platform/Display.h"
#include "platform/Messages.h"

struct SDL_Window;

namespace platform {

namespace detail {
struct TopLevelEvents;  // platform-internal
}

// Window messages of the display (their Windows numbers).
inline constexpr uint32_t kMsgMove = 0x0003;  // lParam: the client area's new corner (PackPoint)
inline constexpr uint32_t kMsgSize = 0x0005;
inline constexpr uint32_t kMsgSetFocus = 0x0007;
inline constexpr uint32_t kMsgKillFocus = 0x0008;
inline constexpr uint32_t kMsgEraseBackground = 0x0014;
inline constexpr uint32_t kMsgSetCursor = 0x0020;
inline constexpr uint32_t kMsgKeyDown = 0x0100;
inline constexpr uint32_t kMsgKeyUp = 0x0101;
inline constexpr uint32_t kMsgChar = 0x0102;
inline constexpr uint32_t kMsgSysKeyDown = 0x0104;  // a key with Alt held
inline constexpr uint32_t kMsgSysKeyUp = 0x0105;
inline constexpr uint32_t kMsgMouseMove = 0x0200;
inline constexpr uint32_t kMsgLButtonDown = 0x0201;
inline constexpr uint32_t kMsgLButtonUp = 0x0202;
inline constexpr uint32_t kMsgLButtonDblClk = 0x0203;
inline constexpr uint32_t kMsgRButtonDown = 0x0204;
inline constexpr uint32_t kMsgRButtonUp = 0x0205;
inline constexpr uint32_t kMsgRButtonDblClk = 0x0206;
inline constexpr uint32_t kMsgMButtonDown = 0x0207;
inline constexpr uint32_t kMsgMButtonUp = 0x0208;
inline constexpr uint32_t kMsgMButtonDblClk = 0x0209;
inline constexpr uint32_t kMsgMouseWheel = 0x020A;

// kMsgSize's wParam.
inline constexpr WParam kSizeRestored = 0;
inline constexpr WParam kSizeMinimised = 1;
inline constexpr WParam kSizeMaximised = 2;

// kMsgSetCursor's lParam: the hit area (client) in the low half, the mouse
// message that caused it in the high half.
inline constexpr uint32_t kHitClient = 1;

// The longest side of a client area; longer sides are held to it.
inline constexpr int kMaxClientSide = 16384;

// One notch of the wheel.
inline constexpr int kWheelDelta = 120;

// Window style bits the top-level windows understand.
inline constexpr uint32_t kStylePopup = 0x80000000;
inline constexpr uint32_t kStyleMinimise = 0x20000000;
inline constexpr uint32_t kStyleVisible = 0x10000000;
inline constexpr uint32_t kStyleMaximise = 0x01000000;
inline constexpr uint32_t kStyleCaption = 0x00C00000;
inline constexpr uint32_t kStyleThickFrame = 0x00040000;
inline constexpr uint32_t kStyleOverlappedWindow = 0x00CF0000;

// lParam of the mouse messages (and kMsgMouseWheel's screen point).
inline LParam PackPoint(int x, int y) {
    return static_cast<LParam>(static_cast<uint32_t>(static_cast<uint16_t>(x)) |
                               static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16);
}
inline int PointX(LParam lParam) {
    return static_cast<int16_t>(static_cast<uint16_t>(lParam));
}
inline int PointY(LParam lParam) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(lParam) >> 16));
}

// lParam of kMsgSize: unsigned width and height.
inline LParam PackSize(int width, int height) {
    return static_cast<LParam>(static_cast<uint32_t>(static_cast<uint16_t>(width)) |
                               static_cast<uint32_t>(static_cast<uint16_t>(height)) << 16);
}
inline int SizeWidth(LParam lParam) {
    return static_cast<uint16_t>(lParam);
}
inline int SizeHeight(LParam lParam) {
    return static_cast<uint16_t>(static_cast<uint32_t>(lParam) >> 16);
}

// wParam of kMsgMouseWheel: the key-state bits, and the signed distance in
// the high half (kWheelDelta a notch, positive away from the user).
inline WParam PackWheel(int delta, uint32_t keyState) {
    return static_cast<WParam>((keyState & 0xFFFFu) |
                               static_cast<uint32_t>(static_cast<uint16_t>(delta)) << 16);
}
inline int WheelDelta(WParam wParam) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(wParam) >> 16));
}
inline uint32_t WheelKeyState(WParam wParam) {
    return static_cast<uint32_t>(wParam) & 0xFFFFu;
}

// lParam of the key messages and kMsgChar: repeat count (bits 0-15), the
// extended-key bit 24, Alt held (29), the key was already down (30), the
// key is being released (31). The scan code bits stay 0.
inline constexpr uint32_t kKeyExtended = 1u << 24;
inline constexpr uint32_t kKeyAltHeld = 1u << 29;
inline constexpr uint32_t kKeyWasDown = 1u << 30;
inline constexpr uint32_t kKeyReleasing = 1u << 31;
inline LParam PackKeyData(int repeat, uint32_t bits) {
    return static_cast<LParam>((static_cast<uint32_t>(repeat) & 0xFFFFu) | bits);
}
inline int KeyRepeat(LParam lParam) {
    return static_cast<uint16_t>(lParam);
}
inline uint32_t KeyFlags(LParam lParam) {
    return static_cast<uint32_t>(lParam) >> 16;
}

struct TopLevelOptions {
    std::string title;      // GBK
    ScreenRect clientRect;  // where the client area lies on the screen
    bool visible = true;
    bool framed = true;  // a title bar and a border
    bool resizable = false;
    bool maximised = false;
    bool minimised = false;
    bool doubleClicks = false;  // a second press by DoubleClick.h arrives as ...DblClk
};

// The options a window of the given style bits asks for.
TopLevelOptions TopLevelOptionsFromStyle(std::string_view title, uint32_t style,
                                         const ScreenRect& clientRect);

// The on-screen window of one Window: an SDL window when the display runs,
// and the surface that keeps its client area's pixels (Display.h).
class TopLevelWindow {
public:
    TopLevelWindow(WindowId window, const TopLevelOptions& options);
    ~TopLevelWindow();
    TopLevelWindow(const TopLevelWindow&) = delete;
    TopLevelWindow& operator=(const TopLevelWindow&) = delete;

    // The top-level window of a window; null when it has none.
    static TopLevelWindow* Find(WindowId window);
    // The windows that have a top-level window, in no particular order.
    static std::vector<WindowId> AllWindows();

    WindowId Window() const { return window_; }
    // Whether an SDL window shows it (false when SDL video cannot start).
    bool HasDisplay() const { return sdl_ != nullptr; }
    // Whether a person can see it: an SDL window on a driver that shows
    // something (not SDL's dummy or offscreen driver).
    bool IsOnScreen() const;
    WindowSurface& Surface() { return *surface_; }
    const WindowSurface& Surface() const { return *surface_; }
    bool WantsDoubleClicks() const { return doubleClicks_; }

    // The client area on the screen.
    ScreenRect ClientRect() const;
    int ClientWidth() const { return surface_->Width(); }
    int ClientHeight() const { return surface_->Height(); }
    // New client size (each side held to 0 .. the maximum); kMsgSize is
    // posted when it changed.
    void SetClientSize(int width, int height);
    // The largest client size, for the display's resizing and the program's
    // alike; a larger client area shrinks at once. A side of 0 or less (or
    // above kMaxClientSide) is held to kMaxClientSide.
    void SetMaximumClientSize(int width, int height);
    int MaximumClientWidth() const { return maxWidth_; }
    int MaximumClientHeight() const { return maxHeight_; }

    void SetTitle(std::string_view gbk);
    // The title as last set (GBK), with or without a display.
    const std::string& Title() const { return title_; }
    void Show(bool show);
    bool IsVisible() const { return visible_; }
    // Each posts kMsgSize with the new state when the state changes.
    void Minimise();
    void Restore();
    bool IsMinimised() const { return minimised_; }
    bool IsMaximised() const { return maximised_; }

    // Moves the client area to the rectangle on the screen (each side held
    // to 0 .. the maximum) and takes the window out of the always-on-top
    // layer. kMsgMove and kMsgSize are posted for what changed; kMsgMove
    // also when the display moves the window (the user dragged it).
    void MoveTo(const ScreenRect& clientRect);

    // The top `height` pixels of the client area (0: none) drag the window
    // when pressed, as a caption would; the window's own handler then hears
    // nothing of those presses. False when the display cannot drag windows
    // (headless): the strip is still kept and answered.
    bool SetCaptionStrip(int height);
    int CaptionStrip() const { return captionStrip_; }
    // Whether the client point lies in the caption strip.
    bool IsCaptionPoint(int x, int y) const;

    // The X11 window that shows it; 0 without a display or on another
    // video driver.
    unsigned long X11Window() const;

    // Puts the window above the others on the screen.
    void Raise();
    // Flashes the window once on the screen (when the display can).
    void FlashOnce();
    // How often FlashOnce was asked.
    int FlashCount() const { return flashCount_; }

    // The colour the screen shows at a client point, 0x00BBGGRR: the SDL
    // window's pixel, or the surface's without a display.
    uint32_t ShownColorAt(int x, int y) const;

private:
    friend struct detail::TopLevelEvents;
    class Backend;

    void ApplyClientSize(int width, int height, WParam kind);
    void ApplyMinimised(bool minimised);
    void PostSize(WParam kind) const;
    void NoteMoved(ScreenPoint corner);

    WindowId window_;
    std::string title_;
    SDL_Window* sdl_ = nullptr;
    uint32_t sdlId_ = 0;
    std::unique_ptr<WindowSurface> surface_;
    ScreenPoint origin_;  // without a display
    bool visible_ = false;
    bool minimised_ = false;
    bool maximised_ = false;
    bool doubleClicks_ = false;
    int maxWidth_ = kMaxClientSide;
    int maxHeight_ = kMaxClientSide;
    int flashCount_ = 0;
    int captionStrip_ = 0;
    ScreenPoint movedTo_;  // the corner the last kMsgMove told
};

// Makes the calling thread the display's until GiveBackDisplay, with or
// without windows, and starts SDL video when it can. True when the thread has
// the display (also when it had it); false when another thread has it.
bool TakeDisplay();
// What OpenDisplay came to.
struct DisplayOpening {
    bool opened = false;  // SDL video runs on the display
    std::string display;  // the display asked for, as the user names it
    std::string error;    // why it did not open (SDL's own words)
};
// TakeDisplay, and SDL video started on the display (see the rules for the
// driver): a display that does not answer is tried again for up to
// `waitMs`, so that one still starting is waited for. Without a display in
// the environment it fails at once.
DisplayOpening OpenDisplay(uint32_t waitMs);
// Lets go of what TakeDisplay took (on the same thread); the display goes
// with the thread's last top-level window.
void GiveBackDisplay();

// The answer of a window's message that its handler passes on unhandled:
// kMsgClose destroys the window, kMsgPaint takes the area waiting for paint;
// anything else answers 0.
LResult DefaultWindowProc(Window& window, uint32_t id, WParam wParam, LParam lParam);

// The keyboard focus among top-level windows; 0 when none has it.
WindowId GetFocus();
// Gives the window the keyboard focus and raises it on the screen. The old
// focus window is sent kMsgKillFocus, the new one kMsgSetFocus (wParam: the
// old one). Returns the old one; 0 and nothing done for a window that is not
// open.
WindowId SetFocus(WindowId window);

// The window that hears the mouse wherever it is; 0 when none.
WindowId GetCapture();
// Returns the previous capture window; 0 and nothing done for a window that
// is not open.
WindowId SetCapture(WindowId window);
void ReleaseCapture();

}  // namespace platform
