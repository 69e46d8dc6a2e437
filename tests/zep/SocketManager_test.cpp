// The socket manager against the loopback game server: requests and replies,
// notifications to the owner, time-outs, closing, and hostile input.

#include "zep/ZepSocketManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Socket.h"
#include "platform/Sync.h"
#include "tests/support/ProxyProcess.h"
#include "tests/zep/SocketTestSupport.h"
#include "tools/test_server/TestGameServer.h"
#include "zep/ZepChannelKeys.h"
#include "zep/ZepTransform.h"
#include "zep/ZepWire.h"

namespace {

using testserver::MakeMessage;
using testserver::ServerRequest;
using testserver::TestGameServer;
using zeptest::Bytes;
using zeptest::Delivered;
using zeptest::OwnerThread;
using zeptest::Text;

constexpr uint32_t kServerWaitMs = 10000;  // bounds that only catch hangs

struct RequestResult {
    int ok = 0;
    int timedOut = -1;
    ZepMessage reply;
};

TestGameServer::Options ServerOptions() {
    TestGameServer::Options options;
    options.key = ZepChannelKeyBlock(2);
    return options;
}

class SocketManagerTest : public ::testing::Test {
protected:
    explicit SocketManagerTest(TestGameServer::Options options = ServerOptions())
        : server_(std::move(options)) {}

    void SetUp() override {
        zeptest::RegisterSocketWindowClass();
        ASSERT_TRUE(server_.Start());
    }

    ZepConnectParams Params() const {
        ZepConnectParams params;
        params.host = "127.0.0.1";
        params.port = server_.Port();
        params.connectSeconds = 5;
        params.ownerThread = owner_.Id();
        params.greeting = greeting_;
        params.greetingLength = sizeof(greeting_);
        params.waitMs = kServerWaitMs;
        return params;
    }

    // Connects and waits until the server has taken the connection, so that
    // what the server sends next reaches this client.
    void ConnectToServer() {
        ASSERT_EQ(manager_.ConnectNew(Params()), 1);
        ASSERT_TRUE(server_.WaitForClients(++clients_, kServerWaitMs));
    }

    RequestResult Request(uint32_t code, const std::string& data, uint32_t wait,
                          uint32_t timeoutMs = kServerWaitMs) {
        ZepDeliveryInfo descriptor;
        descriptor.socket = static_cast<uint32_t>(manager_.GetSocket());
        descriptor.callerWord = wait;
        const ZepMessage request = MakeMessage(code, Bytes(data));
        RequestResult result;
        result.ok = manager_.SendRequest(descriptor, request, &result.reply, &result.timedOut,
                                         timeoutMs, 0, 0, 1, nullptr, 0);
        return result;
    }

    std::future<RequestResult> RequestAsync(uint32_t code, std::string data,
                                            uint32_t timeoutMs = kServerWaitMs) {
        return std::async(std::launch::async, [this, code, data = std::move(data), timeoutMs] {
            return Request(code, data, 1, timeoutMs);
        });
    }

    // Waits for the next request and answers it.
    void AnswerNext(uint32_t code, const std::string& data, uint32_t pieceSize = 0) {
        ServerRequest request;
        ASSERT_TRUE(server_.WaitForRequest(request, kServerWaitMs));
        ASSERT_TRUE(
            server_.Reply(request.messageSequence, MakeMessage(code, Bytes(data)), pieceSize));
    }

    // A full round trip: proves that everything the server sent before has
    // been handled by the socket thread.
    void RoundTrip() {
        auto pending = RequestAsync(201001, "sync");
        AnswerNext(10, "synced");
        const RequestResult result = pending.get();
        EXPECT_EQ(result.ok, 1);
        EXPECT_EQ(Text(result.reply), "synced");
    }

    std::vector<Delivered> NoticesWithCode(uint32_t code) {
        std::vector<Delivered> found;
        for (const Delivered& d : owner_.Received()) {
            if (d.code == code && d.data.empty()) {
                found.push_back(d);
            }
        }
        return found;
    }

    static constexpr char greeting_[] = "Hello! Game Channel.";
    size_t clients_ = 0;
    TestGameServer server_;
    OwnerThread owner_;
    ZepSocketManager manager_{ZepChannelKeyBlock(2), 128, 0x100, 0, 1, 4000};
};

TEST_F(SocketManagerTest, RequestGetsItsReplyAndUnwaitedRequestReturnsOnceSent) {
    ConnectToServer();
    EXPECT_EQ(manager_.IsConnected(), 1);
    EXPECT_NE(manager_.GetConnectionId(), 0u);

    auto pending = RequestAsync(201001, "version?");
    ServerRequest request;
    ASSERT_TRUE(server_.WaitForRequest(request, kServerWaitMs));
    EXPECT_EQ(request.message.Code(), 201001u);
    EXPECT_EQ(Text(request.message), "version?");
    EXPECT_EQ(request.callerWord, 1u);
    ASSERT_TRUE(server_.Reply(request.messageSequence, MakeMessage(10, Bytes("13.1"))));
    RequestResult result = pending.get();
    EXPECT_EQ(result.ok, 1);
    EXPECT_EQ(result.timedOut, 0);
    EXPECT_EQ(result.reply.Code(), 10u);
    EXPECT_EQ(Text(result.reply), "13.1");

    result = Request(201020, std::string(16, '\0'), 0);
    EXPECT_EQ(result.ok, 1);
    EXPECT_EQ(result.timedOut, 0);
    ASSERT_TRUE(server_.WaitForRequest(request, kServerWaitMs));
    EXPECT_EQ(request.message.Code(), 201020u);
    EXPECT_EQ(request.callerWord, 0u);
    EXPECT_EQ(server_.ProtocolErrors(), 0u);
}

TEST_F(SocketManagerTest, LargeMessagesTravelInManyPiecesBothWays) {
    ConnectToServer();
    std::string big(9000, '\0');
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>('a' + i % 26);
    }
    auto pending = RequestAsync(229045, big);
    ServerRequest request;
    ASSERT_TRUE(server_.WaitForRequest(request, kServerWaitMs));
    EXPECT_EQ(Text(request.message), big);
    ASSERT_TRUE(server_.Reply(request.messageSequence, MakeMessage(10, Bytes(big)), 1000));
    const RequestResult result = pending.get();
    EXPECT_EQ(result.ok, 1);
    EXPECT_EQ(Text(result.reply), big);

    // The request went out as frames of one message sequence, consecutive
    // frame sequences, pieces from 1 and only the last one flagged.
    const std::vector<testserver::ReceivedFrame> frames = server_.FramesReceived();
    ASSERT_EQ(frames.size(), 3u);
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].header.messageSequence, frames[0].header.messageSequence);
        EXPECT_EQ(frames[i].header.frameSequence, frames[0].header.frameSequence + i);
        EXPECT_EQ(frames[i].header.pieceIndex, i + 1);
        EXPECT_EQ(frames[i].header.lastPiece, i + 1 == frames.size() ? 1u : 0u);
        EXPECT_EQ(frames[i].header.crcFlag, 1u);
    }
    EXPECT_EQ(frames[0].length, 4000u + 56);
}

TEST_F(SocketManagerTest, NotificationsReachTheOwnerInOrderOnce) {
    ConnectToServer();
    ASSERT_TRUE(server_.Notify(MakeMessage(211040, Bytes("start"))));
    ASSERT_TRUE(server_.Notify(MakeMessage(222170, Bytes(std::string(7000, 'n'))), 3000));
    ASSERT_TRUE(server_.Notify(MakeMessage(211080)));
    ASSERT_TRUE(owner_.WaitFor(3));
    RoundTrip();
    ASSERT_TRUE(owner_.Flush());
    const std::vector<Delivered> got = owner_.Received();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].code, 211040u);
    EXPECT_EQ(got[0].data, "start");
    EXPECT_EQ(got[1].code, 222170u);
    EXPECT_EQ(got[1].data, std::string(7000, 'n'));
    EXPECT_EQ(got[2].code, 211080u);
    EXPECT_TRUE(got[2].data.empty());
    for (const Delivered& d : got) {
        EXPECT_EQ(d.info.socket, static_cast<uint32_t>(manager_.GetSocket()));
        EXPECT_EQ(d.info.connectionId, manager_.GetConnectionId());
        EXPECT_EQ(d.info.callerWord, 0u);
    }
    EXPECT_LT(got[0].info.messageSequence, got[2].info.messageSequence);
}

TEST_F(SocketManagerTest, WithBothOwnersOnlyTheWindowGetsThePair) {
    platform::RegisterWindowClass("Owner Test Window");
    platform::Window window;
    ASSERT_TRUE(window.Create("Owner Test Window"));
    ZepConnectParams params = Params();
    params.ownerWindow = window.Id();
    ASSERT_EQ(manager_.ConnectNew(params), 1);
    ASSERT_TRUE(server_.WaitForClients(1, kServerWaitMs));
    ASSERT_TRUE(server_.Notify(MakeMessage(211040, Bytes("to the window"))));

    platform::Message m;
    do {
        ASSERT_TRUE(platform::WaitMessage(kServerWaitMs));
    } while (!platform::PeekMessage(m, platform::PeekMode::Remove) || m.id != WM_ZEP_SOCKET);
    EXPECT_EQ(m.window, window.Id());
    auto* info = reinterpret_cast<ZepDeliveryInfo*>(m.wParam);
    auto* message = reinterpret_cast<ZepMessage*>(m.lParam);
    EXPECT_EQ(Text(*message), "to the window");
    ZepFreeDelivery(info, message);

    manager_.Close();
    ASSERT_TRUE(owner_.Flush());
    EXPECT_TRUE(owner_.Received().empty());
}

TEST_F(SocketManagerTest, PairForAnEndedOwnerIsFreed) {
    ConnectToServer();
    owner_.Stop();
    ASSERT_TRUE(server_.Notify(MakeMessage(211040, Bytes("nobody listens"))));
    RoundTrip();  // the notification before it has been handled (and freed)
    EXPECT_TRUE(owner_.Received().empty());
}

TEST_F(SocketManagerTest, TimeOutThenLateReplyIsASocketErrorAndNextRequestGetsItsOwn) {
    ConnectToServer();
    auto pending = RequestAsync(201130, "slow", 100);
    ServerRequest slow;
    ASSERT_TRUE(server_.WaitForRequest(slow, kServerWaitMs));
    const RequestResult timedOut = pending.get();
    EXPECT_EQ(timedOut.ok, 0);
    EXPECT_EQ(timedOut.timedOut, 1);

    ASSERT_TRUE(server_.Reply(slow.messageSequence, MakeMessage(10, Bytes("too late"))));
    ASSERT_TRUE(owner_.WaitFor(1));
    EXPECT_EQ(NoticesWithCode(kZepNoticeError).size(), 1u);

    auto next = RequestAsync(201001, "next");
    AnswerNext(11, "mine");
    const RequestResult result = next.get();
    EXPECT_EQ(result.ok, 1);
    EXPECT_EQ(result.reply.Code(), 11u);
    EXPECT_EQ(Text(result.reply), "mine");
}

TEST_F(SocketManagerTest, RequestsThatDoNotWaitNeverCostAWaitingRequestItsReply) {
    ConnectToServer();
    server_.SetHandler([](TestGameServer& server, const ServerRequest& request) {
        if (request.callerWord != 0) {
            server.Reply(request.messageSequence, MakeMessage(10, Bytes("ok")));
        }
    });
    // A few reports go out beside each waiting request, as many as the
    // server can take: an unbounded flood would only measure how fast the
    // server drains its backlog.
    std::atomic<bool> done{false};
    std::atomic<int> asked{0};
    auto reports = std::async(std::launch::async, [&] {
        int seen = 0;
        while (!done.load()) {
            if (asked.load() == seen) {
                std::this_thread::yield();
                continue;
            }
            seen = asked.load();
            for (int k = 0; k < 8; ++k) {
                Request(201020, "report", 0);
            }
        }
    });
    int answered = 0;
    for (int i = 0; i < 100; ++i) {
        ++asked;
        const RequestResult result = Request(201001, "version?", 1, 2000);
        if (result.ok != 1) {
            break;
        }
        ++answered;
    }
    done = true;
    reports.get();
    EXPECT_EQ(answered, 100);
}

TEST_F(SocketManagerTest, ServerClosingGivesOneClosedNotice) {
    ConnectToServer();
    const uint32_t connection = manager_.GetConnectionId();
    server_.CloseClient();
    ASSERT_TRUE(owner_.WaitFor(1));
    manager_.Close();
    ASSERT_TRUE(owner_.Flush());
    const std::vector<Delivered> got = owner_.Received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].code, kZepNoticeClosed);
    EXPECT_EQ(got[0].info.connectionId, connection);
    EXPECT_EQ(manager_.GetConnectionId(), 0u);
}

TEST_F(SocketManagerTest, ReplyAndCloseTogetherGiveTheReplyThenOneClosedNotice) {
    ConnectToServer();
    auto pending = RequestAsync(201001, "last?");
    ServerRequest request;
    ASSERT_TRUE(server_.WaitForRequest(request, kServerWaitMs));
    ASSERT_TRUE(server_.Reply(request.messageSequence, MakeMessage(10, Bytes("bye"))));
    server_.CloseClient();  // the reply and the end of the stream, back to back
    const RequestResult result = pending.get();
    EXPECT_EQ(result.ok, 1);
    EXPECT_EQ(Text(result.reply), "bye");
    ASSERT_TRUE(owner_.WaitFor(1));
    manager_.Close();
    ASSERT_TRUE(owner_.Flush());
    EXPECT_EQ(NoticesWithCode(kZepNoticeClosed).size(), 1u);
    EXPECT_EQ(owner_.Received().size(), 1u);
}

TEST_F(SocketManagerTest, CorruptFramesGiveASocketErrorAndTheConnectionStays) {
    ConnectToServer();
    std::vector<uint8_t> frames;
    ASSERT_TRUE(
        server_.BuildFrames(kZepFrameTypeMessage, 1, MakeMessage(211040, Bytes("x")), 0, frames));

    std::vector<uint8_t> badCrc = frames;
    badCrc.back() ^= 0x40;
    ASSERT_TRUE(server_.SendRawBytes(badCrc));
    ASSERT_TRUE(owner_.WaitFor(1));

    // A piece length that disagrees with the frame's length (CRC off).
    std::vector<uint8_t> badPiece = frames;
    std::fill(badPiece.begin() + 12, badPiece.begin() + 20, 0);
    badPiece[56] += 1;
    ASSERT_TRUE(server_.SendRawBytes(badPiece));
    ASSERT_TRUE(owner_.WaitFor(2));

    // A message whose data length runs past its data.
    ZepByteBuffer body;
    ASSERT_TRUE(ZepSerializeMessage(MakeMessage(211040, Bytes("abc")), body));
    body.GetData(24)[0] = 200;
    ZepTransform transform(ZepChannelKeyBlock(2), 128, 0x100, 0);
    ASSERT_TRUE(transform.Transform(body, ZepTransform::kForward));
    ZepFrameHeader header;
    header.type = kZepFrameTypeMessage;
    header.messageSequence = 2;
    header.pieceIndex = 1;
    header.lastPiece = 1;
    ZepByteBuffer frame;
    ASSERT_TRUE(ZepBuildFrame(header, ZepBufferBytes(body), true, frame));
    ASSERT_TRUE(server_.SendRawBytes(ZepBufferBytes(frame)));
    ASSERT_TRUE(owner_.WaitFor(3));

    EXPECT_EQ(NoticesWithCode(kZepNoticeError).size(), 3u);
    RoundTrip();
    ASSERT_TRUE(server_.Notify(MakeMessage(211080, Bytes("after"))));
    ASSERT_TRUE(owner_.WaitFor(4));
    EXPECT_EQ(owner_.Received().back().data, "after");
}

// A frame whose length breaks the length rule: the length field, then L
// bytes that start with a whole notification frame (when it fits), so that a
// receiver that does not skip exactly L + 4 bytes delivers something.
std::vector<uint8_t> BadFrame(TestGameServer& server, uint32_t length) {
    std::vector<uint8_t> inner;
    EXPECT_TRUE(server.BuildFrames(kZepFrameTypeMessage, 77, MakeMessage(211040, Bytes("inner")), 0,
                                   inner));
    std::vector<uint8_t> bytes(4 + size_t{length}, 0xA5);
    ZepWireWriter writer(bytes);
    writer.WriteU32(length);
    std::copy_n(inner.begin(), std::min(inner.size(), size_t{length}), bytes.begin() + 4);
    return bytes;
}

// Sends the bytes in pieces of pieceSize, each in its own send, with a short
// pause so that they tend to arrive in separate reads.
bool SendInPieces(TestGameServer& server, std::span<const uint8_t> bytes, size_t pieceSize) {
    for (size_t at = 0; at < bytes.size(); at += pieceSize) {
        if (!server.SendRawBytes(bytes.subspan(at, std::min(pieceSize, bytes.size() - at)))) {
            return false;
        }
        platform::SleepMs(1);
    }
    return true;
}

TEST_F(SocketManagerTest, BadLengthSkipsOnlyThatFrameAndTheReplyBehindItArrives) {
    ConnectToServer();
    size_t errors = 0;
    for (const size_t pieceSize : {size_t{0}, size_t{333}}) {
        for (const uint32_t length : {25u, 40u, 56u, 4057u}) {
            SCOPED_TRACE(testing::Message() << "length " << length << ", pieces " << pieceSize);
            auto pending = RequestAsync(201001, "version?", 5000);
            ServerRequest request;
            ASSERT_TRUE(server_.WaitForRequest(request, kServerWaitMs));
            std::vector<uint8_t> bytes = BadFrame(server_, length);
            std::vector<uint8_t> reply;
            ASSERT_TRUE(server_.BuildFrames(kZepFrameTypeReply, request.messageSequence,
                                            MakeMessage(10, Bytes("13.1")), 0, reply));
            bytes.insert(bytes.end(), reply.begin(), reply.end());
            ASSERT_TRUE(pieceSize == 0 ? server_.SendRawBytes(bytes)
                                       : SendInPieces(server_, bytes, pieceSize));

            const RequestResult result = pending.get();
            EXPECT_EQ(result.ok, 1);
            EXPECT_EQ(Text(result.reply), "13.1");
            RoundTrip();
            ASSERT_TRUE(owner_.Flush());
            EXPECT_EQ(NoticesWithCode(kZepNoticeError).size(), ++errors);
            EXPECT_EQ(owner_.Received().size(), errors);  // nothing from inside the bad frame
        }
    }
}

TEST_F(SocketManagerTest, BadFramesInARowGiveOneErrorEachInStreamOrder) {
    ConnectToServer();
    std::vector<uint8_t> bytes;
    for (const uint32_t length : {0u, 25u, 4057u, 1u}) {
        const std::vector<uint8_t> bad = BadFrame(server_, length);
        bytes.insert(bytes.end(), bad.begin(), bad.end());
    }
    std::vector<uint8_t> after;
    ASSERT_TRUE(server_.BuildFrames(kZepFrameTypeMessage, 1, MakeMessage(211080, Bytes("after")), 0,
                                    after));
    bytes.insert(bytes.end(), after.begin(), after.end());
    ASSERT_TRUE(server_.SendRawBytes(bytes));
    ASSERT_TRUE(owner_.WaitFor(5));
    RoundTrip();
    ASSERT_TRUE(owner_.Flush());
    const std::vector<Delivered> got = owner_.Received();
    ASSERT_EQ(got.size(), 5u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(got[i].code, kZepNoticeError) << i;
        EXPECT_TRUE(got[i].data.empty()) << i;
    }
    EXPECT_EQ(got[4].code, 211080u);
    EXPECT_EQ(got[4].data, "after");
}

TEST_F(SocketManagerTest, HostileLengthSwallowsWhatFollowsWithoutHoldingIt) {
    ConnectToServer();
    // A header-only frame carries nothing and is no fault.
    uint8_t headerOnly[28] = {};
    headerOnly[0] = 24;
    ASSERT_TRUE(server_.SendRawBytes(headerOnly));
    RoundTrip();
    ASSERT_TRUE(owner_.Flush());
    EXPECT_TRUE(owner_.Received().empty());

    std::vector<uint8_t> bytes(4);
    ZepWireWriter writer(bytes);
    writer.WriteU32(0xFFFFFFF0u);
    for (int i = 0; i < 64; ++i) {  // 256 KB of frames inside the bad one
        std::vector<uint8_t> inner;
        ASSERT_TRUE(server_.BuildFrames(
            kZepFrameTypeMessage, 1, MakeMessage(211080, Bytes(std::string(4000, 'x'))), 0, inner));
        bytes.insert(bytes.end(), inner.begin(), inner.end());
    }
    const uint32_t before = manager_.GetTotalReceived();
    ASSERT_TRUE(server_.SendRawBytes(bytes));
    for (int i = 0; i < 1000 && manager_.GetTotalReceived() - before < bytes.size(); ++i) {
        platform::SleepMs(10);
    }
    ASSERT_EQ(manager_.GetTotalReceived() - before, bytes.size());
    manager_.Close();  // the socket thread has handled everything it read
    ASSERT_TRUE(owner_.Flush());
    const std::vector<Delivered> got = owner_.Received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].code, kZepNoticeError);
    EXPECT_TRUE(got[0].data.empty());
}

TEST_F(SocketManagerTest, FrameSentInPartEndsTheConnectionWithASocketError) {
    ConnectToServer();
    // The server stops reading inside its handler until the test lets it go
    // (also when an assertion ends the test early).
    std::promise<void> release;
    struct Release {
        std::promise<void>& promise;
        ~Release() { promise.set_value(); }
    } releaseAtEnd{release};
    server_.SetHandler([stalled = release.get_future().share()](
                           TestGameServer&, const ServerRequest&) { stalled.wait(); });
    ASSERT_EQ(Request(201020, "stall", 0).ok, 1);

    // Far more than the socket buffers hold: the send stalls inside a frame
    // and gives up when no write notice comes.
    const RequestResult stuck = Request(229045, std::string(size_t{6} << 20, 'b'), 1);
    EXPECT_EQ(stuck.ok, 0);
    EXPECT_EQ(stuck.timedOut, 0);
    ASSERT_TRUE(owner_.WaitFor(1));
    EXPECT_EQ(NoticesWithCode(kZepNoticeError).size(), 1u);

    const RequestResult after = Request(201001, "after", 1);
    EXPECT_EQ(after.ok, 0);
    EXPECT_EQ(after.timedOut, 0);
}

TEST_F(SocketManagerTest, CloseWakesAWaitingRequest) {
    ConnectToServer();
    auto pending = RequestAsync(200110, "enter", 60000);
    ServerRequest request;
    ASSERT_TRUE(server_.WaitForRequest(request, kServerWaitMs));
    manager_.Close();
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    const RequestResult result = pending.get();
    EXPECT_EQ(result.ok, 0);
    EXPECT_EQ(result.timedOut, 1);
}

TEST_F(SocketManagerTest, CloseIsHarmlessAndTheManagerConnectsAgain) {
    EXPECT_EQ(manager_.Close(), 1);  // never connected
    EXPECT_EQ(manager_.Close(), 1);
    EXPECT_EQ(Request(201001, "nothing", 1).ok, 0);

    ConnectToServer();
    const uint32_t first = manager_.GetConnectionId();
    manager_.Close();
    manager_.Close();
    EXPECT_EQ(manager_.GetSocket(), platform::kNoSocket);
    EXPECT_EQ(manager_.IsConnected(), 0);
    const RequestResult refused = Request(201001, "closed", 1);
    EXPECT_EQ(refused.ok, 0);
    EXPECT_EQ(refused.timedOut, 0);

    ConnectToServer();
    EXPECT_NE(manager_.GetConnectionId(), first);
    RoundTrip();
}

TEST_F(SocketManagerTest, ConnectFailuresCloseEverything) {
    // A listener whose queue is full never completes a connect.
    const platform::SocketHandle listener = platform::CreateTcpSocket();
    ASSERT_TRUE(platform::BindSocket(listener, platform::LoopbackAddress(), 0));
    ASSERT_TRUE(platform::ListenSocket(listener, 0));
    const platform::SocketHandle filler = platform::CreateTcpSocket();
    ASSERT_TRUE(platform::ConnectSocket(filler, platform::LoopbackAddress(),
                                        platform::SocketLocalPort(listener), 5000));
    ZepConnectParams params = Params();
    params.port = platform::SocketLocalPort(listener);
    params.connectSeconds = 1;
    EXPECT_EQ(manager_.ConnectNew(params), 0);
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketErrorTimedOut);
    EXPECT_EQ(manager_.GetSocket(), platform::kNoSocket);
    EXPECT_EQ(manager_.GetConnectionId(), 0u);
    platform::CloseSocket(filler);
    platform::CloseSocket(listener);

    params = Params();
    params.host = "no-such-host.invalid";
    EXPECT_EQ(manager_.ConnectNew(params), 0);
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketErrorInvalidArgument);

    EXPECT_EQ(manager_.Attach(platform::kNoSocket, Params()), 0);
    ConnectToServer();
}

TEST_F(SocketManagerTest, BoundSocketIsTheOneThatConnects) {
    const uint16_t port = test_support::FreeLoopbackPort();
    ASSERT_NE(port, 0);
    EXPECT_EQ(manager_.Bind("no-such-host.invalid", 0), 0);
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketErrorInvalidArgument);
    ASSERT_EQ(manager_.Bind("127.0.0.1", port), 1);
    ConnectToServer();
    EXPECT_EQ(platform::SocketLocalPort(manager_.GetSocket()), port);
    RoundTrip();
}

TEST_F(SocketManagerTest, AttachTakesAConnectedSocket) {
    const platform::SocketHandle socket = platform::CreateTcpSocket();
    ASSERT_TRUE(platform::ConnectSocket(socket, platform::LoopbackAddress(), server_.Port(), 5000));
    ZepConnectParams params = Params();
    params.host = nullptr;
    params.port = 0;
    ASSERT_EQ(manager_.Attach(socket, params), 1);
    EXPECT_EQ(manager_.GetSocket(), socket);
    RoundTrip();
    EXPECT_EQ(server_.Greeting().size(), 25u);
}

// The threads of this process.
size_t ThreadCount() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/task")) {
        ++n;
    }
    return n;
}

// A connected loopback pair that is not the test server: the peer end is the
// test's to read (or not).
struct PlainPeer {
    platform::SocketHandle client = platform::CreateTcpSocket();
    platform::SocketHandle peer = platform::kNoSocket;

    PlainPeer() {
        const platform::SocketHandle listener = platform::CreateTcpSocket();
        EXPECT_TRUE(platform::BindSocket(listener, platform::LoopbackAddress(), 0));
        EXPECT_TRUE(platform::ListenSocket(listener, 1));
        EXPECT_TRUE(platform::ConnectSocket(client, platform::LoopbackAddress(),
                                            platform::SocketLocalPort(listener), 5000));
        peer = platform::AcceptSocket(listener);
        platform::CloseSocket(listener);
    }
    ~PlainPeer() { platform::CloseSocket(peer); }  // the client goes with its manager
};

// The transformed messages a peer got, each joined from the pieces of its
// frames, after the greeting block of `greetingSize` bytes.
std::vector<std::vector<uint8_t>> ReadTransformedMessages(platform::SocketHandle peer,
                                                          size_t greetingSize, size_t count) {
    std::vector<std::vector<uint8_t>> messages;
    std::vector<uint8_t> bytes(4 + greetingSize);
    if (!testserver::ReadExact(peer, bytes)) {
        return messages;
    }
    std::vector<uint8_t> joined;
    while (messages.size() < count) {
        uint8_t lengthField[4];
        if (!testserver::ReadExact(peer, lengthField)) {
            break;
        }
        bytes.resize(uint32_t{lengthField[0]} | uint32_t{lengthField[1]} << 8 |
                     uint32_t{lengthField[2]} << 16 | uint32_t{lengthField[3]} << 24);
        if (!testserver::ReadExact(peer, bytes)) {
            break;
        }
        const std::optional<ZepFrameView> frame = ZepParseFrame(bytes);
        if (!frame) {
            break;
        }
        joined.insert(joined.end(), frame->piece.begin(), frame->piece.end());
        if (frame->header.lastPiece != 0) {
            messages.push_back(std::exchange(joined, {}));
        }
    }
    return messages;
}

TEST_F(SocketManagerTest, KeptTransformSendsWhatAFreshOneGivesForEachMessage) {
    std::string mixed;
    for (int i = 0; i < 3000; ++i) {
        mixed.push_back(static_cast<char>('a' + (i * 7919) % 26));
    }
    const std::vector<std::string> texts{"x", std::string(40000, 'z'), mixed, "qqq", mixed + mixed};
    // Defaults with and without compression; a request may ask for other
    // flags, which keep a transform of their own.
    for (const uint32_t compression : {0u, 0x400u}) {
        SCOPED_TRACE(compression);
        PlainPeer plain;
        ZepSocketManager manager(ZepChannelKeyBlock(2), 128, 0x100, compression, 1, 4000);
        ZepConnectParams params = Params();
        params.host = nullptr;
        params.port = 0;
        ASSERT_EQ(manager.Attach(plain.client, params), 1);
        struct Sent {
            ZepMessage message;
            uint32_t compressionAsked;
        };
        std::vector<Sent> sent;
        for (int round = 0; round < 2; ++round) {
            for (const std::string& text : texts) {
                // The second round asks for flags other than the defaults.
                const uint32_t asked = round == 0 ? 0 : (compression == 0 ? 0x400u : 0x401u);
                sent.push_back({MakeMessage(229000 + uint32_t(sent.size()), Bytes(text)), asked});
                ZepDeliveryInfo descriptor;
                ASSERT_EQ(manager.SendRequest(descriptor, sent.back().message, nullptr, nullptr, 0,
                                              0, asked, 1, nullptr, 0),
                          1);
            }
        }
        const auto got = ReadTransformedMessages(plain.peer, sizeof(greeting_), sent.size());
        ASSERT_EQ(got.size(), sent.size());
        for (size_t i = 0; i < sent.size(); ++i) {
            ZepByteBuffer expected;
            ASSERT_TRUE(ZepSerializeMessage(sent[i].message, expected));
            const uint32_t flags =
                sent[i].compressionAsked != 0 ? sent[i].compressionAsked : compression;
            ZepTransform fresh(ZepChannelKeyBlock(2), 128, 0x100, flags);
            ASSERT_TRUE(fresh.Transform(expected, ZepTransform::kForward));
            const std::span<const uint8_t> want = ZepBufferBytes(expected);
            EXPECT_TRUE(std::ranges::equal(got[i], want)) << "message " << i;
        }
        manager.Close();
    }
}

TEST_F(SocketManagerTest, ConnectionRunsOnItsSocketThreadAlone) {
    PlainPeer plain;
    const size_t before = ThreadCount();
    ZepConnectParams params = Params();
    params.host = nullptr;
    params.port = 0;
    ASSERT_EQ(manager_.Attach(plain.client, params), 1);
    EXPECT_EQ(ThreadCount(), before + 1);  // no thread watches the socket for it
    manager_.Close();
    EXPECT_EQ(ThreadCount(), before);
}

TEST_F(SocketManagerTest, RequestLargerThanTheSocketBuffersGoesOutWholeOnceThePeerReads) {
    PlainPeer plain;
    ZepSocketManager manager(nullptr, 0, 0, 0, 0, 4000);
    ZepConnectParams params = Params();
    params.host = nullptr;
    params.port = 0;
    ASSERT_EQ(manager.Attach(plain.client, params), 1);

    // What the peer must get: the greeting block, then the frames.
    const std::string data(12 * 1024 * 1024, 'w');
    const ZepMessage request = MakeMessage(229045, Bytes(data));
    ZepByteBuffer transformed;
    ASSERT_TRUE(ZepSerializeMessage(request, transformed));
    ZepTransform transform;
    ASSERT_TRUE(transform.Transform(transformed, ZepTransform::kForward));
    const size_t pieces = (transformed.GetSize() + 3999) / 4000;
    const size_t expected = 4 + sizeof(greeting_) + transformed.GetSize() + pieces * 60;

    // Sends block until the peer starts reading: the sender waits for room.
    auto sent = std::async(std::launch::async, [&] {
        ZepDeliveryInfo descriptor;
        return manager.SendRequest(descriptor, request, nullptr, nullptr, 0, 0, 0, 0, nullptr, 0);
    });
    EXPECT_EQ(sent.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    size_t got = 0;
    std::vector<uint8_t> chunk(65536);
    while (got < expected) {
        const int n = platform::RecvSocket(plain.peer, chunk.data(), chunk.size());
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(sent.get(), 1);
    manager.Close();
}

TEST_F(SocketManagerTest, NotificationsAnEndingOwnerNeverTookAreFreed) {
    // An owner that ends without taking its messages: what was posted to it
    // goes with its queue (the leak check of the sanitizer build sees it).
    platform::Thread owner;
    platform::Event end(platform::Event::Mode::ManualReset);
    ASSERT_TRUE(owner.StartWithQueue([&] { end.Wait(kServerWaitMs); }));
    ZepConnectParams params = Params();
    params.ownerThread = owner.Id();
    ASSERT_EQ(manager_.ConnectNew(params), 1);
    ASSERT_TRUE(server_.WaitForClients(1, kServerWaitMs));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(server_.Notify(MakeMessage(211040, Bytes(std::string(100, 'q')))));
    }
    RoundTrip();  // the notifications before it have been posted
    end.Set();
    ASSERT_TRUE(owner.Join(kServerWaitMs));
    server_.CloseClient();  // the closed notice finds no owner and is freed at once
    manager_.Close();
}

class GreetingWaitTest : public SocketManagerTest {
protected:
    static TestGameServer::Options Options() {
        TestGameServer::Options options = ServerOptions();
        options.expectGreeting = false;
        options.serverGreeting = {'H', 'i', 0};
        return options;
    }
    GreetingWaitTest() : SocketManagerTest(Options()) {}
};

TEST_F(GreetingWaitTest, FirstDataOnlyReleasesConnect) {
    ZepConnectParams params = Params();
    params.greetingWaitMode = 1;
    ASSERT_EQ(manager_.ConnectNew(params), 1);
    RoundTrip();
    ASSERT_TRUE(owner_.Flush());
    EXPECT_TRUE(owner_.Received().empty());  // the greeting went nowhere
}

TEST_F(SocketManagerTest, FailedGreetingWaitClosesEverything) {
    ZepConnectParams params = Params();
    params.greetingWaitMode = 1;
    params.waitMs = 100;  // the server sends nothing first
    EXPECT_EQ(manager_.ConnectNew(params), 0);
    EXPECT_EQ(manager_.GetSocket(), platform::kNoSocket);
    EXPECT_EQ(manager_.GetConnectionId(), 0u);
}

}  // namespace
