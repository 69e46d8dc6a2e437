// The whole regional client in the test's process against the test server's
// engine hand: the player's clicks choose the exchange, the engine checks
// and carries it out, and the client's own row follows the engine's hand.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/app/RegionalMahjongApp.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/game/e2e/Scenario.h"

namespace {

namespace tp = table_protocol;
using game_test::Scenario;

constexpr int kOwn = 3;  // the own screen position
constexpr uint32_t kLongMs = 60000;

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

    std::vector<int32_t> OwnRow(bool raisedOnly = false) {
        std::vector<int32_t> row;
        for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
            CCardSprite* sprite = View().GetHandSprite(kOwn, index);
            if (sprite != nullptr && sprite->active != 0 && sprite->standing != 0 &&
                (!raisedOnly || sprite->raised != 0)) {
                row.push_back(sprite->tile);
            }
        }
        std::sort(row.begin(), row.end());
        return row;
    }
    // The engine's hand as the client knows it: without a drawn tile the
    // client has not asked for yet.
    std::vector<int32_t> EngineRow() {
        std::vector<int32_t> row = Engine().SeatTiles(0);
        const int32_t pending = Engine().PendingOwnDraw();
        row.erase(std::remove(row.begin(), row.end(), pending), row.end());
        std::sort(row.begin(), row.end());
        return row;
    }
    CCardSprite* OwnSprite(int32_t tile) {
        for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
            CCardSprite* sprite = View().GetHandSprite(kOwn, index);
            if (sprite != nullptr && sprite->active != 0 && sprite->tile == tile) {
                return sprite;
            }
        }
        return nullptr;
    }
    bool EngineDid(const std::string& operation) {
        const std::vector<std::string> ops = Engine().Operations();
        return std::find(ops.begin(), ops.end(), operation) != ops.end();
    }
    // Waits without acting for ms of real time after the step became current.
    bool After(uint32_t ms) {
        if (waitStart_ == 0) {
            waitStart_ = platform::GetTickCount32();
        }
        if (platform::GetTickCount32() - waitStart_ < ms) {
            return false;
        }
        waitStart_ = 0;
        return true;
    }

    Scenario scenario;
    std::vector<int32_t> suit;   // the own tiles of the chosen suit, in order
    std::vector<int32_t> other;  // an own tile of another suit
    uint32_t waitStart_ = 0;
};

TEST_F(EngineScenarioTest, ThePlayersClicksChooseTheExchangeTheEngineCarriesOut) {
    game_test::ScenarioOptions options;
    options.engineHand = true;
    ASSERT_TRUE(scenario.Prepare(options)) << scenario.Error();
    game_test::UiHarness& harness = scenario.Harness();
    harness.Add(
        "the deal shows the engine's hand",
        [&] {
            return HasView() && View().GetTableState() == CRegionalTableView::kStateSwapChoice &&
                   !Engine().SeatTiles(0).empty() && OwnRow() == EngineRow();
        },
        [&] {
            EXPECT_EQ(View().GetWallCount(), Engine().WallLeft());
            const std::vector<int32_t> own = Engine().SeatTiles(0);
            for (int s = 0; s < 3 && suit.size() < 3; ++s) {
                suit.clear();
                for (int32_t tile : own) {
                    if (tile / 36 == s) {
                        suit.push_back(tile);
                    }
                }
            }
            ASSERT_GE(suit.size(), 3u);
            for (int32_t tile : own) {
                if (tile / 36 != suit[0] / 36) {
                    other.push_back(tile);
                }
            }
            for (size_t k = 0; k < 3; ++k) {
                scenario.Click(OwnSprite(suit[k]));
            }
        },
        kLongMs);
    harness.Add(
        "three tiles of one suit raised",
        [&] {
            CCorvaneButton* confirm = View().GetSwapChoiceButton();
            return OwnRow(true).size() == 3 && confirm != nullptr && confirm->IsInputEnabled() != 0;
        },
        [&] {
            // A fourth tile, of the suit or of another, is refused.
            if (suit.size() > 3) {
                scenario.Click(OwnSprite(suit[3]));
            }
            if (!other.empty()) {
                scenario.Click(OwnSprite(other[0]));
            }
        });
    harness.Add(
        "a fourth tile refused", [&] { return After(400); },
        [&] {
            std::vector<int32_t> chosen(suit.begin(), suit.begin() + 3);
            std::sort(chosen.begin(), chosen.end());
            EXPECT_EQ(OwnRow(true), chosen);
            scenario.Click(View().GetSwapChoiceButton());
        });
    harness.Add(
        "the engine exchanged the tiles",
        [&] { return EngineDid("StartPlayAfterSwap") && OwnRow() == EngineRow(); },
        [&] {
            EXPECT_EQ(scenario.Script().Frame().Count(tp::kSwapThree), 1u);
            tp::SwapThreeRequest request;
            ASSERT_TRUE(
                tp::ReadTableRecord(scenario.Script().Frame().LastBody(tp::kSwapThree), request));
            std::vector<int32_t> sent{request.chairTiles[0], request.chairTiles[1],
                                      request.chairTiles[2]};
            std::sort(sent.begin(), sent.end());
            std::vector<int32_t> chosen(suit.begin(), suit.begin() + 3);
            std::sort(chosen.begin(), chosen.end());
            EXPECT_EQ(sent, chosen);
            for (int32_t tile : chosen) {
                const std::vector<int32_t> own = Engine().SeatTiles(0);
                EXPECT_EQ(std::find(own.begin(), own.end(), tile), own.end()) << tile;
            }
            EXPECT_EQ(View().GetWallCount(),
                      Engine().WallLeft() + (Engine().PendingOwnDraw() >= 0 ? 1 : 0));
        },
        kLongMs);
    EXPECT_EQ(scenario.Run(), 0);
    EXPECT_TRUE(harness.Finished());
    EXPECT_FALSE(harness.TimedOut()) << harness.LastStep() << [&] {
        std::string text = "\nengine:";
        const std::vector<std::string> ops = Engine().Operations();
        for (size_t k = ops.size() > 16 ? ops.size() - 16 : 0; k < ops.size(); ++k) {
            text += " " + ops[k];
        }
        text += "\nrequests:";
        const std::vector<uint32_t> ids = scenario.Script().Frame().RequestIds();
        for (size_t k = ids.size() > 16 ? ids.size() - 16 : 0; k < ids.size(); ++k) {
            text += " " + std::to_string(ids[k]);
        }
        return text + "\nseat " + std::to_string(Engine().CurrentSeat());
    }();
    EXPECT_EQ(harness.Acted().size(), harness.StepCount());
    EXPECT_EQ(scenario.Script().Frame().Count(201162), 0u);
}

}  // namespace
