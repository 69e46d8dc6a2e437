#pragma once
// The per-hand score table of the advert bar: the layout of its tabs, web
// window, canvas and scroll bar, and the drawing of the table, shared by
// every bar that shows it (the frame's advert bar and the table's history
// list pass their own parts and numbers).
//
// Rules:
//  - rows = max(seat count, 4), at most 8 (the application keeps seats and
//    history for 8 chairs); T = rows × rowHeight + headerHeight.
//  - Columns: 2 before the first hand, else min(hands + 1, 31): the total
//    and at most 30 hands, newest first.
//  - Only present seats get rows, in chair order, packed without gaps.
//  - The table is at least as wide as the bar.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CCorvaneCanvas;
class CCorvaneObject;
class CCorvaneScrollBar;
class CCorvaneVisual;
class CGameFrameApp;

// The engine settings that shape the table, read on every use.
struct ScoreTableGeometry {
    int tabHeight = 0;     // 50007: the table's offset below the bar's top
    int headerHeight = 0;  // 50008
    int rowHeight = 0;     // 50009
    int columnWidth = 0;   // 50010
    int advertExtra = 0;   // 50011: the web window's height beyond the table

    static ScoreTableGeometry FromSettings(CCorvaneVisual& visual);
    static constexpr int kMinRows = 4;
    static constexpr int kMaxRows = 8;
    int Rows(int seatCount) const { return std::clamp(seatCount, kMinRows, kMaxRows); }
    int TableHeight(int seatCount) const { return Rows(seatCount) * rowHeight + headerHeight; }
};

// What the table shows, taken from the application.
struct ScoreTableModel {
    static constexpr int kRing = 30;
    static constexpr int kNameColumn = 110;
    struct Row {
        std::string name;
        int32_t total = 0;
        std::array<int32_t, kRing> ring{};
    };
    int seatCount = 4;
    int hands = 0;
    bool silverRoom = false;
    uint32_t headerColour = 0;
    uint32_t textColour = 0;
    uint32_t backColour = 0;
    uint32_t gridColour = 0;
    std::vector<Row> rows;  // present seats only, in chair order

    static ScoreTableModel FromApp(CGameFrameApp& app);
    int Columns() const;
};

// The parts the layout places; any may be null.
struct ScoreBarParts {
    CCorvaneObject* advertTab = nullptr;
    CCorvaneObject* scoreTab = nullptr;
    CCorvaneCanvas* canvas = nullptr;
    CCorvaneScrollBar* scrollBar = nullptr;
};

// The web window's rectangle in scene pixels, as the layout computes it.
struct ScoreBarWebRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Places the tabs, the canvas and the scroll bar for the bar's rectangle
// (left, top, right, bottom, scene pixels) and answers the web window's
// rectangle.
ScoreBarWebRect LayoutScoreBar(const ScoreBarParts& parts, const ScoreTableGeometry& geometry,
                               int seatCount, double left, double top, double right, double bottom);

// Draws the table on the canvas, sized to the table, and sets the scroll
// bar's range (when given) for a bar of barWidth.
void DrawScoreTableOn(CCorvaneCanvas& canvas, CCorvaneScrollBar* scrollBar,
                      const ScoreTableGeometry& geometry, const ScoreTableModel& model,
                      int barWidth, CCorvaneVisual& visual);
