#include "engine/ResKey.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ResKey, HashesMatchTheirVectors) {
    EXPECT_EQ(GetResKey("abc"), (ResKey{822160044, 446371745, 96354}));
    EXPECT_EQ(GetResKey(""), (ResKey{0, 1315423911, 0}));
    // Bytes at or above 0x80 count signed in RS and JS and unsigned in x31.
    EXPECT_EQ(GetResKey("\xCB\xCE\xCC\xE5"), (ResKey{56821470, 1086347852, 6252092}));
    EXPECT_EQ(GetResKey("宋体"), GetResKey("\xCB\xCE\xCC\xE5"));
    EXPECT_EQ(GetNameHash("abc"), 822160044u);
}

TEST(ResKey, OrdersByRsThenJsThenX31Unsigned) {
    const ResKeyLess less;
    EXPECT_TRUE(less({1, 9, 9}, {2, 0, 0}));
    EXPECT_TRUE(less({1, 1, 9}, {1, 2, 0}));
    EXPECT_TRUE(less({1, 1, 0x7FFFFFFF}, {1, 1, 0x80000000}));
    EXPECT_FALSE(less({1, 1, 0x80000000}, {1, 1, 0x7FFFFFFF}));
    EXPECT_FALSE(less({1, 2, 3}, {1, 2, 3}));
}

TEST(ResourceName, TitleKeepsItsCaseAndTheCategoryReplacesTheExtension) {
    EXPECT_EQ(GetResourceName("skin\\Logo.PNG"), "Logo.imge");
    EXPECT_EQ(GetResourceName("a/b\\Click.WAV"), "Click.sound");
    EXPECT_EQ(GetResourceName("help.Txt"), "help.text");
    EXPECT_EQ(GetResourceName("game.koi"), "game.ini");
    EXPECT_EQ(GetResourceName("intro.rmvb"), "intro.vedio");
    EXPECT_EQ(GetResourceName("main.lua"), "main.script");
    EXPECT_EQ(GetResourceName("ad.FLV"), "ad.flash");
    EXPECT_EQ(GetResourceName("pay.aspx"), "pay.http");
    EXPECT_EQ(GetResourceName("tiles.v2.jpeg"), "tiles.v2.imge");
    // Unlisted extensions stand for themselves, lower-cased.
    EXPECT_EQ(GetResourceName("table.DAT"), "table.dat");
    EXPECT_EQ(GetResourceName("theme.midi"), "theme.midi");
    EXPECT_EQ(GetResourceName("README"), "README");
    EXPECT_EQ(GetResourceName("x.wav", "click"), "click.sound");
    EXPECT_EQ(GetResourceKey("Logo.PNG"), GetResKey("Logo.imge"));
    EXPECT_NE(GetResourceKey("Logo.PNG"), GetResourceKey("logo.png"));

    std::string name = "n";
    EXPECT_EQ(AppendCategorySuffix(".sound", name), 1);
    EXPECT_EQ(AppendCategorySuffix(".dat", name), 0);
    EXPECT_EQ(AppendCategorySuffix("", name), 0);
    EXPECT_EQ(name, "n.sound.dat");
}

TEST(CategoryHash, PairsListedExtensionsAndKeepsTheRest) {
    const auto category = [](const char* extension) {
        return GetCategoryHash(GetNameHash(extension));
    };
    EXPECT_EQ(category(".jpeg"), GetNameHash(".imge"));
    EXPECT_EQ(category(".pps"), GetNameHash(".imge"));
    EXPECT_EQ(category(".mid"), GetNameHash(".sound"));
    EXPECT_EQ(category(".kos"), GetNameHash(".script"));
    EXPECT_EQ(category(".html"), GetNameHash(".http"));
    // Text, ini and ".sound" have no row, and neither has ".midi".
    for (const char* own : {".txt", ".doc", ".ini", ".koi", ".sound", ".midi", ".dat"}) {
        EXPECT_EQ(category(own), GetNameHash(own)) << own;
    }
    EXPECT_EQ(GetExtensionHash("dir\\A.PNG"), GetNameHash(".png"));
    EXPECT_EQ(GetExtensionHash("none"), GetNameHash(""));
}

}  // namespace
