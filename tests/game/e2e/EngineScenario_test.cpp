// The whole regional client in the test's process against the test server's
// engine hand, played by the player's clicks: the exchange, a peng on the
// banker's throw, the ready hand declared with the throw that follows, an
// own draw by the time-out that completes the peng's face, the added gang
// and its replacement thrown by the time-out, and the self-drawn win. The
// engine checks every request and decides every offer; the client's engine
// runs on the test's clock.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/CorvanePicture.h"
#include "frame/GameRecords.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/result/GameResultDlg.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/game/e2e/EngineHand.h"
#include "tests/game/e2e/Scenario.h"
#include "tests/game/support/EngineTime.h"

namespace {

namespace tp = table_protocol;
using game_test::Scenario;
using Move = testserver::RegionalEngineHand::RobotMove;

constexpr int kOwn = 3;  // the own screen position
constexpr int kOwnDirection = 2 * kOwn;
constexpr uint32_t kLongMs = 60000;
// Engine time the test lets pass on each harness tick.
constexpr uint32_t kFrameMs = 40;

using game_test::kWholeHandSeed;
using game_test::kWholeHandWall;
constexpr int kBanker = 2;
const std::vector<int32_t> kGiven = {72, 73, 74};
constexpr int32_t kPengTile = 22;
const std::array<int32_t, 2> kPair = {4, 13};
constexpr int32_t kTingThrow = 80;
constexpr int32_t kFourth = 31;
constexpr int32_t kReplacement = 100;
constexpr int32_t kWinning = 53;

class EngineScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (Scenario::RanBefore()) {
            GTEST_SKIP() << "the program's loop runs once a process; ctest runs each test alone";
        }
    }

    CRegionalTableView& View() { return *scenario.View(); }
    bool HasView() { return scenario.View() != nullptr; }
    testserver::RegionalEngineHand& Engine() { return *scenario.Script().EngineHand(); }
    testserver::FrameScript& Server() { return scenario.Script().Frame(); }

    std::vector<int32_t> OwnRow(bool raisedOnly = false) { return scenario.OwnRow(raisedOnly); }
    std::vector<int32_t> EngineRow() { return scenario.EngineRow(); }
    CCardSprite* OwnSprite(int32_t tile) { return scenario.OwnSprite(tile); }
    int OwnIndexOf(int32_t tile) {
        int index = -1;
        return scenario.OwnSprite(tile, &index) != nullptr ? index : -1;
    }
    bool EngineDid(const std::string& operation) { return scenario.EngineCount(operation) > 0; }
    bool On(int kind) {
        CCorvaneButton* button = View().GetOperationButtonOfKind(kind);
        return button != nullptr && button->IsVisible() != 0 && button->IsInputEnabled() != 0;
    }
    CCorvaneButton* Button(int kind) { return View().GetOperationButtonOfKind(kind); }
    std::set<int> ButtonsOn() {
        std::set<int> on;
        for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
            if (On(kind)) {
                on.insert(kind);
            }
        }
        return on;
    }
    // Whether the button of the kind shows that picture of the skin.
    bool Shows(int kind, const char* image) {
        CCorvaneButton* button = Button(kind);
        return button != nullptr && button->GetFace() != nullptr &&
               button->GetFace()->GetFrameInfo().record == View().GetResourceFrame(image, 0).record;
    }
    // Each harness tick lets the client's engine time pass a frame.
    std::function<bool()> Flowing(std::function<bool()> ready) {
        return [this, ready = std::move(ready)] {
            clock.Advance(kFrameMs);
            return ready();
        };
    }
    // What every step checks: the own row is the engine's, sprite by
    // sprite at its index, and the walls agree.
    void CheckOwnRowAndWall() {
        EXPECT_EQ(OwnRow(), EngineRow());
        for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
            CCardSprite* sprite = View().GetHandSprite(kOwn, index);
            if (sprite != nullptr && sprite->active != 0 && sprite->standing != 0) {
                EXPECT_EQ(OwnIndexOf(sprite->tile), index) << sprite->tile;
            }
        }
        EXPECT_EQ(View().GetWallCount(),
                  Engine().WallLeft() + (Engine().PendingOwnDraw() >= 0 ? 1 : 0));
    }
    std::string Trace() {
        std::string text = "\nengine:";
        const std::vector<std::string> ops = Engine().Operations();
        for (size_t k = ops.size() > 24 ? ops.size() - 24 : 0; k < ops.size(); ++k) {
            text += " " + ops[k];
        }
        text += "\nrequests:";
        const std::vector<uint32_t> ids = Server().RequestIds();
        for (size_t k = ids.size() > 16 ? ids.size() - 16 : 0; k < ids.size(); ++k) {
            text += " " + std::to_string(ids[k]);
        }
        if (HasView()) {
            text += "\nclient: state " + std::to_string(View().GetTableState()) + ", direction " +
                    std::to_string(View().GetTurnDirection()) + ", clock " +
                    std::to_string(View().GetClockSeconds()) + ", row";
            for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
                CCardSprite* sprite = View().GetHandSprite(kOwn, index);
                text +=
                    " " + (sprite != nullptr && sprite->active != 0 ? std::to_string(sprite->tile)
                                                                    : std::string("."));
            }
        }
        return text + "\nseat " + std::to_string(Engine().CurrentSeat());
    }

    game_test::InjectedEngineClock clock;
    Scenario scenario;
    uint64_t markMs_ = 0;  // engine time of the last click that starts a wait
};

TEST_F(EngineScenarioTest, AWholeHandPlayedByThePlayersClicks) {
    game_test::ScenarioOptions options;
    options.engineHand = true;
    // A silver room whose safe box serves the table.
    options.roomFlags = RoomInfo::kFlagSafeBoxInGame;
    options.engineSeed = kWholeHandSeed;
    options.wall = kWholeHandWall;
    options.robotsHeld = true;
    options.moves = {Move{kBanker, SeatActionKind::kDiscard, kPengTile}};
    ASSERT_TRUE(scenario.Prepare(options)) << scenario.Error();
    game_test::UiHarness& harness = scenario.Harness();
    // What the table looked like when the steps ended, read while it exists.
    std::string trace;
    harness.finish = [this, &trace, close = harness.finish] {
        trace = Trace();
        close();
    };
    using View_ = CRegionalTableView;
    constexpr int kPeng = kOpPeng;
    constexpr int kGang = kOpGang;
    constexpr int kHu = kOpHu;
    constexpr int kGuo = kOpGuo;
    constexpr int kTing = kOpTing;

    harness.Add(
        "the deal shows the engine's hand", Flowing([&] {
            return HasView() && View().GetTableState() == View_::kStateSwapChoice &&
                   !Engine().SeatTiles(0).empty() && OwnRow() == EngineRow();
        }),
        [&] {
            CheckOwnRowAndWall();
            EXPECT_EQ(View().GetTurnDirection(), kOwnDirection);
            EXPECT_TRUE(ButtonsOn().empty());
            for (int32_t tile : kGiven) {
                scenario.Click(OwnSprite(tile));
            }
        },
        kLongMs);
    harness.Add("three tiles of one suit raised", Flowing([&] {
                    CCorvaneButton* confirm = View().GetSwapChoiceButton();
                    return OwnRow(true).size() == 3 && confirm != nullptr &&
                           confirm->IsInputEnabled() != 0;
                }),
                [&] {
                    // A fourth tile of the suit, and one of another suit, are refused.
                    scenario.Click(OwnSprite(kTingThrow));
                    scenario.Click(OwnSprite(kPair[0]));
                });
    int ticks = 0;
    harness.Add("a fourth tile refused", Flowing([&] { return ++ticks > 10; }), [&] {
        EXPECT_EQ(OwnRow(true), kGiven);
        EXPECT_EQ(View().GetTableState(), View_::kStateSwapChoice);
        scenario.Click(View().GetSwapChoiceButton());
    });
    harness.Add(
        "the engine exchanged the tiles and the client applied it", Flowing([&] {
            return EngineDid("StartPlayAfterSwap") && View().m_bSwapChoosing == 0 &&
                   View().GetTableState() == View_::kStateNormal && OwnRow() == EngineRow();
        }),
        [&] {
            EXPECT_EQ(Server().Count(tp::kSwapThree), 1u);
            tp::SwapThreeRequest request;
            ASSERT_TRUE(tp::ReadTableRecord(Server().LastBody(tp::kSwapThree), request));
            std::vector<int32_t> sent{request.chairTiles[0], request.chairTiles[1],
                                      request.chairTiles[2]};
            std::sort(sent.begin(), sent.end());
            EXPECT_EQ(sent, kGiven);
            CheckOwnRowAndWall();
            // The banker (chair 2, at screen position 1) is to throw.
            EXPECT_EQ(View().GetTurnDirection(), 2 * 1);
            EXPECT_TRUE(ButtonsOn().empty());
            Engine().HoldRobots(false);
        },
        kLongMs);
    harness.Add(
        "the banker's throw offers the peng", Flowing([&] { return On(kPeng); }),
        [&] {
            EXPECT_EQ(View().GetTableState(), View_::kStateNormal);
            // The turn would pass to chair 1 (screen position 0).
            EXPECT_EQ(View().GetTurnDirection(), 2 * 0);
            EXPECT_TRUE(ButtonsOn().count(kPeng));
            CheckOwnRowAndWall();
            EXPECT_TRUE(Shows(kPeng, "btn_Peng_big"));
            scenario.Click(Button(kPeng));
        },
        kLongMs);
    harness.Add("the peng went out and its reply grants the ready hand",
                Flowing([&] { return EngineDid("Peng") && On(kTing); }), [&] {
                    ASSERT_EQ(Server().Count(tp::kPengClaim), 1u);
                    tp::OperationRecord peng;
                    ASSERT_TRUE(tp::ReadTableRecord(Server().LastBody(tp::kPengClaim), peng));
                    EXPECT_EQ(peng.offerChair, kBanker);
                    EXPECT_EQ(peng.tile, kPengTile);
                    std::array<int32_t, 2> pair{peng.handTiles[0], peng.handTiles[1]};
                    std::sort(pair.begin(), pair.end());
                    EXPECT_EQ(pair, kPair);
                    EXPECT_EQ(peng.handTiles[2], tp::kNoTile);
                    EXPECT_EQ(View().GetTurnDirection(), kOwnDirection);
                    EXPECT_TRUE(ButtonsOn().count(kTing));
                    CheckOwnRowAndWall();
                    EXPECT_TRUE(Shows(kTing, "Btn_Ting"));
                    scenario.Click(Button(kTing));
                });
    harness.Add("the ready candidates are offered",
                Flowing([&] { return View().GetTableState() == View_::kStateTingChoice; }), [&] {
                    CheckOwnRowAndWall();
                    scenario.Click(OwnSprite(kTingThrow));
                });
    harness.Add("the declaration and its throw went out; the badge shows", Flowing([&] {
                    CCorvanePicture* badge = View().GetBaoJiaoBadge(kOwn);
                    return EngineDid("DeclareReady") && badge != nullptr &&
                           badge->IsVisible() != 0 && OwnIndexOf(kTingThrow) < 0;
                }),
                [&] {
                    ASSERT_EQ(Server().Count(tp::kTingThrow), 1u);
                    const std::vector<uint8_t> body = Server().LastBody(tp::kTingThrow);
                    EXPECT_EQ(body.size(), 108u);
                    EXPECT_EQ(tp::WordAt(body, 26), kTingThrow);
                    EXPECT_TRUE(View().IsOwnTingDeclared());
                    EXPECT_TRUE(ButtonsOn().empty());
                    CheckOwnRowAndWall();
                });
    harness.Add(
        "the own clock runs out: the time-out draws the peng's fourth",
        Flowing([&] { return Server().Count(tp::kOwnDraw) == 1 && OwnIndexOf(kFourth) == 0; }),
        [&] {
            EXPECT_EQ(View().GetTurnDirection(), kOwnDirection);
            EXPECT_EQ(ButtonsOn(), (std::set<int>{kGang, kGuo}));
            // Nothing cut the clock: the reaction time runs.
            EXPECT_GT(View().GetClockSeconds(), 1);
            CheckOwnRowAndWall();
            EXPECT_TRUE(Shows(kGang, "btn_Gang_big"));
            markMs_ = clock.Now();
            scenario.Click(Button(kGang));
        },
        kLongMs);
    harness.Add("the gang query, the added gang and the replacement 200 ms later",
                Flowing([&] { return OwnIndexOf(kReplacement) >= 0; }), [&] {
                    ASSERT_EQ(Server().Count(tp::kGangQuery), 1u);
                    tp::OperationRecord query;
                    ASSERT_TRUE(tp::ReadTableRecord(Server().LastBody(tp::kGangQuery), query));
                    EXPECT_EQ(query.kind, tp::kGangOwn);
                    EXPECT_EQ(Server().Count(tp::kAddedGang), 1u);
                    EXPECT_TRUE(EngineDid("AddedKong"));
                    EXPECT_GE(clock.Now() - markMs_, 200u);
                    EXPECT_EQ(OwnIndexOf(kReplacement), 0);
                    // The gang is made; Guo still throws the tile at index 0.
                    EXPECT_EQ(ButtonsOn(), std::set<int>{kGuo});
                    CheckOwnRowAndWall();
                    markMs_ = clock.Now();
                });
    harness.Add("the time-out throws the replacement after 2 s",
                Flowing([&] { return Server().Count(tp::kDiscard) == 1; }), [&] {
                    tp::OperationRecord thrown;
                    ASSERT_TRUE(tp::ReadTableRecord(Server().LastBody(tp::kDiscard), thrown));
                    EXPECT_EQ(thrown.tile, kReplacement);
                    EXPECT_GE(clock.Now() - markMs_, 2000u);
                    EXPECT_EQ(View().IsAutoPlay(), 0);
                });
    harness.Add(
        "a later draw wins", Flowing([&] { return Server().Count(tp::kOwnDraw) == 2 && On(kHu); }),
        [&] {
            EXPECT_EQ(OwnIndexOf(kWinning), 0);
            EXPECT_EQ(View().GetTurnDirection(), kOwnDirection);
            EXPECT_EQ(View().IsAutoPlay(), 0);
            CheckOwnRowAndWall();
            EXPECT_TRUE(Shows(kHu, "btn_Hu_big"));
            scenario.Click(Button(kHu));
        },
        kLongMs);
    harness.Add(
        "the hu claim, the result and its dialog", Flowing([&] {
            CGameResultDlg* dialog = View().GetResultDlg();
            return Server().Count(tp::kHuClaim) == 1 && dialog != nullptr &&
                   dialog->IsVisible() != 0;
        }),
        [&] {
            tp::HuClaimRecord claim;
            ASSERT_TRUE(tp::ReadTableRecord(Server().LastBody(tp::kHuClaim), claim));
            EXPECT_EQ(claim.huKind, tp::kHuSelfDrawn);
            EXPECT_EQ(claim.tile, kWinning);
            EXPECT_TRUE(EngineDid("ResolveHu self-drawn"));
        },
        kLongMs);
    EXPECT_EQ(scenario.Run(), 0);
    EXPECT_TRUE(harness.Finished());
    EXPECT_FALSE(harness.TimedOut()) << harness.LastStep() << trace;
    EXPECT_EQ(harness.Acted().size(), harness.StepCount());
    EXPECT_EQ(Server().Count(201162), 0u);
    EXPECT_TRUE(Engine().WaitForEnd(kLongMs));
    EXPECT_TRUE(Engine().Played());
}

}  // namespace
