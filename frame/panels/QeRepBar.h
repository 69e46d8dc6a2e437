#pragma once
// The replay bars: the playback controls over the table while a recorded
// game plays back, in the first recording format (V1) and the second, the
// match client's (V2).
//
// Rules:
//  - No replay file format exists for this client: LoadReplay opens nothing
//    and answers 0, so the bars keep their settings and show nothing.
//  - The longest pause between two replayed events is 10000 ms until
//    SetLimitValue changes it.

#include <string>

#include "frame/view/ReplayBars.h"

class CQeRepBar : public CReplayBarSeam {
public:
    static constexpr int kDefaultLimitMs = 10000;

    CQeRepBar() = default;
    ~CQeRepBar() override = default;

    void SetLimitValue(int ms) override;
    // Loads a recorded game; 1 when a replay was opened, else 0.
    virtual int LoadReplay(const char* file);

    int GetLimitValue() const { return limitMs_; }
    virtual ReplayFormat GetFormat() const = 0;

private:
    int limitMs_ = kDefaultLimitMs;
};

class CQeRepBarV1 : public CQeRepBar {
public:
    ReplayFormat GetFormat() const override { return ReplayFormat::First; }
};

class CQeRepBarV2 : public CQeRepBar {
public:
    ReplayFormat GetFormat() const override { return ReplayFormat::Second; }
};

// The application's replay-bar factory: a new bar of the format.
CReplayBarSeam* MakeQeRepBar(ReplayFormat format);
