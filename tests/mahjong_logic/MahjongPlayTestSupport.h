#pragma once
// A table for the play tests: the wall built in id order (id k at place k),
// hands laid out through the record setters, and the turn and claim phases
// set as the table driver sets them.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <vector>

#include "tests/mahjong_logic/MahjongTestSupport.h"

// The id of a copy (0..3) of a tile: suits 0..2, values 1..9.
constexpr int TileId(int suit, int value, int copy) {
    return suit * 36 + copy * 9 + value - 1;
}

// The turn and claim phases as the table driver sets them, over any table.
template <typename Table>
class PhaseSteps : public Table {
public:
    using Table::Table;

    // The seat's turn: it is the active chair in the turn phase.
    void Turn(int seat) {
        this->ClearStateFlags(kStateClaimPhase | kStateSwapPhase);
        this->AddStateFlags(kTablePlaying | kStateTurnPhase);
        this->SetActiveChair(seat);
    }
    // The discard's claim window opens.
    void OpenClaims() {
        this->ClearStateFlags(kStateTurnPhase);
        this->AddStateFlags(kStateClaimPhase);
    }
    int DiscardOne(int seat, int tile) {
        std::array<int32_t, 64> list;
        list.fill(-1);
        list[0] = tile;
        return this->Discard(seat, list);
    }
};

// A little-endian word of a packed record at a byte offset.
inline int32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t value = 0;
    for (int b = 3; b >= 0; --b) {
        value = (value << 8) | bytes.at(offset + static_cast<size_t>(b));
    }
    return static_cast<int32_t>(value);
}

class PlayTable : public PhaseSteps<TestMahjongTable> {
public:
    explicit PlayTable(const MahjongTableParameters& parameters = kRegionalTableParameters)
        : PhaseSteps<TestMahjongTable>(parameters) {
        std::vector<int32_t> order(static_cast<size_t>(TileCount()));
        std::iota(order.begin(), order.end(), 0);
        BuildWall(order);
        PlaceBankerAndDice(0, 3, 4);
        wallStart_ = GetWallStart();
        SetDrawPosition();
    }

    void Give(int seat, std::initializer_list<int> ids) {
        for (const int id : ids) {
            SetTileState(id, kCardInHand);
            SetTileOwner(id, seat);
        }
        RebuildCounts();
    }
    void AddMeld(int seat, MeldList list, const MeldEntry& meld) {
        melds_[seat][list].push_back(meld);
    }
    void AddSetAside(int seat, int id) { setAside_[seat].push_back(id); }

    // What the rule set may record of a seat.
    bool HasDeclaredReady(int seat) const override { return declared[seat & 3]; }
    bool HasWonThisHand(int seat) const override { return won[seat & 3]; }
    int LastDrawnTile() const override { return lastDrawn; }

    std::array<bool, 4> declared{};
    std::array<bool, 4> won{};
    int lastDrawn = -1;
};

inline TableRequest MeldRequest(int seat, int source, int tile, std::initializer_list<int> hand) {
    TableRequest request;
    request.words[3] = seat;
    request.words[4] = source;
    request.words[5] = tile;
    for (int k = 0; k < 3; ++k) {
        request.words[6 + k] = -1;
    }
    int k = 0;
    for (const int id : hand) {
        request.words[6 + k++] = id;
    }
    return request;
}

inline TableRequest HuRequest(int seat, int source, int tile, int kind, int robbedKind = 0) {
    TableRequest request;
    request.words[3] = seat;
    request.words[4] = source;
    request.words[5] = tile;
    request.words[6] = kind;
    request.words[7] = robbedKind;
    return request;
}
