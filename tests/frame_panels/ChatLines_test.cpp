// The chat pane's line texts, family by family, with short, cut and
// unterminated records.

#include "frame/panels/ChatLines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "frame/LaunchRecordBuilder.h"
#include "tests/frame/FrameDoubles.h"

namespace {

using namespace chat_lines;

constexpr int32_t kOwnId = 100;
constexpr ChatColours kColours{111, 222, 333};

// A record of words, with texts laid in at byte offsets.
struct RecordBuilder {
    std::vector<uint8_t> bytes;
    explicit RecordBuilder(size_t size) : bytes(size, 0) {}
    RecordBuilder& Word(int index, int32_t value) {
        for (int b = 0; b < 4; ++b) {
            bytes[size_t(index) * 4 + size_t(b)] = uint8_t(uint32_t(value) >> (8 * b));
        }
        return *this;
    }
    RecordBuilder& Text(size_t offset, const std::string& text) {
        std::memcpy(bytes.data() + offset, text.data(),
                    std::min(text.size(), bytes.size() - offset));
        return *this;
    }
    Record Cut(size_t length) const { return Record(bytes.data(), std::min(length, bytes.size())); }
    Record All() const { return Record(bytes.data(), bytes.size()); }
};

class ChatLinesTest : public ::testing::Test {
protected:
    void SetUp() override {
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = kOwnId;
        fields.chairNo = 0;
        fields.lookOn = 0;
        app.SetLaunchFields(fields);
        launch.room.options = RoomInfo::kOptionSilverRoom;
        SetFieldText(launch.room.areaName, "测试区");
        SetFieldText(launch.room.roomName, "新手房");
        launch.table.tableNo = 4;
        UserRecord self = MakeLaunchUser(kOwnId, 0, "甲");
        UserRecord member = MakeLaunchUser(101, 1, "乙");
        member.flags = UserRecord::kFlagMember;
        SetFieldText(member.secondName, "阿乙");
        UserRecord star = MakeLaunchUser(102, 2, "丙");
        star.flags = UserRecord::kFlagHighlighted;
        launch.seats = {self, member, star};
        launch.lookers = {MakeLaunchUser(200, 0, "观", 1)};
    }
    void Apply() { ASSERT_TRUE(app.InitGameData(launch.Build())); }

    TestFrameApp app;
    LaunchRecordBuilder launch;
};

TEST(OwnChatCut, StopsAtAWholeDoubleByteCharacter) {
    const std::string ascii(100, 'a');
    EXPECT_EQ(CutOwnChat(ascii, kChatLimit), std::string(60, 'a'));
    EXPECT_EQ(CutOwnChat(ascii, kMemberChatLimit), ascii);
    // 59 single bytes and a double-byte character: the lead byte would be
    // the 60th, so the character goes whole.
    const std::string split = std::string(59, 'a') + "你好";
    EXPECT_EQ(CutOwnChat(split, kChatLimit), std::string(59, 'a'));
    // Thirty characters fill exactly 60 bytes.
    std::string wide;
    for (int i = 0; i < 31; ++i) {
        wide += "好";
    }
    EXPECT_EQ(CutOwnChat(wide, kChatLimit).size(), 60u);
    // A lone lead byte at the end is never kept.
    EXPECT_EQ(CutOwnChat(std::string("ab\xc4"), kChatLimit), "ab");
}

TEST_F(ChatLinesTest, ChatLinesByKindSpeakerAndStyle) {
    Apply();
    RecordBuilder other(128);
    other.Word(0, 101).Text(48, "你好");
    EXPECT_EQ(OtherPlayerLine(app, kColours, other.All()), " <m=qe蓝钻><c=222>乙说: <c=333>你好\n");
    other.Word(0, 102);
    EXPECT_EQ(OtherPlayerLine(app, kColours, other.All()), " <c=222>丙说: <c=255,e=b,s=240>你好\n");

    RecordBuilder server(100);
    server.Word(0, kOwnId).Word(2, 8).Text(36, "你好abc");
    EXPECT_EQ(ServerChatLine(app, kColours, server.All()), " <c=111>我说: 你好abc");
    server.Word(0, 101);
    EXPECT_EQ(ServerChatLine(app, kColours, server.All()), " <m=qe蓝钻><c=222>乙说: 你好abc");
    server.Word(2, 2);
    EXPECT_EQ(ServerChatLine(app, kColours, server.All()), "你好abc");
    server.Word(2, 3);
    EXPECT_EQ(ServerChatLine(app, kColours, server.All()), "");
    // An unknown speaker of kind 8 writes nothing.
    server.Word(0, 999).Word(2, 8);
    EXPECT_EQ(ServerChatLine(app, kColours, server.All()), "");

    EXPECT_EQ(OwnLine(app, kColours, "hi"), " <c=111>我说: <c=111>hi<><>\r\n");
}

TEST_F(ChatLinesTest, ShortAndUnterminatedChatRecordsReadOnlyWhatTheyHold) {
    Apply();
    RecordBuilder server(36 + 8);
    server.Word(0, kOwnId).Word(2, 8).Text(36, "abcdefgh");  // no terminator
    EXPECT_EQ(ServerChatLine(app, kColours, server.All()), " <c=111>我说: abcdefgh");
    // Cut inside the text, at its start, and inside the kind word.
    EXPECT_EQ(ServerChatLine(app, kColours, server.Cut(40)), " <c=111>我说: abcd");
    EXPECT_EQ(ServerChatLine(app, kColours, server.Cut(36)), " <c=111>我说: ");
    EXPECT_EQ(ServerChatLine(app, kColours, server.Cut(9)), "");
    RecordBuilder other(50);
    other.Word(0, 101).Text(48, "xy");
    EXPECT_EQ(OtherPlayerLine(app, kColours, other.All()), " <m=qe蓝钻><c=222>乙说: <c=333>xy\n");
    EXPECT_EQ(OtherPlayerLine(app, kColours, other.Cut(4)), " <m=qe蓝钻><c=222>乙说: <c=333>\n");
}

TEST_F(ChatLinesTest, TableNoticesNameTheTableUnlessSeatedInARandomRoom) {
    Apply();
    EXPECT_EQ(WelcomeLine(app),
              " 欢迎来到 <s=180,c=10715996,e=b>测试区\r\n<> 您的位置：新手房 第5桌\r\n");
    EXPECT_EQ(UserEnterLine(app, 101, 4), " <c=255>乙[阿乙]进入第5桌 \r\n");
    EXPECT_EQ(UserLeaveLine(app, 101, 4), " <c=255>乙[阿乙]离开第5桌 \r\n");
    EXPECT_EQ(RandomTableLine(app), " <c=255>您已经被随机分配到第5桌\r\n");
    EXPECT_EQ(ChangeTableLine(app), " <c=255>您已经被换到第5桌\r\n");
    EXPECT_EQ(LookOnEnterLine(app, 200), " <c=2906200>观进入旁观 \r\n");
    EXPECT_EQ(LookOnLeaveLine(app, 200), " <c=2906200>观退出旁观 \r\n");
    // A highlighted user comes and goes silently.
    EXPECT_EQ(LookOnEnterLine(app, 102), "");
    EXPECT_EQ(LookOnLeaveLine(app, 102), "");

    // The last table number the server can send is shown one up, not
    // wrapped.
    launch.table.tableNo = INT32_MAX;
    Apply();
    EXPECT_EQ(WelcomeLine(app),
              " 欢迎来到 <s=180,c=10715996,e=b>测试区\r\n<> 您的位置：新手房 第2147483648桌\r\n");
    EXPECT_EQ(UserEnterLine(app, 101, INT32_MAX), " <c=255>乙[阿乙]进入第2147483648桌 \r\n");
    EXPECT_EQ(UserLeaveLine(app, 101, INT32_MAX), " <c=255>乙[阿乙]离开第2147483648桌 \r\n");
    EXPECT_EQ(RandomTableLine(app), " <c=255>您已经被随机分配到第2147483648桌\r\n");
    EXPECT_EQ(ChangeTableLine(app), " <c=255>您已经被换到第2147483648桌\r\n");
    launch.table.tableNo = 4;

    launch.room.flags = RoomInfo::kFlagRandomTable;
    Apply();
    EXPECT_EQ(WelcomeLine(app),
              " 欢迎来到 <s=180,c=10715996,e=b>测试区\r\n<> 您的位置：新手房\r\n");
    EXPECT_EQ(UserEnterLine(app, 101, 4), " <c=255>乙[阿乙]进入 \r\n");
    EXPECT_EQ(UserLeaveLine(app, 101, 4), " <c=255>乙[阿乙]离开 \r\n");
    EXPECT_EQ(RandomTableLine(app), " <c=255>随机分桌成功，游戏开始\r\n");
}

TEST_F(ChatLinesTest, SilverNoticesByKindAndTheBaseSilverLine) {
    Apply();
    RecordBuilder record(24);
    record.Word(0, 101).Word(3, 500).Word(4, 1500).Word(5, 20);
    const struct {
        int kind;
        const char* line;
    } table[] = {
        {1,
         " <z=qe系统通知> <c=255>乙<>从保险箱中取出<c=255>500<>两银子, 现有<c=255>1500<>两银子 "
         "\r\n"},
        {2,
         " <z=qe系统通知> <c=255>乙<>存入<c=255>500<>两银子到保险箱, 现有<c=255>1500<>两银子 \r\n"},
        {3, " <z=qe系统通知> <c=255>乙<>领取了低保到游戏, 共<c=255>500<>两银子 \r\n"},
        {4,
         " <z=qe系统通知> <c=255>乙<>领取了<c=255>500<>两银子奖励到游戏, 现有<c=255>1500<>两银子 "
         "\r\n"},
        {5, ""},
    };
    for (const auto& row : table) {
        record.Word(2, row.kind);
        EXPECT_EQ(BaseSilverLine(app, record.All()), row.line) << row.kind;
    }
    record.Word(0, kOwnId).Word(2, 4);
    EXPECT_EQ(BaseSilverLine(app, record.All()),
              " <z=qe系统通知> 您领取了<c=255>500<>两银子奖励到游戏, 现有<c=255>1500<>两银子 \r\n");
    EXPECT_EQ(BaseSilverChangeLine(record.All(), 0),
              " <z=qe系统通知> 当前基础银为<c=255>20<>两 \r\n");
    EXPECT_EQ(BaseSilverChangeLine(record.All(), 20), "");
    // Cut before word 5: no base silver, and the amounts read 0 past the end.
    EXPECT_EQ(BaseSilverChangeLine(record.Cut(20), 0), "");
    record.Word(2, 1);
    EXPECT_EQ(
        BaseSilverLine(app, record.Cut(16)),
        " <z=qe系统通知> <c=255>甲<>从保险箱中取出<c=255>500<>两银子, 现有<c=255>0<>两银子 \r\n");
}

TEST_F(ChatLinesTest, PrizeNoticesByDestinationAndCurrency) {
    Apply();
    RecordBuilder record(44);
    record.Word(0, kOwnId).Word(1, 2).Word(2, 0).Word(3, 30).Word(6, 900).Word(8, 100).Word(10, 1);
    EXPECT_EQ(PrizeLine(app, record.All()),
              " <z=qe系统通知> 您充值成功 得到了<c=255>100<>两银子, 现有<c=255>900<>两银子 \r\n");
    record.Word(3, 31);
    EXPECT_EQ(PrizeLine(app, record.All()),
              " <z=qe系统通知> 您在其他游戏充值成功 得到了<c=255>100<>两银子, "
              "现有<c=255>900<>两银子 \r\n");
    record.Word(3, 30).Word(0, 101).Word(10, 2).Word(2, 1);
    EXPECT_EQ(PrizeLine(app, record.All()),
              " <z=qe系统通知> 玩家【乙】充值活动奖励成功 得到了<c=255>100<>积分, "
              "现有<c=255>900<>积分 \r\n");
    record.Word(1, 0).Word(2, 2).Word(10, 0);
    EXPECT_EQ(PrizeLine(app, record.All()),
              " <z=qe系统通知> 您得到了通宝<c=255>100<>, 请到保险箱领取 \r\n");
    record.Word(1, 1);
    EXPECT_EQ(PrizeLine(app, record.All()),
              " <z=qe系统通知> 您得到了通宝<c=255>100<>, 请到后备箱领取 \r\n");
    record.Word(1, 7);
    EXPECT_EQ(PrizeLine(app, record.All()), "");
    record.Word(2, 9);
    EXPECT_EQ(PrizeLine(app, record.All()), " <z=qe系统通知> 充值成功 \r\n");
}

TEST_F(ChatLinesTest, APlayersNameIsLiteralTextInEveryNoticeLine) {
    // A name that would be a link with its own caption in a pane that shows
    // links.
    const std::string link = "<url_text=http://x.cn/,领奖>";
    UserRecord rogue = MakeLaunchUser(103, 3, link);
    rogue.flags = UserRecord::kFlagMember;
    launch.seats.push_back(rogue);
    launch.lookers.push_back(MakeLaunchUser(201, 0, link, 1));
    // A name that would show the system notice badge.
    const std::string badge = "<z=qe系统通知>";
    launch.lookers.push_back(MakeLaunchUser(202, 0, badge, 1));
    SetFieldText(launch.room.areaName, link);
    SetFieldText(launch.room.roomName, badge);
    Apply();
    std::vector<std::string> lines = {UserEnterLine(app, 103, 4), UserLeaveLine(app, 103, 4),
                                      LookOnEnterLine(app, 201), LookOnLeaveLine(app, 201)};
    RecordBuilder silver(24);
    silver.Word(0, 103).Word(3, 500).Word(4, 1500);
    for (int kind = 1; kind <= 4; ++kind) {
        lines.push_back(BaseSilverLine(app, silver.Word(2, kind).All()));
    }
    RecordBuilder amulet(64);
    amulet.Word(0, 1).Word(1 + 3, 103).Word(9 + 3, 5);
    lines.push_back(AmuletSkillLine(app, kColours, amulet.All(), 3));
    RecordBuilder prize(44);
    prize.Word(0, 103).Word(1, 2).Word(3, 30).Word(8, 100);
    lines.push_back(PrizeLine(app, prize.All()));
    for (const std::string& line : lines) {
        const size_t at = line.find(link);
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_EQ(line.substr(at - 1, 1), "#") << line;
        EXPECT_EQ(line.find(link, at + 1), std::string::npos) << line;
    }
    // The line's own markup stays.
    EXPECT_EQ(lines[0], " <c=255>#" + link + "进入第5桌 \r\n");

    // The chat lines' speakers, the area and room names, the lottery
    // broadcast's sender and message: every copy is escaped.
    RecordBuilder other(64);
    other.Word(0, 202).Text(48, "<c=9>hi");
    RecordBuilder server(64);
    server.Word(0, 103).Word(2, 8).Text(36, "hi");
    RecordBuilder broadcast(80);
    broadcast.Word(4, 1).Text(20, link).Text(52, link);
    const std::pair<std::string, std::string> shown[] = {
        {OtherPlayerLine(app, kColours, other.All()), badge},
        {ServerChatLine(app, kColours, server.All()), link},
        {ServerChatLine(app, kColours, server.Word(0, 202).All()), badge},
        {WelcomeLine(app), link},
        {WelcomeLine(app), badge},
        {LotteryBroadcastLine(broadcast.All()), link},
    };
    for (const auto& [line, text] : shown) {
        size_t copies = 0;
        for (size_t at = line.find(text); at != std::string::npos; at = line.find(text, at + 1)) {
            EXPECT_EQ(line[at - 1], '#') << line;
            ++copies;
        }
        EXPECT_GT(copies, 0u) << line;
    }
    // The chat text keeps its markup.
    EXPECT_EQ(shown[0].first, " <c=222>#" + badge + "说: <c=333><c=9>hi\n");
}

TEST_F(ChatLinesTest, LotteryAndTaskNotices) {
    Apply();
    RecordBuilder progress(60);
    for (int w = 0; w < 6; ++w) {
        progress.Word(w, w + 1);
    }
    EXPECT_EQ(LotteryProgressLine(app, progress.All()),
              "myID=100, ntfID=1, \r\n剩余：2, 已玩：3, 4局一抽, 最大：5, 已用：6\r\n");
    EXPECT_EQ(LotteryProgress2Line(app, progress.Cut(24)),
              "myID=100, ntfID=1, \r\n剩余：4, 已玩：5, 3局一抽, 最大：2, 已用：6\r\n");
    progress.Text(40, "进度文字");
    EXPECT_EQ(LotteryProgressLine(app, progress.All()), "进度文字");

    RecordBuilder result(64);
    result.Word(1, 1).Word(2, 7).Word(3, 3).Word(4, 4).Word(5, 5).Word(6, 6).Word(7, 8);
    result.Text(32, "大奖");
    EXPECT_EQ(LotteryResultLine(result.All()),
              "抽中大奖7\r\n剩余：3, 已玩：5, 6局一抽, 最大：8, 已用：4\r\n");
    result.Text(48, "A1");
    EXPECT_EQ(LotteryResultLine(result.All()),
              "抽中大奖, 代号A1\r\n剩余：3, 已玩：5, 6局一抽, 最大：8, 已用：4\r\n");
    result.Word(1, -1);
    EXPECT_EQ(LotteryResultLine(result.All()), " <z=qe系统通知> 大奖\r\n");
    // A prize text that fills its 16 bytes stops at its field.
    result.Text(32, "0123456789abcdefA1");
    EXPECT_EQ(LotteryResultLine(result.All()), " <z=qe系统通知> 0123456789abcdef\r\n");

    RecordBuilder broadcast(80);
    broadcast.Word(4, 1).Text(20, "某人").Text(52, "恭喜");
    EXPECT_EQ(LotteryBroadcastLine(broadcast.All()),
              " <z=qe系统通知> 收到广播[抽奖]\r\n来自:某人, 信息:恭喜\r\n");
    EXPECT_EQ(LotteryBroadcastLine(broadcast.Cut(56)),
              " <z=qe系统通知> 收到广播[抽奖]\r\n来自:某人, 信息:恭喜\r\n");
    broadcast.Word(4, 0);
    EXPECT_EQ(LotteryBroadcastLine(broadcast.All()), "");

    RecordBuilder notice(24);
    notice.Text(16, "维护通知");
    EXPECT_EQ(SystemNoticeLine(notice.All()), " <z=qe系统通知> 维护通知\r\n");
    EXPECT_EQ(SystemNoticeLine(notice.Cut(10)), " <z=qe系统通知> \r\n");

    RecordBuilder task(36);
    task.Text(8, "条件不足");
    EXPECT_EQ(TaskRewardFailLine(task.All()),
              " <z=qe系统通知> 任务领奖失败：<c=255>条件不足<>\r\n");
    task.Word(8, 1);
    EXPECT_EQ(TaskRewardFailLine(task.All()), "");
}

TEST(ScreenshotLine, LinksTheFolder) {
    EXPECT_EQ(ScreenshotLine("/p/temp\\"),
              " <z=qe系统通知><c=255> 游戏截图已保存到<url_text=/p/temp\\,临时目录><c=255>\r\n");
}

}  // namespace
