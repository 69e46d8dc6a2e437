#include "mahjong_client/table/MahjongTableView.h"

CCardSprite* CMahjongTableView::GetHandSprite(int /*position*/, int /*index*/) {
    return nullptr;
}
bool CMahjongTableView::SetHandSprite(int /*position*/, int /*index*/, CCardSprite* /*sprite*/) {
    return false;
}
int CMahjongTableView::GetRowCount(int /*position*/) const {
    return 0;
}
bool CMahjongTableView::IsHandKnown(int /*position*/) {
    return false;
}
int CMahjongTableView::IsHandDrawn(int /*position*/) {
    return 0;
}
CCardSprite* CMahjongTableView::RemoveHandTile(int /*position*/, int /*tileId*/) {
    return nullptr;
}
CCardSprite* CMahjongTableView::MoveTileToThrown(int /*position*/, int /*tileId*/) {
    return nullptr;
}
void CMahjongTableView::TurnRowFaceDown(int /*position*/) {}
void CMahjongTableView::EmptyHandRows() {}
void CMahjongTableView::SortHand() {}
void CMahjongTableView::SortHandCards(int /*position*/, int /*from*/, int /*count*/) {}
void CMahjongTableView::ArrangeHand(int /*position*/) {}
void CMahjongTableView::RefreshHandSprites(int /*position*/) {}
void CMahjongTableView::OnHandRefreshed(int /*position*/) {}
void CMahjongTableView::FillOwnHand() {}
int CMahjongTableView::GetRaisedTiles(int32_t* /*tilesOut*/) {
    return 0;
}
int CMahjongTableView::FindSameFaceTiles(int /*tileId*/, int32_t* /*tilesOut*/) {
    return 0;
}
int CMahjongTableView::FindRowIndex(int /*position*/, int /*tileId*/) {
    return -1;
}
int CMahjongTableView::CollectRowTiles(int /*position*/, int32_t* /*tilesOut*/) {
    return 0;
}
void CMahjongTableView::FillTileArrayInvalid(int32_t* tiles32) {
    for (int i = 0; i < 32; ++i) {
        tiles32[i] = -1;
    }
}
void CMahjongTableView::MoveThrownToDiscards(int /*position*/) {}
void CMahjongTableView::RedrawDiscards(int /*position*/) {}
CCardSprite* CMahjongTableView::GetLastThrown(int /*position*/) {
    return nullptr;
}
void CMahjongTableView::SetLastThrown(int /*position*/, CCardSprite* /*sprite*/) {}
CCardSprite* CMahjongTableView::GetDiscard(int /*position*/, int /*slot*/) {
    return nullptr;
}
int CMahjongTableView::GetDiscardCount(int /*position*/) const {
    return 0;
}
