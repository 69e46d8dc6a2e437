#pragma once
// One run of the real client against the table server, as three programs:
// pvbn_test_server on a free loopback port, the fake hall program, and pvbn
// started with the hall's launch line. Everything of the run lives in one
// ClientRun's folders (the client's folder with the skins beside it, the
// hall's, the link and system folders, the sanitizer reports), and every
// program is ended by its process id when the object goes.
//
// The test starts the client itself (not the hall) so that it can see the
// client's exit status; the client registers with the hall and gets its
// launch record as if the hall had started it.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ClientRun.h"

namespace e2e {

struct TableRunOptions {
    // The server's arguments after its port.
    std::vector<std::string> serverArguments;
    // The server reads its standard input from a pipe: the test writes the
    // script modes' command lines (notify ID HEX, ...) with
    // Server().WriteInput.
    bool serverInput = false;
    // The launch's table and chair, as the hall gives them.
    int32_t table = 0;
    int32_t chair = 0;
    // The hall program's arguments beyond the launch's (its proxy).
    std::vector<std::string> hallArguments;
    // How long the hall program lives; the client quits when its hall goes,
    // so a run longer than this needs more.
    uint32_t hallSeconds = 3600;
    // "NAME=value" for the client beyond the run's own (a display, a video
    // driver).
    std::vector<std::string> clientEnvironment;
    bool detectLeaks = true;
};

class TableRun {
public:
    explicit TableRun(TableRunOptions options);
    ~TableRun();
    TableRun(const TableRun&) = delete;
    TableRun& operator=(const TableRun&) = delete;

    // Starts the server and reads its port from its first line.
    ::testing::AssertionResult StartServer();
    // The server's port once it started.
    uint16_t Port() const { return port_; }
    // Plays against the server another run started (a new launch, in
    // folders of its own, on the same server run), instead of starting its
    // own; its server log is the other run's.
    void UseServerOf(const TableRun& serving) {
        port_ = serving.port_;
        serverLogFile_ = serving.ServerLogFile();
    }
    // The hall's arguments beyond the launch's, for the next start (a proxy
    // that runs once the server's port is known).
    void SetHallArguments(std::vector<std::string> arguments) {
        options_.hallArguments = std::move(arguments);
    }
    // Starts the hall, then the client with the hall's launch line.
    ::testing::AssertionResult StartHallAndClient();
    // Ends the hall program at once (SIGKILL), as a hall that crashed.
    void KillHall() { hall_.Kill(); }
    // Waits until a line of the server's log holds the text; false when
    // the time is up or the client ended first.
    bool WaitForServerLine(const std::string& text, uint32_t timeoutMs);
    // Waits until the server's log holds `count` messages of the direction
    // and id in all; false when the client ended first or the time is up.
    bool WaitForMessages(const std::string& direction, uint32_t id, size_t count,
                         uint32_t timeoutMs);

    // The client's exit status once it ended within the time.
    std::optional<int> WaitForClientExit(uint32_t timeoutMs);
    test_support::ChildProcess& Client() { return client_; }
    test_support::ChildProcess& Server() { return server_; }
    const test_support::ClientRun& Run() const { return run_; }

    // The server's standard output: its port, its seed and, with --test,
    // one line per message.
    const std::filesystem::path& ServerLogFile() const { return serverLogFile_; }
    std::string ServerLog() const;
    std::string HallRecord() const;
    // The lines of the client's own logs (in its folder) holding the text.
    std::vector<std::string> ClientLogLinesWith(const std::string& text) const;
    // What fails any run, one line each: the server's protocol errors, and
    // the resource names the client's engine looked for and did not find.
    std::vector<std::string> ServerProtocolErrors() const;
    std::vector<std::string> ClientMissedResources() const;
    // The last lines of the server's log, for a failure's message.
    std::string ServerLogTail(size_t lines = 30) const;

private:
    // Waits until the server's log passes the check; false when the client
    // ended first or the time is up.
    bool WaitForServerLog(const std::function<bool(const std::string& log)>& check,
                          uint32_t timeoutMs);
    std::filesystem::path HallRecordFile() const { return run_.HallFolder() / "record.txt"; }

    TableRunOptions options_;
    test_support::ClientRun run_;
    test_support::ChildProcess server_;
    test_support::ChildProcess hall_;
    test_support::ChildProcess client_;
    uint16_t port_ = 0;
    std::filesystem::path serverLogFile_;
};

// The table server's test-mode lines: "<tick> <direction> <id> <length> ...",
// direction "in" (a request), "reply" (the id is the reply's code) or
// "notify".
struct ServerMessage {
    uint32_t tick = 0;  // the server's millisecond tick (GetTickCount32)
    std::string direction;
    uint32_t id = 0;
    uint32_t length = 0;
};
std::vector<ServerMessage> ServerMessages(const std::string& log);
size_t CountMessages(const std::vector<ServerMessage>& messages, const std::string& direction,
                     uint32_t id);
// The lines of the text holding the part.
std::vector<std::string> LinesWith(const std::string& text, const std::string& part);

}  // namespace e2e
