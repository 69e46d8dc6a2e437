#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kGbkSongTi = "\xCB\xCE\xCC\xE5";           // 宋体
const std::string kUtf8SongTi = "\xE5\xAE\x8B\xE4\xBD\x93";  // 宋体

TEST(TextCodec, ConvertsBothWays) {
    EXPECT_EQ(platform::GbkToUtf8(kGbkSongTi), kUtf8SongTi);
    EXPECT_EQ(platform::Utf8ToGbk(kUtf8SongTi), kGbkSongTi);
    EXPECT_EQ(platform::GbkToUtf8("plain ascii"), "plain ascii");
    EXPECT_EQ(platform::GbkToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(platform::GbkToUtf8(""), "");
    // The compiler's literals are GBK too.
    EXPECT_EQ(std::string("宋体"), kGbkSongTi);
}

TEST(TextCodec, LongTextsConvertWhole) {
    std::string gbk;
    std::string utf8;
    for (int i = 0; i < 3000; ++i) {
        gbk += kGbkSongTi;
        utf8 += kUtf8SongTi;
    }
    EXPECT_EQ(platform::GbkToUtf8(gbk), utf8);
    EXPECT_EQ(platform::Utf8ToGbk(utf8), gbk);
}

TEST(TextCodec, BadBytesBecomeQuestionMarks) {
    // A lead byte with a trail byte out of range, then a lead byte cut off.
    EXPECT_EQ(platform::GbkToUtf8("a\x81\x20z\xCB"), "a? z?");
    // Stray continuation bytes, a truncated sequence, an overlong form.
    EXPECT_EQ(platform::Utf8ToGbk("x\x80\xBFy"), "x??y");
    EXPECT_EQ(platform::Utf8ToGbk("x\xE5\xAE"), "x?");
    EXPECT_EQ(platform::Utf8ToGbk("\xC0\xAFok"), "??ok");
    // A character GBK cannot hold is one '?', not one per byte.
    EXPECT_EQ(platform::Utf8ToGbk("[\xF0\x9F\x98\x80]"), "[?]");
}

TEST(TextCodec, UnmappedCharactersCanBeLeftOutAndCounted) {
    size_t dropped = 9;
    EXPECT_EQ(
        platform::Utf8ToGbkDroppingUnmapped("[\xF0\x9F\x98\x80?" + kUtf8SongTi + "\x80]", &dropped),
        "[?" + kGbkSongTi + "]");
    EXPECT_EQ(dropped, 2u);
    EXPECT_EQ(platform::Utf8ToGbkDroppingUnmapped("plain", &dropped), "plain");
    EXPECT_EQ(dropped, 0u);
    EXPECT_EQ(platform::Utf8ToGbkDroppingUnmapped("\xF0\x9F\x98\x80"), "");
}

}  // namespace

namespace {

TEST(TextCodec, Utf16UnitsBothWays) {
    EXPECT_EQ(platform::GbkToUtf16(kGbkSongTi), u"宋体");
    EXPECT_EQ(platform::GbkToUtf16("ARIAL"), u"ARIAL");
    EXPECT_EQ(platform::GbkToUtf16(""), u"");
    EXPECT_EQ(platform::Utf16ToGbk(u"宋体 x"), kGbkSongTi + " x");
    // A bad GBK pair and a lone surrogate each become one '?'.
    EXPECT_EQ(platform::GbkToUtf16("a\x81\x20z"), u"a? z");
    EXPECT_EQ(platform::Utf16ToGbk(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a?b");
}

}  // namespace
