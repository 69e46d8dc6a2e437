// The hall program dies mid-hand (SIGKILL, no chance to say anything): the
// real client sees its window gone and quits on its own at once, without
// telling the server it leaves; the server abandons the hand, stays up, and
// a new hall's client plays on the same server run.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Sync.h"
#include "tests/e2e/support/RunChecks.h"
#include "tests/support/TableRun.h"

namespace {

constexpr uint32_t kHandStart = 211040;
constexpr uint32_t kDiscard = 222080;
constexpr uint32_t kLeaveGame = 201125;
constexpr uint32_t kLeaveTable = 201120;
// The client looks for the hall's window every second; its sanitizer's
// checks at exit come on top.
constexpr uint32_t kQuitMs = 1500;
// From the launch to the hand start (the table starts 2 s after entering).
constexpr uint32_t kHandStartMs = 60000;
// From the launch to the first own discard: the 30-s swap clock, the deal,
// the robots' turns and the own turn's clock, which starts auto-play.
constexpr uint32_t kFirstDiscardMs = 120000;

TEST(HallGone, TheClientQuitsWithoutLeavingAndTheServerPlaysWithTheNextLaunch) {
    e2e::TableRun table(
        {.serverArguments = {"--start-when-full", "--pacing", "test", "--seed", "2112", "--test"}});
    ASSERT_TRUE(table.StartServer());
    ASSERT_TRUE(table.StartHallAndClient());
    ASSERT_TRUE(table.WaitForMessages("notify", kHandStart, 1, kHandStartMs))
        << table.ServerLogTail();

    table.KillHall();
    const uint32_t killed = platform::GetTickCount32();
    const std::optional<int> status = table.WaitForClientExit(10000);
    const uint32_t quitMs = platform::GetTickCount32() - killed;
    ASSERT_TRUE(status.has_value()) << "the client outlived its hall";
    EXPECT_LE(quitMs, kQuitMs);
    RecordProperty("quitMs", static_cast<int>(quitMs));
    EXPECT_TRUE(table.Run().CheckEnded(*status));
    // The client quit without a word to the server; the server saw the
    // connection end in the hand.
    ASSERT_TRUE(test_support::WaitUntil(
        [&] { return !e2e::LinesWith(table.ServerLog(), "the connection ended").empty(); }, 5000));
    const std::string firstLog = table.ServerLog();
    const std::vector<e2e::ServerMessage> first = e2e::ServerMessages(firstLog);
    EXPECT_EQ(e2e::CountMessages(first, "in", kLeaveGame), 0u);
    EXPECT_EQ(e2e::CountMessages(first, "in", kLeaveTable), 0u);
    EXPECT_EQ(e2e::LinesWith(firstLog, "mid-hand: the hand is abandoned").size(), 1u)
        << table.ServerLogTail();

    // A new hall launches a new client, in folders of its own, against the
    // same server run: a fresh hand starts and the client makes its first own
    // discard in it.
    e2e::TableRun again({});
    again.UseServerOf(table);
    ASSERT_TRUE(again.StartHallAndClient());
    EXPECT_TRUE(again.WaitForMessages("notify", kHandStart, 2, kHandStartMs))
        << table.ServerLogTail();
    EXPECT_TRUE(again.WaitForMessages("in", kDiscard, 1 + e2e::CountMessages(first, "in", kDiscard),
                                      kFirstDiscardMs))
        << table.ServerLogTail();
    e2e::FailOnEachLine(table.ServerProtocolErrors());
    e2e::FailOnEachLine(again.ClientMissedResources());
}

}  // namespace
