#pragma once
// What a long run of hands measures, kept apart from the programs it runs:
// resident sizes sampled once per hand, the lines of a log file as it grows,
// and the table server's closing count.
//
// Rules:
//  - The warm-up is the first hands of a run, while caches, pools and the
//    skin's pictures fill; the size "after warm-up" is the first sample at or
//    after it, and the growth per hand is fitted from there on.
//  - A log line is handed out once, and only when its end has been written.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

// The hands a run of the given length counts as its warm-up: the second
// hand, or a twentieth of a longer run.
int WarmUpHands(int hands);

class ResidentSeries {
public:
    explicit ResidentSeries(int warmUpHands) : warmUp_(warmUpHands) {}

    void Add(int hand, uint64_t kilobytes);

    // The first sample at or after the warm-up (the last one when the run
    // was shorter); nothing without samples.
    std::optional<uint64_t> AfterWarmUp() const;
    std::optional<uint64_t> AtEnd() const;
    // The least-squares slope in KB per hand of the samples from the
    // warm-up on (of all of them when fewer than two are that late); 0
    // without two samples of different hands.
    double GrowthPerHand() const;
    size_t Samples() const { return samples_.size(); }

private:
    struct Sample {
        int hand;
        uint64_t kilobytes;
    };
    int warmUp_;
    std::vector<Sample> samples_;
};

// Reads the lines added to a file since the last call.
class LogFollower {
public:
    explicit LogFollower(std::filesystem::path file) : file_(std::move(file)) {}

    // The whole lines written since the last call (a line still being
    // written waits for its end).
    std::vector<std::string> NewLines();

private:
    std::filesystem::path file_;
    uint64_t offset_ = 0;
    std::string partial_;
};

// The table server's line after a hand limit's ending: "hands done N,
// protocol errors E".
struct HandsDone {
    int hands = 0;
    int protocolErrors = 0;
};
std::optional<HandsDone> ParseHandsDone(const std::string& line);

}  // namespace test_support
