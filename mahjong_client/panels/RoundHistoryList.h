#pragma once
// The table's score bar: the frame's advert and score bar with the table's
// history of rounds, one row per present seat and one column per round (the
// running total, then the last 30 rounds, newest first). It takes the
// advert bar's place in the side panel and its name, "AdvertBar".
//
// Rules:
//  - rows = max(seat count, 4), at most 8 (seat records and history exist
//    for 8 chairs); a negative round count counts as 0.
//  - Layout and drawing read the engine settings 50007-50011 on every call.

#include "frame/panels/AdvertBar.h"

class CRoundHistoryList : public CAdvertBar {
public:
    CRoundHistoryList();
    ~CRoundHistoryList() override;

    // Places the tabs, the web window, the table's canvas and its scroll bar,
    // then draws the table.
    void Layout() override;
    // Draws the table of rounds on the canvas and sets the scroll range.
    void DrawScoreTable() override;
};
