#include "mahjong_client/panels/RoundHistoryList.h"

#include "engine/CorvaneCanvas.h"
#include "frame/GameFrameApp.h"

CRoundHistoryList::CRoundHistoryList() = default;

CRoundHistoryList::~CRoundHistoryList() = default;

void CRoundHistoryList::Layout() {
    CAdvertBar::Layout();
}

void CRoundHistoryList::DrawScoreTable() {
    CAdvertBar::DrawScoreTable();
}
