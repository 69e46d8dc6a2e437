// The clock digits, the deposit panel and the tool buttons with the volume
// panel.
#include "mahjong_client/table/MahjongTableView.h"

void CMahjongTableView::CreateClock() {}
void CMahjongTableView::CreateDepositDigits() {}
void CMahjongTableView::ShowDepositPanel(int /*show*/) {}
void CMahjongTableView::ShowDepositInfo() {}
void CMahjongTableView::CreateToolButtons() {}
void CMahjongTableView::ToggleVolumePanel() {}
void CMahjongTableView::OnMusicVolumeChanged() {}
void CMahjongTableView::OnSoundVolumeChanged() {}
