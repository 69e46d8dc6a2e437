#include "tests/game/support/GameWindow.h"

#include "frame/FrameFunctions.h"
#include "frame/GameFrameWnd.h"
#include "frame/LaunchRecordBuilder.h"
#include "frame/net/GameNotifyHandler.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"
#include "platform/Dialogs.h"
#include "platform/Profile.h"
#include "platform/Screen.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/game/support/ClientReadings.h"
#include "tools/test_server/TestGameServer.h"
#include "zep/ZepSocketUtils.h"

namespace game_test {

const char* WindowSeatName(int chair) {
    static const char* const kNames[] = {"东家", "南家", "西家", "北家"};
    return chair >= 0 && chair < 4 ? kNames[chair] : "";
}

namespace {

LaunchRecordBuilder FourSeatLaunch(const GameWindowOptions& options) {
    LaunchRecordBuilder builder;
    builder.room.roomId = kWindowRoomId;
    builder.room.options = options.silverRoom ? RoomInfo::kOptionSilverRoom : 0;
    SetFieldText(builder.room.advertHost, options.advertHost);
    builder.table.tableNo = kWindowTableNo;
    builder.table.seatCount = 4;
    for (int chair = 0; chair < 4; ++chair) {
        UserRecord user = MakeLaunchUser(WindowUserOf(chair), chair, WindowSeatName(chair));
        user.tableNo = kWindowTableNo;
        user.characterId = chair + 1;
        builder.seats.push_back(user);
    }
    if (options.lookOn) {
        UserRecord looker = MakeLaunchUser(WindowUserOf(9), options.ownChair, "看客", 1);
        looker.tableNo = kWindowTableNo;
        builder.lookers.push_back(looker);
    }
    return builder;
}

}  // namespace

GameWindow::GameWindow() = default;

GameWindow::~GameWindow() {
    if (opened_) {
        CRegionalMahjongApp::Instance()->ResetForTesting();
        Run(20);
        platform::ResetScreenForTesting();
        platform::SetMessageBoxSink({});
    }
    folder_.reset();
}

bool GameWindow::Open(const GameWindowOptions& options) {
    options_ = options;
    folder_ = std::make_unique<ProgramFolder>(options.folder);
    if (!folder_->Ok()) {
        error_ = folder_->Error();
        return false;
    }
    opened_ = true;
    platform::SetScreenForTesting({0, 0, options.width, options.height},
                                  {0, 0, options.width, options.height});
    platform::SetMessageBoxSink([](const platform::MessageBoxRequest&) { return 1; });
    ZepRegisterSocketWindowClass();

    CRegionalMahjongApp& app = App();
    LaunchFields fields;
    fields.gameId = kWindowGameId;
    fields.userId = options.lookOn ? WindowUserOf(9) : WindowUserOf(options.ownChair);
    fields.tableNo = kWindowTableNo;
    fields.chairNo = options.ownChair;
    fields.hallRoomId = kWindowRoomId;
    fields.lookOn = options.lookOn ? 1 : 0;
    fields.serverHost = "127.0.0.1";
    app.SetLaunchFields(fields);
    if (!app.InitGameData(FourSeatLaunch(options).Build())) {
        error_ = "the launch record was refused";
        return false;
    }
    if (app.CreateMainFrame() == 0 || app.GetMainFrame() == nullptr) {
        error_ = "the main window was not made";
        return false;
    }
    if (!RunUntil([this] { return View() != nullptr; })) {
        error_ = "the main window made no regional table view";
        return false;
    }
    Run(50);
    return true;
}

bool GameWindow::MakeHallUserFolder() {
    if (!folder_->Write("hall/users/.keep", "")) {
        error_ = "no hall users folder";
        return false;
    }
    platform::WritePrivateProfileString("SYSTEM", "ExePath",
                                        (folder_->Path() + "hall/x.exe").c_str(),
                                        GetHallSettingsFile().c_str());
    return true;
}

bool GameWindow::ConnectTo(testserver::TestGameServer& server) {
    CRegionalMahjongApp& app = App();
    LaunchFields fields = app.GetLaunchFields();
    fields.serverPort = server.Port();
    fields.roomOptions |= RoomInfo::kOptionSilverRoom;
    fields.roomFlags |= RoomInfo::kFlagSafeBoxInGame;
    app.SetLaunchFields(fields);
    if (!app.StartCommThread()) {
        error_ = "the communication thread did not start";
        return false;
    }
    app.RegisterGameWindow(app.GetMainWindow());
    if (app.ConnectServer() != 1 || !server.WaitForClients(1, kWindowWaitMs)) {
        error_ = "the table did not connect to the server";
        return false;
    }
    if (app.EnterGame() != 1) {
        error_ = "the table did not enter the game";
        return false;
    }
    return true;
}

CRegionalMahjongApp& GameWindow::App() {
    return *CRegionalMahjongApp::Instance();
}

CRegionalTableView* GameWindow::View() {
    return dynamic_cast<CRegionalTableView*>(App().GetGameView());
}

CRegionalTableData* GameWindow::TableData() {
    return App().GetTableData();
}

void GameWindow::Deliver(int32_t id, std::span<const uint8_t> record) {
    if (CGameNotifyHandler* handler = App().GetNotifyHandler()) {
        handler->OnNotify(id, record.data(), record.size());
    }
}

void GameWindow::Run(uint32_t ms) {
    PumpUntil([] { return false; }, ms);
}

bool GameWindow::RunUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
    return PumpUntil(done, timeoutMs);
}

uint32_t GameWindow::BackBufferColour(int x, int y) {
    return MainWindowColour(x, y);
}

std::string GameWindow::ChatText() {
    return ChatBoxText();
}

}  // namespace game_test
