#include "frame/panels/SidePanelBar.h"

CCorvaneObject* CSidePanelBar::FindSubSystem() {
    return FindObjectByName("SubSystem");
}

bool CSidePanelBar::SendToSubSystem(int event, intptr_t param1, intptr_t param2) {
    CCorvaneObject* side = FindSubSystem();
    if (side == nullptr) {
        return false;
    }
    side->OnEvent(MakeEventRecord(side->GetId(), event, param1, param2));
    return true;
}

FrameRecord CSidePanelBar::SkinFrame(const char* name, int frame) {
    FrameRecord state;
    if (GetCore() != nullptr) {
        GetResourceFrame(&state, name, frame);
    }
    if (state.record == nullptr) {
        state.width = 0;
        state.height = 0;
    }
    return state;
}

int CSidePanelBar::LeftEdge() {
    return static_cast<int>(GetLeft());
}

int CSidePanelBar::TopEdge() {
    return static_cast<int>(GetTop());
}
