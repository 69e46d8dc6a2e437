// The regional table's dialogs in a real window with real input: the
// automatic top-up dialog (typed digits, the switch's label, OK), the
// protect-password keypad it opens (digit keys found by their captions) and
// the settings dialog opened from the top bar (a label, OK and cancel). Each
// is seen on the X server where it opens, and its effect in the user's
// files or in the requests the test server got.

#include <string>

#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneCheckBox.h"
#include "frame/FrameFunctions.h"
#include "frame/net/FrameRequests.h"
#include "frame/panels/InputBar.h"
#include "frame/view/GameFrameView.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/dialogs/AutoFixDlg.h"
#include "game/dialogs/AutoFixSettings.h"
#include "game/dialogs/DialogParts.h"
#include "game/dialogs/GameSetDlg.h"
#include "game/dialogs/NumberEdit.h"
#include "game/dialogs/SecurePwdDlg.h"
#include "game/table/RegionalTableView.h"
#include "platform/Profile.h"
#include "tests/engine_ui/EditBoxText.h"
#include "tests/window/Pixels.h"
#include "tests/window/game/TableWindow.h"

namespace window_test {
namespace {

using testserver::ServiceScript;

constexpr int kOwnChair = 0;
constexpr char kPassword[] = "12345678";
constexpr int32_t kCalcNumber = 123456789;
constexpr char kKeyImage[] = "系统通知框_按钮";
// "12345678" folded with the calculation number.
constexpr int32_t kFoldedAnswer = 26046;

// A point of a dialog's body that none of its parts covers (inside its
// lower left corner).
struct Point {
    int x, y;
};
Point BodyCorner(CCorvaneObject& body) {
    return {static_cast<int>(body.GetLeft()) + 8, static_cast<int>(body.GetBottom()) - 8};
}

class TopUpWindowTest : public TableWindowTest {
protected:
    void SetUp() override {
        TableWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        ServiceScript::SafeBox box;
        box.gameSilver = 1000;
        box.balance = 100000;
        script.Services().SetSafeBox(box);
        const ServiceScript::Notice notice =
            script.Services().ChangeGameSilver(game_test::WindowUserOf(kOwnChair), kOwnChair, 1000);
        ASSERT_TRUE(script.Notify(notice.id, notice.data));
        ASSERT_TRUE(window.RunUntil([&] { return OwnSilver() == 1000; }));
    }
    int32_t OwnSilver() { return window.App().GetSeat(kOwnChair).silver; }
    CAutoFixDlg* Dialog() { return dynamic_cast<CAutoFixDlg*>(View().GetAutoFixDlg()); }
    CSecurePwdDlg* Prompt() { return dynamic_cast<CSecurePwdDlg*>(View().GetSecurePwdDlg()); }
    std::string Stored(const char* key) {
        char value[64] = {};
        platform::GetPrivateProfileString(auto_fix::kSection, key, "", value, sizeof value,
                                          window.App().GetUserDataFile().c_str());
        return value;
    }
    std::vector<frame_requests::TransferRecord> Takes() {
        std::vector<frame_requests::TransferRecord> takes;
        for (const auto& request : Requests(frame_requests::kTransferIntoGame)) {
            frame_requests::TransferRecord record;
            if (ReadRecord(request.body, record)) {
                takes.push_back(record);
            }
        }
        return takes;
    }

    // Opens the dialog with the table's button, types the amount into its
    // box, switches it on with the label and confirms with OK.
    void SetAmountThroughTheDialog(const std::string& typed, const std::string& expected) {
        CAutoFixDlg* dialog = Dialog();
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(Click(View().GetAutoFixButton()), "");
        ASSERT_TRUE(window.RunUntil([&] { return dialog->IsVisible() != 0; }))
            << "the button did not open the dialog";
        CCorvaneObject* body = dialog->GetBody();
        ASSERT_NE(body, nullptr);
        const Point corner = BodyCorner(*body);
        EXPECT_TRUE(WaitForColour(corner.x, corner.y, PictureColour(CAutoFixDlg::kBodyImage)))
            << "the dialog is not seen where it opened";

        CNumberEdit* edit = dialog->GetAmountEdit();
        ASSERT_NE(edit, nullptr);
        ASSERT_EQ(Click(edit), "");
        ASSERT_EQ(Key({"End", "BackSpace", "BackSpace", "BackSpace"}), "");
        ASSERT_TRUE(window.RunUntil([&] { return dialog->GetAmountText().empty(); }))
            << "the box kept " << dialog->GetAmountText();
        ASSERT_EQ(Type(typed), "");
        EXPECT_TRUE(window.RunUntil([&] { return dialog->GetAmountText() == expected; }))
            << "the box shows " << dialog->GetAmountText();

        CCorvaneCheckBox* box = dialog->GetEnableBox();
        ASSERT_NE(box, nullptr);
        ASSERT_EQ(box->GetCheck(), 0);
        ASSERT_EQ(Click(dialog->GetEnableLabel()), "");
        EXPECT_TRUE(window.RunUntil([&] { return box->GetCheck() == 1; }))
            << "the label did not switch the top-up on";

        ASSERT_EQ(Click(FindButton(dialog_parts::kEventOk, dialog->GetId())), "");
        EXPECT_TRUE(window.RunUntil([&] { return dialog->IsVisible() == 0; }));
        EXPECT_TRUE(window.RunUntil([&] {
            return !NearColour(ShownColour(corner.x, corner.y),
                               PictureColour(CAutoFixDlg::kBodyImage));
        })) << "the closed dialog is still seen";
    }
};

TEST_F(TopUpWindowTest, TheDialogTakesTypedDigitsAndItsOkTopsUpAtOnce) {
    // Letters typed between the digits are refused.
    SetAmountThroughTheDialog("5a000", "5000");
    EXPECT_EQ(Stored(auto_fix::kAmountKey), "5000");
    EXPECT_EQ(Stored(auto_fix::kSwitchKey), "1");
    EXPECT_EQ(View().m_nAutoFixAmount, 5000);
    // No hand runs: the silver short of 5000 is taken from the box at once.
    ASSERT_TRUE(window.RunUntil([&] { return OwnSilver() == 5000; }));
    const auto takes = Takes();
    ASSERT_EQ(takes.size(), 1u);
    EXPECT_EQ(takes[0].amount, 4000);
    EXPECT_EQ(takes[0].answer, 0);
}

TEST_F(TopUpWindowTest, TheKeypadTakesClickedDigitsByTheirCaptionsAndItsConfirmSendsOneTake) {
    script.Services().SetProtection(kPassword, kCalcNumber);
    SetAmountThroughTheDialog("5000", "5000");
    ASSERT_TRUE(window.RunUntil([&] { return Prompt() != nullptr && Prompt()->IsVisible(); }))
        << "the protect-password prompt did not open";
    CSecurePwdDlg& prompt = *Prompt();
    EXPECT_EQ(prompt.GetSilverToTake(), 4000);
    // The keypad's keys show their picture where the prompt opened.
    CCorvaneButton* first = prompt.GetKey(0);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(WaitForColour(static_cast<int>(first->GetLeft()) + 3,
                              static_cast<int>(first->GetTop()) + 3, PictureColour(kKeyImage)))
        << "the keypad is not seen";

    // Each digit is clicked on the key whose caption shows it.
    for (const char digit : std::string(kPassword)) {
        int key = -1;
        for (int k = 0; k < 10; ++k) {
            if (prompt.GetDigitOrder()[size_t(k)] == digit - '0') {
                key = k;
            }
        }
        ASSERT_GE(key, 0);
        const size_t before = prompt.GetPassword().size();
        ASSERT_EQ(Click(prompt.GetKey(key)), "");
        ASSERT_TRUE(window.RunUntil([&] { return prompt.GetPassword().size() == before + 1; }))
            << "the click on the key of " << digit << " typed nothing";
    }
    EXPECT_EQ(prompt.GetPassword(), kPassword);
    EXPECT_TRUE(Takes().empty());

    ASSERT_EQ(Click(prompt.GetKey(CNumKeyPadDlg::kConfirmKey)), "");
    ASSERT_TRUE(window.RunUntil([&] { return OwnSilver() == 5000; }))
        << "the confirmed password took nothing";
    EXPECT_EQ(prompt.IsVisible(), 0);
    window.Run(100);
    const auto takes = Takes();
    ASSERT_EQ(takes.size(), 1u);
    EXPECT_EQ(takes[0].amount, 4000);
    EXPECT_EQ(takes[0].answer, kFoldedAnswer);
}

class SettingsWindowTest : public TableWindowTest {
protected:
    CGameSetDlg* Dialog() { return dynamic_cast<CGameSetDlg*>(View().GetSetDlg()); }
    std::string Stored(const char* key) {
        char value[16] = {};
        platform::GetPrivateProfileString("GAMESET", key, "", value, sizeof value,
                                          window.Folder().GameIni().c_str());
        return value;
    }
    // The top bar's settings button opens the dialog; it is seen where it
    // opened.
    void OpenWithTheTopBarButton(Point& corner) {
        CGameSetDlg* dialog = Dialog();
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(Click(FindButton(kEventSettingsButton)), "");
        ASSERT_TRUE(window.RunUntil([&] { return dialog->IsVisible() != 0; }))
            << "the settings button did not open the dialog";
        CCorvaneObject* body = dialog->GetBody();
        ASSERT_NE(body, nullptr);
        corner = BodyCorner(*body);
        EXPECT_TRUE(WaitForColour(corner.x, corner.y, PictureColour(CGameSetDlg::kBodyImage)))
            << "the dialog is not seen where it opened";
    }
    bool Gone(const Point& corner) {
        return window.RunUntil([&] {
            return Dialog()->IsVisible() == 0 &&
                   !NearColour(ShownColour(corner.x, corner.y),
                               PictureColour(CGameSetDlg::kBodyImage));
        });
    }
};

TEST_F(SettingsWindowTest, ALabelClickTogglesItsBoxOkStoresItAndCancelPutsItBack) {
    Point corner{};
    OpenWithTheTopBarButton(corner);
    CGameSetDlg& dialog = *Dialog();
    CCorvaneCheckBox* reject = dialog.GetBox(CGameSetDlg::kRejectLook);
    ASSERT_NE(reject, nullptr);
    ASSERT_EQ(reject->GetCheck(), 0);
    ASSERT_EQ(Click(dialog.GetLabel(CGameSetDlg::kRejectLook)), "");
    EXPECT_TRUE(window.RunUntil([&] { return reject->GetCheck() == 1; }))
        << "the label click did not toggle its box";
    ASSERT_EQ(Click(FindButton(dialog_parts::kEventOk, dialog.GetId())), "");
    EXPECT_TRUE(Gone(corner)) << "OK did not close the dialog";
    EXPECT_EQ(Stored("RejectKanPaiAsk"), "1");
    EXPECT_EQ(window.App().Settings().rejectKanPaiAsk, 1);

    // Again: a label clicked, then cancel; the box shows the stored state.
    OpenWithTheTopBarButton(corner);
    CCorvaneCheckBox* quick = dialog.GetBox(CGameSetDlg::kQuickCatch);
    ASSERT_NE(quick, nullptr);
    const int storedQuick = quick->GetCheck();
    ASSERT_EQ(Click(dialog.GetLabel(CGameSetDlg::kQuickCatch)), "");
    EXPECT_TRUE(window.RunUntil([&] { return quick->GetCheck() != storedQuick; }));
    // The second button of the event: the first is the close button.
    ASSERT_EQ(Click(FindButton(dialog_parts::kEventCancel, dialog.GetId(), 1)), "");
    EXPECT_TRUE(Gone(corner)) << "cancel did not close the dialog";
    EXPECT_EQ(quick->GetCheck(), storedQuick);
    EXPECT_EQ(window.App().Settings().quickCatch, storedQuick);
    EXPECT_EQ(reject->GetCheck(), 1);
}

// The chat box had the keyboard when the dialog opened; it has it again
// once the dialog closes.
TEST_F(SettingsWindowTest, TypingGoesOnInTheChatBoxAfterTheDialogClosed) {
    CInputBar* bar =
        dynamic_cast<CInputBar*>(window.App().GetSubSystemView()->FindObjectByName("InputBar"));
    const auto box = [&] { return EditBoxText(*bar->GetEditBox()); };
    ASSERT_EQ(Click(bar->GetEditBox()), "");
    ASSERT_EQ(TypeInto("abc", box), "");
    Point corner{};
    OpenWithTheTopBarButton(corner);
    ASSERT_EQ(Click(FindButton(dialog_parts::kEventCancel, Dialog()->GetId(), 1)), "");
    ASSERT_TRUE(Gone(corner));
    EXPECT_EQ(TypeInto("def", box), "");
    EXPECT_EQ(box(), "abcdef");
}

}  // namespace
}  // namespace window_test
