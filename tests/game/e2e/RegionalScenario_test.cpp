// The whole regional client in the test's process against the test server's
// regional script, started with the fake hall's launch line: it enters,
// deals, lets the player choose three tiles and confirm them with the
// mouse, exchanges, watches the other seats throw, draw and meld, and shows
// the result. After each step of the script the harness reads the table:
// rows, discards, melds, wall, table state, indicator, buttons, chat text
// and the back buffer.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "frame/RecordFields.h"
#include "frame/net/FrameRequests.h"
#include "frame/panels/ChatBox.h"
#include "frame/panels/EmoticonPanel.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalTableData.h"
#include "game/result/GameResultDlg.h"
#include "game/table/RegionalCardSprite.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_client/table/SeatBoard.h"
#include "platform/SdlEvents.h"
#include "platform/Sync.h"
#include "tests/game/e2e/Scenario.h"
#include "tests/game/support/ClientReadings.h"
#include "tests/game/support/RegionalSkin.h"

namespace {

namespace tp = table_protocol;
using game_test::Scenario;
using testserver::RegionalScript;

constexpr int kOwn = 3;  // the own screen position

// What one seat shows.
struct SeatView {
    std::vector<int32_t> concealed;  // tile ids of the standing tiles, sorted
    int melds = 0;
    std::vector<int32_t> discards;
    int32_t lastThrown = -1;
};

class RegionalScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (Scenario::RanBefore()) {
            GTEST_SKIP() << "the program's loop runs once a process; ctest runs each test alone";
        }
    }

    // The run went through every step of the harness.
    void ExpectWholeRun(int exitCode) {
        EXPECT_EQ(exitCode, 0);
        EXPECT_TRUE(scenario.Harness().Finished());
        EXPECT_FALSE(scenario.Harness().TimedOut()) << scenario.Harness().LastStep();
        EXPECT_EQ(scenario.Harness().Acted().size(), scenario.Harness().StepCount());
        // The skin held every picture the game asked for.
        for (const char* missing : {"does not exists", "invalid frame"}) {
            for (const std::string& line : scenario.LogLinesWith(missing)) {
                ADD_FAILURE() << line;
            }
        }
    }

    CRegionalTableView& View() { return *scenario.View(); }
    bool HasView() { return scenario.View() != nullptr; }
    int PositionOf(int chair) { return View().ChairToPosition(chair); }

    SeatView Seat(int position) {
        SeatView seat;
        for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
            CCardSprite* sprite = View().GetHandSprite(position, index);
            if (sprite != nullptr && sprite->active != 0 && sprite->standing != 0) {
                seat.concealed.push_back(sprite->tile);
            }
        }
        std::sort(seat.concealed.begin(), seat.concealed.end());
        seat.melds = View().GetMeldCount(position);
        for (int slot = 0; slot < 36; ++slot) {
            if (CCardSprite* sprite = View().GetDiscard(position, slot)) {
                seat.discards.push_back(sprite->tile);
            }
        }
        if (CCardSprite* last = View().GetLastThrown(position)) {
            seat.lastThrown = last->tile;
        }
        return seat;
    }

    // The own standing sprite holding the tile, or null.
    CCardSprite* OwnSprite(int32_t tile) {
        for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
            CCardSprite* sprite = View().GetHandSprite(kOwn, index);
            if (sprite != nullptr && sprite->active != 0 && sprite->tile == tile) {
                return sprite;
            }
        }
        return nullptr;
    }

    // A shown tile of the kind (at the position, or any) that no dialog or
    // panel covers.
    CCardSprite* ClearTile(int kind, int position) {
        const auto covers = [](CCorvaneObject* part, CCardSprite* tile) {
            return part != nullptr && part->IsVisible() != 0 &&
                   std::abs(part->GetX() - tile->GetX()) < part->GetWidth() / 2 &&
                   std::abs(part->GetY() - tile->GetY()) < part->GetHeight() / 2;
        };
        for (int i = 0; i < CMahjongTableView::kCardPoolSize; ++i) {
            CCardSprite* tile = View().GetCardSprite(i);
            if (tile != nullptr && tile->active != 0 && tile->IsVisible() != 0 &&
                tile->kind == kind && (position < 0 || tile->position == position) &&
                !covers(View().GetResultDlg(), tile) && !covers(View().GetVoiceBox(), tile)) {
                return tile;
            }
        }
        return nullptr;
    }

    std::vector<int32_t> RaisedOwnTiles() {
        std::vector<int32_t> raised;
        for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
            CCardSprite* sprite = View().GetHandSprite(kOwn, index);
            if (sprite != nullptr && sprite->active != 0 && sprite->raised != 0) {
                raised.push_back(sprite->tile);
            }
        }
        std::sort(raised.begin(), raised.end());
        return raised;
    }

    // No sprite of the pool carries the wild mark, and the mark's picture
    // shows nowhere on the screen.
    void ExpectNoWildMark() {
        for (int pool = 0; pool < 168; ++pool) {
            if (CRegionalCardSprite* sprite = View().GetRegionalSprite(pool)) {
                EXPECT_EQ(sprite->wildMark, 0) << "pool " << pool;
            }
        }
        const regional_skin::Picture* mark = regional_skin::FindPicture("黄_64_94");
        ASSERT_NE(mark, nullptr);
        const uint32_t colour = regional_skin::FrameColour(*mark, 0);
        for (int y = 0; y < scenario.Options().height; y += 3) {
            for (int x = 0; x < scenario.Options().width; x += 3) {
                ASSERT_FALSE(regional_skin::ColourNear(scenario.BackBufferColour(x, y), colour))
                    << "at " << x << "," << y;
            }
        }
    }

    // The own row, judged against the hand's records: 13 standing tiles
    // (the own seat melds nothing here), 14 while it holds its draw, which
    // stands apart at the right end. Each tile starts where the one before
    // it ends (no hole, no overlap), and the back buffer shows its face's
    // left edge there (a dimmed tile's colour is blended, and not read).
    void ExpectOwnRowWhole() {
        const bool drawn = scenario.Script().Frame().Count(tp::kOwnDraw) >
                           scenario.Script().Frame().Count(tp::kDiscard);
        const std::vector<CCardSprite*> row = game_test::ShownOwnRow(View());
        ASSERT_EQ(row.size(), drawn ? 14u : 13u) << "standing tiles in the own row";
        for (size_t k = 0; k < row.size(); ++k) {
            const double gap = k > 0 ? row[k]->GetLeft() - row[k - 1]->GetRight() : 0.0;
            if (drawn && k + 1 == row.size()) {
                EXPECT_GT(gap, 0.0) << "the drawn tile stands apart";
            } else {
                EXPECT_EQ(gap, 0.0) << "a hole or an overlap before tile " << row[k]->tile;
            }
            if (row[k]->GetAlpha() >= 1.0) {
                const uint32_t shown = scenario.BackBufferColour(
                    static_cast<int>(row[k]->GetLeft()), static_cast<int>(row[k]->GetY()));
                EXPECT_TRUE(regional_skin::ColourNear(
                    shown, regional_skin::FaceColour(row[k]->GetCardImageIndex(row[k]->tile))))
                    << "tile " << row[k]->tile << " shows " << std::hex << shown;
            }
        }
    }

    // How many pixels of the rectangle show the colour.
    int CountColour(int left, int top, int right, int bottom, uint32_t colour) {
        int n = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                n += regional_skin::ColourNear(scenario.BackBufferColour(x, y), colour) ? 1 : 0;
            }
        }
        return n;
    }

    // Pixels of the deposit panel's neighbourhood: the big background, the
    // joker caption and the wild tile's face (tile 4, the middle sheet).
    void ExpectDepositPanelWithWildTile() {
        CCorvaneCanvas* panel = View().GetDepositPanel();
        ASSERT_NE(panel, nullptr);
        ASSERT_NE(panel->IsVisible(), 0);
        const int left = static_cast<int>(panel->GetLeft()) - 10;
        const int top = static_cast<int>(panel->GetTop()) - 40;
        const int right = static_cast<int>(panel->GetRight()) + 60;
        const int bottom = static_cast<int>(panel->GetBottom()) + 40;
        for (const char* name : {"gameinfo_bk_big", "info_joker_big", "info_deposite_big"}) {
            const regional_skin::Picture* picture = regional_skin::FindPicture(name);
            ASSERT_NE(picture, nullptr) << name;
            EXPECT_GT(
                CountColour(left, top, right, bottom, regional_skin::FrameColour(*picture, 0)), 0)
                << name;
        }
        CCardSprite* any = View().GetCardSprite(0);
        ASSERT_NE(any, nullptr);
        const int face = any->GetCardImageIndex(RegionalScript::kWildTile);
        EXPECT_EQ(View().GetDepositWildFrame(), face);
        EXPECT_GT(CountColour(left, top, right, bottom, regional_skin::FaceColour(face)), 0)
            << "no face of the wild tile by the deposit panel";
    }

    // True once the caller asked for ms in a row (a condition that held a
    // while: the next frames are drawn).
    bool Settled(uint32_t ms) {
        const uint32_t now = platform::GetTickCount32();
        if (settleStart_ == 0) {
            settleStart_ = now;
        }
        if (now - settleStart_ < ms) {
            return false;
        }
        settleStart_ = 0;
        return true;
    }

    uint32_t ResultColour() {
        const regional_skin::Picture* back = regional_skin::FindPicture("bit_Result_BK");
        return back != nullptr ? regional_skin::FrameColour(*back, 0) : 0;
    }
    int Width() const { return scenario.Options().width; }
    int Height() const { return scenario.Options().height; }

    static int Count(const std::string& text, const std::string& part) {
        int n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
            ++n;
        }
        return n;
    }

    // Every seat's thrown tiles lie in its discards or its last-thrown place,
    // the claimed ones taken out.
    void ExpectThrownTiles() {
        for (int chair = 0; chair < 4; ++chair) {
            const SeatView seat = Seat(PositionOf(chair));
            std::vector<int32_t> shown = seat.discards;
            if (seat.lastThrown != -1) {
                shown.push_back(seat.lastThrown);
            }
            std::sort(shown.begin(), shown.end());
            std::vector<int32_t> expected = thrown[static_cast<size_t>(chair)];
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(shown, expected) << "chair " << chair;
        }
    }
    void Claimed(int chair, int32_t tile) {
        std::vector<int32_t>& tiles = thrown[static_cast<size_t>(chair)];
        tiles.erase(std::remove(tiles.begin(), tiles.end(), tile), tiles.end());
    }

    // The own seat is never asked to act: no operation button is on.
    void ExpectNoOperationOffered() {
        for (int kind : {kOpPeng, kOpGang, kOpChi, kOpHu, kOpGuo}) {
            EXPECT_FALSE(View().IsOperationButtonOn(kind)) << "operation " << kind;
        }
    }

    // The turn dial's frame as the window shows it (one colour a frame in
    // this skin), or -1 where it does not show.
    int ShownDialFrame() {
        CCorvanePicture* dial = View().GetClockHand();
        if (dial == nullptr || dial->IsVisible() == 0) {
            return -1;
        }
        const regional_skin::Seen seen = regional_skin::ClassifyColour(scenario.BackBufferColour(
            static_cast<int>(dial->GetX()), static_cast<int>(dial->GetY())));
        return seen.picture != nullptr && seen.picture->name == "clock_hand_big" ? seen.frame : -1;
    }
    // The dial has ended its turn to the seat to play and the window shows
    // it so (a hidden dial has nothing to turn).
    bool DialStill() {
        CCorvanePicture* dial = View().GetClockHand();
        return dial == nullptr || dial->IsVisible() == 0 ||
               (View().GetPointerShown() == View().GetTurnDirection() &&
                ShownDialFrame() == View().GetTurnDirection());
    }
    // The dial the window shows lights, as the skin draws that frame for a
    // player, the side of the chair whose turn it is by the hand's records.
    void ExpectDialLightsTheSideOf(int chair) {
        const int frame = ShownDialFrame();
        ASSERT_GE(frame, 0) << "no turn dial shown for chair " << chair;
        EXPECT_EQ(regional_skin::DrawnDialSide(frame), PositionOf(chair))
            << "chair " << chair << " plays; the dial shows frame " << frame;
    }

    // The positions whose ready mark shows.
    std::vector<int> ReadyMarks() {
        std::vector<int> shown;
        for (int position = 0; position < 4; ++position) {
            CSeatBoard* board = View().GetSeatBoard(position);
            CCorvanePicture* mark = board != nullptr ? board->GetReadyMark() : nullptr;
            if (mark != nullptr && mark->IsVisible() != 0) {
                shown.push_back(position);
            }
        }
        return shown;
    }

    void AddStepsToThePlay();
    void AddThrow(const std::string& step, int count, int chair, int32_t tile);
    void AddDraw(const std::string& step, int count, int chair, int wall);
    void AddStepsToTheResult(int pengSource, int32_t pengTile, bool clicksAtTheResult = false);
    void AddClicksAtTheResult();

    Scenario scenario;
    uint32_t settleStart_ = 0;
    std::array<std::vector<int32_t>, 4> thrown;  // by chair, as the script threw
    const std::vector<int32_t> dealt = RegionalScript::OwnTiles();
    const std::array<int32_t, 3> chosen{36, 37, 38};  // one suit
    const std::array<int32_t, 3> received = RegionalScript::OwnReceivedTiles();
};

// The steps up to the swap, shared by both runs: the deal, the choice of
// three tiles of one suit with the mouse and its confirmation, the other
// seats' readiness and the exchange.
void RegionalScenarioTest::AddStepsToThePlay() {
    // The robots are ready; the player presses 开始 before the hand starts.
    scenario.Checkpoint(
        "201160 3", 1, [&] { return HasView() && ReadyMarks().size() == 3; },
        [&] { scenario.Click(View().GetStartButton()); }, 30000, true);
    scenario.Harness().Add(
        "four seats ready", [&] { return ReadyMarks().size() == 4; },
        [&] { scenario.Release("201160 3", 1); });
    // The deal: thirteen own tiles face up, the banker (chair 3) fourteen,
    // the swap choice open, the deposit panel with the wild tile's face.
    scenario.Checkpoint(
        "211040", 1,
        [&] {
            return HasView() && View().GetTableState() == CRegionalTableView::kStateSwapChoice &&
                   Seat(kOwn).concealed.size() == dealt.size();
        },
        [&] {
            std::vector<int32_t> own = dealt;
            std::sort(own.begin(), own.end());
            EXPECT_EQ(Seat(kOwn).concealed, own);
            EXPECT_EQ(View().GetRowCount(PositionOf(RegionalScript::kBanker)), 14);
            EXPECT_EQ(View().GetRowCount(PositionOf(1)), 13);
            EXPECT_EQ(View().GetRowCount(PositionOf(2)), 13);
            EXPECT_EQ(View().GetWallCount(), 108 - 53);
            EXPECT_EQ(View().GetTurnDirection(), 6);
            CCorvaneButton* confirm = View().GetSwapChoiceButton();
            ASSERT_NE(confirm, nullptr);
            EXPECT_NE(confirm->IsVisible(), 0);
            EXPECT_EQ(confirm->IsInputEnabled(), 0);
            EXPECT_NE(scenario.ChatText().find("【第1局】基础银：100两"), std::string::npos)
                << scenario.ChatText();
            EXPECT_EQ(ReadyMarks(), std::vector<int>{}) << "ready marks in the hand";
            ExpectNoWildMark();
        },
        30000, true);
    scenario.Harness().Add(
        "the deposit panel faded in",
        [&] {
            CCorvaneCanvas* panel = View().GetDepositPanel();
            return panel != nullptr && panel->GetAlpha() >= 1.0 && Settled(400);
        },
        [&] {
            ExpectDepositPanelWithWildTile();
            for (int32_t tile : chosen) {
                scenario.Click(OwnSprite(tile));
            }
        });
    scenario.Harness().Add(
        "three tiles of one suit raised",
        [&] {
            CCorvaneButton* confirm = View().GetSwapChoiceButton();
            return RaisedOwnTiles().size() == 3 && confirm != nullptr &&
                   confirm->IsInputEnabled() != 0;
        },
        [&] {
            EXPECT_EQ(RaisedOwnTiles(), std::vector<int32_t>(chosen.begin(), chosen.end()));
            EXPECT_EQ(View().GetTableState(), CRegionalTableView::kStateSwapChoice);
            scenario.Click(View().GetSwapChoiceButton());
        });
    scenario.Harness().Add(
        "the choice sent",
        [&] { return View().GetTableState() == CRegionalTableView::kStateSwapSent; },
        [&] {
            EXPECT_EQ(scenario.Script().Frame().Count(tp::kSwapThree), 1u);
            tp::SwapThreeRequest request;
            ASSERT_TRUE(
                tp::ReadTableRecord(scenario.Script().Frame().LastBody(tp::kSwapThree), request));
            EXPECT_EQ(request.chairTiles[0], chosen[0]);
            EXPECT_EQ(request.chairTiles[1], chosen[1]);
            EXPECT_EQ(request.chairTiles[2], chosen[2]);
            EXPECT_EQ(request.chairTiles[3], 0);
            EXPECT_EQ(request.userId, game_test::kScenarioUser);
            int greyed = 0;
            for (int32_t tile : chosen) {
                CCardSprite* sprite = OwnSprite(tile);
                greyed += sprite != nullptr && sprite->greyed != 0 ? 1 : 0;
            }
            EXPECT_EQ(greyed, 3);
            CCorvaneButton* confirm = View().GetSwapChoiceButton();
            ASSERT_NE(confirm, nullptr);
            EXPECT_EQ(confirm->IsVisible(), 0);
            scenario.Release("211040", 1);
        });
    // The other seats are ready; the indicator follows them.
    scenario.Checkpoint(
        "229480 3", 1, [&] { return Count(scenario.ChatText(), "已准备好换三张!") >= 3; },
        [&] {
            const std::string chat = scenario.ChatText();
            for (const char* robot : {"机器人甲", "机器人乙", "机器人丙"}) {
                EXPECT_NE(chat.find(std::string(robot) + " 已准备好换三张!"), std::string::npos)
                    << robot;
            }
            EXPECT_EQ(View().GetTurnDirection(), 2 * PositionOf(3));
        });
    // The exchange: the three received tiles in place of the chosen ones, a
    // chat line per chair, the turn to the banker.
    scenario.Checkpoint(
        "222168", 1,
        [&] {
            return View().GetTableState() == 0 &&
                   std::includes(Seat(kOwn).concealed.begin(), Seat(kOwn).concealed.end(),
                                 received.begin(), received.end()) &&
                   DialStill();
        },
        [&] {
            std::vector<int32_t> own = dealt;
            for (int32_t tile : chosen) {
                own.erase(std::find(own.begin(), own.end(), tile));
            }
            own.insert(own.end(), received.begin(), received.end());
            std::sort(own.begin(), own.end());
            EXPECT_EQ(Seat(kOwn).concealed, own);
            EXPECT_EQ(Count(scenario.ChatText(), "的三张!"), 4);
            EXPECT_NE(scenario.ChatText().find("自己得到了机器人丙的三张!"), std::string::npos)
                << scenario.ChatText();
            EXPECT_EQ(View().GetTurnDirection(), 2 * PositionOf(RegionalScript::kBanker));
            ExpectDialLightsTheSideOf(RegionalScript::kBanker);
            CCorvaneButton* show = View().GetSwapInfoShowButton();
            ASSERT_NE(show, nullptr);
            EXPECT_NE(show->IsVisible(), 0);
            EXPECT_EQ(View().m_bSwapChoosing, 0);
            ExpectNoWildMark();
        },
        30000);
    // The banker throws, the next seats draw and throw.
    AddThrow("222170 3", 1, 3, 9);
    AddDraw("229160 2", 1, 2, 108 - 53 - 1);
    AddThrow("222170 2", 1, 2, 42);
    AddDraw("229160 1", 1, 1, 108 - 53 - 2);
}

void RegionalScenarioTest::AddThrow(const std::string& step, int count, int chair, int32_t tile) {
    scenario.Checkpoint(
        step, count,
        [=, this] { return Seat(PositionOf(chair)).lastThrown == tile && DialStill(); },
        [=, this] {
            ExpectDialLightsTheSideOf((chair + 3) % 4);
            thrown[static_cast<size_t>(chair)].push_back(tile);
            EXPECT_EQ(Seat(PositionOf(chair)).lastThrown, tile);
            EXPECT_EQ(View().GetTableState(), 0);
            // The turn passes to the next chair down.
            EXPECT_EQ(View().GetTurnDirection(), 2 * PositionOf((chair + 3) % 4)) << step;
            ExpectThrownTiles();
            ExpectNoOperationOffered();
            ExpectNoWildMark();
            ExpectOwnRowWhole();
        });
}

void RegionalScenarioTest::AddDraw(const std::string& step, int count, int chair, int wall) {
    scenario.Checkpoint(
        step, count, [=, this] { return View().GetWallCount() == wall && DialStill(); },
        [=, this] {
            ExpectDialLightsTheSideOf(chair);
            const int position = PositionOf(chair);
            EXPECT_EQ(View().GetRowCount(position), 14 - 3 * Seat(position).melds);
            EXPECT_NE(View().IsHandDrawn(position), 0);
            EXPECT_EQ(View().GetTurnDirection(), 2 * position);
            ExpectOwnRowWhole();
        });
}

void RegionalScenarioTest::AddStepsToTheResult(int pengSource, int32_t pengTile,
                                               bool clicksAtTheResult) {
    // Chair 3 pengs at once: its meld, the meld animation, its voice.
    scenario.Checkpoint(
        "229185 3", 1, [&] { return View().GetMeldCount(PositionOf(3)) == 1 && DialStill(); },
        [=, this] {
            ExpectDialLightsTheSideOf(3);
            Claimed(pengSource, pengTile);
            ExpectThrownTiles();
            EXPECT_EQ(View().GetMeldCount(PositionOf(3)), 1);
            EXPECT_EQ(Seat(PositionOf(pengSource)).lastThrown, -1) << "the claimed tile stays";
            const std::vector<int32_t> discards = Seat(PositionOf(pengSource)).discards;
            EXPECT_EQ(std::count(discards.begin(), discards.end(), pengTile), 0);
            EXPECT_EQ(View().GetTurnDirection(), 2 * PositionOf(3));
            CCorvanePicture* animation = View().GetMeldAnimation();
            ASSERT_NE(animation, nullptr);
            EXPECT_NE(animation->IsVisible(), 0);
            ExpectOwnRowWhole();
        });
    AddThrow("222170 3", 2, 3, 76);
    scenario.Checkpoint(
        "229195 2", 1, [&] { return View().GetMeldCount(PositionOf(2)) == 1 && DialStill(); },
        [&] {
            ExpectDialLightsTheSideOf(2);
            Claimed(3, 76);
            ExpectThrownTiles();
            ExpectNoOperationOffered();
            EXPECT_EQ(View().GetMeldCount(PositionOf(2)), 1);
            EXPECT_EQ(Seat(PositionOf(3)).lastThrown, -1);
        });
    scenario.Checkpoint(
        "229160 2", 2, [&] { return View().IsHandDrawn(PositionOf(2)) != 0 && DialStill(); },
        [&] {
            ExpectDialLightsTheSideOf(2);
            EXPECT_EQ(Seat(PositionOf(2)).concealed.size(), 11u);
        });
    AddThrow("222170 2", 2, 2, 26);

    // The result: the dialog over the table, the score lines, the win voice.
    scenario.Checkpoint(
        "211080", 1,
        [&] {
            CGameResultDlg* dialog = View().GetResultDlg();
            return dialog != nullptr && dialog->IsVisible() != 0;
        },
        [&] {
            const std::string chat = scenario.ChatText();
            EXPECT_NE(chat.find("===本局结束==="), std::string::npos) << chat;
            EXPECT_NE(chat.find("[自己]"), std::string::npos) << chat;
            EXPECT_NE(chat.find("+0 两"), std::string::npos) << chat;
            EXPECT_NE(chat.find("+200 两"), std::string::npos) << chat;
            EXPECT_NE(chat.find("-200 两"), std::string::npos) << chat;
            CGameResultDlg* dialog = View().GetResultDlg();
            EXPECT_EQ(dialog->GetSelectedChair(), 1);
            // The players' rows: the winner's label, the discarder's, the
            // silver changes; the winner's items and their total.
            CResultListPanel* players = dialog->GetPlayersList();
            ASSERT_NE(players, nullptr);
            std::array<std::string, 4> labels;
            std::array<int32_t, 4> silver{};
            for (int index = 0; index < players->GetItemCount(); ++index) {
                CResultItem* row = players->GetRowObject(index);
                ASSERT_NE(row, nullptr);
                const int chair = row->GetChair();
                ASSERT_GE(chair, 0);
                ASSERT_LT(chair, 4);
                labels[static_cast<size_t>(chair)] = FieldText(row->GetPlayerRow().label);
                silver[static_cast<size_t>(chair)] = row->GetPlayerRow().silverChange;
            }
            EXPECT_EQ(labels, (std::array<std::string, 4>{"", "胡", "点炮", ""}));
            EXPECT_EQ(silver, (std::array<int32_t, 4>{0, 200, -200, 0}));
            CResultListPanel* items = dialog->GetItemsList();
            ASSERT_NE(items, nullptr);
            std::vector<std::string> names;
            for (int index = 0; index < items->GetItemCount(); ++index) {
                names.push_back(FieldText(items->GetRowObject(index)->GetItemRow().name));
            }
            EXPECT_EQ(names, (std::vector<std::string>{"平胡", "带根", "清一色"}));
            EXPECT_EQ(dialog->GetTotal(), (1 + 1) * 4);
        });
    // Once drawn whole, the dialog's background shows at the centre of the
    // window.
    scenario.Harness().Add(
        "the result dialog drawn",
        [&] {
            return regional_skin::ColourNear(scenario.BackBufferColour(Width() / 2, Height() / 2),
                                             ResultColour());
        },
        nullptr, 10000);
    if (clicksAtTheResult) {
        AddClicksAtTheResult();
    }
    // Left alone, the dialog times out: the table is cleared and the next
    // hand asked for (the request reaches the server a moment after the
    // dialog hides).
    scenario.Harness().Add(
        "the result dialog timed out",
        [&] {
            CGameResultDlg* dialog = View().GetResultDlg();
            return dialog != nullptr && dialog->IsVisible() == 0 &&
                   scenario.Script().Frame().Count(frame_requests::kStartGame) >= 2 &&
                   !ReadyMarks().empty();
        },
        [&] {
            EXPECT_EQ(ReadyMarks(), std::vector<int>{kOwn}) << "only the own seat started";
            for (int position = 0; position < 4; ++position) {
                EXPECT_EQ(View().GetRowCount(position), 0) << "position " << position;
                EXPECT_EQ(View().GetMeldCount(position), 0) << "position " << position;
            }
        },
        60000);
    scenario.Harness().Add("the voices and sounds", nullptr, [&] {
        const std::vector<std::string> sounds = scenario.SoundsPlayed();
        auto played = [&](const std::string& name) {
            return std::find(sounds.begin(), sounds.end(), name) != sounds.end();
        };
        EXPECT_TRUE(played("SndDice.ogg"));
        EXPECT_TRUE(played("SndThrow.ogg"));
        // The thrown tiles spoken in the voice of the thrower's sex (the
        // script's players: chairs 1 and 3 women, chair 2 a man): 9 by
        // chair 3, 42 by chair 2, 49 by chair 1.
        EXPECT_TRUE(played("female_1.ogg"));
        EXPECT_TRUE(played("male_17.ogg"));
        EXPECT_TRUE(played("female_15.ogg"));
        // Chair 1 won: its win voice, and the win picture's sound.
        EXPECT_TRUE(played("female_Hu0.ogg") || played("female_Hu1.ogg") ||
                    played("female_Hu2.ogg"));
        EXPECT_TRUE(played("SndWin.ogg"));
        EXPECT_FALSE(played("male_Hu0.ogg") || played("male_Hu1.ogg") || played("male_Hu2.ogg"));
    });
}

// In auto-play, a face of the emoticon picker over the table is clicked:
// the emoticon is sent and auto-play stays on. 语音 then opens its panel
// over the result dialog, and a click on the bare table ends auto-play.
void RegionalScenarioTest::AddClicksAtTheResult() {
    auto bar = [this](const char* name) {
        return scenario.App().GetSubSystemView()->FindObjectByName(name);
    };
    auto picker = [=] { return dynamic_cast<CChatBox*>(bar("ChatBox"))->GetEmoticonPanel(); };
    scenario.Harness().Add("the picker opened in auto-play", nullptr, [=, this] {
        View().ToggleAutoPlay();
        scenario.Click(bar("系统栏表情按钮"));
    });
    scenario.Harness().Add(
        "a face over the table clicked", [=] { return picker() && picker()->IsVisible(); },
        [=, this] {
            ASSERT_LT(picker()->GetLeft() + 20, View().GetViewRect().right);
            scenario.ClickAt(int(picker()->GetLeft()) + 20, int(picker()->GetTop()) + 20);
        });
    scenario.Harness().Add(
        "the emoticon sent",
        [&] { return scenario.Script().Frame().Count(frame_requests::kChatText) > 0; },
        [&] {
            EXPECT_NE(View().IsAutoPlay(), 0) << "the click reached the table too";
            scenario.Click(View().GetVoiceButton());
        });
    scenario.Harness().Add(
        "the voice panel over the result", [&] { return View().GetVoiceBox()->IsVisible() != 0; },
        [&] {
            EXPECT_GT(View().GetVoiceBox()->GetZ(), View().GetResultDlg()->GetZ());
            scenario.ClickAt(View().GetViewRect().left + 3, View().GetViewRect().top + 3);
        });
    scenario.Harness().Add(
        "auto-play ended", [&] { return View().IsAutoPlay() == 0; }, nullptr, 3000);
    // The tiles are the table: a left press on an own tile, a right one on a
    // wall tile or on another seat's row tile ends auto-play too.
    using platform::MouseButton;
    for (const auto& [what, kind, position, button] :
         {std::tuple("an own tile", CCardSprite::kKindHand, kOwn, MouseButton::Left),
          std::tuple("a wall tile", CCardSprite::kKindWall, -1, MouseButton::Right),
          std::tuple("the top seat's tile", CCardSprite::kKindHand, 1, MouseButton::Right)}) {
        scenario.Harness().Add(std::string(what) + " pressed in auto-play", nullptr, [=, this] {
            View().ToggleAutoPlay();
            CCardSprite* tile = ClearTile(kind, position);
            ASSERT_NE(tile, nullptr) << what;
            scenario.ClickAt(int(tile->GetX()), int(tile->GetY()), button);
        });
        scenario.Harness().Add(
            std::string(what) + " ended auto-play", [&] { return View().IsAutoPlay() == 0; },
            nullptr, 3000);
    }
}

TEST_F(RegionalScenarioTest, EntersChoosesTheSwapWithTheMouseAndWatchesTheHandToTheResult) {
    ASSERT_TRUE(scenario.Prepare()) << scenario.Error();
    AddStepsToThePlay();
    // A tile rises out from under the pointer at its foot, and comes down
    // when the pointer goes on to the chat box.
    CCardSprite* tile = nullptr;
    auto moveTo = [&](double x, double y) {
        ASSERT_TRUE(platform::SynthesizeMouseMove(scenario.App().GetMainWindow(), int(x), int(y)));
    };
    scenario.Harness().Add("the pointer at a tile's foot", nullptr, [&] {
        tile = OwnSprite(Seat(kOwn).concealed[5]);
        moveTo(tile->GetX(), tile->GetBottom() - 2);
    });
    scenario.Harness().Add(
        "the tile raised", [&] { return tile->hoverRaised != 0 && Settled(300); },
        [&] {
            CCorvaneObject* chat = scenario.App().GetSubSystemView()->FindObjectByName("ChatBox");
            moveTo(chat->GetX(), chat->GetY());
        });
    scenario.Harness().Add(
        "the tile down", [&] { return tile->hoverRaised == 0; }, nullptr, 3000);
    AddThrow("222170 1", 1, 1, 49);
    AddStepsToTheResult(1, 49, true);
    ExpectWholeRun(scenario.Run());
    EXPECT_EQ(scenario.Script().Frame().Count(tp::kOwnDraw), 0u);
    EXPECT_EQ(scenario.Script().Frame().Count(tp::kDiscard), 0u);
}

// The same hand on a wide screen (the larger tile sheets, the table wider
// than the dialog's reach).
TEST_F(RegionalScenarioTest, OnAWideScreenTheSameHandPlaysToTheResult) {
    game_test::ScenarioOptions options;
    options.width = 1366;
    options.height = 768;
    ASSERT_TRUE(scenario.Prepare(options)) << scenario.Error();
    AddStepsToThePlay();
    AddThrow("222170 1", 1, 1, 49);
    AddStepsToTheResult(1, 49);
    ExpectWholeRun(scenario.Run());
}

// With the script's own turn: after chair 1's throw the turn comes to the
// own seat, whose clock runs out and draws (the table's own draw on a
// time-out), the player clicks a tile from the middle of the row while the
// drawn tile still slides in, and chair 3 pengs it. The drawn tile takes
// the thrown one's place in the sorted row. The click ends auto-play.
class OwnTurnScenarioTest : public RegionalScenarioTest,
                            public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(OwnTurnScenarioTest, OnTheOwnTurnThePlayerThrowsAMiddleTileWithTheMouse) {
    game_test::ScenarioOptions options;
    options.ownTurn = true;
    options.width = GetParam().first;
    options.height = GetParam().second;
    ASSERT_TRUE(scenario.Prepare(options)) << scenario.Error();
    AddStepsToThePlay();
    AddThrow("222170 1", 1, 1, 49);
    const int32_t drawn = RegionalScript::kOwnDrawTile;
    const int32_t middle = 2;  // another face than the drawn tile's
    scenario.Harness().Add(
        "the own draw",
        [&] { return View().IsHandDrawn(kOwn) != 0 && OwnSprite(drawn) != nullptr && DialStill(); },
        [&] {
            ExpectDialLightsTheSideOf(RegionalScript::kOwnChair);
            EXPECT_EQ(scenario.Script().Frame().Count(tp::kOwnDraw), 1u);
            EXPECT_EQ(View().GetTurnDirection(), 6);
            EXPECT_NE(View().IsHandDrawn(kOwn), 0);
            EXPECT_EQ(View().GetWallCount(), 108 - 53 - 3);
            ExpectNoWildMark();
            View().ToggleAutoPlay();
            scenario.Click(OwnSprite(middle));
        });
    scenario.Harness().Add(
        "the own throw",
        [&] {
            return scenario.Script().Frame().Count(tp::kDiscard) == 1 &&
                   Seat(kOwn).lastThrown == middle && DialStill();
        },
        [&] {
            ExpectDialLightsTheSideOf((RegionalScript::kOwnChair + 3) % 4);
            tp::OperationRecord discard;
            ASSERT_TRUE(
                tp::ReadTableRecord(scenario.Script().Frame().LastBody(tp::kDiscard), discard));
            EXPECT_EQ(discard.tile, middle);
            EXPECT_EQ(View().IsAutoPlay(), 0) << "the click on the own tile left auto-play on";
            thrown[RegionalScript::kOwnChair].push_back(middle);
            ExpectThrownTiles();
            EXPECT_EQ(View().IsHandDrawn(kOwn), 0);
            EXPECT_NE(View().GetTurnDirection(), 6);
            std::vector<int32_t> own = dealt;
            for (int32_t tile : chosen) {
                own.erase(std::find(own.begin(), own.end(), tile));
            }
            own.insert(own.end(), received.begin(), received.end());
            own.erase(std::find(own.begin(), own.end(), middle));
            own.push_back(drawn);
            std::sort(own.begin(), own.end());
            EXPECT_EQ(Seat(kOwn).concealed, own);
            ExpectOwnRowWhole();
        });
    AddStepsToTheResult(RegionalScript::kOwnChair, middle, true);
    ExpectWholeRun(scenario.Run());
}

INSTANTIATE_TEST_SUITE_P(Screens, OwnTurnScenarioTest,
                         ::testing::Values(std::pair{1024, 768}, std::pair{1366, 768}));

}  // namespace
