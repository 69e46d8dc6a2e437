#include <gtest/gtest.h>

#include <vector>

#include "mahjong_tiles/WaitTests.h"
#include "mahjong_tiles/WildHuTest.h"
#include "tests/mahjong_tiles/TileTestSupport.h"

namespace {

using tiletest::CountsOf;
using tiletest::GroupWords;
using tiletest::IdOf;
using Words = std::vector<int32_t>;

constexpr RuleFlags kRegional = kRegionalRuleFlags;
constexpr HuPatternFlags kNoPatterns = kRegionalHuPatterns;
constexpr RuleFlags kWilds = kRuleWildTiles;
const int kWild = IdOf(15);  // every 15 is a joker when wilds are in play

using WaitTest = int (*)(const HandCounts&, int, int, int, RuleFlags, HuPatternFlags, HuResult&,
                         HuSituationFlags);

Words LastGroup(const HuResult& result) {
    return GroupWords(result, result.GroupCount());
}

TEST(HuGates, SituationsTheRulesForbid) {
    const HandCounts hand = CountsOf({2, 3, 4, 5, 6, 7, 17, 18, 19, 21, 21, 21, 25});
    const int tile = IdOf(25, 1);
    HuResult result;
    EXPECT_EQ(CheckHuWithWild(hand, tile, -1, -1, kRegional, kNoPatterns, result, 0), 8);
    EXPECT_EQ(CheckHuWithWild(hand, tile, -1, -1, kRegional | kRuleNoHuInSituation1, kNoPatterns,
                              result, kSituationRule200Applies),
              0);
    EXPECT_EQ(CheckHuPairWait(hand, tile, -1, -1, kRuleNoHuInSituation1, kNoPatterns, result,
                              kSituationRule200Applies),
              0);
    EXPECT_EQ(CheckHuWithWild(hand, tile, -1, -1, kRuleNoHuInSituation4, kNoPatterns, result,
                              kSituationRule400Applies),
              0);
    EXPECT_EQ(CheckHuWithWild(hand, tile, -1, -1, kRuleNoHuInSituation4, kNoPatterns, result,
                              kSituationRule200Applies),
              8);
    // No winning tile, or an invalid one, never completes a 13-tile hand.
    EXPECT_EQ(CheckHuWithWild(hand, -1, -1, -1, kRegional, kNoPatterns, result, 0), 0);
    EXPECT_EQ(CheckHuWithWild(hand, 200, -1, -1, kRegional, kNoPatterns, result, 0), 0);
    EXPECT_EQ(CheckHu(hand, 200, -1, -1, kRegional, kNoPatterns, result, 0, 0), 0);
}

TEST(HuGates, WildWinningTileInARestrictedSituation) {
    const HandCounts hand = CountsOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 21, 21, 23, 24});
    const int wildTile = IdOf(15, 1);
    HuResult result;
    EXPECT_EQ(CheckHuWithWild(hand, wildTile, kWild, -1, kWilds, kNoPatterns, result, 0), 8);
    EXPECT_EQ(CountWildSubstitutions(result), 1);
    EXPECT_EQ(CheckHuWithWild(hand, wildTile, kWild, -1, kWilds, kNoPatterns, result,
                              kSituationRule200Applies),
              0);
    EXPECT_EQ(CheckHuWithWild(hand, wildTile, kWild, -1, kWilds, kNoPatterns, result,
                              kSituationRule400Applies),
              0);
    // With wilds off the same tile is a plain 15, which completes nothing.
    EXPECT_EQ(CheckHuWithWild(hand, wildTile, kWild, -1, 0, kNoPatterns, result, 0), 0);
}

TEST(WaitTypes, WithoutWilds) {
    const struct {
        const char* name;
        HandCounts hand;
        int winning;
        WaitTest test;
        int32_t flag;
        Words group;
    } cases[] = {
        {"pair", CountsOf({2, 3, 4, 5, 6, 7, 17, 18, 19, 21, 21, 21, 25}), 25, &CheckHuPairWait,
         kWaitPair, Words{kGroupPair, 25, 25, 0, 0}},
        {"triplet", CountsOf({2, 3, 4, 5, 6, 7, 17, 18, 19, 25, 25, 21, 21}), 21,
         &CheckHuTripletWait, kWaitTriplet, Words{kGroupTriplet, 21, 21, 21, 0}},
        {"middle", CountsOf({1, 3, 5, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29}), 2, &CheckHuMiddleWait,
         kWaitMiddle, Words{kGroupRun, 1, 2, 3, 0}},
        {"edge low", CountsOf({1, 2, 5, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29}), 3, &CheckHuEdgeWait,
         kWaitEdge, Words{kGroupRun, 1, 2, 3, 0}},
        {"edge high", CountsOf({18, 19, 5, 5, 5, 1, 2, 3, 21, 22, 23, 29, 29}), 17,
         &CheckHuEdgeWait, kWaitEdge, Words{kGroupRun, 17, 18, 19, 0}},
        {"side top first", CountsOf({4, 5, 6, 7, 8, 15, 15, 15, 21, 22, 23, 29, 29}), 6,
         &CheckHuSideWait, kWaitSide, Words{kGroupRun, 4, 5, 6, 0}},
        {"side bottom", CountsOf({4, 5, 15, 15, 15, 17, 18, 19, 21, 22, 23, 29, 29}), 3,
         &CheckHuSideWait, kWaitSide, Words{kGroupRun, 3, 4, 5, 0}},
        {"side top on a 9", CountsOf({7, 8, 5, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29}), 9,
         &CheckHuSideWait, kWaitSide, Words{kGroupRun, 7, 8, 9, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int tile = IdOf(c.winning, c.hand[c.winning]);
        HuResult result;
        ASSERT_EQ(c.test(c.hand, tile, -1, -1, kRegional, kNoPatterns, result, 0), 8);
        EXPECT_EQ(result.words[HuResult::kWaitWord], c.flag);
        EXPECT_EQ(result.GroupCount(), 5);
        EXPECT_EQ(LastGroup(result), c.group);
        // CheckHu picks the same test, and only its flag.
        HuResult classified;
        ASSERT_EQ(CheckHu(c.hand, tile, -1, -1, kRegional, kNoPatterns, classified, 0, 0), 8);
        EXPECT_EQ(classified.words[HuResult::kWaitWord], c.flag);
        EXPECT_EQ(classified.words, result.words);
    }
}

TEST(WaitTypes, RolesATileCannotPlay) {
    HuResult result;
    const auto refuses = [&](std::initializer_list<int> hand, int winning, WaitTest test) {
        const HandCounts counts = CountsOf(hand);
        const int tile = IdOf(winning, counts[winning]);
        EXPECT_EQ(CheckHuWithWild(counts, tile, -1, -1, kRegional, kNoPatterns, result, 0), 8);
        return test(counts, tile, -1, -1, kRegional, kNoPatterns, result, 0) == 0;
    };
    // A 9 (or a 1) closing a run is never a middle wait, nor an edge wait.
    EXPECT_TRUE(refuses({7, 8, 5, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29}, 9, &CheckHuMiddleWait));
    EXPECT_TRUE(refuses({7, 8, 5, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29}, 9, &CheckHuEdgeWait));
    EXPECT_TRUE(refuses({2, 3, 5, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29}, 1, &CheckHuMiddleWait));
    // A 3 that opens 3-4-5 is a side wait, no edge wait.
    EXPECT_TRUE(refuses({4, 5, 15, 15, 15, 17, 18, 19, 21, 22, 23, 29, 29}, 3, &CheckHuEdgeWait));
    // The tile's kind is not held: no pair wait without jokers.
    EXPECT_TRUE(refuses({1, 3, 5, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29}, 2, &CheckHuPairWait));
    EXPECT_TRUE(refuses({1, 3, 5, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29}, 2, &CheckHuWildPairWait));

    // A hand that does not win answers 0 everywhere and CheckHu clears.
    const HandCounts loser = CountsOf({1, 4, 7, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29});
    result.words.fill(7);
    EXPECT_EQ(CheckHu(loser, IdOf(9), -1, -1, kRegional, kNoPatterns, result, 0, 0), 0);
    EXPECT_EQ(result.words, HuResult{}.words);
}

TEST(ForcedPatterns, EachNeedsItsBitAndMarksWordZero) {
    const struct {
        WaitTest test;
        HuPatternFlags bit;
        std::initializer_list<int> hand;
        int winning;
    } cases[] = {
        {&CheckHuSevenPairs, kPatternSevenPairs, {1, 1, 3, 3, 5, 5, 7, 7, 12, 12, 14, 14, 16}, 16},
        {&CheckHuThirteenApart,
         kPatternThirteenApart,
         {1, 4, 7, 11, 14, 17, 21, 24, 27, 31, 32, 33, 34},
         35},
        {&CheckHuSevenHonours,
         kPatternSevenHonours,
         {31, 32, 33, 34, 35, 36, 1, 1, 2, 2, 3, 3, 4},
         37},
        {&CheckHuAllHonours,
         kPatternAllHonours,
         {31, 31, 31, 32, 32, 33, 33, 34, 35, 35, 36, 36, 37},
         37},
        {&CheckHuAllTwoFiveEight,
         kPatternAllTwoFiveEight,
         {2, 2, 5, 5, 8, 12, 12, 15, 18, 22, 22, 25, 28},
         28},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bit);
        const HandCounts counts = CountsOf(c.hand);
        const int tile = IdOf(c.winning, counts[c.winning]);
        HuResult result;
        EXPECT_EQ(c.test(counts, tile, -1, -1, 0, 0, result, 0), 0);
        ASSERT_EQ(c.test(counts, tile, -1, -1, 0, c.bit, result, 0), 8);
        EXPECT_EQ(result.words[HuResult::kPatternWord], static_cast<int32_t>(c.bit));
    }
}

TEST(ForcedPatterns, RestrictionWordSkipsAllHonoursAndTwoFiveEight) {
    // The winning 25 plays no wait role, so only the forced test can win.
    const HandCounts hand = CountsOf({2, 2, 5, 5, 8, 8, 12, 12, 15, 15, 18, 18, 22});
    const int tile = IdOf(25);
    HuResult result;
    EXPECT_EQ(CheckHu(hand, tile, -1, -1, 0, kPatternAllTwoFiveEight, result, 0, 0), 8);
    EXPECT_EQ(result.words[HuResult::kPatternWord], static_cast<int32_t>(kPatternAllTwoFiveEight));
    EXPECT_EQ(result.words[HuResult::kWaitWord], 0);
    EXPECT_EQ(CheckHu(hand, tile, -1, -1, 0, kPatternAllTwoFiveEight, result, 0, 0x2), 8);
    EXPECT_EQ(CheckHu(hand, tile, -1, -1, 0, kPatternAllTwoFiveEight, result, 0, 0x1), 0);

    const HandCounts honours = CountsOf({31, 31, 31, 32, 32, 33, 33, 34, 34, 35, 35, 36, 36});
    EXPECT_EQ(CheckHu(honours, IdOf(37), -1, -1, 0, kPatternAllHonours, result, 0, 0x2), 0);
    EXPECT_EQ(CheckHu(honours, IdOf(37), -1, -1, 0, kPatternAllHonours, result, 0, 0x1), 8);
    EXPECT_EQ(result.words[HuResult::kPatternWord], static_cast<int32_t>(kPatternAllHonours));
}

TEST(WaitTypes, WithWildTiles) {
    // Jokers pay for missing tiles; a wild winning tile stands in for a held
    // kind on the player's own draw. 15 is the wild kind throughout.
    constexpr RuleFlags kOwnFace = kWilds | kRuleWildAsOwnFace;
    constexpr HuSituationFlags kDraw = kSituationOwnDraw;
    const int wildTile = IdOf(15, 2);
    const struct {
        const char* name;
        HandCounts hand;
        int tile;
        RuleFlags rule;
        HuSituationFlags situation;
        WaitTest test;
        int32_t flag;  // 0: no hu
        Words group;
        HuPatternFlags patterns = kNoPatterns;
        int wild1 = kWild;
    } cases[] = {
        {"pair joker", CountsOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 21, 21, 21, 15}), IdOf(25), kWilds, 0,
         &CheckHuPairWait, kWaitPair, Words{kGroupPair, 25, -15, 0, 0}},
        {"pair joker gated",
         CountsOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 21, 21, 21, 15}),
         IdOf(25),
         kWilds | kRuleJokerPairOwnDrawOnly,
         0,
         &CheckHuPairWait,
         0,
         {}},
        {"pair joker barred in 0x4",
         CountsOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 21, 21, 21, 15}),
         IdOf(25),
         kWilds | kRuleNoJokerPairInSituation4,
         kSituationRule400Applies,
         &CheckHuPairWait,
         0,
         {}},
        {"wild pair", CountsOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 21, 21, 21, 15}), IdOf(25), kWilds, 0,
         &CheckHuWildPairWait, kWaitWildPair, Words{kGroupPair, 25, -15, 0, 0}},
        {"pair stand-in not drawn",
         CountsOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 21, 21, 21, 25}),
         wildTile,
         kWilds,
         0,
         &CheckHuPairWait,
         0,
         {}},
        {"pair stand-in", CountsOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 21, 21, 21, 25}), wildTile, kWilds,
         kDraw, &CheckHuPairWait, kWaitPair, Words{kGroupPair, 25, -15, 0, 0}},
        {"pair own face needs a 15",
         CountsOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 21, 21, 21, 25}),
         wildTile,
         kOwnFace,
         0,
         &CheckHuPairWait,
         0,
         {}},
        {"triplet one joker", CountsOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 25, 25, 21, 15}), IdOf(21, 1),
         kWilds, 0, &CheckHuTripletWait, kWaitTriplet, Words{kGroupTriplet, 21, 21, -15, 0}},
        {"triplet two jokers gated",
         CountsOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 25, 25, 15, 15}),
         IdOf(21),
         kWilds | kRuleTwoJokerTripletOwnDrawOnly,
         0,
         &CheckHuTripletWait,
         0,
         {}},
        {"triplet two jokers drawn", CountsOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 25, 25, 15, 15}),
         IdOf(21), kWilds | kRuleTwoJokerTripletOwnDrawOnly, kDraw, &CheckHuTripletWait,
         kWaitTriplet, Words{kGroupTriplet, 21, -15, -15, 0}},
        {"middle joker", CountsOf({1, 15, 5, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29}), IdOf(2),
         kWilds, 0, &CheckHuMiddleWait, kWaitMiddle, Words{kGroupRun, 1, 2, -15, 0}},
        {"middle joker gated",
         CountsOf({1, 15, 5, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29}),
         IdOf(2),
         kWilds | kRuleJokerMiddleOwnDrawOnly,
         0,
         &CheckHuMiddleWait,
         0,
         {}},
        {"middle stand-in", CountsOf({1, 3, 5, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29}), wildTile,
         kWilds, kDraw, &CheckHuMiddleWait, kWaitMiddle, Words{kGroupRun, 1, -15, 3, 0}},
        {"edge has no joker",
         CountsOf({1, 15, 5, 5, 5, 17, 18, 19, 21, 22, 23, 29, 29}),
         IdOf(3),
         kWilds,
         0,
         &CheckHuEdgeWait,
         0,
         {}},
        {"edge stand-in", CountsOf({8, 9, 1, 1, 1, 17, 18, 19, 21, 22, 23, 29, 29}), wildTile,
         kWilds, kDraw, &CheckHuEdgeWait, kWaitEdge, Words{kGroupRun, -15, 8, 9, 0}},
        {"side joker", CountsOf({4, 15, 1, 1, 1, 17, 18, 19, 21, 22, 23, 29, 29}), IdOf(6), kWilds,
         0, &CheckHuSideWait, kWaitSide, Words{kGroupRun, 4, -15, 6, 0}},
        {"side stand-in", CountsOf({6, 7, 1, 1, 1, 17, 18, 19, 21, 22, 23, 29, 29}), wildTile,
         kWilds, kDraw, &CheckHuSideWait, kWaitSide, Words{kGroupRun, 6, 7, -15, 0}},
        {"honour side", CountsOf({31, 32, 1, 1, 1, 17, 18, 19, 21, 22, 23, 29, 29}), IdOf(34),
         kRuleHonourRuns, 0, &CheckHuSideWait, kWaitSide, Words{kGroupRun, 31, 32, 34, 0}},
        {"honour side joker", CountsOf({31, 15, 1, 1, 1, 17, 18, 19, 21, 22, 23, 29, 29}), IdOf(34),
         kWilds | kRuleHonourRuns, 0, &CheckHuSideWait, kWaitSide,
         Words{kGroupRun, 31, 34, -15, 0}},
        // With rule 0x4 the substitute kind (37) plays the wild's face, an east.
        {"honour side as the wild's face",
         CountsOf({32, 33, 1, 1, 1, 17, 18, 19, 21, 22, 23, 29, 29}), IdOf(37),
         kWilds | kRuleWildFaceSubstitute | kRuleHonourRuns, 0, &CheckHuSideWait, kWaitSide,
         Words{kGroupRun, 31, 32, 33, 0}, kNoPatterns, IdOf(31)},
        {"seven pairs joker", CountsOf({1, 1, 3, 3, 5, 5, 7, 7, 12, 12, 14, 14, 15}), IdOf(16),
         kWilds, 0, &CheckHuSevenPairs, 0, Words{kGroupPair, 16, -15, 0, 0}, kPatternSevenPairs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HuResult result;
        const bool wins = c.flag != 0 || !c.group.empty();
        ASSERT_EQ(c.test(c.hand, c.tile, c.wild1, -1, c.rule, c.patterns, result, c.situation),
                  wins ? 8 : 0);
        if (wins) {
            EXPECT_EQ(result.words[HuResult::kWaitWord], c.flag);
            EXPECT_EQ(LastGroup(result), c.group);
        }
    }
}

}  // namespace
