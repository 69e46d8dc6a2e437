#include "mahjong_client/MahjongApp.h"

#include "mahjong_client/MahjongTableData.h"

CMahjongApp::CMahjongApp(const char* gameCode, int defaultPort, int version, int subVersion)
    : CGameFrameApp(gameCode, defaultPort, version, subVersion) {}

CMahjongApp* CMahjongApp::CurrentMahjongApp() {
    return dynamic_cast<CMahjongApp*>(CGameFrameApp::Current());
}

void CMahjongApp::OnConnectionLost() {}

CMahjongTableData* CMahjongApp::GetMahjongTableData() {
    return dynamic_cast<CMahjongTableData*>(GetTableData());
}

CMahjongTableView* CMahjongApp::GetMahjongTableView() const {
    return nullptr;
}

bool CMahjongApp::InitInstance() {
    OnInitInstance();
    return CGameFrameApp::InitInstance();
}

int CMahjongApp::ExitInstance() {
    return CGameFrameApp::ExitInstance();
}
