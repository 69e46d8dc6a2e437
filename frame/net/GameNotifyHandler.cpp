#include "frame/net/GameNotifyHandler.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/EventRecord.h"
#include "engine/ui/CorvaneEdit.h"
#include "frame/GameFrameApp.h"
#include "frame/GameFrameWnd.h"
#include "frame/RecordFields.h"
#include "frame/net/FrameRequests.h"
#include "platform/Dialogs.h"
#include "platform/Input.h"
#include "zep/ZepLog.h"

namespace {

constexpr int kEventTableEnter = 80000014;
constexpr int kEventChatLine = 80000058;
constexpr int kEventTableChat = 80000059;
constexpr int kEventAdvertUrl = 80000060;
constexpr int kEventAmuletSkill = 80000061;
constexpr int kEventGameViewNotice = 80000063;
constexpr int kEventUserState = 80000064;
constexpr int kEventMemberFlag = 80000065;
constexpr int kEventLotteryProgress = 80000066;
constexpr int kEventLotteryProgress2 = 80000067;
constexpr int kEventLotteryResult = 80000068;
constexpr int kEventLotteryBroadcast = 80000069;
constexpr int kEventSystemNotice = 80000070;
constexpr int kEventTaskRewardFail = 80000071;
constexpr int kEventMatchEnded = 80000026;
constexpr int kEventSignUpCount = 80000028;

constexpr uint32_t kMsgHallForward = 37127;  // WM_APP + 4359
constexpr uint32_t kBoardColor = 0xFFFFFF;
constexpr int kBoardSize = 16;
constexpr int kChairs = 8;
constexpr size_t kWord = 4;
constexpr size_t kTablePlayersHead = 64;
constexpr int kMaxTablePlayers = 8;
constexpr size_t kUserInfoHead = 20;
constexpr size_t kUserInfoRecord = 52;
constexpr int kMaxTimeWindows = 8;
constexpr uint32_t kCallColor = 32768;
constexpr uint32_t kExitAnswerColor = 0x2C5858;
constexpr int32_t kRoomFlagEnterWhilePlaying = 0x1000;
constexpr int32_t kMatchBegun = 500;
constexpr int32_t kMatchEnded = 600;

CGameFrameApp* App() {
    return CGameFrameApp::Current();
}

int32_t Word(CGameNotifyHandler::Record record, size_t index) {
    return WordAt(record, index * kWord);
}

// The text at the offset, up to its zero, the record's end or the width.
template <class... Args>
std::string Format(const char* format, Args... args) {
    char text[512] = {};
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

void SendEvent(CCorvaneView* view, int event, intptr_t param1, intptr_t param2) {
    if (view != nullptr) {
        view->OnEvent(MakeEventRecord(0, event, param1, param2));
    }
}

// Notice boxes of a table's end show only while the thread has a main window.
void ShowTableEndBox(const std::string& text, int seconds) {
    CGameFrameApp* app = App();
    if (app != nullptr && app->GetMainWindow() != 0) {
        app->ShowNoticeBox(text.c_str(), seconds, 1, "");
    }
}

// A user's name as it stands, for the notice boxes' rich text.
std::string LiteralUserName(CGameFrameApp& app, int32_t userId) {
    return EditLiteralText(app.GetUserName(userId).c_str(), -1);
}

// The widest text a board line takes from a record.
constexpr size_t kTextWidth = 256;

}  // namespace

NotifyRecordShort::NotifyRecordShort(int32_t id, size_t length, size_t needed)
    : std::runtime_error("notify " + std::to_string(id) + ": " + std::to_string(length) +
                         " bytes, needs " + std::to_string(needed)),
      id_(id) {}

void CGameNotifyHandler::Need(int32_t id, Record record, size_t bytes) {
    if (record.size() < bytes) {
        ZepLog("notify %d: %u bytes, needs %u", id, static_cast<unsigned>(record.size()),
               static_cast<unsigned>(bytes));
        throw NotifyRecordShort(id, record.size(), bytes);
    }
}

void CGameNotifyHandler::SendRecordEvent(int event, Record record, bool gameView, bool sidePanel) {
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    const intptr_t data = EventParam(record.data());
    const auto length = static_cast<intptr_t>(record.size());
    if (gameView) {
        SendEvent(app->GetGameView(), event, data, length);
    }
    if (sidePanel) {
        SendEvent(app->GetSubSystemView(), event, data, length);
    }
}

void CGameNotifyHandler::OnNotify(int32_t id, const void* data, size_t length) {
    const Record record(static_cast<const uint8_t*>(data), data != nullptr ? length : 0);
    switch (id) {
        case 60031:
            return OnSystemNoticeNotify(record);
        case 201200:
            return OnCallPlayer(record);
        case 201210:
            return OnChatLine(record);
        case 201212:
            return OnExitRequest(record);
        case 201213:
            return OnExitAnswer(record);
        case 210530:
            return OnMessageBoxText(record);
        case 211000:
            return OnCloseConnection(record);
        case static_cast<int32_t>(frame_requests::kPlayerLeaveNotify):
            return OnPlayerLeaveNotify(record);
        case static_cast<int32_t>(frame_requests::kPlayerEnterNotify):
            return OnPlayerEnterNotify(record);
        case 211020:
            return OnLookerLeaveNotify(record);
        case 211025:
            return OnHallForward(record);
        case 211028:
            return OnTablePlayers(record);
        case 211030:
            return OnUserInfoUpdate(record);
        case 211110:
            return OnTableEndNoSilver(record);
        case 211120:
            return OnTableEndUnseated(record);
        case 211130:
            return OnTableEndNoScore(record);
        case 211132:
            return OnTableEndScoreLimit(record);
        case 211134:
            return OnTableEndPlayerHands(record);
        case 211136:
            return OnTableEndTableHands(record);
        case 211137:
            return OnTableEndTimeWindow(record);
        case 211138:
            return OnTableEndText(record);
        case 211150:
            return OnMatchTable(record);
        case 211170:
            return OnMatchStandings(record);
        case 211190:
            return OnMatchEnded(record);
        case 211191:
            return OnNotify211191(record);
        case 211199:
            return OnMatchBeginNotify(record);
        case 211200:
            return OnTableChat(record);
        case 211201:
            return OnMatchSystemCancel(record);
        case 211202:
            return OnNotify211202(record);
        case 211203:
            return OnSignUpNotify(record);
        case 211204:
            return OnWithdrawNotify(record);
        case 211205:
            return OnSignUpFailed(record);
        case 211206:
            return OnWithdrawFailed(record);
        case 211210:
            return OnOutCountFull(record);
        case 211220:
            return OnRestTablesNotify(record);
        case 211230:
            return OnGameTimeout();
        case 211241:
            return OnMatchPlayerNotify(record);
        case 211242:
            return OnSignUpCount(record);
        case 211243:
            return OnSystemBoardText(record);
        case 211400:
            return OnAdvertUrl(record);
        case 211410:
            return OnMatchClosed(record);
        case 211430:
            return OnUserState(record);
        case 211440:
            return OnMemberFlag(record);
        case 211510:
            return OnLeaverResult(record);
        case 211600:
            return OnChairSilver(record);
        case 211601:
            return OnChairScore(record);
        case 211700:
            return OnSeatPlayers(record);
        case 211800:
            return OnIdleHands(record);
        case 211900:
            return OnAmuletSkill(record);
        case 211910:
            return OnRenamePlayers(record);
        case 211920:
            return OnGameViewNotice(record);
        case 211930:
            return OnWealthChange(record);
        case 211931:
            return OnWealthChange2(record);
        case 214100:
            return OnLotteryProgressNotify(record);
        case 214101:
            return OnLotteryProgress2Notify(record);
        case 214102:
            return OnLotteryResultNotify(record);
        case 214103:
            return OnLotteryBroadcastNotify(record);
        case 214110:
            return OnTaskRewardFailNotify(record);
        default:
            return;
    }
}

std::span<const int32_t> CGameNotifyHandler::HandledIds() {
    static constexpr int32_t kIds[] = {
        60031,  201200, 201210, 201212, 201213, 210530, 211000, 211010, 211011, 211020,
        211025, 211028, 211030, 211110, 211120, 211130, 211132, 211134, 211136, 211137,
        211138, 211150, 211170, 211190, 211191, 211199, 211200, 211201, 211202, 211203,
        211204, 211205, 211206, 211210, 211220, 211230, 211241, 211242, 211243, 211400,
        211410, 211430, 211440, 211510, 211600, 211601, 211700, 211800, 211900, 211910,
        211920, 211930, 211931, 214100, 214101, 214102, 214103, 214110};
    return kIds;
}

void CGameNotifyHandler::RecordLastNotify(int32_t id, const void* /*data*/, size_t length) {
    last_.id = id;
    last_.data = 0;
    last_.length = static_cast<uint32_t>(std::min<size_t>(length, UINT32_MAX));
    last_.tick = platform::GetTickCount32();
}

void CGameNotifyHandler::OnCallPlayer(Record record) {
    Need(201200, record, 5 * kWord);
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    const int32_t caller = Word(record, 0);
    const int32_t called = Word(record, 4);
    app->AppendChatText(Format(
        " %s呼叫 <c=%d>%s\n", EditLiteralText(app->GetUserDisplayName(caller).c_str(), -1).c_str(),
        static_cast<int>(kCallColor),
        EditLiteralText(app->GetUserDisplayName(called).c_str(), -1).c_str()));
    if (called == app->GetUserID()) {
        if (CGameFrameView* view = app->GetFrameView()) {
            view->PlaySound("SndAhoo", 1, nullptr);
        }
    }
}

void CGameNotifyHandler::OnAdvertUrl(Record record) {
    constexpr size_t kTextAt = 32;
    Need(211400, record, kTextAt);
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    const std::string text = RecordTextAt(record, kTextAt, record.size());
    app->SetAdvertText(text);
    // The side panel's advert bar frees the copy once it has shown the page.
    auto* copy = static_cast<char*>(AllocEventBlock(text.size() + 1));
    if (copy == nullptr) {
        return;
    }
    std::memcpy(copy, text.c_str(), text.size() + 1);
    CCorvaneView* side = app->GetSubSystemView();
    const int taken = side != nullptr
                          ? side->OnEvent(MakeEventRecord(0, kEventAdvertUrl, EventParam(copy), 0))
                          : 0;
    if (taken == 0) {
        FreeEventBlock(copy);
    }
}

void CGameNotifyHandler::OnChatLine(Record record) {
    SendRecordEvent(kEventChatLine, record, false, true);
}

void CGameNotifyHandler::OnUserInfoUpdate(Record record) {
    Need(211030, record, kWord);
    CGameFrameApp* app = App();
    const int32_t sent = Word(record, 0);
    const size_t fit =
        record.size() > kUserInfoHead ? (record.size() - kUserInfoHead) / kUserInfoRecord : 0;
    const auto count = static_cast<size_t>(std::clamp<int64_t>(sent, 0, int64_t(fit)));
    if (int64_t(count) != sent) {
        ZepLog("notify 211030: %zu records taken of %d", count, sent);
    }
    if (app == nullptr) {
        return;
    }
    bool changed = false;
    for (size_t i = 0; i < count; ++i) {
        const Record entry = record.subspan(kUserInfoHead + i * kUserInfoRecord, kUserInfoRecord);
        changed |= app->SetUserWealth(WordAt(entry, 0), WordAt(entry, 12), WordAt(entry, 16),
                                      WordAt(entry, 8), RecordTextAt(entry, 20, 16));
    }
    if (changed) {
        app->NotifyUserListChanged();
    }
}

void CGameNotifyHandler::OnCloseConnection(Record /*record*/) {
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    if (CGameFrameWnd* frame = CGameFrameWnd::Current()) {
        frame->SetCloseAfterPlayerLeft(false);
    }
    app->HideWaitText();
    app->CloseConnection();
}

void CGameNotifyHandler::OnExitRequest(Record record) {
    constexpr size_t kNameEnd = 20 + 32;
    Need(201212, record, kNameEnd);
    CGameFrameApp* app = App();
    if (CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr) {
        view->ShowExitRequestBox(record.data(), record.size());
    }
}

void CGameNotifyHandler::OnExitAnswer(Record record) {
    Need(201213, record, 6 * kWord);
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    const bool agreed = Word(record, 5) != 0;
    app->AppendChatText(
        Format(" <c=%d>%s%s%s的退出请求 \r\n", static_cast<int>(kExitAnswerColor),
               EditLiteralText(app->GetUserName(Word(record, 0)).c_str(), -1).c_str(),
               agreed ? "答应" : "拒绝",
               EditLiteralText(app->GetUserName(Word(record, 4)).c_str(), -1).c_str()));
    if (!agreed) {
        if (CGameTableData* table = app->GetTableData()) {
            table->SetExitRequestTick(0);
        }
    }
}

void CGameNotifyHandler::OnHallForward(Record record) {
    Need(211025, record, kWord);
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    platform::PostMessage(app->GetHallWnd(), kMsgHallForward,
                          static_cast<platform::WParam>(app->GetMainWindow()),
                          static_cast<platform::LParam>(Word(record, 0)));
}

void CGameNotifyHandler::OnLookerLeaveNotify(Record record) {
    Need(211020, record, kWord);
    CGameFrameApp* app = App();
    const UserRecord* user = app != nullptr ? app->FindUser(Word(record, 0)) : nullptr;
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    if (user != nullptr && view != nullptr) {
        // A copy of the user's record that the receivers may clear.
        auto bytes = RecordBytes(*user);
        view->ForwardLookOnLeave(bytes.data(), bytes.size());
    }
}

void CGameNotifyHandler::OnTableEndUnseated(Record /*record*/) {
    ShowTableEndBox("有玩家未入座，游戏结束。", 5);
}

void CGameNotifyHandler::OnTableEndNoSilver(Record record) {
    Need(211110, record, kWord);
    CGameFrameApp* app = App();
    if (app != nullptr) {
        ShowTableEndBox(Format("%s的银子不够了，这一桌游戏结束。",
                               LiteralUserName(*app, Word(record, 0)).c_str()),
                        5);
    }
}

void CGameNotifyHandler::OnTableEndNoScore(Record record) {
    Need(211130, record, kWord);
    CGameFrameApp* app = App();
    if (app != nullptr) {
        ShowTableEndBox(Format("%s的积分不够了，这一桌游戏结束。",
                               LiteralUserName(*app, Word(record, 0)).c_str()),
                        5);
    }
}

void CGameNotifyHandler::OnTableEndScoreLimit(Record record) {
    Need(211132, record, kWord);
    CGameFrameApp* app = App();
    if (app != nullptr) {
        ShowTableEndBox(Format("%s的积分超出限制，这一桌游戏结束。",
                               LiteralUserName(*app, Word(record, 0)).c_str()),
                        5);
    }
}

void CGameNotifyHandler::OnTableEndPlayerHands(Record record) {
    Need(211134, record, 4 * kWord);
    CGameFrameApp* app = App();
    if (app != nullptr) {
        ShowTableEndBox(Format("%s的总局数超出限制(%d局)，这一桌游戏结束。",
                               LiteralUserName(*app, Word(record, 0)).c_str(), Word(record, 3)),
                        30);
    }
}

void CGameNotifyHandler::OnTableEndTableHands(Record record) {
    Need(211136, record, 3 * kWord);
    ShowTableEndBox(Format("这一桌的局数超出限制(%d局)，游戏结束。", Word(record, 2)), 30);
}

void CGameNotifyHandler::OnTableEndTimeWindow(Record record) {
    constexpr size_t kStarts = 7;
    constexpr size_t kEnds = 15;
    Need(211137, record, 3 * kWord);
    const int32_t sent = Word(record, 2);
    // Periods whose start and end words the record holds, at most eight.
    const size_t fit = record.size() / kWord > kEnds ? record.size() / kWord - kEnds : 0;
    const int count = static_cast<int>(
        std::clamp<int64_t>(sent, 0, std::min<int64_t>(kMaxTimeWindows, int64_t(fit))));
    if (count != std::max(sent, 0)) {
        ZepLog("notify 211137: %d periods taken of %d", count, sent);
    }
    std::string text = "已超出限定时间，不能继续游戏。";
    if (sent > 0) {
        text += "下列时间段开放：\r\n\r\n";
        for (int i = 0; i < count; ++i) {
            const int32_t start = Word(record, kStarts + size_t(i));
            const int32_t end = Word(record, kEnds + size_t(i));
            text += Format("%d点%02d分 ~ %d点%02d分\r\n", start / 100, start % 100, end / 100,
                           end % 100);
        }
    }
    ShowTableEndBox(text, 60);
}

void CGameNotifyHandler::OnTableEndText(Record record) {
    constexpr size_t kTextAt = 8;
    Need(211138, record, kTextAt);
    ShowTableEndBox(RecordTextAt(record, kTextAt, record.size()), 60);
}

void CGameNotifyHandler::OnTableChat(Record record) {
    SendRecordEvent(kEventTableChat, record, false, true);
}

void CGameNotifyHandler::OnMatchClosed(Record record) {
    constexpr size_t kTextAt = 32;
    Need(211410, record, kTextAt);
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    const std::string text = RecordTextAt(record, kTextAt, record.size());
    const size_t bar = text.find('|');
    const std::string first = bar == std::string::npos ? "" : text.substr(0, bar);
    const std::string second = bar == std::string::npos ? text : text.substr(bar + 1);
    if (CGameConnection* connection = app->GetConnection()) {
        connection->Close();
    }
    app->ShowNoticeBoxEx(first.c_str(), second.c_str(), 1, 60, 1, 0, "查看成绩", "退出");
}

void CGameNotifyHandler::OnIdleHands(Record record) {
    Need(211800, record, 3 * kWord);
    CGameFrameApp* app = App();
    if (app == nullptr || app->GetMainWindow() == 0 || app->IsLookOn() ||
        Word(record, 0) != app->GetUserID() || Word(record, 1) != app->GetMyChairNo()) {
        return;
    }
    app->ShowNoticeBox(
        Format("您已经连续%d局未参与本桌游戏了，请您换张桌子！", Word(record, 2)).c_str(), 5, 1,
        "");
}

void CGameNotifyHandler::OnAmuletSkill(Record record) {
    SendRecordEvent(kEventAmuletSkill, record, false, true);
    SendRecordEvent(kEventAmuletSkill, record, true, false);
}

void CGameNotifyHandler::OnRenamePlayers(Record record) {
    if (CGameFrameApp* app = App()) {
        app->RenameSeatedPlayers(record);
    }
}

void CGameNotifyHandler::OnGameViewNotice(Record record) {
    SendRecordEvent(kEventGameViewNotice, record, true, false);
}

// Both seat notices are ignored while a game runs, unless the room lets
// players come and go during it.
static bool SeatChangesHeld(const CGameFrameApp& app) {
    return app.IsGamePlaying() && (app.GetRoomFlags() & kRoomFlagEnterWhilePlaying) == 0;
}

void CGameNotifyHandler::OnPlayerEnterNotify(Record record) {
    Need(static_cast<int32_t>(frame_requests::kPlayerEnterNotify), record,
         ServerPlayerRecord::kSize);
    CGameFrameApp* app = App();
    if (app == nullptr || SeatChangesHeld(*app)) {
        return;
    }
    ServerPlayerRecord player;
    ReadRecord(record, player);
    if (player.userId <= 0) {
        return;
    }
    if (player.chairNo < 0 || player.chairNo >= kChairs) {
        ZepLog("notify 211011: chair %d outside 0-7", player.chairNo);
        return;
    }
    const UserRecord* seat = app->SeatServerPlayer(player.chairNo, player);
    CGameFrameView* view = app->GetFrameView();
    if (seat != nullptr && view != nullptr) {
        auto bytes = RecordBytes(*seat);
        view->ForwardUserEnterTable(bytes.data(), bytes.size());
    }
}

void CGameNotifyHandler::OnPlayerLeaveNotify(Record record) {
    Need(static_cast<int32_t>(frame_requests::kPlayerLeaveNotify), record, 9 * kWord);
    CGameFrameApp* app = App();
    if (app == nullptr || SeatChangesHeld(*app)) {
        return;
    }
    const int32_t userId = Word(record, 0);
    const int32_t chair = Word(record, 1);
    if (chair < 0 || chair >= kChairs) {
        ZepLog("notify 211010: chair %d outside 0-7", chair);
        return;
    }
    const UserRecord* user = app->FindUser(userId);
    if (user == nullptr || user->tableNo != Word(record, 7) || user->chairNo != chair ||
        user->lookOn != 0) {
        return;
    }
    if (chair == app->GetMyChairNo()) {
        if (!app->IsLookOn()) {
            if (Word(record, 8) != 0) {
                app->ShowNoticeBox("其他玩家同意您退出游戏！", 10, 0x30, "ruv胜利");
            }
        } else {
            app->ShowNoticeBox(
                Format("%s 已经离开，旁观结束。",
                       EditLiteralText(app->GetChairDisplayName(chair).c_str(), -1).c_str())
                    .c_str(),
                10, 0x30, "ruv抱歉");
        }
    }
    if (app->IsChairOccupied(chair)) {
        if (CGameFrameView* view = app->GetFrameView()) {
            // A copy of the seat's record that the receivers may clear.
            auto bytes = RecordBytes(app->GetSeat(chair));
            view->ForwardUserLeaveTable(bytes.data(), bytes.size());
        }
    }
    app->UnseatUser(chair, userId);
}

void CGameNotifyHandler::OnTablePlayers(Record record) {
    Need(211028, record, 3 * kWord);
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    const int32_t sent = Word(record, 2);
    const size_t fit = record.size() > kTablePlayersHead
                           ? (record.size() - kTablePlayersHead) / ServerPlayerRecord::kSize
                           : 0;
    const int count = static_cast<int>(
        std::clamp<int64_t>(sent, 0, std::min<int64_t>(kMaxTablePlayers, int64_t(fit))));
    if (count != sent) {
        ZepLog("notify 211028: %d players taken of %d", count, sent);
    }
    app->ApplyTablePlayers(record);
    if (CGameFrameView* view = app->GetFrameView()) {
        view->ForwardRandomTable(record.data(), record.size());
    }
    const size_t block = kTablePlayersHead + size_t(count) * ServerPlayerRecord::kSize;
    if (count == sent && block < record.size()) {
        OnTableBlock(record.subspan(block));
    }
}

void CGameNotifyHandler::OnTableBlock(Record /*block*/) {}

void CGameNotifyHandler::OnMatchTable(Record record) {
    Need(211150, record, MatchTableHeader::kSize);
    CGameFrameApp* app = App();
    if (app == nullptr || app->SetMatchTable(record) == 0) {
        return;
    }
    if (CGameFrameView* view = app->GetFrameView()) {
        view->ShowEliminationRound();
    }
    app->SetGamePlaying();
}

void CGameNotifyHandler::OnMatchStandings(Record record) {
    Need(211170, record, StandingsHeader::kSize);
    if (CGameFrameApp* app = App()) {
        app->ApplyStandings(record);
    }
}

void CGameNotifyHandler::OnMessageBoxText(Record record) {
    CGameFrameApp* app = App();
    if (app != nullptr) {
        platform::ShowMessageBox(app->GetMainWindow(), RecordTextAt(record, 0, record.size()), "",
                                 0);
    }
}

void CGameNotifyHandler::OnMatchBeginNotify(Record record) {
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    app->SetMatchPhase(kMatchBegun);
    if (CGameFrameView* view = app->GetFrameView()) {
        view->OnMatchBegin(record.data(), record.size());
    }
}

void CGameNotifyHandler::OnRestTablesNotify(Record record) {
    CGameFrameApp* app = App();
    if (CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr) {
        view->OnRestTables(record.data(), record.size());
    }
}

void CGameNotifyHandler::OnMatchPlayerNotify(Record record) {
    CGameFrameApp* app = App();
    if (CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr) {
        view->OnMatchPlayerInfo(record.data(), record.size());
    }
}

void CGameNotifyHandler::OnMatchEnded(Record record) {
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    app->SetMatchPhase(kMatchEnded);
    app->SendEventToSidePanel(kEventMatchEnded, 0);
    if (CGameFrameView* view = app->GetFrameView()) {
        view->OnServerNotice211190(record.data(), record.size());
    }
}

void CGameNotifyHandler::OnNotify211191(Record record) {
    CGameFrameApp* app = App();
    if (CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr) {
        view->OnServerNotice211191(record.data(), record.size());
    }
}

void CGameNotifyHandler::OnOutCountFull(Record record) {
    Need(211210, record, 3 * kWord);
    if (CGameFrameApp* app = App()) {
        app->AppendChatText(
            Format(" <z=qe系统通知><c=255,s=240> "
                   "出局人数已满，本局结束后将等待其他桌结束确定前%d名晋级者。\r\n",
                   Word(record, 2)));
    }
}

void CGameNotifyHandler::OnGameTimeout() {
    if (CGameFrameApp* app = App()) {
        app->AppendChatText(" <z=qe系统通知>#r 游戏超时，本局结束!\r\n");
    }
}

void CGameNotifyHandler::OnMatchSystemCancel(Record /*record*/) {
    CGameFrameApp* app = App();
    if (CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr) {
        view->ShowSystemCancel();
    }
}

void CGameNotifyHandler::OnNotify211202(Record /*record*/) {}

void CGameNotifyHandler::OnSignUpNotify(Record /*record*/) {
    CGameFrameApp* app = App();
    if (CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr) {
        view->OnSignUpSucceeded();
    }
}

void CGameNotifyHandler::OnWithdrawNotify(Record /*record*/) {
    CGameFrameApp* app = App();
    if (CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr) {
        view->OnWithdrawn();
    }
}

// The system board with the text at the offset, or the fallback when empty.
static void ShowBoardText(CGameNotifyHandler::Record record, size_t offset, const char* fallback) {
    CGameFrameApp* app = App();
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    if (view == nullptr) {
        return;
    }
    std::string text = RecordTextAt(record, offset, kTextWidth);
    if (text.empty() && fallback != nullptr) {
        text = fallback;
    }
    view->ShowSystemBoard(text.c_str(), kBoardColor, kBoardSize);
}

void CGameNotifyHandler::OnSignUpFailed(Record record) {
    Need(211205, record, 16);
    ShowBoardText(record, 16, "报名失败,请重试!");
}

void CGameNotifyHandler::OnWithdrawFailed(Record record) {
    Need(211206, record, 16);
    ShowBoardText(record, 16, "退赛失败,请重试!");
}

void CGameNotifyHandler::OnSignUpCount(Record record) {
    Need(211242, record, 3 * kWord);
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    const int32_t value = Word(record, 2);
    SendEvent(app->GetGameView(), kEventSignUpCount, value, 0);
    SendEvent(app->GetSubSystemView(), kEventSignUpCount, value, 0);
}

void CGameNotifyHandler::OnSystemBoardText(Record record) {
    Need(211243, record, 24);
    ShowBoardText(record, 24, nullptr);
}

void CGameNotifyHandler::OnLeaverResult(Record record) {
    if (CGameFrameApp* app = App()) {
        app->ApplyLeaverResult(record);
    }
}

void CGameNotifyHandler::OnChairSilver(Record record) {
    if (CGameFrameApp* app = App()) {
        app->SetChairSilver(record);
    }
}

void CGameNotifyHandler::OnChairScore(Record record) {
    if (CGameFrameApp* app = App()) {
        app->SetChairScore(record);
    }
}

void CGameNotifyHandler::OnWealthChange(Record record) {
    if (CGameFrameApp* app = App()) {
        app->ApplyWealthChange(record);
    }
}

void CGameNotifyHandler::OnWealthChange2(Record record) {
    if (CGameFrameApp* app = App()) {
        app->ApplyWealthChange2(record);
    }
}

void CGameNotifyHandler::OnSeatPlayers(Record record) {
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    app->ApplySeatPlayers(record);
    if (CGameFrameView* view = app->GetFrameView()) {
        view->ForwardChangeTable(record.data(), record.size());
    }
}

void CGameNotifyHandler::OnUserState(Record record) {
    Need(211430, record, 3 * kWord);
    CGameFrameApp* app = App();
    if (app != nullptr &&
        app->UpdateUserState(Word(record, 0), Word(record, 1), Word(record, 2)) != 0) {
        SendRecordEvent(kEventUserState, record, true, true);
    }
}

void CGameNotifyHandler::OnMemberFlag(Record record) {
    Need(211440, record, 3 * kWord);
    CGameFrameApp* app = App();
    if (app != nullptr &&
        app->SetMemberFlag(Word(record, 0), Word(record, 1), Word(record, 2)) != 0) {
        SendRecordEvent(kEventMemberFlag, record, true, true);
    }
}

void CGameNotifyHandler::OnLotteryProgressNotify(Record record) {
    SendRecordEvent(kEventLotteryProgress, record, true, true);
}

void CGameNotifyHandler::OnLotteryProgress2Notify(Record record) {
    SendRecordEvent(kEventLotteryProgress2, record, true, true);
}

void CGameNotifyHandler::OnLotteryResultNotify(Record record) {
    SendRecordEvent(kEventLotteryResult, record, true, true);
}

void CGameNotifyHandler::OnLotteryBroadcastNotify(Record record) {
    SendRecordEvent(kEventLotteryBroadcast, record, true, true);
}

void CGameNotifyHandler::OnSystemNoticeNotify(Record record) {
    SendRecordEvent(kEventSystemNotice, record, true, true);
}

void CGameNotifyHandler::OnTaskRewardFailNotify(Record record) {
    SendRecordEvent(kEventTaskRewardFail, record, true, true);
}
