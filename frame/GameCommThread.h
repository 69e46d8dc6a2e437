#pragma once
// The communication thread: it stands between the connection's socket
// thread and the game window. It re-posts every notification pair (2025) to
// the window it was given, shows and hides the wait text while the UI
// thread is blocked, and owns the window that takes the hall's sign answer.
//
// Rules:
//  - Everything the thread uses (its window, the wait display, the target)
//    belongs to its body, not to this object: the object can give up on a
//    thread that does not end and go away, and the thread still ends
//    cleanly on its own later.
//  - A notification pair or a wait text posted to the thread changes owner
//    with its message: the thread forwards it or frees it. A pair with no
//    living target, or one the target's queue refuses, is freed here; so is
//    everything still queued when the thread ends.
//  - The wait display is made, used and destroyed on the thread.
//  - No locks: the thread talks to the others only by messages.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/Messages.h"
#include "platform/Thread.h"

// Messages to the thread.
inline constexpr uint32_t kMsgCommSetTarget = platform::kMsgApp + 1357;  // wParam the window
inline constexpr uint32_t kMsgCommQuit = platform::kMsgApp + 1358;
// wParam a heap std::string (the thread frees it) or 0 to hide; lParam seconds.
inline constexpr uint32_t kMsgCommWaitText = platform::kMsgApp + 1360;

// Where the wait text is shown. The thread calls it; the thread destroys it.
class CWaitDisplay {
public:
    virtual ~CWaitDisplay() = default;
    // Shows the text. With seconds above 0 the thread hides it again once
    // they have passed (unless another text or a hide comes first).
    virtual void Show(const std::string& text, int seconds) = 0;
    virtual void Hide() = 0;
};
using WaitDisplayFactory = std::function<std::unique_ptr<CWaitDisplay>()>;

// The display used until the wait dialog exists: each text goes to the log.
std::unique_ptr<CWaitDisplay> MakeLoggingWaitDisplay();

class CGameCommThread {
public:
    struct Options {
        // Made on the thread when it starts; empty: the logging display.
        WaitDisplayFactory makeWaitDisplay;
        // The hall's sign answer (copy-data dwData 14), on the thread.
        std::function<void(std::span<const uint8_t>)> onSignAnswer;
    };

    // Starts the thread and waits until its window exists; null (and a log
    // line) when it could not start.
    static std::unique_ptr<CGameCommThread> Start(Options options);

    // Leaves a thread that still runs to end on its own.
    ~CGameCommThread();
    CGameCommThread(const CGameCommThread&) = delete;
    CGameCommThread& operator=(const CGameCommThread&) = delete;

    platform::ThreadId GetThreadId() const { return thread_.Id(); }
    // The thread's window, exported for the hall's sign answer.
    platform::WindowId GetWindow() const { return window_; }

    // Asks the thread to end and waits up to the time-out. False when it
    // has not ended by then.
    bool Stop(uint32_t timeoutMs);

    // Notification pairs freed for want of a target, since the start of the
    // process.
    static int DroppedNotifications();

private:
    CGameCommThread() = default;

    platform::Thread thread_;
    platform::WindowId window_ = 0;
};
