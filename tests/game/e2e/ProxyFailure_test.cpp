// The whole regional client in the test's process, started by the fake
// hall whose settings name a proxy that nobody runs: the client names the
// proxy on its wait dialog (the real one, on the communication thread),
// tells the hall it ends and ends, without ever reaching the game server.

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "frame/HallRecords.h"
#include "frame/WaitDialog.h"
#include "game/app/RegionalMahjongApp.h"
#include "platform/Screen.h"
#include "tests/game/e2e/Scenario.h"
#include "tests/support/ProxyProcess.h"

namespace {

using game_test::Scenario;

// What the wait dialog showed, in order, and whether its panel was up with
// each text.
struct ShownTexts {
    std::mutex lock;
    std::vector<std::string> texts;
    std::vector<bool> visible;
};

// The client's own wait dialog, noting each text as it shows it.
class WatchedWaitDialog : public CWaitDialog {
public:
    WatchedWaitDialog(std::string skinIni, platform::ScreenRect workArea,
                      std::shared_ptr<ShownTexts> shown)
        : CWaitDialog(std::move(skinIni), workArea), shown_(std::move(shown)) {}

protected:
    void Show(const std::string& text, int seconds) override {
        CWaitDialog::Show(text, seconds);
        std::lock_guard<std::mutex> guard(shown_->lock);
        shown_->texts.push_back(text);
        shown_->visible.push_back(Panel().IsVisible() && Panel().NewestFrame().IsValid());
    }

private:
    std::shared_ptr<ShownTexts> shown_;
};

TEST(ProxyFailureScenario, TheClientNamesTheProxyItCannotReachTellsTheHallAndEnds) {
    if (Scenario::RanBefore()) {
        GTEST_SKIP() << "the program's loop runs once a process; ctest runs each test alone";
    }
    const uint16_t nobody = test_support::FreeLoopbackPort();
    ASSERT_NE(nobody, 0);
    game_test::ScenarioOptions options;
    options.proxy = fakehall::HallProxy{.sock = 3, .host = "127.0.0.1", .port = nobody};
    Scenario scenario(options);
    ASSERT_TRUE(scenario.Prepare()) << scenario.Error();
    auto shown = std::make_shared<ShownTexts>();
    scenario.App().SetWaitDisplayFactory([skinIni = scenario.App().GetSkinIniFile(),
                                          workArea = platform::WorkArea(),
                                          shown]() -> std::unique_ptr<CWaitDisplay> {
        return std::make_unique<WatchedWaitDialog>(skinIni, workArea, shown);
    });

    EXPECT_EQ(scenario.Run(), 0);

    {
        std::lock_guard<std::mutex> guard(shown->lock);
        ASSERT_EQ(shown->texts.size(), 2u);
        EXPECT_EQ(shown->texts[0], "正在连接游戏服务器......");
        EXPECT_EQ(shown->texts[1], "无法连接代理服务器【127.0.0.1】，请检查设置是否正确。");
        EXPECT_TRUE(shown->visible[1]);
    }
    // The hall is told the game ended, before any window of it existed.
    const std::vector<fakehall::HallEvent> events = scenario.Hall().Events();
    int leaves = 0;
    for (const fakehall::HallEvent& event : events) {
        if (event.kind != fakehall::HallEvent::Kind::Leave) {
            continue;
        }
        ++leaves;
        EXPECT_EQ(event.message, kHallDataLeave);
        ASSERT_TRUE(event.leave.has_value());
        EXPECT_EQ(event.leave->gameWindow, 0);
        EXPECT_EQ(event.leave->userId, game_test::kScenarioUser);
        EXPECT_EQ(event.leave->disconnectedInGame, 0);
    }
    EXPECT_EQ(leaves, 1);
    // The game server never heard of it.
    EXPECT_FALSE(scenario.Server().WaitForClients(1, 0));
    EXPECT_TRUE(scenario.Script().StepsSent().empty());
    EXPECT_EQ(scenario.App().GetMainFrame(), nullptr);
}

}  // namespace
