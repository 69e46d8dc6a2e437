#pragma once
// The side panel's bars in an engine window on SDL's dummy video driver: the
// real side panel ("SubSystem"), observed, holds the bars each test adds and
// handles the events they send it; a launched silver-room table stands
// behind them, with a connection that writes down the transfers it is asked
// for.

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/LaunchRecordBuilder.h"
#include "frame/panels/ChatBox.h"
#include "frame/panels/EmoticonPanel.h"
#include "frame/panels/InputBar.h"
#include "platform/Dialogs.h"
#include "platform/Input.h"
#include "platform/Screen.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame_panels/PanelWindow.h"
#include "zep/ZepWire.h"

namespace bars_test {

inline constexpr int kSceneWidth = 800;
inline constexpr int kSceneHeight = 600;
inline constexpr int32_t kOwnId = 100;
inline constexpr int32_t kOwnSilver = 5000;

// The transfers the bars ask for, as "200042 <amount>" and so on, and the
// chat lines sent; the replies are set by the test.
class TransferConnection : public ScriptedConnection {
public:
    int SendChatText(std::string_view message) override {
        chat.emplace_back(message);
        return 1;
    }
    int TransferOutOfGame(std::string& text, int32_t& amount, uint32_t& result) override {
        sent.push_back("200042 " + std::to_string(amount));
        result = 0;
        text = saveFails ? "您的划帐数额超过现在拥有的金额。" : "";
        return saveFails ? 0 : 1;
    }
    int TransferIntoGame(std::string& text, int32_t amount, int32_t answer) override {
        sent.push_back("200041 " + std::to_string(amount) + " " + std::to_string(answer));
        text.clear();
        return 1;
    }
    int QueryTake(std::string& text, std::span<int32_t> out, uint32_t& result) override {
        sent.push_back("200043");
        std::fill(out.begin(), out.end(), 0);
        if (!hasPassword) {
            result = 60000;
            text = "no protection";
            return 0;
        }
        result = 10;
        out[1] = calcNumber;
        return 1;
    }
    int QuerySafeBox(std::string& text, std::span<uint8_t> out) override {
        sent.push_back("200040");
        std::fill(out.begin(), out.end(), 0);
        text.clear();
        if (out.size() >= 8) {
            ZepWireWriter writer(out);
            writer.WriteI32(kOwnId);
            writer.WriteI32(safeBoxSilver);
        }
        return 1;
    }
    std::vector<std::string> sent;
    std::vector<std::string> chat;  // the lines sent as the player's chat
    int32_t safeBoxSilver = 12345;
    bool saveFails = false;
    bool hasPassword = false;
    int32_t calcNumber = 123456789;
};

class BarApp : public TestFrameApp {
public:
    CGameConnection* GetConnection() override { return &transfers; }
    using CGameFrameApp::BuildSidePanelButtons;
    using CGameFrameApp::InitGameData;
    TransferConnection transfers;
};

class BarWindowTest : public PanelWindowTest {
protected:
    void SetUp() override {
        // Clicks further apart than a double click.
        clickGapMs = 600;
        platform::SetScreenForTesting({0, 0, kSceneWidth, kSceneHeight + 30},
                                      {0, 0, kSceneWidth, kSceneHeight});
        platform::SetMessageBoxSink([this](const platform::MessageBoxRequest& request) {
            boxes.emplace_back(request.text);
            return 1;
        });
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = kOwnId;
        fields.chairNo = 0;
        app.SetLaunchFields(fields);
        launch.room.options = RoomInfo::kOptionSilverRoom;
        launch.room.flags = RoomInfo::kFlagSafeBoxInGame;
        launch.table.tableNo = 4;
        UserRecord own = MakeLaunchUser(kOwnId, 0, "甲");
        own.silver = kOwnSilver;
        launch.seats = {own, MakeLaunchUser(101, 1, "乙")};
        AddImage("SystemInputBar", 300, 60, 0x202020);
        AddImage("InputBarBoxBK", 200, 24, 0xe0e0e0);
        AddImage("btnQuickChat", 80, 20, 0x00a000);
        AddImage("btnSendChat", 20, 20, 0xa00000);
        AddImage("btnFace", 120, 20, 0x0000a0);
        AddImage("qe保险箱按钮", 120, 20, 0x00a0a0);
        AddImage("SystemChatBox1", 40, 10, 0x303030);
        AddImage("SystemChatBox2", 40, 10, 0x404040);
    }
    void TearDown() override {
        CloseWindow();
        app.DetachFrameView();
        platform::SetMessageBoxSink(nullptr);
        platform::ResetScreenForTesting();
    }

    void Open() {
        ASSERT_TRUE(app.InitGameData(launch.Build()));
        side = new BareSystemBars;
        OpenWindow(side, "bars", {0, 0, kSceneWidth, kSceneHeight});
        side->SetName("SubSystem");
        side->SetViewRect({0, 0, kSceneWidth, kSceneHeight});
        Deliver();
    }
    void WindowCreated() override { app.SetMainWindow(Id()); }

    // A bar as the side panel makes it: registered (which makes its parts),
    // then sized, placed and laid out.
    template <class Bar>
    Bar* AddBar(double x, double y, double width, double height, Bar* bar = new Bar) {
        side->Register(bar);
        bar->Create();  // a second make changes nothing
        bar->SetSize(width, height);
        bar->SetPos(x, y);
        bar->Relayout();
        return bar;
    }
    // A system-bar button as the side panel makes it: its engine name, its
    // click to the side panel, handed to the input bar.
    CCorvaneButton* AddSystemButton(CInputBar& bar, const char* image, const char* name,
                                    int event) {
        auto* button = new CCorvaneButton;
        side->Register(button);
        FrameRecord face;
        side->GetResourceFrame(&face, image, 0);
        const EventRecord notify = MakeEventRecord(side->GetId(), event, 0, 0);
        button->Create(face, &notify, 0, 4);
        button->SetName(name);
        button->Show();
        bar.AddButton(button);
        return button;
    }

    // The safe-box button in the bar's row and the quick-silver menu built
    // as the side panel builds it (hidden); the button.
    CCorvaneButton* AddQuickSilverMenu(CInputBar& bar) {
        CCorvaneButton* button = AddSystemButton(bar, "qe保险箱按钮", "系统栏划银按钮", 19840399);
        bar.Layout();
        bar.LoadFixDeposit();
        bar.ShowQuickDepositPopup(100, 20);
        return button;
    }

    BarApp app;
    LaunchRecordBuilder launch;
    BareSystemBars* side = nullptr;  // the engine's once opened
    std::vector<std::string> boxes;
};

}  // namespace bars_test
