#include "tests/support/ProxyProcess.h"

#include <unistd.h>

#include <fstream>
#include <iterator>

#include "platform/Socket.h"
#include "platform/Sync.h"

namespace test_support {

namespace {

constexpr uint32_t kProxyStartMs = 10000;  // bounds a proxy's start-up

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

std::string ReadLog(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteConfig(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

std::unique_ptr<ProxyProcess> Launch(const std::string& program,
                                     const std::vector<std::string>& arguments,
                                     const std::filesystem::path& logFile, uint16_t port) {
    auto process = std::make_unique<ProxyProcess>(program, arguments, logFile, port);
    const ::testing::AssertionResult listening = process->WaitUntilListening();
    if (!listening) {
        ADD_FAILURE() << program << ": " << listening.message();
        return nullptr;
    }
    return process;
}

// The program's path; a test failure naming the package when it is missing.
std::string Installed(const std::string& program, const char* package) {
    const std::string path = FindProgram(program);
    if (path.empty()) {
        ADD_FAILURE() << program << " is missing: install the package " << package;
    }
    return path;
}

}  // namespace

std::string FindProgram(const std::string& name) {
    for (const char* folder : {"/usr/sbin/", "/usr/bin/", "/usr/local/sbin/", "/usr/local/bin/"}) {
        const std::string path = folder + name;
        if (::access(path.c_str(), X_OK) == 0) {
            return path;
        }
    }
    return {};
}

uint16_t FreeLoopbackPort() {
    const platform::SocketHandle probe = platform::CreateTcpSocket();
    uint16_t port = 0;
    if (platform::BindSocket(probe, platform::LoopbackAddress(), 0)) {
        port = platform::SocketLocalPort(probe);
    }
    platform::CloseSocket(probe);
    return port;
}

bool LoopbackPortTaken(uint16_t port) {
    const platform::SocketHandle probe = platform::CreateTcpSocket();
    const bool up = platform::ConnectSocket(probe, platform::LoopbackAddress(), port, 500);
    platform::CloseSocket(probe);
    return up;
}

ProxyProcess::ProxyProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::filesystem::path& logFile, uint16_t port)
    : port_(port), logFile_(logFile) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildOptions options;
    options.logFile = logFile.string();
    child_.Start(argv, options);
}

::testing::AssertionResult ProxyProcess::WaitUntilListening() {
    if (child_.Pid() <= 0) {
        return ::testing::AssertionFailure()
               << "the proxy could not be started: " << child_.Error();
    }
    const uint32_t start = platform::GetTickCount32();
    while (platform::GetTickCount32() - start < kProxyStartMs) {
        if (!child_.Running()) {
            return ::testing::AssertionFailure() << "the proxy ended at start:\n"
                                                 << ReadLog(logFile_);
        }
        if (LoopbackPortTaken(port_)) {
            return ::testing::AssertionSuccess();
        }
        platform::SleepMs(50);
    }
    return ::testing::AssertionFailure() << "the proxy did not listen on port " << port_ << ":\n"
                                         << ReadLog(logFile_);
}

void ProxyProcess::Stop() {
    child_.Stop();
}

std::string ProxyProcess::Log() const {
    return ReadLog(logFile_);
}

std::unique_ptr<ProxyProcess> StartDante(const std::filesystem::path& folder) {
    const std::string program = Installed("danted", "dante-server");
    if (program.empty()) {
        return nullptr;
    }
    const uint16_t port = FreeLoopbackPort();
    const auto config = folder / "danted.conf";
    std::string text = "logoutput: stderr\ninternal: 127.0.0.1 port = " + std::to_string(port) +
                       "\nexternal: 127.0.0.1\nclientmethod: none\nsocksmethod: none\n";
    if (RunningAsRoot()) {
        text += "user.privileged: root\nuser.unprivileged: nobody\n";
    }
    text +=
        "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
        "socks pass { from: 127.0.0.0/8 to: 0.0.0.0/0 log: connect disconnect }\n";
    if (!WriteConfig(config, text)) {
        ADD_FAILURE() << "cannot write " << config;
        return nullptr;
    }
    return Launch(program,
                  {"-f", config.string(), "-p", (folder / "danted.pid").string(), "-N", "1"},
                  folder / "danted.log", port);
}

std::unique_ptr<ProxyProcess> StartMicrosocks(const std::filesystem::path& folder,
                                              const std::string& user,
                                              const std::string& password) {
    const std::string program = Installed("microsocks", "microsocks");
    if (program.empty()) {
        return nullptr;
    }
    const uint16_t port = FreeLoopbackPort();
    return Launch(program,
                  {"-i", "127.0.0.1", "-p", std::to_string(port), "-u", user, "-P", password},
                  folder / "microsocks.log", port);
}

std::unique_ptr<ProxyProcess> StartTinyproxy(const std::filesystem::path& folder,
                                             const std::string& user, const std::string& password,
                                             uint16_t targetPort) {
    const std::string program = Installed("tinyproxy", "tinyproxy");
    if (program.empty()) {
        return nullptr;
    }
    const uint16_t port = FreeLoopbackPort();
    const auto config = folder / "tinyproxy.conf";
    // Its idle time-out is its default: a game's connection may be quiet for
    // half a minute (the swap's choice).
    std::string text = "Port " + std::to_string(port) +
                       "\nListen 127.0.0.1\nTimeout 600\nMaxClients 8\nAllow 127.0.0.1\n"
                       "BasicAuth " +
                       user + " " + password + "\nConnectPort " + std::to_string(targetPort) + "\n";
    if (RunningAsRoot()) {
        text += "User nobody\nGroup nogroup\n";
    }
    if (!WriteConfig(config, text)) {
        ADD_FAILURE() << "cannot write " << config;
        return nullptr;
    }
    return Launch(program, {"-d", "-c", config.string()}, folder / "tinyproxy.log", port);
}

}  // namespace test_support
