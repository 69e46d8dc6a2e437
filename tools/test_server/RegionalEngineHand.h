#pragma once
// A regional hand the test server plays on the table-logic engine: the
// table driver sequences it, the robot seats take their moves from a fixed
// list, and the client's seat answers from the client's requests.
//
// What the client gets (its chair is 0):
//   211040 the engine's header for chair 0, with the server's own words
//          (13 = the seat to act, 27 = 1, 36 = the panel's wild tile = 34);
//   229480 as each robot chooses its exchange, 222168 after the exchange;
//   222170 every throw (400010 for a throw that declares the ready hand),
//          with every chair's option word from the engine;
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
//  - It waits for the client as long as it takes (no server time-outs);
//    Stop ends every wait and the hand.
//  - The replies that carry a tile (draw, gangs, peng) go out once the
//    engine has carried the play out, from the engine's state.
//  - Everything it shows a test (the seats' tiles, the wall left) is read
//    under the hand's lock.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "tools/table_driver/SeatPlayer.h"

class CRegionalMahjongRules;
class TableDriver;

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
    struct Options {
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
    // hand), false when it is for someone else.
    bool OnRequest(uint32_t sequence, uint32_t id, std::span<const uint8_t> body);
    // The client asked to start the next hand (201160).
    void ClientReady();
    bool WaitForEnd(uint32_t timeoutMs);
    // After the end: whether the hand was played to its result.
    bool Played() const;
    // While held, the robot seats wait before each decision (as a real
    // server's robots take their time): a test lets the client catch up.
    void HoldRobots(bool held);

    // --- What a test checks against the client ---
    std::vector<int32_t> SeatTiles(int seat) const;  // held ids in wall order
    int WallLeft() const;
    // The tile the engine gave the client's seat that the client has not
    // asked for yet (its own draw request pending); -1 when none.
    int32_t PendingOwnDraw() const;
    int32_t CurrentSeat() const;
    // The operations carried out, in order ("Discard", "Peng", ...).
    std::vector<std::string> Operations() const;

private:
    struct Pending {
        uint32_t sequence = 0;
        uint32_t id = 0;
        std::vector<uint8_t> body;
    };
    class ClientSeat;
    class ListSeat;

    void Run();
    // Before a hand after the first: waits for the client's ready, then
    // sends the robots' ready marks; false when stopped.
    bool AwaitNextHand();
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
    std::vector<uint8_t> GangQueryAnswer() const;
    void TakeSnapshot();
    int32_t NewTileOf(int seat) const;
    // Takes the next request of the client; false when stopped.
    bool NextRequest(Pending& out);
    void Refuse(const Pending& request, uint32_t code);
    void Reply(const Pending& request, uint32_t code, std::vector<uint8_t> data = {});

    Wire wire_;
    Options options_;
    std::unique_ptr<CRegionalMahjongRules> table_;
    std::unique_ptr<ClientSeat> client_;
    std::unique_ptr<ListSeat> robots_;
    mutable std::mutex mutex_;  // the table and everything below
    std::condition_variable changed_;
    std::vector<Pending> queue_;
    bool stopped_ = false;
    bool robotsHeld_ = false;
    TableDriver* driver_ = nullptr;  // while the hand runs
    bool ended_ = false;
    bool clientReady_ = false;
    bool played_ = false;
    std::vector<std::string> operations_;
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
    std::thread thread_;
};

}  // namespace testserver
