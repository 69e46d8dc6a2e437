#pragma once
// The notification records of the frame's dispatch tests: a launched table
// of two players (another user at chair 0, the own user at chair 2 of table
// 7) and, for every id the dispatch handles, a record that its handler takes
// whole at that table.

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "frame/GameRecords.h"
#include "frame/LaunchRecordBuilder.h"
#include "zep/ZepWire.h"

namespace notify_records {

constexpr int32_t kOwnId = 5001;
constexpr int32_t kOwnChair = 2;
constexpr int32_t kOtherId = 4000;
constexpr int32_t kTableNo = 7;
constexpr int32_t kRoomId = 300;
constexpr int32_t kGameId = 30;

// Little-endian words, the record zero-filled to `size` bytes when longer.
inline std::vector<uint8_t> Words(std::initializer_list<int32_t> words, size_t size = 0) {
    std::vector<uint8_t> bytes(std::max(words.size() * 4, size));
    ZepWireWriter writer(bytes);
    for (int32_t word : words) {
        writer.WriteI32(word);
    }
    return bytes;
}

inline void PutWord(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
    ZepWireWriter(std::span<uint8_t>(bytes).subspan(offset)).WriteI32(value);
}

// The text and its terminator at the offset; the record grows to hold them.
inline void PutText(std::vector<uint8_t>& bytes, size_t offset, const std::string& text) {
    bytes.resize(std::max(bytes.size(), offset + text.size() + 1));
    std::memcpy(bytes.data() + offset, text.data(), text.size());
}

inline std::vector<uint8_t> ServerPlayer(int32_t userId, int32_t chair, const char* name) {
    ServerPlayerRecord player;
    player.userId = userId;
    player.chairNo = chair;
    player.tableNo = kTableNo;
    SetFieldText(player.name, name);
    std::vector<uint8_t> bytes(ServerPlayerRecord::kSize);
    WriteRecord(player, bytes);
    return bytes;
}

// The launch of the table the records are made for.
inline LaunchRecordBuilder TableLaunch(int32_t roomFlags = 0) {
    LaunchRecordBuilder builder;
    builder.room.roomId = kRoomId;
    builder.room.flags = roomFlags;
    builder.table.tableNo = kTableNo;
    builder.table.seatCount = 2;
    UserRecord other = MakeLaunchUser(kOtherId, 0, "甲");
    other.tableNo = kTableNo;
    UserRecord own = MakeLaunchUser(kOwnId, kOwnChair, "自己");
    own.tableNo = kTableNo;
    builder.seats = {other, own};
    return builder;
}

// Every id the dispatch handles, in ascending order, with a record that it
// takes whole.
inline std::vector<std::pair<int32_t, std::vector<uint8_t>>> ValidRecords() {
    std::vector<uint8_t> leave = Words({kOtherId, 0, 0, 0, 0, 0, 0, kTableNo, 0});
    std::vector<uint8_t> tableEnd =
        Words({kOtherId, 0, 3, 10, 0, 0, 0, 900, 0, 0, 0, 0, 0, 0, 0, 1800, 0, 0, 0, 0, 0, 0, 0});
    std::vector<uint8_t> text32(32);
    PutText(text32, 32, "http://127.0.0.1/a|b");
    std::vector<uint8_t> standings = Words({0, 1, 0, 0, 0, 0}, 24 + 64);
    PutWord(standings, 24, kOwnId);
    std::vector<uint8_t> info = Words({1, 0, 0, 0, 0}, 20 + 52);
    PutWord(info, 20, kOwnId);
    PutWord(info, 20 + 12, 777);
    // The other player's silver in this game (kind 2, field 0, the value at
    // 24), his chair in the last word.
    std::vector<uint8_t> wealth = Words({kOtherId, 2, 0, kGameId, 0, 0, 999}, 29 * 4);
    std::vector<uint8_t> wealth2 = Words({kOtherId, 2, 0, kGameId, 0, 0, 999}, 39 * 4);
    std::vector<uint8_t> exitRequest = Words({kOtherId}, 52);
    std::vector<std::pair<int32_t, std::vector<uint8_t>>> records = {
        {60031, Words({1, 2})},
        {201200, Words({kOtherId, 0, 0, 0, kOwnId})},
        {201210, Words({1})},
        {201212, exitRequest},
        {201213, Words({kOtherId, 0, 0, 0, kOwnId, 0})},
        {210530, Words({0x41})},
        {211000, {}},
        {211010, leave},
        {211011, ServerPlayer(6000, 3, "乙")},
        {211020, Words({kOtherId})},
        {211025, Words({5})},
        {211028, Words({0, 0, 0}, 64)},
        {211030, info},
        {211110, Words({kOtherId})},
        {211120, {}},
        {211130, Words({kOtherId})},
        {211132, Words({kOtherId})},
        {211134, Words({kOtherId, 0, 0, 12})},
        {211136, Words({0, 0, 12})},
        {211137, tableEnd},
        {211138, Words({0, 0, 0x41})},
        {211150, Words({kRoomId, 0, kTableNo, 0}, MatchTableHeader::kSize)},
        {211170, standings},
        {211190, Words({0}, 40)},
        {211191, Words({0}, 224)},
        {211199, Words({1})},
        {211200, Words({1})},
        {211201, {}},
        {211202, {}},
        {211203, {}},
        {211204, {}},
        {211205, Words({0, 0, 0, 0})},
        {211206, Words({0, 0, 0, 0, 0x41})},
        {211210, Words({0, 0, 4})},
        {211220, Words({1})},
        {211230, {}},
        {211241, Words({1})},
        {211242, Words({0, 0, 9})},
        {211243, Words({0, 0, 0, 0, 0, 0, 0x41})},
        {211400, text32},
        {211410, text32},
        {211430, Words({kOwnId, kOwnChair, 3})},
        {211440, Words({kOwnId, kOwnChair, 1})},
        {211510, Words({kOtherId, 0}, 64)},
        {211600, Words({kOtherId, 0, 1, 0, 777})},
        {211601, Words({kOtherId, 0, 0, 0, 55})},
        {211700, Words({1})},
        {211800, Words({kOwnId, kOwnChair, 3})},
        {211900, Words({1})},
        {211910, Words({1})},
        {211920, Words({1})},
        {211930, wealth},
        {211931, wealth2},
        {214100, Words({1})},
        {214101, Words({1})},
        {214102, Words({1})},
        {214103, Words({1})},
        {214110, Words({1})},
    };
    return records;
}

}  // namespace notify_records
