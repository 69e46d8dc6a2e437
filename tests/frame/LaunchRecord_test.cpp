#include <gtest/gtest.h>

#include <cstring>

#include "frame/LaunchRecordBuilder.h"
#include "tests/frame/FrameDoubles.h"

namespace {

constexpr int32_t kOwnId = 5001;
constexpr int32_t kOwnChair = 2;

LaunchFields OwnLaunch(int32_t lookOn = 0) {
    LaunchFields fields;
    fields.gameId = 30;
    fields.userId = kOwnId;
    fields.tableNo = 7;
    fields.chairNo = kOwnChair;
    fields.lookOn = lookOn;
    fields.hallRoomId = 300;
    return fields;
}

// A table of three players (own on chair 2) and one looker-on.
LaunchRecordBuilder TypicalLaunch() {
    LaunchRecordBuilder builder;
    builder.room.roomId = 300;
    SetFieldText(builder.room.areaName, "成都");
    SetFieldText(builder.room.roomName, "新手房");
    builder.table.tableNo = 7;
    builder.seats = {MakeLaunchUser(4000, 0, "甲"), MakeLaunchUser(kOwnId, kOwnChair, "自己"),
                     MakeLaunchUser(4003, 3, "丙")};
    builder.lookers = {MakeLaunchUser(6000, 0, "看客", 1)};
    return builder;
}

class LaunchRecordTest : public ::testing::Test {
protected:
    void SetUp() override { app.SetLaunchFields(OwnLaunch()); }

    // Expects the record to be refused and the state to stay as it was.
    void ExpectRefused(const std::vector<uint8_t>& record) {
        const auto roomBefore = RecordBytes(app.GetRoomInfo());
        const auto seat0Before = RecordBytes(app.GetSeat(0));
        const auto looker0Before = RecordBytes(app.GetLooker(0));
        const int32_t tableBefore = app.GetTableNo();
        EXPECT_FALSE(app.InitGameData(record));
        EXPECT_EQ(RecordBytes(app.GetRoomInfo()), roomBefore);
        EXPECT_EQ(RecordBytes(app.GetSeat(0)), seat0Before);
        EXPECT_EQ(RecordBytes(app.GetLooker(0)), looker0Before);
        EXPECT_EQ(app.GetTableNo(), tableBefore);
    }

    TestFrameApp app;
};

TEST_F(LaunchRecordTest, SeatsGoToTheirChairsAndLookersToSlotsInOrder) {
    ASSERT_TRUE(app.InitGameData(TypicalLaunch().Build()));
    EXPECT_EQ(app.GetChairUserID(0), 4000);
    EXPECT_EQ(app.GetChairUserID(1), 0);
    EXPECT_EQ(app.GetChairUserID(2), kOwnId);
    EXPECT_EQ(app.GetChairUserID(3), 4003);
    EXPECT_EQ(app.GetLooker(0).userId, 6000);
    EXPECT_EQ(app.GetTablePlayerCount(), 3);
    EXPECT_EQ(app.GetTableNo(), 7);
    EXPECT_EQ(app.GetRoomID(), 300);
    EXPECT_EQ(app.GetAreaName(), "成都");
    EXPECT_EQ(app.GetRoomName(), "新手房");
    EXPECT_EQ(app.GetMyChairNo(), kOwnChair);
}

TEST_F(LaunchRecordTest, LeftOutUsersAreSkippedOnlyWithFlag64AndNotFlag2) {
    auto build = [](int32_t flags) {
        LaunchRecordBuilder builder = TypicalLaunch();
        builder.room.flags = flags;
        builder.seats[0].state = UserRecord::kStateLeftOut;
        builder.seats[1].state = UserRecord::kStateLeftOut;  // the own record is kept
        return builder.Build();
    };
    ASSERT_TRUE(app.InitGameData(build(RoomInfo::kFlagSkipLeftOut)));
    EXPECT_EQ(app.GetChairUserID(0), 0);
    EXPECT_EQ(app.GetChairUserID(2), kOwnId);
    EXPECT_EQ(app.GetTablePlayerCount(), 2);

    TestFrameApp other;
    other.SetLaunchFields(OwnLaunch());
    ASSERT_TRUE(
        other.InitGameData(build(RoomInfo::kFlagSkipLeftOut | RoomInfo::kFlagNoForcedExit)));
    EXPECT_EQ(other.GetChairUserID(0), 4000);
    TestFrameApp plain;
    plain.SetLaunchFields(OwnLaunch());
    ASSERT_TRUE(plain.InitGameData(build(0)));
    EXPECT_EQ(plain.GetChairUserID(0), 4000);
}

TEST_F(LaunchRecordTest, HallTextsUpToTheFirstEmptyField) {
    LaunchRecordBuilder builder = TypicalLaunch();
    builder.hallText = "新手|学徒||不读";
    ASSERT_TRUE(app.InitGameData(builder.Build()));
    EXPECT_EQ(app.GetHallText(0), "新手");
    EXPECT_EQ(app.GetHallText(1), "学徒");
    EXPECT_EQ(app.GetHallText(2), "");
    EXPECT_EQ(app.GetHallText(3), "");
}

TEST_F(LaunchRecordTest, HallTextWithoutZeroStaysWithinItsBlock) {
    LaunchRecordBuilder builder = TypicalLaunch();
    builder.hallText = std::string(360, 'x');
    builder.roomList = {RoomListEntry{.roomId = 77}};
    ASSERT_TRUE(app.InitGameData(builder.Build()));
    EXPECT_EQ(app.GetHallText(0), std::string(360, 'x'));
    ASSERT_EQ(app.GetRoomList().size(), 1u);
    EXPECT_EQ(app.GetRoomList()[0].roomId, 77);
}

TEST_F(LaunchRecordTest, RoomListWithAndWithoutHallTextOnlyOnAMatchingCount) {
    LaunchRecordBuilder builder = TypicalLaunch();
    builder.roomList = {RoomListEntry{.roomId = 299}, RoomListEntry{.roomId = 300},
                        RoomListEntry{.roomId = 301}};
    builder.roomListMode = 1;
    ASSERT_TRUE(app.InitGameData(builder.Build()));
    ASSERT_EQ(app.GetRoomList().size(), 3u);
    EXPECT_EQ(app.GetRoomList()[2].roomId, 301);
    EXPECT_EQ(app.GetRoomListMode(), 1);

    builder.hallText = "甲|乙";
    TestFrameApp withText;
    withText.SetLaunchFields(OwnLaunch());
    ASSERT_TRUE(withText.InitGameData(builder.Build()));
    EXPECT_EQ(withText.GetRoomList().size(), 3u);
    EXPECT_EQ(withText.GetHallText(1), "乙");

    builder.roomListHeaderSent = 2;
    TestFrameApp mismatched;
    mismatched.SetLaunchFields(OwnLaunch());
    ASSERT_TRUE(mismatched.InitGameData(builder.Build()));
    EXPECT_TRUE(mismatched.GetRoomList().empty());
}

TEST_F(LaunchRecordTest, WrongOwnRecordIsRejected) {
    LaunchRecordBuilder missing = TypicalLaunch();
    missing.seats.erase(missing.seats.begin() + 1);
    ExpectRefused(missing.Build());

    LaunchRecordBuilder lookOn = TypicalLaunch();
    lookOn.seats[1].lookOn = 1;
    ExpectRefused(lookOn.Build());

    LaunchRecordBuilder otherChair = TypicalLaunch();
    otherChair.seats[1].chairNo = 1;
    ExpectRefused(otherChair.Build());
}

TEST_F(LaunchRecordTest, OwnLookerOnRecordIsAccepted) {
    app.SetLaunchFields(OwnLaunch(1));
    LaunchRecordBuilder builder = TypicalLaunch();
    builder.seats.erase(builder.seats.begin() + 1);
    builder.lookers.push_back(MakeLaunchUser(kOwnId, kOwnChair, "自己", 1));
    ASSERT_TRUE(app.InitGameData(builder.Build()));
    EXPECT_TRUE(app.IsUserLookingOn(kOwnId));
}

TEST_F(LaunchRecordTest, RecordCutShortAtEveryBoundaryIsRefused) {
    LaunchRecordBuilder builder = TypicalLaunch();
    builder.hallText = "甲|乙";
    builder.roomList = {RoomListEntry{.roomId = 300}};
    const std::vector<uint8_t> whole = builder.Build();
    const size_t users = 620 + 320 * 4;
    for (size_t cut :
         {size_t{0}, size_t{443}, size_t{444}, size_t{619}, size_t{620}, size_t{620 + 319},
          users - 1, users, users + 359, users + 360, users + 360 + 127, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        ExpectRefused(std::vector<uint8_t>(whole.begin(), whole.begin() + long(cut)));
    }
    EXPECT_TRUE(app.InitGameData(whole));
}

TEST_F(LaunchRecordTest, CountsPastTheBytesAreRefused) {
    for (int32_t count : {4, 1000, 0x7FFFFFFF, -1}) {
        SCOPED_TRACE(count);
        LaunchRecordBuilder seats = TypicalLaunch();
        seats.seatCountSent = count;
        ExpectRefused(seats.Build());
    }
    for (int32_t count : {2, 1000, 0x7FFFFFFF, -5}) {
        SCOPED_TRACE(count);
        LaunchRecordBuilder lookers = TypicalLaunch();
        lookers.lookerCountSent = count;
        ExpectRefused(lookers.Build());
    }
    for (int32_t count : {2, 1000, 0x7FFFFFFF}) {
        SCOPED_TRACE(count);
        LaunchRecordBuilder rooms = TypicalLaunch();
        rooms.roomList = {RoomListEntry{.roomId = 300}};
        rooms.roomListCountSent = count;
        rooms.roomListHeaderSent = count;
        ExpectRefused(rooms.Build());
    }
}

TEST_F(LaunchRecordTest, ChairsOutsideTheTableAreDropped) {
    LaunchRecordBuilder builder = TypicalLaunch();
    builder.seats.push_back(MakeLaunchUser(4008, 8, "八"));
    builder.seats.push_back(MakeLaunchUser(4009, -1, "负"));
    ASSERT_TRUE(app.InitGameData(builder.Build()));
    EXPECT_EQ(app.FindUser(4008), nullptr);
    EXPECT_EQ(app.FindUser(4009), nullptr);
    EXPECT_EQ(app.GetTablePlayerCount(), 3);
}

TEST_F(LaunchRecordTest, SixtyFiveLookersKeepSixtyFourAndTheListAfterThem) {
    LaunchRecordBuilder builder = TypicalLaunch();
    builder.lookers.clear();
    for (int i = 0; i < 65; ++i) {
        builder.lookers.push_back(MakeLaunchUser(7000 + i, 0, "看", 1));
    }
    builder.roomList = {RoomListEntry{.roomId = 300}};
    ASSERT_TRUE(app.InitGameData(builder.Build()));
    EXPECT_EQ(app.GetLooker(63).userId, 7063);
    EXPECT_EQ(app.FindUser(7064), nullptr);
    ASSERT_EQ(app.GetRoomList().size(), 1u);
    EXPECT_EQ(app.GetRoomList()[0].roomId, 300);
}

TEST_F(LaunchRecordTest, NamesWithoutTheirZeroAreReadWithinTheirFields) {
    LaunchRecordBuilder builder = TypicalLaunch();
    builder.seats[0].name.fill('N');
    builder.seats[0].secondName.fill('S');
    builder.seats[0].sex = 0x41414141;
    ASSERT_TRUE(app.InitGameData(builder.Build()));
    EXPECT_EQ(app.GetChairUserName(0), std::string(32, 'N'));
    EXPECT_EQ(app.GetChairDisplayName(0), std::string(32, 'N') + "[" + std::string(16, 'S') + "]");
}

TEST_F(LaunchRecordTest, LookupsPreferSeatsButHighlightPrefersLookers) {
    LaunchRecordBuilder builder = TypicalLaunch();
    builder.seats[0].flags = UserRecord::kFlagMember;
    UserRecord both = MakeLaunchUser(4000, 0, "重复", 1);
    both.flags = UserRecord::kFlagHighlighted;
    both.extraValue = 99;
    builder.lookers.push_back(both);
    builder.seats[2].extraValue = 55;
    SetFieldText(builder.seats[2].secondName, "小丙");
    ASSERT_TRUE(app.InitGameData(builder.Build()));

    ASSERT_NE(app.FindUser(4000), nullptr);
    EXPECT_EQ(app.FindUser(4000)->lookOn, 0);
    EXPECT_FALSE(app.IsUserLookingOn(4000));
    EXPECT_TRUE(app.IsUserLookingOn(6000));
    EXPECT_TRUE(app.IsHighlightedUser(4000));
    EXPECT_TRUE(app.IsMemberUser(4000));
    EXPECT_FALSE(app.IsHighlightedUser(4003));
    EXPECT_FALSE(app.IsHighlightedUser(1));
    EXPECT_EQ(app.GetUserExtraValue(4003), 55);
    EXPECT_EQ(app.GetUserChairNo(4003), 3);
    EXPECT_EQ(app.GetUserChairNo(1), -1);
    EXPECT_EQ(app.GetUserDisplayName(4003), "丙[小丙]");
    EXPECT_EQ(app.GetUserDisplayName(4000), "甲");
    EXPECT_EQ(app.GetChairDisplayName(1), "");
    EXPECT_EQ(app.GetMatchSeatValue(0), -1);
    EXPECT_EQ(app.GetSeat(8).userId, 0);
}

TEST(MatchTableTest, PlayersAreBoundedByTheBlockAndBecomeSeats) {
    TestFrameApp app;
    LaunchFields launch = OwnLaunch();
    app.SetLaunchFields(launch);
    MatchTableHeader header;
    header.roomId = 900;
    header.matchValue = 12;
    header.tableNo = 4;
    header.playerCount = 9;
    std::vector<uint8_t> block(MatchTableHeader::kSize + 2 * MatchPlayerRecord::kSize + 100);
    WriteRecord(header, block);
    MatchPlayerRecord own;
    own.userId = kOwnId;
    own.score = 321;
    own.onlineSeconds = 600;
    SetFieldText(own.name, "选手");
    WriteRecord(own, std::span(block).subspan(MatchTableHeader::kSize + MatchPlayerRecord::kSize));
    EXPECT_EQ(app.SetMatchTable(block), 1);
    EXPECT_EQ(app.GetRoomID(), 900);
    EXPECT_EQ(app.GetMatchValue(), 12);
    EXPECT_EQ(app.GetTableNo(), 4);
    EXPECT_EQ(app.GetTablePlayerCount(), 2);
    EXPECT_EQ(app.GetMyChairNo(), 1);
    EXPECT_EQ(app.GetSeat(1).score, 321);
    EXPECT_EQ(app.GetSeat(1).chairNo, 1);
    EXPECT_EQ(app.GetChairUserName(1), "选手");
    EXPECT_EQ(app.GetSeat(2).userId, 0);

    EXPECT_EQ(app.SetMatchTable(std::span(block).first(100)), 1);  // short: ignored
    EXPECT_EQ(app.GetTablePlayerCount(), 2);
}

TEST(MatchTableTest, SingleMatchInfoReadsWord74OnlyWhenPresent) {
    TestFrameApp app;
    ObservedFrameView view;
    app.AttachFrameView(&view);
    std::vector<uint8_t> reply(82 * 4, 0);
    ZepWireWriter(std::span(reply).subspan(67 * 4)).WriteI32(600);  // room class
    ZepWireWriter(std::span(reply).subspan(74 * 4)).WriteI32(1234);
    app.OnSingleMatchInfo(reply);
    EXPECT_TRUE(app.IsFinalMatchRoom());
    auto player = RecordBytes(app.GetMatchPlayer(0));
    EXPECT_EQ(WordAt(player, 264), 1234);
    EXPECT_EQ(view.Count("OnMatchSignedUp"), 1);

    TestFrameApp shortReply;
    shortReply.OnSingleMatchInfo(std::span(reply).first(70 * 4));
    EXPECT_EQ(WordAt(RecordBytes(shortReply.GetMatchPlayer(0)), 264), 0);
    EXPECT_TRUE(shortReply.IsMatchRoom());
    app.DetachFrameView();
}

}  // namespace
