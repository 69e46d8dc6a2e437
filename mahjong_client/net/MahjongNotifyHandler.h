#pragma once
// The mahjong layer's notification handler: takes the table-play
// notifications and hands each, checked, to the table view's operation;
// every other id goes to the frame's handler.
//
// Rules:
//  - A record is checked against its minimum length before anything is
//    read or changed; a short one is refused the frame's way (one log line,
//    NotifyRecordShort, which the frame window reports with 201162; the
//    connection stays).
//  - A chair the record names is checked before the view sees the record:
//    outside 0..player count - 1, or at no screen position, the record is
//    dropped with one log line (no failure report: it was whole).
//  - 229550 is dropped while the application rejects look-card asks or the
//    client looks on; 211300 is handled only while no game runs.
//  - Without a table view the records are checked and then dropped.
//  - 229500's count is bounded by the record: at most (length - 20) / 4.

#include <cstddef>
#include <cstdint>
#include <span>

#include "frame/net/GameNotifyHandler.h"

class CMahjongApp;
class CMahjongTableView;
class CMahjongTableData;

class CMahjongNotifyHandler : public CGameNotifyHandler {
public:
    // The minimum lengths of the records handled here.
    static constexpr size_t kSeatStartedMin = 16;
    static constexpr size_t kCardThrownMin = 88;
    static constexpr size_t kGangHuNoticeMin = 32;
    static constexpr size_t kSeatDrawMin = 28;
    static constexpr size_t kMeldNoticeMin = 64;
    static constexpr size_t kAutoPlayStatusMin = 20;
    static constexpr size_t kLookCardAskMin = 20;
    static constexpr size_t kLookCardAnswerMin = 24;

    void OnNotify(int32_t id, const void* data, size_t length) override;
    // As the frame's; a 229500 keeps its status code (word 2, when there).
    void RecordLastNotify(int32_t id, const void* data, size_t length) override;
    // The table block of 211028 is the embedded hand start: passed on.
    void OnTableBlock(Record block) override;

    // --- The game's notifications ---
    // 201160: the table data marks the chair, the view shows it.
    virtual void OnPlayerStarted(Record record);
    virtual void OnCardThrown(Record record);    // 222170
    virtual void OnSeatDraw(Record record);      // 229160
    virtual void OnGangHuNotice(Record record);  // 229180
    virtual void OnPengNotice(Record record);    // 229185
    // 229195, 229197, 229199.
    virtual void OnGangNotice(int32_t id, Record record);
    virtual void OnCardsHua(Record record);        // 229210
    virtual void OnAutoPlayStatus(Record record);  // 229500
    virtual void OnLookCardAsk(Record record);     // 229550
    virtual void OnLookCardReply(Record record);   // 229570
    // 211240, 211300, 229165, 229170, 229175, 229190, 229580: no content
    // in this game; one debug line.
    virtual void OnIgnoredNotify(int32_t id, Record record);
    // The hand start embedded in 211028; the game handles it.
    virtual void OnEmbeddedHandStart(Record /*record*/) {}

    // The ids OnNotify handles here, ascending.
    static std::span<const int32_t> MahjongIds();

protected:
    virtual CMahjongApp* MahjongApp() const;
    virtual CMahjongTableView* TableView() const;
    virtual CMahjongTableData* TableData() const;
    // True when the chair is a seat of the table and has a screen position;
    // else one log line.
    bool IsSeatChair(int32_t id, int32_t chair) const;

private:
    // Checks a meld notice's length (refusing a short one) and its two
    // chairs.
    bool IsMeldNoticeValid(int32_t id, Record record) const;
    // Hands the record to the view's operation; a view that finds it short
    // refuses it the same way.
    // Logs and refuses a record the view found short.
    [[noreturn]] static void RefuseForView(int32_t id, Record record);
    void PassToView(int32_t id, Record record,
                    bool (CMahjongTableView::*operation)(std::span<const uint8_t>)) const;
};
