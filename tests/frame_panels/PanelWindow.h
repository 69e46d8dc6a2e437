#pragma once
// An engine window on SDL's dummy video driver for tests that drive panels
// as a user does: a skin drawn by the test and held in memory, a root view
// the test gives, frames on a hand-driven clock and mouse and keyboard input
// sent to the window's top-level window (platform/SdlEvents.h).
//
// Rules:
//  - Skin pictures are added before OpenWindow; the window's resources are
//    made from them once.
//  - Every input step is followed by one frame; Frame() hands on the
//    waiting messages before and after the engine's frame, and each frame
//    moves the clock by kFrameMs.
//  - A click ends with clickGapMs of frames, so that a fixture whose clicks
//    must not pair into double clicks sets it once.
//  - The window closes in TearDown (a fixture that releases more calls it
//    first) or when the fixture ends.

#include <gtest/gtest.h>

#include <cstdint>
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
#include "tests/platform/PictureBytes.h"

// A picture of one frame per colour (0x00BBGGRR), each frame filled with
// its colour.
inline picture_bytes::Bytes FramedPicture(int width, int height,
                                          const std::vector<uint32_t>& colours) {
    picture_bytes::Bytes palette;
    for (uint32_t colour : colours) {
        palette.push_back(static_cast<uint8_t>(colour & 0xff));
        palette.push_back(static_cast<uint8_t>((colour >> 8) & 0xff));
        palette.push_back(static_cast<uint8_t>((colour >> 16) & 0xff));
    }
    size_t entries = 4;
    while (entries < colours.size()) {
        entries *= 2;
    }
    palette.resize(3 * entries, 0);
    std::vector<picture_bytes::GifFrame> frames;
    for (size_t f = 0; f < colours.size(); ++f) {
        picture_bytes::Bytes indices(static_cast<size_t>(width * height), static_cast<uint8_t>(f));
        frames.push_back(picture_bytes::Frame(indices, 10, -1));
    }
    return picture_bytes::Gif(width, height, palette, frames);
}

class PanelWindowTest : public ::testing::Test {
protected:
    static constexpr int kFrameMs = 11;
    static constexpr int64_t kClockStartMs = 5000;

    PanelWindowTest() { ::setenv("SDL_AUDIODRIVER", "dummy", 0); }
    ~PanelWindowTest() override { wnd.reset(); }
    void TearDown() override { CloseWindow(); }

    // A one-colour skin picture (colour 0x00BBGGRR) for the next window.
    void AddImage(const std::string& name, int width, int height, uint32_t colour) {
        images.emplace_back(name + ".png", picture_bytes::SolidRgbPng(width, height, colour));
    }
    // A skin picture of one frame per colour.
    void AddFramed(const std::string& name, int width, int height,
                   const std::vector<uint32_t>& colours) {
        images.emplace_back(name + ".gif", FramedPicture(width, height, colours));
    }

    // Opens the window at the rectangle with the root view (the engine owns
    // it from then on) and the skin added so far.
    void OpenWindow(CCorvaneView* root, const char* title, const platform::ScreenRect& rect) {
        auto clock = time.MakeClock();
        clock->Reset(kClockStartMs);
        wnd = std::make_unique<CCorvaneWnd>(std::move(clock));
        ASSERT_EQ(wnd->Create(title, platform::kStyleVisible, 0, rect, 0), 1);
        WindowCreated();
        auto* resources = new ResourceModule;
        for (const auto& [name, bytes] : images) {
            resources->AddMemoryResource(name, bytes.data(), bytes.size());
        }
        ASSERT_EQ(wnd->Initialize(root, resources), 1);
        Deliver();
    }
    // Runs after the window is made and before the root view takes it.
    virtual void WindowCreated() {}
    void CloseWindow() { wnd.reset(); }

    platform::WindowId Id() const { return wnd->Id(); }
    ObjectModule& Objects() {
        return *dynamic_cast<ObjectModule*>(wnd->GetCore()->FindModule(kObjectModuleId));
    }

    // --- time ---

    // Hands on the messages waiting for this thread.
    void Deliver() {
        platform::Message m;
        while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
            platform::DispatchMessage(m);
        }
    }
    void Frame() {
        Deliver();
        time.AdvanceMs(kFrameMs);
        wnd->RunFrame();
        Deliver();
    }
    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            Frame();
        }
    }
    // Frames until at least ms of engine time passed.
    void RunMs(int ms) {
        for (int t = 0; t < ms; t += kFrameMs) {
            Frame();
        }
    }

    // --- input, as a user gives it ---

    void MoveTo(int x, int y) {
        ASSERT_TRUE(platform::SynthesizeMouseMove(Id(), x, y));
        Frame();
    }
    void Button(platform::MouseButton button, bool down, int x, int y) {
        ASSERT_TRUE(platform::SynthesizeMouseButton(Id(), button, down, x, y));
        Frame();
    }
    // Moves there, presses and releases the button.
    void Press(platform::MouseButton button, int x, int y) {
        MoveTo(x, y);
        Button(button, true, x, y);
        Button(button, false, x, y);
        RunMs(clickGapMs);
    }
    void Click(int x, int y) { Press(platform::MouseButton::Left, x, y); }
    void RightClick(int x, int y) { Press(platform::MouseButton::Right, x, y); }
    // A left click at the object's centre.
    void ClickOn(CCorvaneObject* object) {
        ASSERT_NE(object, nullptr);
        Click(static_cast<int>(object->GetX()), static_cast<int>(object->GetY()));
    }
    void ClickOn(CCorvaneObject& object) { ClickOn(&object); }
    // Text as typed (GBK); nothing to type still runs the frame.
    void Type(const std::string& gbk) {
        if (!gbk.empty()) {
            ASSERT_TRUE(platform::SynthesizeText(Id(), gbk));
        }
        Frame();
    }
    // Clicks the edit, then types into it.
    void TypeInto(CCorvaneObject* edit, const std::string& gbk) {
        ClickOn(edit);
        Type(gbk);
    }
    void Key(int virtualKey) {
        ASSERT_TRUE(platform::SynthesizeKey(Id(), virtualKey, true));
        Frame();
        ASSERT_TRUE(platform::SynthesizeKey(Id(), virtualKey, false));
        Frame();
    }
    void Wheel(int notches, int x, int y) {
        ASSERT_TRUE(platform::SynthesizeMouseWheel(Id(), notches, x, y));
        Frame();
    }
    // Presses at the start, moves there in steps and releases at the end.
    void Drag(int x0, int y0, int x1, int y1, int steps = 4) {
        MoveTo(x0, y0);
        Button(platform::MouseButton::Left, true, x0, y0);
        for (int i = 1; i <= steps; ++i) {
            MoveTo(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        }
        Button(platform::MouseButton::Left, false, x1, y1);
    }

    ManualTime time;
    std::vector<std::pair<std::string, picture_bytes::Bytes>> images;
    std::unique_ptr<CCorvaneWnd> wnd;
    int clickGapMs = 0;
};
