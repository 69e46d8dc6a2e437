#pragma once
// A program a test runs as a child: in a process group of its own, with the
// test's environment plus the overrides it names, standard input from
// /dev/null and its output to a log file. It is waited for with a deadline
// and ended by its process id and its group.
//
// Rules:
//  - Ending is SIGTERM to the group, then SIGKILL to the group when the
//    grace time is up (or SIGKILL at once when killed); the child is always
//    reaped, so no zombie stays.
//  - Whatever of its group outlives the child itself (a grandchild that
//    stayed behind) is killed when the object stops or goes.
//  - An exit status is the program's code, or 128 + the signal that ended it.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

struct ChildOptions {
    // "NAME=value" set for the child (replacing the test's own), and names
    // the child does not inherit.
    std::vector<std::string> environment;
    std::vector<std::string> unset;
    // Standard output and error, appended; empty is /dev/null.
    std::string logFile;
    // Standard input from a pipe the test writes with WriteInput (closed
    // when the child is stopped); else /dev/null.
    bool inputPipe = false;
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (looked up on PATH when it has no '/'). False, with
    // Error() set, when it cannot be started; a running child is stopped
    // first.
    bool Start(const std::vector<std::string>& argv, const ChildOptions& options = {});
    // Whether it still runs; notes its exit status once it ended.
    bool Running();
    // Its exit status once it ended within the time; nothing at the deadline
    // (it still runs).
    std::optional<int> WaitForExit(uint32_t deadlineMs);
    // Ends it and its group (SIGTERM, SIGKILL after the grace time), waits
    // for it and answers its exit status (-1 when none was started).
    int Stop(uint32_t graceMs = 1000);
    // Ends it and its group at once with SIGKILL (no chance to clean up),
    // waits for it and answers its exit status (-1 when none was started).
    int Kill();
    // Writes the text whole to the child's input pipe.
    bool WriteInput(const std::string& text);

    pid_t Pid() const { return pid_; }
    int ExitStatus() const { return exitStatus_; }
    const std::string& Error() const { return error_; }

private:
    void KillAndReap();
    void KillGroupLeftovers();
    void CloseInput();

    pid_t pid_ = -1;
    pid_t group_ = -1;
    int exitStatus_ = -1;
    int input_ = -1;
    std::string error_;
};

// Polls the condition every few milliseconds until it holds (true) or the
// time is up (false).
bool WaitUntil(const std::function<bool()>& done, uint32_t timeoutMs);

// Whether no process with the id runs any more (a zombie that its parent
// has not reaped yet runs no more).
bool ProcessGone(pid_t pid);
// Whether no process of the group runs any more.
bool GroupGone(pid_t group);
// The process's resident size in KiB (VmRSS in /proc/<pid>/status); nothing
// when the process or the line is gone.
std::optional<uint64_t> ResidentKilobytes(pid_t pid);
// The same of this process.
std::optional<uint64_t> OwnResidentKilobytes();

}  // namespace test_support
