#pragma once
// The table of levels (20 thresholds and values) and the stake arithmetic
// derived from it.

#include <array>
#include <cstdint>
#include <span>

inline constexpr int kLevelCount = 20;
inline constexpr std::array<int32_t, kLevelCount> kLevelThresholds = {
    0,    10,   30,   60,    100,   200,   400,   640,   920,   1240,
    2140, 4640, 7390, 10390, 13640, 20640, 35640, 51640, 68640, 86640,
};
inline constexpr std::array<int32_t, kLevelCount> kLevelValues = {
    1, 2, 3, 4, 5, 10, 12, 14, 16, 18, 50, 55, 60, 65, 70, 150, 160, 170, 180, 190,
};

// The highest level 1..19 whose threshold x unit is at most the value; 0
// below that or for a value under 1.
int GetLevelIndex(int32_t value, int32_t unit);

// The level value of the smallest of the first n stakes (the first alone for
// n < 2; an empty array counts as a stake of 0). The second argument is not
// read.
int GetMinLevelValue(std::span<const int32_t> stakes, int32_t unused, int n, int32_t unit);

// From the smallest of the first n stakes (at least 100): the largest power of
// two not above stake / 100, times (multiplier / 10 + 1), truncating (so a
// multiplier of -1 gives x1). Saturates at the 32-bit range.
int GetBaseScoreUnit(std::span<const int32_t> stakes, int32_t multiplier, int n);
