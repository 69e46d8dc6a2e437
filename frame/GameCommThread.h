#pragma once
// The communication thread: it stands between the connection's socket
// thread and the game window. It re-posts every notification pair (2025) to
// the window it was given, shows and hides the wait text while the UI
// thread is blocked, and its wait window takes the hall's sign answer.
//
// Rules:
//  - Everything the thread uses (its wait window, the target) belongs to
//    its body, not to this object: the object can give up on a
//    thread that does not end and go away, and the thread still ends
//    cleanly on its own later.
//  - A notification pair or a wait text posted to the thread changes owner
//    with its message: the thread forwards it or frees it. A pair with no
//    living target, or one the target's queue refuses, is freed here; so is
//    everything still queued when the thread ends.
//  - The wait window is made, used and destroyed on the thread.
//  - The thread talks to the others only by messages, except for the sign
//    queries it answers (HallSignQueries.h, under their own lock).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Messages.h"
#include "platform/Thread.h"

// Messages to the thread.
inline constexpr uint32_t kMsgCommSetTarget = platform::kMsgApp + 1357;  // wParam the window
inline constexpr uint32_t kMsgCommQuit = platform::kMsgApp + 1358;
// wParam a heap std::string (the thread frees it) or 0 to hide; lParam seconds.
inline constexpr uint32_t kMsgCommWaitText = platform::kMsgApp + 1360;

class CHallSignQueries;

// The thread's window: it shows the wait text and takes the hall's sign
// answer (copy-data dwData 14). The thread makes it, calls it and destroys
// it. The real one is the wait dialog (WaitDialog.h).
//
// Rules:
//  - ShowWaitText with seconds above 0 (re)starts the auto-hide timer (100);
//    with 0 a running one keeps running. A hide stops it.
//  - A sign answer goes to the sign queries given; without them it is
//    dropped. The record is read only within its byte count.
class CWaitDisplay : public platform::Window {
public:
    static constexpr uint32_t kAutoHideTimer = 100;
    static constexpr uintptr_t kSignAnswerData = 14;

    // Makes the window on the calling thread; false when it cannot.
    virtual bool Open();
    void SetSignQueries(std::shared_ptr<CHallSignQueries> queries) {
        signQueries_ = std::move(queries);
    }
    void ShowWaitText(const std::string& text, int seconds);
    void HideWaitText();

    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override;

protected:
    virtual void Show(const std::string& text, int seconds) = 0;
    virtual void Hide() = 0;

private:
    void OnSignAnswer(const platform::CopyDataRecord& record);

    uint32_t autoHideTimer_ = 0;  // 0: none runs
    std::shared_ptr<CHallSignQueries> signQueries_;
};
using WaitDisplayFactory = std::function<std::unique_ptr<CWaitDisplay>()>;

class CGameCommThread {
public:
    struct Options {
        // Made on the thread when it starts; empty: the wait dialog
        // without a skin.
        WaitDisplayFactory makeWaitDisplay;
        // Where the hall's sign answers go.
        std::shared_ptr<CHallSignQueries> signQueries;
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
