// What the regional table view reads and asks of the application and the
// table data: the player's sound settings, the top-up page, the seat-info
// request, the wild-marking flag and the table's status words.
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalConnection.h"
#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"

namespace {

CRegionalMahjongApp* App() {
    return CRegionalMahjongApp::Instance();
}

}  // namespace

CRegionalTableData* CRegionalTableView::GetRegionalTableData() {
    CRegionalMahjongApp* app = App();
    return app != nullptr ? dynamic_cast<CRegionalTableData*>(app->GetTableData()) : nullptr;
}

int CRegionalTableView::SoundVolumeSetting() {
    return App() != nullptr ? App()->Settings().soundVolume : 0;
}

int CRegionalTableView::MusicVolumeSetting() {
    return App() != nullptr ? App()->Settings().bkVolume : 0;
}

void CRegionalTableView::SetSoundVolumeSetting(int volume) {
    if (App() != nullptr) {
        App()->Settings().soundVolume = volume;
    }
}

void CRegionalTableView::SetMusicVolumeSetting(int volume) {
    if (App() != nullptr) {
        App()->Settings().bkVolume = volume;
    }
}

bool CRegionalTableView::IsBackgroundMusicOn() {
    return App() != nullptr && App()->Settings().bkMusic != 0;
}

bool CRegionalTableView::IsKeepSilence() {
    return App() != nullptr && App()->IsKeepSilence() != 0;
}

void CRegionalTableView::SendSeatInfoRequest() {
    CRegionalMahjongApp* app = App();
    if (auto* connection =
            app != nullptr ? dynamic_cast<CRegionalConnection*>(app->GetConnection()) : nullptr) {
        connection->SendRequest400001();
    }
}

void CRegionalTableView::OpenQrCharge() {
    if (App() != nullptr) {
        App()->OpenChargeDialog();
    }
}

void CRegionalTableView::SetWildMarking(int on) {
    if (CRegionalTableData* data = GetRegionalTableData()) {
        data->SetMarking(on);
    }
}

bool CRegionalTableView::IsWildMarking() {
    CRegionalTableData* data = GetRegionalTableData();
    return data != nullptr && data->IsMarking() != 0;
}

int32_t CRegionalTableView::GetChairStatusWord(int chair) {
    CRegionalTableData* data = GetRegionalTableData();
    return data != nullptr ? static_cast<int32_t>(data->GetSeatFlags(chair)) : 0;
}
