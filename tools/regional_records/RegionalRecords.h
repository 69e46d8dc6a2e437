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

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "mahjong_client/TableProtocol.h"
#include "zep/ZepWire.h"

namespace regional_records {

using Bytes = std::vector<uint8_t>;
template <typename T>
using PerChair = std::array<T, 4>;
using TileList = std::vector<int32_t>;

// Record sizes.
inline constexpr size_t kHandStartBytes = 952;    // 211040
inline constexpr size_t kHandStateBytes = 15156;  // 211160
inline constexpr size_t kResultBytes = 2432;      // 211080

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

// The swap result (222168), its lists by chair.
struct SwapDice {
    PerChair<std::array<int32_t, 3>> given{};     // 0
    PerChair<std::array<int32_t, 3>> received{};  // 48
    int32_t die = 4;                              // 96
    PerChair<int32_t> firstTurnOptions{};         // 120
    TileList tingList;                            // 136, 32 entries, -1 padded
};
Bytes SwapDiceRecord(const SwapDice& dice);

// 229480: `chair` is ready to swap; the indicator goes to `indicatorChair`.
Bytes SwapReadyRecord(int32_t chair, int32_t indicatorChair,
                      int32_t kind = table_protocol::kSwapReadyKind);
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

// --- Definitions ---

namespace detail {

namespace tp = table_protocol;

// Writes words from a byte offset of a record.
class Words {
public:
    explicit Words(Bytes& bytes) : bytes_(bytes) {}

    void At(size_t offset, int32_t value) {
        if (offset + 4 > bytes_.size()) {
            return;
        }
        ZepWireWriter writer(std::span<uint8_t>(bytes_).subspan(offset, 4));
        writer.WriteI32(value);
    }
    void Dword(size_t index, int32_t value) { At(index * 4, value); }
    // `slots` words from the offset: the list, then -1.
    void List(size_t offset, const TileList& list, size_t slots) {
        for (size_t i = 0; i < slots; ++i) {
            At(offset + 4 * i, i < list.size() ? list[i] : -1);
        }
    }
    template <size_t N>
    void Array(size_t offset, const std::array<int32_t, N>& values) {
        for (size_t i = 0; i < N; ++i) {
            At(offset + 4 * i, values[i]);
        }
    }

private:
    Bytes& bytes_;
};

inline void WriteHandStart(const HandStart& start, Bytes& bytes) {
    detail::Words words(bytes);
    words.Dword(8, start.handNumber);
    words.Dword(9, start.baseSilver);
    words.Dword(10, start.baseScore);
    words.Dword(11, start.banker);
    words.Dword(12, start.bankerStreak);
    words.Dword(13, start.turnChair);
    words.Dword(14, start.startFlags);
    words.Dword(18, start.reactionTime);
    words.Array(23 * 4, start.dice);
    words.Dword(27, start.claimSkipRule);
    words.Dword(28, start.chiRule);
    words.Dword(32, start.wallStart);
    words.Array(34 * 4, start.wildTiles);
    words.Dword(36, start.panelWildTile);
    words.Dword(39, start.discardTime);
    words.Array(49 * 4, start.tilesHeld);
    words.List(212, start.ownTiles, 32);
    for (size_t chair = 0; chair < 4; ++chair) {
        words.List(340 + chair * 144, start.setAside[chair], 36);
        words.At(916 + chair * 4,
                 static_cast<int32_t>(std::min<size_t>(start.setAside[chair].size(), 36)));
    }
    words.At(932, start.word233);
}

}  // namespace detail

inline Bytes HandStartRecord(const HandStart& start) {
    Bytes bytes(kHandStartBytes, 0);
    detail::WriteHandStart(start, bytes);
    return bytes;
}

inline Bytes HandStateRecord(const HandState& state) {
    Bytes bytes(kHandStateBytes, 0);
    detail::WriteHandStart(state.start, bytes);
    detail::Words words(bytes);
    // Each list: per chair six entries of seven words, then the four lengths.
    for (int list = 0; list < 5; ++list) {
        const size_t base = MeldListOffset(list);
        for (size_t chair = 0; chair < 4; ++chair) {
            const std::vector<Meld>& melds = state.melds[static_cast<size_t>(list)][chair];
            for (size_t entry = 0; entry < 6; ++entry) {
                const size_t at = base + chair * 168 + entry * 28;
                const Meld meld = entry < melds.size() ? melds[entry] : Meld{};
                words.Array(at, meld.tiles);
                words.At(at + 16, meld.source);
            }
            words.At(base + 672 + chair * 4, static_cast<int32_t>(melds.size()));
        }
    }
    // Discards: 4 x 36 ids, then the lengths.
    const size_t discards = kHandStartBytes + 860 * 4;
    for (size_t chair = 0; chair < 4; ++chair) {
        words.List(discards + chair * 144, state.discards[chair], 36);
        words.At(discards + 576 + chair * 4,
                 static_cast<int32_t>(std::min<size_t>(state.discards[chair].size(), 36)));
    }
    words.At(6652, state.lastDrawnTile);
    for (size_t chair = 0; chair < 4; ++chair) {
        words.Array(6656 + chair * 12, state.swapChoices[chair]);
        words.Array(6704 + chair * 12, state.swapReceived[chair]);
    }
    words.At(6752, state.swapDie);
    words.Array(6756, state.ownSwapChoice);
    words.List(6772, {}, 32);
    return bytes;
}

inline Bytes GameResultRecord(const GameResult& result) {
    Bytes bytes(kResultBytes, 0);
    detail::Words words(bytes);
    words.At(0, static_cast<int32_t>(result.flags));
    words.Array(96, result.scoreBase);
    words.Array(128, result.silverBase);
    words.Array(160, result.scoreChange);
    words.Array(192, result.silverChange);
    words.At(416, result.nextBaseSilver);
    words.Array(516, result.winFlags);
    words.At(532, result.discarder);
    words.At(536, result.winner);
    words.At(540, result.winningTile);
    for (size_t chair = 0; chair < 4; ++chair) {
        words.At(688 + chair * 4,
                 static_cast<int32_t>(std::min<size_t>(result.handTiles[chair].size(), 32)));
        words.List(704 + chair * 128, result.handTiles[chair], 32);
    }
    std::string names;
    for (size_t i = 0; i < result.itemNames.size(); ++i) {
        names += (i > 0 ? "|" : "") + result.itemNames[i];
    }
    names.resize(std::min<size_t>(names.size(), 1023));
    std::copy(names.begin(), names.end(), bytes.begin() + 1216);
    words.Array(2240, result.itemValues);
    words.Array(2296, result.itemMultipliers);
    words.Array(2352, result.finalMultiple);
    words.Array(2368, result.further);
    words.Array(2384, result.exposedGangColumn);
    words.Array(2400, result.concealedGangColumn);
    return bytes;
}

inline Bytes SwapDiceRecord(const SwapDice& dice) {
    table_protocol::SwapDiceNotice notice;
    for (size_t chair = 0; chair < 4; ++chair) {
        for (size_t i = 0; i < 3; ++i) {
            notice.given[chair * 3 + i] = dice.given[chair][i];
            notice.received[chair * 3 + i] = dice.received[chair][i];
        }
    }
    notice.die = dice.die;
    std::copy(dice.firstTurnOptions.begin(), dice.firstTurnOptions.end(),
              notice.firstTurnOptions.begin());
    notice.tingList.fill(-1);
    std::copy_n(dice.tingList.begin(), std::min<size_t>(dice.tingList.size(), 32),
                notice.tingList.begin());
    return table_protocol::WriteTableRecord(notice);
}

inline Bytes SwapReadyRecord(int32_t chair, int32_t indicatorChair, int32_t kind) {
    table_protocol::SwapReadyNotice notice;
    notice.chair = chair;
    notice.kind = kind;
    notice.pointerChair = indicatorChair;
    return table_protocol::WriteTableRecord(notice);
}

inline Bytes HuaNoticeRecord(int32_t chair, int32_t tile, int32_t replacement, int32_t wallIndex) {
    table_protocol::SeatDrawNotice notice;
    notice.chair = chair;
    notice.laidAside = tile;
    notice.tile = replacement;
    notice.wallIndex = wallIndex;
    return table_protocol::WriteTableRecord(notice);
}

inline Bytes SeatStartedRecord(int32_t chair) {
    table_protocol::SeatStartedNotice notice;
    notice.head.chair = chair;
    return table_protocol::WriteTableRecord(notice);
}

inline Bytes PlayerLeftRecord(int32_t chair, bool forced, int32_t scoreDeducted,
                              int32_t silverDeducted) {
    table_protocol::PlayerLeftNotice notice;
    notice.chair = chair;
    notice.forced = forced ? 1 : 0;
    notice.scoreDeducted = scoreDeducted;
    notice.silverDeducted = silverDeducted;
    return table_protocol::WriteTableRecord(notice);
}

inline Bytes ChatLineRecord(int32_t speaker, int32_t kind, const std::string& text) {
    Bytes bytes(36, 0);
    detail::Words words(bytes);
    words.At(0, speaker);
    words.At(8, kind);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

inline Bytes TingThrowRecord(int32_t chair, int32_t tile) {
    table_protocol::CardThrownNotice notice;
    notice.thrower = chair;
    notice.tile = tile;
    return table_protocol::WriteTableRecord(notice);
}

inline Bytes WelfareActRecord(int32_t actId) {
    table_protocol::WelfareActivityNotice notice;
    notice.activityId = actId;
    return table_protocol::WriteTableRecord(notice);
}

inline Bytes ChargeUrlRecord(const std::string& url) {
    Bytes bytes(url.begin(), url.end());
    bytes.push_back(0);
    return bytes;
}

}  // namespace regional_records
