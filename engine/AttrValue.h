#pragma once
// One attribute value of the markup parsers: its text and two tag bytes (a
// kind and a flag) that the parser sets. Copies carry all three.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CAttrValue {
public:
    CAttrValue() = default;
    explicit CAttrValue(std::string_view text, uint8_t kind = 0, uint8_t flag = 0)
        : m_text(text), m_kind(kind), m_flag(flag) {}

    void SetKind(uint8_t kind, uint8_t flag) {
        m_kind = kind;
        m_flag = flag;
    }
    uint8_t GetKind() const { return m_kind; }
    uint8_t GetFlag() const { return m_flag; }

    std::string GetText() const { return m_text; }
    // The text read as a decimal integer, as atoi reads it (0 when it does
    // not start with a number; a number out of int range is held at the
    // nearest limit).
    int GetInt() const;
    // 1 for exactly "TRUE", 0 for exactly "FALSE", else GetInt().
    int GetBool() const;

private:
    std::string m_text;
    uint8_t m_kind = 0;
    uint8_t m_flag = 0;
};

// The kind that SplitAttrValues gives its pieces.
inline constexpr uint8_t kAttrValueKindPiece = 5;

// Cuts the text at every comma like SplitByComma; each piece becomes a value
// of kind 5, flag 0. Replaces values and returns their count.
int SplitAttrValues(std::string_view text, std::vector<CAttrValue>& values);
