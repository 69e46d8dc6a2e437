// The regional table's thrown tile, kong/hu notice and own draw.
#include "game/table/RegionalTableView.h"

#include "zep/ZepLog.h"

namespace {

void LogNotBuilt(const char* operation) {
    ZepLog("table: %s is not available yet", operation);
}

}  // namespace

int CRegionalTableView::RequestCatch(std::span<uint8_t> /*reply*/) {
    LogNotBuilt("RequestCatch");
    return 0;
}

void CRegionalTableView::OfferOptionsAfterDraw(int options) {
    CMahjongTableView::OfferOptionsAfterDraw(options);
}

bool CRegionalTableView::OnCardThrown(NotifyRecord record) {
    return CMahjongTableView::OnCardThrown(record);
}

bool CRegionalTableView::OnGangHuNotice(NotifyRecord record) {
    return CMahjongTableView::OnGangHuNotice(record);
}

int CRegionalTableView::CatchCard() {
    return CMahjongTableView::CatchCard();
}
