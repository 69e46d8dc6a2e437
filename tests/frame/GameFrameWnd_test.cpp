#include "frame/GameFrameWnd.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "frame/HallRecords.h"
#include "frame/LaunchRecordBuilder.h"
#include "frame/web/BrowserJob.h"
#include "platform/Browser.h"
#include "platform/ExportedWindows.h"
#include "platform/Files.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/platform/LoopbackHttpServer.h"

namespace {

constexpr int32_t kOwnUser = 12345;
constexpr int32_t kOwnTable = 7;
constexpr int32_t kOwnChair = 2;
constexpr int32_t kGameId = 30;
constexpr int32_t kNoticeRoom = 5;

// The hall in this process: only its existence matters here.
class HallWindow : public platform::Window {
public:
    HallWindow() {
        platform::RegisterWindowClass(kHallWindowClass);
        Create(kHallWindowClass);
    }
    ~HallWindow() override { Destroy(); }
};

class GameFrameWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("frame_wnd_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ / "links");
        std::filesystem::permissions(folder_ / "links", std::filesystem::perms::owner_all);
        setenv(platform::kWindowFolderVariable, (folder_ / "links").c_str(), 1);
        platform::SetProgramFolderForTesting(folder_.string() + "/");

        app = std::make_unique<TestFrameApp>();
        LaunchFields fields;
        fields.gameId = kGameId;
        fields.hallWindow = static_cast<int32_t>(hall.Id());
        fields.userId = kOwnUser;
        fields.tableNo = kOwnTable;
        fields.chairNo = kOwnChair;
        app->SetLaunchFields(fields);
        int proxyFailed = 0;
        app->connection.ConnectServer("test", "127.0.0.1", 1, proxyFailed);
        app->connection.calls.clear();
        app->SetWaitDisplayFactory(RecordingWaitDisplay::Factory(display));
        ASSERT_TRUE(app->StartCommThread());
        app->AttachFrameView(&view);
        wnd = std::make_unique<CGameFrameWnd>();
        ASSERT_EQ(wnd->Create("游戏", 0, 0, {}, 0), 1);
        app->SetMainWindow(wnd->Id());
        app->RegisterGameWindow(wnd->Id());
    }
    void TearDown() override {
        wnd.reset();
        app->DetachFrameView();
        app.reset();
        platform::SetProgramFolderForTesting({});
        unsetenv(platform::kWindowFolderVariable);
        std::filesystem::remove_all(folder_);
    }

    // The launch record of the own seat (and the room's texts and notice host).
    std::vector<uint8_t> LaunchRecord(const std::string& noticeHost = "127.0.0.1") {
        LaunchRecordBuilder builder;
        builder.room.roomId = 300;
        builder.room.noticeRoomNo = kNoticeRoom;
        SetFieldText(builder.room.areaName, "成都");
        SetFieldText(builder.room.roomName, "新手房");
        SetFieldText(builder.room.noticeHost, noticeHost);
        builder.table.tableNo = kOwnTable;
        builder.seats = {MakeLaunchUser(kOwnUser, kOwnChair, "自己"),
                         MakeLaunchUser(222, 0, "对家")};
        return builder.Build();
    }

    // Sends a hall record enciphered, as cbData bytes of the cipher text.
    void SendEnciphered(uintptr_t dwData, std::span<const uint8_t> plain, int64_t cbData = -1) {
        const std::vector<uint8_t> cipher = EncipherHallRecord(plain);
        platform::CopyDataRecord record;
        record.dwData = dwData;
        record.cbData = static_cast<uint32_t>(cbData >= 0 ? cbData : int64_t(plain.size()));
        record.lpData = cipher.data();
        ASSERT_LE(record.cbData, cipher.size());
        platform::SendMessage(wnd->Id(), platform::kMsgCopyData, hall.Id(),
                              reinterpret_cast<platform::LParam>(&record));
    }
    void Launch(const std::string& noticeHost = "127.0.0.1") {
        const auto record = LaunchRecord(noticeHost);
        const size_t whole = (record.size() + 15) / 16 * 16;
        SendEnciphered(kHallDataLaunch, record, int64_t(whole));
        ASSERT_TRUE(PumpUntil([&] { return view.Count("OnGameDataReady") == 1; }, 5000));
    }
    void SendUser(uintptr_t dwData, int32_t userId, int64_t cbData = -1) {
        const auto bytes = RecordBytes(MakeLaunchUser(userId, -1, "旁观", 1));
        SendEnciphered(dwData, bytes, cbData);
    }
    void SendPlayerLeft(int32_t hallWindow, int32_t table, int32_t chair, int64_t cbData = -1) {
        HallPlayerLeftRecord left{hallWindow, 222, table, chair};
        SendEnciphered(kHallDataPlayerLeft, RecordBytes(left), cbData);
    }
    void Notify(uint32_t code, uint32_t connectionId, std::string data = "abc") {
        const auto [info, message] = MakeNotification(code, connectionId, std::move(data));
        platform::SendMessage(wnd->Id(), WM_ZEP_SOCKET, info, message);
    }
    std::string NoticeFile() const {
        return (folder_ / "temp" /
                (std::to_string(kNoticeRoom) + "_" + std::to_string(kGameId) + ".txt"))
            .string();
    }
    std::string ReadFile(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path folder_;
    HallWindow hall;
    std::shared_ptr<WaitDisplayLog> display = std::make_shared<WaitDisplayLog>();
    ObservedFrameView view;
    std::unique_ptr<TestFrameApp> app;
    std::unique_ptr<CGameFrameWnd> wnd;
};

TEST_F(GameFrameWndTest, HallRecordsAreDecipheredAndRouted) {
    Launch();
    EXPECT_EQ(view.subSystem.bars["AdvertBar"]->advertPagesLoaded, 1);
    EXPECT_EQ(app->GetChairUserID(kOwnChair), kOwnUser);

    SendUser(kHallDataAddLooker, 777);
    EXPECT_EQ(view.Count("ForwardLookOnEnter"), 1);
    EXPECT_TRUE(app->IsUserLookingOn(777));
    EXPECT_EQ(app->GetTableInfo().lookerCount, 1);

    SendUser(kHallDataShowPlayer, 222);
    EXPECT_EQ(view.Count("FillPlayerDetail"), 1);
    EXPECT_EQ(view.Count("PlacePlayerCardAt"), 1);
    SendUser(kHallDataShowPlayer, 222);
    EXPECT_EQ(view.Count("FillPlayerDetail"), 2);

    const size_t calls = view.calls.size();
    SendEnciphered(kHallDataNoAction, std::vector<uint8_t>(16, 9));
    SendEnciphered(kHallDataSignAnswer, std::vector<uint8_t>(272, 1));
    EXPECT_EQ(view.calls.size(), calls);
}

TEST_F(GameFrameWndTest, RecordsOfTheWrongLengthAreRefused) {
    Launch();
    for (int64_t cbData : {0, 15, 100, 304}) {
        SendUser(kHallDataAddLooker, 777, cbData);
        SendUser(kHallDataShowPlayer, 777, cbData);
    }
    SendPlayerLeft(int32_t(hall.Id()), kOwnTable, 0, 8);
    EXPECT_EQ(view.Count("ForwardLookOnEnter"), 0);
    EXPECT_EQ(view.Count("FillPlayerDetail"), 0);
    EXPECT_FALSE(app->IsUserLookingOn(777));
    EXPECT_EQ(app->connection.Count("LeaveTable"), 0);

    // A launch record that is not whole blocks changes nothing.
    const auto record = LaunchRecord();
    SendEnciphered(kHallDataLaunch, record, int64_t(record.size()));
    EXPECT_FALSE(PumpUntil([&] { return view.Count("OnGameDataReady") == 2; }, 100));
}

TEST_F(GameFrameWndTest, TheSixtyFifthLookerOnIsDropped) {
    Launch();
    for (int32_t i = 0; i < 65; ++i) {
        SendUser(kHallDataAddLooker, 1000 + i);
    }
    EXPECT_EQ(view.Count("ForwardLookOnEnter"), 64);
    EXPECT_TRUE(app->IsUserLookingOn(1063));
    EXPECT_FALSE(app->IsUserLookingOn(1064));
    EXPECT_EQ(app->GetTableInfo().lookerCount, 64);
}

TEST_F(GameFrameWndTest, APlayerLeavingOnlyCountsForTheOwnTableAndHall) {
    Launch();
    SendPlayerLeft(int32_t(hall.Id()), kOwnTable + 1, 0);
    SendPlayerLeft(int32_t(hall.Id()) + 1, kOwnTable, 0);
    EXPECT_EQ(app->connection.Count("LeaveTable"), 0);

    SendPlayerLeft(int32_t(hall.Id()), kOwnTable, 0);
    EXPECT_EQ(app->connection.calls.back(), "LeaveTable 222 0");
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (const auto& call : display->Calls()) {
                if (call == "show 对家已经退出,游戏结束。 3") {
                    return true;
                }
            }
            return false;
        },
        5000));

    wnd->SetCloseAfterPlayerLeft(false);
    SendPlayerLeft(int32_t(hall.Id()), kOwnTable, 0);
    EXPECT_EQ(app->connection.Count("LeaveTable"), 1);
}

TEST_F(GameFrameWndTest, TheGameEndsSoonAfterTheHallVanishes) {
    hall.Destroy();
    const uint32_t start = platform::GetTickCount32();
    bool quit = false;
    EXPECT_TRUE(PumpUntil([&] { return quit; }, 3000, &quit));
    EXPECT_LT(platform::GetTickCount32() - start, 1500u);
    // Ending without the window's close still closes the connection first.
    EXPECT_EQ(app->connection.Count("Close"), 0);
    app->ExitInstance();
    ASSERT_FALSE(app->connection.calls.empty());
    EXPECT_EQ(app->connection.calls.front(), "Close");
    EXPECT_EQ(app->GetCommThreadId(), 0u);
}

TEST_F(GameFrameWndTest, OfflineTheHallIsNotWatched) {
    app->SetOfflineMode(true);
    hall.Destroy();
    bool quit = false;
    EXPECT_FALSE(PumpUntil([&] { return quit; }, 1500, &quit));
}

TEST_F(GameFrameWndTest, NotificationsOfTheConnectionAreDispatched) {
    Launch();
    Notify(211040, 1, "hand");
    ASSERT_EQ(app->handler.notified.size(), 1u);
    EXPECT_EQ(app->handler.notified[0], std::make_pair(211040, size_t{4}));
    EXPECT_EQ(app->handler.recorded.size(), 1u);

    Notify(211040, 99);  // an earlier connection: freed, no effect
    EXPECT_EQ(app->handler.notified.size(), 1u);
    EXPECT_NE(wnd->GetLastActivity(), 0u);
}

TEST_F(GameFrameWndTest, AThrowingHandlerIsReportedAndTheLockIsFree) {
    Launch();
    app->handler.throwOnNotify = true;
    Notify(229160, 1, "12345678");
    EXPECT_EQ(app->connection.Count("ReportNotifyFailure 229160 8"), 1);
    EXPECT_EQ(app->handler.recorded.size(), 1u);
    platform::Event locked(platform::Event::Mode::ManualReset);
    platform::Thread other;
    other.Start([&] {
        wnd->GetCore()->Lock();
        wnd->GetCore()->Unlock();
        locked.Set();
    });
    EXPECT_TRUE(locked.Wait(2000));
    other.Join(2000);
}

TEST_F(GameFrameWndTest, ABrowserJobComesBackIsFreedAndTakesTheWaitTextDown) {
    platform::DefaultBrowser().Clear();
    const int alive = BrowserJob::Alive();
    app->OpenUrlInBrowser("http://web.example/page.htm", 0);
    ASSERT_TRUE(PumpUntil([&] { return BrowserJob::Alive() == alive; }, 5000));
    EXPECT_EQ(platform::DefaultBrowser().Opened(),
              std::vector<std::string>{"http://web.example/page.htm"});
    EXPECT_TRUE(PumpUntil(
        [&] {
            const auto calls = display->Calls();
            return !calls.empty() && calls.back() == "hide";
        },
        2000));
    EXPECT_EQ(display->Calls().front(), "show 正在打开http://web.example/page.htm... 15");
}

TEST_F(GameFrameWndTest, AShortRecordIsReportedAndTheConnectionStays) {
    Launch();
    app->handler.dispatch = true;
    Notify(211010, 1, "short");
    EXPECT_EQ(app->connection.Count("ReportNotifyFailure 211010 5"), 1);
    EXPECT_EQ(app->connection.Count("Close"), 0);
    // The next notification is handled as usual.
    Notify(211230, 1);
    EXPECT_EQ(app->connection.Count("ReportNotifyFailure"), 1);
    EXPECT_EQ(app->handler.recorded.size(), 2u);
}

TEST_F(GameFrameWndTest, ClosedOrBrokenConnectionsTellTheUser) {
    Launch();
    Notify(kZepNoticeClosed, 1);
    EXPECT_EQ(view.calls.back(), "ShowNoticeBox 与服务器连接断开。 30 49 ruv大哭");
    EXPECT_EQ(app->connection.Count("Close"), 1);
    EXPECT_FALSE(app->IsDisconnectedInGame());

    // Connected again, the game running, the connection breaks.
    int proxyFailed = 0;
    app->connection.ConnectServer("test", "127.0.0.1", 1, proxyFailed);
    app->SetGamePlaying();
    Notify(kZepNoticeError, 1);
    EXPECT_EQ(view.calls.back(),
              "ShowNoticeBox 断线了！请尽快重入房间续玩。\r\n\r\n您的位置【成都_新手房】。 30 49 "
              "ruv大哭");
    EXPECT_TRUE(app->IsDisconnectedInGame());
    EXPECT_TRUE(app->handler.notified.empty());
}

// The exit rules when the window is asked to close.
class CloseRulesTest : public GameFrameWndTest {
protected:
    void Relaunch(int32_t lookOn, int32_t options, int32_t flags) {
        LaunchFields fields = app->GetLaunchFields();
        fields.lookOn = lookOn;
        fields.roomOptions = options;
        fields.roomFlags = flags;
        app->SetLaunchFields(fields);
    }
    bool Close() {
        const platform::WindowId id = wnd->Id();
        platform::SendMessage(id, platform::kMsgClose, 0, 0);
        return !platform::IsWindow(id);
    }
};

TEST_F(CloseRulesTest, ALookerOnLeavesAtOnce) {
    Relaunch(1, 0, 0);
    app->connection.script.queryInGame = 1;
    EXPECT_TRUE(Close());
    EXPECT_EQ(app->connection.Count("QueryInGame"), 0);
    EXPECT_EQ(app->connection.Count("LeaveGame 12345 2"), 1);
    EXPECT_EQ(app->GetCommThreadId(), 0u);
}

TEST_F(CloseRulesTest, NotInAGameLeavesUnlessTheServerRefuses) {
    app->connection.script.leaveText = "现在不能离开";
    app->connection.script.leaveGame = 1;
    EXPECT_FALSE(Close());
    EXPECT_EQ(view.calls.back(), "ShowInfoBox 现在不能离开 5 0 ");
    app->connection.script.leaveText.clear();
    app->connection.script.leaveGame = 0;
    EXPECT_TRUE(Close());
    EXPECT_EQ(app->connection.Count("LeaveGame"), 2);
}

TEST_F(CloseRulesTest, AnExitRequestTenSecondsAgoLeavesTwentyToWait) {
    app->connection.script.queryInGame = 1;
    app->SetGamePlaying();
    app->tableData.SetExitRequestTick(platform::GetTickCount32() - 10000);
    EXPECT_FALSE(Close());
    ASSERT_EQ(view.subSystem.chatLines.size(), 1u);
    EXPECT_NE(view.subSystem.chatLines[0].find("(20秒)"), std::string::npos);
    EXPECT_EQ(app->connection.Count("LeaveGame"), 0);
}

TEST_F(CloseRulesTest, ARunningGameAsksFirst) {
    app->connection.script.queryInGame = 1;
    EXPECT_FALSE(Close());
    EXPECT_EQ(app->panels->Count("made force-quit box"), 1);

    Relaunch(0, 0, 2);  // no forced exit in this room
    EXPECT_FALSE(Close());
    EXPECT_EQ(view.calls.back().rfind("ShowInfoBox 游戏还没有结束", 0), 0u);
    EXPECT_EQ(view.lastOkEvent.event, kEventLeaveAndClose);

    Relaunch(0, 0x4000, 2);
    EXPECT_FALSE(Close());
    EXPECT_EQ(view.calls.back().rfind("ShowInfoBox 生命不息", 0), 0u);
    EXPECT_EQ(app->connection.Count("LeaveGame"), 0);
}

// Notice downloads from a loopback server; the local file holds "old".
class NoticeTest : public GameFrameWndTest {
protected:
    void Start(std::vector<ScriptedReply> replies) {
        server = std::make_unique<LoopbackHttpServer>(std::move(replies));
        Launch("127.0.0.1:" + std::to_string(server->Port()));
        std::filesystem::create_directories(folder_ / "temp");
        std::ofstream(NoticeFile(), std::ios::binary) << "old";
    }
    // One download to its report.
    void Fetch() {
        wnd->FetchGameNotice();
        ASSERT_TRUE(wnd->IsNoticeDownloadRunning());
        ASSERT_TRUE(PumpUntil([&] { return !wnd->IsNoticeDownloadRunning(); }, 10000));
    }
    std::vector<std::string> Notices() const { return view.subSystem.chatLines; }

    std::unique_ptr<LoopbackHttpServer> server;
};

TEST_F(NoticeTest, ANoticeIsShownAndItsFileDeleted) {
    Start({{HttpAnswer("200 OK", "<NOTIFY>今日公告")}});
    Fetch();
    EXPECT_EQ(Notices(), std::vector<std::string>{"<NOTIFY>今日公告"});
    EXPECT_FALSE(std::filesystem::exists(NoticeFile()));
    EXPECT_EQ(server->RequestLines(),
              std::vector<std::string>{"GET //notify/game/30.txt HTTP/1.1"});
}

TEST_F(NoticeTest, EveryFailureLeavesTheOldFileAndShowsNothing) {
    Start({{HttpAnswer("200 OK", "<notice>not ours")},
           {HttpAnswer("404 Not Found", "<notify>missing")},
           {HttpAnswer("200 OK", "<notif")},
           {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<notify>" + std::string(40, 'c')},
           {HttpAnswer("200 OK", "<notify>" + std::string(1024 * 1024, 'x'))}});
    for (int i = 0; i < 5; ++i) {
        Fetch();
        EXPECT_EQ(ReadFile(NoticeFile()), "old") << i;
    }
    EXPECT_TRUE(Notices().empty());
    EXPECT_EQ(server->RequestLines().size(), 5u);
}

TEST_F(NoticeTest, OneDownloadAtATime) {
    Start({{HttpAnswer("200 OK", "<notify>one")}, {HttpAnswer("200 OK", "<notify>two")}});
    wnd->FetchGameNotice();
    wnd->FetchGameNotice();
    ASSERT_TRUE(PumpUntil([&] { return !wnd->IsNoticeDownloadRunning(); }, 10000));
    EXPECT_EQ(Notices(), std::vector<std::string>{"<notify>one"});
    EXPECT_EQ(server->RequestLines().size(), 1u);
}

TEST_F(NoticeTest, TheWindowMayGoWhileADownloadRuns) {
    Start({{"HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n<notify>", true}});
    wnd->FetchGameNotice();
    ASSERT_TRUE(PumpUntil([&] { return !server->RequestLines().empty(); }, 5000));
    wnd.reset();
    server.reset();  // the download fails now and reports to no one
    for (int i = 0; i < 500 && NoticeDownloadJob::Alive() > 0; ++i) {
        platform::SleepMs(10);
    }
    EXPECT_EQ(NoticeDownloadJob::Alive(), 0);
    EXPECT_EQ(ReadFile(NoticeFile()), "old");
}

TEST(NoticeTextTest, TheMarkIsComparedOnlyWhenWhole) {
    EXPECT_TRUE(IsNoticeText("<notify>"));
    EXPECT_TRUE(IsNoticeText("<NoTiFy>x"));
    EXPECT_FALSE(IsNoticeText("<notif"));
    EXPECT_FALSE(IsNoticeText(""));
    EXPECT_FALSE(IsNoticeText("<notice>"));
}

}  // namespace

namespace {

TEST_F(CloseRulesTest, TheQuitBoardsOkLeavesARunningMatchOnce) {
    app->match = true;
    app->SetMatchPhase(500);
    EXPECT_FALSE(Close());
    EXPECT_EQ(app->connection.Count("LeaveGame"), 0);

    const platform::WindowId id = wnd->Id();
    view.OnEvent(MakeEventRecord(view.GetId(), kEventCloseWindow, 0, 0));
    EXPECT_TRUE(PumpUntil([&] { return !platform::IsWindow(id); }, 2000));
    EXPECT_EQ(app->connection.Count("LeaveGame"), 1);
    EXPECT_EQ(app->GetCommThreadId(), 0u);
}

TEST_F(CloseRulesTest, AConfirmedLeaveClosesWithoutAskingOrLeavingAgain) {
    app->connection.script.queryInGame = 1;
    const platform::WindowId id = wnd->Id();
    view.OnEvent(MakeEventRecord(view.GetId(), kEventConfirmLeave, 0, 0));
    EXPECT_TRUE(PumpUntil([&] { return !platform::IsWindow(id); }, 2000));
    EXPECT_EQ(app->connection.Count("LeaveGame"), 1);
    EXPECT_EQ(app->connection.Count("QueryInGame"), 0);
}

TEST_F(CloseRulesTest, ALeaveTheServerRefusesKeepsTheWindowAndAsksAgainLater) {
    app->match = true;
    app->SetMatchPhase(500);
    app->connection.script.leaveText = "比赛中不能离开";
    app->connection.script.leaveGame = 1;
    view.OnEvent(MakeEventRecord(view.GetId(), kEventCloseWindow, 0, 0));
    PumpUntil([&] { return app->connection.Count("LeaveGame") == 1; }, 2000);
    EXPECT_TRUE(platform::IsWindow(wnd->Id()));
    EXPECT_EQ(view.calls.back(), "ShowInfoBox 比赛中不能离开 5 0 ");
    // The confirmation was used up: the next close shows the board again.
    EXPECT_FALSE(Close());
    EXPECT_EQ(app->connection.Count("LeaveGame"), 1);
}

}  // namespace
