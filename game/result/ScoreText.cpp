#include "game/result/ScoreText.h"

#include <algorithm>

#include "engine/ui/CorvaneEdit.h"
#include "frame/view/MatchPanelTexts.h"

namespace score_text {

namespace {

constexpr const char* kNumerals[] = {
    "零",   "一",   "二",   "三",   "四",   "五",   "六",   "七",   "八",   "九",   "十",
    "十一", "十二", "十三", "十四", "十五", "十六", "十七", "十八", "十九", "二十",
};
constexpr int kNumeralCount = static_cast<int>(sizeof kNumerals / sizeof kNumerals[0]);

}  // namespace

std::string ChineseNumber(int n) {
    return n >= 0 && n < kNumeralCount ? kNumerals[n] : "N";
}

std::string RoundInfoLine(const RoundFacts& facts) {
    if (facts.match && facts.knockoutRound >= 1) {
        return FormatText(" <c=%d><size=16>淘汰赛第%s轮\r\n", kOwnColour,
                          ChineseNumber(facts.knockoutRound).c_str());
    }
    if (facts.silverRoom) {
        return FormatText("\r\n<size=12>【第%d局】基础银：<c=255>%d<>两\r\n", facts.handNumber,
                          facts.baseSilver);
    }
    return FormatText("\r\n<size=12>【第%d局】基础分：<c=255>%d<>分\r\n", facts.handNumber,
                      facts.baseScore);
}

std::vector<std::string> HandScoreLines(const HandScoreFacts& facts) {
    std::vector<std::string> lines;
    lines.emplace_back("\r\n");
    lines.push_back(FormatText(" <c=%d><size=14>===本局结束===\r\n", 0));
    const int seats = std::clamp(facts.seatCount, 0, static_cast<int>(facts.names.size()));
    const char* unit = facts.silverRoom ? "两" : "分";
    for (int chair = 0; chair < seats; ++chair) {
        const size_t c = static_cast<size_t>(chair);
        const int32_t value = facts.silverRoom ? facts.silverChange[c] : facts.scoreChange[c];
        const int colour = chair == facts.ownChair ? kOwnColour : kOtherColour;
        // A name is the player's own text: shown as written, never as markup.
        lines.push_back(
            FormatText(" <c=%d>[%s]", colour, EditLiteralText(facts.names[c].c_str(), -1).c_str()));
        // The bracketed name is its bytes and two; the filler brings it to
        // the column plus one.
        const int bracketed = static_cast<int>(std::min<size_t>(facts.names[c].size(), 1000)) + 2;
        for (int k = 0; k <= kNameColumn - bracketed; ++k) {
            lines.emplace_back(" ");
        }
        lines.push_back(
            FormatText(value >= 0 ? "<c=%d>+%d %s\r\n" : "<c=%d>%d %s\r\n", colour, value, unit));
    }
    lines.emplace_back("\r\n");
    return lines;
}

std::string SwapReadyLine(const std::string& name) {
    return FormatText("<c=%d>%s <c=%d>已准备好换三张!\r\n", kOwnColour, name.c_str(),
                      kSwapReadyColour);
}

std::string PlayerLeftText(const std::string& name, bool forced, int32_t silverDeducted,
                           int32_t scoreDeducted) {
    // The notice box shows rich text: the name goes in literally.
    const std::string shown = EditLiteralText(name.c_str(), -1);
    if (!forced) {
        return FormatText("%s 已经离开，游戏结束。", shown.c_str());
    }
    const long long silver = -static_cast<long long>(silverDeducted);
    const long long score = -static_cast<long long>(scoreDeducted);
    return FormatText("%s 已经强行退出，游戏结束。(扣除%lld两,%lld分)", shown.c_str(), silver,
                      score);
}

}  // namespace score_text
