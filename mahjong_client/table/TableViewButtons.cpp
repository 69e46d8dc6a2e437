// The operation buttons, the start and look-card buttons and the skill
// panel.
#include "mahjong_client/table/MahjongTableView.h"

void CMahjongTableView::CreateOperationButtons() {}
void CMahjongTableView::LayoutOperationButtons() {}
void CMahjongTableView::ShowOperationButtons(int /*show*/) {}
void CMahjongTableView::SetAllOperationButtons(int /*on*/) {}
void CMahjongTableView::SetOperationButton(int /*kind*/, int /*on*/) {}
void CMahjongTableView::RefreshOperationButtons() {}
int CMahjongTableView::OnHuButton() {
    return 0;
}
int CMahjongTableView::OnChiButton() {
    return 0;
}
int CMahjongTableView::OnGuoButton() {
    return 0;
}
int CMahjongTableView::OnPengButton() {
    return 0;
}
int CMahjongTableView::OnGangButton() {
    return 0;
}
void CMahjongTableView::OnAskCardView() {}
void CMahjongTableView::ShowSkillPanel() {}
void CMahjongTableView::HideSkillPanel() {}
void CMahjongTableView::SlidePanel(int /*flag*/) {}
