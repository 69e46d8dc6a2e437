#include "mahjong_tiles/HuResult.h"

#include <algorithm>

#include "mahjong_tiles/WildPiles.h"

namespace {

constexpr int kFirstCounterWord = 4;
constexpr int kLastCounterWord = 67;
constexpr int kLastFlagWord = 3;

int GroupBase(int k) {
    return 62 + HuResult::kGroupWords * k;
}

}  // namespace

int HuResult::GroupCount() const {
    return std::clamp(words[kGroupCountWord], 0, kMaxGroups);
}

HuGroup HuResult::GetGroup(int k) const {
    HuGroup group;
    if (k < 1 || k > GroupCount()) {
        return group;
    }
    const int base = GroupBase(k);
    group.kind = words[base];
    for (int e = 0; e < 4; ++e) {
        group.entries[e] = words[base + 1 + e];
    }
    return group;
}

bool HuResult::AppendGroup(int32_t kind, int32_t e1, int32_t e2, int32_t e3, int32_t e4) {
    const int count = GroupCount();
    if (count >= kMaxGroups) {
        return false;
    }
    const int base = GroupBase(count + 1);
    const int32_t values[kGroupWords] = {kind, e1, e2, e3, e4, 0, 0};
    std::copy(std::begin(values), std::end(values), words.begin() + base);
    words[kGroupCountWord] = count + 1;
    return true;
}

void HuResult::TruncateGroups(int count) {
    count = std::clamp(count, 0, kMaxGroups);
    for (int k = count + 1; k <= kMaxGroups; ++k) {
        std::fill_n(words.begin() + GroupBase(k), kGroupWords, 0);
    }
    words[kGroupCountWord] = count;
}

int AddHuGroup(HuResult& result, int kind, int first, int used1, int used2, int wildIndex1,
               int wildIndex2, int wildPosition, int gap) {
    const int jokers = std::max(used1, 0) + std::max(used2, 0);
    const int i = first;
    auto w = [&] { return -TakeWildFromSmallerPile(used1, used2, wildIndex1, wildIndex2); };
    bool added = false;
    if (kind == kGroupFour && jokers == 0) {
        added = result.AppendGroup(kind, i, i, i, i);
    } else if (kind == kGroupFour && jokers == 1) {
        added = result.AppendGroup(kind, i, i, i, w());
    } else if (kind == kGroupTriplet && jokers == 0) {
        added = result.AppendGroup(kind, i, i, i, 0);
    } else if (kind == kGroupTriplet && jokers == 1) {
        added = result.AppendGroup(kind, i, i, w(), 0);
    } else if (kind == kGroupTriplet && jokers == 2) {
        const int w1 = w();
        added = result.AppendGroup(kind, i, w1, w(), 0);
    } else if (kind == kGroupPair && jokers == 0) {
        added = result.AppendGroup(kind, i, i, 0, 0);
    } else if (kind == kGroupPair && jokers == 1) {
        added = result.AppendGroup(kind, i, w(), 0, 0);
    } else if (kind == kGroupPair && jokers == 2) {
        const int w1 = w();
        added = result.AppendGroup(kind, w1, w(), 0, 0);
    } else if (kind == kGroupRun && jokers == 0 && gap == 0) {
        added = result.AppendGroup(kind, i, i + 1, i + 2, 0);
    } else if (kind == kGroupRun && jokers == 0 && gap == 1) {
        added = result.AppendGroup(kind, i, i + 2, i + 3, 0);
    } else if (kind == kGroupRun && jokers == 0 && gap == 2) {
        added = result.AppendGroup(kind, i, i + 1, i + 3, 0);
    } else if (kind == kGroupRun && jokers == 1 && wildPosition == 0) {
        added = result.AppendGroup(kind, w(), i, i + 1, 0);
    } else if (kind == kGroupRun && jokers == 1 && wildPosition == 1 && gap == 0) {
        added = result.AppendGroup(kind, i, w(), i + 2, 0);
    } else if (kind == kGroupRun && jokers == 1 && wildPosition == 1 && gap == 2) {
        added = result.AppendGroup(kind, i, w(), i + 3, 0);
    } else if (kind == kGroupRun && jokers == 1 && wildPosition == 2 && gap == 0) {
        added = result.AppendGroup(kind, i, i + 1, w(), 0);
    } else {
        added = result.AppendGroup(kind, 0, 0, 0, 0);
    }
    return added ? result.GroupCount() : 0;
}

int AddWildOnlyGroup(HuResult& result, int kind, int used1, int used2, int wildIndex1,
                     int wildIndex2) {
    auto w = [&] { return -TakeWildFromSmallerPile(used1, used2, wildIndex1, wildIndex2); };
    bool added = false;
    if (kind == kGroupPair) {
        const int w1 = w();
        added = result.AppendGroup(kind, w1, w(), 0, 0);
    } else if (kind == kGroupTriplet) {
        const int w1 = w();
        const int w2 = w();
        added = result.AppendGroup(kind, w1, w2, w(), 0);
    } else {
        added = result.AppendGroup(kind, 0, 0, 0, 0);
    }
    return added ? result.GroupCount() : 0;
}

int AddHuGroupRaw(HuResult& result, int kind, int e1, int e2, int e3, int e4) {
    return result.AppendGroup(kind, e1, e2, e3, e4) ? 1 : 0;
}

int CountKongGroups(const HuResult& result) {
    int kongs = 0;
    for (int k = 1; k <= result.GroupCount(); ++k) {
        kongs += result.GetGroup(k).kind == kGroupFour ? 1 : 0;
    }
    return kongs;
}

int CountWildSubstitutions(const HuResult& result) {
    int wilds = 0;
    for (int k = 1; k <= result.GroupCount(); ++k) {
        for (const int32_t entry : result.GetGroup(k).entries) {
            wilds += entry < 0 ? 1 : 0;
        }
    }
    return wilds;
}

void MergeHuScores(HuResult& into, const HuResult& from) {
    for (int word = 0; word <= kLastFlagWord; ++word) {
        into.words[word] |= from.words[word];
    }
    for (int word = kFirstCounterWord; word <= kLastCounterWord; ++word) {
        // Counters wrap like the 32-bit words they are rather than overflow.
        into.words[word] = static_cast<int32_t>(static_cast<uint32_t>(into.words[word]) +
                                                static_cast<uint32_t>(from.words[word]));
    }
}
