#pragma once
// The standard-hand hu test: a 64-count hand plus jokers held apart is tested
// for the special patterns the rule set allows and then decomposed into
// groups (runs, triplets, fours and one pair), recorded in a HuResult.
//
// Rules kept:
//  - The caller's counts are never changed; the search works on one copy in
//    place and restores it on every backtrack.
//  - A decomposition never holds more than 8 groups: a hand whose tiles and
//    jokers cannot fit in the groups left is refused at once, which also
//    bounds the search.
//  - A failed test leaves no groups behind in the result.

#include "mahjong_tiles/HuResult.h"
#include "mahjong_tiles/TileTypes.h"

// 8 for hu, 0 otherwise. w1/w2 are the jokers of each wild kind held apart;
// wild tile 1/2 are the wild ids (-1 none); tile index is passed on only. The
// situation bits 0x10, 0x20, 0x40, 0x80 and 0x1000000 force one pattern test.
int CheckStandardHu(const HandCounts& counts, int w1, int w2, int wildTile1, int wildTile2,
                    int tileIndex, RuleFlags rule, HuPatternFlags patterns, HuResult& result,
                    HuSituationFlags situation);

// The depth-first decomposition: lowest held index first, groups appended
// as the recursion returns (so the group of the lowest tile comes last). The
// counts and joker piles are back as they were when it returns.
int DecomposeHand(HandCounts& counts, int& w1, int& w2, int wildIndex1, int wildIndex2,
                  int tileIndex, RuleFlags rule, HuPatternFlags patterns, HuResult& result,
                  int pairTaken);

// For each group holding a joker: whether the jokers' faces still make the
// group. 0 as soon as one fails, else the number of such groups.
int CheckWildGroupsAsFaces(const HuResult& result, int wild1, int wild2, RuleFlags rule);
// 1 when the group, jokers read as their own kinds, is still a valid group.
int CheckGroupAsFaces(const HuGroup& group, int wild1, int wild2, RuleFlags rule);
