#pragma once
// What the mahjong-layer tests share: a table of the regional values that lets
// the test place the banker and the dice, a fixture that puts the tile functions back, and the
// conservation check of the wall.

#include <gtest/gtest.h>

#include <set>

#include "mahjong_logic/MahjongTableLogic.h"
#include "mahjong_tiles/TileFunctionTable.h"
#include "tests/mahjong_logic/LogicTestSupport.h"

class TestMahjongTable : public CMahjongTableLogic {
public:
    explicit TestMahjongTable(const MahjongTableParameters& parameters = kRegionalTableParameters)
        : CMahjongTableLogic(parameters) {}

    void PlaceBankerAndDice(int banker, int die1, int die2) {
        SetBanker(banker);
        dice_ = {die1, die2, 0, 0};
    }
};

class MahjongFixture : public LogicFixture {
protected:
    void TearDown() override {
        RestoreDefaultTileFunctions();
        LogicFixture::TearDown();
    }

    // Every record once, the counts equal to the held records.
    static void ExpectConservation(const CMahjongTableLogic& table) {
        std::set<int> ids;
        PerChair<HandCounts> held{};
        for (const CardRecord& record : table.Wall()) {
            EXPECT_TRUE(ids.insert(record.id).second) << "tile " << record.id << " twice";
            if (record.state == kCardInHand) {
                ASSERT_TRUE(table.IsValidSeat(record.owner)) << record.id;
                ++held[record.owner][table.IndexOf(record.id)];
            }
        }
        for (int seat = 0; seat < table.PlayerCount(); ++seat) {
            EXPECT_EQ(table.Counts(seat), held[seat]) << "seat " << seat;
        }
    }
};
