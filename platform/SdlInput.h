#pragma once
// What the display's input back end (the one Input.h and Cursor.h use while
// top-level windows are open) has done: the cursor shape it last set and the
// cursor's display count.
//
// The display's back ends answer:
//  - the pointer's screen position from the display (headless drivers: where
//    the last mouse event put it; a pointer that left a window is outside);
//  - window rectangles: the client areas of the open top-level windows;
//  - held keys and buttons as of the key and mouse messages made so far
//    (a window losing the keyboard focus forgets them);
//  - the cursor shape from the system cursors and the loaded ones
//    (Cursors.h); handle 0 shows no cursor;
//  - the cursor clip, confining the pointer to the part of the clip over the
//    focus window (else over the capture window).

#include "platform/Input.h"

namespace platform {

CursorHandle DisplayCursorShape();
int DisplayCursorCount();

}  // namespace platform
