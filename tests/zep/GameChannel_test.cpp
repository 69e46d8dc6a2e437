// The game channel: its greeting on the wire, CRCs on every frame, the key
// table and the AES step against the loopback game server.

#include "zep/GameChannelSocket.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "tests/zep/SocketTestSupport.h"
#include "tools/test_server/TestGameServer.h"
#include "zep/ZepChannelKeys.h"

namespace {

using testserver::MakeMessage;
using testserver::ServerRequest;
using testserver::TestGameServer;
using zeptest::Bytes;
using zeptest::OwnerThread;
using zeptest::Text;

constexpr uint32_t kWaitMs = 10000;  // bounds that only catch hangs

TestGameServer::Options WithKeyBlock(int index, uint32_t cipherFlags) {
    TestGameServer::Options options;
    options.key = ZepChannelKeyBlock(index);
    options.cipherFlags = cipherFlags;
    return options;
}

// Connects the channel as the game does and runs one request against a
// server that answers with code 10 and the request's data reversed.
class ChannelSession {
public:
    ChannelSession(CGameChannelSocket& channel, TestGameServer& server)
        : channel_(channel), server_(server) {
        zeptest::RegisterSocketWindowClass();
        server_.SetHandler([](TestGameServer& self, const ServerRequest& request) {
            std::string data = Text(request.message);
            data.assign(data.rbegin(), data.rend());
            self.Reply(request.messageSequence, MakeMessage(10, Bytes(data)));
        });
    }

    int Connect() {
        ZepConnectParams params;
        params.host = "127.0.0.1";
        params.port = server_.Port();
        params.connectSeconds = 10;
        params.ownerThread = owner_.Id();
        params.greeting = GetGameChannelGreeting();
        params.greetingLength = GetGameChannelGreetingLength() + 1;
        params.waitMs = 10000;
        return channel_.ConnectNew(params);
    }

    // The reply's data, or "<failed>".
    std::string Ask(const std::string& data, uint32_t crcFlag = 1) {
        ZepDeliveryInfo descriptor;
        descriptor.socket = static_cast<uint32_t>(channel_.GetSocket());
        descriptor.callerWord = 1;
        ZepMessage reply;
        int timedOut = 0;
        if (!channel_.SendRequest(descriptor, MakeMessage(201001, Bytes(data)), &reply, &timedOut,
                                  2000, 0, 0, crcFlag, nullptr, 0)) {
            return "<failed>";
        }
        return Text(reply);
    }

private:
    CGameChannelSocket& channel_;
    TestGameServer& server_;
    OwnerThread owner_;
};

TEST(GameChannel, GreetingGoesFirstAndEveryFrameCarriesACrc) {
    TestGameServer server(WithKeyBlock(2, 0x100));
    ASSERT_TRUE(server.Start());
    CGameChannelSocket channel(nullptr, 0, 0, 0);
    EXPECT_EQ(channel.GetMaxPieceSize(), 4000u);
    ASSERT_EQ(channel.SelectTransformKey(2, 0x100, 0), 1);
    ChannelSession session(channel, server);
    ASSERT_EQ(session.Connect(), 1);
    EXPECT_EQ(session.Ask("abc", 0), "cba");  // no CRC asked for: it goes anyway

    std::vector<uint8_t> expected = {0x15, 0, 0, 0};
    const char* text = "Hello! Game Channel.";
    expected.insert(expected.end(), text, text + 21);
    EXPECT_EQ(server.Greeting(), expected);
    EXPECT_EQ(GetGameChannelGreetingLength(), 20u);

    const std::vector<testserver::ReceivedFrame> frames = server.FramesReceived();
    ASSERT_FALSE(frames.empty());
    for (const testserver::ReceivedFrame& frame : frames) {
        EXPECT_EQ(frame.header.crcFlag, 1u);
    }
    channel.Close();
}

TEST(GameChannel, SixteenByteRequestIsOneFrameOf160Bytes) {
    // 16 data bytes: a serialised message of 44, 64 after the zlib step's
    // header, 80 enciphered, 100 after the cipher step's header.
    TestGameServer server(WithKeyBlock(2, 0x100));
    ASSERT_TRUE(server.Start());
    CGameChannelSocket channel(nullptr, 0, 0, 0);
    ASSERT_EQ(channel.SelectTransformKey(2, 0x100, 0), 1);
    ChannelSession session(channel, server);
    ASSERT_EQ(session.Connect(), 1);
    EXPECT_EQ(session.Ask("0123456789abcdef"), "fedcba9876543210");
    const std::vector<testserver::ReceivedFrame> frames = server.FramesReceived();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].length + 4, 160u);
}

TEST(GameChannel, KeyTableIndicesOutsideTheTableAreRefused) {
    CGameChannelSocket channel(nullptr, 0, 0, 0);
    EXPECT_EQ(channel.SelectTransformKey(4, 0x100, 0), 0);
    EXPECT_EQ(channel.SelectTransformKey(-1, 0x100, 0), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(channel.SelectTransformKey(i, 0x100, 0), 1);
    }
    EXPECT_EQ(ZepChannelKeyBlock(4), nullptr);
    EXPECT_EQ(ZepChannelKeyBlock(1), ZepChannelKeyBlock(0) + 128);
    EXPECT_NE(std::memcmp(ZepChannelKeyBlock(0), ZepChannelKeyBlock(2), 16), 0);
}

TEST(GameChannel, TheSelectedBlockIsTheKeyOnBothSides) {
    // A null key selects block 0; a server keyed with block 0 understands it.
    TestGameServer blockZero(WithKeyBlock(0, 0x100));
    ASSERT_TRUE(blockZero.Start());
    CGameChannelSocket channel(nullptr, 0, 0, 0);
    ASSERT_EQ(channel.SetTransformKey(nullptr, 12345, 0x100, 0), 1);
    ChannelSession session(channel, blockZero);
    ASSERT_EQ(session.Connect(), 1);
    EXPECT_EQ(session.Ask("zero"), "orez");
    channel.Close();

    // Block 2 against a server keyed with block 0: the server cannot decode
    // the request, so no reply comes.
    ASSERT_EQ(channel.SelectTransformKey(2, 0x100, 0), 1);
    ASSERT_EQ(session.Connect(), 1);
    ZepDeliveryInfo descriptor;
    descriptor.callerWord = 1;
    ZepMessage reply;
    int timedOut = 0;
    EXPECT_EQ(channel.SendRequest(descriptor, MakeMessage(201001, Bytes("two")), &reply, &timedOut,
                                  100, 0, 0, 1, nullptr, 0),
              0);
    EXPECT_EQ(timedOut, 1);
    EXPECT_GE(blockZero.ProtocolErrors(), 1u);
}

TEST(GameChannel, CompressionStepTravelsWhenChosen) {
    TestGameServer server([] {
        TestGameServer::Options options = WithKeyBlock(1, 0x100);
        options.compressionFlags = 0x400;
        return options;
    }());
    ASSERT_TRUE(server.Start());
    CGameChannelSocket channel(nullptr, 0, 0, 0);
    ASSERT_EQ(channel.SelectTransformKey(1, 0x100, 0x400), 1);
    ChannelSession session(channel, server);
    ASSERT_EQ(session.Connect(), 1);
    const std::string text(40000, 'z');  // compresses well below one piece
    EXPECT_EQ(session.Ask(text), text);
    EXPECT_EQ(server.FramesReceived().size(), 1u);

    // More messages of several sizes, one after another: nothing of one may
    // stay behind in the steps for the next.
    std::string mixed;
    for (int i = 0; i < 3000; ++i) {
        mixed.push_back(static_cast<char>('a' + (i * 7919) % 26));
    }
    for (const std::string& message :
         {std::string("x"), std::string(40000, 'z'), mixed, std::string(17, 'q'), mixed + mixed}) {
        // The server answers with the bytes reversed.
        EXPECT_EQ(session.Ask(message), std::string(message.rbegin(), message.rend()));
    }
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

}  // namespace
