// The regional table's play parts in a real window with real clicks: the
// operation row (a shown Peng sends its claim), the swap choice (clicked own
// tiles rise, the confirm sends the three), the own throw (a middle tile
// clicked while the drawn one slides in leaves the row closed up), the voice
// box's phrase list (a picked phrase is said and comes back as the own
// board's bubble) and the side panel's emoticon picker (a picked emoticon is
// said and shows in the own board's bubble).
// Each is seen on the X server and its effect in what the test server got.

#include <algorithm>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/net/FrameRequests.h"
#include "frame/panels/SystemBars.h"
#include "frame/view/GameFrameView.h"
#include "game/app/ChatTables.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalTableData.h"
#include "game/table/PlayerBoardSmall.h"
#include "game/table/RegionalTableView.h"
#include "game/widgets/RegionalChatWidgets.h"
#include "game/widgets/VoicePhraseList.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_client/table/CardSprite.h"
#include "tests/game/support/ClientReadings.h"
#include "tests/game/support/RegionalSkin.h"
#include "tests/window/Pixels.h"
#include "tests/window/game/TableWindow.h"

namespace window_test {
namespace {

namespace tp = table_protocol;

constexpr int kOwn = CMahjongTableView::kOwnPosition;
// The side panel's emoticon button tells the panel so.
constexpr int kEmoticonButtonEvent = 19840396;
// Tile ids: four copies of a face are id, id + 9, id + 18, id + 27 of a
// suit's 36; suit 1 starts at 36.
constexpr int32_t kBamboo1 = 0;
constexpr int32_t kBamboo2 = 1;
constexpr int32_t kBamboo3 = 2;
constexpr int32_t kDots1 = 36;

// The name of the skin picture the window shows at the point ("" when the
// colour is no plain picture's).
std::string PictureShown(uint32_t skinColour) {
    const regional_skin::Seen seen = regional_skin::ClassifyColour(skinColour);
    return seen.kind == regional_skin::Seen::Kind::Plain && seen.picture != nullptr
               ? seen.picture->name
               : std::string();
}

bool ShowsTileFace(uint32_t skinColour) {
    return regional_skin::ClassifyColour(skinColour).kind == regional_skin::Seen::Kind::Face;
}

class TablePlayWindowTest : public TableWindowTest {
protected:
    // A running hand with the own row of 13 tiles and the drawn one.
    void StartHand(int32_t flags, const std::vector<int32_t>& row, int32_t drawn) {
        tp::HandStartRecord start;
        start.banker = 0;
        start.turnChair = 0;
        start.startFlags = flags;
        start.reactionTime = 12;
        start.discardTime = 20;
        start.wildIndicator = -1;
        start.wildTiles = {-1, -1};
        for (size_t chair = 0; chair < 4; ++chair) {
            start.seatTileCounts[chair] = chair == 0 ? 14 : 13;
        }
        start.ownTiles.fill(-1);
        ASSERT_TRUE(window.TableData()->StoreHandStart(tp::WriteTableRecord(start)));
        for (size_t i = 0; i < row.size(); ++i) {
            View().PutHandTile(kOwn, static_cast<int>(i) + 1, row[i]);
        }
        if (drawn >= 0) {
            View().PutHandTile(kOwn, 0, drawn);
        }
        View().RefreshHandSprites(kOwn);
        window.Run(200);
    }
    // The swap-three phase opened on a row with three bamboos to give.
    void OpenSwapChoice() {
        StartHand(0x1 | 0x10,
                  {kBamboo1, kBamboo2, kBamboo3, 3, kDots1, 37, 38, 39, 80, 81, 82, 83, 84}, 100);
        View().StartPlay();
    }
    // Clicks the part and reads the request of the id it sent.
    template <class Record>
    void ClickForRequest(CCorvaneObject* part, uint32_t id, Record& sent) {
        ASSERT_EQ(script.Count(id), 0u);
        ASSERT_EQ(Click(part), "");
        ASSERT_TRUE(WaitForRequest(id)) << "the click sent no request " << id;
        ASSERT_TRUE(tp::ReadTableRecord(Requests(id)[0].body, sent));
    }
    CCardSprite* Own(int32_t tile) {
        const int index = View().FindRowIndex(kOwn, tile);
        return index >= 0 ? View().GetHandSprite(kOwn, index) : nullptr;
    }
};

TEST_F(TablePlayWindowTest, TheSeatBoardsStandAtTheTableEdgesWhenTheWindowOpens) {
    const IntRect r = GetMainGameRect();
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    ASSERT_GT(h, 0);
    // Board centres by position (left, top, right, own) and a point inside
    // each board near its end, where neither name nor picture lies.
    struct Place {
        int x, y;
        int insideX, insideY;
    };
    const Place places[4] = {
        {r.left + 21, r.top + h / 2 - 35, 0, -70},
        {r.left + w / 2, r.top + 21, -70, 0},
        {r.left + w - 21, r.top + h / 2 - 35, 0, -70},
        {r.left + w / 2, r.top + h - 21, -70, 0},
    };
    for (int position = 0; position < 4; ++position) {
        CPlayerBoardSmall* board = View().GetPlayerBoard(position);
        ASSERT_NE(board, nullptr);
        const Place& place = places[position];
        EXPECT_EQ(board->GetX(), place.x) << position;
        EXPECT_EQ(board->GetY(), place.y) << position;
        const int x = place.x + place.insideX;
        const int y = place.y + place.insideY;
        EXPECT_TRUE(window.RunUntil(
            [&] { return PictureShown(ShownColour(x, y)) == CSeatBoard::kBoardImage; }, 2000))
            << "the board of position " << position << " is not seen at its place";
    }
}

TEST_F(TablePlayWindowTest, AClickOnTheShownPengButtonSendsTheClaim) {
    StartHand(0x1, {kBamboo1, kBamboo1 + 9, 40, 41, 42, 50, 51, 52, 60, 61, 62, 70, 71}, -1);
    OperationOffer& peng = View().GetOffer(kOpPeng);
    peng.chair = 1;
    peng.tile = kBamboo1 + 18;
    peng.tiles = {kBamboo1, kBamboo1 + 9, -1};
    peng.offered = 1;
    View().ShowOperationButtons(1);
    View().SetOperationButton(kOpPeng, 1);
    View().SetOperationButton(kOpGuo, 1);
    CCorvaneButton* button = View().GetOperationButtonOfKind(kOpPeng);
    ASSERT_NE(button, nullptr);
    const int x = static_cast<int>(button->GetLeft()) + 4;
    const int y = static_cast<int>(button->GetTop()) + 4;
    EXPECT_TRUE(window.RunUntil([&] { return PictureShown(ShownColour(x, y)) == "btn_Peng_big"; }))
        << "the Peng button is not seen where it stands";

    tp::OperationRecord sent;
    ASSERT_NO_FATAL_FAILURE(ClickForRequest(button, tp::kPengClaim, sent));
    EXPECT_EQ(sent.offerChair, 1);
    EXPECT_EQ(sent.tile, kBamboo1 + 18);
    EXPECT_EQ(sent.handTiles[0], kBamboo1);
    EXPECT_EQ(sent.handTiles[1], kBamboo1 + 9);
    window.Run(200);
    EXPECT_EQ(script.Count(tp::kPengClaim), 1u);
}

TEST_F(TablePlayWindowTest, ClickedOwnTilesRiseAndTheConfirmSendsTheThree) {
    OpenSwapChoice();
    ASSERT_EQ(View().GetTableState(), CRegionalTableView::kStateSwapChoice);
    window.Run(200);

    for (const int32_t tile : {kBamboo1, kBamboo2, kBamboo3}) {
        CCardSprite* sprite = Own(tile);
        ASSERT_NE(sprite, nullptr);
        const double top = sprite->GetTop();
        const int x = static_cast<int>(sprite->GetX());
        // The point just above the lying tile: the table, not a tile.
        const int above = static_cast<int>(top) - 4;
        ASSERT_FALSE(ShowsTileFace(ShownColour(x, above))) << tile;
        ASSERT_EQ(Click(sprite), "");
        ASSERT_TRUE(window.RunUntil([&] { return sprite->raised != 0 && sprite->GetTop() < top; }))
            << "the click did not raise tile " << tile;
        EXPECT_TRUE(window.RunUntil([&] { return ShowsTileFace(ShownColour(x, above)); }))
            << "the raised tile " << tile << " is not seen at its new place";
    }
    // A tile of another suit is put back at once.
    CCardSprite* other = Own(kDots1);
    ASSERT_EQ(Click(other), "");
    window.Run(300);
    EXPECT_EQ(other->raised, 0);

    CCorvaneButton* confirm = View().GetSwapChoiceButton();
    ASSERT_NE(confirm, nullptr);
    ASSERT_TRUE(window.RunUntil([&] { return confirm->IsInputEnabled() != 0; }));
    tp::SwapThreeRequest sent;
    ASSERT_NO_FATAL_FAILURE(ClickForRequest(confirm, tp::kSwapThree, sent));
    EXPECT_EQ(sent.chair, 0);
    std::vector<int32_t> three = {sent.chairTiles[0], sent.chairTiles[1], sent.chairTiles[2]};
    std::sort(three.begin(), three.end());
    EXPECT_EQ(three, (std::vector<int32_t>{kBamboo1, kBamboo2, kBamboo3}));
    EXPECT_EQ(View().GetTableState(), CRegionalTableView::kStateSwapSent);
    EXPECT_TRUE(window.RunUntil([&] { return confirm->IsVisible() == 0; }));
}

// The own turn's draw comes from the server and slides in; a middle tile of
// another face, clicked at once, is thrown, and the drawn tile takes its
// place in the sorted row: once the throw is shown the row stands closed
// up, and the window shows each tile's face at its place.
TEST_F(TablePlayWindowTest, AMiddleTileClickedWhileTheDrawnTileSlidesInLeavesTheRowClosedUp) {
    // First copies only, so that the row sorts alike by id and by face.
    std::vector<int32_t> tiles = {0, 1, 2, 3, 4, 5, kDots1, 37, 38, 40, 41, 72, 73};
    StartHand(0x1, tiles, -1);
    View().MoveTurnIndicator(View().GetTurnDirection(), 2 * kOwn);
    const int32_t drawn = 39;
    const int32_t thrown = 3;
    tp::DrawReply draw;
    draw.tile = drawn;
    draw.wallIndex = 55;
    script.SetReply(tp::kOwnDraw, tp::kResultDone, tp::WriteTableRecord(draw));
    script.SetReply(tp::kDiscard, tp::kResultDone);
    // The pointer rests above the row while the draw comes, and then moves
    // onto the tile, as a player's does.
    ASSERT_NE(Own(thrown), nullptr);
    const int restX = static_cast<int>(Own(thrown)->GetX());
    const int restY = static_cast<int>(Own(thrown)->GetTop()) - 150;
    ASSERT_EQ(MovePointerTo(*server, xwindow, restX, restY, kTableWaitMs), "");
    window.Run(100);
    ASSERT_EQ(View().CatchCard(), 1);
    tp::OperationRecord sent;
    ASSERT_NO_FATAL_FAILURE(ClickForRequest(Own(thrown), tp::kDiscard, sent));
    EXPECT_EQ(sent.tile, thrown);
    window.Run(600);  // the throw's own moves

    tiles.erase(std::ranges::find(tiles, thrown));
    tiles.insert(std::ranges::upper_bound(tiles, drawn), drawn);
    const std::vector<CCardSprite*> row = game_test::ShownOwnRow(View());
    ASSERT_EQ(row.size(), tiles.size());
    const std::optional<WindowImage> shot = Capture();
    for (size_t k = 0; k < row.size(); ++k) {
        EXPECT_EQ(row[k]->tile, tiles[k]) << "place " << k;
        if (k > 0) {
            EXPECT_EQ(row[k]->GetLeft(), row[k - 1]->GetRight()) << "place " << k;
        }
        // The k-th place of a closed-up row shows the k-th tile's face.
        const double x = row[0]->GetLeft() + (static_cast<double>(k) + 0.5) * row[k]->GetWidth();
        const regional_skin::Seen seen = regional_skin::ClassifyColour(
            AsShown(PixelAt(shot, static_cast<int>(x), static_cast<int>(row[k]->GetY()))));
        EXPECT_EQ(seen.kind, regional_skin::Seen::Kind::Face) << "place " << k;
        ASSERT_NE(row[k]->GetFace(), nullptr);
        EXPECT_EQ(seen.frame, row[k]->GetFace()->GetFrame()) << "place " << k;
    }
}

TEST_F(TablePlayWindowTest, TheSwapPanelOpensWithItsButtonAndClosesWithItsOwn) {
    OpenSwapChoice();
    // The server throws the swap die: each chair gets the next one's three.
    tp::SwapDiceNotice notice;
    for (size_t chair = 0; chair < 4; ++chair) {
        for (size_t k = 0; k < 3; ++k) {
            notice.given[3 * chair + k] = static_cast<int32_t>(9 * chair + k);
            notice.received[3 * chair + k] = static_cast<int32_t>(40 + 9 * chair + k);
        }
    }
    notice.given[0] = kBamboo1;
    notice.given[1] = kBamboo2;
    notice.given[2] = kBamboo3;
    notice.die = 4;
    notice.tingList.fill(-1);
    window.Deliver(tp::kSwapDice, tp::WriteTableRecord(notice));

    CCorvaneButton* show = View().GetSwapInfoShowButton();
    CCorvaneCanvas* panel = View().GetSwapInfoPanel();
    ASSERT_NE(show, nullptr);
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(window.RunUntil([&] { return show->IsVisible() != 0; }))
        << "the exchange did not offer its panel";
    EXPECT_EQ(panel->IsVisible(), 0);
    // The panel's upper left part, where neither names nor tiles lie.
    const auto panelSeen = [&] {
        return PictureShown(ShownColour(static_cast<int>(panel->GetLeft()) + 4,
                                        static_cast<int>(panel->GetTop()) + 4)) == "frame_HP";
    };
    EXPECT_FALSE(panelSeen());

    // The show button, beside the shown voice button, opens the panel and
    // not the voice box.
    CCorvaneButton* voice = View().GetVoiceButton();
    ASSERT_TRUE(voice != nullptr && voice->IsVisible() != 0);
    ASSERT_EQ(Click(show), "");
    ASSERT_TRUE(window.RunUntil([&] { return panel->IsVisible() != 0; }))
        << "the button did not open the panel";
    EXPECT_TRUE(window.RunUntil(panelSeen)) << "the panel is not seen where it opened";
    ASSERT_NE(View().GetVoiceBox(), nullptr);
    EXPECT_EQ(View().GetVoiceBox()->IsVisible(), 0) << "the click opened the voice box";

    CCorvaneButton* close = View().GetSwapInfoCloseButton();
    ASSERT_NE(close, nullptr);
    ASSERT_EQ(Click(close), "");
    EXPECT_TRUE(window.RunUntil([&] { return panel->IsVisible() == 0 && !panelSeen(); }))
        << "the close button left the panel shown";
    EXPECT_TRUE(window.RunUntil([&] { return show->IsVisible() != 0; }));
}

TEST_F(TablePlayWindowTest, APickedPhraseIsSaidAndComesBackAsTheOwnBubble) {
    CCorvaneButton* voice = View().GetVoiceButton();
    ASSERT_EQ(Click(voice), "");
    CCorvaneObject* box = View().GetVoiceBox();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(window.RunUntil([&] { return box->IsVisible() != 0; }))
        << "the voice button did not open its box";
    auto* list = dynamic_cast<CVoicePhraseList*>(View().GetVoicePhraseList());
    ASSERT_NE(list, nullptr);
    ASSERT_GT(list->GetItemCount(), 1);
    CCorvaneTextItem* row = list->GetItem(1);
    ASSERT_NE(row, nullptr);
    ASSERT_TRUE(window.RunUntil([&] { return row->IsVisible() != 0; }));
    const std::string phrase = GetVoicePhrase(1);

    CPlayerBoardSmall* board = View().GetPlayerBoard(View().ChairToPosition(0));
    ASSERT_NE(board, nullptr);
    CCorvaneCanvas* bubble = board->GetBubbleCanvas();
    ASSERT_NE(bubble, nullptr);

    EXPECT_EQ(bubble->IsVisible(), 0);

    // The row's left part: its caption starts there.
    ASSERT_EQ(ClickAt(static_cast<int>(row->GetLeft()) + 20, static_cast<int>(row->GetY())), "");
    ASSERT_TRUE(WaitForRequest(frame_requests::kChatText)) << "the picked phrase was not said";
    const std::vector<uint8_t> said = Requests(frame_requests::kChatText)[0].body;
    EXPECT_NE(std::string(said.begin(), said.end()).find(phrase), std::string::npos);

    // The server hands the line back to the table: the own board's bubble.
    ASSERT_TRUE(window.RunUntil([&] { return board->GetBubbleText() == phrase; }))
        << "the bubble says \"" << board->GetBubbleText() << "\"";
    // The bubble's right part, low, where no text covers it.
    const int frames[4] = {3, 1, 4, 0};
    const int x = static_cast<int>(bubble->GetRight()) - 20;
    const int y = static_cast<int>(bubble->GetBottom()) - 30;
    EXPECT_TRUE(WaitForColour(
        x, y,
        PictureColour(CPlayerBoardSmall::kBubbleBackground, frames[View().ChairToPosition(0)])))
        << "the bubble is not seen on the own board";
}

TEST_F(TablePlayWindowTest, APickedEmoticonIsSaidAndItsPictureShowsInTheOwnBubble) {
    auto* side = dynamic_cast<CRegionalSystemBar*>(window.App().GetSubSystemView());
    ASSERT_NE(side, nullptr);
    auto* chat = dynamic_cast<CRegionalChatBox*>(side->FindObjectByName(CSystemBars::kChatBoxName));
    ASSERT_NE(chat, nullptr);

    ASSERT_EQ(Click(FindButton(kEmoticonButtonEvent, side->GetId())), "");
    CEmoticonPanel* panel = nullptr;
    ASSERT_TRUE(window.RunUntil([&] {
        panel = chat->GetEmoticonPanel();
        return panel != nullptr && panel->IsVisible() != 0;
    })) << "the emoticon button did not open the picker";
    EXPECT_NE(dynamic_cast<CRegionalEmoticonPanel*>(panel), nullptr);

    // A point well inside a cell that shows an emoticon.
    int cx = -1;
    int cy = -1;
    std::string code;
    for (int y = 0; y < static_cast<int>(panel->GetHeight()) && cx < 0; ++y) {
        for (int x = 0; x < static_cast<int>(panel->GetWidth()); ++x) {
            if (!panel->CodeAt(x, y).empty() &&
                panel->CodeAt(x + 6, y + 6) == panel->CodeAt(x, y)) {
                cx = x + 3;
                cy = y + 3;
                code = panel->CodeAt(x, y);
                break;
            }
        }
    }
    ASSERT_GE(cx, 0) << "no emoticon cell";
    const int x = static_cast<int>(panel->GetLeft()) + cx;
    const int y = static_cast<int>(panel->GetTop()) + cy;
    const uint32_t open = ShownColour(x, y);

    ASSERT_EQ(ClickAt(x, y), "");
    EXPECT_TRUE(window.RunUntil([&] { return panel->IsVisible() == 0; }))
        << "the picked emoticon left the picker open";
    EXPECT_TRUE(window.RunUntil([&] { return !NearColour(ShownColour(x, y), open); }))
        << "the closed picker is still seen";
    ASSERT_TRUE(WaitForRequest(frame_requests::kChatText)) << "the picked emoticon was not said";
    const std::vector<uint8_t> said = Requests(frame_requests::kChatText)[0].body;
    EXPECT_NE(std::string(said.begin(), said.end()).find(code), std::string::npos);

    // Said back by the server, the own board's bubble shows its picture.
    CPlayerBoardSmall* board = View().GetPlayerBoard(View().ChairToPosition(0));
    ASSERT_NE(board, nullptr);
    ASSERT_TRUE(window.RunUntil([&] { return board->GetBubblePictureIds().size() == 1; }))
        << "the bubble says \"" << board->GetBubbleText() << "\"";
    CCorvanePicture* picture = board->FindPictureById(board->GetBubblePictureIds()[0]);
    ASSERT_NE(picture, nullptr);
    const std::string name = "kof" + code.substr(1);
    EXPECT_TRUE(window.RunUntil([&] {
        return PictureShown(ShownColour(static_cast<int>(picture->GetX()),
                                        static_cast<int>(picture->GetY()))) == name;
    })) << "the bubble does not show "
        << name;
}

}  // namespace
}  // namespace window_test
