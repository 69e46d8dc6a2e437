#include "tests/support/SoakFigures.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <string_view>

namespace test_support {

int WarmUpHands(int hands) {
    return std::max(2, hands / 20);
}

void ResidentSeries::Add(int hand, uint64_t kilobytes) {
    samples_.push_back({hand, kilobytes});
}

std::optional<uint64_t> ResidentSeries::AfterWarmUp() const {
    for (const Sample& sample : samples_) {
        if (sample.hand >= warmUp_) {
            return sample.kilobytes;
        }
    }
    return AtEnd();
}

std::optional<uint64_t> ResidentSeries::AtEnd() const {
    if (samples_.empty()) {
        return std::nullopt;
    }
    return samples_.back().kilobytes;
}

double ResidentSeries::GrowthPerHand() const {
    std::vector<Sample> fitted;
    std::copy_if(samples_.begin(), samples_.end(), std::back_inserter(fitted),
                 [this](const Sample& sample) { return sample.hand >= warmUp_; });
    if (fitted.size() < 2) {
        fitted = samples_;
    }
    if (fitted.size() < 2) {
        return 0.0;
    }
    const double n = static_cast<double>(fitted.size());
    double sumHands = 0;
    double sumSizes = 0;
    for (const Sample& sample : fitted) {
        sumHands += sample.hand;
        sumSizes += static_cast<double>(sample.kilobytes);
    }
    const double meanHand = sumHands / n;
    const double meanSize = sumSizes / n;
    double covariance = 0;
    double variance = 0;
    for (const Sample& sample : fitted) {
        const double dx = sample.hand - meanHand;
        covariance += dx * (static_cast<double>(sample.kilobytes) - meanSize);
        variance += dx * dx;
    }
    return variance > 0 ? covariance / variance : 0.0;
}

std::vector<std::string> LogFollower::NewLines() {
    std::vector<std::string> lines;
    std::ifstream in(file_, std::ios::binary);
    if (!in) {
        return lines;
    }
    in.seekg(0, std::ios::end);
    const auto size = static_cast<uint64_t>(std::max<std::streamoff>(in.tellg(), 0));
    if (size < offset_) {
        // The file was started again: read it from its start.
        offset_ = 0;
        partial_.clear();
    }
    if (size == offset_) {
        return lines;
    }
    in.seekg(static_cast<std::streamoff>(offset_));
    std::string added(size - offset_, '\0');
    in.read(added.data(), static_cast<std::streamsize>(added.size()));
    added.resize(static_cast<size_t>(in.gcount()));
    offset_ += added.size();
    partial_ += added;
    size_t start = 0;
    for (size_t end = partial_.find('\n'); end != std::string::npos;
         end = partial_.find('\n', start)) {
        lines.push_back(partial_.substr(start, end - start));
        start = end + 1;
    }
    partial_.erase(0, start);
    return lines;
}

namespace {

// The number at the start of the text, after the prefix; nothing when the
// prefix or a number in range is missing.
std::optional<int> NumberAfter(std::string_view text, std::string_view prefix, size_t& end) {
    if (text.substr(0, prefix.size()) != prefix) {
        return std::nullopt;
    }
    int value = 0;
    const char* first = text.data() + prefix.size();
    const auto [stop, error] = std::from_chars(first, text.data() + text.size(), value);
    if (error != std::errc() || value < 0) {
        return std::nullopt;
    }
    end = static_cast<size_t>(stop - text.data());
    return value;
}

}  // namespace

std::optional<HandsDone> ParseHandsDone(const std::string& line) {
    const size_t at = line.find("hands done ");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    std::string_view rest = std::string_view(line).substr(at);
    size_t end = 0;
    const std::optional<int> hands = NumberAfter(rest, "hands done ", end);
    if (!hands) {
        return std::nullopt;
    }
    const std::optional<int> errors = NumberAfter(rest.substr(end), ", protocol errors ", end);
    if (!errors) {
        return std::nullopt;
    }
    return HandsDone{*hands, *errors};
}

}  // namespace test_support
