#include "mahjong_logic/MahjongTableLogic.h"

#include <algorithm>

#include "mahjong_tiles/TileFunctionTable.h"

namespace {

int AtLeast(int value, int low) {
    return std::max(value, low);
}

}  // namespace

// --- Construction and reset ---

CMahjongTableLogic::CMahjongTableLogic(const MahjongTableParameters& parameters)
    : CTableLogicBase(parameters.tableNumber, parameters.baseParameter, parameters.levelUnit,
                      std::clamp(parameters.playerCount, 1, kMahjongSeats), parameters.ruleFlags,
                      parameters.secondBaseParameter, parameters.unusedBaseArgument),
      parameters_(parameters),
      tileCount_(std::clamp(parameters.tileCount, 1, kMaxWallTiles)),
      copiesPerKind_(AtLeast(parameters.copiesPerKind, 1)),
      indexBound_(std::clamp(parameters.indexBound, 1, kHandKinds)),
      suitStride_(std::clamp(parameters.suitStride, 1, kHandKinds)),
      flagArrayLength_(std::clamp(parameters.flagArrayLength, 0, kHandKinds)),
      operationTimeout_(AtLeast(parameters.operationTimeout, 0)),
      winningBid_(parameters.winningBid),
      winningLowBid_(parameters.winningLowBid),
      defaultStake_(parameters.defaultStake),
      claimTimeout_(AtLeast(parameters.claimTimeout, 0)),
      huTypeFlags_(parameters.huTypeFlags),
      extraHuFlags_(parameters.extraHuFlags) {
    CMahjongTableLogic::Reset(true);
    SetSuitFunction(parameters.suitFunction);
    SetValueFunction(parameters.valueFunction);
    SetFlowerTestFunction(parameters.flowerTest);
    SetHonourTestFunction(parameters.honourTest);
    SetSubstituteIndexFunction(parameters.substituteIndex);
    SetWildTestFunction(parameters.wildTest);
}

void CMahjongTableLogic::Reset(bool full) {
    CTableLogicBase::Reset(full);
    if (full) {
        seatCounter_ = 0;
        bankerStreak_ = 1;
        currentSeat_ = -1;
        actingSeat_ = -1;
        scoreHistory_ = {};
        scoreTotals_ = {};
    }
    ClearHand();
}

void CMahjongTableLogic::ClearHand() {
    dice_.fill(0);
    wall_.clear();
    counts_ = {};
    hiddenBlock_.fill(0);
    bids_.clear();
    stake_ = defaultStake_;
    wallStart_ = 0;
    wildPosition_ = -1;
    wildTile1_ = wildTile2_ = -1;
    phaseStartTick_ = 0;
    tickWord_ = 0;
    drawnFront_ = drawnBack_ = 0;
    frontPosition_ = 0;
    drawCount_.fill(0);

    discardedTile_ = -1;
    claimOptions_.fill(0);
    seatStatus_.fill(0);
    lastClaim_.fill(-1);
    kongTick_ = 0;
    kongDrawWord_ = 0;
    wildDiscardCount_.fill(0);
    wildDiscardSeat_ = -1;
    wildDiscardRun_ = 0;
    pengFeeds_ = {};
    chiFeeds_ = {};
    kongFeeds_ = {};

    for (auto& lists : melds_) {
        for (auto& list : lists) {
            list.clear();
        }
    }
    for (auto& list : discards_) {
        list.clear();
    }
    for (auto& list : setAside_) {
        list.clear();
    }

    huPoints_.fill(0);
    firstScores_.fill(0);
    secondScores_.fill(0);
    for (HuResult& result : huResults_) {
        result.Clear();
    }
    discarderSeat_ = -1;
    winnerSeat_ = -1;
    winnerCount_ = 0;
    wonTile_ = -1;
    endFlags_ = 0;
}

// --- Reading the hands ---

int CMahjongTableLogic::IndexOf(int id) const {
    if (id < 0) {
        return -1;
    }
    const TileFunctionTable& functions = TileFunctions();
    const int suit = functions.suit(id, RuleFlags());
    const int value = functions.value(id, RuleFlags());
    if (suit < 0 || value < 1) {
        return -1;
    }
    const int64_t index = int64_t{suit} * suitStride_ + value;
    return index < indexBound_ ? static_cast<int>(index) : -1;
}

const HandCounts& CMahjongTableLogic::Counts(int seat) const {
    static const HandCounts kNone{};
    return IsValidSeat(seat) ? counts_[seat] : kNone;
}
