#pragma once
// The replay bars: the playback controls laid over the table while a
// recorded game plays back, in the first recording format (V1) and the
// second, the match client's (V2). The bars themselves come later; until
// then the application makes them through its factory, and the inert bars
// below keep their settings and draw nothing.
//
// Rules:
//  - The game view registers a bar with itself and finds it again by id.
//  - SetLimitValue is the longest pause, in ms, that playback waits between
//    two recorded events.

#include <functional>

#include "engine/CorvaneControl.h"

class CQeRepBar : public CCorvaneControl {
public:
    virtual void SetLimitValue(int ms) = 0;
};

class CQeRepBarV1 : public CQeRepBar {};
class CQeRepBarV2 : public CQeRepBar {};

enum class ReplayFormat { First, Second };

// Makes a bar of the format, not yet registered; null when it cannot.
using ReplayBarFactory = std::function<CQeRepBar*(ReplayFormat)>;

// The bars the application makes until the replay files have a reader:
// they keep the limit and show nothing of their own.
template <class Base>
class CInertReplayBar : public Base {
public:
    void SetLimitValue(int ms) override { limitMs_ = ms; }
    int GetLimitValue() const { return limitMs_; }

private:
    int limitMs_ = 0;
};

CQeRepBar* MakeInertReplayBar(ReplayFormat format);
