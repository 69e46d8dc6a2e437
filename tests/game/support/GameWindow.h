#pragma once
// The program's application with its main window open in the test's
// process, without hall or server: a four-seat table's launch fields and
// record, the regional test skin in a temporary program folder, and a screen
// of the asked size. Notifications are handed to the game's notification
// handler as the frame window hands them over; the test thread is the UI
// thread and runs its messages (engine frames included) when asked.
//
// Rules:
//  - One at a time; it sets the program's application object up and puts it
//    back (ResetForTesting) when it goes.
//  - Every wait is bounded.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "tests/game/support/ProgramFolder.h"

class CRegionalMahjongApp;
class CRegionalTableView;
class CRegionalTableData;

namespace testserver {
class TestGameServer;
}

namespace game_test {

inline constexpr int32_t kWindowGameId = 30;
inline constexpr int32_t kWindowRoomId = 300;
inline constexpr int32_t kWindowTableNo = 5;
inline constexpr uint32_t kWindowWaitMs = 10000;
// User ids by chair: 9000 + chair (the test server's robots use the same).
inline constexpr int32_t WindowUserOf(int chair) {
    return 9000 + chair;
}
// The players' names by chair (GBK).
const char* WindowSeatName(int chair);

struct GameWindowOptions {
    int width = 1024;
    int height = 768;
    int ownChair = 0;
    bool lookOn = false;
    bool silverRoom = true;
    std::string advertHost;  // the room's web host of the advert pages
    ProgramFolderOptions folder;
};

class GameWindow {
public:
    GameWindow();
    ~GameWindow();
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    // Opens the main window; false with the reason in Error().
    bool Open(const GameWindowOptions& options = {});
    const std::string& Error() const { return error_; }

    CRegionalMahjongApp& App();
    // Null until the window made its table view.
    CRegionalTableView* View();
    CRegionalTableData* TableData();
    ProgramFolder& Folder() { return *folder_; }

    // The hall's folder in the program folder, where the per-user files
    // live; false with the reason in Error().
    bool MakeHallUserFolder();
    // Connects the open table to the loopback server as a silver room with
    // the safe box in the game, and enters the game; false with the reason
    // in Error().
    bool ConnectTo(testserver::TestGameServer& server);

    // Hands a notification to the game's handler, as the frame window does.
    void Deliver(int32_t id, std::span<const uint8_t> record);
    // Runs the UI thread's messages for ms, or until the condition holds.
    void Run(uint32_t ms);
    bool RunUntil(const std::function<bool()>& done, uint32_t timeoutMs = kWindowWaitMs);

    // The back buffer's colour at a window point as 0x00BBGGRR; 0xffffffff
    // outside or before the first frame.
    uint32_t BackBufferColour(int x, int y);
    int Width() const { return options_.width; }
    int Height() const { return options_.height; }
    // The chat lines written so far (the side panel's chat text, GBK).
    std::string ChatText();

private:
    GameWindowOptions options_;
    std::string error_;
    std::unique_ptr<ProgramFolder> folder_;
    bool opened_ = false;
};

}  // namespace game_test
