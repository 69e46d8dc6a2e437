#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "mahjong_logic/TableLogicBase.h"
#include "tests/mahjong_logic/LogicTestSupport.h"

namespace {

// A game whose score and silver changes are set by the test; it counts its
// deals and allows the loss relief.
class ScriptedGame : public CTableLogicBase {
public:
    explicit ScriptedGame(uint32_t rules = 0, int players = 4)
        : CTableLogicBase(3, -1, 1, players, rules, 0, 0) {}

    int DealHook() override {
        ++deals;
        return 1;
    }
    int ComputeScores(TableResult& result, int) override {
        result.scoreChange = scoreChange;
        result.silverChange = silverChange;
        return 0;
    }
    bool IsReliefAllowed() const override { return true; }
    using CTableLogicBase::DeductFees;
    using CTableLogicBase::LimitLosses;

    PerChair<int32_t> scoreChange{};
    PerChair<int32_t> silverChange{};
    int deals = 0;
};

RoundParameters OpenRound() {
    RoundParameters round;
    round.minScore = INT_MIN;
    round.maxScore = INT_MAX;
    round.maxPlayerGames = INT_MAX;
    round.maxGames = INT_MAX;
    round.scoreBase = 10;
    round.silverMultiple = 1;
    return round;
}

void SeatFour(CTableLogicBase& table, int32_t silver = 1000) {
    for (int c = 0; c < 4; ++c) {
        table.AddPlayer(MakePlayer(100 + c, c, 0, silver));
    }
}

using Settlement = LogicFixture;

// Settles a self-drawn hand by chair 0 (6/-2/-2/-2 points at a silver base of
// 100, or of the given unit) on a silver table whose chairs hold the given
// silver; answers the silver the settlement created: what the chairs hold
// after it, plus the fees, less what they held before.
int64_t SettleSelfDrawnHand(const RoundParameters& round, const PerChair<int32_t>& silver,
                            TableResult& result, int32_t unit = 100, uint32_t rules = 0) {
    ScriptedGame table(rules);
    int64_t created = 0;
    for (int c = 0; c < 4; ++c) {
        table.AddPlayer(MakePlayer(100 + c, c, 0, silver[c]));
        table.SetUserFlags(c, 4);
        created -= silver[c];
    }
    int chair = 0;
    EXPECT_EQ(table.StartGame(round, chair), 1);
    table.silverChange = {6 * unit, -2 * unit, -2 * unit, -2 * unit};
    table.FinishGame(result, 0);
    for (int c = 0; c < 4; ++c) {
        const int32_t held = table.SeatedPlayer(c)->silver;
        // Neither the floor nor the top of the range had to act.
        EXPECT_EQ(held, int64_t{result.silverBefore[c]} + result.silverChange[c]) << "chair " << c;
        created += int64_t{held} + result.fee[c];
    }
    return created;
}

TEST_F(Settlement, FeeModeSixVectors) {
    ScriptedGame table;
    RoundParameters round = OpenRound();
    round.feeMode = 6;
    round.feeRate = 1;
    SeatFour(table);
    int chair = 0;
    ASSERT_EQ(table.StartGame(round, chair), 1);

    PerChair<int32_t> change{100, 101, 20000, 20001, 200000, -5, 0, 0};
    PerChair<int32_t> fees{};
    // 4 players: only the first four take part.
    EXPECT_EQ(table.DeductFees(change, fees), 0 + 1 + 200 + 400);
    EXPECT_EQ(fees[0], 0);
    EXPECT_EQ(fees[1], 1);
    EXPECT_EQ(fees[2], 200);
    EXPECT_EQ(fees[3], 400);
    EXPECT_EQ(change[3], 20001 - 400);
    EXPECT_EQ(fees[4], 0);

    ScriptedGame eight(0, 8);
    for (int c = 0; c < 8; ++c) {
        eight.AddPlayer(MakePlayer(200 + c, c, 0, 1000));
    }
    round.feeRate = 2;
    ASSERT_EQ(eight.StartGame(round, chair), 1);
    PerChair<int32_t> big{200000, 0, 0, 0, 0, 0, 0, 0};
    PerChair<int32_t> bigFees{};
    eight.DeductFees(big, bigFees);
    EXPECT_EQ(bigFees[0], 10000);  // 5 x 2 x 2000 = 20000, capped at 5 x 2000
}

TEST_F(Settlement, FeeModeSixDoesNotOverflow) {
    ScriptedGame table;
    RoundParameters round = OpenRound();
    round.feeMode = 6;
    round.feeRate = 2'000'000'000;
    SeatFour(table);
    int chair = 0;
    ASSERT_EQ(table.StartGame(round, chair), 1);
    PerChair<int32_t> change{2'000'000'000, 50'000, 0, 0};
    PerChair<int32_t> fees{};
    table.DeductFees(change, fees);
    EXPECT_EQ(fees[0], 5 * 20'000'000);  // the cap of 5 per 100
    EXPECT_EQ(fees[1], 5 * 500);
    EXPECT_EQ(change[0], 2'000'000'000 - 100'000'000);
}

TEST_F(Settlement, FeeModeOneTakesTheShortfallFromWinnersInChairOrder) {
    ScriptedGame table;
    RoundParameters round = OpenRound();
    round.feeMode = 1;
    round.fixedFee = 50;
    for (int c = 0; c < 4; ++c) {
        table.AddPlayer(MakePlayer(100 + c, c, 0, c == 0 ? 20 : 1000));
    }
    int chair = 0;
    ASSERT_EQ(table.StartGame(round, chair), 1);
    PerChair<int32_t> change{0, 10, -30, 40};
    PerChair<int32_t> fees{};
    // Chair 0 holds 20: pays 20, shortfall 30, taken from chair 1 (10
    // after its own fee: 10 - 50 = -40 ... it no longer wins) then chair 3.
    const int32_t total = table.DeductFees(change, fees);
    EXPECT_EQ(fees[0], 20);
    EXPECT_EQ(fees[1], 50);
    EXPECT_EQ(fees[2], 50);
    EXPECT_EQ(change[3], 40 - 50);  // chair 3 no longer wins either
    EXPECT_EQ(total, 20 + 50 + 50 + 50);

    PerChair<int32_t> winners{0, 200, -30, 100};
    PerChair<int32_t> winnerFees{};
    table.DeductFees(winners, winnerFees);
    EXPECT_EQ(winnerFees[0], 20);
    EXPECT_EQ(winnerFees[1], 50 + 30);  // the first winner covers the shortfall
    EXPECT_EQ(winners[1], 200 - 80);
    EXPECT_EQ(winnerFees[3], 50);
}

TEST_F(Settlement, FeeModeOneLetsAnEmptyPurseCancelItsLossAndTheWinnersCoverIt) {
    RoundParameters round = OpenRound();
    round.feeMode = 1;
    round.fixedFee = 10;
    TableResult result;
    EXPECT_EQ(SettleSelfDrawnHand(round, {1000, 0, 1000, 1000}, result), 0);
    // Chair 1 pays nothing: its fee of -200 cancels its loss, and the winner
    // covers that and chair 1's own fee.
    EXPECT_EQ(result.silverChange, (PerChair<int32_t>{380, 0, -210, -210}));
    EXPECT_EQ(result.fee, (PerChair<int32_t>{220, -200, 10, 10}));
}

TEST_F(Settlement, NoLoserLosesMoreThanItHoldsOrKeepsAfterItsDeposit) {
    RoundParameters round = OpenRound();
    TableResult result;
    // Mode 7: chair 1's 50 all go to the deposit, so it keeps nothing to lose.
    round.feeMode = 7;
    round.fixedFee = 100;
    EXPECT_EQ(SettleSelfDrawnHand(round, {1000, 50, 1000, 1000}, result), 0);
    EXPECT_EQ(result.silverChange, (PerChair<int32_t>{300, -50, -300, -300}));
    EXPECT_EQ(result.fee, (PerChair<int32_t>{100, 50, 100, 100}));

    // Mode 8 (1 % of the smallest purse): chair 1 holds nothing.
    round.feeMode = 8;
    round.depositRate = 100;
    round.depositThreshold = 10;
    EXPECT_EQ(SettleSelfDrawnHand(round, {1000, 0, 1000, 1000}, result), 0);
    EXPECT_EQ(result.silverChange, (PerChair<int32_t>{390, 0, -210, -210}));
    EXPECT_EQ(result.fee, (PerChair<int32_t>{10, 0, 10, 10}));

    // Mode 6: the winner pays its fee on what it still wins.
    round.feeMode = 6;
    round.feeRate = 1;
    EXPECT_EQ(SettleSelfDrawnHand(round, {1000, 0, 1000, 1000}, result), 0);
    EXPECT_EQ(result.silverChange, (PerChair<int32_t>{396, 0, -200, -200}));
    EXPECT_EQ(result.fee, (PerChair<int32_t>{4, 0, 0, 0}));
}

TEST_F(Settlement, APurseBelowZeroOrNearTheTopMakesNoSilver) {
    RoundParameters round = OpenRound();
    round.minSilver = INT_MIN;  // the hall lets a purse below 0 start
    round.feeRate = 1;
    round.fixedFee = 10;
    round.depositRate = 100;
    round.depositThreshold = 10;
    TableResult result;
    // A purse below 0 neither loses more nor gains as a loser.
    for (const int mode : {0, 1, 6, 7, 8, 9, -1}) {
        round.feeMode = mode < 0 ? 0 : mode;
        const uint32_t rules = mode < 0 ? kRuleLossByOwnSilver : 0;
        SCOPED_TRACE(mode);
        EXPECT_EQ(SettleSelfDrawnHand(round, {1000, -100, 1000, 1000}, result, 100, rules), 0);
        EXPECT_EQ(result.silverChange[1], 0);
    }
    // What the winner cannot hold is not taken from the losers, who pay in
    // proportion; the table keeps the unit left by rounding.
    round.feeMode = 0;
    const int32_t e9 = 1'000'000'000;
    EXPECT_EQ(SettleSelfDrawnHand(round, {2 * e9, e9, e9, e9}, result, 50'000'000), -1);
    EXPECT_EQ(result.silverChange,
              (PerChair<int32_t>{INT_MAX - 2 * e9, -49'161'216, -49'161'216, -49'161'216}));
}

TEST_F(Settlement, LimitLossesByOwnSilver) {
    ScriptedGame table(kRuleLossByOwnSilver, 3);
    PerChair<int32_t> before{100, 1000, 1000};
    PerChair<int32_t> change{-300, 200, 100};
    EXPECT_EQ(table.LimitLosses(before, change), -1);
    EXPECT_EQ(change[0], -100);
    EXPECT_EQ(change[1], 66);
    EXPECT_EQ(change[2], 33);
}

TEST_F(Settlement, LimitLossesBySmallestPositiveSilver) {
    ScriptedGame table(0, 3);
    PerChair<int32_t> before{500, 100, 0};
    PerChair<int32_t> change{-300, 200, 100};
    table.LimitLosses(before, change);
    EXPECT_EQ(change[0], -100);  // no more than the poorest holds
    EXPECT_EQ(change[1], 66);
    EXPECT_EQ(change[2], 33);

    PerChair<int32_t> nobody{0, 0, 0};
    PerChair<int32_t> lost{-50, 25, 25};
    table.LimitLosses(nobody, lost);  // no positive silver: nothing can be lost
    EXPECT_EQ(lost[0], 0);
    EXPECT_EQ(lost[1], 0);
}

TEST_F(Settlement, ShareOfPaymentSplitsTheRemainderAndSurvivesNoReceivers) {
    ScriptedGame table;
    table.AssignSides();
    EXPECT_EQ(table.ShareOfPayment(1, 0, 10), 3);
    EXPECT_EQ(table.ShareOfPayment(2, 0, 10), 3);
    EXPECT_EQ(table.ShareOfPayment(3, 0, 10), 4);  // first other chair before the payer
    EXPECT_EQ(table.ShareOfPayment(0, 0, 10), 0);

    ScriptedGame unassigned;  // every side -1: nobody receives
    EXPECT_EQ(unassigned.ShareOfPayment(1, 0, 10), 0);
    EXPECT_EQ(unassigned.ShareOfPayment(3, 2, 10), 0);
}

TEST_F(Settlement, StartCodesReportTheFailingChair) {
    int chair = 0;
    {
        ScriptedGame table;
        table.AddPlayer(MakePlayer(1, 0));
        table.AddPlayer(MakePlayer(2, 1));
        EXPECT_EQ(table.StartGame(OpenRound(), chair), kStartNotSeated);
        EXPECT_EQ(chair, 2);
    }
    {
        ScriptedGame table;
        SeatFour(table);
        table.SetUserFlags(0, 4);
        table.SetUserFlags(1, 4);
        table.SetUserFlags(2, 4);
        table.SetUserFlags(3, 4);
        table.SeatedPlayer(2)->silver = 5;
        RoundParameters round = OpenRound();
        round.minSilver = 10;
        EXPECT_EQ(table.StartGame(round, chair), kStartSilverTooLow);
        EXPECT_EQ(chair, 2);
    }
    {
        ScriptedGame table;
        SeatFour(table);
        table.SeatedPlayer(1)->score = -5;
        table.SeatedPlayer(3)->score = 500;
        RoundParameters round = OpenRound();
        round.minScore = 0;
        EXPECT_EQ(table.StartGame(round, chair), kStartScoreTooLow);
        EXPECT_EQ(chair, 1);
        table.SeatedPlayer(1)->score = 0;
        round.maxScore = 100;
        EXPECT_EQ(table.StartGame(round, chair), kStartScoreTooHigh);
        EXPECT_EQ(chair, 3);
    }
    {
        ScriptedGame table;
        SeatFour(table);
        table.SeatedPlayer(2)->gamesAtTable = 5;
        RoundParameters round = OpenRound();
        round.maxPlayerGames = 5;
        EXPECT_EQ(table.StartGame(round, chair), kStartTooManyPlayerGames);
        EXPECT_EQ(chair, 2);
        EXPECT_EQ(table.SeatedPlayer(0)->gamesAtTable, 1);  // counted up to the failing chair
        EXPECT_EQ(table.SeatedPlayer(3)->gamesAtTable, 0);
    }
    {
        ScriptedGame table;
        SeatFour(table);
        RoundParameters round = OpenRound();
        round.maxGames = 0;
        EXPECT_EQ(table.StartGame(round, chair), kStartGameLimit);
        EXPECT_EQ(chair, -1);
        EXPECT_EQ(table.deals, 0);
    }
}

TEST_F(Settlement, ReadyChairsDecideWhenTheSnapshotIsInUse) {
    ScriptedGame table;
    SeatFour(table);
    table.SetSecondFlags(0, 4096);
    table.RemovePlayer(103, true);
    table.MarkReady(0);
    table.MarkReady(1);
    RoundParameters round = OpenRound();
    round.minReady = 3;
    int chair = 0;
    EXPECT_EQ(table.StartGame(round, chair), kStartNotSeated);
    EXPECT_EQ(chair, -1);
    round.minReady = 2;
    ASSERT_EQ(table.StartGame(round, chair), 1);
    EXPECT_EQ(table.SeatedPlayer(2)->sittingOut, 1);  // not ready: sits out
    EXPECT_GE(table.LateCount(2), 1);
    EXPECT_EQ(table.SeatedPlayer(0)->sittingOut, 0);
    EXPECT_EQ(table.LateCount(0), 0);
}

TEST_F(Settlement, ASecondStartWhilePlayingIsRefused) {
    ScriptedGame table;
    SeatFour(table);
    ScriptedRandom::draws = {2};
    int chair = 0;
    ASSERT_EQ(table.StartGame(OpenRound(), chair), 1);
    EXPECT_EQ(table.deals, 1);
    EXPECT_EQ(table.Banker(), 2);
    EXPECT_EQ(table.GetActiveChair(), 2);
    EXPECT_TRUE(table.IsPlayingNow());
    EXPECT_EQ(table.GameCounter(), 1);
    EXPECT_EQ(std::string(table.GameIdText()).size(), 30u);
    EXPECT_EQ(table.Side(3), 3);

    chair = 5;
    EXPECT_EQ(table.StartGame(OpenRound(), chair), kStartAlreadyPlaying);
    EXPECT_EQ(chair, -1);
    EXPECT_EQ(table.deals, 1);
    EXPECT_EQ(table.GameCounter(), 1);
    EXPECT_EQ(table.SeatedPlayer(0)->gamesAtTable, 1);
}

TEST_F(Settlement, BasesFromLevelsAndStakes) {
    ScriptedGame table;
    SeatFour(table, 12800);
    table.SeatedPlayer(0)->score = 250;  // the smallest score sets the level
    table.SeatedPlayer(1)->score = 900;
    table.SeatedPlayer(2)->score = 1000;
    table.SeatedPlayer(3)->score = 1000;
    EXPECT_EQ(table.GetScoreBase(0), 10);  // level 5 of the level table
    EXPECT_EQ(table.GetSilverBase(3), 3 * 128);

    table.SeatedPlayer(0)->silver = INT_MAX;
    table.SeatedPlayer(1)->silver = INT_MAX;
    table.SeatedPlayer(2)->silver = INT_MAX;
    table.SeatedPlayer(3)->silver = INT_MAX;
    EXPECT_EQ(table.GetSilverBase(INT_MAX), INT_MAX);  // clamped, not wrapped
    EXPECT_EQ(table.GetSilverBase(-INT_MAX), INT_MIN);
}

TEST_F(Settlement, EscapePenaltyIsLimitedAndDoesNotOverflow) {
    ScriptedGame table;
    SeatFour(table, 1000);
    for (int c = 0; c < 4; ++c) {
        table.SetUserFlags(c, 4);
    }
    RoundParameters round = OpenRound();
    round.silverMultiple = 1;
    round.escapeShare = 50;
    int chair = 0;
    ASSERT_EQ(table.StartGame(round, chair), 1);
    ASSERT_GT(table.SilverBase(), 0);
    int32_t share = 0;
    EXPECT_EQ(table.EscapePenalty(1, -2, share), -2 * table.SilverBase());
    EXPECT_EQ(share, -table.SilverBase());
    EXPECT_EQ(table.EscapePenalty(1, INT_MIN, share), -1000);  // no more than held
    EXPECT_EQ(share, -500);
    EXPECT_EQ(table.EscapePenalty(7, -2, share), 0);
    EXPECT_EQ(share, 0);
}

TEST_F(Settlement, ReliefBandsFromTheScriptedGenerator) {
    ScriptedGame table;
    // Chance: a draw above 55 keeps the loss.
    ScriptedRandom::draws = {56};
    EXPECT_EQ(table.ReduceLossByChance(-1000), -1000);
    ScriptedRandom::draws = {55, 83};
    EXPECT_EQ(table.ReduceLossByChance(-1000), -900);
    ScriptedRandom::draws = {0, 84};
    EXPECT_EQ(table.ReduceLossByChance(-1000), -500);
    ScriptedRandom::draws = {10, 96};
    EXPECT_EQ(table.ReduceLossByChance(-1000), 0);
    ScriptedRandom::draws = {10, 0};
    EXPECT_EQ(table.ReduceLossByChance(-5), -4);  // at least 1 back
    ScriptedRandom::draws = {10, 99};
    EXPECT_EQ(table.ReduceLossByChance(INT_MIN), 0);  // 100 % of the largest loss
    ScriptedRandom::draws = {10, 90};
    EXPECT_EQ(table.ReduceLossByChance(-2'000'000'000), -1'000'000'000);
}

TEST_F(Settlement, ReliefGoesOnlyToFlaggedLosersAndIsListed) {
    ScriptedGame table;
    SeatFour(table);
    table.SeatedPlayer(1)->flags = 1;
    table.SeatedPlayer(2)->flags = 1;
    PerChair<int32_t> change{-100, -1000, 500, -50};
    ScriptedRandom::draws = {0, 96};
    TestClock::now = 4242;
    table.ApplyReliefIfAllowed(change);
    EXPECT_EQ(ScriptedRandom::lastSeed, 4242u);
    EXPECT_EQ(change[0], -100);  // not flagged
    EXPECT_EQ(change[1], 0);
    EXPECT_EQ(change[2], 500);  // a winner
    EXPECT_EQ(table.Relief(1), 1000);
    std::vector<int32_t> ids(4, 0), amounts(4, 0);
    EXPECT_TRUE(table.GetReliefList(ids, amounts));
    EXPECT_EQ(ids, (std::vector<int32_t>{0, 101, 0, 0}));
    EXPECT_EQ(amounts[1], 1000);
    std::vector<int32_t> one(1, 0);
    EXPECT_FALSE(table.GetReliefList(one, one));  // room for chair 0 only
}

TEST_F(Settlement, ZeroSumCancelsAPositiveSettlement) {
    ScriptedGame table;
    PerChair<int32_t> change{10, -5, 0, 0};
    PerChair<int32_t> fees{1, 0, 0, 0};
    EXPECT_EQ(table.CheckZeroSum(change, fees, 1), 0);
    EXPECT_EQ(change[0], 0);
    EXPECT_EQ(fees[0], 0);
    PerChair<int32_t> fair{10, -11, 0, 0};
    EXPECT_EQ(table.CheckZeroSum(fair, fees, 1), 1);
    EXPECT_EQ(fair[0], 10);
}

TEST_F(Settlement, FinishGameSettlesSilverAndAppliesIt) {
    ScriptedGame table;
    SeatFour(table, 1000);
    for (int c = 0; c < 4; ++c) {
        table.SetUserFlags(c, 4);
    }
    table.SeatedPlayer(0)->silver = 200;
    RoundParameters round = OpenRound();
    round.feeMode = 6;
    round.feeRate = 1;
    int chair = 0;
    ASSERT_EQ(table.StartGame(round, chair), 1);
    const int32_t base = table.SilverBase();
    ASSERT_GT(base, 0);
    table.scoreChange = {-30, 10, 10, 10};
    table.silverChange = {-600, 300, 200, 100};
    TableResult result;
    table.FinishGame(result, 0);
    EXPECT_EQ(result.silverBefore[0], 200);
    EXPECT_EQ(result.silverChange[0], -200);
    // Winners give up 400/600 of their winnings (rounded up), then the fee.
    EXPECT_EQ(result.silverChange[1] + result.fee[1], 300 - 200);
    EXPECT_EQ(result.silverChange[2] + result.fee[2], 200 - 134);
    EXPECT_EQ(result.silverChange[3] + result.fee[3], 100 - 67);
    EXPECT_EQ(result.fee[1], 0);  // 100 won pays nothing
    EXPECT_EQ(table.SeatedPlayer(0)->silver, 0);
    EXPECT_EQ(table.SeatedPlayer(0)->score, -30);
    EXPECT_EQ(table.SeatedPlayer(1)->silver, 1100);
    EXPECT_TRUE(table.HasStoredResult());

    std::vector<uint8_t> wire(TableResult::kBytes, 0xEE);
    ASSERT_TRUE(result.WriteTo(wire));
    EXPECT_EQ(wire[8], 4);                                       // player count
    EXPECT_EQ(wire[48 * 4], static_cast<uint8_t>(-200 & 0xFF));  // silver change 0
    std::vector<uint8_t> shortWire(431, 0xEE);
    EXPECT_FALSE(result.WriteTo(shortWire));

    const GameOverReport report = table.BuildGameOverReport(77);
    ASSERT_EQ(report.players.size(), 4u);
    EXPECT_EQ(report.players[0].loss, 1);
    EXPECT_EQ(report.players[1].win, 1);
    EXPECT_EQ(report.players[2].reportId, 77);
    EXPECT_EQ(report.flag1, 0);  // every chair has user flag 4
}

TEST_F(Settlement, DepositModesTakeBeforeTheLimit) {
    ScriptedGame table;
    SeatFour(table, 1000);
    int chair = 0;
    RoundParameters round = OpenRound();
    round.feeMode = 7;
    round.fixedFee = 30;
    ASSERT_EQ(table.StartGame(round, chair), 1);
    PerChair<int32_t> values{1000, 20, 0, 500};
    PerChair<int32_t> kept{};
    PerChair<int32_t> taken{};
    EXPECT_EQ(table.SplitDeposit(values, kept, taken), 30 + 20 + 30);
    EXPECT_EQ(kept[1], 0);
    EXPECT_EQ(kept[3], 470);
}

TEST_F(Settlement, SinglePlayerSettlementAndEscapeReport) {
    class LeavingGame : public ScriptedGame {
    public:
        void ComputeSingleResult(int, int32_t& score, int32_t& silver, int32_t& other) override {
            score = -40;
            silver = -5000;
            other = 0;
        }
    };
    LeavingGame table;
    SeatFour(table, 1000);
    for (int c = 0; c < 4; ++c) {
        table.SetUserFlags(c, 4);
    }
    int chair = 0;
    ASSERT_EQ(table.StartGame(OpenRound(), chair), 1);
    const GameOverReport report = table.BuildEscapeReport(2, 9);
    ASSERT_EQ(report.players.size(), 1u);
    EXPECT_EQ(report.flag1, 1);
    EXPECT_EQ(report.flag2, 1);
    EXPECT_EQ(report.players[0].silverChange, -1000);  // no more than held
    EXPECT_EQ(report.players[0].loss, 1);
    EXPECT_EQ(table.SeatedPlayer(2)->silver, 0);
    EXPECT_EQ(table.SeatedPlayer(2)->score, -40);

    const PlayerReport unchanged = table.SettleSinglePlayer(1, true);
    EXPECT_EQ(unchanged.silverChange, 0);
    EXPECT_EQ(table.SeatedPlayer(1)->silver, 1000);
    EXPECT_EQ(table.BuildEscapeReport(6, 9).players.size(), 0u);

    table.SeatedPlayer(3)->silver = -100;  // below 0: nothing more to lose
    EXPECT_EQ(table.BuildEscapeReport(3, 9).players[0].silverChange, 0);
    EXPECT_EQ(table.SeatedPlayer(3)->silver, -100);
}

// Without a silver base no limit applies to a leaver's result; a win still
// stays within what the purse can take, and the record says what it took.
TEST_F(Settlement, ALeaversWinAtTheTopOfTheRangeIsWhatThePurseTakes) {
    class WinningLeaver : public ScriptedGame {
    public:
        WinningLeaver() : ScriptedGame(kRuleSkipMinSilver) {}
        void ComputeSingleResult(int, int32_t& score, int32_t& silver, int32_t& other) override {
            score = 0;
            silver = 300'000'000;
            other = 0;
        }
    };
    WinningLeaver table;
    SeatFour(table, 2'000'000'000);
    for (int c = 0; c < 4; ++c) {
        table.SetUserFlags(c, 4);
    }
    int chair = 0;
    ASSERT_EQ(table.StartGame(OpenRound(), chair), 1);
    EXPECT_EQ(table.SettleSinglePlayer(2, false).silverChange, INT_MAX - 2'000'000'000);
    EXPECT_EQ(table.SeatedPlayer(2)->silver, INT_MAX);
}

}  // namespace
