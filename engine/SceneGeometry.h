#pragma once
// Whole-pixel geometry of scene objects shared by the root object's hit test
// and the object module's draw list, dirty rectangles and frames.
//
// Rules:
//  - Conversions truncate toward zero; values beyond the int range are held
//    at its ends and NaN counts as 0, so no conversion is undefined.
//  - A positive angle turns counter-clockwise on screen (y grows downward):
//    an offset (dx, dy) from the centre turns to (c*dx + s*dy, -s*dx + c*dy).

#include "engine/ObjectState.h"

int TruncToInt(double value);
// Rounds half away from zero, held to the int range like TruncToInt.
int RoundToInt(double value);

// The object's area on screen without its clip rectangle: its box when it is
// not turned, else the square around the circle through its corners.
IntRect ObjectScreenRect(const ObjectState& state);
// The same, cut to clipRect when flag 0x2 is set (empty when they miss).
IntRect ObjectRect(const ObjectState& state);

// Whether the object's shape meets the rectangle: a plain rectangle test when
// it is not turned; otherwise its turned box, corners rounded to whole
// pixels, meets the rectangle when an edge crosses or touches an edge of the
// other or one lies inside the other.
bool ShapeOverlapsRect(const ObjectState& state, const IntRect& rect);
