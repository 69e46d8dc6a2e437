#include "tests/mahjong_client/support/TableApp.h"

#include <utility>

#include "mahjong_client/TableProtocol.h"

namespace table_test {

// --- TestTableData ---

int TestTableData::IsSeatStarted(int chair) const {
    return chair >= 0 && chair < kMaxChairs ? started_[static_cast<size_t>(chair)] : 0;
}

bool TestTableData::SetSeatStarted(std::span<const uint8_t> record) {
    table_protocol::SeatStartedNotice notice;
    if (!table_protocol::ReadTableRecord(record, notice) || notice.head.chair < 0 ||
        notice.head.chair >= kMaxChairs) {
        return false;
    }
    started_[static_cast<size_t>(notice.head.chair)] = 1;
    return true;
}

void TestTableData::ClearSeatsStarted() {
    started_.fill(0);
    CMahjongTableData::ClearSeatsStarted();
}

// --- TestRegionalHandler ---

void TestRegionalHandler::OnNotify(int32_t id, const void* data, size_t length) {
    seen.push_back(id);
    const Record record(static_cast<const uint8_t*>(data), data != nullptr ? length : 0);
    auto* app = CMahjongApp::CurrentMahjongApp();
    CMahjongTableData* tableData = app != nullptr ? app->GetMahjongTableData() : nullptr;
    CMahjongTableView* view = app != nullptr ? app->GetMahjongTableView() : nullptr;
    switch (id) {
        case kHandStartId:
            Need(id, record, CMahjongTableData::kHandStartBytes);
            if (tableData != nullptr && tableData->StoreHandStart(record) && view != nullptr) {
                view->ShowRoundInfo();
            }
            return;
        case kGameResultId:
            Need(id, record, CMahjongTableData::kGameResultBytes);
            if (tableData != nullptr && tableData->StoreGameResult(record) && view != nullptr) {
                view->OnRoundEnd(record);
            }
            return;
        default:
            CMahjongNotifyHandler::OnNotify(id, data, length);
    }
}

void TestRegionalHandler::RecordLastNotify(int32_t id, const void* data, size_t length) {
    CMahjongNotifyHandler::RecordLastNotify(id, data, length);
    ++finished;
}

// --- RecordingTableView ---

void RecordingTableView::Record(const char* operation, size_t length) {
    calls.push_back(std::string(operation) + " " + std::to_string(length));
}

std::vector<std::string> RecordingTableView::TakeCalls() {
    return std::exchange(calls, {});
}

#define PVBN_RECORDED(op)                         \
    bool RecordingTableView::op(NotifyRecord r) { \
        Record(#op, r.size());                    \
        return CMahjongTableView::op(r);          \
    }
PVBN_RECORDED(OnStartGameNotify)
PVBN_RECORDED(OnNotify211240)
PVBN_RECORDED(OnNotify211300)
PVBN_RECORDED(OnCardThrown)
PVBN_RECORDED(OnCardCaught)
PVBN_RECORDED(OnNotify229165)
PVBN_RECORDED(OnNotify229170)
PVBN_RECORDED(OnNotify229175)
PVBN_RECORDED(OnGangHuNotice)
PVBN_RECORDED(OnGameMsg229185)
PVBN_RECORDED(OnNotify229190)
PVBN_RECORDED(OnCardsHua)
PVBN_RECORDED(OnAutoPlayStatus)
PVBN_RECORDED(OnLookCardAsk)
PVBN_RECORDED(OnLookCardReply)
PVBN_RECORDED(OnNotify229580)
#undef PVBN_RECORDED

bool RecordingTableView::OnCardsGang(NotifyRecord record, int id) {
    Record(("OnCardsGang" + std::to_string(id)).c_str(), record.size());
    return CMahjongTableView::OnCardsGang(record, id);
}

void RecordingTableView::OnPlayerStarted(int chair) {
    calls.push_back("OnPlayerStarted " + std::to_string(chair));
    CMahjongTableView::OnPlayerStarted(chair);
}

void RecordingTableView::ShowRoundInfo() {
    calls.emplace_back("ShowRoundInfo");
    CMahjongTableView::ShowRoundInfo();
}

void RecordingTableView::OnRoundEnd(NotifyRecord record) {
    Record("OnRoundEnd", record.size());
    CMahjongTableView::OnRoundEnd(record);
}

// --- TableFrameView ---

void TableFrameView::OnCreateEnd() {
    CMahjongFrameView::OnCreateEnd();
    sidePanel = new CTableSystemBar;
    SetSubSystem(sidePanel);
    table = new RecordingTableView;
    SetMainGame(table);
}

// --- TestTableApp ---

TestTableApp::TestTableApp() : CMahjongApp("pvbn", 21265, 13, 1) {}

TestTableApp::~TestTableApp() = default;

std::unique_ptr<CGameFrameView> TestTableApp::CreateFrameView() {
    return std::make_unique<TableFrameView>();
}

}  // namespace table_test
