#include "engine/ui/CorvaneMessagePanel.h"

#include <gtest/gtest.h>

#include "engine/ui/CorvaneStatic.h"
#include "tests/engine_ui/TextDisplayTestSupport.h"

namespace {

constexpr int kOkEvent = 80000010;
constexpr int kCancelEvent = 80000011;

class MessagePanelTest : public UiSceneTest {
protected:
    void SetUp() override {
        UiSceneTest::SetUp();
        InstallMessagePanelMaker();
        ok = MakeEventRecord(owner->GetId(), kOkEvent, 0, 0);
        cancel = MakeEventRecord(owner->GetId(), kCancelEvent, 0, 0);
    }
    void TearDown() override { CCorvaneVisual::SetMessagePanelMaker(nullptr); }

    // A shown panel at the buffer's centre with OK at (350, 330).
    CCorvaneMessagePanel* MakePanel(const EventRecord* okNotify, int seconds) {
        auto* panel = Register<CCorvaneMessagePanel>();
        EXPECT_NE(panel->Create(240, 120, okNotify, &cancel, seconds), nullptr);
        panel->SetPos(400, 300);
        if (CCorvaneStatic* button = panel->GetOkButton()) {
            button->SetPos(350, 330);
        }
        panel->Show();
        panel->Invalidate();
        Frame();
        return panel;
    }
    // Runs 10 ms frames until the object is gone (at most `ms`).
    void RunUntilGone(int id, int ms = 3000) {
        for (int t = 0; t < ms && objects->FindObjectById(id) != nullptr; t += 10) {
            Frame(10);
        }
    }
    // The newest message panel, or null.
    CCorvaneMessagePanel* NewestPanel() {
        for (int id = 4000; id > 0; --id) {
            if (auto* found = dynamic_cast<CCorvaneMessagePanel*>(objects->FindObjectById(id))) {
                return found;
            }
        }
        return nullptr;
    }
    size_t Count(int event) const { return Of(event).size(); }

    EventRecord ok;
    EventRecord cancel;
};

TEST_F(MessagePanelTest, ACountdownShowsEachSecondAndEndsAsACancel) {
    CCorvaneMessagePanel* panel = MakePanel(&ok, 3);
    const int panelId = panel->GetId();
    ASSERT_NE(panel->GetCountdownCanvas(), nullptr);
    EXPECT_TRUE(HasInk(*panel->GetCountdownCanvas()));
    // 3, 2, 1 and 0 a second apart (each tick is rescheduled a frame late),
    // and the cancel a second after 0.
    for (int second : {3, 2, 1, 0}) {
        Frames(90, 10);
        EXPECT_EQ(panel->GetSecondsLeft(), second);
        EXPECT_EQ(Count(kCancelEvent), 0u);
        Frames(14, 10);
    }
    EXPECT_EQ(Count(kCancelEvent), 1u);
    EXPECT_EQ(Count(kOkEvent), 0u);
    RunUntilGone(panelId);
    EXPECT_EQ(objects->FindObjectById(panelId), nullptr);
    EXPECT_EQ(objects->CountLiveActions(), 0);
}

TEST_F(MessagePanelTest, OkAnswersOnceAndStopsTheCountdown) {
    CCorvaneMessagePanel* panel = MakePanel(&ok, 150);
    EXPECT_EQ(panel->GetSecondsLeft(), kMaxPanelCountdown);
    const int panelId = panel->GetId();
    CCorvaneStatic* okButton = panel->GetOkButton();
    EXPECT_EQ(okButton->GetCaption(), "确定");
    EXPECT_EQ(panel->GetCancelButton()->GetCaption(), "取消");

    Click(okButton);
    Frame();
    EXPECT_EQ(Count(kOkEvent), 1u);
    // A second click while it fades is no second answer.
    Click(okButton);
    Frame();
    EXPECT_EQ(Count(kOkEvent), 1u);
    EXPECT_LT(panel->GetAlpha(), 1.0);
    RunUntilGone(panelId);
    EXPECT_EQ(objects->FindObjectById(panelId), nullptr);
    Frames(60, 50);
    EXPECT_EQ(Count(kCancelEvent), 0u);
    EXPECT_EQ(objects->CountLiveActions(), 0);
}

TEST_F(MessagePanelTest, DraggingThePanelCanvasMovesThePanelWithItsButtons) {
    CCorvaneMessagePanel* panel = MakePanel(&ok, 0);
    MoveTo(400, 280);
    Frame();
    Press(400, 280);
    Frame();
    MoveTo(430, 270);
    Frame();
    Release(430, 270);
    Frame();
    EXPECT_EQ(panel->GetX(), 430.0);
    EXPECT_EQ(panel->GetY(), 290.0);
    EXPECT_EQ(panel->GetOkButton()->GetX(), 380.0);
    // A drag event without an input snapshot moves nothing.
    visual->SendEvent(MakeEventRecord(panel->GetId(), kEventDrag, 0, 0));
    EXPECT_EQ(panel->GetX(), 430.0);
}

TEST_F(MessagePanelTest, TheFacadeMessageBoxIsAPanelThatCanBeAnsweredWhileItFadesIn) {
    visual->ShowMessageBox("你好", &ok, &cancel, 0);
    CCorvaneMessagePanel* panel = NewestPanel();
    ASSERT_NE(panel, nullptr);
    const int panelId = panel->GetId();
    EXPECT_EQ(panel->GetCanvas()->GetCanvasWidth(), 200);
    CCorvaneStatic* cancelButton = panel->GetCancelButton();
    EXPECT_EQ(cancelButton->GetX(), 400.0 + 40 + 10);

    // Answered during the fade-in: the fade-out still wins.
    Frames(2);
    EXPECT_LT(panel->GetAlpha(), 1.0);
    Click(cancelButton);
    RunUntilGone(panelId);
    EXPECT_EQ(objects->FindObjectById(panelId), nullptr);
    EXPECT_EQ(Count(kCancelEvent), 1u);
    EXPECT_EQ(Count(kOkEvent), 0u);

    // A panel without buttons or countdown stays until its owner acts.
    visual->ShowSystemDetails();
    CCorvaneMessagePanel* details = NewestPanel();
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->GetOkButton(), nullptr);
    Frames(100, 50);
    EXPECT_EQ(details->GetAlpha(), 1.0);
    details->Close();
    Frames(20);
    EXPECT_EQ(NewestPanel(), nullptr);
}

}  // namespace
