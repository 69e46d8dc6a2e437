// The swap-three phase, the ready declaration and the pass counts of
// CRegionalMahjongRules.

#include <algorithm>

#include "mahjong_logic/RegionalMahjongRules.h"
#include "mahjong_tiles/Random.h"
#include "zep/ZepLog.h"

namespace {

constexpr int kSwapSeats = 4;
constexpr int kSuits = 3;
constexpr int kReadyBeforeDiscards = 4;
constexpr int kWaiting = 64;

}  // namespace

// --- The exchange ---

bool CRegionalMahjongRules::IsValidSwapChoice(int seat, const std::array<int32_t, 3>& ids) const {
    int suit = -1;
    for (int k = 0; k < 3; ++k) {
        const int index = IndexOf(ids[k]);
        if (!SeatHoldsTile(seat, ids[k]) || index < 0 || index / 10 >= kSuits ||
            std::count(ids.begin(), ids.end(), ids[k]) != 1) {
            return false;
        }
        if (k > 0 && index / 10 != suit) {
            return false;
        }
        suit = index / 10;
    }
    return true;
}

int CRegionalMahjongRules::SubmitSwapChoice(SwapRecord& record) {
    const int seat = record.Submitter();
    if ((TableState() & kStateSwapPhase) == 0 || PlayerCount() != kSwapSeats || seat < 0 ||
        seat >= kSwapSeats) {
        return 0;
    }
    const std::array<int32_t, 3> ids{record.Choice(seat, 0), record.Choice(seat, 1),
                                     record.Choice(seat, 2)};
    if (!IsValidSwapChoice(seat, ids)) {
        return 0;
    }
    swapChoice_[seat] = ids;
    swapChosen_[seat] = true;
    if (std::find(swapChosen_.begin(), swapChosen_.end(), false) != swapChosen_.end()) {
        return 0;
    }
    SeedRandom(Now());
    return PerformExchange(record);
}

int CRegionalMahjongRules::AutoSwapSuit(int seat) const {
    std::array<int, kSuits> perSuit{};
    if (seat < 0 || seat >= kSwapSeats) {
        return 0;
    }
    for (int index = 1; index < kSuits * 10; ++index) {
        perSuit[index / 10] += counts_[seat][index];
    }
    return static_cast<int>(std::max_element(perSuit.begin(), perSuit.end()) - perSuit.begin());
}

int CRegionalMahjongRules::AutoSwapChoice(SwapRecord& record) {
    if ((TableState() & kStateSwapPhase) == 0 || PlayerCount() != kSwapSeats) {
        return 0;
    }
    for (int seat = 0; seat < kSwapSeats; ++seat) {
        if (swapChosen_[seat]) {
            continue;
        }
        const int suit = AutoSwapSuit(seat);
        std::array<int32_t, 3> ids{-1, -1, -1};
        int taken = 0;
        for (const CardRecord& card : wall_) {
            if (taken < 3 && card.owner == seat && card.state == kCardInHand && card.suit == suit) {
                ids[taken++] = card.id;
            }
        }
        swapChoice_[seat] = ids;
        swapChosen_[seat] = true;
    }
    return PerformExchange(record);
}

int CRegionalMahjongRules::PerformExchange(SwapRecord& record) {
    for (int seat = 0; seat < kSwapSeats; ++seat) {
        if (!IsValidSwapChoice(seat, swapChoice_[seat])) {
            ZepLog("OnAutoChange不止一种花色");
            return 0;
        }
    }
    const int die = NextRandom() % 6 + 1;
    const int direction = die % 3 == 0 ? 1 : (die % 3 == 1 ? 3 : 2);
    for (int seat = 0; seat < kSwapSeats; ++seat) {
        const int from = (seat + direction) % kSwapSeats;
        for (int k = 0; k < 3; ++k) {
            const int32_t id = swapChoice_[from][k];
            MoveTile(id, seat);
            swapReceived_[3 * seat + k] = id;
            swapChoicesCopy_[3 * from + k] = id;
            record.words[SwapRecord::kReceivedWord + 3 * seat + k] = id;
        }
    }
    swapDie_ = die;
    record.words[SwapRecord::kDieWord] = die;
    RebuildCounts();

    const int banker = Banker();
    if (IsValidSeat(banker)) {
        int32_t options = 0;
        if ((SelfOptions(banker, FirstHeldTile(banker)) & kClaimHu) != 0) {
            options |= kClaimHu;
        }
        std::array<int32_t, kReadyCandidates> candidates{};
        std::array<WaitMap, kReadyCandidates> maps{};
        if (ReadyOptions(banker, candidates, maps) == kClaimReady) {
            options |= kClaimReady;
            readyGranted_[banker] = true;
        }
        readyCandidates_ = candidates;
        readyWaitMaps_ = maps;
        claimOptions_[banker] |= options;
        record.words[SwapRecord::kOptionsWord + banker] |= options;
        for (int k = 0; k < kReadyCandidates; ++k) {
            record.words[SwapRecord::kCandidateWord + k] = candidates[k];
            std::copy(maps[k].begin(), maps[k].end(),
                      record.words.begin() + SwapRecord::kWaitMapWord + k * kHandKinds);
        }
    }
    ClearStateFlags(kStateSwapPhase);
    AddStateFlags(kStateTurnPhase);
    return 1;
}

int CRegionalMahjongRules::SwapReceived(int seat, int k) const {
    return seat >= 0 && seat < kSwapSeats && k >= 0 && k < 3 ? swapReceived_[3 * seat + k] : -1;
}

// --- Waits and the ready option ---

int CRegionalMahjongRules::WaitingTiles(int seat, HuResult& best, WaitMap& waits) {
    waits.fill(0);
    if (!IsValidSeat(seat)) {
        return 0;
    }
    int bestScore = 0;
    for (int suit = 0; suit < kSuits; ++suit) {
        for (int value = 0; value < 9; ++value) {
            const int id = suit * 36 + value;
            const int index = IndexOf(id);
            // A kind the seat holds four of, in its hand and melds, cannot
            // come again.
            if (index < 0 || counts_[seat][index] + MeldTilesOfIndex(seat, index) >= 4) {
                continue;
            }
            HuResult result;
            const int score = ScoreHu(seat, id, result, kHuOnDiscard);
            if (score <= 0) {
                continue;
            }
            waits[index] = 1;
            if (score > bestScore) {
                bestScore = score;
                best = result;
            }
        }
    }
    return bestScore > 0 ? kWaiting : 0;
}

int CRegionalMahjongRules::ReadyOptions(int seat, std::span<int32_t> candidates,
                                        std::span<WaitMap> maps) {
    std::fill(candidates.begin(), candidates.end(), -1);
    for (WaitMap& map : maps) {
        map.fill(0);
    }
    if (!IsValidSeat(seat)) {
        return 0;
    }
    std::array<int32_t, kReadyCandidates> hand{};
    const int held = HandTileIds(seat, hand);
    // Tiles of one index leave the same hand: their waits are found once.
    std::array<int, kHandKinds> waitingByIndex{};
    std::array<WaitMap, kHandKinds> mapByIndex{};
    waitingByIndex.fill(-1);
    size_t found = 0;
    for (int k = 0; k < held; ++k) {
        const int index = IndexOf(hand[k]);
        if (index < 0) {
            continue;
        }
        if (waitingByIndex[index] < 0) {
            --counts_[seat][index];
            HuResult best;
            waitingByIndex[index] = WaitingTiles(seat, best, mapByIndex[index]) == kWaiting;
            ++counts_[seat][index];
        }
        if (waitingByIndex[index] != 0 && found < candidates.size()) {
            candidates[found] = hand[k];
            if (found < maps.size()) {
                maps[found] = mapByIndex[index];
            }
            ++found;
        }
    }
    return found > 0 ? kClaimReady : 0;
}

WaitMap CRegionalMahjongRules::WaitsWithout(int seat, int index, int n) {
    counts_[seat][index] -= n;
    HuResult best;
    WaitMap waits{};
    WaitingTiles(seat, best, waits);
    counts_[seat][index] += n;
    return waits;
}

int CRegionalMahjongRules::SelfOptions(int seat, int tile) {
    const int index = IndexOf(tile);
    if (!IsValidSeat(seat) || index < 0) {
        return 0;
    }
    HuResult result;
    int options = CanHu(seat, tile, result, kHuSelfDrawn);
    if (readyDeclared_[seat]) {
        // A declared seat may kong only when its waits stay the same.
        if (KongTest(seat, tile, 2) != 0) {
            options |= kClaimGang;
        } else if (counts_[seat][index] >= 4 &&
                   WaitsWithout(seat, index, 1) == WaitsWithout(seat, index, 4)) {
            options |= kClaimGang;
        }
    } else if (CountDiscards() < kReadyBeforeDiscards) {
        const int ready = ReadyOptions(seat, readyCandidates_, readyWaitMaps_);
        options |= ready;
        if (ready == kClaimReady) {
            readyGranted_[seat] = true;
        }
    }
    return options;
}

int CRegionalMahjongRules::DeclareReady(int seat, int tile) {
    if (!IsValidSeat(seat) || !readyGranted_[seat] || readyDeclared_[seat] ||
        CountDiscards() >= kReadyBeforeDiscards || GetActiveChair() != seat || tile < 0 ||
        !SeatHoldsTile(seat, tile) ||
        std::find(readyCandidates_.begin(), readyCandidates_.end(), tile) ==
            readyCandidates_.end()) {
        return 0;
    }
    readyDeclared_[seat] = true;
    return 1;
}

const WaitMap& CRegionalMahjongRules::ReadyWaitMap(int k) const {
    static const WaitMap kNone{};
    return k >= 0 && k < kReadyCandidates ? readyWaitMaps_[k] : kNone;
}

// --- Pass counts ---

void CRegionalMahjongRules::ClearPassCounts(int fromSeat, int toSeat) {
    ForEachChairBetween(fromSeat, toSeat, [this](int seat) { passCounts_[seat].fill(0); });
}

void CRegionalMahjongRules::NotePassesOnDiscard(int discarder, int tile) {
    const int index = IndexOf(tile);
    if (!IsValidSeat(discarder) || index < 0 || index >= static_cast<int>(passCounts_[0].size())) {
        return;
    }
    passCounts_[discarder].fill(0);
    for (int seat = 0; seat < PlayerCount(); ++seat) {
        ++passCounts_[seat][index];
    }
}

int CRegionalMahjongRules::PassCount(int seat, int index) const {
    if (!IsValidSeat(seat) || index < 0 || index >= static_cast<int>(passCounts_[0].size())) {
        return 0;
    }
    return passCounts_[seat][index];
}

int CRegionalMahjongRules::DrawFront(int seat) {
    if (!IsValidSeat(seat)) {
        return -1;
    }
    passCounts_[seat].fill(0);
    const int record = CMahjongTableLogic::DrawFront(seat);
    const int id = RecordTileId(record);
    if (SeatHoldsTile(seat, id)) {
        lastDrawnTile_ = id;
    }
    return record;
}
