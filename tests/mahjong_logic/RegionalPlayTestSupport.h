#pragma once
// A regional table for the play and snapshot tests: hands built on the
// identity wall (see HandBuilder), the turn and claim phases set as the table
// driver sets them, and the hand's per-seat fields within reach.

#include <array>

#include "tests/mahjong_logic/MahjongPlayTestSupport.h"
#include "tests/mahjong_logic/RegionalTestSupport.h"

class RegionalPlayTable : public PhaseSteps<SettlingHands> {
public:
    using PhaseSteps<SettlingHands>::PhaseSteps;
    using CRegionalMahjongRules::MayRobKong;
    using CRegionalMahjongRules::SetEndFlags;
    using SettlingHands::SetEndFlags;

    void SetLastDrawn(int id) { lastDrawnTile_ = id; }
    void SetReadyGranted(int seat) { readyGranted_[seat] = true; }
    void SetSwapDone(int die) {
        for (int seat = 0; seat < 4; ++seat) {
            for (int k = 0; k < 3; ++k) {
                swapChoicesCopy_[3 * seat + k] = 100 + 3 * seat + k;
                swapReceived_[3 * seat + k] = 50 + 3 * seat + k;
            }
        }
        swapDie_ = die;
    }
    void SetSwapChoice(int seat, std::array<int32_t, 3> ids) {
        swapChoice_[seat] = ids;
        swapChosen_[seat] = true;
    }
    void SetCandidate(int k, int id, int waitIndex) {
        readyCandidates_[k] = id;
        readyWaitMaps_[k][waitIndex] = 1;
    }
};
