// The game connection against the loopback test server running the frame's
// script: the real greeting, frames and AES, directly and through a real
// SOCKS5 proxy.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>

#include "frame/FramePlatform.h"
#include "frame/LaunchRecordBuilder.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "platform/System.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame/ScriptedConnection.h"
#include "tests/support/ProxyProcess.h"
#include "tests/zep/SocketTestSupport.h"
#include "tools/test_server/FrameScript.h"
#include "zep/ZepChannelKeys.h"
#include "zep/ZepSocketUtils.h"

#include "tests/frame/ConnectionFixture.h"

namespace {

using namespace connection_test;
using namespace frame_requests;
using testserver::FrameScript;
using testserver::TestGameServer;

TEST_F(GameConnectionTest, ConnectsWithTheChannelGreetingAndKeepsTheServer) {
    Connect(connection);
    EXPECT_NE(connection.GetConnectionId(), 0u);
    EXPECT_EQ(connection.GetServerHost(), "127.0.0.1");
    EXPECT_EQ(connection.GetServerPort(), server.Port());
    std::string text;
    int32_t newVersion = 0;
    int32_t newSubVersion = 0;
    ASSERT_EQ(connection.CheckVersion(text, newVersion, newSubVersion), 1);
    const std::vector<uint8_t> greeting = server.Greeting();
    EXPECT_EQ(std::string(greeting.begin(), greeting.end()),
              std::string("\x15\x00\x00\x00Hello! Game Channel.\x00", 25));
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

TEST_F(GameConnectionTest, NotConnectedRequestsFailAt1031WithoutSending) {
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply{1, 2, 3};
    EXPECT_EQ(connection.ProcessRequest(text, kQueryInGame, {}, result, reply, 1), 0);
    EXPECT_EQ(result, kResultNotConnected);
    EXPECT_EQ(text, "与服务器连接断开。");
    EXPECT_TRUE(reply.empty());

    Connect(connection);
    connection.Close();
    EXPECT_EQ(connection.LeaveTable(kOwnId, kOwnChair), 0);
    EXPECT_EQ(connection.ProcessRequest(text, kQueryInGame, {}, result, reply, 1), 0);
    EXPECT_EQ(result, kResultNotConnected);
    EXPECT_EQ(script.Requests().size(), 0u);
}

TEST_F(GameConnectionTest, AnUnansweredRequestTimesOutWith1030) {
    QuickConnection quick;
    Connect(quick);
    script.SetSilent(kQueryInGame);
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    EXPECT_EQ(quick.ProcessRequest(text, kQueryInGame, {}, result, reply, 1), 0);
    EXPECT_EQ(result, kResultTimedOut);
    EXPECT_EQ(text, "请求处理超时。");
    EXPECT_EQ(quick.GetRequestCount(), 0u);
    // The connection still serves the next request.
    script.ClearAnswer(kQueryInGame);
    EXPECT_EQ(quick.QueryInGame(), 0);
    EXPECT_EQ(quick.GetRequestCount(), 1u);
}

TEST_F(GameConnectionTest, RequestTimeoutsFollowTheRequest) {
    EXPECT_EQ(connection.GetRequestTimeout(kCheckVersion), 15u);
    EXPECT_EQ(connection.GetRequestTimeout(kQueryInGame), 5u);
    EXPECT_EQ(connection.GetRequestTimeout(kEnterGame), 30u);
    EXPECT_EQ(connection.GetRequestTimeout(kMatchLogin), 30u);
    EXPECT_EQ(connection.GetRequestTimeout(kLeaveGame), 10u);
}

TEST_F(GameConnectionTest, VersionCheckOutcomes) {
    Connect(connection);
    struct Case {
        int32_t version, subVersion;
        int ok;
        const char* text;
        int32_t newVersion, newSubVersion;
    };
    const Case cases[] = {
        {13, 1, 1, "", 0, 0},
        {14, 0, 0, "您的游戏程序太旧了,必须下载新的程序才能玩游戏。", 14, 0},
        {12, 9, 0, "服务正在更新中，请稍候再试。", 0, 0},
        {13, 4, 0, "您的游戏程序需要更新。", 0, 4},
        {13, 0, 0, "服务正在更新中，请稍候再试。", 0, 0},
    };
    for (const Case& c : cases) {
        script.SetVersion(c.version, c.subVersion);
        std::string text;
        int32_t newVersion = 0;
        int32_t newSubVersion = 0;
        EXPECT_EQ(connection.CheckVersion(text, newVersion, newSubVersion), c.ok) << c.version;
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(newVersion, c.newVersion);
        EXPECT_EQ(newSubVersion, c.newSubVersion);
    }
    EXPECT_EQ(script.Count(kCheckVersion), 5u);
    EXPECT_TRUE(script.LastBody(kCheckVersion).empty());
}

TEST_F(GameConnectionTest, ShortOrRefusedVersionRepliesCountAsBusy) {
    Connect(connection);
    for (const std::vector<uint8_t>& reply :
         {std::vector<uint8_t>{}, Words({13}), std::vector<uint8_t>{13, 0, 0, 0, 1, 0, 0}}) {
        script.SetReply(kCheckVersion, kResultOk, reply);
        std::string text;
        int32_t newVersion = 0;
        int32_t newSubVersion = 0;
        EXPECT_EQ(connection.CheckVersion(text, newVersion, newSubVersion), 0) << reply.size();
        EXPECT_EQ(text, "服务器繁忙，请稍候再试。");
    }
    // The two version words alone are enough.
    script.SetReply(kCheckVersion, kResultOk, Words({13, 1}));
    std::string text;
    int32_t newVersion = 0;
    int32_t newSubVersion = 0;
    EXPECT_EQ(connection.CheckVersion(text, newVersion, newSubVersion), 1);
}

TEST_F(GameConnectionTest, RefusalTextIsReadWithinTheReply) {
    Connect(connection);
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    script.RefuseWithText(kLeaveGame, "不许走", /*terminated=*/false);
    EXPECT_EQ(connection.ProcessRequest(text, kLeaveGame, {}, result, reply, 1), 0);
    EXPECT_EQ(result, kResultRefusedWithText);
    EXPECT_EQ(text, "不许走");
    EXPECT_TRUE(reply.empty());

    script.SetReply(kLeaveGame, kResultRefusedWithText, Bytes(std::string("短\0尾巴", 8)));
    EXPECT_EQ(connection.ProcessRequest(text, kLeaveGame, {}, result, reply, 1), 0);
    EXPECT_EQ(text, "短");

    text = "old";
    script.SetReply(kLeaveGame, kResultRefusedWithText);
    EXPECT_EQ(connection.ProcessRequest(text, kLeaveGame, {}, result, reply, 1), 0);
    EXPECT_EQ(text, "");
}

TEST_F(GameConnectionTest, ResultTextsNameKnownCodesAndLeaveOthers) {
    Connect(connection);
    std::string text = "caller's";
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    script.SetReply(kQueryInGame, 210020, Words({1}));
    EXPECT_EQ(connection.ProcessRequest(text, kQueryInGame, {}, result, reply, 1), 1);
    EXPECT_EQ(result, 210020u);
    EXPECT_EQ(text, "没有空余的旁观位置。");
    EXPECT_EQ(reply, Words({1}));
    text = "caller's";
    script.SetReply(kQueryInGame, 424242);
    EXPECT_EQ(connection.ProcessRequest(text, kQueryInGame, {}, result, reply, 1), 1);
    EXPECT_EQ(text, "caller's");
}

TEST_F(GameConnectionTest, ActiveConfigStoresTheLinksOfKnownButtons) {
    Connect(connection);
    ASSERT_EQ(connection.GetActiveConfig(), 1);
    EXPECT_TRUE(app.IsActiveConfig());
    EXPECT_EQ(app.GetActiveButtons(), (std::vector<int>{0, 1}));
    ASSERT_EQ(app.GetWebLinks().size(), 2u);
    EXPECT_EQ(app.GetWebLinks()[0].width, 800);
    EXPECT_EQ(app.GetWebLinks()[0].height, 600);
    EXPECT_EQ(app.GetWebLinks()[0].url, "http://127.0.0.1/frame/link0.html");
    EXPECT_EQ(app.GetWebLinks()[1].url, "http://127.0.0.1/frame/link1.html");
    EXPECT_EQ(FrameScript::ActiveConfigBytes(1, {}).size(), ActiveConfigBlock::kSize);
}

TEST_F(GameConnectionTest, ActiveConfigBoundsItsEntriesAndItems) {
    Connect(connection);
    // Index -1 and 99 are no buttons; an item without '!' has no address;
    // an index without an item is skipped; the count beyond 10 is cut.
    std::vector<FrameScript::Link> links = {
        {-1, "1x1!http://a"}, {99, "1x1!http://b"}, {2, "300x200"}, {3, "x5!http://c"}};
    std::vector<uint8_t> block = FrameScript::ActiveConfigBytes(0, links);
    ZepWireWriter counts(block);
    counts.WriteI32(0);
    counts.WriteI32(1000);  // count far past the ten indices
    ZepWireWriter indices(std::span<uint8_t>(block).subspan(8 + 4 * 4));
    indices.WriteI32(4);  // entry 4: a button, but no item
    script.SetReply(kGetActiveConfig, kResultOk, block);
    ASSERT_EQ(connection.GetActiveConfig(), 1);
    EXPECT_FALSE(app.IsActiveConfig());
    EXPECT_EQ(app.GetActiveButtons(), (std::vector<int>{2, 3}));
    EXPECT_EQ(app.GetWebLinks()[2].width, 300);
    EXPECT_EQ(app.GetWebLinks()[2].height, 200);
    EXPECT_EQ(app.GetWebLinks()[2].url, "");
    EXPECT_EQ(app.GetWebLinks()[3].width, 0);
    EXPECT_EQ(app.GetWebLinks()[3].url, "http://c");

    // A block cut after the flag: read as far as it reaches.
    app.GetActiveButtons().clear();
    script.SetReply(kGetActiveConfig, kResultOk, Words({1, 2}));
    EXPECT_EQ(connection.GetActiveConfig(), 1);
    EXPECT_TRUE(app.IsActiveConfig());
    EXPECT_TRUE(app.GetActiveButtons().empty());
    // No data: nothing changes.
    script.SetReply(kGetActiveConfig, kResultOk);
    EXPECT_EQ(connection.GetActiveConfig(), 0);
    EXPECT_TRUE(app.IsActiveConfig());
}

TEST_F(GameConnectionTest, EnterSendsTheEnterRecordAndKeepsTheStatusBlock) {
    Connect(connection);
    app.responseBuffer.fill(0xEE);
    std::string text;
    ASSERT_EQ(connection.EnterGame(text), 1);
    const std::vector<uint8_t> body = script.LastBody(kEnterGame);
    ASSERT_EQ(body.size(), EnterRecord::kSize);
    EnterRecord sent;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(body), sent));
    EXPECT_EQ(sent.userId, kOwnId);
    EXPECT_EQ(sent.userFlags, 0x21);
    EXPECT_EQ(sent.gameId, 30);
    EXPECT_EQ(sent.roomId, kRoomId);
    EXPECT_EQ(sent.tableNo, kTableNo);
    EXPECT_EQ(sent.chairNo, kOwnChair);
    EXPECT_EQ(FieldText(sent.machineId), kMachineId);
    EXPECT_EQ(sent.requestValue, 77);
    // 210200 with its 1096 bytes fills the response buffer and tells the view.
    EXPECT_EQ(app.responseBuffer, (std::array<uint8_t, 1096>{}));
    EXPECT_EQ(view.Count("OnEnterResult210200"), 1);
    EXPECT_EQ(app.GetEnterState(), 0);
}

TEST_F(GameConnectionTest, EnterCarriesThePlayerFormInRoomsWithFlag64) {
    ASSERT_TRUE(app.InitGameData(Launch(RoomInfo::kFlagSkipLeftOut).Build()));
    Connect(connection);
    std::string text;
    ASSERT_EQ(connection.EnterGame(text), 1);
    const std::vector<uint8_t> body = script.LastBody(kEnterGame);
    ASSERT_EQ(body.size(), EnterRecord::kSize + ServerPlayerRecord::kSize);
    ServerPlayerRecord form;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(body).subspan(EnterRecord::kSize), form));
    EXPECT_EQ(form.userId, kOwnId);
    EXPECT_EQ(FieldText(form.name), "自己");
}

TEST_F(GameConnectionTest, EnterRefusalsGiveTheirTexts) {
    Connect(connection);
    std::string text;
    script.SetReply(kEnterGame, kResultWaitForResult);
    EXPECT_EQ(connection.EnterGame(text), 0);
    EXPECT_EQ(text, "进入游戏失败，请等待本局结果提交。");
    script.SetReply(kEnterGame, 210060);
    EXPECT_EQ(connection.EnterGame(text), 0);
    EXPECT_EQ(text, "进入游戏失败，请重新开始。");
    script.RefuseWithText(kEnterGame, "房间已满");
    EXPECT_EQ(connection.EnterGame(text), 0);
    EXPECT_EQ(text, "房间已满");
    EXPECT_EQ(view.Count("OnEnterResult"), 0);
}

TEST_F(GameConnectionTest, EnterRepliesLongerThanTheBuffersAreCut) {
    Connect(connection);
    std::string text;
    script.SetReply(kEnterGame, kResultEntered, std::vector<uint8_t>(5000, 0x41));
    ASSERT_EQ(connection.EnterGame(text), 1);
    EXPECT_EQ(app.responseBuffer.back(), 0x41);
    // A random-table reply shorter than its head copies nothing.
    ASSERT_TRUE(app.InitGameData(Launch(RoomInfo::kFlagRandomTable).Build()));
    app.tableReplyBuffer.fill(0x55);
    script.SetReply(kEnterGame, kResultEnteredPlaying, std::vector<uint8_t>(40, 0x41));
    ASSERT_EQ(connection.EnterGame(text), 1);
    EXPECT_EQ(app.tableReplyBuffer[0], 0x55);
    EXPECT_EQ(app.GetEnterState(), 1);
    // Nine players claimed, one present: the rest after that one is kept.
    std::vector<uint8_t> reply(60 + 136 + 8, 0);
    ZepWireWriter(std::span<uint8_t>(reply).subspan(8)).WriteI32(9);
    reply[60 + 136] = 0x77;
    script.SetReply(kEnterGame, kResultEnteredPlaying, reply);
    ASSERT_EQ(connection.EnterGame(text), 1);
    EXPECT_EQ(app.tableReplyBuffer[0], 0x77);
    EXPECT_EQ(app.tableReplyBuffer[8], 0);
}

TEST_F(GameConnectionTest, MatchLoginHandsTheMatchInfoToTheApplication) {
    Connect(connection);
    std::string text;
    ASSERT_EQ(connection.MatchLogin(text), 1);
    const std::vector<uint8_t> body = script.LastBody(kMatchLogin);
    ASSERT_EQ(body.size(), MatchLoginRecord::kSize);
    EXPECT_EQ(WordAt(body, 0), kOwnId);
    EXPECT_EQ(WordAt(body, 16), kRoomId);
    EXPECT_EQ(view.Count("OnMatchSignedUp"), 1);
    EXPECT_EQ(app.GetMatchPlayer(0).userId, kOwnId);

    script.SetReply(kMatchLogin, 210534);
    EXPECT_EQ(connection.MatchLogin(text), 1);
    EXPECT_EQ(view.Count("ShowMatchOver"), 1);
    script.SetSilent(kMatchLogin);
    connection.Close();  // the server takes one client at a time
    QuickConnection quick;
    Connect(quick);
    EXPECT_EQ(quick.MatchLogin(text), 0);
    EXPECT_EQ(text, "服务器未回应登入请求!");
}

TEST_F(GameConnectionTest, QueryInGameRefreshesTheRoomOptions) {
    Connect(connection);
    script.SetRoomOptions(0x4004);
    EXPECT_EQ(connection.QueryInGame(), 0);
    EXPECT_EQ(app.GetRoomOptions(), 0x4004);
    script.SetGameRunning(true);
    script.SetRoomOptions(4);
    EXPECT_EQ(connection.QueryInGame(), 1);
    EXPECT_EQ(app.GetRoomOptions(), 4);
    const std::vector<uint8_t> body = script.LastBody(kQueryInGame);
    ASSERT_EQ(body.size(), QueryInGameRecord::kSize);
    EXPECT_EQ(body,
              (std::vector<uint8_t>(Words({kOwnId, kRoomId, kTableNo, kOwnChair, 0, 0, 0, 0}))));
    // A reply too short for the options word leaves them.
    script.SetReply(kQueryInGame, kResultGameRunning, {1, 2});
    EXPECT_EQ(connection.QueryInGame(), 1);
    EXPECT_EQ(app.GetRoomOptions(), 4);
}

TEST_F(GameConnectionTest, LeaveGameIsRefusedOnlyByItsThreeCodes) {
    Connect(connection);
    std::string text;
    EXPECT_EQ(connection.LeaveGame(text, kOwnId, kOwnChair), 0);
    EXPECT_EQ(text, "");
    LeaveRecord sent;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(script.LastBody(kLeaveGame)), sent));
    EXPECT_EQ(sent.userId, kOwnId);
    EXPECT_EQ(sent.roomId, kRoomId);
    EXPECT_EQ(sent.otherUser, 0);
    EXPECT_EQ(sent.ownChairNo, kOwnChair);
    EXPECT_EQ(FieldText(sent.machineId), kMachineId);

    script.SetReply(kLeaveGame, kResultMustWaitSeconds, Words({45}));
    EXPECT_EQ(connection.LeaveGame(text, kOwnId, kOwnChair), 1);
    EXPECT_EQ(text, "系统已经为您分配了随机桌位，\r\n\r\n必须再等 45 秒钟才能离开。");
    script.SetReply(kLeaveGame, kResultMustWaitSeconds, {9});  // the word is missing
    EXPECT_EQ(connection.LeaveGame(text, kOwnId, kOwnChair), 1);
    EXPECT_EQ(text, "系统已经为您分配了随机桌位，\r\n\r\n必须再等 0 秒钟才能离开。");
    script.SetReply(kLeaveGame, kResultKeepPlaying);
    EXPECT_EQ(connection.LeaveGame(text, kOwnId, kOwnChair), 1);
    EXPECT_EQ(text.rfind("生命不息，战斗不止，请继续游戏。\r\n", 0), 0u);
    script.SetReply(kLeaveGame, kResultWaitForResult);
    EXPECT_EQ(connection.LeaveGame(text, kOwnId, kOwnChair), 1);
    EXPECT_EQ(text, "离开游戏失败，请等待本局结果提交。");
    script.RefuseWithText(kLeaveGame, "别走");
    EXPECT_EQ(connection.LeaveGame(text, kOwnId, kOwnChair), 0);
}

TEST_F(GameConnectionTest, NeverAnsweredRequestsCountAsSentAndAreRecorded) {
    Connect(connection);
    EXPECT_EQ(connection.LeaveTable(4000, 0), 1);
    EXPECT_EQ(connection.ReportNetStats(), 1);
    const uint8_t notification[300] = {};
    EXPECT_EQ(connection.ReportNotifyFailure(211010, notification, sizeof notification), 1);
    ASSERT_TRUE(script.WaitForCount(kReportNotifyFailure, 1, kWaitMs));
    const std::vector<FrameScript::Recorded> requests = script.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].id, kLeaveTable);
    EXPECT_EQ(requests[1].id, kReportNetStats);
    for (const FrameScript::Recorded& request : requests) {
        EXPECT_FALSE(request.waited) << request.id;
    }
    LeaveRecord leave;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(requests[0].body), leave));
    EXPECT_EQ(leave.userId, 4000);
    EXPECT_EQ(leave.otherUser, 1);
    EXPECT_EQ(leave.ownUserId, kOwnId);
    NotifyFailureRecord failure;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(requests[2].body), failure));
    EXPECT_EQ(failure.notifyId, 211010);
    EXPECT_EQ(failure.notifyLength, 300);
    EXPECT_EQ(failure.tableNo, kTableNo);
    EXPECT_EQ(failure.tableNo2, kTableNo);
    EXPECT_EQ(connection.GetRequestCount(), 0u);
}

TEST_F(GameConnectionTest, TheServersSilentRequestsStaySilentEvenWhenWaitedFor) {
    QuickConnection quick;
    Connect(quick);
    const std::vector<uint8_t> body(32);
    // Two of the table actions the server takes in silence.
    for (uint32_t id : {kRequest201180, kRequest214110}) {
        std::string text;
        uint32_t result = 0;
        std::vector<uint8_t> reply;
        EXPECT_EQ(quick.ProcessRequest(text, id, body, result, reply, 1), 0) << id;
        EXPECT_EQ(result, kResultTimedOut) << id;
    }
    // Any other id the server does not know is answered at once.
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    EXPECT_EQ(quick.ProcessRequest(text, 201999, body, result, reply, 1), 1);
    EXPECT_EQ(result, 10000u);
    EXPECT_EQ(text, "不支持的请求。");
}

TEST_F(GameConnectionTest, NetworkReportCarriesTheResponseTimesOnce) {
    Connect(connection);
    std::string text;
    int32_t newVersion = 0;
    int32_t newSubVersion = 0;
    ASSERT_EQ(connection.CheckVersion(text, newVersion, newSubVersion), 1);
    ASSERT_EQ(connection.QueryInGame(), 0);
    EXPECT_EQ(connection.GetRequestCount(), 2u);
    const uint32_t longest = connection.GetRequestMaxMs();
    const uint32_t average = connection.GetRequestTotalMs() / 2;
    ASSERT_EQ(connection.ReportNetStats(), 1);
    ASSERT_EQ(connection.ReportNetStats(), 1);
    ASSERT_TRUE(script.WaitForCount(kReportNetStats, 2, kWaitMs));
    const std::vector<FrameScript::Recorded> requests = script.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[2].body, Words({kOwnId, int32_t(average), int32_t(longest), 0}));
    EXPECT_EQ(requests[3].body, Words({kOwnId, 0, 0, 0}));
}

TEST_F(GameConnectionTest, NotificationsReachTheNotifyThreadWithTheConnectionId) {
    Connect(connection);
    ASSERT_TRUE(script.Notify(211000, Words({1, 2, 3})));
    ASSERT_TRUE(owner.WaitFor(1));
    const zeptest::Delivered delivered = owner.Received()[0];
    EXPECT_EQ(delivered.code, 211000u);
    EXPECT_EQ(delivered.data.size(), 12u);
    EXPECT_EQ(delivered.info.connectionId, connection.GetConnectionId());
}

TEST_F(GameConnectionTest, ProxySettingsAreReadWithTheirDefaults) {
    connection.ReadProxySettings(WriteProxyIni("Need=1\r\nHost=proxy.example\r\n").c_str());
    EXPECT_EQ(connection.GetProxyNeed(), 1);
    EXPECT_EQ(connection.GetProxyPort(), 1080);
    EXPECT_EQ(connection.GetProxyType(), 3);
    EXPECT_EQ(connection.GetProxyHost(), "proxy.example");
    connection.ReadProxySettings((folder.Path() / "missing.ini").c_str());
    EXPECT_EQ(connection.GetProxyNeed(), 0);
    EXPECT_EQ(connection.GetProxyHost(), "");
}

TEST_F(GameConnectionTest, ProxyPortOutsideItsRangeIsAProxyFailure) {
    for (const char* port : {"0", "65536", "-5", "70000"}) {
        connection.ReadProxySettings(
            WriteProxyIni("Need=1\r\nHost=127.0.0.1\r\nPort=" + std::string(port) + "\r\n")
                .c_str());
        int proxyFailed = 0;
        EXPECT_EQ(connection.ConnectServer("", "127.0.0.1", server.Port(), proxyFailed), 0) << port;
        EXPECT_EQ(proxyFailed, 1) << port;
        EXPECT_FALSE(connection.IsConnected());
    }
    EXPECT_EQ(server.WaitForClients(1, 200), false);
}

TEST_F(GameConnectionTest, UnreachableProxyIsAProxyFailureNamingItsHost) {
    connection.ReadProxySettings(WriteProxyIni("Need=1\r\nHost=127.0.0.1\r\nPort=" +
                                               std::to_string(test_support::FreeLoopbackPort()) +
                                               "\r\n")
                                     .c_str());
    int proxyFailed = 0;
    EXPECT_EQ(connection.ConnectServer("", "127.0.0.1", server.Port(), proxyFailed), 0);
    EXPECT_EQ(proxyFailed, 1);
    EXPECT_EQ(connection.GetProxyHost(), "127.0.0.1");
}

TEST_F(GameConnectionTest, ConnectsThroughASocks5Proxy) {
    const std::unique_ptr<test_support::ProxyProcess> proxy =
        test_support::StartMicrosocks(folder.Path(), "player", "tiles");
    ASSERT_NE(proxy, nullptr);
    const uint16_t port = proxy->Port();
    connection.ReadProxySettings(
        WriteProxyIni("Need=1\r\nSock=3\r\nHost=127.0.0.1\r\nPort=" + std::to_string(port) +
                      "\r\nUser=player\r\npwd=tiles\r\n")
            .c_str());
    connection.SetupTransform();
    connection.SetNotifyThread(owner.Id());
    int proxyFailed = 0;
    ASSERT_EQ(connection.ConnectServer("", "127.0.0.1", server.Port(), proxyFailed), 1);
    EXPECT_EQ(proxyFailed, 0);
    std::string text;
    int32_t newVersion = 0;
    int32_t newSubVersion = 0;
    EXPECT_EQ(connection.CheckVersion(text, newVersion, newSubVersion), 1);
    EXPECT_EQ(connection.GetActiveConfig(), 1);
    EXPECT_EQ(script.RequestIds(), (std::vector<uint32_t>{kCheckVersion, kGetActiveConfig}));
}

TEST(ScriptedConnectionTest, AnswersFromItsScriptAndRecordsTheCalls) {
    ScriptedConnection connection;
    connection.script.connect = 0;
    connection.script.proxyFailed = 1;
    int proxyFailed = 0;
    EXPECT_EQ(connection.ConnectServer("", "host", 21265, proxyFailed), 0);
    EXPECT_EQ(proxyFailed, 1);
    EXPECT_EQ(connection.GetConnectionId(), 0u);
    connection.script.checkVersion = 0;
    connection.script.versionText = "old";
    std::string text;
    int32_t v = 0;
    int32_t s = 0;
    EXPECT_EQ(connection.CheckVersion(text, v, s), 0);
    EXPECT_EQ(text, "old");
    CGameConnection& asBase = connection;
    EXPECT_EQ(asBase.LeaveTable(1, 2), 1);
    EXPECT_EQ(connection.calls, (std::vector<std::string>{"ConnectServer  host 21265",
                                                          "CheckVersion", "LeaveTable 1 2"}));
}

}  // namespace
