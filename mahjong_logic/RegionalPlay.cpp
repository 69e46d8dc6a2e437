// The regional play of CRegionalMahjongRules between the deal and the end of a
// hand: the discard with its pass counts and claim options, who may hu on
// which tile, the peng that clears skipped seats' pass counts, the won tile
// laid aside, the automatic discard and the time-outs.

#include <algorithm>

#include "mahjong_logic/RegionalMahjongRules.h"
#include "mahjong_tiles/TileEncoding.h"

namespace {

constexpr int kFlaggedBeforeDiscards = 4;
constexpr int kFlaggedBelowTilesLeft = 4;
constexpr int kPassesThatBarAClaim = 2;

uint64_t Ms(int64_t seconds) {
    return seconds > 0 ? static_cast<uint64_t>(seconds) * 1000u : 0u;
}

}  // namespace

// --- The discard ---

int CRegionalMahjongRules::Discard(int seat, std::span<const int32_t> tiles) {
    if (!DiscardAllowed(seat, tiles)) {
        return 0;
    }
    const int tile = tiles[0];
    readyGranted_.fill(false);
    // Only a discard that follows the discarder's own kong (no front draw
    // between) is a shot after a kong; every other discard clears the flag.
    const bool afterKong = kongDrawWord_ != 0;
    LayDiscard(seat, tile);
    kongDiscardFlag_ = afterKong;
    NotePassesOnDiscard(seat, tile);

    for (int s = 0; s < PlayerCount(); ++s) {
        if (s == seat) {
            answered_[s] = 1;
            continue;
        }
        const int mode = kClaimGang | kClaimHu | (readyDeclared_[s] ? 0 : kClaimPeng);
        HuResult scratch;
        claimOptions_[s] = GetClaimOptions(s, tile, scratch, mode);
        answered_[s] = claimOptions_[s] == 0 ? 1 : 0;
    }
    for (int s = 0; s < PlayerCount(); ++s) {
        if (s != seat && claimOptions_[s] != 0 && !IsChairOut(s) && !readyDeclared_[s]) {
            seatStatus_[s] |= kSeatMayAct;
        }
    }
    responsePriority_.fill(0);
    return 1;
}

int CRegionalMahjongRules::GetClaimOptions(int seat, int tile, HuResult& result, int mode) {
    const int index = IndexOf(tile);
    if (!IsValidSeat(seat) || index < 0) {
        return 0;
    }
    if (PassCount(seat, index) >= kPassesThatBarAClaim) {
        mode &= ~kClaimPeng;
    }
    int options = CMahjongTableLogic::GetClaimOptions(seat, tile, result, mode);
    if ((options & kClaimGang) != 0 && readyDeclared_[seat] &&
        (counts_[seat][index] != 3 ||
         WaitsWithout(seat, index, 0) != WaitsWithout(seat, index, 3))) {
        options &= ~kClaimGang;
    }
    return options;
}

// --- Hu ---

int CRegionalMahjongRules::DiscarderOf(int tile, int seat) const {
    for (int s = 0; s < PlayerCount(); ++s) {
        if (s != seat && !discards_[s].empty() && discards_[s].back() == tile) {
            return s;
        }
    }
    return -1;
}

int CRegionalMahjongRules::CanHu(int seat, int tile, HuResult& result, int mode) {
    if (!IsValidSeat(seat) || IndexOf(tile) < 0 || TestHu(seat, tile, result, mode) == 0 ||
        ScoreHu(seat, tile, result, mode) < 1) {
        return 0;
    }
    if ((mode & (kHuOnDiscard | kHuRobbing)) == 0) {
        return (mode & kHuSelfDrawn) != 0 ? kClaimHu : 0;
    }
    auto base = [&](int type) { return result.words[kHuTypeBaseWord + type]; };
    auto multiplier = [&](int type) { return result.words[kHuTypeMultiplierWord + type]; };
    const bool earlyOrLate = multiplier(kTypeEarlyFour) > 0 || multiplier(kTypeLateFour) > 0;
    if (PassCount(seat, IndexOf(tile)) < kPassesThatBarAClaim) {
        if (base(kTypePlain) < 1 || earlyOrLate) {
            return kClaimHu;
        }
        // A plain hand wins only on the tile of a seat that has declared; a
        // tile no discard list ends with has no such seat.
        const int discarder = DiscarderOf(tile, seat);
        return discarder >= 0 && readyDeclared_[discarder] ? kClaimHu : 0;
    }
    return earlyOrLate || base(kTypeShotAfterKong) >= 1 || multiplier(kTypeShotAfterKong) >= 1
               ? kClaimHu
               : 0;
}

int CRegionalMahjongRules::DispatchRequest(TableRequest& request) {
    const int verdict = CMahjongTableLogic::DispatchRequest(request);
    if (verdict != 0 || (request.HuKind() & kHuRobbing) == 0) {
        return verdict;
    }
    if (CheckDiscardHuRequest(request) == 0) {
        return 0;
    }
    request.words[6] = kHuOnDiscard;
    return 1;
}

// --- Melds ---

int CRegionalMahjongRules::Peng(const TableRequest& request) {
    if (CheckPengRequest(request) == 0) {
        return 0;
    }
    ClearPassCounts(request.Source(), request.PassCountSeat());
    return CMahjongTableLogic::Peng(request);
}

int CRegionalMahjongRules::ConcealedKong(const TableRequest& request) {
    const int seat = request.Seat();
    const int index = IndexOf(request.Tile());
    if (CheckConcealedKongRequest(request) == 0) {
        return 0;
    }
    if (readyDeclared_[seat] && WaitsWithout(seat, index, 1) != WaitsWithout(seat, index, 4)) {
        return 0;
    }
    return CMahjongTableLogic::ConcealedKong(request);
}

int32_t CRegionalMahjongRules::KongMeldFlags() const {
    if (CountDiscards() < kFlaggedBeforeDiscards) {
        return 1;
    }
    return TilesLeft() < kFlaggedBelowTilesLeft ? 2 : 0;
}

bool CRegionalMahjongRules::AnySeatHasWon() const {
    return std::find(seatWon_.begin(), seatWon_.end(), true) != seatWon_.end();
}

bool CRegionalMahjongRules::MayRobKong(int kind) const {
    return CMahjongTableLogic::MayRobKong(kind) && !(kind == kKongAdded && AnySeatHasWon());
}

// --- The won tile, the automatic discard and the time-outs ---

int CRegionalMahjongRules::SetAsideTile(const TableRequest& request) {
    const int seat = request.Seat();
    const int tile = request.Source();  // the tile travels in word 4
    const int record = FindRecord(tile);
    if (!IsValidSeat(seat) || record < 0 || tile != wonTile_ || huPoints_[seat] <= 0) {
        return 0;
    }
    for (const auto& list : setAside_) {
        if (std::find(list.begin(), list.end(), tile) != list.end()) {
            return 0;
        }
    }
    CardRecord& card = wall_[record];
    if (card.state == kCardInHand) {
        TakeCount(record, card.owner);  // self-drawn, or a robbed added kong's tile
    } else if (card.state != kCardDiscarded) {
        return 0;
    }
    // The tile leaves the discarder's list for the winner's.
    if (IsValidSeat(card.owner) && card.owner != seat) {
        auto& list = discards_[card.owner];
        const auto at = std::find(list.rbegin(), list.rend(), tile);
        if (at != list.rend()) {
            list.erase(std::next(at).base());
        }
    }
    card.state = kCardDiscarded;
    card.owner = seat;
    discards_[seat].push_back(tile);
    setAside_[seat].push_back(tile);
    ++winCount_[seat];
    seatWon_[seat] = true;
    return 1;
}

void CRegionalMahjongRules::BeginPlay() {
    AddStateFlags(kTablePlaying | kStateSwapPhase);
}

int CRegionalMahjongRules::AutoDiscardChoice(int seat, TableRequest& request) const {
    if (!IsValidSeat(seat)) {
        return -1;
    }
    if (seatWon_[seat] && SeatHoldsTile(seat, lastDrawnTile_)) {
        return PutAutoDiscard(request, lastDrawnTile_);
    }
    for (const CardRecord& card : wall_) {
        if (card.owner == seat && card.state == kCardInHand &&
            IsFlowerCard(card.id, wildTile1_, wildTile2_, RuleFlags()) == 0) {
            return PutAutoDiscard(request, card.id);
        }
    }
    return PutAutoDiscard(request, FirstHeldTile(seat));
}

bool CRegionalMahjongRules::IsTurnTimeOut() const {
    return Since(PhaseTick()) > Ms(int64_t{operationTimeout_} + 3);
}

bool CRegionalMahjongRules::PhaseTimedOut() const {
    const uint32_t state = TableState();
    if ((state & kStateTurnPhase) != 0) {
        return Since(PhaseTick()) >= Ms(int64_t{operationTimeout_} + 1);
    }
    if ((state & kStateClaimPhase) != 0) {
        const bool anyOptions =
            std::any_of(claimOptions_.begin(), claimOptions_.begin() + PlayerCount(),
                        [](int32_t options) { return options != 0; });
        return !anyOptions || Since(PhaseTick()) >= Ms(int64_t{claimTimeout_} + 1);
    }
    return true;
}

bool CRegionalMahjongRules::IsSeatTurnDue(int seat) const {
    if (!IsValidSeat(seat) || (TableState() & kStateClaimPhase) == 0) {
        return false;
    }
    if (Since(PhaseTick()) > Ms(int64_t{claimTimeout_} + 2)) {
        return true;
    }
    const int next = (seat + 1) % PlayerCount();
    for (int s = 0; s < PlayerCount(); ++s) {
        if (s != seat && s != next && claimOptions_[s] != 0) {
            return false;
        }
    }
    return true;
}
