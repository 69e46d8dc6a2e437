#pragma once
// The regional game's test skin: every picture and sound the game loads, as
// the name list tools/skin/regional_skin_names.txt gives them, drawn by code
// in flat colours and sounds that name themselves, written into the game's
// eleven ".kor" packs with the project's pack writer. A drawing test tells
// from one pixel what it sees; a sound test tells from a stream's bytes
// which sound was played.
//
// Rules:
//  - Names are GBK bytes (the list is UTF-8; it is converted on reading).
//  - Tile sheets ("faces"): frame f has the same colour in every sheet, so a
//    pixel names the tile's face whatever sheet drew it; the two backs have
//    colours of their own. Faces carry blue 0xa0, backs blue 0x10, every
//    other picture blue 0x60 or more but never 0xa0, so nothing else can be
//    taken for a tile.
//  - Every other picture is one flat colour per frame: frame 0 differs from
//    every other picture's frame 0, further frames step green.
//  - Colours lie at least 6 apart in some channel, so a pixel a canvas drew
//    a unit or two off (blending rounds) is still told (ColourNear).
//  - No picture uses the colour key 0xff00ff, so every pixel drawn is shown.
//  - A sound is a short wave file whose samples spell "PVBNSND:" and its file
//    name (title and extension as listed).

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace regional_skin {

// Frames of a tile sheet: one per tile face the sheets carry.
inline constexpr int kFaceFrames = 42;

enum class Look { Faces, BackSides, BackEnds, Plain };

struct Picture {
    std::string pack;  // the pack's path as the game registers it, GBK ("skins\frame.kor")
    std::string name;  // GBK
    int frames = 1;
    int width = 0;
    int height = 0;
    Look look = Look::Plain;
    uint32_t colour = 0;  // 0x00BBGGRR of frame 0 for a plain picture
};

struct Sound {
    std::string pack;
    std::string fileName;  // GBK, e.g. "male_12.ogg"
};

struct Skin {
    std::vector<std::string> packs;  // in the order listed
    std::vector<Picture> pictures;
    std::vector<Sound> sounds;
};

// Reads a name list in the format of tools/skin/regional_skin_names.txt;
// false with the line and reason in error.
bool ParseNameList(std::string_view text, Skin& skin, std::string& error);

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

// Colours (0x00BBGGRR).
uint32_t FaceColour(int frame);
uint32_t BackColour(Look look);
// The colour frame f of a picture shows.
uint32_t FrameColour(const Picture& picture, int frame);

// Whether a pixel shows a drawn colour, allowing the rounding of blended
// drawing (two units a channel).
bool ColourNear(uint32_t seen, uint32_t drawn);

// What a pixel colour is in this skin (within ColourNear).
struct Seen {
    enum class Kind { Face, BackSides, BackEnds, Plain, Unknown } kind = Kind::Unknown;
    int frame = -1;                    // the face frame, or the plain picture's frame
    const Picture* picture = nullptr;  // the plain picture
};
Seen ClassifyColour(uint32_t colour);

// A wave file that names the sound; and the name a stream's bytes carry
// (empty when they carry none).
std::vector<uint8_t> SoundBytes(std::string_view fileName);
std::string SoundNameOf(std::span<const uint8_t> bytes);

// The bytes of one pack (its pictures and sounds, less the names left out).
bool BuildPack(const std::string& pack, const std::set<std::string>& leaveOut,
               std::vector<uint8_t>& image, std::string& error);
// Writes the eleven packs below the program folder (a trailing '/'), each
// at its listed path with '\' as '/' and its GBK name as it stands. Names in
// leaveOut are not packed (a skin that lacks them). False with a reason.
bool WriteSkinPacks(const std::string& programFolder, std::string& error,
                    const std::set<std::string>& leaveOut = {});
// The file a pack is written to below the program folder.
std::string PackFile(const std::string& programFolder, const std::string& pack);

}  // namespace regional_skin
