// Own chat from the keyboard to the loopback test server and back: the text
// typed into the real side panel's input bar and sent with Enter reaches the
// server as 201211 with the typed bytes, and the server's 211200 echo
// becomes the "我说" line.

#include <gtest/gtest.h>

#include "engine/ui/CorvaneEdit.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "frame/panels/InputBar.h"
#include "platform/Input.h"
#include "tests/frame_panels/SidePanelFixture.h"
#include "tests/zep/SocketTestSupport.h"
#include "tools/test_server/FrameScript.h"

namespace side_panel_test {
namespace {

constexpr uint32_t kWaitMs = 10000;

class OwnChatEndToEndTest : public SidePanelTest {
protected:
    void SetUp() override {
        SidePanelTest::SetUp();
        ZepRegisterSocketWindowClass();
        ASSERT_TRUE(server.Start());
        connection.SetupTransform();
        connection.SetNotifyThread(owner.Id());
        int proxyFailed = 0;
        ASSERT_EQ(connection.ConnectServer("", "127.0.0.1", server.Port(), proxyFailed), 1);
        ASSERT_TRUE(server.WaitForClients(1, 5000));
        app.realConnection = &connection;
    }
    void TearDown() override {
        app.realConnection = nullptr;
        connection.Close();
        SidePanelTest::TearDown();
    }

    zeptest::OwnerThread owner;
    testserver::TestGameServer server;
    testserver::FrameScript script{server};
    CGameConnection connection;
};

TEST_F(OwnChatEndToEndTest, TypedChatReachesTheServerAndItsEchoIsTheIsaidLine) {
    AddImage("InputBarBoxBK", 160, 26, 0xffffff);
    Open();
    Bars().SetIntSetting(50013, 1234);
    auto* input = dynamic_cast<CInputBar*>(Bars().FindObjectByName("InputBar"));
    ASSERT_NE(input, nullptr);
    CCorvaneEdit* edit = input->GetEditBox();
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(edit->IsVisible());
    ClickOn(edit);
    EXPECT_EQ(edit->HasFocus(), 1);
    Type("你好abc");
    Frame();
    char* typed = edit->GetText();
    const std::string typedText = typed != nullptr ? typed : "";
    FreeEventBlock(typed);
    ASSERT_EQ(typedText, "你好abc");
    Key(platform::kKeyReturn);

    ASSERT_TRUE(script.WaitForCount(frame_requests::kChatText, 1, kWaitMs));
    const std::vector<uint8_t> body = script.LastBody(frame_requests::kChatText);
    ASSERT_EQ(body.size(), 128u);
    EXPECT_EQ(RecordTextAt(body, 48, 80), "你好abc");
    EXPECT_EQ(WordAt(body, 0), kOwnId);

    ASSERT_TRUE(owner.WaitFor(1));
    const std::vector<zeptest::Delivered> notes = owner.Received();
    ASSERT_EQ(notes[0].code, 211200u);
    TakeLines();
    app.handler.dispatch = true;
    app.GetNotifyHandler()->OnNotify(211200, notes[0].data.data(), notes[0].data.size());
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{"view  <c=1234>我说: 你好abc\r\n"}));
}

TEST_F(OwnChatEndToEndTest, TypedGbkTextAndEnterReachTheServerAsTheChatRequest) {
    AddImage("InputBarBoxBK", 200, 24, 0x808080);
    AddImage("btnQuickChat", 40, 20, 0x808080);
    AddImage("btnSendChat", 20, 20, 0x808080);
    Open();
    auto* input = dynamic_cast<CInputBar*>(Bars().FindObjectByName("InputBar"));
    ASSERT_NE(input, nullptr);
    CCorvaneEdit* edit = input->GetEditBox();
    ASSERT_NE(edit, nullptr);
    TypeInto(edit, "你好abc");
    Key(platform::kKeyReturn);

    ASSERT_TRUE(script.WaitForCount(frame_requests::kChatText, 1, kWaitMs));
    const std::vector<uint8_t> body = script.LastBody(frame_requests::kChatText);
    const std::string sent = "你好abc";
    constexpr size_t kChatTextOffset = 48;
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
