// A loopback game server for manual runs of the client and for the demo.
//
// By default it runs the table server (TableServer.h): one table, the
// human's connection and three robots; --seed N seeds its random source
// and the robots (printed at every run) and --test reads back every frame
// it sends and logs one line per message. --pacing demo|test sets the
// clocks and the robots' speed (demo by default); --start-when-full starts
// the first hand without the client's ready; --hands N ends the table
// after the N-th result (a robot leaves); --silver N is the human's silver
// when he sits down (100000 by default); --fault NAME makes one fault on
// purpose at the human's first accepted discard (FaultPlan.h: close,
// withhold-discard-reply, late-discard-reply, bad-crc, bad-length,
// truncated-draw-copy). --help prints the usage. --frame runs the frame's
// script instead
// (FrameScript.h): the frame's requests get the game server's answers.
// --echo runs the first script: every request that waits gets 10 and its
// own data back.
// --regional runs the regional game's script (RegionalScript.h): the
// frame's answers and one scripted hand played against the client after it
// entered (a line "step NAME" as each of its records goes out); --own-turn
// lets the client draw and throw once in it.
//
// Usage: pvbn_test_server [port] [--port N] [--seed N] [--test]
//                         [--pacing demo|test] [--start-when-full] [--hands N]
//                         [--silver N] [--fault NAME] [--help]
//                         [--frame] [--echo] [--version V S]
//                         [--room-options N] [--game-running]
//                         [--regional [--own-turn]] [--command LINE]...
// (default port 21265). The script's options and commands below apply to
// the frame modes. Each --command runs one of the lines below before
// the first client comes, so a run can start with any answer scripted.
// Lines on standard input change the script:
//   notify ID [HEX]      send notification ID with the bytes given in hex
//   reply ID CODE [HEX]  answer request ID with CODE and the bytes
//   refuse ID TEXT       answer request ID with 60031 and the text
//   silent ID            record request ID, never answer it
//   clear ID             back to the default answer
//   close                end the current client's connection
//   safebox GAME BALANCE [PASSWORD CALC]
//                        the game silver, the safe box's balance and the
//                        protection password with its calculation number
//   welfare STATUS DAILY_NUM AMOUNT
//                        the welfare status, claims a day and amount
// The server runs until it is killed.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <memory>
#include "platform/Sync.h"

#include "tools/test_server/FrameScript.h"
#include "tools/test_server/RegionalScript.h"
#include "tools/test_server/TableServer.h"

namespace {

bool ParseHex(const std::string& text, std::vector<uint8_t>& out) {
    if (text.size() % 2 != 0) {
        return false;
    }
    for (size_t i = 0; i < text.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = text.substr(i, 2);
        const unsigned long value = std::strtoul(pair.c_str(), &end, 16);
        if (end != pair.c_str() + 2) {
            return false;
        }
        out.push_back(static_cast<uint8_t>(value));
    }
    return true;
}

void PrintRequest(uint32_t id, size_t bytes, bool waited) {
    std::printf("request %u, %zu bytes, %s\n", id, bytes, waited ? "waits" : "no reply");
    std::fflush(stdout);
}

// One command line from standard input; false when it is not understood.
bool RunCommand(testserver::TestGameServer& server, testserver::FrameScript& script,
                const std::string& line) {
    std::istringstream in(line);
    std::string command;
    uint32_t id = 0;
    in >> command;
    if (command == "close") {
        server.CloseClient();
        return true;
    }
    if (command == "safebox") {
        testserver::ServiceScript::SafeBox state = script.Services().GetSafeBox();
        if (!(in >> state.gameSilver >> state.balance)) {
            return false;
        }
        state.password.clear();
        state.calcNumber = 0;
        in >> state.password >> state.calcNumber;
        script.Services().SetSafeBox(state);
        return true;
    }
    if (command == "welfare") {
        testserver::ServiceScript::Welfare welfare = script.Services().GetWelfare();
        if (!(in >> welfare.status >> welfare.dailyNum >> welfare.amount)) {
            return false;
        }
        script.Services().SetWelfare(welfare);
        script.Services().ResetWelfareClaims();
        return true;
    }
    if (!(in >> id)) {
        return false;
    }
    std::string rest;
    std::vector<uint8_t> bytes;
    if (command == "notify") {
        in >> rest;
        return ParseHex(rest, bytes) && script.Notify(id, bytes);
    }
    if (command == "reply") {
        uint32_t code = 0;
        if (!(in >> code)) {
            return false;
        }
        in >> rest;
        if (!ParseHex(rest, bytes)) {
            return false;
        }
        script.SetReply(id, code, bytes);
        return true;
    }
    if (command == "refuse") {
        std::getline(in >> std::ws, rest);
        script.RefuseWithText(id, rest);
        return true;
    }
    if (command == "silent") {
        script.SetSilent(id);
        return true;
    }
    if (command == "clear") {
        script.ClearAnswer(id);
        return true;
    }
    return false;
}

void PrintUsage() {
    std::printf(
        "usage: pvbn_test_server [port] [--port N] [--seed N] [--test]\n"
        "                        [--pacing demo|test] [--start-when-full] [--hands N]\n"
        "                        [--silver N] [--fault %s]\n"
        "                        [--frame] [--echo] [--version V S] [--room-options N]\n"
        "                        [--game-running] [--regional [--own-turn]] [--command LINE]...\n"
        "The table server (the default) plays hands of one table: the client's seat\n"
        "and three robots, on 127.0.0.1 only.\n"
        "  --seed N            the table's and the robots' random source (printed)\n"
        "  --pacing demo|test  the clocks and the robots' speed (demo: 15/10 s, test: 4/2 s)\n"
        "  --start-when-full   the first hand starts without the client's ready\n"
        "  --hands N           after the N-th result a robot leaves and the table ends\n"
        "  --silver N          the client's silver when he sits down (100000)\n"
        "  --test              every frame sent is read back; one log line per message\n"
        "  --fault NAME        one fault, once in the run, at the client's first accepted\n"
        "                      discard (222080 answered 10):\n"
        "      close                   the reply goes out, then the connection is closed\n"
        "      withhold-discard-reply  the discard is carried out, its reply never sent\n"
        "      late-discard-reply      the reply is sent %u s late\n"
        "      bad-crc                 the reply's frame carries a wrong CRC\n"
        "      bad-length              the reply's frame carries a bad length field\n"
        "      truncated-draw-copy     after the next draw notice (229160), a copy of it\n"
        "                              cut to half its bytes\n"
        "                      each logs a line starting \"fault \" when it acts.\n"
        "--frame, --echo and --regional run the earlier scripts instead (see main.cpp).\n",
        testserver::FaultPlan::Names().c_str(), testserver::FaultPlan::kLateReplyMs / 1000);
}

// Runs the table server until the program is killed.
int RunTableServer(uint16_t port, testserver::TableServer::Options options) {
    testserver::TestGameServer::Options transport =
        testserver::TableServer::TransportOptions(options.testMode);
    transport.port = port;
    testserver::TestGameServer server(transport);
    const uint32_t seed = options.seed;
    options.log = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    testserver::TableServer table(server, options);
    if (!server.Start()) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }
    std::printf("listening on 127.0.0.1:%u (table server, seed %u, %s pacing, fault %s)\n",
                server.Port(), seed,
                options.pacing == testserver::TableServer::Pacing::kTest ? "test" : "demo",
                std::string(testserver::FaultPlan::NameOf(options.fault)).c_str());
    std::fflush(stdout);
    for (;;) {
        platform::SleepMs(1000);
    }
}

}  // namespace

int main(int argc, char** argv) {
    testserver::TestGameServer::Options serverOptions;
    serverOptions.port = 21265;
    testserver::FrameScript::Options scriptOptions;
    bool echo = false;
    bool frame = false;
    bool testMode = false;
    uint32_t seed = platform::GetTickCount32();
    bool regional = false;
    bool ownTurn = false;
    bool gameRunning = false;
    testserver::TableServer::Options table;
    std::vector<std::string> commands;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--echo") {
            echo = true;
        } else if (argument == "--frame") {
            frame = true;
        } else if (argument == "--test") {
            testMode = true;
        } else if (argument == "--seed" && i + 1 < argc) {
            seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (argument == "--pacing" && i + 1 < argc) {
            const std::string pacing = argv[++i];
            if (pacing != "demo" && pacing != "test") {
                std::fprintf(stderr, "--pacing takes demo or test\n");
                return 2;
            }
            table.pacing = pacing == "test" ? testserver::TableServer::Pacing::kTest
                                            : testserver::TableServer::Pacing::kDemo;
        } else if (argument == "--start-when-full") {
            table.startWhenFull = true;
        } else if (argument == "--hands" && i + 1 < argc) {
            table.hands = std::max(0, std::atoi(argv[++i]));
        } else if (argument == "--silver" && i + 1 < argc) {
            table.humanSilver = std::max(0, std::atoi(argv[++i]));
        } else if (argument == "--fault" && i + 1 < argc) {
            const std::optional<testserver::FaultPlan::Kind> fault =
                testserver::FaultPlan::Parse(argv[++i]);
            if (!fault) {
                std::fprintf(stderr, "--fault takes %s\n", testserver::FaultPlan::Names().c_str());
                return 2;
            }
            table.fault = *fault;
        } else if (argument == "--help" || argument == "-h") {
            PrintUsage();
            return 0;
        } else if (argument == "--regional") {
            regional = true;
        } else if (argument == "--own-turn") {
            ownTurn = true;
        } else if (argument == "--port" && i + 1 < argc) {
            serverOptions.port = static_cast<uint16_t>(std::atoi(argv[++i]));
        } else if (argument == "--version" && i + 2 < argc) {
            scriptOptions.version = std::atoi(argv[++i]);
            scriptOptions.subVersion = std::atoi(argv[++i]);
        } else if (argument == "--room-options" && i + 1 < argc) {
            scriptOptions.roomOptions = std::atoi(argv[++i]);
        } else if (argument == "--game-running") {
            gameRunning = true;
        } else if (argument == "--command" && i + 1 < argc) {
            commands.emplace_back(argv[++i]);
        } else if (!argument.empty() && argument[0] != '-') {
            serverOptions.port = static_cast<uint16_t>(std::atoi(argument.c_str()));
        } else {
            std::fprintf(stderr, "unknown argument: %s\n", argument.c_str());
            return 2;
        }
    }
    if (!frame && !echo && !regional) {
        table.seed = seed;
        table.testMode = testMode;
        return RunTableServer(serverOptions.port, std::move(table));
    }
    scriptOptions.onRequest = [](const testserver::FrameScript::Recorded& r) {
        PrintRequest(r.id, r.body.size(), r.waited);
    };

    testserver::TestGameServer server(serverOptions);
    std::unique_ptr<testserver::FrameScript> frameScript;
    std::unique_ptr<testserver::RegionalScript> regionalScript;
    if (regional) {
        testserver::RegionalScript::Options options;
        options.frame = scriptOptions;
        options.ownTurn = ownTurn;
        // A test that sends its own records in between sees each step.
        options.onStep = [](const std::string& step) {
            std::printf("step %s\n", step.c_str());
            std::fflush(stdout);
        };
        regionalScript = std::make_unique<testserver::RegionalScript>(server, options);
    } else {
        frameScript = std::make_unique<testserver::FrameScript>(server, scriptOptions);
    }
    testserver::FrameScript& script = regional ? regionalScript->Frame() : *frameScript;
    script.SetGameRunning(gameRunning);
    if (echo) {
        testserver::InstallEchoScript(server);
    }
    for (const std::string& command : commands) {
        if (!RunCommand(server, script, command)) {
            std::fprintf(stderr, "not understood: %s\n", command.c_str());
            return 2;
        }
    }
    if (!server.Start()) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%u\n", serverOptions.port);
        return 1;
    }
    std::printf("listening on 127.0.0.1:%u (%s script)\n", server.Port(),
                echo ? "echo" : (regional ? "regional" : "frame"));
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && !RunCommand(server, script, line)) {
            std::fprintf(stderr, "not understood: %s\n", line.c_str());
        }
    }
    for (;;) {
        platform::SleepMs(1000);
    }
}
