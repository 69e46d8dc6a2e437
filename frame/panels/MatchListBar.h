#pragma once
// The side panel's match bar ("MatchListBar") of a match client: the match
// name, the own rank and result, the elapsed-time clock, the sign-up count,
// the own portrait and one row per standings record that fits.
//
// Rules:
//  - The clock counts seconds through a repeating engine action that sends
//    80000001 to the bar every 1000 ms; at most one such action runs.
//  - A press on the portrait sends 19840401 with the own user id to
//    "SubSystem".

#include <cstdint>
#include <string>

#include "frame/panels/SidePanelBar.h"

inline constexpr int kEventClockTick = 80000001;
inline constexpr int kEventPortraitPress = 80000002;
inline constexpr int kEventAskUserInfo = 19840401;

class CMatchListBar : public CSidePanelBar {
public:
    static constexpr int kRowHeight = 20;

    CMatchListBar() = default;
    ~CMatchListBar() override = default;

    void Create() override;
    int OnEvent(const EventRecord& record) override;
    void Relayout() override;

    virtual void RebuildStandings();
    virtual void RefreshTexts();
    virtual void RefreshPortrait();
    virtual void StartElapsedClock();
    virtual void ResumeElapsedClock();
    virtual void StopElapsedClock();
    virtual void ShowSignUpCount(int count);

    int GetElapsedSeconds() const { return seconds_; }
    // "%02d:%02d" of the counter.
    std::string ClockText() const;
    int GetVisibleRows() const { return visibleRows_; }

private:
    void StartClockAction();
    void DrawClock();

    int seconds_ = 0;
    uint64_t clockAction_ = 0;
    int visibleRows_ = 0;
    int textsId_ = 0;
    int clockId_ = 0;
    int signUpId_ = 0;
    int rowsId_ = 0;
    int portraitId_ = 0;
};
