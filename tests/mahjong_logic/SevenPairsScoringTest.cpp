#include <gtest/gtest.h>

#include "mahjong_tiles/TileEncoding.h"
#include "mahjong_tiles/WaitTests.h"
#include "mahjong_tiles/WildHuTest.h"

namespace {

TEST(SevenPairsScoring, IsTheSevenPairsTestForcedOnTheHandPlusTheTile) {
    HandCounts counts{};
    for (const int index : {1, 3, 5, 7, 12, 14}) {
        counts[index] = 2;
    }
    counts[16] = 1;
    HuResult result;
    const int tile17 = 42;
    ASSERT_EQ(GetCardIndex(tile17), 17);
    EXPECT_EQ(ScoreSevenPairsWithWild(counts, tile17, -1, -1, kRegionalRuleFlags, result), 0);
    EXPECT_EQ(result.GroupCount(), 0);

    const int tile = 41;
    ASSERT_EQ(GetCardIndex(tile), 16);
    EXPECT_EQ(ScoreSevenPairsWithWild(counts, tile, -1, -1, kRegionalRuleFlags, result), 8);
    EXPECT_NE(result.words[HuResult::kPatternWord] & 0x10, 0);
    EXPECT_EQ(result.GroupCount(), 7);

    // Two fours count as pairs of pairs.
    HandCounts fours{};
    fours[2] = 4;
    fours[5] = 4;
    fours[8] = 2;
    fours[13] = 2;
    fours[25] = 1;
    EXPECT_EQ(ScoreSevenPairsWithWild(fours, 72 + 4, -1, -1, kRegionalRuleFlags, result), 8);

    // A standard winning hand is not seven pairs, whatever the rules allow.
    HandCounts standard{};
    for (const int index : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13}) {
        standard[index] = 1;
    }
    standard[15] = 1;
    EXPECT_EQ(CheckHuWithWild(standard, 36 + 4, -1, -1, kRegionalRuleFlags, kRegionalHuPatterns,
                              result, 0),
              8);
    EXPECT_EQ(ScoreSevenPairsWithWild(standard, 36 + 4, -1, -1, kRegionalRuleFlags, result), 0);
    EXPECT_EQ(result.GroupCount(), 0);
}

}  // namespace
