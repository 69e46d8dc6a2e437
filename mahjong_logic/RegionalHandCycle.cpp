// The start and the end of a regional hand: dice, banker, wall start, deal
// and flower replacement; the drawn-hand check of ready hands and the
// settlement of points and kong money.

#include <algorithm>

#include "mahjong_logic/LogicMath.h"
#include "mahjong_logic/RegionalMahjongRules.h"
#include "mahjong_tiles/Random.h"
#include "mahjong_tiles/TileEncoding.h"
#include "zep/ZepLog.h"

namespace {

constexpr int kSuitedIndexEnd = 30;
constexpr int kDeclaredPenaltyTimes = 5;
// The wall stretch each seat's wall starts at, by seat (4 seats).
constexpr int kStretchOffset[4] = {102, 0, 34, 68};

bool AnyWinner(const PerSeat<int32_t>& points) {
    return std::any_of(points.begin(), points.end(), [](int32_t p) { return p > 0; });
}

}  // namespace

// --- Start of a hand ---

void CRegionalMahjongRules::RollTableDice() {
    CMahjongTableLogic::RollTableDice();
    dice_[1] = 0;  // only the first die counts
}

void CRegionalMahjongRules::ChooseBanker() {
    if (GameCounter() == 1 || !IsValidSeat(Banker())) {
        SetBanker(RandomBelow(PlayerCount()));
    }
}

int CRegionalMahjongRules::GetWallStart() {
    const int banker = Banker();
    if (!IsValidSeat(banker)) {
        return -1;
    }
    const int players = PlayerCount();
    const int d = dice_[0];
    int seat = banker;
    switch (d % players) {
        case 0:
            seat = banker + 1;
            break;
        case 1:
            seat = banker;
            break;
        case 2:
            seat = banker + 3;
            break;
        default:
            seat = banker + 2;
            break;
    }
    seat %= players;
    return WrapPosition(int64_t{2} * d + kStretchOffset[seat % 4]);
}

int CRegionalMahjongRules::GetWildPosition() {
    if ((RuleFlags() & kMahjongRuleWildTiles) == 0) {
        return -1;
    }
    return WrapPosition(int64_t{wallStart_} + int64_t{PlayerCount()} * GetHandSize() + 1);
}

int CRegionalMahjongRules::CheckWall() const {
    return WallHoldsEveryKind(kSuitedIndexEnd) ? 1 : 0;
}

bool CRegionalMahjongRules::StartHand() {
    if (!wall_.empty() || !ShuffleWall()) {
        return false;
    }
    ChooseBanker();
    const int banker = Banker();
    wallStart_ = GetWallStart();
    currentSeat_ = banker;
    if (!IsValidSeat(banker) || DealCards() < 0) {
        return false;
    }
    wildPosition_ = GetWildPosition();
    wildTile1_ = GetWildCard();
    actingSeat_ = banker;
    huTypeFlags_ = kRegionalHuTypeFlags;
    return true;
}

bool CRegionalMahjongRules::ReplaceOneFlower(int seat) {
    for (CardRecord& card : wall_) {
        if (card.owner != seat || card.state != kCardInHand ||
            IsFlowerCard(card.id, wildTile1_, wildTile2_, RuleFlags()) == 0) {
            continue;
        }
        const int index = IndexOf(card.id);
        if (index < 0 || counts_[seat][index] < 1) {
            return false;
        }
        card.state = kCardDiscarded;
        --counts_[seat][index];
        setAside_[seat].push_back(card.id);
        return DrawBack(seat) >= 0;
    }
    return false;
}

void CRegionalMahjongRules::AfterDeal() {
    SetDrawPosition();
    for (int seat = 0; seat < PlayerCount(); ++seat) {
        // Each replacement takes a tile from the wall, so this ends.
        for (int n = 0; n < tileCount_ && ReplaceOneFlower(seat); ++n) {
        }
    }
}

// --- End of a hand ---

void CRegionalMahjongRules::DrawnHand() {
    CMahjongTableLogic::DrawnHand();
    kongDiscardFlag_ = false;
    for (int seat = 0; seat < PlayerCount(); ++seat) {
        readyValue_[seat] = 0;
        drawnResults_[seat].Clear();
        if (seatWon_[seat] || huPoints_[seat] > 0) {
            continue;
        }
        WaitMap waits{};
        if (WaitingTiles(seat, drawnResults_[seat], waits) != 0) {
            readyValue_[seat] = HuPoints(drawnResults_[seat]);
        }
    }
}

void CRegionalMahjongRules::SettleHand(PerSeat<int32_t>& scores) {
    const int players = PlayerCount();
    auto pay = [&](int from, int to, int64_t amount) {
        scores[from] = Clamp32(scores[from] - amount);
        scores[to] = Clamp32(scores[to] + amount);
    };
    const int winner = winnerSeat_;
    if (IsDrawnHand()) {
        for (int s = 0; s < players; ++s) {
            if (seatWon_[s] || readyValue_[s] != 0) {
                continue;
            }
            for (int t = 0; t < players; ++t) {
                if (t != s && readyValue_[t] != 0) {
                    pay(s, t, readyValue_[t]);
                }
            }
        }
    } else if (IsValidSeat(winner) && AnyWinner(huPoints_)) {
        const HuResult& won = huResults_[winner];
        const int64_t p = HuPoints(won);
        if ((endFlags_ & kEndSelfDrawn) != 0) {
            for (int s = 0; s < players; ++s) {
                if (s != winner) {
                    pay(s, winner, p);
                }
            }
        } else if ((endFlags_ & (kEndOnDiscard | kEndRobbing)) != 0 &&
                   IsValidSeat(discarderSeat_)) {
            pay(discarderSeat_, winner, p);
        }
        const bool plainOnly = won.words[kHuTypeBaseWord + kTypePlain] >= 1;
        for (int s = 0; s < players; ++s) {
            if (s != winner && readyDeclared_[s] && scores[s] < 0) {
                pay(s, winner, plainOnly ? kDeclaredPenaltyTimes * p : p);
            }
        }
    }
    SettleKongs(scores);
    int64_t total = 0;
    for (int s = 0; s < players; ++s) {
        total += scores[s];
    }
    if (total != 0) {
        ZepLog("错误的记分错误，记分总和不为0!");
        scores.fill(0);
    }
}

void CRegionalMahjongRules::SettleKongs(PerSeat<int32_t>& scores) {
    exposedKongScore_.fill(0);
    concealedKongScore_.fill(0);
    KongMoney(scores, exposedKongScore_, concealedKongScore_);
}

int CRegionalMahjongRules::NextBanker() const {
    if (IsDrawnHand()) {
        return IsValidSeat(Banker()) ? Banker() : 0;
    }
    if (winnerCount_ == 1 && IsValidSeat(winnerSeat_)) {
        return winnerSeat_;
    }
    if (winnerCount_ >= 2 && IsValidSeat(discarderSeat_)) {
        return discarderSeat_;
    }
    return 0;
}

void CRegionalMahjongRules::UpdateBankerStreak() {
    const int next = NextBanker();
    CMahjongTableLogic::UpdateBankerStreak();
    SetBanker(next);
}
