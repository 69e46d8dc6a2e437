#pragma once
// Platform-internal: ASCII-only case folding for the names the platform
// compares without regard to case (file names, window classes, settings
// names, host names). Only A-Z change; every other byte, GBK bytes
// included, is compared as it stands. Not for use outside platform/.

#include <string>
#include <string_view>

namespace platform::detail {

inline char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

inline bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

// The text with A-Z lowered: a key under which names that differ only in
// ASCII case meet.
inline std::string FoldAsciiCopy(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        c = FoldAscii(c);
    }
    return folded;
}

}  // namespace platform::detail
