// The swap-three phase and the dice: the choice of three tiles, the
// ready notices, the swap dice and the exchange, and the deal's dice.
#include "game/table/RegionalTableView.h"

void CRegionalTableView::StartPlay() {
    CMahjongTableView::StartPlay();
}

void CRegionalTableView::ThrowDice() {
    CMahjongTableView::ThrowDice();
}

int CRegionalTableView::OnSwapTileClick(CCardSprite* /*sprite*/) {
    return 0;
}

void CRegionalTableView::ConfirmSwapChoice() {}

bool CRegionalTableView::OnSwapReady(NotifyRecord /*record*/) {
    return true;
}

bool CRegionalTableView::OnSwapDice(NotifyRecord /*record*/) {
    return true;
}

void CRegionalTableView::ThrowSwapDice(NotifyRecord /*record*/) {}

void CRegionalTableView::ApplySwapResult(NotifyRecord /*record*/) {}

void CRegionalTableView::CreateSwapInfoCanvas() {}
