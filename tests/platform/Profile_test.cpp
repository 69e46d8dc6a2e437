#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "TempFolder.h"

namespace {

using platform::GetPrivateProfileInt;
using platform::GetPrivateProfileString;
using platform::WritePrivateProfileString;

class ProfileTest : public ::testing::Test {
protected:
    std::string Get(const char* section, const char* key, const char* defaultValue = "def") {
        char out[256];
        std::memset(out, '#', sizeof(out));
        GetPrivateProfileString(section, key, defaultValue, out, sizeof(out), file_.c_str());
        return out;
    }

    TempFolder temp_;
    std::string file_ = temp_ / "Game.ini";
};

TEST_F(ProfileTest, ReadsWithTheWindowsRules) {
    temp_.Write("Game.ini",
                "; settings\r\n"
                "orphan=before any section\n"
                "[GameSet]\r\n"
                "  QuickCatch  =  1  \r\n"
                "Name=\"  quoted  \"\n"
                "Single='x'\n"
                "Half=\"open\n"
                "dup=first\n"
                "DUP=second\n"
                ";Commented=3\n"
                "\n"
                "NoEquals\n"
                "Empty=\n"
                "[ AI ]\n"
                "Weight=7\n"
                "[gameset]\n"
                "Later=not seen\n");
    EXPECT_EQ(Get("GAMESET", "quickcatch"), "1");
    EXPECT_EQ(Get("gameset", "Name"), "  quoted  ");
    EXPECT_EQ(Get("GameSet", "Single"), "x");
    EXPECT_EQ(Get("GameSet", "Half"), "\"open");
    EXPECT_EQ(Get("GameSet", "Dup"), "first");
    EXPECT_EQ(Get("GameSet", "Commented"), "def");
    EXPECT_EQ(Get("GameSet", "NoEquals"), "def");
    EXPECT_EQ(Get("GameSet", "Empty"), "");
    EXPECT_EQ(Get("ai", "WEIGHT"), "7");
    EXPECT_EQ(Get("  AI ", " Weight "), "7");
    EXPECT_EQ(Get("GameSet", "Later"), "def");  // only the first section counts
    EXPECT_EQ(Get("GameSet", "orphan"), "def");
    EXPECT_EQ(Get("Missing", "x", "fallback  "), "fallback");  // trailing blanks dropped
    EXPECT_EQ(Get("Missing", "x", nullptr), "");

    file_ = temp_ / "absent.ini";
    EXPECT_EQ(Get("GameSet", "QuickCatch"), "def");
}

TEST_F(ProfileTest, CutsValuesToTheBuffer) {
    temp_.Write("Game.ini", "[S]\nKey=abcdef\n");
    char out[8];
    EXPECT_EQ(GetPrivateProfileString("S", "Key", "", out, 4, file_.c_str()), 3u);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(GetPrivateProfileString("S", "Key", "", out, 7, file_.c_str()), 6u);
    EXPECT_STREQ(out, "abcdef");
    EXPECT_EQ(GetPrivateProfileString("S", "Key", "", out, 1, file_.c_str()), 0u);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetPrivateProfileString("S", "None", "defaults", out, 5, file_.c_str()), 4u);
    EXPECT_STREQ(out, "defa");

    std::memset(out, 'z', sizeof(out));
    EXPECT_EQ(GetPrivateProfileString("S", "Key", "", out, 0, file_.c_str()), 0u);
    EXPECT_EQ(out[0], 'z');
    EXPECT_EQ(GetPrivateProfileString("S", "Key", "", nullptr, 8, file_.c_str()), 0u);
}

TEST_F(ProfileTest, ListsSectionsAndKeys) {
    temp_.Write("Game.ini", "[One]\na=1\nbb=2\nflag\n[Two]\n[Three]\n");
    char out[32];
    EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", out, sizeof(out), file_.c_str()), 14u);
    EXPECT_EQ(std::string(out, 15), std::string("One\0Two\0Three\0\0", 15));

    EXPECT_EQ(GetPrivateProfileString("one", nullptr, "", out, sizeof(out), file_.c_str()), 10u);
    EXPECT_EQ(std::string(out, 11), std::string("a\0bb\0flag\0\0", 11));

    // Cut: the last name is shortened and two zeros end the list.
    EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", out, 7, file_.c_str()), 5u);
    EXPECT_EQ(std::string(out, 7), std::string("One\0T\0\0", 7));
    EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "", out, 2, file_.c_str()), 0u);
    EXPECT_EQ(std::string(out, 2), std::string("\0\0", 2));

    EXPECT_EQ(GetPrivateProfileString("Two", nullptr, "x", out, sizeof(out), file_.c_str()), 0u);
    EXPECT_EQ(std::string(out, 2), std::string("\0\0", 2));
}

TEST_F(ProfileTest, ReadsLeadingDigitIntegers) {
    temp_.Write("Game.ini",
                "[GAMESET]\nA=12abc\nB=-7\nC=+3\nD=abc\nE=\nF= 42 \nG=4294967297\nH=-\n");
    const char* f = file_.c_str();
    EXPECT_EQ(GetPrivateProfileInt("GAMESET", "A", 99, f), 12);
    EXPECT_EQ(GetPrivateProfileInt("GAMESET", "B", 99, f), -7);
    EXPECT_EQ(GetPrivateProfileInt("GAMESET", "C", 99, f), 3);
    EXPECT_EQ(GetPrivateProfileInt("GAMESET", "D", 99, f), 0);
    EXPECT_EQ(GetPrivateProfileInt("GAMESET", "E", 99, f), 99);  // empty: the default
    EXPECT_EQ(GetPrivateProfileInt("GAMESET", "F", 99, f), 42);
    EXPECT_EQ(GetPrivateProfileInt("GAMESET", "G", 99, f), 1);  // 32-bit wrap
    EXPECT_EQ(GetPrivateProfileInt("GAMESET", "H", 99, f), 0);
    EXPECT_EQ(GetPrivateProfileInt("GAMESET", "Missing", -5, f), -5);
}

TEST_F(ProfileTest, WritesCreateTheFileAndSections) {
    ASSERT_TRUE(WritePrivateProfileString("GAMESET", "QuickCatch", "1", file_.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("GAMESET", "BKMusic", "0", file_.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("AI", "Weight", "5", file_.c_str()));
    EXPECT_EQ(temp_.Read("Game.ini"),
              "[GAMESET]\r\nQuickCatch=1\r\nBKMusic=0\r\n[AI]\r\nWeight=5\r\n");
    EXPECT_EQ(GetPrivateProfileInt("gameset", "quickcatch", 0, file_.c_str()), 1);

    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", (temp_ / "none/x.ini").c_str()));
    EXPECT_FALSE(WritePrivateProfileString(nullptr, "k", "v", file_.c_str()));
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", nullptr));
}

TEST_F(ProfileTest, WritesKeepOtherLinesByteForByte) {
    const std::string before =
        "; top comment\n"
        "[GAMESET]\n"
        "QuickCatch = 0\n"
        "quickcatch=9\n"
        "\n"
        "[Other]   ; note\n"
        "X=\"1\"\n"
        "Last=no newline";
    temp_.Write("Game.ini", before);

    ASSERT_TRUE(WritePrivateProfileString("gameset", "QUICKCATCH", "1", file_.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("GAMESET", "KeepSilence", "1", file_.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("Other", "New", "v", file_.c_str()));
    EXPECT_EQ(temp_.Read("Game.ini"),
              "; top comment\n"
              "[GAMESET]\n"
              "QuickCatch=1\r\n"  // the first of the duplicates, spelling kept
              "quickcatch=9\n"
              "KeepSilence=1\r\n"  // before the blank line that ends the section
              "\n"
              "[Other]   ; note\n"
              "X=\"1\"\n"
              "Last=no newline\r\n"
              "New=v\r\n");

    // Writing the value a key already has leaves the file alone.
    const auto stamp = std::filesystem::last_write_time(file_);
    ASSERT_TRUE(WritePrivateProfileString("GAMESET", "QuickCatch", "1", file_.c_str()));
    EXPECT_EQ(std::filesystem::last_write_time(file_), stamp);
}

TEST_F(ProfileTest, NullValueDeletesKeyAndNullKeyDeletesSection) {
    temp_.Write("Game.ini", "[A]\r\nk=1\r\nk=2\r\nj=3\r\n[B]\r\nx=1\r\n[a]\r\nm=4\r\n");
    ASSERT_TRUE(WritePrivateProfileString("a", "K", nullptr, file_.c_str()));
    EXPECT_EQ(Get("A", "k"), "2");  // the duplicate now shows
    ASSERT_TRUE(WritePrivateProfileString("A", nullptr, nullptr, file_.c_str()));
    EXPECT_EQ(temp_.Read("Game.ini"), "[B]\r\nx=1\r\n");

    // Deleting what is not there changes nothing and creates no file.
    const std::string absent = temp_ / "absent.ini";
    EXPECT_TRUE(WritePrivateProfileString("A", "k", nullptr, absent.c_str()));
    EXPECT_TRUE(WritePrivateProfileString("A", nullptr, nullptr, absent.c_str()));
    EXPECT_FALSE(std::filesystem::exists(absent));
}

TEST_F(ProfileTest, RefusesWritesThatWouldCorruptTheFile) {
    temp_.Write("Game.ini", "[S]\r\nk=1\r\n");
    EXPECT_FALSE(WritePrivateProfileString("S", "a=b", "1", file_.c_str()));
    EXPECT_FALSE(WritePrivateProfileString("S", "a\r\nb", "1", file_.c_str()));
    EXPECT_FALSE(WritePrivateProfileString("S]x", "a", "1", file_.c_str()));
    EXPECT_FALSE(WritePrivateProfileString("S", "", "1", file_.c_str()));
    EXPECT_EQ(temp_.Read("Game.ini"), "[S]\r\nk=1\r\n");

    // A value is one line: what follows a line break is not written.
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "2\r\n[Evil]\r\nx=1", file_.c_str()));
    EXPECT_EQ(temp_.Read("Game.ini"), "[S]\r\nk=2\r\n");

    // A folder where the file should be is not overwritten.
    std::filesystem::create_directory(temp_ / "Dir.ini");
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "1", (temp_ / "Dir.ini").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(temp_ / "Dir.ini"));
}

TEST_F(ProfileTest, FindsTheFileByCaseAndEitherSeparator) {
    temp_.Write("Cfg/MJ.INI", "[GAMESET]\nBKVolume=80\n");
    const std::string asCalled = temp_.Path() + "cfg\\mj.ini";
    EXPECT_EQ(GetPrivateProfileInt("GAMESET", "BKVolume", 0, asCalled.c_str()), 80);
    ASSERT_TRUE(WritePrivateProfileString("GAMESET", "BKVolume", "60", asCalled.c_str()));
    EXPECT_EQ(temp_.Read("Cfg/MJ.INI"), "[GAMESET]\nBKVolume=60\r\n");
    EXPECT_FALSE(std::filesystem::exists(temp_ / "cfg"));
}

TEST_F(ProfileTest, DoubleByteNamesAreNotCaseFolded) {
    // 0x81 0x5D is one GBK character whose trail byte is ']'; 0x81 0x41 and
    // 0x81 0x61 are different characters with letter-like trail bytes.
    temp_.Write("Game.ini", "[\x81\x5D]\r\n\x81\x41=upper\r\n");
    EXPECT_EQ(Get("\x81\x5D", "\x81\x41"), "upper");
    EXPECT_EQ(Get("\x81\x5D", "\x81\x61"), "def");
    ASSERT_TRUE(WritePrivateProfileString("\x81\x5D", "\x81\x61", "lower", file_.c_str()));
    EXPECT_EQ(Get("\x81\x5D", "\x81\x41"), "upper");
    EXPECT_EQ(Get("\x81\x5D", "\x81\x61"), "lower");
    // Values keep their bytes.
    ASSERT_TRUE(WritePrivateProfileString("S", "Name", "宋体", file_.c_str()));
    EXPECT_EQ(Get("s", "name"), "宋体");
}

}  // namespace
