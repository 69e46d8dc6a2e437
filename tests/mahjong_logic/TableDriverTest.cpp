#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "platform/Profile.h"
#include "tests/mahjong_logic/MahjongTestSupport.h"
#include "tools/table_driver/RobotPlayer.h"
#include "tools/table_driver/TableDriver.h"

namespace {

using TableDriverPlay = MahjongFixture;

TableDriverOptions ScoreTable() {
    TableDriverOptions options;
    options.round.scoreBase = 1;
    options.round.minScore = INT_MIN;
    options.round.maxScore = INT_MAX;
    options.round.maxGames = INT_MAX;
    options.round.maxPlayerGames = INT_MAX;
    return options;
}

// Plays hands on a fresh table; per hand its wall in record order, its end
// flags and its banker, and the banker chosen for the next hand.
struct PlayedHands {
    std::vector<std::vector<int32_t>> walls;
    std::vector<uint32_t> endFlags;
    std::vector<int> bankers;
    std::vector<int> nextBankers;
};

PlayedHands Play(int hands, uint64_t seed, const TableDriverOptions& options) {
    PlayedHands played;
    ScopedDriverSources sources(seed);
    CRegionalMahjongRules table;
    RobotPlayer r0(seed + 1), r1(seed + 2), r2(seed + 3), r3(seed + 4);
    TableDriver driver(table, {&r0, &r1, &r2, &r3}, options);
    EXPECT_TRUE(driver.SeatPlayers());
    driver.afterOperation = [&](std::string_view operation) {
        if (operation == "StartGame") {
            std::vector<int32_t> wall;
            for (const CardRecord& record : table.Wall()) {
                wall.push_back(record.id);
            }
            played.walls.push_back(wall);
        } else if (operation == "UpdateBankerStreak") {
            played.nextBankers.push_back(table.Banker());
        }
    };
    for (int hand = 0; hand < hands; ++hand) {
        ScopedDriverSources::SetSalt(seed * 31 + static_cast<uint64_t>(hand));
        const HandOutcome outcome = driver.PlayHand();
        EXPECT_TRUE(outcome.played);
        played.endFlags.push_back(outcome.endFlags);
        played.bankers.push_back(outcome.banker);
    }
    return played;
}

TEST_F(TableDriverPlay, SeededRobotsReplayTheSameHandsAndTheBankerCarriesOver) {
    const PlayedHands first = Play(12, 5, ScoreTable());
    const PlayedHands again = Play(12, 5, ScoreTable());
    EXPECT_EQ(first.walls, again.walls);
    EXPECT_EQ(first.endFlags, again.endFlags);
    ASSERT_EQ(first.walls.size(), 12u);
    EXPECT_NE(first.walls[0], first.walls[1]);  // every hand is shuffled anew
    for (size_t hand = 1; hand < first.bankers.size(); ++hand) {
        EXPECT_EQ(first.bankers[hand], first.nextBankers[hand - 1]) << hand;
    }
    // The deal is never recorded unless asked for.
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "test.ini"));
}

TEST_F(TableDriverPlay, TheRecordedDealIsReplayedWhenAskedFor) {
    TableDriverOptions options = ScoreTable();
    options.testDealReplay = true;
    // With "Made" 0 the first deal is recorded...
    const PlayedHands recorded = Play(1, 9, options);
    ASSERT_TRUE(std::filesystem::exists(folder.Path() + "test.ini"));
    // ...and with "Made" set every hand replays it.
    const std::string path = folder.Path() + "test.ini";
    ASSERT_TRUE(platform::WritePrivateProfileString("Card", "Made", "1", path.c_str()));
    const PlayedHands replayed = Play(3, 77, options);
    ASSERT_EQ(replayed.walls.size(), 3u);
    for (const auto& wall : replayed.walls) {
        EXPECT_EQ(wall, recorded.walls[0]);
    }
}

}  // namespace
