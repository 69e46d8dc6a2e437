#pragma once
// A regional rule set whose hand the tests build and whose per-hand flags
// they set.

#include "mahjong_logic/RegionalMahjongRules.h"
#include "mahjong_tiles/HuResult.h"
#include "tests/mahjong_logic/HandBuilder.h"
#include "tests/mahjong_logic/MahjongTestSupport.h"

class RegionalHands : public HandBuilder<CRegionalMahjongRules> {
public:
    using HandBuilder<CRegionalMahjongRules>::HandBuilder;

    // An identity wall, the hand-start hu-type flags and enough discards (by
    // seat 3, of the given indices) that "前四" does not apply.
    void StartTestHand(std::initializer_list<int> discardIndices = {29, 29, 29, 28, 28}) {
        BuildIdentityWall();
        SetHuTypeFlags(kRegionalHuTypeFlags);
        AddDiscards(3, discardIndices);
    }
    void SetKongDiscardFlag(bool on) { kongDiscardFlag_ = on; }
    void SetDeclared(int seat, bool on) { readyDeclared_[seat] = on; }
    void SetDice(int die1, int die2) { dice_ = {die1, die2, 0, 0}; }
};

using RegionalFixture = MahjongFixture;

// Reaches the settlement fields of a regional hand.
class SettlingHands : public RegionalHands {
public:
    using RegionalHands::RegionalHands;
    void SetReadyValue(int seat, int32_t value) { readyValue_[seat] = value; }
    void SetWon(int seat) { seatWon_[seat] = true; }
    void SetWinnerCount(int n) { winnerCount_ = n; }
    void SetEndFlags(uint32_t flags) { endFlags_ = flags; }
    void SetSwapChosen(int seat) { swapChosen_[seat] = true; }
    void SetPassCount(int seat, int index, int n) { passCounts_[seat][index] = n; }
};

// The one kind of hu verdict on which the tile algorithms and the engine may
// differ: the tile algorithms take two held fours as groups and need no pair.
inline bool HasTwoFoursAndNoPair(const HuResult& result) {
    int fours = 0;
    int pairs = 0;
    for (int g = 1; g <= result.GroupCount(); ++g) {
        fours += result.GetGroup(g).kind == kGroupFour ? 1 : 0;
        pairs += result.GetGroup(g).kind == kGroupPair ? 1 : 0;
    }
    return fours >= 2 && pairs == 0;
}
