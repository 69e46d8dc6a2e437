// The real client plays whole hands: the sanitizer build of pvbn on SDL's
// dummy video and audio, its launch line from the fake hall, against the
// table server with test pacing and a fixed seed. Nobody touches the client:
// it plays by its own clocks (the swap completes itself, auto-play takes
// over at the first own time-out), the robots win and meld, the result
// dialog's time-out starts the next hand, and after the third result the
// server has a robot leave, so the client shows the table's end, answers
// its own box and exits.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/support/RunChecks.h"
#include "tests/support/TableRun.h"

namespace {

// A test-paced hand takes about two minutes; the ending's box answers itself
// after ten seconds.
constexpr uint32_t kThreeHandsMs = 8 * 60 * 1000;
constexpr int kHands = 3;
// What the client is told when a request is refused: an unknown id, a play
// out of turn or step, a refused claim, a refused draw, a refusal in words.
constexpr uint32_t kRefusals[] = {10000, 10100, 229450, 60031};
constexpr uint32_t kRefusedDraw = 229101;
constexpr uint32_t kResult = 211080;
constexpr uint32_t kPlayerLeft = 211000;
constexpr uint32_t kNotifyFailure = 201162;
// A robot's melds and a kong the client may rob.
constexpr uint32_t kRobotMelds[] = {229185, 229195, 229197, 229199, 229180};

TEST(RealClient, PlaysThreeChainedHandsThenTheTableEndsAndItExits) {
    e2e::TableRun table({.serverArguments = {"--start-when-full", "--hands", std::to_string(kHands),
                                             "--pacing", "test", "--seed", "1717", "--test"}});
    ASSERT_TRUE(table.StartServer());
    ASSERT_TRUE(table.StartHallAndClient());

    const std::optional<int> status = table.WaitForClientExit(kThreeHandsMs);
    ASSERT_TRUE(status.has_value()) << "the client still runs after " << kThreeHandsMs / 1000
                                    << " s; the server's last lines:\n"
                                    << table.ServerLogTail();
    EXPECT_TRUE(table.Run().CheckEnded(*status));
    e2e::FailOnEachLine(table.ClientMissedResources());

    const std::string log = table.ServerLog();
    const std::vector<e2e::ServerMessage> messages = e2e::ServerMessages(log);
    EXPECT_EQ(e2e::CountMessages(messages, "notify", kResult), static_cast<size_t>(kHands))
        << table.ServerLogTail();
    EXPECT_EQ(e2e::CountMessages(messages, "notify", kPlayerLeft), 1u);
    EXPECT_EQ(e2e::CountMessages(messages, "in", kNotifyFailure), 0u);
    for (uint32_t code : kRefusals) {
        EXPECT_EQ(e2e::CountMessages(messages, "reply", code), 0u) << "refusals " << code;
    }
    // The robots meld: the client takes their notices without a report of
    // failure (above) and without dropping one.
    size_t melds = 0;
    for (uint32_t id : kRobotMelds) {
        melds += e2e::CountMessages(messages, "notify", id);
    }
    EXPECT_GT(melds, 0u) << "no robot melded in " << kHands << " hands";
    e2e::FailOnEachLine(table.ClientLogLinesWith("notice: chair"));
    // A draw is refused only at an empty wall or after a robot claimed the
    // throw it passed on, and the server says so.
    EXPECT_LE(e2e::CountMessages(messages, "reply", kRefusedDraw),
              e2e::LinesWith(log, "229000 refused: ").size());
    // Each protocol error has its own line; the summary after the last hand
    // gives their count.
    e2e::FailOnEachLine(table.ServerProtocolErrors());
    // The client took every record of the hands: none came out of turn.
    e2e::FailOnEachLine(table.ClientLogLinesWith("dropped"));
    EXPECT_EQ(
        e2e::LinesWith(log, "hands done " + std::to_string(kHands) + ", protocol errors 0").size(),
        1u)
        << table.ServerLogTail();
    // The client left the hall as a player who ends the game.
    EXPECT_FALSE(e2e::LinesWith(table.HallRecord(), "leave").empty()) << table.HallRecord();
}

}  // namespace
