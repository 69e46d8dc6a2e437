#include "mahjong_tiles/TileSearch.h"

#include <algorithm>
#include <climits>

#include "mahjong_tiles/TileEncoding.h"
#include "mahjong_tiles/TileFunctionTable.h"

namespace {

// The built-in flower test holds every index from here up.
constexpr int kFirstFlowerIndex = 40;

bool WildTileBarred(int tile, int wild1, int wild2, RuleFlags rule) {
    return (rule & kRuleWildTiles) != 0 && IsWildCard(tile, wild1, wild2, rule) != 0 &&
           (rule & kRuleWildAsOwnFace) == 0;
}

// Empties the count at an index and returns what it held.
int TakeAll(HandCounts& counts, int index) {
    if (!IsTileIndex(index)) {
        return 0;
    }
    const int held = counts[index];
    counts[index] = 0;
    return held;
}

void AddTile(HandCounts& counts, int id, RuleFlags rule) {
    const int index = GetCardIndex(id, rule);
    if (IsTileIndex(index)) {
        ++counts[index];
    }
}

bool ChiRuleGateCloses(RuleFlags rule) {
    const bool wildsOn = (rule & kRuleWildTiles) != 0;
    if ((rule & kRuleHonourRuns) != 0) {
        return (rule & kRuleWildFaceSubstitute) != 0 ||
               ((rule & kRuleWildAsOwnFace) != 0 && !wildsOn);
    }
    return (rule & (kRuleWildFaceSubstitute | kRuleWildAsOwnFace)) != 0 && !wildsOn;
}

template <typename Matches>
int CollectMatching(std::span<const int32_t> hand, std::span<int32_t> out, int max,
                    Matches matches) {
    const int limit = std::min<int>(max, static_cast<int>(out.size()));
    int copied = 0;
    for (const int32_t id : hand) {
        if (copied >= limit) {
            break;
        }
        if (id >= 0 && matches(id)) {
            out[copied++] = id;
        }
    }
    return copied;
}

}  // namespace

int CountHandCards(std::span<const int32_t> hand, RuleFlags rule, HandCounts& counts) {
    counts.fill(0);
    int counted = 0;
    for (const int32_t id : hand) {
        if (id < 0) {
            continue;
        }
        const int index = GetCardIndex(id, rule);
        if (IsTileIndex(index)) {
            ++counts[index];
            ++counted;
        }
    }
    return counted;
}

int CollectSameIndexCards(std::span<const int32_t> hand, int tile, std::span<int32_t> out, int max,
                          RuleFlags rule) {
    return CollectMatching(hand, out, max,
                           [&](int id) { return IsSameCardIndex(id, tile, rule) != 0; });
}

int CollectCardsByIndex(std::span<const int32_t> hand, int index, std::span<int32_t> out, int max,
                        RuleFlags rule) {
    return CollectMatching(hand, out, max, [&](int id) { return GetCardIndex(id, rule) == index; });
}

int CanPeng(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule) {
    if (WildTileBarred(tile, wild1, wild2, rule)) {
        return kOperationNone;
    }
    return CountAt(counts, GetCardIndex(tile, rule)) >= 2 ? kOperationPeng : kOperationNone;
}

int CanMingGang(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule) {
    if (WildTileBarred(tile, wild1, wild2, rule)) {
        return kOperationNone;
    }
    return CountAt(counts, GetCardIndex(tile, rule)) >= 3 ? kOperationGang : kOperationNone;
}

int FindAnGangIndex(const HandCounts& counts, int /*tile*/, int wild1, int wild2, RuleFlags rule,
                    int& index) {
    const bool wildFoursCount = (rule & kRuleWildTiles) == 0 || (rule & kRuleWildAsOwnFace) != 0;
    for (int i = 1; i < kHandKinds; ++i) {
        if (counts[i] != 4) {
            continue;
        }
        if (!wildFoursCount && TileFunctions().wildTest(i, wild1, wild2, rule) != 0) {
            continue;
        }
        index = i;
        return kOperationGang;
    }
    index = 0;
    return kOperationNone;
}

int CanHua(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule) {
    const int index = GetCardIndex(tile, rule);
    const bool flower = TileFunctions().flowerTest(index, wild1, wild2, rule) != 0;
    return flower && CountAt(counts, index) >= 1 ? kOperationFlower : kOperationNone;
}

int CanChi(const HandCounts& counts, int tile, int wild1, int wild2, RuleFlags rule) {
    if ((rule & kRuleNoChi) != 0 || WildTileBarred(tile, wild1, wild2, rule) ||
        ChiRuleGateCloses(rule)) {
        return kOperationNone;
    }
    HandCounts copy = counts;
    int tileIndex = 0;
    int wild2Count = 0;
    TakeOutWildCards(copy, tile, wild1, wild2, tileIndex, rule, 1, wild2Count);
    return CanChiIndex(copy, tileIndex, wild1, wild2, rule) != 0 ? kOperationChi : kOperationNone;
}

int CanChiIndex(const HandCounts& counts, int index, int wild1, int wild2, RuleFlags rule) {
    if ((rule & kRuleWildFaceSubstitute) != 0 && index == GetWildFaceIndex(wild1, wild2, rule)) {
        int wildIndex2 = 0;
        GetWildIndices(wild1, wild2, rule, index, wildIndex2);
    }
    if (TileFunctions().honourTest(index, wild1, wild2, rule) != 0) {
        return (rule & kRuleHonourRuns) != 0 ? IsInHonourRun(counts, index, wild1, wild2, rule) : 0;
    }
    return IsInSuitRun(counts, index);
}

int IsInSuitRun(const HandCounts& counts, int index) {
    if (!IsHeld(counts, index)) {
        return 0;
    }
    const int value = index % 10;
    auto runFrom = [&](int start) {
        return IsHeld(counts, start) && IsHeld(counts, start + 1) && IsHeld(counts, start + 2);
    };
    const bool below = value != 1 && value != 2 && runFrom(index - 2);
    const bool around = value != 1 && value != 9 && runFrom(index - 1);
    const bool above = value != 8 && value != 9 && runFrom(index);
    return below || around || above ? 1 : 0;
}

int IsInHonourRun(const HandCounts& counts, int index, int /*wild1*/, int /*wild2*/,
                  RuleFlags rule) {
    if ((rule & kRuleHonourRuns) == 0) {
        return 0;
    }
    const bool wind = IsWindIndex(index) != 0;
    const int first = wind ? 31 : 35;
    const int last = wind ? 34 : 37;
    int others = 0;
    for (int kind = first; kind <= last; ++kind) {
        others += kind != index && IsHeld(counts, kind) ? 1 : 0;
    }
    return others >= 2 ? 1 : 0;
}

int CountFlowerTiles(const HandCounts& counts, int wild1, int wild2, RuleFlags rule) {
    long long flowers = 0;
    const TileClassTest isFlower = TileFunctions().flowerTest;
    if (isFlower == &IsFlowerIndex) {  // the built-in test: every index from 40 up
        for (int i = kFirstFlowerIndex; i < kHandKinds; ++i) {
            flowers += counts[i];
        }
        return static_cast<int>(std::clamp<long long>(flowers, INT_MIN, INT_MAX));
    }
    for (int i = 0; i < kHandKinds; ++i) {
        if (counts[i] != 0 && isFlower(i, wild1, wild2, rule) != 0) {
            flowers += counts[i];
        }
    }
    return static_cast<int>(std::clamp<long long>(flowers, INT_MIN, INT_MAX));
}

int TakeOutWildCards(HandCounts& counts, int tile, int wild1, int wild2, int& tileIndex,
                     RuleFlags rule, int keepWilds, int& wild2Count) {
    tileIndex = 0;
    const int suit = TileFunctions().suit(tile, rule);
    const int value = TileFunctions().value(tile, rule);
    if (suit != -1 && value != 0 && IsTileIndex(suit * 10 + value)) {
        tileIndex = suit * 10 + value;
        ++counts[tileIndex];
    }
    wild2Count = 0;
    if ((rule & kRuleWildTiles) == 0) {
        return 0;
    }
    int wildIndex1 = 0;
    int wildIndex2 = 0;
    GetWildIndices(wild1, wild2, rule, wildIndex1, wildIndex2);
    int jokers = 0;
    if ((rule & kRuleWildAsOwnFace) == 0 || keepWilds == 0) {
        jokers = TakeAll(counts, wildIndex1);
        wild2Count = TakeAll(counts, wildIndex2);
    }
    if ((rule & kRuleWildFaceSubstitute) != 0) {
        const int face = GetWildFaceIndex(wild1, wild2, rule);
        if (face != wildIndex1 && IsTileIndex(face) && IsTileIndex(wildIndex1)) {
            counts[wildIndex1] += TakeAll(counts, face);
        }
    }
    return jokers;
}

namespace {

// What every finder does first: the output filled with -1 and the hand
// counted.
HandCounts StartFinder(std::span<const int32_t> hand, RuleFlags rule, std::span<int32_t> out) {
    std::ranges::fill(out, kNoTile);
    HandCounts counts;
    CountHandCards(hand, rule, counts);
    return counts;
}

using MeldTest = int (*)(const HandCounts&, int, int, int, RuleFlags);

// A claim of the tile with held tiles of its kind: when the test holds,
// copies `copies` ids of the kind in hand order.
int FindSameKindCards(std::span<const int32_t> hand, int tile, int wild1, int wild2, RuleFlags rule,
                      std::span<int32_t> out, MeldTest test, int copies) {
    const int answer = test(StartFinder(hand, rule, out), tile, wild1, wild2, rule);
    if (answer != 0) {
        CollectSameIndexCards(hand, tile, out, copies, rule);
    }
    return answer;
}

}  // namespace

int FindPengCards(std::span<const int32_t> hand, int tile, int wild1, int wild2, RuleFlags rule,
                  std::span<int32_t> out) {
    return FindSameKindCards(hand, tile, wild1, wild2, rule, out, &CanPeng, 2);
}

int FindMingGangCards(std::span<const int32_t> hand, int tile, int wild1, int wild2, RuleFlags rule,
                      std::span<int32_t> out) {
    return FindSameKindCards(hand, tile, wild1, wild2, rule, out, &CanMingGang, 3);
}

int FindAnGangCards(std::span<const int32_t> hand, int tile, int wild1, int wild2, RuleFlags rule,
                    std::span<int32_t> out) {
    const HandCounts counts = StartFinder(hand, rule, out);
    int index = 0;
    const int answer = FindAnGangIndex(counts, tile, wild1, wild2, rule, index);
    if (answer != 0) {
        CollectCardsByIndex(hand, index, out, 4, rule);
    }
    return answer;
}

int FindAnGangCardsInHand(std::span<const int32_t> hand, int wild1, int wild2, RuleFlags rule,
                          std::span<int32_t> out) {
    return FindAnGangCards(hand, kNoTile, wild1, wild2, rule, out);
}

int FindChiCards(std::span<const int32_t> hand, int tile, int wild1, int wild2, RuleFlags rule,
                 std::span<int32_t> out) {
    const int answer = CanChi(StartFinder(hand, rule, out), tile, wild1, wild2, rule);
    size_t written = 0;
    for (size_t i = 0; i < hand.size(); ++i) {
        for (size_t j = i + 1; j < hand.size(); ++j) {
            if (hand[i] < 0 || hand[j] < 0) {
                continue;
            }
            HandCounts pair{};
            AddTile(pair, hand[i], rule);
            AddTile(pair, hand[j], rule);
            if (CanChi(pair, tile, wild1, wild2, rule) == 0) {
                continue;
            }
            if (written + 2 > out.size()) {
                return answer;
            }
            out[written++] = hand[i];
            out[written++] = hand[j];
        }
    }
    return answer;
}
