// A client of the frame library for end-to-end runs and the demo: the real
// game connection, the frame window and the communication thread, with the
// test doubles in the game's place (a frame view that paints one colour and
// enters the room, a notification handler that records).
//
// It takes the hall's launch line as its command line, as the game does.
// The environment adds:
//   PVBN_TEST_CLIENT_FOLDER   its program folder (game settings, daily log)
//   PVBN_TEST_CLIENT_RECORD   a file it appends a line to for each thing it
//                             did: "<pid> launch ...", "<pid> view <call>",
//                             "<pid> notify <id> <length>", "<pid> exit <code>"
//   PVBN_TEST_CLIENT_RELAUNCH when "1", a lost connection makes a client that
//                             was not itself relaunched start again on exit
//                             (as the mahjong layer will ask)

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <unistd.h>

#include "frame/GameFrameApp.h"
#include "frame/GameFrameWnd.h"
#include "frame/net/GameConnection.h"
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
    TestClientApp() : CGameFrameApp("pvbn", 21265, 13, 1) {}

    int GetPlayerCount() override { return 4; }
    CGameConnection* GetConnection() override { return &connection_; }
    CGameNotifyHandler* GetNotifyHandler() override { return &handler_; }
    CGameTableData* GetTableData() override { return &tableData_; }
    std::unique_ptr<CGameFrameView> CreateFrameView() override {
        auto view = std::make_unique<ObservedFrameView>();
        view->onCall = [](const std::string& call) { LogLine("view " + call); };
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
    CGameTableData tableData_;
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
