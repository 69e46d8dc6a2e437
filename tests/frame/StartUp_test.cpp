// Start-up, entering and leaving with the scripted connection: what the user
// sees, how long the failures stay, what the hall is told.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>

#include "frame/GameFrameWnd.h"
#include "frame/HallRecords.h"
#include "frame/LaunchRecordBuilder.h"
#include "platform/BlockingSleep.h"
#include "platform/Dialogs.h"
#include "platform/ExportedWindows.h"
#include "platform/Files.h"
#include "platform/Screen.h"
#include "platform/SdlWindow.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame/TestHallWindow.h"

namespace {

constexpr int32_t kOwnUser = 12345;
constexpr int32_t kOwnTable = 7;
constexpr int32_t kOwnChair = 2;

// The hall's window in this process: keeps the copy-data records it gets.
class RecordingHall : public TestHallWindow {
public:
    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override {
        if (id == platform::kMsgCopyData) {
            const auto* record = reinterpret_cast<const platform::CopyDataRecord*>(lParam);
            const auto* data = static_cast<const uint8_t*>(record->lpData);
            copies.push_back({record->dwData, wParam, {data, data + record->cbData}});
            return 1;
        }
        if (id == kMsgHallRegisterGame || id == kMsgHallRegisterMatch) {
            registrations.emplace_back(wParam, lParam);
        }
        return platform::Window::WindowProc(id, wParam, lParam);
    }
    struct Copy {
        uintptr_t dwData;
        platform::WParam wParam;
        std::vector<uint8_t> bytes;
    };
    std::vector<Copy> copies;
    std::vector<std::pair<platform::WParam, platform::LParam>> registrations;
};

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("frame_start_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ / "links");
        std::filesystem::permissions(folder_ / "links", std::filesystem::perms::owner_all);
        setenv(platform::kWindowFolderVariable, (folder_ / "links").c_str(), 1);
        platform::SetProgramFolderForTesting(folder_.string() + "/");
        platform::SetSleeperForTesting([this](uint32_t ms) { sleeps.push_back(ms); });
        platform::SetMessageBoxSink([this](const platform::MessageBoxRequest& box) {
            boxes.push_back(box.text);
            return platform::kAnswerNo;
        });
        app = std::make_unique<TestFrameApp>();
        app->SetWaitDisplayFactory(RecordingWaitDisplay::Factory(display));
        app->SetCommandLine("\"30|127.0.0.1|300|" + std::to_string(hall.Id()) + "|0|" +
                            std::to_string(kOwnUser) + "|" + std::to_string(kOwnTable) + "|" +
                            std::to_string(kOwnChair) + "|0|0|血战麻将|4567\"");
    }
    void TearDown() override {
        app.reset();
        platform::SetSleeperForTesting({});
        platform::SetMessageBoxSink({});
        platform::SetProgramFolderForTesting({});
        unsetenv(platform::kWindowFolderVariable);
        std::filesystem::remove_all(folder_);
    }

    // The wait texts shown, once the communication thread has ended.
    std::vector<std::string> WaitCalls() {
        app->StopCommThread();
        return display->Calls();
    }
    HallLeaveRecord OnlyLeaveRecord() {
        HallLeaveRecord record{};
        EXPECT_EQ(hall.copies.size(), 1u);
        if (hall.copies.size() == 1) {
            EXPECT_EQ(hall.copies[0].dwData, kHallDataLeave);
            EXPECT_TRUE(ReadRecord(hall.copies[0].bytes, record));
        }
        return record;
    }
    void EnterLaunchRecord() {
        LaunchRecordBuilder builder;
        builder.table.tableNo = kOwnTable;
        builder.seats = {MakeLaunchUser(kOwnUser, kOwnChair, "自己")};
        ASSERT_TRUE(app->InitGameData(builder.Build()));
    }
    bool ClosePosted() {
        platform::Message message;
        while (platform::PeekMessage(message, platform::PeekMode::Remove)) {
            if (message.id == platform::kMsgClose && message.window == app->GetMainWindow()) {
                return true;
            }
        }
        return false;
    }

    std::filesystem::path folder_;
    RecordingHall hall;
    std::shared_ptr<WaitDisplayLog> display = std::make_shared<WaitDisplayLog>();
    std::unique_ptr<TestFrameApp> app;
    std::vector<uint32_t> sleeps;
    std::vector<std::string> boxes;
};

TEST_F(StartUpTest, ConnectsThroughTheCommunicationThreadAndChecksTheVersion) {
    ASSERT_TRUE(app->InitInstance());
    const std::string thread = std::to_string(app->GetCommThreadId());
    EXPECT_EQ(
        app->connection.calls,
        (std::vector<std::string>{"ReadProxySettings " + app->GetHallIniFile(), "SetupTransform",
                                  "SetNotifyThread " + thread, "ConnectServer  127.0.0.1 4567",
                                  "CheckVersion", "GetActiveConfig"}));
    EXPECT_EQ(app->GetSidePanelButtons().size(), 7u);
    EXPECT_TRUE(sleeps.empty());
    EXPECT_TRUE(hall.copies.empty());
    EXPECT_EQ(WaitCalls(),
              (std::vector<std::string>{"show 正在连接游戏服务器...... 0", "hide", "destroyed"}));
}

TEST_F(StartUpTest, AFailedConnectTellsTheHallAfterTwoSeconds) {
    app->connection.script.connect = 0;
    EXPECT_FALSE(app->InitInstance());
    EXPECT_EQ(sleeps, std::vector<uint32_t>{2000});
    const HallLeaveRecord record = OnlyLeaveRecord();
    EXPECT_EQ(record.gameWindow, 0);
    EXPECT_EQ(record.userId, kOwnUser);
    EXPECT_EQ(hall.copies[0].wParam, 0u);
    EXPECT_EQ(app->connection.Count("CheckVersion"), 0);
    const auto calls = WaitCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[1], "show 无法连接游戏服务器，请稍后再试。 0");
}

TEST_F(StartUpTest, AFailedProxyIsNamedInsteadOfTheServer) {
    app->connection.script.connect = 0;
    app->connection.script.proxyFailed = 1;
    app->connection.script.proxyHost = "proxy.example";
    EXPECT_FALSE(app->InitInstance());
    EXPECT_EQ(sleeps, std::vector<uint32_t>{2000});
    EXPECT_EQ(OnlyLeaveRecord().gameWindow, 0);
    const auto calls = WaitCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[1], "show 无法连接代理服务器【proxy.example】，请检查设置是否正确。 0");
}

TEST_F(StartUpTest, AnOldProgramShowsTheCheckTextForThreeSecondsAndTellsTheVersion) {
    app->connection.script.checkVersion = 0;
    app->connection.script.versionText = "请升级到新版本。";
    app->connection.script.newVersion = 14;
    app->connection.script.newSubVersion = 2;
    EXPECT_FALSE(app->InitInstance());
    EXPECT_EQ(sleeps, std::vector<uint32_t>{3000});
    EXPECT_EQ(app->connection.Count("GetActiveConfig"), 0);
    const HallLeaveRecord record = OnlyLeaveRecord();
    EXPECT_EQ(record.requiredVersion, 14);
    EXPECT_EQ(record.requiredSubVersion, 2);
    const auto calls = WaitCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[1], "show 请升级到新版本。 0");
}

TEST_F(StartUpTest, AShortLaunchLineEndsStartUpBeforeAnyThreadOrConnection) {
    app->SetCommandLine("30|127.0.0.1");
    EXPECT_FALSE(app->InitInstance());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("(frame2.0)"), std::string::npos);
    EXPECT_EQ(app->GetCommThreadId(), 0u);
    EXPECT_TRUE(app->connection.calls.empty());
}

TEST_F(StartUpTest, OfflineOpensTheWindowWithoutConnectingOrEntering) {
    app->SetOfflineMode(true);
    ASSERT_TRUE(app->InitInstance());
    ASSERT_EQ(app->CreateMainFrame(), 1);
    EXPECT_EQ(app->EnterGame(), 1);
    EXPECT_TRUE(app->connection.calls.empty());
    EXPECT_TRUE(hall.registrations.empty());
    CGameFrameWnd* frame = app->GetMainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(app->GetMainWindow(), frame->Id());
    ASSERT_NE(app->madeView, nullptr);
    EXPECT_EQ(app->GetFrameView(), app->madeView);
    EXPECT_EQ(frame->GetRootObject(), app->madeView);
    const platform::ScreenRect work = platform::WorkArea();
    EXPECT_EQ(frame->GetWidth(), work.right - work.left);
    EXPECT_EQ(frame->GetHeight(), work.bottom - work.top);
    ASSERT_NE(frame->GetTopLevel(), nullptr);
    EXPECT_TRUE(frame->GetTopLevel()->IsVisible());
    // Without a skin the view paints its chrome in the fill colour.
    const platform::WindowSurface& surface = frame->GetTopLevel()->Surface();
    EXPECT_TRUE(PumpUntil(
        [&] {
            return surface.ColorAt(5, 5) == kChromeFillColor &&
                   surface.ColorAt(surface.Width() / 2, surface.Height() - 1) == kChromeFillColor;
        },
        3000));

    // Destroying the window forgets the view the engine destroys with it.
    platform::DestroyWindow(frame->Id());
    EXPECT_EQ(app->GetFrameView(), nullptr);
    EXPECT_EQ(app->GetMainFrame(), nullptr);
}

TEST_F(StartUpTest, TheMainWindowRegistersWithTheHallAndTheThread) {
    ASSERT_TRUE(app->InitInstance());
    ASSERT_EQ(app->CreateMainFrame(), 1);
    PumpUntil([&] { return !hall.registrations.empty(); }, 2000);
    ASSERT_EQ(hall.registrations.size(), 1u);
    EXPECT_EQ(hall.registrations[0].first, app->GetMainWindow());
    EXPECT_EQ(hall.registrations[0].second, kOwnTable);
}

TEST_F(StartUpTest, TheLaunchRecordLetsTheViewEnterTheRoom) {
    ASSERT_TRUE(app->InitInstance());
    ASSERT_EQ(app->CreateMainFrame(), 1);
    EnterLaunchRecord();
    platform::SendMessage(app->GetMainWindow(), kMsgGameDataReady, 0, 0);
    EXPECT_EQ(app->madeView->Count("OnGameDataReady"), 1);
    EXPECT_EQ(app->connection.Count("EnterGame"), 1);
    EXPECT_EQ(app->connection.Count("MatchLogin"), 0);
    EXPECT_TRUE(sleeps.empty());
    EXPECT_FALSE(ClosePosted());
}

TEST_F(StartUpTest, ARefusedEnterShowsItsTextAndClosesAfterTwoSeconds) {
    ASSERT_TRUE(app->InitInstance());
    ASSERT_EQ(app->CreateMainFrame(), 1);
    app->connection.script.enter = 0;
    app->connection.script.enterText = "房间已满。";
    EXPECT_EQ(app->EnterRoom(), 0);
    EXPECT_EQ(sleeps, std::vector<uint32_t>{2000});
    EXPECT_TRUE(ClosePosted());
    const auto calls = WaitCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "show 房间已满。 0"), calls.end());

    sleeps.clear();
    app->connection.script.matchLogin = 0;
    EXPECT_EQ(app->EnterMatch(), 0);
    EXPECT_EQ(app->connection.Count("MatchLogin"), 1);
    EXPECT_EQ(sleeps, std::vector<uint32_t>{2000});
    EXPECT_TRUE(ClosePosted());
}

TEST_F(StartUpTest, LeavingTheTableClosesTheConnectionAfterTheRequest) {
    ASSERT_TRUE(app->InitInstance());
    app->connection.calls.clear();
    app->LeaveTableAndClose();
    EXPECT_EQ(app->connection.calls, (std::vector<std::string>{"LeaveTable 12345 2", "Close"}));
}

TEST_F(StartUpTest, ATextAndQuitStaysFiveSecondsThenCloses) {
    ASSERT_TRUE(app->InitInstance());
    ASSERT_EQ(app->CreateMainFrame(), 1);
    app->ShowTextAndQuit("比赛已经结束。");
    EXPECT_EQ(sleeps, std::vector<uint32_t>{5000});
    EXPECT_TRUE(ClosePosted());
    const auto calls = WaitCalls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[calls.size() - 3], "show 比赛已经结束。 0");
    EXPECT_EQ(calls[calls.size() - 2], "hide");
}

TEST_F(StartUpTest, AMatchLaunchTitlesTheMainWindowWithTheMatchName) {
    ASSERT_TRUE(app->InitInstance());
    ASSERT_EQ(app->CreateMainFrame(), 1);
    constexpr size_t kMatchInfoAt =
        RoomInfo::kSize + RoomInfo::kMatchExtension + TableInfo::kSize + UserRecord::kSize;
    constexpr size_t kNameAt = 72;
    std::vector<uint8_t> record(kMatchInfoAt + CGameFrameApp::kMatchInfoSize, 0);
    const std::string name = "周末大奖赛";
    std::copy(name.begin(), name.end(), record.begin() + kMatchInfoAt + kNameAt);
    ASSERT_TRUE(app->InitMatchData(record));
    EXPECT_EQ(app->GetMatchName(), name);
    const platform::TopLevelWindow* window = platform::TopLevelWindow::Find(app->GetMainWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Title(), name);
}

TEST_F(StartUpTest, EndingClosesTheConnectionFirstAndStopsTheThreadOnce) {
    ASSERT_TRUE(app->InitInstance());
    app->connection.calls.clear();
    app->ExitInstance();
    EXPECT_EQ(app->connection.calls, std::vector<std::string>{"Close"});
    EXPECT_EQ(app->GetCommThreadId(), 0u);
    app->StopCommThread();  // again: nothing
    const std::string log = folder_.string();
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("Game", 0) == 0 && name.size() > 4 && entry.path().extension() == ".log") {
            found = true;
        }
    }
    EXPECT_TRUE(found) << "no daily log in " << log;
}

}  // namespace
