#pragma once
// The regional game's notification handler: takes the variant's own
// notifications (hand start, result, hand state, swap-three dice and
// readiness, the top-up address, the welfare activity, ready-hand throws),
// replaces the frame's handling of a player leaving and of a table chat
// line, and passes everything else to the mahjong layer.
//
// Rules:
//  - Every record is checked against its minimum length before anything is
//    read or changed; a short one is refused the frame's way (one log line
//    "notify %d: %u bytes, needs %u", NotifyRecordShort, which the frame
//    window reports with 201162; the connection stays). Bytes beyond a
//    record's size are ignored and never copied.
//  - A chair outside 0-3 drops the record with one log line (it was whole:
//    no failure report): both chairs of a swap readiness, the chair of a
//    ready-hand throw, and the leaver of 211000, whose notice is dropped
//    while the frame's close still runs.
//  - 211028 carries the hand start behind its players: a hand start there
//    shorter than 952 bytes refuses the whole notification before the
//    frame applies any of it.
//  - The records of a hand's play (a throw, a ready-hand throw, a draw, a
//    gang's hu chance) are dropped with one log line while no hand is in
//    play: before a hand starts, after its result, and before its swap of
//    three has ended. A result while no hand runs (none started since the
//    last result) is dropped the same way.
//  - The deductions of a forced quit are negated in 64 bits.
//  - Texts are read within the record: up to their zero or the record's end.
//  - Without a table view or table data the records are checked and the
//    rest of the work is done.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "mahjong_client/TableProtocol.h"
#include "mahjong_client/net/MahjongNotifyHandler.h"

class CRegionalTableData;
class CRegionalTableView;

class CRegionalNotifyHandler : public CMahjongNotifyHandler {
public:
    // The minimum lengths of the records handled here.
    static constexpr size_t kHandStartMin = table_protocol::kHandStartBytes;
    static constexpr size_t kHandResultMin = table_protocol::kHandResultBytes;
    static constexpr size_t kHandStateMin = table_protocol::kHandStateBytes;
    static constexpr size_t kSwapDiceMin = table_protocol::SwapDiceNotice::kSize;
    static constexpr size_t kSwapReadyMin = table_protocol::SwapReadyNotice::kSize;
    static constexpr size_t kPlayerLeftMin = table_protocol::PlayerLeftNotice::kSize;
    static constexpr size_t kTableChatMin = 37;
    static constexpr size_t kWelfareActivityMin = table_protocol::WelfareActivityNotice::kSize;
    static constexpr size_t kTingThrowMin = 88;
    static constexpr size_t kChargeUrlMin = 1;
    // The notice of a player's leaving.
    static constexpr int kLeftNoticeSeconds = 10;
    static constexpr int kLeftNoticeStyle = 0x30;
    static constexpr const char* kLeftNoticeImage = "kof抱歉";

    void OnNotify(int32_t id, const void* data, size_t length) override;
    // 211000: the frame's close, then the notice of who left.
    void OnCloseConnection(Record record) override;
    // 211200: the spoken phrase and bubble, then the side panel's line.
    void OnTableChat(Record record) override;
    // 211028: checked whole before the frame applies it.
    void OnTablePlayers(Record record) override;
    void OnEmbeddedHandStart(Record record) override;
    // 222170, 229160, 229180: only while a hand is in play.
    void OnCardThrown(Record record) override;
    void OnSeatDraw(Record record) override;
    void OnGangHuNotice(Record record) override;

    // --- The regional notifications ---
    virtual void OnHandStart(Record record);        // 211040, 211028
    virtual void OnHandResult(Record record);       // 211080
    virtual void OnTableSnapshot(Record record);    // 211160
    virtual void OnSwapDice(Record record);         // 222168
    virtual void OnSwapReady(Record record);        // 229480
    virtual void OnChargeUrl(Record record);        // 229805
    virtual void OnWelfareActivity(Record record);  // 400002
    virtual void OnTingThrow(Record record);        // 400010
    // 211000 after the frame's close: the notice of who left.
    virtual void OnPlayerLeft(Record record);
    // 211200: the view's spoken phrase and the side panel's chat line.
    virtual void OnNotify211200(Record record);

    // The ids OnNotify handles here, ascending.
    static std::span<const int32_t> RegionalIds();

protected:
    // The table view and table data as the regional classes (null when there
    // is none, or another kind).
    virtual CRegionalTableView* RegionalView() const;
    virtual CRegionalTableData* RegionalData() const;
    // The notice box of a player's leaving.
    virtual void ShowPlayerLeftNotice(const std::string& text);
    // The application's top-up address, read within the payload.
    virtual void SetChargeUrl(Record payload);

private:
    // Hands the record to the view's operation; a view that finds it short
    // refuses it the frame's way.
    void PassToView(int32_t id, Record record,
                    bool (CRegionalTableView::*operation)(std::span<const uint8_t>)) const;
    // Drops the record with one log line when the chair is outside 0-3.
    static bool IsTableChair(int32_t id, int32_t chair);
    // Checks the record's length (refusing a short one), then whether a
    // hand is in play; else one log line.
    bool IsHandInPlay(int32_t id, Record record, size_t bytes) const;
};
