#pragma once
// The paged emoticon picker of the chat box: a grid of cells, each showing
// one emoticon of the table the game registered at start-up. A press on a
// cell puts the emoticon into the chat (80000073), a right click into the
// input box (80000074); both go to "SubSystem" and hide the picker.
//
// Rules:
//  - The codes come from RegisterEmoticonCodes; without a table every cell
//    is empty and a choice delivers nothing.
//  - A cell shows frame 0 of the image "kof" + the code's text after '#'.
//  - The page stays within 0 .. pages - 1.

#include <string>
#include <vector>

#include "frame/panels/SidePanelBar.h"

// Events the picker sends to the side panel.
inline constexpr int kEventEmoticonChosen = 80000073;
inline constexpr int kEventEmoticonToInput = 80000074;
// Its own paging events.
inline constexpr int kEventEmoticonPageBack = 19840384;
inline constexpr int kEventEmoticonPageForward = 19840385;

// The game's emoticon codes ("#白眼" ...), registered once at start-up.
void RegisterEmoticonCodes(std::vector<std::string> codes);
const std::vector<std::string>& GetEmoticonCodes();

class CEmoticonPanel : public CSidePanelBar {
public:
    CEmoticonPanel() = default;
    ~CEmoticonPanel() override = default;

    // columns × rows cells of cellSize pixels with gap pixels between them.
    virtual void Create(int columns, int rows, int cellSize, int gap);
    using CCorvaneObject::Create;
    int OnEvent(const EventRecord& record) override;

    // A press on the cell at the panel-local point: 80000073 with the code.
    virtual void OnCellPress(int x, int y);
    // A right click on the cell at the point: 80000074 with the code.
    virtual void OnCellRightClick(int x, int y, int extra);
    virtual void ShowPage(int page);

    int GetPage() const { return page_; }
    int GetPageCount() const;
    // The code of the cell at the panel-local point on the current page;
    // empty when there is none.
    std::string CodeAt(int x, int y) const;

private:
    void DrawPage();
    // Sends the chosen code and hides the picker.
    void Choose(int x, int y, int event);

    int columns_ = 0;
    int rows_ = 0;
    int cellSize_ = 0;
    int gap_ = 0;
    int page_ = 0;
    int canvasId_ = 0;
    std::string chosen_;  // kept for the receiver until the next choice
};
