#pragma once
// Helpers for the paint module tests: a core on a hand-driven clock with a
// resource module holding pictures from memory, the painter, and a notice
// recorder; logs go to a temporary program folder.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/GameCore.h"
#include "engine/GdiPaintModule.h"
#include "engine/ResourceModule.h"
#include "platform/Display.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/platform/PictureBytes.h"

class PaintTest : public ::testing::Test {
protected:
    PaintTest() {
        auto clock = time.MakeClock();
        clock->Reset(5000);
        core = std::make_unique<GameCore>(std::move(clock));
    }
    ~PaintTest() override {
        core.reset();
        platform::SetDisplayDepthForTesting(0);
    }

    // Starts the core on the window (none: not started), then loads the
    // resource module, the notice recorder and the painter; the display
    // pretends the depth (0: the real one) until the test ends.
    void Boot(platform::WindowId window = 0, int displayDepth = 0) {
        platform::SetDisplayDepthForTesting(displayDepth);
        if (window != 0) {
            core->Start(window);
        }
        resources = new ResourceModule;
        EXPECT_EQ(core->LoadModule(resources, 1, 1), kEngineOk);
        notices = new RecordingModule(kFailureNoticeModuleId, "Notices");
        notices->answer = 0;
        EXPECT_EQ(core->LoadModule(notices, 1, 0), kEngineOk);
        paint = new GdiPaintModule;
        EXPECT_EQ(core->LoadModule(paint, 1, 1), kEngineOk);
    }

    void AddPicture(const std::string& name, const picture_bytes::Bytes& bytes) {
        EXPECT_FALSE(resources->AddMemoryResource(name, bytes.data(), bytes.size()).IsNull());
    }

    TempProgramFolder folder;
    ManualTime time;
    std::unique_ptr<GameCore> core;
    ResourceModule* resources = nullptr;
    RecordingModule* notices = nullptr;
    GdiPaintModule* paint = nullptr;
};

// An RGB PNG whose pixel (x, y) has red 10 * x + 1, green 10 * y + 1 and
// blue `blue`.
inline picture_bytes::Bytes GradientPng(int width, int height, uint8_t blue) {
    picture_bytes::Bytes samples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            samples.insert(samples.end(), {static_cast<uint8_t>(10 * x + 1),
                                           static_cast<uint8_t>(10 * y + 1), blue});
        }
    }
    return picture_bytes::Png(width, height, 2, samples);
}

// Pixel (x, y) of a 32-bit buffer `width` pixels wide, as 0xAARRGGBB.
inline uint32_t PixelOf(const uint8_t* buffer, int width, int x, int y) {
    const uint8_t* p = buffer + (static_cast<size_t>(y) * width + x) * 4;
    return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[1]) << 8 | p[0];
}
