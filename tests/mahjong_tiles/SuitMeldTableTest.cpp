// The quick refusal in front of the decomposition search: it must never
// refuse a hand the search would split, and the standard hu test must answer
// exactly as the search alone does.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "mahjong_tiles/HuTest.h"
#include "mahjong_tiles/SuitMeldTable.h"
#include "mahjong_tiles/TileEncoding.h"
#include "tests/mahjong_tiles/TileTestSupport.h"

namespace {

using tiletest::CountsOf;
using tiletest::IdOf;

constexpr int kKinds[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  11, 12, 13, 14, 15, 16, 17, 18,
                          19, 21, 22, 23, 24, 25, 26, 27, 28, 29, 31, 32, 33, 34, 35, 36, 37};

// The hu test as it ran before the refusal: the same steps, the search last.
int SearchOnly(const HandCounts& counts, int w1, int w2, int wild1, int wild2, RuleFlags rule,
               HuResult& result) {
    result.Clear();
    HandCounts copy = counts;
    int index1 = 0;
    int index2 = 0;
    GetWildIndices(wild1, wild2, rule, index1, index2);
    return DecomposeHand(copy, w1, w2, index1, index2, 0, rule, 0, result, 0);
}

// A hand of `tiles` tiles, most of them drawn as groups so that a fair share
// splits, each kind at most four times.
HandCounts DealHand(std::mt19937& rng, int tiles) {
    std::uniform_int_distribution<int> anyKind(0, std::size(kKinds) - 1);
    HandCounts counts{};
    int held = 0;
    const auto add = [&](int index) {
        if (held < tiles && counts[index] < 4) {
            ++counts[index];
            ++held;
        }
    };
    while (held < tiles) {
        const int k = anyKind(rng);
        const int index = kKinds[k];
        switch (rng() % 4) {
            case 0:
                add(index);
                break;
            case 1:
                add(index), add(index);
                break;
            case 2:
                add(index), add(index), add(index);
                break;
            default:
                if (index < 30 && index % 10 <= 7) {
                    add(index), add(index + 1), add(index + 2);
                } else {
                    add(index);
                }
        }
    }
    return counts;
}

TEST(SuitMeldTable, NeverRefusesAHandTheSearchSplits) {
    std::mt19937 rng(8128);
    const SuitMeldTable& table = SuitMeldTable::Get();
    int splits = 0;
    for (int n = 0; n < 60000; ++n) {
        const int jokers = n % 4;
        const int w1 = jokers - jokers / 2;
        const int w2 = jokers / 2;
        const RuleFlags rule = n % 5 == 0 ? kRuleHonourRuns : 0;
        const HandCounts counts = DealHand(rng, 2 + 3 * static_cast<int>(rng() % 5) - jokers);
        HuResult result;
        const bool split = SearchOnly(counts, w1, w2, -1, -1, rule, result) != 0;
        splits += split ? 1 : 0;
        if (split || jokers == 0) {
            // Without jokers or honour runs the table is the whole answer.
            ASSERT_TRUE(!split || table.MayDecompose(counts, w1, w2, rule)) << n;
        }
        if (jokers == 0 && rule == 0) {
            ASSERT_EQ(table.MayDecompose(counts, 0, 0, rule), split) << n;
        }
    }
    EXPECT_GT(splits, 5000);  // the deal gives both answers often
}

TEST(SuitMeldTable, HandsItDoesNotDescribeAreLeftToTheSearch) {
    const SuitMeldTable& table = SuitMeldTable::Get();
    HandCounts five = CountsOf({1, 1, 1, 1, 1});  // no group takes five
    EXPECT_TRUE(table.MayDecompose(five, 0, 0, 0));
    HandCounts stray = CountsOf({1, 1, 10});
    EXPECT_TRUE(table.MayDecompose(stray, 0, 0, 0));
    HandCounts negative = CountsOf({1, 1});
    negative[5] = -1;
    EXPECT_TRUE(table.MayDecompose(negative, 0, 0, 0));
    EXPECT_TRUE(table.MayDecompose(CountsOf({1, 5}), -1, 3, 0));
    // Described hands are judged, jokers counted.
    EXPECT_FALSE(table.MayDecompose(CountsOf({1, 5}), 0, 0, 0));
    EXPECT_FALSE(table.MayDecompose(CountsOf({1, 5}), 1, 1, 0));
    EXPECT_TRUE(table.MayDecompose(CountsOf({1, 5}), 2, 1, 0));  // a pair and a triplet
    EXPECT_TRUE(table.MayDecompose(CountsOf({31, 32, 33}), 0, 0, kRuleHonourRuns));
    EXPECT_FALSE(table.MayDecompose(CountsOf({31, 32, 33}), 0, 0, 0));
}

// Dealt hands with wild tiles in play: verdict and every word of the result
// as the search alone gives them.
TEST(StandardHu, AnswersAsTheSearchAloneOnDealtHands) {
    std::mt19937 rng(31337);
    constexpr RuleFlags kRules[] = {kRegionalRuleFlags, kRuleWildTiles,
                                    kRuleWildTiles | kRuleHonourRuns,
                                    kRuleWildTiles | kRuleWildFaceSubstitute};
    int hu = 0;
    for (int n = 0; n < 40000; ++n) {
        const RuleFlags rule = kRules[n % std::size(kRules)];
        const int w1 = static_cast<int>(rng() % 3);
        const int w2 = static_cast<int>(rng() % 2);
        const int wild1 = w1 + w2 > 0 ? IdOf(kKinds[rng() % std::size(kKinds)]) : -1;
        const int wild2 = w2 > 0 ? IdOf(kKinds[rng() % std::size(kKinds)], 1) : -1;
        const HandCounts counts = DealHand(rng, 14 - w1 - w2);
        HuResult expected;
        const int verdict = SearchOnly(counts, w1, w2, wild1, wild2, rule, expected);
        HuResult result;
        result.words.fill(7);  // the test clears what it is given
        ASSERT_EQ(CheckStandardHu(counts, w1, w2, wild1, wild2, 0, rule, 0, result, 0), verdict)
            << n;
        ASSERT_EQ(result.words, expected.words) << n;
        hu += verdict != 0 ? 1 : 0;
    }
    EXPECT_GT(hu, 4000);
}

}  // namespace
