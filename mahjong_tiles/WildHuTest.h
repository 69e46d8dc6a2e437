#pragma once
// The wild-aware hu test: the entry point through which a rule engine asks
// whether a hand plus one tile wins. It applies the situation gates, turns
// the wild tiles into jokers (or keeps them as plain tiles where rule 0x8
// allows) and hands the prepared counts to CheckStandardHu.
//
// The hand passed in never includes the winning tile and is not changed.

#include "mahjong_tiles/HuResult.h"
#include "mahjong_tiles/TileTypes.h"

// The count of wild kind 1 in the hand (0 when wilds are off or wild 1 is
// -1); the count of wild kind 2 is added to wild2Count.
int CountWildCardsInHand(const HandCounts& counts, int wild1, int wild2, RuleFlags rule,
                         int& wild2Count);
// Both wild kinds' counts together.
int CountWildInCounts(const HandCounts& counts, int wild1, int wild2, RuleFlags rule);

// On a copy: the tile added and the jokers taken out, then the standard test
// with those jokers. w1, w2 and tileIndex report what was taken out.
int CheckHuUsingWilds(const HandCounts& counts, int tile, int wild1, int wild2, int& w1, int& w2,
                      int& tileIndex, RuleFlags rule, HuPatternFlags patterns, HuResult& result,
                      HuSituationFlags situation);
// On a copy: the tile added, wild tiles kept as plain tiles of their face
// (rule 0x8), then the standard test with no jokers.
int CheckHuWildsAsTiles(const HandCounts& counts, int tile, int wild1, int wild2, int& w1, int& w2,
                        int& tileIndex, RuleFlags rule, HuPatternFlags patterns, HuResult& result,
                        HuSituationFlags situation);

// 8 when the hand plus the tile (-1: none) wins, else 0.
int CheckHuWithWild(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                    HuPatternFlags patterns, HuResult& result, HuSituationFlags situation);
