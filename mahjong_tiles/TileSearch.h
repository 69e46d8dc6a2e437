#pragma once
// Tile search, counting and the operation tests (peng, gang, chi, flower).
//
// A hand by ids is a span of tile ids, -1 marking an empty place; a hand by
// counts is the 64-count table. Rules kept:
//  - Counting a hand counts only ids whose index lies in 1..63.
//  - A count read through an index outside 0..63 reads as 0 and nothing is
//    written there.
//  - A finder fills its whole output span with -1 first and never writes past
//    it; its answer is the operation value for the whole hand.

#include <cstdint>
#include <span>

#include "mahjong_tiles/TileTypes.h"

// Clears the table and counts the hand into it; returns the ids counted.
int CountHandCards(std::span<const int32_t> hand, RuleFlags rule, HandCounts& counts);

// Copies, in hand order, the ids of the tile's kind (resp. of the index) until
// max are copied or the output is full; returns the number copied.
int CollectSameIndexCards(std::span<const int32_t> hand, int tile, std::span<int32_t> out, int max,
                          RuleFlags rule);
int CollectCardsByIndex(std::span<const int32_t> hand, int index, std::span<int32_t> out, int max,
                        RuleFlags rule);

// Tests on counts. A wild tile cannot be claimed while wilds are in play
// unless rule 0x8 lets it play its own face.
int CanPeng(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule);
int CanMingGang(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule);
// The first index 1..63 holding exactly four of a kind that may form a
// concealed gang: stores it and returns 2, else stores 0 and returns 0.
int FindAnGangIndex(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                    int& index);
int CanHua(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule);
int CanChi(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule);
int CanChiIndex(const HandCounts& counts, int index, int wild1, int wild2, RuleFlags rule);
// 1 when the held index lies in a run of three held consecutive indices.
int IsInSuitRun(const HandCounts& counts, int index);
// With rule 0x20: 1 when two other kinds of the index's group are held.
int IsInHonourRun(const HandCounts& counts, int index, int wild1, int wild2, RuleFlags rule);
int CountFlowerTiles(const HandCounts& counts, int wild1, int wild2, RuleFlags rule);

// Adds the tile to the counts (its index is stored, 0 for no tile) and, when
// wilds are in play, takes the jokers out: all tiles of wild kind 1 (their
// number is the answer) and of wild kind 2 (into wild2Count), unless rule 0x8
// and keepWilds keep them as tiles; with rule 0x4 the wild-face kind then
// moves to wild index 1.
int TakeOutWildCards(HandCounts& counts, int tile, int wild1, int wild2, int& tileIndex,
                     RuleFlags rule, int keepWilds, int& wild2Count);

// Finders on a hand by ids.
int FindPengCards(std::span<const int32_t> hand, int tile, int wild1, int wild2, RuleFlags rule,
                  std::span<int32_t> out);
int FindMingGangCards(std::span<const int32_t> hand, int tile, int wild1, int wild2, RuleFlags rule,
                      std::span<int32_t> out);
int FindAnGangCards(std::span<const int32_t> hand, int tile, int wild1, int wild2, RuleFlags rule,
                    std::span<int32_t> out);
int FindAnGangCardsInHand(std::span<const int32_t> hand, int wild1, int wild2, RuleFlags rule,
                          std::span<int32_t> out);
// Appends, for every pair of places in hand order that makes a chi with the
// tile, the two ids; only whole pairs that fit the output are kept.
int FindChiCards(std::span<const int32_t> hand, int tile, int wild1, int wild2, RuleFlags rule,
                 std::span<int32_t> out);

// Names the table view and the table logic use for the same tests.
inline int CanPengWithCounts(const HandCounts& counts, int tile, int wild1, int wild2,
                             RuleFlags rule) {
    return CanPeng(counts, tile, wild1, wild2, rule);
}
inline int CanChiWithCounts(const HandCounts& counts, int tile, int wild1, int wild2,
                            RuleFlags rule) {
    return CanChi(counts, tile, wild1, wild2, rule);
}
inline int CanMingGangWithCounts(const HandCounts& counts, int tile, int wild1, int wild2,
                                 RuleFlags rule) {
    return CanMingGang(counts, tile, wild1, wild2, rule);
}
// 2 when the counts hold a concealed gang, else 0.
inline int CanAnGangWithCounts(const HandCounts& counts, int tile, int wild1, int wild2,
                               RuleFlags rule) {
    int index = 0;
    return FindAnGangIndex(counts, tile, wild1, wild2, rule, index);
}
