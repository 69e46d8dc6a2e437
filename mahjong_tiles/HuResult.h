#pragma once
// The record a hu test fills for one seat: 129 signed words.
//
// Layout: word 0 pattern flags, word 1 wait flags, words 2..3 flag words of
// the scoring rules, words 4..67 their counters, word 68 the group count
// (0..8), and group k (1..8) at words 62 + 7k .. 68 + 7k: kind, four entries,
// two words left 0. An entry above 0 is a tile index, -x a joker of wild kind
// x standing in that place, 0 an empty place.
//
// Rules kept: the group count never passes 8; an append that would make a
// ninth group is refused and changes nothing.

#include <array>
#include <cstdint>

struct HuGroup {
    int32_t kind = 0;
    std::array<int32_t, 4> entries{};
};

struct HuResult {
    static constexpr int kWords = 129;
    static constexpr int kPatternWord = 0;
    static constexpr int kWaitWord = 1;
    static constexpr int kGroupCountWord = 68;
    static constexpr int kMaxGroups = 8;
    static constexpr int kGroupWords = 7;

    std::array<int32_t, kWords> words{};

    void Clear() { words.fill(0); }
    // The group count, read as 0..8 whatever the word holds.
    int GroupCount() const;
    // Group k, 1..GroupCount(); an empty group for any other k.
    HuGroup GetGroup(int k) const;
    // Appends a group; false (and nothing written) when 8 are held.
    bool AppendGroup(int32_t kind, int32_t e1, int32_t e2, int32_t e3, int32_t e4);
    // Drops the groups after the first count ones.
    void TruncateGroups(int count);
};

// Group kinds.
inline constexpr int32_t kGroupRun = 1;
inline constexpr int32_t kGroupTriplet = 2;
inline constexpr int32_t kGroupPair = 4;
inline constexpr int32_t kGroupFour = 8;
inline constexpr int32_t kGroupThirteenApart = 0x20;
inline constexpr int32_t kGroupSevenHonours = 0x40;
inline constexpr int32_t kGroupAllHonours = 0x80;
inline constexpr int32_t kGroupAllTwoFiveEight = 0x100;

// Wait flags (word 1).
inline constexpr int32_t kWaitWildPair = 0x1;
inline constexpr int32_t kWaitPair = 0x10;
inline constexpr int32_t kWaitTriplet = 0x20;
inline constexpr int32_t kWaitMiddle = 0x40;
inline constexpr int32_t kWaitEdge = 0x80;
inline constexpr int32_t kWaitSide = 0x100;

// Appends a group of the kind starting at the first index, spending used1 +
// used2 joker entries (charged with TakeWildFromSmallerPile). For runs, the
// wild position (0..2) says where the joker stands and the gap code which
// index is skipped (1: i, i+2, i+3; 2: i, i+1, i+3). A combination outside
// the known shapes appends the kind with no entries. Returns the new group
// count, 0 when the result is full.
int AddHuGroup(HuResult& result, int kind, int first, int used1, int used2, int wildIndex1,
               int wildIndex2, int wildPosition, int gap);
// A pair (kind 4) or triplet (kind 2) made of jokers only. Returns the new
// group count, 0 when the result is full.
int AddWildOnlyGroup(HuResult& result, int kind, int used1, int used2, int wildIndex1,
                     int wildIndex2);
// Appends the entries as given; 1, or 0 when the result is full.
int AddHuGroupRaw(HuResult& result, int kind, int e1, int e2, int e3, int e4);

int CountKongGroups(const HuResult& result);
// Number of negative entries among the entries of all groups.
int CountWildSubstitutions(const HuResult& result);
// ORs words 0..3 and adds words 4..67 of one result into another.
void MergeHuScores(HuResult& into, const HuResult& from);
