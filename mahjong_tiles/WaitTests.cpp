#include "mahjong_tiles/WaitTests.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <span>
#include <vector>

#include "mahjong_tiles/HuTest.h"
#include "mahjong_tiles/TileEncoding.h"
#include "mahjong_tiles/TileFunctionTable.h"
#include "mahjong_tiles/TileSearch.h"
#include "mahjong_tiles/WildHuTest.h"
#include "mahjong_tiles/WildPiles.h"

namespace {

using Kinds = std::span<const int>;

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

// Places in a group that a wild winning tile fills: the tile itself, and a
// joker spent beside it.
constexpr int32_t kTilePlace = -1000;
constexpr int32_t kJokerPlace = -1001;

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
    bool WildsOn() const { return (rule_ & kRuleWildTiles) != 0; }
    bool TileIsJoker() const { return tileIsJoker_; }
    bool OwnFaceAllowed() const { return (rule_ & kRuleWildAsOwnFace) != 0; }
    bool OwnDraw() const { return (situation_ & kSituationOwnDraw) != 0; }
    RuleFlags Rule() const { return rule_; }
    int Wild1() const { return wild1_; }
    int Wild2() const { return wild2_; }
    HuSituationFlags Situation() const { return situation_; }

    // Jokers may pay for missing tiles: wilds in play, a tile that is not
    // wild itself, and a gate that either is off or meets the own draw.
    bool JokersMayPay(RuleFlags gate = 0) const {
        return WildsOn() && !TileIsJoker() && ((rule_ & gate) == 0 || OwnDraw());
    }

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
    bool RestWinsWithout(Kinds taken) const {
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
    bool RestWinsWithJokers(Kinds taken, int jokers, int& used1, int& used2) const {
        HandCounts rest = counts_;
        if (!Remove(rest, taken)) {
            return false;
        }
        JokerPool pool = PoolOf(rest);
        int ignored = 0;
        return SpendAndWin(pool, {}, jokers, used1, used2, ignored);
    }

    // The whole hand with its jokers taken out.
    JokerPool TakeOutJokers() const { return PoolOf(counts_); }

    // The wild winning tile stands in a group beside the held kinds `taken`
    // and `jokers` more jokers: the rest of the pool must win; then the group
    // is written with the tile's and the joker's places filled in.
    bool StandIn(const JokerPool& pool, std::initializer_list<int> taken, int jokers, int kind,
                 std::array<int32_t, 3> entries) const {
        JokerPool rest = pool;
        int used1 = 0;
        int used2 = 0;
        int jokerIndex = 0;
        if (!SpendAndWin(rest, Kinds(taken.begin(), taken.size()), jokers, used1, used2,
                         jokerIndex)) {
            return false;
        }
        for (int32_t& entry : entries) {
            entry = entry == kTilePlace ? -tileIndex_ : entry == kJokerPlace ? -jokerIndex : entry;
        }
        return AddRaw(kind, entries[0], entries[1], entries[2], 0);
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
    JokerPool PoolOf(const HandCounts& counts) const {
        JokerPool pool;
        pool.counts = counts;
        int ignored = 0;
        pool.w1 =
            TakeOutWildCards(pool.counts, kNoTile, wild1_, wild2_, ignored, rule_, 0, pool.w2);
        return pool;
    }

    static bool Remove(HandCounts& counts, Kinds taken) {
        for (const int index : taken) {
            if (!IsHeld(counts, index)) {
                return false;
            }
            --counts[index];
        }
        return true;
    }

    // Takes the tiles out of the pool and spends the jokers; the rest must
    // pass the standard test with the jokers left. jokerIndex is the kind
    // charged for the first joker spent.
    bool SpendAndWin(JokerPool& pool, Kinds taken, int jokers, int& used1, int& used2,
                     int& jokerIndex) const {
        if (!Remove(pool.counts, taken) || GetWildTotal(pool.w1, pool.w2) < jokers) {
            return false;
        }
        int saved1 = 0;
        int saved2 = 0;
        UseWildCards(saved1, saved2, pool.w1, pool.w2, jokers);
        used1 = saved1 - pool.w1;
        used2 = saved2 - pool.w2;
        jokerIndex = JokerKind(used1, used2);
        return CheckStandardHu(pool.counts, pool.w1, pool.w2, wild1_, wild2_, tileIndex_, rule_,
                               patterns_, result_, situation_) != 0;
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

// How one wait type proves the tile's role; each step answers whether the
// role's group was recorded.
struct WaitRole {
    int32_t flag;
    // Whether the tile's face can play the role at all (null: always).
    bool (*admits)(const WaitProbe&);
    // The tile as its own face: the needed tiles held, or (a tile that is
    // not wild) the missing ones paid with jokers.
    bool (*asFace)(const WaitProbe&);
    // The wild winning tile standing in for a kind the held tiles allow,
    // lowest kind first (null: no such search).
    bool (*asWild)(const WaitProbe&, const JokerPool&);
};

// The course every wait test takes: the whole hand must win; a tile that is
// not wild, or a wild one allowed to play its own face, plays its face; a
// wild one then stands in for another kind, only on the player's own draw.
int ProveWait(const WaitRole& role, const HandCounts& counts, int tile, int wild1, int wild2,
              RuleFlags rule, HuPatternFlags patterns, HuResult& result,
              HuSituationFlags situation) {
    const WaitProbe probe(counts, tile, wild1, wild2, rule, patterns, result, situation);
    if (!probe.Begin() || (role.admits != nullptr && !role.admits(probe))) {
        return 0;
    }
    if (!probe.TileIsJoker() || probe.OwnFaceAllowed()) {
        if (role.asFace(probe)) {
            return probe.Win(role.flag);
        }
        if (!probe.TileIsJoker()) {
            return 0;
        }
    }
    if (!probe.OwnDraw() || role.asWild == nullptr) {
        return 0;
    }
    return role.asWild(probe, probe.TakeOutJokers()) ? probe.Win(role.flag) : 0;
}

// The tile and `others` more of its kind make a group: the others held, or
// the missing ones paid with jokers when that is allowed.
bool CompletesSameKind(const WaitProbe& probe, int kind, int others, bool jokersMayPay) {
    const int i = probe.TileIndex();
    const int held = std::clamp(CountAt(probe.Hand(), i), 0, others);
    const std::array<int, 2> copies = {i, i};
    const Kinds heldTiles(copies.data(), static_cast<size_t>(held));
    if (held == others) {
        return probe.RestWinsWithout(heldTiles) && probe.AddGroup(kind, i, 0, 0, 0, 0);
    }
    int used1 = 0;
    int used2 = 0;
    return jokersMayPay && probe.RestWinsWithJokers(heldTiles, others - held, used1, used2) &&
           probe.AddGroup(kind, i, used1, used2, 0, 0);
}

// The tile's face completes the run start..start+2: the two other kinds held,
// or one of them paid with a joker when that is allowed.
bool CompletesRun(const WaitProbe& probe, int start, bool jokersMayPay) {
    const int i = probe.FaceIndex();
    const int a = start == i ? start + 1 : start;
    const int b = start + 2 == i ? start + 1 : start + 2;
    const bool hasA = IsHeld(probe.Hand(), a);
    const bool hasB = IsHeld(probe.Hand(), b);
    if (hasA && hasB) {
        const std::array<int, 2> taken = {a, b};
        return probe.RestWinsWithout(taken) && probe.AddGroup(kGroupRun, start, 0, 0, 0, 0);
    }
    if (!jokersMayPay || hasA == hasB) {
        return false;
    }
    const int held = hasA ? a : b;
    const int position = (hasA ? b : a) - start;  // where the joker stands
    int used1 = 0;
    int used2 = 0;
    return probe.RestWinsWithJokers(Kinds(&held, 1), 1, used1, used2) &&
           probe.AddGroup(kGroupRun, position == 0 ? start + 1 : start, used1, used2, position, 0);
}

// With rule 0x20 an honour closes a run of its group: two other kinds held,
// or one held and a joker.
bool HonourSideWins(const WaitProbe& probe) {
    const int i = probe.FaceIndex();
    if ((probe.Rule() & kRuleHonourRuns) == 0) {
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
                std::array<int, 3> run = {i, others[a], others[b]};
                std::ranges::sort(run);
                const std::array<int, 2> taken = {others[a], others[b]};
                if (probe.RestWinsWithout(taken) &&
                    probe.AddRaw(kGroupRun, run[0], run[1], run[2], 0)) {
                    return true;
                }
            }
        }
        return false;
    }
    int used1 = 0;
    int used2 = 0;
    if (others.size() != 1 || !probe.JokersMayPay() ||
        !probe.RestWinsWithJokers(Kinds(others.data(), 1), 1, used1, used2)) {
        return false;
    }
    return probe.AddRaw(kGroupRun, std::min(i, others[0]), std::max(i, others[0]),
                        -probe.JokerKind(used1, used2), 0);
}

// Pair wait: one of the tile's kind held, or a joker.
bool PairAsFace(const WaitProbe& probe) {
    const bool jokerBarred = (probe.Rule() & kRuleNoJokerPairInSituation4) != 0 &&
                             (probe.Situation() & kSituationRule400Applies) != 0;
    return CompletesSameKind(probe, kGroupPair, 1,
                             probe.JokersMayPay(kRuleJokerPairOwnDrawOnly) && !jokerBarred);
}

bool PairAsWild(const WaitProbe& probe, const JokerPool& pool) {
    for (int k = 1; k < kHandKinds; ++k) {
        if (IsHeld(pool.counts, k) && probe.StandIn(pool, {k}, 0, kGroupPair, {k, kTilePlace, 0})) {
            return true;
        }
    }
    // Nothing else held: the wild tile pairs with the last joker.
    return !pool.HoldsRealTiles() && GetWildTotal(pool.w1, pool.w2) == 1 &&
           probe.StandIn(pool, {}, 1, kGroupPair, {kTilePlace, kJokerPlace, 0});
}

// Triplet wait: two of the tile's kind held, or jokers for the missing ones
// (two jokers only on the own draw under rule 0x2000000).
bool TripletAsFace(const WaitProbe& probe) {
    const bool twoJokers = CountAt(probe.Hand(), probe.TileIndex()) <= 0;
    return CompletesSameKind(
        probe, kGroupTriplet, 2,
        probe.JokersMayPay(twoJokers ? kRuleTwoJokerTripletOwnDrawOnly : RuleFlags{0}));
}

bool TripletAsWild(const WaitProbe& probe, const JokerPool& pool) {
    for (int k = 1; k < kHandKinds; ++k) {
        if (CountAt(pool.counts, k) >= 2 &&
            probe.StandIn(pool, {k, k}, 0, kGroupTriplet, {k, k, kTilePlace})) {
            return true;
        }
    }
    for (int k = 1; k < kHandKinds; ++k) {
        if (IsHeld(pool.counts, k) &&
            probe.StandIn(pool, {k}, 1, kGroupTriplet, {k, kJokerPlace, kTilePlace})) {
            return true;
        }
    }
    return false;
}

// The wild winning tile ends a held pair of neighbours k, k+1 of a suit,
// lowest pair first: as k+2 when `asTop` admits the pair's lower value, else
// as k-1 when `asBottom` does.
template <typename AsTop, typename AsBottom>
bool StandInBesidePair(const WaitProbe& probe, const JokerPool& pool, AsTop asTop,
                       AsBottom asBottom) {
    for (int k = 1; k < kHandKinds; ++k) {
        if (!StartsSuitRun(k, 2) || !IsHeld(pool.counts, k) || !IsHeld(pool.counts, k + 1)) {
            continue;
        }
        const int value = k % 10;
        if ((asTop(value) &&
             probe.StandIn(pool, {k, k + 1}, 0, kGroupRun, {k, k + 1, kTilePlace})) ||
            (asBottom(value) &&
             probe.StandIn(pool, {k, k + 1}, 0, kGroupRun, {kTilePlace, k, k + 1}))) {
            return true;
        }
    }
    return false;
}

// Middle wait: the tile fills i-1 .. i+1, never as a 1 or a 9.
bool MiddleAdmits(const WaitProbe& probe) {
    const int value = probe.FaceValue();
    const int i = probe.FaceIndex();
    return value != 1 && value != 9 && !probe.IsHonour(i) && !probe.IsFlower(i);
}

bool MiddleAsFace(const WaitProbe& probe) {
    return CompletesRun(probe, probe.FaceIndex() - 1,
                        probe.JokersMayPay(kRuleJokerMiddleOwnDrawOnly));
}

bool MiddleAsWild(const WaitProbe& probe, const JokerPool& pool) {
    for (int k = 1; k < kHandKinds; ++k) {
        if (StartsSuitRun(k, 3) && IsHeld(pool.counts, k) && IsHeld(pool.counts, k + 2) &&
            probe.StandIn(pool, {k, k + 2}, 0, kGroupRun, {k, kTilePlace, k + 2})) {
            return true;
        }
    }
    return false;
}

// Edge wait: a 3 closes 1-2-3, a 7 opens 7-8-9 (or the values three from a
// wild tile); held tiles only.
bool EdgeAdmits(const WaitProbe& probe) {
    const int i = probe.FaceIndex();
    return !probe.IsHonour(i) && !probe.IsFlower(i);
}

bool EdgeAsFace(const WaitProbe& probe) {
    const int i = probe.FaceIndex();
    const int value = probe.FaceValue();
    const int suit = i / 10;
    const RuleFlags rule = probe.Rule();
    const bool closesLow =
        value == 3 || IsWildThreeBelow(suit, value, probe.Wild1(), probe.Wild2(), rule) != 0;
    const bool opensHigh =
        value == 7 || IsWildThreeAbove(suit, value, probe.Wild1(), probe.Wild2(), rule) != 0;
    return (closesLow && CompletesRun(probe, i - 2, false)) ||
           (opensHigh && CompletesRun(probe, i, false));
}

bool EdgeAsWild(const WaitProbe& probe, const JokerPool& pool) {
    return StandInBesidePair(
        probe, pool, [](int value) { return value == 1; }, [](int value) { return value == 8; });
}

// Side wait: the tile ends a run as its top (value above 3) or its bottom
// (value below 7), top first; an honour closes an honour run.
bool SideAsFace(const WaitProbe& probe) {
    const int i = probe.FaceIndex();
    if (probe.IsHonour(i)) {
        return HonourSideWins(probe);
    }
    const int value = probe.FaceValue();
    return (value > 3 && CompletesRun(probe, i - 2, probe.JokersMayPay())) ||
           (value < 7 && CompletesRun(probe, i, probe.JokersMayPay()));
}

bool SideAsWild(const WaitProbe& probe, const JokerPool& pool) {
    // The tile's value must be above 3 as the top, below 7 as the bottom.
    const auto inner = [](int value) { return value >= 2 && value <= 7; };
    return !probe.IsHonour(probe.FaceIndex()) && StandInBesidePair(probe, pool, inner, inner);
}

constexpr WaitRole kPairRole{kWaitPair, nullptr, &PairAsFace, &PairAsWild};
constexpr WaitRole kTripletRole{kWaitTriplet, nullptr, &TripletAsFace, &TripletAsWild};
constexpr WaitRole kMiddleRole{kWaitMiddle, &MiddleAdmits, &MiddleAsFace, &MiddleAsWild};
constexpr WaitRole kEdgeRole{kWaitEdge, &EdgeAdmits, &EdgeAsFace, &EdgeAsWild};
constexpr WaitRole kSideRole{kWaitSide, nullptr, &SideAsFace, &SideAsWild};

// With wilds on and rule 0x4 off: a wild tile of the suit has the value.
bool WildsThreeApart(int suit, int value, int wild1, int wild2, RuleFlags rule) {
    if ((rule & kRuleWildTiles) == 0 || (rule & kRuleWildFaceSubstitute) != 0) {
        return false;
    }
    auto matches = [&](int wild) {
        return wild >= 0 && TileFunctions().suit(wild, rule) == suit &&
               TileFunctions().value(wild, rule) == value;
    };
    return matches(wild1) || matches(wild2);
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
    return ProveWait(kPairRole, counts, tile, wild1, wild2, rule, patterns, result, situation);
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
    const bool added =
        asFace ? probe.AddGroup(kGroupPair, probe.TileIndex(), used1, used2, 0, 0)
               : probe.AddRaw(kGroupPair, -probe.TileIndex(), -probe.JokerKind(used1, used2), 0, 0);
    return added ? probe.Win(kWaitWildPair) : 0;
}

int CheckHuTripletWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                       HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    return ProveWait(kTripletRole, counts, tile, wild1, wild2, rule, patterns, result, situation);
}

int CheckHuMiddleWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                      HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    return ProveWait(kMiddleRole, counts, tile, wild1, wild2, rule, patterns, result, situation);
}

int CheckHuEdgeWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                    HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    return ProveWait(kEdgeRole, counts, tile, wild1, wild2, rule, patterns, result, situation);
}

int CheckHuSideWait(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                    HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    return ProveWait(kSideRole, counts, tile, wild1, wild2, rule, patterns, result, situation);
}

int CheckHuSevenPairs(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule,
                      HuPatternFlags patterns, HuResult& result, HuSituationFlags situation) {
    return ForcedPattern(kPatternSevenPairs, counts, tile, wild1, wild2, rule, patterns, result,
                         situation);
}

int ScoreSevenPairsWithWild(const HandCounts& counts, int tile, int wild1, int wild2,
                            RuleFlags rule, HuResult& result) {
    if (CheckHuSevenPairs(counts, tile, wild1, wild2, rule, kPatternSevenPairs, result, 0) == 0) {
        result.Clear();
        return 0;
    }
    return kOperationHu;
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
    return WildsThreeApart(suit, value - 3, wild1, wild2, rule) ? 1 : 0;
}

int IsWildThreeAbove(int suit, int value, int wild1, int wild2, RuleFlags rule) {
    return WildsThreeApart(suit, value + 3, wild1, wild2, rule) ? 1 : 0;
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
        if (kind == index || !IsHeld(counts, kind)) {
            continue;
        }
        marks[kind] = 1;
        ++marked;
        first = first == 0 ? kind : first;
        last = kind;
    }
    return marked + std::max(freeJokers, 0) >= 2 ? 1 : 0;
}
