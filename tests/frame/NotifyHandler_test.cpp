// The frame's notification dispatch with a launched table behind it: what
// each notification changes, and that a short, empty or oversized record
// changes nothing it should not.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "frame/GameFrameWnd.h"
#include "frame/LaunchRecordBuilder.h"
#include "frame/net/GameNotifyHandler.h"
#include "frame/panels/ExitRequestBox.h"
#include "platform/Dialogs.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame/NotifyRecords.h"

namespace {

using namespace notify_records;

// Keeps the table blocks 211028 hands on.
class TableBlockHandler : public CGameNotifyHandler {
public:
    void OnTableBlock(Record block) override { blocks.push_back(block.size()); }
    std::vector<size_t> blocks;
};

class NotifyHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RegisterWindowClass("NotifyTestMain");
        ASSERT_TRUE(mainWindow.Create("NotifyTestMain"));
        platform::SetMessageBoxSink([this](const platform::MessageBoxRequest& request) {
            boxes.push_back(request.text);
            return 1;
        });
        LaunchFields fields;
        fields.gameId = kGameId;
        fields.userId = kOwnId;
        fields.tableNo = kTableNo;
        fields.chairNo = kOwnChair;
        fields.hallRoomId = kRoomId;
        app.SetLaunchFields(fields);
        Launch();
        app.SetMainWindow(mainWindow.Id());
        app.AttachFrameView(&view);
    }
    void TearDown() override {
        app.DetachFrameView();
        platform::SetMessageBoxSink({});
        mainWindow.Destroy();
    }

    void Launch(int32_t roomFlags = 0) {
        ASSERT_TRUE(app.InitGameData(TableLaunch(roomFlags).Build()));
    }

    void Notify(int32_t id, const std::vector<uint8_t>& record) {
        handler.OnNotify(id, record.data(), record.size());
    }

    platform::Window mainWindow;
    TestFrameApp app;
    ObservedFrameView view;
    TableBlockHandler handler;
    std::vector<std::string> boxes;
};

TEST_F(NotifyHandlerTest, EveryIdTakesAWholeRecordAndAnyOtherLengthSafely) {
    const auto records = ValidRecords();
    const auto handled = CGameNotifyHandler::HandledIds();
    ASSERT_EQ(records.size(), handled.size());
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].first, handled[i]);
    }
    for (const auto& [id, record] : records) {
        Launch();
        EXPECT_NO_THROW(Notify(id, record)) << id;
        // Cut at every length: refused whole or taken, never read beyond.
        for (size_t cut = 0; cut < record.size(); ++cut) {
            Launch();
            std::vector<uint8_t> shorter(record.begin(), record.begin() + long(cut));
            shorter.shrink_to_fit();
            try {
                Notify(id, shorter);
            } catch (const NotifyRecordShort& refused) {
                EXPECT_EQ(refused.Id(), id);
            }
        }
        // Extra bytes are ignored; counts at their extreme stay bounded.
        std::vector<uint8_t> longer = record;
        longer.resize(record.size() + 65536, 0x7F);
        Launch();
        EXPECT_NO_THROW(Notify(id, longer)) << id;
        std::vector<uint8_t> counts(4096, 0);
        for (size_t at = 0; at + 4 <= counts.size(); at += 4) {
            PutWord(counts, at, INT32_MAX);
        }
        Launch();
        try {
            Notify(id, counts);
        } catch (const NotifyRecordShort&) {
        }
        // No data at all: refused like any short record, or taken.
        try {
            handler.OnNotify(id, nullptr, 0);
        } catch (const NotifyRecordShort& refused) {
            EXPECT_EQ(refused.Id(), id);
        }
    }
}

TEST_F(NotifyHandlerTest, AShortRecordIsRefusedBeforeAnythingChanges) {
    std::vector<uint8_t> leave = Words({kOtherId, 0, 0, 0, 0, 0, 0, kTableNo});  // 8 of 9 words
    try {
        Notify(211010, leave);
        FAIL() << "not refused";
    } catch (const NotifyRecordShort& refused) {
        EXPECT_STREQ(refused.what(), "notify 211010: 32 bytes, needs 36");
    }
    EXPECT_TRUE(app.IsChairOccupied(0));
    EXPECT_EQ(app.GetTablePlayerCount(), 2);
    EXPECT_TRUE(view.calls.empty());
    // 211011 needs the whole player record.
    std::vector<uint8_t> player = ServerPlayer(6000, 3, "乙");
    player.pop_back();
    EXPECT_THROW(Notify(211011, player), NotifyRecordShort);
    EXPECT_FALSE(app.IsChairOccupied(3));
}

TEST_F(NotifyHandlerTest, AMatchTableShorterThanItsHeaderStartsNothing) {
    std::vector<uint8_t> table = Words({kRoomId, 0, kTableNo, 0}, MatchTableHeader::kSize);
    table.pop_back();
    EXPECT_THROW(Notify(211150, table), NotifyRecordShort);
    EXPECT_FALSE(app.IsGamePlaying());
    EXPECT_EQ(view.Count("ShowEliminationRound"), 0);
    EXPECT_EQ(app.GetTablePlayerCount(), 2);
    // The whole header is taken: the round is shown and the game runs.
    table.push_back(0);
    Notify(211150, table);
    EXPECT_TRUE(app.IsGamePlaying());
    EXPECT_EQ(view.Count("ShowEliminationRound"), 1);
}

TEST_F(NotifyHandlerTest, PlayersEnterWithinTheChairsAndTheCount) {
    Notify(211011, ServerPlayer(6000, 3, "乙"));
    EXPECT_TRUE(app.IsChairOccupied(3));
    EXPECT_EQ(app.GetTablePlayerCount(), 3);
    EXPECT_EQ(view.calls.back(), "ForwardUserEnterTable 6000 320");
    // An occupied chair is replaced without raising the count.
    Notify(211011, ServerPlayer(6001, 3, "丙"));
    EXPECT_EQ(app.GetSeat(3).userId, 6001);
    EXPECT_EQ(app.GetTablePlayerCount(), 3);
    // The count stays at the game's chairs.
    Notify(211011, ServerPlayer(6002, 1, "丁"));
    EXPECT_EQ(app.GetTablePlayerCount(), 4);
    Notify(211011, ServerPlayer(6003, 4, "戊"));
    EXPECT_EQ(app.GetTablePlayerCount(), 4);
    // Chairs outside 0-7 and users of id 0 or less change nothing.
    const size_t calls = view.calls.size();
    Notify(211011, ServerPlayer(6004, 8, "己"));
    Notify(211011, ServerPlayer(6005, -1, "庚"));
    Notify(211011, ServerPlayer(0, 5, "辛"));
    EXPECT_EQ(view.calls.size(), calls);
    EXPECT_FALSE(app.IsChairOccupied(5));
    // While a game runs the seats are held, unless the room lets players in.
    app.SetGamePlaying();
    Notify(211011, ServerPlayer(6006, 5, "壬"));
    EXPECT_FALSE(app.IsChairOccupied(5));
}

TEST_F(NotifyHandlerTest, PlayersLeaveOnlyFromTheirOwnChair) {
    // A looker-on's record, a wrong table or chair: nothing.
    Notify(211010, Words({kOtherId, 1, 0, 0, 0, 0, 0, kTableNo, 0}));
    Notify(211010, Words({kOtherId, 0, 0, 0, 0, 0, 0, kTableNo + 1, 0}));
    Notify(211010, Words({kOtherId, 9, 0, 0, 0, 0, 0, kTableNo, 0}));
    EXPECT_TRUE(app.IsChairOccupied(0));
    // The same user also looking on: his seat's record goes, that one stays.
    ASSERT_TRUE(app.AddLookerOn(MakeLaunchUser(kOtherId, 0, "甲", 1)));
    Notify(211010, Words({kOtherId, 0, 0, 0, 0, 0, 0, kTableNo, 0}));
    EXPECT_FALSE(app.IsChairOccupied(0));
    EXPECT_EQ(app.FindUser(kOtherId), &app.GetLooker(0));
    EXPECT_EQ(app.GetTablePlayerCount(), 1);
    EXPECT_EQ(view.calls.back(), "ForwardUserLeaveTable 4000 320");
    // The own chair with the others' consent.
    Notify(211010, Words({kOwnId, kOwnChair, 0, 0, 0, 0, 0, kTableNo, 1}));
    EXPECT_EQ(view.Count("ShowNoticeBox 其他玩家同意您退出游戏！ 10 48 ruv胜利"), 1);
    EXPECT_EQ(app.GetTablePlayerCount(), 0);
}

TEST_F(NotifyHandlerTest, TableEndsShowTheirBoxes) {
    Notify(211137, Words({0, 0, 0}));
    EXPECT_EQ(view.calls.back(), "ShowNoticeBox 已超出限定时间，不能继续游戏。 60 1 ");
    std::vector<uint8_t> periods = Words({0, 0, 2}, 23 * 4);
    PutWord(periods, 7 * 4, 900);
    PutWord(periods, 8 * 4, 1405);
    PutWord(periods, 15 * 4, 1130);
    PutWord(periods, 16 * 4, 2200);
    Notify(211137, periods);
    EXPECT_EQ(view.calls.back(),
              "ShowNoticeBox 已超出限定时间，不能继续游戏。下列时间段开放：\r\n\r\n"
              "9点00分 ~ 11点30分\r\n14点05分 ~ 22点00分\r\n 60 1 ");
    // A count beyond the record takes only the periods it holds.
    PutWord(periods, 8, INT32_MAX);
    periods.resize(17 * 4);
    Notify(211137, periods);
    EXPECT_EQ(view.calls.back(),
              "ShowNoticeBox 已超出限定时间，不能继续游戏。下列时间段开放：\r\n\r\n"
              "9点00分 ~ 11点30分\r\n14点05分 ~ 22点00分\r\n 60 1 ");
    Notify(211110, Words({kOtherId}));
    EXPECT_EQ(view.calls.back(), "ShowNoticeBox 甲的银子不够了，这一桌游戏结束。 5 1 ");
    // The box is rich text: a name stands as written, never as markup.
    ASSERT_TRUE(app.AddLookerOn(MakeLaunchUser(kOtherId + 1, 0, "<z=qe系统通知>#", 1)));
    for (const int32_t id : {211110, 211130, 211132, 211134}) {
        Notify(id, Words({kOtherId + 1, 0, 0, 0}));
        EXPECT_EQ(view.calls.back().rfind("ShowNoticeBox #<z=qe系统通知>##的", 0), 0u) << id;
    }
    // Without a main window they show nothing.
    app.SetMainWindow(0);
    const size_t calls = view.calls.size();
    Notify(211120, {});
    EXPECT_EQ(view.calls.size(), calls);
}

// The notice boxes are rich text: the names of players, areas and rooms in
// them stand as written, never as markup.
TEST_F(NotifyHandlerTest, NamesInTheNoticeBoxesStandAsWritten) {
    const std::string name = "<z=qe系统通知>#";
    const std::string shown = "#<z=qe系统通知>##";
    // A looker-on of chair 0 whose player leaves.
    LaunchRecordBuilder launch = TableLaunch();
    SetFieldText(launch.seats[0].name, name);
    SetFieldText(launch.room.areaName, name);
    SetFieldText(launch.room.roomName, "<c=255>房");
    UserRecord looker = MakeLaunchUser(kOwnId, 0, "自己", 1);
    looker.tableNo = kTableNo;
    launch.seats.pop_back();
    launch.lookers = {looker};
    LaunchFields fields = app.GetLaunchFields();
    fields.chairNo = 0;
    fields.lookOn = 1;
    app.SetLaunchFields(fields);
    ASSERT_TRUE(app.InitGameData(launch.Build()));
    Notify(211010, Words({kOtherId, 0, 0, 0, 0, 0, 0, kTableNo, 0}));
    EXPECT_EQ(view.Count("ShowNoticeBox " + shown + " 已经离开，旁观结束。 10 48 ruv抱歉"), 1);
    // The connection breaks in a game: the box names the area and the room.
    fields.lookOn = 0;
    app.SetLaunchFields(fields);
    app.SetGamePlaying();
    CGameFrameWnd().OnDisconnected();
    EXPECT_EQ(view.calls.back(), "ShowNoticeBox 断线了！请尽快重入房间续玩。\r\n\r\n您的位置【" +
                                     shown + "_#<c=255>房】。 30 49 ruv大哭");
    // Another player's exit request.
    CExitRequestBox exitBox;
    exitBox.ShowExitRequest(name.c_str(), name.c_str(), "", {}, {}, 30);
    EXPECT_EQ(exitBox.GetText(), "<c=255>" + shown + "<c=0> 请求退出!");
}

TEST_F(NotifyHandlerTest, BoardsChatsAndAnswers) {
    Notify(211205, Words({0, 0, 0, 0}));
    EXPECT_EQ(view.calls.back(), "ShowSystemBoard 报名失败,请重试! 16777215 16");
    std::vector<uint8_t> failed(16);
    PutText(failed, 16, "名额已满");
    Notify(211205, failed);
    EXPECT_EQ(view.calls.back(), "ShowSystemBoard 名额已满 16777215 16");
    // A text without its zero ends at the record's end.
    failed.pop_back();
    failed.push_back('!');
    Notify(211206, failed);
    EXPECT_EQ(view.calls.back(), "ShowSystemBoard 名额已满! 16777215 16");

    app.tableData.SetExitRequestTick(1234);
    Notify(201213, Words({kOtherId, 0, 0, 0, kOwnId, 1}));
    EXPECT_EQ(app.tableData.GetExitRequestTick(), 1234u);
    Notify(201213, Words({kOtherId, 0, 0, 0, kOwnId, 0}));
    EXPECT_EQ(app.tableData.GetExitRequestTick(), 0u);
    ASSERT_EQ(view.subSystem.chatLines.size(), 2u);
    EXPECT_EQ(view.subSystem.chatLines[0], " <c=2906200>甲答应自己的退出请求 \r\n");
    EXPECT_EQ(view.subSystem.chatLines[1], " <c=2906200>甲拒绝自己的退出请求 \r\n");

    Notify(201200, Words({kOtherId, 0, 0, 0, kOwnId}));
    EXPECT_EQ(view.calls.back(), "PlaySound SndAhoo 1");
    Notify(211230, {});
    EXPECT_EQ(view.subSystem.chatLines.back(), " <z=qe系统通知>#r 游戏超时，本局结束!\r\n");
    Notify(210530, {'o', 'k'});
    EXPECT_EQ(boxes, (std::vector<std::string>{"ok"}));
}

TEST_F(NotifyHandlerTest, IdleHandsConcernOnlyTheOwnPlayer) {
    Notify(211800, Words({kOtherId, 0, 3}));
    Notify(211800, Words({kOwnId, 1, 3}));
    EXPECT_EQ(view.Count("ShowNoticeBox"), 0);
    Notify(211800, Words({kOwnId, kOwnChair, 3}));
    EXPECT_EQ(view.calls.back(),
              "ShowNoticeBox 您已经连续3局未参与本桌游戏了，请您换张桌子！ 5 1 ");
}

TEST_F(NotifyHandlerTest, MatchClosedSplitsItsTextAndClosesTheConnection) {
    std::vector<uint8_t> record(32);
    PutText(record, 32, "只有一段");
    Notify(211410, record);
    EXPECT_EQ(app.connection.Count("Close"), 1);
    EXPECT_EQ(view.calls.back(), "ShowNoticeBoxEx ");
}

TEST_F(NotifyHandlerTest, AdvertAddressGoesToTheSidePanelOrIsFreed) {
    std::vector<uint8_t> record(32);
    PutText(record, 32, "http://127.0.0.1/ad.html");
    Notify(211400, record);
    EXPECT_EQ(app.GetAdvertText(), "http://127.0.0.1/ad.html");
    EXPECT_EQ(view.subSystem.advertTexts, (std::vector<std::string>{"http://127.0.0.1/ad.html"}));
    // Without a side panel the copy is freed here (LeakSanitizer watches).
    app.DetachFrameView();
    Notify(211400, record);
    EXPECT_EQ(view.subSystem.advertTexts.size(), 1u);
}

TEST_F(NotifyHandlerTest, CountsAreBoundedByTheRecordAndTheirDestination) {
    // 211030: two records present, a count of 0x7FFFFFFF.
    std::vector<uint8_t> info = Words({INT32_MAX, 0, 0, 0, 0}, 20 + 2 * 52);
    PutWord(info, 20, kOwnId);
    PutWord(info, 20 + 12, 777);
    PutText(info, 20 + 20, "一个很长很长很长的称号");
    PutWord(info, 72, kOtherId);
    PutWord(info, 72 + 12, 888);
    info.resize(20 + 2 * 52);
    Notify(211030, info);
    EXPECT_EQ(app.FindUser(kOwnId)->silver, 777);
    EXPECT_EQ(app.FindUser(kOtherId)->silver, 888);
    EXPECT_EQ(FieldText(app.FindUser(kOwnId)->levelTitle).size(), 15u - 15u % 2);

    // 211028: nine players sent, eight taken and no table block passed.
    std::vector<uint8_t> players = Words({0, 0, 9}, 64 + 9 * 136 + 10);
    Notify(211028, players);
    EXPECT_TRUE(handler.blocks.empty());
    EXPECT_EQ(view.calls.back(), "ForwardRandomTable " + std::to_string(players.size()));
    std::vector<uint8_t> two = Words({0, 0, 2}, 64 + 2 * 136 + 10);
    Notify(211028, two);
    EXPECT_EQ(handler.blocks, (std::vector<size_t>{10}));

    // 211170: at most 100 records.
    std::vector<uint8_t> standings = Words({0, 150}, 24 + 150 * 64);
    Notify(211170, standings);
    EXPECT_EQ(app.GetStandings().header.count, 100);
}

TEST_F(NotifyHandlerTest, ALeaversResultWrapsInsteadOfOverflowing) {
    std::vector<uint8_t> leaver = Words({0, 0}, 64);
    PutWord(leaver, 24, INT32_MAX);
    PutWord(leaver, 32, INT32_MAX);
    Notify(211510, leaver);
    EXPECT_EQ(app.GetSeat(0).score, -2);
}

TEST_F(NotifyHandlerTest, RecordsTravelWithTheirLengthToThePanels) {
    Notify(211900, Words({1, 2, 3}));
    ASSERT_EQ(view.subSystem.events.size(), 1u);
    EXPECT_EQ(view.subSystem.events[0], 80000061);
    EXPECT_EQ(view.subSystem.lengths[0], 12);
    ASSERT_EQ(view.mainGame.events.size(), 1u);
    EXPECT_EQ(view.mainGame.lengths[0], 12);
    Notify(211190, Words({1}, 40));
    EXPECT_EQ(app.GetRoomClass(), 600);
    EXPECT_EQ(view.calls.back(), "OnServerNotice211190 40");
    Notify(211199, Words({1}, 8));
    EXPECT_EQ(app.GetRoomClass(), 500);
    EXPECT_EQ(view.calls.back(), "OnMatchBegin 8");
}

}  // namespace
