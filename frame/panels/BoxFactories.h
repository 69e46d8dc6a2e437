#pragma once
// Registers the frame's notice boxes and replay bars with the application's
// factories, so the frame view and the game view make the real ones.

#include "frame/view/FramePanelSeams.h"

class CGameFrameApp;

// Fills the three box factories, leaving the others as they are.
void InstallBoxFactories(FramePanelFactories& factories);
// The boxes into the application's panel factories and its replay-bar
// factory.
void InstallBoxesAndReplayBars(CGameFrameApp& app);
