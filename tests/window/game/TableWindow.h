#pragma once
// The regional table in the program's main window on the test program's X
// server (Xvfb), connected to the loopback test server with the frame's
// script, which answers and writes down every request. Input is real: the
// pointer and the keys go through xdotool; what the window shows is read
// back from the X server.
//
// Rules:
//  - A part is clicked at its position (an object's position is its
//    centre); the table's coordinates are the window's.
//  - Every wait is bounded; the tests skip when there is no X server.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/game/support/GameWindow.h"
#include "tests/window/XServer.h"
#include "tools/test_server/FrameScript.h"
#include "tools/test_server/TestGameServer.h"

class CCorvaneButton;
class CCorvaneObject;
class CRegionalTableView;

namespace window_test {

inline constexpr uint32_t kTableWaitMs = 10000;

class TableWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    CRegionalTableView& View() { return *window.View(); }

    // A real left click at a window point, or at the centre of a part; an
    // empty text when it was made, else what went wrong.
    std::string ClickAt(int x, int y);
    std::string Click(CCorvaneObject* part);
    // Real key strokes: text on the keyboard (ASCII) typed character by
    // character, and named keys.
    std::string Type(const std::string& text);
    // Text (GBK) typed into the box whose text `boxText` answers, each
    // character once the box shows the one before (TypeCharacterByCharacter).
    std::string TypeInto(const std::string& text, const std::function<std::string()>& boxText);
    std::string Key(const std::vector<std::string>& names);

    // The button that notifies `targetId` (0: any part) with the event, the
    // `skip`+1-th in the order they were made; null when none. Parts
    // without a getter are found so.
    CCorvaneButton* FindButton(int event, int targetId = 0, int skip = 0);

    // What the window shows now.
    std::optional<WindowImage> Capture() const;
    // Runs the window until the X window shows the skin colour (0x00BBGGRR)
    // at the point; false when it does not within the wait.
    bool WaitForColour(int x, int y, uint32_t skinColour, uint32_t timeoutMs = kTableWaitMs);
    // The colour the window shows at the point now, as 0x00BBGGRR.
    uint32_t ShownColour(int x, int y) const;
    // The colour of the skin picture's frame (0x00BBGGRR).
    static uint32_t PictureColour(const char* name, int frame = 0);

    // The requests of the id the server got so far.
    std::vector<testserver::FrameScript::Recorded> Requests(uint32_t id) const;
    bool WaitForRequest(uint32_t id, size_t count = 1);

    std::string FocusWindow();

    // The main window's options; a fixture may change them before SetUp.
    game_test::GameWindowOptions options;
    const XServer* server = nullptr;
    unsigned long xwindow = 0;
    testserver::TestGameServer tableServer;
    testserver::FrameScript script{tableServer};
    game_test::GameWindow window;
};

}  // namespace window_test
