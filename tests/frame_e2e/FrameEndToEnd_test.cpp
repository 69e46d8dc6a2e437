// The whole road with three programs' worth of parts: the fake hall and the
// test server in this process, the test client of the frame library in its
// own. The hall starts nothing itself here: the test starts the client with
// the hall's launch line so it can see the client's exit status.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "frame/LaunchRecordBuilder.h"
#include "frame/net/FrameRequests.h"
#include "platform/ExportedWindows.h"
#include "platform/Files.h"
#include "platform/Sync.h"
#include "tests/platform/ScopedEnv.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientRun.h"
#include "tests/window/XServer.h"
#include "tools/fake_hall/FakeHall.h"
#include "tools/test_server/FrameScript.h"

namespace fs = std::filesystem;
using fakehall::HallEvent;
using fakehall::ScriptStep;

namespace {

constexpr int32_t kOwnUser = 12345;
constexpr int32_t kOtherUser = 222;
constexpr int32_t kTable = 3;
constexpr int32_t kChair = 1;
constexpr uint32_t kWaitMs = 20000;
// The test skin's colours (0x00BBGGRR).
constexpr uint32_t kTopColor = 0x804020;
constexpr uint32_t kBorderColor = 0x306010;
constexpr uint32_t kTableColor = 0x203040;
constexpr uint32_t kCloseColor = 0x0000f0;
constexpr uint32_t kFitColor = 0x00f000;
constexpr uint32_t kMinimizeColor = 0xf00000;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

int Occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

uint32_t NowMs() {
    return platform::GetTickCount32();
}

class FrameEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        run_ = std::make_unique<test_support::ClientRun>(FRAME_TEST_CLIENT);
        ASSERT_TRUE(run_->Ok()) << run_->Error();
        folder_ = run_->Root();
        // The hall runs in this process: it finds the link and settings
        // folders of the run in this process's environment while the test
        // lasts. The client is given them with the rest of its environment.
        hallLinks_.emplace(platform::kWindowFolderVariable, run_->LinkFolder().string());
        hallSystem_.emplace(platform::kSystemFolderVariable, run_->SystemFolder().string() + "/");

        testserver::FrameScript::Options scriptOptions;
        scriptOptions.onRequest = [this](const testserver::FrameScript::Recorded& request) {
            std::lock_guard<std::mutex> guard(lock_);
            requestTimes_.emplace_back(request.id, NowMs());
            // The launch record goes out in answer to the registration.
            if (request.id == frame_requests::kEnterGame && hall_ &&
                hall_->WaitForEvent(HallEvent::Kind::Registered, 0)) {
                enterAfterRegistration_ = true;
            }
        };
        script_ = std::make_unique<testserver::FrameScript>(server_, scriptOptions);
        ASSERT_TRUE(server_.Start());

        fakehall::FakeHallOptions options;
        LaunchFields& launch = options.launch;
        launch.gameId = 30;
        launch.serverHost = "127.0.0.1";
        launch.hallRoomId = 300;
        launch.userId = kOwnUser;
        launch.tableNo = kTable;
        launch.chairNo = kChair;
        launch.gameName = "血战麻将";
        launch.roomFlags = RoomFlags();
        launch.serverPort = server_.Port();
        LaunchRecordBuilder& record = options.launchRecord;
        record.room.roomId = 300;
        record.room.flags = RoomFlags();
        SetFieldText(record.room.areaName, "成都");
        SetFieldText(record.room.roomName, "新手房");
        record.table.tableNo = kTable;
        record.seats = {MakeLaunchUser(kOtherUser, 0, "对家"),
                        MakeLaunchUser(kOwnUser, kChair, "自己")};
        options.exePath = (run_->HallFolder() / "hall").string();
        {
            // The server's thread reads the hall in the request observer.
            std::lock_guard<std::mutex> guard(lock_);
            hall_ = std::make_unique<fakehall::FakeHall>(std::move(options));
        }
        ASSERT_TRUE(hall_->Start());
    }
    // The room's flags in the launch line and record.
    virtual int32_t RoomFlags() const { return 0; }
    void TearDown() override {
        client_.Stop();
        // The server's thread stops before the hall and the script it calls go.
        server_.Stop();
        hall_.reset();
        script_.reset();
        hallSystem_.reset();
        hallLinks_.reset();
        if (run_) {
            EXPECT_TRUE(run_->SanitizerReports().empty()) << run_->CheckEnded(0).message();
        }
    }

    bool StartClient(const std::string& display = "") {
        test_support::ChildOptions options;
        // The run's folders and sanitizer reports, and the test client's own
        // (a client it starts again inherits them).
        options.environment = run_->Environment();
        options.environment.push_back("PVBN_TEST_CLIENT_FOLDER=" + run_->ProgramFolder().string());
        options.environment.push_back("PVBN_TEST_CLIENT_RECORD=" +
                                      (folder_ / "client.txt").string());
        if (!display.empty()) {
            options.environment.push_back("DISPLAY=" + display);
            options.environment.push_back("SDL_VIDEODRIVER=x11");
            // SDL's X libraries keep a few allocations to the end.
            for (std::string& entry : options.environment) {
                if (entry.rfind("ASAN_OPTIONS=", 0) == 0) {
                    entry += ":detect_leaks=0";
                }
            }
        }
        options.environment.insert(options.environment.end(), clientEnvironment_.begin(),
                                   clientEnvironment_.end());
        options.unset = {"PVBN_TEST_CLIENT_RELAUNCH", "PVBN_TEST_CLIENT_SKIN"};
        options.logFile = (folder_ / "client.out").string();
        return client_.Start({run_->Program().string(), hall_->LaunchLine()}, options);
    }
    // Waits for the client to end; its exit status, or -1 at the time-out.
    int WaitForClientExit(uint32_t timeoutMs) {
        const uint32_t start = NowMs();
        while (client_.Running()) {
            if (NowMs() - start > timeoutMs) {
                return -1;
            }
            platform::SleepMs(20);
        }
        return client_.ExitStatus();
    }
    std::string ClientRecord() const { return ReadFile(folder_ / "client.txt"); }
    // The view double's calls, in order.
    std::vector<std::string> ViewCalls() const {
        std::vector<std::string> calls;
        for (const std::string& line : Lines(ClientRecord())) {
            const size_t at = line.find(" view ");
            if (at != std::string::npos) {
                calls.push_back(line.substr(at + 6));
            }
        }
        return calls;
    }
    bool WaitForViewCall(const std::string& call, uint32_t timeoutMs) {
        const uint32_t start = NowMs();
        while (NowMs() - start < timeoutMs) {
            const auto calls = ViewCalls();
            if (std::find(calls.begin(), calls.end(), call) != calls.end()) {
                return true;
            }
            platform::SleepMs(20);
        }
        return false;
    }
    std::string ClientLog() const {
        std::string text;
        for (const auto& entry : fs::directory_iterator(run_->ProgramFolder())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("Game2", 0) == 0 && entry.path().extension() == ".log") {
                text += ReadFile(entry.path());
            }
        }
        return text;
    }
    // When the request first came (the script tells of it just after it
    // recorded it); 0 when it has not come within a second.
    uint32_t RequestTime(uint32_t id) {
        for (int i = 0; i < 100; ++i) {
            {
                std::lock_guard<std::mutex> guard(lock_);
                for (const auto& [requestId, time] : requestTimes_) {
                    if (requestId == id) {
                        return time;
                    }
                }
            }
            platform::SleepMs(10);
        }
        return 0;
    }
    // Up to the enter request: the client connected, registered and read the
    // launch record.
    void StartAndEnter(const std::string& display = "") {
        ASSERT_TRUE(StartClient(display)) << client_.Error();
        ASSERT_TRUE(script_->WaitForCount(frame_requests::kEnterGame, 1, kWaitMs))
            << ReadFile(folder_ / "client.out");
        ASSERT_TRUE(WaitForViewCall("OnEnterResult210200", kWaitMs)) << ClientRecord();
    }
    ScriptStep Step(ScriptStep::Kind kind, int32_t userId = 0, int32_t chair = 0,
                    int32_t table = -1) {
        ScriptStep step;
        step.kind = kind;
        step.userId = userId;
        step.chairNo = chair;
        step.tableNo = table;
        step.name = "旁观者";
        return step;
    }

    std::unique_ptr<test_support::ClientRun> run_;
    fs::path folder_;  // the run's own
    std::optional<ScopedEnv> hallLinks_;
    std::optional<ScopedEnv> hallSystem_;
    // "NAME=value" for the client beyond the run's.
    std::vector<std::string> clientEnvironment_;
    testserver::TestGameServer server_;
    std::unique_ptr<testserver::FrameScript> script_;
    std::unique_ptr<fakehall::FakeHall> hall_;
    test_support::ChildProcess client_;
    std::mutex lock_;
    std::vector<std::pair<uint32_t, uint32_t>> requestTimes_;
    bool enterAfterRegistration_ = false;
};

TEST_F(FrameEndToEndTest, LaunchEnterHallRecordsAndLeaving) {
    ASSERT_NO_FATAL_FAILURE(StartAndEnter());

    // The channel greeting, then version, configuration, and the enter once
    // the launch record was in.
    // The greeting: its length word, then 21 bytes of text and its zero.
    const std::vector<uint8_t> greeting = server_.Greeting();
    const char kGreeting[] = "Hello! Game Channel.";
    ASSERT_EQ(greeting.size(), 4 + sizeof kGreeting);
    EXPECT_EQ(greeting[0], sizeof kGreeting);
    EXPECT_EQ(std::string(greeting.begin() + 4, greeting.end()),
              std::string(kGreeting, sizeof kGreeting));
    const std::vector<uint32_t> ids = script_->RequestIds();
    ASSERT_GE(ids.size(), 3u);
    EXPECT_EQ(ids[0], frame_requests::kCheckVersion);
    EXPECT_EQ(ids[1], frame_requests::kGetActiveConfig);
    EXPECT_EQ(ids[2], frame_requests::kEnterGame);
    {
        std::lock_guard<std::mutex> guard(lock_);
        EXPECT_TRUE(enterAfterRegistration_);
    }
    // The client took the launch record, and entered from the view once it
    // had read it.
    const auto launchSent = hall_->WaitForEvent(HallEvent::Kind::LaunchSent, kWaitMs);
    ASSERT_TRUE(launchSent);
    EXPECT_TRUE(launchSent->delivered);
    const std::vector<std::string> firstCalls = ViewCalls();
    ASSERT_GE(firstCalls.size(), 1u);
    EXPECT_EQ(firstCalls[0], "OnGameDataReady");
    // The enter reply went on to the table and the side panel.
    const std::string record = ClientRecord();
    EXPECT_EQ(Occurrences(record, " MainGame 80000011\n"), 1) << record;
    EXPECT_EQ(Occurrences(record, " SubSystem 80000011\n"), 1) << record;
    const auto registered = hall_->WaitForEvent(HallEvent::Kind::Registered, kWaitMs);
    ASSERT_TRUE(registered);
    EXPECT_EQ(registered->message, fakehall::kMsgRegisterGame);
    EXPECT_NE(registered->wParam, 0u);
    EXPECT_EQ(registered->wParam, hall_->ClientWindow());
    EXPECT_EQ(registered->lParam, kTable);

    // Looker-on, player card, nothing.
    EXPECT_TRUE(hall_->RunStep(Step(ScriptStep::Kind::AddLooker, 777, -1)));
    EXPECT_TRUE(hall_->RunStep(Step(ScriptStep::Kind::ShowPlayer, kOtherUser, 0)));
    EXPECT_TRUE(hall_->RunStep(Step(ScriptStep::Kind::NoAction)));
    // A player leaving another table changes nothing.
    EXPECT_TRUE(hall_->RunStep(Step(ScriptStep::Kind::PlayerLeft, kOtherUser, 0, kTable + 1)));
    const auto calls = ViewCalls();
    const auto entered = std::find(calls.begin(), calls.end(), "OnEnterResult210200");
    ASSERT_NE(entered, calls.end());
    EXPECT_EQ(
        std::vector<std::string>(entered + 1, calls.end()),
        (std::vector<std::string>{"ForwardLookOnEnter", "FillPlayerDetail", "PlacePlayerCardAt"}));
    EXPECT_FALSE(script_->WaitForCount(frame_requests::kLeaveTable, 1, 300));

    // A player leaving the own table: 201120 now, the close 3 s later.
    EXPECT_TRUE(hall_->RunStep(Step(ScriptStep::Kind::PlayerLeft, kOtherUser, 0)));
    ASSERT_TRUE(script_->WaitForCount(frame_requests::kLeaveTable, 1, kWaitMs));
    ASSERT_TRUE(script_->WaitForCount(frame_requests::kQueryInGame, 1, kWaitMs));
    ASSERT_TRUE(script_->WaitForCount(frame_requests::kLeaveGame, 1, kWaitMs));
    const uint32_t left = RequestTime(frame_requests::kLeaveTable);
    const uint32_t asked = RequestTime(frame_requests::kQueryInGame);
    EXPECT_GE(asked - left, 2900u);
    EXPECT_LE(asked - left, 6000u);
    EXPECT_GE(RequestTime(frame_requests::kLeaveGame), asked);

    const auto leave = hall_->WaitForEvent(HallEvent::Kind::Leave, kWaitMs);
    ASSERT_TRUE(leave);
    EXPECT_EQ(leave->message, kHallDataLeave);
    ASSERT_TRUE(leave->leave);
    EXPECT_EQ(leave->leave->tableNo, kTable);
    EXPECT_EQ(leave->leave->chairNo, kChair);
    EXPECT_EQ(leave->leave->userId, kOwnUser);

    EXPECT_EQ(WaitForClientExit(kWaitMs), 0) << ReadFile(folder_ / "client.out");
    const std::string log = ClientLog();
    EXPECT_EQ(Occurrences(log, "the communication thread started"), 1) << log;
    EXPECT_EQ(Occurrences(log, "the communication thread stopped"), 1) << log;
}

TEST_F(FrameEndToEndTest, TheClientQuitsSoonAfterTheHallVanishes) {
    ASSERT_NO_FATAL_FAILURE(StartAndEnter());
    const uint32_t start = NowMs();
    hall_->Vanish();
    EXPECT_EQ(WaitForClientExit(kWaitMs), 0);
    EXPECT_LT(NowMs() - start, 2000u);
    EXPECT_TRUE(server_.WaitForDisconnects(1, kWaitMs));
}

TEST_F(FrameEndToEndTest, ALostConnectionRelaunchesAClientThatRegistersAgain) {
    clientEnvironment_.push_back("PVBN_TEST_CLIENT_RELAUNCH=1");
    ASSERT_NO_FATAL_FAILURE(StartAndEnter());
    server_.CloseClient();
    EXPECT_EQ(WaitForClientExit(kWaitMs), 0);
    EXPECT_TRUE(server_.WaitForDisconnects(1, kWaitMs));

    // The new client: field 9 = 0, field 10 = 1; it registers and connects.
    const auto second = hall_->WaitForEvent(HallEvent::Kind::Registered, kWaitMs, 2);
    ASSERT_TRUE(second) << ClientRecord();
    EXPECT_NE(second->wParam, 0u);
    EXPECT_TRUE(server_.WaitForClients(2, kWaitMs));
    const std::string record = ClientRecord();
    EXPECT_NE(record.find(" launch lookon=0 relaunched=1 table=3 chair=1 "), std::string::npos)
        << record;
    // No leaving record for the relaunch; the new client leaves with the hall.
    EXPECT_FALSE(hall_->WaitForEvent(HallEvent::Kind::Leave, 0));
    hall_->Vanish();
    const std::string firstLine = Lines(record).front();
    const std::string firstPid = firstLine.substr(0, firstLine.find(' '));
    for (int i = 0; i < 200 && Occurrences(ClientRecord(), " exit 0") < 2; ++i) {
        platform::SleepMs(20);
    }
    EXPECT_EQ(Occurrences(ClientRecord(), " exit 0"), 2) << ClientRecord();
    EXPECT_EQ(Occurrences(ClientRecord(), firstPid + " launch"), 1);
}

// Leaving while the server says the game runs: the client asks, the player
// confirms through the box, and the client leaves. Flag 2 of the room
// forbids the forced exit.
class NoForcedExitTest : public FrameEndToEndTest {
protected:
    int32_t RoomFlags() const override { return 2; }
};

TEST_F(NoForcedExitTest, ARunningGameIsLeftAfterTheConfirmBox) {
    ASSERT_NO_FATAL_FAILURE(StartAndEnter());
    script_->SetGameRunning(true);
    EXPECT_TRUE(hall_->RunStep(Step(ScriptStep::Kind::PlayerLeft, kOtherUser, 0)));
    ASSERT_TRUE(script_->WaitForCount(frame_requests::kQueryInGame, 1, kWaitMs));
    ASSERT_TRUE(script_->WaitForCount(frame_requests::kLeaveGame, 1, kWaitMs)) << ClientRecord();
    EXPECT_GE(RequestTime(frame_requests::kLeaveGame), RequestTime(frame_requests::kQueryInGame));
    const auto leave = hall_->WaitForEvent(HallEvent::Kind::Leave, kWaitMs);
    ASSERT_TRUE(leave);
    ASSERT_TRUE(leave->leave);
    EXPECT_EQ(leave->leave->userId, kOwnUser);
    EXPECT_EQ(WaitForClientExit(kWaitMs), 0) << ReadFile(folder_ / "client.out");
    const std::string record = ClientRecord();
    EXPECT_EQ(Occurrences(record,
                          " box info 游戏还没有结束，现在退出要扣你分，还要扣你银子。确定退出吗？"),
              1)
        << record;
    // One ask, one leave: the window closed without asking again.
    EXPECT_EQ(script_->Count(frame_requests::kQueryInGame), 1u);
    EXPECT_EQ(script_->Count(frame_requests::kLeaveGame), 1u);
    EXPECT_FALSE(hall_->WaitForEvent(HallEvent::Kind::Leave, 0, 2));
}

TEST_F(FrameEndToEndTest, ARunningGameWithForcedExitSendsTheRequestAndStays) {
    ASSERT_NO_FATAL_FAILURE(StartAndEnter());
    script_->SetGameRunning(true);
    EXPECT_TRUE(hall_->RunStep(Step(ScriptStep::Kind::PlayerLeft, kOtherUser, 0)));
    ASSERT_TRUE(script_->WaitForCount(frame_requests::kQueryInGame, 1, kWaitMs));
    ASSERT_TRUE(script_->WaitForCount(frame_requests::kExitRequest, 1, kWaitMs)) << ClientRecord();
    const std::string record = ClientRecord();
    EXPECT_NE(record.find(" box force-quit 游戏还没结束，强退操作将扣除大量积分。"),
              std::string::npos)
        << record;
    // The reason the player typed, at byte 20 of the request.
    for (const auto& request : script_->Requests()) {
        if (request.id == frame_requests::kExitRequest) {
            ASSERT_GE(request.body.size(), 25u);
            EXPECT_EQ(std::string(request.body.begin() + 20, request.body.begin() + 25),
                      std::string("测试", 5));
        }
    }
    EXPECT_FALSE(script_->WaitForCount(frame_requests::kLeaveGame, 1, 500));
    EXPECT_TRUE(client_.Running());
    hall_->Vanish();
    EXPECT_EQ(WaitForClientExit(kWaitMs), 0);
}

// "#RRGGBB" of a colour 0x00BBGGRR.
std::string HexColor(uint32_t color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", color & 0xff, (color >> 8) & 0xff,
                  (color >> 16) & 0xff);
    return text;
}

// Whether a screenshot's "RRGGBB" shows the colour 0x00BBGGRR; a picture
// blended onto another may lose one step of each channel.
bool Shows(const std::string& hex, uint32_t color) {
    if (hex.size() != 6) {
        return false;
    }
    const uint32_t shown = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
    for (int channel = 0; channel < 3; ++channel) {
        const int a = static_cast<int>((shown >> (16 - 8 * channel)) & 0xff);
        const int b = static_cast<int>((color >> (8 * channel)) & 0xff);
        if (a > b || a < b - 1) {
            return false;
        }
    }
    return true;
}

// A real display: Xvfb, the client on SDL's X11 driver with a skin the test
// draws, a screenshot of the root window read back at the chrome's places.
TEST_F(FrameEndToEndTest, UnderXvfbTheViewPaintsItsSkinAtTheWorkArea) {
    const fs::path skin = folder_ / "skin";
    fs::create_directories(skin);
    const struct {
        const char* name;
        const char* size;
        uint32_t color;
    } pictures[] = {{"Frame_Top", "10x30", kTopColor},       {"Frame_Left", "5x8", kBorderColor},
                    {"Frame_Right", "5x8", kBorderColor},    {"TablePatten", "64x64", kTableColor},
                    {"btnFrameClose", "20x16", kCloseColor}, {"btnFrameFit", "18x16", kFitColor},
                    {"btnFrameMin", "16x16", kMinimizeColor}};
    for (const auto& picture : pictures) {
        window_test::ChildProcess draw;
        ASSERT_TRUE(draw.Start({"convert", "-size", picture.size, "xc:" + HexColor(picture.color),
                                (skin / (std::string(picture.name) + ".png")).string()},
                               (folder_ / "draw.out").string()));
        for (int i = 0; i < 500 && draw.Running(); ++i) {
            platform::SleepMs(20);
        }
        ASSERT_TRUE(fs::exists(skin / (std::string(picture.name) + ".png"))) << picture.name;
    }
    clientEnvironment_.push_back("PVBN_TEST_CLIENT_SKIN=" + skin.string());

    window_test::XServer x;
    ASSERT_TRUE(x.Start(1024, 768)) << x.Error();
    ASSERT_NO_FATAL_FAILURE(StartAndEnter(x.DisplayName()));

    // Top bar rows, the row below it, both borders, the table, the bottom
    // border in the fill colour (no picture), and the three title buttons
    // from the right edge leftwards.
    const struct {
        int x;
        int y;
        uint32_t color;
    } places[] = {{500, 0, kTopColor},       {500, 29, kTopColor},    {500, 30, kTableColor},
                  {1, 300, kBorderColor},    {3, 300, kBorderColor},  {4, 300, kTableColor},
                  {1021, 300, kBorderColor}, {500, 400, kTableColor}, {500, 767, 0x4cb122},
                  {1005, 15, kCloseColor},   {1019, 15, kCloseColor}, {985, 15, kFitColor},
                  {968, 15, kMinimizeColor}, {960, 15, kTopColor}};
    std::string format;
    for (const auto& place : places) {
        format += "%[hex:p{" + std::to_string(place.x) + "," + std::to_string(place.y) + "}] ";
    }
    format += "%wx%h\\n";
    const fs::path shot = folder_ / "screen.png";
    std::vector<std::string> shown;
    auto allShown = [&] {
        if (shown.size() != std::size(places) + 1) {
            return false;
        }
        for (size_t i = 0; i < std::size(places); ++i) {
            if (!Shows(shown[i], places[i].color)) {
                return false;
            }
        }
        return true;
    };
    for (int attempt = 0; attempt < 50 && !allShown(); ++attempt) {
        window_test::ChildProcess import;
        ASSERT_TRUE(import.Start({"import", "-window", "root", shot.string()},
                                 (folder_ / "import.out").string(), x.DisplayName()));
        for (int i = 0; i < 500 && import.Running(); ++i) {
            platform::SleepMs(20);
        }
        window_test::ChildProcess probe;
        const fs::path pixels = folder_ / "pixels.txt";
        fs::remove(pixels);
        ASSERT_TRUE(
            probe.Start({"convert", shot.string(), "-format", format, "info:" + pixels.string()},
                        (folder_ / "convert.out").string()));
        for (int i = 0; i < 500 && probe.Running(); ++i) {
            platform::SleepMs(20);
        }
        std::istringstream words(ReadFile(pixels));
        shown.assign(std::istream_iterator<std::string>(words), {});
        if (!allShown()) {
            platform::SleepMs(100);
        }
    }
    ASSERT_EQ(shown.size(), std::size(places) + 1);
    for (size_t i = 0; i < std::size(places); ++i) {
        EXPECT_PRED2(Shows, shown[i], places[i].color)
            << "at " << places[i].x << "," << places[i].y;
    }
    EXPECT_EQ(shown.back(), "1024x768");
    if (const char* keep = std::getenv("PVBN_SCREENSHOT")) {
        fs::copy_file(shot, keep, fs::copy_options::overwrite_existing);
    }
}

}  // namespace
