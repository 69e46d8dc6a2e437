// The stand-in game hall as a program: it starts the client with its launch
// line, hands it the launch record when it registers, plays the script and
// writes one line per thing the client did. It answers sign queries (+4364)
// and players' details (+4360, the player's record as dwData 7).
//
// Usage: pvbn_fake_hall [options]
//   --client PATH      start this client (without it the line is printed and
//                      a client started by hand is served)
//   --port N           the game server's port, launch field 12 (21265)
//   --host NAME        the game server's host, field 2 (127.0.0.1)
//   --game N --room N --user N --table N --chair N
//                      game id (30), hall room (300), own user (12345),
//                      table (0) and chair (0)
//   --lookon           the user joins as a looker-on
//   --room-flags N     the room's flags in the launch line and record (0)
//   --players N        players seated at the table, the own one included (4)
//   --robots           the other seats are the table server's robots (user
//                      ids, names, silver and score as they sit down)
//   --sign TEXT        the sign answered to every sign query
//   --step STEP        one script step, in order: DELAY_MS:4:USER:CHAIR[:NAME],
//                      DELAY_MS:6:USER:TABLE:CHAIR[:HALLWINDOW],
//                      DELAY_MS:7:USER:CHAIR[:NAME], DELAY_MS:13,
//                      DELAY_MS:vanish; ",cut=N" or ",send=N" makes it faulty
//   --record FILE      write the lines there (standard output without it)
//   --exe-path PATH    written as the hall's "ExePath" (this program)
//   --proxy KIND:HOST:PORT[:USER[:PASSWORD]]
//                      the proxy of the hall's settings (KIND socks4, socks5
//                      or http), in "GameHall.ini" beside "ExePath"
//   --timeout S        give up after S seconds (120)
//   --stay             keep serving after the client left
// It ends when the client left (unless --stay) or the hall vanished: 0; at
// the time-out: 3; bad options: 1; a client that could not start: 2.

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Sync.h"
#include "tools/fake_hall/FakeHall.h"

namespace {

constexpr int kExitTimedOut = 3;
constexpr uint32_t kGraceMs = 300;

struct ProgramOptions {
    fakehall::FakeHallOptions hall;
    std::string client;
    std::string recordFile;
    int players = 4;
    int timeoutSeconds = 120;
    bool stay = false;
    bool robots = false;
};

bool ReadInt(const char* text, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < INT32_MIN || value > INT32_MAX) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

bool ParseOptions(int argc, char** argv, ProgramOptions& options) {
    LaunchFields& launch = options.hall.launch;
    launch.gameId = 30;
    launch.serverHost = "127.0.0.1";
    launch.hallRoomId = 300;
    launch.userId = 12345;
    launch.serverPort = 21265;
    launch.gameName = "血战麻将";
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto number = [&](int& out) {
            if (value == nullptr || !ReadInt(value, out)) {
                std::fprintf(stderr, "%s needs a number\n", name.c_str());
                return false;
            }
            ++i;
            return true;
        };
        auto text = [&](std::string& out) {
            if (value == nullptr) {
                std::fprintf(stderr, "%s needs a value\n", name.c_str());
                return false;
            }
            out = value;
            ++i;
            return true;
        };
        bool ok = true;
        if (name == "--client") {
            ok = text(options.client);
        } else if (name == "--port") {
            ok = number(launch.serverPort);
        } else if (name == "--host") {
            ok = text(launch.serverHost);
        } else if (name == "--game") {
            ok = number(launch.gameId);
        } else if (name == "--room") {
            ok = number(launch.hallRoomId);
        } else if (name == "--user") {
            ok = number(launch.userId);
        } else if (name == "--table") {
            ok = number(launch.tableNo);
        } else if (name == "--chair") {
            ok = number(launch.chairNo);
        } else if (name == "--room-flags") {
            ok = number(launch.roomFlags);
        } else if (name == "--lookon") {
            launch.lookOn = 1;
        } else if (name == "--players") {
            ok = number(options.players) && options.players >= 1 && options.players <= 8;
        } else if (name == "--sign") {
            ok = text(options.hall.signText);
        } else if (name == "--step") {
            std::string stepText;
            ok = text(stepText);
            const auto step = ok ? fakehall::ParseScriptStep(stepText) : std::nullopt;
            if (!step) {
                std::fprintf(stderr, "bad step \"%s\"\n", stepText.c_str());
                return false;
            }
            options.hall.script.push_back(*step);
        } else if (name == "--record") {
            ok = text(options.recordFile);
        } else if (name == "--exe-path") {
            ok = text(options.hall.exePath);
        } else if (name == "--proxy") {
            std::string proxyText;
            ok = text(proxyText);
            options.hall.proxy = ok ? fakehall::ParseHallProxy(proxyText) : std::nullopt;
            ok = ok && options.hall.proxy.has_value();
        } else if (name == "--timeout") {
            ok = number(options.timeoutSeconds) && options.timeoutSeconds > 0;
        } else if (name == "--stay") {
            options.stay = true;
        } else if (name == "--robots") {
            options.robots = true;
        } else {
            std::fprintf(stderr, "unknown option %s\n", name.c_str());
            return false;
        }
        if (!ok) {
            std::fprintf(stderr, "bad value for %s\n", name.c_str());
            return false;
        }
    }
    if (launch.chairNo < 0 || launch.chairNo >= 8 ||
        (launch.lookOn == 0 && launch.chairNo >= options.players)) {
        std::fprintf(stderr, "the own chair must be one of the table's\n");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    if (!ParseOptions(argc, argv, options)) {
        return 1;
    }
    options.hall.launchRecord =
        fakehall::MakeTableLaunchRecord(options.hall.launch, options.players, options.robots);

    std::FILE* out = stdout;
    if (!options.recordFile.empty()) {
        out = std::fopen(options.recordFile.c_str(), "w");
        if (out == nullptr) {
            std::fprintf(stderr, "cannot write %s\n", options.recordFile.c_str());
            return 1;
        }
    }
    std::mutex outLock;
    auto writeLine = [&](const std::string& line) {
        std::lock_guard<std::mutex> guard(outLock);
        std::fprintf(out, "%s\n", line.c_str());
        std::fflush(out);
    };

    std::atomic<bool> finished{false};
    auto hallOwner = std::make_unique<fakehall::FakeHall>(options.hall);
    fakehall::FakeHall& hall = *hallOwner;
    hall.SetEventSink([&](const fakehall::HallEvent& event) {
        writeLine(event.Describe());
        if (event.kind == fakehall::HallEvent::Kind::Vanished ||
            (event.kind == fakehall::HallEvent::Kind::Leave && !options.stay)) {
            finished = true;
        }
    });
    if (!hall.Start()) {
        std::fprintf(stderr, "the hall's window could not be made\n");
        return 1;
    }
    writeLine("hall window=" + std::to_string(hall.Window()));
    writeLine("launch-line " + hall.LaunchLine());
    if (!options.client.empty()) {
        const platform::ProcessId process = hall.StartClient(options.client);
        if (process == 0) {
            hallOwner.reset();
            writeLine("client-not-started");
            return 2;
        }
        writeLine("client-started pid=" + std::to_string(process));
    }

    int exitCode = kExitTimedOut;
    const uint32_t start = platform::GetTickCount32();
    while (platform::GetTickCount32() - start < uint32_t(options.timeoutSeconds) * 1000u) {
        if (finished) {
            platform::SleepMs(kGraceMs);  // what the client does right after is recorded too
            exitCode = 0;
            break;
        }
        platform::SleepMs(20);
    }
    hallOwner.reset();  // no line comes after this one
    writeLine(exitCode == 0 ? "end" : "end timed-out");
    if (out != stdout) {
        std::fclose(out);
    }
    return exitCode;
}
