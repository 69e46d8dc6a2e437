#pragma once
// Platform-internal: what Thread.cpp and Messages.cpp tell each other about a
// thread's life. Not for use outside platform/.

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

}  // namespace platform::detail
