#pragma once
// A plain, predictable robot seat that never melds. The table server's
// robots throw and exchange by its rule; their wins, melds and
// declarations are RobotPlayer's.
//
// Rules kept:
//  - It wins whenever the engine offers a win (on a discard, self-drawn,
//    robbing a kong) and otherwise passes; it never pengs, gangs, chis or
//    declares the ready hand.
//  - It discards from the suit it holds fewest of (ties: the lower suit):
//    an isolated tile first (no other tile of its suit within two ranks),
//    else the lowest index.
//  - Its exchange is the engine's automatic choice.

#include <cstddef>
#include <cstdint>

#include "mahjong_tiles/TileTypes.h"
#include "tools/table_driver/SeatPlayer.h"

class RuleRobot : public SeatPlayer {
public:
    size_t Choose(const CRegionalMahjongRules& table, const SeatDecision& decision) override;
};

// The index the rule discards from a hand of these counts (-1: none).
int RuleRobotDiscardIndex(const HandCounts& counts);

// The tile the rule discards from the seat's hand (-1 when it holds none).
int32_t RuleRobotDiscard(const CRegionalMahjongRules& table, int seat);

// The discard option of the rule's tile; the decision's size when none.
size_t RuleRobotDiscardOption(const CRegionalMahjongRules& table, const SeatDecision& decision);

// The exchange option the engine's automatic choice would take for the
// seat: the suit held most (ties: the lower suit), its first three tiles
// in wall order. The decision's size when none fits.
size_t AutomaticSwapOption(const CRegionalMahjongRules& table, const SeatDecision& decision);
