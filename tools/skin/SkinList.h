#pragma once
// The regional game's skin as its name list describes it: the packs in the
// order the game registers them, every picture (name, frames, frame size,
// look) and every sound, each in the pack whose section lists it.
//
// Rules:
//  - Names are GBK bytes (the list is UTF-8; it is converted on reading).
//  - A name is listed once; a name without a GBK form is refused.
//  - Every plain picture gets its own colour, in list order (its key colour;
//    see SkinColours.h).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace regional_skin {

// Frames of a tile sheet: one per tile face the sheets carry (three suits of
// nine, seven honours, eight flowers).
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
    std::string caption;  // GBK: the words drawn on it (SkinCaptions.h); empty for none
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
// ParseNameList of a file; false with a reason when it cannot be read.
bool ReadNameList(const std::string& path, Skin& skin, std::string& error);

// The lines of a list's text (the name list, the caption table) that hold
// something: neither blank nor a comment ('#'), split at blanks, with their
// line numbers.
struct ListLine {
    int number = 0;
    std::vector<std::string_view> fields;
};
std::vector<ListLine> ListLines(std::string_view text);
// The text of a list file; false with a reason when it cannot be read.
bool ReadListText(const std::string& path, std::string& text, std::string& error);

}  // namespace regional_skin
