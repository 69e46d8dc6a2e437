// The table's timers: due order, ties, cancelling and what is due when.

#include "tools/test_server/TimerQueue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testserver::TimerQueue;

TEST(TimerQueue, TakesWhatIsDueInDueOrderWithTiesInTheOrderAdded) {
    TimerQueue timers;
    std::string ran;
    timers.Add(300, [&] { ran += "c"; });
    timers.Add(100, [&] { ran += "a"; });
    timers.Add(100, [&] { ran += "b"; });
    EXPECT_EQ(timers.NextDue(), 100u);
    EXPECT_TRUE(timers.TakeDue(99).empty());
    for (auto& action : timers.TakeDue(100)) {
        action();
    }
    EXPECT_EQ(ran, "ab");
    EXPECT_EQ(timers.NextDue(), 300u);
    for (auto& action : timers.TakeDue(1000)) {
        action();
    }
    EXPECT_EQ(ran, "abc");
    EXPECT_FALSE(timers.NextDue().has_value());
}

TEST(TimerQueue, CancelledTimersNeverRunAndCancellingTwiceIsRefused) {
    TimerQueue timers;
    bool ran = false;
    const uint64_t id = timers.Add(10, [&] { ran = true; });
    timers.Add(20, [] {});
    EXPECT_TRUE(timers.Cancel(id));
    EXPECT_FALSE(timers.Cancel(id));
    EXPECT_EQ(timers.TakeDue(100).size(), 1u);
    EXPECT_FALSE(ran);
    timers.Add(5, [] {});
    timers.Clear();
    EXPECT_EQ(timers.Size(), 0u);
}

}  // namespace
