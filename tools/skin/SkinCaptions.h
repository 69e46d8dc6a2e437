#pragma once
// The words the skin draws on its pictures, in the player's language: button
// captions, the labels beside numbers, the big meld and win signs, and the
// characters of glyph strips. They are kept in one table beside the name
// list (tools/skin/regional_skin_captions.txt), one line a picture:
//
//   name  caption
//
// Rules:
//  - The table is UTF-8; captions are kept as GBK bytes, as the pictures'
//    names are. A caption without a GBK form is refused.
//  - A caption names a listed picture, once; it holds no space.
//  - A picture the table does not name carries no words.

#include <string>
#include <string_view>

#include "tools/skin/SkinList.h"

namespace regional_skin {

// The caption table beside a name list: the same folder, the same stem with
// "_captions" for "_names" ("regional_skin_names.txt" gives
// "regional_skin_captions.txt").
std::string CaptionFileBeside(const std::string& nameList);

// Sets the captions of the skin's pictures from a table's text; false with
// the line and reason in error.
bool ParseCaptions(std::string_view text, Skin& skin, std::string& error);
// ParseCaptions of a file; false with a reason when it cannot be read.
bool ReadCaptions(const std::string& path, Skin& skin, std::string& error);

}  // namespace regional_skin
