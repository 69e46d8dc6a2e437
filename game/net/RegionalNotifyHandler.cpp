#include "game/net/RegionalNotifyHandler.h"

#include <algorithm>
#include <array>

#include "frame/GameFrameApp.h"
#include "frame/panels/SystemBars.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalTableData.h"
#include "game/result/ScoreText.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "platform/Screen.h"
#include "zep/ZepLog.h"

namespace tp = table_protocol;

namespace {

// Ascending.
constexpr std::array<int32_t, 8> kRegionalIds = {
    tp::kHandStart, tp::kHandResult, tp::kHandState,       tp::kSwapDice,
    tp::kSwapReady, tp::kChargeUrl,  tp::kWelfareActivity, tp::kTingThrowNotice,
};

constexpr int kTableSeats = 4;
constexpr size_t kMaxTablePlayers = 8;

// Where 211028's embedded hand start begins, or the record's size when it
// carries none (the frame's own reading of its players).
size_t EmbeddedHandStartAt(std::span<const uint8_t> record) {
    if (record.size() < tp::kTablePlayersHeadBytes) {
        return record.size();
    }
    const int32_t sent = tp::WordAt(record, 2);
    const size_t fit = (record.size() - tp::kTablePlayersHeadBytes) / tp::kTablePlayerBytes;
    if (sent < 0 || static_cast<size_t>(sent) > std::min(kMaxTablePlayers, fit)) {
        return record.size();
    }
    return tp::kTablePlayersHeadBytes + static_cast<size_t>(sent) * tp::kTablePlayerBytes;
}

}  // namespace

std::span<const int32_t> CRegionalNotifyHandler::RegionalIds() {
    return kRegionalIds;
}

void CRegionalNotifyHandler::OnNotify(int32_t id, const void* data, size_t length) {
    const Record record(static_cast<const uint8_t*>(data), data != nullptr ? length : 0);
    switch (id) {
        case tp::kHandStart:
            return OnHandStart(record);
        case tp::kHandResult:
            return OnHandResult(record);
        case tp::kHandState:
            return OnTableSnapshot(record);
        case tp::kSwapDice:
            return OnSwapDice(record);
        case tp::kSwapReady:
            return OnSwapReady(record);
        case tp::kChargeUrl:
            return OnChargeUrl(record);
        case tp::kWelfareActivity:
            return OnWelfareActivity(record);
        case tp::kTingThrowNotice:
            return OnTingThrow(record);
        default:
            return CMahjongNotifyHandler::OnNotify(id, data, length);
    }
}

void CRegionalNotifyHandler::OnHandStart(Record record) {
    Need(tp::kHandStart, record, kHandStartMin);
    if (CGameFrameApp* app = MahjongApp()) {
        app->SetGamePlaying();
    }
    if (CRegionalTableData* data = RegionalData()) {
        data->StoreHandStart(record);
    }
    if (CMahjongTableView* view = TableView()) {
        view->ShowRoundInfo();
    }
}

void CRegionalNotifyHandler::OnEmbeddedHandStart(Record record) {
    OnHandStart(record);
}

void CRegionalNotifyHandler::OnTablePlayers(Record record) {
    const size_t at = EmbeddedHandStartAt(record);
    if (at < record.size()) {
        // A hand start is there: it must be whole before any of it counts.
        Need(tp::kTablePlayers, record, at + kHandStartMin);
    }
    CMahjongNotifyHandler::OnTablePlayers(record);
}

void CRegionalNotifyHandler::OnCardThrown(Record record) {
    if (IsHandInPlay(tp::kCardThrown, record, kCardThrownMin)) {
        CMahjongNotifyHandler::OnCardThrown(record);
    }
}

void CRegionalNotifyHandler::OnSeatDraw(Record record) {
    if (IsHandInPlay(tp::kSeatDraw, record, kSeatDrawMin)) {
        CMahjongNotifyHandler::OnSeatDraw(record);
    }
}

void CRegionalNotifyHandler::OnGangHuNotice(Record record) {
    if (IsHandInPlay(tp::kGangHuNotice, record, kGangHuNoticeMin)) {
        CMahjongNotifyHandler::OnGangHuNotice(record);
    }
}

void CRegionalNotifyHandler::OnHandResult(Record record) {
    Need(tp::kHandResult, record, kHandResultMin);
    const Record result = record.first(kHandResultMin);
    CRegionalTableData* data = RegionalData();
    if (data != nullptr && data->IsHandRunning() == 0) {
        // A hand is counted once: its result ended it.
        ZepLog("notify %d: no hand started since the last result; dropped", tp::kHandResult);
        return;
    }
    CGameFrameApp* app = MahjongApp();
    if (app != nullptr) {
        app->ClearGamePlaying();
    }
    if (data != nullptr) {
        data->StoreGameResult(result);
    }
    if (app != nullptr) {
        app->ApplyHandResult(result);
    }
    if (CMahjongTableView* view = TableView()) {
        view->OnRoundEnd(result);
    }
}

void CRegionalNotifyHandler::OnTableSnapshot(Record record) {
    Need(tp::kHandState, record, kHandStateMin);
    CMahjongTableView* view = TableView();
    if (view != nullptr) {
        for (int chair = 0; chair < kTableSeats; ++chair) {
            view->ResetSeatBoard(chair);
        }
    }
    if (CRegionalTableData* data = RegionalData()) {
        data->StoreHandState(record);
    }
    CGameFrameApp* app = MahjongApp();
    if (app != nullptr && app->IsMatch()) {
        if (auto* bars = dynamic_cast<CSystemBars*>(app->GetSubSystemView())) {
            bars->RefreshMatchList();
        }
    }
    if (view != nullptr) {
        view->RefreshSeatBoards();
    }
}

void CRegionalNotifyHandler::OnSwapDice(Record record) {
    Need(tp::kSwapDice, record, kSwapDiceMin);
    // The view ends the hand's swap phase once it has finished the deal the
    // record may cut short, taken or not; without a view it ends here.
    if (RegionalView() == nullptr) {
        if (CRegionalTableData* data = RegionalData()) {
            data->EndSwapPhase();
        }
        return;
    }
    PassToView(tp::kSwapDice, record.first(kSwapDiceMin), &CRegionalTableView::OnSwapDice);
}

void CRegionalNotifyHandler::OnSwapReady(Record record) {
    Need(tp::kSwapReady, record, kSwapReadyMin);
    tp::SwapReadyNotice notice;
    tp::ReadTableRecord(record, notice);
    if (!IsTableChair(tp::kSwapReady, notice.chair) ||
        !IsTableChair(tp::kSwapReady, notice.pointerChair)) {
        return;
    }
    PassToView(tp::kSwapReady, record.first(kSwapReadyMin), &CRegionalTableView::OnSwapReady);
}

void CRegionalNotifyHandler::OnChargeUrl(Record record) {
    Need(tp::kChargeUrl, record, kChargeUrlMin);
    SetChargeUrl(record);
}

void CRegionalNotifyHandler::OnWelfareActivity(Record record) {
    Need(tp::kWelfareActivity, record, kWelfareActivityMin);
    tp::WelfareActivityNotice notice;
    tp::ReadTableRecord(record, notice);
    if (CRegionalTableView* view = RegionalView()) {
        view->GetWelfare().SetWelfareActID(notice.activityId);
    }
}

void CRegionalNotifyHandler::OnTingThrow(Record record) {
    if (!IsHandInPlay(tp::kTingThrowNotice, record, kTingThrowMin)) {
        return;
    }
    tp::CardThrownNotice notice;
    tp::ReadTableRecord(record, notice);
    if (!IsTableChair(tp::kTingThrowNotice, notice.thrower)) {
        return;
    }
    PassToView(tp::kTingThrowNotice, record.first(kTingThrowMin),
               &CRegionalTableView::OnTingThrowNotify);
}

void CRegionalNotifyHandler::OnCloseConnection(Record record) {
    Need(tp::kPlayerLeft, record, kPlayerLeftMin);
    CMahjongNotifyHandler::OnCloseConnection(record);
    OnPlayerLeft(record);
}

void CRegionalNotifyHandler::OnPlayerLeft(Record record) {
    tp::PlayerLeftNotice notice;
    if (!tp::ReadTableRecord(record, notice) || !IsTableChair(tp::kPlayerLeft, notice.chair)) {
        return;
    }
    CGameFrameApp* app = MahjongApp();
    if (app == nullptr) {
        return;
    }
    platform::BringWindowToFront(app->GetMainWindow());
    ShowPlayerLeftNotice(score_text::PlayerLeftText(app->GetChairDisplayName(notice.chair),
                                                    notice.forced != 0, notice.silverDeducted,
                                                    notice.scoreDeducted));
}

void CRegionalNotifyHandler::ShowPlayerLeftNotice(const std::string& text) {
    if (CGameFrameApp* app = MahjongApp()) {
        app->ShowNoticeBox(text.c_str(), kLeftNoticeSeconds, kLeftNoticeStyle, kLeftNoticeImage);
    }
}

void CRegionalNotifyHandler::OnTableChat(Record record) {
    Need(tp::kTableChat, record, kTableChatMin);
    OnNotify211200(record);
}

void CRegionalNotifyHandler::OnNotify211200(Record record) {
    if (CRegionalTableView* view = RegionalView()) {
        view->OnVoicePhraseChat(record);
    }
    // The side panel's line, sent at once with the record and its length:
    // the record lives only during this call.
    CMahjongNotifyHandler::OnTableChat(record);
}

CRegionalTableView* CRegionalNotifyHandler::RegionalView() const {
    return dynamic_cast<CRegionalTableView*>(TableView());
}

CRegionalTableData* CRegionalNotifyHandler::RegionalData() const {
    return dynamic_cast<CRegionalTableData*>(TableData());
}

void CRegionalNotifyHandler::SetChargeUrl(Record payload) {
    if (auto* app = dynamic_cast<CRegionalMahjongApp*>(MahjongApp())) {
        app->SetChargeUrl(payload);
    }
}

void CRegionalNotifyHandler::PassToView(int32_t id, Record record,
                                        bool (CRegionalTableView::*operation)(NotifyRecord)) const {
    CRegionalTableView* view = RegionalView();
    if (view == nullptr || (view->*operation)(record)) {
        return;
    }
    // The view found the record short of what it reads.
    ZepLog("notify %d: %u bytes, too short for the table", id,
           static_cast<unsigned>(record.size()));
    throw NotifyRecordShort(id, record.size(), record.size());
}

bool CRegionalNotifyHandler::IsTableChair(int32_t id, int32_t chair) {
    if (chair >= 0 && chair < kTableSeats) {
        return true;
    }
    ZepLog("notify %d: chair %d is no seat; dropped", id, static_cast<int>(chair));
    return false;
}

bool CRegionalNotifyHandler::IsHandInPlay(int32_t id, Record record, size_t bytes) const {
    Need(id, record, bytes);
    const CRegionalTableData* data = RegionalData();
    if (data == nullptr || data->IsHandInPlay()) {
        return true;
    }
    ZepLog("notify %d: no hand in play; dropped", id);
    return false;
}
