// The play of CMahjongTableLogic between the deal and the end of a hand: the
// discard and the claims it opens, their ranks and the waiting for answers,
// the request checks, the melds, the announced kongs others may rob, and hu.

#include <algorithm>
#include <array>

#include "mahjong_logic/MahjongTableLogic.h"
#include "mahjong_tiles/TileEncoding.h"
#include "mahjong_tiles/TileSearch.h"
#include "mahjong_tiles/WildHuTest.h"

namespace {

constexpr size_t kDiscardListEntries = 64;
constexpr size_t kHandListEntries = 64;

// Milliseconds of a number of seconds, never below 0.
uint64_t SecondsMs(int64_t seconds) {
    return seconds > 0 ? static_cast<uint64_t>(seconds) * 1000u : 0u;
}

template <size_t N>
std::array<int32_t, N> TakeHandTiles(const TableRequest& request) {
    std::array<int32_t, N> ids{};
    for (size_t k = 0; k < N; ++k) {
        ids[k] = request.HandTile(static_cast<int>(k));
    }
    return ids;
}

// A kong waits while a seat may still rob it.
bool RobberPending(const PerSeat<int32_t>& options, int players, int kongSeat) {
    for (int s = 0; s < players; ++s) {
        if (s != kongSeat && (options[s] & kClaimHu) != 0) {
            return true;
        }
    }
    return false;
}

// The number of seats with points, and the lowest of them.
int CountWinners(const PerSeat<int32_t>& points, int players, int& lowest) {
    int winners = 0;
    lowest = -1;
    for (int s = 0; s < players; ++s) {
        if (points[s] > 0) {
            lowest = lowest < 0 ? s : lowest;
            ++winners;
        }
    }
    return winners;
}

}  // namespace

void CMahjongTableLogic::ClearPlayState() {
    answered_.fill(0);
    responsePriority_.fill(0);
    notBankerFlags_.fill(0);
}

// --- Reading the play ---

std::span<const int32_t> CMahjongTableLogic::Discards(int seat) const {
    return IsValidSeat(seat) ? std::span<const int32_t>(discards_[seat])
                             : std::span<const int32_t>();
}

std::span<const int32_t> CMahjongTableLogic::SetAside(int seat) const {
    return IsValidSeat(seat) ? std::span<const int32_t>(setAside_[seat])
                             : std::span<const int32_t>();
}

std::span<const MeldEntry> CMahjongTableLogic::Melds(int seat, MeldList list) const {
    if (!IsValidSeat(seat) || list < 0 || list >= kMeldListCount) {
        return {};
    }
    return melds_[seat][list];
}

int32_t CMahjongTableLogic::Feeds(MeldList list, int source, int claimant) const {
    if (!IsValidSeat(source) || !IsValidSeat(claimant)) {
        return 0;
    }
    switch (list) {
        case kMeldPeng:
            return pengFeeds_[source][claimant];
        case kMeldChi:
            return chiFeeds_[source][claimant];
        case kMeldExposedKong:
            return kongFeeds_[source][claimant];
        default:
            return 0;
    }
}

// --- Small tests ---

bool CMahjongTableLogic::IsCurrentDiscard(int source, int tile) const {
    return IsValidSeat(source) && tile >= 0 && tile == discardedTile_ &&
           TileOwner(tile) == source && TileState(tile) == kCardDiscarded &&
           !discards_[source].empty() && discards_[source].back() == tile;
}

bool CMahjongTableLogic::HoldsDistinctTiles(int seat, std::span<const int32_t> ids,
                                            int index) const {
    for (size_t k = 0; k < ids.size(); ++k) {
        if (!SeatHoldsTile(seat, ids[k]) || (index >= 0 && IndexOf(ids[k]) != index)) {
            return false;
        }
        for (size_t j = 0; j < k; ++j) {
            if (ids[j] == ids[k]) {
                return false;
            }
        }
    }
    return true;
}

bool CMahjongTableLogic::HigherResponseRecorded(int priority) const {
    for (int s = 0; s < PlayerCount(); ++s) {
        if (responsePriority_[s] > priority) {
            return true;
        }
    }
    return false;
}

bool CMahjongTableLogic::HasPengOf(int seat, int index, const MeldEntry** meld) const {
    if (!IsValidSeat(seat) || index < 0) {
        return false;
    }
    for (const MeldEntry& entry : melds_[seat][kMeldPeng]) {
        if (IndexOf(entry.tiles[0]) == index) {
            if (meld != nullptr) {
                *meld = &entry;
            }
            return true;
        }
    }
    return false;
}

// --- The discard ---

bool CMahjongTableLogic::DiscardAllowed(int seat, std::span<const int32_t> tiles) const {
    if (!IsValidSeat(seat) || tiles.empty() || tiles.size() > kDiscardListEntries) {
        return false;
    }
    const uint32_t state = TableState();
    if (GetActiveChair() != seat || (state & kStateTurnPhase) == 0 ||
        (state & (kStateSwapPhase | kStateHandOver)) != 0) {
        return false;
    }
    const int tile = tiles[0];
    if (!SeatHoldsTile(seat, tile)) {
        return false;
    }
    if (std::any_of(tiles.begin() + 1, tiles.end(), [](int32_t id) { return id >= 0; })) {
        return false;  // one tile at a time
    }
    // A seat that has won plays on with its hand fixed: it gives back what it
    // draws.
    return !HasWonThisHand(seat) || IndexOf(tile) == IndexOf(LastDrawnTile());
}

void CMahjongTableLogic::LayDiscard(int seat, int tile) {
    const int record = FindRecord(tile);
    wall_[record].state = kCardDiscarded;
    TakeCount(record, seat);
    phaseStartTick_ = Now();
    discards_[seat].push_back(tile);
    discardedTile_ = tile;
    if (IsWildCard(tile, wildTile1_, wildTile2_, RuleFlags()) != 0) {
        NoteWildDiscard(seat);
    } else {
        EndWildDiscardRecord(seat);
    }
    kongDrawWord_ = 0;
    ClearStateFlags(kStateTurnAfterMeld | kStateTurnNoSelfHu);
    ResetClaimState();
    answered_.fill(0);
    responsePriority_.fill(0);
}

int CMahjongTableLogic::Discard(int seat, std::span<const int32_t> tiles) {
    if (!DiscardAllowed(seat, tiles)) {
        return 0;
    }
    const int tile = tiles[0];
    LayDiscard(seat, tile);

    // Every other seat may peng, kong and hu; the next one may also chi. A
    // seat makes no claim on its own discard.
    const int next = GetPrevSeat(seat);
    for (int s = 0; s < PlayerCount(); ++s) {
        if (s == seat) {
            answered_[s] = 1;
            continue;
        }
        // A seat that has declared its ready hand keeps it: no peng.
        const int mode = (HasDeclaredReady(s) ? 0 : kClaimPeng) | kClaimGang | kClaimHu |
                         (s == next ? kClaimChi : 0);
        HuResult scratch;
        claimOptions_[s] = GetClaimOptions(s, tile, scratch, mode);
        answered_[s] = claimOptions_[s] == 0 ? 1 : 0;
    }
    // A seat may act at once when it is the only claimant (a chi only as the
    // next player).
    for (int s = 0; s < PlayerCount(); ++s) {
        if (s == seat || claimOptions_[s] == 0 || IsChairOut(s) || HasDeclaredReady(s)) {
            continue;
        }
        bool thirdClaims = false;
        for (int t = 0; t < PlayerCount(); ++t) {
            thirdClaims = thirdClaims || (t != s && t != seat && claimOptions_[t] != 0);
        }
        if (!thirdClaims && ((claimOptions_[s] & kClaimChi) == 0 || s == next)) {
            seatStatus_[s] |= kSeatMayAct;
        }
    }
    return 1;
}

int CMahjongTableLogic::GetClaimOptions(int seat, int tile, HuResult& result, int mode) {
    if (!IsValidSeat(seat) || IndexOf(tile) < 0) {
        return 0;
    }
    const HandCounts& counts = counts_[seat];
    const uint32_t rules = RuleFlags();
    int options = 0;
    if ((mode & kClaimPeng) != 0 && CanPeng(counts, tile, wildTile1_, wildTile2_, rules) != 0) {
        options |= kClaimPeng;
    }
    if ((mode & kClaimGang) != 0 && !IsWallEmpty() &&
        CanMingGang(counts, tile, wildTile1_, wildTile2_, rules) != 0) {
        options |= kClaimGang;
    }
    if ((mode & kClaimChi) != 0 && (rules & kMahjongRuleNoChi) == 0 &&
        CanChi(counts, tile, wildTile1_, wildTile2_, rules) != 0) {
        options |= kClaimChi;
    }
    if ((mode & kClaimHu) != 0 && (rules & kMahjongRuleNoDiscardHu) == 0 &&
        CanHu(seat, tile, result, kHuOnDiscard) != 0) {
        options |= kClaimHu;
    }
    return options;
}

// --- Ranks and answers ---

int CMahjongTableLogic::ClaimPriority(int seat, int source, int options) const {
    if (!IsValidSeat(seat) || !IsValidSeat(source)) {
        return 0;
    }
    int distance = 0;
    if (seat == (source + 3) % 4) {
        distance = -1;
    } else if (seat == (source + 2) % 4) {
        distance = -2;
    } else if (seat == (source + 1) % 4) {
        distance = -3;
    }
    if ((options & kClaimHu) != 0) {
        return (RuleFlags() & kMahjongRuleSeveralWinners) != 0 ? 400 : 400 + distance;
    }
    if ((options & kClaimGang) != 0) {
        return 300 + distance;
    }
    if ((options & kClaimPeng) != 0) {
        return 200 + distance;
    }
    if ((options & kClaimChi) != 0) {
        return 100 + distance;
    }
    return 0;
}

int CMahjongTableLogic::AnswerClaim(int seat, int /*source*/) {
    if (!IsValidSeat(seat) || answered_[seat] != 0) {
        return 0;
    }
    claimOptions_[seat] = 0;
    answered_[seat] = 1;
    for (const int32_t option : {kClaimHu, kClaimGang, kClaimPeng, kClaimChi}) {
        for (int s = 0; s < PlayerCount(); ++s) {
            if ((claimOptions_[s] & option) != 0) {
                return answered_[s] != 0 ? 1 : 0;
            }
        }
    }
    for (int s = 0; s < PlayerCount(); ++s) {
        if (answered_[s] == 0) {
            return 0;
        }
    }
    return 1;
}

int CMahjongTableLogic::AllAnswered(int seat) const {
    if (!IsValidSeat(seat) || (TableState() & kStateHandOver) != 0) {
        return 0;
    }
    const uint64_t window = SecondsMs(int64_t{claimTimeout_} - 1) + 500;
    if (Since(phaseStartTick_) < window) {
        const int after = (seat + 1) % PlayerCount();
        for (int s = 0; s < PlayerCount(); ++s) {
            if (s != seat && s != after && claimOptions_[s] != 0) {
                return 0;
            }
        }
    }
    for (int s = 0; s < PlayerCount(); ++s) {
        if (responsePriority_[s] != 0) {
            return 0;
        }
    }
    return 1;
}

bool CMahjongTableLogic::IsClaimTimeOut() const {
    return Since(PhaseTick()) > SecondsMs(int64_t{claimTimeout_} + 2);
}

bool CMahjongTableLogic::IsTurnTimeOut() const {
    return Since(PhaseTick()) > SecondsMs(int64_t{operationTimeout_} + 2);
}

bool CMahjongTableLogic::PhaseTimedOut() const {
    const uint32_t state = TableState();
    if ((state & kStateTurnPhase) != 0) {
        return IsTurnTimeOut();
    }
    if ((state & kStateClaimPhase) != 0) {
        return IsClaimTimeOut();
    }
    return true;
}

int CMahjongTableLogic::WaitForHigherClaim(const TableRequest& request, int kind) {
    const int seat = request.Seat();
    const int source = request.Source();
    if (!IsValidSeat(seat) || !IsValidSeat(source) || seat == source) {
        return 0;
    }
    const int priority = ClaimPriority(seat, source, kind);
    bool higher = false;
    for (int s = 0; s < PlayerCount(); ++s) {
        higher = higher || (s != seat && s != source &&
                            ClaimPriority(s, source, claimOptions_[s]) > priority);
    }
    if (!higher) {
        return 0;
    }
    if (Since(phaseStartTick_) >= SecondsMs(int64_t{claimTimeout_} - 1)) {
        responsePriority_[seat] = 0;
        return 0;
    }
    responsePriority_[seat] = priority;
    answered_[seat] = 1;
    return 1;
}

int CMahjongTableLogic::WaitForOtherHu(const TableRequest& request) {
    const int seat = request.Seat();
    const int source = request.Source();
    if ((RuleFlags() & kMahjongRuleSeveralWinners) == 0 || (TableState() & kStateHandOver) != 0 ||
        (request.HuKind() & kHuSelfDrawn) != 0 || !IsValidSeat(seat) || !IsValidSeat(source)) {
        return 0;
    }
    bool otherHu = false;
    for (int s = 0; s < PlayerCount(); ++s) {
        otherHu = otherHu || (s != seat && s != source && (claimOptions_[s] & kClaimHu) != 0 &&
                              answered_[s] == 0);
    }
    if (!otherHu) {
        return 0;
    }
    if (Since(phaseStartTick_) >= SecondsMs(int64_t{claimTimeout_} - 1)) {
        responsePriority_[seat] = 0;
        return 0;
    }
    responsePriority_[seat] = ClaimPriority(seat, source, kClaimHu);
    answered_[seat] = 1;
    return 1;
}

// --- Request checks ---

int CMahjongTableLogic::KongTest(int seat, int tile, int mode) const {
    if (!IsValidSeat(seat) || IndexOf(tile) < 0) {
        return 0;
    }
    const HandCounts& counts = counts_[seat];
    switch (mode) {
        case 1:
            return CanMingGang(counts, tile, wildTile1_, wildTile2_, RuleFlags()) != 0 ? 1 : 0;
        case 2:
            return SeatHoldsTile(seat, tile) && HasPengOf(seat, IndexOf(tile)) ? 2 : 0;
        case 4: {
            int index = 0;
            return FindAnGangIndex(counts, tile, wildTile1_, wildTile2_, RuleFlags(), index) != 0
                       ? 4
                       : 0;
        }
        default:
            return 0;
    }
}

int CMahjongTableLogic::CheckPengRequest(const TableRequest& request) const {
    const int seat = request.Seat();
    const int source = request.Source();
    const int tile = request.Tile();
    if (!IsValidSeat(seat) || !IsValidSeat(source) || seat == source ||
        HigherResponseRecorded(ClaimPriority(seat, source, kClaimPeng))) {
        return 0;
    }
    const uint32_t state = TableState();
    if ((state & kStateHandOver) != 0 || (state & kStateClaimPhase) == 0 ||
        (claimOptions_[seat] & kClaimPeng) == 0 || !IsCurrentDiscard(source, tile)) {
        return 0;
    }
    if ((RuleFlags() & kMahjongRuleWildDiscardRecord) != 0 && wildDiscardSeat_ >= 0) {
        return 0;
    }
    const auto ids = TakeHandTiles<2>(request);
    if (!HoldsDistinctTiles(seat, ids, IndexOf(tile)) ||
        CanPeng(counts_[seat], tile, wildTile1_, wildTile2_, RuleFlags()) == 0) {
        return 0;
    }
    std::array<int32_t, kHandListEntries> hand{};
    std::array<int32_t, 4> found{};
    HandTileIds(seat, hand);
    return FindPengCards(hand, tile, wildTile1_, wildTile2_, RuleFlags(), found) != 0 ? 1 : 0;
}

int CMahjongTableLogic::CheckChiRequest(const TableRequest& request) const {
    const int seat = request.Seat();
    const int source = request.Source();
    const int tile = request.Tile();
    if (!IsValidSeat(seat) || !IsValidSeat(source) || seat != GetPrevSeat(source) ||
        HigherResponseRecorded(ClaimPriority(seat, source, kClaimChi))) {
        return 0;
    }
    const uint32_t state = TableState();
    if ((state & kStateHandOver) != 0 || (state & kStateClaimPhase) == 0 ||
        (RuleFlags() & kMahjongRuleNoChi) != 0 || (claimOptions_[seat] & kClaimChi) == 0 ||
        !IsCurrentDiscard(source, tile)) {
        return 0;
    }
    const auto ids = TakeHandTiles<2>(request);
    if (!HoldsDistinctTiles(seat, ids, -1)) {
        return 0;
    }
    std::array<int32_t, kHandListEntries> hand{};
    std::array<int32_t, 2 * kHandListEntries> pairs{};
    HandTileIds(seat, hand);
    if (FindChiCards(hand, tile, wildTile1_, wildTile2_, RuleFlags(), pairs) == 0) {
        return 0;
    }
    for (size_t k = 0; k + 1 < pairs.size() && pairs[k] >= 0; k += 2) {
        if ((pairs[k] == ids[0] && pairs[k + 1] == ids[1]) ||
            (pairs[k] == ids[1] && pairs[k + 1] == ids[0])) {
            return 1;
        }
    }
    return 0;
}

int CMahjongTableLogic::CheckKongRequest(const TableRequest& request) const {
    const int seat = request.Seat();
    const int source = request.Source();
    const int tile = request.Tile();
    if (!IsValidSeat(seat) || !IsValidSeat(source) || seat == source || IsWallEmpty() ||
        HigherResponseRecorded(ClaimPriority(seat, source, kClaimGang))) {
        return 0;
    }
    const uint32_t state = TableState();
    if ((state & kStateHandOver) != 0 || (state & kStateClaimPhase) == 0 ||
        (claimOptions_[seat] & kClaimGang) == 0 || !IsCurrentDiscard(source, tile)) {
        return 0;
    }
    if ((RuleFlags() & kMahjongRuleWildDiscardRecord) != 0 && wildDiscardSeat_ >= 0) {
        return 0;
    }
    const auto ids = TakeHandTiles<3>(request);
    if (!HoldsDistinctTiles(seat, ids, IndexOf(tile)) || KongTest(seat, tile, 1) == 0) {
        return 0;
    }
    std::array<int32_t, kHandListEntries> hand{};
    std::array<int32_t, 4> found{};
    HandTileIds(seat, hand);
    return FindMingGangCards(hand, tile, wildTile1_, wildTile2_, RuleFlags(), found) != 0 ? 1 : 0;
}

int CMahjongTableLogic::CheckConcealedKongRequest(const TableRequest& request) const {
    const int seat = request.Seat();
    const int tile = request.Tile();
    const uint32_t state = TableState();
    if (!IsValidSeat(seat) || request.Source() != seat || GetActiveChair() != seat ||
        (state & kStateTurnPhase) == 0 || (state & kStateHandOver) != 0 || IsWallEmpty()) {
        return 0;
    }
    const auto named = TakeHandTiles<3>(request);
    const std::array<int32_t, 4> ids{named[0], named[1], named[2], tile};
    if (!HoldsDistinctTiles(seat, ids, IndexOf(tile)) || KongTest(seat, tile, 4) == 0) {
        return 0;
    }
    std::array<int32_t, kHandListEntries> hand{};
    std::array<int32_t, 4> found{};
    HandTileIds(seat, hand);
    return FindAnGangCards(hand, tile, wildTile1_, wildTile2_, RuleFlags(), found) != 0 ? 1 : 0;
}

int CMahjongTableLogic::CheckAddedKongRequest(const TableRequest& request) const {
    const int seat = request.Seat();
    const int tile = request.Tile();
    if (!IsValidSeat(seat) || HigherResponseRecorded(ClaimPriority(seat, seat, kClaimGang))) {
        return 0;
    }
    const uint32_t state = TableState();
    if (request.Source() != seat || GetActiveChair() != seat || (state & kStateTurnPhase) == 0 ||
        (state & kStateHandOver) != 0 || IsWallEmpty()) {
        return 0;
    }
    const MeldEntry* peng = nullptr;
    if (!HasPengOf(seat, IndexOf(tile), &peng) || KongTest(seat, tile, 2) == 0) {
        return 0;
    }
    // The three named tiles are those of the peng.
    const auto named = TakeHandTiles<3>(request);
    for (const int32_t id : named) {
        if (id < 0 || std::count(named.begin(), named.end(), id) != 1 ||
            std::find(peng->tiles.begin(), peng->tiles.begin() + 3, id) ==
                peng->tiles.begin() + 3) {
            return 0;
        }
    }
    return 1;
}

int CMahjongTableLogic::CheckDiscardHuRequest(const TableRequest& request) {
    const int seat = request.Seat();
    const int source = request.Source();
    const int tile = request.Tile();
    const uint32_t state = TableState();
    if (!IsValidSeat(seat) || !IsValidSeat(source) || seat == source ||
        (state & kStateHandOver) != 0 || (state & kStateClaimPhase) == 0 ||
        (claimOptions_[seat] & kClaimHu) == 0 || !IsCurrentDiscard(source, tile)) {
        return 0;
    }
    HuResult scratch;
    return CanHu(seat, tile, scratch, kHuOnDiscard) != 0 ? 1 : 0;
}

int CMahjongTableLogic::CheckSelfDrawnHuRequest(const TableRequest& request) {
    const int seat = request.Seat();
    const int tile = request.Tile();
    const uint32_t state = TableState();
    if (!IsValidSeat(seat) || GetActiveChair() != seat || (state & kStateTurnPhase) == 0 ||
        (state & (kStateHandOver | kStateTurnNoSelfHu | kStateTurnAfterMeld)) != 0 ||
        !SeatHoldsTile(seat, tile)) {
        return 0;
    }
    HuResult scratch;
    return CanHu(seat, tile, scratch, kHuSelfDrawn) != 0 ? 1 : 0;
}

int CMahjongTableLogic::CheckRobKongRequest(const TableRequest& request, int robbedKind) const {
    const int seat = request.Seat();
    const uint32_t announced = (robbedKind & kKongOnDiscard) != 0 ? kStateExposedKongAnnounced
                               : (robbedKind & kKongAdded) != 0   ? kStateAddedKongAnnounced
                                                                  : 0;
    const uint32_t state = TableState();
    if (!IsValidSeat(seat) || announced == 0 || (state & announced) == 0 ||
        (state & kStateHandOver) != 0 || !IsRobbingWindowOpen()) {
        return 0;
    }
    const int kongSeat = lastClaim_[1];
    const int kongSource = lastClaim_[2];
    return request.Tile() == lastClaim_[0] && request.Source() == kongSeat && seat != kongSeat &&
                   seat != kongSource && (claimOptions_[seat] & kClaimHu) != 0
               ? 1
               : 0;
}

int CMahjongTableLogic::DispatchRequest(TableRequest& request) {
    const int kind = request.HuKind();
    if ((kind & kHuRobbing) != 0) {
        const int robbed = request.RobbedKind();
        if ((robbed & kKongOnDiscard) != 0) {
            return CheckRobKongRequest(request, kKongOnDiscard);
        }
        if ((robbed & kKongAdded) != 0) {
            return CheckRobKongRequest(request, kKongAdded);
        }
        return 0;
    }
    if ((kind & kHuOnDiscard) != 0) {
        return CheckDiscardHuRequest(request);
    }
    if ((kind & kHuSelfDrawn) != 0) {
        return CheckSelfDrawnHuRequest(request);
    }
    return 0;
}

// --- Melds ---

void CMahjongTableLogic::LayMeld(int seat, MeldList list, std::span<const int32_t> handTiles,
                                 int claimed, int32_t handState, int32_t claimedState, int source) {
    MeldEntry meld;
    size_t k = 0;
    for (const int32_t id : handTiles) {
        const int record = FindRecord(id);
        TakeCount(record, seat);
        wall_[record].state = handState;
        meld.tiles[k++] = id;
    }
    if (claimed >= 0) {
        const int record = FindRecord(claimed);
        CardRecord& card = wall_[record];
        if (card.state == kCardInHand && card.owner == seat) {
            TakeCount(record, seat);
        }
        card.state = claimedState;
        card.owner = seat;
        meld.tiles[k] = claimed;
        if (IsValidSeat(source) && source != seat) {
            auto& list = discards_[source];
            const auto at = std::find(list.rbegin(), list.rend(), claimed);
            if (at != list.rend()) {
                list.erase(std::next(at).base());
            }
        }
    }
    meld.source = source;
    if (list == kMeldExposedKong || list == kMeldConcealedKong || list == kMeldAddedKong) {
        meld.flags = KongMeldFlags();
    }
    melds_[seat][list].push_back(meld);
}

void CMahjongTableLogic::TurnToClaimant(int seat, uint32_t extraState) {
    answered_.fill(0);
    responsePriority_.fill(0);
    ClearStateFlags(kStateClaimPhase);
    AddStateFlags(kStateTurnPhase | extraState);
    SetActiveChair(seat);
}

void CMahjongTableLogic::ClaimDiscardIntoMeld(const TableRequest& request, MeldList list,
                                              int32_t handState, int32_t claimedState,
                                              PerSeat<PerSeat<int32_t>>& feeds) {
    const int seat = request.Seat();
    const int source = request.Source();
    kongDrawWord_ = 0;
    ResetClaimState();
    LayMeld(seat, list, TakeHandTiles<2>(request), request.Tile(), handState, claimedState, source);
    TurnToClaimant(seat, kStateTurnAfterMeld);
    ++feeds[source][seat];
}

int CMahjongTableLogic::Peng(const TableRequest& request) {
    if (CheckPengRequest(request) == 0) {
        return 0;
    }
    ClaimDiscardIntoMeld(request, kMeldPeng, kCardPengFromHand, kCardPengClaimed, pengFeeds_);
    return 1;
}

int CMahjongTableLogic::Chi(const TableRequest& request) {
    if (CheckChiRequest(request) == 0) {
        return 0;
    }
    ClaimDiscardIntoMeld(request, kMeldChi, kCardChiFromHand, kCardChiClaimed, chiFeeds_);
    return 1;
}

bool CMahjongTableLogic::MayRobKong(int kind) const {
    const uint32_t rule = kind == kKongOnDiscard ? kMahjongRuleRobExposedKong
                          : kind == kKongAdded   ? kMahjongRuleRobAddedKong
                                                 : 0;
    return (RuleFlags() & rule) != 0;
}

bool CMahjongTableLogic::IsRobbingWindowOpen() const {
    return (TableState() & (kStateExposedKongAnnounced | kStateAddedKongAnnounced)) != 0 &&
           kongTick_ != 0 && Since(kongTick_) < SecondsMs(int64_t{claimTimeout_} - 1);
}

int CMahjongTableLogic::AnnounceKong(const TableRequest& request) {
    if ((TableState() & (kStateExposedKongAnnounced | kStateAddedKongAnnounced)) != 0) {
        return 0;  // one announcement at a time
    }
    const int kind = request.KongKind();
    uint32_t announced = 0;
    int robbedKind = 0;
    if ((kind & kKongOnDiscard) != 0 && CheckKongRequest(request) != 0) {
        announced = kStateExposedKongAnnounced;
        robbedKind = kKongOnDiscard;
    } else if ((kind & kKongOnDiscard) == 0 && (kind & kKongAdded) != 0 &&
               CheckAddedKongRequest(request) != 0) {
        announced = kStateAddedKongAnnounced;
        robbedKind = kKongAdded;
    } else {
        return 0;
    }
    const int seat = request.Seat();
    const int source = request.Source();
    const int tile = request.Tile();
    lastClaim_ = {tile, seat, source};
    kongTick_ = std::max<uint32_t>(Now(), 1);
    AddStateFlags(announced);
    // Only robbing is left to the others.
    const bool robbable = MayRobKong(robbedKind);
    for (int s = 0; s < PlayerCount(); ++s) {
        if (s == seat) {
            continue;
        }
        claimOptions_[s] = 0;
        seatStatus_[s] &= ~kSeatMayAct;
        answered_[s] = 1;
        HuResult scratch;
        if (robbable && s != source && CanHu(s, tile, scratch, kHuRobbing) != 0) {
            claimOptions_[s] = kClaimHu;
            seatStatus_[s] |= kSeatMayAct;
            answered_[s] = 0;
        }
    }
    return 1;
}

int CMahjongTableLogic::ExposedKong(const TableRequest& request) {
    const int seat = request.Seat();
    if (CheckKongRequest(request) == 0 ||
        (IsRobbingWindowOpen() && RobberPending(claimOptions_, PlayerCount(), seat))) {
        return 0;
    }
    const int source = request.Source();
    ++kongDrawWord_;
    ResetClaimState();
    LayMeld(seat, kMeldExposedKong, TakeHandTiles<3>(request), request.Tile(), kCardKongFromHand,
            kCardKongClaimed, source);
    TurnToClaimant(seat, 0);
    ++kongFeeds_[source][seat];
    return 1;
}

int CMahjongTableLogic::ConcealedKong(const TableRequest& request) {
    if (CheckConcealedKongRequest(request) == 0) {
        return 0;
    }
    const int seat = request.Seat();
    const auto named = TakeHandTiles<3>(request);
    const std::array<int32_t, 4> ids{named[0], named[1], named[2], request.Tile()};
    ++kongDrawWord_;
    ResetClaimState();
    LayMeld(seat, kMeldConcealedKong, ids, -1, kCardKongFromHand, kCardKongFromHand, seat);
    TurnToClaimant(seat, 0);
    return 1;
}

int CMahjongTableLogic::AddedKong(const TableRequest& request) {
    const int seat = request.Seat();
    if (CheckAddedKongRequest(request) == 0 ||
        (IsRobbingWindowOpen() && RobberPending(claimOptions_, PlayerCount(), seat))) {
        return 0;
    }
    const int tile = request.Tile();
    const MeldEntry* found = nullptr;
    HasPengOf(seat, IndexOf(tile), &found);
    const MeldEntry peng = *found;
    RemovePengMeld(seat, std::span<const int32_t>(peng.tiles.data(), 3));
    ++kongDrawWord_;
    ResetClaimState();
    for (int k = 0; k < 3; ++k) {
        wall_[FindRecord(peng.tiles[k])].state = kCardKongFromHand;
    }
    const int record = FindRecord(tile);
    TakeCount(record, seat);
    wall_[record].state = kCardKongClaimed;
    MeldEntry kong = peng;
    kong.tiles[3] = tile;
    kong.flags = KongMeldFlags();
    melds_[seat][kMeldAddedKong].push_back(kong);
    TurnToClaimant(seat, 0);
    return 1;
}

int CMahjongTableLogic::RemovePengMeld(int seat, std::span<const int32_t> ids) {
    if (!IsValidSeat(seat)) {
        return 0;
    }
    auto& list = melds_[seat][kMeldPeng];
    for (auto it = list.begin(); it != list.end(); ++it) {
        int matched = 0;
        for (int k = 0; k < 4; ++k) {
            const int32_t id = it->tiles[k];
            matched += id >= 0 && std::find(ids.begin(), ids.end(), id) != ids.end() ? 1 : 0;
        }
        if (matched >= 3) {
            list.erase(it);
            return 1;
        }
    }
    return 0;
}

// --- Hu ---

int CMahjongTableLogic::TestHu(int seat, int tile, HuResult& result, int mode) {
    const int index = IndexOf(tile);
    if (!IsValidSeat(seat) || index < 0) {
        return 0;
    }
    HandCounts counts = counts_[seat];
    if ((mode & kHuSelfDrawn) != 0 && counts[index] > 0) {
        --counts[index];  // the tile is in the hand already
    }
    return CheckHuWithWild(counts, tile, wildTile1_, wildTile2_, RuleFlags(), huTypeFlags_, result,
                           static_cast<HuSituationFlags>(mode)) != 0
               ? 8
               : 0;
}

int CMahjongTableLogic::ScoreHu(int seat, int tile, HuResult& result, int mode) {
    result.Clear();
    if (TestHu(seat, tile, result, mode) == 0) {
        result.Clear();
        return 0;
    }
    result.words[HuResult::kPatternWord] |= mode & (kHuOnDiscard | kHuSelfDrawn | kHuRobbing);
    return 8;
}

int CMahjongTableLogic::CanHu(int seat, int tile, HuResult& result, int mode) {
    return ScoreHu(seat, tile, result, mode) > 0 ? 8 : 0;
}

int CMahjongTableLogic::SelfOptions(int seat, int tile) {
    if (!IsValidSeat(seat) || IndexOf(tile) < 0) {
        return 0;
    }
    HuResult result;
    int options = CanHu(seat, tile, result, kHuSelfDrawn);
    if (KongTest(seat, tile, 2) != 0 || KongTest(seat, tile, 4) != 0) {
        options |= kClaimGang;
    }
    return options;
}

void CMahjongTableLogic::DrawnHand() {
    endFlags_ = kEndDrawn;
}

int CMahjongTableLogic::FirstWinnerAfter(int source) const {
    int seat = source;
    for (int k = 1; k < PlayerCount(); ++k) {
        seat = GetPrevSeat(seat);
        if (huPoints_[seat] > 0) {
            return seat;
        }
    }
    return -1;
}

void CMahjongTableLogic::ScoreWinners(int source, int tile, int mode, int excludedSeat) {
    for (int s = 0; s < PlayerCount(); ++s) {
        if (s == source || s == excludedSeat || (claimOptions_[s] & kClaimHu) == 0) {
            continue;  // a seat that passed on the tile does not win on it
        }
        HuResult check;
        if (CanHu(s, tile, check, mode) == 0) {
            continue;
        }
        huPoints_[s] = std::max(0, ScoreHu(s, tile, huResults_[s], mode));
    }
    if ((RuleFlags() & kMahjongRuleSeveralWinners) == 0) {
        const int first = FirstWinnerAfter(source);
        for (int s = 0; s < PlayerCount(); ++s) {
            if (s != first) {
                huPoints_[s] = 0;
            }
        }
    }
}

int CMahjongTableLogic::HuOnDiscard(int source, int tile) {
    if (!IsValidSeat(source) || IndexOf(tile) < 0) {
        return 0;
    }
    ScoreWinners(source, tile, kHuOnDiscard, -1);
    int lowest = -1;
    const int winners = CountWinners(huPoints_, PlayerCount(), lowest);
    if (winners > 0) {
        wonTile_ = tile;
        discarderSeat_ = source;
        winnerCount_ = winners;
        winnerSeat_ = lowest;
    }
    return winners;
}

int CMahjongTableLogic::RobKong(int source, int tile) {
    if (!IsValidSeat(source) || IndexOf(tile) < 0) {
        return 0;
    }
    // The source is the kong's seat; for a kong on a discard its discarder
    // cannot win on the tile either.
    ScoreWinners(source, tile, kHuRobbing, source == lastClaim_[1] ? lastClaim_[2] : -1);
    int lowest = -1;
    const int winners = CountWinners(huPoints_, PlayerCount(), lowest);
    if (winners > 0) {
        wonTile_ = tile;
        discarderSeat_ = source;
        winnerCount_ = winners;
        winnerSeat_ = lowest;
    }
    return winners;
}

int CMahjongTableLogic::SelfDrawnHu(int seat, int tile) {
    if (!IsValidSeat(seat) || !SeatHoldsTile(seat, tile)) {
        return 0;
    }
    huPoints_[seat] = std::max(0, ScoreHu(seat, tile, huResults_[seat], kHuSelfDrawn));
    if (huPoints_[seat] <= 0) {
        return 0;
    }
    winnerSeat_ = seat;
    winnerCount_ = 1;
    wonTile_ = tile;
    discarderSeat_ = -1;
    return 1;
}

int CMahjongTableLogic::ResolveHu(TableRequest& request) {
    if (DispatchRequest(request) == 0) {
        return 0;
    }
    huPoints_.fill(0);
    const PerSeat<HuResult> kept = huResults_;
    const int kind = request.HuKind();
    int winners = 0;
    if ((kind & kHuRobbing) != 0) {
        winners = RobKong(request.Source(), request.Tile());
    } else if ((kind & kHuOnDiscard) != 0) {
        winners = HuOnDiscard(request.Source(), request.Tile());
    } else if ((kind & kHuSelfDrawn) != 0) {
        winners = SelfDrawnHu(request.Seat(), request.Tile());
    }
    for (int s = 0; s < kMahjongSeats; ++s) {
        if (winners == 0 || huPoints_[s] <= 0) {
            huResults_[s] = kept[s];
        }
    }
    if (winners > 0) {
        ResetClaimState();
        answered_.fill(0);
        responsePriority_.fill(0);
    }
    return winners;
}

void CMahjongTableLogic::SetEndFlags() {
    // A drawn hand stays drawn.
    endFlags_ &= kEndDrawn;
    int winners = 0;
    for (int s = PlayerCount() - 1; s >= 0; --s) {
        if (huPoints_[s] <= 0) {
            continue;
        }
        if (winners++ == 0) {
            const int32_t mode = huResults_[s].words[HuResult::kPatternWord];
            endFlags_ |= (mode & kHuOnDiscard) != 0 ? kEndOnDiscard : 0;
            endFlags_ |= (mode & kHuSelfDrawn) != 0 ? kEndSelfDrawn : 0;
            endFlags_ |= (mode & kHuRobbing) != 0 ? kEndRobbing : 0;
        }
    }
    if (winners > 1) {
        endFlags_ |= kEndSeveralWinners;
    }
}

// --- Wild discards, time-outs and the rest of the play ---

void CMahjongTableLogic::NoteWildDiscard(int seat) {
    if (!IsValidSeat(seat)) {
        return;
    }
    ++wildDiscardCount_[seat];
    if ((RuleFlags() & kMahjongRuleWildDiscardRecord) == 0) {
        return;
    }
    if (wildDiscardSeat_ < 0) {
        wildDiscardSeat_ = seat;
        wildDiscardRun_ = 1;
    } else if (wildDiscardSeat_ == seat) {
        ++wildDiscardRun_;
    }
}

void CMahjongTableLogic::EndWildDiscardRecord(int seat) {
    if ((RuleFlags() & kMahjongRuleWildDiscardRecord) != 0 && IsValidSeat(seat) &&
        wildDiscardSeat_ == seat) {
        wildDiscardSeat_ = -1;
        wildDiscardRun_ = 0;
    }
}

int CMahjongTableLogic::AutoDiscardChoice(int seat, TableRequest& request) const {
    return PutAutoDiscard(request, FirstHeldTile(seat));
}

int CMahjongTableLogic::PutAutoDiscard(TableRequest& request, int tile) {
    if (tile < 0) {
        return -1;
    }
    request.words[20] = 1;
    request.words[25] = 1;
    request.words[26] = tile;
    return tile;
}

int CMahjongTableLogic::SetAsideTile(const TableRequest& request) {
    const int seat = request.Seat();
    const int tile = request.Source();  // the tile travels in word 4
    const int record = FindRecord(tile);
    if (!IsValidSeat(seat) || record < 0) {
        return 0;
    }
    for (const auto& list : setAside_) {
        if (std::find(list.begin(), list.end(), tile) != list.end()) {
            return 0;
        }
    }
    CardRecord& card = wall_[record];
    if (card.state == kCardInHand && card.owner == seat) {
        TakeCount(record, seat);
        card.state = kCardDiscarded;
    } else if (card.state != kCardDiscarded) {
        return 0;
    }
    setAside_[seat].push_back(tile);
    return 1;
}

void CMahjongTableLogic::BeginPlay() {
    phaseStartTick_ = Now();
    AddStateFlags(kTablePlaying | kStateTurnPhase);
}

void CMahjongTableLogic::StartPlayAfterSwap() {
    ClearStateFlags(kStateSwapPhase);
    const int banker = Banker();
    SetActiveChair(banker);
    for (int s = 0; s < kMahjongSeats; ++s) {
        notBankerFlags_[s] = s < PlayerCount() && s != banker ? 1 : 0;
    }
}
