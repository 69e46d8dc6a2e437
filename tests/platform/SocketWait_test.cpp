// Waiting on a socket and the thread's message queue together.

#include "platform/SocketWait.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/Messages.h"
#include "platform/Socket.h"
#include "platform/Sync.h"
#include "platform/Thread.h"

namespace platform {
namespace {

constexpr uint32_t kMsgPing = kMsgUser + 5;
constexpr uint32_t kBoundMs = 10000;  // catches hangs only

// A connected loopback pair.
struct Pair {
    SocketHandle client = CreateTcpSocket();
    SocketHandle server = kNoSocket;

    Pair() {
        const SocketHandle listener = CreateTcpSocket();
        EXPECT_TRUE(BindSocket(listener, LoopbackAddress(), 0));
        EXPECT_TRUE(ListenSocket(listener, 1));
        EXPECT_TRUE(ConnectSocket(client, LoopbackAddress(), SocketLocalPort(listener), 5000));
        server = AcceptSocket(listener);
        CloseSocket(listener);
    }
    ~Pair() {
        CloseSocket(client);
        CloseSocket(server);
    }
};

// Runs the body on a thread of its own, whose queue waiter goes with it.
void OnOwnThread(const std::function<void(Thread&)>& body, Thread& thread) {
    ASSERT_TRUE(thread.StartWithQueue([body, &thread] { body(thread); }));
}

TEST(SocketWaitTest, ReportsDataTheEndAndRoomToSendWithoutTakingAnything) {
    Pair pair;
    Thread thread;
    OnOwnThread(
        [&](Thread&) {
            EXPECT_EQ(MsgWaitForSocket(pair.client, kSocketEventRead, 20), 0u);
            EXPECT_EQ(MsgWaitForSocket(pair.client, kSocketEventRead | kSocketEventWrite, kBoundMs),
                      kSocketEventWrite);
            ASSERT_EQ(SendSocket(pair.server, "x", 1), 1);
            EXPECT_EQ(MsgWaitForSocket(pair.client, kSocketEventRead, kBoundMs), kSocketEventRead);
            // Only looked at: the byte is still there for the receive.
            EXPECT_EQ(MsgWaitForSocket(pair.client, kSocketEventRead, kBoundMs), kSocketEventRead);
            char c = 0;
            EXPECT_EQ(RecvSocket(pair.client, &c, 1), 1);
            EXPECT_EQ(c, 'x');
            ShutdownSocket(pair.server, kShutdownSend);
            EXPECT_EQ(MsgWaitForSocket(pair.client, kSocketEventRead, kBoundMs), kSocketEventRead);
            EXPECT_EQ(RecvSocket(pair.client, &c, 1), 0);
            // Not asked for: neither the end nor the room to send ends a wait.
            EXPECT_EQ(MsgWaitForSocket(pair.client, 0, 20), 0u);
        },
        thread);
    EXPECT_TRUE(thread.Join(kBoundMs));
}

TEST(SocketWaitTest, PostedMessagesWakesAndSendsEndTheWait) {
    Pair pair;
    Event waiting(Event::Mode::AutoReset);
    Event next(Event::Mode::AutoReset);
    Thread thread;
    OnOwnThread(
        [&](Thread& self) {
            Message m;
            // A post ends the wait; the message is still there to take.
            waiting.Set();
            while (!PeekMessage(m, PeekMode::Keep)) {
                EXPECT_EQ(MsgWaitForSocket(pair.client, kSocketEventRead, kBoundMs), 0u);
            }
            ASSERT_TRUE(PeekMessage(m, PeekMode::Remove));
            EXPECT_EQ(m.id, kMsgPing);

            // A wake from another thread ends the wait with nothing ready.
            const uint32_t start = GetTickCount32();
            waiting.Set();
            EXPECT_EQ(MsgWaitForSocket(pair.client, kSocketEventRead, kBoundMs), 0u);
            EXPECT_LT(GetTickCount32() - start, kBoundMs / 2);
            EXPECT_FALSE(PeekMessage(m, PeekMode::Keep));

            // A wake that came before the wait ends it at once.
            ASSERT_TRUE(WakeSocketWait(self.Id()));
            const uint32_t again = GetTickCount32();
            EXPECT_EQ(MsgWaitForSocket(pair.client, kSocketEventRead, kBoundMs), 0u);
            EXPECT_LT(GetTickCount32() - again, kBoundMs / 2);
            next.Wait(kBoundMs);
        },
        thread);
    ASSERT_TRUE(waiting.Wait(kBoundMs));
    ASSERT_TRUE(PostThreadMessage(thread.Id(), kMsgPing, 0, 0));
    ASSERT_TRUE(waiting.Wait(kBoundMs));
    ASSERT_TRUE(WakeSocketWait(thread.Id()));
    next.Set();
    EXPECT_TRUE(thread.Join(kBoundMs));
    EXPECT_FALSE(WakeSocketWait(thread.Id()));  // its queue went with it
}

}  // namespace
}  // namespace platform
