#pragma once
// Hands for the tile algorithm tests, written as lists of tile indices
// (1..9, 11..19, 21..29 suits; 31..37 honours; 41..56 flowers). Ids are
// computed here from the layout of the wall, independently of the library.

#include <array>
#include <initializer_list>
#include <vector>

#include "mahjong_tiles/HuResult.h"
#include "mahjong_tiles/TileTypes.h"

namespace tiletest {

// The id of one copy (0..3) of a kind.
inline int IdOf(int index, int copy = 0) {
    const int suit = index / 10;
    const int value = index % 10;
    if (suit <= 2) {
        return suit * 36 + (value - 1) + 9 * copy;
    }
    if (suit == 3) {
        return 108 + (value - 1) + 7 * copy;
    }
    return 135 + (index - 40);  // flowers: one id each
}

inline HandCounts CountsOf(std::initializer_list<int> indices) {
    HandCounts counts{};
    for (const int index : indices) {
        ++counts[index];
    }
    return counts;
}

// Ids of the listed kinds, a fresh copy for each repeat of a kind.
inline std::vector<int32_t> IdsOf(std::initializer_list<int> indices) {
    std::array<int, kHandKinds> used{};
    std::vector<int32_t> ids;
    for (const int index : indices) {
        ids.push_back(IdOf(index, used[index]++));
    }
    return ids;
}

// The tiles the groups of a result hold, jokers (negative entries) apart.
inline HandCounts CountsOfGroups(const HuResult& result, int* jokers = nullptr) {
    HandCounts counts{};
    int wilds = 0;
    for (int k = 1; k <= result.GroupCount(); ++k) {
        for (const int32_t entry : result.GetGroup(k).entries) {
            if (entry > 0 && entry < kHandKinds) {
                ++counts[entry];
            } else if (entry < 0) {
                ++wilds;
            }
        }
    }
    if (jokers != nullptr) {
        *jokers = wilds;
    }
    return counts;
}

inline std::vector<int32_t> GroupWords(const HuResult& result, int k) {
    const HuGroup group = result.GetGroup(k);
    return {group.kind, group.entries[0], group.entries[1], group.entries[2], group.entries[3]};
}

}  // namespace tiletest
