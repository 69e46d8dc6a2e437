// The test server's engine hand over a session of hands: the next hand is
// dealt only once the client is ready again, after the robots' ready marks,
// from the wall put in place before its deal.

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "mahjong_client/TableProtocol.h"
#include "tests/game/e2e/SessionWalls.h"
#include "tests/game/support/ProgramFolder.h"
#include "tools/table_driver/TableDriver.h"
#include "tools/test_server/RegionalEngineHand.h"

namespace {

namespace tp = table_protocol;
using testserver::RegionalEngineHand;

constexpr uint32_t kWaitMs = 10000;

// The notices the hand sent, in order.
class NoticeLog {
public:
    RegionalEngineHand::Wire Wire() {
        RegionalEngineHand::Wire wire;
        wire.reply = [](uint32_t, uint32_t, std::vector<uint8_t>) {};
        wire.notify = [this](uint32_t id, std::vector<uint8_t> data) {
            std::lock_guard lock(mutex_);
            notices_.push_back({id, std::move(data)});
            changed_.notify_all();
        };
        return wire;
    }
    // Waits for the count-th notice of the id; its place in the log, or -1.
    int WaitFor(int32_t id, int count = 1) {
        std::unique_lock lock(mutex_);
        int place = -1;
        changed_.wait_for(lock, std::chrono::milliseconds(kWaitMs), [&] {
            int seen = 0;
            for (size_t k = 0; k < notices_.size(); ++k) {
                if (notices_[k].first == static_cast<uint32_t>(id) && ++seen == count) {
                    place = static_cast<int>(k);
                    return true;
                }
            }
            return false;
        });
        return place;
    }
    std::pair<uint32_t, std::vector<uint8_t>> At(int place) {
        std::lock_guard lock(mutex_);
        return notices_.at(static_cast<size_t>(place));
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> notices_;
};

std::string DealFile(const std::vector<int32_t>& wall) {
    std::string total;
    for (int32_t entry : wall) {
        total += std::to_string(entry) + "|";
    }
    return "[Card]\r\nMade=1\r\nTotal=" + total + "\r\n";
}

TEST(EngineHandSessionTest, TheNextHandIsDealtOnlyOnceTheClientIsReadyAgain) {
    game_test::ProgramFolderOptions folderOptions;
    folderOptions.skin = false;
    game_test::ProgramFolder folder(folderOptions);
    ASSERT_TRUE(folder.Ok()) << folder.Error();
    ASSERT_TRUE(folder.Write("test.ini", DealFile(game_test::kFirstWall)));
    ScopedDriverSources sources(1);

    NoticeLog log;
    std::mutex dealsLock;
    std::vector<int> deals;
    RegionalEngineHand::Options options;
    options.roomId = 300;
    options.tableNo = 6;
    options.hands = 2;
    options.moves = {{3, SeatActionKind::kSelfDrawnHu, -1}};
    options.beforeHand = [&](int hand) {
        std::lock_guard lock(dealsLock);
        deals.push_back(hand);
        if (hand == 1) {
            folder.Write("test.ini", DealFile(game_test::WallOf({})));
        }
    };
    RegionalEngineHand hand(log.Wire(), options);
    hand.Start();
    ASSERT_GE(log.WaitFor(tp::kHandStart), 0);
    tp::SwapThreeRequest swap;
    for (size_t i = 0; i < 3; ++i) {
        swap.chairTiles[i] = game_test::kFirstChoice[i];
    }
    hand.OnRequest(1, tp::kSwapThree, tp::WriteTableRecord(swap));

    // The banker completes its hand at once.
    const int result = log.WaitFor(tp::kHandResult);
    ASSERT_GE(result, 0);
    {
        std::lock_guard lock(dealsLock);
        EXPECT_EQ(deals, std::vector<int>{0});
    }
    const std::vector<std::string> ops = hand.Operations();
    EXPECT_NE(std::find(ops.begin(), ops.end(), "ResolveHu self-drawn"), ops.end());

    // The robots start the next hand with the result, before the human.
    ASSERT_EQ(log.WaitFor(tp::kSeatStarted, 3), result + 3);
    hand.ClientReady();
    const int second = log.WaitFor(tp::kHandStart, 2);
    ASSERT_GE(second, 0);
    // Between the result and the deal: the robots' ready marks, chairs 1-3.
    ASSERT_EQ(second - result, 4);
    for (int chair = 1; chair <= 3; ++chair) {
        const auto notice = log.At(result + chair);
        EXPECT_EQ(notice.first, static_cast<uint32_t>(tp::kSeatStarted));
        tp::SeatStartedNotice ready;
        ASSERT_TRUE(tp::ReadTableRecord(notice.second, ready));
        EXPECT_EQ(ready.head.chair, chair);
        EXPECT_EQ(ready.head.roomId, 300);
    }
    {
        std::lock_guard lock(dealsLock);
        EXPECT_EQ(deals, (std::vector<int>{0, 1}));
    }
    // The second deal is the wall written for it: 0..107 in order.
    std::vector<int32_t> own = hand.SeatTiles(0);
    std::sort(own.begin(), own.end());
    EXPECT_EQ(own, (std::vector<int32_t>{58, 59, 60, 61, 74, 75, 76, 77, 90, 91, 92, 93, 98}));
    hand.Stop();
}

}  // namespace
