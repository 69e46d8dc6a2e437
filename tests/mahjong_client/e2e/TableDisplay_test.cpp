// The table as the player sees it, read back from the engine's back buffer:
// a whole client in its frame window (SDL's dummy driver) with the table's
// side panel and the table view as "MainGame", drawn with the test skin.
// Four seat boards show their players' names; the own row holds 14 tiles
// face up, the three others 13 hidden tiles; one seat has a peng, another a
// concealed gang; every seat has discards; the wall stands. Every visible
// tile shows its face's colour (or the back) at its centre, no two tiles of
// a row or of a discard block overlap, and all lie inside MainGame; at
// 800 x 600 and at 1366 x 768.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "mahjong_client/table/SeatBoard.h"
#include "tests/mahjong_client/support/HandRecords.h"
#include "tests/mahjong_client/support/TableSession.h"
#include "tests/mahjong_client/support/TableSkin.h"

namespace table_test {
namespace {

using table_skin::BackColour;
using table_skin::FaceColour;

struct Box {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    double CentreX() const { return (left + right) / 2; }
    double CentreY() const { return (top + bottom) / 2; }
    bool Contains(double x, double y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    // Overlap by more than a pixel's rounding on both axes.
    bool Overlaps(const Box& o) const {
        return std::min(right, o.right) - std::max(left, o.left) > 1.0 &&
               std::min(bottom, o.bottom) - std::max(top, o.top) > 1.0;
    }
};

// One tile on screen as the view and its face picture say.
struct ShownTile {
    CCardSprite* sprite = nullptr;
    Box box;
    double z = 0;
    uint32_t colour = 0;  // what its centre must show
    std::string Name() const {
        return "tile " + std::to_string(sprite->tile) + " kind " + std::to_string(sprite->kind) +
               " position " + std::to_string(sprite->position) + " index " +
               std::to_string(sprite->handIndex) + " slot " + std::to_string(sprite->discardSlot) +
               " wall " + std::to_string(sprite->wallIndex);
    }
};

// The colour the test skin gives the sprite's picture.
uint32_t ExpectedColour(CCardSprite& sprite) {
    if (sprite.IsFaceDown()) {
        return BackColour(sprite.position == 0 || sprite.position == 2 ? table_skin::kBackSides
                                                                       : table_skin::kBackEnds);
    }
    return FaceColour(sprite.GetCardImageIndex(sprite.tile));
}

std::string Hex(uint32_t colour) {
    char text[16];
    std::snprintf(text, sizeof text, "%06x", colour);
    return text;
}

class TableDisplayTest : public ::testing::TestWithParam<std::pair<int, int>> {
protected:
    void SetUp() override {
        SessionOptions options;
        options.width = GetParam().first;
        options.height = GetParam().second;
        ASSERT_TRUE(session.Open(options)) << session.Error();
    }

    CMahjongTableView& Table() { return session.Table(); }

    // The hand starts as the server starts it; the own chair is the
    // banker: it holds 14 tiles, the others 13.
    void DealHand() {
        HandStart start;
        start.banker = kOwnChair;
        start.turnChair = kOwnChair;
        start.wallStart = 20;
        for (int face = 0; face < 14; ++face) {
            start.ownTiles.push_back(TileOf(face % 27, 0));
        }
        start.tilesHeld = {13, 13, 14, 13};
        ASSERT_TRUE(session.StartHand(start));
    }

    // A tile leaves the position's row, shows `tile` face up and goes to
    // the discards (or stays the last thrown one).
    CCardSprite* Throw(int position, int tile, bool toDiscards = true) {
        const bool known = Table().IsHandKnown(position);
        CCardSprite* sprite = Table().MoveTileToThrown(position, known ? tile : kHiddenTile);
        if (sprite == nullptr) {
            return nullptr;
        }
        sprite->tile = tile;
        sprite->faceUp = 1;
        sprite->Refresh();
        if (toDiscards) {
            Table().MoveThrownToDiscards(position);
        }
        return sprite;
    }

    // Every sprite in use and shown, with its box and colour.
    std::vector<ShownTile> ShownTiles() {
        std::vector<ShownTile> shown;
        for (int i = 0; i < static_cast<int>(Table().GetCardIdCount()); ++i) {
            CCardSprite* sprite = Table().GetCardSprite(i);
            if (sprite == nullptr || sprite->active == 0 || !sprite->IsVisible()) {
                continue;
            }
            CCorvanePicture* face = sprite->GetFace();
            if (face == nullptr || !face->IsVisible()) {
                continue;
            }
            shown.push_back({sprite,
                             {face->GetLeft(), face->GetTop(), face->GetRight(), face->GetBottom()},
                             face->GetZ(),
                             ExpectedColour(*sprite)});
        }
        return shown;
    }

    // The sprite drawn on top at the point.
    static const ShownTile* TopAt(const std::vector<ShownTile>& tiles, double x, double y) {
        const ShownTile* top = nullptr;
        for (const ShownTile& t : tiles) {
            if (t.box.Contains(x, y) && (top == nullptr || t.z >= top->z)) {
                top = &t;
            }
        }
        return top;
    }

    void ExpectTableAsDrawn() {
        session.Run(1500);  // the boards fade in
        const IntRect game = session.MainGameRect();
        const std::vector<ShownTile> tiles = ShownTiles();
        ASSERT_FALSE(tiles.empty());
        std::map<std::pair<int, int>, std::vector<const ShownTile*>> blocks;  // (kind, position)
        for (const ShownTile& t : tiles) {
            SCOPED_TRACE(t.Name());
            EXPECT_GE(t.box.left, game.left - 0.5);
            EXPECT_GE(t.box.top, game.top - 0.5);
            EXPECT_LE(t.box.right, game.right + 0.5);
            EXPECT_LE(t.box.bottom, game.bottom + 0.5);
            const int x = static_cast<int>(t.box.CentreX());
            const int y = static_cast<int>(t.box.CentreY());
            const ShownTile* top = TopAt(tiles, x + 0.5, y + 0.5);
            ASSERT_NE(top, nullptr);
            if (t.sprite->kind != CCardSprite::kKindWall) {
                EXPECT_EQ(top, &t) << "covered by " << top->Name();
            }
            EXPECT_EQ(Hex(session.BackBufferColour(x, y)), Hex(top->colour));
            if (t.sprite->kind == CCardSprite::kKindHand ||
                t.sprite->kind == CCardSprite::kKindDiscard) {
                blocks[{t.sprite->kind, t.sprite->position}].push_back(&t);
            }
        }
        for (const auto& [key, members] : blocks) {
            for (size_t i = 0; i < members.size(); ++i) {
                for (size_t j = i + 1; j < members.size(); ++j) {
                    EXPECT_FALSE(members[i]->box.Overlaps(members[j]->box))
                        << members[i]->Name() << " overlaps " << members[j]->Name();
                }
            }
        }
    }

    // Pixels of the board's name on the board (a side board is turned a
    // quarter, so its box is too).
    int NamePixels(int position) {
        CCorvaneCanvas* canvas = Table().GetSeatBoard(position)->GetBoardCanvas();
        if (canvas == nullptr) {
            return 0;
        }
        const bool turned = position == 0 || position == 2;
        const int halfWidth =
            static_cast<int>((turned ? canvas->GetHeight() : canvas->GetWidth()) / 2);
        const int halfHeight =
            static_cast<int>((turned ? canvas->GetWidth() : canvas->GetHeight()) / 2);
        const int cx = static_cast<int>(canvas->GetX());
        const int cy = static_cast<int>(canvas->GetY());
        int found = 0;
        for (int y = cy - halfHeight; y < cy + halfHeight; ++y) {
            for (int x = cx - halfWidth; x < cx + halfWidth; ++x) {
                const uint32_t c = session.BackBufferColour(x, y);
                found += c != 0xffffffffu && IsNameInk(c) ? 1 : 0;
            }
        }
        return found;
    }
    // The name's strokes, whole or blended into the board: the board's
    // pictures in the test skin have green 0x08..0x30, the name's colour
    // 0xCEE4B7 green 0xe4; tiles are told apart by their colours.
    static bool IsNameInk(uint32_t colour) {
        return ((colour >> 8) & 0xff) >= 0x80 &&
               table_skin::ClassifyColour(colour).kind == table_skin::SeenColour::Kind::Other;
    }

    TableSession session;
};

TEST_P(TableDisplayTest, BoardsRowsMeldsDiscardsAndWallAsTheBackBufferShowsThem) {
    DealHand();
    ASSERT_EQ(Table().GetRowCount(3), 14);
    for (int position = 0; position < 3; ++position) {
        ASSERT_EQ(Table().GetRowCount(position), 13) << position;
        EXPECT_FALSE(Table().IsHandKnown(position));
    }
    EXPECT_TRUE(Table().IsHandKnown(3));

    // Discards at every seat: the own seat throws two and takes two from
    // the wall, so its row stays 14 and face up.
    int wallIndex = 100;
    int face = 14;
    for (int position = 0; position < 4; ++position) {
        for (int n = 0; n < 2; ++n) {
            if (position == 3) {
                CCardSprite* last = Table().GetHandSprite(3, 1);
                ASSERT_NE(last, nullptr);
                ASSERT_NE(Throw(3, last->tile), nullptr);
                ASSERT_NE(Table().DealDrawnTile(3, wallIndex--, TileOf(face++ % 27, 1)), nullptr);
                Table().SortHand();
            } else {
                ASSERT_NE(Throw(position, TileOf(face++ % 27, 2)), nullptr) << position;
                ASSERT_NE(Table().DealDrawnTile(position, wallIndex--, kHiddenTile), nullptr);
            }
        }
    }
    // A peng at position 0 of the tile position 1 just threw, and a
    // concealed gang at position 1.
    const int chair0 = Table().PositionToChair(0);
    const int chair1 = Table().PositionToChair(1);
    const int pengTile = TileOf(20, 3);
    ASSERT_NE(Throw(1, pengTile, false), nullptr);
    MeldRecord peng{};
    peng.fill(0);
    peng[3] = chair0;
    peng[4] = chair1;
    peng[5] = pengTile;
    peng[6] = kHiddenTile;
    peng[7] = kHiddenTile;
    peng[8] = -1;
    Table().PlaceMeld(0, 1, peng, 0);
    MeldRecord gang{};
    gang.fill(0);
    gang[3] = chair1;
    gang[4] = chair1;
    gang[5] = TileOf(26, 0);
    gang[6] = kHiddenTile;
    gang[7] = kHiddenTile;
    gang[8] = kHiddenTile;
    Table().PlaceConcealedGang(1, gang, 0);
    EXPECT_EQ(Table().GetMeldCount(0), 1);
    EXPECT_EQ(Table().GetMeldCount(1), 1);
    for (int position = 0; position < 4; ++position) {
        EXPECT_EQ(Table().GetDiscardCount(position), 2) << position;
    }
    EXPECT_GT(Table().GetWallCount(), 0);
    Table().Relayout();

    // The four boards show their players, whose names are drawn on them.
    for (int position = 0; position < 4; ++position) {
        SCOPED_TRACE(position);
        CSeatBoard* board = Table().GetSeatBoard(position);
        ASSERT_NE(board, nullptr);
        EXPECT_EQ(board->GetChair(), Table().PositionToChair(position));
        EXPECT_TRUE(board->IsVisible());
    }
    ExpectTableAsDrawn();
    // The side panel: beside MainGame inside the window; on an 800-pixel
    // screen the frame folds it away and MainGame takes the width.
    const IntRect game = session.MainGameRect();
    const IntRect side = session.SidePanel().GetViewRect();
    if (session.SceneWidth() > 800) {
        EXPECT_GE(side.left, game.right);
        EXPECT_LE(side.right, session.SceneWidth());
        EXPECT_GT(side.right - side.left, 0);
        EXPECT_GT(side.bottom - side.top, session.SceneHeight() / 2);
    } else {
        EXPECT_GE(side.left, session.SceneWidth() - 1);
    }
    for (int position = 0; position < 4; ++position) {
        EXPECT_GT(NamePixels(position), 10)
            << "no name drawn on the board of position " << position;
    }
    // Every row and discard block has its tiles on screen, the peng and the
    // gang among them.
    std::map<std::pair<int, int>, int> counts;
    for (const ShownTile& t : ShownTiles()) {
        ++counts[std::make_pair(t.sprite->kind, t.sprite->position)];
    }
    auto count = [&](int kind, int position) { return counts[std::make_pair(kind, position)]; };
    int wallShown = 0;
    // Position 0 gave two tiles to its peng, position 1 its thrown tile.
    const int rowSprites[4] = {14, 12, 13, 14};
    for (int position = 0; position < 4; ++position) {
        EXPECT_EQ(count(CCardSprite::kKindDiscard, position), 2) << position;
        EXPECT_EQ(count(CCardSprite::kKindHand, position), rowSprites[position]) << position;
        wallShown += count(CCardSprite::kKindWall, position);
    }
    EXPECT_GT(wallShown, 0);
}

INSTANTIATE_TEST_SUITE_P(ScreenSizes, TableDisplayTest,
                         ::testing::Values(std::make_pair(800, 600), std::make_pair(1366, 768)),
                         [](const auto& info) {
                             return std::to_string(info.param.first) + "x" +
                                    std::to_string(info.param.second);
                         });

}  // namespace
}  // namespace table_test
