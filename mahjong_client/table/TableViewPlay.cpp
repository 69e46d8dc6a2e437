// Hand flow of the table view: hand start, dice, deal end, start of play,
// the table's own events and the play notifications.
#include "mahjong_client/table/MahjongTableView.h"

void CMahjongTableView::ShowRoundInfo() {}
void CMahjongTableView::ThrowDice() {}
void CMahjongTableView::StartPlay() {}
void CMahjongTableView::StartGame() {}
int CMahjongTableView::OnTableEvent(const EventRecord& /*record*/) {
    return 1;
}
void CMahjongTableView::OnDiceThrown() {}
void CMahjongTableView::OnDealDone() {}

bool CMahjongTableView::OnStartGameNotify(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnNotify211240(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnNotify211300(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnCardThrown(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnCardCaught(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnNotify229165(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnNotify229170(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnNotify229175(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnGangHuNotice(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnGameMsg229185(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnNotify229190(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnCardsGang(NotifyRecord /*record*/, int /*id*/) {
    return true;
}
bool CMahjongTableView::OnCardsHua(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnAutoPlayStatus(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnLookCardAsk(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnLookCardReply(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnNotify229580(NotifyRecord /*record*/) {
    return true;
}
void CMahjongTableView::OnPlayerBack(int /*code*/, const int32_t* /*data*/, int /*count*/) {}
void CMahjongTableView::OnPlayerAutoPlay(int /*code*/, const int32_t* /*data*/, int /*count*/) {}

void CMahjongTableView::SetTableState(int state) {
    tableState_ = state;
}
void CMahjongTableView::ResetOperationState() {}
void CMahjongTableView::OnRoundEnd(NotifyRecord /*record*/) {}
void CMahjongTableView::PlayHuAnimation(int /*position*/) {}
void CMahjongTableView::OnResultClosed() {}
void CMahjongTableView::OnResultTimeout() {}
