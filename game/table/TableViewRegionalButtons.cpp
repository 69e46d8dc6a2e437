// The regional table buttons and the automatic welfare claim.
#include "game/table/RegionalTableView.h"

void CRegionalTableView::CreateOperationButtons() {
    CMahjongTableView::CreateOperationButtons();
}

void CRegionalTableView::AutoApplyWelfare() {}
