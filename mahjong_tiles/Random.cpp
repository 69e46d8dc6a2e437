#include "mahjong_tiles/Random.h"

#include <cstdlib>
#include <ctime>

namespace {

uint32_t SystemTimeSeconds() {
    return static_cast<uint32_t>(std::time(nullptr));
}
void SystemSeed(uint32_t seed) {
    std::srand(seed);
}
int SystemNext() {
    return std::rand();
}

constexpr RandomSource kDefaultSource{&SystemTimeSeconds, &SystemSeed, &SystemNext};

constinit RandomSource g_source = kDefaultSource;

void SeedWithTime(uint32_t offset) {
    g_source.seed(g_source.timeSeconds() + offset);
}

uint32_t SeedOffset(int seed) {
    return static_cast<uint32_t>(seed) * 1000u;
}

// A draw reduced into 0..range-1.
int64_t DrawBelow(int64_t range) {
    int64_t r = g_source.next() % range;
    return r < 0 ? r + range : r;
}

}  // namespace

void SetRandomSource(const RandomSource& source) {
    g_source.timeSeconds =
        source.timeSeconds != nullptr ? source.timeSeconds : kDefaultSource.timeSeconds;
    g_source.seed = source.seed != nullptr ? source.seed : kDefaultSource.seed;
    g_source.next = source.next != nullptr ? source.next : kDefaultSource.next;
}

void RestoreDefaultRandomSource() {
    g_source = kDefaultSource;
}

void SeedRandom(uint32_t seed) {
    g_source.seed(seed);
}

void SeedRandomFromClock() {
    SeedWithTime(0);
}

int NextRandom() {
    return g_source.next();
}

int RandomBelow(int n) {
    if (n < 1) {
        return 0;
    }
    SeedWithTime(0);
    return static_cast<int>(DrawBelow(n));
}

int RandomInRange(int lo, int hi) {
    if (lo == hi) {
        return hi;
    }
    if (hi < lo) {
        return lo;
    }
    SeedWithTime(0);
    return static_cast<int>(lo + DrawBelow(static_cast<int64_t>(hi) - lo + 1));
}

int RollDice(int& die1, int& die2, int seed) {
    SeedWithTime(SeedOffset(seed));
    die1 = static_cast<int>(DrawBelow(6)) + 1;
    die2 = static_cast<int>(DrawBelow(6)) + 1;
    return 1;
}

int ShuffleIndices(std::vector<int32_t>& array, int n, int seed) {
    if (n < 1) {
        return 1;
    }
    std::vector<bool> used(n, false);
    SeedWithTime(SeedOffset(seed));
    // Rejection sampling; a generator that keeps repeating used values for
    // far longer than chance allows gets the rest placed in order, so a
    // broken generator cannot hang the deal.
    const int64_t rejectionLimit = 64 * static_cast<int64_t>(n) + 1024;
    int placed = 0;
    int64_t rejections = 0;
    while (placed < n && rejections < rejectionLimit) {
        const int r = static_cast<int>(DrawBelow(n));
        if (used[r]) {
            ++rejections;
            continue;
        }
        used[r] = true;
        array.insert(array.begin() + placed, r);
        ++placed;
        rejections = 0;
    }
    for (int r = 0; r < n && placed < n; ++r) {
        if (!used[r]) {
            used[r] = true;
            array.insert(array.begin() + placed, r);
            ++placed;
        }
    }
    return 1;
}
