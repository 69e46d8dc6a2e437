// The table's delayed steps, flowers, the own tiles' events, the status
// notices of the seats and the look-card answer.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ui/CorvaneButton.h"
#include "mahjong_client/table/SeatBoard.h"
#include "tests/mahjong_client/play/PlayTable.h"

namespace play_test {
namespace {

const std::vector<int32_t> kOwnTiles = {1, 2, 12, 13, 5, 40, 49, 72, 81, 108, 115, 120, 0, 33};
constexpr int kOwn = 3;

// A seat board that writes down its auto-play and offline marks.
class MarkedSeatBoard : public CSeatBoard {
public:
    void SetAutoPlay(int flag) override {
        marks.push_back("auto " + std::to_string(flag));
        CSeatBoard::SetAutoPlay(flag);
    }
    void SetOffline(int flag) override {
        marks.push_back("offline " + std::to_string(flag));
        CSeatBoard::SetOffline(flag);
    }
    std::vector<std::string> marks;
};

class MarkedBoardsView : public WatchedTableView {
public:
    CSeatBoard* NewSeatBoard() override { return new MarkedSeatBoard; }
};

class PlayEventsTest : public PlayTableTest {
protected:
    void Deal() {
        HandStart start;
        start.ownTiles = kOwnTiles;
        StartHand(start);
    }
    MarkedSeatBoard* Board(int position) {
        return dynamic_cast<MarkedSeatBoard*>(view->GetSeatBoard(position));
    }
    int ClickEventOf(int32_t tile) {
        const int index = view->FindRowIndex(kOwn, tile);
        const CCardSprite* sprite = index >= 0 ? view->GetHandSprite(kOwn, index) : nullptr;
        return sprite != nullptr ? sprite->GetClickEvent() : -1;
    }
};

TEST_F(PlayEventsTest, DiceOfAHandTheTableWasClearedOfDealNothing) {
    HandStart start;
    start.ownTiles = kOwnTiles;
    app.SetGamePlaying();
    ASSERT_TRUE(app.tableData.StoreHandStart(start.Build()));
    view->ShowRoundInfo();
    view->ClearTable();
    Frames(400);
    EXPECT_EQ(view->GetWallCount(), 0);
    EXPECT_EQ(RowSize(kOwn), 0);
    EXPECT_EQ(RowSize(0), 0);
}

TEST_F(PlayEventsTest, TheOwnFlowerGoesToTheDiscardsAndItsReplacementFollows) {
    Deal();
    app.connection.Script(tp::kHua, {1, tp::kResultDone, DrawReplyBytes(44, 53, tp::kOptionHu)});
    ASSERT_EQ(view->DeclareOwnHua(view->FindRowIndex(kOwn, 120)), 1);
    const auto sent = app.connection.SentOf(tp::kHua);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(WordOf(sent[0].body, 5), 120);
    EXPECT_EQ(RowSize(kOwn), 13);
    EXPECT_EQ(DiscardCount(kOwn), 1);
    EXPECT_EQ(view->GetDiscard(kOwn, 0)->tile, 120);
    EXPECT_EQ(view->GetSeatBoard(kOwn)->GetFlowerCount(), 1);
    EXPECT_EQ(view->GetTurnDirection(), 6);
    EXPECT_EQ(view->GetClockSeconds(), kReactionSeconds);
    Frames(100);
    EXPECT_EQ(RowSize(kOwn), 13) << "the replacement comes a moment later";
    Frames(200);
    EXPECT_EQ(RowSize(kOwn), 14);
    EXPECT_GE(view->FindRowIndex(kOwn, 44), 0);
    EXPECT_EQ(view->GetWallSprite(53), nullptr);
    EXPECT_TRUE(view->IsOperationButtonOn(kOpHu));
    EXPECT_EQ(view->GetOffer(kOpHu).tile, 44);
}

TEST_F(PlayEventsTest, AFlowerReplacementForAClearedTableIsNotPlaced) {
    Deal();
    app.connection.Script(tp::kHua, {1, tp::kResultDone, DrawReplyBytes(44, 53, 0)});
    ASSERT_EQ(view->DeclareOwnHua(view->FindRowIndex(kOwn, 120)), 1);
    view->ClearTable();
    Frames(400);
    EXPECT_EQ(RowSize(kOwn), 0);
    EXPECT_EQ(view->FindRowIndex(kOwn, 44), -1);
}

TEST_F(PlayEventsTest, AFlowerWithoutReplacementPassesTheTurn) {
    Deal();
    app.connection.Script(tp::kHua, {1, tp::kResultDone, DrawReplyBytes(-1, 0, 0)});
    EXPECT_EQ(view->DeclareOwnHua(view->FindRowIndex(kOwn, 120)), 0);
    EXPECT_EQ(view->GetTurnDirection(), 4);
    EXPECT_EQ(view->GetClockSeconds(), kDiscardSeconds);
    app.connection.Script(tp::kHua, {1, tp::kResultNotCarriedOut, {}});
    const int rowBefore = RowSize(kOwn);
    EXPECT_EQ(view->DeclareOwnHua(view->FindRowIndex(kOwn, 115)), 0);
    EXPECT_EQ(RowSize(kOwn), rowBefore);
}

TEST_F(PlayEventsTest, AnotherSeatsFlowerFromAHiddenRowAndItsReplacement) {
    Deal();
    ASSERT_EQ(view->ThrowHandTile(0), 1);
    ASSERT_TRUE(Notify(tp::kSeatDraw, SeatDraw(3, kHiddenTile, 53)));
    tp::SeatDrawNotice hua;
    hua.chair = 3;
    hua.laidAside = 121;
    hua.tile = kHiddenTile;
    hua.wallIndex = 60;
    ASSERT_TRUE(Notify(tp::kHuaNotice, tp::WriteTableRecord(hua)));
    EXPECT_EQ(RowSize(2), 14);
    EXPECT_EQ(DiscardCount(2), 1);
    EXPECT_EQ(view->GetDiscard(2, 0)->tile, 121);
    EXPECT_EQ(view->GetSeatBoard(2)->GetFlowerCount(), 1);
    EXPECT_EQ(view->GetWallSprite(60), nullptr);
    EXPECT_EQ(view->GetTurnDirection(), 4);
    // Without a replacement the turn goes on.
    hua.laidAside = 122;
    hua.tile = -1;
    ASSERT_TRUE(Notify(tp::kHuaNotice, tp::WriteTableRecord(hua)));
    EXPECT_EQ(RowSize(2), 13);
    EXPECT_EQ(view->GetTurnDirection(), 2);
    EXPECT_EQ(view->GetClockSeconds(), kDiscardSeconds);
}

TEST_F(PlayEventsTest, TheOwnTilesEventsFollowTurnAndState) {
    Deal();
    EXPECT_EQ(ClickEventOf(33), kEventCardClick);
    view->SetTableState(CMahjongTableView::kStateChiChoice);
    EXPECT_EQ(ClickEventOf(33), kEventCardTwoSelect);
    view->SetTableState(CMahjongTableView::kStateGangChoice);
    EXPECT_EQ(ClickEventOf(33), kEventCardGangSelect);
    view->SetTableState(CMahjongTableView::kStateNormal);
    // A click on an own tile throws it.
    const int index = view->FindRowIndex(kOwn, 33);
    const CCardSprite* sprite = view->GetHandSprite(kOwn, index);
    view->OnEvent(MakeEventRecord(view->GetId(), kEventCardClick, sprite->poolIndex, 0));
    EXPECT_EQ(view->FindRowIndex(kOwn, 33), -1);
    EXPECT_EQ(view->GetLastThrown(kOwn)->tile, 33);
    EXPECT_EQ(ClickEventOf(40), kEventCardIdle);
    // Another seat's tile or a free sprite is no own tile.
    EXPECT_EQ(view->OnCardSpriteEvent(MakeEventRecord(view->GetId(), kEventCardClick,
                                                      view->GetHandSprite(0, 1)->poolIndex, 0)),
              0);
    EXPECT_EQ(view->OnCardSpriteEvent(MakeEventRecord(view->GetId(), kEventCardClick, 999, 0)), 0);
}

TEST_F(PlayEventsTest, ATileDroppedAboveTheRowIsThrownElsewhereItGoesBack) {
    Deal();
    CCardSprite* tile = view->GetHandSprite(kOwn, view->FindRowIndex(kOwn, 33));
    ASSERT_NE(tile, nullptr);
    const double homeX = tile->GetX();
    const double homeY = tile->GetY();
    InputState input;
    input.mouseX = static_cast<int32_t>(homeX) + 30;
    input.mouseY = static_cast<int32_t>(homeY) - 5;
    auto send = [&](int event) {
        view->OnEvent(MakeEventRecord(view->GetId(), event, tile->poolIndex, EventParam(&input)));
    };
    send(kEventCardDragMove);
    EXPECT_EQ(tile->GetX(), homeX + 30);
    send(kEventCardDrop);
    EXPECT_EQ(tile->GetX(), homeX) << "back to its place";
    EXPECT_EQ(tile->GetY(), homeY);
    EXPECT_TRUE(app.connection.SentOf(tp::kDiscard).empty());
    input.mouseY = static_cast<int32_t>(homeY) - 200;
    send(kEventCardDragMove);
    send(kEventCardDrop);
    EXPECT_EQ(app.connection.SentOf(tp::kDiscard).size(), 1u);
    EXPECT_EQ(view->GetLastThrown(kOwn)->tile, 33);
}

TEST_F(PlayEventsTest, TheOperationButtonsCoverNoTile) {
    Deal();
    // Every tile on the table: a full own row, discards and the wall.
    for (const IntRect area : {IntRect{0, 0, 800, 600}, IntRect{0, 0, 1366, 768}}) {
        view->SetViewRect(area);
        view->Relayout();
        for (int kind = kOpPeng; kind <= kOpGuo; ++kind) {
            CCorvaneButton* button = view->GetOperationButton(kind);
            ASSERT_NE(button, nullptr);
            if (button->IsVisible() == 0) {
                continue;
            }
            EXPECT_GE(button->GetLeft(), area.left) << kind;
            EXPECT_LE(button->GetRight(), area.right) << kind;
            EXPECT_GE(button->GetTop(), area.top) << kind;
            for (int i = 0; i < CMahjongTableView::kCardPoolSize; ++i) {
                CCardSprite* tile = view->GetCardSprite(i);
                if (tile == nullptr || tile->active == 0 || tile->IsVisible() == 0) {
                    continue;
                }
                const bool apart = tile->GetRight() <= button->GetLeft() ||
                                   tile->GetLeft() >= button->GetRight() ||
                                   tile->GetBottom() <= button->GetTop() ||
                                   tile->GetTop() >= button->GetBottom();
                EXPECT_TRUE(apart) << "button " << kind << " over tile " << i << " at "
                                   << area.right << "x" << area.bottom;
            }
        }
    }
}

TEST_F(PlayEventsTest, StartSendsTheStartRequestForAPlayerOnly) {
    ASSERT_NE(view->GetStartButton(), nullptr);
    EXPECT_TRUE(view->GetStartButton()->IsVisible());
    view->OnEvent(MakeEventRecord(view->GetId(), kEventStartButton, 0, 0));
    EXPECT_EQ(app.connection.SentOf(201160).size(), 1u);
    EXPECT_FALSE(view->GetStartButton()->IsVisible());
    Launch(true);
    view->StartGame();
    EXPECT_EQ(app.connection.SentOf(201160).size(), 1u);
}

TEST_F(PlayEventsTest, TheResultTimeOutClearsTheTableBetweenHandsOnly) {
    Deal();
    view->OnResultTimeout();
    EXPECT_EQ(RowSize(kOwn), 14) << "a hand is running";
    app.ClearGamePlaying();
    view->OnResultTimeout();
    EXPECT_EQ(RowSize(kOwn), 0);
    EXPECT_TRUE(view->GetStartButton()->IsVisible());
}

TEST_F(PlayEventsTest, ALookerOnHearsTheAnswerToHisAsk) {
    // A name that would be a link in the chat pane is shown as it is.
    seatOwnerName = "<url_text=http://x.cn/,领奖>";
    Launch(true);
    Deal();
    ASSERT_TRUE(view->GetAskCardViewButton()->IsVisible());
    view->OnAskCardView();
    const auto asks = app.connection.SentOf(tp::kLookCardAsk);
    ASSERT_EQ(asks.size(), 1u);
    EXPECT_EQ(asks[0].wait, 0);
    tp::LookCardAnswerRecord answer;
    answer.answeringUser = 8000;
    answer.answeringChair = kOwnChair;
    answer.lookerOn = kOwnId;
    answer.allowed = 0;
    ASSERT_TRUE(Notify(tp::kLookCardAnswer, tp::WriteTableRecord(answer)));
    ASSERT_EQ(host.chat.lines.size(), 1u);
    EXPECT_EQ(host.chat.lines[0], " <c=" + std::to_string(0x2C5858) +
                                      ">#<url_text=http://x.cn/,领奖>禁止旁观看牌 \r\n");
    EXPECT_TRUE(view->GetAskCardViewButton()->IsVisible());
    answer.allowed = 1;
    ASSERT_TRUE(Notify(tp::kLookCardAnswer, tp::WriteTableRecord(answer)));
    EXPECT_FALSE(view->GetAskCardViewButton()->IsVisible());
    std::vector<uint8_t> cut = tp::WriteTableRecord(answer);
    cut.resize(23);
    EXPECT_FALSE(view->OnLookCardReply(cut));
}

class PlayStatusTest : public PlayEventsTest {
protected:
    WatchedTableView* MakeView() override { return new MarkedBoardsView; }
};

TEST_F(PlayStatusTest, APlayersReturnAndAutoPlayReachHisBoard) {
    // Chair 2 sits opposite (position 1).
    ASSERT_TRUE(Notify(tp::kAutoPlayStatus, Words({0, 0, 19840324, 0, 1, 2})));
    ASSERT_NE(Board(1), nullptr);
    EXPECT_EQ(Board(1)->marks, (std::vector<std::string>{"offline 0", "auto 0"}));
    ASSERT_TRUE(Notify(tp::kAutoPlayStatus, Words({0, 0, 19840336, 0, 1, 2})));
    EXPECT_EQ(Board(1)->marks.back(), "auto 1");
    // Codes between the two ranges and a chair off the table change nothing.
    Board(1)->marks.clear();
    ASSERT_TRUE(Notify(tp::kAutoPlayStatus, Words({0, 0, 19840333, 0, 1, 2})));
    ASSERT_TRUE(Notify(tp::kAutoPlayStatus, Words({0, 0, 19840336, 0, 1, 7})));
    EXPECT_TRUE(Board(1)->marks.empty());
    // A waited request's reply takes the same road.
    app.connection.Script(19840400, {1, tp::kResultDone, Words({0, 0, 19840335, 0, 1, 2})});
    EXPECT_EQ(view->SendGameRequest(19840400, nullptr, 0, 1), 1);
    EXPECT_EQ(Board(1)->marks, (std::vector<std::string>{"auto 1"}));
}

}  // namespace
}  // namespace play_test
