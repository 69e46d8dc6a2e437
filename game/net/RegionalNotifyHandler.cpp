#include "game/net/RegionalNotifyHandler.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "frame/GameFrameApp.h"
#include "frame/panels/SystemBars.h"
#include "game/net/RegionalTableData.h"
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

// The text of a record: its bytes up to the first zero or the record's end.
std::string RecordText(std::span<const uint8_t> record) {
    const auto end = std::find(record.begin(), record.end(), uint8_t{0});
    return std::string(record.begin(), end);
}

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

void CRegionalNotifyHandler::OnHandResult(Record record) {
    Need(tp::kHandResult, record, kHandResultMin);
    const Record result = record.first(kHandResultMin);
    CGameFrameApp* app = MahjongApp();
    if (app != nullptr) {
        app->ClearGamePlaying();
    }
    if (CRegionalTableData* data = RegionalData()) {
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
}

void CRegionalNotifyHandler::OnSwapReady(Record record) {
    Need(tp::kSwapReady, record, kSwapReadyMin);
    tp::SwapReadyNotice notice;
    tp::ReadTableRecord(record, notice);
    if (!IsTableChair(tp::kSwapReady, notice.chair) ||
        !IsTableChair(tp::kSwapReady, notice.pointerChair)) {
        return;
    }
}

void CRegionalNotifyHandler::OnChargeUrl(Record record) {
    Need(tp::kChargeUrl, record, kChargeUrlMin);
    SetChargeUrl(RecordText(record));
}

void CRegionalNotifyHandler::OnWelfareActivity(Record record) {
    Need(tp::kWelfareActivity, record, kWelfareActivityMin);
    tp::WelfareActivityNotice notice;
    tp::ReadTableRecord(record, notice);
}

void CRegionalNotifyHandler::OnTingThrow(Record record) {
    Need(tp::kTingThrowNotice, record, kTingThrowMin);
    tp::CardThrownNotice notice;
    tp::ReadTableRecord(record, notice);
    if (!IsTableChair(tp::kTingThrowNotice, notice.thrower)) {
        return;
    }
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
    const std::string text = FormatLeftNotice(app->GetChairDisplayName(notice.chair), notice.forced,
                                              notice.scoreDeducted, notice.silverDeducted);
    app->ShowNoticeBox(text.c_str(), kLeftNoticeSeconds, kLeftNoticeStyle, kLeftNoticeImage);
}

std::string CRegionalNotifyHandler::FormatLeftNotice(const std::string& name, int32_t forced,
                                                     int32_t scoreDeducted,
                                                     int32_t silverDeducted) {
    std::array<char, 512> text{};
    if (forced == 0) {
        std::snprintf(text.data(), text.size(), "%s 已经离开，游戏结束。", name.c_str());
    } else {
        std::snprintf(text.data(), text.size(), "%s 已经强行退出，游戏结束。(扣除%lld两,%lld分)",
                      name.c_str(), -static_cast<long long>(silverDeducted),
                      -static_cast<long long>(scoreDeducted));
    }
    return text.data();
}

void CRegionalNotifyHandler::OnTableChat(Record record) {
    Need(tp::kTableChat, record, kTableChatMin);
    OnNotify211200(record);
}

void CRegionalNotifyHandler::OnNotify211200(Record record) {
    // The side panel's line, sent at once with the record and its length.
    CMahjongNotifyHandler::OnTableChat(record);
}

CRegionalTableView* CRegionalNotifyHandler::RegionalView() const {
    return nullptr;
}

CRegionalTableData* CRegionalNotifyHandler::RegionalData() const {
    return dynamic_cast<CRegionalTableData*>(TableData());
}

void CRegionalNotifyHandler::SetChargeUrl(const std::string& url) {
    ZepLog("notify %d: top-up address of %zu bytes", tp::kChargeUrl, url.size());
}

bool CRegionalNotifyHandler::IsTableChair(int32_t id, int32_t chair) {
    if (chair >= 0 && chair < kTableSeats) {
        return true;
    }
    ZepLog("notify %d: chair %d is no seat; dropped", id, static_cast<int>(chair));
    return false;
}
