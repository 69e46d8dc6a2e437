// The turn clock, the turn pointer and auto-play.
#include "mahjong_client/table/MahjongTableView.h"

void CMahjongTableView::StartTurn() {}
void CMahjongTableView::StartTurnClock() {}
void CMahjongTableView::StopTurnClock() {}
void CMahjongTableView::SetClockSeconds(int seconds) {
    clockSeconds_ = seconds;
}
void CMahjongTableView::OnClockTick(const EventRecord& /*record*/) {}
void CMahjongTableView::MoveTurnIndicator(int /*from*/, int to) {
    turnDirection_ = to;
}
void CMahjongTableView::OnPointerStep(const EventRecord& /*record*/) {}
void CMahjongTableView::ShowArrow(int /*position*/) {}
void CMahjongTableView::OnTimerTick() {}
void CMahjongTableView::OnTurnTimeOut() {}
void CMahjongTableView::QuickCatch() {}
TablePoint CMahjongTableView::GetHuAnchor(int /*position*/) {
    return {};
}
void CMahjongTableView::SetAutoPlayState(int state) {
    autoPlayState_ = state;
}
void CMahjongTableView::ToggleAutoPlay() {}
