// The regional table's claims: the peng and gang requests, their
// operation records and the replacement step after a granted gang.
#include "game/table/RegionalTableView.h"

#include "zep/ZepLog.h"

namespace {

void LogNotBuilt(const char* operation) {
    ZepLog("table: %s is not available yet", operation);
}

}  // namespace

int CRegionalTableView::RequestDiscardGang(table_protocol::OperationRecord& /*out*/,
                                           std::span<uint8_t> /*reply*/) {
    LogNotBuilt("RequestDiscardGang");
    return 0;
}

int CRegionalTableView::RequestConcealedGang(int32_t /*tile*/,
                                             table_protocol::OperationRecord& /*out*/,
                                             std::span<uint8_t> /*reply*/) {
    LogNotBuilt("RequestConcealedGang");
    return 0;
}

int CRegionalTableView::RequestAddedGang(const int32_t* /*threeTiles*/,
                                         table_protocol::OperationRecord& /*out*/,
                                         std::span<uint8_t> /*reply*/) {
    LogNotBuilt("RequestAddedGang");
    return 0;
}

int CRegionalTableView::RequestPeng(table_protocol::OperationRecord& /*out*/,
                                    std::span<uint8_t> /*reply*/) {
    LogNotBuilt("RequestPeng");
    return 0;
}

int CRegionalTableView::SubmitPeng() {
    LogNotBuilt("SubmitPeng");
    return 0;
}

int CRegionalTableView::SubmitDiscardGang() {
    LogNotBuilt("SubmitDiscardGang");
    return 0;
}

int CRegionalTableView::SubmitConcealedGang(int32_t /*tile*/) {
    LogNotBuilt("SubmitConcealedGang");
    return 0;
}

int CRegionalTableView::SubmitAddedGang(int32_t /*tile*/) {
    LogNotBuilt("SubmitAddedGang");
    return 0;
}
