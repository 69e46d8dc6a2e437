#pragma once
// The records the table-logic base hands to its host and its derived games:
// the player object, the round parameters of a game start, the settled result
// of a game, the game-over report and the random player profile.
//
// All are plain values with named fields; the host never casts bytes into them.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr int kMaxChairs = 8;

template <typename T>
using PerChair = std::array<T, kMaxChairs>;

// A player at the table, seated or looking on. The host derives its own class
// and answers the connection test; the table owns the objects it is given.
class TablePlayer {
public:
    virtual ~TablePlayer() = default;
    // Whether the player's connection is up.
    virtual bool IsConnected() const { return true; }

    int32_t userId = 0;
    uint32_t flags = 0;  // bit 0: takes part in the loss relief
    int32_t chair = -1;
    int32_t isLooker = 0;
    int32_t sittingOut = 0;  // nonzero: not in the current game
    int32_t score = 0;
    int32_t silver = 0;
    int32_t level = 0;
    int32_t minutesPlayed = 0;
    int32_t gamesAtTable = 0;
    int32_t spare = 0;
    int32_t profileSeedLow = 0;   // the random profile is seeded with
    int32_t profileSeedHigh = 0;  // tick + 10 x high + low
    std::string name;             // GBK
};

// What a game start fixes for the round (see CTableLogicBase::StartGame).
struct RoundParameters {
    int32_t silverMultiple = 0;
    int32_t minSilver = 0;
    int32_t feeRate = 0;  // per 100 silver won
    int32_t escapeCap = 0;
    int32_t escapeShare = 0;  // percent
    int32_t silverLimit = 0;
    int32_t feeMode = 0;  // 1, 6, 7, 8 or 9
    int32_t fixedFee = 0;
    int32_t baseCap = 0;
    int32_t durationLimit = 0;
    int32_t scoreBase = 0;
    int32_t minScore = 0;
    int32_t maxScore = 0;
    int32_t maxPlayerGames = 0;
    int32_t maxGames = 0;
    int32_t minReady = 0;
    int32_t depositRate = 0;  // in 1/10000
    int32_t depositThreshold = 0;
};

// The settled result of one game, per chair. Its wire form is 432 bytes
// (108 little-endian words, in the order of the fields).
struct TableResult {
    static constexpr size_t kBytes = 432;
    static constexpr int kLevelNameBytes = 16;

    int32_t mode = 0;  // 2, 4 or 8
    int32_t flags = 0;
    int32_t playerCount = 0;
    int32_t gameCounter = 0;
    int32_t banker = -1;
    PerChair<int32_t> sides{};
    int32_t gameValue = 0;
    PerChair<int32_t> chairValues{};
    int32_t scoreBase = 0;
    int32_t silverBase = 0;
    PerChair<int32_t> scoreBefore{};
    PerChair<int32_t> silverBefore{};
    PerChair<int32_t> scoreChange{};
    PerChair<int32_t> silverChange{};
    PerChair<int32_t> fee{};
    PerChair<int32_t> newLevel{};
    PerChair<std::array<char, kLevelNameBytes>> levelNames{};
    int32_t storedSilverBase = 0;
    int32_t absentChairs = 0;  // bit c: chair c empty or sitting out

    // Writes the 432-byte wire form; false (nothing written) when the
    // destination is shorter.
    bool WriteTo(std::span<uint8_t> destination) const;
};

// One player's line of a game-over report (29 words in the server's form).
struct PlayerReport {
    int32_t userId = 0;
    int32_t tableNumber = 0;
    int32_t baseParameter = 0;
    int32_t chair = -1;
    int32_t reportId = 0;
    int32_t scoreBase = 0;
    int32_t silverBase = 0;
    int32_t scoreBefore = 0;
    int32_t silverBefore = 0;
    int32_t minutesPlayed = 0;
    int32_t secondsPlayed = 0;
    int32_t one = 1;
    int32_t zero = 0;
    int32_t win = 0;
    int32_t loss = 0;
    int32_t draw = 0;
    int32_t scoreChange = 0;
    int32_t silverChange = 0;
    int32_t newLevel = 0;
    std::array<char, 16> levelName{};
    int32_t fee = 0;
};

struct GameOverReport {
    int32_t playerCount = 0;
    int32_t tableNumber = 0;
    int32_t reportId = 0;
    uint32_t roundTick = 0;
    uint8_t flag1 = 0;
    uint8_t flag2 = 0;
    std::vector<PlayerReport> players;
};

// A made-up opponent profile for one chair.
struct PlayerProfile {
    int32_t chair = -1;
    int32_t userId = 0;
    int32_t flag = 0;  // 1 with chance 10 in 100
    int32_t sign = 0;
    int32_t value107 = 0;
    int32_t value91 = 0;
    int32_t value187 = 0;
    int32_t constant1000 = 0;
    int32_t constant100 = 0;
    int32_t levelIndex = 0;
    std::array<int32_t, 3> pairEntry{};  // from the chair x chair table
    std::string name;
};

// A listed player of the profile and name tables; MakeProfiles fills the
// profile of the entries it makes up.
struct ListedPlayer {
    bool present = false;
    int32_t chair = -1;
    std::string name;
    PlayerProfile profile;
};

// A seated player as CollectReadyPlayers reports it.
struct ReadyPlayer {
    int32_t userId = 0;
    int32_t chair = -1;
    int32_t score = 0;
    int32_t silver = 0;
    int32_t level = 0;
    std::array<char, 32> levelName{};
};
