#pragma once
// The factories of the table's side-panel objects and boxes, for the table
// application to hand the frame view (CGameFrameApp::SetFramePanelFactories):
// the frame's factories, with the table's side panel as "SubSystem".

#include "frame/view/FramePanelSeams.h"

FramePanelFactories MakeTablePanelFactories();
