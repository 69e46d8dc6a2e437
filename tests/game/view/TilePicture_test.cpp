// The picture a regional tile shows: sheet, frame and scale by the screen
// and view size, the kind, the seat, the meld and the face.
#include <gtest/gtest.h>

#include <string>

#include "game/table/RegionalCardSprite.h"

namespace {

constexpr int kFrameOfTile = 17;

TilePictureInput Input(int screenWidth, int kind, int position, int faceUp = 1, int tile = 5) {
    TilePictureInput in;
    in.screenWidth = screenWidth;
    in.viewWidth = screenWidth;
    in.viewHeight = screenWidth >= 1024 ? 768 : 600;
    in.kind = kind;
    in.position = position;
    in.faceUp = faceUp;
    in.tile = tile;
    return in;
}

std::string Key(const TilePictureInput& in) {
    return ChooseTilePicture(in, kFrameOfTile).key;
}

TEST(TilePicture, OwnRowTileOnALargeScreenShowsItsFace) {
    TilePictureInput in = Input(1366, CCardSprite::kKindHand, 3, 1, 0);
    const TilePicture picture = ChooseTilePicture(in, 9);
    EXPECT_STREQ(picture.key, "1366_largecard");
    EXPECT_EQ(picture.frame, 9);
    EXPECT_FALSE(picture.keep);
}

TEST(TilePicture, OwnRowSheetFollowsTheFourScreenClasses) {
    const std::pair<int, const char*> cases[] = {
        {800, "800_largecard"},   {1023, "800_largecard"},  {1024, "1024_largecard"},
        {1365, "1024_largecard"}, {1366, "1366_largecard"}, {1599, "1366_largecard"},
        {1600, "1600_largecard"}, {1920, "1600_largecard"}};
    for (const auto& [width, key] : cases) {
        EXPECT_EQ(Key(Input(width, CCardSprite::kKindHand, 3)), key) << width;
    }
}

TEST(TilePicture, ANarrowViewOrShortViewCountsAsSmall) {
    TilePictureInput in = Input(1024, CCardSprite::kKindHand, 1);
    in.viewWidth = 790;
    EXPECT_EQ(Key(in), "800_side1");
    in.viewWidth = 800;
    in.viewHeight = 600;
    EXPECT_EQ(Key(in), "800_side1");
    in.viewHeight = 601;
    EXPECT_EQ(Key(in), "1024_side1");
}

TEST(TilePicture, OtherSeatsRowTilesShowFrameZeroOfTheirSide) {
    for (int position = 0; position < 3; ++position) {
        const TilePicture picture =
            ChooseTilePicture(Input(1366, CCardSprite::kKindHand, position), kFrameOfTile);
        EXPECT_EQ(std::string(picture.key), "1366_side" + std::to_string(position));
        EXPECT_EQ(picture.frame, 0);
    }
}

TEST(TilePicture, WallTilesUseThe1366BacksEvenOnAWideScreen) {
    EXPECT_EQ(Key(Input(1600, CCardSprite::kKindWall, 1, 0)), "1366_back13");
    EXPECT_EQ(Key(Input(1600, CCardSprite::kKindWall, 2, 0)), "1366_back02");
    EXPECT_EQ(Key(Input(1599, CCardSprite::kKindWall, 3, 0)), "1366_deal13");
    EXPECT_EQ(Key(Input(800, CCardSprite::kKindWall, 0, 0)), "1366_deal02");
    // A face-up wall tile: the middle sheet of its side.
    EXPECT_EQ(Key(Input(1024, CCardSprite::kKindWall, 2, 1)), "800_middle2");
    EXPECT_EQ(Key(Input(1600, CCardSprite::kKindWall, 2, 1)), "1366_middle2");
    // A hidden id is face down whatever the flag says.
    const TilePicture hidden = ChooseTilePicture(Input(1600, 1, 1, 1, 200), kFrameOfTile);
    EXPECT_STREQ(hidden.key, "1366_back13");
    EXPECT_EQ(hidden.frame, 0);
}

TEST(TilePicture, MeldTilesLyingDownShowTheSheetSeenFromTheirSource) {
    TilePictureInput in = Input(1366, CCardSprite::kKindHand, 0);
    in.meldMark = 1;
    in.meldSource = 2;
    EXPECT_EQ(Key(in), "1366_middle0");
    in.meldSource = 3;
    EXPECT_EQ(Key(in), "1366_middle1");
    in.screenWidth = 1600;
    EXPECT_EQ(Key(in), "1600_middle1");
    // Face down: the backs by side and class.
    in.faceUp = 0;
    EXPECT_EQ(Key(in), "1600_back02");
    in.screenWidth = 1366;
    EXPECT_EQ(Key(in), "1366_back02");
    in.screenWidth = 1000;
    in.position = 1;
    EXPECT_EQ(Key(in), "1366_deal13");
}

TEST(TilePicture, TilesWithoutAPictureRuleKeepWhatTheyShow) {
    TilePictureInput meld = Input(1366, CCardSprite::kKindHand, 0);
    meld.meldMark = 1;
    meld.meldSource = 0;
    EXPECT_TRUE(ChooseTilePicture(meld, kFrameOfTile).keep);
    for (int kind : {CCardSprite::kKindDiscard, CCardSprite::kKindShown}) {
        for (int id : {-1, 144, 200}) {
            EXPECT_TRUE(ChooseTilePicture(Input(1366, kind, 1, 1, id), kFrameOfTile).keep)
                << kind << " " << id;
        }
    }
    EXPECT_TRUE(ChooseTilePicture(Input(1366, 3, 1), kFrameOfTile).keep);
    EXPECT_TRUE(ChooseTilePicture(Input(1366, 4, 1), kFrameOfTile).keep);
}

TEST(TilePicture, DiscardsAndShownTilesShowTheirFaceWhateverTheFlag) {
    const TilePicture discard = ChooseTilePicture(Input(1600, 5, 2, 0, 7), kFrameOfTile);
    EXPECT_STREQ(discard.key, "1600_middle2");
    EXPECT_EQ(discard.frame, kFrameOfTile);
    EXPECT_EQ(Key(Input(1100, 7, 3, 0, 7)), "1366_middle3");
    EXPECT_EQ(Key(Input(900, 7, 0, 0, 7)), "800_middle0");
}

TEST(TilePicture, TheThrownTileIsLargeAndShowsFrameZeroForAnInvalidId) {
    const TilePicture invalid = ChooseTilePicture(Input(1366, 6, 1, 1, 150), kFrameOfTile);
    EXPECT_STREQ(invalid.key, "1366_largecard");
    EXPECT_EQ(invalid.frame, 0);
    const TilePicture valid = ChooseTilePicture(Input(1024, 6, 1, 0, 7), kFrameOfTile);
    EXPECT_STREQ(valid.key, "1024_largecard");
    EXPECT_EQ(valid.frame, kFrameOfTile);
}

TEST(TilePicture, NarrowScreensShrinkTheTilesOnlyWhenTheFrameViewAsks) {
    struct Case {
        int width;
        bool shrink;
        bool changes;
        double scale;
        int num, den;
    };
    const Case cases[] = {
        {800, true, true, 0.75, 3, 4},  {801, true, true, 0.83, 5, 6},
        {1023, true, true, 0.83, 5, 6}, {1024, true, false, 1.0, 1, 1},
        {800, false, true, 1.0, 1, 1},  {801, false, true, 1.0, 1, 1},
        {1023, false, true, 1.0, 1, 1}, {1024, false, false, 1.0, 1, 1},
    };
    for (const Case& c : cases) {
        TilePictureInput in = Input(c.width, CCardSprite::kKindHand, 3);
        in.shrinkOnNarrow = c.shrink;
        const TilePicture picture = ChooseTilePicture(in, kFrameOfTile);
        EXPECT_EQ(picture.scaleChanges, c.changes) << c.width << " " << c.shrink;
        EXPECT_DOUBLE_EQ(picture.scale, c.scale) << c.width << " " << c.shrink;
        EXPECT_EQ(picture.sizeNum, c.num) << c.width;
        EXPECT_EQ(picture.sizeDen, c.den) << c.width;
    }
}

}  // namespace
