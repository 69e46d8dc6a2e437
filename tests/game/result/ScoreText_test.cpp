#include "game/result/ScoreText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace {

using namespace score_text;

// A text from its bytes, to state the expected GBK exactly.
std::string Bytes(std::initializer_list<int> bytes) {
    std::string text;
    for (int b : bytes) {
        text.push_back(static_cast<char>(b));
    }
    return text;
}

// The pieces joined, as the chat shows them.
std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
    }
    return text;
}

TEST(ChineseNumberTest, NumeralsUpToTwentyAndNBeyond) {
    EXPECT_EQ(ChineseNumber(0), Bytes({0xC1, 0xE3}));               // 零
    EXPECT_EQ(ChineseNumber(10), Bytes({0xCA, 0xAE}));              // 十
    EXPECT_EQ(ChineseNumber(11), Bytes({0xCA, 0xAE, 0xD2, 0xBB}));  // 十一
    EXPECT_EQ(ChineseNumber(20), Bytes({0xB6, 0xFE, 0xCA, 0xAE}));  // 二十
    EXPECT_EQ(ChineseNumber(20), "二十");
    EXPECT_EQ(ChineseNumber(3), "三");
    EXPECT_EQ(ChineseNumber(21), "N");
    EXPECT_EQ(ChineseNumber(-1), "N");
    EXPECT_EQ(ChineseNumber(INT_MIN), "N");
}

TEST(RoundInfoLineTest, ScoreRoomSilverRoomAndKnockoutRound) {
    RoundFacts facts;
    facts.handNumber = 3;
    facts.baseScore = 50;
    facts.baseSilver = 800;
    EXPECT_EQ(RoundInfoLine(facts), "\r\n<size=12>【第3局】基础分：<c=255>50<>分\r\n");

    facts.silverRoom = true;
    EXPECT_EQ(RoundInfoLine(facts), "\r\n<size=12>" + Bytes({0xA1, 0xBE, 0xB5, 0xDA}) + "3" +
                                        Bytes({0xBE, 0xD6, 0xA1, 0xBF}) +
                                        Bytes({0xBB, 0xF9, 0xB4, 0xA1, 0xD2, 0xF8, 0xA3, 0xBA}) +
                                        "<c=255>800<>" + Bytes({0xC1, 0xBD}) + "\r\n");

    // A match client at knockout round 0 still shows the room's line.
    facts.match = true;
    EXPECT_EQ(RoundInfoLine(facts), "\r\n<size=12>【第3局】基础银：<c=255>800<>两\r\n");

    facts.knockoutRound = 3;
    EXPECT_EQ(RoundInfoLine(facts),
              " <c=255><size=16>" +
                  Bytes({0xCC, 0xD4, 0xCC, 0xAD, 0xC8, 0xFC, 0xB5, 0xDA, 0xC8, 0xFD, 0xC2, 0xD6}) +
                  "\r\n");  // 淘汰赛第三轮
    facts.knockoutRound = 25;
    EXPECT_EQ(RoundInfoLine(facts), " <c=255><size=16>淘汰赛第N轮\r\n");

    // Not a match client: the knockout round is not looked at.
    facts.match = false;
    EXPECT_EQ(RoundInfoLine(facts), "\r\n<size=12>【第3局】基础银：<c=255>800<>两\r\n");
}

TEST(HandScoreLinesTest, SilverRoomPadsNamesAndSignsValues) {
    HandScoreFacts facts;
    facts.silverRoom = true;
    facts.ownChair = 1;
    facts.names = {"一二三四五六七八九", "abcdefghijklmnopqrs", "ab", ""};  // 18, 19, 2, 0 bytes
    facts.silverChange = {0, -50, 1200, INT32_MIN};
    facts.scoreChange = {7, 7, 7, 7};
    const std::vector<std::string> lines = HandScoreLines(facts);

    std::vector<std::string> expected = {"\r\n", " <c=0><size=14>===本局结束===\r\n"};
    auto seat = [&](const std::string& name, int colour, int spaces, const std::string& value) {
        expected.push_back(" <c=" + std::to_string(colour) + ">[" + name + "]");
        for (int i = 0; i < spaces; ++i) {
            expected.emplace_back(" ");
        }
        expected.push_back("<c=" + std::to_string(colour) + ">" + value + "\r\n");
    };
    seat("一二三四五六七八九", 2302755, 1, "+0 两");
    seat("abcdefghijklmnopqrs", 255, 0, "-50 两");
    seat("ab", 2302755, 17, "+1200 两");
    seat("", 2302755, 19, "-2147483648 两");
    expected.emplace_back("\r\n");
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(lines[1], " <c=0><size=14>" +
                            Bytes({0x3D, 0x3D, 0x3D, 0xB1, 0xBE, 0xBE, 0xD6, 0xBD, 0xE1, 0xCA, 0xF8,
                                   0x3D, 0x3D, 0x3D}) +
                            "\r\n");
    EXPECT_EQ(lines[4], "<c=2302755>+0 " + Bytes({0xC1, 0xBD}) + "\r\n");
}

TEST(HandScoreLinesTest, ScoreRoomShowsPointsAndOnlyTheTableSeats) {
    HandScoreFacts facts;
    facts.silverRoom = false;
    facts.ownChair = 0;
    facts.seatCount = 2;
    facts.names = {"abcdefghijklmnopqr", "x", "unused", "unused"};  // 18 bytes: one space
    facts.scoreChange = {1200, -50, 9, 9};
    facts.silverChange = {-1, -1, -1, -1};
    const std::string text = Joined(HandScoreLines(facts));
    EXPECT_EQ(text,
              "\r\n <c=0><size=14>===本局结束===\r\n"
              " <c=255>[abcdefghijklmnopqr] <c=255>+1200 分\r\n"
              " <c=2302755>[x]" +
                  std::string(18, ' ') + "<c=2302755>-50 " + Bytes({0xB7, 0xD6}) + "\r\n\r\n");

    // A name is shown as written: its markup characters are escaped, and its
    // column is that of the name shown.
    facts.names[1] = "<url_text=http://x.cn/,x>";
    EXPECT_EQ(HandScoreLines(facts)[5], " <c=2302755>[#<url_text=http://x.cn/,x>]");
    EXPECT_EQ(HandScoreLines(facts).size(), 2u + 2u * 2u + 1u + 1u + 0u);
    facts.names[1] = "x";

    // A seat count beyond the four names shows four seats; none shows none.
    facts.seatCount = 9;
    EXPECT_EQ(HandScoreLines(facts).size(), 2u + 4u * 2u + 1u + 1u + 18u + 13u + 13u);
    facts.seatCount = -3;
    EXPECT_EQ(HandScoreLines(facts).size(), 3u);
}

TEST(SwapReadyLineTest, NameInOwnColourThenTheNotice) {
    EXPECT_EQ(SwapReadyLine("游戏玩家"), "<c=255>游戏玩家 <c=4953725>已准备好换三张!\r\n");
    EXPECT_EQ(SwapReadyLine(""), "<c=255> <c=4953725>" +
                                     Bytes({0xD2, 0xD1, 0xD7, 0xBC, 0xB1, 0xB8, 0xBA, 0xC3, 0xBB,
                                            0xBB, 0xC8, 0xFD, 0xD5, 0xC5, 0x21}) +
                                     "\r\n");
}

TEST(PlayerLeftTextTest, ForcedLeaveShowsTheNegatedDeductions) {
    EXPECT_EQ(PlayerLeftText("甲", false, -200, -10), "甲 已经离开，游戏结束。");
    EXPECT_EQ(PlayerLeftText("甲", true, -200, -10),
              "甲 已经强行退出，游戏结束。(" + Bytes({0xBF, 0xDB, 0xB3, 0xFD}) + "200" +
                  Bytes({0xC1, 0xBD}) + ",10" + Bytes({0xB7, 0xD6}) + ")");
    // The most negative deduction is negated without overflow.
    EXPECT_EQ(PlayerLeftText("甲", true, INT32_MIN, 5),
              "甲 已经强行退出，游戏结束。(扣除2147483648两,-5分)");
    // The notice box shows rich text: a name is never markup there.
    EXPECT_EQ(PlayerLeftText("<z=qe系统通知>", false, 0, 0),
              "#<z=qe系统通知> 已经离开，游戏结束。");
}

}  // namespace
