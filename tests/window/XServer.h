#pragma once
// A private X server for tests of real windows: Xvfb on a display number
// that no other server uses, started by the test and ended by its process
// id, with an Xlib connection of the test's own to find windows and read
// their pixels back; and child programs (xdotool) run against it.
//
// Rules:
//  - The display number is free when neither its socket nor its lock file
//    exists; a server that dies at start (another took the number first) is
//    retried on the next number.
//  - Xvfb runs with -terminate and the test's connection stays open until
//    the end, so the server also goes when the test process dies.
//  - X errors never end the process: a failed read answers nothing.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

struct _XDisplay;

namespace window_test {

// A child program (see test_support::ChildProcess) whose DISPLAY may name
// the private X server.
class ChildProcess : public test_support::ChildProcess {
public:
    using test_support::ChildProcess::Start;
    // With a display (":N") the child's DISPLAY names it.
    bool Start(const std::vector<std::string>& argv, const std::string& logFile,
               const std::string& display = "");
};

// What an X window shows, as 0x00RRGGBB, rows from the top.
struct WindowImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

class XServer {
public:
    XServer() = default;
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // Starts Xvfb with a screen of the size (24-bit colour) and waits until
    // it takes connections. False, with Error() saying why, when no server
    // could be started.
    bool Start(int width, int height);
    const std::string& Error() const { return error_; }
    // ":N"
    const std::string& DisplayName() const { return displayName_; }
    pid_t Pid() const { return server_.Pid(); }
    // Closes this program's connection, then ends the server.
    void Stop();

    // The top-level window titled so (its WM_NAME); 0 when none.
    unsigned long FindWindow(const std::string& title) const;
    bool IsMapped(unsigned long window) const;
    // The window's top-left corner on the screen.
    bool Origin(unsigned long window, int& x, int& y) const;
    // Where the pointer is on the screen.
    bool Pointer(int& x, int& y) const;
    // The window's pixels, or nothing when it cannot be read.
    std::optional<WindowImage> Read(unsigned long window) const;

    // Puts the key symbol on a key of the keyboard that carries none (the
    // same key each time) until UnbindSpareKey; false when there is no such
    // key or no connection.
    bool BindSpareKey(unsigned long keySymbol) const;
    void UnbindSpareKey() const;

private:
    bool TryDisplay(int number, int width, int height);
    // Whether the open connection reaches the Xvfb this object started (two
    // programs may pick the same free number at once).
    bool ConnectedToOwnServer() const;

    ChildProcess server_;
    _XDisplay* display_ = nullptr;
    mutable int spareKey_ = 0;  // the key BindSpareKey uses; 0 before the first
    std::string displayName_;
    std::string logFile_;
    std::string error_;
};

// The X server of this test program (started once for all its tests); null,
// with the reason, when it could not start.
const XServer* RunningXServer(std::string& error);

// Runs the calling thread's window messages (and so an engine window's
// frames) until the condition holds (true) or the time is up (false).
bool PumpMessagesUntil(const std::function<bool()>& done, uint32_t timeoutMs);

// Runs `xdotool` with the arguments against the display; the child runs on
// while the caller pumps its own messages.
bool StartXdotool(ChildProcess& child, const XServer& server,
                  const std::vector<std::string>& arguments);

// Runs `xdotool` with the arguments to its end while the calling thread
// keeps handling its window messages: an empty text when it ended with
// status 0, else what went wrong.
std::string RunXdotool(const XServer& server, const std::vector<std::string>& arguments,
                       uint32_t timeoutMs = 5000);

// Moves the pointer to the window's client point with xdotool (waiting
// until it is there; a pointer already there stays) while the calling thread
// handles its messages; an empty text when it got there, else what went
// wrong.
std::string MovePointerTo(const XServer& server, unsigned long window, int x, int y,
                          uint32_t timeoutMs = 5000);
// Real key strokes of the text (GBK) into the box that has the keyboard, one
// character at a time, each only once `boxText` (what the box holds, GBK)
// shows the one before it. A character that is not on the keyboard is put
// on a spare key of the test's own for as long as the box takes to show it:
// xdotool would put it there only for a moment, and a busy client could
// read the key after it was taken off again. An empty text when the box
// took the whole text, else what went wrong.
std::string TypeCharacterByCharacter(const XServer& server, const std::string& text,
                                     const std::function<std::string()>& boxText,
                                     uint32_t timeoutMs = 5000);

// A real left click at the window's client point: the pointer moves there,
// then the button goes down and up.
std::string ClickAt(const XServer& server, unsigned long window, int x, int y,
                    uint32_t timeoutMs = 5000);

}  // namespace window_test
