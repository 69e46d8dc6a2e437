// The hu tests checked against a brute-force judge written here: a plain
// recursive search that splits a hand into runs, triplets, fours and at most
// one pair, and a seven-pairs check.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <numeric>
#include <random>
#include <vector>

#include "mahjong_tiles/WaitTests.h"
#include "mahjong_tiles/WildHuTest.h"
#include "tests/mahjong_tiles/TileTestSupport.h"

namespace {

using tiletest::CountsOfGroups;
using tiletest::IdOf;

constexpr HuPatternFlags kSevenPairsAllowed = 0xFE103317;  // the regional deal's hu flags

class BruteForce {
public:
    explicit BruteForce(bool honourRuns) : honourRuns_(honourRuns) {}

    bool Wins(const HandCounts& counts, HuPatternFlags patterns) const {
        return Splits(counts, false) ||
               ((patterns & kPatternSevenPairs) != 0 && SevenPairs(counts));
    }

    bool Splits(HandCounts counts, bool pairUsed) const {
        int i = 1;
        while (i < kHandKinds && counts[i] == 0) {
            ++i;
        }
        if (i == kHandKinds) {
            return true;
        }
        // The lowest tile must sit in a group made of it and higher tiles.
        for (const int size : {4, 3, 2}) {
            if (counts[i] >= size && (size != 2 || !pairUsed)) {
                counts[i] -= size;
                if (Splits(counts, pairUsed || size == 2)) {
                    return true;
                }
                counts[i] += size;
            }
        }
        for (const auto& run : RunsFrom(i)) {
            if (std::all_of(run.begin(), run.end(), [&](int k) { return counts[k] > 0; })) {
                for (const int k : run) {
                    --counts[k];
                }
                if (Splits(counts, pairUsed)) {
                    return true;
                }
                for (const int k : run) {
                    ++counts[k];
                }
            }
        }
        return false;
    }

    static bool SevenPairs(const HandCounts& counts) {
        int tiles = 0;
        for (int i = 1; i < kHandKinds; ++i) {
            if (counts[i] % 2 != 0 || counts[i] > 4) {
                return false;
            }
            tiles += counts[i];
        }
        return tiles == 14;
    }

private:
    std::vector<std::array<int, 3>> RunsFrom(int i) const {
        std::vector<std::array<int, 3>> runs;
        if (i < 30 && i % 10 >= 1 && i % 10 <= 7) {
            runs.push_back({i, i + 1, i + 2});
        }
        if (!honourRuns_) {
            return runs;
        }
        const std::array<int, 3> honourRuns[] = {
            {31, 32, 33}, {31, 32, 34}, {31, 33, 34}, {32, 33, 34}, {35, 36, 37}};
        for (const auto& run : honourRuns) {
            if (run[0] == i) {
                runs.push_back(run);
            }
        }
        return runs;
    }

    bool honourRuns_;
};

// The groups of a winning result rebuild the hand, each group alone is a
// group by the judge's rules, and a standard decomposition holds one pair at
// most (the wait tests append the tile's group to the rest's own
// decomposition, which may hold a pair too).
void ExpectGroupsRebuild(const HuResult& result, const HandCounts& hand, const BruteForce& judge,
                         bool onePair) {
    int jokers = 0;
    EXPECT_EQ(CountsOfGroups(result, &jokers), hand);
    EXPECT_EQ(jokers, 0);
    int pairs = 0;
    for (int k = 1; k <= result.GroupCount(); ++k) {
        HuResult single;
        const HuGroup group = result.GetGroup(k);
        single.AppendGroup(group.kind, group.entries[0], group.entries[1], group.entries[2],
                           group.entries[3]);
        const HandCounts tiles = CountsOfGroups(single);
        const int size = static_cast<int>(std::accumulate(tiles.begin(), tiles.end(), 0));
        const int expectedSize = group.kind == kGroupPair ? 2 : group.kind == kGroupFour ? 4 : 3;
        EXPECT_EQ(size, expectedSize) << "group " << k;
        const int most = *std::max_element(tiles.begin(), tiles.end());
        EXPECT_TRUE(group.kind == kGroupRun ? most == 1 && judge.Splits(tiles, true) : most == size)
            << "group " << k;
        pairs += group.kind == kGroupPair ? 1 : 0;
    }
    if (onePair && !BruteForce::SevenPairs(hand)) {
        EXPECT_LE(pairs, 1);
    }
}

// Tests the hand minus one tile of `winning` plus that tile, both ways.
void CheckAgainstJudge(const HandCounts& hand, int winning, RuleFlags rule, HuPatternFlags patterns,
                       const BruteForce& judge, bool classify) {
    HandCounts withoutTile = hand;
    --withoutTile[winning];
    const int tile = IdOf(winning, withoutTile[winning]);
    const bool expected = judge.Wins(hand, patterns);
    HuResult result;
    const int answer = CheckHuWithWild(withoutTile, tile, -1, -1, rule, patterns, result, 0);
    ASSERT_EQ(answer == 8, expected);
    if (expected) {
        ExpectGroupsRebuild(result, hand, judge, true);
    }
    if (!classify) {
        return;
    }
    // Without wilds every winning tile plays some role: exactly one flag.
    HuResult classified;
    const int hu = CheckHu(withoutTile, tile, -1, -1, rule, patterns, classified, 0, 0);
    ASSERT_EQ(hu == 8, expected);
    if (expected) {
        const uint32_t waits = static_cast<uint32_t>(classified.words[HuResult::kWaitWord]);
        const uint32_t patternBits =
            static_cast<uint32_t>(classified.words[HuResult::kPatternWord]);
        EXPECT_EQ(std::popcount(waits) + std::popcount(patternBits), 1);
        ExpectGroupsRebuild(classified, hand, judge, false);
    }
}

TEST(HuOracle, EveryHandOfOneSuit) {
    const BruteForce judge(false);
    HandCounts hand{};
    int winners = 0;
    int hands = 0;
    // Every count vector over the nine kinds of one suit, each count <= 4,
    // summing to 14.
    auto visit = [&](auto&& self, int kind, int left) -> void {
        if (kind == 10) {
            if (left != 0) {
                return;
            }
            ++hands;
            int winning = 9;
            while (hand[winning] == 0) {
                --winning;
            }
            winners += judge.Wins(hand, kRegionalHuPatterns) ? 1 : 0;
            // Each hand once, alternating the two hu-flag words of the regional
            // rules; every seven-pairs shape also with seven pairs allowed.
            const bool sevenPairs = hands % 2 == 0 || BruteForce::SevenPairs(hand);
            CheckAgainstJudge(hand, winning, kRegionalRuleFlags,
                              sevenPairs ? kSevenPairsAllowed : kRegionalHuPatterns, judge, false);
            return;
        }
        for (int n = 0; n <= std::min(4, left); ++n) {
            hand[kind] = n;
            self(self, kind + 1, left - n);
        }
        hand[kind] = 0;
    };
    visit(visit, 1, 14);
    EXPECT_EQ(hands, 118800);
    EXPECT_GT(winners, 1000);
}

// A random hand of 14 tiles: usually four groups and a pair, sometimes with
// one tile changed, sometimes drawn straight from the wall.
HandCounts RandomHand(std::mt19937& rng, const std::vector<int>& kinds, bool honourRuns) {
    std::uniform_int_distribution<int> pick(0, static_cast<int>(kinds.size()) - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    for (;;) {
        HandCounts hand{};
        const int shape = percent(rng);
        if (shape < 20) {
            for (int t = 0; t < 14; ++t) {
                ++hand[kinds[pick(rng)]];
            }
        } else {
            const int pairKind = kinds[pick(rng)];
            hand[pairKind] += 2;
            for (int g = 0; g < 4; ++g) {
                const int k = kinds[pick(rng)];
                const int form = percent(rng);
                if (k < 30 && k % 10 <= 7 && form < 60) {
                    ++hand[k], ++hand[k + 1], ++hand[k + 2];
                } else if (honourRuns && k >= 31 && k <= 34 && form < 60) {
                    ++hand[31], ++hand[32], ++hand[34];
                } else if (honourRuns && k >= 35 && form < 60) {
                    ++hand[35], ++hand[36], ++hand[37];
                } else {
                    hand[k] += 3;
                }
            }
            if (shape >= 60) {
                int from = kinds[pick(rng)];
                while (hand[from] == 0) {
                    from = kinds[pick(rng)];
                }
                --hand[from];
                ++hand[kinds[pick(rng)]];
            }
        }
        if (std::all_of(hand.begin(), hand.end(), [](int32_t n) { return n <= 4; })) {
            return hand;
        }
    }
}

int RandomHeldKind(std::mt19937& rng, const HandCounts& hand) {
    std::vector<int> held;
    for (int i = 1; i < kHandKinds; ++i) {
        if (hand[i] > 0) {
            held.push_back(i);
        }
    }
    return held[std::uniform_int_distribution<size_t>(0, held.size() - 1)(rng)];
}

// Random hands of the given kinds, judged and classified.
void CheckRandomHands(std::vector<int> kinds, bool honourRuns, RuleFlags rule,
                      HuPatternFlags patterns, unsigned seed, int count) {
    const BruteForce judge(honourRuns);
    std::mt19937 rng(seed);
    int winners = 0;
    for (int n = 0; n < count; ++n) {
        const HandCounts hand = RandomHand(rng, kinds, honourRuns);
        winners += judge.Wins(hand, patterns) ? 1 : 0;
        CheckAgainstJudge(hand, RandomHeldKind(rng, hand), rule, patterns, judge, true);
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
    }
    EXPECT_GT(winners, count / 4);
}

std::vector<int> SuitKinds() {
    std::vector<int> kinds;
    for (int suit = 0; suit < 3; ++suit) {
        for (int value = 1; value <= 9; ++value) {
            kinds.push_back(suit * 10 + value);
        }
    }
    return kinds;
}

TEST(HuOracle, RandomHandsOfThreeSuits) {
    CheckRandomHands(SuitKinds(), false, kRegionalRuleFlags, kSevenPairsAllowed, 20240611, 4000);
}

TEST(HuOracle, RandomHandsWithHonourRuns) {
    std::vector<int> kinds = SuitKinds();
    for (int honour = 31; honour <= 37; ++honour) {
        kinds.insert(kinds.end(), {honour, honour});  // honours come up more often
    }
    CheckRandomHands(kinds, true, kRuleHonourRuns, 0, 7, 3000);
}

}  // namespace
