// Construction and reset of CRegionalMahjongRules.

#include "mahjong_logic/RegionalMahjongRules.h"

CRegionalMahjongRules::CRegionalMahjongRules(const MahjongTableParameters& parameters)
    : CMahjongTableLogic(parameters) {
    CRegionalMahjongRules::Reset(true);
    searchTarget_ = 10000;
    constructedWord_ = 1;
}

CRegionalMahjongRules::~CRegionalMahjongRules() {
    CRegionalMahjongRules::Reset(true);
}

void CRegionalMahjongRules::Reset(bool full) {
    CMahjongTableLogic::Reset(full);
    ClearRegionalHand();
}

void CRegionalMahjongRules::ClearRegionalHand() {
    kongDiscardFlag_ = false;
    readyDeclared_.fill(false);
    swapChoice_ = {};
    swapChosen_.fill(false);
    swapChoicesCopy_.fill(-1);
    swapReceived_.fill(-1);
    swapDie_ = 0;
    readyGranted_.fill(false);
    readyCandidates_.fill(-1);
    readyWaitMaps_ = {};
    passCounts_ = {};
    lastDrawnTile_ = -1;
    seatWon_.fill(false);
    winCount_.fill(0);
    readyValue_.fill(0);
    for (HuResult& result : drawnResults_) {
        result.Clear();
    }
    exposedKongScore_.fill(0);
    concealedKongScore_.fill(0);
}
