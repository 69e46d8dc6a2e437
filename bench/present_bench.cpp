// One frame of the engine window with a single 20 x 20 sprite moving over a
// filled background, at 800 x 600 and 1280 x 720: the object module's
// frame, the painter's composition and upload, and the paint that shows it.
// Side by side: the same frame when the whole window has to be repainted
// (as after an expose), the most a frame can cost.
//
// BM_LiveMovingSprite runs the window's own message loop with the real
// clock for two seconds and reports the share of one core the process used
// (cpu_share); BM_LiveIdle does the same with the sprite standing still. Under SDL's dummy driver
// nothing reaches a screen; to measure a real window, run it with SDL_VIDEODRIVER=x11 and DISPLAY
// on an X server.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <utility>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneView.h"
#include "engine/CorvaneWnd.h"
#include "engine/EngineClock.h"
#include "engine/ObjectModule.h"
#include "platform/Display.h"
#include "platform/Messages.h"
#include "platform/SdlWindow.h"
#include "platform/Sync.h"

namespace {

constexpr int kSpriteSide = 20;
constexpr uint32_t kBackgroundColor = 0x406020;  // 0x00BBGGRR
constexpr uint32_t kSpriteColor = 0x30A0F0;

// Milliseconds that move only when told.
struct HandTime {
    int64_t ms = 0;
    std::unique_ptr<EngineClock> MakeClock() {
        return std::make_unique<EngineClock>(
            EngineClockSources{[this] { return ms * 1000; }, [] { return int64_t{1000000}; },
                               [this] { return static_cast<uint32_t>(ms); }});
    }
};

// The engine window with its scene: a filled background and one sprite that
// steps one pixel to the right (wrapping) on every frame.
class SpriteWindow : public CCorvaneWnd {
public:
    SpriteWindow(int width, int height,
                 std::unique_ptr<EngineClock> clock = std::make_unique<EngineClock>(),
                 bool moving = true)
        : CCorvaneWnd(std::move(clock)), width_(width), moving_(moving) {
        Create("sprite", platform::kStyleVisible | platform::kStyleOverlappedWindow, 0,
               {20, 20, 20 + width, 20 + height}, 0);
        auto* view = new CCorvaneView;
        Initialize(view);
        view->FillBackground(kBackgroundColor);
        view->InvalidateAll();
        sprite_ = view->CreateCanvas(kSpriteSide, kSpriteSide, 0xFF00FF);
        sprite_->SetPenColor(kSpriteColor, 1.0);
        sprite_->DrawRect(0, 0, kSpriteSide, kSpriteSide, 1);
        sprite_->Show();
        x_ = kSpriteSide;
        Place();
    }
    ~SpriteWindow() override { Destroy(); }

    void RunFrame() override {
        if (moving_) {
            x_ = x_ + 1 >= width_ - kSpriteSide ? kSpriteSide : x_ + 1;
            Place();
        }
        CCorvaneWnd::RunFrame();
    }

    // Every message waiting for the window (the paint a frame asks for).
    static void Deliver() {
        platform::Message m;
        while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
            platform::DispatchMessage(m);
        }
    }

private:
    void Place() {
        sprite_->SetPos(x_, 100);
        sprite_->Invalidate();
    }

    int width_;
    bool moving_;
    int x_ = 0;
    CCorvaneCanvas* sprite_ = nullptr;
};

void Frames(benchmark::State& state, bool wholeWindow) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    HandTime time;
    SpriteWindow window(width, height, time.MakeClock());
    SpriteWindow::Deliver();
    auto* objects = dynamic_cast<ObjectModule*>(window.GetCore()->FindModule(kObjectModuleId));
    for (auto _ : state) {
        time.ms += 11;  // past the object module's interval: one drawn frame
        if (wholeWindow) {
            objects->RedrawAll();
        }
        window.RunFrame();
        SpriteWindow::Deliver();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_FrameOneMovingSprite(benchmark::State& state) {
    Frames(state, false);
}

void BM_FrameWholeWindow(benchmark::State& state) {
    Frames(state, true);
}

// The window's own message loop on the real clock for two seconds.
void Live(benchmark::State& state, bool moving) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    SpriteWindow window(width, height, std::make_unique<EngineClock>(), moving);
    double cpuSeconds = 0;
    double wallSeconds = 0;
    for (auto _ : state) {
        const std::clock_t cpuStart = std::clock();
        const uint32_t wallStart = platform::GetTickCount32();
        platform::Message m;
        while (platform::GetTickCount32() - wallStart < 2000 && platform::GetMessage(m)) {
            platform::DispatchMessage(m);
        }
        cpuSeconds += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        wallSeconds += (platform::GetTickCount32() - wallStart) / 1000.0;
    }
    state.counters["cpu_share"] = wallSeconds > 0 ? cpuSeconds / wallSeconds : 0;
}

void BM_LiveMovingSprite(benchmark::State& state) {
    Live(state, true);
}

void BM_LiveIdle(benchmark::State& state) {
    Live(state, false);
}

}  // namespace

BENCHMARK(BM_FrameOneMovingSprite)
    ->Args({800, 600})
    ->Args({1280, 720})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameWholeWindow)->Args({800, 600})->Args({1280, 720})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LiveMovingSprite)
    ->Args({800, 600})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveIdle)
    ->Args({800, 600})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
