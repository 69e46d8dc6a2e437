// The whole regional client in the test's process loses its connection in
// the middle of a hand: the server drops it after the hand's start. The
// client tells the player where to come back in a box that answers itself
// after 30 s, then leaves (the hall is told the player left disconnected)
// and its loop ends. The client's engine runs on an injected clock; the box
// is read as it is shown.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "frame/HallRecords.h"
#include "frame/RecordFields.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "platform/Sync.h"
#include "tests/game/dialogs/DialogScene.h"
#include "tests/game/e2e/Scenario.h"
#include "tests/game/support/EngineTime.h"
#include "tests/game/support/RegionalHall.h"

namespace {

using game_test::Scenario;

constexpr uint32_t kPaceMs = 25;
constexpr uint32_t kLongMs = 60000;
constexpr uint32_t kCountdownPaceMs = 250;
constexpr int kBoxSeconds = 30;
constexpr int kBoxStyle = 0x31;

class DisconnectTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (Scenario::RanBefore()) {
            GTEST_SKIP() << "the program's loop runs once a process; ctest runs each test alone";
        }
    }

    // The place the hall gave the client: its area and room names.
    static std::string ExpectedText() {
        const game_test::RegionalTable table{game_test::kScenarioRoomId,
                                             game_test::kScenarioTableNo, game_test::kScenarioUser,
                                             "区域麻将"};
        const RoomInfo& room = game_test::RegionalHallOptions(table, 1, "").launchRecord.room;
        return "断线了！请尽快重入房间续玩。\r\n\r\n您的位置【" + FieldText(room.areaName) + "_" +
               FieldText(room.roomName) + "】。";
    }
    CSystemInfoBox* ShownBox() {
        return scenario.View() != nullptr ? boxes.LastShown(*scenario.View()) : nullptr;
    }
    std::function<bool()> Paced(uint32_t ms, std::function<bool()> condition) {
        return [this, ms, condition = std::move(condition)] {
            clock.Advance(ms);
            return condition();
        };
    }
    size_t LeavesWith(uintptr_t dwData) {
        size_t n = 0;
        for (const fakehall::HallEvent& event : scenario.Hall().Events()) {
            n += event.kind == fakehall::HallEvent::Kind::Leave && event.message == dwData ? 1 : 0;
        }
        return n;
    }

    void AddBoxAndLeaveSteps();
    void ExpectLeftDisconnected(int exitCode);

    game_test::InjectedEngineClock clock;
    Scenario scenario;
    dialog_test::NoticeBoxLog boxes;
    uint64_t shownAt = 0;
};

// The box with the place to return to, its countdown to the end, and the
// client leaving by itself once it answered.
void DisconnectTest::AddBoxAndLeaveSteps() {
    game_test::UiHarness& harness = scenario.Harness();
    harness.Add(
        "the disconnect box", Paced(kPaceMs, [&] { return ShownBox() != nullptr; }),
        [&] {
            shownAt = clock.Now();
            CSystemInfoBox* box = ShownBox();
            EXPECT_EQ(box->GetText(), ExpectedText());
            EXPECT_EQ(box->GetStyle(), kBoxStyle);
            EXPECT_EQ(box->GetSecondsLeft(), kBoxSeconds);
            EXPECT_EQ(LeavesWith(kHallDataLeaveDisconnected), 0u);
            EXPECT_TRUE(scenario.App().IsDisconnectedInGame());
        },
        kLongMs);
    harness.Add(
        "the box still counts down a second before its end",
        Paced(kCountdownPaceMs, [&] { return clock.Now() - shownAt >= (kBoxSeconds - 1) * 1000; }),
        [&] {
            CSystemInfoBox* box = ShownBox();
            ASSERT_NE(box, nullptr);
            EXPECT_FALSE(box->HasAnswered());
            EXPECT_LE(box->GetSecondsLeft(), 2);
        });
    // The box answers itself; the client leaves and its loop ends before
    // this step's time is up.
    harness.Add("the client leaves by itself", Paced(kCountdownPaceMs, [] { return false; }),
                nullptr, 20000);
}

void DisconnectTest::ExpectLeftDisconnected(int exitCode) {
    game_test::UiHarness& harness = scenario.Harness();
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(harness.TimedOut()) << harness.LastStep();
    EXPECT_EQ(harness.Acted().size(), harness.StepCount() - 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes().front().text, ExpectedText());
    EXPECT_EQ(LeavesWith(kHallDataLeaveDisconnected), 1u);
    EXPECT_EQ(LeavesWith(kHallDataLeave), 0u);
}

TEST_F(DisconnectTest, ADroppedConnectionMidHandShowsWhereToReturnThenTheClientLeavesAndEnds) {
    ASSERT_TRUE(scenario.Prepare()) << scenario.Error();
    boxes.Install(scenario.App());
    scenario.Checkpoint(
        "211040", 1,
        Paced(kPaceMs,
              [&] { return scenario.View() != nullptr && scenario.App().IsGamePlaying(); }),
        [&] { scenario.Server().DropClient(); }, 30000, true);
    AddBoxAndLeaveSteps();
    ExpectLeftDisconnected(scenario.Run());
}

// The connection is lost while the client waits for a reply: its exchange
// choice, sent when the exchange clock ran out, is never answered and the
// server drops the connection.
TEST_F(DisconnectTest, AConnectionLostWhileARequestWaitsStillEndsInTheBoxAndTheLeave) {
    ASSERT_TRUE(scenario.Prepare()) << scenario.Error();
    boxes.Install(scenario.App());
    scenario.Script().Frame().SetSilent(table_protocol::kSwapThree);
    std::atomic<bool> stop = false;
    std::thread dropper([&] {
        while (!stop && scenario.Script().Frame().Count(table_protocol::kSwapThree) == 0) {
            platform::SleepMs(2);
        }
        if (!stop) {
            scenario.Server().DropClient();
        }
    });
    scenario.Checkpoint("211040", 1,
                        Paced(kPaceMs,
                              [&] {
                                  return scenario.View() != nullptr &&
                                         scenario.View()->GetTableState() ==
                                             CRegionalTableView::kStateSwapChoice;
                              }),
                        nullptr, 30000, true);
    scenario.Harness().Add(
        "the exchange clock ran out and the choice went unanswered",
        Paced(kCountdownPaceMs,
              [&] { return scenario.Script().Frame().Count(table_protocol::kSwapThree) == 1; }),
        nullptr, kLongMs);
    AddBoxAndLeaveSteps();
    const int exitCode = scenario.Run();
    stop = true;
    dropper.join();
    ExpectLeftDisconnected(exitCode);
}

}  // namespace
