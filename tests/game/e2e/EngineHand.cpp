#include "tests/game/e2e/EngineHand.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>

#include "mahjong_logic/RegionalMahjongRules.h"
#include "tools/table_driver/RobotPlayer.h"
#include "tools/table_driver/TableDriver.h"

namespace game_test {
namespace {

constexpr size_t kHeaderBytes = 952;
constexpr size_t kStateBytes = 15156;

void SetWord(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
    std::memcpy(bytes.data() + offset, &value, 4);
}

// The words of the head the client reads that the engine leaves to the
// server: the seat to act (13), 1 (27) and the panel's wild tile (36).
void SetClientWords(std::vector<uint8_t>& head, const CRegionalMahjongRules& table) {
    SetWord(head, 13 * 4, table.CurrentSeat());
    SetWord(head, 27 * 4, 1);
    SetWord(head, 36 * 4, RecordWord(head, 34 * 4));
}

int ListTotal(const std::vector<uint8_t>& state, int list) {
    int total = 0;
    for (int chair = 0; chair < 4; ++chair) {
        total += StateMelds(state, list, chair);
    }
    return total;
}

TableDriverOptions SilverTable() {
    TableDriverOptions options;
    options.settings[1] = 1;
    options.round.scoreBase = 1;
    options.round.silverMultiple = 1;
    options.round.minScore = INT_MIN;
    options.round.maxScore = INT_MAX;
    options.round.maxGames = INT_MAX;
    options.round.maxPlayerGames = INT_MAX;
    options.startSilver = 100000;
    return options;
}

}  // namespace

int32_t RecordWord(const std::vector<uint8_t>& bytes, size_t offset) {
    int32_t value = 0;
    if (offset + 4 <= bytes.size()) {
        std::memcpy(&value, bytes.data() + offset, 4);
    }
    return value;
}

int StateMelds(const std::vector<uint8_t>& state, int list, int chair) {
    return std::clamp(RecordWord(state, 952 + 688 * static_cast<size_t>(list) + 672 +
                                            4 * static_cast<size_t>(chair)),
                      0, 6);
}

std::vector<int32_t> RecordTiles(const std::vector<uint8_t>& bytes, size_t offset) {
    std::vector<int32_t> tiles;
    for (size_t i = 0; i < 32; ++i) {
        const int32_t tile = RecordWord(bytes, offset + 4 * i);
        if (tile == -1) {
            break;
        }
        tiles.push_back(tile);
    }
    return tiles;
}

bool PlayEngineHandWithMelds(int ownChair, EngineHand& hand) {
    for (uint64_t seed = 1; seed <= 400; ++seed) {
        ScopedDriverSources sources(seed);
        CRegionalMahjongRules table;
        RobotPlayer r0(seed + 1), r1(seed + 2), r2(seed + 3), r3(seed + 4);
        TableDriver driver(table, {&r0, &r1, &r2, &r3}, SilverTable());
        if (!driver.SeatPlayers()) {
            return false;
        }
        EngineHand played;
        played.seed = seed;
        driver.afterOperation = [&](std::string_view operation) {
            if (operation == "StartGame") {
                played.handStart.assign(kHeaderBytes, 0);
                table.PackHeader(played.handStart, ownChair, false);
                SetClientWords(played.handStart, table);
                played.banker = table.Banker();
                return;
            }
            if (!played.handState.empty() || played.handStart.empty()) {
                return;
            }
            std::vector<uint8_t> state(kStateBytes, 0);
            table.PackGameState(state, ownChair, false);
            if (ListTotal(state, kPengList) > 0 && ListTotal(state, kExposedGangList) > 0 &&
                ListTotal(state, kConcealedGangList) > 0) {
                SetClientWords(state, table);
                played.handState = std::move(state);
            }
        };
        const HandOutcome outcome = driver.PlayHand();
        if (outcome.played && !played.handState.empty()) {
            played.result = outcome.record;
            hand = std::move(played);
            return true;
        }
    }
    return false;
}

}  // namespace game_test
