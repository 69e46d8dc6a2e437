#include "mahjong_client/table/MahjongTableView.h"

void CMahjongTableView::BuildWall() {}
void CMahjongTableView::RestoreWall() {}
void CMahjongTableView::ResetWallAndClock() {}
void CMahjongTableView::DealCards() {}
CCardSprite* CMahjongTableView::DealDrawnTile(int /*position*/, int /*wallIndex*/, int /*tileId*/) {
    return nullptr;
}
CCardSprite* CMahjongTableView::GetWallSprite(int /*wallIndex*/) {
    return nullptr;
}
int CMahjongTableView::GetWallCount() const {
    return 0;
}
bool CMahjongTableView::ReleaseWallTile(int /*wallIndex*/) {
    return false;
}
