// The table server's faults made on purpose (--fault), seen on a raw
// connection: each acts once, at the reply to the human's first accepted
// discard (or the draw notice after it), goes out as meant, and leaves the
// server serving: the connection kept unless the fault ends it, no fault of
// its own, and the next connection served as usual.

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <vector>

#include "frame/net/FrameRequests.h"
#include "mahjong_client/TableProtocol.h"
#include "platform/Sync.h"
#include "tests/support/WirePlayer.h"
#include "tests/tools/server/RawFrames.h"
#include "tools/test_server/FaultPlan.h"
#include "tools/test_server/TableServer.h"
#include "zep/ZepWire.h"

namespace {

namespace fr = frame_requests;
namespace tp = table_protocol;
using servertest::RawConnection;
using servertest::RawMessage;
using testserver::FaultPlan;
using testserver::TableServer;
using testserver::TestGameServer;

constexpr uint32_t kDeadlineMs = 20000;
constexpr tp::RequestHead kSeat{5, 0, 0, 2};
constexpr int32_t kRefusedTile = 99;  // the loop refuses a discard of it
constexpr uint32_t kDiscardSequence = 3;

// A hand as far as the faults need it: a discard is answered 10 and
// announced (222170), then a robot draws (229160); a discard of kRefusedTile
// is refused.
class DiscardLoop : public TableServer::HandLoop {
public:
    void StartHand(TableServer& table) override { table.SetHandRunning(true); }
    void OnPlayRequest(TableServer& table, const testserver::ServerRequest& request) override {
        const std::span<const uint8_t> body(request.message.data, request.message.length);
        const int32_t tile = tp::WordAt(body, 5);
        if (tile == kRefusedTile) {
            table.Reply(request, tp::kResultNotCarriedOut);
            return;
        }
        table.Reply(request, tp::kResultDone);
        tp::CardThrownNotice thrown;
        thrown.thrower = table.HumanChair();
        thrown.tile = tile;
        table.Notify(static_cast<uint32_t>(tp::kCardThrown), tp::WriteTableRecord(thrown));
        tp::SeatDrawNotice drawn;
        drawn.chair = (table.HumanChair() + 1) % TableServer::kSeats;
        drawn.wallIndex = 17;
        table.Notify(static_cast<uint32_t>(tp::kSeatDraw), tp::WriteTableRecord(drawn));
    }
    void Abandon() override {}
};

std::vector<uint8_t> DiscardBody(int32_t tile) {
    std::vector<uint8_t> body(tp::OperationRecord::kSize);
    ZepWireWriter writer(body);
    writer.WriteI32(kSeat.userId);
    writer.WriteI32(kSeat.roomId);
    writer.WriteI32(kSeat.tableNo);
    writer.WriteI32(kSeat.chair);
    writer.WriteI32(kSeat.chair);
    writer.WriteI32(tile);
    return body;
}

template <typename Done>
bool WaitUntil(Done done, uint32_t realMs = kDeadlineMs) {
    for (uint32_t waited = 0; waited < realMs; waited += 5) {
        if (done()) {
            return true;
        }
        platform::SleepMs(5);
    }
    return done();
}

class TableFaultsTest : public ::testing::Test {
protected:
    // A table making that fault, on the test's clock.
    void Open(FaultPlan::Kind fault) {
        TableServer::Options options;
        options.testMode = true;
        options.fault = fault;
        options.clock = [this] { return clockMs_.load(); };
        options.log = [this](const std::string& line) {
            if (line.rfind("fault ", 0) == 0) {
                std::lock_guard lock(mutex_);
                faultLines_.push_back(line);
            }
        };
        server_.emplace(TableServer::TransportOptions(true));
        table_.emplace(*server_, options);
        table_->SetHandLoop(&loop_);
        ASSERT_TRUE(server_->Start());
    }
    void TearDown() override {
        if (table_) {
            table_->SetHandLoop(nullptr);
        }
        table_.reset();
        server_.reset();
    }

    // Enters, starts the hand and takes every message up to it.
    static void Seat(RawConnection& raw) {
        ASSERT_TRUE(raw.SendGreeting());
        ASSERT_TRUE(raw.SendRequest(1, 1, fr::kEnterGame, servertest::EnterBody(kSeat)));
        for (int k = 0; k < 7; ++k) {  // the reply, each robot's entry and ready
            ASSERT_TRUE(raw.ReadMessage()) << k;
        }
        ASSERT_TRUE(raw.SendRequest(2, 0, fr::kStartGame, servertest::HeadBody(kSeat)));
        const std::optional<RawMessage> started = raw.ReadMessage();
        ASSERT_TRUE(started);
        ASSERT_EQ(started->id, static_cast<uint32_t>(tp::kSeatStarted));
    }
    static void Discard(RawConnection& raw, uint32_t sequence, int32_t tile = 12) {
        ASSERT_TRUE(raw.SendRequest(sequence, 1, tp::kDiscard, DiscardBody(tile)));
    }
    // Seats the connection, discards and reads the length field that starts
    // the reply's frame.
    static void SeatDiscardAndReadReplyLength(RawConnection& raw, uint32_t& length) {
        Seat(raw);
        Discard(raw, kDiscardSequence);
        const std::vector<uint8_t> lengthBytes = raw.ReadBytes(4);
        ASSERT_EQ(lengthBytes.size(), 4u);
        ZepWireReader(lengthBytes).ReadU32(length);
    }
    // The next message, expected with that type, id and sequence (0: any).
    static void Expect(RawConnection& raw, uint32_t type, uint32_t id, uint32_t sequence = 0) {
        const std::optional<RawMessage> message = raw.ReadMessage();
        ASSERT_TRUE(message) << "no message " << id;
        EXPECT_EQ(message->type, type);
        EXPECT_EQ(message->id, id);
        if (sequence != 0) {
            EXPECT_EQ(message->messageSequence, sequence);
        }
    }
    // A discard whose reply the fault keeps back: its news comes at once.
    static void DiscardAndExpectItsNewsOnly(RawConnection& raw) {
        Discard(raw, kDiscardSequence);
        Expect(raw, kZepFrameTypeMessage, static_cast<uint32_t>(tp::kCardThrown));
        Expect(raw, kZepFrameTypeMessage, static_cast<uint32_t>(tp::kSeatDraw));
    }
    // A discard as the unfaulted table answers it: its reply, then its news.
    static void ExpectPlainDiscard(RawConnection& raw, uint32_t sequence) {
        Expect(raw, kZepFrameTypeReply, tp::kResultDone, sequence);
        Expect(raw, kZepFrameTypeMessage, static_cast<uint32_t>(tp::kCardThrown));
        Expect(raw, kZepFrameTypeMessage, static_cast<uint32_t>(tp::kSeatDraw));
    }
    void ExpectServerWhole() {
        EXPECT_EQ(server_->ProtocolErrors(), 0u);
        EXPECT_EQ(server_->SendFaults(), 0u);
    }
    std::vector<std::string> FaultLines() {
        std::lock_guard lock(mutex_);
        return faultLines_;
    }

    DiscardLoop loop_;
    std::atomic<uint64_t> clockMs_ = 1000;
    std::mutex mutex_;
    std::vector<std::string> faultLines_;  // guarded by mutex_
    std::optional<TestGameServer> server_;
    std::optional<TableServer> table_;
};

TEST(FaultPlanNames, EveryKindReadsBackFromItsNameAndUnknownNamesAreRefused) {
    for (FaultPlan::Kind kind :
         {FaultPlan::Kind::kClose, FaultPlan::Kind::kWithholdDiscardReply,
          FaultPlan::Kind::kLateDiscardReply, FaultPlan::Kind::kBadCrc, FaultPlan::Kind::kBadLength,
          FaultPlan::Kind::kTruncatedDrawCopy}) {
        const std::string_view name = FaultPlan::NameOf(kind);
        EXPECT_EQ(FaultPlan::Parse(name), kind) << name;
        EXPECT_NE(FaultPlan::Names().find(name), std::string::npos) << name;
    }
    EXPECT_FALSE(FaultPlan::Parse("none"));
    EXPECT_FALSE(FaultPlan::Parse("close "));
    EXPECT_FALSE(FaultPlan::Parse(""));
}

TEST_F(TableFaultsTest, CloseEndsTheConnectionAfterTheReplyAndTheNextClientPlaysUnfaulted) {
    Open(FaultPlan::Kind::kClose);
    {
        RawConnection raw(server_->Port(), kDeadlineMs);
        Seat(raw);
        Discard(raw, kDiscardSequence);
        Expect(raw, kZepFrameTypeReply, tp::kResultDone, kDiscardSequence);
        EXPECT_FALSE(raw.ReadMessage()) << "the stream goes on after the close";
        ASSERT_TRUE(WaitUntil([this] { return table_->Resets() == 1; }));
        EXPECT_FALSE(table_->HandRunning());
        EXPECT_EQ(table_->ReadyChairs(), (std::array<bool, 4>{}));
    }
    RawConnection next(server_->Port(), kDeadlineMs);
    Seat(next);
    Discard(next, kDiscardSequence);
    ExpectPlainDiscard(next, kDiscardSequence);
    EXPECT_EQ(FaultLines().size(), 1u);
    ExpectServerWhole();
}

TEST_F(TableFaultsTest, AWithheldReplyNeverComesYetTheDiscardIsAnnouncedAndTheNextOneIsAnswered) {
    Open(FaultPlan::Kind::kWithholdDiscardReply);
    RawConnection raw(server_->Port(), kDeadlineMs);
    Seat(raw);
    DiscardAndExpectItsNewsOnly(raw);
    // Not even after the client's clock would have given up.
    clockMs_ += 60000;
    table_->Wake();
    ASSERT_TRUE(table_->WaitIdle(kDeadlineMs));
    Discard(raw, kDiscardSequence + 1);
    ExpectPlainDiscard(raw, kDiscardSequence + 1);
    EXPECT_EQ(FaultLines().size(), 1u);
    EXPECT_EQ(table_->Resets(), 0u);
    ExpectServerWhole();
}

TEST_F(TableFaultsTest, ALateReplyGoesOutSixSecondsOnTheTablesClockAfterTheDiscardsNews) {
    Open(FaultPlan::Kind::kLateDiscardReply);
    RawConnection raw(server_->Port(), kDeadlineMs);
    Seat(raw);
    DiscardAndExpectItsNewsOnly(raw);
    ASSERT_TRUE(table_->WaitIdle(kDeadlineMs));
    ASSERT_TRUE(table_->NextTimerDueMs());
    EXPECT_EQ(*table_->NextTimerDueMs(), clockMs_ + FaultPlan::kLateReplyMs);

    clockMs_ += FaultPlan::kLateReplyMs - 1;
    table_->Wake();
    ASSERT_TRUE(table_->WaitIdle(kDeadlineMs));
    EXPECT_TRUE(table_->NextTimerDueMs()) << "sent a millisecond early";
    clockMs_ += 1;
    table_->Wake();
    Expect(raw, kZepFrameTypeReply, tp::kResultDone, kDiscardSequence);
    EXPECT_EQ(FaultLines().size(), 2u);  // held back, then sent
    ExpectServerWhole();
}

TEST_F(TableFaultsTest, ALateReplyIsDroppedWhenTheTableResetsFirst) {
    Open(FaultPlan::Kind::kLateDiscardReply);
    {
        RawConnection raw(server_->Port(), kDeadlineMs);
        Seat(raw);
        Discard(raw, kDiscardSequence);
        Expect(raw, kZepFrameTypeMessage, static_cast<uint32_t>(tp::kCardThrown));
    }
    ASSERT_TRUE(WaitUntil([this] { return table_->Resets() == 1; }));
    EXPECT_FALSE(table_->NextTimerDueMs());
    RawConnection next(server_->Port(), kDeadlineMs);
    Seat(next);
    clockMs_ += FaultPlan::kLateReplyMs;
    table_->Wake();
    Discard(next, kDiscardSequence);
    ExpectPlainDiscard(next, kDiscardSequence);
}

TEST_F(TableFaultsTest, ABadCrcFrameCarriesAValidLengthAndAWrongCrc) {
    Open(FaultPlan::Kind::kBadCrc);
    RawConnection raw(server_->Port(), kDeadlineMs);
    uint32_t length = 0;
    ASSERT_NO_FATAL_FAILURE(SeatDiscardAndReadReplyLength(raw, length));
    ASSERT_TRUE(ZepIsFrameLengthValid(length, kZepMaxPieceSize)) << length;
    const std::vector<uint8_t> frame = raw.ReadBytes(length);
    ASSERT_EQ(frame.size(), length);
    const std::optional<ZepFrameHeader> header = ZepFrameHeader::Read(frame);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->type, kZepFrameTypeReply);
    EXPECT_EQ(header->messageSequence, kDiscardSequence);
    EXPECT_EQ(header->crcFlag, 1u);
    EXPECT_FALSE(ZepValidateFrame(frame, kZepMaxPieceSize));
    // The rest of the stream is whole again.
    Expect(raw, kZepFrameTypeMessage, static_cast<uint32_t>(tp::kCardThrown));
    ExpectServerWhole();
}

TEST_F(TableFaultsTest, ABadLengthFrameStartsWithALengthNoFrameMayCarry) {
    Open(FaultPlan::Kind::kBadLength);
    RawConnection raw(server_->Port(), kDeadlineMs);
    uint32_t length = 0;
    ASSERT_NO_FATAL_FAILURE(SeatDiscardAndReadReplyLength(raw, length));
    EXPECT_FALSE(ZepIsFrameLengthValid(length, kZepMaxPieceSize)) << length;
    EXPECT_EQ(FaultLines().size(), 1u);
    ExpectServerWhole();
}

TEST_F(TableFaultsTest, ATruncatedCopyFollowsTheFirstDrawNoticeAfterTheDiscardOnce) {
    Open(FaultPlan::Kind::kTruncatedDrawCopy);
    RawConnection raw(server_->Port(), kDeadlineMs);
    Seat(raw);
    Discard(raw, kDiscardSequence);
    ExpectPlainDiscard(raw, kDiscardSequence);
    const std::optional<RawMessage> copy = raw.ReadMessage();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->type, kZepFrameTypeMessage);
    EXPECT_EQ(copy->id, static_cast<uint32_t>(tp::kSeatDraw));
    EXPECT_EQ(copy->length, tp::SeatDrawNotice::kSize / 2);

    Discard(raw, kDiscardSequence + 1);
    ExpectPlainDiscard(raw, kDiscardSequence + 1);
    ASSERT_TRUE(table_->WaitIdle(kDeadlineMs));
    // Nothing more: the next message is the reply to a new request.
    ASSERT_TRUE(
        raw.SendRequest(kDiscardSequence + 2, 1, fr::kQueryInGame, servertest::HeadBody(kSeat)));
    Expect(raw, kZepFrameTypeReply, fr::kResultGameRunning, kDiscardSequence + 2);
    ExpectServerWhole();
}

TEST_F(TableFaultsTest, ARefusedDiscardIsLeftAloneAndTheNextAcceptedOneTakesTheFault) {
    Open(FaultPlan::Kind::kWithholdDiscardReply);
    RawConnection raw(server_->Port(), kDeadlineMs);
    Seat(raw);
    Discard(raw, kDiscardSequence, kRefusedTile);
    Expect(raw, kZepFrameTypeReply, tp::kResultNotCarriedOut, kDiscardSequence);
    EXPECT_TRUE(FaultLines().empty());
    Discard(raw, kDiscardSequence + 1);
    Expect(raw, kZepFrameTypeMessage, static_cast<uint32_t>(tp::kCardThrown));
    EXPECT_EQ(FaultLines().size(), 1u);
}

}  // namespace
