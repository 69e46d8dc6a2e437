#pragma once
// Platform-internal: what Thread.cpp and Messages.cpp tell each other about a
// thread's life. Not for use outside platform/.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Messages.h"
#include "platform/Thread.h"

namespace platform::detail {

// A fresh thread id (never 0, never reused).
ThreadId AllocateThreadId();
// Gives the calling thread the id Thread::Start allocated for it.
void AdoptThreadId(ThreadId id);

// Makes the message queue of a thread that is about to start.
void CreateQueueForThread(ThreadId thread);
// The thread has ended (or never started): its queue goes, later posts to it
// fail, sends waiting on it return 0 and the windows it owns leave the table.
// Called by the ending thread itself; idempotent.
void EndThreadMessaging(ThreadId thread);

// True while the calling thread is inside SleepHoldingMessages or keeps the
// display during a wait.
bool IsHoldingMessages();

// The display thread's keeper of its blocking waits (WaitKeeper.h): moves the
// display's events into the queue (exposed windows are shown again from their
// surfaces, input waits as posted messages), and hands out nothing.
void KeepDisplayWhileBlocked();

// The display's input messages carry the stamp of the key state they were
// made in (each change of the state that the events note gets the next
// stamp). Posts like PostMessage, with the stamp.
bool PostInputMessage(WindowId window, uint32_t id, WParam wParam, LParam lParam,
                      uint64_t inputStamp);
// While input messages wait in the calling thread's queue: the stamp of the
// last one it took (0 before any), so the key state read meanwhile is the
// state as of that message. None when no input message waits: what the
// events last noted holds.
std::optional<uint64_t> InputStampBeingHandled();

// The calling thread's queue waiter (made with its queue); null once the
// thread's messaging has ended.
std::shared_ptr<QueueWaiter> CurrentQueueWaiter();
// WaitMessage that also ends, with true, as soon as `ready` (checked before
// every sleep and after it) answers true.
bool WaitMessageOr(uint32_t timeoutMs, const std::function<bool()>& ready);
// Wakes the thread's queue waiter whether or not it sleeps (a waiter keeps
// the wake for its next sleep). False when the thread has no queue.
bool WakeQueueWaiter(ThreadId thread);

}  // namespace platform::detail
