#pragma once
// The replay-bar seam: the playback controls laid over the table while a
// recorded game plays back, in the first recording format and the second,
// the match client's. The frame's panels build the bars; the application
// makes them through its factory.
//
// Rules:
//  - The game view registers a bar with itself and finds it again by id.
//  - SetLimitValue is the longest pause, in ms, that playback waits between
//    two recorded events.

#include <functional>

#include "engine/CorvaneControl.h"

class CReplayBarSeam : public CCorvaneControl {
public:
    virtual void SetLimitValue(int ms) = 0;
};

enum class ReplayFormat { First, Second };

// Makes a bar of the format, not yet registered; null when it cannot. An
// application without one makes no bar.
using ReplayBarFactory = std::function<CReplayBarSeam*(ReplayFormat)>;
