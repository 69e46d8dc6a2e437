#include "mahjong_tiles/Levels.h"

#include <algorithm>
#include <climits>

namespace {

constexpr int32_t kStakeFloor = 100;

int32_t SmallestStake(std::span<const int32_t> stakes, int n) {
    if (stakes.empty()) {
        return 0;
    }
    const size_t considered = n < 2 ? 1 : std::min<size_t>(static_cast<size_t>(n), stakes.size());
    return *std::min_element(stakes.begin(), stakes.begin() + considered);
}

}  // namespace

int GetLevelIndex(int32_t value, int32_t unit) {
    if (value < 1) {
        return 0;
    }
    for (int level = kLevelCount - 1; level >= 1; --level) {
        if (static_cast<int64_t>(kLevelThresholds[level]) * unit <= value) {
            return level;
        }
    }
    return 0;
}

int GetMinLevelValue(std::span<const int32_t> stakes, int32_t /*unused*/, int n, int32_t unit) {
    return kLevelValues[GetLevelIndex(SmallestStake(stakes, n), unit)];
}

int GetBaseScoreUnit(std::span<const int32_t> stakes, int32_t multiplier, int n) {
    const int32_t stake = std::max(SmallestStake(stakes, n), kStakeFloor);
    const int32_t hundreds = stake / 100;
    int64_t power = 1;
    while (power * 2 <= hundreds) {
        power *= 2;
    }
    const int64_t unit = power * (multiplier / 10 + 1);
    return static_cast<int>(std::clamp<int64_t>(unit, INT_MIN, INT_MAX));
}
