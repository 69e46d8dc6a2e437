#include "tests/support/TableRun.h"

#include "engine/MissedResources.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace e2e {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kStartMs = 20000;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text after the prefix on the first line starting with it.
std::optional<std::string> LineAfter(const std::string& text, const std::string& prefix) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0) {
            return line.substr(prefix.size());
        }
    }
    return std::nullopt;
}

// What follows the prefix on the first line of the program's file that
// starts with it, once it is written; nothing when the program ended first
// or the time is up.
std::optional<std::string> WaitForLine(test_support::ChildProcess& program, const fs::path& file,
                                       const std::string& prefix) {
    std::optional<std::string> line;
    test_support::WaitUntil(
        [&] {
            line = LineAfter(ReadText(file), prefix);
            return line.has_value() || !program.Running();
        },
        kStartMs);
    return line;
}

test_support::ClientRunOptions RunOptions(const TableRunOptions& options) {
    test_support::ClientRunOptions run;
    run.skins = fs::path(PVBN_PROGRAM).parent_path() / "skins";
    run.detectLeaks = options.detectLeaks;
    return run;
}

}  // namespace

TableRun::TableRun(TableRunOptions options)
    : options_(std::move(options)),
      run_(PVBN_PROGRAM, RunOptions(options_)),
      serverLogFile_(run_.Root() / "server.log") {
    // The client looks for its web helper beside itself.
    if (run_.Ok()) {
        run_.PlaceBeside(WEB_HELPER_PROGRAM, "pvbn_web_helper");
    }
}

TableRun::~TableRun() {
    client_.Stop(3000);
    hall_.Stop();
    server_.Stop();
}

::testing::AssertionResult TableRun::StartServer() {
    if (!run_.Ok()) {
        return ::testing::AssertionFailure() << run_.Error();
    }
    std::vector<std::string> argv = {SERVER_PROGRAM, "--port", "0"};
    argv.insert(argv.end(), options_.serverArguments.begin(), options_.serverArguments.end());
    test_support::ChildOptions child;
    child.logFile = ServerLogFile().string();
    child.inputPipe = options_.serverInput;
    if (!server_.Start(argv, child)) {
        return ::testing::AssertionFailure() << server_.Error();
    }
    const std::optional<std::string> listening =
        WaitForLine(server_, ServerLogFile(), "listening on 127.0.0.1:");
    if (!listening) {
        return ::testing::AssertionFailure() << "the server did not start:\n" << ServerLog();
    }
    port_ = static_cast<uint16_t>(std::stoul(*listening));
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult TableRun::StartHallAndClient() {
    test_support::ChildOptions hall;
    hall.environment = run_.Environment();
    hall.logFile = (run_.HallFolder() / "hall.out").string();
    std::vector<std::string> argv = {FAKE_HALL_PROGRAM,
                                     "--port",
                                     std::to_string(port_),
                                     "--table",
                                     std::to_string(options_.table),
                                     "--chair",
                                     std::to_string(options_.chair),
                                     "--exe-path",
                                     (run_.HallFolder() / "pvbn_fake_hall").string(),
                                     "--record",
                                     HallRecordFile().string(),
                                     "--timeout",
                                     std::to_string(options_.hallSeconds)};
    argv.insert(argv.end(), options_.hallArguments.begin(), options_.hallArguments.end());
    if (!hall_.Start(argv, hall)) {
        return ::testing::AssertionFailure() << hall_.Error();
    }
    const std::optional<std::string> line = WaitForLine(hall_, HallRecordFile(), "launch-line ");
    if (!line) {
        return ::testing::AssertionFailure()
               << "the hall gave no launch line:\n"
               << HallRecord() << ReadText(run_.HallFolder() / "hall.out");
    }
    // The one argument the hall itself would give the client.
    const std::string launch = *line;
    test_support::ChildOptions client;
    client.environment = run_.Environment();
    client.environment.push_back(std::string(kMissedResourcesVariable) + "=1");
    client.environment.insert(client.environment.end(), options_.clientEnvironment.begin(),
                              options_.clientEnvironment.end());
    client.logFile = (run_.Root() / "client.out").string();
    if (!client_.Start({run_.Program().string(), launch}, client)) {
        return ::testing::AssertionFailure() << client_.Error();
    }
    return ::testing::AssertionSuccess();
}

bool TableRun::WaitForServerLog(const std::function<bool(const std::string& log)>& check,
                                uint32_t timeoutMs) {
    bool passed = false;
    test_support::WaitUntil(
        [&] {
            passed = check(ServerLog());
            return passed || !client_.Running();
        },
        timeoutMs);
    return passed || check(ServerLog());
}

bool TableRun::WaitForServerLine(const std::string& text, uint32_t timeoutMs) {
    return WaitForServerLog(
        [&](const std::string& log) { return log.find(text) != std::string::npos; }, timeoutMs);
}

std::optional<int> TableRun::WaitForClientExit(uint32_t timeoutMs) {
    return client_.WaitForExit(timeoutMs);
}

bool TableRun::WaitForMessages(const std::string& direction, uint32_t id, size_t count,
                               uint32_t timeoutMs) {
    return WaitForServerLog(
        [&](const std::string& log) {
            return CountMessages(ServerMessages(log), direction, id) >= count;
        },
        timeoutMs);
}

std::string TableRun::ServerLog() const {
    return ReadText(ServerLogFile());
}

std::string TableRun::HallRecord() const {
    return ReadText(HallRecordFile());
}

std::vector<std::string> TableRun::ServerProtocolErrors() const {
    return LinesWith(ServerLog(), "protocol error: ");
}

std::vector<std::string> TableRun::ClientMissedResources() const {
    return ClientLogLinesWith("missed resource");
}

std::vector<std::string> TableRun::ClientLogLinesWith(const std::string& text) const {
    std::vector<std::string> lines;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(run_.ProgramFolder(), error)) {
        if (entry.path().extension() == ".log") {
            for (std::string& line : LinesWith(ReadText(entry.path()), text)) {
                lines.push_back(std::move(line));
            }
        }
    }
    for (std::string& line : LinesWith(ReadText(run_.Root() / "client.out"), text)) {
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string TableRun::ServerLogTail(size_t lines) const {
    const std::string log = ServerLog();
    size_t at = log.size();
    for (size_t n = 0; n <= lines && at > 0; ++n) {
        at = log.rfind('\n', at - 1);
        if (at == std::string::npos) {
            return log;
        }
    }
    return log.substr(at);
}

std::vector<ServerMessage> ServerMessages(const std::string& log) {
    std::vector<ServerMessage> messages;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        uint64_t tick = 0;
        ServerMessage message;
        if (fields >> tick >> message.direction >> message.id >> message.length &&
            (message.direction == "in" || message.direction == "reply" ||
             message.direction == "notify")) {
            message.tick = static_cast<uint32_t>(tick);
            messages.push_back(message);
        }
    }
    return messages;
}

size_t CountMessages(const std::vector<ServerMessage>& messages, const std::string& direction,
                     uint32_t id) {
    size_t n = 0;
    for (const ServerMessage& message : messages) {
        n += message.direction == direction && message.id == id ? 1 : 0;
    }
    return n;
}

std::vector<std::string> LinesWith(const std::string& text, const std::string& part) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.find(part) != std::string::npos) {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace e2e
