#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/mahjong_logic/RegionalPlayTestSupport.h"

namespace {

using RegionalPlay = RegionalFixture;

// Seat 2's plain hand ("屁胡" only): it waits on a 5 or an 8 of suit 0.
std::vector<int> GivePlainWait(RegionalPlayTable& table) {
    return table.Give(2, {1, 2, 3, 14, 15, 16, 17, 18, 19, 22, 22, 6, 7});
}

bool Offers(const RegionalPlayTable& table, int seat, int32_t option) {
    return (table.ClaimOptions(seat) & option) != 0;
}

TEST_F(RegionalPlay, OnlyTheDiscardRightAfterAKongIsAShotAfterAKong) {
    RegionalPlayTable table;
    table.StartTestHand();
    GivePlainWait(table);
    const auto first = table.Give(1, {5, 21});
    const auto second = table.Give(0, {8, 21});

    // Seat 1 has made a kong and drawn its replacement: its discard is a
    // shot after a kong, which a plain hand may take.
    table.SetKongDrawWord(1);
    table.Turn(1);
    ASSERT_EQ(table.DiscardOne(1, first[0]), 1);
    EXPECT_TRUE(table.KongDiscardFlag());
    EXPECT_EQ(table.KongDrawWord(), 0);
    EXPECT_TRUE(Offers(table, 2, kClaimHu));
    table.OpenClaims();
    table.AnswerClaim(2, 1);

    // Seat 0 drew from the front: its discard is a plain one again, and the
    // plain hand may not take it from a seat that has not declared.
    table.Turn(0);
    ASSERT_EQ(table.DiscardOne(0, second[0]), 1);
    EXPECT_FALSE(table.KongDiscardFlag());
    EXPECT_FALSE(Offers(table, 2, kClaimHu));
    HuResult result;
    EXPECT_EQ(table.ScoreHu(2, second[0], result, kHuOnDiscard), 2);
    EXPECT_EQ(result.words[kHuTypeBaseWord + kTypeShotAfterKong], 0);
    ExpectConservation(table);
}

TEST_F(RegionalPlay, APlainHandWinsOnADiscardOnlyFromADeclaredSeat) {
    RegionalPlayTable table;
    table.StartTestHand();
    GivePlainWait(table);
    for (const int seat : {0, 1, 3}) {
        table.SetDeclared(seat, true);
    }
    const int five = FreeCopy(table, 5);
    HuResult result;
    // No discard list ends with the tile: no seat's declaration counts.
    EXPECT_EQ(table.CanHu(2, five, result, kHuOnDiscard), 0);
    EXPECT_EQ(table.CanHu(2, five, result, kHuSelfDrawn), kClaimHu);

    table.AddDiscards(1, {5});
    const int discarded = table.Discards(1).back();
    EXPECT_EQ(table.CanHu(2, discarded, result, kHuOnDiscard), kClaimHu);
    table.SetDeclared(1, false);
    EXPECT_EQ(table.CanHu(2, discarded, result, kHuOnDiscard), 0);
    // A hand that does not win, or a seat outside the table, never may.
    EXPECT_EQ(table.CanHu(2, FreeCopy(table, 9), result, kHuSelfDrawn), 0);
    EXPECT_EQ(table.CanHu(7, discarded, result, kHuOnDiscard), 0);
}

TEST_F(RegionalPlay, APassedIndexBarsPengAndPlainHuUntilTheSeatDraws) {
    RegionalPlayTable table;
    table.StartTestHand();
    // Seat 3 holds two 5s and waits on a 5 with a named hand (all one suit).
    table.Give(3, {5, 5, 1, 2, 3, 4, 4, 4, 6, 7, 8, 9, 9});
    const auto first = table.Give(1, {5, 21});
    const auto second = table.Give(0, {5, 21});
    table.Turn(1);
    ASSERT_EQ(table.DiscardOne(1, first[0]), 1);
    EXPECT_EQ(table.PassCount(3, 5), 1);
    EXPECT_TRUE(Offers(table, 3, kClaimPeng));
    EXPECT_TRUE(Offers(table, 3, kClaimHu));
    EXPECT_NE(table.SeatStatus(3) & kSeatMayAct, 0u);
    table.OpenClaims();
    table.AnswerClaim(3, 1);

    // The second 5 since seat 3's last draw: no peng, and its one-suit hand
    // (no early or late four, no shot after a kong) may not take it.
    table.Turn(0);
    ASSERT_EQ(table.DiscardOne(0, second[0]), 1);
    EXPECT_EQ(table.PassCount(3, 5), 2);
    EXPECT_EQ(table.ClaimOptions(3), 0);
    EXPECT_TRUE(table.HasAnswered(3));
}

TEST_F(RegionalPlay, ADeclaredSeatIsOfferedNoPengAndOnlyAKongThatKeepsItsWaits) {
    struct Case {
        std::initializer_list<int> hand;
        bool declared;
        int32_t options;
    };
    // With 5 5 5 and runs the hand waits on the 9 with or without the 5s;
    // with 5 5 5 6 it waits on 4, 6 and 7, and on the 6 alone without them.
    const Case cases[] = {
        {{5, 5, 5, 11, 12, 13, 14, 15, 16, 21, 22, 23, 29}, true, kClaimGang},
        {{5, 5, 5, 11, 12, 13, 14, 15, 16, 21, 22, 23, 29}, false, kClaimPeng | kClaimGang},
        {{5, 5, 5, 6, 11, 12, 13, 14, 15, 16, 21, 22, 23}, true, 0},
        {{5, 5, 5, 6, 11, 12, 13, 14, 15, 16, 21, 22, 23}, false, kClaimPeng | kClaimGang},
    };
    for (const Case& c : cases) {
        RegionalPlayTable table;
        table.StartTestHand();
        table.Give(2, c.hand);
        table.SetDeclared(2, c.declared);
        const auto discard = table.Give(1, {5, 21});
        table.Turn(1);
        ASSERT_EQ(table.DiscardOne(1, discard[0]), 1);
        EXPECT_EQ(table.ClaimOptions(2), c.options) << c.declared;
        // A declared seat never acts at once.
        EXPECT_EQ((table.SeatStatus(2) & kSeatMayAct) != 0, !c.declared) << c.declared;
    }
}

TEST_F(RegionalPlay, ADeclaredSeatsConcealedKongMustKeepItsWaits) {
    struct Case {
        std::initializer_list<int> hand;
        bool declared;
        int done;
    };
    const Case cases[] = {
        {{5, 5, 5, 5, 11, 12, 13, 14, 15, 16, 21, 22, 23, 29}, true, 1},
        {{5, 5, 5, 5, 6, 11, 12, 13, 14, 15, 16, 21, 22, 23}, true, 0},
        {{5, 5, 5, 5, 6, 11, 12, 13, 14, 15, 16, 21, 22, 23}, false, 1},
    };
    for (const Case& c : cases) {
        RegionalPlayTable table;
        table.StartTestHand();
        const auto ids = table.Give(0, c.hand);
        table.SetDeclared(0, c.declared);
        table.Turn(0);
        EXPECT_EQ(table.ConcealedKong(MeldRequest(0, 0, ids[3], {ids[0], ids[1], ids[2]})), c.done);
        EXPECT_EQ(table.Melds(0, kMeldConcealedKong).size(), static_cast<size_t>(c.done));
        EXPECT_EQ(table.KongDrawWord(), c.done);
        ExpectConservation(table);
    }
}

TEST_F(RegionalPlay, KongsBeforeTheFourthDiscardOrNearTheWallsEndAreFlagged) {
    struct Case {
        bool earlyDiscards;
        int drawnFront;
        int32_t flags;
    };
    const Case cases[] = {{true, 0, 1}, {false, 0, 0}, {false, 100, 0}, {false, 105, 2}};
    for (const Case& c : cases) {
        RegionalPlayTable table;
        table.BuildIdentityWall();
        if (!c.earlyDiscards) {
            table.AddDiscards(3, {29, 29, 29, 28});
        }
        table.SetDrawnFront(c.drawnFront);
        const auto ids = table.Give(0, {7, 7, 7, 7, 21});
        table.Turn(0);
        ASSERT_EQ(table.ConcealedKong(MeldRequest(0, 0, ids[3], {ids[0], ids[1], ids[2]})), 1);
        EXPECT_EQ(table.Melds(0, kMeldConcealedKong)[0].flags, c.flags) << c.drawnFront;
    }
}

TEST_F(RegionalPlay, APengClearsThePassCountsOfTheSeatsItSkips) {
    RegionalPlayTable table;
    table.StartTestHand();
    const auto pair = table.Give(3, {5, 5, 21});
    const auto discard = table.Give(1, {5, 22});
    table.SetPassCount(0, 9, 1);
    table.SetPassCount(2, 9, 1);
    table.Turn(1);
    ASSERT_EQ(table.DiscardOne(1, discard[0]), 1);
    table.OpenClaims();

    TableRequest peng = MeldRequest(3, 1, discard[0], {pair[0], pair[2]});
    peng.words[11] = 3;
    EXPECT_EQ(table.Peng(peng), 0);  // the 21 is no 5: refused, nothing cleared
    EXPECT_EQ(table.PassCount(0, 9), 1);

    peng = MeldRequest(3, 1, discard[0], {pair[0], pair[1]});
    peng.words[11] = 3;
    ASSERT_EQ(table.Peng(peng), 1);
    EXPECT_EQ(table.PassCount(0, 9), 0);  // skipped between the discarder and seat 3
    EXPECT_EQ(table.PassCount(0, 5), 0);
    EXPECT_EQ(table.PassCount(2, 9), 1);
    EXPECT_EQ(table.PassCount(3, 5), 1);
    EXPECT_EQ(table.GetActiveChair(), 3);
    ExpectConservation(table);
}

TEST_F(RegionalPlay, AMisfitRobbingRequestFallsBackToAHuOnTheDiscard) {
    RegionalPlayTable table;
    table.StartTestHand();
    GivePlainWait(table);
    table.SetDeclared(1, true);
    const auto discard = table.Give(1, {5, 21});
    table.Turn(1);
    ASSERT_EQ(table.DiscardOne(1, discard[0]), 1);
    ASSERT_TRUE(Offers(table, 2, kClaimHu));

    TableRequest early = HuRequest(2, 1, discard[0], kHuRobbing, kKongOnDiscard);
    EXPECT_EQ(table.DispatchRequest(early), 0);  // the claim window is not open
    EXPECT_EQ(early.HuKind(), kHuRobbing);

    table.OpenClaims();
    TableRequest hu = HuRequest(2, 1, discard[0], kHuRobbing, kKongOnDiscard);
    ASSERT_EQ(table.ResolveHu(hu), 1);
    EXPECT_EQ(hu.HuKind(), kHuOnDiscard);
    EXPECT_EQ(table.WinnerSeat(), 2);
    EXPECT_EQ(table.DiscarderSeat(), 1);
    table.SetEndFlags();
    EXPECT_EQ(table.EndFlags(), kEndOnDiscard);
}

TEST_F(RegionalPlay, TheWonTileIsLaidAsideAndTheWinnerPlaysOnItsDraws) {
    RegionalPlayTable table;
    table.StartTestHand();
    const auto hand = GivePlainWait(table);
    table.SetDeclared(1, true);
    const auto discard = table.Give(1, {5, 21});
    table.Turn(1);
    ASSERT_EQ(table.DiscardOne(1, discard[0]), 1);
    table.OpenClaims();
    TableRequest hu = HuRequest(2, 1, discard[0], kHuOnDiscard);
    ASSERT_EQ(table.ResolveHu(hu), 1);
    EXPECT_TRUE(table.MayRobKong(kKongAdded));

    TableRequest aside;
    aside.words[3] = 0;
    aside.words[4] = discard[0];
    EXPECT_EQ(table.SetAsideTile(aside), 0);  // not seat 0's win
    aside.words[3] = 2;
    aside.words[4] = hand[0];
    EXPECT_EQ(table.SetAsideTile(aside), 0);  // not the won tile
    aside.words[4] = discard[0];
    ASSERT_EQ(table.SetAsideTile(aside), 1);
    EXPECT_EQ(table.SetAsideTile(aside), 0);  // once
    EXPECT_TRUE(table.Discards(1).empty());
    EXPECT_EQ(table.Discards(2).back(), discard[0]);
    ASSERT_EQ(table.SetAside(2).size(), 1u);
    EXPECT_EQ(table.SetAside(2)[0], discard[0]);
    EXPECT_EQ(table.TileOwner(discard[0]), 2);
    EXPECT_EQ(table.TileState(discard[0]), kCardDiscarded);
    EXPECT_EQ(table.WinCount(2), 1);
    EXPECT_TRUE(table.HasWonThisHand(2));
    EXPECT_FALSE(table.HasWonThisHand(1));
    // Once a seat has won, an added kong may no longer be robbed.
    EXPECT_FALSE(table.MayRobKong(kKongAdded));
    EXPECT_TRUE(table.MayRobKong(kKongOnDiscard));
    ExpectConservation(table);

    // The winner gives back what it draws; the others their first tile.
    table.SetLastDrawn(hand[5]);
    TableRequest automatic;
    EXPECT_EQ(table.AutoDiscardChoice(2, automatic), hand[5]);
    EXPECT_EQ(automatic.words[20], 1);
    EXPECT_EQ(automatic.words[25], 1);
    EXPECT_EQ(automatic.words[26], hand[5]);
    EXPECT_EQ(table.AutoDiscardChoice(1, automatic), discard[1]);
    TableRequest untouched;
    EXPECT_EQ(table.AutoDiscardChoice(9, untouched), -1);
    EXPECT_EQ(untouched.words[26], 0);

    table.Turn(2);
    EXPECT_EQ(table.DiscardOne(2, hand[0]), 0);  // not its last drawn kind
    EXPECT_EQ(table.DiscardOne(2, hand[5]), 1);

    // Both resets forget the win.
    table.Reset(false);
    EXPECT_EQ(table.WinCount(2), 0);
    EXPECT_FALSE(table.HasWonThisHand(2));
}

TEST_F(RegionalPlay, PlayBeginsWithTheSwapAndEachPhaseTimesOut) {
    RegionalPlayTable table;
    table.StartTestHand();
    const auto held = table.Give(1, {5, 21});
    table.Give(3, {5, 5});
    table.BeginPlay();
    EXPECT_EQ(table.TableState() & (kTablePlaying | kStateSwapPhase | kStateTurnPhase),
              kTablePlaying | kStateSwapPhase);
    table.SetActiveChair(1);
    EXPECT_EQ(table.DiscardOne(1, held[0]), 0);  // nobody discards during the swap

    table.Turn(1);
    TestClock::Advance(15999);
    EXPECT_FALSE(table.PhaseTimedOut());
    TestClock::Advance(1);
    EXPECT_TRUE(table.PhaseTimedOut());
    TestClock::Advance(2000);
    EXPECT_FALSE(table.IsTurnTimeOut());
    TestClock::Advance(1);
    EXPECT_TRUE(table.IsTurnTimeOut());

    ASSERT_EQ(table.DiscardOne(1, held[0]), 1);
    table.OpenClaims();
    ASSERT_TRUE(Offers(table, 3, kClaimPeng));
    EXPECT_FALSE(table.PhaseTimedOut());
    EXPECT_TRUE(table.IsSeatTurnDue(2));  // only seat 3, its next, may claim
    EXPECT_FALSE(table.IsSeatTurnDue(0));
    EXPECT_FALSE(table.IsSeatTurnDue(9));
    TestClock::Advance(10999);
    EXPECT_FALSE(table.PhaseTimedOut());
    TestClock::Advance(1);
    EXPECT_TRUE(table.PhaseTimedOut());
    TestClock::Advance(1001);
    EXPECT_TRUE(table.IsSeatTurnDue(0));

    // With nobody left to claim, the claim phase is over at once.
    table.AnswerClaim(3, 1);
    table.OpenClaims();
    EXPECT_TRUE(table.PhaseTimedOut());
    table.Turn(0);
    EXPECT_FALSE(table.IsSeatTurnDue(0));  // not in the claim phase
}

}  // namespace

namespace {

// Plays the current hand to its end with every seat discarding its automatic
// choice and passing every claim, in the order the table driver follows.
void PlayPassingHand(CRegionalMahjongRules& table, const std::function<void()>& check) {
    int seat = table.GetActiveChair();
    for (int turn = 0; turn < 200; ++turn) {
        TableRequest choice;
        const int tile = table.AutoDiscardChoice(seat, choice);
        std::array<int32_t, 64> list;
        list.fill(-1);
        list[0] = tile;
        ASSERT_EQ(table.Discard(seat, list), 1) << "turn " << turn;
        table.ClearStateFlags(kStateTurnPhase);
        table.AddStateFlags(kStateClaimPhase);
        check();
        for (int s = 0; s < 4; ++s) {
            if (table.ClaimOptions(s) != 0) {
                table.AnswerClaim(s, seat);
            }
        }
        const int next = table.GetPrevSeat(seat);
        const int record = table.IsWallEmpty() ? -1 : table.DrawFront(next);
        if (record < 0) {
            table.DrawnHand();
            return;
        }
        table.ClearStateFlags(kStateClaimPhase);
        table.AddStateFlags(kStateTurnPhase);
        table.SetActiveChair(next);
        table.SelfOptions(next, table.RecordTileId(record));
        check();
        seat = next;
    }
    FAIL() << "the hand did not end";
}

TEST_F(RegionalPlay, HandsRunFromTheDealToTheirResultInTheDriversOrder) {
    CRegionalMahjongRules table;
    for (int chair = 0; chair < 4; ++chair) {
        ASSERT_GT(table.AddPlayer(MakePlayer(100 + chair, chair, 500)), 0);
        table.MarkReady(chair);
    }
    RoundParameters round;
    round.maxScore = 100000;
    round.minScore = -100000;
    round.maxPlayerGames = 10;
    round.maxGames = 10;
    round.scoreBase = 1;
    auto check = [&] { ExpectConservation(table); };
    for (int hand = 1; hand <= 2; ++hand) {
        int chair = -1;
        ASSERT_EQ(table.StartGame(round, chair), 1) << hand;
        EXPECT_EQ(table.TableState() & (kTablePlaying | kStateSwapPhase),
                  kTablePlaying | kStateSwapPhase);
        check();
        SwapRecord swap;
        ASSERT_EQ(table.AutoSwapChoice(swap), 1);
        table.StartPlayAfterSwap();
        EXPECT_EQ(table.GetActiveChair(), table.Banker());
        EXPECT_NE(table.TableState() & kStateTurnPhase, 0u);
        EXPECT_EQ(table.SeatTileCount(table.Banker()), 14);
        check();
        PlayPassingHand(table, check);

        table.SetEndFlags();
        TableResult result;
        table.FinishGame(result, -1);
        std::vector<uint8_t> record(2432);
        ASSERT_TRUE(table.PackResult(record, result));
        EXPECT_EQ(WordAt(record, 0), static_cast<int32_t>(kEndDrawn));
        int32_t total = 0;
        for (int c = 0; c < 4; ++c) {
            total += result.scoreChange[c];
        }
        EXPECT_EQ(total, 0);
        table.RecordHandScores(result);
        const int banker = table.Banker();
        table.UpdateBankerStreak();
        EXPECT_EQ(table.Banker(), banker);  // a drawn hand keeps its banker
        EXPECT_EQ(table.BankerStreak(), hand + 1);
        table.Reset(false);
        EXPECT_TRUE(table.Wall().empty());
    }
}

}  // namespace
