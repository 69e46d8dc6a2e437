#include "zep/ZepSocketUtils.h"

#include <gtest/gtest.h>

// Real loopback sockets for the connected-state checks.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/Messages.h"
#include "platform/Net.h"
#include "tests/zep/ZepTestFolder.h"

namespace {

using zeptest::TempFolder;
using zeptest::WriteFileBytes;

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

// A sysfs "class/net" folder with made-up interfaces.
class FakeNetClass {
public:
    void Add(const std::string& name, int type, int index, int address, bool loopback = false,
             bool wireless = false) {
        const auto folder = root_.Path() / name;
        std::filesystem::create_directory(folder);
        WriteFileBytes(folder / "type", std::to_string(type) + "\n");
        WriteFileBytes(folder / "ifindex", std::to_string(index) + "\n");
        WriteFileBytes(folder / "flags", loopback ? "0x9\n" : "0x1003\n");
        char text[32];
        std::snprintf(text, sizeof text, "02:00:00:00:%02x:%02x\n", address >> 8, address & 0xFF);
        WriteFileBytes(folder / "address", text);
        if (wireless) {
            std::filesystem::create_directory(folder / "wireless");
        }
    }
    std::string Path() const { return root_.Path().string(); }

private:
    TempFolder root_;
};

TEST(ZepEthernetTest, CopiesEthernetAddressesInIndexOrderAndStopsAtTheCapacity) {
    FakeNetClass net;
    net.Add("lo", 772, 1, 0, true);
    net.Add("wlan0", 1, 2, 0xAAAA, false, true);
    for (int i = 0; i < 30; ++i) {
        // Names sort differently from the indexes, which give the order.
        net.Add("eth" + std::to_string(i), 1, 40 - i, i + 1);
    }

    auto out = std::make_unique<uint8_t[]>(128);  // exact size: ASan sees any overrun
    EXPECT_EQ(ZepGetEthernetAddressesFrom(net.Path(), out.get(), 128), 30);
    // The lowest index is eth29 (address 30); 128 bytes hold 21 whole addresses
    // and two bytes of the 22nd.
    const uint8_t first[6] = {0x02, 0, 0, 0, 0, 30};
    EXPECT_TRUE(std::equal(first, first + 6, out.get()));
    const uint8_t twentyFirst[6] = {0x02, 0, 0, 0, 0, 10};
    EXPECT_TRUE(std::equal(twentyFirst, twentyFirst + 6, out.get() + 120));
    EXPECT_EQ(out[126], 0x02);
    EXPECT_EQ(out[127], 0x00);
}

TEST(ZepEthernetTest, NoAdaptersAndUnreadableList) {
    FakeNetClass onlyLoopback;
    onlyLoopback.Add("lo", 772, 1, 0, true);
    uint8_t out[128];
    EXPECT_EQ(ZepGetEthernetAddressesFrom(onlyLoopback.Path(), out, sizeof out), 0);
    EXPECT_EQ(ZepGetEthernetAddressesFrom(onlyLoopback.Path() + "/missing", out, sizeof out), -1);
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
