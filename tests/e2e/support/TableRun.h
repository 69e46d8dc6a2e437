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
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ClientRun.h"

namespace e2e {

struct TableRunOptions {
    // The server's arguments after its port.
    std::vector<std::string> serverArguments;
    // The launch's table and chair, as the hall gives them.
    int32_t table = 0;
    int32_t chair = 0;
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
    // Whether the server ended at once refusing its arguments (a server that
    // does not know them yet); its words then.
    std::optional<std::string> ServerRefusedArguments() const;
    // Plays against the server another run started (a new launch on the
    // same server run), instead of starting its own.
    void UseServerOf(const TableRun& serving) { port_ = serving.port_; }
    // Starts the hall, then the client with the hall's launch line.
    ::testing::AssertionResult StartHallAndClient();
    // Waits until a line of the server's log holds the text; false when
    // the time is up or the client ended first.
    bool WaitForServerLine(const std::string& text, uint32_t timeoutMs);

    // The client's exit status once it ended within the time.
    std::optional<int> WaitForClientExit(uint32_t timeoutMs);
    test_support::ChildProcess& Client() { return client_; }
    const test_support::ClientRun& Run() const { return run_; }

    std::string ServerLog() const;
    std::string HallRecord() const;
    // The lines of the client's own logs (in its folder) holding the text.
    std::vector<std::string> ClientLogLinesWith(const std::string& text) const;
    // The last lines of the server's log, for a failure's message.
    std::string ServerLogTail(size_t lines = 30) const;

private:
    std::filesystem::path ServerLogFile() const { return run_.Root() / "server.log"; }
    std::filesystem::path HallRecordFile() const { return run_.HallFolder() / "record.txt"; }

    TableRunOptions options_;
    test_support::ClientRun run_;
    test_support::ChildProcess server_;
    test_support::ChildProcess hall_;
    test_support::ChildProcess client_;
    uint16_t port_ = 0;
};

// The table server's test-mode lines: "<tick> <direction> <id> <length> ...",
// direction "in" (a request), "reply" (the id is the reply's code) or
// "notify".
struct ServerMessage {
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
