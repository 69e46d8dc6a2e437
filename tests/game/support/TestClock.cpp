#include "tests/game/support/TestClock.h"

#include <cstdio>
#include <cstdlib>

#include "mahjong_tiles/Random.h"

namespace game_test {
namespace {

struct RandomState {
    bool installed = false;
    uint32_t seconds = 0;
    uint32_t generator = 1;
    std::deque<int> queued;
    std::vector<uint32_t> seeds;
    int draws = 0;
};

RandomState& State() {
    static RandomState state;
    return state;
}

uint32_t Seconds() {
    return State().seconds;
}

void Seed(uint32_t seed) {
    State().seeds.push_back(seed);
    State().generator = seed;
}

int Next() {
    RandomState& state = State();
    ++state.draws;
    if (!state.queued.empty()) {
        const int draw = state.queued.front();
        state.queued.pop_front();
        return draw;
    }
    // The C library's classic generator: 15 bits a draw.
    state.generator = state.generator * 1103515245u + 12345u;
    return static_cast<int>((state.generator / 65536u) % 32768u);
}

}  // namespace

ScopedRandom::ScopedRandom(uint32_t seconds) {
    RandomState& state = State();
    if (state.installed) {
        std::fprintf(stderr, "ScopedRandom: only one at a time\n");
        std::abort();
    }
    state = RandomState{};
    state.installed = true;
    state.seconds = seconds;
    SetRandomSource(RandomSource{&Seconds, &Seed, &Next});
}

ScopedRandom::~ScopedRandom() {
    RestoreDefaultRandomSource();
    State() = RandomState{};
}

void ScopedRandom::SetSeconds(uint32_t seconds) {
    State().seconds = seconds;
}

void ScopedRandom::Advance(uint32_t seconds) {
    State().seconds += seconds;
}

void ScopedRandom::Queue(const std::vector<int>& draws) {
    for (int draw : draws) {
        State().queued.push_back(draw < 0 ? -draw : draw);
    }
}

const std::vector<uint32_t>& ScopedRandom::Seeds() const {
    return State().seeds;
}

int ScopedRandom::Draws() const {
    return State().draws;
}

ScopedLocalTime::ScopedLocalTime(const platform::LocalDateTime& now) : now_(now) {
    Set(now);
}

ScopedLocalTime::~ScopedLocalTime() {
    platform::SetLocalTimeSourceForTesting({});
}

void ScopedLocalTime::Set(const platform::LocalDateTime& now) {
    now_ = now;
    platform::SetLocalTimeSourceForTesting([this] { return now_; });
}

}  // namespace game_test
