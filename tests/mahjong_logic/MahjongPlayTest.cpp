#include <gtest/gtest.h>

#include "tests/mahjong_logic/MahjongPlayTestSupport.h"

namespace {

using MahjongPlay = MahjongFixture;

constexpr int kFive = TileId(0, 5, 2);  // the tile seat 2 discards

// Seat 1 waits on 2 or 5 of suit 0; seat 3 on 5 or 8 of suit 0; seat 2 holds
// the 5 it discards.
void DealTwoWaits(PlayTable& table) {
    table.Give(1,
               {TileId(0, 3, 0), TileId(0, 4, 0), TileId(1, 1, 0), TileId(1, 1, 1), TileId(1, 1, 2),
                TileId(1, 2, 0), TileId(1, 2, 1), TileId(1, 2, 2), TileId(1, 3, 0), TileId(1, 3, 1),
                TileId(1, 3, 2), TileId(2, 9, 0), TileId(2, 9, 1)});
    table.Give(3,
               {TileId(0, 6, 0), TileId(0, 7, 0), TileId(2, 1, 0), TileId(2, 1, 1), TileId(2, 1, 2),
                TileId(2, 2, 0), TileId(2, 2, 1), TileId(2, 2, 2), TileId(2, 3, 0), TileId(2, 3, 1),
                TileId(2, 3, 2), TileId(1, 9, 0), TileId(1, 9, 1)});
    table.Give(2, {kFive, TileId(0, 1, 3)});
}

TEST_F(MahjongPlay, ClaimsRankHuOverGangOverPengNearestFirst) {
    PlayTable table;
    // Seat 2 discards: seat 1 is next in play order, seat 3 the last.
    EXPECT_EQ(table.ClaimPriority(1, 2, kClaimPeng), 199);
    EXPECT_EQ(table.ClaimPriority(0, 2, kClaimPeng), 198);
    EXPECT_EQ(table.ClaimPriority(3, 2, kClaimPeng), 197);
    EXPECT_EQ(table.ClaimPriority(3, 2, kClaimHu | kClaimPeng), 397);
    EXPECT_EQ(table.ClaimPriority(3, 2, kClaimGang | kClaimPeng), 297);
    EXPECT_EQ(table.ClaimPriority(1, 2, kClaimChi), 99);
    EXPECT_EQ(table.ClaimPriority(2, 2, kClaimPeng), 200);
    EXPECT_EQ(table.ClaimPriority(1, 2, 0), 0);
    EXPECT_EQ(table.ClaimPriority(7, 2, kClaimHu), 0);

    MahjongTableParameters several = kRegionalTableParameters;
    several.ruleFlags |= kMahjongRuleSeveralWinners;
    PlayTable flat(several);
    EXPECT_EQ(flat.ClaimPriority(3, 2, kClaimHu), 400);
    EXPECT_EQ(flat.ClaimPriority(1, 2, kClaimHu), 400);
}

TEST_F(MahjongPlay, ADiscardOpensClaimsAndALowerClaimWaitsForTheHigher) {
    PlayTable table;
    // Seat 1 waits on the 5; seat 3 holds three 5s.
    table.Give(1,
               {TileId(0, 3, 0), TileId(0, 4, 0), TileId(1, 1, 0), TileId(1, 1, 1), TileId(1, 1, 2),
                TileId(1, 2, 0), TileId(1, 2, 1), TileId(1, 2, 2), TileId(1, 3, 0), TileId(1, 3, 1),
                TileId(1, 3, 2), TileId(2, 9, 0), TileId(2, 9, 1)});
    table.Give(3, {TileId(0, 5, 0), TileId(0, 5, 1), TileId(0, 5, 3), TileId(2, 1, 0)});
    table.Give(2, {kFive, TileId(0, 1, 3)});
    table.Turn(2);
    ASSERT_EQ(table.DiscardOne(2, kFive), 1);
    EXPECT_EQ(table.TileState(kFive), kCardDiscarded);
    EXPECT_EQ(table.Discards(2).back(), kFive);
    EXPECT_EQ(table.ClaimOptions(1), kClaimHu);
    EXPECT_EQ(table.ClaimOptions(3), kClaimPeng | kClaimGang);
    EXPECT_EQ(table.ClaimOptions(2), 0);
    EXPECT_TRUE(table.HasAnswered(2));
    EXPECT_TRUE(table.HasAnswered(0));   // no option
    EXPECT_EQ(table.SeatStatus(1), 0u);  // two seats claim: nobody acts at once
    ExpectConservation(table);
    table.OpenClaims();

    // Seat 3's peng is held while seat 1 may still hu.
    const TableRequest peng = MeldRequest(3, 2, kFive, {TileId(0, 5, 0), TileId(0, 5, 1)});
    EXPECT_EQ(table.WaitForHigherClaim(peng, kClaimPeng), 1);
    EXPECT_EQ(table.ResponsePriority(3), 197);
    EXPECT_EQ(table.AllAnswered(2), 0);
    // Seat 1 passes; the answers are complete and the peng goes ahead.
    // The highest open claim is now seat 3's, which has answered by waiting.
    EXPECT_EQ(table.AnswerClaim(1, 2), 1);
    EXPECT_EQ(table.AnswerClaim(1, 2), 0);  // a second answer counts nothing
    EXPECT_EQ(table.WaitForHigherClaim(peng, kClaimPeng), 0);
    ASSERT_EQ(table.Peng(peng), 1);
    EXPECT_EQ(table.TileState(kFive), kCardPengClaimed);
    EXPECT_EQ(table.TileState(TileId(0, 5, 0)), kCardPengFromHand);
    EXPECT_TRUE(table.Discards(2).empty());
    ASSERT_EQ(table.Melds(3, kMeldPeng).size(), 1u);
    EXPECT_EQ(table.Melds(3, kMeldPeng)[0].source, 2);
    EXPECT_EQ(table.Feeds(kMeldPeng, 2, 3), 1);
    EXPECT_EQ(table.GetActiveChair(), 3);
    EXPECT_EQ(table.TableState() & (kStateClaimPhase | kStateTurnPhase | kStateTurnAfterMeld),
              kStateTurnPhase | kStateTurnAfterMeld);
    EXPECT_EQ(table.SeatTileCount(3), 2);
    ExpectConservation(table);
}

TEST_F(MahjongPlay, AHeldClaimGoesAheadAtClaimTimeOutLessOneSecond) {
    PlayTable table;
    table.Give(1,
               {TileId(0, 3, 0), TileId(0, 4, 0), TileId(1, 1, 0), TileId(1, 1, 1), TileId(1, 1, 2),
                TileId(1, 2, 0), TileId(1, 2, 1), TileId(1, 2, 2), TileId(1, 3, 0), TileId(1, 3, 1),
                TileId(1, 3, 2), TileId(2, 9, 0), TileId(2, 9, 1)});
    table.Give(3, {TileId(0, 5, 0), TileId(0, 5, 1)});
    table.Give(2, {kFive});
    table.Turn(2);
    ASSERT_EQ(table.DiscardOne(2, kFive), 1);
    table.OpenClaims();
    const TableRequest peng = MeldRequest(3, 2, kFive, {TileId(0, 5, 0), TileId(0, 5, 1)});
    EXPECT_EQ(table.WaitForHigherClaim(peng, kClaimPeng), 1);
    TestClock::Advance(8999);
    EXPECT_EQ(table.WaitForHigherClaim(peng, kClaimPeng), 1);
    TestClock::Advance(1);
    EXPECT_EQ(table.WaitForHigherClaim(peng, kClaimPeng), 0);
    EXPECT_EQ(table.ResponsePriority(3), 0);
    EXPECT_EQ(table.Peng(peng), 1);
}

TEST_F(MahjongPlay, OneWinnerOnADiscardUnlessSeveralMayWin) {
    {
        PlayTable table;
        DealTwoWaits(table);
        table.Turn(2);
        ASSERT_EQ(table.DiscardOne(2, kFive), 1);
        table.OpenClaims();
        EXPECT_EQ(table.ClaimOptions(1), kClaimHu);
        EXPECT_EQ(table.ClaimOptions(3), kClaimHu);
        // Seat 3 claims, but seat 1 comes first after the discarder.
        TableRequest hu = HuRequest(3, 2, kFive, kHuOnDiscard);
        EXPECT_EQ(table.ResolveHu(hu), 1);
        EXPECT_EQ(table.WinnerSeat(), 1);
        EXPECT_GT(table.HuPointsOf(1), 0);
        EXPECT_EQ(table.HuPointsOf(3), 0);
        EXPECT_EQ(table.DiscarderSeat(), 2);
        EXPECT_EQ(table.WonTile(), kFive);
        table.SetEndFlags();
        EXPECT_EQ(table.EndFlags(), kEndOnDiscard);
    }
    {
        MahjongTableParameters several = kRegionalTableParameters;
        several.ruleFlags |= kMahjongRuleSeveralWinners;
        PlayTable table(several);
        DealTwoWaits(table);
        table.Turn(2);
        ASSERT_EQ(table.DiscardOne(2, kFive), 1);
        table.OpenClaims();
        TableRequest hu = HuRequest(3, 2, kFive, kHuOnDiscard);
        // Seat 1 may still hu: seat 3 waits for it.
        EXPECT_EQ(table.WaitForOtherHu(hu), 1);
        EXPECT_EQ(table.ResolveHu(hu), 2);
        EXPECT_EQ(table.WinnerSeat(), 1);
        EXPECT_EQ(table.WinnerCount(), 2);
        table.SetEndFlags();
        EXPECT_EQ(table.EndFlags(), kEndOnDiscard | kEndSeveralWinners);
    }
}

TEST_F(MahjongPlay, ASeatThatPassedDoesNotWinAndAFailedHuChangesNothing) {
    PlayTable table;
    DealTwoWaits(table);
    table.Turn(2);
    ASSERT_EQ(table.DiscardOne(2, kFive), 1);
    table.OpenClaims();
    table.AnswerClaim(1, 2);
    TableRequest hu = HuRequest(3, 2, kFive, kHuOnDiscard);
    EXPECT_EQ(table.ResolveHu(hu), 1);
    EXPECT_EQ(table.WinnerSeat(), 3);
    // Seat 1 passed: its own claim is refused.
    TableRequest late = HuRequest(1, 2, kFive, kHuOnDiscard);
    EXPECT_EQ(table.ResolveHu(late), 0);
}

TEST_F(MahjongPlay, NoPengForADeclaredSeat) {
    PlayTable table;
    table.declared[3] = true;
    table.Give(3, {TileId(0, 5, 0), TileId(0, 5, 1), TileId(2, 1, 0), TileId(2, 9, 0)});
    table.Give(1, {TileId(0, 5, 3), TileId(0, 6, 0)});
    table.Give(2, {kFive});
    table.Turn(2);
    ASSERT_EQ(table.DiscardOne(2, kFive), 1);
    EXPECT_EQ(table.ClaimOptions(3), 0);
    EXPECT_TRUE(table.HasAnswered(3));
    // Seat 1 holds one 5 only: nobody may claim.
    EXPECT_EQ(table.ClaimOptions(1), 0);
    table.OpenClaims();
    EXPECT_EQ(table.Peng(MeldRequest(3, 2, kFive, {TileId(0, 5, 0), TileId(0, 5, 1)})), 0);
    EXPECT_TRUE(table.Melds(3, kMeldPeng).empty());
}

TEST_F(MahjongPlay, TheOnlyClaimantMayActAtOnce) {
    PlayTable table;
    table.Give(3, {TileId(0, 5, 0), TileId(0, 5, 1)});
    table.Give(2, {kFive});
    table.Turn(2);
    ASSERT_EQ(table.DiscardOne(2, kFive), 1);
    EXPECT_EQ(table.SeatStatus(3), kSeatMayAct);
    EXPECT_EQ(table.SeatStatus(1), 0u);
}

// Each refusal leaves the records as they were.
class Refusals : public MahjongFixture {
protected:
    void SetUp() override {
        MahjongFixture::SetUp();
        table.Give(3, {TileId(0, 5, 0), TileId(0, 5, 1), TileId(0, 5, 3), TileId(1, 1, 0)});
        table.Give(2, {kFive, TileId(1, 1, 1)});
        table.Give(1, {TileId(0, 4, 0), TileId(0, 6, 0), TileId(2, 7, 0)});
        table.Turn(2);
        ASSERT_EQ(table.DiscardOne(2, kFive), 1);
        table.OpenClaims();
    }
    void ExpectRefused(int (CMahjongTableLogic::*operation)(const TableRequest&),
                       const TableRequest& request, const char* what) {
        const std::vector<CardRecord> before(table.Wall().begin(), table.Wall().end());
        EXPECT_EQ((table.*operation)(request), 0) << what;
        for (size_t k = 0; k < before.size(); ++k) {
            ASSERT_EQ(table.Wall()[k].state, before[k].state) << what << " record " << k;
        }
        ExpectConservation(table);
    }

    PlayTable table;
    const TableRequest peng = MeldRequest(3, 2, kFive, {TileId(0, 5, 0), TileId(0, 5, 1)});
    const TableRequest kong =
        MeldRequest(3, 2, kFive, {TileId(0, 5, 0), TileId(0, 5, 1), TileId(0, 5, 3)});
};

TEST_F(Refusals, PengAndKongRequests) {
    using Table = CMahjongTableLogic;
    ExpectRefused(&Table::Peng, MeldRequest(2, 2, kFive, {TileId(0, 5, 0), TileId(0, 5, 1)}),
                  "by the discarder");
    ExpectRefused(&Table::Peng, MeldRequest(3, 1, kFive, {TileId(0, 5, 0), TileId(0, 5, 1)}),
                  "from a seat that did not discard it");
    ExpectRefused(&Table::Peng, MeldRequest(3, 2, kFive, {TileId(0, 5, 0), TileId(0, 5, 0)}),
                  "one tile named twice");
    ExpectRefused(&Table::Peng, MeldRequest(3, 2, kFive, {TileId(0, 5, 0), TileId(1, 1, 0)}),
                  "a tile of another kind");
    ExpectRefused(&Table::Peng, MeldRequest(3, 2, kFive, {TileId(0, 5, 0), TileId(1, 1, 1)}),
                  "a tile the seat does not hold");
    ExpectRefused(&Table::Peng, MeldRequest(3, 2, TileId(1, 1, 1), {TileId(1, 1, 0)}),
                  "a tile not discarded");
    ExpectRefused(&Table::Peng, MeldRequest(9, 2, kFive, {}), "a seat outside the table");
    ExpectRefused(&Table::ExposedKong,
                  MeldRequest(3, 2, kFive, {TileId(0, 5, 0), TileId(0, 5, 1), -1}),
                  "a kong of two");

    table.Turn(3);  // the claim window is over
    ExpectRefused(&Table::Peng, peng, "outside the claim phase");
    ExpectRefused(&Table::ExposedKong, kong, "kong outside the claim phase");
    table.OpenClaims();

    // A higher claim recorded by a third seat.
    EXPECT_EQ(table.CheckPengRequest(peng), 1);
    table.AddStateFlags(kStateHandOver);
    ExpectRefused(&Table::Peng, peng, "after the hand");
    table.ClearStateFlags(kStateHandOver);

    table.AnswerClaim(3, 2);  // seat 3 passes
    ExpectRefused(&Table::Peng, peng, "after passing");
    ExpectRefused(&Table::ExposedKong, kong, "kong after passing");
}

TEST_F(MahjongPlay, ARecordedHigherResponseRefusesALowerClaim) {
    MahjongTableParameters parameters = kRegionalTableParameters;
    parameters.ruleFlags &= ~kMahjongRuleNoChi;
    PlayTable table(parameters);
    // Seat 1 (next) may hu or chi with its 3 and 4; seat 3 may kong.
    table.Give(1,
               {TileId(0, 3, 0), TileId(0, 4, 0), TileId(1, 1, 0), TileId(1, 1, 1), TileId(1, 1, 2),
                TileId(1, 2, 0), TileId(1, 2, 1), TileId(1, 2, 2), TileId(1, 3, 0), TileId(1, 3, 1),
                TileId(1, 3, 2), TileId(2, 9, 0), TileId(2, 9, 1)});
    table.Give(3, {TileId(0, 5, 0), TileId(0, 5, 1), TileId(0, 5, 3)});
    table.Give(2, {kFive});
    table.Turn(2);
    ASSERT_EQ(table.DiscardOne(2, kFive), 1);
    table.OpenClaims();
    EXPECT_EQ(table.ClaimOptions(1), kClaimHu | kClaimChi);
    const TableRequest chi = MeldRequest(1, 2, kFive, {TileId(0, 3, 0), TileId(0, 4, 0)});
    EXPECT_EQ(table.CheckChiRequest(chi), 1);
    EXPECT_EQ(table.CheckChiRequest(MeldRequest(3, 2, kFive, {TileId(0, 5, 0), TileId(0, 5, 1)})),
              0);  // not the next player
    const TableRequest kong =
        MeldRequest(3, 2, kFive, {TileId(0, 5, 0), TileId(0, 5, 1), TileId(0, 5, 3)});
    EXPECT_EQ(table.WaitForHigherClaim(kong, kClaimGang), 1);
    EXPECT_EQ(table.ResponsePriority(3), 297);
    EXPECT_EQ(table.Chi(chi), 0);
    table.AnswerClaim(1, 2);
    EXPECT_EQ(table.WaitForHigherClaim(kong, kClaimGang), 0);
    ASSERT_EQ(table.ExposedKong(kong), 1);
    EXPECT_EQ(table.Feeds(kMeldExposedKong, 2, 3), 1);
    EXPECT_EQ(table.KongDrawWord(), 1);
    EXPECT_EQ(table.TileState(kFive), kCardKongClaimed);
    ExpectConservation(table);
}

TEST_F(Refusals, ConcealedAndAddedKongsAndSelfDrawnHu) {
    using Table = CMahjongTableLogic;
    // Seat 3 holds three 5s only (the fourth was discarded): no concealed kong.
    table.Turn(3);
    ExpectRefused(
        &Table::ConcealedKong,
        MeldRequest(3, 3, TileId(0, 5, 3), {TileId(0, 5, 0), TileId(0, 5, 1), TileId(1, 1, 0)}),
        "four of different kinds");
    ExpectRefused(&Table::AddedKong,
                  MeldRequest(3, 3, TileId(0, 5, 3), {TileId(0, 5, 0), TileId(0, 5, 1), -1}),
                  "an added kong without a peng");
    ExpectRefused(
        &Table::ConcealedKong,
        MeldRequest(1, 1, TileId(0, 4, 0), {TileId(0, 4, 1), TileId(0, 4, 2), TileId(0, 4, 3)}),
        "not the active chair");
    TableRequest selfHu = HuRequest(3, 3, TileId(0, 5, 0), kHuSelfDrawn);
    EXPECT_EQ(table.ResolveHu(selfHu), 0);
    TableRequest notHeld = HuRequest(3, 3, kFive, kHuSelfDrawn);
    EXPECT_EQ(table.CheckSelfDrawnHuRequest(notHeld), 0);
}

TEST_F(MahjongPlay, AConcealedKongGivesFourTilesStateTwelve) {
    PlayTable table;
    const std::initializer_list<int> four = {TileId(1, 4, 0), TileId(1, 4, 1), TileId(1, 4, 2),
                                             TileId(1, 4, 3)};
    table.Give(0, four);
    table.Give(0, {TileId(2, 2, 0)});
    table.Turn(0);
    const TableRequest request =
        MeldRequest(0, 0, TileId(1, 4, 3), {TileId(1, 4, 0), TileId(1, 4, 1), TileId(1, 4, 2)});
    // Not the seat's own source.
    EXPECT_EQ(table.ConcealedKong(MeldRequest(0, 1, TileId(1, 4, 3),
                                              {TileId(1, 4, 0), TileId(1, 4, 1), TileId(1, 4, 2)})),
              0);
    ASSERT_EQ(table.ConcealedKong(request), 1);
    for (const int id : four) {
        EXPECT_EQ(table.TileState(id), kCardKongFromHand) << id;
    }
    EXPECT_EQ(table.SeatTileCount(0), 1);
    EXPECT_EQ(table.KongDrawWord(), 1);
    EXPECT_EQ(table.Melds(0, kMeldConcealedKong).size(), 1u);
    ExpectConservation(table);
}

TEST_F(MahjongPlay, TheKongTestByMode) {
    PlayTable table;
    table.Give(0, {TileId(0, 2, 0), TileId(0, 2, 1), TileId(0, 2, 2), TileId(1, 7, 0),
                   TileId(1, 7, 1), TileId(1, 7, 2), TileId(1, 7, 3), TileId(2, 4, 3)});
    EXPECT_EQ(table.KongTest(0, TileId(0, 2, 3), 1), 1);
    EXPECT_EQ(table.KongTest(0, TileId(0, 3, 3), 1), 0);
    EXPECT_EQ(table.KongTest(0, TileId(1, 7, 0), 4), 4);
    EXPECT_EQ(table.KongTest(1, TileId(1, 7, 0), 4), 0);
    // Mode 2: a held tile of a kind the seat has a peng of.
    EXPECT_EQ(table.KongTest(0, TileId(2, 4, 3), 2), 0);
    MeldEntry peng;
    peng.tiles = {TileId(2, 4, 0), TileId(2, 4, 1), TileId(2, 4, 2), -1};
    peng.source = 1;
    table.AddMeld(0, kMeldPeng, peng);
    EXPECT_EQ(table.KongTest(0, TileId(2, 4, 3), 2), 2);
    EXPECT_EQ(table.KongTest(1, TileId(2, 4, 3), 2), 0);  // not its tile
    EXPECT_EQ(table.KongTest(0, TileId(2, 4, 3), 3), 0);
    EXPECT_EQ(table.KongTest(0, -1, 1), 0);
}

// Seat 0 has a peng of 4s from seat 1 and draws the fourth.
class AddedKong : public MahjongFixture {
protected:
    void SetUp() override {
        MahjongFixture::SetUp();
        table.Give(0, {TileId(2, 4, 0), TileId(2, 4, 1), TileId(2, 2, 0)});
        table.Give(1, {TileId(2, 4, 2), TileId(1, 1, 0)});
        table.Give(
            2, {TileId(2, 3, 0), TileId(2, 5, 0), TileId(1, 6, 0), TileId(1, 6, 1), TileId(1, 6, 2),
                TileId(1, 7, 0), TileId(1, 7, 1), TileId(1, 7, 2), TileId(1, 8, 0), TileId(1, 8, 1),
                TileId(1, 8, 2), TileId(0, 9, 0), TileId(0, 9, 1)});
        table.Turn(1);
        ASSERT_EQ(table.DiscardOne(1, TileId(2, 4, 2)), 1);
        table.OpenClaims();
        ASSERT_EQ(
            table.Peng(MeldRequest(0, 1, TileId(2, 4, 2), {TileId(2, 4, 0), TileId(2, 4, 1)})), 1);
        table.Give(0, {TileId(2, 4, 3)});  // the draw
        table.ClearStateFlags(kStateTurnAfterMeld);
    }
    TableRequest Kong() const {
        TableRequest request =
            MeldRequest(0, 0, TileId(2, 4, 3), {TileId(2, 4, 0), TileId(2, 4, 1), TileId(2, 4, 2)});
        request.words[9] = kKongAdded;
        return request;
    }

    PlayTable table;
};

TEST_F(AddedKong, TheKongReplacesThePeng) {
    EXPECT_EQ(table.AddedKong(MeldRequest(0, 0, TileId(2, 4, 3),
                                          {TileId(2, 4, 0), TileId(2, 4, 1), TileId(2, 2, 0)})),
              0);
    ASSERT_EQ(table.AddedKong(Kong()), 1);
    EXPECT_TRUE(table.Melds(0, kMeldPeng).empty());
    ASSERT_EQ(table.Melds(0, kMeldAddedKong).size(), 1u);
    const MeldEntry& kong = table.Melds(0, kMeldAddedKong)[0];
    EXPECT_EQ(kong.tiles[3], TileId(2, 4, 3));
    EXPECT_EQ(kong.source, 1);
    EXPECT_EQ(table.TileState(TileId(2, 4, 3)), kCardKongClaimed);
    EXPECT_EQ(table.TileState(TileId(2, 4, 2)), kCardKongFromHand);
    EXPECT_EQ(table.TileState(TileId(2, 4, 0)), kCardKongFromHand);
    EXPECT_EQ(table.SeatTileCount(0), 1);
    EXPECT_EQ(table.KongDrawWord(), 1);
    ExpectConservation(table);
    // Nothing is left to add to.
    EXPECT_EQ(table.AddedKong(Kong()), 0);
}

TEST_F(AddedKong, AnAnnouncedKongMayBeRobbedWithinItsWindow) {
    ASSERT_EQ(table.AnnounceKong(Kong()), 1);
    EXPECT_NE(table.TableState() & kStateAddedKongAnnounced, 0u);
    EXPECT_TRUE(table.IsRobbingWindowOpen());
    // Seat 2 waits on the 4: it may rob; the kong waits for it.
    EXPECT_EQ(table.ClaimOptions(2), kClaimHu);
    EXPECT_EQ(table.ClaimOptions(1), 0);
    EXPECT_EQ(table.AddedKong(Kong()), 0);
    EXPECT_EQ(table.AnnounceKong(Kong()), 0);  // once

    // The robbing claim names the kong's seat as its source.
    TableRequest wrongSeat = HuRequest(2, 1, TileId(2, 4, 3), kHuRobbing, kKongAdded);
    EXPECT_EQ(table.ResolveHu(wrongSeat), 0);
    TableRequest wrongKind = HuRequest(2, 0, TileId(2, 4, 3), kHuRobbing, kKongOnDiscard);
    EXPECT_EQ(table.ResolveHu(wrongKind), 0);
    TableRequest rob = HuRequest(2, 0, TileId(2, 4, 3), kHuRobbing, kKongAdded);
    TableRequest byKongSeat = HuRequest(0, 0, TileId(2, 4, 3), kHuRobbing, kKongAdded);
    EXPECT_EQ(table.ResolveHu(byKongSeat), 0);
    EXPECT_EQ(table.ResolveHu(rob), 1);
    EXPECT_EQ(table.WinnerSeat(), 2);
    EXPECT_EQ(table.DiscarderSeat(), 0);
    table.SetEndFlags();
    EXPECT_EQ(table.EndFlags(), kEndRobbing);
}

TEST_F(AddedKong, TheRobbingWindowClosesAtClaimTimeOutLessOneSecond) {
    ASSERT_EQ(table.AnnounceKong(Kong()), 1);
    TestClock::Advance(8999);
    EXPECT_TRUE(table.IsRobbingWindowOpen());
    EXPECT_EQ(table.AddedKong(Kong()), 0);
    TestClock::Advance(1);
    EXPECT_FALSE(table.IsRobbingWindowOpen());
    TableRequest rob = HuRequest(2, 0, TileId(2, 4, 3), kHuRobbing, kKongAdded);
    EXPECT_EQ(table.CheckRobKongRequest(rob, kKongAdded), 0);
    ASSERT_EQ(table.AddedKong(Kong()), 1);
    // The kong clears the announcement.
    EXPECT_EQ(table.TableState() & kStateAddedKongAnnounced, 0u);
    EXPECT_EQ(table.ResolveHu(rob), 0);
}

TEST_F(AddedKong, APassingRobberLetsTheKongGoAhead) {
    ASSERT_EQ(table.AnnounceKong(Kong()), 1);
    table.AnswerClaim(2, 0);
    EXPECT_EQ(table.AddedKong(Kong()), 1);
}

TEST_F(MahjongPlay, WithoutTheRobbingRuleNobodyMayRob) {
    MahjongTableParameters parameters = kRegionalTableParameters;
    parameters.ruleFlags &= ~kMahjongRuleRobAddedKong;
    PlayTable table(parameters);
    table.Give(0, {TileId(2, 4, 0), TileId(2, 4, 1), TileId(2, 4, 3)});
    table.Give(2,
               {TileId(2, 3, 0), TileId(2, 5, 0), TileId(1, 6, 0), TileId(1, 6, 1), TileId(1, 6, 2),
                TileId(1, 7, 0), TileId(1, 7, 1), TileId(1, 7, 2), TileId(1, 8, 0), TileId(1, 8, 1),
                TileId(1, 8, 2), TileId(0, 9, 0), TileId(0, 9, 1)});
    MeldEntry peng;
    peng.tiles = {TileId(2, 4, 0), TileId(2, 4, 1), TileId(2, 4, 2), -1};
    peng.source = 1;
    table.SetTileState(TileId(2, 4, 0), kCardPengFromHand);
    table.SetTileState(TileId(2, 4, 1), kCardPengFromHand);
    table.SetTileState(TileId(2, 4, 2), kCardPengClaimed);
    table.RebuildCounts();
    table.AddMeld(0, kMeldPeng, peng);
    table.Turn(0);
    TableRequest kong =
        MeldRequest(0, 0, TileId(2, 4, 3), {TileId(2, 4, 0), TileId(2, 4, 1), TileId(2, 4, 2)});
    kong.words[9] = kKongAdded;
    ASSERT_EQ(table.AnnounceKong(kong), 1);
    EXPECT_EQ(table.ClaimOptions(2), 0);
    EXPECT_EQ(table.AddedKong(kong), 1);
}

// A discard is refused, with nothing changed, unless it fits the turn.
TEST_F(MahjongPlay, ADiscardMustFitTheTurn) {
    PlayTable table;
    table.Give(2, {kFive, TileId(0, 1, 3), TileId(1, 2, 0)});
    const std::vector<CardRecord> before(table.Wall().begin(), table.Wall().end());
    auto refused = [&](const char* what) {
        for (size_t k = 0; k < before.size(); ++k) {
            ASSERT_EQ(table.Wall()[k].state, before[k].state) << what << " record " << k;
        }
        EXPECT_EQ(table.SeatTileCount(2), 3) << what;
        EXPECT_TRUE(table.Discards(2).empty()) << what;
    };
    EXPECT_EQ(table.DiscardOne(2, kFive), 0);
    refused("outside the turn");
    table.Turn(1);
    EXPECT_EQ(table.DiscardOne(2, kFive), 0);
    refused("another seat's turn");
    table.Turn(2);
    EXPECT_EQ(table.DiscardOne(2, TileId(0, 7, 0)), 0);
    refused("a tile in the wall");
    EXPECT_EQ(table.DiscardOne(2, -1), 0);
    refused("no tile");
    std::array<int32_t, 64> two;
    two.fill(-1);
    two[0] = kFive;
    two[1] = TileId(0, 1, 3);
    EXPECT_EQ(table.Discard(2, two), 0);
    refused("two tiles");
    EXPECT_EQ(table.Discard(2, std::span<const int32_t>()), 0);
    refused("an empty list");
    table.AddStateFlags(kStateSwapPhase);
    EXPECT_EQ(table.DiscardOne(2, kFive), 0);
    refused("in the swap phase");
    table.ClearStateFlags(kStateSwapPhase);
    table.AddStateFlags(kStateHandOver);
    EXPECT_EQ(table.DiscardOne(2, kFive), 0);
    refused("after the hand");
    table.ClearStateFlags(kStateHandOver);

    // A seat that has won gives back only the kind it drew.
    table.won[2] = true;
    table.lastDrawn = TileId(1, 2, 0);
    EXPECT_EQ(table.DiscardOne(2, kFive), 0);
    refused("a winner's other tile");
    EXPECT_EQ(table.DiscardOne(2, TileId(1, 2, 0)), 1);
    EXPECT_EQ(table.SeatTileCount(2), 2);
    ExpectConservation(table);
    // The tile is gone: a second discard of it is refused.
    table.Turn(2);
    EXPECT_EQ(table.DiscardOne(2, TileId(1, 2, 0)), 0);
    EXPECT_EQ(table.SeatTileCount(2), 2);
}

TEST_F(MahjongPlay, ASelfDrawnHuAndTheTurnAfterAMeld) {
    PlayTable table;
    // Seat 0 holds a winning hand of fourteen with the drawn 5.
    table.Give(0,
               {TileId(0, 3, 0), TileId(0, 4, 0), kFive, TileId(1, 1, 0), TileId(1, 1, 1),
                TileId(1, 1, 2), TileId(1, 2, 0), TileId(1, 2, 1), TileId(1, 2, 2), TileId(1, 3, 0),
                TileId(1, 3, 1), TileId(1, 3, 2), TileId(2, 9, 0), TileId(2, 9, 1)});
    table.Turn(0);
    table.AddStateFlags(kStateTurnAfterMeld);
    TableRequest hu = HuRequest(0, 0, kFive, kHuSelfDrawn);
    EXPECT_EQ(table.ResolveHu(hu), 0);
    table.ClearStateFlags(kStateTurnAfterMeld);
    TableRequest other = HuRequest(1, 1, kFive, kHuSelfDrawn);
    EXPECT_EQ(table.ResolveHu(other), 0);
    EXPECT_EQ(table.ResolveHu(hu), 1);
    EXPECT_EQ(table.WinnerSeat(), 0);
    EXPECT_EQ(table.DiscarderSeat(), -1);
    table.SetEndFlags();
    EXPECT_EQ(table.EndFlags(), kEndSelfDrawn);
}

TEST_F(MahjongPlay, TimeOutsAndTheAutomaticDiscard) {
    PlayTable table;
    table.Give(1, {TileId(2, 8, 0), TileId(0, 2, 0)});
    table.Turn(1);
    EXPECT_FALSE(table.IsTurnTimeOut());
    EXPECT_FALSE(table.IsClaimTimeOut());
    TestClock::Advance(12001);
    EXPECT_TRUE(table.IsClaimTimeOut());
    EXPECT_FALSE(table.IsTurnTimeOut());
    TestClock::Advance(5000);
    EXPECT_TRUE(table.IsTurnTimeOut());

    TableRequest request;
    EXPECT_EQ(table.AutoDiscardChoice(1, request), TileId(0, 2, 0));  // first in wall order
    EXPECT_EQ(request.words[26], TileId(0, 2, 0));
    EXPECT_EQ(request.words[20], 1);
    EXPECT_EQ(request.words[25], 1);
    TableRequest none;
    EXPECT_EQ(table.AutoDiscardChoice(3, none), -1);
    EXPECT_EQ(none.words[26], 0);
}

TEST_F(MahjongPlay, AllAnsweredWaitsForTheClaimantsWithinTheWindow) {
    PlayTable table;
    table.Give(1, {TileId(0, 5, 0), TileId(0, 5, 1), TileId(2, 1, 0), TileId(2, 9, 0)});
    table.Give(2, {kFive});
    table.Turn(2);
    ASSERT_EQ(table.DiscardOne(2, kFive), 1);
    EXPECT_EQ(table.AllAnswered(2), 0);
    EXPECT_EQ(table.AllAnswered(9), 0);
    // The seat after the given one in seat number is not waited for.
    EXPECT_EQ(table.AllAnswered(0), 1);
    TestClock::Advance(9499);
    EXPECT_EQ(table.AllAnswered(2), 0);
    TestClock::Advance(1);
    EXPECT_EQ(table.AllAnswered(2), 1);
    EXPECT_EQ(table.AnswerClaim(1, 2), 1);
}

TEST_F(MahjongPlay, SetAsideTilesLeaveTheHand) {
    PlayTable table;
    table.Give(1, {TileId(0, 1, 0), TileId(0, 2, 0)});
    TableRequest request;
    request.words[3] = 1;
    request.words[4] = TileId(0, 1, 0);
    EXPECT_EQ(table.SetAsideTile(request), 1);
    EXPECT_EQ(table.SetAsideTile(request), 0);  // once
    EXPECT_EQ(table.SetAside(1).size(), 1u);
    EXPECT_EQ(table.SeatTileCount(1), 1);
    request.words[4] = TileId(0, 8, 0);  // still in the wall
    EXPECT_EQ(table.SetAsideTile(request), 0);
    request.words[3] = 6;
    request.words[4] = TileId(0, 2, 0);
    EXPECT_EQ(table.SetAsideTile(request), 0);
    ExpectConservation(table);
}

TEST_F(MahjongPlay, TheWildDiscardRecordBarsPengs) {
    MahjongTableParameters parameters = kRegionalTableParameters;
    parameters.ruleFlags |= kMahjongRuleWildDiscardRecord;
    PlayTable table(parameters);
    table.NoteWildDiscard(2);
    table.NoteWildDiscard(2);
    EXPECT_EQ(table.WildDiscardSeat(), 2);
    table.EndWildDiscardRecord(1);
    EXPECT_EQ(table.WildDiscardSeat(), 2);
    table.Give(3, {TileId(0, 5, 0), TileId(0, 5, 1)});
    table.Give(2, {kFive});
    table.Turn(2);
    // The discard of a plain tile by the recorded seat ends the record, so
    // put it back after the discard.
    ASSERT_EQ(table.DiscardOne(2, kFive), 1);
    table.OpenClaims();
    const TableRequest peng = MeldRequest(3, 2, kFive, {TileId(0, 5, 0), TileId(0, 5, 1)});
    EXPECT_EQ(table.CheckPengRequest(peng), 1);
    table.NoteWildDiscard(1);
    EXPECT_EQ(table.CheckPengRequest(peng), 0);
    table.EndWildDiscardRecord(1);
    EXPECT_EQ(table.CheckPengRequest(peng), 1);
}

}  // namespace
