// The regional connection: the request wrapper, the bodies of the regional
// requests and how far a reply is copied into the caller's record.

#include "game/net/RegionalConnection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mahjong_client/TableProtocol.h"
#include "zep/ZepWire.h"

namespace {

namespace tp = table_protocol;

constexpr uint8_t kUntouched = 0xEE;

// A connection whose requests the test answers: every request is written
// down and gets the scripted answer, result and reply.
class ScriptedConnection : public CRegionalConnection {
public:
    struct Sent {
        uint32_t id = 0;
        std::vector<uint8_t> body;
        int wait = 0;
    };

    int ProcessRequest(std::string& text, uint32_t requestId, std::span<const uint8_t> body,
                       uint32_t& result, std::vector<uint8_t>& reply, int wait) override {
        sent.push_back({requestId, {body.begin(), body.end()}, wait});
        text = "answered";
        result = scriptedResult;
        reply = scriptedReply;
        return scriptedAnswer;
    }
    tp::RequestHead MakeRequestHead() override { return head; }

    std::vector<Sent> sent;
    int scriptedAnswer = 1;
    uint32_t scriptedResult = tp::kResultDone;
    std::vector<uint8_t> scriptedReply;
    tp::RequestHead head{5001, 300, 7, 2};
};

// A reply of `size` bytes whose byte i is (i % 251) + 1, with word 3 set.
std::vector<uint8_t> Reply(size_t size, int32_t options) {
    std::vector<uint8_t> reply(size);
    for (size_t i = 0; i < size; ++i) {
        reply[i] = static_cast<uint8_t>(i % 251 + 1);
    }
    if (size >= 16) {
        ZepWireWriter(std::span(reply).subspan(12)).WriteI32(options);
    }
    return reply;
}

// Checks out[0, copied) == reply, out[copied, form) == 0, the rest untouched.
void ExpectCopied(const std::vector<uint8_t>& out, const std::vector<uint8_t>& reply, size_t copied,
                  size_t form) {
    for (size_t i = 0; i < out.size(); ++i) {
        const uint8_t expected = i < copied ? reply[i] : (i < form ? 0 : kUntouched);
        ASSERT_EQ(out[i], expected) << "byte " << i;
    }
}

TEST(RegionalConnection, GameRequestsCountAsSentUnlessAWaitedOneFailed) {
    CRegionalConnection connection;  // never connected
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    EXPECT_EQ(connection.ProcessRequest(text, 229040, {}, result, reply, 0), 1);
    EXPECT_EQ(connection.ProcessRequest(text, 229030, {}, result, reply, 1), 0);
    // 220000 itself and below: the frame's answer unchanged.
    EXPECT_EQ(connection.ProcessRequest(text, 220000, {}, result, reply, 0), 0);
    EXPECT_EQ(connection.ProcessRequest(text, 201160, {}, result, reply, 1), 0);
}

TEST(RegionalConnection, AnOperationReplyIsCopiedAsFarAsItsFormAndTheReplyReach) {
    struct Case {
        size_t replySize;
        int32_t options;
        size_t copied;
        size_t form;
    };
    const Case cases[] = {
        {8352, 0, 32, 32},                    // no ting data: 32 bytes only
        {8352, tp::kOptionTing, 8352, 8352},  // ting data: all of it
        {9000, tp::kOptionTing, 8352, 8352},  // nothing past the form
        {100, tp::kOptionTing, 100, 8352},    // short: the rest of the form zeroed
        {20, 0x02, 20, 32},
        {12, 0, 12, 32},  // no word 3: not read, the short form
        {0, 0, 0, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.replySize);
        ScriptedConnection connection;
        connection.scriptedReply = Reply(c.replySize, c.options);
        std::vector<uint8_t> out(9100, kUntouched);
        std::string text;
        uint32_t result = 0;
        const std::vector<uint8_t> record(64, 1);
        EXPECT_EQ(connection.SendOperation(text, tp::kDiscardGang, record, out, result), 1);
        EXPECT_EQ(result, tp::kResultDone);
        ExpectCopied(out, connection.scriptedReply, c.copied, c.form);

        std::vector<uint8_t> drawOut(9100, kUntouched);
        EXPECT_EQ(connection.SendRequest229000(text, std::vector<uint8_t>(96), drawOut), 1);
        ExpectCopied(drawOut, connection.scriptedReply, c.copied, c.form);
        ASSERT_EQ(connection.sent.size(), 2u);
        EXPECT_EQ(connection.sent[0].id, tp::kDiscardGang);
        EXPECT_EQ(connection.sent[0].body, record);
        EXPECT_EQ(connection.sent[1].id, tp::kOwnDraw);
        EXPECT_EQ(connection.sent[1].wait, 1);
    }
    // A caller's record shorter than the form takes what fits.
    ScriptedConnection connection;
    connection.scriptedReply = Reply(8352, tp::kOptionTing);
    std::vector<uint8_t> small(40, kUntouched);
    std::string text;
    uint32_t result = 0;
    EXPECT_EQ(connection.SendOperation(text, tp::kAddedGang, {}, small, result), 1);
    ExpectCopied(small, connection.scriptedReply, 40, 40);
}

TEST(RegionalConnection, RefusedAndFailedRequestsCopyNothing) {
    ScriptedConnection connection;
    connection.scriptedReply = Reply(32, 0);
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> out(8352, kUntouched);

    // The draw refused: word 1 of the caller's record is -1, nothing else.
    connection.scriptedResult = tp::kResultDrawRefused;
    EXPECT_EQ(connection.SendRequest229000(text, {}, out), 0);
    EXPECT_EQ(tp::WordAt(out, 1), -1);
    out[4] = out[5] = out[6] = out[7] = kUntouched;
    EXPECT_EQ(out, std::vector<uint8_t>(8352, kUntouched));

    // Any other result: 0, the result handed back, nothing copied.
    connection.scriptedResult = tp::kResultHeld;
    EXPECT_EQ(connection.SendOperation(text, tp::kConcealedGang, {}, out, result), 0);
    EXPECT_EQ(result, tp::kResultHeld);
    EXPECT_EQ(out, std::vector<uint8_t>(8352, kUntouched));

    // Nothing came back: 10100.
    connection.scriptedAnswer = 0;
    connection.scriptedResult = 1031;
    EXPECT_EQ(connection.SendOperation(text, tp::kConcealedGang, {}, out, result), 0);
    EXPECT_EQ(result, tp::kResultNotCarriedOut);
    EXPECT_EQ(connection.SendRequest229025(text, result, {}, out), 0);
    EXPECT_EQ(result, tp::kResultNotCarriedOut);
    EXPECT_EQ(connection.SendRequest229000(text, {}, out), 0);
    EXPECT_EQ(out, std::vector<uint8_t>(8352, kUntouched));
}

TEST(RegionalConnection, ThePengReplyIsTheTingInformation) {
    ScriptedConnection connection;
    std::string text;
    uint32_t result = 0;
    for (size_t size : {size_t{9000}, size_t{8324}, size_t{30}, size_t{0}}) {
        SCOPED_TRACE(size);
        connection.scriptedReply = Reply(size, 0);
        std::vector<uint8_t> out(8400, kUntouched);
        EXPECT_EQ(connection.SendRequest229025(text, result, std::vector<uint8_t>(64), out), 1);
        ExpectCopied(out, connection.scriptedReply, std::min<size_t>(size, 8324), 8324);
    }
    EXPECT_EQ(connection.sent.back().id, tp::kPengClaim);
}

TEST(RegionalConnection, TheSwapChoiceCarriesOnlyTheOwnChairsThreeTiles) {
    ScriptedConnection connection;
    EXPECT_EQ(connection.SendSwapThree(40, 41, 44), 1);
    ASSERT_EQ(connection.sent.size(), 1u);
    const ScriptedConnection::Sent& sent = connection.sent[0];
    EXPECT_EQ(sent.id, tp::kSwapThree);
    EXPECT_EQ(sent.wait, 1);
    ASSERT_EQ(sent.body.size(), 8472u);
    std::vector<uint8_t> expected(8472, 0);
    auto put = [&](size_t offset, int32_t value) {
        ZepWireWriter(std::span(expected).subspan(offset)).WriteI32(value);
    };
    put(24, 40);  // chair 2's entry: bytes 24-35
    put(28, 41);
    put(32, 44);
    put(104, 5001);
    put(108, 300);
    put(112, 7);
    put(116, 2);
    EXPECT_EQ(sent.body, expected);

    // Chair 7 is the last entry; chairs outside 0-7 send nothing.
    connection.head.chair = 7;
    EXPECT_EQ(connection.SendSwapThree(1, 2, 3), 1);
    EXPECT_EQ(tp::WordAt(connection.sent.back().body, 21), 1);
    for (int32_t chair : {8, -1, INT32_MAX}) {
        connection.head.chair = chair;
        EXPECT_EQ(connection.SendSwapThree(1, 2, 3), 0);
    }
    EXPECT_EQ(connection.sent.size(), 2u);
}

TEST(RegionalConnection, TheSeatBoardRequestIsSentWithoutWaiting) {
    ScriptedConnection connection;
    connection.scriptedAnswer = 0;
    EXPECT_EQ(connection.SendRequest400001(), 1);
    ASSERT_EQ(connection.sent.size(), 1u);
    EXPECT_EQ(connection.sent[0].id, tp::kSeatBoardInfo);
    EXPECT_EQ(connection.sent[0].wait, 0);
    tp::SeatBoardInfoRequest request;
    ASSERT_TRUE(tp::ReadTableRecord(connection.sent[0].body, request));
    EXPECT_EQ(connection.sent[0].body.size(), 20u);
    EXPECT_EQ(request.roomId, 300);
    EXPECT_EQ(request.tableNo, 7);
    EXPECT_EQ(request.chair, 2);
    EXPECT_EQ(request.userId, 5001);
    EXPECT_EQ(request.zero, 0);
}

TEST(RegionalConnection, TheTingThrowSendsItsCountedWordsWithinTheRecord) {
    ScriptedConnection connection;
    std::string text;
    std::vector<uint8_t> record(360, 0);
    auto count = [&](int32_t n) { ZepWireWriter(std::span(record).subspan(100)).WriteI32(n); };
    count(3);
    EXPECT_EQ(connection.SendRequest400009(text, record), 1);
    ASSERT_EQ(connection.sent.size(), 1u);
    EXPECT_EQ(connection.sent[0].id, tp::kTingThrow);
    EXPECT_EQ(connection.sent[0].body.size(), 116u);
    // The most the record holds.
    count(64);
    EXPECT_EQ(connection.SendRequest400009(text, record), 1);
    EXPECT_EQ(connection.sent.back().body.size(), 360u);
    // Refused: a negative count, one past the record, a record without a count.
    for (int32_t n : {-1, 65, INT32_MAX, INT32_MIN}) {
        count(n);
        EXPECT_EQ(connection.SendRequest400009(text, record), 0) << n;
    }
    EXPECT_EQ(connection.SendRequest400009(text, std::vector<uint8_t>(103)), 0);
    EXPECT_EQ(connection.sent.size(), 2u);
    // Only result 10 is success.
    count(0);
    connection.scriptedResult = tp::kResultHeld;
    EXPECT_EQ(connection.SendRequest400009(text, record), 0);
    EXPECT_EQ(connection.sent.back().body.size(), 104u);
}

}  // namespace
