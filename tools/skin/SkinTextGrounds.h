#pragma once
// The grounds of the pictures the client writes its own texts on: the chat
// pane and its input field, the side panel's headers and players' rows, the
// result, settings and top-up dialogs, the seat boards and the chat
// bubbles. The client chooses those texts' colours itself: pure red for the
// own lines and the highlighted values, dark grey for the other players,
// black for plain text, blue and olive in the swap lines, dark green for the
// score table's header. They all want a light
// ground; pure red reads at most 4:1 on any ground that black also reads on
// (its best, on white), so the pictures that carry red are near white. The
// seat boards' names and the bubbles' text are light: their grounds are
// dark.
//
// Rules:
//  - A ground is flat where text lies; what tells frames apart (a stripe's
//    tint, the marked row's rule) lies outside the rows the text takes.
//  - No pixel is a tile's key colour, nor the colour key but round the chat
//    bubble, whose ground is transparent (kClear) so that it shows its shape.

#include <string_view>

#include "tools/skin/SkinFiles.h"
#include "tools/skin/SkinList.h"

namespace regional_skin {

// Whether the picture is one the client writes text on.
bool IsTextGround(std::string_view name);
// Frame f of such a picture.
Image DrawTextGround(const Picture& picture, int frame);

}  // namespace regional_skin
