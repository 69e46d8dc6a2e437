#pragma once
// The game server of one table: one human connection and three robots at
// chairs the human does not take. It holds the conversation of entering,
// marking ready and leaving; the hand itself is played by a hand loop that
// plugs in through HandLoop.
//
// Threads: the transport's thread only checks the framing and queues each
// request; the table thread takes them in order, owns the table's state and
// its timers, and sends every reply and notification, so a reply always
// goes out before the notifications that follow from it. The timers run on
// the table's clock, which a test may replace (then it calls Wake after
// moving its clock on).
//
// Rules:
//  - Requests are checked before the table sees them: the length the id
//    needs and, where the body names a chair, the human's chair. A refused
//    request changes nothing; a waited one gets its refusal at once.
//  - Every waited request is answered exactly once, or never when its id is
//    one the server takes in silence.
//  - A connection that ends resets the table (a hand under way is abandoned
//    without settlement); the server stays up for the next client.
//  - Service requests (safe box, welfare) and the frame's own answers come
//    from the frame script, unchanged.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tools/table_driver/TableDriver.h"
#include "tools/test_server/FaultPlan.h"
#include "tools/test_server/FrameScript.h"
#include "tools/test_server/RecentRecords.h"
#include "tools/test_server/TableRobots.h"
#include "tools/test_server/TestGameServer.h"
#include "tools/test_server/TimerQueue.h"

namespace testserver {

class TableServer {
public:
    static constexpr int32_t kSeats = 4;
    static constexpr int32_t kRobotUserBase = testserver::kRobotUserBase;

    // Where the hands plug in: told on the table thread when all four
    // chairs are ready, of every play request, and when the table resets.
    class HandLoop {
    public:
        virtual ~HandLoop() = default;
        virtual void StartHand(TableServer& table) = 0;
        // A play request of the human's seat; the loop answers it.
        virtual void OnPlayRequest(TableServer& table, const ServerRequest& request) = 0;
        virtual void Abandon() = 0;
        // The engine's packed snapshots of every seat, concatenated.
        virtual std::vector<uint8_t> PackedSnapshot() const { return {}; }
        // What the table driver saw over every hand so far.
        virtual TableDriverStats DriverStats() const { return {}; }
    };

    // How fast the table plays: the clocks the client is given (hand-start
    // dwords 18 and 39) and how long a robot takes for a move.
    enum class Pacing { kDemo, kTest };

    // One finished hand as the server settled it.
    struct HandReport {
        std::array<int32_t, kSeats> points{};  // the regional points
        std::array<int32_t, kSeats> scoreChange{};
        std::array<int32_t, kSeats> silverChange{};
        std::array<int32_t, kSeats> fees{};
        std::array<int32_t, kSeats> scoreBefore{};
        std::array<int32_t, kSeats> silverBefore{};
        uint32_t endFlags = 0;
        int32_t winner = -1;  // -1: a drawn hand
        int32_t banker = -1;
        // 1 on a discard, 2 self-drawn, 4 robbing a kong; 0 when drawn.
        int32_t howWon = 0;
    };

    struct Options {
        FrameScript::Options frame;
        int32_t roomOptions = 0;
        uint32_t seed = 0;  // the random source of the table and the robots
        // Frames sent are read back and every message is logged.
        bool testMode = false;
        std::function<void(const std::string& line)> log;
        // Milliseconds on the table's clock; the steady clock when empty.
        std::function<uint64_t()> clock;
        Pacing pacing = Pacing::kDemo;
        // The first hand starts without the client's ready: after its first
        // 400001 or 2 s after the enter reply (the server marks it ready).
        bool startWhenFull = false;
        // After this many results the next ready of the client ends the
        // table (a robot leaves); 0: no limit.
        int hands = 0;
        // On the table's side after every engine operation, while the engine
        // is still.
        std::function<void(std::string_view operation, const CRegionalMahjongRules& table)>
            afterOperation;
        int32_t humanSilver = kHumanStartSilver;
        int32_t robotSilver = kRobotStartSilver;  // robots are topped up to it between hands
        // StartGame's least silver: a human below it gets the table's end.
        int32_t minSilver = 100;
        // A fault made on purpose once in the run (FaultPlan.h).
        FaultPlan::Kind fault = FaultPlan::Kind::kNone;
        // The hand reports Hands() keeps (the newest).
        size_t handsKept = 256;
    };
    struct Counters {
        // Requests the table thread took (once counted, WaitIdle returns
        // only after the table has handled them).
        size_t requests = 0;
        size_t refused = 0;         // requests refused before the table saw them
        size_t failureReports = 0;  // the client's reports of a notification it refused
        size_t resets = 0;
        // Every refusal sent to the client (by the table or the hand), by code.
        std::map<uint32_t, size_t> refusalsByCode;
    };

    TableServer(TestGameServer& server, Options options);
    ~TableServer();
    TableServer(const TableServer&) = delete;
    TableServer& operator=(const TableServer&) = delete;

    // The transport's options this server needs (the game channel's
    // greeting, read-back in test mode).
    static TestGameServer::Options TransportOptions(bool testMode);

    // The hands are the table's own (TableHand) unless another loop is set
    // here (null: no hands).
    void SetHandLoop(HandLoop* loop);

    // --- For the hand loop (table thread only) ---
    bool Reply(const ServerRequest& request, uint32_t code, std::span<const uint8_t> data = {});
    bool Notify(uint32_t id, std::span<const uint8_t> data = {});
    bool ReplyTo(uint32_t messageSequence, uint32_t code, std::span<const uint8_t> data = {});
    int32_t HumanChair() const { return humanChair_; }
    int32_t HumanUser() const { return humanUser_; }
    int32_t RoomId() const { return roomId_; }
    int32_t TableNo() const { return tableNo_; }
    size_t Resets() const;
    void SetHandRunning(bool running);
    // A hand was settled: its report is kept, the hand stops running and
    // the robots are ready for the next one.
    void HandSettled(const HandReport& report);
    // Runs the action on the table thread delayMs from now on the table's
    // clock; an id for CancelTimer. A table reset drops every timer.
    uint64_t After(uint32_t delayMs, TimerQueue::Action action);
    bool CancelTimer(uint64_t id);
    uint64_t NowMs() const;

    // Makes the table thread look at its clock again (any thread).
    void Wake();

    // Counts a refusal sent with that code (the hand's own included).
    void CountRefusal(uint32_t code);
    const Options& GetOptions() const { return options_; }

    // --- What happened (any thread) ---
    // When the next timer falls due on the table's clock.
    std::optional<uint64_t> NextTimerDueMs() const;
    // True once no event is queued and the table (and its hand) wait for
    // the human or a timer; false when realMs passed first.
    bool WaitIdle(uint32_t realMs);
    // The reports of the last hands settled, oldest first (as many as the
    // options keep), and the number of hands settled in all.
    std::vector<HandReport> Hands() const;
    size_t HandsReported() const;
    // Summed over every hand.
    TableDriverStats DriverStats() const;
    // Every seat's packed snapshot, concatenated (call while idle).
    std::vector<uint8_t> PackedSnapshot() const;
    Counters GetCounters() const;
    std::array<bool, kSeats> ReadyChairs() const;
    bool HandRunning() const;
    FrameScript& Frame() { return frame_; }

private:
    struct Event {
        enum class Kind { kRequest, kConnected, kDisconnected, kWake, kStop } kind = Kind::kRequest;
        ServerRequest request;
    };
    void Push(Event event);
    void Run();
    // Waits for the next event; empty when a timer fell due first.
    std::optional<Event> NextEvent();
    void RunDueTimers();
    void OnRequest(const ServerRequest& request);
    // The check before the table: the length and chair the id needs.
    bool Acceptable(const ServerRequest& request) const;
    void Refuse(const ServerRequest& request, uint32_t code);
    void Enter(const ServerRequest& request);
    void OnClientReady(const ServerRequest& request);
    // The first hand without the client's ready (--start-when-full).
    void StartWhenFull();
    void StartHandIfAllReady();
    void EndTableByRobot();
    // The human's exit request: the robots agree, the hand is abandoned
    // and the human, still seated, leaves by his own leave request.
    void LetHumanLeave();
    // The human's silver as the service scripts see it.
    void SetGameSilver(int32_t silver);
    void MarkReady(int32_t chair);
    // Stops the hand unsettled: no timer, nobody ready.
    void AbandonHand();
    void ResetTable();
    std::vector<uint8_t> StatusBlock() const;

    TestGameServer& server_;
    Options options_;
    FrameScript frame_;
    FaultPlan faults_;  // every reply and notification of the table goes through it
    std::unique_ptr<HandLoop> ownHand_;
    std::atomic<HandLoop*> handLoop_ = nullptr;  // set while no hand runs

    // The table's state (table thread writes; guarded by mutex_ for readers).
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Event> events_;  // guarded by mutex_
    mutable std::mutex timerMutex_;
    TimerQueue timers_;                // guarded by timerMutex_ (the table thread changes it)
    Counters counters_;                // guarded by mutex_
    RecentRecords<HandReport> hands_;  // guarded by mutex_
    bool busy_ = false;                // an event is being handled (mutex_)
    std::array<bool, kSeats> ready_{};
    bool handRunning_ = false;
    int handsSettled_ = 0;           // since the human entered
    bool firstHandStarted_ = false;  // since the human entered
    int32_t humanChair_ = -1;
    int32_t humanUser_ = 0;
    int32_t roomId_ = 0;
    int32_t tableNo_ = 0;
    std::thread thread_;
};

}  // namespace testserver
