// The test server's engine hand, driven by a client written here that
// speaks the table protocol's records over a recording wire.

#include "tools/test_server/RegionalEngineHand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "mahjong_client/TableProtocol.h"
#include "tests/game/e2e/EngineHand.h"
#include "tests/game/support/ProgramFolder.h"
#include "tools/table_driver/TableDriver.h"

namespace {

namespace tp = table_protocol;
using testserver::RegionalEngineHand;

constexpr uint32_t kWaitMs = 10000;

// What the hand sent: notifications in order, replies by request sequence.
class RecordingWire {
public:
    RegionalEngineHand::Wire Wire() {
        RegionalEngineHand::Wire wire;
        wire.reply = [this](uint32_t sequence, uint32_t code, std::vector<uint8_t> data) {
            std::lock_guard lock(mutex_);
            replies_[sequence] = {code, std::move(data)};
            changed_.notify_all();
        };
        wire.notify = [this](uint32_t id, std::vector<uint8_t> data) {
            std::lock_guard lock(mutex_);
            notices_.push_back({id, std::move(data)});
            changed_.notify_all();
        };
        return wire;
    }
    struct Sent {
        uint32_t code = 0;
        std::vector<uint8_t> data;
    };
    bool WaitReply(uint32_t sequence, Sent& out) {
        std::unique_lock lock(mutex_);
        const bool came = changed_.wait_for(lock, std::chrono::milliseconds(kWaitMs),
                                            [&] { return replies_.count(sequence) != 0; });
        if (came) {
            out = replies_[sequence];
        }
        return came;
    }
    bool HasReply(uint32_t sequence) {
        std::lock_guard lock(mutex_);
        return replies_.count(sequence) != 0;
    }
    // Waits for the n-th notice (0-based) and answers it.
    bool WaitNotice(size_t n, Sent& out, uint32_t timeoutMs = kWaitMs) {
        std::unique_lock lock(mutex_);
        const bool came = changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                            [&] { return notices_.size() > n; });
        if (came) {
            out = notices_[n];
        }
        return came;
    }
    std::vector<uint32_t> NoticeIds() {
        std::lock_guard lock(mutex_);
        std::vector<uint32_t> ids;
        for (const Sent& s : notices_) {
            ids.push_back(s.code);
        }
        return ids;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<uint32_t, Sent> replies_;
    std::vector<Sent> notices_;
};

class EngineHandTest : public ::testing::Test {
protected:
    EngineHandTest() : sources_(7), hand_(wire_.Wire(), Options()) {}

    static RegionalEngineHand::Options Options() {
        RegionalEngineHand::Options options;
        options.testDealReplay = false;
        return options;
    }

    uint32_t Send(uint32_t id, const std::vector<uint8_t>& body) {
        hand_.OnRequest(++sequence_, id, body);
        return sequence_;
    }
    static std::vector<uint8_t> Play(int32_t tile,
                                     std::array<int32_t, 3> handTiles = {-1, -1, -1}) {
        tp::OperationRecord play;
        play.head.chair = 0;
        play.offerChair = 0;
        play.tile = tile;
        play.handTiles = handTiles;
        return tp::WriteTableRecord(play);
    }
    // Three own tiles of one suit (id / 36 is the suit).
    std::array<int32_t, 3> SwapChoice() {
        const std::vector<int32_t> own = hand_.SeatTiles(0);
        for (int suit = 0; suit < 3; ++suit) {
            std::vector<int32_t> of;
            for (int32_t id : own) {
                if (id / 36 == suit) {
                    of.push_back(id);
                }
            }
            if (of.size() >= 3) {
                return {of[0], of[1], of[2]};
            }
        }
        return {-1, -1, -1};
    }
    bool OwnTurn() {
        const std::vector<std::string> ops = hand_.Operations();
        return hand_.CurrentSeat() == 0 && !ops.empty() &&
               (ops.back() == "SelfOptions" || ops.back() == "StartPlayAfterSwap");
    }

    ScopedDriverSources sources_;
    RecordingWire wire_;
    RegionalEngineHand hand_;
    uint32_t sequence_ = 0;
};

TEST_F(EngineHandTest, TheClientsRequestsPlayItsSeatThroughAWholeHand) {
    hand_.Start();
    RecordingWire::Sent start;
    ASSERT_TRUE(wire_.WaitNotice(0, start));
    ASSERT_EQ(start.code, static_cast<uint32_t>(tp::kHandStart));
    ASSERT_EQ(start.data.size(), 952u);
    EXPECT_EQ(tp::WordAt(start.data, 27), 1);
    EXPECT_EQ(tp::WordAt(start.data, 36), tp::kNoTile);

    // Out of turn, a draw is refused with the draw's own code.
    RecordingWire::Sent reply;
    ASSERT_TRUE(wire_.WaitReply(Send(tp::kOwnDraw, std::vector<uint8_t>(96, 0)), reply));
    EXPECT_EQ(reply.code, tp::kResultDrawRefused);
    // A choice of two suits is taken as done and replaced by the automatic
    // choice, so the exchange goes on.
    const std::array<int32_t, 3> choice = SwapChoice();
    ASSERT_GE(choice[0], 0);
    tp::SwapThreeRequest swap;
    swap.chairTiles[0] = choice[0];
    swap.chairTiles[1] = choice[1];
    swap.chairTiles[2] = 200;
    ASSERT_TRUE(wire_.WaitReply(Send(tp::kSwapThree, tp::WriteTableRecord(swap)), reply));
    EXPECT_EQ(reply.code, tp::kResultDone);

    // Every turn: draw when due, then throw the tile held longest; every
    // offer passes.
    size_t seen = 0;
    bool sawDice = false;
    int ownThrows = 0;
    bool refusedOnce = false;
    while (!hand_.WaitForEnd(1)) {
        RecordingWire::Sent notice;
        while (wire_.WaitNotice(seen, notice, 20)) {
            ++seen;
            if (notice.code == static_cast<uint32_t>(tp::kSwapDice)) {
                sawDice = true;
            }
            if (notice.code == static_cast<uint32_t>(tp::kCardThrown) &&
                tp::WordAt(notice.data, 6) != 0 && tp::WordAt(notice.data, 1) != 0) {
                Send(tp::kPass, Play(tp::WordAt(notice.data, 21)));
            }
            if (notice.code == static_cast<uint32_t>(tp::kGangHuNotice) &&
                (tp::WordAt(notice.data, 4) & tp::kOptionHu) != 0) {
                Send(tp::kPass, Play(tp::WordAt(notice.data, 2)));
            }
            if (notice.code == static_cast<uint32_t>(tp::kHandResult)) {
                break;
            }
            if (OwnTurn()) {
                break;
            }
        }
        if (!OwnTurn()) {
            if (hand_.WaitForEnd(20)) {
                break;
            }
            continue;
        }
        std::vector<int32_t> own = hand_.SeatTiles(0);
        const std::vector<std::string> ops = hand_.Operations();
        if (ops.size() >= 2 && ops[ops.size() - 2] == "DrawFront") {
            const int32_t pending = hand_.PendingOwnDraw();
            EXPECT_NE(std::find(own.begin(), own.end(), pending), own.end());
            ASSERT_TRUE(wire_.WaitReply(Send(tp::kOwnDraw, std::vector<uint8_t>(96, 0)), reply));
            ASSERT_EQ(reply.code, tp::kResultDone);
            tp::DrawReply draw;
            ASSERT_TRUE(tp::ReadTableRecord(reply.data, draw));
            own = hand_.SeatTiles(0);
            EXPECT_NE(std::find(own.begin(), own.end(), draw.tile), own.end());
            EXPECT_EQ(draw.tile, pending);
            EXPECT_EQ(hand_.PendingOwnDraw(), -1);
            EXPECT_GE(draw.wallIndex, 0);
            EXPECT_LT(draw.wallIndex, 108);
        }
        if (!refusedOnce) {
            // A tile the seat does not hold is refused; the turn stays.
            refusedOnce = true;
            int32_t foreign = 0;
            while (std::find(own.begin(), own.end(), foreign) != own.end()) {
                ++foreign;
            }
            ASSERT_TRUE(wire_.WaitReply(Send(tp::kDiscard, Play(foreign)), reply));
            EXPECT_EQ(reply.code, tp::kResultNotCarriedOut);
            ASSERT_TRUE(wire_.WaitReply(Send(tp::kDiscard, std::vector<uint8_t>(12, 0)), reply));
            EXPECT_EQ(reply.code, tp::kResultNotCarriedOut);
        }
        const int32_t thrown = own.front();
        ASSERT_TRUE(wire_.WaitReply(Send(tp::kDiscard, Play(thrown)), reply));
        EXPECT_EQ(reply.code, tp::kResultDone);
        ++ownThrows;
        own = hand_.SeatTiles(0);
        EXPECT_EQ(std::find(own.begin(), own.end(), thrown), own.end());
        // The reply comes once the engine has the discard.
        const std::vector<std::string> after = hand_.Operations();
        ASSERT_GT(after.size(), ops.size());
        EXPECT_EQ(after[ops.size()], "Discard");
    }
    EXPECT_TRUE(hand_.Played());
    EXPECT_TRUE(sawDice);
    EXPECT_GT(ownThrows, 0);
    const std::vector<uint32_t> ids = wire_.NoticeIds();
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(ids.back(), static_cast<uint32_t>(tp::kHandResult));
    // Every chair's exchange choice is announced, the client's own too.
    EXPECT_EQ(std::count(ids.begin(), ids.end(), static_cast<uint32_t>(tp::kSwapReady)), 4);
}

TEST_F(EngineHandTest, StoppingEndsTheWaitForTheClient) {
    hand_.Start();
    RecordingWire::Sent start;
    ASSERT_TRUE(wire_.WaitNotice(0, start));
    hand_.Stop();
    EXPECT_TRUE(hand_.WaitForEnd(kWaitMs));
}

TEST_F(EngineHandTest, RequestsOfOtherKindsAreLeftToTheFrame) {
    EXPECT_FALSE(hand_.OnRequest(1, 200110, {}));
    EXPECT_FALSE(hand_.OnRequest(2, 201160, {}));
    EXPECT_TRUE(hand_.OnRequest(3, tp::kPass, {}));
}

// On the whole hand's wall, with the robots held: the peng's reply is the
// engine's ting information, the ready throw is taken, and the draws are
// operation replies of the short form.
class WholeHandWallTest : public ::testing::Test {
protected:
    WholeHandWallTest()
        : folder_(game_test::ProgramFolderOptions{.skin = false}), hand_(wire_.Wire(), Options()) {}

    static RegionalEngineHand::Options Options() {
        RegionalEngineHand::Options options;
        options.seed = game_test::kWholeHandSeed;
        options.robotsHeld = true;
        options.moves = {{2, SeatActionKind::kDiscard, 22}};
        return options;
    }
    void SetUp() override {
        std::string total;
        for (int32_t id : game_test::kWholeHandWall) {
            total += std::to_string(id) + "|";
        }
        ASSERT_TRUE(folder_.Write("test.ini", "[Card]\r\nMade=1\r\nTotal=" + total + "\r\n"));
    }
    uint32_t Send(uint32_t id, const std::vector<uint8_t>& body) {
        hand_.OnRequest(++sequence_, id, body);
        return sequence_;
    }
    static std::vector<uint8_t> Play(int32_t offerChair, int32_t tile,
                                     std::array<int32_t, 3> handTiles = {-1, -1, -1}) {
        tp::OperationRecord play;
        play.offerChair = offerChair;
        play.tile = tile;
        play.handTiles = handTiles;
        return tp::WriteTableRecord(play);
    }
    // The index of the first notice of that id at or after `from`.
    bool WaitFor(uint32_t id, size_t from, size_t& at, uint32_t timeoutMs = kWaitMs) {
        for (size_t n = from;; ++n) {
            RecordingWire::Sent notice;
            if (!wire_.WaitNotice(n, notice, timeoutMs)) {
                return false;
            }
            if (notice.code == id) {
                at = n;
                return true;
            }
        }
    }

    game_test::ProgramFolder folder_;
    RecordingWire wire_;
    RegionalEngineHand hand_;
    uint32_t sequence_ = 0;
};

TEST_F(WholeHandWallTest, ThePengRepliesWithTheEnginesTingListAndHeldRobotsWait) {
    hand_.Start();
    size_t at = 0;
    ASSERT_TRUE(WaitFor(static_cast<uint32_t>(tp::kHandStart), 0, at));
    tp::SwapThreeRequest swap;
    swap.chairTiles[0] = 72;
    swap.chairTiles[1] = 73;
    swap.chairTiles[2] = 74;
    RecordingWire::Sent reply;
    ASSERT_TRUE(wire_.WaitReply(Send(tp::kSwapThree, tp::WriteTableRecord(swap)), reply));
    EXPECT_EQ(reply.code, tp::kResultDone);
    // The robots chose their exchange; their first play waits.
    ASSERT_TRUE(WaitFor(static_cast<uint32_t>(tp::kSwapDice), at, at));
    RecordingWire::Sent none;
    EXPECT_FALSE(wire_.WaitNotice(at + 1, none, 300));
    hand_.HoldRobots(false);
    ASSERT_TRUE(WaitFor(static_cast<uint32_t>(tp::kCardThrown), at, at));
    wire_.WaitNotice(at, reply);
    EXPECT_EQ(tp::WordAt(reply.data, 1), 2);
    EXPECT_EQ(tp::WordAt(reply.data, 21), 22);
    EXPECT_NE(tp::WordAt(reply.data, 6) & tp::kOptionPeng, 0);

    ASSERT_TRUE(wire_.WaitReply(Send(tp::kPengClaim, Play(2, 22, {4, 13, -1})), reply));
    ASSERT_EQ(reply.code, tp::kResultDone);
    ASSERT_EQ(reply.data.size(), tp::kTingInfoBytes);
    tp::TingInfo ting;
    ASSERT_TRUE(tp::ReadTableRecord(reply.data, ting));
    EXPECT_EQ(ting.options, tp::kOptionTing);
    std::vector<int32_t> candidates;
    for (int32_t id : ting.candidates) {
        if (id >= 0) {
            candidates.push_back(id);
        }
    }
    std::sort(candidates.begin(), candidates.end());
    EXPECT_EQ(candidates, (std::vector<int32_t>{44, 80}));
    // Throwing 80 waits on B9 (index 19 of the engine's kinds).
    const size_t k80 = static_cast<size_t>(
        std::find(ting.candidates.begin(), ting.candidates.end(), 80) - ting.candidates.begin());
    EXPECT_NE(ting.table[k80 * 64 + 19], 0);

    tp::TingThrowRecord declare;
    declare.tile = 80;
    std::vector<uint8_t> body = tp::WriteTableRecord(declare);
    body.resize(tp::TingThrowRecord::SentBytes(1));
    ASSERT_TRUE(wire_.WaitReply(Send(tp::kTingThrow, body), reply));
    EXPECT_EQ(reply.code, tp::kResultDone);
    ASSERT_TRUE(WaitFor(static_cast<uint32_t>(tp::kTingThrowNotice), at, at));

    // Three robot turns, then the own draw: the fourth A5 with the gang.
    // (the own draw sends no notice: the wait is on a notice that never comes)
    for (int slice = 0; slice < 500 && hand_.PendingOwnDraw() < 0; ++slice) {
        wire_.WaitNotice(1u << 20, none, 20);
    }
    ASSERT_EQ(hand_.PendingOwnDraw(), 31);
    ASSERT_TRUE(wire_.WaitReply(Send(tp::kOwnDraw, std::vector<uint8_t>(96, 0)), reply));
    ASSERT_EQ(reply.code, tp::kResultDone);
    EXPECT_EQ(reply.data.size(), tp::kOperationReplyShortBytes);
    tp::OperationReply draw;
    ASSERT_TRUE(tp::ReadTableRecord(reply.data, draw));
    EXPECT_EQ(draw.tile, 31);
    EXPECT_EQ(draw.wallIndex, 56);
    EXPECT_EQ(draw.options, tp::kOptionGang);
    hand_.Stop();
    EXPECT_TRUE(hand_.WaitForEnd(kWaitMs));
}

}  // namespace
