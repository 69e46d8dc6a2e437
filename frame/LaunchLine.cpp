#include "frame/LaunchLine.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "zep/ZepUtils.h"

int32_t ParseDecimal(std::string_view text) {
    const std::string copy(text);
    errno = 0;
    const long long value = std::strtoll(copy.c_str(), nullptr, 10);
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

int ParseLaunchLine(std::string_view line, LaunchFields& out) {
    if (line.size() >= 2 && line.front() == '"') {
        line = line.substr(1, line.size() - 2);
    }
    std::string text(line);
    std::vector<char*> fields(LaunchFields::kMaxFields, nullptr);
    const int count = ZepSplitBar(text.data(), fields.data(), LaunchFields::kMaxFields, nullptr);
    if (count < LaunchFields::kMinFields) {
        return count;
    }
    auto number = [&](int field) { return field <= count ? ParseDecimal(fields[field - 1]) : 0; };
    auto textField = [&](int field, size_t max) {
        if (field > count) {
            return std::string();
        }
        std::string value = fields[field - 1];
        if (value.size() > max) {
            value.resize(max);
        }
        return value;
    };
    LaunchFields parsed;
    parsed.gameId = number(1);
    parsed.serverHost = textField(2, LaunchFields::kServerHostMax);
    parsed.hallRoomId = number(3);
    parsed.hallWindow = number(4);
    parsed.field5 = number(5);
    parsed.userId = number(6);
    parsed.tableNo = number(7);
    parsed.chairNo = number(8);
    parsed.lookOn = number(9);
    parsed.relaunched = number(10);
    parsed.gameName = textField(11, LaunchFields::kGameNameMax);
    parsed.serverPort = number(12);
    parsed.roomOptions = number(13);
    parsed.roomFlags = number(14);
    parsed.roomFlags2 = number(15);
    out = parsed;
    return count;
}

std::string FormatLaunchLine(const LaunchFields& f) {
    std::string line = "\"";
    auto add = [&](const std::string& value, bool last = false) {
        line += value;
        line += last ? "\"" : "|";
    };
    add(std::to_string(f.gameId));
    add(f.serverHost);
    add(std::to_string(f.hallRoomId));
    add(std::to_string(f.hallWindow));
    add(std::to_string(f.field5));
    add(std::to_string(f.userId));
    add(std::to_string(f.tableNo));
    add(std::to_string(f.chairNo));
    add(std::to_string(f.lookOn));
    add(std::to_string(f.relaunched));
    add(f.gameName);
    add(std::to_string(f.serverPort));
    add(std::to_string(f.roomOptions));
    add(std::to_string(f.roomFlags));
    add(std::to_string(f.roomFlags2), true);
    return line;
}

std::string JoinCommandLine(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            line += ' ';
        }
        if (argv[i] != nullptr) {
            line += argv[i];
        }
    }
    return line;
}
