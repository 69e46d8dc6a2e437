// The proxy socket against real proxies (dante-server, microsocks,
// tinyproxy) that the tests start on free loopback ports: each opens a tunnel
// to the loopback game server, hands it to a game channel and carries a real
// request and reply.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Socket.h"
#include "tests/support/ProxyProcess.h"
#include "tests/zep/SocketTestSupport.h"
#include "tests/zep/ZepTestFolder.h"
#include "tools/test_server/TestGameServer.h"
#include "zep/GameChannelSocket.h"
#include "zep/ProxyEventSocket.h"
#include "zep/ZepChannelKeys.h"

namespace {

using test_support::ProxyProcess;
using testserver::MakeMessage;
using testserver::ServerRequest;
using testserver::TestGameServer;
using zeptest::Bytes;
using zeptest::Text;

constexpr uint32_t kTunnelSeconds = 10;  // the game's own connect time-out

// Starts a proxy program with a config file written to the temp folder.
class RealProxyTest : public ::testing::Test {
protected:
    std::unique_ptr<ProxyProcess> StartDante() { return test_support::StartDante(folder_.Path()); }
    std::unique_ptr<ProxyProcess> StartMicrosocks(const std::string& user,
                                                  const std::string& password) {
        return test_support::StartMicrosocks(folder_.Path(), user, password);
    }
    std::unique_ptr<ProxyProcess> StartTinyproxy(const std::string& user,
                                                 const std::string& password, uint16_t targetPort) {
        return test_support::StartTinyproxy(folder_.Path(), user, password, targetPort);
    }

    // Opens a tunnel to the game server through the proxy, hands it to a
    // game channel as the game does, and asks once. The reply's data, or a
    // text that says what failed.
    std::string AskThroughProxy(int type, uint16_t proxyPort, const char* user,
                                const char* password) {
        CProxyEventSocket proxy;
        if (!proxy.ConnectBlocking("127.0.0.1", server_.Port(), type, "127.0.0.1", proxyPort, user,
                                   password, kTunnelSeconds, 1)) {
            return "<no tunnel: proxy error " + std::to_string(proxy.GetProxyError()) +
                   ", socket error " + std::to_string(platform::LastSocketError()) + ">";
        }
        CGameChannelSocket channel(nullptr, 0, 0, 0);
        channel.SelectTransformKey(2, 0x100, 0);
        ZepConnectParams params;
        params.ownerThread = owner_.Id();
        params.greeting = GetGameChannelGreeting();
        params.greetingLength = GetGameChannelGreetingLength() + 1;
        params.waitMs = 10000;
        if (!channel.Attach(proxy.Detach(), params)) {
            return "<attach failed>";
        }
        proxy.Close();  // harmless: the channel owns the socket now

        ZepDeliveryInfo descriptor;
        descriptor.callerWord = 1;
        ZepMessage reply;
        int timedOut = 0;
        if (!channel.SendRequest(descriptor, MakeMessage(201001, Bytes("through the proxy")),
                                 &reply, &timedOut, 10000, 0, 0, 1, nullptr, 0)) {
            return "<no reply>";
        }
        channel.Close();
        return Text(reply);
    }

    // The game server's greeting arrived whole through the tunnel.
    bool GreetingArrived() const {
        const std::vector<uint8_t> greeting = server_.Greeting();
        const std::string text(greeting.begin(), greeting.end());
        return text == std::string("\x15\x00\x00\x00Hello! Game Channel.\x00", 25);
    }

    void SetUp() override {
        zeptest::RegisterSocketWindowClass();
        server_.SetHandler([](TestGameServer& self, const ServerRequest& request) {
            std::string data = Text(request.message);
            data.assign(data.rbegin(), data.rend());
            self.Reply(request.messageSequence, MakeMessage(10, Bytes(data)));
        });
        ASSERT_TRUE(server_.Start());
    }

    uint16_t ServerPort() const { return server_.Port(); }

private:
    static TestGameServer::Options ServerOptions() {
        TestGameServer::Options options;
        options.key = ZepChannelKeyBlock(2);
        options.cipherFlags = 0x100;
        return options;
    }

    zeptest::TempFolder folder_;
    TestGameServer server_{ServerOptions()};
    zeptest::OwnerThread owner_;
};

const std::string kReversed = "yxorp eht hguorht";

TEST_F(RealProxyTest, DanteCarriesSocks4AndSocks5) {
    const std::unique_ptr<ProxyProcess> dante = StartDante();
    ASSERT_NE(dante, nullptr);
    EXPECT_EQ(AskThroughProxy(kProxyTypeSocks4, dante->Port(), nullptr, nullptr), kReversed);
    EXPECT_TRUE(GreetingArrived());
    EXPECT_EQ(AskThroughProxy(kProxyTypeSocks5, dante->Port(), nullptr, nullptr), kReversed);

    // A target where nobody listens: dante refuses, and the wait ends at once.
    CProxyEventSocket proxy;
    EXPECT_EQ(
        proxy.ConnectBlocking("127.0.0.1", test_support::FreeLoopbackPort(), kProxyTypeSocks5,
                              "127.0.0.1", dante->Port(), nullptr, nullptr, kTunnelSeconds, 1),
        0);
    EXPECT_EQ(proxy.GetProxyError(), kProxyErrorRefused);
}

TEST_F(RealProxyTest, MicrosocksChecksUserNameAndPassword) {
    const std::unique_ptr<ProxyProcess> microsocks = StartMicrosocks("player", "tiles&dice");
    ASSERT_NE(microsocks, nullptr);
    EXPECT_EQ(AskThroughProxy(kProxyTypeSocks5, microsocks->Port(), "player", "tiles&dice"),
              kReversed);
    EXPECT_TRUE(GreetingArrived());

    CProxyEventSocket proxy;
    EXPECT_EQ(proxy.ConnectBlocking("127.0.0.1", ServerPort(), kProxyTypeSocks5, "127.0.0.1",
                                    microsocks->Port(), "player", "wrong", kTunnelSeconds, 1),
              0);
    EXPECT_EQ(proxy.GetProxyError(), kProxyErrorAuthFailed);
    EXPECT_EQ(proxy.ConnectBlocking("127.0.0.1", ServerPort(), kProxyTypeSocks5, "127.0.0.1",
                                    microsocks->Port(), nullptr, nullptr, kTunnelSeconds, 1),
              0);
    EXPECT_EQ(proxy.GetProxyError(), kProxyErrorNoMethod);
}

TEST_F(RealProxyTest, TinyproxyAcceptsBasicCredentials) {
    const std::unique_ptr<ProxyProcess> tinyproxy =
        StartTinyproxy("player", "tiles-and-dice", ServerPort());
    ASSERT_NE(tinyproxy, nullptr);
    EXPECT_EQ(AskThroughProxy(kProxyTypeHttp, tinyproxy->Port(), "player", "tiles-and-dice"),
              kReversed);
    EXPECT_TRUE(GreetingArrived());

    // Wrong credentials: 407.
    CProxyEventSocket proxy;
    EXPECT_EQ(proxy.ConnectBlocking("127.0.0.1", ServerPort(), kProxyTypeHttp, "127.0.0.1",
                                    tinyproxy->Port(), "player", "wrong", kTunnelSeconds, 1),
              0);
    EXPECT_EQ(proxy.GetProxyError(), kProxyErrorRefused);
}

}  // namespace
