#pragma once
// The side panel's bars in an engine window on SDL's dummy video driver: a
// recording "SubSystem" view holds them as the side panel does, answers the
// events they send it the way the side panel's table does, and writes each
// down; a launched silver-room table stands behind them, with a connection
// that writes down the transfers it is asked for. Input reaches the window
// as a user's would (SdlEvents.h); frames run on a hand-driven clock.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/CorvaneWnd.h"
#include "engine/EngineEvents.h"
#include "engine/ObjectModule.h"
#include "engine/ResourceModule.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/LaunchRecordBuilder.h"
#include "frame/panels/ChatBox.h"
#include "frame/panels/EmoticonPanel.h"
#include "frame/panels/InputBar.h"
#include "platform/Dialogs.h"
#include "platform/Input.h"
#include "platform/Screen.h"
#include "platform/SdlEvents.h"
#include "platform/SdlWindow.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame_panels/SidePanelFixture.h"
#include "tests/platform/PictureBytes.h"
#include "zep/ZepWire.h"

namespace bars_test {

inline constexpr int kSceneWidth = 800;
inline constexpr int kSceneHeight = 600;
inline constexpr int32_t kOwnId = 100;
inline constexpr int32_t kOwnSilver = 5000;

// One event the side panel got, with its text parameter when it had one.
struct SideEvent {
    int event = 0;
    std::string text;
    intptr_t param1 = 0;
    intptr_t param2 = 0;
};

// The side panel as the bars see it: it runs what its table runs for the
// bars' events and writes each event down.
class RecordingSubSystem : public CCorvaneView {
public:
    int OnEvent(const EventRecord& record) override {
        SideEvent seen{record.event, {}, record.param1, record.param2};
        switch (record.event) {
            case kEventSendChat:
                seen.text = EventParamPointer<const char>(record.param1);
                FreeEventBlock(EventParamPointer<char>(record.param1));
                break;
            case kEventEmoticonChosen:
            case kEventEmoticonToInput:
            case kEventQuickPhrase:
                seen.text = EventParamPointer<const char>(record.param1);
                break;
            default:
                break;
        }
        events.push_back(seen);
        switch (record.event) {
            case kEventInputBoxCommand:
                if (auto* bar = Find<CInputBar>("InputBar"))
                    bar->InputBoxCommand();
                break;
            case kEventToggleQuickChat:
                if (auto* bar = Find<CInputBar>("InputBar"))
                    bar->TogglePopupList();
                break;
            case kEventQuickPhrase:
                if (CCorvaneObject* list = FindObjectById(static_cast<int>(record.param2))) {
                    list->Hide();
                    list->Invalidate();
                }
                break;
            case 19840396:
                if (auto* box = Find<CChatBox>("ChatBox"))
                    box->ShowEmoticonPanel();
                break;
            case 19840399:
                if (auto* bar = Find<CInputBar>("InputBar")) {
                    bar->HandleSafeBoxButton(1);
                    bar->LoadFixDeposit();
                    bar->RefreshAmounts();
                }
                break;
            default:
                break;
        }
        return 1;
    }
    template <class T>
    T* Find(const char* name) {
        return dynamic_cast<T*>(FindObjectByName(name));
    }
    std::vector<SideEvent> Of(int event) const {
        std::vector<SideEvent> found;
        for (const SideEvent& e : events) {
            if (e.event == event) {
                found.push_back(e);
            }
        }
        return found;
    }
    std::vector<SideEvent> events;
};

// The transfers the bars ask for, as "200042 <amount>" and so on; the
// replies are set by the test.
class TransferConnection : public ScriptedConnection {
public:
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

using side_panel_test::SolidPng;

class BarWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
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
        wnd.reset();
        app.DetachFrameView();
        platform::SetMessageBoxSink(nullptr);
        platform::ResetScreenForTesting();
    }

    void AddImage(const std::string& name, int width, int height, uint32_t color) {
        images.emplace_back(name + ".png", SolidPng(width, height, color));
    }

    void Open() {
        ASSERT_TRUE(app.InitGameData(launch.Build()));
        auto clock = time.MakeClock();
        clock->Reset(5000);
        wnd = std::make_unique<CCorvaneWnd>(std::move(clock));
        ASSERT_EQ(
            wnd->Create("bars", platform::kStyleVisible, 0, {0, 0, kSceneWidth, kSceneHeight}, 0),
            1);
        app.SetMainWindow(wnd->Id());
        auto* resources = new ResourceModule;
        for (const auto& [name, bytes] : images) {
            resources->AddMemoryResource(name, bytes.data(), bytes.size());
        }
        side = new RecordingSubSystem;
        ASSERT_EQ(wnd->Initialize(side, resources), 1);
        side->SetName("SubSystem");
        side->SetViewRect({0, 0, kSceneWidth, kSceneHeight});
        Deliver();
    }

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

    void Deliver() {
        platform::Message m;
        while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
            platform::DispatchMessage(m);
        }
    }
    void Frame() {
        Deliver();
        time.AdvanceMs(11);
        wnd->RunFrame();
        Deliver();
    }
    void RunMs(int ms) {
        for (int t = 0; t < ms; t += 11) {
            Frame();
        }
    }
    platform::WindowId Id() const { return wnd->Id(); }

    // As a user does it, a frame after each step.
    void MoveTo(int x, int y) {
        ASSERT_TRUE(platform::SynthesizeMouseMove(Id(), x, y));
        Frame();
    }
    void Press(platform::MouseButton button, int x, int y) {
        MoveTo(x, y);
        ASSERT_TRUE(platform::SynthesizeMouseButton(Id(), button, true, x, y));
        Frame();
        ASSERT_TRUE(platform::SynthesizeMouseButton(Id(), button, false, x, y));
        Frame();
        // Clicks further apart than a double click.
        RunMs(600);
    }
    void Click(int x, int y) { Press(platform::MouseButton::Left, x, y); }
    void RightClick(int x, int y) { Press(platform::MouseButton::Right, x, y); }
    void ClickOn(CCorvaneObject& object) {
        Click(static_cast<int>(object.GetX()), static_cast<int>(object.GetY()));
    }
    void Type(const char* gbk) {
        ASSERT_TRUE(platform::SynthesizeText(Id(), gbk));
        Frame();
    }
    void Key(int virtualKey) {
        ASSERT_TRUE(platform::SynthesizeKey(Id(), virtualKey, true));
        Frame();
        ASSERT_TRUE(platform::SynthesizeKey(Id(), virtualKey, false));
        Frame();
    }

    BarApp app;
    LaunchRecordBuilder launch;
    ManualTime time;
    std::vector<std::pair<std::string, picture_bytes::Bytes>> images;
    std::unique_ptr<CCorvaneWnd> wnd;
    RecordingSubSystem* side = nullptr;  // the engine's once opened
    std::vector<std::string> boxes;
};

}  // namespace bars_test
