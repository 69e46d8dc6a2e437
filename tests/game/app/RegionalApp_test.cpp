// The regional application object: its [GAMESET] settings, the top-up
// address, the debug commands without a window, and a start without the
// hall (in this process and as the program itself).

#include "game/app/RegionalMahjongApp.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Messages.h"
#include "platform/Net.h"
#include "platform/Sync.h"
#include "tests/game/support/ProgramFolder.h"

namespace {

CRegionalMahjongApp& App() {
    return *CRegionalMahjongApp::Instance();
}

class RegionalAppTest : public ::testing::Test {
protected:
    void TearDown() override { App().ResetForTesting(); }
    game_test::ProgramFolder folder{game_test::ProgramFolderOptions{.skin = false, .leaveOut = {}}};
};

TEST_F(RegionalAppTest, SettingsMissingFromTheFileAreZero) {
    ASSERT_TRUE(folder.Ok()) << folder.Error();
    ASSERT_TRUE(folder.Write("pvbn.ini", "[GAMESET]\r\nKeepSilence=1\r\n"));
    App().Settings().quickCatch = 7;
    App().LoadGameSettings();
    const GameSettings& settings = App().Settings();
    EXPECT_EQ(settings.quickCatch, 0);
    EXPECT_EQ(settings.bkMusic, 0);
    EXPECT_EQ(settings.soundEffect, 0);
    EXPECT_EQ(settings.bkVolume, 0);
    EXPECT_EQ(settings.soundVolume, 0);
    EXPECT_EQ(settings.rejectKanPaiAsk, 0);
    EXPECT_EQ(settings.keepSilence, 1);
    EXPECT_EQ(App().IsKeepSilence(), 1);
    EXPECT_EQ(App().IsQuickCatch(), 0);
}

TEST_F(RegionalAppTest, SettingsGoRoundTheFileWithAllKeysInTheirOrder) {
    GameSettings& settings = App().Settings();
    settings = {.quickCatch = 1,
                .bkMusic = 2,
                .soundEffect = 3,
                .bkVolume = 4,
                .soundVolume = 5,
                .keepSilence = 6,
                .rejectKanPaiAsk = -7};
    App().SaveGameSettings();
    const std::string text = folder.Read("pvbn.ini");
    const std::vector<std::string> keys = {"QuickCatch=1",      "SoundEffect=3", "BKMusic=2",
                                           "SoundVolume=5",     "BKVolume=4",    "KeepSilence=6",
                                           "RejectKanPaiAsk=-7"};
    size_t at = text.find("[GAMESET]");
    ASSERT_NE(at, std::string::npos) << text;
    for (const std::string& key : keys) {
        const size_t next = text.find(key, at);
        ASSERT_NE(next, std::string::npos) << key << " missing or out of order in\n" << text;
        at = next;
    }
    settings = {};
    App().LoadGameSettings();
    EXPECT_EQ(settings.quickCatch, 1);
    EXPECT_EQ(settings.bkMusic, 2);
    EXPECT_EQ(settings.soundEffect, 3);
    EXPECT_EQ(settings.bkVolume, 4);
    EXPECT_EQ(settings.soundVolume, 5);
    EXPECT_EQ(settings.keepSilence, 6);
    EXPECT_EQ(settings.rejectKanPaiAsk, -7);
    EXPECT_EQ(App().GetRejectKanPaiAsk(), -7);
    EXPECT_EQ(App().GetSoundEffect(), 3);
    EXPECT_EQ(App().IsQuickCatch(), 1);
}

TEST_F(RegionalAppTest, TheTopUpAddressKeepsAtMost259BytesCutAtAWholeCharacter) {
    App().SetChargeUrl(std::string(300, 'a').c_str());
    EXPECT_EQ(App().GetChargeUrl(), std::string(259, 'a'));

    // 150 double-byte characters: the 130th would end at byte 260.
    std::string wide;
    for (int i = 0; i < 150; ++i) {
        wide += "充";
    }
    App().SetChargeUrl(wide.c_str());
    EXPECT_EQ(App().GetChargeUrl(), wide.substr(0, 258));

    // One byte in front: 129 characters end exactly at 259.
    App().SetChargeUrl(("x" + wide).c_str());
    EXPECT_EQ(App().GetChargeUrl(), ("x" + wide).substr(0, 259));

    App().SetChargeUrl(static_cast<const char*>(nullptr));
    EXPECT_EQ(App().GetChargeUrl(), ("x" + wide).substr(0, 259)) << "null changes nothing";
}

TEST_F(RegionalAppTest, TheAddressOfARecordIsReadWithinItsPayload) {
    const std::string page = "http://127.0.0.1:8080/qr.aspx";
    std::vector<uint8_t> payload(page.begin(), page.end());
    App().SetChargeUrl(payload);  // no zero inside
    EXPECT_EQ(App().GetChargeUrl(), page);
    payload.push_back(0);
    payload.push_back('z');
    App().SetChargeUrl(std::span<const uint8_t>(payload).first(10));
    EXPECT_EQ(App().GetChargeUrl(), page.substr(0, 10));
    App().SetChargeUrl(payload);
    EXPECT_EQ(App().GetChargeUrl(), page);
    App().SetChargeUrl(std::span<const uint8_t>());
    EXPECT_EQ(App().GetChargeUrl(), "");
}

TEST_F(RegionalAppTest, WithoutAnAddressTheTopUpDialogDoesNotOpen) {
    EXPECT_EQ(App().OpenChargeDialog(), 0);
    EXPECT_FALSE(App().GetChargeDialog().IsOpen());
}

TEST_F(RegionalAppTest, DebugCommandsAreExactTexts) {
    for (const char* text : {"/QuitGame ", "/quitgame", " /AutoPlay", "/ShowChat\n", "", "/"}) {
        EXPECT_EQ(App().HandleDebugCommand(text), 0) << text;
    }
    EXPECT_EQ(App().HandleDebugCommand(nullptr), 0);
    // Without a main window or a table view the commands are still taken,
    // and nothing is posted.
    for (const char* text :
         {"/QuitGame", "/ShowGameWin", "/AutoPlay", "/FreshCard", "/GameWin", "/ShowChat"}) {
        EXPECT_EQ(App().HandleDebugCommand(text), 1) << text;
    }
    platform::Message message;
    EXPECT_FALSE(platform::PeekMessage(message, platform::PeekMode::Remove));
}

TEST_F(RegionalAppTest, StartPlayClearsTheChiRuleOfTheStoredHandStart) {
    const std::span<uint8_t> area = App().GetTableReplyBuffer();
    ASSERT_EQ(area.size(), 15156u);
    ASSERT_EQ(App().GetResponseBuffer().size(), 1096u);
    for (size_t i = 108; i < 120; ++i) {
        area[i] = 0x5a;
    }
    EXPECT_EQ(App().HandleDebugCommand("/StartPlay"), 1);
    EXPECT_EQ(area[111], 0x5a);
    for (size_t i = 112; i < 116; ++i) {
        EXPECT_EQ(area[i], 0) << i;
    }
    EXPECT_EQ(area[116], 0x5a);
    for (size_t i = 108; i < 120; ++i) {
        area[i] = 0;
    }
}

// Started without the hall's launch line: the question goes to the box
// sink; with No nothing else starts; the settings are still written.
TEST_F(RegionalAppTest, AStartWithoutTheHallAsksAndEndsWithoutAWindowOrConnection) {
    std::vector<platform::MessageBoxRequest> boxes;
    platform::SetMessageBoxSink([&](const platform::MessageBoxRequest& box) {
        boxes.push_back(box);
        return platform::kAnswerNo;
    });
    ASSERT_TRUE(folder.Write("pvbn.ini", "[GAMESET]\r\nKeepSilence=1\r\n"));
    char name[] = "pvbn";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(App().Run(1, argv), 0);
    platform::SetMessageBoxSink({});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("该程序必须从游戏大厅中启动,是否启动游戏大厅？", 0), 0u);
    EXPECT_EQ(App().GetMainFrame(), nullptr);
    EXPECT_EQ(App().GetMainWindow(), 0u);
    EXPECT_EQ(App().GetConnection()->GetSocket(), platform::kNoSocket);
    const std::string settings = folder.Read("pvbn.ini");
    for (const char* key : {"QuickCatch=0", "BKVolume=0", "KeepSilence=1", "RejectKanPaiAsk=0"}) {
        EXPECT_NE(settings.find(key), std::string::npos)
            << key << ": the settings were not written at the end\n"
            << settings;
    }
}

}  // namespace

namespace {

TEST_F(RegionalAppTest, HistoryTotalsOfLargeChangesDoNotOverflow) {
    std::array<int32_t, kSeatCount> values{};
    values[0] = 2000000000;
    values[1] = -2000000000;
    App().AddHistory(values);
    App().AddHistory(values);
    EXPECT_EQ(App().GetHistory(0, 1), 2000000000);
    EXPECT_EQ(App().GetHistory(1, 1), -2000000000);
    // The totals keep 32 bits, as the client always did: they wrap.
    EXPECT_EQ(App().GetHistoryTotal(0), int32_t(uint32_t(4000000000u)));
    EXPECT_EQ(App().GetHistoryTotal(1), int32_t(uint32_t(-4000000000ll)));
}

}  // namespace
