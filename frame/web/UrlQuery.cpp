#include "frame/web/UrlQuery.h"

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string AppendQuery(std::string_view base, std::string_view query) {
    std::string url(base);
    if (query.empty()) {
        return url;
    }
    url += base.find('?') != std::string_view::npos ? '&' : '?';
    url += query;
    return url;
}

std::string AsciiLower(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) {
        c = LowerAscii(c);
    }
    return lowered;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}
