#include "frame/GameCommThread.h"

#include <gtest/gtest.h>

#include "tests/frame/FrameDoubles.h"
#include "zep/ZepMessage.h"

namespace {

// A game window on the test thread: takes the relayed pairs and frees them.
class RelayTarget : public platform::Window {
public:
    RelayTarget() {
        platform::RegisterWindowClass("CommRelayTarget");
        Create("CommRelayTarget");
    }
    ~RelayTarget() override { Destroy(); }
    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override {
        if (id == WM_ZEP_SOCKET) {
            auto* message = reinterpret_cast<ZepMessage*>(lParam);
            codes.push_back(message->Code());
            ZepFreeDelivery(reinterpret_cast<ZepDeliveryInfo*>(wParam), message);
            return 0;
        }
        return Window::WindowProc(id, wParam, lParam);
    }
    std::vector<uint32_t> codes;
};

class CommThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        app.SetWaitDisplayFactory(RecordingWaitDisplay::Factory(display));
        ASSERT_TRUE(app.StartCommThread());
        comm = app.GetCommThreadId();
        ASSERT_NE(comm, 0u);
    }
    void Relay(uint32_t code) {
        const auto [info, message] = MakeNotification(code, 1, "data");
        ASSERT_TRUE(platform::PostThreadMessage(comm, WM_ZEP_SOCKET, info, message));
    }
    // Waits until the thread has taken everything posted to it so far.
    void Settle() {
        const std::string text = "settle " + std::to_string(++settles);
        app.ShowWaitText(text, 0);
        ASSERT_TRUE(PumpUntil(
            [&] {
                const auto calls = display->Calls();
                return !calls.empty() && calls.back() == "show " + text + " 0";
            },
            5000));
    }

    std::shared_ptr<WaitDisplayLog> display = std::make_shared<WaitDisplayLog>();
    TestFrameApp app;
    platform::ThreadId comm = 0;
    int settles = 0;
};

TEST_F(CommThreadTest, RelaysToTheLastTargetAndFreesPairsWithoutOne) {
    const int droppedBefore = CGameCommThread::DroppedNotifications();
    Relay(211040);  // no target yet
    Settle();
    EXPECT_EQ(CGameCommThread::DroppedNotifications(), droppedBefore + 1);

    RelayTarget first;
    RelayTarget second;
    app.RegisterGameWindow(first.Id());
    app.RegisterGameWindow(second.Id());
    Relay(211080);
    ASSERT_TRUE(PumpUntil([&] { return !second.codes.empty(); }, 5000));
    EXPECT_EQ(second.codes, std::vector<uint32_t>{211080});
    EXPECT_TRUE(first.codes.empty());

    second.Destroy();  // a dead target
    Relay(222170);
    Settle();
    EXPECT_EQ(CGameCommThread::DroppedNotifications(), droppedBefore + 2);
    EXPECT_TRUE(first.codes.empty());
}

TEST_F(CommThreadTest, ShowsHidesAndHidesByItselfOnTheThread) {
    app.ShowWaitText("正在连接游戏服务器......", 0);
    app.HideWaitText();
    app.HideWaitText();  // nothing shown: harmless
    app.PostToCommThread("stays", true);
    app.PostToCommThread("not sent", false);
    app.ShowWaitText("brief", 1);
    const uint32_t start = platform::GetTickCount32();
    ASSERT_TRUE(PumpUntil([&] { return display->Calls().size() == 7; }, 5000));
    const uint32_t elapsed = platform::GetTickCount32() - start;
    EXPECT_GE(elapsed, 900u);
    EXPECT_EQ(display->Calls(),
              (std::vector<std::string>{"show 正在连接游戏服务器...... 0", "hide", "hide",
                                        "show stays 0", "hide", "show brief 1", "hide"}));
    app.StopCommThread();
    EXPECT_TRUE(display->destroyed.IsSet());
    EXPECT_NE(display->madeOn, platform::CurrentThreadId());
    EXPECT_EQ(display->destroyedOn, display->madeOn);
}

TEST_F(CommThreadTest, ATextWithoutSecondsKeepsTheAutoHideAndAHideStopsIt) {
    app.ShowWaitText("first", 1);
    app.ShowWaitText("second", 0);
    ASSERT_TRUE(PumpUntil([&] { return display->Calls().size() == 3; }, 5000));
    EXPECT_EQ(display->Calls(),
              (std::vector<std::string>{"show first 1", "show second 0", "hide"}));

    app.ShowWaitText("third", 1);
    app.HideWaitText();
    app.ShowWaitText("fourth", 0);
    platform::SleepMs(1300);
    Settle();
    EXPECT_EQ(display->Calls(),
              (std::vector<std::string>{"show first 1", "show second 0", "hide", "show third 1",
                                        "hide", "show fourth 0", "show settle 1 0"}));
}

TEST_F(CommThreadTest, AStuckThreadIsLeftToEndOnItsOwn) {
    display->blockInShow = true;
    app.ShowWaitText("stuck", 0);
    ASSERT_TRUE(display->inShow.Wait(5000));
    // Records queued behind the stuck text.
    Relay(211040);
    app.ShowWaitText("queued", 3);

    const uint32_t start = platform::GetTickCount32();
    app.StopCommThread();
    const uint32_t elapsed = platform::GetTickCount32() - start;
    EXPECT_GE(elapsed, 950u);
    EXPECT_LT(elapsed, 1500u);
    EXPECT_EQ(app.GetCommThreadId(), 0u);
    EXPECT_FALSE(display->destroyed.IsSet());

    const uint32_t again = platform::GetTickCount32();
    app.StopCommThread();
    app.ShowWaitText("nowhere", 0);
    EXPECT_LT(platform::GetTickCount32() - again, 100u);

    // Once free, the thread ends by itself and frees what it still holds.
    display->blockInShow = false;
    display->release.Set();
    EXPECT_TRUE(display->destroyed.Wait(5000));
    EXPECT_EQ(display->destroyedOn, display->madeOn);
}

TEST_F(CommThreadTest, ATextPostedToAnEndedThreadIsFreed) {
    ASSERT_TRUE(platform::PostThreadMessage(comm, kMsgCommQuit, 0, 0));
    ASSERT_TRUE(display->destroyed.Wait(5000));
    for (int i = 0; i < 500 && platform::HasMessageQueue(comm); ++i) {
        platform::SleepMs(10);
    }
    ASSERT_FALSE(platform::HasMessageQueue(comm));
    app.ShowWaitText("after the end", 5);  // refused: freed by the sender
    app.StopCommThread();
    EXPECT_EQ(app.GetCommThreadId(), 0u);
}

TEST(CommThreadStart, TheDefaultDisplayLogsAndStopsCleanly) {
    TestFrameApp app;
    ASSERT_TRUE(app.StartCommThread());
    EXPECT_TRUE(app.StartCommThread());  // already running
    app.ShowWaitText("logged", 1);
    app.StopCommThread();
    EXPECT_EQ(app.GetCommThreadId(), 0u);
}

}  // namespace
