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
