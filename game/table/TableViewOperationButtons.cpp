// The regional table's operation buttons.
#include "game/table/RegionalTableView.h"

void CRegionalTableView::RefreshOperationButtons() {
    CMahjongTableView::RefreshOperationButtons();
}
