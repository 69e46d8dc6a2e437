#include <gtest/gtest.h>

#include <vector>

#include "mahjong_tiles/HuTest.h"
#include "mahjong_tiles/WildPiles.h"
#include "tests/mahjong_tiles/TileTestSupport.h"

namespace {

using tiletest::CountsOf;
using tiletest::GroupWords;
using tiletest::IdOf;
using Words = std::vector<int32_t>;

constexpr RuleFlags kPlain = 0;
constexpr HuPatternFlags kAllPatterns = kPatternSevenPairs | kPatternThirteenApart |
                                        kPatternSevenHonours | kPatternAllHonours |
                                        kPatternAllTwoFiveEight;

int Standard(const HandCounts& counts, HuResult& result, int w1 = 0, int w2 = 0, int wildTile1 = -1,
             int wildTile2 = -1, RuleFlags rule = kPlain, HuPatternFlags patterns = 0,
             HuSituationFlags situation = 0) {
    return CheckStandardHu(counts, w1, w2, wildTile1, wildTile2, 0, rule, patterns, result,
                           situation);
}

TEST(StandardHu, GroupsAreRecordedAsTheSearchReturns) {
    const HandCounts counts = CountsOf({1, 1, 1, 2, 3, 4, 5, 6, 7, 7, 8, 9, 15, 15});
    HuResult result;
    ASSERT_EQ(Standard(counts, result), 8);
    ASSERT_EQ(result.GroupCount(), 5);
    EXPECT_EQ(GroupWords(result, 1), (Words{kGroupPair, 15, 15, 0, 0}));
    EXPECT_EQ(GroupWords(result, 2), (Words{kGroupRun, 7, 8, 9, 0}));
    EXPECT_EQ(GroupWords(result, 3), (Words{kGroupRun, 5, 6, 7, 0}));
    EXPECT_EQ(GroupWords(result, 4), (Words{kGroupRun, 2, 3, 4, 0}));
    EXPECT_EQ(GroupWords(result, 5), (Words{kGroupTriplet, 1, 1, 1, 0}));
    // The raw layout: count at word 68, group 1 from word 69, two spare words.
    EXPECT_EQ(result.words[68], 5);
    EXPECT_EQ(result.words[69], kGroupPair);
    EXPECT_EQ(result.words[97], kGroupTriplet);  // group 5 at words 97..103
}

TEST(StandardHu, FoursAreGroupsFirstAndTripletsPlusOneAfter) {
    HuResult result;
    // Two fours and two runs: no pair is needed.
    ASSERT_EQ(Standard(CountsOf({1, 1, 1, 1, 2, 2, 2, 2, 3, 4, 5, 6, 7, 8}), result), 8);
    EXPECT_EQ(CountKongGroups(result), 2);
    EXPECT_EQ(GroupWords(result, result.GroupCount()), (Words{kGroupFour, 1, 1, 1, 1}));
    // A four that does not fit as one group splits into a triplet and a run.
    ASSERT_EQ(Standard(CountsOf({1, 1, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9}), result), 8);
    EXPECT_EQ(CountKongGroups(result), 0);
    EXPECT_EQ(GroupWords(result, result.GroupCount()), (Words{kGroupTriplet, 1, 1, 1, 0}));
    EXPECT_EQ(GroupWords(result, result.GroupCount() - 1), (Words{kGroupRun, 1, 2, 3, 0}));
}

TEST(StandardHu, RunsWithJokersAndTheirLimits) {
    HuResult result;
    const int wildEast = IdOf(31);  // jokers recorded as -31
    // 8-9 and a joker make the run 8, 9, W.
    ASSERT_EQ(Standard(CountsOf({8, 9, 15, 15}), result, 1, 0, wildEast), 8);
    EXPECT_EQ(GroupWords(result, 2), (Words{kGroupRun, 8, 9, -31, 0}));
    // 3-(gap)-5 and a joker: the joker fills the middle.
    ASSERT_EQ(Standard(CountsOf({3, 5, 15, 15}), result, 1, 0, wildEast), 8);
    EXPECT_EQ(GroupWords(result, 2), (Words{kGroupRun, 3, -31, 5, 0}));

    int w1 = 0;
    int w2 = 0;
    HandCounts counts = CountsOf({9, 11, 12});  // 9 never starts a run
    EXPECT_EQ(DecomposeHand(counts, w1, w2, 0, 0, 0, kPlain, 0, result, 1), 0);
    w1 = 1;
    counts = CountsOf({8});  // 8-(gap)-W is no run
    result.Clear();
    EXPECT_EQ(DecomposeHand(counts, w1, w2, 31, 0, 0, kPlain, 0, result, 1), 0);
    EXPECT_EQ(counts, CountsOf({8}));  // counts and piles come back unchanged
    EXPECT_EQ(w1, 1);
    w1 = 2;
    ASSERT_EQ(DecomposeHand(counts, w1, w2, 31, 0, 0, kPlain, 0, result, 1), 8);
    EXPECT_EQ(GroupWords(result, 1), (Words{kGroupTriplet, 8, -31, -31, 0}));
    // Nothing left and no joker: success whether or not a pair was taken.
    HandCounts empty{};
    w1 = 0;
    result.Clear();
    EXPECT_EQ(DecomposeHand(empty, w1, w2, 0, 0, 0, kPlain, 0, result, 0), 8);
    EXPECT_EQ(DecomposeHand(empty, w1, w2, 0, 0, 0, kPlain, 0, result, 1), 8);
    EXPECT_EQ(result.GroupCount(), 0);
}

TEST(StandardHu, HonourRunsNeedTheirRule) {
    const HandCounts counts = CountsOf({31, 32, 34, 35, 36, 37, 1, 1});
    HuResult result;
    EXPECT_EQ(Standard(counts, result), 0);
    ASSERT_EQ(Standard(counts, result, 0, 0, -1, -1, kRuleHonourRuns), 8);
    EXPECT_EQ(GroupWords(result, 1), (Words{kGroupRun, 35, 36, 37, 0}));
    EXPECT_EQ(GroupWords(result, 2), (Words{kGroupRun, 31, 32, 34, 0}));
    // With one joker: 33-34-W writes the joker first.
    ASSERT_EQ(Standard(CountsOf({33, 34, 1, 1}), result, 1, 0, IdOf(5), -1, kRuleHonourRuns), 8);
    EXPECT_EQ(GroupWords(result, 1), (Words{kGroupRun, -5, 33, 34, 0}));
    EXPECT_EQ(GroupWords(result, 2), (Words{kGroupPair, 1, 1, 0, 0}));
}

TEST(StandardHu, JokersSpendFromTheSmallerPile) {
    int saved1 = 0;
    int saved2 = 0;
    int w1 = 2;
    int w2 = 1;
    EXPECT_EQ(UseWildCards(saved1, saved2, w1, w2, 2), 2);
    EXPECT_EQ(w1, 1);
    EXPECT_EQ(w2, 0);
    EXPECT_EQ(UseWildCards(saved1, saved2, w1, w2, 5), 1);  // runs dry

    // A triplet of one tile and a joker of each kind: the tie charges kind 1.
    HuResult result;
    ASSERT_EQ(Standard(CountsOf({7, 15, 15}), result, 1, 1, IdOf(31), IdOf(32)), 8);
    EXPECT_EQ(GroupWords(result, 2), (Words{kGroupTriplet, 7, -31, -32, 0}));
    result.Clear();
    AddWildOnlyGroup(result, kGroupTriplet, 2, 1, 31, 32);
    EXPECT_EQ(GroupWords(result, 1), (Words{kGroupTriplet, -32, -31, -31, 0}));
}

TEST(StandardHu, FlowersAndBrokenCountsNeverWin) {
    HuResult result;
    EXPECT_EQ(Standard(CountsOf({1, 2, 3, 41, 41}), result), 0);
    HandCounts counts = CountsOf({1, 2, 3, 5, 5});
    counts[9] = -3;
    EXPECT_EQ(Standard(counts, result), 0);
    // Far more tiles than eight groups hold is refused at once.
    counts = HandCounts{};
    counts[1] = 1'000'000'000;
    EXPECT_EQ(Standard(counts, result), 0);
    EXPECT_EQ(Standard(HandCounts{}, result, 2'000'000'000, 0, IdOf(31)), 0);
    EXPECT_EQ(result.GroupCount(), 0);
}

TEST(StandardHu, JokersAloneStayWithinEightGroups) {
    HuResult result;
    ASSERT_EQ(Standard(HandCounts{}, result, 24, 0, IdOf(31)), 8);  // eight triplets
    EXPECT_EQ(result.GroupCount(), 8);
    EXPECT_EQ(GroupWords(result, 8), (Words{kGroupTriplet, -31, -31, -31, 0}));
    EXPECT_EQ(Standard(HandCounts{}, result, 26, 0, IdOf(31)), 0);  // would need a ninth
    EXPECT_EQ(Standard(HandCounts{}, result, 27, 0, IdOf(31)), 0);
    EXPECT_EQ(result.GroupCount(), 0);
    EXPECT_EQ(result.words[125], 0);
}

TEST(StandardHu, SevenPairs) {
    HuResult result;
    const HandCounts pairs = CountsOf({1, 1, 1, 1, 3, 3, 5, 5, 12, 12, 14, 14, 29, 29});
    EXPECT_EQ(Standard(pairs, result), 0);
    ASSERT_EQ(Standard(pairs, result, 0, 0, -1, -1, kPlain, kPatternSevenPairs), 8);
    ASSERT_EQ(result.GroupCount(), 6);
    EXPECT_EQ(GroupWords(result, 1), (Words{kGroupFour, 1, 1, 1, 1}));
    EXPECT_EQ(GroupWords(result, 2), (Words{kGroupPair, 3, 3, 0, 0}));
    // Singles and threes take one joker each; twelve tiles are enough.
    ASSERT_EQ(Standard(CountsOf({1, 3, 3, 3, 5, 5, 7, 7, 9, 9, 11, 11}), result, 2, 0, IdOf(31), -1,
                       kPlain, kPatternSevenPairs),
              8);
    EXPECT_EQ(GroupWords(result, 1), (Words{kGroupPair, 1, -31, 0, 0}));
    EXPECT_EQ(GroupWords(result, 2), (Words{kGroupFour, 3, 3, 3, -31}));
    EXPECT_EQ(Standard(CountsOf({1, 3, 3, 3, 5, 5, 7, 7, 9, 9, 11, 11, 13, 13}), result, 1, 0,
                       IdOf(31), -1, kPlain, kPatternSevenPairs),
              0);
}

TEST(StandardHu, SpecialPatternsNeedTheirBits) {
    const struct {
        HuPatternFlags bit;
        int32_t kind;
        HandCounts hand;
    } cases[] = {
        {kPatternThirteenApart, kGroupThirteenApart,
         CountsOf({1, 4, 7, 11, 14, 17, 21, 24, 27, 31, 32, 33, 34, 35})},
        {kPatternSevenHonours, kGroupSevenHonours,
         CountsOf({31, 32, 33, 34, 35, 36, 37, 1, 1, 2, 2, 3, 3, 4})},
        {kPatternAllHonours, kGroupAllHonours,
         CountsOf({31, 31, 31, 32, 32, 33, 33, 34, 35, 35, 36, 36, 37, 37})},
        {kPatternAllTwoFiveEight, kGroupAllTwoFiveEight,
         CountsOf({2, 2, 5, 5, 8, 12, 12, 15, 18, 22, 22, 25, 28, 28})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        HuResult result;
        EXPECT_EQ(Standard(c.hand, result), 0);
        EXPECT_EQ(Standard(c.hand, result, 0, 0, -1, -1, kPlain, kAllPatterns & ~c.bit, c.bit), 0);
        EXPECT_EQ(Standard(c.hand, result, 0, 0, -1, -1, kPlain, kAllPatterns, c.bit), 8);
        EXPECT_EQ(Standard(c.hand, result, 0, 0, -1, -1, kPlain, c.bit), 8);
        ASSERT_EQ(result.GroupCount(), 1);
        EXPECT_EQ(GroupWords(result, 1), (Words{c.kind, 0, 0, 0, 0}));
        // Forcing the pattern refuses it without its bit, even for a hand
        // that would decompose.
        EXPECT_EQ(Standard(CountsOf({1, 1, 1, 2, 3, 4, 5, 5}), result, 0, 0, -1, -1, kPlain,
                           kAllPatterns & ~c.bit, c.bit),
                  0);
    }
    HuResult result;
    // Seven honours may be filled with jokers unless 0x400000 forbids it.
    const HandCounts sixHonours = CountsOf({31, 32, 33, 34, 35, 36, 1, 1, 1, 1, 1, 1, 1});
    EXPECT_EQ(Standard(sixHonours, result, 1, 0, IdOf(5), -1, kPlain, kPatternSevenHonours), 8);
    EXPECT_EQ(Standard(sixHonours, result, 1, 0, IdOf(5), -1, kRuleSevenHonoursWithoutWild,
                       kPatternSevenHonours),
              0);
    // With rule 0x4 a single tile of wild kind 1 may play the substitute
    // kind (37) on a second try.
    EXPECT_EQ(Standard(CountsOf({31, 32, 33, 34, 35, 36, 5, 1, 1, 1, 1, 1, 1, 1}), result, 0, 0,
                       IdOf(5), -1, kRuleWildFaceSubstitute, kPatternSevenHonours),
              8);
    EXPECT_EQ(Standard(CountsOf({31, 32, 33, 34, 35, 36, 5, 1, 1, 1, 1, 1, 1, 1}), result, 0, 0,
                       IdOf(5), -1, kPlain, kPatternSevenHonours),
              0);
}

TEST(HuResultRecord, AppendingStopsAtEightGroups) {
    HuResult result;
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(AddHuGroup(result, kGroupPair, k, 0, 0, 0, 0, 0, 0), k);
    }
    const HuResult full = result;
    EXPECT_EQ(AddHuGroup(result, kGroupPair, 9, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(AddWildOnlyGroup(result, kGroupTriplet, 3, 0, 31, 0), 0);
    EXPECT_EQ(AddHuGroupRaw(result, kGroupRun, 1, 2, 3, 0), 0);
    EXPECT_EQ(result.words, full.words);
    result.words[68] = 1000;  // a corrupt count reads as full, never past the record
    EXPECT_EQ(result.GroupCount(), 8);
    EXPECT_EQ(AddHuGroupRaw(result, kGroupRun, 1, 2, 3, 0), 0);
    EXPECT_EQ(result.GetGroup(9).kind, 0);
}

TEST(HuResultRecord, ShapesTheSearchDoesNotReach) {
    const struct {
        int kind, first, used1, position, gap;
        Words words;
    } cases[] = {
        {kGroupRun, 31, 0, 0, 1, {kGroupRun, 31, 33, 34, 0}},
        {kGroupRun, 31, 1, 1, 2, {kGroupRun, 31, -31, 34, 0}},
        {kGroupRun, 4, 2, 1, 0, {kGroupRun, 0, 0, 0, 0}},  // two jokers: no run shape
    };
    for (const auto& c : cases) {
        HuResult result;
        AddHuGroup(result, c.kind, c.first, c.used1, 0, 31, 32, c.position, c.gap);
        EXPECT_EQ(GroupWords(result, 1), c.words) << c.first << " " << c.gap;
    }
}

TEST(HuResultRecord, JokerGroupsReadAsFaces) {
    HuResult result;
    AddHuGroupRaw(result, kGroupRun, 2, -3, 4, 0);
    AddHuGroupRaw(result, kGroupTriplet, 7, 7, 7, 0);
    EXPECT_EQ(CheckWildGroupsAsFaces(result, -1, -1, kPlain), 1);
    AddHuGroupRaw(result, kGroupPair, 5, -6, 0, 0);
    EXPECT_EQ(CheckWildGroupsAsFaces(result, -1, -1, kPlain), 0);
    EXPECT_EQ(CheckGroupAsFaces(HuGroup{kGroupFour, {9, -9, 9, -9}}, -1, -1, kPlain), 1);
    EXPECT_EQ(CheckGroupAsFaces(HuGroup{kGroupRun, {8, 9, -11, 0}}, -1, -1, kPlain), 0);
    EXPECT_EQ(CheckGroupAsFaces(HuGroup{kGroupSevenHonours, {}}, -1, -1, kPlain), 0);
}

TEST(HuResultRecord, MergeOrsFlagsAndAddsCounters) {
    HuResult into;
    HuResult from;
    into.words[0] = 0x10;
    from.words[0] = 0x40;
    from.words[3] = 0x8;
    into.words[4] = 5;
    from.words[4] = 7;
    from.words[67] = -2;
    into.words[68] = 3;
    from.words[68] = 4;
    from.words[69] = kGroupPair;
    MergeHuScores(into, from);
    EXPECT_EQ(into.words[0], 0x50);
    EXPECT_EQ(into.words[3], 0x8);
    EXPECT_EQ(into.words[4], 12);
    EXPECT_EQ(into.words[67], -2);
    EXPECT_EQ(into.words[68], 3);  // groups are not merged
    EXPECT_EQ(into.words[69], 0);
}

}  // namespace
