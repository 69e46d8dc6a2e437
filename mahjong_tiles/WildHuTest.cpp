#include "mahjong_tiles/WildHuTest.h"

#include "mahjong_tiles/HuTest.h"
#include "mahjong_tiles/TileEncoding.h"
#include "mahjong_tiles/TileSearch.h"

int CountWildCardsInHand(const HandCounts& counts, int wild1, int wild2, RuleFlags rule,
                         int& wild2Count) {
    if ((rule & kRuleWildTiles) == 0 || wild1 == kNoTile) {
        return 0;
    }
    if (wild2 >= 0) {
        wild2Count += CountAt(counts, GetCardIndex(wild2, rule));
    }
    return wild1 >= 0 ? CountAt(counts, GetCardIndex(wild1, rule)) : 0;
}

int CountWildInCounts(const HandCounts& counts, int wild1, int wild2, RuleFlags rule) {
    int wild2Count = 0;
    const int wild1Count = CountWildCardsInHand(counts, wild1, wild2, rule, wild2Count);
    return wild1Count + wild2Count;
}

int CheckHuUsingWilds(const HandCounts& counts, int tile, int wild1, int wild2, int& w1, int& w2,
                      int& tileIndex, RuleFlags rule, HuPatternFlags patterns, HuResult& result,
                      HuSituationFlags situation) {
    HandCounts copy = counts;
    w1 = TakeOutWildCards(copy, tile, wild1, wild2, tileIndex, rule, 0, w2);
    return CheckStandardHu(copy, w1, w2, wild1, wild2, tileIndex, rule, patterns, result,
                           situation);
}

int CheckHuWildsAsTiles(const HandCounts& counts, int tile, int wild1, int wild2, int& w1, int& w2,
                        int& tileIndex, RuleFlags rule, HuPatternFlags patterns, HuResult& result,
                        HuSituationFlags situation) {
    HandCounts copy = counts;
    TakeOutWildCards(copy, tile, wild1, wild2, tileIndex, rule, 1, w2);
    w1 = 0;
    w2 = 0;
    return CheckStandardHu(copy, 0, 0, kNoTile, kNoTile, tileIndex, rule, patterns, result,
                           situation);
}

int CheckHuWithWild(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                    HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    if (((rule & kRuleNoHuInSituation1) != 0 && (situation & kSituationRule200Applies) != 0) ||
        ((rule & kRuleNoHuInSituation4) != 0 && (situation & kSituationRule400Applies) != 0)) {
        return 0;
    }
    const bool tileWild = IsWildCard(tile, wild1, wild2, rule) != 0;
    int wild2Held = 0;
    const int wild1Held = CountWildCardsInHand(counts, wild1, wild2, rule, wild2Held);
    int w1 = 0;
    int w2 = 0;
    int tileIndex = 0;

    if ((rule & kRuleWildTiles) == 0) {
        HandCounts copy = counts;
        TakeOutWildCards(copy, tile, wild1, wild2, tileIndex, rule, 0, w2);
        return CheckStandardHu(copy, 0, 0, kNoTile, kNoTile, tileIndex, rule, patterns, result,
                               situation);
    }
    const bool ownFaceAllowed = (rule & kRuleWildAsOwnFace) != 0;
    const bool restricted =
        (situation & (kSituationRule200Applies | kSituationRule400Applies)) != 0;
    if (!tileWild) {
        if (ownFaceAllowed && wild1Held + wild2Held > 0 &&
            CheckHuWildsAsTiles(counts, tile, wild1, wild2, w1, w2, tileIndex, rule, patterns,
                                result, situation) != 0) {
            return kOperationHu;
        }
        return CheckHuUsingWilds(counts, tile, wild1, wild2, w1, w2, tileIndex, rule, patterns,
                                 result, situation);
    }
    if (ownFaceAllowed && CheckHuWildsAsTiles(counts, tile, wild1, wild2, w1, w2, tileIndex, rule,
                                              patterns, result, situation) != 0) {
        return kOperationHu;
    }
    if (restricted) {
        return 0;
    }
    return CheckHuUsingWilds(counts, tile, wild1, wild2, w1, w2, tileIndex, rule, patterns, result,
                             situation);
}
