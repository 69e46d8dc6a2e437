#pragma once
// CMahjongTableLogic: the mahjong layer of the table-logic engine. To the
// table base it adds the wall of CardRecords, the per-seat hands as 64 counts,
// the melds, discards and set-aside tiles, the dice and wild tiles, the claim
// options, the hu results, the bids and the score history.
//
// Rules kept:
//  - Building an instance installs the rule set's six tile functions through
//    the tile algorithms' setters, and reads nothing but the tick: no file,
//    log or settings.
//  - Tiles reach a seat only from the wall: a record is given (dealt or drawn)
//    only from state 0, so no order of calls duplicates or loses a tile.
//  - A seat's counts equal its records in state 1.
//  - Every seat, tile id, record index and buffer is checked; a refused
//    operation returns its failure value and changes nothing.
//  - Play runs by descending seat: the seat after s is GetPrevSeat(s).

#include <array>
#include <span>
#include <string>
#include <vector>

#include "mahjong_logic/MahjongRecords.h"
#include "mahjong_logic/TableLogicBase.h"
#include "mahjong_tiles/HuResult.h"
#include "mahjong_tiles/TileTypes.h"

// Seats that hold hands, melds and hu results: a mahjong table has at most 4.
inline constexpr int kMahjongSeats = 4;
inline constexpr int kMaxWallTiles = 152;
inline constexpr int kHistoryHands = 30;
inline constexpr int kMaxBids = 32;
inline constexpr int kHiddenBlockWords = 32;

template <typename T>
using PerSeat = std::array<T, kMahjongSeats>;

class CMahjongTableLogic : public CTableLogicBase {
public:
    explicit CMahjongTableLogic(const MahjongTableParameters& parameters);
    ~CMahjongTableLogic() override = default;

    void Reset(bool full) override;
    // The tile index of an id under this rule set (-1 for no tile).
    int IndexOf(int id) const;

    // --- Reading the table ---
    const MahjongTableParameters& Parameters() const { return parameters_; }
    int TileCount() const { return tileCount_; }
    int IndexBound() const { return indexBound_; }
    int Die(int k) const { return k >= 0 && k < 4 ? dice_[k] : 0; }
    int WallStart() const { return wallStart_; }
    int WildPosition() const { return wildPosition_; }
    int WildTile1() const { return wildTile1_; }
    int WildTile2() const { return wildTile2_; }
    int DrawnFront() const { return drawnFront_; }
    int DrawnBack() const { return drawnBack_; }
    int FrontPosition() const { return frontPosition_; }
    int DrawCount(int seat) const { return IsValidSeat(seat) ? drawCount_[seat] : 0; }
    std::span<const CardRecord> Wall() const { return wall_; }
    // A seat's counts; all zero for a seat outside the table.
    const HandCounts& Counts(int seat) const;
    int32_t Stake() const { return stake_; }
    int BankerStreak() const { return bankerStreak_; }
    int CurrentSeat() const { return currentSeat_; }
    int ActingSeat() const { return actingSeat_; }
    std::span<const BidEntry> Bids() const { return bids_; }
    uint32_t HuTypeFlags() const { return huTypeFlags_; }

protected:
    const MahjongTableParameters parameters_;
    // Stored rule parameters, checked.
    int tileCount_;
    int copiesPerKind_;
    int indexBound_;
    int suitStride_;
    int flagArrayLength_;
    int operationTimeout_;
    int winningBid_;
    int winningLowBid_;
    int32_t defaultStake_;
    int claimTimeout_;
    uint32_t huTypeFlags_;
    uint32_t extraHuFlags_;

    std::array<int32_t, 4> dice_{};  // first pair, second pair
    std::vector<CardRecord> wall_;
    PerChair<HandCounts> counts_{};
    std::array<int32_t, kHiddenBlockWords> hiddenBlock_{};
    std::vector<BidEntry> bids_;
    int32_t stake_ = 0;
    int wallStart_ = 0;
    int wildPosition_ = -1;
    int wildTile1_ = -1;
    int wildTile2_ = -1;
    uint32_t phaseStartTick_ = 0;
    int32_t tickWord_ = 0;
    int drawnFront_ = 0;
    int drawnBack_ = 0;
    int frontPosition_ = 0;
    PerChair<int32_t> drawCount_{};

    // Hand and turn.
    int seatCounter_ = 0;
    int bankerStreak_ = 1;
    int currentSeat_ = -1;
    int actingSeat_ = -1;

    // Claims.
    int discardedTile_ = -1;
    PerSeat<int32_t> claimOptions_{};
    PerSeat<uint32_t> seatStatus_{};
    // The tile, seat and source seat of the last claim announced (a kong
    // that others may rob); -1 each when none.
    std::array<int32_t, 3> lastClaim_{-1, -1, -1};
    uint32_t kongTick_ = 0;
    int32_t kongDrawWord_ = 0;
    PerSeat<int32_t> wildDiscardCount_{};
    int wildDiscardSeat_ = -1;
    int32_t wildDiscardRun_ = 0;
    // Melds made on a seat's tile, by (source, claimant).
    PerSeat<PerSeat<int32_t>> pengFeeds_{};
    PerSeat<PerSeat<int32_t>> chiFeeds_{};
    PerSeat<PerSeat<int32_t>> kongFeeds_{};

    // Melds, discards and set-aside tiles.
    PerSeat<std::array<std::vector<MeldEntry>, kMeldListCount>> melds_;
    PerSeat<std::vector<int32_t>> discards_;
    PerSeat<std::vector<int32_t>> setAside_;

    // Scores and hu results of the hand.
    PerSeat<int32_t> huPoints_{};
    PerChair<int32_t> firstScores_{};
    PerChair<int32_t> secondScores_{};
    PerSeat<HuResult> huResults_{};
    int discarderSeat_ = -1;
    int winnerSeat_ = -1;
    int32_t winnerCount_ = 0;
    int wonTile_ = -1;
    uint32_t endFlags_ = 0;

    // Score history: the last 30 hands of every seat and running totals.
    PerChair<std::array<int32_t, kHistoryHands>> scoreHistory_{};
    PerChair<int32_t> scoreTotals_{};

private:
    void ClearHand();
};
