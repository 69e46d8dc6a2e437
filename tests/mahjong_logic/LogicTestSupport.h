#pragma once
// What the table-logic tests share: an injected clock and generator, a
// temporary program folder and file name, and a player class that counts its
// live objects.

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>

#include "mahjong_logic/TableRecords.h"
#include "mahjong_tiles/Random.h"
#include "mahjong_tiles/TableHelpers.h"
#include "platform/Files.h"
#include "tests/platform/TempFolder.h"

struct TestClock {
    static inline uint32_t now = 1000;
    static uint32_t Read() { return now; }
    static void Advance(uint32_t ms) { now += ms; }
};

// Draws come from a script, then 0.
struct ScriptedRandom {
    static inline std::deque<int> draws;
    static inline uint32_t lastSeed = 0;
    static uint32_t Seconds() { return TestClock::now / 1000; }
    static void Seed(uint32_t seed) { lastSeed = seed; }
    static int Next() {
        if (draws.empty()) {
            return 0;
        }
        const int value = draws.front();
        draws.pop_front();
        return value;
    }
};

class CountedPlayer : public TablePlayer {
public:
    static inline int live = 0;
    CountedPlayer() { ++live; }
    ~CountedPlayer() override { --live; }
    bool IsConnected() const override { return connected; }
    bool connected = true;
};

inline std::unique_ptr<CountedPlayer> MakePlayer(int32_t userId, int chair, int32_t score = 0,
                                                 int32_t silver = 0) {
    auto p = std::make_unique<CountedPlayer>();
    p->userId = userId;
    p->chair = chair;
    p->score = score;
    p->silver = silver;
    return p;
}

// Installs the clock, the generator and a temporary program folder named
// "pvbn" for the test's life.
class LogicFixture : public ::testing::Test {
protected:
    void SetUp() override {
        TestClock::now = 1000;
        ScriptedRandom::draws.clear();
        SetTickSource(&TestClock::Read);
        SetRandomSource({&ScriptedRandom::Seconds, &ScriptedRandom::Seed, &ScriptedRandom::Next});
        platform::SetProgramFolderForTesting(folder.Path());
        platform::SetProgramFileNameForTesting("pvbn");
    }
    void TearDown() override {
        RestoreDefaultTickSource();
        RestoreDefaultRandomSource();
        platform::SetProgramFolderForTesting("");
        platform::SetProgramFileNameForTesting("");
    }

    TempFolder folder;
};
