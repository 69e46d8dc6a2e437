// Voices of the seats, the round text at a hand's start, the automatic
// discard of auto-play and its weights.
#include "game/table/RegionalTableView.h"

std::string CRegionalTableView::GetVoiceFile(int position, int tileId) {
    return CMahjongTableView::GetVoiceFile(position, tileId);
}

std::string CRegionalTableView::GetVoiceFileByName(int position, const char* name) {
    return CMahjongTableView::GetVoiceFileByName(position, name);
}

void CRegionalTableView::ShowRoundInfo() {
    CMahjongTableView::ShowRoundInfo();
}

void CRegionalTableView::OnTimerTick() {
    CMahjongTableView::OnTimerTick();
}

void CRegionalTableView::LoadAiSettings() {}

int CRegionalTableView::SuggestDiscard() {
    return 0;
}
