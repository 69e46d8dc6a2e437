#pragma once
// A regional hand the test server plays on the table-logic engine: the
// table driver sequences it, the robot seats take their moves from a fixed
// list (past it, optionally, their own seeded play), and the client's seat
// answers from the client's requests.
//
// What the client gets (its chair is 0):
//   211040 the engine's header for chair 0, with the server's own words
//          (13 = the seat to act, 27 = 1, 36 = the panel's wild tile = 34);
//   229480 as each robot chooses its exchange, 222168 after the exchange;
//   222170 every throw (400010 for a throw that declares the ready hand),
//          with every chair's option word from the engine (unpaced, a
//          robot's shows the hu alone);
//   229160 a robot's draw, 229185/229195/229197/229199 a robot's meld,
//   229180 an announced gang the client may rob, 211080 the packed result.
// Requests of chair 0, each checked by the engine against what it offers:
//   222070 swap choice, 229000 own draw, 222080 discard, 400009 ready throw,
//   229025 peng, 229045 discard gang, 229047 concealed gang, 229049 added
//   gang, 229030 hu, 229040 pass (not answered), 229015 gang query. A
//   request that does not fit the seat's options is refused (10100; a draw
//   out of turn 229101) and the hand goes on waiting.
//
// Rules:
//  - Unpaced, it waits for the client as long as it takes (no server
//    time-outs); Stop ends every wait and the hand.
//  - Paced (the table server's hand loop): the hand's thread and the
//    table's thread take turns. The table hands over at a request, a timer
//    or a start and waits until the hand parks again, so only one of them
//    touches the engine and every send keeps its order. The hand parks
//    whenever a seat must decide: the human's until a request or its
//    safety time-out, a robot's until its pacing timer fires (a robot's
//    claim: its delay after the window opened, a pass at once).
//  - The replies that carry a tile (draw, gangs, peng) go out once the
//    engine has carried the play out, from the engine's state.
//  - Everything it shows a test (the seats' tiles, the wall left) is read
//    under the hand's lock.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "tools/table_driver/SeatPlayer.h"
#include "tools/table_driver/TableDriver.h"
#include "tools/test_server/RecentRecords.h"

namespace testserver {

class RegionalEngineHand {
public:
    static constexpr int kOwnChair = 0;

    // Where the hand's records go: the server's replies and notifications.
    struct Wire {
        std::function<void(uint32_t sequence, uint32_t code, std::vector<uint8_t> data)> reply;
        std::function<void(uint32_t id, std::vector<uint8_t> data)> notify;
    };
    // One move of a robot seat: taken at the seat's first decision that
    // offers it (tile -1: any tile of that kind of move); decisions the list
    // does not cover pass, exchange the first suit offered, or throw the
    // tile just drawn (else the first tile held).
    struct RobotMove {
        int seat = 1;
        SeatActionKind kind = SeatActionKind::kPass;
        int32_t tile = -1;  // matched by tile kind (index)
    };
    // The table's timers and clocks for a paced hand.
    struct Pacing {
        bool on = false;
        // Runs the action on the table's thread after delayMs on its clock.
        std::function<uint64_t(uint32_t delayMs, std::function<void()> action)> after;
        std::function<void(uint64_t id)> cancel;
        std::function<uint64_t()> now;
        uint32_t robotMinMs = 800;  // a robot's move, after the event it answers
        uint32_t robotMaxMs = 1500;
        uint32_t quietAfterSwapDiceMs = 1500;  // no robot throws sooner
        uint32_t swapTimeOutMs = 40000;
        int32_t turnSeconds = 15;   // the client's clocks: hand-start dword 18
        int32_t claimSeconds = 10;  // and dword 39
    };
    struct Options {
        int32_t ownChair = kOwnChair;
        int32_t roomId = 0;
        int32_t tableNo = 0;
        int32_t ownUserId = 0;
        int32_t baseSilver = 100;
        bool testDealReplay = true;  // the wall of "test.ini" in the program folder
        std::vector<RobotMove> moves;
        // Above 0: the engine's dice and banker come from this seed (the
        // table driver's sources, for the hand's life); 0: at random.
        uint64_t seed = 0;
        // The robots wait before each decision until released.
        bool robotsHeld = false;
        // Hands played one after the other; each after the first is dealt
        // once the client is ready again (ClientReady), the robots' ready
        // marks (201160) sent before its start.
        int hands = 1;
        // On the hand's thread before each deal (hand 0, 1, ...): e.g. the
        // next wall into "test.ini".
        std::function<void(int hand)> beforeHand;
        // On the hand's thread before a robot takes the listed move of that
        // index; a test may hold the robot there until it has checked.
        std::function<void(size_t move)> beforeListedMove;
        // Real time the play waits after the exchange's dice (222168), as a
        // server leaves the client its dice animation before the banker
        // acts (the client applies the exchange 1030 ms after the record).
        uint32_t afterSwapDiceMs = 0;
        Pacing pacing;
        // Robots past the listed moves play as the table driver's seeded
        // robots (RobotPlayer, biased toward wins, kongs and pengs), throwing
        // and exchanging by RuleRobot's rule; else they pass, exchange the
        // first suit and throw the drawn tile.
        bool ruledRobots = false;
        // The robots' generators (their play and pacing), and the engine's
        // when seed is 0.
        uint64_t robotSeed = 1;
        int32_t ownSilver = 100000;
        // The client's silver before each hand (else ownSilver, then the
        // engine's own account of it).
        std::function<int32_t()> ownSilverNow;
        int32_t robotSilver = 100000;  // robots are topped up to it between hands
        int32_t minSilver = 0;         // the least silver a hand starts with
        // After every engine operation, while the engine is still.
        std::function<void(std::string_view, const CRegionalMahjongRules&)> afterOperation;
        // After each played hand, before its result goes out.
        std::function<void(const HandOutcome&)> afterHand;
        // The start of a hand refused for the seat (the hand's thread).
        std::function<void(int chair)> startRefused;
        std::function<void(const std::string&)> log;
        // Refusals sent to the client, by code.
        std::function<void(uint32_t code)> refused;
        // The operations Operations() keeps (the newest), over every hand.
        size_t operationsKept = 4096;
    };

    RegionalEngineHand(Wire wire, Options options);
    ~RegionalEngineHand();
    RegionalEngineHand(const RegionalEngineHand&) = delete;
    RegionalEngineHand& operator=(const RegionalEngineHand&) = delete;

    // Seats the table and plays one hand on the hand's own thread.
    void Start();
    // Ends every wait; the hand ends unplayed.
    void Stop();
    // A client request: true when it is the hand's (queued, answered by the
    // hand), false when it is for someone else. One the client does not wait
    // for (waited false) is carried out or refused in silence.
    bool OnRequest(uint32_t sequence, uint32_t id, std::span<const uint8_t> body,
                   bool waited = true);
    // The client asked to start the next hand (201160).
    void ClientReady();
    bool WaitForEnd(uint32_t timeoutMs);
    // After the end: whether the hand was played to its result.
    bool Played() const;
    // While held, the robot seats wait before each decision (as a real
    // server's robots take their time): a test lets the client catch up.
    void HoldRobots(bool held);
    // The engine's packed snapshots of every seat, concatenated (while
    // parked).
    std::vector<uint8_t> PackedSnapshot() const;
    TableDriverStats DriverStats() const;

    // --- What a test checks against the client ---
    std::vector<int32_t> SeatTiles(int seat) const;  // held ids in wall order
    int WallLeft() const;
    // The tile the engine gave the client's seat that the client has not
    // asked for yet (its own draw request pending); -1 when none.
    int32_t PendingOwnDraw() const;
    int32_t CurrentSeat() const;
    // The last operations carried out, in order ("Discard", "Peng", ...):
    // as many as the options keep.
    std::vector<std::string> Operations() const;

private:
    struct Pending {
        uint32_t sequence = 0;
        uint32_t id = 0;
        std::vector<uint8_t> body;
        bool waited = true;  // the client waits for its reply
    };
    class ClientSeat;
    class ListSeat;
    static constexpr uint32_t kSafetyTimeOut = 0;  // a queued time-out, not a request

    int32_t Own() const { return options_.ownChair; }
    // Hand thread, lock held: waits until ready() (or stopped), parked.
    template <typename Ready>
    void ParkUntil(std::unique_lock<std::mutex>& lock, Ready ready);
    // The table's thread, lock held: hands over and waits until parked.
    void HandOver(std::unique_lock<std::mutex>& lock);
    // A paced robot waits for its timer: on its turn its delay from now
    // (requests meanwhile are out of turn), for a claim its delay from the
    // window's opening (the human's answers to the window wait).
    void PaceRobot(bool turn);
    // Answers the queued requests as out of turn (but the human's answers
    // to an open claim window, when kept): a gang query is answered, a draw
    // refused with 229101, anything else with 10100.
    void AnswerOutOfTurn(bool keepWindowAnswers);
    // Whether the request is the human's answer to the claim window a
    // robot's claim holds open: his claim, his pass, or the draw that
    // passes; it waits for his decision on the window.
    bool AnswersOpenWindow(const Pending& request) const;
    // A robot won: the human's queued claims on the window are held (210050).
    void AnswerBeatenClaims();
    // Takes the queued requests `taken` selects out of the queue, in order.
    std::vector<Pending> TakeQueued(const std::function<bool(const Pending&)>& taken);
    uint32_t RobotDelay();
    // The human's safety time-out for the decision now asked (0: none).
    void ArmSafetyTimeOut(uint32_t delayMs);
    void DisarmSafetyTimeOut();
    void SendSwapReady(int chair);
    void FlushSwapReady();
    void TopUpRobots();
    int32_t WireOptions(int chair) const;
    void Run();
    // Before a hand after the first: waits for the client's ready; false
    // when stopped. The robots' ready marks went out with the result.
    bool AwaitNextHand();
    // Right after a result that another hand follows: each robot's start.
    void AnnounceRobotsStarted();
    void AfterOperation(std::string_view operation);
    void WaitWhileRobotsHeld();
    void AskSelfOptionsAfterPeng(int seat);
    void Notify(int32_t id, std::vector<uint8_t> data);
    void SendHandStart();
    void SendSwapDice();
    // Waits the time given after the exchange's dice, or until stopped.
    void PauseAfterSwapDice();
    void SendThrow(int seat, int32_t tile, bool declared);
    void SendDraw(int seat, int32_t tile);
    void SendMeld(int32_t id, int claimant, int list);
    void SendRobbingChance(int32_t tile);
    // The reply the client's last play waits for, from the engine's state.
    void ReplyPending(uint32_t code, int32_t options = 0);
    // The client's own draw is due: it drew from the front and has not asked.
    bool OwnDrawDue() const;
    // The last draw's tile as a draw reply (with the ready data under 0x40).
    std::vector<uint8_t> TileReply(int32_t options);
    // The ready-hand information after the client's peng.
    std::vector<uint8_t> TingReply();
    std::vector<uint8_t> GangQueryAnswer(std::span<const uint8_t> body) const;
    void TakeSnapshot();
    int32_t NewTileOf(int seat) const;
    // Takes the next request of the client; false when stopped.
    bool NextRequest(Pending& out);
    // Puts a request back to be the next one taken.
    void PutBack(Pending request);
    void Refuse(const Pending& request, uint32_t code);
    bool Silenced() const;
    void Reply(const Pending& request, uint32_t code, std::vector<uint8_t> data = {});

    Wire wire_;
    Options options_;
    std::unique_ptr<CRegionalMahjongRules> table_;
    std::unique_ptr<ClientSeat> client_;
    std::unique_ptr<ListSeat> robots_;
    mutable std::mutex mutex_;  // the table and everything below
    std::condition_variable changed_;
    std::deque<Pending> queue_;
    bool stopped_ = false;
    bool robotsHeld_ = false;
    TableDriver* driver_ = nullptr;  // while the hand runs
    bool ended_ = false;
    bool clientReady_ = false;
    bool played_ = false;
    RecentRecords<std::string> operations_;
    std::array<std::vector<int32_t>, 4> seatTiles_;
    int wallLeft_ = 0;
    int32_t pendingOwnDraw_ = -1;
    int32_t currentSeat_ = -1;
    // The client's play that waits for its reply (id 0: none).
    Pending waiting_;
    // Hand thread only: the last draw, the exchange's given tiles, a throw
    // that declares the ready hand.
    int32_t lastDrawn_ = -1;
    int lastDrawer_ = -1;
    bool drawFromBack_ = false;
    bool clientDrawAsked_ = false;
    bool declaring_ = false;
    std::array<std::array<int32_t, 3>, 4> swapGiven_{};
    // Paced: the hand-off (baton_ handed by the table, acked_ by the hand
    // as it parks), the robot's timer, the human's safety time-out.
    uint64_t baton_ = 0;
    uint64_t acked_ = 0;
    bool threadDone_ = false;
    bool robotTimerFired_ = false;
    uint64_t decision_ = 0;
    uint64_t safetyTimer_ = 0;
    uint64_t swapDiceAtMs_ = 0;
    // When the last claim window (a throw, an announced kong) opened, and
    // whether a robot claimed the last throw.
    uint64_t claimOpenedAtMs_ = 0;
    bool robotClaimed_ = false;
    uint64_t robotState_ = 0;
    std::array<bool, 4> swapNoticed_{};
    std::vector<uint64_t> swapNoticeTimers_;
    TableDriverStats stats_;
    std::thread thread_;
};

}  // namespace testserver
