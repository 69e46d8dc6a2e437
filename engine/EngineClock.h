#pragma once
// The engine's millisecond clock.
//
// EngineClock reads a monotonic counter and converts it to milliseconds since
// its start. Rules:
//  - Reset(offset) makes the clock read offset at once; the first reading
//    after it always passes.
//  - The conversion splits whole seconds from the remainder, so it does not
//    overflow after months of uptime whatever the counter's frequency.
//  - When the counter reads below the last reading, the clock falls back to
//    the 32-bit tick count measured from its own start.
// The counter, its frequency and the tick count are injectable for tests.

#include <cstdint>
#include <functional>

// What the engine asks of a clock.
class ClockInterface {
public:
    virtual ~ClockInterface() = default;
    // Milliseconds since the clock's start.
    virtual uint64_t GetTime() = 0;
    // Reserved for clock options; this engine's clocks take none and answer 0.
    virtual int Configure(uint32_t, uint32_t) { return 0; }
};

struct EngineClockSources {
    std::function<int64_t()> counter;
    std::function<int64_t()> frequency;  // counts per second, read once
    std::function<uint32_t()> tick;      // wrapping milliseconds
};

// The system's performance counter, its frequency and tick count.
EngineClockSources SystemClockSources();

class EngineClock : public ClockInterface {
public:
    EngineClock();
    explicit EngineClock(EngineClockSources sources);

    uint64_t GetTime() override;
    void Reset(uint64_t offsetMs);

private:
    int64_t CountsToMs(int64_t counts) const;
    int64_t MsToCounts(uint64_t ms) const;

    EngineClockSources sources_;
    int64_t startCounter_ = 0;
    int64_t frequency_ = 1;
    int64_t lastCounter_ = 0;
    uint64_t lastReading_ = 0;
    uint32_t startTick_ = 0;
    uint32_t lastTick_ = 0;
};
