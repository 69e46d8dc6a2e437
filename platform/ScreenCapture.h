#pragma once
// Screen capture: the whole screen as 24-bit pixels at the screen's size
// (Screen.h's PrimaryScreenRect).
//
// Rules:
//  - On SDL's X11 driver the root window is read (XGetImage) over a display
//    connection of its own.
//  - Otherwise (no display, another driver, X refusing) the picture is black
//    with the program's own windows copied from their surfaces at their
//    screen positions, clipped to the screen.
//  - Rows run top to bottom, 3 bytes a pixel in the order R, G, B, no
//    padding.

#include <cstdint>
#include <vector>

namespace platform {

struct ScreenPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width * height * 3
};

enum class CaptureSource { RootWindow, OwnWindows };

// The screen now; how it was taken in *source when not null.
ScreenPicture CaptureScreen(CaptureSource* source = nullptr);

}  // namespace platform
