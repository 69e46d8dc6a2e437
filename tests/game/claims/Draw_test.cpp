// The regional table's own draw and another seat's throw: the server's
// tile reaches the hand, and a declared ready hand answers its offers.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/game/claims/ClaimsScene.h"
#include "tests/game/support/ClientReadings.h"

namespace claims_test {
namespace {

std::vector<uint8_t> Thrown(int32_t thrower, int32_t tile, int32_t ownOptions) {
    tp::CardThrownNotice notice;
    notice.thrower = thrower;
    notice.tile = tile;
    notice.chairOptions[0] = ownOptions;
    return tp::WriteTableRecord(notice);
}

class DrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scene.OpenWithHand());
        scene.FillOwnRow({40, 49, 58, 80});
        View().MoveTurnIndicator(View().GetTurnDirection(), 6);
    }

    ClaimsView& View() { return scene.View(); }
    void QueueDraw(int32_t tile, int32_t wallIndex, int32_t options,
                   uint32_t result = tp::kResultDone) {
        scene.Connection().Queue(tp::kOwnDraw,
                                 {1, result, ClaimsScene::Reply(tile, wallIndex, options)});
    }

    ClaimsScene scene;
};

TEST_F(DrawTest, TheDrawnTileComesInFromUpLeftAndBringsItsOffers) {
    CCardSprite* before = View().GetFreeCardObject();
    ASSERT_NE(before, nullptr);
    before->tile = 90;
    const int previous = 0;  // the seat that plays before the own one
    View().SetLastThrown(previous, before);
    QueueDraw(76, 10, tp::kOptionHu);
    ASSERT_EQ(View().CatchCard(), 1);
    CCardSprite* drawn = scene.Own(View().FindRowIndex(3, 76));
    ASSERT_NE(drawn, nullptr);
    ASSERT_NE(scene.Own(0), nullptr);
    EXPECT_NE(View().IsHandDrawn(3), 0);
    EXPECT_EQ(drawn->tile, 76);
    EXPECT_EQ(View().GetWallSprite(10), nullptr);
    EXPECT_EQ(View().GetLastThrown(previous), nullptr);
    EXPECT_EQ(View().GetDiscardCount(previous), 1);
    EXPECT_EQ(View().offeredOptions, std::vector<int>{tp::kOptionHu});
    EXPECT_TRUE(View().IsOperationButtonOn(kOpHu));
    EXPECT_EQ(View().gangChecks, 1);
    EXPECT_EQ(View().GetOperationHeld(), 0);

    const int startX = static_cast<int>(drawn->GetX());
    const int startY = static_cast<int>(drawn->GetY());
    EXPECT_TRUE(std::ranges::find(View().events, CRegionalTableView::kEventCatchMoved) ==
                View().events.end());
    scene.Frames(500);
    EXPECT_EQ(static_cast<int>(drawn->GetX()), startX + 10);
    EXPECT_EQ(static_cast<int>(drawn->GetY()), startY + 10);
    EXPECT_TRUE(std::ranges::find(View().events, CRegionalTableView::kEventCatchMoved) !=
                View().events.end());
}

// Each round throws a middle tile of another face than the drawn one while
// the drawn tile slides in: first by a click as the engine delivers it,
// with frames 40 ms apart, so that the slide would step in the frame that
// takes the click too; then at once, before the slide has begun.
TEST_F(DrawTest, AThrowWhileTheDrawnTileSlidesInLeavesTheRowClosedUp) {
    struct Round {
        int32_t drawn;
        int32_t wall;
        int32_t thrown;
        bool click;
    };
    for (const Round round : {Round{76, 10, 49, true}, Round{1, 11, 58, false}}) {
        View().MoveTurnIndicator(View().GetTurnDirection(), 6);
        View().events.clear();
        QueueDraw(round.drawn, round.wall, 0);
        ASSERT_EQ(View().CatchCard(), 1);
        const CCardSprite* middle = scene.Own(View().FindRowIndex(3, round.thrown));
        ASSERT_NE(middle, nullptr);
        if (round.click) {
            scene.Frames(40, 40);
            ASSERT_TRUE(std::ranges::find(View().events, CRegionalTableView::kEventCatchMoved) ==
                        View().events.end());
            scene.objects->PostEvent(
                MakeEventRecord(View().GetId(), kEventCardClick, middle->poolIndex, 0));
        } else {
            ASSERT_EQ(View().ThrowHandTile(middle->handIndex), 1);
        }
        scene.Frames(400, 40);
        ASSERT_EQ(View().discards.back(), round.thrown);
        // Four standing tiles, sorted, each starting where the one before
        // it ends.
        const std::vector<CCardSprite*> row = game_test::ShownOwnRow(View());
        ASSERT_EQ(row.size(), 4u);
        for (size_t k = 1; k < row.size(); ++k) {
            EXPECT_LT(row[k - 1]->tile, row[k]->tile);
            EXPECT_EQ(row[k]->GetLeft(), row[k - 1]->GetRight()) << "round " << round.drawn;
            EXPECT_EQ(row[k]->GetY(), row[k - 1]->GetY());
        }
    }
}

TEST_F(DrawTest, TheDrawnTileStaysApartAndTheTimeOutThrowsIt) {
    // 76 (the fifth of the third suit) sorts below the 80 already held.
    QueueDraw(76, 10, 0);
    ASSERT_EQ(View().CatchCard(), 1);
    EXPECT_EQ(scene.RowTiles(3), (std::vector<int32_t>{76, 40, 49, 58, 80}));
    View().OnTurnTimeOut();
    EXPECT_EQ(View().discards, std::vector<int>{76});
}

TEST_F(DrawTest, ARefusedOrEmptyDrawChangesNothing) {
    const auto row = scene.RowTiles(3);
    const int wall = View().GetWallCount();
    QueueDraw(76, 10, 0, tp::kResultDrawRefused);
    EXPECT_EQ(View().CatchCard(), 0);
    QueueDraw(-1, 10, 0);
    EXPECT_EQ(View().CatchCard(), 0);
    scene.Connection().Queue(tp::kOwnDraw, {0, 0, {}});
    EXPECT_EQ(View().CatchCard(), 0);
    EXPECT_EQ(scene.RowTiles(3), row);
    EXPECT_EQ(View().GetWallCount(), wall);
    EXPECT_TRUE(View().offeredOptions.empty());
}

TEST_F(DrawTest, TheServersTileReachesTheHandWhateverItsWallIndex) {
    const int wall = View().GetWallCount();
    QueueDraw(76, 200, 0);
    ASSERT_EQ(View().CatchCard(), 1);
    EXPECT_GE(View().FindRowIndex(3, 76), 0);
    EXPECT_EQ(View().GetWallCount(), wall);

    // A tile id the table does not know is not drawn.
    const auto row = scene.RowTiles(3);
    QueueDraw(300, 11, 0);
    EXPECT_EQ(View().CatchCard(), 0);
    EXPECT_EQ(View().GetWallCount(), wall);
}

TEST_F(DrawTest, AReadyHandDrawIsThrownAtOnceUnlessAGangIsOffered) {
    g_bBaoJiao[0] = 1;
    View().SetClockSeconds(15);
    QueueDraw(76, 10, 0);
    ASSERT_EQ(View().CatchCard(), 1);
    EXPECT_EQ(View().GetClockSeconds(), 1);
    EXPECT_EQ(View().gangChecks, 0);
    EXPECT_FALSE(View().IsOperationButtonOn(kOpGang));

    View().SetClockSeconds(15);
    View().GetOffer(kOpGuo).offered = 0;
    QueueDraw(77, 11, tp::kOptionGang);
    ASSERT_EQ(View().CatchCard(), 1);
    EXPECT_EQ(View().GetOffer(kOpGang).offered, 1);
    EXPECT_TRUE(View().IsOperationButtonOn(kOpGang));
    EXPECT_TRUE(View().IsOperationButtonOn(kOpGuo));
    EXPECT_EQ(View().GetOffer(kOpGuo).offered, 1);
    EXPECT_EQ(View().GetClockSeconds(), 15);
}

TEST_F(DrawTest, AReadyHandAnswersAForeignThrowsOffers) {
    const int thrower = 1;
    const int p = View().ChairToPosition(thrower);
    for (int i = 1; i <= 4; ++i) {
        View().PutHandTile(p, i, 200);
    }
    g_bBaoJiao[0] = 1;
    ASSERT_TRUE(View().OnCardThrown(Thrown(thrower, 67, tp::kOptionGang | tp::kOptionPass)));
    EXPECT_TRUE(View().IsOperationButtonOn(kOpGuo));
    EXPECT_EQ(View().GetOffer(kOpGuo).offered, 1);

    View().SetClockSeconds(15);
    ASSERT_TRUE(View().OnCardThrown(Thrown(thrower, 68, tp::kOptionHu)));
    EXPECT_EQ(View().GetClockSeconds(), 1);

    // Without the declaration the offers are the buttons alone.
    g_bBaoJiao[0] = 0;
    ASSERT_TRUE(View().OnCardThrown(Thrown(thrower, 69, tp::kOptionHu)));
    EXPECT_EQ(View().GetClockSeconds(), kDiscardSeconds);
    EXPECT_TRUE(View().IsOperationButtonOn(kOpHu));
}

TEST_F(DrawTest, TheOwnEchoAndShortRecordsChangeNothing) {
    const auto row = scene.RowTiles(3);
    g_bBaoJiao[0] = 1;
    View().SetClockSeconds(15);
    ASSERT_TRUE(View().OnCardThrown(Thrown(0, 40, tp::kOptionHu)));
    EXPECT_EQ(scene.RowTiles(3), row);
    EXPECT_EQ(View().GetClockSeconds(), 15);
    std::vector<uint8_t> cut = Thrown(1, 40, tp::kOptionHu);
    cut.resize(87);
    EXPECT_FALSE(View().OnCardThrown(cut));
    EXPECT_EQ(View().GetClockSeconds(), 15);
}

TEST_F(DrawTest, AThrowFromAnEmptyHiddenRowIsShownFromThePool) {
    const int p = View().ChairToPosition(2);
    ASSERT_EQ(View().GetRowCount(p), 0);
    ASSERT_TRUE(View().OnCardThrown(Thrown(2, 41, 0)));
    CCardSprite* thrown = View().GetLastThrown(p);
    ASSERT_NE(thrown, nullptr);
    EXPECT_EQ(thrown->tile, 41);
    EXPECT_EQ(thrown->state, CCardSprite::kStateJustThrown);
    EXPECT_EQ(thrown->lifeTime, 3000u);
}

TEST_F(DrawTest, TheKongHuNoticeKeepsOnlyATableChairWithTheOffer) {
    auto notice = [](int32_t offerChair) {
        tp::GangHuNotice record;
        record.ganger = 1;
        record.offerChair = offerChair;
        record.tile = 67;
        record.gangKind = 2;
        record.chairOptions[0] = tp::kOptionHu;
        return tp::WriteTableRecord(record);
    };
    ASSERT_TRUE(View().OnGangHuNotice(notice(2)));
    EXPECT_EQ(View().GetOffer(kOpHu).chair, 2);
    EXPECT_EQ(View().GetClockSeconds(), kDiscardSeconds);
    for (int32_t outside : {4, -1, 7}) {
        ASSERT_TRUE(View().OnGangHuNotice(notice(outside)));
        EXPECT_EQ(View().GetOffer(kOpHu).chair, 1) << outside;
        EXPECT_EQ(View().GetOffer(kOpHu).tile, 67);
        EXPECT_EQ(View().GetOffer(kOpHu).huGangKind, 2);
        EXPECT_TRUE(View().IsOperationButtonOn(kOpHu));
    }
}

}  // namespace
}  // namespace claims_test
