#include "zep/ZepSocketUtils.h"

#include <gtest/gtest.h>

// Real loopback sockets for the connected-state checks.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <set>
#include <thread>
#include <vector>

#include "platform/Messages.h"
#include "platform/Net.h"

namespace {

// A descriptor closed when the object goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

TEST(ZepResolveAddressTest, EmptyDottedAndUnresolvableHosts) {
    ZepSocketAddress address;
    address.address = 0xFFFFFFFFu;
    ASSERT_EQ(ZepResolveAddress("", 21265, &address), 1);
    EXPECT_EQ(address.family, kZepAddressFamilyInet);
    EXPECT_EQ(address.address, 0u);
    const auto* port = reinterpret_cast<const uint8_t*>(&address.port);
    EXPECT_EQ(port[0], 0x53);  // 21265 = 0x5311, high byte first
    EXPECT_EQ(port[1], 0x11);

    ASSERT_EQ(ZepResolveAddress("192.168.10.7", 80, &address), 1);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&address.address);
    EXPECT_EQ(bytes[0], 192);
    EXPECT_EQ(bytes[3], 7);

    platform::SetLastSocketError(0);
    EXPECT_EQ(ZepResolveAddress("no-such-host.invalid", 80, &address), 0);
    EXPECT_EQ(platform::LastSocketError(), 10022);
    platform::SetLastSocketError(0);
    EXPECT_EQ(ZepResolveAddress(nullptr, 80, &address), 0);
    EXPECT_EQ(platform::LastSocketError(), 10022);
}

TEST(ZepConnectTimeTest, TellsConnectedFromUnconnectedSockets) {
    EXPECT_EQ(ZepGetConnectTime(-1), -1);
    EXPECT_EQ(ZepIsSocketConnected(-1), 0);

    Descriptor listener(::socket(AF_INET, SOCK_STREAM, 0));
    ASSERT_GE(listener.get(), 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    local.sin_port = 0;
    ASSERT_EQ(::bind(listener.get(), reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    ASSERT_EQ(::listen(listener.get(), 1), 0);
    socklen_t length = sizeof local;
    ASSERT_EQ(::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&local), &length), 0);

    Descriptor client(::socket(AF_INET, SOCK_STREAM, 0));
    ASSERT_GE(client.get(), 0);
    EXPECT_EQ(ZepGetConnectTime(client.get()), -1);
    EXPECT_EQ(ZepIsSocketConnected(client.get()), 0);

    ASSERT_EQ(::connect(client.get(), reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    Descriptor accepted(::accept(listener.get(), nullptr, nullptr));
    EXPECT_NE(ZepGetConnectTime(client.get()), -1);
    EXPECT_EQ(ZepIsSocketConnected(client.get()), 1);
    EXPECT_EQ(ZepIsSocketConnected(accepted.get()), 1);
    EXPECT_EQ(ZepIsSocketConnected(listener.get()), 0);
}

TEST(ZepConnectionIdTest, IdsAreUniqueAcrossThreads) {
    const int32_t first = ZepNextConnectionId();
    EXPECT_GE(first, 1);
    std::vector<std::vector<int32_t>> taken(4);
    std::vector<std::thread> threads;
    for (auto& ids : taken) {
        threads.emplace_back([&ids] {
            for (int i = 0; i < 1000; ++i) {
                ids.push_back(ZepNextConnectionId());
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::set<int32_t> all;
    for (const auto& ids : taken) {
        all.insert(ids.begin(), ids.end());
    }
    EXPECT_EQ(all.size(), 4000u);
    EXPECT_EQ(*all.begin(), first + 1);
    EXPECT_EQ(*all.rbegin(), first + 4000);
}

TEST(ZepSocketWindowClassTest, RegisterTwiceIsHarmlessAndUnregisterRemoves) {
    EXPECT_EQ(ZepRegisterSocketWindowClass(), 1);
    EXPECT_EQ(ZepRegisterSocketWindowClass(), 1);
    EXPECT_TRUE(platform::IsWindowClassRegistered("Zep Socket Window"));
    EXPECT_EQ(ZepUnregisterSocketWindowClass(), 1);
    EXPECT_FALSE(platform::IsWindowClassRegistered("Zep Socket Window"));
}

}  // namespace
