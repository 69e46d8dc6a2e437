#pragma once
// The records the client and the hall exchange by copy-data, and the cipher
// that wraps all of them but the leaving record.
//
// Rules:
//  - The hall key block is 128 bytes shared by the client and the hall; its
//    first 16 bytes are the AES-128 key; blocks are enciphered one by one
//    (ECB), a short last block padded with zeros.
//  - Enciphering n bytes gives n - n % 16 + 16 bytes; what is sent is the
//    record's own length (the hall deciphers whole blocks).
//  - A received enciphered record must be a nonzero multiple of 16 bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "frame/RecordFields.h"

// dwData numbers of the copy-data records.
inline constexpr uintptr_t kHallDataLaunch = 1;
inline constexpr uintptr_t kHallDataLeave = 2;
inline constexpr uintptr_t kHallDataAddLooker = 4;
inline constexpr uintptr_t kHallDataLeaveDisconnected = 5;
inline constexpr uintptr_t kHallDataPlayerLeft = 6;
inline constexpr uintptr_t kHallDataShowPlayer = 7;
inline constexpr uintptr_t kHallDataOpenUrl = 11;
inline constexpr uintptr_t kHallDataNoAction = 13;
inline constexpr uintptr_t kHallDataSignAnswer = 14;
inline constexpr uintptr_t kHallDataSwitchRoom = 15;

const std::array<uint8_t, 128>& HallKeyBlock();

// The enciphered form (n - n % 16 + 16 bytes).
std::vector<uint8_t> EncipherHallRecord(std::span<const uint8_t> plain);
// The deciphered bytes; none for a length that is not a nonzero multiple of 16.
std::optional<std::vector<uint8_t>> DecipherHallRecord(std::span<const uint8_t> enciphered);

// Sent when the client leaves (plain, dwData 2 or 5).
struct HallLeaveRecord {
    static constexpr size_t kSize = 188;
    int32_t gameWindow = 0;
    int32_t userId = 0;
    int32_t tableNo = 0;
    int32_t chairNo = 0;
    int32_t requiredVersion = 0;
    int32_t lookOn = 0;
    int32_t disconnectedInGame = 0;
    int32_t gameId = 0;
    int32_t requiredSubVersion = 0;
    int32_t roomId = 0;  // byte 36
    CarriedBytes<148> carried40{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.gameWindow), f(self.userId), f(self.tableNo), f(self.chairNo);
        f(self.requiredVersion), f(self.lookOn), f(self.disconnectedInGame), f(self.gameId);
        f(self.requiredSubVersion), f(self.roomId), f(self.carried40);
    }
};

// Asks the hall to open a page (dwData 11).
struct HallUrlRecord {
    static constexpr size_t kSize = 544;
    static constexpr size_t kUrlMax = 255;
    int32_t mainWindow = 0;
    int32_t userId = 0;
    int32_t gameId = 0;
    int32_t hallRoomId = 0;
    int32_t flag = 0;
    TextField<256> url{};
    CarriedBytes<268> carried276{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.mainWindow), f(self.userId), f(self.gameId), f(self.hallRoomId), f(self.flag);
        f(self.url), f(self.carried276);
    }
};

// Asks the hall to move the player to another room (dwData 15).
struct HallRoomSwitchRecord {
    static constexpr size_t kSize = 160;
    int32_t listMode = 0;
    int32_t userId = 0;
    int32_t gameId = 0;
    int32_t hallRoomId = 0;
    int32_t tableNo = 0;
    int32_t chairNo = 0;
    int32_t targetRoomId = 0;
    CarriedBytes<132> carried28{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.listMode), f(self.userId), f(self.gameId), f(self.hallRoomId), f(self.tableNo);
        f(self.chairNo), f(self.targetRoomId), f(self.carried28);
    }
};

// The hall's news that a player left a table (dwData 6).
struct HallPlayerLeftRecord {
    static constexpr size_t kSize = 16;
    int32_t hallWindow = 0;
    int32_t userId = 0;
    int32_t tableNo = 0;
    int32_t chairNo = 0;

    static constexpr void Fields(auto& self, auto& f) {
        f(self.hallWindow), f(self.userId), f(self.tableNo), f(self.chairNo);
    }
};

// The hall's answer to a sign query (dwData 14, at least 272 bytes).
struct HallSignAnswer {
    static constexpr size_t kSize = 272;
    int32_t userId = 0;
    CarriedBytes<4> carried4{};
    TextField<256> text{};
    CarriedBytes<4> carried264{};
    int32_t token = 0;  // byte 268: the query's token as the client gave it

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.carried4), f(self.text), f(self.carried264), f(self.token);
    }
};
