#pragma once
// Writes a skin into the game's ".kor" packs with the project's pack writer:
// every picture and sound of the name list into the pack its section names.
//
// Rules:
//  - Pictures are packed as "<name>.png" (one frame, no transparent pixel)
//    or "<name>.gif", and those the toolkit stretches by their slice values
//    as "<name>.pps".
//  - Sounds: the flat style keeps the listed file name (a sound that names
//    itself); the drawn style packs a tone as "<title>.wav", which the
//    resource module keys like the listed ".ogg" (both are ".sound").
//  - A pack is written at its listed path below the program folder, '\' as
//    '/', its GBK name as it stands; the same list and style give the same
//    bytes.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tools/skin/SkinDrawing.h"
#include "tools/skin/SkinList.h"

namespace regional_skin {

// The file of one picture as a pack holds it: its name with the extension
// its format takes, and its bytes; false with a reason.
bool PictureItem(const Picture& picture, Style style, std::string& fileName,
                 std::vector<uint8_t>& bytes, std::string& error);
// The bytes of one pack (its pictures and sounds, less the names left out).
bool BuildPack(const Skin& skin, const std::string& pack, Style style,
               const std::set<std::string>& leaveOut, std::vector<uint8_t>& image,
               std::string& error);
// The file a pack is written to below the program folder (a trailing '/').
std::string PackFile(const std::string& programFolder, const std::string& pack);
// Writes every pack of the skin below the program folder, making folders as
// needed. Names in leaveOut are not packed. False with a reason.
bool WriteSkinPacks(const Skin& skin, const std::string& programFolder, Style style,
                    std::string& error, const std::set<std::string>& leaveOut = {});

}  // namespace regional_skin
