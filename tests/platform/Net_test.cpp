#include "platform/Net.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

namespace {

// A connected pair of TCP sockets on the loopback address.
class LoopbackPair {
public:
    LoopbackPair() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener_, 1) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        client_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(client_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
            server_ = ::accept(listener_, nullptr, nullptr);
        }
    }
    ~LoopbackPair() {
        for (int fd : {client_, server_, listener_}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    int listener_ = -1;
    int client_ = -1;
    int server_ = -1;
};

TEST(ResolveIPv4, DottedAddressesAndNames) {
    uint32_t address = 0;
    ASSERT_TRUE(platform::ResolveIPv4("127.0.0.1", &address));
    EXPECT_EQ(address, htonl(INADDR_LOOPBACK));
    ASSERT_TRUE(platform::ResolveIPv4("10.1.2.3", &address));
    EXPECT_EQ(address, htonl(0x0A010203));
    ASSERT_TRUE(platform::ResolveIPv4("localhost", &address));
    EXPECT_EQ(ntohl(address) >> 24, 127u);
}

TEST(ResolveIPv4, FailuresSetInvalidArgument) {
    uint32_t address = 0;
    platform::SetLastSocketError(0);
    EXPECT_FALSE(platform::ResolveIPv4("no-such-host.invalid", &address));
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketErrorInvalidArgument);

    platform::SetLastSocketError(0);
    EXPECT_FALSE(platform::ResolveIPv4("", &address));
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketErrorInvalidArgument);
    EXPECT_FALSE(platform::ResolveIPv4(nullptr, &address));
    EXPECT_FALSE(platform::ResolveIPv4("127.0.0.1", nullptr));
}

TEST(LastSocketError, BelongsToTheCallingThread) {
    platform::SetLastSocketError(platform::kSocketErrorWouldBlock);
    int seenByOther = -1;
    std::thread other([&] {
        seenByOther = platform::LastSocketError();
        platform::SetLastSocketError(1);
    });
    other.join();
    EXPECT_EQ(seenByOther, 0);
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketErrorWouldBlock);
}

TEST(IsSocketConnected, OnlyConnectedSocketsAnswerTrue) {
    LoopbackPair pair;
    ASSERT_GE(pair.server_, 0);
    EXPECT_TRUE(platform::IsSocketConnected(pair.client_));
    EXPECT_TRUE(platform::IsSocketConnected(pair.server_));
    EXPECT_FALSE(platform::IsSocketConnected(pair.listener_));

    const int unconnected = ::socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_FALSE(platform::IsSocketConnected(unconnected));
    ::close(unconnected);
    EXPECT_FALSE(platform::IsSocketConnected(platform::kNoSocket));
}

}  // namespace
