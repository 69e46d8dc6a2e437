#include "mahjong_tiles/TileEncoding.h"

#include <array>

#include "mahjong_tiles/TileFunctionTable.h"

namespace {

constexpr int kSuitIds = 36;
constexpr int kFirstHonourId = 108;
constexpr int kFirstFlowerId = 136;
constexpr int kLastFlowerId = 151;
constexpr int kLastSearchedId = 167;

int SuitSlot(int id, RuleFlags rule) {
    return TileFunctions().suit(id, rule);
}
int ValueSlot(int id, RuleFlags rule) {
    return TileFunctions().value(id, rule);
}

// Whether the index names the kind of the given wild id.
bool IndexIsKindOf(int index, int wildId, RuleFlags rule) {
    return wildId >= 0 && index / 10 == SuitSlot(wildId, rule) &&
           index % 10 == ValueSlot(wildId, rule);
}

// suit x 10 + value of an id when both are meaningful, else 0.
int KindIndexOf(int id, RuleFlags rule) {
    const int suit = SuitSlot(id, rule);
    const int value = ValueSlot(id, rule);
    return suit >= 0 && value > 0 ? suit * 10 + value : 0;
}

}  // namespace

int GetCardShape(int id, RuleFlags /*rule*/) {
    if (id < 0) {
        return -1;
    }
    if (id < kFirstHonourId) {
        return id / kSuitIds;
    }
    if (id < kFirstFlowerId) {
        return 3;
    }
    if (id <= kLastFlowerId) {
        return 4;
    }
    return -1;
}

int GetCardValue(int id, RuleFlags /*rule*/) {
    if (id < 0) {
        return 0;
    }
    if (id < kFirstHonourId) {
        return id % 9 + 1;
    }
    if (id < kFirstFlowerId) {
        return (id - kFirstHonourId) % 7 + 1;
    }
    if (id <= kLastFlowerId) {
        return id - (kFirstFlowerId - 1);
    }
    return 0;
}

int IsFlowerIndex(int index, int /*wild1*/, int /*wild2*/, RuleFlags /*rule*/) {
    return index / 10 >= 4 ? 1 : 0;
}

int IsHonourIndex(int index, int /*wild1*/, int /*wild2*/, RuleFlags /*rule*/) {
    return IsWindIndex(index) != 0 || IsDragonIndex(index) != 0 ? 1 : 0;
}

int IsWildCardIndex(int index, int wild1, int wild2, RuleFlags rule) {
    if (index < 1 || (rule & kRuleWildTiles) == 0 || wild1 == kNoTile) {
        return 0;
    }
    return IndexIsKindOf(index, wild1, rule) || IndexIsKindOf(index, wild2, rule) ? 1 : 0;
}

int GetSubstituteIndex(int /*wildIndex1*/, int /*wildIndex2*/, RuleFlags /*rule*/) {
    return kDefaultSubstituteIndex;
}

int GetCardIndex(int id, RuleFlags rule) {
    return SuitSlot(id, rule) * 10 + ValueSlot(id, rule);
}

int MakeCardIndex(int suit, int value) {
    return suit < 0 || value < 1 ? 0 : suit * 10 + value;
}

int IsSameCardIndex(int a, int b, RuleFlags rule) {
    return GetCardIndex(a, rule) == GetCardIndex(b, rule) ? 1 : 0;
}

int FindCardIdByIndex(int index, RuleFlags rule) {
    for (int id = 0; id <= kLastSearchedId; ++id) {
        if (GetCardIndex(id, rule) == index) {
            return id;
        }
    }
    return -1;
}

int IsWindIndex(int index) {
    return index >= 31 && index <= 34 ? index : 0;
}

int IsDragonIndex(int index) {
    return index >= 35 && index <= 37 ? index : 0;
}

int IsTwoFiveEight(int index) {
    if (index < 1 || index > 29) {
        return 0;
    }
    const int value = index % 10;
    return value == 2 || value == 5 || value == 8 ? 1 : 0;
}

int IsWildCard(int id, int wild1, int wild2, RuleFlags rule) {
    if (id < 0) {
        return 0;
    }
    return TileFunctions().wildTest(GetCardIndex(id, rule), wild1, wild2, rule);
}

int IsFlowerCard(int id, int wild1, int wild2, RuleFlags rule) {
    return TileFunctions().flowerTest(GetCardIndex(id, rule), wild1, wild2, rule);
}

int GetWildIndices(int wild1, int wild2, RuleFlags rule, int& index1, int& index2) {
    index1 = 0;
    index2 = 0;
    int set = 0;
    if (wild1 >= 0) {
        index1 = MakeCardIndex(SuitSlot(wild1, rule), ValueSlot(wild1, rule));
        ++set;
    }
    if (wild2 >= 0) {
        index2 = MakeCardIndex(SuitSlot(wild2, rule), ValueSlot(wild2, rule));
        ++set;
    }
    return set;
}

int GetWildFaceIndex(int wild1, int wild2, RuleFlags rule) {
    return TileFunctions().substituteIndex(KindIndexOf(wild1, rule), KindIndexOf(wild2, rule),
                                           rule);
}

int IsWildFaceIndex(int index, int wild1, int wild2, RuleFlags rule) {
    return index == GetWildFaceIndex(wild1, wild2, rule) ? index : 0;
}

int IsWildFaceCard(int id, int wild1, int wild2, RuleFlags rule) {
    return IsWildFaceIndex(GetCardIndex(id, rule), wild1, wild2, rule);
}

int CountCardSuits(std::span<const int32_t> ids) {
    std::array<bool, 10> seen{};
    int count = 0;
    for (const int32_t id : ids) {
        const int suit = GetCardShape(id);
        if (suit < 0 || suit >= static_cast<int>(seen.size()) || seen[suit]) {
            continue;
        }
        seen[suit] = true;
        ++count;
    }
    return count;
}
