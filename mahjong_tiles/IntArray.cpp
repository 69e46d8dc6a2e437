#include "mahjong_tiles/IntArray.h"

#include <algorithm>
#include <vector>

void FillArrayWithInvalid(std::span<int32_t> array) {
    std::ranges::fill(array, -1);
}

void FillFourMinusOne(std::span<int32_t, 4> array) {
    std::ranges::fill(array, -1);
}

int CountValidEntries(std::span<const int32_t> array) {
    return static_cast<int>(std::ranges::count_if(array, [](int32_t e) { return e >= 0; }));
}

int SumArray(std::span<const int32_t> array) {
    uint32_t sum = 0;
    for (const int32_t e : array) {
        sum += static_cast<uint32_t>(e);
    }
    return static_cast<int32_t>(sum);
}

int AllHaveFlags(std::span<const int32_t> array, uint32_t mask) {
    return std::ranges::all_of(
               array, [mask](int32_t e) { return (static_cast<uint32_t>(e) & mask) == mask; })
               ? 1
               : 0;
}

int AnyHasFlags(std::span<const int32_t> array, uint32_t mask) {
    return std::ranges::any_of(
               array, [mask](int32_t e) { return (static_cast<uint32_t>(e) & mask) == mask; })
               ? 1
               : 0;
}

int AllHaveFlag2(std::span<const int32_t> array) {
    return AllHaveFlags(array, 0x2);
}

int AllHaveFlag4(std::span<const int32_t> array) {
    return AllHaveFlags(array, 0x4);
}

int AllHaveFlag4000(std::span<const int32_t> array) {
    return AllHaveFlags(array, 0x4000);
}

int AllDistinct(std::span<const int32_t> array) {
    std::vector<int32_t> entries;
    std::ranges::copy_if(array, std::back_inserter(entries), [](int32_t e) { return e != -1; });
    std::ranges::sort(entries);
    return std::ranges::adjacent_find(entries) == entries.end() ? 1 : 0;
}

int ContainsValue(std::span<const int32_t> array, int32_t value) {
    if (value < 0) {
        return 0;
    }
    return std::ranges::find(array, value) != array.end() ? 1 : 0;
}

int IsSubsetOf(std::span<const int32_t> a, std::span<const int32_t> b) {
    for (const int32_t e : b) {
        if (e == -1) {
            continue;
        }
        if (ContainsValue(a, e) == 0) {
            return 0;
        }
    }
    return 1;
}

int SameSet(std::span<const int32_t> a, std::span<const int32_t> b) {
    return a.size() == b.size() && IsSubsetOf(a, b) != 0 && IsSubsetOf(b, a) != 0 ? 1 : 0;
}
