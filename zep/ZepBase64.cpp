#include "zep/ZepBase64.h"

#include <array>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineLength = 72;

constexpr uint8_t kInvalid = 0xFF;
constexpr uint8_t kSkipped = 0xFE;
constexpr uint8_t kPad = 0xFD;

constexpr std::array<uint8_t, 256> MakeDecoderTable() {
    std::array<uint8_t, 256> table{};
    table.fill(kInvalid);
    for (uint8_t i = 0; i < 64; ++i) {
        table[static_cast<uint8_t>(kAlphabet[i])] = i;
    }
    table['\t'] = kSkipped;
    table['\n'] = kSkipped;
    table['\r'] = kSkipped;
    table[' '] = kSkipped;
    table['='] = kPad;
    return table;
}

constexpr std::array<uint8_t, 256> kDecoder = MakeDecoderTable();

std::string EncodeGroups(std::span<const uint8_t> bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group =
            (uint32_t{bytes[i]} << 16) | (uint32_t{bytes[i + 1]} << 8) | uint32_t{bytes[i + 2]};
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += kAlphabet[(group >> 6) & 63];
        text += kAlphabet[group & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest != 0) {
        const uint32_t group =
            (uint32_t{bytes[i]} << 16) | (rest == 2 ? uint32_t{bytes[i + 1]} << 8 : 0);
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

std::string BreakLines(const std::string& text) {
    std::string broken;
    broken.reserve(text.size() + text.size() / kLineLength * 2);
    for (size_t start = 0; start < text.size(); start += kLineLength) {
        if (start != 0) {
            broken += "\r\n";
        }
        broken.append(text, start, kLineLength);
    }
    return broken;
}

}  // namespace

std::vector<uint8_t> CBase64Coder::Encode(std::span<const uint8_t> bytes) {
    const std::string text = EncodeGroups(bytes);
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string CBase64Coder::EncodeToString(std::span<const uint8_t> bytes, Form form) {
    std::string text = EncodeGroups(bytes);
    if (form == Form::Standard) {
        return text;
    }
    if (bytes.size() % 3 == 0) {
        text += '=';
    }
    return BreakLines(text);
}

std::string CBase64Coder::EncodeToString(std::string_view text, Form form) {
    return EncodeToString(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()), form);
}

bool CBase64Coder::Decode(std::string_view text, std::vector<uint8_t>& out) {
    out.clear();
    uint32_t group = 0;
    int count = 0;  // characters of the group in progress
    const auto flush = [&]() {
        if (count == 1) {
            return false;
        }
        if (count >= 2) {
            out.push_back(static_cast<uint8_t>(group >> 16));
        }
        if (count >= 3) {
            out.push_back(static_cast<uint8_t>(group >> 8));
        }
        group = 0;
        count = 0;
        return true;
    };
    for (const char c : text) {
        const uint8_t value = kDecoder[static_cast<uint8_t>(c)];
        if (value == kSkipped) {
            continue;
        }
        if (value == kInvalid || (value == kPad && !flush())) {
            out.clear();
            return false;
        }
        if (value == kPad) {
            continue;
        }
        group |= uint32_t{value} << (18 - 6 * count);
        if (++count == 4) {
            out.push_back(static_cast<uint8_t>(group >> 16));
            out.push_back(static_cast<uint8_t>(group >> 8));
            out.push_back(static_cast<uint8_t>(group));
            group = 0;
            count = 0;
        }
    }
    if (!flush()) {
        out.clear();
        return false;
    }
    return true;
}
