// The own hand under the pointer on the regional table: the event each own
// tile sends by table state, the pointer events, and the concealed-gang
// marks.
#include <gtest/gtest.h>

#include "tests/game/play/RegionalPlayScene.h"

namespace play_test {
namespace {

// Tile ids of one face: 0, 9, 18 and 27 are the four bamboo ones.
constexpr std::array<int32_t, 4> kOnes = {0, 9, 18, 27};
constexpr std::array<int32_t, 4> kTwos = {1, 10, 19, 28};
constexpr int kEventLookerEnter = 80001117;
constexpr int kEventEnter = 80001119;
constexpr int kEventLeave = 80001120;

class OwnHandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scene.Open());
        HandStart start;
        ASSERT_TRUE(scene.StoreHandStart(start));
    }

    CCardSprite* At(int index) { return scene.view->GetHandSprite(3, index); }

    int Send(int event, CCardSprite* sprite, const InputState* input = nullptr) {
        EventRecord record = MakeEventRecord(scene.view->GetId(), event,
                                             sprite != nullptr ? sprite->poolIndex : -1, 0);
        record.param2 = reinterpret_cast<intptr_t>(input);
        return scene.view->OnCardSpriteEvent(record);
    }

    void OwnTurn(int state) {
        scene.view->MoveTurnIndicator(scene.view->GetTurnDirection(), 6);
        scene.view->SetTableState(state);
    }

    RegionalPlayScene scene;
};

TEST_F(OwnHandTest, EachTableStateGivesTheOwnTilesTheirEvent) {
    scene.FillOwnRow({40, 41, 42}, 43);
    CCardSprite* tile = At(1);
    ASSERT_NE(tile, nullptr);
    auto eventIn = [&](int direction, int state) {
        scene.view->MoveTurnIndicator(scene.view->GetTurnDirection(), direction);
        scene.view->SetTableState(state);
        scene.view->PostStateEvent(tile);
        return tile->GetClickEvent();
    };
    EXPECT_EQ(eventIn(2, 0), 80001128);  // another seat's turn
    EXPECT_EQ(eventIn(2, 100), 80001128);
    EXPECT_EQ(eventIn(6, 0), 80001124);  // the own turn with a drawn tile
    EXPECT_EQ(eventIn(6, 1), 80001121);
    EXPECT_EQ(eventIn(6, 2), 80001122);
    EXPECT_EQ(eventIn(6, 3), 80001123);
    EXPECT_EQ(eventIn(6, 100), 80001124);  // the swap choice
    EXPECT_EQ(eventIn(6, 6), 80001188);    // the tile thrown with a ready hand
    EXPECT_EQ(eventIn(6, 4), 80001188);    // other states keep the event
    scene.view->PostStateEvent(nullptr);
}

TEST_F(OwnHandTest, WithoutADrawnTileTheOwnTilesWait) {
    scene.FillOwnRow({40, 41, 42});
    OwnTurn(0);
    scene.view->PostStateEvent(At(1));
    EXPECT_EQ(At(1)->GetClickEvent(), 80001128);
}

TEST_F(OwnHandTest, AMeldTileOrAnotherSeatsTileIgnoresThePointer) {
    scene.FillOwnRow({40, 41, 42}, 43);
    At(1)->meldKind = CCardSprite::kMeldPeng;
    EXPECT_EQ(Send(kEventEnter, At(1)), 0);
    EXPECT_EQ(At(1)->hoverRaised, 0);
    CCardSprite* other = scene.view->PutHandTile(1, 1, 50);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(Send(kEventEnter, other), 0);
    EXPECT_EQ(Send(kEventEnter, nullptr), 0);
}

TEST_F(OwnHandTest, HoverLiftsOneTileAtATimeAndLeavingLowersIt) {
    scene.FillOwnRow({40, 41, 42}, 43);
    EXPECT_EQ(Send(kEventEnter, At(1)), 1);
    EXPECT_EQ(At(1)->hoverRaised, 1);
    EXPECT_EQ(Send(kEventEnter, At(1)), 0);  // already lifted
    EXPECT_EQ(Send(kEventEnter, At(2)), 1);
    EXPECT_EQ(At(1)->hoverRaised, 0);
    EXPECT_EQ(At(2)->hoverRaised, 1);
    // A leave with the pointer in the strip the tile rose from keeps the
    // tile up.
    InputState still;
    still.mouseX = static_cast<int32_t>(At(2)->GetX());
    still.mouseY = static_cast<int32_t>(At(2)->GetBottom()) + 1;
    EXPECT_EQ(Send(kEventLeave, At(2), &still), 0);
    EXPECT_EQ(At(2)->hoverRaised, 1);
    InputState moved;
    moved.moveX = 3;
    EXPECT_EQ(Send(kEventLeave, At(2), &moved), 1);
    EXPECT_EQ(At(2)->hoverRaised, 0);
    // A tile that rose away from a still pointer is left, and so is a tile
    // whose pointer left the window.
    ASSERT_EQ(Send(kEventEnter, At(1)), 1);
    still = {};
    still.mouseX = static_cast<int32_t>(At(1)->GetX());
    still.mouseY = static_cast<int32_t>(At(1)->GetTop()) - 20;
    EXPECT_EQ(Send(kEventLeave, At(1), &still), 1);
    EXPECT_EQ(At(1)->hoverRaised, 0);
    ASSERT_EQ(Send(kEventEnter, At(1)), 1);
    EventRecord gone = MakeEventRecord(scene.view->GetId(), kEventPointerMoved, 1, 0);
    gone.param2 = reinterpret_cast<intptr_t>(&moved);
    scene.view->OnEvent(gone);
    EXPECT_EQ(At(1)->hoverRaised, 0);
    // A looker's pointer dims the tile under it.
    EXPECT_EQ(Send(kEventLookerEnter, At(3)), 1);
    EXPECT_DOUBLE_EQ(At(3)->GetAlpha(), 0.8);
}

TEST_F(OwnHandTest, InTheSwapChoiceHoverDoesNotLiftAndAClickTogglesTheChoice) {
    scene.FillOwnRow({40, 41, 42}, 43);
    OwnTurn(CRegionalTableView::kStateSwapChoice);
    EXPECT_EQ(Send(kEventEnter, At(1)), 1);
    EXPECT_EQ(At(1)->hoverRaised, 0);
    EXPECT_EQ(Send(kEventCardClick, At(1)), 1);
    EXPECT_EQ(At(1)->raised, 1);
    EXPECT_EQ(Send(kEventCardClick, At(1)), 1);
    EXPECT_EQ(At(1)->raised, 0);
    EXPECT_TRUE(scene.view->discards.empty());
}

TEST_F(OwnHandTest, OneQuadrupleIsRaisedForTheGang) {
    scene.FillOwnRow({kOnes[0], kOnes[1], kOnes[2], 40, 41}, kOnes[3]);
    EXPECT_EQ(scene.view->MarkConcealedGangTile(), 1);
    int raised = 0;
    for (int i = 0; i < 32; ++i) {
        if (CCardSprite* sprite = At(i); sprite != nullptr && sprite->raised != 0) {
            ++raised;
        }
    }
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(At(0)->raised, 1);  // the first in row order: the drawn tile
}

TEST_F(OwnHandTest, TwoQuadruplesRaiseNothingAndStaySelectableInTheGreyMarking) {
    scene.FillOwnRow({kOnes[0], kOnes[1], kOnes[2], kOnes[3], kTwos[0], kTwos[1], kTwos[2], 40},
                     kTwos[3]);
    EXPECT_EQ(scene.view->MarkConcealedGangTile(), 2);
    for (int i = 0; i < 32; ++i) {
        if (CCardSprite* sprite = At(i)) {
            EXPECT_EQ(sprite->raised, 0) << i;
        }
    }
    scene.view->GreyAllButQuadruples();
    for (int i = 0; i < 32; ++i) {
        if (CCardSprite* sprite = At(i)) {
            EXPECT_EQ(sprite->greyed, sprite->tile == 40 ? 1 : 0) << i;
        }
    }
    scene.view->ClearHandMarks();
    for (int i = 0; i < 32; ++i) {
        if (CCardSprite* sprite = At(i)) {
            EXPECT_EQ(sprite->greyed, 0) << i;
        }
    }
}

TEST_F(OwnHandTest, HiddenAndOddTilesAreNeverCounted) {
    // Hidden tiles (200) would count at a negative index.
    scene.FillOwnRow({kOnes[0], kOnes[1], kOnes[2], 200, 200, 200, 200}, kOnes[3]);
    for (int i = 4; i <= 7; ++i) {
        ASSERT_NE(At(i), nullptr);
        At(i)->visible = 1;
    }
    EXPECT_EQ(scene.view->MarkConcealedGangTile(), 1);
    scene.view->GreyAllButQuadruples();
    EXPECT_EQ(At(4)->greyed, 1);
}

TEST_F(OwnHandTest, AfterAReadyDeclarationOnlyTheDrawnFaceCounts) {
    scene.FillOwnRow({kOnes[0], kOnes[1], kOnes[2], kOnes[3], kTwos[0], kTwos[1], kTwos[2]},
                     kTwos[3]);
    scene.view->m_bBaoJiao = 1;
    EXPECT_EQ(scene.view->MarkConcealedGangTile(), 1);
    EXPECT_EQ(At(0)->raised + At(5)->raised + At(6)->raised + At(7)->raised, 1);
    EXPECT_EQ(At(1)->raised, 0);
    scene.view->m_bBaoJiao = 0;
}

TEST_F(OwnHandTest, APengOfTheWildFaceCountsOnlyInTheGreyMarking) {
    HandStart start;
    start.wild = {kOnes[0], -1};
    ASSERT_TRUE(scene.StoreHandStart(start));
    scene.view->ruleFlags = CRegionalTableView::kRuleFlags | 0x1;
    scene.FillOwnRow({kOnes[1], kOnes[2], kOnes[3], 40, 41}, kOnes[0]);
    for (int i = 1; i <= 3; ++i) {
        At(i)->meldKind = CCardSprite::kMeldPeng;
    }
    EXPECT_EQ(scene.view->MarkConcealedGangTile(), 0);
    scene.view->GreyAllButQuadruples();
    EXPECT_EQ(At(0)->greyed, 0);
    EXPECT_EQ(At(4)->greyed, 1);
    // Under the game's own rule word no tile is wild: the peng counts.
    scene.view->ruleFlags = CRegionalTableView::kRuleFlags;
    scene.view->ClearHandMarks();
    EXPECT_EQ(scene.view->MarkConcealedGangTile(), 1);
}

}  // namespace
}  // namespace play_test
