#include "mahjong_tiles/SuitMeldTable.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kValues = SuitMeldTable::kSuitValues;
constexpr int kBase = SuitMeldTable::kMaxCount + 1;
constexpr int kImpossible = SuitMeldTable::kImpossible;

constexpr std::array<int, kValues + 1> MakePowers() {
    std::array<int, kValues + 1> powers{};
    powers[0] = 1;
    for (int i = 1; i <= kValues; ++i) {
        powers[i] = powers[i - 1] * kBase;
    }
    return powers;
}
constexpr std::array<int, kValues + 1> kPower = MakePowers();
constexpr int kKeys = kPower[kValues];

constexpr int kFirstSuit[] = {1, 11, 21};
constexpr int kFirstHonour = 31;
constexpr int kLastHonour = 37;

// The most of a kind the table describes, per hand index: 4 for the suits
// and honours, 0 elsewhere.
constexpr std::array<uint32_t, kHandKinds> MakeMostHeld() {
    std::array<uint32_t, kHandKinds> most{};
    for (int i = 1; i <= kLastHonour; ++i) {
        most[i] = i % 10 != 0 ? SuitMeldTable::kMaxCount : 0;
    }
    return most;
}
constexpr std::array<uint32_t, kHandKinds> kMostHeld = MakeMostHeld();

int NoPair(uint8_t entry) {
    return entry & 0x0F;
}
int OnePair(uint8_t entry) {
    return entry >> 4;
}

// One group that takes the lowest held value: the tiles it removes (as a key
// difference), the jokers it spends and whether it is the pair.
struct Group {
    int removed;
    int jokers;
    bool pair;
};

// The groups the search may form from the lowest held value `low`.
int GroupsFrom(const std::array<int, kValues>& count, int low, Group (&out)[9]) {
    const int n = count[low];
    const int at = kPower[low];
    int groups = 0;
    if (n == 4) {
        out[groups++] = {4 * at, 0, false};
    }
    if (n >= 3) {
        out[groups++] = {3 * at, 0, false};
    }
    if (n >= 2) {
        out[groups++] = {2 * at, 1, false};
        out[groups++] = {2 * at, 0, true};
    }
    out[groups++] = {at, 2, false};
    out[groups++] = {at, 1, true};
    const bool next = low + 1 < kValues && count[low + 1] > 0;
    const bool afterNext = low + 2 < kValues && count[low + 2] > 0;
    if (next && afterNext) {
        out[groups++] = {at + kPower[low + 1] + kPower[low + 2], 0, false};
    }
    if (next) {
        out[groups++] = {at + kPower[low + 1], 1, false};
    }
    if (afterNext) {
        out[groups++] = {at + kPower[low + 2], 1, false};
    }
    return groups;
}

int KeyOf(const int32_t* counts) {
    int key = 0;
    for (int v = kValues - 1; v >= 0; --v) {
        key = key * kBase + counts[v];
    }
    return key;
}

}  // namespace

const SuitMeldTable& SuitMeldTable::Get() {
    static const SuitMeldTable table;
    return table;
}

// Keys rise as counts are added, so every key's smaller remainders are
// filled in before it.
SuitMeldTable::SuitMeldTable() : entries_(kKeys) {
    entries_[0] = static_cast<uint8_t>(kImpossible << 4);  // nothing: no pair to be had
    std::array<int, kValues> count{};
    for (int key = 1; key < kKeys; ++key) {
        for (int v = 0; v < kValues; ++v) {  // count = key in base 5
            if (++count[v] <= SuitMeldTable::kMaxCount) {
                break;
            }
            count[v] = 0;
        }
        int low = 0;
        while (count[low] == 0) {
            ++low;
        }
        Group groups[9];
        const int n = GroupsFrom(count, low, groups);
        int best[2] = {kImpossible, kImpossible};
        for (int g = 0; g < n; ++g) {
            const uint8_t rest = entries_[key - groups[g].removed];
            // This group with a pair: the rest holds no pair. This group
            // without a pair: the rest holds none, or holds the one pair.
            if (groups[g].pair) {
                best[1] = std::min(best[1], groups[g].jokers + NoPair(rest));
            } else {
                best[0] = std::min(best[0], groups[g].jokers + NoPair(rest));
                best[1] = std::min(best[1], groups[g].jokers + OnePair(rest));
            }
        }
        entries_[key] = static_cast<uint8_t>(std::min(best[0], kImpossible) |
                                             (std::min(best[1], kImpossible) << 4));
    }
}

bool SuitMeldTable::MayDecompose(const HandCounts& counts, int w1, int w2, RuleFlags rule) const {
    if (w1 < 0 || w2 < 0) {
        return true;
    }
    // A count below 0 or above its most sets the top bit of the count or of
    // the most less the count; the loop has no branch, so it runs in vectors.
    uint32_t outside = 0;
    for (int i = 0; i < kHandKinds; ++i) {
        const auto count = static_cast<uint32_t>(counts[i]);
        outside |= count | (kMostHeld[i] - count);
    }
    if ((outside >> 31) != 0) {
        return true;
    }
    // The cheapest split without a pair, and the least it costs to let one
    // part hold the pair instead.
    int withoutPair = 0;
    int pairExtra = kImpossible;
    const auto add = [&](uint8_t entry) {
        withoutPair += NoPair(entry);
        pairExtra = std::min(pairExtra, OnePair(entry) - NoPair(entry));
    };
    for (const int first : kFirstSuit) {
        add(entries_[KeyOf(&counts[first])]);
    }
    if ((rule & kRuleHonourRuns) == 0) {
        for (int i = kFirstHonour; i <= kLastHonour; ++i) {
            add(entries_[counts[i]]);
        }
    } else {
        pairExtra = std::min(pairExtra, 0);  // the honours may hold the pair for nothing
    }
    const long long jokers = static_cast<long long>(w1) + w2;
    return std::min(withoutPair, withoutPair + pairExtra) <= jokers;
}
