// The table server's conversation with the human's client, over zep's game
// channel: each request with its answer or silence, refusals that change
// nothing, and clients that break the rules or go away.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "frame/GameRecords.h"
#include "frame/RecordFields.h"
#include "frame/net/FrameRequests.h"
#include "mahjong_client/TableProtocol.h"
#include "platform/Socket.h"
#include "platform/Sync.h"
#include "tests/support/WirePlayer.h"
#include "tools/test_server/TableServer.h"
#include "zep/ZepWire.h"

namespace {

namespace fr = frame_requests;
namespace tp = table_protocol;
using servertest::Answer;
using servertest::WirePlayer;
using testserver::TableServer;
using testserver::TestGameServer;

constexpr int32_t kUser = 777;
constexpr int32_t kRoom = 12;
constexpr int32_t kTable = 3;
constexpr int32_t kChair = 1;
constexpr uint32_t kSilenceMs = 300;  // how long "never answered" is watched

int32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
    int32_t value = 0;
    ZepWireReader reader(std::span<const uint8_t>(bytes).subspan(offset));
    reader.ReadI32(value);
    return value;
}

std::vector<uint8_t> EnterBody(int32_t chair = kChair) {
    fr::EnterRecord enter;
    enter.userId = kUser;
    enter.roomId = kRoom;
    enter.tableNo = kTable;
    enter.chairNo = chair;
    std::vector<uint8_t> body(fr::EnterRecord::kSize);
    WriteRecord(enter, body);
    return body;
}

std::vector<uint8_t> HeadBody(int32_t chair = kChair) {
    fr::HeadOnlyRecord record;
    record.head = {kUser, kRoom, kTable, chair};
    std::vector<uint8_t> body(fr::HeadOnlyRecord::kSize);
    WriteRecord(record, body);
    return body;
}

std::vector<uint32_t> Codes(const std::vector<zeptest::Delivered>& delivered) {
    std::vector<uint32_t> codes;
    for (const zeptest::Delivered& d : delivered) {
        codes.push_back(d.code);
    }
    return codes;
}

bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 500 && !done(); ++i) {
        platform::SleepMs(10);
    }
    return done();
}

// A server with the table on a free port, in test mode, logging to a list.
class TableFixture : public ::testing::Test {
protected:
    TableFixture()
        : server_(TableServer::TransportOptions(true)), table_(server_, Options(log_, clockMs_)) {
        started_ = server_.Start();
    }

    static TableServer::Options Options(std::vector<std::string>& log,
                                        std::atomic<uint64_t>& clockMs) {
        TableServer::Options options;
        options.clock = [&clockMs] { return clockMs.load(); };
        options.roomOptions = 5;
        options.testMode = true;
        options.log = [&log](const std::string& line) {
            static std::mutex mutex;
            std::lock_guard lock(mutex);
            log.push_back(line);
        };
        return options;
    }

    // Connects and enters at the human's chair; the three robots' entries
    // and ready marks follow.
    void Enter(WirePlayer& player) {
        ASSERT_TRUE(player.Connect(server_.Port()));
        Answer answer;
        ASSERT_TRUE(player.Ask(fr::kEnterGame, EnterBody(), answer));
        ASSERT_EQ(answer.code, fr::kResultEntered);
        player.Notifications(6);
    }

    std::vector<std::string> log_;
    std::atomic<uint64_t> clockMs_ = 1000;  // the table's clock, moved by the tests
    TestGameServer server_;
    TableServer table_;
    bool started_ = false;
};

TEST_F(TableFixture, EnteringAnswersTheStatusBlockThenEachRobotEntersReady) {
    ASSERT_TRUE(started_);
    WirePlayer player;
    ASSERT_TRUE(player.Connect(server_.Port()));
    Answer answer;
    ASSERT_TRUE(player.Ask(fr::kEnterGame, EnterBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultEntered);
    ASSERT_EQ(answer.data.size(), fr::kEnterReplySize);
    // The eight chair flag words at bytes 20-51: the robots are ready.
    for (int32_t chair = 0; chair < 8; ++chair) {
        const int32_t ready = chair < TableServer::kSeats && chair != kChair ? 2 : 0;
        EXPECT_EQ(WordAt(answer.data, 20 + static_cast<size_t>(chair) * 4), ready) << chair;
    }
    const std::vector<zeptest::Delivered> notes = player.Notifications(6);
    EXPECT_EQ(Codes(notes),
              (std::vector<uint32_t>{211011, 201160, 211011, 201160, 211011, 201160}));
    std::vector<int32_t> chairs;
    for (const zeptest::Delivered& note : notes) {
        const std::vector<uint8_t> bytes(note.data.begin(), note.data.end());
        if (note.code == 201160) {
            EXPECT_EQ(bytes.size(), 32u);
            chairs.push_back(WordAt(bytes, 12));
        } else {
            EXPECT_EQ(bytes.size(), ServerPlayerRecord::kSize);
        }
    }
    EXPECT_EQ(chairs, (std::vector<int32_t>{0, 2, 3}));
    EXPECT_EQ(table_.ReadyChairs(), (std::array<bool, 4>{true, false, true, true}));
}

TEST_F(TableFixture, EachRequestGetsItsAnswerOrSilence) {
    ASSERT_TRUE(started_);
    table_.SetHandLoop(nullptr);  // the conversation alone
    WirePlayer player;
    Enter(player);
    Answer answer;

    ASSERT_TRUE(player.Ask(fr::kCheckVersion, HeadBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultOk);
    ASSERT_TRUE(player.Ask(fr::kGetActiveConfig, HeadBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultOk);
    EXPECT_EQ(answer.data.size(), 1104u);

    ASSERT_TRUE(player.Ask(fr::kQueryInGame, HeadBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultOk);
    ASSERT_EQ(answer.data.size(), 4u);
    EXPECT_EQ(WordAt(answer.data, 0), 5);

    ASSERT_TRUE(player.Ask(fr::kWelfareConfig, std::vector<uint8_t>(64), answer));
    EXPECT_EQ(answer.code, fr::kResultOk);
    EXPECT_EQ(WordAt(answer.data, 72), 2);
    ASSERT_TRUE(player.Ask(fr::kQuerySafeBox, HeadBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultOk);

    // Marking ready: the mark goes back to the table with the human's chair.
    player.Tell(fr::kStartGame, HeadBody());
    const std::vector<zeptest::Delivered> afterReady = player.Notifications(7);
    ASSERT_GE(afterReady.size(), 7u);
    EXPECT_EQ(afterReady[6].code, 201160u);
    EXPECT_EQ(
        WordAt(std::vector<uint8_t>(afterReady[6].data.begin(), afterReady[6].data.end()), 12),
        kChair);
    EXPECT_TRUE(WaitUntil([&] { return table_.ReadyChairs()[kChair]; }));

    // A chat line comes back to the table.
    fr::ChatRecord chat;
    chat.head = {kUser, kRoom, kTable, kChair};
    SetFieldText(chat.message, "你好");
    std::vector<uint8_t> chatBody(fr::ChatRecord::kSize);
    WriteRecord(chat, chatBody);
    player.Tell(fr::kChatText, chatBody);
    EXPECT_EQ(player.Notifications(8).back().code, 211200u);

    // Taken in silence, even when waited for.
    for (const uint32_t id :
         {fr::kReportNetStats, tp::kSeatBoardInfo, tp::kEnterHandRequest, tp::kPass}) {
        EXPECT_FALSE(player.Ask(id, HeadBody(), answer, kSilenceMs)) << id;
    }
    // The client's report of a notification it refused is counted.
    player.Tell(fr::kReportNotifyFailure, HeadBody());
    EXPECT_TRUE(WaitUntil([&] { return table_.GetCounters().failureReports == 1; }));

    // An id the server does not know is refused and counted.
    const size_t errors = server_.ProtocolErrors();
    ASSERT_TRUE(player.Ask(201999, HeadBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultUnsupported);
    EXPECT_EQ(server_.ProtocolErrors(), errors + 1);
    // A play request outside a hand is refused.
    ASSERT_TRUE(player.Ask(222080, std::vector<uint8_t>(64), answer));
    EXPECT_EQ(answer.code, 10100u);

    // Leaving answers 10 and resets the table.
    ASSERT_TRUE(player.Ask(fr::kLeaveGame, HeadBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultOk);
    EXPECT_TRUE(WaitUntil([&] { return table_.GetCounters().resets == 1; }));
    EXPECT_EQ(table_.ReadyChairs(), (std::array<bool, 4>{}));
    EXPECT_EQ(server_.SendFaults(), 0u);
}

// The table's server has no side-panel links: its active configuration is
// the whole block, empty.
TEST_F(TableFixture, ActiveConfigurationIsAnEmptyBlock) {
    ASSERT_TRUE(started_);
    WirePlayer player;
    Enter(player);
    Answer answer;
    ASSERT_TRUE(player.Ask(fr::kGetActiveConfig, HeadBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultOk);
    ASSERT_EQ(answer.data.size(), 1104u);
    EXPECT_TRUE(
        std::all_of(answer.data.begin(), answer.data.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(TableFixture, LeavingTheTableIsTakenInSilenceAndResetsTheTable) {
    ASSERT_TRUE(started_);
    WirePlayer player;
    Enter(player);
    player.Tell(fr::kStartGame, HeadBody());
    ASSERT_TRUE(WaitUntil([&] { return table_.ReadyChairs()[kChair]; }));
    Answer answer;
    EXPECT_FALSE(player.Ask(fr::kLeaveTable, servertest::LeaveBody({kUser, kRoom, kTable, kChair}),
                            answer, kSilenceMs));
    EXPECT_TRUE(WaitUntil([&] { return table_.GetCounters().resets == 1; }));
    EXPECT_EQ(table_.ReadyChairs(), (std::array<bool, 4>{}));
    // The same connection may enter again.
    ASSERT_TRUE(player.Ask(fr::kEnterGame, EnterBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultEntered);
    EXPECT_EQ(table_.GetCounters().refused, 0u);
}

TEST_F(TableFixture, BodiesCutShortOrForAnotherChairAreRefusedWithNothingChanged) {
    ASSERT_TRUE(started_);
    WirePlayer player;
    ASSERT_TRUE(player.Connect(server_.Port()));
    Answer answer;
    std::vector<uint8_t> shortEnter = EnterBody();
    shortEnter.resize(fr::EnterRecord::kSize - 1);
    ASSERT_TRUE(player.Ask(fr::kEnterGame, shortEnter, answer));
    EXPECT_EQ(answer.code, fr::kResultUnsupported);
    EXPECT_EQ(table_.ReadyChairs(), (std::array<bool, 4>{}));
    EXPECT_TRUE(player.Notifications().empty());

    ASSERT_TRUE(player.Ask(fr::kEnterGame, EnterBody(), answer));
    ASSERT_EQ(answer.code, fr::kResultEntered);
    player.Notifications(6);

    std::vector<uint8_t> shortHead = HeadBody();
    shortHead.resize(8);
    ASSERT_TRUE(player.Ask(fr::kQueryInGame, shortHead, answer));
    EXPECT_EQ(answer.code, fr::kResultUnsupported);
    player.Tell(fr::kStartGame, shortHead);
    player.Tell(fr::kStartGame, HeadBody(kChair + 1));
    ASSERT_TRUE(player.Ask(229000, std::vector<uint8_t>(95), answer));
    EXPECT_EQ(answer.code, 10100u);
    EXPECT_TRUE(WaitUntil([&] { return table_.GetCounters().refused == 5; }));
    EXPECT_EQ(table_.ReadyChairs(), (std::array<bool, 4>{true, false, true, true}));
    EXPECT_EQ(player.Notifications().size(), 6u);
    // A second entry on the same connection is refused too.
    ASSERT_TRUE(player.Ask(fr::kEnterGame, EnterBody(2), answer));
    EXPECT_EQ(answer.code, fr::kResultUnsupported);
}

// Sends raw bytes to the server on a connection of its own.
class RawClient {
public:
    explicit RawClient(uint16_t port) : socket_(platform::CreateTcpSocket()) {
        connected_ = platform::ConnectSocket(socket_, platform::LoopbackAddress(), port, 5000);
    }
    ~RawClient() { platform::CloseSocket(socket_); }
    bool Send(std::span<const uint8_t> bytes) {
        return connected_ && platform::SendSocket(socket_, bytes.data(), bytes.size()) ==
                                 static_cast<int>(bytes.size());
    }
    // True when the server ended the connection (bounded).
    bool Closed() {
        uint8_t byte = 0;
        return platform::RecvSocket(socket_, &byte, 1) <= 0;
    }

private:
    platform::SocketHandle socket_;
    bool connected_ = false;
};

TEST_F(TableFixture, BadGreetingIsCountedAndClosedAndTheNextClientIsServed) {
    ASSERT_TRUE(started_);
    {
        RawClient raw(server_.Port());
        std::vector<uint8_t> greeting = TableServer::TransportOptions(false).expectedGreeting;
        greeting[10] ^= 0x20;
        ASSERT_TRUE(raw.Send(greeting));
        EXPECT_TRUE(raw.Closed());
    }
    EXPECT_EQ(server_.ProtocolErrors(), 1u);
    WirePlayer player;
    Enter(player);
    EXPECT_EQ(table_.ReadyChairs(), (std::array<bool, 4>{true, false, true, true}));
}

TEST_F(TableFixture, FrameWithBadCrcIsCountedAndTheNextClientIsServed) {
    ASSERT_TRUE(started_);
    {
        TestGameServer builder;  // never started: only builds frames
        std::vector<uint8_t> frames;
        ASSERT_TRUE(builder.BuildFrames(1, 1, testserver::MakeMessage(fr::kEnterGame, EnterBody()),
                                        0, frames));
        frames.back() ^= 0x01;
        RawClient raw(server_.Port());
        ASSERT_TRUE(raw.Send(TableServer::TransportOptions(false).expectedGreeting));
        ASSERT_TRUE(raw.Send(frames));
        EXPECT_TRUE(WaitUntil([&] { return server_.ProtocolErrors() == 1; }));
    }
    EXPECT_EQ(table_.ReadyChairs(), (std::array<bool, 4>{}));
    WirePlayer player;
    Enter(player);
}

TEST_F(TableFixture, ConnectionThatEndsResetsTheTableForTheNextClient) {
    ASSERT_TRUE(started_);
    {
        WirePlayer player;
        Enter(player);
        player.Tell(fr::kStartGame, HeadBody());
        ASSERT_TRUE(WaitUntil([&] { return table_.ReadyChairs()[kChair]; }));
        player.Close();
    }
    EXPECT_TRUE(WaitUntil([&] { return table_.GetCounters().resets == 1; }));
    EXPECT_EQ(table_.ReadyChairs(), (std::array<bool, 4>{}));
    WirePlayer next;
    Enter(next);
    EXPECT_EQ(table_.ReadyChairs(), (std::array<bool, 4>{true, false, true, true}));
}

TEST_F(TableFixture, TestModeLogsOneLinePerMessageEachWay) {
    ASSERT_TRUE(started_);
    WirePlayer player;
    Enter(player);
    // 200110 in; 210200 and six notifications out.
    EXPECT_TRUE(WaitUntil([&] { return log_.size() >= 8; }));
    ASSERT_GE(log_.size(), 8u);
    EXPECT_NE(log_[0].find(" in 200110 108 "), std::string::npos) << log_[0];
    EXPECT_NE(log_[1].find(" reply 210200 1096 "), std::string::npos) << log_[1];
    EXPECT_NE(log_[2].find(" notify 211011 136 "), std::string::npos) << log_[2];
    EXPECT_EQ(server_.SendFaults(), 0u);
}

// A hand loop that records what the table tells it.
class RecordingLoop : public TableServer::HandLoop {
public:
    void StartHand(TableServer& table) override {
        table.SetHandRunning(true);
        ++started;
        table.After(2000, [this, &table] {
            ++fired;
            table.Notify(229480);
        });
    }
    void OnPlayRequest(TableServer& table, const testserver::ServerRequest& request) override {
        plays.push_back(request.message.Code());
        table.Reply(request, 10);
    }
    void Abandon() override { ++abandoned; }

    std::atomic<int> started = 0;
    std::atomic<int> abandoned = 0;
    std::atomic<int> fired = 0;
    std::vector<uint32_t> plays;  // table thread until the hand is abandoned
};

TEST_F(TableFixture, FourReadyChairsStartTheHandLoopWhichTakesThePlaysUntilTheClientGoes) {
    ASSERT_TRUE(started_);
    RecordingLoop loop;
    table_.SetHandLoop(&loop);
    {
        WirePlayer player;
        Enter(player);
        Answer answer;
        player.Tell(fr::kStartGame, HeadBody());
        ASSERT_TRUE(WaitUntil([&] { return loop.started == 1; }));
        ASSERT_TRUE(player.Ask(fr::kQueryInGame, HeadBody(), answer));
        EXPECT_EQ(answer.code, fr::kResultGameRunning);
        ASSERT_TRUE(player.Ask(222080, std::vector<uint8_t>(64), answer));
        EXPECT_EQ(answer.code, 10u);
        player.Close();
    }
    EXPECT_TRUE(WaitUntil([&] { return loop.abandoned == 1; }));
    EXPECT_EQ(loop.plays, (std::vector<uint32_t>{222080}));
    EXPECT_FALSE(table_.HandRunning());
    // The reset dropped the hand's timer.
    clockMs_ += 5000;
    table_.Wake();
    WirePlayer next;
    Enter(next);
    EXPECT_EQ(loop.fired, 0);
    table_.SetHandLoop(nullptr);
}

TEST_F(TableFixture, TheHandLoopsTimersRunOnTheTablesClock) {
    ASSERT_TRUE(started_);
    RecordingLoop loop;
    table_.SetHandLoop(&loop);
    WirePlayer player;
    Enter(player);
    player.Tell(fr::kStartGame, HeadBody());
    ASSERT_TRUE(WaitUntil([&] { return loop.started == 1; }));
    Answer answer;
    clockMs_ += 1999;
    table_.Wake();
    ASSERT_TRUE(player.Ask(fr::kQueryInGame, HeadBody(), answer));  // the wake was taken
    EXPECT_EQ(loop.fired, 0);
    clockMs_ += 1;
    table_.Wake();
    EXPECT_TRUE(WaitUntil([&] { return loop.fired == 1; }));
    EXPECT_EQ(player.Notifications(8).back().code, 229480u);
    player.Close();
    EXPECT_TRUE(WaitUntil([&] { return loop.abandoned == 1; }));
    table_.SetHandLoop(nullptr);
}

// Without a connection: requests handed over in the same process reach the
// table, and what it sends is watched though nothing can be sent.
TEST(TableWithoutConnection, DeliveredRequestsAreAnsweredToTheWatcher) {
    TestGameServer server(TableServer::TransportOptions(false));
    std::mutex mutex;
    std::vector<std::pair<uint32_t, uint32_t>> replies;  // sequence, code
    size_t notifications = 0;
    server.SetSentWatcher([&](bool reply, uint32_t sequence, const ZepMessage& message) {
        std::lock_guard lock(mutex);
        if (reply) {
            replies.emplace_back(sequence, message.Code());
        } else {
            ++notifications;
        }
    });
    TableServer table(server, {});
    testserver::ServerRequest enter;
    enter.messageSequence = 5;
    enter.callerWord = 1;
    enter.message = testserver::MakeMessage(fr::kEnterGame, EnterBody());
    server.Deliver(enter);
    testserver::ServerRequest unknown;
    unknown.messageSequence = 6;
    unknown.message = testserver::MakeMessage(201999, HeadBody());
    server.Deliver(unknown);  // not waited: refused in silence
    ASSERT_TRUE(table.WaitIdle(5000));
    std::lock_guard lock(mutex);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0], std::make_pair(5u, fr::kResultEntered));
    EXPECT_EQ(notifications, 6u);  // each robot enters and is ready
    EXPECT_EQ(table.GetCounters().refused, 1u);
}

}  // namespace
