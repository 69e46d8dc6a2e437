#pragma once
// The chat lines the table writes about the money of a hand: the round line
// at a hand's start, the score lines at its end, the swap-three ready line
// and the notice of a player who left, and the Chinese numerals of the
// knockout round.
//
// Rules:
//  - Every text is GBK bytes (the sources are compiled to GBK); lengths and
//    paddings count bytes.
//  - Values from the server are taken as they come; a negation is done in
//    64 bits, so the most negative int is shown as a positive number.
//  - Pure functions: the table view gathers the facts and appends the lines.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace score_text {

// The chat colours of the lines: the own seat and the highlighted values,
// and the other seats.
inline constexpr int kOwnColour = 255;
inline constexpr int kOtherColour = 2302755;
inline constexpr int kSwapReadyColour = 4953725;
// The score lines align the bracketed names to this many bytes.
inline constexpr int kNameColumn = 20;

// "零" .. "二十" for 0..20, "N" for any other number.
std::string ChineseNumber(int n);

// What the round line at a hand's start needs.
struct RoundFacts {
    bool match = false;     // a match client
    int knockoutRound = 0;  // the application's knockout round
    bool silverRoom = false;
    int handNumber = 0;
    int baseScore = 0;   // shown in a score room
    int baseSilver = 0;  // shown in a silver room
};
// The line written into the chat when a hand starts: the knockout round of
// a match client past round 0, else the hand number with the room's base.
std::string RoundInfoLine(const RoundFacts& facts);

// What the end-of-hand score lines need, by chair.
struct HandScoreFacts {
    bool silverRoom = false;
    int ownChair = -1;
    int seatCount = 4;
    std::array<std::string, 4> names;
    std::array<int32_t, 4> silverChange{};
    std::array<int32_t, 4> scoreChange{};
};
// The pieces appended, one chat line each, when a hand ends: an empty line,
// the "===本局结束===" header, per chair the bracketed name, the filler
// spaces and the signed value with its unit, and an empty line. Chairs
// beyond four are not shown.
std::vector<std::string> HandScoreLines(const HandScoreFacts& facts);

// "<name> 已准备好换三张!" in the own colour and the swap colour.
std::string SwapReadyLine(const std::string& name);

// The notice of a player who left the table: plain, or forced with the
// amounts taken from him (the record's negative deductions, negated). The
// name is shown literally, never as markup.
std::string PlayerLeftText(const std::string& name, bool forced, int32_t silverDeducted,
                           int32_t scoreDeducted);

}  // namespace score_text
