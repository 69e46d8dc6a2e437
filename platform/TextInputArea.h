#pragma once
// Where an input method shows its composition and candidate windows: the
// text-input area of a window, which the program moves to its caret.
//
// Rules:
//  - The area is in the window's client coordinates, each held to
//    [-2^20, 2^20]; an empty or inverted side is made one pixel long from
//    its left or top edge.
//  - The last placement is kept and can be read back, whether or not the
//    window is on the display; a window shown by the display also hands it
//    to the display's input method (SDL's text input rectangle).
//  - Called on the thread that owns the window.

#include <optional>

#include "platform/Display.h"
#include "platform/Messages.h"

namespace platform {

struct TextInputPlacement {
    WindowId window = 0;
    PixelRect area;
    bool operator==(const TextInputPlacement&) const = default;
};

void SetTextInputArea(WindowId window, const PixelRect& area);
// The last placement; none before the first.
std::optional<TextInputPlacement> LastTextInputArea();

}  // namespace platform
