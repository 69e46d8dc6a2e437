// The automatic top-up played as the player plays it, against the test
// server's safe box: the whole client in the test's process, every action a
// click or a key given to its window at the centre of what the player aims
// at. During the hand the top-up dialog is opened by its table button and
// filled in by keyboard and mouse; the end of the hand starts the check; the
// safe box answers with and without a protection password, which the player
// types on the shuffled keypad by reading its captions.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneCheckBox.h"
#include "engine/ui/CorvaneEdit.h"
#include "frame/GameFrameWnd.h"
#include "frame/GameRecords.h"
#include "frame/net/FrameRequests.h"
#include "frame/panels/InputBoxes.h"
#include "frame/panels/SystemInfoBox.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/dialogs/AutoFixDlg.h"
#include "game/dialogs/AutoFixSettings.h"
#include "game/dialogs/NumberEdit.h"
#include "game/dialogs/SecurePwdDlg.h"
#include "game/result/GameResultDlg.h"
#include "game/table/RegionalTableView.h"
#include "platform/Clipboard.h"
#include "platform/Input.h"
#include "platform/Profile.h"
#include "platform/SdlEvents.h"
#include "tests/game/dialogs/DialogScene.h"
#include "tests/game/e2e/Scenario.h"
#include "tests/game/support/ClientReadings.h"

namespace {

using game_test::Scenario;
using game_test::UiHarness;
using testserver::ServiceScript;

constexpr char kPassword[] = "12345678";
constexpr int32_t kCalcNumber = 123456789;
constexpr int32_t kAnswer = 26046;  // the password folded with the number
constexpr char kWebHost[] = "web.example";
constexpr char kResetPage[] = "restsecurepwdbyappeal";
// How the keypad draws its captions.
constexpr uint32_t kCaptionColour = 0x2D22;
constexpr int kCaptionSize = 18;

class TopUpScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (Scenario::RanBefore()) {
            GTEST_SKIP() << "the program's loop runs once a process; ctest runs each test alone";
        }
    }

    bool Prepare() {
        game_test::ScenarioOptions options;
        options.roomFlags = RoomInfo::kFlagSafeBoxInGame;
        options.advertHost = kWebHost;
        if (!scenario.Prepare(options)) {
            return false;
        }
        ServiceScript::SafeBox box;
        box.gameSilver = 1000;
        box.balance = 100000;
        Services().SetSafeBox(box);
        // The per-user files go to the hall's folder as the stand-in hall
        // (the demo's too) lays it out.
        return true;
    }

    ServiceScript& Services() { return scenario.Script().Frame().Services(); }
    CRegionalMahjongApp& App() { return scenario.App(); }
    CRegionalTableView& View() { return *scenario.View(); }
    CAutoFixDlg* Dialog() { return dynamic_cast<CAutoFixDlg*>(View().GetAutoFixDlg()); }
    bool DialogShown() { return Dialog() != nullptr && Dialog()->IsVisible() != 0; }
    CSecurePwdDlg* Prompt() { return dynamic_cast<CSecurePwdDlg*>(View().GetSecurePwdDlg()); }
    bool PromptShown() { return Prompt() != nullptr && Prompt()->IsVisible() != 0; }
    int32_t OwnSilver() { return App().GetSeat(App().GetMyChairNo()).silver; }
    size_t Count(uint32_t request) { return scenario.Script().Frame().Count(request); }
    std::string Stored(const char* key) {
        char value[64] = {};
        platform::GetPrivateProfileString(auto_fix::kSection, key, "", value, sizeof value,
                                          App().GetUserDataFile().c_str());
        return value;
    }

    // The hand changes the server's silver; the table hears it (211600).
    void SetSilver(int32_t silver) {
        const ServiceScript::Notice notice =
            Services().ChangeGameSilver(game_test::kScenarioUser, 0, silver);
        EXPECT_TRUE(scenario.Script().Frame().Notify(notice.id, notice.data));
    }

    std::vector<frame_requests::TransferRecord> Takes() {
        std::vector<frame_requests::TransferRecord> takes;
        for (const auto& request : scenario.Script().Frame().Requests()) {
            frame_requests::TransferRecord record;
            if (request.id == frame_requests::kTransferIntoGame &&
                ReadRecord(request.body, record)) {
                takes.push_back(record);
            }
        }
        return takes;
    }

    void Type(const std::string& text) {
        for (char c : text) {
            EXPECT_TRUE(platform::SynthesizeText(Window(), std::string(1, c)));
        }
    }
    void Press(int key) {
        EXPECT_TRUE(platform::SynthesizeKey(Window(), key, true));
        EXPECT_TRUE(platform::SynthesizeKey(Window(), key, false));
    }
    // Control held down, then the paste key: the text goes to the
    // clipboard first. Control stays down until ReleaseControl (the window
    // reads the keyboard's state when the key message comes, as a user's
    // hand holds it).
    void Paste(const std::string& text) {
        ASSERT_TRUE(platform::SetClipboardText(text));
        EXPECT_TRUE(platform::SynthesizeKey(Window(), platform::kKeyControl, true));
        Press('V');
    }
    void ReleaseControl() {
        EXPECT_TRUE(platform::SynthesizeKey(Window(), platform::kKeyControl, false));
    }
    // What the keypad's display shows.
    std::string DisplayText() {
        CInputBox* display = Prompt()->GetDisplay();
        char* text = display != nullptr ? display->GetText() : nullptr;
        const std::string copy = text != nullptr ? text : "";
        FreeEventBlock(text);
        return copy;
    }
    platform::WindowId Window() { return App().GetMainFrame()->Id(); }

    // The digit a keypad key shows, read from its caption's pixels: the one
    // of 0-9 whose drawing, as the keypad draws captions, inks the same
    // pixels. -1 when none matches.
    int CaptionDigit(CCorvaneButton& key) {
        CCorvaneCanvas* caption = key.GetCaptionCanvas();
        if (caption == nullptr) {
            return -1;
        }
        const int width = caption->GetCanvasWidth();
        const int height = caption->GetCanvasHeight();
        CCorvaneCanvas* scratch = View().CreateCanvas(width, height, kDefaultColorKey);
        if (scratch == nullptr) {
            return -1;
        }
        scratch->Hide();
        int found = -1;
        for (int digit = 0; digit < 10 && found == -1; ++digit) {
            scratch->Clear();
            scratch->SetPenColor(kCaptionColour, 1.0);
            scratch->SetFont(kCaptionSize, 400, "宋体");
            scratch->DrawTextCentered(width / 2, height / 2, std::to_string(digit).c_str());
            bool same = true;
            for (int y = 0; y < height && same; ++y) {
                for (int x = 0; x < width && same; ++x) {
                    same = (scratch->GetAlpha(x, y) != 0) == (caption->GetAlpha(x, y) != 0);
                }
            }
            found = same ? digit : -1;
        }
        View().DestroyObject(scratch, 0);
        return found;
    }
    // Clicks the keys whose captions show the digits, in order.
    void ClickDigits(const std::string& digits) {
        CSecurePwdDlg* prompt = Prompt();
        ASSERT_NE(prompt, nullptr);
        std::array<int, 10> keyOf{};
        keyOf.fill(-1);
        for (int position = 0; position < 10; ++position) {
            CCorvaneButton* key = prompt->GetKey(position);
            ASSERT_NE(key, nullptr);
            const int digit = CaptionDigit(*key);
            ASSERT_GE(digit, 0) << "key " << position << " shows no digit";
            ASSERT_EQ(keyOf[size_t(digit)], -1) << "two keys show " << digit;
            keyOf[size_t(digit)] = position;
        }
        for (char c : digits) {
            scenario.Click(prompt->GetKey(keyOf[size_t(c - '0')]));
        }
    }

    // The top-up dialog during the hand: opened by its button, the amount
    // typed and pasted, the switch turned on by its label, confirmed.
    void AddDialogDuringTheHand();
    // The result shown: the silver is 1000 again, the dialog is closed.
    void AddHandEndAndClose();
    // Opens the dialog by its button between hands and confirms it as it
    // stands.
    void AddDialogOkBetweenHands(const std::string& name);
    CSystemInfoBox* LastBox() { return boxes.LastShown(View()); }

    Scenario scenario;
    dialog_test::NoticeBoxLog boxes;
};

void TopUpScenarioTest::AddDialogDuringTheHand() {
    UiHarness& harness = scenario.Harness();
    harness.Add(
        "the hand runs",
        [&] {
            return scenario.View() != nullptr && App().IsGamePlaying() &&
                   View().GetAutoFixButton() != nullptr &&
                   View().GetAutoFixButton()->IsVisible() != 0;
        },
        [&] {
            boxes.Install(App());
            SetSilver(1000);
        });
    harness.Add(
        "silver 1000", [&] { return OwnSilver() == 1000; },
        [&] {
            ASSERT_NE(Dialog(), nullptr);
            EXPECT_EQ(Dialog()->IsVisible(), 0);
            scenario.Click(View().GetAutoFixButton());
        });
    harness.Add(
        "the dialog open", [&] { return DialogShown(); },
        [&] {
            EXPECT_EQ(Dialog()->GetAmountText(), "0");
            EXPECT_EQ(Dialog()->GetEnableBox()->GetCheck(), 0);
            // The stored 0 cleared, then "5a000" typed key by key.
            scenario.Click(Dialog()->GetAmountEdit());
            Press(kEditKeyBack);
            Press(kEditKeyDelete);
            Type("5a000");
        });
    harness.Add(
        "5a000 typed", [&] { return Dialog()->GetAmountText() == "5000"; },
        [&] {
            // A pasted text with a letter inserts nothing; the "1" typed
            // after it shows the paste went by.
            Paste("12a");
            Type("1");
        });
    harness.Add(
        "12a pasted", [&] { return Dialog()->GetAmountText() != "5000"; },
        [&] {
            EXPECT_EQ(Dialog()->GetAmountText(), "50001");
            ReleaseControl();
            // Digits alone paste.
            Paste("2");
        });
    harness.Add(
        "2 pasted", [&] { return Dialog()->GetAmountText() != "50001"; },
        [&] {
            EXPECT_EQ(Dialog()->GetAmountText(), "500012");
            ReleaseControl();
            // Eight digits, a ninth refused, then back to 5000.
            Type("349");
            for (int i = 0; i < 4; ++i) {
                Press(kEditKeyBack);
            }
        });
    harness.Add(
        "a ninth digit refused", [&] { return Dialog()->GetAmountText().size() <= 4; },
        [&] {
            EXPECT_EQ(Dialog()->GetAmountText(), "5000") << "a ninth digit got in";
            scenario.Click(Dialog()->GetEnableLabel());
        });
    harness.Add(
        "the label turns the switch on", [&] { return Dialog()->GetEnableBox()->GetCheck() == 1; },
        [&] { scenario.Click(Dialog()->GetOkButton()); });
    harness.Add(
        "OK during the hand", [&] { return !DialogShown(); },
        [&] {
            EXPECT_EQ(Stored("AutoFix"), "5000");
            EXPECT_EQ(Stored("bAutoFix"), "1");
            EXPECT_EQ(View().m_nAutoFixAmount, 5000);
            EXPECT_EQ(View().m_bAutoFix, 1);
        });
    harness.Add(
        "nothing started during the hand",
        [&] { return scenario.HeldFor(App().IsGamePlaying(), 500); },
        [&] {
            EXPECT_EQ(Count(frame_requests::kQueryTake), 0u);
            EXPECT_EQ(Count(frame_requests::kTransferIntoGame), 0u);
        });
}

void TopUpScenarioTest::AddHandEndAndClose() {
    UiHarness& harness = scenario.Harness();
    harness.Add(
        "the result shown",
        [&] {
            CGameResultDlg* result = View().GetResultDlg();
            return result != nullptr && result->IsVisible() != 0 && !App().IsGamePlaying();
        },
        [&] {
            EXPECT_EQ(Count(frame_requests::kQueryTake), 0u);
            SetSilver(1000);
        },
        60000);
    harness.Add(
        "silver 1000 at the end", [&] { return OwnSilver() == 1000; },
        [&] { scenario.Click(View().GetResultDlg()->GetCloseButton()); });
}

void TopUpScenarioTest::AddDialogOkBetweenHands(const std::string& name) {
    UiHarness& harness = scenario.Harness();
    harness.Add(name + ": the button", nullptr, [&] { scenario.Click(View().GetAutoFixButton()); });
    harness.Add(
        name + ": the dialog open", [&] { return DialogShown(); },
        [&] {
            EXPECT_EQ(Dialog()->GetAmountText(), "5000");
            EXPECT_EQ(Dialog()->GetEnableBox()->GetCheck(), 1);
            scenario.Click(Dialog()->GetOkButton());
        });
}

// No protection password: the end of the hand takes the difference at once,
// one take with no answer; later a safe box too short for the difference
// is told in the chat without the reset link.
TEST_F(TopUpScenarioTest, WithoutAPasswordTheEndOfTheHandTakesTheDifferenceOnce) {
    ASSERT_TRUE(Prepare()) << scenario.Error();
    AddDialogDuringTheHand();
    AddHandEndAndClose();
    UiHarness& harness = scenario.Harness();
    harness.Add(
        "the difference taken",
        [&] { return Count(frame_requests::kTransferIntoGame) == 1 && OwnSilver() == 5000; },
        [&] {
            EXPECT_EQ(Count(frame_requests::kQueryTake), 1u);
            const auto takes = Takes();
            ASSERT_EQ(takes.size(), 1u);
            EXPECT_EQ(takes[0].amount, 4000);
            EXPECT_EQ(takes[0].answer, 0);
            EXPECT_FALSE(PromptShown());
            // The box runs short; the silver drops.
            Services().SetBalance(10);
            SetSilver(800);
        });
    harness.Add(
        "silver 800", [&] { return OwnSilver() == 800; }, [] {});
    AddDialogOkBetweenHands("short box");
    harness.Add(
        "the short box told",
        [&] { return scenario.ChatText().find("自动取银失败") != std::string::npos; },
        [&] {
            const std::string chat = scenario.ChatText();
            EXPECT_NE(chat.find("您的保险箱里的银子不够。"), std::string::npos) << chat;
            EXPECT_EQ(chat.find(kResetPage), std::string::npos) << chat;
            EXPECT_EQ(chat.find("您可以前往:"), std::string::npos) << chat;
            const auto takes = Takes();
            ASSERT_EQ(takes.size(), 2u);
            EXPECT_EQ(takes[1].amount, 4200);
            EXPECT_EQ(OwnSilver(), 800);
            // Between hands a failed take turns the top-up off.
            EXPECT_EQ(View().m_bAutoFix, 0);
            EXPECT_EQ(Stored("bAutoFix"), "1");
        });
    scenario.ExpectRanThrough(scenario.Run());
}

// With a protection password the keypad asks for it; a short password is
// refused by the keypad, a wrong one by the safe box, the right one moves
// the difference of the latest check, once.
TEST_F(TopUpScenarioTest, WithAPasswordTheKeypadAsksAndOneOkSendsOneTake) {
    ASSERT_TRUE(Prepare()) << scenario.Error();
    Services().SetProtection(kPassword, kCalcNumber);
    AddDialogDuringTheHand();
    AddHandEndAndClose();
    UiHarness& harness = scenario.Harness();
    harness.Add(
        "the keypad asks", [&] { return PromptShown(); },
        [&] {
            EXPECT_EQ(Count(frame_requests::kQueryTake), 1u);
            EXPECT_EQ(Prompt()->GetSilverToTake(), 4000);
            EXPECT_EQ(Prompt()->GetCalcNumber(), kCalcNumber);
            EXPECT_EQ(Prompt()->GetPassword(), "");
            ClickDigits("1234567");
            scenario.Click(Prompt()->GetKey(CNumKeyPadDlg::kConfirmKey));
        });
    harness.Add(
        "seven digits refused", [&] { return LastBox() != nullptr; },
        [&] {
            EXPECT_EQ(boxes.Boxes().back().text, "保护密码至少要有8位,不能超过16位。");
            EXPECT_EQ(Count(frame_requests::kTransferIntoGame), 0u);
            EXPECT_TRUE(PromptShown());
            EXPECT_EQ(Prompt()->GetPassword(), "1234567");
            scenario.Click(LastBox()->GetConfirmButton());
        });
    harness.Add(
        "the message closed", [&] { return LastBox() == nullptr; },
        [&] {
            // Typing on the keyboard reaches no key; the eighth digit is
            // clicked.
            Type("88");
            ClickDigits("9");
        });
    harness.Add(
        "eight digits on the keypad", [&] { return Prompt()->GetPassword().size() >= 8; },
        [&] {
            EXPECT_EQ(Prompt()->GetPassword(), "12345679");
            EXPECT_EQ(DisplayText(), std::string(8, '*'));
            EXPECT_EQ(Count(frame_requests::kTransferIntoGame), 0u);
            scenario.Click(Prompt()->GetKey(CNumKeyPadDlg::kConfirmKey));
        });
    harness.Add(
        "the wrong password told",
        [&] { return scenario.ChatText().find(kResetPage) != std::string::npos; },
        [&] {
            const std::string chat = scenario.ChatText();
            EXPECT_NE(chat.find("自动取银失败：保护密码计算结果错误。"), std::string::npos) << chat;
            // The server's text in red.
            EXPECT_EQ(game_test::ChatBoxColourAt("保护密码计算结果错误"), 0x0000FFu);
            EXPECT_NE(chat.find(std::string("您可以前往:http://") + kWebHost +
                                "/self/restsecurepwdbyappeal.aspx进行修改。"),
                      std::string::npos)
                << chat;
            const auto takes = Takes();
            ASSERT_EQ(takes.size(), 1u);
            EXPECT_EQ(takes[0].amount, 4000);
            EXPECT_NE(takes[0].answer, kAnswer);
            EXPECT_EQ(View().m_bAutoFix, 0);
            EXPECT_FALSE(PromptShown());
            EXPECT_EQ(OwnSilver(), 1000);
            SetSilver(800);
        });
    harness.Add(
        "silver 800", [&] { return OwnSilver() == 800; }, [] {});
    AddDialogOkBetweenHands("again");
    harness.Add(
        "the keypad asks again", [&] { return PromptShown(); },
        [&] {
            EXPECT_EQ(Count(frame_requests::kQueryTake), 2u);
            EXPECT_EQ(Prompt()->GetSilverToTake(), 4200);
            EXPECT_EQ(Prompt()->GetPassword(), "");
            ClickDigits(kPassword);
            scenario.Click(Prompt()->GetKey(CNumKeyPadDlg::kConfirmKey));
        });
    harness.Add(
        "the difference taken", [&] { return OwnSilver() == 5000; },
        [&] { EXPECT_FALSE(PromptShown()); });
    harness.Add(
        "one take for one OK", [&] { return scenario.HeldFor(true, 1000); },
        [&] {
            const auto takes = Takes();
            ASSERT_EQ(takes.size(), 2u);
            EXPECT_EQ(takes[1].amount, 4200);
            EXPECT_EQ(takes[1].answer, kAnswer);
            EXPECT_EQ(Services().GetSafeBox().gameSilver, 5000);
        });
    scenario.ExpectRanThrough(scenario.Run());
}

}  // namespace
