#pragma once
// A seeded robot seat: it picks at random among the options offered, with a
// bias toward winning, kongs and keeping connected tiles so that whole hands
// reach every kind of ending. Its generator is its own: the engine's random
// source is not touched.

#include <cstdint>

#include "tools/table_driver/SeatPlayer.h"

struct RobotBias {
    int huPercent = 90;         // take a win when offered
    int kongPercent = 85;       // make an offered kong
    int pengPercent = 60;       // make an offered peng
    int declarePercent = 60;    // declare when the ready option is offered
    int swapPercent = 70;       // choose the exchange rather than wait for the time-out
    int keepShapePercent = 80;  // discard the least connected tile
};

class RobotPlayer : public SeatPlayer {
public:
    explicit RobotPlayer(uint64_t seed, RobotBias bias = {}) : state_(seed), bias_(bias) {}
    size_t Choose(const CRegionalMahjongRules& table, const SeatDecision& decision) override;
    // A draw below bound (bound > 0) from the robot's own generator.
    uint32_t Below(uint32_t bound);

private:
    bool Percent(int percent) { return static_cast<int>(Below(100)) < percent; }
    size_t ChooseDiscard(const CRegionalMahjongRules& table, const SeatDecision& decision);

    uint64_t state_;
    RobotBias bias_;
};
