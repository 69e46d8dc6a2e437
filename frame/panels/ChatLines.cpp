#include "frame/panels/ChatLines.h"

#include <cstdio>

#include "engine/ui/CorvaneEdit.h"
#include "frame/GameFrameApp.h"
#include "frame/GameFrameSeams.h"
#include "frame/RecordFields.h"

namespace chat_lines {

namespace {

// Tables are counted from 1 on screen; the server's number may be any 32-bit
// value.
long long ShownTableNumber(int32_t tableNo) {
    return static_cast<long long>(tableNo) + 1;
}

// Texts that run to the record's end are still bounded.
constexpr size_t kOpenTextWidth = 1024;

template <class... Args>
std::string Format(const char* format, Args... args) {
    const int length = std::snprintf(nullptr, 0, format, args...);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, args...);
    text.resize(static_cast<size_t>(length));
    return text;
}

int32_t Word(Record record, int index) {
    return WordAt(record, static_cast<size_t>(index) * 4);
}

std::string Text(Record record, size_t offset, size_t width = kOpenTextWidth) {
    return RecordTextAt(record, offset, width);
}

std::string MemberHead(const CGameFrameApp& app, int32_t userId) {
    return app.IsMemberUser(userId) ? std::string(" ") + kMemberBadge : std::string(" ");
}

}  // namespace

std::string LiteralName(const std::string& name) {
    return EditLiteralText(name.c_str(), -1);
}

std::string CutOwnChat(std::string_view text, size_t limit) {
    return std::string(text.substr(0, WholeGbkLength(text, limit)));
}

std::string OwnLine(const CGameFrameApp& app, const ChatColours& colours, std::string_view text) {
    const int32_t self = app.GetUserID();
    const std::string badge = app.IsMemberUser(self) ? kMemberBadge : " ";
    const std::string style =
        app.IsHighlightedUser(self) ? kHighlightStyle : Format("<c=%d>", colours.own);
    return Format("%s<c=%d>我说: %s%s<><>\r\n", badge.c_str(), colours.own, style.c_str(),
                  std::string(text).c_str());
}

std::string OtherPlayerLine(const CGameFrameApp& app, const ChatColours& colours, Record record) {
    const int32_t speaker = Word(record, 0);
    const std::string head =
        Format("%s<c=%d>", MemberHead(app, speaker).c_str(), colours.otherName);
    const std::string style =
        app.IsHighlightedUser(speaker) ? kHighlightStyle : Format("<c=%d>", colours.otherText);
    return Format("%s%s说: %s%s\n", head.c_str(), LiteralName(app.GetUserName(speaker)).c_str(),
                  style.c_str(), Text(record, 48).c_str());
}

std::string ServerChatLine(const CGameFrameApp& app, const ChatColours& colours, Record record) {
    const int32_t speaker = Word(record, 0);
    const int32_t kind = Word(record, 2);
    const std::string text = Text(record, 36);
    if (kind == 2) {
        return text;
    }
    if (kind != 8) {
        return {};
    }
    const std::string name = app.GetUserName(speaker);
    if (name.empty()) {
        return {};
    }
    const std::string head = MemberHead(app, speaker);
    const std::string style = app.IsHighlightedUser(speaker) ? kHighlightStyle : "";
    if (speaker == app.GetUserID()) {
        return Format("%s<c=%d>我说: %s%s", head.c_str(), colours.own, style.c_str(), text.c_str());
    }
    return Format("%s<c=%d>%s说: %s%s", head.c_str(), colours.otherName, LiteralName(name).c_str(),
                  style.c_str(), text.c_str());
}

std::string AmuletSkillLine(const CGameFrameApp& app, const ChatColours& colours, Record record,
                            int chair) {
    if ((Word(record, 0) & 1) == 0) {
        return {};
    }
    const int32_t user = Word(record, 1 + chair);
    const int32_t points = Word(record, 9 + chair);
    if (!app.IsMemberUser(user) || points <= 0) {
        return {};
    }
    return Format(" <m=qe蓝钻><c=%d>%s<>发动<c=%d>会员积分护身符<>技能，补回<c=%d>%d<>分\r\n",
                  colours.otherName, LiteralName(app.GetUserName(user)).c_str(), colours.otherName,
                  kRed, points);
}

bool ShowsTableNumber(const CGameFrameApp& app) {
    return !app.IsRandomTableRoom() || app.IsLookOn();
}

std::string WelcomeLine(const CGameFrameApp& app) {
    const std::string area = LiteralName(app.GetAreaName());
    const std::string room = LiteralName(app.GetRoomName());
    if (!ShowsTableNumber(app)) {
        return Format(" 欢迎来到 <s=180,c=%d,e=b>%s\r\n<> 您的位置：%s\r\n", kWelcomeColour,
                      area.c_str(), room.c_str());
    }
    return Format(" 欢迎来到 <s=180,c=%d,e=b>%s\r\n<> 您的位置：%s 第%lld桌\r\n", kWelcomeColour,
                  area.c_str(), room.c_str(), ShownTableNumber(app.GetTableNo()));
}

std::string UserEnterLine(const CGameFrameApp& app, int32_t userId, int32_t tableNo) {
    const std::string name = LiteralName(app.GetUserDisplayName(userId));
    if (ShowsTableNumber(app)) {
        return Format(" <c=%d>%s进入第%lld桌 \r\n", kRed, name.c_str(), ShownTableNumber(tableNo));
    }
    return Format(" <c=%d>%s进入 \r\n", kRed, name.c_str());
}

std::string UserLeaveLine(const CGameFrameApp& app, int32_t userId, int32_t tableNo) {
    const std::string name = LiteralName(app.GetUserDisplayName(userId));
    if (ShowsTableNumber(app)) {
        return Format(" <c=%d>%s离开第%lld桌 \r\n", kRed, name.c_str(), ShownTableNumber(tableNo));
    }
    return Format(" <c=%d>%s离开 \r\n", kRed, name.c_str());
}

std::string LookOnEnterLine(const CGameFrameApp& app, int32_t userId) {
    if (app.IsHighlightedUser(userId)) {
        return {};
    }
    return Format(" <c=%d>%s进入旁观 \r\n", kLookOnColour,
                  LiteralName(app.GetUserDisplayName(userId)).c_str());
}

std::string LookOnLeaveLine(const CGameFrameApp& app, int32_t userId) {
    if (app.IsHighlightedUser(userId)) {
        return {};
    }
    return Format(" <c=%d>%s退出旁观 \r\n", kLookOnColour,
                  LiteralName(app.GetUserDisplayName(userId)).c_str());
}

std::string RandomTableLine(const CGameFrameApp& app) {
    if (ShowsTableNumber(app)) {
        return Format(" <c=255>您已经被随机分配到第%lld桌\r\n", ShownTableNumber(app.GetTableNo()));
    }
    return " <c=255>随机分桌成功，游戏开始\r\n";
}

std::string ChangeTableLine(const CGameFrameApp& app) {
    return Format(" <c=255>您已经被换到第%lld桌\r\n", ShownTableNumber(app.GetTableNo()));
}

std::string BaseSilverLine(const CGameFrameApp& app, Record record) {
    const int32_t user = Word(record, 0);
    const std::string name = LiteralName(app.GetUserName(user));
    const int32_t amount = Word(record, 3);
    const int32_t total = Word(record, 4);
    switch (Word(record, 2)) {
        case 1:
            return Format(
                " <z=qe系统通知> <c=255>%s<>从保险箱中取出<c=255>%d<>两银子, 现有<c=255>%d<>两银子 "
                "\r\n",
                name.c_str(), amount, total);
        case 2:
            return Format(
                " <z=qe系统通知> <c=255>%s<>存入<c=255>%d<>两银子到保险箱, 现有<c=255>%d<>两银子 "
                "\r\n",
                name.c_str(), amount, total);
        case 3:
            return Format(" <z=qe系统通知> <c=255>%s<>领取了低保到%s, 共<c=255>%d<>两银子 \r\n",
                          name.c_str(), "游戏", amount);
        case 4:
            if (user == app.GetUserID()) {
                return Format(
                    " <z=qe系统通知> 您领取了<c=255>%d<>两银子奖励到游戏, 现有<c=255>%d<>两银子 "
                    "\r\n",
                    amount, total);
            }
            return Format(
                " <z=qe系统通知> <c=255>%s<>领取了<c=255>%d<>两银子奖励到游戏, "
                "现有<c=255>%d<>两银子 \r\n",
                name.c_str(), amount, total);
        default:
            return {};
    }
}

std::string BaseSilverChangeLine(Record record, int32_t currentBaseSilver) {
    const int32_t base = Word(record, 5);
    if (base <= 0 || base == currentBaseSilver) {
        return {};
    }
    return Format(" <z=qe系统通知> 当前基础银为<c=255>%d<>两 \r\n", base);
}

std::string PrizeLine(const CGameFrameApp& app, Record record) {
    const int32_t flags = Word(record, 10);
    const char* prefix = (flags & 1) != 0   ? "充值成功 "
                         : (flags & 2) != 0 ? "充值活动奖励成功 "
                                            : "";
    const int32_t amount = Word(record, 8);
    const int32_t total = Word(record, 6);
    std::string shortText;
    std::string longText;
    switch (Word(record, 2)) {
        case 0:
            shortText = Format("银子<c=255>%d<>两", amount);
            longText = Format("%s得到了<c=255>%d<>两银子, 现有<c=255>%d<>两银子 \r\n", prefix,
                              amount, total);
            break;
        case 1:
            shortText = Format("积分<c=255>%d<>", amount);
            longText =
                Format("%s得到了<c=255>%d<>积分, 现有<c=255>%d<>积分 \r\n", prefix, amount, total);
            break;
        case 2:
            shortText = Format("通宝<c=255>%d<>", amount);
            longText =
                Format("%s得到了<c=255>%d<>通宝, 现有<c=255>%d<>通宝 \r\n", prefix, amount, total);
            break;
        default:
            return " <z=qe系统通知> 充值成功 \r\n";
    }
    switch (Word(record, 1)) {
        case 2:
            if (Word(record, 3) != app.GetGameID()) {
                return Format(" <z=qe系统通知> 您在其他游戏%s", longText.c_str());
            }
            if (Word(record, 0) == app.GetUserID()) {
                return Format(" <z=qe系统通知> 您%s", longText.c_str());
            }
            return Format(" <z=qe系统通知> 玩家【%s】%s",
                          LiteralName(app.GetUserName(Word(record, 0))).c_str(), longText.c_str());
        case 0:
            return Format(" <z=qe系统通知> 您%s得到了%s, 请到保险箱领取 \r\n", prefix,
                          shortText.c_str());
        case 1:
            return Format(" <z=qe系统通知> 您%s得到了%s, 请到后备箱领取 \r\n", prefix,
                          shortText.c_str());
        default:
            return {};
    }
}

namespace {

std::string LotteryNumbers(int32_t self, Record record, const int (&words)[6]) {
    return Format("myID=%d, ntfID=%d, \r\n剩余：%d, 已玩：%d, %d局一抽, 最大：%d, 已用：%d\r\n",
                  self, Word(record, words[0]), Word(record, words[1]), Word(record, words[2]),
                  Word(record, words[3]), Word(record, words[4]), Word(record, words[5]));
}

}  // namespace

std::string LotteryProgressLine(const CGameFrameApp& app, Record record) {
    if (std::string text = Text(record, 40); !text.empty()) {
        return text;
    }
    return LotteryNumbers(app.GetUserID(), record, {0, 1, 2, 3, 4, 5});
}

std::string LotteryProgress2Line(const CGameFrameApp& app, Record record) {
    if (std::string text = Text(record, 24); !text.empty()) {
        return text;
    }
    return LotteryNumbers(app.GetUserID(), record, {0, 3, 4, 2, 1, 5});
}

std::string LotteryResultLine(Record record) {
    const std::string prize = Text(record, 32, 16);
    if (Word(record, 1) >= 0 && (Word(record, 1) != 0 || Word(record, 2) != 0)) {
        const std::string code = Text(record, 48);
        if (!code.empty()) {
            return Format("抽中%s, 代号%s\r\n剩余：%d, 已玩：%d, %d局一抽, 最大：%d, 已用：%d\r\n",
                          prize.c_str(), code.c_str(), Word(record, 3), Word(record, 5),
                          Word(record, 6), Word(record, 7), Word(record, 4));
        }
        return Format("抽中%s%d\r\n剩余：%d, 已玩：%d, %d局一抽, 最大：%d, 已用：%d\r\n",
                      prize.c_str(), Word(record, 2), Word(record, 3), Word(record, 5),
                      Word(record, 6), Word(record, 7), Word(record, 4));
    }
    return Format(" <z=qe系统通知> %s\r\n", prize.c_str());
}

std::string LotteryBroadcastLine(Record record) {
    if (Word(record, 4) != 1) {
        return {};
    }
    return Format(" <z=qe系统通知> 收到广播[抽奖]\r\n来自:%s, 信息:%s\r\n",
                  LiteralName(Text(record, 20, 32)).c_str(),
                  EditLiteralText(Text(record, 52).c_str(), -1).c_str());
}

std::string SystemNoticeLine(Record record) {
    return Format(" <z=qe系统通知> %s\r\n", Text(record, 16).c_str());
}

std::string TaskRewardFailLine(Record record) {
    if (Word(record, 8) != 0) {
        return {};
    }
    return Format(" <z=qe系统通知> 任务领奖失败：<c=255>%s<>\r\n", Text(record, 8, 24).c_str());
}

std::string ScreenshotLine(const std::string& folder) {
    return Format(" <z=qe系统通知><c=255> 游戏截图已保存到<url_text=%s,临时目录><c=255>\r\n",
                  folder.c_str());
}

}  // namespace chat_lines
