#include "game/result/ResultSheet.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/game/result/ResultRecordBytes.h"

namespace {

using R = table_protocol::GameResultRecord;

TEST(ResultSheetTest, ReadsTheShownFieldsAtTheirOffsets) {
    ResultRecordBytes record;
    record.Winner(2, 0)
        .Set(&R::scoreChange, 3, -12)
        .Set(&R::silverChange, 1, 450)
        .Set(&R::nextBaseSilver, 1000)
        .Set(&R::itemValues, 13, 4)
        .Set(&R::itemMultipliers, 0, 2)
        .Set(&R::finalMultiples, 3, 8)
        .Set(&R::value2368, 0, 77)
        .Set(&R::exposedKongColumn, 1, 2)
        .Set(&R::concealedKongColumn, 1, 3);
    ResultSheet sheet;
    ASSERT_TRUE(sheet.Read(record.Span()));
    EXPECT_EQ(sheet.winner, 2);
    EXPECT_EQ(sheet.discarder, 0);
    EXPECT_TRUE(sheet.HasWon(2));
    EXPECT_FALSE(sheet.HasWon(0));
    EXPECT_FALSE(sheet.HasWon(-1));
    EXPECT_FALSE(sheet.HasWon(4));
    EXPECT_EQ(sheet.scoreChange[3], -12);
    EXPECT_EQ(sheet.silverChange[1], 450);
    EXPECT_EQ(sheet.nextBaseSilver, 1000);
    EXPECT_EQ(sheet.itemValue[13], 4);
    EXPECT_EQ(sheet.itemMultiplier[0], 2);
    EXPECT_EQ(sheet.finalMultiple[3], 8);
    EXPECT_EQ(sheet.furtherValue[0], 77);
    EXPECT_EQ(sheet.exposedKong[1], 2);
    EXPECT_EQ(sheet.concealedKong[1], 3);
}

TEST(ResultSheetTest, AShortRecordIsRefusedWholeAndALongOneReadAsWhole) {
    ResultRecordBytes record;
    record.Winner(1, -1).Set(&R::concealedKongColumn, 3, 9);
    ResultSheet sheet;
    sheet.winner = 3;
    EXPECT_FALSE(sheet.Read(record.Span().first(ResultSheet::kRecordSize - 1)));
    EXPECT_EQ(sheet.winner, 3);
    EXPECT_EQ(sheet.concealedKong[3], 0);

    record.Bytes().resize(ResultSheet::kRecordSize + 64 * 1024, 0x7F);
    ASSERT_TRUE(sheet.Read(record.Span()));
    EXPECT_EQ(sheet.winner, 1);
    EXPECT_EQ(sheet.concealedKong[3], 9);
}

TEST(ResultSheetTest, ItemNamesSplitOnBarsSteppingOverDoubleByteCharacters) {
    // "亅" is 0x81 0x7C: its second byte is a '|' that separates nothing.
    ResultRecordBytes record;
    record.Names("平胡|亅亅|||清一色|");
    ResultSheet sheet;
    ASSERT_TRUE(sheet.Read(record.Span()));
    EXPECT_EQ(sheet.ItemName(0), "平胡");
    EXPECT_EQ(sheet.ItemName(1), "亅亅");
    EXPECT_EQ(sheet.ItemName(2), "");
    EXPECT_EQ(sheet.ItemName(3), "");
    EXPECT_EQ(sheet.ItemName(4), "清一色");
    EXPECT_EQ(sheet.ItemName(5), "");
    EXPECT_EQ(sheet.ItemName(6), "");  // no such field
    EXPECT_EQ(sheet.ItemName(13), "");
    EXPECT_EQ(sheet.ItemName(-1), "");
}

TEST(ResultSheetTest, ItemNamesAreCutAtAWholeCharacterAndReadWithinTheirField) {
    ResultRecordBytes record;
    // 16 bytes of double-byte characters: 15 bytes would split the eighth.
    record.Names("一二三四五六七八|abcdefghijklmnopq|x");
    ResultSheet sheet;
    ASSERT_TRUE(sheet.Read(record.Span()));
    EXPECT_EQ(sheet.ItemName(0), "一二三四五六七");
    EXPECT_EQ(sheet.ItemName(1), "abcdefghijklmno");
    EXPECT_EQ(sheet.ItemName(2), "x");

    // A text filling all 1024 bytes without a terminator: the last field ends
    // at the field's end, with a lead byte cut off there dropped.
    std::string full(1021, 'a');
    full += "|b";
    full.push_back(static_cast<char>(0xB0));
    record.Names(full);
    ASSERT_TRUE(sheet.Read(record.Span()));
    EXPECT_EQ(sheet.ItemName(1), "b");
    EXPECT_EQ(sheet.ItemName(0), std::string(15, 'a'));
}

TEST(GbkFieldTest, FieldsAndCuts) {
    EXPECT_EQ(NthGbkField("a|b", 1), "b");
    EXPECT_EQ(NthGbkField("", 0), "");
    EXPECT_EQ(NthGbkField("|", 1), "");
    EXPECT_EQ(NthGbkField("a|b", 2), "");
    EXPECT_EQ(CutGbk("一二", 3), "一");
    EXPECT_EQ(CutGbk("一二", 4), "一二");
    EXPECT_EQ(CutGbk("ab", 0), "");
}

}  // namespace
