// Message-queue costs: posting and taking on one thread, and a synchronous
// send to a window owned by another thread (the round trip a socket thread's
// owner pays per SendMessage).

#include <benchmark/benchmark.h>

#include "platform/Messages.h"

namespace {

using namespace platform;

constexpr char kClass[] = "Bench Window";
constexpr uint32_t kMsgPing = kMsgUser + 1;

// Posts a batch to the calling thread, then takes it back.
void BM_PostThenGetOneThread(benchmark::State& state) {
    EnsureMessageQueue();
    const ThreadId me = CurrentThreadId();
    const auto batch = static_cast<int>(state.range(0));
    Message m;
    for (auto _ : state) {
        for (int i = 0; i < batch; ++i) {
            PostThreadMessage(me, kMsgPing, static_cast<WParam>(i), 0);
        }
        for (int i = 0; i < batch; ++i) {
            GetMessage(m);
            benchmark::DoNotOptimize(m.wParam);
        }
    }
    state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_PostThenGetOneThread)->Arg(1)->Arg(64);

// A window on a thread of its own that answers kMsgPing with wParam + 1.
class EchoWindow : public Window {
public:
    LResult WindowProc(uint32_t id, WParam wParam, LParam lParam) override {
        if (id == kMsgPing) {
            return static_cast<LResult>(wParam) + 1;
        }
        return Window::WindowProc(id, wParam, lParam);
    }
};

void BM_SendAcrossThreadsRoundTrip(benchmark::State& state) {
    RegisterWindowClass(kClass);
    EchoWindow window;
    Event ready(Event::Mode::ManualReset);
    Thread owner;
    owner.Start([&] {
        window.Create(kClass);
        ready.Set();
        Message m;
        while (GetMessage(m)) {
            DispatchMessage(m);
        }
        window.Destroy();
    });
    ready.Wait();
    const WindowId id = window.Id();
    WParam n = 0;
    for (auto _ : state) {
        const LResult r = SendMessage(id, kMsgPing, n, 0);
        if (r != static_cast<LResult>(n) + 1) {
            state.SkipWithError("wrong answer");
            break;
        }
        ++n;
    }
    state.SetItemsProcessed(state.iterations());
    PostThreadMessage(owner.Id(), kMsgQuit, 0, 0);
    owner.Join();
}
BENCHMARK(BM_SendAcrossThreadsRoundTrip)->UseRealTime();

}  // namespace
