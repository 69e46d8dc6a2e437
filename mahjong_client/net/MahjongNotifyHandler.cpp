#include "mahjong_client/net/MahjongNotifyHandler.h"

#include <algorithm>
#include <array>

#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "zep/ZepLog.h"

namespace tp = table_protocol;

namespace {

// Ascending.
constexpr std::array<int32_t, 19> kMahjongIds = {
    tp::kSeatStarted,         tp::kIgnored211240,   tp::kIgnored211300,
    tp::kCardThrown,          tp::kSeatDraw,        tp::kIgnored229165,
    tp::kIgnored229170,       tp::kIgnored229175,   tp::kGangHuNotice,
    tp::kPengNotice,          tp::kIgnored229190,   tp::kGangNotice,
    tp::kConcealedGangNotice, tp::kAddedGangNotice, tp::kHuaNotice,
    tp::kAutoPlayStatus,      tp::kLookCardAsk,     tp::kLookCardAnswer,
    tp::kIgnored229580,
};

// The word that names a record's status code in the failure report and the
// last-notification record.
constexpr size_t kStatusCodeWord = 2;

}  // namespace

std::span<const int32_t> CMahjongNotifyHandler::MahjongIds() {
    return kMahjongIds;
}

void CMahjongNotifyHandler::OnNotify(int32_t id, const void* data, size_t length) {
    const Record record(static_cast<const uint8_t*>(data), data != nullptr ? length : 0);
    switch (id) {
        case tp::kSeatStarted:
            return OnPlayerStarted(record);
        case tp::kCardThrown:
            return OnCardThrown(record);
        case tp::kSeatDraw:
            return OnSeatDraw(record);
        case tp::kGangHuNotice:
            return OnGangHuNotice(record);
        case tp::kPengNotice:
            return OnPengNotice(record);
        case tp::kGangNotice:
        case tp::kConcealedGangNotice:
        case tp::kAddedGangNotice:
            return OnGangNotice(id, record);
        case tp::kHuaNotice:
            return OnCardsHua(record);
        case tp::kAutoPlayStatus:
            return OnAutoPlayStatus(record);
        case tp::kLookCardAsk:
            return OnLookCardAsk(record);
        case tp::kLookCardAnswer:
            return OnLookCardReply(record);
        case tp::kIgnored211300: {
            // Only between games; while one runs it belongs to nobody.
            CMahjongApp* app = MahjongApp();
            if (app != nullptr && app->IsGamePlaying()) {
                return;
            }
            return OnIgnoredNotify(id, record);
        }
        case tp::kIgnored211240:
        case tp::kIgnored229165:
        case tp::kIgnored229170:
        case tp::kIgnored229175:
        case tp::kIgnored229190:
        case tp::kIgnored229580:
            return OnIgnoredNotify(id, record);
        default:
            return CGameNotifyHandler::OnNotify(id, data, length);
    }
}

void CMahjongNotifyHandler::RecordLastNotify(int32_t id, const void* data, size_t length) {
    CGameNotifyHandler::RecordLastNotify(id, data, length);
    if (id == tp::kAutoPlayStatus && data != nullptr) {
        SetLastNotifyData(
            tp::WordAt(Record(static_cast<const uint8_t*>(data), length), kStatusCodeWord));
    }
}

void CMahjongNotifyHandler::OnTableBlock(Record block) {
    OnEmbeddedHandStart(block);
}

void CMahjongNotifyHandler::OnPlayerStarted(Record record) {
    Need(tp::kSeatStarted, record, kSeatStartedMin);
    tp::SeatStartedNotice notice;
    tp::ReadTableRecord(record, notice);
    if (!IsSeatChair(tp::kSeatStarted, notice.head.chair)) {
        return;
    }
    if (CMahjongTableData* data = TableData()) {
        data->SetSeatStarted(record);
    }
    if (CMahjongTableView* view = TableView()) {
        view->OnPlayerStarted(notice.head.chair);
    }
}

void CMahjongNotifyHandler::OnCardThrown(Record record) {
    Need(tp::kCardThrown, record, kCardThrownMin);
    tp::CardThrownNotice notice;
    tp::ReadTableRecord(record, notice);
    if (!IsSeatChair(tp::kCardThrown, notice.thrower)) {
        return;
    }
    PassToView(tp::kCardThrown, record, &CMahjongTableView::OnCardThrown);
}

void CMahjongNotifyHandler::OnSeatDraw(Record record) {
    Need(tp::kSeatDraw, record, kSeatDrawMin);
    tp::SeatDrawNotice notice;
    tp::ReadTableRecord(record, notice);
    if (!IsSeatChair(tp::kSeatDraw, notice.chair)) {
        return;
    }
    PassToView(tp::kSeatDraw, record, &CMahjongTableView::OnCardCaught);
}

void CMahjongNotifyHandler::OnGangHuNotice(Record record) {
    Need(tp::kGangHuNotice, record, kGangHuNoticeMin);
    tp::GangHuNotice notice;
    tp::ReadTableRecord(record, notice);
    if (!IsSeatChair(tp::kGangHuNotice, notice.ganger)) {
        return;
    }
    PassToView(tp::kGangHuNotice, record, &CMahjongTableView::OnGangHuNotice);
}

void CMahjongNotifyHandler::OnPengNotice(Record record) {
    if (!IsMeldNoticeValid(tp::kPengNotice, record)) {
        return;
    }
    PassToView(tp::kPengNotice, record, &CMahjongTableView::OnGameMsg229185);
}

void CMahjongNotifyHandler::OnGangNotice(int32_t id, Record record) {
    if (!IsMeldNoticeValid(id, record)) {
        return;
    }
    CMahjongTableView* view = TableView();
    if (view != nullptr && !view->OnCardsGang(record, id)) {
        RefuseForView(id, record);
    }
}

void CMahjongNotifyHandler::OnCardsHua(Record record) {
    Need(tp::kHuaNotice, record, kSeatDrawMin);
    tp::SeatDrawNotice notice;
    tp::ReadTableRecord(record, notice);
    if (!IsSeatChair(tp::kHuaNotice, notice.chair)) {
        return;
    }
    PassToView(tp::kHuaNotice, record, &CMahjongTableView::OnCardsHua);
}

void CMahjongNotifyHandler::OnAutoPlayStatus(Record record) {
    Need(tp::kAutoPlayStatus, record, kAutoPlayStatusMin);
    tp::AutoPlayStatusHead head;
    tp::ReadTableRecord(record, head);
    if (head.count < 0) {
        ZepLog("notify %d: count %d dropped", tp::kAutoPlayStatus, static_cast<int>(head.count));
        return;
    }
    // The data words the count names must be in the record.
    Need(tp::kAutoPlayStatus, record, kAutoPlayStatusMin + 4 * static_cast<size_t>(head.count));
    PassToView(tp::kAutoPlayStatus, record, &CMahjongTableView::OnAutoPlayStatus);
}

void CMahjongNotifyHandler::OnLookCardAsk(Record record) {
    Need(tp::kLookCardAsk, record, kLookCardAskMin);
    CMahjongApp* app = MahjongApp();
    // Nobody asks a looker-on, and a player may refuse every ask.
    if (app != nullptr && (app->GetRejectKanPaiAsk() != 0 || app->IsLookOn())) {
        return;
    }
    PassToView(tp::kLookCardAsk, record, &CMahjongTableView::OnLookCardAsk);
}

void CMahjongNotifyHandler::OnLookCardReply(Record record) {
    Need(tp::kLookCardAnswer, record, kLookCardAnswerMin);
    tp::LookCardAnswerRecord answer;
    tp::ReadTableRecord(record, answer);
    if (!IsSeatChair(tp::kLookCardAnswer, answer.answeringChair)) {
        return;
    }
    PassToView(tp::kLookCardAnswer, record, &CMahjongTableView::OnLookCardReply);
}

void CMahjongNotifyHandler::OnIgnoredNotify(int32_t id, Record record) {
    ZepLog("notify %d: %u bytes, nothing to do", id, static_cast<unsigned>(record.size()));
    CMahjongTableView* view = TableView();
    if (view == nullptr) {
        return;
    }
    switch (id) {
        case tp::kIgnored211240:
            view->OnNotify211240(record);
            break;
        case tp::kIgnored211300:
            view->OnNotify211300(record);
            break;
        case tp::kIgnored229165:
            view->OnNotify229165(record);
            break;
        case tp::kIgnored229170:
            view->OnNotify229170(record);
            break;
        case tp::kIgnored229175:
            view->OnNotify229175(record);
            break;
        case tp::kIgnored229190:
            view->OnNotify229190(record);
            break;
        case tp::kIgnored229580:
            view->OnNotify229580(record);
            break;
        default:
            break;
    }
}

CMahjongApp* CMahjongNotifyHandler::MahjongApp() const {
    return CMahjongApp::CurrentMahjongApp();
}

CMahjongTableView* CMahjongNotifyHandler::TableView() const {
    CMahjongApp* app = MahjongApp();
    return app != nullptr ? app->GetMahjongTableView() : nullptr;
}

CMahjongTableData* CMahjongNotifyHandler::TableData() const {
    CMahjongApp* app = MahjongApp();
    return app != nullptr ? app->GetMahjongTableData() : nullptr;
}

bool CMahjongNotifyHandler::IsSeatChair(int32_t id, int32_t chair) const {
    CMahjongApp* app = MahjongApp();
    const int players = app != nullptr ? app->GetPlayerCount() : tp::kMaxChairs;
    bool seated = chair >= 0 && chair < std::min(players, tp::kMaxChairs);
    if (seated) {
        if (const CMahjongTableView* view = TableView()) {
            seated = view->ChairToPosition(chair) >= 0;
        }
    }
    if (!seated) {
        ZepLog("notify %d: chair %d is no seat; dropped", id, static_cast<int>(chair));
    }
    return seated;
}

bool CMahjongNotifyHandler::IsMeldNoticeValid(int32_t id, Record record) const {
    Need(id, record, kMeldNoticeMin);
    tp::OperationRecord meld;
    tp::ReadTableRecord(record, meld);
    return IsSeatChair(id, meld.head.chair) && IsSeatChair(id, meld.offerChair);
}

void CMahjongNotifyHandler::PassToView(int32_t id, Record record,
                                       bool (CMahjongTableView::*operation)(NotifyRecord)) const {
    CMahjongTableView* view = TableView();
    if (view != nullptr && !(view->*operation)(record)) {
        RefuseForView(id, record);
    }
}

void CMahjongNotifyHandler::RefuseForView(int32_t id, Record record) {
    // The view found the record short of what it reads.
    ZepLog("notify %d: %u bytes, too short for the table", id,
           static_cast<unsigned>(record.size()));
    throw NotifyRecordShort(id, record.size(), record.size());
}
