#pragma once
// The launch command line the hall starts the client with: one argument,
// optionally quoted, of '|'-separated fields.
//
// Rules:
//  - A line of two or more characters that begins with '"' loses its first
//    and last characters; any other line is read as it stands.
//  - At most 30 fields are split; fewer than 9 is a failure. Fields 1-10 are
//    always read, 11-15 when present. Numbers are decimal; a non-number reads
//    as 0, a number past 32 bits as its nearest 32-bit value.
//  - Texts are cut: the server host to 31 bytes, the game name to 127.

#include <cstdint>
#include <string>
#include <string_view>

struct LaunchFields {
    static constexpr int kMinFields = 9;
    static constexpr int kMaxFields = 30;
    static constexpr size_t kServerHostMax = 31;
    static constexpr size_t kGameNameMax = 127;

    int32_t gameId = 0;       // 1
    std::string serverHost;   // 2
    int32_t hallRoomId = 0;   // 3
    int32_t hallWindow = 0;   // 4
    int32_t field5 = 0;       // 5, kept for the relaunch line
    int32_t userId = 0;       // 6
    int32_t tableNo = 0;      // 7
    int32_t chairNo = 0;      // 8
    int32_t lookOn = 0;       // 9
    int32_t relaunched = 0;   // 10
    std::string gameName;     // 11
    int32_t serverPort = 0;   // 12, 0 when missing
    int32_t roomOptions = 0;  // 13
    int32_t roomFlags = 0;    // 14
    int32_t roomFlags2 = 0;   // 15
};

// Splits the line into out. Returns the number of fields found (at most 30);
// out is written only when there are at least 9.
int ParseLaunchLine(std::string_view line, LaunchFields& out);

// The 15 fields in order, '|'-separated and enclosed in double quotes.
std::string FormatLaunchLine(const LaunchFields& fields);

// The command line as the client receives it: the arguments after argv[0]
// joined with one blank.
std::string JoinCommandLine(int argc, const char* const* argv);

// The C library's decimal reading, kept within 32 bits.
int32_t ParseDecimal(std::string_view text);
