// TCP sockets and their readiness notices, on loopback only.

#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <string>

#include <cstring>
#include <vector>

#include "platform/AsyncSelect.h"
#include "platform/Messages.h"

namespace platform {
namespace {

constexpr char kClass[] = "Socket Test Window";
constexpr uint32_t kNotice = 11025;

// A descriptor closed when the object goes.
class OwnedSocket {
public:
    explicit OwnedSocket(SocketHandle socket = kNoSocket) : socket_(socket) {}
    ~OwnedSocket() { Reset(); }
    OwnedSocket(const OwnedSocket&) = delete;
    OwnedSocket& operator=(const OwnedSocket&) = delete;
    SocketHandle get() const { return socket_; }
    void Reset(SocketHandle socket = kNoSocket) {
        if (socket_ != kNoSocket) {
            CloseSocket(socket_);
        }
        socket_ = socket;
    }

private:
    SocketHandle socket_;
};

// A loopback listener with a connected pair taken from it.
struct Loopback {
    OwnedSocket listener{CreateTcpSocket()};
    OwnedSocket client{CreateTcpSocket()};
    OwnedSocket server;
    uint16_t port = 0;

    void ConnectOnly() { ASSERT_TRUE(ConnectSocket(client.get(), LoopbackAddress(), port, 5000)); }

    explicit Loopback(int backlog = 4) {
        EXPECT_TRUE(BindSocket(listener.get(), LoopbackAddress(), 0));
        EXPECT_TRUE(ListenSocket(listener.get(), backlog));
        port = SocketLocalPort(listener.get());
        EXPECT_NE(port, 0);
    }
    void Connect() {
        ConnectOnly();
        server.Reset(AcceptSocket(listener.get()));
        ASSERT_NE(server.get(), kNoSocket);
    }
};

// The next message of the calling thread's queue, waiting up to the bound
// (which only turns a fault into a failure instead of a hang).
bool NextMessage(Message& out, uint32_t timeoutMs = 10000) {
    const uint32_t start = GetTickCount32();
    for (;;) {
        if (PeekMessage(out, PeekMode::Remove)) {
            return true;
        }
        const uint32_t elapsed = GetTickCount32() - start;
        if (elapsed >= timeoutMs || !WaitMessage(timeoutMs - elapsed)) {
            return false;
        }
    }
}

// The event of the next notice; 0 when none came.
uint32_t NextNotice(uint32_t* error = nullptr) {
    Message m;
    while (NextMessage(m)) {
        if (m.id == kNotice) {
            if (error != nullptr) {
                *error = SelectError(m.lParam);
            }
            return SelectEvent(m.lParam);
        }
    }
    return 0;
}

class SocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterWindowClass(kClass);
        ASSERT_TRUE(window_.Create(kClass));
    }
    void TearDown() override { window_.Destroy(); }

    Window window_;
};

TEST_F(SocketTest, SendAndReceiveOnLoopback) {
    Loopback link;
    link.Connect();
    EXPECT_TRUE(IsSocketConnected(link.client.get()));
    const char text[] = "ping";
    EXPECT_EQ(SendSocket(link.client.get(), text, 4), 4);
    char got[8] = {};
    EXPECT_EQ(RecvSocket(link.server.get(), got, sizeof(got)), 4);
    EXPECT_STREQ(got, "ping");

    // Writes without the small-write delay still arrive whole and in order.
    ASSERT_TRUE(SetSocketNoDelay(link.client.get(), true));
    EXPECT_EQ(SendSocket(link.client.get(), "a", 1), 1);
    EXPECT_EQ(SendSocket(link.client.get(), "b", 1), 1);
    char two[2] = {};
    size_t gotTwo = 0;
    while (gotTwo < 2) {
        const int n = RecvSocket(link.server.get(), two + gotTwo, 2 - gotTwo);
        ASSERT_GT(n, 0);
        gotTwo += static_cast<size_t>(n);
    }
    EXPECT_EQ(std::string(two, 2), "ab");

    ASSERT_TRUE(SetSocketBlocking(link.server.get(), false));
    EXPECT_EQ(RecvSocket(link.server.get(), got, sizeof(got)), -1);
    EXPECT_EQ(LastSocketError(), kSocketErrorWouldBlock);

    link.client.Reset();
    ASSERT_TRUE(SetSocketBlocking(link.server.get(), true));
    EXPECT_EQ(RecvSocket(link.server.get(), got, sizeof(got)), 0);  // end of stream
}

TEST_F(SocketTest, FailuresLeaveWindowsCodes) {
    EXPECT_EQ(SendSocket(kNoSocket, "x", 1), -1);
    EXPECT_EQ(LastSocketError(), kSocketErrorBadHandle);
    EXPECT_FALSE(CloseSocket(kNoSocket));
    EXPECT_FALSE(SetSocketNoDelay(kNoSocket, true));
    EXPECT_EQ(LastSocketError(), kSocketErrorBadHandle);

    // Nobody listens on a port that was just given up.
    uint16_t freePort = 0;
    {
        Loopback gone;
        freePort = gone.port;
    }
    OwnedSocket socket(CreateTcpSocket());
    EXPECT_FALSE(ConnectSocket(socket.get(), LoopbackAddress(), freePort, 5000));
    EXPECT_EQ(LastSocketError(), kSocketErrorConnectionRefused);
}

TEST_F(SocketTest, SendToAClosedPeerFailsWithoutSignal) {
    Loopback link;
    link.Connect();
    link.server.Reset();
    std::vector<char> block(64 * 1024, 'x');
    int result = 0;
    // The first sends may still be taken by the system; one fails once the
    // peer's reset has come back.
    for (int i = 0; i < 100 && result >= 0; ++i) {
        result = SendSocket(link.client.get(), block.data(), block.size());
    }
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(LastSocketError() == kSocketErrorShutdown ||
                LastSocketError() == kSocketErrorConnectionReset);
}

TEST_F(SocketTest, ConnectGivesUpAtItsTimeOut) {
    // A listener whose queue is full drops further connection requests, so a
    // connect to it can only end by its time-out.
    Loopback full(0);
    full.ConnectOnly();  // fills the queue: it is never accepted
    OwnedSocket waiting(CreateTcpSocket());
    EXPECT_FALSE(ConnectSocket(waiting.get(), LoopbackAddress(), full.port, 100));
    EXPECT_EQ(LastSocketError(), kSocketErrorTimedOut);

    // A time-out of 0 still looks once: a listener with room is reached.
    Loopback open;
    OwnedSocket quick(CreateTcpSocket());
    EXPECT_TRUE(ConnectSocket(quick.get(), LoopbackAddress(), open.port, 0));
}

TEST_F(SocketTest, NoticesComeOnceEachInOrder) {
    Loopback link;
    link.Connect();
    AsyncSelect select;
    ASSERT_TRUE(select.Start(link.client.get(), window_.Id(), kNotice,
                             kSocketEventRead | kSocketEventWrite | kSocketEventClose));
    EXPECT_FALSE(select.Start(link.client.get(), window_.Id(), kNotice, kSocketEventRead));
    EXPECT_EQ(NextNotice(), kSocketEventWrite);  // once, at the start

    EXPECT_EQ(SendSocket(link.server.get(), "abc", 3), 3);
    EXPECT_EQ(NextNotice(), kSocketEventRead);
    // More data before the owner received: no second read notice yet.
    EXPECT_EQ(SendSocket(link.server.get(), "def", 3), 3);
    char got[16] = {};
    int total = 0;
    int n = 0;
    while ((n = RecvSocket(link.client.get(), got + total, sizeof(got) - total)) > 0) {
        total += n;
    }
    EXPECT_EQ(n, -1);
    EXPECT_EQ(LastSocketError(), kSocketErrorWouldBlock);

    // The peer's last bytes, then its end: a read, then exactly one close.
    EXPECT_EQ(SendSocket(link.server.get(), "g", 1), 1);
    ASSERT_TRUE(ShutdownSocket(link.server.get(), kShutdownSend));
    uint32_t error = 99;
    uint32_t event = NextNotice(&error);
    if (total < 7 && event == kSocketEventRead) {
        while ((n = RecvSocket(link.client.get(), got + total, sizeof(got) - total)) > 0) {
            total += n;
        }
        event = NextNotice(&error);
    }
    EXPECT_EQ(total, 7);
    EXPECT_STREQ(got, "abcdefg");
    EXPECT_EQ(event, kSocketEventClose);
    EXPECT_EQ(error, 0u);
    // Nothing follows the close: a message posted after it is the next one.
    PostMessage(window_.Id(), kMsgUser + 5, 0, 0);
    Message m;
    ASSERT_TRUE(NextMessage(m));
    EXPECT_EQ(m.id, kMsgUser + 5);
    select.Stop();
}

TEST_F(SocketTest, CloseWithErrorOnReset) {
    Loopback link;
    link.Connect();
    AsyncSelect select;
    ASSERT_TRUE(select.Start(link.client.get(), window_.Id(), kNotice,
                             kSocketEventRead | kSocketEventClose));
    // Unread data at close makes the peer reset the connection (loopback
    // delivers the bytes within the send).
    EXPECT_EQ(SendSocket(link.client.get(), "unread", 6), 6);
    link.server.Reset();
    uint32_t error = 0;
    EXPECT_EQ(NextNotice(&error), kSocketEventClose);
    EXPECT_EQ(error, static_cast<uint32_t>(kSocketErrorConnectionReset));
}

TEST_F(SocketTest, WriteNoticeOnlyAfterASendWouldBlock) {
    Loopback link;
    link.Connect();
    AsyncSelect select;
    ASSERT_TRUE(select.Start(link.client.get(), window_.Id(), kNotice,
                             kSocketEventRead | kSocketEventWrite | kSocketEventClose));
    EXPECT_EQ(NextNotice(), kSocketEventWrite);

    // Fill the path until a send would block.
    std::vector<char> block(256 * 1024, 'y');
    size_t sent = 0;
    for (;;) {
        const int n = SendSocket(link.client.get(), block.data(), block.size());
        if (n < 0) {
            ASSERT_EQ(LastSocketError(), kSocketErrorWouldBlock);
            break;
        }
        sent += static_cast<size_t>(n);
    }
    // Drain it on the other side: exactly one write notice follows, and the
    // next notice is the read of the peer's answer.
    std::vector<char> sink(256 * 1024);
    size_t drained = 0;
    while (drained < sent) {
        const int n = RecvSocket(link.server.get(), sink.data(), sink.size());
        ASSERT_GT(n, 0);
        drained += static_cast<size_t>(n);
    }
    EXPECT_EQ(NextNotice(), kSocketEventWrite);
    EXPECT_EQ(SendSocket(link.server.get(), "ok", 2), 2);
    EXPECT_EQ(NextNotice(), kSocketEventRead);
}

TEST_F(SocketTest, StopEndsTheNotices) {
    Loopback link;
    link.Connect();
    {
        AsyncSelect select;
        ASSERT_TRUE(select.Start(link.client.get(), window_.Id(), kNotice, kSocketEventRead));
        select.Stop();
        select.Stop();  // harmless
    }
    EXPECT_EQ(SendSocket(link.server.get(), "late", 4), 4);
    PostMessage(window_.Id(), kMsgUser + 6, 0, 0);
    Message m;
    ASSERT_TRUE(NextMessage(m));
    EXPECT_EQ(m.id, kMsgUser + 6);
    // The socket can be watched again once the watch has stopped.
    AsyncSelect again;
    EXPECT_TRUE(again.Start(link.client.get(), window_.Id(), kNotice, kSocketEventRead));
    EXPECT_EQ(NextNotice(), kSocketEventRead);
}

}  // namespace
}  // namespace platform
