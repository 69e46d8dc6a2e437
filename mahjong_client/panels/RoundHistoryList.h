#pragma once
// The table's score bar: the frame's advert and score bar showing the
// table's history of rounds, one row per present seat and one column per
// round (the running total, then the last 30 rounds, newest first). It takes
// the advert bar's place in the table's side panel and its name,
// "AdvertBar".
//
// Rules:
//  - The layout and the drawing are the score table's (ScoreTable.h), which
//    already draws the table this way: rows = max(seat count, 4), at most 8;
//    a negative round count counts as 0; present seats packed in chair
//    order; the table at least as wide as the bar.
//  - The settings 50007-50011 are read on every layout and drawing.

#include "frame/panels/AdvertBar.h"

class CRoundHistoryList : public CAdvertBar {
public:
    CRoundHistoryList();
    ~CRoundHistoryList() override;
};
