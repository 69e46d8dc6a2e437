// The table view's event entry.
#include "mahjong_client/table/MahjongTableView.h"

int CMahjongTableView::OnEvent(const EventRecord& /*record*/) {
    return 1;
}
