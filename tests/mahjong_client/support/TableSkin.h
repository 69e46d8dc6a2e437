#pragma once
// The test skin of the table: every picture the table layer fetches, drawn
// by code in plain colours and packed into a ".kor" pack with the project's
// pack writer, so a drawing test can tell from one pixel what it sees.
//
// Rules:
//  - Every face frame of every tile sheet has its own colour, the same
//    frame index has the same colour in every sheet (the colour names the
//    tile's face, whatever sheet drew it); the two backs have colours of
//    their own. Faces carry blue 0xa0, backs blue 0x10, every other picture
//    blue 0x60 or more, so no item can be taken for a tile.
//  - No picture uses the colour key 0xff00ff, so every pixel drawn is shown.
//  - Sizes are those of the smallest screen class: the own row's tiles
//    50 x 72, the other rows' and the discards' smaller, the wall's smallest.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace table_skin {

// Frames of a tile sheet: one per tile face the sheets carry.
inline constexpr int kFaceFrames = 42;
inline constexpr char kBackSides[] = "1366_deal02";  // face-down tiles at positions 0 and 2
inline constexpr char kBackEnds[] = "1366_deal13";   // face-down tiles at positions 1 and 3

// One picture of the skin: a name, a frame size, its frames and where its
// colours come from.
struct SkinItem {
    std::string name;
    int width = 0;
    int height = 0;
    int frames = 1;
    enum class Colours { Faces, BackSides, BackEnds, Plain } colours = Colours::Plain;
    uint32_t plainColour = 0;  // 0x00BBGGRR of frame 0 for Plain items
};

// The colour (0x00BBGGRR) of face frame f (0 .. kFaceFrames - 1).
uint32_t FaceColour(int frame);
// The colour of the back of a face-down tile: the sheet kBackSides or kBackEnds.
uint32_t BackColour(const std::string& sheet);
// The colour frame f of a plain item shows.
uint32_t PlainFrameColour(const SkinItem& item, int frame);

// Every item of the skin.
const std::vector<SkinItem>& TableSkinItems();
const SkinItem* FindSkinItem(const std::string& name);

// The pack's bytes; empty with a reason in error when it cannot be built.
std::vector<uint8_t> BuildTableSkinPack(std::string& error);
// Writes the pack to path; false with a reason in error.
bool WriteTableSkinPack(const std::string& path, std::string& error);

// What a pixel colour is in this skin: the face frame, a back, or nothing.
struct SeenColour {
    enum class Kind { Face, BackSides, BackEnds, Other } kind = Kind::Other;
    int face = -1;  // the face frame for Kind::Face
};
SeenColour ClassifyColour(uint32_t colour);

}  // namespace table_skin
