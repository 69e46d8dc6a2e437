#pragma once
// A whole table client in the test's process: the tests' table application
// launched at a four-seat table, its communication thread, a real game
// connection to the loopback test server (TableServer), the frame window of
// the frame with the table's frame view in it, and the drawn test skin
// loaded from its ".kor" pack. Notifications travel as the program's do:
// server frames, socket thread, communication thread, frame window,
// notification handler, table view.
//
// Rules:
//  - The window covers the screen the session was opened for (SDL's dummy
//    driver by default; under a test's X server a real window).
//  - Everything the tests wait for is bounded: a condition that never holds
//    fails the wait, it never hangs.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/GameFrameWnd.h"
#include "frame/LaunchRecordBuilder.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame/TestHallWindow.h"
#include "tests/mahjong_client/support/HandRecords.h"
#include "tests/mahjong_client/support/TableApp.h"
#include "tests/mahjong_client/support/TableServer.h"

class GdiPaintModule;

namespace table_test {

inline constexpr int32_t kGameId = 30;
inline constexpr int32_t kRoomId = 300;
inline constexpr int32_t kTableNo = 7;
inline constexpr int32_t kOwnChair = 2;
inline constexpr uint32_t kWaitMs = 10000;
// User ids by chair: 9000 + chair.
inline constexpr int32_t UserOf(int chair) {
    return 9000 + chair;
}
// The names the seat boards show, by chair.
const char* SeatName(int chair);

struct SessionOptions {
    int width = 800;
    int height = 600;
    bool lookOn = false;  // the own user watches chair kOwnChair's player
    std::string title = "pvbn table";
    // Sets the test screen to width x height (off under a real X server,
    // whose screen is what it is).
    bool fakeScreen = true;
};

class TableSession {
public:
    TableSession();
    ~TableSession();
    TableSession(const TableSession&) = delete;
    TableSession& operator=(const TableSession&) = delete;

    // Launches, connects and opens the window; false with the reason in
    // Error() when a step failed.
    bool Open(const SessionOptions& options);
    const std::string& Error() const { return error_; }

    // Sends the notification as server frames and waits until the frame
    // window finished it; false at the time-out.
    bool Deliver(int32_t id, const std::vector<uint8_t>& record);
    // Sends the hand start (211040) and waits until the deal is done: every
    // row holds the tiles the record gives its chair; false at the time-out.
    bool StartHand(const HandStart& start);
    // Runs the UI thread's messages (engine frames included) for ms.
    void Run(uint32_t ms);
    bool RunUntil(const std::function<bool()>& done, uint32_t timeoutMs = kWaitMs);

    TestTableApp& App() { return *app_; }
    TableServer& Server() { return table_; }
    RecordingTableView& Table() { return *view_->table; }
    CTableSystemBar& SidePanel() { return *view_->sidePanel; }
    TableFrameView& FrameView() { return *view_; }
    CGameFrameWnd& Window() { return *wnd_; }
    // The MainGame rectangle in scene coordinates.
    IntRect MainGameRect();
    // The back buffer's colour at (x, y) as 0x00BBGGRR; 0xffffffff outside.
    uint32_t BackBufferColour(int x, int y);
    int SceneWidth() const { return options_.width; }
    int SceneHeight() const { return options_.height; }
    // Notifications finished by the frame window so far.
    int Finished() const;
    // How many 201162 failure reports reached the server.
    size_t FailureReports() const;
    // Lines of the program's logs (in the session's program folder) that
    // hold the text.
    int LogLinesWith(const std::string& text) const;

private:
    GdiPaintModule* Painter();

    SessionOptions options_;
    std::string error_;
    std::filesystem::path folder_;
    std::unique_ptr<TestHallWindow> hall_;
    testserver::TestGameServer server_;
    TableServer table_{server_};
    std::shared_ptr<WaitDisplayLog> display_ = std::make_shared<WaitDisplayLog>();
    std::unique_ptr<TestTableApp> app_;
    std::unique_ptr<CGameFrameWnd> wnd_;
    TableFrameView* view_ = nullptr;  // the engine's once the window took it
    bool screenSet_ = false;
};

}  // namespace table_test
