// The application's start and end: the log, the launch line, the
// communication thread and the connection before any window exists; the
// main window; entering the room or the match once the hall's launch record
// is in; leaving.

#include <cstdio>

#include "frame/GameFrameApp.h"
#include "frame/GameFrameWnd.h"
#include "platform/BlockingSleep.h"
#include "platform/Dialogs.h"
#include "platform/ImageDecoder.h"
#include "platform/Screen.h"
#include "platform/SdlWindow.h"
#include "platform/TextCodec.h"
#include "platform/WebHelperBackend.h"
#include "zep/ZepLog.h"
#include "zep/ZepSocketUtils.h"

namespace {

// The daily log "Game<date>.log" in the program folder.
constexpr char kLogStem[] = "Game";
constexpr uint32_t kLogOptions = 0xA001D;

constexpr uint32_t kMainFrameStyle = 0x23080000;
// The window rectangle asked for leaves room for two captions (the window
// then covers the work area whatever it asks).
constexpr int kCaptionHeight = 23;

// How long a display that does not answer yet is waited for.
constexpr uint32_t kDisplayWaitMs = 2000;
// The program's exit code when it has no display to show its window on.
constexpr int kNoDisplayExitCode = 1;

constexpr uint32_t kConnectFailureMs = 2000;
constexpr uint32_t kVersionFailureMs = 3000;
constexpr uint32_t kEnterFailureMs = 2000;
constexpr uint32_t kQuitTextMs = 5000;

constexpr char kCommThreadFailed[] = "通讯线程创建失败。";
constexpr char kConnecting[] = "正在连接游戏服务器......";
constexpr char kServerUnreachable[] = "无法连接游戏服务器，请稍后再试。";

std::string ProxyUnreachable(const std::string& host) {
    char text[256];
    std::snprintf(text, sizeof text, "无法连接代理服务器【%s】，请检查设置是否正确。",
                  host.c_str());
    return text;
}

// Pages inside the client's windows show through the web helper when a
// display can show them; otherwise they stay with the recording back end.
void InstallWebBackend() {
    if (platform::CanShowWebPages()) {
        platform::SetWebBackend(std::make_unique<platform::WebHelperBackend>(
            platform::WebHelperBackend::Options{platform::DefaultWebHelperPath()}));
    }
}

}  // namespace

bool CGameFrameApp::InitInstance() {
    ZepLogInit(kLogStem, kLogOptions);
    InstallWebBackend();
    if (commandLine_.empty()) {
        commandLine_ = CommandLine();
    }
    if (!ParseLaunchCommandLine()) {
        return false;
    }
    ZepRegisterSocketWindowClass();
    BuildSidePanelButtons();
    // The wait dialog decodes its skin on the communication thread, and
    // start-up failures show it before any main window exists: the codecs
    // start and the display is taken here, before that thread runs.
    if (!platform::StartPictureCodecs()) {
        ZepLog("start-up: a picture codec did not start");
    }
    if (!OpenDisplay()) {
        return false;
    }
    if (!StartCommThread()) {
        ZepLog("%s", kCommThreadFailed);
        platform::ShowMessageBox(0, kCommThreadFailed, "",
                                 platform::kBoxOk | platform::kBoxIconError);
        return false;
    }
    return ConnectServer() != 0;
}

int CGameFrameApp::ExitInstance() {
    CloseConnection();
    StopCommThread();
    platform::SetWebBackend(nullptr);  // the helper quits with its link
    platform::GiveBackDisplay();
    ZepLogTerm();
    ZepUnregisterSocketWindowClass();
    return platform::Application::ExitInstance();
}

bool CGameFrameApp::OpenDisplay() {
    const platform::DisplayOpening display = platform::OpenDisplay(kDisplayWaitMs);
    if (display.opened) {
        return true;
    }
    // Without a window the user has nothing to see nor to close: the start
    // fails where it was asked for, and the hall learns it as it does a
    // failed connection.
    TellStartFailure(platform::Utf8ToGbkDroppingUnmapped("cannot open " + display.display + ": " +
                                                         display.error));
    NotifyHallLeaving(0);
    SetExitCode(kNoDisplayExitCode);
    return false;
}

void CGameFrameApp::TellStartFailure(const std::string& text) {
    ZepLog("start-up: %s", text.c_str());
    platform::WriteStandardErrorLine(GetGameCode() + ": " + text);
}

int CGameFrameApp::FailStartUp(const std::string& text, uint32_t sleepMs) {
    TellStartFailure(text);
    PostToCommThread(text, true);
    platform::BlockingSleep(sleepMs);
    NotifyHallLeaving(0);
    return 0;
}

int CGameFrameApp::ConnectServer() {
    if (offline_) {
        return 1;
    }
    PostToCommThread(kConnecting, true);
    CGameConnection* connection = GetConnection();
    if (connection == nullptr) {
        ZepLog("ConnectServer: the game has no connection");
        return FailStartUp(kServerUnreachable, kConnectFailureMs);
    }
    connection->ReadProxySettings(GetHallIniFile().c_str());
    connection->SetupTransform();
    connection->SetNotifyThread(GetCommThreadId());
    int proxyFailed = 0;
    if (connection->ConnectServer("", launch_.serverHost.c_str(), launch_.serverPort,
                                  proxyFailed) == 0) {
        return FailStartUp(
            proxyFailed == 1 ? ProxyUnreachable(connection->GetProxyHost()) : kServerUnreachable,
            kConnectFailureMs);
    }
    std::string text;
    if (connection->CheckVersion(text, requiredVersion_, requiredSubVersion_) == 0) {
        return FailStartUp(text, kVersionFailureMs);
    }
    connection->GetActiveConfig();
    HideWaitText();
    return 1;
}

int CGameFrameApp::CreateMainFrame() {
    return OpenMainFrame(std::make_unique<CGameFrameWnd>());
}

int CGameFrameApp::OpenMainFrame(std::unique_ptr<CGameFrameWnd> window) {
    const platform::ScreenRect screen = platform::PrimaryScreenRect();
    const platform::ScreenRect rect{0, 0, screen.right - screen.left,
                                    screen.bottom - screen.top - 2 * kCaptionHeight};
    if (window == nullptr ||
        window->Create(GetGameName().c_str(), kMainFrameStyle, 0, rect, 0) == 0) {
        ZepLog("CreateMainFrame: the main window could not be made");
        return 0;
    }
    mainFrame_ = std::move(window);
    SetMainWindow(mainFrame_->Id());
    if (std::unique_ptr<CGameFrameView> view = CreateFrameView()) {
        CGameFrameView* root = view.release();
        // Known before the engine lays the views out for the first time: the
        // parts placed from the main game rectangle read it through the
        // application.
        AttachFrameView(root);
        if (mainFrame_->Initialize(root) == 0) {
            DetachFrameView();
            delete root;  // not taken
            ZepLog("CreateMainFrame: the engine did not take the frame view");
        } else if (mainFrame_->GetRootObject() != root) {
            DetachFrameView();
            ZepLog("CreateMainFrame: the engine has no object module for the frame view");
        }
        // Else the engine's; forgotten when the window goes.
    } else {
        ZepLog("CreateMainFrame: the game made no frame view");
    }
    if (platform::TopLevelWindow* top = mainFrame_->GetTopLevel()) {
        top->Show(true);
    }
    platform::BringWindowToFront(mainFrame_->Id());
    RegisterGameWindow(mainFrame_->Id());
    return 1;
}

CGameFrameWnd* CGameFrameApp::GetMainFrame() const {
    return mainFrame_ != nullptr && mainFrame_->Id() != 0 ? mainFrame_.get() : nullptr;
}

void CGameFrameApp::CloseMainFrame() {
    mainFrame_.reset();
}

int CGameFrameApp::EnterGame() {
    return IsMatch() ? EnterMatch() : EnterRoom();
}

int CGameFrameApp::EnterRoom() {
    return EnterWith(false);
}

int CGameFrameApp::EnterMatch() {
    return EnterWith(true);
}

int CGameFrameApp::EnterWith(bool match) {
    if (offline_) {
        return 1;
    }
    CGameConnection* connection = GetConnection();
    std::string text;
    int entered = 0;
    if (connection != nullptr) {
        entered = match ? connection->MatchLogin(text) : connection->EnterGame(text);
    }
    if (entered == 0) {
        ZepLog("%s: %s", match ? "EnterMatch" : "EnterRoom", text.c_str());
        PostToCommThread(text, true);
        platform::BlockingSleep(kEnterFailureMs);
        platform::PostMessage(GetMainWindow(), platform::kMsgClose, 0, 0);
        return 0;
    }
    HideWaitText();
    if (!match) {
        if (CGameFrameWnd* frame = GetMainFrame()) {
            frame->StartReportTimer();
        }
    }
    return 1;
}

void CGameFrameApp::LeaveTableAndClose() {
    if (CGameConnection* connection = GetConnection()) {
        connection->LeaveTable(GetUserID(), GetMyChairNo());
    }
    CloseConnection();
}

void CGameFrameApp::ShowTextAndQuit(const std::string& text) {
    PostToCommThread(text, true);
    platform::BlockingSleep(kQuitTextMs);
    HideWaitText();
    platform::PostMessage(GetMainWindow(), platform::kMsgClose, 0, 0);
}
