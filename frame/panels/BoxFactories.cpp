#include "frame/panels/BoxFactories.h"

#include "frame/GameFrameApp.h"
#include "frame/panels/ExitRequestBox.h"
#include "frame/panels/ForceQuitBox.h"
#include "frame/panels/QeRepBar.h"
#include "frame/panels/SystemInfoBox.h"

void InstallBoxFactories(FramePanelFactories& factories) {
    factories.infoBox = []() -> CInfoBoxSeam* { return new CSystemInfoBox; };
    factories.forceQuitBox = []() -> CForceQuitBoxSeam* { return new CForceQuitBox; };
    factories.exitRequestBox = []() -> CExitRequestBoxSeam* { return new CExitRequestBox; };
}

void InstallBoxesAndReplayBars(CGameFrameApp& app) {
    FramePanelFactories factories = app.GetFramePanelFactories();
    InstallBoxFactories(factories);
    app.SetFramePanelFactories(std::move(factories));
    app.SetReplayBarFactory(MakeQeRepBar);
}
