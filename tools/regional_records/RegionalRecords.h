#pragma once
// The regional game server's records, built from named values, for the test
// server's regional script and the game's tests: a script or a test reads as
// the hand it plays, and both send the same bytes.
//
// Rules:
//  - Every record comes out at its full wire size, little-endian, zero where
//    nothing is named; lists are ended or padded with -1 as the server does.
//  - Values are written as given: a builder checks nothing, so tests can
//    build the bad records the client must refuse.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace regional_records {

using Bytes = std::vector<uint8_t>;
template <typename T>
using PerChair = std::array<T, 4>;
using TileList = std::vector<int32_t>;

// Record sizes.
inline constexpr size_t kHandStartBytes = 952;    // 211040
inline constexpr size_t kHandStateBytes = 15156;  // 211160
inline constexpr size_t kResultBytes = 2432;      // 211080
inline constexpr size_t kSwapDiceBytes = 8472;    // 222168
inline constexpr size_t kSwapReadyBytes = 32;     // 229480
inline constexpr size_t kHuaNoticeBytes = 28;     // 229210
inline constexpr size_t kSeatStartedBytes = 16;   // 201160
inline constexpr size_t kPlayerLeftBytes = 28;    // 211000
inline constexpr size_t kTingThrowBytes = 88;     // 400010
inline constexpr size_t kWelfareActBytes = 20;    // 400002

inline constexpr int32_t kSwapReadyKind = 19840338;
// Start flags (dword 14 of the hand start).
inline constexpr int32_t kHandRunning = 0x1;
inline constexpr int32_t kSwapPhase = 0x10;

// What a hand start (211040) says; the other words are 0.
struct HandStart {
    int32_t handNumber = 1;                          // dword 8
    int32_t baseSilver = 100;                        // dword 9
    int32_t baseScore = 10;                          // dword 10
    int32_t banker = 0;                              // dword 11
    int32_t bankerStreak = 0;                        // dword 12
    int32_t turnChair = 0;                           // dword 13, the seat to act
    int32_t startFlags = kHandRunning | kSwapPhase;  // dword 14
    int32_t reactionTime = 8;                        // dword 18, seconds
    PerChair<int32_t> dice{4, 3, 0, 0};              // dwords 23-26
    int32_t claimSkipRule = 1;                       // dword 27
    int32_t chiRule = 0;                             // dword 28
    int32_t wallStart = 0;                           // dword 32
    std::array<int32_t, 2> wildTiles{-1, -1};        // dwords 34-35
    int32_t panelWildTile = -1;                      // dword 36: the deposit panel's wild tile
    int32_t discardTime = 15;                        // dword 39, seconds
    PerChair<int32_t> tilesHeld{14, 13, 13, 13};     // dwords 49-52
    TileList ownTiles;                               // bytes 212-339, -1 after the last
    PerChair<TileList> setAside;                     // bytes 340-915 (36 per chair), lengths at 916
    int32_t word233 = 0;                             // dword 233 (byte 932)
};
Bytes HandStartRecord(const HandStart& start);

// One meld of the hand state's meld store: four tile ids and the chair the
// claimed tile came from.
struct Meld {
    std::array<int32_t, 4> tiles{-1, -1, -1, -1};
    int32_t source = -1;
};
// The meld store's five lists, in the store's order.
enum class MeldList { Peng = 0, Chi = 1, ExposedGang = 2, ConcealedGang = 3, AddedGang = 4 };

// The hand state (211160): the hand start at its head, then the meld store,
// discards, the swap block and the ready candidates.
struct HandState {
    HandStart start;
    std::array<PerChair<std::vector<Meld>>, 5> melds;  // by MeldList, then chair
    PerChair<TileList> discards;
    // The swap block at 6656: the four choices, the received tiles, the die,
    // then the viewer's own three chosen tiles.
    PerChair<std::array<int32_t, 3>> swapChoices{};
    PerChair<std::array<int32_t, 3>> swapReceived{};
    int32_t swapDie = 0;
    std::array<int32_t, 3> ownSwapChoice{};
    int32_t lastDrawnTile = -1;  // byte 6652
};
Bytes HandStateRecord(const HandState& state);
// The byte where meld list `list` (0-4) starts in the hand state.
inline constexpr size_t MeldListOffset(int list) {
    return kHandStartBytes + 688 * static_cast<size_t>(list);
}

// The result of a hand (211080).
struct GameResult {
    uint32_t flags = 0;
    PerChair<int32_t> scoreBase{};              // 96
    PerChair<int32_t> silverBase{};             // 128
    PerChair<int32_t> scoreChange{};            // 160
    PerChair<int32_t> silverChange{};           // 192
    int32_t nextBaseSilver = 100;               // 416
    PerChair<int32_t> winFlags{};               // 516
    int32_t discarder = -1;                     // 532
    int32_t winner = -1;                        // 536
    int32_t winningTile = -1;                   // 540
    PerChair<TileList> handTiles;               // 688 counts, 704 ids
    std::vector<std::string> itemNames;         // 1216, joined by '|'
    std::array<int32_t, 14> itemValues{};       // 2240
    std::array<int32_t, 14> itemMultipliers{};  // 2296
    PerChair<int32_t> finalMultiple{};          // 2352
    PerChair<int32_t> further{};                // 2368
    PerChair<int32_t> exposedGangColumn{};      // 2384 ("明杠")
    PerChair<int32_t> concealedGangColumn{};    // 2400 ("暗杠")
};
Bytes GameResultRecord(const GameResult& result);

// The swap result (222168).
struct SwapDice {
    PerChair<std::array<int32_t, 3>> given{};     // 0
    PerChair<std::array<int32_t, 3>> received{};  // 48
    int32_t die = 4;                              // 96
    PerChair<int32_t> firstTurnOptions{};         // 120
    TileList tingList;                            // 136, 32 entries, -1 padded
};
Bytes SwapDiceRecord(const SwapDice& dice);

// 229480: `chair` is ready to swap; the indicator goes to `indicatorChair`.
Bytes SwapReadyRecord(int32_t chair, int32_t indicatorChair, int32_t kind = kSwapReadyKind);
// 229210: `chair` laid `tile` aside and drew `replacement` (-1 none) from the
// wall entry.
Bytes HuaNoticeRecord(int32_t chair, int32_t tile, int32_t replacement, int32_t wallIndex);
// 201160: `chair` is ready for the next hand.
Bytes SeatStartedRecord(int32_t chair);
// 211000: `chair` left; forced with the score and silver deducted (negative).
Bytes PlayerLeftRecord(int32_t chair, bool forced, int32_t scoreDeducted, int32_t silverDeducted);
// 211200: a chat line of `speaker` (kind 8 a spoken phrase) with its text.
Bytes ChatLineRecord(int32_t speaker, int32_t kind, const std::string& text);
// 400010: `chair` threw `tile` with a ready declaration (the 222170 layout).
Bytes TingThrowRecord(int32_t chair, int32_t tile);
// 400002: the welfare activity id.
Bytes WelfareActRecord(int32_t actId);
// 229805: the recharge page's address, zero-ended.
Bytes ChargeUrlRecord(const std::string& url);

// The tile id of copy `copy` (0-3) of a face: face 0-26 is suit face / 9 and
// value face % 9 + 1 (id = suit * 36 + copy * 9 + value - 1).
inline constexpr int32_t TileOf(int face, int copy) {
    return (face / 9) * 36 + copy * 9 + face % 9;
}

}  // namespace regional_records
