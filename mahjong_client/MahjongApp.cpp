#include "mahjong_client/MahjongApp.h"

#include "frame/view/GameFrameView.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/panels/TablePanels.h"
#include "mahjong_client/table/MahjongTableView.h"

CMahjongApp::CMahjongApp(const char* gameCode, int defaultPort, int version, int subVersion)
    : CGameFrameApp(gameCode, defaultPort, version, subVersion) {
    // The table's side panel in place of the frame's.
    SetFramePanelFactories(MakeTablePanelFactories());
}

CMahjongApp* CMahjongApp::CurrentMahjongApp() {
    return dynamic_cast<CMahjongApp*>(CGameFrameApp::Current());
}

void CMahjongApp::OnConnectionLost() {
    if (IsOfflineMode()) {
        return;
    }
    if (CMahjongTableView* view = GetMahjongTableView()) {
        view->ClearTable();
        view->OnGameStart();
    }
    SetRelaunchOnExit(true);
    ShowNoticeBox(kConnectionLostText, 10, 0, nullptr);
}

CMahjongTableData* CMahjongApp::GetMahjongTableData() {
    return dynamic_cast<CMahjongTableData*>(GetTableData());
}

CMahjongTableView* CMahjongApp::GetMahjongTableView() const {
    return dynamic_cast<CMahjongTableView*>(GetGameView());
}

bool CMahjongApp::InitInstance() {
    OnInitInstance();
    return CGameFrameApp::InitInstance();
}

int CMahjongApp::ExitInstance() {
    return CGameFrameApp::ExitInstance();
}
