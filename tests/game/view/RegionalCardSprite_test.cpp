// Regional tile sprites on the table: the picture they take when placed,
// the thrown tile's background, the wild-tile highlight (under a test rule
// word that has wild tiles) and a tile without a picture rule keeping its
// picture.
#include <gtest/gtest.h>

#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "game/table/RegionalCardSprite.h"
#include "tests/game/view/RegionalViewFixture.h"

namespace regional_view_test {
namespace {

// The view under a rule word whose bit 0x1 makes the wild tiles wild.
class WildRuleView : public TestRegionalView {
public:
    uint32_t GetRuleFlags() const override { return kRuleFlags | 0x1; }
};

class RegionalCardSpriteTest : public RegionalViewTest {
protected:
    void OpenWild() { Open({}, new WildRuleView); }
    // Deals the own row's first four tiles.
    CRegionalCardSprite* DealOwn(int index) {
        view->BuildWall();
        view->DealStep(3, {0, 0, view->GetHandSerial()});
        CCardSprite* sprite = view->GetHandSprite(3, index);
        return dynamic_cast<CRegionalCardSprite*>(sprite);
    }
    void StoreWild(int32_t wild) {
        table_protocol::HandStartRecord start = HandStart(0, 0, OwnTiles());
        start.wildTiles = {wild, -1};
        Store(start);
    }
};

TEST_F(RegionalCardSpriteTest, AnOwnTileShowsItsFaceFromTheScreensSheet) {
    Open();
    StoreHandStart(0, 0, OwnTiles());
    CRegionalCardSprite* sprite = DealOwn(13);
    ASSERT_NE(sprite, nullptr);
    EXPECT_STREQ(sprite->GetPictureKey(), "1024_largecard");
    EXPECT_EQ(sprite->GetPictureFrame(), sprite->GetCardImageIndex(OwnTiles()[13]));
    EXPECT_NE(sprite->IsVisible(), 0);
    // The layout metrics by the screen height (768).
    EXPECT_EQ(sprite->metrics[0], 15);
    EXPECT_EQ(sprite->metrics[1], 7);
    EXPECT_EQ(sprite->metrics[4], 65);
    // Another seat's row shows its side's sheet at frame 0.
    view->DealStep(0, {0, 1, view->GetHandSerial()});
    const CCardSprite* left = view->GetHandSprite(0, 13);
    ASSERT_NE(left, nullptr);
    EXPECT_STREQ(left->GetPictureKey(), "1024_side0");
    EXPECT_EQ(left->GetPictureFrame(), 0);
}

TEST_F(RegionalCardSpriteTest, TheThrownTileStandsOnItsBackground) {
    Open();
    StoreHandStart(0, 0, OwnTiles());
    CRegionalCardSprite* sprite = DealOwn(13);
    ASSERT_NE(sprite, nullptr);
    ASSERT_NE(view->MoveTileToThrown(3, sprite->tile), nullptr);
    sprite->Refresh();
    CCorvaneCanvas* back = sprite->GetThrownBackground();
    ASSERT_NE(back, nullptr);
    EXPECT_NE(back->IsVisible(), 0);
    ASSERT_NE(sprite->GetFace(), nullptr);
    // Up to 28 pixels larger than the tile, inside the tile's quarter of the
    // centre square.
    const double margin = back->GetWidth() - sprite->GetFace()->GetWidth();
    EXPECT_GT(margin, 0);
    EXPECT_LE(margin, 28);
    EXPECT_DOUBLE_EQ(back->GetHeight(), sprite->GetFace()->GetHeight() + margin);
    EXPECT_LT(back->GetHeight(), view->GetCentreSquare().Width() / 2);
    EXPECT_DOUBLE_EQ(back->GetX(), sprite->GetFace()->GetX());
    view->MoveThrownToDiscards(3);
    sprite->Refresh();
    EXPECT_EQ(back->IsVisible(), 0);
    EXPECT_STREQ(sprite->GetPictureKey(), "1366_middle3");
}

TEST_F(RegionalCardSpriteTest, ADiscardThatLosesItsTileKeepsItsPicture) {
    Open();
    StoreHandStart(0, 0, OwnTiles());
    CRegionalCardSprite* sprite = DealOwn(12);
    ASSERT_NE(sprite, nullptr);
    ASSERT_NE(view->MoveTileToThrown(3, sprite->tile), nullptr);
    view->MoveThrownToDiscards(3);
    sprite->Refresh();
    const std::string key = sprite->GetPictureKey();
    const int frame = sprite->GetPictureFrame();
    sprite->tile = 150;
    sprite->Refresh();
    EXPECT_EQ(sprite->GetPictureKey(), key);
    EXPECT_EQ(sprite->GetPictureFrame(), frame);
}

TEST_F(RegionalCardSpriteTest, NoTileIsMarkedWildUnderTheGamesRuleWord) {
    Open();
    StoreWild(OwnTiles()[13]);
    data->SetMarking(0);
    CRegionalCardSprite* sprite = DealOwn(13);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->m_bWildMark, 0);
    ASSERT_NE(sprite->GetWildMark(), nullptr);
    EXPECT_EQ(sprite->GetWildMark()->IsVisible(), 0);
}

TEST_F(RegionalCardSpriteTest, UnderARuleWordWithWildTilesTheHighlightWaitsForTheMarking) {
    OpenWild();
    const int32_t wild = OwnTiles()[13];
    StoreWild(wild);
    data->SetMarking(1);
    CRegionalCardSprite* sprite = DealOwn(13);
    ASSERT_NE(sprite, nullptr);
    ASSERT_EQ(sprite->tile, wild);
    EXPECT_EQ(sprite->m_bWildMark, 0);
    EXPECT_EQ(sprite->GetWildMark()->IsVisible(), 0);
    data->SetMarking(0);
    sprite->Refresh();
    EXPECT_EQ(sprite->m_bWildMark, 1);
    EXPECT_NE(sprite->GetWildMark()->IsVisible(), 0);
    const CRegionalCardSprite* plain =
        dynamic_cast<CRegionalCardSprite*>(view->GetHandSprite(3, 12));
    ASSERT_NE(plain, nullptr);
    view->RefreshHandSprites(3);
    EXPECT_EQ(plain->m_bWildMark, 0);
}

}  // namespace
}  // namespace regional_view_test
