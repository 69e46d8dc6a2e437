#pragma once
// Random numbers, dice and the index shuffle of the deal.
//
// Every call reseeds the generator from the clock in seconds (dice and
// shuffles add seed x 1000), so calls within one second repeat their draws
// unless the seed differs; the ranges, the seeding rule and the order of draws
// are fixed. The clock and the generator are injectable for tests.

#include <cstdint>
#include <vector>

struct RandomSource {
    uint32_t (*timeSeconds)();  // the clock the generator is seeded from
    void (*seed)(uint32_t);
    int (*next)();  // a non-negative draw
};

// Installs another source; a null member keeps the default for that member.
void SetRandomSource(const RandomSource& source);
void RestoreDefaultRandomSource();

// Seeds the installed generator and draws from it directly, for callers that
// seed from a clock of their own.
void SeedRandom(uint32_t seed);
int NextRandom();
// Seeds the installed generator from its clock in seconds, as every draw
// below does first.
void SeedRandomFromClock();

// A draw in 0..n-1; 0 (without drawing) for n < 1.
int RandomBelow(int n);
// A draw in lo..hi; hi without drawing when lo == hi, lo when hi < lo.
int RandomInRange(int lo, int hi);
// Two dice 1..6, die 1 drawn first; returns 1.
int RollDice(int& die1, int& die2, int seed);
// Inserts a random permutation of 0..n-1 into the array at positions
// 0..n-1 (what the array held moves up); n < 1 places nothing. Returns 1.
int ShuffleIndices(std::vector<int32_t>& array, int n, int seed);
