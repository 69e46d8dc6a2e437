// The player's own line from the input bar to the game server: the real side
// panel in an engine window, text typed into its input bar as a user types
// it, and a real connection to the loopback test server, which gets the
// chat request with the typed bytes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ui/CorvaneEdit.h"
#include "frame/net/GameConnection.h"
#include "frame/panels/InputBar.h"
#include "platform/SdlEvents.h"
#include "platform/System.h"
#include "tests/frame_panels/SidePanelFixture.h"
#include "tests/zep/SocketTestSupport.h"
#include "tools/test_server/FrameScript.h"
#include "zep/ZepSocketUtils.h"

namespace side_panel_test {
namespace {

using testserver::FrameScript;
using testserver::TestGameServer;

constexpr uint32_t kChatRequest = 201211;
constexpr size_t kChatTextOffset = 48;

class ServerApp : public PanelApp {
public:
    CGameConnection* GetConnection() override { return &connection; }
    CGameConnection connection;
};

class InputBarServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        ZepRegisterSocketWindowClass();
        platform::SetScreenForTesting({0, 0, kSceneWidth, kSceneHeight + 30},
                                      {0, 0, kSceneWidth, kSceneHeight});
        ASSERT_TRUE(server.Start());
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = kOwnId;
        fields.chairNo = 0;
        app.SetLaunchFields(fields);
        launch.room.options = RoomInfo::kOptionSilverRoom;
        launch.table.tableNo = 4;
        launch.seats = {MakeLaunchUser(kOwnId, 0, "甲"), MakeLaunchUser(101, 1, "乙")};
        ASSERT_TRUE(app.InitGameData(launch.Build()));

        app.connection.SetupTransform();
        app.connection.SetNotifyThread(owner.Id());
        int proxyFailed = 0;
        ASSERT_EQ(app.connection.ConnectServer("", "127.0.0.1", server.Port(), proxyFailed), 1);
        ASSERT_TRUE(server.WaitForClients(1, 5000));

        auto clock = time.MakeClock();
        clock->Reset(5000);
        wnd = std::make_unique<CCorvaneWnd>(std::move(clock));
        ASSERT_EQ(
            wnd->Create("游戏", platform::kStyleVisible, 0, {0, 0, kSceneWidth, kSceneHeight}, 0),
            1);
        app.SetMainWindow(wnd->Id());
        auto* resources = new ResourceModule;
        for (const auto& [name, width, height] :
             std::vector<std::tuple<std::string, int, int>>{{"SystemUserListBar", 300, 24},
                                                            {"UserListBlock", 300, 20},
                                                            {"SystemInputBar", 300, 60},
                                                            {"InputBarBoxBK", 200, 24},
                                                            {"btnQuickChat", 40, 20},
                                                            {"btnSendChat", 20, 20}}) {
            images.push_back(SolidPng(width, height, 0x808080));
            resources->AddMemoryResource(name + ".png", images.back().data(), images.back().size());
        }
        view = new PanelFrameView(&lines);
        app.AttachFrameView(view);
        ASSERT_EQ(wnd->Initialize(view, resources), 1);
        Frame();
        ASSERT_NE(view->bars, nullptr);
    }
    void TearDown() override {
        wnd.reset();
        app.DetachFrameView();
        app.connection.Close();
        platform::ResetScreenForTesting();
    }
    void Frame() {
        platform::Message m;
        while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
            platform::DispatchMessage(m);
        }
        time.AdvanceMs(11);
        wnd->RunFrame();
    }
    void Step(bool ok) {
        ASSERT_TRUE(ok);
        Frame();
    }

    TestGameServer server;
    FrameScript script{server};
    zeptest::OwnerThread owner;
    ServerApp app;
    LaunchRecordBuilder launch;
    ManualTime time;
    std::vector<picture_bytes::Bytes> images;
    std::unique_ptr<CCorvaneWnd> wnd;
    PanelFrameView* view = nullptr;
    std::vector<std::string> lines;
};

TEST_F(InputBarServerTest, TypedGbkTextAndEnterReachTheServerAsTheChatRequest) {
    auto* input = dynamic_cast<CInputBar*>(view->bars->FindObjectByName("InputBar"));
    ASSERT_NE(input, nullptr);
    CCorvaneEdit* edit = input->GetEditBox();
    ASSERT_NE(edit, nullptr);
    const int x = static_cast<int>(edit->GetX());
    const int y = static_cast<int>(edit->GetY());
    Step(platform::SynthesizeMouseMove(wnd->Id(), x, y));
    Step(platform::SynthesizeMouseButton(wnd->Id(), platform::MouseButton::Left, true, x, y));
    Step(platform::SynthesizeMouseButton(wnd->Id(), platform::MouseButton::Left, false, x, y));
    Step(platform::SynthesizeText(wnd->Id(), "你好abc"));
    Step(platform::SynthesizeKey(wnd->Id(), platform::kKeyReturn, true));
    Step(platform::SynthesizeKey(wnd->Id(), platform::kKeyReturn, false));

    ASSERT_TRUE(script.WaitForCount(kChatRequest, 1, 5000));
    const std::vector<uint8_t> body = script.LastBody(kChatRequest);
    const std::string sent = "你好abc";
    ASSERT_GE(body.size(), kChatTextOffset + sent.size() + 1);
    EXPECT_EQ(std::string(body.begin() + kChatTextOffset,
                          body.begin() + kChatTextOffset + static_cast<long>(sent.size())),
              sent);
    EXPECT_EQ(body[kChatTextOffset + sent.size()], 0);
    // The input box is empty again once the line went out.
    EXPECT_EQ(input->HasInputText(), 0);
}

}  // namespace
}  // namespace side_panel_test
