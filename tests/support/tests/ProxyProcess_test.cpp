// The real proxies of the network tests: each listens on a port that was
// free, and when it goes, its port is free again and none of its processes
// (dante-server keeps helper processes) is left.

#include "tests/support/ProxyProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tests/platform/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using test_support::ProxyProcess;

class ProxyProcessTest : public ::testing::Test {
protected:
    // Ends the proxy and checks that its port and processes are gone.
    void ExpectGoneAfter(std::unique_ptr<ProxyProcess> proxy) {
        const uint16_t port = proxy->Port();
        const pid_t group = proxy->Pid();
        EXPECT_TRUE(test_support::LoopbackPortTaken(port));
        proxy.reset();
        EXPECT_TRUE(test_support::WaitUntil([&] { return test_support::GroupGone(group); }, 5000));
        EXPECT_FALSE(test_support::LoopbackPortTaken(port));
    }

    TempFolder temp;
    const fs::path folder = temp.Path();
};

TEST_F(ProxyProcessTest, EachProxyLeavesNeitherPortNorProcess) {
    std::unique_ptr<ProxyProcess> dante = test_support::StartDante(folder);
    ASSERT_NE(dante, nullptr);
    std::unique_ptr<ProxyProcess> microsocks =
        test_support::StartMicrosocks(folder, "player", "tiles");
    ASSERT_NE(microsocks, nullptr);
    std::unique_ptr<ProxyProcess> tinyproxy =
        test_support::StartTinyproxy(folder, "player", "tiles", 4000);
    ASSERT_NE(tinyproxy, nullptr);
    EXPECT_NE(dante->Port(), microsocks->Port());
    EXPECT_NE(microsocks->Port(), tinyproxy->Port());
    ExpectGoneAfter(std::move(dante));
    ExpectGoneAfter(std::move(microsocks));
    ExpectGoneAfter(std::move(tinyproxy));
}

TEST_F(ProxyProcessTest, AStoppedProxyTakesNoMoreConnectionsAndKeepsItsLog) {
    std::unique_ptr<ProxyProcess> microsocks =
        test_support::StartMicrosocks(folder, "player", "tiles");
    ASSERT_NE(microsocks, nullptr);
    const pid_t group = microsocks->Pid();
    microsocks->Stop();
    EXPECT_TRUE(test_support::GroupGone(group));
    EXPECT_FALSE(test_support::LoopbackPortTaken(microsocks->Port()));
    EXPECT_EQ(microsocks->Log(), "") << "nothing passed through it";
    microsocks->Stop();  // a second stop does nothing
}

}  // namespace
