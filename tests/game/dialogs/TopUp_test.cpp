// The automatic top-up: the checks of the view, the password prompt, the
// amount box and the dialog that stores the settings.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "engine/ui/CorvaneCheckBox.h"
#include "game/dialogs/AutoFixDlg.h"
#include "game/dialogs/AutoFixSettings.h"
#include "game/dialogs/NumberEdit.h"
#include "game/dialogs/SecurePwdDlg.h"
#include "tests/game/dialogs/DialogScene.h"

namespace {

using dialog_test::DialogScene;

class TopUpTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scene.Open()) << scene.error; }

    dialog_test::TopUpView& View() { return *scene.view; }
    CSecurePwdDlg* Prompt() { return dynamic_cast<CSecurePwdDlg*>(View().GetSecurePwdDlg()); }
    CAutoFixDlg* Dialog() { return dynamic_cast<CAutoFixDlg*>(View().GetAutoFixDlg()); }
    void Store(const char* amount, const char* on) {
        scene.StoreFixDeposit(auto_fix::kAmountKey, amount);
        scene.StoreFixDeposit(auto_fix::kSwitchKey, on);
    }
    // Presses the keys whose captions show the digits.
    void TypeOnKeypad(const std::string& digits) {
        CSecurePwdDlg* prompt = Prompt();
        ASSERT_NE(prompt, nullptr);
        for (char digit : digits) {
            const auto& order = prompt->GetDigitOrder();
            for (int key = 0; key < 10; ++key) {
                if (order[size_t(key)] == digit - '0') {
                    prompt->PressKey(key);
                    break;
                }
            }
        }
    }
    std::vector<std::string>& Chat() { return scene.Chat(); }

    DialogScene scene;
};

TEST_F(TopUpTest, NothingIsAskedWithTheSwitchOffMissingOrTheSilverEnough) {
    View().CheckAutoFix();
    Store("5000", "0");
    View().CheckAutoFix();
    Store("1000", "1");  // the own silver is 1000
    View().CheckAutoFix();
    EXPECT_EQ(View().queries, 0);
    EXPECT_TRUE(View().takes.empty());
    EXPECT_EQ(View().m_nAutoFixAmount, 1000);
    EXPECT_EQ(View().m_bAutoFix, 1);
}

TEST_F(TopUpTest, ABoxWithoutPasswordGivesTheDifferenceAtOnce) {
    Store("5000", "1");
    View().CheckAutoFix();
    EXPECT_EQ(View().queries, 1);
    ASSERT_EQ(View().takes.size(), 1u);
    EXPECT_EQ(View().takes[0].silver, 4000);
    EXPECT_EQ(View().takes[0].answer, 0);
    EXPECT_EQ(Prompt(), nullptr);
    // Each request is followed by its pause.
    EXPECT_EQ(scene.sleeps, (std::vector<uint32_t>{100, 100}));
}

TEST_F(TopUpTest, AnotherQueryFailureTakesNothing) {
    View().queryResult = 1011;
    View().queryText = "查询失败";
    View().StartAutoFix(5000);
    EXPECT_TRUE(View().takes.empty());
    EXPECT_EQ(Prompt(), nullptr);
}

TEST(TopUpLookerOn, ALookerOnChecksNothing) {
    DialogScene scene{dialog_test::SceneOptions{.lookOn = true}};
    ASSERT_TRUE(scene.Open()) << scene.error;
    scene.StoreFixDeposit(auto_fix::kAmountKey, "5000");
    scene.StoreFixDeposit(auto_fix::kSwitchKey, "1");
    scene.view->CheckAutoFix();
    EXPECT_EQ(scene.view->queries, 0);
    EXPECT_EQ(scene.view->m_bAutoFix, 0);
}

TEST_F(TopUpTest, AProtectedBoxAsksForThePasswordCentredAndKeepsAShownPrompt) {
    View().boxProtected = true;
    View().StartAutoFix(5000);
    CSecurePwdDlg* prompt = Prompt();
    ASSERT_NE(prompt, nullptr);
    EXPECT_NE(prompt->IsVisible(), 0);
    EXPECT_EQ(prompt->GetSilverToTake(), 4000);
    EXPECT_EQ(prompt->GetCalcNumber(), 123456789);
    EXPECT_EQ(prompt->GetRoute(), kKeypadRouteInputBar);
    EXPECT_DOUBLE_EQ(prompt->GetZ(), CRegionalTableView::kSecurePwdDepth);
    EXPECT_DOUBLE_EQ(prompt->GetX(), View().GetBufferWidth() / 2);
    TypeOnKeypad("123");
    prompt->SetPos(10, 10);
    ASSERT_TRUE(scene.SetOwnSilver(200));
    View().StartAutoFix(5000);
    EXPECT_EQ(Prompt(), prompt);
    EXPECT_EQ(prompt->GetPassword(), "123");
    EXPECT_DOUBLE_EQ(prompt->GetX(), 10);
    EXPECT_EQ(prompt->GetSilverToTake(), 4000);
    EXPECT_TRUE(View().takes.empty());
}

TEST_F(TopUpTest, EveryShowingOfThePromptTakesItsOwnDifference) {
    View().boxProtected = true;
    View().StartAutoFix(5000);
    ASSERT_NE(Prompt(), nullptr);
    Prompt()->HideDialog();
    ASSERT_TRUE(scene.SetOwnSilver(300));
    View().StartAutoFix(5000);
    EXPECT_NE(Prompt()->IsVisible(), 0);
    EXPECT_EQ(Prompt()->GetSilverToTake(), 4700);
    EXPECT_EQ(Prompt()->GetPassword(), "");
}

TEST_F(TopUpTest, OneAcceptedPasswordSendsOneTakeAndARefusedOneNone) {
    View().boxProtected = true;
    View().StartAutoFix(5000);
    TypeOnKeypad("1234567");
    Prompt()->SubmitPassword();
    scene.Frames(50);
    EXPECT_TRUE(View().takes.empty());
    EXPECT_NE(Prompt()->IsVisible(), 0);
    TypeOnKeypad("8");
    Prompt()->SubmitPassword();
    scene.Frames(50);
    ASSERT_EQ(View().takes.size(), 1u);
    EXPECT_EQ(View().takes[0].silver, 4000);
    EXPECT_EQ(View().takes[0].answer, 26046);
    EXPECT_EQ(Prompt()->IsVisible(), 0);
}

TEST_F(TopUpTest, AFailedTakeToldInTheChatWithTheResetLinkWhenThePasswordIsNamed) {
    View().takeSucceeds = false;
    View().takeText = "保护密码计算结果错误。";
    View().m_bAutoFix = 1;
    View().TakeSilverForAutoFix(4000, 1);
    ASSERT_EQ(Chat().size(), 1u);
    const std::string url = "http://web.example/self/restsecurepwdbyappeal.aspx";
    EXPECT_EQ(Chat()[0],
              " <z=qe系统通知> <size=12>自动取银失败：<c=255>保护密码计算结果错误。<>\r\n"
              "您可以前往:<url_text=" +
                  url + "," + url + ">进行修改。\r\n\r\n");
    EXPECT_EQ(View().m_bAutoFix, 0);

    scene.App().SetGamePlaying();
    View().m_bAutoFix = 1;
    View().takeText = "保险箱银子不足";
    View().TakeSilverForAutoFix(4000, 0);
    ASSERT_EQ(Chat().size(), 2u);
    EXPECT_EQ(Chat()[1], " <z=qe系统通知> <size=12>自动取银失败：<c=255>保险箱银子不足<>\r\n");
    EXPECT_EQ(View().m_bAutoFix, 1);

    // A refusal without a text still names the failure.
    View().takeText.clear();
    View().TakeSilverForAutoFix(4000, 0);
    ASSERT_EQ(Chat().size(), 3u);
    EXPECT_EQ(Chat()[2],
              " <z=qe系统通知> <size=12>自动取银失败：<c=255>没有从保险箱取到银子。<>\r\n");
}

TEST(TopUpTexts, ThePasswordWordIsFoundOnlyAtACharacterStart) {
    // "\xB0\xC3" "\xDC\xC2" "\xEB\xA1": the bytes of the word straddle the
    // three characters.
    std::string straddling;
    straddling.assign({char(0xB0), char(0xC3), char(0xDC), char(0xC2), char(0xEB), char(0xA1)});
    ASSERT_NE(straddling.find("密码"), std::string::npos);
    EXPECT_FALSE(auto_fix::ContainsGbkWord(straddling, "密码"));
    EXPECT_TRUE(auto_fix::ContainsGbkWord("a保护密码", "密码"));
    EXPECT_EQ(auto_fix::FailureLine(straddling, "u").find("您可以前往"), std::string::npos);
    // Without a host the hint has no link.
    EXPECT_EQ(
        auto_fix::FailureLine("密码错", ""),
        " <z=qe系统通知> <size=12>自动取银失败：<c=255>密码错<>\r\n您可以前往:进行修改。\r\n\r\n");
    EXPECT_EQ(auto_fix::ResetPageUrl(""), "");
}

TEST(TopUpTexts, AHandEditedAmountIsConvertedWithinTheIntRange) {
    EXPECT_EQ(auto_fix::ParseAmountText("5000"), 5000);
    EXPECT_EQ(auto_fix::ParseAmountText(" 12abc"), 12);
    EXPECT_EQ(auto_fix::ParseAmountText("abc"), 0);
    EXPECT_EQ(auto_fix::ParseAmountText(""), 0);
    EXPECT_EQ(auto_fix::ParseAmountText("-40"), -40);
    EXPECT_EQ(auto_fix::ParseAmountText("99999999999999999999"), INT_MAX);
    EXPECT_EQ(auto_fix::ParseAmountText("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(auto_fix::ParseAmountText("2147483648"), INT_MAX);
}

TEST_F(TopUpTest, AHugeStoredAmountTopsUpByTheClampedDifference) {
    Store("99999999999999", "1");
    View().CheckAutoFix();
    EXPECT_EQ(View().m_nAutoFixAmount, INT_MAX);
    ASSERT_EQ(View().takes.size(), 1u);
    EXPECT_EQ(View().takes[0].silver, INT_MAX - 1000);
}

TEST_F(TopUpTest, TheAmountBoxTakesWholeRunsOfDigitsOnly) {
    CAutoFixDlg* dialog = Dialog();
    ASSERT_NE(dialog, nullptr);
    CNumberEdit* edit = dialog->GetAmountEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(dialog->GetAmountText(), "0");  // nothing stored yet
    edit->Reset();
    edit->InsertText("12a");
    EXPECT_EQ(dialog->GetAmountText(), "");
    edit->InsertText("两");
    EXPECT_EQ(dialog->GetAmountText(), "");
    for (const char* typed : {"5", "a", "0", "0", "0"}) {
        edit->InsertText(typed);
    }
    EXPECT_EQ(dialog->GetAmountText(), "5000");
    edit->InsertText("1234");
    EXPECT_EQ(dialog->GetAmountText(), "50001234");
    edit->InsertText("9");
    EXPECT_EQ(dialog->GetAmountText(), "50001234");
}

class AutoFixDialogTest : public TopUpTest {
protected:
    void SetUp() override {
        TopUpTest::SetUp();
        ASSERT_NE(Dialog(), nullptr);
        edit = Dialog()->GetAmountEdit();
        box = Dialog()->GetEnableBox();
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(box, nullptr);
        edit->Reset();
        edit->InsertText("5000");
    }
    void PressLabel() {
        CCorvaneObject* label = Dialog()->GetEnableLabel();
        ASSERT_NE(label, nullptr);
        const EventRecord* press = label->FindEventBinding(kEventLButtonDown);
        ASSERT_NE(press, nullptr);
        ASSERT_EQ(press->target, Dialog()->GetId());
        // Delivered as the input module delivers a bound press.
        Dialog()->OnEvent(*press);
    }
    void Ok() { Dialog()->OnEvent(MakeEventRecord(Dialog()->GetId(), 19840378, 0, 0)); }

    CNumberEdit* edit = nullptr;
    CCorvaneCheckBox* box = nullptr;
};

TEST_F(AutoFixDialogTest, TheLabelTogglesTheSwitch) {
    EXPECT_EQ(box->GetCheck(), 0);
    PressLabel();
    EXPECT_EQ(box->GetCheck(), 1);
    PressLabel();
    EXPECT_EQ(box->GetCheck(), 0);
}

TEST_F(AutoFixDialogTest, OkStoresBothAndTopsUpOnlyBetweenHandsForAPlayer) {
    box->SetCheck(1);
    Dialog()->Show();
    Ok();
    EXPECT_EQ(scene.StoredFixDeposit(auto_fix::kAmountKey), "5000");
    EXPECT_EQ(scene.StoredFixDeposit(auto_fix::kSwitchKey), "1");
    EXPECT_EQ(View().m_nAutoFixAmount, 5000);
    EXPECT_EQ(View().m_bAutoFix, 1);
    EXPECT_EQ(Dialog()->IsVisible(), 0);
    ASSERT_EQ(View().takes.size(), 1u);
    EXPECT_EQ(View().takes[0].silver, 4000);
}

TEST_F(AutoFixDialogTest, OkWithTheSwitchOffOrSilverEnoughStartsNothing) {
    Ok();
    EXPECT_EQ(scene.StoredFixDeposit(auto_fix::kSwitchKey), "0");
    box->SetCheck(1);
    edit->Reset();
    edit->InsertText("1000");
    Ok();
    EXPECT_EQ(View().queries, 0);
    EXPECT_EQ(scene.StoredFixDeposit(auto_fix::kAmountKey), "1000");
}

TEST_F(AutoFixDialogTest, CancelStoresNothing) {
    box->SetCheck(1);
    Dialog()->Show();
    Dialog()->OnEvent(MakeEventRecord(Dialog()->GetId(), 19840379, 0, 0));
    EXPECT_EQ(scene.StoredFixDeposit(auto_fix::kAmountKey), "");
    EXPECT_EQ(View().m_bAutoFix, 0);
    EXPECT_EQ(View().queries, 0);
    EXPECT_EQ(Dialog()->IsVisible(), 0);
    EXPECT_EQ(Dialog()->GetAmountText(), "5000");
}

}  // namespace
