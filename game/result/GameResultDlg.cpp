#include "game/result/GameResultDlg.h"

void CResultItem::SetIndex(int index, int style) {
    CCorvaneListItem::SetIndex(index, style);
}

void CResultItem::MarkRow() {}

void CResultItem::SetPlayerRow(int chair, const ResultPlayerRow& row) {
    chair_ = chair;
    playerRow_ = row;
}

void CResultItem::SetItemRow(const ResultItemRow& row, bool multiplier) {
    itemRow_ = row;
    multiplier_ = multiplier;
}

void CResultItem::SetTextColour(uint32_t colour) {
    textColour_ = colour;
}

std::array<CResultItem::Caption, 6> CResultItem::GetCaptions(int* count) const {
    if (count != nullptr) {
        *count = 0;
    }
    return {};
}

void CResultItem::DrawCaptions() {}
void CResultItem::ShowBackground(int) {}

int CResultListPanel::OnEvent(const EventRecord& record) {
    return CCorvaneListView::OnEvent(record);
}

CResultItem* CResultListPanel::GetRowObject(int index) {
    return dynamic_cast<CResultItem*>(GetItem(index));
}

void CResultListPanel::RemoveAllRows() {}

void CGameResultDlg::Create() {}

int CGameResultDlg::OnEvent(const EventRecord& record) {
    return CCorvaneControl::OnEvent(record);
}

void CGameResultDlg::SetResult(std::span<const uint8_t> record) {
    sheet_.Read(record);
}

CResultListPanel* CGameResultDlg::GetPlayersList() {
    return nullptr;
}
CResultListPanel* CGameResultDlg::GetItemsList() {
    return nullptr;
}
CCorvaneCanvas* CGameResultDlg::GetSeatPanel() {
    return nullptr;
}
CCorvaneCanvas* CGameResultDlg::GetItemPanel() {
    return nullptr;
}
CCorvaneCanvas* CGameResultDlg::GetNextHandPanel() {
    return nullptr;
}
CCorvaneNumberDisplay* CGameResultDlg::GetNextHandNumber() {
    return nullptr;
}
CCorvaneObject* CGameResultDlg::GetBackground() {
    return nullptr;
}
