#pragma once
// The engine's time under the test's hand: while an InjectedEngineClock
// lives, every frame window made gets an engine clock that reads only what
// the test gave it, so timers, animations and turn clocks of the game move
// frame by frame as the test advances them. Request waits and the server
// keep real time.
//
// Rules:
//  - One at a time; the frame window's clock maker is cleared when it goes,
//    and windows made after that run on the system clock again.
//  - Every advance is bounded: AdvanceUntil stops at its limit of engine
//    time, whatever the condition says.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace game_test {

class InjectedEngineClock {
public:
    // The clock starts at startMs (above 0: the engine treats 0 as unset).
    explicit InjectedEngineClock(uint64_t startMs = 1000);
    ~InjectedEngineClock();
    InjectedEngineClock(const InjectedEngineClock&) = delete;
    InjectedEngineClock& operator=(const InjectedEngineClock&) = delete;

    // Milliseconds the engine's clocks read now (their own starts aside).
    uint64_t Now() const { return state_->ms.load(); }
    void Advance(uint32_t ms);
    // Advances frameMs at a time, letting `pump` run the UI thread's messages
    // (engine frames among them) after each step, until `done` holds or
    // limitMs of engine time have passed. False at the limit.
    bool AdvanceUntil(const std::function<bool()>& done, uint32_t limitMs,
                      const std::function<void()>& pump, uint32_t frameMs = 20);

private:
    struct State {
        std::atomic<uint64_t> ms{0};
    };
    std::shared_ptr<State> state_;
};

}  // namespace game_test
