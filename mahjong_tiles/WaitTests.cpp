#include "mahjong_tiles/WaitTests.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "mahjong_tiles/HuTest.h"
#include "mahjong_tiles/TileEncoding.h"
#include "mahjong_tiles/TileFunctionTable.h"
#include "mahjong_tiles/TileSearch.h"
#include "mahjong_tiles/WildHuTest.h"
#include "mahjong_tiles/WildPiles.h"

namespace {

bool IsTileIndex(int index) {
    return index >= 1 && index < kHandKinds;
}

bool Held(const HandCounts& counts, int index) {
    return CountAt(counts, index) > 0;
}

// A suit index whose value lets a run of `length` kinds start there.
bool StartsSuitRun(int index, int length) {
    return index >= 1 && index < 30 && index % 10 >= 1 && index % 10 + length - 1 <= 9;
}

// The hand with its jokers taken out, for the searches of a wild winning tile.
struct JokerPool {
    HandCounts counts{};
    int w1 = 0;
    int w2 = 0;

    bool HoldsRealTiles() const {
        return std::any_of(counts.begin() + 1, counts.end(), [](int32_t n) { return n != 0; });
    }
};

// The question one wait test answers, and the steps the tests share.
class WaitProbe {
public:
    WaitProbe(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
              HuPatternFlags patterns, HuResult& result, HuSituationFlags situation)
        : counts_(counts),
          tile_(tile),
          wild1_(wild1),
          wild2_(wild2),
          rule_(rule),
          patterns_(patterns),
          result_(result),
          situation_(situation),
          tileIndex_(GetCardIndex(tile, rule)) {
        GetWildIndices(wild1, wild2, rule, wildIndex1_, wildIndex2_);
        tileIsJoker_ = WildsOn() && IsWildCard(tile, wild1, wild2, rule) != 0;
    }

    // A real winning tile and a winning whole hand.
    bool Begin() const {
        return IsTileIndex(tileIndex_) && CheckHuWithWild(counts_, tile_, wild1_, wild2_, rule_,
                                                          patterns_, result_, situation_) != 0;
    }

    const HandCounts& Hand() const { return counts_; }
    int TileIndex() const { return tileIndex_; }
    // The entry that stands for the wild winning tile itself.
    int TileWildEntry() const { return -tileIndex_; }
    bool WildsOn() const { return (rule_ & kRuleWildTiles) != 0; }
    bool TileIsJoker() const { return tileIsJoker_; }
    bool OwnFaceAllowed() const { return (rule_ & kRuleWildAsOwnFace) != 0; }
    bool OwnDraw() const { return (situation_ & kSituationOwnDraw) != 0; }
    RuleFlags Rule() const { return rule_; }

    // A gated joker use fails unless the tile is the player's own draw.
    bool GateBlocks(RuleFlags gate) const { return (rule_ & gate) != 0 && !OwnDraw(); }

    bool IsHonour(int index) const {
        return TileFunctions().honourTest(index, wild1_, wild2_, rule_) != 0;
    }
    bool IsFlower(int index) const {
        return TileFunctions().flowerTest(index, wild1_, wild2_, rule_) != 0;
    }

    // Index and value the tile plays: the wild's face for the substitute kind.
    int FaceIndex() const { return PlaysWildFace() ? GetCardIndex(wild1_, rule_) : tileIndex_; }
    int FaceValue() const { return TileFunctions().value(PlaysWildFace() ? wild1_ : tile_, rule_); }

    // The hand without the given tiles (one per listed index) wins.
    bool RestWinsWithout(std::initializer_list<int> taken) const {
        HandCounts rest = counts_;
        if (!Remove(rest, taken)) {
            return false;
        }
        if (!WildsOn()) {
            return CheckStandardHu(rest, 0, 0, kNoTile, kNoTile, tileIndex_, rule_, patterns_,
                                   result_, situation_) != 0;
        }
        return CheckHuWithWild(rest, kNoTile, wild1_, wild2_, rule_, patterns_, result_,
                               situation_) != 0;
    }

    // The hand without the given tiles wins after `jokers` jokers pay for the
    // missing ones; used1/used2 tell which piles paid.
    bool RestWinsWithJokers(std::initializer_list<int> taken, int jokers, int& used1,
                            int& used2) const {
        HandCounts rest = counts_;
        if (!Remove(rest, taken)) {
            return false;
        }
        int w2 = 0;
        int ignored = 0;
        int w1 = TakeOutWildCards(rest, kNoTile, wild1_, wild2_, ignored, rule_, 0, w2);
        if (GetWildTotal(w1, w2) < jokers) {
            return false;
        }
        int saved1 = 0;
        int saved2 = 0;
        UseWildCards(saved1, saved2, w1, w2, jokers);
        used1 = saved1 - w1;
        used2 = saved2 - w2;
        return CheckStandardHu(rest, w1, w2, wild1_, wild2_, tileIndex_, rule_, patterns_, result_,
                               situation_) != 0;
    }

    JokerPool TakeOutJokers() const {
        JokerPool pool;
        pool.counts = counts_;
        int ignored = 0;
        pool.w1 =
            TakeOutWildCards(pool.counts, kNoTile, wild1_, wild2_, ignored, rule_, 0, pool.w2);
        return pool;
    }

    // The pool without the given held tiles, spending `jokers` more, wins;
    // jokerIndex is the kind charged for the first joker spent.
    bool PoolRestWins(const JokerPool& pool, std::initializer_list<int> taken, int jokers,
                      int& jokerIndex) const {
        HandCounts rest = pool.counts;
        if (!Remove(rest, taken)) {
            return false;
        }
        int w1 = pool.w1;
        int w2 = pool.w2;
        if (GetWildTotal(w1, w2) < jokers) {
            return false;
        }
        int saved1 = 0;
        int saved2 = 0;
        UseWildCards(saved1, saved2, w1, w2, jokers);
        int used1 = saved1 - w1;
        int used2 = saved2 - w2;
        jokerIndex = TakeWildFromSmallerPile(used1, used2, wildIndex1_, wildIndex2_);
        return CheckStandardHu(rest, w1, w2, wild1_, wild2_, tileIndex_, rule_, patterns_, result_,
                               situation_) != 0;
    }

    int JokerKind(int used1, int used2) const {
        return TakeWildFromSmallerPile(used1, used2, wildIndex1_, wildIndex2_);
    }

    bool AddGroup(int kind, int first, int used1, int used2, int wildPosition, int gap) const {
        return AddHuGroup(result_, kind, first, used1, used2, wildIndex1_, wildIndex2_,
                          wildPosition, gap) != 0;
    }
    bool AddRaw(int kind, int e1, int e2, int e3, int e4) const {
        return AddHuGroupRaw(result_, kind, e1, e2, e3, e4) != 0;
    }

    int Win(int32_t waitFlag) const {
        result_.words[HuResult::kWaitWord] |= waitFlag;
        return kOperationHu;
    }

private:
    static bool Remove(HandCounts& counts, std::initializer_list<int> taken) {
        for (const int index : taken) {
            if (!Held(counts, index)) {
                return false;
            }
            --counts[index];
        }
        return true;
    }

    bool PlaysWildFace() const {
        return (rule_ & kRuleWildFaceSubstitute) != 0 &&
               IsWildFaceCard(tile_, wild1_, wild2_, rule_) != 0;
    }

    const HandCounts& counts_;
    const int tile_;
    const int wild1_;
    const int wild2_;
    const RuleFlags rule_;
    const HuPatternFlags patterns_;
    HuResult& result_;
    const HuSituationFlags situation_;
    const int tileIndex_;
    int wildIndex1_ = 0;
    int wildIndex2_ = 0;
    bool tileIsJoker_ = false;
};

// A run of the tile and two held kinds, completed without jokers.
bool HeldRunWins(const WaitProbe& probe, int a, int b, int first) {
    return Held(probe.Hand(), a) && Held(probe.Hand(), b) && probe.RestWinsWithout({a, b}) &&
           probe.AddGroup(kGroupRun, first, 0, 0, 0, 0);
}

bool SideWaitOnHonour(const WaitProbe& probe) {
    const int i = probe.TileIndex();
    if ((probe.Rule() & kRuleHonourRuns) == 0 || (probe.TileIsJoker() && !probe.OwnFaceAllowed())) {
        return false;
    }
    const JokerPool pool = probe.TakeOutJokers();
    const int freeJokers = probe.WildsOn() ? GetWildTotal(pool.w1, pool.w2) : 0;
    HandCounts marks{};
    int first = 0;
    int last = 0;
    // With wilds on, jokers do not count as held kinds.
    const HandCounts& held = probe.WildsOn() ? pool.counts : probe.Hand();
    if (CanFormHonourRunWithWilds(held, i, freeJokers, probe.Rule(), marks, first, last) == 0) {
        return false;
    }
    std::vector<int> others;
    for (int kind = first; kind != 0 && kind <= last; ++kind) {
        if (marks[kind] != 0) {
            others.push_back(kind);
        }
    }
    if (others.size() >= 2) {
        for (size_t a = 0; a < others.size(); ++a) {
            for (size_t b = a + 1; b < others.size(); ++b) {
                int run[3] = {i, others[a], others[b]};
                std::sort(std::begin(run), std::end(run));
                if (probe.RestWinsWithout({others[a], others[b]}) &&
                    probe.AddRaw(kGroupRun, run[0], run[1], run[2], 0)) {
                    return true;
                }
            }
        }
        return false;
    }
    if (others.size() != 1 || !probe.WildsOn() || probe.TileIsJoker()) {
        return false;
    }
    int used1 = 0;
    int used2 = 0;
    if (!probe.RestWinsWithJokers({others[0]}, 1, used1, used2)) {
        return false;
    }
    return probe.AddRaw(kGroupRun, std::min(i, others[0]), std::max(i, others[0]),
                        -probe.JokerKind(used1, used2), 0);
}

// One side of a run the tile may close: the two kinds it needs and how the
// group is written when both are held or one is paid with a joker.
struct SideRole {
    int a;
    int b;
    int firstWhenHeld;
    int firstWhenAMissing, positionWhenAMissing, gapWhenAMissing;
    int firstWhenBMissing, positionWhenBMissing, gapWhenBMissing;
};

bool SideRoleWins(const WaitProbe& probe, const SideRole& role) {
    const bool hasA = Held(probe.Hand(), role.a);
    const bool hasB = Held(probe.Hand(), role.b);
    if (hasA && hasB) {
        return HeldRunWins(probe, role.a, role.b, role.firstWhenHeld);
    }
    if (!probe.WildsOn() || probe.TileIsJoker() || (!hasA && !hasB)) {
        return false;
    }
    int used1 = 0;
    int used2 = 0;
    if (!probe.RestWinsWithJokers({hasA ? role.a : role.b}, 1, used1, used2)) {
        return false;
    }
    return hasA ? probe.AddGroup(kGroupRun, role.firstWhenBMissing, used1, used2,
                                 role.positionWhenBMissing, role.gapWhenBMissing)
                : probe.AddGroup(kGroupRun, role.firstWhenAMissing, used1, used2,
                                 role.positionWhenAMissing, role.gapWhenAMissing);
}

using WaitTest = int (*)(const HandCounts&, int, int, int, RuleFlags, HuPatternFlags, HuResult&,
                         HuSituationFlags);

int ForcedPattern(HuPatternFlags bit, const HandCounts& counts, int tile, int wild1, int wild2,
                  RuleFlags rule, HuPatternFlags patterns, HuResult& result,
                  HuSituationFlags situation) {
    if (CheckHuWithWild(counts, tile, wild1, wild2, rule, patterns, result, situation | bit) == 0) {
        return 0;
    }
    result.words[HuResult::kPatternWord] |= static_cast<int32_t>(bit);
    return kOperationHu;
}

}  // namespace

int CheckHuPairWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                    HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    const WaitProbe probe(counts, tile, wild1, wild2, rule, patterns, result, situation);
    if (!probe.Begin()) {
        return 0;
    }
    const int i = probe.TileIndex();
    const bool held = Held(counts, i);
    if (!probe.TileIsJoker() || probe.OwnFaceAllowed()) {
        if (held && probe.RestWinsWithout({i}) && probe.AddGroup(kGroupPair, i, 0, 0, 0, 0)) {
            return probe.Win(kWaitPair);
        }
        if (!probe.TileIsJoker()) {
            if (held || !probe.WildsOn() || probe.GateBlocks(kRuleJokerPairOwnDrawOnly) ||
                ((rule & kRuleNoJokerPairInSituation4) != 0 &&
                 (situation & kSituationRule400Applies) != 0)) {
                return 0;
            }
            int used1 = 0;
            int used2 = 0;
            return probe.RestWinsWithJokers({}, 1, used1, used2) &&
                           probe.AddGroup(kGroupPair, i, used1, used2, 0, 0)
                       ? probe.Win(kWaitPair)
                       : 0;
        }
    }
    if (!probe.OwnDraw()) {
        return 0;
    }
    // The wild tile stands for any held kind, lowest first.
    const JokerPool pool = probe.TakeOutJokers();
    int jokerIndex = 0;
    for (int k = 1; k < kHandKinds; ++k) {
        if (Held(pool.counts, k) && probe.PoolRestWins(pool, {k}, 0, jokerIndex)) {
            return probe.AddRaw(kGroupPair, k, probe.TileWildEntry(), 0, 0) ? probe.Win(kWaitPair)
                                                                            : 0;
        }
    }
    if (!pool.HoldsRealTiles() && GetWildTotal(pool.w1, pool.w2) == 1 &&
        probe.PoolRestWins(pool, {}, 1, jokerIndex)) {
        return probe.AddRaw(kGroupPair, probe.TileWildEntry(), -jokerIndex, 0, 0)
                   ? probe.Win(kWaitPair)
                   : 0;
    }
    return 0;
}

int CheckHuWildPairWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                        HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    if ((rule & kRuleWildTiles) == 0 ||
        (situation & (kSituationRule200Applies | kSituationRule400Applies)) != 0 ||
        CheckHuPairWait(counts, tile, wild1, wild2, rule, patterns, result, situation) == 0) {
        return 0;
    }
    const WaitProbe probe(counts, tile, wild1, wild2, rule, patterns, result, situation);
    const bool asFace = !probe.TileIsJoker() || probe.OwnFaceAllowed();
    if (!asFace && !probe.OwnDraw()) {
        return 0;
    }
    int used1 = 0;
    int used2 = 0;
    if (!probe.RestWinsWithJokers({}, 1, used1, used2)) {
        return 0;
    }
    const bool added = asFace ? probe.AddGroup(kGroupPair, probe.TileIndex(), used1, used2, 0, 0)
                              : probe.AddRaw(kGroupPair, probe.TileWildEntry(),
                                             -probe.JokerKind(used1, used2), 0, 0);
    return added ? probe.Win(kWaitWildPair) : 0;
}

int CheckHuTripletWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                       HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    const WaitProbe probe(counts, tile, wild1, wild2, rule, patterns, result, situation);
    if (!probe.Begin()) {
        return 0;
    }
    const int i = probe.TileIndex();
    const int held = std::clamp(CountAt(counts, i), 0, 2);
    if (!probe.TileIsJoker() || probe.OwnFaceAllowed()) {
        if (held == 2 && probe.RestWinsWithout({i, i}) &&
            probe.AddGroup(kGroupTriplet, i, 0, 0, 0, 0)) {
            return probe.Win(kWaitTriplet);
        }
        if (!probe.TileIsJoker()) {
            const int missing = 2 - held;
            if (held == 2 || !probe.WildsOn() ||
                (missing == 2 && probe.GateBlocks(kRuleTwoJokerTripletOwnDrawOnly))) {
                return 0;
            }
            int used1 = 0;
            int used2 = 0;
            const bool rest = held == 1 ? probe.RestWinsWithJokers({i}, missing, used1, used2)
                                        : probe.RestWinsWithJokers({}, missing, used1, used2);
            return rest && probe.AddGroup(kGroupTriplet, i, used1, used2, 0, 0)
                       ? probe.Win(kWaitTriplet)
                       : 0;
        }
    }
    if (!probe.OwnDraw()) {
        return 0;
    }
    // The wild tile completes a held pair, or a held single with one joker.
    const JokerPool pool = probe.TakeOutJokers();
    int jokerIndex = 0;
    for (int k = 1; k < kHandKinds; ++k) {
        if (CountAt(pool.counts, k) >= 2 && probe.PoolRestWins(pool, {k, k}, 0, jokerIndex)) {
            return probe.AddRaw(kGroupTriplet, k, k, probe.TileWildEntry(), 0)
                       ? probe.Win(kWaitTriplet)
                       : 0;
        }
    }
    for (int k = 1; k < kHandKinds; ++k) {
        if (Held(pool.counts, k) && probe.PoolRestWins(pool, {k}, 1, jokerIndex)) {
            return probe.AddRaw(kGroupTriplet, k, -jokerIndex, probe.TileWildEntry(), 0)
                       ? probe.Win(kWaitTriplet)
                       : 0;
        }
    }
    return 0;
}

int CheckHuMiddleWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                      HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    const WaitProbe probe(counts, tile, wild1, wild2, rule, patterns, result, situation);
    if (!probe.Begin()) {
        return 0;
    }
    const int i = probe.FaceIndex();
    const int value = probe.FaceValue();
    if (value == 1 || value == 9 || probe.IsHonour(i) || probe.IsFlower(i)) {
        return 0;
    }
    const int below = i - 1;
    const int above = i + 1;
    if (!probe.TileIsJoker() || probe.OwnFaceAllowed()) {
        const bool hasBelow = Held(counts, below);
        const bool hasAbove = Held(counts, above);
        if (hasBelow && hasAbove) {
            if (HeldRunWins(probe, below, above, below)) {
                return probe.Win(kWaitMiddle);
            }
        } else if (!probe.TileIsJoker() && probe.WildsOn() && (hasBelow || hasAbove) &&
                   !probe.GateBlocks(kRuleJokerMiddleOwnDrawOnly)) {
            int used1 = 0;
            int used2 = 0;
            if (!probe.RestWinsWithJokers({hasBelow ? below : above}, 1, used1, used2)) {
                return 0;
            }
            const bool added = hasBelow ? probe.AddGroup(kGroupRun, below, used1, used2, 2, 0)
                                        : probe.AddGroup(kGroupRun, i, used1, used2, 0, 0);
            return added ? probe.Win(kWaitMiddle) : 0;
        }
        if (!probe.TileIsJoker()) {
            return 0;
        }
    }
    if (!probe.OwnDraw()) {
        return 0;
    }
    // The wild tile fills the gap between two held tiles two values apart.
    const JokerPool pool = probe.TakeOutJokers();
    int jokerIndex = 0;
    for (int k = 1; k < kHandKinds; ++k) {
        if (StartsSuitRun(k, 3) && Held(pool.counts, k) && Held(pool.counts, k + 2) &&
            probe.PoolRestWins(pool, {k, k + 2}, 0, jokerIndex)) {
            return probe.AddRaw(kGroupRun, k, probe.TileWildEntry(), k + 2, 0)
                       ? probe.Win(kWaitMiddle)
                       : 0;
        }
    }
    return 0;
}

int CheckHuEdgeWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                    HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    const WaitProbe probe(counts, tile, wild1, wild2, rule, patterns, result, situation);
    if (!probe.Begin()) {
        return 0;
    }
    const int i = probe.FaceIndex();
    const int value = probe.FaceValue();
    if (probe.IsHonour(i) || probe.IsFlower(i)) {
        return 0;
    }
    if (!probe.TileIsJoker() || probe.OwnFaceAllowed()) {
        const int suit = i / 10;
        const bool closesLow = value == 3 || IsWildThreeBelow(suit, value, wild1, wild2, rule);
        const bool opensHigh = value == 7 || IsWildThreeAbove(suit, value, wild1, wild2, rule);
        if ((closesLow && HeldRunWins(probe, i - 2, i - 1, i - 2)) ||
            (opensHigh && HeldRunWins(probe, i + 1, i + 2, i))) {
            return probe.Win(kWaitEdge);
        }
        if (!probe.TileIsJoker()) {
            return 0;
        }
    }
    if (!probe.OwnDraw()) {
        return 0;
    }
    // The wild tile plays the 3 of a held 1-2 or the 7 of a held 8-9.
    const JokerPool pool = probe.TakeOutJokers();
    int jokerIndex = 0;
    for (int k = 1; k < kHandKinds; ++k) {
        if (!StartsSuitRun(k, 2) || !Held(pool.counts, k) || !Held(pool.counts, k + 1)) {
            continue;
        }
        if (k % 10 == 1 && probe.PoolRestWins(pool, {k, k + 1}, 0, jokerIndex)) {
            return probe.AddRaw(kGroupRun, k, k + 1, probe.TileWildEntry(), 0)
                       ? probe.Win(kWaitEdge)
                       : 0;
        }
        if (k % 10 == 8 && probe.PoolRestWins(pool, {k, k + 1}, 0, jokerIndex)) {
            return probe.AddRaw(kGroupRun, probe.TileWildEntry(), k, k + 1, 0)
                       ? probe.Win(kWaitEdge)
                       : 0;
        }
    }
    return 0;
}

int CheckHuSideWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                    HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    const WaitProbe probe(counts, tile, wild1, wild2, rule, patterns, result, situation);
    if (!probe.Begin()) {
        return 0;
    }
    const int i = probe.FaceIndex();
    const int value = probe.FaceValue();
    if (probe.IsHonour(i)) {
        return SideWaitOnHonour(probe) ? probe.Win(kWaitSide) : 0;
    }
    if (!probe.TileIsJoker() || probe.OwnFaceAllowed()) {
        // As the top of i-2..i: a missing i-2 gives (w, i-1, i), a missing
        // i-1 gives (i-2, w, i). As the bottom of i..i+2: a missing i+1
        // gives (i, w, i+2), a missing i+2 gives (i, i+1, w).
        const SideRole top{i - 2, i - 1, i - 2, i - 1, 0, 0, i - 2, 1, 0};
        const SideRole bottom{i + 1, i + 2, i, i, 1, 0, i, 2, 0};
        if ((value > 3 && SideRoleWins(probe, top)) || (value < 7 && SideRoleWins(probe, bottom))) {
            return probe.Win(kWaitSide);
        }
        if (!probe.TileIsJoker()) {
            return 0;
        }
    }
    if (!probe.OwnDraw()) {
        return 0;
    }
    // The wild tile ends a held pair of neighbours: as its top, then as its
    // bottom, lowest pair first.
    const JokerPool pool = probe.TakeOutJokers();
    int jokerIndex = 0;
    for (int k = 1; k < kHandKinds; ++k) {
        if (!StartsSuitRun(k, 2) || !Held(pool.counts, k) || !Held(pool.counts, k + 1)) {
            continue;
        }
        const int topValue = k % 10 + 2;
        const int bottomValue = k % 10 - 1;
        if (topValue > 3 && topValue <= 9 && probe.PoolRestWins(pool, {k, k + 1}, 0, jokerIndex)) {
            return probe.AddRaw(kGroupRun, k, k + 1, probe.TileWildEntry(), 0)
                       ? probe.Win(kWaitSide)
                       : 0;
        }
        if (bottomValue >= 1 && bottomValue < 7 &&
            probe.PoolRestWins(pool, {k, k + 1}, 0, jokerIndex)) {
            return probe.AddRaw(kGroupRun, probe.TileWildEntry(), k, k + 1, 0)
                       ? probe.Win(kWaitSide)
                       : 0;
        }
    }
    return 0;
}

int CheckHuSevenPairs(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                      HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    return ForcedPattern(kPatternSevenPairs, counts, tile, wild1, wild2, rule, patterns, result,
                         situation);
}

int CheckHuThirteenApart(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                         HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    return ForcedPattern(kPatternThirteenApart, counts, tile, wild1, wild2, rule, patterns, result,
                         situation);
}

int CheckHuSevenHonours(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                        HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    return ForcedPattern(kPatternSevenHonours, counts, tile, wild1, wild2, rule, patterns, result,
                         situation);
}

int CheckHuAllHonours(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                      HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    return ForcedPattern(kPatternAllHonours, counts, tile, wild1, wild2, rule, patterns, result,
                         situation);
}

int CheckHuAllTwoFiveEight(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                           HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    return ForcedPattern(kPatternAllTwoFiveEight, counts, tile, wild1, wild2, rule, patterns,
                         result, situation);
}

int CheckHu(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
            HuPatternFlags patterns, HuResult& result, HuSituationFlags situation,
            uint32_t restriction) {
    const bool allHonoursAllowed = restriction == 0 || (restriction & 0x1) != 0;
    const bool allTwoFiveEightAllowed = restriction == 0 || (restriction & 0x2) != 0;
    const struct {
        WaitTest test;
        bool allowed;
    } tests[] = {
        {&CheckHuWildPairWait, true},
        {&CheckHuPairWait, true},
        {&CheckHuTripletWait, true},
        {&CheckHuMiddleWait, true},
        {&CheckHuEdgeWait, true},
        {&CheckHuSideWait, true},
        {&CheckHuSevenPairs, true},
        {&CheckHuThirteenApart, true},
        {&CheckHuSevenHonours, true},
        {&CheckHuAllHonours, allHonoursAllowed},
        {&CheckHuAllTwoFiveEight, allTwoFiveEightAllowed},
    };
    for (const auto& entry : tests) {
        if (entry.allowed &&
            entry.test(counts, tile, wild1, wild2, rule, patterns, result, situation) != 0) {
            return kOperationHu;
        }
    }
    result.Clear();
    return 0;
}

int IsWildThreeBelow(int suit, int value, int wild1, int wild2, RuleFlags rule) {
    if ((rule & kRuleWildTiles) == 0 || (rule & kRuleWildFaceSubstitute) != 0) {
        return 0;
    }
    auto matches = [&](int wild) {
        return wild >= 0 && TileFunctions().suit(wild, rule) == suit &&
               TileFunctions().value(wild, rule) == value - 3;
    };
    return matches(wild1) || matches(wild2) ? 1 : 0;
}

int IsWildThreeAbove(int suit, int value, int wild1, int wild2, RuleFlags rule) {
    if ((rule & kRuleWildTiles) == 0 || (rule & kRuleWildFaceSubstitute) != 0) {
        return 0;
    }
    auto matches = [&](int wild) {
        return wild >= 0 && TileFunctions().suit(wild, rule) == suit &&
               TileFunctions().value(wild, rule) == value + 3;
    };
    return matches(wild1) || matches(wild2) ? 1 : 0;
}

int CanFormHonourRunWithWilds(const HandCounts& counts, int index, int freeJokers, RuleFlags rule,
                              HandCounts& marks, int& first, int& last) {
    marks.fill(0);
    first = 0;
    last = 0;
    if ((rule & kRuleHonourRuns) == 0) {
        return 0;
    }
    const bool wind = IsWindIndex(index) != 0;
    const int groupFirst = wind ? 31 : 35;
    const int groupLast = wind ? 34 : 37;
    int marked = 0;
    for (int kind = groupFirst; kind <= groupLast; ++kind) {
        if (kind == index || !Held(counts, kind)) {
            continue;
        }
        marks[kind] = 1;
        ++marked;
        first = first == 0 ? kind : first;
        last = kind;
    }
    return marked + std::max(freeJokers, 0) >= 2 ? 1 : 0;
}
