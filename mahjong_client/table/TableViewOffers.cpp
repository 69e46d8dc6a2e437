// The operation offer table and the own tiles' events.
#include "mahjong_client/table/MahjongTableView.h"

void CMahjongTableView::ClearOfferTable() {}
OperationOffer& CMahjongTableView::GetOffer(int kind) {
    return offers_[static_cast<size_t>(kind >= 0 && kind < kOfferKinds ? kind : 0)];
}
void CMahjongTableView::OfferOptionsAfterDraw(int /*options*/) {}

int CMahjongTableView::OnCardSpriteEvent(const EventRecord& /*record*/) {
    return 1;
}
void CMahjongTableView::PostStateEvent(CCardSprite* /*sprite*/) {}
void CMahjongTableView::ClearHandMarks() {}
int CMahjongTableView::RestrictDiscardChoice() {
    return 0;
}
void CMahjongTableView::CheckConcealedGang() {}
