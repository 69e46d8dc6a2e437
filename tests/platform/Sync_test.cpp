#include "platform/Sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "platform/Thread.h"

namespace platform {
namespace {

using Mode = Event::Mode;

// --- events ---

TEST(EventTest, ManualResetStaysSetUntilReset) {
    Event e(Mode::ManualReset);
    EXPECT_FALSE(e.IsSet());
    EXPECT_FALSE(e.Wait(0));
    e.Set();
    EXPECT_TRUE(e.Wait(0));
    EXPECT_TRUE(e.Wait(0));
    EXPECT_TRUE(e.IsSet());
    e.Reset();
    EXPECT_FALSE(e.Wait(0));
}

TEST(EventTest, AutoResetIsConsumedByOneWait) {
    Event e(Mode::AutoReset, true);
    EXPECT_TRUE(e.IsSet());
    EXPECT_TRUE(e.Wait(0));
    EXPECT_FALSE(e.IsSet());
    EXPECT_FALSE(e.Wait(0));
    e.Set();
    e.Set();  // no count: still one wake
    EXPECT_TRUE(e.Wait(0));
    EXPECT_FALSE(e.Wait(0));
}

TEST(EventTest, WaitTimesOut) {
    Event e(Mode::ManualReset);
    const int64_t start = QueryPerformanceCounter();
    EXPECT_FALSE(e.Wait(30));
    EXPECT_GE(QueryPerformanceCounter() - start, 30'000);
}

TEST(EventTest, WaitWakesWhenAnotherThreadSets) {
    Event e(Mode::AutoReset);
    std::thread setter([&] { e.Set(); });
    EXPECT_TRUE(e.Wait(5000));
    setter.join();
    EXPECT_FALSE(e.IsSet());
}

TEST(EventTest, AutoResetReleasesExactlyOneWaiterPerSet) {
    Event e(Mode::AutoReset);
    Event done(Mode::AutoReset);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            ASSERT_TRUE(e.Wait(5000));
            ++released;
            done.Set();
        });
    }
    for (int round = 1; round <= 3; ++round) {
        e.Set();
        ASSERT_TRUE(done.Wait(5000));
        // A second waiter would have been released by now if Set woke two.
        SleepMs(round == 1 ? 50 : 0);
        EXPECT_EQ(released.load(), round);
    }
    for (auto& t : waiters) {
        t.join();
    }
    EXPECT_FALSE(e.IsSet());
}

TEST(EventTest, ManualResetReleasesEveryWaiter) {
    Event gate(Mode::ManualReset);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            if (gate.Wait(5000)) {
                ++released;
            }
        });
    }
    gate.Set();
    for (auto& t : waiters) {
        t.join();
    }
    EXPECT_EQ(released.load(), 4);
}

// Two threads hand a turn back and forth through two auto-reset events; no
// Set may be lost, whichever way the waits sleep.
void PlayPingPong(uint32_t waitMs) {
    Event ping(Mode::AutoReset);
    Event pong(Mode::AutoReset);
    constexpr int kRounds = 5000;
    std::thread other([&] {
        for (int i = 0; i < kRounds; ++i) {
            ASSERT_TRUE(ping.Wait(waitMs));
            pong.Set();
        }
    });
    for (int i = 0; i < kRounds; ++i) {
        ping.Set();
        ASSERT_TRUE(pong.Wait(waitMs)) << "round " << i;
    }
    other.join();
}

TEST(EventTest, PingPongLosesNoWakeUp) {
    PlayPingPong(5000);
}

TEST(EventTest, PingPongWithoutTimeOutLosesNoWakeUp) {
    PlayPingPong(kInfinite);
}

// --- deferred wakes ---

TEST(DeferEventWakesTest, TheEventIsSetAtOnceAndItsWaiterWokenAtTheScopesEnd) {
    Event event(Mode::AutoReset);
    std::atomic<bool> waiting{false};
    std::atomic<bool> returned{false};
    std::thread waiter([&] {
        waiting = true;
        EXPECT_TRUE(event.Wait(10000));
        returned = true;
    });
    while (!waiting) {
        std::this_thread::yield();
    }
    SleepMs(20);  // the waiter sleeps in its wait
    {
        const DeferEventWakes later;
        {
            const DeferEventWakes inner;  // nested: only the outer one wakes
            event.Set();
        }
        EXPECT_TRUE(event.IsSet());
        SleepMs(50);
        EXPECT_FALSE(returned.load());
    }
    waiter.join();
    EXPECT_TRUE(returned.load());
    EXPECT_FALSE(event.IsSet());  // consumed by the woken wait
}

TEST(DeferEventWakesTest, AWaitWokenForAnEventResetMeanwhileWaitsOn) {
    Event event(Mode::ManualReset);
    std::atomic<bool> waiting{false};
    std::atomic<bool> sawEvent{false};
    std::thread waiter([&] {
        waiting = true;
        sawEvent = event.Wait(300);
    });
    while (!waiting) {
        std::this_thread::yield();
    }
    SleepMs(20);
    {
        const DeferEventWakes later;
        event.Set();
        event.Reset();
    }
    waiter.join();
    EXPECT_FALSE(sawEvent.load());
}

// --- WaitAny ---

TEST(WaitAnyTest, ReportsLowestSetIndexAndConsumesOnlyThatOne) {
    Event a(Mode::AutoReset), b(Mode::AutoReset), c(Mode::AutoReset);
    Event* const events[] = {&a, &b, &c};
    b.Set();
    c.Set();
    EXPECT_EQ(WaitAny(events, 0), 1);
    EXPECT_FALSE(b.IsSet());
    EXPECT_TRUE(c.IsSet());
    EXPECT_EQ(WaitAny(events, 0), 2);
    EXPECT_EQ(WaitAny(events, 0), kWaitTimeout);
}

TEST(WaitAnyTest, ManualEventIsReportedWithoutBeingConsumed) {
    Event stop(Mode::ManualReset), response(Mode::AutoReset);
    Event* const events[] = {&stop, &response};
    stop.Set();
    response.Set();
    EXPECT_EQ(WaitAny(events, 0), 0);
    EXPECT_EQ(WaitAny(events, 0), 0);
    EXPECT_TRUE(response.IsSet());  // not the reported one: untouched
}

TEST(WaitAnyTest, TimesOut) {
    Event a(Mode::ManualReset), b(Mode::AutoReset);
    Event* const events[] = {&a, &b};
    const uint32_t start = GetTickCount32();
    EXPECT_EQ(WaitAny(events, 40), kWaitTimeout);
    EXPECT_GE(GetTickCount32() - start, 40u);
}

TEST(WaitAnyTest, WakesOnAnEventSetLater) {
    Event a(Mode::AutoReset), b(Mode::AutoReset), c(Mode::AutoReset);
    Event* const events[] = {&a, &b, &c};
    std::thread setter([&] { c.Set(); });
    EXPECT_EQ(WaitAny(events, 5000), 2);
    setter.join();
    EXPECT_FALSE(c.IsSet());
}

TEST(WaitAnyTest, ManyEventsAndManyWaitersShareOneAutoEvent) {
    // Several threads wait on {own stop, shared auto}; each Set of the shared
    // event lets exactly one through.
    constexpr int kThreads = 4;
    constexpr int kSets = 2000;
    Event shared(Mode::AutoReset);
    Event taken(Mode::AutoReset);
    std::vector<std::unique_ptr<Event>> stops;
    std::atomic<int> total{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        stops.push_back(std::make_unique<Event>(Mode::ManualReset));
    }
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            Event* const events[] = {stops[i].get(), &shared};
            for (;;) {
                const int r = WaitAny(events, 5000);
                if (r != 1) {
                    EXPECT_EQ(r, 0);
                    return;
                }
                ++total;
                taken.Set();
            }
        });
    }
    for (int i = 0; i < kSets; ++i) {
        shared.Set();
        ASSERT_TRUE(taken.Wait(5000));
    }
    for (auto& s : stops) {
        s->Set();
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(total.load(), kSets);
}

TEST(WaitAnyTest, MoreEventsThanTheInlineSlots) {
    std::vector<std::unique_ptr<Event>> owned;
    std::vector<Event*> events;
    for (int i = 0; i < 10; ++i) {
        owned.push_back(std::make_unique<Event>(Mode::AutoReset));
        events.push_back(owned.back().get());
    }
    std::thread setter([&] { events[7]->Set(); });
    EXPECT_EQ(WaitAny(events, 5000), 7);
    setter.join();
    EXPECT_EQ(WaitAny(events, 0), kWaitTimeout);
}

// --- locks, counters, clocks ---

TEST(RecursiveLockTest, OwnerMayReenterOthersMayNot) {
    RecursiveLock lock;
    lock.Lock();
    EXPECT_TRUE(lock.TryLock());
    bool otherGotIt = true;
    std::thread other([&] { otherGotIt = lock.TryLock(); });
    other.join();
    EXPECT_FALSE(otherGotIt);
    lock.Unlock();
    lock.Unlock();
    std::thread again([&] {
        otherGotIt = lock.TryLock();
        if (otherGotIt) {
            lock.Unlock();
        }
    });
    again.join();
    EXPECT_TRUE(otherGotIt);
}

TEST(RecursiveLockTest, ScopedLockGuardsAcrossThreads) {
    RecursiveLock lock;
    int counter = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            for (int n = 0; n < 10000; ++n) {
                ScopedLock outer(lock);
                ScopedLock inner(lock);
                ++counter;
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(counter, 40000);
}

TEST(InterlockedTest, ReturnsTheNewValue) {
    std::atomic<int32_t> value{0};
    EXPECT_EQ(InterlockedIncrement(value), 1);
    EXPECT_EQ(InterlockedIncrement(value), 2);
    EXPECT_EQ(InterlockedDecrement(value), 1);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            for (int n = 0; n < 10000; ++n) {
                InterlockedIncrement(value);
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(value.load(), 40001);
}

TEST(ClockTest, PerformanceCounterIsInMicroseconds) {
    EXPECT_EQ(QueryPerformanceFrequency(), 1'000'000);
    const int64_t c0 = QueryPerformanceCounter();
    const uint32_t t0 = GetTickCount32();
    SleepMs(20);
    const int64_t c1 = QueryPerformanceCounter();
    const uint32_t t1 = GetTickCount32();
    EXPECT_GE(c1 - c0, 20'000);
    EXPECT_LT(c1 - c0, 5'000'000);
    EXPECT_GE(t1 - t0, 20u);  // unsigned difference: right across the wrap too
    EXPECT_LT(t1 - t0, 5'000u);
}

TEST(ClockTest, NeverGoesBack) {
    int64_t last = QueryPerformanceCounter();
    for (int i = 0; i < 10000; ++i) {
        const int64_t now = QueryPerformanceCounter();
        ASSERT_GE(now, last);
        last = now;
    }
}

// --- threads ---

TEST(ThreadIdTest, NonzeroStableAndDistinct) {
    const ThreadId mine = CurrentThreadId();
    EXPECT_NE(mine, 0u);
    EXPECT_EQ(CurrentThreadId(), mine);
    std::set<ThreadId> ids{mine};
    std::mutex m;
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&] {
            const ThreadId id = CurrentThreadId();
            std::lock_guard lock(m);
            ids.insert(id);
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(ids.size(), 9u);
    EXPECT_EQ(ids.count(0), 0u);
}

TEST(ThreadTest, IdIsKnownWhenStartReturns) {
    Thread thread;
    EXPECT_EQ(thread.Id(), 0u);
    Event go(Mode::ManualReset);
    ThreadId seen = 0;
    ASSERT_TRUE(thread.Start([&] {
        go.Wait();
        seen = CurrentThreadId();
    }));
    const ThreadId id = thread.Id();
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, CurrentThreadId());
    EXPECT_TRUE(thread.IsRunning());
    go.Set();
    EXPECT_TRUE(thread.Join());
    EXPECT_EQ(seen, id);
    EXPECT_FALSE(thread.IsRunning());
}

TEST(ThreadTest, StartFailsWhileRunningAndWorksAgainAfterwards) {
    Thread thread;
    Event go(Mode::ManualReset);
    ASSERT_TRUE(thread.Start([&] { go.Wait(); }));
    const ThreadId first = thread.Id();
    EXPECT_FALSE(thread.Start([] {}));
    go.Set();
    ASSERT_TRUE(thread.Join(5000));
    std::atomic<bool> ran{false};
    ASSERT_TRUE(thread.Start([&] { ran = true; }));
    EXPECT_NE(thread.Id(), first);
    ASSERT_TRUE(thread.Join(5000));
    EXPECT_TRUE(ran);
}

TEST(ThreadTest, JoinTimesOutAndTheThreadKeepsRunning) {
    Thread thread;
    Event go(Mode::ManualReset);
    Event finished(Mode::ManualReset);
    ASSERT_TRUE(thread.Start([&] {
        go.Wait();
        finished.Set();
    }));
    const uint32_t start = GetTickCount32();
    EXPECT_FALSE(thread.Join(30));
    EXPECT_GE(GetTickCount32() - start, 30u);
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_FALSE(finished.IsSet());
    go.Set();
    EXPECT_TRUE(thread.Join(5000));
    EXPECT_TRUE(finished.IsSet());
    EXPECT_TRUE(thread.Join(0));  // an ended thread joins at once, again
}

TEST(ThreadTest, ObjectMayGoWhileItsThreadStillRuns) {
    // What the thread uses is shared, since it outlives the Thread object.
    auto go = std::make_shared<Event>(Mode::ManualReset);
    auto finished = std::make_shared<Event>(Mode::ManualReset);
    {
        Thread thread;
        ASSERT_TRUE(thread.Start([go, finished] {
            go->Wait();
            finished->Set();
        }));
        EXPECT_FALSE(thread.Join(10));
    }
    go->Set();
    EXPECT_TRUE(finished->Wait(5000));
}

TEST(ThreadTest, JoinFromTheThreadItselfFails) {
    Thread thread;
    std::atomic<int> result{-1};
    Event started(Mode::ManualReset);
    Event go(Mode::ManualReset);
    ASSERT_TRUE(thread.Start([&] {
        started.Wait();
        result = thread.Join(0) ? 1 : 0;
        go.Set();
    }));
    started.Set();
    ASSERT_TRUE(go.Wait(5000));
    EXPECT_TRUE(thread.Join(5000));
    EXPECT_EQ(result.load(), 0);
}

TEST(ThreadTest, EmptyBodyIsRefused) {
    Thread thread;
    EXPECT_FALSE(thread.Start(nullptr));
    EXPECT_EQ(thread.Id(), 0u);
    EXPECT_TRUE(thread.Join(0));
}

// --- waits on a condition ---

TEST(WaitForTest, TimesOutUnlessTheConditionHoldsAndWakesWhenItComesTrue) {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    std::unique_lock lock(mutex);
    const int64_t start = QueryPerformanceCounter();
    EXPECT_FALSE(WaitFor(changed, lock, 30, [&] { return done; }));
    EXPECT_GE(QueryPerformanceCounter() - start, 30'000);
    EXPECT_TRUE(lock.owns_lock());
    done = true;
    EXPECT_TRUE(WaitFor(changed, lock, 0, [&] { return done; }));
    done = false;
    std::thread setter([&] {
        {
            std::lock_guard held(mutex);
            done = true;
        }
        changed.notify_all();
    });
    EXPECT_TRUE(WaitFor(changed, lock, kInfinite, [&] { return done; }));
    lock.unlock();
    setter.join();
}

}  // namespace
}  // namespace platform
