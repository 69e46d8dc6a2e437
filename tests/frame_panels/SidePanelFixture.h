#pragma once
// The side panel in an engine window on SDL's dummy video driver: the real
// frame view of a test application with a real CSystemBars as its
// "SubSystem" child, a skin the test draws, a connection that writes down
// the requests the panel sends, and a container that writes down every
// chat-pane line.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/LaunchRecordBuilder.h"
#include "frame/panels/SystemBars.h"
#include "frame/panels/UserListBar.h"
#include "platform/Input.h"
#include "platform/Screen.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame_panels/PanelWindow.h"

namespace side_panel_test {

inline constexpr int kSceneWidth = 1024;
inline constexpr int kSceneHeight = 738;
inline constexpr int32_t kOwnId = 100;

// The lines the container writes, as "line <text>" (the chat box's AddLine)
// or "view <text>" (straight into the rich-text view).
class RecordingSystemBars : public CSystemBars {
public:
    explicit RecordingSystemBars(std::vector<std::string>* lines) : lines_(lines) {}
    void AppendToChatView(const std::string& text) override {
        lines_->push_back("view " + text);
        CSystemBars::AppendToChatView(text);
    }
    void AddChatBoxLine(const std::string& text) override {
        lines_->push_back("line " + text);
        CSystemBars::AddChatBoxLine(text);
    }

private:
    std::vector<std::string>* lines_;
};

// The frame view whose side panel is a recording CSystemBars, or the panel
// a test makes (a derived panel).
class PanelFrameView : public ObservedFrameView {
public:
    explicit PanelFrameView(std::vector<std::string>* lines) : lines_(lines) {}
    void OnCreateEnd() override {
        bars = makeBars ? makeBars() : new RecordingSystemBars(lines_);
        if (configure) {
            configure(*bars);
        }
        SetSubSystem(bars);
    }
    std::function<CSystemBars*()> makeBars;
    std::function<void(CSystemBars&)> configure;
    CSystemBars* bars = nullptr;

private:
    std::vector<std::string>* lines_;
};

// A connection that writes down the requests the side panel sends.
class PanelConnection : public ScriptedConnection {
public:
    int SendChatText(std::string_view message) override {
        sent.push_back("201211 " + std::string(message));
        return 1;
    }
    int CallPlayer(int32_t userId) override {
        sent.push_back("201200 " + std::to_string(userId));
        return 1;
    }
    int SetLookOnPermission(int32_t userId, int32_t allow) override {
        sent.push_back("229560 " + std::to_string(userId) + " " + std::to_string(allow));
        return refuse ? 0 : 1;
    }
    int RequestUserInfo(int32_t userId) override {
        sent.push_back("201230 " + std::to_string(userId));
        return 1;
    }
    std::vector<std::string> sent;
    bool refuse = false;
};

class PanelApp : public TestFrameApp {
public:
    // The real connection when a test gives one, else the recording double.
    CGameConnection* GetConnection() override {
        return realConnection != nullptr ? realConnection
                                         : static_cast<CGameConnection*>(&panelConnection);
    }
    CGameConnection* realConnection = nullptr;
    int HandleChatCommand(const char* text) override {
        commands.emplace_back(text);
        return consumeCommands ? 1 : 0;
    }
    using CGameFrameApp::InitGameData;
    PanelConnection panelConnection;
    std::vector<std::string> commands;
    bool consumeCommands = false;
};

class SidePanelTest : public PanelWindowTest {
protected:
    void SetUp() override {
        platform::SetScreenForTesting({0, 0, kSceneWidth, kSceneHeight + 30},
                                      {0, 0, kSceneWidth, kSceneHeight});
        platform::SetInputBackend(&input);
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = kOwnId;
        fields.chairNo = 0;
        app.SetLaunchFields(fields);
        launch.room.options = RoomInfo::kOptionSilverRoom;
        SetFieldText(launch.room.areaName, "测试区");
        SetFieldText(launch.room.roomName, "新手房");
        launch.table.tableNo = 4;
        launch.seats = {MakeLaunchUser(kOwnId, 0, "甲"), MakeLaunchUser(101, 1, "乙")};
        // The skin the panel's heights come from.
        AddImage("SystemUserListBar", 300, 24, 0x404040);
        AddImage("UserListBlock", 300, 20, 0x808080);
        AddImage("SystemInputBar", 300, 60, 0x202020);
    }
    void TearDown() override {
        CloseWindow();
        app.DetachFrameView();
        platform::SetInputBackend(nullptr);
        platform::ResetScreenForTesting();
    }

    // Applies the launch record, then opens the engine window with the view.
    void Open(std::function<void(CSystemBars&)> configure = nullptr) {
        ASSERT_TRUE(app.InitGameData(launch.Build()));
        view = new PanelFrameView(&lines);
        view->makeBars = makeBars;
        view->configure = std::move(configure);
        app.AttachFrameView(view);
        OpenWindow(view, "游戏", {0, 0, kSceneWidth, kSceneHeight});
        ASSERT_NE(view->bars, nullptr);
    }
    void WindowCreated() override { app.SetMainWindow(Id()); }

    CSystemBars& Bars() { return *view->bars; }
    int Send(int event, intptr_t param1 = 0, intptr_t param2 = 0) {
        return Bars().OnEvent(MakeEventRecord(Bars().GetId(), event, param1, param2));
    }
    CUserListBar* UserList() {
        return dynamic_cast<CUserListBar*>(Bars().FindObjectByName("UserListBar"));
    }
    CUserListCtrl* Rows() {
        CUserListBar* bar = UserList();
        return bar != nullptr ? bar->GetRowsControl() : nullptr;
    }
    // Lines written since the last call.
    std::vector<std::string> TakeLines() {
        std::vector<std::string> taken;
        taken.swap(lines);
        return taken;
    }

    // Makes the side panel in place of the recording CSystemBars when set.
    std::function<CSystemBars*()> makeBars;
    PanelApp app;
    LaunchRecordBuilder launch;
    platform::RecordingInputBackend input;
    PanelFrameView* view = nullptr;  // the engine's once opened
    std::vector<std::string> lines;
};

}  // namespace side_panel_test
