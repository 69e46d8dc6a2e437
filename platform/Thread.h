#pragma once
// Threads with the 32-bit ids that thread messages are addressed to.
//
// Every thread that touches platform services gets an id on first use
// (CurrentThreadId). A Thread object starts one thread; Join waits for it
// with a time-out and a thread that did not end is left running detached
// when the object goes away.

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Sync.h"

namespace platform {

using ThreadId = uint32_t;

// The calling thread's id; never 0.
ThreadId CurrentThreadId();

class Thread {
public:
    Thread();
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts the body on a new thread. False when a thread is already running
    // or could not be created.
    bool Start(std::function<void()> body);

    // The same, and the new thread's message queue exists when this returns,
    // so that PostThreadMessage(Id(), ...) succeeds at once (messages wait
    // until the thread takes them).
    bool StartWithQueue(std::function<void()> body);

    // The started thread's id (valid from the return of Start), 0 before.
    ThreadId Id() const;

    bool IsRunning() const;

    // Waits for the thread to end. True when it ended within the time-out.
    bool Join(uint32_t timeoutMs = kInfinite);

private:
    bool StartImpl(std::function<void()> body, bool makeQueue);

    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace platform
