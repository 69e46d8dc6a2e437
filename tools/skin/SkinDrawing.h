#pragma once
// Draws the frames of a skin picture, in one of two styles:
//  - Flat: every frame one key colour (SkinColours.h), so a drawing test
//    tells from one pixel what it sees.
//  - Drawn: art a player can read, drawn by code: tile faces with their
//    numeral and suit symbol (dots as dots), backs, cloth, buttons in four
//    looks, digits, dice, the turn dial, the scroll bars' parts, the slogan's
//    banner, the ready mark and the auto-play sign, the chat's notice and
//    member icons, panels; the words a picture carries are its caption
//    (SkinCaptions.h), lettered in the game's font.
//
// Rules of the drawn style:
//  - A face has a one-pixel frame in its face's key colour and a back is
//    filled with its back colour; no other pixel of any picture comes within
//    reach of a tile's key colour, so a screen shows where tiles lie.
//  - No pixel is the colour key 0xff00ff (kClear), but round the chat
//    bubble (SkinTextGrounds.h) and the chat emoticons, which are
//    transparent there.
//  - The tile faces follow the game's face index: frames 0-8 bamboo, 9-17
//    dots, 18-26 characters (value 1-9), 27-33 the honours, 34-41 flowers.

#include <vector>

#include "tools/skin/SkinFiles.h"
#include "tools/skin/SkinList.h"

namespace regional_skin {

enum class Style { Flat, Drawn };

// One image per frame, each the picture's width and height.
std::vector<Image> DrawPicture(const Picture& picture, Style style);

// The slice values of a picture that the toolkit stretches along a bar
// (ImageRecord.h): the scroll bars' tracks and thumbs keep a few pixels at
// each end and stretch what lies between; other pictures have none (0, 0).
struct Slices {
    int x = 0;
    int y = 0;
    bool Any() const { return x != 0 || y != 0; }
};
Slices PictureSlices(const Picture& picture);

}  // namespace regional_skin
