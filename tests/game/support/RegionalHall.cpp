#include "tests/game/support/RegionalHall.h"

#include "frame/LaunchRecordBuilder.h"

namespace game_test {

namespace {

constexpr int32_t kGameId = 30;
constexpr char kOwnName[] = "自己";

}  // namespace

testserver::RegionalScript::Options RegionalScriptOptions(const RegionalTable& table) {
    testserver::RegionalScript::Options script;
    script.roomId = table.roomId;
    script.tableNo = table.tableNo;
    script.frame.userNames[table.userId] = kOwnName;
    return script;
}

fakehall::FakeHallOptions RegionalHallOptions(const RegionalTable& table, uint16_t serverPort,
                                              const std::string& exePath) {
    fakehall::FakeHallOptions hall;
    LaunchFields& launch = hall.launch;
    launch.gameId = kGameId;
    launch.serverHost = "127.0.0.1";
    launch.serverPort = serverPort;
    launch.hallRoomId = table.roomId;
    launch.userId = table.userId;
    launch.tableNo = table.tableNo;
    launch.chairNo = testserver::RegionalScript::kOwnChair;
    launch.gameName = table.title;
    LaunchRecordBuilder& record = hall.launchRecord;
    record.room.roomId = table.roomId;
    record.room.options = RoomInfo::kOptionSilverRoom;
    record.table.tableNo = table.tableNo;
    record.table.seatCount = 4;
    UserRecord own = MakeLaunchUser(table.userId, testserver::RegionalScript::kOwnChair, kOwnName);
    own.tableNo = table.tableNo;
    record.seats = {own};
    hall.exePath = exePath;
    return hall;
}

}  // namespace game_test
