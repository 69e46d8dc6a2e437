#pragma once
// Takes the game server's notifications for the frame: the room, the table,
// the players and the match. OnNotify picks the handler of the id; each
// handler reads its record and changes the application's state, the frame
// view, the side panel or the game view. The game layers derive from it,
// handle their own ids and pass the rest on.
//
// Rules:
//  - Runs on the UI thread. The record belongs to the caller and lives only
//    during the call; whatever is kept is copied.
//  - A record shorter than the words its handler reads is refused before
//    anything changes: one log line "notify %d: %u bytes, needs %u", then
//    NotifyRecordShort is thrown so the frame window reports the failure.
//  - Counts are bounded by the record and by their destination; texts by the
//    record's end and their field. Bytes beyond what a handler reads are
//    ignored.
//  - An event whose first parameter is the record carries its byte count in
//    the second.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

// A notification record shorter than its handler reads.
class NotifyRecordShort : public std::runtime_error {
public:
    NotifyRecordShort(int32_t id, size_t length, size_t needed);
    int32_t Id() const { return id_; }

private:
    int32_t id_;
};

class CGameNotifyHandler {
public:
    using Record = std::span<const uint8_t>;

    // The last notification handled whole: its id, length and tick count,
    // and a data word the game may keep (0 here).
    struct LastNotify {
        int32_t id = 0;
        uint32_t length = 0;
        uint32_t tick = 0;
        int32_t data = 0;
    };

    CGameNotifyHandler() = default;
    virtual ~CGameNotifyHandler() = default;
    CGameNotifyHandler(const CGameNotifyHandler&) = delete;
    CGameNotifyHandler& operator=(const CGameNotifyHandler&) = delete;

    // Calls the handler of the id; an id not handled here is ignored.
    virtual void OnNotify(int32_t id, const void* data, size_t length);
    virtual void OnCallPlayer(Record record);
    // Keeps the last notification for the failure report.
    virtual void RecordLastNotify(int32_t id, const void* data, size_t length);
    virtual void OnAdvertUrl(Record record);
    virtual void OnChatLine(Record record);
    virtual void OnUserInfoUpdate(Record record);
    virtual void OnCloseConnection(Record record);
    virtual void OnExitRequest(Record record);
    virtual void OnExitAnswer(Record record);
    virtual void OnHallForward(Record record);
    virtual void OnLookerLeaveNotify(Record record);
    virtual void OnTableEndUnseated(Record record);
    virtual void OnTableEndNoSilver(Record record);
    virtual void OnTableEndNoScore(Record record);
    virtual void OnTableEndScoreLimit(Record record);
    virtual void OnTableEndPlayerHands(Record record);
    virtual void OnTableEndTableHands(Record record);
    virtual void OnTableEndTimeWindow(Record record);
    virtual void OnTableEndText(Record record);
    virtual void OnTableChat(Record record);
    virtual void OnMatchClosed(Record record);
    virtual void OnIdleHands(Record record);
    virtual void OnAmuletSkill(Record record);
    virtual void OnRenamePlayers(Record record);
    virtual void OnGameViewNotice(Record record);
    virtual void OnPlayerEnterNotify(Record record);
    virtual void OnPlayerLeaveNotify(Record record);
    virtual void OnTablePlayers(Record record);
    // The table block behind the players of 211028; nothing here.
    virtual void OnTableBlock(Record block);
    virtual void OnMatchTable(Record record);
    virtual void OnMatchStandings(Record record);
    virtual void OnMessageBoxText(Record record);
    virtual void OnMatchBeginNotify(Record record);
    virtual void OnRestTablesNotify(Record record);
    virtual void OnMatchPlayerNotify(Record record);
    virtual void OnMatchEnded(Record record);
    virtual void OnNotify211191(Record record);
    virtual void OnOutCountFull(Record record);
    virtual void OnGameTimeout();
    virtual void OnMatchSystemCancel(Record record);
    virtual void OnNotify211202(Record record);
    virtual void OnSignUpNotify(Record record);
    virtual void OnWithdrawNotify(Record record);
    virtual void OnSignUpFailed(Record record);
    virtual void OnWithdrawFailed(Record record);
    virtual void OnSignUpCount(Record record);
    virtual void OnSystemBoardText(Record record);
    virtual void OnLeaverResult(Record record);
    virtual void OnChairSilver(Record record);
    virtual void OnChairScore(Record record);
    virtual void OnWealthChange(Record record);
    virtual void OnWealthChange2(Record record);
    virtual void OnSeatPlayers(Record record);
    virtual void OnUserState(Record record);
    virtual void OnMemberFlag(Record record);
    virtual void OnLotteryProgressNotify(Record record);
    virtual void OnLotteryProgress2Notify(Record record);
    virtual void OnLotteryResultNotify(Record record);
    virtual void OnLotteryBroadcastNotify(Record record);
    virtual void OnSystemNoticeNotify(Record record);
    virtual void OnTaskRewardFailNotify(Record record);

    virtual LastNotify GetLastNotify() const { return last_; }

    // The ids OnNotify hands to a handler here, in ascending order.
    static std::span<const int32_t> HandledIds();

protected:
    // Refuses the record (log line, NotifyRecordShort) when it holds fewer
    // than `bytes`.
    static void Need(int32_t id, Record record, size_t bytes);
    // The record's event to the game view, then to the side panel.
    static void SendRecordEvent(int event, Record record, bool gameView, bool sidePanel);
    // The data word of the last notification (after RecordLastNotify).
    void SetLastNotifyData(int32_t data) { last_.data = data; }

private:
    LastNotify last_;
};
