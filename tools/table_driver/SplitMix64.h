#pragma once
// The seats' own random source: splitmix64, a small generator whose
// sequence depends on its seed alone, so a seed replays the same play.

#include <cstdint>

// Moves the state on and returns the next 64 random bits.
inline uint64_t NextSplitMix64(uint64_t& state) {
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
