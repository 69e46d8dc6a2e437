#include "frame/view/MatchPanelTexts.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr int kAwardColor = 65535;
constexpr int kRankPointsColor = 16776960;
constexpr int kWelcomeColor = 527845;
constexpr int kWelcomeFigureColor = 16711680;
constexpr int kWinColor = 255;
constexpr int kLossColor = 65280;
constexpr int kDrawColor = 1892862;

}  // namespace

std::string FormatText(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return written > 0 ? std::string(text, std::min<size_t>(size_t(written), sizeof text - 1))
                       : std::string();
}

std::string MatchCountdownText(int seconds) {
    const int s = std::max(seconds, 0);
    const int days = s / 86400;
    const int hours = (s % 86400) / 3600;
    const int minutes = (s - (days * 24 + hours) * 3600) / 60;
    std::string text = "比赛倒计时:";
    if (days > 0) {
        text += FormatText("%d天", days);
    }
    if (hours > 0 || days > 0) {
        text += FormatText("%d小时", hours);
    }
    if (minutes > 0 || hours > 0 || days > 0) {
        text += FormatText("%d分", minutes);
    }
    return text + FormatText("%d秒", s % 60);
}

std::string SignUpFeeText(int kind, int amount) {
    switch (kind) {
        case 1:
            return FormatText("报名费%d两\r\n", amount);
        case 2:
            return FormatText("报名费%d通宝\r\n", amount);
        default:
            return {};
    }
}

std::string MatchRewardText(const MatchResultRecord& result) {
    std::string text = "\r\n";
    if (result.awardId > 0) {
        text += FormatText("  <c=%d>%s\r\n", kAwardColor, FieldText(result.awardName).c_str());
    }
    if (result.silver != 0) {
        text += FormatText("  银两   +%d\r\n", result.silver);
    }
    if (result.tickets != 0) {
        text += FormatText("  奖券   +%d\r\n", result.tickets);
    }
    text += "\r\n";
    if (result.rankPoints > 0) {
        text += FormatText("  <c=%d>段位分   +%d", kRankPointsColor, result.rankPoints);
    }
    return text;
}

std::string RestTablesText(int tables, int promoted) {
    return promoted <= 0 ? FormatText("还有%d桌游戏中", tables)
                         : FormatText(" 还有%d桌游戏中，前%d名晋级", tables, promoted);
}

std::string RestTablesChatLine(const std::string& text) {
    return " <z=qe系统通知><c=255> " + text;
}

std::string MatchWelcomeText(int needed, int nextLevel) {
    return FormatText(
        " <z=qe系统通知><c=%d> "
        "欢迎加入比赛,您还需要获得:\r\n<c=%d>%d段位分<c=%d>升入<z=bit_Duan,%d>"
        "<m=ruv加油>\r\n",
        kWelcomeColor, kWelcomeFigureColor, needed, kWelcomeColor, nextLevel);
}

std::string EliminationRoundText(int round) {
    return FormatText("定局淘汰第%d轮", round);
}

std::string RateText(int64_t part, int64_t games, const char* noGames) {
    if (games <= 0) {
        return noGames;
    }
    return FormatText("%.2f%%", double(part) / double(games) * 100.0);
}

std::string MatchRecordLineText(int wins, int losses, int draws) {
    return FormatText("<c=%d>%d胜<c=%d>%d负<c=%d>%d平", kWinColor, wins, kLossColor, losses,
                      kDrawColor, draws);
}
