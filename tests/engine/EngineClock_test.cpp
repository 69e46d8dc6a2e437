#include "engine/EngineClock.h"

#include <gtest/gtest.h>

#include "tests/engine/EngineTestSupport.h"

namespace {

constexpr int64_t kMsPerDay = 24LL * 60 * 60 * 1000;

TEST(EngineClockTest, ResetOffsetAndMonthsOfUptime) {
    ManualTime time;
    time.counter = 987654321;
    auto clock = time.MakeClock();
    time.AdvanceMs(250);
    clock->Reset(500);
    EXPECT_EQ(clock->GetTime(), 500u);
    time.AdvanceMs(200 * kMsPerDay);
    EXPECT_EQ(clock->GetTime(), static_cast<uint64_t>(200 * kMsPerDay + 500));

    // At 3 GHz, counts x 1000 leave the 64-bit range after 36 days.
    ManualTime fast;
    fast.frequency = 3000000000LL;
    auto fastClock = fast.MakeClock();
    fast.counter += 200 * kMsPerDay / 1000 * fast.frequency + fast.frequency / 2;
    EXPECT_EQ(fastClock->GetTime(), static_cast<uint64_t>(200 * kMsPerDay + 500));
}

TEST(EngineClockTest, FirstReadingAfterResetPassesWithACoarseCounter) {
    ManualTime coarse;
    coarse.frequency = 3;  // one count is 333 ms
    coarse.tick = 777777;
    auto clock = coarse.MakeClock();
    clock->Reset(500);
    // The counter's own value, not the tick-count fallback (which reads 500).
    EXPECT_EQ(clock->GetTime(), 333u);
}

TEST(EngineClockTest, BackwardsCounterFallsBackToTheTickCountAcrossItsWrap) {
    ManualTime time;
    time.tick = 0xFFFFFF00u;
    auto clock = time.MakeClock();
    time.AdvanceMs(100);
    EXPECT_EQ(clock->GetTime(), 100u);

    time.counter -= 5000000;
    time.tick = 0xFFFFFF80u;
    EXPECT_EQ(clock->GetTime(), 0x80u);
    time.tick = 0x100u;  // wrapped: (tick - start - 1) mod 2^32
    EXPECT_EQ(clock->GetTime(), 0x1FFu);
}

}  // namespace
