// The real client through the real proxies the hall's settings name: the
// fake hall writes the "PROXY" section, the proxy runs on a free loopback
// port, and the table server sees the client arrive through it. A whole
// hand goes through microsocks; dante-server (SOCKS4 and SOCKS5) and
// tinyproxy carry the game up to the client's first own discard, where the
// test ends the client by its process id (a whole hand each would cost two
// minutes apiece and prove nothing the microsocks hand does not). A proxy
// that is not there, and one that stops mid-hand, end the client as a user
// would see it end.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/support/RunChecks.h"
#include "tests/support/ProxyProcess.h"
#include "tests/support/TableRun.h"

namespace {

using test_support::ProxyProcess;

constexpr char kUser[] = "player";
constexpr char kPassword[] = "tiles&dice";
// tinyproxy's settings take no '&' in a password.
constexpr char kHttpPassword[] = "tiles-and-dice";
constexpr uint32_t kDiscard = 222080;
constexpr uint32_t kResult = 211080;
constexpr uint32_t kPlayerLeft = 211000;
constexpr uint32_t kGreeting = 201001;
// A test-paced hand takes about two minutes; the ending's box answers itself
// after ten seconds.
constexpr uint32_t kWholeHandMs = 4 * 60 * 1000;
// From the launch to the first own discard: the 30-s swap clock, the deal,
// the robots' turns and the own turn's clock, which starts auto-play.
constexpr uint32_t kFirstDiscardMs = 120000;
// A close mid-hand: the disconnect box answers itself after 30 s.
constexpr uint32_t kCloseExitMs = 45000;
// A failed start shows its text for 2 s, then tells the hall.
constexpr uint32_t kFailedStartMs = 15000;

std::vector<std::string> ServerArguments(int hands) {
    std::vector<std::string> arguments = {
        "--start-when-full", "--pacing", "test", "--seed", "3141", "--test"};
    if (hands > 0) {
        arguments.insert(arguments.end(), {"--hands", std::to_string(hands)});
    }
    return arguments;
}

// The hall's --proxy value.
std::string HallProxy(const std::string& kind, uint16_t port, const std::string& user = "",
                      const std::string& password = "") {
    std::string text = kind + ":127.0.0.1:" + std::to_string(port);
    if (!user.empty()) {
        text += ":" + user + ":" + password;
    }
    return text;
}

void ExpectNoProtocolErrorNorMissedName(const e2e::TableRun& table) {
    e2e::FailOnEachLine(table.ServerProtocolErrors());
    e2e::FailOnEachLine(table.ClientMissedResources());
}

// The server's loopback address as the proxy's log writes its tunnel's far
// end ("127.0.0.1:N" or dante's "127.0.0.1.N").
bool LogShowsTunnelTo(const std::string& log, uint16_t port) {
    const std::string number = std::to_string(port);
    return log.find("127.0.0.1:" + number) != std::string::npos ||
           log.find("127.0.0.1." + number) != std::string::npos;
}

struct ProxyCase {
    const char* name;
    const char* kind;  // the hall's proxy kind
    std::function<std::unique_ptr<ProxyProcess>(const std::filesystem::path& folder,
                                                uint16_t serverPort)>
        start;
    const char* password = nullptr;  // with the user; none without
};

void PrintTo(const ProxyCase& proxyCase, std::ostream* out) {
    *out << proxyCase.name;
}

// Starts the server, the case's proxy (in the run's folder, for the server's
// port), then the hall with the proxy in its settings and the client; null
// after a failure.
std::unique_ptr<ProxyProcess> LaunchThroughProxy(e2e::TableRun& table, const ProxyCase& proxyCase) {
    if (!table.StartServer()) {
        ADD_FAILURE() << "the server did not start:\n" << table.ServerLog();
        return nullptr;
    }
    std::unique_ptr<ProxyProcess> proxy = proxyCase.start(table.Run().Root(), table.Port());
    if (proxy == nullptr) {
        return nullptr;
    }
    table.SetHallArguments(
        {"--proxy", proxyCase.password != nullptr
                        ? HallProxy(proxyCase.kind, proxy->Port(), kUser, proxyCase.password)
                        : HallProxy(proxyCase.kind, proxy->Port())});
    const ::testing::AssertionResult started = table.StartHallAndClient();
    if (!started) {
        ADD_FAILURE() << started.message();
        return nullptr;
    }
    return proxy;
}

const ProxyCase kMicrosocks{"MicrosocksSocks5", "socks5",
                            [](const std::filesystem::path& folder, uint16_t) {
                                return test_support::StartMicrosocks(folder, kUser, kPassword);
                            },
                            kPassword};

TEST(Proxies, AWholeHandGoesThroughMicrosocksWithUserAndPassword) {
    e2e::TableRun table({.serverArguments = ServerArguments(1)});
    const std::unique_ptr<ProxyProcess> proxy = LaunchThroughProxy(table, kMicrosocks);
    ASSERT_NE(proxy, nullptr);

    const std::optional<int> status = table.WaitForClientExit(kWholeHandMs);
    ASSERT_TRUE(status.has_value()) << table.ServerLogTail();
    EXPECT_TRUE(table.Run().CheckEnded(*status));
    const std::vector<e2e::ServerMessage> messages = e2e::ServerMessages(table.ServerLog());
    EXPECT_EQ(e2e::CountMessages(messages, "notify", kResult), 1u) << table.ServerLogTail();
    EXPECT_EQ(e2e::CountMessages(messages, "notify", kPlayerLeft), 1u);
    EXPECT_EQ(e2e::LinesWith(table.ServerLog(), "hands done 1, protocol errors 0").size(), 1u);
    EXPECT_TRUE(LogShowsTunnelTo(proxy->Log(), table.Port())) << proxy->Log();
    EXPECT_FALSE(e2e::LinesWith(table.HallRecord(), "leave data=2").empty()) << table.HallRecord();
    ExpectNoProtocolErrorNorMissedName(table);
}

class UpToTheFirstDiscard : public ::testing::TestWithParam<ProxyCase> {};

TEST_P(UpToTheFirstDiscard, TheProxyCarriesTheGameAndLogsItsTunnel) {
    e2e::TableRun table({.serverArguments = ServerArguments(0)});
    const std::unique_ptr<ProxyProcess> proxy = LaunchThroughProxy(table, GetParam());
    ASSERT_NE(proxy, nullptr);

    ASSERT_TRUE(table.WaitForMessages("in", kDiscard, 1, kFirstDiscardMs)) << table.ServerLogTail();
    EXPECT_TRUE(LogShowsTunnelTo(proxy->Log(), table.Port())) << proxy->Log();
    table.Client().Stop();
    EXPECT_TRUE(table.Run().SanitizerReports().empty());
    ExpectNoProtocolErrorNorMissedName(table);
}

INSTANTIATE_TEST_SUITE_P(
    Proxies, UpToTheFirstDiscard,
    ::testing::Values(ProxyCase{"DanteSocks4", "socks4",
                                [](const std::filesystem::path& folder, uint16_t) {
                                    return test_support::StartDante(folder);
                                }},
                      ProxyCase{"DanteSocks5", "socks5",
                                [](const std::filesystem::path& folder, uint16_t) {
                                    return test_support::StartDante(folder);
                                }},
                      ProxyCase{"TinyproxyHttpConnect", "http",
                                [](const std::filesystem::path& folder, uint16_t serverPort) {
                                    return test_support::StartTinyproxy(folder, kUser,
                                                                        kHttpPassword, serverPort);
                                },
                                kHttpPassword}),
    [](const ::testing::TestParamInfo<ProxyCase>& info) { return std::string(info.param.name); });

TEST(Proxies, AProxyPortWithNothingListeningEndsTheStartAndTellsTheHall) {
    e2e::TableRun table({.serverArguments = ServerArguments(0)});
    ASSERT_TRUE(table.StartServer());
    const uint16_t nothing = test_support::FreeLoopbackPort();
    ASSERT_NE(nothing, 0);
    table.SetHallArguments({"--proxy", HallProxy("socks5", nothing)});
    ASSERT_TRUE(table.StartHallAndClient());

    const std::optional<int> status = table.WaitForClientExit(kFailedStartMs);
    ASSERT_TRUE(status.has_value()) << "the client still runs";
    EXPECT_TRUE(table.Run().CheckEnded(*status));
    // The hall is told the game ended (no window, not in a hand).
    const std::vector<std::string> leaves = e2e::LinesWith(table.HallRecord(), "leave data=2");
    ASSERT_EQ(leaves.size(), 1u) << table.HallRecord();
    EXPECT_NE(leaves[0].find("window=0 "), std::string::npos) << leaves[0];
    // The server never heard from it.
    EXPECT_EQ(e2e::CountMessages(e2e::ServerMessages(table.ServerLog()), "in", kGreeting), 0u);
    EXPECT_TRUE(e2e::LinesWith(table.ServerLog(), "the connection ended").empty());
}

TEST(Proxies, AProxyStoppedMidHandIsAConnectionClosedMidHand) {
    e2e::TableRun table({.serverArguments = ServerArguments(0)});
    const std::unique_ptr<ProxyProcess> proxy = LaunchThroughProxy(table, kMicrosocks);
    ASSERT_NE(proxy, nullptr);
    ASSERT_TRUE(table.WaitForMessages("in", kDiscard, 1, kFirstDiscardMs)) << table.ServerLogTail();

    proxy->Stop();
    const std::optional<int> status = table.WaitForClientExit(kCloseExitMs);
    ASSERT_TRUE(status.has_value())
        << "the client still runs " << kCloseExitMs / 1000 << " s after its proxy stopped";
    EXPECT_TRUE(table.Run().CheckEnded(*status));
    EXPECT_FALSE(e2e::LinesWith(table.HallRecord(), "leave data=5").empty()) << table.HallRecord();
    EXPECT_EQ(e2e::LinesWith(table.ServerLog(), "mid-hand: the hand is abandoned").size(), 1u)
        << table.ServerLogTail();
    ExpectNoProtocolErrorNorMissedName(table);
}

}  // namespace
