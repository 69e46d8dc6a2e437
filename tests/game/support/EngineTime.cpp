#include "tests/game/support/EngineTime.h"

#include "engine/EngineClock.h"
#include "frame/GameFrameWnd.h"

namespace game_test {

InjectedEngineClock::InjectedEngineClock(uint64_t startMs) : state_(std::make_shared<State>()) {
    state_->ms = startMs;
    std::shared_ptr<State> state = state_;
    CGameFrameWnd::SetClockMakerForTesting([state] {
        EngineClockSources sources;
        sources.counter = [state] { return static_cast<int64_t>(state->ms.load()); };
        sources.frequency = [] { return int64_t{1000}; };
        sources.tick = [state] { return static_cast<uint32_t>(state->ms.load()); };
        return std::make_unique<EngineClock>(std::move(sources));
    });
}

InjectedEngineClock::~InjectedEngineClock() {
    CGameFrameWnd::SetClockMakerForTesting({});
}

void InjectedEngineClock::Advance(uint32_t ms) {
    state_->ms += ms;
}

bool InjectedEngineClock::AdvanceUntil(const std::function<bool()>& done, uint32_t limitMs,
                                       const std::function<void()>& pump, uint32_t frameMs) {
    const uint32_t step = frameMs == 0 ? 1 : frameMs;
    for (uint32_t passed = 0;; passed += step) {
        if (pump) {
            pump();
        }
        if (done()) {
            return true;
        }
        if (passed >= limitMs) {
            return false;
        }
        Advance(step);
    }
}

}  // namespace game_test
