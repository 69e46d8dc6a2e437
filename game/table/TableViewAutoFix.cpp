// The regional table's automatic top-up and its in-table dialogs.
#include "game/table/RegionalTableView.h"

#include "zep/ZepLog.h"

namespace {

void LogNotBuilt(const char* operation) {
    ZepLog("table: %s is not available yet", operation);
}

}  // namespace

void CRegionalTableView::CheckAutoFix() {
    LogNotBuilt("CheckAutoFix");
}

void CRegionalTableView::TakeSilverForAutoFix(int /*silver*/, uint32_t /*password*/) {
    LogNotBuilt("TakeSilverForAutoFix");
}

CCorvaneObject* CRegionalTableView::NewGameSetDlg() {
    return nullptr;
}

CCorvaneObject* CRegionalTableView::NewAutoFixDlg() {
    return nullptr;
}

CCorvaneObject* CRegionalTableView::NewSecurePwdDlg() {
    return nullptr;
}
