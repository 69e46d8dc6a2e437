// The regional notification handler: every id to its operation with a
// recording view; whole records take effect, records cut at each word
// boundary short of their minimum are refused with everything left as it
// was (byte for byte), and records with 64 KiB appended act as whole ones
// and copy nothing more; chairs outside the table drop a record.

#include "game/net/RegionalNotifyHandler.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "frame/net/GameNotifyHandler.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/game/support/ProgramFolder.h"
#include "zep/ZepWire.h"

namespace {

namespace tp = table_protocol;

constexpr int32_t kOwnChair = 0;

// A regional view that writes down what it was asked to do.
class RecordingRegionalView : public CRegionalTableView {
public:
    int ChairToPosition(int chair) const override {
        return chair >= 0 && chair < 4 ? (chair - kOwnChair + 7) % 4 : -1;
    }
    void OnPlayerStarted(int chair) override { Note("started " + std::to_string(chair)); }
    void ShowRoundInfo() override { Note("ShowRoundInfo"); }
    void OnRoundEnd(NotifyRecord r) override { Note("OnRoundEnd", r); }
    void ResetSeatBoard(int chair) override { Note("reset " + std::to_string(chair)); }
    void RefreshSeatBoards() override { Note("RefreshSeatBoards"); }
    bool OnCardThrown(NotifyRecord r) override { return Note("OnCardThrown", r); }
    bool OnSwapDice(NotifyRecord r) override { return Note("OnSwapDice", r); }
    bool OnSwapReady(NotifyRecord r) override { return Note("OnSwapReady", r); }
    bool OnTingThrowNotify(NotifyRecord r) override { return Note("OnTingThrowNotify", r); }
    bool OnVoicePhraseChat(NotifyRecord r) override { return Note("OnVoicePhraseChat", r); }
    void RunAutomaticWelfareClaim() override { Note("RunAutomaticWelfareClaim"); }
    bool IsGameInProgress() override { return false; }

    std::vector<std::string> calls;

private:
    void Note(const std::string& call) { calls.push_back(call); }
    bool Note(const std::string& call, NotifyRecord record) {
        calls.push_back(call + " " + std::to_string(record.size()));
        return true;
    }
};

// The handler of the tests: the recording view and the test's table data.
class TestHandler : public CRegionalNotifyHandler {
public:
    TestHandler(RecordingRegionalView& view, CRegionalTableData& data) : view_(view), data_(data) {}
    std::vector<std::string> notices;

protected:
    CMahjongTableView* TableView() const override { return &view_; }
    CMahjongTableData* TableData() const override { return &data_; }
    void ShowPlayerLeftNotice(const std::string& text) override { notices.push_back(text); }

private:
    RecordingRegionalView& view_;
    CRegionalTableData& data_;
};

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

// Every regional notification, whole, with the call it leads to.
struct Notice {
    int32_t id;
    std::vector<uint8_t> record;
    size_t minimum;
    std::vector<std::string> calls;
};

std::vector<Notice> RegionalNotices() {
    tp::HandStartRecord start;
    start.banker = 3;
    start.startFlags = tp::kStartHandRunning;
    start.seatTileCounts = {13, 13, 13, 14};
    tp::GameResultRecord result;
    result.winner = 1;
    result.winFlags = {0, 1, 0, 0};
    tp::SwapDiceNotice dice;
    dice.die = 4;
    tp::SwapReadyNotice ready;
    ready.chair = 2;
    ready.kind = tp::kSwapReadyKind;
    ready.pointerChair = 2;
    tp::WelfareActivityNotice welfare;
    welfare.activityId = 77;
    tp::CardThrownNotice ting;
    ting.thrower = 1;
    ting.tile = 30;
    tp::PlayerLeftNotice left;
    left.chair = 2;
    left.forced = 1;
    left.scoreDeducted = -10;
    left.silverDeducted = -200;
    std::vector<uint8_t> chat(40, 0);
    ZepWireWriter(std::span(chat).subspan(8)).WriteI32(8);
    chat[36] = 'o';
    chat[37] = 'k';
    std::vector<uint8_t> state(tp::kHandStateBytes, 0x5A);
    // The hand state of a hand in play (running, past its swap).
    ZepWireWriter(std::span(state).subspan(14 * 4)).WriteI32(tp::kStartHandRunning);
    return {
        {tp::kHandStart, tp::WriteTableRecord(start), 952, {"ShowRoundInfo"}},
        {tp::kHandResult, tp::WriteTableRecord(result), 2432, {"OnRoundEnd 2432"}},
        {tp::kHandState,
         state,
         15156,
         {"reset 0", "reset 1", "reset 2", "reset 3", "RefreshSeatBoards"}},
        {tp::kSwapDice, tp::WriteTableRecord(dice), 8472, {"OnSwapDice 8472"}},
        {tp::kSwapReady, tp::WriteTableRecord(ready), 32, {"OnSwapReady 32"}},
        {tp::kChargeUrl, Bytes("http://127.0.0.1/pay"), 1, {}},
        {tp::kWelfareActivity, tp::WriteTableRecord(welfare), 20, {"RunAutomaticWelfareClaim"}},
        {tp::kTingThrowNotice, tp::WriteTableRecord(ting), 88, {"OnTingThrowNotify 88"}},
        {tp::kPlayerLeft, tp::WriteTableRecord(left), 28, {}},
        {tp::kTableChat, chat, 37, {"OnVoicePhraseChat 40"}},
    };
}

class RegionalNotifyHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ok()) << folder.Error();
        app = CRegionalMahjongApp::Instance();
        app->ClearGamePlaying();
    }
    void TearDown() override {
        app->ClearGamePlaying();
        app->ResetForTesting();
    }

    // Everything a notification may change.
    std::string State() {
        std::string state(data.GetStatusBlock().begin(), data.GetStatusBlock().end());
        state.append(data.GetHandArea().begin(), data.GetHandArea().end());
        state.append(data.GetGameResult().begin(), data.GetGameResult().end());
        state += "|" + std::to_string(app->IsGamePlaying());
        state += "|" + app->GetChargeUrl();
        state += "|" + std::to_string(view.GetWelfare().GetAnnouncedWelfareActID());
        state += "|" + std::to_string(handler.notices.size());
        return state;
    }

    // Dispatches; a refused record answers "refused".
    std::vector<std::string> Dispatch(int32_t id, const std::vector<uint8_t>& record) {
        view.calls.clear();
        try {
            handler.OnNotify(id, record.data(), record.size());
        } catch (const NotifyRecordShort& refused) {
            EXPECT_EQ(refused.Id(), id);
            view.calls.push_back("refused");
        }
        return view.calls;
    }

    static game_test::ProgramFolderOptions WithoutSkin() {
        game_test::ProgramFolderOptions options;
        options.skin = false;
        return options;
    }

    game_test::ProgramFolder folder{WithoutSkin()};
    CRegionalMahjongApp* app = nullptr;
    RecordingRegionalView view;
    CRegionalTableData data;
    TestHandler handler{view, data};
};

TEST_F(RegionalNotifyHandlerTest, EveryIdReachesItsOperation) {
    for (const Notice& notice : RegionalNotices()) {
        EXPECT_EQ(Dispatch(notice.id, notice.record), notice.calls) << notice.id;
    }
    // The hand state came after the hand start and replaced the whole area.
    EXPECT_EQ(data.GetHandArea()[0], 0x5A);
    EXPECT_EQ(data.GetHandArea()[15155], 0x5A);
    EXPECT_EQ(data.GetWinnerChair(), 1);
    EXPECT_EQ(app->GetChargeUrl(), "http://127.0.0.1/pay");
    EXPECT_EQ(view.GetWelfare().GetAnnouncedWelfareActID(), 77);
    ASSERT_EQ(handler.notices.size(), 1u);
    EXPECT_NE(handler.notices[0].find("(扣除200两,10分)"), std::string::npos);
    // Ids of the mahjong layer pass on.
    EXPECT_EQ(Dispatch(tp::kCardThrown, tp::WriteTableRecord(tp::CardThrownNotice{})),
              std::vector<std::string>{"OnCardThrown 88"});
    const std::vector<uint8_t> started = tp::WriteTableRecord(tp::SeatStartedNotice{{0, 0, 0, 2}});
    EXPECT_EQ(Dispatch(tp::kSeatStarted, started), std::vector<std::string>{"started 2"});
    EXPECT_EQ(data.IsSeatStarted(2), 1);
    EXPECT_EQ(CRegionalNotifyHandler::RegionalIds().size(), 8u);
}

TEST_F(RegionalNotifyHandlerTest, AHandStartSetsTheGamePlayingAndAResultClearsIt) {
    const std::vector<Notice> notices = RegionalNotices();
    Dispatch(tp::kHandStart, notices[0].record);
    EXPECT_TRUE(app->IsGamePlaying());
    Dispatch(tp::kHandResult, notices[1].record);
    EXPECT_FALSE(app->IsGamePlaying());
}

TEST_F(RegionalNotifyHandlerTest, ShortRecordsAreRefusedAndChangeNothing) {
    for (const Notice& notice : RegionalNotices()) {
        std::vector<size_t> cuts;
        for (size_t cut = 0; cut < notice.minimum; cut += 4) {
            cuts.push_back(cut);
        }
        cuts.push_back(notice.minimum - 1);
        for (size_t cut : cuts) {
            const std::vector<uint8_t> shorter(notice.record.begin(),
                                               notice.record.begin() + static_cast<long>(cut));
            const std::string before = State();
            ASSERT_EQ(Dispatch(notice.id, shorter), std::vector<std::string>{"refused"})
                << notice.id << " cut at " << cut;
            ASSERT_EQ(State(), before) << notice.id << " cut at " << cut;
        }
    }
    // No record at all is a short record.
    EXPECT_EQ(Dispatch(tp::kHandStart, {}), std::vector<std::string>{"refused"});
}

TEST_F(RegionalNotifyHandlerTest, RecordsWithMoreBytesActAsWholeOnesAndCopyNoMore) {
    for (const Notice& notice : RegionalNotices()) {
        if (notice.id == tp::kChargeUrl || notice.id == tp::kTableChat) {
            continue;  // texts: what follows the zero is not theirs (below)
        }
        std::vector<uint8_t> longer = notice.record;
        longer.resize(longer.size() + 65536, 0xC3);
        // The view gets the record's own bytes, not what follows.
        EXPECT_EQ(Dispatch(notice.id, longer), notice.calls) << notice.id;
    }
    // Only the records' bytes were kept.
    EXPECT_EQ(data.GetGameResult().size(), tp::kHandResultBytes);
    EXPECT_EQ(data.GetHandArea()[0], 0x5A);
    // A text is read up to its zero; one without a zero up to the record's end.
    std::vector<uint8_t> url = Bytes("http://127.0.0.1/a");
    url.push_back(0);
    url.resize(url.size() + 65536, 'x');
    Dispatch(tp::kChargeUrl, url);
    EXPECT_EQ(app->GetChargeUrl(), "http://127.0.0.1/a");
    Dispatch(tp::kChargeUrl, Bytes("http://h/b"));
    EXPECT_EQ(app->GetChargeUrl(), "http://h/b");
}

TEST_F(RegionalNotifyHandlerTest, AnEmbeddedHandStartActsAsTheHandStart) {
    tp::HandStartRecord start;
    start.banker = 2;
    start.wallStart = 40;
    const std::vector<uint8_t> record = tp::WriteTableRecord(start);

    // 211028: a 64-byte head whose word 2 counts the 136-byte players.
    std::vector<uint8_t> table(64, 0);
    table.insert(table.end(), record.begin(), record.end());
    EXPECT_EQ(Dispatch(tp::kTablePlayers, table), std::vector<std::string>{"ShowRoundInfo"});
    EXPECT_TRUE(app->IsGamePlaying());

    RecordingRegionalView directView;
    CRegionalTableData directData;
    TestHandler direct(directView, directData);
    app->ClearGamePlaying();
    direct.OnNotify(tp::kHandStart, record.data(), record.size());
    EXPECT_EQ(directView.calls, std::vector<std::string>{"ShowRoundInfo"});
    EXPECT_TRUE(std::equal(directData.GetHandArea().begin(), directData.GetHandArea().end(),
                           data.GetHandArea().begin()));
    EXPECT_EQ(data.GetWallStart(), 40);

    // An embedded hand start cut short refuses the whole notification.
    app->ClearGamePlaying();
    for (size_t cut : {size_t{64}, size_t{65}, size_t{64 + 951}}) {
        const std::vector<uint8_t> shorter(table.begin(), table.begin() + static_cast<long>(cut));
        if (cut == 64) {
            // A head alone carries no hand start: the frame's part runs.
            EXPECT_TRUE(Dispatch(tp::kTablePlayers, shorter).empty());
            continue;
        }
        const std::string before = State();
        EXPECT_EQ(Dispatch(tp::kTablePlayers, shorter), std::vector<std::string>{"refused"}) << cut;
        EXPECT_EQ(State(), before);
    }
}

TEST_F(RegionalNotifyHandlerTest, ChairsOutsideTheTableDropTheRecord) {
    Dispatch(tp::kHandStart, RegionalNotices()[0].record);  // a hand in play
    tp::SwapReadyNotice ready;
    ready.kind = tp::kSwapReadyKind;
    for (auto [chair, pointer] : {std::pair{4, 0}, {-1, 0}, {0, 4}, {1, -1}, {INT_MIN, 0}}) {
        ready.chair = chair;
        ready.pointerChair = pointer;
        EXPECT_TRUE(Dispatch(tp::kSwapReady, tp::WriteTableRecord(ready)).empty()) << chair;
    }
    tp::CardThrownNotice ting;
    for (int32_t chair : {4, -1, 7, INT_MAX}) {
        ting.thrower = chair;
        EXPECT_TRUE(Dispatch(tp::kTingThrowNotice, tp::WriteTableRecord(ting)).empty()) << chair;
    }
    tp::PlayerLeftNotice left;
    for (int32_t chair : {4, -1}) {
        left.chair = chair;
        EXPECT_TRUE(Dispatch(tp::kPlayerLeft, tp::WriteTableRecord(left)).empty());
    }
    EXPECT_TRUE(handler.notices.empty()) << "no notice for a chair outside the table";
}

TEST_F(RegionalNotifyHandlerTest, DeductionsAreNegatedWithoutOverflow) {
    tp::PlayerLeftNotice left;
    left.chair = 1;
    left.forced = 1;
    left.scoreDeducted = INT32_MIN;
    left.silverDeducted = INT32_MIN;
    Dispatch(tp::kPlayerLeft, tp::WriteTableRecord(left));
    ASSERT_EQ(handler.notices.size(), 1u);
    EXPECT_NE(handler.notices[0].find("(扣除2147483648两,2147483648分)"), std::string::npos)
        << handler.notices[0];
    left.forced = 0;
    Dispatch(tp::kPlayerLeft, tp::WriteTableRecord(left));
    ASSERT_EQ(handler.notices.size(), 2u);
    EXPECT_NE(handler.notices[1].find(" 已经离开，游戏结束。"), std::string::npos);
}

}  // namespace
