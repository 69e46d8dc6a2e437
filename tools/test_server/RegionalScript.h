#pragma once
// The regional game's script for the loopback test server: the frame's and
// the service scripts' answers, the regional requests' answers, and one
// scripted hand that it plays against the client on its own thread.
//
// Answers (besides the frame script's, FrameScript.h):
//   222070 swap choice -> 10     229000 own draw -> 10, a 32-byte draw reply
//   222080 discard -> 10         201160 -> recorded and sent back as 201160
//   400001, 19840325, 201020 -> recorded, never answered
//
// The hand (the client's chair is 0, the banker chair 3; robots sit at
// chairs 1-3). Some time after the client entered (200110 answered):
//   211011 and 201160 for each robot, then 211040 (own tiles, banker 3,
//   wild tiles in dwords 34-36, short clocks in dwords 18 and 39), 229480
//   for each robot, 222168 (die 4) once the client sent its choice or the
//   wait ran out, then the play:
//     3 throws; 2 draws and throws; 1 draws and throws;
//     [own turn: the client draws (229000) and throws (222080)]
//     3 pengs the last tile thrown at once (inside the own clock), throws;
//     2 gangs it, draws the replacement and throws; 1 wins on it (211080).
//   Without the own turn the client's option words stay 0: it is never
//   asked to act.
//
// Rules:
//  - Every record is written through the table protocol's named fields.
//  - Waits are bounded and end early when the script goes; going, the
//    script stops its thread before the server stops.
//  - onStep, when set, is called on the script's thread before each step
//    is sent; a test may block there to check the client in between.
//  - With `engine` set, the hand after the robots' entry is the engine's
//    (RegionalEngineHand.h): the client's play requests go to it and it
//    answers them; the scripted plays above are not sent.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "mahjong_client/TableProtocol.h"
#include "tools/test_server/FrameScript.h"
#include "tools/test_server/RegionalEngineHand.h"
#include "tools/test_server/TableRobots.h"
#include "tools/test_server/TestGameServer.h"

namespace testserver {

class RegionalScript {
public:
    static constexpr int32_t kOwnChair = 0;
    static constexpr int32_t kBanker = 3;
    static constexpr int32_t kSwapDie = 4;
    // The two tiles of the wild pair (dwords 34-35) and the panel's (36).
    static constexpr int32_t kWildTile = 4;
    static constexpr int32_t kClockSeconds = 3;

    struct Options {
        FrameScript::Options frame;
        bool ownTurn = false;  // the client draws and throws after chair 1
        int32_t roomId = 0;
        int32_t tableNo = 0;
        int32_t baseSilver = 100;
        int32_t baseScore = 10;
        uint32_t startAfterMs = 1000;  // after the client entered
        uint32_t dealMs = 6000;        // after the hand start
        uint32_t swapWaitMs = 5000;    // at most, for the client's choice
        uint32_t swapDiceMs = 3000;    // after the swap dice
        uint32_t stepMs = 1500;        // between plays
        uint32_t claimMs = 300;        // a claim "at once"
        uint32_t ownActionMs = 60000;  // at most, for the client's draw and throw
        // Hand-start word 27: 1 skips the wait for claims nobody can make.
        int32_t claimSkipRule = 1;
        std::function<void(const std::string& step)> onStep;
        // False: after the robots' entry the script sends nothing of its
        // own; the test sends the hand's records (Frame().Notify).
        bool scriptedPlays = true;
        // The engine's hand instead of the scripted plays.
        bool engine = false;
        RegionalEngineHand::Options engineHand;
    };

    explicit RegionalScript(TestGameServer& server);
    RegionalScript(TestGameServer& server, Options options);
    ~RegionalScript();
    RegionalScript(const RegionalScript&) = delete;
    RegionalScript& operator=(const RegionalScript&) = delete;

    FrameScript& Frame() { return frame_; }
    // Starts the hand now, without waiting for the client to enter (once).
    void StartHand();
    // Waits until the result was sent; false at the time-out.
    bool WaitForHandEnd(uint32_t timeoutMs);
    // The names of the steps sent so far, in order.
    std::vector<std::string> StepsSent() const;
    // The engine's hand (null without Options::engine).
    RegionalEngineHand* EngineHand() { return engineHand_.get(); }

    // --- The records of the hand (also for tests that check the client) ---
    // The client's thirteen tiles before the swap.
    static std::vector<int32_t> OwnTiles();
    // The three tiles the client receives in the swap.
    static std::array<int32_t, 3> OwnReceivedTiles();
    static table_protocol::HandStartRecord HandStart(const Options& options);
    static table_protocol::GameResultRecord HandResult(const Options& options);
    // The reply of the client's own draw.
    static std::vector<uint8_t> OwnDrawReply();
    static constexpr int32_t kOwnDrawTile = 46;
    static constexpr int32_t kOwnDrawWall = 55;

private:
    void Observe(const FrameScript::Recorded& request);
    void Run();
    // Sends a step after `delayMs`; false when the script is going.
    bool Step(const std::string& name, uint32_t delayMs, int32_t id,
              const std::vector<uint8_t>& record);
    bool Pause(uint32_t ms);
    // Waits for the n-th request of the id; false when going or timed out.
    bool WaitForRequest(uint32_t id, size_t n, uint32_t timeoutMs);
    bool Going() const;
    bool PlayHand();
    bool PlayEngineHand();

    Options options_;
    // The caller's observer of requests, told after the script's own.
    std::function<void(const FrameScript::Recorded&)> userObserver_;
    TestGameServer& server_;
    FrameScript frame_;
    std::unique_ptr<RegionalEngineHand> engineHand_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool start_ = false;              // guarded by mutex_
    bool going_ = false;              // guarded by mutex_
    bool handEnded_ = false;          // guarded by mutex_
    std::vector<std::string> steps_;  // guarded by mutex_
    std::thread thread_;
};

}  // namespace testserver
