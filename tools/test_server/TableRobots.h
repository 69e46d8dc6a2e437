#pragma once
// Who sits at the table server's table as it starts: the user id, name,
// silver and score of the robot at each chair the human leaves free, and
// the human's silver. The demo's hall knows the table's players by the same
// facts, so a player's card names the robot the table shows.

#include <array>
#include <cstdint>

namespace testserver {

inline constexpr int32_t kRobotUserBase = 9000;  // the robot at chair c is user 9000 + c
inline constexpr int32_t kRobotStartSilver = 100000;
inline constexpr int32_t kRobotStartScore = 0;
// The human's silver as he sits down, unless the server is told otherwise.
inline constexpr int32_t kHumanStartSilver = 100000;

// The robot's name at `chair` while the human sits at `humanChair`: the
// robots take 甲, 乙 and 丙 in chair order.
inline const char* RobotName(int32_t chair, int32_t humanChair) {
    static constexpr std::array<const char*, 3> kNames = {"机器人甲", "机器人乙", "机器人丙"};
    const int32_t index = chair > humanChair ? chair - 1 : chair;
    return index >= 0 && index < 3 ? kNames[static_cast<size_t>(index)] : "";
}

}  // namespace testserver
