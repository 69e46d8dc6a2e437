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
}
