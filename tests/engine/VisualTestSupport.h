#pragma once
// A headless engine for the visual object's tests: a core on a hand-driven
// clock with the resource module, a notice recorder, the real painter on an
// 800 x 600 back buffer, the object module (with its text renderer), a music
// module that records what it is asked to play, and one registered visual
// object whose facade the tests call.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/CorvaneVisual.h"
#include "engine/MusicModule.h"
#include "engine/ObjectModule.h"
#include "platform/Display.h"
#include "tests/engine/PaintTestSupport.h"
#include "tests/engine/SceneTestSupport.h"

struct PlayedSound {
    std::string name;
    int plays;
    EventRecord notification;
};

// Needs no audio device: every play is only recorded.
class RecordingMusicModule : public MusicModule {
public:
    int Init() override { return 1; }
    uint32_t PlaySound(std::string_view name, int plays, const EventRecord* notification) override {
        played.push_back({std::string(name), plays, notification ? *notification : EventRecord{}});
        return 7;
    }
    std::vector<PlayedSound> played;
};

class VisualTest : public PaintTest {
protected:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;

    ~VisualTest() override { core.reset(); }

    void SetUp() override {
        platform::RegisterWindowClass("VisualTestWindow");
        ASSERT_TRUE(window.Create("VisualTestWindow"));
        Boot(window.Id());
        objects = new ObjectModule;
        ASSERT_EQ(core->LoadModule(objects, 1, 0), kEngineOk);
        music = new RecordingMusicModule;
        ASSERT_EQ(core->LoadModule(music, 1, 0), kEngineOk);
        ASSERT_TRUE(paint->SetBufferSize(kWidth, kHeight));
        objects->SetSceneCentre(kWidth / 2, kHeight / 2);
        objects->SetSceneSize(kWidth, kHeight);
        visual = new CCorvaneVisual;
        objects->RegisterObject(visual, nullptr);
    }

    // Advances the clock and runs one engine frame.
    void Frame(int64_t ms = 30) {
        time.AdvanceMs(ms);
        core->RunFrame();
    }
    void Frames(int count, int64_t ms = 30) {
        for (int i = 0; i < count; ++i) {
            Frame(ms);
        }
    }

    // A shown object that logs what reaches it.
    RecordingObject* Make(double x = 100, double y = 100, double w = 20, double h = 20) {
        auto* object = new RecordingObject(&log, &deaths);
        objects->RegisterObject(object, nullptr);
        object->SetSize(w, h);
        object->SetPos(x, y);
        object->Show();
        object->Invalidate();
        return object;
    }

    // An animated GIF of `frames` one-pixel-high frames, 100 ms each, made a
    // shown picture.
    CCorvanePicture* MakeAnimation(const std::string& name, int frames) {
        std::vector<picture_bytes::GifFrame> gif;
        for (int i = 0; i < frames; ++i) {
            gif.push_back(picture_bytes::Frame({static_cast<uint8_t>(i % 3), 0}, 10, -1));
        }
        AddPicture(name + ".gif", picture_bytes::Gif(2, 1, {255, 0, 0, 0, 255, 0, 0, 0, 255}, gif));
        CCorvanePicture* picture = visual->CreatePicture(visual->GetResourceFrame(name.c_str(), 0));
        picture->Show();
        return picture;
    }

    // Deliveries of one event id, in order.
    std::vector<Delivery> Of(int event) const {
        std::vector<Delivery> out;
        for (const Delivery& d : log) {
            if (d.event == event) {
                out.push_back(d);
            }
        }
        return out;
    }

    platform::Window window;
    ObjectModule* objects = nullptr;
    RecordingMusicModule* music = nullptr;
    CCorvaneVisual* visual = nullptr;
    std::vector<Delivery> log;
    int deaths = 0;
};
