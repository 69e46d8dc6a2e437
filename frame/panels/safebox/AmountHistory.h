#pragma once
// The amounts last moved by a deposit dialog, oldest first, each once,
// stored in the game's settings file as decimal amounts each followed by
// '|' ("100|2000|50|").
//
// Rules:
//  - Loading keeps every piece whose value is not 0, in order, as stored
//    (at most 100 pieces of a value of at most 1023 bytes); a hand-edited
//    list longer than 6 loses one amount per addition.
//  - Adding an amount already held changes and writes nothing. Otherwise
//    the oldest goes when more than 5 are held, the amount joins at the end
//    and the whole list is written.

#include <cstdint>
#include <string>
#include <vector>

class AmountHistory {
public:
    static constexpr size_t kMaxKept = 6;
    static constexpr char kSection[] = "DEPOSIT";

    AmountHistory() = default;
    AmountHistory(std::string file, std::string key);

    void SetStore(std::string file, std::string key);
    // Replaces the amounts with the stored ones.
    void Load();
    // True when the amount joined (and the list was written).
    bool Add(int32_t amount);
    // The stored form of the amounts.
    std::string Joined() const;
    const std::vector<int32_t>& Amounts() const { return amounts_; }

private:
    std::string file_;
    std::string key_;
    std::vector<int32_t> amounts_;
};
