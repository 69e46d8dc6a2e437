// The injected engine clock: the game's window runs its engine on the
// test's time and only on it.

#include <gtest/gtest.h>

#include "engine/GameCore.h"
#include "frame/GameFrameWnd.h"
#include "game/app/RegionalMahjongApp.h"
#include "tests/game/support/EngineTime.h"
#include "tests/game/support/GameWindow.h"

namespace {

using game_test::GameWindow;
using game_test::InjectedEngineClock;

TEST(InjectedEngineClockTest, TheWindowsEngineReadsOnlyTheTestsTime) {
    InjectedEngineClock clock;
    GameWindow window;
    ASSERT_TRUE(window.Open()) << window.Error();
    GameCore* core = window.App().GetMainFrame()->GetCore();
    const uint32_t start = core->GetTime();
    window.Run(200);  // real time passes, the engine's does not
    EXPECT_EQ(core->GetTime(), start);
    clock.Advance(1500);
    EXPECT_EQ(core->GetTime(), start + 1500);
}

TEST(InjectedEngineClockTest, AdvanceUntilStopsAtTheConditionOrTheLimit) {
    InjectedEngineClock clock(5000);
    int pumps = 0;
    EXPECT_TRUE(clock.AdvanceUntil([&] { return clock.Now() >= 5100; }, 1000, [&] { ++pumps; }));
    EXPECT_EQ(clock.Now(), 5100u);
    EXPECT_EQ(pumps, 6);
    EXPECT_FALSE(clock.AdvanceUntil([] { return false; }, 300, {}, 100));
    EXPECT_EQ(clock.Now(), 5400u);
}

TEST(InjectedEngineClockTest, WindowsMadeAfterItGoHaveTheSystemClock) {
    { InjectedEngineClock clock; }
    GameWindow window;
    ASSERT_TRUE(window.Open()) << window.Error();
    GameCore* core = window.App().GetMainFrame()->GetCore();
    const uint32_t start = core->GetTime();
    window.RunUntil([&] { return core->GetTime() > start; }, 2000);
    EXPECT_GT(core->GetTime(), start);
}

}  // namespace
