// The end-of-hand score lines of the regional table.
#include "game/table/RegionalTableView.h"

void CRegionalTableView::WriteHandScoreText() {}

std::string& CRegionalTableView::FormatChineseNumber(std::string& out, int /*n*/) {
    out.clear();
    return out;
}
