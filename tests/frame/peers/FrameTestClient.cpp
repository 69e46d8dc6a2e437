// A client of the frame library for end-to-end runs and the demo: the real
// game connection, the frame window, the communication thread and the frame
// view, with test stand-ins in the game's place (recording children of the
// view, a notification handler that records, boxes that answer at once as a
// player who confirms would); the side panel is the real one.
//
// It takes the hall's launch line as its command line, as the game does.
// The environment adds:
//   PVBN_TEST_CLIENT_FOLDER   its program folder (game settings, daily log)
//   PVBN_TEST_CLIENT_RECORD   a file it appends a line to for each thing it
//                             did: "<pid> launch ...", "<pid> view <call>",
//                             "<pid> notify <id> <length>", "<pid> exit <code>",
//                             "<pid> MainGame <event>", "<pid> SubSystem <event>"
//   PVBN_TEST_CLIENT_RELAUNCH when "1", a lost connection makes a client that
//                             was not itself relaunched start again on exit
//                             (as the mahjong layer will ask)
//   PVBN_TEST_CLIENT_SKIN     a folder of skin pictures the view loads before
//                             it paints
// Each box the view opens is written down as "<pid> box <kind> <text>"; an
// information box answers with its first record, a force-quit box confirms
// with the reason "测试".

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <unistd.h>

#include "engine/ui/CorvaneEdit.h"
#include "frame/GameFrameApp.h"
#include "frame/GameFrameWnd.h"
#include "frame/net/GameConnection.h"
#include "frame/panels/ForceQuitBox.h"
#include "frame/panels/FramePanels.h"
#include "frame/panels/QeRepBar.h"
#include "frame/panels/SystemBars.h"
#include "frame/panels/SystemInfoBox.h"
#include "platform/Files.h"
#include "tests/frame/FrameDoubles.h"
#include "zep/ZepLog.h"

namespace {

std::string EnvText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// One line of the record file, written whole.
void LogLine(const std::string& text) {
    static const std::string path = EnvText("PVBN_TEST_CLIENT_RECORD");
    if (path.empty()) {
        return;
    }
    if (std::FILE* file = std::fopen(path.c_str(), "ab")) {
        const std::string line = std::to_string(::getpid()) + " " + text + "\n";
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
}

// The real information box, whose player presses confirm as soon as it
// shows.
class ConfirmingInfoBox : public CSystemInfoBox {
public:
    void ShowBox(const char* text, const EventRecord* first, const EventRecord* second, int seconds,
                 int style, const char* picture, const char* confirmImage,
                 const char* cancelImage) override {
        CSystemInfoBox::ShowBox(text, first, second, seconds, style, picture, confirmImage,
                                cancelImage);
        LogLine("box info " + std::string(text != nullptr ? text : ""));
        PostEvent(MakeEventRecord(GetId(), kEventConfirm, 0, 0));
    }
};

// The real force-quit box, whose player types a reason and confirms.
class ConfirmingForceQuitBox : public CForceQuitBox {
public:
    void ShowForceQuit(const char* text, const EventRecord& confirm, const EventRecord& cancel,
                       int kind) override {
        CForceQuitBox::ShowForceQuit(text, confirm, cancel, kind);
        LogLine("box force-quit " + std::string(text != nullptr ? text : ""));
    }
    void SetReasonLimit(int bytes) override {
        CForceQuitBox::SetReasonLimit(bytes);
        if (CCorvaneEdit* reason = GetReasonEdit()) {
            reason->InsertText("测试");
        }
        PostEvent(MakeEventRecord(GetId(), kEventConfirm, 0, 0));
    }
};

// The side panel, writing down every event it takes.
class LoggingSystemBars : public CSystemBars {
public:
    int OnEvent(const EventRecord& record) override {
        LogLine("SubSystem " + std::to_string(record.event));
        return CSystemBars::OnEvent(record);
    }
};

// The view, loading the test's skin before it paints; its side panel is the
// real one, made as the game's view makes it.
class SkinnedFrameView : public ObservedFrameView {
public:
    void OnCreateBegin() override {
        if (const std::string skin = EnvText("PVBN_TEST_CLIENT_SKIN"); !skin.empty()) {
            LogLine("skin " + std::to_string(AddResourceFolder(skin.c_str())));
        }
    }
    void OnCreateEnd() override {
        if (const auto& make = PanelFactories().systemBars) {
            SetSubSystem(make());
        }
    }
};

class RecordingHandler : public RecordingNotifyHandler {
public:
    void OnNotify(int32_t id, const void* data, size_t length) override {
        LogLine("notify " + std::to_string(id) + " " + std::to_string(length));
        RecordingNotifyHandler::OnNotify(id, data, length);
    }
};

// The frame window; asks for a relaunch when the connection is lost and the
// environment says so.
class TestClientWnd : public CGameFrameWnd {
public:
    void OnDisconnected() override {
        CGameFrameApp* app = CGameFrameApp::Current();
        if (app != nullptr && EnvText("PVBN_TEST_CLIENT_RELAUNCH") == "1" && !app->IsRelaunched()) {
            LogLine("relaunch");
            app->SetRelaunchOnExit(true);
            app->CloseConnection();
            platform::PostMessage(Id(), platform::kMsgClose, 0, 0);
            return;
        }
        CGameFrameWnd::OnDisconnected();
    }
};

class TestClientApp : public CGameFrameApp {
public:
    TestClientApp() : CGameFrameApp("pvbn", 21265, 13, 1) {
        FramePanelFactories factories = MakeFramePanelFactories();
        factories.infoBox = [] { return new ConfirmingInfoBox; };
        factories.forceQuitBox = [] { return new ConfirmingForceQuitBox; };
        factories.systemBars = [] { return new LoggingSystemBars; };
        SetFramePanelFactories(std::move(factories));
        SetReplayBarFactory(MakeQeRepBar);
    }

    int GetPlayerCount() override { return 4; }
    CGameConnection* GetConnection() override { return &connection_; }
    CGameNotifyHandler* GetNotifyHandler() override { return &handler_; }
    CGameTableData* GetTableData() override { return &tableData_; }
    std::unique_ptr<CGameFrameView> CreateFrameView() override {
        auto view = std::make_unique<SkinnedFrameView>();
        view->onCall = [](const std::string& call) { LogLine("view " + call); };
        view->mainGame.onEvent = [](int event) { LogLine("MainGame " + std::to_string(event)); };
        return view;
    }
    int CreateMainFrame() override { return OpenMainFrame(std::make_unique<TestClientWnd>()); }

protected:
    bool InitInstance() override {
        const bool started = CGameFrameApp::InitInstance();
        const LaunchFields& launch = GetLaunchFields();
        LogLine("launch lookon=" + std::to_string(launch.lookOn) + " relaunched=" +
                std::to_string(launch.relaunched) + " table=" + std::to_string(launch.tableNo) +
                " chair=" + std::to_string(launch.chairNo) +
                " port=" + std::to_string(launch.serverPort) + " started=" + (started ? "1" : "0"));
        return started && CreateMainFrame() != 0;
    }

private:
    CGameConnection connection_;
    RecordingHandler handler_;
    FrameTableData tableData_;
};

}  // namespace

int main(int argc, char** argv) {
    if (const std::string folder = EnvText("PVBN_TEST_CLIENT_FOLDER"); !folder.empty()) {
        platform::SetProgramFolderForTesting(folder.back() == '/' ? folder : folder + "/");
    }
    int code = 0;
    {
        TestClientApp app;
        code = app.Run(argc, argv);
    }  // a relaunch starts here
    LogLine("exit " + std::to_string(code));
    return code;
}
