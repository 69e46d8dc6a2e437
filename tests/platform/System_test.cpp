#include "platform/System.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "TempFolder.h"

namespace {

// A fake sysfs "class/net" folder.
class FakeNetFolder {
public:
    // wirelessEntry: "wireless" or "phy80211" for a wireless interface.
    void Add(const std::string& name, int type, int index, const std::string& address,
             const std::string& flags = "0x1003", const std::string& wirelessEntry = "") {
        const std::string base = name + "/";
        temp_.Write(base + "type", std::to_string(type) + "\n");
        temp_.Write(base + "ifindex", std::to_string(index) + "\n");
        temp_.Write(base + "address", address + "\n");
        temp_.Write(base + "flags", flags + "\n");
        if (!wirelessEntry.empty()) {
            temp_.Write(base + wirelessEntry + "/index", "0\n");
        }
    }

    const std::string& Path() const { return temp_.Path(); }

private:
    TempFolder temp_;
};

std::string Mac(int n) {
    char text[32];
    std::snprintf(text, sizeof(text), "02:00:00:00:%02x:%02x", n / 256, n % 256);
    return text;
}

TEST(EthernetAddresses, KeepsWiredInterfacesInIndexOrder) {
    FakeNetFolder net;
    net.Add("lo", 772, 1, "00:00:00:00:00:00", "0x9");
    net.Add("enp3s0", 1, 7, "aa:bb:cc:dd:ee:07");
    net.Add("eth0", 1, 2, "AA:BB:CC:DD:EE:02");
    net.Add("wlan0", 1, 3, "02:00:00:00:00:03", "0x1003", "wireless");
    net.Add("wlp2s0", 1, 4, "02:00:00:00:00:04", "0x1003", "phy80211");
    net.Add("loop1", 1, 5, "02:00:00:00:00:05", "0x9");  // loopback flag
    net.Add("bad0", 1, 6, "02:00:00:00:00");             // too short
    net.Add("bad1", 1, 8, "02-00-00-00-00-08");          // wrong separators
    net.Add("zero0", 1, 9, "00:00:00:00:00:00");         // no address
    net.Add("ib0", 32, 10, "02:00:00:00:00:0a");         // not Ethernet

    uint8_t out[128] = {};
    ASSERT_EQ(platform::EthernetAddressesFrom(net.Path(), out, sizeof(out)), 2);
    const std::vector<uint8_t> expected = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x02,
                                           0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x07};
    EXPECT_EQ(std::vector<uint8_t>(out, out + 12), expected);
    EXPECT_TRUE(std::all_of(out + 12, out + sizeof(out), [](uint8_t b) { return b == 0; }));
}

TEST(EthernetAddresses, StopsAtTheEndOfTheBuffer) {
    FakeNetFolder net;
    for (int i = 0; i < 30; ++i) {
        net.Add("eth" + std::to_string(i), 1, 100 - i, Mac(i));
    }
    std::vector<uint8_t> out(140, 0xEE);
    ASSERT_EQ(platform::EthernetAddressesFrom(net.Path(), out.data(), 128), 30);

    // Interface-index order reverses the names: eth29 comes first.
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 6),
              (std::vector<uint8_t>{2, 0, 0, 0, 0, 29}));
    // 21 whole addresses, then the first two bytes of the 22nd (eth8).
    EXPECT_EQ(out[126], 0x02);
    EXPECT_EQ(out[127], 0x00);
    EXPECT_TRUE(std::all_of(out.begin() + 128, out.end(), [](uint8_t b) { return b == 0xEE; }));

    EXPECT_EQ(platform::EthernetAddressesFrom(net.Path(), nullptr, 0), 30);
}

TEST(EthernetAddresses, EmptyAndUnreadableLists) {
    TempFolder empty;
    uint8_t out[128];
    EXPECT_EQ(platform::EthernetAddressesFrom(empty.Path(), out, sizeof(out)), 0);
    EXPECT_EQ(platform::EthernetAddressesFrom(empty / "missing", out, sizeof(out)), -1);
    // The machine's own list can be read (its count depends on the machine).
    EXPECT_GE(platform::EthernetAddresses(out, sizeof(out)), 0);
}

TEST(RandomBytes, UsesTheInjectedSourceThenTheSystem) {
    platform::SetRandomSourceForTesting([](void* out, size_t size) {
        std::fill_n(static_cast<uint8_t*>(out), size, 0x5A);
        return true;
    });
    uint8_t bytes[64] = {};
    ASSERT_TRUE(platform::RandomBytes(bytes, sizeof(bytes)));
    EXPECT_TRUE(std::all_of(bytes, bytes + 64, [](uint8_t b) { return b == 0x5A; }));

    platform::SetRandomSourceForTesting([](void*, size_t) { return false; });
    EXPECT_FALSE(platform::RandomBytes(bytes, sizeof(bytes)));

    platform::SetRandomSourceForTesting({});
    uint8_t first[64] = {};
    uint8_t second[64] = {};
    ASSERT_TRUE(platform::RandomBytes(first, sizeof(first)));
    ASSERT_TRUE(platform::RandomBytes(second, sizeof(second)));
    EXPECT_FALSE(std::equal(first, first + 64, second));
    EXPECT_TRUE(platform::RandomBytes(nullptr, 0));
    EXPECT_FALSE(platform::RandomBytes(nullptr, 4));
}

TEST(LocalNow, FollowsTheInjectedClock) {
    platform::SetLocalTimeSourceForTesting(
        [] { return platform::LocalDateTime{2026, 2, 28, 23, 59, 59}; });
    const auto fixed = platform::LocalNow();
    EXPECT_EQ(fixed.year, 2026);
    EXPECT_EQ(fixed.second, 59);

    platform::SetLocalTimeSourceForTesting({});
    const auto now = platform::LocalNow();
    EXPECT_GE(now.year, 2024);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    EXPECT_TRUE(now.day >= 1 && now.day <= 31);
    EXPECT_GT(platform::UnixTimeNow(), 1700000000);
}

TEST(LastError, GivesTheCodeAndItsTextWithoutChangingIt) {
    errno = ENOENT;
    const std::string text = platform::LastErrorText();
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(platform::LastErrorCode(), ENOENT);
}

TEST(EthernetAddresses, TestsReplaceTheMachinesAdapters) {
    const std::vector<platform::EthernetAddress> fake = {{1, 2, 3, 4, 5, 6},
                                                         {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}};
    platform::SetEthernetAddressesForTesting(fake);
    uint8_t out[16] = {};
    EXPECT_EQ(platform::EthernetAddresses(out, sizeof(out)), 2);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 13),
              (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0}));
    uint8_t small[8] = {};
    EXPECT_EQ(platform::EthernetAddresses(small, sizeof(small)), 2);  // cut at the end
    EXPECT_EQ(small[6], 0xAA);
    EXPECT_EQ(small[7], 0xBB);
    EXPECT_EQ(platform::EthernetAddresses(nullptr, 128), 2);

    platform::SetEthernetAddressesForTesting(std::vector<platform::EthernetAddress>{});
    EXPECT_EQ(platform::EthernetAddresses(out, sizeof(out)), 0);
    platform::SetEthernetAddressesForTesting(std::nullopt);
    uint8_t machine[128];
    EXPECT_EQ(platform::EthernetAddresses(machine, sizeof(machine)),
              platform::EthernetAddressesFrom("/sys/class/net", machine, sizeof(machine)));
}

}  // namespace
