// The proxy handshakes against a scripted proxy on a loopback port: the bytes
// each protocol sends, the replies it accepts, and the error each refusal or
// malformed reply gives.

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/Messages.h"
#include "platform/Socket.h"
#include "zep/ProxyEventSocket.h"

namespace {

using namespace std::string_literals;

constexpr uint32_t kLongTimeoutSeconds = 30;  // only a hang would reach it
constexpr uint32_t kWaitMs = 10000;

std::string PortBytes(uint16_t port) {
    return {static_cast<char>(port >> 8), static_cast<char>(port & 0xFF)};
}
const std::string kLoopbackBytes = "\x7F\x00\x00\x01"s;

// A proxy on a loopback port that plays a script to its first client: read a
// number of bytes, read up to a terminator, send bytes, or end the
// connection. Everything it read is kept. When the script is over it keeps
// the connection open until the client closes it or the proxy stops.
class ScriptedProxy {
public:
    ScriptedProxy() {
        listener_ = platform::CreateTcpSocket();
        if (listener_ != platform::kNoSocket &&
            platform::BindSocket(listener_, platform::LoopbackAddress(), 0) &&
            platform::ListenSocket(listener_, 4)) {
            port_ = platform::SocketLocalPort(listener_);
        }
    }
    ~ScriptedProxy() { Stop(); }
    ScriptedProxy(const ScriptedProxy&) = delete;
    ScriptedProxy& operator=(const ScriptedProxy&) = delete;

    ScriptedProxy& Read(size_t n) {
        steps_.push_back({StepKind::Read, n, {}});
        return *this;
    }
    ScriptedProxy& ReadUntil(std::string terminator) {
        steps_.push_back({StepKind::ReadUntil, 0, std::move(terminator)});
        return *this;
    }
    ScriptedProxy& Send(std::string bytes) {
        steps_.push_back({StepKind::Send, 0, std::move(bytes)});
        return *this;
    }
    ScriptedProxy& End() {
        steps_.push_back({StepKind::End, 0, {}});
        return *this;
    }

    // Starts serving; the script must be complete.
    uint16_t Start() {
        thread_ = std::thread([this] { Serve(); });
        return port_;
    }
    uint16_t Port() const { return port_; }

    // What the client sent, once the script has run (or the client left).
    std::string Received() {
        std::unique_lock lock(mutex_);
        done_cv_.wait_for(lock, std::chrono::milliseconds(kWaitMs), [this] { return done_; });
        return received_;
    }

    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            if (client_ != platform::kNoSocket) {
                platform::ShutdownSocket(client_, platform::kShutdownBoth);
            }
        }
        if (listener_ != platform::kNoSocket) {
            platform::ShutdownSocket(listener_, platform::kShutdownBoth);
        }
        if (thread_.joinable()) {
            thread_.join();
        }
        if (listener_ != platform::kNoSocket) {
            platform::CloseSocket(listener_);
            listener_ = platform::kNoSocket;
        }
    }

private:
    enum class StepKind { Read, ReadUntil, Send, End };
    struct Step {
        StepKind kind;
        size_t count;
        std::string bytes;
    };

    void Serve() {
        const platform::SocketHandle client = platform::AcceptSocket(listener_);
        {
            std::lock_guard lock(mutex_);
            if (client == platform::kNoSocket || stopping_) {
                done_ = true;
                done_cv_.notify_all();
                if (client != platform::kNoSocket) {
                    platform::CloseSocket(client);
                }
                return;
            }
            client_ = client;
        }
        bool ended = false;
        for (const Step& step : steps_) {
            if (!RunStep(client, step, ended)) {
                break;
            }
        }
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        done_cv_.notify_all();
        // Hold the connection until the client (or Stop) ends it.
        char sink[256];
        while (!ended && platform::RecvSocket(client, sink, sizeof(sink)) > 0) {
        }
        std::lock_guard lock(mutex_);
        platform::CloseSocket(client);
        client_ = platform::kNoSocket;
    }

    bool RunStep(platform::SocketHandle client, const Step& step, bool& ended) {
        switch (step.kind) {
            case StepKind::Read:
                for (size_t i = 0; i < step.count; ++i) {
                    if (!ReadByte(client)) {
                        return false;
                    }
                }
                return true;
            case StepKind::ReadUntil:
                for (;;) {
                    if (!ReadByte(client)) {
                        return false;
                    }
                    std::lock_guard lock(mutex_);
                    if (received_.size() >= step.bytes.size() &&
                        received_.compare(received_.size() - step.bytes.size(), step.bytes.size(),
                                          step.bytes) == 0) {
                        return true;
                    }
                }
            case StepKind::Send:
                return platform::SendSocket(client, step.bytes.data(), step.bytes.size()) ==
                       static_cast<int>(step.bytes.size());
            case StepKind::End:
                platform::ShutdownSocket(client, platform::kShutdownSend);
                ended = true;
                return false;
        }
        return false;
    }

    bool ReadByte(platform::SocketHandle client) {
        char c = 0;
        if (platform::RecvSocket(client, &c, 1) != 1) {
            return false;
        }
        std::lock_guard lock(mutex_);
        received_.push_back(c);
        return true;
    }

    platform::SocketHandle listener_ = platform::kNoSocket;
    uint16_t port_ = 0;
    std::vector<Step> steps_;
    std::thread thread_;

    std::mutex mutex_;
    std::condition_variable done_cv_;
    std::string received_;                                 // guarded by mutex_
    bool done_ = false;                                    // guarded by mutex_
    bool stopping_ = false;                                // guarded by mutex_
    platform::SocketHandle client_ = platform::kNoSocket;  // guarded by mutex_
};

// Reads from a detached (blocking) tunnel until the peer ends it.
std::string ReadToEnd(platform::SocketHandle socket) {
    std::string text;
    char chunk[256];
    int n = 0;
    while ((n = platform::RecvSocket(socket, chunk, sizeof(chunk))) > 0) {
        text.append(chunk, static_cast<size_t>(n));
    }
    return text;
}

// Connects through the scripted proxy to 127.0.0.1:5000 (or the host given).
int ConnectThrough(CProxyEventSocket& socket, ScriptedProxy& proxy, int type,
                   const char* host = "127.0.0.1", const char* user = nullptr,
                   const char* password = nullptr) {
    platform::SetLastSocketError(0);
    return socket.ConnectBlocking(host, 5000, type, "127.0.0.1", proxy.Port(), user, password,
                                  kLongTimeoutSeconds, 1);
}

// A failure that ended the wait at once: the handshake's own error, not the
// deadline's.
void ExpectFailedAtOnce(CProxyEventSocket& socket, int error) {
    EXPECT_EQ(socket.GetProxyError(), error);
    EXPECT_NE(platform::LastSocketError(), platform::kSocketErrorTimedOut);
    EXPECT_EQ(socket.Handle(), platform::kNoSocket);
}

// --- SOCKS4 and SOCKS4a ---

TEST(ProxySocks4, SendsTheRequestAndCarriesTunnelBytesBothWays) {
    ScriptedProxy proxy;
    proxy.Read(9).Send("\x00\x5A\x00\x00\x00\x00\x00\x00"s).Read(4).Send("pong").End();
    proxy.Start();
    CProxyEventSocket socket;
    ASSERT_EQ(ConnectThrough(socket, proxy, kProxyTypeSocks4), 1);
    EXPECT_EQ(socket.GetMode(), 0);

    const platform::SocketHandle tunnel = socket.Detach();
    ASSERT_NE(tunnel, platform::kNoSocket);
    EXPECT_EQ(socket.Handle(), platform::kNoSocket);
    socket.Close();  // the tunnel has a new owner: this must not touch it
    ASSERT_EQ(platform::SendSocket(tunnel, "ping", 4), 4);
    EXPECT_EQ(ReadToEnd(tunnel), "pong");
    platform::CloseSocket(tunnel);
    EXPECT_EQ(proxy.Received(), "\x04\x01"s + PortBytes(5000) + kLoopbackBytes + "\0"s + "ping");
}

TEST(ProxySocks4, RefusalFailsAtOnceWithError2) {
    ScriptedProxy proxy;
    proxy.Read(9).Send("\x00\x5B\x00\x00\x00\x00\x00\x00"s);  // 91: refused
    proxy.Start();
    CProxyEventSocket socket;
    EXPECT_EQ(ConnectThrough(socket, proxy, kProxyTypeSocks4), 0);
    ExpectFailedAtOnce(socket, kProxyErrorRefused);
}

TEST(ProxySocks4, SocksFourASendsTheNameTheClientCannotResolve) {
    ScriptedProxy proxy;
    proxy.Read(22).Send("\x00\x5A\x00\x00\x00\x00\x00\x00"s);
    proxy.Start();
    CProxyEventSocket socket;
    ASSERT_EQ(ConnectThrough(socket, proxy, kProxyTypeSocks4a, "game.invalid"), 1);
    EXPECT_EQ(proxy.Received(),
              "\x04\x01"s + PortBytes(5000) + "\x00\x00\x00\x01\x00"s + "game.invalid" + "\0"s);
}

TEST(ProxySocks4, UnresolvableNameIsError7BeforeAnythingIsSent) {
    ScriptedProxy proxy;
    proxy.Start();
    CProxyEventSocket socket;
    EXPECT_EQ(ConnectThrough(socket, proxy, kProxyTypeSocks4, "game.invalid"), 0);
    EXPECT_EQ(socket.GetProxyError(), kProxyErrorUnresolved);
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketErrorInvalidArgument);
    proxy.Stop();
    EXPECT_EQ(proxy.Received(), "");
}

// --- SOCKS5 ---

std::string Socks5Reply(uint8_t addressType, const std::string& address) {
    return "\x05\x00\x00"s + static_cast<char>(addressType) + address + PortBytes(1234);
}

TEST(ProxySocks5, WithoutCredentialsOffersNoAuthenticationOnly) {
    // An empty user name (the game's settings hold texts, never null) is none.
    for (const char* user : {static_cast<const char*>(nullptr), ""}) {
        ScriptedProxy proxy;
        proxy.Read(3).Send("\x05\x00"s).Read(10).Send(Socks5Reply(1, kLoopbackBytes));
        proxy.Start();
        CProxyEventSocket socket;
        ASSERT_EQ(ConnectThrough(socket, proxy, kProxyTypeSocks5, "127.0.0.1", user, ""), 1);
        EXPECT_EQ(proxy.Received(),
                  "\x05\x01\x00"s + "\x05\x01\x00\x01"s + kLoopbackBytes + PortBytes(5000));
    }
}

TEST(ProxySocks5, CredentialsGoAsUserNameAndPasswordSubnegotiation) {
    ScriptedProxy proxy;
    const std::string request = "\x05\x01\x00\x03\x0C"s + "game.invalid" + PortBytes(5000);
    proxy.Read(4).Send("\x05\x02"s).Read(12).Send("\x01\x00"s);
    proxy.Read(request.size()).Send(Socks5Reply(1, kLoopbackBytes));
    proxy.Start();
    CProxyEventSocket socket;
    ASSERT_EQ(ConnectThrough(socket, proxy, kProxyTypeSocks5, "game.invalid", "alice", "pw12"), 1);
    EXPECT_EQ(proxy.Received(),
              "\x05\x02\x02\x00"s + "\x01\x05"s + "alice" + "\x04"s + "pw12" + request);
}

TEST(ProxySocks5, MethodRepliesMapToTheirErrors) {
    struct Case {
        const char* name;
        std::string methodReply;
        bool credentials;
        int error;
    };
    const Case cases[] = {
        {"no acceptable method", "\x05\xFF"s, true, kProxyErrorNoMethod},
        {"wrong version", "\x04\x00"s, false, kProxyErrorNoMethod},
        {"credentials asked, none set", "\x05\x02"s, false, kProxyErrorNoCredentials},
        {"a method never offered", "\x05\x01"s, true, kProxyErrorMethodNotOffered},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedProxy proxy;
        proxy.Read(c.credentials ? 4 : 3).Send(c.methodReply);
        proxy.Start();
        CProxyEventSocket socket;
        EXPECT_EQ(ConnectThrough(socket, proxy, kProxyTypeSocks5, "127.0.0.1",
                                 c.credentials ? "alice" : nullptr, "pw"),
                  0);
        ExpectFailedAtOnce(socket, c.error);
    }
}

TEST(ProxySocks5, RefusedCredentialsAreError5) {
    ScriptedProxy proxy;
    proxy.Read(4).Send("\x05\x02"s).Read(9).Send("\x01\x01"s);
    proxy.Start();
    CProxyEventSocket socket;
    EXPECT_EQ(ConnectThrough(socket, proxy, kProxyTypeSocks5, "127.0.0.1", "alice", "pw"), 0);
    ExpectFailedAtOnce(socket, kProxyErrorAuthFailed);
}

TEST(ProxySocks5, RepliesOfEveryAddressTypeAreReadWholeAndNoFurther) {
    const std::string ipv6(16, '\x01');
    const std::string name = "\x09"s + "proxy.lan";
    for (const auto& [type, address] :
         {std::pair<uint8_t, std::string>{1, kLoopbackBytes}, {3, name}, {4, ipv6}}) {
        SCOPED_TRACE(static_cast<int>(type));
        ScriptedProxy proxy;
        // Tunnel bytes follow the reply at once.
        proxy.Read(3).Send("\x05\x00"s).Read(10).Send(Socks5Reply(type, address) + "tail").End();
        proxy.Start();
        CProxyEventSocket socket;
        ASSERT_EQ(ConnectThrough(socket, proxy, kProxyTypeSocks5), 1);
        const platform::SocketHandle tunnel = socket.Detach();
        EXPECT_EQ(ReadToEnd(tunnel), "tail");
        platform::CloseSocket(tunnel);
    }
}

TEST(ProxySocks5, BadRepliesAreError2) {
    const std::pair<const char*, std::string> cases[] = {
        {"reply code 5 (refused)", "\x05\x05\x00\x01"s + kLoopbackBytes + PortBytes(1)},
        {"unknown address type", "\x05\x00\x00\x07"s + kLoopbackBytes + PortBytes(1)},
        {"wrong version", "\x04\x00\x00\x01"s + kLoopbackBytes + PortBytes(1)},
        {"cut short", "\x05\x00\x00\x01\x7F"s},
    };
    for (const auto& [name, reply] : cases) {
        SCOPED_TRACE(name);
        ScriptedProxy proxy;
        proxy.Read(3).Send("\x05\x00"s).Read(10).Send(reply).End();
        proxy.Start();
        CProxyEventSocket socket;
        EXPECT_EQ(ConnectThrough(socket, proxy, kProxyTypeSocks5), 0);
        ExpectFailedAtOnce(socket, kProxyErrorRefused);
    }
}

TEST(ProxySocks5, FieldsLongerThanTheirLengthByteAreRefusedBeforeSending) {
    const std::string longText(256, 'a');
    const std::string longName = std::string(248, 'h') + ".invalid";
    struct Case {
        const char* name;
        std::string host;
        const char* user;
        const char* password;
    };
    const Case cases[] = {
        {"user name", "127.0.0.1", longText.c_str(), "pw"},
        {"password", "127.0.0.1", "alice", longText.c_str()},
        {"host name", longName, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedProxy proxy;
        proxy.Read(1);
        proxy.Start();
        CProxyEventSocket socket;
        EXPECT_EQ(
            ConnectThrough(socket, proxy, kProxyTypeSocks5, c.host.c_str(), c.user, c.password), 0);
        ExpectFailedAtOnce(socket, kProxyErrorRefused);
        EXPECT_EQ(proxy.Received(), "");
    }
}

// --- HTTP CONNECT ---

TEST(ProxyHttp, CredentialsGoAsOneLineOfStandardBase64) {
    // 60 bytes of "user:password": the token is 80 characters on one line.
    const std::string user(30, 'u');
    const std::string password(29, 'p');
    const std::string token =
        "dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1dXV1OnBwcHBwcHBwcHBwcHBwcHBwcHBwcHBwcHBwcHBw";
    const std::string head = "CONNECT game.invalid:5000 HTTP/1.1\r\nHost: game.invalid:5000\r\n";
    auto headers = [](const std::string& t) {
        return "Authorization: Basic " + t + "\r\nProxy-Authorization: Basic " + t + "\r\n";
    };
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {nullptr, nullptr, ""},
        {"Aladdin", "open sesame", headers("QWxhZGRpbjpvcGVuIHNlc2FtZQ==")},
        {user.c_str(), password.c_str(), headers(token)},
    };
    for (const auto& [u, p, expected] : cases) {
        ScriptedProxy proxy;
        proxy.ReadUntil("\r\n\r\n").Send("HTTP/1.0 200 OK\r\nProxy-agent: test\r\n\r\n");
        proxy.Start();
        CProxyEventSocket socket;
        ASSERT_EQ(ConnectThrough(socket, proxy, kProxyTypeHttp, "game.invalid", u, p), 1);
        EXPECT_EQ(proxy.Received(), head + expected + "\r\n");
    }
}

TEST(ProxyHttp, RefusedOrMalformedRepliesAreError2) {
    const std::pair<const char*, std::string> cases[] = {
        {"407", "HTTP/1.0 407 Proxy Authentication Required\r\n\r\n"},
        {"not HTTP", "SOCKS/1.0 200 OK\r\n\r\n"},
        {"no status", "HTTP/1.1\r\n\r\n"},
        {"header past 8 KiB", "HTTP/1.1 200 OK\r\nX-Filler: " + std::string(9000, 'x')},
        {"connection ends in the header", "HTTP/1.1 200 OK\r\nX-Cut: 1\r\n"},
    };
    for (const auto& [name, reply] : cases) {
        SCOPED_TRACE(name);
        ScriptedProxy proxy;
        proxy.ReadUntil("\r\n\r\n").Send(reply).End();
        proxy.Start();
        CProxyEventSocket socket;
        EXPECT_EQ(ConnectThrough(socket, proxy, kProxyTypeHttp), 0);
        ExpectFailedAtOnce(socket, kProxyErrorRefused);
    }
}

TEST(ProxyHttp, TunnelBytesRightAfterTheBlankLineStayInTheSocket) {
    ScriptedProxy proxy;
    proxy.ReadUntil("\r\n\r\n").Send("HTTP/1.1 200 OK\r\n\r\n\x15\x00\x00\x00 greeting"s).End();
    proxy.Start();
    CProxyEventSocket socket;
    ASSERT_EQ(ConnectThrough(socket, proxy, kProxyTypeHttp), 1);
    const platform::SocketHandle tunnel = socket.Detach();
    EXPECT_EQ(ReadToEnd(tunnel), "\x15\x00\x00\x00 greeting"s);
    platform::CloseSocket(tunnel);
}

// --- the blocking wait ---

TEST(ProxyConnectBlocking, UnreachableProxyOrLostConnectionFailsAtOnce) {
    // A port nobody listens on: the connect is refused.
    uint16_t closedPort = 0;
    {
        ScriptedProxy probe;
        closedPort = probe.Port();
    }
    CProxyEventSocket socket;
    platform::SetLastSocketError(0);
    EXPECT_EQ(socket.ConnectBlocking("127.0.0.1", 5000, kProxyTypeSocks5, "127.0.0.1", closedPort,
                                     nullptr, nullptr, kLongTimeoutSeconds, 1),
              0);
    ExpectFailedAtOnce(socket, kProxyErrorUnreachable);

    EXPECT_EQ(socket.ConnectBlocking("127.0.0.1", 5000, kProxyTypeSocks5, "proxy.invalid", 1080,
                                     nullptr, nullptr, kLongTimeoutSeconds, 1),
              0);
    EXPECT_EQ(socket.GetProxyError(), kProxyErrorUnreachable);

    ScriptedProxy closing;
    closing.Read(3).End();  // ends the connection without a reply
    closing.Start();
    EXPECT_EQ(ConnectThrough(socket, closing, kProxyTypeSocks5), 0);
    ExpectFailedAtOnce(socket, kProxyErrorRefused);
}

TEST(ProxyConnectBlocking, SilentProxyEndsAtTheDeadline) {
    ScriptedProxy proxy;
    proxy.Read(3);  // never answers
    proxy.Start();
    CProxyEventSocket socket;
    EXPECT_EQ(socket.ConnectBlocking("127.0.0.1", 5000, kProxyTypeSocks5, "127.0.0.1", proxy.Port(),
                                     nullptr, nullptr, 1, 1),
              0);
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketErrorTimedOut);
    EXPECT_EQ(socket.GetProxyError(), kProxyErrorNone);
    EXPECT_EQ(socket.Handle(), platform::kNoSocket);
}

TEST(ProxyConnectBlocking, WithoutAProxyTheConnectionItselfIsTheTunnel) {
    ScriptedProxy server;
    server.Send("hi").End();
    server.Start();
    CProxyEventSocket socket;
    ASSERT_EQ(socket.ConnectBlocking("127.0.0.1", server.Port(), kProxyTypeNone, "", 0, nullptr,
                                     nullptr, kLongTimeoutSeconds, 1),
              1);
    const platform::SocketHandle tunnel = socket.Detach();
    EXPECT_EQ(ReadToEnd(tunnel), "hi");
    platform::CloseSocket(tunnel);
    EXPECT_EQ(socket.ConnectBlocking("127.0.0.1", 1, 5, "127.0.0.1", 1, nullptr, nullptr, 1, 1), 0)
        << "an unknown proxy type";
}

// A window on the test thread whose handler runs while ConnectBlocking waits.
class ProbeWindow : public platform::Window {
public:
    static constexpr uint32_t kProbe = platform::kMsgApp + 7;
    std::function<void()> onProbe;

    platform::LResult WindowProc(uint32_t id, platform::WParam w, platform::LParam l) override {
        if (id == kProbe && onProbe) {
            onProbe();
            return 0;
        }
        return Window::WindowProc(id, w, l);
    }
};

TEST(ProxyConnectBlocking, PumpsTheQueueAndHandsBackAQuit) {
    ScriptedProxy proxy;
    proxy.Read(3);  // holds the handshake open
    proxy.Start();
    platform::RegisterWindowClass("Proxy Test Probe");
    ProbeWindow window;
    ASSERT_TRUE(window.Create("Proxy Test Probe"));

    CProxyEventSocket socket;
    int sendResult = 0;
    int sendError = 0;
    int receiveResult = 0;
    int receiveError = 0;
    window.onProbe = [&] {
        // Runs inside the wait, while the handshake is under way.
        char byte = 'x';
        sendResult = socket.Send(&byte, 1);
        sendError = platform::LastSocketError();
        receiveResult = socket.Receive(&byte, 1);
        receiveError = platform::LastSocketError();
        platform::PostQuitMessage(42);
    };
    ASSERT_TRUE(platform::PostMessage(window.Id(), ProbeWindow::kProbe, 0, 0));
    EXPECT_EQ(ConnectThrough(socket, proxy, kProxyTypeSocks5), 0);
    EXPECT_EQ(sendResult, -1);
    EXPECT_EQ(sendError, platform::kSocketErrorWouldBlock);
    EXPECT_EQ(receiveResult, -1);
    EXPECT_EQ(receiveError, platform::kSocketErrorWouldBlock);
    EXPECT_EQ(socket.Handle(), platform::kNoSocket);

    // The quit is there again for the caller's own loop.
    platform::Message message;
    ASSERT_TRUE(platform::PeekMessage(message, platform::PeekMode::Remove));
    EXPECT_EQ(message.id, platform::kMsgQuit);
    EXPECT_EQ(message.wParam, 42u);
    window.Destroy();
}

// --- listening through a SOCKS proxy ---

// Records the bind's notices and takes the accepted connection's data.
class BindingSocket : public CProxySocket {
public:
    int errors = 0;
    bool bound = false;
    bool accepted = false;
    uint32_t boundAddress = 0;
    uint16_t boundPort = 0;

protected:
    void OnProxyError(int) override { ++errors; }
    void OnProxyConnected(uint32_t address, uint16_t port) override {
        bound = true;
        boundAddress = address;
        boundPort = port;
    }
    void OnAccept(int) override { accepted = true; }
};

class ReceivingSocket : public platform::AsyncSocket {
public:
    std::string data;

protected:
    void OnReceive(int) override {
        char chunk[64];
        int n = 0;
        while ((n = Receive(chunk, sizeof(chunk))) > 0) {
            data.append(chunk, static_cast<size_t>(n));
        }
    }
};

bool PumpUntil(const std::function<bool()>& done) {
    const uint32_t start = platform::GetTickCount32();
    while (!done()) {
        platform::Message message;
        while (platform::PeekMessage(message, platform::PeekMode::Remove)) {
            platform::DispatchMessage(message);
        }
        if (done()) {
            break;
        }
        if (platform::GetTickCount32() - start > kWaitMs) {
            return false;
        }
        platform::WaitMessage(100);
    }
    return true;
}

TEST(ProxyListen, SocksBindReportsTheBoundAddressThenHandsTheConnectionOver) {
    const uint32_t peer = 0x0403020A;  // 10.2.3.4 in network order
    struct Case {
        int type;
        size_t requestSize;
        std::string firstReply;
        std::string secondReply;
        std::string request;
        uint32_t boundAddress;
    };
    const Case cases[] = {
        // SOCKS4 bound on 0.0.0.0: the proxy's own address stands for it.
        {kProxyTypeSocks4, 9, "\x00\x5A\x11\x5C\x00\x00\x00\x00"s,
         "\x00\x5A\x00\x00\x0A\x02\x03\x05"s, "\x04\x02\x00\x00\x0A\x02\x03\x04\x00"s,
         platform::LoopbackAddress()},
        {kProxyTypeSocks5, 10, "\x05\x00\x00\x01\xC0\xA8\x01\x02\x11\x5C"s,
         "\x05\x00\x00\x01\x0A\x02\x03\x05\x00\x50"s, "\x05\x02\x00\x01\x0A\x02\x03\x04\x00\x00"s,
         0x0201A8C0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        ScriptedProxy proxy;
        if (c.type == kProxyTypeSocks5) {
            proxy.Read(3).Send("\x05\x00"s);
        }
        proxy.Read(c.requestSize).Send(c.firstReply).Send(c.secondReply).Send("peer data").End();
        proxy.Start();

        BindingSocket listener;
        ASSERT_TRUE(listener.Create());
        listener.SetProxy(c.type, "127.0.0.1", proxy.Port());
        ASSERT_EQ(listener.ListenThroughProxy(peer), 1);
        ASSERT_TRUE(PumpUntil([&] { return listener.accepted || listener.errors > 0; }));
        EXPECT_EQ(listener.errors, 0);
        EXPECT_TRUE(listener.bound);
        EXPECT_EQ(listener.boundAddress, c.boundAddress);
        EXPECT_EQ(listener.boundPort, 4444);
        EXPECT_EQ(listener.GetMode(), 0);

        ReceivingSocket connection;
        ASSERT_EQ(listener.Accept(connection), 1);
        EXPECT_EQ(listener.Handle(), platform::kNoSocket);
        ASSERT_TRUE(PumpUntil([&] { return connection.data.size() >= 9; }));
        EXPECT_EQ(connection.data, "peer data");
        std::string prefix = c.type == kProxyTypeSocks5 ? "\x05\x01\x00"s : ""s;
        EXPECT_EQ(proxy.Received(), prefix + c.request);
    }
}

}  // namespace
