// The input bar driven as a user drives it: typing and sending, quick
// phrases, the quick-silver menu and the transfers its entries start.

#include "frame/panels/InputBar.h"

#include <gtest/gtest.h>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneEdit.h"
#include "engine/ui/CorvaneTextList.h"
#include "frame/panels/PopupMenu.h"
#include "frame/panels/safebox/NumKeyPadDlg.h"
#include "frame/panels/safebox/SafeBoxDlg.h"
#include "frame/panels/safebox/SetDepositDlg.h"
#include "platform/Input.h"
#include "tests/frame_panels/BarWindow.h"

namespace bars_test {
namespace {

class InputBarTest : public BarWindowTest {
protected:
    void OpenBar() {
        Open();
        bar = AddBar<CInputBar>(400, 560, 400, 60);
        ASSERT_NE(bar->GetEditBox(), nullptr);
    }
    CInputBar* bar = nullptr;
};

TEST_F(InputBarTest, TypedGbkTextAndEnterReachTheSidePanelAsOneHeapCopy) {
    OpenBar();
    ClickOn(*bar->GetEditBox());
    Type("你好abc");
    Key(platform::kKeyReturn);
    const auto sent = side->Of(kEventSendChat);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text, "你好abc");
    EXPECT_EQ(sent[0].param2, EventParam(bar->GetEditBox()));
}

TEST_F(InputBarTest, TheSendButtonRunsTheEditBoxsSubmitThroughTheSidePanel) {
    OpenBar();
    bar->InsertText("晚上好");
    EXPECT_GT(bar->HasInputText(), 0);
    ClickOn(*bar->GetSendButton());
    ASSERT_EQ(side->Of(kEventInputBoxCommand).size(), 1u);
    const auto sent = side->Of(kEventSendChat);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text, "晚上好");
    // The side panel sent the line and emptied the input box.
    EXPECT_EQ(app.transfers.chat, std::vector<std::string>{"晚上好"});
    EXPECT_EQ(bar->HasInputText(), 0);
    bar->InsertText("再见");
    EXPECT_GT(bar->HasInputText(), 0);
    bar->ClearInput();
    EXPECT_EQ(bar->HasInputText(), 0);
}

TEST_F(InputBarTest, AQuickPhraseIsChosenFromTheListTheQuickChatButtonOpens) {
    OpenBar();
    bar->AddQuickPhrase("快点吧，我等到花儿也谢了!");
    bar->AddQuickPhrase("晕，打错牌啦!");
    CCorvaneTextList* list = bar->GetPhraseList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetItemCount(), 2);
    EXPECT_FALSE(list->IsVisible());

    ClickOn(*bar->GetQuickChatButton());
    ASSERT_TRUE(list->IsVisible());
    // Its right edge meets the button's, its bottom the button's top.
    EXPECT_NEAR(list->GetRight(), bar->GetQuickChatButton()->GetRight(), 1.0);
    EXPECT_NEAR(list->GetBottom(), bar->GetQuickChatButton()->GetTop(), 1.0);

    ClickOn(*list->GetItem(1));
    const auto chosen = side->Of(kEventQuickPhrase);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].text, "晕，打错牌啦!");
    EXPECT_EQ(chosen[0].param2, list->GetId());
    EXPECT_FALSE(list->IsVisible());
    // The side panel sends the phrase as the player's line.
    EXPECT_EQ(app.transfers.chat, std::vector<std::string>{"晕，打错牌啦!"});

    // The phrase the item hands over stays where it was while more are added.
    for (int i = 0; i < 40; ++i) {
        bar->AddQuickPhrase("再来一局");
    }
    EXPECT_STREQ(EventParamPointer<const char>(chosen[0].param1), "晕，打错牌啦!");
}

TEST_F(InputBarTest, TheQuickChatListTogglesBackToWhereItWas) {
    OpenBar();
    bar->AddQuickPhrase("下次再玩，我要走了。");
    bar->ToggleQuickChatList();
    bar->ToggleQuickChatList();
    EXPECT_FALSE(bar->GetPhraseList()->IsVisible());
}

TEST_F(InputBarTest, WithoutButtonsTheInputFrameSpansTheBarLessItsMargins) {
    OpenBar();
    // 400 wide at x 200..600: the frame is 400 - 20 - 28 wide, 25 in.
    CCorvaneCanvas* frame = bar->GetInputFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetCanvasWidth(), 352);
    EXPECT_NEAR(frame->GetLeft(), 225, 0.5);
    // Half the frame's 24 below top + 31.
    EXPECT_NEAR(frame->GetY(), 530 + 12 + 31, 0.5);
    // The send button ends at the bar's right edge, the quick-chat button
    // 5 inside the frame's.
    EXPECT_NEAR(bar->GetSendButton()->GetRight(), 600, 0.5);
    EXPECT_NEAR(bar->GetQuickChatButton()->GetRight(), frame->GetRight() - 5, 0.5);
}

TEST_F(InputBarTest, AnotherSkinPassesItsOwnNumbers) {
    Open();
    InputBarMetrics table;
    table.inputFrameMargin = 20;
    table.inputFrameYFactor = 0.75;
    table.buttonRowTop = 2;
    auto* other = AddBar<CInputBar>(400, 560, 400, 60, new CInputBar(table));
    CCorvaneCanvas* frame = other->GetInputFrame();
    EXPECT_EQ(frame->GetCanvasWidth(), 360);
    EXPECT_NEAR(frame->GetY(), 530 + 18 + 31, 0.5);
}

class QuickSilverTest : public InputBarTest {
protected:
    void OpenMenu() {
        OpenBar();
        safeBoxButton = AddQuickSilverMenu(*bar);
        ASSERT_NE(bar->GetQuickSilverMenu(), nullptr);
    }
    CNumKeyPadDlg* Keypad() {
        return dynamic_cast<CNumKeyPadDlg*>(side->FindObjectByName(kNumKeyPadDlgName));
    }
    // The keypad's answer as the keypad sends it, or as another prompt does.
    void Answer(intptr_t from) { bar->OnEvent(MakeEventRecord(0, kEventKeypadPassword, from, 0)); }
    CCorvaneButton* safeBoxButton = nullptr;
};

TEST_F(QuickSilverTest, TheSafeBoxButtonOpensAndClosesTheMenuAboveIt) {
    OpenMenu();
    CPopupMenu* menu = bar->GetQuickSilverMenu();
    EXPECT_FALSE(menu->IsVisible());
    ASSERT_EQ(menu->GetItemCount(), 8);
    EXPECT_EQ(menu->GetItem(0)->GetCaption(), "100 两");
    EXPECT_EQ(menu->GetItem(5)->GetCaption(), "30000 两");
    EXPECT_EQ(menu->GetItem(6)->GetCaption(), "快速设银");
    EXPECT_EQ(menu->GetItem(7)->GetCaption(), "保 险 箱");
    EXPECT_EQ(static_cast<int>(menu->GetItem(0)->GetWidth()), 102);
    EXPECT_EQ(static_cast<int>(menu->GetItem(0)->GetHeight()), 20);

    ClickOn(*safeBoxButton);
    ASSERT_TRUE(menu->IsVisible());
    EXPECT_TRUE(safeBoxButton->IsLatched());
    EXPECT_NEAR(menu->GetX(), safeBoxButton->GetX(), 1.0);
    EXPECT_LE(menu->GetBottom(), safeBoxButton->GetTop() + 1);

    ClickOn(*safeBoxButton);
    EXPECT_FALSE(menu->IsVisible());
    EXPECT_FALSE(safeBoxButton->IsLatched());
}

TEST_F(QuickSilverTest, AHigherPresetSavesTheDifferenceAndALowerTakesItWithoutAPassword) {
    OpenMenu();
    CPopupMenu* menu = bar->GetQuickSilverMenu();
    ClickOn(*safeBoxButton);
    ClickOn(*menu->GetItem(4));  // 10000: 5000 more than carried
    EXPECT_FALSE(menu->IsVisible());
    ASSERT_EQ(app.transfers.sent.size(), 2u);
    EXPECT_EQ(app.transfers.sent[0], "200043");
    EXPECT_EQ(app.transfers.sent[1], "200041 5000 0");

    app.transfers.sent.clear();
    ClickOn(*safeBoxButton);
    ClickOn(*menu->GetItem(2));  // 500: 4500 into the safe box
    EXPECT_EQ(app.transfers.sent, std::vector<std::string>{"200042 4500"});
}

TEST_F(QuickSilverTest, APasswordTakeWaitsForTheKeypadAndRunsOnce) {
    OpenMenu();
    app.transfers.hasPassword = true;
    bar->SetCarriedSilver(kOwnSilver + 700);
    EXPECT_EQ(app.transfers.sent, std::vector<std::string>{"200043"});

    // The keypad's answer on route 1 takes the waiting amount, once.
    ASSERT_NE(Keypad(), nullptr);
    Answer(Keypad()->GetId());
    Answer(Keypad()->GetId());
    ASSERT_EQ(app.transfers.sent.size(), 2u);
    EXPECT_EQ(app.transfers.sent[1].rfind("200041 700 ", 0), 0u);
}

TEST_F(QuickSilverTest, AClosedOrReroutedKeypadEndsTheWaitingTakeAndOtherPromptsTakeNothing) {
    OpenMenu();
    app.transfers.hasPassword = true;
    bar->SetCarriedSilver(kOwnSilver + 700);
    CNumKeyPadDlg* keypad = Keypad();
    ASSERT_NE(keypad, nullptr);
    // Closed: no later answer, from the keypad or another prompt, takes.
    keypad->OnEvent(MakeEventRecord(keypad->GetId(), kEventKeypadClose, 0, 0));
    Answer(0);
    Answer(keypad->GetId());
    EXPECT_EQ(app.transfers.sent, std::vector<std::string>{"200043"});

    // The take dialog takes the open keypad over: the quick take is over.
    bar->SetCarriedSilver(kOwnSilver + 700);
    bar->ShowKeypad(1, 5, kKeypadRouteTakeDialog);
    EXPECT_EQ(keypad->GetRoute(), kKeypadRouteTakeDialog);
    EXPECT_EQ(keypad->GetCalcNumber(), 5);
    Answer(keypad->GetId());
    bar->ShowKeypad(0, 0, 0);
    Answer(keypad->GetId());
    EXPECT_EQ(app.transfers.sent, (std::vector<std::string>{"200043", "200043"}));

    // A quick take started while the take dialog's keypad is open takes it
    // over; another prompt answering meanwhile takes nothing, the keypad's
    // own answer takes once.
    bar->ShowKeypad(1, 5, kKeypadRouteTakeDialog);
    bar->SetCarriedSilver(kOwnSilver + 700);
    EXPECT_EQ(keypad->GetRoute(), kKeypadRouteInputBar);
    Answer(0);
    Answer(keypad->GetId() + 1);
    EXPECT_EQ(app.transfers.sent.size(), 3u);
    for (int key = 0; key < 8; ++key) {
        keypad->PressKey(key);
    }
    keypad->SubmitPassword();
    ASSERT_EQ(app.transfers.sent.size(), 4u);
    EXPECT_EQ(app.transfers.sent[3], "200041 700 " + std::to_string(keypad->GetCalcResult()));
    EXPECT_FALSE(keypad->IsVisible());
}

TEST_F(QuickSilverTest, AKeypadAnswerWithNothingWaitingSendsNothing) {
    OpenMenu();
    bar->OnEvent(MakeEventRecord(bar->GetId(), kEventKeypadPassword, 0, 0));
    EXPECT_TRUE(app.transfers.sent.empty());
}

TEST_F(QuickSilverTest, AnEqualPresetMovesNothing) {
    OpenMenu();
    bar->SetCarriedSilver(kOwnSilver);
    EXPECT_TRUE(app.transfers.sent.empty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(QuickSilverTest, ANegativeLimitOrAnOutOfRangeDifferenceAsksForAnAmount) {
    OpenMenu();
    // A room limit below 0, as the server's silver notice may carry it.
    bar->OnEvent(MakeEventRecord(bar->GetId(), kEventSilverLimit, -5, 0));
    // A difference no 32-bit transfer can carry.
    bar->SetCarriedSilver(int64_t{kOwnSilver} + 0x80000000LL);
    EXPECT_TRUE(app.transfers.sent.empty());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "请输入银子数额。");
    EXPECT_EQ(boxes[1], "请输入银子数额。");
}

TEST_F(QuickSilverTest, TheServersRefusalIsShownAsItCame) {
    OpenMenu();
    app.transfers.saveFails = true;
    bar->SetCarriedSilver(100);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "您的划帐数额超过现在拥有的金额。");
}

TEST_F(QuickSilverTest, TheLastTwoEntriesOpenThePresetsDialogAndTheSafeBoxOnce) {
    OpenMenu();
    CPopupMenu* menu = bar->GetQuickSilverMenu();
    ClickOn(*safeBoxButton);
    ClickOn(*menu->GetItem(6));
    auto* presets = dynamic_cast<CSetDepositDlg*>(side->FindObjectByName("SetDepositDlg"));
    ASSERT_NE(presets, nullptr);
    EXPECT_TRUE(presets->IsVisible());
    EXPECT_FALSE(menu->IsVisible());

    ClickOn(*safeBoxButton);
    ClickOn(*menu->GetItem(7));
    auto* safeBox = dynamic_cast<CSafeBoxDlg*>(side->FindObjectByName("SafeBoxDlg"));
    ASSERT_NE(safeBox, nullptr);
    EXPECT_TRUE(safeBox->IsVisible());
    EXPECT_EQ(safeBox->GetSilver(), 12345);
    EXPECT_NEAR(safeBox->GetX(), kSceneWidth / 2, 1.0);
    EXPECT_NEAR(safeBox->GetY(), kSceneHeight / 2, 1.0);

    // Opened again: the same dialog with the silver the server gives now.
    app.transfers.safeBoxSilver = 777;
    bar->OpenSafeBox();
    EXPECT_EQ(side->FindObjectByName("SafeBoxDlg"), safeBox);
    EXPECT_EQ(safeBox->GetSilver(), 777);
}

TEST_F(QuickSilverTest, AnotherMenuReplacesTheFirstAndTheCloseEventHidesIt) {
    OpenMenu();
    const int first = bar->GetQuickSilverMenu()->GetId();
    bar->ShowQuickDepositPopup(100, 20);
    // The old menu goes at a later step of the engine's actions.
    RunMs(100);
    EXPECT_EQ(side->FindObjectById(first), nullptr);
    ClickOn(*safeBoxButton);
    ASSERT_TRUE(bar->GetQuickSilverMenu()->IsVisible());
    MoveTo(20, 20);
    bar->OnEvent(MakeEventRecord(bar->GetId(), kEventCloseQuickSilverMenu, 0, 0));
    EXPECT_FALSE(bar->GetQuickSilverMenu()->IsVisible());
    EXPECT_FALSE(safeBoxButton->IsLatched());
}

}  // namespace
}  // namespace bars_test
