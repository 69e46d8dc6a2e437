#include <gtest/gtest.h>

#include <climits>

#include "frame/LaunchRecordBuilder.h"
#include "tests/frame/FrameDoubles.h"

namespace {

void PutWord(std::vector<uint8_t>& record, size_t offset, int32_t value) {
    ZepWireWriter(std::span(record).subspan(offset)).WriteI32(value);
}

class UpdatesTest : public ::testing::Test {
protected:
    void SetUp() override {
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = 100;
        fields.chairNo = 0;
        app.SetLaunchFields(fields);
        LaunchRecordBuilder builder;
        builder.room.options = RoomInfo::kOptionSilverRoom;
        builder.seats = {MakeLaunchUser(100, 0, "甲"), MakeLaunchUser(101, 1, "乙"),
                         MakeLaunchUser(103, 3, "丁")};
        for (UserRecord& seat : builder.seats) {
            seat.silver = 1000;
            seat.score = 50;
        }
        ASSERT_TRUE(app.InitGameData(builder.Build()));
        app.AttachFrameView(&view);
        userList = &view.subSystem.AddBar("UserListBar");
    }
    void TearDown() override { app.DetachFrameView(); }

    std::vector<uint8_t> HandResult(int32_t mask) {
        HandResultSummary summary;
        for (int c = 0; c < 4; ++c) {
            summary.scoreBefore[size_t(c)] = 50;
            summary.silverBefore[size_t(c)] = 1000;
            summary.scoreChange[size_t(c)] = 5;
            summary.silverChange[size_t(c)] = c == 0 ? 300 : -100;
            summary.newLevel[size_t(c)] = 9;
            SetFieldText(summary.newTitle[size_t(c)], "高手");
        }
        summary.unchangedChairMask = mask;
        const auto bytes = RecordBytes(summary);
        return {bytes.begin(), bytes.end()};
    }

    TestFrameApp app;
    ObservedFrameView view;
    RecordingBar* userList = nullptr;
};

TEST_F(UpdatesTest, HandResultSkipsEmptyAndMaskedChairsAndCountsBySilver) {
    app.ApplyHandResult(HandResult(1 << 1));
    EXPECT_EQ(app.GetSeat(0).silver, 1300);
    EXPECT_EQ(app.GetSeat(0).wins, 1);
    EXPECT_EQ(app.GetSeat(0).games, 1);
    EXPECT_EQ(app.GetSeat(0).level, 9);
    EXPECT_EQ(FieldText(app.GetSeat(0).levelTitle), "高手");
    EXPECT_EQ(app.GetSeat(1).silver, 1000);  // masked
    EXPECT_EQ(app.GetSeat(1).games, 0);
    EXPECT_EQ(app.GetSeat(2).userId, 0);  // empty stays empty
    EXPECT_EQ(app.GetSeat(3).losses, 1);
    EXPECT_EQ(app.GetHistory(0, 0), 300);
    EXPECT_EQ(view.Count("OpenCardUserDetail"), 1);
    EXPECT_EQ(view.subSystem.bars["AdvertBar"]->events, std::vector<int>{kEventRefreshScoreTable});
    EXPECT_EQ(userList->events,
              (std::vector<int>{kEventUserListChanged, kEventForgetLookOnPermissions}));
}

TEST_F(UpdatesTest, ShortHandResultIsIgnored) {
    auto record = HandResult(0);
    record.resize(431);
    app.ApplyHandResult(record);
    EXPECT_EQ(app.GetSeat(0).silver, 1000);
    EXPECT_EQ(app.GetHandCounter(), 0);
}

TEST_F(UpdatesTest, ThirtyOneHandsOverwriteTheFirstSlotAndKeepTheTotals) {
    for (int hand = 1; hand <= 31; ++hand) {
        app.AddHistory({hand, -hand, 0, 0, 0, 0, 0, 0});
    }
    EXPECT_EQ(app.GetHistory(0, 0), 31);
    EXPECT_EQ(app.GetHistory(0, 1), 2);
    EXPECT_EQ(app.GetHistoryTotal(0), 31 * 32 / 2);
    EXPECT_EQ(app.GetHistoryTotal(1), -31 * 32 / 2);
    EXPECT_EQ(app.GetHandCounter(), 31);
    app.ResetHistory();
    EXPECT_EQ(app.GetHistoryTotal(0), 0);
}

TEST_F(UpdatesTest, StandingsPutTheOwnRecordFirstThenTheKeptLeaders) {
    MatchStandings& standings = app.GetStandings();
    standings.header.count = 1000;  // more than the block holds
    standings.header.leadingCount = 1;
    standings.header.keepLeadingOnTop = 1;
    standings.records[0] = StandingRecord{.userId = 7, .rank = 40};
    standings.records[1] = StandingRecord{.userId = 8, .rank = 1};
    standings.records[2] = StandingRecord{.userId = 100, .rank = 99};
    for (int i = 3; i < MatchStandings::kMaxRecords; ++i) {
        standings.records[size_t(i)] = StandingRecord{.userId = 1000 + i, .rank = 200 - i};
    }
    app.SortStandings();
    EXPECT_EQ(standings.records[0].userId, 100);
    EXPECT_EQ(standings.records[1].userId, 7);
    EXPECT_EQ(standings.records[2].userId, 8);
    EXPECT_EQ(standings.records[3].userId, 1099);
    EXPECT_EQ(view.subSystem.events, std::vector<int>{kEventMatchStandingsSorted});
    EXPECT_EQ(view.mainGame.events, std::vector<int>{kEventMatchStandingsSorted});
}

TEST_F(UpdatesTest, WealthChangeOnlyForTheSeatsOwnIdAndAChairOnTheTable) {
    std::vector<uint8_t> record(29 * 4, 0);
    PutWord(record, 0, 101);
    PutWord(record, 4, 2);
    PutWord(record, 8, 0);
    PutWord(record, 12, 30);
    PutWord(record, 24, 777);
    PutWord(record, 112, 1);
    app.ApplyWealthChange(record);
    EXPECT_EQ(app.GetSeat(1).silver, 777);
    EXPECT_EQ(view.Count("ForwardPrizeNotify"), 1);

    PutWord(record, 0, 103);  // not the seat's id
    PutWord(record, 24, 1);
    app.ApplyWealthChange(record);
    PutWord(record, 112, 8);
    app.ApplyWealthChange(record);
    record.resize(112);  // no chair word
    app.ApplyWealthChange(record);
    EXPECT_EQ(app.GetSeat(1).silver, 777);
    EXPECT_EQ(app.GetSeat(3).silver, 1000);

    std::vector<uint8_t> second(39 * 4, 0);
    PutWord(second, 0, 103);
    PutWord(second, 4, 2);
    PutWord(second, 8, 1);
    PutWord(second, 12, 30);
    PutWord(second, 24, 88);
    PutWord(second, 152, 3);
    app.ApplyWealthChange2(second);
    EXPECT_EQ(app.GetSeat(3).score, 88);
    EXPECT_EQ(app.wealthChanged, 1);
    second.resize(150);
    app.ApplyWealthChange2(second);
    EXPECT_EQ(app.wealthChanged, 1);
}

TEST_F(UpdatesTest, SeatUpdatesAreBoundedByTheirRecord) {
    std::vector<uint8_t> record(68 + 136 * 2, 0);
    PutWord(record, 8, 9);
    PutWord(record, 12, 1);
    PutWord(record, 16, 50);  // count far past the bytes
    ServerPlayerRecord player;
    player.userId = 555;
    player.chairNo = 2;
    player.onlineSeconds = 125;
    WriteRecord(player, std::span(record).subspan(68));
    player.userId = 556;
    player.chairNo = 9;
    WriteRecord(player, std::span(record).subspan(68 + 136));
    app.ApplySeatPlayers(record);
    EXPECT_EQ(app.GetChairUserID(2), 555);
    EXPECT_EQ(app.GetSeat(2).experience, 2);
    EXPECT_EQ(app.FindUser(556), nullptr);
    EXPECT_EQ(app.GetMyChairNo(), 1);

    std::vector<uint8_t> table(64 + 136, 0);
    PutWord(table, 4, 3);
    PutWord(table, 8, 8);
    PutWord(table, 12, 100);
    player.userId = 100;
    player.chairNo = 0;
    WriteRecord(player, std::span(table).subspan(64));
    app.ApplyTablePlayers(table);
    EXPECT_EQ(app.GetTablePlayerCount(), 1);
    EXPECT_EQ(app.GetChairUserID(0), 100);
    EXPECT_EQ(app.GetChairUserID(2), 0);
    app.ApplyTablePlayers(std::span(table).first(20));
    EXPECT_EQ(app.GetChairUserID(0), 100);
}

TEST_F(UpdatesTest, UserStateAndMemberFlagAnswers) {
    EXPECT_EQ(app.UpdateUserState(101, 1, 5), 1);
    EXPECT_EQ(app.GetSeat(1).characterId, 5);
    EXPECT_EQ(app.UpdateUserState(101, 1, 5), 0);
    EXPECT_EQ(app.UpdateUserState(101, 2, 6), 0);
    EXPECT_EQ(app.UpdateUserState(999, 1, 6), 0);
    EXPECT_EQ(app.UpdateUserState(101, 9, 6), 0);
    EXPECT_EQ(app.SetMemberFlag(101, 1, 1), 1);
    EXPECT_EQ(app.SetMemberFlag(101, 1, 1), 0);
    EXPECT_TRUE(app.IsMemberUser(101));
    EXPECT_EQ(app.SetMemberFlag(101, 1, 0), 1);
    EXPECT_EQ(app.SetMemberFlag(101, 8, 1), 0);
}

TEST_F(UpdatesTest, SilverTooLowAndTooHigh) {
    std::vector<uint8_t> record(16, 0);
    PutWord(record, 8, 300);
    PutWord(record, 12, 500);
    app.OnSilverTooLow(record);  // no safe box in game: a notice
    EXPECT_EQ(view.calls.back(), "ShowNoticeBox 对不起，您的银子不够啦！ 10 48 ruv没钱");

    LaunchRecordBuilder builder;
    builder.room.options = RoomInfo::kOptionSilverRoom;
    builder.room.flags = RoomInfo::kFlagSafeBoxInGame;
    builder.seats = {MakeLaunchUser(100, 0, "甲")};
    ASSERT_TRUE(app.InitGameData(builder.Build()));
    RecordingBar& input = view.subSystem.AddBar("InputBar");
    app.OnSilverTooLow(record);
    EXPECT_EQ(view.calls.back(),
              "ShowInfoBox 本房间最少需携带银子500两\r\n您只携带了300两\r\n仍少了200两,"
              "是否从保险箱划银？ 10 53 ruv财神");
    EXPECT_EQ(view.lastOkEvent.event, kEventTakeFromSafeBox);
    EXPECT_EQ(view.lastOkEvent.param1, 500);
    EXPECT_EQ(view.lastOkEvent.target, input.GetId());
    PutWord(record, 8, 900);
    app.OnSilverTooHigh(record);
    EXPECT_EQ(view.calls.back(),
              "ShowInfoBox 本房间最多可携带银子500两\r\n您携带了900两\r\n仍超了400两,"
              "是否将银子存入保险箱？ 10 53 ruv财神");
    const size_t before = view.calls.size();
    app.OnSilverTooHigh(std::span(record).first(12));
    EXPECT_EQ(view.calls.size(), before);
}

// Sums of what the server sends never overflow: kept values wrap in 32 bits
// (score 2147483000 + 1000 is -2147483296), shown ones are held to the range.
TEST_F(UpdatesTest, ServerValuesAtTheLimitsWrapOrAreHeld) {
    LaunchRecordBuilder builder;
    builder.room.options = RoomInfo::kOptionSilverRoom;
    builder.room.flags = RoomInfo::kFlagSafeBoxInGame;
    builder.seats = {MakeLaunchUser(100, 0, "甲"), MakeLaunchUser(101, 1, "乙")};
    for (UserRecord& seat : builder.seats) {
        seat.games = seat.wins = seat.losses = INT32_MAX;
    }
    ASSERT_TRUE(app.InitGameData(builder.Build()));
    constexpr int32_t kWrapped = -2147483296;

    std::vector<uint8_t> leaver(64, 0);
    PutWord(leaver, 4, 1);
    PutWord(leaver, 24, 1000);
    PutWord(leaver, 32, 2147483000);
    app.ApplyLeaverResult(leaver);
    EXPECT_EQ(app.GetSeat(1).score, kWrapped);
    EXPECT_EQ(app.GetSeat(1).games, INT32_MIN);
    EXPECT_EQ(app.GetSeat(1).losses, INT32_MIN);

    HandResultSummary summary;
    summary.playerCount = 2;
    summary.scoreBefore[0] = summary.silverBefore[0] = 2147483000;
    summary.scoreChange[0] = summary.silverChange[0] = 1000;
    const auto result = RecordBytes(summary);
    app.ApplyHandResult(result);
    EXPECT_EQ(app.GetSeat(0).score, kWrapped);
    EXPECT_EQ(app.GetSeat(0).silver, kWrapped);
    EXPECT_EQ(app.GetSeat(0).games, INT32_MIN);
    EXPECT_EQ(app.GetSeat(0).wins, INT32_MIN);
    app.match = true;
    app.ApplyHandResult(result);
    EXPECT_EQ(app.GetMatchPlayer(0).score, kWrapped);
    EXPECT_EQ(app.GetMatchPlayer(0).silver, kWrapped);
    app.match = false;

    view.subSystem.AddBar("InputBar");
    std::vector<uint8_t> reply(16, 0);
    PutWord(reply, 8, 2000000000);
    PutWord(reply, 12, -2000000000);
    app.OnSilverTooHigh(reply);
    EXPECT_NE(view.calls.back().find("仍超了2147483647两"), std::string::npos) << view.calls.back();
    app.OnSilverTooLow(reply);
    EXPECT_NE(view.calls.back().find("仍少了-2147483648两"), std::string::npos)
        << view.calls.back();
}

TEST_F(UpdatesTest, WelfareTexts) {
    app.OnWelfareConfigFailed(0, "", 0, 0);
    app.OnWelfareConfigFailed(0, "停了", 0, 0);
    app.OnWelfareConfigFailed(1, "不显示", 0, 0);
    app.OnWelfareResult(0, nullptr, 0, 0, 0);
    ASSERT_EQ(view.subSystem.chatLines.size(), 3u);
    EXPECT_EQ(view.subSystem.chatLines[0], " <z=qe系统通知> <c=255>获取低保活动配置失败!\r\n");
    EXPECT_EQ(view.subSystem.chatLines[1], " <z=qe系统通知> <c=255>停了\r\n");
    EXPECT_EQ(view.subSystem.chatLines[2], " <z=qe系统通知> <c=255>领取银子失败!\r\n");
    app.OnWelfareResult(1, nullptr, 0, 0, 2000);
    EXPECT_EQ(view.calls.back(), "ShowInfoBox 已赠送银子2000两到游戏中! 10 52 ruv财神");
}

TEST_F(UpdatesTest, RenameSkipsChairsPastTheRecordAndLeaverCountsALoss) {
    std::vector<uint8_t> names(52 * 2 + 10, 'R');
    app.RenameSeatedPlayers(names);
    EXPECT_EQ(app.GetChairUserName(0), std::string(32, 'R'));
    EXPECT_EQ(app.GetChairUserName(1), std::string(32, 'R'));
    EXPECT_EQ(app.GetChairUserName(3), "丁");
    EXPECT_EQ(view.Count("ForwardPlayersRenamed 114"), 1);

    std::vector<uint8_t> leaver(64, 0);
    PutWord(leaver, 4, 3);
    PutWord(leaver, 24, -20);
    PutWord(leaver, 28, -100);
    PutWord(leaver, 32, 50);
    PutWord(leaver, 36, 1000);
    app.ApplyLeaverResult(leaver);
    EXPECT_EQ(app.GetSeat(3).silver, 900);
    EXPECT_EQ(app.GetSeat(3).score, 30);
    EXPECT_EQ(app.GetSeat(3).losses, 1);
    PutWord(leaver, 4, -1);
    app.ApplyLeaverResult(leaver);
    app.ApplyLeaverResult(std::span(leaver).first(63));
    EXPECT_EQ(app.GetSeat(3).losses, 1);
}

}  // namespace
