// The deal animation of the regional table: sixteen steps from the banker
// round the table, the wall emptied in the dealing order, the own tiles
// face up, and steps of an earlier hand left alone.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/game/view/RegionalViewFixture.h"

namespace regional_view_test {
namespace {

class RegionalDealTest : public RegionalViewTest, public ::testing::WithParamInterface<int> {};

constexpr int kWallStart = 100;  // wraps past the end of the wall

int Wrap(int index) {
    return index % CMahjongTableView::kWallSize;
}

TEST_P(RegionalDealTest, TheBankerGetsFourteenTilesAndTheOthersThirteen) {
    const int bankerChair = GetParam();
    Open();
    ASSERT_NE(view, nullptr);
    const std::vector<int32_t> own = OwnTiles(bankerChair == 0 ? 14 : 13);
    StoreHandStart(bankerChair, kWallStart, own);
    view->BuildWall();
    ASSERT_EQ(view->GetWallCount(), 108);
    view->DealCards();
    const int banker = view->ChairToPosition(bankerChair);
    // The first step goes at once to the banker, the next 200 ms later to
    // the next seat in dealing order.
    Frame();
    EXPECT_EQ(Indices(banker), Range(10, 13));
    for (int p = 0; p < 4; ++p) {
        if (p != banker) {
            EXPECT_TRUE(Indices(p).empty()) << p;
        }
    }
    RunMs(230);
    EXPECT_EQ(Indices(view->GetNextDealPosition(banker)), Range(10, 13));
    // The last step runs at 3000 ms, the end of the deal (which sorts the
    // hand) at 3200 ms.
    RunMs(2850);
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(Indices(p), p == banker ? Range(0, 13) : Range(1, 13)) << "position " << p;
    }
    // The own row shows the own tiles as dealt: the banker's from index 0,
    // another seat's from index 1.
    std::vector<int> expected;
    if (banker != 3) {
        expected.push_back(-1);
    }
    expected.insert(expected.end(), own.begin(), own.end());
    EXPECT_EQ(Row(3), expected);
    for (int p = 0; p < 3; ++p) {
        for (int tile : Row(p)) {
            EXPECT_TRUE(tile == -1 || tile == kHiddenTile) << tile;
        }
    }
    // The wall lost the 53 tiles after its start, wrapped past 107.
    EXPECT_EQ(view->GetWallCount(), 108 - 53);
    for (int k = 0; k < 53; ++k) {
        EXPECT_EQ(view->GetWallSprite(Wrap(kWallStart + k)), nullptr) << k;
    }
    EXPECT_NE(view->GetWallSprite(Wrap(kWallStart + 53)), nullptr);
    EXPECT_NE(view->GetWallSprite(Wrap(kWallStart - 1)), nullptr);
    EXPECT_EQ(view->GetPendingRecordCount(), 0u);
    RunMs(400);
    EXPECT_EQ(Indices(banker), Range(0, 13));
}

INSTANTIATE_TEST_SUITE_P(BankerChairs, RegionalDealTest, ::testing::Values(0, 1, 2, 3));

using RegionalDealSteps = RegionalViewTest;

TEST_F(RegionalDealSteps, TheLastRoundTakesTheBankersTwoWallTilesApart) {
    Open();
    StoreHandStart(2, 0, OwnTiles(13));
    view->BuildWall();
    const int banker = view->ChairToPosition(2);
    const uint32_t serial = view->GetHandSerial();
    view->DealStep(banker, {3, 12, serial});
    EXPECT_EQ(view->GetWallSprite(48), nullptr);
    EXPECT_EQ(view->GetWallSprite(52), nullptr);
    EXPECT_NE(view->GetWallSprite(49), nullptr);
    EXPECT_EQ(Indices(banker), Range(0, 1));
    const int next = view->GetNextDealPosition(banker);
    view->DealStep(next, {3, 13, serial});
    EXPECT_EQ(view->GetWallSprite(49), nullptr);
    EXPECT_EQ(Indices(next), std::vector<int>{1});
}

TEST_F(RegionalDealSteps, AStepWithAWallStartOffTheWallDealsNothing) {
    Open();
    view->BuildWall();
    for (const int wallStart : {-3, INT32_MAX}) {
        StoreHandStart(0, wallStart, OwnTiles());
        view->DealStep(3, {0, 0, view->GetHandSerial()});
        EXPECT_TRUE(Indices(3).empty()) << wallStart;
        EXPECT_EQ(view->GetWallCount(), 108) << wallStart;
    }
}

TEST_F(RegionalDealSteps, AThrowWhileTheDiceRollDealsAtOnceAndNothingIsDealtAgain) {
    Open();
    table_protocol::HandStartRecord start = HandStart(1, 0, OwnTiles(13));
    start.dice = {3, 4, 5, 6};  // two pairs: the second shows after the first
    Store(start);
    view->BuildWall();
    view->ThrowDice();
    RunMs(200);
    ASSERT_GT(view->ShownDice(), 0);
    // The banker throws before the dice are over: the hand is dealt first.
    table_protocol::CardThrownNotice thrown;
    thrown.thrower = 1;
    thrown.tile = 30;
    EXPECT_TRUE(view->OnCardThrown(table_protocol::WriteTableRecord(thrown)));
    const int banker = view->ChairToPosition(1);
    EXPECT_EQ(view->GetRowCount(banker), 13);
    EXPECT_EQ(view->GetRowCount(3), 13);
    // The dice, deal steps and end posted for later deal nothing again.
    RunMs(6000);
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(view->GetRowCount(p), 13) << "position " << p;
    }
    EXPECT_EQ(view->GetWallCount(), 108 - 53);
    EXPECT_EQ(view->ShownDice(), 0);
}

TEST_F(RegionalDealSteps, TheDiceAndTheDealOfAnEarlierHandNeverEndTheNextOnes) {
    Open();
    StoreHandStart(1, 0, OwnTiles(13), kHandRunning | kSwapPhase);
    table_protocol::CardThrownNotice thrown;
    thrown.thrower = 1;
    thrown.tile = 30;
    // Dice of a hand, and half a second later the next hand's: the first
    // dice's end deals nothing, the second's starts the deal.
    view->BuildWall();
    view->ThrowDice();
    RunMs(500);
    view->BuildWall();
    view->ThrowDice();
    RunMs(700);
    EXPECT_EQ(view->GetWallCount(), 108);
    RunMs(400);
    EXPECT_LT(view->GetWallCount(), 108);
    // That deal is ended by a throw, and the next hand is dealt 1.8 s
    // later: the ended deal's end does not cut the new deal short.
    EXPECT_TRUE(view->OnCardThrown(table_protocol::WriteTableRecord(thrown)));
    RunMs(1800);
    view->BuildWall();
    view->DealCards();
    RunMs(1400);
    EXPECT_LT(Indices(3).size(), 13u);
    EXPECT_NE(view->GetTableState(), CRegionalTableView::kStateSwapChoice);
    RunMs(2000);
    EXPECT_EQ(Indices(3).size(), 13u);
    EXPECT_EQ(view->GetTableState(), CRegionalTableView::kStateSwapChoice);
}

TEST_F(RegionalDealSteps, AThrowWhileTwoPairsOfDiceRollHidesBothAndDealsWithOneSound) {
    Open();
    table_protocol::HandStartRecord start = HandStart(1, 0, OwnTiles(13));
    start.dice = {2, 5, 1, 6};
    Store(start);
    view->BuildWall();
    view->ThrowDice();
    RunMs(200);
    view->sounds.clear();
    table_protocol::CardThrownNotice thrown;
    thrown.thrower = 1;
    thrown.tile = 30;
    EXPECT_TRUE(view->OnCardThrown(table_protocol::WriteTableRecord(thrown)));
    // One sound for the rest of the deal, one for the throw.
    EXPECT_EQ(std::ranges::count(view->sounds, "SndThrow"), 2);
    for (int ms = 0; ms < 2500; ms += 100) {
        RunMs(100);
        ASSERT_EQ(view->ShownDice(), 0) << ms;
    }
}

// However the dice end (a throw about the first pair's end, a cleared
// table, the next roll), no die of two pairs is left shown after.
TEST_F(RegionalDealSteps, NoDieOfTwoPairsOutlivesAThrowAClearOrTheNextRoll) {
    Open();
    table_protocol::HandStartRecord start = HandStart(1, 0, OwnTiles(13));
    table_protocol::CardThrownNotice thrown;
    thrown.thrower = 1;
    thrown.tile = 30;
    const auto roll = [&](std::array<int32_t, 4> dice) {
        start.dice = dice;
        Store(start);
        view->BuildWall();
        view->ThrowDice();
    };
    for (int frame = 80; frame <= 110; ++frame) {
        view->ClearTable();
        roll({2, 5, 1, 6});
        Frames(frame);
        EXPECT_TRUE(view->OnCardThrown(table_protocol::WriteTableRecord(thrown)));
        RunMs(3000);
        EXPECT_EQ(view->ShownDice(), 0) << "thrown at frame " << frame;
    }
    roll({2, 5, 1, 6});
    RunMs(500);
    view->ClearTable();
    EXPECT_EQ(view->ShownDice(), 0);
    RunMs(3000);
    EXPECT_EQ(view->ShownDice(), 0);
    roll({2, 5, 1, 6});
    RunMs(500);
    roll({3, 4, 0, 0});
    for (int ms = 0; ms < 3000; ms += 100) {
        RunMs(100);
        ASSERT_LE(view->ShownDice(), 1) << ms;
    }
}

// The swap's dice coming while a swap hand is still dealt end the deal and
// are taken: the exchange follows them and play starts.
TEST_F(RegionalDealSteps, SwapDiceDuringTheDealEndItAndAreTaken) {
    Open();
    StoreHandStart(1, 0, OwnTiles(13), kHandRunning | kSwapPhase);
    view->BuildWall();
    view->ThrowDice();
    RunMs(200);
    table_protocol::SwapDiceNotice swap;
    swap.die = 4;
    EXPECT_TRUE(view->OnSwapDice(table_protocol::WriteTableRecord(swap)));
    RunMs(5000);  // past the whole deal: the choice never opens again
    EXPECT_EQ(view->m_bSwapChoosing, 0);
    EXPECT_EQ(view->GetTableState(), CRegionalTableView::kStateNormal);
}

TEST_F(RegionalDealSteps, AStepOfAnEarlierHandDoesNothing) {
    Open();
    StoreHandStart(0, 0, OwnTiles());
    view->BuildWall();
    const uint32_t serial = view->GetHandSerial();
    view->ClearTable();
    view->BuildWall();
    view->DealStep(3, {0, 0, serial});
    EXPECT_TRUE(Indices(3).empty());
    EXPECT_EQ(view->GetWallCount(), 108);
}

TEST_F(RegionalDealSteps, StepsPostedBeforeTheTableIsClearedNeverDeal) {
    Open();
    StoreHandStart(0, 0, OwnTiles());
    view->BuildWall();
    view->DealCards();
    Frame();
    ASSERT_EQ(Indices(3), Range(10, 13));
    EXPECT_EQ(view->GetPendingRecordCount(), 15u);
    view->ClearTable();
    EXPECT_EQ(view->GetPendingRecordCount(), 0u);
    view->BuildWall();
    RunMs(3400);
    for (int p = 0; p < 4; ++p) {
        EXPECT_TRUE(Indices(p).empty()) << p;
    }
    EXPECT_EQ(view->GetWallCount(), 108);
}

TEST_F(RegionalDealSteps, ANewDealLeavesTheStepsOfTheOldOneAlone) {
    Open();
    StoreHandStart(0, 0, OwnTiles());
    view->BuildWall();
    view->DealCards();
    RunMs(450);
    StoreHandStart(0, 60, OwnTiles());
    view->BuildWall();
    view->DealCards();
    RunMs(3400);
    EXPECT_EQ(view->GetWallCount(), 108 - 53);
    EXPECT_NE(view->GetWallSprite(59), nullptr);
    EXPECT_NE(view->GetWallSprite(5), nullptr);
    EXPECT_EQ(Indices(3), Range(0, 13));
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(Indices(p), Range(1, 13)) << p;
    }
}

TEST_F(RegionalDealSteps, ABankerOutsideTheTableDealsNothing) {
    Open();
    StoreHandStart(7, 0, OwnTiles());
    view->BuildWall();
    view->DealCards();
    EXPECT_EQ(view->GetPendingRecordCount(), 0u);
    RunMs(3400);
    for (int p = 0; p < 4; ++p) {
        EXPECT_TRUE(Indices(p).empty()) << p;
    }
    StoreHandStart(1, 0, OwnTiles(13));
    view->DealStep(-1, {0, 0, view->GetHandSerial()});
    view->DealStep(4, {0, 0, view->GetHandSerial()});
    view->DealStep(0, {4, 0, view->GetHandSerial()});
    view->DealStep(0, {0, 16, view->GetHandSerial()});
    for (int p = 0; p < 4; ++p) {
        EXPECT_TRUE(Indices(p).empty()) << p;
    }
}

TEST_F(RegionalDealSteps, AMissingOwnTileIsDealtHiddenAndATakenWallTileIsSkipped) {
    Open();
    std::vector<int32_t> own = OwnTiles(14);
    own.resize(12);  // tiles 12 and 13 missing (-1)
    StoreHandStart(0, 0, own);
    view->BuildWall();
    ASSERT_TRUE(view->ReleaseWallTile(2));
    const uint32_t serial = view->GetHandSerial();
    view->DealStep(3, {0, 0, serial});
    EXPECT_EQ(Row(3), (std::vector<int>{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, own[10], own[11],
                                        kHiddenTile, kHiddenTile}));
    EXPECT_EQ(view->GetWallCount(), 104);
}

TEST_F(RegionalDealSteps, ALookerOnSeesTheOwnSeatsTilesHidden) {
    SetChair(0, true);
    Open();
    StoreHandStart(0, 0, OwnTiles());
    view->BuildWall();
    view->DealStep(3, {0, 0, view->GetHandSerial()});
    EXPECT_EQ(Row(3), (std::vector<int>{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, kHiddenTile,
                                        kHiddenTile, kHiddenTile, kHiddenTile}));
}

TEST_F(RegionalDealSteps, DealingMarksTheTableForTheWildTileMarking) {
    Open();
    StoreHandStart(0, 0, OwnTiles());
    data->SetMarking(0);
    view->DealCards();
    EXPECT_NE(data->IsMarking(), 0);
}

}  // namespace
}  // namespace regional_view_test
