#pragma once
// Real proxy servers (dante-server, microsocks, tinyproxy) that a test runs
// as children on free loopback ports, each with its config and log in the
// test's folder, in the foreground and in a process group of its own so
// that its helpers end with it; stopped and waited for when the object goes.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace test_support {

// The program's path in the system's program folders, or empty when it is
// not installed.
std::string FindProgram(const std::string& name);
// A loopback port nobody listens on right now (0 when none could be had).
uint16_t FreeLoopbackPort();
// Whether something takes connections on the loopback port.
bool LoopbackPortTaken(uint16_t port);

class ProxyProcess {
public:
    ProxyProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& logFile, uint16_t port);
    ProxyProcess(const ProxyProcess&) = delete;
    ProxyProcess& operator=(const ProxyProcess&) = delete;

    uint16_t Port() const { return port_; }
    pid_t Pid() const { return child_.Pid(); }

    // Waits until the proxy takes connections; false (with its log in the
    // message) when it ended or did not come up in time.
    ::testing::AssertionResult WaitUntilListening();
    // Ends the proxy and its helpers now; the tunnels it carried close.
    void Stop();
    // What the proxy wrote so far.
    std::string Log() const;

private:
    ChildProcess child_;
    uint16_t port_;
    std::filesystem::path logFile_;
};

// The three proxies, started in the folder and listening, or null after a
// test failure that says why (a missing program names its package).
// dante-server: SOCKS4 and SOCKS5 without authentication; its log has a
// line per tunnel opened and closed.
std::unique_ptr<ProxyProcess> StartDante(const std::filesystem::path& folder);
// microsocks: SOCKS5 with user name and password; it logs each tunnel.
std::unique_ptr<ProxyProcess> StartMicrosocks(const std::filesystem::path& folder,
                                              const std::string& user, const std::string& password);
// tinyproxy: HTTP CONNECT with Basic credentials, to the target port only;
// it logs each request and connection.
std::unique_ptr<ProxyProcess> StartTinyproxy(const std::filesystem::path& folder,
                                             const std::string& user, const std::string& password,
                                             uint16_t targetPort);

}  // namespace test_support
