// Every notification of the mahjong layer sent by the loopback test server
// as real frames to the whole client: whole, each reaches its table-view
// operation; cut at every field boundary short of its minimum, each is
// refused with one log line and one 201162 report at the server, the table
// unchanged (and under ASan nothing read past the record's end), and the
// connection stays for the next.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/mahjong_client/support/HandRecords.h"
#include "tests/mahjong_client/support/TableSession.h"

namespace table_test {
namespace {

namespace tp = table_protocol;

struct Notice {
    int32_t id;
    std::vector<uint8_t> record;  // whole, with values the table accepts
    size_t minimum;               // shorter is refused; 0: any length is taken
    std::string operation;        // the view operation it reaches
    std::string call = {};        // how the view writes it down, when not "<operation> <length>"

    std::string Call() const {
        return call.empty() ? operation + " " + std::to_string(record.size()) : call;
    }
};

// A seat other than the own chair, at a screen position.
constexpr int32_t kOther = 1;

std::vector<Notice> MahjongNotices() {
    tp::SeatStartedNotice started;
    started.head = {UserOf(kOther), kRoomId, kTableNo, kOther};
    tp::GangHuNotice gangHu;
    gangHu.ganger = kOther;
    gangHu.offerChair = kOther;
    gangHu.tile = TileOf(5, 1);
    gangHu.gangKind = 1;
    tp::AutoPlayStatusHead status;
    status.code = tp::kPlayerBackFirst;
    status.count = 1;
    std::vector<uint8_t> statusRecord = tp::WriteTableRecord(status);
    const std::vector<uint8_t> statusData = WordsRecord({kOther});
    statusRecord.insert(statusRecord.end(), statusData.begin(), statusData.end());
    tp::LookCardAskRecord ask;
    ask.head = {UserOf(9), kRoomId, kTableNo, kOwnChair};
    ask.watchedChair = kOwnChair;
    tp::LookCardAnswerRecord answer;
    answer.answeringUser = UserOf(kOther);
    answer.answeringChair = kOther;
    answer.lookerOn = UserOf(kOwnChair);
    answer.allowed = 1;
    const auto meld = MeldNotice(kOther, 0, TileOf(7, 0), {TileOf(7, 1), TileOf(7, 2), -1});
    const auto gang =
        MeldNotice(kOther, 0, TileOf(8, 0), {TileOf(8, 1), TileOf(8, 2), TileOf(8, 3)});
    return {
        {tp::kSeatStarted, tp::WriteTableRecord(started), 16, "OnPlayerStarted",
         "OnPlayerStarted " + std::to_string(kOther)},
        {tp::kIgnored211240, WordsRecord({1, 2, 3}), 0, "OnNotify211240"},
        {tp::kIgnored211300, WordsRecord({1, 2, 3}), 0, "OnNotify211300"},
        {tp::kCardThrown, CardThrown(kOther, TileOf(3, 0)), 88, "OnCardThrown"},
        {tp::kSeatDraw, SeatDraw(kOther, kHiddenTile, 60), 28, "OnCardCaught"},
        {tp::kIgnored229165, WordsRecord({1}), 0, "OnNotify229165"},
        {tp::kIgnored229170, WordsRecord({1}), 0, "OnNotify229170"},
        {tp::kIgnored229175, WordsRecord({1}), 0, "OnNotify229175"},
        {tp::kGangHuNotice, tp::WriteTableRecord(gangHu), 32, "OnGangHuNotice"},
        {tp::kPengNotice, meld, 64, "OnGameMsg229185"},
        {tp::kIgnored229190, WordsRecord({1}), 0, "OnNotify229190"},
        {tp::kGangNotice, gang, 64, "OnCardsGang229195"},
        {tp::kConcealedGangNotice, gang, 64, "OnCardsGang229197"},
        {tp::kAddedGangNotice, gang, 64, "OnCardsGang229199"},
        {tp::kHuaNotice, SeatDraw(kOther, kHiddenTile, 61), 28, "OnCardsHua"},
        {tp::kAutoPlayStatus, statusRecord, 20, "OnAutoPlayStatus"},
        {tp::kLookCardAsk, tp::WriteTableRecord(ask), 20, "OnLookCardAsk"},
        {tp::kLookCardAnswer, tp::WriteTableRecord(answer), 24, "OnLookCardReply"},
        {tp::kIgnored229580, WordsRecord({1}), 0, "OnNotify229580"},
    };
}

// What a refused record must leave as it was.
std::string TableSnapshot(CMahjongTableView& table) {
    std::string state =
        std::to_string(table.GetTableState()) + "|" + std::to_string(table.GetTurnDirection()) +
        "|" + std::to_string(table.GetWallCount()) + "|" + std::to_string(table.GetClockSeconds()) +
        "|" + std::to_string(table.GetAutoPlayState());
    for (int position = 0; position < 4; ++position) {
        state += "|" + std::to_string(table.GetRowCount(position)) + "," +
                 std::to_string(table.GetDiscardCount(position)) + "," +
                 std::to_string(table.GetMeldCount(position));
    }
    return state;
}

class NotificationFramesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(session.Open({})) << session.Error(); }
    TableSession session;
};

TEST_F(NotificationFramesTest, WholeRecordsReachTheirOperationsShortOnesAreRefused) {
    size_t reports = 0;
    for (const Notice& notice : MahjongNotices()) {
        SCOPED_TRACE(notice.id);
        session.Table().TakeCalls();
        ASSERT_TRUE(session.Deliver(notice.id, notice.record));
        const std::vector<std::string> calls = session.Table().TakeCalls();
        EXPECT_NE(std::find(calls.begin(), calls.end(), notice.Call()), calls.end())
            << "the whole record did not reach " << notice.operation;
        ASSERT_TRUE(session.App().connection.IsConnected());
        EXPECT_EQ(session.FailureReports(), reports) << "a whole record was reported";

        // Cut at every word boundary short of the minimum, and one byte short.
        std::vector<size_t> cuts;
        for (size_t cut = 0; cut < notice.minimum; cut += 4) {
            cuts.push_back(cut);
        }
        if (notice.minimum > 0) {
            cuts.push_back(notice.minimum - 1);
        }
        for (const size_t cut : cuts) {
            SCOPED_TRACE(cut);
            const std::vector<uint8_t> shorter(notice.record.begin(),
                                               notice.record.begin() + static_cast<long>(cut));
            const std::string before = TableSnapshot(session.Table());
            const int logged = session.LogLinesWith(std::to_string(notice.id));
            ASSERT_TRUE(session.Deliver(notice.id, shorter));
            ++reports;
            ASSERT_TRUE(session.RunUntil([&] { return session.FailureReports() >= reports; }))
                << "no 201162 for a record of " << cut << " bytes";
            EXPECT_EQ(session.FailureReports(), reports);
            EXPECT_EQ(TableSnapshot(session.Table()), before);
            EXPECT_EQ(session.LogLinesWith(std::to_string(notice.id)), logged + 1);
            EXPECT_TRUE(session.App().connection.IsConnected());
        }
    }
    // The connection still carries a whole record after all the cut ones.
    session.Table().TakeCalls();
    ASSERT_TRUE(session.Deliver(tp::kCardThrown, CardThrown(kOther, TileOf(4, 0))));
    EXPECT_EQ(
        session.Table().TakeCalls(),
        (std::vector<std::string>{"OnCardThrown " + std::to_string(tp::CardThrownNotice::kSize)}));
    EXPECT_EQ(session.Server().Server().ProtocolErrors(), 0u);
}

// 229500's count is bounded by the record: a count larger than the data
// words that came is refused like a short record.
TEST_F(NotificationFramesTest, AnAutoPlayStatusCountingMoreWordsThanItCarriesIsRefused) {
    tp::AutoPlayStatusHead status;
    status.code = tp::kAutoPlayFirst;
    status.count = 3;
    std::vector<uint8_t> record = tp::WriteTableRecord(status);
    const std::vector<uint8_t> data = WordsRecord({kOther, 1});
    record.insert(record.end(), data.begin(), data.end());
    ASSERT_TRUE(session.Deliver(tp::kAutoPlayStatus, record));
    ASSERT_TRUE(session.RunUntil([&] { return session.FailureReports() == 1; }));
    EXPECT_TRUE(session.App().connection.IsConnected());
}

}  // namespace
}  // namespace table_test
