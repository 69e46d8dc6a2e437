#pragma once
// Input given to top-level windows as if the user had given it, through the
// display's own event queue (what SendInput does on the original platform).
// The thread that owns the window turns each event into window messages at
// its next look at its queue, exactly as it does with the user's input; the
// rules of SdlWindow.h apply (capture, focus, double clicks, typed text).
//
// Coordinates are client pixels of the window; they may lie outside it (the
// event then reaches only a capture window). Each call answers false, with
// nothing queued, when the window has no top-level window on the display or
// the display's queue refuses the event.

#include <string_view>

#include "platform/Messages.h"

namespace platform {

enum class MouseButton { Left, Right, Middle };

enum class DisplayWindowEvent {
    Exposed,
    Resized,  // to the width and height given
    Moved,    // the client area's corner to (width, height) as x and y
    Minimised,
    Maximised,
    Restored,
    Leave,  // the pointer left the window
    FocusGained,
    FocusLost,
    Close,
};

bool SynthesizeMouseMove(WindowId window, int x, int y);
// clicks: the display's own click count that the event carries, as a real
// mouse's does; window messages pair presses by DoubleClick.h instead.
bool SynthesizeMouseButton(WindowId window, MouseButton button, bool down, int x, int y,
                           int clicks = 1);
// Notches away from the user (negative: towards), the pointer at (x, y).
bool SynthesizeMouseWheel(WindowId window, int notches, int x, int y);
// A Windows virtual-key code (Input.h; also the left and right Shift,
// Control and Alt codes 0xA0 to 0xA5). False for a code the keyboard lacks.
bool SynthesizeKey(WindowId window, int virtualKey, bool down, bool repeat = false);
// Typed GBK text (converted to the display's UTF-8, as a keyboard or an
// input method would send it).
bool SynthesizeText(WindowId window, std::string_view gbk);
// Typed text as the display hands it over (UTF-8), which may hold characters
// that have no GBK form.
bool SynthesizeUtf8Text(WindowId window, std::string_view utf8);
// Moved takes the new corner's x and y in width and height.
bool SynthesizeWindowEvent(WindowId window, DisplayWindowEvent event, int width = 0,
                           int height = 0);

}  // namespace platform
