// One whole run of the request catalogue: the application connects through
// its own step (greeting, frames and AES to the loopback test server), enters,
// and then every sender goes out at least once with each outcome it tells
// apart. For each request the body is decoded as the server received it, and
// the wait flag, the result code the client reports, its return and its text
// are checked. Requests the server leaves unanswered end at a one-second
// time-out.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <mutex>
#include <set>

#include "tests/frame/ConnectionFixture.h"

namespace {

using namespace connection_test;
using namespace frame_requests;
using testserver::FrameScript;

constexpr int32_t kOtherId = 4000;
constexpr int32_t kGameId = 30;
constexpr int32_t kRequestValue = 77;
constexpr int32_t kOwnSilver = 1234;
constexpr int32_t kActivity = 9;

// The connection of the run: it keeps what ProcessRequest reported for every
// request, and waits one second for the ids it is told are silent.
class ObservedConnection : public CGameConnection {
public:
    struct Outcome {
        uint32_t id = 0;
        uint32_t result = 0;
        int returned = 0;
    };

    int ProcessRequest(std::string& text, uint32_t requestId, std::span<const uint8_t> body,
                       uint32_t& result, std::vector<uint8_t>& reply, int wait) override {
        result = 0;
        const int returned =
            CGameConnection::ProcessRequest(text, requestId, body, result, reply, wait);
        outcomes.push_back({requestId, result, returned});
        return returned;
    }
    uint32_t GetRequestTimeout(uint32_t requestId) override {
        return silentIds.count(requestId) != 0 ? 1 : CGameConnection::GetRequestTimeout(requestId);
    }

    std::set<uint32_t> silentIds;
    std::vector<Outcome> outcomes;
};

// A reply of 64-bit values, little-endian.
std::vector<uint8_t> Values64(std::initializer_list<int64_t> values) {
    std::vector<uint8_t> bytes;
    for (int64_t value : values) {
        for (int shift = 0; shift < 64; shift += 8) {
            bytes.push_back(static_cast<uint8_t>(static_cast<uint64_t>(value) >> shift));
        }
    }
    return bytes;
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    }
    return bytes;
}

// The body decoded through the record's checked reader; it must be whole.
template <class Record>
Record Decode(const std::vector<uint8_t>& body) {
    Record record;
    EXPECT_EQ(body.size(), Record::kSize);
    EXPECT_TRUE(ReadRecord(body, record));
    return record;
}

void ExpectHead(const RequestHead& head) {
    EXPECT_EQ(head.userId, kOwnId);
    EXPECT_EQ(head.roomId, kRoomId);
    EXPECT_EQ(head.tableNo, kTableNo);
    EXPECT_EQ(head.chairNo, kOwnChair);
}

class CatalogueScenarioTest : public GameConnectionTest {
protected:
    void SetUp() override {
        GameConnectionTest::SetUp();
        app.SetWaitDisplayFactory(RecordingWaitDisplay::Factory(display));
        ASSERT_TRUE(app.StartCommThread());
        launchFields.serverHost = "127.0.0.1";
        launchFields.serverPort = server.Port();
        LaunchRecordBuilder builder =
            Launch(RoomInfo::kFlagSafeBoxInGame | RoomInfo::kFlagNoForcedExit | RoomInfo::kFlag128 |
                   RoomInfo::kFlagSkipLeftOut);
        builder.room.options = RoomInfo::kOptionSilverRoom;
        builder.seats[1].silver = kOwnSilver;
        launch_ = builder;
        Relaunch(launch_);
        app.realConnection = &client;
    }
    void TearDown() override {
        client.Close();
        app.StopCommThread();
        app.realConnection = nullptr;
        GameConnectionTest::TearDown();
    }

    // One request and what must come of it.
    struct Step {
        uint32_t id = 0;
        std::string answer;            // what the server does, for the failure messages
        std::function<void()> script;  // sets the server's answer; none: the default
        std::function<int(std::string&)> send;
        int returns = 0;
        uint32_t result = 0;  // as the client reports it
        std::string text;
        std::function<void()> effect;  // further checks; may be empty
        bool silent = false;           // the server records it and never answers
        bool sends = true;             // false: refused before anything is sent
    };

    void Run(const Step& step) {
        SCOPED_TRACE(std::to_string(step.id) + " " + step.answer);
        script.ClearAnswer(step.id);
        script.SetVersion(13, 1);
        script.SetGameRunning(false);
        if (step.script) {
            step.script();
        }
        if (step.silent) {
            script.SetSilent(step.id);
            client.silentIds.insert(step.id);
        }
        client.outcomes.clear();
        const size_t before = script.Count(step.id);
        std::string text = "earlier text";
        EXPECT_EQ(step.send(text), step.returns);
        client.silentIds.erase(step.id);
        if (!step.sends) {
            EXPECT_TRUE(client.outcomes.empty());
            EXPECT_EQ(script.Count(step.id), before);
            return;
        }
        ASSERT_TRUE(script.WaitForCount(step.id, before + 1, kWaitMs));
        const FrameScript::Recorded request = Latest(step.id);
        const bool waits = waitingIds_.count(step.id) != 0;
        EXPECT_EQ(request.waited, waits);
        const auto check = bodyChecks_.find(step.id);
        ASSERT_NE(check, bodyChecks_.end());
        check->second(request.body);
        ASSERT_EQ(client.outcomes.size(), 1u);
        EXPECT_EQ(client.outcomes[0].id, step.id);
        EXPECT_EQ(client.outcomes[0].result, step.result);
        EXPECT_EQ(text, step.text);
        if (step.effect) {
            step.effect();
        }
        sent_.insert(step.id);
    }

    FrameScript::Recorded Latest(uint32_t id) const {
        const std::vector<FrameScript::Recorded> all = script.Requests();
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            if (it->id == id) {
                return *it;
            }
        }
        return {};
    }

    void Expect(uint32_t id, bool waits, std::function<void(const std::vector<uint8_t>&)> check) {
        if (waits) {
            waitingIds_.insert(id);
        }
        bodyChecks_[id] = std::move(check);
    }

    std::shared_ptr<WaitDisplayLog> display = std::make_shared<WaitDisplayLog>();
    LaunchRecordBuilder launch_;
    ObservedConnection client;
    std::set<uint32_t> sent_;
    std::set<uint32_t> waitingIds_;
    std::map<uint32_t, std::function<void(const std::vector<uint8_t>&)>> bodyChecks_;
};

TEST_F(CatalogueScenarioTest, EveryRequestAndItsRepliesOrSilence) {
    // --- The bodies as the server must receive them ---
    const auto headOnly = [](const std::vector<uint8_t>& body) {
        const HeadOnlyRecord record = Decode<HeadOnlyRecord>(body);
        ExpectHead(record.head);
        EXPECT_EQ(record.zero16, CarriedBytes<16>{});
    };
    const auto noBody = [](const std::vector<uint8_t>& body) { EXPECT_TRUE(body.empty()); };
    const auto leave = [](int32_t userId, int32_t chair, int32_t other) {
        return [=](const std::vector<uint8_t>& body) {
            const LeaveRecord record = Decode<LeaveRecord>(body);
            EXPECT_EQ(record.userId, userId);
            EXPECT_EQ(record.roomId, kRoomId);
            EXPECT_EQ(record.tableNo, kTableNo);
            EXPECT_EQ(record.chairNo, chair);
            EXPECT_EQ(record.otherUser, other);
            EXPECT_EQ(record.ownTableNo, kTableNo);
            EXPECT_EQ(record.ownChairNo, kOwnChair);
            EXPECT_EQ(record.ownUserId, kOwnId);
            EXPECT_EQ(FieldText(record.machineId), kMachineId);
        };
    };
    const auto chat = [](const std::string& message) {
        return [=](const std::vector<uint8_t>& body) {
            const ChatRecord record = Decode<ChatRecord>(body);
            ExpectHead(record.head);
            EXPECT_EQ(FieldText(record.machineId), kMachineId);
            EXPECT_EQ(FieldText(record.message), message);
        };
    };
    const auto pair = [](int32_t first, int32_t second) {
        return [=](const std::vector<uint8_t>& body) {
            const HeadPairRecord record = Decode<HeadPairRecord>(body);
            ExpectHead(record.head);
            EXPECT_EQ(record.first, first);
            EXPECT_EQ(record.second, second);
        };
    };
    const auto matchEntry = [](const std::vector<uint8_t>& body) {
        const MatchEntryRecord record = Decode<MatchEntryRecord>(body);
        EXPECT_EQ(record.userId, kOwnId);
        EXPECT_EQ(record.gameId, kGameId);
        EXPECT_EQ(record.roomId, kRoomId);
    };
    const auto namedMachine = [](const std::vector<uint8_t>& body) {
        const NamedMachineRecord record = Decode<NamedMachineRecord>(body);
        ExpectHead(record.head);
        EXPECT_EQ(FieldText(record.userName), "自己");
        EXPECT_EQ(FieldText(record.machineId), kMachineId);
    };
    const auto safeBoxQuery = [](const std::vector<uint8_t>& body) {
        const SafeBoxQuery record = Decode<SafeBoxQuery>(body);
        EXPECT_EQ(record.userId, kOwnId);
        EXPECT_EQ(record.gameId, kGameId);
        EXPECT_EQ(record.zero8, 0);
        EXPECT_EQ(FieldText(record.machineId), kMachineId);
    };
    const auto transfer = [](int32_t amount, int32_t answer, int32_t direction) {
        return [=](const std::vector<uint8_t>& body) {
            const TransferRecord record = Decode<TransferRecord>(body);
            EXPECT_EQ(record.userId, kOwnId);
            EXPECT_EQ(record.gameId, kGameId);
            EXPECT_EQ(record.roomId, kRoomId);
            EXPECT_EQ(record.tableNo, kTableNo);
            EXPECT_EQ(record.chairNo, kOwnChair);
            EXPECT_EQ(record.amount, amount);
            EXPECT_EQ(record.answer, answer);
            EXPECT_EQ(FieldText(record.machineId), kMachineId);
            EXPECT_EQ(record.seatSilver, kOwnSilver);
            EXPECT_EQ(record.direction, direction);
        };
    };
    const auto welfareClaim = [](int32_t kind) {
        return [=](const std::vector<uint8_t>& body) {
            const WelfareClaimRecord record = Decode<WelfareClaimRecord>(body);
            ExpectHead(record.head);
            EXPECT_EQ(FieldText(record.userName), "自己");
            EXPECT_EQ(record.activityId, kActivity);
            EXPECT_EQ(record.kind, kind);
        };
    };

    Expect(kCheckVersion, true, noBody);
    Expect(kGetActiveConfig, true, noBody);
    Expect(kEnterGame, true, [](const std::vector<uint8_t>& body) {
        ASSERT_EQ(body.size(), EnterRecord::kSize + EnterRecord::kExtensionSize);
        EnterRecord record;
        ASSERT_TRUE(ReadRecord(body, record));
        EXPECT_EQ(record.userId, kOwnId);
        EXPECT_EQ(record.userFlags, 0x21);
        EXPECT_EQ(record.gameId, kGameId);
        EXPECT_EQ(record.roomId, kRoomId);
        EXPECT_EQ(record.tableNo, kTableNo);
        EXPECT_EQ(record.chairNo, kOwnChair);
        EXPECT_EQ(FieldText(record.machineId), kMachineId);
        EXPECT_EQ(record.lookOn, 0);
        EXPECT_EQ(record.quickCatch, 0);
        EXPECT_EQ(record.requestValue, kRequestValue);
        ServerPlayerRecord player;
        ASSERT_TRUE(ReadRecord(std::span(body).subspan(EnterRecord::kSize), player));
        EXPECT_EQ(player.userId, kOwnId);
        EXPECT_EQ(player.chairNo, kOwnChair);
        EXPECT_EQ(FieldText(player.name), "自己");
        EXPECT_EQ(player.silver, kOwnSilver);
    });
    Expect(kMatchLogin, true, [&](const std::vector<uint8_t>& body) {
        const MatchLoginRecord record = Decode<MatchLoginRecord>(body);
        EXPECT_EQ(record.userId, kOwnId);
        EXPECT_EQ(record.userFlags, 0x21);
        EXPECT_EQ(record.gameId, kGameId);
        EXPECT_EQ(record.matchValue, app.GetMatchValue());
        EXPECT_EQ(record.roomId, kRoomId);
        EXPECT_EQ(record.tableNo, kTableNo);
        EXPECT_EQ(record.chairNo, kOwnChair);
        EXPECT_EQ(FieldText(record.machineId), kMachineId);
        EXPECT_EQ(record.lookOn, 0);
        EXPECT_EQ(record.loginValue, app.GetRoomLoginValue());
        EXPECT_EQ(record.requestValue, kRequestValue);
    });
    Expect(kQueryInGame, true, headOnly);
    Expect(kRequest201140, true, headOnly);
    Expect(kSilverCheck, true, headOnly);
    Expect(kSilverRewardClaim, true, [](const std::vector<uint8_t>& body) {
        const SilverRewardClaimRecord record = Decode<SilverRewardClaimRecord>(body);
        EXPECT_EQ(record.userId, kOwnId);
        EXPECT_EQ(record.gameId, kGameId);
        EXPECT_EQ(record.roomId, kRoomId);
        EXPECT_EQ(record.tableNo, kTableNo);
        EXPECT_EQ(record.chairNo, kOwnChair);
        EXPECT_EQ(record.zero20, 0);
        EXPECT_EQ(record.value, 250);
        EXPECT_EQ(FieldText(record.machineId), kMachineId);
    });
    Expect(kStartGame, false, headOnly);
    Expect(kRoundRequest, false, headOnly);
    Expect(kLeaveGame, true, leave(kOwnId, kOwnChair, 0));
    Expect(kRequest201210, false, chat("大家好"));
    Expect(kChatText, false, chat("快点"));
    Expect(kCallPlayer, false, pair(kOtherId, 0));
    Expect(kRequest201180, false, [](const std::vector<uint8_t>& body) {
        const HeadValueRecord record = Decode<HeadValueRecord>(body);
        ExpectHead(record.head);
        EXPECT_EQ(record.value, -9);
    });
    Expect(kRequest201221, false, [&](const std::vector<uint8_t>& body) {
        const MatchBeginRecord record = Decode<MatchBeginRecord>(body);
        EXPECT_EQ(record.userId, kOwnId);
        EXPECT_EQ(record.matchValue, app.GetMatchValue());
        EXPECT_EQ(record.roomId, kRoomId);
        EXPECT_EQ(record.requestValue, kRequestValue);
    });
    Expect(kUserInfo, false, [](const std::vector<uint8_t>& body) {
        const UserInfoQuery record = Decode<UserInfoQuery>(body);
        EXPECT_EQ(record.roomId, kRoomId);
        EXPECT_EQ(record.ownUserId, kOwnId);
        EXPECT_EQ(record.userId, kOtherId);
    });
    Expect(kMatchSignUp, false, matchEntry);
    Expect(kMatchGiveUp, false, matchEntry);
    Expect(kExitRequest, false, [](const std::vector<uint8_t>& body) {
        const ExitRequestRecord record = Decode<ExitRequestRecord>(body);
        ExpectHead(record.head);
        EXPECT_EQ(record.zero16, 0);
        EXPECT_EQ(FieldText(record.reason), "有事");
    });
    Expect(kExitAnswer, false, pair(kOtherId, 1));
    Expect(kLookOnPermission, false, pair(kOtherId, 0));
    Expect(kRequest214102, false, namedMachine);
    Expect(kRequest214104, false, namedMachine);
    Expect(kRequest214110, false, [](const std::vector<uint8_t>& body) {
        const NamedValueRecord record = Decode<NamedValueRecord>(body);
        ExpectHead(record.head);
        EXPECT_EQ(FieldText(record.userName), "自己");
        EXPECT_EQ(record.value, 3);
    });
    Expect(kChangeTable, true, headOnly);
    Expect(kRequest201302, true, headOnly);
    Expect(kQuerySafeBox, true, safeBoxQuery);
    Expect(kQueryTake, true, safeBoxQuery);
    Expect(kTransferIntoGame, true, transfer(100, 7, TransferRecord::kIntoGame));
    Expect(kTransferOutOfGame, true, transfer(500, 0, TransferRecord::kOutOfGame));
    Expect(kWelfareConfig, true, [](const std::vector<uint8_t>& body) {
        const WelfareConfigQuery record = Decode<WelfareConfigQuery>(body);
        ExpectHead(record.head);
        EXPECT_EQ(record.zero16, 0);
        EXPECT_EQ(record.activityId, kActivity);
    });
    Expect(kWelfareClaim, true, welfareClaim(0));
    Expect(kWelfareRewardClaim, true, [](const std::vector<uint8_t>& body) {
        const WelfareRewardClaimRecord record = Decode<WelfareRewardClaimRecord>(body);
        ExpectHead(record.head);
        EXPECT_EQ(FieldText(record.userName), "自己");
        EXPECT_EQ(record.activityId, kActivity);
        EXPECT_EQ(record.kind, 1);
        EXPECT_EQ(FieldText(record.machineId), kMachineId);
    });
    Expect(kReportNetStats, false, [&](const std::vector<uint8_t>& body) {
        const NetStatsRecord record = Decode<NetStatsRecord>(body);
        EXPECT_EQ(record.userId, kOwnId);
        EXPECT_GE(record.averageMs, 0);
        EXPECT_LE(record.averageMs, record.longestMs);
        EXPECT_LE(record.longestMs, NetStatsRecord::kMaxMs);
    });
    Expect(kReportNotifyFailure, false, [](const std::vector<uint8_t>& body) {
        const NotifyFailureRecord record = Decode<NotifyFailureRecord>(body);
        EXPECT_EQ(record.userId, kOwnId);
        EXPECT_EQ(record.roomId, kRoomId);
        EXPECT_EQ(record.tableNo, kTableNo);
        EXPECT_EQ(record.tableNo2, kTableNo);
        EXPECT_EQ(record.lookOn, 0);
        EXPECT_EQ(record.notifyId, 211010);
        EXPECT_EQ(record.notifyData, 0);
        EXPECT_EQ(record.notifyLength, 5);
    });
    Expect(kLeaveTable, false, leave(kOwnId, kOwnChair, 0));

    // --- The application's own steps: connect (version, links) and enter ---
    ASSERT_EQ(app.ConnectServer(), 1);
    ASSERT_TRUE(server.WaitForClients(++connects, kWaitMs));
    ASSERT_EQ(client.outcomes.size(), 2u);
    EXPECT_EQ(client.outcomes[0].id, kCheckVersion);
    EXPECT_EQ(client.outcomes[0].result, kResultOk);
    EXPECT_EQ(client.outcomes[1].id, kGetActiveConfig);
    EXPECT_EQ(client.outcomes[1].result, kResultOk);
    EXPECT_TRUE(app.IsActiveConfig());
    EXPECT_EQ(app.GetWebLinks()[1].url, "http://127.0.0.1/frame/link1.html");
    sent_.insert({kCheckVersion, kGetActiveConfig});
    client.outcomes.clear();
    ASSERT_EQ(app.EnterGame(), 1);
    ASSERT_EQ(client.outcomes.size(), 1u);
    EXPECT_EQ(client.outcomes[0].result, kResultEntered);
    EXPECT_EQ(app.GetEnterState(), 0);
    sent_.insert(kEnterGame);

    int32_t newVersion = 0;
    int32_t newSubVersion = 0;
    const auto checkVersion = [&](std::string& text) {
        return client.CheckVersion(text, newVersion, newSubVersion);
    };
    const auto enter = [&](std::string& text) { return client.EnterGame(text); };
    const auto matchLogin = [&](std::string& text) { return client.MatchLogin(text); };
    const auto leaveGame = [&](std::string& text) {
        return client.LeaveGame(text, kOwnId, kOwnChair);
    };
    std::array<uint8_t, kSafeBoxReplySize> safeBox{};
    std::array<int32_t, 6> take{};
    std::array<uint8_t, kWelfareConfigSize> welfare{};
    int32_t amount = 0;
    uint32_t reported = 0;
    int32_t given = 0;
    const auto transferOut = [&](std::string& text) {
        amount = 500;
        reported = 0;
        return client.TransferOutOfGame(text, amount, reported);
    };
    const auto reply = [&](uint32_t id, uint32_t code, std::vector<uint8_t> data = {}) {
        return [=, this] { script.SetReply(id, code, data); };
    };
    // A request sent without waiting: it leaves the text alone and the server
    // never answers it.
    const auto unanswered = [](uint32_t id, std::function<int()> send,
                               std::function<void()> effect = {}) {
        Step step;
        step.id = id;
        step.answer = "none";
        step.send = [send](std::string&) { return send(); };
        step.returns = 1;
        step.text = "earlier text";
        step.effect = std::move(effect);
        return step;
    };
    const std::string parting = std::string("比赛已结束") + '\0' + "x";
    const std::string busy = "服务器繁忙，请稍候再试。";
    const std::string failed = "操作失败！";
    const std::string noSilverInGame = "系统禁止在【麻将】里存放银子。";
    const std::vector<uint8_t> tableReply = Pattern(15156, 3);
    const std::vector<uint8_t> enterTable = Pattern(40, 9);

    const std::
        vector<Step>
            steps =
                {
                    // 201001: the version pair and what a server of another version says.
                    {kCheckVersion, "10", {}, checkVersion, 1, kResultOk, "earlier text"},
                    {kCheckVersion, "14.0", [&] { script.SetVersion(14, 0); }, checkVersion, 0,
                     kResultOk, "您的游戏程序太旧了,必须下载新的程序才能玩游戏。",
                     [&] { EXPECT_EQ(newVersion, 14); }},
                    {kCheckVersion, "13.5", [&] { script.SetVersion(13, 5); }, checkVersion, 0,
                     kResultOk, "您的游戏程序需要更新。", [&] { EXPECT_EQ(newSubVersion, 5); }},
                    {kCheckVersion, "12.9", [&] { script.SetVersion(12, 9); }, checkVersion, 0,
                     kResultOk, "服务正在更新中，请稍候再试。"},
                    {kCheckVersion, "short", reply(kCheckVersion, kResultOk, Words({13})),
                     checkVersion, 0, kResultOk, busy},
                    {kCheckVersion, "silent", {}, checkVersion, 0, kResultTimedOut, busy, {}, true},
                    // 201308: the flag and the links of known buttons.
                    {kGetActiveConfig, "flag 0, one link",
                     reply(kGetActiveConfig, kResultOk,
                           FrameScript::ActiveConfigBytes(
                               0, {{0, "320x200!http://127.0.0.1/one.html"}})),
                     [&](std::string&) { return client.GetActiveConfig(); }, 1, kResultOk,
                     "earlier text",
                     [&] {
                         EXPECT_FALSE(app.IsActiveConfig());
                         EXPECT_EQ(app.GetWebLinks()[0].width, 320);
                         EXPECT_EQ(app.GetWebLinks()[0].url, "http://127.0.0.1/one.html");
                     }},
                    // 200110: every way in and the refusals.
                    {kEnterGame, "210210", reply(kEnterGame, kResultEnteredPlaying, enterTable),
                     enter, 1, kResultEnteredPlaying, "earlier text",
                     [&] {
                         EXPECT_EQ(app.GetEnterState(), 1);
                         EXPECT_TRUE(std::equal(enterTable.begin(), enterTable.end(),
                                                app.tableReplyBuffer.begin()));
                     }},
                    {kEnterGame, "210220",
                     reply(kEnterGame, kResultEnteredLookingOn, Pattern(12, 1)), enter, 1,
                     kResultEnteredLookingOn, "earlier text",
                     [&] {
                         EXPECT_EQ(app.GetEnterState(), 0);
                         EXPECT_EQ(app.tableReplyBuffer[0], 1);
                     }},
                    {kEnterGame, "210087", reply(kEnterGame, kResultWaitForResult), enter, 0,
                     kResultWaitForResult, "进入游戏失败，请等待本局结果提交。"},
                    {kEnterGame, "210060", reply(kEnterGame, 210060), enter, 0, 210060,
                     "进入游戏失败，请重新开始。"},
                    {kEnterGame, "refused", [&] { script.RefuseWithText(kEnterGame, "房间已满"); },
                     enter, 0, kResultRefusedWithText, "房间已满"},
                    // 201130: the room options and a running game.
                    {kQueryInGame, "10", [&] { script.SetRoomOptions(0x14); },
                     [&](std::string&) { return client.QueryInGame(); }, 0, kResultOk,
                     "earlier text", [&] { EXPECT_EQ(app.GetRoomOptions(), 0x14); }},
                    {kQueryInGame, "210030", [&] { script.SetGameRunning(true); },
                     [&](std::string&) { return client.QueryInGame(); }, 1, kResultGameRunning,
                     "earlier text"},
                    // 201140: not known by default; the table block when answered.
                    {kRequest201140,
                     "10000",
                     {},
                     [&](std::string&) { return client.Request201140(); },
                     0,
                     10000,
                     "earlier text"},
                    {kRequest201140, "10, 15156 bytes",
                     reply(kRequest201140, kResultOk, tableReply),
                     [&](std::string&) { return client.Request201140(); }, 1, kResultOk,
                     "earlier text",
                     [&] {
                         EXPECT_TRUE(std::equal(tableReply.begin(), tableReply.end(),
                                                app.tableReplyBuffer.begin()));
                     }},
                    {kRequest201140,
                     "silent",
                     {},
                     [&](std::string&) { return client.Request201140(); },
                     0,
                     kResultTimedOut,
                     "earlier text",
                     {},
                     true},
                    // 201165: the silver limits go to the application.
                    {kSilverCheck,
                     "10",
                     {},
                     [&](std::string& t) { return client.RequestSilverCheck(t); },
                     1,
                     kResultOk,
                     "earlier text"},
                    {kSilverCheck, "210541",
                     reply(kSilverCheck, kResultSilverTooLow, Words({1, 2, 3})),
                     [&](std::string& t) { return client.RequestSilverCheck(t); }, 0,
                     kResultSilverTooLow, "earlier text",
                     [&] { EXPECT_EQ(app.silverLimits.back(), "low 12"); }},
                    {kSilverCheck, "210542", reply(kSilverCheck, kResultSilverTooHigh),
                     [&](std::string& t) { return client.RequestSilverCheck(t); }, 0,
                     kResultSilverTooHigh, "earlier text",
                     [&] { EXPECT_EQ(app.silverLimits.back(), "high 0"); }},
                    // 201303: the reward claim's texts.
                    {kSilverRewardClaim,
                     "10",
                     {},
                     [&](std::string& t) { return client.SendSilverRewardClaim(t, 250); },
                     1,
                     kResultOk,
                     ""},
                    {kSilverRewardClaim, "10100", reply(kSilverRewardClaim, kResultRequestFailed),
                     [&](std::string& t) { return client.SendSilverRewardClaim(t, 250); }, 0,
                     kResultRequestFailed, "请求处理失败。"},
                    {kSilverRewardClaim, "229604",
                     reply(kSilverRewardClaim, kResultAboveRoomLimit, Words({5000})),
                     [&](std::string& t) { return client.SendSilverRewardClaim(t, 250); }, 0,
                     kResultAboveRoomLimit, "高于房间最高银子限制【5000两】。"},
                    {kSilverRewardClaim, "60042", reply(kSilverRewardClaim, kResultNoSilverInGame),
                     [&](std::string& t) { return client.SendSilverRewardClaim(t, 250); }, 0,
                     kResultNoSilverInGame, noSilverInGame},
                    {kSilverRewardClaim, "1000", reply(kSilverRewardClaim, 1000),
                     [&](std::string& t) { return client.SendSilverRewardClaim(t, 250); }, 0, 1000,
                     "对象不存在。"},
                    {kSilverRewardClaim,
                     "below 0",
                     {},
                     [&](std::string& t) { return client.SendSilverRewardClaim(t, -1); },
                     0,
                     0,
                     "earlier text",
                     {},
                     false,
                     false},
                    // Sent without waiting.
                    {kStartGame,
                     "none",
                     {},
                     [&](std::string& t) { return client.StartGame(t); },
                     1,
                     0,
                     ""},
                    {kRoundRequest,
                     "none",
                     {},
                     [&](std::string& t) { return client.RoundRequest(t); },
                     1,
                     0,
                     ""},
                    unanswered(kRequest201210, [&] { return client.Request201210("大家好"); }),
                    unanswered(kChatText, [&] { return client.SendChatText("快点"); }),
                    unanswered(kCallPlayer, [&] { return client.CallPlayer(kOtherId); }),
                    unanswered(kRequest201180, [&] { return client.Request201180(-9); }),
                    unanswered(kRequest201221, [&] { return client.Request201221(); }),
                    unanswered(kUserInfo, [&] { return client.RequestUserInfo(kOtherId); }),
                    unanswered(kMatchSignUp, [&] { return client.MatchSignUp(); }),
                    unanswered(kMatchGiveUp, [&] { return client.MatchGiveUp(); }),
                    unanswered(kExitRequest, [&] { return client.RequestExit("有事"); }),
                    unanswered(kExitAnswer, [&] { return client.AnswerExitRequest(kOtherId, 1); }),
                    unanswered(kLookOnPermission,
                               [&] { return client.SetLookOnPermission(kOtherId, 0); }),
                    unanswered(kRequest214102, [&] { return client.Request214102(); }),
                    unanswered(kRequest214104, [&] { return client.Request214104(); }),
                    unanswered(kRequest214110, [&] { return client.Request214110(3); }),
                    unanswered(
                        kReportNetStats, [&] { return client.ReportNetStats(); },
                        [&] { EXPECT_EQ(client.GetRequestCount(), 0u); }),
                    unanswered(kReportNotifyFailure,
                               [&] { return client.ReportNotifyFailure(211010, "short", 5); }),
                    // 201125: a plain leave and the three refusals.
                    {kLeaveGame, "10", {}, leaveGame, 0, kResultOk, ""},
                    {kLeaveGame, "210086", reply(kLeaveGame, kResultKeepPlaying), leaveGame, 1,
                     kResultKeepPlaying,
                     "生命不息，战斗不止，请继续游戏。\r\n("
                     "如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)"},
                    {kLeaveGame, "210085", reply(kLeaveGame, kResultMustWaitSeconds, Words({30})),
                     leaveGame, 1, kResultMustWaitSeconds,
                     "系统已经为您分配了随机桌位，\r\n\r\n必须再等 30 秒钟才能离开。"},
                    {kLeaveGame, "210087", reply(kLeaveGame, kResultWaitForResult), leaveGame, 1,
                     kResultWaitForResult, "离开游戏失败，请等待本局结果提交。"},
                    {kLeaveGame,
                     "silent",
                     {},
                     leaveGame,
                     0,
                     kResultTimedOut,
                     "请求处理超时。",
                     {},
                     true},
                    // 201300: a table change and one too often.
                    {kChangeTable,
                     "10",
                     {},
                     [&](std::string& t) { return client.ChangeTable(t); },
                     1,
                     kResultOk,
                     ""},
                    {kChangeTable, "210550", reply(kChangeTable, kResultChangeTooOften),
                     [&](std::string& t) { return client.ChangeTable(t); }, 0,
                     kResultChangeTooOften, "",
                     [&] {
                         // The only look at the frame view: the side panel's chat pane.
                         EXPECT_EQ(view.subSystem.chatLines.back(),
                                   " <z=qe系统通知> <c=255>您的换桌操作过于频繁，请稍等片刻!\r\n");
                     }},
                    // 201302: as the silver check.
                    {kRequest201302,
                     "10",
                     {},
                     [&](std::string& t) { return client.Request201302(t); },
                     1,
                     kResultOk,
                     ""},
                    {kRequest201302, "210542",
                     reply(kRequest201302, kResultSilverTooHigh, Words({5})),
                     [&](std::string& t) { return client.Request201302(t); }, 0,
                     kResultSilverTooHigh, "",
                     [&] { EXPECT_EQ(app.silverLimits.back(), "high 4"); }},
                    // 200040: the safe box's record.
                    {kQuerySafeBox,
                     "10, 32 bytes",
                     {},
                     [&](std::string& t) { return client.QuerySafeBox(t, safeBox); },
                     1,
                     kResultOk,
                     "",
                     [&] { EXPECT_EQ(WordAt(safeBox, 4), 5000); }},
                    {kQuerySafeBox, "60019", reply(kQuerySafeBox, 60019),
                     [&](std::string& t) { return client.QuerySafeBox(t, safeBox); }, 0, 60019,
                     "非常抱歉，系统正在维护中，请稍候再操作。"},
                    // 200041: into the game.
                    {kTransferIntoGame,
                     "10",
                     {},
                     [&](std::string& t) { return client.TransferIntoGame(t, 100, 7); },
                     1,
                     kResultOk,
                     "银子已经成功划入您指定的游戏。"},
                    {kTransferIntoGame, "60086",
                     reply(kTransferIntoGame, kResultDailyLimit, Words({300, 1000})),
                     [&](std::string& t) { return client.TransferIntoGame(t, 100, 7); }, 0,
                     kResultDailyLimit,
                     "系统限定每日划入【麻将】不能超过1000两，\r\n今天您最多还可以划入700两。"},
                    {kTransferIntoGame, "60086 at the limit",
                     reply(kTransferIntoGame, kResultDailyLimit, Words({1000, 1000})),
                     [&](std::string& t) { return client.TransferIntoGame(t, 100, 7); }, 0,
                     kResultDailyLimit,
                     "系统限定每日划入【麻将】不能超过1000两，\r\n今天您已经超限，到明天才能划银"
                     "。"},
                    {kTransferIntoGame, "60095",
                     reply(kTransferIntoGame, kResultMonthlyLimit,
                           Values64({1000000000, 5000000000})),
                     [&](std::string& t) { return client.TransferIntoGame(t, 100, 7); }, 0,
                     kResultMonthlyLimit,
                     "系统限定每月划入游戏总额不能超过5000000000两，\r\n本月您最多还可以划入4000000"
                     "000两。"},
                    {kTransferIntoGame, "60005", reply(kTransferIntoGame, kResultNotEnoughSilver),
                     [&](std::string& t) { return client.TransferIntoGame(t, 100, 7); }, 0,
                     kResultNotEnoughSilver, "您的保险箱里的银子不够。"},
                    {kTransferIntoGame, "other", reply(kTransferIntoGame, 99999),
                     [&](std::string& t) { return client.TransferIntoGame(t, 100, 7); }, 0, 99999,
                     failed},
                    {kTransferIntoGame, "refused",
                     [&] { script.RefuseWithText(kTransferIntoGame, "划帐暂停"); },
                     [&](std::string& t) { return client.TransferIntoGame(t, 100, 7); }, 0,
                     kResultRefusedWithText, "划帐暂停"},
                    // 200042: out of the game.
                    {kTransferOutOfGame,
                     "10",
                     {},
                     transferOut,
                     1,
                     kResultOk,
                     "",
                     [&] { EXPECT_EQ(reported, kResultOk); }},
                    {kTransferOutOfGame, "60092",
                     reply(kTransferOutOfGame, kResultGiftKeep, Words({400, 100})), transferOut, 0,
                     kResultGiftKeep,
                     "很抱歉，由于您在初次进入游戏房间时获赠了银两,系统只允许你转出300两。("
                     "至少保留100两)",
                     [&] {
                         EXPECT_EQ(amount, 300);
                         EXPECT_EQ(reported, kResultGiftKeep);
                     }},
                    {kTransferOutOfGame, "229603",
                     reply(kTransferOutOfGame, kResultBelowRoomLimit, Words({200})), transferOut, 0,
                     kResultBelowRoomLimit, "低于房间最低银子限制【200两】。"},
                    {kTransferOutOfGame, "60070",
                     reply(kTransferOutOfGame, kResultGiftHands, Words({8})), transferOut, 0,
                     kResultGiftHands,
                     "很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 8 局才能转出。"},
                    {kTransferOutOfGame, "60042", reply(kTransferOutOfGame, kResultNoSilverInGame),
                     transferOut, 0, kResultNoSilverInGame, noSilverInGame},
                    {kTransferOutOfGame, "other", reply(kTransferOutOfGame, 12345), transferOut, 0,
                     12345, failed, [&] { EXPECT_EQ(reported, 12345u); }},
                    // 200043: the take.
                    {kQueryTake,
                     "10, 24 bytes",
                     reply(kQueryTake, kResultOk, Words({5000, 123456789})),
                     [&](std::string& t) { return client.QueryTake(t, take, reported); },
                     1,
                     kResultOk,
                     "",
                     [&] {
                         EXPECT_EQ(take[0], 5000);
                         EXPECT_EQ(take[1], 123456789);
                     }},
                    {kQueryTake, "60000", reply(kQueryTake, kResultNoProtection),
                     [&](std::string& t) { return client.QueryTake(t, take, reported); }, 0,
                     kResultNoProtection,
                     failed, [&] { EXPECT_EQ(reported, kResultNoProtection); }},
                    // 214010: the welfare configuration.
                    {kWelfareConfig,
                     "10, 124 bytes",
                     {},
                     [&](std::string& t) { return client.GetWelfareConfig(t, kActivity, welfare); },
                     1,
                     kResultOk,
                     "",
                     [&] {
                         EXPECT_EQ(WordAt(welfare, 4), kActivity);
                         EXPECT_EQ(WordAt(welfare, 72), 2);
                     }},
                    {kWelfareConfig, "1010", reply(kWelfareConfig, 1010),
                     [&](std::string& t) { return client.GetWelfareConfig(t, kActivity, welfare); },
                     0, 1010, "请求处理失败。"},
                    // 214000, 214001: the claims and their amounts.
                    {kWelfareClaim,
                     "10",
                     {},
                     [&](std::string& t) {
                         return client.SendWelfareClaim(t, kActivity, 0, given);
                     },
                     1,
                     kResultOk,
                     "",
                     [&] { EXPECT_EQ(given, 2000); }},
                    {kWelfareClaim, "10100", reply(kWelfareClaim, kResultRequestFailed),
                     [&](std::string& t) {
                         return client.SendWelfareClaim(t, kActivity, 0, given);
                     },
                     0, kResultRequestFailed, "", [&] { EXPECT_EQ(given, 0); }},
                    {kWelfareClaim,
                     "kind 2",
                     {},
                     [&](std::
                             string& t) { return client.SendWelfareClaim(t, kActivity, 2, given); },
                     0,
                     0,
                     "earlier text",
                     {},
                     false,
                     false},
                    {kWelfareRewardClaim,
                     "10",
                     {},
                     [&](std::string& t) {
                         return client.SendWelfareRewardClaim(t, kActivity, 1, given);
                     },
                     1,
                     kResultOk,
                     "",
                     [&] { EXPECT_EQ(given, 2000); }},
                    // 201220: the match information and each match code (late: it makes
                    // the application a match client).
                    {kMatchLogin, "210521", reply(kMatchLogin, 210521), matchLogin, 1,
                     210521, "earlier text"},
                    {kMatchLogin, "210531", reply(kMatchLogin, 210531), matchLogin, 1,
                     210531, "earlier text"},
                    {kMatchLogin, "210534", reply(kMatchLogin, 210534), matchLogin, 1,
                     210534, "earlier text"},
                    {kMatchLogin, "210540", reply(kMatchLogin, 210540), matchLogin, 1,
                     210540, "earlier text"},
                    {kMatchLogin, "210533", reply(kMatchLogin, 210533), matchLogin, 1,
                     210533, "earlier text"},
                    {kMatchLogin, "210536", reply(kMatchLogin, 210536), matchLogin, 1,
                     210536, "earlier text"},
                    {kMatchLogin, "210537", reply(kMatchLogin, 210537), matchLogin, 1,
                     210537, "earlier text"},
                    {kMatchLogin, "210538", reply(kMatchLogin, 210538), matchLogin, 1,
                     210538, "earlier text"},
                    {kMatchLogin, "210539", reply(kMatchLogin, 210539), matchLogin, 1,
                     210539, "earlier text"},
                    {kMatchLogin, "210530", reply(kMatchLogin, kResultMatchQuit, Bytes(parting)),
                     matchLogin, 1, kResultMatchQuit, "earlier text",
                     [&] { EXPECT_EQ(app.quitTexts, std::vector<std::string>{"比赛已结束"}); }},
                    {kMatchLogin, "other", reply(kMatchLogin, 777), matchLogin, 0,
                     777, "earlier text"},
                    {kMatchLogin,
                     "silent",
                     {},
                     matchLogin,
                     0,
                     kResultTimedOut,
                     "服务器未回应登入请求!",
                     {},
                     true},
                    {kMatchLogin,
                     "210500",
                     {},
                     matchLogin,
                     1,
                     kResultMatchInfo,
                     "earlier text",
                     [&] {
                         // The match information overlays the own match player.
                         EXPECT_EQ(app.GetMatchPlayer(0).userId, kOwnId);
                         Relaunch(launch_);
                     }},
                    // 201120: the application's leave step, the last request.
                    {kLeaveTable,
                     "none",
                     {},
                     [&](std::string&) {
                         app.LeaveTableAndClose();
                         return 1;
                     },
                     1,
                     0,
                     "earlier text",
                     [&] { EXPECT_FALSE(client.IsConnected()); }},
                };
    const uint32_t start = platform::GetTickCount32();
    for (const Step& step : steps) {
        Run(step);
    }
    EXPECT_LT(platform::GetTickCount32() - start, 20000u);
    EXPECT_EQ(sent_.size(), 37u);
    EXPECT_EQ(bodyChecks_.size(), 37u);
    EXPECT_EQ(waitingIds_.size(), 18u);
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

}  // namespace
