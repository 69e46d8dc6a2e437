#pragma once
// What a seat may do at one point of a hand, and the player that chooses it.
// A player only chooses among the actions offered; the driver carries the
// choice out. Robots choose here; a player fed from the wire can answer the
// same questions.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class CRegionalMahjongRules;

enum class SeatActionKind {
    kPass,           // let a claim or a robbing chance go
    kSwapChoice,     // three tiles of one suit for the exchange
    kSwapByTimeOut,  // leave the choice to the time-out
    kDiscard,
    kDeclareReady,  // declare the ready hand, discarding the tile
    kSelfDrawnHu,
    kConcealedKong,
    kAddedKong,
    kPeng,
    kExposedKong,
    kDiscardHu,
    kRobKong,
};

struct SeatAction {
    SeatActionKind kind = SeatActionKind::kPass;
    int32_t tile = -1;
    // Tiles from the seat's hand that go with it (-1 where none).
    std::array<int32_t, 3> handTiles{-1, -1, -1};
};

// The options of one seat; passing options, where there are any, come first.
struct SeatDecision {
    int seat = -1;
    std::vector<SeatAction> options;
};

class SeatPlayer {
public:
    virtual ~SeatPlayer() = default;
    // The index of the chosen option (an index out of range takes option 0).
    virtual size_t Choose(const CRegionalMahjongRules& table, const SeatDecision& decision) = 0;
    // The chosen option as the seat means it: a player fed from the wire may
    // name other held copies of the same kinds (the driver keeps the offered
    // tiles when they are not such copies).
    virtual SeatAction Meant(const CRegionalMahjongRules& table, const SeatDecision& decision,
                             size_t chosen) {
        (void)table;
        return decision.options[chosen];
    }
};
