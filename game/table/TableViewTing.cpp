// The regional table's ready-hand declaration.
#include "game/table/RegionalTableView.h"

#include "zep/ZepLog.h"

namespace {

void LogNotBuilt(const char* operation) {
    ZepLog("table: %s is not available yet", operation);
}

}  // namespace

void CRegionalTableView::ApplyTingInfo(std::span<const uint8_t> /*ting*/) {
    LogNotBuilt("ApplyTingInfo");
}

void CRegionalTableView::OnTingButton() {
    LogNotBuilt("OnTingButton");
}

void CRegionalTableView::OnTingTileClick(CCardSprite* /*sprite*/) {
    LogNotBuilt("OnTingTileClick");
}

bool CRegionalTableView::OnTingThrowNotify(NotifyRecord /*record*/) {
    LogNotBuilt("OnTingThrowNotify");
    return true;
}
