// The meld and win animations, the operation sounds and the voice box with
// its phrases.
#include "game/table/RegionalTableView.h"

void CRegionalTableView::CreateMeldAnimation() {}

void CRegionalTableView::ClearMeldAnimation() {
    meldAnimationId_ = 0;
}

void CRegionalTableView::LayoutMeldAnimation() {}

void CRegionalTableView::PlayMeldAnimation(int /*eventId*/) {}

void CRegionalTableView::PlayHuAnimation(int position) {
    CMahjongTableView::PlayHuAnimation(position);
}

const char* CRegionalTableView::GetOperationSoundName(int kind) const {
    return CMahjongTableView::GetOperationSoundName(kind);
}

void CRegionalTableView::CreateVoiceBox() {}

void CRegionalTableView::FillVoicePhraseList() {}

void CRegionalTableView::HideVoiceButton(int /*onlyForLookers*/) {}

bool CRegionalTableView::OnVoicePhraseChat(NotifyRecord /*record*/) {
    return true;
}

void CRegionalTableView::DestroyWinParticles() {}
