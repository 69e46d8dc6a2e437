#include "engine/EngineClock.h"

#include <utility>

#include "platform/Sync.h"

EngineClockSources SystemClockSources() {
    return {platform::QueryPerformanceCounter, platform::QueryPerformanceFrequency,
            platform::GetTickCount32};
}

EngineClock::EngineClock() : EngineClock(SystemClockSources()) {}

EngineClock::EngineClock(EngineClockSources sources) : sources_(std::move(sources)) {
    const int64_t frequency = sources_.frequency();
    // A counter that reports no sensible rate still must not divide by zero.
    frequency_ = frequency > 0 ? frequency : 1;
    Reset(0);
    lastTick_ = startTick_;
}

int64_t EngineClock::CountsToMs(int64_t counts) const {
    const int64_t seconds = counts / frequency_;
    const int64_t remainder = counts % frequency_;
    return seconds * 1000 + remainder * 1000 / frequency_;
}

int64_t EngineClock::MsToCounts(uint64_t ms) const {
    const int64_t seconds = static_cast<int64_t>(ms / 1000);
    const int64_t remainder = static_cast<int64_t>(ms % 1000);
    return seconds * frequency_ + remainder * frequency_ / 1000;
}

void EngineClock::Reset(uint64_t offsetMs) {
    lastCounter_ = sources_.counter();
    startCounter_ = lastCounter_ - MsToCounts(offsetMs);
    startTick_ = sources_.tick() - static_cast<uint32_t>(offsetMs);
    // What a reading at this very moment gives (the offset, give or take the
    // counter's resolution), so the next reading passes.
    lastReading_ = static_cast<uint64_t>(CountsToMs(lastCounter_ - startCounter_));
}

uint64_t EngineClock::GetTime() {
    lastCounter_ = sources_.counter();
    const int64_t ms = CountsToMs(lastCounter_ - startCounter_);
    if (ms >= 0 && static_cast<uint64_t>(ms) >= lastReading_) {
        lastReading_ = static_cast<uint64_t>(ms);
        return lastReading_;
    }
    // The counter went backwards: measure with the tick count instead.
    lastTick_ = sources_.tick();
    if (lastTick_ >= startTick_) {
        lastReading_ = lastTick_ - startTick_;
    } else {
        lastReading_ = static_cast<uint32_t>(lastTick_ - startTick_ - 1u);
    }
    return lastReading_;
}
