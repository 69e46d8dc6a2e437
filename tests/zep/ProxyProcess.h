#pragma once
// A real proxy server (dante-server, microsocks, tinyproxy) run by a test as
// a child process on a loopback port, and the look-up of its program.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Socket.h"
#include "platform/Sync.h"
#include "tests/zep/ZepTestFolder.h"

extern char** environ;

namespace zeptest {

inline constexpr uint32_t kProxyStartMs = 10000;  // bounds a proxy's start-up

// The program's path, or empty when it is not installed.
inline std::string FindProgram(const std::string& name) {
    for (const char* folder : {"/usr/sbin/", "/usr/bin/", "/usr/local/sbin/", "/usr/local/bin/"}) {
        const std::string path = folder + name;
        if (::access(path.c_str(), X_OK) == 0) {
            return path;
        }
    }
    return {};
}

inline bool RunningAsRoot() {
    return ::geteuid() == 0;
}

// A proxy server run in the foreground as a child process, in a process
// group of its own so that its helpers end with it; stopped (and waited for)
// when the object goes.
class ProxyProcess {
public:
    ProxyProcess(const std::string& program, std::vector<std::string> arguments,
                 const std::filesystem::path& logFile, uint16_t port)
        : port_(port), logFile_(logFile) {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        if (posix_spawn(&pid_, program.c_str(), &actions, &attributes, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }

    ~ProxyProcess() {
        if (pid_ <= 0) {
            return;
        }
        ::kill(-pid_, SIGTERM);
        if (!WaitForExit(3000)) {
            ::kill(-pid_, SIGKILL);
            WaitForExit(3000);
        }
    }
    ProxyProcess(const ProxyProcess&) = delete;
    ProxyProcess& operator=(const ProxyProcess&) = delete;

    uint16_t Port() const { return port_; }

    // Waits until the proxy takes connections; false (with its log in the
    // message) when it ended or did not come up in time.
    ::testing::AssertionResult WaitUntilListening() {
        if (pid_ <= 0) {
            return ::testing::AssertionFailure() << "the proxy could not be started";
        }
        const uint32_t start = platform::GetTickCount32();
        while (platform::GetTickCount32() - start < kProxyStartMs) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return ::testing::AssertionFailure() << "the proxy ended at start:\n"
                                                     << ReadFileBytes(logFile_);
            }
            const platform::SocketHandle probe = platform::CreateTcpSocket();
            const bool up = platform::ConnectSocket(probe, platform::LoopbackAddress(), port_, 500);
            platform::CloseSocket(probe);
            if (up) {
                return ::testing::AssertionSuccess();
            }
            platform::SleepMs(50);
        }
        return ::testing::AssertionFailure()
               << "the proxy did not listen on port " << port_ << ":\n"
               << ReadFileBytes(logFile_);
    }

private:
    bool WaitForExit(uint32_t timeoutMs) {
        const uint32_t start = platform::GetTickCount32();
        for (;;) {
            int status = 0;
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_ || done < 0) {
                return true;
            }
            if (platform::GetTickCount32() - start >= timeoutMs) {
                return false;
            }
            platform::SleepMs(10);
        }
    }

    pid_t pid_ = -1;
    uint16_t port_;
    std::filesystem::path logFile_;
};

}  // namespace zeptest
