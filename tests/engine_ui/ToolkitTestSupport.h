#pragma once
// A headless engine for the toolkit's controls: the visual test engine (core
// on a hand-driven clock, resources, the real painter on an 800 x 600 back
// buffer, the object module and a music module that records plays) plus the
// input module, driven with mouse and key messages in scene pixels.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/InputModule.h"
#include "platform/Input.h"
#include "tests/engine/VisualTestSupport.h"

// Palette of the test faces: index 0 is the transparent colour; 1..4 are the
// looks' colours.
inline const picture_bytes::Bytes kFacePalette = {255, 0, 255, 200, 0,   0,   0, 200,
                                                  0,   0, 0,   200, 200, 200, 0};

class ToolkitTest : public VisualTest {
protected:
    ~ToolkitTest() override {
        core.reset();
        platform::SetInputBackend(nullptr);
    }

    void SetUp() override {
        VisualTest::SetUp();
        platform::SetInputBackend(&backend);
        input = new InputModule;
        ASSERT_EQ(core->LoadModule(input, 1, 1), kEngineOk);
        owner = Make(700, 500);
        Frame();
    }

    // A `frames`-frame picture of width x height whose frame f is colour
    // f + 1 on its left half and transparent on its right half.
    FrameRecord AddFace(const std::string& name, int frames = 4, int width = 40, int height = 20) {
        std::vector<picture_bytes::GifFrame> gif;
        for (int f = 0; f < frames; ++f) {
            picture_bytes::Bytes indices;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    indices.push_back(x < width / 2 ? static_cast<uint8_t>(f + 1) : 0);
                }
            }
            gif.push_back(picture_bytes::Frame(indices, 10, 0));
        }
        AddPicture(name + ".gif", picture_bytes::Gif(width, height, kFacePalette, gif));
        return visual->GetResourceFrame(name.c_str(), 0);
    }

    // Registers a control under the visual object.
    template <class Control>
    Control* Register() {
        auto* control = new Control;
        visual->Register(control);
        return control;
    }

    void MoveTo(int x, int y) { input->OnMouseMove(x, y, 0); }
    void Press(int x, int y) { input->OnLButtonDown(x, y, platform::kMouseFlagLeft); }
    void Release(int x, int y) { input->OnLButtonUp(x, y, 0); }
    // Move, press and release at one point, then a frame.
    void ClickAt(int x, int y) {
        MoveTo(x, y);
        Press(x, y);
        Release(x, y);
        Frame();
    }

    // What reached the owner object, by event id.
    std::vector<int> OwnerEvents() const {
        std::vector<int> ids;
        for (const Delivery& d : log) {
            if (d.receiver == owner->GetId()) {
                ids.push_back(d.event);
            }
        }
        return ids;
    }
    std::vector<std::string> Sounds() const {
        std::vector<std::string> names;
        for (const PlayedSound& s : music->played) {
            names.push_back(s.name);
        }
        return names;
    }
    // A bound input event as the input module delivers it: with a snapshot
    // of the mouse at (x, y).
    int Deliver(CCorvaneObject* control, int event, int x, int y) {
        snapshot = InputState{};
        snapshot.mouseX = x;
        snapshot.mouseY = y;
        return control->OnEvent(MakeEventRecord(control->GetId(), event, 0, EventParam(&snapshot)));
    }

    platform::RecordingInputBackend backend;
    InputModule* input = nullptr;
    RecordingObject* owner = nullptr;
    InputState snapshot;
};

// Pixels of the canvas that show the colour (0x00BBGGRR) with some alpha.
inline int CountPixels(const CCorvaneCanvas& canvas, uint32_t colour) {
    int count = 0;
    for (int y = 0; y < canvas.GetCanvasHeight(); ++y) {
        for (int x = 0; x < canvas.GetCanvasWidth(); ++x) {
            count += canvas.GetAlpha(x, y) != 0 && canvas.GetPixel(x, y) == colour;
        }
    }
    return count;
}

using Ids = std::vector<int>;
using Names = std::vector<std::string>;
