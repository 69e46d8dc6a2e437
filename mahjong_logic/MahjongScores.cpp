// The hand scores of CMahjongTableLogic: the settlement of a hand into the
// base's result record, the kong money, the 30-hand score history and the
// banker of the next hand.

#include <algorithm>

#include "mahjong_logic/LogicMath.h"
#include "mahjong_logic/MahjongTableLogic.h"
#include "mahjong_tiles/WildHuTest.h"

namespace {

constexpr int kHandLostByRule = -1000;
constexpr int kResultLostByRule = 229100;
constexpr int kResultNotCarriedOut = 10100;
constexpr size_t kRunningTotalWord = 108;
constexpr int kPayForOthersFeeds = 3;

bool AnyWinner(const PerSeat<int32_t>& points) {
    return std::any_of(points.begin(), points.end(), [](int32_t p) { return p > 0; });
}

}  // namespace

// --- Settlement ---

int CMahjongTableLogic::ComputeScores(TableResult& result, int /*chair*/) {
    PerSeat<int32_t> scores{};
    SettleHand(scores);
    for (int s = 0; s < PlayerCount(); ++s) {
        result.chairValues[s] = scores[s];
    }
    ComputeScores(result, result.scoreChange, result.silverChange);
    return 0;
}

void CMahjongTableLogic::ComputeScores(const TableResult& result, PerChair<int32_t>& out1,
                                       PerChair<int32_t>& out2) const {
    for (int s = 0; s < PlayerCount(); ++s) {
        const int64_t points = result.chairValues[s];
        out1[s] = Clamp32(points * result.scoreBase);
        if (result.silverBase != 0) {
            out2[s] = Clamp32(points * result.silverBase);
        }
    }
}

void CMahjongTableLogic::SettleHand(PerSeat<int32_t>& scores) {
    if (!IsDrawnHand() && AnyWinner(huPoints_)) {
        const int players = PlayerCount();
        if ((endFlags_ & kEndSelfDrawn) != 0 && IsValidSeat(winnerSeat_)) {
            const int32_t p = huPoints_[winnerSeat_];
            for (int s = 0; s < players; ++s) {
                if (s != winnerSeat_) {
                    scores[s] = Clamp32(int64_t{scores[s]} - p);
                    scores[winnerSeat_] = Clamp32(int64_t{scores[winnerSeat_]} + p);
                }
            }
        } else if (IsValidSeat(discarderSeat_)) {
            for (int s = 0; s < players; ++s) {
                if (s != discarderSeat_ && huPoints_[s] > 0) {
                    scores[s] = Clamp32(int64_t{scores[s]} + huPoints_[s]);
                    scores[discarderSeat_] =
                        Clamp32(int64_t{scores[discarderSeat_]} - huPoints_[s]);
                }
            }
        }
        if ((RuleFlags() & kMahjongRulePayForOthers) != 0) {
            PayForOthers(scores);
        }
    }
    SettleKongs(scores);
}

void CMahjongTableLogic::PayForOthers(PerSeat<int32_t>& scores) const {
    const int winner = winnerSeat_;
    if (!IsValidSeat(winner)) {
        return;
    }
    auto feeds = [&](int a, int b) {
        return pengFeeds_[a][b] + chiFeeds_[a][b] + kongFeeds_[a][b];
    };
    for (int j = GetPrevSeat(winner); j != winner; j = GetPrevSeat(j)) {
        if (feeds(j, winner) + feeds(winner, j) < kPayForOthersFeeds) {
            continue;
        }
        int64_t owed = 0;
        for (int s = 0; s < PlayerCount(); ++s) {
            if (scores[s] < 0) {
                owed += scores[s];
                scores[s] = 0;
            }
        }
        scores[j] = Clamp32(int64_t{scores[j]} + owed);
        return;
    }
}

void CMahjongTableLogic::SettleKongs(PerSeat<int32_t>& scores) {
    PerSeat<int32_t> exposedScore{};
    PerSeat<int32_t> concealedScore{};
    KongMoney(scores, exposedScore, concealedScore);
}

void CMahjongTableLogic::KongMoney(PerSeat<int32_t>& scores, PerSeat<int32_t>& exposedScore,
                                   PerSeat<int32_t>& concealedScore) const {
    const int players = PlayerCount();
    auto pay = [&](int owner, int32_t each, PerSeat<int32_t>& ownerScore) {
        scores[owner] += each * players;
        for (int s = 0; s < players; ++s) {
            scores[s] -= each;
        }
        ownerScore[owner] += each * (players - 1);
    };
    for (int seat = 0; seat < players; ++seat) {
        for (const MeldEntry& meld : melds_[seat][kMeldConcealedKong]) {
            pay(seat, (meld.flags & 0x3) != 0 ? 4 : 2, concealedScore);
        }
        for (const int list : {kMeldExposedKong, kMeldAddedKong}) {
            for (const MeldEntry& meld : melds_[seat][list]) {
                pay(seat, (meld.flags & 0x3) != 0 ? 2 : 1, exposedScore);
            }
        }
    }
}

// --- History, banker and queries ---

void CMahjongTableLogic::RecordHandScores(const TableResult& record) {
    const int32_t hand = GameCounter();
    if (hand < 1) {
        return;
    }
    const int slot = (hand - 1) % kHistoryHands;
    const PerChair<int32_t>& scores =
        record.silverBase != 0 ? record.silverChange : record.scoreChange;
    for (int c = 0; c < kMaxChairs; ++c) {
        scoreHistory_[c][slot] = scores[c];
        scoreTotals_[c] = Clamp32(int64_t{scoreTotals_[c]} + scores[c]);
    }
}

int32_t CMahjongTableLogic::HistoryScore(int seat, int hand) const {
    if (seat < 0 || seat >= kMaxChairs || hand < 1) {
        return 0;
    }
    return scoreHistory_[seat][(hand - 1) % kHistoryHands];
}

int CMahjongTableLogic::NextBanker() const {
    const int banker = Banker();
    if (!IsValidSeat(banker)) {
        return 0;
    }
    if (IsDrawnHand()) {
        return GetPrevSeat(banker);
    }
    if (!AnyWinner(huPoints_)) {
        return 0;
    }
    return huPoints_[banker] < 1 ? GetPrevSeat(banker) : banker;
}

void CMahjongTableLogic::UpdateBankerStreak() {
    if (NextBanker() != Banker()) {
        bankerStreak_ = 1;
    } else {
        ++bankerStreak_;
    }
}

int CMahjongTableLogic::HandResultCode(int seat) const {
    return HuPointsOf(seat) == kHandLostByRule ? kResultLostByRule : kResultNotCarriedOut;
}

int CMahjongTableLogic::BankerWon() const {
    if (IsDrawnHand() || !AnyWinner(huPoints_)) {
        return 0;
    }
    return HuPointsOf(Banker()) > 0 ? 1 : 0;
}

void CMahjongTableLogic::AddToRunningTotal(std::span<const int32_t> recordWords) {
    if (recordWords.size() > kRunningTotalWord && recordWords[kRunningTotalWord] != 0) {
        runningTotal_ += recordWords[kRunningTotalWord];
    }
}

const HuResult& CMahjongTableLogic::HuResultOf(int seat) const {
    static const HuResult kNone{};
    return IsValidSeat(seat) ? huResults_[seat] : kNone;
}
