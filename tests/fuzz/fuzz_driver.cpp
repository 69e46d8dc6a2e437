// The project's fuzz driver, linked with one target (a
// LLVMFuzzerTestOneInput function). It runs every file of the corpus folders
// once, then mutates inputs from an in-memory pool for a bounded time. A
// crash is reported by the sanitizers; the driver saves the input that
// caused it (crash-<target>-<n>) so that it can be replayed.
//
//   fuzz_<target> [options] CORPUS_FOLDER...   replay the corpus, then mutate
//   fuzz_<target> FILE...                      replay the files only
//
// Options (libFuzzer's spelling): -seconds=N (mutation time, default 20;
// 0 replays only), -seed=N (0 or none: from the clock; printed), -runs=N
// (stop after N mutated inputs), -max_len=N, -timeout=N (seconds one input
// may run, default 25), -dict=FILE (tokens in libFuzzer's dictionary form),
// -artifact_prefix=PATH (where crash files go, default the current folder).
//
// The run ends with one summary line: executions, executions per second,
// the corpus size and the new outcomes found (inputs kept because they went
// a way no input had gone before; see FuzzTarget.h).

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "tests/fuzz/FuzzTarget.h"

extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" __attribute__((weak)) void __sanitizer_set_death_callback(void (*callback)());
extern "C" __attribute__((weak)) void __sanitizer_print_stack_trace();

// Sanitizer settings of every fuzz run (the environment's own still win): an
// allocation over 1 GB from a small input is a finding, not a slow run.
extern "C" const char* __asan_default_options() {
    return "max_allocation_size_mb=1024:hard_rss_limit_mb=3072:allocator_may_return_null=0";
}
extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

using Bytes = std::vector<uint8_t>;

namespace {

// ---- time -------------------------------------------------------------------

double NowSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// ---- the input being run, for the crash and time-out handlers --------------
// Kept in a block of its own, written before each run, read by handlers that
// only use async-signal-safe calls.

struct CurrentInput {
    char crashPath[4096] = {};    // the file a crash writes the input to
    char timeoutPath[4096] = {};  // the file a time-out writes it to
    char replay[4096] = {};       // how to replay it, printed with the report
    const uint8_t* data = nullptr;
    size_t size = 0;
    std::atomic<bool> running{false};
    std::atomic<double> startedAt{0};
    std::atomic<bool> reported{false};
};
CurrentInput g_current;
pthread_t g_mainThread;
double g_timeoutSeconds = 25;

void WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
}

void Say(const char* text) {
    WriteAll(STDERR_FILENO, text, std::strlen(text));
}

// Writes the input being run to the path; async-signal-safe.
void SaveCurrentInput(const char* path, const char* what) {
    if (g_current.reported.exchange(true) || !g_current.running.load()) {
        return;
    }
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        WriteAll(fd, g_current.data, g_current.size);
        close(fd);
    }
    Say("==fuzz== ");
    Say(what);
    Say(": the input was written to ");
    Say(path);
    Say("\n==fuzz== replay it with: ");
    Say(g_current.replay);
    Say(" ");
    Say(path);
    Say("\n");
}

void OnSanitizerDeath() {
    SaveCurrentInput(g_current.crashPath, "crash");
}

void OnFatalSignal(int signal) {
    SaveCurrentInput(g_current.crashPath, signal == SIGABRT ? "abort" : "fatal signal");
    ::signal(signal, SIG_DFL);
    raise(signal);
}

// Raised on the main thread by the watchdog: where it is stuck, then out.
void OnTimeoutSignal(int) {
    Say("==fuzz== timeout: one input ran longer than the time-out; it is here:\n");
    if (__sanitizer_print_stack_trace != nullptr) {
        __sanitizer_print_stack_trace();
    }
    SaveCurrentInput(g_current.timeoutPath, "timeout");
    _exit(70);
}

void* Watchdog(void*) {
    for (;;) {
        const timespec tenth{0, 100 * 1000 * 1000};
        nanosleep(&tenth, nullptr);
        if (g_current.running.load() &&
            NowSeconds() - g_current.startedAt.load() > g_timeoutSeconds) {
            pthread_kill(g_mainThread, SIGUSR2);
            return nullptr;
        }
    }
}

void InstallHandlers() {
    if (__sanitizer_set_death_callback != nullptr) {
        __sanitizer_set_death_callback(OnSanitizerDeath);
    } else {
        // Without sanitizers the faults arrive as signals.
        for (int s : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) {
            signal(s, OnFatalSignal);
        }
    }
    signal(SIGABRT, OnFatalSignal);  // failed rules and asserts
    signal(SIGUSR2, OnTimeoutSignal);
    g_mainThread = pthread_self();
    pthread_t watchdog;
    if (pthread_create(&watchdog, nullptr, Watchdog, nullptr) == 0) {
        pthread_detach(watchdog);
    }
}

// ---- options ----------------------------------------------------------------

struct Options {
    double seconds = 20;
    uint64_t seed = 0;
    uint64_t runs = UINT64_MAX;
    size_t maxLen = 0;  // 0: from the corpus
    double timeout = 25;
    std::string dict;
    std::string artifactPrefix = "./";
    std::vector<std::string> folders;
    std::vector<std::string> files;
};

bool TakeOption(const std::string& arg, const char* name, std::string& value) {
    const std::string prefix = std::string("-") + name + "=";
    if (arg.rfind(prefix, 0) != 0) {
        return false;
    }
    value = arg.substr(prefix.size());
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string value;
        if (TakeOption(arg, "seconds", value) || TakeOption(arg, "max_total_time", value)) {
            options.seconds = std::atof(value.c_str());
        } else if (TakeOption(arg, "seed", value)) {
            options.seed = std::strtoull(value.c_str(), nullptr, 10);
        } else if (TakeOption(arg, "runs", value)) {
            options.runs = std::strtoull(value.c_str(), nullptr, 10);
        } else if (TakeOption(arg, "max_len", value)) {
            options.maxLen = std::strtoull(value.c_str(), nullptr, 10);
        } else if (TakeOption(arg, "timeout", value)) {
            options.timeout = std::atof(value.c_str());
        } else if (TakeOption(arg, "dict", value)) {
            options.dict = value;
        } else if (TakeOption(arg, "artifact_prefix", value)) {
            options.artifactPrefix = value;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "unknown option %s\n", arg.c_str());
            return false;
        } else if (std::filesystem::is_directory(arg)) {
            options.folders.push_back(arg);
        } else if (std::filesystem::is_regular_file(arg)) {
            options.files.push_back(arg);
        } else {
            std::fprintf(stderr, "no such file or folder: %s\n", arg.c_str());
            return false;
        }
    }
    return true;
}

bool ReadFile(const std::string& path, Bytes& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

// ---- dictionaries -------------------------------------------------------------
// Lines `name="token"` or `"token"`, with \\, \" and \xNN escapes; '#' starts
// a comment line.

bool ParseToken(const std::string& line, Bytes& token) {
    const size_t open = line.find('"');
    const size_t close = line.rfind('"');
    if (open == std::string::npos || close <= open) {
        return false;
    }
    token.clear();
    for (size_t i = open + 1; i < close; ++i) {
        if (line[i] != '\\' || i + 1 >= close) {
            token.push_back(static_cast<uint8_t>(line[i]));
            continue;
        }
        const char escaped = line[++i];
        if (escaped == 'x' && i + 2 < close) {
            token.push_back(static_cast<uint8_t>(std::stoi(line.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            token.push_back(static_cast<uint8_t>(escaped));
        }
    }
    return !token.empty();
}

bool LoadDictionary(const std::string& path, std::vector<Bytes>& tokens) {
    std::ifstream in(path);
    if (!in) {
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        Bytes token;
        if (ParseToken(line, token)) {
            tokens.push_back(std::move(token));
        }
    }
    return true;
}

// ---- mutations ------------------------------------------------------------------

class Mutator {
public:
    Mutator(uint64_t seed, const std::vector<Bytes>& tokens) : random_(seed), tokens_(tokens) {}

    // Changes the input by one to eight stacked mutations, keeping it within
    // maxLen bytes; `other` is a second pool entry for splices.
    void Mutate(Bytes& data, const Bytes& other, size_t maxLen) {
        const int count = 1 + static_cast<int>(Below(8) == 0 ? Below(8) : Below(3));
        for (int i = 0; i < count; ++i) {
            MutateOnce(data, other, maxLen);
        }
        if (data.size() > maxLen) {
            data.resize(maxLen);
        }
    }

    size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(random_() % n); }

private:
    static constexpr int64_t kInteresting[] = {
        0,     1,     -1,         2,          7,          8,      16,   32,   64,    100,
        127,   128,   255,        256,        512,        1000,   1024, 4096, 32767, 32768,
        65535, 65536, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, -32768, -129, -128};

    void MutateOnce(Bytes& data, const Bytes& other, size_t maxLen) {
        if (data.empty()) {
            InsertRandom(data, maxLen);
            return;
        }
        switch (Below(tokens_.empty() ? 10 : 12)) {
            case 0:
                data[Below(data.size())] ^= static_cast<uint8_t>(1u << Below(8));
                break;
            case 1:
                data[Below(data.size())] = static_cast<uint8_t>(random_());
                break;
            case 2:
                SetInteresting(data);
                break;
            case 3:
                AddToField(data);
                break;
            case 4:
                InsertRandom(data, maxLen);
                break;
            case 5:
                Erase(data);
                break;
            case 6:
                CopyChunk(data, data, maxLen);
                break;
            case 7:
                Splice(data, other, maxLen);
                break;
            case 8:
                CopyChunk(data, other, maxLen);
                break;
            case 9:
                SetLength(data);
                break;
            case 10:
                PutToken(data, maxLen, true);
                break;
            default:
                PutToken(data, maxLen, false);
                break;
        }
    }

    // An interesting integer of 1, 2 or 4 bytes, either byte order.
    void SetInteresting(Bytes& data) {
        const uint64_t value = static_cast<uint64_t>(kInteresting[Below(std::size(kInteresting))]);
        WriteField(data, value);
    }

    // A small step up or down of a 1, 2 or 4-byte field.
    void AddToField(Bytes& data) {
        const size_t width = size_t{1} << Below(3);
        if (data.size() < width) {
            return;
        }
        const size_t at = Below(data.size() - width + 1);
        const bool big = Below(2) == 0;
        uint64_t value = 0;
        for (size_t i = 0; i < width; ++i) {
            value |= static_cast<uint64_t>(data[at + (big ? width - 1 - i : i)]) << (8 * i);
        }
        value += static_cast<uint64_t>(static_cast<int64_t>(Below(33)) - 16);
        for (size_t i = 0; i < width; ++i) {
            data[at + (big ? width - 1 - i : i)] = static_cast<uint8_t>(value >> (8 * i));
        }
    }

    // A length-like value: the input's size, the distance to its end, or
    // either off by one.
    void SetLength(Bytes& data) {
        const size_t at = Below(data.size());
        const uint64_t lengths[] = {data.size(), data.size() - at, data.size() - at - 4,
                                    data.size() + 1, data.size() - 1};
        WriteFieldAt(data, at, lengths[Below(std::size(lengths))]);
    }

    void WriteField(Bytes& data, uint64_t value) { WriteFieldAt(data, Below(data.size()), value); }

    void WriteFieldAt(Bytes& data, size_t at, uint64_t value) {
        const size_t width = std::min(size_t{1} << Below(3), data.size() - at);
        const bool big = Below(2) == 0;
        for (size_t i = 0; i < width; ++i) {
            data[at + (big ? width - 1 - i : i)] = static_cast<uint8_t>(value >> (8 * i));
        }
    }

    void InsertRandom(Bytes& data, size_t maxLen) {
        if (data.size() >= maxLen) {
            return;
        }
        const size_t n = std::min<size_t>(1 + Below(Below(4) == 0 ? 64 : 4), maxLen - data.size());
        const size_t at = Below(data.size() + 1);
        const bool repeated = Below(2) == 0;
        const uint8_t fill = static_cast<uint8_t>(random_());
        Bytes bytes(n);
        for (uint8_t& b : bytes) {
            b = repeated ? fill : static_cast<uint8_t>(random_());
        }
        data.insert(data.begin() + static_cast<ptrdiff_t>(at), bytes.begin(), bytes.end());
    }

    void Erase(Bytes& data) {
        const size_t at = Below(data.size());
        const size_t n = 1 + Below(std::min<size_t>(data.size() - at, Below(4) == 0 ? 256 : 8));
        data.erase(data.begin() + static_cast<ptrdiff_t>(at),
                   data.begin() + static_cast<ptrdiff_t>(at + n));
    }

    // A chunk of `from` inserted into, or written over, the input.
    void CopyChunk(Bytes& data, const Bytes& from, size_t maxLen) {
        if (from.empty()) {
            return;
        }
        const size_t start = Below(from.size());
        const size_t n = 1 + Below(std::min<size_t>(from.size() - start, 128));
        const Bytes chunk(from.begin() + static_cast<ptrdiff_t>(start),
                          from.begin() + static_cast<ptrdiff_t>(start + n));
        if (Below(2) == 0 && data.size() + n <= maxLen) {
            data.insert(data.begin() + static_cast<ptrdiff_t>(Below(data.size() + 1)),
                        chunk.begin(), chunk.end());
        } else {
            const size_t at = Below(data.size());
            const size_t fit = std::min(n, data.size() - at);
            std::copy_n(chunk.begin(), fit, data.begin() + static_cast<ptrdiff_t>(at));
        }
    }

    // The front of the input and the back of the other.
    void Splice(Bytes& data, const Bytes& other, size_t maxLen) {
        if (other.empty()) {
            return;
        }
        const size_t keep = Below(data.size() + 1);
        const size_t from = Below(other.size());
        data.resize(keep);
        data.insert(data.end(), other.begin() + static_cast<ptrdiff_t>(from), other.end());
        if (data.size() > maxLen) {
            data.resize(maxLen);
        }
    }

    void PutToken(Bytes& data, size_t maxLen, bool insert) {
        const Bytes& token = tokens_[Below(tokens_.size())];
        if (insert && data.size() + token.size() <= maxLen) {
            data.insert(data.begin() + static_cast<ptrdiff_t>(Below(data.size() + 1)),
                        token.begin(), token.end());
            return;
        }
        if (token.size() > data.size()) {
            return;
        }
        const size_t at = Below(data.size() - token.size() + 1);
        std::copy(token.begin(), token.end(), data.begin() + static_cast<ptrdiff_t>(at));
    }

    std::mt19937_64 random_;
    const std::vector<Bytes>& tokens_;
};

// ---- outcomes -------------------------------------------------------------------

std::vector<uint64_t> g_outcomesOfRun;

// ---- running --------------------------------------------------------------------

struct Stats {
    uint64_t executions = 0;
    uint64_t newOutcomes = 0;  // mutated inputs kept for what they reached
    double slowest = 0;
    std::string slowestName;
};

// Runs one input; answers how long it took.
double RunOne(const Bytes& input, const std::string& name, Stats& stats) {
    // A copy of its own, so the target never reads past the input into the
    // pool's spare capacity unseen.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[input.size() == 0 ? 1 : input.size()]);
    std::copy(input.begin(), input.end(), copy.get());
    g_current.data = copy.get();
    g_current.size = input.size();
    g_outcomesOfRun.clear();
    const double start = NowSeconds();
    g_current.startedAt.store(start);
    g_current.running.store(true);
    LLVMFuzzerTestOneInput(copy.get(), input.size());
    g_current.running.store(false);
    const double took = NowSeconds() - start;
    ++stats.executions;
    if (took > stats.slowest) {
        stats.slowest = took;
        stats.slowestName = name;
    }
    if (took > 1.0) {
        std::fprintf(stderr, "==fuzz== slow input: %s took %.1f s\n", name.c_str(), took);
    }
    return took;
}

void PreparePaths(const Options& options, const std::string& target, uint64_t number,
                  const char* program) {
    std::snprintf(g_current.crashPath, sizeof(g_current.crashPath), "%scrash-%s-%" PRIu64,
                  options.artifactPrefix.c_str(), target.c_str(), number);
    std::snprintf(g_current.timeoutPath, sizeof(g_current.timeoutPath), "%stimeout-%s-%" PRIu64,
                  options.artifactPrefix.c_str(), target.c_str(), number);
    std::snprintf(g_current.replay, sizeof(g_current.replay), "%s", program);
}

std::string TargetName(const char* program) {
    std::string name = std::filesystem::path(program).filename().string();
    if (name.rfind("fuzz_", 0) == 0) {
        name = name.substr(5);
    }
    return name;
}

std::vector<std::string> FilesOf(const std::vector<std::string>& folders) {
    std::vector<std::string> files;
    for (const std::string& folder : folders) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path().string());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

void FuzzNoteOutcome(uint64_t outcome) {
    if (g_outcomesOfRun.size() < 4096) {
        g_outcomesOfRun.push_back(outcome);
    }
}

void FuzzFail(const char* what) {
    std::fprintf(stderr, "==fuzz== fuzz rule broken: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        return 2;
    }
    g_timeoutSeconds = options.timeout;
    const std::string target = TargetName(argv[0]);
    std::vector<Bytes> tokens;
    if (!options.dict.empty() && !LoadDictionary(options.dict, tokens)) {
        std::fprintf(stderr, "cannot read the dictionary %s\n", options.dict.c_str());
        return 2;
    }
    InstallHandlers();
    if (LLVMFuzzerInitialize != nullptr) {
        LLVMFuzzerInitialize(&argc, &argv);
    }

    Stats stats;
    std::unordered_set<uint64_t> seen;
    auto keepsNewOutcome = [&seen] {
        bool fresh = false;
        for (const uint64_t outcome : g_outcomesOfRun) {
            fresh = seen.insert(outcome).second || fresh;
        }
        return fresh;
    };

    // Replay: the files named, else every corpus file.
    const bool replayOnly = !options.files.empty();
    const std::vector<std::string> files = replayOnly ? options.files : FilesOf(options.folders);
    std::vector<Bytes> pool;
    size_t corpusBytes = 0;
    const double replayStart = NowSeconds();
    for (const std::string& file : files) {
        Bytes input;
        if (!ReadFile(file, input)) {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            return 2;
        }
        PreparePaths(options, target, stats.executions, argv[0]);
        std::snprintf(g_current.crashPath, sizeof(g_current.crashPath), "%scrash-%s-%s",
                      options.artifactPrefix.c_str(), target.c_str(),
                      std::filesystem::path(file).filename().c_str());
        RunOne(input, file, stats);
        keepsNewOutcome();
        corpusBytes += input.size();
        pool.push_back(std::move(input));
    }
    const size_t corpusSize = pool.size();
    std::fprintf(stderr, "==fuzz== %s: replayed %zu corpus inputs (%zu bytes) in %.2f s\n",
                 target.c_str(), corpusSize, corpusBytes, NowSeconds() - replayStart);
    if (replayOnly || options.seconds <= 0) {
        return 0;
    }

    size_t maxLen = options.maxLen;
    if (maxLen == 0) {
        maxLen = 4096;
        for (const Bytes& input : pool) {
            maxLen = std::max(maxLen, input.size() * 2);
        }
    }
    uint64_t seed = options.seed;
    if (seed == 0) {
        seed = static_cast<uint64_t>(NowSeconds() * 1e6) ^ static_cast<uint64_t>(getpid());
    }
    std::fprintf(stderr, "==fuzz== %s: mutating for %.0f s, seed %" PRIu64 ", max_len %zu\n",
                 target.c_str(), options.seconds, seed, maxLen);
    Mutator mutator(seed, tokens);
    if (pool.empty()) {
        pool.push_back({});
    }
    constexpr size_t kMaxKept = 1024;
    const double start = NowSeconds();
    const double deadline = start + options.seconds;
    uint64_t mutated = 0;
    while (mutated < options.runs && NowSeconds() < deadline) {
        Bytes input = pool[mutator.Below(pool.size())];
        mutator.Mutate(input, pool[mutator.Below(pool.size())], maxLen);
        PreparePaths(options, target, stats.executions, argv[0]);
        RunOne(input, "mutated input #" + std::to_string(stats.executions), stats);
        ++mutated;
        if (keepsNewOutcome()) {
            ++stats.newOutcomes;
            if (pool.size() < corpusSize + kMaxKept) {
                pool.push_back(std::move(input));
            } else {
                pool[corpusSize + mutator.Below(kMaxKept)] = std::move(input);
            }
        }
    }
    const double elapsed = std::max(NowSeconds() - start, 1e-9);
    char summary[512];
    std::snprintf(summary, sizeof summary,
                  "==fuzz== %s: done. executions %" PRIu64
                  " in %.1f s (%.0f/s), corpus %zu, "
                  "new outcomes %" PRIu64 " (pool %zu), crashes 0, slowest %.3f s (%s)\n",
                  target.c_str(), stats.executions, elapsed, static_cast<double>(mutated) / elapsed,
                  corpusSize, stats.newOutcomes, pool.size(), stats.slowest,
                  stats.slowestName.c_str());
    std::fputs(summary, stderr);
    // The last run's line is also kept beside the artifacts, so a test run
    // that shows only failures can still report what each target did.
    const std::string summaryPath = options.artifactPrefix + "summary-" + target + ".txt";
    if (FILE* file = std::fopen(summaryPath.c_str(), "w")) {
        std::fputs(summary, file);
        std::fclose(file);
    }
    return 0;
}
