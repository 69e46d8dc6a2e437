// The records of a hand as the table-logic engine packs them, played by the
// seeded table driver: its hand start (211040), its hand state after a peng,
// an exposed and a concealed gang (211160) and its result (211080), handed to
// the game's notification handler. The client shows the engine's banker, the
// own tiles, the melds by position, the score changes and the item names.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "frame/RecordFields.h"
#include "frame/view/GameFrameView.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalTableData.h"
#include "game/result/GameResultDlg.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/game/e2e/EngineHand.h"
#include "tests/game/support/GameWindow.h"

namespace {

namespace tp = table_protocol;
using game_test::EngineHand;
using game_test::RecordTiles;
using game_test::RecordWord;
using game_test::StateMelds;

constexpr int kOwnChair = 0;

class EnginePackedRecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(game_test::PlayEngineHandWithMelds(kOwnChair, hand))
            << "no seeded hand held all three melds";
        ASSERT_EQ(hand.result.size(), tp::kHandResultBytes);
        game_test::GameWindowOptions options;
        options.ownChair = kOwnChair;
        ASSERT_TRUE(window.Open(options)) << window.Error();
    }

    CRegionalTableView& View() { return *window.View(); }

    std::vector<int32_t> OwnRow() {
        std::vector<int32_t> tiles;
        for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
            CCardSprite* sprite = View().GetHandSprite(3, index);
            if (sprite != nullptr && sprite->active != 0 && sprite->standing != 0) {
                tiles.push_back(sprite->tile);
            }
        }
        std::sort(tiles.begin(), tiles.end());
        return tiles;
    }

    EngineHand hand;
    game_test::GameWindow window;
};

TEST_F(EnginePackedRecordsTest, TheClientShowsTheEnginesHandFromItsRecords) {
    SCOPED_TRACE("seed " + std::to_string(hand.seed));
    // The hand start: the engine's banker and the own tiles, dealt.
    window.Deliver(tp::kHandStart, hand.handStart);
    ASSERT_NE(window.TableData(), nullptr);
    EXPECT_EQ(window.TableData()->GetBanker(), hand.banker);
    // The words the client reads that the test set: the seat to act, 1, and
    // the panel's wild tile (the engine's first).
    const int32_t firstWild = RecordWord(hand.handStart, 34 * 4);
    EXPECT_EQ(window.TableData()->GetTurnChair(), RecordWord(hand.handStart, 13 * 4));
    EXPECT_EQ(window.TableData()->GetClaimSkipRule(), 1);
    EXPECT_EQ(window.TableData()->GetWildIndicator(), firstWild);
    std::vector<int32_t> ownTiles = RecordTiles(hand.handStart, 212);
    std::sort(ownTiles.begin(), ownTiles.end());
    ASSERT_FALSE(ownTiles.empty());
    EXPECT_TRUE(window.RunUntil([&] { return OwnRow() == ownTiles; }))
        << "the own row never showed the engine's own tiles";
    const int bankerPosition = View().ChairToPosition(hand.banker);
    ASSERT_GE(bankerPosition, 0);
    EXPECT_TRUE(window.RunUntil([&] { return View().GetRowCount(bankerPosition) == 14; }))
        << "the banker's row holds " << View().GetRowCount(bankerPosition);
    // The deposit panel shows the wild tile when the engine chose one (this
    // rule set's hands have none: the plain panel).
    CCardSprite* any = View().GetCardSprite(0);
    ASSERT_NE(any, nullptr);
    const int wildFrame = firstWild == -1 ? -1 : any->GetCardImageIndex(firstWild);
    EXPECT_TRUE(window.RunUntil([&] {
        return View().GetDepositPanel() != nullptr && View().GetDepositPanel()->IsVisible() != 0 &&
               View().GetDepositWildFrame() == wildFrame;
    })) << "the deposit panel, wild frame "
        << View().GetDepositWildFrame();

    // The hand state, entered as a running hand (a table cleared, then the
    // frame's "entered a running game"): the melds by position and the own
    // concealed tiles of the state.
    View().ClearTable();
    window.Deliver(tp::kHandState, hand.handState);
    ASSERT_NE(window.App().GetFrameView(), nullptr);
    window.App().GetFrameView()->OnEnterResult210210();
    window.Run(200);
    for (int chair = 0; chair < 4; ++chair) {
        int melds = 0;
        for (int list = 0; list < 5; ++list) {
            melds += StateMelds(hand.handState, list, chair);
        }
        EXPECT_EQ(View().GetMeldCount(View().ChairToPosition(chair)), melds) << "chair " << chair;
    }
    std::vector<int32_t> stateTiles = RecordTiles(hand.handState, 212);
    std::sort(stateTiles.begin(), stateTiles.end());
    EXPECT_EQ(OwnRow(), stateTiles);

    // The result: the dialog's rows carry the engine's changes, the winner's
    // items carry its item names, and the chat has a score line per seat.
    window.Deliver(tp::kHandResult, hand.result);
    window.Run(200);
    CGameResultDlg* dialog = View().GetResultDlg();
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(dialog->IsVisible(), 0);
    CResultListPanel* players = dialog->GetPlayersList();
    ASSERT_NE(players, nullptr);
    for (int chair = 0; chair < 4; ++chair) {
        CResultItem* row = nullptr;
        for (int index = 0; index < players->GetItemCount(); ++index) {
            CResultItem* candidate = players->GetRowObject(index);
            if (candidate != nullptr && candidate->GetChair() == chair) {
                row = candidate;
            }
        }
        ASSERT_NE(row, nullptr) << "chair " << chair;
        EXPECT_EQ(row->GetPlayerRow().silverChange, RecordWord(hand.result, 192 + 4 * chair));
        EXPECT_EQ(row->GetPlayerRow().scoreChange, RecordWord(hand.result, 160 + 4 * chair));
    }
    const int winner = RecordWord(hand.result, 536);
    if (winner >= 0 && winner < 4) {
        EXPECT_EQ(dialog->GetSelectedChair(), winner);
        const std::string names(reinterpret_cast<const char*>(hand.result.data() + 1216));
        CResultListPanel* items = dialog->GetItemsList();
        ASSERT_NE(items, nullptr);
        for (int index = 0; index < items->GetItemCount(); ++index) {
            CResultItem* item = items->GetRowObject(index);
            ASSERT_NE(item, nullptr);
            const std::string name = FieldText(item->GetItemRow().name);
            EXPECT_FALSE(name.empty());
            EXPECT_NE(names.find(name), std::string::npos) << name;
        }
    }
    const std::string chat = window.ChatText();
    for (int chair = 0; chair < 4; ++chair) {
        const int32_t silver = RecordWord(hand.result, 192 + 4 * chair);
        const std::string value =
            (silver >= 0 ? "+" : "") + std::to_string(silver) + " " + std::string("两");
        EXPECT_NE(chat.find(value), std::string::npos) << value << " not in the chat";
    }
}

}  // namespace
