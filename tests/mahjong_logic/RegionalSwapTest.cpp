#include <gtest/gtest.h>

#include <vector>

#include "tests/mahjong_logic/RegionalTestSupport.h"

namespace {

using RegionalSwap = RegionalFixture;

// Each seat holds three tiles of one suit and a few others; the table is in
// the swap phase.
class SwapTable : public RegionalHands {
public:
    SwapTable() {
        BuildIdentityWall();
        SetBankerSeat(0);
        chosen[0] = Give(0, {1, 2, 3});
        chosen[1] = Give(1, {14, 15, 16});
        chosen[2] = Give(2, {27, 28, 29});
        chosen[3] = Give(3, {4, 5, 6});
        Give(0, {21, 22, 23, 24, 25});
        Give(1, {7, 7});
        Give(2, {11, 11, 11});
        Give(3, {19, 19});
        AddStateFlags(kStateSwapPhase | kTablePlaying);
    }

    int Submit(int seat, const std::vector<int>& ids) {
        SwapRecord record;
        record.words[SwapRecord::kSubmitterWord] = seat;
        for (int k = 0; k < 3; ++k) {
            record.SetChoice(seat, k, ids[k]);
        }
        return SubmitSwapChoice(record);
    }

    std::array<std::vector<int>, 4> chosen;
};

std::vector<CardRecord> Records(const CMahjongTableLogic& table) {
    return {table.Wall().begin(), table.Wall().end()};
}

void ExpectNothingMoved(const std::vector<CardRecord>& before, const CMahjongTableLogic& table) {
    ASSERT_EQ(table.Wall().size(), before.size());
    for (size_t k = 0; k < before.size(); ++k) {
        EXPECT_EQ(table.Wall()[k].owner, before[k].owner) << k;
        EXPECT_EQ(table.Wall()[k].state, before[k].state) << k;
    }
}

TEST_F(RegionalSwap, TheDieSetsWhoseTilesEachSeatReceives) {
    // Die 3 or 6: from seat s + 1; 1 or 4: from s + 3; 2 or 5: from s + 2.
    const int fromOffset[7] = {0, 3, 2, 1, 3, 2, 1};
    for (int die = 1; die <= 6; ++die) {
        SCOPED_TRACE(die);
        SwapTable table;
        ScriptedRandom::draws = {die - 1};
        for (int seat = 0; seat < 3; ++seat) {
            EXPECT_EQ(table.Submit(seat, table.chosen[seat]), 0);
        }
        EXPECT_EQ(table.Submit(3, table.chosen[3]), 1);
        EXPECT_EQ(table.SwapDie(), die);
        for (int seat = 0; seat < 4; ++seat) {
            const int from = (seat + fromOffset[die]) % 4;
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(table.TileOwner(table.chosen[from][k]), seat);
                EXPECT_EQ(table.SwapReceived(seat, k), table.chosen[from][k]);
            }
        }
        EXPECT_EQ(table.SeatTileCount(0), 8);
        EXPECT_EQ(table.TableState() & (kStateSwapPhase | kStateTurnPhase), kStateTurnPhase);
        ExpectConservation(table);
    }
}

TEST_F(RegionalSwap, TheAutomaticChoiceTakesTheLongestSuit) {
    RegionalHands table;
    table.BuildIdentityWall();
    table.SetBankerSeat(1);
    // Seat 0: 5, 4 and 4 tiles of the three suits; seat 1: 4, 5 and 4.
    table.Give(0, {1, 2, 3, 4, 5, 11, 12, 13, 14, 21, 22, 23, 24});
    table.Give(1, {1, 2, 3, 4, 11, 12, 13, 14, 15, 21, 22, 23, 24, 25});
    table.Give(2, {6, 7, 8, 16, 16, 17, 17, 26, 26, 27, 27, 28, 28});
    table.Give(3, {9, 9, 9, 18, 18, 18, 29, 29, 29, 19, 19, 6, 7});
    table.AddStateFlags(kStateSwapPhase);
    ScriptedRandom::draws = {2};  // die 3: each seat receives seat s + 1's tiles
    SwapRecord record;
    EXPECT_EQ(table.AutoSwapChoice(record), 1);
    // Seat 3 received seat 0's first three suit-0 tiles, seat 0 seat 1's
    // first three suit-1 tiles in wall order (the 15 is a first copy).
    const int fromSeat1[3] = {RegionalHands::IdOf(15), RegionalHands::IdOf(11, 1),
                              RegionalHands::IdOf(12, 1)};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(table.SwapReceived(3, k), RegionalHands::IdOf(1 + k));
        EXPECT_EQ(table.SwapReceived(0, k), fromSeat1[k]);
    }
    EXPECT_EQ(record.Die(), 3);
    for (int seat = 0; seat < 4; ++seat) {
        EXPECT_EQ(table.SeatTileCount(seat), seat == 1 ? 14 : 13);
    }
    ExpectConservation(table);
}

TEST_F(RegionalSwap, ABadChoiceMovesNothing) {
    {
        SCOPED_TRACE("mixed suits met at the exchange");
        SwapTable table;
        const auto before = Records(table);
        ScriptedRandom::draws = {2};
        EXPECT_EQ(table.Submit(0, table.chosen[0]), 0);
        EXPECT_EQ(table.Submit(1, table.chosen[1]), 0);
        // Seat 2 chooses across suits: refused, its choice stays open.
        const std::vector<int> mixed{table.chosen[2][0], table.chosen[2][1],
                                     RegionalHands::IdOf(11)};
        EXPECT_EQ(table.Submit(2, mixed), 0);
        EXPECT_FALSE(table.HasChosenSwap(2));
        EXPECT_EQ(table.Submit(3, table.chosen[3]), 0);
        ExpectNothingMoved(before, table);
        EXPECT_NE(table.TableState() & kStateSwapPhase, 0u);
        // A tile not held, a repeated tile, a seat outside the table.
        EXPECT_EQ(table.Submit(2, {table.chosen[2][0], table.chosen[2][1], table.chosen[1][0]}), 0);
        EXPECT_EQ(table.Submit(2, {table.chosen[2][0], table.chosen[2][0], table.chosen[2][1]}), 0);
        SwapRecord outside;
        outside.words[SwapRecord::kSubmitterWord] = 7;
        EXPECT_EQ(table.SubmitSwapChoice(outside), 0);
        ExpectNothingMoved(before, table);
        EXPECT_EQ(table.Submit(2, table.chosen[2]), 1);
        ExpectConservation(table);
    }
    {
        SCOPED_TRACE("a seat that cannot make a choice of one suit");
        RegionalHands table;
        table.BuildIdentityWall();
        table.Give(0, {1, 2, 11, 12, 21, 22});
        table.Give(1, {3, 4, 5});
        table.Give(2, {6, 7, 8});
        table.Give(3, {13, 14, 15});
        table.AddStateFlags(kStateSwapPhase);
        const auto before = Records(table);
        SwapRecord record;
        EXPECT_EQ(table.AutoSwapChoice(record), 0);
        ExpectNothingMoved(before, table);
        ExpectConservation(table);
    }
    {
        SCOPED_TRACE("outside the swap phase");
        SwapTable table;
        table.ClearStateFlags(kStateSwapPhase);
        const auto before = Records(table);
        EXPECT_EQ(table.Submit(0, table.chosen[0]), 0);
        SwapRecord record;
        EXPECT_EQ(table.AutoSwapChoice(record), 0);
        ExpectNothingMoved(before, table);
    }
}

TEST_F(RegionalSwap, PassCountsLastUntilTheSeatsNextDraw) {
    RegionalHands table;
    table.SetBankerSeat(0);
    table.SetDice(3, 4);
    ASSERT_TRUE(table.StartHand());
    table.SetDrawPosition();
    const int five = RegionalHands::IdOf(5);
    table.NotePassesOnDiscard(2, five);
    EXPECT_EQ(table.PassCount(1, 5), 1);
    EXPECT_EQ(table.PassCount(2, 5), 1);
    table.NotePassesOnDiscard(1, RegionalHands::IdOf(5, 1));
    EXPECT_EQ(table.PassCount(0, 5), 2);  // a second 5 since its last draw
    EXPECT_EQ(table.PassCount(1, 5), 1);  // the discarder's counts start again
    EXPECT_EQ(table.PassCount(3, 5), 2);

    ASSERT_GE(table.DrawFront(0), 0);
    EXPECT_EQ(table.PassCount(0, 5), 0);
    EXPECT_EQ(table.PassCount(3, 5), 2);
    EXPECT_TRUE(table.SeatHoldsTile(0, table.LastDrawnTile()));

    // After a peng by seat 1 on seat 3's tile: the seats between are cleared.
    table.ClearPassCounts(3, 1);
    EXPECT_EQ(table.PassCount(2, 5), 0);
    EXPECT_EQ(table.PassCount(3, 5), 2);
    EXPECT_EQ(table.PassCount(1, 5), 1);
    // A chair outside the table clears nothing, and ends.
    table.ClearPassCounts(3, 9);
    table.ClearPassCounts(-1, 1);
    EXPECT_EQ(table.PassCount(3, 5), 2);
    EXPECT_EQ(table.PassCount(9, 5), 0);
    EXPECT_EQ(table.PassCount(3, 99), 0);
}

TEST_F(RegionalSwap, WaitsSkipOnlyAKindHeldFourTimesAndMarkEveryWinningTile) {
    RegionalHands table;
    table.StartTestHand();
    table.Give(0, {5, 5, 5, 5, 6, 7, 12, 13, 14, 22, 23, 24, 29});
    HuResult best;
    WaitMap waits{};
    EXPECT_EQ(table.WaitingTiles(0, best, waits), 64);
    EXPECT_EQ(waits[29], 1);
    EXPECT_EQ(waits[5], 0);
    EXPECT_GT(CRegionalMahjongRules::HuPoints(best), 0);

    RegionalHands twoSided;
    twoSided.StartTestHand();
    twoSided.Give(0, {1, 2, 3, 11, 12, 13, 21, 22, 23, 9, 9, 6, 7});
    EXPECT_EQ(twoSided.WaitingTiles(0, best, waits), 64);
    EXPECT_EQ(waits[5], 1);
    EXPECT_EQ(waits[8], 1);
    int marked = 0;
    for (const int32_t mark : waits) {
        marked += mark;
    }
    EXPECT_EQ(marked, 2);

    RegionalHands none;
    none.StartTestHand();
    none.Give(0, {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25});
    EXPECT_EQ(none.WaitingTiles(0, best, waits), 0);
    EXPECT_EQ(waits, WaitMap{});
}

TEST_F(RegionalSwap, ReadyIsOfferedAndDeclaredOnlyBeforeTheFourthDiscard) {
    RegionalHands table;
    table.BuildIdentityWall();
    table.SetHuTypeFlags(kRegionalHuTypeFlags);
    // Discarding the 19 (or the 27) leaves a hand waiting on 5 and 8.
    const auto ids = table.Give(0, {1, 2, 3, 11, 12, 13, 21, 22, 23, 9, 9, 6, 7, 19});
    table.AddDiscards(3, {29, 29, 29});
    table.SetActiveChair(0);
    const int drawn = ids.back();
    EXPECT_EQ(table.SelfOptions(0, drawn) & kClaimReady, kClaimReady);
    EXPECT_TRUE(table.IsReadyGranted(0));
    const auto candidates = table.ReadyCandidates();
    EXPECT_NE(std::find(candidates.begin(), candidates.end(), drawn), candidates.end());
    const int k = static_cast<int>(std::find(candidates.begin(), candidates.end(), drawn) -
                                   candidates.begin());
    EXPECT_EQ(table.ReadyWaitMap(k)[5], 1);
    EXPECT_EQ(table.ReadyWaitMap(k)[8], 1);

    EXPECT_EQ(table.DeclareReady(0, ids[0]), 0);  // not a candidate
    EXPECT_EQ(table.DeclareReady(1, drawn), 0);   // not its turn
    EXPECT_EQ(table.DeclareReady(0, drawn), 1);
    EXPECT_TRUE(table.HasDeclaredReady(0));
    EXPECT_EQ(table.DeclareReady(0, drawn), 0);  // once

    RegionalHands late;
    late.BuildIdentityWall();
    late.SetHuTypeFlags(kRegionalHuTypeFlags);
    const auto lateIds = late.Give(0, {1, 2, 3, 11, 12, 13, 21, 22, 23, 9, 9, 6, 7, 19});
    late.AddDiscards(3, {29, 29, 29, 28});
    late.SetActiveChair(0);
    EXPECT_EQ(late.SelfOptions(0, lateIds.back()) & kClaimReady, 0);
    EXPECT_EQ(late.DeclareReady(0, lateIds.back()), 0);
}

TEST_F(RegionalSwap, ADeclaredSeatKongsOnlyWhenItsWaitsStay) {
    RegionalHands table;
    table.StartTestHand();
    // 111, three runs and a 9, and a drawn 1: with or without the four 1s
    // the hand waits on the 9 alone.
    const auto ids = table.Give(0, {1, 1, 1, 11, 12, 13, 21, 22, 23, 25, 26, 27, 9, 1});
    table.SetDeclared(0, true);
    const int options = table.SelfOptions(0, ids.back());
    EXPECT_EQ(options & kClaimGang, kClaimGang);

    RegionalHands changes;
    changes.StartTestHand({19, 19, 19, 17, 17});
    // 111 23 ... 28 28 waits on 1, 4 and 28; after a kong of the 1s only on
    // 1 and 4.
    const auto ids2 = changes.Give(0, {1, 1, 1, 2, 3, 11, 12, 13, 21, 22, 23, 28, 28, 1});
    changes.SetDeclared(0, true);
    EXPECT_EQ(changes.SelfOptions(0, ids2.back()) & kClaimGang, 0);
}

}  // namespace
