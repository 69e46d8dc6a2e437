// Every notification the frame handles, sent by the loopback test server as
// frames to a client with its real connection, frame window and notification
// handler: each id whole, cut short of the words its handler reads, and with
// 64 KiB appended. A short record is reported to the server (201162) and
// changes nothing; the next notification and request still work; only 211000
// and 211410 close the connection, and the client connects again after them.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "frame/GameFrameWnd.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "frame/net/GameNotifyHandler.h"
#include "platform/Dialogs.h"
#include "platform/ExportedWindows.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame/NotifyRecords.h"
#include "tests/frame/TestHallWindow.h"
#include "tools/test_server/FrameScript.h"
#include "zep/ZepSocketUtils.h"

namespace {

using namespace notify_records;
using namespace frame_requests;
using testserver::FrameScript;
using testserver::TestGameServer;

constexpr uint32_t kWaitMs = 10000;
constexpr size_t kAppended = 64 * 1024;

// The bytes each handler reads of its record; ids not listed read none of
// their own (they pass the record on, or take none).
const std::map<int32_t, size_t> kBytesRead = {
    {201200, 20},
    {201212, 52},
    {201213, 24},
    {211010, 36},
    {211011, 136},
    {211020, 4},
    {211025, 4},
    {211028, 12},
    {211030, 4},
    {211110, 4},
    {211130, 4},
    {211132, 4},
    {211134, 16},
    {211136, 12},
    {211137, 12},
    {211138, 8},
    {211150, MatchTableHeader::kSize},
    {211170, 24},
    {211205, 16},
    {211206, 16},
    {211210, 12},
    {211242, 12},
    {211243, 24},
    {211400, 32},
    {211410, 32},
    {211430, 12},
    {211440, 12},
    {211800, 12},
};

// Ids whose effect this test does not see: a closed connection, a message
// to the hall, nothing at all.
const std::set<int32_t> kNoVisibleEffect = {211000, 211025, 211202};

bool ClosesTheConnection(int32_t id) {
    return id == 211000 || id == 211410;
}

// The frame's own handler; it counts the notifications the window finished.
class CountingHandler : public CGameNotifyHandler {
public:
    void RecordLastNotify(int32_t id, const void* data, size_t length) override {
        CGameNotifyHandler::RecordLastNotify(id, data, length);
        ++finished;
    }
    int finished = 0;
};

// The test application with the real connection and handler.
class NotifyScenarioApp : public TestFrameApp {
public:
    CGameConnection* GetConnection() override { return &realConnection; }
    CGameNotifyHandler* GetNotifyHandler() override { return &realHandler; }
    CGameConnection realConnection;
    CountingHandler realHandler;
};

class NotifyScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("notify_scenario_" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ / "links");
        std::filesystem::permissions(folder_ / "links", std::filesystem::perms::owner_all);
        setenv(platform::kWindowFolderVariable, (folder_ / "links").c_str(), 1);
        platform::SetProgramFolderForTesting(folder_.string() + "/");
        platform::SetMessageBoxSink([this](const platform::MessageBoxRequest& request) {
            boxes.push_back(request.text);
            return 1;
        });
        ZepRegisterSocketWindowClass();
        ASSERT_TRUE(server.Start());

        app = std::make_unique<NotifyScenarioApp>();
        LaunchFields fields;
        fields.gameId = kGameId;
        fields.hallWindow = static_cast<int32_t>(hall.Id());
        fields.userId = kOwnId;
        fields.tableNo = kTableNo;
        fields.chairNo = kOwnChair;
        fields.hallRoomId = kRoomId;
        fields.serverHost = "127.0.0.1";
        fields.serverPort = server.Port();
        app->SetLaunchFields(fields);
        ASSERT_TRUE(app->InitGameData(TableLaunch().Build()));
        app->SetWaitDisplayFactory(RecordingWaitDisplay::Factory(display));
        ASSERT_TRUE(app->StartCommThread());
        // The frame view: the real view with its calls written down (see Snapshot).
        app->AttachFrameView(&view);
        wnd = std::make_unique<CGameFrameWnd>();
        ASSERT_EQ(wnd->Create("游戏", 0, 0, {}, 0), 1);
        app->SetMainWindow(wnd->Id());
        app->RegisterGameWindow(wnd->Id());
        Connect();
    }
    void TearDown() override {
        wnd.reset();
        app->DetachFrameView();
        app.reset();
        platform::SetMessageBoxSink({});
        platform::SetProgramFolderForTesting({});
        unsetenv(platform::kWindowFolderVariable);
        std::filesystem::remove_all(folder_);
    }

    // The application's own connect step: greeting, version, links.
    void Connect() {
        ASSERT_EQ(app->ConnectServer(), 1);
        ASSERT_TRUE(server.WaitForClients(++connects_, kWaitMs));
    }

    // Sends the notification as server frames and waits until the frame
    // window has finished it.
    void Deliver(int32_t id, const std::vector<uint8_t>& record) {
        const int before = app->realHandler.finished;
        ASSERT_TRUE(script.Notify(static_cast<uint32_t>(id), record));
        ASSERT_TRUE(PumpUntil([&] { return app->realHandler.finished > before; }, kWaitMs))
            << "notification " << id << " of " << record.size() << " bytes never handled";
    }

    // A request that waits for its answer: everything the client sent
    // before it has reached the server once it is answered.
    void ExpectRequestsWork() {
        std::string text;
        EXPECT_EQ(app->realConnection.RequestSilverCheck(text), 1);
    }

    // Connected as before, or closed and connected again for the two ids
    // that close the connection.
    void ExpectConnection(int32_t id) {
        if (!ClosesTheConnection(id)) {
            EXPECT_TRUE(app->realConnection.IsConnected());
            return;
        }
        EXPECT_FALSE(app->realConnection.IsConnected());
        ASSERT_TRUE(server.WaitForDisconnects(connects_, kWaitMs));
        Connect();
    }

    // What a notification may change: the table, the room, the match, the
    // application's texts, and what reached the frame view and its panels
    // (the only place this test looks at the view).
    std::string Snapshot() const {
        std::string state;
        for (int chair = 0; chair < 8; ++chair) {
            const auto seat = RecordBytes(app->GetSeat(chair));
            state.append(seat.begin(), seat.end());
        }
        const MatchStandings& standings = app->GetStandings();
        const auto standingsHeader = RecordBytes(standings.header);
        state.append(standingsHeader.begin(), standingsHeader.end());
        for (const StandingRecord& entry : standings.records) {
            const auto bytes = RecordBytes(entry);
            state.append(bytes.begin(), bytes.end());
        }
        const auto header = RecordBytes(app->GetMatchHeader());
        state.append(header.begin(), header.end());
        state += "|" + std::to_string(app->GetTablePlayerCount()) + "|" +
                 std::to_string(app->GetRoomOptions()) + "|" + std::to_string(app->GetRoomClass()) +
                 "|" + std::to_string(app->IsGamePlaying()) + "|" + app->GetAdvertText() + "|" +
                 std::to_string(app->tableData.GetExitRequestTick()) + "|" +
                 std::to_string(boxes.size()) + "|" + std::to_string(view.calls.size()) + "|" +
                 std::to_string(view.mainGame.events.size()) + "|" +
                 std::to_string(view.subSystem.events.size());
        return state;
    }

    std::filesystem::path folder_;
    TestHallWindow hall;
    std::vector<std::string> boxes;
    TestGameServer server;
    FrameScript script{server};
    std::shared_ptr<WaitDisplayLog> display = std::make_shared<WaitDisplayLog>();
    ObservedFrameView view;
    std::unique_ptr<NotifyScenarioApp> app;
    std::unique_ptr<CGameFrameWnd> wnd;
    size_t connects_ = 0;
};

TEST_F(NotifyScenarioTest, EveryIdWholeShortAndOversizedAsServerFrames) {
    const auto records = ValidRecords();
    ASSERT_EQ(records.size(), 58u);
    size_t reports = 0;
    for (const auto& [id, record] : records) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(app->InitGameData(TableLaunch().Build()));

        // Whole: handled with an effect, nothing reported.
        const std::string untouched = Snapshot();
        Deliver(id, record);
        if (kNoVisibleEffect.count(id) == 0) {
            EXPECT_NE(Snapshot(), untouched) << "no effect";
        }
        ExpectConnection(id);
        ExpectRequestsWork();
        EXPECT_EQ(script.Count(kReportNotifyFailure), reports);

        // Cut short of the words the handler reads: refused and reported,
        // nothing changed; a handler that reads none takes what came.
        const auto read = kBytesRead.find(id);
        const size_t bytesRead = read != kBytesRead.end() ? read->second : 0;
        ASSERT_LE(bytesRead, record.size());
        if (!record.empty()) {
            const size_t cut = bytesRead > 0 ? bytesRead - 1 : record.size() - 1;
            const std::vector<uint8_t> shorter(record.begin(), record.begin() + long(cut));
            const std::string before = Snapshot();
            Deliver(id, shorter);
            if (bytesRead > 0) {
                EXPECT_EQ(Snapshot(), before);
                ++reports;
                ASSERT_TRUE(script.WaitForCount(kReportNotifyFailure, reports, kWaitMs));
                NotifyFailureRecord failure;
                ASSERT_TRUE(ReadRecord(script.LastBody(kReportNotifyFailure), failure));
                EXPECT_EQ(failure.userId, kOwnId);
                EXPECT_EQ(failure.roomId, kRoomId);
                EXPECT_EQ(failure.tableNo, app->GetTableNo());
                EXPECT_EQ(failure.notifyId, id);
                EXPECT_EQ(failure.notifyLength, int32_t(cut));
                EXPECT_EQ(failure.lastId, id);
                EXPECT_EQ(failure.lastLength, int32_t(record.size()));
            }
            EXPECT_TRUE(app->realConnection.IsConnected());
            // The next notification and request still work.
            const int finished = app->realHandler.finished;
            Deliver(211202, {});
            EXPECT_EQ(app->realHandler.finished, finished + 1);
            ExpectRequestsWork();
            EXPECT_EQ(script.Count(kReportNotifyFailure), reports);
        }

        // With 64 KiB appended: the extra bytes are ignored.
        std::vector<uint8_t> longer = record;
        longer.resize(record.size() + kAppended, 0x7F);
        Deliver(id, longer);
        ExpectConnection(id);
        ExpectRequestsWork();
        EXPECT_EQ(script.Count(kReportNotifyFailure), reports);
    }
    // Every id whose handler reads a word was refused once.
    EXPECT_EQ(reports, kBytesRead.size());
    EXPECT_EQ(connects_, 5u);
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

}  // namespace

TEST_F(NotifyScenarioTest, RequestsTheServerPassesOnComeBackAsWholeNotifications) {
    struct Case {
        uint32_t request;
        int32_t notification;
        std::function<int()> send;
    };
    CGameConnection& connection = app->realConnection;
    const Case cases[] = {
        {kChatText, 211200, [&] { return connection.SendChatText("你好"); }},
        {kCallPlayer, 201200, [&] { return connection.CallPlayer(kOtherId); }},
        {kExitRequest, 201212, [&] { return connection.RequestExit("有事"); }},
        {kExitAnswer, 201213, [&] { return connection.AnswerExitRequest(kOtherId, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        const int before = app->realHandler.finished;
        ASSERT_EQ(c.send(), 1);
        ASSERT_TRUE(PumpUntil([&] { return app->realHandler.finished > before; }, kWaitMs));
        EXPECT_EQ(app->realHandler.GetLastNotify().id, c.notification);
    }
    ExpectRequestsWork();
    EXPECT_EQ(script.Count(kReportNotifyFailure), 0u);
}
