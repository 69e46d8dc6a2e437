// Where the table view lays its tiles, and which picture each shows.
#include <cmath>

#include "engine/CorvanePicture.h"
#include "tests/mahjong_client/table/TableViewFixture.h"

namespace table_view_test {
namespace {

struct Box {
    double left, top, right, bottom;
    int pool;
};

class TableViewLayoutTest : public TableViewTest,
                            public ::testing::WithParamInterface<std::array<int, 4>> {
protected:
    void OpenParam() {
        const auto [width, height, left, top] = GetParam();
        Open(width, height, left, top);
    }

    std::vector<Box> Shown() {
        std::vector<Box> boxes;
        for (int i = 0; i < CMahjongTableView::kCardPoolSize; ++i) {
            CCardSprite* sprite = table->GetCardSprite(i);
            if (sprite != nullptr && sprite->IsVisible()) {
                boxes.push_back({sprite->GetLeft(), sprite->GetTop(), sprite->GetRight(),
                                 sprite->GetBottom(), i});
            }
        }
        return boxes;
    }

    // Every shown tile lies inside the view, has a size and covers no
    // other.
    void ExpectLaidOut(const char* what, size_t expected) {
        const auto [width, height, left, top] = GetParam();
        const std::vector<Box> boxes = Shown();
        EXPECT_EQ(boxes.size(), expected) << what;
        for (const Box& b : boxes) {
            EXPECT_GE(b.left, left) << what << " pool " << b.pool;
            EXPECT_GE(b.top, top) << what << " pool " << b.pool;
            EXPECT_LE(b.right, left + width) << what << " pool " << b.pool;
            EXPECT_LE(b.bottom, top + height) << what << " pool " << b.pool;
            EXPECT_GT(b.right - b.left, 2) << what;
            EXPECT_GT(b.bottom - b.top, 2) << what;
        }
        int overlaps = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            for (size_t j = i + 1; j < boxes.size(); ++j) {
                const Box& a = boxes[i];
                const Box& b = boxes[j];
                if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom) {
                    if (++overlaps <= 5) {
                        ADD_FAILURE()
                            << what << ": pool " << a.pool << " and " << b.pool << " overlap";
                    }
                }
            }
        }
        EXPECT_EQ(overlaps, 0) << what;
    }

    void Rows(int own, int others) {
        for (int i = 0; i < own; ++i) {
            table->PutHandTile(3, own == 14 ? i : i + 1, i);
        }
        for (int p : {0, 1, 2}) {
            for (int i = 0; i < others; ++i) {
                table->PutHandTile(p, i + 1, 200);
            }
        }
        for (int p = 0; p < 4; ++p) {
            table->RefreshHandSprites(p);
        }
    }
    void Discards(int position, int count) {
        for (int k = 0; k < count; ++k) {
            CCardSprite* sprite = table->GetFreeCardObject();
            ASSERT_NE(sprite, nullptr);
            sprite->tile = k;
            table->SetLastThrown(position, sprite);
            table->MoveThrownToDiscards(position);
        }
    }
    void Thrown(int position) {
        CCardSprite* sprite = table->GetFreeCardObject();
        ASSERT_NE(sprite, nullptr);
        sprite->tile = 7;
        table->SetLastThrown(position, sprite);
    }
};

TEST_P(TableViewLayoutTest, TheFullWallTheDealtRowsAndTheThrownTilesLieApart) {
    OpenParam();
    table->BuildWall();
    Rows(14, 13);
    for (int p = 0; p < 4; ++p) {
        Thrown(p);
    }
    ExpectLaidOut("wall and rows", 108 + 14 + 39 + 4);
    // Raised own tiles stay clear of the wall.
    for (int i = 0; i < 14; ++i) {
        table->GetHandSprite(3, i)->raised = 1;
    }
    table->RefreshHandSprites(3);
    ExpectLaidOut("raised", 108 + 14 + 39 + 4);
    // The operation buttons' row fits between the raised own tiles and
    // everything above them.
    double ownTop = 1e9;
    double othersBottom = -1e9;
    for (const Box& b : Shown()) {
        const CCardSprite* sprite = table->GetCardSprite(b.pool);
        if (sprite->kind == CCardSprite::kKindHand && sprite->position == 3) {
            ownTop = std::min(ownTop, b.top);
        } else {
            othersBottom = std::max(othersBottom, b.bottom);
        }
    }
    EXPECT_GE(ownTop - othersBottom, kButtonHeight + 4);
}

TEST_P(TableViewLayoutTest, FourGangsInEveryRowAndTheDiscardsLieApart) {
    OpenParam();
    for (int p = 0; p < 4; ++p) {
        for (int g = 0; g < 4; ++g) {
            MeldRecord record{};
            record[4] = 1;
            record[5] = 4 * g;
            record[6] = 4 * g + 1;
            record[7] = 4 * g + 2;
            record[8] = 4 * g + 3;
            table->PlaceGang(p, record, 1);
        }
        table->PutHandTile(p, 17, p == 3 ? 100 : 200);
        table->PutHandTile(p, 0, p == 3 ? 101 : 200);
        table->RefreshHandSprites(p);
        Discards(p, 24);
    }
    ExpectLaidOut("melds and discards", 168);
}

TEST_P(TableViewLayoutTest, FullDiscardBlocksBesideTheWall) {
    OpenParam();
    for (int p = 0; p < 4; ++p) {
        table->ClearTable();
        table->BuildWall();
        Discards(p, 36);
        Discards((p + 1) % 4, 24);
        ExpectLaidOut("wall and discards", 168);
    }
    table->ClearTable();
    Rows(14, 1);
    for (int p = 0; p < 4; ++p) {
        Discards(p, 36);
    }
    ExpectLaidOut("all discards", 14 + 3 + 144);
}

INSTANTIATE_TEST_SUITE_P(
    ViewSizes, TableViewLayoutTest,
    ::testing::Values(std::array<int, 4>{540, 571, 4, 25}, std::array<int, 4>{1100, 739, 4, 25},
                      std::array<int, 4>{800, 600, 0, 0}, std::array<int, 4>{766, 739, 4, 25},
                      std::array<int, 4>{1600, 900, 0, 0}, std::array<int, 4>{420, 330, 10, 10}));

TEST_F(TableViewTest, TileMetricsScaleTheSmallestClassByTheViewWidth) {
    Open(800, 600);
    const int first[15] = {50, 72, 36, 20, 26, 28, 10, 20, 36, 10, 26, 28, 10, 20, 36};
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(table->GetCardMetric(i), first[i]) << i;
    }
    EXPECT_EQ(table->GetCardMetric(28), 0);
    EXPECT_EQ(table->GetCardMetric(-1), 0);
    // The tiles are drawn smaller where the table needs it to fit.
    EXPECT_LT(table->GetTileScale(), 1.0);
    EXPECT_LT(table->GetPlaceMetric(0), 50);
    table->SetViewRect(IntRect{0, 0, 1600, 1800});
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(table->GetCardMetric(i), 2 * first[i]) << i;
    }
    EXPECT_DOUBLE_EQ(table->GetTileScale(), 1.0);
    EXPECT_EQ(table->GetPlaceMetric(0), 100);
    table->SetViewRect(IntRect{0, 0, 1600, 700});
    EXPECT_EQ(table->GetCardMetric(0), 100);
    EXPECT_LT(table->GetPlaceMetric(0), 60);
}

TEST_F(TableViewTest, FaceIndicesRunThroughTheSuitsAndNoTileShowsNoFace) {
    Open();
    CCardSprite* sprite = table->GetFreeCardObject();
    EXPECT_EQ(sprite->GetCardImageIndex(0), 0);     // suit 0 value 1
    EXPECT_EQ(sprite->GetCardImageIndex(8), 8);     // suit 0 value 9
    EXPECT_EQ(sprite->GetCardImageIndex(9), 0);     // the next copy
    EXPECT_EQ(sprite->GetCardImageIndex(36), 9);    // suit 1 value 1
    EXPECT_EQ(sprite->GetCardImageIndex(72), 18);   // suit 2 value 1
    EXPECT_EQ(sprite->GetCardImageIndex(108), 27);  // first honour
    EXPECT_EQ(sprite->GetCardImageIndex(114), 33);  // last honour
    EXPECT_EQ(sprite->GetCardImageIndex(136), 34);  // first flower
    EXPECT_EQ(sprite->GetCardImageIndex(143), 41);  // last shown flower
    for (int bad : {-1, 144, 151, 152, 200, 100000}) {
        EXPECT_EQ(sprite->GetCardImageIndex(bad), 0) << bad;
    }
}

TEST_F(TableViewTest, EachPlaceShowsItsPictureAndFaceDownTilesShowTheBacks) {
    Open();
    table->BuildWall();
    const CCardSprite* wall0 = table->GetWallSprite(0);
    EXPECT_STREQ(wall0->GetPictureKey(), "1366_deal13");  // in front of the own seat
    EXPECT_STREQ(table->GetWallSprite(27)->GetPictureKey(), "1366_deal02");
    table->ClearTable();

    CCardSprite* own = table->PutHandTile(3, 1, 36);
    CCardSprite* hidden = table->PutHandTile(0, 1, 200);
    CCardSprite* shown = table->PutHandTile(1, 1, 72);
    CCardSprite* bad = table->PutHandTile(3, 2, 150);
    for (int p = 0; p < 4; ++p) {
        table->RefreshHandSprites(p);
    }
    EXPECT_STREQ(own->GetPictureKey(), "800_largecard");
    EXPECT_EQ(own->GetPictureFrame(), 9);
    EXPECT_STREQ(hidden->GetPictureKey(), "1366_deal02");
    EXPECT_STREQ(shown->GetPictureKey(), "800_side1");
    EXPECT_EQ(shown->GetPictureFrame(), 18);
    EXPECT_STREQ(bad->GetPictureKey(), "1366_deal13");
    // A face-up flag never shows a tile that is none.
    bad->faceUp = 1;
    bad->tile = 150;
    bad->Refresh();
    EXPECT_STREQ(bad->GetPictureKey(), "1366_deal13");

    // Thrown and discarded tiles, a meld claimed from the left.
    CCardSprite* thrown = table->GetFreeCardObject();
    thrown->tile = 108;
    table->SetLastThrown(2, thrown);
    EXPECT_STREQ(thrown->GetPictureKey(), "800_largecard");
    EXPECT_EQ(thrown->GetPictureFrame(), 27);
    thrown->tile = 160;
    thrown->Refresh();
    EXPECT_STREQ(thrown->GetPictureKey(), "1366_deal02");
    thrown->tile = 108;
    table->MoveThrownToDiscards(2);
    EXPECT_STREQ(thrown->GetPictureKey(), "800_middle2");
    MeldRecord record{};
    record[4] = 1;  // chair 1: position 0
    record[5] = 0;
    record[6] = 9;
    record[7] = 18;
    record[8] = -1;
    table->PlaceMeld(3, 1, record, 1);
    EXPECT_STREQ(table->GetHandSprite(3, 1)->GetPictureKey(), "800_middle2");
    record[8] = 27;
    table->PlaceConcealedGang(1, record, 1);
    EXPECT_STREQ(table->GetHandSprite(1, 1)->GetPictureKey(), "800_middle1");
}

TEST_F(TableViewTest, TheBackBufferShowsEachTilesFaceColourAtItsCentre) {
    Open(800, 600);
    table->BuildWall();
    CCardSprite* own = table->PutHandTile(3, 1, 36);  // frame 9 of "800_largecard"
    CCardSprite* side = table->PutHandTile(0, 1, 200);
    table->RefreshHandSprites(3);
    table->RefreshHandSprites(0);
    Frame();
    Frame();
    const auto colourAt = [&](CCardSprite* s) {
        return wnd->GetTopLevel()->Surface().ColorAt(static_cast<int>(std::lround(s->GetX())),
                                                     static_cast<int>(std::lround(s->GetY())));
    };
    EXPECT_EQ(colourAt(own), FaceColour(0, 9));
    EXPECT_EQ(colourAt(side), kBack02);
    EXPECT_EQ(colourAt(table->GetWallSprite(0)), kBack13);
    EXPECT_EQ(colourAt(table->GetWallSprite(40)), kBack02);
}

// The table view with its tile events written down.
class TileEventTable : public CMahjongTableView {
public:
    int OnCardSpriteEvent(const EventRecord& record) override {
        events.push_back(record);
        return 1;
    }
    std::vector<EventRecord> events;
};

TEST_F(TableViewTest, AClickOnAnOwnTileSendsItsClickEventWithThePoolIndex) {
    auto* made = new TileEventTable;
    Open(800, 600, 0, 0, made);
    CCardSprite* tile = table->PutHandTile(3, 1, 36);
    CCardSprite* other = table->PutHandTile(3, 2, 37);
    table->RefreshHandSprites(3);
    tile->SetClickEvent(kEventCardClick);
    other->SetClickEvent(0);
    Frame();
    made->events.clear();
    Click(static_cast<int>(other->GetX()), static_cast<int>(other->GetY()));
    for (const EventRecord& e : made->events) {
        EXPECT_NE(e.event, kEventCardClick);
    }
    made->events.clear();
    Click(static_cast<int>(tile->GetX()), static_cast<int>(tile->GetY()));
    std::vector<EventRecord> clicks;
    for (const EventRecord& e : made->events) {
        if (e.event == kEventCardClick) {
            clicks.push_back(e);
        }
    }
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].param1, tile->poolIndex);
    EXPECT_EQ(table->GetEventSprite(clicks[0]), tile);
}

TEST_F(TableViewTest, SeatBoardsSitAtTheScreenPositionsOfTheirChairs) {
    SetChair(2, false);
    Open();
    for (int p = 0; p < 4; ++p) {
        ASSERT_NE(table->GetSeatBoard(p), nullptr) << p;
    }
    EXPECT_EQ(table->GetSeatBoard(4), nullptr);
    // Ready marks are placed beside the first tile of a seat among the
    // tiles in play.
    EXPECT_EQ(table->GetFirstSpriteAt(0), nullptr);
    CCardSprite* first = table->PutHandTile(0, 3, 200);
    table->PutHandTile(0, 4, 200);
    EXPECT_EQ(table->GetFirstSpriteAt(0), first);
    CSeatBoardAnchors* anchors = table;
    EXPECT_EQ(anchors->GetFirstSpriteAt(0), first);
    EXPECT_EQ(anchors->GetReadyMarkPlacement(), 0);
    // Seated chairs show on the boards of their positions; a started one
    // with its ready mark.
    LaunchRecordBuilder launch;
    launch.seats = {MakeLaunchUser(100, 0, "A"), MakeLaunchUser(102, 2, "C"),
                    MakeLaunchUser(103, 3, "D")};
    ASSERT_TRUE(app.InitGameData(launch.Build()));
    SetChair(2, false);
    app.data.started[3] = 1;
    table->RefreshSeatBoards();
    EXPECT_EQ(table->GetSeatBoard(3)->GetChair(), 2);
    EXPECT_EQ(table->GetSeatBoard(1)->GetChair(), 0);
    EXPECT_EQ(table->GetSeatBoard(0)->GetChair(), 3);
    EXPECT_EQ(table->GetSeatBoard(2)->GetChair(), -1);
    ASSERT_NE(table->GetSeatBoard(0)->GetReadyMark(), nullptr);
    EXPECT_NE(table->GetSeatBoard(0)->GetReadyMark()->IsVisible(), 0);
    EXPECT_EQ(table->GetSeatBoard(1)->GetReadyMark(), nullptr);
    table->ResetSeatBoard(3);
    EXPECT_EQ(table->GetSeatBoard(0)->GetChair(), -1);
    // Beyond the tiles in play no sprite is found.
    table->ClearTable();
    for (int i = 0; i < 152; ++i) {
        table->GetCardSprite(i)->active = 1;
    }
    ASSERT_NE(table->PutHandTile(1, 1, 200), nullptr);
    EXPECT_EQ(table->GetHandSprite(1, 1)->poolIndex, 152);
    EXPECT_EQ(table->GetFirstSpriteAt(1), nullptr);
}

}  // namespace
}  // namespace table_view_test
