#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Sync.h"

extern char** environ;

namespace test_support {

namespace {

constexpr uint32_t kPollMs = 10;

std::string NameOf(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

// The test's environment with the options' overrides and removals.
std::vector<std::string> ChildEnvironment(const ChildOptions& options) {
    std::vector<std::string> names = options.unset;
    for (const std::string& entry : options.environment) {
        names.push_back(NameOf(entry));
    }
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string name = NameOf(*e);
        bool replaced = false;
        for (const std::string& other : names) {
            replaced = replaced || other == name;
        }
        if (!replaced) {
            env.emplace_back(*e);
        }
    }
    env.insert(env.end(), options.environment.begin(), options.environment.end());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) {
        out.push_back(s.data());
    }
    out.push_back(nullptr);
    return out;
}

int StatusOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ChildProcess::~ChildProcess() {
    Stop();
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const ChildOptions& options) {
    Stop();
    exitStatus_ = -1;
    error_.clear();
    if (argv.empty()) {
        error_ = "no program named";
        return false;
    }
    std::vector<std::string> args = argv;
    std::vector<std::string> env = ChildEnvironment(options);
    std::vector<char*> argp = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    const std::string log = options.logFile.empty() ? "/dev/null" : options.logFile;

    int pipeEnds[2] = {-1, -1};
    if (options.inputPipe && ::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.inputPipe) {
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], 0);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int result = posix_spawnp(&pid, argp[0], &actions, &attributes, argp.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (options.inputPipe) {
        ::close(pipeEnds[0]);
        input_ = pipeEnds[1];
    }
    if (result != 0) {
        CloseInput();
        error_ = argv[0] + ": " + std::strerror(result);
        return false;
    }
    pid_ = pid;
    group_ = pid;
    return true;
}

bool ChildProcess::Running() {
    if (pid_ <= 0) {
        return false;
    }
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == 0 || (done < 0 && errno == EINTR)) {
        return true;
    }
    exitStatus_ = done == pid_ ? StatusOf(status) : -1;
    pid_ = -1;
    return false;
}

std::optional<int> ChildProcess::WaitForExit(uint32_t deadlineMs) {
    const uint32_t start = platform::GetTickCount32();
    while (Running()) {
        if (platform::GetTickCount32() - start >= deadlineMs) {
            return std::nullopt;
        }
        platform::SleepMs(kPollMs);
    }
    return exitStatus_;
}

bool ChildProcess::WriteInput(const std::string& text) {
    size_t written = 0;
    while (input_ >= 0 && written < text.size()) {
        const ssize_t n = ::write(input_, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return written == text.size();
}

void ChildProcess::CloseInput() {
    if (input_ >= 0) {
        ::close(input_);
        input_ = -1;
    }
}

int ChildProcess::Stop(uint32_t graceMs) {
    CloseInput();
    if (Running()) {
        ::kill(-group_, SIGTERM);
        if (!WaitForExit(graceMs)) {
            KillAndReap();
        }
    }
    KillGroupLeftovers();
    return exitStatus_;
}

int ChildProcess::Kill() {
    CloseInput();
    if (Running()) {
        KillAndReap();
    }
    KillGroupLeftovers();
    return exitStatus_;
}

void ChildProcess::KillAndReap() {
    ::kill(-group_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    exitStatus_ = StatusOf(status);
    pid_ = -1;
}

// The group's id is not given to a new process while any member lives, so
// the signal reaches only what the child left behind.
void ChildProcess::KillGroupLeftovers() {
    if (group_ > 0) {
        ::kill(-group_, SIGKILL);
        group_ = -1;
    }
}

namespace {

// The state letter and process group of a process from /proc/<pid>/stat;
// false when it is gone.
bool ReadStat(const std::string& pid, char& state, pid_t& group) {
    std::ifstream in("/proc/" + pid + "/stat");
    std::string line;
    if (!std::getline(in, line)) {
        return false;
    }
    const size_t name = line.rfind(')');  // the command name may hold spaces
    if (name == std::string::npos) {
        return false;
    }
    std::istringstream fields(line.substr(name + 1));
    long parent = 0;
    long pgrp = 0;
    if (!(fields >> state >> parent >> pgrp)) {
        return false;
    }
    group = static_cast<pid_t>(pgrp);
    return true;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
    const uint32_t start = platform::GetTickCount32();
    while (!done()) {
        if (platform::GetTickCount32() - start > timeoutMs) {
            return false;
        }
        platform::SleepMs(kPollMs);
    }
    return true;
}

bool ProcessGone(pid_t pid) {
    char state = 0;
    pid_t group = 0;
    return !ReadStat(std::to_string(pid), state, group) || state == 'Z';
}

bool GroupGone(pid_t group) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        char state = 0;
        pid_t member = 0;
        if (ReadStat(name, state, member) && member == group && state != 'Z') {
            return false;
        }
    }
    return true;
}

namespace {

std::optional<uint64_t> ResidentKilobytesIn(const std::string& statusFile) {
    std::ifstream status(statusFile);
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            const size_t digits = line.find_first_of("0123456789");
            if (digits == std::string::npos) {
                return std::nullopt;
            }
            return std::stoull(line.substr(digits));
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<uint64_t> ResidentKilobytes(pid_t pid) {
    return ResidentKilobytesIn("/proc/" + std::to_string(pid) + "/status");
}

std::optional<uint64_t> OwnResidentKilobytes() {
    return ResidentKilobytesIn("/proc/self/status");
}

}  // namespace test_support
