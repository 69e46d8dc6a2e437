// The regional table's play events: throws and flowers of the automatic
// paths, the meld notices, the meld buttons, the turn clock's end and the
// melds of a running hand.
#include "game/table/RegionalTableView.h"

uint32_t CRegionalTableView::GetCardIdCount() const {
    return kTilesInWall;
}

int CRegionalTableView::ThrowHandTile(int index) {
    return CMahjongTableView::ThrowHandTile(index);
}

int CRegionalTableView::DeclareOwnHua(int index) {
    return CMahjongTableView::DeclareOwnHua(index);
}

bool CRegionalTableView::OnCardsHua(NotifyRecord record) {
    return CMahjongTableView::OnCardsHua(record);
}

bool CRegionalTableView::OnGameMsg229185(NotifyRecord record) {
    return CMahjongTableView::OnGameMsg229185(record);
}

bool CRegionalTableView::OnCardsGang(NotifyRecord record, int id) {
    return CMahjongTableView::OnCardsGang(record, id);
}

int CRegionalTableView::OnGangOnDiscardButton() {
    return CMahjongTableView::OnGangButton();
}

int CRegionalTableView::OnConcealedGangButton(int /*selection*/) {
    return CMahjongTableView::OnGangButton();
}

int CRegionalTableView::OnAddGangButton(int /*selection*/) {
    return CMahjongTableView::OnGangButton();
}

int CRegionalTableView::OnPengButton() {
    return CMahjongTableView::OnPengButton();
}

int CRegionalTableView::OnHuButton() {
    return CMahjongTableView::OnHuButton();
}

void CRegionalTableView::ToggleAutoPlay() {
    CMahjongTableView::ToggleAutoPlay();
}

void CRegionalTableView::StopTurnClock() {
    CMahjongTableView::StopTurnClock();
}

void CRegionalTableView::RestoreMelds() {
    CMahjongTableView::RestoreMelds();
}

int CRegionalTableView::RestrictDiscardChoice() {
    return 0;
}

void CRegionalTableView::OnPlayerAutoPlay(int code, const int32_t* data, int count) {
    CMahjongTableView::OnPlayerAutoPlay(code, data, count);
}

void CRegionalTableView::MarkWildTilesInHand() {}
