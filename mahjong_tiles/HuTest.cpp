#include "mahjong_tiles/HuTest.h"

#include <initializer_list>

#include "mahjong_tiles/SuitMeldTable.h"
#include "mahjong_tiles/TileEncoding.h"
#include "mahjong_tiles/TileFunctionTable.h"
#include "mahjong_tiles/TileSearch.h"
#include "mahjong_tiles/WildPiles.h"

namespace {

constexpr int kMaxGroupSize = 4;
constexpr int kFirstHonour = 31;
constexpr int kLastHonour = 37;

long long RealTiles(const HandCounts& counts) {
    long long tiles = 0;
    for (int i = 1; i < kHandKinds; ++i) {
        tiles += counts[i];
    }
    return tiles;
}

bool HasNegativeCount(const HandCounts& counts) {
    int32_t signs = 0;  // no early exit, so the compiler may run the loop in vectors
    for (int i = 1; i < kHandKinds; ++i) {
        signs |= counts[i];
    }
    return signs < 0;
}

// What the special-pattern tests share.
struct PatternContext {
    int w1;
    int w2;
    int wildIndex1;
    int wildIndex2;
    RuleFlags rule;
    HuPatternFlags patterns;

    bool IsHonour(int index) const {
        // The ids of the wild kinds, for the honour slot, cost a search of
        // every id: found on the first question only.
        if (!honourWildsFound) {
            honourWild1 = FindCardIdByIndex(wildIndex1, rule);
            honourWild2 = FindCardIdByIndex(wildIndex2, rule);
            honourWildsFound = true;
        }
        return TileFunctions().honourTest(index, honourWild1, honourWild2, rule) != 0;
    }

    mutable bool honourWildsFound = false;
    mutable int honourWild1 = kNoTile;
    mutable int honourWild2 = kNoTile;
};

bool SevenPairs(const HandCounts& counts, const PatternContext& ctx, HuResult& result) {
    if ((ctx.patterns & kPatternSevenPairs) == 0) {
        return false;
    }
    const long long total = RealTiles(counts) + ctx.w1 + ctx.w2;
    if (total != 12 && total != 14) {
        return false;
    }
    int unmatched = 0;
    for (int i = 1; i < kHandKinds; ++i) {
        unmatched += counts[i] == 1 || counts[i] == 3 ? 1 : 0;
    }
    if (unmatched > ctx.w1 + ctx.w2) {
        return false;
    }
    // A single or a three takes one joker: a pair, or a four.
    int w1 = ctx.w1;
    int w2 = ctx.w2;
    for (int i = 1; i < kHandKinds; ++i) {
        if (counts[i] < 1 || counts[i] > 4) {
            continue;
        }
        int saved1 = 0;
        int saved2 = 0;
        UseWildCards(saved1, saved2, w1, w2, counts[i] % 2);
        const int kind = counts[i] <= 2 ? kGroupPair : kGroupFour;
        if (AddHuGroup(result, kind, i, saved1 - w1, saved2 - w2, ctx.wildIndex1, ctx.wildIndex2, 0,
                       0) == 0) {
            return false;
        }
    }
    return true;
}

bool ThirteenApart(const HandCounts& counts, const PatternContext& ctx, HuResult& result) {
    if ((ctx.patterns & kPatternThirteenApart) == 0 || RealTiles(counts) + ctx.w1 + ctx.w2 != 14) {
        return false;
    }
    for (int i = 1; i < kHandKinds; ++i) {
        if (counts[i] > 1) {
            return false;
        }
    }
    for (int i = 1; i < kHandKinds; ++i) {
        if (counts[i] > 0 && !ctx.IsHonour(i) && i % 10 != 9 &&
            (CountAt(counts, i + 1) != 0 || CountAt(counts, i + 2) != 0)) {
            return false;
        }
    }
    return AddHuGroupRaw(result, kGroupThirteenApart, 0, 0, 0, 0) != 0;
}

bool SevenHonours(const HandCounts& counts, const PatternContext& ctx, HuResult& result) {
    if ((ctx.patterns & kPatternSevenHonours) == 0) {
        return false;
    }
    int w1 = ctx.w1;
    int w2 = ctx.w2;
    for (int i = kFirstHonour; i <= kLastHonour; ++i) {
        if (counts[i] != 0) {
            continue;
        }
        if ((ctx.rule & kRuleSevenHonoursWithoutWild) != 0 || w1 + w2 < 1) {
            return false;
        }
        int saved1 = 0;
        int saved2 = 0;
        UseWildCards(saved1, saved2, w1, w2, 1);
    }
    return AddHuGroupRaw(result, kGroupSevenHonours, 0, 0, 0, 0) != 0;
}

bool AllHonours(const HandCounts& counts, const PatternContext& ctx, HuResult& result) {
    if ((ctx.patterns & kPatternAllHonours) == 0 || RealTiles(counts) + ctx.w1 + ctx.w2 == 0) {
        return false;
    }
    for (int i = 1; i < kHandKinds; ++i) {
        if (counts[i] > 0 && !ctx.IsHonour(i)) {
            return false;
        }
    }
    return AddHuGroupRaw(result, kGroupAllHonours, 0, 0, 0, 0) != 0;
}

bool AllTwoFiveEight(const HandCounts& counts, const PatternContext& ctx, HuResult& result) {
    if ((ctx.patterns & kPatternAllTwoFiveEight) == 0 || RealTiles(counts) + ctx.w1 + ctx.w2 == 0) {
        return false;
    }
    for (int i = 1; i < kHandKinds; ++i) {
        if (counts[i] > 0 && (ctx.IsHonour(i) || IsTwoFiveEight(i) == 0)) {
            return false;
        }
    }
    return AddHuGroupRaw(result, kGroupAllTwoFiveEight, 0, 0, 0, 0) != 0;
}

using PatternTest = bool (*)(const HandCounts&, const PatternContext&, HuResult&);

// Runs a pattern test; for the tests that allow it, a failed first try with
// rule 0x4 and exactly one tile of wild kind 1 is retried with that tile moved
// to the substitute kind. A failed test leaves the result clear.
bool RunPattern(PatternTest test, bool substituteRetry, const HandCounts& counts,
                const PatternContext& ctx, HuResult& result) {
    if (test(counts, ctx, result)) {
        return true;
    }
    result.Clear();
    if (!substituteRetry || (ctx.rule & kRuleWildFaceSubstitute) == 0 ||
        !IsTileIndex(ctx.wildIndex1) || counts[ctx.wildIndex1] != 1) {
        return false;
    }
    const int substitute =
        TileFunctions().substituteIndex(ctx.wildIndex1, ctx.wildIndex2, ctx.rule);
    if (!IsTileIndex(substitute) || substitute == ctx.wildIndex1) {
        return false;
    }
    HandCounts moved = counts;
    moved[substitute] = 1;
    moved[ctx.wildIndex1] = 0;
    if (test(moved, ctx, result)) {
        return true;
    }
    result.Clear();
    return false;
}

struct PatternEntry {
    HuPatternFlags bit;
    PatternTest test;
    bool substituteRetry;
};

constexpr PatternEntry kPatterns[] = {
    {kPatternSevenPairs, &SevenPairs, false},
    {kPatternThirteenApart, &ThirteenApart, true},
    {kPatternSevenHonours, &SevenHonours, true},
    {kPatternAllHonours, &AllHonours, true},
    {kPatternAllTwoFiveEight, &AllTwoFiveEight, false},
};

struct Take {
    int index;
    int count;
};

// The decomposition search over one count table and two joker piles.
class Decomposition {
public:
    Decomposition(HandCounts& counts, int& w1, int& w2, int wildIndex1, int wildIndex2,
                  RuleFlags rule, HuResult& result, int groupRoom)
        : counts_(counts),
          w1_(w1),
          w2_(w2),
          wildIndex1_(wildIndex1),
          wildIndex2_(wildIndex2),
          rule_(rule),
          result_(result),
          groupRoom_(groupRoom) {}

    // Searches the rest of the hand; below the lowest held index of a level
    // nothing is held in the levels under it, so their scans start there.
    bool Run(bool pairTaken, int depth) {
        const int from = lowestFrom_;
        const bool found = Search(pairTaken, depth);
        lowestFrom_ = from;
        return found;
    }

private:
    bool Search(bool pairTaken, int depth) {
        const int i = LowestHeld();
        if (i != 0) {
            lowestFrom_ = i;
        }
        const int wilds = GetWildTotal(w1_, w2_);
        if (i == 0 && wilds == 0) {
            return true;
        }
        if (depth >= groupRoom_) {
            return false;  // a further group would pass the 8 a result holds
        }
        if (i == 0) {
            return (wilds >= 3 && TryJokersOnly(kGroupTriplet, 3, pairTaken, depth)) ||
                   (!pairTaken && wilds >= 2 && TryJokersOnly(kGroupPair, 2, true, depth));
        }
        const int n = counts_[i];
        if ((n == 4 && TryGroup({{i, 4}}, 0, kGroupFour, i, 0, 0, pairTaken, depth)) ||
            (n >= 3 && TryGroup({{i, 3}}, 0, kGroupTriplet, i, 0, 0, pairTaken, depth)) ||
            (n >= 2 && wilds >= 1 &&
             TryGroup({{i, 2}}, 1, kGroupTriplet, i, 0, 0, pairTaken, depth)) ||
            (n >= 1 && wilds >= 2 &&
             TryGroup({{i, 1}}, 2, kGroupTriplet, i, 0, 0, pairTaken, depth))) {
            return true;
        }
        if (!pairTaken &&
            ((n >= 2 && TryGroup({{i, 2}}, 0, kGroupPair, i, 0, 0, true, depth)) ||
             (n >= 1 && wilds >= 1 && TryGroup({{i, 1}}, 1, kGroupPair, i, 0, 0, true, depth)))) {
            return true;
        }
        if (i < 30) {
            return TrySuitRuns(i, wilds, pairTaken, depth);
        }
        return (rule_ & kRuleHonourRuns) != 0 && TryHonourRuns(wilds, pairTaken, depth);
    }

    int LowestHeld() const {
        for (int i = lowestFrom_; i < kHandKinds; ++i) {
            if (counts_[i] != 0) {
                return i;
            }
        }
        return 0;
    }

    bool Held(int index) const { return IsHeld(counts_, index); }

    // Removes the tiles and jokers of a group, searches the rest and, when it
    // decomposes, appends the group (append gets the jokers spent from each
    // pile). Everything is put back either way.
    template <typename Append>
    bool Try(std::initializer_list<Take> tiles, int jokers, bool pairAfter, int depth,
             Append append) {
        for (const Take& take : tiles) {
            counts_[take.index] -= take.count;
        }
        int saved1 = 0;
        int saved2 = 0;
        UseWildCards(saved1, saved2, w1_, w2_, jokers);
        const int groupsBefore = result_.GroupCount();
        const bool found = Run(pairAfter, depth + 1) && append(saved1 - w1_, saved2 - w2_);
        if (!found) {
            result_.TruncateGroups(groupsBefore);
        }
        RestoreWildCounts(saved1, saved2, w1_, w2_);
        for (const Take& take : tiles) {
            counts_[take.index] += take.count;
        }
        return found;
    }

    bool TryGroup(std::initializer_list<Take> tiles, int jokers, int kind, int first,
                  int wildPosition, int gap, bool pairAfter, int depth) {
        return Try(tiles, jokers, pairAfter, depth, [&](int used1, int used2) {
            return AddHuGroup(result_, kind, first, used1, used2, wildIndex1_, wildIndex2_,
                              wildPosition, gap) != 0;
        });
    }

    bool TryJokersOnly(int kind, int jokers, bool pairAfter, int depth) {
        return Try({}, jokers, pairAfter, depth, [&](int used1, int used2) {
            return AddWildOnlyGroup(result_, kind, used1, used2, wildIndex1_, wildIndex2_) != 0;
        });
    }

    bool TrySuitRuns(int i, int wilds, bool pairTaken, int depth) {
        const int value = i % 10;
        if (value <= 7 && Held(i + 1) && Held(i + 2) &&
            TryGroup({{i, 1}, {i + 1, 1}, {i + 2, 1}}, 0, kGroupRun, i, 0, 0, pairTaken, depth)) {
            return true;
        }
        if (value <= 8 && Held(i + 1) && wilds >= 1 &&
            TryGroup({{i, 1}, {i + 1, 1}}, 1, kGroupRun, i, 2, 0, pairTaken, depth)) {
            return true;
        }
        return value <= 7 && Held(i + 2) && wilds >= 1 &&
               TryGroup({{i, 1}, {i + 2, 1}}, 1, kGroupRun, i, 1, 0, pairTaken, depth);
    }

    // Honour runs in their fixed order: complete runs, then runs with one
    // joker in the place of the missing kind.
    bool TryHonourRuns(int wilds, bool pairTaken, int depth) {
        struct HonourRun {
            int a, b, c;  // c = 0: the joker completes the run
            int first, wildPosition, gap;
        };
        static constexpr HonourRun kRuns[] = {
            {31, 32, 33, 31, 0, 0}, {31, 32, 34, 31, 0, 2}, {32, 33, 34, 32, 0, 0},
            {31, 33, 34, 31, 0, 1}, {35, 36, 37, 35, 0, 0}, {31, 32, 0, 31, 2, 0},
            {31, 33, 0, 31, 1, 0},  {31, 34, 0, 31, 1, 2},  {32, 33, 0, 32, 2, 0},
            {32, 34, 0, 32, 1, 0},  {33, 34, 0, 33, 0, 0},  {35, 36, 0, 35, 2, 0},
            {35, 37, 0, 35, 1, 0},  {36, 37, 0, 36, 0, 0},
        };
        for (const HonourRun& run : kRuns) {
            if (!Held(run.a) || !Held(run.b)) {
                continue;
            }
            if (run.c != 0) {
                if (Held(run.c) &&
                    TryGroup({{run.a, 1}, {run.b, 1}, {run.c, 1}}, 0, kGroupRun, run.first,
                             run.wildPosition, run.gap, pairTaken, depth)) {
                    return true;
                }
            } else if (wilds >= 1 && TryGroup({{run.a, 1}, {run.b, 1}}, 1, kGroupRun, run.first,
                                              run.wildPosition, run.gap, pairTaken, depth)) {
                return true;
            }
        }
        return false;
    }

    HandCounts& counts_;
    int& w1_;
    int& w2_;
    const int wildIndex1_;
    const int wildIndex2_;
    const RuleFlags rule_;
    HuResult& result_;
    const int groupRoom_;
    int lowestFrom_ = 1;
};

}  // namespace

int CheckStandardHu(const HandCounts& counts, int w1, int w2, int wildTile1, int wildTile2,
                    int tileIndex, RuleFlags rule, HuPatternFlags patterns, HuResult& result,
                    HuSituationFlags situation) {
    result.Clear();
    HandCounts copy = counts;
    if (HasNegativeCount(copy) || CountFlowerTiles(copy, wildTile1, wildTile2, rule) > 0) {
        return 0;
    }
    PatternContext ctx{w1, w2, 0, 0, rule, patterns};
    GetWildIndices(wildTile1, wildTile2, rule, ctx.wildIndex1, ctx.wildIndex2);

    for (const PatternEntry& pattern : kPatterns) {
        if ((situation & pattern.bit) != 0) {
            return RunPattern(pattern.test, pattern.substituteRetry, copy, ctx, result)
                       ? kOperationHu
                       : 0;
        }
    }
    for (const PatternEntry& pattern : kPatterns) {
        if ((patterns & pattern.bit) != 0 &&
            RunPattern(pattern.test, pattern.substituteRetry, copy, ctx, result)) {
            return kOperationHu;
        }
    }
    if (!SuitMeldTable::Get().MayDecompose(copy, w1, w2, rule)) {
        return 0;
    }
    return DecomposeHand(copy, w1, w2, ctx.wildIndex1, ctx.wildIndex2, tileIndex, rule, patterns,
                         result, 0);
}

int DecomposeHand(HandCounts& counts, int& w1, int& w2, int wildIndex1, int wildIndex2,
                  int /*tileIndex*/, RuleFlags rule, HuPatternFlags /*patterns*/, HuResult& result,
                  int pairTaken) {
    if (HasNegativeCount(counts)) {
        return 0;
    }
    // Every tile and joker ends in a group of at most four; what cannot fit in
    // the groups left can never decompose.
    const int groupRoom = HuResult::kMaxGroups - result.GroupCount();
    if (RealTiles(counts) + GetWildTotal(w1, w2) >
        static_cast<long long>(groupRoom) * kMaxGroupSize) {
        return 0;
    }
    Decomposition search(counts, w1, w2, wildIndex1, wildIndex2, rule, result, groupRoom);
    return search.Run(pairTaken != 0, 0) ? kOperationHu : 0;
}

int CheckGroupAsFaces(const HuGroup& group, int wild1, int wild2, RuleFlags rule) {
    int e[4];
    for (int k = 0; k < 4; ++k) {
        const long long entry = group.entries[k];
        e[k] = static_cast<int>(entry < 0 ? -entry : entry);
    }
    switch (group.kind) {
        case kGroupRun: {
            HandCounts table{};
            for (int k = 0; k < 3; ++k) {
                if (IsTileIndex(e[k])) {
                    ++table[e[k]];
                }
            }
            return CanChiIndex(table, e[0], wild1, wild2, rule) != 0 ? 1 : 0;
        }
        case kGroupPair:
            return e[0] == e[1] ? 1 : 0;
        case kGroupTriplet:
            return e[0] == e[1] && e[1] == e[2] ? 1 : 0;
        case kGroupFour:
            return e[0] == e[1] && e[1] == e[2] && e[2] == e[3] ? 1 : 0;
        default:
            return 0;
    }
}

int CheckWildGroupsAsFaces(const HuResult& result, int wild1, int wild2, RuleFlags rule) {
    int groups = 0;
    for (int k = 1; k <= result.GroupCount(); ++k) {
        const HuGroup group = result.GetGroup(k);
        bool holdsJoker = false;
        for (const int32_t entry : group.entries) {
            holdsJoker = holdsJoker || entry < 0;
        }
        if (!holdsJoker) {
            continue;
        }
        ++groups;
        if (CheckGroupAsFaces(group, wild1, wild2, rule) == 0) {
            return 0;
        }
    }
    return groups;
}
