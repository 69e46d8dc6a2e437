#include "engine/TextHelpers.h"

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsLeadByte(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

}  // namespace

void ToLowerAscii(char* text) {
    if (text == nullptr) {
        return;
    }
    for (char* p = text; *p != '\0'; ++p) {
        if (IsLeadByte(*p)) {
            if (p[1] == '\0') {
                break;
            }
            ++p;
        } else {
            *p = LowerAscii(*p);
        }
    }
}

void ToLowerAscii(std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsLeadByte(text[i])) {
            ++i;
        } else {
            text[i] = LowerAscii(text[i]);
        }
    }
}

std::string StripQuotes(std::string_view text) {
    const size_t first = text.find('"');
    const size_t last = text.rfind('"');
    if (first == std::string_view::npos || first == last) {
        return std::string(text);
    }
    return std::string(text.substr(first + 1, last - first - 1));
}

int SplitByComma(std::string_view text, std::vector<std::string>& pieces) {
    pieces.clear();
    size_t start = 0;
    for (size_t comma = text.find(','); comma != std::string_view::npos;
         comma = text.find(',', start)) {
        pieces.emplace_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    if (start < text.size()) {
        pieces.emplace_back(text.substr(start));
    }
    return static_cast<int>(pieces.size());
}
