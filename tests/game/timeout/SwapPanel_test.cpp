// The swap panel, the tile-picture frames, the banker's dice, the look-on
// answer and the own hand's display on the regional table.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneButton.h"
#include "mahjong_client/table/SeatBoard.h"
#include "tests/game/play/RegionalPlayScene.h"

namespace play_test {
namespace {

TEST(SwapPanelChairs, TheDieModThreeNamesTheSourceThenTheTarget) {
    // Own chair 1: the next chair up is 2, the one below 0, opposite 3.
    struct Case {
        int die;
        std::array<int, 2> chairs;
    };
    for (const Case& c :
         {Case{1, {0, 2}}, Case{2, {3, 3}}, Case{3, {2, 0}}, Case{4, {0, 2}}, Case{5, {3, 3}},
          Case{6, {2, 0}}, Case{-1, {3, 3}}, Case{-2, {0, 2}}, Case{-3, {2, 0}}}) {
        EXPECT_EQ(CRegionalTableView::SwapPanelChairs(1, c.die), c.chairs) << "die " << c.die;
    }
}

class SwapPanelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scene.Open()); }
    CRegionalTableView& View() { return *scene.view; }

    RegionalPlayScene scene;
};

TEST_F(SwapPanelTest, FaceIndexFollowsTheSuitsAndGivesZeroOutsideThem) {
    CRegionalTableView& view = View();
    EXPECT_EQ(view.GetFaceIndex(0), 0);    // bamboo 1
    EXPECT_EQ(view.GetFaceIndex(8), 8);    // bamboo 9
    EXPECT_EQ(view.GetFaceIndex(36), 9);   // dots 1
    EXPECT_EQ(view.GetFaceIndex(80), 26);  // characters 9
    EXPECT_EQ(view.GetFaceIndex(200), 0);  // hidden: no suit
    EXPECT_EQ(view.GetFaceIndex(-1), 0);
    EXPECT_EQ(view.GetFaceIndex(100000), 0);
}

std::vector<uint8_t> SwapRecord(int32_t die) {
    std::vector<uint8_t> bytes(100, 0);
    for (size_t word = 0; word < 24; ++word) {
        PutWord(bytes, word, static_cast<int32_t>(word));
    }
    PutWord(bytes, 24, die);
    return bytes;
}

TEST_F(SwapPanelTest, TheCloseButtonIsMadeOnceAndPlacedOnThePanel) {
    CRegionalTableView& view = View();
    CCorvaneCanvas* panel = view.GetSwapInfoPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(view.GetSwapInfoCloseButton(), nullptr);
    view.CRegionalTableView::DrawSwapInfo(SwapRecord(1));
    CCorvaneButton* close = view.GetSwapInfoCloseButton();
    ASSERT_NE(close, nullptr);
    const int id = close->GetId();
    view.CRegionalTableView::DrawSwapInfo(SwapRecord(-4));
    ASSERT_NE(view.GetSwapInfoCloseButton(), nullptr);
    EXPECT_EQ(view.GetSwapInfoCloseButton()->GetId(), id);
    EXPECT_NE(panel->HasChild(id), 0);
    EXPECT_EQ(close->GetX(), panel->GetRight() - 200);
    EXPECT_EQ(close->GetY(), panel->GetTop() + 180);
    // The panel's depth; the engine keeps a child just above its parent.
    EXPECT_GE(close->GetZ(), panel->GetZ());
    EXPECT_LT(close->GetZ(), panel->GetZ() + 2);
}

TEST_F(SwapPanelTest, ARecordCutBeforeTheDieDrawsNothing) {
    CRegionalTableView& view = View();
    std::vector<uint8_t> cut = SwapRecord(1);
    for (size_t size : {size_t{0}, size_t{48}, size_t{96}, size_t{99}}) {
        cut.resize(size);
        view.CRegionalTableView::DrawSwapInfo(cut);
        EXPECT_EQ(view.GetSwapInfoCloseButton(), nullptr) << size;
    }
}

TEST_F(SwapPanelTest, BankerDiceGoToTheBankersBoardAndNeverToAnUnseatedOne) {
    CRegionalTableView& view = View();
    auto shownDice = [&view] {
        std::vector<int> positions;
        for (int position = 0; position < 4; ++position) {
            CSeatBoard* board = view.GetSeatBoard(position);
            CCorvaneCanvas* dice = board != nullptr ? board->GetDiceCanvas() : nullptr;
            if (dice != nullptr && dice->IsVisible() != 0) {
                positions.push_back(position);
            }
        }
        return positions;
    };
    auto hideDice = [&view] {
        for (int position = 0; position < 4; ++position) {
            if (CSeatBoard* board = view.GetSeatBoard(position)) {
                board->HideBankerDice();
            }
        }
    };
    HandStart start;
    start.banker = 2;
    start.dice = {5, 6, 0, 0};
    ASSERT_TRUE(scene.StoreHandStart(start));
    hideDice();
    view.CRegionalTableView::ShowBankerDice(3);
    EXPECT_EQ(shownDice(), std::vector<int>{view.ChairToPosition(2)});
    // A second die of 0 is no throw: the board draws nothing new.
    hideDice();
    view.CRegionalTableView::ShowBankerDice(0);
    EXPECT_EQ(shownDice(), std::vector<int>{});

    // A banker chair with no screen position shows nothing anywhere.
    start.banker = 7;
    ASSERT_TRUE(scene.StoreHandStart(start));
    view.CRegionalTableView::ShowBankerDice(3);
    EXPECT_EQ(shownDice(), std::vector<int>{});
}

TEST_F(SwapPanelTest, ThePlayersHandIsFilledFaceUpFromTheTableData) {
    HandStart start;
    start.banker = 1;
    start.ownTiles = {0, 1, 2, 36, 37, 38, 72, 73, 74, 9, 10, 11, 45};
    ASSERT_TRUE(scene.StoreHandStart(start));
    View().FillOwnHand();
    const std::vector<int32_t> row = scene.RowTiles(3);
    ASSERT_GE(row.size(), 14u);
    EXPECT_EQ(row[0], -1);
    for (size_t i = 0; i < start.ownTiles.size(); ++i) {
        EXPECT_EQ(row[i + 1], start.ownTiles[i]) << i;
        EXPECT_EQ(View().GetHandSprite(3, static_cast<int>(i) + 1)->faceUp, 1);
    }
}

TEST_F(SwapPanelTest, ReplayModeFillsNoOwnTiles) {
    HandStart start;
    start.ownTiles = {0, 1, 2};
    ASSERT_TRUE(scene.StoreHandStart(start));
    scene.App().SetReplayMode(true);
    View().FillOwnHand();
    scene.App().SetReplayMode(false);
    for (int i = 1; i < CMahjongTableView::kRowSize; ++i) {
        EXPECT_EQ(View().GetHandSprite(3, i), nullptr) << i;
    }
}

TEST_F(SwapPanelTest, ATurnChairWithoutAPositionGetsNoPlaceholder) {
    HandStart start;
    start.banker = 0;
    start.turnChair = 9;
    start.flags = 0x1 | 0x10;
    ASSERT_TRUE(scene.StoreHandStart(start));
    View().FillOwnHand();
    for (int position = 0; position < 3; ++position) {
        EXPECT_EQ(View().GetHandSprite(position, 0), nullptr) << position;
    }
    start.turnChair = 2;
    ASSERT_TRUE(scene.StoreHandStart(start));
    View().EmptyHandRows();
    View().FillOwnHand();
    const CCardSprite* placeholder = View().GetHandSprite(View().ChairToPosition(2), 0);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->visible, 1);
    EXPECT_EQ(placeholder->state, CCardSprite::kStateInHand);
}

TEST(LookedOnHand, ALookerOnsRowIsFilledWithBacks) {
    RegionalPlayScene scene(0, true);
    ASSERT_TRUE(scene.Open());
    HandStart start;
    start.ownTiles = {0, 1, 2, 36};
    ASSERT_TRUE(scene.StoreHandStart(start));
    scene.view->FillOwnHand();
    int backs = 0;
    for (int i = 0; i < CMahjongTableView::kRowSize; ++i) {
        if (const CCardSprite* sprite = scene.view->GetHandSprite(3, i)) {
            EXPECT_EQ(sprite->tile, 200) << i;
            EXPECT_EQ(sprite->active, 1) << i;
            ++backs;
        }
    }
    EXPECT_EQ(backs, 14);
}

}  // namespace
}  // namespace play_test
