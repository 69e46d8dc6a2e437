#include "frame/panels/FramePanels.h"

#include "frame/panels/BoxFactories.h"
#include "frame/panels/SplitterBar.h"

FramePanelFactories MakeFramePanelFactories() {
    FramePanelFactories factories;
    factories.splitterBar = [] { return new CSplitterBar; };
    InstallBoxFactories(factories);
    return factories;
}
