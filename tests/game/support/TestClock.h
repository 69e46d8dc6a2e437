#pragma once
// Injected clocks and random draws for the game's tests.
//
// ScopedRandom replaces the tile library's random source (dice, the spoken
// operation sounds, particles, the offline players) for its life: the clock
// the generator is seeded from answers a fixed number of seconds, and the
// draws come from a queue the test fills, then from a small generator seeded
// by the last seed, so a run repeats exactly. It writes down every seed.
//
// ScopedLocalTime fixes the platform's local date and time for its life.
//
// Rules:
//  - One ScopedRandom at a time (the source is process-wide and plain
//    functions); a second one is refused by the first's check.
//  - Both put back the real sources when they go.

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/System.h"

namespace game_test {

class ScopedRandom {
public:
    explicit ScopedRandom(uint32_t seconds = 1000000);
    ~ScopedRandom();
    ScopedRandom(const ScopedRandom&) = delete;
    ScopedRandom& operator=(const ScopedRandom&) = delete;

    // The clock in seconds the generator is seeded from.
    void SetSeconds(uint32_t seconds);
    void Advance(uint32_t seconds);
    // Draws handed out next, in order (non-negative), before the generator.
    void Queue(const std::vector<int>& draws);
    // Seeds asked for so far, oldest first; draws made so far.
    const std::vector<uint32_t>& Seeds() const;
    int Draws() const;
};

class ScopedLocalTime {
public:
    explicit ScopedLocalTime(const platform::LocalDateTime& now);
    ~ScopedLocalTime();
    ScopedLocalTime(const ScopedLocalTime&) = delete;
    ScopedLocalTime& operator=(const ScopedLocalTime&) = delete;

    void Set(const platform::LocalDateTime& now);

private:
    platform::LocalDateTime now_;
};

}  // namespace game_test
