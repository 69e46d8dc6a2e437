#pragma once
// The engine window on SDL's dummy video driver with a plain root view, for
// the side panel's widgets: controls are registered under the view and an
// owner object writes down the events they send it.

#include <gtest/gtest.h>

#include <vector>

#include "engine/CorvaneView.h"
#include "tests/engine/SceneTestSupport.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/frame_panels/PanelWindow.h"

class WidgetWindowTest : public PanelWindowTest {
protected:
    void SetUp() override {
        view = new CCorvaneView;
        OpenWindow(view, "widgets", {40, 30, 40 + 640, 30 + 480});
        owner = new RecordingObject(&log);
        Objects().RegisterObject(owner, nullptr);
    }

    template <class Control>
    Control* Make() {
        auto* control = new Control;
        view->Register(control);
        return control;
    }

    std::vector<Delivery> OwnerEvents(int event) const {
        std::vector<Delivery> found;
        for (const Delivery& d : log) {
            if (d.receiver == owner->GetId() && d.event == event) {
                found.push_back(d);
            }
        }
        return found;
    }

    TempProgramFolder folder;
    CCorvaneView* view = nullptr;
    RecordingObject* owner = nullptr;
    std::vector<Delivery> log;
};
