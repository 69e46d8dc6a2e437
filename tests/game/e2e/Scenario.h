#pragma once
// The whole client in the test's process against the regional script: the
// loopback test server with the regional script, the fake hall on its own
// thread, and the program's application run with the hall's launch line on
// the test thread (its own message loop). A check harness on that thread
// reads the table, clicks through the platform's input back end and checks
// between the script's steps: the script is held before each step until the
// checks of the steps it sent before are done.
//
// Rules:
//  - One per process: the application runs once (ctest runs each test in a
//    process of its own).
//  - Every wait is bounded; a harness step that never becomes ready fails
//    the test by name and ends the run.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Audio.h"
#include "platform/SdlEvents.h"
#include "tests/game/support/ProgramFolder.h"
#include "tests/game/support/UiHarness.h"
#include "tools/fake_hall/FakeHall.h"
#include "tools/test_server/RegionalScript.h"
#include "tools/test_server/TestGameServer.h"

class CCorvaneObject;
class CRegionalMahjongApp;
class CRegionalTableView;
class CCardSprite;

namespace game_test {

inline constexpr int32_t kScenarioRoomId = 300;
inline constexpr int32_t kScenarioTableNo = 6;
inline constexpr int32_t kScenarioUser = 12345;
inline constexpr int kScenarioOwnPosition = 3;  // the own row's screen position

struct ScenarioOptions {
    bool ownTurn = false;
    // Hand-start word 27 of the scripted hand.
    int32_t claimSkipRule = 1;
    // The test server plays the engine's hand (on the wall of "test.ini",
    // the robots' moves from the list) instead of the scripted plays.
    bool engineHand = false;
    std::vector<testserver::RegionalEngineHand::RobotMove> moves;
    uint64_t engineSeed = 0;    // the engine's dice and banker; 0: at random
    bool robotsHeld = false;    // the robots wait until the test releases them
    std::vector<int32_t> wall;  // the recorded deal; empty: 0..107 in order
    // Hands the engine plays in a row, a hook before each deal (on the
    // server's thread; e.g. the next wall into "test.ini") and one before a
    // robot's listed move (RegionalEngineHand::Options).
    int hands = 1;
    std::function<void(int hand)> beforeHand;
    std::function<void(size_t move)> beforeListedMove;
    uint32_t afterSwapDiceMs = 0;
    int width = 1024;
    int height = 768;
    // Added to the launch record's room flags (RoomInfo::kFlag...).
    int32_t roomFlags = 0;
    // The room's web host of the advert pages ("" leaves the record's).
    std::string advertHost;
    // The proxy the hall's settings give the client; none without.
    std::optional<fakehall::HallProxy> proxy;
};

class Scenario {
public:
    explicit Scenario(ScenarioOptions options = {});
    ~Scenario();
    Scenario(const Scenario&) = delete;
    Scenario& operator=(const Scenario&) = delete;

    // Folder, screen, server with the script, hall; false with Error().
    bool Prepare();
    bool Prepare(const ScenarioOptions& options) {
        options_ = options;
        return Prepare();
    }
    const std::string& Error() const { return error_; }
    // The engine's recorded deal in "test.ini" (empty: 0..107 in order);
    // read at each deal.
    void WriteWall(const std::vector<int32_t>& wall);

    // The harness on the UI thread; add steps before Run.
    UiHarness& Harness() { return *harness_; }
    // A harness step that checks the table once the script sent its step
    // (the count-th step of that name) and the condition holds; the script
    // sends nothing more until it has acted.
    // With `hold`, the script stays held after the act until Release.
    void Checkpoint(const std::string& scriptStep, int count, std::function<bool()> ready,
                    std::function<void()> act, uint32_t timeoutMs = 30000, bool hold = false);
    void Release(const std::string& scriptStep, int count);
    // Runs the program with the hall's launch line until its loop ends; its
    // exit code. The harness's end closes the main window.
    int Run();
    // Whether this process ran the program already (its loop runs once).
    static bool RanBefore();
    // After Run: the program ended well and the harness acted every step.
    void ExpectRanThrough(int exitCode);
    // For a step's condition that must last: true once `holds` was true at
    // every call for ms in a row (one such condition at a time).
    bool HeldFor(bool holds, uint32_t ms);

    testserver::RegionalScript& Script() { return *script_; }
    testserver::TestGameServer& Server() { return server_; }
    fakehall::FakeHall& Hall() { return *hall_; }
    ProgramFolder& Folder() { return *folder_; }
    const ScenarioOptions& Options() const { return options_; }
    // The names of the sounds the client played so far (file names of the
    // skin), each once per play.
    std::vector<std::string> SoundsPlayed() const;
    // The streams made from the skin's sound of that file name, together:
    // their plays (from the start or restarted), stops, and whether one
    // plays now.
    struct SoundState {
        int plays = 0;
        int stops = 0;
        bool playing = false;
    };
    SoundState Sound(const std::string& fileName) const;

    // The client's parts (null while they do not exist).
    CRegionalMahjongApp& App();
    CRegionalTableView* View();
    // The own row's standing tiles, sorted (only the raised ones on request).
    std::vector<int32_t> OwnRow(bool raisedOnly = false);
    // The own sprite holding the tile (index in `index` when given), or null.
    CCardSprite* OwnSprite(int32_t tile, int* index = nullptr);
    // With the engine's hand: its tiles for the own chair as the client knows
    // them (without a drawn tile the client has not asked for yet), sorted;
    // and how often the engine carried out the operation.
    std::vector<int32_t> EngineRow();
    size_t EngineCount(const std::string& operation);
    // Whether the script sent the count-th step of that name.
    bool Sent(const std::string& step, int count = 1) const;

    // Clicks at a point of the main window, or at the centre of an object.
    void ClickAt(int x, int y, platform::MouseButton button = platform::MouseButton::Left);
    void Click(CCorvaneObject* object);
    // The back buffer's colour at a window point (0x00BBGGRR), 0xffffffff
    // outside or before the first frame.
    uint32_t BackBufferColour(int x, int y);
    // The chat box's text (GBK).
    std::string ChatText();
    // The lines of the program's logs (in its folder) that hold the text.
    std::vector<std::string> LogLinesWith(const std::string& text) const;

private:
    struct Gate {
        std::string step;
        int count = 1;
        bool checked = false;
    };
    void OnScriptStep(const std::string& step);

    ScenarioOptions options_;
    std::string error_;
    std::unique_ptr<ProgramFolder> folder_;
    testserver::TestGameServer server_;
    std::unique_ptr<testserver::RegionalScript> script_;
    std::unique_ptr<fakehall::FakeHall> hall_;
    std::unique_ptr<UiHarness> harness_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<Gate> gates_;             // guarded by lock_
    std::vector<std::string> sentSoFar_;  // guarded by lock_ (before each send)
    bool screenSet_ = false;
    uint32_t heldSince_ = 0;
    std::shared_ptr<platform::AudioRecord> audio_;
};

}  // namespace game_test
