#pragma once
// Base64 with the alphabet of RFC 4648: the encoding of the proxy's HTTP
// credentials.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Encodes and decodes Base64.
//
// Rules:
//  - Encode and the standard EncodeToString give RFC 4648 text: padded with
//    "=" to whole groups of four, no line breaks.
//  - The line-broken form of EncodeToString, for a reader that expects it,
//    puts "\r\n" after every 72 characters when more follow, and always ends
//    with "=": a whole number of 3-byte groups (also none) gets one "=" more
//    than RFC 4648 gives.
//  - Decode skips tab, line feed, carriage return and space; "=" completes
//    the group in progress (and is ignored between groups); a final group
//    without padding is taken. A character outside the alphabet, or a group
//    of a single character, refuses the whole text.
class CBase64Coder {
public:
    enum class Form { Standard, LineBroken };

    static std::vector<uint8_t> Encode(std::span<const uint8_t> bytes);
    static std::string EncodeToString(std::span<const uint8_t> bytes, Form form = Form::Standard);
    static std::string EncodeToString(std::string_view text, Form form = Form::Standard);

    // True with the bytes in out; false (out empty) for text that is not Base64.
    static bool Decode(std::string_view text, std::vector<uint8_t>& out);
};
