// How the table server cuts what it sends, seen on a raw connection: large
// records in pieces of the channel's size, each message's pieces together
// even when two threads send at once, and a reply before the notifications
// that follow from it.

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include "frame/net/FrameRequests.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/support/WirePlayer.h"
#include "tests/tools/server/RawFrames.h"
#include "tools/test_server/TableServer.h"

namespace {

namespace fr = frame_requests;
namespace tp = table_protocol;
using servertest::RawConnection;
using servertest::RawMessage;
using testserver::TableServer;
using testserver::TestGameServer;

constexpr uint32_t kDeadlineMs = 20000;

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    }
    return bytes;
}

// A hand loop that sends the largest records of a hand: the exchange's
// record at the start, the 8352-byte operation reply and a draw notice after
// it.
class LargeRecordsLoop : public TableServer::HandLoop {
public:
    void StartHand(TableServer& table) override {
        table.SetHandRunning(true);
        table.Notify(static_cast<uint32_t>(tp::kSwapDice), Pattern(tp::SwapDiceNotice::kSize, 1));
        table.Notify(static_cast<uint32_t>(tp::kSwapDice), Pattern(tp::SwapDiceNotice::kSize, 2));
    }
    void OnPlayRequest(TableServer& table, const testserver::ServerRequest& request) override {
        table.Reply(request, tp::kResultDone, Pattern(tp::kOperationReplyBytes, 3));
        table.Notify(static_cast<uint32_t>(tp::kSeatDraw), Pattern(tp::SeatDrawNotice::kSize, 4));
    }
    void Abandon() override {}
};

constexpr tp::RequestHead kSeat{5, 0, 0, 2};

// Every frame but a message's last carries a whole piece; the pieces count
// up from 1 under the message's sequence.
void ExpectWholePieces(const RawMessage& message, size_t pieces) {
    ASSERT_EQ(message.frames.size(), pieces) << message.id;
    for (size_t k = 0; k < message.frames.size(); ++k) {
        const servertest::RawFrame& frame = message.frames[k];
        EXPECT_EQ(frame.header.pieceIndex, k + 1) << message.id;
        EXPECT_EQ(frame.header.messageSequence, message.messageSequence) << message.id;
        EXPECT_EQ(frame.header.lastPiece, k + 1 == pieces ? 1u : 0u) << message.id;
        if (k + 1 < pieces) {
            EXPECT_EQ(frame.pieceBytes, kZepMaxPieceSize) << message.id;
        }
    }
}

class TableFramesTest : public ::testing::Test {
protected:
    TableFramesTest() : server_(TableServer::TransportOptions(true)), table_(server_, Options()) {
        started_ = server_.Start();
        table_.SetHandLoop(&loop_);
    }
    ~TableFramesTest() override { table_.SetHandLoop(nullptr); }

    static TableServer::Options Options() {
        TableServer::Options options;
        options.testMode = true;
        return options;
    }

    LargeRecordsLoop loop_;
    TestGameServer server_;
    TableServer table_;
    bool started_ = false;
};

TEST_F(TableFramesTest, LargeRecordsGoOutInWholePiecesAndTheReplyBeforeItsNotice) {
    ASSERT_TRUE(started_);
    RawConnection raw(server_.Port(), kDeadlineMs);
    ASSERT_TRUE(raw.SendGreeting());
    ASSERT_TRUE(raw.SendRequest(1, 1, fr::kEnterGame, servertest::EnterBody(kSeat)));
    std::optional<RawMessage> message = raw.ReadMessage();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->type, kZepFrameTypeReply);
    EXPECT_EQ(message->messageSequence, 1u);
    EXPECT_EQ(message->id, fr::kResultEntered);
    for (int k = 0; k < 6; ++k) {
        ASSERT_TRUE(raw.ReadMessage());
    }

    ASSERT_TRUE(raw.SendRequest(2, 0, fr::kStartGame, servertest::HeadBody(kSeat)));
    message = raw.ReadMessage();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->id, static_cast<uint32_t>(tp::kSeatStarted));
    for (int k = 0; k < 2; ++k) {
        message = raw.ReadMessage();
        ASSERT_TRUE(message);
        EXPECT_EQ(message->type, kZepFrameTypeMessage);
        EXPECT_EQ(message->id, static_cast<uint32_t>(tp::kSwapDice));
        EXPECT_EQ(message->length, tp::SwapDiceNotice::kSize);
        ExpectWholePieces(*message, 3);
    }

    ASSERT_TRUE(
        raw.SendRequest(3, 1, tp::kOwnDraw, std::vector<uint8_t>(tp::OwnDrawRecord::kSize)));
    message = raw.ReadMessage();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->type, kZepFrameTypeReply);
    EXPECT_EQ(message->messageSequence, 3u);
    EXPECT_EQ(message->length, tp::kOperationReplyBytes);
    ExpectWholePieces(*message, 3);
    message = raw.ReadMessage();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->id, static_cast<uint32_t>(tp::kSeatDraw));
    ExpectWholePieces(*message, 1);
    EXPECT_EQ(server_.SendFaults(), 0u);
}

TEST_F(TableFramesTest, TwoNotificationsSentAtOnceNeverInterleaveTheirPieces) {
    ASSERT_TRUE(started_);
    RawConnection raw(server_.Port(), kDeadlineMs);
    ASSERT_TRUE(raw.SendGreeting());
    ASSERT_TRUE(raw.SendRequest(1, 1, fr::kEnterGame, servertest::EnterBody(kSeat)));
    for (int k = 0; k < 7; ++k) {
        ASSERT_TRUE(raw.ReadMessage());
    }
    constexpr int kEach = 20;
    const auto send = [this](uint8_t seed) {
        for (int k = 0; k < kEach; ++k) {
            server_.Notify(testserver::MakeMessage(static_cast<uint32_t>(tp::kSwapDice),
                                                   Pattern(tp::SwapDiceNotice::kSize, seed)));
        }
    };
    std::thread first(send, 1);
    std::thread second(send, 2);
    std::map<uint32_t, int> sequences;
    for (int k = 0; k < 2 * kEach; ++k) {
        const std::optional<RawMessage> message = raw.ReadMessage();
        ASSERT_TRUE(message) << k;
        EXPECT_EQ(message->id, static_cast<uint32_t>(tp::kSwapDice));
        ExpectWholePieces(*message, 3);
        ++sequences[message->messageSequence];
    }
    first.join();
    second.join();
    EXPECT_EQ(sequences.size(), 2u * kEach);
}

}  // namespace
