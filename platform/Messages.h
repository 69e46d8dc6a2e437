#pragma once
// Windows and their messages: 32-bit window ids, one message queue per
// thread, posted and sent messages, timers and window classes.
//
// Rules:
//  - A window belongs to the thread that created it; its WindowProc runs only
//    on that thread.
//  - A thread's queue is made on its first messaging call (or by
//    EnsureMessageQueue). A post to a window or thread that does not exist
//    (or has no queue) fails and the message is not queued: the sender keeps
//    ownership of whatever its parameters point to.
//  - Posted messages come out in posting order. A message sent from another
//    thread is handled by the receiving thread inside its next Get/Peek/
//    WaitMessage (or while that thread itself waits in SendMessage), before
//    any posted message. Paint requests come out only when nothing is posted,
//    timers only when nothing is posted and no paint is requested; a window
//    has at most one paint and a timer at most one message pending.
//  - Quit: PostQuitMessage makes GetMessage return false once the posted
//    messages before it have been taken.
//  - Ids are never reused within the process; a destroyed window's pending
//    posted messages and timers are dropped, and sends waiting for it get 0.
//  - When a thread ends, its queue goes with it (later posts to it fail,
//    sends waiting on it get 0) and the windows it still owns leave the
//    table (their Id() becomes 0).
//  - Windows of other processes: IsWindow, FindWindowByClass, PostMessage and
//    a copy-data SendMessageTimeout look in this process first, then among
//    the windows the user's other processes exported (ExportedWindows.h).

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/Sync.h"
#include "platform/Thread.h"

namespace platform {

namespace detail {
struct WindowAccess;  // platform-internal
}

using WindowId = uint32_t;
using WParam = uintptr_t;
using LParam = intptr_t;
using LResult = intptr_t;

inline constexpr uint32_t kMsgNull = 0x0000;
inline constexpr uint32_t kMsgDestroy = 0x0002;
inline constexpr uint32_t kMsgPaint = 0x000F;
inline constexpr uint32_t kMsgClose = 0x0010;
inline constexpr uint32_t kMsgQuit = 0x0012;
inline constexpr uint32_t kMsgCopyData = 0x004A;
inline constexpr uint32_t kMsgTimer = 0x0113;
inline constexpr uint32_t kMsgUser = 0x0400;
inline constexpr uint32_t kMsgApp = 0x8000;

// The record a kMsgCopyData message points to (lParam): a number, and a
// block of bytes that stays the sender's.
struct CopyDataRecord {
    uintptr_t dwData = 0;
    uint32_t cbData = 0;
    const void* lpData = nullptr;
};

struct Message {
    WindowId window = 0;  // 0 for a thread message
    uint32_t id = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    uint32_t time = 0;  // tick count of the display's input, a timer or a paint; else 0
};

// A window: an id in the process-wide table and a handler for its messages.
// Subclasses override WindowProc; what they don't handle they pass to
// Window::WindowProc, which answers 0.
class Window {
public:
    Window();
    virtual ~Window();  // destroys the window if still created
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Registers the window under a new id, owned by the calling thread.
    // False when already created or the class is not registered.
    bool Create(std::string_view className);
    // Sends kMsgDestroy to the window, then removes it from the table. From
    // another thread it runs on the owner thread, and the caller waits for it
    // as for a sent message. By the time ~Window runs only Window::WindowProc
    // is left, so a subclass whose handler must see kMsgDestroy calls
    // Destroy() in its own destructor.
    void Destroy();

    WindowId Id() const { return id_; }
    ThreadId OwnerThread() const { return owner_; }
    const std::string& ClassName() const { return className_; }

    virtual LResult WindowProc(uint32_t id, WParam wParam, LParam lParam);

private:
    friend struct detail::WindowAccess;

    // Atomic: the table clears the id when the owner thread ends, and other
    // threads may ask for it meanwhile.
    std::atomic<WindowId> id_{0};
    std::atomic<ThreadId> owner_{0};
    std::string className_;
};

// Window classes, by name (case-insensitive). Registering twice is harmless.
bool RegisterWindowClass(std::string_view name);
bool UnregisterWindowClass(std::string_view name);
bool IsWindowClassRegistered(std::string_view name);

bool IsWindow(WindowId window);
// Window::Destroy of the window with this id (on its owner's thread). False
// when there is none.
bool DestroyWindow(WindowId window);
// The first window of the class, in creation order; 0 when none.
WindowId FindWindowByClass(std::string_view className);
// The thread that owns the window; 0 when it does not exist.
ThreadId WindowThread(WindowId window);

// Makes the calling thread's queue if it has none.
void EnsureMessageQueue();
bool HasMessageQueue(ThreadId thread);

// Window 0 is not a target (PostThreadMessage is).
bool PostMessage(WindowId window, uint32_t id, WParam wParam, LParam lParam);
bool PostThreadMessage(ThreadId thread, uint32_t id, WParam wParam, LParam lParam);

// Calls the window's handler and returns its result. From another thread the
// caller blocks until the owner has handled it, handling messages sent to
// itself meanwhile; 0 when the window does not exist or is destroyed first.
LResult SendMessage(WindowId window, uint32_t id, WParam wParam, LParam lParam);

// The same, giving up at the time-out: false (and a result of 0) when the
// window does not exist or has not answered in time. A message the owner had
// not taken yet is then withdrawn; one it is handling runs on, so its
// parameters must stay valid, except for a copy-data record, which the
// receiver gets as a copy. On the owner thread the handler is called at once.
// A copy-data record also reaches exported windows of other processes.
bool SendMessageTimeout(WindowId window, uint32_t id, WParam wParam, LParam lParam,
                        uint32_t timeoutMs, LResult* result);

// Blocks for the next message. False when it is the quit message.
bool GetMessage(Message& out);

enum class PeekMode { Keep, Remove };
// Takes (or looks at) the next message without blocking. False when none.
bool PeekMessage(Message& out, PeekMode mode);

// Blocks until a message (posted, sent, timer or quit) is waiting, or the
// time-out passes. True when one is waiting; messages sent to the thread are
// handled here and also end the wait with true.
bool WaitMessage(uint32_t timeoutMs = kInfinite);

// Waits until one of the events is set or the calling thread's queue has a
// message waiting (posted, timer or quit), or the time-out passes. Messages
// sent to the thread meanwhile are handled, and also end the wait. Returns the
// event's index (the lowest set one, consumed when auto-reset; events win over
// messages), events.size() for a message, or kWaitTimeout.
int MsgWaitForEvents(std::span<Event* const> events, uint32_t timeoutMs);

// Hands a message to its window's handler; 0 for thread messages.
LResult DispatchMessage(const Message& message);

void PostQuitMessage(int exitCode);

// With quit set, destroying the window posts the quit message (code 0) to
// the thread that owns it. False when the window does not exist.
bool QuitWhenDestroyed(WindowId window, bool quit);

// Timers deliver kMsgTimer (wParam = timer id) on the thread that owns the
// window, every interval, while the thread takes messages. Setting an
// existing timer again restarts it with the new interval. With window 0 the
// timer belongs to the calling thread and the returned id is a new one
// (unless timerId names one of the thread's timers, which is restarted).
// Intervals below 10 ms count as 10 ms, as on the original platform. A
// window timer needs a nonzero id. Returns the timer id, or 0 on failure.
uint32_t SetTimer(WindowId window, uint32_t timerId, uint32_t intervalMs);
bool KillTimer(WindowId window, uint32_t timerId);

// Asks for a kMsgPaint to the window. It comes out of the owner thread's
// queue once, however often it was asked before it was taken, in the order
// the windows asked. False when the window does not exist.
bool RequestPaint(WindowId window);

// Blocks the calling thread for the time while holding back every message
// for it: posted and sent messages, timers and the display's input stay
// queued and come out afterwards in their usual order, so whatever follows
// the sleep runs before any of them. The display is kept meanwhile: windows
// that ask to paint during the sleep get their kMsgPaint, and windows the
// display exposes are shown again from their surfaces (no kMsgPaint); on the
// display's thread the panels' newest frames are shown (PanelWindow.h).
void SleepHoldingMessages(uint32_t ms);

// How a thread's queue sleeps and is woken. The default waits on a condition
// variable; a thread that also has to watch another event source (the UI
// thread's display events) installs its own, which turns what it sees into
// posted messages from inside Pump.
class QueueWaiter {
public:
    virtual ~QueueWaiter() = default;
    // Moves outside events into the queue; called before the queue is read.
    virtual void Pump() {}
    // Sleeps until Wake or the time-out. Spurious returns are allowed. A Wake
    // that comes before Wait makes that Wait return at once: a wake-up is
    // never lost.
    virtual void Wait(uint32_t timeoutMs) = 0;
    // May be called from any thread, never while a platform lock is held.
    virtual void Wake() = 0;
};

// Installs a waiter for the calling thread's queue (null restores the default).
void SetQueueWaiter(std::unique_ptr<QueueWaiter> waiter);

}  // namespace platform
