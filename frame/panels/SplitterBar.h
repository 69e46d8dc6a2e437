#pragma once
// The thin bar between the table and the side panel, with an arrow in its
// middle. A press on the arrow folds the side panel to width 0 or unfolds it
// to its default width and has the frame view lay itself out again; the bar
// has no drag. The frame view sizes and places it; the bar only follows its
// own size.
//
// Rules:
//  - Without the arrow picture the arrow area is 6 x 85.
//  - SetCollapsed only stores the state; the press changes the side panel.

#include "frame/view/FramePanelSeams.h"

class CCorvaneCanvas;

// The arrow's events to the bar.
inline constexpr int kSplitterArrowEnter = 80000002;
inline constexpr int kSplitterArrowLeave = 80000003;
inline constexpr int kSplitterArrowPress = 80000004;

class CSplitterBar : public CFrameSplitter {
public:
    static constexpr char kName[] = "SplitterBar";
    static constexpr int kDefaultArrowWidth = 6;
    static constexpr int kDefaultArrowHeight = 85;

    CSplitterBar() = default;
    ~CSplitterBar() override = default;

    // Names the bar "SplitterBar" and makes its surface and arrow.
    void Create() override;
    int OnEvent(const EventRecord& record) override;

    // --- the bar's own operations, in this order ---
    void Relayout() override;
    void Redraw() override;
    void SetCollapsed(int collapsed) override;
    int IsCollapsed() override;
    int IsExpanded() override;

    CCorvaneCanvas* GetSurface();
    CCorvaneCanvas* GetArrow();

private:
    // The arrow picture of the current state.
    const char* ArrowImage() const;
    void DrawArrow(int frame);
    void Toggle();

    int collapsed_ = 0;
    int arrowId_ = 0;
    int surfaceId_ = 0;
};
