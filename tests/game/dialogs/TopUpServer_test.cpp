// The automatic top-up of the regional application against the test
// server's safe box: the dialog stores the settings during a hand, the end
// of the hand starts the check, and the safe box answers with and without a
// protection password.
#include <gtest/gtest.h>

#include <string>

#include "engine/ui/CorvaneCheckBox.h"
#include "frame/FrameFunctions.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/dialogs/AutoFixDlg.h"
#include "game/dialogs/AutoFixSettings.h"
#include "game/dialogs/NumberEdit.h"
#include "game/dialogs/SecurePwdDlg.h"
#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "platform/BlockingSleep.h"
#include "platform/Profile.h"
#include "tests/game/support/GameWindow.h"
#include "tools/test_server/FrameScript.h"
#include "tools/test_server/TestGameServer.h"

namespace {

namespace tp = table_protocol;
using testserver::ServiceScript;

constexpr int kOwnChair = 0;
constexpr char kPassword[] = "12345678";
constexpr int32_t kCalcNumber = 123456789;

class TopUpServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start());
        ServiceScript::SafeBox box;
        box.gameSilver = 1000;
        box.balance = 100000;
        script.Services().SetSafeBox(box);
        game_test::GameWindowOptions options;
        options.advertHost = "web.example";
        ASSERT_TRUE(window.Open(options)) << window.Error();
        platform::SetSleeperForTesting([](uint32_t) {});
        ASSERT_TRUE(window.MakeHallUserFolder()) << window.Error();
        ASSERT_TRUE(window.ConnectTo(server)) << window.Error();
        window.Run(50);
        ASSERT_NE(window.View(), nullptr);
        SetSilver(1000);
    }
    void TearDown() override { platform::SetSleeperForTesting({}); }

    CRegionalTableView& View() { return *window.View(); }
    int32_t OwnSilver() { return window.App().GetSeat(kOwnChair).silver; }
    // The server's silver changes by play; the table hears it (211600).
    void SetSilver(int32_t silver) {
        const ServiceScript::Notice notice = script.Services().ChangeGameSilver(
            game_test::WindowUserOf(kOwnChair), kOwnChair, silver);
        ASSERT_TRUE(script.Notify(notice.id, notice.data));
        ASSERT_TRUE(window.RunUntil([&] { return OwnSilver() == silver; }));
    }
    void SetHandRunning(bool running) {
        tp::HandStartRecord start;
        start.startFlags = running ? 1 : 0;
        ASSERT_TRUE(window.TableData()->StoreHandStart(tp::WriteTableRecord(start)));
    }
    std::vector<frame_requests::TransferRecord> Takes() {
        std::vector<frame_requests::TransferRecord> takes;
        for (const auto& request : script.Requests()) {
            if (request.id == frame_requests::kTransferIntoGame) {
                frame_requests::TransferRecord record;
                if (ReadRecord(request.body, record)) {
                    takes.push_back(record);
                }
            }
        }
        return takes;
    }
    // The hand ends: the result dialog is closed and the check follows.
    void EndHandAndCloseResult() {
        SetHandRunning(false);
        window.App().ClearGamePlaying();
        View().OnResultClosed();
    }
    std::string Stored(const char* key) {
        char value[64] = {};
        platform::GetPrivateProfileString(auto_fix::kSection, key, "", value, sizeof value,
                                          window.App().GetUserDataFile().c_str());
        return value;
    }
    CSecurePwdDlg* Prompt() { return dynamic_cast<CSecurePwdDlg*>(View().GetSecurePwdDlg()); }
    void TypeOnKeypad(const std::string& digits) {
        CSecurePwdDlg* prompt = Prompt();
        ASSERT_NE(prompt, nullptr);
        for (char digit : digits) {
            for (int key = 0; key < 10; ++key) {
                if (prompt->GetDigitOrder()[size_t(key)] == digit - '0') {
                    prompt->PressKey(key);
                    break;
                }
            }
        }
    }
    // Sets the switch on and the amount 5000 through the dialog, as typed.
    void ConfirmDialogDuringAHand() {
        SetHandRunning(true);
        View().OnEvent(MakeEventRecord(View().GetId(), kEventAutoFixButton, 0, 0));
        auto* dialog = dynamic_cast<CAutoFixDlg*>(View().GetAutoFixDlg());
        ASSERT_NE(dialog, nullptr);
        ASSERT_NE(dialog->IsVisible(), 0);
        CNumberEdit* edit = dialog->GetAmountEdit();
        ASSERT_NE(edit, nullptr);
        edit->Reset();
        for (const char* typed : {"5", "a", "0", "0", "0"}) {
            edit->InsertText(typed);
        }
        edit->InsertText("12a");  // pasted
        EXPECT_EQ(dialog->GetAmountText(), "5000");
        const EventRecord* press = dialog->GetEnableLabel()->FindEventBinding(kEventLButtonDown);
        ASSERT_NE(press, nullptr);
        dialog->OnEvent(*press);
        EXPECT_EQ(dialog->GetEnableBox()->GetCheck(), 1);
        dialog->OnEvent(MakeEventRecord(dialog->GetId(), 19840378, 0, 0));
        EXPECT_EQ(Stored("AutoFix"), "5000");
        EXPECT_EQ(Stored("bAutoFix"), "1");
        window.Run(50);
        EXPECT_EQ(script.Count(frame_requests::kQueryTake), 0u);
    }

    testserver::TestGameServer server;
    testserver::FrameScript script{server};
    game_test::GameWindow window;
};

TEST_F(TopUpServerTest, WithoutAPasswordTheEndOfTheHandTakesTheDifferenceOnce) {
    ConfirmDialogDuringAHand();
    EndHandAndCloseResult();
    ASSERT_TRUE(window.RunUntil([&] { return OwnSilver() == 5000; }));
    const auto takes = Takes();
    ASSERT_EQ(takes.size(), 1u);
    EXPECT_EQ(takes[0].amount, 4000);
    EXPECT_EQ(takes[0].answer, 0);
}

TEST_F(TopUpServerTest, WithAPasswordTheKeypadAsksAndOneOkSendsOneTake) {
    script.Services().SetProtection(kPassword, kCalcNumber);
    ConfirmDialogDuringAHand();
    EndHandAndCloseResult();
    ASSERT_TRUE(window.RunUntil([&] { return Prompt() != nullptr && Prompt()->IsVisible(); }));
    EXPECT_EQ(Prompt()->GetSilverToTake(), 4000);

    // Seven digits: refused by the keypad, nothing sent, the keypad stays.
    TypeOnKeypad("1234567");
    Prompt()->SubmitPassword();
    window.Run(100);
    EXPECT_TRUE(Takes().empty());
    EXPECT_NE(Prompt()->IsVisible(), 0);

    // A wrong password: 1011, the red line with the reset link, switch off.
    Prompt()->ClearPassword();
    TypeOnKeypad("87654321");
    Prompt()->SubmitPassword();
    ASSERT_TRUE(window.RunUntil([&] { return Takes().size() == 1; }));
    ASSERT_TRUE(window.RunUntil(
        [&] { return window.ChatText().find("restsecurepwdbyappeal") != std::string::npos; }));
    EXPECT_NE(window.ChatText().find("保护密码计算结果错误。"), std::string::npos);
    EXPECT_EQ(View().m_bAutoFix, 0);

    // The silver drops further; the dialog's OK between hands asks again
    // with the new difference.
    SetSilver(800);
    auto* dialog = dynamic_cast<CAutoFixDlg*>(View().GetAutoFixDlg());
    dialog->Show();
    dialog->OnEvent(MakeEventRecord(dialog->GetId(), 19840378, 0, 0));
    ASSERT_TRUE(window.RunUntil([&] { return Prompt()->IsVisible() != 0; }));
    EXPECT_EQ(Prompt()->GetSilverToTake(), 4200);
    EXPECT_EQ(Prompt()->GetPassword(), "");

    TypeOnKeypad(kPassword);
    Prompt()->SubmitPassword();
    ASSERT_TRUE(window.RunUntil([&] { return OwnSilver() == 5000; }));
    window.Run(100);
    const auto takes = Takes();
    ASSERT_EQ(takes.size(), 2u);
    EXPECT_EQ(takes[1].amount, 4200);
    EXPECT_EQ(takes[1].answer, 26046);
}

TEST_F(TopUpServerTest, AShortSafeBoxIsToldWithoutTheLink) {
    script.Services().SetBalance(10);
    ConfirmDialogDuringAHand();
    EndHandAndCloseResult();
    ASSERT_TRUE(window.RunUntil([&] { return Takes().size() == 1; }));
    ASSERT_TRUE(window.RunUntil(
        [&] { return window.ChatText().find("自动取银失败") != std::string::npos; }));
    EXPECT_EQ(window.ChatText().find("restsecurepwdbyappeal"), std::string::npos);
    EXPECT_EQ(OwnSilver(), 1000);
}

}  // namespace
