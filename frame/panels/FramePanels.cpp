#include "frame/panels/FramePanels.h"

#include "frame/panels/BoxFactories.h"
#include "frame/panels/SplitterBar.h"
#include "frame/panels/SystemBars.h"

FramePanelFactories MakeFramePanelFactories() {
    FramePanelFactories factories;
    factories.splitterBar = [] { return new CSplitterBar; };
    factories.systemBars = [] { return new CSystemBars; };
    InstallBoxFactories(factories);
    return factories;
}
