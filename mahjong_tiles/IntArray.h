#pragma once
// Set operations on arrays of signed 32-bit values in which -1 marks an empty
// place. The length of each array is its span's size.

#include <cstdint>
#include <span>

void FillArrayWithInvalid(std::span<int32_t> array);
void FillFourMinusOne(std::span<int32_t, 4> array);
// Entries >= 0.
int CountValidEntries(std::span<const int32_t> array);
// The sum, wrapping like the 32-bit words it adds.
int SumArray(std::span<const int32_t> array);
// 1 when every entry has all bits of mask (1 for an empty array).
int AllHaveFlags(std::span<const int32_t> array, uint32_t mask);
// 1 when some entry has all bits of mask (0 for an empty array).
int AnyHasFlags(std::span<const int32_t> array, uint32_t mask);
int AllHaveFlag2(std::span<const int32_t> array);
int AllHaveFlag4(std::span<const int32_t> array);
int AllHaveFlag4000(std::span<const int32_t> array);
// 1 when no two entries other than -1 are equal.
int AllDistinct(std::span<const int32_t> array);
// 0 for a negative value; else 1 when it occurs.
int ContainsValue(std::span<const int32_t> array, int32_t value);
// 1 when every entry of b other than -1 occurs in a; any other negative entry
// of b never occurs.
int IsSubsetOf(std::span<const int32_t> a, std::span<const int32_t> b);
// Equal lengths and each a subset of the other.
int SameSet(std::span<const int32_t> a, std::span<const int32_t> b);
