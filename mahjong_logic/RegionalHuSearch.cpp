// The hu verdict and the best-hu search of CRegionalMahjongRules: seven
// pairs through the tile algorithms, else a depth-first search over
// triplets, one pair and sequences (wild tiles filling gaps), every complete
// decomposition classified and the best kept.

#include "mahjong_logic/RegionalMahjongRules.h"
#include "mahjong_tiles/TileEncoding.h"
#include "mahjong_tiles/TileSearch.h"
#include "mahjong_tiles/WildHuTest.h"
#include "mahjong_tiles/WildPiles.h"

namespace {

constexpr int kSearchDepthLimit = 10001;
constexpr int kFirstHonourIndex = 30;
constexpr int kFirstWind = 31;
constexpr int kLastWind = 34;
constexpr int kFirstDragon = 35;
constexpr int kLastDragon = 37;

void ClearTypeValues(HuResult& result) {
    for (int t = 0; t < kRegionalHuTypeCount; ++t) {
        result.words[kHuTypeBaseWord + t] = 0;
        result.words[kHuTypeMultiplierWord + t] = 0;
    }
}

int LowestHeld(const HandCounts& counts) {
    for (int i = 1; i < kHandKinds; ++i) {
        if (counts[i] > 0) {
            return i;
        }
    }
    return -1;
}

}  // namespace

struct CRegionalMahjongRules::HuSearch {
    HandCounts counts{};
    int pool1 = 0;
    int pool2 = 0;
    int wildIndex1 = 0;
    int wildIndex2 = 0;
    uint32_t rule = 0;
    int seat = -1;
    int tile = -1;
    int mode = 0;
    HuResult best;
    int bestScore = 0;
    int target = 0;
    int depth = 0;

    int Wilds() const { return GetWildTotal(pool1, pool2); }
};

// --- Verdict and score ---

int CRegionalMahjongRules::TestHu(int seat, int tile, HuResult& result, int mode) {
    if (!IsValidSeat(seat) || IndexOf(tile) < 0) {
        return 0;
    }
    const HandCounts counts = CountsWithoutWonTile(seat, tile, mode);
    HuResult pairs;
    if (CheckHuWithWild(counts, tile, wildTile1_, wildTile2_, RuleFlags(), huTypeFlags_, pairs,
                        static_cast<HuSituationFlags>(mode | kHuSevenPairs)) != 0) {
        result = pairs;
        result.words[HuResult::kPatternWord] |= mode | kHuSevenPairs;
        return kClaimHu;
    }
    HuResult standard;
    if (SearchHu(counts, tile, mode, seat, standard) > 0) {
        result = standard;
        return kClaimHu;
    }
    return 0;
}

int CRegionalMahjongRules::ScoreHu(int seat, int tile, HuResult& result, int mode) {
    if (!IsValidSeat(seat) || IndexOf(tile) < 0) {
        return 0;
    }
    const HandCounts counts = CountsWithoutWonTile(seat, tile, mode);
    HuResult best;
    int bestScore = 0;
    HuResult pairs;
    if (CheckHuWithWild(counts, tile, wildTile1_, wildTile2_, RuleFlags(), huTypeFlags_, pairs,
                        static_cast<HuSituationFlags>(mode | kHuSevenPairs)) != 0) {
        pairs.words[HuResult::kPatternWord] = mode | kHuSevenPairs;
        bestScore = ClassifyHu(seat, tile, pairs, mode);
        best = pairs;
    }
    HuResult standard;
    if (SearchHu(counts, tile, mode, seat, standard) > 0) {
        standard.words[HuResult::kPatternWord] = mode;
        const int score = ClassifyHu(seat, tile, standard, mode);
        if (score > bestScore) {
            bestScore = score;
            best = standard;
        }
    }
    if (bestScore > 0) {
        result = best;
    }
    return bestScore;
}

// --- The search ---

int CRegionalMahjongRules::SearchHu(const HandCounts& counts, int tile, int mode, int seat,
                                    HuResult& best) {
    const uint32_t rule = RuleFlags();
    if (((rule & kRuleNoHuInSituation1) != 0 && (mode & kHuOnDiscard) != 0) ||
        ((rule & kRuleNoHuInSituation4) != 0 && (mode & kHuRobbing) != 0)) {
        return 0;
    }
    for (const int32_t n : counts) {
        if (n < 0) {
            return 0;
        }
    }
    HuSearch search;
    search.counts = counts;
    int tileIndex = 0;
    search.pool1 = TakeOutWildCards(search.counts, tile, wildTile1_, wildTile2_, tileIndex, rule, 0,
                                    search.pool2);
    GetWildIndices(wildTile1_, wildTile2_, rule, search.wildIndex1, search.wildIndex2);
    search.rule = rule;
    search.seat = seat;
    search.tile = tile;
    search.mode = mode;
    search.target = searchTarget_;
    HuResult work;
    work.words[HuResult::kPatternWord] = mode;
    SearchHuStep(search, work, false);
    if (search.bestScore > 0) {
        ClearTypeValues(search.best);
        best = search.best;
    }
    return search.bestScore;
}

int CRegionalMahjongRules::SearchHuStep(HuSearch& search, const HuResult& work, bool pairTaken) {
    if (search.depth >= kSearchDepthLimit) {
        return 0;
    }
    ++search.depth;
    const int found = SearchHuGroups(search, work, pairTaken);
    --search.depth;
    return found;
}

int CRegionalMahjongRules::SearchHuGroups(HuSearch& search, const HuResult& work, bool pairTaken) {
    HandCounts& counts = search.counts;
    // Takes the tiles of a group (and its wild tiles) out, recurses, and puts
    // everything back.
    auto attempt = [&](std::initializer_list<int> indices, int wilds, int kind, int first,
                       int wildPosition, bool makesPair) {
        for (const int index : indices) {
            --counts[index];
        }
        int saved1 = search.pool1;
        int saved2 = search.pool2;
        if (wilds > 0) {
            UseWildCards(saved1, saved2, search.pool1, search.pool2, wilds);
        }
        HuResult next = work;
        const int used1 = saved1 - search.pool1;
        const int used2 = saved2 - search.pool2;
        int found = 0;
        const int added =
            indices.size() == 0
                ? AddWildOnlyGroup(next, kind, used1, used2, search.wildIndex1, search.wildIndex2)
                : AddHuGroup(next, kind, first, used1, used2, search.wildIndex1, search.wildIndex2,
                             wildPosition, 0);
        if (added != 0) {
            found = SearchHuStep(search, next, pairTaken || makesPair);
        }
        RestoreWildCounts(saved1, saved2, search.pool1, search.pool2);
        for (const int index : indices) {
            ++counts[index];
        }
        return found;
    };

    const int i = LowestHeld(counts);
    const int wilds = search.Wilds();
    if (i < 0) {
        if (wilds == 0) {
            if (!pairTaken) {
                return 0;
            }
            HuResult scored = work;
            const int score = ClassifyHu(search.seat, search.tile, scored, search.mode);
            if (score > search.bestScore) {
                search.bestScore = score;
                search.best = scored;
            }
            return score >= search.target ? kClaimHu : 0;
        }
        if (wilds >= 3 && attempt({}, 3, kGroupTriplet, 0, 0, false) != 0) {
            return kClaimHu;
        }
        if (wilds >= 2 && !pairTaken && attempt({}, 2, kGroupPair, 0, 0, true) != 0) {
            return kClaimHu;
        }
        return 0;
    }

    // A wild tile standing as its own kind.
    for (int* pool : {&search.pool1, &search.pool2}) {
        const int index = pool == &search.pool1 ? search.wildIndex1 : search.wildIndex2;
        if (*pool > 0 && IsTileIndex(index)) {
            ++counts[index];
            --*pool;
            const int found = SearchHuStep(search, work, pairTaken);
            ++*pool;
            --counts[index];
            if (found != 0) {
                return kClaimHu;
            }
        }
    }

    const int n = counts[i];
    if (n >= 3 && attempt({i, i, i}, 0, kGroupTriplet, i, 0, false) != 0) {
        return kClaimHu;
    }
    if (n >= 2 && wilds >= 1 && attempt({i, i}, 1, kGroupTriplet, i, 0, false) != 0) {
        return kClaimHu;
    }
    if (wilds >= 2 && attempt({i}, 2, kGroupTriplet, i, 0, false) != 0) {
        return kClaimHu;
    }
    if (!pairTaken && n >= 2 && attempt({i, i}, 0, kGroupPair, i, 0, true) != 0) {
        return kClaimHu;
    }
    if (!pairTaken && wilds >= 1 && attempt({i}, 1, kGroupPair, i, 0, true) != 0) {
        return kClaimHu;
    }
    if (i < kFirstHonourIndex) {
        const int value = i % 10;
        const bool runFits = value != 8 && value != 9;
        if (runFits && counts[i + 1] > 0 && counts[i + 2] > 0 &&
            attempt({i, i + 1, i + 2}, 0, kGroupRun, i, 0, false) != 0) {
            return kClaimHu;
        }
        if (value != 9 && counts[i + 1] > 0 && wilds >= 1 &&
            attempt({i, i + 1}, 1, kGroupRun, i, 2, false) != 0) {
            return kClaimHu;
        }
        if (runFits && counts[i + 2] > 0 && wilds >= 1 &&
            attempt({i, i + 2}, 1, kGroupRun, i, 1, false) != 0) {
            return kClaimHu;
        }
        return 0;
    }
    if ((search.rule & kRuleHonourRuns) == 0) {
        return 0;
    }
    // Honour runs: three different winds, or the three dragons; two of them
    // with a wild tile.
    const bool wind = i >= kFirstWind && i <= kLastWind;
    const bool dragon = i >= kFirstDragon && i <= kLastDragon;
    if (!wind && !dragon) {
        return 0;
    }
    const int last = wind ? kLastWind : kLastDragon;
    auto honourRun = [&](int a, int b) {
        --counts[i];
        --counts[a];
        if (b > 0) {
            --counts[b];
        }
        int saved1 = search.pool1;
        int saved2 = search.pool2;
        int wildEntry = 0;
        if (b == 0) {
            UseWildCards(saved1, saved2, search.pool1, search.pool2, 1);
            int used1 = saved1 - search.pool1;
            int used2 = saved2 - search.pool2;
            wildEntry =
                -TakeWildFromSmallerPile(used1, used2, search.wildIndex1, search.wildIndex2);
        }
        HuResult next = work;
        int found = 0;
        if (AddHuGroupRaw(next, kGroupRun, i, a, b > 0 ? b : wildEntry, 0) != 0) {
            found = SearchHuStep(search, next, pairTaken);
        }
        RestoreWildCounts(saved1, saved2, search.pool1, search.pool2);
        ++counts[i];
        ++counts[a];
        if (b > 0) {
            ++counts[b];
        }
        return found;
    };
    for (int a = i + 1; a <= last; ++a) {
        for (int b = a + 1; b <= last && counts[a] > 0; ++b) {
            if (counts[b] > 0 && honourRun(a, b) != 0) {
                return kClaimHu;
            }
        }
    }
    if (wilds >= 1) {
        for (int a = i + 1; a <= last; ++a) {
            if (counts[a] > 0 && honourRun(a, 0) != 0) {
                return kClaimHu;
            }
        }
    }
    return 0;
}
