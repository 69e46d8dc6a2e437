// The wait dialog on a real X server: while the loopback test server holds
// a reply for three seconds and the UI thread blocks in the request, two
// screenshots 400 ms apart show the dialog with its bands moved.

#include "frame/WaitDialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "frame/GameFrameApp.h"
#include "frame/net/GameConnection.h"
#include "platform/SdlWindow.h"
#include "platform/Sync.h"
#include "tests/window/Pixels.h"
#include "tests/window/XServer.h"
#include "tools/test_server/FrameScript.h"
#include "zep/ZepSocketUtils.h"

namespace {

constexpr uint32_t kHeldRequest = 200040;
// Long enough for both screenshots also on a busy machine.
constexpr uint32_t kHoldMs = 6000;

class WaitDialogApp : public CGameFrameApp {
public:
    WaitDialogApp() : CGameFrameApp("pvbn", 21265, 13, 1) {}
    int GetPlayerCount() override { return 4; }
    CGameConnection* GetConnection() override { return &connection; }
    CGameConnection connection;
};

TEST(RealWaitDialog, ItsBandsMoveWhileTheServerHoldsAReply) {
    std::string serverError;
    const window_test::XServer* running = window_test::RunningXServer(serverError);
    if (running == nullptr) {
        GTEST_SKIP() << "Xvfb cannot start here: " << serverError;
    }
    const window_test::XServer& server = *running;
    ASSERT_TRUE(platform::TakeDisplay());
    ZepRegisterSocketWindowClass();

    testserver::TestGameServer gameServer;
    testserver::FrameScript::Options options;
    options.onRequest = [](const testserver::FrameScript::Recorded& request) {
        if (request.id == kHeldRequest) {
            platform::SleepMs(kHoldMs);  // the answer goes out after this
        }
    };
    testserver::FrameScript script(gameServer, options);
    ASSERT_TRUE(gameServer.Start());

    auto app = std::make_unique<WaitDialogApp>();
    ASSERT_TRUE(app->StartCommThread());
    CGameConnection& connection = app->connection;
    connection.SetupTransform();
    connection.SetNotifyThread(app->GetCommThreadId());
    int proxyFailed = 0;
    ASSERT_EQ(connection.ConnectServer("", "127.0.0.1", gameServer.Port(), proxyFailed), 1);
    ASSERT_TRUE(gameServer.WaitForClients(1, 5000));

    // The screenshots are taken on another thread while this one blocks.
    std::optional<window_test::WindowImage> first;
    std::optional<window_test::WindowImage> second;
    int originX = -1;
    int originY = -1;
    std::thread camera([&] {
        unsigned long window = 0;
        for (int i = 0; i < 400 && (window == 0 || !server.IsMapped(window)); ++i) {
            platform::SleepMs(10);
            window = server.FindWindow(CWaitDialog::kTitle);
        }
        if (window == 0) {
            return;
        }
        platform::SleepMs(300);  // the first frame is on the screen
        first = server.Read(window);
        platform::SleepMs(400);
        second = server.Read(window);
        server.Origin(window, originX, originY);
    });

    app->ShowWaitText("正在查询保险箱......", 0);
    std::string text;
    std::array<uint8_t, 32> safeBox{};
    const uint32_t start = platform::GetTickCount32();
    EXPECT_EQ(connection.QuerySafeBox(text, safeBox), 1) << text;
    EXPECT_GE(platform::GetTickCount32() - start, kHoldMs - 100);
    camera.join();

    ASSERT_TRUE(first.has_value()) << "no wait dialog on the X server";
    ASSERT_TRUE(second.has_value());
    CWaitDialog sizes("", {});
    ASSERT_EQ(first->width, sizes.Width());
    ASSERT_EQ(first->height, sizes.Height());
    EXPECT_EQ(originX, (800 - sizes.Width()) / 2);
    EXPECT_EQ(originY, (600 - sizes.Height()) / 2);
    EXPECT_EQ(first->At(0, 0), window_test::AsShown(CWaitDialog::kFaceColor));

    // The bar shows the six default bands in both, rotated between them.
    const CWaitDialog::Rect bar = sizes.BarRect();
    const int step = bar.width / 6;
    int moved = 0;
    for (int i = 0; i < 6; ++i) {
        const int x = bar.left + i * step + step / 2;
        const int y = bar.top + bar.height / 2;
        moved += first->At(x, y) != second->At(x, y) ? 1 : 0;
    }
    EXPECT_GE(moved, 4) << "the bands stood still";
    const uint32_t peak = window_test::AsShown(CWaitDialog::kDefaultBarForeground);
    auto hasPeak = [&](const window_test::WindowImage& image) {
        for (int i = 0; i < 6; ++i) {
            if (image.At(bar.left + i * step + step / 2, bar.top + 1) == peak) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(hasPeak(*first));
    EXPECT_TRUE(hasPeak(*second));

    connection.Close();
    app.reset();
    platform::GiveBackDisplay();
}

}  // namespace
