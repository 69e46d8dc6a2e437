#include "game/app/RegionalFrameView.h"

#include <string>

#include "engine/EngineUtils.h"
#include "game/app/RegionalWidgets.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/panels/TableSystemBar.h"
#include "zep/ZepLog.h"

int CRegionalFrameView::RegisterResourcePacks() {
    int opened = 0;
    for (const char* relative : kResourcePacks) {
        const std::string path = GetExePath(relative);
        if (AddResourcePack(path.c_str()) == 0) {
            ZepLog("resource pack %s did not open", path.c_str());
            continue;
        }
        ++opened;
    }
    return opened;
}

void CRegionalFrameView::CreateChildren() {
    SetSubSystem(MakeRegionalSystemBar());
    sidePanelWidth_ = kNormalSidePanelWidth;
    SyncSidePanelWidth();
    SetMainGame(new CRegionalTableView);
}
