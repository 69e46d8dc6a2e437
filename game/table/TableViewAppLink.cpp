// What the regional table view reads and asks of the application and the
// table data: the player's sound settings, the top-up page, the seat-info
// request and the table's status words.
#include "game/table/RegionalTableView.h"

#include "mahjong_client/MahjongApp.h"

int CRegionalTableView::SoundVolumeSetting() {
    return 100;
}

int CRegionalTableView::MusicVolumeSetting() {
    return 100;
}

void CRegionalTableView::SetSoundVolumeSetting(int /*volume*/) {}

void CRegionalTableView::SetMusicVolumeSetting(int /*volume*/) {}

bool CRegionalTableView::IsBackgroundMusicOn() {
    return false;
}

bool CRegionalTableView::IsKeepSilence() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr && app->GetKeepSilence() != 0;
}

void CRegionalTableView::SendSeatInfoRequest() {}

void CRegionalTableView::OpenQrCharge() {}

void CRegionalTableView::SetWildMarking(int /*on*/) {}

int32_t CRegionalTableView::GetChairStatusWord(int /*chair*/) {
    return 0;
}

bool CRegionalTableView::IsWildMarking() {
    return false;
}
