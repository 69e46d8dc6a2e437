#pragma once
// Classified hu tests: which role the winning tile plays (the wait type) or
// which special pattern the hand makes, recorded in the HuResult's flags.
//
// Every test takes the hand's counts (without the winning tile, unchanged),
// the winning tile, the two wild ids, the rule and pattern words, the result
// and the situation, and answers 8 (hu) or 0. A wait test first requires the
// whole hand to win (CheckHuWithWild), then proves the tile's role on the
// rest of the hand and appends the role's group after the rest's groups; its
// wait flag is ORed into word 1. A forced-pattern test ORs its pattern bit
// into word 0. A test needs a real winning tile (index 1..63).

#include "mahjong_tiles/HuResult.h"
#include "mahjong_tiles/TileTypes.h"

int CheckHuWildPairWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                        HuPatternFlags patterns, HuResult& result, HuSituationFlags situation);
int CheckHuPairWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                    HuPatternFlags patterns, HuResult& result, HuSituationFlags situation);
int CheckHuTripletWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                       HuPatternFlags patterns, HuResult& result, HuSituationFlags situation);
int CheckHuMiddleWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                      HuPatternFlags patterns, HuResult& result, HuSituationFlags situation);
int CheckHuEdgeWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                    HuPatternFlags patterns, HuResult& result, HuSituationFlags situation);
int CheckHuSideWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                    HuPatternFlags patterns, HuResult& result, HuSituationFlags situation);

int CheckHuSevenPairs(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                      HuPatternFlags patterns, HuResult& result, HuSituationFlags situation);
int CheckHuThirteenApart(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                         HuPatternFlags patterns, HuResult& result, HuSituationFlags situation);
int CheckHuSevenHonours(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                        HuPatternFlags patterns, HuResult& result, HuSituationFlags situation);
int CheckHuAllHonours(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                      HuPatternFlags patterns, HuResult& result, HuSituationFlags situation);
int CheckHuAllTwoFiveEight(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                           HuPatternFlags patterns, HuResult& result, HuSituationFlags situation);

// The seven-pairs scoring of a rule engine's hu classification: the
// seven-pairs test forced on the counts plus the tile, whatever special hands
// the rule set otherwise allows. 8 with the pairs recorded and bit 0x10 in
// word 0, else 0 (and the result cleared).
int ScoreSevenPairsWithWild(const HandCounts& counts, int tile, int wild1, int wild2,
                            RuleFlags rule, HuResult& result);

// The first of the wait tests, then the forced-pattern tests, that wins;
// only its records stand (the result is cleared when none wins). A non-zero
// restriction lets all honours run only with its bit 0x1 and all 2-5-8 only
// with its bit 0x2.
int CheckHu(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
            HuPatternFlags patterns, HuResult& result, HuSituationFlags situation,
            uint32_t restriction);

// With wilds on and rule 0x4 off: 1 when a wild tile has the suit and a value
// three below (above) the given one.
int IsWildThreeBelow(int suit, int value, int wild1, int wild2, RuleFlags rule);
int IsWildThreeAbove(int suit, int value, int wild1, int wild2, RuleFlags rule);

// With rule 0x20: marks (in a cleared table) the other held kinds of the
// index's honour group, stores the lowest and highest marked (0 when none)
// and answers 1 when the marked kinds plus the free jokers make at least 2.
int CanFormHonourRunWithWilds(const HandCounts& counts, int index, int freeJokers, RuleFlags rule,
                              HandCounts& marks, int& first, int& last);
