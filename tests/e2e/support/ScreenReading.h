#pragma once
// What a screenshot of the table shows in the drawn skin's key colours: the
// tile faces (each framed by a one-pixel line in its face's colour), the
// rows of backs (filled in the backs' colours, which no other picture uses)
// and any pixel in the colour key 0xff00ff, which no picture may leave on
// the screen.
//
// A face is read as the connected pixels of one face colour: its box is the
// tile as shown (a scaled tile may lose its right and bottom lines; its top
// and left lines stay). Backs that overlap in a row join into one bar; the
// bar's tiles are the runs of fill along its middle line, which each tile's
// inset line ends.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/window/XServer.h"

namespace e2e {

// A screen's pixels (0x00RRGGBB) as XServer reads a window.
using Screen = window_test::WindowImage;

struct Box {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    int CentreX() const { return left + width / 2; }
    int CentreY() const { return top + height / 2; }
};

struct FaceRegion {
    Box box;
    int frame = 0;
    // Lines only: its top or bottom line and its left or right line are
    // whole, and its inside holds none of its colour.
    bool framed = false;
};

struct BackBar {
    Box box;
    bool upright = false;  // tiles stacked from top to bottom
    int tiles = 0;
};

struct ScreenReading {
    std::vector<FaceRegion> faces;
    std::vector<BackBar> bars;
    size_t colourKeyPixels = 0;
};

ScreenReading ReadScreen(const Screen& screen);

// The longest row of faces of one size (within a pixel) whose boxes share
// their vertical span, among faces as big as the biggest ones on the screen.
std::vector<FaceRegion> LargestFaceRow(const std::vector<FaceRegion>& faces);

}  // namespace e2e
