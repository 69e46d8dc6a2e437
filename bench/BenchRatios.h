#pragma once
// A benchmark main that runs every registered benchmark in one process and
// then prints, for each named pair, how many times slower the first is than
// the second (its limit). Both sides of a pair are measured on the same
// machine in the same minute, so the ratio holds when absolute figures drift.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

// One side-by-side comparison: `measured` against `limit`, both run names as
// Google Benchmark prints them (e.g. "BM_Crc32/1024"). `allowed` is the ratio
// the comparison must stay within (0 when only reported).
struct RatioPair {
    std::string measured;
    std::string limit;
    double allowed = 0;
};

// Keeps the time per iteration of every run while printing as usual.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                times_[run.benchmark_name()] =
                    run.GetAdjustedRealTime() * benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Seconds per iteration, or a negative number when the run is missing.
    double Seconds(const std::string& name) const {
        const auto it = times_.find(name);
        return it == times_.end() ? -1.0 : it->second;
    }

private:
    std::map<std::string, double> times_;
};

inline void PrintRatios(const RecordingReporter& reporter, const std::vector<RatioPair>& pairs) {
    std::printf("\n%-44s %-36s %8s %8s\n", "measured", "limit", "ratio", "allowed");
    for (const RatioPair& pair : pairs) {
        const double measured = reporter.Seconds(pair.measured);
        const double limit = reporter.Seconds(pair.limit);
        if (measured <= 0 || limit <= 0) {
            continue;  // filtered out of this run
        }
        const double ratio = measured / limit;
        if (pair.allowed > 0) {
            std::printf("%-44s %-36s %8.2f %8.2f%s\n", pair.measured.c_str(), pair.limit.c_str(),
                        ratio, pair.allowed, ratio <= pair.allowed ? "" : "  OVER");
        } else {
            std::printf("%-44s %-36s %8.2f %8s\n", pair.measured.c_str(), pair.limit.c_str(), ratio,
                        "-");
        }
    }
}

inline int RunWithRatios(int argc, char** argv, const std::vector<RatioPair>& pairs) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter, pairs);
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
