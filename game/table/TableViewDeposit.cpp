// The deposit-info panel of the regional table.
#include "game/table/RegionalTableView.h"

void CRegionalTableView::ShowDepositInfo() {
    CMahjongTableView::ShowDepositInfo();
}
