// The safe box driven by clicks and typing in the engine window against the
// test server's safe-box service: saving with its confirmation, taking with
// the protection password typed on the shuffled keypad, refusals that lose
// nothing, and the presets dialog.

#include "frame/panels/SystemInfoBox.h"
#include "tests/frame/PanelDoubles.h"
#include "tests/frame_panels/SafeBoxFixture.h"

namespace safebox_test {
namespace {

constexpr char kPassword[] = "12345678";
constexpr int32_t kCalcNumber = 123456789;

class SafeBoxWindowTest : public SafeBoxTest {
protected:
    // The input bar the take dialog and the keypad talk to.
    CInputBar* AddInputBar() {
        auto* bar = new CInputBar;
        view->Register(bar);
        bar->SetName(kInputBarName);
        return bar;
    }
    CSaveDepositDlg* OpenSave(CSafeBoxDlg* box) {
        ClickOn(box->FindButton(kEventSafeBoxSave));
        return box->GetSaveDialog();
    }
    CTakeDepositDlg* OpenTake(CSafeBoxDlg* box) {
        ClickOn(box->FindButton(kEventSafeBoxTake));
        return box->GetTakeDialog();
    }
    // Types the amount into the dialog's box (cleared first) and confirms.
    void EnterAmount(CDepositDlg* dialog, const std::string& amount, int confirmEvent) {
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->IsVisible());
        CDropInputBox* box = dialog->GetAmountBox();
        ASSERT_NE(box, nullptr);
        box->Clear();
        TypeInto(box->GetEdit(), amount);
        EXPECT_EQ(TextOf(box), amount);
        ClickOn(dialog->FindButton(confirmEvent));
    }
    // Presses the keys whose captions show the password's digits, then
    // confirm, reading the digit order the keypad shows.
    void TypeOnKeypad(const std::string& password) {
        auto* keypad = dynamic_cast<CNumKeyPadDlg*>(view->FindObjectByName(kNumKeyPadDlgName));
        ASSERT_NE(keypad, nullptr);
        ASSERT_TRUE(keypad->IsVisible());
        const std::array<int, 10> order = keypad->GetDigitOrder();
        for (char c : password) {
            const auto at = std::find(order.begin(), order.end(), c - '0');
            ASSERT_NE(at, order.end());
            ClickOn(keypad->GetKey(static_cast<int>(at - order.begin())));
        }
        EXPECT_EQ(keypad->GetPassword(), password);
        ClickOn(keypad->GetKey(CNumKeyPadDlg::kConfirmKey));
    }
};

TEST_F(SafeBoxWindowTest, SavingFiveHundredAsksFirstThenMovesItAndRemembersIt) {
    CSafeBoxDlg* box = OpenSafeBox();
    EXPECT_EQ(box->GetZ(), kSafeBoxDepth);
    CSaveDepositDlg* save = OpenSave(box);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->GetZ(), kSaveDepositDepth);
    EnterAmount(save, "500", kEventSaveConfirm);

    // The question first; nothing has gone out and the dialog closed.
    EXPECT_EQ(LastBox(), "确定要从【麻将】划出【500两】银子到保险箱? 10 53 ruv打牌");
    EXPECT_EQ(view->lastOkEvent.event, kEventSaveRun);
    EXPECT_FALSE(save->IsVisible());
    EXPECT_EQ(script.Count(kTransferOutOfGame), 0u);

    ConfirmLastBox();
    const FrameScript::Recorded sent = Received(kTransferOutOfGame);
    ASSERT_EQ(sent.body.size(), TransferRecord::kSize);
    EXPECT_EQ(WordAt(sent.body, 20), 500);
    EXPECT_EQ(WordAt(sent.body, 80), kCarried);
    EXPECT_EQ(WordAt(sent.body, 84), TransferRecord::kOutOfGame);
    EXPECT_EQ(script.Services().GetSafeBox().balance, kBalance + 500);
    // The safe box asked again and shows the new silver.
    EXPECT_EQ(script.Count(kQuerySafeBox), 1u);
    EXPECT_EQ(box->GetSilver(), kBalance + 500);
    EXPECT_EQ(IniValue(GameIni(), "DEPOSIT", "Save"), "500|");
    EXPECT_EQ(save->GetAmountBox()->GetEntries().back(), "500");
    EXPECT_EQ(LastBox(), "银子已经存入保险箱！ 10 48 ruv打牌");

    // The server's transfer notice corrects the seat's silver and writes
    // the line in the side panel's chat.
    ASSERT_TRUE(owner.WaitFor(1));
    EXPECT_GE(DispatchNotifications(), 1u);
    EXPECT_EQ(app.GetSeat(kOwnChair).silver, kCarried - 500);
    ASSERT_FALSE(view->subSystem.chatLines.empty());
    EXPECT_EQ(view->subSystem.chatLines.back(),
              " <z=qe系统通知> <c=255>自己<>存入<c=255>500<>两银子到保险箱, "
              "现有<c=255>" +
                  std::to_string(kCarried - 500) + "<>两银子 \r\n");

    // Its confirm closes the whole safe box.
    ConfirmLastBox();
    EXPECT_FALSE(box->IsVisible());
}

TEST_F(SafeBoxWindowTest, TakingAsksForThePasswordOnTheShuffledKeypad) {
    script.Services().SetProtection(kPassword, kCalcNumber);
    AddInputBar();
    CSafeBoxDlg* box = OpenSafeBox();
    CTakeDepositDlg* take = OpenTake(box);
    EXPECT_EQ(take->GetZ(), kTakeDepositDepth);
    EnterAmount(take, "300", kEventTakeConfirm);
    EXPECT_EQ(script.Count(kQueryTake), 1u);
    EXPECT_FALSE(take->IsVisible());
    auto* keypad = dynamic_cast<CNumKeyPadDlg*>(view->FindObjectByName(kNumKeyPadDlgName));
    ASSERT_NE(keypad, nullptr);
    EXPECT_EQ(keypad->GetCalcNumber(), kCalcNumber);
    EXPECT_EQ(keypad->GetZ(), kKeypadDepth);
    EXPECT_EQ(script.Count(kTransferIntoGame), 0u);

    TypeOnKeypad(kPassword);
    const FrameScript::Recorded sent = Received(kTransferIntoGame);
    EXPECT_EQ(WordAt(sent.body, 20), 300);
    EXPECT_EQ(WordAt(sent.body, 24), 26046);
    EXPECT_EQ(WordAt(sent.body, 80), kCarried);
    EXPECT_EQ(WordAt(sent.body, 84), TransferRecord::kIntoGame);
    EXPECT_FALSE(keypad->IsVisible());
    EXPECT_EQ(LastBox(), "银子已经成功划入 麻将 10 48 ruv打牌");
    EXPECT_EQ(script.Services().GetSafeBox().balance, kBalance - 300);
    EXPECT_EQ(box->GetSilver(), kBalance - 300);
    EXPECT_EQ(IniValue(GameIni(), "DEPOSIT", "Take"), "300|");
}

TEST_F(SafeBoxWindowTest, AWrongPasswordIsTheServersRefusalAndChangesNothing) {
    script.Services().SetProtection(kPassword, kCalcNumber);
    AddInputBar();
    CSafeBoxDlg* box = OpenSafeBox();
    CTakeDepositDlg* take = OpenTake(box);
    EnterAmount(take, "300", kEventTakeConfirm);
    TypeOnKeypad("87654321");
    const FrameScript::Recorded sent = Received(kTransferIntoGame);
    EXPECT_EQ(WordAt(sent.body, 24), FoldProtectionPassword("87654321", kCalcNumber));
    EXPECT_EQ(LastBox(), "保护密码计算结果错误。 10 48 ruv打牌");
    EXPECT_EQ(view->lastOkEvent.event, 0);
    EXPECT_EQ(script.Services().GetSafeBox().balance, kBalance);
    EXPECT_EQ(script.Count(kQuerySafeBox), 0u);
    EXPECT_EQ(box->GetSilver(), kBalance);
    EXPECT_EQ(IniValue(GameIni(), "DEPOSIT", "Take"), "<none>");
    // The dialog kept its amount for another try.
    EXPECT_EQ(TextOf(take->GetAmountBox()), "300");
}

TEST_F(SafeBoxWindowTest, WithoutAPasswordTheTakeGoesOutAtOnceWithAnswer0) {
    CSafeBoxDlg* box = OpenSafeBox();
    CTakeDepositDlg* take = OpenTake(box);
    EnterAmount(take, "200", kEventTakeConfirm);
    const FrameScript::Recorded sent = Received(kTransferIntoGame);
    EXPECT_EQ(WordAt(sent.body, 20), 200);
    EXPECT_EQ(WordAt(sent.body, 24), 0);
    EXPECT_EQ(view->FindObjectByName(kNumKeyPadDlgName), nullptr);
    EXPECT_FALSE(take->IsVisible());
    EXPECT_EQ(script.Services().GetSafeBox().gameSilver, kCarried + 200);
}

TEST_F(SafeBoxWindowTest, BadAmountsAreRefusedAndNothingIsLost) {
    platform::WritePrivateProfileString("DEPOSIT", "Save", "100|", GameIni().c_str());
    CSafeBoxDlg* box = OpenSafeBox();
    CSaveDepositDlg* save = OpenSave(box);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->GetAmountBox()->GetEntries(), (std::list<std::string>{"100"}));
    const int boxes = BoxCount();
    // Empty, 0, and letters (the box takes digits only).
    for (const std::string& typed : {std::string(), std::string("0"), std::string("000")}) {
        EnterAmount(save, typed, kEventSaveConfirm);
        EXPECT_EQ(LastBox(), "请输入银子数额。 10 48 ruv打牌") << typed;
        EXPECT_TRUE(save->IsVisible()) << typed;
    }
    EXPECT_EQ(BoxCount(), boxes + 3);
    save->GetAmountBox()->Clear();
    TypeInto(save->GetAmountBox()->GetEdit(), "-5a");
    EXPECT_EQ(TextOf(save->GetAmountBox()), "5");

    // Above the game silver: the server's text; the balances and history
    // stay.
    save->GetAmountBox()->Clear();
    EnterAmount(save, "99999", kEventSaveConfirm);
    ConfirmLastBox();
    EXPECT_EQ(LastBox(), "您的划帐数额超过现在拥有的金额。 10 48 ruv打牌");
    // Above the balance on a take.
    CTakeDepositDlg* take = OpenTake(box);
    EnterAmount(take, "5001", kEventTakeConfirm);
    EXPECT_EQ(LastBox(), "您的保险箱里的银子不够。 10 48 ruv打牌");
    EXPECT_EQ(script.Count(kTransferOutOfGame), 1u);
    EXPECT_EQ(script.Count(kTransferIntoGame), 1u);
    EXPECT_EQ(script.Count(kQuerySafeBox), 0u);
    EXPECT_EQ(script.Services().GetSafeBox().balance, kBalance);
    EXPECT_EQ(script.Services().GetSafeBox().gameSilver, kCarried);
    EXPECT_EQ(IniValue(GameIni(), "DEPOSIT", "Save"), "100|");
    EXPECT_EQ(IniValue(GameIni(), "DEPOSIT", "Take"), "<none>");
    EXPECT_EQ(box->GetSilver(), kBalance);
}

TEST_F(SafeBoxWindowTest, TheSavedDialogComesBackWithItsText) {
    CSafeBoxDlg* box = OpenSafeBox();
    CSaveDepositDlg* save = OpenSave(box);
    ASSERT_NE(save, nullptr);
    TypeInto(save->GetAmountBox()->GetEdit(), "42");
    ClickOn(save->FindButton(kEventSaveCancel));
    EXPECT_FALSE(save->IsVisible());
    EXPECT_EQ(OpenSave(box), save);
    EXPECT_TRUE(save->IsVisible());
    EXPECT_EQ(TextOf(save->GetAmountBox()), "42");
    // "关闭" hides the safe box.
    ClickOn(box->FindButton(kEventSafeBoxClose));
    EXPECT_FALSE(box->IsVisible());
}

TEST_F(SafeBoxWindowTest, TheSilverShownChangesOnlyByRules) {
    CSafeBoxDlg* box = OpenSafeBox(700);
    box->SetSilver(-1);
    EXPECT_EQ(box->GetSilver(), 700);
    const int draws = box->GetDrawCount();
    script.Services().SetBalance(700);
    box->RefreshSilver();
    EXPECT_EQ(box->GetDrawCount(), draws);
    script.Services().SetBalance(800);
    box->RefreshSilver();
    EXPECT_EQ(box->GetSilver(), 800);
    EXPECT_EQ(box->GetDrawCount(), draws + 1);
    script.SetReply(kQuerySafeBox, 60019);
    box->RefreshSilver();
    EXPECT_EQ(LastBox(), "保险箱打开失败。 10 48 ruv打牌");
    EXPECT_EQ(box->GetSilver(), 800);
    box->SetDialogSize(0, 10);
    box->SetDialogSize(-3, -3);
}

TEST_F(SafeBoxWindowTest, WhereSilverMayNotMoveTheTransferButtonsDoNothing) {
    LaunchRecordBuilder builder;
    builder.room.roomId = kRoomId;
    builder.room.options = RoomInfo::kOptionSilverRoom;  // no safe-box flag
    UserRecord own = MakeLaunchUser(kOwnId, kOwnChair, "自己");
    builder.seats = {own};
    ASSERT_TRUE(app.InitGameData(builder.Build()));
    CSafeBoxDlg* box = OpenSafeBox();
    ClickOn(box->FindButton(kEventSafeBoxSave));
    ClickOn(box->FindButton(kEventSafeBoxTake));
    EXPECT_EQ(box->GetSaveDialog(), nullptr);
    EXPECT_EQ(box->GetTakeDialog(), nullptr);
    ClickOn(box->FindButton(kEventSafeBoxClose));
    EXPECT_FALSE(box->IsVisible());
}

// The input bar's quick presets: 1000 lies below the carried silver, 30000
// above it, which takes the difference through the keypad on the bar's own
// route.
TEST_F(SafeBoxWindowTest, AQuickPresetBelowSavesAndAboveTakesThroughTheKeypad) {
    CInputBar* bar = AddInputBar();
    ASSERT_EQ(bar->GetPresets()[3], 1000);
    ASSERT_EQ(bar->GetPresets()[5], 30000);
    bar->OnEvent(MakeEventRecord(bar->GetId(), kEventQuickSilverAmount, 3, 0));
    const FrameScript::Recorded saved = Received(kTransferOutOfGame);
    EXPECT_EQ(WordAt(saved.body, 20), kCarried - 1000);
    EXPECT_EQ(WordAt(saved.body, 80), kCarried);
    EXPECT_EQ(WordAt(saved.body, 84), TransferRecord::kOutOfGame);
    EXPECT_EQ(script.Services().GetSafeBox().gameSilver, 1000);
    // Its result box stands in the middle of the window, over where the
    // keypad will open: the player closes it first.
    auto* result = NewestOfKind<CSystemInfoBox>(*view);
    ASSERT_NE(result, nullptr);
    ClickOn(result->GetConfirmButton());
    Frames(2);

    // The transfer notice would correct the seat; here the server's state
    // stands for it.
    script.Services().SetGameSilver(kCarried);
    script.Services().SetBalance(100000);
    script.Services().SetProtection(kPassword, kCalcNumber);
    bar->OnEvent(MakeEventRecord(bar->GetId(), kEventQuickSilverAmount, 5, 0));
    EXPECT_EQ(script.Count(kQueryTake), 1u);
    auto* keypad = dynamic_cast<CNumKeyPadDlg*>(view->FindObjectByName(kNumKeyPadDlgName));
    ASSERT_NE(keypad, nullptr);
    EXPECT_EQ(keypad->GetRoute(), kKeypadRouteInputBar);
    EXPECT_EQ(script.Count(kTransferIntoGame), 0u);
    TypeOnKeypad(kPassword);
    const FrameScript::Recorded taken = Received(kTransferIntoGame);
    EXPECT_EQ(WordAt(taken.body, 20), 30000 - kCarried);
    EXPECT_EQ(WordAt(taken.body, 24), 26046);
    EXPECT_EQ(WordAt(taken.body, 84), TransferRecord::kIntoGame);
    EXPECT_EQ(script.Services().GetSafeBox().gameSilver, 30000);
    // A second answer of the keypad starts nothing.
    bar->OnEvent(MakeEventRecord(bar->GetId(), kEventKeypadReadyForInputBar, 0, 0));
    EXPECT_EQ(script.Count(kTransferIntoGame), 1u);
}

TEST_F(SafeBoxWindowTest, TheKeypadShownAgainWhileVisibleKeepsItsKeysAndPassword) {
    CInputBar* bar = AddInputBar();
    bar->ShowKeypad(1, 5, kKeypadRouteTakeDialog);
    Frame();
    auto* keypad = dynamic_cast<CNumKeyPadDlg*>(view->FindObjectByName(kNumKeyPadDlgName));
    ASSERT_NE(keypad, nullptr);
    const std::array<int, 10> order = keypad->GetDigitOrder();
    ClickOn(keypad->GetKey(4));
    bar->ShowKeypad(1, 7, kKeypadRouteTakeDialog);
    EXPECT_EQ(keypad->GetDigitOrder(), order);
    EXPECT_EQ(keypad->GetPassword(), std::to_string(order[4]));
    EXPECT_EQ(keypad->GetCalcNumber(), 5);
    EXPECT_EQ(keypad->GetRoute(), kKeypadRouteTakeDialog);
    // Hidden and shown again: cleared, with the new number and route.
    bar->ShowKeypad(0, 0, 0);
    EXPECT_FALSE(keypad->IsVisible());
    bar->ShowKeypad(1, 7, kKeypadRouteInputBar);
    EXPECT_EQ(keypad->GetPassword(), "");
    EXPECT_EQ(keypad->GetCalcNumber(), 7);
    EXPECT_EQ(keypad->GetRoute(), kKeypadRouteInputBar);
}

// --- the keypad itself ---

class KeypadWindowTest : public SafeBoxWindowTest {
protected:
    CNumKeyPadDlg* OpenKeypad(int route) {
        auto* keypad = new CNumKeyPadDlg;
        view->Register(keypad);
        keypad->SetSecondsClock([] { return int64_t{1700000000}; });
        keypad->Create(kCalcNumber);
        keypad->SetFromInputBar(route);
        keypad->ClearPassword();
        keypad->CenterInScene();
        keypad->Show();
        keypad->Invalidate();
        Frame();
        return keypad;
    }
};

TEST_F(KeypadWindowTest, AKeyAppendsTheDigitItsCaptionShows) {
    CNumKeyPadDlg* keypad = OpenKeypad(kKeypadRouteTakeDialog);
    std::array<int, 10> expected{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    KeypadRandom random;
    ShuffleDigitOrder(expected, random, 1700000000);
    EXPECT_EQ(keypad->GetDigitOrder(), expected);
    ClickOn(keypad->GetKey(0));
    ClickOn(keypad->GetKey(9));
    EXPECT_EQ(keypad->GetPassword(), std::to_string(expected[0]) + std::to_string(expected[9]));
    std::unique_ptr<char, void (*)(void*)> shown(keypad->GetDisplay()->GetText(), FreeEventBlock);
    EXPECT_STREQ(shown.get(), "**");
    ClickOn(keypad->GetKey(CNumKeyPadDlg::kBackspaceKey));
    ClickOn(keypad->GetKey(CNumKeyPadDlg::kBackspaceKey));
    ClickOn(keypad->GetKey(CNumKeyPadDlg::kBackspaceKey));
    EXPECT_EQ(keypad->GetPassword(), "");
    // Positions outside the digit keys are ignored.
    keypad->PressKey(10);
    keypad->PressKey(-1);
    EXPECT_EQ(keypad->GetPassword(), "");
}

TEST_F(KeypadWindowTest, ThePasswordLengthIsCheckedAndCappedAt16) {
    CNumKeyPadDlg* keypad = OpenKeypad(kKeypadRouteTakeDialog);
    for (int i = 0; i < 7; ++i) {
        keypad->PressKey(1);
    }
    ClickOn(keypad->GetKey(CNumKeyPadDlg::kConfirmKey));
    EXPECT_EQ(LastBox(), "保护密码至少要有8位,不能超过16位。 10 48 ruv打牌");
    EXPECT_TRUE(keypad->IsVisible());
    EXPECT_EQ(keypad->GetCalcResult(), 0);
    for (int i = 0; i < 12; ++i) {
        keypad->PressKey(1);
    }
    EXPECT_EQ(keypad->GetPassword().size(), 16u);
    ClickOn(keypad->GetKey(CNumKeyPadDlg::kConfirmKey));
    const int digit = keypad->GetDigitOrder()[1];
    EXPECT_EQ(keypad->GetCalcResult(), 4 * (digit * 1111) + 12345 + 6789);
    EXPECT_FALSE(keypad->IsVisible());
    // The answer stays after the keypad hid; showing it again reshuffles
    // from the order it had and ClearPassword empties it.
    keypad->ClearPassword();
    EXPECT_EQ(keypad->GetPassword(), "");
    EXPECT_NE(keypad->GetCalcResult(), 0);
    // The close button hides it.
    keypad->Show();
    keypad->Invalidate();
    Frame();
    ClickOn(keypad->FindButton(kEventKeypadClose));
    EXPECT_FALSE(keypad->IsVisible());
}

// --- presets ---

TEST_F(SafeBoxWindowTest, PresetsAreEditedAndSavedForTheUser) {
    const std::string file = app.GetUserDataFile();
    auto* dialog = new CSetDepositDlg;
    view->Register(dialog);
    dialog->Create();
    EXPECT_EQ(dialog->GetZ(), kSetDepositDepth);
    dialog->SetValues(LoadFixDepositValues(file));
    dialog->CenterInScene();
    dialog->Show();
    dialog->Invalidate();
    Frame();
    EXPECT_EQ(dialog->GetValues(), kDefaultFixDeposit);
    // Cancel saves nothing.
    ClickOn(dialog->FindButton(kEventSetDepositCancel));
    EXPECT_EQ(IniValue(file, "FIXDEPOSIT", "Fix5"), "<none>");

    dialog->Show();
    dialog->Invalidate();
    Frame();
    dialog->GetBox(2)->Clear();
    // Eight digits at most.
    dialog->GetBox(0)->Clear();
    TypeInto(dialog->GetBox(0)->GetEdit(), "123456789");
    dialog->GetBox(5)->Clear();
    TypeInto(dialog->GetBox(5)->GetEdit(), "77");
    ClickOn(dialog->FindButton(kEventSetDepositSave));
    EXPECT_FALSE(dialog->IsVisible());
    EXPECT_EQ(IniValue(file, "FIXDEPOSIT", "Fix2"), "0");
    EXPECT_EQ(IniValue(file, "FIXDEPOSIT", "Fix5"), "77");
    EXPECT_EQ(LoadFixDepositValues(file), (FixDepositValues{12345678, 200, 0, 1000, 10000, 77}));
}

}  // namespace
}  // namespace safebox_test
