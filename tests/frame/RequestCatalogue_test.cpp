// The game connection's senders against the loopback test server: the bodies
// as the server receives them, the wait flag, and the outcome of every
// result code a sender tells apart.

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "tests/frame/ConnectionFixture.h"

namespace {

using namespace connection_test;
using namespace frame_requests;
using testserver::FrameScript;

constexpr int32_t kOtherId = 4000;

// A 64-bit value as two little-endian words.
std::vector<uint8_t> Pair64(int64_t first, int64_t second) {
    auto low = [](int64_t v) { return static_cast<int32_t>(static_cast<uint64_t>(v)); };
    auto high = [](int64_t v) { return static_cast<int32_t>(static_cast<uint64_t>(v) >> 32); };
    return Words({low(first), high(first), low(second), high(second)});
}

std::string TextAt(const std::vector<uint8_t>& body, size_t offset, size_t width) {
    std::string text;
    for (size_t i = offset; i < offset + width && i < body.size() && body[i] != 0; ++i) {
        text.push_back(static_cast<char>(body[i]));
    }
    return text;
}

class RequestCatalogueTest : public GameConnectionTest {
protected:
    void SetUp() override {
        GameConnectionTest::SetUp();
        Connect(connection);
    }

    // A silver room where the safe box may be used in the game.
    void LaunchSafeBoxRoom() {
        LaunchRecordBuilder builder = Launch(RoomInfo::kFlagSafeBoxInGame);
        builder.room.options = RoomInfo::kOptionSilverRoom;
        builder.seats[1].silver = 1234;
        Relaunch(builder);
    }

    // The body of the one request of that id, once the server has it.
    FrameScript::Recorded Received(uint32_t id) {
        EXPECT_TRUE(script.WaitForCount(id, 1, kWaitMs)) << id;
        for (const FrameScript::Recorded& request : script.Requests()) {
            if (request.id == id) {
                return request;
            }
        }
        return {};
    }
};

TEST_F(RequestCatalogueTest, SendersThatDoNotWaitCarryTheirBodies) {
    struct Case {
        uint32_t id;
        std::function<int()> send;
        size_t size;
        std::vector<std::pair<size_t, int32_t>> words;  // offset, value
    };
    std::string text = "old";
    const std::vector<std::pair<size_t, int32_t>> head = {
        {0, kOwnId}, {4, kRoomId}, {8, kTableNo}, {12, kOwnChair}};
    auto withHead = [&](std::vector<std::pair<size_t, int32_t>> more) {
        more.insert(more.begin(), head.begin(), head.end());
        return more;
    };
    const Case cases[] = {
        {kStartGame, [&] { return connection.StartGame(text); }, 32, head},
        {kRoundRequest, [&] { return connection.RoundRequest(text); }, 32, head},
        {kRequest201210, [&] { return connection.Request201210("大家好"); }, 128, head},
        {kChatText, [&] { return connection.SendChatText("快点"); }, 128, head},
        {kCallPlayer, [&] { return connection.CallPlayer(kOtherId); }, 40,
         withHead({{16, kOtherId}, {20, 0}})},
        {kRequest201180, [&] { return connection.Request201180(-9); }, 36, withHead({{16, -9}})},
        {kRequest201221,
         [&] { return connection.Request201221(); },
         32,
         {{0, kOwnId}, {4, app.GetMatchValue()}, {8, kRoomId}, {12, 77}}},
        {kUserInfo,
         [&] { return connection.RequestUserInfo(kOtherId); },
         32,
         {{0, kRoomId}, {4, kOwnId}, {8, kOtherId}}},
        {kMatchSignUp,
         [&] { return connection.MatchSignUp(); },
         56,
         {{0, kOwnId}, {4, 30}, {8, kRoomId}}},
        {kMatchGiveUp,
         [&] { return connection.MatchGiveUp(); },
         56,
         {{0, kOwnId}, {4, 30}, {8, kRoomId}}},
        {kExitRequest, [&] { return connection.RequestExit("有事"); }, 84, withHead({{16, 0}})},
        {kExitAnswer, [&] { return connection.AnswerExitRequest(kOtherId, 1); }, 40,
         withHead({{16, kOtherId}, {20, 1}})},
        {kLookOnPermission, [&] { return connection.SetLookOnPermission(kOtherId, 1); }, 40,
         withHead({{16, kOtherId}, {20, 1}})},
        {kRequest214102, [&] { return connection.Request214102(); }, 428, head},
        {kRequest214104, [&] { return connection.Request214104(); }, 428, head},
        {kRequest214110, [&] { return connection.Request214110(3); }, 380, withHead({{52, 3}})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.send(), 1) << c.id;
        const FrameScript::Recorded request = Received(c.id);
        EXPECT_FALSE(request.waited) << c.id;
        ASSERT_EQ(request.body.size(), c.size) << c.id;
        for (const auto& [offset, value] : c.words) {
            EXPECT_EQ(WordAt(request.body, offset), value) << c.id << " at " << offset;
        }
    }
    EXPECT_EQ(text, "");
    EXPECT_EQ(TextAt(script.LastBody(kChatText), 48, 80), "快点");
    EXPECT_EQ(TextAt(script.LastBody(kChatText), 16, 32), kMachineId);
    EXPECT_EQ(TextAt(script.LastBody(kRequest201210), 48, 80), "大家好");
    EXPECT_EQ(TextAt(script.LastBody(kExitRequest), 20, 64), "有事");
    EXPECT_EQ(TextAt(script.LastBody(kRequest214102), 28, 32), "自己");
    EXPECT_EQ(TextAt(script.LastBody(kRequest214102), 60, 32), kMachineId);
    EXPECT_EQ(TextAt(script.LastBody(kRequest214110), 16, 36), "自己");
    // Nothing of these is ever answered.
    EXPECT_EQ(connection.GetRequestCount(), 0u);
}

TEST_F(RequestCatalogueTest, TextsAreCutAtAWholeCharacterInsideTheirField) {
    // 61 ASCII bytes and a two-byte character: the character does not fit
    // into the 62 bytes a chat line may take.
    const std::string chat = std::string(61, 'a') + "好" + "tail";
    connection.SendChatText(chat);
    const std::vector<uint8_t> body = Received(kChatText).body;
    EXPECT_EQ(TextAt(body, 48, 80), std::string(61, 'a'));
    for (size_t i = 48 + 61; i < body.size(); ++i) {
        EXPECT_EQ(body[i], 0) << i;
    }

    // A reason of 70 bytes keeps 63 of them and its terminator; one of 31
    // characters (62 bytes) and an extra lead byte keeps the whole ones.
    connection.RequestExit(std::string(70, 'r'));
    const std::vector<uint8_t> exit = Received(kExitRequest).body;
    ASSERT_EQ(exit.size(), 84u);
    EXPECT_EQ(TextAt(exit, 20, 64), std::string(63, 'r'));
    EXPECT_EQ(exit[83], 0);
    std::string wide;
    for (int i = 0; i < 31; ++i) {
        wide += "走";
    }
    connection.RequestExit(wide + "\xB0");
    ASSERT_TRUE(script.WaitForCount(kExitRequest, 2, kWaitMs));
    EXPECT_EQ(TextAt(script.LastBody(kExitRequest), 20, 64), wide);

    // A short reason that is not terminated: only its own bytes go.
    const char heap[3] = {'o', 'k', 'x'};
    connection.RequestExit(std::string_view(heap, 2));
    ASSERT_TRUE(script.WaitForCount(kExitRequest, 3, kWaitMs));
    EXPECT_EQ(TextAt(script.LastBody(kExitRequest), 20, 64), "ok");
}

TEST_F(RequestCatalogueTest, SilverCheckHandsTheLimitsToTheApplication) {
    std::string text;
    EXPECT_EQ(connection.RequestSilverCheck(text), 1);
    EXPECT_EQ(view.mainGame.idleKicksCancelled, 1);
    const FrameScript::Recorded request = Received(kSilverCheck);
    EXPECT_TRUE(request.waited);
    EXPECT_EQ(request.body.size(), 32u);

    script.SetReply(kSilverCheck, kResultSilverTooLow, Words({1, 2, 3}));
    EXPECT_EQ(connection.RequestSilverCheck(text), 0);
    script.SetReply(kSilverCheck, kResultSilverTooHigh);
    EXPECT_EQ(connection.RequestSilverCheck(text), 0);
    script.SetReply(kSilverCheck, 777);
    EXPECT_EQ(connection.RequestSilverCheck(text), 0);
    EXPECT_EQ(app.silverLimits, (std::vector<std::string>{"low 12", "high 0"}));
    EXPECT_EQ(view.mainGame.idleKicksCancelled, 1);

    // 201302 goes only in rooms with flags 2 and 128, for a player.
    EXPECT_EQ(connection.Request201302(text), 0);
    EXPECT_EQ(script.Count(kRequest201302), 0u);
    Relaunch(Launch(RoomInfo::kFlagNoForcedExit | RoomInfo::kFlag128));
    script.SetReply(kRequest201302, kResultSilverTooHigh, Words({5}));
    EXPECT_EQ(connection.Request201302(text), 0);
    EXPECT_EQ(app.silverLimits.back(), "high 4");
    Relaunch(Launch(RoomInfo::kFlagNoForcedExit | RoomInfo::kFlag128), 1);
    EXPECT_EQ(connection.Request201302(text), 0);
    EXPECT_EQ(script.Count(kRequest201302), 1u);
}

TEST_F(RequestCatalogueTest, SilverRewardClaimTexts) {
    std::string text = "old";
    EXPECT_EQ(connection.SendSilverRewardClaim(text, -1), 0);
    EXPECT_EQ(text, "old");
    EXPECT_EQ(script.Count(kSilverRewardClaim), 0u);
    EXPECT_EQ(connection.SendSilverRewardClaim(text, 250), 1);
    const FrameScript::Recorded request = Received(kSilverRewardClaim);
    ASSERT_EQ(request.body.size(), 192u);
    EXPECT_EQ(request.body, [&] {
        std::vector<uint8_t> expected = Words({kOwnId, 30, kRoomId, kTableNo, kOwnChair, 0, 250});
        expected.insert(expected.end(), kMachineId, kMachineId + 31);
        expected.resize(192);
        return expected;
    }());
    struct Case {
        uint32_t code;
        std::vector<uint8_t> data;
        const char* text;
    };
    const Case cases[] = {
        {kResultRequestFailed, {}, "请求处理失败。"},
        {kResultAboveRoomLimit, Words({500}), "高于房间最高银子限制【500两】。"},
        {kResultAboveRoomLimit, {1, 2}, "高于房间最高银子限制【0两】。"},
        {kResultNoSilverInGame, {}, "系统禁止在【麻将】里存放银子。"},
        {1020, {}, "密码错误。"},
        {60023, {}, "与服务器连接已经断开。"},
        {4242, {}, ""},
    };
    for (const Case& c : cases) {
        script.SetReply(kSilverRewardClaim, c.code, c.data);
        text = "old";
        EXPECT_EQ(connection.SendSilverRewardClaim(text, 1), 0) << c.code;
        EXPECT_EQ(text, c.text) << c.code;
    }
}

TEST_F(RequestCatalogueTest, ChangeTableWarnsOfFrequentChanges) {
    std::string text;
    EXPECT_EQ(connection.ChangeTable(text), 1);
    EXPECT_TRUE(Received(kChangeTable).waited);
    script.SetReply(kChangeTable, kResultChangeTooOften);
    EXPECT_EQ(connection.ChangeTable(text), 0);
    ASSERT_EQ(view.subSystem.chatLines.size(), 1u);
    EXPECT_EQ(view.subSystem.chatLines[0],
              " <z=qe系统通知> <c=255>您的换桌操作过于频繁，请稍等片刻!\r\n");
    Relaunch(Launch(0), 1);
    EXPECT_EQ(connection.ChangeTable(text), 0);
    EXPECT_EQ(script.Count(kChangeTable), 2u);
}

TEST_F(RequestCatalogueTest, SafeBoxBlocksAreCopiedAsFarAsTheyReach) {
    std::array<uint8_t, 32> box{};
    std::string text;
    EXPECT_EQ(connection.QuerySafeBox(text, box), 1);
    EXPECT_EQ(WordAt(box, 0), kOwnId);
    EXPECT_EQ(WordAt(box, 4), 5000);
    const FrameScript::Recorded query = Received(kQuerySafeBox);
    ASSERT_EQ(query.body.size(), 76u);
    EXPECT_EQ(WordAt(query.body, 0), kOwnId);
    EXPECT_EQ(WordAt(query.body, 4), 30);
    EXPECT_EQ(TextAt(query.body, 12, 32), kMachineId);

    std::vector<uint8_t> longer(40, 0x11);
    script.SetReply(kQuerySafeBox, kResultOk, longer);
    EXPECT_EQ(connection.QuerySafeBox(text, box), 1);
    EXPECT_EQ(box, (std::array<uint8_t, 32>{0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                            0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                            0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                            0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11}));
    script.SetReply(kQuerySafeBox, kResultOk, {7, 7, 7});
    EXPECT_EQ(connection.QuerySafeBox(text, box), 1);
    EXPECT_EQ(box[2], 7);
    EXPECT_EQ(box[3], 0);
    EXPECT_EQ(box[31], 0);
    script.SetReply(kQuerySafeBox, 60087);
    EXPECT_EQ(connection.QuerySafeBox(text, box), 0);
    EXPECT_EQ(text, "服务器繁忙！");
    script.SetReply(kQuerySafeBox, 55555);
    EXPECT_EQ(connection.QuerySafeBox(text, box), 0);
    EXPECT_EQ(text, "操作失败！");

    std::array<int32_t, 6> take{9, 9, 9, 9, 9, 9};
    uint32_t result = 0;
    script.SetReply(kQueryTake, kResultOk, Words({1, 2, 3}));
    EXPECT_EQ(connection.QueryTake(text, take, result), 1);
    EXPECT_EQ(take, (std::array<int32_t, 6>{1, 2, 3, 0, 0, 0}));
    script.SetReply(kQueryTake, kResultNoProtection);
    EXPECT_EQ(connection.QueryTake(text, take, result), 0);
    EXPECT_EQ(result, kResultNoProtection);
    EXPECT_EQ(text, "操作失败！");

    // A looker-on does not ask.
    Relaunch(Launch(0), 1);
    EXPECT_EQ(connection.QuerySafeBox(text, box), 0);
    EXPECT_EQ(script.Count(kQuerySafeBox), 5u);
}

TEST_F(RequestCatalogueTest, TransferIntoTheGameTexts) {
    std::string text;
    EXPECT_EQ(connection.TransferIntoGame(text, 100, 7), 0);  // no safe box in this room
    EXPECT_EQ(script.Count(kTransferIntoGame), 0u);
    LaunchSafeBoxRoom();
    EXPECT_EQ(connection.TransferIntoGame(text, 100, 7), 1);
    EXPECT_EQ(text, "银子已经成功划入您指定的游戏。");
    const FrameScript::Recorded request = Received(kTransferIntoGame);
    ASSERT_EQ(request.body.size(), 112u);
    EXPECT_EQ(WordAt(request.body, 20), 100);
    EXPECT_EQ(WordAt(request.body, 24), 7);
    EXPECT_EQ(TextAt(request.body, 48, 32), kMachineId);
    EXPECT_EQ(WordAt(request.body, 80), 1234);
    EXPECT_EQ(WordAt(request.body, 84), 2);

    struct Case {
        uint32_t code;
        std::vector<uint8_t> data;
        const char* text;
    };
    const Case cases[] = {
        {kResultNoSilverInGame, {}, "系统禁止在【麻将】里存放银子。"},
        {kResultNotEnoughSilver, {}, "您的保险箱里的银子不够。"},
        {kResultBadAnswer, {}, "保护密码计算结果错误。"},
        {kResultPlaying, {}, "正在玩的游戏不能划帐。"},
        {kResultReady, {}, "已经准备的游戏不能划帐。"},
        {kResultAboveRoomLimit, Words({9000}), "高于房间最高银子限制【9000两】。"},
        {kResultAnswerLocked,
         {},
         "由于您连续的保护密码计算结果错误,系统禁止您在这段时间内取银子。"},
        {kResultDailyLimit, Words({1000, 1000}),
         "系统限定每日划入【麻将】不能超过1000两，\r\n今天您已经超限，到明天才能划银。"},
        {kResultDailyLimit, Words({100, 1000}),
         "系统限定每日划入【麻将】不能超过1000两，\r\n今天您最多还可以划入900两。"},
        {kResultDailyLimit, Words({INT32_MIN, INT32_MAX}),
         "系统限定每日划入【麻将】不能超过2147483647两，\r\n今天您最多还可以划入4294967295两。"},
        {kResultDailyLimit, Words({100}), "操作失败！"},
        {kResultMonthlyLimit, Pair64(5'000'000'000, 5'000'000'000),
         "系统限定每月划入游戏不能超过5000000000两，\r\n本月您已经超限，到下个月才能划银。"},
        {kResultMonthlyLimit, Pair64(1'000'000'000, 5'000'000'000),
         "系统限定每月划入游戏总额不能超过5000000000两，\r\n本月您最多还可以划入4000000000两。"},
        {kResultMonthlyLimit, Pair64(INT64_MIN, INT64_MAX),
         "系统限定每月划入游戏总额不能超过9223372036854775807两，\r\n"
         "本月您最多还可以划入9223372036854775807两。"},
        {kResultMonthlyLimit, Words({1, 0, 2}), "操作失败！"},
        {60040, {}, "对不起，此房间已关闭，请到别的房间。"},
        {777, {}, "操作失败！"},
    };
    for (const Case& c : cases) {
        script.SetReply(kTransferIntoGame, c.code, c.data);
        EXPECT_EQ(connection.TransferIntoGame(text, 100, 7), 0) << c.code;
        EXPECT_EQ(text, c.text) << c.code;
    }
}

TEST_F(RequestCatalogueTest, TransferOutOfTheGameTextsAndAmount) {
    LaunchSafeBoxRoom();
    std::string text;
    int32_t amount = 1000;
    uint32_t result = 0;
    EXPECT_EQ(connection.TransferOutOfGame(text, amount, result), 1);
    EXPECT_EQ(result, kResultOk);
    EXPECT_EQ(text, "");
    EXPECT_EQ(WordAt(Received(kTransferOutOfGame).body, 84), 1);

    script.SetReply(kTransferOutOfGame, kResultGiftKeep, Words({1000, 300}));
    EXPECT_EQ(connection.TransferOutOfGame(text, amount, result), 0);
    EXPECT_EQ(amount, 700);
    EXPECT_EQ(result, kResultGiftKeep);
    EXPECT_EQ(
        text,
        "很抱歉，由于您在初次进入游戏房间时获赠了银两,系统只允许你转出700两。(至少保留300两)");
    script.SetReply(kTransferOutOfGame, kResultGiftKeep, Words({1000}));
    EXPECT_EQ(connection.TransferOutOfGame(text, amount, result), 0);
    EXPECT_EQ(amount, 700);
    EXPECT_EQ(text, "操作失败！");

    struct Case {
        uint32_t code;
        std::vector<uint8_t> data;
        const char* text;
    };
    const Case cases[] = {
        {kResultNotEnoughSilver, {}, "您的划帐数额超过现在拥有的金额。"},
        {kResultBelowRoomLimit, Words({200}), "低于房间最低银子限制【200两】。"},
        {kResultGiftHands, Words({3}),
         "很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 3 局才能转出。"},
        {kResultGiftMinutes,
         {},
         "很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 0 分钟才能转出。"},
        {60019, {}, "非常抱歉，系统正在维护中，请稍候再操作。"},
    };
    for (const Case& c : cases) {
        script.SetReply(kTransferOutOfGame, c.code, c.data);
        EXPECT_EQ(connection.TransferOutOfGame(text, amount, result), 0) << c.code;
        EXPECT_EQ(text, c.text) << c.code;
        EXPECT_EQ(result, c.code);
    }
}

TEST_F(RequestCatalogueTest, WelfareConfigAndClaims) {
    std::array<uint8_t, 124> config{};
    config.fill(0xEE);
    std::string text = "old";
    EXPECT_EQ(connection.GetWelfareConfig(text, 12, config), 1);
    EXPECT_EQ(text, "");
    EXPECT_EQ(WordAt(config, 4), 12);
    EXPECT_EQ(WordAt(config, 72), 2);
    const FrameScript::Recorded query = Received(kWelfareConfig);
    ASSERT_EQ(query.body.size(), 320u);
    EXPECT_EQ(WordAt(query.body, 20), 12);
    script.SetReply(kWelfareConfig, kResultOk, std::vector<uint8_t>(300, 0x22));
    EXPECT_EQ(connection.GetWelfareConfig(text, 12, config), 1);
    EXPECT_EQ(config[123], 0x22);
    script.SetReply(kWelfareConfig, kResultOk, {1});
    EXPECT_EQ(connection.GetWelfareConfig(text, 12, config), 1);
    EXPECT_EQ(config[0], 1);
    EXPECT_EQ(config[1], 0);
    script.SetReply(kWelfareConfig, 60087);
    EXPECT_EQ(connection.GetWelfareConfig(text, 12, config), 0);

    int32_t amount = -1;
    EXPECT_EQ(connection.SendWelfareClaim(text, 12, 2, amount), 0);
    EXPECT_EQ(script.Count(kWelfareClaim), 0u);
    EXPECT_EQ(connection.SendWelfareClaim(text, 12, 1, amount), 1);
    EXPECT_EQ(amount, 2000);
    const std::vector<uint8_t> claim = Received(kWelfareClaim).body;
    ASSERT_EQ(claim.size(), 104u);
    EXPECT_EQ(TextAt(claim, 16, 36), "自己");
    EXPECT_EQ(WordAt(claim, 52), 12);
    EXPECT_EQ(WordAt(claim, 56), 1);
    EXPECT_EQ(connection.SendWelfareRewardClaim(text, 12, 0, amount), 1);
    const std::vector<uint8_t> reward = Received(kWelfareRewardClaim).body;
    ASSERT_EQ(reward.size(), 136u);
    EXPECT_EQ(TextAt(reward, 72, 32), kMachineId);
    script.SetReply(kWelfareClaim, kResultOk);  // the amount is missing
    EXPECT_EQ(connection.SendWelfareClaim(text, 12, 0, amount), 1);
    EXPECT_EQ(amount, 0);
    script.SetReply(kWelfareClaim, 60087, Words({5}));
    amount = 9;
    EXPECT_EQ(connection.SendWelfareClaim(text, 12, 0, amount), 0);
    EXPECT_EQ(amount, 0);
}

TEST_F(RequestCatalogueTest, Request201140FillsTheTableReplyBuffer) {
    EXPECT_EQ(connection.Request201140(), 0);  // 10000 by default
    script.SetReply(kRequest201140, kResultOk, std::vector<uint8_t>(15156 + 10, 0x33));
    app.tableReplyBuffer.fill(0);
    EXPECT_EQ(connection.Request201140(), 1);
    EXPECT_EQ(app.tableReplyBuffer.back(), 0x33);
    script.SetReply(kRequest201140, kResultOk, {4});
    EXPECT_EQ(connection.Request201140(), 1);
    EXPECT_EQ(app.tableReplyBuffer[0], 4);
    EXPECT_EQ(app.tableReplyBuffer[1], 0);
    EXPECT_EQ(app.tableReplyBuffer.back(), 0);
}

TEST_F(RequestCatalogueTest, RandomTableRepliesTakeAtMostEightPlayers) {
    Relaunch(Launch(RoomInfo::kFlagRandomTable));
    struct Case {
        int32_t count;
        size_t players;  // records in the reply
        size_t taken;
    };
    const Case cases[] = {{0, 0, 0}, {8, 8, 8}, {9, 9, 8}, {3, 1, 1}, {-1, 2, 0}};
    for (const Case& c : cases) {
        std::vector<uint8_t> reply(60 + c.players * 136 + 5, 0);
        ZepWireWriter(std::span<uint8_t>(reply).subspan(8)).WriteI32(c.count);
        reply.back() = 0x44;
        app.tableReplyBuffer.fill(0x55);
        app.otherSeatBytes.clear();
        script.SetReply(kEnterGame, kResultEnteredPlaying, reply);
        std::string text;
        ASSERT_EQ(connection.EnterGame(text), 1) << c.count;
        ASSERT_EQ(app.otherSeatBytes.size(), 1u);
        EXPECT_EQ(app.otherSeatBytes[0], 60 + c.taken * 136) << c.count;
        const size_t rest = reply.size() - (60 + c.taken * 136);
        EXPECT_EQ(app.tableReplyBuffer[rest - 1], 0x44) << c.count;
        EXPECT_EQ(app.tableReplyBuffer[rest], 0) << c.count;
    }
    // A reply shorter than its head copies nothing.
    app.otherSeatBytes.clear();
    script.SetReply(kEnterGame, kResultEnteredPlaying, std::vector<uint8_t>(59, 1));
    std::string text;
    EXPECT_EQ(connection.EnterGame(text), 1);
    EXPECT_TRUE(app.otherSeatBytes.empty());
}

TEST_F(RequestCatalogueTest, ExitRequestsAndAnswersReachTheTableAsNotifications) {
    connection.AnswerExitRequest(kOtherId, 0);
    connection.SendChatText("你好");
    ASSERT_TRUE(script.WaitForCount(kChatText, 1, kWaitMs));
    ASSERT_TRUE(owner.WaitFor(2));
    const std::vector<zeptest::Delivered> notes = owner.Received();
    EXPECT_EQ(notes[0].code, kExitAnswer);
    const std::vector<uint8_t> answer(notes[0].data.begin(), notes[0].data.end());
    EXPECT_EQ(WordAt(answer, 20), 1);  // b = 0 is agreement
    EXPECT_EQ(notes[1].code, 211200u);
    const std::vector<uint8_t> chat(notes[1].data.begin(), notes[1].data.end());
    EXPECT_EQ(WordAt(chat, 0), kOwnId);
    EXPECT_EQ(WordAt(chat, 8), 8);
    EXPECT_EQ(TextAt(chat, 36, 64), "你好\r\n");
}

}  // namespace
