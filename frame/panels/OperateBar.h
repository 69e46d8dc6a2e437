#pragma once
// The operate bar ("OpereateBar"): a bar a derived side panel may add at
// the top; the frame's own has no children to place.

#include "frame/panels/SidePanelBar.h"

class COperateBar : public CSidePanelBar {
public:
    void Create() override;
    void Relayout() override {}
};
