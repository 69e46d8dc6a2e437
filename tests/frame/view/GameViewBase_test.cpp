// The game view base in a headless scene on a hand-driven clock, with the
// real connection to the loopback test server: the idle kick, the silver
// check that cancels it, the silver reward, the forwarded notices and the
// replay bar.

#include "frame/view/GameViewBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "engine/ui/CorvaneEventQueue.h"
#include "frame/panels/QeRepBar.h"
#include "frame/view/ReplayBars.h"
#include "tests/engine/SceneTestSupport.h"
#include "tests/frame/ConnectionFixture.h"

namespace {

using namespace connection_test;

constexpr int32_t kIdleKickRoom = RoomInfo::kFlagSkipLeftOut | RoomInfo::kFlag128;
constexpr char kKickedBox[] =
    "ShowNoticeBox 由于您长时间没有开始游戏，系统请您离开游戏 10 48 ruv抱歉";

// The game view with its delays and its notice hooks recorded.
class RecordingGameView : public CGameViewBase {
public:
    uint64_t DelayAction(uint32_t delay, const EventRecord* endEvent) override {
        delays.push_back(delay);
        return CGameViewBase::DelayAction(delay, endEvent);
    }
    void OnTableNoticeHook(const uint8_t*, size_t length) override {
        hooks.push_back("table " + std::to_string(length));
    }
    void OnLotteryResultHook(const uint8_t*, size_t length) override {
        hooks.push_back("lottery result " + std::to_string(length));
    }
    void OnTaskRewardFailHook(const uint8_t*, size_t length) override {
        hooks.push_back("task reward " + std::to_string(length));
    }
    std::vector<uint32_t> delays;
    std::vector<std::string> hooks;
};

// The frame view whose "MainGame" is the game view under test.
using HostFrameView = ObservedFrameView;

class GameViewBaseTest : public GameConnectionTest {
protected:
    void SetUp() override {
        GameConnectionTest::SetUp();
        auto clock = time.MakeClock();
        clock->Reset(5000);
        core = std::make_unique<GameCore>(std::move(clock));
        module = new ObjectModule;
        ASSERT_EQ(core->LoadModule(module, 1, 0), kEngineOk);
        game = new RecordingGameView;
        module->RegisterObject(game, nullptr);
        host.SetMainGame(game);
        app.AttachFrameView(&host);
        app.realConnection = &connection;
    }
    void TearDown() override {
        app.realConnection = nullptr;
        GameConnectionTest::TearDown();
        core.reset();
    }

    // Launches the table in a room with the flags and the enter reply's
    // idle-kick word.
    void EnterRoom(int32_t roomFlags, int32_t idleKickSeconds) {
        Relaunch(Launch(roomFlags));
        const std::vector<uint8_t> word = Words({idleKickSeconds});
        std::copy(word.begin(), word.end(),
                  app.responseBuffer.begin() + CGameViewBase::kIdleKickWordOffset);
        game->LoadIdleKickTime();
    }
    void Frame(int64_t ms) {
        time.AdvanceMs(ms);
        core->RunFrame();
    }
    size_t KickedBoxes() const { return std::ranges::count(host.calls, std::string(kKickedBox)); }

    ManualTime time;
    std::unique_ptr<GameCore> core;
    ObjectModule* module = nullptr;
    RecordingGameView* game = nullptr;  // the module owns it
    HostFrameView host;
};

TEST_F(GameViewBaseTest, TheIdleKickRunsOnlyInARoomWithFlags64And128) {
    for (const int32_t flags : {0, RoomInfo::kFlagSkipLeftOut, RoomInfo::kFlag128}) {
        EnterRoom(flags, 30);
        EXPECT_EQ(game->GetIdleKickSeconds(), -1) << flags;
        game->StartIdleKick();
        EXPECT_FALSE(game->IsIdleKickRunning()) << flags;
    }
    Frame(60000);
    EXPECT_TRUE(game->delays.empty());
    EXPECT_EQ(KickedBoxes(), 0u);
}

TEST_F(GameViewBaseTest, NoIdleKickForSecondsNeverLoadedOrZero) {
    Relaunch(Launch(kIdleKickRoom));
    game->StartIdleKick();  // -1: never loaded
    EXPECT_FALSE(game->IsIdleKickRunning());
    EnterRoom(kIdleKickRoom, 0);
    game->StartIdleKick();
    EnterRoom(kIdleKickRoom, -5);
    game->StartIdleKick();
    EXPECT_FALSE(game->IsIdleKickRunning());
    EXPECT_TRUE(game->delays.empty());
}

TEST_F(GameViewBaseTest, StartingTwiceLeavesOneTimerThatKicksOnce) {
    EnterRoom(kIdleKickRoom, 30);
    EXPECT_EQ(game->GetIdleKickSeconds(), 30);
    game->StartIdleKick();
    Frame(11);
    Frame(10000);
    game->StartIdleKick();  // restarts: 30 s from now
    Frame(11);
    EXPECT_EQ(game->delays, (std::vector<uint32_t>{30000, 30000}));
    Frame(25000);
    EXPECT_EQ(KickedBoxes(), 0u) << "the first timer still ran";
    Frame(5100);
    EXPECT_EQ(KickedBoxes(), 1u);
    EXPECT_FALSE(game->IsIdleKickRunning());
    Frame(60000);
    EXPECT_EQ(KickedBoxes(), 1u);
}

TEST_F(GameViewBaseTest, AnIdleKickOfManySecondsAsksTheLongestDelay) {
    EnterRoom(kIdleKickRoom, 5000000);  // 5e9 ms: past 32 bits
    game->StartIdleKick();
    ASSERT_EQ(game->delays.size(), 1u);
    EXPECT_EQ(game->delays[0], std::numeric_limits<uint32_t>::max());
    EXPECT_EQ(CGameViewBase::IdleKickDelayMs(std::numeric_limits<int32_t>::max()),
              std::numeric_limits<uint32_t>::max());
    EXPECT_EQ(CGameViewBase::IdleKickDelayMs(4294967), 4294967000u);
}

TEST_F(GameViewBaseTest, APassedSilverCheckCancelsTheIdleKick) {
    Connect(connection);
    EnterRoom(kIdleKickRoom | RoomInfo::kFlagNoForcedExit, 30);
    game->StartIdleKick();
    Frame(11);
    game->RequestRoomSilverCheck();
    EXPECT_EQ(script.Count(201302), 1u);
    EXPECT_FALSE(game->IsIdleKickRunning());
    Frame(11);
    Frame(40000);
    EXPECT_EQ(KickedBoxes(), 0u);

    // Without flag 2 no check is asked.
    EnterRoom(kIdleKickRoom, 30);
    game->RequestRoomSilverCheck();
    EXPECT_EQ(script.Count(201302), 1u);
}

TEST_F(GameViewBaseTest, TheSilverRewardBoxShowsOnlyOnFailure) {
    Connect(connection);
    game->ClaimSilverReward();
    EXPECT_EQ(script.Count(201303), 1u);
    EXPECT_TRUE(host.calls.empty());

    script.RefuseWithText(201303, "今天已经领过了");
    game->ClaimSilverReward();
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0], "ShowInfoBox 今天已经领过了 10 48 ruv抱歉");
}

TEST_F(GameViewBaseTest, NoticesReachTheirHooksWithTheirLength) {
    std::vector<uint8_t> notice(64, 0);
    auto send = [&](int event, const uint8_t* data, size_t length) {
        EXPECT_EQ(
            game->OnEvent(MakeEventRecord(game->GetId(), event, reinterpret_cast<intptr_t>(data),
                                          static_cast<intptr_t>(length))),
            1);
    };
    send(kEventTableNotice, notice.data(), notice.size());  // empty text at 32
    send(kEventTableNotice, nullptr, 0);
    notice[32] = 'x';
    send(kEventTableNotice, notice.data(), 32);  // the text lies past the record
    send(kEventTableNotice, notice.data(), notice.size());
    send(80000068, notice.data(), 40);
    send(kEventTaskRewardFail, notice.data(), 12);
    send(80000099, notice.data(), 12);
    EXPECT_EQ(game->hooks,
              (std::vector<std::string>{"table 64", "lottery result 40", "task reward 12"}));
}

TEST_F(GameViewBaseTest, TheReplayBarIsMadeInReplayModeOrWithTheRoomsBit) {
    // The real bars, each one made written down.
    std::vector<CReplayBarSeam*> made;
    app.SetReplayBarFactory([&](ReplayFormat format) {
        made.push_back(MakeQeRepBar(format));
        return made.back();
    });
    game->CreateReplayBar();
    EXPECT_TRUE(made.empty());
    EXPECT_EQ(game->GetReplayBar(), nullptr);

    app.SetReplayMode(true);
    game->CreateReplayBar();
    ASSERT_EQ(made.size(), 1u);
    auto* bar = dynamic_cast<CQeRepBar*>(game->GetReplayBar());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar, made[0]);
    EXPECT_EQ(bar->GetFormat(), ReplayFormat::First);
    EXPECT_EQ(bar->GetLimitValue(), 5000);
    ObjectState state;
    bar->GetState(&state);
    EXPECT_EQ(state.z, 10000.0);
    EXPECT_TRUE(state.visible);
}

TEST_F(GameViewBaseTest, TheAccessorsReachTheApplicationsObjects) {
    EXPECT_EQ(GetFrameView(), &host);
    EXPECT_EQ(GetTableData(), app.GetTableData());
    // A client outside a match has no queue of match records.
    EXPECT_EQ(GetFrameEventQueue(), nullptr);
}

}  // namespace
