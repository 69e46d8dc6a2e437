#include "tests/mahjong_client/support/TableSession.h"

#include <unistd.h>

#include <atomic>

#include "engine/GdiPaintModule.h"
#include "engine/ResourceModule.h"
#include "frame/net/FrameRequests.h"
#include "platform/Dialogs.h"
#include "platform/ExportedWindows.h"
#include "platform/Files.h"
#include "platform/Screen.h"
#include "platform/System.h"
#include "tests/mahjong_client/support/TableSkin.h"
#include "zep/ZepSocketUtils.h"

namespace table_test {

const char* SeatName(int chair) {
    static const char* const kNames[] = {"东家", "南家", "自己", "北家"};
    return chair >= 0 && chair < 4 ? kNames[chair] : "";
}

namespace {

LaunchRecordBuilder FourSeatLaunch(bool lookOn) {
    LaunchRecordBuilder builder;
    builder.room.roomId = kRoomId;
    builder.room.options = RoomInfo::kOptionSilverRoom;
    builder.table.tableNo = kTableNo;
    builder.table.seatCount = 4;
    for (int chair = 0; chair < 4; ++chair) {
        UserRecord user = MakeLaunchUser(UserOf(chair), chair, SeatName(chair));
        user.tableNo = kTableNo;
        user.characterId = chair + 1;
        builder.seats.push_back(user);
    }
    if (lookOn) {
        UserRecord looker = MakeLaunchUser(UserOf(9), kOwnChair, "看客");
        looker.tableNo = kTableNo;
        looker.lookOn = 1;
        builder.lookers.push_back(looker);
    }
    return builder;
}

}  // namespace

TableSession::TableSession() = default;

TableSession::~TableSession() {
    wnd_.reset();
    if (app_ != nullptr) {
        app_->DetachFrameView();
        app_->connection.Close();
    }
    app_.reset();
    // The server's thread calls into the table's script: it ends before the
    // script does (the members go in the reverse order).
    server_.Stop();
    hall_.reset();
    if (screenSet_) {
        platform::ResetScreenForTesting();
    }
    platform::SetMessageBoxSink({});
    platform::SetProgramFolderForTesting({});
    unsetenv(platform::kWindowFolderVariable);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

bool TableSession::Open(const SessionOptions& options) {
    options_ = options;
    static std::atomic<int> serial{0};
    folder_ = std::filesystem::temp_directory_path() /
              ("table_session_" + std::to_string(::getpid()) + "_" + std::to_string(serial++));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / "links");
    std::filesystem::permissions(folder_ / "links", std::filesystem::perms::owner_all);
    setenv(platform::kWindowFolderVariable, (folder_ / "links").c_str(), 1);
    platform::SetProgramFolderForTesting(folder_.string() + "/");
    platform::SetMessageBoxSink([](const platform::MessageBoxRequest&) { return 1; });
    if (options.fakeScreen) {
        platform::SetScreenForTesting({0, 0, options.width, options.height},
                                      {0, 0, options.width, options.height});
        screenSet_ = true;
    }
    ZepRegisterSocketWindowClass();
    hall_ = std::make_unique<TestHallWindow>();
    if (!server_.Start()) {
        error_ = "the test server did not start";
        return false;
    }

    app_ = std::make_unique<TestTableApp>();
    LaunchFields fields;
    fields.gameId = kGameId;
    fields.hallWindow = static_cast<int32_t>(hall_->Id());
    fields.userId = options.lookOn ? UserOf(9) : UserOf(kOwnChair);
    fields.tableNo = kTableNo;
    fields.chairNo = kOwnChair;
    fields.hallRoomId = kRoomId;
    fields.lookOn = options.lookOn ? 1 : 0;
    fields.serverHost = "127.0.0.1";
    fields.serverPort = server_.Port();
    app_->SetLaunchFields(fields);
    if (!app_->InitGameData(FourSeatLaunch(options.lookOn).Build())) {
        error_ = "the launch record was refused";
        return false;
    }
    app_->SetWaitDisplayFactory(RecordingWaitDisplay::Factory(display_));
    if (!app_->StartCommThread()) {
        error_ = "the communication thread did not start";
        return false;
    }

    std::string packError;
    const std::string pack = (folder_ / "table.kor").string();
    if (!table_skin::WriteTableSkinPack(pack, packError)) {
        error_ = packError;
        return false;
    }
    auto* resources = new ResourceModule;
    if (resources->AddPack(pack) != static_cast<int>(table_skin::TableSkinItems().size())) {
        delete resources;
        error_ = "the skin pack did not load whole";
        return false;
    }

    wnd_ = std::make_unique<CGameFrameWnd>();
    if (wnd_->Create(options.title.c_str(), platform::kStyleVisible, 0,
                     {0, 0, options.width, options.height}, 0) != 1) {
        delete resources;
        error_ = "the frame window was not made";
        return false;
    }
    app_->SetMainWindow(wnd_->Id());
    app_->RegisterGameWindow(wnd_->Id());
    view_ = new TableFrameView;
    app_->AttachFrameView(view_);
    if (wnd_->Initialize(view_, resources) != 1) {
        error_ = "the engine did not start";
        return false;
    }
    // Shown as the application shows its main frame.
    if (platform::TopLevelWindow* top = wnd_->GetTopLevel()) {
        top->Show(true);
    }
    if (view_->table == nullptr || view_->sidePanel == nullptr) {
        error_ = "the frame view made no table or side panel";
        return false;
    }
    if (app_->ConnectServer() != 1 || !server_.WaitForClients(1, kWaitMs)) {
        error_ = "the client did not connect";
        return false;
    }
    // Enters the table as the program does once connected.
    if (app_->EnterGame() != 1) {
        error_ = "the client did not enter the table";
        return false;
    }
    Run(50);
    return true;
}

bool TableSession::Deliver(int32_t id, const std::vector<uint8_t>& record) {
    const int before = Finished();
    if (!table_.Notify(id, record)) {
        return false;
    }
    return RunUntil([&] { return Finished() > before; });
}

bool TableSession::StartHand(const HandStart& start) {
    if (!Deliver(kHandStartId, HandStartRecord(start))) {
        return false;
    }
    CMahjongTableView& table = Table();
    const bool dealt = RunUntil([&] {
        for (int chair = 0; chair < 4; ++chair) {
            const int position = table.ChairToPosition(chair);
            if (position < 0 || table.GetRowCount(position) != start.tilesHeld[chair]) {
                return false;
            }
        }
        return true;
    });
    Run(100);  // the steps after the deal
    return dealt;
}

void TableSession::Run(uint32_t ms) {
    PumpUntil([] { return false; }, ms);
}

bool TableSession::RunUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
    return PumpUntil(done, timeoutMs);
}

int TableSession::Finished() const {
    return app_ != nullptr ? app_->handler.finished.load() : 0;
}

size_t TableSession::FailureReports() const {
    return const_cast<TableServer&>(table_).FrameRequests().Count(
        frame_requests::kReportNotifyFailure);
}

int TableSession::LogLinesWith(const std::string& text) const {
    int lines = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
        if (entry.path().extension() != ".log") {
            continue;
        }
        const auto bytes = platform::ReadWholeFile(entry.path().string());
        if (!bytes) {
            continue;
        }
        const std::string content(bytes->begin(), bytes->end());
        size_t start = 0;
        while (start < content.size()) {
            size_t end = content.find("\r\n", start);
            end = end == std::string::npos ? content.size() : end;
            lines += content.substr(start, end - start).find(text) != std::string::npos ? 1 : 0;
            start = end + 2;
        }
    }
    return lines;
}

IntRect TableSession::MainGameRect() {
    CCorvaneView* game = view_ != nullptr ? view_->GetMainGame() : nullptr;
    return game != nullptr ? game->GetViewRect() : IntRect{};
}

GdiPaintModule* TableSession::Painter() {
    return wnd_ != nullptr
               ? dynamic_cast<GdiPaintModule*>(wnd_->GetCore()->FindModule(kPaintModuleId))
               : nullptr;
}

uint32_t TableSession::BackBufferColour(int x, int y) {
    GdiPaintModule* paint = Painter();
    const uint8_t* pixels = paint != nullptr ? paint->GetOutputPixels() : nullptr;
    const int width = wnd_ != nullptr ? wnd_->GetWidth() : 0;
    const int height = wnd_ != nullptr ? wnd_->GetHeight() : 0;
    if (pixels == nullptr || x < 0 || y < 0 || x >= width || y >= height) {
        return 0xffffffffu;
    }
    const uint8_t* p =
        pixels + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    return static_cast<uint32_t>(p[2]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[0]) << 16;
}

}  // namespace table_test
