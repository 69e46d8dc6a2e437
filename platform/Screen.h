#pragma once
// The screen the client's windows live on: the primary screen's size and
// its work area (the part not taken by panels and docks), and what the
// client does to its top-level windows' standing on it: a largest client
// size, bringing one to the front, flashing one once.
//
// Rules:
//  - The screen is read from the display (SDL's primary display and its
//    usable bounds); without a display it is 1024 x 768, all of it work
//    area. Tests set both. Read it on the thread that owns the display (the
//    UI thread): the display is opened there.
//  - The window calls take a window with a top-level window (SdlWindow.h)
//    and answer false, doing nothing, for any other.

#include "platform/Cursor.h"
#include "platform/Messages.h"

namespace platform {

inline constexpr int kScreenWidthWithoutDisplay = 1024;
inline constexpr int kScreenHeightWithoutDisplay = 768;

// (0, 0, width, height) of the primary screen.
ScreenRect PrimaryScreenRect();
// The primary screen's work area, in screen coordinates.
ScreenRect WorkArea();

// Tests fix what the two answer; ResetScreenForTesting reads the display again.
void SetScreenForTesting(const ScreenRect& screen, const ScreenRect& workArea);
void ResetScreenForTesting();

// The client area of the window never grows beyond width x height, neither
// by the user nor by the program; a larger one shrinks at once. 0 or less
// for a side lifts that limit.
bool SetMaximumClientSize(WindowId window, int width, int height);

// Moves and sizes the window's client area to the rectangle (screen
// coordinates) and takes it out of the always-on-top layer; its handler hears
// kMsgMove and kMsgSize for what changed (SdlWindow.h). Its rectangle is then
// GetWindowRect's answer (Input.h), and the cursor's screen position
// GetCursorPos's.
bool MoveWindowTo(WindowId window, const ScreenRect& rect);

// The top `height` pixels of the window's client area drag it, as a caption
// would (0 takes the strip away). False when the window has no top-level
// window or the display cannot drag windows.
bool SetCaptionStrip(WindowId window, int height);

// Shows the window above the others and gives it the keyboard focus.
bool BringWindowToFront(WindowId window);

// Flashes the window once to draw the user's eye, unless it has the keyboard
// focus (then false, nothing done).
bool FlashWindowOnce(WindowId window);

}  // namespace platform
