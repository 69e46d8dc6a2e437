#pragma once
// Threads' meeting points: events, waits on several events, recursive locks,
// sleeping and the two clocks (a wrapping millisecond tick count and a
// monotonic performance counter).
//
// Rules:
//  - A manual-reset event stays set until Reset(); an auto-reset event wakes
//    exactly one waiter and clears itself as that waiter returns.
//  - WaitAny() reports the lowest index among the events that are set, and
//    consumes only that one when it is auto-reset.
//  - Time-outs are in milliseconds; kInfinite waits for ever.
//  - The display's thread (SdlWindow.h) keeps the display while it blocks in
//    WaitAny or Event::Wait: about every 30 ms it shows the panels' newest
//    frames and shows exposed windows again. It hands out no message
//    meanwhile: posted, sent and timer messages and the display's input wait
//    for its next look at its queue. Other threads' waits just wait.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>

namespace platform {

namespace detail {
class EventWatch;  // platform-internal: lets a message queue wait on events
}

inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;
inline constexpr int kWaitTimeout = -1;

class Event {
public:
    enum class Mode { ManualReset, AutoReset };

    explicit Event(Mode mode, bool initiallySet = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;

    // True when the event was (or became) set within the time-out.
    bool Wait(uint32_t timeoutMs = kInfinite);

private:
    friend int WaitAny(std::span<Event* const> events, uint32_t timeoutMs);
    friend class detail::EventWatch;
    struct Waiter;
    bool TryConsumeLocked();
    void AddWaiterLocked(Waiter* waiter);
    void RemoveWaiterLocked(Waiter* waiter);

    const Mode mode_;
    bool set_ = false;           // guarded by the process-wide event mutex
    Waiter* waiters_ = nullptr;  // guarded by the process-wide event mutex
};

// Waits until one of the events is set. Returns its index, or kWaitTimeout.
int WaitAny(std::span<Event* const> events, uint32_t timeoutMs);

// While it lives, the events its thread sets are set at once, but the threads
// waiting on them in WaitAny are woken only when it ends. Made before a lock
// under which an event is set, it ends after the lock is released, so the
// woken thread does not find the lock still held. A wait woken for an event
// reset meanwhile waits on. Scopes nest; the outermost one wakes. Nothing
// inside a scope may wait for a thread that waits on an event set in it.
class DeferEventWakes {
public:
    DeferEventWakes();
    ~DeferEventWakes();
    DeferEventWakes(const DeferEventWakes&) = delete;
    DeferEventWakes& operator=(const DeferEventWakes&) = delete;
};

// A lock its owning thread may enter again; each Lock() needs one Unlock().
class RecursiveLock {
public:
    void Lock() { mutex_.lock(); }
    bool TryLock() { return mutex_.try_lock(); }
    void Unlock() { mutex_.unlock(); }

private:
    std::recursive_mutex mutex_;
};

class ScopedLock {
public:
    explicit ScopedLock(RecursiveLock& lock) : lock_(lock) { lock_.Lock(); }
    ~ScopedLock() { lock_.Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    RecursiveLock& lock_;
};

// Interlocked counters: the new value is returned, as the system call did.
inline int32_t InterlockedIncrement(std::atomic<int32_t>& value) {
    return ++value;
}
inline int32_t InterlockedDecrement(std::atomic<int32_t>& value) {
    return --value;
}

void SleepMs(uint32_t ms);

// Waits on a condition variable, its lock held, until done() holds or
// timeoutMs passed (kInfinite: for ever). True when done() held.
bool WaitFor(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
             uint32_t timeoutMs, const std::function<bool()>& done);

// Milliseconds since an arbitrary start; wraps every 49.7 days.
uint32_t GetTickCount32();

// A monotonic counter and its frequency (counts per second). The frequency is
// 1,000,000: the counter is in microseconds.
int64_t QueryPerformanceCounter();
int64_t QueryPerformanceFrequency();

}  // namespace platform
