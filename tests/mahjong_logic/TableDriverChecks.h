#pragma once
// Checks run on a table the driver plays: conservation of the tiles, the
// settlement's sums and kong money, and a catalogue of requests the engine
// must refuse without changing any viewer's snapshot or any record.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "mahjong_logic/RegionalMahjongRules.h"
#include "tools/table_driver/TableDriver.h"

// Empty when every tile id is once in the records, in a known state, and
// the counts equal the held records; else what is wrong.
inline std::string ConservationFault(const CRegionalMahjongRules& table) {
    const auto wall = table.Wall();
    if (wall.empty()) {
        return {};
    }
    if (static_cast<int>(wall.size()) != table.TileCount()) {
        return "wall of " + std::to_string(wall.size()) + " records";
    }
    std::vector<int> seen(static_cast<size_t>(table.TileCount()), 0);
    PerSeat<HandCounts> held{};
    for (const CardRecord& record : wall) {
        if (record.id < 0 || record.id >= table.TileCount() ||
            seen[static_cast<size_t>(record.id)]++ != 0) {
            return "tile " + std::to_string(record.id) + " twice or unknown";
        }
        switch (record.state) {
            case kCardInWall:
            case kCardDiscarded:
            case kCardPengFromHand:
            case kCardPengClaimed:
            case 12:
            case 32:
                break;
            case kCardInHand:
                if (!table.IsValidSeat(record.owner)) {
                    return "tile " + std::to_string(record.id) + " held by no seat";
                }
                ++held[static_cast<size_t>(record.owner)]
                      [static_cast<size_t>(table.IndexOf(record.id))];
                break;
            default:
                return "tile " + std::to_string(record.id) + " in state " +
                       std::to_string(record.state);
        }
    }
    for (int seat = 0; seat < 4; ++seat) {
        if (table.Counts(seat) != held[static_cast<size_t>(seat)]) {
            return "counts of seat " + std::to_string(seat) + " differ from its records";
        }
    }
    return {};
}

// Everything a refused request must leave alone: every viewer's snapshot
// (and a viewer outside the table) and the records.
// The image is written into the given buffer, whose memory is kept.
inline void TableImage(CRegionalMahjongRules& table, std::vector<uint8_t>& image) {
    const size_t size = static_cast<size_t>(table.GetGameStateSize());
    image.assign(size * 5, 0);
    for (int viewer = -1; viewer < 4; ++viewer) {
        table.PackGameState(
            std::span<uint8_t>(image).subspan(size * static_cast<size_t>(viewer + 1), size), viewer,
            false);
    }
    const auto wall = table.Wall();
    const size_t at = image.size();
    image.resize(at + wall.size_bytes());
    if (!wall.empty()) {
        std::memcpy(image.data() + at, wall.data(), wall.size_bytes());
    }
}

// Requests the engine must refuse at this point of the hand; each answers
// whether it was refused, with its name.
class IllegalRequests {
public:
    explicit IllegalRequests(uint32_t seed) : random_(seed) {}

    // Makes count requests drawn from the catalogue; the name of the first
    // one that was not refused, or empty.
    std::string TryAll(CRegionalMahjongRules& table, const RoundParameters& round, int count) {
        for (int k = 0; k < count; ++k) {
            std::string name;
            if (!TryOne(table, round, name)) {
                return name;
            }
        }
        return {};
    }

private:
    int Pick(int bound) { return static_cast<int>(random_() % static_cast<uint32_t>(bound)); }
    int OtherSeat(int seat) { return (seat + 1 + Pick(3)) & 3; }
    // A tile the seat holds, else any tile.
    int HeldTile(const CRegionalMahjongRules& table, int seat) {
        std::array<int32_t, 64> ids{};
        const int n = table.HandTileIds(seat, ids);
        return n > 0 ? ids[static_cast<size_t>(Pick(n))] : Pick(table.TileCount());
    }
    int NotHeldTile(const CRegionalMahjongRules& table, int seat) {
        for (int tries = 0; tries < 200; ++tries) {
            const int id = Pick(table.TileCount());
            if (!table.SeatHoldsTile(seat, id)) {
                return id;
            }
        }
        return -1;
    }

    bool TryOne(CRegionalMahjongRules& table, const RoundParameters& round, std::string& name) {
        const uint32_t state = table.TableState();
        const bool claims = (state & kStateClaimPhase) != 0;
        const int active = table.GetActiveChair();
        const int seat = table.IsValidSeat(active) ? active : Pick(4);
        std::array<int32_t, 64> list;
        list.fill(-1);
        switch (Pick(9)) {
            case 0:  // a discard by a seat whose turn it is not
                name = "discard out of turn";
                list[0] = HeldTile(table, OtherSeat(seat));
                return table.Discard(OtherSeat(seat), list) == 0;
            case 1:  // a tile not held
                name = "discard of a tile not held";
                list[0] = NotHeldTile(table, seat);
                return table.Discard(seat, list) == 0;
            case 2: {  // peng by the discarder, or outside the claim phase
                name = claims ? "peng by the discarder" : "peng outside the claim phase";
                const int source = table.DiscarderSeat() >= 0 ? table.DiscarderSeat() : seat;
                const int claimant = claims ? source : OtherSeat(source);
                const int tile = table.DiscardedTile();
                const auto held = SameIndex(table, claimant, tile);
                TableRequest request =
                    MakeTableRequest(claimant, source, tile, {held[0], held[1], -1});
                request.words[11] = claimant;
                return table.Peng(request) == 0;
            }
            case 3: {  // peng without the option (passed, declared, or none)
                name = "peng without the option";
                const int claimant = OtherSeat(seat);
                if ((table.ClaimOptions(claimant) & kClaimPeng) != 0) {
                    return true;
                }
                const int tile = table.DiscardedTile();
                const auto held = SameIndex(table, claimant, tile);
                TableRequest request =
                    MakeTableRequest(claimant, table.DiscarderSeat(), tile, {held[0], held[1], -1});
                request.words[11] = claimant;
                return table.Peng(request) == 0;
            }
            case 4: {  // hu without a winning hand or out of turn
                name = "hu without the option";
                const int claimant = OtherSeat(seat);
                if ((table.ClaimOptions(claimant) & kClaimHu) != 0) {
                    return true;
                }
                TableRequest request =
                    MakeTableRequest(claimant, claims ? table.DiscarderSeat() : claimant,
                                     claims ? table.DiscardedTile() : HeldTile(table, claimant));
                request.words[6] = claims ? kHuOnDiscard : kHuSelfDrawn;
                return table.ResolveHu(request) == 0;
            }
            case 5: {  // the swap outside its phase
                name = "swap outside its phase";
                if ((state & kStateSwapPhase) != 0) {
                    return true;
                }
                SwapRecord record;
                record.words[SwapRecord::kSubmitterWord] = seat;
                for (int k = 0; k < 3; ++k) {
                    record.SetChoice(seat, k, HeldTile(table, seat));
                }
                return table.SubmitSwapChoice(record) == 0 && table.AutoSwapChoice(record) == 0;
            }
            case 6:  // a declaration without the grant
                name = "late declaration";
                if (table.IsReadyGranted(seat)) {
                    return true;
                }
                return table.DeclareReady(seat, HeldTile(table, seat)) == 0;
            case 7: {  // a concealed kong out of turn
                name = "concealed kong out of turn";
                const int other = OtherSeat(seat);
                const int tile = HeldTile(table, other);
                const auto held = SameIndex(table, other, tile, tile);
                return table.ConcealedKong(
                           MakeTableRequest(other, other, tile, {held[0], held[1], held[2]})) == 0;
            }
            default: {  // a second start while playing
                name = "second start";
                if ((state & kTablePlaying) == 0) {
                    return true;
                }
                int chair = -1;
                return table.StartGame(round, chair) == kStartAlreadyPlaying;
            }
        }
    }
    // Up to three held ids of the tile's index besides the excluded one.
    static std::array<int32_t, 3> SameIndex(const CRegionalMahjongRules& table, int seat, int tile,
                                            int excluded = -1) {
        std::array<int32_t, 3> ids{-1, -1, -1};
        size_t n = 0;
        for (const CardRecord& record : table.Wall()) {
            if (n < 3 && record.state == kCardInHand && record.owner == seat &&
                record.id != excluded && table.IndexOf(record.id) == table.IndexOf(tile)) {
                ids[n++] = record.id;
            }
        }
        return ids;
    }

    std::mt19937 random_;
};
