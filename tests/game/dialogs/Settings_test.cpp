// The in-table settings dialog: the coupling of its labels, its boxes,
// cancel and OK.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneCheckBox.h"
#include "frame/view/GameFrameView.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/dialogs/AutoFixDlg.h"
#include "game/dialogs/GameSetDlg.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "platform/Profile.h"
#include "tests/game/dialogs/DialogScene.h"
#include "tests/game/e2e/Scenario.h"
#include "tests/game/support/GameWindow.h"

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

// The settings dialog and the top-up switch in the program's window with
// the generated skin: the text of every label lies beside the check boxes,
// none of it under one, and whole on its canvas (clear of its edges); the
// settings' texts line up.
TEST(DialogLabelsInTheWindow, NoLabelLiesUnderACheckBoxAndEachIsWhole) {
    game_test::GameWindow window;
    ASSERT_TRUE(window.Open()) << window.Error();
    auto* settings = dynamic_cast<CGameSetDlg*>(window.View()->GetSetDlg());
    auto* topUp = dynamic_cast<CAutoFixDlg*>(window.View()->GetAutoFixDlg());
    ASSERT_NE(settings, nullptr);
    ASSERT_NE(topUp, nullptr);
    std::vector<CCorvaneObject*> labels{topUp->GetEnableLabel()};
    std::vector<CCorvaneObject*> boxes{topUp->GetEnableBox()};
    for (int row = 0; row < CGameSetDlg::kRowCount; ++row) {
        labels.push_back(settings->GetLabel(Row(row)));
        boxes.push_back(settings->GetBox(Row(row)));
    }
    std::vector<double> textLeft;
    for (CCorvaneObject* object : labels) {
        auto* label = dynamic_cast<CCorvaneCanvas*>(object);
        ASSERT_NE(label, nullptr);
        SCOPED_TRACE("label #" + std::to_string(label->GetId()));
        int ink = 0, atEdge = 0, underBox = 0;
        textLeft.push_back(1e9);
        for (int y = 0; y < label->GetCanvasHeight(); ++y) {
            for (int x = 0; x < label->GetCanvasWidth(); ++x) {
                if (label->GetAlpha(x, y) == 0) {
                    continue;
                }
                ++ink;
                atEdge += x == 0 || x + 1 == label->GetCanvasWidth();
                const double wx = label->GetLeft() + x + 0.5;
                const double wy = label->GetTop() + y + 0.5;
                textLeft.back() = std::min(textLeft.back(), wx);
                for (CCorvaneObject* box : boxes) {
                    underBox += wx > box->GetLeft() && wx < box->GetRight() && wy > box->GetTop() &&
                                wy < box->GetBottom();
                }
            }
        }
        EXPECT_GT(ink, 40) << "no text";
        EXPECT_EQ(underBox, 0) << "text pixels under a check box";
        EXPECT_EQ(atEdge, 0) << "text cut at the canvas's edge";
    }
    for (size_t row = 2; row < textLeft.size(); ++row) {
        EXPECT_NEAR(textLeft[row], textLeft[1], 1.5) << "row " << row - 1;
    }
}

}  // namespace

namespace {

namespace tp = table_protocol;
using game_test::Scenario;
using game_test::UiHarness;

// The settings dialog played as the player plays it in the whole client:
// opened by the frame's settings button, every label, box and button
// clicked at its centre; the table applies the music, refuses look-at-hand
// asks and draws on the first tick of the own turn as set.
class SettingsScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (Scenario::RanBefore()) {
            GTEST_SKIP() << "the program's loop runs once a process; ctest runs each test alone";
        }
    }

    CRegionalMahjongApp& App() { return scenario.App(); }
    CRegionalTableView& View() { return *scenario.View(); }
    CGameSetDlg* Dialog() { return dynamic_cast<CGameSetDlg*>(View().GetSetDlg()); }
    bool DialogShown() { return Dialog() != nullptr && Dialog()->IsVisible() != 0; }
    CCorvaneObject* SettingsButton() {
        CGameFrameView* frame = App().GetFrameView();
        return frame != nullptr ? frame->GetSettingsButton() : nullptr;
    }
    int State(Row row) { return Dialog()->GetBox(row)->GetCheck(); }
    std::string StoredSetting(const char* key) {
        char value[16] = {};
        platform::GetPrivateProfileString("GAMESET", key, "", value, sizeof value,
                                          scenario.Folder().GameIni().c_str());
        return value;
    }
    bool LookAskShown() {
        for (const auto& box : boxes.Boxes()) {
            if (box.text.find("请求看牌") != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    // A robot asks to see the own hand.
    void LookAsk() {
        tp::LookCardAskRecord ask;
        ask.head.userId = testserver::kRobotUserBase + 1;
        ask.watchedChair = testserver::RegionalScript::kOwnChair;
        EXPECT_TRUE(scenario.Script().Frame().Notify(tp::kLookCardAsk, tp::WriteTableRecord(ask)));
    }

    // A click on the row's label (or its box) and the sound, music and quiet
    // states it must give.
    struct Press {
        Row row;
        bool onBox;
        int sound, music, quiet;
    };
    void AddPresses(const std::string& name, const std::vector<Press>& presses) {
        for (size_t i = 0; i < presses.size(); ++i) {
            const Press press = presses[i];
            const std::string step = name + " " + std::to_string(i + 1);
            scenario.Harness().Add(step + ": click", nullptr, [this, press] {
                scenario.Click(press.onBox
                                   ? static_cast<CCorvaneObject*>(Dialog()->GetBox(press.row))
                                   : Dialog()->GetLabel(press.row));
            });
            scenario.Harness().Add(
                step + ": coupled",
                [this, press] {
                    return scenario.HeldFor(State(CGameSetDlg::kSoundEffect) == press.sound &&
                                                State(CGameSetDlg::kMusic) == press.music &&
                                                State(CGameSetDlg::kKeepSilence) == press.quiet,
                                            100);
                },
                nullptr, 5000);
        }
    }

    Scenario scenario;
    dialog_test::NoticeBoxLog boxes;
    int minOwnClock_ = 99;
};

TEST_F(SettingsScenarioTest, TheSettingsButtonCouplesStoresAppliesAndTheNextStartReadsTheFile) {
    game_test::ScenarioOptions options;
    options.ownTurn = true;
    // The own turn waits the whole clock for claims: a draw on the first
    // tick is the quick catch's, not the time-out's.
    options.claimSkipRule = 0;
    ASSERT_TRUE(scenario.Prepare(options)) << scenario.Error();
    // Sound effects on, the rest off.
    ASSERT_TRUE(scenario.Folder().Write(
        "pvbn.ini",
        "[GAMESET]\r\nSoundEffect=1\r\nBKMusic=0\r\nSoundVolume=60\r\nBKVolume=40\r\n"));
    UiHarness& harness = scenario.Harness();
    harness.Add(
        "the table",
        [&] {
            return scenario.View() != nullptr && Dialog() != nullptr &&
                   SettingsButton() != nullptr && SettingsButton()->IsVisible() != 0;
        },
        [&] {
            boxes.Install(App());
            EXPECT_EQ(Dialog()->IsVisible(), 0);
            scenario.Click(SettingsButton());
        });
    harness.Add(
        "the dialog open", [&] { return DialogShown(); },
        [&] {
            EXPECT_EQ(State(CGameSetDlg::kSoundEffect), 1);
            EXPECT_EQ(State(CGameSetDlg::kMusic), 0);
            EXPECT_EQ(State(CGameSetDlg::kKeepSilence), 0);
            EXPECT_EQ(State(CGameSetDlg::kQuickCatch), 0);
            EXPECT_EQ(State(CGameSetDlg::kRejectLook), 0);
            EXPECT_FALSE(scenario.Sound("SndBKMusic.ogg").playing);
        });
    AddPresses("coupling", {
                               {CGameSetDlg::kMusic, false, 1, 1, 0},
                               {CGameSetDlg::kSoundEffect, false, 0, 1, 0},
                               {CGameSetDlg::kMusic, false, 0, 0, 1},
                               {CGameSetDlg::kSoundEffect, false, 1, 0, 0},
                               // The box itself toggles only itself.
                               {CGameSetDlg::kSoundEffect, true, 0, 0, 0},
                               {CGameSetDlg::kSoundEffect, true, 1, 0, 0},
                               {CGameSetDlg::kKeepSilence, false, 0, 0, 1},
                               {CGameSetDlg::kKeepSilence, false, 1, 1, 0},
                               {CGameSetDlg::kQuickCatch, false, 1, 1, 0},
                               {CGameSetDlg::kRejectLook, false, 1, 1, 0},
                           });
    harness.Add("quick catch and refusal on", nullptr, [&] {
        EXPECT_EQ(State(CGameSetDlg::kQuickCatch), 1);
        EXPECT_EQ(State(CGameSetDlg::kRejectLook), 1);
        scenario.Click(Dialog()->GetOkButton());
    });
    harness.Add(
        "OK: stored and the music on",
        [&] { return !DialogShown() && scenario.Sound("SndBKMusic.ogg").playing; },
        [&] {
            const std::vector<std::pair<const char*, const char*>> stored = {
                {"QuickCatch", "1"},  {"BKMusic", "1"},         {"SoundEffect", "1"},
                {"KeepSilence", "0"}, {"RejectKanPaiAsk", "1"}, {"SoundVolume", "60"},
                {"BKVolume", "40"}};
            for (const auto& [key, value] : stored) {
                EXPECT_EQ(StoredSetting(key), value) << key;
            }
            EXPECT_EQ(App().IsQuickCatch(), 1);
            EXPECT_EQ(scenario.Sound("SndBKMusic.ogg").plays, 1);
            LookAsk();
        });
    harness.Add(
        "a look-at-hand ask refused unseen", [&] { return scenario.HeldFor(true, 1000); },
        [&] {
            EXPECT_FALSE(LookAskShown());
            // Cancel after changes puts the stored settings back.
            scenario.Click(SettingsButton());
        });
    harness.Add(
        "open again", [&] { return DialogShown(); },
        [&] { EXPECT_EQ(State(CGameSetDlg::kQuickCatch), 1); });
    AddPresses("before cancel", {
                                    {CGameSetDlg::kKeepSilence, false, 0, 0, 1},
                                    {CGameSetDlg::kQuickCatch, false, 0, 0, 1},
                                });
    harness.Add("cancel", nullptr, [&] { scenario.Click(Dialog()->GetCancelButton()); });
    harness.Add(
        "cancel restores", [&] { return !DialogShown(); },
        [&] {
            EXPECT_EQ(State(CGameSetDlg::kQuickCatch), 1);
            EXPECT_EQ(State(CGameSetDlg::kSoundEffect), 1);
            EXPECT_EQ(State(CGameSetDlg::kMusic), 1);
            EXPECT_EQ(State(CGameSetDlg::kKeepSilence), 0);
            EXPECT_EQ(StoredSetting("KeepSilence"), "0");
            EXPECT_EQ(App().IsQuickCatch(), 1);
            EXPECT_TRUE(scenario.Sound("SndBKMusic.ogg").playing);
        });
    // The own turn: the draw goes out at the clock's first tick, long
    // before the clock runs out.
    harness.Add(
        "the own turn",
        [&] {
            // From chair 1's throw on: the own turn's countdown.
            if (scenario.Sent("222170 1") && View().GetTurnDirection() == 6 &&
                scenario.Script().Frame().Count(tp::kOwnDraw) == 0) {
                minOwnClock_ = std::min(minOwnClock_, View().GetClockSeconds());
            }
            return scenario.Script().Frame().Count(tp::kOwnDraw) == 1;
        },
        [&] {
            // Seen every tick: a draw on the time-out would have shown 1.
            EXPECT_GE(minOwnClock_, testserver::RegionalScript::kClockSeconds - 1)
                << "the draw waited for the clock";
            EXPECT_EQ(View().GetTurnDirection(), 6);
        },
        60000);
    harness.Add(
        "the drawn tile", [&] { return View().IsHandDrawn(3) != 0; },
        [&] {
            EXPECT_EQ(scenario.Script().Frame().Count(tp::kOwnDraw), 1u);
            // Quiet, and look-at-hand asks welcome again.
            scenario.Click(SettingsButton());
        });
    harness.Add(
        "open a third time", [&] { return DialogShown(); }, nullptr);
    AddPresses("quiet", {
                            {CGameSetDlg::kKeepSilence, false, 0, 0, 1},
                            {CGameSetDlg::kRejectLook, false, 0, 0, 1},
                        });
    harness.Add("OK quiet", nullptr, [&] { scenario.Click(Dialog()->GetOkButton()); });
    harness.Add(
        "OK: stored and the music off",
        [&] { return !DialogShown() && !scenario.Sound("SndBKMusic.ogg").playing; },
        [&] {
            EXPECT_GE(scenario.Sound("SndBKMusic.ogg").stops, 1);
            EXPECT_EQ(StoredSetting("BKMusic"), "0");
            EXPECT_EQ(StoredSetting("SoundEffect"), "0");
            EXPECT_EQ(StoredSetting("KeepSilence"), "1");
            EXPECT_EQ(StoredSetting("RejectKanPaiAsk"), "0");
            EXPECT_EQ(StoredSetting("QuickCatch"), "1");
            LookAsk();
        });
    harness.Add(
        "a look-at-hand ask shown", [&] { return LookAskShown(); },
        [&] {
            if (CSystemInfoBox* box = boxes.LastShown(View())) {
                scenario.Click(box->GetCancelButton());
            }
            // The next start reads the file and builds the boxes from it.
            App().Settings() = GameSettings{};
            App().LoadGameSettings();
            auto* next = new CGameSetDlg;
            View().Register(next);
            ASSERT_NE(next->GetBox(CGameSetDlg::kQuickCatch), nullptr);
            EXPECT_EQ(next->GetBox(CGameSetDlg::kQuickCatch)->GetCheck(), 1);
            EXPECT_EQ(next->GetBox(CGameSetDlg::kKeepSilence)->GetCheck(), 1);
            EXPECT_EQ(next->GetBox(CGameSetDlg::kMusic)->GetCheck(), 0);
            EXPECT_EQ(next->GetBox(CGameSetDlg::kSoundEffect)->GetCheck(), 0);
            EXPECT_EQ(next->GetBox(CGameSetDlg::kRejectLook)->GetCheck(), 0);
            next->Hide();
        });
    scenario.ExpectRanThrough(scenario.Run());
}

}  // namespace
