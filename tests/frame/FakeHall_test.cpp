#include "tools/fake_hall/FakeHall.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "frame/FrameFunctions.h"
#include "frame/net/GameConnection.h"
#include "frame/web/WebUrlCommand.h"
#include "platform/ExportedWindows.h"
#include "platform/Profile.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/platform/ScopedEnv.h"

namespace {

namespace fs = std::filesystem;
using fakehall::FakeHall;
using fakehall::HallEvent;
using fakehall::ScriptStep;

constexpr uint32_t kWaitMs = 5000;
constexpr int32_t kOwnId = 12345;
constexpr int32_t kOwnChair = 1;
constexpr int32_t kTable = 7;
constexpr uint32_t kStop = platform::kMsgApp + 1;

// A short folder (socket paths are limited) of its own per test.
fs::path FreshFolder(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() /
                            ("pvbnfh" + std::to_string(std::hash<std::string>{}(name) % 100000) +
                             "_" + std::to_string(platform::GetTickCount32()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

LaunchFields OwnLaunch() {
    LaunchFields fields;
    fields.gameId = 30;
    fields.serverHost = "127.0.0.1";
    fields.hallRoomId = 300;
    fields.userId = kOwnId;
    fields.tableNo = kTable;
    fields.chairNo = kOwnChair;
    fields.gameName = "血战麻将";
    fields.serverPort = 4567;
    return fields;
}

LaunchRecordBuilder OwnTable() {
    LaunchRecordBuilder builder;
    builder.room.roomId = 300;
    builder.room.hallId = 7;
    SetFieldText(builder.room.roomName, "测试房间");
    builder.table.tableNo = kTable;
    UserRecord own = MakeLaunchUser(kOwnId, kOwnChair, "自己");
    own.score = 50;
    builder.seats = {MakeLaunchUser(4000, 0, "甲"), own, MakeLaunchUser(4003, 3, "丙")};
    builder.lookers = {MakeLaunchUser(6000, 0, "看客", 1)};
    builder.roomListMode = 0;
    builder.roomList = {RoomListEntry{.roomId = 300, .scoreLower = 0, .scoreUpper = 100},
                        RoomListEntry{.roomId = 301, .scoreLower = 10, .scoreUpper = 1000}};
    return builder;
}

// The client's side: its frame window and the window that takes sign answers
// live on a thread of their own, as the UI thread and the communication
// thread would; every record the hall sends is kept deciphered.
class ClientSide {
public:
    struct Received {
        uintptr_t dwData;
        uint32_t cbData;
        std::vector<uint8_t> plain;  // empty when it did not decipher
    };

    explicit ClientSide(TestFrameApp& app) : app_(app) {
        platform::RegisterWindowClass("FakeHallTestClient");
        platform::Event ready(platform::Event::Mode::ManualReset);
        thread_.StartWithQueue([this, &ready] {
            Window window(*this);
            window.Create("FakeHallTestClient");
            platform::ExportWindow(window.Id(), {});
            id_ = window.Id();
            ready.Set();
            platform::Message message;
            while (platform::GetMessage(message) && message.id != kStop) {
                platform::DispatchMessage(message);
            }
        });
        ready.Wait();
    }
    ~ClientSide() {
        platform::PostThreadMessage(thread_.Id(), kStop, 0, 0);
        thread_.Join(kWaitMs);
    }
    platform::WindowId Id() const { return id_; }

    // Waits until `count` records arrived.
    std::vector<Received> WaitForRecords(size_t count) {
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait_for(guard, std::chrono::milliseconds(kWaitMs),
                          [&] { return received_.size() >= count; });
        return received_;
    }
    std::optional<bool> LaunchResult() {
        WaitForRecords(1);
        std::lock_guard<std::mutex> guard(lock_);
        return launchResult_;
    }

private:
    class Window : public platform::Window {
    public:
        explicit Window(ClientSide& side) : side_(side) {}
        ~Window() override { Destroy(); }
        platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                     platform::LParam lParam) override {
            if (id == platform::kMsgCopyData) {
                side_.Take(*reinterpret_cast<const platform::CopyDataRecord*>(lParam));
                return 1;
            }
            return platform::Window::WindowProc(id, wParam, lParam);
        }

    private:
        ClientSide& side_;
    };

    void Take(const platform::CopyDataRecord& record) {
        const auto* data = static_cast<const uint8_t*>(record.lpData);
        const std::span<const uint8_t> bytes(data, record.cbData);
        if (record.dwData == kHallDataSignAnswer) {
            app_.OnHallSignAnswer(bytes);
        }
        const auto plain = DecipherHallRecord(bytes);
        std::optional<bool> launched;
        if (record.dwData == kHallDataLaunch && plain) {
            launched = matchExpected ? app_.InitMatchData(*plain) : app_.InitGameData(*plain);
        }
        std::lock_guard<std::mutex> guard(lock_);
        if (launched) {
            launchResult_ = launched;
        }
        received_.push_back({record.dwData, record.cbData, plain.value_or(std::vector<uint8_t>{})});
        changed_.notify_all();
    }

public:
    std::atomic<bool> matchExpected{false};

private:
    TestFrameApp& app_;
    platform::Thread thread_;
    std::atomic<platform::WindowId> id_{0};
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<Received> received_;
    std::optional<bool> launchResult_;
};

class FakeHallTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        windows_.emplace(platform::kWindowFolderVariable, (folder_ / "windows").string());
        system_.emplace("PVBN_SYSTEM_FOLDER", folder_.string());
        options.launch = OwnLaunch();
        options.launchRecord = OwnTable();
        options.exePath = "/opt/hall/bin/hall";
    }
    void TearDown() override {
        hall.reset();
        client.reset();
        fs::remove_all(folder_);
    }
    void StartHall() {
        hall = std::make_unique<FakeHall>(options);
        ASSERT_TRUE(hall->Start());
        client = std::make_unique<ClientSide>(app);
        app.SetCommandLine(hall->LaunchLine());
        ASSERT_TRUE(app.ParseLaunchCommandLine());
        app.SetSignAnswerWindow(client->Id());
        app.SetMainWindow(client->Id());
    }

    fakehall::FakeHallOptions options;
    TestFrameApp app;
    std::unique_ptr<FakeHall> hall;
    std::unique_ptr<ClientSide> client;
    fs::path folder_;
    std::optional<ScopedEnv> windows_;
    std::optional<ScopedEnv> system_;
};

TEST_F(FakeHallTest, TheLaunchLineNamesTheHallAndTheServerAndExePathIsWritten) {
    ASSERT_NO_FATAL_FAILURE(StartHall());
    LaunchFields fields;
    EXPECT_EQ(ParseLaunchLine(hall->LaunchLine(), fields), 15);
    EXPECT_EQ(app.GetHallWnd(), hall->Window());
    EXPECT_EQ(app.GetServerPort(), 4567);
    EXPECT_EQ(app.GetServerHost(), "127.0.0.1");
    EXPECT_EQ(app.GetUserID(), kOwnId);
    EXPECT_EQ(app.GetGameName(), "血战麻将");
    EXPECT_EQ(GetHallExePath(), "/opt/hall/bin/hall");
    // Other processes find it by its class.
    EXPECT_EQ(platform::FindWindowByClass("GameHallFrame"), hall->Window());
}

TEST_F(FakeHallTest, TheProxyIsWrittenWhereTheClientReadsItsHallSettings) {
    fs::create_directories(folder_ / "hall");
    options.exePath = (folder_ / "hall" / "hall").string();
    options.proxy = fakehall::ParseHallProxy("http:proxy.example:8080:ann:se:cret");
    ASSERT_TRUE(options.proxy);
    ASSERT_NO_FATAL_FAILURE(StartHall());
    CGameConnection connection;
    connection.ReadProxySettings(app.GetHallIniFile().c_str());
    EXPECT_EQ(connection.GetProxyNeed(), 1);
    EXPECT_EQ(connection.GetProxyType(), 4);
    EXPECT_EQ(connection.GetProxyHost(), "proxy.example");
    EXPECT_EQ(connection.GetProxyPort(), 8080);
    char text[64] = {};
    platform::GetPrivateProfileString("PROXY", "pwd", "", text, sizeof text,
                                      app.GetHallIniFile().c_str());
    EXPECT_STREQ(text, "se:cret");
}

TEST_F(FakeHallTest, RegisteringBringsTheLaunchRecordTheClientReadsAsBuilt) {
    ASSERT_NO_FATAL_FAILURE(StartHall());
    app.RegisterGameWindow(client->Id());
    const auto registered = hall->WaitForEvent(HallEvent::Kind::Registered, kWaitMs);
    ASSERT_TRUE(registered);
    EXPECT_EQ(registered->message, fakehall::kMsgRegisterGame);
    EXPECT_EQ(registered->wParam, client->Id());
    ASSERT_EQ(client->LaunchResult(), std::optional<bool>(true));
    const auto sent = hall->WaitForEvent(HallEvent::Kind::LaunchSent, kWaitMs);
    ASSERT_TRUE(sent);
    EXPECT_TRUE(sent->delivered);
    const auto received = client->WaitForRecords(1);
    EXPECT_EQ(received[0].cbData % 16, 0u);

    const LaunchRecordBuilder built = OwnTable();
    EXPECT_EQ(app.GetTableNo(), kTable);
    EXPECT_EQ(app.GetMyChairNo(), kOwnChair);
    for (const UserRecord& seat : built.seats) {
        EXPECT_EQ(RecordBytes(app.GetSeat(seat.chairNo)), RecordBytes(seat));
    }
    EXPECT_EQ(RecordBytes(app.GetLooker(0)), RecordBytes(built.lookers[0]));
    ASSERT_EQ(app.GetRoomList().size(), 2u);
    EXPECT_EQ(app.GetRoomList()[1].roomId, 301);
    EXPECT_EQ(app.GetRoomName(), "测试房间");
}

TEST_F(FakeHallTest, WhatTheClientSendsIsRecordedDeciphered) {
    ASSERT_NO_FATAL_FAILURE(StartHall());
    app.RegisterGameWindow(client->Id());
    ASSERT_EQ(client->LaunchResult(), std::optional<bool>(true));

    EXPECT_EQ(app.GetHallSign(), "fake-hall-sign");
    const auto query = hall->WaitForEvent(HallEvent::Kind::SignQuery, kWaitMs);
    ASSERT_TRUE(query);
    EXPECT_EQ(query->wParam, client->Id());
    EXPECT_NE(query->lParam, 0);
    EXPECT_TRUE(query->delivered);

    EXPECT_EQ(app.OpenUrlInHall("http://web.example/page?x=1", 5), 1);
    const auto url = hall->WaitForEvent(HallEvent::Kind::OpenUrl, kWaitMs);
    ASSERT_TRUE(url);
    EXPECT_EQ(FieldText(url->url->url), "http://web.example/page?x=1");
    EXPECT_EQ(url->url->flag, 5);
    EXPECT_EQ(url->url->userId, kOwnId);
    EXPECT_EQ(url->url->hallRoomId, 300);
    EXPECT_EQ(url->url->mainWindow, int32_t(client->Id()));

    EXPECT_EQ(app.SwitchToNextRoom(), 1);
    const auto moved = hall->WaitForEvent(HallEvent::Kind::SwitchRoom, kWaitMs);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->roomSwitch->targetRoomId, 301);
    EXPECT_EQ(moved->roomSwitch->hallRoomId, 300);
    EXPECT_EQ(moved->roomSwitch->chairNo, kOwnChair);

    app.NotifyHallLeaving(client->Id());
    app.SetDisconnectedInGame(true);
    app.NotifyHallLeaving(client->Id());
    const auto left = hall->WaitForEvent(HallEvent::Kind::Leave, kWaitMs);
    const auto leftAgain = hall->WaitForEvent(HallEvent::Kind::Leave, kWaitMs, 2);
    ASSERT_TRUE(left && leftAgain);
    EXPECT_EQ(left->message, kHallDataLeave);
    EXPECT_EQ(leftAgain->message, kHallDataLeaveDisconnected);
    EXPECT_EQ(left->leave->gameWindow, int32_t(client->Id()));
    EXPECT_EQ(left->leave->userId, kOwnId);
    EXPECT_EQ(left->leave->tableNo, kTable);
    EXPECT_EQ(left->leave->chairNo, kOwnChair);
    EXPECT_EQ(left->leave->gameId, 30);
    EXPECT_EQ(left->leave->roomId, 300);
    EXPECT_EQ(leftAgain->leave->disconnectedInGame, 1);
    EXPECT_EQ(left->Describe(),
              "leave data=2 window=" + std::to_string(client->Id()) +
                  " user=12345 table=7 chair=1 version=0 subversion=0 lookon=0 disconnected=0 "
                  "game=30 room=300");
}

TEST_F(FakeHallTest, AMatchClientGetsTheMatchForm) {
    ASSERT_NO_FATAL_FAILURE(StartHall());
    client->matchExpected = true;
    ASSERT_TRUE(
        platform::PostMessage(hall->Window(), fakehall::kMsgRegisterMatch, client->Id(), kOwnId));
    ASSERT_EQ(client->LaunchResult(), std::optional<bool>(true));
    EXPECT_EQ(client->WaitForRecords(1)[0].plain.size(), 2560u);
    EXPECT_EQ(app.GetMatchName(), "fake match");
    EXPECT_EQ(app.GetSeat(0).userId, 4000);
}

TEST_F(FakeHallTest, TheScriptRunsInOrderWithFaultyRecordsAndVanishes) {
    auto step = [](const char* text) { return *fakehall::ParseScriptStep(text); };
    options.script = {
        step("0:4:777:0:看客"),    step("10:6:4003:7:3"),        step("0:7:4003:3"), step("0:13"),
        step("0:4:778:0,cut=100"), step("0:6:4003:7:3,send=15"), step("0:vanish")};
    ASSERT_NO_FATAL_FAILURE(StartHall());
    app.RegisterGameWindow(client->Id());
    ASSERT_TRUE(hall->WaitForEvent(HallEvent::Kind::Vanished, kWaitMs));
    EXPECT_FALSE(platform::IsWindow(hall->Window()));
    EXPECT_FALSE(app.IsHallWindowAlive());

    const auto received = client->WaitForRecords(7);
    ASSERT_EQ(received.size(), 7u);
    const std::vector<uintptr_t> order = {1, 4, 6, 7, 13, 4, 6};
    const std::vector<uint32_t> sizes = {0, 320, 16, 320, 16, 112, 15};
    for (size_t i = 1; i < received.size(); ++i) {
        EXPECT_EQ(received[i].dwData, order[i]) << i;
        EXPECT_EQ(received[i].cbData, sizes[i]) << i;
    }
    UserRecord looker;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(received[1].plain), looker));
    EXPECT_EQ(looker.userId, 777);
    EXPECT_EQ(looker.lookOn, 1);
    EXPECT_EQ(FieldText(looker.name), "看客");
    EXPECT_EQ(WordAt(received[2].plain, 0), int32_t(hall->Window()));
    EXPECT_EQ(WordAt(received[2].plain, 4), 4003);
    EXPECT_EQ(WordAt(received[2].plain, 8), 7);
    EXPECT_EQ(WordAt(received[2].plain, 12), 3);
    EXPECT_TRUE(received[6].plain.empty());  // 15 bytes are no whole blocks
}

TEST_F(FakeHallTest, RecordsItCannotReadAreRefusedAndAnswered0) {
    ASSERT_NO_FATAL_FAILURE(StartHall());
    auto send = [&](uintptr_t dwData, std::vector<uint8_t> bytes) {
        platform::CopyDataRecord record{dwData, uint32_t(bytes.size()), bytes.data()};
        platform::LResult result = -1;
        EXPECT_TRUE(platform::SendMessageTimeout(hall->Window(), platform::kMsgCopyData, 1,
                                                 reinterpret_cast<platform::LParam>(&record),
                                                 kWaitMs, &result));
        return result;
    };
    EXPECT_EQ(send(kHallDataLeave, std::vector<uint8_t>(100)), 0);
    EXPECT_EQ(send(kHallDataOpenUrl, std::vector<uint8_t>(15)), 0);
    EXPECT_EQ(send(kHallDataOpenUrl, std::vector<uint8_t>(160)), 0);
    EXPECT_EQ(send(kHallDataSwitchRoom, {}), 0);
    EXPECT_EQ(send(99, std::vector<uint8_t>(16)), 0);
    EXPECT_EQ(send(kHallDataLeave, std::vector<uint8_t>(HallLeaveRecord::kSize)), 1);
    const auto events = hall->Events();
    ASSERT_EQ(events.size(), 6u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(events[i].kind, HallEvent::Kind::Refused) << i;
    }
    EXPECT_EQ(events[1].Describe(), "refused data=11 window=1 bytes=15");
}

TEST(FakeHallScriptTest, StepsAreReadStrictly) {
    const auto looker = fakehall::ParseScriptStep("500:4:777:2:看客");
    ASSERT_TRUE(looker);
    EXPECT_EQ(looker->kind, ScriptStep::Kind::AddLooker);
    EXPECT_EQ(looker->delayMs, 500u);
    EXPECT_EQ(looker->userId, 777);
    EXPECT_EQ(looker->chairNo, 2);
    EXPECT_EQ(looker->name, "看客");
    const auto left = fakehall::ParseScriptStep("0:6:1:2:3:99,cut=8,send=15");
    ASSERT_TRUE(left);
    EXPECT_EQ(left->kind, ScriptStep::Kind::PlayerLeft);
    EXPECT_EQ(left->tableNo, 2);
    EXPECT_EQ(left->chairNo, 3);
    EXPECT_EQ(left->hallWindow, 99);
    EXPECT_EQ(left->plainBytes, std::optional<uint32_t>(8));
    EXPECT_EQ(left->sentBytes, std::optional<uint32_t>(15));
    EXPECT_EQ(fakehall::ParseScriptStep("10:13")->kind, ScriptStep::Kind::NoAction);
    EXPECT_EQ(fakehall::ParseScriptStep("10:vanish")->kind, ScriptStep::Kind::Vanish);
    for (const char* bad : {"", "x:4:1:2", "-1:13", "5:4:1", "5:9", "5:13:extra", "5:4:1:2,cut=",
                            "5:4:1:2,foo=1", "5:6:1:2", "5:4:1:2:n:extra", "5:4:a:2"}) {
        EXPECT_FALSE(fakehall::ParseScriptStep(bad)) << bad;
    }
}

TEST(FakeHallScriptTest, ProxiesAreReadStrictly) {
    const auto socks4 = fakehall::ParseHallProxy("socks4:127.0.0.1:1080");
    ASSERT_TRUE(socks4);
    EXPECT_EQ(socks4->sock, 1);
    EXPECT_EQ(socks4->port, 1080);
    EXPECT_EQ(socks4->user, "");
    const auto socks5 = fakehall::ParseHallProxy("socks5:localhost:9050:ann");
    ASSERT_TRUE(socks5);
    EXPECT_EQ(socks5->sock, 3);
    EXPECT_EQ(socks5->host, "localhost");
    EXPECT_EQ(socks5->user, "ann");
    for (const char* bad : {"", "socks5", "socks5:h", "ftp:h:1", "socks5::1", "socks5:h:0",
                            "socks5:h:65536", "socks5:h:x"}) {
        EXPECT_FALSE(fakehall::ParseHallProxy(bad)) << bad;
    }
}

}  // namespace

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool HasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

// The hall program in one process starts the peer client in another; what
// the peer read comes back as the page it asks the hall to open.
TEST_F(FakeHallTest, TheProgramStartsTheClientAndRecordsWhatItDid) {
    const fs::path record = folder_ / "hall.txt";
    ASSERT_NE(platform::StartProgram(
                  FAKE_HALL_PROGRAM,
                  {"--client", HALL_CLIENT_PEER, "--port", "4567", "--table", "3", "--chair", "2",
                   "--players", "4", "--sign", "peer-sign", "--record", record.string(),
                   "--exe-path", "/opt/hall/hall", "--timeout", "30"}),
              0);
    std::string text;
    for (int i = 0; i < 3000 && text.find("\nend") == std::string::npos; ++i) {
        platform::SleepMs(10);
        text = ReadFile(record);
    }
    ASSERT_TRUE(HasLine(text, "end")) << text;
    const size_t at = text.find("hall window=");
    ASSERT_NE(at, std::string::npos) << text;
    const auto hallWindow = static_cast<platform::WindowId>(std::stoul(text.substr(at + 12)));
    const std::string hallId = std::to_string(hallWindow);
    EXPECT_TRUE(HasLine(text, "launch-line \"30|127.0.0.1|300|" + hallId +
                                  "|0|12345|3|2|0|0|血战麻将|4567|0|0|0\""))
        << text;
    EXPECT_NE(text.find("\nregister window="), std::string::npos) << text;
    // The launch record was delivered and the sign asked for; the client's
    // posts and copy-data sends reach the hall on their own connections, so
    // their lines may come in either order.
    EXPECT_NE(text.find(" bytes=1900 delivered=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nsign-query "), std::string::npos) << text;
    EXPECT_NE(
        text.find("flag=1 url=\"launched=1&chair=2&table=3&seated=4&port=4567&sign=peer-sign\""),
        std::string::npos)
        << text;
    EXPECT_NE(text.find(" user=12345 table=3 chair=2 version=0 subversion=0 lookon=0 "
                        "disconnected=0 game=30 room=300\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(GetHallExePath(), "/opt/hall/hall");
    // Once the program has ended its window is gone for the other processes.
    for (int i = 0; i < 200 && platform::IsWindow(hallWindow); ++i) {
        platform::SleepMs(10);
    }
    EXPECT_FALSE(platform::IsWindow(hallWindow));
}

}  // namespace

namespace {

// A player's details asked for (+4360) come back as that player's record
// (dwData 7); the web pages' hall links reach it as +1775 and +1776 with the
// user, and nothing else does.
TEST_F(FakeHallTest, PlayerDetailsAreAnsweredAndWebCommandsRecorded) {
    ASSERT_NO_FATAL_FAILURE(StartHall());
    app.RegisterGameWindow(client->Id());
    ASSERT_EQ(client->LaunchResult(), std::optional<bool>(true));

    ASSERT_TRUE(app.PostToHallFrame(fakehall::kMsgPlayerDetails, client->Id(), 4003));
    const auto details = hall->WaitForEvent(HallEvent::Kind::PlayerDetails, kWaitMs);
    ASSERT_TRUE(details);
    EXPECT_TRUE(details->delivered);
    EXPECT_EQ(details->Describe(),
              "player-details window=" + std::to_string(client->Id()) + " user=4003 delivered=1");
    const auto records = client->WaitForRecords(2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].dwData, kHallDataShowPlayer);
    UserRecord shown;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(records[1].plain), shown));
    EXPECT_EQ(shown.userId, 4003);
    EXPECT_EQ(FieldText(shown.name), "丙");

    // A user the launch does not know still gets a record of his own.
    ASSERT_TRUE(app.PostToHallFrame(fakehall::kMsgPlayerDetails, client->Id(), 777));
    ASSERT_TRUE(hall->WaitForEvent(HallEvent::Kind::PlayerDetails, kWaitMs, 2));
    const auto more = client->WaitForRecords(3);
    ASSERT_EQ(more.size(), 3u);
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(more[2].plain), shown));
    EXPECT_EQ(shown.userId, 777);

    // The page's hall links, as a browser hands them over.
    EXPECT_TRUE(CWebUrlCommand(0, "qelapp://ChangeClothing/").Handle());
    EXPECT_TRUE(CWebUrlCommand(0, "QELAPP://becomemember/").Handle());
    EXPECT_TRUE(CWebUrlCommand(0, "qelapp://memberclose/").Handle());  // not the hall's
    const auto second = hall->WaitForEvent(HallEvent::Kind::WebCommand, kWaitMs, 2);
    ASSERT_TRUE(second);
    const auto first = hall->WaitForEvent(HallEvent::Kind::WebCommand, kWaitMs, 1);
    EXPECT_EQ(first->Describe(), "change-clothing user=12345 lparam=0");
    EXPECT_EQ(second->Describe(), "become-member user=12345 lparam=0");
    EXPECT_FALSE(hall->WaitForEvent(HallEvent::Kind::WebCommand, 300, 3));
}

// The demo's hall knows the table server's robots as the table names them.
TEST_F(FakeHallTest, TheDemosHallAnswersARobotsDetailsWithItsName) {
    options.launchRecord = fakehall::MakeTableLaunchRecord(options.launch, 4, true);
    ASSERT_NO_FATAL_FAILURE(StartHall());
    app.RegisterGameWindow(client->Id());
    ASSERT_TRUE(app.PostToHallFrame(fakehall::kMsgPlayerDetails, client->Id(), 9000));
    ASSERT_TRUE(hall->WaitForEvent(HallEvent::Kind::PlayerDetails, kWaitMs));
    const auto records = client->WaitForRecords(2);
    ASSERT_EQ(records.size(), 2u);
    UserRecord shown;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(records[1].plain), shown));
    EXPECT_EQ(FieldText(shown.name), "机器人甲");
    EXPECT_EQ(shown.silver, 100000);
}

}  // namespace
