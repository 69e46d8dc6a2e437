#include <gtest/gtest.h>

#include <vector>

#include "mahjong_tiles/TileSearch.h"
#include "tests/mahjong_tiles/TileTestSupport.h"

namespace {

using tiletest::CountsOf;
using tiletest::IdOf;
using tiletest::IdsOf;
using Ids = std::vector<int32_t>;

constexpr RuleFlags kWilds = kRuleWildTiles;

TEST(TileSearch, CountingSkipsIdsOutsideTheTable) {
    Ids hand = IdsOf({1, 1, 29, 37});
    hand.insert(hand.end(), {-1, 152, 167, 200, -77});
    HandCounts counts;
    counts.fill(99);
    EXPECT_EQ(CountHandCards(hand, 0, counts), 4);
    EXPECT_EQ(counts, CountsOf({1, 1, 29, 37}));
    HandCounts full;
    full.fill(4);
    for (const int tile : {-1, 152, -300}) {
        EXPECT_EQ(CanPeng(full, tile, -1, -1, 0) + CanMingGang(full, tile, -1, -1, 0) +
                      CanHua(full, tile, -1, -1, 0),
                  0)
            << tile;
    }
}

TEST(TileSearch, PengAndGang) {
    for (int held = 0; held <= 4; ++held) {
        HandCounts counts{};
        counts[15] = held;
        EXPECT_EQ(CanPengWithCounts(counts, IdOf(15), -1, -1, 0), held >= 2 ? 1 : 0);
        EXPECT_EQ(CanMingGangWithCounts(counts, IdOf(15), -1, -1, 0), held >= 3 ? 2 : 0);
    }
    // A wild tile cannot be claimed while wilds are in play, unless 0x8.
    const HandCounts three = CountsOf({5, 5, 5});
    EXPECT_EQ(CanPeng(three, IdOf(5, 3), IdOf(5), -1, kWilds), 0);
    EXPECT_EQ(CanMingGang(three, IdOf(5, 3), IdOf(5), -1, kWilds), 0);
    EXPECT_EQ(CanPeng(three, IdOf(5, 3), IdOf(5), -1, kWilds | kRuleWildAsOwnFace), 1);

    const Ids hand = IdsOf({4, 21, 4, 33, 4, 21});
    Ids out(hand.size(), 55);
    EXPECT_EQ(FindPengCards(hand, IdOf(4, 3), -1, -1, 0, out), 1);
    EXPECT_EQ(out, (Ids{IdOf(4, 0), IdOf(4, 1), -1, -1, -1, -1}));
    EXPECT_EQ(FindMingGangCards(hand, IdOf(4, 3), -1, -1, 0, out), 2);
    EXPECT_EQ(out, (Ids{IdOf(4, 0), IdOf(4, 1), IdOf(4, 2), -1, -1, -1}));
    EXPECT_EQ(FindMingGangCards(hand, IdOf(21, 2), -1, -1, 0, out), 0);
    EXPECT_EQ(out, Ids(hand.size(), -1));
}

TEST(TileSearch, ConcealedGang) {
    int index = -1;
    const HandCounts counts = CountsOf({3, 3, 3, 3, 3, 7, 7, 7, 7});
    EXPECT_EQ(FindAnGangIndex(counts, -1, -1, -1, 0, index), 2);  // five 3s are skipped
    EXPECT_EQ(index, 7);
    EXPECT_EQ(FindAnGangIndex(counts, -1, IdOf(7), -1, kWilds, index), 0);  // a wild four
    EXPECT_EQ(index, 0);
    EXPECT_EQ(CanAnGangWithCounts(counts, -1, IdOf(7), -1, kWilds | kRuleWildAsOwnFace), 2);

    // Only the four ids of the first four are copied, within the output.
    const Ids hand = IdsOf({9, 2, 2, 9, 2, 9, 2, 9, 11});
    Ids out(hand.size(), 55);
    EXPECT_EQ(FindAnGangCardsInHand(hand, -1, -1, 0, out), 2);
    EXPECT_EQ(out, (Ids{IdOf(2, 0), IdOf(2, 1), IdOf(2, 2), IdOf(2, 3), -1, -1, -1, -1, -1}));
    Ids shortOut(2, 55);
    EXPECT_EQ(FindAnGangCards(hand, -1, -1, -1, 0, shortOut), 2);
    EXPECT_EQ(shortOut, (Ids{IdOf(2, 0), IdOf(2, 1)}));
}

TEST(TileSearch, ChiFinder) {
    Ids out(3, 55);
    // 3-4-9 with a 5: only the pair (3, 4) makes a run.
    EXPECT_EQ(FindChiCards(IdsOf({3, 4, 9}), IdOf(5, 2), -1, -1, 0, out), 4);
    EXPECT_EQ(out, (Ids{IdOf(3), IdOf(4), -1}));
    // 3-3-4: each 3 pairs with the 4; only whole pairs that fit are kept.
    EXPECT_EQ(FindChiCards(IdsOf({3, 3, 4}), IdOf(5), -1, -1, 0, out), 4);
    EXPECT_EQ(out, (Ids{IdOf(3, 0), IdOf(4), -1}));
    Ids wide(6, 55);
    EXPECT_EQ(FindChiCards(IdsOf({3, 3, 4}), IdOf(5), -1, -1, 0, wide), 4);
    EXPECT_EQ(wide, (Ids{IdOf(3, 0), IdOf(4), IdOf(3, 1), IdOf(4), -1, -1}));
    // Runs do not cross suits; empty places are skipped.
    const Ids hand = {IdOf(8), -1, IdOf(9), IdOf(11)};
    Ids four(4, 55);
    EXPECT_EQ(FindChiCards(hand, IdOf(12), -1, -1, 0, four), 0);
    EXPECT_EQ(FindChiCards(hand, IdOf(7), -1, -1, 0, four), 4);
    EXPECT_EQ(four, (Ids{IdOf(8), IdOf(9), -1, -1}));
    // The regional rules have no chi at all.
    EXPECT_EQ(FindChiCards(IdsOf({3, 4, 6, 7}), IdOf(5), -1, -1, kRegionalRuleFlags, four), 0);
    EXPECT_EQ(four, Ids(4, -1));
}

TEST(TileSearch, ChiRuleGates) {
    const HandCounts counts = CountsOf({3, 4, 31, 32});
    const struct {
        RuleFlags rule;
        int answer;
    } gates[] = {
        {0, 4},
        {kRuleNoChi, 0},
        {kRuleWildFaceSubstitute, 0},
        {kRuleWildAsOwnFace, 0},
        {kRuleWildFaceSubstitute | kWilds, 4},
        {kRuleHonourRuns, 4},
        {kRuleHonourRuns | kRuleWildFaceSubstitute | kWilds, 0},
        {kRuleHonourRuns | kRuleWildAsOwnFace, 0},
        {kRuleHonourRuns | kRuleWildAsOwnFace | kWilds, 4},
    };
    for (const auto& gate : gates) {
        EXPECT_EQ(CanChi(counts, IdOf(5), -1, -1, gate.rule), gate.answer) << std::hex << gate.rule;
    }
    EXPECT_EQ(CanChi(counts, IdOf(5), IdOf(5, 1), -1, kWilds), 0);  // a wild tile
    // Honours run only with rule 0x20: any three distinct winds.
    EXPECT_EQ(CanChi(counts, IdOf(34), -1, -1, 0), 0);
    EXPECT_EQ(CanChi(counts, IdOf(34), -1, -1, kRuleHonourRuns), 4);
    EXPECT_EQ(CanChi(counts, IdOf(35), -1, -1, kRuleHonourRuns), 0);
}

TEST(TileSearch, SuitRunsAtTheEdgesOfASuit) {
    const struct {
        std::initializer_list<int> hand;
        int index, inRun;
    } cases[] = {
        {{1, 2, 3}, 1, 1}, {{1, 2}, 1, 0},        {{2, 3, 4}, 2, 1}, {{9, 11, 12}, 11, 0},
        {{7, 8, 9}, 8, 1}, {{8, 9, 11}, 9, 0},    {{7, 8, 9}, 9, 1}, {{4, 6, 7}, 5, 0},
        {{3, 4, 5}, 5, 1}, {{27, 28, 29}, 29, 1}, {{62, 63}, 63, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsInSuitRun(CountsOf(c.hand), c.index), c.inRun) << c.index;
    }
}

TEST(TileSearch, TakingOutWildTiles) {
    const HandCounts hand = CountsOf({5, 5, 21, 37, 37, 9});
    const struct {
        RuleFlags rule;
        int keep, jokers, jokers2;
        HandCounts after;
    } cases[] = {
        {0, 0, 0, 0, CountsOf({5, 5, 21, 37, 37, 9, 3})},
        {kWilds, 1, 2, 1, CountsOf({37, 37, 9, 3})},
        {kWilds | kRuleWildAsOwnFace, 1, 0, 0, CountsOf({5, 5, 21, 37, 37, 9, 3})},
        {kWilds | kRuleWildAsOwnFace, 0, 2, 1, CountsOf({37, 37, 9, 3})},
        {kWilds | kRuleWildFaceSubstitute, 0, 2, 1, CountsOf({5, 5, 9, 3})},
        {kRuleWildFaceSubstitute, 0, 0, 0, CountsOf({5, 5, 21, 37, 37, 9, 3})},
        {kWilds | kRuleWildAsOwnFace | kRuleWildFaceSubstitute, 1, 0, 0,
         CountsOf({5, 5, 5, 5, 21, 9, 3})},
    };
    for (const auto& c : cases) {
        HandCounts counts = hand;
        int tileIndex = -1;
        int jokers2 = 77;
        EXPECT_EQ(TakeOutWildCards(counts, IdOf(3), IdOf(5), IdOf(21), tileIndex, c.rule, c.keep,
                                   jokers2),
                  c.jokers)
            << std::hex << c.rule;
        EXPECT_EQ(tileIndex, 3);
        EXPECT_EQ(jokers2, c.jokers2);
        EXPECT_EQ(counts, c.after) << std::hex << c.rule;
    }
    // No tile and an unset wild 1 touch nothing outside the table.
    HandCounts counts = hand;
    int tileIndex = -1;
    int jokers2 = 0;
    EXPECT_EQ(TakeOutWildCards(counts, -1, -1, IdOf(21), tileIndex, kWilds, 0, jokers2), 0);
    EXPECT_EQ(tileIndex, 0);
    EXPECT_EQ(counts, CountsOf({5, 5, 37, 37, 9}));
}

}  // namespace
