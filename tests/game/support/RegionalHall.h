#pragma once
// The table the regional script plays at and the fake hall that launches a
// client to it: one place for the launch fields, the launch record and the
// script's options, so that every run of the whole client sits at the same
// kind of table (a silver room, the own chair the script's, the players
// named as the script names them).

#include <cstdint>
#include <string>

#include "tools/fake_hall/FakeHall.h"
#include "tools/test_server/RegionalScript.h"

namespace game_test {

struct RegionalTable {
    int32_t roomId = 300;
    int32_t tableNo = 6;
    int32_t userId = 12345;      // the own player's
    std::string title = "pvbn";  // the game's name in the launch line (window title)
};

// The script's options for that table (its other options as they stand).
testserver::RegionalScript::Options RegionalScriptOptions(const RegionalTable& table);
// The hall's options: the launch line to the server's port and a launch
// record with the own player seated; ExePath in the hall's settings.
fakehall::FakeHallOptions RegionalHallOptions(const RegionalTable& table, uint16_t serverPort,
                                              const std::string& exePath);

}  // namespace game_test
