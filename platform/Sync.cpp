#include "platform/Sync.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <memory>
#include <optional>
#include <thread>  // the clocks too: <chrono> does not build under -fexec-charset=GBK
#include <vector>

#include "platform/EventWatch.h"
#include "platform/WaitKeeper.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// One mutex for every event: a wait on several events checks and registers
// with all of them atomically, so no Set() can slip between the two.
std::mutex g_eventMutex;

// Signalled when callbacks that Set() runs outside the mutex have returned
// (EventWatch's destructor waits for them). Never destroyed: events may be set
// while static objects go at exit.
std::condition_variable& WatchCallsDone() {
    static auto* cv = new std::condition_variable;
    return *cv;
}

thread_local detail::WaitKeeper t_waitKeeper = nullptr;
// Inside the display-keeping wait: its slices and the keeper's own waits are
// plain.
thread_local bool t_keeping = false;

// The display thread's wait: in slices, keeping the display before the first
// and between them. An event set meanwhile ends the wait at once, as any
// wait; at the deadline the events are checked a last time.
int WaitAnyKeepingDisplay(std::span<Event* const> events, uint32_t timeoutMs) {
    t_keeping = true;
    const auto start = Clock::now();
    int index = kWaitTimeout;
    for (;;) {
        t_waitKeeper();
        uint32_t slice = detail::kKeepDisplayEveryMs;
        if (timeoutMs != kInfinite) {
            const auto total = std::chrono::milliseconds(timeoutMs);
            const auto elapsed = Clock::now() - start;
            if (elapsed >= total) {
                index = WaitAny(events, 0);
                break;
            }
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(total - elapsed).count();
            slice = static_cast<uint32_t>(std::min<int64_t>(slice, left));
        }
        index = WaitAny(events, slice);
        if (index != kWaitTimeout) {
            break;
        }
    }
    t_keeping = false;
    return index;
}

}  // namespace

namespace detail {

void SetWaitKeeper(WaitKeeper keeper) {
    t_waitKeeper = keeper;
}

}  // namespace detail

// What a WaitAny sleeps on. Set() releases it after letting the event mutex
// go, so the woken thread does not at once block on that mutex; it is shared
// because that release may come after the wait has ended. A release is kept
// until a wait takes it. (Not a timed semaphore wait: the standard library's
// polls with growing sleeps, which delays the wake by up to half the time
// already waited.) Waited on with the kernel's futex: the waking thread
// holds nothing the woken one must take.
class WakeSignal {
public:
    void Release() {
        if (state_.exchange(kReleased) == kSleeping) {
            ::syscall(SYS_futex, &state_, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
        }
    }

    // Takes a release, waiting for one until the deadline (none: forever);
    // false when none came. One thread waits at a time.
    bool Acquire(std::optional<Clock::time_point> deadline) {
        for (;;) {
            uint32_t seen = kReleased;
            if (state_.compare_exchange_strong(seen, kIdle)) {
                return true;
            }
            if (seen == kIdle && !state_.compare_exchange_strong(seen, kSleeping)) {
                continue;  // released meanwhile
            }
            if (!SleepWhileUnreleased(deadline)) {
                seen = kSleeping;
                if (state_.compare_exchange_strong(seen, kIdle)) {
                    return false;
                }
            }
        }
    }

private:
    static constexpr uint32_t kIdle = 0;
    static constexpr uint32_t kReleased = 1;
    static constexpr uint32_t kSleeping = 2;  // and not released

    // Sleeps while the state is kSleeping; false at the deadline.
    bool SleepWhileUnreleased(std::optional<Clock::time_point> deadline) {
        timespec at{};
        if (deadline) {
            const auto ns =
                std::chrono::duration_cast<std::chrono::nanoseconds>(deadline->time_since_epoch())
                    .count();
            at.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            at.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        }
        // An absolute time on the monotonic clock, which the steady clock reads.
        const long r = ::syscall(SYS_futex, &state_, FUTEX_WAIT_BITSET_PRIVATE, kSleeping,
                                 deadline ? &at : nullptr, nullptr, FUTEX_BITSET_MATCH_ANY);
        return r == 0 || errno != ETIMEDOUT;
    }

    std::atomic<uint32_t> state_{kIdle};
};

// The wakes held back by the calling thread's DeferEventWakes scopes.
struct DeferredWakes {
    int scopes = 0;
    std::vector<std::shared_ptr<WakeSignal>> signals;  // kept while scopes > 0
};
thread_local DeferredWakes t_deferred;

DeferEventWakes::DeferEventWakes() {
    ++t_deferred.scopes;
}

DeferEventWakes::~DeferEventWakes() {
    if (--t_deferred.scopes > 0) {
        return;
    }
    for (const auto& signal : t_deferred.signals) {
        signal->Release();
    }
    t_deferred.signals.clear();
}

// A wait registered with one event. Either a waiting thread's signal
// (WaitAny) or a callback (EventWatch) is woken on Set().
struct Event::Waiter {
    Waiter* prev = nullptr;
    Waiter* next = nullptr;
    std::shared_ptr<WakeSignal> signal;
    detail::EventWatch::WakeFn wake = nullptr;
    void* context = nullptr;
    int calling = 0;  // Set() calls of wake in progress, outside the mutex
};

Event::Event(Mode mode, bool initiallySet) : mode_(mode), set_(initiallySet) {}

Event::~Event() = default;

void Event::Set() {
    // Callbacks run after the unlock, so that they may do anything (set
    // events, take their own locks); `calling` keeps their nodes registered.
    Waiter* inlineCalls[4];
    std::vector<Waiter*> moreCalls;
    size_t calls = 0;
    std::shared_ptr<WakeSignal> inlineSignals[4];
    std::vector<std::shared_ptr<WakeSignal>> moreSignals;
    size_t signals = 0;
    {
        std::lock_guard lock(g_eventMutex);
        set_ = true;
        // Every waiter re-checks under the mutex; for an auto-reset event
        // only the first to do so consumes it and the others sleep again.
        for (Waiter* w = waiters_; w != nullptr; w = w->next) {
            if (w->signal != nullptr) {
                if (signals < std::size(inlineSignals)) {
                    inlineSignals[signals] = w->signal;
                } else {
                    moreSignals.push_back(w->signal);
                }
                ++signals;
                continue;
            }
            ++w->calling;
            if (calls < std::size(inlineCalls)) {
                inlineCalls[calls] = w;
            } else {
                moreCalls.push_back(w);
            }
            ++calls;
        }
    }
    for (size_t i = 0; i < signals; ++i) {
        std::shared_ptr<WakeSignal>& signal = i < std::size(inlineSignals)
                                                  ? inlineSignals[i]
                                                  : moreSignals[i - std::size(inlineSignals)];
        if (t_deferred.scopes > 0) {
            t_deferred.signals.push_back(std::move(signal));
        } else {
            signal->Release();
        }
    }
    if (calls == 0) {
        return;
    }
    auto each = [&](auto&& fn) {
        for (size_t i = 0; i < calls; ++i) {
            fn(i < std::size(inlineCalls) ? inlineCalls[i] : moreCalls[i - std::size(inlineCalls)]);
        }
    };
    each([](Waiter* w) { w->wake(w->context); });
    {
        std::lock_guard lock(g_eventMutex);
        each([](Waiter* w) { --w->calling; });
    }
    WatchCallsDone().notify_all();
}

void Event::Reset() {
    std::lock_guard lock(g_eventMutex);
    set_ = false;
}

bool Event::IsSet() const {
    std::lock_guard lock(g_eventMutex);
    return set_;
}

bool Event::Wait(uint32_t timeoutMs) {
    Event* const one[] = {this};
    return WaitAny(one, timeoutMs) == 0;
}

bool Event::TryConsumeLocked() {
    if (!set_) {
        return false;
    }
    if (mode_ == Mode::AutoReset) {
        set_ = false;
    }
    return true;
}

void Event::AddWaiterLocked(Waiter* waiter) {
    waiter->prev = nullptr;
    waiter->next = waiters_;
    if (waiters_ != nullptr) {
        waiters_->prev = waiter;
    }
    waiters_ = waiter;
}

void Event::RemoveWaiterLocked(Waiter* waiter) {
    if (waiter->prev != nullptr) {
        waiter->prev->next = waiter->next;
    } else {
        waiters_ = waiter->next;
    }
    if (waiter->next != nullptr) {
        waiter->next->prev = waiter->prev;
    }
    waiter->prev = waiter->next = nullptr;
}

int WaitAny(std::span<Event* const> events, uint32_t timeoutMs) {
    if (t_waitKeeper != nullptr && !t_keeping && timeoutMs != 0 && !events.empty()) {
        return WaitAnyKeepingDisplay(events, timeoutMs);
    }
    using detail::EventWatch;
    std::unique_lock lock(g_eventMutex);
    int index = EventWatch::ConsumeFirstLocked(events);
    if (index >= 0 || timeoutMs == 0 || events.empty()) {
        return index >= 0 ? index : kWaitTimeout;
    }

    const auto signal = std::make_shared<WakeSignal>();
    Event::Waiter local[4];
    std::unique_ptr<Event::Waiter[]> heap;
    Event::Waiter* nodes = local;
    if (events.size() > std::size(local)) {
        heap = std::make_unique<Event::Waiter[]>(events.size());
        nodes = heap.get();
    }
    for (size_t i = 0; i < events.size(); ++i) {
        if (events[i] != nullptr) {
            nodes[i].signal = signal;
            events[i]->AddWaiterLocked(&nodes[i]);
        }
    }

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        lock.unlock();
        const bool woken =
            signal->Acquire(timeoutMs == kInfinite ? std::nullopt : std::optional(deadline));
        lock.lock();
        index = EventWatch::ConsumeFirstLocked(events);
        if (index >= 0 || !woken) {
            break;
        }
    }

    for (size_t i = 0; i < events.size(); ++i) {
        if (events[i] != nullptr) {
            events[i]->RemoveWaiterLocked(&nodes[i]);
        }
    }
    return index >= 0 ? index : kWaitTimeout;
}

namespace detail {

EventWatch::EventWatch(std::span<Event* const> events, WakeFn wake, void* context)
    : events_(events), nodes_(std::make_unique<Event::Waiter[]>(events.size())) {
    std::lock_guard lock(g_eventMutex);
    for (size_t i = 0; i < events_.size(); ++i) {
        if (events_[i] != nullptr) {
            nodes_[i].wake = wake;
            nodes_[i].context = context;
            events_[i]->AddWaiterLocked(&nodes_[i]);
        }
    }
}

EventWatch::~EventWatch() {
    std::unique_lock lock(g_eventMutex);
    for (size_t i = 0; i < events_.size(); ++i) {
        if (events_[i] != nullptr) {
            events_[i]->RemoveWaiterLocked(&nodes_[i]);
        }
    }
    // A Set() may still be calling wake for a node: wait until it returned.
    WatchCallsDone().wait(lock, [this] {
        for (size_t i = 0; i < events_.size(); ++i) {
            if (nodes_[i].calling != 0) {
                return false;
            }
        }
        return true;
    });
}

int EventWatch::TryConsume() {
    std::lock_guard lock(g_eventMutex);
    return ConsumeFirstLocked(events_);
}

int EventWatch::ConsumeFirstLocked(std::span<Event* const> events) {
    for (size_t i = 0; i < events.size(); ++i) {
        if (events[i] != nullptr && events[i]->TryConsumeLocked()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace detail

void SleepMs(uint32_t ms) {
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool WaitFor(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
             uint32_t timeoutMs, const std::function<bool()>& done) {
    if (timeoutMs == kInfinite) {
        changed.wait(lock, done);
        return true;
    }
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
}

uint32_t GetTickCount32() {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
    return static_cast<uint32_t>(static_cast<uint64_t>(ms.count()));
}

int64_t QueryPerformanceCounter() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
}

int64_t QueryPerformanceFrequency() {
    return 1'000'000;
}

}  // namespace platform
