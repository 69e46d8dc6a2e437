#include "frame/LaunchRecordBuilder.h"

#include <algorithm>

namespace {

constexpr size_t kHallTextBytes = 360;

template <class Record>
void Append(std::vector<uint8_t>& out, const Record& record) {
    const auto bytes = RecordBytes(record);
    out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace

std::vector<uint8_t> LaunchRecordBuilder::Build() const {
    RoomInfo roomOut = room;
    roomOut.hasHallText = hallText.has_value() ? 1 : 0;
    roomOut.roomListCount = roomListCountSent.value_or(static_cast<int32_t>(roomList.size()));
    TableInfo tableOut = table;
    tableOut.seatCount = seatCountSent.value_or(static_cast<int32_t>(seats.size()));
    tableOut.lookerCount = lookerCountSent.value_or(static_cast<int32_t>(lookers.size()));

    std::vector<uint8_t> out;
    Append(out, roomOut);
    Append(out, tableOut);
    for (const UserRecord& seat : seats) {
        Append(out, seat);
    }
    for (const UserRecord& looker : lookers) {
        Append(out, looker);
    }
    if (hallText) {
        std::vector<uint8_t> block(kHallTextBytes, 0);
        const size_t length = std::min(hallText->size(), kHallTextBytes);
        std::copy_n(hallText->begin(), length, block.begin());
        out.insert(out.end(), block.begin(), block.end());
    }
    if (!roomList.empty() || roomListCountSent || roomListHeaderSent) {
        RoomListHeader header;
        header.count = roomListHeaderSent.value_or(static_cast<int32_t>(roomList.size()));
        header.mode = roomListMode;
        Append(out, header);
        for (const RoomListEntry& entry : roomList) {
            Append(out, entry);
        }
    }
    return out;
}

std::vector<uint8_t> LaunchRecordBuilder::BuildMatch(const std::string& matchName) const {
    constexpr size_t kMatchBlockBytes = 1480;
    constexpr size_t kMatchNameAt = 72;
    constexpr size_t kMatchNameMax = 63;
    std::vector<uint8_t> out;
    Append(out, room);
    out.resize(out.size() + RoomInfo::kMatchExtension, 0);
    TableInfo tableOut = table;
    tableOut.seatCount = 1;
    tableOut.lookerCount = 0;
    Append(out, tableOut);
    Append(out, seats.empty() ? UserRecord{} : seats.front());
    std::vector<uint8_t> block(kMatchBlockBytes, 0);
    std::copy_n(matchName.begin(), std::min(matchName.size(), kMatchNameMax),
                block.begin() + kMatchNameAt);
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

UserRecord MakeLaunchUser(int32_t userId, int32_t chairNo, const std::string& name,
                          int32_t lookOn) {
    UserRecord user;
    user.userId = userId;
    user.chairNo = chairNo;
    user.lookOn = lookOn;
    SetFieldText(user.name, name);
    return user;
}
