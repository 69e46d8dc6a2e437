#include <gtest/gtest.h>

#include <string>

#include "tests/mahjong_logic/RegionalTestSupport.h"

namespace {

using RegionalHuTypes = RegionalFixture;

int32_t Base(const HuResult& result, int type) {
    return result.words[kHuTypeBaseWord + type];
}
int32_t Multiplier(const HuResult& result, int type) {
    return result.words[kHuTypeMultiplierWord + type];
}

struct HandCase {
    const char* what;
    std::initializer_list<int> hand;  // seat 0's tiles, the won tile not among them
    int wonIndex;
    int mode;
    int points;
    int mainType;
};

TEST_F(RegionalHuTypes, HandsTheirTypesAndPoints) {
    const HandCase cases[] = {
        {"plain", {1, 2, 3, 4, 5, 6, 11, 12, 13, 21, 22, 23, 25}, 25, kHuOnDiscard, 2, kTypePlain},
        {"all triplets of one suit",
         {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5},
         5,
         kHuOnDiscard,
         24,
         kTypeAllTriplets},
        {"all triplets",
         {1, 1, 1, 12, 12, 12, 23, 23, 23, 4, 4, 4, 5},
         5,
         kHuOnDiscard,
         12,
         kTypeAllTriplets},
        {"seven pairs",
         {1, 1, 3, 3, 12, 12, 14, 14, 25, 25, 27, 27, 9},
         9,
         kHuOnDiscard,
         12,
         kTypeSevenPairs},
        {"one suit", {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3, 5}, 5, kHuOnDiscard, 12, kTypeOneSuit},
        {"robbing a kong",
         {1, 2, 3, 4, 5, 6, 11, 12, 13, 21, 22, 23, 25},
         25,
         kHuRobbing,
         12,
         kTypeRobbedKong},
    };
    for (const HandCase& c : cases) {
        SCOPED_TRACE(c.what);
        RegionalHands table;
        table.StartTestHand();
        table.Give(0, c.hand);
        HuResult result;
        EXPECT_EQ(table.ScoreHu(0, FreeCopy(table, c.wonIndex), result, c.mode), c.points);
        EXPECT_EQ(CRegionalMahjongRules::HuPoints(result), c.points);
        EXPECT_GE(Base(result, c.mainType), 1);
        for (int t = 0; t < kRegionalHuTypeCount; ++t) {
            if (t != c.mainType) {
                EXPECT_LT(Base(result, t), 1) << "type " << t;
            }
        }
    }
}

TEST_F(RegionalHuTypes, SevenPairsWithTwoFoursIsTheDragonType) {
    RegionalHands table;
    table.StartTestHand();
    table.Give(0, {1, 1, 1, 1, 12, 12, 12, 12, 25, 25, 27, 27, 3});
    HuResult result;
    EXPECT_EQ(table.ScoreHu(0, FreeCopy(table, 3), result, kHuOnDiscard), 36);
    EXPECT_EQ(Base(result, kTypeDragonSevenPairs), 36);
    EXPECT_EQ(Multiplier(result, kTypeDragonSevenPairs), 6);
    EXPECT_EQ(Multiplier(result, kTypeSevenPairs), 0);
    EXPECT_NE(result.words[0] & kHuSevenPairs, 0);

    // Self-drawn: the won tile is already in the hand and counts once.
    RegionalHands drawn;
    drawn.StartTestHand();
    const auto ids = drawn.Give(0, {1, 1, 1, 1, 12, 12, 12, 12, 25, 25, 27, 27, 3, 3});
    EXPECT_EQ(drawn.ScoreHu(0, ids.back(), result, kHuSelfDrawn), 36);
}

TEST_F(RegionalHuTypes, GoldenHookIsMainAndDoublesWithTheEarlyFour) {
    RegionalHands table;
    table.StartTestHand();
    for (const int index : {1, 12, 23, 27}) {
        table.AddMeld(0, kMeldPeng, index, 0, 2);
    }
    table.Give(0, {5});
    HuResult result;
    EXPECT_EQ(table.ScoreHu(0, FreeCopy(table, 5), result, kHuOnDiscard), 24);
    EXPECT_EQ(Base(result, kTypeGoldenHook), 24);
    EXPECT_EQ(Base(result, kTypeAllTriplets), 0);
    EXPECT_EQ(Multiplier(result, kTypeAllTriplets), 0);  // not set at all

    RegionalHands early;
    early.StartTestHand({29, 29});  // two discards: the early four applies
    for (const int index : {1, 12, 23, 27}) {
        early.AddMeld(0, kMeldPeng, index, 0, 2);
    }
    early.Give(0, {5});
    EXPECT_EQ(early.ScoreHu(0, FreeCopy(early, 5), result, kHuOnDiscard), 48);
    EXPECT_EQ(Multiplier(result, kTypeEarlyFour), 2);
}

TEST_F(RegionalHuTypes, TheTypesThatHangOnTheTable) {
    HuResult result;
    const std::initializer_list<int> plain = {1, 2, 3, 4, 5, 6, 11, 12, 13, 21, 22, 23, 25};
    {
        SCOPED_TRACE("one suit with three melds");
        RegionalHands table;
        table.StartTestHand();
        for (const int index : {1, 2, 3}) {
            table.AddMeld(0, kMeldPeng, index, 0, 2);
        }
        table.Give(0, {5, 6, 7, 9});
        EXPECT_EQ(table.ScoreHu(0, FreeCopy(table, 9), result, kHuOnDiscard), 24);
        EXPECT_EQ(Base(result, kTypeOneSuitThreeMelds), 24);
    }
    {
        SCOPED_TRACE("self-drawn after a kong, with its kong bonus");
        RegionalHands table;
        table.StartTestHand();
        table.AddMeld(0, kMeldExposedKong, 27, 0, 1);
        const auto ids = table.Give(0, {1, 2, 3, 4, 5, 6, 11, 12, 13, 25, 25});
        table.SetKongDrawWord(1);
        EXPECT_EQ(table.ScoreHu(0, ids.back(), result, kHuSelfDrawn), 12 + 1);
        EXPECT_EQ(Base(result, kTypeFlowerOnKong), 12);
        table.SetKongDrawWord(0);
        EXPECT_EQ(table.ScoreHu(0, ids.back(), result, kHuSelfDrawn), 2 + 1);
    }
    {
        SCOPED_TRACE("on the discard after a kong");
        RegionalHands table;
        table.StartTestHand();
        table.Give(0, plain);
        table.SetKongDiscardFlag(true);
        EXPECT_EQ(table.ScoreHu(0, FreeCopy(table, 25), result, kHuOnDiscard), 12);
        EXPECT_EQ(Base(result, kTypeShotAfterKong), 12);
        // The flag outranks robbing only on a discard.
        EXPECT_EQ(table.ScoreHu(0, FreeCopy(table, 25), result, kHuRobbing), 12);
        EXPECT_EQ(Base(result, kTypeRobbedKong), 12);
    }
    {
        SCOPED_TRACE("late four");
        RegionalHands table;
        table.StartTestHand();
        table.Give(0, plain);
        table.SetDrawnFront(105);
        EXPECT_EQ(table.TilesLeft(), 3);
        EXPECT_EQ(table.ScoreHu(0, FreeCopy(table, 25), result, kHuOnDiscard), 4);
        EXPECT_EQ(Multiplier(result, kTypeLateFour), 2);
    }
    {
        SCOPED_TRACE("declared ready, and the concealed kong bonus");
        RegionalHands table;
        table.StartTestHand();
        table.AddMeld(0, kMeldConcealedKong, 27);
        table.Give(0, {1, 2, 3, 4, 5, 6, 11, 12, 13, 25});
        EXPECT_EQ(table.ScoreHu(0, FreeCopy(table, 25), result, kHuOnDiscard), 2 + 2);
        table.SetDeclared(0, true);
        EXPECT_EQ(table.ScoreHu(0, FreeCopy(table, 25), result, kHuOnDiscard), 12 + 2);
        EXPECT_EQ(Base(result, kTypeEarlyDeclaration), 12);
    }
    {
        SCOPED_TRACE("not a winning hand");
        RegionalHands table;
        table.StartTestHand();
        table.Give(0, plain);
        result.words[5] = 77;
        EXPECT_EQ(table.ScoreHu(0, FreeCopy(table, 24), result, kHuOnDiscard), 0);
        EXPECT_EQ(result.words[5], 77);  // left alone
        EXPECT_EQ(table.TestHu(0, FreeCopy(table, 24), result, kHuOnDiscard), 0);
        EXPECT_EQ(table.TestHu(0, FreeCopy(table, 25), result, kHuOnDiscard), 8);
        EXPECT_EQ(table.ScoreHu(7, FreeCopy(table, 25), result, kHuOnDiscard), 0);
        EXPECT_EQ(table.ScoreHu(0, 500, result, kHuOnDiscard), 0);
    }
}

TEST_F(RegionalHuTypes, TheTypeTableAndThePointsRule) {
    EXPECT_EQ(std::string(CRegionalMahjongRules::HuType(kTypePlain).name), "屁胡");
    EXPECT_EQ(std::string(CRegionalMahjongRules::HuType(kTypeDrawnHandReady).name), "荒庄查叫");
    for (int t = 0; t < kRegionalHuTypeCount; ++t) {
        EXPECT_LT(std::string(CRegionalMahjongRules::HuType(t).name).size(), 16u);
    }
    // No base set: nothing; the main base times every base-less multiplier.
    HuResult result;
    EXPECT_EQ(CRegionalMahjongRules::HuPoints(result), 0);
    result.words[kHuTypeBaseWord + kTypeOneSuit] = 12;
    result.words[kHuTypeMultiplierWord + kTypeOneSuit] = 2;
    result.words[kHuTypeMultiplierWord + kTypeEarlyFour] = 2;
    result.words[kHuTypeMultiplierWord + kTypeLateFour] = 2;
    EXPECT_EQ(CRegionalMahjongRules::HuPoints(result), 48);
}

TEST_F(RegionalHuTypes, WildSuccessorWrapsEachSuitAtNine) {
    RegionalHands table;
    EXPECT_EQ(table.WildSuccessor(8), 0);
    EXPECT_EQ(table.WildSuccessor(17), 0);
    EXPECT_EQ(table.WildSuccessor(44), 36);
    EXPECT_EQ(table.WildSuccessor(107), 72);
    EXPECT_EQ(table.WildSuccessor(9), 10);
    EXPECT_EQ(table.WildSuccessor(-3), -1);
}

}  // namespace
