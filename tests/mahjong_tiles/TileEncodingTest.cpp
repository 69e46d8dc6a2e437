#include <gtest/gtest.h>

#include "mahjong_tiles/TileEncoding.h"
#include "mahjong_tiles/TileFunctionTable.h"
#include "tests/mahjong_tiles/TileTestSupport.h"

namespace {

using tiletest::IdOf;

TEST(TileEncoding, RangeEdgesAndInvalidIds) {
    const struct {
        int id, suit, value, index;
    } cases[] = {
        {35, 0, 9, 9},   {36, 1, 1, 11},   {107, 2, 9, 29},   {108, 3, 1, 31},  {135, 3, 7, 37},
        {136, 4, 1, 41}, {151, 4, 16, 56}, {152, -1, 0, -10}, {-1, -1, 0, -10},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetCardShape(c.id), c.suit) << c.id;
        EXPECT_EQ(GetCardValue(c.id), c.value) << c.id;
        EXPECT_EQ(GetCardIndex(c.id, 0), c.index) << c.id;
    }
}

TEST(TileEncoding, EveryIdThroughTheSixSlots) {
    int perKind[kHandKinds] = {};
    for (int id = 0; id <= 151; ++id) {
        const int index = GetCardIndex(id, 0);
        ASSERT_TRUE(index >= 1 && index < kHandKinds) << id;
        ++perKind[index];
        EXPECT_EQ(IsFlowerCard(id, -1, -1, 0), id >= 136 ? 1 : 0) << id;
        EXPECT_EQ(IsHonourIndex(index), id >= 108 && id < 136 ? 1 : 0) << id;
        EXPECT_EQ(IsWildCard(id, IdOf(5), -1, kRuleWildTiles), index == 5 ? 1 : 0) << id;
        EXPECT_EQ(IsWildFaceCard(id, IdOf(5), -1, 0), index == 37 ? 37 : 0) << id;
    }
    for (int index = 0; index < kHandKinds; ++index) {
        const bool fourCopies = (index < 30 && index % 10 != 0) || (index >= 31 && index <= 37);
        EXPECT_EQ(perKind[index], fourCopies ? 4 : index >= 41 && index <= 56 ? 1 : 0) << index;
    }
    EXPECT_EQ(FindCardIdByIndex(37, 0), 114);
    EXPECT_EQ(FindCardIdByIndex(10, 0), -1);
    EXPECT_EQ(FindCardIdByIndex(-10, 0), 152);  // the search runs past the last tile
    EXPECT_EQ(IsFlowerIndex(39), 0);
    EXPECT_EQ(IsFlowerIndex(40), 1);
    EXPECT_EQ(IsTwoFiveEight(28), 1);
    EXPECT_EQ(IsTwoFiveEight(32), 0);  // an honour value of 2 does not count
    EXPECT_EQ(CountCardSuits(std::vector<int32_t>{0, 40, 41, 110, -1, 200}), 3);
}

TEST(TileEncoding, WildTilesNeedTheirRuleAndWildOne) {
    for (int index = 0; index < kHandKinds; ++index) {
        EXPECT_EQ(IsWildCardIndex(index, IdOf(5), IdOf(31), 0), 0);
    }
    EXPECT_EQ(IsWildCardIndex(31, IdOf(5), IdOf(31), kRuleWildTiles), 1);
    EXPECT_EQ(IsWildCard(-1, IdOf(5), -1, kRuleWildTiles), 0);
    // Wild 1 unset answers 0 even with wild 2 set, yet wild 2 alone is counted.
    EXPECT_EQ(IsWildCardIndex(31, -1, IdOf(31), kRuleWildTiles), 0);
    int index1 = 99;
    int index2 = 99;
    EXPECT_EQ(GetWildIndices(-1, IdOf(31), kRuleWildTiles, index1, index2), 1);
    EXPECT_EQ(index1, 0);
    EXPECT_EQ(index2, 31);
}

int SuitAlwaysZero(int, RuleFlags) {
    return 0;
}

class TileFunctionTableTest : public ::testing::Test {
protected:
    void TearDown() override { RestoreDefaultTileFunctions(); }
};

TEST_F(TileFunctionTableTest, RegionalInstallLeavesNoFlowers) {
    // The table-logic constructor's order: hooks 4, 5, 0, 1, 3, 2.
    SetSuitFunction(&GetCardShape);
    SetValueFunction(&GetCardValue);
    SetFlowerTestFunction(&RegionalIsFlowerIndex);
    SetHonourTestFunction(&IsHonourIndex);
    SetSubstituteIndexFunction(&GetSubstituteIndex);
    SetWildTestFunction(&IsWildCardIndex);
    const TileFunctionTable& table = TileFunctions();
    EXPECT_EQ(table.flowerTest, &RegionalIsFlowerIndex);
    EXPECT_TRUE(table.honourTest == &IsHonourIndex && table.wildTest == &IsWildCardIndex &&
                table.substituteIndex == &GetSubstituteIndex && table.suit == &GetCardShape &&
                table.value == &GetCardValue);
    for (int id = -1; id <= 152; ++id) {
        EXPECT_EQ(IsFlowerCard(id, IdOf(5), -1, kRegionalRuleFlags), 0) << id;
    }
    EXPECT_EQ(IsFlowerCard(IdOf(5, 1), IdOf(5), -1, kRuleWildTiles), 1);  // the wild test
}

TEST_F(TileFunctionTableTest, SlotsAreNeverEmptyOrSelfReferring) {
    InstallTileFunctions(
        {nullptr, nullptr, &RegionalIsFlowerIndex, nullptr, &SuitAlwaysZero, nullptr});
    EXPECT_EQ(TileFunctions().flowerTest, &IsFlowerIndex);
    EXPECT_EQ(TileFunctions().wildTest, &IsWildCardIndex);
    EXPECT_EQ(GetCardIndex(110, 0), 3);  // a replaced suit slot changes every index
    RestoreDefaultTileFunctions();
    EXPECT_EQ(GetCardIndex(110, 0), 33);
}

}  // namespace
