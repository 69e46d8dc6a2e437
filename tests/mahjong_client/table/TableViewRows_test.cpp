// Seats, the wall, the deal, the rows and the discards of the table view.
#include "tests/mahjong_client/table/TableViewFixture.h"

namespace table_view_test {
namespace {

using Ids = std::vector<int>;

TEST_F(TableViewTest, ChairsMapToScreenPositionsRoundTheOwnSeat) {
    Open();
    for (int own = 0; own < 4; ++own) {
        SetChair(own, false);
        EXPECT_EQ(table->ChairToPosition(own), 3);
        EXPECT_EQ(table->ChairToPosition((own + 1) % 4), 0);
        EXPECT_EQ(table->ChairToPosition((own + 2) % 4), 1);
        EXPECT_EQ(table->ChairToPosition((own + 3) % 4), 2);
        for (int p = 0; p < 4; ++p) {
            EXPECT_EQ(table->ChairToPosition(table->PositionToChair(p)), p);
        }
        EXPECT_EQ(table->ChairToPosition(-1), -1);
        EXPECT_EQ(table->ChairToPosition(4), -1);
    }
    // Without a seat of its own every chair is nowhere.
    for (int own : {-1, 4, 200}) {
        SetChair(own, true);
        for (int chair = 0; chair < 4; ++chair) {
            EXPECT_EQ(table->ChairToPosition(chair), -1);
        }
        EXPECT_EQ(table->PositionToChair(3), -1);
    }
}

TEST_F(TableViewTest, TurnsPassByDescendingChairAndSkipTheEmptySeatAtThree) {
    Open();
    EXPECT_EQ(table->GetNextTurnPosition(3), 2);
    EXPECT_EQ(table->GetNextTurnPosition(2), 1);
    EXPECT_EQ(table->GetNextTurnPosition(1), 0);
    EXPECT_EQ(table->GetNextTurnPosition(0), 3);
    EXPECT_EQ(table->GetNextTurnPosition(4), -1);
    EXPECT_EQ(table->GetNextDealPosition(3), 2);
    EXPECT_EQ(table->GetNextDealPosition(0), 3);

    table->CreateSeatBoards(3);
    EXPECT_EQ(table->GetNextTurnPosition(3), 2);
    EXPECT_EQ(table->GetNextTurnPosition(2), 0);
    EXPECT_EQ(table->GetNextTurnPosition(0), 3);
    // Chair after the own one sits at 0, the one before it at 2.
    EXPECT_EQ(table->ChairToPosition(1), 0);
    EXPECT_EQ(table->ChairToPosition(2), 2);
    EXPECT_EQ(table->ChairToPosition(3), -1);
}

TEST_F(TableViewTest, TheDealGivesTheBankerFourteenAndTheOthersThirteenFromTheWallStart) {
    // Own chair 2 is the banker; the wall starts at 100 and wraps.
    SetChair(2, false);
    Open();
    Ids own;
    for (int i = 0; i < 14; ++i) {
        own.push_back(4 * i);
    }
    StartRecord(2, 100, {own.begin(), own.end()});
    table->BuildWall();
    EXPECT_EQ(table->GetWallCount(), 108);
    table->DealCards();
    EXPECT_EQ(table->GetWallCount(), 108 - 53);
    for (int k = 0; k < 53; ++k) {
        EXPECT_EQ(table->GetWallSprite((100 + k) % 108), nullptr) << k;
    }
    EXPECT_NE(table->GetWallSprite(99), nullptr);
    EXPECT_NE(table->GetWallSprite((100 + 53) % 108), nullptr);
    EXPECT_EQ(Row(3), own);
    ExpectRowNumbered(3);
    for (int p : {0, 1, 2}) {
        EXPECT_EQ(Row(p),
                  Ids({-1, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200}));
        EXPECT_EQ(table->GetRowCount(p), 13);
        EXPECT_FALSE(table->IsHandKnown(p));
        ExpectRowNumbered(p);
    }
    EXPECT_TRUE(table->IsHandKnown(3));
    EXPECT_EQ(table->IsHandDrawn(3), 1);
    EXPECT_EQ(table->IsHandDrawn(0), 0);
}

TEST_F(TableViewTest, AnotherBankersDealLeavesTheOwnDrawnPlaceFree) {
    Open();
    Ids own;
    for (int i = 0; i < 13; ++i) {
        own.push_back(9 * i + 1);
    }
    StartRecord(2, 0, {own.begin(), own.end()});  // banker at position 1
    table->BuildWall();
    table->DealCards();
    Ids expected = {-1};
    expected.insert(expected.end(), own.begin(), own.end());
    EXPECT_EQ(Row(3), expected);
    EXPECT_EQ(table->GetRowCount(1), 14);
    EXPECT_NE(table->GetHandSprite(1, 0), nullptr);
    // A looker-on's own row is dealt face down.
    table->ClearTable();
    SetChair(0, true);
    table->BuildWall();
    table->DealCards();
    EXPECT_FALSE(table->IsHandKnown(3));
    EXPECT_EQ(table->GetRowCount(3), 13);
}

TEST_F(TableViewTest, ADrawnTileComesFromTheWallFaceUpOnlyInAKnownRow) {
    Open();
    StartRecord(0, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    table->BuildWall();
    table->DealCards();
    CCardSprite* wallTile = table->GetWallSprite(60);
    ASSERT_NE(wallTile, nullptr);

    CCardSprite* own = table->DealDrawnTile(3, 60, 77);
    EXPECT_EQ(own, wallTile);
    EXPECT_EQ(table->GetWallSprite(60), nullptr);
    EXPECT_EQ(table->GetHandSprite(3, 0), own);
    EXPECT_EQ(own->tile, 77);
    EXPECT_EQ(own->faceUp, 1);
    EXPECT_EQ(own->state, CCardSprite::kStateInHand);
    EXPECT_EQ(own->kind, CCardSprite::kKindHand);
    EXPECT_EQ(table->IsHandDrawn(3), 1);

    // A hidden row never shows the tile it is told.
    CCardSprite* other = table->DealDrawnTile(2, 61, 78);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->tile, 200);
    EXPECT_EQ(other->faceUp, 0);
    EXPECT_EQ(table->IsHandDrawn(2), 1);
}

TEST_F(TableViewTest, AnEmptyRowIsKnownOnlyAsThePlayersOwn) {
    Open();
    table->BuildWall();
    EXPECT_TRUE(table->IsHandKnown(3));
    EXPECT_FALSE(table->IsHandKnown(0));
    EXPECT_EQ(table->DealDrawnTile(3, 3, 30)->tile, 30);
    EXPECT_EQ(table->DealDrawnTile(0, 4, 31)->tile, 200);
    table->ClearTable();
    SetChair(0, true);
    table->BuildWall();
    EXPECT_FALSE(table->IsHandKnown(3));
}

TEST_F(TableViewTest, ABadWallIndexOrTileIsRefusedAndAReplyDrawnTileIsKept) {
    Open();
    StartRecord(1, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    table->BuildWall();
    table->DealCards();
    const int wall = table->GetWallCount();
    EXPECT_EQ(table->DealDrawnTile(3, 108, 5), nullptr);
    EXPECT_EQ(table->DealDrawnTile(3, -1, 5), nullptr);
    EXPECT_EQ(table->DealDrawnTile(3, 0, 5), nullptr);  // drawn in the deal
    EXPECT_EQ(table->DealDrawnTile(3, 70, 144), nullptr);
    EXPECT_EQ(table->DealDrawnTile(3, 70, -3), nullptr);
    EXPECT_EQ(table->DealDrawnTile(4, 70, 5), nullptr);
    EXPECT_EQ(table->GetWallCount(), wall);
    EXPECT_EQ(table->IsHandDrawn(3), 0);
    // The own draw of a reply keeps its tile on a pool sprite.
    CCardSprite* drawn = table->DrawTileFromReply(3, 0, 55);
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(drawn->tile, 55);
    EXPECT_EQ(table->GetHandSprite(3, 0), drawn);
    EXPECT_EQ(table->GetWallCount(), wall);
}

TEST_F(TableViewTest, RemovingAHandTileClosesTheRowAndRenumbers) {
    Open();
    StartRecord(0, 0, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 5});
    table->BuildWall();
    table->DealCards();
    ASSERT_EQ(Row(3), Ids({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 5}));
    CCardSprite* removed = table->RemoveHandTile(3, 50);
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(removed->tile, 50);
    EXPECT_EQ(Row(3), Ids({10, 20, 30, 40, 60, 70, 80, 90, 100, 110, 120, 130, 5}));
    ExpectRowNumbered(3);
    EXPECT_EQ(table->RemoveHandTile(3, 50), nullptr);
    // The drawn tile leaves its place without moving the others.
    EXPECT_NE(table->RemoveHandTile(3, 10), nullptr);
    EXPECT_EQ(Row(3), Ids({-1, 20, 30, 40, 60, 70, 80, 90, 100, 110, 120, 130, 5}));
    EXPECT_EQ(table->IsHandDrawn(3), 0);
    // A hidden row without a drawn tile gives its first tile.
    CCardSprite* first = table->GetHandSprite(1, 1);
    EXPECT_EQ(table->RemoveHandTile(1, 200), first);
    EXPECT_EQ(table->GetRowCount(1), 12);
    ExpectRowNumbered(1);
}

TEST_F(TableViewTest, ArrangeHandMergesTheDrawnTileAndSortsTheConcealedTilesByFace) {
    Open();
    table->PutHandTile(3, 1, 100);
    table->PutHandTile(3, 2, 3);
    table->PutHandTile(3, 3, 60);
    table->PutHandTile(3, 4, 2);
    table->PutHandTile(3, 0, 41);
    table->ArrangeHand(3);
    EXPECT_EQ(Row(3), Ids({-1, 2, 3, 41, 60, 100}));
    ExpectRowNumbered(3);
    // Sorting with the drawn tile keeps the largest one apart.
    table->RemoveHandTile(3, 100);
    table->PutHandTile(3, 0, 1);
    table->SortHand();
    EXPECT_EQ(Row(3), Ids({60, 1, 2, 3, 41}));
}

TEST_F(TableViewTest, ThrownTilesFillThirtySixDiscardPlacesAndTheThirtySeventhLeavesTheTable) {
    Open();
    for (int k = 0; k < 36; ++k) {
        CCardSprite* sprite = table->GetFreeCardObject();
        ASSERT_NE(sprite, nullptr);
        sprite->tile = k;
        table->SetLastThrown(2, sprite);
        EXPECT_EQ(table->GetLastThrown(2), sprite);
        EXPECT_EQ(sprite->kind, CCardSprite::kKindThrown);
        table->MoveThrownToDiscards(2);
        EXPECT_EQ(table->GetLastThrown(2), nullptr);
        EXPECT_EQ(table->GetDiscard(2, k), sprite);
        EXPECT_EQ(sprite->state, CCardSprite::kStateDiscarded);
    }
    const int free = FreeSprites();
    CCardSprite* extra = table->GetFreeCardObject();
    extra->tile = 99;
    table->SetLastThrown(2, extra);
    EXPECT_EQ(FreeSprites(), free - 1);
    table->MoveThrownToDiscards(2);
    EXPECT_EQ(table->GetDiscardCount(2), 36);
    EXPECT_EQ(extra->active, 0);
    EXPECT_EQ(FreeSprites(), free);
    EXPECT_EQ(table->GetLastThrown(2), nullptr);
}

TEST_F(TableViewTest, AThrowOntoAnOccupiedPlaceSendsTheEarlierTileToTheDiscards) {
    Open();
    StartRecord(0, 0, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 5});
    table->BuildWall();
    table->DealCards();
    CCardSprite* first = table->MoveTileToThrown(3, 20);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->state, CCardSprite::kStateJustThrown);
    CCardSprite* second = table->MoveTileToThrown(3, 30);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(table->GetLastThrown(3), second);
    EXPECT_EQ(table->GetDiscard(3, 0), first);
    EXPECT_EQ(table->GetRowCount(3), 12);
}

TEST_F(TableViewTest, ARowTakesAtMostThirtyTwoTilesAndRaisedTilesAtMostThirtyTwoIds) {
    Open();
    for (int i = 0; i < 32; ++i) {
        ASSERT_NE(table->PutHandTile(3, i, i), nullptr);
    }
    EXPECT_EQ(table->PutHandTile(3, 32, 40), nullptr);
    EXPECT_EQ(table->GetRowCount(3), 32);
    // A draw into a full row is refused and the wall keeps its tile.
    table->BuildWall();
    EXPECT_EQ(table->DealDrawnTile(3, 5, 41), nullptr);
    EXPECT_NE(table->GetWallSprite(5), nullptr);
    for (int i = 0; i < 32; ++i) {
        table->GetHandSprite(3, i)->raised = 1;
    }
    std::array<int32_t, 40> out;
    out.fill(-7);
    EXPECT_EQ(table->GetRaisedTiles(out.data()), 32);
    EXPECT_EQ(out[32], -7);
}

TEST_F(TableViewTest, AnEmptyPoolRefusesWithoutLosingWhatIsOnTheTable) {
    Open();
    StartRecord(0, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    ExhaustPool(50);
    table->BuildWall();  // only 50 wall tiles fit
    EXPECT_EQ(table->GetWallCount(), 50);
    EXPECT_EQ(table->GetFreeCardObject(), nullptr);
    table->DealCards();  // the deal frees what it takes from the wall
    EXPECT_EQ(table->GetRowCount(3) + table->GetRowCount(0) + table->GetRowCount(1) +
                  table->GetRowCount(2),
              50);
    EXPECT_EQ(table->PutHandTile(3, 20, 7), nullptr);
    EXPECT_EQ(table->DrawTileFromReply(3, 200, 7), nullptr);
    MeldRecord record{};
    record[4] = 1;
    record[5] = 9;
    record[6] = 10;
    record[7] = 11;
    record[8] = -1;
    table->PlaceMeld(0, 1, record, 1);  // nothing to lay it with
    EXPECT_EQ(table->GetMeldCount(0), 0);
    EXPECT_EQ(FreeSprites(), 0);
}

TEST_F(TableViewTest, RestoringTheWallLeavesOutTheTilesDrawnFromBothEnds) {
    Open();
    StartRecord(0, 100, {});
    app.data.words[37] = 3;                 // three drawn from the back
    app.data.words[38] = (100 + 60) % 108;  // sixty drawn from the front
    app.data.Store();
    table->RestoreWall();
    EXPECT_EQ(table->GetWallCount(), 108 - 63);
    EXPECT_EQ(table->GetWallSprite(100), nullptr);
    EXPECT_EQ(table->GetWallSprite(51), nullptr);
    EXPECT_NE(table->GetWallSprite(52), nullptr);
    EXPECT_EQ(table->GetWallSprite(97), nullptr);
    EXPECT_NE(table->GetWallSprite(96), nullptr);
}

TEST_F(TableViewTest, TileEventsAfterClearTableFindNoSprite) {
    Open();
    StartRecord(0, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    table->BuildWall();
    table->DealCards();
    CCardSprite* sprite = table->GetHandSprite(3, 4);
    ASSERT_NE(sprite, nullptr);
    const EventRecord click =
        MakeEventRecord(table->GetId(), kEventCardClick, sprite->poolIndex, 0);
    EXPECT_EQ(table->GetEventSprite(click), sprite);
    const EventRecord step = MakeEventRecord(table->GetId(), kEventDealDone, 0,
                                             static_cast<intptr_t>(table->GetTableSerial()));
    EXPECT_TRUE(table->IsCurrentTableEvent(step));
    table->ClearTable();
    EXPECT_EQ(table->GetEventSprite(click), nullptr);
    EXPECT_FALSE(table->IsCurrentTableEvent(step));
    EXPECT_EQ(table->GetWallCount(), 0);
    EXPECT_EQ(table->GetRowCount(3), 0);
    EXPECT_EQ(FreeSprites(), CMahjongTableView::kCardPoolSize);
    // A sprite taken again for something else is not the clicked tile.
    CCardSprite* reused = table->GetFreeCardObject();
    reused->active = 1;
    EXPECT_EQ(table->GetEventSprite(
                  MakeEventRecord(table->GetId(), kEventCardClick, reused->poolIndex, 0)),
              nullptr);
    EXPECT_EQ(table->GetEventSprite(MakeEventRecord(table->GetId(), kEventCardClick, 168, 0)),
              nullptr);
    EXPECT_EQ(table->GetEventSprite(MakeEventRecord(table->GetId(), kEventCardClick, -1, 0)),
              nullptr);
}

TEST_F(TableViewTest, EnteringARunningHandRebuildsTheRows) {
    SetChair(1, false);
    Open();
    StartRecord(1, 0, {37, 0, 1, 2, 3, 4, 5, 6, 7, 8, 36});
    app.data.words[38] = 60;
    app.data.words[49 + 0] = 13;
    app.data.words[49 + 1] = 11;  // the own chair after a peng, to throw
    app.data.words[49 + 2] = 14;
    app.data.words[49 + 3] = 10;
    app.data.Store();
    table->OnGameStart();
    EXPECT_EQ(table->GetWallCount(), 48);
    EXPECT_EQ(Row(3), Ids({37, 0, 1, 2, 3, 4, 5, 6, 7, 8, 36}));
    EXPECT_EQ(table->IsHandDrawn(3), 1);
    EXPECT_EQ(table->GetRowCount(2), 13);  // chair 0
    EXPECT_EQ(table->GetRowCount(0), 14);  // chair 2, holding its drawn tile
    EXPECT_EQ(table->IsHandDrawn(0), 1);
    EXPECT_EQ(table->GetRowCount(1), 10);
    // Nothing is rebuilt while no hand runs.
    table->ClearTable();
    app.data.words[14] = 0;
    app.data.Store();
    table->OnGameStart();
    EXPECT_EQ(table->GetWallCount(), 0);
    EXPECT_EQ(table->GetRowCount(3), 0);
}

}  // namespace
}  // namespace table_view_test
