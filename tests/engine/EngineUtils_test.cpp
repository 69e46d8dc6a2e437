#include "engine/EngineUtils.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "TempProgramFolder.h"
#include "engine/AttrValue.h"

namespace {

TEST(FormatElapsedTimeTest, MinutesUpToOneHourThenHours) {
    EXPECT_EQ(FormatElapsedTime(0), "00:00");
    EXPECT_EQ(FormatElapsedTime(59999), "00:59");
    EXPECT_EQ(FormatElapsedTime(61000), "01:01");
    EXPECT_EQ(FormatElapsedTime(3600000), "60:00");
    EXPECT_EQ(FormatElapsedTime(3600001), "01:00:00");
    EXPECT_EQ(FormatElapsedTime(90061000), "25:01:01");
    EXPECT_EQ(FormatElapsedTime(-5), "00:00");
}

TEST(TextHelpersTest, SplitByCommaKeepsInnerEmptyPiecesButNotATrailingOne) {
    std::vector<std::string> pieces{"stale"};
    EXPECT_EQ(SplitByComma("a,,b", pieces), 3);
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitByComma("a,", pieces), 1);
    EXPECT_EQ(pieces, (std::vector<std::string>{"a"}));
    EXPECT_EQ(SplitByComma(",a", pieces), 2);
    EXPECT_EQ(pieces, (std::vector<std::string>{"", "a"}));
    EXPECT_EQ(SplitByComma(" x , y", pieces), 2);
    EXPECT_EQ(pieces, (std::vector<std::string>{" x ", " y"}));
    EXPECT_EQ(SplitByComma("", pieces), 0);
    EXPECT_TRUE(pieces.empty());
}

TEST(TextHelpersTest, StripQuotesTakesTheTextBetweenFirstAndLastQuote) {
    EXPECT_EQ(StripQuotes("\"abc\""), "abc");
    EXPECT_EQ(StripQuotes("x=\"a\"b\"c"), "a\"b");
    EXPECT_EQ(StripQuotes("\"\""), "");
    EXPECT_EQ(StripQuotes("plain"), "plain");
    EXPECT_EQ(StripQuotes("one\"quote"), "one\"quote");
}

TEST(TextHelpersTest, ToLowerAsciiLeavesTrailBytesAndStopsAtTheEnd) {
    // 0xC4 0x41 is one double-byte character whose trail looks like 'A'.
    char text[] = "ABC\xC4\x41Z";
    ToLowerAscii(text);
    EXPECT_STREQ(text, "abc\xC4\x41z");

    // A lone lead byte before the terminator must not carry the walk past it.
    char tail[] = {'Q', '\xC4', '\0', 'X', '\0'};
    ToLowerAscii(tail);
    EXPECT_EQ(std::string(tail, 5), std::string("q\xC4\0X\0", 5));

    std::string s =
        "MIX\xB0\x42"
        "Ed\xC4";
    ToLowerAscii(s);
    EXPECT_EQ(s,
              "mix\xB0\x42"
              "ed\xC4");
}

TEST(AttrValueTest, SplitGivesKindFiveAndValuesReadAsNumbersOrFlags) {
    std::vector<CAttrValue> values;
    ASSERT_EQ(SplitAttrValues("TRUE,FALSE,true,12px, -7,,99999999999", values), 7);
    for (const CAttrValue& v : values) {
        EXPECT_EQ(v.GetKind(), 5);
        EXPECT_EQ(v.GetFlag(), 0);
    }
    EXPECT_EQ(values[0].GetBool(), 1);
    EXPECT_EQ(values[1].GetBool(), 0);
    EXPECT_EQ(values[2].GetBool(), 0);  // case matters: read as a number
    EXPECT_EQ(values[3].GetInt(), 12);
    EXPECT_EQ(values[4].GetBool(), -7);
    EXPECT_EQ(values[5].GetText(), "");
    EXPECT_EQ(values[6].GetInt(), INT_MAX);
    EXPECT_EQ(SplitAttrValues("", values), 0);
}

TEST(FileNameTest, SplitsOnEitherSeparatorAndLowersOnlyTheExtension) {
    EXPECT_EQ(GetExtension("skins\\Sub/Name.PNG"), ".png");
    EXPECT_EQ(GetFileTitle("skins\\Sub/Name.PNG"), "Name");
    EXPECT_EQ(GetFileNameLower("skins\\Sub/Name.PNG"), "Name.png");
    EXPECT_EQ(GetExtension("dir.d/noext"), "");
    EXPECT_EQ(GetFileNameLower("dir.d/noext"), "noext");
}

TEST(ExePathTest, NamesAreRelativeToTheProgramFolder) {
    TempProgramFolder folder;
    EXPECT_EQ(GetExeDir(), folder.Path() + "/");
    EXPECT_EQ(GetExePath("res\\a.kor"), folder.Path() + "/res/a.kor");
    folder.Write("present.txt", "x");
    EXPECT_TRUE(ExeFileExists("present.txt"));
    EXPECT_TRUE(ExeFileExists("PRESENT.TXT"));
    EXPECT_FALSE(ExeFileExists("absent.txt"));
    EXPECT_FALSE(FileExists(""));
}

TEST(LoadFileTest, GivesSizePlusOneBytesEndingInZeroAndFindsOtherCases) {
    TempProgramFolder folder;
    std::filesystem::create_directories(folder.Path() + "/Skins");
    folder.Write("Skins/Data.BIN", std::string("a\0b", 3));
    size_t size = 99;
    std::unique_ptr<uint8_t[]> data = LoadFile(folder.Path() + "\\skins\\data.bin", size);
    ASSERT_TRUE(data);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::memcmp(data.get(), "a\0b\0", 4), 0);

    folder.Write("empty.bin", "");
    data = LoadFile(GetExePath("empty.bin"), size);
    ASSERT_TRUE(data);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(data[0], 0);
}

TEST(LoadFileTest, MissingFileIsLoggedAndEmptyPathIsNot) {
    TempProgramFolder folder;
    size_t size = 5;
    EXPECT_FALSE(LoadFile("", size));
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(folder.Exists("Game20240305.log"));

    size = 5;
    EXPECT_FALSE(LoadFile(GetExePath("nothing.dat"), size));
    EXPECT_EQ(size, 0u);
    const std::string log = folder.Read("Game20240305.log");
    EXPECT_NE(log.find("      文件" + GetExePath("nothing.dat") + " 打开失败!\r\n"),
              std::string::npos);
}

TEST(SaveFileTest, CreatesOrEmptiesAndFailsWithoutItsFolder) {
    TempProgramFolder folder;
    folder.Write("out.dat", "a much longer old content");
    ASSERT_TRUE(SaveFile(GetExePath("out.dat"), "new", 3));
    EXPECT_EQ(folder.Read("out.dat"), "new");
    EXPECT_TRUE(SaveFile(GetExePath("zero.dat"), nullptr, 0));
    EXPECT_EQ(folder.Read("zero.dat"), "");
    EXPECT_FALSE(SaveFile(GetExePath("no\\such\\folder\\x.dat"), "x", 1));
    EXPECT_FALSE(SaveFile(GetExePath("bad.dat"), nullptr, 4));
}

TEST(CreateDirectoryPathTest, ChecksOrCreatesEveryFolderOfTheWay) {
    TempProgramFolder folder;
    const std::string nested = folder.Path() + "\\one/two\\\\three//";
    EXPECT_FALSE(CreateDirectoryPath(nested, false));
    EXPECT_FALSE(folder.Exists("one"));

    EXPECT_TRUE(CreateDirectoryPath(nested, true));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() + "/one/two/three"));
    EXPECT_TRUE(CreateDirectoryPath(folder.Path() + "/one/two/three", false));
    EXPECT_TRUE(CreateDirectoryPath("\\\\" + folder.Path().substr(1) + "\\one", false));
    EXPECT_TRUE(folder.boxes.empty());
}

TEST(CreateDirectoryPathTest, AFileInTheWayIsReportedInABox) {
    TempProgramFolder folder;
    folder.Write("blocker", "file");
    EXPECT_FALSE(CreateDirectoryPath(folder.Path() + "/blocker/inner", false));
    EXPECT_TRUE(folder.boxes.empty());

    EXPECT_FALSE(CreateDirectoryPath(folder.Path() + "/blocker/inner", true));
    ASSERT_EQ(folder.boxes.size(), 1u);
    EXPECT_EQ(folder.boxes[0].text, "Build   Directory" + folder.Path() + "/blocker   Fail!");
}

}  // namespace
