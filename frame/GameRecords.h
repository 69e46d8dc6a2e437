#pragma once
// The state records of the game frame as they arrive from the hall (launch
// record) and the server (player forms, hand results, standings). Each lists
// its fields in wire order for RecordFields.h; named fields are the ones the
// client reads or writes, `carried…` fields are kept and written back as they
// came.

#include <cstddef>
#include <cstdint>

#include "frame/RecordFields.h"

inline constexpr int kSeatCount = 8;
inline constexpr int kLookerSlots = 64;

// One player of the table (seat or looker-on). User id 0 is an empty slot.
struct UserRecord {
    static constexpr size_t kSize = 320;
    static constexpr int32_t kFlagMember = 0x1;
    static constexpr int32_t kFlagHighlighted = 0x1000;
    static constexpr int32_t kStateLeftOut = 12;

    int32_t userId = 0;
    int32_t flags = 0;
    int32_t state = 0;
    CarriedBytes<8> carried12{};
    TextField<32> name{};
    TextField<16> secondName{};
    int32_t sex = 0;
    int32_t serverValue = 0;  // the server record's word 6, carried
    int32_t characterId = 0;
    int32_t silver = 0;
    int32_t level = 0;
    TextField<16> levelTitle{};
    int32_t score = 0;
    int32_t experience = 0;  // online minutes
    int32_t disconnects = 0;
    int32_t netSpeed = 0;
    int32_t wins = 0;
    int32_t losses = 0;
    int32_t draws = 0;
    int32_t games = 0;
    int32_t onlineSeconds = 0;
    int32_t tableNo = 0;
    int32_t chairNo = 0;
    int32_t lookOn = 0;
    CarriedBytes<12> carried152{};
    int32_t extraValue = 0;  // byte 164
    CarriedBytes<152> carried168{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.flags), f(self.state), f(self.carried12), f(self.name);
        f(self.secondName), f(self.sex), f(self.serverValue), f(self.characterId);
        f(self.silver), f(self.level), f(self.levelTitle), f(self.score), f(self.experience);
        f(self.disconnects), f(self.netSpeed), f(self.wins), f(self.losses), f(self.draws);
        f(self.games), f(self.onlineSeconds), f(self.tableNo), f(self.chairNo), f(self.lookOn);
        f(self.carried152), f(self.extraValue), f(self.carried168);
    }
};

// The room block at the start of the launch record.
struct RoomInfo {
    static constexpr size_t kSize = 444;
    static constexpr size_t kMatchExtension = 128;  // the match form has 572 bytes
    static constexpr int32_t kOptionSilverRoom = 0x4;
    static constexpr int32_t kOptionExitLocked = 0x4000;
    static constexpr int32_t kFlagNoForcedExit = 0x2;
    static constexpr int32_t kFlagRandomTable = 0x8;
    static constexpr int32_t kFlagSkipLeftOut = 0x40;
    static constexpr int32_t kFlag128 = 0x80;
    static constexpr int32_t kFlagSafeBoxInGame = 0x1000000;
    static constexpr int32_t kFlag2Bit17 = 0x20000;
    static constexpr int32_t kFlag2Bit18 = 0x40000;

    int32_t roomId = 0;
    CarriedBytes<8> carried4{};
    int32_t noticeRoomNo = 0;
    int32_t options = 0;
    TextField<64> areaName{};
    TextField<64> advertHost{};
    TextField<64> noticeHost{};
    TextField<64> roomName{};
    int32_t hallId = 0;
    CarriedBytes<8> carried280{};
    int32_t noticeIntervalSeconds = 0;  // match form only
    int32_t flags = 0;
    int32_t loginValue = 0;
    CarriedBytes<4> carried300{};
    int32_t requestValue = 0;
    int32_t flags2 = 0;
    CarriedBytes<8> carried312{};
    int32_t hasHallText = 0;
    CarriedBytes<4> carried324{};
    int32_t roomListCount = 0;
    CarriedBytes<112> carried332{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.roomId), f(self.carried4), f(self.noticeRoomNo), f(self.options);
        f(self.areaName), f(self.advertHost), f(self.noticeHost), f(self.roomName);
        f(self.hallId), f(self.carried280), f(self.noticeIntervalSeconds), f(self.flags);
        f(self.loginValue), f(self.carried300), f(self.requestValue), f(self.flags2);
        f(self.carried312), f(self.hasHallText), f(self.carried324), f(self.roomListCount);
        f(self.carried332);
    }
};

// The table block after the room block.
struct TableInfo {
    static constexpr size_t kSize = 176;
    int32_t tableNo = 0;
    CarriedBytes<4> carried4{};
    int32_t seatCount = 0;
    int32_t lookerCount = 0;
    CarriedBytes<160> carried16{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.tableNo), f(self.carried4), f(self.seatCount), f(self.lookerCount);
        f(self.carried16);
    }
};

// The table header of a match client (61 words).
struct MatchTableHeader {
    static constexpr size_t kSize = 244;
    int32_t roomId = 0;
    int32_t matchValue = 0;
    int32_t tableNo = 0;
    int32_t playerCount = 0;
    WordArray<31> carried16{};
    int32_t uploadFlag = 0;  // word 35
    WordArray<20> carried144{};
    int32_t round = 0;  // word 56: the elimination round
    WordArray<4> carried228{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.roomId), f(self.matchValue), f(self.tableNo), f(self.playerCount);
        f(self.carried16), f(self.uploadFlag), f(self.carried144), f(self.round);
        f(self.carried228);
    }
};

// One player of a match table.
struct MatchPlayerRecord {
    static constexpr size_t kSize = 288;
    int32_t userId = 0;
    int32_t flags = 0;
    int32_t sex = 0;
    int32_t serverValue = 0;
    int32_t characterId = 0;
    TextField<32> name{};
    TextField<16> secondName{};
    CarriedBytes<20> carried68{};
    int32_t seatTaken = 0;
    CarriedBytes<4> carried92{};
    int32_t rankLevel = 0;  // also the seat value of a taken seat
    int32_t rankPoints = 0;
    CarriedBytes<4> carried104{};
    int32_t careerWins = 0;
    int32_t careerLosses = 0;
    int32_t careerDraws = 0;
    int32_t value120 = 0;
    int32_t value124 = 0;
    CarriedBytes<56> carried128{};
    int32_t rank = 0;
    int32_t score = 0;
    int32_t silver = 0;
    int32_t wins = 0;
    int32_t losses = 0;
    int32_t draws = 0;
    int32_t games = 0;
    int32_t disconnects = 0;
    int32_t onlineSeconds = 0;
    CarriedBytes<44> carried220{};
    int32_t nextRankPoints = 0;  // byte 264
    CarriedBytes<20> carried268{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.flags), f(self.sex), f(self.serverValue), f(self.characterId);
        f(self.name), f(self.secondName), f(self.carried68), f(self.seatTaken);
        f(self.carried92), f(self.rankLevel), f(self.rankPoints), f(self.carried104);
        f(self.careerWins), f(self.careerLosses), f(self.careerDraws), f(self.value120);
        f(self.value124), f(self.carried128), f(self.rank), f(self.score), f(self.silver);
        f(self.wins), f(self.losses), f(self.draws), f(self.games), f(self.disconnects);
        f(self.onlineSeconds), f(self.carried220), f(self.nextRankPoints), f(self.carried268);
    }
};

// The player form of the server's notifications.
struct ServerPlayerRecord {
    static constexpr size_t kSize = 136;
    int32_t userId = 0;
    int32_t flags = 0;
    int32_t state = 0;
    int32_t tableNo = 0;
    int32_t chairNo = 0;
    int32_t sex = 0;
    int32_t serverValue = 0;
    int32_t netSpeed = 0;
    int32_t characterId = 0;
    TextField<32> name{};
    TextField<16> secondName{};
    int32_t silver = 0;
    int32_t level = 0;
    int32_t score = 0;
    int32_t disconnects = 0;
    int32_t wins = 0;
    int32_t losses = 0;
    int32_t draws = 0;
    int32_t games = 0;
    int32_t onlineSeconds = 0;
    CarriedBytes<16> carried120{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.flags), f(self.state), f(self.tableNo), f(self.chairNo);
        f(self.sex), f(self.serverValue), f(self.netSpeed), f(self.characterId), f(self.name);
        f(self.secondName), f(self.silver), f(self.level), f(self.score), f(self.disconnects);
        f(self.wins), f(self.losses), f(self.draws), f(self.games), f(self.onlineSeconds);
        f(self.carried120);
    }
};

// The second player form, with the level title.
struct ExtendedPlayerRecord {
    static constexpr size_t kSize = 128;
    int32_t userId = 0;
    int32_t flags = 0;
    int32_t state = 0;
    int32_t chairNo = 0;
    int32_t sex = 0;
    int32_t serverValue = 0;
    int32_t characterId = 0;
    TextField<32> name{};
    TextField<16> secondName{};
    int32_t silver = 0;
    int32_t level = 0;
    TextField<16> levelTitle{};
    int32_t score = 0;
    int32_t disconnects = 0;
    int32_t wins = 0;
    int32_t losses = 0;
    int32_t draws = 0;
    int32_t games = 0;
    int32_t onlineSeconds = 0;

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.flags), f(self.state), f(self.chairNo), f(self.sex);
        f(self.serverValue), f(self.characterId), f(self.name), f(self.secondName);
        f(self.silver), f(self.level), f(self.levelTitle), f(self.score), f(self.disconnects);
        f(self.wins), f(self.losses), f(self.draws), f(self.games), f(self.onlineSeconds);
    }
};

// The server's summary of one hand (108 words).
struct HandResultSummary {
    static constexpr size_t kSize = 432;
    WordArray<2> carried0{};
    int32_t playerCount = 0;  // match form
    WordArray<21> carried12{};
    WordArray<8> scoreBefore{};
    WordArray<8> silverBefore{};
    WordArray<8> scoreChange{};
    WordArray<8> silverChange{};
    WordArray<8> carried224{};
    WordArray<8> newLevel{};
    std::array<TextField<16>, 8> newTitle{};
    WordArray<1> carried416{};
    int32_t unchangedChairMask = 0;  // word 105
    WordArray<2> carried424{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.carried0), f(self.playerCount), f(self.carried12), f(self.scoreBefore);
        f(self.silverBefore), f(self.scoreChange), f(self.silverChange), f(self.carried224);
        f(self.newLevel), f(self.newTitle), f(self.carried416), f(self.unchangedChairMask);
        f(self.carried424);
    }
};

// The header of the match standings.
struct StandingsHeader {
    static constexpr size_t kSize = 24;
    int32_t carried0 = 0;
    int32_t count = 0;
    int32_t leadingCount = 0;
    WordArray<2> carried12{};
    int32_t keepLeadingOnTop = 0;

    static constexpr void Fields(auto& self, auto& f) {
        f(self.carried0), f(self.count), f(self.leadingCount), f(self.carried12);
        f(self.keepLeadingOnTop);
    }
};

struct StandingRecord {
    static constexpr size_t kSize = 64;
    int32_t userId = 0;
    int32_t score = 0;
    int32_t silver = 0;
    int32_t rank = 0;
    int32_t resultValue = 0;  // the first record's: the own last match result
    CarriedBytes<44> carried20{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.score), f(self.silver), f(self.rank), f(self.resultValue);
        f(self.carried20);
    }
};

// The match standings: a header and up to 100 records.
struct MatchStandings {
    static constexpr int kMaxRecords = 100;
    static constexpr size_t kSize = StandingsHeader::kSize + kMaxRecords * StandingRecord::kSize;
    StandingsHeader header{};
    std::array<StandingRecord, kMaxRecords> records{};
};

// The room list that follows the users in the launch record.
struct RoomListHeader {
    static constexpr size_t kSize = 128;
    WordArray<2> carried0{};
    int32_t count = 0;
    int32_t mode = 0;  // 0 score bounds, 1 silver floor and score ceiling
    CarriedBytes<112> carried16{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.carried0), f(self.count), f(self.mode), f(self.carried16);
    }
};

struct RoomListEntry {
    static constexpr size_t kSize = 64;
    int32_t roomId = 0;
    int32_t silverFloor = 0;
    int32_t scoreCeiling = 0;
    int32_t scoreLower = 0;  // exclusive
    int32_t scoreUpper = 0;  // inclusive
    CarriedBytes<44> carried20{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.roomId), f(self.silverFloor), f(self.scoreCeiling), f(self.scoreLower);
        f(self.scoreUpper), f(self.carried20);
    }
};

// One side-panel web link (link index 0 to 6).
struct WebLinkEntry {
    int32_t width = 0;
    int32_t height = 0;
    std::string url;
};

// Reads the standings: the header, then min(count, 100) records as far as the
// bytes reach. False when the header itself is short.
bool ReadMatchStandings(std::span<const uint8_t> bytes, MatchStandings& out);
