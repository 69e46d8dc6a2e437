#pragma once
// Builds the hall's launch record (before enciphering): the room block, the
// table block, the seat and looker-on records, the hall texts and the room
// list. The counts written are those of the parts given unless a test sets
// others, so records that lie about themselves can be made on purpose.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frame/GameRecords.h"

struct LaunchRecordBuilder {
    RoomInfo room{};
    TableInfo table{};
    std::vector<UserRecord> seats;
    std::vector<UserRecord> lookers;
    // Written in 360 bytes after the users when set (cut to fit).
    std::optional<std::string> hallText;
    // Written after the hall text when not empty (or when its count is set).
    std::vector<RoomListEntry> roomList;
    int32_t roomListMode = 0;

    // Counts to write instead of the true ones.
    std::optional<int32_t> seatCountSent;
    std::optional<int32_t> lookerCountSent;
    std::optional<int32_t> roomListCountSent;   // RoomInfo's count
    std::optional<int32_t> roomListHeaderSent;  // the list header's count

    std::vector<uint8_t> Build() const;
    // The match client's form: the room with its 128-byte match tail, the
    // table, the first seat and the 1480-byte match block (its name at 72).
    std::vector<uint8_t> BuildMatch(const std::string& matchName) const;
};

// A user record with the fields a launch needs.
UserRecord MakeLaunchUser(int32_t userId, int32_t chairNo, const std::string& name,
                          int32_t lookOn = 0);
