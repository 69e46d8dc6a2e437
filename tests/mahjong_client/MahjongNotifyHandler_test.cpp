// The mahjong layer's notification handler: every id to its table-view
// operation, records checked for length and chairs before the view sees
// them.

#include "mahjong_client/net/MahjongNotifyHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/mahjong_client/CoreFixture.h"

namespace {

using namespace core_test;

struct Case {
    int32_t id;
    std::vector<uint8_t> record;  // whole, every chair seated
    std::string call;             // what the view records
};

std::vector<Case> WholeRecords() {
    const std::vector<uint8_t> meld = Record(64, {4000, kRoomId, kTableNo, 0, 1, 12, 200, 200});
    return {
        {201160, Record(16, {4001, kRoomId, kTableNo, 1}), "started 1"},
        {222170, Record(88, {0, 3}), "222170 88"},
        {229160, Record(28, {0, 0, 0, 1, -1, 200, 17}), "229160 28"},
        {229180, Record(32, {1, 3, 60, 2}), "229180 32"},
        {229185, meld, "229185 64"},
        {229195, meld, "229195 64"},
        {229197, meld, "229197 64"},
        {229199, meld, "229199 64"},
        {229210, Record(28, {0, 0, 0, 3, 140, 5, 80}), "229210 28"},
        {229500, Record(24, {0, 0, 19840325, 0, 1, 3}), "229500 24"},
        {229550, Record(20, {4000, kRoomId, kTableNo, 0, kOwnChair}), "229550 20"},
        {229570, Record(24, {4000, kRoomId, kTableNo, 0, kOwnId, 1}), "229570 24"},
        {211240, Record(4), "211240 4"},
        {211300, Record(0), "211300 0"},
        {229165, Record(8), "229165 8"},
        {229170, Record(8), "229170 8"},
        {229175, Record(8), "229175 8"},
        {229190, Record(8), "229190 8"},
        {229580, Record(8), "229580 8"},
    };
}

bool IsIgnored(int32_t id) {
    return id == 211240 || id == 211300 || id == 229165 || id == 229170 || id == 229175 ||
           id == 229190 || id == 229580;
}

class MahjongNotifyHandlerTest : public ::testing::Test {
protected:
    void SetUp() override { app.Launch(); }

    // Dispatches and answers what the view recorded; a refused record
    // answers "refused".
    std::vector<std::string> Dispatch(int32_t id, const std::vector<uint8_t>& record) {
        app.view.calls.clear();
        try {
            app.handler.OnNotify(id, record.data(), record.size());
        } catch (const NotifyRecordShort& refused) {
            EXPECT_EQ(refused.Id(), id);
            app.view.calls.push_back("refused");
        }
        return app.view.calls;
    }

    CoreApp app;
};

TEST_F(MahjongNotifyHandlerTest, EveryIdReachesItsViewOperation) {
    for (const Case& c : WholeRecords()) {
        EXPECT_EQ(Dispatch(c.id, c.record), std::vector<std::string>{c.call}) << c.id;
    }
    // The started seat is marked in the table data too.
    EXPECT_EQ(app.tableData.started, std::vector<int32_t>{1});
    // Ids of the frame never reach the view.
    EXPECT_TRUE(Dispatch(211010, Record(64)).empty());
    EXPECT_EQ(CMahjongNotifyHandler::MahjongIds().size(), WholeRecords().size());
    EXPECT_TRUE(std::is_sorted(CMahjongNotifyHandler::MahjongIds().begin(),
                               CMahjongNotifyHandler::MahjongIds().end()));
}

TEST_F(MahjongNotifyHandlerTest, ARecordCutAtAnyByteIsRefusedBeforeTheView) {
    LogCapture log;
    size_t refusals = 0;
    for (const Case& c : WholeRecords()) {
        if (IsIgnored(c.id)) {
            continue;  // nothing is read of them
        }
        // Every cut shorter than the minimum: refused, nothing reached the
        // view or the table data.
        for (size_t length = 0; length < c.record.size(); ++length) {
            const std::vector<uint8_t> cut(c.record.begin(), c.record.begin() + length);
            const std::vector<std::string> calls = Dispatch(c.id, cut);
            ASSERT_EQ(calls, std::vector<std::string>{"refused"}) << c.id << " cut at " << length;
            ++refusals;
        }
    }
    EXPECT_TRUE(app.tableData.started.empty());
    // One log line per refusal.
    EXPECT_EQ(log.Lines().size(), refusals);
    EXPECT_EQ(log.Lines().front(), "notify 201160: 0 bytes, needs 16");
}

TEST_F(MahjongNotifyHandlerTest, NoRecordAtAllIsAShortRecord) {
    app.view.calls.clear();
    EXPECT_THROW(app.handler.OnNotify(222170, nullptr, 88), NotifyRecordShort);
    EXPECT_TRUE(app.view.calls.empty());
}

TEST_F(MahjongNotifyHandlerTest, ChairsOutsideTheTableDropTheRecord) {
    LogCapture log;
    // A thrower beyond the player count, a negative chair, a chair with no
    // screen position: dropped, no failure.
    EXPECT_TRUE(Dispatch(222170, Record(88, {0, 4})).empty());
    EXPECT_TRUE(Dispatch(229160, Record(28, {0, 0, 0, -1})).empty());
    app.playerCount = 3;
    EXPECT_TRUE(Dispatch(229210, Record(28, {0, 0, 0, 3})).empty());
    app.playerCount = 4;
    app.view.unseatedChair = 1;
    EXPECT_TRUE(Dispatch(229180, Record(32, {1})).empty());
    app.view.unseatedChair = -1;
    // A meld notice checks the claimant and the source.
    EXPECT_TRUE(Dispatch(229185, Record(64, {0, 0, 0, 1, 9})).empty());
    EXPECT_TRUE(Dispatch(229199, Record(64, {0, 0, 0, 8, 1})).empty());
    EXPECT_TRUE(Dispatch(201160, Record(16, {0, 0, 0, 200000})).empty());
    EXPECT_TRUE(Dispatch(229570, Record(24, {0, 0, 0, 5})).empty());
    EXPECT_TRUE(app.tableData.started.empty());
    EXPECT_EQ(log.Lines().size(), 8u);
    EXPECT_EQ(log.Lines().front(), "notify 222170: chair 4 is no seat; dropped");
}

TEST_F(MahjongNotifyHandlerTest, LookCardAsksAreDroppedWhenRejectedOrLookingOn) {
    const std::vector<uint8_t> ask = Record(20, {4000, kRoomId, kTableNo, 0, kOwnChair});
    app.rejectAsk = 1;
    EXPECT_TRUE(Dispatch(229550, ask).empty());
    app.rejectAsk = 0;
    app.Launch(1);
    EXPECT_TRUE(Dispatch(229550, ask).empty());
    app.Launch(0);
    EXPECT_EQ(Dispatch(229550, ask), std::vector<std::string>{"229550 20"});
    // Short asks are refused even when they would be dropped.
    app.rejectAsk = 1;
    EXPECT_EQ(Dispatch(229550, Record(19)), std::vector<std::string>{"refused"});
}

TEST_F(MahjongNotifyHandlerTest, Notice211300OnlyBetweenGames) {
    app.SetGamePlaying();
    EXPECT_TRUE(Dispatch(211300, Record(8)).empty());
    app.ClearGamePlaying();
    EXPECT_EQ(Dispatch(211300, Record(8)), std::vector<std::string>{"211300 8"});
}

TEST_F(MahjongNotifyHandlerTest, StatusCountIsBoundedByTheRecord) {
    // Count 2 needs 28 bytes.
    EXPECT_EQ(Dispatch(229500, Record(24, {0, 0, 19840336, 0, 2, 1})),
              std::vector<std::string>{"refused"});
    EXPECT_EQ(Dispatch(229500, Record(28, {0, 0, 19840336, 0, 2, 1, 2})),
              std::vector<std::string>{"229500 28"});
    EXPECT_EQ(Dispatch(229500, Record(20, {0, 0, 19840336, 0, 0})),
              std::vector<std::string>{"229500 20"});
    // A count past any record's size is refused, not wrapped.
    EXPECT_EQ(Dispatch(229500, Record(24, {0, 0, 19840336, 0, 0x7fffffff})),
              std::vector<std::string>{"refused"});
    EXPECT_TRUE(Dispatch(229500, Record(24, {0, 0, 19840336, 0, -1})).empty());
}

TEST_F(MahjongNotifyHandlerTest, AViewThatFindsTheRecordShortRefusesIt) {
    LogCapture log;
    app.view.refuse = true;
    EXPECT_EQ(Dispatch(222170, Record(88, {0, 3})),
              (std::vector<std::string>{"222170 88", "refused"}));
    EXPECT_EQ(Dispatch(229197, Record(64, {0, 0, 0, 3, 3})),
              (std::vector<std::string>{"229197 64", "refused"}));
    EXPECT_EQ(log.Lines(),
              (std::vector<std::string>{"notify 222170: 88 bytes, too short for the table",
                                        "notify 229197: 64 bytes, too short for the table"}));
}

TEST_F(MahjongNotifyHandlerTest, TheLastStatusKeepsItsCodeWhenTheRecordHoldsIt) {
    const std::vector<uint8_t> status = Record(24, {0, 0, 19840335, 0, 1, 3});
    app.handler.RecordLastNotify(229500, status.data(), status.size());
    EXPECT_EQ(app.handler.GetLastNotify().id, 229500);
    EXPECT_EQ(app.handler.GetLastNotify().data, 19840335);
    EXPECT_EQ(app.handler.GetLastNotify().length, 24u);

    // Word 2 is not there: 0, nothing read past the end.
    const std::vector<uint8_t> cut = Record(11, {0, 0, 19840335});
    app.handler.RecordLastNotify(229500, cut.data(), 11);
    EXPECT_EQ(app.handler.GetLastNotify().data, 0);
    app.handler.RecordLastNotify(229500, nullptr, 24);
    EXPECT_EQ(app.handler.GetLastNotify().data, 0);

    // Other ids keep 0.
    app.handler.RecordLastNotify(222170, status.data(), status.size());
    EXPECT_EQ(app.handler.GetLastNotify().data, 0);
}

}  // namespace
