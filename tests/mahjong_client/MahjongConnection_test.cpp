// The mahjong layer's connection against the loopback test server: the
// game's time-outs and failure log, the play requests' bodies on the wire,
// the failure report of a status record and a waited request's reply handed
// to the handler.

#include "mahjong_client/net/MahjongConnection.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "frame/RecordFields.h"
#include "frame/net/FrameRequests.h"
#include "mahjong_client/TableProtocol.h"
#include "platform/Sync.h"
#include "tests/mahjong_client/CoreFixture.h"
#include "tests/zep/SocketTestSupport.h"
#include "tools/test_server/TestGameServer.h"
#include "zep/ZepSocketUtils.h"

namespace {

using namespace core_test;
using testserver::MakeMessage;
using testserver::ServerRequest;
using testserver::TestGameServer;
namespace tp = table_protocol;

// Waits one second for a game request's reply, so time-outs are quick.
class QuickMahjongConnection : public CMahjongConnection {
public:
    uint32_t GetRequestTimeout(uint32_t) override { return 1; }
};

// What the server got and what it answers, by request id.
struct ServerLog {
    struct Answer {
        uint32_t result = tp::kResultDone;
        std::vector<uint8_t> body;
        bool silent = false;
    };
    std::mutex mutex;
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> requests;
    std::map<uint32_t, Answer> answers;

    std::vector<uint8_t> BodyOf(uint32_t id) {
        std::lock_guard lock(mutex);
        for (const auto& [code, body] : requests) {
            if (code == id) {
                return body;
            }
        }
        return {};
    }
    size_t CountOf(uint32_t id) {
        std::lock_guard lock(mutex);
        size_t n = 0;
        for (const auto& request : requests) {
            n += request.first == id ? 1 : 0;
        }
        return n;
    }
};

class MahjongConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ZepRegisterSocketWindowClass();
        app.Launch();
        app.connection = &connection;
        server.SetHandler([this](TestGameServer& s, const ServerRequest& request) {
            const uint32_t id = request.message.Code();
            std::vector<uint8_t> body;
            if (request.message.data != nullptr) {
                body.assign(request.message.data, request.message.data + request.message.length);
            }
            ServerLog::Answer answer;
            {
                std::lock_guard lock(log.mutex);
                log.requests.emplace_back(id, body);
                const auto found = log.answers.find(id);
                if (found != log.answers.end()) {
                    answer = found->second;
                }
            }
            if (request.callerWord != 0 && !answer.silent) {
                s.Reply(request.messageSequence, MakeMessage(answer.result, answer.body));
            }
        });
        ASSERT_TRUE(server.Start());
    }

    void Connect(CGameConnection& c) {
        c.SetupTransform();
        c.SetNotifyThread(owner.Id());
        int proxyFailed = 0;
        ASSERT_EQ(c.ConnectServer("", "127.0.0.1", server.Port(), proxyFailed), 1);
        ASSERT_TRUE(server.WaitForClients(++connects, 5000));
    }
    // Waits until the server has taken an unwaited request.
    bool WaitFor(uint32_t id, size_t count = 1) {
        for (int i = 0; i < 500; ++i) {
            if (log.CountOf(id) >= count) {
                return true;
            }
            platform::SleepMs(10);
        }
        return false;
    }
    void Answer(uint32_t id, uint32_t result, std::vector<uint8_t> body = {}) {
        std::lock_guard lock(log.mutex);
        log.answers[id] = ServerLog::Answer{result, std::move(body), false};
    }

    CoreApp app;
    zeptest::OwnerThread owner;
    ServerLog log;  // outlives the server, whose thread writes it
    TestGameServer server;
    CMahjongConnection connection;
    size_t connects = 0;
};

TEST(MahjongConnectionTimeouts, GameRequestsWaitFiveSeconds) {
    CMahjongConnection connection;
    EXPECT_EQ(connection.GetRequestTimeout(220001), 5u);
    EXPECT_EQ(connection.GetRequestTimeout(229000), 5u);
    EXPECT_EQ(connection.GetRequestTimeout(19840325), 5u);
    // 220000 and below: the frame's table.
    EXPECT_EQ(connection.GetRequestTimeout(220000), 10u);
    EXPECT_EQ(connection.GetRequestTimeout(200110), 30u);
    EXPECT_EQ(connection.GetRequestTimeout(201001), 15u);
}

TEST_F(MahjongConnectionTest, AWaitedGameRequestThatFailedLogsAndAnswers0) {
    LogCapture capture;
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    // Not connected: unwaited game requests count as sent, waited ones fail.
    EXPECT_EQ(connection.ProcessRequest(text, 229040, {}, result, reply, 0), 1);
    EXPECT_EQ(connection.ProcessRequest(text, 229030, {}, result, reply, 1), 0);
    EXPECT_EQ(result, frame_requests::kResultNotConnected);
    // Frame ids keep the frame's answer, and no line.
    EXPECT_EQ(connection.ProcessRequest(text, 220000, {}, result, reply, 0), 0);
    EXPECT_EQ(connection.ProcessRequest(text, 201160, {}, result, reply, 1), 0);
    EXPECT_EQ(capture.Lines(),
              std::vector<std::string>{"ProcoessRequest Faild,ReQuestid:229030,nResponse:1031"});
}

TEST_F(MahjongConnectionTest, AnUnansweredGameRequestTimesOut) {
    QuickMahjongConnection quick;
    Connect(quick);
    {
        std::lock_guard lock(log.mutex);
        log.answers[tp::kHuClaim].silent = true;
    }
    LogCapture capture;
    uint32_t result = 0;
    EXPECT_EQ(quick.SendHuClaimRequest(1, 50, tp::kHuOnDiscard, 0, result), 0);
    EXPECT_EQ(result, frame_requests::kResultTimedOut);
    EXPECT_EQ(capture.Lines(),
              std::vector<std::string>{"ProcoessRequest Faild,ReQuestid:229030,nResponse:1030"});
}

TEST_F(MahjongConnectionTest, PlayRequestsCarryTheDocumentedBodies) {
    Connect(connection);
    uint32_t result = 0;
    const std::vector<int32_t> head = {kOwnId, kRoomId, kTableNo, kOwnChair};
    auto withHead = [&](size_t size, std::initializer_list<int32_t> words) {
        std::vector<int32_t> all = head;
        all.insert(all.end(), words);
        std::vector<uint8_t> bytes(size);
        ZepWireWriter writer(bytes);
        for (int32_t word : all) {
            writer.WriteI32(word);
        }
        return bytes;
    };

    Answer(tp::kDiscard, tp::kResultDiscardRefused);
    EXPECT_EQ(connection.SendDiscardRequest(37, result), 1);
    EXPECT_EQ(result, tp::kResultDiscardRefused);
    EXPECT_EQ(log.BodyOf(tp::kDiscard), withHead(64, {kOwnChair, 37}));

    EXPECT_EQ(connection.SendHuClaimRequest(kOwnChair, 99, tp::kHuSelfDrawn, 0, result), 1);
    EXPECT_EQ(log.BodyOf(tp::kHuClaim), withHead(64, {kOwnChair, 99, 2, 0}));

    Answer(tp::kChiClaim, tp::kResultHeld);
    EXPECT_EQ(connection.SendChiClaimRequest(1, 10, 14, 18, result), 1);
    EXPECT_EQ(result, tp::kResultHeld);
    EXPECT_EQ(log.BodyOf(tp::kChiClaim), withHead(64, {1, 10, 14, 18, -1}));

    EXPECT_EQ(connection.SendPassRequest(1, 10), 1);
    ASSERT_TRUE(WaitFor(tp::kPass));
    EXPECT_EQ(log.BodyOf(tp::kPass), withHead(64, {1, 10}));

    EXPECT_EQ(connection.SendLookCardAsk(0), 1);
    ASSERT_TRUE(WaitFor(tp::kLookCardAsk));
    EXPECT_EQ(log.BodyOf(tp::kLookCardAsk), withHead(64, {0}));

    Answer(tp::kGangQuery, tp::kResultDone, Record(48, {0, 0, 0, 0, 0, 0, 0x02, 0x08}));
    tp::GangQueryReply gang;
    EXPECT_EQ(connection.SendGangQuery(tp::kGangOwn, kOwnChair, 40, {41, 42, 43}, gang, result), 1);
    EXPECT_EQ(log.BodyOf(tp::kGangQuery), withHead(64, {kOwnChair, 40, 41, 42, 43, 2}));
    EXPECT_EQ(gang.chairOptions[2], 0x02);
    EXPECT_EQ(gang.chairOptions[3], 0x08);

    Answer(tp::kOwnDraw, tp::kResultDone, Record(32, {0, 88, 14, 0x08}));
    tp::DrawReply draw;
    std::vector<uint8_t> reply;
    EXPECT_EQ(connection.SendRequest229000(draw, result, reply), 1);
    EXPECT_EQ(log.BodyOf(tp::kOwnDraw), withHead(96, {0, kTableNo, kOwnChair, kOwnId}));
    EXPECT_EQ(draw.tile, 88);
    EXPECT_EQ(draw.wallIndex, 14);
    EXPECT_EQ(draw.options, 0x08);
    EXPECT_EQ(reply.size(), 32u);

    // A refused draw and a reply too short for its tile bring no tile.
    Answer(tp::kOwnDraw, tp::kResultDrawRefused, Record(8, {0, 5}));
    EXPECT_EQ(connection.SendRequest229000(draw, result, reply), 1);
    EXPECT_EQ(result, tp::kResultDrawRefused);
    EXPECT_EQ(draw.tile, -1);

    Answer(tp::kHua, tp::kResultDone, Record(32, {0, 120, 107, 0}));
    EXPECT_EQ(connection.SendHuaRequest(136, draw, result), 1);
    EXPECT_EQ(log.BodyOf(tp::kHua), withHead(64, {kOwnChair, 136}));
    EXPECT_EQ(draw.tile, 120);
    EXPECT_EQ(draw.wallIndex, 107);

    tp::OperationRecord peng;
    peng.offerChair = 1;
    peng.tile = 40;
    peng.handTiles = {41, 42, -1};
    EXPECT_EQ(connection.SendOperation(tp::kPengClaim, peng, result, reply), 1);
    EXPECT_EQ(log.BodyOf(tp::kPengClaim), withHead(64, {1, 40, 41, 42, -1}));
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

TEST_F(MahjongConnectionTest, AFailedStatusIsReportedWithItsCode) {
    Connect(connection);
    const std::vector<uint8_t> status = Record(24, {0, 0, 19840336, 0, 9, 1});
    app.handler.RecordLastNotify(229500, status.data(), status.size());
    EXPECT_EQ(connection.ReportNotifyFailure(229500, status.data(), status.size()), 1);
    ASSERT_TRUE(WaitFor(frame_requests::kReportNotifyFailure));
    frame_requests::NotifyFailureRecord record;
    ASSERT_TRUE(ReadRecord(log.BodyOf(frame_requests::kReportNotifyFailure), record));
    EXPECT_EQ(record.userId, kOwnId);
    EXPECT_EQ(record.notifyId, 229500);
    EXPECT_EQ(record.notifyData, 19840336);
    EXPECT_EQ(record.notifyLength, 24);
    EXPECT_EQ(record.lastId, 229500);
    EXPECT_EQ(record.lastData, 19840336);
    EXPECT_EQ(record.lastLength, 24);

    // Without word 2, and for other ids, the word is 0.
    EXPECT_EQ(connection.ReportNotifyFailure(229500, status.data(), 11), 1);
    EXPECT_EQ(connection.ReportNotifyFailure(222170, status.data(), status.size()), 1);
    ASSERT_TRUE(WaitFor(frame_requests::kReportNotifyFailure, 3));
    std::lock_guard lock(log.mutex);
    ASSERT_EQ(log.requests.size(), 3u);
    ASSERT_TRUE(ReadRecord(log.requests[1].second, record));
    EXPECT_EQ(record.notifyData, 0);
    EXPECT_EQ(record.notifyLength, 11);
    ASSERT_TRUE(ReadRecord(log.requests[2].second, record));
    EXPECT_EQ(record.notifyData, 0);
}

TEST_F(MahjongConnectionTest, AWaitedReplyReachesTheStatusHandlerOnce) {
    Connect(connection);
    Answer(19840325, tp::kResultDone, Record(24, {0, 0, 19840325, 0, 1, 3}));
    EXPECT_EQ(connection.SendGameRequestAndReport(19840325, Record(16), 1), 1);
    EXPECT_EQ(app.view.calls, std::vector<std::string>{"229500 24"});
    EXPECT_EQ(app.handler.GetLastNotify().data, 19840325);

    // Unwaited: nothing comes back, nothing reaches the handler.
    app.view.calls.clear();
    EXPECT_EQ(connection.SendGameRequestAndReport(19840325, Record(16), 0), 1);
    ASSERT_TRUE(WaitFor(19840325, 2));
    EXPECT_TRUE(app.view.calls.empty());
}

TEST_F(MahjongConnectionTest, AStatusReplyTheHandlerRefusesIsReportedNotThrown) {
    Connect(connection);
    LogCapture capture;
    // Count 3 in a 24-byte reply: short.
    Answer(229070, tp::kResultDone, Record(24, {0, 0, 19840336, 0, 3, 1}));
    EXPECT_EQ(connection.SendGameRequestAndReport(229070, Record(64), 1), 1);
    EXPECT_TRUE(app.view.calls.empty());
    ASSERT_TRUE(WaitFor(frame_requests::kReportNotifyFailure));
    frame_requests::NotifyFailureRecord record;
    ASSERT_TRUE(ReadRecord(log.BodyOf(frame_requests::kReportNotifyFailure), record));
    EXPECT_EQ(record.notifyId, 229500);
    EXPECT_EQ(record.notifyData, 19840336);
    EXPECT_EQ(capture.Lines(), std::vector<std::string>{"notify 229500: 24 bytes, needs 32"});
    // The connection stays.
    uint32_t result = 0;
    EXPECT_EQ(connection.SendDiscardRequest(3, result), 1);
}

}  // namespace
