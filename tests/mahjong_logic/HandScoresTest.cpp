#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/mahjong_logic/HandBuilder.h"
#include "tests/mahjong_logic/MahjongPlayTestSupport.h"
#include "tests/mahjong_logic/MahjongTestSupport.h"

namespace {

using HandScores = MahjongFixture;
using MahjongHands = HandBuilder<TestMahjongTable>;

class ExposedTypes : public MahjongHands {
public:
    using MahjongHands::MahjongHands;
    using MahjongHands::TestAllTriplets;
};

void SetHandNumber(CMahjongTableLogic& table, int hand) {
    std::array<int32_t, kSettingsWords> block{};
    block[30] = hand;
    ASSERT_TRUE(table.SetTableSettings(block));
}

// Hands 1 to 31: seat 0 scores the hand's number, seat 5 loses it.
TableResult RecordThirtyOneHands(CMahjongTableLogic& table) {
    TableResult record;
    for (int hand = 1; hand <= 31; ++hand) {
        SetHandNumber(table, hand);
        record.scoreChange.fill(0);
        record.scoreChange[0] = hand;
        record.scoreChange[5] = -hand;
        table.RecordHandScores(record);
    }
    return record;
}

TEST_F(HandScores, EachHuTypeFlagRunsItsTestAndMarksItsBit) {
    MahjongHands table;
    table.BuildIdentityWall();
    table.SetBankerSeat(0);
    // Seat 0, the banker: 111 222 333 444 5 + 5 on a discard, no melds.
    table.Give(0, {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5});
    HuResult result;
    result.words[0] = kHuOnDiscard;
    result.AppendGroup(kGroupTriplet, 1, 1, 1, 0);
    result.AppendGroup(kGroupTriplet, 2, 2, 2, 0);
    result.AppendGroup(kGroupTriplet, 3, 3, 3, 0);
    result.AppendGroup(kGroupTriplet, 4, 4, 4, 0);
    result.AppendGroup(kGroupPair, 5, 5, 0, 0);
    table.SetHuTypeFlags(0xFFFFFFFFu);
    EXPECT_EQ(table.ClassifyHu(0, HandBuilder<TestMahjongTable>::IdOf(5, 3), result, kHuOnDiscard),
              0);
    const uint32_t bits = static_cast<uint32_t>(result.words[0]);
    EXPECT_EQ(bits & 0xFF, static_cast<uint32_t>(kHuOnDiscard));
    for (const uint32_t set : {kHuTypeBankerFirst, kHuTypeBanker, kHuTypeAllTriplets,
                               kHuTypeOneSuit, kHuTypeConcealed}) {
        EXPECT_NE(bits & set, 0u) << std::hex << set;
    }
    for (const uint32_t clear :
         {kHuTypeFirstTurn, kHuTypeOneSuitHonours, kHuTypeAllHonours, kHuTypeNoWild,
          kHuTypeAfterKong, kHuTypeSingleTile, kHuTypeLastTile, kHuTypeSingleWaitOnDiscard}) {
        EXPECT_EQ(bits & clear, 0u) << std::hex << clear;
    }

    // Only the enabled tests run.
    HuResult quiet = result;
    quiet.words[0] = kHuOnDiscard;
    table.SetHuTypeFlags(kHuTypeBanker);
    table.ClassifyHu(0, -1, quiet, kHuOnDiscard);
    EXPECT_EQ(static_cast<uint32_t>(quiet.words[0]), kHuTypeBanker | kHuOnDiscard);
}

TEST_F(HandScores, AllTripletsAllowsOnePairAndNoChi) {
    ExposedTypes table;
    table.BuildIdentityWall();
    HuResult result;
    result.AppendGroup(kGroupTriplet, 1, 1, 1, 0);
    result.AppendGroup(kGroupFour, 2, 2, 2, 2);
    result.AppendGroup(kGroupPair, 5, 5, 0, 0);
    EXPECT_EQ(table.TestAllTriplets(0, -1, result, 0), static_cast<int>(kHuTypeAllTriplets));
    result.AppendGroup(kGroupPair, 6, 6, 0, 0);
    EXPECT_EQ(table.TestAllTriplets(0, -1, result, 0), 0);
    HuResult run;
    run.AppendGroup(kGroupRun, 1, 2, 3, 0);
    EXPECT_EQ(table.TestAllTriplets(0, -1, run, 0), 0);
}

TEST_F(HandScores, TheWinnerTakesItsPointsTimesTheBases) {
    MahjongHands table;
    table.SetOutcome(1, 24, -1, kEndSelfDrawn);
    TableResult result;
    result.scoreBase = 10;
    result.silverBase = 5;
    table.ComputeScores(result, 0);
    EXPECT_EQ(result.chairValues[0], -24);
    EXPECT_EQ(result.chairValues[1], 72);
    EXPECT_EQ(result.scoreChange[1], 720);
    EXPECT_EQ(result.scoreChange[3], -240);
    EXPECT_EQ(result.silverChange[1], 360);
    EXPECT_EQ(result.silverChange[2], -120);

    // On a discard only the discarder pays; without a silver base the silver
    // changes are left alone.
    table.SetOutcome(2, 6, 0, kEndOnDiscard);
    TableResult scoreOnly;
    scoreOnly.scoreBase = 3;
    scoreOnly.silverChange.fill(7);
    table.ComputeScores(scoreOnly, 0);
    EXPECT_EQ(scoreOnly.scoreChange[2], 18);
    EXPECT_EQ(scoreOnly.scoreChange[0], -18);
    EXPECT_EQ(scoreOnly.scoreChange[1], 0);
    EXPECT_EQ(scoreOnly.silverChange[0], 7);

    // Points that would overflow the score change saturate.
    table.SetOutcome(2, 1 << 30, 0, kEndOnDiscard);
    TableResult huge;
    huge.scoreBase = 8;
    table.ComputeScores(huge, 0);
    EXPECT_EQ(huge.scoreChange[2], INT32_MAX);
    EXPECT_EQ(huge.scoreChange[0], INT32_MIN);
}

TEST_F(HandScores, KongMoneyIsDoubledForAFlaggedMeld) {
    MahjongHands table;
    table.BuildIdentityWall();
    table.AddMeld(0, kMeldConcealedKong, 1);
    PerSeat<int32_t> scores{};
    table.SettleKongs(scores);
    EXPECT_EQ(scores, (PerSeat<int32_t>{6, -2, -2, -2}));

    MahjongHands flagged;
    flagged.BuildIdentityWall();
    flagged.AddMeld(0, kMeldConcealedKong, 1, 1);
    flagged.AddMeld(1, kMeldExposedKong, 2);
    flagged.AddMeld(2, kMeldAddedKong, 3, 2);
    scores = {};
    flagged.SettleKongs(scores);
    // Concealed flagged: +12/-4; exposed: +3/-1; added flagged: +6/-2.
    EXPECT_EQ(scores[0], 12 - 1 - 2);
    EXPECT_EQ(scores[1], -4 + 3 - 2);
    EXPECT_EQ(scores[2], -4 - 1 + 6);
    EXPECT_EQ(scores[3], -4 - 1 - 2);
}

TEST_F(HandScores, PayForOthersPutsEveryLossOnTheSeatThatFedTheWinner) {
    MahjongTableParameters parameters = kRegionalTableParameters;
    parameters.ruleFlags |= kMahjongRulePayForOthers;
    MahjongHands table(parameters);
    table.SetOutcome(1, 10, -1, kEndSelfDrawn);
    table.SetFeeds(3, 1, 2);  // seat 3 fed seat 1 twice
    table.SetFeeds(1, 3, 1);  // and was fed once
    PerSeat<int32_t> scores{};
    table.SettleHand(scores);
    EXPECT_EQ(scores, (PerSeat<int32_t>{0, 30, 0, -30}));
}

TEST_F(HandScores, TheThirtyFirstHandOverwritesTheFirst) {
    MahjongHands table;
    TableResult record = RecordThirtyOneHands(table);
    EXPECT_EQ(table.HistoryScore(0, 31), 31);
    EXPECT_EQ(table.HistoryScore(0, 1), 31);  // the same place
    EXPECT_EQ(table.HistoryScore(0, 2), 2);
    EXPECT_EQ(table.HistoryScore(5, 30), -30);
    EXPECT_EQ(table.TotalScore(0), 31 * 32 / 2);

    // A silver hand records the silver changes; before the first hand nothing.
    SetHandNumber(table, 32);
    record.silverBase = 2;
    record.silverChange[0] = -500;
    table.RecordHandScores(record);
    EXPECT_EQ(table.HistoryScore(0, 32), -500);
    MahjongHands fresh;
    fresh.RecordHandScores(record);
    EXPECT_EQ(fresh.TotalScore(0), 0);
}

TEST_F(HandScores, ThePlayerRecordHoldsTheStatusThenTheHistoryRing) {
    MahjongHands table;
    RecordThirtyOneHands(table);
    ASSERT_TRUE(table.MarkReady(1));
    ASSERT_TRUE(table.MarkReady(3));

    std::vector<uint8_t> player(CMahjongTableLogic::kPlayerStateBytes, 0xAB);
    ASSERT_TRUE(table.PackPlayer(player));
    auto word = [&](size_t index) { return WordAt(player, index * 4); };
    // The table status: the chair flag words at bytes 20-51, the hand number.
    for (size_t chair = 0; chair < 8; ++chair) {
        EXPECT_EQ(word(5 + chair), chair == 1 || chair == 3 ? 2 : 0) << chair;
    }
    EXPECT_EQ(word(13), 31);
    // The ring from word 22, seat after seat: hand 31 took hand 1's place.
    EXPECT_EQ(word(22), 31);
    EXPECT_EQ(word(23), 2);
    EXPECT_EQ(word(22 + 29), 30);
    EXPECT_EQ(word(22 + 5 * 30 + 29), -30);
    EXPECT_EQ(word(22 + 7 * 30 + 29), 0);
    // The totals from word 262; the record's last words stay clear.
    EXPECT_EQ(word(262), 31 * 32 / 2);
    EXPECT_EQ(word(267), -31 * 32 / 2);
    for (size_t index = 270; index < 274; ++index) {
        EXPECT_EQ(word(index), 0) << index;
    }

    std::vector<uint8_t> shorter(CMahjongTableLogic::kPlayerStateBytes - 1, 0xAB);
    EXPECT_FALSE(table.PackPlayer(shorter));
    EXPECT_EQ(shorter, std::vector<uint8_t>(shorter.size(), 0xAB));
}

TEST_F(HandScores, TheNextBankerAndTheStreak) {
    MahjongHands table;
    table.SetBankerSeat(2);
    table.SetOutcome(2, 4, -1, kEndSelfDrawn);
    EXPECT_EQ(table.NextBanker(), 2);
    EXPECT_EQ(table.BankerWon(), 1);
    table.UpdateBankerStreak();
    EXPECT_EQ(table.BankerStreak(), 2);
    table.SetOutcome(3, 4, 2, kEndOnDiscard);
    EXPECT_EQ(table.NextBanker(), 1);  // the seat after the banker in play order
    EXPECT_EQ(table.BankerWon(), 0);
    table.UpdateBankerStreak();
    EXPECT_EQ(table.BankerStreak(), 1);
    table.SetOutcome(-1, 0, -1, kEndDrawn);
    EXPECT_EQ(table.NextBanker(), 1);
    table.SetOutcome(-1, 0, -1, 0);
    EXPECT_EQ(table.NextBanker(), 0);

    table.SetPoints(1, -1000);
    EXPECT_EQ(table.HandResultCode(1), 229100);
    EXPECT_EQ(table.HandResultCode(0), 10100);
    EXPECT_EQ(table.HandResultCode(9), 10100);
}

TEST_F(HandScores, WildSuccessorAndTheRunningTotal) {
    MahjongHands table;
    EXPECT_EQ(table.WildSuccessor(8), 9);
    EXPECT_EQ(table.WildSuccessor(35), 0);
    EXPECT_EQ(table.WildSuccessor(111), 108);
    EXPECT_EQ(table.WildSuccessor(135), 112);

    std::array<int32_t, 172> record{};
    record[108] = 40;
    table.AddToRunningTotal(record);
    table.AddToRunningTotal(record);
    EXPECT_EQ(table.RunningTotal(), 80);
    table.AddToRunningTotal(std::span<const int32_t>(record).first(108));  // too short
    EXPECT_EQ(table.RunningTotal(), 80);
}

}  // namespace
