// The soak: whole hands for as long as a session runs, watching time, memory,
// protocol errors and records the client dropped.
//  - Client hands: the table server's program (test pacing, a fixed seed,
//    starting when full, ending after the hands asked for), the fake hall
//    program and the client built beside this benchmark (on SDL's dummy
//    drivers), each in its own process and the run in folders of its own. The client plays by its
//    own clocks. Resident sizes of client and server are read as each hand's result shows in the
//    server's log.
//  - Wire hands: the wire seat in the human's chair against the table server
//    in this process, over a loopback socket, on the table's injected clock
//    (the clock jumps to the next timer whenever everyone waits), so ten
//    thousand hands take minutes, not weeks. The resident size is this
//    process's: the server, and the seat with its record of every result.
//
// Sizes: PVBN_SOAK_CLIENT_HANDS and PVBN_SOAK_WIRE_HANDS (2 and 200 unless
// set; the full soak is 40 and 10000). Both run in one process and a table
// of the figures is printed at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "bench/BenchEnvironment.h"
#include "platform/Sync.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/HandRun.h"
#include "tests/support/SoakFigures.h"
#include "tests/support/TableRun.h"

namespace {

using test_support::ResidentSeries;

constexpr uint32_t kSeed = 1717;
constexpr uint32_t kResult = 211080;
constexpr uint32_t kTableEndNoSilver = 211110;
// A test-paced hand takes about two minutes; the ending's box answers
// itself after ten seconds.
constexpr double kClientSecondsPerHand = 5 * 60;
constexpr uint32_t kPollMs = 250;
// Enough for any run of hands at the table's stakes, so that the human's
// purse never ends a run early.
constexpr int32_t kHumanSilver = 1000000000;
constexpr long kMostHands = 1000000;

double Seconds() {
    return static_cast<double>(platform::QueryPerformanceCounter()) /
           static_cast<double>(platform::QueryPerformanceFrequency());
}

// One line of the closing table.
struct Figures {
    std::string run;
    int hands = 0;
    double seconds = 0;
    // The resident sizes: after warm-up, at the end, and KB per hand.
    struct Sizes {
        std::optional<uint64_t> warm;
        std::optional<uint64_t> end;
        double growth = 0;
    };
    std::optional<Sizes> client;
    Sizes server;
    int protocolErrors = -1;  // -1: not reported
    std::string outcome = "ok";
};
std::vector<Figures>& Table() {
    static std::vector<Figures> figures;
    return figures;
}

double Kilobytes(const std::optional<uint64_t>& size) {
    return size ? static_cast<double>(*size) : -1.0;
}

Figures::Sizes SizesOf(const ResidentSeries& series) {
    return {series.AfterWarmUp(), series.AtEnd(), series.GrowthPerHand()};
}

void SetSizeCounters(benchmark::State& state, const std::string& who, const Figures::Sizes& sizes) {
    state.counters[who + "_KB_warm"] = Kilobytes(sizes.warm);
    state.counters[who + "_KB_end"] = Kilobytes(sizes.end);
    state.counters[who + "_KB_per_hand"] = sizes.growth;
}

// The counters every run has; the figures go to the closing table, and a run
// that did not end as it should is marked.
void Report(benchmark::State& state, const Figures& figures) {
    if (figures.client) {
        SetSizeCounters(state, "client", *figures.client);
    }
    SetSizeCounters(state, "server", figures.server);
    state.counters["protocol_errors"] = figures.protocolErrors;
    Table().push_back(figures);
    if (figures.outcome != "ok") {
        state.SkipWithError(figures.outcome.c_str());
    }
}

void ClientHands(benchmark::State& state) {
    const int hands = static_cast<int>(state.range(0));
    Figures figures;
    figures.run = "client";
    figures.hands = hands;
    for (auto _ : state) {
        e2e::TableRunOptions options;
        options.serverArguments = {"--start-when-full",
                                   "--hands",
                                   std::to_string(hands),
                                   "--pacing",
                                   "test",
                                   "--seed",
                                   std::to_string(kSeed),
                                   "--test",
                                   "--silver",
                                   std::to_string(kHumanSilver)};
        // The client quits when its hall goes: the hall lives for the whole run.
        options.hallSeconds = static_cast<uint32_t>(kClientSecondsPerHand * (hands + 1));
        // Headless, whatever the benchmark itself was started with.
        options.clientEnvironment = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};
        e2e::TableRun table(options);
        const ::testing::AssertionResult started = table.StartServer();
        if (!started) {
            state.SkipWithError(started.message());
            return;
        }
        const ::testing::AssertionResult launched = table.StartHallAndClient();
        if (!launched) {
            state.SkipWithError(launched.message());
            return;
        }
        const double start = Seconds();
        ResidentSeries client(test_support::WarmUpHands(hands));
        ResidentSeries server(test_support::WarmUpHands(hands));
        test_support::LogFollower log(table.ServerLogFile());
        int results = 0;
        double lastResult = start;
        const auto readLog = [&] {
            for (const std::string& line : log.NewLines()) {
                const std::vector<e2e::ServerMessage> messages = e2e::ServerMessages(line);
                if (e2e::CountMessages(messages, "notify", kResult) > 0) {
                    ++results;
                    lastResult = Seconds();
                    if (const auto size = test_support::ResidentKilobytes(table.Client().Pid())) {
                        client.Add(results, *size);
                    }
                    if (const auto size = test_support::ResidentKilobytes(table.Server().Pid())) {
                        server.Add(results, *size);
                    }
                } else if (const auto done = test_support::ParseHandsDone(line)) {
                    figures.protocolErrors = done->protocolErrors;
                }
            }
        };
        const double deadline = start + kClientSecondsPerHand * (hands + 1);
        std::optional<int> status;
        while (!status && Seconds() < deadline) {
            readLog();
            status = table.Client().WaitForExit(kPollMs);
        }
        readLog();
        figures.seconds = lastResult - start;
        // The figures per hand are of the hands played.
        figures.hands = results;
        figures.client = SizesOf(client);
        figures.server = SizesOf(server);
        if (!status) {
            figures.outcome = "still running at the deadline";
        } else if (const ::testing::AssertionResult ended = table.Run().CheckEnded(*status);
                   !ended) {
            figures.outcome = "exit " + std::to_string(*status);
            std::fprintf(stderr, "%s\n", ended.message());
        } else if (results != hands) {
            figures.outcome = std::to_string(results) + " results";
            // The table ends early when the human's silver no longer lets a
            // hand start.
            if (e2e::CountMessages(e2e::ServerMessages(table.ServerLog()), "notify",
                                   kTableEndNoSilver) > 0) {
                figures.outcome += ", the human's silver ran out";
            }
        }
        // A record the client dropped is a fault of the table's course.
        const std::vector<std::string> dropped = table.ClientLogLinesWith("dropped");
        for (const std::string& line : dropped) {
            std::fprintf(stderr, "client: %s\n", line.c_str());
        }
        if (!dropped.empty() && figures.outcome == "ok") {
            figures.outcome = std::to_string(dropped.size()) + " dropped records";
        }
        if (figures.outcome != "ok") {
            std::fprintf(stderr, "the server's last lines:\n%s\n", table.ServerLogTail().c_str());
        }
        state.counters["exit"] = status ? *status : -1;
    }
    state.counters["s_per_hand"] = figures.hands > 0 ? figures.seconds / figures.hands : 0;
    Report(state, figures);
}

void WireHands(benchmark::State& state) {
    const int hands = static_cast<int>(state.range(0));
    Figures figures;
    figures.run = "wire";
    figures.hands = hands;
    servertest::HandRunTotals totals;
    for (auto _ : state) {
        ResidentSeries own(test_support::WarmUpHands(hands));
        servertest::HandRun run(kSeed, 0, servertest::SeatMix{}, kHumanSilver);
        const double start = Seconds();
        run.Play(hands, totals, [&](int done) {
            if (const auto size = test_support::OwnResidentKilobytes()) {
                own.Add(done, *size);
            }
        });
        figures.seconds = Seconds() - start;
        figures.server = SizesOf(own);
        figures.protocolErrors = static_cast<int>(run.ProtocolErrors());
    }
    if (totals.hands != hands) {
        figures.outcome = std::to_string(totals.hands) + " hands";
    } else if (!totals.faults.empty()) {
        figures.outcome = std::to_string(totals.faults.size()) + " faults";
    }
    for (size_t k = 0; k < totals.faults.size() && k < 10; ++k) {
        std::fprintf(stderr, "%s\n", totals.faults[k].c_str());
    }
    state.counters["hands_per_s"] = figures.seconds > 0 ? totals.hands / figures.seconds : 0;
    state.counters["faults"] = static_cast<double>(totals.faults.size());
    Report(state, figures);
}

std::string Size(const std::optional<uint64_t>& kilobytes) {
    return kilobytes ? std::to_string(*kilobytes) : std::string("-");
}

void PrintTable() {
    std::printf(
        "\nsoak     hands  s/hand  hands/s  client KB warm/end  KB/hand"
        "  server KB warm/end  KB/hand  protocol errors  outcome\n");
    for (const Figures& f : Table()) {
        const double perHand = f.hands > 0 ? f.seconds / f.hands : 0;
        const double perSecond = f.seconds > 0 ? f.hands / f.seconds : 0;
        const std::string client =
            f.client ? Size(f.client->warm) + "/" + Size(f.client->end) : std::string("-");
        std::printf("%-7s %6d %7.2f %8.1f  %18s %8.2f  %18s %8.2f  %15d  %s\n", f.run.c_str(),
                    f.hands, perHand, perSecond, client.c_str(), f.client ? f.client->growth : 0.0,
                    (Size(f.server.warm) + "/" + Size(f.server.end)).c_str(), f.server.growth,
                    f.protocolErrors, f.outcome.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("soak/client_hands", ClientHands)
        ->Arg(bench::CountFromEnvironment("PVBN_SOAK_CLIENT_HANDS", 2, kMostHands))
        ->Iterations(1)
        ->Unit(benchmark::kSecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("soak/wire_hands", WireHands)
        ->Arg(bench::CountFromEnvironment("PVBN_SOAK_WIRE_HANDS", 200, kMostHands))
        ->Iterations(1)
        ->Unit(benchmark::kSecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintTable();
    return 0;
}
