#include "mahjong_client/table/MahjongTableView.h"

CMahjongTableView::CMahjongTableView() = default;
CMahjongTableView::~CMahjongTableView() = default;

void CMahjongTableView::Create() {}
int CMahjongTableView::GetOwnChair() const {
    return -1;
}
bool CMahjongTableView::IsLookingOn() const {
    return false;
}
int CMahjongTableView::ChairToPosition(int /*chair*/) const {
    return -1;
}
int CMahjongTableView::PositionToChair(int /*position*/) const {
    return -1;
}
int CMahjongTableView::GetNextTurnPosition(int position) const {
    return (position + 3) % 4;
}
int CMahjongTableView::GetNextDealPosition(int position) const {
    return (position + 3) % 4;
}
void CMahjongTableView::CreateCardSprites() {}
CCardSprite* CMahjongTableView::GetCardSprite(int /*poolIndex*/) {
    return nullptr;
}
CCardSprite* CMahjongTableView::GetFreeCardObject() {
    return nullptr;
}
CCardSprite* CMahjongTableView::GetFirstSpriteAt(int /*position*/) {
    return nullptr;
}
void CMahjongTableView::ReleaseSprite(CCardSprite* /*sprite*/) {}
void CMahjongTableView::Relayout() {}
void CMahjongTableView::OnEnterRoom() {}
void CMahjongTableView::InitCardMetrics(int /*width*/, int /*height*/) {}
int CMahjongTableView::GetCardMetric(int /*index*/) const {
    return 0;
}
TablePoint CMahjongTableView::GetWallPlace(int /*wallIndex*/) {
    return {};
}
TablePoint CMahjongTableView::GetRowPlace(int /*position*/, int /*index*/) {
    return {};
}
TablePoint CMahjongTableView::GetDiscardPlace(int /*position*/, int /*slot*/) {
    return {};
}
TablePoint CMahjongTableView::GetThrownPlace(int /*position*/) {
    return {};
}
TablePoint CMahjongTableView::GetShownPlace(int /*position*/, int /*index*/) {
    return {};
}
TablePoint CMahjongTableView::GetTileSize(int /*kind*/, int /*position*/) {
    return {};
}
void CMahjongTableView::ClearTable() {}
void CMahjongTableView::OnGameStart() {}
void CMahjongTableView::RestoreSeatMarks() {}
void CMahjongTableView::RestoreFlowers() {}
void CMahjongTableView::RestoreDiscards() {}
void CMahjongTableView::RestoreLastThrown() {}
void CMahjongTableView::RestoreDepositInfo() {}
void CMahjongTableView::RestoreTurnPointer() {}
void CMahjongTableView::CreateSeatBoards(int count) {
    playerCount_ = count;
}
CSeatBoard* CMahjongTableView::GetSeatBoard(int /*position*/) {
    return nullptr;
}
void CMahjongTableView::RefreshSeatBoards() {}
void CMahjongTableView::ResetSeatBoard(int /*chair*/) {}
void CMahjongTableView::OnPlayerStarted(int /*chair*/) {}
void CMahjongTableView::CreateDecorations() {}
CMahjongTableData* CMahjongTableView::GetMahjongTableData() {
    return nullptr;
}
