#pragma once
// The application's real side-panel objects and boxes for the frame view,
// with the making of each box written down in a shared log (the engine owns,
// and may delete, the objects themselves).

#include <memory>
#include <string>
#include <vector>

#include "engine/CorvaneVisual.h"
#include "engine/EventRecord.h"
#include "frame/panels/FramePanels.h"
#include "frame/view/FramePanelSeams.h"

struct PanelLog {
    std::vector<std::string> calls;
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& call : calls) {
            n += call.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return n;
    }
};

// The newest registered object of the kind (the boxes the view opened), or
// null.
template <class T>
T* NewestOfKind(CCorvaneVisual& scene) {
    for (int id = 1 << 14; id > 0; --id) {
        if (auto* found = dynamic_cast<T*>(scene.FindObjectById(id))) {
            return found;
        }
    }
    return nullptr;
}

// The real factories; every box made is written down.
inline FramePanelFactories RecordingPanelFactories(std::shared_ptr<PanelLog> log) {
    FramePanelFactories factories = MakeFramePanelFactories();
    factories.forceQuitBox = [log, make = factories.forceQuitBox] {
        log->calls.push_back("made force-quit box");
        return make();
    };
    factories.exitRequestBox = [log, make = factories.exitRequestBox] {
        log->calls.push_back("made exit-request box");
        return make();
    };
    factories.infoBox = [log, make = factories.infoBox] {
        log->calls.push_back("made info box");
        return make();
    };
    return factories;
}
