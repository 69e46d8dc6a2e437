#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>

#include "frame/FramePlatform.h"
#include "frame/HallRecords.h"
#include "frame/LaunchRecordBuilder.h"
#include "platform/Dialogs.h"
#include "platform/Thread.h"
#include "tests/frame/FrameDoubles.h"

namespace {

// The hall's window: records copy-data records and posts; a sign query is
// handed to onSignQuery on the hall's own thread.
class FakeHallWindow : public platform::Window {
public:
    struct Copy {
        uintptr_t dwData;
        platform::WParam wParam;
        std::vector<uint8_t> bytes;
    };
    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override {
        std::lock_guard<std::mutex> guard(lock);
        if (id == platform::kMsgCopyData) {
            const auto* record = reinterpret_cast<const platform::CopyDataRecord*>(lParam);
            const auto* data = static_cast<const uint8_t*>(record->lpData);
            copies.push_back({record->dwData, wParam, {data, data + record->cbData}});
            return 1;
        }
        posts.emplace_back(id, wParam, lParam);
        if (id == kMsgHallSignQuery && onSignQuery) {
            onSignQuery(wParam, lParam);
        }
        return 0;
    }
    std::mutex lock;
    std::vector<Copy> copies;
    std::vector<std::tuple<uint32_t, platform::WParam, platform::LParam>> posts;
    std::function<void(platform::WParam, platform::LParam)> onSignQuery;
};

class HallMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RegisterWindowClass(kHallWindowClass);
        platform::RegisterWindowClass("FrameTestMain");
        ASSERT_TRUE(hall.Create(kHallWindowClass));
        ASSERT_TRUE(mainWindow.Create("FrameTestMain"));
        LaunchFields fields;
        fields.gameId = 30;
        fields.hallWindow = static_cast<int32_t>(hall.Id());
        fields.hallRoomId = 300;
        fields.userId = 12345;
        fields.tableNo = 7;
        fields.chairNo = 2;
        app.SetLaunchFields(fields);
        app.SetMainWindow(mainWindow.Id());
    }
    void TearDown() override {
        hall.Destroy();
        mainWindow.Destroy();
        frame::SetProgramStarterForTesting({});
    }

    // Launch with an own seat of this score and silver and a room list.
    void LaunchWithRooms(int32_t mode, int32_t score, int32_t silver) {
        LaunchRecordBuilder builder;
        builder.room.roomId = 300;
        builder.table.tableNo = 7;
        UserRecord own = MakeLaunchUser(12345, 2, "自己");
        own.score = score;
        own.silver = silver;
        builder.seats = {own};
        builder.roomListMode = mode;
        builder.roomList = {RoomListEntry{.roomId = 299,
                                          .silverFloor = 0,
                                          .scoreCeiling = 1000,
                                          .scoreLower = 0,
                                          .scoreUpper = 100},
                            RoomListEntry{.roomId = 300,
                                          .silverFloor = 100,
                                          .scoreCeiling = 5000,
                                          .scoreLower = 100,
                                          .scoreUpper = 500},
                            RoomListEntry{.roomId = 301,
                                          .silverFloor = 1000,
                                          .scoreCeiling = 9000,
                                          .scoreLower = 500,
                                          .scoreUpper = 900}};
        ASSERT_TRUE(app.InitGameData(builder.Build()));
    }

    // The target room of the last room-switch record, as the hall reads it.
    int32_t LastSwitchTarget() {
        EXPECT_FALSE(hall.copies.empty());
        const auto& copy = hall.copies.back();
        EXPECT_EQ(copy.dwData, kHallDataSwitchRoom);
        EXPECT_EQ(copy.bytes.size(), HallRoomSwitchRecord::kSize);
        const auto plain = DecipherHallRecord(copy.bytes);
        HallRoomSwitchRecord record;
        EXPECT_TRUE(plain && ReadRecord(std::span<const uint8_t>(*plain), record));
        EXPECT_EQ(record.userId, 12345);
        EXPECT_EQ(record.hallRoomId, 300);
        return record.targetRoomId;
    }
    bool CloseWasPosted() {
        platform::Message message;
        bool closed = false;
        while (platform::PeekMessage(message, platform::PeekMode::Remove)) {
            closed =
                closed || (message.window == mainWindow.Id() && message.id == platform::kMsgClose);
        }
        return closed;
    }

    FakeHallWindow hall;
    platform::Window mainWindow;
    TestFrameApp app;
};

TEST(LaunchLineTest, FieldsBoundsAndQuotes) {
    LaunchFields fields;
    EXPECT_EQ(ParseLaunchLine("30|host|300|1234|5|12345|7|2|0", fields), 9);
    EXPECT_EQ(fields.gameId, 30);
    EXPECT_EQ(fields.serverHost, "host");
    EXPECT_EQ(fields.hallWindow, 1234);
    EXPECT_EQ(fields.chairNo, 2);
    EXPECT_EQ(fields.serverPort, 0);
    EXPECT_EQ(fields.gameName, "");
    EXPECT_EQ(fields.roomOptions, 0);

    EXPECT_EQ(ParseLaunchLine("\"30|h|300|1|5|6|7|2|1|0|名字|21300|4|64|131072\"", fields), 15);
    EXPECT_EQ(fields.lookOn, 1);
    EXPECT_EQ(fields.gameName, "名字");
    EXPECT_EQ(fields.serverPort, 21300);
    EXPECT_EQ(fields.roomFlags2, 131072);

    std::string many;
    for (int i = 0; i < 31; ++i) {
        many += std::to_string(i + 1) + (i < 30 ? "|" : "");
    }
    EXPECT_EQ(ParseLaunchLine(many, fields), 30);
    EXPECT_EQ(ParseLaunchLine("1|2|3|4|5|6|7|8", fields), 8);
    EXPECT_EQ(ParseLaunchLine("\"", fields), 1);
    EXPECT_EQ(ParseLaunchLine("", fields), 1);

    EXPECT_EQ(
        ParseLaunchLine(
            "x30|" + std::string(100, 'h') + "|a|b|c|d|e|f|g|h|" + std::string(300, 'n'), fields),
        11);
    EXPECT_EQ(fields.gameId, 0);
    EXPECT_EQ(fields.serverHost, std::string(31, 'h'));
    EXPECT_EQ(fields.gameName, std::string(127, 'n'));
    EXPECT_EQ(ParseDecimal("99999999999"), INT32_MAX);
}

TEST(LaunchLineTest, RelaunchLineParsesBackWithoutLookOnAndRelaunched) {
    LaunchFields fields;
    ASSERT_EQ(ParseLaunchLine("30|game.host|300|1234|5|12345|7|2|1|0|麻将|0|4|64|8", fields), 15);
    fields.lookOn = 0;
    fields.relaunched = 1;
    const std::string line = FormatLaunchLine(fields);
    EXPECT_EQ(line, "\"30|game.host|300|1234|5|12345|7|2|0|1|麻将|0|4|64|8\"");
    LaunchFields again;
    ASSERT_EQ(ParseLaunchLine(line, again), 15);
    EXPECT_EQ(FormatLaunchLine(again), line);
    const char* argv[] = {"pvbn", "\"a|b", "c\""};
    EXPECT_EQ(JoinCommandLine(3, argv), "\"a|b c\"");
}

TEST(LaunchLineTest, AppTakesThePortDefaultAndAsksForTheHallOnAShortLine) {
    TestFrameApp app;
    app.SetCommandLine("30|host|300|1234|5|12345|7|2|0");
    ASSERT_TRUE(app.ParseLaunchCommandLine());
    EXPECT_EQ(app.GetServerPort(), 21265);
    EXPECT_EQ(app.GetMyChairNo(), 2);

    std::vector<std::string> boxes;
    platform::SetMessageBoxSink([&](const platform::MessageBoxRequest& request) {
        boxes.push_back(request.text);
        return platform::kAnswerNo;
    });
    TestFrameApp shortLine;
    shortLine.SetCommandLine("30|host");
    EXPECT_FALSE(shortLine.ParseLaunchCommandLine());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("(frame2.0)"), std::string::npos);
    platform::SetMessageBoxSink({});
    shortLine.SetOfflineMode(true);
    EXPECT_TRUE(shortLine.ParseLaunchCommandLine());
}

TEST_F(HallMessagesTest, RegistrationPostsTheWindowAndTable) {
    app.RegisterGameWindow(mainWindow.Id());
    platform::Message message;
    ASSERT_TRUE(platform::PeekMessage(message, platform::PeekMode::Remove));
    EXPECT_EQ(message.id, kMsgHallRegisterGame);
    EXPECT_EQ(message.wParam, mainWindow.Id());
    EXPECT_EQ(message.lParam, 7);
}

TEST_F(HallMessagesTest, LeavingRecordPlainWithItsDataNumber) {
    app.SetRequiredVersion(14, 2);
    app.NotifyHallLeaving(mainWindow.Id());
    app.SetDisconnectedInGame(true);
    app.NotifyHallLeaving(0);
    ASSERT_EQ(hall.copies.size(), 2u);
    EXPECT_EQ(hall.copies[0].dwData, kHallDataLeave);
    EXPECT_EQ(hall.copies[1].dwData, kHallDataLeaveDisconnected);
    HallLeaveRecord record;
    ASSERT_EQ(hall.copies[0].bytes.size(), HallLeaveRecord::kSize);
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(hall.copies[0].bytes), record));
    EXPECT_EQ(record.gameWindow, int32_t(mainWindow.Id()));
    EXPECT_EQ(record.userId, 12345);
    EXPECT_EQ(record.tableNo, 7);
    EXPECT_EQ(record.chairNo, 2);
    EXPECT_EQ(WordAt(hall.copies[0].bytes, 16), 14);
    EXPECT_EQ(WordAt(hall.copies[0].bytes, 32), 2);
    EXPECT_EQ(WordAt(hall.copies[0].bytes, 28), 30);
    EXPECT_EQ(WordAt(hall.copies[1].bytes, 24), 1);
    EXPECT_EQ(WordAt(hall.copies[1].bytes, 0), 0);
}

TEST_F(HallMessagesTest, NoLeavingRecordWhenRelaunchingOfflineOrWithoutHall) {
    app.SetRelaunchOnExit(true);
    app.NotifyHallLeaving(mainWindow.Id());
    app.SetRelaunchOnExit(false);
    app.SetOfflineMode(true);
    app.NotifyHallLeaving(mainWindow.Id());
    app.SetOfflineMode(false);
    hall.Destroy();
    app.NotifyHallLeaving(mainWindow.Id());
    EXPECT_TRUE(hall.copies.empty());
    EXPECT_EQ(app.OpenUrlInHall("http://x", 0), 0);
}

TEST_F(HallMessagesTest, UrlRecordEncipheredAndCut) {
    const std::string url = "http://shop.example/" + std::string(400, 'p');
    EXPECT_EQ(app.OpenUrlInHall(url, 3), 1);
    ASSERT_EQ(hall.copies.size(), 1u);
    EXPECT_EQ(hall.copies[0].dwData, kHallDataOpenUrl);
    EXPECT_EQ(hall.copies[0].wParam, mainWindow.Id());
    ASSERT_EQ(hall.copies[0].bytes.size(), HallUrlRecord::kSize);
    const auto plain = DecipherHallRecord(hall.copies[0].bytes);
    ASSERT_TRUE(plain);
    HallUrlRecord record;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(*plain), record));
    EXPECT_EQ(record.mainWindow, int32_t(mainWindow.Id()));
    EXPECT_EQ(record.userId, 12345);
    EXPECT_EQ(record.gameId, 30);
    EXPECT_EQ(record.hallRoomId, 300);
    EXPECT_EQ(record.flag, 3);
    EXPECT_EQ(FieldText(record.url), url.substr(0, 255));
}

TEST_F(HallMessagesTest, RoomSwitchByScoreBounds) {
    LaunchWithRooms(0, 500, 0);  // 500 is in 300's (100, 500] and not in 301's
    EXPECT_EQ(app.SwitchToNextRoom(), 1);
    EXPECT_EQ(LastSwitchTarget(), -1);
    EXPECT_TRUE(CloseWasPosted());
    EXPECT_EQ(app.SwitchToPrevRoom(), 1);
    EXPECT_EQ(LastSwitchTarget(), -1);  // 500 > 100

    LaunchWithRooms(0, 600, 0);
    EXPECT_EQ(app.SwitchToNextRoom(), 1);
    EXPECT_EQ(LastSwitchTarget(), 301);
}

TEST_F(HallMessagesTest, RoomSwitchBySilverAndAtTheEndsOfTheList) {
    LaunchWithRooms(1, 800, 5000);
    EXPECT_EQ(app.SwitchToPrevRoom(), 1);
    EXPECT_EQ(LastSwitchTarget(), 299);
    EXPECT_EQ(app.SwitchToNextRoom(), 1);
    EXPECT_EQ(LastSwitchTarget(), 301);
    EXPECT_TRUE(CloseWasPosted());
}

TEST_F(HallMessagesTest, RoomSwitchNothingInAGameOrOutsideTheList) {
    LaunchWithRooms(0, 500, 0);
    app.SetGamePlaying();
    EXPECT_EQ(app.SwitchToNextRoom(), 0);
    app.ClearGamePlaying();
    TestFrameApp noList;
    EXPECT_EQ(noList.SwitchToNextRoom(), 0);
    EXPECT_TRUE(hall.copies.empty());
}

TEST_F(HallMessagesTest, RelaunchStartsThisProgramWithItsLine) {
    std::vector<std::pair<std::string, std::vector<std::string>>> started;
    frame::SetProgramStarterForTesting(
        [&](std::string_view program, const std::vector<std::string>& arguments) {
            started.emplace_back(std::string(program), arguments);
            return true;
        });
    EXPECT_TRUE(app.RelaunchSelf());
    EXPECT_TRUE(app.RelaunchWithArgs("-x 1"));
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].first, "");
    ASSERT_EQ(started[0].second.size(), 1u);
    LaunchFields fields;
    ASSERT_EQ(ParseLaunchLine(started[0].second[0], fields), 15);
    EXPECT_EQ(fields.lookOn, 0);
    EXPECT_EQ(fields.relaunched, 1);
    EXPECT_EQ(fields.userId, 12345);
    EXPECT_EQ(fields.serverPort, 21265);
    EXPECT_EQ(started[1].second, std::vector<std::string>{"-x 1"});
}

// The hall on a thread of its own, so the test thread can wait for a sign.
class SignQueryTest : public ::testing::Test {
protected:
    static constexpr uint32_t kStop = platform::kMsgApp + 1;

    void StartHall(std::function<void(platform::WParam, platform::LParam)> onQuery) {
        platform::RegisterWindowClass(kHallWindowClass);
        platform::Event ready(platform::Event::Mode::ManualReset);
        std::atomic<platform::WindowId> id{0};
        hallThread.StartWithQueue([&, onQuery] {
            FakeHallWindow hall;
            hall.Create(kHallWindowClass);
            hall.onSignQuery = onQuery;
            id = hall.Id();
            ready.Set();
            platform::Message message;
            while (platform::GetMessage(message) && message.id != kStop) {
                platform::DispatchMessage(message);
            }
        });
        ready.Wait();
        LaunchFields fields;
        fields.userId = 12345;
        fields.hallWindow = static_cast<int32_t>(id.load());
        app.SetLaunchFields(fields);
        app.SetSignAnswerWindow(4242);
    }
    void TearDown() override {
        platform::PostThreadMessage(hallThread.Id(), kStop, 0, 0);
        hallThread.Join(5000);
    }
    static std::vector<uint8_t> Answer(int32_t userId, const std::string& text, int32_t token,
                                       size_t size = HallSignAnswer::kSize) {
        HallSignAnswer answer;
        answer.userId = userId;
        answer.token = token;
        for (size_t i = 0; i < answer.text.size() && i < text.size(); ++i) {
            answer.text[i] = text[i];
        }
        const auto bytes = RecordBytes(answer);
        return EncipherHallRecord(std::span<const uint8_t>(bytes).first(size));
    }

    platform::Thread hallThread;
    TestFrameApp app;
};

TEST_F(SignQueryTest, AnsweredForTheOwnUser) {
    StartHall([this](platform::WParam wParam, platform::LParam token) {
        EXPECT_EQ(wParam, 4242u);
        app.OnHallSignAnswer(Answer(12345, "signed", int32_t(token)));
    });
    EXPECT_EQ(app.GetHallSign(), "signed");
}

TEST_F(SignQueryTest, AnsweredThroughTheCommunicationThreadsWindow) {
    StartHall([this](platform::WParam wParam, platform::LParam token) {
        const auto answer = Answer(12345, "via the thread", int32_t(token));
        EXPECT_TRUE(frame::SendCopyData(static_cast<platform::WindowId>(wParam), 0,
                                        kHallDataSignAnswer, answer, 5000));
    });
    ASSERT_TRUE(app.StartCommThread());
    EXPECT_EQ(app.GetHallSign(), "via the thread");
    app.StopCommThread();
}

TEST_F(SignQueryTest, AnswerForAnotherUserWakesWithAnEmptySign) {
    StartHall([this](platform::WParam, platform::LParam token) {
        app.OnHallSignAnswer(Answer(999, "foreign", int32_t(token)));
    });
    EXPECT_EQ(app.GetHallSign(), "");
}

TEST_F(SignQueryTest, UnansweredThenLateUnknownAndShortAnswersAreHarmless) {
    std::atomic<platform::LParam> lastToken{0};
    StartHall([&](platform::WParam, platform::LParam token) { lastToken = token; });
    app.SetSignWaitForTesting(50);
    EXPECT_EQ(app.GetHallSign(), "");
    ASSERT_NE(lastToken.load(), 0);
    app.OnHallSignAnswer(Answer(12345, std::string(300, 'z'), int32_t(lastToken.load())));
    app.OnHallSignAnswer(Answer(12345, "x", 987654));
    app.OnHallSignAnswer(Answer(12345, "x", int32_t(lastToken.load()), 200));
    app.OnHallSignAnswer({});
    std::vector<uint8_t> notBlocks(273, 1);
    app.OnHallSignAnswer(notBlocks);
}

}  // namespace
