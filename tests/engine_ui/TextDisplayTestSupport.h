#pragma once
// The toolkit test engine (see ToolkitTestSupport.h) with what the text
// displays and panels need besides: 32-bit picture strips whose frames are
// filled with distinct colours, clicks on an object's centre, and reads of
// the composed back buffer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "tests/engine/ImageRecordFactory.h"
#include "tests/engine_ui/ToolkitTestSupport.h"

class UiSceneTest : public ToolkitTest {
protected:
    // The opaque colour (0x00BBGGRR) of frame i of a strip.
    static uint32_t FrameColour(int i) {
        return 0x004000FFu + static_cast<uint32_t>(i) * 0x00101000u;
    }

    // A picture of `frames` frames of width x height, frame i filled with
    // FrameColour(i), cached in the paint module under `name`.
    void AddStrip(const std::string& name, int width, int height, int frames) {
        OwnedRecord strip;
        Make32(*strip, width, height, frames, kImageAlpha, [&](int, int y) {
            const uint32_t c = FrameColour(y / height);
            return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
        });
        ASSERT_NE(paint->AddImage(&*strip, name), 0);
    }

    // Move, press and release on the object's centre, with the frames that
    // deliver them.
    void Click(CCorvaneObject* object) {
        const int x = static_cast<int>(object->GetX());
        const int y = static_cast<int>(object->GetY());
        MoveTo(x, y);
        Frame();
        Press(x, y);
        Release(x, y);
        Frame();
    }

    // 0x00BBGGRR of a pixel of the composed back buffer (the scene fills the
    // buffer, so scene and client pixels are the same).
    uint32_t ScreenColour(int x, int y) const {
        const uint32_t argb = PixelOf(paint->GetComposePixels(), kWidth, x, y);
        return (argb & 0xFF) << 16 | (argb & 0xFF00) | (argb >> 16 & 0xFF);
    }

    // Whether a pixel of the rectangle (default: all) is not transparent and
    // not the colour (text is drawn smoothed, so its pixels are blends).
    static bool InkIn(const CCorvaneCanvas& canvas, uint32_t except = 0xFFFFFFFF, int x1 = 0,
                      int y1 = 0, int x2 = 65535, int y2 = 65535) {
        for (int y = y1; y < std::min(y2, canvas.GetCanvasHeight()); ++y) {
            for (int x = x1; x < std::min(x2, canvas.GetCanvasWidth()); ++x) {
                if (canvas.GetAlpha(x, y) != 0 && canvas.GetPixel(x, y) != except) {
                    return true;
                }
            }
        }
        return false;
    }
    static bool HasInk(const CCorvaneCanvas& canvas) { return InkIn(canvas); }

    // A row of the canvas as runs of {strip frame (-1 transparent or
    // another colour), length}.
    static Ids Runs(const CCorvaneCanvas& canvas, int y) {
        Ids runs;
        for (int x = 0; x < canvas.GetCanvasWidth(); ++x) {
            int frame = -1;
            for (int i = 0; i < 10 && canvas.GetAlpha(x, y) != 0; ++i) {
                frame = canvas.GetPixel(x, y) == FrameColour(i) ? i : frame;
            }
            if (runs.empty() || runs[runs.size() - 2] != frame) {
                runs.insert(runs.end(), {frame, 0});
            }
            ++runs.back();
        }
        return runs;
    }
};
