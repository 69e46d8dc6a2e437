#pragma once
// The engine window on SDL's dummy video driver with a plain root view, for
// the side panel's widgets: controls are registered under the view, input
// goes to the window's top-level window as a user's would (SdlEvents.h),
// and frames run on a hand-driven clock.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/CorvaneView.h"
#include "engine/CorvaneWnd.h"
#include "engine/ObjectModule.h"
#include "engine/ResourceModule.h"
#include "platform/Messages.h"
#include "platform/SdlEvents.h"
#include "platform/SdlWindow.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/SceneTestSupport.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/platform/PictureBytes.h"

class WidgetWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::setenv("SDL_AUDIODRIVER", "dummy", 0); }
    ~WidgetWindowTest() override { wnd.reset(); }

    void SetUp() override {
        auto clock = time.MakeClock();
        clock->Reset(5000);
        wnd = std::make_unique<CCorvaneWnd>(std::move(clock));
        ASSERT_EQ(
            wnd->Create("widgets", platform::kStyleVisible, 0, {40, 30, 40 + 640, 30 + 480}, 0), 1);
        view = new CCorvaneView;
        auto* resources = new ResourceModule;
        for (const auto& [name, bytes] : images) {
            resources->AddMemoryResource(name, bytes.data(), bytes.size());
        }
        ASSERT_EQ(wnd->Initialize(view, resources), 1);
        Deliver();
        owner = new RecordingObject(&log);
        Objects().RegisterObject(owner, nullptr);
    }

    // A one-colour skin picture (colour 0x00BBGGRR) for the next SetUp;
    // fixtures add theirs in their constructor.
    void AddImage(const std::string& name, int width, int height, uint32_t colour) {
        picture_bytes::Bytes samples;
        for (int i = 0; i < width * height; ++i) {
            samples.push_back(static_cast<uint8_t>(colour & 0xff));
            samples.push_back(static_cast<uint8_t>((colour >> 8) & 0xff));
            samples.push_back(static_cast<uint8_t>((colour >> 16) & 0xff));
        }
        images.emplace_back(name + ".png", picture_bytes::Png(width, height, 2, samples));
    }

    ObjectModule& Objects() {
        return *dynamic_cast<ObjectModule*>(wnd->GetCore()->FindModule(kObjectModuleId));
    }
    platform::WindowId Id() const { return wnd->Id(); }

    template <class Control>
    Control* Make() {
        auto* control = new Control;
        view->Register(control);
        return control;
    }

    void Deliver() {
        platform::Message m;
        while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
            platform::DispatchMessage(m);
        }
    }
    void Frame() {
        Deliver();
        time.AdvanceMs(11);
        wnd->RunFrame();
    }

    // As a user does it, a frame after each step.
    void MoveTo(int x, int y) {
        ASSERT_TRUE(platform::SynthesizeMouseMove(Id(), x, y));
        Frame();
    }
    void Button(bool down, int x, int y) {
        ASSERT_TRUE(platform::SynthesizeMouseButton(Id(), platform::MouseButton::Left, down, x, y));
        Frame();
    }
    void Click(int x, int y) {
        MoveTo(x, y);
        Button(true, x, y);
        Button(false, x, y);
    }
    void Wheel(int notches, int x, int y) {
        ASSERT_TRUE(platform::SynthesizeMouseWheel(Id(), notches, x, y));
        Frame();
    }
    void Drag(int x0, int y0, int x1, int y1, int steps = 4) {
        MoveTo(x0, y0);
        Button(true, x0, y0);
        for (int i = 1; i <= steps; ++i) {
            MoveTo(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        }
        Button(false, x1, y1);
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

    std::vector<std::pair<std::string, picture_bytes::Bytes>> images;
    TempProgramFolder folder;
    ManualTime time;
    std::unique_ptr<CCorvaneWnd> wnd;
    CCorvaneView* view = nullptr;
    RecordingObject* owner = nullptr;
    std::vector<Delivery> log;
};
