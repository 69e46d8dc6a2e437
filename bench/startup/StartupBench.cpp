// Start-up: the real client from its spawn to its first frame, started as a
// user starts it. Each run is three programs in folders of their own: the
// table server's program, the stand-in hall's program, and pvbn with the
// hall's launch line, headless on SDL's dummy video driver.
//
// Two sound set-ups side by side:
//  - no sound device: SDL's ALSA driver on a machine without a sound card
//    (no /dev/snd; ALSA comes with SDL on Debian), so the audio library
//    starts and its open fails as for a user without one. Every run reads
//    the client's output for the failed open ("audio: no output device");
//    where the device opened (a machine with a sound card) the figure is
//    refused, as it is not the one asked for;
//  - a device that opens: SDL's dummy audio driver.
// With no wait on the audio subsystem the two take the same time.
//
// The first frame, as seen from outside the client (it has no hook for it):
// the client's first seat-board request (400001) in the table server's log.
// The UI thread sends it when the table's seat boards are up, after the
// main window, the engine with its audio open and the hall's launch record,
// and the frame that shows them follows within one frame tick. The window's
// very first paint comes earlier, also after the audio open on the same
// thread, and is invisible from outside. Times are the
// server's millisecond ticks on the machine's monotonic clock against the
// moment the client was spawned, so no polling interval enters them.
// Beside the total, two phases of it:
//  - connect: spawn to the version check (process start, log, communication
//    thread, connection);
//  - window: the configuration request to the enter request (the main
//    window, the engine and its audio, the hall's launch record).
//
// PVBN_STARTUP_RUNS: runs of each set-up (7 unless set). Each run is a whole
// program start; the medians and ranges are printed at the end.
// PVBN_STARTUP_OTHER_CLIENT: the path of another build of pvbn (e.g. the
// code before a change), measured beside the one built with this benchmark.
// The runs of all set-ups are interleaved in random order, so that a noisy
// minute of a shared machine falls on all of them alike.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchEnvironment.h"
#include "frame/net/FrameRequests.h"
#include "mahjong_client/TableProtocol.h"
#include "platform/Sync.h"
#include "tests/support/TableRun.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kFirstFrameLimitMs = 20000;
constexpr char kFailedOpen[] = "audio: no output device";

struct SoundSetup {
    const char* name;
    const char* audioDriver;
    bool openFails;
};
constexpr SoundSetup kNoSoundDevice{"no_sound_device", "alsa", true};
constexpr SoundSetup kDummySoundDevice{"dummy_sound_device", "dummy", false};

// One run's figures, in milliseconds from the spawn.
struct StartFigures {
    double connect = 0;
    double window = 0;
    double firstFrame = 0;
};

// Every run's figures by benchmark name, for the closing table.
std::map<std::string, std::vector<StartFigures>>& Samples() {
    static std::map<std::string, std::vector<StartFigures>> samples;
    return samples;
}

// The tick of the server's first message of the direction and id.
std::optional<uint32_t> FirstTick(const std::vector<e2e::ServerMessage>& messages,
                                  const std::string& direction, uint32_t id) {
    for (const e2e::ServerMessage& message : messages) {
        if (message.direction == direction && message.id == id) {
            return message.tick;
        }
    }
    return std::nullopt;
}

// Milliseconds from one tick to a later one (the ticks wrap at 2^32).
double Elapsed(uint32_t from, uint32_t to) {
    return static_cast<double>(static_cast<uint32_t>(to - from));
}

// Puts the other build in place of the client the run placed.
bool PlaceClient(const e2e::TableRun& table, const fs::path& client, std::string& error) {
    std::error_code removal;
    fs::remove(table.Run().Program(), removal);
    if (removal) {
        error = table.Run().Program().string() + ": " + removal.message();
        return false;
    }
    return test_support::PlaceProgram(client, table.Run().Program(), error);
}

// One whole start of the client; the figures, or why there are none.
std::optional<StartFigures> StartOnce(const SoundSetup& sound, const fs::path& client,
                                      std::string& error) {
    e2e::TableRunOptions options;
    options.serverArguments = {"--test"};  // a line per message, with its tick
    options.clientEnvironment = {"SDL_VIDEODRIVER=dummy",
                                 std::string("SDL_AUDIODRIVER=") + sound.audioDriver};
    e2e::TableRun table(options);
    if (const ::testing::AssertionResult started = table.StartServer(); !started) {
        error = started.message();
        return std::nullopt;
    }
    if (!client.empty() && !PlaceClient(table, client, error)) {
        return std::nullopt;
    }
    const ::testing::AssertionResult launched = table.StartHallAndClient();
    // The spawn has returned: the client's program is running.
    const uint32_t spawned = platform::GetTickCount32();
    if (!launched) {
        error = launched.message();
        return std::nullopt;
    }
    if (!table.WaitForMessages("in", table_protocol::kSeatBoardInfo, 1, kFirstFrameLimitMs)) {
        error = "no seat boards within the time:\n" + table.ServerLogTail();
        return std::nullopt;
    }
    const std::string log = table.ServerLog();
    const std::vector<e2e::ServerMessage> messages = e2e::ServerMessages(log);
    const std::optional<uint32_t> version =
        FirstTick(messages, "in", frame_requests::kCheckVersion);
    const std::optional<uint32_t> config =
        FirstTick(messages, "in", frame_requests::kGetActiveConfig);
    const std::optional<uint32_t> enter = FirstTick(messages, "in", frame_requests::kEnterGame);
    const std::optional<uint32_t> boards =
        FirstTick(messages, "in", table_protocol::kSeatBoardInfo);
    if (!version || !config || !enter || !boards) {
        error = "the server's log lacks a start-up request:\n" + log;
        return std::nullopt;
    }
    const bool openFailed = !table.ClientLogLinesWith(kFailedOpen).empty();
    if (openFailed != sound.openFails) {
        error = sound.openFails ? "the audio device opened: this machine has a sound device"
                                : "the audio device did not open";
        return std::nullopt;
    }
    return StartFigures{Elapsed(spawned, *version), Elapsed(*config, *enter),
                        Elapsed(spawned, *boards)};
}

void StartUp(benchmark::State& state, SoundSetup sound, fs::path client, std::string name) {
    for (auto _ : state) {
        std::string error;
        const std::optional<StartFigures> figures = StartOnce(sound, client, error);
        if (!figures) {
            state.SkipWithError(error.c_str());
            return;
        }
        state.SetIterationTime(figures->firstFrame / 1000.0);
        state.counters["connect_ms"] = figures->connect;
        state.counters["window_ms"] = figures->window;
        Samples()[name].push_back(*figures);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<double> Column(const std::vector<StartFigures>& runs, double StartFigures::*field) {
    std::vector<double> values;
    for (const StartFigures& run : runs) {
        values.push_back(run.*field);
    }
    return values;
}

double MedianFirstFrame(const std::string& name) {
    const auto found = Samples().find(name);
    return found == Samples().end() || found->second.empty()
               ? -1
               : Median(Column(found->second, &StartFigures::firstFrame));
}

void PrintRatio(const std::string& measured, const std::string& against) {
    const double a = MedianFirstFrame(measured);
    const double b = MedianFirstFrame(against);
    if (a > 0 && b > 0) {
        std::printf("%-40s / %-40s %6.2f\n", measured.c_str(), against.c_str(), a / b);
    }
}

// The benchmark names of one client build's two sound set-ups.
struct BuildRuns {
    std::string noDevice;
    std::string dummyDevice;
};

void PrintRow(const std::string& name) {
    const auto found = Samples().find(name);
    if (found == Samples().end() || found->second.empty()) {
        return;
    }
    const std::vector<StartFigures>& runs = found->second;
    const std::vector<double> total = Column(runs, &StartFigures::firstFrame);
    std::printf("%-40s %4zu  %8.0f (%4.0f-%5.0f)  %10.0f  %9.0f\n", name.c_str(), runs.size(),
                Median(total), *std::min_element(total.begin(), total.end()),
                *std::max_element(total.begin(), total.end()),
                Median(Column(runs, &StartFigures::connect)),
                Median(Column(runs, &StartFigures::window)));
}

// The medians of every set-up, then without a sound device against with one
// for each build, and the other build against this one.
void PrintTable(const std::vector<BuildRuns>& builds) {
    std::printf("\n%-40s %4s  %22s  %10s  %9s\n", "start-up (ms from spawn, medians)", "runs",
                "first frame (min-max)", "connect", "window");
    for (const BuildRuns& build : builds) {
        PrintRow(build.noDevice);
        PrintRow(build.dummyDevice);
    }
    std::printf("\nratios of the first frame's medians:\n");
    for (const BuildRuns& build : builds) {
        PrintRatio(build.noDevice, build.dummyDevice);
    }
    if (builds.size() == 2) {
        PrintRatio(builds[1].noDevice, builds[0].noDevice);
        PrintRatio(builds[1].dummyDevice, builds[0].dummyDevice);
    }
}

// Registers both sound set-ups for one client build (empty: the one built
// beside this benchmark).
BuildRuns Register(const std::string& prefix, const fs::path& client, int runs) {
    BuildRuns names{prefix + "/" + kNoSoundDevice.name, prefix + "/" + kDummySoundDevice.name};
    for (const auto& [sound, name] : {std::pair{kNoSoundDevice, names.noDevice},
                                      std::pair{kDummySoundDevice, names.dummyDevice}}) {
        benchmark::RegisterBenchmark(name.c_str(), StartUp, sound, client, name)
            ->Iterations(1)
            ->Repetitions(runs)
            ->ComputeStatistics(
                "min",
                [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
            ->ComputeStatistics(
                "max",
                [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    return names;
}

bool HasFlag(int argc, char** argv, const char* flag) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = bench::CountFromEnvironment("PVBN_STARTUP_RUNS", 7, 1000);
    std::vector<BuildRuns> builds = {Register("startup/this_build", {}, runs)};
    if (const char* other = std::getenv("PVBN_STARTUP_OTHER_CLIENT"); other != nullptr && *other) {
        if (fs::is_regular_file(other)) {
            builds.push_back(Register("startup/other_build", other, runs));
        } else {
            std::fprintf(stderr, "PVBN_STARTUP_OTHER_CLIENT=%s is not a file\n", other);
            return 1;
        }
    }
    // Runs of every set-up interleaved, unless the caller says otherwise.
    std::vector<char*> arguments(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    if (!HasFlag(argc, argv, "--benchmark_enable_random_interleaving")) {
        arguments.push_back(interleave.data());
    }
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintTable(builds);
    return 0;
}
