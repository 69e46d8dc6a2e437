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
// And against the test server's regional script, whose hand the test
// interleaves with records out of the hand's course (the script's notify
// command): throws, draws and gang notices before the swap of three has
// ended and after the result, draws for seats that may not draw, and the
// result once more. The client drops each with one log line and answers
// none of them; every record of the script's own hand is taken.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mahjong_client/TableProtocol.h"
#include "platform/Sync.h"
#include "tests/e2e/support/RunChecks.h"
#include "tests/support/TableRun.h"
#include "tools/test_server/RegionalScript.h"

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

// ---- Records out of the hand's course ----

namespace tp = table_protocol;
using testserver::RegionalScript;

// The script's hand takes about half a minute from the client's entry.
constexpr uint32_t kScriptStepMs = 60 * 1000;
// Records sent together reach the client in order; it has handled them
// within this time.
constexpr uint32_t kHandledMs = 10 * 1000;
// After a step of the script, before the test's own records follow it (the
// script sends its record just after the step's line).
constexpr uint32_t kAfterStepMs = 300;
constexpr const char* kNotInPlay = "no hand in play; dropped";
constexpr const char* kNoTurnToDraw = "seat draw: chair";
constexpr const char* kResultAgain = "no hand started since the last result; dropped";
// The requests the client sends only when it acts in the hand.
constexpr uint32_t kPlayRequests[] = {tp::kOwnDraw,   tp::kDiscard,     tp::kPengClaim,
                                      tp::kHuClaim,   tp::kDiscardGang, tp::kConcealedGang,
                                      tp::kAddedGang, tp::kPass};
// A tile and wall places nobody has in the script's hand (its deal takes
// the wall up to 52, its draws 53, 54 and 107).
constexpr int32_t kStrayTile = 100;
constexpr int32_t kStrayWall = 70;

std::string NotifyCommand(int32_t id, const std::vector<uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string line = "notify " + std::to_string(id) + " ";
    for (const uint8_t byte : bytes) {
        line += kDigits[byte >> 4];
        line += kDigits[byte & 0xF];
    }
    return line + "\n";
}

// A throw by chair 1 that offers the client peng, hu and a pass.
std::string ThrowOfferingHu() {
    tp::CardThrownNotice notice;
    notice.thrower = 1;
    notice.tile = kStrayTile;
    notice.chairOptions[RegionalScript::kOwnChair] =
        tp::kOptionPeng | tp::kOptionHu | tp::kOptionPass;
    return NotifyCommand(tp::kCardThrown, tp::WriteTableRecord(notice));
}

// Chair 1's gang that the client may rob.
std::string GangOfferingHu() {
    tp::GangHuNotice notice;
    notice.ganger = 1;
    notice.offerChair = 1;
    notice.tile = kStrayTile;
    notice.gangKind = 1;
    notice.chairOptions[RegionalScript::kOwnChair] = tp::kOptionHu;
    return NotifyCommand(tp::kGangHuNotice, tp::WriteTableRecord(notice));
}

std::string DrawFor(int32_t chair, int32_t wallIndex) {
    tp::SeatDrawNotice notice;
    notice.chair = chair;
    notice.wallIndex = wallIndex;
    return NotifyCommand(tp::kSeatDraw, tp::WriteTableRecord(notice));
}

class ScriptedHandRun {
public:
    ScriptedHandRun() : table_({.serverArguments = {"--regional"}, .serverInput = true}) {}

    ::testing::AssertionResult Start() {
        if (::testing::AssertionResult started = table_.StartServer(); !started) {
            return started;
        }
        return table_.StartHallAndClient();
    }
    // Waits for the script's step, then sends the records.
    ::testing::AssertionResult AfterStep(const std::string& step, const std::string& records) {
        if (!table_.WaitForServerLine("step " + step + "\n", kScriptStepMs)) {
            return ::testing::AssertionFailure()
                   << "no step " << step << "; the server's last lines:\n"
                   << table_.ServerLogTail();
        }
        platform::SleepMs(kAfterStepMs);
        if (!table_.Server().WriteInput(records)) {
            return ::testing::AssertionFailure() << "the server takes no commands";
        }
        return ::testing::AssertionSuccess();
    }
    // Waits until the client's logs hold `count` lines with the text.
    ::testing::AssertionResult ExpectLines(const std::string& text, size_t count) {
        test_support::WaitUntil([&] { return table_.ClientLogLinesWith(text).size() >= count; },
                                kHandledMs);
        const std::vector<std::string> lines = table_.ClientLogLinesWith(text);
        if (lines.size() == count) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << lines.size() << " lines with \"" << text << "\", not " << count
               << "; the client's last lines:\n"
               << ClientLogTail(table_);
    }
    e2e::TableRun& Table() { return table_; }

private:
    e2e::TableRun table_;
};

TEST(ClientFaults, PlayRecordsOutsideTheHandsCourseAreDroppedAndNoneIsAnswered) {
    ScriptedHandRun run;
    ASSERT_TRUE(run.Start());
    // The swap of three is open: the robots say they are ready, no swap
    // result has come.
    ASSERT_TRUE(
        run.AfterStep("229480 1", ThrowOfferingHu() + GangOfferingHu() + DrawFor(2, kStrayWall)));
    EXPECT_TRUE(run.ExpectLines(kNotInPlay, 3));
    // Chair 2 drew and holds a tile over: it may not draw again.
    ASSERT_TRUE(run.AfterStep("229160 2", DrawFor(2, kStrayWall + 1)));
    EXPECT_TRUE(run.ExpectLines(kNoTurnToDraw, 1));
    // The hand is over: its play records and its result again.
    const std::vector<uint8_t> result =
        tp::WriteTableRecord(RegionalScript::HandResult(RegionalScript::Options{}));
    ASSERT_TRUE(run.AfterStep("211080", ThrowOfferingHu() + GangOfferingHu() +
                                            DrawFor(2, kStrayWall + 2) +
                                            NotifyCommand(tp::kHandResult, result)));
    EXPECT_TRUE(run.ExpectLines(kNotInPlay, 6));
    EXPECT_TRUE(run.ExpectLines(kResultAgain, 1));

    // Nothing else was dropped: the script's own hand was taken whole.
    EXPECT_EQ(run.Table().ClientLogLinesWith("dropped").size(), 8u) << ClientLogTail(run.Table());
    // The client was never asked to act, and nothing sent made it act.
    const std::string log = run.Table().ServerLog();
    for (const uint32_t id : kPlayRequests) {
        EXPECT_TRUE(e2e::LinesWith(log, "request " + std::to_string(id) + ",").empty())
            << "request " << id;
    }
    e2e::FailOnEachLine(run.Table().ClientMissedResources());
}

}  // namespace
