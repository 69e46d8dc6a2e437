// The own hand's tiles under the pointer: the events a tile posts by the
// table state, the concealed-gang checks and the marks of the hand.
#include "game/table/RegionalTableView.h"

void CRegionalTableView::PostStateEvent(CCardSprite* sprite) {
    CMahjongTableView::PostStateEvent(sprite);
}

int CRegionalTableView::OnCardSpriteEvent(const EventRecord& record) {
    return CMahjongTableView::OnCardSpriteEvent(record);
}

void CRegionalTableView::CheckConcealedGang() {
    CMahjongTableView::CheckConcealedGang();
}

int CRegionalTableView::MarkConcealedGangTile() {
    return 0;
}

void CRegionalTableView::GreyAllButQuadruples() {}

void CRegionalTableView::ClearHandMarks() {
    CMahjongTableView::ClearHandMarks();
}
