// The whole regional client in the test's process playing a second hand of
// one session against the test server's engine hand. The first hand ends at
// once (the robot banker holds a complete hand after the exchange); the
// client closes its result, asks for the next hand and the server deals the
// second from another fixed wall. There the player raises one tile and lets
// the exchange clock run out, pengs by click and throws by click, idles
// through a turn (the time-out draws, throws and turns auto-play on), lets
// auto-play play the next turn, ends it with a click on the table, and a
// robot wins. The client's engine runs on an injected clock.

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "frame/GameRecords.h"
#include "frame/net/FrameRequests.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/result/GameResultDlg.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/game/e2e/Scenario.h"
#include "tests/game/e2e/SessionWalls.h"
#include "tests/game/support/EngineTime.h"
#include "tools/table_driver/TableDriver.h"

namespace {

namespace tp = table_protocol;
using game_test::kFirstChoice;
using game_test::kFirstWall;
using game_test::Scenario;
using game_test::WallOf;
using testserver::RegionalEngineHand;

constexpr int kOwn = 3;           // the own screen position
constexpr int kOwnDirection = 6;  // the turn pointer at the own seat
constexpr uint32_t kLongMs = 60000;
// Engine milliseconds per harness tick: about real time, and quick while
// the player leaves a clock to run out.
constexpr uint32_t kPaceMs = 25;
constexpr uint32_t kIdleMs = 400;

// The second hand: the own chair holds exactly three tiles of suit 0 (0,
// 4, 8) and the pair 76 85; the banker gives 1 3 5 to it and throws 94;
// after the peng the player throws 36; the own draws are 13 and 18; the
// banker waits on suit 2's 1 and 4 and draws 81 after the own second turn.
const std::vector<int32_t> kSecondWall = WallOf({
    {46, {1, 3, 5, 46}},
    {62, {47, 48, 50, 59}},
    {78, {86, 87, 88, 82}},
    {94, {83, 94}},
    {50, {51, 52, 53, 54}},
    {66, {73, 77, 78, 79}},
    {82, {89, 91, 92, 95}},
    {96, {96}},
    {54, {55, 56, 57, 58}},
    {70, {60, 61, 62, 63}},
    {86, {97, 98, 100, 101}},
    {97, {104}},
    {58, {0, 4, 8, 36}},
    {74, {38, 40, 42, 44}},
    {90, {72, 74, 80, 76}},
    {98, {85}},
    {99, {9, 10, 11, 13, 14, 15, 16, 18, 81}},
});
constexpr int32_t kRaisedTile = 4;
const std::vector<int32_t> kSecondChoice = {0, 4, 8};
const std::vector<int32_t> kReceived = {1, 3, 5};
constexpr int32_t kPengTile = 94;
constexpr int32_t kPengPair[2] = {76, 85};
constexpr int32_t kOwnThrow = 36;
constexpr int32_t kFirstOwnDraw = 13;
constexpr int32_t kSecondOwnDraw = 18;
// The robots' listed moves: the banker's complete first hand, its first
// throw of the second, and its win there (held until the test lets it).
constexpr size_t kWinMove = 2;
const std::vector<RegionalEngineHand::RobotMove> kMoves = {
    {3, SeatActionKind::kSelfDrawnHu, -1},
    {3, SeatActionKind::kDiscard, kPengTile},
    {3, SeatActionKind::kSelfDrawnHu, -1},
};

class SecondHandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (Scenario::RanBefore()) {
            GTEST_SKIP() << "the program's loop runs once a process; ctest runs each test alone";
        }
    }

    CRegionalTableView& View() { return *scenario.View(); }
    bool HasView() { return scenario.View() != nullptr; }
    RegionalEngineHand& Engine() { return *scenario.Script().EngineHand(); }
    testserver::FrameScript& Frame() { return scenario.Script().Frame(); }

    // A step's condition, with the engine's time moved on by the pace first.
    std::function<bool()> Paced(std::function<bool()> condition) {
        return [this, condition = std::move(condition)] {
            clock.Advance(pace);
            if (HasView()) {
                lastSeen = Seen();
            }
            return condition();
        };
    }

    std::vector<int32_t> OwnRow(bool raisedOnly = false) { return scenario.OwnRow(raisedOnly); }
    std::vector<int32_t> EngineRow() { return scenario.EngineRow(); }
    CCardSprite* OwnSprite(int32_t tile) { return scenario.OwnSprite(tile); }
    size_t EngineCount(const std::string& operation) { return scenario.EngineCount(operation); }
    bool Holds(int32_t tile) {
        const std::vector<int32_t> row = OwnRow();
        return std::find(row.begin(), row.end(), tile) != row.end();
    }
    int OwnIndex(int32_t tile) {
        int index = -1;
        scenario.OwnSprite(tile, &index);
        return index;
    }
    bool ResultShown() {
        CGameResultDlg* dialog = View().GetResultDlg();
        return dialog != nullptr && dialog->IsVisible() != 0;
    }
    // The operation buttons offered, as a bit per kind (1 << kOpPeng ...).
    int Offered() {
        int bits = 0;
        for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
            bits |= View().IsOperationButtonOn(kind) ? 1 << kind : 0;
        }
        return bits;
    }
    // What every step checks: the own row is the engine's hand for chair 0,
    // the wall agrees, the drawn place (index 0) is taken or free, and every
    // standing own sprite holds its own tile.
    void ExpectTable(const std::string& where, bool drawn) {
        SCOPED_TRACE(where + ":" + RowText());
        EXPECT_EQ(OwnRow(), EngineRow());
        EXPECT_EQ(View().GetWallCount(),
                  Engine().WallLeft() + (Engine().PendingOwnDraw() >= 0 ? 1 : 0));
        EXPECT_EQ(View().IsHandDrawn(kOwn) != 0, drawn);
        // Every own sprite knows its place; a tile stands once; the laid
        // down tiles are the peng's, in its row places 1-3.
        std::vector<int32_t> seen;
        std::vector<int32_t> laid;
        for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
            CCardSprite* sprite = View().GetHandSprite(kOwn, index);
            if (sprite == nullptr || sprite->active == 0) {
                continue;
            }
            EXPECT_EQ(sprite->handIndex, index) << sprite->tile;
            EXPECT_EQ(sprite->position, kOwn) << sprite->tile;
            if (sprite->standing != 0) {
                EXPECT_EQ(std::count(seen.begin(), seen.end(), sprite->tile), 0) << sprite->tile;
                EXPECT_EQ(sprite->meldKind, CCardSprite::kMeldNone) << sprite->tile;
                seen.push_back(sprite->tile);
            } else {
                EXPECT_EQ(sprite->meldKind, CCardSprite::kMeldPeng) << sprite->tile;
                EXPECT_GE(index, 1);
                EXPECT_LE(index, 3);
                laid.push_back(sprite->tile);
            }
        }
        std::sort(laid.begin(), laid.end());
        const std::vector<int32_t> peng{kPengPair[0], kPengPair[1], kPengTile};
        EXPECT_EQ(laid, pengLaid ? peng : std::vector<int32_t>{});
    }
    // What the table showed when a step last waited.
    std::string Seen() {
        std::string text = "state " + std::to_string(View().GetTableState()) + " turn " +
                           std::to_string(View().GetTurnDirection()) + " offered " +
                           std::to_string(Offered()) + " auto " +
                           std::to_string(View().IsAutoPlay()) + " drawn " +
                           std::to_string(View().IsHandDrawn(kOwn)) + " wall " +
                           std::to_string(View().GetWallCount()) + "/" +
                           std::to_string(Engine().WallLeft()) + "\nown:";
        for (int32_t tile : OwnRow()) {
            text += " " + std::to_string(tile);
        }
        text += "\nengine:";
        for (int32_t tile : EngineRow()) {
            text += " " + std::to_string(tile);
        }
        return text;
    }
    std::string RowText() {
        std::string text;
        for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
            CCardSprite* sprite = View().GetHandSprite(kOwn, index);
            if (sprite != nullptr) {
                text += " [" + std::to_string(index) + ":" + std::to_string(sprite->tile) + " m" +
                        std::to_string(sprite->meldKind) + " v" + std::to_string(sprite->visible) +
                        " a" + std::to_string(sprite->active) + " s" +
                        std::to_string(sprite->standing) + "]";
            }
        }
        return text;
    }
    void AllowWin() {
        {
            std::lock_guard lock(holdLock);
            winAllowed = true;
        }
        holdChanged.notify_all();
    }

    void AddFirstHand();
    void AddSecondHand();
    std::string Trace();

    // The engine's banker and dice follow its own seeded sources.
    ScopedDriverSources sources{1};
    game_test::InjectedEngineClock clock;
    uint32_t pace = kPaceMs;
    Scenario scenario;
    std::mutex holdLock;
    std::condition_variable holdChanged;
    bool winAllowed = false;
    std::string lastSeen;
    size_t discardsBefore = 0;
    int32_t apartTile = -1;
    bool pengLaid = false;
    size_t readiesBefore = 0;
    size_t drawsBefore = 0;
};

void SecondHandTest::AddFirstHand() {
    game_test::UiHarness& harness = scenario.Harness();
    harness.Add(
        "the first deal", Paced([&] {
            return HasView() && View().GetTableState() == CRegionalTableView::kStateSwapChoice &&
                   !Engine().SeatTiles(0).empty() && OwnRow() == EngineRow();
        }),
        [&] {
            ExpectTable("the first deal", false);
            EXPECT_EQ(Offered(), 0);
            for (int32_t tile : kFirstChoice) {
                scenario.Click(OwnSprite(tile));
            }
        },
        kLongMs);
    harness.Add("the first choice raised", Paced([&] { return OwnRow(true) == kFirstChoice; }),
                [&] { scenario.Click(View().GetSwapChoiceButton()); });
    harness.Add(
        "the robot banker wins the first hand at once",
        Paced([&] { return scenario.EngineCount("PackResult") == 1 && ResultShown(); }),
        [&] {
            EXPECT_EQ(scenario.EngineCount("ResolveHu self-drawn"), 1u);
            EXPECT_EQ(View().GetResultDlg()->GetSelectedChair(), 3);
            EXPECT_EQ(Frame().Count(tp::kSwapThree), 1u);
            EXPECT_EQ(Frame().Count(tp::kDiscard), 0u);
            EXPECT_EQ(Frame().Count(tp::kOwnDraw), 0u);
            EXPECT_EQ(View().IsAutoPlay(), 0);
            readiesBefore = Frame().Count(frame_requests::kStartGame);
            // The result dialog is left to its own time-out.
            pace = kIdleMs;
        },
        kLongMs);
    harness.Add(
        "the result closed and the next hand asked for", Paced([&] {
            return !ResultShown() && Frame().Count(frame_requests::kStartGame) == readiesBefore + 1;
        }),
        [&] {
            pace = kPaceMs;
            for (int position = 0; position < 4; ++position) {
                EXPECT_EQ(View().GetRowCount(position), 0) << "position " << position;
                EXPECT_EQ(View().GetMeldCount(position), 0) << "position " << position;
            }
        },
        kLongMs);
}

void SecondHandTest::AddSecondHand() {
    game_test::UiHarness& harness = scenario.Harness();
    harness.Add(
        "the second deal", Paced([&] {
            return scenario.EngineCount("StartGame") == 2 &&
                   View().GetTableState() == CRegionalTableView::kStateSwapChoice &&
                   OwnRow() == EngineRow();
        }),
        [&] {
            ExpectTable("the second deal", false);
            EXPECT_EQ(Frame().Count(frame_requests::kStartGame), readiesBefore + 1);
            EXPECT_EQ(View().IsAutoPlay(), 0);
            EXPECT_EQ(Offered(), 0);
            // One tile raised; the exchange clock is left to run out.
            scenario.Click(OwnSprite(kRaisedTile));
        },
        kLongMs);
    harness.Add("one tile raised",
                Paced([&] { return OwnRow(true) == std::vector<int32_t>{kRaisedTile}; }), [&] {
                    EXPECT_EQ(View().GetTableState(), CRegionalTableView::kStateSwapChoice);
                    EXPECT_EQ(Frame().Count(tp::kSwapThree), 1u);
                    pace = kIdleMs;
                });
    harness.Add(
        "the exchange clock ran out: the choice completed from that suit and sent",
        Paced([&] { return Frame().Count(tp::kSwapThree) == 2; }),
        [&] {
            pace = kPaceMs;
            tp::SwapThreeRequest request;
            ASSERT_TRUE(tp::ReadTableRecord(Frame().LastBody(tp::kSwapThree), request));
            std::vector<int32_t> sent{request.chairTiles[0], request.chairTiles[1],
                                      request.chairTiles[2]};
            std::sort(sent.begin(), sent.end());
            EXPECT_EQ(sent, kSecondChoice);
            EXPECT_EQ(View().GetTableState(), CRegionalTableView::kStateSwapSent);
        },
        kLongMs);
    harness.Add("the exchange made and the banker's throw offers the peng", Paced([&] {
                    return scenario.EngineCount("StartPlayAfterSwap") == 2 &&
                           View().IsOperationButtonOn(kOpPeng);
                }),
                [&] {
                    ExpectTable("the peng offered", false);
                    for (int32_t tile : kReceived) {
                        EXPECT_TRUE(Holds(tile)) << tile;
                    }
                    for (int32_t tile : kSecondChoice) {
                        EXPECT_FALSE(Holds(tile)) << tile;
                    }
                    EXPECT_EQ(View().GetTableState(), CMahjongTableView::kStateNormal);
                    // The throw moves the pointer on to the banker's next seat (chair
                    // 2); the own seat may peng out of turn.
                    EXPECT_EQ(View().GetTurnDirection(), 2 * View().ChairToPosition(2));
                    // The chair's option word holds the peng and, from the
                    // seat's status, the pass.
                    EXPECT_EQ(Offered(), (1 << kOpPeng) | (1 << kOpGuo));
                    EXPECT_EQ(View().IsAutoPlay(), 0);
                    scenario.Click(View().GetOperationButton(kOpPeng));
                });
    harness.Add("the peng carried out; the last concealed tile stands at index 0", Paced([&] {
                    return scenario.EngineCount("Peng") == 1 && View().GetMeldCount(kOwn) == 1 &&
                           View().IsHandDrawn(kOwn) != 0;
                }),
                [&] {
                    pengLaid = true;
                    EXPECT_EQ(Frame().Count(tp::kPengClaim), 1u);
                    tp::OperationRecord peng;
                    ASSERT_TRUE(tp::ReadTableRecord(Frame().LastBody(tp::kPengClaim), peng));
                    EXPECT_EQ(peng.offerChair, 3);
                    EXPECT_EQ(peng.tile, kPengTile);
                    std::vector<int32_t> pair{peng.handTiles[0], peng.handTiles[1]};
                    std::sort(pair.begin(), pair.end());
                    EXPECT_EQ(pair, (std::vector<int32_t>{kPengPair[0], kPengPair[1]}));
                    EXPECT_EQ(peng.handTiles[2], tp::kNoTile);
                    ExpectTable("after the peng", true);
                    // Index 0 holds the row's last concealed tile, as a drawn tile.
                    EXPECT_EQ(View().GetHandSprite(kOwn, 0)->tile, OwnRow().back());
                    EXPECT_EQ(View().GetTurnDirection(), kOwnDirection);
                    EXPECT_EQ(View().GetTableState(), CMahjongTableView::kStateNormal);
                    EXPECT_EQ(Offered(), 0);
                    EXPECT_EQ(Frame().Count(tp::kOwnDraw), 0u);
                    discardsBefore = Frame().Count(tp::kDiscard);
                    // An ordinary throw by click, of a tile that is not at index 0.
                    ASSERT_GT(OwnIndex(kOwnThrow), 0);
                    scenario.Click(OwnSprite(kOwnThrow));
                });
    harness.Add("the own throw after the peng", Paced([&] {
                    // The robots play on at once: the turn may be back already,
                    // once the client has seen their draws (the throw's reply
                    // comes ahead of its news).
                    return Frame().Count(tp::kDiscard) == discardsBefore + 1 && !Holds(kOwnThrow) &&
                           View().GetWallCount() ==
                               Engine().WallLeft() + (Engine().PendingOwnDraw() >= 0 ? 1 : 0);
                }),
                [&] {
                    tp::OperationRecord discard;
                    ASSERT_TRUE(tp::ReadTableRecord(Frame().LastBody(tp::kDiscard), discard));
                    EXPECT_EQ(discard.tile, kOwnThrow);
                    ExpectTable("after the own throw", false);
                    EXPECT_EQ(Offered(), 0);
                    EXPECT_EQ(View().IsAutoPlay(), 0);
                    // The player idles from here.
                    drawsBefore = Frame().Count(tp::kOwnDraw);
                    pace = kIdleMs;
                });
    harness.Add(
        "the time-out draws", Paced([&] {
            return Frame().Count(tp::kOwnDraw) == drawsBefore + 1 && Holds(kFirstOwnDraw);
        }),
        [&] {
            EXPECT_EQ(View().GetTurnDirection(), kOwnDirection);
            EXPECT_EQ(View().GetTableState(), CMahjongTableView::kStateNormal);
            EXPECT_EQ(View().IsAutoPlay(), 0);
            EXPECT_EQ(Offered(), 0);
            EXPECT_EQ(Frame().Count(tp::kDiscard), discardsBefore + 1);
            ExpectTable("the time-out's draw", true);
            // The drawn tile lies apart at index 0.
            CCardSprite* apart = View().GetHandSprite(kOwn, 0);
            ASSERT_NE(apart, nullptr);
            EXPECT_EQ(apart->tile, kFirstOwnDraw);
            apartTile = apart->tile;
        },
        kLongMs);
    harness.Add(
        "the time-out throws and turns auto-play on", Paced([&] {
            return Frame().Count(tp::kDiscard) == discardsBefore + 2 && View().IsAutoPlay() != 0;
        }),
        [&] {
            tp::OperationRecord discard;
            ASSERT_TRUE(tp::ReadTableRecord(Frame().LastBody(tp::kDiscard), discard));
            // The time-out throws the tile at index 0, the one drawn.
            EXPECT_EQ(discard.tile, apartTile);
            EXPECT_FALSE(Holds(apartTile));
            EXPECT_EQ(Frame().Count(tp::kOwnDraw), drawsBefore + 1);
            ExpectTable("the time-out's throw", false);
        },
        kLongMs);
    harness.Add(
        "auto-play plays the next turn", Paced([&] {
            return Frame().Count(tp::kOwnDraw) == drawsBefore + 2 &&
                   Frame().Count(tp::kDiscard) == discardsBefore + 3 &&
                   View().GetTurnDirection() != kOwnDirection;
        }),
        [&] {
            pace = kPaceMs;
            EXPECT_NE(View().IsAutoPlay(), 0);
            ExpectTable("auto-play's turn", false);
            EXPECT_EQ(View().GetTableState(), CMahjongTableView::kStateNormal);
            EXPECT_EQ(Offered(), 0);
            tp::OperationRecord discard;
            ASSERT_TRUE(tp::ReadTableRecord(Frame().LastBody(tp::kDiscard), discard));
            EXPECT_FALSE(Holds(discard.tile));
            EXPECT_TRUE(Holds(kSecondOwnDraw) || discard.tile == kSecondOwnDraw);
            // The banker has drawn its winning tile and is held there.
            EXPECT_EQ(scenario.EngineCount("ResolveHu self-drawn"), 1u);
            // A click on the table (no tile, no button there) ends auto-play.
            const game_test::ScenarioOptions& o = scenario.Options();
            scenario.ClickAt(o.width / 2, o.height / 2 - 40);
        },
        kLongMs);
    harness.Add("the click ended auto-play", Paced([&] { return View().IsAutoPlay() == 0; }), [&] {
        EXPECT_EQ(Frame().Count(tp::kDiscard), discardsBefore + 3);
        EXPECT_EQ(Frame().Count(tp::kOwnDraw), drawsBefore + 2);
        ExpectTable("auto-play ended", false);
        AllowWin();
    });
    harness.Add(
        "a robot wins",
        Paced([&] { return scenario.EngineCount("PackResult") == 2 && ResultShown(); }),
        [&] {
            EXPECT_EQ(scenario.EngineCount("ResolveHu self-drawn"), 2u);
            EXPECT_EQ(View().GetResultDlg()->GetSelectedChair(), 3);
            EXPECT_EQ(View().IsAutoPlay(), 0);
            EXPECT_EQ(Offered(), 0);
            EXPECT_EQ(Frame().Count(201162), 0u);
        },
        kLongMs);
}

std::string SecondHandTest::Trace() {
    std::string text = "\nengine:";
    const std::vector<std::string> ops = Engine().Operations();
    for (size_t k = ops.size() > 20 ? ops.size() - 20 : 0; k < ops.size(); ++k) {
        text += " " + ops[k];
    }
    text += "\nrequests:";
    const std::vector<uint32_t> ids = Frame().RequestIds();
    for (size_t k = ids.size() > 20 ? ids.size() - 20 : 0; k < ids.size(); ++k) {
        text += " " + std::to_string(ids[k]);
    }
    return text + "\nseat " + std::to_string(Engine().CurrentSeat()) + "\n" + lastSeen;
}

TEST_F(SecondHandTest, TheSecondHandOfASessionPlaysByClicksTimeOutsAndAutoPlay) {
    game_test::ScenarioOptions options;
    options.engineHand = true;
    // A silver room whose safe box serves the table.
    options.roomFlags = RoomInfo::kFlagSafeBoxInGame;
    options.hands = 2;
    options.wall = kFirstWall;
    options.moves = kMoves;
    // The client applies the exchange after its dice; the banker waits.
    options.afterSwapDiceMs = 3000;
    options.beforeHand = [this](int hand) {
        if (hand == 1) {
            scenario.WriteWall(kSecondWall);
        }
    };
    options.beforeListedMove = [this](size_t move) {
        if (move == kWinMove) {
            std::unique_lock lock(holdLock);
            holdChanged.wait_for(lock, std::chrono::milliseconds(kLongMs),
                                 [this] { return winAllowed; });
        }
    };
    ASSERT_TRUE(scenario.Prepare(options)) << scenario.Error();
    AddFirstHand();
    AddSecondHand();
    game_test::UiHarness& harness = scenario.Harness();
    EXPECT_EQ(scenario.Run(), 0);
    AllowWin();
    EXPECT_TRUE(harness.Finished());
    EXPECT_FALSE(harness.TimedOut()) << harness.LastStep() << Trace() << [&] {
        std::string text = "\nlog:";
        const std::vector<std::string> lines = scenario.LogLinesWith("");
        for (size_t k = lines.size() > 40 ? lines.size() - 40 : 0; k < lines.size(); ++k) {
            text += "\n" + lines[k];
        }
        return text;
    }();
    EXPECT_EQ(harness.Acted().size(), harness.StepCount());
    EXPECT_EQ(Frame().Count(201162), 0u);
}

}  // namespace
