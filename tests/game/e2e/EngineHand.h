#pragma once
// A hand of the table-logic engine played by the seeded table driver, with
// the records the server would send the own chair: the hand start (211040)
// at the deal, the hand state (211160) once a peng, an exposed gang and a
// concealed gang lie on the table, and the result (211080).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace game_test {

struct EngineHand {
    std::vector<uint8_t> handStart;  // with dwords 13, 27 and 36 as the client reads them
    std::vector<uint8_t> handState;
    std::vector<uint8_t> result;
    int banker = -1;
    uint64_t seed = 0;
};

// Meld lists of the hand state, in the engine's order.
inline constexpr int kPengList = 0;
inline constexpr int kChiList = 1;
inline constexpr int kExposedGangList = 2;
inline constexpr int kConcealedGangList = 3;
inline constexpr int kAddedGangList = 4;

// The engine's seed 3 makes chair 2 the banker, the wall start 0 and the
// exchange die give each chair the tiles of the chair after it. The wall
// below (wall position -> tile id) deals the own chair 0:
//   A5 A5 (4, 13), A1 A2 A3, B1 B1 B1, B9 (44), C9 (80) and C1 C2 C3;
// it gives C1 C2 C3 (72-74) away and receives A6 A7 A8 (5-7) from chair 1.
// The banker throws the third A5 (22): the own peng leaves eleven tiles,
// and throwing C9 leaves a ready hand waiting on B9. The robots throw what
// they draw (C tiles the own hand cannot use); the own draws are the fourth
// A5 (31, position 56), the replacement C2 (100, position 106) and B9 (53,
// position 60), which wins.
inline constexpr uint64_t kWholeHandSeed = 3;
inline const std::vector<int32_t> kWholeHandWall = {
    3,  8,  9,  10, 5,  6,  7,  11, 4,  13, 0,  1,  12,  14,  15,  16,  17,  18,  19,  20, 21, 23,
    24, 25, 2,  36, 45, 54, 26, 27, 28, 29, 30, 32, 33,  34,  35,  37,  38,  39,  44,  80, 72, 73,
    40, 41, 42, 43, 46, 22, 47, 74, 48, 75, 76, 77, 31,  78,  79,  81,  53,  49,  50,  51, 52, 55,
    56, 57, 58, 59, 60, 61, 64, 65, 66, 67, 68, 69, 70,  82,  83,  84,  85,  86,  87,  88, 89, 90,
    91, 92, 93, 94, 95, 96, 97, 98, 99, 63, 62, 71, 101, 102, 103, 104, 105, 106, 100, 107};

// Plays seeded hands of a silver table until one holds the three melds
// before it ends; false when none of the first 400 seeds does.
bool PlayEngineHandWithMelds(int ownChair, EngineHand& hand);

// Readers of the packed records.
int32_t RecordWord(const std::vector<uint8_t>& bytes, size_t offset);
// The melds of one list and chair in a hand state (0-6).
int StateMelds(const std::vector<uint8_t>& state, int list, int chair);
// The 32-entry tile list at the offset, up to its first -1.
std::vector<int32_t> RecordTiles(const std::vector<uint8_t>& bytes, size_t offset);

}  // namespace game_test
