// The in-table settings dialog: the coupling of its labels, its boxes,
// cancel and OK.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/ui/CorvaneCheckBox.h"
#include "game/dialogs/GameSetDlg.h"
#include "platform/Profile.h"
#include "tests/game/dialogs/DialogScene.h"

namespace {

using Row = CGameSetDlg::Row;

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scene.Open()) << scene.error;
        dialog = dynamic_cast<CGameSetDlg*>(scene.view->GetSetDlg());
        ASSERT_NE(dialog, nullptr);
        for (int row = 0; row < CGameSetDlg::kRowCount; ++row) {
            ASSERT_NE(dialog->GetBox(Row(row)), nullptr);
        }
    }
    int State(Row row) { return dialog->GetBox(row)->GetCheck(); }
    void SetStates(int sound, int music, int quiet) {
        dialog->GetBox(CGameSetDlg::kSoundEffect)->SetCheck(sound);
        dialog->GetBox(CGameSetDlg::kMusic)->SetCheck(music);
        dialog->GetBox(CGameSetDlg::kKeepSilence)->SetCheck(quiet);
    }
    // A left press on the row's label, as the input module delivers it.
    void PressLabel(Row row) {
        CCorvaneObject* label = dialog->GetLabel(row);
        ASSERT_NE(label, nullptr);
        const EventRecord* press = label->FindEventBinding(kEventLButtonDown);
        ASSERT_NE(press, nullptr);
        ASSERT_EQ(press->target, dialog->GetId());
        EXPECT_EQ(dialog->OnEvent(*press), 1);
    }
    void Press(int event) { dialog->OnEvent(MakeEventRecord(dialog->GetId(), event, 0, 0)); }
    std::string StoredSetting(const char* key) {
        char value[16] = {};
        platform::GetPrivateProfileString("GAMESET", key, "", value, sizeof value,
                                          scene.folder.GameIni().c_str());
        return value;
    }

    dialog_test::DialogScene scene;
    CGameSetDlg* dialog = nullptr;
};

TEST_F(SettingsDialogTest, TheLabelsCoupleSoundMusicAndQuietFromEveryState) {
    struct Case {
        Row label;
        int sound, music, quiet;              // before
        int wantSound, wantMusic, wantQuiet;  // after
    };
    std::vector<Case> cases;
    for (int before = 0; before < 8; ++before) {
        const int sound = before & 1, music = (before >> 1) & 1, quiet = (before >> 2) & 1;
        // Sound: toggles; on ends quiet; off with music off starts it.
        const int s = 1 - sound;
        cases.push_back({CGameSetDlg::kSoundEffect, sound, music, quiet, s, music,
                         s != 0 ? 0 : (music == 0 ? 1 : quiet)});
        const int m = 1 - music;
        cases.push_back({CGameSetDlg::kMusic, sound, music, quiet, sound, m,
                         m != 0 ? 0 : (sound == 0 ? 1 : quiet)});
        const int q = 1 - quiet;
        cases.push_back({CGameSetDlg::kKeepSilence, sound, music, quiet, 1 - q, 1 - q, q});
    }
    for (const Case& c : cases) {
        SetStates(c.sound, c.music, c.quiet);
        PressLabel(c.label);
        const std::string where = "label " + std::to_string(c.label) + " from " +
                                  std::to_string(c.sound) + std::to_string(c.music) +
                                  std::to_string(c.quiet);
        EXPECT_EQ(State(CGameSetDlg::kSoundEffect), c.wantSound) << where;
        EXPECT_EQ(State(CGameSetDlg::kMusic), c.wantMusic) << where;
        EXPECT_EQ(State(CGameSetDlg::kKeepSilence), c.wantQuiet) << where;
    }
}

TEST_F(SettingsDialogTest, TheOtherLabelsAndTheBoxesToggleOnlyThemselves) {
    PressLabel(CGameSetDlg::kQuickCatch);
    PressLabel(CGameSetDlg::kRejectLook);
    EXPECT_EQ(State(CGameSetDlg::kQuickCatch), 1);
    EXPECT_EQ(State(CGameSetDlg::kRejectLook), 1);
    SetStates(1, 0, 0);
    CCorvaneCheckBox* sound = dialog->GetBox(CGameSetDlg::kSoundEffect);
    sound->OnEvent(MakeEventRecord(sound->GetId(), kEventLButtonDown, 0, 0));
    EXPECT_EQ(State(CGameSetDlg::kSoundEffect), 0);
    EXPECT_EQ(State(CGameSetDlg::kKeepSilence), 0);
    EXPECT_EQ(State(CGameSetDlg::kMusic), 0);
}

TEST_F(SettingsDialogTest, TheLabelEventsNeverReachTheTable) {
    for (int row = 0; row < CGameSetDlg::kRowCount; ++row) {
        const EventRecord* press = dialog->GetLabel(Row(row))->FindEventBinding(kEventLButtonDown);
        ASSERT_NE(press, nullptr);
        EXPECT_EQ(press->target, dialog->GetId());
        EXPECT_EQ(press->event, CGameSetDlg::kLabelEvents[size_t(row)]);
    }
}

TEST_F(SettingsDialogTest, CancelPutsTheStoredSettingsBack) {
    scene.App().Settings().bkMusic = 1;
    dialog->Show();
    PressLabel(CGameSetDlg::kQuickCatch);
    PressLabel(CGameSetDlg::kKeepSilence);
    Press(19840379);
    EXPECT_EQ(dialog->IsVisible(), 0);
    EXPECT_EQ(State(CGameSetDlg::kQuickCatch), 0);
    EXPECT_EQ(State(CGameSetDlg::kMusic), 1);
    EXPECT_EQ(State(CGameSetDlg::kSoundEffect), 0);
    EXPECT_EQ(State(CGameSetDlg::kKeepSilence), 0);
    EXPECT_EQ(scene.App().Settings().quickCatch, 0);
    EXPECT_EQ(StoredSetting("QuickCatch"), "");
}

TEST_F(SettingsDialogTest, OkStoresWritesAndHasTheTableApplyTheMusic) {
    scene.view->SetName("MainGame");
    PressLabel(CGameSetDlg::kQuickCatch);
    PressLabel(CGameSetDlg::kMusic);
    PressLabel(CGameSetDlg::kRejectLook);
    Press(19840378);
    const GameSettings& settings = scene.App().Settings();
    EXPECT_EQ(settings.quickCatch, 1);
    EXPECT_EQ(settings.bkMusic, 1);
    EXPECT_EQ(settings.soundEffect, 0);
    EXPECT_EQ(settings.keepSilence, 0);
    EXPECT_EQ(settings.rejectKanPaiAsk, 1);
    EXPECT_EQ(scene.view->musicApplied, 1);
    EXPECT_EQ(StoredSetting("QuickCatch"), "1");
    EXPECT_EQ(StoredSetting("BKMusic"), "1");
    EXPECT_EQ(StoredSetting("RejectKanPaiAsk"), "1");
    EXPECT_EQ(StoredSetting("KeepSilence"), "0");
    EXPECT_EQ(dialog->IsVisible(), 0);
}

TEST_F(SettingsDialogTest, OkWithoutTheTableStillSaves) {
    scene.view->SetName("NotTheTable");
    PressLabel(CGameSetDlg::kRejectLook);
    Press(19840378);
    EXPECT_EQ(scene.view->musicApplied, 0);
    EXPECT_EQ(StoredSetting("RejectKanPaiAsk"), "1");
}

TEST(SettingsDialogBuild, TheBoxesStartFromTheStoredSettings) {
    dialog_test::DialogScene scene;
    scene.App().Settings().soundEffect = 1;
    scene.App().Settings().rejectKanPaiAsk = 1;
    ASSERT_TRUE(scene.Open()) << scene.error;
    auto* dialog = dynamic_cast<CGameSetDlg*>(scene.view->GetSetDlg());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetBox(CGameSetDlg::kSoundEffect)->GetCheck(), 1);
    EXPECT_EQ(dialog->GetBox(CGameSetDlg::kRejectLook)->GetCheck(), 1);
    EXPECT_EQ(dialog->GetBox(CGameSetDlg::kMusic)->GetCheck(), 0);
}

}  // namespace

namespace {

// The settings button of the frame view asks the table for its dialog.
constexpr int kEventOpenSettings = 80000084;

class SettingsScenarioTest : public SettingsDialogTest {
protected:
    std::vector<uint8_t> LookAsk() {
        std::vector<uint8_t> bytes(64, 0);
        bytes[16] = 1;  // the watched chair
        return bytes;
    }
    void Ask() {
        const std::vector<uint8_t> ask = LookAsk();
        scene.App().GetNotifyHandler()->OnNotify(229550, ask.data(), ask.size());
    }
    size_t MusicPlays() {
        return size_t(
            std::count(scene.Sounds().begin(), scene.Sounds().end(), std::string("SndBKMusic")));
    }
};

TEST_F(SettingsScenarioTest, TheSettingsButtonOkAndTheNextStart) {
    scene.view->SetName("MainGame");
    scene.view->OnEvent(MakeEventRecord(scene.view->GetId(), kEventOpenSettings, 0, 0));
    ASSERT_NE(dialog->IsVisible(), 0);

    // Music on, refuse look-at-hand asks, quick catch on.
    PressLabel(CGameSetDlg::kMusic);
    PressLabel(CGameSetDlg::kRejectLook);
    PressLabel(CGameSetDlg::kQuickCatch);
    Press(19840378);
    EXPECT_EQ(dialog->IsVisible(), 0);
    EXPECT_EQ(MusicPlays(), 1u);
    for (const char* key : {"QuickCatch", "BKMusic", "SoundEffect", "BKVolume", "SoundVolume",
                            "KeepSilence", "RejectKanPaiAsk"}) {
        EXPECT_NE(StoredSetting(key), "") << key;
    }
    EXPECT_EQ(scene.App().IsQuickCatch(), 1);
    Ask();
    EXPECT_EQ(scene.view->lookAsks, 0);

    // Quiet: music off, asks welcome again; no new music starts.
    scene.view->OnEvent(MakeEventRecord(scene.view->GetId(), kEventOpenSettings, 0, 0));
    PressLabel(CGameSetDlg::kKeepSilence);
    PressLabel(CGameSetDlg::kRejectLook);
    Press(19840378);
    EXPECT_EQ(StoredSetting("BKMusic"), "0");
    EXPECT_EQ(StoredSetting("KeepSilence"), "1");
    EXPECT_EQ(MusicPlays(), 1u);
    Ask();
    EXPECT_EQ(scene.view->lookAsks, 1);

    // Cancel after a change shows the stored values again.
    scene.view->OnEvent(MakeEventRecord(scene.view->GetId(), kEventOpenSettings, 0, 0));
    PressLabel(CGameSetDlg::kKeepSilence);
    Press(19840379);
    EXPECT_EQ(State(CGameSetDlg::kKeepSilence), 1);
    EXPECT_EQ(State(CGameSetDlg::kMusic), 0);

    // The next start reads the file and builds the boxes from it.
    scene.App().Settings() = GameSettings{};
    scene.App().LoadGameSettings();
    auto* next = new CGameSetDlg;
    scene.view->Register(next);
    ASSERT_NE(next->GetBox(CGameSetDlg::kQuickCatch), nullptr);
    EXPECT_EQ(next->GetBox(CGameSetDlg::kQuickCatch)->GetCheck(), 1);
    EXPECT_EQ(next->GetBox(CGameSetDlg::kKeepSilence)->GetCheck(), 1);
    EXPECT_EQ(next->GetBox(CGameSetDlg::kMusic)->GetCheck(), 0);
    EXPECT_EQ(next->GetBox(CGameSetDlg::kRejectLook)->GetCheck(), 0);
}

}  // namespace
