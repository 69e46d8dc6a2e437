// The real client through the faults of a network: the table server (test
// pacing, one hand, a fixed seed) makes one fault at the client's first
// accepted discard (--fault), and the client, untouched, lives through it.
// What shows from outside: the client's exit status and time, the hall's
// records, the server's log and the sanitizer reports.
//  - A connection that ends under the client (closed, a late reply, a
//    frame that breaks the rules): the client's disconnect box answers
//    itself after 30 s, the client tells the hall it left disconnected
//    (dwData 5) and exits 0.
//  - A withheld reply or a truncated notice: the connection is kept and the
//    hand ends normally.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Sync.h"
#include "tests/e2e/support/RunChecks.h"
#include "tests/support/TableRun.h"

namespace {

// The first own discard comes after the exchange's 30-s clock, the deal and
// the first own time-out; a test-paced hand takes about two minutes.
constexpr uint32_t kUntilFaultMs = 150 * 1000;
constexpr uint32_t kExitAfterDisconnectMs = 45 * 1000;
constexpr uint32_t kRestOfHandMs = 180 * 1000;
constexpr uint32_t kWholeHandMs = 240 * 1000;

constexpr uint32_t kDiscard = 222080;
constexpr uint32_t kResult = 211080;
constexpr uint32_t kPlayerLeft = 211000;
constexpr uint32_t kNotifyFailure = 201162;
constexpr uint32_t kRefusals[] = {10000, 10100, 229450, 60031};
constexpr const char* kLeftDisconnected = "leave data=5 ";

std::vector<std::string> ServerArguments(const std::string& fault) {
    return {"--start-when-full", "--hands", "1", "--pacing", "test", "--seed", "1717", "--test",
            "--fault",           fault};
}

// The line the server logs when the fault acts. Its start line names the
// fault too ("fault NAME)"), so the name alone would match at once.
std::string FaultActedLine(const std::string& fault) {
    return "fault " + fault + ":";
}

// Starts the server with the fault and the client, and waits until the
// fault acted; the tick it acted at.
::testing::AssertionResult RunToFault(e2e::TableRun& table, const std::string& fault,
                                      uint32_t& faultTick) {
    if (::testing::AssertionResult started = table.StartServer(); !started) {
        return started;
    }
    if (::testing::AssertionResult launched = table.StartHallAndClient(); !launched) {
        return launched;
    }
    if (!table.WaitForServerLine(FaultActedLine(fault), kUntilFaultMs)) {
        return ::testing::AssertionFailure() << "the fault never acted; the server's last lines:\n"
                                             << table.ServerLogTail();
    }
    faultTick = platform::GetTickCount32();
    return ::testing::AssertionSuccess();
}

// The last lines of the client's logs, for a failure's message.
std::string ClientLogTail(const e2e::TableRun& table, size_t count = 60) {
    const std::vector<std::string> lines = table.ClientLogLinesWith("");
    std::string tail;
    for (size_t k = lines.size() > count ? lines.size() - count : 0; k < lines.size(); ++k) {
        tail += lines[k] + "\n";
    }
    return tail;
}

// The client's exit: within the time, status 0, no sanitizer report, no
// resource it missed.
void ExpectCleanExit(e2e::TableRun& table, uint32_t timeoutMs, uint32_t since) {
    const std::optional<int> status = table.WaitForClientExit(timeoutMs);
    ASSERT_TRUE(status.has_value())
        << "the client still runs " << timeoutMs / 1000 << " s on; the server's last lines:\n"
        << table.ServerLogTail() << "the client's last lines:\n"
        << ClientLogTail(table);
    ::testing::Test::RecordProperty("seconds_to_exit",
                                    static_cast<int>((platform::GetTickCount32() - since) / 1000));
    EXPECT_TRUE(table.Run().CheckEnded(*status));
    e2e::FailOnEachLine(table.ClientMissedResources());
}

// The connection ended under the client: it tells the hall it left
// disconnected and exits 0 within 45 s of the fault.
void ExpectDisconnectedExit(e2e::TableRun& table, uint32_t faultTick) {
    ExpectCleanExit(table, kExitAfterDisconnectMs, faultTick);
    EXPECT_FALSE(e2e::LinesWith(table.HallRecord(), kLeftDisconnected).empty())
        << table.HallRecord();
    const std::vector<e2e::ServerMessage> messages = e2e::ServerMessages(table.ServerLog());
    EXPECT_EQ(e2e::CountMessages(messages, "notify", kResult), 0u);
}

// A run whose fault ends the connection under the client, to the client's
// exit.
void ExpectFaultCostsTheConnection(const std::string& fault) {
    e2e::TableRun table({.serverArguments = ServerArguments(fault)});
    uint32_t faultTick = 0;
    ASSERT_TRUE(RunToFault(table, fault, faultTick));
    ExpectDisconnectedExit(table, faultTick);
}

// The hand went on and ended as any hand: its result, the table's end, no
// refusal, no protocol error on the server; the client left as a player
// who ends the game.
void ExpectHandEndedNormally(const e2e::TableRun& table, const e2e::TableRun& playing) {
    const std::string log = table.ServerLog();
    const std::vector<e2e::ServerMessage> messages = e2e::ServerMessages(log);
    EXPECT_EQ(e2e::CountMessages(messages, "notify", kResult), 1u) << table.ServerLogTail();
    EXPECT_EQ(e2e::CountMessages(messages, "notify", kPlayerLeft), 1u);
    for (uint32_t code : kRefusals) {
        EXPECT_EQ(e2e::CountMessages(messages, "reply", code), 0u) << "refusals " << code;
    }
    EXPECT_EQ(e2e::LinesWith(log, "hands done 1, protocol errors 0").size(), 1u)
        << table.ServerLogTail();
    EXPECT_TRUE(e2e::LinesWith(playing.HallRecord(), kLeftDisconnected).empty())
        << playing.HallRecord();
    EXPECT_FALSE(e2e::LinesWith(playing.HallRecord(), "leave").empty()) << playing.HallRecord();
}

TEST(ClientFaults, AClosedConnectionEndsTheClientAndANewLaunchPlaysAWholeHandOnTheSameServer) {
    e2e::TableRun table({.serverArguments = ServerArguments("close")});
    uint32_t faultTick = 0;
    ASSERT_TRUE(RunToFault(table, "close", faultTick));
    ExpectDisconnectedExit(table, faultTick);

    e2e::TableRun again({});
    again.UseServerOf(table);
    ASSERT_TRUE(again.StartHallAndClient());
    ExpectCleanExit(again, kWholeHandMs, platform::GetTickCount32());
    ExpectHandEndedNormally(table, again);
    EXPECT_EQ(e2e::LinesWith(table.ServerLog(), FaultActedLine("close")).size(), 1u);
}

TEST(ClientFaults, AWithheldDiscardReplyTimesOutAsDoneAndTheHandEndsNormally) {
    e2e::TableRun table({.serverArguments = ServerArguments("withhold-discard-reply")});
    uint32_t faultTick = 0;
    ASSERT_TRUE(RunToFault(table, "withhold-discard-reply", faultTick));
    ExpectCleanExit(table, kRestOfHandMs, faultTick);
    ExpectHandEndedNormally(table, table);
    EXPECT_EQ(e2e::CountMessages(e2e::ServerMessages(table.ServerLog()), "in", kNotifyFailure), 0u);
    // The throw counts as done: the wrapper writes no failure line for it.
    for (const std::string& line : table.ClientLogLinesWith(std::to_string(kDiscard))) {
        ADD_FAILURE() << line;
    }
}

TEST(ClientFaults, ADiscardReplySixSecondsLateCostsTheConnection) {
    ExpectFaultCostsTheConnection("late-discard-reply");
}

TEST(ClientFaults, AFrameWithAWrongCrcCostsTheConnection) {
    ExpectFaultCostsTheConnection("bad-crc");
}

TEST(ClientFaults, AFrameWithABadLengthCostsTheConnection) {
    ExpectFaultCostsTheConnection("bad-length");
}

TEST(ClientFaults, ATruncatedDrawNoticeIsRefusedAndReportedAndTheHandEndsNormally) {
    e2e::TableRun table({.serverArguments = ServerArguments("truncated-draw-copy")});
    uint32_t faultTick = 0;
    ASSERT_TRUE(RunToFault(table, "truncated-draw-copy", faultTick));
    ExpectCleanExit(table, kRestOfHandMs, faultTick);
    EXPECT_EQ(e2e::CountMessages(e2e::ServerMessages(table.ServerLog()), "in", kNotifyFailure), 1u)
        << table.ServerLogTail();
    ExpectHandEndedNormally(table, table);
}

}  // namespace
