// Melds laid by claims and restored from the meld store of a running hand.
#include "tests/mahjong_client/table/TableViewFixture.h"

namespace table_view_test {
namespace {

using Ids = std::vector<int>;

MeldRecord Meld(int claimant, int source, int claimed, int a, int b, int c = -1) {
    MeldRecord record{};
    record[3] = claimant;
    record[4] = source;
    record[5] = claimed;
    record[6] = a;
    record[7] = b;
    record[8] = c;
    return record;
}

class TableViewMeldTest : public TableViewTest {
protected:
    // Own chair 0 (position 3); chair 1 is position 0, chair 3 position 2.
    void Deal(const std::vector<int32_t>& own = {0, 9, 1, 10, 19, 28, 2, 11, 20, 29, 40, 50, 60}) {
        Open();
        StartRecord(1, 0, own);
        table->BuildWall();
        table->DealCards();
        table->SortHand();
    }
    // Chair 3 (position 2) throws the tile.
    CCardSprite* Throw(int position, int tile) {
        CCardSprite* sprite = table->MoveTileToThrown(position, 200);
        EXPECT_NE(sprite, nullptr);
        sprite->tile = tile;
        return sprite;
    }
    // The meld tiles of a row (with their meld kinds and marks).
    std::vector<std::array<int, 3>> Melds(int position) {
        std::vector<std::array<int, 3>> melds;
        for (int i = 1; i < CMahjongTableView::kRowSize; ++i) {
            const CCardSprite* sprite = table->GetHandSprite(position, i);
            if (sprite != nullptr && sprite->meldMark != 0) {
                melds.push_back({sprite->tile, sprite->meldKind, sprite->meldMark});
            }
        }
        return melds;
    }
};

TEST_F(TableViewMeldTest, AnOwnPengTakesTheThrownTileAndTwoOwnTilesAndLeavesATileToThrow) {
    Deal();
    // Own row sorted: 0 9 | 1 10 19 28 | 2 11 20 29 | 40 50 60.
    CCardSprite* thrown = Throw(2, 18);
    CCardSprite* own9 = table->GetHandSprite(3, 2);
    ASSERT_EQ(own9->tile, 9);
    table->PlaceMeld(3, 1, Meld(0, 3, 18, 0, 9), 0);
    EXPECT_EQ(table->GetLastThrown(2), nullptr);
    EXPECT_EQ(table->GetMeldCount(3), 1);
    const auto melds = Melds(3);
    ASSERT_EQ(melds.size(), 3u);
    for (const auto& m : melds) {
        EXPECT_EQ(m[1], CCardSprite::kMeldPeng);
        EXPECT_EQ(m[2], 1);
    }
    EXPECT_EQ(thrown->meldMark, 1);
    EXPECT_EQ(thrown->tile, 18);
    EXPECT_EQ(thrown->meldSource, 2);
    EXPECT_EQ(thrown->kind, CCardSprite::kKindHand);
    EXPECT_EQ(own9->meldMark, 1);
    // The melds come first, the concealed tiles follow, and the last one
    // stands apart to be thrown.
    EXPECT_EQ(Row(3), Ids({60, 0, 9, 18, 1, 10, 19, 28, 2, 11, 20, 29, 40, 50}));
    EXPECT_EQ(table->IsHandDrawn(3), 1);
    ExpectRowNumbered(3);
}

TEST_F(TableViewMeldTest, AHiddenRowGivesItsLastTilesToAMeld) {
    Deal();
    CCardSprite* thrown = Throw(3, 5);
    (void)thrown;
    const int before = table->GetRowCount(2);
    CCardSprite* last = table->GetHandSprite(2, 13);
    CCardSprite* beforeLast = table->GetHandSprite(2, 12);
    table->PlaceMeld(2, 1, Meld(3, 0, 5, 6, 7), 0);
    EXPECT_EQ(table->GetLastThrown(3), nullptr);
    EXPECT_EQ(table->GetRowCount(2), before + 1);  // two from the row, one claimed
    EXPECT_EQ(last->meldMark, 1);
    EXPECT_EQ(beforeLast->meldMark, 1);
    Ids faces;
    for (const auto& m : Melds(2)) {
        faces.push_back(m[0]);
    }
    EXPECT_EQ(faces, Ids({5, 6, 7}));
    // No drawn tile is made for another seat.
    EXPECT_EQ(table->IsHandDrawn(2), 0);
    ExpectRowNumbered(2);
}

TEST_F(TableViewMeldTest, RestoringAMeldTakesNothingFromTheTable) {
    Deal();
    CCardSprite* thrown = Throw(0, 5);
    const Ids own = [&] {
        Ids ids;
        for (int i = 0; i < CMahjongTableView::kRowSize; ++i) {
            const CCardSprite* s = table->GetHandSprite(3, i);
            ids.push_back(s != nullptr ? s->tile : -1);
        }
        return ids;
    }();
    const int hidden = table->GetRowCount(1);
    table->PlaceMeld(3, 1, Meld(0, 1, 5, 4, 6), 1);
    table->PlaceMeld(1, 3, Meld(2, 3, 50, 51, 52), 1);
    EXPECT_EQ(table->GetLastThrown(0), thrown);
    EXPECT_EQ(table->GetRowCount(3), 13 + 3);
    EXPECT_EQ(table->GetRowCount(1), hidden + 3);
    EXPECT_EQ(Melds(1).size(), 3u);
    EXPECT_EQ(Melds(1)[0][1], CCardSprite::kMeldChi);
    // The own concealed tiles follow the meld, unchanged.
    for (int i = 1; i <= 13; ++i) {
        EXPECT_EQ(table->GetHandSprite(3, i + 3)->tile, own[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(table->IsHandDrawn(3), 0);
}

TEST_F(TableViewMeldTest, MeldsWithBadTilesOrPositionsAreRefused) {
    Deal();
    const int count = table->GetRowCount(3);
    table->PlaceMeld(3, 1, Meld(0, 3, 144, 9, 27), 0);
    table->PlaceMeld(3, 1, Meld(0, 3, 0, -5, 27), 1);
    table->PlaceMeld(4, 1, Meld(0, 3, 0, 9, 27), 1);
    table->PlaceMeld(3, 2, Meld(0, 3, 0, 9, 27), 1);
    table->PlaceGang(3, Meld(0, 3, 0, 9, 27, 300), 1);
    EXPECT_EQ(table->GetRowCount(3), count);
    EXPECT_EQ(table->GetMeldCount(3), 0);
}

TEST_F(TableViewMeldTest, GangsLayFourTilesAndAnAddedGangJoinsItsPeng) {
    Deal({0, 9, 18, 27, 1, 10, 19, 28, 2, 11, 20, 29, 40});
    // Another seat's exposed gang on the own throw.
    CCardSprite* thrown = table->MoveTileToThrown(3, 40);
    ASSERT_NE(thrown, nullptr);
    thrown->tile = 80;
    table->PlaceGang(0, Meld(1, 0, 80, 81, 82, 83), 0);
    EXPECT_EQ(Melds(0).size(), 4u);
    EXPECT_EQ(Melds(0)[0][1], CCardSprite::kMeldGang);
    EXPECT_EQ(table->GetRowCount(0), 14 - 3 + 4);
    EXPECT_EQ(table->GetLastThrown(3), nullptr);
    // An own concealed gang takes four own tiles.
    table->PlaceConcealedGang(3, Meld(0, 0, 0, 9, 18, 27), 0);
    EXPECT_EQ(Melds(3).size(), 4u);
    EXPECT_EQ(Melds(3)[0][1], CCardSprite::kMeldConcealedGang);
    EXPECT_EQ(table->FindRowIndex(3, 27), 4);
    EXPECT_EQ(table->GetRowCount(3), 12);
    // A peng, then the fourth tile added to it from the hand.
    table->PlaceMeld(1, 1, Meld(2, 1, 72, 81, 90), 1);
    table->PlaceMeld(1, 1, Meld(2, 1, 108, 115, 122), 1);
    ASSERT_NE(table->DealDrawnTile(1, 80, 0), nullptr);
    const int row = table->GetRowCount(1);
    table->PlaceAddedGang(1, Meld(2, 2, 99, -1, -1, -1), 0);
    EXPECT_EQ(table->GetRowCount(1), row);
    const auto melds = Melds(1);
    ASSERT_EQ(melds.size(), 7u);
    EXPECT_EQ(melds[3][0], 99);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(melds[static_cast<size_t>(k)][1], CCardSprite::kMeldGang);
        EXPECT_EQ(melds[static_cast<size_t>(k)][2], 1);
    }
    EXPECT_EQ(melds[4][1], CCardSprite::kMeldPeng);
    ExpectRowNumbered(1);
}

// One seven-word tile record of the meld store.
void PutRecord(std::vector<uint8_t>& store, int list, int chair, int k,
               const std::array<int32_t, 7>& words) {
    const size_t at = 688u * static_cast<size_t>(list - 1) + 168u * static_cast<size_t>(chair) +
                      28u * static_cast<size_t>(k);
    std::memcpy(store.data() + at, words.data(), 28);
}
void PutCount(std::vector<uint8_t>& store, int list, int chair, int32_t count) {
    const size_t at = 688u * static_cast<size_t>(list - 1) + 672u + 4u * static_cast<size_t>(chair);
    std::memcpy(store.data() + at, &count, 4);
}

TEST_F(TableViewMeldTest, RestoreMeldsLaysTheListsInTheirOrderWithClampedCounts) {
    Open();
    StartRecord(1, 0, {});
    std::vector<uint8_t> store(5 * 688, 0);
    // Chair 0 (own): a peng, a chi, a gang, a concealed gang, an added gang.
    PutRecord(store, 1, 0, 0, {1, 2, 0, 0, 3, 0, 0});          // peng 0 1 2 from chair 3
    PutRecord(store, 2, 0, 0, {37, 38, 36, 0, 1, 0, 0});       // chi from chair 1
    PutRecord(store, 3, 0, 0, {73, 74, 75, 72, 2, 0, 0});      // gang from chair 2
    PutRecord(store, 4, 0, 0, {109, 110, 111, 108, 0, 0, 0});  // concealed gang
    PutRecord(store, 5, 0, 0, {41, 42, 43, 40, 3, 0, 0});      // added gang
    for (int list = 1; list <= 5; ++list) {
        PutCount(store, list, 0, 1);
    }
    // Chair 2: seven pengs claimed (six laid), chair 3: a negative count.
    for (int k = 0; k < 6; ++k) {
        PutRecord(store, 1, 2, k, {4 * k + 1, 4 * k + 2, 4 * k, 0, 0, 0, 0});
    }
    PutCount(store, 1, 2, 7);
    PutCount(store, 3, 3, -4);
    app.data.tail = store;
    table->RestoreMelds();

    std::vector<int> kinds;
    std::vector<int> tiles;
    int lastMark = 0;
    for (const auto& m : Melds(3)) {
        if (m[2] != lastMark) {
            kinds.push_back(m[1]);
            lastMark = m[2];
        }
        tiles.push_back(m[0]);
    }
    EXPECT_EQ(kinds, std::vector<int>({CCardSprite::kMeldPeng, CCardSprite::kMeldChi,
                                       CCardSprite::kMeldGang, CCardSprite::kMeldGang,
                                       CCardSprite::kMeldConcealedGang}));
    EXPECT_EQ(tiles,
              Ids({0, 1, 2, 36, 37, 38, 72, 73, 74, 75, 40, 41, 42, 43, 108, 109, 110, 111}));
    EXPECT_EQ(table->GetMeldCount(3), 5);
    EXPECT_EQ(table->GetMeldCount(1), 6);  // chair 2
    EXPECT_EQ(table->GetRowCount(1), 18);
    EXPECT_EQ(table->GetMeldCount(2), 0);  // chair 3
    // The peng's source chair 3 is position 2; its faces show from there.
    EXPECT_EQ(table->GetHandSprite(3, 1)->meldSource, 2);
}

TEST_F(TableViewMeldTest, AShortMeldStoreRestoresOnlyTheWholeLists) {
    Open();
    StartRecord(1, 0, {});
    std::vector<uint8_t> store(2 * 688 + 100, 0);
    PutRecord(store, 1, 0, 0, {1, 2, 0, 0, 3, 0, 0});
    PutCount(store, 1, 0, 1);
    PutRecord(store, 2, 0, 0, {37, 38, 36, 0, 1, 0, 0});
    PutCount(store, 2, 0, 1);
    app.data.tail = store;
    table->RestoreMelds();
    EXPECT_EQ(table->GetMeldCount(3), 2);
    app.data.tail.clear();
    table->RestoreMelds();
    EXPECT_EQ(table->GetMeldCount(3), 2);
}

}  // namespace
}  // namespace table_view_test
