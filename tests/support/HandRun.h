#pragma once
// Whole hands against the table server with the wire seat in the human's
// chair, on the table's injected clock: the clock moves to the next timer
// only when the table waits and the seat has nothing to send, or while the
// table holds the seat's request for a robot's claim, so a hand takes no
// real time beyond the loopback.
//
// What a run checks and keeps as faults (each with the seed):
//  - after every engine operation, every tile id once in the records and
//    the counts equal to the held records;
//  - whenever the seat is about to act, its own tiles equal the engine's;
//  - per hand, the settled points and score changes sum to zero, silver
//    changes with the fees never add silver, and each hand starts from the
//    last one's values plus its changes;
//  - no protocol error, no refusal but 229101 at an empty wall, no report
//    of a refused notification, nothing the seat found wrong.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/WirePlayer.h"
#include "tests/support/WireSeat.h"
#include "tools/test_server/TableServer.h"

namespace servertest {

struct HandRunTotals {
    int hands = 0;
    size_t operations = 0;  // engine operations checked
    std::map<std::string, int> events;
    std::map<std::string, uint32_t> firstSeeds;  // the first seed each event came in
    std::vector<std::string> faults;
    int robbingWindows = 0;  // the server's count of kongs others could rob
};

class HandRun {
public:
    static constexpr int32_t kUser = 4242;
    static constexpr int32_t kRoom = 7;
    static constexpr int32_t kTable = 1;

    // The human's purse at the table's start: a long run gives more, so that
    // it is not emptied before its last hand. handsKept: the table's reports
    // kept (the run checks each hand as it settles).
    HandRun(uint32_t seed, int32_t chair, SeatMix mix = {},
            int32_t humanSilver = testserver::TableServer::Options{}.humanSilver,
            size_t handsKept = testserver::TableServer::Options{}.handsKept);
    ~HandRun();
    HandRun(const HandRun&) = delete;
    HandRun& operator=(const HandRun&) = delete;

    // Enters and plays the hands one after the other (false on a fault that
    // stops the run); what it saw is added to the totals. afterHand, when
    // given, is told the number of hands done as each result comes.
    bool Play(int hands, HandRunTotals& totals,
              const std::function<void(int handsDone)>& afterHand = {});

    // --- For runs that step themselves (rogue requests) ---
    enum class Step { kGoOn, kDone, kStopped };
    bool Enter();
    // Takes in what came and makes one move: the seat's request, the next
    // hand's start or the clock moved on.
    Step Advance(int hands);
    // Waits until the table is idle and gives the seat every notification.
    bool Settle();
    // Moves the table's clock to its next timer; false when none is set.
    bool AdvanceClock();
    // Sends the request and hands the seat its answer.
    bool Send(const SeatRequest& request);
    // A request outside the seat's play: its answer code (0: none came).
    uint32_t SendOnly(uint32_t id, std::span<const uint8_t> body);
    // Starts the next hand (the client's ready).
    bool AskStart();
    WireSeat& Seat() { return seat_; }
    testserver::TableServer& Table() { return table_; }
    size_t ProtocolErrors() const { return server_.ProtocolErrors(); }
    std::vector<std::string> TakeFaults();

private:
    void AfterOperation(std::string_view operation, const CRegionalMahjongRules& table);
    void CheckOwnHand();
    // Checks the hands settled and the results come since the last check,
    // each against the one before: only the last of each is kept.
    void CheckNewHands();
    void CheckReport(const testserver::TableServer::HandReport& hand, const std::string& where);
    void CheckResult(const table_protocol::GameResultRecord& result, const std::string& where);
    void CheckCounters();
    void Fault(const std::string& what);
    // Waits until the table has taken an unwaited request.
    bool Sync();
    testserver::TableServer::Options Options(uint32_t seed, int32_t humanSilver, size_t handsKept);
    // A waited request; its answer may wait for the table's clock, which
    // the clock keeper then moves on.
    bool Ask(uint32_t id, std::span<const uint8_t> body, Answer& answer);
    // The clock keeper's thread: while a waited request is out, it moves
    // the clock on whenever the table took it and waits without answering.
    void KeepClock();

    uint32_t seed_;
    int32_t chair_;
    std::atomic<uint64_t> clockMs_ = 1000;
    std::atomic<size_t> notified_ = 0;  // notifications the server sent
    std::atomic<size_t> replied_ = 0;   // replies the server sent
    mutable std::mutex mutex_;
    std::vector<int32_t> engineHand_;  // the human's tiles after the last operation
    std::vector<std::string> faults_;  // guarded by mutex_
    size_t operations_ = 0;            // guarded by mutex_
    testserver::TestGameServer server_;
    testserver::TableServer table_;
    WirePlayer player_;
    WireSeat seat_;
    size_t taken_ = 0;  // notifications given to the seat
    int startsAsked_ = 0;
    size_t handsChecked_ = 0;
    size_t resultsChecked_ = 0;
    std::optional<testserver::TableServer::HandReport> lastReport_;
    std::optional<table_protocol::GameResultRecord> lastResult_;
    // The waited request out: the table's request and reply counts before it.
    struct Asking {
        size_t requestsBefore = 0;
        size_t repliesBefore = 0;
    };
    std::mutex askMutex_;
    std::condition_variable askChanged_;
    std::optional<Asking> asking_;  // guarded by askMutex_
    bool stopping_ = false;         // guarded by askMutex_
    std::thread clockKeeper_;       // last: it uses everything above
};

}  // namespace servertest
