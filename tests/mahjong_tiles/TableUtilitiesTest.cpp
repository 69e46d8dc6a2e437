#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <numeric>
#include <vector>

#include "mahjong_tiles/IntArray.h"
#include "mahjong_tiles/Levels.h"
#include "mahjong_tiles/Random.h"
#include "mahjong_tiles/StringMap.h"
#include "mahjong_tiles/TableHelpers.h"

namespace {

// A scripted generator: a fixed clock, the seeds it was given, and draws
// taken from a list (then from a small linear congruential sequence).
struct FakeRandom {
    static inline uint32_t now = 0;
    static inline std::vector<uint32_t> seeds;
    static inline std::vector<int> script;
    static inline size_t next = 0;
    static inline uint32_t state = 1;
    static inline int draws = 0;

    static uint32_t Time() { return now; }
    static void Seed(uint32_t seed) {
        seeds.push_back(seed);
        state = seed;
    }
    static int Next() {
        ++draws;
        if (next < script.size()) {
            return script[next++];
        }
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) & 0x7fff);
    }
};

class RandomTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeRandom::now = 1000;
        FakeRandom::seeds.clear();
        FakeRandom::script.clear();
        FakeRandom::next = 0;
        FakeRandom::draws = 0;
        SetRandomSource({&FakeRandom::Time, &FakeRandom::Seed, &FakeRandom::Next});
    }
    void TearDown() override { RestoreDefaultRandomSource(); }
};

TEST_F(RandomTest, RangesGuardsAndSeeding) {
    FakeRandom::script = {17, 17, 4};
    EXPECT_EQ(RandomBelow(5), 2);
    EXPECT_EQ(RandomInRange(10, 12), 12);  // 17 % 3 + 10
    EXPECT_EQ(RandomInRange(-3, 3), 1);    // 4 % 7 - 3
    EXPECT_EQ(FakeRandom::seeds, (std::vector<uint32_t>{1000, 1000, 1000}));

    FakeRandom::draws = 0;
    FakeRandom::seeds.clear();
    EXPECT_EQ(RandomInRange(5, 5), 5);
    EXPECT_EQ(RandomInRange(5, 4), 5);
    EXPECT_EQ(RandomInRange(5, -100), 5);
    EXPECT_EQ(RandomBelow(0), 0);
    EXPECT_EQ(RandomBelow(-7), 0);
    EXPECT_EQ(FakeRandom::draws, 0);
    EXPECT_TRUE(FakeRandom::seeds.empty());
    const int wide = RandomInRange(INT_MIN, INT_MAX);  // no overflow on the widest range
    EXPECT_GE(wide, INT_MIN);
}

TEST_F(RandomTest, DiceDrawDieOneFirst) {
    FakeRandom::script = {7, 11};
    int die1 = 0;
    int die2 = 0;
    EXPECT_EQ(RollDice(die1, die2, 3), 1);
    EXPECT_EQ(die1, 2);
    EXPECT_EQ(die2, 6);
    EXPECT_EQ(FakeRandom::seeds, (std::vector<uint32_t>{1000 + 3000}));
}

bool IsPermutationOfFirst(const std::vector<int32_t>& values, int n) {
    std::vector<int32_t> sorted(values.begin(), values.begin() + n);
    std::sort(sorted.begin(), sorted.end());
    std::vector<int32_t> expected(n);
    std::iota(expected.begin(), expected.end(), 0);
    return sorted == expected;
}

TEST_F(RandomTest, ShuffleIsAPermutation) {
    std::vector<int32_t> wall;
    EXPECT_EQ(ShuffleIndices(wall, 108, 7), 1);
    ASSERT_EQ(wall.size(), 108u);
    EXPECT_TRUE(IsPermutationOfFirst(wall, 108));
    EXPECT_EQ(FakeRandom::seeds, (std::vector<uint32_t>{1000 + 7000}));

    std::vector<int32_t> one;
    ShuffleIndices(one, 1, 0);
    EXPECT_EQ(one, std::vector<int32_t>{0});
    std::vector<int32_t> none = {9};
    EXPECT_EQ(ShuffleIndices(none, 0, 0), 1);
    EXPECT_EQ(ShuffleIndices(none, -4, 0), 1);
    EXPECT_EQ(none, std::vector<int32_t>{9});

    // What the array held moves up behind the permutation.
    std::vector<int32_t> held = {100, 200};
    FakeRandom::script = {2, 2, 0, 1};
    ShuffleIndices(held, 3, 0);
    EXPECT_EQ(held, (std::vector<int32_t>{2, 0, 1, 100, 200}));
}

TEST_F(RandomTest, ABrokenGeneratorCannotHangTheShuffle) {
    SetRandomSource({nullptr, nullptr, [] { return 4; }});
    std::vector<int32_t> wall;
    ShuffleIndices(wall, 50, 0);
    ASSERT_EQ(wall.size(), 50u);
    EXPECT_EQ(wall[0], 4);
    EXPECT_TRUE(IsPermutationOfFirst(wall, 50));
}

TEST(RandomDefaultSource, ShuffleWithTheCLibrary) {
    std::vector<int32_t> wall;
    ShuffleIndices(wall, 136, 1);
    EXPECT_TRUE(IsPermutationOfFirst(wall, 136));
    const int value = RandomInRange(1, 6);
    EXPECT_TRUE(value >= 1 && value <= 6);
}

TEST(Levels, ThresholdsAtTheirBoundaries) {
    EXPECT_EQ(GetLevelIndex(9, 1), 0);
    EXPECT_EQ(GetLevelIndex(10, 1), 1);
    EXPECT_EQ(GetLevelIndex(86640, 1), 19);
    EXPECT_EQ(GetLevelIndex(100, 10), 1);
    EXPECT_EQ(GetLevelIndex(0, 1), 0);
    EXPECT_EQ(GetLevelIndex(-5, 1), 0);
    for (int level = 1; level < kLevelCount; ++level) {
        EXPECT_EQ(GetLevelIndex(kLevelThresholds[level], 1), level);
        EXPECT_EQ(GetLevelIndex(kLevelThresholds[level] - 1, 1), level - 1);
        EXPECT_EQ(GetLevelIndex(kLevelThresholds[level] * 3, 3), level);
    }
    // Thresholds times a large unit pass 32 bits: the product is taken wide.
    EXPECT_EQ(GetLevelIndex(2'000'000'000, 100'000), 14);
    EXPECT_EQ(GetLevelIndex(INT_MAX, 30'000), 18);
}

TEST(Levels, StakeArithmetic) {
    const std::vector<int32_t> stakes = {300, 500};
    EXPECT_EQ(GetBaseScoreUnit(stakes, 25, 2), 6);
    EXPECT_EQ(GetBaseScoreUnit(stakes, -1, 2), 2);  // truncation: -1 / 10 is 0
    EXPECT_EQ(GetBaseScoreUnit(std::vector<int32_t>{500, 300}, 0, 1), 4);  // first stake only
    EXPECT_EQ(GetBaseScoreUnit(std::vector<int32_t>{50, 900}, 0, 2), 1);   // raised to 100
    EXPECT_EQ(GetBaseScoreUnit(std::vector<int32_t>{-40}, 10, 1), 2);
    EXPECT_EQ(GetBaseScoreUnit(std::vector<int32_t>{1600}, 0, 5), 16);
    EXPECT_EQ(GetBaseScoreUnit(std::vector<int32_t>{}, 0, 3), 1);
    EXPECT_EQ(GetBaseScoreUnit(std::vector<int32_t>{INT_MAX}, INT_MAX, 1), INT_MAX);

    EXPECT_EQ(GetMinLevelValue(std::vector<int32_t>{650, 100}, 0, 2, 1), 5);
    EXPECT_EQ(GetMinLevelValue(std::vector<int32_t>{650, 100}, 0, 1, 1), 14);
    EXPECT_EQ(GetMinLevelValue(std::vector<int32_t>{86640}, 0, 9, 1), 190);
    EXPECT_EQ(GetMinLevelValue(std::vector<int32_t>{}, 0, 2, 1), 1);
}

TEST(WallTail, PlacesRunBackwardsInPairs) {
    int tail = 0;
    int met = -1;
    std::vector<int> places;
    for (int n = 0; n < 4; ++n) {
        places.push_back(GetWallTailPosition(20, -1, 108, tail, met));
        EXPECT_EQ(met, 0);
    }
    EXPECT_EQ(places, (std::vector<int>{18, 19, 16, 17}));
    EXPECT_EQ(tail, 4);

    tail = 0;
    EXPECT_EQ(GetWallTailPosition(1, -1, 108, tail, met), 107);
    // Meeting the marked place moves on by one, inside the wall.
    tail = 0;
    EXPECT_EQ(GetWallTailPosition(1, 107, 108, tail, met), 0);
    EXPECT_EQ(met, 1);
    EXPECT_EQ(tail, 2);
    // A tail count past the wall size still lands inside it.
    for (int t = 0; t < 400; ++t) {
        tail = t;
        const int place = GetWallTailPosition(3, -1, 108, tail, met);
        EXPECT_TRUE(place >= 0 && place < 108) << t;
    }
    tail = 5;
    EXPECT_EQ(GetWallTailPosition(3, -1, 0, tail, met), -1);
    EXPECT_EQ(tail, 5);
}

struct FakeTick {
    static inline uint32_t now = 0;
    static uint32_t Read() { return now; }
};

TEST(ElapsedTime, SecondsMinutesCapAndWrap) {
    SetTickSource(&FakeTick::Read);
    int seconds = -1;
    int minutes = -1;
    EXPECT_EQ(GetElapsedTime(0, seconds, minutes, 100), 0);
    EXPECT_EQ(seconds, 0);
    EXPECT_EQ(minutes, 0);

    FakeTick::now = 126'500;
    EXPECT_EQ(GetElapsedTime(1000, seconds, minutes, 60000), 1);
    EXPECT_EQ(seconds, 125);
    EXPECT_EQ(minutes, 2);
    EXPECT_EQ(GetElapsedTime(1000, seconds, minutes, 100), 1);
    EXPECT_EQ(seconds, 0);
    EXPECT_EQ(minutes, 0);

    FakeTick::now = 0x1000;  // the tick count wrapped since the start
    EXPECT_EQ(GetElapsedTime(0xFFFFF000u, seconds, minutes, 60000), 1);
    EXPECT_EQ(seconds, 8);
    RestoreDefaultTickSource();
}

TEST(IntArrays, EmptyArraysAndNegativeEntries) {
    const std::vector<int32_t> empty;
    EXPECT_EQ(AllHaveFlags(empty, 0x4), 1);
    EXPECT_EQ(AnyHasFlags(empty, 0x4), 0);
    EXPECT_EQ(AllDistinct(empty), 1);
    EXPECT_EQ(IsSubsetOf(std::vector<int32_t>{1}, empty), 1);
    EXPECT_EQ(SameSet(empty, empty), 1);

    const std::vector<int32_t> mixed = {3, -1, 7, -1, -5, 3};
    EXPECT_EQ(CountValidEntries(mixed), 3);
    EXPECT_EQ(SumArray(mixed), 6);
    EXPECT_EQ(SumArray(std::vector<int32_t>{INT_MAX, 1}), INT_MIN);  // wraps, no overflow
    EXPECT_EQ(AllDistinct(mixed), 0);
    EXPECT_EQ(AllDistinct(std::vector<int32_t>{-1, 4, -1, -5}), 1);
    EXPECT_EQ(ContainsValue(mixed, -1), 0);
    EXPECT_EQ(IsSubsetOf(mixed, std::vector<int32_t>{7, -1, 3}), 1);
    EXPECT_EQ(IsSubsetOf(mixed, std::vector<int32_t>{-5}), 0);  // never occurs
    EXPECT_EQ(SameSet(std::vector<int32_t>{1, 2, -1}, std::vector<int32_t>{2, -1, 1}), 1);
    EXPECT_EQ(SameSet(std::vector<int32_t>{1, 2}, std::vector<int32_t>{2, 1, 1}), 0);
    EXPECT_EQ(AllHaveFlag4(std::vector<int32_t>{0x4006, -1}), 1);  // -1 has every bit
    EXPECT_EQ(AnyHasFlags(std::vector<int32_t>{0x4004, 1}, 0x6), 0);
}

TEST(StringMaps, FoundAbsentAndCut) {
    IntStringMap map;
    map.SetAt(5, MakeMapStringRecord(1, "east"));
    map.SetAt(12, MakeMapStringRecord(2, "south"));  // same bucket as 5
    map.SetAt(-3, MakeMapStringRecord(3, std::string(40, 'x')));
    map.SetAt(5, MakeMapStringRecord(4, "west"));
    EXPECT_EQ(map.Size(), 3u);

    char text[32] = "untouched";
    EXPECT_EQ(LookupMapString(map, 99, text), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(LookupMapString(map, 5, text), 1);
    EXPECT_STREQ(text, "west");
    EXPECT_EQ(LookupMapString(map, 12, text), 1);
    EXPECT_STREQ(text, "south");
    EXPECT_EQ(LookupMapString(map, -3, text), 1);
    EXPECT_EQ(std::string(text), std::string(31, 'x'));
    char small[4];
    EXPECT_EQ(LookupMapString(map, 12, small), 1);
    EXPECT_STREQ(small, "sou");
}

}  // namespace
