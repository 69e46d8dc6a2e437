#pragma once
// The match records the frame view reads: the player card built from a match
// player, the match result, and the rest-tables notice. Each lists its fields
// in wire order for RecordFields.h and is read through ReadRecord or the
// bounded readers below, never cast from bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "frame/GameRecords.h"
#include "frame/RecordFields.h"

// What the match player card shows: a player's ranks and results, made from
// a MatchPlayerRecord or sent by the server (notification 211241).
struct MatchPlayerCard {
    static constexpr size_t kSize = 160;
    int32_t userId = 0;
    int32_t flags = 0;
    int32_t sex = 0;
    int32_t serverValue = 0;
    int32_t characterId = 0;
    TextField<32> name{};
    TextField<16> secondName{};
    int32_t rankLevel = 0;  // frame of "bit_Duan"
    int32_t rankPoints = 0;
    int32_t nextRankPoints = 0;  // points the next rank needs
    int32_t wins = 0;
    int32_t losses = 0;
    int32_t draws = 0;
    int32_t carried92 = 0;
    int32_t carried96 = 0;
    int32_t carried100 = 0;
    int32_t matchRank = 0;
    int32_t matchScore = 0;
    int32_t matchSilver = 0;
    int32_t matchWins = 0;  // this match's
    int32_t matchLosses = 0;
    int32_t matchDraws = 0;
    int32_t matchGames = 0;
    int32_t matchDisconnects = 0;
    CarriedBytes<24> carried136{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.flags), f(self.sex), f(self.serverValue), f(self.characterId);
        f(self.name), f(self.secondName), f(self.rankLevel), f(self.rankPoints);
        f(self.nextRankPoints), f(self.wins), f(self.losses), f(self.draws), f(self.carried92);
        f(self.carried96), f(self.carried100), f(self.matchRank), f(self.matchScore);
        f(self.matchSilver), f(self.matchWins), f(self.matchLosses), f(self.matchDraws);
        f(self.matchGames), f(self.matchDisconnects), f(self.carried136);
    }
};

// The card of a match player: ids, names, rank and both sets of results.
MatchPlayerCard MakeMatchPlayerCard(const MatchPlayerRecord& player);

// The final result of the match for one player (notification 211191).
struct MatchResultRecord {
    static constexpr size_t kSize = 224;
    static constexpr size_t kKeptBytes = 172;  // what the view keeps of it
    CarriedBytes<12> carried0{};
    int32_t userId = 0;
    int32_t resultValue = 0;
    int32_t rank = 0;
    int32_t rankPoints = 0;
    int32_t tickets = 0;
    int32_t silver = 0;
    int32_t awardId = 0;
    int32_t carried40 = 0;
    TextField<136> awardName{};
    int32_t newRankLevel = 0;
    int32_t newRankPoints = 0;
    int32_t nextRankPoints = 0;
    CarriedBytes<32> carried192{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.carried0), f(self.userId), f(self.resultValue), f(self.rank);
        f(self.rankPoints), f(self.tickets), f(self.silver), f(self.awardId);
        f(self.carried40), f(self.awardName), f(self.newRankLevel), f(self.newRankPoints);
        f(self.nextRankPoints), f(self.carried192);
    }
};

// Notification 211220: the tables still playing.
struct RestTablesNotice {
    static constexpr size_t kModeAt = 16;
    static constexpr size_t kTablesAt = 20;
    static constexpr size_t kPromotedAt = 24;
    static constexpr size_t kTextAt = 28;
    static constexpr size_t kTextWidth = 256;

    int32_t mode = 0;  // 0: a chat line; else the text names an animation
    int32_t tables = 0;
    int32_t promoted = 0;
    std::string text;
};

// Missing words read 0; the text ends at its zero, the record's end or 256
// bytes.
RestTablesNotice ReadRestTablesNotice(std::span<const uint8_t> bytes);

// Copies min(length, N) bytes into a zeroed block of N bytes.
template <size_t N>
std::array<uint8_t, N> ZeroPaddedCopy(const uint8_t* data, size_t length) {
    std::array<uint8_t, N> block{};
    if (data != nullptr) {
        const size_t count = length < N ? length : N;
        for (size_t i = 0; i < count; ++i) {
            block[i] = data[i];
        }
    }
    return block;
}

// A record of any length read as Record: the bytes it has, zeros for the
// rest.
template <class Record>
Record ReadPaddedRecord(std::span<const uint8_t> bytes) {
    const auto block = ZeroPaddedCopy<Record::kSize>(bytes.data(), bytes.size());
    Record record{};
    ReadRecord(block, record);
    return record;
}
