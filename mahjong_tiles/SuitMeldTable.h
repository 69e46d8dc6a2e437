#pragma once
// A quick verdict on whether a hand can possibly be split into groups, read
// from a table of every count a suit can hold, so the decomposition search
// is only started for hands that may pass it.

#include <cstdint>
#include <vector>

#include "mahjong_tiles/TileTypes.h"

// For every way one suit can be held (nine counts of 0..4), the fewest jokers
// that split it into groups, with no pair and with exactly one pair (capped
// at 15, which also marks "never", as a pair from an empty suit).
//
// Rules kept:
//  - The groups are the ones the decomposition search forms from the lowest
//    held tile: a four (no joker), a triplet (0, 1 or 2 jokers), a pair (0 or
//    1 joker) and a run (complete, or two tiles one or two apart with one
//    joker). So a "no" here is a "no" there; a "yes" is only a maybe, as the
//    search also bounds the number of groups.
//  - An honour kind is a suit of one value, so it never runs; with honour
//    runs in the rule the honours are not judged at all.
//  - A hand the table does not describe (a count above 4, a tile outside the
//    suits and honours, a negative joker pile) is never refused.
//  - Built once, on first use, and read-only after that.
class SuitMeldTable {
public:
    static constexpr int kSuitValues = 9;
    static constexpr int kMaxCount = 4;
    static constexpr int kImpossible = 15;

    static const SuitMeldTable& Get();

    // False only when the counts and jokers can certainly not be split into
    // groups with at most one pair.
    bool MayDecompose(const HandCounts& counts, int w1, int w2, RuleFlags rule) const;

private:
    SuitMeldTable();

    // Per key (the counts read as a base-5 number, value 1 lowest): low
    // nibble jokers without a pair, high nibble with one.
    std::vector<uint8_t> entries_;
};
