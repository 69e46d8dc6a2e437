#pragma once
// The regional game's test skin: the project's name list drawn by the skin
// generator (tools/skin) in its flat style, every picture one key colour per
// frame and every sound a wave file that names itself. A drawing test tells
// from one pixel what it sees (FrameColour, ClassifyColour); a sound test
// tells from a stream's bytes which sound was played (SoundNameOf).
//
// The colour rules are the generator's (tools/skin/SkinColours.h): faces
// share a key colour per face frame, the two backs have their own, every
// plain picture's frame 0 differs from every other picture's, and nothing
// uses the colour key 0xff00ff.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/skin/SkinColours.h"
#include "tools/skin/SkinDrawing.h"
#include "tools/skin/SkinFiles.h"
#include "tools/skin/SkinList.h"
#include "tools/skin/SkinPacks.h"

namespace regional_skin {

// The path of the project's name list.
std::string NameListPath();
// The project's skin, read once; a list that cannot be read gives an empty
// skin and its reason in SkinError().
const Skin& RegionalSkin();
const std::string& SkinError();

// The packs in the order the game registers them.
const std::vector<std::string>& PackPaths();
const Picture* FindPicture(std::string_view name);
const Sound* FindSound(std::string_view fileName);

// What a pixel colour is in the project's skin (within ColourNear).
Seen ClassifyColour(uint32_t colour);

// The bytes of one pack of the flat skin (less the names left out).
bool BuildPack(const std::string& pack, const std::set<std::string>& leaveOut,
               std::vector<uint8_t>& image, std::string& error);
// Writes the skin's packs (flat unless asked otherwise) below the program
// folder (a trailing '/'), each at its listed path with '\' as '/' and its
// GBK name as it stands. Names in leaveOut are not packed (a skin that lacks
// them). False with a reason.
bool WriteSkinPacks(const std::string& programFolder, std::string& error,
                    const std::set<std::string>& leaveOut = {}, Style style = Style::Flat);

// The side of a turn dial that its lit part (its brightest pixels) lies
// on, seen from the dial's centre: 0 left, 1 top, 2 right, 3 bottom, as the
// table counts the positions of the left seat, the seat across, the right
// seat and the own seat; -1 when it lies about the centre or on a diagonal.
// `pixel` gives the colour (0x00BBGGRR) of a point of the dial's square.
int LitSide(const std::function<uint32_t(int x, int y)>& pixel, int width, int height);
// The side that frame of the drawn skin's turn dial lights.
int DrawnDialSide(int frame);

}  // namespace regional_skin
