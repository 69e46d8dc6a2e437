// A declared ready hand is locked: the tile drawn stays apart at hand index
// 0, where the time-out and the Guo button throw it, so the declared waits
// are what the hand keeps.
#include <gtest/gtest.h>

#include "tests/game/claims/ClaimsScene.h"

namespace claims_test {
namespace {

TEST(ReadyHandDrawTest, TheDrawnTileStaysAtIndexZeroAndTheTimeOutThrowsIt) {
    ClaimsScene scene;
    ASSERT_TRUE(scene.OpenWithHand());
    // Concealed 40, 49, 58 and 80; the drawn 45 sorts before 80.
    scene.FillOwnRow({40, 49, 58, 80});
    ClaimsView& view = scene.View();
    view.MoveTurnIndicator(view.GetTurnDirection(), 6);
    g_bBaoJiao[0] = 1;
    scene.Connection().Queue(tp::kOwnDraw, {1, tp::kResultDone, ClaimsScene::Reply(45, 10, 0)});
    ASSERT_EQ(view.CatchCard(), 1);
    ASSERT_NE(scene.Own(0), nullptr);
    EXPECT_EQ(scene.Own(0)->tile, 45);
    EXPECT_EQ(view.FindRowIndex(3, 80), 4);

    scene.Connection().Queue(tp::kDiscard, {1, tp::kResultDone, {}});
    view.OnTurnTimeOut();
    EXPECT_EQ(view.FindRowIndex(3, 45), -1);
    EXPECT_NE(view.FindRowIndex(3, 80), -1);
    g_bBaoJiao[0] = 0;
}

}  // namespace
}  // namespace claims_test
