#pragma once
// The factories of the real side-panel objects and boxes, for the
// application to hand the frame view (CGameFrameApp::SetFramePanelFactories).

#include "frame/view/FramePanelSeams.h"

// Every factory the frame's panels fill.
FramePanelFactories MakeFramePanelFactories();
