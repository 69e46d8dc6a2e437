// The client's side of the cross-process fake hall test: started by the fake
// hall with its launch line, it registers its window, reads the launch record
// with the application object, asks for the sign, reports what it read as a
// page for the hall to open, and leaves.

#include <cstdio>
#include <string>

#include "frame/HallRecords.h"
#include "platform/ExportedWindows.h"
#include "platform/Thread.h"
#include "tests/frame/FrameDoubles.h"

namespace {

constexpr uint32_t kStop = platform::kMsgApp + 1;
constexpr uint32_t kWaitMs = 5000;

// Hands dwData 1 to InitGameData and dwData 14 to the sign query.
class PeerWindow : public platform::Window {
public:
    explicit PeerWindow(TestFrameApp& app) : app_(app) {}
    ~PeerWindow() override { Destroy(); }
    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override {
        if (id != platform::kMsgCopyData) {
            return platform::Window::WindowProc(id, wParam, lParam);
        }
        const auto& record = *reinterpret_cast<const platform::CopyDataRecord*>(lParam);
        const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(record.lpData),
                                             record.cbData);
        if (record.dwData == kHallDataSignAnswer) {
            app_.OnHallSignAnswer(bytes);
        } else if (record.dwData == kHallDataLaunch) {
            const auto plain = DecipherHallRecord(bytes);
            launched = plain && app_.InitGameData(*plain) ? 1 : 0;
        }
        return 1;
    }
    int launched = -1;

private:
    TestFrameApp& app_;
};

}  // namespace

int main(int argc, char** argv) {
    TestFrameApp app;
    app.SetCommandLine(JoinCommandLine(argc, argv));
    if (!app.ParseLaunchCommandLine()) {
        return 2;
    }
    platform::RegisterWindowClass("HallClientPeer");
    PeerWindow frame(app);
    if (!frame.Create("HallClientPeer") || !platform::ExportWindow(frame.Id(), {})) {
        return 3;
    }
    // The sign answer comes to a window of another thread while the UI thread waits.
    platform::Thread signThread;
    platform::Event ready(platform::Event::Mode::ManualReset);
    std::atomic<platform::WindowId> signWindow{0};
    signThread.StartWithQueue([&] {
        PeerWindow window(app);
        window.Create("HallClientPeer");
        platform::ExportWindow(window.Id(), {});
        signWindow = window.Id();
        ready.Set();
        platform::Message message;
        while (platform::GetMessage(message) && message.id != kStop) {
            platform::DispatchMessage(message);
        }
    });
    ready.Wait();
    app.SetSignAnswerWindow(signWindow);
    app.SetMainWindow(frame.Id());
    app.RegisterGameWindow(frame.Id());

    const uint32_t start = platform::GetTickCount32();
    while (frame.launched < 0 && platform::GetTickCount32() - start < kWaitMs) {
        platform::Message message;
        if (platform::WaitMessage(50) &&
            platform::PeekMessage(message, platform::PeekMode::Remove)) {
            platform::DispatchMessage(message);
        }
    }
    const std::string sign = app.GetHallSign();
    const std::string report = "launched=" + std::to_string(frame.launched) +
                               "&chair=" + std::to_string(app.GetMyChairNo()) +
                               "&table=" + std::to_string(app.GetTableNo()) +
                               "&seated=" + std::to_string(app.GetTablePlayerCount()) +
                               "&port=" + std::to_string(app.GetServerPort()) + "&sign=" + sign;
    app.OpenUrlInHall(report, 1);
    app.NotifyHallLeaving(frame.Id());
    platform::PostThreadMessage(signThread.Id(), kStop, 0, 0);
    signThread.Join(kWaitMs);
    return 0;
}
