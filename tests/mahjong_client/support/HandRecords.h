#pragma once
// The records of a scripted hand, as the server sends them: the hand start
// (211040), the result (211080) and the table-play notices, built word by
// word from named values so a test reads as the hand it plays.

#include <array>
#include <cstdint>
#include <vector>

#include "mahjong_client/TableProtocol.h"

namespace table_test {

// What a hand start says; the record's other words are 0.
struct HandStart {
    int32_t handNumber = 1;
    int32_t baseSilver = 100;
    int32_t baseScore = 10;
    int32_t banker = 2;
    int32_t turnChair = 2;
    int32_t startFlags = 0x1;  // a hand runs
    int32_t reactionTime = 8;  // seconds
    std::array<int32_t, 4> dice{3, 4, 0, 0};
    int32_t claimSkipRule = 0;
    int32_t chiRule = 1;  // chi allowed
    int32_t wallStart = 0;
    std::array<int32_t, 2> wildTiles{-1, -1};
    int32_t wildIndicator = -1;
    int32_t discardTime = 15;                          // seconds
    std::array<int32_t, 4> tilesHeld{13, 13, 14, 13};  // by chair
    std::vector<int32_t> ownTiles;                     // the own chair's tiles
};

// The 952-byte hand-start record.
std::vector<uint8_t> HandStartRecord(const HandStart& start);

// The 2432-byte result record: the winner (-1 none) and the win flags by
// chair.
std::vector<uint8_t> GameResultRecord(int32_t winner, const std::array<int32_t, 4>& winFlags,
                                      uint32_t flags = 0);

// 222170: `thrower` threw `tile`; each chair's option word.
std::vector<uint8_t> CardThrown(int32_t thrower, int32_t tile,
                                const std::array<int32_t, 4>& options = {});
// 229160: `chair` drew the tile (200 hidden) from the wall entry.
std::vector<uint8_t> SeatDraw(int32_t chair, int32_t tile, int32_t wallIndex);
// A meld notice (229185, 229195, 229197, 229199): the claimant's request
// body: its chair, the source chair, the tile and its own tiles (-1 unused).
std::vector<uint8_t> MeldNotice(int32_t claimant, int32_t source, int32_t tile,
                                const std::array<int32_t, 3>& handTiles);
// A record of whole words.
std::vector<uint8_t> WordsRecord(std::initializer_list<int32_t> words);

// The tile id of copy `copy` (0..3) of a suit face: face 0..26 is suit
// face / 9 and value face % 9 + 1; a suit's 36 ids hold its nine values
// four times over (id = suit * 36 + copy * 9 + value - 1).
inline constexpr int32_t TileOf(int face, int copy) {
    return (face / 9) * 36 + copy * 9 + face % 9;
}

}  // namespace table_test
