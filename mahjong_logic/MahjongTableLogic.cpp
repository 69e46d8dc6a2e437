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
        runningTotal_ = 0;
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
    ClearPlayState();
}

void CMahjongTableLogic::ResetClaimState() {
    claimOptions_.fill(0);
    seatStatus_.fill(0);
    lastClaim_.fill(-1);
    ClearStateFlags(kStatePerTurnClaimBits);
}

// --- Record queries ---

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

int CMahjongTableLogic::FindRecord(int id) const {
    if (id < 0) {
        return -1;
    }
    for (size_t r = 0; r < wall_.size(); ++r) {
        if (wall_[r].id == id) {
            return static_cast<int>(r);
        }
    }
    return -1;
}

int CMahjongTableLogic::RecordTileId(int record) const {
    return record >= 0 && record < static_cast<int>(wall_.size()) ? wall_[record].id : -1;
}

int CMahjongTableLogic::SeatTileCount(int seat) const {
    if (!IsValidSeat(seat)) {
        return 0;
    }
    int total = 0;
    for (const int32_t n : counts_[seat]) {
        total += n;
    }
    return total;
}

bool CMahjongTableLogic::SeatHoldsTile(int seat, int id) const {
    const int r = FindRecord(id);
    return r >= 0 && IsValidSeat(seat) && wall_[r].owner == seat && wall_[r].state == kCardInHand;
}

int CMahjongTableLogic::FirstHeldTile(int seat) const {
    if (!IsValidSeat(seat)) {
        return -1;
    }
    for (const CardRecord& record : wall_) {
        if (record.owner == seat && record.state == kCardInHand) {
            return record.id;
        }
    }
    return -1;
}

int CMahjongTableLogic::TileOwner(int id) const {
    const int r = FindRecord(id);
    return r >= 0 ? wall_[r].owner : -1;
}

int32_t CMahjongTableLogic::TileState(int id) const {
    const int r = FindRecord(id);
    return r >= 0 ? wall_[r].state : kCardAbsent;
}

int32_t CMahjongTableLogic::SetTileState(int id, int32_t state) {
    const int r = FindRecord(id);
    if (r < 0 || !IsKnownCardState(state)) {
        return kCardAbsent;
    }
    const int32_t old = wall_[r].state;
    wall_[r].state = state;
    return old;
}

int32_t CMahjongTableLogic::SetTileOwner(int id, int owner) {
    const int r = FindRecord(id);
    if (r < 0 || (owner != -1 && !IsValidSeat(owner))) {
        return kCardAbsent;
    }
    const int32_t old = wall_[r].owner;
    wall_[r].owner = owner;
    return old;
}

bool CMahjongTableLogic::MoveTile(int id, int seat) {
    const int r = FindRecord(id);
    if (r < 0 || !IsValidSeat(seat)) {
        return false;
    }
    CardRecord& record = wall_[r];
    const int from = record.owner;
    const int index = IndexOf(record.id);
    if (record.state != kCardInHand || from == seat || !IsValidSeat(from) || index < 0 ||
        counts_[from][index] < 1) {
        return false;
    }
    --counts_[from][index];
    ++counts_[seat][index];
    record.owner = seat;
    return true;
}

bool CMahjongTableLogic::TakeCount(int record, int seat) {
    const int index = IndexOf(RecordTileId(record));
    if (index < 0 || !IsValidSeat(seat) || counts_[seat][index] < 1) {
        return false;
    }
    --counts_[seat][index];
    return true;
}

bool CMahjongTableLogic::GiveCount(int record, int seat) {
    const int index = IndexOf(RecordTileId(record));
    if (index < 0 || !IsValidSeat(seat)) {
        return false;
    }
    ++counts_[seat][index];
    return true;
}

int CMahjongTableLogic::TakeRecordFor(int seat, int suit, int value) {
    if (!IsValidSeat(seat)) {
        return -1;
    }
    for (CardRecord& record : wall_) {
        if (record.owner == seat && record.state == kCardInHand && record.suit == suit &&
            record.value == value) {
            record.state = kCardTakenBySearch;
            return record.id;
        }
    }
    return -1;
}

int CMahjongTableLogic::FirstIdOfIndex(int index) const {
    if (index < 0) {
        return -1;
    }
    for (const CardRecord& record : wall_) {
        if ((record.state == kCardInWall || record.state == kCardInHand) &&
            IndexOf(record.id) == index) {
            return record.id;
        }
    }
    return -1;
}

int CMahjongTableLogic::HandTileIds(int seat, std::span<int32_t> out) const {
    std::fill(out.begin(), out.end(), -1);
    if (!IsValidSeat(seat)) {
        return 0;
    }
    size_t written = 0;
    for (const CardRecord& record : wall_) {
        if (written == out.size()) {
            break;
        }
        if (record.owner == seat && record.state == kCardInHand) {
            out[written++] = record.id;
        }
    }
    return static_cast<int>(written);
}

int CMahjongTableLogic::CountsFromIds(std::span<const int32_t> ids, HandCounts& counts) const {
    int counted = 0;
    for (const int32_t id : ids) {
        const int index = IndexOf(id);
        if (index >= 0) {
            ++counts[index];
            ++counted;
        }
    }
    return counted;
}

int CMahjongTableLogic::IdsFromCounts(const HandCounts& counts, int seat,
                                      std::array<int32_t, 64>& ids) const {
    ids.fill(-1);
    if (!IsValidSeat(seat)) {
        return 0;
    }
    std::vector<bool> taken(wall_.size(), false);
    size_t found = 0;
    for (int index = 0; index < indexBound_ && found < ids.size(); ++index) {
        int wanted = counts[index];
        for (size_t r = 0; r < wall_.size() && wanted > 0 && found < ids.size(); ++r) {
            const CardRecord& record = wall_[r];
            if (!taken[r] && record.owner == seat && record.state == kCardInHand &&
                IndexOf(record.id) == index) {
                taken[r] = true;
                ids[found++] = record.id;
                --wanted;
            }
        }
    }
    return static_cast<int>(found);
}

void CMahjongTableLogic::RebuildCounts() {
    counts_ = {};
    for (const CardRecord& record : wall_) {
        const int index = IndexOf(record.id);
        if (record.state == kCardInHand && IsValidSeat(record.owner) && index >= 0) {
            ++counts_[record.owner][index];
        }
    }
}

int CMahjongTableLogic::CountNonZero(std::span<const int32_t> values) {
    return static_cast<int>(
        std::count_if(values.begin(), values.end(), [](int32_t v) { return v != 0; }));
}

int CMahjongTableLogic::FirstNonZero(std::span<const int32_t> values) {
    for (size_t k = 0; k < values.size(); ++k) {
        if (values[k] != 0) {
            return static_cast<int>(k);
        }
    }
    return -1;
}

// --- Bids ---

int CMahjongTableLogic::Bid(const TableRequest& request, int& done) {
    done = 0;
    const int seat = request.Seat();
    if (!IsValidSeat(seat) || static_cast<int>(bids_.size()) >= kMaxBids) {
        return 0;
    }
    const BidEntry bid{seat, request.BidFlag(), request.BidValue()};
    bids_.push_back(bid);
    const bool lowestWins = (RuleFlags() & kMahjongRuleLowestBidWins) != 0;
    auto better = [&](int32_t a, int32_t b) { return lowestWins ? a < b : a > b; };
    if (bid.flag == 0 && (lowestWins ? bid.value <= winningLowBid_ : bid.value >= winningBid_)) {
        stake_ = bid.value;
        SetBanker(seat);
        done = 1;
        return 1;
    }
    if ((RuleFlags() & kMahjongRuleBidRound) == 0) {
        return 1;
    }
    for (int s = 0; s < PlayerCount(); ++s) {
        if (std::none_of(bids_.begin(), bids_.end(),
                         [&](const BidEntry& b) { return b.seat == s; })) {
            return 1;  // not everyone has bid yet
        }
    }
    const BidEntry* best = nullptr;
    for (const BidEntry& b : bids_) {
        if (b.flag == 0 && (best == nullptr || better(b.value, best->value))) {
            best = &b;
        }
    }
    if (best != nullptr) {
        stake_ = best->value;
        SetBanker(best->seat);
    } else {
        stake_ = defaultStake_;
    }
    done = 1;
    return 1;
}
