// What a granted peng leaves of the offers the throw brought: the claim is
// made, so Peng, Gang, Hu and Guo no longer take clicks; only what the peng
// itself grants (a concealed gang, the ready hand) is offered again.
#include <gtest/gtest.h>

#include "tests/game/claims/ClaimsScene.h"

namespace claims_test {
namespace {

constexpr int kThrower = 1;
constexpr int32_t kThrown = 40;  // 49 and 58 are two more of its face

TEST(PengOffersTest, AGrantedPengTakesBackTheThrowsOffers) {
    ClaimsScene scene;
    ASSERT_TRUE(scene.OpenWithHand());
    ClaimsView& view = scene.View();
    scene.FillOwnRow({49, 58, 80, 90, 100});
    for (int kind : {kOpPeng, kOpHu, kOpGuo}) {
        OperationOffer& offer = view.GetOffer(kind);
        offer.chair = kThrower;
        offer.tile = kThrown;
        offer.tiles.fill(-1);
        offer.tiles[0] = 49;
        offer.tiles[1] = 58;
        offer.offered = 1;
        view.SetOperationButton(kind, 1);
    }
    view.MoveTurnIndicator(view.GetTurnDirection(), 2 * view.ChairToPosition(kThrower));
    ASSERT_TRUE(view.IsOperationButtonOn(kOpPeng));

    ASSERT_EQ(view.SubmitPeng(), 1);
    for (int kind : {kOpPeng, kOpGang, kOpChi, kOpHu, kOpGuo}) {
        EXPECT_FALSE(view.IsOperationButtonOn(kind)) << "kind " << kind;
    }
    EXPECT_EQ(view.gangChecks, 1);
    EXPECT_EQ(scene.Connection().SentOf(tp::kPengClaim).size(), 1u);
}

}  // namespace
}  // namespace claims_test
