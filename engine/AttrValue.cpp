#include "engine/AttrValue.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "engine/TextHelpers.h"

int CAttrValue::GetInt() const {
    // atoi's reading (leading blanks, sign, digits), with an out-of-range
    // number held at the nearest int instead of being undefined.
    const long value = std::strtol(m_text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

int CAttrValue::GetBool() const {
    if (m_text == "TRUE") {
        return 1;
    }
    if (m_text == "FALSE") {
        return 0;
    }
    return GetInt();
}

int SplitAttrValues(std::string_view text, std::vector<CAttrValue>& values) {
    std::vector<std::string> pieces;
    SplitByComma(text, pieces);
    values.clear();
    values.reserve(pieces.size());
    for (const std::string& piece : pieces) {
        values.emplace_back(piece, kAttrValueKindPiece, 0);
    }
    return static_cast<int>(values.size());
}
