// What the program holds before main: the application object, the tile
// functions the rule sets installed, and the chat tables as GBK bytes (a
// build without the GBK execution charset fails these).

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frame/GameFrameApp.h"
#include "frame/panels/EmoticonPanel.h"
#include "game/app/ChatTables.h"
#include "game/app/RegionalMahjongApp.h"
#include "mahjong_tiles/TileFunctionTable.h"

namespace {

std::string Hex(std::string_view bytes) {
    std::string out;
    char cell[4];
    for (unsigned char c : bytes) {
        std::snprintf(cell, sizeof cell, "%02X ", c);
        out += cell;
    }
    return out;
}

TEST(StartUp, TheApplicationObjectIsTheProgramsBeforeMain) {
    CRegionalMahjongApp* app = CRegionalMahjongApp::Instance();
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(CGameFrameApp::Current(), app);
    EXPECT_EQ(app->GetGameCode(), "pvbn");
    EXPECT_EQ(app->GetVersion(), 13);
    EXPECT_EQ(app->GetSubVersion(), 1);
    EXPECT_EQ(app->GetPlayerCount(), 4);
}

TEST(StartUp, TheRuleSetsInstalledTheRegionalFlowerTest) {
    EXPECT_EQ(TileFunctions().flowerTest, &RegionalIsFlowerIndex);
    // A flower is exactly a wild tile, under the game's rule word and a
    // test word with the wild bit set.
    for (RuleFlags rule : {kRegionalRuleFlags, RuleFlags(kRegionalRuleFlags | 0x1)}) {
        for (int id = 0; id < 152; ++id) {
            EXPECT_EQ(IsFlowerCard(id, 5, 14, rule), IsWildCard(id, 5, 14, rule))
                << "id " << id << " rule " << rule;
        }
    }
}

TEST(StartUp, TextsAreGbkBytes) {
    EXPECT_EQ(Hex("宋体"), "CB CE CC E5 ");
    ASSERT_EQ(g_EmoticonCodes.size(), 77u);
    for (const char* code : g_EmoticonCodes) {
        ASSERT_EQ(std::strlen(code), 5u) << Hex(code);
        EXPECT_EQ(code[0], '#');
        EXPECT_GE(static_cast<unsigned char>(code[1]), 0x81);
        EXPECT_GE(static_cast<unsigned char>(code[3]), 0x81);
    }
    EXPECT_EQ(std::strlen(GetVoicePhrase(7)), 22u);
    EXPECT_EQ(std::string(GetVoicePhrase(7)).find("12"), 6u);
}

TEST(StartUp, EmoticonCodesAreRegisteredWithTheSidePanel) {
    const auto& codes = GetEmoticonCodes();
    ASSERT_EQ(codes.size(), 77u);
    EXPECT_EQ(codes[1], "#白眼");
    EXPECT_EQ(codes[76], "#猪头");
}

TEST(ChatTables, CodesAndPictureNames) {
    EXPECT_EQ(FindEmoticonCodeAt("#白眼 hello"), 1);
    EXPECT_EQ(EmoticonPictureName("#白眼"), "kof白眼");
    EXPECT_EQ(FindEmoticonCodeAt("#白天"), -1);
    EXPECT_EQ(FindEmoticonCodeAt("#ab"), -1);
    EXPECT_EQ(FindEmoticonCodeAt("#abcd"), -1);
    EXPECT_EQ(EmoticonPictureName("#abcd"), "");
    EXPECT_EQ(GetEmoticonCode(77), nullptr);
    EXPECT_EQ(GetEmoticonCode(-1), nullptr);
    EXPECT_EQ(GetVoicePhrase(9), nullptr);
    EXPECT_STREQ(GetVoicePhrase(0), "等一哈，我地钱落进克打！");
}

}  // namespace
