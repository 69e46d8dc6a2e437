#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "frame/view/MatchPanelTexts.h"
#include "frame/view/MatchRecords.h"

namespace {

TEST(MatchCountdownText, ShowsDaysHoursAndMinutesFromTheFirstThatIsSet) {
    EXPECT_EQ(MatchCountdownText(90060), "比赛倒计时:1天1小时1分0秒");
    EXPECT_EQ(MatchCountdownText(3604), "比赛倒计时:1小时0分4秒");
    EXPECT_EQ(MatchCountdownText(58), "比赛倒计时:58秒");
    EXPECT_EQ(MatchCountdownText(86400), "比赛倒计时:1天0小时0分0秒");
    EXPECT_EQ(MatchCountdownText(60), "比赛倒计时:1分0秒");
    EXPECT_EQ(MatchCountdownText(0), "比赛倒计时:0秒");
}

TEST(SignUpFeeText, NamesTheCurrencyOfItsKindAndNothingForOthers) {
    EXPECT_EQ(SignUpFeeText(1, 500), "报名费500两\r\n");
    EXPECT_EQ(SignUpFeeText(2, 3), "报名费3通宝\r\n");
    EXPECT_EQ(SignUpFeeText(0, 3), "");
    EXPECT_EQ(SignUpFeeText(7, 3), "");
}

TEST(MatchRewardText, ListsOnlyTheRewardsThatWereWon) {
    MatchResultRecord result;
    EXPECT_EQ(MatchRewardText(result), "\r\n\r\n");

    result.awardId = 7;
    SetFieldText(result.awardName, "金杯");
    result.silver = 1000;
    result.tickets = -2;
    result.rankPoints = 30;
    EXPECT_EQ(MatchRewardText(result),
              "\r\n  <c=65535>金杯\r\n  银两   +1000\r\n  奖券   +-2\r\n\r\n"
              "  <c=16776960>段位分   +30");

    result.awardId = 0;
    result.silver = 0;
    result.tickets = 0;
    result.rankPoints = -5;
    EXPECT_EQ(MatchRewardText(result), "\r\n\r\n");
}

TEST(RestTablesText, LeavesThePromotionOutWhenThereIsNone) {
    EXPECT_EQ(RestTablesText(3, 0), "还有3桌游戏中");
    EXPECT_EQ(RestTablesText(3, -1), "还有3桌游戏中");
    EXPECT_EQ(RestTablesText(2, 16), " 还有2桌游戏中，前16名晋级");
}

TEST(RestTablesText, ChatLineKeepsPercentSignsOfTheServerText) {
    EXPECT_EQ(RestTablesChatLine("50%%s"), " <z=qe系统通知><c=255> 50%%s");
}

TEST(MatchWelcomeText, CarriesTheNeededPointsAndTheNextLevel) {
    EXPECT_EQ(MatchWelcomeText(120, 4),
              " <z=qe系统通知><c=527845> 欢迎加入比赛,您还需要获得:\r\n<c=16711680>120段位分"
              "<c=527845>升入<z=bit_Duan,4><m=ruv加油>\r\n");
}

TEST(RateText, TwoDecimalsOrTheNoGamesText) {
    EXPECT_EQ(RateText(3, 4, "100%"), "75.00%");
    EXPECT_EQ(RateText(0, 0, "100%"), "100%");
    EXPECT_EQ(RateText(0, 0, "0.00%"), "0.00%");
    EXPECT_EQ(RateText(1, 3, "100%"), "33.33%");
    EXPECT_EQ(RateText(int64_t(INT32_MAX) * 3, int64_t(INT32_MAX) * 3, "100%"), "100.00%");
}

TEST(MatchPlayerCard, IsMadeFromTheMatchPlayerByTheCardMap) {
    std::array<uint8_t, MatchPlayerRecord::kSize> bytes{};
    for (size_t offset = 0; offset < bytes.size(); offset += 4) {
        bytes[offset] = uint8_t(offset / 4 + 1);  // word n holds n + 1
    }
    std::memset(&bytes[20], 'a', 32);  // a name without its zero
    std::memset(&bytes[52], 'b', 16);
    MatchPlayerRecord player;
    ASSERT_TRUE(ReadRecord(bytes, player));

    const auto card = RecordBytes(MakeMatchPlayerCard(player));
    const auto word = [&](size_t offset) { return WordAt(card, offset); };
    for (size_t offset = 0; offset < 20; offset += 4) {
        EXPECT_EQ(word(offset), int32_t(offset / 4 + 1)) << offset;
    }
    EXPECT_EQ(std::string(card.begin() + 20, card.begin() + 52), std::string(32, 'a'));
    EXPECT_EQ(std::string(card.begin() + 52, card.begin() + 68), std::string(16, 'b'));
    const std::vector<std::pair<size_t, size_t>> map = {
        {68, 96},   {72, 100},  {76, 264},  {80, 108},  {84, 112},  {88, 116},
        {92, 120},  {96, 124},  {104, 184}, {108, 188}, {112, 192}, {116, 196},
        {120, 200}, {124, 204}, {128, 208}, {132, 212}};
    for (const auto& [to, from] : map) {
        EXPECT_EQ(word(to), int32_t(from / 4 + 1)) << to;
    }
    EXPECT_EQ(word(100), 0);
    for (size_t offset = 136; offset < MatchPlayerCard::kSize; ++offset) {
        EXPECT_EQ(card[offset], 0) << offset;
    }
}

TEST(MatchResultRecord, ShortAndLongRecordsReadAsFarAsTheyReach) {
    std::vector<uint8_t> bytes(300, 0);
    bytes[20] = 3;                      // rank
    std::memset(&bytes[44], 'x', 200);  // an award name running into the next fields
    const auto full = ReadPaddedRecord<MatchResultRecord>(bytes);
    EXPECT_EQ(full.rank, 3);
    EXPECT_EQ(FieldText(full.awardName), std::string(136, 'x'));

    const std::vector<uint8_t> shortRecord(bytes.begin(), bytes.begin() + 22);
    const auto cut = ReadPaddedRecord<MatchResultRecord>(shortRecord);
    EXPECT_EQ(cut.rank, 3);
    EXPECT_EQ(FieldText(cut.awardName), "");
    EXPECT_EQ(cut.newRankLevel, 0);

    const auto none = ReadPaddedRecord<MatchResultRecord>({});
    EXPECT_EQ(none.rank, 0);
}

TEST(RestTablesNotice, ReadsWithinTheRecord) {
    std::vector<uint8_t> bytes(28, 0);
    bytes[20] = 5;
    bytes.insert(bytes.end(), {'a', 'b'});  // text without its zero
    const auto notice = ReadRestTablesNotice(bytes);
    EXPECT_EQ(notice.tables, 5);
    EXPECT_EQ(notice.text, "ab");

    const auto cut = ReadRestTablesNotice(std::span(bytes).first(22));
    EXPECT_EQ(cut.tables, 0);
    EXPECT_EQ(cut.text, "");

    std::vector<uint8_t> longText(28, 0);
    longText.resize(28 + 1000, 'z');
    EXPECT_EQ(ReadRestTablesNotice(longText).text.size(), RestTablesNotice::kTextWidth);
}

}  // namespace
