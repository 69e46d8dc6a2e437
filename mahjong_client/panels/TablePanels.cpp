#include "mahjong_client/panels/TablePanels.h"

#include "frame/panels/FramePanels.h"
#include "mahjong_client/panels/TableSystemBar.h"

FramePanelFactories MakeTablePanelFactories() {
    FramePanelFactories factories = MakeFramePanelFactories();
    factories.systemBars = [] { return new CTableSystemBar; };
    return factories;
}
